#include "core/settings.h"

#include "runtime/gui.h"

void registerSettingsProcedures()
{
    rt::registerProcedure("NewUser", NewUser);
    rt::registerProcedure("UpdateSystem", UpdateSystem);
    rt::registerProcedure("FinalPassword", FinalPassword);
    rt::registerProcedure("SelectDate", SelectDate);
    rt::registerProcedure("CalendarWindow", CalendarWindow);
}
