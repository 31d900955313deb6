#include "model/record_salvage.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

namespace fs = std::filesystem;

namespace salvage {

namespace {

std::string quote(const std::string &ident) { return "\"" + ident + "\""; }

struct Db {
    sqlite3 *db = nullptr;
    ~Db() { close(); }
    void close()
    {
        if (db)
            sqlite3_close_v2(db);
        db = nullptr;
    }
    std::string message() const { return db ? sqlite3_errmsg(db) : "out of memory"; }
};

struct Stmt {
    sqlite3_stmt *st = nullptr;
    ~Stmt() { sqlite3_finalize(st); }
};

std::vector<std::string> columnsOf(sqlite3 *db, bool &ok)
{
    std::vector<std::string> cols;
    Stmt s;
    ok = sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info('data')", -1, &s.st, nullptr) == SQLITE_OK;
    int rc = SQLITE_DONE;
    while (ok && (rc = sqlite3_step(s.st)) == SQLITE_ROW)
        cols.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(s.st, 0)));
    ok = ok && rc == SQLITE_DONE && !cols.empty();
    return cols;
}

// A name beside `base` that no file has yet.
std::string freeName(const std::string &base)
{
    std::error_code ec;
    if (!fs::exists(base, ec))
        return base;
    for (int i = 2;; ++i) {
        std::string n = base + "-" + std::to_string(i);
        if (!fs::exists(n, ec))
            return n;
    }
}

// Rows that a seek starting at `from` can read: false when the b-tree pages on the way are
// damaged.
bool readableFrom(sqlite3 *db, std::int64_t from)
{
    Stmt s;
    if (sqlite3_prepare_v2(db, "SELECT rowid FROM data WHERE rowid >= ? ORDER BY rowid LIMIT 1", -1, &s.st,
                           nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_int64(s.st, 1, from);
    int rc = sqlite3_step(s.st);
    return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

// The first rowid after `failedAt` from which reading works again: the rows in between sit on
// damaged pages. LLONG_MAX when nothing after it can be read.
std::int64_t nextReadable(sqlite3 *db, std::int64_t failedAt)
{
    std::int64_t bad = failedAt;
    std::int64_t step = 1;
    std::int64_t good = LLONG_MAX;
    while (true) {
        std::int64_t probe = bad > LLONG_MAX - step ? LLONG_MAX : bad + step;
        if (readableFrom(db, probe)) {
            good = probe;
            break;
        }
        if (probe == LLONG_MAX)
            return LLONG_MAX;
        bad = probe;
        if (step < (LLONG_MAX >> 2))
            step *= 2;
    }
    while (good - bad > 1) {
        std::int64_t mid = bad + (good - bad) / 2;
        if (readableFrom(db, mid))
            good = mid;
        else
            bad = mid;
    }
    return good;
}

// The number of rows the file held, told by a key that still reads whole; -1 when none does.
std::int64_t rowsByAKey(sqlite3 *db)
{
    std::vector<std::string> indexes;
    {
        Stmt s;
        if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='data'", -1,
                               &s.st, nullptr) != SQLITE_OK)
            return -1;
        while (sqlite3_step(s.st) == SQLITE_ROW)
            indexes.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(s.st, 0)));
    }
    for (const std::string &index : indexes) {
        Stmt s;
        std::string sql = "SELECT rowid FROM data INDEXED BY " + quote(index);
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s.st, nullptr) != SQLITE_OK)
            continue;
        std::int64_t n = 0;
        int rc;
        while ((rc = sqlite3_step(s.st)) == SQLITE_ROW)
            ++n;
        if (rc == SQLITE_DONE)
            return n;
    }
    return -1;
}

class Writer {
public:
    bool open(const std::string &path, const std::vector<std::string> &cols, std::string &error)
    {
        if (sqlite3_open_v2(path.c_str(), &db_.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            error = path + ": " + db_.message();
            return false;
        }
        sqlite3_extended_result_codes(db_.db, 1);
        std::string names = "rowid", marks = "?";
        for (const std::string &c : cols) {
            names += ", " + quote(c);
            marks += ", ?";
        }
        std::string sql = "INSERT INTO data (" + names + ") VALUES (" + marks + ")";
        if (sqlite3_exec(db_.db, "PRAGMA journal_mode=OFF; BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
            sqlite3_prepare_v2(db_.db, sql.c_str(), -1, &insert_.st, nullptr) != SQLITE_OK) {
            error = path + ": " + db_.message();
            return false;
        }
        return true;
    }
    // SQLite's result of writing the row whose columns are those of `row` from column 0 (rowid).
    int write(sqlite3_stmt *row, int columns)
    {
        sqlite3_reset(insert_.st);
        for (int i = 0; i < columns; ++i)
            sqlite3_bind_value(insert_.st, i + 1, sqlite3_column_value(row, i));
        return sqlite3_step(insert_.st);
    }
    bool finish(std::string &error)
    {
        sqlite3_finalize(insert_.st);
        insert_.st = nullptr;
        if (sqlite3_exec(db_.db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            error = db_.message();
            return false;
        }
        db_.close();
        return true;
    }
    sqlite3 *db() const { return db_.db; }

private:
    Db db_;
    Stmt insert_;
};

}  // namespace

Outcome salvageRecordFile(const std::string &damaged, const std::string &example)
{
    Outcome out;
    std::error_code ec;
    if (!fs::is_regular_file(damaged, ec)) {
        out.error = "The file " + damaged + " does not exist.";
        return out;
    }
    if (!fs::is_regular_file(example, ec)) {
        out.error = "The example file " + example + " does not exist.";
        return out;
    }

    Db src;
    // Read/write when allowed, so that a journal left by a crash is rolled back first.
    if (sqlite3_open_v2(damaged.c_str(), &src.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        src.close();
        if (sqlite3_open_v2(damaged.c_str(), &src.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            out.error = damaged + ": " + src.message();
            return out;
        }
    }
    sqlite3_extended_result_codes(src.db, 1);
    sqlite3_busy_timeout(src.db, 5000);
    bool ok = false;
    std::vector<std::string> srcCols = columnsOf(src.db, ok);
    if (!ok) {
        out.error = damaged + ": its structure cannot be read (" + src.message() + ")";
        return out;
    }

    // The fresh file is the example file, filled.
    std::string fresh = freeName(damaged + ".recordfix-new");
    fs::copy_file(example, fresh, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        out.error = fresh + ": " + ec.message();
        return out;
    }
    auto discard = [&] {
        fs::remove(fresh, ec);
        if (!out.rejectsFile.empty())
            fs::remove(out.rejectsFile, ec);
        out.rejectsFile.clear();
    };
    std::vector<std::string> cols;
    {
        Db probe;
        sqlite3_open_v2(fresh.c_str(), &probe.db, SQLITE_OPEN_READONLY, nullptr);
        std::vector<std::string> declared = columnsOf(probe.db, ok);
        if (!ok) {
            out.error = example + ": not an example file (" + probe.message() + ")";
            probe.close();
            discard();
            return out;
        }
        std::set<std::string> have(srcCols.begin(), srcCols.end());
        for (const std::string &c : declared)
            if (have.count(c))
                cols.push_back(c);
    }
    Writer writer;
    if (!writer.open(fresh, cols, out.error)) {
        discard();
        return out;
    }
    Writer rejects;
    bool rejectsOpen = false;

    std::string select = "SELECT rowid";
    for (const std::string &c : cols)
        select += ", " + quote(c);
    select += " FROM data WHERE rowid >= ? ORDER BY rowid";
    std::int64_t from = LLONG_MIN;
    while (true) {
        Stmt s;
        if (sqlite3_prepare_v2(src.db, select.c_str(), -1, &s.st, nullptr) != SQLITE_OK) {
            out.error = damaged + ": " + src.message();
            discard();
            return out;
        }
        sqlite3_bind_int64(s.st, 1, from);
        std::int64_t last = from;
        bool read = false;
        int rc;
        while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) {
            last = sqlite3_column_int64(s.st, 0);
            read = true;
            int w = writer.write(s.st, static_cast<int>(cols.size()) + 1);
            if (w == SQLITE_DONE) {
                ++out.copied;
                continue;
            }
            if ((w & 0xFF) != SQLITE_CONSTRAINT) {
                out.error = fresh + ": " + sqlite3_errmsg(writer.db());
                discard();
                return out;
            }
            // A row that breaks a unique key is kept aside, never dropped.
            if (!rejectsOpen) {
                out.rejectsFile = freeName(fs::path(damaged).replace_extension().string() + "-rejects.tps");
                fs::copy_file(example, out.rejectsFile, ec);
                Db strip;
                if (!ec && sqlite3_open_v2(out.rejectsFile.c_str(), &strip.db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
                    std::vector<std::string> drops;
                    Stmt q;
                    sqlite3_prepare_v2(strip.db, "SELECT name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL",
                                       -1, &q.st, nullptr);
                    while (q.st && sqlite3_step(q.st) == SQLITE_ROW)
                        drops.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(q.st, 0)));
                    sqlite3_finalize(q.st);
                    q.st = nullptr;
                    for (const std::string &d : drops)
                        sqlite3_exec(strip.db, ("DROP INDEX " + quote(d)).c_str(), nullptr, nullptr, nullptr);
                }
                strip.close();
                if (ec || !rejects.open(out.rejectsFile, cols, out.error)) {
                    if (ec)
                        out.error = out.rejectsFile + ": " + ec.message();
                    discard();
                    return out;
                }
                rejectsOpen = true;
            }
            if (rejects.write(s.st, static_cast<int>(cols.size()) + 1) != SQLITE_DONE) {
                out.error = out.rejectsFile + ": " + sqlite3_errmsg(rejects.db());
                discard();
                return out;
            }
            ++out.refused;
        }
        if (rc == SQLITE_DONE)
            break;
        // The rows between the last one read and the next readable page are lost.
        // (A pass that read nothing failed at its very start.)
        std::int64_t next = nextReadable(src.db, read ? last : from);
        if (next == LLONG_MAX)
            break;
        from = next;
    }
    std::int64_t total = rowsByAKey(src.db);
    if (total >= 0)
        out.lost = std::max<std::int64_t>(0, total - out.copied - out.refused);
    src.close();
    if (!writer.finish(out.error) || (rejectsOpen && !rejects.finish(out.error))) {
        discard();
        return out;
    }

    out.keptAs = freeName(damaged + ".damaged");
    fs::rename(damaged, out.keptAs, ec);
    if (ec) {
        out.error = "The damaged file cannot be moved aside: " + ec.message();
        out.keptAs.clear();
        discard();
        return out;
    }
    if (fs::exists(damaged + "-journal", ec))
        fs::rename(damaged + "-journal", out.keptAs + "-journal", ec);
    fs::rename(fresh, damaged, ec);
    if (ec) {
        out.error = "The repaired file cannot be put in place: " + ec.message();
        fs::rename(out.keptAs, damaged, ec);
        out.keptAs.clear();
        return out;
    }
    out.ok = true;
    return out;
}

std::string outcomeText(const std::string &file, const Outcome &o)
{
    char when[32] = "";
    std::time_t now = std::time(nullptr);
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    std::string t = std::string(when) + " Repair of " + file + "\n";
    if (!o.ok)
        return t + "The file was not repaired: " + o.error;
    t += "Rows copied: " + std::to_string(o.copied) + "\n";
    t += "Rows refused (duplicate keys): " + std::to_string(o.refused);
    if (o.refused > 0)
        t += ", written to " + o.rejectsFile;
    t += "\n";
    t += "Rows lost (unreadable): " + (o.lost >= 0 ? std::to_string(o.lost) : std::string("unknown")) + "\n";
    t += "The damaged original is kept as " + o.keptAs;
    return t;
}

bool appendLog(const std::string &logPath, const std::string &text)
{
    std::ofstream log(logPath, std::ios::app);
    log << text << "\n";
    return static_cast<bool>(log);
}

}  // namespace salvage
