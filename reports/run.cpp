#include "reports/run.h"

#include "runtime/text.h"

namespace reports {

ReportRun::ReportRun(const ReportSpec &spec, ReportWriter &writer) : spec_(spec), writer_(writer)
{
    for (const TotalSpec &t : spec_.totals) {
        group_[t.name] = 0;
        grand_[t.name] = 0;
    }
}

void ReportRun::add(const std::string &total, std::int64_t amount)
{
    // Totals are exact; one that would leave 64 bits stays at its limit rather than wrap.
    auto addTo = [&](std::int64_t &v) {
        if (__builtin_add_overflow(v, amount, &v))
            v = amount > 0 ? INT64_MAX : INT64_MIN;
    };
    addTo(group_[total]);
    addTo(grand_[total]);
}

std::int64_t ReportRun::total(const std::string &name) const
{
    auto it = grand_.find(name);
    return it == grand_.end() ? 0 : it->second;
}

std::int64_t ReportRun::groupTotal(const std::string &name) const
{
    auto it = group_.find(name);
    return it == group_.end() ? 0 : it->second;
}

namespace {
Values asValues(const std::vector<TotalSpec> &specs, const std::map<std::string, std::int64_t> &totals)
{
    Values v;
    for (const TotalSpec &t : specs) {
        std::int64_t n = totals.at(t.name);
        v.set(t.name, t.amount ? Value{Value::Kind::Number, {}, n, t.places} : Value::whole(n));
    }
    return v;
}
}  // namespace

Values ReportRun::groupValues() const { return asValues(spec_.totals, group_); }
Values ReportRun::grandValues() const { return asValues(spec_.totals, grand_); }

void ReportRun::addWhen(TotalSpec::When when, const rt::ViewRow *row)
{
    for (const TotalSpec &t : spec_.totals)
        if (t.when == when)
            add(t.name, t.amount && row ? t.amount(*row) : 1);
}

void ReportRun::openGroup(const std::string &key, const rt::ViewRow &first)
{
    groupKey_ = key;
    groupLookup_ = spec_.group.open ? spec_.group.open(key, first) : Values{};
    groupOpen_ = true;
    anyGroup_ = true;
    groupPrinted_ = 0;
    addWhen(TotalSpec::When::GroupOpened, nullptr);
    if (const Band *header = spec_.group.header.empty() ? nullptr : writer_.layout().band(spec_.group.header)) {
        // A group's header never ends a page: it goes with the group's first item.
        Band kept = *header;
        kept.keepWithNext = true;
        writer_.print(kept, groupLookup_);
    }
}

void ReportRun::closeGroup()
{
    if (!groupOpen_)
        return;
    using F = GroupSpec::Footer;
    const bool print = !spec_.group.footer.empty() &&
                       (spec_.group.footerWhen == F::Always ||
                        (spec_.group.footerWhen == F::WhenItems && groupPrinted_ > 0));
    if (print) {
        Values v = groupLookup_;
        v.append(groupValues());
        writer_.print(spec_.group.footer, v);
        if (spec_.group.footerEndsPage)
            writer_.breakPage();
    }
    for (auto &p : group_)
        p.second = 0;
    groupOpen_ = false;
}

void ReportRun::item(const rt::ViewRow &row)
{
    if (finished_)
        return;
    if (!begun_) {
        begun_ = true;
        if (spec_.begin)
            spec_.begin(*this);
    }
    ++read_;
    addWhen(TotalSpec::When::ItemRead, &row);
    if (spec_.accept && !spec_.accept(row))
        return;
    if (spec_.grouped) {
        std::string key = spec_.group.key ? spec_.group.key(row) : std::string();
        if (!groupOpen_ || !rt::equalNoCase(rt::clipView(key), rt::clipView(groupKey_))) {
            closeGroup();
            openGroup(key, row);
        }
    }
    if (spec_.printItem)
        spec_.printItem(row, *this);
    ++printed_;
    ++groupPrinted_;
    addWhen(TotalSpec::When::ItemPrinted, &row);
}

void ReportRun::finish()
{
    if (finished_)
        return;
    if (!begun_) {
        begun_ = true;
        if (spec_.begin)
            spec_.begin(*this);
    }
    const bool hadGroup = anyGroup_;
    closeGroup();
    finished_ = true;
    if (hadGroup && !spec_.grandBand.empty())
        writer_.print(spec_.grandBand, grandValues());
    if (!spec_.totalsBand.empty() && (read_ > 0 || (spec_.itemsOutsideView && spec_.itemsOutsideView())))
        writer_.print(spec_.totalsBand, grandValues());
    if (printed_ > 0 && spec_.end)
        spec_.end(*this);
    writer_.finish();
}

}  // namespace reports
