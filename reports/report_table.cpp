// Adding a report
// ---------------
// 1. Write its definition (layout, ReportSpec, files, heading, questions) in a file of its own in this
//    folder, with a factory that takes its inputs as values, `ReportDefinition xxxDefinition(bool wide)`
//    or with its options (`catalogDefinition(order, CatalogOptions)`), and list that file in
//    reports/CMakeLists.txt. What it is made from comes in through its factory, never from the
//    report globals (a picker it runs itself hands back its choice in the globals it reads then).
// 2. Give it an identifier in `Report` (report_table.h) and one entry below, in the same place:
//    its procedure names, the menu button and tip, the frames' menu text, whether it asks for
//    its selection, the programs that offer it, and `definition`, which makes it from the
//    `ReportInputs` (options.h) it reads. Registration, the reports menus and the frames' Reports
//    menus follow from the entry. Its procedure names are written here only: an options window
//    starts it with its own choices (`startReport(id, inputs)`), any other caller by its
//    identifier (`startReport(id)`, `runEntry(report(id))`). Started by name, a procedure takes
//    its inputs from the globals its caller set, read once at that door (`inputsFromGlobals`):
//    an input of a new kind goes into `ReportInputs` and is read there.
// 3. Test its rows (tests/reports/) through `runToRows`; the client program prints it through the
//    same factory under its edition, so give it a case in tests/client/ when the client offers it.
#include "reports/report_table.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "model/dictionary.h"
#include "model/globals.h"
#include "reports/custom_report.h"
#include "reports/catalog.h"
#include "reports/data_forms.h"
#include "reports/item_lists.h"
#include "reports/reports.h"
#include "runtime/gui.h"
#include "runtime/text.h"

namespace reports {

unsigned programBit(model::Program program) { return 1u << static_cast<unsigned>(program); }

namespace {

using F = FrameMenu;
using R = Report;

std::vector<ReportEntry> makeTable()
{
    using Make = std::function<ReportDefinition(const ReportInputs &)>;
    // A report whose only input is its layout; one of a single layout.
    auto byLayout = [](ReportDefinition (*make)(bool)) {
        return Make([make](const ReportInputs &in) { return make(in.wide); });
    };
    auto one = [](ReportDefinition (*make)()) { return Make([make](const ReportInputs &) { return make(); }); };
    auto category = [](const ReportInputs &in) { return selectionDefinition(Selection::Category, in.wide); };
    auto location = [](const ReportInputs &in) { return selectionDefinition(Selection::Location, in.wide); };
    auto item = [](const ReportInputs &in) { return itemInformationDefinition(in.assetNumber); };
    std::vector<ReportEntry> t;
    auto add = [&t](ReportEntry e) { t.push_back(std::move(e)); };

    // The reports menus' buttons, in their order.
    add({.id = R::InventoryValuation,
         .portrait = "PrintInventoryValuation", .wide = "PrintInventoryValuationWide", .button = "Inventory",
         .tip = "Complete Inventory Valuation Report", .frameMenu = F::HomeInventoryReports, .menuText = "Inventory",
         .offeredBy = kBoth, .definition = byLayout(valuationDefinition)});
    add({.id = R::CategoryInventory,
         .portrait = "PrintCategoryInventory", .wide = "PrintCategoryInventoryWide", .button = "Specific Category",
         .tip = "Report of inventory in a specific category", .frameMenu = F::HomeInventoryReports,
         .menuText = "Specific Category", .asks = true, .offeredBy = kBoth,
         .definition = category});
    add({.id = R::LocationInventory,
         .portrait = "PrintLocationInventory", .wide = "PrintLocationInventoryWide", .button = "Location",
         .tip = "Inventory report by location", .frameMenu = F::HomeInventoryReports, .menuText = "Location",
         .asks = true, .offeredBy = kBoth, .definition = location});
    add({.id = R::ReceiptList, .portrait = "PrintReceiptList", .wide = "PrintReceiptListWide", .button = "Receipt List",
         .tip = "List of all items with attached receipt", .frameMenu = F::HomeInventoryReports,
         .menuText = "Receipt List", .offeredBy = kBoth,
         .definition = [](const ReportInputs &in) { return fileListDefinition(FileList::Receipt, in.wide); }});
    add({.id = R::Inheritance,
         .portrait = "PrintInheritanceReport", .wide = "PrintInheritanceReportWide", .button = "Heirs",
         .tip = "Report of all items to be given to your heirs", .frameMenu = F::HomeInventoryReports,
         .menuText = "Heirs", .offeredBy = kBoth,
         .definition = byLayout(inheritanceDefinition)});
    add({.id = R::CatalogOptions,
         .portrait = "ReportCatalogOptions", .button = "Catalog", .tip = "Client Inventory Catalog",
         .frameMenu = F::HomeInventoryReports, .menuText = "Catalog", .offeredBy = kProfessional,
         .window = ReportCatalogOptions});
    add({.id = R::CustomReportOptions,
         .portrait = "ReportDesignOptions", .button = "Custom Reports", .tip = "Design and print a custom report",
         .frameMenu = F::HomeInventoryReports, .menuText = "Custom Reports", .offeredBy = kProfessional,
         .window = ReportDesignOptions});
    add({.id = R::PictureList, .portrait = "PrintPictureList", .wide = "PrintPictureListWide", .button = "Picture List",
         .tip = "List of all items with attached picture", .frameMenu = F::HomeInventoryReports,
         .menuText = "Picture List", .offeredBy = kBoth,
         .definition = [](const ReportInputs &in) { return fileListDefinition(FileList::Picture, in.wide); }});
    add({.id = R::WarrantyList,
         .portrait = "PrintWarrantyList", .wide = "PrintWarrantyListWide", .button = "Warranty List",
         .tip = "List of all items with warranty", .frameMenu = F::HomeInventoryReports, .menuText = "Warranty List",
         .offeredBy = kBoth,
         .definition = [](const ReportInputs &in) { return fileListDefinition(FileList::Warranty, in.wide); }});
    add({.id = R::Insurance,
         .portrait = "PrintInsuranceReport", .wide = "PrintInsuranceReportWide", .button = "Insurance Report",
         .tip = "Print an insurance claim report", .frameMenu = F::HomeInventoryReports, .menuText = "Insurance",
         .offeredBy = kBoth,
         .definition = byLayout(insuranceDefinition)});
    add({.id = R::AppraisedItems,
         .portrait = "PrintAppraisedItems", .wide = "PrintAppraisedItemsWide", .button = "Appraisal",
         .tip = "Report of all inventory items that have been appraised", .frameMenu = F::HomeInventoryReports,
         .menuText = "Appraisal", .offeredBy = kBoth,
         .definition = byLayout(appraisedDefinition)});
    add({.id = R::BoxPackingList,
         .portrait = "PrintBoxPackingList", .wide = "PrintBoxPackingListWide", .button = "Packing List",
         .tip = "Print the contents of a specific box", .frameMenu = F::HomeInventoryReports,
         .menuText = "Packing List", .asks = true, .offeredBy = kBoth, .definition = byLayout(packingListDefinition)});

    // Reached from the browses, the home-inventory menu and the toolbars.
    add({.id = R::ItemInformation, .portrait = "PrintItemInformation", .offeredBy = kBoth, .definition = item});
    // The catalog in its three orders, started by its options window.
    for (auto [id, name, order] :
         {std::tuple{R::CatalogByDescription, "ReportCatalogByDescription", CatalogOrder::Description},
          {R::CatalogByCategory, "ReportCatalogByCategory", CatalogOrder::Category},
          {R::CatalogByLocation, "ReportCatalogByLocation", CatalogOrder::Location}})
        add({.id = id, .portrait = name, .offeredBy = kProfessional,
             .definition = [order](const ReportInputs &in) { return catalogDefinition(order, in.catalog); }});
    // The custom report's two engines, started by its options window.
    add({.id = R::CustomReport,
         .portrait = "PrintCustomReportPortrait", .wide = "PrintCustomReportLandscape", .offeredBy = kProfessional,
         .definition = [](const ReportInputs &in) { return customReportDefinition(in.wide, in.custom); }});
    add({.id = R::DataFormsOptions, .portrait = "DataFormsOptions", .offeredBy = kProfessional,
         .window = DataFormsOptions, .ofClient = false});
    // The blank forms, started by their options window.
    int form = 0;
    for (auto [id, name] : {std::pair{R::ClothingForm, "PrintClothingDataForm"},
                            {R::ElectronicsForm, "PrintElectronicsDataForm"},
                            {R::FurnitureForm, "PrintFurnitureDataForm"},
                            {R::MiscellaneousForm, "PrintMiscellaneousDataForm"}}) {
        const int i = form++;
        add({.id = id, .portrait = name, .offeredBy = kProfessional,
             .definition = [i](const ReportInputs &in) { return dataFormDefinition(i, in.copies); },
             .ofClient = false});
    }
    // The toolbar's buttons stand in this order: "Client", then "Reports".
    add({.id = R::ClientListOptions,
         .portrait = "ClientReportOptions", .frameMenu = F::Reports, .menuText = "Client List",
         .offeredBy = kProfessional, .window = ClientReportOptions, .toolbar = "Client",
         .toolbarTip = "Print a client list", .ofClient = false});
    add({.id = R::ReportsMenu, .portrait = "ReportsMenu", .offeredBy = kBoth, .window = ReportsMenu,
         .toolbar = "Reports", .toolbarTip = "Select a home inventory report",
         .clientToolbarTip = "Select a customer report"});
    add({.id = R::ClientList, .portrait = "PrintClientList", .offeredBy = kProfessional,
         .definition = [](const ReportInputs &in) { return clientListDefinition(in.clientList); }, .ofClient = false});
    // The reference tables' Print buttons.
    add({.id = R::LocationBoxList, .portrait = "PrintLocationBoxList", .offeredBy = kProfessional,
         .definition = one(locationBoxListDefinition), .ofClient = false});
    add({.id = R::CategoryTypesList, .portrait = "PrintCategoryTypesList", .offeredBy = kProfessional,
         .definition = one(categoryTypesListDefinition), .ofClient = false});
    add({.id = R::ManufacturerList, .portrait = "PrintManufacturerList", .offeredBy = kProfessional,
         .definition = one(manufacturerListDefinition), .ofClient = false});
    add({.id = R::VendorList, .portrait = "PrintVendorList", .offeredBy = kProfessional,
         .definition = one(vendorListDefinition), .ofClient = false});
    return t;
}

}  // namespace

std::span<const ReportEntry> reportTable()
{
    static const std::vector<ReportEntry> table = makeTable();
    return table;
}

const ReportEntry *findReport(std::string_view procedure)
{
    for (const ReportEntry &e : reportTable())
        if (procedure == e.portrait || (e.wide && procedure == e.wide))
            return &e;
    return nullptr;
}

const ReportEntry &report(Report id)
{
    const std::span<const ReportEntry> table = reportTable();
    return *std::find_if(table.begin(), table.end(), [id](const ReportEntry &e) { return e.id == id; });
}

bool wideFormat() { return rt::clip(model::edition().reportFormat()) != "Portrait"; }

std::string formatProcedure(const ReportEntry &entry) { return entry.procedure(wideFormat()); }

void startReport(Report id) { rt::runProcedure(formatProcedure(report(id))); }

void startReport(Report id, const ReportInputs &inputs)
{
    const ReportEntry &e = report(id);
    if (e.window)
        e.window();
    else
        runReport(e.definition(inputs));
}

void runEntry(const ReportEntry &entry)
{
    if (entry.asks)
        Glo.SelectionPreset = 0;
    rt::runProcedure(formatProcedure(entry));
}

void runFrameEntry(const ReportEntry &entry)
{
    if (!entry.window)
        Glo.SelectionPreset = 0;
    rt::runProcedure(formatProcedure(entry));
}

std::vector<const ReportEntry *> frameMenuEntries(model::Program program, FrameMenu menu)
{
    std::vector<const ReportEntry *> out;
    for (const ReportEntry &e : reportTable())
        if (e.frameMenu == menu && e.offered(program))
            out.push_back(&e);
    std::stable_sort(out.begin(), out.end(),
                     [](const ReportEntry *a, const ReportEntry *b) { return std::strcmp(a->menuText, b->menuText) < 0; });
    return out;
}

std::vector<const ReportEntry *> toolbarEntries(model::Program program)
{
    std::vector<const ReportEntry *> out;
    for (const ReportEntry &e : reportTable())
        if (e.toolbar && e.offered(program))
            out.push_back(&e);
    return out;
}

void registerReportProcedures(model::Program program)
{
    for (const ReportEntry &e : reportTable()) {
        if (!e.offered(program))
            continue;
        std::vector<std::pair<const char *, bool>> names{{e.portrait, false}};
        if (e.wide)
            names.push_back({e.wide, true});
        for (auto [name, wide] : names) {
            if (e.window)
                rt::registerProcedure(name, e.window);
            else  // the door of a procedure started by name: its inputs read once, as it starts
                rt::registerProcedure(name, [&e, wide = wide] { runReport(e.definition(inputsFromGlobals(wide))); });
        }
    }
}

}  // namespace reports

void registerReportProcedures()
{
    reports::registerReportProcedures(model::edition().program);
    if (model::edition().program == model::Program::Professional)
        reports::registerCustomReportProcedures();
}
