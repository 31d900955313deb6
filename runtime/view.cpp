#include "runtime/view.h"

#include <sqlite3.h>

#include <algorithm>
#include <limits>
#include <unordered_map>

#include "runtime/record_sql.h"

namespace rt {

namespace {

// The name a condition or total keeps: the field's own name when the record type has it, so
// that a view over another record type with the same fields (the client's copy of the items)
// finds it again; an unknown name is kept and refused when the view is read.
std::string fieldName(const TableDef &def, std::string_view field)
{
    int i = def.fieldIndex(field);
    return i < 0 ? std::string(field) : std::string(def.fields[static_cast<std::size_t>(i)].name);
}

std::string quoted(const FieldDef &f) { return "\"" + TableDef::columnName(f) + "\""; }

bool isNumber(const FieldDef &f) { return f.kind != FieldKind::STRING; }

// Resets a statement when the scope ends: an active statement would hold the file's read lock.
struct Reset {
    sqlite3_stmt *st;
    ~Reset()
    {
        if (st)
            sqlite3_reset(st);
    }
};

std::size_t rowsWanted(std::size_t n)
{
    return std::min<std::size_t>(n, static_cast<std::size_t>(std::numeric_limits<std::int64_t>::max()));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Conditions and totals

Condition Condition::equals(const TableDef &def, std::string_view field, const std::string &fixedValue)
{
    std::string v = fixedValue;
    return Condition{Test::Equals, fieldName(def, field), {[v] { return BoundValue(v); }}};
}

Condition Condition::equals(const TableDef &def, std::string_view field, std::int64_t fixedValue)
{
    return Condition{Test::Equals, fieldName(def, field), {[fixedValue] { return BoundValue(fixedValue); }}};
}

Condition Condition::equalsLive(const TableDef &def, std::string_view field, std::function<std::string()> value)
{
    return Condition{Test::Equals, fieldName(def, field), {[value] { return BoundValue(value()); }}};
}

Condition Condition::notBlank(const TableDef &def, std::string_view field)
{
    return Condition{Test::NotBlank, fieldName(def, field), {}};
}

Condition Condition::oneOf(const TableDef &def, std::string_view field, std::vector<std::string> values)
{
    Condition c{Test::OneOf, fieldName(def, field), {}};
    for (std::string &v : values)
        c.values.push_back([v = std::move(v)] { return BoundValue(v); });
    return c;
}

Total Total::count(std::vector<Condition> only) { return Total{Kind::Count, {}, {}, std::move(only)}; }

Total Total::sum(const TableDef &def, std::string_view field, std::vector<Condition> only)
{
    return Total{Kind::Sum, fieldName(def, field), {}, std::move(only)};
}

Total Total::sumOfProduct(const TableDef &def, std::string_view field, std::string_view factor,
                          std::vector<Condition> only)
{
    return Total{Kind::SumOfProduct, fieldName(def, field), fieldName(def, factor), std::move(only)};
}

// ---------------------------------------------------------------------------------------------
// The parameters of a statement, in the order their ? appear in its text.

struct View::Binder {
    struct Param {
        enum class Kind : std::uint8_t { Value, Field, Integer } kind;
        const FieldDef *def = nullptr;
        BoundValue value;
        int field = -1;
        const void *record = nullptr;
        std::int64_t number = 0;
    };
    std::vector<Param> params;
    bool bad = false;  // a field that the record type does not have

    void value(const FieldDef &f, BoundValue v) { params.push_back({Param::Kind::Value, &f, std::move(v)}); }
    void field(int f, const void *record) { params.push_back({Param::Kind::Field, nullptr, {}, f, record}); }
    void integer(std::int64_t n) { params.push_back({Param::Kind::Integer, nullptr, {}, -1, nullptr, n}); }

    // A value bound the way its field is stored: text without trailing blanks, numbers as
    // integers (a decimal typed as text in the field's units).
    static void bindValue(sqlite3_stmt *st, int at, const FieldDef &f, const BoundValue &v)
    {
        if (const auto *s = std::get_if<std::string>(&v)) {
            std::string_view c = clipView(*s);
            std::int64_t units = 0;
            if (isNumber(f) && parseDecimal(c, f.kind == FieldKind::DEC ? f.places : 0, units))
                sqlite3_bind_int64(st, at, units);
            else
                sqlite3_bind_text(st, at, c.data(), static_cast<int>(c.size()), SQLITE_TRANSIENT);
        } else if (isNumber(f)) {
            sqlite3_bind_int64(st, at, std::get<std::int64_t>(v));
        } else {
            std::string t = std::to_string(std::get<std::int64_t>(v));
            sqlite3_bind_text(st, at, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
        }
    }

    void bind(const RecordFile &file, sqlite3_stmt *st, int first = 1) const
    {
        int at = first;
        for (const Param &p : params) {
            switch (p.kind) {
            case Param::Kind::Value: bindValue(st, at, *p.def, p.value); break;
            case Param::Kind::Field:
                if (p.field < 0)
                    sqlite3_bind_int64(st, at, p.number);
                else
                    RecordSql::bindField(file, st, at, p.field, p.record);
                break;
            case Param::Kind::Integer: sqlite3_bind_int64(st, at, p.number); break;
            }
            ++at;
        }
    }

    // The parameters of a seek condition (field indexes, -1 for the rowid) from a row.
    void seekParams(const std::vector<int> &fields, const ViewRow &row)
    {
        for (int f : fields) {
            if (f < 0)
                params.push_back({Param::Kind::Field, nullptr, {}, -1, nullptr, row.position});
            else
                field(f, row.record.data());
        }
    }
};

// ---------------------------------------------------------------------------------------------

View::View(RecordFile &file, const KeyDef *key, std::vector<Condition> filter)
    : file_(file), key_(key), filter_(std::move(filter))
{
}

void View::setOrder(const KeyDef *key, std::vector<Condition> filter)
{
    key_ = key;
    filter_ = std::move(filter);
}

int View::check() const
{
    if (!file_.isOpen()) {
        setError(err::NotOpen);
        return err::NotOpen;
    }
    return 0;
}

namespace {

// The SQL of conditions over the file's columns (string columns are declared case-blind, so a
// plain comparison is the keys' comparison); "1" for none.
std::string conditionsSql(const TableDef &def, const std::vector<Condition> &conds,
                          const std::function<void(const FieldDef &, BoundValue)> &value, bool &bad)
{
    std::string w;
    for (const Condition &c : conds) {
        int i = def.fieldIndex(c.field);
        if (i < 0) {
            bad = true;
            setDriverError("no field " + c.field + " in " + def.label, 0);
            return "0";
        }
        const FieldDef &f = def.fields[static_cast<std::size_t>(i)];
        std::string s;
        switch (c.test) {
        case Condition::Test::Equals:
            s = quoted(f) + " = ?";
            value(f, c.values.empty() ? BoundValue(std::string()) : c.values[0]());
            break;
        case Condition::Test::NotBlank: s = quoted(f) + (isNumber(f) ? " <> 0" : " <> ''"); break;
        case Condition::Test::OneOf:
            if (c.values.empty()) {
                s = "0";
                break;
            }
            s = quoted(f) + " IN (";
            for (std::size_t k = 0; k < c.values.size(); ++k) {
                s += k ? ", ?" : "?";
                value(f, c.values[k]());
            }
            s += ")";
            break;
        }
        w += (w.empty() ? "(" : " AND (") + s + ")";
    }
    return w.empty() ? "1" : w;
}

}  // namespace

std::string View::where(Binder &b, const std::string &extra) const
{
    std::string w = conditionsSql(file_.def(), filter_, [&](const FieldDef &f, BoundValue v) { b.value(f, std::move(v)); },
                                  b.bad);
    if (!extra.empty())
        w = w == "1" ? extra : w + " AND " + extra;
    return w;
}

std::int64_t View::count() const
{
    std::vector<std::int64_t> out;
    return totals({Total::count()}, out) == 0 ? out[0] : 0;
}

int View::positions(std::vector<std::int64_t> &out, std::size_t limit) const
{
    out.clear();
    if (int code = check())
        return code;
    Binder b;
    std::string w = where(b);
    if (b.bad)
        return err::DriverError;
    sqlite3_stmt *st = RecordSql::connection(file_).prepare("SELECT rowid FROM " + RecordSql::tableRef(file_) +
                                                            " WHERE " + w + " ORDER BY " +
                                                            RecordSql::orderBy(file_, key_, false) +
                                                            (limit ? " LIMIT " + std::to_string(limit) : ""));
    if (!st)
        return err::DriverError;
    Reset reset{st};
    b.bind(file_, st);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        out.push_back(sqlite3_column_int64(st, 0));
    if (rc != SQLITE_DONE) {
        out.clear();
        return RecordSql::fail(file_, rc);
    }
    clearError();
    return 0;
}

int View::readRows(const std::string &sql, Binder &b, std::vector<ViewRow> &rows) const
{
    sqlite3_stmt *st = RecordSql::connection(file_).prepare(sql);
    if (!st)
        return err::DriverError;
    Reset reset{st};
    b.bind(file_, st);
    const TableDef &def = file_.def();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ViewRow row;
        row.position = sqlite3_column_int64(st, 0);
        row.record.resize(def.recordSize);
        RecordSql::decodeRow(file_, st, 1, row.record.data(), def.memoName ? &row.memo : nullptr);
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        rows.clear();
        return RecordSql::fail(file_, rc);
    }
    clearError();
    return 0;
}

int View::read(std::size_t n, std::vector<ViewRow> &rows, bool backward) const
{
    rows.clear();
    if (int code = check())
        return code;
    Binder b;
    std::string w = where(b);
    if (b.bad)
        return err::DriverError;
    b.integer(static_cast<std::int64_t>(rowsWanted(n)));
    return readRows("SELECT " + RecordSql::columnList(file_) + " FROM " + RecordSql::tableRef(file_) + " WHERE " + w +
                        " ORDER BY " + RecordSql::orderBy(file_, key_, backward) + " LIMIT ?",
                    b, rows);
}

int View::seekRead(const ViewRow &from, bool inclusive, std::size_t n, std::vector<ViewRow> &rows,
                   bool backward) const
{
    // One row-value comparison over the whole key, (a, b, rowid) > (?, ?, ?), lets SQLite seek
    // only on the key's first component and filter the rest: a slice deep in a large group would
    // scan the group from its start. Instead each slice is a few seeks that are equalities on
    // the key's leading components, innermost first: the rest of the rows with the row's own key
    // values (after its position), then rows with an equal prefix and a later next component,
    // out to the first component. Taken in that order they are exactly the key order, and each
    // costs the same wherever it starts.
    const TableDef &def = file_.def();
    const std::size_t parts = key_ ? key_->parts.size() : 0;
    const std::string select = "SELECT " + RecordSql::columnList(file_) + " FROM " + RecordSql::tableRef(file_) +
                               " WHERE ";
    const std::string order = " ORDER BY " + RecordSql::orderBy(file_, key_, backward) + " LIMIT ?";
    const std::size_t wanted = rowsWanted(n);
    for (std::size_t level = parts + 1; level-- > 0 && rows.size() < wanted;) {
        Binder b;
        std::string w = where(b);
        if (b.bad)
            return err::DriverError;
        std::string seek;
        for (std::size_t j = 0; j < level; ++j) {
            const KeyPart &p = key_->parts[j];
            seek += quoted(def.fields[static_cast<std::size_t>(p.field)]) + " = ? AND ";
            b.field(p.field, from.record.data());
        }
        if (level == parts) {
            seek += std::string(backward ? "rowid <" : "rowid >") + (inclusive ? "= ?" : " ?");
            b.integer(from.position);
        } else {
            const KeyPart &p = key_->parts[level];
            seek += quoted(def.fields[static_cast<std::size_t>(p.field)]) + (p.descending != backward ? " < ?" : " > ?");
            b.field(p.field, from.record.data());
        }
        b.integer(static_cast<std::int64_t>(wanted - rows.size()));
        if (int code = readRows(select + w + " AND " + seek + order, b, rows))
            return code;
    }
    clearError();
    return 0;
}

int View::readFrom(std::int64_t position, std::size_t n, std::vector<ViewRow> &rows, bool backward) const
{
    rows.clear();
    if (int code = check())
        return code;
    ViewRow from;
    from.position = position;
    from.record.resize(file_.def().recordSize);
    if (int code = file_.readPosition(position, from.record.data(), nullptr))
        return code;
    return seekRead(from, true, n, rows, backward);
}

int View::readAfter(const ViewRow &last, std::size_t n, std::vector<ViewRow> &rows, bool backward) const
{
    rows.clear();
    if (int code = check())
        return code;
    if (last.record.size() != file_.def().recordSize) {
        setDriverError("a row of another record type", 0);
        return err::DriverError;
    }
    return seekRead(last, false, n, rows, backward);
}

int View::readPositions(const std::vector<std::int64_t> &positions, std::vector<ViewRow> &rows) const
{
    rows.clear();
    if (int code = check())
        return code;
    // A fixed number of placeholders keeps one prepared statement for every chunk.
    constexpr std::size_t kChunk = 100;
    std::string qs;
    for (std::size_t i = 0; i < kChunk; ++i)
        qs += i ? ",?" : "?";
    const std::string sql = "SELECT " + RecordSql::columnList(file_) + " FROM " + RecordSql::tableRef(file_) +
                            " WHERE rowid IN (" + qs + ")";
    std::vector<ViewRow> found;
    for (std::size_t at = 0; at < positions.size(); at += kChunk) {
        Binder b;
        for (std::size_t i = 0; i < kChunk; ++i)
            b.integer(at + i < positions.size() ? positions[at + i] : -1);
        std::vector<ViewRow> chunk;
        if (int code = readRows(sql, b, chunk)) {
            rows.clear();
            return code;
        }
        for (ViewRow &r : chunk)
            found.push_back(std::move(r));
    }
    // In the order asked for.
    std::unordered_map<std::int64_t, std::size_t> where;
    for (std::size_t i = 0; i < found.size(); ++i)
        where.emplace(found[i].position, i);
    for (std::int64_t p : positions)
        if (auto it = where.find(p); it != where.end() && !found[it->second].record.empty())
            rows.push_back(std::move(found[it->second]));
    clearError();
    return 0;
}

int View::readListed(std::int64_t position, ViewRow &row, bool &listed) const
{
    listed = false;
    if (int code = check())
        return code;
    Binder b;
    std::string w = where(b, "rowid = ?");
    if (b.bad)
        return err::DriverError;
    b.integer(position);
    std::vector<ViewRow> rows;
    if (int code = readRows("SELECT " + RecordSql::columnList(file_) + " FROM " + RecordSql::tableRef(file_) + " WHERE " +
                                w,
                            b, rows))
        return code;
    if (!rows.empty()) {
        row = std::move(rows[0]);
        listed = true;
    }
    return 0;
}

View::Mark View::mark() const
{
    Mark m;
    if (!file_.isOpen())
        return m;
    Connection &c = RecordSql::connection(file_);
    m.connection = c.id();
    m.writes = c.writes();
    m.lastWritten = c.lastWritten();
    if (sqlite3_stmt *st = c.prepare("PRAGMA data_version")) {
        Reset reset{st};
        if (sqlite3_step(st) == SQLITE_ROW)
            m.dataVersion = sqlite3_column_int64(st, 0);
        else
            m.connection = 0;  // unknown: whatever was read is read again
    } else {
        m.connection = 0;
    }
    return m;
}

std::string View::filterSignature() const
{
    // Each part behind its length, so that no value can run into the next.
    std::string s;
    auto part = [&s](std::string_view v) {
        s += std::to_string(v.size());
        s += ':';
        s += v;
    };
    part(file_.path());
    for (const Condition &c : filter_) {
        part(std::to_string(static_cast<int>(c.test)));
        part(c.field);
        for (const BoundSource &v : c.values) {
            BoundValue x = v();
            if (const auto *t = std::get_if<std::string>(&x))
                part("s" + *t);
            else
                part("n" + std::to_string(std::get<std::int64_t>(x)));
        }
    }
    return s;
}

int View::locateWith(const std::string &seek, Binder &b, std::int64_t &position) const
{
    sqlite3_stmt *st = RecordSql::connection(file_).prepare("SELECT rowid FROM " + RecordSql::tableRef(file_) +
                                                            " WHERE " + seek + " ORDER BY " +
                                                            RecordSql::orderBy(file_, key_, false) + " LIMIT 1");
    if (!st)
        return err::DriverError;
    Reset reset{st};
    b.bind(file_, st);
    int rc = sqlite3_step(st);
    if (rc == SQLITE_DONE) {
        setError(err::NoRecord);
        return err::NoRecord;
    }
    if (rc != SQLITE_ROW)
        return RecordSql::fail(file_, rc);
    position = sqlite3_column_int64(st, 0);
    clearError();
    return 0;
}

int View::locate(const std::vector<BoundValue> &leading, std::int64_t &position) const
{
    position = 0;
    if (int code = check())
        return code;
    if (!key_ || leading.empty() || leading.size() > key_->parts.size()) {
        setDriverError("a view is located by values of its key's first components", 0);
        return err::DriverError;
    }
    Binder b;
    std::string w = where(b);
    if (b.bad)
        return err::DriverError;
    // The seek of the driver's SET, over the leading components only.
    KeyDef prefix{key_->name, {key_->parts.begin(), key_->parts.begin() + static_cast<std::ptrdiff_t>(leading.size())}};
    std::vector<int> fields;
    std::string seek = RecordSql::seekCondition(file_, &prefix, false, true, false, fields);
    const TableDef &def = file_.def();
    for (int f : fields)
        for (std::size_t i = 0; i < prefix.parts.size(); ++i)
            if (prefix.parts[i].field == f)
                b.value(def.fields[static_cast<std::size_t>(f)], leading[i]);
    return locateWith(w == "1" ? seek : w + " AND " + seek, b, position);
}

int View::locate(int field, const BoundValue &value, std::int64_t &position) const
{
    position = 0;
    if (int code = check())
        return code;
    const TableDef &def = file_.def();
    if (field < 0 || field >= static_cast<int>(def.fields.size())) {
        setDriverError("no such field to locate by", 0);
        return err::DriverError;
    }
    if (key_) {
        // The components before the field must be fixed by the filter for a seek to land
        // where the list's order puts the value.
        std::vector<BoundValue> leading;
        for (const KeyPart &p : key_->parts) {
            if (p.field == field) {
                leading.push_back(value);
                return locate(leading, position);
            }
            const Condition *fixed = nullptr;
            for (const Condition &c : filter_)
                if (c.test == Condition::Test::Equals && c.values.size() == 1 && def.fieldIndex(c.field) == p.field)
                    fixed = &c;
            if (!fixed)
                break;
            leading.push_back(fixed->values[0]());
        }
    }
    Binder b;
    std::string w = where(b);
    if (b.bad)
        return err::DriverError;
    const FieldDef &f = def.fields[static_cast<std::size_t>(field)];
    b.value(f, value);
    return locateWith(w + " AND " + quoted(f) + " >= ?", b, position);
}

std::size_t View::lowerBound(const std::vector<std::int64_t> &positions, std::int64_t position) const
{
    if (check())
        return positions.size();
    ViewRow target;
    target.position = position;
    target.record.resize(file_.def().recordSize);
    if (file_.readPosition(position, target.record.data(), nullptr) != 0)
        return positions.size();
    std::vector<int> fields;
    std::string seek = RecordSql::seekCondition(file_, key_, false, true, true, fields);
    sqlite3_stmt *st = RecordSql::connection(file_).prepare("SELECT 1 FROM " + RecordSql::tableRef(file_) +
                                                            " WHERE rowid = ? AND " + seek);
    if (!st)
        return positions.size();
    Reset reset{st};
    Binder b;
    b.seekParams(fields, target);
    b.bind(file_, st, 2);
    // Is the listed row at or after the target? A row gone since the list was read counts as
    // before it, so the search still ends.
    std::size_t lo = 0, hi = positions.size();
    while (lo < hi) {
        std::size_t mid = lo + (hi - lo) / 2;
        sqlite3_reset(st);
        sqlite3_bind_int64(st, 1, positions[mid]);
        int rc = sqlite3_step(st);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            RecordSql::fail(file_, rc);
            return positions.size();
        }
        if (rc == SQLITE_ROW)
            hi = mid;
        else
            lo = mid + 1;
    }
    clearError();
    return lo;
}

namespace {

// The per-row value a total adds, as SQL.
bool totalExpr(const TableDef &def, const Total &t, std::string &out,
               const std::function<void(const FieldDef &, BoundValue)> &value, bool &bad)
{
    auto column = [&](const std::string &name, std::string &col) {
        int i = def.fieldIndex(name);
        if (i < 0 || !isNumber(def.fields[static_cast<std::size_t>(i)])) {
            bad = true;
            setDriverError("no number field " + name + " in " + def.label, 0);
            return false;
        }
        col = quoted(def.fields[static_cast<std::size_t>(i)]);
        return true;
    };
    std::string expr = "1", a, b;
    if (t.kind == Total::Kind::Sum) {
        if (!column(t.field, a))
            return false;
        expr = a;
    } else if (t.kind == Total::Kind::SumOfProduct) {
        if (!column(t.field, a) || !column(t.factor, b))
            return false;
        expr = a + " * " + b;
    }
    if (t.only.empty()) {
        out = expr;
    } else {
        std::string cond = conditionsSql(def, t.only, value, bad);
        if (bad)
            return false;
        out = "CASE WHEN " + cond + " THEN " + expr + " ELSE 0 END";
    }
    return true;
}

constexpr const char *kTotalOverflow = "integer overflow";

// A product that left 64 bits turns into a real number in SQLite; a total is exact or an error.
int readTotal(sqlite3_stmt *st, int column, std::int64_t &out)
{
    if (sqlite3_column_type(st, column) != SQLITE_INTEGER) {
        setDriverError(kTotalOverflow, SQLITE_ERROR);
        return err::DriverError;
    }
    out = sqlite3_column_int64(st, column);
    return 0;
}

}  // namespace

int View::totals(const std::vector<Total> &totals, std::vector<std::int64_t> &out) const
{
    out.assign(totals.size(), 0);
    if (int code = check())
        return code;
    if (totals.empty()) {
        clearError();
        return 0;
    }
    Binder b;
    auto value = [&](const FieldDef &f, BoundValue v) { b.value(f, std::move(v)); };
    std::string select;
    for (const Total &t : totals) {
        std::string e;
        if (!totalExpr(file_.def(), t, e, value, b.bad))
            return err::DriverError;
        select += select.empty() ? "" : ", ";
        select += t.kind == Total::Kind::Count && t.only.empty() ? "COUNT(*)" : "COALESCE(SUM(" + e + "), 0)";
    }
    std::string w = where(b);
    if (b.bad)
        return err::DriverError;
    // Without a condition, a count is SQLite's count of the file's smallest key, which reads no row.
    sqlite3_stmt *st = RecordSql::connection(file_).prepare("SELECT " + select + " FROM " + RecordSql::tableRef(file_) +
                                                            (w == "1" ? std::string() : " WHERE " + w));
    if (!st)
        return err::DriverError;
    Reset reset{st};
    b.bind(file_, st);
    int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW)
        return RecordSql::fail(file_, rc);
    for (std::size_t i = 0; i < totals.size(); ++i)
        if (int code = readTotal(st, static_cast<int>(i), out[i])) {
            out.assign(totals.size(), 0);
            return code;
        }
    clearError();
    return 0;
}

int View::positionsAndTotals(std::vector<std::int64_t> &out, const std::vector<Total> &totals,
                             std::vector<std::int64_t> &values, int &totalsCode) const
{
    out.clear();
    values.assign(totals.size(), 0);
    totalsCode = err::DriverError;
    if (int code = check())
        return code;
    const TableDef &def = file_.def();
    std::vector<const KeyPart *> parts;
    bool numbers = true;
    if (key_)
        for (const KeyPart &p : key_->parts) {
            parts.push_back(&p);
            numbers = numbers && isNumber(def.fields[static_cast<std::size_t>(p.field)]);
        }
    auto apart = [&]() {
        if (int code = positions(out))
            return code;
        totalsCode = this->totals(totals, values);
        clearError();  // the list stands; the totals' own error shows where they are read again
        return 0;
    };
    if (!numbers || totals.empty())
        return apart();

    // One pass over the file: each row's position and key values gathered into memory, the
    // totals summed beside them; then the rows put in the key's order. Numbers sort in memory
    // exactly as in the key, text would need the key's collation.
    Binder b;
    auto value = [&](const FieldDef &f, BoundValue v) { b.value(f, std::move(v)); };
    std::string select = "rt_collect(rowid";
    for (const KeyPart *p : parts)
        select += ", " + quoted(def.fields[static_cast<std::size_t>(p->field)]);
    select += ")";
    // A count of every row is the number of positions; the others are summed in the pass.
    auto counted = [](const Total &t) { return t.kind == Total::Kind::Count && t.only.empty(); };
    std::vector<int> column(totals.size(), -1);
    int summed = 0;
    for (std::size_t i = 0; i < totals.size(); ++i) {
        if (counted(totals[i]))
            continue;
        std::string e;
        if (!totalExpr(def, totals[i], e, value, b.bad))
            return err::DriverError;
        select += ", COALESCE(SUM(" + e + "), 0)";
        column[i] = ++summed;
    }
    std::string w = where(b);
    if (b.bad)
        return err::DriverError;
    Connection &c = RecordSql::connection(file_);
    sqlite3_stmt *st = c.prepare("SELECT " + select + " FROM " + RecordSql::tableRef(file_) + " WHERE " + w);
    if (!st)
        return err::DriverError;
    const std::size_t stride = 1 + parts.size();
    std::vector<std::int64_t> flat;
    // Room for every row at once: a file's positions run about up to its largest.
    std::size_t expect = out.capacity();
    if (sqlite3_stmt *top = c.prepare("SELECT max(rowid) FROM " + RecordSql::tableRef(file_))) {
        Reset r{top};
        if (sqlite3_step(top) == SQLITE_ROW)
            expect = std::max<std::size_t>(expect, static_cast<std::size_t>(
                                                       std::clamp<std::int64_t>(sqlite3_column_int64(top, 0), 0, 1 << 24)));
    }
    flat.reserve(expect * stride);
    int rc;
    {
        Reset reset{st};
        b.bind(file_, st);
        c.collectInto = &flat;
        c.collectedExact = true;
        rc = sqlite3_step(st);
        c.collectInto = nullptr;
        if (rc == SQLITE_ROW && c.collectedExact) {
            totalsCode = 0;
            for (std::size_t i = 0; i < totals.size() && totalsCode == 0; ++i)
                if (column[i] > 0)
                    totalsCode = readTotal(st, column[i], values[i]);
                else
                    values[i] = static_cast<std::int64_t>(flat.size() / stride);
            if (totalsCode)
                values.assign(totals.size(), 0);
        }
    }
    if (rc != SQLITE_ROW || !c.collectedExact)
        return apart();  // a total that left 64 bits, or a value that is not a number: the long way

    auto before = [&](const std::int64_t *a, const std::int64_t *z) {
        for (std::size_t j = 0; j < parts.size(); ++j)
            if (a[1 + j] != z[1 + j])
                return parts[j]->descending ? a[1 + j] > z[1 + j] : a[1 + j] < z[1 + j];
        return a[0] < z[0];
    };
    const std::size_t rows = flat.size() / stride;
    bool sorted = true;
    for (std::size_t i = 1; i < rows && sorted; ++i)
        sorted = !before(&flat[i * stride], &flat[(i - 1) * stride]);
    out.resize(rows);
    if (sorted) {
        for (std::size_t i = 0; i < rows; ++i)
            out[i] = flat[i * stride];
    } else {
        std::vector<std::uint32_t> order(rows);
        for (std::size_t i = 0; i < rows; ++i)
            order[i] = static_cast<std::uint32_t>(i);
        std::sort(order.begin(), order.end(),
                  [&](std::uint32_t x, std::uint32_t y) { return before(&flat[x * stride], &flat[y * stride]); });
        for (std::size_t i = 0; i < rows; ++i)
            out[i] = flat[order[i] * stride];
    }
    clearError();
    return 0;
}

int View::groupTotals(std::string_view groupField, const std::vector<Total> &totals,
                      std::vector<GroupTotals> &out) const
{
    out.clear();
    if (int code = check())
        return code;
    const TableDef &def = file_.def();
    int g = def.fieldIndex(groupField);
    if (g < 0) {
        setDriverError("no field " + std::string(groupField) + " in " + def.label, 0);
        return err::DriverError;
    }
    const std::string group = quoted(def.fields[static_cast<std::size_t>(g)]);
    Binder b;
    auto value = [&](const FieldDef &f, BoundValue v) { b.value(f, std::move(v)); };
    // Each row numbered in the view's order and marked where its group field differs from the
    // row before (the column's case-blind comparison); the running count of marks numbers the
    // groups, so that a value met again later in the order starts a group of its own.
    std::string rowValues, sums;
    for (std::size_t i = 0; i < totals.size(); ++i) {
        std::string e;
        if (!totalExpr(def, totals[i], e, value, b.bad))
            return err::DriverError;
        std::string name = "v" + std::to_string(i) + "_";
        rowValues += ", " + e + " AS " + name;
        sums += ", COALESCE(SUM(" + name + "), 0)";
    }
    std::string w = where(b);
    if (b.bad)
        return err::DriverError;
    const std::string rows = "SELECT ROW_NUMBER() OVER w_ AS n_, CASE WHEN " + group + " = LAG(" + group +
                             ") OVER w_ THEN 0 ELSE 1 END AS brk_, " + group + " AS g_" + rowValues + " FROM " +
                             RecordSql::tableRef(file_) + " WHERE " + w + " WINDOW w_ AS (ORDER BY " +
                             RecordSql::orderBy(file_, key_, false) + ")";
    const std::string runs = "SELECT *, SUM(brk_) OVER (ORDER BY n_ ROWS UNBOUNDED PRECEDING) AS run_ FROM (" + rows + ")";
    const std::string sql =
        "SELECT MAX(CASE WHEN brk_ = 1 THEN g_ END)" + sums + " FROM (" + runs + ") GROUP BY run_ ORDER BY run_";
    sqlite3_stmt *st = RecordSql::connection(file_).prepare(sql);
    if (!st)
        return err::DriverError;
    Reset reset{st};
    b.bind(file_, st);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        GroupTotals t;
        const unsigned char *text = sqlite3_column_text(st, 0);
        t.value = text ? reinterpret_cast<const char *>(text) : "";
        t.totals.resize(totals.size());
        for (std::size_t i = 0; i < totals.size(); ++i)
            if (int code = readTotal(st, static_cast<int>(i) + 1, t.totals[i])) {
                out.clear();
                return code;
            }
        out.push_back(std::move(t));
    }
    if (rc != SQLITE_DONE) {
        out.clear();
        return RecordSql::fail(file_, rc);
    }
    clearError();
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Reading ahead

ViewReader::ViewReader(const View &view, std::size_t batch) : view_(view), batch_(std::max<std::size_t>(1, batch)) {}

bool ViewReader::batchStands() const
{
    if (!view_.file().isOpen())
        return false;
    const View::Mark now = view_.mark();
    return now.connection != 0 && now.connection == mark_.connection && now.writes == mark_.writes &&
           now.dataVersion == mark_.dataVersion && view_.filterSignature() == signature_;
}

int ViewReader::fill(std::size_t wanted)
{
    ahead_.clear();
    at_ = 0;
    const std::size_t size = std::max(batch_, wanted);
    mark_ = view_.mark();
    signature_ = view_.filterSignature();
    int rc = started_ ? view_.readAfter(last_, size, ahead_) : view_.read(size, ahead_);
    std::size_t asked = size;
    if (rc != 0 && size > wanted) {
        // A batch that fails may hold rows a slice would still have read: the slice decides.
        asked = wanted;
        rc = started_ ? view_.readAfter(last_, wanted, ahead_) : view_.read(wanted, ahead_);
    }
    if (rc != 0) {
        ahead_.clear();
        return rc;
    }
    exhausted_ = ahead_.size() < asked;
    return 0;
}

int ViewReader::next(std::size_t n, std::vector<ViewRow> &rows)
{
    rows.clear();
    if (at_ < ahead_.size() || exhausted_) {
        if (!batchStands()) {
            exhausted_ = false;
            ahead_.clear();
            at_ = 0;
        }
    } else {
        ahead_.clear();
        at_ = 0;
    }
    while (rows.size() < n) {
        if (at_ == ahead_.size()) {
            if (exhausted_)
                break;
            if (int rc = fill(n - rows.size())) {
                rows.clear();
                return rc;
            }
            if (ahead_.empty())
                break;
        }
        rows.push_back(std::move(ahead_[at_++]));
    }
    if (!rows.empty()) {
        last_ = rows.back();
        started_ = true;
    }
    if (at_ == ahead_.size() && !exhausted_) {
        ahead_.clear();
        at_ = 0;
    }
    clearError();
    return 0;
}

bool totalTooLarge() { return errorCode() == err::DriverError && fileErrorText() == kTotalOverflow; }

}  // namespace rt
