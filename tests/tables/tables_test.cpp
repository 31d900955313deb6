// The default rows: what each seeding point adds, what it leaves alone, and the switch.
#include "model/seeding.h"
#include "tests/tables/tables_fixture.h"

#include <QTimer>
#include <cstdio>

#include "core/main_frame.h"

using seeding::Point;

namespace {

const Point kAllPoints[] = {Point::HomeFiles,  Point::StandardFiles, Point::LocationFiles, Point::Locations,
                            Point::Categories, Point::Conditions,    Point::Manufacturers, Point::Vendors};

class Seeding : public TablesTest {
protected:
    void expectStartUpCounts()
    {
        EXPECT_EQ(count(Category), 21);
        EXPECT_EQ(count(Type), 288);
        EXPECT_EQ(count(Conditions), 7);
        EXPECT_EQ(count(Manufacturers), 13);
        EXPECT_EQ(count(Vendors), 18);
        EXPECT_EQ(count(QORSubject), 99);
    }
};

}  // namespace

TEST_F(Seeding, StartUpAndClientMenuFillEveryTableOnceOnly)
{
    MainFrame frame;
    ASSERT_EQ(frame.init(), 0);
    expectStartUpCounts();
    EXPECT_EQ(count(Location), 0);  // rooms belong to a client
    rt::runProcedure("VerifyLocationFiles");
    EXPECT_EQ(count(Location), 19);
    EXPECT_EQ(count(UserFields), 1);
    EXPECT_EQ(column(UserFields, "SELECT titleuserfield1 || '/' || titleuserfield4 FROM data"),
              std::vector<std::string>{"User Field 1/User Field 4"});
    EXPECT_EQ(column(Location, "SELECT description FROM data WHERE location = 'Powder Room'"),
              std::vector<std::string>{"Powder Room, Pool Bath"});

    // Every point a second time: nothing more.
    for (Point p : kAllPoints)
        EXPECT_EQ(seeding::seed(p, 0).added, 0) << static_cast<int>(p);
    expectStartUpCounts();
    EXPECT_EQ(count(Location), 19);
    EXPECT_EQ(count(UserFields), 1);
    EXPECT_TRUE(box.shown().empty());
    frame.close();
    frame.kill();
}

TEST_F(Seeding, CategoryBrowseAloneLeavesOutTheLibraryCategories)
{
    rt::runProcedure("BrowseCategory");
    ASSERT_NE(window("BrowseCategory"), nullptr);
    EXPECT_EQ(count(Category), 18);
    EXPECT_EQ(count(Type), 265);
    EXPECT_EQ(count(Category, "category IN ('Audio', 'Book', 'Video')"), 0);
    // The program start then adds exactly the three and their 23 types.
    seeding::Outcome o = seeding::seed(Point::HomeFiles, 0);
    EXPECT_EQ(o.added, 13 + 3 + 23);
    EXPECT_EQ(count(Type, "type = 'Other' AND description = 'Other'"), 3);
}

// A list has read part of the client's items, as fast as a list reads, when the home menu
// verifies its files: another program's write to the items, with its 1 s wait, lands while the
// verifying window repaints.
TEST_F(Seeding, VerifyingTheFilesWriterNeverLockedOut)
{
    MasterInventoryBuffer item;
    rt::RecordFile items(dict::MasterInventoryDef, static_cast<MasterInventoryRecord *>(&item), &item.MEMO);
    items.name = MasterInventory.name;
    ASSERT_EQ(items.create(), 0);
    ASSERT_EQ(items.open(rt::mode::ReadWriteDenyNone), 0);
    {
        rt::Transaction tx({&items});
        ASSERT_EQ(tx.begin(), 0);
        for (int i = 0; i < 400; ++i) {
            rt::clearRecord(dict::MasterInventoryDef, static_cast<MasterInventoryRecord *>(&item));
            item.DESCRIPTION = "Item " + std::to_string(i);
            ASSERT_EQ(items.add(), 0);
        }
        ASSERT_EQ(tx.commit(), 0);
    }
    const testing_support::ScansHeldAsWhenFast held;
    items.set(*dict::MasterInventoryDef.key("ASSETKEY"));
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(items.next(), 0);
    std::string written = "not written";
    QTimer::singleShot(0, [&] {
        written = testing_support::writeAsAnotherProgram(
            items.name, "UPDATE data SET description = 'Changed elsewhere' WHERE rowid = 1");
    });
    rt::runProcedure("VerifyHomeFiles");
    EXPECT_EQ(written, "");
    EXPECT_EQ(count(Category), 21);
    EXPECT_TRUE(box.shown().empty());
    items.close();
}

TEST_F(Seeding, CutLiteralsAreStoredCutAndFoundAgain)
{
    seeding::seed(Point::HomeFiles, 0);
    EXPECT_EQ(column(Type, "SELECT type || '=' || description FROM data WHERE category = 'Furniture' AND type LIKE "
                           "'Outdoor Lounge%'"),
              std::vector<std::string>{"Outdoor Lounge Chair=Outdoor Lounge Chairs"});
    EXPECT_EQ(count(Type, "category = 'Clothing' AND type = 'Bathing Suit Coverup'"), 1);
    EXPECT_EQ(column(Type, "SELECT description FROM data WHERE type = 'Textiles, Linens'"),
              std::vector<std::string>{"Fabric, Lace, Crochet, Doiles, Linen, Quilt, Rug, Tapestry,"});
    EXPECT_EQ(seeding::seed(Point::Categories, 0).added, 0);
    EXPECT_EQ(count(Type, "type IN ('Outdoor Lounge Chair', 'Bathing Suit Coverup')"), 2);
    EXPECT_EQ(count(Type, "length(type) > 20 OR length(description) > 60"), 0);
}

TEST_F(Seeding, MissingDefaultsComeBackAndEditsStay)
{
    for (Point p : kAllPoints)
        seeding::seed(p, 0);
    exec(Location, "DELETE FROM data WHERE location = 'Garage'; UPDATE data SET description = 'Our kitchen' WHERE "
                   "location = 'Kitchen'");
    exec(Category, "UPDATE data SET description = 'Pictures' WHERE category = 'Art'; UPDATE data SET category = "
                   "'Playthings' WHERE category = 'Toys'");
    exec(Type, "DELETE FROM data WHERE category = 'Furniture' AND type = 'Sofa'; UPDATE data SET category = "
               "'Playthings' WHERE category = 'Toys'");
    // Conditions are found by their display order alone.
    exec(Conditions, "UPDATE data SET condition = 'Okay' WHERE displayorder = 3; UPDATE data SET displayorder = 9 "
                     "WHERE condition = 'Poor'");
    exec(UserFields, "UPDATE data SET titleuserfield1 = 'Colour', titleuserfield2 = ''");

    EXPECT_EQ(seeding::seed(Point::Locations, 0).added, 1);
    EXPECT_EQ(column(Location, "SELECT description FROM data WHERE location IN ('Garage', 'Kitchen') ORDER BY 1"),
              (std::vector<std::string>{"Garage", "Our kitchen"}));
    EXPECT_EQ(seeding::seed(Point::Categories, 0).added, 1 + 10 + 1);  // Toys with its types, and Sofa
    EXPECT_EQ(column(Category, "SELECT description FROM data WHERE category = 'Art'"),
              std::vector<std::string>{"Pictures"});
    EXPECT_EQ(count(Type, "category = 'Playthings'"), 10);
    EXPECT_EQ(seeding::seed(Point::Conditions, 0).added, 1);
    EXPECT_EQ(count(Conditions, "condition = 'Excellent'"), 0);
    EXPECT_EQ(count(Conditions, "condition = 'Poor'"), 2);
    EXPECT_EQ(seeding::seed(Point::LocationFiles, 0).added, 0);
    EXPECT_EQ(column(UserFields, "SELECT titleuserfield1 || '/' || titleuserfield2 FROM data"),
              std::vector<std::string>{"Colour/"});
}

TEST_F(Seeding, SwitchOneSeedsNothingAndTwoOnlyTheUserFields)
{
    writeSettings(1);
    rt::runProcedure("VerifyHomeFiles");
    rt::runProcedure("VerifyStandardFiles");
    rt::runProcedure("VerifyLocationFiles");
    for (const char *browse : {"BrowseLocation", "BrowseCategory", "BrowseConditions", "BrowseManufacturers",
                               "BrowseVendors"})
        rt::runProcedure(browse);
    EXPECT_EQ(rt::startedWindows().size(), 5);  // the browses open, empty
    for (rt::RecordFile *f : {&Category, &Type, &Conditions, &Manufacturers, &Vendors, &QORSubject, &Location,
                              &UserFields})
        EXPECT_EQ(count(*f), 0) << f->def().label;

    writeSettings(2);
    rt::runProcedure("VerifyHomeFiles");
    rt::runProcedure("VerifyStandardFiles");
    rt::runProcedure("BrowseVendors");
    rt::runProcedure("VerifyLocationFiles");
    for (rt::RecordFile *f : {&Category, &Type, &Conditions, &Manufacturers, &Vendors, &QORSubject, &Location})
        EXPECT_EQ(count(*f), 0) << f->def().label;
    EXPECT_EQ(count(UserFields), 1);
    EXPECT_TRUE(box.shown().empty());
}

TEST_F(Seeding, PointsReadTheirOwnSettingsAndLeaveTheSharedRecordAlone)
{
    // A settings form holds its edits in the shared buffer meanwhile.
    rt::clearRecord(dict::MainSystemFileDef, &MSY);
    MSY.NAME = "Typed but not saved";
    MSY.DISABLEAUTOBUILD = 1;
    rt::runProcedure("VerifyStandardFiles");
    rt::runProcedure("BrowseManufacturers");
    EXPECT_EQ(count(Vendors), 18);
    EXPECT_EQ(count(Manufacturers), 13);
    EXPECT_EQ(MSY.NAME.str(), "Typed but not saved");
    EXPECT_EQ(MSY.DISABLEAUTOBUILD, 1);

    // Without a readable settings record nothing is seeded and the browse does not open.
    std::filesystem::remove(MainSystemFile.name);
    rt::runProcedure("VerifyHomeFiles");
    EXPECT_EQ(box.shown().back().text, "Error reading main system file");
    EXPECT_EQ(box.shown().back().title, "File Error");
    EXPECT_EQ(box.shown().back().buttons, rt::BUTTON_ABORT);
    rt::runProcedure("BrowseCategory");
    EXPECT_EQ(box.shown().back().text, "Error reading Main System File");
    EXPECT_EQ(window("BrowseCategory"), nullptr);
    EXPECT_EQ(count(Category), 0);
}

TEST_F(Seeding, AFileThatCannotBeReadStopsItsPointWithOneMessageAndTheOthersGoOn)
{
    // The vendors are open, but another program holds them locked: the look-ups fail.
    rt::setLockWaitUnitMs(5);
    Relate::Vendors->open();
    ASSERT_EQ(Access::Vendors->useFile(), 0);
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(Vendors.name.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    rt::runProcedure("VerifyStandardFiles");
    // And the categories are no record file at all.
    {
        std::FILE *f = std::fopen(Category.name.c_str(), "w");
        std::fputs("not a record file at all, not even close to one", f);
        std::fclose(f);
    }
    rt::runProcedure("VerifyHomeFiles");
    rt::runProcedure("VerifyLocationFiles");
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    rt::setLockWaitUnitMs(1000);
    ASSERT_EQ(box.shown().size(), 2u);
    EXPECT_EQ(box.shown()[0].title, "Record Retrieval Error");
    EXPECT_NE(box.shown()[0].text.find("from the Vendors file"), std::string::npos) << box.shown()[0].text;
    EXPECT_NE(box.shown()[1].text.find("from the Category file"), std::string::npos) << box.shown()[1].text;
    EXPECT_EQ(count(Conditions), 7);     // before the vendors in the same point
    EXPECT_EQ(count(Vendors), 0);
    EXPECT_EQ(count(QORSubject), 0);     // after them: the point stopped
    EXPECT_EQ(count(Manufacturers), 13); // before the categories
    EXPECT_EQ(count(Location), 19);      // the client's point went on
    // Once the lock is gone the next start puts everything in.
    Relate::Vendors->close();
    rt::runProcedure("VerifyStandardFiles");
    EXPECT_EQ(count(Vendors), 18);
    EXPECT_EQ(count(QORSubject), 99);
}
