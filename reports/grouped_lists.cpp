// The "Appraised Items Report" (appraised items by category, with when and by whom they were
// appraised) and the "Inheritance Report" (the items of each heir, one heir to a page): one form
// of grouped list, a group header, the details, the group's count and value, the grand totals.
#include "model/dictionary.h"
#include "reports/item_lists.h"
#include "reports/item_reports.h"
#include "reports/reports.h"
#include "runtime/gui.h"

namespace reports {

using namespace kit;

namespace {

constexpr auto R = Align::Right;

std::vector<Column> appraisedColumns(bool wide)
{
    if (!wide)
        return {{83, 3000, "Description", {}, "MAS:DESCRIPTION", "@s60"},
                {3125, 1275, "Date Appraised", {}, "MAS:APPRAISALDATE", "@d1b"},
                {4450, 1700, "Appraiser", {}, "MAS:APPRAISER", "@s25"},
                {6200, 600, "Quantity", {}, "MAS:QUANTITY", kQuantityPicture, R},
                valueColumn(6833, 667)};
    // The appraised value is only shown: it enters no total.
    return {{192, 1350, "Type", {}, "MAS:TYPE", "@s20"},
            {1583, 3000, "Description", {}, "MAS:DESCRIPTION", "@s60"},
            {4625, 1275, "Date Appraised", {}, "MAS:APPRAISALDATE", "@d1b"},
            {5950, 1700, "Appraiser", {}, "MAS:APPRAISER", "@s25"},
            {7700, 600, "Quantity", {}, "MAS:QUANTITY", kQuantityPicture, R},
            valueColumn(8333, 800),
            {9158, 842, "Appraised", {}, "MAS:APPRAISEDVALUE", "@n-13.2", R}};
}

std::vector<Column> inheritanceColumns(bool wide)
{
    if (!wide)
        return {{25, 1175, "Model", {}, "MAS:MODELNUMBER", "@s20"},
                {1242, 1175, "Serial", {}, "MAS:SERIALNUMBER", "@s20"},
                {2458, 3700, "Description", {}, "MAS:DESCRIPTION", "@s60"},
                {6200, 600, "Quantity", {}, "MAS:QUANTITY", kQuantityPicture, R},
                valueColumn(6833, 667)};
    return {{25, 1175, "Model", {}, "MAS:MODELNUMBER", "@s20"},
            {1242, 1200, "Serial", {}, "MAS:SERIALNUMBER", "@s20"},
            {2483, 1185, "Category", {}, "MAS:CATEGORY", "@s20"},
            {3708, 1170, "Type", {}, "MAS:TYPE", "@s20"},
            {4917, 3700, "Description", {}, "MAS:DESCRIPTION", "@s60"},
            {8658, 600, "Quantity", {}, "MAS:QUANTITY", kQuantityPicture, R},
            valueColumn(9292, 708)};
}

// The words of one grouped list.
struct GroupWords {
    const char *title;
    const char *groupField;  // the value naming the group in its header and footer
    const char *groupLabel, *countLabel, *valueLabel;
    const char *grandLabel;
    int groupNameX;   // where the group's name follows its label
    int groupHeight;  // of the group header
    int groupValueLabelX, groupValueX, grandCountLabelX, grandValueLabelX, grandValueX;
};

const GroupWords &wordsOf(bool heirs, bool wide)
{
    static const GroupWords category[2] = {
        {"Appraised Items Report", "CAT:DESCRIPTION", "Totals for category:", "Number of items this category:",
         "Total value this category:", "Grand totals all categories:", 1575, 308, 4875, 6500, 575, 4575, 6425},
        {"Appraised Items Report", "CAT:DESCRIPTION", "Totals for category:", "Number of items this category:",
         "Total value this category:", "Grand totals all categories:", 1575, 308, 6375, 8000, 575, 6075, 7925}};
    static const GroupWords heir[2] = {
        {"Inheritance Report", "MAS:HEIR", "Totals for heir:", "Number of items this heir:", "Total value this heir:",
         "Grand totals all heirs:", 1250, 508, 4875, 6500, 558, 4575, 6425},
        {"Inheritance Report", "MAS:HEIR", "Totals for heir:", "Number of items this heir:", "Total value this heir:",
         "Grand totals all heirs:", 1250, 508, 7317, 8942, 558, 7017, 8867}};
    return heirs ? heir[wide ? 1 : 0] : category[wide ? 1 : 0];
}

ReportLayout groupedLayout(bool heirs, bool wide)
{
    const int width = wide ? 10000 : 7500;
    const GroupWords &w = wordsOf(heirs, wide);
    const std::vector<Column> columns = heirs ? inheritanceColumns(wide) : appraisedColumns(wide);
    ReportLayout l;
    l.header = pageHeading(width, w.title, columns);
    l.footer = listPageFooter(wide);
    l.page = itemPage(wide, l.header.height);

    Band group;
    group.name = "group header";
    group.height = w.groupHeight;
    group.controls = {field(w.groupField, 200, 40, width - 200, heirs ? "@s40" : "@s60", Align::Left, kBold, 1200),
                      rule(0, w.groupHeight - 30, width)};

    Band detail;
    detail.name = "detail";
    detail.height = 190;
    detail.controls = columnFields(columns);

    // The group's name in the footer is the group's own, never the record's that follows it.
    const char *footerName = heirs ? "MAS:HEIR" : "CAT:CATEGORY";
    Band footer;
    footer.name = "group footer";
    footer.height = 520;
    footer.controls = {rule(0, 20, width),
                       text(200, 80, w.groupNameX - 200, w.groupLabel, kBold),
                       field(footerName, w.groupNameX, 80, width - w.groupNameX, heirs ? "@s40" : "@s20",
                             Align::Left, kBold),
                       text(408, 280, 1925, w.countLabel),
                       field("count", 2333, 280, 1000, kCountPicture, R),
                       text(w.groupValueLabelX, 280, w.groupValueX - w.groupValueLabelX, w.valueLabel),
                       field("value", w.groupValueX, 280, width - w.groupValueX, kTotalPicture, R)};

    Band grand;
    grand.name = "grand totals";
    grand.height = 520;
    grand.controls = {doubleRule(0, 20, width),
                      text(200, 100, 3000, w.grandLabel, kBold),
                      text(w.grandCountLabelX, 300, 2333 - w.grandCountLabelX, "Total number of items listed:"),
                      field("count", 2333, 300, 1000, kCountPicture, R),
                      text(w.grandValueLabelX, 300, w.grandValueX - w.grandValueLabelX, "Total value of home inventory:"),
                      field("value", w.grandValueX, 300, width - w.grandValueX, kGrandTotalPicture, R)};

    l.bands = {group, detail, footer, grand};
    return l;
}

ReportSpec groupedSpec(bool heirs, bool wide)
{
    ReportSpec s;
    s.grouped = true;
    if (heirs) {
        // The heir is printed as the group's first item spells it; an heir written in another
        // case or with trailing blanks is the same heir (the group keys compare case-blind).
        s.group.key = [](const rt::ViewRow &row) { return recordOf<MasterInventoryRecord>(row).HEIR.str(); };
        s.group.open = [](const std::string &key, const rt::ViewRow &) {
            return Values{{"MAS:HEIR", Value::of(key)}};
        };
        s.group.footerEndsPage = true;
    } else {
        s.group.key = [](const rt::ViewRow &row) { return recordOf<MasterInventoryRecord>(row).CATEGORY.str(); };
        s.group.open = [](const std::string &key, const rt::ViewRow &) { return categoryGroupValues(key); };
    }
    s.group.header = "group header";
    s.group.footer = "group footer";
    s.grandBand = "grand totals";
    const std::vector<Column> columns = heirs ? inheritanceColumns(wide) : appraisedColumns(wide);
    s.totals = itemTotals(columns);
    s.printItem = [columns](const rt::ViewRow &row, ReportRun &run) {
        run.print("detail", cellValues(columns, dict::MasterInventoryDef, row.record.data()));
    };
    return s;
}

ReportDefinition groupedDefinition(bool heirs, bool wide)
{
    ReportDefinition d;
    d.title = wordsOf(heirs, wide).title;
    if (heirs)
        d.files = {&QORClients, &Heirs, &MainSystemFile, &MasterInventory};
    else
        d.files = {&Category, &QORClients, &MainSystemFile, &MasterInventory};
    d.primary = &MasterInventory;
    d.primaryLabel = "MasterInventory";
    d.view = [heirs] {
        if (heirs)
            return rt::View(MasterInventory, dict::MasterInventoryDef.key("HEIRSKEY"),
                            {rt::Condition::notBlank(dict::MasterInventoryDef, "HEIR")});
        return rt::View(MasterInventory, dict::MasterInventoryDef.key("CATEGORYKEY"),
                        {rt::Condition::equals(dict::MasterInventoryDef, "APPRAISED", std::int64_t{1})});
    };
    d.heading = clientHeading();
    d.layout = [heirs, wide](const RunChoices &) { return groupedLayout(heirs, wide); };
    d.spec = [heirs, wide](const RunChoices &) { return groupedSpec(heirs, wide); };
    return d;
}

}  // namespace

ReportDefinition appraisedDefinition(bool wide) { return groupedDefinition(false, wide); }
ReportDefinition inheritanceDefinition(bool wide) { return groupedDefinition(true, wide); }

}  // namespace reports
