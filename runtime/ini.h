// INI files with the Windows profile rules: sections and keys are found case-blind, values are
// kept as written (surrounding blanks dropped), no lists or escapes. Every read sees the file as
// it is on disk; every write rewrites it whole through a temporary file.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace rt {

// The rules on the text of a file, without the file: the IniFile calls below are these over the
// file as it is on disk.
// The lines of the text; a line ends at CR, LF or CR LF, and a last line needs no end.
std::vector<std::string> iniLines(std::string_view text);
// The value of the key in the first section of that name that holds it; false when none does.
bool iniFind(const std::vector<std::string> &lines, std::string_view section, std::string_view key,
             std::string &value);
// Sets the key's value: in place where it is, else at the end of the section's last entry, else
// in a new section at the end.
void iniSet(std::vector<std::string> &lines, std::string_view section, std::string_view key, std::string_view value);
// Removes the first entry of the key; false when there was none.
bool iniRemove(std::vector<std::string> &lines, std::string_view section, std::string_view key);
// Every key of a section of the file's text at once, by its upper-cased name, each with the value
// iniFind gives: many keys of one large file are found in one pass.
std::map<std::string, std::string> iniSection(std::string_view text, std::string_view section);

class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::string path) : path_(std::move(path)) {}

    const std::string &path() const { return path_; }
    void setPath(std::string path) { path_ = std::move(path); }

    std::string read(std::string_view section, std::string_view key, std::string_view def = {}) const;
    int readInt(std::string_view section, std::string_view key, int def = 0) const;
    bool has(std::string_view section, std::string_view key) const;
    // false when the file could not be written.
    bool write(std::string_view section, std::string_view key, std::string_view value);
    bool remove(std::string_view section, std::string_view key);
    // The file's lines as they are on disk, read once, for many look-ups. A file that is not a
    // regular file (a folder, a FIFO, a device) or cannot be read reads as empty: every key
    // then has its default. Writing over such a path fails.
    std::vector<std::string> load() const;
    std::string text() const;

private:
    bool save(const std::vector<std::string> &lines) const;
    std::string path_;
};

}  // namespace rt
