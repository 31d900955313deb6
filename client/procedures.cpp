// The client program's procedure table: its own windows, the shared pickers and read-only
// browses of the master inventory, and the reports of the report table.
#include "client/client.h"
#include "model/globals.h"
#include "inventory/browses.h"
#include "inventory/inventory.h"
#include "reports/reports.h"
#include "runtime/gui.h"

namespace client {

namespace {

// A browse opens only over an item file that opens: otherwise its message, and no window.
void browse(inventory::Variant variant)
{
    if (!CheckOpenFile(::MasterInventory))
        return;
    inventory::openInventoryBrowse(variant, variant == inventory::Variant::All ? std::string() : Glo.MenuSelect.str());
}

// A picker opens only over its file: otherwise its message, and no window. A report's picker
// that cannot open answers as if cancelled.
void picker(rt::RecordFile &file, void (*procedure)(), bool forReport)
{
    if (CheckOpenFile(file))
        procedure();
    else if (forReport)
        Glo.SelectionCancelled = 1;
}

}  // namespace

void registerClientProcedures()
{
    // The reports of the report table that this program offers, under its edition.
    registerReportProcedures();
    // The pickers are the shared ones; the menu, the browses and the item view are the client's.
    registerInventoryProcedures();
    rt::registerProcedure("HomeInventoryMenu", HomeInventoryMenu);
    rt::registerProcedure("BrowseOrvaneMaster", [] { browse(inventory::Variant::All); });
    rt::registerProcedure("BrowseOrvaneMasterSpec", [] { browse(inventory::Variant::Category); });
    rt::registerProcedure("BrowseOrvaneMasterLocation", [] { browse(inventory::Variant::Location); });
    rt::registerProcedure("UpdateMasterInventory", UpdateMasterInventory);
    rt::registerProcedure("SelectCategory", [] { picker(::Category, ::SelectCategory, false); });
    rt::registerProcedure("SelectLocation", [] { picker(::Location, ::SelectLocation, false); });
    rt::registerProcedure("GetCategory", [] { picker(::Category, ::GetCategory, true); });
    rt::registerProcedure("GetLocation", [] { picker(::Location, ::GetLocation, true); });
    rt::registerProcedure("GetLocationBox", [] {
        if (CheckOpenFile(::Location))
            picker(::BoxNumber, ::GetLocationBox, true);
        else
            Glo.SelectionCancelled = 1;
    });
    rt::registerProcedure("SplashWindow", SplashWindow);
    rt::registerProcedure("CalendarWindow", CalendarWindow);
    rt::registerProcedure("AboutKelvara", AboutKelvara);
    rt::registerProcedure("ReportFormat", ReportFormat);
    rt::registerProcedure("ShowZenvik", ShowZenvik);
}

}  // namespace client
