// Fuzz target: the import's reading of a text file: the text check, lines into records (quoted
// texts over several lines), columns, the "Delete Quotes" rule and the numbers. Whatever the
// bytes, nothing may fail, and every line of the file must end up in exactly one record, in
// order: none lost, none read twice.
//
// The ASCII driver reads the same bytes as a file: the same lines, of which one longer than the
// record and a few bytes is kept only in its start and said to be too long, and every byte taken.
//
// Input: one byte of options (bit 0: the comma format; bit 1: the file ends while a record is
// still open, as when the import is cancelled), then the file's bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "model/import_lines.h"
#include "runtime/ascii_file.h"
#include "runtime/ini.h"

using namespace importing;

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void columns(const std::string &text, Format format)
{
    const std::vector<Column> cols = splitLine(text, format);
    check(!cols.empty() && cols.size() <= static_cast<std::size_t>(kMaxColumns));
    int previous = 0;
    for (const Column &c : cols) {
        check(c.number > previous && c.number <= kMaxColumns);
        previous = c.number;
        check(c.text.size() <= kColumnWidth);
        check(validUtf8(c.text));
        const std::string cleaned = deleteQuotes(c.text);
        check(cleaned.find('"') == std::string::npos && cleaned.find("  ") == std::string::npos);
        check(cleaned.empty() || (cleaned.front() != ' ' && cleaned.back() != ' '));
        check(deleteQuotes(cleaned) == cleaned);
        std::int32_t whole = 0;
        if (!toWhole(cleaned, whole))
            check(whole == 0);
        std::int64_t cents = 0;
        if (toAmount(cleaned, 7, cents))
            check(cents <= 9999999 && cents >= -9999999);
        else
            check(cents == 0);
    }
}

// A record of 16 bytes, so that lines pass what the driver keeps of them (20 bytes) often.
void driverLines(std::string_view bytes, const std::vector<std::string> &lines)
{
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF')))
        return;  // UTF-16: its lines are not these bytes
    const int fd = ::memfd_create("import_fuzz", 0);
    if (fd < 0)
        return;
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        ::close(fd);
        return;
    }
    char record[16];
    rt::AsciiFile file(record, sizeof record);
    file.name = "/proc/self/fd/" + std::to_string(fd);
    check(file.open() == 0);
    for (const std::string &raw : lines) {
        check(file.next() == 0);
        if (raw.size() <= 20) {
            check(!file.lineTooLong() && file.line() == raw);
        } else {
            check(file.lineTooLong() && file.line().size() <= 20 && file.line().size() >= 17 &&
                  raw.compare(0, file.line().size(), file.line()) == 0);
        }
    }
    check(file.next() != 0 && file.position() == static_cast<std::int64_t>(bytes.size()));
    file.close();
    ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const Format format = data[0] & 1 ? Format::Comma : Format::Tab;
    const bool cut = data[0] & 2;
    const std::string_view bytes(reinterpret_cast<const char *>(data + 1), size - 1);

    // The verdict does not depend on how the file is read in pieces.
    TextCheck whole, pieces;
    whole.feed(bytes);
    for (std::size_t at = 0; at < bytes.size(); at += 7)
        pieces.feed(bytes.substr(at, 7));
    check(whole.verdict() == pieces.verdict());
    check((whole.verdict() == TextCheck::Text) == textRefusal(whole.verdict(), "f").empty());

    RecordReader reader(format);
    std::int64_t expected = 1;  // the next line a record must start at
    auto take = [&] {
        Record r;
        while (reader.pop(r)) {
            check(r.first == expected && r.last >= r.first);
            expected = r.last + 1;
            if (r.kind == Record::Line) {
                check(r.text.size() <= kMaxLineBytes && controlFree(r.text) && validUtf8(r.text));
                columns(r.text, format);
            } else {
                check(r.text.empty() && r.last == r.first);
            }
        }
    };
    // The lines of the file as the ASCII driver ends them: at LF, CR LF or a lone CR, as an INI
    // file's lines end.
    const std::vector<std::string> lines = rt::iniLines(bytes);
    std::int64_t number = 0;
    for (std::string_view raw : lines) {
        ++number;
        reader.push(number, lineText(raw, number == 1));
        take();
    }
    if (!cut) {
        reader.finish();
        take();
        check(reader.empty() && expected == number + 1);
    }
    driverLines(bytes, lines);
    return 0;
}
