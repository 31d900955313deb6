// The import of delimited item lists: the wizard "Import ASCII File" and the process that it
// runs, with its progress and results windows.
#pragma once

#include <QString>

class QWidget;

// The wizard, started beside the client setup menu; a second start brings the open one to the
// front.
void ImportDatabase();
// The import itself, on the caller's thread: reads the wizard's globals and the column links.
void ImportCollection();
void registerImportProcedures();

// The file chooser of the wizard: "Select File To Import", its masks matched case-blind. An empty
// name when cancelled.
QString askImportFile(QWidget *parent, const QString &start);
