#include "runtime/window.h"

#include <QApplication>
#include <QBoxLayout>
#include <QPushButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "runtime/file_manager.h"
#include "runtime/help.h"
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
        sub_->show();
        show();
        sub_->setFocus();
    } else {
        setWindowModality(Qt::NonModal);
        if (keepsPosition_)
            iniStore().restoreWindow(procedureName_, this);
        show();
    }
}

void WindowProcedure::addCloseAndHelp(QBoxLayout *layout, const QString &closeText)
{
    auto *row = new QHBoxLayout;
    auto *close = new QPushButton(closeText);
    auto *help = new QPushButton("Help");
    row->addStretch(1);
    row->addWidget(close);
    row->addWidget(help);
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

}  // namespace rt
