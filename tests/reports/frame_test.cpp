// The report frame with scripted answers: the preview question, the client check, cancel and
// its questions, Esc, and the pages routed to the preview or the printer with their copies.
#include "reports/frame.h"
#include "reports/data_forms.h"
#include "reports/layout_kit.h"
#include "reports/report_table.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <chrono>
#include <thread>
#include <QApplication>
#include <cstdlib>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QCheckBox>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "previewer/print_job.h"
#include "runtime/gui.h"
#include "runtime/window.h"
#include "tests/support/edition_checks.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/reports/report_fixture.h"

using namespace reports;

namespace {

struct Sent {
    std::size_t pages = 0;
    int copyCount = 0;
};

// The previewer and printer of a test: it answers the preview as told and keeps what was sent.
struct Recorder {
    bool readsRows = true;
    bool sendFails = false;
    bool printerMakesCopies = false;
    int printerCopies = 1;
    int previewAnswer = 2;
    int copiesChosen = 0;  // in the preview; 0: left as they were
    std::vector<std::size_t> previewed;  // pages shown per preview
    std::vector<int> offered;            // the copies each preview opened with
    std::vector<Sent> sent;
};

class FakeOutput : public printed_rows::RowsOutput {
public:
    explicit FakeOutput(Recorder &r) : r_(r) {}
    bool readsRows() override { return r_.readsRows; }
    int printerCopies() override { return r_.printerCopies; }
    int preview(std::vector<std::string> &queue, previewer::PreviewReport &report) override
    {
        r_.previewed.push_back(queue.size());
        r_.offered.push_back(report.copies);
        if (r_.copiesChosen)
            report.copies = r_.copiesChosen;
        return r_.previewAnswer;
    }
    void handleCopies(std::vector<std::string> &queue, int copies, bool collate) override
    {
        previewer::PrinterCapabilities c;
        c.present = true;
        c.copies = r_.printerMakesCopies;
        c.collate = collate;
        previewer::handleCopies(queue, copies, c);
    }
    int send(const std::vector<std::string> &queue, int copyCount) override
    {
        r_.sent.push_back({queue.size(), copyCount});
        return r_.sendFails ? 0 : static_cast<int>(queue.size());
    }

private:
    Recorder &r_;
};

class FrameTest : public ReportTest {
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        addCategory("ART", "Art");
        for (int i = 0; i < 200; ++i)
            addItem("ART", "Item " + std::to_string(i), 1, 1000);
        closeAll();
        old_ = setReportOutput([this] { return std::make_unique<FakeOutput>(rec); });
    }
    void TearDown() override
    {
        setReportOutput(old_);
        ReportTest::TearDown();
    }
    bool anyFileOpen()
    {
        for (rt::RecordFile *f : files())
            if (f->isOpen())
                return true;
        return false;
    }
    // Runs a definition in a frame of its own. `afterTick`, when set, is called from the progress
    // window's event loop after each tick the frame takes while that window runs, with the
    // number of ticks taken: as the user's Cancel or Esc comes between two ticks.
    int runFrame(const ReportDefinition &definition)
    {
        ReportFrame frame(definition);
        QTimer between;
        between.setInterval(0);
        int passes = 0;
        QObject::connect(&between, &QTimer::timeout, [&] {
            // The first pass comes before the first tick.
            if (passes++ > 0 && afterTick)
                afterTick(frame, passes - 1);
        });
        between.start();
        return frame.run();
    }
    // Cancels on the first tick; the answers that follow go to the cancel questions.
    void cancelOnFirstTick()
    {
        afterTick = [this](ReportFrame &f, int tick) {
            perTick.push_back(f.recordsPerTick());
            if (tick == 1)
                f.cancel();
        };
    }

    testing_support::ScriptedMessages messages;
    Recorder rec;
    OutputFactory old_;
    std::vector<int> perTick;
    std::function<void(ReportFrame &, int tick)> afterTick;
};

}  // namespace

TEST_F(FrameTest, CancelAtThePreviewQuestionOpensNothing)
{
    messages.answer(rt::BUTTON_CANCEL);
    EXPECT_EQ(runReport(valuationDefinition(false)), 2);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "Do you wish to PREVIEW this Report?");
    EXPECT_EQ(messages.shown()[0].title, "Preview");
    EXPECT_EQ(messages.shown()[0].defaultButton, rt::BUTTON_YES);
    EXPECT_FALSE(anyFileOpen());
    EXPECT_TRUE(rec.previewed.empty());
    EXPECT_TRUE(rec.sent.empty());
}

TEST_F(FrameTest, UnknownClientAbortsWithResponseTwoAndClosesTheFiles)
{
    Glo.ActiveClientID = "ZZ";
    messages.answer(rt::BUTTON_YES);
    messages.answer(rt::BUTTON_ABORT);
    EXPECT_EQ(runReport(valuationDefinition(false)), 2);
    EXPECT_TRUE(messages.sawTitle("Client Error"));
    EXPECT_EQ(messages.shown().back().text.rfind("Unable to locate client: ZZ", 0), 0u);
    EXPECT_EQ(messages.shown().back().buttons, rt::BUTTON_ABORT);
    EXPECT_GE(messages.beeps(), 1);
    EXPECT_FALSE(anyFileOpen());
    EXPECT_TRUE(rec.previewed.empty());
}

TEST_F(FrameTest, ACompleteRunPreviewsAndPrintsFromThePreviewAndLeavesFilesOpenElsewhereOpen)
{
    // A file some other procedure holds stays open after the run.
    ASSERT_EQ(Category.open(rt::mode::ReadWriteDenyNone), 0);
    rec.previewAnswer = 1;
    rec.copiesChosen = 2;
    messages.answer(rt::BUTTON_YES);  // preview
    messages.answer(rt::BUTTON_NO);   // memos
    const ReportDefinition def = valuationDefinition(false);
    ReportFrame frame(def);
    EXPECT_EQ(frame.run(), 1);
    EXPECT_EQ(frame.percent(), 100);
    EXPECT_EQ(frame.recordsRead(), 200);
    ASSERT_EQ(rec.previewed.size(), 1u);
    EXPECT_EQ(rec.previewed[0], static_cast<std::size_t>(printed_rows::pages()));
    // Two copies chosen in the preview, on a printer that makes none itself.
    ASSERT_EQ(rec.sent.size(), 1u);
    EXPECT_EQ(rec.sent[0].pages, 2 * rec.previewed[0]);
    EXPECT_EQ(rec.sent[0].copyCount, 1);
    EXPECT_TRUE(Category.isOpen());
    EXPECT_FALSE(MasterInventory.isOpen());
    EXPECT_EQ(reportUseCount(Category), 0);
    Category.close();
    int details = 0;
    for (const ReportRow &r : printed_rows::rows())
        details += r.band == "detail";
    EXPECT_EQ(details, 200);
}

// A run keeps no printed row unless its output reads them; the run still counts its pages. An
// output that reads them again gets the rows of the next run.
TEST_F(FrameTest, ARunHoldsNoRowsAfterItClosesUnlessAsked)
{
    rec.previewAnswer = 2;
    for (bool keep : {false, true, false}) {
        SCOPED_TRACE(keep ? "kept" : "not kept");
        rec.readsRows = keep;
        messages.answer(rt::BUTTON_YES);  // preview
        messages.answer(rt::BUTTON_NO);   // memos
        EXPECT_EQ(runReport(valuationDefinition(false)), 2);
        EXPECT_GT(printed_rows::pages(), 1);
        if (keep) {
            EXPECT_GT(printed_rows::rows().size(), 200u);
        } else {
            EXPECT_TRUE(printed_rows::rows().empty());
            EXPECT_EQ(printed_rows::rows().capacity(), 0u);
        }
    }
}

TEST_F(FrameTest, CancelThenIgnoreGoesOnOneRecordPerTick)
{
    cancelOnFirstTick();
    rec.previewAnswer = 2;
    for (int b : {rt::BUTTON_YES, rt::BUTTON_NO, rt::BUTTON_YES, rt::BUTTON_IGNORE})
        messages.answer(b);
    EXPECT_EQ(runFrame(valuationDefinition(false)), 2);  // the preview was left without printing
    ASSERT_GE(perTick.size(), 3u);
    EXPECT_EQ(perTick[0], 25);  // the tick that cancelled read a whole slice
    for (std::size_t i = 1; i < perTick.size(); ++i)
        EXPECT_EQ(perTick[i], 1);
    EXPECT_EQ(perTick.size(), 1u + 175u + 1u);
    EXPECT_TRUE(messages.sawText("Are you sure you want to CANCEL this Report?"));
    EXPECT_TRUE(messages.sawText("Report Cancellation Requested!||Preview Report generated so far?"));
    ASSERT_EQ(rec.previewed.size(), 1u);
    int details = 0;
    for (const ReportRow &r : printed_rows::rows())
        details += r.band == "detail";
    EXPECT_EQ(details, 200);
}

TEST_F(FrameTest, CancelThenYesPreviewsThePartialReport)
{
    cancelOnFirstTick();
    // The progress window is wide enough for its whole title.
    int titleRoom = 0, titleWidth = 0;
    afterTick = [&](ReportFrame &f, int tick) {
        perTick.push_back(f.recordsPerTick());
        QWidget *w = f.progressWidget();
        QFont bold = w->font();
        bold.setBold(true);
        titleRoom = w->minimumWidth();
        titleWidth = QFontMetrics(bold).horizontalAdvance(w->windowTitle());
        if (tick == 1)
            f.cancel();
    };
    rec.previewAnswer = 2;
    for (int b : {rt::BUTTON_YES, rt::BUTTON_NO, rt::BUTTON_YES, rt::BUTTON_YES})
        messages.answer(b);
    runFrame(valuationDefinition(false));
    ASSERT_EQ(rec.previewed.size(), 1u);
    EXPECT_EQ(perTick.size(), 1u);
    int details = 0;
    for (const ReportRow &r : printed_rows::rows())
        details += r.band == "detail";
    EXPECT_EQ(details, 25);
    EXPECT_GT(titleRoom, titleWidth);
    EXPECT_GT(titleWidth, 0);
    // No total over part of the items: the partial pages end without the last group's footer
    // and the grand totals.
    for (const ReportRow &r : printed_rows::rows()) {
        EXPECT_NE(r.band, "grand totals");
        EXPECT_NE(r.band, "group footer");
    }
    EXPECT_FALSE(anyFileOpen());
}

TEST_F(FrameTest, CancelThenNoGivesNothingAndResponseTwo)
{
    cancelOnFirstTick();
    rec.previewAnswer = 1;
    for (int b : {rt::BUTTON_YES, rt::BUTTON_NO, rt::BUTTON_YES, rt::BUTTON_NO})
        messages.answer(b);
    EXPECT_EQ(runFrame(valuationDefinition(false)), 2);
    EXPECT_TRUE(rec.previewed.empty());
    EXPECT_TRUE(rec.sent.empty());
    EXPECT_FALSE(anyFileOpen());
}

TEST_F(FrameTest, EscapeIsTheCancelButtonAndACancelledPrintRunPrintsNothing)
{
    afterTick = [](ReportFrame &f, int tick) {
        if (tick == 1) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(f.progressWidget(), &esc);
        }
    };
    rec.printerCopies = 2;
    // A print run: no partial question; Yes to "sure?" ends it.
    for (int b : {rt::BUTTON_NO, rt::BUTTON_NO, rt::BUTTON_YES})
        messages.answer(b);
    EXPECT_EQ(runFrame(valuationDefinition(false)), 2);
    EXPECT_TRUE(messages.sawText("Are you sure you want to CANCEL this Report?"));
    EXPECT_FALSE(messages.sawText("Report Cancellation Requested!||Preview Report generated so far?"));
    EXPECT_TRUE(rec.sent.empty());
}

// A run is completed only when its pages went out: a preview left, a previewer that answers
// nothing, or a print job that fails leaves response 2, in Glo:Response too.
TEST_F(FrameTest, OnlyPagesSentCompleteARun)
{
    rt::bindRequestGlobals(&Glo.Request, &Glo.Response);
    struct Case {
        bool preview;
        int previewAnswer;
        bool sendFails;
        int response;
    } cases[] = {
        {true, 2, false, 2}, {true, 0, false, 2}, {true, 1, false, 1},
        {true, 1, true, 2},  {false, 0, false, 1}, {false, 0, true, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.preview ? "preview answers " + std::to_string(c.previewAnswer) : "print") +
                     (c.sendFails ? ", the job fails" : ""));
        rec.previewAnswer = c.previewAnswer;
        rec.sendFails = c.sendFails;
        messages.answer(c.preview ? rt::BUTTON_YES : rt::BUTTON_NO);
        messages.answer(rt::BUTTON_NO);  // memos
        Glo.Response = 0;
        EXPECT_EQ(runReport(valuationDefinition(false)), c.response);
        EXPECT_EQ(Glo.Response, c.response);
        EXPECT_FALSE(anyFileOpen());
    }
}

// Every report starts at one copy whatever the printer's count was; the copies chosen in a
// preview are made by the printer when it can and repeated in the queue when not, for that run
// only.
TEST_F(FrameTest, EveryReportStartsAtOneCopyAndItsCopiesAreForThatRunOnly)
{
    rec.printerCopies = 3;
    messages.answer(rt::BUTTON_NO);  // print, no preview
    messages.answer(rt::BUTTON_NO);
    EXPECT_EQ(runReport(valuationDefinition(false)), 1);
    const std::size_t pages = static_cast<std::size_t>(printed_rows::pages());
    ASSERT_GE(pages, 2u);
    ASSERT_EQ(rec.sent.size(), 1u);
    EXPECT_EQ(rec.sent[0].pages, pages);
    EXPECT_EQ(rec.sent[0].copyCount, 1);
    rec.previewAnswer = 1;
    rec.copiesChosen = 3;
    for (bool makesCopies : {false, true}) {
        rec.printerMakesCopies = makesCopies;
        rec.sent.clear();
        rec.offered.clear();
        messages.answer(rt::BUTTON_YES);
        messages.answer(rt::BUTTON_NO);
        EXPECT_EQ(runReport(valuationDefinition(false)), 1);
        ASSERT_EQ(rec.sent.size(), 1u);
        EXPECT_EQ(rec.offered, std::vector<int>{1});  // not the 3 of the run before
        EXPECT_EQ(rec.sent[0].pages, makesCopies ? pages : 3 * pages);
        EXPECT_EQ(rec.sent[0].copyCount, makesCopies ? 3 : 1);
    }
}

// Through the real print path to PDF: each report printed to a file asks for it by name, an
// earlier file stays as it was, a job that fails is told and leaves the report not completed,
// and the next print works.
TEST_F(FrameTest, PrintsToFileAskEachTimeAndAFailedJobIsNoCompletedReport)
{
    setReportOutput({});
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(QString::fromStdString(home.file("dialog.pdf")));
    previewer::PreviewServices ps;
    ps.printer = &pdf;
    previewer::PreviewServices oldPreview = previewer::setPreviewServices(ps);
    std::vector<QString> answers = {QString::fromStdString(home.file("first.pdf")),
                                    QString::fromStdString(home.file("second.pdf")),
                                    QString::fromStdString(home.file("gone/third.pdf")),
                                    QString::fromStdString(home.file("third.pdf"))};
    int asked = 0;
    previewer::JobServices js;
    js.pdfFileName = [&](const QString &, QWidget *) { return std::optional<QString>(answers.at(asked++)); };
    previewer::JobServices oldJob = previewer::setJobServices(js);
    using testing_support::readBytes;
    auto printDirect = [&] {
        messages.answer(rt::BUTTON_NO);  // no preview
        messages.answer(rt::BUTTON_NO);  // no memos
        return runReport(valuationDefinition(false));
    };
    EXPECT_EQ(printDirect(), 1);
    const std::string first = readBytes(home.file("first.pdf"));
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(printDirect(), 1);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(readBytes(home.file("first.pdf")), first);
    EXPECT_FALSE(readBytes(home.file("second.pdf")).empty());
    messages.answer(rt::BUTTON_NO);
    messages.answer(rt::BUTTON_NO);
    messages.answer(rt::BUTTON_OK);
    EXPECT_EQ(runReport(valuationDefinition(false)), 2);
    EXPECT_TRUE(messages.sawText("The report could not be written to the file " + home.file("gone/third.pdf") +
                                 ":|No such file or directory"));
    EXPECT_EQ(printDirect(), 1);
    EXPECT_EQ(asked, 4);
    EXPECT_FALSE(readBytes(home.file("third.pdf")).empty());
    previewer::setJobServices(oldJob);
    previewer::setPreviewServices(oldPreview);
}

TEST_F(FrameTest, NestedRunsShareTheirFilesByUseCount)
{
    {
        FileUse outer({&Category, &MasterInventory});
        EXPECT_TRUE(Category.isOpen());
        {
            FileUse inner({&Category});
            EXPECT_EQ(reportUseCount(Category), 2);
        }
        EXPECT_TRUE(Category.isOpen());
        EXPECT_EQ(reportUseCount(Category), 1);
    }
    EXPECT_FALSE(Category.isOpen());
    EXPECT_FALSE(MasterInventory.isOpen());
    EXPECT_EQ(reportUseCount(Category), 0);
}

// A report procedure started by name takes its inputs from the globals and the item buffer its
// caller set, as they are when it starts: a form's copies (none set: one), the item printed, the
// catalog's limit.
TEST_F(FrameTest, AProcedureStartedByNameTakesItsInputsFromTheGlobalsAsItStarts)
{
    reports::registerReportProcedures(model::Program::Professional);
    struct Case {
        Report report;
        int formCopies;
        std::int32_t asset;
        const char *category;
        std::size_t copiesOffered;
        const char *band;  // the band counted (nullptr: none)
        int rows;
    } cases[] = {
        {Report::ClothingForm, 0, 0, "", 1, "form", 1},
        {Report::FurnitureForm, 3, 0, "", 3, "form", 1},
        {Report::ItemInformation, 0, 7, "", 1, nullptr, 1},
        {Report::CatalogByCategory, 0, 0, "art", 1, "item", 200},
        {Report::CatalogByDescription, 0, 0, "Pottery", 1, "item", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(report(c.report).portrait);
        rec.offered.clear();
        Glo.FormCopies = static_cast<rt::Byte>(c.formCopies);
        MAS.ASSETNUMBER = c.asset;
        Glo.Category = c.category;
        Glo.IncludePictures = 0;
        rt::runProcedure(report(c.report).portrait);
        int rows = 0, assets = 0;
        for (const ReportRow &r : printed_rows::rows()) {
            rows += c.band ? r.band == c.band : 1;
            assets += rt::trim(r.text("MAS:ASSETNUMBER")) == std::to_string(c.asset);
        }
        if (c.band)
            EXPECT_EQ(rows, c.rows);
        if (c.rows == 0)
            continue;  // nothing to preview
        ASSERT_EQ(rec.offered.size(), 1u);
        EXPECT_EQ(static_cast<std::size_t>(rec.offered[0]), c.copiesOffered);
        if (c.asset)
            EXPECT_GT(assets, 0);
    }
}

TEST(ReportRegistry, TheProgramRegistersEveryReportProcedure)
{
    testing_support::TempHome home;
    testing_support::startProgram(home, {registerReportProcedures});
    for (const char *p : {"PrintInventoryValuation", "PrintInventoryValuationWide", "ClientReportOptions",
                          "PrintClientList", "PrintLocationBoxList", "PrintCategoryTypesList", "PrintManufacturerList",
                          "PrintVendorList", "PrintCategoryInventory", "PrintCategoryInventoryWide",
                          "PrintLocationInventory", "PrintLocationInventoryWide", "PrintInsuranceReport",
                          "PrintInsuranceReportWide", "PrintItemInformation", "ReportsMenu"})
        EXPECT_TRUE(rt::hasProcedure(p)) << p;
    testing_support::stopProgram();
}

TEST(ProfessionalEdition, LeavesNoReportWayEmpty)
{
    installProfessionalEdition();
    EXPECT_EQ(testing_support::emptyReportWays(model::edition()), std::vector<std::string>{});
}

TEST_F(FrameTest, AReadErrorFailsTheRunAndOffersOnlyThePartialPreview)
{
    // The file goes away under the run after its first slice.
    afterTick = [](ReportFrame &, int tick) {
        if (tick == 1)
            MasterInventory.close();
    };
    rec.previewAnswer = 1;
    for (int b : {rt::BUTTON_YES, rt::BUTTON_NO, rt::BUTTON_OK, rt::BUTTON_NO})
        messages.answer(b);
    EXPECT_EQ(runFrame(valuationDefinition(false)), 2);
    EXPECT_TRUE(messages.sawTitle("Record Retrieval Error"));
    EXPECT_TRUE(messages.sawText("Report Cancellation Requested!||Preview Report generated so far?"));
    EXPECT_TRUE(rec.previewed.empty());
    for (const ReportRow &r : printed_rows::rows())
        EXPECT_NE(r.band, "grand totals");

    // Looked at anyway: the pages so far, still without totals over part of the items.
    messages.clear();
    for (int b : {rt::BUTTON_YES, rt::BUTTON_NO, rt::BUTTON_OK, rt::BUTTON_YES})
        messages.answer(b);
    EXPECT_EQ(runFrame(valuationDefinition(false)), 2);
    EXPECT_EQ(rec.previewed.size(), 1u);
    for (const ReportRow &r : printed_rows::rows())
        EXPECT_NE(r.band, "grand totals");
    EXPECT_FALSE(anyFileOpen());
}

// Each options window keeps its own choices, cleared when it opens: two windows open at once
// never change each other's, and OK starts the list with that window's copy.
TEST_F(FrameTest, ClientListOptionsArePerWindowAndStartTheListWithThatWindowsCopy)
{
    openAll();
    addClient("B2", "Brown", "Ann", "", 80000, "Prefers calls after six.");
    closeAll();
    ClientReportOptions();
    ClientReportOptions();
    ASSERT_EQ(rt::startedWindows().size(), 2);
    rt::WindowProcedure *first = rt::startedWindows().front();
    rt::WindowProcedure *second = rt::startedWindows().back();
    EXPECT_EQ(first->windowTitle(), "Client List Options");
    if (const char *keep = std::getenv("ORVANE_SAMPLE_PDF_DIR")) {
        first->show();
        testing_support::pump(20);
        first->grab().save(QString::fromStdString(std::string(keep) + "/client_list_options.png"));
    }
    auto *address = testing_support::find<QCheckBox>(first, "Include Address");
    auto *otherAddress = testing_support::find<QCheckBox>(second, "Include Address");
    ASSERT_NE(address, nullptr);
    ASSERT_NE(otherAddress, nullptr);
    EXPECT_FALSE(address->isChecked());
    address->setChecked(true);
    EXPECT_FALSE(otherAddress->isChecked());
    auto *memos = testing_support::find<QCheckBox>(second, "Include Memos");
    ASSERT_NE(memos, nullptr);
    memos->setChecked(true);
    auto *date = testing_support::find<QLineEdit>(first, "ClientDate");
    ASSERT_NE(date, nullptr);
    date->setText("1/05/99");
    // OK runs the list, previewed, with the first window's choices: the address, no memo, and
    // only the client not updated since the date.
    messages.answer(rt::BUTTON_YES);
    auto *ok = testing_support::find<QPushButton>(first, "OK");
    ASSERT_NE(ok, nullptr);
    ok->click();
    testing_support::pump(20);
    EXPECT_TRUE(messages.sawText("Do you wish to PREVIEW this Report?"));
    ASSERT_EQ(rec.previewed.size(), 1u);
    std::vector<std::string> bands;
    for (const ReportRow &r : printed_rows::rows())
        if (r.band != "page heading" && r.band != "page footer")
            bands.push_back(r.band + (r.band == "detail" ? " " + r.text("ClientName") : ""));
    EXPECT_EQ(bands, (std::vector<std::string>{"detail Smith, John", "address", "address", "totals"}));
    ASSERT_EQ(rt::startedWindows().size(), 1);
    EXPECT_EQ(rt::startedWindows().front(), second);
    EXPECT_TRUE(memos->isChecked());
    second->close();
    testing_support::pump(20);
}

// The report's own copy count goes to the printer; its page values are taken once when the run
// starts, so that a buffer changed later (here while the items print) never reaches a page.
TEST_F(FrameTest, TheDefinitionGivesTheCopiesAndPageValuesTakenAtTheStart)
{
    rec.printerCopies = 5;
    rec.printerMakesCopies = true;
    ReportDefinition d = valuationDefinition(false);
    d.copies = 2;
    Glo.BoxNumber = "B-7";
    d.pageValues = [](const RunChoices &) { return Values{{"BoxLine", Value::of(Glo.BoxNumber.str())}}; };
    const auto layout = d.layout;
    d.layout = [layout](const RunChoices &c) {
        ReportLayout l = layout(c);
        l.header.controls.push_back(kit::field("BoxLine", 0, 600, 1500, "@s20"));
        return l;
    };
    const auto spec = d.spec;
    d.spec = [spec](const RunChoices &c) {
        ReportSpec s = spec(c);
        const auto print = s.printItem;
        s.printItem = [print](const rt::ViewRow &row, ReportRun &run) {
            print(row, run);
            Glo.BoxNumber = "changed";
        };
        return s;
    };
    messages.answer(rt::BUTTON_NO);  // print, no preview
    messages.answer(rt::BUTTON_NO);
    EXPECT_EQ(runReport(d), 1);
    ASSERT_EQ(rec.sent.size(), 1u);
    EXPECT_EQ(rec.sent[0].copyCount, 2);
    int headings = 0;
    for (const ReportRow &r : printed_rows::rows())
        if (r.band == "page heading") {
            ++headings;
            EXPECT_EQ(r.text("BoxLine"), "B-7") << "page " << r.page;
        }
    EXPECT_GE(headings, 2);
}

// The blank forms: no client needed, one form whatever the categories, the copies the window
// showed when its button was pressed; the first three buttons close the window.
TEST_F(FrameTest, DataFormsPrintOneFormInTheCopiesAsked)
{
    Glo.ActiveClientID = "";
    Glo.ClientSelected = 0;
    rt::registerProcedure("DataFormsOptions", DataFormsOptions);
    struct Case {
        const char *button, *howMany;
        bool refused, staysOpen;
        const char *title;
    } cases[] = {
        {"Clothing", "0", true, true, nullptr},
        {"Furniture", "256", true, true, nullptr},
        {"Electronics", "999", true, true, nullptr},
        {"Clothing", "3", false, false, "Clothing Data Input Form"},
        {"Electronics", "1", false, false, "Electronics Data Input Form"},
        {"Furniture", "255", false, false, "Furniture Data Input Form"},
        {"Miscellaneous", "2", false, true, "Miscellaneous Data Input Form"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + c.howMany);
        messages.clear();
        rec.sent.clear();
        rec.previewed.clear();
        rec.previewAnswer = 1;  // print from the preview
        messages.answer(rt::BUTTON_YES);  // preview
        rt::runProcedure("DataFormsOptions");
        ASSERT_FALSE(rt::startedWindows().isEmpty());
        rt::WindowProcedure *w = rt::startedWindows().back();
        EXPECT_EQ(w->windowTitle(), "Input Data Forms options");
        auto *howMany = testing_support::find<QLineEdit>(w, "How Many");
        EXPECT_EQ(howMany->text(), "1");
        if (const char *keep = std::getenv("ORVANE_SAMPLE_PDF_DIR"))
            w->grab().save(QString(keep) + "/data_forms_options.png");
        howMany->setText(c.howMany);
        testing_support::find<QPushButton>(w, c.button)->click();
        howMany->setText("7");  // changed after the press: not the report's
        testing_support::pump(50);
        EXPECT_EQ(rt::startedWindows().contains(w), c.staysOpen);
        if (c.refused) {
            EXPECT_TRUE(messages.sawText("The number of forms must be from 1 to 255"));
            EXPECT_TRUE(rec.sent.empty());
        } else {
            ASSERT_EQ(rec.previewed.size(), 1u);
            EXPECT_EQ(rec.previewed[0], 1u);  // the preview shows one form
            ASSERT_EQ(rec.sent.size(), 1u);
            EXPECT_EQ(rec.sent[0].pages * static_cast<std::size_t>(rec.sent[0].copyCount),
                      static_cast<std::size_t>(std::stoi(c.howMany)));
            const auto &rows = printed_rows::rows();
            int forms = 0, titles = 0;
            for (const ReportRow &r : rows) {
                forms += r.band == "form";
                for (const RowText &t : r.texts)
                    titles += t.text == c.title;
            }
            EXPECT_EQ(forms, 1);
            EXPECT_EQ(titles, 1);
        }
        if (rt::startedWindows().contains(w))
            w->requestClose();
        testing_support::pump(20);
    }
}

// The progress window paints a new percent at most every moment, so that a fast run is not
// spent painting: the bar may lag the run between paints, but never runs ahead of it, its text
// says what the bar shows, and after a pause the next percent shows at once.
TEST_F(FrameTest, TheProgressBarLagsTheRunOnlyBetweenPaints)
{
    rec.previewAnswer = 2;
    messages.answer(rt::BUTTON_YES);  // preview
    messages.answer(rt::BUTTON_NO);   // memos
    std::vector<std::pair<int, int>> shown;  // (bar, run) after each tick
    afterTick = [&](ReportFrame &f, int tick) {
        auto *bar = f.progressWidget()->findChild<QProgressBar *>();
        auto *text = f.progressWidget()->findChild<QLabel *>("PercentText");
        ASSERT_TRUE(bar && text);
        EXPECT_EQ(text->text().section('%', 0, 0).trimmed().toInt(), bar->value()) << text->text().toStdString();
        shown.emplace_back(bar->value(), f.percent());
        if (tick == 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(80));
    };
    EXPECT_EQ(runFrame(valuationDefinition(false)), 2);
    ASSERT_GE(shown.size(), 4u);
    for (const auto &[bar, run] : shown)
        EXPECT_LE(bar, run);
    EXPECT_GT(shown[2].first, shown[1].second);  // the tick after the pause showed its first percent
}
