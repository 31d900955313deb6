// Adding a report
// ---------------
// 1. Write its definition (layout, ReportSpec, files, heading, questions) in a file of its own in this
//    folder, with a factory `ReportDefinition xxxDefinition(bool wide)`, and list that file in
//    reports/CMakeLists.txt.
// 2. Give it one entry below: its procedure names, the menu button and tip, the frames' menu
//    text, what it asks for, the programs that offer it and those it is built for, and the
//    factory. Registration, the reports menus, the frames' Reports menus and the "not part of
//    this version" message all follow from the entry; a report offered before it is built
//    stands here with `pendingWhat` and without a factory.
// 3. Test its rows (tests/reports/); the client program prints it through the same factory
//    under its edition, so give it a case in tests/client/ when the client offers it.
#include "reports/report_table.h"

#include <algorithm>
#include <cstring>

#include "model/dictionary.h"
#include "model/globals.h"
#include "reports/custom_report.h"
#include "reports/catalog.h"
#include "reports/data_forms.h"
#include "reports/item_lists.h"
#include "reports/reports.h"
#include "runtime/gui.h"

namespace reports {

unsigned programBit(model::Program program) { return 1u << static_cast<unsigned>(program); }

namespace {

using F = FrameMenu;

std::vector<ReportEntry> makeTable()
{
    auto category = [](bool wide) { return selectionDefinition(Selection::Category, wide); };
    auto location = [](bool wide) { return selectionDefinition(Selection::Location, wide); };
    // The item in the shared record buffer when the report is called.
    auto item = [](bool) { return itemInformationDefinition(MAS.ASSETNUMBER.get()); };
    auto one = [](ReportDefinition (*make)()) {
        return std::function<ReportDefinition(bool)>([make](bool) { return make(); });
    };
    std::vector<ReportEntry> t;
    auto add = [&t](ReportEntry e) { t.push_back(std::move(e)); };

    // The reports menus' buttons, in their order.
    add({.portrait = "PrintInventoryValuation", .wide = "PrintInventoryValuationWide", .button = "Inventory",
         .tip = "Complete Inventory Valuation Report", .frameMenu = F::HomeInventoryReports, .menuText = "Inventory",
         .offeredBy = kBoth, .builtFor = kBoth, .definition = valuationDefinition});
    add({.portrait = "PrintCategoryInventory", .wide = "PrintCategoryInventoryWide", .button = "Specific Category",
         .tip = "Report of inventory in a specific category", .frameMenu = F::HomeInventoryReports,
         .menuText = "Specific Category", .asks = Asks::Category, .offeredBy = kBoth, .builtFor = kBoth,
         .definition = category});
    add({.portrait = "PrintLocationInventory", .wide = "PrintLocationInventoryWide", .button = "Location",
         .tip = "Inventory report by location", .frameMenu = F::HomeInventoryReports, .menuText = "Location",
         .asks = Asks::Location, .offeredBy = kBoth, .builtFor = kBoth, .definition = location});
    add({.portrait = "PrintReceiptList", .wide = "PrintReceiptListWide", .button = "Receipt List",
         .tip = "List of all items with attached receipt", .frameMenu = F::HomeInventoryReports,
         .menuText = "Receipt List", .offeredBy = kBoth, .builtFor = kBoth,
         .definition = [](bool wide) { return fileListDefinition(FileList::Receipt, wide); }});
    add({.portrait = "PrintInheritanceReport", .wide = "PrintInheritanceReportWide", .button = "Heirs",
         .tip = "Report of all items to be given to your heirs", .frameMenu = F::HomeInventoryReports,
         .menuText = "Heirs", .offeredBy = kBoth, .builtFor = kBoth,
         .definition = inheritanceDefinition});
    add({.portrait = "ReportCatalogOptions", .button = "Catalog", .tip = "Client Inventory Catalog",
         .frameMenu = F::HomeInventoryReports, .menuText = "Catalog", .offeredBy = kProfessional,
         .builtFor = kProfessional, .window = ReportCatalogOptions});
    add({.portrait = "ReportDesignOptions", .button = "Custom Reports", .tip = "Design and print a custom report",
         .frameMenu = F::HomeInventoryReports, .menuText = "Custom Reports", .offeredBy = kProfessional,
         .builtFor = kProfessional, .window = ReportDesignOptions});
    add({.portrait = "PrintPictureList", .wide = "PrintPictureListWide", .button = "Picture List",
         .tip = "List of all items with attached picture", .frameMenu = F::HomeInventoryReports,
         .menuText = "Picture List", .offeredBy = kBoth, .builtFor = kBoth,
         .definition = [](bool wide) { return fileListDefinition(FileList::Picture, wide); }});
    add({.portrait = "PrintWarrantyList", .wide = "PrintWarrantyListWide", .button = "Warranty List",
         .tip = "List of all items with warranty", .frameMenu = F::HomeInventoryReports, .menuText = "Warranty List",
         .offeredBy = kBoth, .builtFor = kBoth,
         .definition = [](bool wide) { return fileListDefinition(FileList::Warranty, wide); }});
    add({.portrait = "PrintInsuranceReport", .wide = "PrintInsuranceReportWide", .button = "Insurance Report",
         .tip = "Print an insurance claim report", .frameMenu = F::HomeInventoryReports, .menuText = "Insurance",
         .offeredBy = kBoth, .builtFor = kBoth,
         .definition = insuranceDefinition});
    add({.portrait = "PrintAppraisedItems", .wide = "PrintAppraisedItemsWide", .button = "Appraisal",
         .tip = "Report of all inventory items that have been appraised", .frameMenu = F::HomeInventoryReports,
         .menuText = "Appraisal", .offeredBy = kBoth, .builtFor = kBoth,
         .definition = appraisedDefinition});
    add({.portrait = "PrintBoxPackingList", .wide = "PrintBoxPackingListWide", .button = "Packing List",
         .tip = "Print the contents of a specific box", .frameMenu = F::HomeInventoryReports,
         .menuText = "Packing List", .asks = Asks::LocationAndBox, .offeredBy = kBoth,
         .builtFor = kBoth, .definition = packingListDefinition});

    // Reached from the browses, the home-inventory menu and the toolbars.
    add({.portrait = "PrintItemInformation", .offeredBy = kBoth, .builtFor = kBoth, .definition = item});
    // The catalog in its three orders, started by its options window.
    for (auto [name, procedure] : {std::pair{"ReportCatalogByDescription", &ReportCatalogByDescription},
                                   {"ReportCatalogByCategory", &ReportCatalogByCategory},
                                   {"ReportCatalogByLocation", &ReportCatalogByLocation}})
        add({.portrait = name, .offeredBy = kProfessional, .builtFor = kProfessional, .window = procedure});
    // The custom report's two engines, started by its options window.
    add({.portrait = "PrintCustomReportPortrait", .wide = "PrintCustomReportLandscape", .offeredBy = kProfessional,
         .builtFor = kProfessional, .definition = customReportDefinition});
    add({.portrait = "DataFormsOptions", .offeredBy = kProfessional, .builtFor = kProfessional,
         .window = DataFormsOptions, .ofClient = false});
    // The blank forms, started by their options window.
    for (int i = 0; i < 4; ++i)
        add({.portrait = dataFormProcedure(i), .offeredBy = kProfessional, .builtFor = kProfessional,
             .definition = [i](bool) { return dataFormDefinition(i, std::max<int>(1, Glo.FormCopies)); },
             .ofClient = false});
    // The toolbar's buttons stand in this order: "Client", then "Reports".
    add({.portrait = "ClientReportOptions", .frameMenu = F::Reports, .menuText = "Client List",
         .offeredBy = kProfessional, .builtFor = kProfessional, .window = ClientReportOptions, .toolbar = "Client",
         .toolbarTip = "Print a client list", .ofClient = false});
    add({.portrait = "ReportsMenu", .offeredBy = kBoth, .builtFor = kBoth, .window = ReportsMenu,
         .toolbar = "Reports", .toolbarTip = "Select a home inventory report",
         .clientToolbarTip = "Select a customer report"});
    add({.portrait = "PrintClientList", .offeredBy = kProfessional, .builtFor = kProfessional,
         .definition = one(clientListDefinition), .ofClient = false});
    // The reference tables' Print buttons.
    add({.portrait = "PrintLocationBoxList", .offeredBy = kProfessional, .builtFor = kProfessional,
         .definition = one(locationBoxListDefinition), .ofClient = false});
    add({.portrait = "PrintCategoryTypesList", .offeredBy = kProfessional, .builtFor = kProfessional,
         .definition = one(categoryTypesListDefinition), .ofClient = false});
    add({.portrait = "PrintManufacturerList", .offeredBy = kProfessional, .builtFor = kProfessional,
         .definition = one(manufacturerListDefinition), .ofClient = false});
    add({.portrait = "PrintVendorList", .offeredBy = kProfessional, .builtFor = kProfessional,
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

std::string formatProcedure(const ReportEntry &entry)
{
    if (!entry.pair())
        return entry.portrait;
    // A program with a settings record takes the format from its buffer (the reports menu reads
    // the record when it opens); the client program from its run's format.
    if (model::edition().settingsRecord)
        return model::reportProcedure(MSY.REPORTFORMAT.str(), entry.portrait, entry.wide);
    return model::reportProcedure(entry.portrait, entry.wide);
}

void runEntry(const ReportEntry &entry)
{
    if (entry.asks != Asks::Nothing)
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
            if (!e.built(program))
                rt::registerPendingProcedure(name, e.pendingWhat ? e.pendingWhat : name, e.plural);
            else if (e.window)
                rt::registerProcedure(name, e.window);
            else
                rt::registerProcedure(name, [&e, wide = wide] { runReport(e.definition(wide)); });
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
