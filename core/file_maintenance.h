// File maintenance and repair: the File Manager window (build, pack, release, count, repair the
// record files), the repair of a file noted as damaged, and the hand-over to the repair program.
#pragma once

#include <string>

#include "runtime/record.h"

// The repair program: `recordfix` beside the program unless set (tests).
void setRepairProgram(const std::string &path);
std::string repairProgram();
// The log the repair program writes its outcome to. Shown as soon as a repair ends, and by the
// File Manager at its opening when a repair run by hand left an outcome there.
std::string repairLogPath();
bool showRepairResults();

// True when the last error says that SQLite found the file damaged.
bool lastErrorIsDamage();

// Writes the example file beside the file, runs the repair program on it and shows its outcome
// as soon as it ends. Says why when it cannot; true when the repair program ran.
bool startRepair(const rt::TableDef &def, const std::string &path);

// The File Manager: the "BadFile" question, then the window (a child window of the frame).
void FileManagerWindow();
void registerFileManagerProcedures();
