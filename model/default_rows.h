// The default rows of the reference tables: the vocabulary that every new data folder starts
// with, in the order in which the rows are added.
#pragma once

#include <span>

namespace defaults {

struct TypeRow {
    const char *type;
    const char *description;
};

struct CategoryRow {
    const char *category;
    const char *description;
    std::span<const TypeRow> types;  // "Miscellaneous" and "Shop" have none
    bool library;                    // "Audio", "Book", "Video": added only at program start
};

struct RoomRow {
    const char *location;
    const char *description;
};

struct ConditionRow {
    int displayOrder;
    const char *condition;
};

std::span<const CategoryRow> categories();
std::span<const RoomRow> rooms();
std::span<const ConditionRow> conditions();
std::span<const char *const> manufacturers();
std::span<const char *const> vendors();
std::span<const char *const> subjects();
// The titles of the four user-defined item fields of a client without titles.
std::span<const char *const> userFieldTitles();

}  // namespace defaults
