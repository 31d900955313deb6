// What the reports over a client's items share: the page heading and footer of the inventory
// reports, columns described as data (heading, field, picture, place) from which the heading
// line and the detail band are both built, an item field's value for a control, and the fitting
// of a picture into a square.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QSize>

#include "reports/layout_kit.h"
#include "runtime/record.h"

namespace reports {

// A column of an item list: its heading of one or two lines over the field, at x, w wide.
struct Column {
    int x = 0, w = 0;
    std::string heading, heading2;
    std::string field;  // "MAS:DESCRIPTION", or a value the report computes ("ExtendedValue")
    std::string picture;
    previewer::Align align = previewer::Align::Left;
};

// Pictures wide enough for the whole range of the item fields they show, so that no value
// prints as '#': quantities and counts of a LONG, the weights of a DEC(5,2), amounts of
// DEC(7,2) and DEC(9,2), and any sum of 64-bit cents.
inline constexpr const char *kQuantityPicture = "@n-14";
inline constexpr const char *kCountPicture = "@n13";
inline constexpr const char *kAmountPicture = "@n-10.2";
inline constexpr const char *kTotalPicture = "@n26.2";
inline constexpr const char *kGrandTotalPicture = "@n$27.2";

// The page heading of the inventory reports: the title, the name line, "Run:" with the date and
// time, the address and city lines, "Page:", the column headings (one line at 820, a second at
// 990 when any column has one) and the rule under them.
Band itemPageHeading(int width, const std::string &title, const std::vector<Control> &columnHeadings,
                     bool twoLines = false);
// The footer: a rule and the phone and e-mail lines.
Band itemPageFooter(int width);
// Letter paper, portrait (7500 wide) or landscape (10000 wide), the body under a heading of
// `headingHeight`.
PageGeometry itemPage(bool wide, int headingHeight);

std::vector<Control> columnHeadings(const std::vector<Column> &columns);
std::vector<Control> columnFields(const std::vector<Column> &columns);
const Column *findColumn(const std::vector<Column> &columns, const std::string &field);

// The value of a field of a record for a control of the given picture: text for strings, a
// date for a date picture, a year (no grouping) for the year of origin, amounts with their
// places.
Value fieldValue(const rt::TableDef &def, const void *record, const std::string &field,
                 const std::string &picture = {});
// The values of every column's field that the record holds.
Values columnValues(const rt::TableDef &def, const void *record, const std::vector<Column> &columns);

// A picture of `natural` size enlarged or reduced to fit a square of `side`, proportions kept;
// nothing when the size is not valid (a missing, unreadable or empty picture).
std::optional<QSize> fitToSquare(QSize natural, int side);

}  // namespace reports
