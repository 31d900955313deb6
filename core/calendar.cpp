// The date picker that forms call beside a date field, and the calendar window of the toolbar:
// one calendar, with a choice ("Select") in the picker and none in the window.
#include "model/globals.h"
#include "core/settings.h"
#include "runtime/small_windows.h"

void SelectDate()
{
    Glo.DatePicked = 0;
    rt::runModal(new rt::CalendarWindowProcedure(true, rt::modalParent(), [](std::int32_t day) {
        Glo.DatePicked = 1;
        Glo.SelectedDate = day;
    }));
}

void CalendarWindow()
{
    (new rt::CalendarWindowProcedure(false))->start();
}
