// The "Box Packing List": what one storage box of one location holds, for the movers, with the
// box named in every page heading and the count and value of its contents at the end.
#include "model/dictionary.h"
#include "model/globals.h"
#include "reports/item_lists.h"
#include "reports/item_reports.h"
#include "reports/reports.h"
#include "runtime/gui.h"
#include "runtime/text.h"

namespace reports {

using namespace kit;

namespace {

constexpr auto R = Align::Right;

std::vector<Column> packingColumns(bool wide)
{
    if (!wide)
        return {{25, 1175, "Model", {}, "MAS:MODELNUMBER", "@s20"},
                {1242, 1175, "Category", {}, "MAS:CATEGORY", "@s20"},
                {2458, 3700, "Description", {}, "MAS:DESCRIPTION", "@s60"},
                {6200, 600, "Quantity", {}, "MAS:QUANTITY", kQuantityPicture, R},
                valueColumn(6833, 667)};
    return {{25, 1150, "Model", {}, "MAS:MODELNUMBER", "@s20"},
            {1217, 1160, "Serial #", {}, "MAS:SERIALNUMBER", "@s20"},
            {2417, 1210, "Category", {}, "MAS:CATEGORY", "@s20"},
            {3667, 1210, "Type", {}, "MAS:TYPE", "@s20"},
            {4917, 3700, "Description", {}, "MAS:DESCRIPTION", "@s60"},
            {8658, 600, "Quantity", {}, "MAS:QUANTITY", kQuantityPicture, R},
            valueColumn(9292, 708)};
}

ReportLayout packingLayout(bool wide)
{
    const int width = wide ? 10000 : 7500;
    const std::vector<Column> columns = packingColumns(wide);
    ReportLayout l;
    HeadingForm form;
    form.columnsY = 1042;
    l.header = pageHeading(width, "Box Packing List", columns, form);
    // The box on every page, between the city line and the column headings.
    l.header.controls.push_back(field("LCT:LOCATION", 217, 800, 1600, "@s20", Align::Left, kBold));
    l.header.controls.push_back(field("BOX:BOXNUMBER", 1867, 800, 1575, "@s20", Align::Left, kBold));
    l.header.controls.push_back(field("BOX:DESCRIPTION", 3492, 800, width - 3492, "@s60", Align::Left, kBold));
    l.footer = listPageFooter(wide);
    l.page = itemPage(wide, l.header.height);

    Band detail;
    detail.name = "detail";
    detail.height = 190;
    detail.controls = columnFields(columns);

    const int valueLabelX = wide ? 7575 : 4575, valueX = wide ? 8950 : 6425;
    Band totals;
    totals.name = "totals";
    totals.height = 400;
    totals.controls = {doubleRule(0, 20, width),
                       text(558, 140, 1775, "Total number of items listed:"),
                       field("count", 2333, 140, 1000, kCountPicture, R),
                       text(valueLabelX, 140, valueX - valueLabelX, "Total value inventory:"),
                       field("value", valueX, 140, width - valueX, kGrandTotalPicture, R, kBold)};
    l.bands = {detail, totals};
    return l;
}

ReportSpec packingSpec(bool wide)
{
    ReportSpec s;
    s.totals = itemTotals(packingColumns(wide));
    s.printItem = [columns = packingColumns(wide)](const rt::ViewRow &row, ReportRun &run) {
        run.print("detail", cellValues(columns, dict::MasterInventoryDef, row.record.data()));
    };
    // The totals only under a box that held something.
    s.end = [](ReportRun &run) { run.print("totals", run.grandValues()); };
    return s;
}

// The box for the heading, read once the files are open: the chosen location and box as
// chosen, and the box's description when the box is on file.
Values boxValues()
{
    const std::string location = rt::clip(Glo.Location.view()), box = rt::clip(Glo.BoxNumber.view());
    rt::clearRecord(dict::LocationDef, &LCT);
    LCT.LOCATION = location;
    if (Location.get(*dict::LocationDef.key("LOCATIONKEY")) != 0) {
        rt::clearRecord(dict::LocationDef, &LCT);
        LCT.LOCATION = location;
    }
    rt::clearRecord(dict::BoxNumberDef, &BOX);
    BOX.LOCATION = location;
    BOX.BOXNUMBER = box;
    if (BoxNumber.get(*dict::BoxNumberDef.key("BOXKEY")) != 0) {
        rt::clearRecord(dict::BoxNumberDef, &BOX);
        BOX.LOCATION = location;
        BOX.BOXNUMBER = box;
    }
    return Values{{"LCT:LOCATION", Value::of(LCT.LOCATION.str())},
                  {"BOX:BOXNUMBER", Value::of(BOX.BOXNUMBER.str())},
                  {"BOX:DESCRIPTION", Value::of(BOX.DESCRIPTION.str())}};
}

}  // namespace

ReportDefinition packingListDefinition(bool wide)
{
    ReportDefinition d;
    d.title = "Box Packing List";
    d.files = {&BoxNumber, &QORClients, &Location, &MainSystemFile, &MasterInventory};
    d.primary = &MasterInventory;
    d.primaryLabel = "MasterInventory";
    // The picker first: cancelled, the report ends before its preview question with no file
    // of its own opened.
    d.select = [] {
        rt::runProcedure("GetLocationBox");
        return Glo.SelectionCancelled == 0;
    };
    d.view = [] {
        // Location and box compare the way the item key compares them: case-blind, trailing
        // blanks ignored, so box "b1 " of "GARAGE" is box "B1" of "Garage".
        return rt::View(MasterInventory, dict::MasterInventoryDef.key("LOCATIONKEY"),
                        {rt::Condition::equals(dict::MasterInventoryDef, "LOCATION", rt::clip(Glo.Location.view())),
                         rt::Condition::equals(dict::MasterInventoryDef, "BOXNUMBER", rt::clip(Glo.BoxNumber.view()))});
    };
    d.heading = clientHeading();
    d.pageValues = [](const RunChoices &) { return boxValues(); };
    d.layout = [wide](const RunChoices &) { return packingLayout(wide); };
    d.spec = [wide](const RunChoices &) { return packingSpec(wide); };
    return d;
}

}  // namespace reports
