// The lists of attached files: the "Home Inventory Picture List" (an item's first picture), the
// "Home Inventory Receipt List" and the "Home Inventory Warranty List" (with the expiry date, and
// also the warranties that have no file). Each lists the item and the path of its file and, when
// asked, prints the pictures themselves, two to a page.
#include "model/dictionary.h"
#include "reports/item_lists.h"
#include "reports/item_reports.h"
#include "reports/reports.h"
#include "runtime/gui.h"
#include "runtime/image.h"
#include "runtime/text.h"

#include <memory>

namespace reports {

using namespace kit;

namespace {

struct Member {
    const char *title;
    const char *field;  // the item's file
    const char *questionTitle, *questionText;
    const char *heading, *wideHeading;
    bool warranty;
};

const Member &memberOf(FileList m)
{
    static const Member members[] = {
        {"Home Inventory Picture List", "MAS:IMAGE", "Include pictures", "Do you wish to include the pictures?",
         "Picture", "Picture", false},
        {"Home Inventory Receipt List", "MAS:RECEIPTIMAGE", "Include Receipts", "Do you wish to include the receipts?",
         "Receipt", "Receipt", false},
        {"Home Inventory Warranty List", "MAS:WARRANTYIMAGE", "Include Warranties",
         "Do you wish to include the warranties?", "Warranty Path", "Path To Warranty", true}};
    return members[static_cast<int>(m)];
}

std::vector<Column> listColumns(const Member &m, bool wide)
{
    if (!m.warranty && !wide)
        return {{58, 3517, "Description", {}, "MAS:DESCRIPTION", "@s60"}, {3625, 3875, m.heading, {}, m.field, "@s60"}};
    if (!m.warranty)
        return {{58, 3500, "Description", {}, "MAS:DESCRIPTION", "@s60"},
                {3608, 1200, "Category", {}, "MAS:CATEGORY", "@s20"},
                {4858, 1259, "Location", {}, "MAS:LOCATION", "@s20"},
                {6167, 3833, m.wideHeading, {}, m.field, "@s60"}};
    if (!wide)
        return {{58, 3517, "Description", {}, "MAS:DESCRIPTION", "@s60"},
                {3625, 3067, m.heading, {}, m.field, "@s55"},
                {6742, 758, "Expiration", {}, "MAS:WARRANTYEXPIRATION", "@d1b", Align::Right}};
    return {{17, 3475, "Description", {}, "MAS:DESCRIPTION", "@s60"},
            {3542, 1158, "Category", {}, "MAS:CATEGORY", "@s20"},
            {4750, 1167, "Location", {}, "MAS:LOCATION", "@s20"},
            {5967, 3191, m.wideHeading, {}, m.field, "@s57"},
            {9208, 792, "Expiration", {}, "MAS:WARRANTYEXPIRATION", "@d1b", Align::Right}};
}

// The picture band: the picture stands at 242, 75 and is fitted into the band's height under
// it, with the same margin below, so that it never runs into the next item's line.
constexpr int kPictureX = 242, kPictureY = 75;
int pictureBandHeight(bool wide) { return wide ? 2575 : 2850; }

ReportLayout listLayout(const Member &m, bool wide)
{
    const int width = wide ? 10000 : 7500;
    const std::vector<Column> columns = listColumns(m, wide);
    ReportLayout l;
    l.header = pageHeading(width, m.title, columns);
    l.footer = listPageFooter(wide);
    l.page = itemPage(wide, l.header.height);

    Band detail;
    detail.name = "detail";
    detail.height = 190;
    detail.controls = columnFields(columns);

    const QSize box = fileListPictureBox(wide);
    Band picture;
    picture.name = "picture";
    picture.height = pictureBandHeight(wide);
    Control pic;
    pic.kind = ControlKind::Picture;
    pic.name = "picture";
    pic.x = kPictureX, pic.y = kPictureY, pic.w = box.width(), pic.h = box.height();
    picture.controls = {pic};

    Band pageBreak;
    pageBreak.name = "page break";
    pageBreak.height = 142;
    pageBreak.pageBreakAfter = true;

    Band total;
    total.name = "total";
    total.height = 408;
    total.controls = {doubleRule(0, 20, width), text(167, 140, 1775, "Total number of items listed:"),
                      field("count", 1942, 140, 1000, kCountPicture, Align::Right)};

    l.bands = {detail, picture, pageBreak, total};
    return l;
}

ReportSpec listSpec(const Member &m, bool wide, bool withPictures)
{
    const std::vector<Column> columns = listColumns(m, wide);
    const int fileField = dict::MasterInventoryDef.fieldIndex(std::string_view(m.field).substr(4));
    auto pathOf = [fileField](const rt::ViewRow &row) {
        return rt::clip(rt::fieldText(dict::MasterInventoryDef.fields[static_cast<std::size_t>(fileField)],
                                      row.record.data()));
    };
    ReportSpec s;
    // A line for every item with a file; in the warranty list also for a warranty without one.
    s.accept = [pathOf, warranty = m.warranty](const rt::ViewRow &row) {
        return !pathOf(row).empty() || (warranty && recordOf<MasterInventoryRecord>(row).WARRANTY == 1);
    };
    s.totals = {{"count", TotalSpec::When::ItemPrinted, {}}};
    // Printed whenever an item was read: 0 when none was listed.
    s.totalsBand = "total";
    // The pictures printed since the last page break, for this run only.
    auto onPage = std::make_shared<int>(0);
    const QSize box = fileListPictureBox(wide);
    s.printItem = [columns, pathOf, withPictures, onPage, box](const rt::ViewRow &row, ReportRun &run) {
        const std::string path = pathOf(row);
        const bool picture = withPictures && !path.empty();
        // A line and its picture stand on one page.
        if (picture) {
            const ReportLayout &l = run.writer().layout();
            run.writer().keepTogether(l.band("detail")->height + l.band("picture")->height);
        }
        run.print("detail", cellValues(columns, dict::MasterInventoryDef, row.record.data()));
        if (!picture)
            return;
        // Sized only here, from the file's own size: a missing or unreadable file prints its
        // band with the picture area left empty. The line shows the name as stored; the file
        // read is the one the program resolves it to (the client's: only its folder's pictures).
        const std::string file = reportPicturePath(path);
        Override fit{"picture"};
        if (std::optional<QSize> size = fitIntoBox(rt::pictureSize(QString::fromStdString(file)), box)) {
            fit.w = size->width();
            fit.h = size->height();
        } else {
            fit.visible = false;
        }
        run.print("picture", Values{{"picture", Value::of(file)}}, {fit});
        if (++*onPage == 2) {
            *onPage = 0;
            run.print("page break");
        }
    };
    return s;
}

}  // namespace

QSize fileListPictureBox(bool wide)
{
    const int limit = wide ? 3500 : 4000;
    return QSize(limit, pictureBandHeight(wide) - 2 * kPictureY);
}

std::optional<QSize> fitIntoBox(QSize natural, QSize box)
{
    const int side = std::max(box.width(), box.height());
    std::optional<QSize> square = fitToSquare(natural, side);
    if (!square || box.width() <= 0 || box.height() <= 0)
        return std::nullopt;
    // Fitted to the box's longer side, then reduced once more when the other side runs over.
    std::int64_t w = square->width(), h = square->height();
    if (w > box.width()) {
        h = std::max<std::int64_t>(1, h * box.width() / w);
        w = box.width();
    }
    if (h > box.height()) {
        w = std::max<std::int64_t>(1, w * box.height() / h);
        h = box.height();
    }
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

ReportDefinition fileListDefinition(FileList member, bool wide)
{
    const Member &m = memberOf(member);
    ReportDefinition d;
    d.title = m.title;
    d.files = {&Category, &QORClients, &MainSystemFile, &MasterInventory};
    d.primary = &MasterInventory;
    d.primaryLabel = "MasterInventory";
    d.view = [] { return rt::View(MasterInventory, dict::MasterInventoryDef.key("CATEGORYKEY")); };
    d.heading = clientHeading();
    d.questions = {{m.questionText, m.questionTitle, "IncludePictures"}};
    d.layout = [&m, wide](const RunChoices &) { return listLayout(m, wide); };
    d.spec = [&m, wide](const RunChoices &c) { return listSpec(m, wide, c.on("IncludePictures")); };
    return d;
}

}  // namespace reports
