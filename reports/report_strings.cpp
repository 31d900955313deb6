#include "reports/report_strings.h"

#include <map>

#include "previewer/display_strings.h"
#include "runtime/ini.h"
#include "runtime/text.h"

namespace reports {

ReportStrings ReportPreviewGlue(std::string_view question, std::string_view title, std::string_view userText,
                                std::string_view iniFile)
{
    std::string name = rt::clip(iniFile);
    if (name.empty())
        name = "WIN.INI";
    // A bare name is cut as the previewer's field holds it; a path names the program's folder.
    if (name.find('/') == std::string::npos)
        name = std::string(rt::cutUtf8(name, 63));
    rt::IniFile ini(previewer::displayStringsPath(name));
    ReportStrings s;
    s.progWinUsrText = std::string(userText);
    s.askPrvwDialogTitle = std::string(title);
    s.askPrvwDialogText = std::string(question);
    struct Entry {
        const char *key;
        std::string ReportStrings::*field;
        std::size_t limit;
    };
    static const Entry entries[] = {
        {"ProgWinTitlePrvw", &ReportStrings::progWinTitlePrvw, 63},
        {"ProgWinTitlePrnt", &ReportStrings::progWinTitlePrnt, 63},
        {"ProgWinPctText", &ReportStrings::progWinPctText, 63},
        {"ProgWinUsrText", &ReportStrings::progWinUsrText, 63},
        {"AskPrvwDialogTitle", &ReportStrings::askPrvwDialogTitle, 63},
        {"AskPrvwDialogText", &ReportStrings::askPrvwDialogText, 63},
        {"CancelAreYouSureTitle", &ReportStrings::cancelAreYouSureTitle, 63},
        {"CancelAreYouSureText", &ReportStrings::cancelAreYouSureText, 63},
        {"CancelPrvwPartialTitle", &ReportStrings::cancelPrvwPartialTitle, 63},
        {"CancelPrvwPartialText", &ReportStrings::cancelPrvwPartialText, 127},
        {"NothingToPrvwTitle", &ReportStrings::nothingToPrvwTitle, 63},
        {"NothingToPrvwText", &ReportStrings::nothingToPrvwText, 63},
        {"NothingToPrntTitle", &ReportStrings::nothingToPrntTitle, 63},
        {"NothingToPrntText", &ReportStrings::nothingToPrntText, 63},
    };
    // The section read once for all its entries: a large file costs one reading per report.
    const std::map<std::string, std::string> section = rt::iniSection(ini.text(), previewer::kDisplayStringsSection);
    for (const Entry &e : entries) {
        auto it = section.find(rt::upper(e.key));
        const std::string &v = it == section.end() ? s.*(e.field) : it->second;
        s.*(e.field) = std::string(rt::cutUtf8(v, e.limit));
    }
    return s;
}

}  // namespace reports
