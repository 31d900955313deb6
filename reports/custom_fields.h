// The columns a custom report can be built from: the fixed item fields and the active client's
// user-field titles, each with the heading it prints under and its width in tenths of an inch,
// and the width of a definition as laid out on a page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct CustomReportSetupsRecord;
struct UserFieldsRecord;
namespace model {
struct ItemField;
}

namespace reports {

struct ReportField {
    std::string name;    // what a definition's column holds and the drop lists show
    std::string header;  // the column's heading on the report
    int tenths = 0;      // width in tenths of an inch: sums stay exact (7.5 is 75, never 7.4999)
};

// The field list of the running program, in name order (case-blind, as the keys compare).
std::vector<ReportField> &reportFieldList();
// The row of that name, or nullptr (a user-field title that the active client does not have).
const ReportField *findReportField(std::string_view name);

// Names compare as the keys do: case-blind, trailing blanks ignored.
bool sameName(std::string_view a, std::string_view b);
// The item field's row of a fixed column of that name (case-blind, trailing blanks ignored),
// or nullptr (a user-field title).
const model::ItemField *itemColumn(std::string_view name);
// The twelve column names of a definition, blank ones included.
std::vector<std::string> definitionColumns(const CustomReportSetupsRecord &definition);
// The width of the columns found in the field list; a name not in it takes no room.
int configuredTenths(const CustomReportSetupsRecord &definition);
// The page body's width for an orientation: 7.5 inches upright, 10 sideways.
int maximumTenths(std::string_view orientation);
// Tenths of an inch as the forms show them: "7.5".
std::string inchesText(int tenths);

}  // namespace reports

// Adds the fixed columns and the titles of the user-field record in the `UserFields` buffer to
// the field list (the caller empties it first). A title that repeats a name already listed adds
// no second row: a definition could never tell the two apart.
void BuildReportFieldList();
