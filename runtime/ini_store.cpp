#include "runtime/ini_store.h"

#include <QWidget>

#include "runtime/window.h"

namespace rt {

IniStore &iniStore()
{
    static IniStore store;
    return store;
}

void IniStore::restoreWindow(const QString &procedure, QWidget *window) const
{
    if (path().empty() || !window)
        return;
    std::string section = procedure.toStdString();
    if (has(section, "XPos")) {
        int w = readInt(section, "Width"), h = readInt(section, "Height");
        if (w > 0 && h > 0)
            window->resize(w, h);
        window->move(readInt(section, "XPos"), readInt(section, "YPos"));
    }
    // A placement saved in a larger area, or on a screen that is gone, is brought back into view
    // before the window shows.
    keepVisible(window);
    if (has(section, "XPos") && readInt(section, "Maximize") == 1)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void IniStore::saveWindow(const QString &procedure, const QWidget *window)
{
    if (path().empty() || !window)
        return;
    std::string section = procedure.toStdString();
    bool max = window->isMaximized();
    QRect g = max ? window->normalGeometry() : QRect(window->pos(), window->size());
    if (!g.isValid())
        g = QRect(window->pos(), window->size());
    write(section, "Maximize", max ? "1" : "0");
    write(section, "XPos", std::to_string(g.x()));
    write(section, "YPos", std::to_string(g.y()));
    write(section, "Width", std::to_string(g.width()));
    write(section, "Height", std::to_string(g.height()));
}

}  // namespace rt
