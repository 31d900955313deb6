// Which program a shared window or report serves. The inventory browses, the item form and the
// reports ask the edition instead of opening the professional settings file themselves, so the
// client program can use them over the files of its folder.
#pragma once

#include <functional>
#include <string>

#include "model/user_fields.h"

struct MainSystemFileRecord;

namespace model {

struct Edition {
    // A read-only edition changes no record: its windows offer no Insert, Change or Delete, and
    // the item browses' "&View" runs the registered "UpdateMasterInventory" as a view.
    bool readOnly = false;
    // The settings that govern the item forms and the reports; false when they cannot be read.
    // An edition without a settings file leaves this empty.
    std::function<bool(MainSystemFileRecord &)> readSettings;
    // The titles of the selected client's user fields.
    std::function<UserFieldTitles()> userFieldTitles;
    // The report format in force: "Portrait" selects the narrow procedure of a report pair.
    std::function<std::string()> reportFormat;
};

// The edition of this process; the program sets it before its first window opens.
const Edition &edition();
void setEdition(Edition e);

// The procedure of a report pair that the format selects. "Portrait" is compared as stored, a
// blank-padded case-sensitive string: any other value, a blank one too, selects the wide one.
std::string reportProcedure(const std::string &format, const std::string &portrait, const std::string &wide);
// The same under the edition's format in force.
std::string reportProcedure(const std::string &portrait, const std::string &wide);

}  // namespace model
