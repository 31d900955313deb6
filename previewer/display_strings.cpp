#include "previewer/display_strings.h"

#include <cstddef>
#include <map>

#include "runtime/ini.h"
#include "runtime/paths.h"
#include "runtime/text.h"

namespace previewer {

namespace {

struct Entry {
    const char *key;
    std::string DisplayStrings::*field;
    std::size_t limit;  // 0: as long as it is
};

constexpr std::size_t kMenu = 31;

const Entry kEntries[] = {
    {"FullWidthTip", &DisplayStrings::fullWidthTip, 0},
    {"FullHeightTip", &DisplayStrings::fullHeightTip, 0},
    {"ZoomPctValTip", &DisplayStrings::zoomPctValTip, 0},
    {"FirstPageTip", &DisplayStrings::firstPageTip, 0},
    {"PrevPageTip", &DisplayStrings::prevPageTip, 0},
    {"NextPageTip", &DisplayStrings::nextPageTip, 0},
    {"LastPageTip", &DisplayStrings::lastPageTip, 0},
    {"PageNoTip", &DisplayStrings::pageNoTip, 0},
    {"PagesToPrintTip", &DisplayStrings::pagesToPrintTip, 0},
    {"PrintThisPageTip", &DisplayStrings::printThisPageTip, 0},
    {"TextOutTip", &DisplayStrings::textOutTip, 0},
    {"PrintTip", &DisplayStrings::printTip, 0},
    {"ExitTip", &DisplayStrings::exitTip, 0},
    {"CopiesTip", &DisplayStrings::copiesTip, 0},
    {"PagesToPrintErrorText", &DisplayStrings::pagesToPrintErrorText, 47},
    {"PagesToPrintErrorHdg", &DisplayStrings::pagesToPrintErrorHdg, 31},
    {"PagesToPrintValue", &DisplayStrings::pagesToPrintValue, 31},
    {"Window Title", &DisplayStrings::windowTitle, 0},
    {"PageOFprompt", &DisplayStrings::pageOfPrompt, 0},
    {"PagesToPrintPrompt", &DisplayStrings::pagesToPrintPrompt, 0},
    {"PageNoPrompt", &DisplayStrings::pageNoPrompt, 0},
    {"ZoomPctPrompt", &DisplayStrings::zoomPctPrompt, 0},
    {"CopiesPrompt", &DisplayStrings::copiesPrompt, 0},
    {"PmenuStr", &DisplayStrings::menu, kMenu},
    {"PmenuFullHeightStr", &DisplayStrings::menuFullHeight, kMenu},
    {"PmenuFullWidthStr", &DisplayStrings::menuFullWidth, kMenu},
    {"PmenuZoomPctStr", &DisplayStrings::menuZoomPct, kMenu},
    {"PmenuFirstPageStr", &DisplayStrings::menuFirstPage, kMenu},
    {"PmenuPrevPageStr", &DisplayStrings::menuPrevPage, kMenu},
    {"PmenuNextPageStr", &DisplayStrings::menuNextPage, kMenu},
    {"PmenuLastPageStr", &DisplayStrings::menuLastPage, kMenu},
    {"PmenuPrintPageStr", &DisplayStrings::menuPrintPage, kMenu},
    {"PmenuGoToPageStr", &DisplayStrings::menuGoToPage, kMenu},
    {"PmenuPagesToPrintStr", &DisplayStrings::menuPagesToPrint, kMenu},
    {"PmenuCopiesStr", &DisplayStrings::menuCopies, kMenu},
    {"PmenuPrintStr", &DisplayStrings::menuPrint, kMenu},
    {"PmenuExitStr", &DisplayStrings::menuExit, kMenu},
    {"PmenuTextOutStr", &DisplayStrings::menuTextOut, kMenu},
};

// One section of the file, read in one pass: a large file costs one reading per use, not one
// per entry. A file that cannot be read (a folder, a FIFO) gives every entry its default.
class Section {
public:
    Section(const std::string &iniPath, std::string_view section)
        : keys_(rt::iniSection(rt::IniFile(iniPath).text(), section))
    {
    }
    std::string read(std::string_view key, const std::string &def, std::size_t limit = 0) const
    {
        auto it = keys_.find(rt::upper(key));
        const std::string &v = it == keys_.end() ? def : it->second;
        return limit ? std::string(rt::cutUtf8(v, limit)) : v;
    }

private:
    std::map<std::string, std::string> keys_;
};

}  // namespace

std::string displayStringsPath(std::string_view iniName)
{
    std::string name = rt::trim(iniName);
    if (name.empty())
        name = kDisplayStringsFile;
    if (name.find('/') != std::string::npos)
        return name;
    return rt::joinPath(rt::homeFolder(), name);
}

DisplayStrings readDisplayStrings(const std::string &iniPath)
{
    const Section section(iniPath, kDisplayStringsSection);
    DisplayStrings s;
    for (const Entry &e : kEntries)
        s.*(e.field) = section.read(e.key, s.*(e.field), e.limit);
    return s;
}

PreviewHelp readPreviewHelp(const std::string &iniPath)
{
    const Section section(iniPath, kPreviewHelpSection);
    return {section.read("PreviewHelp", {}, 64), section.read("PreviewContext", {}, 32)};
}

std::string readWindowTitle(const std::string &iniPath)
{
    return Section(iniPath, kDisplayStringsSection).read("Window Title", DisplayStrings{}.windowTitle);
}

}  // namespace previewer
