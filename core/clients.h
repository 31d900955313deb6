// The client register and the choice of the client to work with.
#pragma once

#include <string>

void BrowseClients();
void UpdateQORClients();
void SelectClient();
void registerClientProcedures();

// The name variables of the shared files of the primary data folder.
void BuildSharedFileNames(const std::string &primaryPath);
// The client's data folder: the primary path joined with the client's ID code.
std::string clientFolder(const std::string &primaryPath, const std::string &idCode);
// Points the seven per-client files at the client's folder.
void nameClientFiles(const std::string &folder);
// An ID code names a folder: one to eight capital letters and digits.
bool validIdCode(const std::string &idCode);
// "Active client: " with the first and the last name.
std::string activeClientText(const std::string &firstName, const std::string &lastName);
// The columns of the client lists: the register's, or the selection's shorter set.
namespace rt {
class Browse;
}
void addClientColumns(rt::Browse &browse, bool register_);
// Reads the settings record into a copy of its own; false when it cannot be read.
bool readSettingsCopy(struct MainSystemFileRecord &copy);
