// The main module's helpers for record-file failures outside the error manager: the standard
// file-error messages and the check-and-open helper that every report calls for each file.
#pragma once

#include <string>
#include <string_view>

#include "runtime/file_report.h"
#include "runtime/record_file.h"

// Shows message `number` for the file name (or label) `text`. Returns the button pressed for the
// messages that return one, else 0; the messages that end the program never return.
long StandardFileError(long number, std::string_view text = {}, std::string_view secondText = {});
// The error text of the current runtime error as the messages show it.
std::string standardErrorText();

// Opens the file, recovering as far as it can; every failure it cannot recover from ends the
// program. Reports call it as CheckOpenFile(file, 1, 0, 0, 1).
void CheckOpenFile(rt::RecordFile &file, int create, int missingIsError, int mode, int forceShared);

// The program's report of a failure met while reading a file (installed as the runtime's file
// failure reporter): an open by the file's full name, a list by the view message, a record or a
// total by the file's label.
void reportFileFailure(rt::FileFailure what, const rt::RecordFile &file);
