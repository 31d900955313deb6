// The client program's frame: names the folder's data files, reads the client system record
// (and ends before it shows when that fails), and reaches every window through its menus and
// toolbar. No client switching, settings, password or first run.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <vector>

#include "client/client.h"
#include "model/globals.h"
#include "model/edition.h"
#include "reports/report_table.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/ini_store.h"
#include "runtime/window.h"

namespace client {

const char *const kFrameTitle = "Orvane Rava Ravarurod Odidiruzavod Client";

namespace {

class ClientFrame : public QMainWindow {
public:
    ClientFrame()
    {
        setObjectName("Main");
        setWindowTitle(kFrameTitle);
        setWindowIcon(style()->standardIcon(QStyle::SP_DirHomeIcon));
        mdi_ = new QMdiArea(this);
        setCentralWidget(mdi_);
        statusBar();
        buildMenus();
        buildToolbar();
        resize(1000, 700);
    }

    ~ClientFrame() override
    {
        if (rt::mdiArea() == mdi_)
            rt::setMdiArea(nullptr);
    }

    int init()
    {
        rt::takeRequest();
        nameDataFiles();
        LoadClientSystemRecord();
        if (Glo.ClientFileError == 1)
            return 1;
        Glo.ReportFormat = "Portrait";
        Glo.Request = 0;
        Glo.Response = 0;
        rt::setMdiArea(mdi_);
        rt::iniStore().restoreWindow("Main", this);
        show();
        opened_ = true;
        return 0;
    }

    void kill()
    {
        if (opened_)
            rt::iniStore().saveWindow("Main", this);
        opened_ = false;
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        mdi_->closeAllSubWindows();
        for (rt::WindowProcedure *w : rt::startedWindows())
            if (!w->requestClose()) {
                event->ignore();
                return;
            }
        event->accept();
        if (running)
            QTimer::singleShot(0, qApp, &QApplication::quit);
    }

private:
    QAction *add(QMenu *menu, const QString &text, const QString &tip, std::function<void()> fn)
    {
        QAction *a = menu->addAction(text);
        if (!tip.isEmpty())
            a->setStatusTip(tip);
        a->setObjectName(QString(text).remove('&').remove("..."));
        connect(a, &QAction::triggered, this, std::move(fn));
        return a;
    }
    QAction *start(QMenu *menu, const QString &text, const std::string &procedure)
    {
        return add(menu, text, {}, [procedure] { rt::runProcedure(procedure); });
    }

    void buildMenus()
    {
        QMenuBar *bar = menuBar();
        QMenu *file = bar->addMenu("&File");
        add(file, "P&rint Setup...", "Setup Printer", [this] { rt::printSetup(this); });
        start(file, "Report Format", "ReportFormat");
        file->addSeparator();
        add(file, "E&xit", "Exit this application", [this] { close(); });

        QMenu *edit = bar->addMenu("&Edit");
        auto onFocus = [](auto op) {
            QWidget *w = QApplication::focusWidget();
            if (auto *le = qobject_cast<QLineEdit *>(w))
                op(le);
            else if (auto *pe = qobject_cast<QPlainTextEdit *>(w))
                op(pe);
        };
        add(edit, "Cu&t", "Remove item to Windows Clipboard", [onFocus] { onFocus([](auto *e) { e->cut(); }); });
        add(edit, "&Copy", "Copy item to Windows Clipboard", [onFocus] { onFocus([](auto *e) { e->copy(); }); });
        add(edit, "&Paste", "Paste contents of Windows Clipboard",
            [onFocus] { onFocus([](auto *e) { e->paste(); }); });

        QMenu *programs = bar->addMenu("&Programs");
        start(programs, "Home Inventory", "HomeInventoryMenu");
        start(programs, "Your Rava Ravarurod Odidiruzavod", "ShowZenvik");

        // The reports as the report table lists them; they always ask for their category or
        // location, in the run's format.
        QMenu *reports = bar->addMenu("&Reports");
        QMenu *home = reports->addMenu("Home Inventory Reports");
        using reports::FrameMenu;
        for (FrameMenu m : {FrameMenu::Reports, FrameMenu::HomeInventoryReports})
            for (const reports::ReportEntry *e : reports::frameMenuEntries(model::Program::Client, m)) {
                QAction *a = add(m == FrameMenu::Reports ? reports : home, e->menuText, {},
                                 [e] { reports::runFrameEntry(*e); });
                a->setObjectName(QString("Report ") + e->menuText);
            }

        QMenu *help = rt::addWindowAndHelpMenus(
            bar, mdi_, [this](QMenu *m, const QString &text, const QString &tip, std::function<void()> fn) {
                return add(m, text, tip, std::move(fn));
            });
        start(help, "About Kelvara", "AboutKelvara");
    }

    void buildToolbar()
    {
        QToolBar *t = addToolBar("Toolbar");
        t->setObjectName("Toolbar");
        t->setMovable(false);
        t->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        struct Button {
            const char *text, *tip, *procedure;
            QStyle::StandardPixmap icon;
        };
        const Button buttons[] = {
            {"Report Format", "Select default report format", "ReportFormat", QStyle::SP_FileDialogDetailedView},
            {"Voro Dure Razeroduv Iveduriruri", "Contact Voro Dure Razeroduv Iveduriruri", "ShowZenvik",
             QStyle::SP_MessageBoxInformation},
            {"Inventory", "Maintain your client's home inventory", "HomeInventoryMenu", QStyle::SP_DirHomeIcon},
        };
        std::vector<Button> all(std::begin(buttons), std::end(buttons));
        // The report buttons of the report table, then the calendar.
        for (const reports::ReportEntry *e : reports::toolbarEntries(model::Program::Client))
            all.push_back({e->toolbar, e->clientToolbarTip, e->portrait, QStyle::SP_FileIcon});
        all.push_back({"Calendar", "Open the calendar", "CalendarWindow", QStyle::SP_FileDialogContentsView});
        for (const Button &b : all) {
            QAction *a = t->addAction(style()->standardIcon(b.icon), b.text);
            a->setToolTip(b.tip);
            a->setStatusTip(b.tip);
            a->setObjectName(QString("Toolbar ") + b.text);
            std::string proc = b.procedure;
            connect(a, &QAction::triggered, this, [proc] { rt::runProcedure(proc); });
        }
        QAction *help = t->addAction(style()->standardIcon(QStyle::SP_DialogHelpButton), "Help");
        help->setToolTip("Access Orvane help");
        help->setObjectName("Toolbar Help");
        connect(help, &QAction::triggered, this, [] { rt::showHelp("~MAIN"); });
    }

public:
    // The program's event loop runs the frame: closing it ends the loop.
    static inline bool running = false;

private:
    QMdiArea *mdi_ = nullptr;
    bool opened_ = false;
};

QPointer<ClientFrame> g_frame;

}  // namespace

QWidget *frame() { return g_frame; }

QMainWindow *openFrame()
{
    if (g_frame)
        return g_frame;
    auto *f = new ClientFrame;
    g_frame = f;
    if (f->init() != 0) {
        delete f;
        return nullptr;
    }
    QTimer::singleShot(0, f, [] { rt::runProcedure("SplashWindow"); });
    return f;
}

void closeFrame()
{
    if (!g_frame)
        return;
    g_frame->close();
    g_frame->kill();
    delete g_frame.data();
}

void Main()
{
    bool opened = openFrame() != nullptr;
    if (opened) {
        ClientFrame::running = true;
        qApp->exec();
        ClientFrame::running = false;
    }
    closeFrame();
    rt::setResponse(opened ? rt::RequestCompleted : rt::RequestCancelled);
}

}  // namespace client
