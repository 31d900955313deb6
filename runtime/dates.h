// Day-number dates and hundredth-of-a-second times, the counts stored in every date and time
// field (day 4 is 1 January 1801, day mod 7 = 0 is a Sunday, 0 is no date).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rt {

// The runtime's DATE(m, d, y): a day past the month's end runs into the next month, month 13
// into the next year, day 0 is the last day of the month before. Two-digit years are not
// widened here. Returns 0 when the result lies outside 1 January 1801 .. 31 December 9999.
std::int32_t makeDate(int month, int day, int year);

struct Civil {
    int year = 0, month = 0, day = 0;
};
// The calendar date of a day number; all zero for 0 or a negative day.
Civil civil(std::int32_t date);
int monthOf(std::int32_t date);
int dayOf(std::int32_t date);
int yearOf(std::int32_t date);
// 0 Sunday .. 6 Saturday.
int dayOfWeek(std::int32_t date);
int daysInMonth(int month, int year);
bool isLeapYear(int year);

// Today's date and the time now (hundredths of a second since midnight, plus 1).
std::int32_t today();
std::int32_t clockNow();

// Two-digit years: the year nearest to the current one, looking at most 20 years ahead.
int widenYear(int twoDigitYear, int currentYear);

extern const char *const monthNames[12];
extern const char *const dayNames[7];

}  // namespace rt
