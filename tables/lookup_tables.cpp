// The shared look-up tables of the item forms: conditions, manufacturers, vendors and subjects.
#include "model/dictionary.h"
#include "model/managers.h"
#include "reports/report_table.h"
#include "tables/columns.h"
#include "tables/maintenance.h"
#include "tables/tables.h"

namespace {

const rt::BrowseSetup kConditionsBrowse{
    .procedure = "BrowseConditions",
    .caption = "Browse the Conditions File",
    .help = "~CONDITIONS",
    .orders = {{"Display Order", "DISPLAYKEY", rt::LocatorKind::Step, "DISPLAYORDER"}},
    .columns = {{"Display Order", "DISPLAYORDER", "@n2", 56}, {"Condition", "CONDITION", "@s10", 44}},
    .prepare = tables::seedsBefore(seeding::Point::Conditions),
    .update = tables::updateBy(UpdateConditions),
};

const rt::FormSetup kConditionsForm{
    .procedure = "UpdateConditions",
    .resourceCaption = "Update the Conditions File",
    .help = "~CONDITIONS",
    .insertCaption = "Adding a Conditions Record",
    .changeCaption = "Changing a Conditions Record",
    .entries = {{"Display Order:", "DISPLAYORDER", "@n2", "Display order in lookup file"},
                {"Condition:", "CONDITION", "@s10", "Condition"}},
};

const rt::BrowseSetup kManufacturersBrowse{
    .procedure = "BrowseManufacturers",
    .caption = "Browse the Manufacturers File",
    .help = "~MANUFACTURERS",
    .orders = {{"Manufacturer", "MANUFACTURERKEY", rt::LocatorKind::Text, "MANUFACTURER", "Manufacturer of the item", 20}},
    .columns = tables::columns::manufacturers,
    .printText = "Print Manufacturers List",
    .printTip = "Print a list of all the manufacturers",
    .printReport = [] { reports::startReport(reports::Report::ManufacturerList); },
    .prepare = tables::seedsBefore(seeding::Point::Manufacturers, true),
    .update = tables::updateBy(UpdateManufacturers),
};

const rt::FormSetup kManufacturersForm{
    .procedure = "UpdateManufacturers",
    .resourceCaption = "Update the Manufacturers File",
    .help = "~MANUFACTURERS",
    .insertCaption = "Adding a Manufacturers Record",
    .changeCaption = "Changing a Manufacturers Record",
    .entries = {{"Manufacturer:", "MANUFACTURER", "@s20", "Manufacturer of the item"},
                {"Address 1:", "ADDRESS1", "@s40", "Address line 1"},
                {"Address 2:", "ADDRESS2", "@s40", "Address line 2"},
                {"Phone:", "PHONE", rt::PhonePicture, "Phone number of manufacturer"},
                {"Contact:", "CONTACT", "@s30", "Contact person at manufacturer"}},
};

const rt::BrowseSetup kVendorsBrowse{
    .procedure = "BrowseVendors",
    .caption = "Browse the Vendors File",
    .help = "~VENDORS",
    .orders = {{"Vendor", "VENDORKEY", rt::LocatorKind::Text, "VENDOR", "Vendor name", 20}},
    .columns = tables::columns::vendors,
    .printText = "Print Vendor List",
    .printTip = "Print a list of all vendors",
    .printReport = [] { reports::startReport(reports::Report::VendorList); },
    .prepare = tables::seedsBefore(seeding::Point::Vendors, true),
    .update = tables::updateBy(UpdateVendors),
};

const rt::FormSetup kVendorsForm{
    .procedure = "UpdateVendors",
    .resourceCaption = "Update the Vendors File",
    .help = "~VENDORS",
    .insertCaption = "Adding a Vendors Record",
    .changeCaption = "Changing a Vendors Record",
    .entries = {{"Vendor:", "VENDOR", "@s20", "Vendor name"},
                {"Address 1:", "ADDRESS1", "@s40", "Address line 1"},
                {"Address 2:", "ADDRESS2", "@s40", "Address line 2"},
                {"Phone:", "PHONE", rt::PhonePicture, "Phone number of vendor"},
                {"Contact:", "CONTACT", "@s30", "Contact person at vendor"}},
};

// Subjects are added at program start only; their browse seeds nothing.
const rt::BrowseSetup kSubjectsBrowse{
    .procedure = "BrowseSubjects",
    .caption = "Browse the Subject File",
    .help = "~SUBJECTS",
    .orders = {{"Book/Album/Movie Subject", "SUBJECTKEY", rt::LocatorKind::Text, "SUBJECT", "Subject of the book/album/movie", 30}},
    .columns = {{"Subject", "SUBJECT", "@s30", 80}},
    .update = tables::updateBy(UpdateQORSubject),
};

const rt::FormSetup kSubjectForm{
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
