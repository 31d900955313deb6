// Short builders for the controls of the report layouts.
#pragma once

#include "reports/engine.h"

namespace reports::kit {

inline constexpr unsigned kBold = previewer::STYLE_BOLD;
inline constexpr unsigned kUnderline = previewer::STYLE_UNDERLINE;
using previewer::Align;

inline Control text(int x, int y, int w, std::string s, unsigned style = 0, int size = 1000,
                    Align align = Align::Left)
{
    Control c;
    c.kind = ControlKind::String;
    c.x = x, c.y = y, c.w = w, c.h = size * 1000 / 7200 + 20;
    c.text = std::move(s);
    c.style = style;
    c.size = size;
    c.align = align;
    return c;
}

inline Control field(std::string name, int x, int y, int w, std::string picture, Align align = Align::Left,
                     unsigned style = 0, int size = 1000)
{
    Control c = text(x, y, w, {}, style, size, align);
    c.kind = ControlKind::Field;
    c.name = std::move(name);
    c.picture = std::move(picture);
    return c;
}

inline Control rule(int x, int y, int w, int pen = 10)
{
    Control c;
    c.kind = ControlKind::Line;
    c.x = x, c.y = y, c.w = w, c.h = 0;
    c.pen = pen;
    return c;
}

// Two rules, the second kDoubleLineGap under the first (under a grand total).
inline Control doubleRule(int x, int y, int w, int pen = 10)
{
    Control c = rule(x, y, w, pen);
    c.kind = ControlKind::DoubleLine;
    return c;
}

inline Control box(int x, int y, int w, int h)
{
    Control c;
    c.kind = ControlKind::Box;
    c.x = x, c.y = y, c.w = w, c.h = h;
    return c;
}

inline Control block(std::string name, int x, int y, int w, int size = 1000)
{
    Control c = text(x, y, w, {}, 0, size);
    c.kind = ControlKind::TextBlock;
    c.name = std::move(name);
    return c;
}

// The title: centred over the width, 14 points bold underlined.
inline Control title(int width, std::string s) { return text(0, 0, width, std::move(s), kBold | kUnderline, 1400, Align::Center); }
// A column heading: bold underlined.
inline Control heading(int x, int y, int w, std::string s, Align align = Align::Left)
{
    return text(x, y, w, std::move(s), kBold | kUnderline, 1000, align);
}

}  // namespace reports::kit
