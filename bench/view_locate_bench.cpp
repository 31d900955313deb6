// Locating in the description order of the items at 10,000, 100,000 and 1,000,000 items, each
// size in a temporary folder of its own: the view's keyed locate against a raw SQLite keyed seek
// on the same file in the same run, and the browse model's locate (the seek plus the search for
// the row in its list). Also the rows-before count that the browse used to locate by.
#include <sqlite3.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/dictionary.h"
#include "runtime/browse.h"
#include "runtime/view.h"

namespace {

using Clock = std::chrono::steady_clock;

double us(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::micro>(b - a).count(); }

void fillItem(MasterInventoryBuffer &r, int i)
{
    rt::clearRecord(dict::MasterInventoryDef, &r);
    r.ASSETNUMBER = i + 1;
    r.STATUS = "Have";
    // A spread of descriptions so that the key order differs from the insertion order.
    unsigned h = static_cast<unsigned>(i) * 2654435761u;
    r.DESCRIPTION = "Item " + std::to_string(h % 1000003) + " of the household";
    r.CATEGORY = "Category " + std::to_string(i % 21);
    r.LOCATION = "Room " + std::to_string(i % 19);
    r.QUANTITY = 1 + i % 3;
    r.MARKETVALUE.setCents(100 + i % 5000);
    r.MEMO = i % 10 == 0 ? "A short memo about the item" : "";
}

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
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("orvane-bench-locate-" + std::to_string(n));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "qormas.tps").string();
    MasterInventory.name = path;
    if (MasterInventory.create() != 0 || MasterInventory.open(rt::mode::ReadWriteDenyNone) != 0) {
        std::fprintf(stderr, "cannot make %s: %s\n", path.c_str(), rt::errorText().c_str());
        return 1;
    }
    {
        rt::Transaction tx({&MasterInventory});
        tx.begin();
        for (int i = 0; i < n; ++i) {
            fillItem(MAS, i);
            if (MasterInventory.add() != 0) {
                std::fprintf(stderr, "add failed: %s\n", rt::errorText().c_str());
                return 1;
            }
        }
        tx.commit();
    }

    const rt::KeyDef *desc = dict::MasterInventoryDef.key("DESCRIPTIONKEY");
    const int field = dict::MasterInventoryDef.fieldIndex("DESCRIPTION");
    const std::vector<std::string> values = probes(20000);

    // Raw SQLite: the same file, the same index, a prepared statement.
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
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

    // The browse model: the list's positions read once, then locate = seek + binary search.
    rt::BrowseModel model(MasterInventory);
    model.setOrder(desc, {});
    auto t4 = Clock::now();
    model.refill();
    double refillMs = us(t4, Clock::now()) / 1000.0;
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
    std::filesystem::remove_all(dir);

    std::printf("items %8d  locate: view %6.2f us  raw seek %6.2f us  view/raw %.2f   browse model %7.2f us"
                "   (rows-before count %9.1f us; list read %6.1f ms)  results %s\n",
                n, viewUs, rawUs, viewUs / rawUs, modelUs, countUs, refillMs,
                rawSum == viewSum && rowsAgree ? "agree" : "DIFFER");
    return rawSum == viewSum && rowsAgree ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {10000, 100000, 1000000};
    int rc = 0;
    for (int n : sizes)
        rc |= runSize(n);
    return rc;
}
