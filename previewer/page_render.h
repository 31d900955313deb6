// Drawing report pages with QPainter: onto the preview widget, a printer or a PDF file alike.
#pragma once

#include <QPointF>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "previewer/page_file.h"

class QFont;
class QPainter;
class QPageLayout;
class QPrinter;

namespace previewer {

// The family a report font is drawn with. Reports ask for the Windows fonts; Arial, Times New
// Roman and Courier New map to their metric twins, the Liberation fonts, so that the columns
// laid out for them still line up.
QString fontFamily(std::string_view name);

// The font of a text for a painter whose device has `dpiY` logical dots per inch and whose
// units are thousandths of an inch (as renderPage sets them up).
QFont pageFont(const TextItem &t, int dpiY);

// The width of a text item's longest line in thousandths of an inch, measured with the font it
// is drawn with; what the report engine breaks its wrapped lines by.
double textWidth(const TextItem &t);

// Draws the page with its top left corner at `origin` (device units of the painter as it
// stands), `scale` device units to the thousandth of an inch. A picture that cannot be read
// leaves its box empty.
void renderPage(QPainter &painter, const Page &page, double scale, QPointF origin = {});

// Reads and draws a page file as far as it is valid; false when its header cannot be read, in
// which case nothing is drawn.
bool renderPageFile(QPainter &painter, const std::string &path, double scale, QPointF origin = {});

// The paper of a page: the header's size with its orientation, full page.
QPageLayout pageLayoutOf(const PageHeader &header);

// Prints the page files as one job on `printer` as it is set up (copies, collation and the
// device stay the caller's), each page on the paper its header names; a page whose header
// cannot be read comes out blank on the paper of the page before it, so the page count and
// order stay right. Returns the pages printed; 0 when the printer cannot be started.
int printPageFiles(QPrinter &printer, const std::vector<std::string> &pages);

}  // namespace previewer
