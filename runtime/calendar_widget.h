// The month calendar of the date picker and the calendar window: the current date in the long
// form, previous/next buttons by year, month, week and day, a "today" button and the 6 x 7 day
// grid with the current day framed. A click on a day makes it the current date; the right mouse
// button asks the window to leave without a date.
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>

#include "runtime/calendar_month.h"

class QLabel;
class QAbstractButton;

namespace rt {

class CalendarWidget : public QWidget {
    Q_OBJECT
public:
    explicit CalendarWidget(QWidget *parent = nullptr);

    std::int32_t currentDate() const { return current_; }
    // Makes the date current and draws its month.
    void setCurrentDate(std::int32_t date);
    void step(CalendarStep step);
    void showToday();

    const CalendarMonth &month() const { return month_; }
    // The current date as the heading and the status text show it ("January 5, 1999").
    QString longDate() const;

    // The day grid and the rectangle of a cell (0..41) in the grid's coordinates; a press of the
    // left button inside a cell that holds a day selects that day.
    QWidget *grid() const { return grid_; }
    QRect cellRect(int cell) const;
    // The cell under a point of the grid, or -1 (also for the gaps between cells).
    int cellAt(const QPoint &gridPos) const;
    void clickAt(const QPoint &gridPos);

    static const char *const kDayHeading;

signals:
    // After every change of the current date, with the date's long form.
    void dateChanged(std::int32_t date, const QString &longDate);
    // The right mouse button was pressed over the calendar.
    void alerted();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void drawMonth();
    void markCell(int cell);
    QAbstractButton *stepButton(CalendarStep step, Qt::ArrowType arrow, const char *name, const char *tip);

    std::int32_t current_ = 0;
    CalendarMonth month_;
    QWidget *grid_ = nullptr;
    QLabel *dateLabel_ = nullptr;
};

}  // namespace rt
