#include "model/import_lines.h"

#include <limits>

#include "runtime/text.h"
#include "runtime/values.h"

namespace importing {

Format formatOf(std::string_view name) { return rt::clipView(name) == kCommaFormat ? Format::Comma : Format::Tab; }

bool validUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        int extra;
        std::uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(extra) >= s.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        // Overlong forms, surrogates and values past the last code point are not UTF-8.
        static const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

std::string fromWindows1252(std::string_view s)
{
    // 0x80 to 0x9F differ from Latin-1; the five unassigned ones become U+FFFD.
    static const char16_t high[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        std::uint32_t cp = c >= 0x80 && c < 0xA0 ? high[c - 0x80] : c;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::string lineText(std::string_view raw, bool firstLine)
{
    if (firstLine && raw.substr(0, 3) == "\xEF\xBB\xBF")
        raw.remove_prefix(3);
    if (validUtf8(raw))
        return std::string(raw);
    return fromWindows1252(raw);
}

std::vector<Column> splitLine(std::string_view line, Format format)
{
    line = rt::clipView(line);
    std::vector<std::size_t> separators;  // 1-based positions
    separators.reserve(kMaxColumns);
    bool quoted = false;
    bool fieldStart = true;  // only blanks since the column began
    for (std::size_t i = 0; i < line.size() && separators.size() < kMaxColumns; ++i) {
        const char c = line[i];
        if (format == Format::Tab) {
            if (c == '\t')
                separators.push_back(i + 1);
            continue;
        }
        if (quoted) {
            if (c == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"')
                    ++i;
                else
                    quoted = false;
            }
            continue;
        }
        if (c == ',') {
            separators.push_back(i + 1);
            fieldStart = true;
        } else if (c == '"' && fieldStart) {
            quoted = true;
            fieldStart = false;
        } else if (c != ' ') {
            fieldStart = false;
        }
    }
    std::vector<Column> columns;
    std::size_t start = 1;
    auto cut = [](std::string_view s) { return std::string(rt::cutUtf8(s, kColumnWidth)); };
    for (int n = 1; n <= kMaxColumns; ++n) {
        if (static_cast<std::size_t>(n) > separators.size()) {
            columns.push_back({n, cut(start <= line.size() ? line.substr(start - 1) : std::string_view())});
            break;
        }
        const std::size_t sep = separators[static_cast<std::size_t>(n) - 1];
        if (sep == 1) {
            start = 2;
            continue;
        }
        columns.push_back({n, cut(line.substr(start - 1, sep - start))});
        start = sep + 1;
    }
    return columns;
}

std::string deleteQuotes(std::string_view column)
{
    std::string out;
    out.reserve(column.size());
    bool blank = false;
    for (char c : column) {
        if (c == '"')
            continue;
        if (c == ' ') {
            blank = true;
            continue;
        }
        if (blank && !out.empty())
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

bool toWhole(std::string_view text, std::int32_t &value)
{
    value = 0;
    std::int64_t units = 0;
    if (!rt::parseDecimal(text, 0, units))
        return false;
    if (units > std::numeric_limits<std::int32_t>::max() || units < std::numeric_limits<std::int32_t>::min())
        return false;
    value = static_cast<std::int32_t>(units);
    return true;
}

bool toAmount(std::string_view text, int digits, std::int64_t &cents)
{
    cents = 0;
    std::int64_t units = 0;
    if (!rt::parseDecimal(text, 2, units))
        return false;
    const std::int64_t max = rt::pow10i(digits) - 1;
    if (units > max || units < -max)
        return false;
    cents = units;
    return true;
}

}  // namespace importing
