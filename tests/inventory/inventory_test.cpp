// The inventory windows on real record files of a client, driven offscreen.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QRadioButton>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QPlainTextEdit>
#include <QBuffer>
#include <QPainter>
#include <QProcess>
#include <QStatusBar>
#include <QTransform>
#include <QTest>
#include <sys/stat.h>
#include <sqlite3.h>

#include "core/clients.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "core/procedures.h"
#include "core/program.h"
#include "inventory/browses.h"
#include "inventory/inventory.h"
#include "inventory/item_form.h"
#include "runtime/browse_window.h"
#include "runtime/dates.h"
#include "runtime/gui.h"
#include "runtime/ini_store.h"
#include "runtime/paths.h"
#include "runtime/picture.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/support/record_damage.h"
#include "tests/support/test_support.h"

using namespace rt;
using namespace inventory;
using testing_support::find;
using testing_support::onNextModal;
using testing_support::ScriptedMessages;
using testing_support::TempHome;

namespace {

struct Item {
    int asset;
    const char *category;
    const char *location;
    const char *status = "Have";
    int quantity = 1;
    std::int64_t cents = 0;
    const char *heir = "";
    const char *image = "";
    const char *image2 = "";
};

class Inventory : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::startWithSettings(home, {registerInventoryProcedures}, [] {
            MSY.AUTOADD = "Always";
            MSY.USEMEMORYWIZARD = 1;
        }, true);
    }
    void TearDown() override
    {
        testing_support::stopProgram();
    }
    void writeSettings(const char *format, const char *autoAdd, int memory)
    {
        testing_support::writeSettings(home, [&] {
            MSY.REPORTFORMAT = format;
            MSY.AUTOADD = autoAdd;
            MSY.USEMEMORYWIZARD = static_cast<Byte>(memory);
        });
    }
    static void put(RecordFile &f, const std::function<void()> &fill) { testing_support::putRecord(f, fill); }
    static void add(const Item &i)
    {
        put(MasterInventory, [&] {
            MAS.ASSETNUMBER = i.asset;
            MAS.CATEGORY = i.category;
            MAS.LOCATION = i.location;
            MAS.STATUS = i.status;
            MAS.QUANTITY = i.quantity;
            MAS.MARKETVALUE.setCents(i.cents);
            MAS.HEIR = i.heir;
            MAS.IMAGE = i.image;
            MAS.IMAGE2 = i.image2;
            MAS.DESCRIPTION = "Item " + std::to_string(i.asset);
        });
    }
    static void addNamed(RecordFile &f, const char *name, const char *field)
    {
        put(f, [&] { setFieldText(f.def().fields[static_cast<std::size_t>(f.def().fieldIndex(field))], f.record(), name); });
    }
    static std::int64_t count(RecordFile &f)
    {
        if (f.open(mode::ReadOnlyDenyNone) != 0)
            return -1;
        std::int64_t n = f.records();
        f.close();
        return n;
    }
    static QString text(QWidget *w, const char *label) { return find<QLabel>(w, label)->text(); }
    static int rows(BrowseWindow *w) { return w->list()->model()->rowCount(); }
    static QString cell(BrowseWindow *w, int row, int col) { return w->list()->model()->index(row, col).data().toString(); }
    static void click(QWidget *w, const char *button)
    {
        auto *b = find<QPushButton>(w, button);
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }
    // Runs an item form through the browse's button; `act` works on the open form.
    static void onForm(QPushButton *button, std::function<void(QWidget *)> act)
    {
        onNextModal([act](QWidget *form) {
            act(form);
            if (form->isVisible())
                static_cast<QDialog *>(form)->reject();
        });
        button->click();
    }
    static void choose(QWidget *form, const char *combo, const char *value)
    {
        auto *c = find<QComboBox>(form, combo);
        c->setCurrentIndex(c->findText(value));
        ASSERT_EQ(c->currentText(), value);
    }
    static void type(QWidget *form, const char *entry, const char *value) { find<QLineEdit>(form, entry)->setText(value); }
    TempHome home;
    ScriptedMessages box;
};

}  // namespace

TEST_F(Inventory, TotalsCountEveryRowAndValueOnlyWhatIsOwned)
{
    add({1, "Kitchen", "Kitchen", "Have", 3, 1050, "", "/p/pot.jpg"});
    add({2, "KITCHEN", "Pantry", "Sell", 2, 500});  // imported in capitals
    add({3, "Kitchen", "Kitchen", "Want", 1, 10000});
    add({4, "Kitchen", "Kitchen", "Sold", 1, 20000});
    add({5, "Kitchen", "Kitchen", "Info", 1, 30000});
    add({6, "kitchen", "Kitchen", "Have", 1, 100, "Ann", "", "/p/only2.jpg"});
    add({7, "Art", "Den", "Have", 1, 99900, "Bob"});

    BrowseWindow *all = openInventoryBrowse(Variant::All, "");
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(text(all, "heading"), "All Home Inventory ");
    EXPECT_EQ(text(all, "Number of items"), "7");
    EXPECT_EQ(text(all, "Value of items"), "1,041.50");
    EXPECT_EQ(inventoryTotals(all->browse()->model()).cents, 104150);
    // The panel: 3 x 10.50, the picture flag from Image 1 only.
    EXPECT_EQ(text(all, "Value"), "10.50");
    EXPECT_EQ(text(all, "Quantity"), "3");
    EXPECT_TRUE(find<QCheckBox>(all, "Picture On File")->isChecked());
    all->browse()->setCurrentRow(5);
    EXPECT_EQ(cell(all, 5, 0), "6");
    EXPECT_FALSE(find<QCheckBox>(all, "Picture On File")->isChecked());

    // The category browse finds its items whatever their case; Inheritance lists only heirs.
    BrowseWindow *kitchen = openInventoryBrowse(Variant::Category, "Kitchen");
    ASSERT_NE(kitchen, nullptr);
    EXPECT_EQ(text(kitchen, "heading"), "Kitchen Inventory");
    EXPECT_EQ(text(kitchen, "Number of items"), "6");
    EXPECT_EQ(text(kitchen, "Value of items"), "42.50");
    QStringList tabs;
    for (int i = 0; i < kitchen->tabs()->count(); ++i)
        tabs << kitchen->tabs()->tabText(i);
    EXPECT_EQ(tabs, QStringList({"Asset", "Location", "Description", "Inheritance"}));
    kitchen->tabs()->setCurrentIndex(3);
    ASSERT_EQ(rows(kitchen), 1);
    EXPECT_EQ(cell(kitchen, 0, 5), "Ann");
    EXPECT_EQ(text(kitchen, "Number of items"), "1");
    EXPECT_EQ(text(kitchen, "Value of items"), "1.00");
    all->tabs()->setCurrentIndex(4);
    EXPECT_EQ(rows(all), 2);

    BrowseWindow *pantry = openInventoryBrowse(Variant::Location, "pantry");
    EXPECT_EQ(text(pantry, "Number of items"), "1");
    EXPECT_EQ(text(pantry, "Value of items"), "10.00");
}

TEST_F(Inventory, TotalsFollowEveryInsertChangeAndDelete)
{
    add({1, "Kitchen", "Kitchen", "Have", 3, 1050});
    add({2, "Art", "Den", "Sell", 2, 500});
    add({3, "Kitchen", "Den", "Want", 1, 10000});
    BrowseWindow *w = openInventoryBrowse(Variant::Category, "kitchen");
    ASSERT_NE(w, nullptr);
    w->tabs()->setCurrentIndex(2);  // Description
    Browse &b = *w->browse();
    // The form's work done straight in the file, so that the list follows the write itself.
    std::function<void()> edit;
    b.updateProcedure = [&](int) {
        edit();
        return static_cast<int>(RequestCompleted);
    };
    auto expectFresh = [&](const char *step) {
        InventoryTotals fresh = inventoryTotals(b.model());
        ASSERT_TRUE(fresh.ok);
        EXPECT_EQ(text(w, "Number of items").toLongLong(), fresh.count) << step;
        EXPECT_EQ(text(w, "Value of items").remove(',').remove('.').toLongLong(), fresh.cents) << step;
        EXPECT_EQ(rows(w), fresh.count) << step;
        for (int r = 0; r + 1 < rows(w); ++r)
            EXPECT_LE(QString::compare(cell(w, r, 4), cell(w, r + 1, 4), Qt::CaseInsensitive), 0) << step;
    };
    expectFresh("open");
    edit = [] {
        clearRecord(dict::MasterInventoryDef, static_cast<MasterInventoryRecord *>(&MAS));
        MAS.ASSETNUMBER = 4;
        MAS.CATEGORY = "KITCHEN";
        MAS.STATUS = "Have";
        MAS.QUANTITY = 2;
        MAS.MARKETVALUE.setCents(250);
        MAS.DESCRIPTION = "Aaa first";
        ASSERT_EQ(MasterInventory.add(), 0);
    };
    b.ask(InsertRecord);
    expectFresh("insert");
    EXPECT_EQ(cell(w, 0, 4), "Aaa first");
    EXPECT_EQ(b.currentRow(), 0);
    // A change that moves the row to the end of the order and makes it owned.
    b.setCurrentRow(1);
    edit = [] {
        MAS.DESCRIPTION = "Zzz last";
        MAS.STATUS = "sell";
        ASSERT_EQ(MasterInventory.put(), 0);
    };
    b.ask(ChangeRecord);
    expectFresh("change");
    EXPECT_EQ(cell(w, rows(w) - 1, 4), "Zzz last");
    EXPECT_EQ(b.currentRow(), rows(w) - 1);
    // A change that takes the row out of the category, then a delete.
    b.setCurrentRow(0);
    edit = [] {
        MAS.CATEGORY = "Art";
        ASSERT_EQ(MasterInventory.put(), 0);
    };
    b.ask(ChangeRecord);
    expectFresh("change out of the list");
    b.setCurrentRow(0);
    edit = [] { ASSERT_EQ(MasterInventory.del(), 0); };
    b.ask(DeleteRecord);
    expectFresh("delete");
    EXPECT_EQ(rows(w), 1);
}

TEST_F(Inventory, TwoCategoryBrowsesKeepTheirOwnWord)
{
    add({1, "Kitchen", "Kitchen"});
    add({2, "Kitchen", "Pantry"});
    add({3, "Art", "Den"});
    Glo.LastLocation = "Attic";
    Glo.MenuSelect = Glo.MenuCategory = "Kitchen";
    runProcedure("BrowseOrvaneMasterSpec");
    Glo.MenuSelect = Glo.MenuCategory = "Art";
    runProcedure("BrowseOrvaneMasterSpec");
    auto windows = startedWindows();
    ASSERT_EQ(windows.size(), 2);
    auto *kitchen = static_cast<BrowseWindow *>(windows[0]);
    auto *art = static_cast<BrowseWindow *>(windows[1]);
    EXPECT_EQ(text(art, "heading"), "Art Inventory");
    EXPECT_TRUE(Glo.LastLocation.blank());  // every browse forgets the remembered location

    kitchen->tabs()->setCurrentIndex(2);
    ASSERT_EQ(rows(kitchen), 2);
    EXPECT_EQ(cell(kitchen, 0, 1), "Kitchen");
    // A new item of the first browse is a kitchen item in the kitchen, though "Art" opened last.
    onForm(kitchen->insertButton(), [](QWidget *form) {
        EXPECT_EQ(form->windowTitle(), "Adding a Master Inventory Record  (New)");
        EXPECT_EQ(find<QComboBox>(form, "CATEGORY")->currentText(), "Kitchen");
        EXPECT_FALSE(find<QComboBox>(form, "CATEGORY")->isEnabled());
        EXPECT_EQ(find<QComboBox>(form, "LOCATION")->currentText(), "Kitchen");
        click(form, "Cancel");
    });
    EXPECT_EQ(Glo.Response, RequestCancelled);
    EXPECT_TRUE(Glo.LastLocation.blank());  // the kitchen rule primed this item only
    EXPECT_EQ(rows(kitchen), 2);
    EXPECT_EQ(rows(art), 1);
}

TEST_F(Inventory, ItemFormAddsChangesAndDeletes)
{
    addNamed(Category, "Furniture", "CATEGORY");
    addNamed(Location, "Den", "LOCATION");
    addNamed(Location, "Attic", "LOCATION");
    addNamed(Vendors, "Acme", "VENDOR");
    addNamed(Heirs, "Ann", "NAME");
    int heirLookups = 0;
    registerProcedure("LookupHeir", [&] {
        ++heirLookups;
        Glo.Response = RequestCancelled;
    });
    BrowseWindow *w = openInventoryBrowse(Variant::All, "");
    ASSERT_NE(w, nullptr);

    onForm(w->insertButton(), [&](QWidget *form) {
        EXPECT_EQ(find<QLineEdit>(form, "DATEENTERED")->text().toStdString(), formatDate("@d1b", today()));
        EXPECT_TRUE(find<QRadioButton>(form, "HOWPURCHASED ???")->isChecked());
        choose(form, "CATEGORY", "Furniture");
        choose(form, "LOCATION", "Den");
        type(form, "DESCRIPTION", "Oak chest");
        type(form, "PURCHASEDFROM", "ACME");  // known in another case: not added again
        type(form, "MANUFACTURER", "Zeta Works");
        type(form, "QUANTITY", "3");
        type(form, "MARKETVALUE", "100000");  // one digit too many: refused, not wrapped
        click(form, "OK");
        EXPECT_EQ(box.shown().back().title, "Invalid Entry");
        type(form, "MARKETVALUE", "10.50");
        find<QCheckBox>(form, "APPRAISED")->click();
        click(form, "OK");
        EXPECT_EQ(box.shown().back().title, "Incomplete Data");
        EXPECT_EQ(find<QTabWidget>(form, "sheet")->currentIndex(), 1);
        type(form, "APPRAISALDATE", "3/14/24");
        type(form, "APPRAISEDVALUE", "250");
        type(form, "APPRAISER", "Lee");
        click(form, "OK");
    });
    ASSERT_EQ(Glo.Response, RequestCompleted);
    EXPECT_EQ(text(w, "Number of items"), "1");
    EXPECT_EQ(text(w, "Value of items"), "750.00");
    ASSERT_TRUE(w->browse()->loadCurrent());
    EXPECT_EQ(MAS.MARKETVALUE.cents(), 25000);
    EXPECT_EQ(MAS.REPLACEMENTCOST.cents(), 25000);
    EXPECT_EQ(MAS.STATUS.str(), "Have");
    EXPECT_EQ(MAS.ASSETNUMBER.get(), 1);
    EXPECT_EQ(count(Vendors), 1);
    EXPECT_EQ(count(Manufacturers), 1);
    EXPECT_EQ(Glo.LastLocation.str(), "Den");

    // The next new item starts in the remembered location; nothing typed, nothing asked.
    box.clear();
    onForm(w->insertButton(), [](QWidget *form) {
        EXPECT_EQ(find<QComboBox>(form, "LOCATION")->currentText(), "Den");
        click(form, "Cancel");
    });
    EXPECT_TRUE(box.shown().empty());

    // A change: no automatic adding; unchecking Appraised clears the appraisal.
    onForm(w->changeButton(), [&](QWidget *form) {
        EXPECT_EQ(form->windowTitle(), "Changing a Master Inventory Record  (Oak chest)");
        type(form, "MANUFACTURER", "Other Maker");
        find<QCheckBox>(form, "APPRAISED")->click();
        EXPECT_TRUE(find<QLineEdit>(form, "APPRAISER")->text().isEmpty());
        type(form, "QUANTITY", "1");
        // An heir typed by hand must exist: an unknown one opens the look-up, a known one not.
        auto *heir = find<QLineEdit>(form, "HEIR");
        QTest::keyClicks(heir, "Nobody");
        emit heir->editingFinished();
        EXPECT_EQ(heirLookups, 1);
        heir->clear();
        QTest::keyClicks(heir, "ann");
        emit heir->editingFinished();
        EXPECT_EQ(heirLookups, 1);
        click(form, "OK");
    });
    ASSERT_EQ(Glo.Response, RequestCompleted);
    EXPECT_EQ(count(Manufacturers), 1);
    EXPECT_EQ(text(w, "Value of items"), "250.00");
    ASSERT_TRUE(w->browse()->loadCurrent());
    EXPECT_EQ(MAS.APPRAISED, 0);
    EXPECT_TRUE(MAS.APPRAISER.blank());
    EXPECT_EQ(MAS.HEIR.str(), "ann");
    registerProcedure("LookupHeir", LookupHeir);

    box.answer(BUTTON_YES);
    w->deleteButton()->click();
    EXPECT_EQ(box.shown().back().title, "Confirm Delete");
    EXPECT_EQ(text(w, "Number of items"), "0");
    EXPECT_EQ(text(w, "Value of items"), "0.00");
}

// Another program (here a second SQLite connection) changes or deletes the item while its form is
// open: OK never writes over that change, says so, and lets the user load the record as it is now
// or keep the form open; a second OK after keeping saves the user's values knowingly.
TEST_F(Inventory, ItemFormNeverOverwritesAChangeMadeMeanwhile)
{
    addNamed(Category, "Furniture", "CATEGORY");
    addNamed(Location, "Den", "LOCATION");
    add({1, "Furniture", "Den", "Have", 1, 5000});
    auto other = [&](const std::string &sql) { EXPECT_EQ(testing_support::sqliteExec(MasterInventory.name, sql), ""); };
    auto onDisk = [&](const char *column) {
        sqlite3 *db = nullptr;
        sqlite3_open(MasterInventory.name.c_str(), &db);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, ("SELECT " + std::string(column) + " FROM data").c_str(), -1, &st, nullptr);
        std::string v = sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0)
                            ? reinterpret_cast<const char *>(sqlite3_column_text(st, 0)) : "(none)";
        sqlite3_finalize(st);
        sqlite3_close(db);
        return v;
    };
    BrowseWindow *w = openInventoryBrowse(Variant::All, "");
    ASSERT_NE(w, nullptr);
    const struct Case {
        const char *name;
        const char *meanwhile;  // what the other program does while the form is open
        int answer;             // to the question, when one is asked
        const char *title;
        const char *costShown;  // Original cost in the form after the message
        const char *costThen;   // on disk after the form closed
        const char *descriptionThen;
        bool secondOk;  // OK pressed once more after the message
    } cases[] = {
        {"changed, load it", "UPDATE data SET originalcost = 2000", BUTTON_YES, "Record Changed", "20.00", "2000", "Item 1", false},
        {"changed, keep mine", "UPDATE data SET originalcost = 3000", BUTTON_NO, "Record Changed", "10", "1000", "Mine", true},
        {"memo changed", "UPDATE data SET memo = 'their note'", BUTTON_YES, "Record Changed", "10.00", "1000", "Mine", false},
        // A new item takes the deleted one's rowid: it is not the item the form read.
        {"replaced by a new item", "DELETE FROM data; INSERT INTO data (assetnumber, description, originalcost) VALUES (555, 'Grand piano', 1500000)",
         BUTTON_OK, "Record Deleted", "10", "1500000", "Grand piano", true},
        {"deleted", "DELETE FROM data", BUTTON_OK, "Record Deleted", "10", "(none)", "(none)", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        box.clear();
        box.answer(c.answer);
        bool stayedOpen = false;
        onForm(w->changeButton(), [&](QWidget *form) {
            type(form, "ORIGINALCOST", "10");
            type(form, "DESCRIPTION", "Mine");
            other(c.meanwhile);
            click(form, "OK");
            stayedOpen = form->isVisible();
            ASSERT_FALSE(box.shown().empty());
            EXPECT_EQ(box.shown().back().title, c.title);
            EXPECT_EQ(find<QLineEdit>(form, "ORIGINALCOST")->text().toStdString(), c.costShown);
            if (std::string(c.name) == "memo changed") {
                EXPECT_EQ(find<QPlainTextEdit>(form, "MEMO")->toPlainText(), "their note");
            }
            if (c.secondOk && std::string(c.title) == "Record Deleted") {
                box.clear();
                click(form, "OK");
                EXPECT_EQ(box.shown().size(), 1u);
                EXPECT_TRUE(form->isVisible());
                box.answer(BUTTON_YES);
                click(form, "Cancel");
            } else if (c.secondOk) {
                box.clear();
                click(form, "OK");
                EXPECT_TRUE(box.shown().empty());
                EXPECT_FALSE(form->isVisible());
            } else if (std::string(c.name) == "memo changed") {
                // Loaded as it is now, the record saves without another word.
                click(form, "OK");
                EXPECT_FALSE(form->isVisible());
            }
        });
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(onDisk("originalcost"), c.costThen);
        EXPECT_EQ(onDisk("description"), c.descriptionThen);
    }
    EXPECT_EQ(onDisk("memo"), "(none)");
}

// The confirmed delete compared only the item's unique keys with what the browse showed: an item
// another program put under the same asset number (SQLite gives it the same number), or the item
// it changed, while "Confirm Delete" was open, was deleted without a word. The delete removes
// only the item as it was read, memo and all, and says what happened otherwise.
TEST_F(Inventory, DeleteAfterAnotherProgramChangedTheItemDeletesNothing)
{
    addNamed(Category, "Furniture", "CATEGORY");
    addNamed(Location, "Den", "LOCATION");
    const char *replace = "DELETE FROM data; INSERT INTO data (assetnumber, category, location, status, description, memo)"
                          " VALUES (%1, 'Furniture', 'Den', 'Have', 'Grand piano', 'Kept in the hall')";
    const struct Case {
        const char *name;
        QString meanwhile;  // while "Confirm Delete" is open
        const char *title;  // what the user is told after it ("": nothing)
        const char *left;   // the description on disk afterwards
    } cases[] = {
        {"nothing meanwhile", "", "", "(none)"},
        {"replaced under the same asset number", QString(replace).arg(1), "Record Changed", "Grand piano"},
        {"description and value changed", "UPDATE data SET description = 'Item 1, restored', marketvalue = 900000",
         "Record Changed", "Item 1, restored"},
        {"memo changed", "UPDATE data SET memo = 'Their note'", "Record Changed", "Item 1"},
        {"replaced under another asset number", QString(replace).arg(555), "Record Deleted", "Grand piano"},
        {"deleted", "DELETE FROM data", "Record Deleted", "(none)"},
    };
    auto onDisk = [&] {
        return testing_support::sqliteText(MasterInventory.name,
                                           "SELECT coalesce((SELECT group_concat(description) FROM data), '(none)')");
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (&c != cases)
            ASSERT_EQ(testing_support::sqliteExec(MasterInventory.name, "DELETE FROM data"), "");
        add({1, "Furniture", "Den", "Have", 1, 5000});
        ASSERT_EQ(testing_support::sqliteExec(MasterInventory.name, "UPDATE data SET memo = 'Kept in the hall'"), "");
        BrowseWindow *w = openInventoryBrowse(Variant::All, "");
        ASSERT_NE(w, nullptr);
        ASSERT_EQ(rows(w), 1);
        std::vector<std::string> titles;
        MessageHandler scripted = setMessageHandler(nullptr);
        setMessageHandler([&](const MessageRequest &m) {
            titles.push_back(m.title);
            if (m.title == "Confirm Delete" && !c.meanwhile.isEmpty()) {
                EXPECT_EQ(testing_support::sqliteExec(MasterInventory.name, c.meanwhile.toStdString()), "");
            }
            return m.title == "Confirm Delete" ? BUTTON_YES : scripted(m);
        });
        w->deleteButton()->click();
        setMessageHandler(scripted);
        std::vector<std::string> expected{"Confirm Delete"};
        if (*c.title)
            expected.push_back(c.title);
        EXPECT_EQ(titles, expected);
        EXPECT_EQ(onDisk(), c.left);
        w->close();
    }
}

TEST_F(Inventory, CategoryAndLocationFormsShowWhatApplies)
{
    auto visibleTabs = [](QWidget *form) {
        auto *sheet = find<QTabWidget>(form, "sheet");
        QStringList t;
        for (int i = 0; i < sheet->count(); ++i)
            if (sheet->isTabVisible(i))
                t << sheet->tabText(i);
        return t;
    };
    struct Case {
        Variant variant;
        const char *word;
        std::function<void(QWidget *)> check;
    } cases[] = {
        {Variant::Category, "Food",
         [&](QWidget *f) {
             EXPECT_EQ(visibleTabs(f), QStringList({"General", "User Fields", "Image 1", "Image 2", "Memo"}));
             EXPECT_FALSE(find<QLineEdit>(f, "SERIALNUMBER")->isVisibleTo(f));
             EXPECT_TRUE(find<QComboBox>(f, "BOXNUMBER")->isVisibleTo(f));
             // The hidden serial and model numbers leave no gap: the description follows the box
             // number one row on, whatever the other column holds.
             f->show();
             testing_support::pump(5);
             auto y = [f](const char *name) { return find<QWidget>(f, name)->mapTo(f, QPoint()).y(); };
             EXPECT_LE(y("DESCRIPTION") - y("BOXNUMBER"), y("BOXNUMBER") - y("LOCATION") + 4);
         }},
        {Variant::Category, "Audio",
         [](QWidget *f) {
             EXPECT_TRUE(find<QComboBox>(f, "SUBJECT")->isVisibleTo(f));
             EXPECT_TRUE(find<QLineEdit>(f, "COSTARARTISTAUTHOR")->isVisibleTo(f));
         }},
        {Variant::Category, "Art",
         [](QWidget *f) {
             EXPECT_FALSE(find<QComboBox>(f, "SUBJECT")->isVisibleTo(f));
             EXPECT_FALSE(find<QLineEdit>(f, "STARARTISTAUTHOR")->isVisibleTo(f));
             EXPECT_FALSE(find<QLineEdit>(f, "CARATWEIGHT")->isVisibleTo(f));
             EXPECT_TRUE(find<QComboBox>(f, "LOCATION")->isEnabled());
         }},
        {Variant::Location, "Garage",
         [&](QWidget *f) {
             EXPECT_EQ(visibleTabs(f).size(), 9);
             EXPECT_EQ(find<QComboBox>(f, "LOCATION")->currentText(), "Garage");
             EXPECT_FALSE(find<QComboBox>(f, "LOCATION")->isEnabled());
             EXPECT_TRUE(find<QComboBox>(f, "CATEGORY")->isEnabled());
         }},
    };
    for (Case &c : cases) {
        Glo.LastLocation = "Attic";
        onNextModal([&](QWidget *form) {
            c.check(form);
            static_cast<QDialog *>(form)->reject();
        });
        EXPECT_EQ(runItemForm(c.variant, c.word, InsertRecord), RequestCancelled) << c.word;
    }
}

TEST_F(Inventory, PicturesAreChosenFittedAndNeverBreakTheForm)
{
    QImage img(500, 300, QImage::Format_RGB32);
    img.fill(Qt::yellow);
    const QString jpg = QString::fromStdString(home.file("pics/chair.jpg"));
    makeFolder(home.file("pics"));
    ASSERT_TRUE(img.save(jpg, "JPG"));
    const QString corrupt = QString::fromStdString(home.file("pics/broken.jpg"));
    {
        QFile f(corrupt);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray::fromHex("ffd8ffe000104a464946") + QByteArray(200, '\x13'));
    }
    QByteArray deep;
    {
        QFile f(jpg);
        f.open(QIODevice::ReadOnly);
        deep = f.readAll();
    }
    deep[deep.indexOf(QByteArray::fromHex("ffc0")) + 4] = 12;  // the frame's sample precision
    const QString twelveBit = QString::fromStdString(home.file("pics/scan12.jpg"));
    {
        QFile f(twelveBit);
        f.open(QIODevice::WriteOnly);
        f.write(deep);
    }
    const QString fifo = QString::fromStdString(home.file("pics/pipe.jpg"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    QStringList titles;
    QString answer;
    PictureChooser previous = setPictureChooser([&](QWidget *, const QString &title, const QString &, const QString &) {
        titles << title;
        return answer;
    });
    Glo.LastLocation = "Den";
    onNextModal([&](QWidget *form) {
        type(form, "MARKETVALUE", "5");
        auto *picture = find<QLabel>(form, "IMAGE picture");
        const double unit = form->fontMetrics().averageCharWidth() / 4.0;
        answer = jpg;
        click(form, "Select image 1");
        ASSERT_NE(picture->pixmap().isNull(), true);
        EXPECT_EQ(picture->pixmap().size(), QSize(qRound(250 * unit), qRound(150 * unit)));
        EXPECT_FALSE(picture->isHidden());
        answer.clear();  // cancelled: the path stays
        click(form, "Select image 1");
        EXPECT_EQ(find<QLineEdit>(form, "IMAGE")->text(), jpg);
        EXPECT_FALSE(picture->pixmap().isNull());
        // A 12-bit JPEG leaves an empty area and the status line says why; a damaged file, a
        // missing one or a FIFO (which would block its reader) leave it empty at once.
        auto *status = find<QStatusBar>(form, "status");
        answer = twelveBit;
        click(form, "Select image 2");
        EXPECT_TRUE(find<QLabel>(form, "IMAGE2 picture")->pixmap().isNull());
        EXPECT_EQ(status->currentMessage(), "12-bit JPEG pictures are not supported: " + twelveBit);
        answer = corrupt;
        click(form, "Select image 2");
        EXPECT_TRUE(find<QLabel>(form, "IMAGE2 picture")->pixmap().isNull());
        EXPECT_TRUE(status->currentMessage().isEmpty());
        answer = fifo;
        click(form, "Lookup path to receipt");
        EXPECT_TRUE(find<QLabel>(form, "RECEIPTIMAGE picture")->pixmap().isNull());
        answer = jpg;
        click(form, "Lookup path to receipt");
        EXPECT_EQ(find<QLineEdit>(form, "RECEIPTIMAGE")->text(), jpg);  // never upper-cased
        find<QLineEdit>(form, "WARRANTYIMAGE")->setText(QString::fromStdString(home.file("gone.jpg")));
        answer.clear();
        click(form, "Lookup the path to the warranty");
        EXPECT_EQ(find<QLineEdit>(form, "WARRANTYIMAGE")->text().toStdString(), home.file("gone.jpg"));
        EXPECT_TRUE(find<QLabel>(form, "WARRANTYIMAGE picture")->pixmap().isNull());
        click(form, "Clear Image 1");
        EXPECT_TRUE(find<QLineEdit>(form, "IMAGE")->text().isEmpty());
        EXPECT_TRUE(picture->isHidden());
        click(form, "OK");
    });
    EXPECT_EQ(runItemForm(Variant::Category, "Art", InsertRecord), RequestCompleted);
    setPictureChooser(previous);
    EXPECT_EQ(titles, QStringList({"Select An Image", "Select An Image", "Select An Image", "Select An Image",
                                   "Select A Receipt", "Select A Receipt", "Select Warranty File"}));
    EXPECT_TRUE(MAS.IMAGE.blank());
    EXPECT_EQ(MAS.IMAGE2.str(), corrupt.toStdString());
    EXPECT_EQ(MAS.RECEIPTIMAGE.str(), jpg.toStdString());
    EXPECT_EQ(MAS.LOCATION.str(), "Den");
}

TEST_F(Inventory, LookupsAndPickers)
{
    addNamed(Vendors, "Best Buy", "VENDOR");
    addNamed(Vendors, "Acme", "VENDOR");
    addNamed(Heirs, "Ann", "NAME");
    addNamed(Heirs, "Zoe", "NAME");
    addNamed(Category, "Toys", "CATEGORY");
    addNamed(Category, "Art", "CATEGORY");
    addNamed(Location, "Garage", "LOCATION");
    add({1, "Tools", "Garage"});
    add({2, "Tools", "Shed"});

    onNextModal([](QWidget *w) {
        EXPECT_EQ(w->windowTitle(), "Select Vendor");
        auto *list = find<QTableView>(w, "list");
        ASSERT_EQ(list->model()->rowCount(), 2);
        list->setCurrentIndex(list->model()->index(1, 0));
        click(w, "Select");
    });
    Glo.Request = SelectRecord;
    LookupVendor();
    EXPECT_EQ(Glo.Response, RequestCompleted);
    EXPECT_EQ(Glo.SelectionCancelled, 0);
    EXPECT_EQ(VEN.VENDOR.str(), "Best Buy");
    onNextModal([](QWidget *w) { click(w, "Close"); });
    Glo.Request = SelectRecord;
    LookupVendor();
    EXPECT_EQ(Glo.Response, RequestCancelled);
    EXPECT_EQ(Glo.SelectionCancelled, 1);

    // Enter in the locator only positions the list; the look-up stays open until a row is chosen
    // on the list.
    onNextModal([](QWidget *w) {
        auto *locator = find<QLineEdit>(w, "Locator Vendor");
        auto *list = find<QTableView>(w, "list");
        locator->setFocus();
        QTest::keyClicks(locator, "bes");
        QTest::keyClick(locator, Qt::Key_Return);
        testing_support::pump(5);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(list->currentIndex().row(), 1);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
    });
    Glo.Request = SelectRecord;
    LookupVendor();
    EXPECT_EQ(Glo.Response, RequestCompleted);
    EXPECT_EQ(VEN.VENDOR.str(), "Best Buy");

    // The heir look-up opens at the name handed over.
    HEI.NAME = "zoe";
    onNextModal([](QWidget *w) { click(w, "Select"); });
    Glo.Request = SelectRecord;
    LookupHeir();
    EXPECT_EQ(HEI.NAME.str(), "Zoe");

    // The report picker: OK only once a row is chosen; Cancel reports cancelled.
    onNextModal([](QWidget *w) {
        EXPECT_FALSE(find<QPushButton>(w, "OK")->isEnabled());
        auto *list = find<QComboBox>(w, "Category");
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->itemText(0), "Toys");  // the file's record order
        list->setCurrentIndex(1);
        click(w, "OK");
    });
    GetCategory();
    EXPECT_EQ(Glo.SelectionCancelled, 0);
    EXPECT_EQ(Glo.Category.str(), "Art");
    onNextModal([](QWidget *w) { click(w, "Cancel"); });
    GetLocation();
    EXPECT_EQ(Glo.SelectionCancelled, 1);
    EXPECT_TRUE(Glo.Location.blank());

    // Select on "Garage" opens its browse and closes the picker.
    runProcedure("SelectLocation");
    ASSERT_EQ(startedWindows().size(), 1);
    auto *picker = static_cast<BrowseWindow *>(startedWindows()[0]);
    EXPECT_EQ(picker->windowTitle(), "Select The Location You Wish To Work In");
    click(picker, "Select");
    testing_support::pump(20);
    ASSERT_EQ(startedWindows().size(), 1);
    auto *garage = static_cast<BrowseWindow *>(startedWindows()[0]);
    EXPECT_EQ(text(garage, "heading"), "Garage Inventory");
    EXPECT_EQ(rows(garage), 1);
    EXPECT_EQ(Glo.MenuCategory.str(), "Garage");
}

TEST_F(Inventory, MenuButtonsStoreTheirWordsAndReportsFollowTheFormat)
{
    std::vector<std::string> calls;
    int windowsWhenSeeding = -1;
    registerProcedure("VerifyLocationFiles", [&] { windowsWhenSeeding = static_cast<int>(startedWindows().size()); });
    for (const char *p : {"BrowseOrvaneMasterSpec", "BrowseOrvaneMasterLocation"})
        registerProcedure(p, [&calls, p] {
            calls.push_back(std::string(p) + " " + Glo.MenuSelect.str() + "/" + Glo.MenuCategory.str());
        });
    setProcedureObserver([&](const std::string &name) {
        if (name != "BrowseOrvaneMasterSpec" && name != "BrowseOrvaneMasterLocation" && name != "VerifyLocationFiles")
            calls.push_back(name);
    });
    runProcedure("HomeInventoryMenu");
    EXPECT_EQ(windowsWhenSeeding, 0);  // the rooms are seeded before the menu shows
    ASSERT_EQ(startedWindows().size(), 1);
    QWidget *menu = startedWindows()[0];
    EXPECT_EQ(menu->windowTitle(), "Home Inventory Main Menu");
    calls.clear();
    for (const char *b : {"Holiday Decorations", "Interior Decorations", "Electronics Cameras", "Linens Bedding",
                          "Book", "Garage", "Select Category", "Select Location", "Home Inventory", "Data Forms",
                          "Standard Reports", "Client Setup", "Custom Reports"})
        click(menu, b);
    std::vector<std::string> expected = {
        "BrowseOrvaneMasterSpec Holiday Decor/Holiday Decor", "BrowseOrvaneMasterSpec Interior Decor/Interior Decor",
        "BrowseOrvaneMasterSpec Electronics/Electronics",     "BrowseOrvaneMasterSpec Linens/Linens",
        "BrowseOrvaneMasterSpec Book/Book",                   "BrowseOrvaneMasterLocation Garage/Garage",
        "SelectCategory", "SelectLocation", "BrowseOrvaneMaster", "DataFormsOptions", "ReportsMenu", "SetupMenu",
        "ReportDesignOptions"};
    EXPECT_EQ(calls, expected);
    setProcedureObserver(nullptr);
    for (WindowProcedure *w : startedWindows())
        w->requestClose();
    testing_support::pump(20);

    // The report buttons: the highlighted item in the buffer, the layout from the settings.
    registerInventoryProcedures();
    add({7, "Kitchen", "Kitchen"});
    add({9, "Kitchen", "Kitchen"});
    std::string preset;
    for (const char *p : {"PrintInventoryValuation", "PrintCategoryInventoryWide", "PrintItemInformation"})
        registerProcedure(p, [&preset, p] {
            preset = std::string(p) + " " + std::to_string(Glo.SelectionPreset) + " " + Glo.Category.str() + " " +
                     std::to_string(MAS.ASSETNUMBER.get());
        });
    BrowseWindow *all = openInventoryBrowse(Variant::All, "");
    all->browse()->setCurrentRow(1);
    click(all, "Inventory Valuation");
    EXPECT_EQ(preset, "PrintInventoryValuation 0  9");
    writeSettings("Landscape", "Never", 0);
    BrowseWindow *kitchen = openInventoryBrowse(Variant::Category, "Kitchen");
    click(kitchen, "Inventory Valuation");
    EXPECT_EQ(preset, "PrintCategoryInventoryWide 1 Kitchen 7");
    kitchen->browse()->setCurrentRow(1);
    click(kitchen, "All Info");
    EXPECT_EQ(preset, "PrintItemInformation 1 Kitchen 9");
    // The stand-ins must not outlive the values they write to.
    for (const char *p : {"PrintInventoryValuation", "PrintCategoryInventoryWide", "PrintItemInformation",
                          "VerifyLocationFiles"})
        registerProcedure(p, [] {});
}

TEST_F(Inventory, LocationBoxPickerTakesABoxOfTheChosenLocationOnly)
{
    for (const char *l : {"Attic", "Garage"})
        addNamed(Location, l, "LOCATION");
    for (auto [l, b] : {std::pair{"Attic", "1"}, {"Garage", "1"}, {"Garage", "2"}})
        put(BoxNumber, [l = l, b = b] {
            BOX.LOCATION = l;
            BOX.BOXNUMBER = b;
        });
    struct Step {
        const char *location, *box;  // chosen in this order; nullptr leaves the list alone
        bool cancel;
        int cancelled;
        const char *wantLocation, *wantBox;
    } steps[] = {
        {"Garage", "2", false, 0, "Garage", "2"},
        // Another location after the box: the box is blank again, and OK asks for one.
        {"Attic", nullptr, false, 1, "", ""},
        {"Garage", "1", true, 1, "Garage", "1"},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.wantBox);
        box.clear();
        int boxesOfAttic = -1;
        onNextModal([&](QWidget *w) {
            EXPECT_EQ(w->windowTitle(), "Select Location and Box");
            auto *locations = find<QComboBox>(w, "Location");
            auto *boxes = find<QComboBox>(w, "Box number");
            EXPECT_EQ(boxes->count(), 0);
            locations->setCurrentIndex(locations->findText("Garage"));
            boxes->setCurrentIndex(boxes->findText("2"));
            locations->setCurrentIndex(locations->findText(s.location));
            if (std::string(s.location) == "Attic")
                boxesOfAttic = boxes->count();
            if (s.box)
                boxes->setCurrentIndex(boxes->findText(s.box));
            click(w, s.cancel ? "Cancel" : "OK");
            if (w->isVisible()) {
                EXPECT_EQ(Glo.BoxNumber.str(), "");
                click(w, "Cancel");
            }
        });
        Glo.Request = 0;
        GetLocationBox();
        EXPECT_EQ(Glo.SelectionCancelled, s.cancelled);
        if (!s.cancel && s.cancelled) {
            EXPECT_EQ(boxesOfAttic, 1);
            ASSERT_EQ(box.shown().size(), 1u);
            EXPECT_EQ(box.shown()[0].text, "You must select a box to print");
            EXPECT_EQ(box.shown()[0].title, "Data Error");
            EXPECT_EQ(box.shown()[0].buttons, BUTTON_RETRY);
        } else if (!s.cancel) {
            EXPECT_EQ(Glo.Location.str(), s.wantLocation);
            EXPECT_EQ(Glo.BoxNumber.str(), s.wantBox);
        }
        // Every file the picker opened is closed again.
        EXPECT_FALSE(Location.isOpen());
        EXPECT_FALSE(BoxNumber.isOpen());
    }
}

// The item form showing a phone photo stored sideways (EXIF orientation 6), for a person to look
// at: written only when ORVANE_SCREENSHOTS names a folder (run under a display server).
TEST_F(Inventory, Screenshots)
{
    const char *out = std::getenv("ORVANE_SCREENSHOTS");
    if (!out || !*out)
        GTEST_SKIP() << "ORVANE_SCREENSHOTS is not set";
    // The home-inventory menu, as the professional program shows it.
    registerProcedure("VerifyLocationFiles", [] {});
    runProcedure("HomeInventoryMenu");
    for (WindowProcedure *w : startedWindows()) {
        testing_support::pump(150);
        w->grab().save(QString(out) + "/home-menu.png");
        w->requestClose();
    }
    testing_support::pump(20);
    // Upright: a sky above a lawn with a red house at the left; stored turned a quarter to the left.
    QImage upright(640, 480, QImage::Format_RGB32);
    {
        QPainter p(&upright);
        p.fillRect(0, 0, 640, 300, QColor(120, 180, 240));
        p.fillRect(0, 300, 640, 180, QColor(60, 150, 60));
        p.fillRect(80, 180, 200, 160, QColor(200, 40, 40));
        p.setPen(Qt::black);
        p.setFont(QFont("Liberation Sans", 40, QFont::Bold));
        p.drawText(QRect(300, 40, 320, 100), Qt::AlignCenter, "UP");
    }
    const QImage stored = upright.transformed(QTransform(0, -1, 1, 0, 0, 0));  // as the camera wrote it
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    ASSERT_TRUE(stored.save(&b, "JPG", 90));
    const QByteArray body = QByteArray("Exif\0\0MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 32);
    const QByteArray app1 = QByteArray::fromHex("ffe1") + QByteArray(1, '\0') + QByteArray(1, static_cast<char>(body.size() + 2)) + body;
    const std::string photo = home.file("phone.jpg");
    {
        QFile f(QString::fromStdString(photo));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b.data().left(2) + app1 + b.data().mid(2));
    }
    addNamed(Category, "Furniture", "CATEGORY");
    addNamed(Location, "Den", "LOCATION");
    add({1, "Furniture", "Den", "Have", 1, 5000, "", photo.c_str()});
    BrowseWindow *w = openInventoryBrowse(Variant::All, "");
    ASSERT_NE(w, nullptr);
    onForm(w->changeButton(), [&](QWidget *form) {
        find<QTabWidget>(form, "sheet")->setCurrentIndex(4);
        form->move(20, 20);
        testing_support::pump(400);
        form->grab().save(QString(out) + "/item-form-phone-photo.png");
        QProcess::execute("import", {"-window", "root", QString(out) + "/item-form-phone-photo-screen.png"});
        // A 12-bit JPEG on Image 2: an empty area and the reason on the status line.
        QByteArray deep = b.data();
        deep[deep.indexOf(QByteArray::fromHex("ffc0")) + 4] = 12;
        const QString twelve = QString::fromStdString(home.file("scan12.jpg"));
        QFile f(twelve);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(deep);
        f.close();
        PictureChooser previous = setPictureChooser([&](QWidget *, const QString &, const QString &, const QString &) { return twelve; });
        find<QTabWidget>(form, "sheet")->setCurrentIndex(5);
        click(form, "Select image 2");
        setPictureChooser(previous);
        testing_support::pump(300);
        QProcess::execute("import", {"-window", "root", QString(out) + "/item-form-12-bit-screen.png"});
    });
}
