// The small windows both programs show alike: the calendar (as the toolbar's window, or as the
// date picker beside a date field) and About, each given what differs between the programs.
#pragma once

#include <QPixmap>
#include <QString>
#include <cstdint>
#include <functional>

#include "runtime/window.h"

namespace rt {

class CalendarWidget;

class CalendarWindowProcedure : public WindowProcedure {
public:
    // A picker offers "Select", which hands the chosen day number to `picked`; the window offers
    // only "Exit".
    CalendarWindowProcedure(bool picker, QWidget *parent = nullptr, std::function<void(std::int32_t)> picked = {});
    int init() override;

protected:
    // The right mouse button anywhere in the window leaves it without a date.
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool picker_;
    std::function<void(std::int32_t)> picked_;
    CalendarWidget *calendar_ = nullptr;
};

class AboutWindowProcedure : public WindowProcedure {
public:
    AboutWindowProcedure(QPixmap logo, QString productLine);
    int init() override;

private:
    QPixmap logo_;
    QString productLine_;
};

}  // namespace rt
