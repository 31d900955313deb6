// The client program's procedure table: its own windows, the shared pickers and read-only
// browses of the master inventory, and the reports this version does not have yet.
#include "client/client.h"
#include "model/globals.h"
#include "inventory/browses.h"
#include "inventory/inventory.h"
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

struct Pending {
    const char *name, *what;
    bool plural = false;
};

const Pending kPending[] = {
    {"ReportsMenu", "The home inventory reports menu"},
    {"PrintItemInformation", "The item information report"},
    {"PrintAppraisedItems", "The appraised items report"},
    {"PrintAppraisedItemsWide", "The appraised items report"},
    {"PrintInheritanceReport", "The inheritance report"},
    {"PrintInheritanceReportWide", "The inheritance report"},
    {"PrintInsuranceReport", "The insurance report"},
    {"PrintInsuranceReportWide", "The insurance report"},
    {"PrintInventoryValuation", "The inventory valuation report"},
    {"PrintInventoryValuationWide", "The inventory valuation report"},
    {"PrintLocationInventory", "The location inventory report"},
    {"PrintLocationInventoryWide", "The location inventory report"},
    {"PrintCategoryInventory", "The category inventory report"},
    {"PrintCategoryInventoryWide", "The category inventory report"},
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

void registerClientProcedures()
{
    for (const Pending &p : kPending)
        rt::registerPendingProcedure(p.name, p.what, p.plural);
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
