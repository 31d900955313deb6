// The client program over a staged folder, driven offscreen: start-up, the read-only browses
// and their totals, the item view and the small windows, and a folder left as it was found.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <cstdlib>
#include <sqlite3.h>
#include <unistd.h>

#include "client/client.h"
#include "reports/report_table.h"
#include "model/globals.h"
#include "model/item_fields.h"
#include "model/managers.h"
#include "runtime/browse_window.h"
#include "runtime/file_manager.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/ini_store.h"
#include "runtime/window.h"
#include "tests/client/fixture.h"
#include "tests/support/edition_checks.h"
#include "tests/support/gui_support.h"
#include "tests/support/record_damage.h"
#include "tests/support/test_support.h"

using testing_support::ClientFolder;
using testing_support::find;
using testing_support::onNextModal;
using testing_support::pump;
using testing_support::ScriptedMessages;
using testing_support::TempHome;

namespace {

class Client : public ::testing::Test {
protected:
    explicit Client(bool fill = true) : folder(fill) {}
    void SetUp() override
    {
        ::setenv("MARLOTTE_FOLDER", folder.path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home.path() + "config").c_str(), 1);
        client::startProgram();
    }
    void TearDown() override
    {
        rt::setProcedureObserver(nullptr);
        for (rt::WindowProcedure *w : rt::startedWindows())
            w->requestClose();
        pump(20);
        client::closeFrame();
        pump(20);
        client::endProgram();
        ::unsetenv("MARLOTTE_FOLDER");
    }

    static rt::BrowseWindow *browseNamed(const QString &name, int nth = 0)
    {
        for (rt::WindowProcedure *w : rt::startedWindows())
            if (w->procedureName() == name && nth-- == 0)
                return static_cast<rt::BrowseWindow *>(w);
        return nullptr;
    }
    static rt::BrowseWindow *openBrowse(const char *procedure, const char *word, int nth = 0)
    {
        Glo.MenuSelect = word;
        Glo.MenuCategory = word;
        rt::runProcedure(procedure);
        pump(10);
        return browseNamed(procedure, nth);
    }
    static QString text(QWidget *w, const QString &name)
    {
        if (auto *l = w->findChild<QLabel *>(name))
            return l->text();
        if (auto *e = w->findChild<QLineEdit *>(name))
            return e->text();
        return "<none>";
    }
    // Shows the item at `row` of the browse in the item view and hands the view to `check`.
    static void view(rt::BrowseWindow *b, int row, std::function<void(QWidget *)> check)
    {
        b->browse()->setCurrentRow(row);
        bool seen = false;
        onNextModal([&](QWidget *v) {
            seen = true;
            check(v);
            find<QPushButton>(v, "Close")->click();
        });
        b->changeButton()->click();
        EXPECT_TRUE(seen);
    }

    TempHome home;
    ClientFolder folder;
    ScriptedMessages messages;
};

class EmptyFolder : public Client {
protected:
    EmptyFolder() : Client(false) {}
};

// ---- start-up ---------------------------------------------------------------------------------

TEST_F(EmptyFolder, WithoutAReadableClientSystemFileOneMessageAndNoFrame)
{
    auto expectOneFileError = [&] {
        ASSERT_EQ(messages.shown().size(), 1u);
        const rt::MessageRequest &m = messages.shown()[0];
        EXPECT_EQ(m.text.rfind("Error reading client system file: ", 0), 0u) << m.text;
        EXPECT_EQ(m.title, "File Error");
        EXPECT_EQ(m.buttons, rt::BUTTON_ABORT);
        EXPECT_EQ(client::frame(), nullptr);
        EXPECT_EQ(Glo.ClientFileError, 1);
        messages.clear();
    };
    client::ProgramMain();  // the whole program: it ends before its frame
    expectOneFileError();
    client::startProgram();

    QFile empty(QString::fromStdString(folder.file("clntsys.tps")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_EQ(client::openFrame(), nullptr);
    expectOneFileError();

    // A record file that holds no record.
    QFile::remove(QString::fromStdString(folder.file("clntsys.tps")));
    folder.writeClientSystem(0);
    EXPECT_EQ(client::openFrame(), nullptr);
    expectOneFileError();

    // A FIFO under the file's name is a file that cannot be opened, at once.
    QFile::remove(QString::fromStdString(folder.file("clntsys.tps")));
    ASSERT_EQ(::mkfifo(folder.file("clntsys.tps").c_str(), 0600), 0);
    EXPECT_EQ(client::openFrame(), nullptr);
    expectOneFileError();
    QFile::remove(QString::fromStdString(folder.file("clntsys.tps")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(folder.file("marlotte.INI"))));
}

TEST_F(EmptyFolder, TheFirstOfTwoRecordsIsUsedAndAStrayJournalIsNamed)
{
    folder.writeClientSystem(2);
    ASSERT_NE(client::openFrame(), nullptr);
    EXPECT_EQ(CSF.NAME.str(), "Vera Holm Inventories");
    EXPECT_TRUE(messages.shown().empty());
    client::closeFrame();

    // A journal left beside the file: named, and left where it is for whoever can recover it.
    const std::string journal = folder.file("clntsys.tps-journal");
    QFile j(QString::fromStdString(journal));
    ASSERT_TRUE(j.open(QIODevice::WriteOnly));
    j.write(QByteArray(512, '\x5a'));
    j.close();
    const auto before = folder.listing();
    EXPECT_EQ(client::openFrame(), nullptr);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_NE(messages.shown()[0].text.find("journal clntsys.tps-journal"), std::string::npos)
        << messages.shown()[0].text;
    EXPECT_EQ(messages.shown()[0].text.find("Access Denied"), std::string::npos);
    EXPECT_EQ(folder.listing(), before);
}

TEST_F(Client, TheFolderIsFixedOnceAndEveryFileNamedInIt)
{
    ASSERT_NE(client::openFrame(), nullptr);
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir("/"), 0);
    EXPECT_EQ(::MasterInventory.name, folder.file("master.tps"));
    EXPECT_EQ(client::picturePath("Pic00001.jpg").toStdString(), folder.file("Pic00001.jpg"));
    rt::runProcedure("ShowZenvik");
    pump(10);
    ASSERT_EQ(::chdir(cwd), 0);
    rt::WindowProcedure *producer = nullptr;
    for (rt::WindowProcedure *w : rt::startedWindows())
        if (w->procedureName() == "ShowZenvik")
            producer = w;
    ASSERT_NE(producer, nullptr);
    EXPECT_EQ(producer->windowTitle(), "Your Rava Ravarurod Odidiruzavod");
    EXPECT_EQ(text(producer, "Name"), "Vera Holm Inventories");
    EXPECT_EQ(text(producer, "E Mail Address"), "vera@example.com");
    for (QLineEdit *e : producer->findChildren<QLineEdit *>())
        EXPECT_TRUE(e->isReadOnly()) << e->objectName().toStdString();
    EXPECT_TRUE(messages.shown().empty());

    // Gone since the start: its message, no window, and the program goes on.
    producer->requestClose();
    pump(10);
    QFile::remove(QString::fromStdString(folder.file("clntsys.tps")));
    rt::runProcedure("ShowZenvik");
    pump(10);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "Error reading client system file");
    EXPECT_EQ(messages.shown()[0].buttons, rt::BUTTON_ABORT);
    EXPECT_EQ(Glo.ClientFileError, 1);
    EXPECT_TRUE(rt::startedWindows().isEmpty());
    EXPECT_NE(client::frame(), nullptr);

    // Only the six types the program reads have managers, and none of them writes or creates.
    EXPECT_EQ(Access::Heirs, nullptr);
    EXPECT_EQ(Access::Vendors, nullptr);
    EXPECT_EQ(Access::MainSystemFile, nullptr);
    for (rt::FileManager *m : {Access::ClientSystemFile, Access::Location, Access::MasterInventory, Access::Type,
                               Access::BoxNumber, Access::Category}) {
        ASSERT_NE(m, nullptr);
        EXPECT_FALSE(m->create);
        EXPECT_EQ(m->openMode & 3, 0);
    }
}

// ---- the whole run leaves the folder as it was -------------------------------------------------

TEST_F(Client, AScriptedRunChangesNothingInTheFolderButItsIni)
{
    const auto before = folder.listing();
    QMainWindow *f = client::openFrame();
    ASSERT_NE(f, nullptr);
    pump(10);
    rt::BrowseWindow *browses[] = {openBrowse("BrowseOrvaneMasterSpec", "Holiday Decor"),
                                   openBrowse("BrowseOrvaneMasterLocation", "Garage"),
                                   openBrowse("BrowseOrvaneMaster", "")};
    for (rt::BrowseWindow *b : browses) {
        ASSERT_NE(b, nullptr);
        for (int t = 0; t < b->tabs()->count(); ++t) {
            b->tabs()->setCurrentIndex(t);
            pump();
        }
        b->tabs()->setCurrentIndex(0);
    }
    view(browses[2], 0, [](QWidget *v) {
        auto *tabs = v->findChild<QTabWidget *>("sheet");
        for (int t = 0; t < tabs->count(); ++t) {
            tabs->setCurrentIndex(t);
            pump();
        }
        QTest::keyClick(v, Qt::Key_Return);  // Enter asks nothing and writes nothing
    });
    rt::runProcedure("ReportFormat");
    pump(10);
    for (rt::WindowProcedure *w : rt::startedWindows())
        if (w->procedureName() == "ReportFormat") {
            find<QRadioButton>(w, "Landscape")->click();
            w->requestClose();
        }
    EXPECT_EQ(Glo.ReportFormat.str(), "Landscape");
    client::closeFrame();
    pump(20);
    EXPECT_TRUE(messages.shown().empty()) << messages.shown()[0].text;

    auto after = folder.listing();
    ASSERT_EQ(after.count("marlotte.INI"), 1u);
    after.erase("marlotte.INI");
    EXPECT_EQ(after, before);
    rt::IniFile ini(folder.file("marlotte.INI"));
    EXPECT_TRUE(ini.has("Main", "Width"));
    EXPECT_TRUE(ini.has("BrowseOrvaneMasterSpec", "XPos"));
    EXPECT_TRUE(ini.has("UpdateMasterInventory", "XPos"));
}

TEST_F(Client, AReadOnlyFolderGetsNoFileAndItsIniGoesToTheUsersFolder)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders";
    const auto before = folder.listing();
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    client::startProgram();
    ASSERT_NE(client::openFrame(), nullptr);
    openBrowse("BrowseOrvaneMaster", "");
    client::closeFrame();
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_EQ(folder.listing(), before);
    EXPECT_NE(rt::iniStore().path().find(home.path() + "config"), std::string::npos);
}

// ---- browses --------------------------------------------------------------------------------------

TEST_F(Client, BrowsesCountEveryStatusAndValueWhatIsOwned)
{
    ASSERT_NE(client::openFrame(), nullptr);
    rt::BrowseWindow *holiday = openBrowse("BrowseOrvaneMasterSpec", "Holiday Decor");
    ASSERT_NE(holiday, nullptr);
    EXPECT_EQ(text(holiday, "heading"), "Holiday Decor Inventory");
    EXPECT_EQ(text(holiday, "Number of items"), "3");     // Have, Sell and Want
    EXPECT_EQ(text(holiday, "Value of items"), "79.97");  // 3 x 19.99 + 2 x 10.00
    EXPECT_FALSE(holiday->insertButton()->isVisible());
    EXPECT_FALSE(holiday->deleteButton()->isVisible());
    EXPECT_EQ(holiday->changeButton()->text(), "&View");
    // The Inheritance tab: only the items with an heir.
    holiday->tabs()->setCurrentIndex(3);
    pump();
    EXPECT_EQ(text(holiday, "Number of items"), "2");
    EXPECT_EQ(text(holiday, "Value of items"), "59.97");

    rt::BrowseWindow *kitchen = openBrowse("BrowseOrvaneMasterSpec", "Kitchen", 1);
    ASSERT_NE(kitchen, nullptr);
    EXPECT_EQ(text(kitchen, "Number of items"), "3");   // Sold, Info and a Have of quantity 0
    EXPECT_EQ(text(kitchen, "Value of items"), "0.00");
    // The first browse keeps its own category through a refill.
    holiday->tabs()->setCurrentIndex(0);
    pump();
    EXPECT_EQ(holiday->browse()->model().rowCount(), 3);
    EXPECT_EQ(text(holiday, "heading"), "Holiday Decor Inventory");

    rt::BrowseWindow *cellar = openBrowse("BrowseOrvaneMasterLocation", "Cellar");
    EXPECT_EQ(text(cellar, "Number of items"), "2");
    EXPECT_EQ(text(cellar, "Value of items"), "20.00");
    rt::BrowseWindow *all = openBrowse("BrowseOrvaneMaster", "");
    EXPECT_EQ(text(all, "heading"), "All Home Inventory ");
    EXPECT_EQ(text(all, "Number of items"), "7");
    EXPECT_EQ(text(all, "Value of items"), "329.97");
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Client, AMissingOrDamagedItemFileIsReportedAndTheProgramGoesOn)
{
    ASSERT_NE(client::openFrame(), nullptr);
    const QString master = QString::fromStdString(folder.file("master.tps"));
    ASSERT_TRUE(QFile::rename(master, master + ".away"));
    EXPECT_EQ(openBrowse("BrowseOrvaneMaster", ""), nullptr);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].title, "File Access Error");
    EXPECT_NE(messages.shown()[0].text.find(folder.file("master.tps")), std::string::npos);
    EXPECT_NE(client::frame(), nullptr);
    messages.clear();
    // A FIFO named master.tps: the same message at once, never a program waiting for ever.
    ASSERT_EQ(::mkfifo(folder.file("master.tps").c_str(), 0600), 0);
    EXPECT_EQ(openBrowse("BrowseOrvaneMaster", ""), nullptr);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].title, "File Access Error");
    EXPECT_NE(messages.shown()[0].text.find(folder.file("master.tps") + ") could not be opened"), std::string::npos)
        << messages.shown()[0].text;
    messages.clear();

    // Damage in the middle of the file: the totals read fails, says so and shows nothing.
    QFile::remove(master);
    std::vector<testing_support::FixtureItem> many;
    for (int i = 1; i <= 400; ++i)
        many.push_back({i, "Have", "Art", "Garage", "A rather long description of a print", 1, 100});
    folder.writeItems(many);
    auto pages = testing_support::tableLeafPages(folder.file("master.tps"));
    ASSERT_GT(pages.size(), 4u);
    testing_support::overwritePage(folder.file("master.tps"), pages[pages.size() / 2]);
    rt::BrowseWindow *all = openBrowse("BrowseOrvaneMaster", "");
    ASSERT_NE(all, nullptr);
    EXPECT_TRUE(messages.sawTitle("Record Retrieval Error"));
    EXPECT_EQ(text(all, "Value of items"), "");
    EXPECT_EQ(text(all, "Number of items"), "");
}

TEST_F(Client, FilesThatNeedRepairAreNeitherRepairedNorCreated)
{
    ASSERT_NE(client::openFrame(), nullptr);
    auto exec = [](const std::string &path, const char *sql) {
        sqlite3 *db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    exec(folder.file("master.tps"), "DROP INDEX descriptionkey");           // its keys need a rebuild
    exec(folder.file("qorloc.tps"), "PRAGMA user_version=-1");  // an older structure: never converted here
    QFile::remove(QString::fromStdString(folder.file("qorcat.tps")));       // missing
    const auto before = folder.listing();

    EXPECT_EQ(openBrowse("BrowseOrvaneMaster", ""), nullptr);
    rt::runProcedure("SelectCategory");
    Glo.SelectionCancelled = 0;
    rt::runProcedure("GetLocation");
    pump(10);
    EXPECT_EQ(Glo.SelectionCancelled, 1);
    EXPECT_TRUE(rt::startedWindows().isEmpty());
    ASSERT_EQ(messages.shown().size(), 3u);
    const char *files[] = {"master.tps", "qorcat.tps", "qorloc.tps"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(messages.shown()[i].title, "File Access Error");
        EXPECT_NE(messages.shown()[i].text.find(folder.file(files[i])), std::string::npos) << messages.shown()[i].text;
    }
    EXPECT_EQ(folder.listing(), before);
}

// ---- the item view --------------------------------------------------------------------------------

TEST_F(Client, TheItemViewShowsEveryTabFittedPicturesAndWritesNothing)
{
    ASSERT_NE(client::openFrame(), nullptr);
    rt::BrowseWindow *all = openBrowse("BrowseOrvaneMaster", "");
    ASSERT_NE(all, nullptr);
    view(all, 0, [](QWidget *v) {
        EXPECT_EQ(v->windowTitle(), "View Master Inventory Record  (Wreath)");
        auto *tabs = v->findChild<QTabWidget *>("sheet");
        ASSERT_EQ(tabs->count(), 9);
        EXPECT_EQ(tabs->tabText(8), "Memo");
        const std::pair<const char *, QSize> fits[] = {{"IMAGE picture", {250, 125}},
                                                       {"IMAGE2 picture", {150, 150}},
                                                       {"RECEIPTIMAGE picture", {75, 150}},
                                                       {"WARRANTYIMAGE picture", {250, 25}}};
        for (const auto &[name, units] : fits) {
            auto *l = v->findChild<QLabel *>(name);
            ASSERT_NE(l, nullptr) << name;
            EXPECT_FALSE(l->isHidden()) << name;
            EXPECT_EQ(l->property("units").toSize(), units) << name;
        }
        EXPECT_EQ(text(v, "Title 1"), "Insurer");
        EXPECT_EQ(text(v, "Title 4"), "Colour code");
        EXPECT_EQ(text(v, "USERFIELD1"), "Mutual");
        EXPECT_EQ(text(v, "Extended Value"), "59.97");
        EXPECT_EQ(text(v, "APPRAISER"), "J. Berg");
        EXPECT_TRUE(find<QRadioButton>(v, "HOWPURCHASED Gift")->isChecked());
        // Nothing takes input, and a report filling the shared buffer changes nothing shown.
        for (QLineEdit *e : v->findChildren<QLineEdit *>())
            EXPECT_TRUE(e->isReadOnly()) << e->objectName().toStdString();
        for (QAbstractButton *b : v->findChildren<QAbstractButton *>())
            if (qobject_cast<QCheckBox *>(b) || qobject_cast<QRadioButton *>(b))
                EXPECT_TRUE(b->testAttribute(Qt::WA_TransparentForMouseEvents)) << b->objectName().toStdString();
        EXPECT_EQ(v->findChildren<QPushButton *>().size(), 2);  // Close and Help
        MAS.DESCRIPTION = "Overwritten";
        EXPECT_EQ(text(v, "DESCRIPTION"), "Wreath");
        // A year through the year picture, never grouped into "####".
        EXPECT_EQ(text(v, "YEARORIGIN"), "1962");
        // Every tip of the item fields' table, each on its field.
        std::map<QString, QString> tips;
        for (const model::ItemField &f : model::itemFields())
            if (f.tip)
                tips.emplace(f.field, f.tip);
        ASSERT_EQ(tips.size(), 49u);
        std::map<QString, QString> shownTips;
        for (QWidget *w : v->findChildren<QWidget *>())
            if (!w->toolTip().isEmpty())
                shownTips[w->objectName()] = w->toolTip();
        EXPECT_EQ(shownTips, tips);
        // Enter in the memo is no OK: the view stays open.
        auto *memo = v->findChild<QPlainTextEdit *>("MEMO");
        ASSERT_NE(memo, nullptr);
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_Return);
        pump(5);
        EXPECT_TRUE(v->isVisible());
        EXPECT_EQ(memo->toPlainText(), "Memo of Wreath");
    });
    EXPECT_TRUE(messages.shown().empty());

    // Not appraised: no appraisal shows, whatever the record holds.
    all->browse()->loadCurrent();
    MAS.APPRAISED = 0;
    bool seen = false;
    onNextModal([&](QWidget *v) {
        seen = true;
        EXPECT_EQ(text(v, "APPRAISER"), "");
        EXPECT_EQ(text(v, "APPRAISEDVALUE"), "0.00");
        v->close();
    });
    rt::callWithRequest("UpdateMasterInventory", rt::ChangeRecord);
    EXPECT_TRUE(seen);
    EXPECT_EQ(MAS.APPRAISER.str(), "J. Berg");  // the record itself is left alone

    for (int request : {rt::InsertRecord, rt::DeleteRecord}) {
        messages.clear();
        rt::callWithRequest("UpdateMasterInventory", request);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].title, "Invalid Request");
        EXPECT_EQ(messages.shown()[0].text, request == rt::InsertRecord
                                                ? "This form cannot be used to insert a record"
                                                : "This form cannot be used to delete a record");
    }
}

// The windows a household sees first: a frame placed on a larger screen opens fully visible, a
// second browse steps off the first, the descriptions get the list's spare width, the locators
// have their tips, the pickers' titles show whole, and an empty journal beside the items (nothing
// to roll back) opens like none.
TEST_F(Client, WindowsOpenWholeAndInView)
{
    rt::iniStore().write("Main", "Maximize", "0");
    rt::iniStore().write("Main", "XPos", "2600");
    rt::iniStore().write("Main", "YPos", "1800");
    rt::iniStore().write("Main", "Width", "1000");
    rt::iniStore().write("Main", "Height", "700");
    QFile journal(QString::fromStdString(folder.file("master.tps-journal")));
    ASSERT_TRUE(journal.open(QIODevice::WriteOnly));
    journal.close();
    QMainWindow *f = client::openFrame();
    ASSERT_NE(f, nullptr);
    pump(20);
    const QRect screen = f->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(f->geometry())) << f->geometry().x() << "," << f->geometry().y();

    rt::BrowseWindow *first = openBrowse("BrowseOrvaneMasterSpec", "Holiday Decor");
    rt::BrowseWindow *second = openBrowse("BrowseOrvaneMasterSpec", "Holiday Decor", 1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_NE(first->parentWidget()->pos(), second->parentWidget()->pos());
    QHeaderView *h = first->browse()->view()->horizontalHeader();
    first->parentWidget()->resize(1000, 600);
    pump(5);
    EXPECT_GT(h->sectionSize(4), h->sectionSize(5));  // Description, then Heir
    EXPECT_LE(h->sectionSize(5), h->fontMetrics().averageCharWidth() * 24);
    std::map<QString, QString> locators;
    rt::BrowseWindow *location = openBrowse("BrowseOrvaneMasterLocation", "Garage");
    ASSERT_NE(location, nullptr);
    for (rt::BrowseWindow *b : {first, location})
        for (QLineEdit *e : b->findChildren<QLineEdit *>())
            if (e->objectName().startsWith("Locator "))
                locators[e->objectName()] = e->toolTip();
    EXPECT_EQ(locators, (std::map<QString, QString>{{"Locator Asset", "Asset number"},
                                                    {"Locator Category", "Category of item"},
                                                    {"Locator Location", "Location of item"},
                                                    {"Locator Description", "Description of item"},
                                                    {"Locator Inheritance", "Heir for this item"}}));
    rt::runProcedure("SelectCategory");
    pump(10);
    rt::WindowProcedure *picker = nullptr;
    for (rt::WindowProcedure *w : rt::startedWindows())
        if (w->procedureName() == "SelectCategory")
            picker = w;
    ASSERT_NE(picker, nullptr);
    QFont bold = picker->font();
    bold.setBold(true);
    EXPECT_GT(picker->parentWidget()->width(), QFontMetrics(bold).horizontalAdvance(picker->windowTitle()) + 60);

    // Window > Tile keeps every window inside the area, under the menu bar and the toolbar.
    QAction *tile = nullptr;
    for (QAction *a : f->findChildren<QAction *>())
        if (a->text() == "T&ile")
            tile = a;
    ASSERT_NE(tile, nullptr);
    tile->trigger();
    pump(10);
    auto *area = f->findChild<QMdiArea *>();
    ASSERT_NE(area, nullptr);
    ASSERT_GE(area->subWindowList().size(), 3);
    for (QMdiSubWindow *w : area->subWindowList())
        EXPECT_TRUE(area->viewport()->rect().contains(w->geometry())) << w->windowTitle().toStdString();
    EXPECT_GE(area->mapTo(f, QPoint(0, 0)).y(), f->menuBar()->geometry().bottom());
}

TEST_F(Client, PictureNamesFromTheFolderOpenNothingOutsideIt)
{
    for (const char *good : {"Pic00001.jpg", "pic00002.JPG", "PIC7", "Pic00003", "Pic00004.jpeg", "Pic00005.gif  "})
        EXPECT_TRUE(client::isPictureName(good)) << good;
    for (const char *bad : {"..\\..\\x.jpg", "/etc/x", "C:\\x.jpg", "../Pic00001.jpg", "Pic.jpg", "Pic1/x",
                            "Pic1\\..", "Picture1.jpg", "Pic1.jpg.exe", "Pic1..jpg", "Pic1.abcdef", ""})
        EXPECT_FALSE(client::isPictureName(bad)) << bad;

    // A real picture outside the folder, reached by every trick at hand.
    const std::string outside = QDir(QString::fromStdString(folder.path())).absoluteFilePath("../outside-pic.jpg").toStdString();
    QImage(200, 100, QImage::Format_RGB32).save(QString::fromStdString(outside), "JPG");
    ASSERT_EQ(::symlink(outside.c_str(), folder.file("Pic00009.jpg").c_str()), 0);
    EXPECT_TRUE(client::picturePath("Pic00009.jpg").isEmpty());
    EXPECT_TRUE(client::picturePath("../outside-pic.jpg").isEmpty());

    ASSERT_NE(client::openFrame(), nullptr);
    rt::BrowseWindow *all = openBrowse("BrowseOrvaneMaster", "");
    all->browse()->setCurrentRow(0);
    all->browse()->loadCurrent();
    MAS.IMAGE = "../outside-pic.jpg";
    MAS.IMAGE2 = outside;
    MAS.RECEIPTIMAGE = "Pic00009.jpg";
    MAS.WARRANTYIMAGE = "..\\..\\outside-pic.jpg";
    bool seen = false;
    onNextModal([&](QWidget *v) {
        seen = true;
        for (const char *name : {"IMAGE picture", "IMAGE2 picture", "RECEIPTIMAGE picture", "WARRANTYIMAGE picture"})
            EXPECT_TRUE(v->findChild<QLabel *>(name)->isHidden()) << name;
        v->close();
    });
    rt::callWithRequest("UpdateMasterInventory", rt::ChangeRecord);
    EXPECT_TRUE(seen);
    QFile::remove(QString::fromStdString(outside));
}

// ---- menu, pickers, report format -----------------------------------------------------------------

TEST_F(Client, MenuWordsPickersAndTheReportFormat)
{
    ASSERT_NE(client::openFrame(), nullptr);
    rt::runProcedure("HomeInventoryMenu");
    pump(10);
    rt::WindowProcedure *menu = nullptr;
    for (rt::WindowProcedure *w : rt::startedWindows())
        if (w->procedureName() == "HomeInventoryMenu")
            menu = w;
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->windowTitle(), "Home Inventory Main Menu");
    std::vector<std::string> started;
    rt::setProcedureObserver([&](const std::string &name) { started.push_back(name); });
    find<QPushButton>(menu, "Holiday Decorations")->click();
    EXPECT_EQ(Glo.MenuSelect.str(), "Holiday Decor");
    find<QPushButton>(menu, "Garage")->click();
    EXPECT_EQ(Glo.MenuSelect.str(), "Garage");
    // The menu waits for the garage browse: nothing in it works until that browse closes.
    pump(10);
    EXPECT_FALSE(menu->isEnabled());
    browseNamed("BrowseOrvaneMasterLocation")->requestClose();
    pump(10);
    EXPECT_TRUE(menu->isEnabled());
    EXPECT_EQ(started, (std::vector<std::string>{"BrowseOrvaneMasterSpec", "BrowseOrvaneMasterLocation"}));
    EXPECT_EQ(text(browseNamed("BrowseOrvaneMasterSpec"), "heading"), "Holiday Decor Inventory");
    EXPECT_EQ(find<QPushButton>(menu, "Data Forms"), nullptr);
    // The client's own help pages: nothing there speaks of changing items.
    EXPECT_TRUE(rt::helpPage("~BROWSE_HOME_INVENTORY").endsWith("/client/browse_home_inventory.html"));

    // The report pickers refuse OK until a row is chosen.
    bool seen = false;
    onNextModal([&](QWidget *w) {
        seen = true;
        auto *ok = find<QPushButton>(w, "OK");
        EXPECT_FALSE(ok->isEnabled());
        ok->click();
        EXPECT_TRUE(w->isVisible());
        find<QPushButton>(w, "Cancel")->click();
    });
    rt::runProcedure("GetCategory");
    EXPECT_TRUE(seen);
    EXPECT_EQ(Glo.SelectionCancelled, 1);

    // The frame's reports follow the format of the run.
    started.clear();
    for (const char *name : {"PrintInventoryValuation", "PrintInventoryValuationWide", "PrintInsuranceReportWide"})
        rt::registerProcedure(name, [] {});
    auto *inventory = client::frame()->findChild<QAction *>("Report Inventory");
    ASSERT_NE(inventory, nullptr);
    inventory->trigger();
    Glo.ReportFormat = "Landscape";
    inventory->trigger();
    client::frame()->findChild<QAction *>("Report Insurance")->trigger();
    EXPECT_EQ(started, (std::vector<std::string>{"PrintInventoryValuation", "PrintInventoryValuationWide",
                                                 "PrintInsuranceReportWide"}));
    EXPECT_FALSE(messages.sawText("The insurance report is not part of this version of the program yet."));

    QString opened;
    rt::setWebObserver([&](const QString &address) { opened = address; });
    client::OpenWebPage(nullptr, "https://example.com/support/      ");
    rt::setWebObserver(nullptr);
    EXPECT_EQ(opened, "https://example.com/support/");
    // No browser at all: the address is shown, not dropped.
    const QByteArray path = qgetenv("PATH"), browser = qgetenv("BROWSER");
    qputenv("PATH", QByteArray::fromStdString(home.path()));
    qunsetenv("BROWSER");
    messages.clear();
    client::OpenWebPage(nullptr, "https://example.com/support/");
    qputenv("PATH", path);
    if (!browser.isEmpty())
        qputenv("BROWSER", browser);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "No web browser was found to show the page:|https://example.com/support/");
}

// The windows the client program shares with the professional one open their help in the
// client's own help, which is all its CD carries: a page of their own there, never the Contents.
TEST_F(Client, HelpContextsOfTheSharedWindowsHaveClientPages)
{
    ASSERT_NE(client::openFrame(), nullptr);
    pump(10);
    std::vector<std::pair<std::string, QString>> opened;  // procedure, help context
    for (const char *procedure : {"GetCategory", "GetLocation", "GetLocationBox"}) {
        onNextModal([&, procedure](QWidget *w) {
            opened.push_back({procedure, static_cast<rt::WindowProcedure *>(w)->helpContext()});
            find<QPushButton>(w, "Cancel")->click();
        });
        rt::runProcedure(procedure);
    }
    for (const char *procedure : {"SelectCategory", "SelectLocation", "BrowseOrvaneMaster", "ReportsMenu"}) {
        const QList<rt::WindowProcedure *> before = rt::startedWindows();
        rt::runProcedure(procedure);
        pump(10);
        for (rt::WindowProcedure *w : rt::startedWindows())
            if (!before.contains(w))
                opened.push_back({procedure, w->helpContext()});
    }
    ASSERT_EQ(opened.size(), 7u);
    const QString pages = QDir(rt::helpFolder()).absolutePath();
    ASSERT_TRUE(pages.endsWith("/client")) << pages.toStdString();
    for (const auto &[procedure, context] : opened) {
        const QString page = QFileInfo(rt::helpPage(context)).absoluteFilePath();
        EXPECT_TRUE(page.startsWith(pages + "/") && QFileInfo(page).fileName() != "index.html")
            << procedure << ": " << context.toStdString() << " opens " << page.toStdString();
    }
}

}  // namespace

namespace {

// The client's reports come from the report table: what it offers is registered, nothing else
// is; its reports menu has the table's ten
// buttons, opens no file and reads the run's format at each press; its frame's entries and
// toolbar name table entries.
TEST(ClientEdition, LeavesNoReportWayEmpty)
{
    client::installClientEdition();
    EXPECT_EQ(testing_support::emptyReportWays(model::edition()), std::vector<std::string>{});
}

TEST_F(Client, ReportsMenuFrameAndRegistrationFollowTheReportTable)
{
    using reports::ReportEntry;
    const auto program = model::Program::Client;
    std::vector<std::string> buttons;
    for (const ReportEntry &e : reports::reportTable()) {
        for (const char *name : {e.portrait, e.wide}) {
            if (!name)
                continue;
            EXPECT_EQ(rt::hasProcedure(name), e.offered(program)) << name;
        }
        if (e.button && e.offered(program))
            buttons.push_back(e.button);
    }
    EXPECT_EQ(buttons, (std::vector<std::string>{"Inventory", "Specific Category", "Location", "Receipt List", "Heirs",
                                                 "Picture List", "Warranty List", "Insurance Report", "Appraisal",
                                                 "Packing List"}));
    for (const char *built : {"PrintItemInformation", "PrintCategoryInventory", "PrintCategoryInventoryWide",
                              "PrintLocationInventory", "PrintLocationInventoryWide", "PrintInventoryValuation",
                              "PrintInventoryValuationWide", "ReportsMenu", "PrintInsuranceReport",
                              "PrintAppraisedItemsWide", "PrintInheritanceReport", "PrintBoxPackingListWide",
                              "PrintPictureList", "PrintReceiptListWide", "PrintWarrantyList"})
        EXPECT_TRUE(rt::hasProcedure(built)) << built;

    ASSERT_NE(client::openFrame(), nullptr);
    std::vector<std::string> started;
    rt::setProcedureObserver([&](const std::string &name) { started.push_back(name); });
    // The reports themselves stand in: only the names called matter here.
    for (const ReportEntry &e : reports::reportTable())
        if (e.offered(program) && !e.window)
            for (const char *name : {e.portrait, e.wide})
                if (name)
                    rt::registerProcedure(name, [] {});

    rt::runProcedure("ReportsMenu");
    pump(10);
    rt::WindowProcedure *menu = nullptr;
    for (rt::WindowProcedure *w : rt::startedWindows())
        if (w->procedureName() == "ReportsMenu")
            menu = w;
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->windowTitle(), "Home Inventory Reports Menu");
    EXPECT_EQ(menu->helpContext(), "~REPORTS");
    std::vector<QString> shown;
    for (QPushButton *b : menu->findChildren<QPushButton *>())
        shown.push_back(b->text());
    ASSERT_GE(shown.size(), buttons.size());
    for (std::size_t i = 0; i < buttons.size(); ++i)
        EXPECT_EQ(shown[i].toStdString(), buttons[i]);
    for (rt::RecordFile *f : {&::ClientSystemFile, &::Category, &::Location, &::MasterInventory, &::BoxNumber})
        EXPECT_FALSE(f->isOpen()) << f->name;
    // The format is read at each press; the selection reports always ask.
    for (const char *format : {"Portrait", "Landscape"}) {
        Glo.ReportFormat = format;
        for (const ReportEntry &e : reports::reportTable()) {
            if (!e.button || !e.offered(program))
                continue;
            started.clear();
            Glo.SelectionPreset = 1;
            find<QPushButton>(menu, e.button)->click();
            EXPECT_EQ(started, std::vector<std::string>{std::string(format) == "Portrait" ? e.portrait : e.wide})
                << e.button;
            EXPECT_EQ(Glo.SelectionPreset, e.asks ? 0 : 1) << e.button;
        }
    }
    // The frame's Reports menu and its toolbar.
    int entries = 0;
    for (QAction *a : client::frame()->findChildren<QAction *>()) {
        const bool report = a->objectName().startsWith("Report ") && a->objectName() != "Report Format";
        if (!report && a->objectName() != "Toolbar Reports")
            continue;
        started.clear();
        a->trigger();
        ASSERT_EQ(started.size(), 1u) << a->objectName().toStdString();
        const ReportEntry *e = reports::findReport(started[0]);
        ASSERT_NE(e, nullptr) << started[0];
        EXPECT_TRUE(e->offered(program)) << started[0];
        EXPECT_EQ(a->text().toStdString(), e->menuText ? e->menuText : e->toolbar);
        ++entries;
    }
    EXPECT_EQ(entries, 11);
}

// The frame's report entries cleared the preset only before the reports that ask for a
// selection, so a category a browse had chosen stayed in force for the rest. Each clears it.
TEST_F(Client, EveryFrameReportEntryClearsTheSelectionPreset)
{
    const model::Program program = model::Program::Client;
    ASSERT_NE(client::openFrame(), nullptr);
    std::vector<std::string> started;
    rt::setProcedureObserver([&](const std::string &name) { started.push_back(name); });
    for (const reports::ReportEntry &e : reports::reportTable())
        if (e.offered(program) && !e.window)
            for (const char *name : {e.portrait, e.wide})
                if (name)
                    rt::registerProcedure(name, [name] {
                        EXPECT_EQ(Glo.SelectionPreset, 0) << name << " ran with the preset of a browse";
                    });
    int entries = 0;
    for (QAction *a : client::frame()->findChildren<QAction *>()) {
        if (!a->objectName().startsWith("Report ") || a->objectName() == "Report Format")
            continue;
        Glo.SelectionPreset = 1;
        started.clear();
        a->trigger();
        EXPECT_EQ(started.size(), 1u) << a->objectName().toStdString();
        EXPECT_EQ(Glo.SelectionPreset, 0) << a->objectName().toStdString();
        ++entries;
    }
    EXPECT_EQ(entries, 10);
    rt::setProcedureObserver({});
}

// Pictures of the windows for a person to look at: written only when ORVANE_SCREENSHOTS names a
// folder (run under a display server to see the real look).
TEST_F(Client, Screenshots)
{
    const char *out = std::getenv("ORVANE_SCREENSHOTS");
    if (!out || !*out)
        GTEST_SKIP() << "ORVANE_SCREENSHOTS is not set";
    QDir().mkpath(QString(out) + "/folder");
    // The folder too, to start the program itself on.
    for (const auto &[name, sum] : folder.listing())
        QFile::copy(QString::fromStdString(folder.file(name)), QString(out) + "/folder/" + QString::fromStdString(name));
    auto save = [&](QWidget *w, const QString &name) {
        pump(150);
        w->grab().save(QString(out) + "/" + name + ".png");
    };
    QMainWindow *f = client::openFrame();
    ASSERT_NE(f, nullptr);
    f->resize(1300, 900);
    pump(300);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == "SplashWindow")
            save(w, "00-splash"), w->close();
    save(f, "01-frame");
    rt::runProcedure("HomeInventoryMenu");
    save(f, "02-home-menu");
    for (rt::WindowProcedure *w : rt::startedWindows())
        w->requestClose();
    rt::BrowseWindow *b = openBrowse("BrowseOrvaneMasterSpec", "Holiday Decor");
    b->outerWindow()->resize(1000, 620);
    save(f, "03-browse");
    // A second browse of the same kind steps off the first; a picker shows its whole title.
    openBrowse("BrowseOrvaneMasterSpec", "Holiday Decor", 1);
    rt::runProcedure("SelectCategory");
    save(f, "03-browses-and-picker");
    for (rt::WindowProcedure *w : rt::startedWindows())
        w->requestClose();
    rt::runProcedure("ShowZenvik");
    save(f, "04-show-zenvik");
    for (rt::WindowProcedure *w : rt::startedWindows())
        w->requestClose();
    rt::BrowseWindow *all = openBrowse("BrowseOrvaneMaster", "");
    view(all, 0, [&](QWidget *v) {
        auto *tabs = v->findChild<QTabWidget *>("sheet");
        for (int t = 0; t < tabs->count(); ++t) {
            tabs->setCurrentIndex(t);
            save(v, QString("05-item-view-%1").arg(t + 1));
        }
    });
}

}  // namespace
