// The client CD's window procedures: MakeCD, started from the frame, and the copying window it
// calls.
#pragma once

void MakeCD();
void registerMakeCdProcedures();
