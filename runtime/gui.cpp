#include "runtime/gui.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLockFile>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPointer>
#include <QPushButton>
#include <map>
#include <memory>

#include "runtime/message.h"
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

int showBox(const MessageRequest &r)
{
    // On the heap: its parent may be deleted while the box is open, and takes the box along.
    QPointer<QMessageBox> box = new QMessageBox(modalParent());
    box->setWindowTitle(QString::fromStdString(r.title));
    box->setText(QString::fromStdString(messageLines(r.text)));
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
std::map<std::string, bool> &pending()
{
    static std::map<std::string, bool> p;
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

void installMessageBoxes()
{
    setMessageHandler(showBox);
    setBeepHandler([] { QApplication::beep(); });
}

void registerProcedure(const std::string &name, Procedure fn)
{
    procedures()[name] = std::move(fn);
    pending().erase(name);
}

bool hasProcedure(const std::string &name) { return procedures().count(name) > 0; }

bool isPendingProcedure(const std::string &name) { return pending().count(name) > 0; }

void registerPendingProcedure(const std::string &name, const std::string &what, bool plural)
{
    if (hasProcedure(name) && !isPendingProcedure(name))
        return;  // the real one is already there
    const std::string text = what + (plural ? " are" : " is") + " not part of this version of the program yet.";
    procedures()[name] = [text] { message(text, "Not Available", Icon::Information); };
    pending()[name] = true;
}

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

QString singleInstanceLockPath(const QString &frameTitle)
{
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::tempPath();
    QString key = QString::fromLatin1(
        QCryptographicHash::hash(frameTitle.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
    return dir + "/orvane-" + key + ".lock";
}

bool anotherCopyRuns(const QString &frameTitle)
{
    if (instanceLock())
        return false;  // this process already holds the lock
    auto lock = std::make_unique<QLockFile>(singleInstanceLockPath(frameTitle));
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
