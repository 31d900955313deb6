// The ASCII driver: a plain text file read one line per record, the line end stripped and
// tabs kept. A line ends at LF, CR LF or a CR alone (old spreadsheet exports). A file that
// starts with a UTF-16 byte-order mark is read as UTF-16 and its lines given as UTF-8. It is
// only ever read: opening never creates the file.
#pragma once

#include <cstdio>
#include <string>

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
    bool isOpen() const { return file_ != nullptr; }
    int set();   // back to the first line
    int next();  // 33 at the end of the file
    // The whole line last read, before it was cut to the record's width.
    const std::string &line() const { return line_; }

private:
    void release();
    void readMark();
    int unit();  // the next character (a byte, or a UTF-16 unit), EOF at the end
    enum class Coding { Bytes, Utf16LE, Utf16BE };
    Coding coding_ = Coding::Bytes;
    int back_ = -1;  // a character read ahead past a CR
    char *record_;
    std::size_t width_;
    std::FILE *file_ = nullptr;
    std::string line_;
};

}  // namespace rt
