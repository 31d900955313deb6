// The previewer module: the four entry points of vurd5p32.h over the previewer library. The
// module's export list (vurd5p32.map) holds these four names and nothing else.
#include "previewer/vurd5p32.h"

#include <QApplication>
#include <QPrinter>
#include <string>
#include <vector>

#include "previewer/page_numbering.h"
#include "previewer/preview_window.h"
#include "previewer/printer_support.h"

namespace {

using Queue = std::vector<std::string>;

Queue *queueOf(void *queue) { return static_cast<Queue *>(queue); }

std::string text(const char *s) { return s ? std::string(s) : std::string(); }

// The current printer's answers, with the collation it holds (the preview leaves the user's
// choice there).
previewer::PrinterCapabilities currentPrinter()
{
    return previewer::previewCapabilities(previewer::previewPrinter().collateCopies());
}

}  // namespace

extern "C" {

std::uint8_t PRINTPREVIEW(void *queue, std::int16_t zoomPercent, std::uint8_t builtInIniName, void *report,
                          std::uint8_t helpContextSwitch, std::uint8_t helpFileSwitch,
                          std::uint8_t textOutputSwitch, std::int32_t linesPerPage,
                          std::uint8_t textOutputSwitch2, std::uint8_t options, const char *helpContext,
                          const char *helpFile, const char *textFile, const char *iniFile)
{
    if (!queue)
        return 2;
    previewer::PreviewArguments args;
    args.zoomPercent = zoomPercent;
    args.builtInIniName = builtInIniName;
    args.helpContextSwitch = helpContextSwitch;
    args.helpFileSwitch = helpFileSwitch;
    args.textOutputSwitch = textOutputSwitch;
    args.linesPerPage = linesPerPage;
    args.textOutputSwitch2 = textOutputSwitch2;
    args.options = options;
    args.helpContext = text(helpContext);
    args.helpFile = text(helpFile);
    args.textFile = text(textFile);
    args.iniFile = text(iniFile);
    previewer::PreviewReport none;
    previewer::PreviewReport &r = report ? *static_cast<previewer::PreviewReport *>(report) : none;
    return static_cast<std::uint8_t>(previewer::printPreview(*queueOf(queue), args, r, QApplication::activeWindow()));
}

void ASSGNPGOFPG(void *queue, std::uint8_t totalSwitch, std::uint8_t, std::uint8_t, std::uint8_t, std::int32_t,
                 std::uint8_t, const char *, const char *)
{
    if (queue && totalSwitch)
        previewer::assignPageOfPages(*queueOf(queue));
}

void HANDLECOPIES(void *queue, std::int16_t copies)
{
    if (queue)
        previewer::handleCopies(*queueOf(queue), copies, currentPrinter());
}

std::int16_t SUPPORTED(std::int32_t code)
{
    return static_cast<std::int16_t>(previewer::supported(code, currentPrinter()));
}

}  // extern "C"
