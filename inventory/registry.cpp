#include "inventory/inventory.h"

void registerInventoryProcedures() {}
