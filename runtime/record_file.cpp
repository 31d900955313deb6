#include "runtime/record_file.h"

#include <malloc.h>
#include <pthread.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <thread>
#include <utility>

#include "runtime/file_recovery.h"
#include "runtime/paths.h"

namespace rt {

namespace fs = std::filesystem;

namespace {

int g_lockWaitUnitMs = 1000;
int g_pageCacheKiB = kPageCacheKiB;

// A closed file's pages go back to the allocator, which keeps them for the process unless told
// to hand them back: after a large file, the memory of a list or a copy would stay held for
// good. Handing back costs a walk of the heap, so only a file that held this much does it.
constexpr int kGiveBackBytes = 8 << 20;

// Share-mode bookkeeping of the files open in this process, by path. It is never destroyed: the
// record files that are globals end after every other static, and a file left open then still
// finds the registry it has to leave.
struct OpenEntry {
    RecordFile *file;
    int mode;
};
std::map<std::string, std::vector<OpenEntry>> &openFiles()
{
    static auto *m = new std::map<std::string, std::vector<OpenEntry>>;
    return *m;
}

void forget(RecordFile *file)
{
    auto &reg = openFiles();
    for (auto it = reg.begin(); it != reg.end();) {
        auto &v = it->second;
        v.erase(std::remove_if(v.begin(), v.end(), [file](const OpenEntry &e) { return e.file == file; }), v.end());
        it = v.empty() ? reg.erase(it) : std::next(it);
    }
}

// The files whose scan holds a statement open between calls (few at a time, often none), and
// the thread that lets go of the runs nobody reads. The lock guards the list and the thread's
// state; a file's own lock is taken before it, never after, except by the watcher, which only
// tries it. Never destroyed: record files that are globals end after every other static.
struct HeldRuns {
    std::mutex lock;
    std::condition_variable wake;
    std::vector<RecordFile *> holders;
    bool watching = false;
};
HeldRuns &heldRuns()
{
    static auto *h = new HeldRuns;
    return *h;
}
void (*g_readHeldHook)() = nullptr;

// The watcher's round: a run not read from since the last round is let go at this one.
constexpr auto kUnreadRound = std::chrono::milliseconds(10);

// A held run ends after this long even while its caller keeps reading, so that a writer in
// another process waits no longer for the read lock.
constexpr std::int64_t kHoldMs = 50;
// A caller that took at most this long a row over its last run of at least kFastRun rows
// reads fast enough for its next run to be held.
std::int64_t g_fastRowNs = 20000;
constexpr int kFastRun = 64;

std::int64_t nowNs(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

std::string canonical(const std::string &path)
{
    std::error_code ec;
    fs::path p = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? path : p.string();
}

bool wantsRead(int m) { return (m & 3) != 1; }
bool wantsWrite(int m) { return (m & 3) != 0; }
bool deniesRead(int m)
{
    int s = m >> 4;
    return s == 1 || s == 3;
}
bool deniesWrite(int m)
{
    int s = m >> 4;
    return s == 1 || s == 2;
}
bool shareConflict(int existing, int wanted)
{
    return (deniesRead(existing) && wantsRead(wanted)) || (deniesWrite(existing) && wantsWrite(wanted)) ||
           (deniesRead(wanted) && wantsRead(existing)) || (deniesWrite(wanted) && wantsWrite(existing));
}

std::string quote(const std::string &ident) { return "\"" + ident + "\""; }

// Resets a statement when the scope ends, so that no statement stays active between calls:
// an active statement would hold the file's read lock and keep a write from committing.
struct StmtUse {
    sqlite3_stmt *st;
    ~StmtUse()
    {
        if (st)
            sqlite3_reset(st);
    }
};

// String columns are declared COLLATE NOCASE, so plain column references compare case-blind
// and row-value comparisons can seek in the keys (an explicit COLLATE in a row value cannot).
std::string partExpr(const TableDef &def, const KeyPart &p)
{
    return quote(TableDef::columnName(def.fields[static_cast<std::size_t>(p.field)]));
}

std::string normalizeSql(std::string s)
{
    std::string r;
    for (char c : s)
        if (c != ' ' && c != '\n' && c != '\t' && c != '"')
            r += upperChar(c);
    return r;
}

}  // namespace

void setLockWaitUnitMs(int ms) { g_lockWaitUnitMs = ms > 0 ? ms : 1; }
int lockWaitUnitMs() { return g_lockWaitUnitMs; }
int setPageCacheKiB(int kib) { return std::exchange(g_pageCacheKiB, kib > 0 ? kib : kPageCacheKiB); }

// ---------------------------------------------------------------------------------------------
// Connection

namespace {
std::atomic<std::uint64_t> g_connections{0};
}

void giveBackMemory() { ::malloc_trim(0); }

Connection::Connection(sqlite3 *db) : db_(db), id_(++g_connections)
{
    // Files attached for a transaction have schemas of their own; only the file's own rows count.
    sqlite3_update_hook(
        db_,
        [](void *self, int, const char *schema, const char *, sqlite3_int64 rowid) {
            if (std::strcmp(schema, "main") == 0) {
                auto *c = static_cast<Connection *>(self);
                ++c->writes_;
                c->lastWritten_ = rowid;
            }
        },
        this);
    // An aggregate that gathers integers into memory: one pass over the file can list positions
    // and sum totals together, without a row handed back through the API for each.
    sqlite3_create_function_v2(
        db_, "rt_collect", -1, SQLITE_UTF8 | SQLITE_DIRECTONLY, this, nullptr,
        [](sqlite3_context *ctx, int n, sqlite3_value **v) {
            auto *c = static_cast<Connection *>(sqlite3_user_data(ctx));
            if (!c->collectInto)
                return;
            for (int i = 0; i < n; ++i) {
                if (sqlite3_value_type(v[i]) != SQLITE_INTEGER)
                    c->collectedExact = false;
                c->collectInto->push_back(sqlite3_value_int64(v[i]));
            }
        },
        [](sqlite3_context *ctx) { sqlite3_result_null(ctx); }, nullptr);
}

Connection::~Connection()
{
    dropStatements();
    int cached = 0, highest = 0;
    sqlite3_db_status(db_, SQLITE_DBSTATUS_CACHE_USED, &cached, &highest, 0);
    sqlite3_close_v2(db_);
    if (cached >= kGiveBackBytes)
        giveBackMemory();
}

sqlite3_stmt *Connection::prepare(const std::string &sql)
{
    for (auto &e : cache_)
        if (e.first == sql) {
            sqlite3_reset(e.second);
            sqlite3_clear_bindings(e.second);
            return e.second;
        }
    sqlite3_stmt *st = nullptr;
    int rc = sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    if (rc != SQLITE_OK) {
        setDriverError(sqlite3_errmsg(db_), sqlite3_extended_errcode(db_));
        if (st)
            sqlite3_finalize(st);
        return nullptr;
    }
    cache_.emplace_back(sql, st);
    return st;
}

void Connection::dropStatements(std::string_view containing)
{
    releaseHeldReads();  // a held run's statement may be among those finalized
    ++generation_;
    auto it = cache_.begin();
    while (it != cache_.end()) {
        if (containing.empty() || it->first.find(containing) != std::string::npos) {
            sqlite3_finalize(it->second);
            it = cache_.erase(it);
        } else {
            ++it;
        }
    }
}

int Connection::exec(const std::string &sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); }

// ---------------------------------------------------------------------------------------------
// Schema

std::string createTableSql(const TableDef &def, const std::string &schema)
{
    std::string sql = "CREATE TABLE " + (schema == "main" ? std::string() : quote(schema) + ".") + "data (";
    bool first = true;
    for (const FieldDef &f : def.fields) {
        if (!first)
            sql += ", ";
        first = false;
        sql += quote(TableDef::columnName(f));
        sql += f.kind == FieldKind::STRING ? " TEXT COLLATE NOCASE NOT NULL DEFAULT ''" : " INTEGER NOT NULL DEFAULT 0";
    }
    if (def.memoName)
        sql += ", " + quote(def.memoColumn()) + " TEXT NOT NULL DEFAULT ''";
    sql += ")";
    return sql;
}

std::string createIndexSql(const TableDef &def, const KeyDef &key, const std::string &schema)
{
    std::string sql = key.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ";
    if (schema != "main")
        sql += quote(schema) + ".";
    sql += quote(lower(key.name)) + " ON data (";
    for (std::size_t i = 0; i < key.parts.size(); ++i) {
        if (i)
            sql += ", ";
        const FieldDef &f = def.fields[static_cast<std::size_t>(key.parts[i].field)];
        sql += partExpr(def, key.parts[i]);
        if (f.kind == FieldKind::STRING)
            sql += " COLLATE NOCASE";
        if (key.parts[i].descending)
            sql += " DESC";
    }
    sql += ")";
    return sql;
}

void setReadHeldHook(void (*hook)()) { g_readHeldHook = hook; }
std::int64_t setHeldScanRowNs(std::int64_t ns) { return std::exchange(g_fastRowNs, ns); }

void releaseHeldReads()
{
    HeldRuns &h = heldRuns();
    for (;;) {
        RecordFile *f;
        {
            std::lock_guard<std::mutex> g(h.lock);
            if (h.holders.empty())
                return;
            f = h.holders.back();
        }
        // Only this thread ends a file, so it is still there; the watcher may have let go of
        // its run meanwhile, which leaves it off the list all the same.
        f->releaseHeld();
    }
}

// A forked child has no watcher, and must not find the list locked by the parent's.
namespace {
void lockHeldRunsForFork() { heldRuns().lock.lock(); }
void unlockHeldRunsAfterFork() { heldRuns().lock.unlock(); }
void restartWatchingInChild()
{
    heldRuns().watching = false;
    heldRuns().lock.unlock();
}
}  // namespace

void RecordFile::watchHeldRuns()
{
    HeldRuns &h = heldRuns();
    std::unique_lock<std::mutex> g(h.lock);
    for (;;) {
        h.wake.wait(g, [&] { return !h.holders.empty(); });
        h.wake.wait_until(g, std::chrono::steady_clock::now() + kUnreadRound, [] { return false; });
        for (std::size_t i = h.holders.size(); i-- > 0;) {
            RecordFile *f = h.holders[i];
            // A file whose lock is taken is being read (or its run ended) right now.
            std::unique_lock<std::mutex> fl(f->heldMutex_, std::try_to_lock);
            if (!fl)
                continue;
            if (f->heldReads_ != f->heldReadsSeen_) {
                f->heldReadsSeen_ = f->heldReads_;
                continue;
            }
            if (sqlite3_stmt *st = f->held_.exchange(nullptr, std::memory_order_relaxed))
                sqlite3_reset(st);
            h.holders.erase(h.holders.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// RecordFile

RecordFile::RecordFile(const TableDef &def, void *record, std::string *memo)
    : def_(def), record_(record), memo_(memo)
{
}

// Only the file's own connection is released here, never the error state: a global file ends
// with the program, after statics it must not touch. Closing with an error code is explicit,
// before the end (DictionaryKill). A transaction lives on the stack of a running procedure, so
// one still over the file is never met at the program's end.
RecordFile::~RecordFile()
{
    releaseHeld();
    heldConn_.reset();
    if (!conn_)
        return;
    if (tx_)
        tx_->rollback();
    forget(this);
    conn_.reset();
}

int RecordFile::fail(int code)
{
    setError(code);
    return code;
}

int RecordFile::failWrite(int rc, sqlite3_stmt *st)
{
    // A broken unique key is the runtime's duplicate-key error, naming the key.
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY) {
        std::string msg = sqlite3_errmsg(connection().db());
        sqlite3_reset(st);
        dupKey_ = findViolatedKey(msg);
        return fail(err::DuplicateKey);
    }
    return failSqlite(rc, connection().db());
}

int RecordFile::failSqlite(int rc, sqlite3 *db, const char *message)
{
    int primary = rc & 0xFF;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
        noteDamagedFile(clip(name));
    if (rc == SQLITE_READONLY_ROLLBACK) {
        // Not a refusal: a crash left a write half done, and a read-only open cannot undo it.
        setDriverError("the file needs recovery", rc);
        return err::DriverError;
    }
    switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return fail(err::Locked);
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return fail(err::AccessDenied);
    case SQLITE_NOTADB:
        return fail(err::InvalidFile);
    case SQLITE_CANTOPEN:
        return fail(err::AccessDenied);
    default:
        setDriverError(message ? message : db ? sqlite3_errmsg(db) : sqlite3_errstr(rc), rc);
        return err::DriverError;
    }
}

Connection &RecordFile::connection()
{
    if (tx_)
        return tx_->connection();
    return *conn_;
}

std::string RecordFile::tableRef() const { return quote(schema_) + ".data"; }

std::uint32_t RecordFile::keyNumber(const KeyDef *key) const
{
    if (!key)
        return 0;
    for (std::size_t i = 0; i < def_.keys.size(); ++i)
        if (&def_.keys[i] == key)
            return static_cast<std::uint32_t>(i + 1);
    return ~0u;
}

template <typename Build>
sqlite3_stmt *RecordFile::statement(std::uint32_t id, Build &&build, Stmt **entry, Connection *on)
{
    if (stmtSchema_ != schema_) {
        stmts_.clear();
        stmtSchema_ = schema_;
    }
    Connection &c = on ? *on : connection();
    // Id 0: a statement over a key of another record type, built every time.
    static thread_local Stmt scratch;
    Stmt &s = id ? stmts_[id] : (scratch = Stmt{}, scratch);
    if (entry)
        *entry = &s;
    if (s.sql.empty())
        build(s);
    if (s.st && s.conn == c.id() && s.generation == c.generation()) {
        sqlite3_reset(s.st);
        return s.st;
    }
    s.st = c.prepare(s.sql);
    s.conn = c.id();
    s.generation = c.generation();
    return s.st;
}

std::string RecordFile::fieldColumns() const
{
    std::string s;
    for (const FieldDef &f : def_.fields)
        s += (s.empty() ? "" : ", ") + quote(TableDef::columnName(f));
    if (def_.memoName)
        s += ", " + quote(def_.memoColumn());
    return s;
}

std::string RecordFile::columnList() const { return "rowid, " + fieldColumns(); }

void RecordFile::decodeRow(sqlite3_stmt *st, int col, void *record, std::string *memo) const
{
    for (const FieldDef &f : def_.fields) {
        if (f.kind == FieldKind::STRING) {
            const unsigned char *t = sqlite3_column_text(st, col);
            int n = sqlite3_column_bytes(st, col);
            std::string_view cut = cutUtf8(std::string_view(t ? reinterpret_cast<const char *>(t) : "",
                                                            static_cast<std::size_t>(n)),
                                           f.size);
            auto *p = static_cast<unsigned char *>(record) + f.offset;
            std::memcpy(p, cut.data(), cut.size());
            std::memset(p + cut.size(), ' ', f.size - cut.size());
        } else if (!setFieldNumber(f, record, sqlite3_column_int64(st, col))) {
            clearField(f, record);  // a stored number out of the field's range reads as 0
        }
        ++col;
    }
    if (def_.memoName && memo) {
        const unsigned char *t = sqlite3_column_text(st, col);
        memo->assign(t ? reinterpret_cast<const char *>(t) : "", static_cast<std::size_t>(sqlite3_column_bytes(st, col)));
    }
}

namespace {
constexpr std::uint64_t textCell(std::size_t at, std::size_t len) { return std::uint64_t(at) << 32 | len; }
}  // namespace

void RecordFile::captureRow(sqlite3_stmt *st, int first)
{
    std::uint64_t *cell = batch_.cells.get() + batchLen_ * cellsPerRow();
    // The fields' texts, each cut to its field, fit in the record's size.
    batch_.reserveText(def_.recordSize);
    char *const out = batch_.text.get();
    std::size_t at = batch_.textLen;
    for (const TextCell &f : textCells_) {
        const char *t = reinterpret_cast<const char *>(sqlite3_column_text(st, first + f.column));
        std::size_t n = t ? static_cast<std::size_t>(sqlite3_column_bytes(st, first + f.column)) : 0;
        if (n > f.size)
            n = cutUtf8(std::string_view(t, n), f.size).size();
        std::memcpy(out + at, t, n);
        *cell++ = textCell(at, n);
        at += n;
    }
    for (const auto &f : numberCells_)
        *cell++ = static_cast<std::uint64_t>(sqlite3_column_int64(st, first + f.first));
    batch_.textLen = at;
    if (def_.memoName) {
        const int col = first + static_cast<int>(def_.fields.size());
        const char *t = reinterpret_cast<const char *>(sqlite3_column_text(st, col));
        const std::size_t n = t ? static_cast<std::size_t>(sqlite3_column_bytes(st, col)) : 0;
        batch_.reserveText(n);
        std::memcpy(batch_.text.get() + at, t, n);
        *cell = textCell(at, n);
        batch_.textLen += n;
    }
}

void RecordFile::Batch::reserveText(std::size_t more)
{
    if (textLen + more <= textCap)
        return;
    std::size_t cap = std::max<std::size_t>({textCap * 2, textLen + more, 4096});
    std::unique_ptr<char[]> grown(new char[cap]);
    if (textLen)
        std::memcpy(grown.get(), text.get(), textLen);
    text = std::move(grown);
    textCap = cap;
}

// The same values as decodeRow() gives for the row the cells were captured from.
void RecordFile::loadRow(std::size_t row, void *record, std::string *memo) const
{
    const std::uint64_t *cell = batch_.cells.get() + row * cellsPerRow();
    const char *text = batch_.text.get();
    auto *rec = static_cast<unsigned char *>(record);
    for (const TextCell &f : textCells_) {
        const std::uint64_t c = *cell++;
        const std::size_t len = c & 0xffffffffu;
        std::memcpy(rec + f.offset, text + (c >> 32), len);
        std::memset(rec + f.offset + len, ' ', f.size - len);
    }
    for (const auto &f : numberCells_)
        if (!setFieldNumber(*f.second, record, static_cast<std::int64_t>(*cell++)))
            clearField(*f.second, record);
    if (def_.memoName && memo)
        memo->assign(text + (*cell >> 32), *cell & 0xffffffffu);
}

void RecordFile::bindField(sqlite3_stmt *st, int param, int field, const void *record, bool copyTexts) const
{
    if (field < 0)
        return;
    const FieldDef &f = def_.fields[static_cast<std::size_t>(field)];
    if (f.kind == FieldKind::STRING) {
        std::string_view v = clipView(
            std::string_view(static_cast<const char *>(record) + f.offset, f.size));
        sqlite3_bind_text(st, param, v.data(), static_cast<int>(v.size()), copyTexts ? SQLITE_TRANSIENT : SQLITE_STATIC);
    } else {
        sqlite3_bind_int64(st, param, fieldNumber(f, record));
    }
}

// The texts are bound in place, not copied: every caller steps the statement to its end before
// the record can change, and binds the whole record again before the next step.
void RecordFile::bindRecord(sqlite3_stmt *st, int param, const void *record, const std::string *memo) const
{
    for (std::size_t i = 0; i < def_.fields.size(); ++i)
        bindField(st, param++, static_cast<int>(i), record, false);
    if (def_.memoName) {
        std::string_view m = memo ? std::string_view(*memo) : std::string_view();
        m = cutUtf8(m, def_.memoMax);
        sqlite3_bind_text(st, param, m.data(), static_cast<int>(m.size()), SQLITE_STATIC);
    }
}

std::string RecordFile::orderBy(const KeyDef *key, bool backward) const
{
    std::string s;
    if (key) {
        for (const KeyPart &p : key->parts) {
            s += partExpr(def_, p);
            s += (p.descending != backward) ? " DESC, " : ", ";
        }
    }
    s += backward ? "rowid DESC" : "rowid";
    return s;
}

std::string RecordFile::seekCondition(const KeyDef *key, bool backward, bool inclusive, bool withRowid,
                                      std::vector<int> &params) const
{
    struct Elem {
        std::string expr;
        bool desc;  // "after" means smaller
        int param;
    };
    std::vector<Elem> elems;
    if (key)
        for (const KeyPart &p : key->parts)
            elems.push_back({partExpr(def_, p), p.descending != backward, p.field});
    if (withRowid)
        elems.push_back({"rowid", backward, -1});
    if (elems.empty())
        return "1";
    bool uniform = std::all_of(elems.begin(), elems.end(), [&](const Elem &e) { return e.desc == elems[0].desc; });
    if (uniform) {
        std::string lhs, rhs;
        for (std::size_t i = 0; i < elems.size(); ++i) {
            lhs += (i ? ", " : "") + elems[i].expr;
            rhs += i ? ", ?" : "?";
            params.push_back(elems[i].param);
        }
        std::string op = elems[0].desc ? "<" : ">";
        if (inclusive)
            op += "=";
        return "(" + lhs + ") " + op + " (" + rhs + ")";
    }
    // Mixed directions: a leading range on the first component lets the index narrow the scan,
    // the expansion decides exactly.
    std::string s = "(" + elems[0].expr + (elems[0].desc ? " <= ?" : " >= ?") + " AND (";
    params.push_back(elems[0].param);
    for (std::size_t i = 0; i < elems.size(); ++i) {
        if (i)
            s += " OR ";
        s += "(";
        for (std::size_t j = 0; j < i; ++j) {
            s += elems[j].expr + " = ? AND ";
            params.push_back(elems[j].param);
        }
        s += elems[i].expr + (elems[i].desc ? " < ?" : " > ?") + ")";
        params.push_back(elems[i].param);
    }
    if (inclusive) {
        s += " OR (";
        for (std::size_t j = 0; j < elems.size(); ++j) {
            s += (j ? " AND " : "") + elems[j].expr + " = ?";
            params.push_back(elems[j].param);
        }
        s += ")";
    }
    s += "))";
    return s;
}

int RecordFile::openCount(const std::string &path)
{
    auto it = openFiles().find(canonical(path));
    return it == openFiles().end() ? 0 : static_cast<int>(it->second.size());
}

int RecordFile::open(int openMode) { return openImpl(openMode, -1, nullptr, nullptr); }

int RecordFile::openConverting(int openMode, int declaredVersion, const std::function<void()> &beforeChange,
                               const std::function<void()> &afterChange)
{
    return openImpl(openMode, declaredVersion, &beforeChange, &afterChange);
}

int RecordFile::openImpl(int openMode, int declaredVersion, const std::function<void()> *before,
                         const std::function<void()> *after)
{
    if (conn_)
        return fail(err::AlreadyOpen);
    if (def_.driver != Driver::TopSpeed)
        return fail(err::InvalidFile);
    std::string path = clip(name);
    if (path.empty())
        return fail(err::FileNotFound);
    struct stat sb {};
    if (::stat(path.c_str(), &sb) != 0) {
        if (errno == EACCES)
            return fail(err::AccessDenied);
        return fail(err::FileNotFound);
    }
    // Only a regular file is a record file: opening a FIFO waits for a writer for ever, a device
    // reads without end, and neither can hold records.
    if (!S_ISREG(sb.st_mode))
        return fail(err::AccessDenied);
    std::string key = canonical(path);
    if (auto it = openFiles().find(key); it != openFiles().end())
        for (const OpenEntry &e : it->second)
            if (shareConflict(e.mode, openMode))
                return fail(err::AccessDenied);
    bool write = wantsWrite(openMode);
    if (write) {
        std::string dir = fs::path(fs::absolute(path)).parent_path().string();
        // The rollback journal is made beside the file, so the folder must be writable too.
        if (::access(path.c_str(), W_OK) != 0 || ::access(dir.c_str(), W_OK) != 0)
            return fail(err::AccessDenied);
    } else if (::access(path.c_str(), R_OK) != 0) {
        return fail(err::AccessDenied);
    }
    // Opening may roll a journal back or bring the file's structure up to date, each of which
    // waits for the file's readers in this process.
    releaseHeldReads();
    if (write)
        removeStaleSuperJournals(path);
    else
        recoverHotJournal(path);
    sqlite3 *db = nullptr;
    int flags = (write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        int code = failSqlite(rc, db);
        sqlite3_close_v2(db);
        return code;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, (lockWait_ > 0 ? lockWait_ : 1) * g_lockWaitUnitMs);
    // The default cache of 2 MB holds a sliver of a large inventory, so every list, total and
    // scan would read its pages from the operating system again. Pages are taken only as they
    // are read, so a small file costs no more for it.
    sqlite3_exec(db, ("PRAGMA cache_size=-" + std::to_string(g_pageCacheKiB)).c_str(), nullptr, nullptr, nullptr);
    cacheKiB_ = g_pageCacheKiB;
    auto conn = std::make_shared<Connection>(db);
    conn_ = conn;
    openMode_ = openMode;
    int code = checkStructure(declaredVersion, before, after);
    if (code != 0) {
        conn_.reset();
        openMode_ = 0;
        if (code != err::DriverError)
            setError(code);
        return code;
    }
    if (write) {
        conn->exec("PRAGMA journal_mode=DELETE");
        conn->exec("PRAGMA synchronous=FULL");
    }
    openFiles()[key].push_back({this, openMode});
    path_ = key;
    seq_ = Seq::None;
    current_ = 0;
    invalidateBatch();
    clearError();
    return 0;
}

int RecordFile::checkStructure(int declaredVersion, const std::function<void()> *before,
                               const std::function<void()> *after)
{
    sqlite3 *db = conn_->db();
    // Reading the schema needs the file's read lock: a busy file shows here as locked.
    sqlite3_stmt *st = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info('data')", -1, &st, nullptr);
    if (rc != SQLITE_OK) {
        int code = failSqlite(rc, db);
        sqlite3_finalize(st);
        return code == err::DriverError && rc != SQLITE_READONLY_ROLLBACK ? err::InvalidFile : code;
    }
    std::set<std::string> columns;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        columns.insert(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        int code = failSqlite(rc, db);
        return code == err::DriverError ? err::InvalidFile : code;
    }
    if (columns.empty())
        return err::InvalidFile;
    int version = 0;
    sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &st, nullptr);
    if (sqlite3_step(st) == SQLITE_ROW)
        version = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);

    int declared = declaredVersion >= 0 ? declaredVersion : def_.version;
    std::set<std::string> expected;
    for (const FieldDef &f : def_.fields)
        expected.insert(TableDef::columnName(f));
    if (def_.memoName)
        expected.insert(def_.memoColumn());

    if (version > declared)
        return err::InvalidFile;
    if (version < declared) {
        if (declaredVersion < 0 || readOnly())
            return err::InvalidFile;
        if (before && *before)
            (*before)();
        // Bring the file to the declared structure in one transaction: a new table with the
        // declared columns, filled from the old one column by column, then the keys.
        std::string cols, exprs;
        for (const FieldDef &f : def_.fields) {
            std::string c = TableDef::columnName(f);
            cols += (cols.empty() ? "" : ", ") + quote(c);
            std::string e;
            if (columns.count(c))
                e = f.kind == FieldKind::STRING ? "RTRIM(COALESCE(CAST(" + quote(c) + " AS TEXT), ''))"
                                                : "COALESCE(CAST(" + quote(c) + " AS INTEGER), 0)";
            else
                e = f.kind == FieldKind::STRING ? "''" : "0";
            exprs += (exprs.empty() ? "" : ", ") + e;
        }
        if (def_.memoName) {
            std::string c = def_.memoColumn();
            cols += ", " + quote(c);
            exprs += columns.count(c) ? ", COALESCE(CAST(" + quote(c) + " AS TEXT), '')" : ", ''";
        }
        std::string sql = "BEGIN IMMEDIATE;";
        // Old indexes go with the old table.
        sql += "ALTER TABLE data RENAME TO data_old;";
        sql += createTableSql(def_) + ";";
        sql += "INSERT INTO data (rowid, " + cols + ") SELECT rowid, " + exprs + " FROM data_old;";
        sql += "DROP TABLE data_old;";
        for (const KeyDef &k : def_.keys)
            sql += createIndexSql(def_, k) + ";";
        sql += "PRAGMA user_version=" + std::to_string(declared) + ";";
        sql += "COMMIT;";
        rc = conn_->exec(sql);
        if (rc != SQLITE_OK) {
            int code = failSqlite(rc, db);
            conn_->exec("ROLLBACK");
            // The entry naming the file stays, so that its repair is offered at the next start.
            return code == err::Locked ? code : err::InvalidFile;
        }
        if (after && *after)
            (*after)();
        return 0;
    }
    if (columns != expected)
        return err::InvalidFile;
    // Same columns but other types or collations would order and compare differently.
    sqlite3_prepare_v2(db, "SELECT sql FROM sqlite_master WHERE type='table' AND name='data'", -1, &st, nullptr);
    std::string tableSql;
    if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
        tableSql = normalizeSql(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (tableSql != normalizeSql(createTableSql(def_)))
        return err::InvalidFile;
    // Every key must be there as declared; anything else means the keys must be rebuilt.
    std::map<std::string, std::string> indexes;
    sqlite3_prepare_v2(db, "SELECT name, sql FROM sqlite_master WHERE type='index' AND tbl_name='data'", -1, &st,
                       nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const unsigned char *s = sqlite3_column_text(st, 1);
        indexes[lower(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)))] =
            s ? normalizeSql(reinterpret_cast<const char *>(s)) : std::string();
    }
    sqlite3_finalize(st);
    for (const KeyDef &k : def_.keys) {
        auto it = indexes.find(lower(k.name));
        if (it == indexes.end() || it->second != normalizeSql(createIndexSql(def_, k)))
            return err::KeyInvalid;
    }
    return 0;
}

int RecordFile::close()
{
    if (!conn_)
        return fail(err::NotOpen);
    releaseHeld();
    heldConn_.reset();
    heldConnFailed_ = false;
    if (tx_)
        tx_->rollback();
    forget(this);
    conn_.reset();
    openMode_ = 0;
    seq_ = Seq::None;
    current_ = 0;
    invalidateBatch();
    batch_ = Batch();
    seekRow_ = -1;
    stmts_.clear();
    path_.clear();
    clearError();
    return 0;
}

int RecordFile::create()
{
    if (conn_)
        return fail(err::AlreadyOpen);
    if (def_.driver != Driver::TopSpeed)
        return fail(err::AccessDenied);
    std::string path = clip(name);
    if (path.empty())
        return fail(err::PathNotFound);
    if (openCount(path) > 0)
        return fail(err::AccessDenied);
    fs::path p = fs::absolute(path);
    std::error_code ec;
    if (!fs::is_directory(p.parent_path(), ec))
        return fail(err::PathNotFound);
    // Build the new file beside the old one and move it into place, so that a failed create
    // never leaves half a file under the real name.
    std::string tmp = path + ".create";
    fs::remove(tmp, ec);
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(tmp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        fs::remove(tmp, ec);
        return fail(errno == EACCES || rc == SQLITE_CANTOPEN ? err::AccessDenied : err::DriverError);
    }
    std::string sql = "PRAGMA journal_mode=DELETE; BEGIN;" + createTableSql(def_) + ";";
    for (const KeyDef &k : def_.keys)
        sql += createIndexSql(def_, k) + ";";
    sql += "PRAGMA user_version=" + std::to_string(def_.version) + "; COMMIT;";
    rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    int code = rc == SQLITE_OK ? 0 : failSqlite(rc, db);
    sqlite3_close_v2(db);
    if (code == 0) {
        fs::remove(path + "-journal", ec);
        fs::rename(tmp, path, ec);
        if (ec)
            code = fail(err::AccessDenied);
    }
    if (code != 0) {
        fs::remove(tmp, ec);
        return code;
    }
    clearError();
    return 0;
}

std::int64_t RecordFile::records()
{
    if (!conn_) {
        fail(err::NotOpen);
        return 0;
    }
    sqlite3_stmt *st = connection().prepare("SELECT count(*) FROM " + tableRef());
    if (!st)
        return 0;
    StmtUse use{st};
    int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW) {
        failSqlite(rc, connection().db());
        return 0;
    }
    clearError();
    return sqlite3_column_int64(st, 0);
}

void RecordFile::rememberPosition()
{
    seekRecord_.assign(static_cast<unsigned char *>(record_), static_cast<unsigned char *>(record_) + def_.recordSize);
    seekRow_ = -1;
    seekRowid_ = current_;
}

int RecordFile::get(const KeyDef &key)
{
    if (!conn_)
        return fail(err::NotOpen);
    std::uint32_t k = keyNumber(&key);
    sqlite3_stmt *st = statement(k == ~0u ? 0 : StmtGet << 24 | k, [&](Stmt &s) {
        s.sql = "SELECT " + columnList() + " FROM " + tableRef() + " WHERE ";
        for (std::size_t i = 0; i < key.parts.size(); ++i)
            s.sql += (i ? " AND " : "") + partExpr(def_, key.parts[i]) + " = ?";
        s.sql += " ORDER BY rowid LIMIT 1";
    });
    if (!st)
        return err::DriverError;
    StmtUse use{st};
    for (std::size_t i = 0; i < key.parts.size(); ++i)
        bindField(st, static_cast<int>(i) + 1, key.parts[i].field, record_);
    int rc = sqlite3_step(st);
    if (rc == SQLITE_DONE)
        return fail(err::RecordNotFound);
    if (rc != SQLITE_ROW)
        return failSqlite(rc, connection().db());
    current_ = sqlite3_column_int64(st, 0);
    decodeRow(st, 1, record_, memo_);
    clearError();
    return 0;
}

int RecordFile::readPosition(std::int64_t pos, void *record, std::string *memo)
{
    if (!conn_)
        return fail(err::NotOpen);
    sqlite3_stmt *st = statement(StmtGet << 24 | 0xFFFF,
                                 [&](Stmt &s) { s.sql = "SELECT " + columnList() + " FROM " + tableRef() + " WHERE rowid = ?"; });
    if (!st)
        return err::DriverError;
    StmtUse use{st};
    sqlite3_bind_int64(st, 1, pos);
    int rc = sqlite3_step(st);
    if (rc == SQLITE_DONE)
        return fail(err::RecordNotFound);
    if (rc != SQLITE_ROW)
        return failSqlite(rc, connection().db());
    decodeRow(st, 1, record, memo);
    clearError();
    return 0;
}

int RecordFile::getPosition(std::int64_t pos)
{
    int code = readPosition(pos, record_, memo_);
    if (code == 0)
        current_ = pos;
    return code;
}

std::int64_t RecordFile::countEqual(int field, std::string_view value)
{
    if (!conn_) {
        fail(err::NotOpen);
        return 0;
    }
    KeyPart part{field, false};
    sqlite3_stmt *st =
        connection().prepare("SELECT count(*) FROM " + tableRef() + " WHERE " + partExpr(def_, part) + " = ?");
    if (!st)
        return 0;
    StmtUse use{st};
    std::string_view v = clipView(value);
    sqlite3_bind_text(st, 1, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW) {
        failSqlite(rc, connection().db());
        return 0;
    }
    clearError();
    return sqlite3_column_int64(st, 0);
}

int RecordFile::replaceValue(int field, std::string_view from, std::string_view to)
{
    if (!conn_)
        return fail(err::NotOpen);
    if (readOnly())
        return fail(err::AccessDenied);
    releaseReadsBeforeWrite();
    const FieldDef &f = def_.fields[static_cast<std::size_t>(field)];
    KeyPart part{field, false};
    sqlite3_stmt *st = connection().prepare("UPDATE " + tableRef() + " SET " + quote(TableDef::columnName(f)) +
                                            " = ? WHERE " + partExpr(def_, part) + " = ?");
    if (!st)
        return err::DriverError;
    StmtUse use{st};
    std::string_view t = clipView(cutUtf8(to, f.size));
    std::string_view v = clipView(from);
    sqlite3_bind_text(st, 1, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE) {
        return failWrite(rc, st);
    }
    invalidateBatch(true);
    clearError();
    return 0;
}

// Attaches the file to the connection under `alias`: its rows are then read and written by the
// connection's own statements.
int RecordFile::attachTo(Connection &c, const std::string &alias)
{
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(c.db(), ("ATTACH DATABASE ? AS " + quote(alias)).c_str(), -1, &st, nullptr);
    std::string path = clip(name);
    sqlite3_bind_text(st, 1, path.c_str(), -1, SQLITE_TRANSIENT);
    int rc = sqlite3_step(st);
    sqlite3_finalize(st);
    return rc == SQLITE_DONE ? 0 : failSqlite(rc, c.db());
}

int RecordFile::attachSnapshotTo(Connection &c, const std::string &alias)
{
    // An empty name is a database of the connection's own, in a file of the system's temporary
    // folder that no other program sees and that is gone once detached, even after a crash.
    int rc = c.exec("ATTACH DATABASE '' AS " + quote(alias));
    if (rc != SQLITE_OK)
        return failSqlite(rc, c.db());
    sqlite3_backup *b = sqlite3_backup_init(c.db(), alias.c_str(), connection().db(), "main");
    if (!b) {
        int code = failSqlite(sqlite3_extended_errcode(c.db()), c.db());
        c.exec("DETACH DATABASE " + quote(alias));
        return code;
    }
    // All pages in one step: a write by another program between steps would start it over.
    rc = sqlite3_backup_step(b, -1);
    const int finished = sqlite3_backup_finish(b);
    if (rc == SQLITE_DONE)
        rc = finished;
    if (rc != SQLITE_OK) {
        int code = failSqlite(rc, c.db());
        c.exec("DETACH DATABASE " + quote(alias));
        return code;
    }
    return 0;
}

namespace {
// Statements of a bulk copy, finalized before the source file is detached.
struct OwnedStmt {
    sqlite3_stmt *st = nullptr;
    ~OwnedStmt() { sqlite3_finalize(st); }
};
// Records per statement of a bulk copy: small enough for a progress display to move, large
// enough that the statements' own cost does not show.
constexpr int kCopyChunk = 500;
}  // namespace

// One addCopiesOf() under way: the files, the order's key in this file's fields, and the first
// failure, after which every step is skipped but the rollback.
struct RecordFile::Copy {
    Copy(RecordFile &to, RecordFile &from, KeyDef mine, const std::vector<int> &changing)
        : to(to), from(from), c(*to.conn_), db(c.db()), mine(std::move(mine)), changing(changing)
    {
    }
    RecordFile &to, &from;
    Connection &c;
    sqlite3 *db;
    KeyDef mine;
    const std::vector<int> &changing;
    int code = 0;

    std::string column(int field) const
    {
        return quote(TableDef::columnName(to.def_.fields[static_cast<std::size_t>(field)]));
    }
    // The copy writes to this file and only reads the other: damage found is the other's.
    void sqlFail(int rc)
    {
        if (!code)
            code = ((rc & 0xFF) == SQLITE_CORRUPT || (rc & 0xFF) == SQLITE_NOTADB ? from : to).failSqlite(rc, db);
    }
    bool prepare(OwnedStmt &s, const std::string &sql)
    {
        int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &s.st, nullptr);
        if (rc != SQLITE_OK)
            sqlFail(rc);
        return rc == SQLITE_OK;
    }
};

int RecordFile::addCopiesOf(RecordFile &from, const KeyDef &order, const std::vector<int> &changing,
                            const std::function<void(std::int64_t position)> &change,
                            const std::function<void()> &progress)
{
    releaseHeldReads();
    KeyDef mine{};
    if (int code = attachCopySource(from, order, changing, mine))
        return code;
    Copy copy(*this, from, std::move(mine), changing);
    std::string keyColumns, changedColumns;
    for (std::size_t k = 0; k < copy.mine.parts.size(); ++k)
        keyColumns += (k ? ", rt_k" : "rt_k") + std::to_string(k);
    for (std::size_t k = 0; k < changing.size(); ++k)
        changedColumns += ", rt_c" + std::to_string(k);
    // A deferred start: the source is only read, so it is locked against writers (not readers)
    // for the copy's span, and never written.
    int rc = copy.c.exec("CREATE TEMP TABLE rt_changes (" + keyColumns + changedColumns + ")");
    if (rc == SQLITE_OK)
        rc = copy.c.exec("BEGIN");
    if (rc != SQLITE_OK)
        copy.sqlFail(rc);
    if (!copy.code && !changing.empty())
        keepChanges(copy, change);
    if (!copy.code)
        refuseUnnumbered(copy);
    if (!copy.code)
        copyInRuns(copy, progress);
    if (!copy.code && !changing.empty())
        putChanges(copy);
    return endCopy(copy);
}

// The refusals, then `from` attached as rt_from. `mine` gets the order's key in this file's fields.
int RecordFile::attachCopySource(RecordFile &from, const KeyDef &order, const std::vector<int> &changing,
                                 KeyDef &mine)
{
    if (!conn_ || !from.conn_)
        return fail(err::NotOpen);
    if (readOnly())
        return fail(err::AccessDenied);
    if (tx_ || from.tx_) {
        setDriverError("a transaction is already running on " + (tx_ ? name : from.name), 0);
        return err::DriverError;
    }
    // Every field is read from the source column of its name.
    for (const FieldDef &f : def_.fields) {
        int i = from.def_.fieldIndex(f.name);
        if (i < 0 || from.def_.fields[static_cast<std::size_t>(i)].kind != f.kind) {
            setDriverError(from.name + " has no field " + f.name + " of " + name, 0);
            return err::DriverError;
        }
    }
    if ((def_.memoName != nullptr) != (from.def_.memoName != nullptr)) {
        setDriverError(from.name + " and " + name + " differ in their memo", 0);
        return err::DriverError;
    }
    // The order's values name a record of either file: each run of the copy goes on from the
    // last copy's, and the changed values find their copy by them.
    if (!order.unique) {
        setDriverError(std::string("a copy in the order of ") + order.name + " needs a key without duplicates", 0);
        return err::DriverError;
    }
    mine = KeyDef{order.name, {}, true};
    for (const KeyPart &p : order.parts) {
        int f = def_.fieldIndex(from.def_.fields[static_cast<std::size_t>(p.field)].name);
        if (std::find(changing.begin(), changing.end(), f) != changing.end()) {
            setDriverError(std::string("a copy cannot change the field ") + def_.fields[static_cast<std::size_t>(f)].name +
                               " of its order",
                           0);
            return err::DriverError;
        }
        mine.parts.push_back({f, p.descending});
    }
    return from.attachSnapshotTo(*conn_, "rt_from");
}

// The changing records, in order, through `change` into the table of changed values.
void RecordFile::keepChanges(Copy &copy, const std::function<void(std::int64_t position)> &change)
{
    OwnedStmt scan, keep;
    std::string where, params;
    for (int i : copy.changing) {
        where += (where.empty() ? "" : " OR ") + copy.column(i) +
                 (def_.fields[static_cast<std::size_t>(i)].kind == FieldKind::STRING ? " <> ''" : " <> 0");
    }
    for (std::size_t k = 0; k < copy.mine.parts.size() + copy.changing.size(); ++k)
        params += k ? ", ?" : "?";
    if (!copy.prepare(scan, "SELECT " + columnList() + " FROM rt_from.data WHERE " + where + " ORDER BY " +
                                orderBy(&copy.mine, false)) ||
        !copy.prepare(keep, "INSERT INTO temp.rt_changes VALUES (" + params + ")"))
        return;
    int rc;
    while ((rc = sqlite3_step(scan.st)) == SQLITE_ROW) {
        decodeRow(scan.st, 1, record_, nullptr);
        change(sqlite3_column_int64(scan.st, 0));
        sqlite3_reset(keep.st);
        int n = 1;
        for (const KeyPart &p : copy.mine.parts)
            bindField(keep.st, n++, p.field, record_);
        for (int f : copy.changing)
            bindField(keep.st, n++, f, record_);
        if ((rc = sqlite3_step(keep.st)) != SQLITE_DONE)
            break;
    }
    if (rc != SQLITE_DONE)
        copy.sqlFail(rc);
}

// A record of the source without its auto-number fails the copy: add() would number it anew.
void RecordFile::refuseUnnumbered(Copy &copy)
{
    const KeyDef *autoKey = def_.autoNumberKey();
    OwnedStmt zero;
    if (!autoKey ||
        !copy.prepare(zero, "SELECT 1 FROM rt_from.data WHERE " + copy.column(autoKey->parts[0].field) + " = 0 LIMIT 1"))
        return;
    int rc = sqlite3_step(zero.st);
    if (rc == SQLITE_ROW) {
        setDriverError(copy.from.name + " holds records without a number", 0);
        copy.code = err::DriverError;
    } else if (rc != SQLITE_DONE) {
        copy.sqlFail(rc);
    }
}

// Every record, a run at a time, each run going on from the last copy's key values with a seek
// in the order's index. OR FAIL spares each run a statement journal: a failed run rolls the
// whole copy back anyway.
void RecordFile::copyInRuns(Copy &copy, const std::function<void()> &progress)
{
    std::vector<int> seekParams;
    const std::string seek = seekCondition(&copy.mine, false, false, false, seekParams);
    const std::string cols = fieldColumns();
    const std::string head = "INSERT OR FAIL INTO main.data (" + cols + ") SELECT " + cols + " FROM rt_from.data";
    const std::string tail = " ORDER BY " + orderBy(&copy.mine, false) + " LIMIT " + std::to_string(kCopyChunk);
    OwnedStmt start, after, read;
    if (!copy.prepare(start, head + tail) || !copy.prepare(after, head + " WHERE " + seek + tail) ||
        !copy.prepare(read, "SELECT " + columnList() + " FROM main.data WHERE rowid = ?"))
        return;
    for (sqlite3_stmt *st = start.st;; st = after.st) {
        if (int rc = sqlite3_step(st); rc != SQLITE_DONE) {
            copy.sqlFail(rc);
            return;
        }
        sqlite3_reset(st);
        if (sqlite3_changes(copy.db) == 0)
            return;
        // The last copy holds the key values to go on from, and is the one to show.
        std::int64_t last = sqlite3_last_insert_rowid(copy.db);
        sqlite3_bind_int64(read.st, 1, last);
        if (int rc = sqlite3_step(read.st); rc != SQLITE_ROW) {
            copy.sqlFail(rc == SQLITE_DONE ? SQLITE_CORRUPT : rc);
            return;
        }
        decodeRow(read.st, 1, record_, memo_);
        sqlite3_reset(read.st);
        current_ = last;
        if (progress)
            progress();
        for (std::size_t i = 0; i < seekParams.size(); ++i)
            bindField(after.st, static_cast<int>(i) + 1, seekParams[i], record_);
    }
}

// The changed values onto their copies, found by the order's key values, in one statement.
void RecordFile::putChanges(Copy &copy)
{
    std::string match, set;
    for (std::size_t k = 0; k < copy.mine.parts.size(); ++k)
        match += (k ? " AND main.data." : "main.data.") + copy.column(copy.mine.parts[k].field) + " = c.rt_k" +
                 std::to_string(k);
    for (std::size_t k = 0; k < copy.changing.size(); ++k)
        set += (k ? ", " : "") + copy.column(copy.changing[k]) + " = c.rt_c" + std::to_string(k);
    if (int rc = copy.c.exec("UPDATE main.data SET " + set + " FROM temp.rt_changes AS c WHERE " + match);
        rc != SQLITE_OK)
        copy.sqlFail(rc);
}

// Commits what the steps did, or rolls all of it back after the first failure; either way the
// source is let go.
int RecordFile::endCopy(Copy &copy)
{
    if (!copy.code)
        if (int rc = copy.c.exec("COMMIT"); rc != SQLITE_OK)
            copy.sqlFail(rc);
    if (copy.code)
        copy.c.exec("ROLLBACK");
    copy.c.exec("DROP TABLE IF EXISTS temp.rt_changes");
    copy.c.exec("DETACH DATABASE rt_from");
    invalidateBatch(true);
    if (copy.code)
        return copy.code;
    clearError();
    return 0;
}

void RecordFile::invalidateBatch(bool afterWrite)
{
    releaseHeld();
    batchLen_ = 0;
    batchPos_ = 0;
    batchExhausted_ = false;
    batchBackward_ = false;
    runRows_ = 0;
    // A loop that writes after every read would throw most of a large batch away each time.
    batchSize_ = afterWrite ? 4 : 16;
}

void RecordFile::releaseHeld()
{
    // Only this thread starts a run: one seen ended stays ended.
    if (!held_.load(std::memory_order_relaxed))
        return;
    std::lock_guard<std::mutex> l(heldMutex_);
    letGoOfRun();
}

void RecordFile::letGoOfRun()
{
    sqlite3_stmt *st = held_.exchange(nullptr, std::memory_order_relaxed);
    if (!st)
        return;
    sqlite3_reset(st);
    HeldRuns &h = heldRuns();
    std::lock_guard<std::mutex> g(h.lock);
    h.holders.erase(std::remove(h.holders.begin(), h.holders.end(), this), h.holders.end());
}

void RecordFile::releaseReadsBeforeWrite()
{
    // Another file's run over this one holds the read lock the write waits for; this file's own
    // run would go on reading while its rows change under it.
    std::vector<RecordFile *> holding;
    {
        std::lock_guard<std::mutex> g(heldRuns().lock);
        holding = heldRuns().holders;
    }
    for (RecordFile *f : holding)
        if (f == this || f->path_ == path_ || &f->connection() == &connection())
            f->releaseHeld();
}

Connection *RecordFile::heldConnection()
{
    if (heldConn_ || heldConnFailed_)
        return heldConn_.get();
    // The file as this file's connection opened it, with the same access: a journal left by a
    // crash is rolled back here as there.
    const char *file = sqlite3_db_filename(conn_->db(), "main");
    sqlite3 *db = nullptr;
    int flags = (readOnly() ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (!file || !*file || sqlite3_open_v2(file, &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        heldConnFailed_ = true;
        return nullptr;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, (lockWait_ > 0 ? lockWait_ : 1) * g_lockWaitUnitMs);
    sqlite3_exec(db, ("PRAGMA cache_size=-" + std::to_string(cacheKiB_)).c_str(), nullptr, nullptr, nullptr);
    heldConn_ = std::make_unique<Connection>(db);
    return heldConn_.get();
}

int RecordFile::setFileOrder()
{
    if (!conn_)
        return fail(err::NotOpen);
    seq_ = Seq::File;
    seqKey_ = nullptr;
    seekOpen_ = true;
    invalidateBatch();
    clearError();
    return 0;
}

int RecordFile::set(const KeyDef &key, bool fromBuffer)
{
    if (!conn_)
        return fail(err::NotOpen);
    seq_ = Seq::Key;
    seqKey_ = &key;
    invalidateBatch();
    if (fromBuffer) {
        seekRecord_.assign(static_cast<unsigned char *>(record_),
                           static_cast<unsigned char *>(record_) + def_.recordSize);
        seekRow_ = -1;
        seekOpen_ = false;
        seekInclusive_ = true;
        seekRowid_ = 0;
        fromBuffer_ = true;
    } else {
        seekOpen_ = true;
        fromBuffer_ = false;
    }
    clearError();
    return 0;
}

int RecordFile::setPosition(const KeyDef *key, std::int64_t pos)
{
    if (!conn_)
        return fail(err::NotOpen);
    std::vector<unsigned char> save(static_cast<unsigned char *>(record_),
                                    static_cast<unsigned char *>(record_) + def_.recordSize);
    std::string saveMemo = memo_ ? *memo_ : std::string();
    int code = getPosition(pos);
    if (code != 0)
        return code;
    seq_ = key ? Seq::Key : Seq::File;
    seqKey_ = key;
    invalidateBatch();
    rememberPosition();
    seekOpen_ = false;
    seekInclusive_ = true;
    fromBuffer_ = false;
    std::memcpy(record_, save.data(), save.size());
    if (memo_)
        *memo_ = saveMemo;
    clearError();
    return 0;
}

// Binds the position to seek from (the seek record's fields, -1 for the rowid) to the first
// parameters; returns the number of the next one.
int RecordFile::bindSeek(sqlite3_stmt *st, const std::vector<int> &params) const
{
    int n = 1;
    for (int f : params) {
        if (f < 0)
            sqlite3_bind_int64(st, n, seekRowid_);
        else
            bindField(st, n, f, seekRecord_.data());
        ++n;
    }
    return n;
}

int RecordFile::fetch(bool backward)
{
    const bool open = seekOpen_;
    const bool fileOrder = seq_ == Seq::File;
    const bool inclusive = !open && seekInclusive_;
    const bool withRowid = !open && (fileOrder || !fromBuffer_ || seekRowid_ != 0);
    const std::uint32_t k = fileOrder ? 0 : keyNumber(seqKey_);
    // The rows of this batch overwrite those of the last one, the seek's among them.
    if (seekRow_ >= 0) {
        seekRecord_.resize(def_.recordSize);
        loadRow(static_cast<std::size_t>(seekRow_), seekRecord_.data(), nullptr);
        seekRow_ = -1;
    }
    const std::int64_t now = nowNs(CLOCK_MONOTONIC);
    const bool fast = runRows_ >= kFastRun && now - runStart_ <= runRows_ * g_fastRowNs;
    runRows_ = 0;
    runStart_ = now;
    batchLen_ = 0;
    batchPos_ = 0;
    batchBackward_ = backward;
    // Only a run after a row returned: a seek from the buffer's values stays a batch. A run
    // reads what is committed, so none is held while this file's connection has a transaction
    // open.
    if (fast && !open && !inclusive && withRowid && k != ~0u && !tx_ && sqlite3_get_autocommit(conn_->db())) {
        std::unique_lock<std::mutex> l(heldMutex_);
        if (heldConnection()) {
            heldBackward_ = backward;
            heldKeyBytes_.clear();
            if (!fileOrder)
                for (const KeyPart &p : seqKey_->parts) {
                    const FieldDef &f = def_.fields[static_cast<std::size_t>(p.field)];
                    heldKeyBytes_.emplace_back(f.offset, f.size);
                }
            seekRecord_.resize(def_.recordSize);
            heldSince_ = nowNs(CLOCK_MONOTONIC_COARSE);
            const int code = startPhase(static_cast<int>(heldKeyBytes_.size()));
            l.unlock();
            if (code == 0 && g_readHeldHook)
                g_readHeldHook();
            return code;
        }
    }
    const std::uint32_t id = k == ~0u ? 0
                                      : StmtFetch << 24 | k << 8 | (backward ? 1u : 0u) | (open ? 2u : 0u) |
                                            (inclusive ? 4u : 0u) | (withRowid ? 8u : 0u) | (fileOrder ? 16u : 0u);
    Stmt *entry = nullptr;
    sqlite3_stmt *st = statement(id, [&](Stmt &s) {
        std::string where;
        if (!open) {
            if (fileOrder) {
                where = std::string("rowid ") + (backward ? "<" : ">") + (inclusive ? "= ?" : " ?");
                s.params.push_back(-1);
            } else {
                where = seekCondition(seqKey_, backward, inclusive, withRowid, s.params);
            }
        }
        s.sql = "SELECT " + columnList() + " FROM " + tableRef() + (where.empty() ? "" : " WHERE " + where) +
                " ORDER BY " + orderBy(fileOrder ? nullptr : seqKey_, backward) + " LIMIT ?";
    }, &entry);
    if (!st)
        return err::DriverError;
    StmtUse use{st};
    sqlite3_bind_int(st, bindSeek(st, entry->params), batchSize_);
    // Laid out at the first read, not when the file is made: a file that is a global is made
    // before its record type's table may be.
    if (textCells_.empty() && numberCells_.empty())
        for (std::size_t i = 0; i < def_.fields.size(); ++i) {
            const FieldDef &f = def_.fields[i];
            if (f.kind == FieldKind::STRING)
                textCells_.push_back({static_cast<int>(i), f.offset, f.size});
            else
                numberCells_.push_back({static_cast<int>(i), &f});
        }
    batch_.rowids.clear();
    batch_.textLen = 0;
    if (const std::size_t cells = static_cast<std::size_t>(batchSize_) * cellsPerRow(); batch_.cellCap < cells) {
        batch_.cells.reset(new std::uint64_t[cells]);
        batch_.cellCap = cells;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        batch_.rowids.push_back(sqlite3_column_int64(st, 0));
        captureRow(st, 1);
        ++batchLen_;
    }
    if (rc != SQLITE_DONE) {
        batchLen_ = 0;
        return failSqlite(rc, connection().db());
    }
    batchExhausted_ = static_cast<int>(batchLen_) < batchSize_;
    batchSize_ = std::min(batchSize_ * 4, 1024);
    return 0;
}

// A held run reads "after the last row" as the key's own ranges, each of which SQLite seeks
// in the key's index and then walks without a test per row (the one condition over the key's
// values and the position, which a batch uses, is tested again on every row): phase i takes
// the rows whose first i parts equal the last row's and whose next part comes after its, and
// phase n (all parts equal) those whose position comes after. Phases run from n down to 0.
int RecordFile::startPhase(int phase)
{
    const bool backward = heldBackward_;
    const bool fileOrder = seq_ == Seq::File;
    const std::uint32_t k = fileOrder ? 0 : keyNumber(seqKey_);
    const int parts = static_cast<int>(heldKeyBytes_.size());
    Stmt *entry = nullptr;
    sqlite3_stmt *st = statement(StmtHeld << 24 | k << 8 | std::uint32_t(phase) << 1 | (backward ? 1u : 0u), [&](Stmt &s) {
        std::string where;
        for (int i = 0; i <= phase && i <= parts; ++i) {
            where += i ? " AND " : "";
            if (i == parts) {
                where += std::string("rowid ") + (backward ? "< ?" : "> ?");
                s.params.push_back(-1);
                break;
            }
            const KeyPart &p = seqKey_->parts[static_cast<std::size_t>(i)];
            where += partExpr(def_, p) + (i < phase ? " = ?" : (p.descending != backward ? " < ?" : " > ?"));
            s.params.push_back(p.field);
        }
        s.sql = "SELECT " + columnList() + " FROM " + tableRef() + " WHERE " + where + " ORDER BY " +
                orderBy(fileOrder ? nullptr : seqKey_, backward);
    }, &entry, heldConn_.get());
    if (!st)
        return err::DriverError;
    bindSeek(st, entry->params);
    heldPhase_ = phase;
    heldRows_ = 0;
    ++heldReads_;
    HeldRuns &h = heldRuns();
    std::lock_guard<std::mutex> g(h.lock);
    held_.store(st, std::memory_order_relaxed);
    h.holders.push_back(this);
    // The watcher resets statements from its own thread, which an SQLite built without threads
    // does not allow. Without a watcher the runs still end at the event loop's wait.
    if (!h.watching && sqlite3_threadsafe()) {
        try {
            std::thread(&RecordFile::watchHeldRuns).detach();
            h.watching = true;
            static const bool forkSafe =
                (pthread_atfork(lockHeldRunsForFork, unlockHeldRunsAfterFork, restartWatchingInChild), true);
            (void)forkSafe;
        } catch (const std::system_error &) {
        }
    }
    if (h.holders.size() == 1)
        h.wake.notify_one();
    return 0;
}

// One row of a held run straight into the record buffer: 0 with a row, 1 when the run has
// ended (the batch state then says whether the sequence has more), or an error code.
int RecordFile::stepHeld()
{
    std::unique_lock<std::mutex> l(heldMutex_);
    sqlite3_stmt *st;
    for (;;) {
        // Let go of while the caller was away: the next run starts after the last row.
        st = held_.load(std::memory_order_relaxed);
        if (!st)
            return 1;
        // A statement another call reset would start again from the top: start the next run
        // after the last row instead, as after any release.
        const int rc = sqlite3_stmt_busy(st) || heldRows_ == 0 ? sqlite3_step(st) : SQLITE_ABORT;
        if (rc == SQLITE_ROW)
            break;
        if (rc == SQLITE_DONE && heldPhase_ > 0) {
            // The next range starts after the same last row: the seek values are unchanged.
            letGoOfRun();
            if (int code = startPhase(heldPhase_ - 1))
                return code;
            continue;
        }
        const bool ended = rc == SQLITE_DONE || rc == SQLITE_ABORT;
        const std::string why = ended ? std::string() : sqlite3_errmsg(heldConn_->db());
        batchExhausted_ = rc == SQLITE_DONE;
        letGoOfRun();
        l.unlock();
        // Told outside the run's lock: whoever hears of damage may read the file again.
        return ended ? 1 : failSqlite(rc, nullptr, why.c_str());
    }
    ++heldReads_;
    decodeRow(st, 1, record_, memo_);
    current_ = sqlite3_column_int64(st, 0);
    auto *rec = static_cast<const unsigned char *>(record_);
    for (const auto &[at, size] : heldKeyBytes_)
        std::memcpy(seekRecord_.data() + at, rec + at, size);
    ++runRows_;
    if ((++heldRows_ & 255) == 0 && nowNs(CLOCK_MONOTONIC_COARSE) - heldSince_ > kHoldMs * 1000000)
        letGoOfRun();
    return 0;
}

int RecordFile::step(bool backward)
{
    if (!conn_)
        return fail(err::NotOpen);
    if (seq_ == Seq::None)
        return fail(err::NoRecord);
    if (held_ && heldBackward_ != backward)
        releaseHeld();
    if (batchBackward_ != backward)
        invalidateBatch();  // direction changed: go on from the last record returned
    for (;;) {
        if (held_) {
            const int code = stepHeld();
            if (code == 1)
                continue;
            if (code != 0)
                return code;
            seekRow_ = -1;
            break;
        }
        if (batchPos_ < batchLen_) {
            const std::size_t row = batchPos_++;
            loadRow(row, record_, memo_);
            current_ = batch_.rowids[row];
            seekRow_ = static_cast<std::ptrdiff_t>(row);
            ++runRows_;
            break;
        }
        if (batchExhausted_)
            return fail(err::NoRecord);
        if (int code = fetch(backward))
            return code;
        if (!held_ && batchLen_ == 0) {
            batchExhausted_ = true;
            return fail(err::NoRecord);
        }
    }
    seekRowid_ = current_;
    seekInclusive_ = false;
    seekOpen_ = false;
    fromBuffer_ = false;
    clearError();
    return 0;
}

int RecordFile::next() { return step(false); }
int RecordFile::previous() { return step(true); }

std::int64_t RecordFile::nextAutoNumber(const KeyDef &k)
{
    const FieldDef &f = def_.fields[static_cast<std::size_t>(k.parts[0].field)];
    std::uint32_t n = keyNumber(&k);
    sqlite3_stmt *st = statement(n == ~0u ? 0 : StmtAdd << 24 | n, [&](Stmt &s) {
        s.sql = "SELECT COALESCE(MAX(" + quote(TableDef::columnName(f)) + "), 0) + 1 FROM " + tableRef();
    });
    if (!st)
        return 0;
    StmtUse use{st};
    if (sqlite3_step(st) != SQLITE_ROW)
        return 0;
    return sqlite3_column_int64(st, 0);
}

const KeyDef *RecordFile::findViolatedKey(const std::string &message)
{
    // SQLite names the columns: "UNIQUE constraint failed: data.a, data.b".
    std::size_t colon = message.find(": ");
    std::set<std::string> cols;
    if (colon != std::string::npos) {
        std::string rest = message.substr(colon + 2);
        std::size_t pos = 0;
        while (pos < rest.size()) {
            std::size_t comma = rest.find(", ", pos);
            std::string item = rest.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
            std::size_t dot = item.rfind('.');
            cols.insert(lower(dot == std::string::npos ? item : item.substr(dot + 1)));
            if (comma == std::string::npos)
                break;
            pos = comma + 2;
        }
    }
    for (const KeyDef &k : def_.keys) {
        if (!k.unique)
            continue;
        std::set<std::string> kc;
        for (const KeyPart &p : k.parts)
            kc.insert(TableDef::columnName(def_.fields[static_cast<std::size_t>(p.field)]));
        if (kc == cols)
            return &k;
    }
    for (const KeyDef &k : def_.keys)
        if (k.unique && wouldDuplicate(k))
            return &k;
    return nullptr;
}

bool RecordFile::wouldDuplicate(const KeyDef &key)
{
    if (!conn_)
        return false;
    std::string sql = "SELECT 1 FROM " + tableRef() + " WHERE ";
    for (std::size_t i = 0; i < key.parts.size(); ++i)
        sql += (i ? " AND " : "") + partExpr(def_, key.parts[i]) + " = ?";
    sql += " AND rowid <> ? LIMIT 1";
    sqlite3_stmt *st = connection().prepare(sql);
    if (!st)
        return false;
    StmtUse use{st};
    int n = 1;
    for (const KeyPart &p : key.parts)
        bindField(st, n++, p.field, record_);
    sqlite3_bind_int64(st, n, current_);
    return sqlite3_step(st) == SQLITE_ROW;
}

int RecordFile::startAdd(int &numberField)
{
    numberField = -1;
    if (!conn_)
        return fail(err::NotOpen);
    if (readOnly())
        return fail(err::AccessDenied);
    releaseReadsBeforeWrite();
    dupKey_ = nullptr;
    if (const KeyDef *k = def_.autoNumberKey()) {
        numberField = k->parts[0].field;
        const FieldDef &f = def_.fields[static_cast<std::size_t>(numberField)];
        if (fieldNumber(f, record_) == 0)
            setFieldNumber(f, record_, nextAutoNumber(*k));
    }
    return 0;
}

int RecordFile::stepAdd(sqlite3_stmt *st)
{
    int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE)
        return failWrite(rc, st);
    current_ = sqlite3_last_insert_rowid(connection().db());
    invalidateBatch(true);
    clearError();
    return 0;
}

int RecordFile::add()
{
    int numberField;
    if (int e = startAdd(numberField))
        return e;
    sqlite3_stmt *st = statement(StmtAdd << 24, [&](Stmt &s) {
        std::string qs = "?";
        for (std::size_t i = 1; i < def_.fields.size() + (def_.memoName ? 1 : 0); ++i)
            qs += ", ?";
        s.sql = "INSERT INTO " + tableRef() + " (" + fieldColumns() + ") VALUES (" + qs + ")";
    });
    if (!st)
        return err::DriverError;
    StmtUse use{st};
    bindRecord(st, 1, record_, memo_);
    return stepAdd(st);
}

// The fields an add of some fields writes: those given, and the auto-numbered one.
std::vector<int> RecordFile::writtenFields(const std::vector<int> &fields) const
{
    std::vector<int> written = fields;
    if (const KeyDef *k = def_.autoNumberKey())
        if (std::find(fields.begin(), fields.end(), k->parts[0].field) == fields.end())
            written.push_back(k->parts[0].field);
    return written;
}

// "INSERT ... INTO data (the written columns) VALUES" with `rows` rows of parameters: one
// statement of each kind for the last list of fields, built again when the list changes.
sqlite3_stmt *RecordFile::addStatement(StmtKind kind, const char *insert, const std::vector<int> &written,
                                       std::size_t rows)
{
    auto found = stmts_.find(kind << 24);
    if (found != stmts_.end() && found->second.params != written)
        stmts_.erase(found);
    return statement(kind << 24, [&](Stmt &s) {
        std::string columns, row;
        for (int field : written) {
            columns += (columns.empty() ? "" : ", ") +
                       quote(TableDef::columnName(def_.fields[static_cast<std::size_t>(field)]));
            row += row.empty() ? "(?" : ", ?";
        }
        s.sql = std::string(insert) + " INTO " + tableRef() + " (" + columns + ") VALUES " + row + ")";
        for (std::size_t r = 1; r < rows; ++r)
            s.sql += ", " + row + ")";
        s.params = written;
    });
}

int RecordFile::addFields(const std::vector<int> &fields)
{
    int numberField;
    if (int e = startAdd(numberField))
        return e;
    const std::vector<int> written = writtenFields(fields);
    sqlite3_stmt *st = addStatement(StmtAddFields, "INSERT", written, 1);
    if (!st)
        return err::DriverError;
    StmtUse use{st};
    int param = 1;
    for (int field : written)
        bindField(st, param++, field, record_, false);
    return stepAdd(st);
}

int RecordFile::addFieldsOfEach(const std::vector<int> &fields, void *records, std::size_t count, std::size_t &added)
{
    added = 0;
    constexpr std::size_t kRows = kAddedTogether;
    char *const base = static_cast<char *>(records);
    const std::size_t size = def_.recordSize;
    const KeyDef *numbered = def_.autoNumberKey();
    const int numberField = numbered ? numbered->parts[0].field : -1;
    // One record through addFields(), in the buffer: a zero number is given there.
    auto addOne = [&](std::size_t i) {
        std::memcpy(record_, base + i * size, size);
        const int e = addFields(fields);
        std::memcpy(base + i * size, record_, size);
        added += e == 0;
        return e;
    };
    const std::vector<int> written = writtenFields(fields);
    std::size_t i = 0;
    while (count - i >= kRows) {
        bool unnumbered = false;
        for (std::size_t r = 0; r < kRows && numberField >= 0; ++r)
            unnumbered |= fieldNumber(def_.fields[static_cast<std::size_t>(numberField)], base + (i + r) * size) == 0;
        if (unnumbered || !conn_ || readOnly())
            break;
        releaseReadsBeforeWrite();
        dupKey_ = nullptr;
        // OR FAIL keeps the rows before a refused one, as adding them one by one would, and
        // spares the statement a journal of its own.
        sqlite3_stmt *st = addStatement(StmtAddRows, "INSERT OR FAIL", written, kRows);
        if (!st)
            return err::DriverError;
        StmtUse use{st};
        int param = 1;
        for (std::size_t r = 0; r < kRows; ++r)
            for (int field : written)
                bindField(st, param++, field, base + (i + r) * size, false);
        const int rc = sqlite3_step(st);
        sqlite3 *db = connection().db();
        // After a failure that ended the transaction, nothing of it stays.
        const std::size_t done = rc == SQLITE_DONE ? kRows
                                 : sqlite3_get_autocommit(db) && tx_ ? 0
                                                                     : std::min<std::size_t>(
                                                                           static_cast<std::size_t>(sqlite3_changes(db)),
                                                                           kRows - 1);
        added += done;
        if (done) {
            current_ = sqlite3_last_insert_rowid(db);
            invalidateBatch(true);
        }
        if (rc != SQLITE_DONE) {
            std::memcpy(record_, base + (i + done) * size, size);
            return failWrite(rc, st);
        }
        i += kRows;
    }
    for (; i < count; ++i)
        if (int e = addOne(i))
            return e;
    clearError();
    return 0;
}

int RecordFile::put()
{
    if (!conn_)
        return fail(err::NotOpen);
    if (current_ == 0)
        return fail(err::NoRecord);
    if (readOnly())
        return fail(err::AccessDenied);
    releaseReadsBeforeWrite();
    dupKey_ = nullptr;
    sqlite3_stmt *st = statement(StmtPut << 24, [&](Stmt &s) {
        std::string sets;
        for (const FieldDef &f : def_.fields)
            sets += (sets.empty() ? "" : ", ") + quote(TableDef::columnName(f)) + " = ?";
        if (def_.memoName)
            sets += ", " + quote(def_.memoColumn()) + " = ?";
        s.sql = "UPDATE " + tableRef() + " SET " + sets + " WHERE rowid = ?";
    });
    if (!st)
        return err::DriverError;
    StmtUse use{st};
    bindRecord(st, 1, record_, memo_);
    sqlite3_bind_int64(st, static_cast<int>(def_.fields.size()) + (def_.memoName ? 2 : 1), current_);
    int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE) {
        return failWrite(rc, st);
    }
    if (sqlite3_changes(connection().db()) == 0)
        return fail(err::NoRecord);
    // A sequence that just read this record goes on from the record's new place in the key.
    if (seq_ != Seq::None && !seekOpen_ && seekRowid_ == current_) {
        rememberPosition();
        seekInclusive_ = false;
        fromBuffer_ = false;
    }
    invalidateBatch(true);
    clearError();
    return 0;
}

int RecordFile::del()
{
    if (!conn_)
        return fail(err::NotOpen);
    if (current_ == 0)
        return fail(err::NoRecord);
    if (readOnly())
        return fail(err::AccessDenied);
    releaseReadsBeforeWrite();
    sqlite3_stmt *st =
        statement(StmtDel << 24, [&](Stmt &s) { s.sql = "DELETE FROM " + tableRef() + " WHERE rowid = ?"; });
    if (!st)
        return err::DriverError;
    StmtUse use{st};
    sqlite3_bind_int64(st, 1, current_);
    int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE)
        return failSqlite(rc, connection().db());
    if (sqlite3_changes(connection().db()) == 0)
        return fail(err::NoRecord);
    current_ = 0;
    // The sequence stays where it was: the next NEXT reads the record after the deleted one.
    invalidateBatch(true);
    clearError();
    return 0;
}

int RecordFile::build(const std::function<bool(const KeyDef &key, int index)> &onKey)
{
    releaseHeldReads();
    if (tx_ || (conn_ && readOnly()))
        return fail(err::AccessDenied);
    // A file whose keys are damaged cannot be opened, so its keys are rebuilt on a connection
    // of their own.
    std::shared_ptr<Connection> conn = conn_;
    if (!conn) {
        std::string path = clip(name);
        if (!fileExists(path))
            return fail(err::FileNotFound);
        if (openCount(path) > 0)
            return fail(err::AccessDenied);
        sqlite3 *db = nullptr;
        int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        if (rc != SQLITE_OK) {
            int code = failSqlite(rc, db);
            sqlite3_close_v2(db);
            return code;
        }
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, (lockWait_ > 0 ? lockWait_ : 1) * g_lockWaitUnitMs);
        conn = std::make_shared<Connection>(db);
    }
    dupKey_ = nullptr;
    std::vector<std::string> drop;
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(conn->db(),
                       "SELECT name FROM sqlite_master WHERE type='index' AND tbl_name='data' AND sql IS NOT NULL", -1,
                       &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW)
        drop.push_back(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    conn->dropStatements();
    std::string sql = "BEGIN IMMEDIATE;";
    for (const std::string &d : drop)
        sql += "DROP INDEX " + quote(d) + ";";
    int rc = conn->exec(sql);
    bool abandoned = false;
    if (rc == SQLITE_OK) {
        int index = 0;
        for (const KeyDef &k : def_.keys) {
            if (onKey && !onKey(k, index++)) {
                abandoned = true;
                break;
            }
            rc = conn->exec(createIndexSql(def_, k));
            if (rc != SQLITE_OK) {
                if ((rc & 0xFF) == SQLITE_CONSTRAINT)
                    dupKey_ = &k;
                break;
            }
        }
    }
    if (abandoned) {
        conn->exec("ROLLBACK");
        setDriverError("The build was abandoned", 0);
        return err::DriverError;
    }
    if (rc == SQLITE_OK)
        rc = conn->exec("COMMIT");
    if (rc != SQLITE_OK) {
        std::string text = sqlite3_errmsg(conn->db());
        conn->exec("ROLLBACK");
        if (dupKey_)
            return fail(err::DuplicateKey);
        if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED)
            return fail(err::Locked);
        setDriverError(text, rc);
        return err::DriverError;
    }
    invalidateBatch();
    clearError();
    return 0;
}

int RecordFile::check()
{
    if (!conn_)
        return fail(err::NotOpen);
    sqlite3_stmt *st = connection().prepare("PRAGMA " + quote(schema_) + ".quick_check");
    if (!st)
        return err::DriverError;
    StmtUse use{st};
    int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW)
        return failSqlite(rc, connection().db());
    const unsigned char *verdict = sqlite3_column_text(st, 0);
    std::string text = verdict ? reinterpret_cast<const char *>(verdict) : "";
    if (text != "ok") {
        setDriverError("database disk image is malformed (" + text + ")", SQLITE_CORRUPT);
        return err::DriverError;
    }
    clearError();
    return 0;
}

int RecordFile::pack()
{
    if (!conn_)
        return fail(err::NotOpen);
    if (readOnly() || tx_)
        return fail(err::AccessDenied);
    conn_->dropStatements();
    int rc = conn_->exec("VACUUM");
    if (rc != SQLITE_OK)
        return failSqlite(rc, conn_->db());
    invalidateBatch();
    clearError();
    return 0;
}

// The page cache during a quick scan ("QUICKSCAN=on"), in KiB.
constexpr int kQuickScanCacheKiB = 8 * 1024;

std::string RecordFile::send(std::string_view command)
{
    std::string c = upper(trim(command));
    if (c.rfind("RECOVER=", 0) == 0) {
        int n = std::atoi(c.c_str() + 8);
        lockWait_ = n;
        if (conn_)
            sqlite3_busy_timeout(conn_->db(), (n > 0 ? n : 1) * g_lockWaitUnitMs);
        std::lock_guard<std::mutex> l(heldMutex_);
        if (heldConn_)
            sqlite3_busy_timeout(heldConn_->db(), (n > 0 ? n : 1) * g_lockWaitUnitMs);
        return std::string();
    }
    if (c == "HELD")
        return "OFF";  // records are never held between calls
    if (c == "QUICKSCAN=ON" || c == "QUICKSCAN=OFF") {
        // A quick scan reads every page once (a report's pass over the file): kept in the cache,
        // a million items' pages would stay in memory for nothing. The scan keeps a small cache
        // for the key's upper pages, and the file gets its full cache back when the scan ends.
        cacheKiB_ = c == "QUICKSCAN=ON" ? kQuickScanCacheKiB : g_pageCacheKiB;
        if (conn_)
            conn_->exec("PRAGMA cache_size=-" + std::to_string(cacheKiB_));
        std::lock_guard<std::mutex> l(heldMutex_);
        if (heldConn_)
            heldConn_->exec("PRAGMA cache_size=-" + std::to_string(cacheKiB_));
        return std::string();
    }
    return std::string();
}

// ---------------------------------------------------------------------------------------------
// Transaction

Transaction::Transaction(std::vector<RecordFile *> files) : files_(std::move(files)) {}

Transaction::~Transaction()
{
    if (active_)
        rollback();
}

Connection &Transaction::connection() { return *lead_; }

int Transaction::begin()
{
    releaseHeldReads();  // ATTACH and BEGIN IMMEDIATE wait for no reader of this process
    if (active_ || files_.empty())
        return setError(err::DriverError), err::DriverError;
    for (RecordFile *f : files_) {
        if (!f->conn_) {
            setError(err::NotOpen);
            return err::NotOpen;
        }
        if (f->tx_) {
            setDriverError("a transaction is already running on " + f->name, 0);
            return err::DriverError;
        }
    }
    lead_ = files_[0]->conn_;
    files_[0]->tx_ = this;
    files_[0]->schema_ = "main";
    for (std::size_t i = 1; i < files_.size(); ++i) {
        RecordFile *f = files_[i];
        if (f->conn_ == lead_) {
            f->tx_ = this;
            continue;
        }
        std::string alias = "tx" + std::to_string(i);
        if (int code = f->attachTo(*lead_, alias)) {
            detach();
            return code;
        }
        f->tx_ = this;
        f->schema_ = alias;
    }
    int rc = lead_->exec("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) {
        int code = files_[0]->failSqlite(rc, lead_->db());
        detach();
        return code;
    }
    active_ = true;
    clearError();
    return 0;
}

int Transaction::commit()
{
    releaseHeldReads();
    if (!active_)
        return setError(err::DriverError), err::DriverError;
    int rc = lead_->exec("COMMIT");
    if (rc != SQLITE_OK) {
        int code = files_[0]->failSqlite(rc, lead_->db());
        std::string text = errorText();
        lead_->exec("ROLLBACK");
        active_ = false;
        detach();
        if (code == err::DriverError)
            setDriverError(text, rc);
        else
            setError(code);
        return code;
    }
    active_ = false;
    detach();
    clearError();
    return 0;
}

void Transaction::rollback()
{
    releaseHeldReads();
    if (active_) {
        int code = errorCode();
        std::string text = fileErrorText();
        std::string dcode = fileErrorCode();
        lead_->exec("ROLLBACK");
        active_ = false;
        // Keep the error that made the caller roll back.
        if (code == err::DriverError)
            setDriverError(text, std::atoi(dcode.c_str()));
        else
            setError(code);
    }
    detach();
}

void Transaction::detach()
{
    releaseHeldReads();
    if (!lead_)
        return;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        RecordFile *f = files_[i];
        if (f->tx_ != this)
            continue;
        if (f->schema_ != "main") {
            lead_->dropStatements(quote(f->schema_) + ".");
            lead_->exec("DETACH DATABASE " + quote(f->schema_));
        }
        f->tx_ = nullptr;
        f->schema_ = "main";
        f->invalidateBatch();
    }
    lead_.reset();
}

}  // namespace rt
