#include "model/import_lines.h"

#include <cstring>
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
        rt::appendUtf8(out, c >= 0x80 && c < 0xA0 ? high[c - 0x80] : c);
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

void TextCheck::feed(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size() && seen_ + i < 2; ++i)
        mark_[seen_ + i] = static_cast<unsigned char>(bytes[i]);
    std::size_t i = 0;
    for (; i < bytes.size() && seen_ + i < kSample; ++i) {
        if (bytes[i] == '\0') {
            nulSeen_ = true;
            ++nulAt_[(seen_ + i) & 1];
        }
    }
    if (!nulSeen_ && i < bytes.size() && std::memchr(bytes.data() + i, 0, bytes.size() - i))
        nulSeen_ = true;
    seen_ += bytes.size();
}

TextCheck::Verdict TextCheck::verdict() const
{
    if (seen_ >= 2 && ((mark_[0] == 0xFF && mark_[1] == 0xFE) || (mark_[0] == 0xFE && mark_[1] == 0xFF)))
        return Text;
    if (!nulSeen_)
        return Text;
    // UTF-16 of Latin text: one byte of nearly every pair is NUL, the other nearly never.
    const std::size_t sample = seen_ < kSample ? seen_ : kSample;
    const std::size_t at[2] = {(sample + 1) / 2, sample / 2};
    for (int p = 0; p < 2; ++p)
        if (at[p] > 0 && nulAt_[p] * 4 >= at[p] * 3 && nulAt_[1 - p] * 4 <= at[1 - p])
            return Utf16WithoutMark;
    return NotText;
}

std::string textRefusal(TextCheck::Verdict verdict, std::string_view fileName)
{
    const std::string name(fileName);
    switch (verdict) {
    case TextCheck::Utf16WithoutMark:
        return "Cannot import " + name +
               "|It is Unicode (UTF-16) text without a byte-order mark.|Save it as CSV or tab-delimited text, "
               "or as Unicode text with a byte-order mark.";
    case TextCheck::NotText:
        return "Cannot import " + name + "|It is not a text file: it holds NUL bytes.";
    case TextCheck::Text:
        break;
    }
    return {};
}

bool controlFree(std::string_view s)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F)
            return false;
        // U+0080 to U+009F, the second set of control characters.
        if (c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) <= 0x9F &&
            static_cast<unsigned char>(s[i + 1]) >= 0x80)
            return false;
    }
    return true;
}

namespace {

// The comma format's quote rule, as splitLine applies it, carried from line to line.
struct QuoteScan {
    bool quoted = false;
    bool fieldStart = true;
    std::size_t separators = 0;
};

// Scans one line (without its trailing blanks) on from `s`. False when a quote carried open
// from an earlier line closes here without ending its column: the earlier quote was no
// opening one.
bool scanQuotes(std::string_view line, QuoteScan &s)
{
    bool carried = s.quoted;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (s.separators >= static_cast<std::size_t>(kMaxColumns)) {
            s.quoted = false;  // the rest of the record is not imported
            return true;
        }
        const char c = line[i];
        if (s.quoted) {
            if (c != '"')
                continue;
            if (i + 1 < line.size() && line[i + 1] == '"') {
                ++i;
                continue;
            }
            s.quoted = false;
            if (carried) {
                carried = false;
                std::size_t j = i + 1;
                while (j < line.size() && line[j] == ' ')
                    ++j;
                if (j < line.size() && line[j] != ',')
                    return false;
            }
            continue;
        }
        if (c == ',') {
            ++s.separators;
            s.fieldStart = true;
        } else if (c == '"' && s.fieldStart) {
            s.quoted = true;
            s.fieldStart = false;
        } else if (c != ' ') {
            s.fieldStart = false;
        }
    }
    return true;
}

}  // namespace

void RecordReader::push(std::int64_t number, std::string line, bool tooLong)
{
    tooLong = tooLong || line.size() > kMaxLineBytes;
    pending_.push_back({number, std::move(line), tooLong});
    settle();
}

void RecordReader::finish()
{
    finished_ = true;
    settle();
}

bool RecordReader::pop(Record &record)
{
    if (readyHead_ >= ready_.size())
        return false;
    record = std::move(ready_[readyHead_++]);
    if (readyHead_ == ready_.size()) {
        ready_.clear();
        readyHead_ = 0;
    }
    return true;
}

void RecordReader::settle()
{
    auto emit = [this](Record::Kind kind, std::int64_t first, std::int64_t last, std::string text) {
        ready_.push_back({kind, first, last, std::move(text)});
    };
    while (head_ < pending_.size()) {
        Pending &p = pending_[head_];
        if (p.tooLong) {
            emit(Record::TooLong, p.number, p.number, {});
        } else if (!controlFree(p.text)) {
            emit(Record::Control, p.number, p.number, {});
        } else if (rt::clipView(p.text).empty()) {
            emit(Record::Blank, p.number, p.number, {});
        } else {
            QuoteScan scan;
            if (format_ == Format::Comma)
                scanQuotes(rt::clipView(p.text), scan);
            if (!scan.quoted) {
                emit(Record::Line, p.number, p.number, std::move(p.text));
            } else {
                // A quoted column open at the line's end: the record goes on over the next lines.
                std::string joined(rt::clipView(p.text));
                bool decided = false;
                for (std::size_t k = head_ + 1; k < pending_.size() && !decided; ++k) {
                    const std::string &next = pending_[k].text;
                    const std::string_view t = rt::clipView(next);
                    if (pending_[k].tooLong || !controlFree(next) ||
                        joined.size() + 1 + t.size() > kMaxLineBytes || !scanQuotes(t, scan)) {
                        emit(Record::Unclosed, p.number, p.number, {});
                        decided = true;
                        break;
                    }
                    joined += ' ';
                    joined += t;
                    if (!scan.quoted) {
                        emit(Record::Line, p.number, pending_[k].number, std::move(joined));
                        head_ = k;  // and the ++head_ below
                        decided = true;
                    }
                }
                if (!decided) {
                    if (!finished_)
                        break;  // more lines may close it
                    emit(Record::Unclosed, p.number, p.number, {});
                }
            }
        }
        ++head_;
    }
    if (head_ == pending_.size()) {
        pending_.clear();
        head_ = 0;
    } else if (head_ >= 64) {
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
}

std::vector<Column> splitLine(std::string_view line, Format format)
{
    std::vector<Column> columns;
    splitLine(line, format, columns);
    return columns;
}

void splitLine(std::string_view line, Format format, std::vector<Column> &columns)
{
    line = rt::clipView(line);
    std::size_t separators[kMaxColumns];  // 1-based positions
    std::size_t count = 0;
    bool quoted = false;
    bool fieldStart = true;  // only blanks since the column began
    for (std::size_t i = 0; i < line.size() && count < kMaxColumns; ++i) {
        const char c = line[i];
        if (format == Format::Tab) {
            if (c == '\t')
                separators[count++] = i + 1;
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
            separators[count++] = i + 1;
            fieldStart = true;
        } else if (c == '"' && fieldStart) {
            quoted = true;
            fieldStart = false;
        } else if (c != ' ') {
            fieldStart = false;
        }
    }
    std::size_t used = 0;
    auto column = [&](int n, std::string_view s) {
        if (used == columns.size())
            columns.emplace_back();
        Column &c = columns[used++];
        c.number = n;
        c.text.assign(rt::cutUtf8(s, kColumnWidth));
        c.cut = s.size() > kColumnWidth;
    };
    std::size_t start = 1;
    for (int n = 1; n <= kMaxColumns; ++n) {
        if (static_cast<std::size_t>(n) > count) {
            column(n, start <= line.size() ? line.substr(start - 1) : std::string_view());
            break;
        }
        const std::size_t sep = separators[static_cast<std::size_t>(n) - 1];
        if (sep == 1) {
            start = 2;
            continue;
        }
        column(n, line.substr(start - 1, sep - start));
        start = sep + 1;
    }
    columns.resize(used);
}

std::string deleteQuotes(std::string_view column)
{
    std::string out;
    deleteQuotes(column, out);
    return out;
}

void deleteQuotes(std::string_view column, std::string &out)
{
    // Most columns hold no quote and no blank to drop: they are taken as they are.
    bool plain = !column.empty() && column.front() != ' ' && column.back() != ' ' &&
                 column.find('"') == std::string_view::npos && column.find("  ") == std::string_view::npos;
    if (plain || column.empty()) {
        out.assign(column);
        return;
    }
    out.clear();
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
}

bool toWhole(std::string_view text, std::int32_t &value)
{
    value = 0;
    std::int64_t units = 0;
    if (!rt::parseDecimal(text, 0, units))
        return false;
    // A fraction would be rounded away: "2.5" is not a count of things.
    const std::size_t point = text.find('.');
    if (point != std::string_view::npos)
        for (std::size_t i = point + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            if (text[i] != '0')
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
