#include "previewer/preview_engine.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "previewer/page_render.h"
#include "runtime/text.h"

namespace previewer {

namespace {

// A number at the start of `s` (0 when there are no digits); digits beyond any page count
// saturate instead of wrapping.
long leadingNumber(std::string_view s)
{
    long n = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            break;
        n = n > 100'000'000 ? n : n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

std::optional<PageRanges> parsePagesText(std::string_view text, std::string_view allWord, long total)
{
    std::string_view t = rt::clipView(text);
    PageRanges ranges;
    if (rt::equalNoCase(t, allWord))
        return ranges;
    if (t.find_first_not_of("0123456789,-") != std::string_view::npos)
        return std::nullopt;
    std::size_t pos = 0;
    while (pos < t.size()) {
        std::size_t comma = t.find(',', pos);
        std::size_t end = comma == std::string_view::npos ? t.size() : comma + 1;
        std::string_view piece = t.substr(pos, end - pos);
        PageRange r;
        r.from = leadingNumber(piece);
        r.thru = r.from;
        if (std::size_t dash = piece.find('-'); dash != std::string_view::npos)
            r.thru = leadingNumber(piece.substr(dash + 1));
        if (r.thru < r.from)
            r.thru = r.from;
        if (r.from == 0 || r.from > total || r.thru > total)
            return std::nullopt;
        auto at = std::upper_bound(ranges.begin(), ranges.end(), r,
                                   [](const PageRange &a, const PageRange &b) { return a.from < b.from; });
        ranges.insert(at, r);
        pos = end;
    }
    return ranges;
}

std::vector<long> chosenPages(const PageRanges &ranges, long total)
{
    std::vector<long> pages;
    for (long p = 1; p <= total; ++p) {
        bool in = ranges.empty();
        for (const PageRange &r : ranges)
            in = in || (p >= r.from && p <= r.thru);
        if (in)
            pages.push_back(p);
    }
    return pages;
}

void dropUnchosenPages(std::vector<std::string> &queue, const PageRanges &ranges)
{
    if (ranges.empty())
        return;
    std::vector<long> keep = chosenPages(ranges, static_cast<long>(queue.size()));
    std::set<long> kept(keep.begin(), keep.end());
    for (long p = static_cast<long>(queue.size()); p >= 1; --p) {
        if (kept.count(p))
            continue;
        std::remove(queue[static_cast<std::size_t>(p - 1)].c_str());
        queue.erase(queue.begin() + (p - 1));
    }
}

int clampZoom(long percent) { return static_cast<int>(std::clamp<long>(percent, 25, 250)); }

double fitFactor(double available, double natural)
{
    if (!(available > 0) || !(natural > 0))
        return 1.0;
    return std::max(0.01, std::floor(available / natural * 100.0) / 100.0);
}

QString previewTitle(const QString &windowTitle, const QString &device, const QString &port)
{
    return windowTitle + QStringLiteral("   [") + device + QStringLiteral(" on ") + port + QStringLiteral("]");
}

void printerDeviceAndPort(const QPrinter &printer, QString &device, QString &port)
{
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        device = QStringLiteral("PDF");
        QString file = QFileInfo(printer.outputFileName()).fileName();
        port = file.isEmpty() ? QStringLiteral("file") : file;
        return;
    }
    if (!printer.isValid() || printer.printerName().isEmpty()) {
        device = QStringLiteral("No printer");
        port = QStringLiteral("none");
        return;
    }
    device = printer.printerName();
    QString location = QPrinterInfo(printer).location().trimmed();
    port = location.isEmpty() ? QStringLiteral("local") : location;
}

PageFolder::PageFolder() : dir_(QDir::tempPath() + QStringLiteral("/orvane-pages-XXXXXX")) {}

std::string PageFolder::pagePath(int number) const
{
    char name[32];
    std::snprintf(name, sizeof name, "page%05d.opg", number);
    return dir_.filePath(QString::fromLatin1(name)).toStdString();
}

JobOutcome printQueue(const QPrinter &printer, const std::vector<std::string> &queue, int copies, bool collate,
                      const QString &title, const QString &fileName, QWidget *parent)
{
    std::vector<std::string> job = queue;
    bool repeated = handleCopies(job, copies, capabilitiesOf(printer, collate));
    JobRequest request;
    request.copies = repeated ? 1 : std::max(1, copies);
    request.collate = collate;
    request.title = title;
    request.fileName = fileName;
    return printJob(printer, job, request, parent);
}

}  // namespace previewer
