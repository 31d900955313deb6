// The heirs of the active client and the titles of the client's four user-defined item fields.
#include "model/dictionary.h"
#include "model/file_errors.h"
#include "model/globals.h"
#include "model/managers.h"
#include "model/user_fields.h"
#include "runtime/errors.h"
#include "runtime/file_manager.h"
#include "runtime/gui.h"
#include "runtime/message.h"
#include "tables/columns.h"
#include "tables/maintenance.h"
#include "tables/tables.h"

namespace {

const rt::BrowseSetup kHeirsBrowse{
    .procedure = "BrowseHeirs",
    .caption = "Browse the Heirs File",
    .help = "~HEIRS",
    .orders = {{"Name", "NAMEKEY", rt::LocatorKind::Step, "NAME"}},
    .columns = tables::columns::heirs,
    .update = tables::updateBy(UpdateHeirs),
};

const rt::FormSetup kHeirsForm{
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

const rt::FormSetup kUserFieldsForm{
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
    int rc = fm.useFile() == 0 ? model::readTitlesRecord(::UserFields, USF) : rt::errorCode();
    if (rc == 0)
        return 0;
    if (rc != rt::err::NoRecord) {
        rt::beep();
        StandardFileError(35, dict::UserFieldsDef.label);
        return rt::LevelNotify;
    }
    model::putDefaultTitles(USF);
    return fm.insert();
}

// Edits the one record without a browse: OK writes it back, and a write that fails is reported
// with the form left open on the typed titles.
class UserFieldsForm : public rt::SetupForm {
public:
    explicit UserFieldsForm(int req) : rt::SetupForm(kUserFieldsForm, *Relate::UserFields, req)
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
