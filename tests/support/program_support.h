// The program around a test: its globals, procedures, registrations and dictionary set up in
// a temporary home as the program procedure does it, and torn down again.
#pragma once

#include <functional>
#include <initializer_list>

namespace rt {
class RecordFile;
}

#include "core/procedures.h"
#include "tests/support/test_support.h"

namespace testing_support {

// Also adds the given modules' procedures (reference tables, master inventory).
void startProgram(const TempHome &home, std::initializer_list<ProcedureModule> modules = {});
// Closes the windows still open, kills the dictionary and gives up the running-copy lock.
void stopProgram();

// Adds a record to the file, made first when missing: `fill` sets the cleared buffer.
void putRecord(rt::RecordFile &file, const std::function<void()> &fill);
// The settings record alone in its file, as the first-run setup leaves it: the home as the
// primary residence and "Portrait" reports; `more` sets other fields before it is added.
void writeSettings(const TempHome &home, const std::function<void()> &more = {});
// What the tests of the program's windows start from: the program started, the settings record
// written, the shared files named in the home and, with `clientA1`, the client "A1" selected
// with its folder made.
void startWithSettings(const TempHome &home, std::initializer_list<ProcedureModule> modules = {},
                       const std::function<void()> &moreSettings = {}, bool clientA1 = false);

}  // namespace testing_support
