// The procedures of the professional program's core, and the table through which the frame,
// the menus and the browses reach every procedure of the program by name.
#pragma once

void AboutKelvara();

// Register every procedure: first the ones this build does not have (they say so when used),
// then the real ones of each part of the program.
void registerProgramProcedures();
// The core's own procedures.
void registerCoreProcedures();

// Offers the repair of a file whose opening did not complete in an earlier run. Returns true
// when the program is to end (the repair was started).
bool offerBadFileRepair();
