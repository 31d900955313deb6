// Adds 100,000 item records in one transaction and reads them back in description order, once
// through the record-file driver and once through raw SQLite prepared statements on the same
// schema, and prints both rates and their ratio.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/dictionary.h"
#include "runtime/record_file.h"
#include "runtime/record_sql.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

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
    r.SERIALNUMBER = "SN" + std::to_string(i);
    r.MEMO = i % 10 == 0 ? "A short memo about the item" : "";
}

std::string columnsSql(const rt::RecordFile &f) { return rt::RecordSql::columnList(f).substr(std::string("rowid, ").size()); }

}  // namespace

int main(int argc, char **argv)
{
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "orvane-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    // Driver: add
    MasterInventory.name = (dir / "driver.tps").string();
    MasterInventory.create();
    MasterInventory.open(rt::mode::ReadWriteDenyNone);
    auto t0 = Clock::now();
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
    auto t1 = Clock::now();
    // Driver: read in description order
    long count = 0;
    long long check = 0;
    const rt::KeyDef *desc = dict::MasterInventoryDef.key("DESCRIPTIONKEY");
    MasterInventory.set(*desc);
    while (MasterInventory.next() == 0) {
        ++count;
        check += MAS.MARKETVALUE.cents();
    }
    auto t2 = Clock::now();
    MasterInventory.close();
    if (count != n) {
        std::fprintf(stderr, "driver read %ld of %d\n", count, n);
        return 1;
    }

    // Raw SQLite on a file of the same schema.
    MasterInventory.name = (dir / "raw.tps").string();
    MasterInventory.create();
    MasterInventory.open(rt::mode::ReadWriteDenyNone);  // only to borrow the column list and codecs
    std::string cols = columnsSql(MasterInventory);
    std::string qs;
    for (std::size_t i = 0; i < dict::MasterInventoryDef.fields.size() + 1; ++i)
        qs += i ? ", ?" : "?";
    sqlite3 *db = nullptr;
    sqlite3_open((dir / "raw.tps").string().c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;", nullptr, nullptr, nullptr);
    auto t3 = Clock::now();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(db, ("INSERT INTO data (" + cols + ") VALUES (" + qs + ")").c_str(), -1, &ins, nullptr);
    for (int i = 0; i < n; ++i) {
        fillItem(MAS, i);
        rt::RecordSql::bindRecord(MasterInventory, ins, 1, static_cast<MasterInventoryRecord *>(&MAS), &MAS.MEMO);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    auto t4 = Clock::now();
    sqlite3_stmt *sel = nullptr;
    sqlite3_prepare_v2(db, ("SELECT rowid, " + cols + " FROM data ORDER BY description COLLATE NOCASE, rowid").c_str(),
                       -1, &sel, nullptr);
    long rawCount = 0;
    long long rawCheck = 0;
    while (sqlite3_step(sel) == SQLITE_ROW) {
        rt::RecordSql::decodeRow(MasterInventory, sel, 1, static_cast<MasterInventoryRecord *>(&MAS), &MAS.MEMO);
        ++rawCount;
        rawCheck += MAS.MARKETVALUE.cents();
    }
    sqlite3_finalize(sel);
    auto t5 = Clock::now();
    sqlite3_close(db);
    MasterInventory.close();
    std::filesystem::remove_all(dir);

    double addDriver = n / seconds(t0, t1), addRaw = n / seconds(t3, t4);
    double readDriver = n / seconds(t1, t2), readRaw = rawCount / seconds(t4, t5);
    std::printf("records: %d (checksums %s)\n", n, check == rawCheck ? "agree" : "DIFFER");
    std::printf("add  in one transaction: driver %10.0f rec/s   raw %10.0f rec/s   driver/raw %.2f\n", addDriver,
                addRaw, addDriver / addRaw);
    std::printf("read in description order: driver %10.0f rec/s   raw %10.0f rec/s   driver/raw %.2f\n",
                readDriver, readRaw, readDriver / readRaw);
    return check == rawCheck ? 0 : 1;
}
