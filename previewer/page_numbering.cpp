#include "previewer/page_numbering.h"

#include <cstdio>
#include <cstring>

#include "previewer/page_file.h"
#include "runtime/message.h"

namespace previewer {

namespace {

constexpr std::size_t kWindow = 4096;

struct File {
    std::FILE *f;
    ~File()
    {
        if (f)
            std::fclose(f);
    }
};

}  // namespace

std::string pageTotalText(std::size_t total)
{
    if (total > 9999)
        return "####";
    std::string digits = std::to_string(total);
    return std::string(4 - digits.size(), ' ') + digits;
}

TokenResult replaceFirstToken(const std::string &path, std::string_view token, std::string_view replacement)
{
    if (token.empty() || token.size() > kWindow || replacement.size() != token.size())
        return TokenResult::NotFound;
    File file{std::fopen(path.c_str(), "r+b")};
    if (!file.f)
        return TokenResult::OpenError;
    char buffer[kWindow];
    long start = 1;
    for (;;) {
        if (std::fseek(file.f, start, SEEK_SET) != 0)
            return TokenResult::NotFound;
        std::size_t got = std::fread(buffer, 1, kWindow, file.f);
        std::string_view window(buffer, got);
        std::size_t at = window.find(token);
        if (at != std::string_view::npos) {
            // Only the token's own bytes are written back: nothing else of the window changes.
            if (std::fseek(file.f, start + static_cast<long>(at), SEEK_SET) != 0 ||
                std::fwrite(replacement.data(), 1, replacement.size(), file.f) != replacement.size())
                return TokenResult::NotFound;
            return TokenResult::Replaced;
        }
        if (got < kWindow)
            return TokenResult::NotFound;
        start += static_cast<long>(got - (token.size() - 1));
    }
}

void assignPageOfPages(const std::vector<std::string> &queue)
{
    std::string total = pageTotalText(queue.size());
    for (const std::string &path : queue)
        if (replaceFirstToken(path, kPageTotalToken, total) == TokenResult::OpenError)
            rt::message("open error");
}

}  // namespace previewer
