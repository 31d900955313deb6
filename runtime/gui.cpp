#include "runtime/gui.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QTextLayout>
#include <QRegularExpression>
#include <QLockFile>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPointer>
#include <QPushButton>
#include <QSpacerItem>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/message.h"
#include "runtime/record_file.h"
#include "runtime/window.h"

namespace rt {

namespace {

struct ButtonDef {
    int bit;
    const char *text;
    QMessageBox::ButtonRole role;
};
const ButtonDef kButtons[] = {
    {BUTTON_OK, "OK", QMessageBox::AcceptRole},        {BUTTON_YES, "&Yes", QMessageBox::YesRole},
    {BUTTON_NO, "&No", QMessageBox::NoRole},           {BUTTON_ABORT, "&Abort", QMessageBox::RejectRole},
    {BUTTON_RETRY, "&Retry", QMessageBox::AcceptRole}, {BUTTON_IGNORE, "&Ignore", QMessageBox::AcceptRole},
    {BUTTON_CANCEL, "Cancel", QMessageBox::RejectRole}, {BUTTON_HELP, "&Help", QMessageBox::HelpRole},
};

// A message's text as the box shows it: lines break between words, and a word wider than the
// box (a long file name) breaks where it must, so nothing is cut off. The text itself stays as
// it was given, for a screen reader and for a copy of the message.
class MessageText : public QLabel {
public:
    MessageText(const QString &text, QWidget *parent) : QLabel(text, parent)
    {
        setObjectName("MessageText");
        setTextFormat(Qt::PlainText);
        setWordWrap(true);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override
    {
        const QMargins m = contentsMargins();
        return lay(width - m.left() - m.right(), nullptr) + m.top() + m.bottom();
    }
    // About 60 letters wide, or narrower when the text is shorter: the box takes this width
    // unless its title or buttons ask for more.
    QSize sizeHint() const override { return sized(); }
    QSize minimumSizeHint() const override { return sized(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        lay(contentsRect().width(), &painter);
    }

private:
    QSize sized() const
    {
        const int letters = 60;
        const QMargins m = contentsMargins();
        int widest = 0;
        for (const QString &line : text().split('\n'))
            widest = std::max(widest, fontMetrics().horizontalAdvance(line));
        const int width = std::min(widest + 1, fontMetrics().averageCharWidth() * letters) + m.left() + m.right();
        return {width, heightForWidth(width)};
    }
    // The height of the text laid out in `width`; drawn too when a painter is given.
    int lay(int width, QPainter *painter) const
    {
        width = std::max(width, 1);
        QTextOption option(alignment());
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        const QRect area = contentsRect();
        qreal y = 0;
        for (const QString &paragraph : text().split('\n')) {
            QTextLayout layout(paragraph, font());
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                line.setPosition(QPointF(0, y));
                y += line.height();
            }
            layout.endLayout();
            if (painter)
                layout.draw(painter, area.topLeft());
        }
        return static_cast<int>(std::ceil(y));
    }
};

int showBox(const MessageRequest &r)
{
    // On the heap: its parent may be deleted while the box is open, and takes the box along.
    QPointer<QMessageBox> box = new QMessageBox(modalParent());
    box->setWindowTitle(QString::fromStdString(r.title));
    // The box's own label cannot break a word wider than the box, and a long file name would be
    // cut: it keeps the text (what the box copies) but the text shows in one that can.
    const QString text = QString::fromStdString(messageLines(r.text));
    box->setText(text);
    switch (r.icon) {
    case Icon::Exclamation: box->setIcon(QMessageBox::Warning); break;
    case Icon::Question: box->setIcon(QMessageBox::Question); break;
    case Icon::Information:
    case Icon::Asterisk: box->setIcon(QMessageBox::Information); break;
    case Icon::Hand: box->setIcon(QMessageBox::Critical); break;
    case Icon::None: break;
    }
    std::map<QAbstractButton *, int> bits;
    QPushButton *escape = nullptr;
    for (const ButtonDef &b : kButtons) {
        if (!(r.buttons & b.bit))
            continue;
        QPushButton *pb = box->addButton(b.text, b.role);
        bits[pb] = b.bit;
        if (b.bit == r.defaultButton)
            box->setDefaultButton(pb);
        if (b.bit == BUTTON_CANCEL || b.bit == BUTTON_NO || (!escape && b.bit == BUTTON_OK))
            escape = pb;
    }
    if (escape)
        box->setEscapeButton(escape);
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout()))
        if (auto *label = box->findChild<QLabel *>("qt_msgbox_label")) {
            const int at = grid->indexOf(label);
            if (at >= 0) {
                int row = 0, column = 0, rows = 1, columns = 1;
                grid->getItemPosition(at, &row, &column, &rows, &columns);
                auto *shown = new MessageText(text, box);
                shown->setAlignment(label->alignment());
                shown->setContentsMargins(label->contentsMargins());
                label->hide();
                grid->removeWidget(label);
                grid->addWidget(shown, row, column, rows, columns);
            }
        }
    // A short text makes a narrow box, and the window manager then cuts its title ("Mak...ete").
    // A message box sets its own fixed size from its layout, so the width goes in as a spacer.
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout()))
        grid->addItem(new QSpacerItem(titleWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(),
                      0, 1, grid->columnCount());
    box->exec();
    if (!box)
        return r.defaultButton;
    auto it = bits.find(box->clickedButton());
    delete box.data();
    return it == bits.end() ? r.defaultButton : it->second;
}

std::map<std::string, Procedure> &procedures()
{
    static std::map<std::string, Procedure> p;
    return p;
}
std::function<void(const std::string &)> &observer()
{
    static std::function<void(const std::string &)> o;
    return o;
}
struct RequestGlobals {
    std::uint8_t own[2] = {0, 0};
    std::uint8_t *request = &own[0];
    std::uint8_t *response = &own[1];
};
RequestGlobals &requestGlobals()
{
    static RequestGlobals g;
    return g;
}
std::unique_ptr<QLockFile> &instanceLock()
{
    static std::unique_ptr<QLockFile> l;
    return l;
}

}  // namespace

// A scan of a record file that reads fast holds the file's read lock from one call to the
// next. When the event loop is about to wait for the user, nothing is reading any more, and
// every such lock is let go, so that a writer in another program is not kept waiting.
void releaseHeldReadsWhenIdle()
{
    static QPointer<QAbstractEventDispatcher> watched;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return;
    QAbstractEventDispatcher *d = QAbstractEventDispatcher::instance();
    if (!d || d == watched)
        return;
    watched = d;
    QObject::connect(d, &QAbstractEventDispatcher::aboutToBlock, d, [] { releaseHeldReads(); });
}
namespace {
// Every scan that starts holding asks for it, so that no program or window has to.
const bool g_heldReadsWatched = (setReadHeldHook(releaseHeldReadsWhenIdle), true);
}  // namespace

void installMessageBoxes()
{
    setMessageHandler(showBox);
    setBeepHandler([] { QApplication::beep(); });
    setBusyHandler([](bool on) {
        if (on) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            // Shown before the wait blocks the event loop.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        } else {
            QApplication::restoreOverrideCursor();
        }
    });
}

void registerProcedure(const std::string &name, Procedure fn)
{
    procedures()[name] = std::move(fn);
}

bool hasProcedure(const std::string &name) { return procedures().count(name) > 0; }

void runProcedure(const std::string &name)
{
    if (observer())
        observer()(name);
    auto it = procedures().find(name);
    if (it == procedures().end()) {
        message("The procedure " + name + " is not available.", "Not Available", Icon::Exclamation);
        return;
    }
    Procedure fn = it->second;  // a copy: the procedure may re-register entries while it runs
    fn();
}

void setProcedureObserver(std::function<void(const std::string &)> o) { observer() = std::move(o); }

void bindRequestGlobals(std::uint8_t *request, std::uint8_t *response)
{
    requestGlobals().request = request;
    requestGlobals().response = response;
}

int callWithRequest(const Procedure &procedure, int request)
{
    *requestGlobals().request = static_cast<std::uint8_t>(request);
    procedure();
    return *requestGlobals().response;
}

int callWithRequest(const std::string &name, int request)
{
    return callWithRequest([&name] { runProcedure(name); }, request);
}

int takeRequest()
{
    RequestGlobals &g = requestGlobals();
    int request = *g.request;
    *g.request = 0;
    *g.response = 0;
    return request;
}

void setResponse(int response) { *requestGlobals().response = static_cast<std::uint8_t>(response); }

namespace {

// A folder for the owner's locks: made with mode 0700 when missing; an existing one must be a
// real folder (not a link) that the owner owns, and is closed to others when it was not.
bool ownedPrivateFolder(const QString &path, unsigned uid)
{
    const QByteArray p = QFile::encodeName(path);
    if (::mkdir(p.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(p.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid)
        return false;
    if ((st.st_mode & 077) != 0 && ::chmod(p.constData(), 0700) != 0)
        return false;
    return true;
}

}  // namespace

InstanceOwner InstanceOwner::current()
{
    InstanceOwner o;
    o.uid = static_cast<unsigned>(::getuid());
    if (const passwd *pw = ::getpwuid(::getuid()))
        o.user = QString::fromLocal8Bit(pw->pw_name);
    else
        o.user = qEnvironmentVariable("USER");
    // One session is one display, whichever platform plugin the copy runs on in it.
    o.display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (o.display.isEmpty()) {
        o.display = qEnvironmentVariable("DISPLAY");
        // ":0.1" is another screen of the display ":0".
        static const QRegularExpression screen("\\.\\d+$");
        int colon = o.display.lastIndexOf(':');
        if (colon >= 0)
            o.display = o.display.left(colon) + o.display.mid(colon).remove(screen);
    }
    if (o.display.isEmpty())
        o.display = "platform " + QGuiApplication::platformName();
    o.runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    o.tempDir = QDir::tempPath();
    o.homeDir = QDir::homePath();
    return o;
}

QString instanceLockFolder(const InstanceOwner &owner)
{
    if (!owner.runtimeDir.isEmpty() && QFileInfo(owner.runtimeDir).isDir())
        return owner.runtimeDir;
    // The temporary folder is shared by every user: the folder there is the user's only when
    // the user owns it. The home folder is the user's own.
    const QString inTemp = owner.tempDir.isEmpty() ? QString() : owner.tempDir + "/orvane-" + QString::number(owner.uid);
    const QString inHome = owner.homeDir.isEmpty() ? QString() : owner.homeDir + "/.orvane-locks";
    for (const QString &dir : {inTemp, inHome})
        if (!dir.isEmpty() && ownedPrivateFolder(dir, owner.uid))
            return dir;
    return QString();
}

QString singleInstanceLockPath(const QString &frameTitle, const InstanceOwner &owner)
{
    const QString dir = instanceLockFolder(owner);
    if (dir.isEmpty())
        return QString();
    const QByteArray who = frameTitle.toUtf8() + '\n' + QByteArray::number(owner.uid) + '\n' + owner.user.toUtf8() +
                           '\n' + owner.display.toUtf8();
    const QString key =
        QString::fromLatin1(QCryptographicHash::hash(who, QCryptographicHash::Sha1).toHex().left(16));
    return dir + "/orvane-" + key + ".lock";
}

QString singleInstanceLockPath(const QString &frameTitle)
{
    return singleInstanceLockPath(frameTitle, InstanceOwner::current());
}

bool anotherCopyRuns(const QString &frameTitle)
{
    if (instanceLock())
        return false;  // this process already holds the lock
    const QString path = singleInstanceLockPath(frameTitle);
    // Without a folder that only this user can write, no lock can be trusted: the copy runs.
    if (path.isEmpty())
        return false;
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);  // a lock left by a dead process is taken over
    if (!lock->tryLock(0))
        return true;
    instanceLock() = std::move(lock);
    return false;
}

void releaseSingleInstance() { instanceLock().reset(); }

QPrinter &sharedPrinter()
{
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

void printSetup(QWidget *parent)
{
    QPointer<QPageSetupDialog> dlg = new QPageSetupDialog(&sharedPrinter(), parent);
    dlg->exec();
    delete dlg.data();
}

}  // namespace rt
