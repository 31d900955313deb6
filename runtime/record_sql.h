// The SQL side of a record file, for the runtime's own readers of it: views, and the driver's
// benchmarks that measure it against raw SQLite. Everything else reads a record file through
// its driver calls or through an rt::View, never through statements of its own.
#pragma once

#include <string>
#include <vector>

#include "runtime/record_file.h"

namespace rt {

class RecordSql {
public:
    static Connection &connection(RecordFile &f) { return f.connection(); }
    static sqlite3 *db(RecordFile &f) { return f.connection().db(); }
    static std::string tableRef(const RecordFile &f) { return f.tableRef(); }
    static std::string columnList(const RecordFile &f) { return f.columnList(); }
    static void decodeRow(const RecordFile &f, sqlite3_stmt *st, int firstColumn, void *record, std::string *memo)
    {
        f.decodeRow(st, firstColumn, record, memo);
    }
    static void bindRecord(const RecordFile &f, sqlite3_stmt *st, int firstParam, const void *record,
                           const std::string *memo)
    {
        f.bindRecord(st, firstParam, record, memo);
    }
    static void bindField(const RecordFile &f, sqlite3_stmt *st, int param, int field, const void *record)
    {
        f.bindField(st, param, field, record);
    }
    static std::string orderBy(const RecordFile &f, const KeyDef *key, bool backward)
    {
        return f.orderBy(key, backward);
    }
    static std::string seekCondition(const RecordFile &f, const KeyDef *key, bool backward, bool inclusive,
                                     bool withRowid, std::vector<int> &params)
    {
        return f.seekCondition(key, backward, inclusive, withRowid, params);
    }
    // The runtime's code for a failed SQLite call on the file (locked, access denied, driver
    // error with SQLite's text), left as the error code.
    static int fail(RecordFile &f, int rc) { return f.failSqlite(rc, db(f)); }
};

}  // namespace rt
