// The client's home-inventory menu: one button per standard category and two rooms, the pickers
// of any category or location, the browse of all items and the reports menu.
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "client/client.h"
#include "model/globals.h"
#include "reports/report_table.h"
#include "runtime/gui.h"
#include "runtime/window.h"

namespace client {

namespace {

struct WorkButton {
    const char *text;  // empty: an icon button, named by its tip
    const char *tip;
    const char *word;  // stored for the browse; nullptr for the buttons that store nothing
    const char *starts;
    bool holdsMenu = false;  // the menu takes nothing until the browse it opened has closed
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
    {"", "Select Category", nullptr, "SelectCategory"},
};
const WorkButton kLibraries[] = {
    {"Audio", "Work in the audio category", "Audio", kCategoryBrowse},
    {"Book", "Work in the book category", "Book", kCategoryBrowse},
    {"Video", "Work in the video category", "Video", kCategoryBrowse},
};
const WorkButton kLocations[] = {
    {"Cellar", "Cellar inventory", "Cellar", kLocationBrowse},
    {"Garage", "Garage inventory", "Garage", kLocationBrowse, true},
    {"Select Location", "Select a specific location to work in", nullptr, "SelectLocation"},
};
const WorkButton kEntire[] = {
    {"Home Inventory", "Show all inventory items", nullptr, "BrowseOrvaneMaster"},
};
const WorkButton kSetup[] = {
    {"Standard Reports", "Home Inventory reports", nullptr, reports::report(reports::Report::ReportsMenu).portrait},
};

class HomeMenu : public rt::WindowProcedure {
public:
    HomeMenu() : rt::WindowProcedure("HomeInventoryMenu")
    {
        setWindowTitle("Home Inventory Main Menu");
        setHelpContext("~HOME_INVENTORY");
    }

    int init() override
    {
        rt::takeRequest();
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
        right->addStretch(1);
        top->addLayout(right, 1);
        auto *third = new QVBoxLayout;
        third->addWidget(group("Entire database", kEntire, 1));
        third->addWidget(group("Setup and reporting", kSetup, 1));
        third->addStretch(1);
        top->addLayout(third, 1);
        v->addLayout(top);
        addCloseAndHelp(v, "Exit");
        return 0;
    }

private:
    // The browse this menu opened (the started window that was not there before) keeps the menu
    // from taking any input while it is open.
    void holdUntilClosed(const QList<rt::WindowProcedure *> &before)
    {
        for (rt::WindowProcedure *w : rt::startedWindows())
            if (!before.contains(w)) {
                setEnabled(false);
                connect(w, &rt::WindowProcedure::procedureEnded, this, [this] { setEnabled(true); });
                connect(w, &QObject::destroyed, this, [this] { setEnabled(true); });
                return;
            }
    }

    template <std::size_t N>
    QGroupBox *group(const char *title, const WorkButton (&buttons)[N], int columns)
    {
        auto *box = new QGroupBox(title);
        auto *g = new QGridLayout(box);
        for (std::size_t i = 0; i < N; ++i) {
            const WorkButton &b = buttons[i];
            auto *button = new QPushButton(b.text);
            button->setObjectName(*b.text ? b.text : b.tip);
            button->setAutoDefault(false);
            if (!*b.text)
                button->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
            button->setToolTip(b.tip);
            g->addWidget(button, static_cast<int>(i) / columns, static_cast<int>(i) % columns);
            const char *word = b.word;
            const char *target = b.starts;
            const bool holds = b.holdsMenu;
            connect(button, &QPushButton::clicked, this, [this, word, target, holds] {
                if (word) {
                    Glo.MenuSelect = word;
                    Glo.MenuCategory = word;
                }
                const QList<rt::WindowProcedure *> before = rt::startedWindows();
                rt::runProcedure(target);
                if (holds)
                    holdUntilClosed(before);
            });
        }
        return box;
    }
};

}  // namespace

void HomeInventoryMenu() { (new HomeMenu)->start(); }

}  // namespace client
