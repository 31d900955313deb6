// The error manager: the class library's numbered standard messages, each with a severity,
// a title and a text in which %File, %ErrorText, %Message and the other fields are filled in.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace rt {

// Levels that the class library's operations return.
enum Level : int {
    LevelBenign = 0,
    LevelUser = 1,     // a Yes/No question: Yes gives Benign, No gives Cancel
    LevelProgram = 2,
    LevelFatal = 3,    // the message, then the program ends
    LevelCancel = 4,
    LevelNotify = 5,   // a notice; work goes on
};

namespace msg {
enum : int {
    AccessDenied = 2,
    CreateFailed = 10,
    OpenFailed = 23,
    RebuildFailed = 26,
    RebuildKey = 27,
    ViewOpenFailed = 40,
    DuplicateKey = 50,
    UpdateFailed = 51,
    DeleteFailed = 52,
    RetryDelete = 53,
    ConfirmDelete = 54,
    ConfirmCancel = 55,
    RestrictDelete = 56,
    AddFailed = 57,
    FieldNotInRange = 58,
};
}

struct ErrorEntry {
    int severity;
    std::string title;
    std::string text;
};

class ErrorManager {
public:
    ErrorManager();

    // The file whose failure is being reported: its name fills %File.
    void setFile(std::string_view name) { file_ = std::string(name); }
    void setMessage(std::string_view m) { message_ = std::string(m); }

    // Raise a standard message: show it as its severity says and return the resulting level.
    // A fatal message ends the program after it is shown.
    int throwMessage(int id, std::string_view message = {});
    int throwFile(int id, std::string_view fileName);

    // The title and text of a message with the fields filled in (as they would be shown).
    std::string title(int id) const;
    std::string text(int id) const;
    int severity(int id) const;
    const ErrorEntry *entry(int id) const;

private:
    std::string fill(const std::string &s) const;
    std::map<int, ErrorEntry> entries_;
    std::string file_;
    std::string message_;
};

}  // namespace rt
