// What the driver does about files that a killed process left behind, and how it tells that
// SQLite found a file damaged.
#pragma once

#include <functional>
#include <string>

namespace rt {

// Called with a file's full path whenever SQLite reports it damaged (malformed, or not a
// database at all). The file-structure manager notes it for repair.
void setDamagedFileObserver(std::function<void(const std::string &path)> observer);
void noteDamagedFile(const std::string &path);

// A crash in the middle of a write leaves a hot journal, which only a read/write connection can
// roll back. Before a read-only open the driver does that when the file and its folder are
// writable, unless an edition that must never write its record files turns it off; without it
// the open fails with "the file needs recovery".
void setRecoverHotJournals(bool on);
bool recoverHotJournals();
// Rolls back the hot journal beside the file; true when the file no longer has one.
bool recoverHotJournal(const std::string &path);

// When a repair's leftovers lie beside a missing file (the damaged original kept as
// "<file>.damaged", or the fresh file "<file>.recordfix-new" of a repair that did not finish),
// what lies there, as a sentence; empty otherwise. Such a file is never created empty: the user
// is told instead, so that the original or the repaired rows can be put back.
std::string repairLeftBeside(const std::string &path);

// Removes the super-journals in the folder of `path` that no transaction owns any more: those
// that name at least one journal, none of which is still there. A two-file commit killed after
// its files committed leaves one behind.
void removeStaleSuperJournals(const std::string &path);

}  // namespace rt
