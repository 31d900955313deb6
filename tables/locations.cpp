#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "reports/report_table.h"
#include "runtime/gui.h"
#include "tables/maintenance.h"
#include "tables/tables.h"

namespace {

const rt::BrowseSetup kLocationBrowse{
    .procedure = "BrowseLocation",
    .caption = "Browse the Location File",
    .help = "~LOCATION",
    .orders = {{"Location", "LOCATIONKEY", rt::LocatorKind::Step, "LOCATION"}},
    .columns = {{"Location", "LOCATION", "@s20", 74}, {"Description of the location", "DESCRIPTION", "@s60", 80}},
    .printText = "Print Location && Box",
    .printTip = "Print a list of all locations and box numbers",
    .printReport = [] { reports::startReport(reports::Report::LocationBoxList); },
    .prepare = tables::seedsBefore(seeding::Point::Locations),
    .update = tables::updateBy(UpdateLocation),
};

const rt::FormSetup kLocationForm{
    .procedure = "UpdateLocation",
    .resourceCaption = "Update the Location File",
    .help = "~LOCATION",
    .insertCaption = "Adding a location record",
    .changeCaption = "Changing a location record",
    .entries = {{"Location:", "LOCATION", "@s20", "Location of item"},
                {"Description of the location:", "DESCRIPTION", "@s60", "Description of the location"}},
};

const tables::ChildList kBoxes{
    .tab = "Box Number",
    .key = "BOXKEY",
    .linkField = "LOCATION",
    .locatorField = "BOXNUMBER",
    .columns = {{"Location", "LOCATION", "@s20", 74},
                {"Box Number", "BOXNUMBER", "@s20", 73},
                {"Description", "DESCRIPTION", "@s60", 80}},
    .form = UpdateBoxNumber,
};

const rt::FormSetup kBoxForm{
    .procedure = "UpdateBoxNumber",
    .resourceCaption = "Update the BoxNumber File",
    .help = "~LOCATION",
    .insertCaption = "Adding a Box Number Record",
    .changeCaption = "Changing a Box Number Record",
    .entries = {{"Location:", "LOCATION", "@s20", "Location of item", true},
                {"Box Number:", "BOXNUMBER", "@s20", "Box number"},
                {"Description:", "DESCRIPTION", "@s60", "Description of box contents or location"}},
};

}  // namespace

void BrowseLocation() { tables::startBrowse(kLocationBrowse, *Relate::Location); }

void UpdateLocation()
{
    const int req = rt::takeRequest();
    tables::ParentForm form(kLocationForm, *Relate::Location, *Access::BoxNumber, req, kBoxes, LCT.LOCATION);
    rt::setResponse(form.run());
}

// A new box belongs to the location whose form is open.
void UpdateBoxNumber()
{
    tables::runForm(kBoxForm, *Relate::BoxNumber, [] { BOX.LOCATION = LCT.LOCATION; });
}
