// Damaged, unreadable and hostile item files met by the inventory browse: every failure is
// reported, no total is shown that could not be computed, and no file is made outside the data
// folder.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/clients.h"
#include "model/dictionary.h"
#include "core/file_maintenance.h"
#include "model/globals.h"
#include "core/procedures.h"
#include "core/program.h"
#include "inventory/browses.h"
#include "inventory/inventory.h"
#include "model/client_files.h"
#include "runtime/browse_window.h"
#include "runtime/file_structure.h"
#include "runtime/paths.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/support/test_support.h"

using namespace rt;
using namespace inventory;
using testing_support::find;
using testing_support::onNextModal;
using testing_support::ScriptedMessages;
using testing_support::TempHome;
namespace fs = std::filesystem;

namespace {

class DamagedFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::startWithSettings(home, {registerInventoryProcedures}, {}, true);
        setRepairProgram("/bin/true");  // the repair is started, and does nothing
        setLockWaitUnitMs(10);
    }
    void TearDown() override
    {
        testing_support::stopProgram();
        setLockWaitUnitMs(1000);
    }
    // `n` owned items of one cent each, in one transaction.
    static void addItems(int n)
    {
        if (!fileExists(MasterInventory.name))
            ASSERT_EQ(MasterInventory.create(), 0);
        ASSERT_EQ(MasterInventory.open(mode::ReadWriteDenyNone), 0);
        Transaction tx({&MasterInventory});
        ASSERT_EQ(tx.begin(), 0);
        for (int i = 1; i <= n; ++i) {
            clearRecord(MasterInventory.def(), &MAS);
            MAS.ASSETNUMBER = i;
            MAS.CATEGORY = "Kitchen";
            MAS.STATUS = "Have";
            MAS.QUANTITY = 1;
            MAS.MARKETVALUE.setCents(1);
            MAS.DESCRIPTION = "Item " + std::to_string(i) + std::string(40, 'x');
            ASSERT_EQ(MasterInventory.add(), 0);
        }
        ASSERT_EQ(tx.commit(), 0);
        MasterInventory.close();
    }
    static void sql(const std::string &path, const char *statement)
    {
        sqlite3 *db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, statement, nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    static void writeFile(const std::string &path, const std::string &bytes)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    static QString text(QWidget *w, const char *label) { return find<QLabel>(w, label)->text(); }
    static int rows(BrowseWindow *w) { return w->list()->model()->rowCount(); }
    static void closeAll()
    {
        for (WindowProcedure *w : startedWindows())
            w->requestClose();
        testing_support::pump(20);
    }
    std::string badFile() const { return profileFile().read(ds_AppName(), "BadFile", ""); }
    TempHome home;
    ScriptedMessages box;
};

}  // namespace

TEST_F(DamagedFiles, AnOverwrittenPageIsReportedNotedAndLeavesNoTotals)
{
    addItems(3000);
    // Overwrite a page of the table's rows in the middle of the file.
    std::string bytes;
    {
        std::ifstream in(MasterInventory.name, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::size_t pageSize = (static_cast<unsigned char>(bytes[16]) << 8) | static_cast<unsigned char>(bytes[17]);
    const std::size_t pages = bytes.size() / pageSize;
    std::size_t page = pages / 2;
    while (page < pages && static_cast<unsigned char>(bytes[page * pageSize]) != 0x0D)  // a table leaf
        ++page;
    ASSERT_LT(page, pages);
    bytes.replace(page * pageSize, pageSize, std::string(pageSize, '\xAB'));
    writeFile(MasterInventory.name, bytes);
    ASSERT_EQ(badFile(), "");

    BrowseWindow *all = openInventoryBrowse(Variant::All, "");
    ASSERT_NE(all, nullptr);
    testing_support::pump(20);  // rows read while painting report after the paint
    // The list is read through its key, the totals through every row: the totals fail.
    EXPECT_EQ(rows(all), 3000);
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "Record Retrieval Error");
    const std::string &t = box.shown()[0].text;
    EXPECT_EQ(t.rfind("Error: (database disk image is malformed (", 0), 0u) << t;
    EXPECT_NE(t.find(") attempting to access a record from the MasterInventory file.  Returning to previous window."),
              std::string::npos)
        << t;
    EXPECT_EQ(text(all, "Number of items"), "");
    EXPECT_EQ(text(all, "Value of items"), "");
    EXPECT_FALSE(inventoryTotals(all->browse()->model()).ok);
    EXPECT_EQ(badFile(), MasterInventory.name);

    // Every refill reports once more, and the totals stay blank rather than stale.
    all->tabs()->setCurrentIndex(1);
    testing_support::pump(20);
    EXPECT_EQ(box.shown().size(), 2u);
    EXPECT_EQ(text(all, "Number of items"), "");

    // Changing an item whose record cannot be read reports it instead of opening the form.
    int bad = -1;
    for (int r = 0; r < rows(all) && bad < 0; ++r)
        if (MasterInventory.getPosition(all->browse()->model().position(r)) != 0)
            bad = r;
    ASSERT_GE(bad, 0);
    all->browse()->setCurrentRow(bad);
    box.clear();
    all->changeButton()->click();
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "Record Retrieval Error");
    // The rows around it cannot be read for the list either: it shows none rather than blank ones.
    testing_support::pump(20);
    EXPECT_EQ(rows(all), 0);
    EXPECT_FALSE(all->changeButton()->isEnabled());
    closeAll();

    // At the next start the damaged file is offered for repair, where it lies.
    box.clear();
    box.answer(BUTTON_YES);
    EXPECT_TRUE(offerBadFileRepair());
    EXPECT_TRUE(fs::exists(home.file("A1/qormas.tpe")));
    EXPECT_EQ(badFile(), "");
}

TEST_F(DamagedFiles, AnItemFileThatCannotBeOpenedIsReportedByName)
{
    const std::string path = MasterInventory.name;
    auto expectReported = [&](const char *what, const std::string &error) {
        box.clear();
        BrowseWindow *w = openInventoryBrowse(Variant::All, "");
        ASSERT_NE(w, nullptr) << what;
        testing_support::pump(20);
        ASSERT_EQ(box.shown().size(), 1u) << what;
        EXPECT_EQ(box.shown()[0].title, "File Access Error") << what;
        EXPECT_EQ(box.shown()[0].text, "File (" + path + ") could not be opened.  Error: " + error + ".") << what;
        EXPECT_EQ(rows(w), 0) << what;
        EXPECT_EQ(text(w, "Number of items"), "") << what;
        EXPECT_EQ(text(w, "Value of items"), "") << what;
        closeAll();
    };

    writeFile(path, "");
    expectReported("zero length", "Invalid Record Declaration (47)");
    EXPECT_EQ(fs::file_size(path), 0u);  // not replaced by an empty inventory

    writeFile(path, std::string(4096, 'Z'));
    expectReported("not a database", "Invalid Record Declaration (47)");
    EXPECT_EQ(badFile(), path);
    profileFile().write(ds_AppName(), "BadFile", "");

    fs::remove(path);
    addItems(400);
    fs::resize_file(path, fs::file_size(path) / 3);
    expectReported("truncated", "Invalid Record Declaration (47)");
    EXPECT_EQ(badFile(), path);

    fs::remove(path);
    addItems(1);
    sql(path, ("PRAGMA user_version=" + std::to_string(MasterInventory.def().version + 1)).c_str());
    expectReported("newer version", "Invalid Record Declaration (47)");

    // Held in an exclusive transaction by another process: retried once after the lock wait,
    // then reported.
    sql(path, ("PRAGMA user_version=" + std::to_string(MasterInventory.def().version)).c_str());
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        close(done[1]);
        sqlite3 *db = nullptr;
        sqlite3_open(path.c_str(), &db);
        char c = sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK ? '1' : '0';
        (void)!write(ready[1], &c, 1);
        (void)!read(done[0], &c, 1);
        _exit(0);
    }
    close(ready[1]);
    close(done[0]);
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    ASSERT_EQ(held, '1');
    expectReported("locked", "File Is Already Locked (32)");
    close(done[1]);
    int status = 0;
    waitpid(child, &status, 0);
    close(ready[0]);

    // Once the lock is gone the same file opens and lists its item.
    box.clear();
    BrowseWindow *w = openInventoryBrowse(Variant::All, "");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(rows(w), 1);
    EXPECT_EQ(text(w, "Number of items"), "1");
    EXPECT_TRUE(box.shown().empty());
    closeAll();
}

TEST_F(DamagedFiles, AClientCodeThatIsNoFolderNameWritesNothingOutsideTheDataFolder)
{
    // A register written by another tool, in a data folder two levels down.
    const std::string data = home.file("a/b/data/");
    makeFolder(data);
    ASSERT_EQ(MainSystemFile.open(mode::ReadWriteDenyNone), 0);
    MainSystemFile.setFileOrder();
    ASSERT_EQ(MainSystemFile.next(), 0);
    MSY.PATHPRIMARYRESIDENCE = data;
    ASSERT_EQ(MainSystemFile.put(), 0);
    MainSystemFile.close();
    BuildSharedFileNames(data);
    ASSERT_EQ(QORClients.create(), 0);
    ASSERT_EQ(QORClients.open(mode::ReadWriteDenyNone), 0);
    clearRecord(dict::QORClientsDef, &QOC);
    QOC.IDCODE = "../..";
    QOC.LASTNAME = "Intruder";
    ASSERT_EQ(QORClients.add(), 0);
    QORClients.close();
    EXPECT_EQ(clientFolder(data, "../.."), "");

    Glo.ClientSelected = 0;
    onNextModal([](QWidget *w) {
        auto *list = find<QTableView>(w, "list");
        ASSERT_EQ(list->model()->rowCount(), 1);
        list->setCurrentIndex(list->model()->index(0, 0));
        find<QPushButton>(w, "Select")->click();
        if (w->isVisible())
            find<QPushButton>(w, "Close")->click();
    });
    SelectClient();
    EXPECT_TRUE(box.sawTitle("Invalid ID Code"));
    EXPECT_EQ(Glo.ClientSelected, 0);
    EXPECT_TRUE(Glo.ActiveClientID.blank());

    // Whatever the item files were named after, the browse makes nothing above the data folder.
    nameClientFiles(clientFolder(data, QOC.IDCODE.str()));
    EXPECT_EQ(MasterInventory.name, "");
    openInventoryBrowse(Variant::All, "");
    testing_support::pump(20);
    closeAll();
    std::vector<std::string> above;
    for (const std::string &dir : {home.file("a"), home.file("a/b")})
        for (const fs::directory_entry &e : fs::directory_iterator(dir))
            if (e.path().filename() != "b" && e.path().filename() != "data")
                above.push_back(e.path().string());
    EXPECT_TRUE(above.empty()) << above.front();
    for (const char *name : {"qormas.tps", "qorloc.tps", "qorbox.tps", "qorufd.tps"})
        EXPECT_FALSE(fileExists(name)) << name;  // nor beside the test's working folder
}
