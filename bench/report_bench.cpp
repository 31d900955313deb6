// The Home Inventory Report through the real report frame (progress window, 25 rows a tick,
// page files, rows kept as the program keeps them) at 10,000, 100,000 and 1,000,000 items, half
// of them in one category and type as in a collector's inventory, each size in a temporary
// folder of its own. Beside each figure, from the same run: a raw SQLite read of the same rows
// in the same order, and a plain QPainter PDF of the same rows' texts. Peak memory is the
// process's peak resident size during the run, reset before each size.
#include <malloc.h>
#include <sqlite3.h>

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "core/program.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "previewer/page_render.h"
#include "reports/reports.h"
#include "runtime/message.h"
#include "runtime/picture.h"
#include "runtime/text.h"

namespace {

using bench::Clock;
// Wall and processor seconds: the machine is shared, and every step here runs on one thread,
// so the processor time of the process tells what a busy moment of the machine hides.
struct Stamp {
    Clock::time_point wall = Clock::now();
    double cpu = cpuNow();
    static double cpuNow()
    {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    }
};
struct Span {
    double wall = 0, cpu = 0;
};
Span since(const Stamp &a, const Stamp &b = Stamp())
{
    return {bench::ms(a.wall, b.wall) / 1000.0, b.cpu - a.cpu};
}

// The process's resident sizes in MB: now, and the peak since the last reset.
double procStatusMb(const char *field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::atof(line.c_str() + std::string(field).size()) / 1024.0;
    return 0;
}
double residentMb() { return procStatusMb("VmRSS:"); }
double peakMb() { return procStatusMb("VmHWM:"); }
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Half of the items in one category and type (the case of its words mixed, as typed over the
// years), the rest spread over 23 categories of 7 types.
void fillItem(int i)
{
    rt::clearRecord(dict::MasterInventoryDef, &MAS);
    MAS.MEMO.clear();
    MAS.ASSETNUMBER = i + 1;
    MAS.STATUS = "Have";
    MAS.DESCRIPTION = "Item " + std::to_string(i) + " of the household inventory";
    if (i % 2 == 0) {
        MAS.CATEGORY = i % 4 ? "BOOK" : "Book";
        MAS.TYPE = "Paperback";
    } else {
        MAS.CATEGORY = "Category " + std::to_string(i % 23);
        MAS.TYPE = "Type " + std::to_string(i % 7);
    }
    MAS.LOCATION = "Room " + std::to_string(i % 19);
    MAS.MODELNUMBER = "MD-" + std::to_string(i % 9973);
    MAS.SERIALNUMBER = "SN" + std::to_string(100000 + i);
    MAS.QUANTITY = 1 + i % 3;
    MAS.MARKETVALUE.setCents(100 + i % 500000);
    MAS.MEMO = i % 10 == 0 ? "A short memo about the item and where it was bought." : "";
}

bool makeFiles(const bench::TempFolder &dir, int n)
{
    std::vector<rt::RecordFile *> files = {&Category, &QORClients, &MainSystemFile, &MasterInventory};
    if (!bench::makeReportFiles(dir, files))
        return false;
    for (int c = 0; c < 24; ++c) {
        rt::clearRecord(dict::CategoryDef, &CAT);
        CAT.CATEGORY = c < 23 ? "Category " + std::to_string(c) : std::string("Book");
        CAT.DESCRIPTION = "Description of " + rt::clip(CAT.CATEGORY.view());
        Category.add();
    }
    {
        rt::Transaction tx({&MasterInventory});
        tx.begin();
        for (int i = 0; i < n; ++i) {
            fillItem(i);
            MasterInventory.add();
        }
        if (tx.commit()) {
            std::fprintf(stderr, "cannot write the items\n");
            return false;
        }
    }
    for (rt::RecordFile *f : files)
        f->close();
    return true;
}

// The previewer of the bench: notes when the pages reach it, draws them to a PDF, and leaves
// without printing.
struct Timings {
    Stamp previewed;
    Span pdf;
    double peakToPreview = 0;
    std::size_t pages = 0;
    std::string pdfPath;
};

class BenchOutput : public reports::ReportOutput {
public:
    explicit BenchOutput(Timings &t) : t_(t) {}
    int printerCopies() override { return 1; }
    int preview(std::vector<std::string> &queue, previewer::PreviewReport &) override
    {
        t_.previewed = Stamp();
        t_.peakToPreview = peakMb();
        t_.pages = queue.size();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(t_.pdfPath));
        Stamp p0;
        previewer::printPageFiles(printer, queue);
        t_.pdf = since(p0);
        return 2;
    }
    void handleCopies(std::vector<std::string> &, int, bool) override {}
    int send(const std::vector<std::string> &, int) override { return 0; }

private:
    Timings &t_;
};

struct RawRow {
    std::string serial, model, description, quantity, value, memo;
};

// The same rows straight from SQLite in the report's order (the texts of its columns, for the
// QPainter reference); the seconds the read took.
Span rawRead(const std::string &path, std::vector<RawRow> *keep)
{
    sqlite3 *db = bench::rawOpen(path, false);
    Stamp r0;
    sqlite3_stmt *st = bench::rawPrepare(db, "SELECT * FROM data ORDER BY category COLLATE NOCASE, type COLLATE "
                                             "NOCASE, rowid");
    const int cols = sqlite3_column_count(st);
    auto column = [&](const char *name) {
        for (int c = 0; c < cols; ++c)
            if (std::string(sqlite3_column_name(st, c)) == name)
                return c;
        return -1;
    };
    const int serial = column("serialnumber"), model = column("modelnumber"), description = column("description"),
              quantity = column("quantity"), value = column("marketvalue"), memo = column("memo");
    long long bytes = 0;
    auto text = [&](int c) {
        const unsigned char *t = sqlite3_column_text(st, c);
        return t ? std::string(reinterpret_cast<const char *>(t)) : std::string();
    };
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < cols; ++c)
            bytes += sqlite3_column_bytes(st, c);
        if (keep)
            keep->push_back({text(serial), text(model), text(description), text(quantity),
                             rt::formatNumber("@n9.2", sqlite3_column_int64(st, value), 2), text(memo)});
    }
    sqlite3_finalize(st);
    const Span s = since(r0);
    sqlite3_close(db);
    if (bytes == 0)
        std::fprintf(stderr, "the raw read found no rows\n");
    return s;
}

// Qt drawing the same rows to a PDF: the five columns of the report's detail line, the memo
// under its item, the page's heading lines, as many items a page as the report's pages hold.
Span qpainterPdf(const std::vector<RawRow> &rows, std::size_t pages, const std::string &path)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    Stamp p0;
    QPainter p(&printer);
    const double dpi = printer.resolution() / 1000.0;  // thousandths of an inch to device
    QFont font("Arial");
    font.setPointSizeF(8);
    p.setFont(font);
    const std::size_t perPage = pages ? (rows.size() + pages - 1) / pages : rows.size();
    auto at = [&](int x, int y, int w, const std::string &s, Qt::Alignment a = Qt::AlignLeft) {
        p.drawText(QRectF(x * dpi, y * dpi, w * dpi, 180 * dpi), a | Qt::AlignTop, QString::fromStdString(s));
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::size_t line = i % perPage;
        if (line == 0) {
            if (i)
                printer.newPage();
            at(0, 0, 7500, "Home Inventory Report", Qt::AlignHCenter);
            at(0, 200, 7500, "John Smith");
            at(0, 400, 7500, "12 Elm Road");
            at(0, 820, 1300, "Serial");
            at(1350, 820, 1300, "Model");
            at(2700, 820, 3000, "Description");
            at(5700, 820, 700, "Quantity", Qt::AlignRight);
            at(6450, 820, 1050, "Value (ea)", Qt::AlignRight);
            at(0, 10000, 7500, "Page " + std::to_string(i / perPage + 1), Qt::AlignHCenter);
        }
        const RawRow &r = rows[i];
        const int y = 1100 + static_cast<int>(line) * 190;
        at(0, y, 1300, r.serial);
        at(1350, y, 1300, r.model);
        at(2700, y, 3000, r.description);
        at(5700, y, 700, r.quantity, Qt::AlignRight);
        at(6450, y, 1050, r.value, Qt::AlignRight);
        if (!r.memo.empty())
            at(2700, y + 95, 4800, r.memo);
    }
    p.end();
    return since(p0);
}

struct Figures {
    int n = 0;
    Span frame, raw, pdf, qp;
    double peak = 0, before = 0, after = 0;
    std::size_t pages = 0;
};

bool runSize(int n, Figures &f)
{
    bench::TempFolder dir("report-" + std::to_string(n));
    if (!makeFiles(dir, n))
        return false;
    f.n = n;
    f.raw = rawRead(MasterInventory.name, nullptr);

    Timings t;
    t.pdfPath = dir.file("report.pdf");
    reports::OutputFactory old =
        reports::setReportOutput([&t] { return std::make_unique<BenchOutput>(t); });
    ::malloc_trim(0);  // what making the files left behind is no part of the run
    f.before = residentMb();
    resetPeak();
    Stamp t0;
    {
        const reports::ReportDefinition def = reports::valuationDefinition(false);
        reports::ReportFrame frame(def);
        if (frame.run() != 2 || frame.recordsRead() != n) {
            std::fprintf(stderr, "the run read %lld of %d items\n", static_cast<long long>(frame.recordsRead()), n);
            return false;
        }
    }
    reports::setReportOutput(old);
    f.frame = since(t0, t.previewed);
    f.peak = t.peakToPreview;
    f.pdf = t.pdf;
    f.pages = t.pages;
    ::malloc_trim(0);
    f.after = residentMb();

    // REPORT_BENCH_PDF names a file that gets the report's PDF, for a look at its pages.
    if (const char *keep = std::getenv("REPORT_BENCH_PDF"))
        std::filesystem::copy_file(t.pdfPath, keep, std::filesystem::copy_options::overwrite_existing);
    std::vector<RawRow> rows;
    rows.reserve(static_cast<std::size_t>(n));
    rawRead(MasterInventory.name, &rows);
    f.qp = qpainterPdf(rows, t.pages, dir.file("reference.pdf"));
    if (const char *keep = std::getenv("REPORT_BENCH_REFERENCE_PDF"))
        std::filesystem::copy_file(dir.file("reference.pdf"), keep, std::filesystem::copy_options::overwrite_existing);
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    bench::TempFolder home("report-home");
    ::setenv("ZENVIK_HOME", home.path().c_str(), 1);
    QApplication app(argc, argv);
    Glo = GlobalVariables();
    installProfessionalEdition();
    // Preview the report, with the memos.
    rt::setMessageHandler([](const rt::MessageRequest &m) {
        if (m.text == "Do you wish to PREVIEW this Report?" ||
            m.text == "Do you wish to include the inventory memos if any?")
            return int(rt::BUTTON_YES);
        std::fprintf(stderr, "message: %s\n", m.text.c_str());
        return m.defaultButton ? m.defaultButton : int(rt::BUTTON_OK);
    });
    {
        // A small run first, untimed: Qt loads its fonts, dialogs and PDF engine once, so that
        // neither side of the first size pays for them.
        Figures warm;
        if (!runSize(2000, warm))
            return 1;
    }
    std::vector<Figures> all;
    for (int n : bench::sizes(argc, argv)) {
        Figures f;
        if (!runSize(n, f))
            return 1;
        std::printf("%8d items, %6zu pages: frame to previewer %8.3f s (cpu %8.3f s) = %6.2f us/item (cpu %6.2f) | "
                    "raw SQLite read %7.3f s (cpu %7.3f s) | peak %7.1f MB (RSS before %6.1f MB, after %6.1f MB) | "
                    "to PDF %8.3f s (cpu %8.3f s) beside plain QPainter %8.3f s (cpu %8.3f s)\n",
                    f.n, f.pages, f.frame.wall, f.frame.cpu, f.frame.wall * 1e6 / f.n, f.frame.cpu * 1e6 / f.n,
                    f.raw.wall, f.raw.cpu, f.peak, f.before, f.after, f.pdf.wall, f.pdf.cpu, f.qp.wall, f.qp.cpu);
        std::fflush(stdout);
        all.push_back(f);
    }
    auto find = [&](int n) -> const Figures * {
        for (const Figures &f : all)
            if (f.n == n)
                return &f;
        return nullptr;
    };
    const Figures *small = find(10000), *mid = find(100000), *large = find(1000000);
    if (small && large) {
        const double r = (large->frame.wall / large->n) / (small->frame.wall / small->n);
        const double c = (large->frame.cpu / large->n) / (small->frame.cpu / small->n);
        std::printf("time per item at 1M %.2f us (cpu %.2f) beside 10k %.2f us (cpu %.2f): %.2fx (cpu %.2fx; target on cpu "
                    "<= 1.2) %s\n",
                    large->frame.wall * 1e6 / large->n, large->frame.cpu * 1e6 / large->n,
                    small->frame.wall * 1e6 / small->n, small->frame.cpu * 1e6 / small->n, r, c,
                    bench::verdict(c <= 1.2));
    }
    if (mid && large) {
        const double r = large->peak / mid->peak;
        std::printf("peak memory at 1M %.1f MB beside 100k %.1f MB: %.2fx (target <= 1.5) %s\n", large->peak,
                    mid->peak, r, bench::verdict(r <= 1.5));
    }
    for (const Figures &f : all) {
        const double r = f.pdf.wall / f.qp.wall, c = f.pdf.cpu / f.qp.cpu;
        std::printf("to PDF at %d: %.3f s (cpu %.3f) beside plain QPainter %.3f s (cpu %.3f): %.2fx (cpu %.2fx; target on cpu "
                    "<= 1.3) %s\n",
                    f.n, f.pdf.wall, f.pdf.cpu, f.qp.wall, f.qp.cpu, r, c, bench::verdict(c <= 1.3));
    }
    return 0;
}
