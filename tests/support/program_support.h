// The program around a test: its globals, procedures, registrations and dictionary set up in
// a temporary home as the program procedure does it, and torn down again.
#pragma once

#include <initializer_list>

#include "core/procedures.h"
#include "tests/support/test_support.h"

namespace testing_support {

// Also adds the given modules' procedures (reference tables, master inventory).
void startProgram(const TempHome &home, std::initializer_list<ProcedureModule> modules = {});
// Closes the windows still open, kills the dictionary and gives up the running-copy lock.
void stopProgram();

}  // namespace testing_support
