// Windows a user can see: placements saved in a larger area come back inside the frame's area
// or the screen, and Tile and Cascade keep every window inside the frame's area.
#include <gtest/gtest.h>

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSet>

#include "core/clients.h"
#include "model/dictionary.h"
#include "model/globals.h"
#include "core/main_frame.h"
#include "model/managers.h"
#include "core/procedures.h"
#include "core/program.h"
#include "runtime/gui.h"
#include "runtime/ini_store.h"
#include "runtime/window.h"
#include "tests/support/gui_support.h"
#include "tests/support/program_support.h"
#include "tests/support/test_support.h"

using namespace rt;
using testing_support::ScriptedMessages;
using testing_support::TempHome;

namespace {

class Windows : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::startWithSettings(home);
        ASSERT_EQ(QORClients.create(), 0);
    }
    void TearDown() override { testing_support::stopProgram(); }
    static void place(const char *procedure, int x, int y, int w, int h)
    {
        const std::string section = procedure;
        iniStore().write(section, "Maximize", "0");
        iniStore().write(section, "XPos", std::to_string(x));
        iniStore().write(section, "YPos", std::to_string(y));
        iniStore().write(section, "Width", std::to_string(w));
        iniStore().write(section, "Height", std::to_string(h));
    }
    // Every sub-window wholly inside the visible part of the frame's area.
    static void expectAllInside(MainFrame &frame, const char *after)
    {
        const QRect view = frame.mdi()->viewport()->rect();
        ASSERT_FALSE(view.isEmpty());
        for (QMdiSubWindow *s : frame.mdi()->subWindowList()) {
            EXPECT_TRUE(view.contains(s->geometry()))
                << after << ": " << s->windowTitle().toStdString() << " at " << s->x() << "," << s->y() << " "
                << s->width() << "x" << s->height() << " in " << view.width() << "x" << view.height();
        }
    }
    TempHome home;
    ScriptedMessages box;
};

}  // namespace

TEST_F(Windows, PlacementsSavedOutsideComeBackFullyVisible)
{
    // The frame saved on a larger screen, the browse after a Tile in a taller area.
    place("Main", -2000, 3000, 4000, 3000);
    place("BrowseClients", -300, 1002, 5000, 300);
    MainFrame frame;
    ASSERT_EQ(frame.init(), 0);
    const QRect screen = frame.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(QRect(frame.pos(), frame.frameGeometry().size())))
        << frame.x() << "," << frame.y() << " " << frame.frameGeometry().width() << "x"
        << frame.frameGeometry().height();
    runProcedure("BrowseClients");
    ASSERT_EQ(frame.mdi()->subWindowList().size(), 1);
    QMdiSubWindow *browse = frame.mdi()->subWindowList().front();
    expectAllInside(frame, "restored");
    EXPECT_EQ(browse->width(), frame.mdi()->viewport()->width());  // shrunk to the area, no smaller
    EXPECT_EQ(browse->y() + browse->height(), frame.mdi()->viewport()->height());
    EXPECT_GE(browse->height(), std::min(browse->minimumSizeHint().height(), frame.mdi()->viewport()->height()));

    // A placement inside the area is kept as it was; one too small for the window's contents
    // grows to hold them.
    const QRect inside(QPoint(30, 20), browse->minimumSizeHint() + QSize(20, 10));
    browse->close();
    testing_support::pump(20);
    place("BrowseClients", inside.x(), inside.y(), inside.width(), inside.height());
    runProcedure("BrowseClients");
    browse = frame.mdi()->subWindowList().front();
    EXPECT_EQ(browse->geometry(), inside);
    browse->close();
    testing_support::pump(20);
    place("BrowseClients", 30, 20, 200, 100);
    runProcedure("BrowseClients");
    browse = frame.mdi()->subWindowList().front();
    EXPECT_EQ(browse->geometry(), QRect(QPoint(30, 20), browse->minimumSizeHint()));

    // A top-level window without a frame around it is kept on its screen.
    frame.close();
    frame.kill();
    setMdiArea(nullptr);
    place("AboutKelvara", 9000, -500, 20000, 20000);
    runProcedure("AboutKelvara");
    ASSERT_EQ(startedWindows().size(), 1);
    QWidget *about = startedWindows().front();
    EXPECT_TRUE(about->screen()->availableGeometry().contains(QRect(about->pos(), about->size())));
}

TEST_F(Windows, TileAndCascadeKeepEveryWindowInside)
{
    MainFrame frame;
    ASSERT_EQ(frame.init(), 0);
    for (const char *procedure : {"BrowseClients", "AboutKelvara", "CalendarWindow", "BrowseClients", "BrowseClients"})
        runProcedure(procedure);
    ASSERT_EQ(frame.mdi()->subWindowList().size(), 5);
    expectAllInside(frame, "opened");
    // Also in a frame so small that the windows cannot be as small as their cells.
    for (QSize size : {QSize(1000, 700), QSize(520, 380)}) {
        frame.resize(size);
        testing_support::pump(20);
        frame.action("Tile")->trigger();
        expectAllInside(frame, "Tile");
        frame.action("Cascade")->trigger();
        expectAllInside(frame, "Cascade");
    }
    // Tiled in a roomy area, each window has a place of its own.
    frame.resize(1300, 900);
    testing_support::pump(20);
    frame.action("Tile")->trigger();
    QSet<QPair<int, int>> corners;
    for (QMdiSubWindow *s : frame.mdi()->subWindowList())
        corners.insert({s->x(), s->y()});
    EXPECT_EQ(corners.size(), 5);
    frame.close();
    frame.kill();
}
