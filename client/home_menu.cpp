// The client's home-inventory menu: the professional program's buttons by category, by room and
// for the whole inventory, with the reports menu as its only setup button.
#include "client/client.h"
#include "inventory/home_menu.h"
#include "reports/report_table.h"

namespace client {

void HomeInventoryMenu()
{
    static const inventory::HomeMenuProgram program{
        .help = "~HOME_INVENTORY",
        .selectCategoryIcon = true,
        .heldBy = "Garage",
        .entireBesideSetup = true,
        .setup = {{"Standard Reports", "Home Inventory reports",
                   [] { reports::startReport(reports::Report::ReportsMenu); }}},
    };
    inventory::openHomeMenu(program);
}

}  // namespace client
