// The professional program's frame: the start-up road (running copy, settings record, first
// run, password, shared file names, seeding), the menus and toolbar through which every window
// is reached, and the close that saves the position and reminds of the backup.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <string>

#include "runtime/values.h"

class QAction;
class QMdiArea;
class QMenu;
class QToolBar;

extern const char *const kFrameTitle;

class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    MainFrame();
    ~MainFrame() override;

    // The start-up road: 0 go on, 1 stop, 3 stop after a refused password.
    int init();
    // The close: position saved, backup reminder. Runs after every init.
    void kill();

    void enableClientControls();
    void buildSharedFileNames();
    void createBackupDirectory();

    QMdiArea *mdi() const { return mdi_; }
    // Every action of the menus and toolbar with the procedure it runs (empty for standard ones).
    QList<QAction *> dispatchActions() const;
    QString procedureOf(QAction *a) const { return procedures_.value(a); }
    // The six controls that need an active client.
    QList<QAction *> clientControls() const { return clientControls_; }
    QAction *action(const QString &name) const;
    QWidget *splash() const { return splash_; }
    void startSplash();
    QLabel *activeClientLabel() const { return activeClient_; }
    void refreshActiveClient();
    int initResult() const { return initResult_; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildToolbar();
    QAction *addProcedure(QMenu *menu, const QString &text, const std::string &procedure, const QString &tip = {});
    void runFromFrame(const std::string &procedure);
    void closeSplash();

    QMdiArea *mdi_ = nullptr;
    QToolBar *toolbar_ = nullptr;
    QLabel *activeClient_ = nullptr;
    QMenu *reportsSubmenu_ = nullptr;
    QList<QAction *> clientControls_;
    QMap<QAction *, QString> procedures_;
    QMap<QString, QAction *> byName_;
    QPointer<QWidget> splash_;
    rt::FixedString<60> primaryPath_;
    bool opened_ = false;
    bool killed_ = false;
    int initResult_ = 0;
};

// Non-zero when a copy of the program with this frame title is already running.
int CheckSingleInstance(const std::string &title);

// The frame procedure: Init, the program's event loop only when Init returned 0, Kill.
void Main();
// The frame while it runs (nullptr otherwise).
MainFrame *mainFrame();
