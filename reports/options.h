// Report options per window. An options window keeps its choices in a struct of its own and
// hands the report a copy when it starts it; two options windows open at once never change
// each other's choices. The shared place a running report reads its options from (the globals
// Glo:ReportOrder, Glo:IncludePictures, Glo:IncludeMemos, Glo:NewPageEveryItem, Glo:Category,
// or the client list's options) is written only at that moment, and the run copies it when it
// starts, so a later change there never reaches a run under way.
#pragma once

#include <string>

namespace reports {

// The options the item reports started from an options window read (custom report, catalog,
// data-input forms).
struct ReportOptions {
    std::string reportOrder;  // "Asset", "Description", "Location" or "Category"
    bool includePictures = false;
    bool includeMemos = false;
    bool newPageEveryItem = false;
    std::string category;
};

// The options of the run starting now, as the globals hold them.
ReportOptions runningOptions();

// Hands an options window's own choices to the report it starts: `shared` (the place the
// running report reads) takes a copy, then the report runs.
template <typename Options, typename Report>
int startWithOptions(const Options &mine, Options &shared, Report &&report)
{
    shared = mine;
    return report();
}

}  // namespace reports
