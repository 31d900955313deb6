// The shared look-up tables of the item forms: conditions, manufacturers, vendors and subjects.
#include "core/dictionary.h"
#include "core/managers.h"
#include "tables/maintenance.h"
#include "tables/tables.h"

namespace {

const char *const kPhone = "@p(###) ###-####p";

const tables::BrowseSetup kConditionsBrowse{
    .procedure = "BrowseConditions",
    .caption = "Browse the Conditions File",
    .help = "~CONDITIONS",
    .key = "DISPLAYKEY",
    .tab = "Display Order",
    .locator = rt::LocatorKind::Step,
    .locatorField = "DISPLAYORDER",
    .columns = {{"Display Order", "DISPLAYORDER", "@n2", 56}, {"Condition", "CONDITION", "@s10", 44}},
    .seeds = true,
    .point = seeding::Point::Conditions,
    .form = UpdateConditions,
};

const tables::FormSetup kConditionsForm{
    .procedure = "UpdateConditions",
    .resourceCaption = "Update the Conditions File",
    .help = "~CONDITIONS",
    .insertCaption = "Adding a Conditions Record",
    .changeCaption = "Changing a Conditions Record",
    .entries = {{"Display Order:", "DISPLAYORDER", "@n2", "Display order in lookup file"},
                {"Condition:", "CONDITION", "@s10", "Condition"}},
};

const tables::BrowseSetup kManufacturersBrowse{
    .procedure = "BrowseManufacturers",
    .caption = "Browse the Manufacturers File",
    .help = "~MANUFACTURERS",
    .key = "MANUFACTURERKEY",
    .tab = "Manufacturer",
    .locator = rt::LocatorKind::Text,
    .locatorField = "MANUFACTURER",
    .locatorTip = "Manufacturer of the item",
    .locatorWidth = 20,
    .columns = {{"Manufacturer", "MANUFACTURER", "@s20", 73},
                {"Address 1", "ADDRESS1", "@s40", 80},
                {"Address 2", "ADDRESS2", "@s40", 80},
                {"Phone", "PHONE", kPhone, 52},
                {"Contact", "CONTACT", "@s30", 80}},
    .printText = "Print Manufacturers List",
    .printTip = "Print a list of all the manufacturers",
    .printProcedure = "PrintManufacturerList",
    .seeds = true,
    .point = seeding::Point::Manufacturers,
    .waitCursor = true,
    .form = UpdateManufacturers,
};

const tables::FormSetup kManufacturersForm{
    .procedure = "UpdateManufacturers",
    .resourceCaption = "Update the Manufacturers File",
    .help = "~MANUFACTURERS",
    .insertCaption = "Adding a Manufacturers Record",
    .changeCaption = "Changing a Manufacturers Record",
    .entries = {{"Manufacturer:", "MANUFACTURER", "@s20", "Manufacturer of the item"},
                {"Address 1:", "ADDRESS1", "@s40", "Address line 1"},
                {"Address 2:", "ADDRESS2", "@s40", "Address line 2"},
                {"Phone:", "PHONE", kPhone, "Phone number of manufacturer"},
                {"Contact:", "CONTACT", "@s30", "Contact person at manufacturer"}},
};

const tables::BrowseSetup kVendorsBrowse{
    .procedure = "BrowseVendors",
    .caption = "Browse the Vendors File",
    .help = "~VENDORS",
    .key = "VENDORKEY",
    .tab = "Vendor",
    .locator = rt::LocatorKind::Text,
    .locatorField = "VENDOR",
    .locatorTip = "Vendor name",
    .locatorWidth = 20,
    .columns = {{"Vendor", "VENDOR", "@s20", 80},
                {"Address 1", "ADDRESS1", "@s40", 80},
                {"Address 2", "ADDRESS2", "@s40", 80},
                {"Phone", "PHONE", kPhone, 64},
                {"Contact", "CONTACT", "@s30", 80}},
    .printText = "Print Vendor List",
    .printTip = "Print a list of all vendors",
    .printProcedure = "PrintVendorList",
    .seeds = true,
    .point = seeding::Point::Vendors,
    .waitCursor = true,
    .form = UpdateVendors,
};

const tables::FormSetup kVendorsForm{
    .procedure = "UpdateVendors",
    .resourceCaption = "Update the Vendors File",
    .help = "~VENDORS",
    .insertCaption = "Adding a Vendors Record",
    .changeCaption = "Changing a Vendors Record",
    .entries = {{"Vendor:", "VENDOR", "@s20", "Vendor name"},
                {"Address 1:", "ADDRESS1", "@s40", "Address line 1"},
                {"Address 2:", "ADDRESS2", "@s40", "Address line 2"},
                {"Phone:", "PHONE", kPhone, "Phone number of vendor"},
                {"Contact:", "CONTACT", "@s30", "Contact person at vendor"}},
};

// Subjects are added at program start only; their browse seeds nothing.
const tables::BrowseSetup kSubjectsBrowse{
    .procedure = "BrowseSubjects",
    .caption = "Browse the Subject File",
    .help = "~SUBJECTS",
    .key = "SUBJECTKEY",
    .tab = "Book/Album/Movie Subject",
    .locator = rt::LocatorKind::Text,
    .locatorField = "SUBJECT",
    .locatorTip = "Subject of the book/album/movie",
    .locatorWidth = 30,
    .columns = {{"Subject", "SUBJECT", "@s30", 80}},
    .form = UpdateQORSubject,
};

const tables::FormSetup kSubjectForm{
    .procedure = "UpdateQORSubject",
    .resourceCaption = "Update the QORSubject File",
    .help = "~SUBJECTS",
    .insertCaption = "Adding a Subject Record",
    .changeCaption = "Changing a Subject Record",
    .entries = {{"Subject:", "SUBJECT", "@s30", "Subject of the book/album/movie"}},
};

}  // namespace

void BrowseConditions() { tables::startBrowse(kConditionsBrowse, *Relate::Conditions); }
void UpdateConditions() { tables::runForm(kConditionsForm, *Relate::Conditions); }
void BrowseManufacturers() { tables::startBrowse(kManufacturersBrowse, *Relate::Manufacturers); }
void UpdateManufacturers() { tables::runForm(kManufacturersForm, *Relate::Manufacturers); }
void BrowseVendors() { tables::startBrowse(kVendorsBrowse, *Relate::Vendors); }
void UpdateVendors() { tables::runForm(kVendorsForm, *Relate::Vendors); }
void BrowseSubjects() { tables::startBrowse(kSubjectsBrowse, *Relate::QORSubject); }
void UpdateQORSubject() { tables::runForm(kSubjectForm, *Relate::QORSubject); }
