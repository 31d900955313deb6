// Salvage of a damaged record file: the file is read page by page, and every row stored on a
// table page that can still be read is copied into a fresh file made from the example file (an
// empty record file with the declared structure). The fresh file then takes the damaged file's
// name in one step; the damaged original is kept beside it. No widgets, no program state: the
// repair program and the tests call it directly.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace salvage {

// What a column of the record may hold beyond its type (which the example file's structure
// gives): the longest text in bytes (the driver writes no more), or the range of a number.
// 0/0 range: no limit.
struct ColumnCheck {
    std::string column;  // lower case, as in the file
    std::int64_t maxBytes = 0;
    std::int64_t minValue = 0, maxValue = 0;
};

struct Outcome {
    bool ok = false;             // the fresh file took the damaged file's name
    std::string error;           // why nothing was put in place (ok false)
    std::int64_t copied = 0;     // rows salvaged into the fresh file
    std::int64_t refused = 0;    // rows set aside in the side file (failed a check or a unique key)
    std::int64_t lost = -1;      // rows that could not be read; -1 when it cannot be told
    bool lostExact = false;      // `lost` is the count, not only as many as the indexes still tell
    std::int64_t unreadableRows = 0;  // of those, rows on readable pages whose cells do not decode
    std::int64_t pagesRead = 0;       // pages of the item table's rows that were read
    std::int64_t pagesUnreadable = 0; // pages that are neither readable nor present any more
    std::string keyColumn;            // the unique key's column that names the lost rows
    std::vector<std::string> lostKeys;  // its values for the lost rows, where the indexes hold them
    std::int64_t garbled = 0;    // rows kept with a text cut where its damage starts
    std::vector<std::string> garbledKeys;  // their values of the unique key (rowids without one)
    std::string keptAs;          // where the damaged original went
    std::string rejectsFile;     // the side file of the rows set aside (empty when none)

    // Every row went into the fresh file as it was stored: none lost (as far as can be known),
    // set aside or cut short. Damaged pages that held no row (a damaged index) do not count.
    bool complete() const
    {
        return ok && refused == 0 && lost == 0 && lostExact && unreadableRows == 0 && garbled == 0;
    }
};

// Salvages `damaged` with the structure of `example`; `checks` are the record's limits.
Outcome salvageRecordFile(const std::string &damaged, const std::string &example,
                          const std::vector<ColumnCheck> &checks = {});

// Called before each step that changes the files beside the damaged one ("link", "journal",
// "rename"); a false answer makes that step fail as though the system refused it. For tests.
void setStepHook(std::function<bool(const std::string &step)> hook);

// The name of the fresh file while it is built: a file of that name beside a record file is an
// unfinished repair.
std::string freshName(const std::string &file);

// The outcome as the lines of the repair log (no trailing newline). `maxKeys` limits the listed
// key values (0: all of them).
std::string outcomeText(const std::string &file, const Outcome &outcome, std::size_t maxKeys = 0);

// Appends a log entry; false when the log cannot be written.
bool appendLog(const std::string &logPath, const std::string &text);

}  // namespace salvage
