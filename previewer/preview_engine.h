// The rules of the preview window that need no window: the pages text, the chosen pages, the
// zoom, the window title, the page folder and the caller's print of the queue.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "previewer/print_job.h"
#include "previewer/printer_support.h"

class QPrinter;
class QWidget;

namespace previewer {

// Pages `from` to `thru`; numbers above the page count choose nothing.
struct PageRange {
    long from = 0;
    long thru = 0;
    bool operator==(const PageRange &) const = default;
};
using PageRanges = std::vector<PageRange>;  // in ascending order of from; empty: all pages

// The pages text as the user typed it. The all-pages word (any case, trailing blanks aside)
// gives no ranges. Otherwise only digits, "," and "-" may appear; each piece up to a comma is a
// page or a range ("4-6"; "5-" is page 5, "3-1" is page 3, an empty piece is page 0). A page 0
// or one above `total` makes the whole text invalid: nullopt. Numbers are never wrapped, so
// "65537" is far above any total and not page 1.
std::optional<PageRanges> parsePagesText(std::string_view text, std::string_view allWord, long total);

// The page numbers (1-based, ascending) that the ranges choose among `total` pages.
std::vector<long> chosenPages(const PageRanges &ranges, long total);

// Takes the pages the ranges do not choose out of the queue and deletes their files. An entry
// leaves the queue also when its file cannot be deleted, so it is never printed.
void dropUnchosenPages(std::vector<std::string> &queue, const PageRanges &ranges);

// The zoom percents offered, and a percent brought into their span (25 to 250).
inline constexpr int kZoomSteps[] = {25, 50, 75, 100, 125, 150, 175, 200, 225, 250};
int clampZoom(long percent);

// The scale at which `natural` fills `available`, to two places; 1.00 when either is empty.
double fitFactor(double available, double natural);

// "<title>   [<device> on <port>]".
QString previewTitle(const QString &windowTitle, const QString &device, const QString &port);
// The printer's name and the port text shown in the title: PDF output is "PDF" on its file
// name; a system printer is its name on its location, or "local" when it names none.
void printerDeviceAndPort(const QPrinter &printer, QString &device, QString &port);

// The folder a report's page files are written into: made fresh for the run, removed with
// everything in it when the object goes.
class PageFolder {
public:
    PageFolder();
    bool isValid() const { return dir_.isValid(); }
    std::string path() const { return dir_.path().toStdString(); }
    // The full path of page `number`'s file.
    std::string pagePath(int number) const;

private:
    QTemporaryDir dir_;
};

// What a report does with the queue after the preview said print: the copies the printer cannot
// make are added to the queue (see handleCopies), the job goes out with a copy count of 1 when
// they were and of `copies` when not, and the printer keeps its own copy count afterwards.
// The job goes to the destination `printer` names (see printJob), titled `title`; `fileName` is
// a PDF file already chosen for it. Its outcome has been told to the user when it failed.
JobOutcome printQueue(const QPrinter &printer, const std::vector<std::string> &queue, int copies, bool collate,
                      const QString &title = {}, const QString &fileName = {}, QWidget *parent = nullptr);

}  // namespace previewer
