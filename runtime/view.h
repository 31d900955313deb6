// Views: a key order (or the file's order) and typed conditions over a record file, with the
// reads that lists, drop lists, reports and totals need: the count, the ordered positions, rows
// in slices, sums and counts (also per group), and locating the first row at or after a value
// by a keyed seek. A view holds no rows; every call reads the file as it is, and reads the live
// values of its conditions afresh.
//
// Text compares the way the keys compare: case-blind (ASCII folding) and without trailing
// blanks. Every call leaves the runtime error code (0 on success) and returns it where it
// returns no count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "runtime/record_file.h"

namespace rt {

// A value bound into a condition; a function is read each time the view is read (a range on
// another window's record), a plain value is fixed when the condition is made.
using BoundValue = std::variant<std::string, std::int64_t>;
using BoundSource = std::function<BoundValue()>;

// One test on a field of the record. Text values compare case-blind; numbers of a decimal
// field are in its units (cents).
struct Condition {
    enum class Test : std::uint8_t { Equals, NotBlank, OneOf };
    Test test = Test::Equals;
    std::string field;                // the field's name without prefix ("CATEGORY")
    std::vector<BoundSource> values;  // Equals: one; OneOf: each choice; NotBlank: none

    static Condition equals(const TableDef &def, std::string_view field, const std::string &fixedValue);
    static Condition equals(const TableDef &def, std::string_view field, std::int64_t fixedValue);
    static Condition equalsLive(const TableDef &def, std::string_view field, std::function<std::string()> value);
    static Condition notBlank(const TableDef &def, std::string_view field);
    static Condition oneOf(const TableDef &def, std::string_view field, std::vector<std::string> values);
};

// One row as read: its position, the record and its memo.
struct ViewRow {
    std::int64_t position = 0;
    std::vector<unsigned char> record;
    std::string memo;
};

// After a failed read of totals: whether a total left 64 bits (SQLite's own "integer overflow"
// for a sum, or a product that left the integers), which is no failure of the file.
bool totalTooLarge();

// An exact 64-bit total over the rows of a view: the number of rows, the sum of a field, or
// the sum of the product of two fields; `only` narrows the rows this total takes. A total
// that would leave 64 bits is an error, never a wrapped or rounded value.
struct Total {
    enum class Kind : std::uint8_t { Count, Sum, SumOfProduct };
    Kind kind = Kind::Count;
    std::string field, factor;
    std::vector<Condition> only;

    static Total count(std::vector<Condition> only = {});
    static Total sum(const TableDef &def, std::string_view field, std::vector<Condition> only = {});
    static Total sumOfProduct(const TableDef &def, std::string_view field, std::string_view factor,
                              std::vector<Condition> only = {});
};

// The totals of one group: a run of rows, in the view's order, whose group field is equal
// (case-blind for text). `value` is the group field of the group's first row.
struct GroupTotals {
    std::string value;
    std::vector<std::int64_t> totals;
};

class View {
public:
    explicit View(RecordFile &file, const KeyDef *key = nullptr, std::vector<Condition> filter = {});

    // The key order (nullptr: the file's order) and the conditions every row meets.
    void setOrder(const KeyDef *key, std::vector<Condition> filter);
    RecordFile &file() const { return file_; }
    const KeyDef *key() const { return key_; }
    const std::vector<Condition> &filter() const { return filter_; }

    // The number of rows.
    std::int64_t count() const;
    // The positions of every row, in order; with a limit, of the first rows only.
    int positions(std::vector<std::int64_t> &out, std::size_t limit = 0) const;

    // Up to n rows in order (from the last one backward), into `rows` (replaced). Fewer than n
    // rows means the end was reached.
    int read(std::size_t n, std::vector<ViewRow> &rows, bool backward = false) const;
    // Up to n rows from the row at `position` on, that row included when it meets the filter.
    // Error 35 when there is no record at the position.
    int readFrom(std::int64_t position, std::size_t n, std::vector<ViewRow> &rows, bool backward = false) const;
    // Up to n rows after a row read before (it need not be in the file any more).
    int readAfter(const ViewRow &last, std::size_t n, std::vector<ViewRow> &rows, bool backward = false) const;
    // The rows at these positions, whatever the order and filter; positions without a record
    // are left out.
    int readPositions(const std::vector<std::int64_t> &positions, std::vector<ViewRow> &rows) const;

    // The first row at or after the values of the key's first components (one value or more),
    // by a seek in the key. 0 with its position; 33 when no row is at or after the values.
    int locate(const std::vector<BoundValue> &leading, std::int64_t &position) const;
    // The first row at or after a value of one field: a seek when the field is a component of
    // the key and every component before it is fixed by an Equals condition of the filter;
    // otherwise the first row, in order, whose field is at or after the value.
    int locate(int field, const BoundValue &value, std::int64_t &position) const;
    // Where a row stands in a list of positions read from this view (binary search in the
    // view's order): the index of the first listed row that is not before it.
    std::size_t lowerBound(const std::vector<std::int64_t> &positions, std::int64_t position) const;

    // Whether the row at a position meets the filter; the row when it does. 0 with `listed`
    // false for a row that does not, or that is no longer in the file.
    int readListed(std::int64_t position, ViewRow &row, bool &listed) const;

    // Where the file stands, so that a list read from this view can tell later what was written
    // since: the rows written through the file's connection (and the last of them), and a mark
    // that moves when any other connection commits to the file.
    struct Mark {
        std::uint64_t connection = 0;  // 0: the file was not open
        std::uint64_t writes = 0;
        std::int64_t lastWritten = 0;
        std::int64_t dataVersion = 0;
    };
    Mark mark() const;
    // The filter's values as they read now: equal signatures select the same rows of the file.
    std::string filterSignature() const;

    // The positions of every row, in order, and totals over the same rows: in one pass over the
    // file when every component of the key is a number, else the positions from the key and the
    // totals in a pass of their own. Returns the code of the positions' read; `totalsCode` has
    // the totals' own (their values are 0 unless it is 0).
    int positionsAndTotals(std::vector<std::int64_t> &out, const std::vector<Total> &totals,
                           std::vector<std::int64_t> &values, int &totalsCode) const;

    // One value per total, in one pass.
    int totals(const std::vector<Total> &totals, std::vector<std::int64_t> &out) const;
    // The totals of every group, in order: a new group starts wherever the group field changes.
    int groupTotals(std::string_view groupField, const std::vector<Total> &totals,
                    std::vector<GroupTotals> &out) const;

private:
    struct Binder;
    int check() const;
    std::string where(Binder &b, const std::string &extra = {}) const;
    int readRows(const std::string &sql, Binder &b, std::vector<ViewRow> &rows) const;
    int seekRead(const ViewRow &from, bool inclusive, std::size_t n, std::vector<ViewRow> &rows, bool backward) const;
    int locateWith(const std::string &seek, Binder &b, std::int64_t &position) const;

    RecordFile &file_;
    const KeyDef *key_;
    std::vector<Condition> filter_;
};

// Reads a view forward a batch at a time and hands the rows out in the smaller slices its
// caller asks for: one seek a batch instead of one a slice, and no read lock held between
// calls. Before a slice comes from the batch, the file and the filter's values are checked
// against what they were when the batch was read; any write since (through any connection),
// a changed live value or a closed file, and the rest is read afresh after the last row handed
// out, so that the rows are those a read of the file as it is now would give.
class ViewReader {
public:
    explicit ViewReader(const View &view, std::size_t batch = kBatch);
    // Up to n rows after the last ones handed out, into `rows` (replaced). Fewer than n rows
    // means the end was reached.
    int next(std::size_t n, std::vector<ViewRow> &rows);

    static constexpr std::size_t kBatch = 500;

private:
    bool batchStands() const;
    int fill(std::size_t wanted);

    const View &view_;
    std::size_t batch_;
    std::vector<ViewRow> ahead_;
    std::size_t at_ = 0;
    ViewRow last_;  // the last row handed out
    bool started_ = false;
    bool exhausted_ = false;  // the batch held the view's last row
    View::Mark mark_;
    std::string signature_;
};

}  // namespace rt
