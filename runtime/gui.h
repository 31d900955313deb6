// Desktop services of the runtime: message boxes, the procedure registry through which menus
// and buttons reach their windows, the single running copy, and the printer.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

class QPrinter;
class QWidget;

namespace rt {

// Lets go of every record file's held read lock whenever the event loop of this thread is
// about to wait: called by itself when a scan starts holding one.
void releaseHeldReadsWhenIdle();

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
void setProcedureObserver(std::function<void(const std::string &)> observer);

// The calling protocol of the procedures run on their caller's thread: the caller hands over a
// request (insert, change, delete, select) and reads the response (completed, cancelled) once
// the procedure has returned. Both live in the program's globals, which the program binds here
// at start; until then a pair of the registry's own serves.
void bindRequestGlobals(std::uint8_t *request, std::uint8_t *response);
// The caller's side: hands `request` over, runs the procedure and returns its response.
int callWithRequest(const std::string &name, int request);
int callWithRequest(const Procedure &procedure, int request);
// The called side: takes the request over, clearing both for the run; leaves the response.
int takeRequest();
void setResponse(int response);

// The single running copy: true when another copy with this frame title already runs for the
// same user on the same display. The first caller keeps the lock for the rest of the process's
// life.
bool anotherCopyRuns(const QString &frameTitle);
QString singleInstanceLockPath(const QString &frameTitle);

// Whose copy a lock stands for, and the folders it may live in. `current` reads them from the
// process and its environment; tests make up others.
struct InstanceOwner {
    unsigned uid = 0;
    QString user;
    QString display;     // WAYLAND_DISPLAY, else DISPLAY without its screen, else the platform
    QString runtimeDir;  // XDG_RUNTIME_DIR; empty when unset
    QString tempDir;
    QString homeDir;
    static InstanceOwner current();
};
// The lock of `frameTitle` for that owner, in the owner's lock folder; empty when no folder that
// only the owner can write is to be had.
QString singleInstanceLockPath(const QString &frameTitle, const InstanceOwner &owner);
// XDG_RUNTIME_DIR when set; else "orvane-<uid>" in the temporary folder, created with mode 0700
// and refused when someone else owns it (then ".orvane-locks" in the home folder). Empty when
// neither is usable.
QString instanceLockFolder(const InstanceOwner &owner);
void releaseSingleInstance();

// The printer that Print Setup configures and the reports print on.
QPrinter &sharedPrinter();
void printSetup(QWidget *parent);

}  // namespace rt
