// The program's images (drawn, not loaded: the program carries no image files) and the
// splash and About windows.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

class QWidget;

QIcon programIcon();
QIcon toolbarIcon(const QString &name);
// The large brand logo and the maker's logo.
QPixmap brandLogo();
QPixmap makerLogo();

// Opens the splash over the frame and returns it; it closes itself on a click, when it loses the
// focus, or after 6 seconds.
QWidget *showSplashWindow(QWidget *frame);
// The splash's timer in milliseconds (tests shorten it).
void setSplashTimeout(int ms);
