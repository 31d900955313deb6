// The inventory browses: all items, one category, one location.
#pragma once

#include <cstdint>
#include <string>

#include "model/item_rules.h"
#include "model/edition.h"

namespace rt {
class BrowseModel;
class BrowseWindow;
}  // namespace rt

namespace inventory {

// The totals of the rows a browse lists: every row counts; the value is quantity times market
// value of the rows whose status is "Have" or "Sell", in cents. `ok` is false after a read error.
struct InventoryTotals {
    std::int64_t count = 0;
    std::int64_t cents = 0;
    bool ok = false;
};
InventoryTotals inventoryTotals(const rt::BrowseModel &list);

// Opens a browse of the variant as a child window of the frame. `word` is the category or
// location it shows; the browse keeps it for its whole life. Returns the window, or nullptr
// when it did not open. A read-only edition's browse changes nothing.
rt::BrowseWindow *openInventoryBrowse(Variant variant, const std::string &word,
                                      const model::Edition &edition = model::edition());

}  // namespace inventory
