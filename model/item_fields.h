// The item's fields as the windows and reports show them, in one table: the tip the item view
// gives each, the catalog line's leading text and picture, and the custom report's column (its
// name in the field list, heading, width, picture and total). A field that prints as more than
// one custom-report column (the short description, the extended values) has a row for each
// further column, after its own.
#pragma once

#include <string_view>
#include <vector>

namespace model {

// Pictures wide enough for the whole range of the item fields they show: quantities and counts
// of a LONG, and any sum of 64-bit cents.
inline constexpr const char *kQuantityPicture = "@n-14";
inline constexpr const char *kTotalPicture = "@n26.2";

enum class ItemFieldKind : unsigned char {
    Text,
    Number,
    Date,
    Flag,  // a yes/no byte
    User,  // a user field, told by the active client's title for it
};

// Where a custom report's column takes its value from its field.
enum class ColumnValue : unsigned char {
    Field,     // the field itself
    Cut,       // its first `cut` characters
    Extended,  // the amount times the quantity
};

struct ItemField {
    const char *field;  // the item's field, without its prefix
    ItemFieldKind kind = ItemFieldKind::Text;
    const char *tip = nullptr;  // the item view's tip
    // The catalog line: the leading text (nullptr: not printed there; a user field leads with
    // its title) and the value's picture.
    const char *label = nullptr;
    const char *labelPicture = nullptr;
    int user = 0;  // 1-4: the user field's number
    // The custom report's column (nullptr: none): its name in the field list, its heading, its
    // width in tenths of an inch, the cell's picture and the total it adds to.
    const char *column = nullptr;
    const char *header = nullptr;
    int tenths = 0;
    const char *picture = "";
    ColumnValue value = ColumnValue::Field;
    int cut = 0;
    const char *total = "";
    bool totalOfCell = false;  // the total adds the cell's own number, not the amount times the quantity
};

// Every row, the catalog's fields in the order its lines pack them.
const std::vector<ItemField> &itemFields();
// The first row of the field (no prefix), or nullptr.
const ItemField *itemField(std::string_view field);
// Its tip; nullptr for a field with none.
const char *itemFieldTip(std::string_view field);

}  // namespace model
