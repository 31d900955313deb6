// The main module of the client program: the dictionary of its six managed types, the data
// files named in its folder, the client system record, its own file-open routine and error
// messages, the display strings and the web-page opener.
#include <unistd.h>

#include <QFileInfo>
#include <QString>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "client/client.h"
#include "model/globals.h"
#include "model/managers.h"
#include "model/edition.h"
#include "runtime/browse_setup.h"
#include "runtime/errors.h"
#include "runtime/file_manager.h"
#include "runtime/file_recovery.h"
#include "runtime/file_report.h"
#include "runtime/help.h"
#include "runtime/ini_store.h"
#include "runtime/message.h"
#include "runtime/picture.h"
#include "runtime/paths.h"
#include "runtime/text.h"

namespace client {

namespace {

std::vector<rt::FileManager *> managers()
{
    return {Access::ClientSystemFile, Access::Location, Access::MasterInventory,
            Access::Type,             Access::BoxNumber, Access::Category};
}

// The error text of the current runtime error, as the messages show it.
std::string currentErrorText()
{
    if (rt::errorCode() == rt::err::DriverError)
        return rt::clip(rt::fileErrorText()) + " (" + rt::clip(rt::fileErrorCode()) + ")";
    return rt::clip(rt::errorText()) + " (" + std::to_string(rt::errorCode()) + ")";
}

std::string journalText(const rt::RecordFile &file, const std::string &journal)
{
    return rt::baseName(rt::clip(file.name)) + " needs recovery from the journal " + rt::baseName(journal) +
           " beside it";
}

// Opens a private handle on the file, read-only: 0, or the error code with its text.
int probe(const rt::RecordFile &file, std::vector<unsigned char> &record, std::string &memo,
          std::unique_ptr<rt::RecordFile> &out, std::string &error)
{
    if (std::string journal = strayJournal(file); !journal.empty()) {
        error = journalText(file, journal);
        return rt::err::AccessDenied;
    }
    record.assign(file.def().recordSize, 0);
    out = std::make_unique<rt::RecordFile>(file.def(), record.data(), &memo);
    out->name = file.name;
    if (out->open(rt::mode::ReadOnlyDenyNone) != 0) {
        int code = rt::errorCode();
        error = currentErrorText();
        out.reset();
        return code;
    }
    return 0;
}

}  // namespace

void DictionaryInit()
{
    ::DictionaryInit(DictionarySet::Client);
    // Nothing in the folder is ever created, written or rebuilt.
    for (rt::FileManager *m : managers()) {
        m->create = false;
        m->openMode = rt::mode::ReadOnlyDenyNone;
        m->lazyOpen = true;
    }
}

void DictionaryKill() { ::DictionaryKill(); }

void nameDataFiles()
{
    for (rt::RecordFile *f : {&::ClientSystemFile, &::Category, &::Location, &::BoxNumber, &::Heirs})
        f->name = fileIn(f->def().diskName);
    // The folder's copy of the items, written under the copy's layout, read as the items.
    ::MasterInventory.name = fileIn(dict::MasterInventoryTempDef.diskName);
}

std::string strayJournal(const rt::RecordFile &file)
{
    for (const char *suffix : {"-journal", "-wal"}) {
        std::string j = rt::clip(file.name) + suffix;
        struct stat st;
        const int fd = rt::openRegularFile(j, st);
        if (fd < 0)
            continue;
        // An empty journal, or one whose header was zeroed when its transaction committed,
        // holds nothing to roll back: the file reads as it is.
        char first = 0;
        ssize_t n;
        do
            n = ::pread(fd, &first, 1, 0);
        while (n < 0 && errno == EINTR);
        ::close(fd);
        if (n != 1 || (first == 0 && std::string_view(suffix) == "-journal"))
            continue;
        return j;
    }
    return {};
}

int readClientSystemRecord(ClientSystemFileRecord &into, std::string &error)
{
    std::vector<unsigned char> record;
    std::string memo;
    std::unique_ptr<rt::RecordFile> f;
    if (int code = probe(::ClientSystemFile, record, memo, f, error))
        return code;
    rt::clearRecord(dict::ClientSystemFileDef, record.data());
    f->setFileOrder();
    int code = f->next();
    if (code != 0)
        error = currentErrorText();
    else
        std::memcpy(&into, record.data(), sizeof into);
    f->close();
    return code;
}

void LoadClientSystemRecord()
{
    std::string error;
    rt::clearRecord(dict::ClientSystemFileDef, &CSF);
    Glo.ClientFileError = readClientSystemRecord(CSF, error) == 0 ? 0 : 1;
    if (Glo.ClientFileError == 1) {
        rt::beep();
        rt::message("Error reading client system file: " + error, "File Error", rt::Icon::Exclamation,
                    rt::BUTTON_ABORT);
    }
}

bool CheckOpenFile(rt::RecordFile &file)
{
    if (file.isOpen())
        return true;
    std::vector<unsigned char> record;
    std::string memo, error;
    std::unique_ptr<rt::RecordFile> f;
    if (probe(file, record, memo, f, error) != 0) {
        StandardFileError(30, rt::clip(file.name), error);
        return false;
    }
    f->close();
    return true;
}

long StandardFileError(long number, std::string_view text, std::string_view secondText)
{
    const std::string e = secondText.empty() ? currentErrorText() : std::string(secondText);
    const std::string n = rt::clip(text);
    rt::beep();
    switch (number) {
    case 30:
        return rt::message("File (" + n + ") could not be opened.  Error: " + e + ".", "File Access Error",
                           rt::Icon::Exclamation, rt::BUTTON_OK);
    case 35:
        return rt::message("Error: (" + e + ") attempting to access a record from the " + n +
                               " file.  Returning to previous window.",
                           "Record Retrieval Error", rt::Icon::Exclamation, rt::BUTTON_OK);
    case 36:
        return rt::message("Error: (" + e + ") attempting to open the current VIEW. Filter and Range Limits ignored.",
                           "View Open Error", rt::Icon::Exclamation, rt::BUTTON_OK);
    default:
        return 0;
    }
}

previewer::DisplayStrings ReportPreviewGlue(std::string_view iniName)
{
    return previewer::readDisplayStrings(fileIn(iniName));
}

void OpenWebPage(QWidget *, std::string_view address)
{
    rt::openWebPage(QString::fromStdString(rt::clip(address)));
}

namespace {

// The files a report of the folder opens: its twin's, with the client system file in place of
// the register and the settings, none of the professional program's own; a report of one item
// needs nothing but the item and its heading.
std::vector<rt::RecordFile *> reportFiles(const std::vector<rt::RecordFile *> &twin, bool oneItem)
{
    std::vector<rt::RecordFile *> out;
    bool heading = false;
    for (rt::RecordFile *f : twin) {
        if (f == &::QORClients || f == &::MainSystemFile) {
            if (!heading)
                out.push_back(&::ClientSystemFile);
            heading = true;
        } else if (f == &::MasterInventory || (!oneItem && f != &::SecondaryResidence && f != &::UserFields)) {
            out.push_back(f);
        }
    }
    return out;
}

// Read-only, by its name in the folder; a file that does not open has shown its message.
bool openReportFile(rt::RecordFile &file)
{
    if (!CheckOpenFile(file))
        return false;
    if (file.open(rt::mode::ReadOnlyDenyNone) != 0) {
        StandardFileError(30, rt::clip(file.name));
        return false;
    }
    return true;
}

// The heading of every report: the one client system record, read anew, all five lines printed.
bool readReportHeading(model::ReportHeading &h)
{
    Glo.ClientFileError = 0;
    rt::clearRecord(dict::ClientSystemFileDef, &CSF);
    std::string error;
    if (readClientSystemRecord(CSF, error) != 0) {
        Glo.ClientFileError = 1;
        rt::beep();
        rt::message("Error reading client system file", "File Error", rt::Icon::Exclamation, rt::BUTTON_ABORT);
        return false;
    }
    const std::string first = rt::clip(CSF.FIRSTNAME.view());
    h.name = first.empty() ? CSF.LASTNAME.str() : first + " " + rt::clip(CSF.LASTNAME.view());
    h.address = CSF.ADDRESS1.str();
    h.city = CSF.CLIENTCSZ.str();
    h.phone = rt::formatText(rt::PhonePicture, CSF.HOMEPHONE.view());
    const std::string email = rt::clip(CSF.EMAIL.view());
    h.email = email.empty() ? std::string() : "email: " + email;
    return true;
}

}  // namespace

void installClientEdition()
{
    model::Edition e;
    e.readOnly = true;
    e.userFieldTitles = [] {
        return model::UserFieldTitles{CSF.TITLEUSERFIELD1.str(), CSF.TITLEUSERFIELD2.str(), CSF.TITLEUSERFIELD3.str(),
                                      CSF.TITLEUSERFIELD4.str()};
    };
    e.reportFormat = [] { return Glo.ReportFormat.str(); };
    // The reports: their twins' definitions over the files of the folder.
    e.program = model::Program::Client;
    e.reportFiles = reportFiles;
    e.openReportFile = openReportFile;
    e.fileError = [](long number, std::string_view text, std::string_view second) {
        return StandardFileError(number, text, second);
    };
    e.reportHeading = readReportHeading;
    e.reportStatuses = {"Have", "Sell"};
    e.picturePath = [](std::string_view name) { return picturePath(name).toStdString(); };
    e.displayStringsPath = [](std::string_view name) { return fileIn(name); };
    model::setEdition(std::move(e));
}

void startProgram()
{
    fixFolder();
    // The client's own help pages, in their folder among the installed ones.
    rt::setHelpFolder(QString());
    const QString pages = rt::helpFolder() + "/client";
    if (QFileInfo::exists(pages + "/index.html"))
        rt::setHelpFolder(pages);
    dict::resetGlobals();
    resetProgramGlobals();
    rt::iniStore().setPath(iniPath());
    installClientEdition();
    // A journal left beside a file is the producer's to recover, and a damaged file is not
    // noted for a repair: nothing in the folder is ever changed.
    rt::setRecoverHotJournals(false);
    rt::setDamagedFileObserver(nullptr);
    // The runtime's lists, totals and forms report through the client's own messages.
    rt::setFileFailureReporter([](rt::FileFailure what, const rt::RecordFile &file) {
        switch (what) {
        case rt::FileFailure::Open: StandardFileError(30, rt::clip(file.name)); break;
        case rt::FileFailure::View: StandardFileError(36); break;
        case rt::FileFailure::Read: StandardFileError(35, file.def().label); break;
        }
    });
    registerClientProcedures();
    DictionaryInit();
}

void endProgram() { DictionaryKill(); }

void ProgramMain()
{
    startProgram();
    Main();
    endProgram();
}

}  // namespace client
