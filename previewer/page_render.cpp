#include "previewer/page_render.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>

#include "previewer/print_job.h"
#include "runtime/image.h"
#include "runtime/text.h"

namespace previewer {

namespace {

QColor colorOf(Rgb c) { return QColor(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)); }

Qt::PenStyle penStyle(Dash d)
{
    switch (d) {
    case Dash::Dash: return Qt::DashLine;
    case Dash::Dot: return Qt::DotLine;
    case Dash::DashDot: return Qt::DashDotLine;
    case Dash::Solid: break;
    }
    return Qt::SolidLine;
}

QPen pagePen(Rgb color, int width, Dash dash)
{
    QPen pen(colorOf(color));
    pen.setWidthF(width);  // 0 is Qt's cosmetic pen: one device dot whatever the scale
    pen.setStyle(penStyle(dash));
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

QString qtext(const std::string &s)
{
    QString t = QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    if (s.find('\r') != std::string::npos)
        t.remove(QChar('\r'));
    return t;
}

struct Drawer {
    QPainter &p;
    int dpiY;
    // A page's texts mostly share a few fonts and one colour: the painter's font and pen are
    // changed only when the next text's differ, a cost every text of a long report would pay.
    struct Set {
        const TextItem *font = nullptr;
        bool textPen = false;
        Rgb color = 0;
        std::optional<QFontMetricsF> metrics;  // of the painter's font, on its device
        const std::array<double, 95> *ascii = nullptr;
    };
    Set *set;

    void operator()(const TextItem &t) const
    {
        if (!set->font || set->font->font != t.font || set->font->size != t.size || set->font->style != t.style) {
            p.setFont(pageFont(t, dpiY));
            set->metrics.reset();
            set->ascii = nullptr;
        }
        set->font = &t;
        if (!set->textPen || set->color != t.color)
            p.setPen(QPen(colorOf(t.color)));
        set->textPen = true;
        set->color = t.color;
        int flags = Qt::TextDontClip;
        flags |= t.align == Align::Right ? Qt::AlignRight : t.align == Align::Center ? Qt::AlignHCenter : Qt::AlignLeft;
        flags |= t.valign == VAlign::Bottom ? Qt::AlignBottom : t.valign == VAlign::Middle ? Qt::AlignVCenter : Qt::AlignTop;
        const QString text = qtext(t.text);
        if (t.w <= 0 || fitsAcross(t, text)) {
            p.drawText(QRectF(t.x, t.y, t.w, t.h), flags, text);
            return;
        }
        // A text ends at its box's left and right edges, never over the next column; above and
        // below it keeps its whole line (a box a little low cuts no descender).
        p.save();
        p.setClipRect(QRectF(t.x, t.y - t.h - 1000, t.w, 3 * t.h + 2000), Qt::IntersectClip);
        p.drawText(QRectF(t.x, t.y, t.w, t.h), flags, text);
        p.restore();
    }
    // A single line inside its box's width needs no clip: most texts of a report are, and a clip
    // for each would double what a printed page holds and costs.
    // The sum of the characters' own advances tells most texts apart without laying them out:
    // kerning moves it by far less than the margin here. Only a text close to the edge, or with
    // characters beyond ASCII, is measured whole.
    bool fitsAcross(const TextItem &t, const QString &text) const
    {
        if (text.contains(QChar('\n')))
            return false;
        if (!set->ascii)
            set->ascii = &asciiAdvances(p.font(), p.device());
        double sum = 0;
        bool ascii = true;
        for (QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 32 || u > 126) {
                ascii = false;
                break;
            }
            sum += (*set->ascii)[u - 32];
        }
        if (ascii && sum * 1.02 + 1 <= t.w)
            return true;
        if (ascii && sum > t.w * 1.1)
            return false;
        if (!set->metrics)
            set->metrics.emplace(p.font(), p.device());
        return set->metrics->horizontalAdvance(text) <= t.w;
    }
    static const std::array<double, 95> &asciiAdvances(const QFont &font, QPaintDevice *device)
    {
        static std::map<std::pair<QString, int>, std::array<double, 95>> known;
        auto [it, added] = known.try_emplace({font.key(), device ? device->logicalDpiY() : 0});
        if (added) {
            QFontMetricsF m(font, device);
            for (int c = 32; c <= 126; ++c)
                it->second[static_cast<std::size_t>(c - 32)] = m.horizontalAdvance(QChar(c));
        }
        return it->second;
    }
    void operator()(const LineItem &l) const
    {
        set->textPen = false;
        p.setPen(pagePen(l.color, l.pen, l.dash));
        p.drawLine(QPointF(l.x1, l.y1), QPointF(l.x2, l.y2));
    }
    void operator()(const BoxItem &b) const
    {
        set->textPen = false;
        p.setPen(b.penColor ? pagePen(*b.penColor, b.pen, b.dash) : QPen(Qt::NoPen));
        p.setBrush(b.fill ? QBrush(colorOf(*b.fill)) : QBrush(Qt::NoBrush));
        QRectF r(b.x, b.y, b.w, b.h);
        if (b.radius > 0)
            p.drawRoundedRect(r, b.radius, b.radius);
        else
            p.drawRect(r);
        p.setBrush(Qt::NoBrush);
    }
    void operator()(const CheckItem &c) const
    {
        set->textPen = false;
        p.setPen(pagePen(c.color, c.pen, Dash::Solid));
        p.setBrush(Qt::NoBrush);
        QRectF r(c.x, c.y, c.w, c.h);
        p.drawRect(r);
        if (!c.checked)
            return;
        QPen tick = pagePen(c.color, std::max(c.pen * 3 / 2, std::min(c.w, c.h) / 8), Dash::Solid);
        tick.setCapStyle(Qt::RoundCap);
        tick.setJoinStyle(Qt::RoundJoin);
        p.setPen(tick);
        QPainterPath path;
        path.moveTo(r.left() + 0.20 * r.width(), r.top() + 0.55 * r.height());
        path.lineTo(r.left() + 0.42 * r.width(), r.top() + 0.78 * r.height());
        path.lineTo(r.left() + 0.80 * r.width(), r.top() + 0.22 * r.height());
        p.drawPath(path);
    }
    void operator()(const PictureItem &pic) const
    {
        if (pic.path.empty() || pic.w <= 0 || pic.h <= 0)
            return;
        // The runtime's picture reader: the same upright size and pixels as the forms, and the
        // same refusals (not a regular file, beyond the limits).
        const QString path = QString::fromStdString(pic.path);
        QSize natural = rt::pictureSize(path);
        if (!natural.isValid() || natural.isEmpty())
            return;
        QRectF box(pic.x, pic.y, pic.w, pic.h);
        QRectF target = box;
        if (pic.fit == PictureFit::Keep) {
            QSizeF fitted = QSizeF(natural).scaled(box.size(), Qt::KeepAspectRatio);
            target = QRectF(QPointF(box.x() + (box.width() - fitted.width()) / 2,
                                    box.y() + (box.height() - fitted.height()) / 2),
                            fitted);
        }
        // Decoded at the size it covers on the device, never above its own.
        QSizeF onDevice = p.deviceTransform().mapRect(target).size();
        QSize want(std::max(1, int(std::ceil(onDevice.width()))), std::max(1, int(std::ceil(onDevice.height()))));
        QImage image = rt::loadPicture(path, want.boundedTo(natural));
        if (image.isNull())
            return;
        p.drawImage(target, image);
    }
};

}  // namespace

QString fontFamily(std::string_view name)
{
    std::string n = rt::trim(name);
    if (rt::equalNoCase(n, "Arial") || rt::equalNoCase(n, "MS Sans Serif") || rt::equalNoCase(n, "Helvetica"))
        return QStringLiteral("Liberation Sans");
    if (rt::equalNoCase(n, "Times New Roman") || rt::equalNoCase(n, "Times"))
        return QStringLiteral("Liberation Serif");
    if (rt::equalNoCase(n, "Courier New") || rt::equalNoCase(n, "Courier"))
        return QStringLiteral("Liberation Mono");
    return QString::fromStdString(n);
}

QFont pageFont(const TextItem &t, int dpiY)
{
    QFont f(fontFamily(t.font));
    // The size in points becomes a height in thousandths of an inch under the painter's scale.
    double points = t.size / 100.0;
    f.setPointSizeF(std::max(0.01, points * 1000.0 / std::max(1, dpiY)));
    f.setBold(t.style & STYLE_BOLD);
    f.setItalic(t.style & STYLE_ITALIC);
    f.setUnderline(t.style & STYLE_UNDERLINE);
    f.setStrikeOut(t.style & STYLE_STRIKEOUT);
    // Widths must not depend on the device: no hinting, outlines at every size.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::ForceOutline | QFont::PreferQuality));
    f.setKerning(true);
    return f;
}

double textWidth(const TextItem &t)
{
    // On a device of 1000 dots per inch one dot is one thousandth of an inch.
    static const QImage device = [] {
        QImage img(1, 1, QImage::Format_ARGB32);
        img.setDotsPerMeterX(39370);
        img.setDotsPerMeterY(39370);
        return img;
    }();
    QFontMetricsF m(pageFont(t, device.logicalDpiY()), &device);
    double widest = 0;
    for (const QString &line : qtext(t.text).split(QChar('\n')))
        widest = std::max(widest, m.horizontalAdvance(line));
    return widest;
}

void renderPage(QPainter &painter, const Page &page, double scale, QPointF origin)
{
    if (!page.header.valid() || !(scale > 0))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.translate(origin);
    painter.scale(scale, scale);
    int dpiY = painter.device() ? painter.device()->logicalDpiY() : 96;
    Drawer::Set set;
    Drawer drawer{painter, dpiY, &set};
    for (const Item &item : page.items)
        std::visit(drawer, item);
    painter.restore();
}

bool renderPageFile(QPainter &painter, const std::string &path, double scale, QPointF origin)
{
    Page page = readPageFile(path);
    if (!page.header.valid())
        return false;
    renderPage(painter, page, scale, origin);
    return true;
}

QPageLayout pageLayoutOf(const PageHeader &header)
{
    bool landscape = header.orientation == Orientation::Landscape;
    // A page size is given upright; the orientation turns it.
    double w = header.width / 1000.0, h = header.height / 1000.0;
    QSizeF upright = landscape ? QSizeF(h, w) : QSizeF(w, h);
    QPageSize size(upright, QPageSize::Inch, QString(), QPageSize::FuzzyOrientationMatch);
    return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Inch);
}

int printPageFiles(QPrinter &printer, const std::vector<std::string> &pages)
{
    PaintStop stop;
    return paintPages(printer, pages, false, std::nullopt, stop);
}

}  // namespace previewer
