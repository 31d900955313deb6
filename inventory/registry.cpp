#include "model/globals.h"
#include "inventory/browses.h"
#include "inventory/inventory.h"
#include "inventory/item_form.h"
#include "runtime/gui.h"

using inventory::Variant;

// Started browses read the word their starter left in the shared global once, as they open.
void BrowseOrvaneMaster() { inventory::openInventoryBrowse(Variant::All, std::string()); }
void BrowseOrvaneMasterSpec() { inventory::openInventoryBrowse(Variant::Category, Glo.MenuSelect.str()); }
void BrowseOrvaneMasterLocation() { inventory::openInventoryBrowse(Variant::Location, Glo.MenuSelect.str()); }

namespace {
void itemFormByName(Variant variant)
{
    rt::setResponse(inventory::runItemForm(variant, Glo.MenuCategory.str(), rt::takeRequest()));
}
}  // namespace

void UpdateMasterInventory() { itemFormByName(Variant::All); }
void UpdateMasterInventorySpec() { itemFormByName(Variant::Category); }
void UpdateMasterInventoryLocation() { itemFormByName(Variant::Location); }

void registerInventoryProcedures()
{
    rt::registerProcedure("HomeInventoryMenu", HomeInventoryMenu);
    rt::registerProcedure("BrowseOrvaneMaster", BrowseOrvaneMaster);
    rt::registerProcedure("BrowseOrvaneMasterSpec", BrowseOrvaneMasterSpec);
    rt::registerProcedure("BrowseOrvaneMasterLocation", BrowseOrvaneMasterLocation);
    rt::registerProcedure("UpdateMasterInventory", UpdateMasterInventory);
    rt::registerProcedure("UpdateMasterInventorySpec", UpdateMasterInventorySpec);
    rt::registerProcedure("UpdateMasterInventoryLocation", UpdateMasterInventoryLocation);
    rt::registerProcedure("LookupHeir", LookupHeir);
    rt::registerProcedure("LookupVendor", LookupVendor);
    rt::registerProcedure("LookupMfg", LookupMfg);
    rt::registerProcedure("GetCategory", GetCategory);
    rt::registerProcedure("GetLocation", GetLocation);
    rt::registerProcedure("GetLocationBox", GetLocationBox);
    rt::registerProcedure("SelectCategory", SelectCategory);
    rt::registerProcedure("SelectLocation", SelectLocation);
}
