// The "Insurance Report": every item of the active client by category with what a claim needs
// (when and where it was bought, its cost, its replacement cost and its value, each per piece)
// and per category and for the whole inventory the three amounts multiplied out by quantity.
#include "model/dictionary.h"
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
    // Each amount per piece feeds its total multiplied out by the quantity; the wide layout's
    // value total is its extended value column.
    auto amount = [&](int x, int w, const char *h1, const char *h2, const char *field, const char *total) {
        Column c{x, w, h1, h2 ? h2 : std::string(), field, a, R};
        c.total = total ? total : "";
        return c;
    };
    if (!wide)
        return {{0, 2500, "Description", {}, "MAS:DESCRIPTION", "@s50"},
                {2550, 400, "Qty", {}, "MAS:QUANTITY", kQuantityPicture, R},
                {3050, 650, "Date", "Purch", "MAS:DATEPURCHASED", "@d1b"},
                {3750, 1200, "Purchased", "From", "MAS:PURCHASEDFROM", "@s20"},
                amount(5000, 800, "Original", "Cost (ea)", "MAS:ORIGINALCOST", "originalCost"),
                amount(5850, 800, "Rplcmnt", "Cost (ea)", "MAS:REPLACEMENTCOST", "replacementCost"),
                amount(6700, 800, "Value (ea)", nullptr, "MAS:MARKETVALUE", "value")};
    Column extended{9130, 870, "Value (ext)", {}, "MAS:MARKETVALUE", kTotalPicture, R, CellKind::Extended, "ExtendedValue"};
    extended.total = "value";
    return {{0, 2150, "Description", {}, "MAS:DESCRIPTION", "@s40"},
            {2200, 350, "Qty", {}, "MAS:QUANTITY", kQuantityPicture, R},
            {2650, 1000, "Model", {}, "MAS:MODELNUMBER", "@s20"},
            {3700, 1000, "Manufacturer", {}, "MAS:MANUFACTURER", "@s20"},
            {4750, 1200, "Purchased", "From", "MAS:PURCHASEDFROM", "@s20"},
            {6000, 650, "Date", "Purch", "MAS:DATEPURCHASED", "@d1b"},
            amount(6700, 750, "Original", "Cost (ea)", "MAS:ORIGINALCOST", "originalCost"),
            amount(7500, 750, "Rplcmnt", "Cost (ea)", "MAS:REPLACEMENTCOST", "replacementCost"),
            amount(8320, 780, "Value (ea)", nullptr, "MAS:MARKETVALUE", nullptr),
            extended};
}

// The category footer and the grand totals share their form: a label line, the count line and
// the amounts, each under its column (on a line of its own where two would meet).
Band totalsBand(std::string name, bool wide, const std::vector<Column> &columns, bool grand)
{
    const int width = wide ? 10000 : 7500;
    Band b;
    b.name = std::move(name);
    const unsigned style = grand ? kBold : 0;
    b.controls = {rule(0, 30, width),
                  text(0, 80, 2400, grand ? "Grand totals all categories:" : "Totals for category:", kBold)};
    if (!grand)
        b.controls.push_back(field("CAT:CATEGORY", 2400, 80, 2000, "@s20", Align::Left, kBold));
    b.controls.push_back(text(300, 260, 3000, grand ? "Total number of items listed:" : "Number of items this category:"));
    b.controls.push_back(field("count", 3300, 260, 1200, kCountPicture, Align::Right));
    b.controls.push_back(text(300, 440, 3000, grand ? "Total values all categories:" : "Total values this category:"));
    int lines = 1;
    for (const Control &c : totalFields(columns, 440, kTotalPicture, style, b.controls, &lines))
        b.controls.push_back(c);
    b.height = 460 + 180 * lines;
    return b;
}

}  // namespace

ReportLayout insuranceLayout(bool wide)
{
    const int width = wide ? 10000 : 7500;
    const std::vector<Column> columns = insuranceColumns(wide);
    ReportLayout l;
    l.header = pageHeading(width, "Insurance Report", columns);
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
    s.totals = itemTotals(insuranceColumns(wide));
    s.printItem = [columns = insuranceColumns(wide)](const rt::ViewRow &row, ReportRun &run) {
        run.print("detail", cellValues(columns, dict::MasterInventoryDef, row.record.data()));
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
