// Fuzz target: what is read from text typed or stored: decimal amounts, dates and times through
// their pictures, any display picture, and INI files. Each parse must not fail, and what it
// reads must survive a round trip through its formatter.
//
// Input: one byte of decimal places, then up to five parts separated by NUL (the value text, a
// display picture, an INI section, key and value), then the INI file's text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/dates.h"
#include "runtime/ini.h"
#include "runtime/picture.h"
#include "runtime/text.h"
#include "runtime/values.h"

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void values(std::string_view text, int places)
{
    std::int64_t units = 0;
    if (rt::readDecimal(text, places, units) == rt::DecimalText::Number) {
        check(units <= rt::kMaxDecimalUnits && units >= -rt::kMaxDecimalUnits);
        // 18 digits, 5 commas, a sign and a point fit in 30.
        const std::string picture = "@n-30." + std::to_string(places);
        std::int64_t back = 0;
        check(rt::readDecimal(rt::formatNumber(picture, units, places), places, back) == rt::DecimalText::Number);
        check(back == units);
    }
    std::int32_t date = 0;
    if (rt::deformatDate(text, date, 2026) && date != 0) {
        check(date >= 4 && date <= rt::makeDate(12, 31, 9999));
        std::int32_t back = 0;
        check(rt::deformatDate(rt::formatDate("@d2", date), back, 2026) && back == date);
    }
    std::int32_t time = 0;
    if (rt::deformatTime(text, time) && time != 0) {
        check(time >= 1 && time <= 24 * 3600 * 100);
        std::int32_t back = 0;
        check(rt::deformatTime(rt::formatTime("@t4", time), back) && back == (time - 1) / 100 * 100 + 1);
    }
    (void)rt::deformatPattern(text);
}

void pictures(std::string_view picture, std::string_view text, int places)
{
    (void)rt::Picture::parse(picture);
    const std::size_t bound = 65535 + 64;  // the widest picture, and its decoration
    check(rt::formatText(picture, text).size() <= std::max(bound, text.size()));
    std::int64_t units = 0;
    if (rt::parseDecimal(text, places, units))
        check(rt::formatNumber(picture, units, places).size() <= bound);
    check(rt::formatDate(picture, static_cast<std::int32_t>(units)).size() <= bound);
    check(rt::formatTime(picture, static_cast<std::int32_t>(units)).size() <= bound);
}

// A section or key that the file's own rules can hold: no brackets, '=', line ends or leading
// ';', no blanks at either end.
bool plain(std::string_view s, bool isValue)
{
    if (!isValue && (s.empty() || s[0] == ';' || rt::trim(s) != s))
        return false;
    for (char c : s)
        if (c == '\r' || c == '\n' || (!isValue && (c == '[' || c == ']' || c == '=')))
            return false;
    return true;
}

void ini(std::string_view section, std::string_view key, std::string_view value, std::string_view text)
{
    std::vector<std::string> lines = rt::iniLines(text);
    for (const std::string &l : lines)
        check(l.find('\r') == std::string::npos && l.find('\n') == std::string::npos);
    std::string found;
    (void)rt::iniFind(lines, section, key, found);
    rt::iniSet(lines, section, key, value);
    if (plain(section, false) && plain(key, false) && plain(value, true)) {
        check(rt::iniFind(lines, section, key, found) && found == rt::trim(value));
        // Written with CR LF and read again, the file is the same.
        std::string saved;
        for (const std::string &l : lines)
            saved += l + "\r\n";
        check(rt::iniLines(saved) == lines);
    }
    (void)rt::iniRemove(lines, section, key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int places = data[0] % 19;
    std::string_view rest(reinterpret_cast<const char *>(data + 1), size - 1);
    std::string_view parts[5];
    for (std::string_view &p : parts) {
        std::size_t end = rest.find('\0');
        p = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    values(parts[0], places);
    pictures(parts[1], parts[0], places);
    ini(parts[2], parts[3], parts[4], rest);
    return 0;
}
