#include "reports/item_reports.h"

#include <algorithm>

#include "model/dictionary.h"
#include "reports/run.h"
#include "runtime/text.h"

namespace reports {

using namespace kit;

Column valueColumn(int x, int w, std::string picture)
{
    Column c{x, w, "Value (ea)", {}, "MAS:MARKETVALUE", std::move(picture), Align::Right};
    c.total = "value";
    return c;
}

Values categoryGroupValues(const std::string &category)
{
    rt::clearRecord(dict::CategoryDef, &CAT);
    CAT.CATEGORY = category;
    std::string description;
    if (Category.get(*dict::CategoryDef.key("CATEGORYKEY")) == 0)
        description = CAT.DESCRIPTION.str();
    return Values{{"CAT:CATEGORY", Value::of(category)}, {"CAT:DESCRIPTION", Value::of(description)}};
}

Band pageHeading(int width, const std::string &title, const std::vector<Column> &columns, const HeadingForm &form)
{
    Band b;
    b.name = "page heading";
    // "Run:" with its date and time take the left 2050, "Page:" with its number the right
    // 1100: the line between them is centred on the page and ends before either.
    const int margin = 2100;
    auto line = [&](const char *name, int y, const char *picture) {
        return y == form.runY ? field(name, margin, y, width - 2 * margin, picture, Align::Center)
                              : field(name, 0, y, width, picture, Align::Center);
    };
    b.controls = {kit::title(width, title),
                  line("NameLine", 260, "@s60"),
                  text(0, form.runY, 400, "Run:"),
                  field("RunDate", 400, form.runY, 750, "@d1"),
                  field("RunTime", 1150, form.runY, 900, "@t3"),
                  text(width - 1100, form.runY, 500, "Page:"),
                  field("Page", width - 600, form.runY, 600, "@n4", Align::Right),
                  line("AddressLine", 430, "@s40"),
                  line("CityLine", 600, "@s40")};
    if (form.ruleAbove)
        b.controls.push_back(rule(0, form.ruleAbove, width));
    bool two = false;
    for (const Column &c : columns)
        two = two || !c.heading2.empty();
    for (const Control &c : columnHeadings(columns, form.columnsY))
        b.controls.push_back(c);
    const int ruleY = form.ruleY ? form.ruleY : form.columnsY + (two ? 170 : 0) + 190;
    b.controls.push_back(rule(0, ruleY, width));
    b.height = form.height ? form.height : ruleY + 15;
    return b;
}

Band itemPageFooter(int width)
{
    Band b;
    b.name = "page footer";
    b.height = 483;
    b.controls = {rule(0, 40, width), field("PhoneLine", 0, 120, width / 2, "@s50"),
                  field("EmailLine", width / 2, 120, width / 2, "@s60", Align::Right)};
    return b;
}

void printWithMemo(ReportRun &run, const Values &cells, const std::string &memo, int picture)
{
    ReportWriter &writer = run.writer();
    const ReportLayout &l = writer.layout();
    const bool withMemo = !rt::trim(memo).empty();
    const Values memoValues{{"MAS:MEMO", Value::of(memo)}};
    writer.keepItemTogether(l.band("detail")->height, withMemo ? l.band("memo") : nullptr, memoValues, picture);
    run.print("detail", cells);
    if (withMemo) {
        // A memo too long for one page with its picture leaves its last line for the picture's.
        Band band = *l.band("memo");
        band.followerHeight = picture;
        writer.print(band, memoValues);
    }
}

Band boxPageFooter(int boxX, int boxWidth)
{
    Band b;
    b.name = "page footer";
    b.height = 483;
    b.controls = {box(boxX, 40, boxWidth, 408),
                  field("PhoneLine", boxX + 100, 60, boxWidth - 200, "@s50", Align::Center),
                  field("EmailLine", boxX + 100, 230, boxWidth - 200, "@s60", Align::Center)};
    return b;
}

Band listPageFooter(bool wide) { return boxPageFooter(wide ? 1375 : 125, 7250); }

PageGeometry itemPage(bool wide, int headingHeight)
{
    PageGeometry g;
    if (wide) {
        g.paperWidth = 11000;
        g.paperHeight = 8500;
        g.orientation = previewer::Orientation::Landscape;
        g.width = 10000;
        g.footerTop = 7500;
    } else {
        g.width = 7500;
        g.footerTop = 10000;
    }
    g.left = 500;
    g.headerTop = 500;
    g.top = g.headerTop + headingHeight - 17;
    g.height = g.footerTop - g.top - 9;
    return g;
}

std::optional<QSize> fitToSquare(QSize natural, int side)
{
    if (!natural.isValid() || natural.width() <= 0 || natural.height() <= 0 || side <= 0)
        return std::nullopt;
    // The smaller of the two factors fits both sides; the other side is rounded.
    const std::int64_t w = natural.width(), h = natural.height();
    if (w >= h)
        return QSize(side, static_cast<int>(std::max<std::int64_t>(1, (h * side + w / 2) / w)));
    return QSize(static_cast<int>(std::max<std::int64_t>(1, (w * side + h / 2) / h)), side);
}

}  // namespace reports
