#include "core/program.h"

#include "model/dictionary.h"
#include "model/file_errors.h"
#include "model/globals.h"
#include "core/main_frame.h"
#include "model/managers.h"
#include "core/procedures.h"
#include "model/client_files.h"
#include "model/edition.h"
#include "reports/frame.h"
#include "runtime/file_structure.h"
#include "runtime/ini_store.h"
#include "runtime/paths.h"
#include "runtime/text.h"

namespace {
bool g_registered = false;
// The driver's hand-over file: never opened.
struct DriverRecord {
    rt::Byte A;
};
DriverRecord g_driverRecord;
const rt::TableDef g_driverDef = [] {
    rt::TableDef t;
    t.label = "__GTPS";
    t.prefix = "__GTPS";
    t.recordSize = 1;
    t.fields = {{"A", rt::FieldKind::BYTE, 0, 1, 1, 0}};
    return t;
}();
rt::RecordFile g_driverFile(g_driverDef, &g_driverRecord);
}  // namespace

bool recordFilesRegistered() { return g_registered; }

void registerRecordFiles()
{
    if (g_registered)
        return;
    g_registered = true;
    rt::ds_AddDriver("Tps", &g_driverFile);
    rt::setFileFailureReporter(reportFileFailure);
    rt::ds_IgnoreDriver("AllFiles", 1);
    struct Reg {
        const char *prefix;
        rt::RecordFile *file;
    };
    const Reg regs[] = {{"BOX", &BoxNumber},        {"CAT", &Category},
                        {"CSF", &ClientSystemFile}, {"CON", &Conditions},
                        {"CRS", &CustomReportSetups}, {"QOC", &QORClients},
                        {"QOS", &QORSubject},       {"HEI", &Heirs},
                        {"IMP", &ImportFields},     {"LCT", &Location},
                        {"MSY", &MainSystemFile},   {"MAN", &Manufacturers},
                        {"MAS", &MasterInventory},  {"MAST", &MasterInventoryTemp},
                        {"SEC", &SecondaryResidence}, {"TYP", &Type},
                        {"USF", &UserFields},       {"VEN", &Vendors}};
    for (const Reg &r : regs)
        rt::ds_UsingFile(r.prefix, r.file->def().label, *r.file, r.file->def().version);
}

void nameProgramFolderFiles()
{
    MainSystemFile.name = rt::joinPath(rt::homeFolder(), dict::MainSystemFileDef.diskName);
    SecondaryResidence.name = rt::joinPath(rt::homeFolder(), dict::SecondaryResidenceDef.diskName);
}

void installProfessionalEdition()
{
    model::Edition e;
    e.readSettings = readSettingsCopy;
    e.userFieldTitles = [] {
        // A report holds the file open itself; a window opens it through its manager.
        model::UserFieldTitles titles;
        UserFieldsRecord record;
        if ((::UserFields.isOpen() || Access::UserFields->useFile() == 0) &&
            model::readTitlesRecord(::UserFields, record) == 0)
            titles = model::titlesOf(record);
        return titles;
    };
    // The shared settings record: read at start-up, published to by the settings form.
    e.reportFormat = [] { return MSY.REPORTFORMAT.str(); };
    // The reports: the files their definitions name, opened shared and made when missing.
    e.reportFiles = [](const std::vector<rt::RecordFile *> &files, bool) { return files; };
    e.openReportFile = [](rt::RecordFile &file) {
        CheckOpenFile(file, 1, 0, 0, 1);
        return true;
    };
    e.fileError = [](long number, std::string_view text, std::string_view second) {
        return StandardFileError(number, text, second);
    };
    e.reportHeading = reports::registeredClientHeading();
    e.picturePath = [](std::string_view stored) { return rt::clip(stored); };
    e.displayStringsPath = [](std::string_view name) { return std::string(name); };
    model::setEdition(std::move(e));
}

void ProgramMain()
{
    rt::makeFolder(rt::homeFolder());
    dict::resetGlobals();
    resetProgramGlobals();
    nameProgramFolderFiles();
    installProfessionalEdition();
    rt::iniStore().setPath(rt::joinPath(rt::homeFolder(), "zenvik.INI"));
    registerProgramProcedures();
    DictionaryInit();
    bool end = false;
    if (!recordFilesRegistered()) {
        registerRecordFiles();
        std::string bad = rt::profileFile().read(rt::ds_AppName(), "BadFile", "");
        if (!bad.empty())
            end = offerBadFileRepair();
    }
    if (!end)
        Main();
    DictionaryKill();
}
