// The all-items browse over 100,000 items: how long the window takes to open and show its
// count and value, against a raw SQLite count and sum over the same file in the same run.
#include <sqlite3.h>

#include <QApplication>
#include <QLabel>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/clients.h"
#include "core/dictionary.h"
#include "core/globals.h"
#include "core/managers.h"
#include "core/program.h"
#include "inventory/browses.h"
#include "runtime/browse_window.h"
#include "runtime/ini_store.h"
#include "runtime/window.h"

namespace {
using Clock = std::chrono::steady_clock;
double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

const char *const kCategories[] = {"Antiques", "Appliances", "Art",    "Clothing", "Electronics", "Food",
                                   "Furniture", "Jewelry",   "Kitchen", "Linens",  "Office",      "Shop"};
const char *const kRooms[] = {"Kitchen", "Den", "Garage", "Cellar", "Bedroom", "Attic", "Office"};
const char *const kStatus[] = {"Have", "Have", "Have", "Sell", "Want", "Sold", "Info"};

struct Shown {
    double ms;
    std::string count, value;
};

Shown openAndShow(inventory::Variant v, const std::string &word)
{
    auto t0 = Clock::now();
    rt::BrowseWindow *w = inventory::openInventoryBrowse(v, word);
    Shown s{0, "?", "?"};
    if (w) {
        s.count = w->findChild<QLabel *>("Number of items")->text().toStdString();
        s.value = w->findChild<QLabel *>("Value of items")->text().toStdString();
    }
    s.ms = ms(t0, Clock::now());
    if (w)
        w->requestClose();
    QApplication::processEvents();
    return s;
}

double rawTotals(const std::string &path, const char *where, long long &count, long long &cents)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    auto t0 = Clock::now();
    std::string sql = std::string("SELECT count(*), sum(CASE WHEN status IN ('Have','Sell') THEN quantity * "
                                  "marketvalue ELSE 0 END) FROM data WHERE ") + where;
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
    if (sqlite3_step(st) == SQLITE_ROW) {
        count = sqlite3_column_int64(st, 0);
        cents = sqlite3_column_int64(st, 1);
    }
    sqlite3_finalize(st);
    auto t1 = Clock::now();
    sqlite3_close(db);
    return ms(t0, t1);
}
}  // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "orvane-bench-inventory";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "B1");
    ::setenv("ZENVIK_HOME", dir.c_str(), 1);
    QApplication app(argc, argv);

    nameProgramFolderFiles();
    rt::iniStore().setPath((dir / "zenvik.INI").string());
    registerRecordFiles();
    DictionaryInit();
    MainSystemFile.create();
    MainSystemFile.open(rt::mode::ReadWriteDenyNone);
    rt::clearRecord(dict::MainSystemFileDef, &MSY);
    MSY.PATHPRIMARYRESIDENCE = dir.string();
    MSY.REPORTFORMAT = "Portrait";
    MainSystemFile.add();
    MainSystemFile.close();
    BuildSharedFileNames(dir.string());
    nameClientFiles(clientFolder(dir.string(), "B1"));

    MasterInventory.create();
    MasterInventory.open(rt::mode::ReadWriteDenyNone);
    {
        rt::Transaction tx({&MasterInventory});
        tx.begin();
        for (int i = 1; i <= n; ++i) {
            rt::clearRecord(dict::MasterInventoryDef, static_cast<MasterInventoryRecord *>(&MAS));
            MAS.MEMO.clear();
            unsigned h = static_cast<unsigned>(i) * 2654435761u;
            MAS.ASSETNUMBER = i;
            MAS.STATUS = kStatus[h % 7];
            MAS.CATEGORY = kCategories[h % 12];
            MAS.LOCATION = kRooms[(h >> 8) % 7];
            MAS.DESCRIPTION = "Item " + std::to_string(h % 99991);
            MAS.QUANTITY = 1 + static_cast<int>(h % 4);
            MAS.MARKETVALUE.setCents(100 + static_cast<std::int64_t>(h % 250000));
            if (h % 9 == 0)
                MAS.HEIR = "Heir " + std::to_string(h % 5);
            MasterInventory.add();
        }
        tx.commit();
    }
    MasterInventory.close();

    Shown cold = openAndShow(inventory::Variant::All, "");
    Shown warm = openAndShow(inventory::Variant::All, "");
    Shown kitchen = openAndShow(inventory::Variant::Category, "Kitchen");
    long long rawCount = 0, rawCents = 0, kCount = 0, kCents = 0;
    double raw = rawTotals(MasterInventory.name, "1", rawCount, rawCents);
    double rawKitchen = rawTotals(MasterInventory.name, "category = 'Kitchen'", kCount, kCents);

    std::printf("items: %d\n", n);
    std::printf("all-items browse open + totals: %8.2f ms cold, %8.2f ms warm   (count %s, value %s)\n", cold.ms,
                warm.ms, warm.count.c_str(), warm.value.c_str());
    std::printf("raw SQLite count + sum:         %8.2f ms   (count %lld, cents %lld); browse/raw %.1f\n", raw,
                rawCount, rawCents, warm.ms / std::max(raw, 0.001));
    std::printf("category browse (Kitchen):      %8.2f ms   (count %s, value %s); raw %.2f ms (count %lld)\n",
                kitchen.ms, kitchen.count.c_str(), kitchen.value.c_str(), rawKitchen, kCount);
    DictionaryKill();
    std::filesystem::remove_all(dir);
    return 0;
}
