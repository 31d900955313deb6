#include "runtime/ini.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

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

std::vector<std::string> IniFile::load() const
{
    std::vector<std::string> lines;
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool IniFile::save(const std::vector<std::string> &lines) const
{
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
    std::string current, k, v;
    bool inSection = false;
    for (const std::string &line : load()) {
        if (sectionName(line, current)) {
            inSection = equalNoCase(current, section);
            continue;
        }
        if (inSection && keyValue(line, k, v) && equalNoCase(k, key))
            return v;
    }
    return std::string(def);
}

int IniFile::readInt(std::string_view section, std::string_view key, int def) const
{
    std::string v = read(section, key, "");
    if (v.empty())
        return def;
    return std::atoi(v.c_str());
}

bool IniFile::has(std::string_view section, std::string_view key) const
{
    std::string current, k, v;
    bool inSection = false;
    for (const std::string &line : load()) {
        if (sectionName(line, current))
            inSection = equalNoCase(current, section);
        else if (inSection && keyValue(line, k, v) && equalNoCase(k, key))
            return true;
    }
    return false;
}

bool IniFile::write(std::string_view section, std::string_view key, std::string_view value)
{
    std::vector<std::string> lines = load();
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
                return save(lines);
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
    return save(lines);
}

bool IniFile::remove(std::string_view section, std::string_view key)
{
    std::vector<std::string> lines = load();
    std::string current, k, v;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (sectionName(lines[i], current)) {
            inSection = equalNoCase(current, section);
        } else if (inSection && keyValue(lines[i], k, v) && equalNoCase(k, key)) {
            lines.erase(lines.begin() + static_cast<long>(i));
            return save(lines);
        }
    }
    return true;
}

}  // namespace rt
