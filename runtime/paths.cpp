#include "runtime/paths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "runtime/errors.h"
#include "runtime/text.h"

namespace rt {

namespace fs = std::filesystem;

std::string homeFolder()
{
    const char *h = std::getenv("ZENVIK_HOME");
    if (h && *h)
        return withSlash(h);
    const char *home = std::getenv("HOME");
    return withSlash(joinPath(home && *home ? home : ".", "OrvaneProf"));
}

std::string joinPath(std::string_view a, std::string_view b)
{
    std::string l = clip(a);
    std::string r = clip(b);
    if (l.empty())
        return r;
    while (!r.empty() && r.front() == '/')
        r.erase(r.begin());
    if (l.back() != '/')
        l += '/';
    return l + r;
}

bool isBareName(std::string_view name)
{
    std::string n = clip(name);
    return !n.empty() && n != "." && n != ".." && n.find_first_of("/\\") == std::string::npos &&
           n.find('\0') == std::string::npos;
}

std::string withSlash(std::string_view path)
{
    std::string p = clip(path);
    if (!p.empty() && p.back() != '/')
        p += '/';
    return p;
}

int makeFolder(std::string_view path)
{
    std::string p = clip(path);
    if (p.empty())
        return err::PathNotFound;
    std::error_code ec;
    if (fs::is_directory(p, ec))
        return 0;
    fs::create_directories(p, ec);
    if (ec)
        return ec == std::errc::permission_denied ? err::AccessDenied : err::PathNotFound;
    return fs::is_directory(p, ec) ? 0 : err::PathNotFound;
}

bool fileExists(std::string_view path)
{
    std::error_code ec;
    return fs::is_regular_file(std::string(clip(path)), ec);
}

bool folderExists(std::string_view path)
{
    std::error_code ec;
    return fs::is_directory(std::string(clip(path)), ec);
}

std::string executableFolder()
{
    std::error_code ec;
    fs::path p = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return std::string();
    return withSlash(p.parent_path().string());
}

std::string baseName(std::string_view path)
{
    std::string p = clip(path);
    std::size_t slash = p.find_last_of('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string extensionOf(std::string_view path)
{
    std::string b = baseName(path);
    std::size_t dot = b.find_last_of('.');
    return dot == std::string::npos ? std::string() : b.substr(dot + 1);
}

}  // namespace rt
