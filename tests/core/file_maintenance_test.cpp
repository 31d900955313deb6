#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "model/dictionary.h"
#include "core/file_maintenance.h"
#include "model/globals.h"
#include "model/managers.h"
#include "runtime/errors.h"
#include "runtime/file_manager.h"
#include "core/main_frame.h"
#include "core/procedures.h"
#include "model/client_files.h"
#include "runtime/file_structure.h"
#include "runtime/gui.h"
#include "runtime/paths.h"
#include "runtime/window.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/support/record_damage.h"
#include "tests/support/test_support.h"

using namespace rt;
using testing_support::ScriptedMessages;
using testing_support::TempHome;
namespace fs = std::filesystem;

namespace {

void fillVendors(int rows)
{
    ASSERT_EQ(Vendors.create(), 0);
    ASSERT_EQ(Vendors.open(mode::ReadWriteDenyNone), 0);
    Transaction tx({&Vendors});
    ASSERT_EQ(tx.begin(), 0);
    for (int i = 0; i < rows; ++i) {
        clearRecord(dict::VendorsDef, &VEN);
        VEN.VENDOR = "Vendor " + std::to_string(i);
        ASSERT_EQ(Vendors.add(), 0);
    }
    ASSERT_EQ(tx.commit(), 0);
    Vendors.close();
}

void exec(const std::string &path, const std::string &sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.c_str(), &db);
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

class FileMaintenance : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::startProgram(home);
        setLockWaitUnitMs(10);
        setRepairProgram("/bin/true");
        BuildSharedFileNames(home.path());
    }
    void TearDown() override
    {
        for (WindowProcedure *w : startedWindows())
            w->requestClose();
        testing_support::pump(10);
        setRepairProgram("");
        testing_support::stopProgram();
    }
    WindowProcedure *manager()
    {
        for (WindowProcedure *w : startedWindows())
            if (w->objectName() == "FileManagerWindow")
                return w;
        return nullptr;
    }
    WindowProcedure *openManager()
    {
        runProcedure("FileManagerWindow");
        testing_support::pump(10);
        return manager();
    }
    QTreeWidgetItem *row(WindowProcedure *w, const QString &label)
    {
        QTreeWidget *list = w->findChild<QTreeWidget *>("FileList");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(1) == label)
                return list->topLevelItem(i);
        return nullptr;
    }
    // Runs a button on the highlighted row alone.
    void onRow(WindowProcedure *w, const QString &label, const QString &button)
    {
        w->findChild<QTreeWidget *>("FileList")->setCurrentItem(row(w, label));
        testing_support::find<QPushButton>(w, button)->click();
    }
    std::string bad() { return profileFile().read(ds_AppName(), "BadFile", ""); }

    TempHome home;
    ScriptedMessages box;
};

}  // namespace

TEST_F(FileMaintenance, TagAllAndInfoCountEveryFileItCanAndSkipTheOthers)
{
    fillVendors(30);
    for (RecordFile *f : {&QORClients, &QORSubject, &CustomReportSetups, &Conditions, &Manufacturers, &Type, &Heirs,
                          &MainSystemFile, &SecondaryResidence})
        ASSERT_EQ(f->create(), 0);
    WindowProcedure *w = openManager();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "File Manager");
    QTreeWidget *list = w->findChild<QTreeWidget *>("FileList");
    QStringList labels;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        labels << list->topLevelItem(i)->text(1);
    EXPECT_EQ(labels, (QStringList{"BoxNumber", "Category", "ClientSystemFile", "Conditions", "CustomReportSetups",
                                   "Heirs", "ImportASCIITab", "ImportFields", "Location", "MainSystemFile",
                                   "Manufacturers", "MasterInventory", "MasterInventoryTemp", "QORClients",
                                   "QORSubject", "SecondaryResidence", "Type", "UserFields", "Vendors"}));

    testing_support::find<QPushButton>(w, "Tag All")->click();
    EXPECT_FALSE(row(w, "Type")->icon(0).isNull());  // the tick
    testing_support::find<QPushButton>(w, "Info")->click();
    EXPECT_EQ(row(w, "Vendors")->text(2), "30");
    EXPECT_EQ(row(w, "Vendors")->text(3).toStdString(), Vendors.name);
    EXPECT_EQ(row(w, "Type")->text(2), "0");
    EXPECT_EQ(row(w, "Category")->text(2), "?");
    EXPECT_EQ(row(w, "Category")->text(3), "Error : File Not Found");
    // No client selected: the client's files have no names yet and are passed over, as is the
    // import text file.
    EXPECT_EQ(row(w, "MasterInventory")->text(3), "");
    EXPECT_EQ(row(w, "ImportASCIITab")->text(3), "");
    EXPECT_TRUE(box.shown().empty());
    if (const char *shot = std::getenv("FILE_MANAGER_SCREENSHOT"))
        w->outerWindow()->grab().save(shot);

    // Fix on a client's file with no client selected makes nothing.
    testing_support::find<QPushButton>(w, "Untag All")->click();
    EXPECT_TRUE(row(w, "Type")->icon(0).isNull());
    std::vector<std::string> before;
    for (auto &e : fs::recursive_directory_iterator(home.path()))
        before.push_back(e.path().string());
    onRow(w, "MasterInventory", "Fix");
    std::vector<std::string> after;
    for (auto &e : fs::recursive_directory_iterator(home.path()))
        after.push_back(e.path().string());
    EXPECT_EQ(after, before);
    EXPECT_TRUE(box.shown().empty());
}

TEST_F(FileMaintenance, BuildRestoresADroppedKeyAndPackShrinksTheFile)
{
    fillVendors(3000);
    exec(Vendors.name, "DROP INDEX vendorkey");
    EXPECT_EQ(ds_FileOpen(Vendors, mode::ReadOnlyDenyNone), err::KeyInvalid);
    WindowProcedure *w = openManager();
    onRow(w, "Vendors", "Build");
    EXPECT_TRUE(box.shown().empty());
    EXPECT_EQ(row(w, "Vendors")->text(2), "3000");
    ASSERT_EQ(ds_FileOpen(Vendors, mode::ReadOnlyDenyNone), 0);
    Vendors.close();

    exec(Vendors.name, "DELETE FROM data WHERE rowid > 100");
    auto size = fs::file_size(Vendors.name);
    onRow(w, "Vendors", "Pack");
    EXPECT_TRUE(box.shown().empty());
    EXPECT_LT(fs::file_size(Vendors.name) * 4, size);
    EXPECT_EQ(row(w, "Vendors")->text(2), "100");
    onRow(w, "Vendors", "Release");
    EXPECT_EQ(row(w, "Vendors")->text(2), "100");
    // A file that does not exist is passed over by Build, Pack and Release.
    for (const char *b : {"Build", "Pack", "Release"})
        onRow(w, "Category", b);
    EXPECT_TRUE(box.shown().empty());
    EXPECT_FALSE(fs::exists(Category.name));
}

// The release pass reads the whole file and lets the window repaint every 64 records: another
// program's write, with its 1 s wait, lands during such a pause (the pass's scan held, as a
// fast machine holds it).
TEST_F(FileMaintenance, TheReleasePassWriterNeverLockedOut)
{
    fillVendors(2000);
    const testing_support::ScansHeldAsWhenFast held;
    WindowProcedure *w = openManager();
    std::string written = "not written";
    QTimer pause;
    QObject::connect(&pause, &QTimer::timeout, [&] {
        auto *bar = w->findChild<QProgressBar *>();
        auto *action = w->findChild<QLabel *>("Action");
        if (!bar || !action || action->text() != "Releasing Records" || bar->value() < 10)
            return;
        pause.stop();
        written = testing_support::writeAsAnotherProgram(Vendors.name,
                                                         "INSERT INTO data (vendor) VALUES ('Written meanwhile')");
    });
    pause.start(0);
    onRow(w, "Vendors", "Release");
    pause.stop();
    EXPECT_EQ(written, "");
    EXPECT_TRUE(box.shown().empty());
    EXPECT_EQ(row(w, "Vendors")->text(2), "2000");
    EXPECT_EQ(testing_support::sqliteNumber(Vendors.name, "SELECT count(*) FROM data"), 2001);
}

TEST_F(FileMaintenance, BuildPackAndFixNeedTheFileToThemselves)
{
    fillVendors(5);
    // A browse holds the file.
    RecordFile browse(dict::VendorsDef, &VEN);
    browse.name = Vendors.name;
    ASSERT_EQ(browse.open(mode::ReadWriteDenyNone), 0);
    WindowProcedure *w = openManager();
    for (const char *b : {"Build", "Pack", "Fix"}) {
        box.clear();
        onRow(w, "Vendors", b);
        ASSERT_EQ(box.shown().size(), 1u) << b;
        EXPECT_EQ(box.shown()[0].title, "File Access Error");
        EXPECT_EQ(box.shown()[0].text, "This option requires exclusive file access.|Please ensure no other users are "
                                       "in the system. |An error occured trying to open the file : Error Access Denied");
    }
    EXPECT_FALSE(fs::exists(home.file("qorven.tpe")));  // no repair was started
    // Info only reads: it counts the file all the same.
    onRow(w, "Vendors", "Info");
    EXPECT_EQ(row(w, "Vendors")->text(2), "5");
    // The start-up offer too: after Yes and the notice, the refusal; the entry stays.
    profileFile().write(ds_AppName(), "BadFile", Vendors.name);
    box.clear();
    box.answer(BUTTON_YES);
    EXPECT_FALSE(offerBadFileRepair());
    ASSERT_EQ(box.shown().size(), 3u);
    EXPECT_EQ(box.shown()[2].title, "File Access Error");
    EXPECT_EQ(bad(), Vendors.name);
    EXPECT_FALSE(fs::exists(home.file("qorven.tpe")));
    profileFile().write(ds_AppName(), "BadFile", "");
    browse.close();

    // A repair program that is not there: said, and the file's entry stays for the next time.
    setRepairProgram(home.file("no-such-recordfix"));
    profileFile().write(ds_AppName(), "BadFile", Vendors.name);
    box.clear();
    box.answer(BUTTON_NO);  // the question at the opening
    w->requestClose();
    testing_support::pump(10);
    w = openManager();
    ASSERT_NE(w, nullptr);
    onRow(w, "Vendors", "Fix");
    ASSERT_EQ(box.shown().size(), 2u);
    EXPECT_EQ(box.shown()[1].text, "The repair program " + home.file("no-such-recordfix") +
                                       " cannot be found.|The file " + Vendors.name + " is not repaired.");
    EXPECT_EQ(bad(), Vendors.name);

    // Fix on a file that is not there says so.
    fs::remove(Vendors.name);
    box.clear();
    onRow(w, "Vendors", "Fix");
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].text, "The file " + Vendors.name + " does not exist: there is nothing to repair.");
}

TEST_F(FileMaintenance, TheBadFileQuestionComesAtEveryOpeningAndNoOpensTheWindow)
{
    fillVendors(5);
    profileFile().write(ds_AppName(), "BadFile", Vendors.name);
    for (int i = 0; i < 2; ++i) {
        box.clear();
        box.answer(BUTTON_NO);
        WindowProcedure *w = openManager();
        ASSERT_EQ(box.shown().size(), 1u);
        EXPECT_EQ(box.shown()[0].title, "Warning");
        EXPECT_EQ(box.shown()[0].text, "Warning : The program may have crashed attempting to open the file " +
                                           Vendors.name + ". Do you wish to have the program attempt to fix the file ? ");
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(bad(), Vendors.name);
        w->requestClose();
        testing_support::pump(10);
    }
    // Yes: the repair starts, the entry is cleared, and no window opens.
    box.clear();
    box.answer(BUTTON_YES);
    EXPECT_EQ(openManager(), nullptr);
    ASSERT_EQ(box.shown().size(), 3u);
    EXPECT_EQ(box.shown()[1].title, "Information");
    // A repair program that leaves no outcome is not taken for a repair.
    EXPECT_EQ(box.shown()[2].title, "File Repair Results");
    EXPECT_NE(box.shown()[2].text.find("The repair program ended without telling its outcome (exit code 0)"),
              std::string::npos);
    EXPECT_EQ(bad(), "");
    EXPECT_TRUE(fs::exists(home.file("qorven.tpe")));

    // The example file's name changes the file name's extension only.
    EXPECT_EQ(exampleFileName("/data/v1.2/qormas.tps"), "/data/v1.2/qormas.tpe");
    EXPECT_EQ(exampleFileName("/data/v1.2/DATAFILE"), "/data/v1.2/DATAFILE.tpe");

    // An entry that names a file no longer there is cleared after Yes, and start-up goes on.
    profileFile().write(ds_AppName(), "BadFile", home.file("gone/qorven.tps"));
    box.clear();
    EXPECT_FALSE(offerBadFileRepair());
    EXPECT_EQ(bad(), "");
}

TEST_F(FileMaintenance, ADamagedItemFileNotedAtOneStartIsRepairedByRecordfixAtTheNext)
{
    std::string folder = clientFolder(home.path(), "A1");
    ASSERT_EQ(makeFolder(folder), 0);
    nameClientFiles(folder);
    ASSERT_EQ(MasterInventory.create(), 0);
    ASSERT_EQ(MasterInventory.open(mode::ReadWriteDenyNone), 0);
    {
        Transaction tx({&MasterInventory});
        ASSERT_EQ(tx.begin(), 0);
        for (int i = 0; i < 20000; ++i) {
            clearRecord(dict::MasterInventoryDef, &MAS);
            MAS.DESCRIPTION = "Item " + std::to_string(i);
            MAS.MEMO = std::string(static_cast<std::size_t>(i % 30), 'n');
            ASSERT_EQ(MasterInventory.add(), 0);
        }
        ASSERT_EQ(tx.commit(), 0);
    }
    MasterInventory.close();
    std::string path = MasterInventory.name;
    std::vector<std::int64_t> leaves = testing_support::tableLeafPages(path);
    ASSERT_GT(leaves.size(), 50u);
    std::int64_t page = leaves[leaves.size() / 2];
    std::size_t lost = testing_support::rowidsOnPage(path, page).size();
    ASSERT_GT(lost, 5u);
    testing_support::overwritePage(path, page);

    // Info reads it whole, meets the damage and notes the file.
    WindowProcedure *w = openManager();
    onRow(w, "MasterInventory", "Info");
    EXPECT_EQ(row(w, "MasterInventory")->text(3).left(8), "Error : ");
    EXPECT_NE(row(w, "MasterInventory")->text(3).indexOf("malformed"), -1);
    EXPECT_EQ(bad(), path);

    // The next start: no client selected, the entry's full path still finds the file.
    testing_support::stopProgram();
    testing_support::startProgram(home);
    setRepairProgram(RECORDFIX_PROGRAM);
    box.clear();
    box.answer(BUTTON_YES);
    EXPECT_TRUE(offerBadFileRepair());
    // The question, the notice that the program closes, and the outcome as soon as the repair
    // ended: the counts and the asset numbers of the lost rows, which the asset key still holds.
    ASSERT_EQ(box.shown().size(), 3u);
    EXPECT_EQ(box.shown()[0].text, "Warning : The program may have crashed attempting to open the file " + path +
                                       ". Do you wish to have the program attempt to fix the file ? ");
    EXPECT_EQ(bad(), "");
    EXPECT_TRUE(fs::exists(joinPath(folder, "qormas.tpe")));
    EXPECT_EQ(box.shown()[2].title, "File Repair Results");
    const std::string &shown = box.shown()[2].text;
    EXPECT_NE(shown.find(" Repair of " + path + "|"), std::string::npos) << shown;
    EXPECT_NE(shown.find("|Rows salvaged: " + std::to_string(20000 - lost) + "|"), std::string::npos) << shown;
    EXPECT_NE(shown.find("|Pages unreadable: 1|"), std::string::npos) << shown;
    EXPECT_NE(shown.find("|Rows lost (unreadable): " + std::to_string(lost) + "|"), std::string::npos) << shown;
    EXPECT_NE(shown.find("|Asset numbers of the lost rows: "), std::string::npos) << shown;
    EXPECT_EQ(testing_support::sqliteText(path, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(testing_support::sqliteNumber(path, "SELECT count(*) FROM data"), 20000 - static_cast<int>(lost));
    EXPECT_TRUE(fs::exists(path + ".damaged"));
    EXPECT_FALSE(fs::exists(repairLogPath()));
    EXPECT_NE(testing_support::readBytes(repairLogPath() + ".shown").find("Rows salvaged: "), std::string::npos);

    // Shown once: the File Manager's next opening has nothing more to tell.
    box.clear();
    ASSERT_NE(openManager(), nullptr);
    EXPECT_TRUE(box.shown().empty());

    // The item file gone, with the damaged original beside it: the open that creates a missing
    // file says so (the error manager shows it, and stops) and does not create an empty one.
    fs::remove(path);
    MasterInventory.name = path;
    FileManager manager(MasterInventory, GlobalErrors);
    EXPECT_NE(manager.openFile(false), 0);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_NE(errorText().find("The file does not exist. The damaged original of a repair is kept as " + path +
                               ".damaged. The file is not created empty."),
              std::string::npos)
        << errorText();
}

namespace {
// A form with changes it will not give up.
class Stubborn : public WindowProcedure {
public:
    Stubborn() : WindowProcedure("Stubborn") {}
    bool refuse = true;

protected:
    bool canClose() override { return !refuse; }
};
}  // namespace

TEST_F(FileMaintenance, YesFromTheMenuClosesEveryWindowFirstAndEndsThroughTheFrame)
{
    fillVendors(5);
    ASSERT_EQ(MainSystemFile.create(), 0);
    ASSERT_EQ(MainSystemFile.open(mode::ReadWriteDenyNone), 0);
    clearRecord(dict::MainSystemFileDef, &MSY);
    MSY.PATHPRIMARYRESIDENCE = home.path();
    ASSERT_EQ(MainSystemFile.add(), 0);
    MainSystemFile.close();
    MainFrame frame;
    ASSERT_EQ(frame.init(), 0);
    QPointer<Stubborn> form = new Stubborn;
    form->start();
    testing_support::pump(10);
    profileFile().write(ds_AppName(), "BadFile", Vendors.name);

    // The form refuses to close: nothing more happens, and the entry stays.
    box.answer(BUTTON_YES);
    frame.action("File Manager")->trigger();
    testing_support::pump(10);
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(bad(), Vendors.name);
    EXPECT_FALSE(fs::exists(home.file("qorven.tpe")));
    EXPECT_EQ(manager(), nullptr);

    ASSERT_TRUE(form);
    form->refuse = false;
    box.clear();
    box.answer(BUTTON_YES);
    frame.action("File Manager")->trigger();
    testing_support::pump(10);
    EXPECT_FALSE(frame.isVisible());
    EXPECT_TRUE(!form || form->isHidden());
    EXPECT_EQ(bad(), "");
    EXPECT_TRUE(fs::exists(home.file("qorven.tpe")));
    ASSERT_EQ(box.shown().size(), 3u);
    EXPECT_EQ(box.shown()[1].title, "Information");
    EXPECT_EQ(box.shown()[2].title, "File Repair Results");
    frame.kill();
}

// The outcome shown after a repair leaves a long list of rows to the log, but never shortens a
// line that names a file, however long the name or whatever commas it holds.
TEST_F(FileMaintenance, RepairResultsShortenOnlyListsOfRowsNeverFileNames)
{
    const std::string path = "/data/" + std::string(200, 'c') + "/Smith, John and Mary, " + std::string(200, 'd') + "/qormas.tps";
    std::string numbers;
    for (int i = 1; i <= 300; ++i)
        numbers += (i > 1 ? ", " : "") + std::to_string(i);
    const std::string log = "2026-12-09 08:44:19 Repair of " + path + "\nThe file was repaired in part: not every row could be kept.\n"
                            "Asset numbers of the lost rows: " + numbers + "\nRows kept with a damaged text, cut where the damage starts: 1\n"
                            "Asset numbers of those rows: 31\nThe damaged original is kept as " + path + ".damaged\n";
    std::ofstream(repairLogPath()) << log;
    box.clear();
    ASSERT_TRUE(showRepairResults());
    ASSERT_EQ(box.shown().size(), 1u);
    const std::string &shown = box.shown()[0].text;
    EXPECT_NE(shown.find(" Repair of " + path + "|"), std::string::npos) << shown;
    EXPECT_NE(shown.find("|The damaged original is kept as " + path + ".damaged"), std::string::npos) << shown;
    EXPECT_NE(shown.find("|Asset numbers of those rows: 31|"), std::string::npos) << shown;
    const std::size_t list = shown.find("|Asset numbers of the lost rows: 1, 2, 3");
    ASSERT_NE(list, std::string::npos) << shown;
    const std::string tail = shown.substr(list, shown.find('|', list + 1) - list);
    EXPECT_LE(tail.size(), 520u);
    EXPECT_NE(tail.find(" more (the whole list is in " + repairLogPath() + ".shown)"), std::string::npos) << tail;
    EXPECT_EQ(box.shown()[0].icon, Icon::Exclamation);
}
