#include "core/settings.h"
void SelectDate() {}
void CalendarWindow() {}
