#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <map>

#include "core/backup.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "core/main_frame.h"
#include "model/client_files.h"
#include "runtime/gui.h"
#include "runtime/paths.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/support/record_damage.h"
#include "tests/support/test_support.h"

using namespace rt;
using testing_support::ScriptedMessages;
using testing_support::TempHome;
namespace fs = std::filesystem;

namespace {

// A record file of the type with `rows` records whose first key holds distinct values.
void makeFile(const TableDef &def, const std::string &path, int rows)
{
    std::vector<unsigned char> buffer(def.recordSize);
    std::string memo;
    RecordFile f(def, buffer.data(), &memo);
    f.name = path;
    ASSERT_EQ(f.create(), 0) << path;
    ASSERT_EQ(f.open(mode::ReadWriteDenyNone), 0);
    Transaction tx({&f});
    ASSERT_EQ(tx.begin(), 0);
    for (int i = 0; i < rows; ++i) {
        clearRecord(def, buffer.data());
        if (!def.keys.empty())
            for (const KeyPart &p : def.keys[0].parts) {
                const FieldDef &field = def.fields[static_cast<std::size_t>(p.field)];
                if (field.kind == FieldKind::STRING)
                    setFieldText(field, buffer.data(), "K" + std::to_string(i));
                else
                    setFieldNumber(field, buffer.data(), i + 1);
            }
        memo = "memo of row " + std::to_string(i);
        ASSERT_EQ(f.add(), 0) << path;
    }
    ASSERT_EQ(tx.commit(), 0);
    f.close();
}

void garble(const std::string &path)
{
    std::ofstream(path, std::ios::trunc) << std::string(4096, 'x');
}

std::vector<std::string> treeOf(const std::string &root)
{
    std::vector<std::string> files;
    for (auto &e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file())
            files.push_back(fs::relative(e.path(), root).string());
    std::sort(files.begin(), files.end());
    return files;
}

class Backup : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::startProgram(home);
        primary = home.path();
        backup = home.file("backup/");
        clearRecord(dict::MainSystemFileDef, &MSY);
        MSY.PATHPRIMARYRESIDENCE = primary;
        MSY.PATHTOBACKUP = backup;
        MSY.REMINDBACKUP = 1;
        makeFile(dict::MainSystemFileDef, MainSystemFile.name, 1);
        BuildSharedFileNames(primary);
        for (RecordFile *f : {&QORClients, &QORSubject, &CustomReportSetups, &Category, &Conditions, &Manufacturers,
                              &Type, &Vendors})
            makeFile(f->def(), f->name, 0);
        // Clients entered out of ID-code order.
        ASSERT_EQ(QORClients.open(mode::ReadWriteDenyNone), 0);
        for (const char *id : {"B2", "A1"}) {
            clearRecord(dict::QORClientsDef, &QOC);
            QOC.IDCODE = id;
            ASSERT_EQ(QORClients.add(), 0);
        }
        QORClients.close();
        makeFile(dict::VendorsDef, Vendors.name, 30);
        for (const char *id : {"A1", "B2"}) {
            std::string folder = clientFolder(primary, id);
            ASSERT_EQ(makeFolder(folder), 0);
            for (const TableDef *def : {&dict::BoxNumberDef, &dict::UserFieldsDef, &dict::HeirsDef, &dict::LocationDef,
                                        &dict::MasterInventoryDef}) {
                if (def == &dict::BoxNumberDef && std::string(id) == "B2")
                    continue;  // a client who never made a box
                makeFile(*def, joinPath(folder, def->diskName), def == &dict::MasterInventoryDef ? 3000 : 5);
            }
        }
    }
    void TearDown() override { testing_support::stopProgram(); }

    BackupOutcome run(const std::string &folder)
    {
        labels.clear();
        return runBackup(folder, [this](const std::string &l) { labels.push_back(l); });
    }

    TempHome home;
    ScriptedMessages box;
    std::string primary, backup;
    std::vector<std::string> labels;
};

const std::vector<std::string> kClientFiles = {"qorbox.tps", "qorufd.tps", "qorhrs.tps", "qorloc.tps", "qormas.tps"};

}  // namespace

TEST_F(Backup, CopiesTheSharedFilesTheSettingsAndEachClientInIdOrder)
{
    // A browse holds the master file open, part way through reading it.
    RecordFile browse(dict::MasterInventoryDef, &MAS, &MAS.MEMO);
    browse.name = joinPath(clientFolder(primary, "A1"), "qormas.tps");
    ASSERT_EQ(browse.open(mode::ReadWriteDenyNone), 0);
    browse.setFileOrder();
    ASSERT_EQ(browse.next(), 0);

    BackupOutcome out = run(backup);
    EXPECT_TRUE(out.folderCreated);
    EXPECT_FALSE(out.stopped);
    EXPECT_TRUE(out.notCopied.empty());
    EXPECT_EQ(treeOf(backup),
              (std::vector<std::string>{"A1/qorbox.tps", "A1/qorhrs.tps", "A1/qorloc.tps", "A1/qormas.tps",
                                        "A1/qorufd.tps", "B2/qorhrs.tps", "B2/qorloc.tps", "B2/qormas.tps",
                                        "B2/qorufd.tps", "mainsys.tps", "qorcat.tps", "qorcdn.tps", "qorclnt.tps",
                                        "qorcrsup.tps", "qormfg.tps", "qorsubj.tps", "qortyp.tps", "qorven.tps"}));
    // Clients in ID-code order, each file in the table's order; the labels as the window shows them.
    ASSERT_EQ(out.copied.size(), 18u);
    EXPECT_EQ(out.copied[9], joinPath(backup, "A1/qorbox.tps"));
    EXPECT_EQ(out.copied[14], joinPath(backup, "B2/qorufd.tps"));
    ASSERT_EQ(labels.size(), 9u + 10u);
    EXPECT_EQ(labels[2], "Main System");
    EXPECT_EQ(labels[3], "Custom Reports Setup");
    EXPECT_EQ(labels[13], "Master Home File");
    for (const std::string &copy : out.copied) {
        std::string rel = fs::relative(copy, backup).string();
        std::string source = rel == "mainsys.tps" ? MainSystemFile.name : joinPath(primary, rel);
        EXPECT_EQ(testing_support::sqliteText(copy, "PRAGMA integrity_check"), "ok") << copy;
        EXPECT_EQ(testing_support::sqliteNumber(copy, "SELECT count(*) FROM data"),
                  testing_support::sqliteNumber(source, "SELECT count(*) FROM data"))
            << copy;
    }
    EXPECT_EQ(testing_support::sqliteNumber(joinPath(backup, "A1/qormas.tps"), "SELECT count(*) FROM data"), 3000);
    ASSERT_FALSE(box.shown().empty());
    EXPECT_EQ(box.shown().back().title, "Back Up Complete");
    EXPECT_EQ(box.shown().back().text, "The back up copied 18 files into " + backup + ".");
    EXPECT_EQ(box.shown().size(), 1u);  // the missing box file passed over silently
    browse.close();
}

// A browse of a client's items refreshes while the backup repaints its window (in the backup's
// processEvents()) and reads part of them, as fast as a list reads: another program's write to
// the items, with its 1 s wait, lands at the backup's next repaint and while the user reads its
// closing message.
TEST_F(Backup, WhileBackingUpWriterNeverLockedOut)
{
    const testing_support::ScansHeldAsWhenFast held;
    RecordFile browse(dict::MasterInventoryDef, &MAS, &MAS.MEMO);
    browse.name = joinPath(clientFolder(primary, "A1"), "qormas.tps");
    ASSERT_EQ(browse.open(mode::ReadWriteDenyNone), 0);
    int read = 0;
    auto refresh = [&] {
        browse.setFileOrder();
        while (read < 300 && browse.next() == 0)
            ++read;
    };
    std::vector<std::string> written;
    auto write = [&] {
        written.push_back(testing_support::writeAsAnotherProgram(
            browse.name, "UPDATE data SET description = 'Changed elsewhere' WHERE rowid = 1"));
    };
    box.whileShown([&](const MessageRequest &) { write(); });
    BackupOutcome out = runBackup(backup, [&](const std::string &label) {
        if (label == "Main System")
            QTimer::singleShot(0, refresh);
        if (label == "Category")
            QTimer::singleShot(0, write);
        QApplication::processEvents();
    });
    EXPECT_EQ(read, 300);
    EXPECT_TRUE(out.notCopied.empty());
    EXPECT_EQ(box.shown().back().title, "Back Up Complete");
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written, std::vector<std::string>(2, ""));
    browse.close();
}

TEST_F(Backup, AFailedCopyKeepsThePreviousBackupAndLeavesNoTemporaryFile)
{
    run(backup);
    std::vector<std::string> tree = treeOf(backup);
    std::map<std::string, std::string> before;
    for (const std::string &f : tree)
        before[f] = testing_support::readBytes(joinPath(backup, f));

    // The master file of A1 gets a page of garbage: its copy fails its check.
    std::string master = joinPath(clientFolder(primary, "A1"), "qormas.tps");
    std::vector<std::int64_t> leaves = testing_support::tableLeafPages(master);
    ASSERT_GT(leaves.size(), 4u);
    testing_support::overwritePage(master, leaves[leaves.size() / 2]);
    // A1's location file is no record file at all.
    garble(joinPath(clientFolder(primary, "A1"), "qorloc.tps"));
    // B2's item file was cut to nothing: it opens as an empty database, and is no record file.
    fs::resize_file(joinPath(clientFolder(primary, "B2"), "qormas.tps"), 0);
    box.clear();
    for (int i = 0; i < 3; ++i)
        box.answer(BUTTON_YES);
    BackupOutcome out = run(backup);

    EXPECT_EQ(treeOf(backup), tree);  // no temporary name left behind
    for (const char *f : {"A1/qormas.tps", "A1/qorloc.tps", "B2/qormas.tps"})
        EXPECT_EQ(testing_support::readBytes(joinPath(backup, f)), before[f]) << f;
    ASSERT_EQ(out.notCopied.size(), 3u);
    EXPECT_EQ(out.copied.size(), 15u);
    ASSERT_EQ(box.shown().size(), 4u);
    EXPECT_NE(box.shown()[2].text.find("B2/qormas.tps: the file is empty"), std::string::npos) << box.shown()[2].text;
    EXPECT_EQ(box.shown()[3].title, "Back Up Incomplete");
    EXPECT_NE(box.shown()[3].text.find("|Master Home File (" + joinPath(clientFolder(primary, "B2"), "qormas.tps") +
                                       "): the file is empty"),
              std::string::npos)
        << box.shown()[3].text;
    EXPECT_EQ(box.shown()[0].title, "File Copy Error");
    EXPECT_EQ(box.shown()[0].buttons, BUTTON_YES | BUTTON_NO);
    EXPECT_EQ(box.shown()[0].defaultButton, BUTTON_NO);
    EXPECT_EQ(box.shown()[0].text.rfind("Error coping file|", 0), 0u);
    EXPECT_NE(box.shown()[1].text.find("qormas.tps: the file is damaged"), std::string::npos) << box.shown()[1].text;
    EXPECT_NE(box.shown()[3].text.find("|Not copied:|Location File ("), std::string::npos) << box.shown()[3].text;
    EXPECT_EQ(box.beeps(), 3);

    // No at a copy error stops everything: no further file, no further client.
    fs::remove_all(backup);
    garble(joinPath(primary, "qorsubj.tps"));
    box.clear();
    box.answer(BUTTON_NO);
    out = run(backup);
    EXPECT_TRUE(out.stopped);
    EXPECT_EQ(treeOf(backup), std::vector<std::string>{"qorclnt.tps"});
    EXPECT_NE(box.shown().back().text.find("The back up was stopped before it finished."), std::string::npos);
}

TEST_F(Backup, RefusesADataFolderAsTheBackupFolderAndTellsARegisterItCannotRead)
{
    for (const std::string &target : {primary, clientFolder(primary, "A1") + "/"}) {
        box.clear();
        box.answer(BUTTON_NO);
        std::vector<std::string> filesBefore = treeOf(primary);
        BackupOutcome out = run(target);
        EXPECT_TRUE(out.stopped);
        EXPECT_TRUE(out.copied.empty());
        EXPECT_EQ(treeOf(primary), filesBefore);
        ASSERT_GE(box.shown().size(), 1u);
        EXPECT_EQ(box.shown()[0].title, "File Copy Error");
        EXPECT_EQ(box.shown()[0].text, "Error coping file|The backup directory " + target +
                                           " is a data directory||Do you wish to continue with the back up?");
    }

    // A register that is not a record file: the shared files are still copied, and it is said.
    std::string reg = joinPath(primary, "qorclnt.tps");
    garble(reg);
    box.clear();
    box.answer(BUTTON_OK);
    box.answer(BUTTON_YES);  // the register's own copy fails too
    BackupOutcome out = run(backup);
    EXPECT_EQ(box.shown()[0].title, "Backup Error");
    EXPECT_EQ(box.shown()[0].text.rfind("Unable to open the client register " + reg + "|Error: ", 0), 0u);
    EXPECT_EQ(out.copied.size(), 8u);
    EXPECT_FALSE(fs::exists(joinPath(backup, "A1")));

    // A backup folder that cannot be made: nothing is done and the window stays.
    box.clear();
    out = run("/proc/no-such-place/backup/");
    EXPECT_FALSE(out.folderCreated);
    ASSERT_EQ(box.shown().size(), 1u);
    EXPECT_EQ(box.shown()[0].title, "Directory Creation Failed");
    EXPECT_EQ(box.shown()[0].text, "Unable to create backup directory");
}

TEST_F(Backup, ClosingTheFrameOffersTheBackupWindow)
{
    {
        // Written by the first-run setup otherwise.
        std::vector<unsigned char> keep(sizeof MSY);
        std::memcpy(keep.data(), &MSY, sizeof MSY);
        ASSERT_EQ(MainSystemFile.open(mode::ReadWriteDenyNone), 0);
        MainSystemFile.setFileOrder();
        ASSERT_EQ(MainSystemFile.next(), 0);
        std::memcpy(&MSY, keep.data(), sizeof MSY);
        ASSERT_EQ(MainSystemFile.put(), 0);
        MainSystemFile.close();
    }
    MainFrame frame;
    ASSERT_EQ(frame.init(), 0);
    QString title, folder;
    testing_support::onNextModal([&](QWidget *w) {
        title = w->windowTitle();
        if (auto *l = w->findChild<QLabel *>("BackupFolder"))
            folder = l->text();
        testing_support::find<QPushButton>(w, "Back Up")->click();
    });
    frame.close();
    testing_support::pump(20);  // the close's quit, before the backup's own event loop
    frame.kill();
    EXPECT_EQ(title, "Backup Orvane Data Files");
    EXPECT_EQ(folder.toStdString(), backup);
    EXPECT_TRUE(fs::exists(joinPath(backup, "B2/qormas.tps")));
    EXPECT_EQ(box.shown().back().title, "Back Up Complete");
}

TEST_F(Backup, AJournalLeftByACrashIsRolledBackBeforeTheCopy)
{
    makeFile(dict::VendorsDef, Vendors.name, 3000);
    // A change that spilled into the file when the program stopped: the file and its journal as
    // they were at that moment.
    std::string crashed = home.file("crashed/");
    ASSERT_EQ(makeFolder(crashed), 0);
    sqlite3 *db = nullptr;
    sqlite3_open(Vendors.name.c_str(), &db);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA cache_size=2; BEGIN; UPDATE data SET vendor = vendor || ' changed'", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    ASSERT_TRUE(fs::exists(Vendors.name + "-journal"));
    fs::copy_file(Vendors.name, crashed + "qorven.tps");
    fs::copy_file(Vendors.name + "-journal", crashed + "qorven.tps-journal");
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_NE(testing_support::readBytes(crashed + "qorven.tps"), testing_support::readBytes(Vendors.name));

    std::string text;
    ASSERT_EQ(makeFolder(backup), 0);
    ASSERT_EQ(copyRecordFile(crashed + "qorven.tps", backup, text), 0) << text;
    std::string copy = backup + "qorven.tps";
    EXPECT_EQ(testing_support::sqliteText(copy, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(testing_support::sqliteNumber(copy, "SELECT count(*) FROM data WHERE vendor LIKE '%changed'"), 0);
    EXPECT_EQ(testing_support::sqliteNumber(copy, "SELECT count(*) FROM data"), 3000);
    EXPECT_FALSE(fs::exists(crashed + "qorven.tps-journal"));
}
