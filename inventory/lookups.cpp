// The look-ups of heirs, vendors and manufacturers that the item forms call in select mode: the
// chosen row is left in the file's record buffer.
#include <QLineEdit>
#include <QPushButton>

#include "core/dictionary.h"
#include "core/globals.h"
#include "core/managers.h"
#include "inventory/inventory.h"
#include "runtime/browse_window.h"
#include "runtime/gui.h"

namespace {

const char *const kPhone = "@p(###) ###-####p";

enum class Kind { Heir, Vendor, Manufacturer };

class Lookup : public rt::BrowseWindow {
public:
    Lookup(Kind kind, int req)
        : rt::BrowseWindow(kind == Kind::Heir     ? "LookupHeir"
                           : kind == Kind::Vendor ? "LookupVendor"
                                                  : "LookupMfg",
                           kind == Kind::Heir     ? *Relate::Heirs
                           : kind == Kind::Vendor ? *Relate::Vendors
                                                  : *Relate::Manufacturers,
                           req),
          kind_(kind)
    {
        setWindowTitle(kind == Kind::Heir ? "Select Heir" : kind == Kind::Vendor ? "Select Vendor" : "Select Manufacturer");
        setHelpContext("~UPDATE_HOME_INVENTORY");
        setupWindow = [this] { return setup(); };
        if (kind == Kind::Vendor)
            connect(selectButton(), &QPushButton::clicked, this, [] { Glo.SelectionCancelled = 0; });
    }

    int init() override
    {
        if (kind_ == Kind::Vendor)
            Glo.SelectionCancelled = 1;
        int level = rt::BrowseWindow::init();
        // The heir look-up opens at the name the form handed over.
        if (level == 0 && kind_ == Kind::Heir && !HEI.NAME.blank())
            browse()->locate(HEI.NAME.str());
        return level;
    }

private:
    int setup()
    {
        rt::Browse *b = browse();
        switch (kind_) {
        case Kind::Heir: {
            const rt::TableDef &def = dict::HeirsDef;
            b->addColumn("Name", "NAME", "@s40", 24);
            b->addColumn("Address 1", "ADDRESS1", "@s40", 24);
            b->addColumn("Address 2", "ADDRESS2", "@s40", 24);
            b->addColumn("Relationship", "RELATIONSHIP", "@s25", 16);
            addTab("Name", addOrder({def.key("NAMEKEY"), {}, rt::LocatorKind::Key}));
            break;
        }
        case Kind::Vendor:
        case Kind::Manufacturer: {
            const bool vendor = kind_ == Kind::Vendor;
            const rt::TableDef &def = vendor ? dict::VendorsDef : dict::ManufacturersDef;
            const char *name = vendor ? "VENDOR" : "MANUFACTURER";
            b->addColumn(vendor ? "Vendor" : "Manufacturer", name, "@s20");
            b->addColumn("Address 1", "ADDRESS1", "@s40", 24);
            b->addColumn("Address 2", "ADDRESS2", "@s40", 24);
            b->addColumn("Phone", "PHONE", kPhone, 14);
            b->addColumn("Contact", "CONTACT", "@s30", 18);
            int order = addOrder({def.key(vendor ? "VENDORKEY" : "MANUFACTURERKEY"), {}, rt::LocatorKind::Text});
            QLineEdit *locator = addTab(vendor ? "Vendor" : "Manufacturer", order);
            locator->setMaxLength(20);
            locator->setToolTip(vendor ? "Vendor name" : "Manufacturer of the item");
            break;
        }
        }
        resize(820, 420);
        return 0;
    }

    Kind kind_;
};

int runLookup(Kind kind)
{
    Lookup w(kind, rt::takeRequest());
    return w.run();
}

}  // namespace

void LookupHeir() { rt::setResponse(runLookup(Kind::Heir)); }
void LookupVendor() { rt::setResponse(runLookup(Kind::Vendor)); }
void LookupMfg() { rt::setResponse(runLookup(Kind::Manufacturer)); }
