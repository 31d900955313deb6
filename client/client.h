// The client program: the read-only edition that runs from a folder handed to a household. Its
// folder is fixed once at start, every record file there opens read-only by its bare name, and
// nothing but its INI file is ever written.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "model/dictionary.h"
#include "previewer/display_strings.h"

class QMainWindow;
class QWidget;

namespace client {

// ---- the folder --------------------------------------------------------------------------------
// Fixes the folder as an absolute path: $MARLOTTE_FOLDER when set, else the executable's folder
// when it holds "clntsys.tps", else the current folder.
void fixFolder();
const std::string &folder();
// The folder joined with a bare name.
std::string fileIn(std::string_view bareName);
// The INI file: "marlotte.INI" in the folder when the folder is writable, else in the user's
// configuration folder.
std::string iniPath();

// A picture name as read from an item: only a bare "Pic" + digits + an optional extension of up
// to five letters or digits (case-blind) names a file, in the folder; anything else gives an
// empty path.
bool isPictureName(std::string_view name);
QString picturePath(std::string_view name);

// ---- start-up and the data files ------------------------------------------------------------
// The program procedure: folder, dictionary, globals, edition, procedures, then the frame.
void ProgramMain();
// Its two ends around the frame: everything up to the frame, and the dictionary killed again.
void startProgram();
void endProgram();
// The managers of the six managed types, all read-only, never creating a file.
void DictionaryInit();
void DictionaryKill();
// Names the six data files in the folder.
void nameDataFiles();
// Reads the single client system record into the shared buffer; Glo.ClientFileError says how it
// went (1 failed, after the "File Error" message).
void LoadClientSystemRecord();
// The first record of the client system file into `into`, without touching the shared file.
// 0, or the error code with its text in `error`.
int readClientSystemRecord(ClientSystemFileRecord &into, std::string &error);

// Opens a record file read-only for a window or a report. On failure the file-error message
// names the file, and false is returned: the caller ends, never the program. A file beside a
// leftover journal is refused by name, before the database library would try to recover it.
bool CheckOpenFile(rt::RecordFile &file);
// The journal that a file would need to be recovered from, when one lies beside it.
std::string strayJournal(const rt::RecordFile &file);

// The file-error messages: 30 (open), 35 (record read), 36 (view), each with OK; returns the
// button. Never ends the program.
long StandardFileError(long number, std::string_view text = {}, std::string_view secondText = {});
// The previewer's display strings from the INI file in the folder (with their defaults).
previewer::DisplayStrings ReportPreviewGlue(std::string_view iniName = previewer::kDisplayStringsFile);
// Opens a web address in the desktop's browser, trailing blanks dropped.
void OpenWebPage(QWidget *owner, std::string_view address);

// Registers every procedure of the client program by name.
void registerClientProcedures();
// The edition the shared windows serve: read-only, titles from the client system record, the
// run's report format.
void installClientEdition();

// The procedures, reached by name (the registry holds them under these names).
void Main();
void SplashWindow();
void CalendarWindow();
void AboutKelvara();
void ReportFormat();
void ShowZenvik();
void HomeInventoryMenu();
void UpdateMasterInventory();
// The frame title.
extern const char *const kFrameTitle;
// The frame while it runs (nullptr otherwise).
QWidget *frame();
// Main in two halves around the event loop: the frame opened (nullptr when the client system
// record could not be read, after its message), and closed again with its placement saved.
QMainWindow *openFrame();
void closeFrame();

}  // namespace client
