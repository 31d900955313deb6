// Which program a shared window or report serves. The inventory browses, the item form and the
// reports ask the edition instead of opening the professional settings file themselves, so the
// client program can use them over the files of its folder.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/user_fields.h"

struct MainSystemFileRecord;
namespace rt {
class RecordFile;
}

namespace model {

// The five heading and footer lines of a report.
struct ReportHeading {
    std::string name, address, city, phone, email;
};

enum class Program : unsigned char { Professional = 1, Client = 2 };

struct Edition {
    Program program = Program::Professional;
    // A read-only edition changes no record: its windows offer no Insert, Change or Delete, and
    // the item browses' "&View" runs the registered "UpdateMasterInventory" as a view.
    bool readOnly = false;
    // The settings that govern the item forms and the reports; false when they cannot be read.
    // An edition without a settings file leaves this empty.
    std::function<bool(MainSystemFileRecord &)> readSettings;
    // The titles of the selected client's user fields (the item forms' and the reports').
    std::function<UserFieldTitles()> userFieldTitles;
    // The report format in force: "Portrait" selects the narrow procedure of a report pair.
    std::function<std::string()> reportFormat;

    // ---- what the reports ask: each program fills in every one ----
    // The files a report opens, given those its definition names (and whether it prints one
    // item of any status): the client program has no register and no settings file.
    std::function<std::vector<rt::RecordFile *>(const std::vector<rt::RecordFile *> &, bool oneItem)> reportFiles;
    // Opens a report's file; false after its message, and the run ends.
    std::function<bool(rt::RecordFile &)> openReportFile;
    // The program's own file-error messages (30 open, 35 record read, 36 view).
    std::function<long(long number, std::string_view text, std::string_view secondText)> fileError;
    // The heading lines of an item report; false after its message when the run must end.
    std::function<bool(ReportHeading &)> reportHeading;
    // The statuses of the items that the list reports print (compared case-blind); empty: all.
    std::vector<std::string> reportStatuses;
    // A picture name stored in an item as the path the report loads; empty when it names none.
    std::function<std::string(std::string_view)> picturePath;
    // The path of the previewer's display-strings INI file of this name.
    std::function<std::string(std::string_view)> displayStringsPath;
};

// The edition of this process; the program sets it before its first window opens.
const Edition &edition();
void setEdition(Edition e);

}  // namespace model
