#include "previewer/sample_pages.h"

#include <cstdio>

#include "runtime/paths.h"

namespace previewer {

Page samplePage(int number, int total, bool wide)
{
    Page page;
    page.header.width = wide ? 11000 : 8500;
    page.header.height = wide ? 8500 : 11000;
    page.header.orientation = wide ? Orientation::Landscape : Orientation::Portrait;
    const int left = 500, right = page.header.width - 500;
    const int width = right - left;

    TextItem title;
    title.x = left;
    title.y = 500;
    title.w = width;
    title.h = 300;
    title.size = 1600;
    title.style = STYLE_BOLD;
    title.align = Align::Center;
    title.text = "Sample Report";
    page.items.push_back(title);

    TextItem pageNo;
    pageNo.x = left;
    pageNo.y = 900;
    pageNo.w = width;
    pageNo.h = 200;
    pageNo.align = Align::Right;
    pageNo.text = "Page: " + std::to_string(number) + " of " + std::string(kPageTotalToken);
    page.items.push_back(pageNo);

    LineItem rule;
    rule.x1 = left;
    rule.x2 = right;
    rule.y1 = rule.y2 = 1150;
    rule.pen = 20;
    page.items.push_back(rule);

    const int rows = wide ? 18 : 28;
    for (int r = 0; r < rows; ++r) {
        int y = 1300 + r * 300;
        if (r % 2 == 0) {
            BoxItem band;
            band.x = left;
            band.y = y - 40;
            band.w = width;
            band.h = 280;
            band.penColor.reset();
            band.fill = 0xE8EEF8;
            page.items.push_back(band);
        }
        TextItem item;
        item.x = left + 100;
        item.y = y;
        item.w = 3000;
        item.h = 200;
        item.text = "Item " + std::to_string((number - 1) * rows + r + 1);
        page.items.push_back(item);
        TextItem value = item;
        value.x = right - 2100;
        value.w = 2000;
        value.align = Align::Right;
        value.text = std::to_string(((number * 37 + r * 11) % 900) + 100) + ".00";
        page.items.push_back(value);
    }

    BoxItem frame;
    frame.x = left;
    frame.y = page.header.height - 1400;
    frame.w = width;
    frame.h = 700;
    frame.pen = 15;
    frame.radius = 100;
    page.items.push_back(frame);

    CheckItem check;
    check.x = left + 200;
    check.y = page.header.height - 1200;
    check.w = check.h = 250;
    check.checked = number % 2 == 1;
    page.items.push_back(check);

    TextItem label;
    label.x = left + 550;
    label.y = page.header.height - 1180;
    label.w = 4000;
    label.h = 250;
    label.style = STYLE_ITALIC | STYLE_UNDERLINE;
    label.text = "Checked on odd pages";
    page.items.push_back(label);
    return page;
}

std::vector<std::string> writeSamplePages(const std::string &folder, int count, bool wide)
{
    std::vector<std::string> paths;
    for (int i = 1; i <= count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "page%03d.opg", i);
        std::string path = rt::joinPath(folder, name);
        if (!writePageFile(path, samplePage(i, count, wide)))
            return {};
        paths.push_back(path);
    }
    return paths;
}

}  // namespace previewer
