// Salvage of a damaged record file: every row that can still be read is copied into a fresh
// file made from the example file (an empty record file with the declared structure), which then
// takes the damaged file's place; the damaged original is kept beside it. No widgets, no
// program state: the repair program and the tests call it directly.
#pragma once

#include <cstdint>
#include <string>

namespace salvage {

struct Outcome {
    bool ok = false;
    std::string error;           // why nothing was put in place (ok false)
    std::int64_t copied = 0;     // rows in the fresh file
    std::int64_t refused = 0;    // rows that broke a unique key, written to the rejects file
    std::int64_t lost = -1;      // rows that could not be read; -1 when it cannot be told
    std::string keptAs;          // where the damaged original went
    std::string rejectsFile;     // the side file of the refused rows (empty when none)
};

// Salvages `damaged` with the structure of `example`.
Outcome salvageRecordFile(const std::string &damaged, const std::string &example);

// The outcome as the lines of the repair log (no trailing newline).
std::string outcomeText(const std::string &file, const Outcome &outcome);

// Appends a log entry; false when the log cannot be written.
bool appendLog(const std::string &logPath, const std::string &text);

}  // namespace salvage
