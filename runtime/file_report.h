// How a failure met while reading a record file reaches the user. The program installs its
// standard file-error messages; the runtime's lists, totals and forms call reportFileFailure
// with the runtime's error state still holding the failure.
#pragma once

#include <functional>

namespace rt {

class RecordFile;

enum class FileFailure {
    Open,  // the file could not be opened
    View,  // the list (its order and filter) could not be read
    Read,  // a record or a total could not be read
};

using FileFailureReporter = std::function<void(FileFailure, const RecordFile &)>;

// Replaces the reporter; an empty one brings back the runtime's own notices.
void setFileFailureReporter(FileFailureReporter reporter);
void reportFileFailure(FileFailure what, const RecordFile &file);

}  // namespace rt
