// The backup of the record files: the shared files of the primary data folder and the settings
// file first, then every client's own files into a folder named by the client's ID code.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Copies one record file into a folder under its own name, consistently: the source is opened
// through SQLite (a leftover journal is rolled back first), copied with the online backup
// interface into a temporary name beside the target, checked, and only then renamed over the
// old copy. Returns 0, 2 when the source does not exist, or the runtime's error code of the
// failure with its text in `errorText`. A target that is the source itself is refused (5).
int copyRecordFile(const std::string &source, const std::string &folder, std::string &errorText);

// The temporary name a copy is written under before it replaces the target.
std::string backupTempName(const std::string &target);

struct BackupOutcome {
    bool folderCreated = false;  // false: nothing was done, the backup window stays
    bool stopped = false;        // the user answered No to a copy error or to a refused target
    std::vector<std::string> copied;     // target paths
    std::vector<std::string> notCopied;  // "label (source): reason"
};

// The whole backup into `backupFolder`, reporting each file's label before it is copied. Asks
// and tells through the message service; ends with the summary message.
BackupOutcome runBackup(const std::string &backupFolder, const std::function<void(const std::string &)> &progress);

// The procedure: the window that explains the backup and runs it.
void BackupFiles();
void registerBackupProcedures();
