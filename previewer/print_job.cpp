#include "previewer/print_job.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The printing system's own answers, read from its library when it is there: the state of a
// queue, and how the last request of this thread went (the job Qt just submitted). Loaded at run
// time so that the programs neither need it to build nor to run without printers.
struct Cups {
    using NewRequest = void *(*)(int);
    using AddString = void *(*)(void *, int, int, const char *, const char *, const char *);
    using DoRequest = void *(*)(void *, void *, const char *);
    using FindAttribute = void *(*)(void *, const char *, int);
    using GetInteger = int (*)(void *, int);
    using GetString = const char *(*)(void *, int, const char **);
    using Delete = void (*)(void *);
    using LastError = int (*)();
    using LastErrorString = const char *(*)();

    NewRequest newRequest = nullptr;
    AddString addString = nullptr;
    DoRequest doRequest = nullptr;
    FindAttribute findAttribute = nullptr;
    GetInteger getInteger = nullptr;
    GetInteger getBoolean = nullptr;
    GetString getString = nullptr;
    Delete deleteIpp = nullptr;
    LastError lastError = nullptr;
    LastErrorString lastErrorString = nullptr;

    bool ready() const
    {
        return newRequest && addString && doRequest && findAttribute && getInteger && getBoolean && getString &&
               deleteIpp && lastError && lastErrorString;
    }

    static const Cups &get()
    {
        static const Cups c = [] {
            Cups k;
            void *lib = dlopen("libcups.so.2", RTLD_LAZY | RTLD_NOLOAD);
            if (!lib)
                lib = dlopen("libcups.so.2", RTLD_LAZY);
            if (!lib)
                return k;
            auto sym = [lib](auto &f, const char *name) { f = reinterpret_cast<std::decay_t<decltype(f)>>(dlsym(lib, name)); };
            sym(k.newRequest, "ippNewRequest");
            sym(k.addString, "ippAddString");
            sym(k.doRequest, "cupsDoRequest");
            sym(k.findAttribute, "ippFindAttribute");
            sym(k.getInteger, "ippGetInteger");
            sym(k.getBoolean, "ippGetBoolean");
            sym(k.getString, "ippGetString");
            sym(k.deleteIpp, "ippDelete");
            sym(k.lastError, "cupsLastError");
            sym(k.lastErrorString, "cupsLastErrorString");
            return k;
        }();
        return c;
    }
};

// IPP codes: status codes from 0x0400 up are errors.
constexpr int kIppErrorStatus = 0x0400;
constexpr int kIppNotFound = 0x0406;
constexpr int kIppServerError = 0x0500;
constexpr int kIppGetPrinterAttributes = 0x000B;
constexpr int kIppGetDefault = 0x4001;
constexpr int kIppTagOperation = 0x01, kIppTagUri = 0x45, kIppTagAny = 0x00;
constexpr int kPrinterStopped = 5;

// Asks the print service for the queue's state (the queue's own attributes: the list of
// destinations leaves out the reason an administrator gave). With no name, only whether the
// service answers.
std::optional<QueueState> cupsQueueState(const QString &printer)
{
    const Cups &c = Cups::get();
    if (!c.ready())
        return std::nullopt;
    QueueState state;
    void *request = nullptr;
    if (printer.isEmpty()) {
        request = c.newRequest(kIppGetDefault);
    } else {
        const QByteArray uri = "ipp://localhost/printers/" +
                               QUrl::toPercentEncoding(printer.section(QLatin1Char('/'), 0, 0));
        request = c.newRequest(kIppGetPrinterAttributes);
        c.addString(request, kIppTagOperation, kIppTagUri, "printer-uri", nullptr, uri.constData());
    }
    void *answer = c.doRequest(nullptr, request, "/");
    if (!answer) {
        // No answer at all: the service is not there (its socket or port refused us).
        state.reached = c.lastError() < kIppServerError;
        state.known = c.lastError() != kIppNotFound;
        return state;
    }
    if (!printer.isEmpty()) {
        state.known = c.lastError() != kIppNotFound;
        if (void *a = c.findAttribute(answer, "printer-is-accepting-jobs", kIppTagAny))
            state.accepting = c.getBoolean(a, 0) != 0;
        if (void *a = c.findAttribute(answer, "printer-state", kIppTagAny))
            state.stopped = c.getInteger(a, 0) == kPrinterStopped;
        if (void *a = c.findAttribute(answer, "printer-state-message", kIppTagAny)) {
            const char *why = c.getString(a, 0, nullptr);
            state.reason = why ? why : "";
        }
    }
    c.deleteIpp(answer);
    return state;
}

std::optional<QueueState> queueStateOf(const QString &printer)
{
    return services().queueState ? services().queueState(printer) : cupsQueueState(printer);
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

// The file a PDF is written into beside its target. Every write is checked: the PDF writer
// goes on as if all was well when the disk fills, so the first failure is kept here, with the
// system's reason, and the file is put in place only when none happened.
class PdfPart : public QTemporaryFile {
public:
    explicit PdfPart(const QString &target)
        : QTemporaryFile(QFileInfo(target).absolutePath() + QStringLiteral("/.printing-XXXXXX.pdf"))
    {
    }
    bool failed() const { return error_ != 0; }
    int failure() const { return error_; }
    // Writes out what is buffered and waits until it is on the disk; false when that fails.
    bool finish()
    {
        if (!failed() && !flush())
            note();
        if (!failed() && ::fsync(handle()) != 0)
            error_ = errno;
        close();
        return !failed();
    }

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        errno = 0;
        const qint64 n = QTemporaryFile::writeData(data, len);
        if (n != len)
            note();
        return n;
    }

private:
    void note()
    {
        if (!failed())
            error_ = errno != 0 ? errno : (error() == QFileDevice::ResourceError ? ENOSPC : EIO);
    }
    int error_ = 0;
};

// Why a write failed, as the user is told it.
std::string writeFailure(int error)
{
    if (error == ENOSPC)
        return "the disk is full";
    if (error == EDQUOT)
        return "the disk quota is used up";
    return std::strerror(error);
}

// The mode a finished PDF file takes: the one of the file it replaces, else what a new file
// gets under the user's umask (the temporary file was made for the owner alone).
mode_t finishedMode(const QString &target)
{
    struct stat st {};
    if (::stat(QFile::encodeName(target).constData(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    // The umask is read where the system shows it; setting it to read it back would leave a
    // moment in which another thread's new files get no mask at all.
    mode_t mask = 022;
    QFile status(QStringLiteral("/proc/self/status"));
    bool found = false;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                mask = static_cast<mode_t>(line.mid(6).trimmed().toUInt(&found, 8));
                break;
            }
        }
    }
    if (!found) {
        mask = ::umask(0);
        ::umask(mask);
    }
    return 0666 & ~mask;
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

namespace {

int paintOn(QPagedPaintDevice &printer, int dpi, const std::vector<std::string> &pages, bool fit,
            const std::optional<QPageSize> &paper, PaintStop &stop)
{
    stop = PaintStop::NotStarted;
    if (pages.empty())
        return 0;
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
            const PageFit placed = fitPage(last, sheet, dpi);
            renderPage(painter, page, placed.scale, placed.origin);
        } else {
            renderPage(painter, page, dpi / 1000.0);
        }
        ++printed;
    }
    stop = painter.end() ? PaintStop::Done : PaintStop::NotFinished;
    return printed;
}

}  // namespace

int paintPages(QPrinter &printer, const std::vector<std::string> &pages, bool fit,
               const std::optional<QPageSize> &paper, PaintStop &stop)
{
    printer.setFullPage(true);
    return paintOn(printer, printer.resolution(), pages, fit, paper, stop);
}

namespace {

// The pages into a PDF file: written beside the target and put in its place only when every
// byte of it is on the disk.
JobOutcome printToFile(JobOutcome outcome, const std::vector<std::string> &pages, const JobRequest &request,
                       const QString &fileName)
{
    outcome.target = QFileInfo(fileName).absoluteFilePath();
    const std::string what = "The report could not be written to the file " + outcome.target.toStdString();
    const bool replacing = QFileInfo(outcome.target).isFile();
    const std::string unchanged = replacing ? " (the file already there is unchanged)" : "";
    PdfPart part(outcome.target);
    if (!part.open())
        return fail(outcome, what, part.errorString().toStdString());
    PaintStop stop = PaintStop::NotStarted;
    int printed = 0;
    {
        QPdfWriter writer(&part);
        writer.setResolution(1200);
        writer.setTitle(request.title);
        writer.setCreator(QStringLiteral("Orvane"));
        printed = paintOn(writer, writer.resolution(), pages, true, chosenPdfPaper(), stop);
    }
    if (part.failed() || !part.finish())
        return fail(outcome, what, writeFailure(part.failure()) + unchanged);
    if (stop != PaintStop::Done)
        return fail(outcome, what, "the file cannot be created");
    const QByteArray from = QFile::encodeName(part.fileName()), to = QFile::encodeName(outcome.target);
    if (::chmod(from.constData(), finishedMode(outcome.target)) != 0 || std::rename(from.constData(), to.constData()) != 0)
        return fail(outcome, what, "the finished file could not be put in its place: " + std::string(std::strerror(errno)) + unchanged);
    part.setAutoRemove(false);
    outcome.status = JobOutcome::Printed;
    outcome.pages = printed;
    return outcome;
}

}  // namespace

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
            // The printers are the print service's: when it does not answer, there is no telling
            // whether any is installed.
            const std::optional<QueueState> service = queueStateOf(QString());
            const std::string none = service && !service->reached ? "The print service could not be reached."
                                                                  : "No printer is installed.";
            int a = rt::message(none + "||Do you wish to print the report to a PDF file instead?", "Print",
                                rt::Icon::Question, rt::BUTTON_YES | rt::BUTTON_NO, rt::BUTTON_YES);
            if (a != rt::BUTTON_YES) {
                outcome.status = JobOutcome::Cancelled;
                outcome.message = none;
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
            if (const std::optional<QueueState> queue = queueStateOf(printerName)) {
                const std::string why = queue->reason.empty() ? "" : " (" + queue->reason + ")";
                if (!queue->reached)
                    return fail(outcome, what, "the print service could not be reached");
                if (!queue->known)
                    return fail(outcome, what, "the printing system does not know this printer");
                if (!queue->accepting)
                    return fail(outcome, what, "the printer is not accepting jobs" + why);
                if (queue->stopped) {
                    // The queue takes the job, but nothing comes out until someone starts the
                    // printer again: the user decides whether it waits there.
                    const std::string text = "The printer " + printerName.toStdString() + " is stopped" +
                                             (queue->reason.empty() ? "." : ": " + queue->reason + ".") +
                                             "||A report sent to it waits in its queue until the printer is "
                                             "started again.||Do you wish to send the report to this printer?";
                    if (rt::message(text, "Print", rt::Icon::Question, rt::BUTTON_YES | rt::BUTTON_NO,
                                    rt::BUTTON_NO) != rt::BUTTON_YES) {
                        outcome.status = JobOutcome::Cancelled;
                        outcome.message = "the printer is stopped";
                        return outcome;
                    }
                }
            }
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
    if (toPdf)
        return printToFile(outcome, pages, request, fileName);

    // The job's own printer, set up from the settings for this job only.
    QPrinter job(QPrinter::HighResolution);
    job.setPrinterName(printerName);
    const std::string what = "The report could not be printed on " + printerName.toStdString();
    if (!job.isValid())
        return fail(outcome, what, "the printer cannot be used");
    job.setDuplex(settings.duplex());
    job.setColorMode(settings.colorMode());
    job.setDocName(request.title);
    job.setCreator(QStringLiteral("Orvane"));
    job.setCopyCount(std::max(1, request.copies));
    job.setCollateCopies(request.collate);

    PaintStop stop;
    const int printed = paintPages(job, pages, true, settings.pageLayout().pageSize(), stop);
    if (stop == PaintStop::NotStarted)
        return fail(outcome, what, "the printer cannot be started");
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
    if (Cups::get().ready() && !services().queueState) {
        // Qt submits the job when the painter ends; the printing system's answer to it is the
        // last one this thread got.
        if (Cups::get().lastError() >= kIppErrorStatus) {
            const char *why = Cups::get().lastErrorString();
            return fail(outcome, what, why && *why ? why : "the printing system refused the job");
        }
    }
    outcome.status = JobOutcome::Printed;
    outcome.pages = printed;
    return outcome;
}

}  // namespace previewer
