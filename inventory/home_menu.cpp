// The home-inventory menu: the buttons through which the user works on the active client's
// inventory by category, by room, as a whole, and reaches the forms, reports and setup.
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/globals.h"
#include "reports/report_table.h"
#include "inventory/inventory.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/window.h"

namespace {

struct WorkButton {
    const char *text;
    const char *tip;
    const char *word;  // stored for the browse; nullptr for the buttons that store nothing
    const char *starts;
};

const char *const kCategoryBrowse = "BrowseOrvaneMasterSpec";
const char *const kLocationBrowse = "BrowseOrvaneMasterLocation";

const WorkButton kCategories[] = {
    {"Antiques", "Antiques inventory", "Antiques", kCategoryBrowse},
    {"Appliances", "Appliance inventory", "Appliances", kCategoryBrowse},
    {"Art", "Art inventory", "Art", kCategoryBrowse},
    {"Clothing", "Clothing, shoes inventory", "Clothing", kCategoryBrowse},
    {"Electronics Cameras", "Electronics, cameras, computers inventory", "Electronics", kCategoryBrowse},
    {"Food", "Food inventory", "Food", kCategoryBrowse},
    {"Furniture", "Furniture inventory", "Furniture", kCategoryBrowse},
    {"Holiday Decorations", "Holiday decorations inventory", "Holiday Decor", kCategoryBrowse},
    {"Interior Decorations", "Interior decorations inventory", "Interior Decor", kCategoryBrowse},
    {"Jewelry", "Jewelry inventory", "Jewelry", kCategoryBrowse},
    {"Kitchen", "Kitchen inventory", "Kitchen", kCategoryBrowse},
    {"Linens Bedding", "Linens, bedding inventory", "Linens", kCategoryBrowse},
    {"Office", "Office inventory", "Office", kCategoryBrowse},
    {"Outdoor", "Outdoor inventory items", "Outdoor", kCategoryBrowse},
    {"Shop", "Shop equipment, tools, supplies inventory", "Shop", kCategoryBrowse},
    {"Select Category", "", nullptr, "SelectCategory"},
};
const WorkButton kLibraries[] = {
    {"Audio", "Work in the audio category", "Audio", kCategoryBrowse},
    {"Book", "Work in the book category", "Book", kCategoryBrowse},
    {"Video", "Work in the video category", "Video", kCategoryBrowse},
};
const WorkButton kLocations[] = {
    {"Cellar", "Cellar inventory", "Cellar", kLocationBrowse},
    {"Garage", "Garage inventory", "Garage", kLocationBrowse},
    {"Select Location", "Select a specific location to work in", nullptr, "SelectLocation"},
};
const WorkButton kEntire[] = {
    {"Home Inventory", "Show all inventory items", nullptr, "BrowseOrvaneMaster"},
};
const WorkButton kSetup[] = {
    {"Data Forms", "Print data input forms", nullptr, reports::report(reports::Report::DataFormsOptions).portrait},
    {"Standard Reports", "Home Inventory reports", nullptr, reports::report(reports::Report::ReportsMenu).portrait},
    {"Client Setup", "Setup home inventory", nullptr, "SetupMenu"},
    {"Custom Reports", "Design and print custom reports", nullptr, reports::report(reports::Report::CustomReportOptions).portrait},
};

class HomeMenu : public rt::WindowProcedure {
public:
    HomeMenu() : rt::WindowProcedure("HomeInventoryMenu")
    {
        setWindowTitle("Home Inventory Main Menu");
        setHelpContext("~MAINTAIN_A_CLIENT_INVENTORY");
        connect(this, &rt::WindowProcedure::procedureEnded, this,
                [](int response) { rt::setResponse(response); });
    }

    int init() override
    {
        rt::takeRequest();
        // A new client gets its default rooms and user-field titles before the menu shows.
        rt::runProcedure("VerifyLocationFiles");

        auto *v = new QVBoxLayout(this);
        auto *heading = new QLabel("Please select the area you would like to work in");
        QFont f = heading->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.2);
        heading->setFont(f);
        v->addWidget(heading);
        auto *top = new QHBoxLayout;
        top->addWidget(group("Work in a specific category", kCategories, 2), 2);
        auto *right = new QVBoxLayout;
        right->addWidget(group("Libraries", kLibraries, 1));
        right->addWidget(group("Work in a specific location", kLocations, 1));
        right->addWidget(group("Entire database", kEntire, 1));
        right->addStretch(1);
        top->addLayout(right, 1);
        auto *setup = new QVBoxLayout;
        setup->addWidget(group("Setup and reporting", kSetup, 1));
        setup->addStretch(1);
        top->addLayout(setup, 1);
        v->addLayout(top);
        addCloseAndHelp(v, "Exit");
        return 0;
    }

private:
    template <std::size_t N>
    QGroupBox *group(const char *title, const WorkButton (&buttons)[N], int columns)
    {
        auto *box = new QGroupBox(title);
        auto *g = new QGridLayout(box);
        for (std::size_t i = 0; i < N; ++i) {
            const WorkButton &b = buttons[i];
            auto *button = new QPushButton(b.text);
            button->setObjectName(b.text);
            button->setAutoDefault(false);
            if (*b.tip)
                button->setToolTip(b.tip);
            g->addWidget(button, static_cast<int>(i) / columns, static_cast<int>(i) % columns);
            const char *word = b.word;
            const char *target = b.starts;
            connect(button, &QPushButton::clicked, this, [word, target] {
                if (word) {
                    Glo.MenuSelect = word;
                    Glo.MenuCategory = word;
                }
                rt::runProcedure(target);
            });
        }
        return box;
    }
};

}  // namespace

void HomeInventoryMenu() { (new HomeMenu)->start(); }
