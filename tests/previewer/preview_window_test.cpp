#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QPrinter>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <csignal>
#include <fstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "previewer/preview_window.h"
#include "previewer/sample_pages.h"
#include "runtime/paths.h"
#include "tests/previewer/pdf_pages.h"
#include "tests/support/gui_support.h"
#include "tests/support/test_support.h"

using namespace previewer;
using testing_support::find;

namespace {

// A preview on PDF output with a scripted print dialog, in a home folder of its own.
class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        pdf_ = QString::fromStdString(home_.file("out.pdf"));
        printer_.setOutputFileName(pdf_);
        PreviewServices s;
        s.printer = &printer_;
        s.printDialog = [this](QPrinter &, long total, bool, QWidget *) {
            ++dialogs_;
            dialogTotal_ = total;
            return choice_;
        };
        s.saveName = [this](const std::string &proposed, QWidget *) {
            proposed_ = proposed;
            return saveAs_;
        };
        old_ = setPreviewServices(s);
        JobServices j;
        j.pdfFileName = [this](const QString &proposed, QWidget *) {
            proposedPdf_.push_back(proposed);
            std::optional<QString> name = pdfAnswers_.empty() ? std::optional<QString>(pdf_) : pdfAnswers_.front();
            if (!pdfAnswers_.empty())
                pdfAnswers_.erase(pdfAnswers_.begin());
            return name;
        };
        j.printerNames = [this] { return printers_; };
        j.queueState = [this](const QString &printer) -> std::optional<QueueState> {
            asked_.push_back(printer);
            return queue_;
        };
        oldJob_ = setJobServices(j);
    }
    void TearDown() override
    {
        setPreviewServices(old_);
        setJobServices(oldJob_);
    }

    std::vector<std::string> pages(int n, bool wide = false) { return writeSamplePages(home_.path(), n, wide); }

    testing_support::TempHome home_;
    testing_support::ScriptedMessages messages_;
    QPrinter printer_{QPrinter::HighResolution};
    QString pdf_;
    PrintChoice choice_;
    int dialogs_ = 0;
    long dialogTotal_ = 0;
    std::string proposed_;
    std::optional<std::string> saveAs_;
    PreviewServices old_;
    // The PDF file names asked for, and the answers given in turn (then out.pdf).
    QStringList proposedPdf_;
    std::vector<std::optional<QString>> pdfAnswers_;
    QStringList printers_{"Office"};
    std::optional<QueueState> queue_;  // what the print service says (of any queue); none: no service
    QStringList asked_;
    JobServices oldJob_;
};

bool enabled(QWidget *w, const char *name) { return find<QToolButton>(w, name)->isEnabled(); }

QStringList menuItems(QWidget *w)
{
    QStringList items;
    if (QMenu *m = w->findChild<QMenu *>("PopupMenu"))
        for (QAction *a : m->actions())
            items << a->text();
    return items;
}

}  // namespace

TEST_F(PreviewTest, EmptyQueueReturnsTwoWithoutAWindow)
{
    std::vector<std::string> queue;
    PreviewReport report;
    EXPECT_EQ(printPreview(queue, {}, report), 2);
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<PreviewWindow *>(w), nullptr);
}

TEST_F(PreviewTest, NavigationStatesAndPopupMenu)
{
    std::vector<std::string> one = pages(1);
    PreviewReport report;
    {
        PreviewWindow w(one, {}, report);
        w.show();
        for (const char *b : {"FirstPage", "PreviousPage", "NextPage", "LastPage"})
            EXPECT_FALSE(enabled(&w, b)) << b;
        w.showPopupMenu();
        QStringList items = menuItems(&w);
        EXPECT_EQ(items, QStringList({"Full &Height", "Full &Width", "&Zoom Percent", "P&rint Page", "Pages &to Print",
                                      "C&opies", "&Print", "E&xit"}));
    }
    ASSERT_EQ(rt::makeFolder(home_.file("three")), 0);
    std::vector<std::string> three = writeSamplePages(home_.file("three"), 3);
    PreviewWindow w(three, {}, report);
    w.show();
    EXPECT_EQ(w.windowTitle(), "Report Preview   [PDF on file]");
    EXPECT_EQ(find<QLabel>(&w, "PageOf")->text(), "of  3");
    EXPECT_EQ(w.currentPage(), 1);
    EXPECT_FALSE(enabled(&w, "FirstPage"));
    EXPECT_FALSE(enabled(&w, "PreviousPage"));
    EXPECT_TRUE(enabled(&w, "NextPage"));
    EXPECT_TRUE(enabled(&w, "LastPage"));
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    // PgDn pages although the copies field has the focus.
    ASSERT_TRUE(find<QSpinBox>(&w, "Copies")->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
    EXPECT_EQ(find<QSpinBox>(&w, "Copies")->value(), 1);
    EXPECT_EQ(w.currentPage(), 2);
    for (const char *b : {"FirstPage", "PreviousPage", "NextPage", "LastPage"})
        EXPECT_TRUE(enabled(&w, b)) << b;
    w.lastPage();
    EXPECT_EQ(w.currentPage(), 3);
    EXPECT_TRUE(enabled(&w, "PreviousPage"));
    EXPECT_FALSE(enabled(&w, "NextPage"));
    EXPECT_FALSE(enabled(&w, "LastPage"));
    w.nextPage();
    EXPECT_EQ(w.currentPage(), 3);
    w.showPopupMenu();
    EXPECT_TRUE(menuItems(&w).contains("&GoTo Page"));
    EXPECT_TRUE(menuItems(&w).contains("F&irst Page"));
    EXPECT_FALSE(menuItems(&w).contains("&Next Page"));

    // A page typed in the spin box is shown after a short pause, not at once.
    auto *spin = find<QSpinBox>(&w, "PageNo");
    spin->setValue(1);
    EXPECT_EQ(w.currentPage(), 3);
    testing_support::pump(450);
    EXPECT_EQ(w.currentPage(), 1);
    w.goToPage(0);
    EXPECT_EQ(w.currentPage(), 1);
    w.goToPage(70000);
    EXPECT_EQ(w.currentPage(), 3);
    // Typed: 0 and numbers above the total are taken and, after the same pause, brought into
    // 1 to total; the arrows stop at the ends.
    for (auto [typed, page] : {std::pair{"0", 1L}, std::pair{"7", 3L}, std::pair{"2", 2L}}) {
        spin->selectAll();
        QTest::keyClicks(spin->findChild<QLineEdit *>(), typed);
        testing_support::pump(450);
        EXPECT_EQ(w.currentPage(), page) << typed;
        EXPECT_EQ(spin->value(), page);
    }
    spin->stepBy(5);
    EXPECT_EQ(spin->value(), 3);
}

TEST_F(PreviewTest, ZoomIsClampedAndAClickGoesBackToTheFit)
{
    std::vector<std::string> queue = pages(2);
    PreviewReport report;
    PreviewArguments args;
    args.zoomPercent = 10;
    PreviewWindow w(queue, args, report);
    w.resize(900, 700);
    w.show();
    testing_support::pump(20);
    EXPECT_DOUBLE_EQ(w.zoomFactor(), 0.25);
    double fit = w.displayFactor();
    EXPECT_GT(fit, 0.1);
    EXPECT_FALSE(w.zoomed());
    w.clickPage(QPointF(10, 10));
    EXPECT_TRUE(w.zoomed());
    EXPECT_DOUBLE_EQ(w.displayFactor(), 0.25);
    w.clickPage(QPointF(10, 10));
    EXPECT_FALSE(w.zoomed());
    EXPECT_DOUBLE_EQ(w.displayFactor(), fit);
    // Typed into the zoom list: kept as typed (no completion to a listed percent), then brought
    // into 25 to 250 when accepted.
    auto *zoom = find<QComboBox>(&w, "ZoomPct");
    for (auto [typed, factor, shown] : {std::tuple{"10", 0.25, "25"}, std::tuple{"12", 0.25, "25"},
                                        std::tuple{"300", 2.5, "250"}, std::tuple{"130", 1.3, "130"}}) {
        zoom->lineEdit()->clear();
        QTest::keyClicks(zoom->lineEdit(), typed);
        EXPECT_EQ(zoom->currentText(), typed);
        QTest::keyClick(zoom->lineEdit(), Qt::Key_Return);
        EXPECT_DOUBLE_EQ(w.displayFactor(), factor) << typed;
        EXPECT_EQ(zoom->currentText(), shown);
    }
    w.fullHeight();
    EXPECT_FALSE(w.zoomed());
    EXPECT_LT(w.displayFactor(), fit);  // a portrait page fits the height smaller than the width

    args.zoomPercent = 1000;
    PreviewWindow big(queue, args, report);
    EXPECT_DOUBLE_EQ(big.zoomFactor(), 2.5);
}

TEST_F(PreviewTest, InvalidPagesTextFallsBackToAllPages)
{
    std::vector<std::string> queue = pages(6);
    PreviewReport report;
    PreviewWindow w(queue, {}, report);
    w.show();
    auto *text = find<QLineEdit>(&w, "PagesToPrint");
    EXPECT_EQ(text->text(), "All");
    text->setText("2,4-6");
    emit text->editingFinished();
    EXPECT_EQ(w.pageRanges(), PageRanges({{2, 2}, {4, 6}}));
    text->setText("65537");
    emit text->editingFinished();
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text, "\"65537\" is invalid!");
    EXPECT_EQ(messages_.shown()[0].title, "Error");
    EXPECT_EQ(text->text(), "All");
    EXPECT_TRUE(w.pageRanges().empty());
}

TEST_F(PreviewTest, PrintingOptionsKeepsTheChosenPagesForTheCaller)
{
    std::vector<std::string> queue = pages(7);
    std::vector<std::string> before = queue;
    PreviewReport report;
    report.copies = 2;
    PreviewWindow w(queue, {}, report);
    w.show();
    auto *text = find<QLineEdit>(&w, "PagesToPrint");
    text->setText("2,4-6");

    // Cancelled: the pages text stays as the user typed it and nothing leaves the queue.
    choice_.accepted = false;
    choice_.fromPage = 1;
    choice_.toPage = 1;
    w.printingOptions();
    EXPECT_EQ(dialogs_, 1);
    EXPECT_EQ(dialogTotal_, 7);
    EXPECT_EQ(text->text(), "2,4-6");
    EXPECT_EQ(queue.size(), 7u);
    EXPECT_EQ(w.result(), 2);

    choice_ = PrintChoice{};
    choice_.accepted = true;
    choice_.copies = 9;     // PDF makes no copies: the dialog's count is not taken
    choice_.collate = true;
    w.printingOptions();
    EXPECT_EQ(w.result(), 1);
    EXPECT_EQ(queue, std::vector<std::string>({before[1], before[3], before[4], before[5]}));
    for (int i : {0, 2, 6})
        EXPECT_FALSE(rt::fileExists(before[static_cast<std::size_t>(i)]));
    EXPECT_EQ(report.copies, 2);
    EXPECT_TRUE(report.collate);
}

TEST_F(PreviewTest, DialogRangeReplacesThePagesText)
{
    std::vector<std::string> queue = pages(7);
    std::vector<std::string> before = queue;
    PreviewReport report;
    PreviewWindow w(queue, {}, report);
    w.show();
    choice_.accepted = true;
    choice_.fromPage = 6;
    choice_.toPage = 9;  // above the total: those numbers choose nothing
    w.printingOptions();
    EXPECT_EQ(find<QLineEdit>(&w, "PagesToPrint")->text(), "6-9");
    EXPECT_EQ(queue, std::vector<std::string>({before[5], before[6]}));
    EXPECT_EQ(w.result(), 1);

    // Several ranges (the dialog's page field of a system printer) are all taken.
    std::vector<std::string> more = pages(5);
    const std::vector<std::string> all = more;
    PreviewWindow v(more, {}, report);
    choice_ = PrintChoice{};
    choice_.accepted = true;
    choice_.ranges = {{1, 2}, {4, 4}};
    v.printingOptions();
    EXPECT_EQ(find<QLineEdit>(&v, "PagesToPrint")->text(), "1-2,4");
    EXPECT_EQ(more, std::vector<std::string>({all[0], all[1], all[3]}));
}

TEST_F(PreviewTest, ExitLeavesTheQueueAndPrintPrintsThroughTheCaller)
{
    std::vector<std::string> queue = pages(3);
    std::vector<std::string> before = queue;
    PreviewReport report;
    testing_support::onNextModal([](QWidget *w) { find<QToolButton>(w, "Exit")->click(); });
    EXPECT_EQ(printPreview(queue, {}, report), 2);
    EXPECT_EQ(queue, before);

    // Print from the preview, then the caller's print of what the queue holds: three pages.
    choice_.accepted = true;
    testing_support::onNextModal([](QWidget *w) { find<QToolButton>(w, "PrintingOptions")->click(); });
    ASSERT_EQ(printPreview(queue, {}, report), 1);
    EXPECT_EQ(printQueue(printer_, queue, report.copies, report.collate).pages, 3);
    EXPECT_EQ(testing_support::pdfPageSizes(pdf_).size(), 3);
}

TEST_F(PreviewTest, PrintThisPageMakesTheCopiesAndKeepsThePage)
{
    std::vector<std::string> queue = pages(3, true);
    std::vector<std::string> before = queue;
    PreviewReport report;
    report.copies = 3;
    PreviewWindow w(queue, {}, report);
    w.show();
    w.nextPage();
    w.printThisPage();
    EXPECT_EQ(queue, before);
    EXPECT_TRUE(rt::fileExists(queue[1]));
    EXPECT_EQ(testing_support::pdfPageSizes(pdf_), QStringList({"792x612", "792x612", "792x612"}));
    EXPECT_EQ(w.result(), 2);
    EXPECT_TRUE(messages_.shown().empty());
}

TEST_F(PreviewTest, TextOutputOfTheChosenPages)
{
    std::vector<std::string> queue = pages(7);
    PreviewReport report;
    PreviewArguments args;
    {
        PreviewWindow hidden(queue, args, report);
        EXPECT_FALSE(find<QToolButton>(&hidden, "TextOutput")->isVisibleTo(&hidden));
    }

    args.textOutputSwitch = args.textOutputSwitch2 = 0;
    args.textFile = "~" + home_.file("REPORT.TXT");
    PreviewWindow w(queue, args, report);
    w.show();
    auto *button = find<QToolButton>(&w, "TextOutput");
    EXPECT_TRUE(button->isVisible());
    EXPECT_EQ(button->toolTip().toStdString(), "TEXT File Output: " + home_.file("REPORT.TXT") + "?");
    // Cancelled save dialog: nothing is made.
    w.textOutput();
    EXPECT_EQ(proposed_, home_.file("REPORT.TXT"));
    EXPECT_FALSE(rt::fileExists(home_.file("REPORT.TXT")));

    saveAs_ = home_.file("chosen.txt");
    auto *text = find<QLineEdit>(&w, "PagesToPrint");
    text->setText("2,4-6");
    w.textOutput();
    const std::string bytes = testing_support::readBytes(*saveAs_);
    for (int item : {29, 85, 113, 141})  // the first item of pages 2, 4, 5 and 6
        EXPECT_NE(bytes.find("Item " + std::to_string(item) + " "), std::string::npos) << item;
    EXPECT_EQ(bytes.find("Item 1 "), std::string::npos);
    EXPECT_EQ(bytes.find("Item 57 "), std::string::npos);
    EXPECT_EQ(queue.size(), 7u);

    saveAs_ = home_.file("no-folder/x.txt");
    w.textOutput();
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].title, "TEXT File Output");
}

// Every print asks for its PDF file by name, in the folder used last, and never leaves a file
// half-written over an old one; a failure is told, counts as nothing printed, and the next print
// works. With no printer installed the user may take a PDF file instead; a queue that takes no
// job says why.
TEST_F(PreviewTest, EveryPrintGoesWhereTheUserSaysAndItsOutcomeIsTold)
{
    std::vector<std::string> three = pages(3);
    const QString a = QString::fromStdString(home_.file("a.pdf")), b = QString::fromStdString(home_.file("b.pdf"));
    PreviewReport report;
    report.title = "Home Inventory Report";
    pdfAnswers_ = {a};
    EXPECT_EQ(printReport(three, 1, report), 3);
    const std::string first = testing_support::readBytes(a.toStdString());
    EXPECT_EQ(testing_support::pdfPageSizes(a).size(), 3);
    std::string title = "\xFE\xFF";  // the document's title, in UTF-16
    for (char c : std::string("Home Inventory Report"))
        title += std::string(1, '\0') + c;
    EXPECT_NE(first.find("/Title (" + title + ")"), std::string::npos);

    // The next print, Print THIS Page included, asks again; the first file stays as it was.
    pdfAnswers_ = {b};
    PreviewWindow w(three, {}, report);
    w.printThisPage();
    ASSERT_EQ(proposedPdf_.size(), 2);
    EXPECT_EQ(proposedPdf_[1], QFileInfo(a).absolutePath() + "/Home Inventory Report.pdf");
    EXPECT_EQ(testing_support::pdfPageSizes(b).size(), 1);
    EXPECT_EQ(testing_support::readBytes(a.toStdString()), first);

    // A file that cannot be made: the message names it and the reason; a cancelled dialog prints
    // nothing and says nothing; the next print works.
    pdfAnswers_ = {QString::fromStdString(home_.file("no-folder/c.pdf")), std::nullopt, a};
    EXPECT_EQ(printReport(three, 1, report), 0);
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text.rfind("The report could not be written to the file " + home_.file("no-folder/c.pdf") + ":|", 0), 0u);
    EXPECT_EQ(printReport(three, 1, report), 0);
    EXPECT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(testing_support::readBytes(a.toStdString()), first);
    EXPECT_EQ(printReport(std::vector<std::string>{three[0]}, 1, report), 1);
    EXPECT_EQ(testing_support::pdfPageSizes(a).size(), 1);

    // A system printer: none installed offers a PDF file (the printing support's own fall-back,
    // PDF output without a file, is no destination), a refusing queue names itself.
    QPrinter none(QPrinter::HighResolution);
    none.setOutputFormat(QPrinter::PdfFormat);
    PreviewServices s = setPreviewServices({});
    PreviewServices n = s;
    n.printer = &none;
    setPreviewServices(n);
    messages_.clear();
    printers_.clear();
    messages_.answer(rt::BUTTON_NO);
    EXPECT_EQ(printReport(three, 1, report), 0);
    messages_.answer(rt::BUTTON_YES);
    pdfAnswers_ = {b};
    EXPECT_EQ(printReport(three, 1, report), 3);
    ASSERT_EQ(messages_.shown().size(), 2u);
    EXPECT_EQ(messages_.shown()[0].text, "No printer is installed.||Do you wish to print the report to a PDF file instead?");
    EXPECT_EQ(testing_support::pdfPageSizes(b).size(), 3);
    printers_ = {"Office"};
    queue_ = QueueState{};
    queue_->accepting = false;
    EXPECT_EQ(printReport(three, 1, report), 0);
    ASSERT_EQ(messages_.shown().size(), 3u);
    EXPECT_EQ(messages_.shown()[2].text, "The report could not be printed on Office:|the printer is not accepting jobs");
    setPreviewServices(s);
}

// A write that fails part-way (the kernel's file size limit stands in for a full disk: it fails
// the same write calls, with no filesystem to mount) must not put a broken file in place of a
// good one, nor leave its temporary file behind, and must say so.
TEST_F(PreviewTest, FullDiskLeavesTheOldPdfByteForByteAndSaysWhatFailed)
{
    std::vector<std::string> three = pages(3);
    const QString a = QString::fromStdString(home_.file("a.pdf"));
    PreviewReport report;
    report.title = "Home Inventory Report";
    pdfAnswers_ = {a};
    ASSERT_EQ(printReport(three, 1, report), 3);
    const std::string good = testing_support::readBytes(a.toStdString());
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit was{};
    ::getrlimit(RLIMIT_FSIZE, &was);
    auto leftovers = [this] {
        return QDir(QString::fromStdString(home_.path())).entryList({".printing-*"}, QDir::Files | QDir::Hidden);
    };
    const std::vector<std::string> four{three[0], three[1], three[2], three[0]};
    auto print = [&](bool thisPage) {
        if (!thisPage)
            return printReport(four, 1, report);
        PreviewWindow w(three, {}, report);
        w.printThisPage();
        return messages_.shown().empty() ? 1 : 0;
    };
    // Fails at once, in the middle, and only on the very last bytes (caught when the file is
    // flushed, after the painter said all was well).
    for (bool thisPage : {false, true}) {
        const QString target = thisPage ? QString::fromStdString(home_.file("page.pdf")) : a;
        const QString whole = QString::fromStdString(home_.file("whole.pdf"));
        pdfAnswers_ = {whole};
        messages_.clear();
        ASSERT_EQ(print(thisPage), thisPage ? 1 : 4);
        const rlim_t size = QFileInfo(whole).size();
        for (rlim_t room : {rlim_t(0), size / 2, size - 1}) {
            SCOPED_TRACE(std::to_string(room) + (thisPage ? " Print THIS Page" : " print"));
            messages_.clear();
            pdfAnswers_ = {target};
            rlimit small = was;
            small.rlim_cur = room;
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
            const int printed = print(thisPage);
            ::setrlimit(RLIMIT_FSIZE, &was);
            EXPECT_EQ(printed, 0);
            EXPECT_TRUE(testing_support::readBytes(a.toStdString()) == good) << "the old file was changed";
            EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(home_.file("page.pdf"))));
            EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(' ').toStdString();
            ASSERT_EQ(messages_.shown().size(), 1u);
            EXPECT_EQ(messages_.shown()[0].text,
                      "The report could not be written to the file " + target.toStdString() + ":|File too large" +
                          (thisPage ? "" : " (the file already there is unchanged)"));
        }
    }
    ::signal(SIGXFSZ, SIG_DFL);

    // A real full disk where the test may mount one (a 64 KiB tmpfs; root only): the reason
    // given is the disk's.
    const std::string small = home_.file("small");
    ASSERT_EQ(rt::makeFolder(small), 0);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
        return;
    std::shared_ptr<void> unmount(nullptr, [&small](void *) { ::umount2(small.c_str(), MNT_DETACH); });
    const QString b = QString::fromStdString(small + "/b.pdf");
    pdfAnswers_ = {b};
    messages_.clear();
    EXPECT_EQ(printReport(three, 1, report), 3);
    const std::string kept = testing_support::readBytes(b.toStdString());
    std::vector<std::string> many;
    for (int i = 0; i < 20; ++i)
        many.insert(many.end(), three.begin(), three.end());
    pdfAnswers_ = {b};
    EXPECT_EQ(printReport(many, 1, report), 0);
    EXPECT_TRUE(testing_support::readBytes(b.toStdString()) == kept) << "the old file was changed";
    EXPECT_EQ(QDir(QString::fromStdString(small)).entryList(QDir::Files | QDir::Hidden), QStringList({"b.pdf"}));
    ASSERT_EQ(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].text, "The report could not be written to the file " + b.toStdString() +
                                             ":|the disk is full (the file already there is unchanged)");
}

// A stopped queue takes a job and prints nothing until someone starts the printer again: the
// user hears so, with the administrator's reason, and decides. A refusing queue says why, and a
// print service that does not answer is not taken for a machine without printers.
TEST_F(PreviewTest, StoppedQueueAndRefusingOrUnreachablePrintServiceAreToldWithTheirReason)
{
    auto state = [](bool reached, bool known, bool accepting, bool stopped, std::string reason) {
        QueueState q;
        q.reached = reached;
        q.known = known;
        q.accepting = accepting;
        q.stopped = stopped;
        q.reason = std::move(reason);
        return std::optional<QueueState>(q);
    };
    const std::string on = "The report could not be printed on Office:|";
    const std::string offer = "||Do you wish to print the report to a PDF file instead?";
    struct Case {
        const char *name;
        QStringList printers;
        std::optional<QueueState> queue;
        int answer;
        std::string says;
    } cases[] = {
        {"stopped, not sent", {"Office"}, state(true, true, true, true, "Paper jam in tray 2"), rt::BUTTON_NO,
         "The printer Office is stopped: Paper jam in tray 2.||A report sent to it waits in its queue until the "
         "printer is started again.||Do you wish to send the report to this printer?"},
        {"stopped without a reason", {"Office"}, state(true, true, true, true, ""), rt::BUTTON_NO,
         "The printer Office is stopped.||A report sent to it waits in its queue until the printer is started "
         "again.||Do you wish to send the report to this printer?"},
        {"rejecting", {"Office"}, state(true, true, false, false, "Out of toner until Monday"), 0,
         on + "the printer is not accepting jobs (Out of toner until Monday)"},
        {"rejecting and stopped", {"Office"}, state(true, true, false, true, "Moved to room 4"), 0,
         on + "the printer is not accepting jobs (Moved to room 4)"},
        {"unknown queue", {"Office"}, state(true, false, true, false, ""), 0,
         on + "the printing system does not know this printer"},
        {"service gone", {"Office"}, state(false, true, true, false, ""), 0, on + "the print service could not be reached"},
        {"no service, no printers", {}, state(false, true, true, false, ""), rt::BUTTON_NO,
         "The print service could not be reached." + offer},
        {"no printers", {}, state(true, true, true, false, ""), rt::BUTTON_NO, "No printer is installed." + offer},
        {"no printing system", {}, std::nullopt, rt::BUTTON_NO, "No printer is installed." + offer},
    };
    QPrinter none(QPrinter::HighResolution);
    none.setOutputFormat(QPrinter::PdfFormat);
    PreviewServices s = setPreviewServices({});
    PreviewServices n = s;
    n.printer = &none;
    setPreviewServices(n);
    std::vector<std::string> two = pages(2);
    PreviewReport report;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        messages_.clear();
        printers_ = c.printers;
        queue_ = c.queue;
        if (c.answer)
            messages_.answer(c.answer);
        EXPECT_EQ(printReport(two, 1, report), 0);
        ASSERT_EQ(messages_.shown().size(), 1u);
        EXPECT_EQ(messages_.shown()[0].text, c.says);
    }
    // Sent to the stopped queue when the user says so: the job goes on to the printer.
    messages_.clear();
    printers_ = {"Office"};
    queue_ = state(true, true, true, true, "Paper jam in tray 2");
    messages_.answer(rt::BUTTON_YES);
    printReport(two, 1, report);
    ASSERT_GE(messages_.shown().size(), 1u);
    EXPECT_EQ(messages_.shown()[0].title, "Print");
    for (std::size_t i = 1; i < messages_.shown().size(); ++i)
        EXPECT_EQ(messages_.shown()[i].text.rfind(on, 0), 0u) << messages_.shown()[i].text;
    EXPECT_EQ(asked_.back(), "Office");
    setPreviewServices(s);
}

// The system print dialog's page range is the preview's pages to print, as if typed in the
// preview's "Pages to Print": never all pages when the dialog chose some.
TEST_F(PreviewTest, SystemDialogRangePrintsOnlyItsPages)
{
    PreviewServices s = setPreviewServices({});
    PreviewServices real = s;
    real.printDialog = nullptr;
    setPreviewServices(real);
    struct Case {
        const char *name;
        std::function<void(QWidget *)> choose;
        QString pagesText;
        std::vector<int> kept;  // 0-based
    } cases[] = {
        {"from 2 to 3",
         [](QWidget *d) {
             find<QRadioButton>(d, "printRange")->setChecked(true);
             find<QSpinBox>(d, "from")->setValue(2);
             find<QSpinBox>(d, "to")->setValue(3);
         },
         "2-3", {1, 2}},
        {"the last page",
         [](QWidget *d) {
             find<QRadioButton>(d, "printRange")->setChecked(true);
             find<QSpinBox>(d, "to")->setValue(4);
             find<QSpinBox>(d, "from")->setValue(4);
         },
         "4-4", {3}},
        {"all pages", [](QWidget *) {}, "All", {0, 1, 2, 3}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> queue = pages(4);
        const std::vector<std::string> before = queue;
        PreviewReport report;
        PreviewWindow w(queue, {}, report);
        w.show();
        testing_support::onNextModal([&c](QWidget *d) {
            c.choose(d);
            QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
        });
        w.printingOptions();
        ASSERT_EQ(w.result(), 1);
        EXPECT_EQ(find<QLineEdit>(&w, "PagesToPrint")->text(), c.pagesText);
        std::vector<std::string> kept;
        for (int i : c.kept)
            kept.push_back(before[static_cast<std::size_t>(i)]);
        EXPECT_EQ(queue, kept);
        EXPECT_EQ(printer_.printRange(), QPrinter::AllPages);
        printer_.setOutputFileName(pdf_);
    }
    setPreviewServices(s);
}

// A saved report is a file like any other the user makes: readable by whom the umask allows,
// and a file printed over keeps the mode it had.
TEST_F(PreviewTest, SavedPdfTakesTheUmaskModeAndAnOverwrittenFileKeepsItsMode)
{
    std::vector<std::string> one = pages(1);
    PreviewReport report;
    const QString a = QString::fromStdString(home_.file("a.pdf"));
    for (auto [mask, before, after] : {std::tuple{022, -1, 0644}, std::tuple{002, -1, 0664}, std::tuple{077, -1, 0600},
                                       std::tuple{022, 0640, 0640}, std::tuple{077, 0664, 0664}}) {
        SCOPED_TRACE(std::to_string(mask) + " " + std::to_string(before));
        QFile::remove(a);
        if (before >= 0) {
            std::ofstream(a.toStdString()) << "old";
            ASSERT_EQ(::chmod(a.toLocal8Bit().constData(), static_cast<mode_t>(before)), 0);
        }
        const mode_t old = ::umask(static_cast<mode_t>(mask));
        pdfAnswers_ = {a};
        const int printed = printReport(one, 1, report);
        ::umask(old);
        ASSERT_EQ(printed, 1);
        struct stat st {};
        ASSERT_EQ(::stat(a.toLocal8Bit().constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, static_cast<mode_t>(after));
    }
}

// The blank forms print up to 255 copies; a preview of them must print every one, not the 99
// its copies box holds for other reports.
TEST_F(PreviewTest, FormsAbove99CopiesPrintEveryCopyFromThePreview)
{
    for (int copies : {150, 255}) {
        SCOPED_TRACE(copies);
        std::vector<std::string> queue = pages(1);
        PreviewReport report;
        report.copies = copies;
        PreviewWindow w(queue, {}, report);
        w.show();
        EXPECT_EQ(find<QSpinBox>(&w, "Copies")->value(), copies);
        // Print THIS Page makes them all as well.
        w.printThisPage();
        EXPECT_EQ(testing_support::pdfPageSizes(pdf_).size(), copies);
        choice_.accepted = true;
        w.printingOptions();
        ASSERT_EQ(w.result(), 1);
        EXPECT_EQ(report.copies, copies);
        EXPECT_EQ(printQueue(printer_, queue, report.copies, report.collate).pages, copies);
        EXPECT_EQ(testing_support::pdfPageSizes(pdf_).size(), copies);
    }
    // Any other report keeps the box's two digits.
    std::vector<std::string> queue = pages(1);
    PreviewReport report;
    PreviewWindow w(queue, {}, report);
    EXPECT_EQ(find<QSpinBox>(&w, "Copies")->maximum(), 99);
}

// The PDF file named in one report's print dialog is that print's alone: the next preview's
// title does not show it.
TEST_F(PreviewTest, PreviewTitleDoesNotCarryThePreviousReportsPdfName)
{
    std::vector<std::string> queue = pages(2);
    printer_.setOutputFileName(QString::fromStdString(home_.file("cr-six-asset.pdf")));
    PreviewReport report;
    report.title = "Home Inventory Report";
    PreviewWindow w(queue, {}, report);
    EXPECT_EQ(w.windowTitle(), "Report Preview   [PDF on file]");
}

// A page laid out for Letter on A4 paper is shrunk to fit, never cut, and centred across;
// on larger paper it keeps its size.
TEST(PrintJob, PagesAreFittedToThePaper)
{
    PageFit a4 = fitPage(PageHeader{8500, 11000, Orientation::Portrait}, QPageSize(QPageSize::A4), 1000);
    EXPECT_NEAR(a4.scale, 8267.7 / 8500, 0.001);  // A4 is 8.27 inches wide
    EXPECT_LE(11000 * a4.scale, 11693);
    EXPECT_NEAR(a4.origin.x(), 0, 0.5);
    PageFit wide = fitPage(PageHeader{11000, 8500, Orientation::Landscape}, QPageSize(QPageSize::A4), 1000);
    EXPECT_NEAR(wide.scale, 8267.7 / 8500, 0.001);  // the short side decides
    EXPECT_NEAR(wide.origin.x(), (11693 - 11000 * wide.scale) / 2, 2);
    PageFit a3 = fitPage(PageHeader{8500, 11000, Orientation::Portrait}, QPageSize(QPageSize::A3), 600);
    EXPECT_DOUBLE_EQ(a3.scale, 0.6);
}

// The preview window for a person to look at: written only when ORVANE_SCREENSHOTS names a
// folder (run under a display server to see the real look).
TEST_F(PreviewTest, Screenshot)
{
    const char *out = std::getenv("ORVANE_SCREENSHOTS");
    if (!out || !*out)
        GTEST_SKIP() << "ORVANE_SCREENSHOTS is not set";
    std::vector<std::string> queue = pages(6);
    PreviewReport report;
    PreviewWindow w(queue, {}, report);
    w.show();
    testing_support::pump(300);
    QWidget *shown = &w;
    shown->window()->grab().save(QString(out) + "/preview.png");
}
