// "Home Inventory Reports Menu": one button per report of the table that the program offers. A
// report of a portrait and a wide layout is chosen by the report format in force, looked at
// afresh at every press (the professional program's settings record is read when the menu
// opens; the client program has none and opens no file); a report runs to its end before the
// menu takes the next press.
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "model/edition.h"
#include "reports/report_table.h"
#include "reports/reports.h"
#include "runtime/gui.h"
#include "runtime/window.h"

namespace reports {

namespace {

// What the menu is in each program: its help page, and whether it reads the settings record
// when it opens (the client program keeps none).
struct MenuOfProgram {
    model::Program program;
    const char *help;
    bool readsSettings;
};
constexpr MenuOfProgram kMenus[] = {
    {model::Program::Professional, "~SELECT_A_HOME_INVENTORY_REPORT", true},
    {model::Program::Client, "~REPORTS", false},
};

const MenuOfProgram &menuOfProgram()
{
    const model::Program program = model::edition().program;
    return *std::find_if(std::begin(kMenus), std::end(kMenus),
                         [program](const MenuOfProgram &m) { return m.program == program; });
}

class ReportsMenuWindow : public rt::WindowProcedure {
public:
    ReportsMenuWindow() : rt::WindowProcedure(report(Report::ReportsMenu).portrait)
    {
        setWindowTitle("Home Inventory Reports Menu");
        setHelpContext(menuOfProgram().help);
    }

    int init() override
    {
        request = rt::takeRequest();
        rt::setResponse(0);
        if (menuOfProgram().readsSettings) {
            if (int level = openFiles({Relate::MainSystemFile}))
                return level;
            rt::clearRecord(dict::MainSystemFileDef, &MSY);
            if (Access::MainSystemFile->useFile() == 0) {
                MainSystemFile.setFileOrder();
                MainSystemFile.next();
            }
        }

        auto *v = new QVBoxLayout(this);
        v->addWidget(new QLabel("Select the home inventory report you wish to print", this));
        auto *grid = new QGridLayout;
        int i = 0;
        const model::Program program = model::edition().program;
        for (const ReportEntry &e : reportTable()) {
            if (!e.button || !e.offered(program))
                continue;
            auto *button = new QPushButton(e.button, this);
            button->setObjectName(e.button);
            button->setToolTip(e.tip);
            button->setStatusTip(e.tip);
            button->setAutoDefault(false);
            grid->addWidget(button, i / 2, i % 2);
            ++i;
            // A browse may have left a preset choice: the menu's reports always ask. The
            // options windows open beside the menu, which stays usable.
            connect(button, &QPushButton::clicked, this, [&e] { runEntry(e); });
        }
        v->addLayout(grid);
        addCloseAndHelp(v, "Exit", true);
        return 0;
    }
};

}  // namespace

}  // namespace reports

void ReportsMenu() { (new reports::ReportsMenuWindow)->start(); }
