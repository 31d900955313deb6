// The file and relation managers of the record types, one of each per type, reachable through
// one global reference per type while the dictionary is initialised.
#pragma once

#include "runtime/error_manager.h"
#include "runtime/file_manager.h"

extern rt::ErrorManager GlobalErrors;

#define DICT_MANAGED_TYPES(X)                                                                              \
    X(CustomReportSetups) X(QORSubject) X(QORClients) X(UserFields) X(ImportFields) X(Heirs)               \
    X(ClientSystemFile) X(MasterInventoryTemp) X(Conditions) X(Location) X(MasterInventory) X(Type)        \
    X(MainSystemFile) X(Vendors) X(Manufacturers) X(BoxNumber) X(Category)

namespace Access {
#define DICT_DECLARE_ACCESS(T) extern rt::FileManager *T;
DICT_MANAGED_TYPES(DICT_DECLARE_ACCESS)
#undef DICT_DECLARE_ACCESS
}  // namespace Access

namespace Relate {
#define DICT_DECLARE_RELATE(T) extern rt::RelationManager *T;
DICT_MANAGED_TYPES(DICT_DECLARE_RELATE)
#undef DICT_DECLARE_RELATE
}  // namespace Relate

// Which program's record types get managers: the professional program manages all of them, the
// client program only the six it reads from its folder (the heirs it reads without one).
enum class DictionarySet { Professional, Client };
bool managedBy(DictionarySet set, const rt::RecordFile &file);

// Create the managers of the set (each relation manager after its file manager) and the two
// relations; the types outside the set keep null references.
void DictionaryInit(DictionarySet set = DictionarySet::Professional);
// Kill them again in the same order and clear the references; closes any file still open.
void DictionaryKill();
