// The page heading and footer shared by the client list and the reference lists: the title,
// the owner's lines, the run date and page, the column headings between two rules, and the
// footer box with the phone and e-mail lines.
#pragma once

#include "reports/item_reports.h"
#include "reports/layout_kit.h"

namespace reports {

inline ReportLayout listLayout(const std::string &titleText, const std::vector<Column> &columns, int areaHeight)
{
    using namespace kit;
    ReportLayout l;
    l.page.left = 500;
    l.page.top = 1500;
    l.page.width = 7500;
    l.page.height = areaHeight;
    l.page.headerTop = 400;
    const int w = 7500;
    l.header = pageHeading(w, titleText, columns, listHeadingForm());
    l.footer.name = "page footer";
    l.footer.height = 450;
    l.footer.controls = {box(0, 60, w, 360), field("PhoneLine", 100, 150, 3400, "@s50"),
                         field("EmailLine", 3600, 150, 3800, "@s60", Align::Right)};
    return l;
}

}  // namespace reports
