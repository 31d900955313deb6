#include "core/main_frame.h"
#include "model/edition.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <vector>

#include "core/brand.h"
#include "core/clients.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "model/managers.h"
#include "reports/report_table.h"
#include "runtime/file_structure.h"
#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/ini_store.h"
#include "runtime/message.h"
#include "runtime/paths.h"
#include "runtime/window.h"

const char *const kFrameTitle = "Orvane Rava Ravarurod Odidiruzavod";

namespace {
QPointer<MainFrame> g_frame;
}  // namespace

MainFrame *mainFrame() { return g_frame; }

int CheckSingleInstance(const std::string &title)
{
    // Another copy is running when the lock keyed by its frame title is held.
    return rt::anotherCopyRuns(QString::fromStdString(rt::clip(title))) ? 1 : 0;
}

MainFrame::MainFrame()
{
    setObjectName("Main");
    setWindowTitle(kFrameTitle);
    setWindowIcon(programIcon());
    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    statusBar();
    buildMenus();
    buildToolbar();
    resize(1000, 700);
    g_frame = this;
}

MainFrame::~MainFrame()
{
    if (rt::mdiArea() == mdi_)
        rt::setMdiArea(nullptr);
    closeSplash();
}

QAction *MainFrame::addProcedure(QMenu *menu, const QString &text, const std::string &procedure, const QString &tip)
{
    QAction *a = menu->addAction(text);
    if (!tip.isEmpty())
        a->setStatusTip(tip);
    QString name = QString(text).remove('&').remove("...");
    a->setObjectName(name);
    byName_[name] = a;
    procedures_[a] = QString::fromStdString(procedure);
    connect(a, &QAction::triggered, this, [this, procedure] { runFromFrame(procedure); });
    return a;
}

void MainFrame::runFromFrame(const std::string &procedure)
{
    closeSplash();
    rt::runProcedure(procedure);
}

void MainFrame::buildMenus()
{
    QMenuBar *bar = menuBar();
    auto standard = [this](QMenu *m, const QString &text, const QString &tip, auto slot) {
        QAction *a = m->addAction(text);
        a->setStatusTip(tip);
        QString name = QString(text).remove('&').remove("...");
        a->setObjectName(name);
        byName_[name] = a;
        connect(a, &QAction::triggered, this, [this, slot] {
            closeSplash();
            slot();
        });
        return a;
    };

    QMenu *file = bar->addMenu("&File");
    addProcedure(file, "File Manager", "FileManagerWindow");
    standard(file, "P&rint Setup...", "Setup Printer", [this] { rt::printSetup(this); });
    file->addSeparator();
    standard(file, "E&xit", "Exit this application", [this] { close(); });

    QMenu *edit = bar->addMenu("&Edit");
    auto onFocus = [](auto lineOp, auto textOp, auto plainOp) {
        QWidget *w = QApplication::focusWidget();
        if (auto *le = qobject_cast<QLineEdit *>(w))
            lineOp(le);
        else if (auto *te = qobject_cast<QTextEdit *>(w))
            textOp(te);
        else if (auto *pe = qobject_cast<QPlainTextEdit *>(w))
            plainOp(pe);
    };
    standard(edit, "Cu&t", "Remove item to Windows Clipboard", [onFocus] {
        onFocus([](QLineEdit *e) { e->cut(); }, [](QTextEdit *e) { e->cut(); }, [](QPlainTextEdit *e) { e->cut(); });
    });
    standard(edit, "&Copy", "Copy item to Windows Clipboard", [onFocus] {
        onFocus([](QLineEdit *e) { e->copy(); }, [](QTextEdit *e) { e->copy(); },
                [](QPlainTextEdit *e) { e->copy(); });
    });
    standard(edit, "&Paste", "Paste contents of Windows Clipboard", [onFocus] {
        onFocus([](QLineEdit *e) { e->paste(); }, [](QTextEdit *e) { e->paste(); },
                [](QPlainTextEdit *e) { e->paste(); });
    });

    QMenu *setup = bar->addMenu("&Setup");
    addProcedure(setup, "Category File", "BrowseCategory");
    addProcedure(setup, "Conditions File", "BrowseConditions");
    addProcedure(setup, "Manufacturers File", "BrowseManufacturers");
    addProcedure(setup, "Main System File", "UpdateSystem");
    addProcedure(setup, "Subject File", "BrowseSubjects");
    addProcedure(setup, "Vendor File", "BrowseVendors");

    QMenu *apps = bar->addMenu("&Applications");
    clientControls_ << addProcedure(apps, "Home Inventory", "HomeInventoryMenu");
    clientControls_ << addProcedure(apps, "Make CD", "MakeCD");
    QAction *makeCdMenu = clientControls_.back();
    makeCdMenu->setObjectName("Make CD menu");
    byName_["Make CD menu"] = makeCdMenu;
    addProcedure(apps, "Maintain Clients", "BrowseClients");

    // The reports as the report table lists them.
    using reports::FrameMenu;
    const model::Program program = model::Program::Professional;
    QMenu *reports = bar->addMenu("&Reports");
    for (const reports::ReportEntry *e : reports::frameMenuEntries(program, FrameMenu::Reports))
        addProcedure(reports, e->menuText, e->portrait);
    reportsSubmenu_ = reports->addMenu("Home Inventory Reports");
    reportsSubmenu_->menuAction()->setObjectName("Home Inventory Reports");
    byName_["Home Inventory Reports"] = reportsSubmenu_->menuAction();
    clientControls_ << reportsSubmenu_->menuAction();
    for (const reports::ReportEntry *e : reports::frameMenuEntries(program, FrameMenu::HomeInventoryReports)) {
        if (!e->pair()) {
            addProcedure(reportsSubmenu_, e->menuText, e->portrait);
            continue;
        }
        QAction *a = reportsSubmenu_->addAction(e->menuText);
        QString name = QString("Report ") + e->menuText;
        a->setObjectName(name);
        byName_[name] = a;
        procedures_[a] = QString("%1|%2").arg(e->portrait, e->wide);
        connect(a, &QAction::triggered, this, [this, e] {
            closeSplash();
            reports::runFrameEntry(*e);
        });
    }

    QMenu *help = rt::addWindowAndHelpMenus(bar, mdi_, standard);
    addProcedure(help, "About Kelvara", "AboutKelvara");
}

void MainFrame::buildToolbar()
{
    toolbar_ = addToolBar("Toolbar");
    toolbar_->setObjectName("Toolbar");
    toolbar_->setMovable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    struct Button {
        const char *text, *tip, *procedure;
        bool clientDependent;
    };
    const Button buttons[] = {
        {"Clients", "Maintain your clients", "BrowseClients", false},
        {"Select", "Select a client to work with", "SelectClient", false},
        {"System", "Access the Main System File", "UpdateSystem", false},
        {"Inventory", "Maintain your client's home inventory", "HomeInventoryMenu", true},
        {"Make CD", "Make a client CD", "MakeCD", true},
    };
    std::vector<Button> all(std::begin(buttons), std::end(buttons));
    // The report buttons of the report table, then the calendar.
    for (const reports::ReportEntry *e : reports::toolbarEntries(model::Program::Professional))
        all.push_back({e->toolbar, e->toolbarTip, e->portrait, e->ofClient});
    all.push_back({"Calendar", "Open the calendar", "CalendarWindow", false});
    for (const Button &b : all) {
        QAction *a = toolbar_->addAction(toolbarIcon(b.text), b.text);
        a->setToolTip(b.tip);
        a->setStatusTip(b.tip);
        QString name = QString("Toolbar ") + b.text;
        a->setObjectName(name);
        byName_[name] = a;
        procedures_[a] = b.procedure;
        std::string proc = b.procedure;
        if (proc == "SelectClient") {
            // The client-dependent controls follow the selection as soon as its window closes.
            connect(a, &QAction::triggered, this, [this, proc] {
                runFromFrame(proc);
                enableClientControls();
            });
        } else {
            connect(a, &QAction::triggered, this, [this, proc] { runFromFrame(proc); });
        }
        if (b.clientDependent)
            clientControls_ << a;
    }
    QAction *help = toolbar_->addAction(toolbarIcon("Help"), "Help");
    help->setToolTip("Access Orvane help");
    help->setStatusTip("Access Orvane help");
    help->setObjectName("Toolbar Help");
    byName_["Toolbar Help"] = help;
    connect(help, &QAction::triggered, this, [this] {
        closeSplash();
        rt::showHelp("~MAIN");
    });
    toolbar_->addSeparator();
    activeClient_ = new QLabel;
    activeClient_->setObjectName("ActiveClientText");
    QFont f("Arial", 10);
    f.setBold(true);
    activeClient_->setFont(f);
    activeClient_->setStyleSheet("color: red; padding-left: 12px;");
    activeClient_->setMinimumWidth(QFontMetrics(f).horizontalAdvance(QString(40, 'M')));
    toolbar_->addWidget(activeClient_);
}

QList<QAction *> MainFrame::dispatchActions() const { return procedures_.keys(); }

QAction *MainFrame::action(const QString &name) const { return byName_.value(name); }

void MainFrame::refreshActiveClient() { activeClient_->setText(QString::fromStdString(Glo.ActiveClientText.str())); }

void MainFrame::enableClientControls()
{
    bool on = Glo.ClientSelected == 1;
    for (QAction *a : clientControls_)
        a->setEnabled(on);
    refreshActiveClient();
}

void MainFrame::buildSharedFileNames() { BuildSharedFileNames(primaryPath_.str()); }

void MainFrame::createBackupDirectory()
{
    if (rt::makeFolder(rt::joinPath(rt::homeFolder(), "backup")) != 0)
        rt::message("Unable to create default backup directory", "Directory Creation Failed", rt::Icon::Exclamation,
                    rt::BUTTON_OK);
}

int MainFrame::init()
{
    Glo.Request = 0;
    // A second running copy ends start-up before anything is shown.
    if (CheckSingleInstance(kFrameTitle) != 0)
        return initResult_ = 1;
    Glo.ActiveClientText = "";
    Glo.ActiveClientID = "";
    rt::takeRequest();
    rt::setMdiArea(mdi_);
    show();
    opened_ = true;
    Glo.ClientSelected = 0;
    enableClientControls();

    // The settings record. A file that is missing, or that holds no record, leads to the
    // first-run setup.
    int rc = rt::ds_FileOpen(MainSystemFile, rt::mode::ReadWriteDenyWrite);
    bool firstRun = false;
    if (rc == rt::err::FileNotFound) {
        firstRun = true;
    } else if (rc != 0) {
        std::string text = rt::errorText();
        rt::beep();
        rt::message("Error opening Main System File|Make sure all other Orvane applications are closed||Error: " + text,
                    "System Error", rt::Icon::Exclamation, rt::BUTTON_ABORT);
        return initResult_ = 1;
    } else {
        rt::clearRecord(dict::MainSystemFileDef, &MSY);
        MainSystemFile.setFileOrder();
        firstRun = MainSystemFile.next() != 0 && rt::errorCode() == rt::err::NoRecord;
        MainSystemFile.close();
    }
    if (firstRun) {
        createBackupDirectory();
        if (rc == rt::err::FileNotFound && MainSystemFile.create() != 0) {
            std::string text = rt::errorText();
            rt::beep();
            rt::message("Error opening Main System File|Make sure all other Orvane applications are closed||Error: " +
                            text,
                        "System Error", rt::Icon::Exclamation, rt::BUTTON_ABORT);
            return initResult_ = 1;
        }
        rt::runProcedure("NewUser");
    }

    if (MSY.USEPASSWORD == 1) {
        rt::runProcedure("FinalPassword");
        if (Glo.PasswordOK == 0)
            return initResult_ = 3;
    }

    rc = rt::ds_FileOpen(MainSystemFile, rt::mode::ReadWriteDenyWrite);
    if (rc == 0) {
        rt::clearRecord(dict::MainSystemFileDef, &MSY);
        MainSystemFile.setFileOrder();
        rc = MainSystemFile.next();
    }
    if (rc != 0) {
        rt::beep();
        rt::message("Error reading Main System File", "File Error", rt::Icon::Exclamation, rt::BUTTON_ABORT);
        if (MainSystemFile.isOpen())
            MainSystemFile.close();
        return initResult_ = 1;
    }
    MainSystemFile.close();
    primaryPath_ = MSY.PATHPRIMARYRESIDENCE;
    buildSharedFileNames();
    rt::runProcedure("VerifyHomeFiles");
    rt::runProcedure("VerifyStandardFiles");
    rt::iniStore().restoreWindow("Main", this);
    return initResult_ = 0;
}

void MainFrame::kill()
{
    if (killed_)
        return;
    killed_ = true;
    closeSplash();
    if (opened_)
        rt::iniStore().saveWindow("Main", this);
    // The reminder belongs to a run that got going: a refused password or a failed start
    // never backs up.
    if (initResult_ == 0 && MSY.REMINDBACKUP == 1)
        rt::runProcedure("BackupFiles");
}

void MainFrame::closeSplash()
{
    if (splash_)
        splash_->close();
    splash_ = nullptr;
}

void MainFrame::startSplash()
{
    if (!killed_ && initResult_ == 0 && !splash_)
        splash_ = showSplashWindow(this);
}

void MainFrame::closeEvent(QCloseEvent *event)
{
    closeSplash();
    mdi_->closeAllSubWindows();
    if (!mdi_->subWindowList().isEmpty()) {
        event->ignore();  // a window refused to close (its changes would be lost)
        return;
    }
    for (rt::WindowProcedure *w : rt::startedWindows())
        if (!w->requestClose()) {
            event->ignore();
            return;
        }
    event->accept();
    QTimer::singleShot(0, qApp, &QApplication::quit);
}

void Main()
{
    MainFrame frame;
    int level = frame.init();
    if (level == 0) {
        // The splash opens with the frame's event loop (its open-window event).
        QTimer::singleShot(0, &frame, &MainFrame::startSplash);
        qApp->exec();
    }
    frame.kill();
    rt::setResponse(level == 0 ? rt::RequestCompleted : rt::RequestCancelled);
}
