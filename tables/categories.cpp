#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "reports/report_table.h"
#include "runtime/gui.h"
#include "tables/maintenance.h"
#include "tables/tables.h"

namespace {

const rt::BrowseSetup kCategoryBrowse{
    .procedure = "BrowseCategory",
    .caption = "Browse the Category File",
    .help = "~CATEGORY",
    .orders = {{"Category", "CATEGORYKEY", rt::LocatorKind::Step, "CATEGORY"}},
    .columns = {{"Category", "CATEGORY", "@s20", 80}, {"Description of the category", "DESCRIPTION", "@s60", 80}},
    .printText = "Print Category && Types",
    .printTip = "Print all the categories and types on file",
    .printReport = [] { reports::startReport(reports::Report::CategoryTypesList); },
    .prepare = tables::seedsBefore(seeding::Point::Categories, true),
    .update = tables::updateBy(UpdateCategory),
};

const rt::FormSetup kCategoryForm{
    .procedure = "UpdateCategory",
    .resourceCaption = "Update the Category File",
    .help = "~CATEGORY",
    .insertCaption = "Adding a Category Record",
    .changeCaption = "Changing a Category Record",
    .entries = {{"Category:", "CATEGORY", "@s20", "Category of item"},
                {"Description of the category:", "DESCRIPTION", "@s60", "Description of the category"}},
};

const tables::ChildList kTypes{
    .tab = "Type",
    .key = "CATEGORYTYPEKEY",
    .linkField = "CATEGORY",
    .locatorField = "TYPE",
    .columns = {{"Category", "CATEGORY", "@s20", 74},
                {"Type", "TYPE", "@s20", 76},
                {"Description of the type", "DESCRIPTION", "@s60", 80}},
    .form = UpdateType,
};

const rt::FormSetup kTypeForm{
    .procedure = "UpdateType",
    .resourceCaption = "Update the Type File",
    .help = "~CATEGORY",
    .insertCaption = "Adding a Type Record",
    .changeCaption = "Changing a Type Record",
    .entries = {{"Category:", "CATEGORY", "@s20", "Category of item", true},
                {"Type:", "TYPE", "@s20", "Type of item"},
                {"Description of the type:", "DESCRIPTION", "@s60", "Description of the type"}},
};

}  // namespace

void BrowseCategory() { tables::startBrowse(kCategoryBrowse, *Relate::Category); }

void UpdateCategory()
{
    tables::ParentForm form(kCategoryForm, *Relate::Category, *Access::Type, rt::takeRequest(), kTypes, CAT.CATEGORY);
    rt::setResponse(form.run());
}

// A new type belongs to the category whose form is open.
void UpdateType()
{
    tables::runForm(kTypeForm, *Relate::Type, [] { TYP.CATEGORY = CAT.CATEGORY; });
}
