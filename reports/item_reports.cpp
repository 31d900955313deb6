#include "reports/item_reports.h"

#include <algorithm>

namespace reports {

using namespace kit;

Band itemPageHeading(int width, const std::string &title, const std::vector<Control> &columnHeadings, bool twoLines)
{
    Band b;
    b.name = "page heading";
    const int ruleY = twoLines ? 1180 : 1010;
    b.height = ruleY + 15;
    b.controls = {kit::title(width, title),
                  field("NameLine", 0, 260, width, "@s60", Align::Center),
                  text(0, 260, 400, "Run:"),
                  field("RunDate", 400, 260, 800, "@d1"),
                  field("RunTime", 1150, 260, 900, "@t3"),
                  field("AddressLine", 0, 430, width, "@s40", Align::Center),
                  field("CityLine", 0, 600, width, "@s40", Align::Center),
                  text(width - 1100, 260, 500, "Page:"),
                  field("Page", width - 600, 260, 600, "@n4", Align::Right)};
    for (const Control &c : columnHeadings)
        b.controls.push_back(c);
    b.controls.push_back(rule(0, ruleY, width));
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

std::vector<Control> columnHeadings(const std::vector<Column> &columns)
{
    bool two = false;
    for (const Column &c : columns)
        two = two || !c.heading2.empty();
    std::vector<Control> out;
    for (const Column &c : columns) {
        if (two && !c.heading2.empty()) {
            // A two-line heading: the first line plain above, the underlined one on the rule.
            out.push_back(text(c.x, 820, c.w, c.heading, kBold, 1000, c.align));
            out.push_back(heading(c.x, 990, c.w, c.heading2, c.align));
        } else {
            out.push_back(heading(c.x, two ? 990 : 820, c.w, c.heading, c.align));
        }
    }
    return out;
}

std::vector<Control> columnFields(const std::vector<Column> &columns)
{
    std::vector<Control> out;
    for (const Column &c : columns)
        out.push_back(field(c.field, c.x, 0, c.w, c.picture, c.align));
    return out;
}

const Column *findColumn(const std::vector<Column> &columns, const std::string &field)
{
    for (const Column &c : columns)
        if (c.field == field)
            return &c;
    return nullptr;
}

Value fieldValue(const rt::TableDef &def, const void *record, const std::string &field, const std::string &picture)
{
    const int i = def.fieldIndex(field);
    if (i < 0)
        return Value::of({});
    const rt::FieldDef &f = def.fields[static_cast<std::size_t>(i)];
    switch (f.kind) {
    case rt::FieldKind::STRING:
        return Value::of(rt::fieldText(f, record));
    case rt::FieldKind::DEC:
        return Value{Value::Kind::Number, {}, rt::fieldNumber(f, record), f.places};
    default:
        break;
    }
    const std::int64_t n = rt::fieldNumber(f, record);
    if (picture.size() > 1 && (picture[1] == 'd' || picture[1] == 'D'))
        return Value::date(static_cast<std::int32_t>(n));
    if (std::string_view(f.name) == "YEARORIGIN")
        return Value::year(n);
    return Value::whole(n);
}

Values columnValues(const rt::TableDef &def, const void *record, const std::vector<Column> &columns)
{
    Values v;
    for (const Column &c : columns)
        if (def.fieldIndex(c.field) >= 0)
            v.set(c.field, fieldValue(def, record, c.field, c.picture));
    return v;
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
