#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "model/dictionary.h"
#include "model/record_salvage.h"
#include "model/record_salvage_checks.h"
#include "runtime/paths.h"
#include "tests/support/record_damage.h"
#include "tests/support/test_support.h"

using namespace rt;
using testing_support::TempHome;
namespace fs = std::filesystem;

namespace {

void fillMaster(const std::string &path, int rows)
{
    MasterInventoryBuffer rec;
    RecordFile f(dict::MasterInventoryDef, &rec, &rec.MEMO);
    f.name = path;
    ASSERT_EQ(f.create(), 0);
    ASSERT_EQ(f.open(mode::ReadWriteDenyNone), 0);
    Transaction tx({&f});
    ASSERT_EQ(tx.begin(), 0);
    for (int i = 0; i < rows; ++i) {
        clearRecord(dict::MasterInventoryDef, &rec);
        rec.DESCRIPTION = "Item " + std::to_string(i) + (i % 3 ? " Mixed Case" : " lower");
        rec.CATEGORY = i % 2 ? "Art" : "Books";
        rec.MEMO = std::string(static_cast<std::size_t>(i % 40), 'm');
        setFieldNumber(dict::MasterInventoryDef.fields[static_cast<std::size_t>(
                           dict::MasterInventoryDef.fieldIndex("REPLACEMENTCOST"))],
                       &rec, i * 101);
        ASSERT_EQ(f.add(), 0);
    }
    ASSERT_EQ(tx.commit(), 0);
    f.close();
}

void makeExample(const std::string &path)
{
    MasterInventoryBuffer rec;
    RecordFile f(dict::MasterInventoryDef, &rec, &rec.MEMO);
    f.name = path;
    ASSERT_EQ(f.create(), 0);
}

// Rows of `repaired` that differ in any byte of any column from the row of `original` with
// the same rowid.
std::int64_t differingRows(const std::string &repaired, const std::string &original)
{
    sqlite3 *db = nullptr;
    sqlite3_open(repaired.c_str(), &db);
    sqlite3_stmt *st = nullptr;
    std::string attach = "ATTACH DATABASE '" + original + "' AS o";
    sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr);
    std::string cond;
    sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info('data')", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::string c = "\"" + std::string(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))) + "\"";
        cond += (cond.empty() ? "" : " OR ") + std::string("typeof(d.") + c + ") <> typeof(x." + c +
                ") OR CAST(d." + c + " AS BLOB) IS NOT CAST(x." + c + " AS BLOB)";
    }
    sqlite3_finalize(st);
    std::string sql = "SELECT count(*) FROM main.data d LEFT JOIN o.data x ON x.rowid = d.rowid WHERE x.rowid IS NULL OR " + cond;
    std::int64_t n = -1;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n;
}

}  // namespace

TEST(Salvage, GivesBackEveryRowNotOnTheDamagedPageAndCountsTheLostOnes)
{
    TempHome home;
    std::string file = home.file("A1/qormas.tps"), original = home.file("original.tps"),
                example = home.file("A1/qormas.tpe");
    ASSERT_EQ(makeFolder(home.file("A1")), 0);
    fillMaster(file, 20000);
    makeExample(example);
    fs::copy_file(file, original);

    std::vector<std::int64_t> leaves = testing_support::tableLeafPages(file);
    ASSERT_GT(leaves.size(), 100u);
    std::int64_t page = leaves[leaves.size() / 2];
    std::vector<std::int64_t> lostRows = testing_support::rowidsOnPage(file, page);
    ASSERT_GT(lostRows.size(), 5u);
    testing_support::overwritePage(file, page);
    EXPECT_EQ(testing_support::sqliteText(file, "SELECT sum(length(memo)) FROM data"),
              "database disk image is malformed");

    salvage::Outcome out = salvage::salvageRecordFile(file, example, salvage::checksFor(dict::MasterInventoryDef));
    ASSERT_TRUE(out.ok) << out.error;
    EXPECT_EQ(out.copied, 20000 - static_cast<std::int64_t>(lostRows.size()));
    EXPECT_EQ(out.lost, static_cast<std::int64_t>(lostRows.size()));
    EXPECT_EQ(out.refused, 0);
    EXPECT_TRUE(out.rejectsFile.empty());
    EXPECT_EQ(out.keptAs, file + ".damaged");
    EXPECT_EQ(testing_support::readBytes(out.keptAs).size(), testing_support::readBytes(original).size());

    // Exactly the rows of that page are missing, and every other row is the original's.
    EXPECT_EQ(testing_support::sqliteText(file, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(differingRows(file, original), 0);
    std::int64_t firstLost = *std::min_element(lostRows.begin(), lostRows.end());
    std::int64_t lastLost = *std::max_element(lostRows.begin(), lostRows.end());
    EXPECT_EQ(testing_support::sqliteNumber(file, "SELECT count(*) FROM data WHERE rowid BETWEEN " +
                                                      std::to_string(firstLost) + " AND " + std::to_string(lastLost)),
              0);
    EXPECT_EQ(lastLost - firstLost + 1, static_cast<std::int64_t>(lostRows.size()));
    // The fresh file has the declared structure: every key is there.
    EXPECT_EQ(testing_support::sqliteNumber(file, "SELECT count(*) FROM sqlite_master WHERE type='index'"),
              static_cast<std::int64_t>(dict::MasterInventoryDef.keys.size()));

    std::string text = salvage::outcomeText(file, out);
    EXPECT_NE(text.find("The file was repaired in part: not every row could be kept.\n"), std::string::npos);
    EXPECT_NE(text.find("Rows salvaged: " + std::to_string(out.copied) + "\n"), std::string::npos);
    EXPECT_NE(text.find("Pages unreadable: 1\n"), std::string::npos);
    // The asset key's index still names every lost row.
    std::string numbers;
    for (std::int64_t r : lostRows)
        numbers += (numbers.empty() ? "" : ", ") +
                   std::to_string(testing_support::sqliteNumber(original, "SELECT assetnumber FROM data WHERE rowid=" + std::to_string(r)));
    EXPECT_NE(text.find("Asset numbers of the lost rows: " + numbers + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Rows lost (unreadable): " + std::to_string(lostRows.size()) + "\n"), std::string::npos);
    EXPECT_NE(text.find("The damaged original is kept as " + file + ".damaged"), std::string::npos);
}

TEST(Salvage, RowsThatBreakAUniqueKeyGoToTheRejectsFileAndNothingIsLeftHalfDone)
{
    TempHome home;
    std::string file = home.file("qormas.tps"), example = home.file("qormas.tpe");
    fillMaster(file, 50);
    makeExample(example);
    // A lost unique key let two records share an asset number.
    ASSERT_EQ(testing_support::sqliteExec(
                  file, "DROP INDEX assetkey; INSERT INTO data (assetnumber, description) "
                        "SELECT assetnumber, 'Second of ' || description FROM data WHERE rowid IN (7, 9);"
                        // Values no field of the record can hold: a description past its
                        // size, a cost as text.
                        "UPDATE data SET description = description || printf('%.200c', 'x') WHERE rowid = 20;"
                        // 60 characters of two bytes each: twice what the field holds.
                        "UPDATE data SET description = replace(hex(zeroblob(60)), '00', '\xc3\xa9') WHERE rowid = 25;"
                        "UPDATE data SET replacementcost = 'lots' WHERE rowid = 30"),
              "");

    salvage::Outcome out = salvage::salvageRecordFile(file, example, salvage::checksFor(dict::MasterInventoryDef));
    ASSERT_TRUE(out.ok) << out.error;
    EXPECT_EQ(out.copied, 47);
    EXPECT_EQ(out.refused, 5);
    EXPECT_EQ(out.lost, 0);
    EXPECT_FALSE(out.complete());
    EXPECT_EQ(out.rejectsFile, home.file("qormas-rejects.tps"));
    EXPECT_EQ(testing_support::sqliteText(out.rejectsFile, "SELECT group_concat(rowid, '/') FROM data"), "20/25/30/51/52");
    EXPECT_EQ(testing_support::sqliteText(out.rejectsFile, "SELECT group_concat(description, '/') FROM data WHERE rowid > 50"),
              "Second of Item 6 lower/Second of Item 8 Mixed Case");
    EXPECT_NE(salvage::outcomeText(file, out).find("The file was repaired in part"), std::string::npos);
    EXPECT_NE(salvage::outcomeText(file, out).find("Rows set aside (failed the record's checks or a unique key): 5, written to " + out.rejectsFile),
              std::string::npos);

    // A file whose first page is garbage cannot be salvaged: it stays where it is, and no fresh
    // or side file is left behind.
    std::string other = home.file("other.tps");
    {
        std::ofstream(other) << std::string(8192, '\x5A');
    }
    out = salvage::salvageRecordFile(other, example);
    EXPECT_FALSE(out.ok);
    EXPECT_NE(salvage::outcomeText(other, out).find("The file was not repaired: " + other + ": "), std::string::npos);
    EXPECT_TRUE(fs::exists(other));
    int files = 0;
    for (auto &e : fs::directory_iterator(home.path()))
        files += e.path().filename().string().rfind("other.tps", 0) == 0;
    EXPECT_EQ(files, 1);
}

namespace {

void cutFile(const std::string &path, std::int64_t bytes) { fs::resize_file(path, static_cast<std::uintmax_t>(bytes)); }

void overwriteBytes(const std::string &path, std::int64_t at, std::int64_t n)
{
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(at);
    std::string junk(static_cast<std::size_t>(n), '\xA5');
    f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
}

}  // namespace

// Whatever part of the table's tree is damaged, every row that a readable leaf page holds comes
// back, counted independently from the original's pages.
TEST(Salvage, GivesBackEveryRowOfEveryReadablePageWhateverIsDamaged)
{
    TempHome home;
    std::string pristine = home.file("pristine.tps"), example = home.file("qormas.tpe");
    fillMaster(pristine, 20000);
    makeExample(example);
    const std::int64_t pageSize = testing_support::sqliteNumber(pristine, "PRAGMA page_size");
    const std::int64_t pageCount = testing_support::sqliteNumber(pristine, "PRAGMA page_count");
    const std::int64_t root = testing_support::sqliteNumber(pristine, "SELECT rootpage FROM sqlite_master WHERE name='data'");
    ASSERT_EQ(root, 2);
    std::int64_t interior = testing_support::sqliteNumber(
        pristine, "SELECT pageno FROM dbstat WHERE name='data' AND pagetype='internal' ORDER BY pageno DESC LIMIT 1");
    ASSERT_GT(interior, 2);  // below the root
    // The rows of the item table's leaf pages, page by page.
    auto rowsOnLeaves = [&](const std::string &where) {
        return testing_support::sqliteNumber(
            pristine, "SELECT coalesce(sum(ncell), 0) FROM dbstat WHERE name='data' AND pagetype='leaf' AND " + where);
    };

    struct Case {
        const char *what;
        std::function<void(const std::string &)> damage;
        std::int64_t rows;        // rows that readable pages hold
        std::int64_t unreadable;  // pages
    };
    const std::int64_t half = pageCount / 2;
    std::vector<Case> cases = {
        {"page 2 overwritten", [&](const std::string &f) { testing_support::overwritePage(f, 2); },
         rowsOnLeaves("pageno <> 2"), 1},
        {"an interior page overwritten", [&](const std::string &f) { testing_support::overwritePage(f, interior); },
         rowsOnLeaves("pageno <> " + std::to_string(interior)), 1},
        {"the last page cut off", [&](const std::string &f) { cutFile(f, (pageCount - 1) * pageSize); },
         rowsOnLeaves("pageno < " + std::to_string(pageCount)), 1},
        {"half the file cut off", [&](const std::string &f) { cutFile(f, half * pageSize); },
         rowsOnLeaves("pageno <= " + std::to_string(half)), pageCount - half},
        {"the first 100 bytes damaged", [&](const std::string &f) { overwriteBytes(f, 0, 100); }, rowsOnLeaves("1"),
         0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string file = home.file("qormas.tps");
        for (const auto &e : fs::directory_iterator(home.path()))
            if (e.path().filename().string().rfind("qormas.tps", 0) == 0)
                fs::remove(e.path());
        fs::copy_file(pristine, file);
        c.damage(file);

        salvage::Outcome out = salvage::salvageRecordFile(file, example, salvage::checksFor(dict::MasterInventoryDef));
        ASSERT_TRUE(out.ok) << out.error;
        EXPECT_EQ(out.copied, c.rows);
        EXPECT_EQ(out.refused, 0);
        EXPECT_EQ(out.unreadableRows, 0);
        EXPECT_EQ(out.pagesUnreadable, c.unreadable);
        EXPECT_GE(out.lost, 0);
        EXPECT_LE(out.lost, 20000 - c.rows);  // as far as the remaining index pages tell
        if (c.rows == 20000) {
            EXPECT_EQ(out.lost, 0);
        }
        EXPECT_EQ(testing_support::sqliteNumber(file, "SELECT count(*) FROM data"), c.rows);
        EXPECT_EQ(testing_support::sqliteText(file, "PRAGMA integrity_check"), "ok");
        EXPECT_EQ(differingRows(file, pristine), 0);
        EXPECT_EQ(testing_support::readBytes(out.keptAs).size(), fs::file_size(out.keptAs));

        std::string text = salvage::outcomeText(file, out);
        EXPECT_NE(text.find("Rows salvaged: " + std::to_string(c.rows) + "\n"), std::string::npos) << text;
        EXPECT_NE(text.find("Pages unreadable: " + std::to_string(c.unreadable) + "\n"), std::string::npos) << text;
        // A count is exact, or told as the bound it is; the headline follows the counts.
        if (out.lostExact) {
            EXPECT_EQ(out.lost, 20000 - c.rows);
        }
        EXPECT_NE(text.find("Rows lost (unreadable): " + std::string(out.lostExact ? "" : "at least ") +
                            std::to_string(out.lost) + "\n"),
                  std::string::npos)
            << text;
        EXPECT_EQ(out.complete(), c.rows == 20000);
        EXPECT_NE(text.find(c.rows == 20000 ? "The file was repaired: every row was kept."
                                            : "The file was repaired in part"),
                  std::string::npos)
            << text;
    }
}

// A repair stopped between its steps, killed or refused by the system, leaves the original or
// the repaired file under the item file's name, never nothing.
TEST(Salvage, AKilledOrRefusedStepLeavesTheOriginalOrTheRepairedFileInPlace)
{
    TempHome home;
    std::string file = home.file("qormas.tps"), example = home.file("qormas.tpe"), original = home.file("original.tps");
    fillMaster(file, 300);
    makeExample(example);
    testing_support::overwritePage(file, 2);
    fs::copy_file(file, original);
    const std::string originalBytes = testing_support::readBytes(original);

    struct Case {
        const char *step;
        bool kill;  // killed at that step, else the step fails
    };
    for (const Case &c : {Case{"link", true}, Case{"rename", true}, Case{"link", false}, Case{"rename", false},
                          Case{"none", true}}) {
        SCOPED_TRACE(std::string(c.step) + (c.kill ? " killed" : " refused"));
        for (const auto &e : fs::directory_iterator(home.path()))
            if (e.path().filename().string().rfind("qormas.tps", 0) == 0)
                fs::remove(e.path());
        fs::copy_file(original, file);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::string step = c.step;
            bool kill = c.kill;
            salvage::setStepHook([step, kill](const std::string &s) {
                if (s == step && kill)
                    _exit(9);
                return s != step;
            });
            salvage::Outcome out = salvage::salvageRecordFile(file, example);
            _exit(out.ok ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        int code = WEXITSTATUS(status);
        ASSERT_TRUE(fs::exists(file));
        std::string now = testing_support::readBytes(file);
        if (now == originalBytes) {
            EXPECT_NE(code, 0);
        } else {
            EXPECT_EQ(code, 0);
            EXPECT_EQ(testing_support::sqliteText(file, "PRAGMA integrity_check"), "ok");
            EXPECT_GT(testing_support::sqliteNumber(file, "SELECT count(*) FROM data"), 0);
            EXPECT_EQ(testing_support::readBytes(file + ".damaged"), originalBytes);
        }
        if (!c.kill) {  // a refused step cleans up after itself
            EXPECT_FALSE(fs::exists(salvage::freshName(file)));
        }
    }
}

// Garbage anywhere in the file (cell pointers, varints, overflow links, the header) is read
// without running past a page (run under AddressSanitizer), and never turns into rows that
// were not there.
TEST(Salvage, RandomDamageNeverReadsPastAPageNorInventsRows)
{
    TempHome home;
    std::string pristine = home.file("pristine.tps"), example = home.file("qormas.tpe");
    fillMaster(pristine, 400);
    makeExample(example);
    // Some memos long enough for overflow pages.
    ASSERT_EQ(testing_support::sqliteExec(pristine, "UPDATE data SET memo = printf('%.9000c', 'o') WHERE rowid % 37 = 0"), "");
    const std::string bytes = testing_support::readBytes(pristine);
    std::mt19937 random(23);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        std::string file = home.file("qormas.tps");
        for (const auto &e : fs::directory_iterator(home.path()))
            if (e.path().filename().string().rfind("qormas.tps", 0) == 0)
                fs::remove(e.path());
        std::string damaged = bytes;
        const int hits = 1 + static_cast<int>(random() % 6);
        for (int hit = 0; hit < hits; ++hit) {
            std::size_t at = random() % damaged.size();
            std::size_t n = 1 + random() % 64;
            for (std::size_t i = at; i < std::min(damaged.size(), at + n); ++i)
                damaged[i] = static_cast<char>(random());
        }
        if (round % 5 == 4)
            damaged.resize(random() % damaged.size());
        std::ofstream(file, std::ios::binary) << damaged;

        salvage::Outcome out = salvage::salvageRecordFile(file, example, salvage::checksFor(dict::MasterInventoryDef));
        if (!out.ok)
            continue;
        EXPECT_LE(out.copied, 400);
        EXPECT_EQ(testing_support::sqliteText(file, "PRAGMA integrity_check"), "ok");
        // Bytes changed inside a value that still fits its field cannot be told (the file keeps
        // no checksums): at most the rows that a damaged stretch touched differ.
        // Rows kept with a text cut at its damage are told, and differ too.
        EXPECT_LE(differingRows(file, pristine), 2 * hits + out.garbled);
        EXPECT_EQ(static_cast<std::int64_t>(out.garbledKeys.size()), out.garbled);
    }
}

// Deleted rows stay on freed pages until they are overwritten. With the header damaged, the
// free list is unknown: the asset key's index, read whole, still keeps them out of the file.
TEST(Salvage, DeletedRowsOnFreedPagesDoNotComeBack)
{
    TempHome home;
    std::string file = home.file("qormas.tps"), example = home.file("qormas.tpe");
    fillMaster(file, 3000);
    makeExample(example);
    ASSERT_EQ(testing_support::sqliteExec(file, "PRAGMA secure_delete=OFF; DELETE FROM data WHERE rowid BETWEEN 1001 AND 2000"), "");
    ASSERT_GT(testing_support::sqliteNumber(file, "PRAGMA freelist_count"), 5);
    for (bool headerDamaged : {false, true}) {
        SCOPED_TRACE(headerDamaged);
        std::string copy = home.file(headerDamaged ? "b.tps" : "a.tps");
        fs::copy_file(file, copy);
        if (headerDamaged)
            overwriteBytes(copy, 0, 100);
        salvage::Outcome out = salvage::salvageRecordFile(copy, example, salvage::checksFor(dict::MasterInventoryDef));
        ASSERT_TRUE(out.ok) << out.error;
        EXPECT_EQ(out.copied, 2000);
        EXPECT_EQ(out.lost, 0);
        EXPECT_EQ(testing_support::sqliteNumber(copy, "SELECT count(*) FROM data WHERE rowid BETWEEN 1001 AND 2000"), 0);
        if (!headerDamaged) {
            EXPECT_EQ(out.refused, 0);  // the free list is known
        }
    }
}

// A text whose overflow chain is damaged, or that holds what the driver never writes (a NUL
// byte, bytes that are not UTF-8), is damage: the row is kept with the text cut where the damage
// starts, the repair is told as partial with the row's asset number, and recordfix exits 3.
TEST(Salvage, ATextDamagedInPlaceIsCutAndToldNotPassedOffAsAFullRepair)
{
    TempHome home;
    std::string pristine = home.file("pristine.tps"), example = home.file("qormas.tpe");
    fillMaster(pristine, 60);
    makeExample(example);
    const std::int64_t pageSize = testing_support::sqliteNumber(pristine, "PRAGMA page_size");
    auto overflowPage = [&](const std::string &f, int nth) {
        return testing_support::sqliteNumber(
            f, "SELECT pageno FROM dbstat WHERE name='data' AND pagetype='overflow' ORDER BY path LIMIT 1 OFFSET " +
                   std::to_string(nth));
    };
    auto fillPage = [&](const std::string &f, std::int64_t page, char byte) {
        std::fstream io(f, std::ios::in | std::ios::out | std::ios::binary);
        io.seekp((page - 1) * pageSize);
        std::string junk(static_cast<std::size_t>(pageSize), byte);
        io.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    };
    const std::string rowid = "31";
    auto sql = [&](const std::string &f, const std::string &q) { ASSERT_EQ(testing_support::sqliteExec(f, q), ""); };
    const struct Case {
        const char *what;
        const char *column;
        int memoLength;  // the long memo written first (0: none)
        std::function<void(const std::string &)> damage;
    } cases[] = {
        {"the memo's only overflow page zeroed", "memo", 6000, [&](const std::string &f) { fillPage(f, overflowPage(f, 0), 0); }},
        {"the first of two overflow pages zeroed, the chain broken", "memo", 9000,
         [&](const std::string &f) { fillPage(f, overflowPage(f, 0), 0); }},
        {"an overflow page overwritten, its link out of the file", "memo", 9000,
         [&](const std::string &f) { fillPage(f, overflowPage(f, 0), '\xA5'); }},
        {"a NUL byte in a description", "description", 0,
         [&](const std::string &f) { sql(f, "UPDATE data SET description = 'Item' || char(0) || 'tail' WHERE rowid = " + rowid); }},
        {"bytes that are not UTF-8 in a description", "description", 0,
         [&](const std::string &f) { sql(f, "UPDATE data SET description = CAST(X'4974656DC0AF7461696C' AS TEXT) WHERE rowid = " + rowid); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string file = home.file("qormas.tps");
        for (const auto &e : fs::directory_iterator(home.path()))
            if (e.path().filename().string().rfind("qormas.tps", 0) == 0 || e.path().filename() == "recordfix.log")
                fs::remove(e.path());
        fs::copy_file(pristine, file);
        if (c.memoLength)
            sql(file, "UPDATE data SET memo = printf('%." + std::to_string(c.memoLength) + "c', 'x') WHERE rowid = " + rowid);
        const std::string before = testing_support::sqliteText(file, std::string("SELECT ") + c.column + " FROM data WHERE rowid = " + rowid);
        const std::string asset = testing_support::sqliteText(file, "SELECT assetnumber FROM data WHERE rowid = " + rowid);
        c.damage(file);

        const int exit = std::system((std::string(RECORDFIX_PROGRAM) + " " + file + " /E:" + example + " >/dev/null").c_str());
        ASSERT_TRUE(WIFEXITED(exit));
        EXPECT_EQ(WEXITSTATUS(exit), 3);
        const std::string log = testing_support::readBytes(home.file("recordfix.log"));
        EXPECT_NE(log.find("The file was repaired in part"), std::string::npos) << log;
        EXPECT_NE(log.find("Rows kept with a damaged text, cut where the damage starts: 1\nAsset numbers of those rows: " + asset + "\n"),
                  std::string::npos) << log;
        EXPECT_NE(log.find("Rows salvaged: 60\n"), std::string::npos) << log;

        // The row is there, its text what came before the damage; no text anywhere holds a NUL.
        const std::string after = testing_support::sqliteText(file, std::string("SELECT ") + c.column + " FROM data WHERE rowid = " + rowid);
        EXPECT_LT(after.size(), std::string(c.column) == "memo" ? before.size() : 9u);
        EXPECT_EQ(before.substr(0, after.size()), after);
        EXPECT_EQ(testing_support::sqliteNumber(file, "SELECT count(*) FROM data WHERE instr(memo, char(0)) OR "
                                                      "instr(description, char(0)) OR memo <> CAST(CAST(memo AS BLOB) AS TEXT)"),
                  0);
        EXPECT_EQ(testing_support::sqliteText(file, "PRAGMA integrity_check"), "ok");
    }
}

// Another program holding the file (a transaction of its own) would go on writing into the
// original once it is kept aside: the repair leaves a file in use alone.
TEST(Salvage, AFileInUseByAnotherProgramIsNotRepairedUnderIt)
{
    TempHome home;
    std::string file = home.file("qormas.tps"), example = home.file("qormas.tpe");
    fillMaster(file, 50);
    makeExample(example);
    const std::string before = testing_support::readBytes(file);
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
    for (const char *hold : {"BEGIN EXCLUSIVE", "BEGIN IMMEDIATE"}) {
        SCOPED_TRACE(hold);
        ASSERT_EQ(sqlite3_exec(other, hold, nullptr, nullptr, nullptr), SQLITE_OK);
        salvage::Outcome out = salvage::salvageRecordFile(file, example, salvage::checksFor(dict::MasterInventoryDef));
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.error, "The file " + file + " is in use by another program.");
        EXPECT_EQ(testing_support::readBytes(file), before);
        EXPECT_FALSE(fs::exists(file + ".damaged"));
        EXPECT_FALSE(fs::exists(salvage::freshName(file)));
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_close(other);
    EXPECT_TRUE(salvage::salvageRecordFile(file, example, salvage::checksFor(dict::MasterInventoryDef)).ok);
}
