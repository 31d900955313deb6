#include "runtime/picture.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "runtime/dates.h"
#include "runtime/text.h"
#include "runtime/values.h"

namespace rt {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The digits at i as a number. A number past kHugePart stays there: a date or time part that
// large is refused by the range checks, never wrapped round into a part that passes them.
constexpr int kHugePart = 999'999'999;

int readInt(std::string_view s, std::size_t &i)
{
    std::int64_t v = 0;
    while (i < s.size() && isDigit(s[i]))
        v = std::min<std::int64_t>(v * 10 + (s[i++] - '0'), kHugePart);
    return static_cast<int>(v);
}

// Widths beyond any field, and more places than 64-bit units can scale to, are cut back.
constexpr int kMaxPictureWidth = 65535;
constexpr int kMaxPicturePlaces = 18;

std::string twoDigits(int v)
{
    std::string r = std::to_string(v % 100);
    return r.size() < 2 ? "0" + r : r;
}

}  // namespace

Picture Picture::parse(std::string_view p)
{
    Picture pic;
    std::string s = lower(trim(p));
    if (s.size() < 2 || s[0] != '@')
        return pic;
    std::size_t i = 2;
    switch (s[1]) {
    case 's':
        pic.kind = String;
        pic.width = readInt(s, i);
        break;
    case 'n': {
        pic.kind = Number;
        if (i < s.size() && s[i] == '$') {
            pic.currency = true;
            ++i;
        }
        if (i < s.size() && s[i] == '-') {
            pic.leadingSign = true;
            ++i;
        }
        if (i < s.size() && (s[i] == '0' || s[i] == '_' || s[i] == '*')) {
            pic.fill = s[i] == '_' ? 0 : s[i];
            pic.grouping = 0;  // a fill character turns the default grouping off
            ++i;
        }
        pic.width = readInt(s, i);
        if (i + 1 < s.size() && (s[i] == '_' || s[i] == '-') && s[i + 1] != 'b' && isDigit(s[i + 1]) == false &&
            s[i + 1] != '.') {
            pic.grouping = s[i] == '_' ? ' ' : '-';
            ++i;
        }
        if (i < s.size() && s[i] == '.' && i + 1 < s.size() && isDigit(s[i + 1])) {
            ++i;
            pic.places = readInt(s, i);
        }
        if (i < s.size() && s[i] == '-') {
            pic.trailingSign = true;
            ++i;
        }
        if (i < s.size() && s[i] == '$') {
            pic.currency = true;
            ++i;
        }
        break;
    }
    case 'd':
        pic.kind = Date;
        if (i < s.size() && s[i] == '0') {
            pic.leadingZero = true;
            ++i;
        }
        pic.style = readInt(s, i);
        break;
    case 't':
        pic.kind = Time;
        if (i < s.size() && s[i] == '0') {
            pic.leadingZero = true;
            ++i;
        }
        pic.style = readInt(s, i);
        break;
    case 'p': {
        pic.kind = Pattern;
        std::string raw(trim(p));
        // @p<body>p[b]: the body keeps its own case and blanks.
        std::size_t end = raw.size();
        if (end > 0 && (raw[end - 1] == 'b' || raw[end - 1] == 'B') && end >= 2 &&
            (raw[end - 2] == 'p' || raw[end - 2] == 'P')) {
            pic.blankWhenZero = true;
            --end;
        }
        if (end > 2 && (raw[end - 1] == 'p' || raw[end - 1] == 'P'))
            --end;
        pic.pattern = raw.substr(2, end - 2);
        return pic;
    }
    default:
        return pic;
    }
    if (i < s.size() && s[i] == 'b') {
        pic.blankWhenZero = true;
        ++i;
    }
    pic.width = std::min(pic.width, kMaxPictureWidth);
    pic.places = std::min(pic.places, kMaxPicturePlaces);
    return pic;
}

std::string formatNumber(const Picture &pic, std::int64_t units, int valuePlaces)
{
    if (pic.kind != Picture::Number)
        return std::to_string(units);
    if (units == 0 && pic.blankWhenZero)
        return std::string();
    // Bring the value to the picture's places, rounding half away from zero.
    bool neg = units < 0;
    std::uint64_t v = static_cast<std::uint64_t>(neg ? -units : units);
    if (valuePlaces > pic.places) {
        std::uint64_t div = static_cast<std::uint64_t>(pow10i(valuePlaces - pic.places));
        v = (v + div / 2) / div;
    } else if (valuePlaces < pic.places) {
        v *= static_cast<std::uint64_t>(pow10i(pic.places - valuePlaces));
    }
    if (v == 0)
        neg = false;
    std::uint64_t scale = static_cast<std::uint64_t>(pow10i(pic.places));
    std::string whole = std::to_string(v / scale);
    std::string frac;
    if (pic.places > 0) {
        frac = std::to_string(v % scale);
        frac = std::string(static_cast<std::size_t>(pic.places) - frac.size(), '0') + frac;
    }
    if (pic.grouping) {
        std::string g;
        int n = 0;
        for (std::size_t k = whole.size(); k-- > 0;) {
            g.insert(g.begin(), whole[k]);
            if (++n % 3 == 0 && k > 0)
                g.insert(g.begin(), pic.grouping);
        }
        whole = g;
    }
    std::string body = pic.places > 0 ? whole + "." + frac : whole;
    std::string prefix = pic.currency ? "$" : "";
    std::string suffix;
    if (neg) {
        if (pic.trailingSign)
            suffix = "-";
        else
            prefix = "-" + prefix;
    }
    int width = pic.width > 0 ? pic.width : 0;
    std::string text = prefix + body + suffix;
    if (pic.fill == '0' || pic.fill == '*') {
        int room = width - static_cast<int>(text.size());
        if (room > 0)
            text = prefix + std::string(static_cast<std::size_t>(room), pic.fill) + body + suffix;
    }
    if (width > 0 && static_cast<int>(text.size()) > width)
        return std::string(static_cast<std::size_t>(width), '#');
    return text;
}

std::string formatNumber(std::string_view picture, std::int64_t units, int valuePlaces)
{
    return formatNumber(Picture::parse(picture), units, valuePlaces);
}

std::string formatDate(std::string_view picture, std::int32_t date)
{
    Picture pic = Picture::parse(picture);
    if (date <= 0)
        return std::string();  // no date shows blank with or without the b
    Civil c = civil(date);
    if (c.year == 0)
        return std::string();
    std::string m = std::to_string(c.month);
    if (pic.leadingZero && m.size() < 2)
        m = "0" + m;
    switch (pic.style) {
    case 1:
        return m + "/" + twoDigits(c.day) + "/" + twoDigits(c.year);
    case 2:
        return m + "/" + twoDigits(c.day) + "/" + std::to_string(c.year);
    case 3: {
        std::string mon = upper(std::string(monthNames[c.month - 1]).substr(0, 3));
        std::string d = std::to_string(c.day);
        return mon + " " + (d.size() < 2 ? " " + d : d) + "," + std::to_string(c.year);
    }
    case 4:
        return std::string(monthNames[c.month - 1]) + " " + std::to_string(c.day) + ", " + std::to_string(c.year);
    case 5:
        return twoDigits(c.day) + "/" + twoDigits(c.month) + "/" + twoDigits(c.year);
    case 6:
        return twoDigits(c.day) + "/" + twoDigits(c.month) + "/" + std::to_string(c.year);
    default:
        return m + "/" + twoDigits(c.day) + "/" + std::to_string(c.year);
    }
}

std::string formatTime(std::string_view picture, std::int32_t time)
{
    Picture pic = Picture::parse(picture);
    if (time <= 0)
        return std::string();
    int t = (time - 1) / 100;
    int h = (t / 3600) % 24, mi = (t / 60) % 60, se = t % 60;
    std::string hh = std::to_string(h);
    if (pic.leadingZero && hh.size() < 2)
        hh = "0" + hh;
    switch (pic.style) {
    case 3: {
        int h12 = h % 12 == 0 ? 12 : h % 12;
        return std::to_string(h12) + ":" + twoDigits(mi) + (h < 12 ? "AM" : "PM");
    }
    case 4:
        return hh + ":" + twoDigits(mi) + ":" + twoDigits(se);
    default:
        return hh + ":" + twoDigits(mi);
    }
}

std::string formatText(std::string_view picture, std::string_view text)
{
    Picture pic = Picture::parse(picture);
    switch (pic.kind) {
    case Picture::String:
        return std::string(clipView(pic.width > 0 ? cutUtf8(text, static_cast<std::size_t>(pic.width)) : text));
    case Picture::Pattern: {
        std::string digits = deformatPattern(text);
        // A field with no number in it shows blank; the b suffix also blanks a number of zeros.
        if (digits.empty() || (pic.blankWhenZero && digits.find_first_not_of('0') == std::string::npos))
            return std::string();
        std::size_t places = 0;
        for (char c : pic.pattern)
            if (c == '#' || c == '<')
                ++places;
        // The value's digits fill the places from the right; extra leading digits are dropped.
        if (digits.size() > places)
            digits = digits.substr(digits.size() - places);
        digits = std::string(places - digits.size(), '0') + digits;
        std::string out;
        std::size_t k = 0;
        bool leading = true;
        for (char c : pic.pattern) {
            if (c == '#' || c == '<') {
                char d = digits[k++];
                if (c == '<' && leading && d == '0')
                    out += ' ';
                else {
                    out += d;
                    leading = false;
                }
            } else {
                out += c;
            }
        }
        return out;
    }
    case Picture::Number: {
        std::int64_t units = 0;
        if (!parseDecimal(text, pic.places, units))
            return std::string(clipView(text));
        return formatNumber(pic, units, pic.places);
    }
    default:
        return std::string(clipView(text));
    }
}

bool deformatDate(std::string_view text, std::int32_t &date, int currentYear)
{
    std::string t = trim(text);
    if (t.empty()) {
        date = 0;
        return true;
    }
    int parts[3] = {0, 0, 0};
    int digitsIn[3] = {0, 0, 0};
    int n = 0;
    std::size_t i = 0;
    while (i < t.size() && n < 3) {
        if (!isDigit(t[i])) {
            ++i;
            continue;
        }
        std::size_t start = i;
        parts[n] = readInt(t, i);
        digitsIn[n] = static_cast<int>(i - start);
        ++n;
    }
    if (n == 1 && (digitsIn[0] == 6 || digitsIn[0] == 8)) {  // mmddyy or mmddyyyy typed without separators
        std::string d = std::to_string(parts[0]);
        d = std::string(static_cast<std::size_t>(digitsIn[0]) - d.size(), '0') + d;
        parts[0] = std::atoi(d.substr(0, 2).c_str());
        parts[1] = std::atoi(d.substr(2, 2).c_str());
        parts[2] = std::atoi(d.substr(4).c_str());
        digitsIn[2] = digitsIn[0] - 4;
        n = 3;
    }
    if (n != 3)
        return false;
    int month = parts[0], day = parts[1], year = parts[2];
    if (month < 1 || month > 12 || day < 1)
        return false;
    if (digitsIn[2] <= 2)
        year = widenYear(year, currentYear > 0 ? currentYear : yearOf(today()));
    if (day > daysInMonth(month, year))
        return false;
    const std::int32_t made = makeDate(month, day, year);
    if (made == 0)
        return false;
    date = made;
    return true;
}

bool deformatTime(std::string_view text, std::int32_t &time)
{
    std::string t = upper(trim(text));
    if (t.empty()) {
        time = 0;
        return true;
    }
    std::size_t i = 0;
    int h = readInt(t, i);
    int m = 0, s = 0;
    if (i < t.size() && t[i] == ':') {
        ++i;
        m = readInt(t, i);
        if (i < t.size() && t[i] == ':') {
            ++i;
            s = readInt(t, i);
        }
    }
    while (i < t.size() && t[i] == ' ')
        ++i;
    std::string rest = t.substr(i);
    if (rest == "PM" || rest == "P") {
        if (h < 12)
            h += 12;
    } else if (rest == "AM" || rest == "A") {
        if (h == 12)
            h = 0;
    } else if (!rest.empty()) {
        return false;
    }
    if (h > 23 || m > 59 || s > 59)
        return false;
    time = (h * 3600 + m * 60 + s) * 100 + 1;
    return true;
}

std::string deformatPattern(std::string_view text)
{
    std::string d;
    for (char c : text)
        if (isDigit(c))
            d += c;
    return d;
}

}  // namespace rt
