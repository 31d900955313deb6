// The reports menu: each button calls the procedure the stored report format selects, the
// selection reports always ask, and the options windows are started beside the menu.
#include <gtest/gtest.h>

#include <QPushButton>
#include <filesystem>
#include <regex>
#include <set>

#include "model/managers.h"
#include "reports/report_table.h"
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

// The report table is the one list of the reports: what the professional program offers is
// registered, each entry is found by its
// identifier and its names, and no source outside the table writes a report's procedure name:
// a caller names the report by its identifier.
TEST(ReportTable, IsTheOnlyListOfTheReports)
{
    registerReportProcedures();
    const auto program = model::Program::Professional;
    std::set<std::string> procedures;
    for (const reports::ReportEntry &e : reports::reportTable()) {
        EXPECT_EQ(&reports::report(e.id), &e) << e.portrait;
        EXPECT_NE(e.offeredBy, 0u) << e.portrait;
        EXPECT_TRUE((e.definition != nullptr) + (e.window != nullptr) == 1) << e.portrait;
        for (const char *name : {e.portrait, e.wide}) {
            if (!name)
                continue;
            procedures.insert(name);
            EXPECT_EQ(reports::findReport(name), &e);
            EXPECT_EQ(rt::hasProcedure(name), e.offered(program)) << name;
        }
    }
    EXPECT_EQ(procedures.size(), 40u);

    namespace fs = std::filesystem;
    const fs::path root = fs::path(ORVANE_GOLDEN_DIR).parent_path().parent_path().parent_path();
    const std::regex quoted("\"([A-Za-z]+)\"");
    std::size_t scanned = 0;
    for (const char *folder :
         {"apps", "client", "core", "inventory", "model", "previewer", "reports", "runtime", "tables"}) {
        for (const fs::directory_entry &f : fs::recursive_directory_iterator(root / folder)) {
            const std::string ext = f.path().extension().string();
            const std::string rel = fs::relative(f.path(), root).string();
            if ((ext != ".cpp" && ext != ".h") || rel == "reports/report_table.cpp")
                continue;
            ++scanned;
            const std::string text = testing_support::readBytes(f.path().string());
            for (auto m = std::sregex_iterator(text.begin(), text.end(), quoted); m != std::sregex_iterator(); ++m)
                EXPECT_EQ(procedures.count((*m)[1]), 0u) << rel << " names " << (*m)[1];
        }
    }
    EXPECT_GT(scanned, 100u);
}

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
