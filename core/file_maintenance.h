// File maintenance and repair: the File Manager window (build, pack, release, count, repair the
// record files), the repair of a file noted as damaged, and the hand-over to the repair program.
#pragma once

#include <string>

#include "runtime/record.h"

// The repair program: `recordfix` beside the program unless set (tests).
void setRepairProgram(const std::string &path);
std::string repairProgram();
// The log the repair program writes its outcome to; the File Manager shows it at its next opening.
std::string repairLogPath();

// True when the last error says that SQLite found the file damaged.
bool lastErrorIsDamage();

// Writes the example file beside the file and starts the repair program on it, detached. Says
// why when it cannot; true when the repair program was started.
bool startRepair(const rt::TableDef &def, const std::string &path);

// The File Manager: the "BadFile" question, then the window (a child window of the frame).
void FileManagerWindow();
void registerFileManagerProcedures();
