// The reports menu: each button calls the procedure the stored report format selects, the
// selection reports always ask, and the options windows are started beside the menu.
#include <gtest/gtest.h>

#include <QPushButton>

#include "model/managers.h"
#include "runtime/gui.h"
#include "runtime/window.h"
#include "tests/reports/report_fixture.h"
#include "tests/support/gui_support.h"

namespace {

struct Expected {
    const char *button, *portrait, *wide;
};
const Expected kButtons[] = {
    {"Inventory", "PrintInventoryValuation", "PrintInventoryValuationWide"},
    {"Specific Category", "PrintCategoryInventory", "PrintCategoryInventoryWide"},
    {"Location", "PrintLocationInventory", "PrintLocationInventoryWide"},
    {"Receipt List", "PrintReceiptList", "PrintReceiptListWide"},
    {"Heirs", "PrintInheritanceReport", "PrintInheritanceReportWide"},
    {"Catalog", "ReportCatalogOptions", "ReportCatalogOptions"},
    {"Custom Reports", "ReportDesignOptions", "ReportDesignOptions"},
    {"Picture List", "PrintPictureList", "PrintPictureListWide"},
    {"Warranty List", "PrintWarrantyList", "PrintWarrantyListWide"},
    {"Insurance Report", "PrintInsuranceReport", "PrintInsuranceReportWide"},
    {"Appraisal", "PrintAppraisedItems", "PrintAppraisedItemsWide"},
    {"Packing List", "PrintBoxPackingList", "PrintBoxPackingListWide"},
};

class ReportsMenuTest : public ReportTest {
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        closeAll();
        DictionaryInit();
        registerReportProcedures();
    }
    void TearDown() override
    {
        for (rt::WindowProcedure *w : rt::startedWindows())
            w->requestClose();
        testing_support::pump(20);
        DictionaryKill();
        ReportTest::TearDown();
    }
    void storeFormat(const char *format)
    {
        ASSERT_EQ(MainSystemFile.open(rt::mode::ReadWriteDenyNone), 0);
        MainSystemFile.setFileOrder();
        ASSERT_EQ(MainSystemFile.next(), 0);
        MSY.REPORTFORMAT = format;
        ASSERT_EQ(MainSystemFile.put(), 0);
        MainSystemFile.close();
        rt::clearRecord(dict::MainSystemFileDef, &MSY);  // the menu reads the record itself
    }
    rt::WindowProcedure *openMenu()
    {
        rt::runProcedure("ReportsMenu");
        for (rt::WindowProcedure *w : rt::startedWindows())
            if (w->procedureName() == "ReportsMenu")
                return w;
        return nullptr;
    }
};

TEST_F(ReportsMenuTest, EveryButtonCallsThePairMemberOfTheStoredFormat)
{
    std::vector<std::string> called;
    for (const Expected &e : kButtons)
        for (const char *name : {e.portrait, e.wide})
            rt::registerProcedure(name, [&called, n = std::string(name)] {
                called.push_back(n + " " + std::to_string(Glo.SelectionPreset));
            });
    for (const char *format : {"Portrait", "Landscape", ""}) {
        storeFormat(format);
        rt::WindowProcedure *menu = openMenu();
        ASSERT_TRUE(menu) << format;
        EXPECT_EQ(menu->windowTitle(), "Home Inventory Reports Menu");
        EXPECT_EQ(menu->helpContext(), "~SELECT_A_HOME_INVENTORY_REPORT");
        std::vector<std::string> expected;
        called.clear();
        std::vector<QString> order;
        for (QPushButton *b : menu->findChildren<QPushButton *>())
            order.push_back(b->text());
        for (const Expected &e : kButtons) {
            QPushButton *b = testing_support::find<QPushButton>(menu, e.button);
            ASSERT_TRUE(b) << e.button;
            EXPECT_FALSE(b->toolTip().isEmpty());
            EXPECT_EQ(b->toolTip(), b->statusTip());
            // A browse left its choice preset; the menu's selection reports ask all the same.
            Glo.SelectionPreset = 1;
            b->click();
            const bool selection = std::string(e.button) == "Specific Category" ||
                                   std::string(e.button) == "Location" || std::string(e.button) == "Packing List";
            expected.push_back(std::string(std::string(format) == "Portrait" ? e.portrait : e.wide) + " " +
                               (selection ? "0" : "1"));
        }
        EXPECT_EQ(called, expected) << format;
        // The buttons stand in the menu's order.
        ASSERT_GE(order.size(), std::size(kButtons));
        for (std::size_t i = 0; i < std::size(kButtons); ++i)
            EXPECT_EQ(order[i], kButtons[i].button);
        // Help, then Exit.
        menu->show();
        testing_support::pump(20);
        EXPECT_LT(testing_support::find<QPushButton>(menu, "Help")->x(),
                  testing_support::find<QPushButton>(menu, "Exit")->x());
        menu->requestClose();
        testing_support::pump(20);
    }
    EXPECT_FALSE(MainSystemFile.isOpen());
}

}  // namespace
