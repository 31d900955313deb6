// Locating in the description order of the items at 10,000, 100,000 and 1,000,000 items, each
// size in a temporary folder of its own: the view's keyed locate and the browse's locator jump
// (the seek plus finding the row in the list) against a raw SQLite keyed seek on the same file,
// opened with the driver's settings, in the same run. Also the rows-before count that the
// browse once located by.
#include <sqlite3.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "model/dictionary.h"
#include "runtime/browse.h"
#include "runtime/view.h"

namespace {

using bench::Clock;
using bench::us;

// Values across the whole range of descriptions, in either case.
std::vector<std::string> probes(int count)
{
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> pick(0, 1000002);
    std::vector<std::string> v;
    for (int i = 0; i < count; ++i)
        v.push_back((i % 2 ? "ITEM " : "item ") + std::to_string(pick(gen)));
    return v;
}

int runSize(int n)
{
    bench::TempFolder dir("locate");
    const std::string path = dir.file("qormas.tps");
    MasterInventory.name = path;
    if (MasterInventory.create() != 0 || MasterInventory.open(rt::mode::ReadWriteDenyNone) != 0) {
        std::fprintf(stderr, "cannot make %s: %s\n", path.c_str(), rt::errorText().c_str());
        return 1;
    }
    if (!bench::addItems(n))
        return 1;

    const rt::KeyDef *desc = dict::MasterInventoryDef.key("DESCRIPTIONKEY");
    const int field = dict::MasterInventoryDef.fieldIndex("DESCRIPTION");
    const std::vector<std::string> values = probes(20000);

    // Raw SQLite: the same file, the same index, a prepared statement.
    sqlite3 *db = bench::rawOpen(path, false);
    sqlite3_stmt *seek = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid FROM data WHERE description >= ? COLLATE NOCASE ORDER BY description LIMIT 1",
                       -1, &seek, nullptr);
    auto raw = [&](const std::string &v) {
        sqlite3_bind_text(seek, 1, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        std::int64_t at = sqlite3_step(seek) == SQLITE_ROW ? sqlite3_column_int64(seek, 0) : 0;
        sqlite3_reset(seek);
        return at;
    };
    rt::View view(MasterInventory, desc);
    auto located = [&](const std::string &v) {
        std::int64_t at = 0;
        view.locate({v}, at);
        return at;
    };

    // Warm both, then time them in turns so that neither has the cache to itself.
    long long rawSum = 0, viewSum = 0;
    for (int i = 0; i < 2000; ++i) {
        raw(values[static_cast<std::size_t>(i)]);
        located(values[static_cast<std::size_t>(i)]);
    }
    double rawUs = 0, viewUs = 0;
    for (int round = 0; round < 4; ++round) {
        auto t0 = Clock::now();
        for (const std::string &v : values)
            rawSum += raw(v);
        auto t1 = Clock::now();
        for (const std::string &v : values)
            viewSum += located(v);
        auto t2 = Clock::now();
        rawUs += us(t0, t1);
        viewUs += us(t1, t2);
    }
    const double locates = 4.0 * static_cast<double>(values.size());
    rawUs /= locates;
    viewUs /= locates;

    // The count of the rows before the value: how the browse located before it had the view.
    sqlite3_stmt *before = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM data WHERE description < ? COLLATE NOCASE", -1, &before, nullptr);
    const int countProbes = n >= 1000000 ? 20 : 200;
    auto t3 = Clock::now();
    for (int i = 0; i < countProbes; ++i) {
        const std::string &v = values[static_cast<std::size_t>(i)];
        sqlite3_bind_text(before, 1, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        sqlite3_step(before);
        sqlite3_reset(before);
    }
    double countUs = us(t3, Clock::now()) / countProbes;
    sqlite3_finalize(before);

    // The browse model: the list's positions read once, then a jump = the seek and the row of
    // the position found. The first jump after a read also builds the table of rows by position.
    rt::BrowseModel model(MasterInventory);
    model.setOrder(desc, {});
    auto t4 = Clock::now();
    model.refill();
    double refillMs = us(t4, Clock::now()) / 1000.0;
    auto t6 = Clock::now();
    model.locate(field, values.back());
    double firstJumpUs = us(t6, Clock::now());
    const int modelProbes = 4000;
    long long rowsChecked = 0;
    bool rowsAgree = true;
    auto t5 = Clock::now();
    for (int i = 0; i < modelProbes; ++i) {
        const std::string &v = values[static_cast<std::size_t>(i)];
        int row = model.locate(field, v);
        rowsChecked += row;
        if (i < 50 && model.position(row) != raw(v))
            rowsAgree = false;
    }
    double modelUs = us(t5, Clock::now()) / modelProbes;

    sqlite3_finalize(seek);
    sqlite3_close(db);
    MasterInventory.close();

    const double jump = modelUs / rawUs;
    std::printf("items %8d  raw keyed seek %6.2f us   view locate %6.2f us (x%.2f)   locator jump (seek + row) %6.2f us "
                "(x%.2f) %s   [first jump after a read %7.1f us; rows-before count %9.1f us; list read %6.1f ms]  "
                "results %s\n",
                n, rawUs, viewUs, viewUs / rawUs, modelUs, jump, bench::verdict(jump <= 3), firstJumpUs, countUs, refillMs,
                rawSum == viewSum && rowsAgree ? "agree" : "DIFFER");
    return rawSum == viewSum && rowsAgree ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int rc = 0;
    for (int n : bench::sizes(argc, argv))
        rc |= runSize(n);
    return rc;
}
