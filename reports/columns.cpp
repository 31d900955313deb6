#include "reports/columns.h"

#include <algorithm>

#include "model/dictionary.h"
#include "model/valuation.h"
#include "runtime/picture.h"
#include "runtime/text.h"

namespace reports {

using namespace kit;

void placeSideBySide(std::vector<Column> &columns, int left)
{
    for (Column &c : columns) {
        c.x = left;
        left += c.w;
    }
}

std::vector<Control> columnHeadings(const std::vector<Column> &columns, int y)
{
    bool two = false;
    for (const Column &c : columns)
        two = two || !c.heading2.empty();
    std::vector<Control> out;
    for (const Column &c : columns) {
        const int w = c.headingWidth ? c.headingWidth : c.w;
        if (two && !c.heading2.empty()) {
            // A two-line heading: the first line plain above, the underlined one on the rule.
            out.push_back(text(c.x, y, w, c.heading, kBold, 1000, c.align));
            out.push_back(heading(c.x, y + 170, w, c.heading2, c.align));
        } else if (!c.heading.empty()) {
            out.push_back(heading(c.x, two ? y + 170 : y, w, c.heading, c.align));
        }
    }
    return out;
}

std::vector<Control> columnFields(const std::vector<Column> &columns, int y)
{
    std::vector<Control> out;
    for (const Column &c : columns)
        out.push_back(field(c.valueName(), c.x, y, c.w, c.picture, c.align));
    return out;
}

const Column *findColumn(const std::vector<Column> &columns, const std::string &name)
{
    for (const Column &c : columns)
        if (c.valueName() == name || c.field == name)
            return &c;
    return nullptr;
}

namespace {
bool overlaps(const Control &a, const Control &b)
{
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}
}  // namespace

std::vector<Control> totalFields(const std::vector<Column> &columns, int y, const std::string &picture,
                                 unsigned style, const std::vector<Control> &taken, int *lines, int lineHeight)
{
    std::vector<Control> out;
    int used = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column &c = columns[i];
        if (c.total.empty())
            continue;
        // A total fed by two columns prints once, under the last of them.
        bool later = false;
        for (std::size_t j = i + 1; j < columns.size(); ++j)
            later = later || columns[j].total == c.total;
        if (later)
            continue;
        const int w = std::max(c.w, kTotalWidth);
        Control t = field(c.total, c.x + c.w - w, y, w, c.totalPicture.empty() ? picture : c.totalPicture,
                          Align::Right, style);
        for (int line = 0;; ++line) {
            t.y = y + line * lineHeight;
            bool free = true;
            for (const Control &o : out)
                free = free && !overlaps(t, o);
            for (const Control &o : taken)
                free = free && !overlaps(t, o);
            if (free) {
                used = std::max(used, line + 1);
                break;
            }
        }
        out.push_back(t);
    }
    if (lines)
        *lines = used;
    return out;
}

Value fieldValue(const rt::TableDef &def, const void *record, const std::string &field, const std::string &picture)
{
    const int i = def.fieldIndex(field);
    if (i < 0)
        return Value::of({});
    return fieldValue(def.fields[static_cast<std::size_t>(i)], record, picture);
}

Value fieldValue(const rt::FieldDef &f, const void *record, const std::string &picture)
{
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

const rt::FieldDef *Column::fieldIn(const rt::TableDef &def) const
{
    if (foundIn != &def || foundFor != field) {
        const int i = def.fieldIndex(field);
        found = i < 0 ? nullptr : &def.fields[static_cast<std::size_t>(i)];
        foundIn = &def;
        foundFor = field;
    }
    return found;
}

namespace {

const rt::FieldDef *quantityField(const rt::TableDef &def)
{
    const int q = def.fieldIndex("QUANTITY");
    return q < 0 ? nullptr : &def.fields[static_cast<std::size_t>(q)];
}

// The amount in cents times the quantity: exact for an item's own fields (a 32-bit quantity,
// amounts of at most nine digits).
std::int64_t timesQuantity(const rt::FieldDef *quantity, const void *record, const Value &amount)
{
    std::int64_t cents = amount.number;
    for (int p = amount.places; p < 2; ++p)
        cents *= 10;
    std::int64_t out = 0;
    valuation::extendedValue(quantity ? rt::fieldNumber(*quantity, record) : 1, cents, out);
    return out;
}

std::int64_t timesQuantity(const rt::TableDef &def, const void *record, const Value &amount)
{
    // Most cells come from the item file: its quantity field is found once.
    static const rt::FieldDef *const itemQuantity = quantityField(dict::MasterInventoryDef);
    return timesQuantity(&def == &dict::MasterInventoryDef ? itemQuantity : quantityField(def), record, amount);
}

Value columnField(const Column &c, const rt::TableDef &def, const void *record, const std::string &picture = {})
{
    const rt::FieldDef *f = c.fieldIn(def);
    return f ? fieldValue(*f, record, picture) : Value::of({});
}

}  // namespace

Value cellValue(const Column &c, const rt::TableDef &def, const void *record, const UserTitles *titles)
{
    switch (c.cell) {
    case CellKind::Field:
        return columnField(c, def, record, c.picture);
    case CellKind::Extended:
        return Value::cents(timesQuantity(def, record, columnField(c, def, record)));
    case CellKind::Flag: {
        const Value v = columnField(c, def, record);
        return Value::of(v.kind == Value::Kind::Text ? std::string() : v.number == 1 ? "X" : "");
    }
    case CellKind::Cut: {
        const std::string t = columnField(c, def, record).text;
        return Value::of(rt::formatText("@s" + std::to_string(std::max(0, c.cut)), t));
    }
    case CellKind::UserField:
        if (titles)
            for (std::size_t i = 0; i < titles->size(); ++i)
                if (!rt::clip((*titles)[i]).empty() && rt::clip((*titles)[i]) == rt::clip(c.field))
                    return fieldValue(def, record, "USERFIELD" + std::to_string(i + 1), c.picture);
        return Value::of({});
    case CellKind::Computed:
        break;
    }
    return Value::of({});
}

Values cellValues(const std::vector<Column> &columns, const rt::TableDef &def, const void *record,
                  const UserTitles *titles)
{
    Values v;
    for (const Column &c : columns)
        if (c.cell != CellKind::Computed)
            v.set(c.valueName(), cellValue(c, def, record, titles));
    return v;
}

std::vector<TotalSpec> columnTotals(const std::vector<Column> &columns, const rt::TableDef &def)
{
    std::vector<TotalSpec> out;
    for (const Column &c : columns) {
        if (c.total.empty())
            continue;
        TotalSpec t;
        t.name = c.total;
        t.when = TotalSpec::When::ItemPrinted;
        const bool times = c.totalOf == TotalOf::TimesQuantity && c.cell != CellKind::Extended;
        // The totals of whole numbers (quantities) print without places.
        const int i = def.fieldIndex(c.field);
        const bool dec = i >= 0 && def.fields[static_cast<std::size_t>(i)].kind == rt::FieldKind::DEC;
        t.places = times || c.cell == CellKind::Extended ? 2 : dec ? def.fields[static_cast<std::size_t>(i)].places : 0;
        t.amount = [c, d = &def, times](const rt::ViewRow &row) -> std::int64_t {
            const Value v = cellValue(c, *d, row.record.data());
            if (times)
                return timesQuantity(*d, row.record.data(), v);
            return v.number;
        };
        out.push_back(std::move(t));
    }
    return out;
}

std::vector<TotalSpec> itemTotals(const std::vector<Column> &columns)
{
    std::vector<TotalSpec> out = {{"count", TotalSpec::When::ItemPrinted, {}}};
    for (TotalSpec &t : columnTotals(columns, dict::MasterInventoryDef))
        out.push_back(std::move(t));
    return out;
}

}  // namespace reports
