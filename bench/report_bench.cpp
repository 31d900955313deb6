// The Home Inventory Report of 10,000 and 100,000 items, each size in a temporary folder of its
// own: generated to page files (items per second), and the pages drawn to a PDF; beside them a
// raw SQLite read of the same rows in the same order, in the same run.
#include <sqlite3.h>

#include <QApplication>
#include <QPrinter>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "model/dictionary.h"
#include "model/globals.h"
#include "previewer/page_render.h"
#include "reports/reports.h"

namespace {

using Clock = std::chrono::steady_clock;
double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

void fillItem(int i)
{
    rt::clearRecord(dict::MasterInventoryDef, &MAS);
    MAS.ASSETNUMBER = i + 1;
    MAS.STATUS = "Have";
    MAS.DESCRIPTION = "Item " + std::to_string(i) + " of the household inventory";
    MAS.CATEGORY = "Category " + std::to_string(i % 23);
    MAS.TYPE = "Type " + std::to_string(i % 7);
    MAS.LOCATION = "Room " + std::to_string(i % 19);
    MAS.MODELNUMBER = "MD-" + std::to_string(i % 9973);
    MAS.SERIALNUMBER = "SN" + std::to_string(100000 + i);
    MAS.QUANTITY = 1 + i % 3;
    MAS.MARKETVALUE.setCents(100 + i % 500000);
    MAS.MEMO = i % 10 == 0 ? "A short memo about the item and where it was bought." : "";
}

int runSize(int n)
{
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("orvane-bench-report-" + std::to_string(n));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "pages");
    MasterInventory.name = (dir / "qormas.tps").string();
    Category.name = (dir / "qorcat.tps").string();
    if (MasterInventory.create() || MasterInventory.open(rt::mode::ReadWriteDenyNone) || Category.create() ||
        Category.open(rt::mode::ReadWriteDenyNone)) {
        std::fprintf(stderr, "cannot make the files in %s\n", dir.c_str());
        return 1;
    }
    for (int c = 0; c < 23; ++c) {
        rt::clearRecord(dict::CategoryDef, &CAT);
        CAT.CATEGORY = "Category " + std::to_string(c);
        CAT.DESCRIPTION = "Description of category " + std::to_string(c);
        Category.add();
    }
    {
        rt::Transaction tx({&MasterInventory});
        tx.begin();
        for (int i = 0; i < n; ++i) {
            fillItem(i);
            MasterInventory.add();
        }
        tx.commit();
    }

    // Reference: the same rows in the same order straight from SQLite.
    sqlite3 *db = nullptr;
    sqlite3_open_v2(MasterInventory.name.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    auto r0 = Clock::now();
    sqlite3_prepare_v2(db,
                       "SELECT * FROM data ORDER BY category COLLATE NOCASE, type COLLATE NOCASE, rowid", -1, &st,
                       nullptr);
    long long bytes = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            bytes += sqlite3_column_bytes(st, c);
    sqlite3_finalize(st);
    const double rawS = seconds(r0, Clock::now());
    sqlite3_close(db);

    // The report to page files, with memos, as the frame runs it (rows not kept).
    reports::ReportDefinition def = reports::valuationDefinition(false);
    reports::RunChoices choices;
    choices.switches["IncludeMemo"] = true;
    std::vector<std::string> queue;
    const std::string pages = (dir / "pages").string();
    reports::ReportWriter writer(def.layout(choices), [&](const previewer::Page &p, int number) {
        std::string path = pages + "/page" + std::to_string(number) + ".page";
        queue.push_back(path);
        return previewer::writePageFile(path, p);
    });
    writer.keepRows(false);
    reports::Heading h{"John Smith", "12 Elm Road", "Springfield, IL 62702", "(217) 555-0123", "email: j@s.test"};
    writer.setPageValues(reports::headingValues(h, 80000, 100));
    auto t0 = Clock::now();
    reports::runWithoutFrame(def, choices, writer);
    const double reportS = seconds(t0, Clock::now());

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((dir / "report.pdf").string()));
    auto p0 = Clock::now();
    int printed = previewer::printPageFiles(printer, queue);
    const double pdfS = seconds(p0, Clock::now());

    std::printf("%7d items, %5d pages: to page files %7.3f s = %9.0f items/s (target >= 2,000) | to PDF %7.3f s = "
                "%8.0f items/s | raw SQLite read %6.3f s = %10.0f rows/s (%lld bytes); report / raw = %.1fx\n",
                n, printed, reportS, n / reportS, pdfS, n / pdfS, rawS, n / rawS, bytes, reportS / rawS);
    MasterInventory.close();
    Category.close();
    std::filesystem::remove_all(dir);
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Glo = GlobalVariables();
    for (int n : {10000, 100000})
        if (runSize(n))
            return 1;
    return 0;
}
