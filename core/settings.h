// First-run setup, the settings form, the start-up password, and the date picker and calendar.
#pragma once

void NewUser();
void UpdateSystem();
void FinalPassword();
void SelectDate();
void CalendarWindow();

// Registers the procedures above by name.
void registerSettingsProcedures();
