#include "reports/frame.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "model/dictionary.h"
#include "model/edition.h"
#include "model/globals.h"
#include "previewer/page_render.h"
#include "runtime/browse_setup.h"
#include "runtime/dates.h"
#include "runtime/gui.h"
#include "runtime/message.h"
#include "runtime/picture.h"
#include "runtime/text.h"
#include "runtime/window.h"

namespace reports {

// ---- output ------------------------------------------------------------------------------

namespace {

class PreviewerOutput : public ReportOutput {
public:
    int preview(std::vector<std::string> &queue, previewer::PreviewReport &report) override
    {
        return previewer::printPreview(queue, previewer::PreviewArguments{}, report, rt::modalParent());
    }
    void handleCopies(std::vector<std::string> &queue, int copies, bool collate) override
    {
        previewer::handleCopies(queue, copies, previewer::previewCapabilities(collate));
    }
    int send(const std::vector<std::string> &queue, int copyCount) override
    {
        return send(queue, copyCount, previewer::PreviewReport{});
    }
    int send(const std::vector<std::string> &queue, int copyCount, const previewer::PreviewReport &report) override
    {
        return previewer::printReport(queue, copyCount, report, rt::modalParent());
    }
};

OutputFactory &outputFactory()
{
    static OutputFactory f = [] { return previewerOutput(); };
    return f;
}

std::map<const rt::RecordFile *, int> &useCounts()
{
    static std::map<const rt::RecordFile *, int> m;
    return m;
}

}  // namespace

std::unique_ptr<ReportOutput> previewerOutput() { return std::make_unique<PreviewerOutput>(); }

OutputFactory setReportOutput(OutputFactory factory)
{
    OutputFactory old = outputFactory();
    outputFactory() = factory ? std::move(factory) : OutputFactory([] { return previewerOutput(); });
    return old;
}

// ---- files ---------------------------------------------------------------------------------

FileUse::FileUse(std::vector<rt::RecordFile *> files, bool oneItem)
{
    const model::Edition &e = model::edition();
    for (rt::RecordFile *f : e.reportFiles(files, oneItem)) {
        auto it = useCounts().find(f);
        if (it != useCounts().end()) {
            ++it->second;  // a report run holds it already
        } else if (f->isOpen()) {
            continue;      // held by another procedure: left to it, never closed here
        } else if (e.openReportFile(*f)) {
            useCounts()[f] = 1;
        } else {
            ok_ = false;
            close();
            return;
        }
        files_.push_back(f);
    }
}

FileUse::~FileUse() { close(); }

void FileUse::close()
{
    if (closed_)
        return;
    closed_ = true;
    for (rt::RecordFile *f : files_) {
        auto it = useCounts().find(f);
        if (it != useCounts().end() && --it->second <= 0) {
            useCounts().erase(it);
            f->close();
        }
    }
}

int reportUseCount(const rt::RecordFile &file)
{
    auto it = useCounts().find(&file);
    return it == useCounts().end() ? 0 : it->second;
}

// ---- what the edition decides --------------------------------------------------------------

rt::View reportView(const ReportDefinition &definition)
{
    rt::View view = definition.view();
    const std::vector<std::string> &statuses = model::edition().reportStatuses;
    if (!definition.anyStatus && !statuses.empty() && &view.file() == &MasterInventory) {
        // Compared case-blind, as the view compares text: "HAVE" is an item the client has.
        std::vector<rt::Condition> filter = view.filter();
        filter.push_back(rt::Condition::oneOf(dict::MasterInventoryDef, "STATUS", statuses));
        view.setOrder(view.key(), std::move(filter));
    }
    return view;
}

long reportFileError(long number, std::string_view text, std::string_view secondText)
{
    return model::edition().fileError(number, text, secondText);
}

model::UserFieldTitles reportUserFieldTitles() { return model::edition().userFieldTitles(); }

std::string reportPicturePath(std::string_view stored)
{
    return model::edition().picturePath(stored);
}

std::string reportDisplayStrings(std::string_view iniName)
{
    return model::edition().displayStringsPath(iniName);
}

// ---- headings ------------------------------------------------------------------------------

Values headingValues(const Heading &h, std::int32_t runDate, std::int32_t runTime)
{
    return Values{{"NameLine", Value::of(h.name)},       {"AddressLine", Value::of(h.address)},
                  {"CityLine", Value::of(h.city)},       {"PhoneLine", Value::of(h.phone)},
                  {"EmailLine", Value::of(h.email)},     {"RunDate", Value::date(runDate)},
                  {"RunTime", Value::time(runTime)}};
}

Values runPageValues(const ReportDefinition &definition, const RunChoices &choices, const Heading &h,
                     std::int32_t runDate, std::int32_t runTime)
{
    Values v = headingValues(h, runDate, runTime);
    if (definition.pageValues)
        v.append(definition.pageValues(choices));
    return v;
}

namespace {
void readSettings()
{
    rt::clearRecord(dict::MainSystemFileDef, &MSY);
    MainSystemFile.setFileOrder();
    MainSystemFile.next();
}

std::string emailLine(bool print, std::string_view address)
{
    return print && !rt::clip(address).empty() ? "email: " + rt::clip(address) : std::string();
}
}  // namespace

HeadingSource clientHeading() { return model::edition().reportHeading; }

HeadingSource registeredClientHeading()
{
    return [](Heading &h) {
        readSettings();
        rt::clearRecord(dict::QORClientsDef, &QOC);
        QOC.IDCODE = Glo.ActiveClientID.str();
        if (QORClients.get(*dict::QORClientsDef.key("IDCODEKEY")) != 0) {
            rt::beep();
            rt::message("Unable to locate client: " + std::string(Glo.ActiveClientID.view()), "Client Error",
                        rt::Icon::Exclamation, rt::BUTTON_ABORT);
            return false;
        }
        const std::string first = rt::clip(QOC.FIRSTNAME.view());
        h.name = first.empty() ? QOC.LASTNAME.str() : first + " " + rt::clip(QOC.LASTNAME.view());
        if (MSY.PRINTADDRESSLINE == 1) {
            h.address = QOC.ADDRESS1.str();
            h.city = QOC.CSZ.str();
        }
        if (MSY.PRINTPHONELINE == 1)
            h.phone = rt::formatText(rt::PhonePicture, QOC.HOMEPHONE.view());
        h.email = emailLine(MSY.PRINTEMAILADDRESSLINE == 1, QOC.EMAIL.view());
        return true;
    };
}

namespace {
// The owner's lines of the settings record, under its print switches.
void ownerLines(Heading &h, std::string_view address, std::string_view city, std::string_view phone)
{
    h.name = rt::clip(MSY.NAME.view());
    h.email = emailLine(MSY.PRINTEMAILADDRESSLINE == 1, MSY.EMAILADDRESS.view());
    if (MSY.PRINTADDRESSLINE == 1) {
        h.address = rt::clip(address);
        h.city = rt::clip(city);
    }
    if (MSY.PRINTPHONELINE == 1)
        h.phone = rt::clip(phone);
}
}  // namespace

HeadingSource ownerHeading()
{
    return [](Heading &h) {
        readSettings();
        ownerLines(h, MSY.ADDRESS.view(), MSY.CSZ.view(), MSY.PHONE.view());
        return true;
    };
}

HeadingSource residenceHeading()
{
    return [](Heading &h) {
        readSettings();
        // A blank active residence is the primary one.
        const std::string active = rt::clip(MSY.ACTIVERESIDENCE.view());
        if (active.empty() || active == "Primary") {
            ownerLines(h, MSY.ADDRESS.view(), MSY.CSZ.view(), MSY.PHONE.view());
            return true;
        }
        rt::clearRecord(dict::SecondaryResidenceDef, &SEC);
        SEC.RESIDENCENAME = MSY.SECONDARYRESIDENCE.str();
        if (SecondaryResidence.get(*dict::SecondaryResidenceDef.key("RESIDENCEKEY")) != 0) {
            rt::beep();
            rt::message("Error reading Secondary Residence file", "File Error", rt::Icon::Exclamation,
                        rt::BUTTON_OK);
            ownerLines(h, {}, {}, {});
            return true;
        }
        ownerLines(h, SEC.ADDRESS.view(), SEC.CSZ.view(), SEC.PHONE.view());
        return true;
    };
}

// ---- progress window -----------------------------------------------------------------------

class ProgressWindow : public QDialog {
public:
    ProgressWindow(ReportFrame &frame, const ReportStrings &s, bool preview, QWidget *parent)
        : QDialog(parent), frame_(frame), pctText_(QString::fromStdString(s.progWinPctText))
    {
        setObjectName("ProgressWindow");
        setWindowTitle(QString::fromStdString(preview ? s.progWinTitlePrvw : s.progWinTitlePrnt));
        rt::fitTitle(this);
        auto *v = new QVBoxLayout(this);
        bar_ = new QProgressBar(this);
        bar_->setRange(0, 100);
        bar_->setValue(0);
        v->addWidget(bar_);
        auto *user = new QLabel(QString::fromStdString(s.progWinUsrText), this);
        user->setObjectName("UserText");
        v->addWidget(user);
        pct_ = new QLabel(this);
        pct_->setObjectName("PercentText");
        v->addWidget(pct_);
        showPercent(0);
        auto *cancel = new QPushButton("Cancel", this);
        cancel->setObjectName("Cancel");
        cancel->setAutoDefault(false);
        v->addWidget(cancel, 0, Qt::AlignHCenter);
        connect(cancel, &QPushButton::clicked, this, [this] { frame_.cancel(); });
        timer_.setInterval(0);
        connect(&timer_, &QTimer::timeout, this, [this] { frame_.tick(); });
        showLater_.setSingleShot(true);
        connect(&showLater_, &QTimer::timeout, this, [this] { paintPercent(); });
    }
    // A new percent is shown at once when the last one was shown a while ago, else a moment
    // later, with whatever percent the run has reached by then: on a fast run each percent
    // would cost a paint of the window, more than the tick that made it.
    void showPercent(int p)
    {
        percent_ = p;
        if (p == 0 || p == 100 || !sinceShown_.isValid() || sinceShown_.elapsed() >= kShowEveryMs)
            paintPercent();
        else if (!showLater_.isActive())
            showLater_.start(static_cast<int>(std::max<qint64>(0, kShowEveryMs - sinceShown_.elapsed())));
    }
    void startTimer() { timer_.start(); }
    void stopTimer() { timer_.stop(); }
    bool timerRunning() const { return timer_.isActive(); }

protected:
    // Esc is the Cancel button, and the close box too.
    void reject() override { frame_.cancel(); }
    void keyPressEvent(QKeyEvent *e) override
    {
        if (e->key() == Qt::Key_Escape) {
            frame_.cancel();
            return;
        }
        QDialog::keyPressEvent(e);
    }

private:
    static constexpr qint64 kShowEveryMs = 50;
    void paintPercent()
    {
        showLater_.stop();
        sinceShown_.start();
        // A progress bar repaints itself at once on a new value, inside the tick; with its
        // updates held over the change it is painted with the next pass of the event loop.
        bar_->setUpdatesEnabled(false);
        bar_->setValue(percent_);
        bar_->setUpdatesEnabled(true);
        pct_->setText(QString::fromStdString(rt::formatNumber("@n3", percent_)) + pctText_);
    }

    ReportFrame &frame_;
    QString pctText_;
    QProgressBar *bar_;
    QLabel *pct_;
    QTimer timer_;
    QTimer showLater_;
    QElapsedTimer sinceShown_;
    int percent_ = 0;
};

// ---- the frame -----------------------------------------------------------------------------

ReportFrame::ReportFrame(const ReportDefinition &definition) : def_(definition) {}
ReportFrame::~ReportFrame() = default;

QWidget *ReportFrame::progressWidget() const { return progress_; }

void ReportFrame::stop()
{
    done_ = true;
    if (progress_) {
        progress_->stopTimer();
        progress_->done(0);
    }
}

void ReportFrame::cancel()
{
    if (done_)
        return;
    const bool wasRunning = progress_ && progress_->timerRunning();
    if (progress_)
        progress_->stopTimer();
    auto resume = [&] {
        if (wasRunning && !done_)
            progress_->startTimer();
    };
    int a = rt::message(strings_.cancelAreYouSureText, strings_.cancelAreYouSureTitle, rt::Icon::Question,
                        rt::BUTTON_YES | rt::BUTTON_NO, rt::BUTTON_NO);
    if (a != rt::BUTTON_YES) {
        resume();
        return;
    }
    perTick_ = 1;
    if (choices_.preview && writer_ && writer_->pages() > 0) {
        int b = rt::message(strings_.cancelPrvwPartialText, strings_.cancelPrvwPartialTitle, rt::Icon::Question,
                            rt::BUTTON_YES | rt::BUTTON_NO | rt::BUTTON_IGNORE, rt::BUTTON_NO);
        if (b == rt::BUTTON_IGNORE) {
            resume();
            return;
        }
        if (b == rt::BUTTON_YES) {
            showPartial_ = true;
            stop();
            return;
        }
    }
    cancelled_ = true;
    stop();
}

void ReportFrame::tick()
{
    if (done_)
        return;
    const int rc = reading_->step(static_cast<std::size_t>(perTick_), [this] {
        ++processed_;
        int p = total_ > 0 ? static_cast<int>(std::min<std::int64_t>(100, processed_ * 100 / total_)) : 100;
        if (p != percent_) {
            percent_ = p;
            if (progress_)
                progress_->showPercent(p);
        }
    });
    if (rc != 0 && rc != 33) {
        reportFileError(35, def_.primaryLabel);
        readFailed_ = true;
        stop();
    } else if (reading_->ended()) {
        stop();
    }
}

namespace {
// The responses a run leaves in Glo:Response.
enum Response : int { Completed = 1, NotCompleted = 2 };
}  // namespace

int ReportFrame::run()
{
    const int response = runSteps();
    rt::setResponse(response);
    return response;
}

int ReportFrame::runSteps()
{
    if (!askPreview())
        return NotCompleted;
    FileUse files(def_.files, def_.anyStatus);
    if (!files.ok() || !startReading())
        return NotCompleted;
    read();
    endReading();
    return deliver();
}

// The display strings, the report's choice of what to print and the preview question (with the
// report's questions when they come first); false when the run ends before opening a file.
bool ReportFrame::askPreview()
{
    // Without a previewer to hand the pages to, the run would only end in nothing: say so first.
    output_ = outputFactory()();
    if (!output_) {
        rt::beep();
        rt::message("The report previewer is not loaded: this report cannot be previewed or printed.",
                    "Report Previewer", rt::Icon::Exclamation);
        return false;
    }
    strings_ = ReportPreviewGlue("Do you wish to PREVIEW this Report?", "Preview", "",
                                 reportDisplayStrings("VURDRPTS.INI"));
    if (def_.select && !def_.select())
        return false;
    if (def_.questionsBeforePreview)
        askQuestions();
    int a = rt::message(strings_.askPrvwDialogText, strings_.askPrvwDialogTitle, rt::Icon::Question,
                        rt::BUTTON_YES | rt::BUTTON_NO | rt::BUTTON_CANCEL, rt::BUTTON_YES);
    if (a == rt::BUTTON_CANCEL)
        return false;
    choices_.preview = a == rt::BUTTON_YES;
    rt::takeRequest();
    return true;
}

void ReportFrame::askQuestions()
{
    for (const Question &q : def_.questions) {
        int b = rt::message(q.text, q.title, rt::Icon::Question, q.buttons ? q.buttons : rt::BUTTON_YES | rt::BUTTON_NO,
                            q.defaultButton ? q.defaultButton : rt::BUTTON_NO);
        choices_.switches[q.switchName] = b == rt::BUTTON_YES;
    }
}

// With the files open: the heading (false when it refuses the run), the report's questions when
// they come after it, and the writer and the reading made for the choices.
bool ReportFrame::startReading()
{
    Heading heading;
    if (def_.heading && !def_.heading(heading))
        return false;
    if (!def_.questionsBeforePreview)
        askQuestions();
    total_ = def_.primary ? def_.primary->records() : 0;
    rt::clearError();
    if (def_.primary)
        def_.primary->send("QUICKSCAN=on");

    folder_ = std::make_unique<previewer::PageFolder>();
    writer_ = std::make_unique<ReportWriter>(def_.layout(choices_), [this](const previewer::Page &p, int n) {
        std::string path = folder_->pagePath(n);
        if (!previewer::writePageFile(path, p))
            return false;
        queue_.push_back(path);
        return true;
    });
    writer_->keepRows(output_->readsRows());
    writer_->setPageValues(runPageValues(def_, choices_, heading, rt::today(), rt::clockNow()));
    reading_ = std::make_unique<ReportReading>(def_, choices_, *writer_);
    return true;
}

// The progress window reads a step of rows per tick until the end, a cancel or a read error.
void ReportFrame::read()
{
    QPointer<ProgressWindow> window = new ProgressWindow(*this, strings_, choices_.preview, rt::modalParent());
    progress_ = window;
    window->startTimer();
    if (!done_)
        window->exec();
    progress_ = nullptr;
    if (window)
        window->deleteLater();
    if (def_.primary)
        def_.primary->send("QUICKSCAN=off");
}

// What was read becomes the whole report, its pages so far, or nothing.
void ReportFrame::endReading()
{
    if (readFailed_) {
        // The run failed: what was read so far is no report, though it may be looked at.
        if (choices_.preview && writer_->pages() > 0) {
            int b = rt::message(strings_.cancelPrvwPartialText, strings_.cancelPrvwPartialTitle, rt::Icon::Question,
                                rt::BUTTON_YES | rt::BUTTON_NO, rt::BUTTON_NO);
            showPartial_ = b == rt::BUTTON_YES;
        }
        if (showPartial_)
            writer_->finish();
    } else if (showPartial_) {
        // Cancelled and looked at anyway: the pages so far end without the last group's footer
        // and the grand totals, so that no total over part of the items is taken for the whole.
        writer_->finish();
    } else if (!cancelled_) {
        reading_->finish();
    }
    output_->printed(writer_->takeRows(), writer_->pages());
}

// The pages go out unless the run was cancelled, failed with its pages so far left unlooked at,
// or could not write a page. A failed run is not completed, even when its pages were looked at;
// a preview that answers nothing is not either.
int ReportFrame::deliver()
{
    if (cancelled_ || (readFailed_ && !showPartial_) || writer_->failed())
        return NotCompleted;
    const int r = output();
    return readFailed_ || r == 0 ? NotCompleted : r;
}

int ReportFrame::output()
{
    ReportOutput *out = output_.get();
    previewer::PreviewReport report;
    report.title = QString::fromStdString(def_.runTitle ? def_.runTitle() : def_.title);
    // Every report starts at one copy, or at the copies it prints itself (the data-input forms);
    // the copies chosen in its preview are for this run only.
    report.copies = def_.copies > 0 ? def_.copies : 1;
    previewer::previewPrinter().setCopyCount(1);
    report.collate = false;  // collated sets only when the user asks for them in the preview
    // The copies the printer cannot make are added to the queue; the job then goes out once.
    // A job that failed or was given up is no completed report.
    auto print = [&] {
        const std::size_t pages = queue_.size();
        out->handleCopies(queue_, report.copies, report.collate);
        return out->send(queue_, queue_.size() > pages ? 1 : report.copies, report) > 0;
    };
    if (choices_.preview) {
        if (queue_.empty()) {
            rt::message(strings_.nothingToPrvwText, strings_.nothingToPrvwTitle, rt::Icon::Exclamation);
            return NotCompleted;
        }
        int r = out->preview(queue_, report);
        if (r == Completed && !queue_.empty() && !print())
            return NotCompleted;
        return r;
    }
    if (queue_.empty()) {
        rt::message(strings_.nothingToPrntText, strings_.nothingToPrntTitle, rt::Icon::Exclamation);
        return NotCompleted;
    }
    return print() ? Completed : NotCompleted;
}

int runReport(const ReportDefinition &definition)
{
    ReportFrame frame(definition);
    return frame.run();
}

}  // namespace reports
