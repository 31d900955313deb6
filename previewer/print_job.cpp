#include "previewer/print_job.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>
#include <dlfcn.h>

#include "previewer/page_render.h"
#include "runtime/message.h"

namespace previewer {

namespace {

JobServices &services()
{
    static JobServices s;
    return s;
}

std::optional<QPageSize> &chosenPdfPaper()
{
    static std::optional<QPageSize> p;
    return p;
}

QString &lastPdfFolder()
{
    static QString folder;
    return folder;
}

// The printing system's own answers, read from its library when it is there: whether a queue
// takes jobs, and how the last request of this thread went (the job Qt just submitted). Loaded
// at run time so that the programs neither need it to build nor to run without printers.
struct Cups {
    struct Option {
        char *name;
        char *value;
    };
    struct Dest {
        char *name, *instance;
        int isDefault;
        int numOptions;
        Option *options;
    };
    using GetNamedDest = Dest *(*)(void *, const char *, const char *);
    using FreeDests = void (*)(int, Dest *);
    using GetOption = const char *(*)(const char *, int, Option *);
    using LastError = int (*)();
    using LastErrorString = const char *(*)();

    GetNamedDest getNamedDest = nullptr;
    FreeDests freeDests = nullptr;
    GetOption getOption = nullptr;
    LastError lastError = nullptr;
    LastErrorString lastErrorString = nullptr;

    bool ready() const { return getNamedDest && freeDests && getOption && lastError && lastErrorString; }

    static const Cups &get()
    {
        static const Cups c = [] {
            Cups k;
            void *lib = dlopen("libcups.so.2", RTLD_LAZY | RTLD_NOLOAD);
            if (!lib)
                lib = dlopen("libcups.so.2", RTLD_LAZY);
            if (!lib)
                return k;
            k.getNamedDest = reinterpret_cast<GetNamedDest>(dlsym(lib, "cupsGetNamedDest"));
            k.freeDests = reinterpret_cast<FreeDests>(dlsym(lib, "cupsFreeDests"));
            k.getOption = reinterpret_cast<GetOption>(dlsym(lib, "cupsGetOption"));
            k.lastError = reinterpret_cast<LastError>(dlsym(lib, "cupsLastError"));
            k.lastErrorString = reinterpret_cast<LastErrorString>(dlsym(lib, "cupsLastErrorString"));
            return k;
        }();
        return c;
    }
};

// IPP status codes from here up are errors.
constexpr int kIppErrorStatus = 0x0400;

std::optional<std::string> cupsRefusal(const QString &printer)
{
    const Cups &c = Cups::get();
    if (!c.ready())
        return std::nullopt;
    const QByteArray name = printer.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    Cups::Dest *d = c.getNamedDest(nullptr, name.constData(), nullptr);
    if (!d)
        return std::string("the printing system does not know this printer");
    std::optional<std::string> refused;
    const char *accepting = c.getOption("printer-is-accepting-jobs", d->numOptions, d->options);
    if (accepting && (std::string_view(accepting) == "false" || std::string_view(accepting) == "0")) {
        const char *why = c.getOption("printer-state-message", d->numOptions, d->options);
        refused = std::string("the printer is not accepting jobs") + (why && *why ? std::string(" (") + why + ")" : "");
    }
    c.freeDests(1, d);
    return refused;
}

QStringList installedPrinters()
{
    return services().printerNames ? services().printerNames() : QPrinterInfo::availablePrinterNames();
}

std::optional<QString> askPdfName(const QString &title, QWidget *parent)
{
    QString folder = lastPdfFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    QString base = title.trimmed();
    for (QChar bad : {QChar('/'), QChar('\\'), QChar(':'), QChar('*'), QChar('?'), QChar('"'), QChar('<'),
                      QChar('>'), QChar('|')})
        base.replace(bad, QChar(' '));
    if (base.trimmed().isEmpty())
        base = QStringLiteral("Report");
    const QString proposed = QDir(folder).filePath(base.simplified() + QStringLiteral(".pdf"));
    std::optional<QString> name;
    if (services().pdfFileName) {
        name = services().pdfFileName(proposed, parent);
    } else {
        // The dialog itself asks before it lets an existing file be replaced.
        QString picked = QFileDialog::getSaveFileName(parent, QStringLiteral("Print to File (PDF)"), proposed,
                                                      QStringLiteral("PDF (*.pdf);;All Files (*)"));
        if (!picked.isEmpty())
            name = picked;
    }
    if (name && !name->isEmpty()) {
        if (QFileInfo(*name).suffix().isEmpty())
            *name += QStringLiteral(".pdf");
        lastPdfFolder() = QFileInfo(*name).absolutePath();
        return name;
    }
    return std::nullopt;
}

JobOutcome fail(JobOutcome o, const std::string &what, const std::string &reason)
{
    o.status = JobOutcome::Failed;
    o.message = what + ":|" + reason;
    rt::beep();
    rt::message(o.message, "Print", rt::Icon::Exclamation, rt::BUTTON_OK);
    return o;
}

}  // namespace

JobServices setJobServices(JobServices s)
{
    JobServices old = services();
    services() = std::move(s);
    return old;
}

void setChosenPdfPaper(std::optional<QPageSize> paper) { chosenPdfPaper() = std::move(paper); }

PageFit fitPage(const PageHeader &header, const QPageSize &paper, int dpi)
{
    PageFit fit;
    fit.paper = paper;
    const bool landscape = header.orientation == Orientation::Landscape;
    QSizeF upright = paper.size(QPageSize::Inch);
    // The paper turned as the page is, in thousandths of an inch.
    QSizeF sheet = landscape ? QSizeF(upright.height() * 1000, upright.width() * 1000)
                             : QSizeF(upright.width() * 1000, upright.height() * 1000);
    double s = 1;
    if (header.valid())
        s = std::min({1.0, sheet.width() / header.width, sheet.height() / header.height});
    fit.scale = s * dpi / 1000.0;
    double left = header.valid() ? std::max(0.0, (sheet.width() - header.width * s) / 2) : 0;
    fit.origin = QPointF(left * dpi / 1000.0, 0);
    return fit;
}

int paintPages(QPrinter &printer, const std::vector<std::string> &pages, bool fit,
               const std::optional<QPageSize> &paper, PaintStop &stop)
{
    stop = PaintStop::NotStarted;
    if (pages.empty())
        return 0;
    printer.setFullPage(true);
    PageHeader last{8500, 11000, Orientation::Portrait};
    for (const std::string &path : pages) {
        if (PageHeader h = readPageHeader(path); h.valid()) {
            last = h;
            break;
        }
    }
    QPainter painter;
    int printed = 0;
    std::optional<QPageLayout> laid;  // a report's pages mostly share one paper: set it only when it changes
    for (const std::string &path : pages) {
        Page page = readPageFile(path);
        if (page.header.valid())
            last = page.header;
        const QPageSize sheet = fit && paper && paper->isValid() ? *paper : pageLayoutOf(last).pageSize();
        const QPageLayout layout(sheet,
                                 last.orientation == Orientation::Landscape ? QPageLayout::Landscape
                                                                            : QPageLayout::Portrait,
                                 QMarginsF(0, 0, 0, 0));
        if (!laid || !laid->isEquivalentTo(layout) || laid->orientation() != layout.orientation()) {
            printer.setPageLayout(layout);
            laid = layout;
        }
        if (printed == 0) {
            if (!painter.begin(&printer))
                return 0;
        } else if (!printer.newPage()) {
            painter.end();
            stop = PaintStop::NewPageRefused;
            return printed;
        }
        if (fit) {
            const PageFit placed = fitPage(last, sheet, printer.resolution());
            renderPage(painter, page, placed.scale, placed.origin);
        } else {
            renderPage(painter, page, printer.resolution() / 1000.0);
        }
        ++printed;
    }
    stop = painter.end() ? PaintStop::Done : PaintStop::NotFinished;
    return printed;
}

JobOutcome printJob(const QPrinter &settings, const std::vector<std::string> &pages, const JobRequest &request,
                    QWidget *parent)
{
    JobOutcome outcome;
    if (pages.empty()) {
        outcome.status = JobOutcome::Cancelled;
        return outcome;
    }
    // PDF output that names no file is no one's choice: it is what the printing support falls
    // back to when it finds no printer.
    bool toPdf = settings.outputFormat() == QPrinter::PdfFormat && !settings.outputFileName().isEmpty();
    QString printerName = toPdf ? QString() : settings.printerName();
    QString fileName = request.fileName;
    if (!toPdf && !fileName.isEmpty())
        toPdf = true;
    if (!toPdf) {
        const QStringList installed = installedPrinters();
        if (installed.isEmpty()) {
            int a = rt::message("No printer is installed.||Do you wish to print the report to a PDF file instead?",
                                "Print", rt::Icon::Question, rt::BUTTON_YES | rt::BUTTON_NO, rt::BUTTON_YES);
            if (a != rt::BUTTON_YES) {
                outcome.status = JobOutcome::Cancelled;
                outcome.message = "No printer is installed.";
                return outcome;
            }
            toPdf = true;
            fileName.clear();
        } else {
            if (printerName.isEmpty()) {
                const QString fallback = QPrinterInfo::defaultPrinterName();
                printerName = installed.contains(fallback) ? fallback : installed.front();
            }
            outcome.target = printerName;
            const std::string what = "The report could not be printed on " + printerName.toStdString();
            if (!installed.contains(printerName))
                return fail(outcome, what, "this printer is not installed");
            std::optional<std::string> refused =
                services().refusal ? services().refusal(printerName) : cupsRefusal(printerName);
            if (refused)
                return fail(outcome, what, *refused);
        }
    }
    if (toPdf && fileName.isEmpty()) {
        std::optional<QString> name = askPdfName(request.title, parent);
        if (!name) {
            outcome.status = JobOutcome::Cancelled;
            return outcome;
        }
        fileName = *name;
    }

    // The job's own printer, set up from the settings for this job only.
    QPrinter job(QPrinter::HighResolution);
    std::optional<QPageSize> paper;
    std::unique_ptr<QTemporaryFile> part;
    std::string what;
    if (toPdf) {
        outcome.target = QFileInfo(fileName).absoluteFilePath();
        what = "The report could not be written to the file " + outcome.target.toStdString();
        // Written beside the target first: an existing file is replaced only by a whole report.
        part = std::make_unique<QTemporaryFile>(QFileInfo(outcome.target).absolutePath() +
                                                QStringLiteral("/.printing-XXXXXX.pdf"));
        if (!part->open())
            return fail(outcome, what, part->errorString().toStdString());
        part->close();
        job.setOutputFormat(QPrinter::PdfFormat);
        job.setOutputFileName(part->fileName());
        paper = chosenPdfPaper();
    } else {
        job.setPrinterName(printerName);
        what = "The report could not be printed on " + printerName.toStdString();
        if (!job.isValid())
            return fail(outcome, what, "the printer cannot be used");
        paper = settings.pageLayout().pageSize();
        job.setDuplex(settings.duplex());
        job.setColorMode(settings.colorMode());
    }
    job.setDocName(request.title);
    job.setCreator(QStringLiteral("Orvane"));
    job.setCopyCount(std::max(1, request.copies));
    job.setCollateCopies(request.collate);
    job.setFullPage(true);

    PaintStop stop;
    const int printed = paintPages(job, pages, true, paper, stop);
    if (stop == PaintStop::NotStarted)
        return fail(outcome, what, toPdf ? "the file cannot be created" : "the printer cannot be started");
    if (stop == PaintStop::NewPageRefused)
        return fail(outcome, what, "the printer stopped after page " + std::to_string(printed));
    if (stop == PaintStop::NotFinished)
        return fail(outcome, what, "the job could not be finished");
    if (job.printerState() == QPrinter::Error)
        return fail(outcome, what, "the printer reported an error");
    if (job.printerState() == QPrinter::Aborted) {
        outcome.status = JobOutcome::Cancelled;
        return outcome;
    }
    if (!toPdf && Cups::get().ready() && !services().refusal) {
        // Qt submits the job when the painter ends; the printing system's answer to it is the
        // last one this thread got.
        if (Cups::get().lastError() >= kIppErrorStatus) {
            const char *why = Cups::get().lastErrorString();
            return fail(outcome, what, why && *why ? why : "the printing system refused the job");
        }
    }
    if (toPdf) {
        if (std::rename(part->fileName().toLocal8Bit().constData(), outcome.target.toLocal8Bit().constData()) != 0)
            return fail(outcome, what, "the finished file could not be put in its place");
        part->setAutoRemove(false);
    }
    outcome.status = JobOutcome::Printed;
    outcome.pages = printed;
    return outcome;
}

}  // namespace previewer
