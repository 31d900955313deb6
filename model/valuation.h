// The valuation of a home inventory, for every window and report that shows a value: which
// items are owned, what one item is worth, and the totals of a list of items. No widgets.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/dictionary.h"
#include "runtime/view.h"

namespace valuation {

// The statuses of the items the client owns, "Have" and "Sell": only these are valued.
const std::vector<std::string> &ownedStatuses();
// Case-blind and without trailing blanks, the way the keys compare.
bool owned(std::string_view status);

// Quantity times market value (the value of one piece) in exact cents. False, with cents left
// alone, when the product does not fit 64 bits.
bool extendedValue(std::int64_t quantity, std::int64_t marketCents, std::int64_t &cents);
// An item's own fields (a 32-bit quantity, a 7-digit value) always give an exact product.
std::int64_t extendedValue(const MasterInventoryRecord &item);

// The totals of a list of items: every row counts; the value is the extended value of the
// owned rows only.
struct Totals {
    std::int64_t count = 0;
    std::int64_t cents = 0;
};
struct GroupTotals {
    std::string group;  // the group field of the group's first item
    Totals totals;
};

// The view totals that give Totals (count, then value) over items of the type `def`.
std::vector<rt::Total> itemTotals(const rt::TableDef &def);
// Over the rows of a view of items (MasterInventory, or the client's copy of it). Returns the
// error code of the read, and an error rather than a wrapped value when a total leaves 64 bits.
int totals(const rt::View &items, Totals &out);
// Totals kept over a list as one row of it changes: `before` is the row as the list had it
// (nullptr for a row new to the list), `after` the row as the list has it now (nullptr for a
// row that left it), both records of the items' type `def`. False, with the totals left alone,
// when a total would leave 64 bits.
bool adjust(const rt::TableDef &def, Totals &t, const void *before, const void *after);
// Per group, in the view's order: a group ends where the group field changes (case-blind).
int groupTotals(const rt::View &items, std::string_view groupField, std::vector<GroupTotals> &out);

}  // namespace valuation
