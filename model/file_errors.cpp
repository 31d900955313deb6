#include "model/file_errors.h"

#include "runtime/errors.h"
#include "runtime/file_recovery.h"
#include "runtime/file_structure.h"
#include "runtime/message.h"
#include "runtime/text.h"

std::string standardErrorText()
{
    std::string e;
    if (rt::errorCode() == rt::err::DriverError)
        e = rt::clip(rt::fileErrorText()) + " (" + rt::clip(rt::fileErrorCode()) + ")";
    else
        e = rt::clip(rt::errorText()) + " (" + std::to_string(rt::errorCode()) + ")";
    // Whole: the text may name files (where a repair kept the damaged original), and a name
    // cut short tells the user nothing.
    return e;
}

namespace {
[[noreturn]] void endWith(const std::string &msg, const char *title, const char *haltText)
{
    rt::message(msg, title, rt::Icon::Exclamation, rt::BUTTON_OK);
    rt::halt(haltText);
}
}  // namespace

long StandardFileError(long number, std::string_view text, std::string_view)
{
    const std::string e = standardErrorText();
    const std::string n = rt::clip(text);
    using rt::Icon;
    switch (number) {
    case 1:
        endWith("Error: (" + e + ") accessing " + n + ".  Press OK to end this application.", "Invalid File",
              "Invalid File!");
    case 2: {
        int answer = rt::message(n + " key file is invalid.  Do you want to rebuild the key?", "Invalid Key",
                                 Icon::Question, rt::BUTTON_YES | rt::BUTTON_NO, rt::BUTTON_YES);
        if (answer != rt::BUTTON_YES)
            rt::halt("Invalid Key!");
        return answer;
    }
    case 3:
        endWith("Error: (" + e + ") repairing key for " + n + ".  Press OK to end this application.",
              "Key Rebuild Error", "Error Rebuilding Key!");
    case 4:
        endWith("Error: (" + e + ") creating " + n + ".  Press OK to end this application.", "File Creation Error",
              "File Creation Error!");
    case 5:
        endWith("Error: (" + e + ") opening created file:" + n + ".  Press OK to end this application.",
              "File Creation Error", "File Creation Error!");
    case 30:
        return rt::message("File (" + n + ") could not be opened.  Error: " + e + ".", "File Access Error",
                           Icon::Exclamation, rt::BUTTON_OK);
    case 35:
        rt::message("Error: (" + e + ") attempting to access a record from the " + n +
                        " file.  Returning to previous window.",
                    "Record Retrieval Error", Icon::Exclamation, rt::BUTTON_OK);
        return 0;
    case 36:
        rt::message("Error: (" + e + ") attempting to open the current VIEW. Filter and Range Limits ignored.",
                    "View Open Error", Icon::Exclamation, rt::BUTTON_OK);
        return 0;
    default:
        return 0;
    }
}

void reportFileFailure(rt::FileFailure what, const rt::RecordFile &file)
{
    switch (what) {
    case rt::FileFailure::Open: StandardFileError(30, rt::clip(file.name)); break;
    case rt::FileFailure::View: StandardFileError(36); break;
    case rt::FileFailure::Read: StandardFileError(35, file.def().label); break;
    }
}

void CheckOpenFile(rt::RecordFile &file, int create, int missingIsError, int mode, int forceShared)
{
    const int openMode = forceShared ? rt::mode::ReadWriteDenyNone : mode;
    const std::string name = rt::clip(file.name);
    int rc = rt::ds_FileOpen(file, openMode);
    if (rc == rt::err::Locked) {
        rt::BusyWait wait;
        file.send("Recover=10");
        rc = rt::ds_FileOpen(file, openMode);
    }
    if (rc == 0 || rc == rt::err::AlreadyOpen) {
        rt::clearError();
        return;
    }
    if (std::string left = rc == rt::err::FileNotFound ? rt::repairLeftBeside(name) : std::string(); !left.empty()) {
        rt::setDriverError("The file does not exist. " + left, 0);
        rc = rt::errorCode();
    }
    if (rc == rt::err::FileNotFound && !missingIsError) {
        if (create != 1)
            StandardFileError(4, name);
        if (file.create() != 0)
            StandardFileError(4, name);
        if (rt::ds_FileOpen(file, openMode) != 0)
            StandardFileError(5, name);
        return;
    }
    if (rc == rt::err::InvalidFile)
        StandardFileError(1, name);
    if (rc == rt::err::KeyInvalid) {
        StandardFileError(2, name);
        if (file.build() != 0)
            StandardFileError(3, name);
        rc = rt::ds_FileOpen(file, openMode);
        if (rc == 0 || rc == rt::err::AlreadyOpen)
            return;
    }
    StandardFileError(30, name);
    rt::halt("Disk Error");
}
