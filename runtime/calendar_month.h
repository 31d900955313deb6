// The month calendar shared by the date picker and the calendar window: the 6 x 7 grid of a
// month and the stepping of the current date by day, week, month and year. Plain date
// arithmetic, no widgets.
#pragma once

#include <array>
#include <cstdint>

namespace rt {

inline constexpr int kCalendarCells = 42;
inline constexpr int kCalendarColumns = 7;

// One month laid out in 42 cells, row by row from the top left, Sunday first.
struct CalendarMonth {
    int month = 0;  // 1..12
    int year = 0;
    int firstColumn = 0;  // column of the 1st: 1 Sunday .. 7 Saturday
    std::int32_t firstDay = 0, lastDay = 0;
    std::array<int, kCalendarCells> cells{};  // day of the month, 0 for a blank cell
    int selectedCell = 0;                     // index (0..41) of the current date's cell

    // The rows that hold at least one day (4 to 6).
    int rowsUsed() const;
};

// The month of a date with that date's cell selected. An invalid date gives an empty month.
CalendarMonth calendarMonth(std::int32_t current);

// The date that a cell stands for: its day in the month of the grid. A blank cell counts as
// day 1, as the runtime's number of a blank string is 0 and the marking makes it the 1st.
std::int32_t cellDate(const CalendarMonth &m, int cell);

enum class CalendarStep {
    PreviousDay,
    NextDay,
    PreviousWeek,
    NextWeek,
    PreviousMonth,
    NextMonth,
    PreviousYear,
    NextYear,
};

// The current date after one step. Month and year steps keep the day of the month and let the
// runtime's DATE roll a day past the month's end into the next month (31 January plus a month is
// 3 March, or 2 March in a leap year). A step that would leave the runtime's date range keeps
// the date as it is.
std::int32_t stepDate(std::int32_t current, CalendarStep step);

}  // namespace rt
