// The maintenance windows of the reference tables, driven as the user drives them.
#include <QAbstractItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "runtime/browse_window.h"
#include "model/seeding.h"
#include "tests/tables/tables_fixture.h"

using testing_support::find;
using testing_support::onNextModal;

namespace {

class Maintenance : public TablesTest {
protected:
    void SetUp() override
    {
        TablesTest::SetUp();
        writeSettings(1);
    }
    // The location and box files held open, as a location browse holds them.
    void openLocations()
    {
        seeding::seed(seeding::Point::Locations, 0);
        Relate::Location->open();
        ASSERT_EQ(Access::Location->useFile(), 0);
        ASSERT_EQ(Access::BoxNumber->useFile(), 0);
    }
    void addBox(const char *location, const char *number)
    {
        rt::clearRecord(dict::BoxNumberDef, &BOX);
        BOX.LOCATION = location;
        BOX.BOXNUMBER = number;
        ASSERT_EQ(BoxNumber.add(), 0);
    }
    void loadLocation(const char *name)
    {
        LCT.LOCATION = name;
        ASSERT_EQ(Location.get(*dict::LocationDef.key("LOCATIONKEY")), 0);
    }
    // Runs a form procedure for a request; `act` works on the open form.
    static int runForm(void (*procedure)(), int request, std::function<void(QWidget *)> act)
    {
        Glo.Request = static_cast<rt::Byte>(request);
        onNextModal([act](QWidget *w) {
            act(w);
            if (w->isVisible())
                static_cast<QDialog *>(w)->reject();  // a step that failed must not hang the test
        });
        procedure();
        return Glo.Response;
    }
    static QTableView *list(QWidget *w, const char *name) { return w->findChild<QTableView *>(name); }
    static QString cell(QTableView *v, int row, int col) { return v->model()->index(row, col).data().toString(); }
};

}  // namespace

TEST_F(Maintenance, RenamingALocationMovesItsBoxesAllOrNothing)
{
    openLocations();
    addBox("Garage", "1");
    addBox("Garage", "2");
    addBox("Kitchen", "1");
    addBox("Shed", "1");  // a box left behind by a location that is gone
    loadLocation("Garage");
    box.answer(rt::BUTTON_OK);
    int response = runForm(UpdateLocation, rt::ChangeRecord, [&](QWidget *form) {
        EXPECT_EQ(form->windowTitle(), "Changing a location record");
        EXPECT_EQ(list(form, "children")->model()->rowCount(), 2);
        // Shed already has a box 1: the whole rename is refused and nothing moved.
        type(form, "LOCATION", "Shed");
        click(form, "OK");
        EXPECT_EQ(box.shown().back().title, "Record was not updated");
        EXPECT_TRUE(form->isVisible());
        EXPECT_EQ(count(BoxNumber, "location = 'Garage'"), 2);
        EXPECT_EQ(count(Location, "location = 'Shed'"), 0);
        // A box added now belongs to the location as stored, not to the refused name.
        onNextModal([&](QWidget *boxForm) {
            EXPECT_EQ(boxForm->windowTitle(), "Adding a Box Number Record");
            EXPECT_EQ(find<QLineEdit>(boxForm, "LOCATION")->text(), "Garage");
            EXPECT_FALSE(find<QLineEdit>(boxForm, "LOCATION")->isEnabled());
            type(boxForm, "BOXNUMBER", "3");
            click(boxForm, "OK");
        });
        form->findChild<QTabWidget *>()->setCurrentIndex(1);
        click(form, "Insert");
        EXPECT_EQ(list(form, "children")->model()->rowCount(), 3);
        type(form, "LOCATION", "Workshop");
        click(form, "OK");
    });
    EXPECT_EQ(response, rt::RequestCompleted);
    EXPECT_EQ(count(BoxNumber, "location = 'Workshop'"), 3);
    EXPECT_EQ(count(BoxNumber, "location = 'Garage'"), 0);
    EXPECT_EQ(count(BoxNumber), 5);
    EXPECT_EQ(count(Location, "location IN ('Garage', 'Shed')"), 0);

    // A location with boxes cannot be deleted; one without can.
    box.answer(rt::BUTTON_YES);
    loadLocation("Workshop");
    Glo.Request = rt::DeleteRecord;
    UpdateLocation();
    EXPECT_EQ(Glo.Response, rt::RequestCancelled);
    EXPECT_EQ(box.shown().back().title, "Referential Integrity Delete Error");
    EXPECT_EQ(count(Location, "location = 'Workshop'"), 1);
    box.answer(rt::BUTTON_YES);
    loadLocation("Den");
    Glo.Request = rt::DeleteRecord;
    UpdateLocation();
    EXPECT_EQ(Glo.Response, rt::RequestCompleted);
    EXPECT_EQ(count(Location, "location = 'Den'"), 0);
    Relate::Location->close();
}

TEST_F(Maintenance, ABoxNumberRepeatsAcrossLocationsButNotWithinOne)
{
    openLocations();
    addBox("Garage", "1");
    LCT.LOCATION = "Kitchen";
    EXPECT_EQ(runForm(UpdateBoxNumber, rt::InsertRecord, [&](QWidget *form) {
                  type(form, "BOXNUMBER", "1");
                  click(form, "OK");
              }),
              rt::RequestCompleted);
    box.answer(rt::BUTTON_OK);
    box.answer(rt::BUTTON_YES);
    EXPECT_EQ(runForm(UpdateBoxNumber, rt::InsertRecord, [&](QWidget *form) {
                  type(form, "BOXNUMBER", "1");
                  click(form, "OK");
                  EXPECT_EQ(box.shown().back().text, "Adding this record creates a duplicate entry for the key: Box");
                  EXPECT_TRUE(form->isVisible());
                  click(form, "Cancel");
              }),
              rt::RequestCancelled);
    EXPECT_EQ(column(BoxNumber, "SELECT location FROM data WHERE boxnumber = '1' ORDER BY 1"),
              (std::vector<std::string>{"Garage", "Kitchen"}));
    Relate::Location->close();
}

TEST_F(Maintenance, AParentBeingAddedTakesNoChildRows)
{
    seeding::seed(seeding::Point::Categories, 0);
    runForm(UpdateCategory, rt::InsertRecord, [&](QWidget *form) {
        EXPECT_EQ(form->windowTitle(), "Adding a Category Record");
        EXPECT_FALSE(find<QPushButton>(form, "Insert")->isEnabled());
    });
    runForm(UpdateLocation, rt::InsertRecord,
            [&](QWidget *form) { EXPECT_FALSE(find<QPushButton>(form, "Insert")->isEnabled()); });
    // The browse's Change shows the category's own types, ready for more.
    rt::runProcedure("BrowseCategory");
    auto *browse = static_cast<rt::BrowseWindow *>(window("BrowseCategory"));
    ASSERT_NE(browse, nullptr);
    EXPECT_EQ(browse->windowTitle(), "Browse the Category File");
    EXPECT_EQ(cell(browse->list(), 0, 0), "Antiques");
    QTest::keyClick(browse->list(), 'j');
    EXPECT_EQ(cell(browse->list(), browse->list()->currentIndex().row(), 0), "Jewelry");
    Glo.Request = 0;
    onNextModal([&](QWidget *form) {
        EXPECT_EQ(find<QLineEdit>(form, "CATEGORY")->text(), "Jewelry");
        EXPECT_EQ(list(form, "children")->model()->rowCount(), 13);
        EXPECT_TRUE(find<QPushButton>(form, "Insert")->isEnabled());
        click(form, "Cancel");
    });
    browse->changeButton()->click();
}

TEST_F(Maintenance, ConditionsMayShareADisplayOrder)
{
    for (auto [order, name] : {std::pair{"3", "Okay"}, {"3", "Excellent"}, {"0", "Unknown"}})
        EXPECT_EQ(runForm(UpdateConditions, rt::InsertRecord,
                          [&](QWidget *form) {
                              type(form, "DISPLAYORDER", order);
                              type(form, "CONDITION", name);
                              click(form, "OK");
                          }),
                  rt::RequestCompleted);
    EXPECT_TRUE(box.shown().empty());
    rt::runProcedure("BrowseConditions");
    auto *browse = static_cast<rt::BrowseWindow *>(window("BrowseConditions"));
    ASSERT_NE(browse, nullptr);
    QTableView *v = browse->list();
    ASSERT_EQ(v->model()->rowCount(), 3);
    EXPECT_EQ(cell(v, 0, 1), "Unknown");
    EXPECT_EQ(cell(v, 1, 0) + cell(v, 2, 0), "33");
    QTest::keyClick(v, '2');
    EXPECT_EQ(v->currentIndex().row(), 1);
}

TEST_F(Maintenance, VendorPhonesAreStoredAsDigitsAndShownAsPhones)
{
    EXPECT_EQ(runForm(UpdateVendors, rt::InsertRecord,
                      [&](QWidget *form) {
                          EXPECT_EQ(form->windowTitle(), "Adding a Vendors Record");
                          type(form, "VENDOR", "Acme Hardware");
                          type(form, "PHONE", "5551234567");
                          click(form, "OK");
                      }),
              rt::RequestCompleted);
    EXPECT_EQ(column(Vendors, "SELECT phone FROM data"), std::vector<std::string>{"5551234567"});
    writeSettings(0);
    std::vector<std::string> printed;
    rt::setProcedureObserver([&](const std::string &name) { printed.push_back(name); });
    rt::runProcedure("BrowseVendors");
    auto *browse = static_cast<rt::BrowseWindow *>(window("BrowseVendors"));
    ASSERT_NE(browse, nullptr);
    QTableView *v = browse->list();
    ASSERT_EQ(v->model()->rowCount(), 19);
    EXPECT_EQ(cell(v, 0, 0), "Acme Hardware");
    EXPECT_EQ(cell(v, 0, 3), "(555) 123-4567");
    // A letter typed in the list starts the locator; Enter positions the list.
    auto *locator = find<QLineEdit>(browse, "Locator Vendor");
    v->setFocus();
    QTest::keyClick(v, 'h');
    EXPECT_EQ(locator->text(), "h");
    QTest::keyClicks(locator, "ome s");
    QTest::keyClick(locator, Qt::Key_Return);
    EXPECT_EQ(cell(v, v->currentIndex().row(), 0), "Home Shopping Net");
    box.answer(rt::BUTTON_OK);
    click(browse, "Print Vendor List");
    EXPECT_EQ(printed.back(), "PrintVendorList");
    EXPECT_TRUE(locator->text().isEmpty());
    rt::setProcedureObserver(nullptr);
}

TEST_F(Maintenance, UserFieldTitlesAreCreatedAtOnceAndAFailedWriteKeepsTheForm)
{
    rt::runProcedure("UpdateUserFields");
    rt::WindowProcedure *form = window("UpdateUserFields");
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "Update The User's Field Titles");
    EXPECT_EQ(count(UserFields), 1);
    EXPECT_EQ(find<QLineEdit>(form, "TITLEUSERFIELD3")->text(), "User Field 3");
    type(form, "TITLEUSERFIELD1", "Colour");
    type(form, "TITLEUSERFIELD2", "");
    exec(UserFields, "DELETE FROM data");
    click(form, "OK");
    EXPECT_EQ(box.shown().back().title, "Record was not updated");
    EXPECT_EQ(window("UpdateUserFields"), form);
    // Cancel closes without a question.
    box.clear();
    click(form, "Cancel");
    testing_support::pump(20);
    EXPECT_EQ(window("UpdateUserFields"), nullptr);
    EXPECT_TRUE(box.shown().empty());

    // Opened again over the new record, OK writes the titles back, a blank one blank.
    rt::runProcedure("UpdateUserFields");
    form = window("UpdateUserFields");
    ASSERT_NE(form, nullptr);
    type(form, "TITLEUSERFIELD1", "Colour");
    type(form, "TITLEUSERFIELD2", "");
    click(form, "OK");
    EXPECT_EQ(column(UserFields, "SELECT titleuserfield1 || '/' || titleuserfield2 || '/' || titleuserfield4 FROM data"),
              std::vector<std::string>{"Colour//User Field 4"});
}

TEST_F(Maintenance, SetupMenuStartsItsWindowsAndExitClosesOnlyItself)
{
    writeSettings(0);
    rt::runProcedure("SetupMenu");
    rt::WindowProcedure *menu = window("SetupMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(find<QPushButton>(menu, "Location File")->toolTip(), "Maintain the location  file");
    click(menu, "Location File");
    click(menu, "Location File");
    click(menu, "Heirs");
    ASSERT_NE(window("BrowseLocation", 1), nullptr);
    EXPECT_EQ(window("BrowseLocation")->windowTitle(), "Browse the Location File");
    EXPECT_EQ(count(Location), 19);
    click(menu, "Exit");
    testing_support::pump(20);
    EXPECT_EQ(window("SetupMenu"), nullptr);
    EXPECT_NE(window("BrowseLocation", 1), nullptr);
    EXPECT_NE(window("BrowseHeirs"), nullptr);
}
