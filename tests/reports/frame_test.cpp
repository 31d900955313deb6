// The report frame with scripted answers: the preview question, the client check, cancel and
// its questions, Esc, and the pages routed to the preview or the printer with their copies.
#include "reports/frame.h"
#include "reports/layout_kit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "runtime/gui.h"
#include "runtime/window.h"
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
    bool printerMakesCopies = false;
    int printerCopies = 1;
    int previewAnswer = 2;
    int copiesChosen = 0;  // in the preview; 0: left as they were
    std::vector<std::size_t> previewed;  // pages shown per preview
    std::vector<Sent> sent;
};

class FakeOutput : public ReportOutput {
public:
    explicit FakeOutput(Recorder &r) : r_(r) {}
    int printerCopies() override { return r_.printerCopies; }
    int preview(std::vector<std::string> &queue, previewer::PreviewReport &report) override
    {
        r_.previewed.push_back(queue.size());
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
        return static_cast<int>(queue.size());
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
        ReportFrame::setTickObserver(nullptr);
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
    // Cancels on the first tick; the answers that follow go to the cancel questions.
    void cancelOnFirstTick()
    {
        ReportFrame::setTickObserver([this](ReportFrame &f, int tick) {
            perTick.push_back(f.recordsPerTick());
            if (tick == 1)
                f.cancel();
        });
    }

    testing_support::ScriptedMessages messages;
    Recorder rec;
    OutputFactory old_;
    std::vector<int> perTick;
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
    EXPECT_EQ(rec.previewed[0], static_cast<std::size_t>(ReportFrame::lastPageCount()));
    // Two copies chosen in the preview, on a printer that makes none itself.
    ASSERT_EQ(rec.sent.size(), 1u);
    EXPECT_EQ(rec.sent[0].pages, 2 * rec.previewed[0]);
    EXPECT_EQ(rec.sent[0].copyCount, 1);
    EXPECT_TRUE(Category.isOpen());
    EXPECT_FALSE(MasterInventory.isOpen());
    EXPECT_EQ(reportUseCount(Category), 0);
    Category.close();
    int details = 0;
    for (const ReportRow &r : ReportFrame::lastRows())
        details += r.band == "detail";
    EXPECT_EQ(details, 200);
}

// A report's printed rows are not held once it closes, unless a test asks for them; the run
// still counts its pages. Asked again, the rows of the next run are there.
TEST_F(FrameTest, ARunHoldsNoRowsAfterItClosesUnlessAsked)
{
    rec.previewAnswer = 2;
    for (bool keep : {false, true, false}) {
        SCOPED_TRACE(keep ? "kept" : "not kept");
        ReportFrame::keepRowsOfRuns(keep);
        messages.answer(rt::BUTTON_YES);  // preview
        messages.answer(rt::BUTTON_NO);   // memos
        EXPECT_EQ(runReport(valuationDefinition(false)), 2);
        EXPECT_GT(ReportFrame::lastPageCount(), 1);
        if (keep) {
            EXPECT_GT(ReportFrame::lastRows().size(), 200u);
        } else {
            EXPECT_TRUE(ReportFrame::lastRows().empty());
            EXPECT_EQ(ReportFrame::lastRows().capacity(), 0u);
        }
    }
}

TEST_F(FrameTest, CancelThenIgnoreGoesOnOneRecordPerTick)
{
    cancelOnFirstTick();
    rec.previewAnswer = 2;
    for (int b : {rt::BUTTON_YES, rt::BUTTON_NO, rt::BUTTON_YES, rt::BUTTON_IGNORE})
        messages.answer(b);
    EXPECT_EQ(runReport(valuationDefinition(false)), 2);  // the preview was left without printing
    ASSERT_GE(perTick.size(), 3u);
    EXPECT_EQ(perTick[0], 25);  // the tick that cancelled read a whole slice
    for (std::size_t i = 1; i < perTick.size(); ++i)
        EXPECT_EQ(perTick[i], 1);
    EXPECT_EQ(perTick.size(), 1u + 175u + 1u);
    EXPECT_TRUE(messages.sawText("Are you sure you want to CANCEL this Report?"));
    EXPECT_TRUE(messages.sawText("Report Cancellation Requested!||Preview Report generated so far?"));
    ASSERT_EQ(rec.previewed.size(), 1u);
    int details = 0;
    for (const ReportRow &r : ReportFrame::lastRows())
        details += r.band == "detail";
    EXPECT_EQ(details, 200);
}

TEST_F(FrameTest, CancelThenYesPreviewsThePartialReport)
{
    cancelOnFirstTick();
    rec.previewAnswer = 2;
    for (int b : {rt::BUTTON_YES, rt::BUTTON_NO, rt::BUTTON_YES, rt::BUTTON_YES})
        messages.answer(b);
    runReport(valuationDefinition(false));
    ASSERT_EQ(rec.previewed.size(), 1u);
    EXPECT_EQ(perTick.size(), 1u);
    int details = 0;
    for (const ReportRow &r : ReportFrame::lastRows())
        details += r.band == "detail";
    EXPECT_EQ(details, 25);
    EXPECT_FALSE(anyFileOpen());
}

TEST_F(FrameTest, CancelThenNoGivesNothingAndResponseTwo)
{
    cancelOnFirstTick();
    rec.previewAnswer = 1;
    for (int b : {rt::BUTTON_YES, rt::BUTTON_NO, rt::BUTTON_YES, rt::BUTTON_NO})
        messages.answer(b);
    EXPECT_EQ(runReport(valuationDefinition(false)), 2);
    EXPECT_TRUE(rec.previewed.empty());
    EXPECT_TRUE(rec.sent.empty());
    EXPECT_FALSE(anyFileOpen());
}

TEST_F(FrameTest, EscapeIsTheCancelButtonAndACancelledPrintRunPrintsNothing)
{
    ReportFrame::setTickObserver([](ReportFrame &f, int tick) {
        if (tick == 1) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(f.progressWidget(), &esc);
        }
    });
    rec.printerCopies = 2;
    // A print run: no partial question; Yes to "sure?" ends it.
    for (int b : {rt::BUTTON_NO, rt::BUTTON_NO, rt::BUTTON_YES})
        messages.answer(b);
    EXPECT_EQ(runReport(valuationDefinition(false)), 2);
    EXPECT_TRUE(messages.sawText("Are you sure you want to CANCEL this Report?"));
    EXPECT_FALSE(messages.sawText("Report Cancellation Requested!||Preview Report generated so far?"));
    EXPECT_TRUE(rec.sent.empty());
}

TEST_F(FrameTest, CopiesAreMadeByThePrinterWhenItCanAndRepeatedInTheQueueWhenNot)
{
    rec.printerCopies = 3;
    for (bool makesCopies : {false, true}) {
        rec.printerMakesCopies = makesCopies;
        rec.sent.clear();
        messages.answer(rt::BUTTON_NO);  // print, no preview
        messages.answer(rt::BUTTON_NO);
        EXPECT_EQ(runReport(valuationDefinition(false)), 1);
        const std::size_t pages = static_cast<std::size_t>(ReportFrame::lastPageCount());
        ASSERT_GE(pages, 2u);
        ASSERT_EQ(rec.sent.size(), 1u);
        if (makesCopies) {
            EXPECT_EQ(rec.sent[0].pages, pages);
            EXPECT_EQ(rec.sent[0].copyCount, 3);
        } else {
            EXPECT_EQ(rec.sent[0].pages, 3 * pages);
            EXPECT_EQ(rec.sent[0].copyCount, 1);
        }
    }
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

TEST(ReportRegistry, TheProgramRunsTheReportProceduresAndListsNoneAsPending)
{
    testing_support::TempHome home;
    testing_support::startProgram(home, {registerReportProcedures});
    for (const char *p : {"PrintInventoryValuation", "PrintInventoryValuationWide", "ClientReportOptions",
                          "PrintClientList", "PrintLocationBoxList", "PrintCategoryTypesList", "PrintManufacturerList",
                          "PrintVendorList", "PrintCategoryInventory", "PrintCategoryInventoryWide",
                          "PrintLocationInventory", "PrintLocationInventoryWide", "PrintInsuranceReport",
                          "PrintInsuranceReportWide", "PrintItemInformation", "ReportsMenu"}) {
        EXPECT_TRUE(rt::hasProcedure(p)) << p;
        EXPECT_FALSE(rt::isPendingProcedure(p)) << p;
    }
    testing_support::stopProgram();
}

TEST_F(FrameTest, AReadErrorFailsTheRunAndOffersOnlyThePartialPreview)
{
    // The file goes away under the run after its first slice.
    ReportFrame::setTickObserver([](ReportFrame &, int tick) {
        if (tick == 1)
            MasterInventory.close();
    });
    rec.previewAnswer = 1;
    for (int b : {rt::BUTTON_YES, rt::BUTTON_NO, rt::BUTTON_OK, rt::BUTTON_NO})
        messages.answer(b);
    EXPECT_EQ(runReport(valuationDefinition(false)), 2);
    EXPECT_TRUE(messages.sawTitle("Record Retrieval Error"));
    EXPECT_TRUE(messages.sawText("Report Cancellation Requested!||Preview Report generated so far?"));
    EXPECT_TRUE(rec.previewed.empty());
    for (const ReportRow &r : ReportFrame::lastRows())
        EXPECT_NE(r.band, "grand totals");

    // Looked at anyway: the pages so far, still without totals over part of the items.
    messages.clear();
    for (int b : {rt::BUTTON_YES, rt::BUTTON_NO, rt::BUTTON_OK, rt::BUTTON_YES})
        messages.answer(b);
    EXPECT_EQ(runReport(valuationDefinition(false)), 2);
    EXPECT_EQ(rec.previewed.size(), 1u);
    for (const ReportRow &r : ReportFrame::lastRows())
        EXPECT_NE(r.band, "grand totals");
    EXPECT_FALSE(anyFileOpen());
}

// Each options window keeps its own choices, cleared when it opens: two windows open at once
// never change each other's, nor what a report reads, until OK hands that window's copy over.
TEST_F(FrameTest, ClientListOptionsArePerWindowAndHandedOverByOk)
{
    clientListOptions() = ClientListOptions{true, true, true, 5};
    ClientReportOptions();
    ClientReportOptions();
    ASSERT_EQ(rt::startedWindows().size(), 2);
    rt::WindowProcedure *first = rt::startedWindows().front();
    rt::WindowProcedure *second = rt::startedWindows().back();
    EXPECT_EQ(first->windowTitle(), "Client List Options");
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
    // Nothing reaches the place the list reads before OK.
    EXPECT_EQ(clientListOptions().clientDate, 5);
    auto *date = testing_support::find<QLineEdit>(first, "ClientDate");
    ASSERT_NE(date, nullptr);
    date->setText("1/05/99");
    // OK runs the list (here stopped at its preview question) with the first window's choices.
    messages.answer(rt::BUTTON_CANCEL);
    auto *ok = testing_support::find<QPushButton>(first, "OK");
    ASSERT_NE(ok, nullptr);
    ok->click();
    testing_support::pump(20);
    EXPECT_TRUE(messages.sawText("Do you wish to PREVIEW this Report?"));
    EXPECT_TRUE(clientListOptions().includeAddress);
    EXPECT_FALSE(clientListOptions().includeMemos);
    EXPECT_FALSE(clientListOptions().limitEmail);
    EXPECT_NE(clientListOptions().clientDate, 0);
    EXPECT_NE(clientListOptions().clientDate, 5);
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
    for (const ReportRow &r : ReportFrame::lastRows())
        if (r.band == "page heading") {
            ++headings;
            EXPECT_EQ(r.text("BoxLine"), "B-7") << "page " << r.page;
        }
    EXPECT_GE(headings, 2);
}
