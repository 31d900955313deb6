#include "reports/catalog.h"
#include "reports/custom_report.h"
#include "reports/reports.h"
#include "runtime/gui.h"

namespace reports {

void runWithoutFrame(const ReportDefinition &definition, const RunChoices &choices, ReportWriter &writer)
{
    ReportSpec spec = definition.spec(choices);
    ReportRun run(spec, writer);
    rt::View view = definition.view();
    std::vector<rt::ViewRow> rows;
    view.read(25, rows);
    while (!rows.empty()) {
        for (const rt::ViewRow &r : rows)
            run.item(r);
        if (rows.size() < 25)
            break;
        rt::ViewRow last = rows.back();
        view.readAfter(last, 25, rows);
    }
    run.finish();
}

}  // namespace reports

void registerReportProcedures()
{
    rt::registerProcedure("PrintInventoryValuation", PrintInventoryValuation);
    rt::registerProcedure("PrintInventoryValuationWide", PrintInventoryValuationWide);
    rt::registerProcedure("PrintCategoryInventory", PrintCategoryInventory);
    rt::registerProcedure("PrintCategoryInventoryWide", PrintCategoryInventoryWide);
    rt::registerProcedure("PrintLocationInventory", PrintLocationInventory);
    rt::registerProcedure("PrintLocationInventoryWide", PrintLocationInventoryWide);
    rt::registerProcedure("PrintInsuranceReport", PrintInsuranceReport);
    rt::registerProcedure("PrintInsuranceReportWide", PrintInsuranceReportWide);
    rt::registerProcedure("PrintItemInformation", PrintItemInformation);
    rt::registerProcedure("ReportsMenu", ReportsMenu);
    rt::registerProcedure("ClientReportOptions", ClientReportOptions);
    rt::registerProcedure("PrintClientList", PrintClientList);
    rt::registerProcedure("PrintLocationBoxList", PrintLocationBoxList);
    rt::registerProcedure("PrintCategoryTypesList", PrintCategoryTypesList);
    rt::registerProcedure("PrintManufacturerList", PrintManufacturerList);
    rt::registerProcedure("PrintVendorList", PrintVendorList);
    rt::registerProcedure("ReportCatalogOptions", ReportCatalogOptions);
    rt::registerProcedure("ReportCatalogByDescription", ReportCatalogByDescription);
    rt::registerProcedure("ReportCatalogByCategory", ReportCatalogByCategory);
    rt::registerProcedure("ReportCatalogByLocation", ReportCatalogByLocation);
    reports::registerCustomReportProcedures();
}
