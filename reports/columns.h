// Columns as data: one description of a column serves the heading line, the detail band and the
// totals band. A report writes its columns once, as a fixed list or built at run time (a
// custom report's chosen fields); the bands, the cell values of a record and the totals the
// columns feed are all made from that list.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "reports/layout_kit.h"
#include "reports/run.h"
#include "runtime/record.h"

namespace reports {

// Where a cell's value comes from.
enum class CellKind {
    Field,     // the record's field `field`, through the picture
    Extended,  // the amount field `field` times the quantity field (the extended value)
    Flag,      // "X" when the byte field `field` is 1, blank otherwise
    Cut,       // the first `cut` characters of the text field `field`
    UserField, // the user field (1 to 4) whose title is `field`; blank when no title matches
    Computed,  // a value the report sets itself under the column's name
};

// What a column adds to its total for each item printed.
enum class TotalOf {
    Cell,           // the cell's own number (a quantity)
    TimesQuantity,  // the cell's amount times the quantity (an amount per piece)
};

struct Column {
    int x = 0, w = 0;
    std::string heading{}, heading2{};  // a second heading line makes the heading two lines high
    std::string field{};            // the record's field ("MAS:DESCRIPTION"), or the title of a user field
    std::string picture{};
    previewer::Align align = previewer::Align::Left;
    CellKind cell = CellKind::Field;
    std::string name{};  // the control's and the value's name; empty: the field's
    int cut = 0;
    // The total this column feeds, printed under it in the totals band (under the last column
    // that feeds it); empty: none.
    std::string total{};
    TotalOf totalOf = TotalOf::TimesQuantity;
    int headingWidth = 0;  // a heading wider than the cell (one heading over two cells); 0: w
    std::string totalPicture{};  // the total's picture; empty: the totals band's

    const std::string &valueName() const { return name.empty() ? field : name; }
    // The field `field` names in `def` (nullptr: none), found once for a table and name: a run
    // reads every cell of every item, and a table's fields are searched by name.
    const rt::FieldDef *fieldIn(const rt::TableDef &def) const;
    // What fieldIn found last: the table and the name it was found for.
    mutable const rt::TableDef *foundIn = nullptr;
    mutable std::string foundFor{};
    mutable const rt::FieldDef *found = nullptr;
};

// Laid side by side from `left`, each column starting where the one before ends (a list built
// at run time gives only the widths).
void placeSideBySide(std::vector<Column> &columns, int left = 0);

// The heading controls of the columns: one line at `y`, or, when any column has a second
// line, the first lines plain at `y` and the second (underlined) at y + 170.
std::vector<Control> columnHeadings(const std::vector<Column> &columns, int y = 820);
// The detail band's controls: each column's cell at its place.
std::vector<Control> columnFields(const std::vector<Column> &columns, int y = 0);
const Column *findColumn(const std::vector<Column> &columns, const std::string &name);

// The width a total holds at 10 points: 999,999,999.99 with a currency sign. A larger total
// prints in a smaller size within the same width.
inline constexpr int kTotalWidth = 1150;

// The totals under their columns: each right-aligned to its column's right edge, kTotalWidth
// wide (or the column's width when wider), on the first line from `y` (lines `lineHeight`
// apart) where it meets neither another total nor one of `taken`. Returns the controls; the
// lines used are left in `lines`.
std::vector<Control> totalFields(const std::vector<Column> &columns, int y, const std::string &picture,
                                 unsigned style, const std::vector<Control> &taken, int *lines = nullptr,
                                 int lineHeight = 180);

// The user-field titles a cell of kind UserField looks its field up by.
using UserTitles = std::array<std::string, 4>;

// A cell's value from a record of `def`.
Value cellValue(const Column &column, const rt::TableDef &def, const void *record, const UserTitles *titles = nullptr);
// The values of every column but the computed ones, under their names.
Values cellValues(const std::vector<Column> &columns, const rt::TableDef &def, const void *record,
                  const UserTitles *titles = nullptr);
// The totals the columns feed, counted per item printed (a column chosen twice adds twice).
std::vector<TotalSpec> columnTotals(const std::vector<Column> &columns, const rt::TableDef &def);
// The totals of an item list: the items printed ("count") and the totals its columns feed.
std::vector<TotalSpec> itemTotals(const std::vector<Column> &columns);

// The value of a field of a record for a control of the given picture: text for strings, a
// date for a date picture, a year (no grouping) for the year of origin, amounts with their
// places.
Value fieldValue(const rt::TableDef &def, const void *record, const std::string &field,
                 const std::string &picture = {});
// The same of a field already found (a reading that packs many fields of every item).
Value fieldValue(const rt::FieldDef &f, const void *record, const std::string &picture = {});

}  // namespace reports
