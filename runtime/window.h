// Window procedures: every window of the programs runs Init, then its event loop only when Init
// returned 0, then Kill in every case. A procedure called on its caller's thread is a modal
// dialog; one started on a thread of its own is a child window of the frame.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>

#include <vector>

class QAction;
class QBoxLayout;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QMdiArea;
class QMdiSubWindow;

namespace rt {

class RelationManager;

enum Request : int { InsertRecord = 1, ChangeRecord = 2, DeleteRecord = 3, SelectRecord = 4 };
enum Response : int { RequestCompleted = 1, RequestCancelled = 2 };

class WindowProcedure : public QDialog {
    Q_OBJECT
public:
    explicit WindowProcedure(const QString &procedureName, QWidget *parent = nullptr);
    ~WindowProcedure() override;

    // The life cycle. init returns a level: 0 opens the window, anything else ends the procedure.
    virtual int init() { return 0; }
    virtual void kill();

    // Run on the caller's thread: modal. Returns the response.
    int run();
    // Start as a child window of the frame (or a top-level window when there is no frame).
    // The object deletes itself when it closes.
    void start();

    const QString &procedureName() const { return procedureName_; }
    void setHelpContext(const QString &context) { helpContext_ = context; }
    const QString &helpContext() const { return helpContext_; }
    // True once the window was opened: only then Kill saves its position.
    bool windowOpened() const { return opened_; }
    // Windows without a position of their own (splash, date picker, calendar).
    void setKeepsPosition(bool keep) { keepsPosition_ = keep; }
    // The window as the user sees it: the sub-window inside the frame, or this dialog.
    QWidget *outerWindow() const;
    bool isStarted() const { return started_; }
    // True once Kill ran: the window's files may be gone, though the widget lingers.
    bool isKilled() const { return killed_; }

    int request = 0;
    int response = RequestCancelled;

    // Ends the event loop with this response.
    void finish(int resp);
    // Opens record files through their relation managers, in order, stopping at the first that
    // fails (its level is returned); Kill closes every one opened here again.
    int openFiles(const std::vector<RelationManager *> &managers);

    // A row at the foot of a layout with a button that closes the window and a Help button.
    // The close button and Help at the bottom right; `helpFirst` puts Help left of it, `first`
    // (an OK button) stands before both.
    void addCloseAndHelp(QBoxLayout *layout, const QString &closeText, bool helpFirst = false,
                         QPushButton *first = nullptr);
    // Asks to close as the close box would; false when the window refused (it stays open).
    bool requestClose();

signals:
    void procedureEnded(int response);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Called for the close box and Escape: return false to keep the window open.
    virtual bool canClose() { return true; }
    void done(int r) override;

private:
    void ended();
    QString procedureName_;
    QString helpContext_;
    bool opened_ = false;
    bool killed_ = false;
    bool started_ = false;
    bool keepsPosition_ = true;
    QPointer<QMdiSubWindow> sub_;
    std::vector<RelationManager *> openedFiles_;
};

// The frame's area for child windows; nullptr when no frame runs (tests of single windows).
void setMdiArea(QMdiArea *area);
QMdiArea *mdiArea();
// Close every child window but `except` ("close every other thread's window"); true when each
// one really closed.
bool closeOtherWindows(QWidget *except);
// The started windows still open.
QList<WindowProcedure *> startedWindows();

// Windows a user can see. The visible area of a window: the viewport of the frame's area for a
// sub-window (empty while that area is not shown), the available geometry of its screen for a
// top-level window.
QRect visibleArea(const QWidget *window);
// `geometry` shrunk to `area` when larger (never below `minimum`) and moved inside it.
QRect fitInside(const QRect &geometry, const QRect &area, const QSize &minimum = {});
// Brings a window into its visible area. A top-level window that nobody placed yet is only
// shrunk: where it opens is the window system's choice.
void keepVisible(QWidget *window);
// Makes a window at least wide enough for its whole title beside the title bar's buttons.
void fitTitle(QWidget *window);
// The width the window's title bar needs for its whole title beside its icon and buttons.
int titleWidth(const QWidget *window);
// The framed area a picture of an item or receipt is shown in, of the picture box's size at
// `unit` pixels a window unit whether or not a picture shows; `display`, centred in it and
// hidden until a picture is put in, is named "<field> picture".
QFrame *pictureArea(double unit, const QString &field, QLabel *&display);
// Window > Tile and Cascade, inside the visible part of the frame's area.
void tileWindows(QMdiArea *area);
// A new sub-window that would open exactly over another steps down and right from it, as a
// cascade does, so that the one below still shows.
void cascadeFromOthers(QMdiArea *area, QMdiSubWindow *window);
void cascadeWindows(QMdiArea *area);
// Window > Arrange Icons: minimised windows lined up along the bottom of the area.
void arrangeIcons(QMdiArea *area);

// How a frame adds an entry to its menus: its status tip, its name, what it does first.
using AddMenuEntry = std::function<QAction *(QMenu *, const QString &text, const QString &tip, std::function<void()>)>;
// The frames' Window and Help menus, the same in both programs; returns the Help menu, after
// its separator, for the program's own About entry.
QMenu *addWindowAndHelpMenus(QMenuBar *bar, QMdiArea *mdi, const AddMenuEntry &add);

// The owner for a modal window: the active window, unless it is on its way out (hidden, as a
// window that has ended is until its deferred deletion takes it and its children along).
QWidget *modalParent();
// Runs a modal window made with new and deletes it once it has run. Its parent may still go
// while it runs and take the window along: the response is then RequestCancelled.
int runModal(WindowProcedure *window);

}  // namespace rt
