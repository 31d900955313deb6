#include "runtime/ini.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

#include "runtime/paths.h"
#include "runtime/text.h"

namespace rt {

namespace {

bool sectionName(const std::string &line, std::string &name)
{
    std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[')
        return false;
    std::size_t close = t.find(']');
    if (close == std::string::npos)
        return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

bool keyValue(const std::string &line, std::string &key, std::string &value)
{
    std::string t = trim(line);
    if (t.empty() || t[0] == ';')
        return false;
    std::size_t eq = t.find('=');
    if (eq == std::string::npos)
        return false;
    key = trim(t.substr(0, eq));
    value = trim(t.substr(eq + 1));
    return true;
}

}  // namespace

std::vector<std::string> iniLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

bool iniFind(const std::vector<std::string> &lines, std::string_view section, std::string_view key, std::string &value)
{
    std::string current, k, v;
    bool inSection = false;
    for (const std::string &line : lines) {
        if (sectionName(line, current))
            inSection = equalNoCase(current, section);
        else if (inSection && keyValue(line, k, v) && equalNoCase(k, key)) {
            value = v;
            return true;
        }
    }
    return false;
}

void iniSet(std::vector<std::string> &lines, std::string_view section, std::string_view key, std::string_view value)
{
    std::string current, k, v;
    int sectionLine = -1;
    int lastInSection = -1;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (sectionName(lines[i], current)) {
            inSection = equalNoCase(current, section);
            if (inSection && sectionLine < 0) {
                sectionLine = static_cast<int>(i);
                lastInSection = static_cast<int>(i);
            }
            continue;
        }
        if (inSection) {
            if (keyValue(lines[i], k, v) && equalNoCase(k, key)) {
                lines[i] = k + "=" + std::string(value);
                return;
            }
            if (!trim(lines[i]).empty())
                lastInSection = static_cast<int>(i);
        }
    }
    std::string entry = std::string(key) + "=" + std::string(value);
    if (sectionLine < 0) {
        if (!lines.empty() && !trim(lines.back()).empty())
            lines.push_back("");
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(entry);
    } else {
        lines.insert(lines.begin() + lastInSection + 1, entry);
    }
}

bool iniRemove(std::vector<std::string> &lines, std::string_view section, std::string_view key)
{
    std::string current, k, v;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (sectionName(lines[i], current)) {
            inSection = equalNoCase(current, section);
        } else if (inSection && keyValue(lines[i], k, v) && equalNoCase(k, key)) {
            lines.erase(lines.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

std::map<std::string, std::string> iniSection(std::string_view text, std::string_view section)
{
    // Line by line over the text itself, without a copy of any line: a file of megabytes of
    // other sections and comments costs one pass.
    // As trim() cuts: leading blanks, trailing blanks and NULs.
    auto trimmed = [](std::string_view v) {
        std::size_t n = v.size();
        while (n > 0 && (v[n - 1] == ' ' || v[n - 1] == '\0'))
            --n;
        std::size_t a = 0;
        while (a < n && v[a] == ' ')
            ++a;
        return v.substr(a, n - a);
    };
    std::map<std::string, std::string> keys;
    bool inSection = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[' && line.size() >= 2) {
            const std::size_t close = line.find(']');
            if (close != std::string_view::npos) {
                inSection = equalNoCase(trimmed(line.substr(1, close - 1)), section);
                continue;
            }
        }
        const std::size_t eq = line.find('=');
        if (inSection && eq != std::string_view::npos)
            keys.emplace(upper(trimmed(line.substr(0, eq))), std::string(trimmed(line.substr(eq + 1))));
    }
    return keys;
}

std::vector<std::string> IniFile::load() const { return iniLines(text()); }

std::string IniFile::text() const
{
    struct stat st {};
    const int fd = openRegularFile(path_, st);
    if (fd < 0)
        return {};
    std::string text;
    text.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            text.append(buf, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(fd);
    return text;
}

bool IniFile::save(const std::vector<std::string> &lines) const
{
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return false;
    std::string tmp = path_ + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        for (const std::string &l : lines)
            out << l << "\r\n";
        out.flush();
        if (!out)
            return false;
    }
    return std::rename(tmp.c_str(), path_.c_str()) == 0;
}

std::string IniFile::read(std::string_view section, std::string_view key, std::string_view def) const
{
    std::string v;
    return iniFind(load(), section, key, v) ? v : std::string(def);
}

int IniFile::readInt(std::string_view section, std::string_view key, int def) const
{
    std::string v = read(section, key, "");
    if (v.empty())
        return def;
    // As atoi reads it, held to the range of an int rather than overflowing.
    long long n = std::strtoll(v.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long long>(n, INT_MIN, INT_MAX));
}

bool IniFile::has(std::string_view section, std::string_view key) const
{
    std::string v;
    return iniFind(load(), section, key, v);
}

bool IniFile::write(std::string_view section, std::string_view key, std::string_view value)
{
    std::vector<std::string> lines = load();
    iniSet(lines, section, key, value);
    return save(lines);
}

bool IniFile::remove(std::string_view section, std::string_view key)
{
    std::vector<std::string> lines = load();
    if (!iniRemove(lines, section, key))
        return true;
    return save(lines);
}

}  // namespace rt
