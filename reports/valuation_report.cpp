// The "Home Inventory Report": every item of the active client by category, with each item's
// value and the totals of each category and of the whole inventory, portrait and wide.
#include "model/dictionary.h"
#include "model/valuation.h"
#include "reports/item_reports.h"
#include "reports/layout_kit.h"
#include "reports/reports.h"
#include "runtime/gui.h"
#include "runtime/text.h"

namespace reports {

using namespace kit;

namespace {


Band totalsBand(std::string name, int width, std::string label, std::string countLabel, std::string valueLabel,
                bool grand)
{
    Band b;
    b.name = std::move(name);
    b.height = grand ? 700 : 640;
    b.controls = {rule(0, 30, width), text(0, 80, 2200, std::move(label), kBold)};
    if (!grand)
        b.controls.push_back(field("CAT:CATEGORY", 2200, 80, 2000, "@s20", Align::Left, kBold));
    b.controls.push_back(text(300, 270, 3200, std::move(countLabel)));
    b.controls.push_back(field("count", 3500, 270, 1500, reports::kCountPicture, Align::Right));
    b.controls.push_back(text(300, 450, 3200, std::move(valueLabel)));
    b.controls.push_back(field("value", width - 3000, 450, 3000, grand ? kGrandTotalPicture : kTotalPicture,
                               Align::Right, grand ? kBold : 0));
    return b;
}

}  // namespace

namespace {

// The columns of the two layouts, written once: the heading line, the detail band and the
// value total are all made from them.
std::vector<Column> valuationColumns(bool wide)
{
    const auto R = Align::Right;
    // The value of a piece holds its whole DEC(7,2) range at "@n9.2"; the extended value
    // takes any product of a quantity and a value.
    if (!wide)
        return {{0, 1300, "Serial", {}, "MAS:SERIALNUMBER", "@s20"},
                {1350, 1300, "Model", {}, "MAS:MODELNUMBER", "@s20"},
                {2700, 3000, "Description", {}, "MAS:DESCRIPTION", "@s60"},
                {5700, 700, "Quantity", {}, "MAS:QUANTITY", kQuantityPicture, R},
                valueColumn(6450, 1050, "@n9.2")};
    // Here the extended value feeds the value total; the value of one is only shown.
    Column extended{8150, 900, "Ext Value", {}, "MAS:MARKETVALUE", kTotalPicture, R, CellKind::Extended, "ExtendedValue"};
    extended.total = "value";
    return {{0, 1300, "Type", {}, "MAS:TYPE", "@s20"},
            {1350, 1300, "Serial", {}, "MAS:SERIALNUMBER", "@s20"},
            {2700, 1300, "Model", {}, "MAS:MODELNUMBER", "@s20"},
            {4050, 2450, "Description", {}, "MAS:DESCRIPTION", "@s50"},
            {6550, 700, "Quantity", {}, "MAS:QUANTITY", kQuantityPicture, R},
            {7300, 800, "Value (ea)", {}, "MAS:MARKETVALUE", "@n9.2", R},
            extended,
            {9150, 850, "Location", {}, "MAS:LOCATION", "@s20"}};
}

}  // namespace

ReportLayout valuationLayout(bool wide)
{
    ReportLayout l;
    const int width = wide ? 10000 : 7500;
    if (wide) {
        l.page.paperWidth = 11000;
        l.page.paperHeight = 8500;
        l.page.orientation = previewer::Orientation::Landscape;
        l.page.width = 10000;
        l.page.height = 6000;
        l.page.footerTop = 7500;
    } else {
        l.page.width = 7500;
        l.page.height = 8483;
        l.page.footerTop = 10000;
    }
    l.page.left = 500;
    l.page.top = 1508;
    l.page.headerTop = 500;

    const std::vector<Column> columns = valuationColumns(wide);
    l.header = pageHeading(width, "Home Inventory Report", columns);
    l.footer = itemPageFooter(width);

    Band detail;
    detail.name = "detail";
    detail.height = 190;
    detail.controls = columnFields(columns);

    Band group;
    group.name = "group header";
    group.height = 330;
    group.controls = {field("CAT:DESCRIPTION", 0, 80, width, "@s60", Align::Left, kBold, 1200)};

    const int memoX = findColumn(columns, "MAS:DESCRIPTION")->x;
    Band memo;
    memo.name = "memo";
    memo.height = 200;
    memo.controls = {block("MAS:MEMO", memoX, 0, width - memoX)};
    memo.staysWithPrevious = true;

    l.bands = {group, detail, memo,
               totalsBand("group footer", width, "Totals for category:", "Number of items this category:",
                          "Total value this category:", false),
               totalsBand("grand totals", width, "Grand totals all categories:", "Total number of items listed:",
                          "Total value of home inventory:", true)};
    return l;
}

ReportSpec valuationSpec(bool wide, bool includeMemo)
{
    ReportSpec s;
    s.grouped = true;
    s.group.key = [](const rt::ViewRow &row) { return recordOf<MasterInventoryRecord>(row).CATEGORY.str(); };
    s.group.open = [](const std::string &key, const rt::ViewRow &) { return categoryGroupValues(key); };
    s.group.header = "group header";
    s.group.footer = "group footer";
    s.grandBand = "grand totals";
    s.totals = itemTotals(valuationColumns(wide));
    s.printItem = [columns = valuationColumns(wide), includeMemo](const rt::ViewRow &row, ReportRun &run) {
        printWithMemo(run, cellValues(columns, dict::MasterInventoryDef, row.record.data()),
                      includeMemo ? row.memo : std::string());
    };
    return s;
}

ReportDefinition valuationDefinition(bool wide)
{
    ReportDefinition d;
    d.title = "Home Inventory Report";
    d.files = {&Category, &QORClients, &MainSystemFile, &MasterInventory};
    d.primary = &MasterInventory;
    d.primaryLabel = "MasterInventory";
    d.view = [] { return rt::View(MasterInventory, dict::MasterInventoryDef.key("CATEGORYKEY")); };
    d.heading = clientHeading();
    d.questions = {{"Do you wish to include the inventory memos if any?", "Include Memo", "IncludeMemo"}};
    d.layout = [wide](const RunChoices &) { return valuationLayout(wide); };
    d.spec = [wide](const RunChoices &c) { return valuationSpec(wide, c.on("IncludeMemo")); };
    return d;
}

}  // namespace reports
