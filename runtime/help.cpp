#include "runtime/help.h"

#include "runtime/message.h"
#include "runtime/window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

namespace rt {

namespace {
QString &folder()
{
    static QString f;
    return f;
}
std::function<void(const QString &)> &helpObserver()
{
    static std::function<void(const QString &)> o;
    return o;
}
std::function<void(const QString &)> &webObserver()
{
    static std::function<void(const QString &)> o;
    return o;
}

// A small help window: the page, a search field, and back/contents buttons.
class HelpWindow : public QWidget {
public:
    explicit HelpWindow(QWidget *owner) : QWidget(owner, Qt::Window)
    {
        setObjectName("HelpWindow");
        setWindowTitle("Orvane Help");
        setAttribute(Qt::WA_DeleteOnClose);
        auto *layout = new QVBoxLayout(this);
        auto *bar = new QHBoxLayout;
        auto *contents = new QPushButton("&Contents");
        auto *back = new QPushButton("&Back");
        search_ = new QLineEdit;
        search_->setPlaceholderText("Search for help on...");
        bar->addWidget(contents);
        bar->addWidget(back);
        bar->addWidget(search_, 1);
        layout->addLayout(bar);
        browser_ = new QTextBrowser;
        browser_->setSearchPaths({helpFolder()});
        layout->addWidget(browser_);
        resize(640, 520);
        connect(contents, &QPushButton::clicked, this, [this] { showPage(helpPage(QString())); });
        connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
        connect(search_, &QLineEdit::returnPressed, this, [this] {
            if (!browser_->find(search_->text())) {
                browser_->moveCursor(QTextCursor::Start);
                browser_->find(search_->text());
            }
        });
    }
    void showPage(const QString &page) { browser_->setSource(QUrl::fromLocalFile(page)); }

private:
    QTextBrowser *browser_;
    QLineEdit *search_;
};

QPointer<HelpWindow> &window()
{
    static QPointer<HelpWindow> w;
    return w;
}
}  // namespace

QString helpFolder()
{
    if (!folder().isEmpty())
        return folder();
    QString beside = QCoreApplication::applicationDirPath() + "/help";
    if (QFileInfo(beside + "/index.html").exists())
        return beside;
    return QString(ORVANE_SOURCE_HELP);
}

void setHelpFolder(const QString &f) { folder() = f; }

QString helpPage(const QString &context)
{
    QString name = context;
    if (name.startsWith('~'))
        name.remove(0, 1);
    name = name.toLower();
    if (name.isEmpty())
        name = "index";
    QString page = helpFolder() + "/" + name + ".html";
    // Only a page that reads: a pipe or a folder under a page's name would leave the help
    // window waiting or blank.
    const QFileInfo info(page);
    if (!info.isFile() || !info.isReadable())
        page = helpFolder() + "/index.html";
    return page;
}

void showHelp(const QString &context)
{
    if (helpObserver()) {
        helpObserver()(context);
        return;
    }
    // A modal window blocks every window but its own: help asked for while one is open belongs
    // to it, so that its page can be scrolled and its links followed while the window waits.
    QWidget *modal = QApplication::activeModalWidget();
    if (window() && window()->parentWidget() != modal)
        delete window().data();
    if (!window()) {
        window() = new HelpWindow(modal);
        // Placed over the window that asked, whole on its screen: left to the window manager, it
        // can open under the pointer and reach past the screen's edge.
        QWidget *asking = modal ? modal : QApplication::activeWindow();
        const QRect area = visibleArea(asking ? asking : window().data());
        const QSize frame(8, window()->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
        QRect place(QPoint(), window()->size() + frame);
        place.moveCenter(asking ? asking->frameGeometry().center() : area.center());
        if (!area.isEmpty())
            place = fitInside(place, area);
        window()->resize(place.size() - frame);
        window()->move(place.topLeft());
    }
    window()->showPage(helpPage(context));
    window()->show();
    window()->raise();
    window()->activateWindow();
}

void setHelpObserver(std::function<void(const QString &)> o) { helpObserver() = std::move(o); }

void openWebPage(const QString &address)
{
    if (webObserver()) {
        webObserver()(address);
        return;
    }
    const QString page = address.left(255);
    // Without a browser the desktop's opener fails out of sight: the user is told, with the
    // address to type elsewhere.
    if (!webBrowserFound() || !QDesktopServices::openUrl(QUrl(page)))
        message("No web browser was found to show the page:|" + page.toStdString(), "Web Page", Icon::Exclamation,
                BUTTON_OK);
}

bool webBrowserFound()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (!qEnvironmentVariableIsEmpty("BROWSER"))
        return true;
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return false;
    for (const char *browser : {"x-www-browser", "gnome-www-browser", "www-browser", "firefox", "firefox-esr",
                                "chromium", "chromium-browser", "google-chrome", "epiphany", "konqueror", "falkon"})
        if (!QStandardPaths::findExecutable(QString::fromLatin1(browser)).isEmpty())
            return true;
    return false;
#else
    return true;
#endif
}

void setWebObserver(std::function<void(const QString &)> o) { webObserver() = std::move(o); }

}  // namespace rt
