#include <gtest/gtest.h>

#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>

#include "core/previewer_binding.h"
#include "core/report_output.h"
#include "reports/frame.h"
#include "previewer/preview_window.h"
#include "previewer/sample_pages.h"
#include "tests/support/gui_support.h"
#include "tests/support/test_support.h"

using namespace previewer;
using testing_support::ScriptedMessages;
using testing_support::TempHome;

namespace {

std::string contents(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool previewWindowOpen()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<PreviewWindow *>(w) && w->isVisible())
            return true;
    return false;
}

// The real module, bound from the build folder, over a printer whose capabilities the test sets.
class BoundPreviewer : public ::testing::Test {
protected:
    void SetUp() override
    {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setOutputFileName(QString::fromStdString(home_.file("out.pdf")));
        PreviewServices s;
        s.printer = &printer_;
        s.capabilities = [this](const QPrinter &, bool collate) {
            PrinterCapabilities c = caps_;
            c.collate = collate;
            return c;
        };
        s.printDialog = [this](QPrinter &, long, bool, QWidget *) { return choice_; };
        old_ = setPreviewServices(s);
        caps_.present = true;
        ASSERT_TRUE(bindPreviewer(ORVANE_BUILD_DIR));
        ASSERT_NE(previewerEntries(), nullptr);
        e_ = previewerEntries();
    }
    void TearDown() override
    {
        setPreviewServices(old_);
        unbindPreviewer();
    }

    TempHome home_;
    ScriptedMessages messages_;
    QPrinter printer_{QPrinter::HighResolution};
    PrinterCapabilities caps_;
    PrintChoice choice_;
    PreviewServices old_;
    const PreviewerEntries *e_ = nullptr;
};

}  // namespace

TEST_F(BoundPreviewer, PageNumberingGoesThroughTheModuleOnlyWithTheTotalSwitch)
{
    EXPECT_TRUE(messages_.shown().empty());
    std::vector<std::string> queue = writeSamplePages(home_.path(), 3);
    ASSERT_EQ(queue.size(), 3u);
    std::vector<std::string> before;
    for (const std::string &page : queue)
        before.push_back(contents(page));
    e_->assignPageOfPages(&queue, 0, 0, 1, 1, 0, 1, "", "");
    EXPECT_EQ(contents(queue[0]), before[0]);
    e_->assignPageOfPages(&queue, 1, 0, 1, 1, 0, 1, "", "");
    for (std::size_t i = 0; i < queue.size(); ++i) {
        std::string text = contents(queue[i]);
        EXPECT_NE(text.find(" of    3"), std::string::npos) << queue[i];
        EXPECT_EQ(text.find("?PP?"), std::string::npos) << queue[i];
        EXPECT_EQ(text.size(), before[i].size());
    }
}

TEST_F(BoundPreviewer, CopiesAndCapabilitiesFollowTheCurrentPrinter)
{
    std::vector<std::string> queue{"a", "b"};
    printer_.setCollateCopies(false);
    caps_.copies = false;
    EXPECT_EQ(e_->supported(0x7B05), 0);
    e_->handleCopies(&queue, 3);
    EXPECT_EQ(queue, (std::vector<std::string>{"a", "b", "a", "b", "a", "b"}));

    // A printer that makes the copies itself keeps the queue, unless collated sets are asked for.
    caps_.copies = true;
    EXPECT_EQ(e_->supported(0x7B05), 1);
    queue = {"a", "b"};
    e_->handleCopies(&queue, 3);
    EXPECT_EQ(queue.size(), 2u);
    printer_.setCollateCopies(true);
    e_->handleCopies(&queue, 2);
    EXPECT_EQ(queue, (std::vector<std::string>{"a", "b", "a", "b"}));
    e_->handleCopies(&queue, 1);
    EXPECT_EQ(queue.size(), 4u);

    for (long code : {0x7B00L, 0x7B0CL, 0x7B1EL, 0x7B20L, 0x7B26L, 0x7B28L, -1L})
        EXPECT_EQ(e_->supported(code), -1) << std::hex << code;
    EXPECT_EQ(e_->supported(0x7B1F), 0);
    caps_.orientation = true;
    EXPECT_EQ(e_->supported(0x7B1F), 1);
}

TEST_F(BoundPreviewer, PrintPreviewHandsTheQueueAndTheReportThrough)
{
    std::vector<std::string> empty;
    PreviewReport report;
    EXPECT_EQ(e_->printPreview(&empty, 100, 0, &report, 0, 0, 1, 0, 1, 0, "", "", "", "VURDRPTS.INI"), 2);
    EXPECT_FALSE(previewWindowOpen());

    std::vector<std::string> queue = writeSamplePages(home_.path(), 3);
    bool sawWindow = false;
    testing_support::onNextModal([&](QWidget *w) {
        auto *preview = qobject_cast<PreviewWindow *>(w);
        sawWindow = preview && preview->total() == 3;
        if (preview)
            preview->exitWithoutPrinting();
    });
    EXPECT_EQ(e_->printPreview(&queue, 100, 0, &report, 0, 0, 1, 0, 1, 0, "", "", "", "VURDRPTS.INI"), 2);
    EXPECT_TRUE(sawWindow);
    EXPECT_EQ(queue.size(), 3u);

    // Printing Options confirmed with pages 2 to 3 and collation: the queue keeps those two.
    choice_.accepted = true;
    choice_.fromPage = 2;
    choice_.toPage = 3;
    choice_.collate = true;
    testing_support::onNextModal([](QWidget *w) {
        if (auto *preview = qobject_cast<PreviewWindow *>(w))
            preview->printingOptions();
    });
    std::string second = queue[1];
    EXPECT_EQ(e_->printPreview(&queue, 100, 0, &report, 0, 0, 1, 0, 1, 0, nullptr, nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(queue.size(), 2u);
    EXPECT_EQ(queue[0], second);
    EXPECT_TRUE(report.collate);
}

TEST(PreviewerBinding, AMissingModuleOrEntryPointBindsNothingAndSaysSo)
{
    TempHome home;
    ScriptedMessages messages;
    ASSERT_TRUE(bindPreviewer(ORVANE_BUILD_DIR));

    QTemporaryDir empty;
    EXPECT_FALSE(bindPreviewer(empty.path()));
    EXPECT_EQ(previewerEntries(), nullptr);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].title, "Report Previewer");
    EXPECT_NE(messages.shown()[0].text.find("VURD5P32.so is missing"), std::string::npos);
    EXPECT_NE(messages.shown()[0].text.find("cannot be previewed"), std::string::npos);

    messages.clear();
    EXPECT_FALSE(bindPreviewer(ORVANE_PARTIAL_PREVIEWER_DIR));
    EXPECT_EQ(previewerEntries(), nullptr);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_NE(messages.shown()[0].text.find("lacks the entry point SUPPORTED."), std::string::npos);

    // A file by that name that is no library at all.
    messages.clear();
    { std::ofstream(empty.filePath("VURD5P32.so").toStdString()) << "not a library"; }
    EXPECT_FALSE(bindPreviewer(empty.path()));
    EXPECT_EQ(previewerEntries(), nullptr);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_NE(messages.shown()[0].text.find("could not be loaded"), std::string::npos);
    unbindPreviewer();
}

// The reports of the program go through the bound module: its copies rule on the queue; without
// the module a report refuses at once.
TEST_F(BoundPreviewer, ReportRunsUseTheBoundModuleOrRefuse)
{
    std::vector<std::string> queue = writeSamplePages(home_.path(), 2);
    ASSERT_EQ(queue.size(), 2u);
    const std::string first = queue[0], second = queue[1];
    caps_.copies = false;
    useBoundPreviewer();
    // Taken back out (the default returns), so the test holds the program's own factory.
    reports::OutputFactory program = reports::setReportOutput({});
    std::unique_ptr<reports::ReportOutput> out = program();
    ASSERT_NE(out, nullptr);
    out->handleCopies(queue, 3, false);
    ASSERT_EQ(queue.size(), 6u);
    EXPECT_EQ(queue[4], first);
    EXPECT_EQ(queue[5], second);

    unbindPreviewer();
    EXPECT_EQ(program(), nullptr);
    reports::setReportOutput(program);
    ScriptedMessages messages;
    reports::ReportDefinition def;
    def.title = "Sample";
    EXPECT_EQ(reports::runReport(def), 2);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].title, "Report Previewer");
    reports::setReportOutput({});
}
