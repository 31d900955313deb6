// Amounts typed into the item form: shown through their pictures once left, stored as the
// pictures read them.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "core/clients.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "core/procedures.h"
#include "inventory/browses.h"
#include "inventory/inventory.h"
#include "runtime/browse_window.h"
#include "runtime/paths.h"
#include "runtime/update_form.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/support/test_support.h"

using namespace rt;
using namespace inventory;
using testing_support::find;
using testing_support::onNextModal;
using testing_support::ScriptedMessages;
using testing_support::TempHome;

namespace {

class ItemAmounts : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::startWithSettings(home, {registerInventoryProcedures}, [] { MSY.AUTOADD = "Always"; }, true);
        put(Category, [] { CAT.CATEGORY = "Furniture"; });
        put(Location, [] { LCT.LOCATION = "Den"; });
    }
    void TearDown() override { testing_support::stopProgram(); }
    static void put(RecordFile &f, const std::function<void()> &fill) { testing_support::putRecord(f, fill); }
    // Types into an entry as a user does and moves on with Tab.
    static void typeAndLeave(QLineEdit *e, const char *keys, bool fromStart = false)
    {
        showAndFocus(e);
        if (fromStart)
            e->home(false);
        else
            e->clear();
        QTest::keyClicks(e, keys);
        QTest::keyClick(e, Qt::Key_Tab);
        EXPECT_FALSE(e->hasFocus());
    }
    // A new item of the browse's Insert: its category, location and description filled, the
    // rest left to `type`, then OK. The item as stored is then in MAS.
    void enterItem(const char *description, const std::function<void(QWidget *)> &type)
    {
        browse = openInventoryBrowse(Variant::All, "");
        ASSERT_NE(browse, nullptr);
        onNextModal([&](QWidget *form) {
            QApplication::setActiveWindow(form);
            ASSERT_TRUE(QTest::qWaitForWindowActive(form));
            auto *c = find<QComboBox>(form, "CATEGORY");
            c->setCurrentIndex(c->findText("Furniture"));
            c = find<QComboBox>(form, "LOCATION");
            c->setCurrentIndex(c->findText("Den"));
            find<QLineEdit>(form, "DESCRIPTION")->setText(description);
            type(form);
            find<QPushButton>(form, "OK")->click();
            if (form->isVisible())
                static_cast<QDialog *>(form)->reject();
        });
        browse->insertButton()->click();
        ASSERT_EQ(Glo.Response, RequestCompleted);
        ASSERT_TRUE(browse->browse()->loadCurrent());
    }
    BrowseWindow *browse = nullptr;
    TempHome home;
    ScriptedMessages box;
};

}  // namespace

TEST_F(ItemAmounts, MoneyShowsItsPictureOnceLeftAndStoresHundredths)
{
    ASSERT_NO_FATAL_FAILURE(enterItem("Oak chest", [&](QWidget *form) {
        auto *market = find<QLineEdit>(form, "MARKETVALUE");
        auto *cost = find<QLineEdit>(form, "ORIGINALCOST");
        ASSERT_NE(market, nullptr);
        ASSERT_NE(cost, nullptr);
        typeAndLeave(market, "250");
        EXPECT_EQ(market->text(), "250.00");
        // Editing again works on the text as shown: a digit in front makes it 1,250.00.
        typeAndLeave(market, "1", true);
        EXPECT_EQ(market->text(), "1,250.00");
        typeAndLeave(cost, "$99.999");
        EXPECT_EQ(cost->text(), "100.00");
        // Too large for the field, or not a number: left as typed for OK to refuse.
        typeAndLeave(cost, "100000");
        EXPECT_EQ(cost->text(), "100000");
        find<QPushButton>(form, "OK")->click();
        EXPECT_EQ(box.shown().back().title, "Invalid Entry");
        typeAndLeave(cost, "12x");
        EXPECT_EQ(cost->text(), "12x");
        typeAndLeave(cost, "0.5");
        EXPECT_EQ(cost->text(), "0.50");
    }));
    EXPECT_EQ(MAS.MARKETVALUE.cents(), 125000);
    EXPECT_EQ(MAS.ORIGINALCOST.cents(), 50);
    browse->requestClose();
}

// A comma typed as a decimal mark is refused as "Invalid number", never stored a hundred times
// too large; a comma between groups of three digits is a thousands separator.
TEST_F(ItemAmounts, ACommaOnlyGroupsThousands)
{
    ASSERT_NO_FATAL_FAILURE(enterItem("Mixer", [&](QWidget *form) {
        auto *cost = find<QLineEdit>(form, "ORIGINALCOST");
        ASSERT_NE(cost, nullptr);
        for (const char *typed : {"39,95", "1234,56"}) {
            typeAndLeave(cost, typed);
            EXPECT_EQ(cost->text(), typed);  // left as typed for OK to refuse
            box.clear();
            find<QPushButton>(form, "OK")->click();
            ASSERT_FALSE(box.shown().empty()) << typed;
            EXPECT_EQ(box.shown().back().title, "Invalid Entry") << typed;
            EXPECT_TRUE(box.sawText(std::string("Invalid number: ") + typed)) << typed;
            EXPECT_TRUE(form->isVisible()) << typed;
        }
        typeAndLeave(cost, "1,234.50");
        EXPECT_EQ(cost->text(), "1,234.50");
    }));
    EXPECT_EQ(MAS.DESCRIPTION.str(), "Mixer");
    EXPECT_EQ(MAS.ORIGINALCOST.cents(), 123450);
    browse->requestClose();
}
