#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>

#include "runtime/dates.h"
#include "runtime/record.h"
#include "runtime/view.h"
#include "tests/support/test_support.h"

using namespace rt;

namespace {

#define GADGET(X)                  \
    X(0, NAME, STRING, 12, 0)      \
    X(12, KIND, STRING, 10, 0)     \
    X(22, NUMBER, LONG, 4, 0)      \
    X(26, STAMP, LONG, 4, 0)       \
    X(30, PRICE, DEC, 7, 2)        \
    X(34, QTY, LONG, 4, 0)         \
    X(38, STATUS, STRING, 4, 0)

struct Gadget {
    GADGET(RT_DECLARE_FIELD)
};
#define GADGET_ENTRY(off, name, kind, n, p) RT_FIELD_ENTRY(Gadget, off, name, kind, n, p)

enum { NAME, KIND, NUMBER, STAMP, PRICE, QTY, STATUS };

const TableDef &gadgets()
{
    static const TableDef def = [] {
        TableDef t;
        t.label = "Gadget";
        t.prefix = "GAD";
        t.recordSize = sizeof(Gadget);
        t.fields = {GADGET(GADGET_ENTRY)};
        t.keys = {KeyDef{"NAMEKEY", {{NAME}}},
                  KeyDef{"NUMBERKEY", {{NUMBER}}, true},
                  KeyDef{"STAMPKEY", {{STAMP, true}}},
                  KeyDef{"KINDKEY", {{KIND}, {NAME}}},
                  KeyDef{"KINDSTAMPKEY", {{KIND}, {STAMP, true}}}};
        t.memoName = "NOTES";
        t.memoMax = 100;
        t.diskName = "gadgets.tps";
        return t;
    }();
    return def;
}

const KeyDef *key(const char *name) { return gadgets().key(name); }

std::int32_t day(int d) { return makeDate(1, d, 2024); }

class Views : public ::testing::Test {
protected:
    void SetUp() override
    {
        file.name = home.file("gadgets.tps");
        ASSERT_EQ(file.create(), 0);
        ASSERT_EQ(file.open(mode::ReadWriteDenyNone), 0);
        // In file order a "Fruit" comes after the vegetables, so breaks in file order differ
        // from breaks in kind order.
        add("apple", "Fruit", 30, day(1), 100, 2, "Have");
        add("Banana", "fruit", 10, day(3), 250, 1, "sell");
        add("cherry", "FRUIT", 20, day(2), 1000, 0, "Have");
        add("Carrot", "Veg", 50, day(2), 75, 4, "Want");
        add("date", "veg", 40, day(4), 300, 1, "Sold");
        add("Elder", "Fruit", 60, day(5), 5, 3, "Have");
    }
    void add(const char *name, const char *kind, int number, std::int32_t stamp, int cents, int qty,
             const char *status)
    {
        clearRecord(gadgets(), &rec);
        rec.NAME = name;
        rec.KIND = kind;
        rec.NUMBER = number;
        rec.STAMP = stamp;
        rec.PRICE.setCents(cents);
        rec.QTY = qty;
        rec.STATUS = status;
        memo = std::string("about ") + name;
        ASSERT_EQ(file.add(), 0);
        position[name] = file.position();
    }
    static std::string name(const ViewRow &r) { return fieldText(gadgets().fields[NAME], r.record.data()); }
    static std::vector<std::string> names(const std::vector<ViewRow> &rows)
    {
        std::vector<std::string> v;
        for (const ViewRow &r : rows)
            v.push_back(name(r));
        return v;
    }
    // The name of the located row ("" on a miss), checking the code that goes with it.
    std::string located(const View &v, const std::vector<BoundValue> &values)
    {
        std::int64_t at = -1;
        int code = v.locate(values, at);
        EXPECT_EQ(code, errorCode());
        if (code == err::NoRecord)
            return "";
        EXPECT_EQ(code, 0);
        std::vector<ViewRow> row;
        View(file).readPositions({at}, row);
        return row.empty() ? "?" : name(row[0]);
    }
    using Vs = std::vector<std::string>;

    testing_support::TempHome home;
    Gadget rec;
    std::string memo;
    RecordFile file{gadgets(), &rec, &memo};
    std::map<std::string, std::int64_t> position;
};

}  // namespace

TEST_F(Views, CountSlicesAndTotalsFollowTheConditions)
{
    const TableDef &d = gadgets();
    View all(file, key("NAMEKEY"));
    EXPECT_EQ(all.count(), 6);
    // Slices in key order, case-blind, forward and backward, each going on from the last row.
    std::vector<ViewRow> rows;
    ASSERT_EQ(all.read(4, rows), 0);
    EXPECT_EQ(names(rows), (Vs{"apple", "Banana", "Carrot", "cherry"}));
    EXPECT_EQ(rows[1].memo, "about Banana");
    ViewRow last = rows.back();
    ASSERT_EQ(all.readAfter(last, 4, rows), 0);
    EXPECT_EQ(names(rows), (Vs{"date", "Elder"}));  // fewer than asked: the end
    ASSERT_EQ(all.readAfter(last, 2, rows, true), 0);
    EXPECT_EQ(names(rows), (Vs{"Carrot", "Banana"}));
    ASSERT_EQ(all.read(2, rows, true), 0);
    EXPECT_EQ(names(rows), (Vs{"Elder", "date"}));
    ASSERT_EQ(all.readFrom(position["Carrot"], 2, rows), 0);
    EXPECT_EQ(names(rows), (Vs{"Carrot", "cherry"}));
    // A row read before goes on from its place even once it is gone.
    ASSERT_EQ(file.getPosition(position["cherry"]), 0);
    ASSERT_EQ(file.del(), 0);
    ASSERT_EQ(all.readAfter(last, 1, rows), 0);
    EXPECT_EQ(names(rows), (Vs{"date"}));
    EXPECT_EQ(all.readFrom(position["cherry"], 1, rows), err::RecordNotFound);
    add("cherry", "FRUIT", 20, day(2), 1000, 0, "Have");

    // Equals compares like the keys; a live value is read at every call.
    std::string kind = "fRuIt ";
    View live(file, key("NUMBERKEY"), {Condition::equalsLive(d, "KIND", [&] { return kind; })});
    std::vector<std::int64_t> at;
    ASSERT_EQ(live.positions(at), 0);
    EXPECT_EQ(at, (std::vector<std::int64_t>{position["Banana"], position["cherry"], position["apple"],
                                             position["Elder"]}));
    kind = "VEG";
    EXPECT_EQ(live.count(), 2);
    View numbered(file, nullptr, {Condition::equals(d, "NUMBER", std::int64_t{40})});
    EXPECT_EQ(numbered.count(), 1);

    // Totals: every row counted, quantities summed, the product only for the listed statuses.
    View fruit(file, nullptr, {Condition::equals(d, "KIND", "Fruit"), Condition::notBlank(d, "QTY")});
    std::vector<std::int64_t> t;
    ASSERT_EQ(fruit.totals({Total::count(), Total::sum(d, "QTY"),
                            Total::sumOfProduct(d, "QTY", "PRICE", {Condition::oneOf(d, "STATUS", {"Have", "Sell"})}),
                            Total::count({Condition::oneOf(d, "STATUS", {"Sell"})})},
                           t),
              0);
    EXPECT_EQ(t, (std::vector<std::int64_t>{3, 6, 2 * 100 + 250 + 3 * 5, 1}));
}

// A collector's inventory: one group of 10,000 rows whose key values differ only in case and
// repeat, so that the order within equal keys is the rows' positions. Read in slices, forward
// and backward, in every kind of key (the file's order, one part, two parts, a descending
// part) and under a filter fixing the group, the rows come in the order one full read gives.
TEST_F(Views, SlicesOfOneLargeGroupFollowTheFullReadExactly)
{
    {
        Transaction tx({&file});
        ASSERT_EQ(tx.begin(), 0);
        const char *kinds[] = {"Fruit", "FRUIT", "fruit", "fRuIt"};
        for (int i = 0; i < 10000; ++i) {
            clearRecord(gadgets(), &rec);
            rec.NAME = std::string(i % 3 ? "item " : "ITEM ") + std::to_string(i * 7919 % 211);
            rec.KIND = kinds[i % 4];
            rec.NUMBER = 1000 + i;
            rec.STAMP = day(1 + i * 31 % 17);
            memo.clear();
            ASSERT_EQ(file.add(), 0);
        }
        ASSERT_EQ(tx.commit(), 0);
    }
    const TableDef &d = gadgets();
    struct Case {
        const char *key;
        bool filtered;
        std::size_t slice;
    };
    for (const Case &c : {Case{nullptr, false, 25}, Case{"NAMEKEY", false, 25}, Case{"KINDKEY", false, 25},
                          Case{"KINDKEY", true, 25}, Case{"KINDSTAMPKEY", false, 25}, Case{"KINDSTAMPKEY", true, 7},
                          Case{"STAMPKEY", false, 1}})
        for (bool backward : {false, true}) {
            SCOPED_TRACE(std::string(c.key ? c.key : "file order") + (c.filtered ? " filtered" : "") +
                         (backward ? " backward" : ""));
            std::vector<Condition> filter;
            if (c.filtered)
                filter.push_back(Condition::equals(d, "KIND", "FRUIT"));
            View v(file, c.key ? key(c.key) : nullptr, filter);
            std::vector<ViewRow> all, rows;
            ASSERT_EQ(v.read(SIZE_MAX, all, backward), 0);
            ASSERT_EQ(all.size(), 10000u + (c.filtered ? 4 : 6));
            std::vector<std::int64_t> whole, sliced;
            for (const ViewRow &r : all)
                whole.push_back(r.position);
            ASSERT_EQ(v.read(c.slice, rows, backward), 0);
            while (!rows.empty()) {
                for (const ViewRow &r : rows)
                    sliced.push_back(r.position);
                if (rows.size() < c.slice)
                    break;
                const ViewRow last = rows.back();
                ASSERT_EQ(v.readAfter(last, c.slice, rows, backward), 0);
            }
            EXPECT_EQ(sliced, whole);
        }
}

TEST_F(Views, GroupTotalsBreakWhereTheGroupFieldChangesInTheOrder)
{
    const TableDef &d = gadgets();
    std::vector<Total> t{Total::count(), Total::sumOfProduct(d, "QTY", "PRICE")};
    std::vector<GroupTotals> g;
    ASSERT_EQ(View(file, key("KINDKEY")).groupTotals("KIND", t, g), 0);
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g[0].value, "Fruit");  // the spelling of the group's first row
    EXPECT_EQ(g[0].totals, (std::vector<std::int64_t>{4, 200 + 250 + 0 + 15}));
    EXPECT_EQ(g[1].value, "Veg");
    EXPECT_EQ(g[1].totals, (std::vector<std::int64_t>{2, 300 + 300}));
    // In file order the last fruit opens a group of its own.
    ASSERT_EQ(View(file).groupTotals("KIND", t, g), 0);
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g[0].totals[0], 3);
    EXPECT_EQ(g[1].totals[0], 2);
    EXPECT_EQ(g[2].value, "Fruit");
    EXPECT_EQ(g[2].totals, (std::vector<std::int64_t>{1, 15}));
    // No rows, no groups.
    ASSERT_EQ(View(file, nullptr, {Condition::equals(d, "KIND", "Nuts")}).groupTotals("KIND", t, g), 0);
    EXPECT_TRUE(g.empty());
}

TEST_F(Views, LocateSeeksInEveryKindOfKey)
{
    const TableDef &d = gadgets();
    // Text, case-blind.
    View byName(file, key("NAMEKEY"));
    EXPECT_EQ(located(byName, {std::string("C")}), "Carrot");
    EXPECT_EQ(located(byName, {std::string("CHERRY  ")}), "cherry");
    EXPECT_EQ(located(byName, {std::string("cherryx")}), "date");
    EXPECT_EQ(located(byName, {std::string("f")}), "");
    // Numbers.
    View byNumber(file, key("NUMBERKEY"));
    EXPECT_EQ(located(byNumber, {std::int64_t{25}}), "apple");
    EXPECT_EQ(located(byNumber, {std::int64_t{60}}), "Elder");
    EXPECT_EQ(located(byNumber, {std::int64_t{61}}), "");
    // The descending date key: "at or after" is on or before the date, newest first; ties in
    // the order the rows were added.
    View byStamp(file, key("STAMPKEY"));
    EXPECT_EQ(located(byStamp, {std::int64_t{day(9)}}), "Elder");
    EXPECT_EQ(located(byStamp, {std::int64_t{day(2)}}), "cherry");
    EXPECT_EQ(located(byStamp, {std::int64_t{day(1) - 1}}), "");
    // Several components: the first alone, or more of them; mixed directions.
    View byKind(file, key("KINDKEY"));
    EXPECT_EQ(located(byKind, {std::string("VEG")}), "Carrot");
    EXPECT_EQ(located(byKind, {std::string("fruit"), std::string("c")}), "cherry");
    EXPECT_EQ(located(byKind, {std::string("Fruit"), std::string("f")}), "Carrot");
    EXPECT_EQ(located(byKind, {std::string("veg"), std::string("e")}), "");
    View byKindStamp(file, key("KINDSTAMPKEY"));
    EXPECT_EQ(located(byKindStamp, {std::string("fruit"), std::int64_t{day(2)}}), "cherry");
    EXPECT_EQ(located(byKindStamp, {std::string("fruit"), std::int64_t{day(1) - 1}}), "date");

    // Under a filter, and by a second component whose first the filter fixes.
    View veg(file, key("KINDKEY"), {Condition::equals(d, "KIND", "veg")});
    std::int64_t at = 0;
    ASSERT_EQ(veg.locate(NAME, std::string("D"), at), 0);
    EXPECT_EQ(at, position["date"]);
    EXPECT_EQ(veg.locate(NAME, std::string("e"), at), err::NoRecord);
    View vegByName(file, key("NAMEKEY"), {Condition::equals(d, "KIND", "Veg")});
    EXPECT_EQ(located(vegByName, {std::string("a")}), "Carrot");

    // The located row's place in the list read from the same view.
    std::vector<std::int64_t> list;
    ASSERT_EQ(byStamp.positions(list), 0);
    ASSERT_EQ(byStamp.locate({std::int64_t{day(2)}}, at), 0);
    EXPECT_EQ(byStamp.lowerBound(list, at), 3u);
    EXPECT_EQ(list[3], position["cherry"]);
    EXPECT_EQ(byStamp.lowerBound(list, list.front()), 0u);
    EXPECT_EQ(byStamp.lowerBound(list, list.back()), list.size() - 1);
}

TEST_F(Views, ErrorsAreLeftInTheErrorCode)
{
    View bad(file, nullptr, {Condition::equals(gadgets(), "COLOUR", "red")});
    EXPECT_EQ(bad.count(), 0);
    EXPECT_EQ(errorCode(), err::DriverError);
    std::vector<std::int64_t> t;
    EXPECT_EQ(View(file).totals({Total::sum(gadgets(), "NAME")}, t), err::DriverError);  // text cannot be summed
    std::int64_t at = 0;
    EXPECT_EQ(View(file).locate({std::string("a")}, at), err::DriverError);  // file order has no key
    EXPECT_EQ(View(file, key("NAMEKEY")).count(), 6);
    EXPECT_EQ(errorCode(), 0);
    file.close();
    std::vector<ViewRow> rows;
    EXPECT_EQ(View(file, key("NAMEKEY")).read(5, rows), err::NotOpen);
    EXPECT_EQ(errorCode(), err::NotOpen);
}

TEST_F(Views, PositionsReadWithTotalsMatchThePositionsAndTotalsReadApart)
{
    const TableDef &d = gadgets();
    // Numbers not in the order the rows were added, ties in a descending key, and a product
    // whose statuses are chosen case-blind.
    add("fig", "Fruit", 5, day(2), 40, 2, "HAVE");
    add("grape", "veg", 25, day(3), 60, 1, "Have");
    const std::vector<Total> totals{Total::count(), Total::sumOfProduct(d, "QTY", "PRICE", {Condition::oneOf(d, "STATUS", {"Have"})}),
                                    Total::count({Condition::equals(d, "KIND", "veg")})};
    for (const KeyDef *k : {key("NUMBERKEY"), key("STAMPKEY"), key("KINDSTAMPKEY"), static_cast<const KeyDef *>(nullptr)}) {
        for (const std::vector<Condition> &filter :
             {std::vector<Condition>{}, std::vector<Condition>{Condition::equals(d, "KIND", "FRUIT")}}) {
            View v(file, k, filter);
            std::vector<std::int64_t> apart, together, t, tt;
            int code = -1;
            ASSERT_EQ(v.positions(apart), 0);
            ASSERT_EQ(v.totals(totals, t), 0);
            ASSERT_EQ(v.positionsAndTotals(together, totals, tt, code), 0);
            EXPECT_EQ(code, 0);
            EXPECT_EQ(together, apart) << (k ? k->name : "file order") << " " << filter.size();
            EXPECT_EQ(tt, t) << (k ? k->name : "file order");
        }
    }
}

// A report reads its view ahead in batches and takes 25 rows a tick; whatever happens between
// two ticks, the rows that follow must be those a fresh read after the last row would give.
TEST_F(Views, ReadAheadMissesNoWriteLiveValueOrClosedFileBetweenSlices)
{
    const TableDef &d = gadgets();
    std::string kind = "fruit";
    struct Case {
        const char *what;
        std::size_t batch, slice;
        std::function<void()> between;
    };
    const Case cases[] = {
        {"nothing, batch larger than the view", 500, 2, [] {}},
        {"nothing, batch smaller than a slice", 1, 2, [] {}},
        {"nothing, slices of one", 4, 1, [] {}},
        {"a row added ahead", 500, 2, [&] { add("zebra", "Fruit", 70, day(6), 1, 1, "Have"); }},
        {"a row added behind", 500, 2, [&] { add("aardvark", "Fruit", 80, day(6), 1, 1, "Have"); }},
        {"the next row deleted", 500, 2,
         [&] {
             ASSERT_EQ(file.getPosition(position["cherry"]), 0);
             ASSERT_EQ(file.del(), 0);
         }},
        {"the next row renamed behind", 3, 1,
         [&] {
             ASSERT_EQ(file.getPosition(position["cherry"]), 0);
             rec.NAME = "aa cherry";
             ASSERT_EQ(file.put(), 0);
         }},
        {"the live value changed", 500, 1, [&] { kind = "veg"; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        file.close();
        SetUp();
        kind = "fruit";
        View v(file, key("NAMEKEY"), {Condition::equalsLive(d, "KIND", [&] { return kind; })});
        ViewReader reader(v, c.batch);
        std::vector<ViewRow> rows, rest;
        ASSERT_EQ(reader.next(c.slice, rows), 0);
        ASSERT_EQ(rows.size(), c.slice);
        Vs got = names(rows), want = got;
        const ViewRow last = rows.back();
        c.between();
        ASSERT_EQ(v.readAfter(last, SIZE_MAX, rest), 0);
        for (const std::string &n : names(rest))
            want.push_back(n);
        do {
            ASSERT_EQ(reader.next(c.slice, rows), 0);
            for (const std::string &n : names(rows))
                got.push_back(n);
        } while (rows.size() == c.slice);
        EXPECT_EQ(got, want);
        ASSERT_EQ(reader.next(c.slice, rows), 0);
        EXPECT_TRUE(rows.empty());  // the end stays the end
    }

    // A file closed under the reader is an error at the next slice, not the rest of a batch.
    file.close();
    SetUp();
    View v(file, key("NAMEKEY"));
    ViewReader reader(v, 500);
    std::vector<ViewRow> rows;
    ASSERT_EQ(reader.next(2, rows), 0);
    file.close();
    EXPECT_EQ(reader.next(2, rows), err::NotOpen);
    EXPECT_TRUE(rows.empty());
}
