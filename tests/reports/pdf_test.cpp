// The Home Inventory Report of a sample client with memos drawn to PDF, portrait and wide, and
// the client list, each page on its paper. With ORVANE_SAMPLE_PDF_DIR set the PDFs are kept there to be looked at.
#include <gtest/gtest.h>

#include <QPrinter>
#include <cstdlib>

#include "previewer/page_render.h"
#include "tests/previewer/pdf_pages.h"
#include "tests/reports/report_fixture.h"

using namespace reports;

TEST_F(ReportTest, SampleReportsDrawToPdfPortraitAndWide)
{
    addCategory("ART", "Art, paintings and prints");
    addCategory("ELEC", "Electronics");
    addCategory("JEWEL", "Jewelry");
    std::string longMemo;
    for (int i = 0; i < 120; ++i)
        longMemo += "Appraised in 2019 by the county guild; the frame was restored and the canvas cleaned. ";
    addItem("ART", "Oil painting of the harbour at dusk, signed", 1, 1250000, "Bought at the Lakeview auction, 1998.",
            "Painting");
    addItem("ART", "Set of four botanical lithographs", 4, 17550, longMemo, "Print");
    addItem("elec", "Television, 55 inch", 1, 89999, "", "Video");
    addItem("ELEC", "Stereo receiver", 2, 45000, "Serial plate on the back.", "Audio");
    for (int i = 0; i < 40; ++i)
        addItem("JEWEL", "Ring " + std::to_string(i + 1), 1 + i % 3, 99999 + i * 1000, i % 5 ? "" : "Insured.",
                "Rings");
    addItem("MISSING", "Item of a category that is gone", 3, 1, "");
    addClient("B2", "Brown", "", "", 72000, "Prefers calls after six; the spare key is with the neighbour.");
    clientListOptions() = ClientListOptions{true, true, false, 0};
    const char *keep = std::getenv("ORVANE_SAMPLE_PDF_DIR");
    for (int report = 0; report < 3; ++report) {
        const bool wide = report == 1;
        const ReportDefinition def = report == 2 ? clientListDefinition() : valuationDefinition(wide);
        previewer::PageFolder folder;
        std::vector<std::string> queue;
        ReportWriter w(def.layout(withMemos(true)), [&](const previewer::Page &p, int n) {
            queue.push_back(folder.pagePath(n));
            return previewer::writePageFile(queue.back(), p);
        });
        Heading h;
        def.heading(h);
        w.setPageValues(headingValues(h, 80000, 5000000));
        runWithoutFrame(def, withMemos(true), w);
        const char *names[] = {"valuation.pdf", "valuation_wide.pdf", "client_list.pdf"};
        const std::string pdf = (keep ? std::string(keep) + "/" : home.path()) + names[report];
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        EXPECT_EQ(previewer::printPageFiles(printer, queue), static_cast<int>(queue.size()));
        QStringList sizes = testing_support::pdfPageSizes(QString::fromStdString(pdf));
        ASSERT_EQ(sizes.size(), static_cast<int>(queue.size()));
        EXPECT_EQ(sizes.front(), wide ? "792x612" : "612x792");
    }
    clientListOptions() = ClientListOptions{};
}
