#include "runtime/ascii_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/paths.h"
#include "runtime/text.h"

namespace rt {

namespace {
// What is kept of a line beyond the record's width: room for a UTF-8 byte-order mark before it
// and a character cut across the width, so that whoever judges a line by its length judges it
// as if the whole were there.
constexpr std::size_t kKeptBeyondWidth = 4;
constexpr std::size_t kBufferBytes = 1 << 16;
}  // namespace

int AsciiFile::open(int)
{
    if (fd_ >= 0) {
        setError(err::AlreadyOpen);
        return err::AlreadyOpen;
    }
    std::string path = clip(name);
    // A folder, a FIFO or a device is no text file: reading one would fail or wait for ever.
    struct stat st {};
    const int fd = path.empty() ? -1 : openRegularFile(path, st);
    if (fd == kNotRegularFile) {
        setError(err::AccessDenied);
        return err::AccessDenied;
    }
    if (fd < 0) {
        int code = errno == EACCES ? err::AccessDenied : errno == ENOTDIR ? err::PathNotFound : err::FileNotFound;
        setError(code);
        return code;
    }
    fd_ = fd;
    buffer_.resize(kBufferBytes);
    line_.reserve(width_ + kKeptBeyondWidth);
    readMark();
    clearError();
    return 0;
}

bool AsciiFile::fill()
{
    taken_ += static_cast<std::int64_t>(end_);
    pos_ = end_ = 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        end_ = static_cast<std::size_t>(n);
        return true;
    }
}

void AsciiFile::readMark()
{
    back_ = -1;
    coding_ = Coding::Bytes;
    taken_ = 0;
    pos_ = end_ = 0;
    if (!fill())
        return;
    if (end_ < 2)  // a regular file gives what it has: one byte is all of it
        return;
    const auto a = static_cast<unsigned char>(buffer_[0]), b = static_cast<unsigned char>(buffer_[1]);
    if (a == 0xFF && b == 0xFE)
        coding_ = Coding::Utf16LE;
    else if (a == 0xFE && b == 0xFF)
        coding_ = Coding::Utf16BE;
    if (coding_ != Coding::Bytes)
        pos_ = 2;
}

int AsciiFile::unit()
{
    if (back_ >= 0) {
        int c = back_;
        back_ = -1;
        return c;
    }
    if (pos_ == end_ && !fill())
        return EOF;
    const int a = static_cast<unsigned char>(buffer_[pos_++]);
    if (coding_ == Coding::Bytes)
        return a;
    if (pos_ == end_ && !fill())
        return 0xFFFD;  // half a unit at the end
    const int b = static_cast<unsigned char>(buffer_[pos_++]);
    return coding_ == Coding::Utf16LE ? a | (b << 8) : (a << 8) | b;
}

int AsciiFile::close()
{
    if (fd_ < 0) {
        setError(err::NotOpen);
        return err::NotOpen;
    }
    release();
    clearError();
    return 0;
}

void AsciiFile::release()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    buffer_ = {};
    pos_ = end_ = 0;
}

int AsciiFile::set()
{
    if (fd_ < 0) {
        setError(err::NotOpen);
        return err::NotOpen;
    }
    ::lseek(fd_, 0, SEEK_SET);
    readMark();
    clearError();
    return 0;
}

void AsciiFile::keep(const char *bytes, std::size_t n)
{
    const std::size_t room = width_ + kKeptBeyondWidth - line_.size();
    if (n > room) {
        n = room;
        tooLong_ = true;
    }
    line_.append(bytes, n);
}

void AsciiFile::keepUnit(std::uint32_t cp)
{
    if (tooLong_)
        return;
    const std::size_t before = line_.size();
    appendUtf8(line_, cp);
    if (line_.size() > width_ + kKeptBeyondWidth) {
        line_.resize(before);
        tooLong_ = true;
    }
}

// A line of bytes: the buffer is searched for its end, and only what is kept is copied.
bool AsciiFile::nextBytes()
{
    bool any = false;
    for (;;) {
        if (pos_ == end_ && !fill())
            return any;
        any = true;
        const char *from = buffer_.data() + pos_;
        const std::size_t n = end_ - pos_;
        const void *lf = std::memchr(from, '\n', n);
        const std::size_t upToLf = lf ? static_cast<std::size_t>(static_cast<const char *>(lf) - from) : n;
        const void *cr = std::memchr(from, '\r', upToLf);
        const std::size_t len = cr ? static_cast<std::size_t>(static_cast<const char *>(cr) - from) : upToLf;
        if (!tooLong_)
            keep(from, len);
        pos_ += len;
        if (len == n)
            continue;  // the line goes on past what this read brought
        const char end = buffer_[pos_++];
        if (end == '\r' && (pos_ < end_ || fill()) && buffer_[pos_] == '\n')
            ++pos_;
        return true;
    }
}

bool AsciiFile::nextUnits()
{
    int c;
    bool any = false;
    while ((c = unit()) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (c == '\r') {
            const int after = unit();
            if (after != '\n' && after != EOF)
                back_ = after;
            break;
        }
        if (c >= 0xD800 && c <= 0xDBFF) {
            const int low = unit();
            if (low >= 0xDC00 && low <= 0xDFFF) {
                keepUnit(0x10000 + ((static_cast<std::uint32_t>(c) - 0xD800) << 10) + (static_cast<std::uint32_t>(low) - 0xDC00));
            } else {
                keepUnit(0xFFFD);
                if (low != EOF)
                    back_ = low;
            }
        } else {
            keepUnit(c >= 0xDC00 && c <= 0xDFFF ? 0xFFFD : static_cast<std::uint32_t>(c));
        }
    }
    return any;
}

int AsciiFile::next()
{
    if (fd_ < 0) {
        setError(err::NotOpen);
        return err::NotOpen;
    }
    line_.clear();
    tooLong_ = false;
    if (!(coding_ == Coding::Bytes ? nextBytes() : nextUnits())) {
        setError(err::NoRecord);
        return err::NoRecord;
    }
    if (tooLong_ && coding_ == Coding::Bytes) {
        // Where the kept start ends inside a UTF-8 character, that part of it goes, so that the
        // start still reads as the UTF-8 the whole line may be.
        std::size_t i = line_.size(), back = 0;
        while (i > 0 && back < 3 && (static_cast<unsigned char>(line_[i - 1]) & 0xC0) == 0x80) {
            --i;
            ++back;
        }
        if (i > 0) {
            const auto lead = static_cast<unsigned char>(line_[i - 1]);
            const std::size_t need = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
            if (lead >= 0xC0 && need > back)
                line_.resize(i - 1);
        }
    }
    std::string_view cut = cutUtf8(line_, width_);
    std::memcpy(record_, cut.data(), cut.size());
    std::memset(record_ + cut.size(), ' ', width_ - cut.size());
    clearError();
    return 0;
}

}  // namespace rt
