#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <filesystem>

#include "core/clients.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "core/main_frame.h"
#include "model/managers.h"
#include "core/procedures.h"
#include "core/program.h"
#include "runtime/browse_window.h"
#include "runtime/dates.h"
#include "runtime/gui.h"
#include "runtime/ini_store.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/support/test_support.h"

using namespace rt;
using testing_support::find;
using testing_support::onNextModal;
using testing_support::ScriptedMessages;
using testing_support::TempHome;

namespace {

class Clients : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::startWithSettings(home);
    }
    void TearDown() override { testing_support::stopProgram(); }
    void addClient(const char *id, const char *last, const char *first, int updated = 0)
    {
        clearRecord(dict::QORClientsDef, &QOC);
        QOC.IDCODE = id;
        QOC.LASTNAME = last;
        QOC.FIRSTNAME = first;
        QOC.DATELASTUPDATE = updated;
        ASSERT_EQ(QORClients.add(), 0);
    }
    // Runs the client form for a request; `fill` acts on the open form.
    int runForm(int request, std::function<void(QWidget *)> fill)
    {
        Glo.Request = static_cast<Byte>(request);
        onNextModal([fill](QWidget *w) {
            fill(w);
            // A form that a failed step left open must not hang the test.
            if (w->isVisible())
                static_cast<QDialog *>(w)->reject();
        });
        UpdateQORClients();
        return Glo.Response;
    }
    static void type(QWidget *form, const char *field, const QString &text)
    {
        auto *e = find<QLineEdit>(form, field);
        ASSERT_NE(e, nullptr) << field;
        e->setText(text);
    }
    static void click(QWidget *form, const char *button) { find<QPushButton>(form, button)->click(); }
    TempHome home;
    ScriptedMessages box;
};

}  // namespace

TEST(ClientRules, IdCodesFoldersAndNames)
{
    for (const char *bad : {"AB 12", "ab12", "A:B", "", "../x", "SMITH/1", "A.B"})
        EXPECT_FALSE(validIdCode(bad)) << bad;
    for (const char *good : {"SMITH01", "ABCDEFGH", "7", "X1"})
        EXPECT_TRUE(validIdCode(good)) << good;
    // The primary path with or without its trailing "/" gives the same names.
    for (const char *primary : {"/data/orvane/", "/data/orvane"}) {
        nameClientFiles(clientFolder(primary, "SMITH01 "));
        EXPECT_EQ(MasterInventory.name, "/data/orvane/SMITH01/qormas.tps");
        EXPECT_EQ(ImportASCIITab.name, "/data/orvane/SMITH01/qorimp.tps");
        EXPECT_EQ(ImportFields.name, "/data/orvane/SMITH01/qorimf.tps");
        EXPECT_EQ(Location.name, "/data/orvane/SMITH01/qorloc.tps");
        EXPECT_EQ(BoxNumber.name, "/data/orvane/SMITH01/qorbox.tps");
        EXPECT_EQ(UserFields.name, "/data/orvane/SMITH01/qorufd.tps");
        EXPECT_EQ(Heirs.name, "/data/orvane/SMITH01/qorhrs.tps");
        BuildSharedFileNames(primary);
        EXPECT_EQ(QORClients.name, "/data/orvane/qorclnt.tps");
    }
    EXPECT_EQ(activeClientText("Ann", "Smith"), "Active client: Ann Smith");
    EXPECT_EQ(activeClientText("", "Smith"), "Active client:  Smith");
    EXPECT_EQ(activeClientText(std::string(30, 'A'), std::string(30, 'B')).size(), 60u);
}

TEST_F(Clients, FormRefusesBadCodesAndDuplicatesAndMakesTheFolder)
{
    // A refused code: the message, the code emptied, the form still open.
    int response = runForm(InsertRecord, [&](QWidget *form) {
        type(form, "IDCODE", "A:B");
        type(form, "LASTNAME", "Smith");
        click(form, "OK");
        EXPECT_EQ(box.shown().back().text, "Invalid ID Code, please correct");
        EXPECT_EQ(box.shown().back().title, "Invalid ID Code");
        EXPECT_EQ(box.shown().back().buttons, BUTTON_RETRY);
        EXPECT_EQ(find<QLineEdit>(form, "IDCODE")->text(), "");
        EXPECT_TRUE(form->isVisible());
        type(form, "IDCODE", "SMITH01");
        type(form, "FIRSTNAME", "Ann");
        type(form, "HOMEPHONE", "(555) 123-4567");
        click(form, "OK");
    });
    EXPECT_EQ(response, RequestCompleted);
    EXPECT_TRUE(std::filesystem::is_directory(home.file("SMITH01")));
    QOC.IDCODE = "SMITH01";
    ASSERT_EQ(QORClients.open(mode::ReadWriteDenyNone), 0);
    ASSERT_EQ(QORClients.get(*dict::QORClientsDef.key("IDCODEKEY")), 0);
    EXPECT_EQ(QOC.LASTNAME.str(), "Smith");
    EXPECT_EQ(QOC.HOMEPHONE.str(), "5551234567");
    EXPECT_EQ(static_cast<int>(QOC.DATEENTERED), today());
    QORClients.close();

    // The same code again: the duplicate-entry message names "ID Code"; the typed values stay.
    box.clear();
    box.answer(BUTTON_OK);
    box.answer(BUTTON_YES);  // then Cancel: yes, throw the changes away
    response = runForm(InsertRecord, [&](QWidget *form) {
        type(form, "IDCODE", "smith01");  // keys ignore case, but the code must be capitals
        click(form, "OK");
        type(form, "IDCODE", "SMITH01");
        type(form, "LASTNAME", "Jones");
        click(form, "OK");
        EXPECT_EQ(box.shown().back().title, "Duplicate Key Error");
        EXPECT_EQ(box.shown().back().text, "Adding this record creates a duplicate entry for the key: ID Code");
        EXPECT_EQ(find<QLineEdit>(form, "LASTNAME")->text(), "Jones");
        EXPECT_TRUE(form->isVisible());
        click(form, "Cancel");
    });
    EXPECT_EQ(response, RequestCancelled);
    EXPECT_EQ(box.shown().back().title, "Changes will be lost!");

    // A change cannot touch the code, and OK makes a missing folder again. The caller (a browse)
    // holds the file open with the record to change as its current one.
    std::filesystem::remove_all(home.file("SMITH01"));
    Relate::QORClients->open();
    Access::QORClients->useFile();
    QOC.IDCODE = "SMITH01";
    ASSERT_EQ(QORClients.get(*dict::QORClientsDef.key("IDCODEKEY")), 0);
    response = runForm(ChangeRecord, [&](QWidget *form) {
        EXPECT_FALSE(find<QLineEdit>(form, "IDCODE")->isEnabled());
        EXPECT_EQ(form->windowTitle(), "Changing a Clients Record");
        type(form, "FIRSTNAME", "Anne");
        click(form, "OK");
    });
    EXPECT_EQ(response, RequestCompleted);
    EXPECT_TRUE(std::filesystem::is_directory(home.file("SMITH01")));
    EXPECT_EQ(QOC.FIRSTNAME.str(), "Anne");

    // A delete asks and removes only the record: the folder stays.
    box.answer(BUTTON_YES);
    Glo.Request = DeleteRecord;
    UpdateQORClients();
    EXPECT_EQ(Glo.Response, RequestCompleted);
    EXPECT_TRUE(std::filesystem::is_directory(home.file("SMITH01")));
    EXPECT_EQ(QORClients.records(), 0);
    Relate::QORClients->close();
}

TEST_F(Clients, SelectionClosesOtherWindowsAndSetsTheActiveClient)
{
    ASSERT_EQ(QORClients.create(), 0);
    ASSERT_EQ(QORClients.open(mode::ReadWriteDenyNone), 0);
    addClient("B2", "Baker", "");
    addClient("A1", "Smith", "Ann");
    QORClients.close();
    MainFrame frame;
    ASSERT_EQ(frame.init(), 0);
    rt::runProcedure("BrowseClients");
    ASSERT_EQ(frame.mdi()->subWindowList().size(), 1);

    onNextModal([&](QWidget *w) {
        EXPECT_EQ(w->windowTitle(), "Select The Client You Wish To Work With");
        EXPECT_TRUE(frame.mdi()->subWindowList().isEmpty());  // closed as the selection opened
        auto *list = find<QTableView>(w, "list");
        ASSERT_EQ(list->model()->rowCount(), 2);
        // Phone columns show a whole number.
        for (int c = 0; c < list->model()->columnCount(); ++c)
            if (list->model()->headerData(c, Qt::Horizontal).toString().endsWith("Phone"))
                EXPECT_GE(list->horizontalHeader()->sectionSize(c),
                          list->fontMetrics().horizontalAdvance("(217) 555-0101"));
        list->setCurrentIndex(list->model()->index(0, 0));  // ID-code order: A1 first
        click(w, "Select");
    });
    frame.action("Toolbar Select")->trigger();
    EXPECT_EQ(Glo.ClientSelected, 1);
    EXPECT_EQ(Glo.ActiveClientID.str(), "A1");
    EXPECT_EQ(Glo.ActiveClientText.str(), "Active client: Ann Smith");
    EXPECT_EQ(MasterInventory.name, home.file("A1/qormas.tps"));
    EXPECT_EQ(frame.activeClientLabel()->text(), "Active client: Ann Smith");
    for (QAction *a : frame.clientControls())
        EXPECT_TRUE(a->isEnabled());

    // Closing without Select leaves no client active.
    onNextModal([&](QWidget *w) { click(w, "Close"); });
    frame.action("Toolbar Select")->trigger();
    EXPECT_EQ(Glo.ClientSelected, 0);
    EXPECT_TRUE(Glo.ActiveClientID.blank());
    for (QAction *a : frame.clientControls())
        EXPECT_FALSE(a->isEnabled());
    frame.close();
    frame.kill();
}

TEST_F(Clients, BrowseOrdersLocatorsAndRepositioning)
{
    ASSERT_EQ(QORClients.create(), 0);
    ASSERT_EQ(QORClients.open(mode::ReadWriteDenyNone), 0);
    addClient("C3", "carter", "Cy", makeDate(3, 1, 2024));
    addClient("A1", "Adams", "Al", makeDate(1, 1, 2024));
    addClient("D4", "Dunn", "Di", makeDate(3, 1, 2024));
    addClient("B2", "BAKER", "Bo", makeDate(2, 1, 2024));
    QORClients.close();
    rt::runProcedure("BrowseClients");
    auto windows = rt::startedWindows();
    ASSERT_EQ(windows.size(), 1);
    auto *w = static_cast<rt::BrowseWindow *>(windows[0]);
    QTableView *list = w->list();
    auto ids = [&] {
        std::vector<std::string> v;
        for (int r = 0; r < list->model()->rowCount(); ++r)
            v.push_back(list->model()->index(r, 0).data().toString().toStdString());
        return v;
    };
    auto currentId = [&] { return list->model()->index(list->currentIndex().row(), 0).data().toString(); };
    // The first tab is "ID Code"; the second, "Last Name", sorts case-blind by last name.
    EXPECT_EQ(ids(), (std::vector<std::string>{"A1", "B2", "C3", "D4"}));
    w->tabs()->setCurrentIndex(1);
    EXPECT_EQ(ids(), (std::vector<std::string>{"A1", "B2", "C3", "D4"}));
    EXPECT_EQ(list->model()->index(1, 1).data().toString(), "BAKER");
    // "Date Updated": newest first, ties in the order they were added.
    w->tabs()->setCurrentIndex(4);
    EXPECT_EQ(ids(), (std::vector<std::string>{"C3", "D4", "B2", "A1"}));
    // A text locator lands on the first row at or after the typed text, ignoring case.
    w->tabs()->setCurrentIndex(1);
    QLineEdit *locator = find<QLineEdit>(w, "Locator Last Name");
    ASSERT_NE(locator, nullptr);
    locator->setText("CA");
    QTest::keyClick(locator, Qt::Key_Return);
    EXPECT_EQ(currentId(), "C3");
    locator->setText("bz");
    QTest::keyClick(locator, Qt::Key_Return);
    EXPECT_EQ(currentId(), "C3");
    locator->setText("zz");
    QTest::keyClick(locator, Qt::Key_Return);
    EXPECT_EQ(currentId(), "D4");  // past the end: the last row

    // After an insert the list is read again and the new client is highlighted.
    box.answer(BUTTON_YES);
    Glo.Request = 0;
    onNextModal([&](QWidget *form) {
        type(form, "IDCODE", "BB5");
        type(form, "LASTNAME", "Brown");
        click(form, "OK");
    });
    w->insertButton()->click();
    EXPECT_EQ(currentId(), "BB5");
    EXPECT_EQ(ids(), (std::vector<std::string>{"A1", "B2", "BB5", "C3", "D4"}));
    // After a change that moves the row, the highlight follows it.
    onNextModal([&](QWidget *form) {
        type(form, "LASTNAME", "Zimmer");
        click(form, "OK");
    });
    w->changeButton()->click();
    EXPECT_EQ(currentId(), "BB5");
    EXPECT_EQ(list->currentIndex().row(), 4);
    w->requestClose();
}

TEST_F(Clients, FieldHistoryRecallsTheRecordLastCompleted)
{
    runForm(InsertRecord, [&](QWidget *form) {
        type(form, "IDCODE", "H1");
        type(form, "LASTNAME", "Hughes");
        type(form, "CSZ", "Dayton, OH");
        click(form, "OK");
    });
    box.answer(BUTTON_YES);
    runForm(InsertRecord, [&](QWidget *form) {
        auto *csz = find<QLineEdit>(form, "CSZ");
        EXPECT_EQ(csz->text(), "");
        QTest::keyClick(csz, Qt::Key_Apostrophe, Qt::ControlModifier);
        EXPECT_EQ(csz->text(), "Dayton, OH");
        EXPECT_EQ(find<QLineEdit>(form, "LASTNAME")->text(), "");  // only the field asked for
        click(form, "Cancel");
    });
}

TEST_F(Clients, EntriesShowTheirPictureOnceLeftAndGiveTheirFieldsRoom)
{
    const QString address = "1234 North Washington Boulevard, Apt 12B";  // the field's 40 characters
    int response = runForm(InsertRecord, [&](QWidget *form) {
        QApplication::setActiveWindow(form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));
        type(form, "IDCODE", "P1");
        type(form, "LASTNAME", "Park");
        auto leave = [](QLineEdit *e, const char *keys) {
            e->setFocus();
            QTest::keyClicks(e, keys);
            QTest::keyClick(e, Qt::Key_Tab);
            EXPECT_FALSE(e->hasFocus());
        };
        auto *home = find<QLineEdit>(form, "HOMEPHONE");
        leave(home, "2175550101");
        EXPECT_EQ(home->text(), "(217) 555-0101");
        // Editing again starts from the text as shown: the last digit changed.
        home->setFocus();
        home->end(false);
        QTest::keyClick(home, Qt::Key_Backspace);
        leave(home, "9");
        EXPECT_EQ(home->text(), "(217) 555-0109");
        // Shorter numbers fill the picture from the right.
        auto *fax = find<QLineEdit>(form, "FAX");
        leave(fax, "5550101");
        EXPECT_EQ(fax->text(), "(000) 555-0101");
        // A date shown with a two-digit year keeps the century it was typed with.
        auto *updated = find<QLineEdit>(form, "DATELASTUPDATE");
        leave(updated, "3/14/1901");
        EXPECT_EQ(updated->text(), "3/14/01");

        // The 40-character address is seen whole, with the cursor behind its last character.
        auto *a1 = find<QLineEdit>(form, "ADDRESS1");
        a1->setText(address);
        a1->end(false);
        a1->repaint();  // the line scrolls to its cursor as it paints
        EXPECT_GE(a1->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(),
                  a1->fontMetrics().horizontalAdvance(address))
            << "entry " << a1->width() << " wide";
        click(form, "OK");
    });
    ASSERT_EQ(response, RequestCompleted);
    QOC.IDCODE = "P1";
    ASSERT_EQ(QORClients.open(mode::ReadWriteDenyNone), 0);
    ASSERT_EQ(QORClients.get(*dict::QORClientsDef.key("IDCODEKEY")), 0);
    EXPECT_EQ(QOC.HOMEPHONE.str(), "2175550109");
    EXPECT_EQ(QOC.FAX.str(), "0005550101");
    EXPECT_EQ(static_cast<int>(QOC.DATELASTUPDATE), makeDate(3, 14, 1901));
    EXPECT_EQ(QOC.ADDRESS1.str(), address.toStdString());
    QORClients.close();
}
