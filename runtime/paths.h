// Folders and path joining. The program's home folder stands for both the program folder and
// the default data tree: $ZENVIK_HOME when set, else ~/OrvaneProf.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

namespace rt {

std::string homeFolder();
// a and b joined with exactly one "/" between them (none added when a is empty).
std::string joinPath(std::string_view a, std::string_view b);
// True when the name is one component of a path: not empty, not "." or "..", without a "/"
// or "\\". A name read from a record names nothing outside its folder only when it is bare.
bool isBareName(std::string_view name);
// The path with a trailing "/" (unless empty).
std::string withSlash(std::string_view path);
// Makes the folder and its parents: 0 when it exists or was made, else the error code.
int makeFolder(std::string_view path);
bool fileExists(std::string_view path);
// Opens the file for reading only when it is a regular file, `st` read from the open descriptor:
// a FIFO would block a plain open for ever, a device reads without end, and a check made on the
// name beforehand races with the name being swapped. Returns the descriptor, -1 when the open
// fails (errno says why), or kNotRegularFile when what it opened is no regular file (closed).
// Defined here: the fuzz targets build the INI and picture readers without this file's .cpp.
constexpr int kNotRegularFile = -2;
inline int openRegularFile(const std::string &path, struct stat &st)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return kNotRegularFile;
    }
    return fd;
}
bool folderExists(std::string_view path);
// The folder of the running executable; empty when it cannot be told.
std::string executableFolder();
// The last component of a path and its extension (without the dot).
std::string baseName(std::string_view path);
std::string extensionOf(std::string_view path);

}  // namespace rt
