// The import of delimited item lists, the part without files or windows: how a line of the text
// file is read, split into columns and cleaned, and how a column's text becomes a number. The
// wizard shows lines through the same functions that the import stores them with.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace importing {

// The two format names the wizard offers; any name but the comma one means tabs.
inline constexpr const char *kCommaFormat = "ASCII CSV Comma Delimited";
inline constexpr const char *kTabFormat = "ASCII TXT Tab Delimited";
enum class Format { Comma, Tab };
Format formatOf(std::string_view name);

inline constexpr int kMaxColumns = 30;
inline constexpr std::size_t kColumnWidth = 60;
// The longest line the import file's record holds; a longer line is refused whole.
inline constexpr std::size_t kMaxLineBytes = 1000;

struct Column {
    int number;  // 1 to 30
    std::string text;
};

// A raw line of the file as text: a UTF-8 byte-order mark dropped (only the file's first line
// can hold one), a line that is not valid UTF-8 read as Windows-1252.
std::string lineText(std::string_view raw, bool firstLine);
bool validUtf8(std::string_view s);
std::string fromWindows1252(std::string_view s);

// Splits a line (trailing blanks ignored) into at most 30 columns of at most 60 bytes. In the
// comma format a double quote opens a quoted text only where a column begins (blanks before it
// allowed), so that an inch mark inside a text splits nothing; inside, a comma is text and a
// doubled quote stays quoted. The quote signs stay in the columns. A line that starts with a
// separator has no column 1; text after the 30th separator is dropped.
std::vector<Column> splitLine(std::string_view line, Format format);

// The "Delete Quotes" rule: every double quote dropped, each run of blanks made one blank, and
// both ends trimmed.
std::string deleteQuotes(std::string_view column);

// Column text as numbers. Blank text is 0. False for text that is not a number ("$1,234.50" is
// one) or one too large for the field; the value is then 0.
bool toWhole(std::string_view text, std::int32_t &value);
// An amount in cents for a field of `digits` digits, two of them after the point.
bool toAmount(std::string_view text, int digits, std::int64_t &cents);

}  // namespace importing
