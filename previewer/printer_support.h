// What the printer can do, and the copies the program has to make when it cannot make them.
#pragma once

#include <string>
#include <vector>

class QPrinter;

namespace previewer {

// The codes by which reports and the previewer name printer settings.
enum PrinterSetting : long {
    PRINTER_DEVICE_MODE = 0x7B00,
    PRINTER_PAPER_SIZE = 0x7B01,
    PRINTER_PAPER_HEIGHT = 0x7B02,
    PRINTER_PAPER_WIDTH = 0x7B03,
    PRINTER_SCALE = 0x7B04,
    PRINTER_COPIES = 0x7B05,
    PRINTER_PAPER_BIN = 0x7B06,
    PRINTER_QUALITY = 0x7B07,
    PRINTER_COLOR = 0x7B08,
    PRINTER_DUPLEX = 0x7B09,
    PRINTER_Y_RESOLUTION = 0x7B0A,
    PRINTER_TRUETYPE = 0x7B0B,
    PRINTER_ORIENTATION = 0x7B1F,
    PRINTER_FROM_PAGE = 0x7B22,
    PRINTER_TO_PAGE = 0x7B23,
    PRINTER_COLLATE = 0x7B26,
    PRINTER_DEVICE = 0x7B28,
    PRINTER_PORT = 0x7B29,
};

// The current printer as the copies engine sees it: what its driver can do, and whether copies
// are to be made as repeated sets of all pages. capabilitiesOf() reads them from a printer;
// tests fill one in, since a test machine has no printer.
struct PrinterCapabilities {
    bool present = false;      // a printer (or the PDF output) to ask at all
    bool paperSizes = false;   // offers a choice of paper sizes
    bool customPaper = false;  // takes a paper size given by height and width
    bool scale = false;
    bool copies = false;  // makes several copies of a job itself
    bool paperBins = false;
    bool quality = false;
    bool color = false;
    bool duplex = false;
    bool resolution = false;
    bool trueType = false;
    bool orientation = false;
    bool collate = false;  // the setting, not a capability
};

// The printer's capabilities; `collate` is passed in because it must come from the user's
// choice (the print dialog's Collate box), not from Qt's default, which is on. PDF output is
// present, makes no copies and has no bins, duplex or quality choice.
PrinterCapabilities capabilitiesOf(const QPrinter &printer, bool collate);

// 1 when the printer supports the setting, 0 when it does not (or there is no printer), -1 for
// a code outside paper size to TrueType option (7B01h-7B0Bh) and orientation (7B1Fh).
// Paper height and width answer for a user-defined paper size. TrueType option answers 0: it is
// a choice of the Windows drivers that no printer here offers.
int supported(long code, const PrinterCapabilities &printer);

// Prepares the queue for `copies` copies. When the printer makes the copies itself and collated
// sets are not asked for, the queue stays as it is and the printer's copy count does the rest.
// Otherwise the whole queue is appended to itself until it holds every copy in page order
// (1, 2, 1, 2, ...): true is returned, and the job must then go to the printer with a copy
// count of 1, or every set would be printed that many times again. A repeated queue names the
// same page file more than once.
bool handleCopies(std::vector<std::string> &queue, int copies, const PrinterCapabilities &printer);

}  // namespace previewer
