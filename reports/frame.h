// The frame every report procedure runs in: the display strings, the preview question, the
// files opened with use counts and closed on every way out, the heading, the report's own
// questions, the progress window reading 25 rows per timer tick, cancel and Esc, and the pages
// handed to the previewer or the printer with their copies.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/edition.h"
#include "previewer/preview_window.h"
#include "previewer/printer_support.h"
#include "reports/engine.h"
#include "reports/report_strings.h"
#include "reports/run.h"
#include "runtime/record_file.h"
#include "runtime/view.h"

class QWidget;

namespace reports {

// The heading and footer lines of a report.
using Heading = model::ReportHeading;
// Fills the heading; false when the run must end (the source has shown its message).
using HeadingSource = std::function<bool(Heading &)>;

// A question the report asks after its heading: Yes sets the switch, any other answer clears it.
struct Question {
    std::string text, title;
    std::string switchName;
    int buttons = 0;        // 0: Yes and No
    int defaultButton = 0;  // 0: No
};

// What the user chose for this run.
struct RunChoices {
    bool preview = false;
    std::map<std::string, bool> switches;
    bool on(const std::string &name) const
    {
        auto it = switches.find(name);
        return it != switches.end() && it->second;
    }
};

// A report procedure as data: one definition per layout of a pair.
struct ReportDefinition {
    std::vector<rt::RecordFile *> files;  // opened in this order, closed in this order
    rt::RecordFile *primary = nullptr;    // its record count drives the percent
    std::string primaryLabel;             // the name a read error gives
    // The rows read, in order; made once the files are open.
    std::function<rt::View()> view;
    HeadingSource heading;
    std::vector<Question> questions;
    // Asked before the preview question rather than after the heading.
    bool questionsBeforePreview = false;
    // Before any question, the choice of what to report (a picker); false ends the run at once,
    // cancelled, with no file opened.
    std::function<bool()> select;
    std::function<ReportLayout(const RunChoices &)> layout;
    std::function<ReportSpec(const RunChoices &)> spec;
    std::string title;  // the report's name for the preview
    // The name when the run knows it only once it has started (a custom report's definition):
    // asked after the heading, it names the print job and the PDF in place of `title`.
    std::function<std::string()> runTitle;
    // Values of the page heading and footer the report adds to the heading lines (a packing
    // list's location and box), taken once at the start of the run: every page prints the same.
    std::function<Values(const RunChoices &)> pageValues;
    // The copies the report prints (the data-input forms); 0: the printer's copy count.
    int copies = 0;
    // Prints the one item it is given whatever its status (an edition's item filter is not
    // added to its view).
    bool anyStatus = false;
};

// The reading of a run: the definition's view read a step of rows at a time, each row through
// the definition's spec into the writer. The frame takes one step per timer tick; runToRows
// takes them all.
class ReportReading {
public:
    ReportReading(const ReportDefinition &definition, const RunChoices &choices, ReportWriter &writer);
    // Reads up to `rows` rows after the last one read and prints them, calling `afterRow` after
    // each. The read's error code: 0, or 33 at the end of the file.
    int step(std::size_t rows, const std::function<void()> &afterRow = {});
    // The last step read fewer rows than it asked for: the view has been read to its end.
    bool ended() const { return ended_; }
    // After the last row: the last group's footer, the grand totals, the closing band.
    void finish() { run_.finish(); }

private:
    ReportSpec spec_;
    ReportRun run_;
    rt::View view_;
    rt::ViewReader reader_;
    bool ended_ = false;
};

// The rows a run reads in one step.
inline constexpr std::size_t kRowsPerStep = 25;

// What a run without windows made.
struct RunRows {
    bool headed = true;  // false: the heading refused the run (its message shown), nothing read
    std::vector<ReportRow> rows;         // the rows printed, when kept
    std::vector<previewer::Page> pages;  // the pages, unless a sink took them
    int pageCount = 0;
    ReportLayout layout;
};
// Runs a definition, its files open, without windows or questions: its heading, the page values
// of the run's date and time, and every row of its view through its spec, as the frame reads
// them. The pages go to `sink`, or are kept in the result.
RunRows runToRows(const ReportDefinition &definition, const RunChoices &choices, std::int32_t runDate,
                  std::int32_t runTime, PageSink sink = {}, bool keepRows = true);

// Where the pages go: the previewer's entries and the printer. The previewer library serves
// now; the previewer module's entries (bound by name at start-up) can take its place.
class ReportOutput {
public:
    virtual ~ReportOutput() = default;
    // The printer's copy count. A run does not take it: every report starts at one copy.
    virtual int printerCopies() { return 1; }
    // PRINTPREVIEW: shows the pages; 1 when the user asked to print them (the report then holds
    // the copies and collation chosen, the queue the pages still to print).
    virtual int preview(std::vector<std::string> &queue, previewer::PreviewReport &report) = 0;
    // HANDLECOPIES: repeats the queue for the copies the printer cannot make itself.
    virtual void handleCopies(std::vector<std::string> &queue, int copies, bool collate) = 0;
    // Sends the pages as one job with a copy count of `copyCount`. Returns the pages printed; 0
    // when the job failed (the user has been told) or was given up.
    virtual int send(const std::vector<std::string> &queue, int copyCount) = 0;
    // The same job titled with the report's title, to the destination chosen for it (the PDF
    // file the preview's print dialog named, if any).
    virtual int send(const std::vector<std::string> &queue, int copyCount, const previewer::PreviewReport &report)
    {
        (void)report;
        return send(queue, copyCount);
    }
    // An output that looks at what was printed row by row rather than at the pages says so; asked
    // as the run starts, since a run whose rows nobody reads keeps none (a run of a million items
    // would otherwise hold every printed row until its report closed).
    virtual bool readsRows() { return false; }
    // What the run printed, once its reading has ended (completed, cancelled or failed) and before
    // its pages are previewed or printed: its rows, none unless readsRows(), and its page count.
    virtual void printed(std::vector<ReportRow> rows, int pages)
    {
        (void)rows;
        (void)pages;
    }
};
// The output every run uses; tests and the previewer module's binding replace it.
using OutputFactory = std::function<std::unique_ptr<ReportOutput>()>;
OutputFactory setReportOutput(OutputFactory factory);
std::unique_ptr<ReportOutput> previewerOutput();

// Files held by a run: the edition's files for the definition's list, each opened by the
// edition's opener (the professional program's: CheckOpenFile, shared, created when missing)
// unless some other procedure holds it open already, and closed again only when this run opened
// it. A file that does not open ends the opening: ok() is false and what was opened is closed.
class FileUse {
public:
    explicit FileUse(std::vector<rt::RecordFile *> files, bool oneItem = false);
    ~FileUse();
    bool ok() const { return ok_; }
    void close();
    FileUse(const FileUse &) = delete;
    FileUse &operator=(const FileUse &) = delete;

private:
    std::vector<rt::RecordFile *> files_;
    bool closed_ = false;
    bool ok_ = true;
};
// The use count the runs hold on a file.
int reportUseCount(const rt::RecordFile &file);

class ProgressWindow;

// One run of a report definition. Returns the response it also leaves in Glo:Response: 1
// completed (or printed from the preview), 2 cancelled or failed.
class ReportFrame {
public:
    explicit ReportFrame(const ReportDefinition &definition);
    ~ReportFrame();
    int run();

    // The Cancel button and Esc alike.
    void cancel();
    int recordsPerTick() const { return perTick_; }
    int percent() const { return percent_; }
    std::int64_t recordsRead() const { return processed_; }
    const ReportWriter *writer() const { return writer_.get(); }
    // The progress window while the run reads ("Progress...": bar, texts, Cancel).
    QWidget *progressWidget() const;

private:
    friend class ProgressWindow;
    void tick();
    void stop();
    // The steps of a run, in order. Each step before the output says whether the run goes on;
    // the output gives the response.
    int runSteps();
    bool askPreview();
    void askQuestions();
    bool startReading();
    void read();
    void endReading();
    int deliver();
    int output();

    const ReportDefinition &def_;
    ReportStrings strings_;
    RunChoices choices_;
    std::unique_ptr<ReportOutput> output_;
    std::unique_ptr<previewer::PageFolder> folder_;
    std::vector<std::string> queue_;
    std::unique_ptr<ReportWriter> writer_;
    std::unique_ptr<ReportReading> reading_;
    ProgressWindow *progress_ = nullptr;
    int perTick_ = static_cast<int>(kRowsPerStep);
    std::int64_t total_ = 0, processed_ = 0;
    int percent_ = 0;
    bool done_ = false;
    bool cancelled_ = false;
    bool showPartial_ = false;
    bool readFailed_ = false;
};

// Runs a definition through the frame and leaves the response.
int runReport(const ReportDefinition &definition);

// The heading sources: the edition's heading of the items' owner (the item reports); the
// professional program's one, the active client of the register under the settings' print
// switches; the owner of the settings record (the client list); the owner with the active
// residence's address and phone (the reference lists).
HeadingSource clientHeading();
HeadingSource registeredClientHeading();
HeadingSource ownerHeading();
HeadingSource residenceHeading();

// The view a run reads: the definition's, with the edition's item filter added to a view over
// the items unless the report prints one item of any status.
rt::View reportView(const ReportDefinition &definition);
// The edition's file-error message.
long reportFileError(long number, std::string_view text = {}, std::string_view secondText = {});
// The titles of the client's user fields as the edition gives them.
model::UserFieldTitles reportUserFieldTitles();
// The path a report loads a picture stored in an item from (the edition's resolution).
std::string reportPicturePath(std::string_view stored);
// The previewer's display-strings file of this name, in the edition's folder.
std::string reportDisplayStrings(std::string_view iniName);

// Heading and footer values for the page bands: "NameLine", "AddressLine", "CityLine",
// "PhoneLine", "EmailLine", "RunDate", "RunTime".
Values headingValues(const Heading &h, std::int32_t runDate, std::int32_t runTime);
// The values of every page of a run: the heading's and the definition's own.
Values runPageValues(const ReportDefinition &definition, const RunChoices &choices, const Heading &h,
                     std::int32_t runDate, std::int32_t runTime);

}  // namespace reports
