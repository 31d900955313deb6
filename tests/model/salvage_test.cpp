#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>

#include "model/dictionary.h"
#include "model/record_salvage.h"
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
                           dict::MasterInventoryDef.fieldIndex("REPLACEMENTVALUE"))],
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

    salvage::Outcome out = salvage::salvageRecordFile(file, example);
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
    EXPECT_NE(text.find("Rows copied: " + std::to_string(out.copied) + "\n"), std::string::npos);
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
    sqlite3 *db = nullptr;
    sqlite3_open(file.c_str(), &db);
    ASSERT_EQ(sqlite3_exec(db,
                           "DROP INDEX assetkey; INSERT INTO data (assetnumber, description) "
                           "SELECT assetnumber, 'Second of ' || description FROM data WHERE rowid IN (7, 9)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    salvage::Outcome out = salvage::salvageRecordFile(file, example);
    ASSERT_TRUE(out.ok) << out.error;
    EXPECT_EQ(out.copied, 50);
    EXPECT_EQ(out.refused, 2);
    EXPECT_EQ(out.lost, 0);
    EXPECT_EQ(out.rejectsFile, home.file("qormas-rejects.tps"));
    EXPECT_EQ(testing_support::sqliteText(out.rejectsFile, "SELECT group_concat(description, '/') FROM data"),
              "Second of Item 6 lower/Second of Item 8 Mixed Case");
    EXPECT_NE(salvage::outcomeText(file, out).find("Rows refused (duplicate keys): 2, written to " + out.rejectsFile),
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
