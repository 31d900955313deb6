// The browse list over a record file: after each write it must list what a fresh read lists,
// in the same order, with the same count, and totals kept over it must equal fresh totals.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTableView>
#include <climits>
#include <functional>
#include <random>
#include <sqlite3.h>

#include "runtime/browse.h"
#include "runtime/error_manager.h"
#include "runtime/file_manager.h"
#include "runtime/message.h"
#include "runtime/record.h"
#include "tests/support/test_support.h"

using namespace rt;

namespace {

#define PART(X)                 \
    X(0, NAME, STRING, 10, 0)   \
    X(10, KIND, STRING, 4, 0)   \
    X(14, QTY, LONG, 4, 0)

struct Part {
    PART(RT_DECLARE_FIELD)
};
#define PART_ENTRY(off, name, kind, n, p) RT_FIELD_ENTRY(Part, off, name, kind, n, p)
enum { NAME, KIND, QTY };

const TableDef &parts()
{
    static const TableDef def = [] {
        TableDef t;
        t.label = "Part";
        t.prefix = "PRT";
        t.recordSize = sizeof(Part);
        t.fields = {PART(PART_ENTRY)};
        t.keys = {KeyDef{"NAMEKEY", {{NAME}}}, KeyDef{"KINDKEY", {{KIND}, {QTY, true}}}};
        t.diskName = "parts.tps";
        return t;
    }();
    return def;
}

// A list with its totals (row count and quantity) kept the way a browse window keeps them.
struct List {
    explicit List(RecordFile &f, const KeyDef *key, std::vector<Condition> filter) : model(f)
    {
        model.setOrder(key, std::move(filter));
        model.onRowPatched = [this](const BrowseRow *before, const BrowseRow *after) {
            const FieldDef &q = parts().fields[QTY];
            count += (after ? 1 : 0) - (before ? 1 : 0);
            qty += (after ? fieldNumber(q, after->record.data()) : 0) - (before ? fieldNumber(q, before->record.data()) : 0);
        };
    }
    void refill()
    {
        ASSERT_EQ(model.refill(), 0);
        if (version != model.rowsVersion()) {
            std::vector<std::int64_t> t;
            ASSERT_EQ(model.view().totals({Total::count(), Total::sum(parts(), "QTY")}, t), 0);
            count = t[0];
            qty = t[1];
            version = model.rowsVersion();
        }
    }
    // Equal to a fresh read of the same view: order, count, rows, totals and each row's place.
    void expectFresh(const char *step)
    {
        std::vector<std::int64_t> fresh;
        ASSERT_EQ(model.view().positions(fresh), 0);
        std::vector<std::int64_t> listed;
        for (int r = 0; r < model.rowCount(); ++r)
            listed.push_back(model.position(r));
        ASSERT_EQ(listed, fresh) << step;
        std::vector<std::int64_t> t;
        ASSERT_EQ(model.view().totals({Total::count(), Total::sum(parts(), "QTY")}, t), 0);
        EXPECT_EQ(count, t[0]) << step;
        EXPECT_EQ(qty, t[1]) << step;
        std::vector<ViewRow> rows;
        ASSERT_EQ(model.view().readPositions(fresh, rows), 0);
        for (int r = 0; r < model.rowCount(); ++r) {
            ASSERT_EQ(model.rowOf(fresh[static_cast<std::size_t>(r)]), r) << step;
            ASSERT_EQ(model.row(r)->record, rows[static_cast<std::size_t>(r)].record) << step << " row " << r;
        }
    }
    BrowseModel model;
    std::int64_t count = 0, qty = 0;
    std::uint64_t version = 0;
};

class BrowseLists : public ::testing::Test {
protected:
    void SetUp() override
    {
        file.name = home.file("parts.tps");
        ASSERT_EQ(file.create(), 0);
        ASSERT_EQ(file.open(mode::ReadWriteDenyNone), 0);
        for (int i = 0; i < 30; ++i)
            add(i);
    }
    void fill(int i)
    {
        rec.NAME = std::string(i % 3 ? "p" : "P") + std::to_string(gen() % 1000);
        rec.KIND = i % 2 ? "a" : "B";
        rec.QTY = static_cast<std::int32_t>(gen() % 7);
    }
    void add(int i)
    {
        clearRecord(parts(), &rec);
        fill(i);
        ASSERT_EQ(file.add(), 0);
    }
    std::int64_t pick(BrowseModel &m)
    {
        return m.position(static_cast<int>(gen() % static_cast<unsigned>(m.rowCount())));
    }

    testing_support::TempHome home;
    Part rec;
    RecordFile file{parts(), &rec};
    std::mt19937 gen{12};
};

}  // namespace

TEST_F(BrowseLists, FollowInsertsChangesAndDeletesAsAFreshReadWould)
{
    List byName(file, parts().key("NAMEKEY"), {Condition::equals(parts(), "KIND", "A")});
    List byKind(file, parts().key("KINDKEY"), {});
    List inFileOrder(file, nullptr, {Condition::notBlank(parts(), "QTY")});
    List *lists[] = {&byName, &byKind, &inFileOrder};
    for (List *l : lists)
        l->refill();
    const std::uint64_t version[] = {byName.model.rowsVersion(), byKind.model.rowsVersion(),
                                     inFileOrder.model.rowsVersion()};
    for (int step = 0; step < 120; ++step) {
        const std::string what = "step " + std::to_string(step);
        switch (step % 4) {
        case 0: add(step); break;
        case 1:  // a new name moves the row in both key orders; a new kind moves it in and out of the filter
        case 2:
            ASSERT_EQ(file.getPosition(pick(byKind.model)), 0);
            fill(step + static_cast<int>(gen() % 2));
            ASSERT_EQ(file.put(), 0);
            break;
        case 3:
            ASSERT_EQ(file.getPosition(pick(byKind.model)), 0);
            ASSERT_EQ(file.del(), 0);
            break;
        }
        for (List *l : lists) {
            l->refill();
            l->expectFresh(what.c_str());
        }
    }
    // Every write was followed by a patch, none by reading the list again.
    EXPECT_EQ(byName.model.rowsVersion(), version[0]);
    EXPECT_EQ(byKind.model.rowsVersion(), version[1]);
    EXPECT_EQ(inFileOrder.model.rowsVersion(), version[2]);
}

TEST_F(BrowseLists, WhatCannotBeFollowedRowByRowIsReadAgain)
{
    std::string kind = "a";
    List l(file, parts().key("NAMEKEY"), {Condition::equalsLive(parts(), "KIND", [&] { return kind; })});
    l.refill();
    std::uint64_t v = l.model.rowsVersion();
    // Another order over the same rows keeps the totals; another filter value does not.
    l.model.setOrder(parts().key("KINDKEY"), l.model.view().filter());
    l.refill();
    EXPECT_EQ(l.model.rowsVersion(), v);
    l.expectFresh("new order");
    kind = "b";
    l.refill();
    EXPECT_NE(l.model.rowsVersion(), v);
    l.expectFresh("new filter value");
    // Two writes at once.
    v = l.model.rowsVersion();
    add(1);
    add(2);
    l.refill();
    EXPECT_NE(l.model.rowsVersion(), v);
    l.expectFresh("two writes");
    // A write by another connection to the same file.
    v = l.model.rowsVersion();
    Part other{};
    RecordFile second(parts(), &other);
    second.name = file.name;
    ASSERT_EQ(second.open(mode::ReadWriteDenyNone), 0);
    clearRecord(parts(), &other);
    other.NAME = "zz";
    other.KIND = "B";
    ASSERT_EQ(second.add(), 0);
    second.close();
    l.refill();
    EXPECT_NE(l.model.rowsVersion(), v);
    l.expectFresh("another connection");
    // Nothing written: nothing read.
    v = l.model.rowsVersion();
    l.refill();
    EXPECT_EQ(l.model.rowsVersion(), v);
}

// What the user sees when the list cannot be read: a list whose rows could not be read (another
// program holds the file) shows no rows, never rows left blank, and asks nothing of them again;
// a total beyond 64 bits is named as what it is, not as a record that could not be read.
TEST_F(BrowseLists, AFailedReadShowsNoRowsAndATotalTooLargeSaysSo)
{
    setLockWaitUnitMs(20);
    testing_support::ScriptedMessages messages;
    ErrorManager errors;
    FileManager manager(file, errors);
    QTableView table;
    Browse browse(&table, manager);
    BrowseModel &m = browse.model();
    m.setOrder(parts().key("NAMEKEY"), {});
    ASSERT_EQ(m.reread(), 0);
    ASSERT_EQ(m.rowCount(), 30);

    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(file.name.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    // The rows as the list paints them: read fails, reported once after the paint, list empty.
    EXPECT_EQ(m.row(0), nullptr);
    EXPECT_EQ(m.rowCount(), 30);  // not during the paint
    QCoreApplication::processEvents();
    EXPECT_EQ(m.rowCount(), 0);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_NE(messages.shown()[0].title, "Total Too Large");
    // A refill that cannot read the list leaves it empty too.
    messages.clear();
    EXPECT_NE(m.reread(), 0);
    EXPECT_EQ(m.rowCount(), 0);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    ASSERT_EQ(m.reread(), 0);
    EXPECT_EQ(m.rowCount(), 30);
    EXPECT_NE(m.row(0), nullptr);

    // Quantities whose squares sum beyond 64 bits.
    ASSERT_EQ(file.setFileOrder(), 0);
    while (file.next() == 0) {
        rec.QTY = INT32_MAX;
        ASSERT_EQ(file.put(), 0);
    }
    std::vector<std::int64_t> t;
    EXPECT_NE(m.view().totals({Total::count(), Total::sumOfProduct(parts(), "QTY", "QTY")}, t), 0);
    browse.reportFailure(FileFailure::Read, false);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].title, "Total Too Large");
    EXPECT_EQ(messages.shown()[0].text,
              "A total of this list is too large to be computed.|The list shows its rows without the total.");
}

// A long list knows its number of rows and shows its first ones before it reads the positions of
// the others; those are read once the list has shown, or at once when a row beyond, a place in
// the list or a write needs them. However they come to be read, the list must then be what a
// fresh read gives, and a file another program changed in between must not leave the list with
// the count it had before.
TEST_F(BrowseLists, ALongListReadInTwoStepsEndsAsAFreshReadWould)
{
    {
        Transaction tx({&file});
        ASSERT_EQ(tx.begin(), 0);
        for (int i = 0; i < 2500; ++i)
            add(i);
        ASSERT_EQ(tx.commit(), 0);
    }
    const int rows = 2530;
    auto otherProgramAdds = [&](int n) {
        Part other{};
        RecordFile second(parts(), &other);
        second.name = file.name;
        ASSERT_EQ(second.open(mode::ReadWriteDenyNone), 0);
        for (int i = 0; i < n; ++i) {
            clearRecord(parts(), &other);
            other.NAME = "zz" + std::to_string(i);
            ASSERT_EQ(second.add(), 0);
        }
        second.close();
    };
    struct Case {
        const char *name;
        std::function<void(List &)> between;  // after the first step, before anything else
    } cases[] = {
        {"the rest read once the list has shown", [](List &) { QCoreApplication::processEvents(); }},
        {"the last row asked for at once", [&](List &l) { EXPECT_NE(l.model.row(l.model.rowCount() - 1), nullptr); }},
        {"a place in the list asked for at once",
         [&](List &l) {
             std::vector<std::int64_t> fresh;
             ASSERT_EQ(l.model.view().positions(fresh), 0);
             EXPECT_EQ(l.model.rowOf(fresh.back()), rows - 1);
         }},
        {"a write through the file followed at once",
         [&](List &l) {
             ASSERT_EQ(file.getPosition(l.model.position(5)), 0);
             rec.NAME = "zzz";
             ASSERT_EQ(file.put(), 0);
             l.refill();
             EXPECT_EQ(l.model.rowCount(), rows);
         }},
        {"another program's rows added before the rest was read",
         [&](List &l) {
             otherProgramAdds(3);
             QCoreApplication::processEvents();
             QCoreApplication::processEvents();
             // Read again without being asked: not the old count over the new rows.
             std::vector<std::int64_t> fresh, listed;
             ASSERT_EQ(l.model.view().positions(fresh), 0);
             for (int r = 0; r < l.model.rowCount(); ++r)
                 listed.push_back(l.model.position(r));
             EXPECT_EQ(listed, fresh);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        List l(file, parts().key("NAMEKEY"), {});
        l.refill();
        const int count = static_cast<int>(l.model.view().count());
        ASSERT_GE(count, rows);
        EXPECT_EQ(l.model.rowCount(), count);
        c.between(l);
        l.refill();
        l.expectFresh(c.name);
    }
    // Another program holds the file when the rest is to be read: the list is told once and
    // shows no rows, never its first rows followed by blank ones.
    BrowseModel m(file);
    int told = 0;
    m.onReadError = [&](const ErrorState &) { ++told; };
    m.setOrder(parts().key("NAMEKEY"), {});
    ASSERT_EQ(m.reread(), 0);
    ASSERT_GE(m.rowCount(), rows);
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(file.name.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(m.rowCount(), 0);
    EXPECT_EQ(told, 1);
}
