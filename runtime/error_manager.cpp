#include "runtime/error_manager.h"

#include "runtime/errors.h"
#include "runtime/message.h"

namespace rt {

ErrorManager::ErrorManager()
{
    entries_ = {
        {msg::AccessDenied, {LevelNotify, "Access Denied", "Could not get write access to %File so trying read-only."}},
        {msg::CreateFailed, {LevelFatal, "File Creation Error", "Error: (%ErrorText) creating %File."}},
        {msg::OpenFailed, {LevelFatal, "File Access Error", "File (%File) could not be opened.  Error: %ErrorText."}},
        {msg::RebuildFailed, {LevelFatal, "Key was not built", "Error: (%ErrorText) repairing key for %File."}},
        {msg::RebuildKey, {LevelNotify, "Invalid Key", "%File key file is invalid. Key must be rebuilt."}},
        {msg::ViewOpenFailed,
         {LevelNotify, "View Open Error",
          "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits ignored."}},
        {msg::DuplicateKey,
         {LevelNotify, "Duplicate Key Error", "Adding this record creates a duplicate entry for the key: %Message"}},
        {msg::UpdateFailed,
         {LevelNotify, "Record was not updated",
          "An error (%ErrorText) was experienced when making changes to the %File file."}},
        {msg::DeleteFailed,
         {LevelNotify, "Record was not deleted",
          "An error (%ErrorText) was experienced when deleting a record from the %File file."}},
        {msg::RetryDelete,
         {LevelUser, "Record Delete Error",
          "An error was experienced deleting this record. Do you want to try to delete it again?"}},
        {msg::ConfirmDelete, {LevelUser, "Confirm Delete", "Are you sure you want to delete the highlighted record?"}},
        {msg::ConfirmCancel, {LevelUser, "Changes will be lost!", "Are you sure you want to cancel?"}},
        {msg::RestrictDelete,
         {LevelNotify, "Referential Integrity Delete Error",
          "This record is referenced from the file %File. This record cannot be deleted while these references "
          "exist."}},
        {msg::AddFailed,
         {LevelNotify, "Record was not added", "An error (%ErrorText) was experienced when adding a record to the %File file."}},
        {msg::FieldNotInRange, {LevelNotify, "Invalid Entry", "%Message"}},
    };
}

const ErrorEntry *ErrorManager::entry(int id) const
{
    auto it = entries_.find(id);
    return it == entries_.end() ? nullptr : &it->second;
}

int ErrorManager::severity(int id) const
{
    const ErrorEntry *e = entry(id);
    return e ? e->severity : LevelProgram;
}

std::string ErrorManager::fill(const std::string &s) const
{
    std::string r;
    for (std::size_t i = 0; i < s.size();) {
        auto take = [&](std::string_view field, const std::string &value) {
            if (s.compare(i, field.size(), field) == 0) {
                r += value;
                i += field.size();
                return true;
            }
            return false;
        };
        if (s[i] == '%' && (take("%ErrorText", errorCode() == err::DriverError
                                                    ? fileErrorText() + " (" + fileErrorCode() + ")"
                                                    : errorText() + " (" + std::to_string(errorCode()) + ")") ||
                            take("%ErrorCode", std::to_string(errorCode())) || take("%File", file_) ||
                            take("%Message", message_)))
            continue;
        r += s[i++];
    }
    return r;
}

std::string ErrorManager::title(int id) const
{
    const ErrorEntry *e = entry(id);
    return e ? fill(e->title) : std::string("Error");
}

std::string ErrorManager::text(int id) const
{
    const ErrorEntry *e = entry(id);
    return e ? fill(e->text) : "Error " + std::to_string(id);
}

int ErrorManager::throwFile(int id, std::string_view fileName)
{
    setFile(fileName);
    return throwMessage(id);
}

int ErrorManager::throwMessage(int id, std::string_view m)
{
    if (!m.empty())
        message_ = std::string(m);
    int sev = severity(id);
    std::string t = text(id);
    std::string ti = title(id);
    switch (sev) {
    case LevelBenign:
    case LevelCancel:
        return sev;
    case LevelUser: {
        int answer = message(t, ti, Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_YES);
        return answer == BUTTON_YES ? LevelBenign : LevelCancel;
    }
    case LevelFatal:
        beep();
        message(t, ti, Icon::Exclamation, BUTTON_OK);
        halt(t);
    default:
        beep();
        message(t, ti, Icon::Exclamation, BUTTON_OK);
        return sev;
    }
}

}  // namespace rt
