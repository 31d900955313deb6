#include <gtest/gtest.h>

#include <QPrinter>

#include "previewer/page_render.h"
#include "previewer/printer_support.h"
#include "previewer/sample_pages.h"
#include "tests/previewer/pdf_pages.h"
#include "tests/support/test_support.h"

using namespace previewer;

namespace {

using Queue = std::vector<std::string>;

PrinterCapabilities printerWithCopies(bool copies, bool collate = false)
{
    PrinterCapabilities p;
    p.present = true;
    p.copies = copies;
    p.collate = collate;
    return p;
}

}  // namespace

TEST(PrinterSupport, CopiesAreRepeatedSetsWhenThePrinterCannotMakeThemOrSetsAreAsked)
{
    Queue q{"1", "2"};
    EXPECT_TRUE(handleCopies(q, 3, printerWithCopies(false)));
    EXPECT_EQ(q, Queue({"1", "2", "1", "2", "1", "2"}));

    q = {"1", "2"};
    EXPECT_TRUE(handleCopies(q, 2, printerWithCopies(true, true)));
    EXPECT_EQ(q, Queue({"1", "2", "1", "2"}));

    // The printer makes them: the queue stays and the printer's copy count does the work.
    q = {"1", "2"};
    EXPECT_FALSE(handleCopies(q, 3, printerWithCopies(true)));
    EXPECT_EQ(q, Queue({"1", "2"}));
    for (int copies : {1, 0, -4}) {
        EXPECT_FALSE(handleCopies(q, copies, printerWithCopies(false, true)));
        EXPECT_EQ(q, Queue({"1", "2"}));
    }
    // No printer to ask: the program makes the copies.
    q = {"1"};
    EXPECT_TRUE(handleCopies(q, 2, PrinterCapabilities{}));
    EXPECT_EQ(q, Queue({"1", "1"}));
}

TEST(PrinterSupport, SupportedAnswersEachCodeFromItsOwnCapability)
{
    PrinterCapabilities none;
    none.present = true;
    for (long code : {0x7B00L, 0x7B0CL, 0x7B1EL, 0x7B20L, 0x7B26L, 0x7B28L, 0L, -1L, 0x7B05L + 0x10000L})
        EXPECT_EQ(supported(code, none), -1) << std::hex << code;

    struct Case {
        bool PrinterCapabilities::*field;
        std::vector<long> codes;
    };
    const std::vector<Case> cases = {
        {&PrinterCapabilities::paperSizes, {0x7B01}}, {&PrinterCapabilities::customPaper, {0x7B02, 0x7B03}},
        {&PrinterCapabilities::scale, {0x7B04}},      {&PrinterCapabilities::copies, {0x7B05}},
        {&PrinterCapabilities::paperBins, {0x7B06}},  {&PrinterCapabilities::quality, {0x7B07}},
        {&PrinterCapabilities::color, {0x7B08}},      {&PrinterCapabilities::duplex, {0x7B09}},
        {&PrinterCapabilities::resolution, {0x7B0A}}, {&PrinterCapabilities::trueType, {0x7B0B}},
        {&PrinterCapabilities::orientation, {0x7B1F}},
    };
    std::vector<long> all;
    for (long c = 0x7B01; c <= 0x7B0B; ++c)
        all.push_back(c);
    all.push_back(0x7B1F);
    for (const Case &c : cases) {
        PrinterCapabilities p = none;
        p.*(c.field) = true;
        for (long code : all) {
            bool expected = std::find(c.codes.begin(), c.codes.end(), code) != c.codes.end();
            EXPECT_EQ(supported(code, p), expected ? 1 : 0) << std::hex << code;
        }
        p.present = false;  // no printer: nothing is supported
        for (long code : all)
            EXPECT_EQ(supported(code, p), 0);
    }
}

TEST(PrinterSupport, PdfOutputGetsEveryCopyAsPagesInSetOrder)
{
    testing_support::TempHome home;
    // Page 1 upright and page 2 wide, so that the PDF's paper sizes show the page order.
    Queue queue = writeSamplePages(home.path(), 1);
    ASSERT_EQ(queue.size(), 1u);
    std::string wide = home.file("wide.opg");
    ASSERT_TRUE(writePageFile(wide, samplePage(2, 2, true)));
    queue.push_back(wide);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    QString pdf = QString::fromStdString(home.file("copies.pdf"));
    printer.setOutputFileName(pdf);
    PrinterCapabilities caps = capabilitiesOf(printer, false);
    EXPECT_EQ(supported(PRINTER_COPIES, caps), 0);
    EXPECT_EQ(supported(PRINTER_ORIENTATION, caps), 1);
    ASSERT_TRUE(handleCopies(queue, 3, caps));
    printer.setCopyCount(1);
    EXPECT_EQ(printPageFiles(printer, queue), 6);

    EXPECT_EQ(testing_support::pdfPageSizes(pdf),
              QStringList({"612x792", "792x612", "612x792", "792x612", "612x792", "792x612"}));
}
