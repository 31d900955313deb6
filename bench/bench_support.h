// What the benchmarks share: a temporary folder of their own for each run, timing, and raw
// SQLite connections opened the way the driver opens a record file (the same mutex mode, journal,
// sync and page cache), so that every figure stands beside a like-for-like reference.
#pragma once

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "model/dictionary.h"
#include "model/globals.h"
#include "runtime/record_file.h"

namespace bench {

using Clock = std::chrono::steady_clock;
inline double ms(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}
inline double us(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::micro>(b - a).count();
}

// A fresh folder under the system's temporary folder, unique to this run, removed at the end.
class TempFolder {
public:
    explicit TempFolder(const std::string &label)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / ("orvane-bench-" + label + "-XXXXXX")).string();
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!::mkdtemp(buf.data())) {
            std::perror("mkdtemp");
            std::exit(2);
        }
        path_ = buf.data();
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const std::filesystem::path &path() const { return path_; }
    std::string file(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// A raw connection with the driver's settings.
inline sqlite3 *rawOpen(const std::string &path, bool write)
{
    sqlite3 *db = nullptr;
    int flags = (write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s\n", path.c_str());
        std::exit(2);
    }
    std::string pragmas = "PRAGMA cache_size=-" + std::to_string(rt::kPageCacheKiB) + ";";
    if (write)
        pragmas += "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;";
    sqlite3_exec(db, pragmas.c_str(), nullptr, nullptr, nullptr);
    return db;
}

inline sqlite3_stmt *rawPrepare(sqlite3 *db, const std::string &sql)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot prepare %s: %s\n", sql.c_str(), sqlite3_errmsg(db));
        std::exit(2);
    }
    return st;
}

// Sizes from the command line, or the standard three.
inline std::vector<int> sizes(int argc, char **argv, std::vector<int> otherwise = {10000, 100000, 1000000})
{
    std::vector<int> v;
    for (int i = 1; i < argc; ++i)
        v.push_back(std::atoi(argv[i]));
    return v.empty() ? otherwise : v;
}

// An item with a spread of descriptions, so that the description order differs from the
// order the items were added in.
inline void fillItem(MasterInventoryBuffer &r, int i)
{
    rt::clearRecord(dict::MasterInventoryDef, static_cast<MasterInventoryRecord *>(&r));
    r.MEMO.clear();
    r.ASSETNUMBER = i + 1;
    r.STATUS = "Have";
    unsigned h = static_cast<unsigned>(i) * 2654435761u;
    r.DESCRIPTION = "Item " + std::to_string(h % 1000003) + " of the household";
    r.CATEGORY = "Category " + std::to_string(i % 21);
    r.LOCATION = "Room " + std::to_string(i % 19);
    r.QUANTITY = 1 + i % 3;
    r.MARKETVALUE.setCents(100 + i % 5000);
    r.SERIALNUMBER = "SN" + std::to_string(i);
    r.MEMO = i % 10 == 0 ? "A short memo about the item" : "";
}

// Adds items 0 to n-1 (fillItem) to the open item file in one transaction; false, said on
// stderr, when an add fails.
inline bool addItems(int n)
{
    rt::Transaction tx({&MasterInventory});
    tx.begin();
    for (int i = 0; i < n; ++i) {
        fillItem(MAS, i);
        if (MasterInventory.add() != 0) {
            std::fprintf(stderr, "add failed: %s\n", rt::errorText().c_str());
            return false;
        }
    }
    tx.commit();
    return true;
}

// The files a report reads, made in `dir` and left open: the settings (address and phone lines
// printed, portrait) and the active client A1, John Smith. False, said on stderr, on failure.
inline bool makeReportFiles(const TempFolder &dir, const std::vector<rt::RecordFile *> &files)
{
    for (rt::RecordFile *f : files) {
        f->name = dir.file(f->def().diskName);
        if (f->create() || f->open(rt::mode::ReadWriteDenyNone)) {
            std::fprintf(stderr, "cannot make %s\n", f->name.c_str());
            return false;
        }
    }
    rt::clearRecord(dict::MainSystemFileDef, &MSY);
    MSY.NAME = "Orvane Appraisals";
    MSY.PRINTADDRESSLINE = 1;
    MSY.PRINTPHONELINE = 1;
    MSY.REPORTFORMAT = "Portrait";
    MainSystemFile.add();
    rt::clearRecord(dict::QORClientsDef, &QOC);
    QOC.IDCODE = "A1";
    QOC.LASTNAME = "Smith";
    QOC.FIRSTNAME = "John";
    QOC.ADDRESS1 = "12 Elm Road";
    QOC.CSZ = "Springfield, IL 62702";
    QOC.HOMEPHONE = "2175550123";
    QORClients.add();
    Glo.ActiveClientID = "A1";
    return true;
}

inline const char *verdict(bool ok) { return ok ? "ok" : "MISSED"; }

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The process's resident memory now, and the most it held since the last resetPeak(), in MB.
inline double statusMB(const char *field)
{
    std::FILE *f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    double kb = -1;
    const std::size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, n) == 0 && line[n] == ':')
            kb = std::atof(line + n + 1);
    std::fclose(f);
    return kb / 1024;
}
inline double rssMB() { return statusMB("VmRSS"); }
inline double peakMB() { return statusMB("VmHWM"); }
inline void resetPeak()
{
    if (std::FILE *f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}
// Memory given back: what a window or run leaves held once it closed.
constexpr double kMemoryKeptMB = 20;

}  // namespace bench
