// The runtime's error state: every record-file call leaves its code here, and the caller
// reads it at once (0 is success).
#pragma once

#include <string>

namespace rt {

namespace err {
enum : int {
    None = 0,
    FileNotFound = 2,
    PathNotFound = 3,
    AccessDenied = 5,
    Locked = 32,
    NoRecord = 33,          // NEXT or PREVIOUS ran past the end, PUT or DELETE without a current record
    RecordNotFound = 35,    // GET found no record with the key's values
    DuplicateKey = 40,
    KeyInvalid = 46,        // the file's keys must be rebuilt
    InvalidFile = 47,       // the file does not match its declaration
    AlreadyOpen = 52,
    NotOpen = 37,
    DriverError = 90,
};
}

int errorCode();
// The runtime's text for the current code ("File Not Found", ...); empty when the code is 0.
std::string errorText();
// For code 90: the driver's own message and code.
std::string fileErrorText();
std::string fileErrorCode();

void setError(int code);
void setDriverError(const std::string &message, int driverCode);
void clearError();

// The runtime's text of any error code.
std::string errorTextFor(int code);

// The error state as a value: a failure met while painting is reported later, after other
// calls have left codes of their own.
struct ErrorState {
    int code = 0;
    std::string driverText;
    std::string driverCode;
    static ErrorState current();
    void restore() const;
};

}  // namespace rt
