#include "runtime/calendar_month.h"

#include "runtime/dates.h"

namespace rt {

namespace {

bool inRange(std::int64_t date)
{
    static const std::int32_t first = makeDate(1, 1, 1801);
    static const std::int32_t last = makeDate(12, 31, 9999);
    return date >= first && date <= last;
}

}  // namespace

int CalendarMonth::rowsUsed() const
{
    int rows = 0;
    for (int i = 0; i < kCalendarCells; ++i)
        if (cells[static_cast<std::size_t>(i)] > 0)
            rows = i / kCalendarColumns + 1;
    return rows;
}

CalendarMonth calendarMonth(std::int32_t current)
{
    CalendarMonth m;
    if (!inRange(current))
        return m;
    Civil c = civil(current);
    m.month = c.month;
    m.year = c.year;
    m.firstDay = makeDate(m.month, 1, m.year);
    m.firstColumn = dayOfWeek(m.firstDay) + 1;
    // The day before the next month's 1st; counted from the month's length so that December
    // of the last representable year has an end too.
    m.lastDay = m.firstDay + daysInMonth(m.month, m.year) - 1;
    int counter = 0;
    const int filled = (m.lastDay - m.firstDay) + m.firstColumn;
    for (int i = 1; i <= filled; ++i)
        if (i >= m.firstColumn)
            m.cells[static_cast<std::size_t>(i - 1)] = ++counter;
    m.selectedCell = c.day + m.firstColumn - 2;
    return m;
}

std::int32_t cellDate(const CalendarMonth &m, int cell)
{
    if (m.month == 0 || cell < 0 || cell >= kCalendarCells)
        return 0;
    int day = m.cells[static_cast<std::size_t>(cell)];
    return makeDate(m.month, day > 0 ? day : 1, m.year);
}

std::int32_t stepDate(std::int32_t current, CalendarStep step)
{
    if (!inRange(current))
        return current;
    std::int64_t next = current;
    Civil c = civil(current);
    int month = c.month, year = c.year;
    bool byMonth = false;
    switch (step) {
    case CalendarStep::PreviousDay: next = current - 1; break;
    case CalendarStep::NextDay: next = current + 1; break;
    case CalendarStep::PreviousWeek: next = current - 7; break;
    case CalendarStep::NextWeek: next = current + 7; break;
    case CalendarStep::PreviousMonth: --month; byMonth = true; break;
    case CalendarStep::NextMonth: ++month; byMonth = true; break;
    case CalendarStep::PreviousYear: --year; byMonth = true; break;
    case CalendarStep::NextYear: ++year; byMonth = true; break;
    }
    if (byMonth) {
        if (month > 12) {
            month = 1;
            ++year;
        } else if (month < 1) {
            month = 12;
            --year;
        }
        next = makeDate(month, c.day, year);
    }
    return inRange(next) ? static_cast<std::int32_t>(next) : current;
}

}  // namespace rt
