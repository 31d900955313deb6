#include "runtime/ascii_file.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/paths.h"
#include "runtime/text.h"

namespace rt {

int AsciiFile::open(int)
{
    if (file_) {
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
    file_ = fd < 0 ? nullptr : ::fdopen(fd, "rb");
    if (fd >= 0 && !file_)
        ::close(fd);
    if (!file_) {
        int code = errno == EACCES ? err::AccessDenied : errno == ENOTDIR ? err::PathNotFound : err::FileNotFound;
        setError(code);
        return code;
    }
    readMark();
    clearError();
    return 0;
}

void AsciiFile::readMark()
{
    back_ = -1;
    coding_ = Coding::Bytes;
    const int a = std::fgetc(file_);
    const int b = a == EOF ? EOF : std::fgetc(file_);
    if (a == 0xFF && b == 0xFE)
        coding_ = Coding::Utf16LE;
    else if (a == 0xFE && b == 0xFF)
        coding_ = Coding::Utf16BE;
    else
        std::rewind(file_);
}

int AsciiFile::unit()
{
    if (back_ >= 0) {
        int c = back_;
        back_ = -1;
        return c;
    }
    const int a = std::fgetc(file_);
    if (coding_ == Coding::Bytes || a == EOF)
        return a;
    const int b = std::fgetc(file_);
    if (b == EOF)
        return 0xFFFD;  // half a unit at the end
    return coding_ == Coding::Utf16LE ? a | (b << 8) : (a << 8) | b;
}

int AsciiFile::close()
{
    if (!file_) {
        setError(err::NotOpen);
        return err::NotOpen;
    }
    release();
    clearError();
    return 0;
}

void AsciiFile::release()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

int AsciiFile::set()
{
    if (!file_) {
        setError(err::NotOpen);
        return err::NotOpen;
    }
    std::rewind(file_);
    readMark();
    clearError();
    return 0;
}

int AsciiFile::next()
{
    if (!file_) {
        setError(err::NotOpen);
        return err::NotOpen;
    }
    line_.clear();
    int c;
    bool any = false;
    auto put = [this](std::uint32_t cp) { appendUtf8(line_, cp); };
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
        if (coding_ == Coding::Bytes) {
            line_ += static_cast<char>(c);
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            const int low = unit();
            if (low >= 0xDC00 && low <= 0xDFFF) {
                put(0x10000 + ((static_cast<std::uint32_t>(c) - 0xD800) << 10) + (static_cast<std::uint32_t>(low) - 0xDC00));
            } else {
                put(0xFFFD);
                if (low != EOF)
                    back_ = low;
            }
        } else {
            put(c >= 0xDC00 && c <= 0xDFFF ? 0xFFFD : static_cast<std::uint32_t>(c));
        }
    }
    if (!any) {
        setError(err::NoRecord);
        return err::NoRecord;
    }
    std::string_view cut = cutUtf8(line_, width_);
    std::memcpy(record_, cut.data(), cut.size());
    std::memset(record_ + cut.size(), ' ', width_ - cut.size());
    clearError();
    return 0;
}

}  // namespace rt
