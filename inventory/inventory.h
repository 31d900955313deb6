// The master inventory: the home-inventory menu, the item browses and forms, the look-ups and
// the pickers.
#pragma once

// Registers every procedure of the master inventory by name.
void registerInventoryProcedures();
