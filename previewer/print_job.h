// One print job: the report's pages sent to the destination the user chose, on a printer made
// for that job alone, with its outcome checked and told. A printer object that served one job
// is never used for another: a job that failed half-way leaves nothing behind that stops the
// next one.
#pragma once

#include <QPageSize>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "previewer/page_file.h"

class QPageLayout;
class QPrinter;
class QWidget;

namespace previewer {

struct JobOutcome {
    enum Status { Printed, Cancelled, Failed };
    Status status = Failed;
    int pages = 0;
    std::string message;  // what the user was told when it failed
    QString target;       // the printer's name or the file's path
    bool printed() const { return status == Printed; }
};

// What a job needs besides its pages: the destination and settings (printer name or PDF output,
// paper, duplex, colour) come from `settings`, the program's printer that the print dialog and
// Print Setup set up; it is only read.
struct JobRequest {
    int copies = 1;        // the job's copy count (1 when the pages already hold every copy)
    bool collate = false;
    QString title;         // the job's name at the printer, the PDF's document title
    // A PDF file already named for this job (by the print dialog just accepted); empty: a PDF
    // destination asks for the file by name.
    QString fileName;
};

// What the print service says of a queue, as far as a job cares.
struct QueueState {
    bool reached = true;    // the print service answered at all
    bool known = true;      // it knows the queue
    bool accepting = true;  // the queue takes new jobs
    bool stopped = false;   // the printer is stopped: jobs wait in its queue until it is started
    std::string reason;     // the reason the administrator gave for a stopped or refusing queue
};

// What a job uses from the desktop; tests replace them (no printer, no one at a dialog).
struct JobServices {
    // The save dialog for a PDF file: proposes a name in the last folder used and confirms an
    // overwrite; nullopt when cancelled.
    std::function<std::optional<QString>(const QString &proposed, QWidget *parent)> pdfFileName;
    // The printers installed.
    std::function<QStringList()> printerNames;
    // The queue's state at the print service (an empty name asks only whether the service
    // answers); nullopt when there is no print service to ask.
    std::function<std::optional<QueueState>(const QString &printer)> queueState;
};
JobServices setJobServices(JobServices services);

// The paper chosen in the print dialog for PDF output, taken by the jobs that follow; none: each
// page goes out on the paper its report was laid out for. A system printer always prints on its
// own paper (its default, or what its dialog chose).
void setChosenPdfPaper(std::optional<QPageSize> paper);

// How a page of `header` goes on `paper` (upright): turned to the page's orientation, shrunk to
// fit when larger (never enlarged, never cut), centred across. `dpi` is the device's resolution.
struct PageFit {
    QPageSize paper;
    double scale = 1;  // device units to the thousandth of an inch
    QPointF origin;    // the page's top left corner, in device units
};
PageFit fitPage(const PageHeader &header, const QPageSize &paper, int dpi);

// Paints the page files on the printer's pages, a blank page on the paper of the page before it.
// With `fit`, each page goes on `paper` (or, without one, on paper of its own size) as fitPage
// places it; without, on paper of its own size at its own scale. Returns the pages painted;
// `stop` tells where the painting stopped.
enum class PaintStop { Done, NotStarted, NewPageRefused, NotFinished };
int paintPages(QPrinter &printer, const std::vector<std::string> &pages, bool fit,
               const std::optional<QPageSize> &paper, PaintStop &stop);

// Prints the pages as one job. The destination is `settings`'s: a PDF file (asked for by name
// unless the request names it; written beside the target, every write checked, and put in its
// place only once whole and on the disk, so that a failed job leaves an existing file byte for
// byte as it was; a new file gets the mode the user's umask gives, a replaced one keeps its
// mode) or a system printer (checked for being installed and accepting jobs, a stopped one
// printed to only when the user agrees, and the job's acceptance read back where the printing
// system tells it). With no printer installed, or no print service answering, the user may print
// to a PDF file instead. A failure shows a message naming the printer or file and the reason.
JobOutcome printJob(const QPrinter &settings, const std::vector<std::string> &pages, const JobRequest &request,
                    QWidget *parent = nullptr);

}  // namespace previewer
