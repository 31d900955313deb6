#include "runtime/ascii_file.h"

#include <cerrno>
#include <cstring>

#include "runtime/text.h"

namespace rt {

int AsciiFile::open(int)
{
    if (file_) {
        setError(err::AlreadyOpen);
        return err::AlreadyOpen;
    }
    std::string path = clip(name);
    file_ = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!file_) {
        int code = errno == EACCES ? err::AccessDenied : errno == ENOTDIR ? err::PathNotFound : err::FileNotFound;
        setError(code);
        return code;
    }
    clearError();
    return 0;
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
    while ((c = std::fgetc(file_)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        line_ += static_cast<char>(c);
    }
    if (!any) {
        setError(err::NoRecord);
        return err::NoRecord;
    }
    if (!line_.empty() && line_.back() == '\r')
        line_.pop_back();
    std::string_view cut = cutUtf8(line_, width_);
    std::memcpy(record_, cut.data(), cut.size());
    std::memset(record_ + cut.size(), ' ', width_ - cut.size());
    clearError();
    return 0;
}

}  // namespace rt
