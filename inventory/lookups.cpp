// The look-ups of heirs, vendors and manufacturers that the item forms call in select mode: the
// chosen row is left in the file's record buffer.
#include <QPushButton>

#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "inventory/inventory.h"
#include "runtime/gui.h"
#include "tables/columns.h"

namespace {

const rt::BrowseSetup kHeirLookup{
    .procedure = "LookupHeir",
    .caption = "Select Heir",
    .help = "~UPDATE_HOME_INVENTORY",
    .orders = {{"Name", "NAMEKEY", rt::LocatorKind::Key}},
    .columns = tables::columns::heirs,
    .height = 420,
};

const rt::BrowseSetup kVendorLookup{
    .procedure = "LookupVendor",
    .caption = "Select Vendor",
    .help = "~UPDATE_HOME_INVENTORY",
    .orders = {{"Vendor", "VENDORKEY", rt::LocatorKind::Text, nullptr, "Vendor name", 20}},
    .columns = tables::columns::vendors,
    .height = 420,
};

const rt::BrowseSetup kManufacturerLookup{
    .procedure = "LookupMfg",
    .caption = "Select Manufacturer",
    .help = "~UPDATE_HOME_INVENTORY",
    .orders = {{"Manufacturer", "MANUFACTURERKEY", rt::LocatorKind::Text, nullptr, "Manufacturer of the item", 20}},
    .columns = tables::columns::manufacturers,
    .height = 420,
};

int runLookup(const rt::BrowseSetup &setup, rt::RelationManager &file,
              const std::function<void(rt::SetupBrowse &)> &adapt = {})
{
    rt::SetupBrowse w(setup, file, rt::takeRequest());
    if (adapt)
        adapt(w);
    return w.run();
}

}  // namespace

void LookupHeir()
{
    // The heir look-up opens at the name the form handed over.
    const std::string name = HEI.NAME.str();
    rt::setResponse(runLookup(kHeirLookup, *Relate::Heirs, [name](rt::SetupBrowse &w) {
        w.afterOpen = [&w, name] {
            if (!name.empty())
                w.browse()->locate(name);
        };
    }));
}

void LookupVendor()
{
    // Only Select clears the cancel flag the item form reads.
    Glo.SelectionCancelled = 1;
    rt::setResponse(runLookup(kVendorLookup, *Relate::Vendors, [](rt::SetupBrowse &w) {
        QObject::connect(w.selectButton(), &QPushButton::clicked, &w, [] { Glo.SelectionCancelled = 0; });
    }));
}

void LookupMfg() { rt::setResponse(runLookup(kManufacturerLookup, *Relate::Manufacturers)); }
