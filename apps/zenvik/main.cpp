// zenvik, the professional edition.
#include <QApplication>
#include <cstdlib>

#include "core/previewer_binding.h"
#include "core/procedures.h"
#include "core/report_output.h"
#include "core/program.h"
#include "inventory/inventory.h"
#include "reports/reports.h"
#include "tables/tables.h"
#include "runtime/gui.h"
#include "runtime/message.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("zenvik");
    QApplication::setQuitOnLastWindowClosed(false);
    rt::installMessageBoxes();
    // A halt has closed every record file already; it shows its text and ends with status 1.
    rt::setHaltHandler([](const std::string &text) {
        if (!text.empty())
            rt::message(text, "zenvik", rt::Icon::Hand);
        std::exit(1);
    });
    // Bound as the program loads, before the program procedure runs; without it the program
    // still starts, and only the reports go without.
    bindPreviewer();
    useBoundPreviewer();
    addProcedureModule(registerTableProcedures);
    addProcedureModule(registerInventoryProcedures);
    addProcedureModule(registerReportProcedures);
    ProgramMain();
    return 0;
}
