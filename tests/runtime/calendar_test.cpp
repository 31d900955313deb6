#include <gtest/gtest.h>

#include "runtime/calendar_month.h"
#include "runtime/dates.h"

using namespace rt;

namespace {

std::int32_t step(int m, int d, int y, CalendarStep s) { return stepDate(makeDate(m, d, y), s); }

}  // namespace

TEST(CalendarStepping, MonthAndYearStepsKeepTheDayAndRollOver)
{
    // February has no 31st: the runtime's DATE counts on into March.
    EXPECT_EQ(step(1, 31, 2001, CalendarStep::NextMonth), makeDate(3, 3, 2001));
    EXPECT_EQ(step(1, 31, 2000, CalendarStep::NextMonth), makeDate(3, 2, 2000));
    // The month wraps into the neighbouring year.
    EXPECT_EQ(step(12, 15, 1999, CalendarStep::NextMonth), makeDate(1, 15, 2000));
    EXPECT_EQ(step(1, 15, 2000, CalendarStep::PreviousMonth), makeDate(12, 15, 1999));
    // 29 February a year on is 1 March; a year back as well.
    EXPECT_EQ(step(2, 29, 2004, CalendarStep::NextYear), makeDate(3, 1, 2005));
    EXPECT_EQ(step(2, 29, 2004, CalendarStep::PreviousYear), makeDate(3, 1, 2003));
}

TEST(CalendarStepping, DayAndWeekStepsCrossMonthsAndStayInRange)
{
    EXPECT_EQ(step(12, 31, 1999, CalendarStep::NextDay), makeDate(1, 1, 2000));
    EXPECT_EQ(step(3, 1, 2000, CalendarStep::PreviousDay), makeDate(2, 29, 2000));
    EXPECT_EQ(step(2, 26, 2001, CalendarStep::NextWeek), makeDate(3, 5, 2001));
    EXPECT_EQ(step(1, 3, 2001, CalendarStep::PreviousWeek), makeDate(12, 27, 2000));
    // The ends of the runtime's dates stay put instead of turning into "no date".
    EXPECT_EQ(step(1, 1, 1801, CalendarStep::PreviousDay), makeDate(1, 1, 1801));
    EXPECT_EQ(step(12, 31, 9999, CalendarStep::NextMonth), makeDate(12, 31, 9999));
    EXPECT_EQ(step(12, 15, 9999, CalendarStep::NextYear), makeDate(12, 15, 9999));
}

TEST(CalendarGrid, FirstColumnMatchesKnownWeekdays)
{
    struct Known {
        int m, y, column;  // 1 Sunday .. 7 Saturday
    };
    for (Known k : {Known{1, 1801, 5},    // Thursday, the first day of the runtime's dates
                    Known{1, 2000, 7},    // Saturday
                    Known{9, 2001, 7},    // Saturday
                    Known{2, 2015, 1},    // Sunday
                    Known{7, 1969, 3},    // Tuesday
                    Known{12, 9999, 4}})  // Wednesday
        EXPECT_EQ(calendarMonth(makeDate(k.m, 1, k.y)).firstColumn, k.column) << k.m << "/" << k.y;
}

TEST(CalendarGrid, CellsHoldTheDaysAfterBlanks)
{
    // August 2020 starts on a Saturday and needs all six rows.
    CalendarMonth aug = calendarMonth(makeDate(8, 20, 2020));
    EXPECT_EQ(aug.month, 8);
    EXPECT_EQ(aug.year, 2020);
    EXPECT_EQ(aug.firstColumn, 7);
    EXPECT_EQ(aug.rowsUsed(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(aug.cells[i], 0);
    EXPECT_EQ(aug.cells[6], 1);
    EXPECT_EQ(aug.cells[36], 31);
    for (int i = 37; i < kCalendarCells; ++i)
        EXPECT_EQ(aug.cells[i], 0);
    EXPECT_EQ(aug.cells[aug.selectedCell], 20);
    EXPECT_EQ(cellDate(aug, 0), makeDate(8, 1, 2020));  // a blank cell counts as the 1st
    // A February of 28 days starting on a Sunday fills exactly four rows.
    CalendarMonth feb = calendarMonth(makeDate(2, 28, 2015));
    EXPECT_EQ(feb.rowsUsed(), 4);
    EXPECT_EQ(feb.selectedCell, 27);
    // December ends the year without running into the next one.
    CalendarMonth dec = calendarMonth(makeDate(12, 1, 1999));
    EXPECT_EQ(dec.lastDay, makeDate(12, 31, 1999));
    EXPECT_EQ(dec.selectedCell, dec.firstColumn - 1);
    EXPECT_EQ(calendarMonth(0).rowsUsed(), 0);  // no date, no month
}
