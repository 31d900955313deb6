// The inventory of one category or one location, portrait and wide: the same report over a
// different selection. The caller either has chosen already (a browse) or the report asks its
// picker; then the memo question, then the preview question.
#include "model/dictionary.h"
#include "model/globals.h"
#include "model/valuation.h"
#include "reports/item_reports.h"
#include "reports/reports.h"
#include "runtime/gui.h"
#include "runtime/text.h"

namespace reports {

using namespace kit;

namespace {

struct SelectionKind {
    const rt::TableDef *groupFile;  // where the group's description is read
    rt::RecordFile *group;
    const char *groupKey;
    const char *field;  // the item field selected on
    const char *itemKey;
    const char *picker;
    const char *title;
};

const SelectionKind &kindOf(Selection by)
{
    static const SelectionKind category{&dict::CategoryDef, &Category, "CATEGORYKEY", "CATEGORY", "CATEGORYKEY",
                                        "GetCategory", "Category Inventory Report"};
    static const SelectionKind location{&dict::LocationDef, &Location, "LOCATIONKEY", "LOCATION", "LOCATIONKEY",
                                        "GetLocation", "Location Inventory Report"};
    return by == Selection::Category ? category : location;
}

std::vector<Column> columnsOf(Selection by, bool wide)
{
    const char *q = kQuantityPicture;
    const auto R = Align::Right;
    if (by == Selection::Category && !wide)
        return {{0, 1300, "Serial", {}, "MAS:SERIALNUMBER", "@s20"},
                {1350, 1300, "Model", {}, "MAS:MODELNUMBER", "@s20"},
                {2700, 3000, "Description", {}, "MAS:DESCRIPTION", "@s60"},
                {5700, 700, "Quantity", {}, "MAS:QUANTITY", q, R},
                valueColumn(6450, 1050)};
    if (by == Selection::Category)
        return {{0, 1250, "Type", {}, "MAS:TYPE", "@s20"},
                {1300, 1250, "Location", {}, "MAS:LOCATION", "@s20"},
                {2600, 1250, "Serial", {}, "MAS:SERIALNUMBER", "@s20"},
                {3900, 1250, "Model", {}, "MAS:MODELNUMBER", "@s20"},
                {5200, 2750, "Description", {}, "MAS:DESCRIPTION", "@s60"},
                {8000, 700, "Quantity", {}, "MAS:QUANTITY", q, R},
                valueColumn(8750, 1250)};
    if (!wide)
        return {{0, 1300, "Box Number", {}, "MAS:BOXNUMBER", "@s20"},
                {1350, 1300, "Model", {}, "MAS:MODELNUMBER", "@s20"},
                {2700, 3000, "Description", {}, "MAS:DESCRIPTION", "@s60"},
                {5700, 700, "Quantity", {}, "MAS:QUANTITY", q, R},
                valueColumn(6450, 1050)};
    return {{0, 1250, "Box Number", {}, "MAS:BOXNUMBER", "@s20"},
            {1300, 1250, "Model", {}, "MAS:MODELNUMBER", "@s20"},
            {2600, 2900, "Description", {}, "MAS:DESCRIPTION", "@s60"},
            {5550, 700, "Quantity", {}, "MAS:QUANTITY", q, R},
            valueColumn(6300, 1000),
            {7450, 1250, "Category", {}, "MAS:CATEGORY", "@s20"},
            {8750, 1250, "Type", {}, "MAS:TYPE", "@s20"}};
}

}  // namespace

ReportLayout selectionLayout(Selection by, bool wide)
{
    const int width = wide ? 10000 : 7500;
    const std::vector<Column> columns = columnsOf(by, wide);
    ReportLayout l;
    l.header = pageHeading(width, "Home Inventory Report", columns);
    l.footer = itemPageFooter(width);
    l.page = itemPage(wide, l.header.height);

    Band group;
    group.name = "group header";
    group.height = 330;
    group.controls = {field(by == Selection::Category ? "CAT:DESCRIPTION" : "LCT:DESCRIPTION", 0, 80, width, "@s60",
                            Align::Left, kBold, 1200)};

    Band detail;
    detail.name = "detail";
    detail.height = 190;
    detail.controls = columnFields(columns);

    const int memoX = findColumn(columns, "MAS:DESCRIPTION")->x;
    Band memo;
    memo.name = "memo";
    memo.height = 200;
    memo.controls = {block("MAS:MEMO", memoX, 0, width - memoX)};
    memo.staysWithPrevious = true;

    Band grand;
    grand.name = "grand totals";
    grand.height = 520;
    grand.controls = {rule(0, 30, width),
                      text(300, 90, 3200, "Total number of items listed:"),
                      field("count", 3500, 90, 1500, kCountPicture, Align::Right),
                      text(300, 270, 3200, "Total value inventory:"),
                      field("value", width - 3000, 270, 3000, kGrandTotalPicture, Align::Right, kBold)};

    l.bands = {group, detail, memo, grand};
    return l;
}

ReportSpec selectionSpec(Selection by, bool wide, bool includeMemo)
{
    const SelectionKind &k = kindOf(by);
    ReportSpec s;
    s.grouped = true;
    const int itemField = dict::MasterInventoryDef.fieldIndex(k.field);
    s.group.key = [itemField](const rt::ViewRow &row) {
        return rt::fieldText(dict::MasterInventoryDef.fields[static_cast<std::size_t>(itemField)], row.record.data());
    };
    s.group.open = [&k, by](const std::string &key, const rt::ViewRow &) {
        // The group file's record, found case-blind by its key; an unknown one prints blank.
        if (by == Selection::Category)
            return categoryGroupValues(key);
        std::string description;
        rt::clearRecord(dict::LocationDef, &LCT);
        LCT.LOCATION = key;
        if (Location.get(*dict::LocationDef.key(k.groupKey)) == 0)
            description = LCT.DESCRIPTION.str();
        return Values{{"LCT:LOCATION", Value::of(key)}, {"LCT:DESCRIPTION", Value::of(description)}};
    };
    s.group.header = "group header";
    s.group.footerWhen = GroupSpec::Footer::Never;
    s.grandBand = "grand totals";
    s.totals = itemTotals(columnsOf(by, wide));
    s.printItem = [columns = columnsOf(by, wide), includeMemo](const rt::ViewRow &row, ReportRun &run) {
        printWithMemo(run, cellValues(columns, dict::MasterInventoryDef, row.record.data()),
                      includeMemo ? row.memo : std::string());
    };
    return s;
}

ReportDefinition selectionDefinition(Selection by, bool wide)
{
    const SelectionKind &k = kindOf(by);
    ReportDefinition d;
    d.title = k.title;
    if (by == Selection::Category)
        d.files = {&Category, &QORClients, &MainSystemFile, &MasterInventory};
    else
        d.files = {&QORClients, &Location, &MainSystemFile, &MasterInventory};
    d.primary = &MasterInventory;
    d.primaryLabel = "MasterInventory";
    d.select = [picker = std::string(k.picker)] {
        // A caller that chose already (a browse) says so; otherwise the picker asks.
        if (Glo.SelectionPreset == 0) {
            rt::runProcedure(picker);
            if (Glo.SelectionCancelled == 1)
                return false;
        }
        return true;
    };
    d.questionsBeforePreview = true;
    d.questions = {{"Do you wish to include the inventory memos if any?", "Include Memo", "IncludeMemo"}};
    d.view = [&k, by] {
        const std::string chosen = by == Selection::Category ? Glo.Category.str() : Glo.Location.str();
        // Compared case-blind, as the key compares: "kitchen" is in "Kitchen".
        return rt::View(MasterInventory, dict::MasterInventoryDef.key(k.itemKey),
                        {rt::Condition::equals(dict::MasterInventoryDef, k.field, rt::clip(chosen))});
    };
    d.heading = clientHeading();
    d.layout = [by, wide](const RunChoices &) { return selectionLayout(by, wide); };
    d.spec = [by, wide](const RunChoices &c) { return selectionSpec(by, wide, c.on("IncludeMemo")); };
    return d;
}

}  // namespace reports
