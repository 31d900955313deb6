// The repair beside SQLite's own way of rebuilding a file, `sqlite3 FILE .dump | sqlite3 NEW`,
// timed in the same run on the same item file: whole, and with one page of its rows damaged.
// Exits non-zero when the repair of the whole file takes more than 1.2 times the rebuild at the
// largest size, or when it does not keep every row.
#include <cstdlib>
#include <filesystem>

#include "bench/bench_support.h"
#include "model/record_salvage.h"
#include "model/record_salvage_checks.h"

namespace {

using bench::Clock;
namespace fs = std::filesystem;

void makeItems(const std::string &path, int n)
{
    MasterInventory.name = path;
    if (MasterInventory.create() || MasterInventory.open(rt::mode::ReadWriteDenyNone)) {
        std::fprintf(stderr, "cannot make %s\n", path.c_str());
        std::exit(2);
    }
    if (!bench::addItems(n))
        std::exit(2);
    MasterInventory.close();
}

// A leaf page of the item table in the middle of the file, overwritten.
void damageOnePage(const std::string &path)
{
    sqlite3 *db = bench::rawOpen(path, false);
    sqlite3_stmt *st = bench::rawPrepare(db, "SELECT (SELECT page_size FROM pragma_page_size), pageno FROM dbstat "
                                             "WHERE name='data' AND pagetype='leaf' ORDER BY pageno");
    std::vector<std::pair<std::int64_t, std::int64_t>> leaves;
    while (sqlite3_step(st) == SQLITE_ROW)
        leaves.emplace_back(sqlite3_column_int64(st, 0), sqlite3_column_int64(st, 1));
    sqlite3_finalize(st);
    sqlite3_close(db);
    auto [size, page] = leaves[leaves.size() / 2];
    std::FILE *f = std::fopen(path.c_str(), "r+b");
    std::fseek(f, static_cast<long>((page - 1) * size), SEEK_SET);
    std::vector<char> junk(static_cast<std::size_t>(size), '\xA5');
    std::fwrite(junk.data(), 1, junk.size(), f);
    std::fclose(f);
}

double dumpPipe(const std::string &from, const std::string &to)
{
    fs::remove(to);
    const std::string cmd = "sqlite3 '" + from + "' .dump | sqlite3 '" + to + "'";
    auto t0 = Clock::now();
    if (std::system(cmd.c_str()) != 0) {
        std::fprintf(stderr, "%s failed\n", cmd.c_str());
        std::exit(2);
    }
    return bench::ms(t0, Clock::now());
}

double repair(const bench::TempFolder &dir, const std::string &source, salvage::Outcome &out)
{
    const std::string file = dir.file("repair/qormas.tps");
    fs::remove_all(dir.file("repair"));
    fs::create_directory(dir.file("repair"));
    fs::copy_file(source, file);
    auto t0 = Clock::now();
    out = salvage::salvageRecordFile(file, dir.file("qormas.tpe"), salvage::checksFor(dict::MasterInventoryDef));
    return bench::ms(t0, Clock::now());
}

int runSize(int n, bool judged)
{
    bench::TempFolder dir("recordfix");
    makeItems(dir.file("items.tps"), n);
    {
        rt::RecordFile example(dict::MasterInventoryDef, nullptr);
        example.name = dir.file("qormas.tpe");
        example.create();
    }
    fs::copy_file(dir.file("items.tps"), dir.file("damaged.tps"));
    damageOnePage(dir.file("damaged.tps"));
    // The file's pages in the system's cache for both sides alike.
    dumpPipe(dir.file("items.tps"), dir.file("warm.db"));

    int rc = 0;
    const double reference = dumpPipe(dir.file("items.tps"), dir.file("dumped.db"));
    salvage::Outcome whole, damaged;
    const double wholeMs = repair(dir, dir.file("items.tps"), whole);
    const double damagedMs = repair(dir, dir.file("damaged.tps"), damaged);
    const double ratio = wholeMs / reference, damagedRatio = damagedMs / reference;
    const bool kept = whole.ok && whole.complete() && whole.copied == n;
    std::printf("items %8d  .dump | sqlite3 %8.0f ms  repair of the whole file %8.0f ms  repair/dump %.2f  %s%s\n", n,
                reference, wholeMs, ratio, judged ? bench::verdict(ratio <= 1.2) : "(not judged)",
                kept ? "" : "  (rows NOT ALL KEPT)");
    std::printf("items %8d  .dump | sqlite3 %8.0f ms  repair, one page damaged %8.0f ms  repair/dump %.2f  (%lld kept, %lld lost)\n",
                n, reference, damagedMs, damagedRatio, static_cast<long long>(damaged.copied),
                static_cast<long long>(damaged.lost));
    if (!kept || (judged && ratio > 1.2))
        rc = 1;
    return rc;
}

}  // namespace

int main(int argc, char **argv)
{
    const std::vector<int> sizes = bench::sizes(argc, argv, {100000, 1000000});
    int rc = 0;
    for (int n : sizes)
        rc |= runSize(n, n == sizes.back());
    return rc;
}
