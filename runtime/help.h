// Help: one HTML page per help context, from the installed help folder, shown in a help window.
#pragma once

#include <QString>
#include <functional>

namespace rt {

// The folder of the help pages (beside the executable, else the source tree's copy).
QString helpFolder();
void setHelpFolder(const QString &folder);
// The page of a context: "~CLIENT_MAINTENANCE" is client_maintenance.html; an empty context is
// the contents page.
QString helpPage(const QString &context);
void showHelp(const QString &context);
// Tests observe help requests instead of opening windows.
void setHelpObserver(std::function<void(const QString &)> observer);

// Opens a web address in the desktop's browser.
void openWebPage(const QString &address);
// Whether a web browser is there for the desktop's opener to start.
bool webBrowserFound();
void setWebObserver(std::function<void(const QString &)> observer);

}  // namespace rt
