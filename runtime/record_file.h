// The record-file driver: one SQLite database per record file, one table `data`, one column
// per field and one index per key. It behaves like the runtime's indexed files: a shared record
// buffer, GET by key, SET and NEXT/PREVIOUS in key or file order, ADD/PUT/DELETE of the
// buffer, and an error code after every call.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/errors.h"
#include "runtime/record.h"

struct sqlite3;
struct sqlite3_stmt;

namespace rt {

// Open modes: low bits the access (0 read-only, 2 read/write), high four bits the sharing
// (1 exclusive, 2 deny write, 4 deny none).
namespace mode {
enum : int {
    ReadWriteDenyWrite = 0x22,
    ReadWriteDenyNone = 0x42,
    ReadWriteExclusive = 0x12,
    ReadOnlyDenyNone = 0x40,
};
}

class Connection;
class Transaction;

// How long a refused lock is waited for: the unit of the "Recover=n" driver string and of the
// default wait, in milliseconds. Tests shorten it.
void setLockWaitUnitMs(int ms);
int lockWaitUnitMs();

// The page cache of each open record file, in KiB: the upper pages of every key and the pages
// a list reads around what it shows stay in memory, while a pass over the whole of a large
// file reads through it from the system's own cache. A larger cache would hold a large
// inventory whole, at the price of as much memory for as long as the file is open, and
// reads no faster the first time.
inline constexpr int kPageCacheKiB = 32 * 1024;
// The page cache files opened from now on take: kPageCacheKiB, unless a test shrinks it so that
// a write outgrows it with a few rows. Returns the setting it replaces.
int setPageCacheKiB(int kib);

// Hands the memory freed after a large file or list back to the system: the allocator would
// keep it for the process otherwise.
void giveBackMemory();

// A scan whose caller reads row after row without pause keeps its statement, and so SQLite's
// read lock on the file, from one call to the next (see RecordFile::step). A write to the file
// in this process lets go of it first; an event loop about to wait for the user lets go of
// every such lock through releaseHeldReads(), which the windowing layer hooks in with
// setReadHeldHook: the hook runs whenever a scan starts holding. A run also ends by itself
// 50 ms after it started, at the caller's next read. Whatever else the caller does meanwhile
// (processEvents(), a message box without an event loop, copying a file, sleeping), a watcher
// thread lets go of a run that has not been read from for 10 to 20 ms, so that no pause of the
// program keeps another program's write waiting. Record files are used from one thread; the
// watcher is the only other, and touches nothing but the held runs.
void releaseHeldReads();
void setReadHeldHook(void (*hook)());
// How fast, per row, a caller must have read for its scan to hold: tests force it (a large
// value) or forbid it (a negative one). Returns the setting it replaces.
std::int64_t setHeldScanRowNs(std::int64_t ns);

class RecordFile {
public:
    RecordFile(const TableDef &def, void *record, std::string *memo = nullptr);
    ~RecordFile();
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    const TableDef &def() const { return def_; }
    void *record() const { return record_; }
    std::string *memo() const { return memo_; }

    // The file's name (the name variable, or its constant bare name).
    std::string name;
    const std::string &path() const { return name; }

    // Driver calls. Each leaves the runtime error code and returns it.
    int create();   // replaces any existing file with an empty one of the declared structure
    int open(int openMode = mode::ReadWriteDenyWrite);
    // Open, bringing a file of an older structure version to the declared one. The callbacks
    // run just before and after the change (the file-structure manager's bookkeeping).
    int openConverting(int openMode, int declaredVersion, const std::function<void()> &beforeChange,
                       const std::function<void()> &afterChange);
    int close();
    bool isOpen() const { return conn_ != nullptr; }
    int openMode() const { return openMode_; }
    bool readOnly() const { return (openMode_ & 3) == 0; }

    std::int64_t records();  // number of records; sets the error code

    // Fetch the first record whose key components equal those in the buffer (35 when none).
    int get(const KeyDef &key);
    // Fetch the record at a position returned by position().
    int getPosition(std::int64_t pos);

    // Start a sequence: in file (record) order, or in key order from its start, or (fromBuffer)
    // from the first record at or after the key values in the buffer.
    int setFileOrder();
    int set(const KeyDef &key, bool fromBuffer = false);
    // Start a sequence at the record with this position.
    int setPosition(const KeyDef *key, std::int64_t pos);
    int next();
    int previous();

    int add();
    // add() for a record whose fields other than `fields` (indexes into the record's fields)
    // are as a cleared buffer holds them and whose memo is empty: only `fields` are written,
    // the others take their columns' blank defaults. Adding many records, it spares binding
    // the columns the caller never fills.
    int addFields(const std::vector<int> &fields);
    // addFields() for `count` records laid out one after another from `records`, kAddedTogether
    // to a statement, which SQLite runs in much less time per record than one each. Returns 0
    // once all are added; otherwise the error of the first that was not, as addFields() reports
    // it, with `added` the number before it (those stay added) and that record in the buffer.
    int addFieldsOfEach(const std::vector<int> &fields, void *records, std::size_t count, std::size_t &added);
    static constexpr std::size_t kAddedTogether = 32;
    int put();
    int del();

    // Rebuild every key; drop the ones the file should not have. `onKey`, when given, hears of
    // each key before it is built (its index among the keys); returning false abandons the
    // build and leaves the file as it was.
    int build(const std::function<bool(const KeyDef &key, int index)> &onKey = {});
    // Reads the whole file through to find damage: 0, or 90 with SQLite's verdict.
    int check();
    // Compact the file.
    int pack();
    // Driver strings: "Recover=n" sets the lock wait; others are accepted and answered.
    std::string send(std::string_view command);

    // Read the record at a position into another buffer, leaving the file's buffer alone.
    int readPosition(std::int64_t pos, void *record, std::string *memo);
    // Number of records whose field equals the value (case-blind for strings).
    std::int64_t countEqual(int field, std::string_view value);
    // Give every record whose field equals `from` (case-blind) the value `to`.
    int replaceValue(int field, std::string_view from, std::string_view to);
    // Adds a copy of every record of `from`, an open file with the same fields, in the order of
    // its key `order`, in one transaction that reads `from` as it stands when the copy starts:
    // from a snapshot, so that `from` is read-locked only while the snapshot is taken, never
    // while `change` or `progress` runs.
    // The records in which one of the `changing` fields is not blank are first read into this
    // file's buffer, in that order, and handed to `change` with their position in `from`; what
    // it leaves in those fields is what their copy holds. Every other value is copied as stored.
    // `progress` is called every few hundred records with the last one copied in the buffer.
    // On failure nothing is added. A record of `from` without its auto-number fails the copy,
    // since add() would number it anew.
    int addCopiesOf(RecordFile &from, const KeyDef &order, const std::vector<int> &changing,
                    const std::function<void(std::int64_t position)> &change, const std::function<void()> &progress);
    // The number the auto-numbered key would give the next new record.
    std::int64_t nextAutoNumber(const KeyDef &key);

    // The current record's position (0 when none).
    std::int64_t position() const { return current_; }
    // After error 40: the unique key that the write would have duplicated.
    const KeyDef *duplicateKey() const { return dupKey_; }
    // True when another record than the current one holds the buffer's values of this key.
    bool wouldDuplicate(const KeyDef &key);

    // The in-process registry of open files by path, for share-mode checks.
    static int openCount(const std::string &path);

private:
    friend class Transaction;
    // The SQL side of the file is the driver's own; views reach it through RecordSql
    // (runtime/record_sql.h) and nothing else builds statements over a record file.
    friend class RecordSql;

    // The connection that statements run on (the lead file's inside a transaction).
    Connection &connection();
    std::string tableRef() const;  // "main"."data" or the attached schema inside a transaction

    // Decode a statement row (columns in field order, then memo, selected by columnList())
    // into a record buffer and memo.
    std::string columnList() const;    // "rowid, col1, col2, ..., memo"
    std::string fieldColumns() const;  // "col1, col2, ..., memo"
    void decodeRow(sqlite3_stmt *st, int firstColumn, void *record, std::string *memo) const;
    void bindRecord(sqlite3_stmt *st, int firstParam, const void *record, const std::string *memo) const;

    // Statements for an ordered walk: ORDER BY clause of a key in a direction.
    std::string orderBy(const KeyDef *key, bool backward) const;
    // A condition selecting rows strictly after (or, inclusive, at or after) the position given by
    // key values and a rowid; parameters are appended to `params` as field indexes (-1 = rowid).
    std::string seekCondition(const KeyDef *key, bool backward, bool inclusive, bool withRowid,
                              std::vector<int> &params) const;
    // Without `copyTexts` a text is bound in place: the record must outlive the statement's step.
    void bindField(sqlite3_stmt *st, int param, int field, const void *record, bool copyTexts = true) const;
    int attachTo(Connection &c, const std::string &alias);
    // Attaches to the connection under `alias` a private temporary copy of the file as it
    // stands, made in one step, and deleted when it is detached.
    int attachSnapshotTo(Connection &c, const std::string &alias);

    // The steps of addCopiesOf(), each leaving the copy's first failure in the state they share.
    struct Copy;
    int attachCopySource(RecordFile &from, const KeyDef &order, const std::vector<int> &changing, KeyDef &mine);
    void keepChanges(Copy &copy, const std::function<void(std::int64_t position)> &change);
    void refuseUnnumbered(Copy &copy);
    void copyInRuns(Copy &copy, const std::function<void()> &progress);
    void putChanges(Copy &copy);
    int endCopy(Copy &copy);

    int openImpl(int openMode, int declaredVersion, const std::function<void()> *before,
                 const std::function<void()> *after);
    int fail(int code);
    // The message, when given, stands for the connection's own (a held run's, read under its lock).
    int failSqlite(int rc, sqlite3 *db, const char *message = nullptr);
    int failWrite(int rc, sqlite3_stmt *st);
    // Every add: the refusals and the number of a record without one (numberField: the
    // auto-numbered field, -1 when none), then the step and what it leaves.
    int startAdd(int &numberField);
    int stepAdd(sqlite3_stmt *st);
    int checkStructure(int declaredVersion, const std::function<void()> *before, const std::function<void()> *after);
    int fetch(bool backward);
    int step(bool backward);

    // The statements of the driver's own calls: their text is built once per file (and schema),
    // their handle kept for as long as the connection keeps it, so a call builds no SQL text.
    struct Stmt {
        std::string sql;
        std::vector<int> params;  // seek parameters: field indexes, -1 for the rowid
        std::uint64_t conn = 0, generation = 0;
        sqlite3_stmt *st = nullptr;
    };
    enum StmtKind : std::uint32_t { StmtAdd = 1, StmtPut, StmtDel, StmtGet, StmtFetch, StmtAddFields, StmtHeld, StmtAddRows };
    // On `on` when given (a held run's connection), else on connection().
    template <typename Build>
    sqlite3_stmt *statement(std::uint32_t id, Build &&build, Stmt **entry = nullptr, Connection *on = nullptr);
    std::vector<int> writtenFields(const std::vector<int> &fields) const;
    sqlite3_stmt *addStatement(StmtKind kind, const char *insert, const std::vector<int> &written, std::size_t rows);
    std::uint32_t keyNumber(const KeyDef *key) const;  // 0 for none, else index + 1; ~0u for a foreign key
    std::unordered_map<std::uint32_t, Stmt> stmts_;
    std::string stmtSchema_;
    void invalidateBatch(bool afterWrite = false);
    const KeyDef *findViolatedKey(const std::string &message);
    void rememberPosition();

    const TableDef &def_;
    void *record_;
    std::string *memo_;
    std::shared_ptr<Connection> conn_;
    int openMode_ = 0;
    int lockWait_ = 0;  // in units; 0 = default
    std::int64_t current_ = 0;
    const KeyDef *dupKey_ = nullptr;

    // Sequence state
    enum class Seq { None, File, Key } seq_ = Seq::None;
    const KeyDef *seqKey_ = nullptr;
    bool started_ = false;     // a row has been returned since SET
    bool fromBuffer_ = false;  // SET positioned by buffer values
    std::vector<unsigned char> seekRecord_;  // key values to seek from, unless
    std::ptrdiff_t seekRow_ = -1;            // the batch row last returned holds them
    std::int64_t seekRowid_ = 0;
    bool seekInclusive_ = false;
    bool seekOpen_ = true;     // no bound: from the very start or end
    // A run of rows read straight from an open statement (held_), for a caller that has shown
    // it reads fast: decoding once, as SQLite hands each row over, is what a batch cannot do.
    // The run ends after kHoldMs, at a write to the file, when the event loop waits, and when
    // the watcher finds it unread; each row's key values are kept in seekRecord_ so that the
    // next run starts after it.
    // A run reads on a connection of its own (heldConn_), which nothing but the runs uses: the
    // watcher may then reset its statement from its thread while this file's own connection is
    // in use. heldMutex_ guards the run and that connection: a row is stepped and decoded under
    // it, so the run is never let go of in the middle of one. Only the thread that reads sets
    // held_; the watcher only clears it.
    std::atomic<sqlite3_stmt *> held_{nullptr};
    std::mutex heldMutex_;
    std::unique_ptr<Connection> heldConn_;
    bool heldConnFailed_ = false;  // no second connection could be opened: batches only
    int cacheKiB_ = 0;             // the page cache both connections keep
    std::uint64_t heldReads_ = 0, heldReadsSeen_ = 0;  // rows read from runs, and as the watcher last saw them
    bool heldBackward_ = false;
    int heldPhase_ = 0, heldRows_ = 0;
    std::int64_t heldSince_ = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> heldKeyBytes_;  // offset, size in the record
    // Rows returned since the last fetch, and when that fetch was: how fast the caller reads.
    int runRows_ = 0;
    std::int64_t runStart_ = 0;
    std::string path_;  // canonical, while open
    void releaseHeld();
    // Under heldMutex_: the held run's connection, opened at the first run; nullptr when it cannot be.
    Connection *heldConnection();
    // Under heldMutex_: start a run's phase, and end the run (taking the watcher's lock).
    int startPhase(int phase);
    void letGoOfRun();
    int bindSeek(sqlite3_stmt *st, const std::vector<int> &params) const;
    int stepHeld();
    // Lets go of the held runs that a write to this file would wait for or disturb.
    void releaseReadsBeforeWrite();
    friend void releaseHeldReads();
    // The watcher's thread.
    static void watchHeldRuns();
    // The batch holds each row as SQLite gave it: a cell per field (the number, or where its
    // text lies in `text`, already cut to the field) and the memo's cell. A row is decoded into
    // the record buffer only when it is returned, so no row is copied twice, and the batch
    // stays small enough to sit in the processor's cache. Its storage is kept between batches,
    // so a long scan allocates nothing per row; batchLen_ rows hold the current batch.
    struct Batch {
        std::vector<std::int64_t> rowids;
        // Neither is a vector or a string: growing them need not fill them first.
        std::unique_ptr<std::uint64_t[]> cells;
        std::size_t cellCap = 0;
        std::unique_ptr<char[]> text;
        std::size_t textLen = 0, textCap = 0;
        void reserveText(std::size_t more);
    } batch_;
    std::size_t cellsPerRow() const { return def_.fields.size() + (def_.memoName ? 1 : 0); }
    // The fields in the order of their cells: the texts first, then the numbers, each with its
    // column, so that neither capturing nor loading a row asks a field what it is.
    struct TextCell {
        int column;
        std::uint32_t offset, size;
    };
    std::vector<TextCell> textCells_;
    std::vector<std::pair<int, const FieldDef *>> numberCells_;
    void captureRow(sqlite3_stmt *st, int firstColumn);
    void loadRow(std::size_t row, void *record, std::string *memo) const;
    std::size_t batchLen_ = 0;
    std::size_t batchPos_ = 0;
    bool batchBackward_ = false;
    bool batchExhausted_ = false;
    int batchSize_ = 16;

    // Transaction routing: when enlisted in another file's transaction, statements run on the
    // lead's connection against this file attached under `schema_`.
    Transaction *tx_ = nullptr;
    std::string schema_ = "main";
};

// One transaction over one or more record files: either every write inside it lands, or none.
// The first file leads; the others are attached to its connection for the transaction's span.
class Transaction {
public:
    explicit Transaction(std::vector<RecordFile *> files);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    int begin();
    int commit();
    void rollback();
    bool active() const { return active_; }
    Connection &connection();

private:
    void detach();
    std::vector<RecordFile *> files_;
    std::shared_ptr<Connection> lead_;
    bool active_ = false;
};

// A database connection with a cache of prepared statements.
class Connection {
public:
    explicit Connection(sqlite3 *db);
    ~Connection();
    sqlite3 *db() const { return db_; }
    // Unique for the process's life, and changed whenever statements are dropped, so that a
    // statement handle kept elsewhere is known to be still valid.
    std::uint64_t id() const { return id_; }
    std::uint64_t generation() const { return generation_; }
    // Rows written (added, changed or deleted) in the connection's own file, and the position of
    // the last of them: lists over the file follow a single write without reading again.
    std::uint64_t writes() const { return writes_; }
    std::int64_t lastWritten() const { return lastWritten_; }
    // Where the SQL function rt_collect(...) appends its arguments, row after row, while a
    // statement that calls it runs; `collectedExact` turns false when one was not an integer.
    std::vector<std::int64_t> *collectInto = nullptr;
    bool collectedExact = true;
    // A prepared statement, reset and with bindings cleared; nullptr on failure (error set).
    sqlite3_stmt *prepare(const std::string &sql);
    void dropStatements(std::string_view containing = {});
    int exec(const std::string &sql);  // SQLite result code

private:
    sqlite3 *db_;
    std::uint64_t id_;
    std::uint64_t generation_ = 0;
    std::uint64_t writes_ = 0;
    std::int64_t lastWritten_ = 0;
    std::vector<std::pair<std::string, sqlite3_stmt *>> cache_;
};

// Schema text of a record type: CREATE TABLE and CREATE INDEX statements.
std::string createTableSql(const TableDef &def, const std::string &schema = "main");
std::string createIndexSql(const TableDef &def, const KeyDef &key, const std::string &schema = "main");

}  // namespace rt
