// Damage done to record files on purpose: a page of the table overwritten in the middle of the
// file, and the rows that page held, read from its b-tree cells.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/record_file.h"
#include "tests/support/test_support.h"

namespace testing_support {

// SQL run on the file as another program would run it, waiting a while for the file's lock:
// "" or SQLite's error.
inline std::string sqliteExec(const std::string &path, const std::string &sql)
{
    sqlite3 *db = nullptr;
    int rc = sqlite3_open(path.c_str(), &db);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    const std::string error = rc == SQLITE_OK ? "" : sqlite3_errmsg(db);  // no connection at all: "out of memory"
    sqlite3_close(db);
    return error;
}

// For its span, a scan holds its read from one call to the next as on a fast machine, whatever
// this machine's speed.
class ScansHeldAsWhenFast {
public:
    ScansHeldAsWhenFast() : before_(rt::setHeldScanRowNs(1000000000)) {}
    ~ScansHeldAsWhenFast() { rt::setHeldScanRowNs(before_); }

private:
    std::int64_t before_;
};

// A write by another program as this one makes it, waiting for the file's lock at most the
// program's own 1 s: "" or SQLite's error ("database is locked" when a reader kept the lock).
inline std::string writeAsAnotherProgram(const std::string &path, const std::string &sql)
{
    sqlite3 *db = nullptr;
    int rc = sqlite3_open(path.c_str(), &db);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, 1000);
        rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    const std::string error = rc == SQLITE_OK ? "" : sqlite3_errmsg(db);
    sqlite3_close(db);
    return error;
}

inline std::int64_t sqliteNumber(const std::string &path, const std::string &sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    std::int64_t n = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n;
}

inline std::string sqliteText(const std::string &path, const std::string &sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    std::string t;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW &&
        sqlite3_column_text(st, 0))
        t = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
    else
        t = sqlite3_errmsg(db);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return t;
}

// The leaf pages of the table `data`, in page order (from the dbstat table).
inline std::vector<std::int64_t> tableLeafPages(const std::string &path)
{
    std::vector<std::int64_t> pages;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT pageno FROM dbstat WHERE name='data' AND pagetype='leaf' ORDER BY pageno",
                           -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            pages.push_back(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return pages;
}

// The rowids of the cells of a table leaf page.
inline std::vector<std::int64_t> rowidsOnPage(const std::string &path, std::int64_t page)
{
    std::int64_t size = sqliteNumber(path, "PRAGMA page_size");
    std::string bytes = readBytes(path);
    std::size_t base = static_cast<std::size_t>((page - 1) * size);
    std::size_t header = base + (page == 1 ? 100 : 0);
    auto u8 = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
    auto varint = [&](std::size_t &at) {
        std::uint64_t v = 0;
        for (int i = 0; i < 9; ++i) {
            unsigned char b = u8(at++);
            if (i == 8) {
                v = (v << 8) | b;
                break;
            }
            v = (v << 7) | (b & 0x7F);
            if (!(b & 0x80))
                break;
        }
        return v;
    };
    std::vector<std::int64_t> rowids;
    if (u8(header) != 0x0D)
        return rowids;
    int cells = (u8(header + 3) << 8) | u8(header + 4);
    for (int i = 0; i < cells; ++i) {
        std::size_t ptr = header + 8 + static_cast<std::size_t>(i) * 2;
        std::size_t at = base + static_cast<std::size_t>((u8(ptr) << 8) | u8(ptr + 1));
        varint(at);  // payload size
        rowids.push_back(static_cast<std::int64_t>(varint(at)));
    }
    return rowids;
}

inline void overwritePage(const std::string &path, std::int64_t page)
{
    std::int64_t size = sqliteNumber(path, "PRAGMA page_size");
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp((page - 1) * size);
    std::string junk(static_cast<std::size_t>(size), '\xA5');
    f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
}

}  // namespace testing_support
