// The texts of a report run (progress window, questions, notes), read from the previewer's INI
// file with their built-in defaults, so that they change without a new build.
#pragma once

#include <string>
#include <string_view>

namespace reports {

struct ReportStrings {
    std::string progWinTitlePrvw = "Generating Report";
    std::string progWinTitlePrnt = "Printing Report";
    std::string progWinPctText = "% Completed";
    std::string progWinUsrText;
    std::string askPrvwDialogTitle;
    std::string askPrvwDialogText;
    std::string cancelAreYouSureTitle = "Question";
    std::string cancelAreYouSureText = "Are you sure you want to CANCEL this Report?";
    std::string cancelPrvwPartialTitle = "Question";
    std::string cancelPrvwPartialText = "Report Cancellation Requested!||Preview Report generated so far?";
    std::string nothingToPrvwTitle = "NOTE...";
    std::string nothingToPrvwText = "Nothing to Preview.";
    std::string nothingToPrntTitle = "NOTE...";
    std::string nothingToPrntText = "Nothing to Print.";
};

// Reads the section "DISPLAY STRINGS 2.0" of the INI file (a blank name: "WIN.INI"); the
// question, title and user text are the defaults of the entries the caller supplies. Each text
// is cut to 63 bytes, the partial-preview question to 127. The file is never written.
ReportStrings ReportPreviewGlue(std::string_view question, std::string_view title, std::string_view userText,
                                std::string_view iniFile);

}  // namespace reports
