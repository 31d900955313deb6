#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "model/dictionary.h"
#include "model/file_errors.h"
#include "core/file_maintenance.h"
#include "model/managers.h"
#include "core/procedures.h"
#include "core/program.h"
#include "runtime/file_recovery.h"
#include "runtime/paths.h"
#include "runtime/file_structure.h"
#include "tests/support/test_support.h"

using namespace rt;
using testing_support::ScriptedMessages;
using testing_support::TempHome;
using testing_support::ThrowingHalt;

namespace {

class FileOpening : public ::testing::Test {
protected:
    void SetUp() override
    {
        dict::resetGlobals();
        setLockWaitUnitMs(10);
        registerRecordFiles();
        Vendors.name = home.file("qorven.tps");
        setRepairProgram("/bin/true");  // the repair is started, and does nothing
    }
    void TearDown() override
    {
        setRecoverHotJournals(true);
        for (RecordFile *f : dict::allFiles())
            if (f->isOpen())
                f->close();
    }
    void dropKey(const std::string &path, const char *index)
    {
        sqlite3 *db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, (std::string("DROP INDEX ") + index).c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    TempHome home;
    ScriptedMessages box;
    ThrowingHalt halt;
    ErrorManager errors;
};

}  // namespace

TEST_F(FileOpening, ManagerCreatesAMissingFileAndOpensLazily)
{
    FileManager fm(Vendors, errors);
    EXPECT_EQ(fm.open(), 0);
    EXPECT_FALSE(std::filesystem::exists(Vendors.name));  // lazy: nothing touched yet
    EXPECT_EQ(fm.useFile(), 0);
    EXPECT_TRUE(std::filesystem::exists(Vendors.name));
    EXPECT_TRUE(Vendors.isOpen());
    EXPECT_EQ(fm.open(), 0);
    fm.close();
    EXPECT_TRUE(Vendors.isOpen());  // one use left
    fm.close();
    EXPECT_FALSE(Vendors.isOpen());
    EXPECT_TRUE(box.shown().empty());
}

TEST_F(FileOpening, ManagerFallsBackToReadOnlyAfterOneNotice)
{
    ASSERT_EQ(Vendors.create(), 0);
    // Another opener denies others write access, so a write open is refused.
    RecordFile holder(dict::VendorsDef, &VEN);
    holder.name = Vendors.name;
    ASSERT_EQ(holder.open(mode::ReadWriteDenyWrite), 0);
    FileManager fm(Vendors, errors);
    fm.open();
    EXPECT_EQ(fm.useFile(), 0);
    EXPECT_TRUE(Vendors.readOnly());
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "Access Denied");
    EXPECT_EQ(box.shown()[0].text, "Could not get write access to " + Vendors.name + " so trying read-only.");
    fm.close();
}

TEST_F(FileOpening, ManagerRebuildsDamagedKeysAfterTheNotice)
{
    ASSERT_EQ(Vendors.create(), 0);
    dropKey(Vendors.name, "vendorkey");
    FileManager fm(Vendors, errors);
    fm.lazyOpen = false;
    EXPECT_EQ(fm.open(), 0);
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "Invalid Key");
    EXPECT_EQ(box.shown()[0].text, Vendors.name + " key file is invalid. Key must be rebuilt.");
    EXPECT_TRUE(Vendors.isOpen());
    fm.close();
}

TEST_F(FileOpening, ManagerThatCannotCreateStopsTheProgram)
{
    Vendors.name = home.file("no/such/folder/qorven.tps");
    FileManager fm(Vendors, errors);
    fm.lazyOpen = false;
    EXPECT_THROW(fm.open(), Halt);
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "File Creation Error");
    EXPECT_EQ(box.shown()[0].text, "Error: (Path Not Found (3)) creating " + Vendors.name + ".");
}

TEST_F(FileOpening, CheckOpenFileCreatesRebuildsAndGivesUpOnALock)
{
    // Missing: created empty.
    CheckOpenFile(Vendors, 1, 0, 0, 1);
    EXPECT_TRUE(Vendors.isOpen());
    EXPECT_EQ(Vendors.openMode(), mode::ReadWriteDenyNone);
    EXPECT_EQ(Vendors.records(), 0);
    // Already open counts as opened.
    CheckOpenFile(Vendors, 1, 0, 0, 1);
    Vendors.close();

    // Damaged keys: Yes rebuilds and the report goes on.
    dropKey(Vendors.name, "vendorkey");
    box.answer(BUTTON_YES);
    CheckOpenFile(Vendors, 1, 0, 0, 1);
    EXPECT_TRUE(Vendors.isOpen());
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "Invalid Key");
    EXPECT_EQ(box.shown()[0].text, Vendors.name + " key file is invalid.  Do you want to rebuild the key?");
    Vendors.close();
    // No ends the program.
    dropKey(Vendors.name, "vendorkey");
    box.clear();
    box.answer(BUTTON_NO);
    try {
        CheckOpenFile(Vendors, 1, 0, 0, 1);
        FAIL() << "expected the program to end";
    } catch (const Halt &h) {
        EXPECT_EQ(h.text, "Invalid Key!");
    }
    Vendors.build();

    // Held by another program: one retry after "Recover=10", then "File Access Error" and the end.
    sqlite3 *db = nullptr;
    sqlite3_open(Vendors.name.c_str(), &db);
    sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    box.clear();
    try {
        CheckOpenFile(Vendors, 1, 0, 0, 1);
        FAIL() << "expected the program to end";
    } catch (const Halt &h) {
        EXPECT_EQ(h.text, "Disk Error");
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "File Access Error");
    EXPECT_EQ(box.shown()[0].text,
              "File (" + Vendors.name + ") could not be opened.  Error: File Is Already Locked (32).");
}

TEST(FileErrorMessages, TextsAndTitles)
{
    ScriptedMessages box;
    ThrowingHalt halt;
    setError(err::InvalidFile);
    EXPECT_THROW(StandardFileError(1, "qormas.tps"), Halt);
    EXPECT_EQ(box.shown().back().title, "Invalid File");
    EXPECT_EQ(box.shown().back().text,
              "Error: (Invalid Record Declaration (47)) accessing qormas.tps.  Press OK to end this application.");
    setDriverError("disk I/O error", 10);
    EXPECT_THROW(StandardFileError(3, "qormas.tps"), Halt);
    EXPECT_EQ(box.shown().back().title, "Key Rebuild Error");
    EXPECT_EQ(box.shown().back().text,
              "Error: (disk I/O error (10)) repairing key for qormas.tps.  Press OK to end this application.");
    setError(err::PathNotFound);
    EXPECT_THROW(StandardFileError(4, "x.tps"), Halt);
    EXPECT_EQ(box.shown().back().title, "File Creation Error");
    EXPECT_EQ(box.shown().back().text, "Error: (Path Not Found (3)) creating x.tps.  Press OK to end this application.");
    EXPECT_THROW(StandardFileError(5, "x.tps"), Halt);
    EXPECT_EQ(box.shown().back().text,
              "Error: (Path Not Found (3)) opening created file:x.tps.  Press OK to end this application.");
    setError(err::AccessDenied);
    EXPECT_EQ(StandardFileError(30, "x.tps"), BUTTON_OK);
    EXPECT_EQ(box.shown().back().text, "File (x.tps) could not be opened.  Error: Access Denied (5).");
    setError(err::AccessDenied);
    EXPECT_EQ(StandardFileError(35, "MasterInventory"), 0);
    EXPECT_EQ(box.shown().back().title, "Record Retrieval Error");
    EXPECT_EQ(box.shown().back().text, "Error: (Access Denied (5)) attempting to access a record from the "
                                       "MasterInventory file.  Returning to previous window.");
    EXPECT_EQ(StandardFileError(36), 0);
    EXPECT_EQ(box.shown().back().title, "View Open Error");
    EXPECT_EQ(box.shown().back().text,
              "Error: (Access Denied (5)) attempting to open the current VIEW. Filter and Range Limits ignored.");

    // The error manager's messages for a file: severity, title and the filled text.
    ErrorManager errors;
    errors.setFile("c:/data/qorven.tps");
    setError(err::FileNotFound);
    EXPECT_EQ(errors.title(msg::CreateFailed), "File Creation Error");
    EXPECT_EQ(errors.text(msg::CreateFailed), "Error: (File Not Found (2)) creating c:/data/qorven.tps.");
    EXPECT_EQ(errors.title(msg::OpenFailed), "File Access Error");
    EXPECT_EQ(errors.text(msg::OpenFailed), "File (c:/data/qorven.tps) could not be opened.  Error: File Not Found (2).");
    EXPECT_EQ(errors.title(msg::RebuildFailed), "Key was not built");
    EXPECT_EQ(errors.text(msg::RebuildFailed), "Error: (File Not Found (2)) repairing key for c:/data/qorven.tps.");
    EXPECT_EQ(errors.title(msg::ViewOpenFailed), "View Open Error");
    EXPECT_EQ(errors.severity(msg::AccessDenied), LevelNotify);
    EXPECT_EQ(errors.severity(msg::RebuildKey), LevelNotify);
    EXPECT_EQ(errors.severity(msg::OpenFailed), LevelFatal);
    EXPECT_EQ(errors.severity(msg::CreateFailed), LevelFatal);
    EXPECT_EQ(errors.severity(msg::RebuildFailed), LevelFatal);
}

TEST_F(FileOpening, AFatalHaltClosesEveryRecordFile)
{
    DictionaryInit();
    ASSERT_EQ(Vendors.create(), 0);
    ASSERT_EQ(Vendors.open(mode::ReadWriteDenyNone), 0);
    setError(err::InvalidFile);
    EXPECT_THROW(StandardFileError(1, Vendors.name), Halt);
    EXPECT_FALSE(Vendors.isOpen());
    DictionaryKill();
}

TEST_F(FileOpening, ARepairIsOfferedForAFileWhoseOpeningDidNotComplete)
{
    IniFile profile = profileFile();
    EXPECT_FALSE(offerBadFileRepair());  // no entry: nothing asked
    EXPECT_TRUE(box.shown().empty());

    profile.write(ds_AppName(), "BadFile", "Vendors");
    box.answer(BUTTON_NO);
    EXPECT_FALSE(offerBadFileRepair());
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "Warning");
    EXPECT_EQ(box.shown()[0].text, "Warning : The program may have crashed attempting to open the file Vendors. Do "
                                   "you wish to have the program attempt to fix the file ? ");
    EXPECT_EQ(profile.read(ds_AppName(), "BadFile"), "Vendors");  // asked again next time

    ASSERT_EQ(Vendors.create(), 0);
    box.clear();
    box.answer(BUTTON_YES);
    EXPECT_TRUE(offerBadFileRepair());  // the program ends for the repair
    ASSERT_EQ(box.shown().size(), 3u);  // the last: the repair's outcome
    EXPECT_EQ(box.shown()[1].title, "Information");
    EXPECT_EQ(profile.read(ds_AppName(), "BadFile", "unset"), "");
    EXPECT_TRUE(std::filesystem::exists(home.file("qorven.tpe")));  // the example file for the repair
}

TEST_F(FileOpening, AHotJournalIsRecoveredOrReportedAsNeedingRecovery)
{
    ASSERT_EQ(Vendors.create(), 0);
    ASSERT_EQ(Vendors.open(mode::ReadWriteDenyNone), 0);
    clearRecord(dict::VendorsDef, &VEN);
    VEN.VENDOR = "Acme";
    ASSERT_EQ(Vendors.add(), 0);
    Vendors.close();
    // The journal of a write that a crash cut short: taken while the write was open (unsynced,
    // so that its header is complete at once).
    const std::string journal = Vendors.name + "-journal";
    std::string saved;
    {
        sqlite3 *db = nullptr;
        sqlite3_open(Vendors.name.c_str(), &db);
        sqlite3_exec(db, "PRAGMA synchronous=OFF; BEGIN; UPDATE data SET vendor = 'Changed'", nullptr, nullptr, nullptr);
        std::ifstream in(journal, std::ios::binary);
        saved.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    ASSERT_FALSE(saved.empty());
    auto crash = [&] { std::ofstream(journal, std::ios::binary) << saved; };

    // Where the program must not write, a read-only open says what the file needs.
    crash();
    setRecoverHotJournals(false);
    EXPECT_EQ(Vendors.open(mode::ReadOnlyDenyNone), err::DriverError);
    EXPECT_EQ(errorText(), "the file needs recovery");
    FileManager fm(Vendors, errors);
    fm.openMode = mode::ReadOnlyDenyNone;
    fm.lazyOpen = false;
    EXPECT_THROW(fm.open(), Halt);
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "File Access Error");
    EXPECT_EQ(box.shown()[0].text.rfind("File (" + Vendors.name + ") could not be opened.  Error: the file needs recovery (", 0),
              0u)
        << box.shown()[0].text;
    setRecoverHotJournals(true);

    // Where it may, the read-only open rolls the journal back first and reads the record.
    EXPECT_EQ(Vendors.open(mode::ReadOnlyDenyNone), 0);
    EXPECT_FALSE(std::filesystem::exists(journal));
    Vendors.setFileOrder();
    ASSERT_EQ(Vendors.next(), 0);
    EXPECT_EQ(VEN.VENDOR.str(), "Acme");
    Vendors.close();
}

TEST_F(FileOpening, StaleSuperJournalsBesideTheFileAreRemovedWhenItOpens)
{
    ASSERT_EQ(Vendors.create(), 0);
    namespace fs = std::filesystem;
    auto superJournal = [](const std::string &path, const std::vector<std::string> &journals) {
        std::ofstream out(path, std::ios::binary);
        for (const std::string &j : journals)
            out << j << '\0';
    };
    fs::create_directory(home.file("other"));
    const std::string stale = Vendors.name + "-mj1A2B3C9D4";
    const std::string owned = home.file("qorloc.tps-mj0F0F0F9AA");
    const std::string empty = home.file("qorhrs.tps-mj1234569BC");
    const std::string elsewhere = home.file("other/qorven.tps-mjABCDEF901");
    const std::string notOne = home.file("notes-mjABC");
    superJournal(stale, {Vendors.name + "-journal", home.file("qorloc.tps-journal")});
    superJournal(owned, {home.file("qorloc.tps-journal"), home.file("qorbox.tps-journal")});
    std::ofstream(home.file("qorbox.tps-journal")) << "in use";  // a live transaction's
    superJournal(empty, {});
    superJournal(elsewhere, {home.file("gone.tps-journal")});
    superJournal(notOne, {"readme"});

    // A read-only open writes nothing, so it leaves them.
    ASSERT_EQ(Vendors.open(mode::ReadOnlyDenyNone), 0);
    Vendors.close();
    EXPECT_TRUE(fs::exists(stale));

    ASSERT_EQ(Vendors.open(mode::ReadWriteDenyNone), 0);
    Vendors.close();
    EXPECT_FALSE(fs::exists(stale));
    for (const std::string &kept : {owned, empty, elsewhere, notOne})
        EXPECT_TRUE(fs::exists(kept)) << kept;
}

// A missing file beside what a repair left names both in its message, whatever the folder's
// length: the whole names reach the box.
TEST_F(FileOpening, MessagesNamingFilesShowTheWholeNamesHoweverLong)
{
    const std::string folder = home.file(std::string(60, 'f') + "/" + std::string(50, 'g') + "-client_folder.d");
    ASSERT_EQ(makeFolder(folder), 0);
    const std::string path = joinPath(folder, "qorven.tps");
    std::ofstream(path + ".recordfix-new") << "x";
    std::ofstream(path + ".damaged") << "x";
    const std::vector<std::string> names{path + ".recordfix-new", path + ".damaged"};
    const struct Case {
        const char *how;
        std::function<void()> open;
    } cases[] = {
        {"the program's standard open", [] { CheckOpenFile(Vendors, 1, 0, 0, 1); }},
        {"a file manager's open", [&] { FileManager(Vendors, errors).openFile(true); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        Vendors.name = path;
        box.clear();
        EXPECT_THROW(c.open(), Halt);
        EXPECT_FALSE(std::filesystem::exists(path));
        ASSERT_FALSE(box.shown().empty());
        const std::string &text = box.shown().back().text;
        for (const std::string &n : names)
            EXPECT_NE(text.find(n + "."), std::string::npos) << text;
        EXPECT_NE(text.find("The file is not created empty."), std::string::npos) << text;
    }
}
