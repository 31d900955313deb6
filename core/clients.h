// The client register and the choice of the client to work with.
#pragma once

#include <string>

#include "model/client_files.h"

void BrowseClients();
void UpdateQORClients();
void SelectClient();
void registerClientProcedures();

// "Active client: " with the first and the last name.
std::string activeClientText(const std::string &firstName, const std::string &lastName);
// The columns of the client lists: the register's, or the selection's shorter set.
#include "runtime/browse_setup.h"
const rt::ColumnSet &clientColumns(bool register_);
