// marlotte, the client edition: runs from the folder it was handed and only reads it.
#include <QApplication>
#include <cstdlib>

#include "client/client.h"
#include "runtime/gui.h"
#include "runtime/message.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("marlotte");
    QApplication::setQuitOnLastWindowClosed(false);
    rt::installMessageBoxes();
    rt::setHaltHandler([](const std::string &text) {
        if (!text.empty())
            rt::message(text, "marlotte", rt::Icon::Hand);
        std::exit(1);
    });
    client::ProgramMain();
    return 0;
}
