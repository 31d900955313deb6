// The master inventory: the home-inventory menu, the item browses and forms, the look-ups and
// the pickers.
#pragma once

// Registers every procedure of the master inventory by name.
void registerInventoryProcedures();

// The procedures, reached by name through the registry.
void HomeInventoryMenu();
void BrowseOrvaneMaster();
void BrowseOrvaneMasterSpec();
void BrowseOrvaneMasterLocation();
void UpdateMasterInventory();
void UpdateMasterInventorySpec();
void UpdateMasterInventoryLocation();
void LookupHeir();
void LookupVendor();
void LookupMfg();
void GetCategory();
void GetLocation();
// "Select Location and Box": the location and box of a packing list.
void GetLocationBox();
void SelectCategory();
void SelectLocation();
