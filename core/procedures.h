// The procedures of the professional program's core, and the table through which the frame,
// the menus and the browses reach every procedure of the program by name.
#pragma once

void AboutKelvara();

// Register every procedure: first the ones this build does not have (they say so when used),
// then the real ones of the core and of each module added below.
void registerProgramProcedures();
// The parts of the program outside the core (reference tables, master inventory) register
// their procedures through functions added here before the program starts.
using ProcedureModule = void (*)();
void addProcedureModule(ProcedureModule module);
// The core's own procedures.
void registerCoreProcedures();

// Offers the repair of a file whose opening did not complete in an earlier run. Returns true
// when the program is to end (the repair was started).
bool offerBadFileRepair();
