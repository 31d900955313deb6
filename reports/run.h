// One report's reading as data and plain code: which rows it takes, its one group level, its
// named totals and what it prints per row; ReportRun applies it to the rows as they are read.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "reports/engine.h"
#include "runtime/view.h"

namespace reports {

class ReportRun;

// A named total: a count (no amount) or a sum of 64-bit amounts (cents), kept for the open
// group and for the whole report, added at the moment the report names.
struct TotalSpec {
    // Manual: only what the report adds itself (child rows, rows it prints after a test).
    enum class When { ItemRead, ItemPrinted, GroupOpened, Manual };
    std::string name;
    When when = When::ItemPrinted;
    std::function<std::int64_t(const rt::ViewRow &)> amount;  // empty: counts 1
    int places = 2;  // of an amount: cents by default, 0 for a sum of whole numbers
};

// The one group level. Keys compare the way the keys of the files compare: case-blind and
// without trailing blanks.
struct GroupSpec {
    enum class Footer { Always, Never, WhenItems };
    std::function<std::string(const rt::ViewRow &)> key;
    // The look-up when a group opens: the values its header and footer show (the footer takes
    // them from the group, never from a record buffer that has moved on).
    std::function<Values(const std::string &key, const rt::ViewRow &first)> open;
    std::string header, footer;  // band names; empty: none
    Footer footerWhen = Footer::Always;
    bool footerEndsPage = false;
};

struct ReportSpec {
    // Whether a row read is printed (the per-item test); empty: every row.
    std::function<bool(const rt::ViewRow &)> accept;
    bool grouped = false;
    GroupSpec group;
    std::vector<TotalSpec> totals;
    // Prints the bands of one accepted row (detail, memo, child rows...).
    std::function<void(const rt::ViewRow &, ReportRun &)> printItem;
    // Printed once at the start (a form body) and at the end after the last group footer when
    // a group was opened (the grand totals).
    std::function<void(ReportRun &)> begin;
    std::string grandBand;
    // Printed at the end, after the last group footer and the grand totals, whenever any row
    // was read, with or without groups: all zero when every row was left out.
    std::string totalsBand;
    // Whether the client has items the view leaves out (a custom report's limits): the totals
    // band then prints, once, even when the view gave no row.
    std::function<bool()> itemsOutsideView;
    // Printed at the end after the grand totals when an item was printed.
    std::function<void(ReportRun &)> end;
};

class ReportRun {
public:
    ReportRun(const ReportSpec &spec, ReportWriter &writer);

    // One row as read, in the view's order.
    void item(const rt::ViewRow &row);
    // After the last row: the last group's footer, the grand totals, the closing band.
    void finish();

    ReportWriter &writer() { return writer_; }
    bool print(std::string_view band, const Values &values = {}, const std::vector<Override> &overrides = {})
    {
        return writer_.print(band, values, overrides);
    }
    // Adds to a total of the open group and of the report (child rows count themselves).
    void add(const std::string &total, std::int64_t amount = 1);
    std::int64_t total(const std::string &name) const;       // the report's
    std::int64_t groupTotal(const std::string &name) const;  // the open group's
    // The totals as values: the group's or the report's, under the totals' names.
    Values groupValues() const;
    Values grandValues() const;
    bool groupOpen() const { return groupOpen_; }
    const std::string &groupKey() const { return groupKey_; }
    std::int64_t itemsRead() const { return read_; }
    std::int64_t itemsPrinted() const { return printed_; }

private:
    void openGroup(const std::string &key, const rt::ViewRow &first);
    void closeGroup();
    void addWhen(TotalSpec::When when, const rt::ViewRow *row);

    const ReportSpec &spec_;
    ReportWriter &writer_;
    bool begun_ = false;
    bool finished_ = false;
    bool groupOpen_ = false;
    bool anyGroup_ = false;
    std::string groupKey_;
    Values groupLookup_;
    std::int64_t groupPrinted_ = 0;
    std::int64_t read_ = 0, printed_ = 0;
    std::map<std::string, std::int64_t> group_, grand_;
};

}  // namespace reports
