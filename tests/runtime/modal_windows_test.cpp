// Windows a user meets over a modal window: the message box as it shows, with the program's own
// box handler installed, and the help asked for from a modal window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextLayout>
#include <QTextBrowser>
#include <QTimer>
#include <map>
#include <cstdlib>

#include "runtime/gui.h"
#include "runtime/help.h"
#include "runtime/message.h"

namespace {

struct Shown {
    QString text;     // the texts of the box's visible labels, joined
    QRect box, label; // the box on the screen, the text's label in the box
    int height = 0;   // the height the label's text needs at the label's width
};

// Shows the message in the real box and reads what it shows before pressing its first button.
Shown show(const std::string &message)
{
    Shown out;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QLabel *l : box->findChildren<QLabel *>())
            if (l->isVisible() && !l->text().isEmpty()) {
                out.text += l->text();
                out.label = l->geometry();
                out.height = l->heightForWidth(l->width());
            }
        out.box = box->frameGeometry();
        // ORVANE_SCREENSHOTS names a folder: the box as it shows, to be looked at.
        if (const char *folder = std::getenv("ORVANE_SCREENSHOTS"); folder && *folder) {
            static int n = 0;
            box->grab().save(QString(folder) + "/message_box_" + QString::number(++n) + ".png");
        }
        box->buttons().front()->click();
    });
    rt::message(message, "File Error", rt::Icon::Exclamation, rt::BUTTON_OK);
    return out;
}

}  // namespace

// Long names in message boxes were broken by zero-width spaces put after "/ . - _": a screen
// reader or a copy of the message got a path that was not the file's. The box shows the text
// as it is, the whole of it inside the box, however long a word.
TEST(MessageBoxes, NamesShownAsTheyAreAndWholeInTheBox)
{
    rt::MessageHandler before = rt::setMessageHandler({});
    rt::installMessageBoxes();
    std::string accents;
    for (int i = 0; i < 120; ++i)
        accents += "\xC3\xA9";
    const std::string path = "/home/kim/OrvaneProf/" + std::string(90, 'f') + "/client_folder-2026.d/qorven.tps";
    for (const std::string &message : {"Error opening " + path + ".|The file is not created empty.",
                                       "The word " + accents + " is long.", std::string("Short.")}) {
        const Shown s = show(message);
        EXPECT_EQ(s.text.toStdString(), rt::messageLines(message));
        const QRect screen = QApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(screen.contains(s.box) || s.box.width() <= screen.width()) << message;
        EXPECT_LE(s.label.right(), s.box.width()) << message;
        EXPECT_LE(s.height, s.label.height()) << message << ": the text is cut at the foot of its label";
    }
    rt::setMessageHandler(before);
}

// Help asked for from a modal window (a form's Help button, F1 in a picker) opened behind it,
// blocked: its page could be neither scrolled nor followed until the form was closed. And asked
// for from a window near the screen's corner, it reached past the screen's edge.
TEST(HelpWindow, HelpFromAModalWindowIsNotBlockedByItAndShowsWhole)
{
    // The last word the window system said of each window: blocked by a modal window or not.
    struct Blocking : QObject {
        std::map<QObject *, bool> blocked;
        bool eventFilter(QObject *o, QEvent *e) override
        {
            if (e->type() == QEvent::WindowBlocked || e->type() == QEvent::WindowUnblocked)
                blocked[o] = e->type() == QEvent::WindowBlocked;
            return false;
        }
    } blocking;
    qApp->installEventFilter(&blocking);
    QString page;
    bool blocked = true;
    QRect placed;
    auto *dialog = new QDialog;
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    dialog->setGeometry(screen.right() - 250, screen.bottom() - 150, 240, 120);
    auto read = [&] {
        rt::showHelp("~BACKUP");
        QApplication::processEvents();
        QWidget *help = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->windowTitle() == "Orvane Help" && w->isVisible())
                help = w;
        ASSERT_NE(help, nullptr);
        page = help->findChild<QTextBrowser *>()->source().fileName();
        blocked = blocking.blocked.count(help) && blocking.blocked[help];
        placed = help->geometry();
        help->close();
    };
    QTimer::singleShot(0, [&] {
        read();
        dialog->reject();
    });
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->exec();
    delete dialog;
    qApp->removeEventFilter(&blocking);
    EXPECT_EQ(page, "backup.html");
    EXPECT_FALSE(blocked);
    EXPECT_TRUE(screen.contains(placed)) << placed.x() << "," << placed.y() << " " << placed.width() << "x"
                                         << placed.height();
}
