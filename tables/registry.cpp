#include "runtime/gui.h"
#include "tables/tables.h"

void registerTableProcedures()
{
    rt::registerProcedure("SetupMenu", SetupMenu);
    rt::registerProcedure("BrowseLocation", BrowseLocation);
    rt::registerProcedure("UpdateLocation", UpdateLocation);
    rt::registerProcedure("UpdateBoxNumber", UpdateBoxNumber);
    rt::registerProcedure("BrowseCategory", BrowseCategory);
    rt::registerProcedure("UpdateCategory", UpdateCategory);
    rt::registerProcedure("UpdateType", UpdateType);
    rt::registerProcedure("BrowseHeirs", BrowseHeirs);
    rt::registerProcedure("UpdateHeirs", UpdateHeirs);
    rt::registerProcedure("UpdateUserFields", UpdateUserFields);
    rt::registerProcedure("BrowseConditions", BrowseConditions);
    rt::registerProcedure("UpdateConditions", UpdateConditions);
    rt::registerProcedure("BrowseManufacturers", BrowseManufacturers);
    rt::registerProcedure("UpdateManufacturers", UpdateManufacturers);
    rt::registerProcedure("BrowseVendors", BrowseVendors);
    rt::registerProcedure("UpdateVendors", UpdateVendors);
    rt::registerProcedure("BrowseSubjects", BrowseSubjects);
    rt::registerProcedure("UpdateQORSubject", UpdateQORSubject);
    rt::registerProcedure("VerifyHomeFiles", VerifyHomeFiles);
    rt::registerProcedure("VerifyStandardFiles", VerifyStandardFiles);
    rt::registerProcedure("VerifyLocationFiles", VerifyLocationFiles);
}
