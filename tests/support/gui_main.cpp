// The main of the GUI tests: one application object for all tests, offscreen unless a display
// platform was asked for.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdlib>
#include <unistd.h>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::string(platform) == "offscreen") {
        // The offscreen screen is a desktop's size, not the plugin's 800 by 600: windows are
        // kept inside the screen, and the tests' windows are sized for a desktop.
        const QString config = QDir::tempPath() + "/orvane-tests-screen-" + QString::number(::getpid()) + ".json";
        QFile f(config);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            f.write(R"({"screens": [{"name": "Desktop", "x": 0, "y": 0, "width": 1400, "height": 950,)"
                    R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
            f.close();
            ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit().constData(), 1);
        } else {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
    }
    QApplication app(argc, argv);
    QFile::remove(QDir::tempPath() + "/orvane-tests-screen-" + QString::number(::getpid()) + ".json");
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
