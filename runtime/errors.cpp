#include "runtime/errors.h"

namespace rt {

namespace {
int g_code = 0;
std::string g_driverText;
std::string g_driverCode;
}  // namespace

int errorCode() { return g_code; }
std::string errorText() { return g_code == err::DriverError ? g_driverText : errorTextFor(g_code); }
std::string fileErrorText() { return g_code == err::DriverError ? g_driverText : std::string(); }
std::string fileErrorCode() { return g_code == err::DriverError ? g_driverCode : std::string(); }

void setError(int code)
{
    g_code = code;
    g_driverText.clear();
    g_driverCode.clear();
}

void setDriverError(const std::string &message, int driverCode)
{
    g_code = err::DriverError;
    g_driverText = message;
    g_driverCode = std::to_string(driverCode);
}

void clearError() { setError(0); }

ErrorState ErrorState::current() { return {g_code, g_driverText, g_driverCode}; }

void ErrorState::restore() const
{
    g_code = code;
    g_driverText = driverText;
    g_driverCode = driverCode;
}

std::string errorTextFor(int code)
{
    switch (code) {
    case 0: return std::string();
    case 2: return "File Not Found";
    case 3: return "Path Not Found";
    case 4: return "Too Many Open Files";
    case 5: return "Access Denied";
    case 32: return "File Is Already Locked";
    case 33: return "Record Not Available";
    case 35: return "Record Not Found";
    case 37: return "File Not Open";
    case 40: return "Creates Duplicate Key";
    case 46: return "Key File Must Be Rebuilt";
    case 47: return "Invalid Record Declaration";
    case 52: return "File Already Open";
    case 90: return "File System Error";
    default: return "Error " + std::to_string(code);
    }
}

}  // namespace rt
