// Desktop services of the runtime: message boxes, the procedure registry through which menus
// and buttons reach their windows, the single running copy, and the printer.
#pragma once

#include <QString>
#include <functional>
#include <string>

class QPrinter;
class QWidget;

namespace rt {

// Message boxes as QMessageBox, with "|" line breaks, the button set and default button, and
// the asterisk beep as the system's alert.
void installMessageBoxes();

// Procedures are reached by name, so that every menu entry and button dispatches through one
// table (and tests can watch it). A procedure started "on a new thread" opens a child window and
// returns; a "direct" one runs on the caller's thread until it ends.
using Procedure = std::function<void()>;
void registerProcedure(const std::string &name, Procedure fn);
bool hasProcedure(const std::string &name);
void runProcedure(const std::string &name);
// A procedure that this build does not have yet: using it says so in a message box, naming it
// by `what` ("The backup is ...", or for a plural name "The custom reports are ...").
void registerPendingProcedure(const std::string &name, const std::string &what, bool plural = false);
bool isPendingProcedure(const std::string &name);
void setProcedureObserver(std::function<void(const std::string &)> observer);

// The single running copy: true when another copy with this frame title already runs. The
// first caller keeps the lock for the rest of the process's life.
bool anotherCopyRuns(const QString &frameTitle);
QString singleInstanceLockPath(const QString &frameTitle);
void releaseSingleInstance();

// The printer that Print Setup configures and the reports print on.
QPrinter &sharedPrinter();
void printSetup(QWidget *parent);

}  // namespace rt
