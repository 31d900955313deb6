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

// Totals print far wider than their fields: a sum of 64-bit cents always fits.
constexpr const char *kGroupValuePicture = "@n26.2";
constexpr const char *kGrandValuePicture = "@n$27.2";

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
    b.controls.push_back(field("value", width - 3000, 450, 3000, grand ? kGrandValuePicture : kGroupValuePicture,
                               Align::Right, grand ? kBold : 0));
    return b;
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

    Band detail;
    detail.name = "detail";
    detail.height = 190;
    std::vector<Control> columns;
    if (wide) {
        columns = {heading(0, 820, 1300, "Type"),
                   heading(1350, 820, 1300, "Serial"),
                   heading(2700, 820, 1300, "Model"),
                   heading(4050, 820, 2600, "Description"),
                   heading(6550, 820, 700, "Quantity", Align::Right),
                   heading(7300, 820, 850, "Value (ea)", Align::Right),
                   heading(8150, 820, 900, "Ext Value", Align::Right),
                   heading(9150, 820, 850, "Location")};
        detail.controls = {field("MAS:TYPE", 0, 0, 1300, "@s20"),
                           field("MAS:SERIALNUMBER", 1350, 0, 1300, "@s20"),
                           field("MAS:MODELNUMBER", 2700, 0, 1300, "@s20"),
                           field("MAS:DESCRIPTION", 4050, 0, 2600, "@s50"),
                           field("MAS:QUANTITY", 6550, 0, 700, kQuantityPicture, Align::Right),
                           field("MAS:MARKETVALUE", 7300, 0, 850, "@n9.2", Align::Right),
                           field("ExtendedValue", 8150, 0, 900, "@n12.2", Align::Right),
                           field("MAS:LOCATION", 9150, 0, 1300, "@s20")};
    } else {
        columns = {heading(0, 820, 1300, "Serial"),
                   heading(1350, 820, 1300, "Model"),
                   heading(2700, 820, 3000, "Description"),
                   heading(5700, 820, 700, "Quantity", Align::Right),
                   heading(6450, 820, 1050, "Value (ea)", Align::Right)};
        detail.controls = {field("MAS:SERIALNUMBER", 0, 0, 1300, "@s20"),
                           field("MAS:MODELNUMBER", 1350, 0, 1300, "@s20"),
                           field("MAS:DESCRIPTION", 2700, 0, 3000, "@s60"),
                           field("MAS:QUANTITY", 5700, 0, 700, kQuantityPicture, Align::Right),
                           field("MAS:MARKETVALUE", 6450, 0, 1050, "@n9.2", Align::Right)};
    }
    l.header = itemPageHeading(width, "Home Inventory Report", columns);
    l.footer = itemPageFooter(width);

    Band group;
    group.name = "group header";
    group.height = 330;
    group.controls = {field("CAT:DESCRIPTION", 0, 80, width, "@s60", Align::Left, kBold, 1200)};

    Band memo;
    memo.name = "memo";
    memo.height = 200;
    memo.controls = {block("MAS:MEMO", wide ? 4050 : 2700, 0, width - (wide ? 4050 : 2700))};

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
    s.group.open = [](const std::string &key, const rt::ViewRow &) {
        rt::clearRecord(dict::CategoryDef, &CAT);
        CAT.CATEGORY = key;
        // An unknown category prints a blank description.
        std::string description;
        if (Category.get(*dict::CategoryDef.key("CATEGORYKEY")) == 0)
            description = CAT.DESCRIPTION.str();
        return Values{{"CAT:CATEGORY", Value::of(key)}, {"CAT:DESCRIPTION", Value::of(description)}};
    };
    s.group.header = "group header";
    s.group.footer = "group footer";
    s.grandBand = "grand totals";
    auto value = [](const rt::ViewRow &row) { return valuation::extendedValue(recordOf<MasterInventoryRecord>(row)); };
    s.totals = {{"count", TotalSpec::When::ItemPrinted, {}}, {"value", TotalSpec::When::ItemPrinted, value}};
    s.printItem = [wide, includeMemo](const rt::ViewRow &row, ReportRun &run) {
        const MasterInventoryRecord &m = recordOf<MasterInventoryRecord>(row);
        Values v{{"MAS:DESCRIPTION", Value::of(m.DESCRIPTION.str())},
                 {"MAS:QUANTITY", Value::whole(m.QUANTITY.get())},
                 {"MAS:MARKETVALUE", Value::cents(m.MARKETVALUE.cents())},
                 {"MAS:MODELNUMBER", Value::of(m.MODELNUMBER.str())},
                 {"MAS:SERIALNUMBER", Value::of(m.SERIALNUMBER.str())}};
        if (wide) {
            v.set("ExtendedValue", Value::cents(valuation::extendedValue(m)));
            v.set("MAS:LOCATION", Value::of(m.LOCATION.str()));
            v.set("MAS:TYPE", Value::of(m.TYPE.str()));
        }
        run.print("detail", v);
        if (includeMemo && !rt::trim(row.memo).empty())
            run.print("memo", Values{{"MAS:MEMO", Value::of(row.memo)}});
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

void PrintInventoryValuation() { reports::runReport(reports::valuationDefinition(false)); }
void PrintInventoryValuationWide() { reports::runReport(reports::valuationDefinition(true)); }
