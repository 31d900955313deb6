// The page heading and footer shared by the client list and the reference lists: the title,
// the owner's lines, the run date and page, the column headings between two rules, and the
// footer box with the phone and e-mail lines.
#pragma once

#include "reports/layout_kit.h"

namespace reports {

inline ReportLayout listLayout(const std::string &titleText, std::vector<Control> columns, int areaHeight)
{
    using namespace kit;
    ReportLayout l;
    l.page.left = 500;
    l.page.top = 1500;
    l.page.width = 7500;
    l.page.height = areaHeight;
    l.page.headerTop = 400;
    const int w = 7500;
    l.header.name = "page heading";
    l.header.height = 1100;
    l.header.controls = {title(w, titleText),
                         field("NameLine", 0, 260, w, "@s60", Align::Center),
                         text(0, 430, 400, "Run:"),
                         field("RunDate", 400, 430, 800, "@d1"),
                         field("RunTime", 1150, 430, 900, "@t3"),
                         text(w - 1100, 430, 500, "Page:"),
                         field("Page", w - 600, 430, 600, "@n4", Align::Right),
                         field("AddressLine", 0, 430, w, "@s40", Align::Center),
                         field("CityLine", 0, 600, w, "@s40", Align::Center),
                         rule(0, 820, w)};
    for (Control &c : columns) {
        c.y = 860;
        l.header.controls.push_back(c);
    }
    l.header.controls.push_back(rule(0, 1060, w));
    l.footer.name = "page footer";
    l.footer.height = 450;
    l.footer.controls = {box(0, 60, w, 360), field("PhoneLine", 100, 150, 3400, "@s50"),
                         field("EmailLine", 3600, 150, 3800, "@s60", Align::Right)};
    return l;
}

}  // namespace reports
