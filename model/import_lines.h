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
    bool cut = false;  // the column was longer than 60 bytes
};

// A raw line of the file as text: a UTF-8 byte-order mark dropped (only the file's first line
// can hold one), a line that is not valid UTF-8 read as Windows-1252.
std::string lineText(std::string_view raw, bool firstLine);
bool validUtf8(std::string_view s);
std::string fromWindows1252(std::string_view s);

// Whether a file's bytes are text the import can read, judged before anything is added. A file
// that starts with a UTF-16 byte-order mark is text (the ASCII driver reads it as UTF-16); any
// other file holding a NUL byte is not: UTF-16 written without a byte-order mark (told apart by
// its NULs at every other byte) or no text at all. Fed the file in pieces, from its start.
class TextCheck {
public:
    enum Verdict { Text, Utf16WithoutMark, NotText };
    void feed(std::string_view bytes);
    Verdict verdict() const;
    // Whether more bytes could still change the verdict.
    bool settled() const { return nulSeen_ && seen_ >= kSample; }

private:
    static constexpr std::size_t kSample = 4096;  // the start judged for UTF-16's pattern
    std::size_t seen_ = 0;
    unsigned char mark_[2] = {0, 0};
    bool nulSeen_ = false;
    std::size_t nulAt_[2] = {0, 0};  // NULs at even and odd offsets within the sample
};
// The message that refuses a file; empty for text.
std::string textRefusal(TextCheck::Verdict verdict, std::string_view fileName);

// False for a line holding a NUL or another control character (a tab is a separator, not one):
// such a line is no line of a list, and is refused rather than stored.
bool controlFree(std::string_view utf8);

// One record of the file: in the comma format a quoted column may hold line breaks, so that a
// record spans lines; each break reads as one blank. A record that is not imported says why.
struct Record {
    enum Kind { Line, Blank, TooLong, Control, Unclosed };
    Kind kind = Line;
    std::int64_t first = 0, last = 0;  // its lines in the file
    std::string text;                 // for Line: the record's text, at most kMaxLineBytes
};

// Joins the lines of a file into records. A quote that opens a column and is not closed on its
// line continues onto the next lines; the quote that closes it there must end its column
// (blanks, then a comma or the line's end), and the record must stay within kMaxLineBytes and
// hold no control characters. Otherwise the opening line is refused as Unclosed and the lines
// after it are read again as records of their own, so that one stray quote costs one line.
class RecordReader {
public:
    explicit RecordReader(Format format) : format_(format) {}
    // The next line of the file, as text (see lineText), and its number. A line `tooLong` went
    // on past what the reader kept of it, and is refused whatever that start holds.
    void push(std::int64_t number, std::string line, bool tooLong = false);
    // The file has ended: what is still open is refused.
    void finish();
    // The next record that is complete; false when it needs more lines.
    bool pop(Record &record);
    bool empty() const { return pending_.empty() && ready_.empty(); }

private:
    struct Pending {
        std::int64_t number;
        std::string text;
        bool tooLong;
    };
    void settle();
    Format format_;
    bool finished_ = false;
    std::vector<Pending> pending_;  // the lines of an open record
    std::size_t head_ = 0;          // pending_ before it are taken
    std::vector<Record> ready_;
    std::size_t readyHead_ = 0;
};

// Splits a line (trailing blanks ignored) into at most 30 columns of at most 60 bytes. In the
// comma format a double quote opens a quoted text only where a column begins (blanks before it
// allowed), so that an inch mark inside a text splits nothing; inside, a comma is text and a
// doubled quote stays quoted. The quote signs stay in the columns. A line that starts with a
// separator has no column 1; text after the 30th separator is dropped.
std::vector<Column> splitLine(std::string_view line, Format format);
// The same into `columns`, whose texts' room is used again: for the import, line after line.
void splitLine(std::string_view line, Format format, std::vector<Column> &columns);

// The "Delete Quotes" rule: every double quote dropped, each run of blanks made one blank, and
// both ends trimmed.
std::string deleteQuotes(std::string_view column);
void deleteQuotes(std::string_view column, std::string &out);

// Column text as numbers. Blank text is 0. False for text that is not a number ("$1,234.50" is
// one, "39,95" is not) or one too large for the field; the value is then 0. A whole number has
// no fraction: "2.5" is refused, "2.00" reads as 2.
bool toWhole(std::string_view text, std::int32_t &value);
// An amount in cents for a field of `digits` digits, two of them after the point.
bool toAmount(std::string_view text, int digits, std::int64_t &cents);

}  // namespace importing
