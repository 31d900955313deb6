// The file-structure manager: the registry of record files with their structure versions.
// Every record file of the professional program is opened through ds_FileOpen, which first
// brings a file of an older version to the declared structure; while it does so, the profile
// entry "BadFile" names the file by its full path, so that a change that never completed is offered for repair
// at the next start.
#pragma once

#include <string>
#include <string_view>

#include "runtime/ini.h"
#include "runtime/record_file.h"

namespace rt {

// Also makes the manager note every file that SQLite reports damaged in "BadFile".
void ds_AddDriver(std::string_view tag, RecordFile *driverFile);
void ds_IgnoreDriver(std::string_view what, int flag);
void ds_UsingFile(std::string_view prefix, std::string_view label, RecordFile &file, int version);
// The profile section that holds "BadFile": a record type's label while its file is being
// brought to its declared structure, or the full path of a file found damaged.
std::string ds_AppName();
// Opens the file; the caller reads the error code (also returned).
int ds_FileOpen(RecordFile &file, int openMode);
// Writes the example file (an empty file of the declared structure) beside the file:
// "1" it could not be created, "2" not a record file of the indexed driver, "3" an error while
// writing it, "0" done.
std::string ds_MakeTPE(RecordFile &file);
// The example file's name: the file's name with its extension replaced by ".tpe".
std::string exampleFileName(std::string_view fileName);

// The profile file that holds the "BadFile" entry (the home folder's win.ini unless set).
void setProfileFile(std::string path);
IniFile profileFile();

// The registered version of a file, or -1.
int registeredVersion(const RecordFile &file);
bool isRegistered(std::string_view label);
// Forget every registration (tests).
void clearRegistrations();

}  // namespace rt
