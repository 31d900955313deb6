// The ASCII driver: a plain text file read one line per record, the line end stripped and
// tabs kept. A line ends at LF, CR LF or a CR alone (old spreadsheet exports). A file that
// starts with a UTF-16 byte-order mark is read as UTF-16 and its lines given as UTF-8. It is
// only ever read: opening never creates the file. A line longer than the record holds is kept
// only in part, so that a line of any length costs no more memory than the record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/errors.h"

namespace rt {

class AsciiFile {
public:
    // The record is one string field of `width` bytes at `record`.
    AsciiFile(char *record, std::size_t width) : record_(record), width_(width) {}
    // Releases the file only: the error state may be gone when a global file ends with the
    // program, so closing with its error code is the caller's, before the end.
    ~AsciiFile() { release(); }
    AsciiFile(const AsciiFile &) = delete;
    AsciiFile &operator=(const AsciiFile &) = delete;

    std::string name;

    int open(int openMode = 0x40);
    int close();
    bool isOpen() const { return fd_ >= 0; }
    int set();   // back to the first line
    int next();  // 33 at the end of the file
    // The line last read, before it was cut to the record's width. Of a line longer than the
    // record and a few bytes more, only that start is kept (ending on a whole UTF-8 character
    // where it is UTF-8), and lineTooLong() is true: the rest was passed over unread.
    const std::string &line() const { return line_; }
    bool lineTooLong() const { return tooLong_; }
    // The bytes of the file taken so far, line ends included.
    std::int64_t position() const { return taken_ + static_cast<std::int64_t>(pos_); }

private:
    void release();
    void readMark();
    bool fill();  // false at the end of the file (or when it cannot be read further)
    int unit();   // the next character (a byte, or a UTF-16 unit), EOF at the end
    void keep(const char *bytes, std::size_t n);
    void keepUnit(std::uint32_t cp);
    bool nextBytes();
    bool nextUnits();
    enum class Coding { Bytes, Utf16LE, Utf16BE };
    Coding coding_ = Coding::Bytes;
    int back_ = -1;  // a character read ahead past a CR
    char *record_;
    std::size_t width_;
    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t pos_ = 0, end_ = 0;  // the unread part of the buffer
    std::int64_t taken_ = 0;         // the bytes read before the buffer's
    std::string line_;
    bool tooLong_ = false;
};

}  // namespace rt
