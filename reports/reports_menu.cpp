// "Home Inventory Reports Menu": one button per report of the selected client. A report of a
// portrait and a wide layout is chosen by the report format of the settings record, read when
// the menu opens and looked at afresh at every press; a report runs to its end before the menu
// takes the next press.
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "model/edition.h"
#include "reports/reports.h"
#include "runtime/gui.h"
#include "runtime/window.h"

namespace reports {

namespace {

struct MenuButton {
    const char *text, *tip;
    const char *portrait, *wide;  // wide nullptr: an options window started on its own
    bool asksSelection;           // the report asks for its category, location or box
};

const MenuButton kButtons[] = {
    {"Inventory", "Complete Inventory Valuation Report", "PrintInventoryValuation", "PrintInventoryValuationWide", false},
    {"Specific Category", "Report of inventory in a specific category", "PrintCategoryInventory",
     "PrintCategoryInventoryWide", true},
    {"Location", "Inventory report by location", "PrintLocationInventory", "PrintLocationInventoryWide", true},
    {"Receipt List", "List of all items with attached receipt", "PrintReceiptList", "PrintReceiptListWide", false},
    {"Heirs", "Report of all items to be given to your heirs", "PrintInheritanceReport", "PrintInheritanceReportWide",
     false},
    {"Catalog", "Client Inventory Catalog", "ReportCatalogOptions", nullptr, false},
    {"Custom Reports", "Design and print a custom report", "ReportDesignOptions", nullptr, false},
    {"Picture List", "List of all items with attached picture", "PrintPictureList", "PrintPictureListWide", false},
    {"Warranty List", "List of all items with warranty", "PrintWarrantyList", "PrintWarrantyListWide", false},
    {"Insurance Report", "Print an insurance claim report", "PrintInsuranceReport", "PrintInsuranceReportWide", false},
    {"Appraisal", "Report of all inventory items that have been appraised", "PrintAppraisedItems",
     "PrintAppraisedItemsWide", false},
    {"Packing List", "Print the contents of a specific box", "PrintBoxPackingList", "PrintBoxPackingListWide", true},
};

class ReportsMenuWindow : public rt::WindowProcedure {
public:
    ReportsMenuWindow() : rt::WindowProcedure("ReportsMenu")
    {
        setWindowTitle("Home Inventory Reports Menu");
        setHelpContext("~SELECT_A_HOME_INVENTORY_REPORT");
    }

    int init() override
    {
        request = rt::takeRequest();
        rt::setResponse(0);
        if (int level = openFiles({Relate::MainSystemFile}))
            return level;
        rt::clearRecord(dict::MainSystemFileDef, &MSY);
        if (Access::MainSystemFile->useFile() == 0) {
            MainSystemFile.setFileOrder();
            MainSystemFile.next();
        }

        auto *v = new QVBoxLayout(this);
        v->addWidget(new QLabel("Select the home inventory report you wish to print", this));
        auto *grid = new QGridLayout;
        int i = 0;
        for (const MenuButton &b : kButtons) {
            auto *button = new QPushButton(b.text, this);
            button->setObjectName(b.text);
            button->setToolTip(b.tip);
            button->setStatusTip(b.tip);
            button->setAutoDefault(false);
            grid->addWidget(button, i / 2, i % 2);
            ++i;
            connect(button, &QPushButton::clicked, this, [&b] { press(b); });
        }
        v->addLayout(grid);
        addCloseAndHelp(v, "Exit", true);
        return 0;
    }

private:
    static void press(const MenuButton &b)
    {
        if (!b.wide) {
            // The options windows open beside the menu, which stays usable.
            rt::runProcedure(b.portrait);
            return;
        }
        // A browse may have left a preset choice: the menu's reports always ask.
        if (b.asksSelection)
            Glo.SelectionPreset = 0;
        rt::runProcedure(model::reportProcedure(MSY.REPORTFORMAT.str(), b.portrait, b.wide));
    }
};

}  // namespace

}  // namespace reports

void ReportsMenu() { (new reports::ReportsMenuWindow)->start(); }
