// What the reports share: the page heading of every report, the page footer and paper of the
// inventory reports, the pictures of amounts, and the fitting of a picture into a square.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QSize>

#include "model/item_fields.h"
#include "reports/columns.h"
#include "reports/layout_kit.h"
#include "runtime/record.h"

namespace reports {

class ReportRun;

// Pictures wide enough for the whole range of the item fields they show, so that no value
// prints as '#': quantities and counts of a LONG, the weights of a DEC(5,2), amounts of
// DEC(7,2) and DEC(9,2), and any sum of 64-bit cents.
inline constexpr const char *kQuantityPicture = model::kQuantityPicture;
inline constexpr const char *kCountPicture = "@n13";
inline constexpr const char *kAmountPicture = "@n-10.2";
inline constexpr const char *kTotalPicture = model::kTotalPicture;
inline constexpr const char *kGrandTotalPicture = "@n$27.2";

// Where the lines of the page heading go: the inventory reports' form (the run line beside the
// name line, the column headings under the city line, a rule under them) by default; the
// lists' form has the run line beside the address line and the headings between two rules.
struct HeadingForm {
    int runY = 260;     // "Run:" with the run date and time, "Page:" with the page number
    int columnsY = 820; // the column headings (a second line 170 under)
    int ruleAbove = 0;  // a rule over the column headings; 0: none
    int ruleY = 0;      // the rule under them; 0: 190 under the last heading line
    int height = 0;     // 0: 15 under that rule
};
inline HeadingForm listHeadingForm() { return HeadingForm{430, 860, 820, 1060, 1100}; }

// "Value (ea)": the market value of one, feeding the "value" total multiplied out by the
// quantity.
Column valueColumn(int x, int w, std::string picture = kAmountPicture);

// A category group's values: its name, and its description as the category file holds it
// (found case-blind by its key); an unknown category prints a blank description.
Values categoryGroupValues(const std::string &category);

// The page heading of every report: the title, the name line, "Run:" with the date and time,
// the address and city lines, "Page:" with the page number, the columns' headings and the
// rule under them. The line beside "Run:" and "Page:" is kept between them, centred.
Band pageHeading(int width, const std::string &title, const std::vector<Column> &columns,
                 const HeadingForm &form = {});
// The footer: a rule and the phone and e-mail lines.
Band itemPageFooter(int width);
// The lists' footer: a box `boxWidth` wide at `boxX`, holding the phone line over the e-mail
// line, centred.
Band boxPageFooter(int boxX, int boxWidth);
// The lists' box centred under the body: 7250 wide at 125 (portrait) or 1375 (wide).
Band listPageFooter(bool wide);
// An item's "detail" band and, when `memo` is not blank, its "memo" band right under it, on the
// page of the line; a memo longer than the room left goes on over the page. `picture`: the
// height of the picture band the caller prints next (0 for none), kept on one page with them
// when a page holds them all.
void printWithMemo(ReportRun &run, const Values &cells, const std::string &memo, int picture = 0);
// Letter paper, portrait (7500 wide) or landscape (10000 wide), the body under a heading of
// `headingHeight`.
PageGeometry itemPage(bool wide, int headingHeight);

// A picture of `natural` size enlarged or reduced to fit a square of `side`, proportions kept;
// nothing when the size is not valid (a missing, unreadable or empty picture).
std::optional<QSize> fitToSquare(QSize natural, int side);

}  // namespace reports
