#include "previewer/preview_window.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>
#include <QStyle>
#include <QFrame>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "previewer/page_render.h"
#include "previewer/report_text.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/message.h"
#include "runtime/text.h"

namespace previewer {

namespace {

PreviewServices &services()
{
    static PreviewServices s;
    return s;
}

PrintChoice desktopPrintDialog(QPrinter &printer, long total, bool collate, QWidget *parent)
{
    PrintChoice choice;
    printer.setCollateCopies(collate);
    QPrintDialog dlg(&printer, parent);
    dlg.setWindowTitle(QStringLiteral("Select Printer..."));
    dlg.setOptions(QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintToFile |
                   QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintPageRange);
    dlg.setMinMax(1, static_cast<int>(std::min<long>(total, 65534)));
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPageRanges(QPageRanges());
    choice.accepted = dlg.exec() == QDialog::Accepted;
    // The pages chosen in the dialog are the preview's pages to print: one range as the preview
    // has always taken it, several ("1-2,4" in the dialog's page field) each as typed.
    if (choice.accepted && printer.printRange() == QPrinter::PageRange) {
        const QList<QPageRanges::Range> ranges = printer.pageRanges().toRangeList();
        if (ranges.size() == 1) {
            choice.fromPage = ranges.front().from;
            choice.toPage = ranges.front().to;
        } else {
            for (const QPageRanges::Range &r : ranges)
                choice.ranges.push_back(PageRange{r.from, r.to});
        }
    }
    // The paper chosen for PDF output serves the jobs that follow; a printer keeps its own.
    if (choice.accepted && printer.outputFormat() == QPrinter::PdfFormat)
        setChosenPdfPaper(printer.pageLayout().pageSize());
    choice.copies = printer.copyCount();
    choice.collate = printer.collateCopies();
    return choice;
}

std::optional<std::string> desktopSaveName(const std::string &proposed, QWidget *parent)
{
    QString name = QFileDialog::getSaveFileName(parent, QStringLiteral("Save to what Filename?"),
                                                QString::fromStdString(proposed),
                                                QStringLiteral("Text (*.TXT);;All Files (*.*)"));
    if (name.isEmpty())
        return std::nullopt;
    return name.toStdString();
}

QString qs(const std::string &s) { return QString::fromStdString(s); }

// ---------------------------------------------------------------- icons and cursors

enum class Glyph { FullWidth, FullHeight, PrintPage, Print, Exit };

QIcon glyph(Glyph g)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPen ink(QColor(40, 40, 40), 1.6);
    p.setPen(ink);
    auto arrowHead = [&](QPointF tip, QPointF dir) {
        QPointF n(-dir.y(), dir.x());
        QPainterPath path;
        path.moveTo(tip);
        path.lineTo(tip - dir * 4 + n * 3);
        path.lineTo(tip - dir * 4 - n * 3);
        path.closeSubpath();
        p.fillPath(path, ink.color());
    };
    switch (g) {
    case Glyph::FullWidth:
        p.drawRect(QRectF(4.5, 3.5, 15, 17));
        p.drawLine(QPointF(6, 12), QPointF(18, 12));
        arrowHead(QPointF(5.5, 12), QPointF(-1, 0));
        arrowHead(QPointF(18.5, 12), QPointF(1, 0));
        break;
    case Glyph::FullHeight:
        p.drawRect(QRectF(4.5, 3.5, 15, 17));
        p.drawLine(QPointF(12, 5), QPointF(12, 19));
        arrowHead(QPointF(12, 4.5), QPointF(0, -1));
        arrowHead(QPointF(12, 19.5), QPointF(0, 1));
        break;
    case Glyph::PrintPage: {
        // One sheet with its number on it.
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 2.5, 13, 19));
        QFont f = p.font();
        f.setPixelSize(13);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(5.5, 2.5, 13, 19), Qt::AlignCenter, QStringLiteral("1"));
        break;
    }
    case Glyph::Print:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7.5, 2.5, 9, 7));
        p.setBrush(QColor(190, 190, 190));
        p.drawRoundedRect(QRectF(2.5, 9.5, 19, 8), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 14.5, 11, 7));
        break;
    case Glyph::Exit:
        p.setPen(QPen(QColor(190, 30, 30), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 6), QPointF(18, 18));
        p.drawLine(QPointF(18, 6), QPointF(6, 18));
        break;
    }
    return QIcon(pm);
}

// The magnifier over the page: "+" while a click zooms in, "-" while it goes back.
QCursor magnifier(bool in)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    for (int pass = 0; pass < 2; ++pass) {
        p.setPen(QPen(pass ? Qt::black : Qt::white, pass ? 2 : 4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 8, 8);
        p.drawLine(QPointF(18, 18), QPointF(28, 28));
        p.drawLine(QPointF(8, 12), QPointF(16, 12));
        if (in)
            p.drawLine(QPointF(12, 8), QPointF(12, 16));
    }
    return QCursor(pm, 12, 12);
}

}  // namespace

// The page number: any number of its digits may be typed (0, or one above the total, is taken
// and then brought into 1 to total when accepted); the arrows step within 1 to total.
class PageNumberBox : public QSpinBox {
public:
    PageNumberBox(int total, QWidget *parent) : QSpinBox(parent), total_(total)
    {
        int digits = std::max(3, static_cast<int>(QString::number(total).size()));
        setRange(0, static_cast<int>(std::pow(10, digits)) - 1);
        setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
        setValue(1);
    }
    void stepBy(int steps) override { setValue(std::clamp(value() + steps, 1, total_)); }

protected:
    StepEnabled stepEnabled() const override
    {
        StepEnabled e = StepNone;
        if (value() > 1)
            e |= StepDownEnabled;
        if (value() < total_)
            e |= StepUpEnabled;
        return e;
    }

private:
    int total_;
};

PreviewServices setPreviewServices(PreviewServices s)
{
    PreviewServices old = services();
    services() = std::move(s);
    return old;
}

// ---------------------------------------------------------------- the page view

// The page drawn at the display factor inside a one-pixel frame. The page is read again only
// when another page is shown.
class PageView : public QWidget {
public:
    explicit PageView(QWidget *parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAutoFillBackground(false);
    }

    std::function<void(QPointF)> onClick;

    void load(const std::string &path)
    {
        page_ = readPageFile(path);
        update();
    }
    void setPixelsPerMil(double scale, QSize pageSize)
    {
        scale_ = scale;
        pageSize_ = pageSize;
        setFixedSize(pageSize + QSize(2, 2));
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(Qt::black);
        p.drawRect(QRect(0, 0, width() - 1, height() - 1));
        p.setClipRect(QRect(1, 1, pageSize_.width(), pageSize_.height()));
        renderPage(p, page_, scale_, QPointF(1, 1));
    }
    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->button() == Qt::LeftButton && onClick)
            onClick(e->position());
    }

private:
    Page page_;
    double scale_ = 0.1;
    QSize pageSize_;
};

// ---------------------------------------------------------------- the window

PreviewWindow::PreviewWindow(std::vector<std::string> &queue, const PreviewArguments &args, PreviewReport &report,
                             QWidget *parent)
    : QDialog(parent), queue_(queue), args_(args), report_(report)
{
    setObjectName(QStringLiteral("ReportPreview"));
    iniPath_ = displayStringsPath(args_.builtInIniName ? kDisplayStringsFile : std::string_view(args_.iniFile));
    strings_ = readDisplayStrings(iniPath_);
    PreviewHelp help = readPreviewHelp(iniPath_);
    std::string context = rt::clip(args_.helpContext);
    helpContext_ = qs(args_.helpContextSwitch == 0 && !context.empty() ? context : help.context);
    collate_ = report_.collate;
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // A plain row rather than a tool bar: a tool bar hides what does not fit behind an extension
    // button, and the copies and Exit must always show.
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Toolbar"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(2);
    layout->addWidget(bar);
    scroll_ = new QScrollArea(this);
    scroll_->setAlignment(Qt::AlignCenter);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->setWidgetResizable(false);
    scroll_->setFocusPolicy(Qt::NoFocus);
    view_ = new PageView(scroll_);
    view_->setCursor(magnifier(true));
    view_->onClick = [this](QPointF pos) { clickPage(pos); };
    scroll_->setWidget(view_);
    layout->addWidget(scroll_, 1);
    buildToolbar(bar);

    // The natural size comes from a page header that could be read, never from a page that
    // could not: page 1's, else the first readable one's, else a letter page.
    PageHeader header;
    for (const std::string &path : queue_) {
        header = readPageHeader(path);
        if (header.valid())
            break;
    }
    if (!header.valid())
        header = PageHeader{8500, 11000, Orientation::Portrait};
    double dpiX = logicalDpiX() > 0 ? logicalDpiX() : 96, dpiY = logicalDpiY() > 0 ? logicalDpiY() : 96;
    natural_ = QSizeF(header.width / 1000.0 * dpiX, header.height / 1000.0 * dpiY);
    zoomFactor_ = clampZoom(args_.zoomPercent) / 100.0;

    connect(&pageDelay_, &QTimer::timeout, this, [this] { goToPage(pageNo_->value()); });
    pageDelay_.setSingleShot(true);
    pageDelay_.setInterval(300);

    updateTitle();
    QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                    : QRect(0, 0, 1024, 768);
    resize(std::max(minimumSizeHint().width(), std::min(screen.width() * 9 / 10, 1100)), screen.height() * 9 / 10);
    showPage(1);
    computeFitFactors();
    display_ = fitWidth_;
    layOut();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::buildToolbar(QWidget *bar)
{
    auto *row = static_cast<QHBoxLayout *>(bar->layout());
    auto button = [&](const char *name, const QIcon &icon, const QString &text, const std::string &tip,
                      void (PreviewWindow::*slot)()) {
        auto *b = new QToolButton(bar);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(icon);
        b->setText(text);
        b->setToolTip(qs(tip));
        b->setAutoRaise(true);
        b->setIconSize(QSize(24, 24));
        b->setFocusPolicy(Qt::TabFocus);
        connect(b, &QToolButton::clicked, this, slot);
        row->addWidget(b);
        return b;
    };
    auto label = [&](const std::string &text) {
        auto *l = new QLabel(qs(text), bar);
        l->setContentsMargins(8, 0, 4, 0);
        row->addWidget(l);
        return l;
    };
    QStyle *st = style();
    widthButton_ = button("FullWidth", glyph(Glyph::FullWidth), "Full Width", strings_.fullWidthTip,
                          &PreviewWindow::fullWidth);
    heightButton_ = button("FullHeight", glyph(Glyph::FullHeight), "Full Height", strings_.fullHeightTip,
                           &PreviewWindow::fullHeight);
    label(strings_.zoomPctPrompt);
    zoom_ = new QComboBox(bar);
    zoom_->setObjectName(QStringLiteral("ZoomPct"));
    zoom_->setEditable(true);
    zoom_->setInsertPolicy(QComboBox::NoInsert);
    for (int z : kZoomSteps)
        zoom_->addItem(QString::number(z));
    zoom_->lineEdit()->setValidator(new QIntValidator(0, 999, zoom_));
    zoom_->lineEdit()->setMaxLength(3);
    // What is typed stays as typed: "10" is ten (raised to 25 when accepted), never completed
    // to the "100" of the list.
    zoom_->setCompleter(nullptr);
    zoom_->setToolTip(qs(strings_.zoomPctValTip));
    zoom_->setMinimumContentsLength(3);
    connect(zoom_, &QComboBox::activated, this, [this](int) { zoomAccepted(); });
    connect(zoom_->lineEdit(), &QLineEdit::returnPressed, this, [this] { zoomAccepted(); });
    row->addWidget(zoom_);
    auto *separator = new QFrame(bar);
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    row->addWidget(separator);
    firstButton_ = button("FirstPage", st->standardIcon(QStyle::SP_MediaSkipBackward), "First Page",
                          strings_.firstPageTip, &PreviewWindow::firstPage);
    prevButton_ = button("PreviousPage", st->standardIcon(QStyle::SP_MediaSeekBackward), "Previous Page",
                         strings_.prevPageTip, &PreviewWindow::previousPage);
    nextButton_ = button("NextPage", st->standardIcon(QStyle::SP_MediaSeekForward), "Next Page",
                         strings_.nextPageTip, &PreviewWindow::nextPage);
    lastButton_ = button("LastPage", st->standardIcon(QStyle::SP_MediaSkipForward), "Last Page",
                         strings_.lastPageTip, &PreviewWindow::lastPage);
    printPageButton_ = button("PrintThisPage", glyph(Glyph::PrintPage), "Print THIS Page",
                              strings_.printThisPageTip, &PreviewWindow::printThisPage);
    label(strings_.pageNoPrompt);
    pageNo_ = new PageNumberBox(static_cast<int>(std::max<long>(1, std::min<long>(total(), 999'999))), bar);
    pageNo_->setObjectName(QStringLiteral("PageNo"));
    pageNo_->setToolTip(qs(strings_.pageNoTip));
    pageNo_->setKeyboardTracking(true);
    // A page typed or stepped to is shown after a short pause, so that typing "12" does not
    // first show page 1.
    connect(pageNo_, &QSpinBox::valueChanged, this, [this](int) { pageDelay_.start(); });
    connect(pageNo_, &QSpinBox::editingFinished, this, [this] {
        pageDelay_.stop();
        goToPage(pageNo_->value());
    });
    row->addWidget(pageNo_);
    ofLabel_ = label(strings_.pageOfPrompt + "  " + std::to_string(total()));
    ofLabel_->setObjectName(QStringLiteral("PageOf"));
    label(strings_.pagesToPrintPrompt);
    acceptedPagesText_ = qs(strings_.pagesToPrintValue);
    pagesText_ = new QLineEdit(acceptedPagesText_, bar);
    pagesText_->setObjectName(QStringLiteral("PagesToPrint"));
    pagesText_->setMaxLength(32);
    pagesText_->setToolTip(qs(strings_.pagesToPrintTip));
    pagesText_->setMinimumWidth(90);
    connect(pagesText_, &QLineEdit::editingFinished, this, [this] { pagesTextAccepted(); });
    row->addWidget(pagesText_);
    textButton_ = button("TextOutput", QIcon(), "T", textOutputTip(strings_.textOutTip, args_.textFile),
                         &PreviewWindow::textOutput);
    textButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    textOffered_ = textOutputOffered(args_.textOutputSwitch, args_.textOutputSwitch2, args_.textFile);
    if (!textOffered_)
        textButton_->setToolTip(qs(strings_.textOutTip));
    textButton_->setVisible(textOffered_);
    printButton_ = button("PrintingOptions", glyph(Glyph::Print), "Printing Options...", strings_.printTip,
                          &PreviewWindow::printingOptions);
    label(strings_.copiesPrompt);
    copies_ = new QSpinBox(bar);
    copies_->setObjectName(QStringLiteral("Copies"));
    // Two digits, unless the report itself asks for more (the blank forms print up to 255):
    // the box then holds the report's count, and the preview prints every copy.
    copies_->setRange(1, std::max(99, report_.copies));
    copies_->setValue(std::clamp(report_.copies, 1, copies_->maximum()));
    copies_->setToolTip(qs(strings_.copiesTip));
    row->addWidget(copies_);
    exitButton_ = button("Exit", glyph(Glyph::Exit), "Exit without printing", strings_.exitTip,
                         &PreviewWindow::exitWithoutPrinting);
    row->addStretch(1);

    auto key = [&](QKeySequence seq, std::function<void()> fn) {
        auto *s = new QShortcut(seq, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, std::move(fn));
    };
    key(QKeySequence(Qt::ALT | Qt::Key_W), [this] { fullWidth(); });
    key(QKeySequence(Qt::ALT | Qt::Key_H), [this] { fullHeight(); });
    key(QKeySequence(Qt::ALT | Qt::Key_Z), [this] { zoom_->setFocus(); zoom_->lineEdit()->selectAll(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_PageUp), [this] { firstPage(); });
    key(QKeySequence(Qt::Key_PageUp), [this] { previousPage(); });
    key(QKeySequence(Qt::Key_PageDown), [this] { nextPage(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_PageDown), [this] { lastPage(); });
    key(QKeySequence(Qt::ALT | Qt::Key_1), [this] { printThisPage(); });
    key(QKeySequence(Qt::ALT | Qt::Key_A), [this] { pageNo_->setFocus(); pageNo_->selectAll(); });
    key(QKeySequence(Qt::ALT | Qt::Key_S), [this] { pagesText_->setFocus(); pagesText_->selectAll(); });
    key(QKeySequence(Qt::ALT | Qt::Key_C), [this] { copies_->setFocus(); copies_->selectAll(); });
    key(QKeySequence(Qt::ALT | Qt::Key_P), [this] { printingOptions(); });
    key(QKeySequence(Qt::ALT | Qt::Key_X), [this] { exitWithoutPrinting(); });
    key(QKeySequence(Qt::ALT | Qt::Key_T), [this] {
        if (textOffered_)
            textOutput();
    });
    key(QKeySequence(Qt::CTRL | Qt::Key_M), [this] { showPopupMenu(); });
    key(QKeySequence(Qt::Key_F1), [this] { rt::showHelp(helpContext_); });
    // The paging keys page also while a field has the focus; a spin box would take them.
    for (QWidget *field : {static_cast<QWidget *>(zoom_), static_cast<QWidget *>(pageNo_),
                           static_cast<QWidget *>(pagesText_), static_cast<QWidget *>(copies_)}) {
        field->installEventFilter(this);
        for (QLineEdit *edit : field->findChildren<QLineEdit *>())
            edit->installEventFilter(this);
    }
}

bool PreviewWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        int k = static_cast<QKeyEvent *>(event)->key();
        if (k == Qt::Key_PageUp || k == Qt::Key_PageDown) {
            event->ignore();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QPrinter &previewPrinter()
{
    return services().printer ? *services().printer : rt::sharedPrinter();
}

PrinterCapabilities previewCapabilities(bool collate)
{
    QPrinter &p = previewPrinter();
    return services().capabilities ? services().capabilities(p, collate) : capabilitiesOf(p, collate);
}

int printReport(const std::vector<std::string> &queue, int copyCount, const PreviewReport &report, QWidget *parent)
{
    JobRequest request;
    request.copies = copyCount;
    request.collate = report.collate;
    request.title = report.title;
    request.fileName = report.fileName;
    return printJob(previewPrinter(), queue, request, parent).pages;
}

QPrinter &PreviewWindow::printer() const { return previewPrinter(); }

PrinterCapabilities PreviewWindow::capabilities() const { return previewCapabilities(collate_); }

void PreviewWindow::updateTitle()
{
    QString device, port;
    printerDeviceAndPort(printer(), device, port);
    // A PDF file named in an earlier report's print dialog was that print's alone: this report's
    // PDF is asked for by name when it prints, unless this preview's dialog names it.
    if (printer().outputFormat() == QPrinter::PdfFormat && printer().outputFileName() != dialogPdf_)
        port = QStringLiteral("file");
    setWindowTitle(previewTitle(qs(readWindowTitle(iniPath_)), device, port));
}

void PreviewWindow::showPage(long page)
{
    current_ = std::clamp<long>(page, 1, std::max(1L, total()));
    firstButton_->setEnabled(current_ > 1);
    prevButton_->setEnabled(current_ > 1);
    nextButton_->setEnabled(current_ < total());
    lastButton_->setEnabled(current_ < total());
    if (!queue_.empty())
        view_->load(queue_[static_cast<std::size_t>(current_ - 1)]);
    QSignalBlocker block(pageNo_);
    pageNo_->setValue(static_cast<int>(current_));
}

void PreviewWindow::computeFitFactors()
{
    // The room the page has: the scroll area without its frame and the one-pixel page frame;
    // fitting the width leaves room for the vertical scroll bar that a tall page brings.
    QSize room = scroll_->maximumViewportSize();
    int bar = scroll_->verticalScrollBar()->sizeHint().width();
    fitWidth_ = fitFactor(room.width() - bar - 4, natural_.width());
    fitHeight_ = fitFactor(room.height() - 4, natural_.height());
}

void PreviewWindow::layOut()
{
    double dpiX = logicalDpiX() > 0 ? logicalDpiX() : 96;
    QSize size(std::max(1, int(std::lround(natural_.width() * display_))),
               std::max(1, int(std::lround(natural_.height() * display_))));
    view_->setPixelsPerMil(display_ * dpiX / 1000.0, size);
    QSignalBlocker block(zoom_);
    zoom_->setEditText(QString::number(std::lround(display_ * 100)));
}

void PreviewWindow::firstPage()
{
    if (current_ != 1)
        showPage(1);
}

void PreviewWindow::previousPage()
{
    if (current_ > 1)
        showPage(current_ - 1);
}

void PreviewWindow::nextPage()
{
    if (current_ < total())
        showPage(current_ + 1);
}

void PreviewWindow::lastPage()
{
    if (current_ != total())
        showPage(total());
}

void PreviewWindow::goToPage(long page) { showPage(page); }

void PreviewWindow::fullWidth()
{
    computeFitFactors();
    fitToHeight_ = false;
    display_ = fitWidth_;
    zoomed_ = false;
    view_->setCursor(magnifier(true));
    layOut();
}

void PreviewWindow::fullHeight()
{
    computeFitFactors();
    fitToHeight_ = true;
    display_ = fitHeight_;
    zoomed_ = false;
    view_->setCursor(magnifier(true));
    layOut();
}

void PreviewWindow::zoomTo(long percent)
{
    display_ = clampZoom(percent) / 100.0;
    zoomed_ = true;
    zoomFactor_ = display_;
    view_->setCursor(magnifier(false));
    layOut();
}

void PreviewWindow::zoomAccepted()
{
    bool ok = false;
    long percent = zoom_->currentText().trimmed().toLong(&ok);
    if (!ok) {
        rt::beep();
        layOut();
        return;
    }
    zoomTo(percent);
}

void PreviewWindow::clickPage(QPointF pos)
{
    QSizeF before = view_->size();
    if (!zoomed_) {
        zoomed_ = true;
        view_->setCursor(magnifier(false));
        display_ = zoomFactor_;
    } else {
        zoomed_ = false;
        view_->setCursor(magnifier(true));
        display_ = fitToHeight_ ? fitHeight_ : fitWidth_;
    }
    layOut();
    // Zooming in keeps the spot that was clicked in view: the scroll bars go to the same share
    // of their range as the click was of the page.
    if (zoomed_) {
        QScrollBar *h = scroll_->horizontalScrollBar(), *v = scroll_->verticalScrollBar();
        QCoreApplication::sendPostedEvents(scroll_, QEvent::LayoutRequest);
        if (before.width() > 0 && pos.x() <= before.width())
            h->setValue(int(h->maximum() * pos.x() / before.width()));
        if (before.height() > 0 && pos.y() <= before.height())
            v->setValue(int(v->maximum() * pos.y() / before.height()));
    }
}

void PreviewWindow::scrollBy(int dx, int dy)
{
    QScrollBar *h = scroll_->horizontalScrollBar(), *v = scroll_->verticalScrollBar();
    // Ten steps of the 256 that the whole range is divided into.
    h->setValue(h->value() + dx * std::max(1, h->maximum() * 10 / 256));
    v->setValue(v->value() + dy * std::max(1, v->maximum() * 10 / 256));
}

void PreviewWindow::keyPressEvent(QKeyEvent *e)
{
    bool inField = focusWidget() == pagesText_ || focusWidget() == pageNo_ || focusWidget() == copies_ ||
                   (focusWidget() && focusWidget()->parentWidget() == zoom_) || focusWidget() == zoom_;
    if (!inField) {
        switch (e->key()) {
        case Qt::Key_Left: scrollBy(-1, 0); return;
        case Qt::Key_Right: scrollBy(1, 0); return;
        case Qt::Key_Up: scrollBy(0, -1); return;
        case Qt::Key_Down: scrollBy(0, 1); return;
        case Qt::Key_Space: clickPage(view_->mapFromGlobal(QCursor::pos())); return;
        default: break;
        }
    }
    // Enter accepts a field; it never closes the preview.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (focusWidget() == copies_)
            copies_->interpretText();
        return;
    }
    QDialog::keyPressEvent(e);
}

void PreviewWindow::pagesTextAccepted()
{
    // Taken once per change: leaving the field and pressing a button both end an edit.
    if (pagesText_->text() == acceptedPagesText_)
        return;
    acceptedPagesText_ = pagesText_->text();
    std::string text = acceptedPagesText_.toStdString();
    std::optional<PageRanges> r = parsePagesText(text, strings_.pagesToPrintValue, total());
    if (r) {
        ranges_ = *r;
        return;
    }
    ranges_.clear();
    acceptedPagesText_ = qs(strings_.pagesToPrintValue);
    pagesText_->setText(acceptedPagesText_);
    rt::message("\"" + text + "\" " + strings_.pagesToPrintErrorText, strings_.pagesToPrintErrorHdg,
                rt::Icon::Exclamation, rt::BUTTON_OK);
    pagesText_->setFocus();
    pagesText_->selectAll();
}

void PreviewWindow::printThisPage()
{
    if (queue_.empty())
        return;
    // The page shown goes out by itself; its file stays in the preview.
    std::vector<std::string> one{queue_[static_cast<std::size_t>(current_ - 1)]};
    copies_->interpretText();
    // A job of its own, to the destination chosen (a PDF file is asked for by name); a failure
    // has been told and leaves the preview as it was.
    printQueue(printer(), one, copies_->value(), collate_, report_.title, QString(), this);
}

void PreviewWindow::printingOptions()
{
    pagesTextAccepted();
    if (queue_.empty()) {
        result_ = 2;
        done(QDialog::Rejected);
        return;
    }
    copies_->interpretText();
    QPrinter &p = printer();
    p.setCopyCount(copies_->value());
    bool copiesBefore = supported(PRINTER_COPIES, capabilities()) != 0;
    PrintChoice choice = services().printDialog ? services().printDialog(p, total(), collate_, this)
                                                : desktopPrintDialog(p, total(), collate_, this);
    if (choice.accepted && p.outputFormat() == QPrinter::PdfFormat)
        dialogPdf_ = p.outputFileName();
    updateTitle();
    if (!choice.accepted) {
        copies_->setFocus();
        return;
    }
    collate_ = choice.collate;
    // A range chosen in the dialog replaces the pages text; numbers above the page count are
    // not checked here and choose nothing.
    if (!choice.ranges.empty()) {
        QStringList pieces;
        for (const PageRange &r : choice.ranges)
            pieces << (r.from == r.thru ? QString::number(r.from)
                                        : QString::number(r.from) + "-" + QString::number(r.thru));
        acceptedPagesText_ = pieces.join(QLatin1Char(','));
        pagesText_->setText(acceptedPagesText_);
        ranges_ = choice.ranges;
    } else if (choice.fromPage >= 1 && choice.toPage >= 1 && choice.toPage <= 65534) {
        acceptedPagesText_ = QString::number(choice.fromPage) + "-" + QString::number(choice.toPage);
        pagesText_->setText(acceptedPagesText_);
        ranges_ = {PageRange{choice.fromPage, std::max(choice.fromPage, choice.toPage)}};
    }
    // The dialog's copy count counts only where the printer makes copies, before and after.
    if (copiesBefore && supported(PRINTER_COPIES, capabilities()) != 0)
        copies_->setValue(std::clamp(choice.copies, 1, copies_->maximum()));
    dropUnchosenPages(queue_, ranges_);
    // PDF output chosen in the dialog names its file there, for this print only.
    report_.fileName = p.outputFormat() == QPrinter::PdfFormat ? p.outputFileName() : QString();
    report_.copies = copies_->value();
    report_.collate = collate_;
    p.setCollateCopies(collate_);
    p.setPrintRange(QPrinter::AllPages);
    p.setPageRanges(QPageRanges());
    result_ = 1;
    done(QDialog::Accepted);
}

void PreviewWindow::exitWithoutPrinting()
{
    result_ = 2;
    done(QDialog::Rejected);
}

void PreviewWindow::reject()
{
    if (popup_) {
        popup_->close();
        return;
    }
    if (result_ != 1)
        result_ = 2;
    QDialog::reject();
}

void PreviewWindow::textOutput()
{
    pagesTextAccepted();
    std::vector<std::string> chosen;
    for (long p : chosenPages(ranges_, total()))
        chosen.push_back(queue_[static_cast<std::size_t>(p - 1)]);
    TextOutputTarget target = textOutputTarget(args_.textFile);
    std::string name = target.name;
    if (target.ask) {
        std::optional<std::string> picked =
            services().saveName ? services().saveName(name, this) : desktopSaveName(name, this);
        if (!picked)
            return;
        name = *picked;
    }
    QDialog progress(this);
    progress.setWindowTitle(QStringLiteral("Converting WMF to Text"));
    auto *layout = new QVBoxLayout(&progress);
    auto *line = new QLabel(&progress);
    line->setObjectName(QStringLiteral("Progress"));
    line->setMinimumWidth(220);
    layout->addWidget(line);
    progress.show();
    bool ok = writeReportText(chosen, args_.linesPerPage, name, [&](int n) {
        line->setText(QStringLiteral("Reading Page %1").arg(n));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    progress.close();
    if (!ok)
        rt::message("The text file " + name + " could not be written.", "TEXT File Output", rt::Icon::Exclamation);
    showPage(current_);
}

void PreviewWindow::showPopupMenu()
{
    if (popup_)
        return;
    auto *menu = new QMenu(qs(strings_.menu), this);
    menu->setObjectName(QStringLiteral("PopupMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto item = [&](const std::string &text, std::function<void()> fn) {
        QAction *a = menu->addAction(qs(text));
        connect(a, &QAction::triggered, this, std::move(fn));
    };
    item(strings_.menuFullHeight, [this] { fullHeight(); });
    item(strings_.menuFullWidth, [this] { fullWidth(); });
    item(strings_.menuZoomPct, [this] { zoom_->setFocus(); });
    if (current_ > 1) {
        item(strings_.menuFirstPage, [this] { firstPage(); });
        item(strings_.menuPrevPage, [this] { previousPage(); });
    }
    if (current_ < total()) {
        item(strings_.menuNextPage, [this] { nextPage(); });
        item(strings_.menuLastPage, [this] { lastPage(); });
    }
    item(strings_.menuPrintPage, [this] { printThisPage(); });
    if (total() > 1)
        item(strings_.menuGoToPage, [this] { pageNo_->setFocus(); pageNo_->selectAll(); });
    item(strings_.menuPagesToPrint, [this] { pagesText_->setFocus(); pagesText_->selectAll(); });
    item(strings_.menuCopies, [this] { copies_->setFocus(); copies_->selectAll(); });
    item(strings_.menuPrint, [this] { printingOptions(); });
    item(strings_.menuExit, [this] { exitWithoutPrinting(); });
    if (textOffered_)
        item(strings_.menuTextOut, [this] { textOutput(); });
    popup_ = menu;
    menu->popup(mapToGlobal(QPoint(8, scroll_->y() + 8)));
}

void PreviewWindow::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (!shown_)
        return;
    // A window made larger or smaller refits a page that is not zoomed.
    computeFitFactors();
    if (!zoomed_) {
        display_ = fitToHeight_ ? fitHeight_ : fitWidth_;
        layOut();
    }
}

void PreviewWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    computeFitFactors();
    if (!zoomed_) {
        display_ = fitWidth_;
        layOut();
    }
    copies_->setFocus();
    copies_->selectAll();
}

int printPreview(std::vector<std::string> &queue, const PreviewArguments &args, PreviewReport &report, QWidget *parent)
{
    if (queue.empty())
        return 2;
    QPointer<PreviewWindow> w = new PreviewWindow(queue, args, report, parent);
    w->setWindowModality(Qt::ApplicationModal);
    w->exec();
    int result = w ? w->result() : 2;
    delete w;
    return result;
}

}  // namespace previewer
