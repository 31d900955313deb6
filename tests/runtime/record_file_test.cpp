#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <sys/stat.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <set>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <functional>
#include <thread>
#include <unistd.h>

#include "model/dictionary.h"
#include "runtime/dates.h"
#include "runtime/file_manager.h"
#include "runtime/file_recovery.h"
#include "runtime/file_structure.h"
#include "runtime/gui.h"
#include "tests/support/record_damage.h"
#include "tests/support/test_support.h"

using namespace rt;
using testing_support::ScriptedMessages;
using testing_support::TempHome;

namespace {

class RecordFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dict::resetGlobals();
        setLockWaitUnitMs(20);
    }
    void TearDown() override
    {
        for (RecordFile *f : dict::allFiles())
            if (f->isOpen())
                f->close();
        clearRegistrations();
    }
    // Point a file at the temporary home, create it and open it.
    void openNew(RecordFile &f)
    {
        f.name = home.file(f.def().diskName);
        ASSERT_EQ(f.create(), 0) << errorText();
        ASSERT_EQ(f.open(mode::ReadWriteDenyNone), 0) << errorText();
    }
    std::vector<std::string> walk(RecordFile &f, const KeyDef *key, const FixedString<20> *field)
    {
        std::vector<std::string> out;
        key ? f.set(*key) : f.setFileOrder();
        while (f.next() == 0)
            out.push_back(field->str());
        return out;
    }
    TempHome home;
};

}  // namespace

TEST(Dictionary, LayoutsMatchTheDeclaredOffsets)
{
    EXPECT_EQ(offsetof(MainSystemFileRecord, USEPASSWORD), 319u);
    EXPECT_EQ(offsetof(MainSystemFileRecord, REPORTFORMAT), 332u);
    EXPECT_EQ(offsetof(MainSystemFileRecord, DISABLEAUTOBUILD), 425u);
    EXPECT_EQ(offsetof(MainSystemFileRecord, PATHTOCD), 1636u);
    EXPECT_EQ(dict::allTables().size(), 19u);
    // Field tables agree with the structs: the fields tile the record without gaps.
    for (const TableDef *t : dict::allTables()) {
        std::uint32_t at = 0;
        for (const FieldDef &f : t->fields) {
            EXPECT_EQ(f.offset, at) << t->label << " " << f.name;
            at += f.size;
        }
        EXPECT_EQ(at, t->recordSize) << t->label;
        for (const KeyDef &k : t->keys)
            for (const KeyPart &p : k.parts)
                EXPECT_GE(p.field, 0) << t->label << " " << k.name;
    }
    EXPECT_EQ(dict::MasterInventoryDef.fieldIndex("MAS:Category"), dict::MasterInventoryDef.fieldIndex("CATEGORY"));
    EXPECT_STREQ(dict::QORClientsDef.keys[0].description, "ID Code");
    EXPECT_TRUE(dict::MasterInventoryDef.keys[0].autoNumber);
    EXPECT_FALSE(dict::ConditionsDef.keys[0].unique);
}

TEST_F(RecordFiles, KeysOrderCaseBlindAndDescendingDatesNewestFirst)
{
    openNew(Category);
    for (const char *c : {"bedroom", "Attic", "KITCHEN", "basement"}) {
        CAT.CATEGORY = c;
        ASSERT_EQ(Category.add(), 0);
    }
    const KeyDef &ck = dict::CategoryDef.keys[0];
    EXPECT_EQ(walk(Category, &ck, &CAT.CATEGORY), (std::vector<std::string>{"Attic", "basement", "bedroom", "KITCHEN"}));
    EXPECT_EQ(walk(Category, nullptr, &CAT.CATEGORY),
              (std::vector<std::string>{"bedroom", "Attic", "KITCHEN", "basement"}));
    // GET and a duplicate ignore case.
    CAT.CATEGORY = "kitchen";
    ASSERT_EQ(Category.get(ck), 0);
    EXPECT_EQ(CAT.CATEGORY.str(), "KITCHEN");
    CAT.CATEGORY = "ATTIC";
    EXPECT_EQ(Category.add(), err::DuplicateKey);
    ASSERT_NE(Category.duplicateKey(), nullptr);
    EXPECT_STREQ(Category.duplicateKey()->description, "Category");
    // SET from the buffer lands on the first record at or after the value; PREVIOUS walks back.
    CAT.CATEGORY = "BAS";
    Category.set(ck, true);
    ASSERT_EQ(Category.next(), 0);
    EXPECT_EQ(CAT.CATEGORY.str(), "basement");
    ASSERT_EQ(Category.next(), 0);
    EXPECT_EQ(CAT.CATEGORY.str(), "bedroom");
    ASSERT_EQ(Category.previous(), 0);
    EXPECT_EQ(CAT.CATEGORY.str(), "basement");
    ASSERT_EQ(Category.previous(), 0);
    EXPECT_EQ(CAT.CATEGORY.str(), "Attic");
    EXPECT_EQ(Category.previous(), err::NoRecord);

    openNew(QORClients);
    struct C {
        const char *id;
        int day;
    } clients[] = {{"A1", 10}, {"B2", 30}, {"C3", 20}, {"D4", 30}, {"E5", 10}};
    for (const C &c : clients) {
        clearRecord(dict::QORClientsDef, &QOC);
        QOC.IDCODE = c.id;
        QOC.DATELASTUPDATE = makeDate(1, c.day, 2024);
        ASSERT_EQ(QORClients.add(), 0);
    }
    const KeyDef *dk = dict::QORClientsDef.key("DATEUPDATEKEY");
    std::vector<std::string> ids;
    QORClients.set(*dk);
    while (QORClients.next() == 0)
        ids.push_back(QOC.IDCODE.str());
    EXPECT_EQ(ids, (std::vector<std::string>{"B2", "D4", "C3", "A1", "E5"}));
    QOC.IDCODE = "a1";
    EXPECT_EQ(QORClients.add(), err::DuplicateKey);
    EXPECT_STREQ(QORClients.duplicateKey()->description, "ID Code");
}

TEST_F(RecordFiles, AddPutDeleteMemoAndAutoNumber)
{
    openNew(MasterInventory);
    const KeyDef &asset = dict::MasterInventoryDef.keys[0];
    for (int i = 0; i < 3; ++i) {
        clearRecord(dict::MasterInventoryDef, &MAS);
        MAS.MEMO = "memo " + std::to_string(i);
        MAS.DESCRIPTION = "Item " + std::to_string(i);
        ASSERT_EQ(MasterInventory.add(), 0);
        EXPECT_EQ(static_cast<int>(MAS.ASSETNUMBER), i + 1);
    }
    EXPECT_EQ(MasterInventory.records(), 3);
    MAS.ASSETNUMBER = 2;
    ASSERT_EQ(MasterInventory.get(asset), 0);
    EXPECT_EQ(MAS.MEMO, "memo 1");
    MAS.MEMO = std::string(40000, 'x');  // longer than the memo allows: cut, never refused
    MAS.MARKETVALUE.setCents(1050);
    ASSERT_EQ(MasterInventory.put(), 0);
    MAS.ASSETNUMBER = 2;
    MAS.MEMO.clear();
    ASSERT_EQ(MasterInventory.get(asset), 0);
    EXPECT_EQ(MAS.MEMO.size(), 32000u);
    EXPECT_EQ(MAS.MARKETVALUE.cents(), 1050);
    ASSERT_EQ(MasterInventory.del(), 0);
    EXPECT_EQ(MasterInventory.put(), err::NoRecord);
    MAS.ASSETNUMBER = 2;
    EXPECT_EQ(MasterInventory.get(asset), err::RecordNotFound);
    // Deleting while walking goes on with the next record.
    MasterInventory.set(asset);
    ASSERT_EQ(MasterInventory.next(), 0);
    ASSERT_EQ(MasterInventory.del(), 0);
    ASSERT_EQ(MasterInventory.next(), 0);
    EXPECT_EQ(static_cast<int>(MAS.ASSETNUMBER), 3);
    EXPECT_EQ(MasterInventory.next(), err::NoRecord);
    // Packing keeps every record and the insertion order.
    ASSERT_EQ(MasterInventory.pack(), 0);
    MasterInventory.setFileOrder();
    ASSERT_EQ(MasterInventory.next(), 0);
    EXPECT_EQ(static_cast<int>(MAS.ASSETNUMBER), 3);
    EXPECT_EQ(MasterInventory.records(), 1);
    // Conditions take two rows with the same order.
    openNew(Conditions);
    CON.DISPLAYORDER = 1;
    CON.CONDITION = "Good";
    ASSERT_EQ(Conditions.add(), 0);
    CON.CONDITION = "Fair";
    EXPECT_EQ(Conditions.add(), 0);
    EXPECT_EQ(Conditions.records(), 2);
}

// Records added together must end as adding them one by one leaves them: the same rows, the
// same numbers given to the unnumbered, and at a refused one the same error, with those before it
// kept and it in the buffer; whether the refused one is inside a statement of many or after them.
TEST_F(RecordFiles, RecordsAddedTogetherEndAsAddedOneByOne)
{
    const struct {
        const char *name;
        int count;
        std::vector<std::pair<int, int>> numbers;  // record index, its number (else index + 1)
        int addedBefore;                           // -1: all added
    } cases[] = {
        {"all, past the statements of many", 70, {}, -1},
        {"unnumbered in the second statement", 70, {{33, 0}, {40, 0}, {41, 200}, {42, 0}}, -1},
        {"a taken number inside a statement", 70, {{39, 5}}, 39},
        {"a taken number in the first", 70, {{0, 5}, {4, 5}}, 4},
        {"a taken number after the statements", 70, {{66, 2}}, 66},
        {"fewer than a statement", 5, {{3, 1}}, 3},
    };
    const int description = dict::MasterInventoryDef.fieldIndex("DESCRIPTION");
    const std::vector<int> fields{dict::MasterInventoryDef.fieldIndex("ASSETNUMBER"), description,
                                  dict::MasterInventoryDef.fieldIndex("LOCATION")};
    auto rows = [](RecordFile &f) {
        sqlite3 *db = nullptr;
        sqlite3_open(f.name.c_str(), &db);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "select * from data order by rowid", -1, &st, nullptr);
        std::vector<std::string> out;
        while (sqlite3_step(st) == SQLITE_ROW) {
            std::string r;
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                r += reinterpret_cast<const char *>(sqlite3_column_text(st, i)) + std::string("|");
            out.push_back(r);
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
        return out;
    };
    for (const auto &c : cases) {
        std::vector<MasterInventoryRecord> records(static_cast<std::size_t>(c.count));
        for (int i = 0; i < c.count; ++i) {
            MasterInventoryRecord &r = records[static_cast<std::size_t>(i)];
            clearRecord(dict::MasterInventoryDef, &r);
            r.ASSETNUMBER = i + 1;
            r.DESCRIPTION = "Item " + std::to_string(i);
            r.LOCATION = i % 2 ? "Den" : "Attic";
        }
        for (const auto &[index, number] : c.numbers)
            records[static_cast<std::size_t>(index)].ASSETNUMBER = number;
        // One by one through the shared buffer.
        openNew(MasterInventoryTemp);
        int eachError = 0;
        std::size_t eachAdded = 0;
        for (const MasterInventoryRecord &r : records) {
            std::memcpy(static_cast<MasterInventoryRecord *>(&MAST), &r, sizeof r);
            if ((eachError = MasterInventoryTemp.addFields(fields)) != 0)
                break;
            ++eachAdded;
        }
        ASSERT_EQ(eachError != 0, c.addedBefore >= 0) << c.name;
        const std::string eachRefused = eachError ? MAST.DESCRIPTION.str() : "";
        // Together.
        openNew(MasterInventory);
        clearRecord(dict::MasterInventoryDef, &MAS);
        std::size_t added = 99;
        const int error = MasterInventory.addFieldsOfEach(fields, records.data(), records.size(), added);
        EXPECT_EQ(error, eachError) << c.name;
        EXPECT_EQ(added, eachAdded) << c.name;
        if (error) {
            EXPECT_EQ(added, static_cast<std::size_t>(c.addedBefore)) << c.name;
            EXPECT_EQ(MasterInventory.duplicateKey(), &dict::MasterInventoryDef.keys[0]) << c.name;
            EXPECT_EQ(MAS.DESCRIPTION.str(), eachRefused) << c.name;
        }
        EXPECT_EQ(rows(MasterInventory), rows(MasterInventoryTemp)) << c.name;
        EXPECT_EQ(MasterInventory.records(), static_cast<std::int64_t>(eachAdded)) << c.name;
        MasterInventory.close();
        MasterInventoryTemp.close();
    }
}

TEST_F(RecordFiles, CategoryRenameCascadesIntoTypesAtomically)
{
    ErrorManager errors;
    ScriptedMessages box;
    openNew(Category);
    openNew(Type);
    openNew(MasterInventory);
    FileManager catFm(Category, errors), typFm(Type, errors);
    RelationManager catRm(catFm), typRm(typFm);
    catRm.addChild(typRm, dict::CategoryDef.fieldIndex("CATEGORY"), dict::TypeDef.fieldIndex("CATEGORY"));
    catRm.open();
    for (const char *c : {"Tools", "Toys"}) {
        CAT.CATEGORY = c;
        ASSERT_EQ(Category.add(), 0);
    }
    for (const char *t : {"Hammer", "Saw"}) {
        TYP.CATEGORY = "tools";  // the link is case-blind
        TYP.TYPE = t;
        ASSERT_EQ(Type.add(), 0);
    }
    clearRecord(dict::MasterInventoryDef, &MAS);
    MAS.CATEGORY = "Tools";
    ASSERT_EQ(MasterInventory.add(), 0);

    CAT.CATEGORY = "Tools";
    ASSERT_EQ(Category.get(dict::CategoryDef.keys[0]), 0);
    CAT.CATEGORY = "Workshop";
    ASSERT_EQ(catRm.update(), 0);
    EXPECT_EQ(Type.countEqual(dict::TypeDef.fieldIndex("CATEGORY"), "Workshop"), 2);
    EXPECT_EQ(Type.countEqual(dict::TypeDef.fieldIndex("CATEGORY"), "Tools"), 0);
    EXPECT_EQ(MasterInventory.countEqual(dict::MasterInventoryDef.fieldIndex("CATEGORY"), "Tools"), 1);

    // A child that cannot take the new name (its key would be duplicated) rolls both back.
    TYP.CATEGORY = "Garden";
    TYP.TYPE = "Saw";
    ASSERT_EQ(Type.add(), 0);
    CAT.CATEGORY = "Workshop";
    ASSERT_EQ(Category.get(dict::CategoryDef.keys[0]), 0);
    CAT.CATEGORY = "Garden";
    EXPECT_NE(catRm.update(), 0);
    EXPECT_TRUE(box.sawTitle("Record was not updated"));
    CAT.CATEGORY = "Workshop";
    EXPECT_EQ(Category.get(dict::CategoryDef.keys[0]), 0);
    EXPECT_EQ(Type.countEqual(dict::TypeDef.fieldIndex("CATEGORY"), "Workshop"), 2);

    // A parent with children cannot be deleted; one without can.
    box.clear();
    EXPECT_NE(catRm.deleteRecord(false), 0);
    ASSERT_FALSE(box.shown().empty());
    EXPECT_EQ(box.shown().back().title, "Referential Integrity Delete Error");
    EXPECT_EQ(box.shown().back().text, "This record is referenced from the file " + Type.name +
                                           ". This record cannot be deleted while these references exist.");
    CAT.CATEGORY = "Workshop";
    EXPECT_EQ(Category.get(dict::CategoryDef.keys[0]), 0);
    CAT.CATEGORY = "Toys";
    ASSERT_EQ(Category.get(dict::CategoryDef.keys[0]), 0);
    box.answer(BUTTON_YES);
    EXPECT_EQ(catRm.deleteRecord(true), 0);
    EXPECT_EQ(box.shown().back().title, "Confirm Delete");
    EXPECT_EQ(Category.records(), 1);
    catRm.close();
}

TEST_F(RecordFiles, TempCopyOpensAsTheItemsFileFieldForField)
{
    MasterInventoryTemp.name = home.file("master.tps");
    ASSERT_EQ(MasterInventoryTemp.create(), 0);
    ASSERT_EQ(MasterInventoryTemp.open(mode::ReadWriteDenyNone), 0);
    clearRecord(dict::MasterInventoryTempDef, &MAST);
    MAST.ASSETNUMBER = 77;
    MAST.DESCRIPTION = "Grandfather clock";
    MAST.APPRAISEDVALUE.setCents(123456789);
    MAST.CARATWEIGHT.setCents(-150);
    MAST.DATEPURCHASED = makeDate(3, 4, 1999);
    MAST.APPRAISED = 1;
    MAST.IMAGE = "pic00001.jpg";
    MAST.MEMO = "Bought at auction\nwith a key";
    ASSERT_EQ(MasterInventoryTemp.add(), 0);
    MasterInventoryTemp.close();

    MasterInventory.name = home.file("master.tps");
    ASSERT_EQ(MasterInventory.open(mode::ReadOnlyDenyNone), 0) << errorText();
    MasterInventory.setFileOrder();
    ASSERT_EQ(MasterInventory.next(), 0);
    EXPECT_EQ(std::memcmp(static_cast<MasterInventoryRecord *>(&MAS), static_cast<MasterInventoryRecord *>(&MAST),
                          sizeof(MasterInventoryRecord)),
              0);
    EXPECT_EQ(MAS.MEMO, MAST.MEMO);
    EXPECT_EQ(MasterInventory.add(), err::AccessDenied);  // opened read-only
}

TEST_F(RecordFiles, StructureVersionsAndDamagedKeys)
{
    // An older Type file: version 0, no description column, no key.
    std::string path = home.file("qortyp.tps");
    ASSERT_EQ(testing_support::sqliteExec(path, "CREATE TABLE data (category TEXT, type TEXT, oldnote TEXT);"
                                                "INSERT INTO data VALUES ('Art  ', 'Painting', 'x');"
                                                "PRAGMA user_version=0;"),
              "");
    Type.name = path;
    EXPECT_EQ(Type.open(mode::ReadWriteDenyNone), err::InvalidFile);  // a plain open refuses it
    ds_UsingFile("TYP", "Type", Type, 1);
    IniFile profile = profileFile();
    bool sawBadFile = false;
    ASSERT_EQ(Type.openConverting(mode::ReadWriteDenyNone, 1,
                                  [&] { profile.write(ds_AppName(), "BadFile", "Type"); },
                                  [&] {
                                      sawBadFile = profile.read(ds_AppName(), "BadFile") == "Type";
                                      profile.write(ds_AppName(), "BadFile", "");
                                  }),
              0);
    EXPECT_TRUE(sawBadFile);
    EXPECT_EQ(profile.read(ds_AppName(), "BadFile", "unset"), "");
    Type.setFileOrder();
    ASSERT_EQ(Type.next(), 0);
    EXPECT_EQ(TYP.CATEGORY.str(), "Art");
    EXPECT_EQ(TYP.TYPE.str(), "Painting");
    EXPECT_TRUE(TYP.DESCRIPTION.blank());
    Type.close();
    // Through the file-structure manager a current file opens as it is.
    EXPECT_EQ(ds_FileOpen(Type, mode::ReadWriteDenyNone), 0);
    Type.close();

    // A newer file than declared is foreign.
    ASSERT_EQ(testing_support::sqliteExec(path, "PRAGMA user_version=5;"), "");
    EXPECT_EQ(ds_FileOpen(Type, mode::ReadWriteDenyNone), err::InvalidFile);
    // Not a record file at all.
    std::ofstream(home.file("junk.tps")) << "not a database file, just text that is long enough to be checked";
    Type.name = home.file("junk.tps");
    EXPECT_EQ(Type.open(mode::ReadWriteDenyNone), err::InvalidFile);
    Type.name = home.file("missing.tps");
    EXPECT_EQ(Type.open(mode::ReadWriteDenyNone), err::FileNotFound);

    // A key lost from the file: 46 until the keys are rebuilt.
    openNew(Location);
    Location.close();
    ASSERT_EQ(testing_support::sqliteExec(Location.name, "DROP INDEX locationkey;"), "");
    EXPECT_EQ(Location.open(mode::ReadWriteDenyNone), err::KeyInvalid);
    EXPECT_EQ(Location.build(), 0);
    EXPECT_EQ(Location.open(mode::ReadWriteDenyNone), 0);

    // The example file has the declared structure and no records.
    EXPECT_EQ(ds_MakeTPE(Location), "0");
    RecordFile example(dict::LocationDef, &LCT);
    example.name = exampleFileName(Location.name);
    EXPECT_EQ(example.name, home.file("qorloc.tpe"));
    ASSERT_EQ(example.open(mode::ReadOnlyDenyNone), 0);
    EXPECT_EQ(example.records(), 0);
}

TEST_F(RecordFiles, SharingLocksAndReadOnlyFolders)
{
    openNew(Vendors);
    // An exclusive open conflicts with any other opener of the same file.
    RecordFile other(dict::VendorsDef, &VEN);
    other.name = Vendors.name;
    EXPECT_EQ(other.open(mode::ReadWriteExclusive), err::AccessDenied);
    EXPECT_EQ(Vendors.open(mode::ReadWriteDenyNone), err::AlreadyOpen);
    Vendors.close();
    ASSERT_EQ(other.open(mode::ReadWriteExclusive), 0);
    EXPECT_EQ(Vendors.open(mode::ReadOnlyDenyNone), err::AccessDenied);
    other.close();

    // Another program holding the file's lock: the open reports it as locked.
    sqlite3 *db = nullptr;
    sqlite3_open(Vendors.name.c_str(), &db);
    sqlite3_exec(db, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr);
    EXPECT_EQ(Vendors.open(mode::ReadWriteDenyNone), err::Locked);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);

    // A read-only folder: write access is refused, read-only access works.
    std::string ro = home.path() + "ro/";
    std::filesystem::create_directory(ro);
    std::filesystem::copy_file(Vendors.name, ro + "qorven.tps");
    std::filesystem::permissions(ro, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    Vendors.name = ro + "qorven.tps";
    if (::geteuid() != 0) {  // root ignores permissions
        EXPECT_EQ(Vendors.open(mode::ReadWriteDenyNone), err::AccessDenied);
        EXPECT_EQ(Vendors.open(mode::ReadOnlyDenyNone), 0);
        Vendors.close();
    }
    std::filesystem::permissions(ro, std::filesystem::perms::owner_all);

    // Only a regular file is a record file: a FIFO (whose open would wait for a writer for ever),
    // a device and a folder are refused at once, in every mode.
    const std::string fifo = home.file("fifo.tps");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(home.file("folder.tps"));
    for (const std::string &path : {fifo, std::string("/dev/zero"), home.file("folder.tps")})
        for (int m : {mode::ReadOnlyDenyNone, mode::ReadWriteDenyNone}) {
            Vendors.name = path;
            EXPECT_EQ(Vendors.open(m), err::AccessDenied) << path;
            EXPECT_FALSE(Vendors.isOpen());
        }
}

TEST_F(RecordFiles, FailedTransactionLeavesBothFilesAsTheyWere)
{
    openNew(Location);
    openNew(BoxNumber);
    LCT.LOCATION = "Garage";
    ASSERT_EQ(Location.add(), 0);
    BOX.LOCATION = "Garage";
    BOX.BOXNUMBER = "1";
    ASSERT_EQ(BoxNumber.add(), 0);
    {
        Transaction tx({&Location, &BoxNumber});
        ASSERT_EQ(tx.begin(), 0);
        LCT.LOCATION = "Attic";
        ASSERT_EQ(Location.add(), 0);
        BOX.LOCATION = "Attic";
        ASSERT_EQ(BoxNumber.add(), 0);
        BOX.LOCATION = "garage";
        EXPECT_EQ(BoxNumber.add(), err::DuplicateKey);
        tx.rollback();
        EXPECT_EQ(errorCode(), err::DuplicateKey);  // the cause survives the rollback
    }
    EXPECT_EQ(Location.records(), 1);
    EXPECT_EQ(BoxNumber.records(), 1);
    {
        Transaction tx({&Location, &BoxNumber});
        ASSERT_EQ(tx.begin(), 0);
        LCT.LOCATION = "Attic";
        ASSERT_EQ(Location.add(), 0);
        BOX.LOCATION = "Attic";
        ASSERT_EQ(BoxNumber.add(), 0);
        ASSERT_EQ(tx.commit(), 0);
    }
    EXPECT_EQ(Location.records(), 2);
    EXPECT_EQ(BoxNumber.records(), 2);
}

TEST_F(RecordFiles, ImportSourceIsReadLineByLine)
{
    std::string path = home.file("items.txt");
    std::ofstream(path, std::ios::binary) << "Sofa\tLiving Room\t100\r\nLamp,Den\n\nlast";
    ImportASCIITab.name = path;
    ASSERT_EQ(ImportASCIITab.open(), 0);
    std::vector<std::string> lines;
    while (ImportASCIITab.next() == 0)
        lines.push_back(IAS.FIELD.str());
    EXPECT_EQ(lines, (std::vector<std::string>{"Sofa\tLiving Room\t100", "Lamp,Den", "", "last"}));
    EXPECT_EQ(errorCode(), err::NoRecord);
    ImportASCIITab.close();
    ImportASCIITab.name = home.file("none.txt");
    EXPECT_EQ(ImportASCIITab.open(), err::FileNotFound);
    EXPECT_FALSE(std::filesystem::exists(home.file("none.txt")));
}

TEST_F(RecordFiles, BulkCopyRunsInKeyOrderTakesTheChangesAndIsAllOrNothing)
{
    // Asset numbers given out of file order, so that key order and file order differ; one item in
    // ten has a picture, one in fifteen a receipt.
    openNew(MasterInventory);
    std::map<int, MasterInventoryBuffer> items;
    Transaction adding({&MasterInventory});
    ASSERT_EQ(adding.begin(), 0);
    for (int i = 0; i < 1234; ++i) {
        clearRecord(dict::MasterInventoryDef, &MAS);
        MAS.ASSETNUMBER = (i * 7919) % 1237 + 1;
        MAS.DESCRIPTION = "Item " + std::to_string(MAS.ASSETNUMBER);
        MAS.MARKETVALUE.setCents(i * 101);
        MAS.MEMO = i % 3 ? "" : "memo " + std::to_string(i);
        if (i % 10 == 0)
            MAS.IMAGE = "/pics/" + std::to_string(i) + ".jpg";
        if (i % 15 == 0)
            MAS.RECEIPTIMAGE = "/receipts/" + std::to_string(i) + ".jpg";
        ASSERT_EQ(MasterInventory.add(), 0);
        items[MAS.ASSETNUMBER] = MAS;
    }
    ASSERT_EQ(adding.commit(), 0);
    const KeyDef &asset = *dict::MasterInventoryDef.key("ASSETKEY");
    const std::vector<int> changing = {dict::MasterInventoryTempDef.fieldIndex("IMAGE"),
                                       dict::MasterInventoryTempDef.fieldIndex("RECEIPTIMAGE")};
    std::vector<int> changed, shown;
    auto copyTo = [&](const std::string &file) {
        changed.clear();
        shown.clear();
        MasterInventoryTemp.close();
        MasterInventoryTemp.name = home.file(file);
        EXPECT_EQ(MasterInventoryTemp.create(), 0);
        EXPECT_EQ(MasterInventoryTemp.open(mode::ReadWriteExclusive), 0);
        return MasterInventoryTemp.addCopiesOf(
            MasterInventory, asset, changing,
            [&](std::int64_t) {
                changed.push_back(MAST.ASSETNUMBER);
                if (!MAST.IMAGE.view().empty())
                    MAST.IMAGE = "Pic" + std::to_string(changed.size());
            },
            [&] { shown.push_back(MAST.ASSETNUMBER); });
    };

    // An item without its number fails the copy, since adding would number it: nothing is added.
    ASSERT_EQ(testing_support::sqliteExec(MasterInventory.name, "UPDATE data SET assetnumber = 0 WHERE assetnumber = 1237"), "");
    EXPECT_EQ(copyTo("unnumbered.tps"), err::DriverError);
    EXPECT_EQ(MasterInventoryTemp.records(), 0);
    ASSERT_EQ(testing_support::sqliteExec(MasterInventory.name, "UPDATE data SET assetnumber = 1237 WHERE assetnumber = 0"), "");
    // Refused before anything is read: an order with duplicates, a change of the order's field.
    EXPECT_EQ(MasterInventoryTemp.addCopiesOf(MasterInventory, *dict::MasterInventoryDef.key("CATEGORYKEY"),
                                              changing, {}, {}),
              err::DriverError);
    EXPECT_EQ(MasterInventoryTemp.addCopiesOf(MasterInventory, asset, {0}, {}, {}), err::DriverError);

    ASSERT_EQ(copyTo("master.tps"), 0) << errorText();
    ASSERT_EQ(MasterInventoryTemp.records(), 1234);
    // The changes were asked for in key order, of the items with a picture or receipt only;
    // progress was shown in key order, ending with the last item.
    std::vector<int> withPictures;
    for (const auto &[number, item] : items)
        if (!item.IMAGE.view().empty() || !item.RECEIPTIMAGE.view().empty())
            withPictures.push_back(number);
    EXPECT_EQ(changed, withPictures);
    EXPECT_GE(shown.size(), 2u);
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_EQ(shown.back(), items.rbegin()->first);
    // The copies stand in key order in the file; each is its item but for the changed picture.
    std::map<int, std::size_t> pictureNumber;
    for (std::size_t i = 0; i < changed.size(); ++i)
        pictureNumber[changed[i]] = i + 1;
    MasterInventoryTemp.setFileOrder();
    auto expected = items.begin();
    while (MasterInventoryTemp.next() == 0 && expected != items.end()) {
        MasterInventoryBuffer want = expected->second;
        if (!want.IMAGE.view().empty())
            want.IMAGE = "Pic" + std::to_string(pictureNumber[want.ASSETNUMBER]);
        EXPECT_EQ(std::memcmp(static_cast<MasterInventoryRecord *>(&MAST), static_cast<MasterInventoryRecord *>(&want),
                              sizeof(MasterInventoryRecord)),
                  0)
            << want.ASSETNUMBER;
        EXPECT_EQ(MAST.MEMO, want.MEMO);
        ++expected;
    }
    EXPECT_EQ(expected, items.end());

    // Items another program is writing fail the copy as locked, with nothing added.
    {
        sqlite3 *writer = nullptr;
        sqlite3_open(MasterInventory.name.c_str(), &writer);
        ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_EQ(copyTo("locked.tps"), err::Locked);
        EXPECT_EQ(MasterInventoryTemp.records(), 0);
        sqlite3_close(writer);
    }

    // Damage in the middle of the items fails the copy; the copy holds nothing and the damage is
    // laid to the items' file.
    MasterInventory.close();
    std::vector<std::int64_t> leaves = testing_support::tableLeafPages(home.file("qormas.tps"));
    testing_support::overwritePage(home.file("qormas.tps"), leaves[leaves.size() / 2]);
    ASSERT_EQ(MasterInventory.open(mode::ReadOnlyDenyNone), 0);
    std::vector<std::string> damaged;
    setDamagedFileObserver([&](const std::string &path) { damaged.push_back(path); });
    EXPECT_NE(copyTo("damaged.tps"), 0);
    setDamagedFileObserver({});
    EXPECT_EQ(MasterInventoryTemp.records(), 0);
    EXPECT_EQ(damaged, std::vector<std::string>{home.file("qormas.tps")});
}

// The rows of a sequence are read ahead in batches and decoded only when returned: every record a
// scan returns, whichever way and across every batch boundary, must be the record a read of its
// position gives, texts cut to their fields (never inside a character), numbers out of their
// field's range read as 0, memos whole, and the rowid the record's own.
TEST_F(RecordFiles, AScanAcrossBatchesReturnsEachRecordAsReadByItsPosition)
{
    openNew(MasterInventory);
    const int n = 1500;  // past batches of 16, 64, 256 and 1024 rows
    {
        Transaction tx({&MasterInventory});
        ASSERT_EQ(tx.begin(), 0);
        for (int i = 0; i < n; ++i) {
            clearRecord(dict::MasterInventoryDef, &MAS);
            MAS.MEMO = i % 7 == 0 ? std::string(static_cast<std::size_t>(i % 300), 'm') + "é" : "";
            MAS.ASSETNUMBER = (i * 7919) % n + 1;
            MAS.DESCRIPTION = "Item " + std::to_string((i * 104729) % 997);
            MAS.LOCATION = i % 3 ? "Den" : "";
            MAS.QUANTITY = i;
            MAS.MARKETVALUE.setCents(i * 101);
            ASSERT_EQ(MasterInventory.add(), 0) << errorText();
        }
        ASSERT_EQ(tx.commit(), 0);
    }
    MasterInventory.close();
    // Values no record buffer could hold, as another program might store them.
    const std::string wide = std::string(59, 'w') + "éx";  // its 60th byte is inside a character
    ASSERT_EQ(testing_support::sqliteExec(MasterInventory.name,
                                          "UPDATE data SET description = '" + wide + "' WHERE rowid % 97 = 0;"
                                          "UPDATE data SET marketvalue = 99999999999 WHERE rowid % 89 = 0;"
                                          "UPDATE data SET quantity = 1e10 WHERE rowid % 83 = 0;"),
              "");
    ASSERT_EQ(MasterInventory.open(mode::ReadWriteDenyNone), 0);

    std::vector<unsigned char> expect(dict::MasterInventoryDef.recordSize);
    std::string expectMemo;
    struct Walk {
        const char *key;  // nullptr: file order
        bool backward;
    } walks[] = {{"ASSETKEY", false}, {"DESCRIPTIONKEY", false}, {nullptr, false}, {"ASSETKEY", true}, {nullptr, true}};
    for (const Walk &w : walks) {
        SCOPED_TRACE(std::string(w.key ? w.key : "file order") + (w.backward ? " backward" : " forward"));
        w.key ? MasterInventory.set(*dict::MasterInventoryDef.key(w.key)) : MasterInventory.setFileOrder();
        int rows = 0, mismatched = 0;
        std::set<std::int64_t> seen;
        while ((w.backward ? MasterInventory.previous() : MasterInventory.next()) == 0) {
            ++rows;
            seen.insert(MasterInventory.position());
            ASSERT_EQ(MasterInventory.readPosition(MasterInventory.position(), expect.data(), &expectMemo), 0);
            if (std::memcmp(expect.data(), static_cast<MasterInventoryRecord *>(&MAS), expect.size()) != 0 ||
                expectMemo != MAS.MEMO)
                ++mismatched;
        }
        EXPECT_EQ(rows, n);
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(n));
        EXPECT_EQ(mismatched, 0);
    }
    // The decoded values themselves, on one record of each kind of damage.
    for (std::int64_t pos : {97, 89, 83}) {
        ASSERT_EQ(MasterInventory.setPosition(nullptr, pos), 0);
        ASSERT_EQ(MasterInventory.next(), 0);
        EXPECT_EQ(MasterInventory.position(), pos);
        if (pos == 97)
            EXPECT_EQ(MAS.DESCRIPTION.str(), std::string(59, 'w'));
        if (pos == 89)
            EXPECT_EQ(MAS.MARKETVALUE.cents(), 0);
        if (pos == 83)
            EXPECT_EQ(MAS.QUANTITY.get(), 0);
    }
    // Turning back in the middle of a batch goes on from the record last returned.
    MasterInventory.set(*dict::MasterInventoryDef.key("ASSETKEY"));
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(MasterInventory.next(), 0);
    EXPECT_EQ(MAS.ASSETNUMBER.get(), 40);
    ASSERT_EQ(MasterInventory.previous(), 0);
    EXPECT_EQ(MAS.ASSETNUMBER.get(), 39);
    ASSERT_EQ(MasterInventory.next(), 0);
    EXPECT_EQ(MAS.ASSETNUMBER.get(), 40);
}

namespace {

// Items whose keys repeat: three statuses, categories in either case, five types, so that a
// run after a row meets rows equal to it in one, two and all of a key's parts.
void addRepeatingItems(int n)
{
    Transaction tx({&MasterInventory});
    ASSERT_EQ(tx.begin(), 0);
    const char *categories[] = {"Den", "den", "Attic", "Kitchen"};
    for (int i = 0; i < n; ++i) {
        clearRecord(dict::MasterInventoryDef, &MAS);
        MAS.STATUS = std::to_string(i % 3);
        MAS.CATEGORY = categories[(i / 3) % 4];
        MAS.TYPE = "T" + std::to_string((i * 7) % 5);
        MAS.LOCATION = i % 2 ? "Den" : "Hall";
        MAS.BOXNUMBER = std::to_string(i % 11);
        MAS.DESCRIPTION = "Item " + std::to_string((i * 104729) % 97);
        ASSERT_EQ(MasterInventory.add(), 0) << errorText();
    }
    ASSERT_EQ(tx.commit(), 0);
}

// Scans held as the test says for its span, whatever the machine's speed.
struct HeldScans {
    explicit HeldScans(std::int64_t rowNs) : before(setHeldScanRowNs(rowNs)) {}
    ~HeldScans() { setHeldScanRowNs(before); }
    void set(std::int64_t rowNs) const { setHeldScanRowNs(rowNs); }
    std::int64_t before;
};
constexpr std::int64_t kAlways = 1000000000, kNever = -1;

std::vector<std::int64_t> positions(const KeyDef *key, bool backward)
{
    std::vector<std::int64_t> out;
    key ? MasterInventory.set(*key) : MasterInventory.setFileOrder();
    while ((backward ? MasterInventory.previous() : MasterInventory.next()) == 0)
        out.push_back(MasterInventory.position());
    return out;
}

}  // namespace

// A scan that reads fast keeps its statement open and reads after its last row by the key's
// own ranges: every key and direction must give the same records in the same order as reading
// in batches does, and turning back inside a held run goes on from the record last returned.
TEST_F(RecordFiles, AHeldScanReadsTheSameRecordsInTheSameOrderAsBatches)
{
    openNew(MasterInventory);
    const int n = 3000;
    addRepeatingItems(n);
    const HeldScans held(kAlways);
    for (const char *k : {"STATUSKEY", "LOCATIONKEY", "DESCRIPTIONKEY", "ASSETKEY", ""})
        for (bool backward : {false, true}) {
            SCOPED_TRACE(std::string(*k ? k : "file order") + (backward ? " backward" : " forward"));
            const KeyDef *key = *k ? dict::MasterInventoryDef.key(k) : nullptr;
            held.set(kNever);
            const std::vector<std::int64_t> batches = positions(key, backward);
            held.set(kAlways);
            EXPECT_EQ(positions(key, backward), batches);
            EXPECT_EQ(batches.size(), static_cast<std::size_t>(n));
        }
    MasterInventory.set(*dict::MasterInventoryDef.key("STATUSKEY"));
    std::vector<std::int64_t> seen;
    for (int i = 0; i < 700; ++i) {
        ASSERT_EQ(MasterInventory.next(), 0);
        seen.push_back(MasterInventory.position());
    }
    ASSERT_EQ(MasterInventory.previous(), 0);
    EXPECT_EQ(MasterInventory.position(), seen[698]);
    ASSERT_EQ(MasterInventory.next(), 0);
    EXPECT_EQ(MasterInventory.position(), seen[699]);
}

// A held scan keeps the file's read lock between calls: a write through another open copy of
// the file must not wait for it (and fail as locked), nor may another program's once the
// event loop waits; the scan then goes on after its last record and sees the new one.
TEST_F(RecordFiles, AHeldScanLetsWritersInAndGoesOnAfterItsLastRecord)
{
    openNew(MasterInventory);
    const int n = 1000;
    addRepeatingItems(n);
    const HeldScans held(kAlways);
    MasterInventoryRecord other{};
    std::string otherMemo;
    RecordFile second(dict::MasterInventoryDef, &other, &otherMemo);
    second.name = MasterInventory.name;
    ASSERT_EQ(second.open(mode::ReadWriteDenyNone), 0);
    std::set<std::int64_t> seen;
    MasterInventory.set(*dict::MasterInventoryDef.key("ASSETKEY"));
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(MasterInventory.next(), 0);
        seen.insert(MasterInventory.position());
    }
    ASSERT_EQ(second.getPosition(5), 0);
    other.DESCRIPTION = "Changed";
    EXPECT_EQ(second.put(), 0) << errorText();
    clearRecord(dict::MasterInventoryDef, &other);
    EXPECT_EQ(second.add(), 0) << errorText();
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(MasterInventory.next(), 0);
        seen.insert(MasterInventory.position());
    }
    // Another program: no wait at all for the lock.
    int argc = 1;
    char arg0[] = "tests", *argv[] = {arg0, nullptr};
    QCoreApplication app(argc, argv);
    releaseHeldReadsWhenIdle();
    QTimer::singleShot(20, &app, &QCoreApplication::quit);
    app.exec();
    EXPECT_EQ(testing_support::sqliteExec(MasterInventory.name, "UPDATE data SET location = 'Porch' WHERE rowid = 7"),
              "");
    while (MasterInventory.next() == 0)
        seen.insert(MasterInventory.position());
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(n + 1));
    second.close();
}

// A held scan whose caller pauses without going back to the event loop, in processEvents() or
// without any event loop at all (a sleep, a file copy, a message box answered by a script),
// must not keep another program's write, with its 1 s wait, from landing during the pause; the
// scan then goes on after its last record and sees every record once.
TEST_F(RecordFiles, AHeldScanThatPausesWriterNeverLockedOut)
{
    openNew(MasterInventory);
    const int n = 3000;
    addRepeatingItems(n);
    const HeldScans held(kAlways);
    int argc = 1;
    char arg0[] = "tests", *argv[] = {arg0, nullptr};
    QCoreApplication app(argc, argv);
    const std::string path = MasterInventory.name;
    struct Pause {
        const char *name;
        std::function<std::string(const std::string &sql)> write;
    } pauses[] = {
        {"processEvents()",
         [&](const std::string &sql) {
             std::string error = "not written";
             QTimer::singleShot(0, &app, [&] { error = testing_support::writeAsAnotherProgram(path, sql); });
             QCoreApplication::processEvents();
             return error;
         }},
        {"a sleep",
         [&](const std::string &sql) {
             std::string error = "not written";
             std::thread other([&] { error = testing_support::writeAsAnotherProgram(path, sql); });
             other.join();  // this thread sleeps until the other program is done
             return error;
         }},
    };
    for (const Pause &p : pauses) {
        SCOPED_TRACE(p.name);
        std::set<std::int64_t> seen;
        MasterInventory.set(*dict::MasterInventoryDef.key("DESCRIPTIONKEY"));
        for (int i = 0; i < 300; ++i) {
            ASSERT_EQ(MasterInventory.next(), 0);
            seen.insert(MasterInventory.position());
        }
        EXPECT_EQ(p.write("UPDATE data SET location = 'Porch' WHERE rowid = 7"), "");
        while (MasterInventory.next() == 0)
            seen.insert(MasterInventory.position());
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(n));
    }
    EXPECT_EQ(testing_support::sqliteNumber(path, "SELECT count(*) FROM data WHERE location = 'Porch'"), 1);
}

// A held scan that meets a damaged page, or a file another program has locked for its write,
// stops there with the same error a batch gives, never as if the file had ended.
TEST_F(RecordFiles, AHeldScanStopsAtDamageOrALockWithItsError)
{
    openNew(MasterInventory);
    addRepeatingItems(3000);
    const HeldScans held(kAlways);
    MasterInventory.set(*dict::MasterInventoryDef.key("DESCRIPTIONKEY"));
    std::set<std::int64_t> seen;
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(MasterInventory.next(), 0);
        seen.insert(MasterInventory.position());
    }
    releaseHeldReads();  // as when the event loop waits
    sqlite3 *writer = nullptr;
    ASSERT_EQ(sqlite3_open(MasterInventory.name.c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(MasterInventory.next(), err::Locked);
    sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    while (MasterInventory.next() == 0)
        seen.insert(MasterInventory.position());
    EXPECT_EQ(seen.size(), 3000u);
    MasterInventory.close();
    const std::vector<std::int64_t> leaves = testing_support::tableLeafPages(MasterInventory.name);
    ASSERT_GT(leaves.size(), 10u);
    testing_support::overwritePage(MasterInventory.name, leaves[leaves.size() / 2]);
    ASSERT_EQ(MasterInventory.open(mode::ReadWriteDenyNone), 0);
    for (std::int64_t rowNs : {kNever, kAlways}) {
        SCOPED_TRACE(rowNs == kNever ? "batches" : "held");
        held.set(rowNs);
        MasterInventory.setFileOrder();
        int rows = 0, code;
        while ((code = MasterInventory.next()) == 0)
            ++rows;
        EXPECT_NE(code, err::NoRecord) << rows;
        EXPECT_LT(rows, 3000);
    }
}
