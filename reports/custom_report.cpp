// The custom reports: the active client's items under the columns of one definition, in the
// order and within the limits the options window chose, with the totals of the money and
// quantity columns under them, and memos, pictures and a page per item on request. One
// definition serves both orientations; only the page's width differs.
#include <QString>
#include <algorithm>
#include <memory>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/item_fields.h"
#include "model/user_fields.h"
#include "reports/custom_fields.h"
#include "reports/custom_report.h"
#include "reports/item_reports.h"
#include "reports/options.h"
#include "reports/reports.h"
#include "runtime/gui.h"
#include "runtime/image.h"
#include "runtime/message.h"
#include "runtime/text.h"

namespace reports {

using namespace kit;

namespace {

constexpr int kPictureSide = 4000;  // a picture fits a 4-by-4-inch square
constexpr int kPictureTop = 250;
constexpr int kCellGap = 40;  // kept free at each side of a text cell

// The columns totalled, in the order their totals are named.
constexpr const char *kMoneyTotals[] = {"cost", "extended cost", "replacement cost", "market value",
                                        "extended market value"};

// What one run prints: the options it was made with, and the definition read once at its start
// (a change to the definition or the field list after that never reaches the run).
struct CustomRun {
    bool wide = false;
    std::string title;
    std::vector<Column> columns;
    std::vector<std::string> headers;  // the definition's headers, blank for a name not in the list
    UserTitles titles{};
    CustomOptions options;
};

// The column of a definition's name: its item field's, else a user field of that title.
Column columnFor(const ReportField &f, int index)
{
    Column c;
    c.w = f.tenths * 100;
    c.heading = f.header;
    c.name = "Column" + std::to_string(index);
    c.picture = "@s50";
    c.cell = CellKind::UserField;
    c.field = f.name;
    if (const model::ItemField *k = itemColumn(f.name)) {
        using V = model::ColumnValue;
        c.field = std::string("MAS:") + k->field;
        c.picture = k->picture;
        c.cell = k->kind == model::ItemFieldKind::Flag ? CellKind::Flag
                 : k->value == V::Cut                  ? CellKind::Cut
                 : k->value == V::Extended             ? CellKind::Extended
                                                       : CellKind::Field;
        c.total = k->total;
        c.totalOf = k->totalOfCell ? TotalOf::Cell : TotalOf::TimesQuantity;
        c.cut = k->cut;
    }
    const bool number = c.picture.size() > 1 && (c.picture[1] == 'n' || c.picture[1] == 'd');
    c.align = number ? Align::Right : c.cell == CellKind::Flag ? Align::Center : Align::Left;
    return c;
}

// The columns of a definition found in the field list, side by side from the left edge.
std::vector<Column> definitionLayout(const CustomReportSetupsRecord &definition)
{
    std::vector<Column> out;
    for (const std::string &name : definitionColumns(definition))
        if (const ReportField *f = findReportField(name))
            out.push_back(columnFor(*f, static_cast<int>(out.size()) + 1));
    placeSideBySide(out);
    return out;
}

// Columns stand edge to edge: a text keeps a gap at both sides, so that it never runs into the
// number or the text beside it, and a number's heading keeps the margin its numbers keep.
void keepGap(Control &c)
{
    if (c.align == Align::Left && c.w > 4 * kCellGap) {
        c.x += kCellGap;
        c.w -= 2 * kCellGap;
    } else if (c.align == Align::Right && c.kind == ControlKind::String && c.w > 2 * kNumberMargin) {
        c.w -= kNumberMargin;
    }
}
void keepGap(std::vector<Control> &controls)
{
    for (Control &c : controls)
        keepGap(c);
}

ReportLayout customLayout(const CustomRun &r)
{
    ReportLayout l;
    const int width = r.wide ? 10000 : 7500;
    l.header = pageHeading(width, r.title, r.columns);
    // The column headings (at the heading builder's line) keep the text cells' gap.
    for (Control &c : l.header.controls)
        if (c.kind == ControlKind::String && c.y == HeadingForm{}.columnsY)
            keepGap(c);
    l.footer = itemPageFooter(width);
    l.page = itemPage(r.wide, l.header.height);

    Band detail;
    detail.name = "detail";
    detail.height = 190;
    detail.controls = columnFields(r.columns);
    keepGap(detail.controls);

    Band memo;
    memo.name = "memo";
    memo.height = 240;
    memo.controls = {text(0, 20, 700, "Memo:", kBold), block("MAS:MEMO", 700, 20, width - 700)};
    memo.staysWithPrevious = true;

    Band picture;
    picture.name = "picture";
    picture.controls = {text(0, 40, 1500, "Path to picture:", kBold), field("MAS:IMAGE", 1500, 40, width - 1500, "@s60")};
    Control pic;
    pic.kind = ControlKind::Picture;
    pic.name = "picture";
    pic.x = 0, pic.y = kPictureTop, pic.w = kPictureSide, pic.h = kPictureSide;
    picture.controls.push_back(pic);
    picture.height = kPictureTop + kPictureSide + 120;

    Band totals;
    totals.name = "totals";
    int lines = 0;
    const std::vector<Control> label = {text(0, 250, 2400, "Number of items listed:", kBold),
                                        field("count", 2400, 250, 1000, "@n9", Align::Left, kBold)};
    std::vector<Column> totalled = r.columns;
    for (Column &c : totalled)
        c.totalPicture = c.total == "quantity" ? "@n-14b" : "";
    totals.controls = totalFields(totalled, 80, "@n26.2b", kBold, {}, &lines);
    // The count under the last line of totals.
    const int countY = 80 + std::max(1, lines) * 180 + 60;
    totals.controls.insert(totals.controls.begin(), rule(0, 30, width));
    for (Control c : label) {
        c.y = countY;
        totals.controls.push_back(c);
    }
    totals.height = countY + 250;

    l.bands = {detail, memo, picture, totals};
    return l;
}

const rt::KeyDef *orderKey(const std::string &order);

ReportSpec customSpec(std::shared_ptr<const CustomRun> r)
{
    ReportSpec s;
    s.totals = itemTotals(r->columns);
    // A total whose column is not in the report is still named: it prints blank.
    auto named = [&s](const std::string &name) {
        return std::any_of(s.totals.begin(), s.totals.end(), [&](const TotalSpec &t) { return t.name == name; });
    };
    for (const char *name : kMoneyTotals)
        if (!named(name))
            s.totals.push_back({name, TotalSpec::When::Manual, {}});
    if (!named("quantity"))
        s.totals.push_back({"quantity", TotalSpec::When::Manual, {}, 0});
    s.totalsBand = "totals";
    // Limits that match nothing still show the user what was asked: the totals band with no
    // item listed, when the client has items at all.
    s.itemsOutsideView = [r] {
        ReportDefinition all;
        all.view = [r] { return rt::View(MasterInventory, orderKey(r->options.order)); };
        std::vector<rt::ViewRow> rows;
        reportView(all).read(1, rows);
        return !rows.empty();
    };
    s.printItem = [r](const rt::ViewRow &row, ReportRun &run) {
        const void *record = row.record.data();
        ReportWriter &writer = run.writer();
        const std::string memo = r->options.memos ? row.memo : std::string();
        const Values cells = cellValues(r->columns, dict::MasterInventoryDef, record, &r->titles);
        const std::string path = rt::clip(fieldValue(dict::MasterInventoryDef, record, "MAS:IMAGE").text);
        if (r->options.pictures && !path.empty()) {
            // Sized only here, from a picture that reads with a valid size; any other leaves
            // its box empty and the band no higher than its path.
            Band b = *writer.layout().band("picture");
            Control &pic = b.controls.back();
            if (std::optional<QSize> fit = fitToSquare(rt::pictureSize(QString::fromStdString(path)), kPictureSide)) {
                pic.w = fit->width();
                pic.h = fit->height();
            } else {
                pic.visible = false;
                pic.h = 0;
            }
            b.height = kPictureTop + pic.h + 120;
            // The item's line, its memo and its picture stand on one page.
            printWithMemo(run, cells, memo, b.height);
            writer.print(b, Values{{"MAS:IMAGE", Value::of(path)}, {"picture", Value::of(path)}});
        } else {
            printWithMemo(run, cells, memo);
        }
        if (r->options.newPage)
            run.writer().breakPage();
    };
    return s;
}

const rt::KeyDef *orderKey(const std::string &order)
{
    const char *key = sameName(order, "Description") ? "DESCRIPTIONKEY"
                      : sameName(order, "Category")  ? "CATEGORYKEY"
                      : sameName(order, "Location")  ? "LOCATIONKEY"
                                                     : "ASSETKEY";
    return dict::MasterInventoryDef.key(key);
}

// The limits narrow the view itself: a row outside them is never read. They compare as the
// keys do, case-blind.
std::vector<rt::Condition> limitConditions(const CustomRun &r)
{
    std::vector<rt::Condition> out;
    const std::pair<const char *, const std::string *> limits[] = {
        {"CATEGORY", &r.options.category}, {"TYPE", &r.options.type}, {"LOCATION", &r.options.location},
        {"BOXNUMBER", &r.options.box}};
    for (const auto &[field, value] : limits)
        if (!rt::clip(*value).empty())
            out.push_back(rt::Condition::equals(dict::MasterInventoryDef, field, rt::clip(*value)));
    return out;
}

// Reads the definition the options name; false (with the message shown) when the run cannot
// print it.
bool readDefinition(CustomRun &r)
{
    // The first user-field record gives the titles; none read leaves them blank.
    if (model::readTitlesRecord(UserFields, USF) != 0)
        rt::clearRecord(dict::UserFieldsDef, &USF);
    rt::clearRecord(dict::CustomReportSetupsDef, &CRS);
    CRS.REPORTNAME = rt::clip(r.options.reportName);
    if (CustomReportSetups.get(*dict::CustomReportSetupsDef.key("REPORTNAMEKEY")) != 0) {
        rt::beep();
        rt::message("Error reading report properties", "File Error", rt::Icon::Exclamation);
        return false;
    }
    if (reportFieldList().empty())
        BuildReportFieldList();
    // A user-field column counts 0 under a client without that title: under another client
    // the same definition can be wider than the page. It is refused rather than printed with
    // columns past the page's edge or left out unseen.
    if (configuredTenths(CRS) > (r.wide ? 100 : 75)) {
        rt::beep();
        rt::message("The report you have configured is too wide|please make adjustments accordingly", "Report Error",
                    rt::Icon::Exclamation);
        return false;
    }
    r.title = rt::clip(CRS.REPORTNAME.view());
    r.columns = definitionLayout(CRS);
    r.titles = model::titlesOf(USF);
    return true;
}

}  // namespace

ReportDefinition customReportDefinition(bool wide, const CustomOptions &options)
{
    auto state = std::make_shared<CustomRun>();
    state->wide = wide;
    state->options = options;
    ReportDefinition d;
    d.title = "Custom Report";
    d.files = {&CustomReportSetups, &QORClients, &MainSystemFile, &MasterInventory, &UserFields};
    d.primary = &MasterInventory;
    d.primaryLabel = "MasterInventory";
    HeadingSource client = clientHeading();
    d.heading = [state, client](Heading &h) {
        *state = CustomRun{.wide = state->wide, .options = state->options};
        return readDefinition(*state) && client(h);
    };
    d.view = [state] {
        return rt::View(MasterInventory, orderKey(state->options.order), limitConditions(*state));
    };
    d.runTitle = [state] { return state->title; };
    d.layout = [state](const RunChoices &) { return customLayout(*state); };
    d.spec = [state](const RunChoices &) { return customSpec(state); };
    return d;
}

}  // namespace reports
