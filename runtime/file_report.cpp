#include "runtime/file_report.h"

#include "runtime/error_manager.h"
#include "runtime/message.h"
#include "runtime/record_file.h"
#include "runtime/text.h"

namespace rt {

namespace {
FileFailureReporter &reporter()
{
    static FileFailureReporter r;
    return r;
}
}  // namespace

void setFileFailureReporter(FileFailureReporter r) { reporter() = std::move(r); }

void reportFileFailure(FileFailure what, const RecordFile &file)
{
    if (reporter()) {
        reporter()(what, file);
        return;
    }
    // Without the program's messages: the error manager's texts, as notices.
    ErrorManager errors;
    errors.setFile(clip(file.name));
    int id = what == FileFailure::Open ? msg::OpenFailed : msg::ViewOpenFailed;
    beep();
    message(errors.text(id), errors.title(id), Icon::Exclamation, BUTTON_OK);
}

}  // namespace rt
