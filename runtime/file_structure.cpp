#include "runtime/file_structure.h"

#include <filesystem>
#include <vector>

#include "runtime/file_recovery.h"
#include "runtime/paths.h"

namespace rt {

namespace {

struct Registration {
    std::string prefix;
    std::string label;
    RecordFile *file;
    int version;
};

std::vector<Registration> &registry()
{
    static std::vector<Registration> r;
    return r;
}

std::string &profilePath()
{
    static std::string p;
    return p;
}

const Registration *find(const RecordFile &file)
{
    for (const Registration &r : registry())
        if (r.file == &file)
            return &r;
    return nullptr;
}

}  // namespace

void ds_AddDriver(std::string_view, RecordFile *)
{
    // A file that SQLite finds damaged is noted for the repair offer, by its full path.
    setDamagedFileObserver([](const std::string &path) {
        IniFile profile = profileFile();
        if (profile.read(ds_AppName(), "BadFile", "") != path)
            profile.write(ds_AppName(), "BadFile", path);
    });
}
void ds_IgnoreDriver(std::string_view, int) {}

void ds_UsingFile(std::string_view prefix, std::string_view label, RecordFile &file, int version)
{
    for (Registration &r : registry())
        if (r.file == &file) {
            r.version = version;
            return;
        }
    registry().push_back({std::string(prefix), std::string(label), &file, version});
}

std::string ds_AppName() { return "OrvaneFileManager"; }

void setProfileFile(std::string path) { profilePath() = std::move(path); }

IniFile profileFile()
{
    if (profilePath().empty())
        return IniFile(joinPath(homeFolder(), "win.ini"));
    return IniFile(profilePath());
}

int registeredVersion(const RecordFile &file)
{
    const Registration *r = find(file);
    return r ? r->version : -1;
}

bool isRegistered(std::string_view label)
{
    for (const Registration &r : registry())
        if (equalNoCase(r.label, label))
            return true;
    return false;
}

void clearRegistrations() { registry().clear(); }

int ds_FileOpen(RecordFile &file, int openMode)
{
    const Registration *r = find(file);
    if (!r)
        return file.open(openMode);
    // Noted by its full path: the name a per-client file has now is gone at the next start.
    std::error_code ec;
    std::string path = std::filesystem::absolute(clip(file.name), ec).lexically_normal().string();
    auto before = [path] { profileFile().write(ds_AppName(), "BadFile", path); };
    auto after = [] { profileFile().write(ds_AppName(), "BadFile", ""); };
    return file.openConverting(openMode, r->version, before, after);
}

std::string exampleFileName(std::string_view fileName)
{
    std::string n = clip(fileName);
    std::size_t slash = n.find_last_of('/');
    std::size_t dot = n.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        n.erase(dot);
    return n + ".tpe";
}

std::string ds_MakeTPE(RecordFile &file)
{
    if (file.def().driver != Driver::TopSpeed)
        return "2";
    std::string example = exampleFileName(file.name);
    std::string dir = std::filesystem::path(std::filesystem::absolute(example)).parent_path().string();
    if (!folderExists(dir)) {
        setError(err::PathNotFound);
        return "1";
    }
    std::vector<unsigned char> scratch(file.def().recordSize);
    std::string memo;
    RecordFile tpe(file.def(), scratch.data(), &memo);
    tpe.name = example;
    int code = tpe.create();
    if (code == err::AccessDenied || code == err::PathNotFound)
        return "1";
    return code == 0 ? "0" : "3";
}

}  // namespace rt
