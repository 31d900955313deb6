// The catalog of 10,000 items with pictures (two item pictures each, a receipt and a warranty
// on every third) printed to page files, beside the Home Inventory Report of the same items in
// the same run, both read and printed the way the frame's timer does it. The catalog prints
// an item line, its packed detail lines, its memo, its picture bands and a rule per item where
// the Home Inventory Report prints one line, so the catalog prints many more pages for the same
// items: the two are compared per page printed. Target: a catalog page within twice the time of
// a report page; the bench exits non-zero when it misses.
#include <QApplication>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "core/program.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "previewer/page_file.h"
#include "reports/catalog.h"
#include "reports/reports.h"
#include "runtime/text.h"

namespace {

bool makeFiles(const bench::TempFolder &dir, int n)
{
    std::vector<rt::RecordFile *> files = {&Category, &QORClients, &MainSystemFile, &MasterInventory, &UserFields};
    if (!bench::makeReportFiles(dir, files))
        return false;
    rt::clearRecord(dict::UserFieldsDef, &USF);
    USF.TITLEUSERFIELD1 = "Insurer";
    UserFields.add();
    std::vector<std::string> pictures;
    for (int p = 0; p < 8; ++p) {
        QImage image(400 + 100 * p, 300 + 60 * (7 - p), QImage::Format_RGB32);
        image.fill(QColor::fromHsv(p * 40, 200, 160));
        pictures.push_back(dir.file("picture" + std::to_string(p) + ".jpg"));
        if (!image.save(QString::fromStdString(pictures.back()), "JPEG"))
            return false;
    }
    rt::Transaction tx({&MasterInventory});
    tx.begin();
    for (int i = 0; i < n; ++i) {
        bench::fillItem(MAS, i);
        MAS.MANUFACTURER = "Maker " + std::to_string(i % 97);
        MAS.MODELNUMBER = "MD-" + std::to_string(i % 9973);
        MAS.STARARTISTAUTHOR = "Artist of the collection number " + std::to_string(i % 31);
        MAS.DATEPURCHASED = 70000 + i % 3000;
        MAS.PURCHASEDFROM = "Lakeview Auctions";
        MAS.INSURED = i % 2;
        MAS.USERFIELD1 = "Acme Mutual";
        MAS.IMAGE = pictures[static_cast<std::size_t>(i % 8)];
        MAS.IMAGE2 = pictures[static_cast<std::size_t>((i + 3) % 8)];
        if (i % 3 == 0) {
            MAS.RECEIPTIMAGE = pictures[static_cast<std::size_t>((i + 5) % 8)];
            MAS.WARRANTYIMAGE = pictures[static_cast<std::size_t>((i + 6) % 8)];
        }
        MasterInventory.add();
    }
    return tx.commit() == 0;
}

struct Figure {
    double seconds = 0;
    int pages = 0;
};

Figure print(const reports::ReportDefinition &def)
{
    previewer::PageFolder folder;
    const auto a = bench::Clock::now();
    const reports::RunRows r = reports::runToRows(
        def, {}, 80000, 5000000,
        [&](const previewer::Page &p, int n) { return previewer::writePageFile(folder.pagePath(n), p); }, false);
    return {bench::ms(a, bench::Clock::now()) / 1000, r.pageCount};
}

}  // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    bench::TempFolder home("catalog-home");
    ::setenv("ZENVIK_HOME", home.path().c_str(), 1);
    QApplication app(argc, argv);
    Glo = GlobalVariables();
    // The reports' heading is the edition's: the professional one reads the active client.
    installProfessionalEdition();
    const int n = 10000;
    bench::TempFolder dir("catalog");
    if (!makeFiles(dir, n))
        return 1;
    const Figure report = print(reports::valuationDefinition(false));
    const Figure catalog = print(reports::catalogDefinition(reports::CatalogOrder::Category, reports::CatalogOptions{}));
    const double perReport = report.seconds * 1e6 / n, perCatalog = catalog.seconds * 1e6 / n;
    std::printf("%d items: catalog with pictures %.3f s, %d pages, %.1f us/item | Home Inventory Report %.3f s, "
                "%d pages, %.1f us/item\n",
                n, catalog.seconds, catalog.pages, perCatalog, report.seconds, report.pages, perReport);
    std::printf("per item (for the record, not compared: a catalog item fills a page where a report item fills "
                "a line): catalog %.1f us beside the report %.1f us\n",
                perCatalog, perReport);
    const double pageCatalog = catalog.seconds * 1e3 / std::max(catalog.pages, 1),
                 pageReport = report.seconds * 1e3 / std::max(report.pages, 1);
    const bool ok = catalog.pages > 0 && report.pages > 0 && pageCatalog <= 2 * pageReport;
    std::printf("per page: catalog %.3f ms beside the report %.3f ms: %.2fx (target <= 2) %s\n", pageCatalog, pageReport,
                pageCatalog / pageReport, bench::verdict(ok));
    return ok ? 0 : 1;
}
