#include "model/record_salvage.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <unordered_set>
#include <vector>

namespace fs = std::filesystem;

namespace salvage {

namespace {

std::function<bool(const std::string &)> &stepHook()
{
    static std::function<bool(const std::string &)> h;
    return h;
}
bool stepAllowed(const std::string &step) { return !stepHook() || stepHook()(step); }

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

// ---------------------------------------------------------------------------------------------
// Values and records as the file stores them

struct Value {
    enum Kind { Null, Int, Real, Text, Blob } kind = Null;
    std::int64_t i = 0;
    double r = 0;
    std::string bytes;
};

struct Column {
    std::string name;
    bool text = false;
};

// The columns of `data` in a database; empty when it has no such table.
std::vector<Column> columnsOf(sqlite3 *db)
{
    std::vector<Column> cols;
    Stmt s;
    if (!db || sqlite3_prepare_v2(db, "SELECT lower(name), upper(type) FROM pragma_table_info('data') ORDER BY cid", -1,
                                  &s.st, nullptr) != SQLITE_OK)
        return cols;
    while (sqlite3_step(s.st) == SQLITE_ROW) {
        Column c;
        c.name = reinterpret_cast<const char *>(sqlite3_column_text(s.st, 0));
        const unsigned char *t = sqlite3_column_text(s.st, 1);
        c.text = t && std::string(reinterpret_cast<const char *>(t)).find("TEXT") != std::string::npos;
        cols.push_back(c);
    }
    return cols;
}

std::uint32_t be16(const unsigned char *p) { return (std::uint32_t(p[0]) << 8) | p[1]; }
std::uint32_t be32(const unsigned char *p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// A varint at `at` within [at, end); false when it runs past the end.
bool varint(const unsigned char *&at, const unsigned char *end, std::uint64_t &v)
{
    v = 0;
    for (int i = 0; i < 9; ++i) {
        if (at >= end)
            return false;
        unsigned char b = *at++;
        if (i == 8) {
            v = (v << 8) | b;
            return true;
        }
        v = (v << 7) | (b & 0x7F);
        if (!(b & 0x80))
            return true;
    }
    return true;
}

// A record's values. With `cut`, a payload whose end was lost (a broken overflow chain) still
// decodes when it runs out inside a text or blob: that value keeps what was read, *cut turns
// true, and every later value must be one that takes no bytes.
bool decodeRecord(const std::string &payload, std::vector<Value> &values, bool *cut = nullptr)
{
    if (cut)
        *cut = false;
    values.clear();
    const auto *base = reinterpret_cast<const unsigned char *>(payload.data());
    const unsigned char *end = base + payload.size();
    const unsigned char *at = base;
    std::uint64_t headerSize = 0;
    if (!varint(at, end, headerSize) || headerSize > payload.size() || headerSize < 1)
        return false;
    const unsigned char *headerEnd = base + headerSize;
    std::vector<std::uint64_t> types;
    while (at < headerEnd) {
        std::uint64_t t = 0;
        if (!varint(at, headerEnd, t) || t == 10 || t == 11)
            return false;
        types.push_back(t);
    }
    if (at != headerEnd)
        return false;
    const unsigned char *body = headerEnd;
    for (std::uint64_t t : types) {
        Value v;
        static const int intBytes[] = {0, 1, 2, 3, 4, 6, 8};
        if (t == 0) {
            v.kind = Value::Null;
        } else if (t <= 6) {
            int n = intBytes[t];
            if (end - body < n)
                return false;
            std::uint64_t u = 0;
            for (int k = 0; k < n; ++k)
                u = (u << 8) | body[k];
            if (n < 8 && (body[0] & 0x80))
                u |= ~std::uint64_t(0) << (8 * n);  // sign extension
            v.kind = Value::Int;
            v.i = static_cast<std::int64_t>(u);
            body += n;
        } else if (t == 7) {
            if (end - body < 8)
                return false;
            std::uint64_t u = 0;
            for (int k = 0; k < 8; ++k)
                u = (u << 8) | body[k];
            v.kind = Value::Real;
            std::memcpy(&v.r, &u, sizeof v.r);
            body += 8;
        } else if (t == 8 || t == 9) {
            v.kind = Value::Int;
            v.i = t == 9;
        } else {
            std::uint64_t n = (t - 12) / 2;
            if (static_cast<std::uint64_t>(end - body) < n) {
                if (!cut || *cut)
                    return false;
                *cut = true;
                n = static_cast<std::uint64_t>(end - body);
            }
            v.kind = t % 2 ? Value::Text : Value::Blob;
            v.bytes.assign(reinterpret_cast<const char *>(body), static_cast<std::size_t>(n));
            body += n;
        }
        values.push_back(std::move(v));
    }
    return body == end;
}

// ---------------------------------------------------------------------------------------------
// The file, page by page

class Pages {
public:
    ~Pages()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool open(const std::string &path, std::uint32_t fallbackPageSize, std::string &error)
    {
        fd_ = ::open(path.c_str(), O_RDONLY);
        if (fd_ < 0) {
            error = path + ": " + std::strerror(errno);
            return false;
        }
        off_t size = ::lseek(fd_, 0, SEEK_END);
        fileSize_ = size < 0 ? 0 : static_cast<std::int64_t>(size);
        unsigned char h[100] = {};
        headerValid_ = ::pread(fd_, h, sizeof h, 0) == static_cast<ssize_t>(sizeof h) &&
                       std::memcmp(h, "SQLite format 3", 16) == 0;
        if (headerValid_) {
            std::uint32_t ps = be16(h + 16);
            pageSize_ = ps == 1 ? 65536 : ps;
            headerValid_ = pageSize_ >= 512 && pageSize_ <= 65536 && (pageSize_ & (pageSize_ - 1)) == 0 && h[20] < 64;
        }
        if (headerValid_) {
            usable_ = pageSize_ - h[20];
            // The page count in the header holds when the file was last written by a version
            // that keeps it.
            if (be32(h + 92) == be32(h + 24))
                declaredPages_ = be32(h + 28);
            freelistTrunk_ = be32(h + 32);
            autoVacuum_ = be32(h + 52) != 0;
        } else {
            pageSize_ = guessPageSize(fallbackPageSize);
            usable_ = pageSize_;
        }
        fullPages_ = fileSize_ / pageSize_;
        totalPages_ = std::max<std::int64_t>(fullPages_ + (fileSize_ % pageSize_ ? 1 : 0), declaredPages_);
        return true;
    }
    bool headerValid() const { return headerValid_; }
    std::uint32_t usable() const { return usable_; }
    std::int64_t fullPages() const { return fullPages_; }
    std::int64_t totalPages() const { return totalPages_; }
    std::uint32_t freelistTrunk() const { return freelistTrunk_; }
    bool autoVacuum() const { return autoVacuum_; }
    std::uint32_t pageSize() const { return pageSize_; }

    // The whole page, or false when it lies (partly) beyond the end of the file.
    bool read(std::int64_t page, std::vector<unsigned char> &buf) const
    {
        if (page < 1 || page > fullPages_)
            return false;
        buf.resize(pageSize_);
        return ::pread(fd_, buf.data(), pageSize_, static_cast<off_t>((page - 1) * pageSize_)) ==
               static_cast<ssize_t>(pageSize_);
    }

    // The b-tree page header looks sound: a known type and a cell array inside the page.
    static bool btreePage(const std::vector<unsigned char> &buf, std::int64_t page, std::uint32_t usable)
    {
        std::size_t h = page == 1 ? 100 : 0;
        if (buf.size() < h + 12)
            return false;
        unsigned char type = buf[h];
        if (type != 2 && type != 5 && type != 10 && type != 13)
            return false;
        std::size_t hs = type == 2 || type == 5 ? 12 : 8;
        std::uint32_t cells = be16(&buf[h + 3]);
        std::uint32_t content = be16(&buf[h + 5]);
        if (content == 0)
            content = 65536;
        std::size_t arrayEnd = h + hs + 2 * std::size_t(cells);
        if (arrayEnd > usable || buf[h + 7] > 60)
            return false;
        if (cells > 0 && (content < arrayEnd || content > usable))
            return false;
        for (std::uint32_t i = 0; i < cells; ++i) {
            std::uint32_t p = be16(&buf[h + hs + 2 * i]);
            if (p < arrayEnd || p >= usable)
                return false;
        }
        return true;
    }

private:
    // A header that cannot be read leaves the page size to be found: the size at which the most
    // pages read as b-tree pages, the example file's first.
    std::uint32_t guessPageSize(std::uint32_t fallback)
    {
        std::vector<std::uint32_t> sizes{fallback};
        for (std::uint32_t s = 512; s <= 65536; s *= 2)
            if (s != fallback)
                sizes.push_back(s);
        std::uint32_t best = fallback;
        int bestScore = -1;
        std::vector<unsigned char> buf;
        for (std::uint32_t s : sizes) {
            if (s < 512 || s > 65536)
                continue;
            int score = 0;
            std::int64_t pages = std::min<std::int64_t>(fileSize_ / s, 64);
            for (std::int64_t p = 1; p <= pages; ++p) {
                buf.resize(s);
                if (::pread(fd_, buf.data(), s, static_cast<off_t>((p - 1) * s)) == static_cast<ssize_t>(s) &&
                    btreePage(buf, p, s))
                    ++score;
            }
            if (score > bestScore) {
                bestScore = score;
                best = s;
            }
        }
        return best;
    }

    int fd_ = -1;
    std::int64_t fileSize_ = 0, fullPages_ = 0, totalPages_ = 0, declaredPages_ = 0;
    std::uint32_t pageSize_ = 4096, usable_ = 4096, freelistTrunk_ = 0;
    bool headerValid_ = false, autoVacuum_ = false;
};

struct Cell {
    bool whole = false;        // its payload was read whole
    bool hasRowid = false;
    std::int64_t rowid = 0;
    std::uint32_t child = 0;   // interior pages: the page left of the cell
    std::string payload;
};

class Reader {
public:
    explicit Reader(const Pages &pages) : pages_(pages) {}

    // The cells of a b-tree page (its header checked by the caller).
    std::vector<Cell> cells(const std::vector<unsigned char> &buf, std::int64_t page)
    {
        std::vector<Cell> out;
        const std::uint32_t U = pages_.usable();
        std::size_t h = page == 1 ? 100 : 0;
        unsigned char type = buf[h];
        bool interior = type == 2 || type == 5;
        std::size_t hs = interior ? 12 : 8;
        std::uint32_t n = be16(&buf[h + 3]);
        const unsigned char *pageEnd = buf.data() + U;
        for (std::uint32_t i = 0; i < n; ++i) {
            Cell c;
            const unsigned char *at = buf.data() + be16(&buf[h + hs + 2 * i]);
            if (interior) {
                if (pageEnd - at < 4)
                    continue;
                c.child = be32(at);
                at += 4;
            }
            if (type == 5) {  // table interior: the key only
                std::uint64_t key = 0;
                if (varint(at, pageEnd, key)) {
                    c.hasRowid = true;
                    c.rowid = static_cast<std::int64_t>(key);
                }
                out.push_back(std::move(c));
                continue;
            }
            std::uint64_t P = 0;
            if (!varint(at, pageEnd, P)) {
                out.push_back(std::move(c));
                continue;
            }
            if (type == 13) {
                std::uint64_t key = 0;
                if (!varint(at, pageEnd, key)) {
                    out.push_back(std::move(c));
                    continue;
                }
                c.hasRowid = true;
                c.rowid = static_cast<std::int64_t>(key);
            }
            std::uint64_t X = type == 13 ? U - 35 : ((U - 12) * 64 / 255) - 23;
            std::uint64_t local = P;
            if (P > X) {
                std::uint64_t M = ((U - 12) * 32 / 255) - 23;
                std::uint64_t K = M + ((P - M) % (U - 4));
                local = K <= X ? K : M;
            }
            if (static_cast<std::uint64_t>(pageEnd - at) < local + (local < P ? 4 : 0) || P > (1u << 30)) {
                out.push_back(std::move(c));
                continue;
            }
            c.payload.assign(reinterpret_cast<const char *>(at), static_cast<std::size_t>(local));
            c.whole = local == P || overflow(be32(at + local), static_cast<std::size_t>(P - local), c.payload);
            out.push_back(std::move(c));
        }
        return out;
    }

    const std::set<std::int64_t> &overflowPages() const { return overflowPages_; }

private:
    // Follows an overflow chain; false when a page of it cannot be read.
    bool overflow(std::uint32_t page, std::size_t left, std::string &payload)
    {
        std::vector<unsigned char> buf;
        const std::uint32_t U = pages_.usable();
        std::int64_t guard = pages_.totalPages();
        while (left > 0) {
            if (page < 1 || --guard < 0 || !pages_.read(page, buf))
                return false;
            overflowPages_.insert(page);
            std::size_t n = std::min<std::size_t>(left, U - 4);
            payload.append(reinterpret_cast<const char *>(buf.data() + 4), n);
            left -= n;
            page = be32(buf.data());
        }
        return true;
    }

    const Pages &pages_;
    std::set<std::int64_t> overflowPages_;
};

// The pages of a b-tree reachable from its root, damaged pages passed over (`complete` false
// then).
std::set<std::int64_t> treePages(const Pages &pages, Reader &reader, std::int64_t root, bool *complete = nullptr)
{
    if (complete)
        *complete = true;
    std::set<std::int64_t> seen;
    std::vector<std::int64_t> todo{root};
    std::vector<unsigned char> buf;
    while (!todo.empty()) {
        std::int64_t p = todo.back();
        todo.pop_back();
        if (seen.count(p))
            continue;
        if (p < 1 || p > pages.totalPages() || !pages.read(p, buf) || !Pages::btreePage(buf, p, pages.usable())) {
            if (complete)
                *complete = false;
            continue;
        }
        seen.insert(p);
        std::size_t h = p == 1 ? 100 : 0;
        if (buf[h] == 2 || buf[h] == 5) {
            todo.push_back(be32(&buf[h + 8]));
            for (const Cell &c : reader.cells(buf, p))
                todo.push_back(c.child);
        }
    }
    return seen;
}

struct SchemaRow {
    std::string type, name, table, sql;
    std::int64_t root = 0;
};

// ---------------------------------------------------------------------------------------------
// The fresh file and the side file

class Writer {
public:
    bool open(const std::string &path, const std::vector<Column> &cols, std::string &error)
    {
        path_ = path;
        if (sqlite3_open_v2(path.c_str(), &db_.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            error = path + ": " + db_.message();
            return false;
        }
        sqlite3_extended_result_codes(db_.db, 1);
        std::string names = "rowid", marks = "?";
        for (const Column &c : cols) {
            names += ", " + quote(c.name);
            marks += ", ?";
        }
        std::string sql = "INSERT INTO data (" + names + ") VALUES (" + marks + ")";
        // A large cache for the run, and the keys that refuse nothing built once every row is
        // in, each in one sorted pass rather than row by row: the unique keys stay, since they
        // decide which rows are set aside.
        if (sqlite3_exec(db_.db, "PRAGMA journal_mode=OFF; PRAGMA cache_size=-262144; BEGIN", nullptr, nullptr,
                         nullptr) != SQLITE_OK) {
            error = path + ": " + db_.message();
            return false;
        }
        {
            Stmt q;
            if (sqlite3_prepare_v2(db_.db,
                                   "SELECT m.name, m.sql FROM sqlite_master m, pragma_index_list('data') l WHERE "
                                   "m.type='index' AND m.sql IS NOT NULL AND l.name=m.name AND NOT l.\"unique\" "
                                   "ORDER BY m.rowid",
                                   -1, &q.st, nullptr) == SQLITE_OK)
                while (sqlite3_step(q.st) == SQLITE_ROW)
                    later_.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(q.st, 0)),
                                        reinterpret_cast<const char *>(sqlite3_column_text(q.st, 1)));
        }
        for (const auto &[name, create] : later_)
            if (sqlite3_exec(db_.db, ("DROP INDEX " + quote(name)).c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
                error = path + ": " + db_.message();
                return false;
            }
        if (sqlite3_prepare_v2(db_.db, sql.c_str(), -1, &insert_.st, nullptr) != SQLITE_OK) {
            error = path + ": " + db_.message();
            return false;
        }
        return true;
    }
    // SQLite's result of writing the row.
    int write(std::int64_t rowid, const std::vector<Value> &row)
    {
        sqlite3_reset(insert_.st);
        sqlite3_bind_int64(insert_.st, 1, rowid);
        for (std::size_t i = 0; i < row.size(); ++i) {
            int at = static_cast<int>(i) + 2;
            const Value &v = row[i];
            switch (v.kind) {
            case Value::Null: sqlite3_bind_null(insert_.st, at); break;
            case Value::Int: sqlite3_bind_int64(insert_.st, at, v.i); break;
            case Value::Real: sqlite3_bind_double(insert_.st, at, v.r); break;
            case Value::Text:
                sqlite3_bind_text(insert_.st, at, v.bytes.data(), static_cast<int>(v.bytes.size()), SQLITE_STATIC);
                break;
            case Value::Blob:
                sqlite3_bind_blob(insert_.st, at, v.bytes.data(), static_cast<int>(v.bytes.size()), SQLITE_STATIC);
                break;
            }
        }
        return sqlite3_step(insert_.st);
    }
    bool finish(std::string &error)
    {
        sqlite3_finalize(insert_.st);
        insert_.st = nullptr;
        for (const auto &[name, create] : later_)
            if (sqlite3_exec(db_.db, create.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
                error = path_ + ": " + db_.message();
                return false;
            }
        if (sqlite3_exec(db_.db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            error = path_ + ": " + db_.message();
            return false;
        }
        db_.close();
        return true;
    }
    sqlite3 *db() const { return db_.db; }

private:
    std::string path_;
    Db db_;
    Stmt insert_;
    std::vector<std::pair<std::string, std::string>> later_;  // keys built at the end: name, SQL
};

// The example file's unique key that names a row: its first unique single-column index.
std::string namingKey(sqlite3 *db, std::string &column)
{
    Stmt s;
    if (sqlite3_prepare_v2(db,
                           "SELECT m.name, lower(i.name) FROM sqlite_master m, pragma_index_list('data') l, "
                           "pragma_index_info(m.name) i WHERE m.type='index' AND m.tbl_name='data' AND l.name=m.name "
                           "AND l.\"unique\" AND (SELECT count(*) FROM pragma_index_info(m.name))=1 ORDER BY m.rowid "
                           "LIMIT 1",
                           -1, &s.st, nullptr) != SQLITE_OK ||
        sqlite3_step(s.st) != SQLITE_ROW)
        return {};
    column = reinterpret_cast<const char *>(sqlite3_column_text(s.st, 1));
    return reinterpret_cast<const char *>(sqlite3_column_text(s.st, 0));
}

std::string valueText(const Value &v)
{
    switch (v.kind) {
    case Value::Int: return std::to_string(v.i);
    case Value::Real: return std::to_string(v.r);
    case Value::Text: return v.bytes;
    default: return {};
    }
}

// Cuts a text at its first NUL byte or byte that is not part of a UTF-8 character; true when
// it cut.
bool cutAtDamage(std::string &t)
{
    const auto *p = reinterpret_cast<const unsigned char *>(t.data());
    const std::size_t n = t.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        std::size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (b == 0 || len == 0 || i + len > n)
            break;
        std::uint32_t cp = len == 1 ? b : b & (0x7F >> len);
        bool ok = true;
        for (std::size_t k = 1; k < len; ++k) {
            ok = ok && (p[i + k] & 0xC0) == 0x80;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and code points past Unicode's last are not UTF-8 either.
        static const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || cp < least[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            break;
        i += len;
    }
    if (i == n)
        return false;
    t.resize(i);
    return true;
}

}  // namespace

void setStepHook(std::function<bool(const std::string &)> hook) { stepHook() = std::move(hook); }

std::string freshName(const std::string &file) { return file + ".recordfix-new"; }

Outcome salvageRecordFile(const std::string &damaged, const std::string &example,
                          const std::vector<ColumnCheck> &checks)
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

    // A journal left by a crash is rolled back first, when the file lets itself be opened.
    if (fs::exists(damaged + "-journal", ec)) {
        Db j;
        if (sqlite3_open_v2(damaged.c_str(), &j.db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
            sqlite3_exec(j.db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    // No other program may write the file while its pages are read and until the repaired file
    // takes its name: what it wrote would land in the original kept aside. A file too damaged
    // to be locked cannot be opened by any program either.
    Db lock;
    if (sqlite3_open_v2(damaged.c_str(), &lock.db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(lock.db, 2000);
        if ((sqlite3_exec(lock.db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) & 0xFF) == SQLITE_BUSY) {
            out.error = "The file " + damaged + " is in use by another program.";
            return out;
        }
    }

    // The declared structure, from the example file.
    std::vector<Column> cols;
    std::uint32_t examplePageSize = 4096;
    std::string keyIndexName;
    std::vector<std::string> keyIndexColumns;
    {
        Db ex;
        if (sqlite3_open_v2(example.c_str(), &ex.db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
            cols = columnsOf(ex.db);
        if (cols.empty()) {
            out.error = example + ": not an example file (" + ex.message() + ")";
            return out;
        }
        Stmt s;
        if (sqlite3_prepare_v2(ex.db, "PRAGMA page_size", -1, &s.st, nullptr) == SQLITE_OK &&
            sqlite3_step(s.st) == SQLITE_ROW)
            examplePageSize = static_cast<std::uint32_t>(sqlite3_column_int(s.st, 0));
        keyIndexName = namingKey(ex.db, out.keyColumn);
    }
    std::map<std::string, std::size_t> exampleIndex;
    for (std::size_t i = 0; i < cols.size(); ++i)
        exampleIndex[cols[i].name] = i;
    const std::size_t keyAt = exampleIndex.count(out.keyColumn) ? exampleIndex[out.keyColumn] : cols.size();
    std::map<std::string, const ColumnCheck *> checkOf;
    for (const ColumnCheck &c : checks)
        checkOf[c.column] = &c;

    Pages pages;
    if (!pages.open(damaged, examplePageSize, out.error))
        return out;
    Reader reader(pages);
    std::vector<unsigned char> buf;

    // What the file's own schema still tells: the rows' columns (its structure may be older than
    // the example's), its schema pages, the roots of its indexes.
    std::vector<SchemaRow> schema;
    std::set<std::int64_t> schemaPages = treePages(pages, reader, 1);
    for (std::int64_t p : schemaPages) {
        if (!pages.read(p, buf) || buf[p == 1 ? 100 : 0] != 13)
            continue;
        for (const Cell &c : reader.cells(buf, p)) {
            std::vector<Value> v;
            if (!c.whole || !decodeRecord(c.payload, v) || v.size() != 5)
                continue;
            schema.push_back({valueText(v[0]), valueText(v[1]), valueText(v[2]), valueText(v[4]),
                              v[3].kind == Value::Int ? v[3].i : 0});
        }
    }
    std::vector<Column> srcCols = cols;
    for (const SchemaRow &r : schema) {
        if (r.type != "table" || r.name != "data")
            continue;
        Db mem;
        sqlite3_open(":memory:", &mem.db);
        if (sqlite3_exec(mem.db, r.sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) {
            std::vector<Column> own = columnsOf(mem.db);
            if (!own.empty())
                srcCols = own;
        }
    }
    // Where each stored column goes in the fresh file (-1: a column the structure dropped).
    std::vector<long> target(srcCols.size(), -1);
    for (std::size_t i = 0; i < srcCols.size(); ++i)
        if (auto it = exampleIndex.find(srcCols[i].name); it != exampleIndex.end())
            target[i] = static_cast<long>(it->second);

    // Pages that hold no live rows: the free list.
    std::set<std::int64_t> freePages;
    for (std::int64_t trunk = pages.freelistTrunk(); trunk > 0 && !freePages.count(trunk);) {
        if (!pages.read(trunk, buf))
            break;
        freePages.insert(trunk);
        std::uint32_t n = std::min<std::uint32_t>(be32(&buf[4]), (pages.usable() - 8) / 4);
        for (std::uint32_t i = 0; i < n; ++i)
            freePages.insert(be32(&buf[8 + 4 * i]));
        trunk = be32(&buf[0]);
    }

    // The fresh file is the example file, filled.
    std::string fresh = freshName(damaged);
    fs::remove(fresh, ec);
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
    Writer writer;
    if (!writer.open(fresh, cols, out.error)) {
        discard();
        return out;
    }
    Writer rejects;
    bool rejectsOpen = false;
    auto setAside = [&](std::int64_t rowid, const std::vector<Value> &row) {
        if (!rejectsOpen) {
            out.rejectsFile = freeName(fs::path(damaged).replace_extension().string() + "-rejects.tps");
            fs::copy_file(example, out.rejectsFile, ec);
            if (!ec) {
                // The side file holds what the keys refused: no key may refuse it again.
                Db strip;
                if (sqlite3_open_v2(out.rejectsFile.c_str(), &strip.db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
                    std::vector<std::string> drops;
                    Stmt q;
                    sqlite3_prepare_v2(strip.db, "SELECT name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL",
                                       -1, &q.st, nullptr);
                    while (q.st && sqlite3_step(q.st) == SQLITE_ROW)
                        drops.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(q.st, 0)));
                    for (const std::string &d : drops)
                        sqlite3_exec(strip.db, ("DROP INDEX " + quote(d)).c_str(), nullptr, nullptr, nullptr);
                }
            }
            if (ec || !rejects.open(out.rejectsFile, cols, out.error)) {
                if (ec)
                    out.error = out.rejectsFile + ": " + ec.message();
                return false;
            }
            rejectsOpen = true;
        }
        // The side file keeps rows whose rowid came twice too.
        if (rejects.write(rowid, row) != SQLITE_DONE && rejects.write(-1 - out.refused, row) != SQLITE_DONE) {
            out.error = out.rejectsFile + ": " + sqlite3_errmsg(rejects.db());
            return false;
        }
        ++out.refused;
        return true;
    };

    // The naming key's index, read whole, holds every live row: a row it does not hold lies on a
    // page that no longer belongs to the table (freed, its deletion not yet overwritten) and
    // does not come back silently.
    std::set<std::int64_t> keyPages;
    bool keyComplete = false;
    for (const SchemaRow &r : schema)
        if (r.type == "index" && r.table == "data" && r.name == keyIndexName)
            keyPages = treePages(pages, reader, r.root, &keyComplete);
    std::unordered_set<std::int64_t> keyRowids;
    for (std::int64_t p : keyPages) {
        if (!pages.read(p, buf))
            continue;
        for (const Cell &c : reader.cells(buf, p)) {
            std::vector<Value> v;
            if (!c.whole || !decodeRecord(c.payload, v) || v.size() != 2 || v.back().kind != Value::Int) {
                keyComplete = false;
                continue;
            }
            keyRowids.insert(v.back().i);
        }
    }

    // Every table leaf page whose cells are the item table's rows, wherever the tree that led to
    // it is damaged.
    std::unordered_set<std::int64_t> kept;        // rowids in the fresh file or the side file
    kept.reserve(keyRowids.size());
    std::unordered_set<std::int64_t> unreadable;  // rowids of cells that do not decode
    std::vector<char> known(static_cast<std::size_t>(pages.totalPages()) + 1, 0);  // pages whose part is known
    std::vector<std::int64_t> indexPages;
    std::vector<Value> values;
    std::vector<Value> row(cols.size());
    for (std::int64_t p = 1; p <= pages.fullPages(); ++p) {
        if (freePages.count(p) || !pages.read(p, buf) || !Pages::btreePage(buf, p, pages.usable()))
            continue;
        known[static_cast<std::size_t>(p)] = 1;
        unsigned char type = buf[p == 1 ? 100 : 0];
        if (type == 2 || type == 10)
            indexPages.push_back(p);
        if (type != 13 || schemaPages.count(p))
            continue;
        std::vector<Cell> cells = reader.cells(buf, p);
        std::vector<std::vector<Value>> decoded(cells.size());
        std::vector<char> cut(cells.size(), 0);
        std::size_t matching = 0, records = 0;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            bool partial = false;
            bool record = decodeRecord(cells[i].payload, decoded[i], cells[i].whole ? nullptr : &partial);
            cut[i] = partial;
            records += record;
            if (record && decoded[i].size() == srcCols.size())
                ++matching;
            else
                decoded[i].clear();
        }
        if (matching == 0 && records > 0)
            continue;  // another table's page
        if (matching == 0 && !cells.empty()) {
            // A leaf page none of whose cells reads: damaged inside, its rows lost.
            known[static_cast<std::size_t>(p)] = 0;
            for (const Cell &c : cells)
                if (c.hasRowid)
                    unreadable.insert(c.rowid);
            continue;
        }
        ++out.pagesRead;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const Cell &c = cells[i];
            if (decoded[i].empty()) {
                ++out.unreadableRows;
                if (c.hasRowid)
                    unreadable.insert(c.rowid);
                continue;
            }
            // The record's checks: each value of its column's type, within its size.
            bool sound = true;
            bool garbled = cut[i] != 0;
            for (std::size_t k = 0; k < cols.size(); ++k)
                row[k] = cols[k].text ? Value{Value::Text, 0, 0, {}} : Value{Value::Int, 0, 0, {}};
            for (std::size_t k = 0; k < srcCols.size(); ++k) {
                Value &v = decoded[i][k];
                if (target[k] < 0)
                    continue;
                const Column &col = cols[static_cast<std::size_t>(target[k])];
                // The driver writes no NUL byte and nothing but UTF-8: a text holding either was
                // damaged, and keeps what comes before the damage.
                if (v.kind == Value::Text && cutAtDamage(v.bytes))
                    garbled = true;
                if (col.text ? v.kind != Value::Text : v.kind != Value::Int)
                    sound = false;
                if (auto ck = checkOf.find(col.name); ck != checkOf.end()) {
                    const ColumnCheck &chk = *ck->second;
                    if (v.kind == Value::Text && chk.maxBytes > 0 && static_cast<std::int64_t>(v.bytes.size()) > chk.maxBytes)
                        sound = false;
                    if (v.kind == Value::Int && chk.minValue < chk.maxValue && (v.i < chk.minValue || v.i > chk.maxValue))
                        sound = false;
                }
                row[static_cast<std::size_t>(target[k])] = std::move(v);
            }
            if (keyComplete && !keyRowids.count(c.rowid))
                sound = false;
            if (garbled) {
                ++out.garbled;
                out.garbledKeys.push_back(keyAt < cols.size() ? valueText(row[keyAt]) : std::to_string(c.rowid));
            }
            if (sound) {
                int w = writer.write(c.rowid, row);
                if (w == SQLITE_DONE) {
                    ++out.copied;
                    kept.insert(c.rowid);
                    continue;
                }
                if ((w & 0xFF) != SQLITE_CONSTRAINT) {
                    out.error = fresh + ": " + sqlite3_errmsg(writer.db());
                    discard();
                    return out;
                }
            }
            // A row that fails a check or breaks a unique key is kept aside, never dropped.
            if (!setAside(c.rowid, row)) {
                discard();
                return out;
            }
            kept.insert(c.rowid);
        }
    }

    if (std::find(known.begin(), known.end(), 1) == known.end()) {
        out.error = damaged + ": no page of the file can be read as a page of a record file";
        discard();
        return out;
    }
    for (std::int64_t p : reader.overflowPages())
        if (p <= pages.totalPages())
            known[static_cast<std::size_t>(p)] = 1;
    for (std::int64_t p = 1; p <= pages.totalPages(); ++p) {
        bool lockByte = p == (std::int64_t(1) << 30) / pages.pageSize() + 1;
        bool pointerMap = pages.autoVacuum() && p >= 2 && (p - 2) % (pages.usable() / 5 + 1) == 0;
        if (!known[static_cast<std::size_t>(p)] && !freePages.count(p) && !lockByte && !pointerMap)
            ++out.pagesUnreadable;
    }
    // An index read whole holds every live row and tells exactly which were lost: the naming
    // key's, else any other key's. Without one, the index entries that still read tell as many as
    // they hold, a bound.
    const std::unordered_set<std::int64_t> *live = keyComplete ? &keyRowids : nullptr;
    std::unordered_set<std::int64_t> otherRowids;
    for (const SchemaRow &r : schema) {
        if (live || r.type != "index" || r.table != "data" || r.name == keyIndexName)
            continue;
        bool whole = false;
        std::set<std::int64_t> tree = treePages(pages, reader, r.root, &whole);
        otherRowids.clear();
        for (auto p = tree.begin(); whole && p != tree.end(); ++p) {
            if (!pages.read(*p, buf)) {
                whole = false;
                break;
            }
            for (const Cell &c : reader.cells(buf, *p)) {
                std::vector<Value> v;
                if (!c.whole || !decodeRecord(c.payload, v) || v.size() < 2 || v.back().kind != Value::Int) {
                    whole = false;
                    break;
                }
                otherRowids.insert(v.back().i);
            }
        }
        if (whole)
            live = &otherRowids;
    }
    std::set<std::int64_t> lostRows;
    for (std::int64_t r : unreadable)
        if (!live || live->count(r))
            lostRows.insert(r);
    if (live) {
        for (std::int64_t r : *live)
            if (!kept.count(r))
                lostRows.insert(r);
    } else {
        // The indexes tell which rows the file held.
        for (std::int64_t p : indexPages) {
            if (!pages.read(p, buf))
                continue;
            for (const Cell &c : reader.cells(buf, p)) {
                std::vector<Value> v;
                if (c.whole && decodeRecord(c.payload, v) && v.size() >= 2 && v.back().kind == Value::Int &&
                    !kept.count(v.back().i))
                    lostRows.insert(v.back().i);
            }
        }
    }
    if (!indexPages.empty() || out.pagesUnreadable == 0)
        out.lost = static_cast<std::int64_t>(lostRows.size());
    // With every page read, no row can have gone unseen.
    out.lostExact = out.lost >= 0 && (live || (out.pagesUnreadable == 0 && out.unreadableRows == 0));
    // The naming key tells what the lost rows were.
    std::map<std::int64_t, std::string> keyOf;
    for (auto p = keyPages.begin(); !lostRows.empty() && p != keyPages.end(); ++p) {
        if (!pages.read(*p, buf))
            continue;
        for (const Cell &c : reader.cells(buf, *p)) {
            std::vector<Value> v;
            if (c.whole && decodeRecord(c.payload, v) && v.size() == 2 && v.back().kind == Value::Int &&
                lostRows.count(v.back().i))
                keyOf[v.back().i] = valueText(v[0]);
        }
    }
    for (std::int64_t r : lostRows)
        if (auto it = keyOf.find(r); it != keyOf.end())
            out.lostKeys.push_back(it->second);

    if (!writer.finish(out.error) || (rejectsOpen && !rejects.finish(out.error))) {
        discard();
        return out;
    }

    // The original keeps its bytes under a second name, then the fresh file takes its name in
    // one rename: at no moment is there no file under that name.
    out.keptAs = freeName(damaged + ".damaged");
    bool linked = stepAllowed("link") && ::link(damaged.c_str(), out.keptAs.c_str()) == 0;
    if (!linked && stepAllowed("link")) {
        // A file system without hard links: a copy does.
        fs::copy_file(damaged, out.keptAs, ec);
        linked = !ec;
    }
    if (!linked) {
        out.error = "The damaged file cannot be kept as " + out.keptAs + (ec ? ": " + ec.message() : std::string());
        fs::remove(out.keptAs, ec);
        out.keptAs.clear();
        discard();
        return out;
    }
    // A journal left beside the original belongs to it, never to the fresh file.
    if (fs::exists(damaged + "-journal", ec)) {
        if (!stepAllowed("journal")) {
            ec = std::make_error_code(std::errc::permission_denied);
        } else {
            fs::rename(damaged + "-journal", out.keptAs + "-journal", ec);
        }
        if (ec) {
            out.error = "The damaged file's journal cannot be moved aside: " + ec.message();
            fs::remove(out.keptAs, ec);
            out.keptAs.clear();
            discard();
            return out;
        }
    }
    if (!stepAllowed("rename"))
        ec = std::make_error_code(std::errc::permission_denied);
    else
        fs::rename(fresh, damaged, ec);
    if (ec) {
        out.error = "The repaired file cannot be put in place: " + ec.message();
        if (fs::exists(out.keptAs + "-journal"))
            fs::rename(out.keptAs + "-journal", damaged + "-journal", ec);
        fs::remove(out.keptAs, ec);
        out.keptAs.clear();
        discard();
        return out;
    }
    out.ok = true;
    return out;
}

std::string outcomeText(const std::string &file, const Outcome &o, std::size_t maxKeys)
{
    char when[32] = "";
    std::time_t now = std::time(nullptr);
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    std::string t = std::string(when) + " Repair of " + file + "\n";
    if (!o.ok)
        return t + "The file was not repaired: " + o.error;
    t += o.complete() ? "The file was repaired: every row was kept.\n"
                      : "The file was repaired in part: not every row could be kept.\n";
    t += "Rows salvaged: " + std::to_string(o.copied) + "\n";
    t += "Rows set aside (failed the record's checks or a unique key): " + std::to_string(o.refused);
    if (o.refused > 0)
        t += ", written to " + o.rejectsFile;
    t += "\n";
    t += "Pages unreadable: " + std::to_string(o.pagesUnreadable) + "\n";
    t += "Rows lost (unreadable): " +
         (o.lost < 0 ? std::string("unknown") : (o.lostExact ? "" : "at least ") + std::to_string(o.lost)) + "\n";
    // The rows by their unique key (by their row number in a file without one).
    auto list = [&](const std::string &rows, const std::vector<std::string> &keys) {
        t += (o.keyColumn.empty() ? std::string("Row numbers")
              : o.keyColumn == "assetnumber" ? std::string("Asset numbers")
                                             : "Values of " + o.keyColumn) +
             " of " + rows + ": ";
        std::size_t n = maxKeys ? std::min(maxKeys, keys.size()) : keys.size();
        for (std::size_t i = 0; i < n; ++i)
            t += (i ? ", " : "") + keys[i];
        if (n < keys.size())
            t += " and " + std::to_string(keys.size() - n) + " more";
        t += "\n";
    };
    if (!o.lostKeys.empty())
        list("the lost rows", o.lostKeys);
    if (o.garbled > 0) {
        t += "Rows kept with a damaged text, cut where the damage starts: " + std::to_string(o.garbled) + "\n";
        list("those rows", o.garbledKeys);
    }
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
