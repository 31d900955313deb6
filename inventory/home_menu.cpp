// The home-inventory menu: the buttons through which the user works on the inventory by
// category, by room, as a whole, and reaches the forms, reports and setup.
#include "inventory/home_menu.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "inventory/inventory.h"
#include "model/globals.h"
#include "reports/report_table.h"
#include "runtime/gui.h"
#include "runtime/window.h"

namespace inventory {

namespace {

struct WorkButton {
    const char *text;  // empty: an icon button, named by its tip
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
};
const WorkButton kSelectCategory = {"Select Category", "", nullptr, "SelectCategory"};
const WorkButton kSelectCategoryIcon = {"", "Select Category", nullptr, "SelectCategory"};
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

class HomeMenu : public rt::WindowProcedure {
public:
    explicit HomeMenu(const HomeMenuProgram &program) : rt::WindowProcedure("HomeInventoryMenu"), program_(program)
    {
        setWindowTitle("Home Inventory Main Menu");
        setHelpContext(program_.help);
        if (program_.answersCaller)
            connect(this, &rt::WindowProcedure::procedureEnded, this,
                    [](int response) { rt::setResponse(response); });
    }

    int init() override
    {
        rt::takeRequest();
        if (program_.beforeShow)
            program_.beforeShow();

        auto *v = new QVBoxLayout(this);
        auto *heading = new QLabel("Please select the area you would like to work in");
        QFont f = heading->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.2);
        heading->setFont(f);
        v->addWidget(heading);
        auto *top = new QHBoxLayout;
        std::vector<WorkButton> categories(std::begin(kCategories), std::end(kCategories));
        categories.push_back(program_.selectCategoryIcon ? kSelectCategoryIcon : kSelectCategory);
        top->addWidget(group("Work in a specific category", categories, 2), 2);
        auto *right = new QVBoxLayout;
        right->addWidget(group("Libraries", {std::begin(kLibraries), std::end(kLibraries)}, 1));
        right->addWidget(group("Work in a specific location", {std::begin(kLocations), std::end(kLocations)}, 1));
        auto *third = new QVBoxLayout;
        (program_.entireBesideSetup ? third : right)
            ->addWidget(group("Entire database", {std::begin(kEntire), std::end(kEntire)}, 1));
        right->addStretch(1);
        top->addLayout(right, 1);
        third->addWidget(setupGroup());
        third->addStretch(1);
        top->addLayout(third, 1);
        v->addLayout(top);
        addCloseAndHelp(v, "Exit");
        return 0;
    }

private:
    QPushButton *button(QGridLayout *g, int i, int columns, const char *text, const char *tip)
    {
        auto *b = new QPushButton(text);
        b->setObjectName(*text ? text : tip);
        b->setAutoDefault(false);
        if (!*text)
            b->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
        if (*tip)
            b->setToolTip(tip);
        g->addWidget(b, i / columns, i % columns);
        return b;
    }

    QGroupBox *group(const char *title, const std::vector<WorkButton> &buttons, int columns)
    {
        auto *box = new QGroupBox(title);
        auto *g = new QGridLayout(box);
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            const WorkButton &b = buttons[i];
            QPushButton *pressed = button(g, static_cast<int>(i), columns, b.text, b.tip);
            const char *word = b.word;
            const char *target = b.starts;
            const bool holds = program_.heldBy && std::string_view(b.text) == program_.heldBy;
            connect(pressed, &QPushButton::clicked, this, [this, word, target, holds] {
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

    QGroupBox *setupGroup()
    {
        auto *box = new QGroupBox("Setup and reporting");
        auto *g = new QGridLayout(box);
        for (std::size_t i = 0; i < program_.setup.size(); ++i) {
            const HomeMenuButton &b = program_.setup[i];
            connect(button(g, static_cast<int>(i), 1, b.text, b.tip), &QPushButton::clicked, this, b.starts);
        }
        return box;
    }

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

    const HomeMenuProgram &program_;
};

}  // namespace

void openHomeMenu(const HomeMenuProgram &program) { (new HomeMenu(program))->start(); }

}  // namespace inventory

void HomeInventoryMenu()
{
    using reports::Report;
    auto report = [](Report id) { return [id] { reports::startReport(id); }; };
    static const inventory::HomeMenuProgram professional{
        .help = "~MAINTAIN_A_CLIENT_INVENTORY",
        // A new client gets its default rooms and user-field titles before the menu shows.
        .beforeShow = [] { rt::runProcedure("VerifyLocationFiles"); },
        .answersCaller = true,
        .setup = {{"Data Forms", "Print data input forms", report(Report::DataFormsOptions)},
                  {"Standard Reports", "Home Inventory reports", report(Report::ReportsMenu)},
                  {"Client Setup", "Setup home inventory", [] { rt::runProcedure("SetupMenu"); }},
                  {"Custom Reports", "Design and print custom reports", report(Report::CustomReportOptions)}},
    };
    inventory::openHomeMenu(professional);
}
