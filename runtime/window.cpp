#include "runtime/window.h"

#include <QFontMetrics>
#include <QApplication>
#include <QBoxLayout>
#include <QPushButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QFrame>
#include <QLabel>
#include <cmath>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "runtime/file_manager.h"
#include "runtime/help.h"
#include "runtime/image.h"
#include "runtime/ini_store.h"

namespace rt {

namespace {
QPointer<QMdiArea> &area()
{
    static QPointer<QMdiArea> a;
    return a;
}
QList<QPointer<WindowProcedure>> &started()
{
    static QList<QPointer<WindowProcedure>> s;
    return s;
}
}  // namespace

QRect visibleArea(const QWidget *window)
{
    if (!window)
        return {};
    if (!window->isWindow()) {
        const QWidget *parent = window->parentWidget();
        if (!parent || !parent->isVisible())
            return {};
        return parent->rect();  // a sub-window lies in its area's viewport
    }
    const QRect frame(window->pos(), window->size());
    QScreen *screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QRect fitInside(const QRect &geometry, const QRect &area, const QSize &minimum)
{
    if (area.isEmpty())
        return geometry;
    QSize size = geometry.size().boundedTo(area.size()).expandedTo(minimum);
    QPoint pos = geometry.topLeft();
    // A window bigger than the area even at its smallest keeps its top left corner in view.
    pos.setX(std::max(area.left(), std::min(pos.x(), area.right() + 1 - size.width())));
    pos.setY(std::max(area.top(), std::min(pos.y(), area.bottom() + 1 - size.height())));
    return QRect(pos, size);
}

void keepVisible(QWidget *window)
{
    const QRect area = visibleArea(window);
    if (!window || window->isMaximized() || window->isMinimized())
        return;
    if (area.isEmpty()) {
        // An area not shown yet has no size to go by; at least no part lies above or left of it.
        if (!window->isWindow() && (window->x() < 0 || window->y() < 0))
            window->move(std::max(0, window->x()), std::max(0, window->y()));
        return;
    }
    if (!window->isWindow()) {
        // Nothing holds a sub-window to its contents' smallest size but this: a placement saved
        // smaller would squeeze them.
        const QSize minimum = window->minimumSize().expandedTo(window->minimumSizeHint()).boundedTo(area.size());
        QRect fitted = fitInside(window->geometry(), area, minimum);
        if (fitted != window->geometry())
            window->setGeometry(fitted);
        return;
    }
    // A top-level window is placed by its frame, which the window system adds around it: until
    // the window is shown its size is not known, so room for a title bar is kept.
    QSize extra = window->frameGeometry().size() - window->size();
    if (!window->isVisible() || extra.isEmpty())
        extra = QSize(8, window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
    const QRect frame(window->pos(), window->size() + extra);
    QRect fitted = fitInside(frame, area, window->minimumSize() + extra);
    if (fitted.size() != frame.size())
        window->resize(fitted.size() - extra);
    if (window->testAttribute(Qt::WA_Moved) && fitted.topLeft() != frame.topLeft())
        window->move(fitted.topLeft());
}

namespace {
QList<QMdiSubWindow *> arrangeable(QMdiArea *area)
{
    QList<QMdiSubWindow *> list;
    for (QMdiSubWindow *s : area->subWindowList())
        if (s->isVisible() && !s->isMinimized()) {
            if (s->isMaximized())
                s->showNormal();
            list.push_back(s);
        }
    return list;
}
}  // namespace

int titleWidth(const QWidget *window)
{
    // Title bars draw their text in a bold face of about the widget font's size, or a little
    // larger, beside the icon, three buttons and the window manager's own margins (openbox
    // cut "Generating Report" with room for four buttons and the text at the widget's size).
    QFont bold = window->font();
    bold.setBold(true);
    const int buttons = 6 * std::max(16, window->style()->pixelMetric(QStyle::PM_TitleBarHeight));
    return QFontMetrics(bold).horizontalAdvance(window->windowTitle()) * 6 / 5 + buttons;
}

void fitTitle(QWidget *window) { window->setMinimumWidth(std::max(window->minimumWidth(), titleWidth(window))); }

QFrame *pictureArea(double unit, const QString &field, QLabel *&display)
{
    auto *area = new QFrame;
    area->setFrameShape(QFrame::StyledPanel);
    area->setFixedSize(static_cast<int>(std::lround(kPictureBoxWidth * unit)) + 4,
                       static_cast<int>(std::lround(kPictureBoxHeight * unit)) + 4);
    auto *al = new QVBoxLayout(area);
    al->setContentsMargins(2, 2, 2, 2);
    display = new QLabel;
    display->setObjectName(field + " picture");
    display->hide();
    al->addWidget(display, 0, Qt::AlignCenter);
    return area;
}

void cascadeFromOthers(QMdiArea *area, QMdiSubWindow *window)
{
    const int step = std::max(8, area->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window));
    const QRect view = area->viewport()->rect();
    auto coversAnother = [&] {
        for (QMdiSubWindow *s : area->subWindowList())
            if (s != window && s->isVisible() && s->pos() == window->pos())
                return true;
        return false;
    };
    for (int tries = 0; tries < 64 && coversAnother(); ++tries) {
        QPoint next = window->pos() + QPoint(step, step);
        // Past the area's corner the stack starts again at its top left.
        if (!view.isEmpty() && (next.x() + window->width() > view.right() + 1 || next.y() + window->height() > view.bottom() + 1))
            next = view.topLeft() + QPoint(step * (tries % 4), 0);
        window->move(next);
    }
}

void tileWindows(QMdiArea *area)
{
    const QList<QMdiSubWindow *> windows = arrangeable(area);
    const QRect view = area->viewport()->rect();
    if (windows.isEmpty() || view.isEmpty())
        return;
    const int n = static_cast<int>(windows.size());
    int columns = 1;
    while (columns * columns < n)
        ++columns;
    const int rows = (n + columns - 1) / columns;
    for (int i = 0; i < n; ++i) {
        const int row = i / columns, column = i % columns;
        // The last row shares the whole width among the windows it holds.
        const int inRow = row == rows - 1 ? n - row * columns : columns;
        const int x0 = view.left() + view.width() * column / inRow;
        const int x1 = view.left() + view.width() * (column + 1) / inRow;
        const int y0 = view.top() + view.height() * row / rows;
        const int y1 = view.top() + view.height() * (row + 1) / rows;
        QMdiSubWindow *s = windows[i];
        // A window that cannot be as small as its cell overlaps its neighbours, never the edge.
        s->setGeometry(fitInside(QRect(x0, y0, x1 - x0, y1 - y0), view, s->minimumSizeHint().boundedTo(view.size())));
    }
}

void arrangeIcons(QMdiArea *area)
{
    int x = 0;
    for (QMdiSubWindow *s : area->subWindowList())
        if (s->isMinimized()) {
            s->move(x, area->viewport()->height() - s->height());
            x += s->width();
        }
}

void cascadeWindows(QMdiArea *area)
{
    const QList<QMdiSubWindow *> windows = arrangeable(area);
    const QRect view = area->viewport()->rect();
    if (windows.isEmpty() || view.isEmpty())
        return;
    const int step = std::max(8, area->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.front()));
    // Each window steps down and right by a title bar; the stack starts over at the top left
    // before it would leave less than half the area for a window.
    const int steps = std::max(1, std::min(view.width(), view.height()) / 2 / step);
    for (int i = 0; i < static_cast<int>(windows.size()); ++i) {
        QMdiSubWindow *s = windows[i];
        const int k = i % steps;
        const QPoint at = view.topLeft() + QPoint(k * step, k * step);
        const QSize room = QSize(view.width() - k * step, view.height() - k * step);
        QSize size = s->size().boundedTo(room).expandedTo(s->minimumSizeHint().boundedTo(room));
        s->setGeometry(fitInside(QRect(at, size), view));
        s->raise();
    }
}

void setMdiArea(QMdiArea *a) { area() = a; }
QMdiArea *mdiArea() { return area(); }

QList<WindowProcedure *> startedWindows()
{
    QList<WindowProcedure *> r;
    for (auto &p : started())
        if (p && !p->isHidden())
            r.push_back(p);
    return r;
}

bool closeOtherWindows(QWidget *except)
{
    bool all = true;
    for (WindowProcedure *w : startedWindows()) {
        if (w == except || w->isAncestorOf(except))
            continue;
        if (!w->requestClose())
            all = false;
    }
    if (QMdiArea *a = mdiArea())
        for (QMdiSubWindow *s : a->subWindowList()) {
            if (s->widget() == except || (except && s->isAncestorOf(except)))
                continue;
            if (!s->close())
                all = false;
        }
    QApplication::processEvents();
    return all;
}

WindowProcedure::WindowProcedure(const QString &procedureName, QWidget *parent)
    : QDialog(parent), procedureName_(procedureName)
{
    setObjectName(procedureName);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

WindowProcedure::~WindowProcedure()
{
    if (!killed_)
        kill();
}

QWidget *WindowProcedure::outerWindow() const
{
    if (sub_)
        return sub_;
    return const_cast<WindowProcedure *>(this);
}

int WindowProcedure::openFiles(const std::vector<RelationManager *> &managers)
{
    for (RelationManager *rm : managers) {
        if (int level = rm->open())
            return level;
        openedFiles_.push_back(rm);
    }
    return 0;
}

void WindowProcedure::kill()
{
    if (killed_)
        return;
    killed_ = true;
    for (RelationManager *rm : openedFiles_)
        rm->close();
    openedFiles_.clear();
    if (opened_ && keepsPosition_)
        iniStore().saveWindow(procedureName_, outerWindow());
}

int WindowProcedure::run()
{
    int level = init();
    if (level == 0) {
        opened_ = true;
        if (keepsPosition_)
            iniStore().restoreWindow(procedureName_, this);
        keepVisible(this);
        QPointer<WindowProcedure> alive(this);
        exec();
        // A parent deleted while the window ran took the window with it, and its destructor
        // ended the procedure: nothing is left to answer with.
        if (!alive)
            return RequestCancelled;
    }
    kill();
    return response;
}

QWidget *modalParent()
{
    QWidget *active = QApplication::activeWindow();
    return active && active->isVisible() ? active : nullptr;
}

int runModal(WindowProcedure *window)
{
    QPointer<WindowProcedure> alive(window);
    int response = window->run();
    delete alive.data();
    return response;
}

void WindowProcedure::start()
{
    started_ = true;
    setAttribute(Qt::WA_DeleteOnClose, false);
    int level = init();
    if (level != 0) {
        kill();
        deleteLater();
        return;
    }
    opened_ = true;
    started().push_back(this);
    if (QMdiArea *a = mdiArea()) {
        sub_ = a->addSubWindow(this);
        sub_->setAttribute(Qt::WA_DeleteOnClose, true);
        sub_->setWindowTitle(windowTitle());
        sub_->setWindowIcon(windowIcon());
        // Room for the sub-window's own frame and title bar around the size the window asked for.
        QSize frame = sub_->sizeHint() - sizeHint();
        QSize inner = testAttribute(Qt::WA_Resized) ? size().expandedTo(minimumSizeHint()) : sizeHint();
        sub_->resize((inner + frame).expandedTo(sub_->minimumSizeHint()));
        if (keepsPosition_)
            iniStore().restoreWindow(procedureName_, sub_);
        keepVisible(sub_);  // the area's own placement knew nothing of the size given above
        cascadeFromOthers(a, sub_);
        sub_->show();
        show();
        sub_->setFocus();
    } else {
        setWindowModality(Qt::NonModal);
        if (keepsPosition_)
            iniStore().restoreWindow(procedureName_, this);
        keepVisible(this);
        show();
    }
}

void WindowProcedure::addCloseAndHelp(QBoxLayout *layout, const QString &closeText, bool helpFirst,
                                      QPushButton *first)
{
    auto *row = new QHBoxLayout;
    auto *close = new QPushButton(closeText);
    auto *help = new QPushButton("Help");
    row->addStretch(1);
    if (first)
        row->addWidget(first);
    row->addWidget(helpFirst ? help : close);
    row->addWidget(helpFirst ? close : help);
    layout->addLayout(row);
    connect(close, &QPushButton::clicked, this, [this] { finish(RequestCancelled); });
    connect(help, &QPushButton::clicked, this, [this] { showHelp(helpContext_); });
}

void WindowProcedure::finish(int resp)
{
    response = resp;
    done(resp == RequestCompleted ? QDialog::Accepted : QDialog::Rejected);
}

bool WindowProcedure::requestClose()
{
    if (sub_)
        return sub_->close();
    if (isHidden())
        return true;
    return close();
}

void WindowProcedure::done(int r)
{
    QDialog::done(r);
    if (started_)
        ended();
}

void WindowProcedure::ended()
{
    if (killed_)
        return;
    kill();
    emit procedureEnded(response);
    // The sub-window goes with its procedure and deletes it as its child. The close is queued:
    // this may run inside the sub-window's own close.
    if (sub_)
        QMetaObject::invokeMethod(sub_, "close", Qt::QueuedConnection);
    else
        deleteLater();
}

void WindowProcedure::closeEvent(QCloseEvent *event)
{
    if (!canClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void WindowProcedure::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F1) {
        showHelp(helpContext_);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        if (canClose())
            finish(RequestCancelled);
        return;
    }
    QDialog::keyPressEvent(event);
}

QMenu *addWindowAndHelpMenus(QMenuBar *bar, QMdiArea *mdi, const AddMenuEntry &add)
{
    QMenu *window = bar->addMenu("&Window");
    window->menuAction()->setStatusTip("Create and Arrange windows");
    add(window, "T&ile", "Make all open windows visible", [mdi] { tileWindows(mdi); });
    add(window, "&Cascade", "Stack all open windows", [mdi] { cascadeWindows(mdi); });
    add(window, "&Arrange Icons", "Align all window icons", [mdi] { arrangeIcons(mdi); });

    QMenu *help = bar->addMenu("&Help");
    help->menuAction()->setStatusTip("Windows Help");
    add(help, "&Contents", "View the contents of the help file", [] { showHelp(QString()); });
    add(help, "&Search for Help On...", "Search for help on a subject", [] { showHelp("~SEARCH"); });
    add(help, "&How to Use Help", "How to use Windows Help", [] { showHelp("~HOW_TO_USE_HELP"); });
    QMenu *web = help->addMenu("Tamrix On The Web");
    add(web, "Home Page", {}, [] { openWebPage("https://tamrix.example.com/"); });
    add(web, "Support", {}, [] { openWebPage("https://tamrix.example.com/support/"); });
    help->addSeparator();
    return help;
}

}  // namespace rt
