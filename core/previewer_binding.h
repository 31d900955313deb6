// The report previewer as the professional program uses it: the four entry points of the
// module VURD5P32, bound by name from the program's own folder when the program starts.
#pragma once

#include <QString>

#include "previewer/vurd5p32.h"

struct PreviewerEntries {
    PrintPreviewEntry printPreview = nullptr;
    AssignPageOfPagesEntry assignPageOfPages = nullptr;
    HandleCopiesEntry handleCopies = nullptr;
    SupportedEntry supported = nullptr;
};

// Loads VURD5P32 from `folder` by its absolute path and binds all four entry points, or none:
// a missing module or entry point shows our message and leaves previewerEntries() null, and the
// program goes on without reports. Binding again lets go of the module bound before.
bool bindPreviewer(const QString &folder);
// From the folder of the program's executable.
bool bindPreviewer();
// The entries the reports print through; nullptr when the module is not bound (the reports
// then say they cannot preview).
const PreviewerEntries *previewerEntries();
void unbindPreviewer();
