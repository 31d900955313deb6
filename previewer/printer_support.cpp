#include "previewer/printer_support.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace previewer {

PrinterCapabilities capabilitiesOf(const QPrinter &printer, bool collate)
{
    PrinterCapabilities caps;
    caps.collate = collate;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        caps.present = true;
        caps.paperSizes = caps.customPaper = caps.scale = true;
        caps.color = caps.resolution = caps.orientation = true;
        return caps;
    }
    if (!printer.isValid())
        return caps;
    QPrinterInfo info(printer);
    caps.present = true;
    caps.paperSizes = !info.supportedPageSizes().isEmpty();
    caps.customPaper = info.supportsCustomPageSizes();
    // Pages are drawn at whatever scale the paper needs, on every printer.
    caps.scale = true;
    caps.copies = printer.supportsMultipleCopies();
#if defined(Q_OS_WIN)
    caps.paperBins = !printer.supportedPaperSources().isEmpty();
#else
    // Qt names a printer's paper bins only on Windows; elsewhere the print dialog chooses them.
    caps.paperBins = false;
#endif
    caps.quality = caps.resolution = !info.supportedResolutions().isEmpty();
    caps.color = info.supportedColorModes().contains(QPrinter::Color);
    for (QPrinter::DuplexMode d : info.supportedDuplexModes())
        if (d != QPrinter::DuplexNone)
            caps.duplex = true;
    caps.orientation = true;
    return caps;
}

int supported(long code, const PrinterCapabilities &p)
{
    if ((code < PRINTER_PAPER_SIZE || code > PRINTER_TRUETYPE) && code != PRINTER_ORIENTATION)
        return -1;
    if (!p.present)
        return 0;
    bool yes = false;
    switch (code) {
    case PRINTER_PAPER_SIZE: yes = p.paperSizes; break;
    case PRINTER_PAPER_HEIGHT:
    case PRINTER_PAPER_WIDTH: yes = p.customPaper; break;
    case PRINTER_SCALE: yes = p.scale; break;
    case PRINTER_COPIES: yes = p.copies; break;
    case PRINTER_PAPER_BIN: yes = p.paperBins; break;
    case PRINTER_QUALITY: yes = p.quality; break;
    case PRINTER_COLOR: yes = p.color; break;
    case PRINTER_DUPLEX: yes = p.duplex; break;
    case PRINTER_Y_RESOLUTION: yes = p.resolution; break;
    case PRINTER_TRUETYPE: yes = p.trueType; break;
    case PRINTER_ORIENTATION: yes = p.orientation; break;
    default: break;
    }
    return yes ? 1 : 0;
}

bool handleCopies(std::vector<std::string> &queue, int copies, const PrinterCapabilities &printer)
{
    if (copies <= 1 || queue.empty())
        return false;
    if (supported(PRINTER_COPIES, printer) != 0 && !printer.collate)
        return false;
    std::size_t n = queue.size();
    queue.reserve(n * static_cast<std::size_t>(copies));
    for (int copy = 2; copy <= copies; ++copy)
        for (std::size_t i = 0; i < n; ++i)
            queue.push_back(queue[i]);
    return true;
}

}  // namespace previewer
