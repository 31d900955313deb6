// The heirs of the active client and the titles of the client's four user-defined item fields.
#include "core/dictionary.h"
#include "core/file_errors.h"
#include "core/globals.h"
#include "core/managers.h"
#include "runtime/errors.h"
#include "runtime/file_manager.h"
#include "runtime/gui.h"
#include "runtime/message.h"
#include "tables/default_rows.h"
#include "tables/maintenance.h"
#include "tables/tables.h"

namespace {

const tables::BrowseSetup kHeirsBrowse{
    .procedure = "BrowseHeirs",
    .caption = "Browse the Heirs File",
    .help = "~HEIRS",
    .key = "NAMEKEY",
    .tab = "Name",
    .locator = rt::LocatorKind::Step,
    .locatorField = "NAME",
    .columns = {{"Name", "NAME", "@s40", 80},
                {"Address 1", "ADDRESS1", "@s40", 80},
                {"Address 2", "ADDRESS2", "@s40", 80},
                {"Relationship", "RELATIONSHIP", "@s25", 80}},
    .form = UpdateHeirs,
};

const tables::FormSetup kHeirsForm{
    .procedure = "UpdateHeirs",
    .resourceCaption = "Update the Heirs File",
    .help = "~HEIRS",
    .insertCaption = "Adding a Heirs Record",
    .changeCaption = "Changing a Heirs Record",
    .entries = {{"Name:", "NAME", "@s40", "Name of heir"},
                {"Address 1:", "ADDRESS1", "@s40", "Address line 1"},
                {"Address 2:", "ADDRESS2", "@s40", "Address line 2"},
                {"Relationship:", "RELATIONSHIP", "@s25", "Relationship"}},
};

const tables::FormSetup kUserFieldsForm{
    .procedure = "UpdateUserFields",
    .resourceCaption = "Update the UserFields File",
    .help = "~USER_FIELDS",
    .insertCaption = "Record Will Be Added",
    .changeCaption = "Record Will Be Changed",
    .entries = {{"Title User Field   1:", "TITLEUSERFIELD1", "@s20", "Title for user field 1"},
                {"Title User Field   2:", "TITLEUSERFIELD2", "@s20", "Title for user field 2"},
                {"Title User Field   3:", "TITLEUSERFIELD3", "@s20", "Title for user field 3"},
                {"Title User Field   4:", "TITLEUSERFIELD4", "@s20", "Title for user field 4"}},
    .text = "Enter the titles that you wish to appear in the user defined fields",
};

// The titles record is the file's first record; a client without one gets the default titles
// at once, whether or not the form is then completed.
int readTitles()
{
    rt::FileManager &fm = *Access::UserFields;
    rt::clearRecord(dict::UserFieldsDef, &USF);
    int rc = fm.useFile() == 0 ? ::UserFields.setFileOrder() : rt::errorCode();
    if (rc == 0)
        rc = ::UserFields.next();
    if (rc == 0)
        return 0;
    if (rc != rt::err::NoRecord) {
        rt::beep();
        StandardFileError(35, dict::UserFieldsDef.label);
        return rt::LevelNotify;
    }
    auto titles = defaults::userFieldTitles();
    USF.TITLEUSERFIELD1 = titles[0];
    USF.TITLEUSERFIELD2 = titles[1];
    USF.TITLEUSERFIELD3 = titles[2];
    USF.TITLEUSERFIELD4 = titles[3];
    return fm.insert();
}

// Edits the one record without a browse: OK writes it back, and a write that fails is reported
// with the form left open on the typed titles.
class UserFieldsForm : public tables::MaintenanceForm {
public:
    explicit UserFieldsForm(int req) : MaintenanceForm(kUserFieldsForm, *Relate::UserFields, req)
    {
        if (req != rt::InsertRecord && req != rt::ChangeRecord)
            setCaptions("Update The User's Field Titles", "Update The User's Field Titles");
        preflight = [] { return readTitles(); };
    }
};

}  // namespace

void BrowseHeirs() { tables::startBrowse(kHeirsBrowse, *Relate::Heirs); }
void UpdateHeirs() { tables::runForm(kHeirsForm, *Relate::Heirs); }

void UpdateUserFields()
{
    (new UserFieldsForm(rt::takeRequest()))->start();
}
