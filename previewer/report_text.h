// A report's text saved to a plain file: every chosen page laid on a grid of text lines and the
// lines of all pages written one after another.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "previewer/page_file.h"

namespace previewer {

// Columns of a text line, and the rows of a page in automatic mode.
inline constexpr int kTextColumns = 200;
inline constexpr int kAutomaticRows = 150;

// The rows of a page for a lines-per-page setting: 0 (or less) is automatic mode, 150 rows of
// which only those with text are kept; a positive number is fixed mode, that many rows all
// kept (at most 32767).
struct TextMode {
    int rows = kAutomaticRows;
    bool automatic = true;
};
TextMode textMode(long linesPerPage);

// The lines of one page; a page that cannot be read gives blank rows (fixed) or none (automatic).
std::vector<std::string> pageTextLines(const Page &page, TextMode mode);

// Writes the text of the page files, in order, into `outputPath`, replacing the file: each line
// without trailing blanks and ending in CR LF, no header and no page separator; in fixed mode
// page k holds lines (k-1) * rows + 1 to k * rows. `progress` hears the position of each page
// among `pages` as it is read. False when the file cannot be created (nothing is written then)
// or not written whole.
bool writeReportText(const std::vector<std::string> &pages, long linesPerPage, const std::string &outputPath,
                     const std::function<void(int)> &progress = {});

// The previewer's text-file argument: blank means no text output; a leading "~" means the name
// after it is proposed in a save dialog. The name is trimmed of blanks and never cut.
struct TextOutputTarget {
    bool ask = false;
    std::string name;
};
TextOutputTarget textOutputTarget(std::string_view argument);

// The button is offered when both switches are 0 and the argument names a file.
bool textOutputOffered(int allowSwitch, int secondSwitch, std::string_view argument);

// The button's tip: the tip text, ": " and the name, with "?" when the name is asked for.
std::string textOutputTip(std::string_view tip, std::string_view argument);

}  // namespace previewer
