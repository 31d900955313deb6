// The "Insurance Report": every item of the active client by category with what a claim needs
// (when and where it was bought, its cost, its replacement cost and its value, each per piece)
// and per category and for the whole inventory the three amounts multiplied out by quantity.
#include "model/dictionary.h"
#include "model/valuation.h"
#include "reports/item_reports.h"
#include "reports/reports.h"
#include "runtime/gui.h"

namespace reports {

using namespace kit;

namespace {

std::vector<Column> insuranceColumns(bool wide)
{
    const auto R = Align::Right;
    const char *a = kAmountPicture;
    if (!wide)
        return {{0, 2500, "Description", {}, "MAS:DESCRIPTION", "@s50"},
                {2550, 400, "Qty", {}, "MAS:QUANTITY", kQuantityPicture, R},
                {3050, 650, "Date", "Purch", "MAS:DATEPURCHASED", "@d1b"},
                {3750, 1200, "Purchased", "From", "MAS:PURCHASEDFROM", "@s20"},
                {5000, 800, "Original", "Cost (ea)", "MAS:ORIGINALCOST", a, R},
                {5850, 800, "Rplcmnt", "Cost (ea)", "MAS:REPLACEMENTCOST", a, R},
                {6700, 800, "Value (ea)", {}, "MAS:MARKETVALUE", a, R}};
    return {{0, 2150, "Description", {}, "MAS:DESCRIPTION", "@s40"},
            {2200, 350, "Qty", {}, "MAS:QUANTITY", kQuantityPicture, R},
            {2650, 1000, "Model", {}, "MAS:MODELNUMBER", "@s20"},
            {3700, 1000, "Manufacturer", {}, "MAS:MANUFACTURER", "@s20"},
            {4750, 1200, "Purchased", "From", "MAS:PURCHASEDFROM", "@s20"},
            {6000, 650, "Date", "Purch", "MAS:DATEPURCHASED", "@d1b"},
            {6700, 750, "Original", "Cost (ea)", "MAS:ORIGINALCOST", a, R},
            {7500, 750, "Rplcmnt", "Cost (ea)", "MAS:REPLACEMENTCOST", a, R},
            {8300, 800, "Value (ea)", {}, "MAS:MARKETVALUE", a, R},
            {9150, 850, "Value (ext)", {}, "ExtendedValue", kTotalPicture, R}};
}

// The category footer and the grand totals share their form: a label line, the count line and
// the amounts line with each amount under its column.
Band totalsBand(std::string name, bool wide, const std::vector<Column> &columns, bool grand)
{
    const int width = wide ? 10000 : 7500;
    Band b;
    b.name = std::move(name);
    b.height = 640;
    const unsigned style = grand ? kBold : 0;
    b.controls = {rule(0, 30, width),
                  text(0, 80, 2400, grand ? "Grand totals all categories:" : "Totals for category:", kBold)};
    if (!grand)
        b.controls.push_back(field("CAT:CATEGORY", 2400, 80, 2000, "@s20", Align::Left, kBold));
    b.controls.push_back(text(300, 260, 3000, grand ? "Total number of items listed:" : "Number of items this category:"));
    b.controls.push_back(field("count", 3300, 260, 1200, kCountPicture, Align::Right));
    b.controls.push_back(text(300, 440, 3000, grand ? "Total values all categories:" : "Total values this category:"));
    auto under = [&](const char *column, const char *total) {
        const Column *c = findColumn(columns, column);
        // Totals are as wide as 64-bit cents: right-aligned under their column, they grow left.
        b.controls.push_back(field(total, c->x + c->w - 1600, 440, 1600, kTotalPicture, Align::Right, style));
    };
    under("MAS:ORIGINALCOST", "originalCost");
    under("MAS:REPLACEMENTCOST", "replacementCost");
    under(wide ? "ExtendedValue" : "MAS:MARKETVALUE", "value");
    return b;
}

std::int64_t times(const MasterInventoryRecord &m, std::int64_t cents)
{
    std::int64_t out = 0;
    valuation::extendedValue(m.QUANTITY.get(), cents, out);
    return out;
}

}  // namespace

ReportLayout insuranceLayout(bool wide)
{
    const int width = wide ? 10000 : 7500;
    const std::vector<Column> columns = insuranceColumns(wide);
    ReportLayout l;
    l.header = itemPageHeading(width, "Insurance Report", columnHeadings(columns), true);
    l.footer = itemPageFooter(width);
    l.page = itemPage(wide, l.header.height);

    Band group;
    group.name = "group header";
    group.height = 330;
    group.controls = {field("CAT:DESCRIPTION", 0, 80, width, "@s60", Align::Left, kBold, 1200)};

    Band detail;
    detail.name = "detail";
    detail.height = 190;
    detail.controls = columnFields(columns);

    l.bands = {group, detail, totalsBand("group footer", wide, columns, false),
               totalsBand("grand totals", wide, columns, true)};
    return l;
}

ReportSpec insuranceSpec(bool wide)
{
    ReportSpec s = valuationSpec(wide, false);
    auto item = [](const rt::ViewRow &row) -> const MasterInventoryRecord & {
        return recordOf<MasterInventoryRecord>(row);
    };
    s.totals = {{"count", TotalSpec::When::ItemPrinted, {}},
                {"value", TotalSpec::When::ItemPrinted,
                 [item](const rt::ViewRow &r) { return valuation::extendedValue(item(r)); }},
                {"originalCost", TotalSpec::When::ItemPrinted,
                 [item](const rt::ViewRow &r) { return times(item(r), item(r).ORIGINALCOST.cents()); }},
                {"replacementCost", TotalSpec::When::ItemPrinted,
                 [item](const rt::ViewRow &r) { return times(item(r), item(r).REPLACEMENTCOST.cents()); }}};
    s.printItem = [columns = insuranceColumns(wide), wide](const rt::ViewRow &row, ReportRun &run) {
        Values v = columnValues(dict::MasterInventoryDef, row.record.data(), columns);
        if (wide)
            v.set("ExtendedValue", Value::cents(valuation::extendedValue(recordOf<MasterInventoryRecord>(row))));
        run.print("detail", v);
    };
    return s;
}

ReportDefinition insuranceDefinition(bool wide)
{
    ReportDefinition d = valuationDefinition(wide);
    d.title = "Insurance Report";
    d.questions.clear();
    d.layout = [wide](const RunChoices &) { return insuranceLayout(wide); };
    d.spec = [wide](const RunChoices &) { return insuranceSpec(wide); };
    return d;
}

}  // namespace reports

void PrintInsuranceReport() { reports::runReport(reports::insuranceDefinition(false)); }
void PrintInsuranceReportWide() { reports::runReport(reports::insuranceDefinition(true)); }
