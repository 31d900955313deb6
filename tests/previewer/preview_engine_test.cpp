#include <gtest/gtest.h>

#include <QPrinter>
#include <filesystem>

#include "previewer/preview_engine.h"
#include "previewer/sample_pages.h"
#include "runtime/paths.h"
#include "tests/previewer/pdf_pages.h"
#include "tests/support/test_support.h"

using namespace previewer;

namespace {

std::vector<long> pagesOf(std::string_view text, long total)
{
    std::optional<PageRanges> r = parsePagesText(text, "All", total);
    if (!r)
        return {-1};
    return chosenPages(*r, total);
}

}  // namespace

TEST(PreviewEngine, PagesTextOfSixPages)
{
    using P = std::vector<long>;
    const P all{1, 2, 3, 4, 5, 6}, invalid{-1};
    EXPECT_EQ(pagesOf("all", 6), all);
    EXPECT_EQ(pagesOf("ALL", 6), all);
    EXPECT_EQ(pagesOf("All   ", 6), all);
    EXPECT_EQ(pagesOf("2,4-6", 6), P({2, 4, 5, 6}));
    EXPECT_EQ(pagesOf("6,1-2", 6), P({1, 2, 6}));
    EXPECT_EQ(pagesOf("3-1", 6), P({3}));
    EXPECT_EQ(pagesOf("5-", 6), P({5}));
    EXPECT_EQ(pagesOf("1,", 6), P({1}));
    for (const char *bad : {"1,,3", "0", "7", "65537", "1 2", "-3", "2-7", "99999999999999999999", "a"})
        EXPECT_EQ(pagesOf(bad, 6), invalid) << bad;
    // The all-pages word is whatever the display strings say.
    ASSERT_TRUE(parsePagesText("ALLE", "Alle", 6));
    EXPECT_TRUE(parsePagesText("ALLE", "Alle", 6)->empty());
    EXPECT_FALSE(parsePagesText("All", "Alle", 6));
    // Ranges from the print dialog are not checked against the total: above it, nothing.
    EXPECT_EQ(chosenPages({{8, 9}}, 6), P{});
    EXPECT_EQ(chosenPages({{5, 9}}, 6), P({5, 6}));
}

TEST(PreviewEngine, DroppedPagesLeaveTheQueueEvenWhenTheirFileStays)
{
    testing_support::TempHome home;
    std::vector<std::string> queue = writeSamplePages(home.path(), 7);
    ASSERT_EQ(queue.size(), 7u);
    // Page 3 is a folder with something in it: it cannot be deleted, yet it is not printed.
    std::string stuck = home.file("stuck");
    ASSERT_EQ(rt::makeFolder(stuck + "/inner"), 0);
    queue[2] = stuck;
    std::vector<std::string> before = queue;
    dropUnchosenPages(queue, *parsePagesText("2,4-6", "All", 7));
    EXPECT_EQ(queue, std::vector<std::string>({before[1], before[3], before[4], before[5]}));
    for (int i : {0, 6})
        EXPECT_FALSE(rt::fileExists(before[static_cast<std::size_t>(i)]));
    for (const std::string &p : queue)
        EXPECT_TRUE(rt::fileExists(p));
    // No ranges: all pages stay.
    dropUnchosenPages(queue, {});
    EXPECT_EQ(queue.size(), 4u);
}

TEST(PreviewEngine, ZoomFitAndTitle)
{
    EXPECT_EQ(clampZoom(10), 25);
    EXPECT_EQ(clampZoom(300), 250);
    EXPECT_EQ(clampZoom(-70000), 25);
    EXPECT_EQ(clampZoom(125), 125);
    EXPECT_DOUBLE_EQ(fitFactor(800, 400), 2.0);
    EXPECT_DOUBLE_EQ(fitFactor(799, 1000), 0.79);
    EXPECT_DOUBLE_EQ(fitFactor(0, 1000), 1.0);
    EXPECT_DOUBLE_EQ(fitFactor(800, 0), 1.0);
    EXPECT_EQ(previewTitle("Report Preview", "PDF", "out.pdf"), "Report Preview   [PDF on out.pdf]");

    QPrinter pdf;
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName("/tmp/some/report.pdf");
    QString device, port;
    printerDeviceAndPort(pdf, device, port);
    EXPECT_EQ(device, "PDF");
    EXPECT_EQ(port, "report.pdf");
}

TEST(PreviewEngine, PageFolderGoesWithTheRunAndTheQueuePrintsItsCopies)
{
    testing_support::TempHome home;
    std::string folder;
    std::vector<std::string> queue;
    QString pdf = QString::fromStdString(home.file("copies.pdf"));
    {
        PageFolder pages;
        ASSERT_TRUE(pages.isValid());
        folder = pages.path();
        for (int i = 1; i <= 2; ++i) {
            queue.push_back(pages.pagePath(i));
            ASSERT_TRUE(writePageFile(queue.back(), samplePage(i, 2, i == 2)));
        }
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setCopyCount(5);
        JobServices named;
        named.pdfFileName = [&](const QString &, QWidget *) { return std::optional<QString>(pdf); };
        JobServices old = setJobServices(named);
        // PDF makes no copies: the queue is repeated and goes out with a copy count of 1, so
        // three copies are six pages and not eighteen.
        EXPECT_EQ(printQueue(printer, queue, 3, false).pages, 6);
        setJobServices(old);
        EXPECT_EQ(printer.copyCount(), 5);
        EXPECT_EQ(queue.size(), 2u);
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
    EXPECT_EQ(testing_support::pdfPageSizes(pdf),
              QStringList({"612x792", "792x612", "612x792", "792x612", "612x792", "792x612"}));
}
