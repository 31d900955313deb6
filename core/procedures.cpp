#include "core/procedures.h"

#include "core/backup.h"
#include "core/clients.h"
#include "core/file_maintenance.h"
#include "core/make_cd.h"
#include "model/globals.h"
#include "core/import_wizard.h"
#include "core/settings.h"
#include "runtime/gui.h"

#include <algorithm>
#include <vector>

namespace {

struct Pending {
    const char *name;
    const char *what;
    bool plural = false;
};

// Windows and reports that later parts of the program bring.
const Pending kPending[] = {
    {"ReportCatalogOptions", "The catalog reports", true},
    {"DataFormsOptions", "The data input forms", true},
    {"PrintAppraisedItems", "The appraised items report"},
    {"PrintAppraisedItemsWide", "The appraised items report"},
    {"PrintInheritanceReport", "The inheritance report"},
    {"PrintInheritanceReportWide", "The inheritance report"},
    {"PrintBoxPackingList", "The box packing list"},
    {"PrintBoxPackingListWide", "The box packing list"},
    {"PrintPictureList", "The picture list"},
    {"PrintPictureListWide", "The picture list"},
    {"PrintReceiptList", "The receipt list"},
    {"PrintReceiptListWide", "The receipt list"},
    {"PrintWarrantyList", "The warranty list"},
    {"PrintWarrantyListWide", "The warranty list"},
};

}  // namespace

void registerCoreProcedures()
{
    rt::registerProcedure("AboutKelvara", AboutKelvara);
    registerSettingsProcedures();
    registerClientProcedures();
    registerBackupProcedures();
    registerFileManagerProcedures();
    registerImportProcedures();
    registerMakeCdProcedures();
    // The seeding of the reference tables runs silently at start-up; the tables' module puts the
    // real ones in place, and without it there is nothing to seed.
    rt::registerProcedure("VerifyHomeFiles", [] {});
    rt::registerProcedure("VerifyStandardFiles", [] {});
    rt::registerProcedure("VerifyLocationFiles", [] {});
}

namespace {
std::vector<ProcedureModule> &modules()
{
    static std::vector<ProcedureModule> m;
    return m;
}
}  // namespace

void addProcedureModule(ProcedureModule module)
{
    if (std::find(modules().begin(), modules().end(), module) == modules().end())
        modules().push_back(module);
}

void registerProgramProcedures()
{
    rt::bindRequestGlobals(&Glo.Request, &Glo.Response);
    for (const Pending &p : kPending)
        rt::registerPendingProcedure(p.name, p.what, p.plural);
    registerCoreProcedures();
    for (ProcedureModule m : modules())
        m();
}
