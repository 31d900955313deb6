// The record-file driver against raw SQLite on the same schema and settings, at 10,000, 100,000
// and 1,000,000 items, each size in a temporary folder of its own: adding every item in one
// transaction, and reading them all back in asset order and in description order (each read
// decodes its rows into the record buffer, on both sides). Prints each rate beside its raw
// reference from the same run, and exits non-zero when a scan is slower than 0.95 of its
// reference or an add slower than 0.9 of its.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "runtime/record_sql.h"

namespace {

using bench::Clock;

constexpr double kScanBar = 0.95, kAddBar = 0.9;

struct Scan {
    long rows = 0;
    long long check = 0;
    double ms = 0;
};

Scan driverScan(const rt::KeyDef *key)
{
    Scan s;
    auto t0 = Clock::now();
    MasterInventory.set(*key);
    while (MasterInventory.next() == 0) {
        ++s.rows;
        s.check += MAS.MARKETVALUE.cents() + MAS.ASSETNUMBER.get();
    }
    s.ms = bench::ms(t0, Clock::now());
    return s;
}

Scan rawScan(sqlite3 *db, const std::string &cols, const char *order)
{
    Scan s;
    auto t0 = Clock::now();
    sqlite3_stmt *st = bench::rawPrepare(db, "SELECT rowid, " + cols + " FROM data ORDER BY " + order);
    while (sqlite3_step(st) == SQLITE_ROW) {
        rt::RecordSql::decodeRow(MasterInventory, st, 1, static_cast<MasterInventoryRecord *>(&MAS), &MAS.MEMO);
        ++s.rows;
        s.check += MAS.MARKETVALUE.cents() + MAS.ASSETNUMBER.get();
    }
    sqlite3_finalize(st);
    s.ms = bench::ms(t0, Clock::now());
    return s;
}

double driverAdd(const std::string &path, int n)
{
    MasterInventory.name = path;
    MasterInventory.create();
    MasterInventory.open(rt::mode::ReadWriteDenyNone);
    auto t0 = Clock::now();
    if (!bench::addItems(n))
        std::exit(1);
    return bench::ms(t0, Clock::now());
}

// Raw inserts into a file of the same schema, with the driver's own encoding of the values.
double rawAdd(const std::string &path, int n, const std::string &cols)
{
    {
        rt::RecordFile shape(dict::MasterInventoryDef, nullptr);
        shape.name = path;
        shape.create();
    }
    sqlite3 *raw = bench::rawOpen(path, true);
    std::string qs;
    for (std::size_t i = 0; i < dict::MasterInventoryDef.fields.size() + 1; ++i)
        qs += i ? ", ?" : "?";
    auto t0 = Clock::now();
    sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_stmt *ins = bench::rawPrepare(raw, "INSERT INTO data (" + cols + ") VALUES (" + qs + ")");
    for (int i = 0; i < n; ++i) {
        bench::fillItem(MAS, i);
        rt::RecordSql::bindRecord(MasterInventory, ins, 1, static_cast<MasterInventoryRecord *>(&MAS), &MAS.MEMO);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
    double t = bench::ms(t0, Clock::now());
    sqlite3_close(raw);
    return t;
}

int runSize(int n)
{
    bench::TempFolder dir("records");
    // Timed in turns so that a busy moment of the machine does not decide a ratio: the best of
    // three adds (of the largest size, one), and the median of six rounds of scans, half of
    // them led by each side.
    const int addRounds = n >= 1000000 ? 1 : 3, scanRounds = 6;
    int rc = 0;

    double addDriver = 1e300, addRaw = 1e300;
    std::string cols;
    for (int r = 0; r < addRounds; ++r) {
        if (MasterInventory.isOpen())
            MasterInventory.close();
        addDriver = std::min(addDriver, driverAdd(dir.file("driver.tps"), n));
        if (cols.empty())
            cols = rt::RecordSql::columnList(MasterInventory).substr(std::string("rowid, ").size());
        addRaw = std::min(addRaw, rawAdd(dir.file("raw" + std::to_string(r) + ".tps"), n, cols));
    }
    const double addRatio = addRaw / addDriver;
    std::printf("items %8d  add in one transaction   driver %9.0f rec/s  raw %9.0f rec/s  driver/raw %.3f  %s\n", n,
                n / addDriver * 1000, n / addRaw * 1000, addRatio, bench::verdict(addRatio >= kAddBar));
    if (addRatio < kAddBar)
        rc = 1;

    // Scans of the driver's file, each side on its own connection with its cache warmed by one
    // untimed pass first.
    sqlite3 *raw = bench::rawOpen(dir.file("driver.tps"), false);
    struct Order {
        const char *label, *key, *sql;
    } orders[] = {{"asset-order scan      ", "ASSETKEY", "assetnumber, rowid"},
                  {"description-order scan", "DESCRIPTIONKEY", "description, rowid"}};
    for (const Order &o : orders) {
        const rt::KeyDef *key = dict::MasterInventoryDef.key(o.key);
        driverScan(key);
        rawScan(raw, cols, o.sql);
        // Each round's two scans run back to back, so their ratio sees one state of the
        // machine; the median of the rounds' ratios is judged, and a burst of load elsewhere
        // during one round moves it no more than any other round.
        std::vector<double> ratios, driverRates, rawRates;
        bool agree = true;
        for (int k = 0; k < scanRounds; ++k) {
            // The sides take turns going first, so that neither always follows the other's
            // pass over the processor's caches.
            Scan r, d;
            if (k % 2) {
                d = driverScan(key);
                r = rawScan(raw, cols, o.sql);
            } else {
                r = rawScan(raw, cols, o.sql);
                d = driverScan(key);
            }
            agree = agree && d.rows == n && r.rows == n && d.check == r.check;
            ratios.push_back(r.ms / d.ms);
            driverRates.push_back(d.rows / d.ms * 1000);
            rawRates.push_back(r.rows / r.ms * 1000);
        }
        const double ratio = bench::median(ratios);
        std::printf("items %8d  %s   driver %9.0f rec/s  raw %9.0f rec/s  driver/raw %.3f  %s%s  (rounds:", n,
                    o.label, bench::median(driverRates), bench::median(rawRates), ratio,
                    bench::verdict(ratio >= kScanBar), agree ? "" : "  (rows DIFFER)");
        for (double x : ratios)
            std::printf(" %.3f", x);
        std::printf(")\n");
        std::fflush(stdout);
        if (!agree || ratio < kScanBar)
            rc = 1;
    }
    sqlite3_close(raw);
    MasterInventory.close();
    return rc;
}

}  // namespace

int main(int argc, char **argv)
{
    int rc = 0;
    for (int n : bench::sizes(argc, argv))
        rc |= runSize(n);
    return rc;
}
