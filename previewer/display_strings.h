// The texts of the preview window, read from the previewer's INI file ("VURDRPTS.INI"), each
// with its built-in default. The file is only read; without it every default shows.
#pragma once

#include <string>
#include <string_view>

namespace previewer {

inline constexpr std::string_view kDisplayStringsSection = "DISPLAY STRINGS 2.0";
inline constexpr std::string_view kPreviewHelpSection = "PREVIEW HELP 2.0";
inline constexpr std::string_view kDisplayStringsFile = "VURDRPTS.INI";

// A missing key gives the default; a key that is present gives its value, also an empty one.
// The entries with a place of limited size are cut to it (bytes, at a character boundary).
struct DisplayStrings {
    std::string fullWidthTip = "Full WIDTH View";
    std::string fullHeightTip = "Full HEIGHT View";
    std::string zoomPctValTip = "Current Display %";
    std::string firstPageTip = "First Page";
    std::string prevPageTip = "Previous Page";
    std::string nextPageTip = "Next Page";
    std::string lastPageTip = "Last Page";
    std::string pageNoTip = "Page Number shown";
    std::string pagesToPrintTip = "Pages to Print: ALL or Ranges (ie. 1-2,5,7,12-15)";
    std::string printThisPageTip = "Print THIS Page";
    std::string textOutTip = "TEXT File Output";
    std::string printTip = "Printing Options...";
    std::string exitTip = "Exit without printing";
    std::string copiesTip = "Number of Copies to Print";
    std::string pagesToPrintErrorText = "is invalid!";  // 47
    std::string pagesToPrintErrorHdg = "Error";         // 31
    std::string pagesToPrintValue = "All";              // 31
    std::string windowTitle = "Report Preview";
    std::string pageOfPrompt = "of";
    std::string pagesToPrintPrompt = "Pages to Print";
    std::string pageNoPrompt = "Page";
    std::string zoomPctPrompt = "Zoom Pct";
    std::string copiesPrompt = "Copies";
    // The pop-up menu, 31 each; "&" marks the letter that chooses the item.
    std::string menu = "&Menu";
    std::string menuFullHeight = "Full &Height";
    std::string menuFullWidth = "Full &Width";
    std::string menuZoomPct = "&Zoom Percent";
    std::string menuFirstPage = "F&irst Page";
    std::string menuPrevPage = "Pr&evious Page";
    std::string menuNextPage = "&Next Page";
    std::string menuLastPage = "&Last Page";
    std::string menuPrintPage = "P&rint Page";
    std::string menuGoToPage = "&GoTo Page";
    std::string menuPagesToPrint = "Pages &to Print";
    std::string menuCopies = "C&opies";
    std::string menuPrint = "&Print";
    std::string menuExit = "E&xit";
    std::string menuTextOut = "&Text Out";

    bool operator==(const DisplayStrings &) const = default;
};

// The preview window's help, used when the caller gives none: help file (64), context (32).
struct PreviewHelp {
    std::string helpFile;
    std::string context;
};

// The INI file a name stands for: a bare name lies in the program's home folder.
std::string displayStringsPath(std::string_view iniName = kDisplayStringsFile);

DisplayStrings readDisplayStrings(const std::string &iniPath);
PreviewHelp readPreviewHelp(const std::string &iniPath);
// Only the window title, which is read again after the print dialog.
std::string readWindowTitle(const std::string &iniPath);

}  // namespace previewer
