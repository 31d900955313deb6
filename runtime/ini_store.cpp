#include "runtime/ini_store.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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
    if (!has(section, "XPos"))
        return;
    int x = readInt(section, "XPos"), y = readInt(section, "YPos");
    int w = readInt(section, "Width"), h = readInt(section, "Height");
    if (w > 0 && h > 0)
        window->resize(w, h);
    // A position saved on a screen that is gone would put the window out of reach.
    QPoint pos(x, y);
    if (window->isWindow()) {
        bool visible = false;
        for (QScreen *s : QGuiApplication::screens())
            if (s->availableGeometry().intersects(QRect(pos, window->size())))
                visible = true;
        if (!visible)
            pos = QPoint(0, 0);
    } else if (x < 0 || y < 0) {
        pos = QPoint(0, 0);
    }
    window->move(pos);
    if (readInt(section, "Maximize") == 1)
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
