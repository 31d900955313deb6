#include "model/valuation.h"

#include "runtime/text.h"

namespace valuation {

// Count every row; value quantity times market value of the owned ones.
std::vector<rt::Total> itemTotals(const rt::TableDef &def)
{
    return {rt::Total::count(),
            rt::Total::sumOfProduct(def, "QUANTITY", "MARKETVALUE",
                                    {rt::Condition::oneOf(def, "STATUS", ownedStatuses())})};
}

const std::vector<std::string> &ownedStatuses()
{
    static const std::vector<std::string> statuses{"Have", "Sell"};
    return statuses;
}

bool owned(std::string_view status)
{
    for (const std::string &s : ownedStatuses())
        if (rt::equalNoCase(status, s))
            return true;
    return false;
}

bool extendedValue(std::int64_t quantity, std::int64_t marketCents, std::int64_t &cents)
{
    std::int64_t product = 0;
    if (__builtin_mul_overflow(quantity, marketCents, &product))
        return false;
    cents = product;
    return true;
}

std::int64_t extendedValue(const MasterInventoryRecord &item)
{
    std::int64_t cents = 0;
    extendedValue(item.QUANTITY.get(), item.MARKETVALUE.cents(), cents);
    return cents;
}

int totals(const rt::View &items, Totals &out)
{
    out = Totals{};
    std::vector<std::int64_t> v;
    int code = items.totals(itemTotals(items.file().def()), v);
    if (code == 0) {
        out.count = v[0];
        out.cents = v[1];
    }
    return code;
}

bool adjust(const rt::TableDef &def, Totals &t, const void *before, const void *after)
{
    const int status = def.fieldIndex("STATUS"), quantity = def.fieldIndex("QUANTITY"),
              market = def.fieldIndex("MARKETVALUE");
    if (status < 0 || quantity < 0 || market < 0)
        return false;
    auto field = [&](int i) -> const rt::FieldDef & { return def.fields[static_cast<std::size_t>(i)]; };
    // What one row adds to the value: its extended value when it is owned.
    auto value = [&](const void *row, std::int64_t &cents) {
        cents = 0;
        if (!owned(rt::fieldText(field(status), row)))
            return true;
        return extendedValue(rt::fieldNumber(field(quantity), row), rt::fieldNumber(field(market), row), cents);
    };
    std::int64_t out = 0, in = 0, change = 0, cents = 0;
    if ((before && !value(before, out)) || (after && !value(after, in)))
        return false;
    if (__builtin_sub_overflow(in, out, &change) || __builtin_add_overflow(t.cents, change, &cents))
        return false;
    t.count += (after ? 1 : 0) - (before ? 1 : 0);
    t.cents = cents;
    return true;
}

int groupTotals(const rt::View &items, std::string_view groupField, std::vector<GroupTotals> &out)
{
    out.clear();
    std::vector<rt::GroupTotals> groups;
    int code = items.groupTotals(groupField, itemTotals(items.file().def()), groups);
    for (const rt::GroupTotals &g : groups)
        out.push_back({g.value, {g.totals[0], g.totals[1]}});
    return code;
}

}  // namespace valuation
