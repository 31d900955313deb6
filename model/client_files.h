// Where the record files are: the shared files of the primary data folder and the files of the
// selected client's folder, each under its table's own disk name.
#pragma once

#include <string>

struct MainSystemFileRecord;

// The name variables of the shared files of the primary data folder.
void BuildSharedFileNames(const std::string &primaryPath);
// The client's data folder: the primary path joined with the client's ID code; empty when the
// code is not a valid one (read from a register that another tool wrote), so that no path is
// built from it.
std::string clientFolder(const std::string &primaryPath, const std::string &idCode);
// Points the seven per-client files at the client's folder; an empty folder leaves them
// without a name, so that nothing is opened or created for them.
void nameClientFiles(const std::string &folder);
// An ID code names a folder: one to eight capital letters and digits.
bool validIdCode(const std::string &idCode);
// Reads the settings record into a copy of its own; false when it cannot be read.
bool readSettingsCopy(MainSystemFileRecord &copy);
