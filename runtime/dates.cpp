#include "runtime/dates.h"

#include <chrono>
#include <ctime>

namespace rt {

const char *const monthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
const char *const dayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

namespace {

// Days since 1 January 1970 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

Civil civilFromDays(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return Civil{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

const std::int64_t kEpoch = daysFromCivil(1801, 1, 1) - 4;  // day number 0
const std::int32_t kLastDay = static_cast<std::int32_t>(daysFromCivil(9999, 12, 31) - kEpoch);

}  // namespace

std::int32_t makeDate(int month, int day, int year)
{
    // Normalise the month first, so that month 13 is January of the next year and month 0
    // December of the year before; the day then counts from the first of that month.
    std::int64_t m0 = static_cast<std::int64_t>(month) - 1;
    std::int64_t y = year + (m0 >= 0 ? m0 / 12 : -((-m0 + 11) / 12));
    std::int64_t m = ((m0 % 12) + 12) % 12 + 1;
    if (y < 1700 || y > 10000)
        return 0;
    std::int64_t n = daysFromCivil(y, static_cast<unsigned>(m), 1) + day - 1 - kEpoch;
    if (n < 4 || n > kLastDay)
        return 0;
    return static_cast<std::int32_t>(n);
}

Civil civil(std::int32_t date)
{
    if (date <= 0)
        return Civil{};
    return civilFromDays(date + kEpoch);
}

int monthOf(std::int32_t date) { return civil(date).month; }
int dayOf(std::int32_t date) { return civil(date).day; }
int yearOf(std::int32_t date) { return civil(date).year; }
int dayOfWeek(std::int32_t date) { return ((date % 7) + 7) % 7; }

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int month, int year)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

std::int32_t today()
{
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return makeDate(tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900);
}

std::int32_t clockNow()
{
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return (tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec) * 100 + static_cast<int>(ms / 10) + 1;
}

int widenYear(int yy, int currentYear)
{
    int century = currentYear - currentYear % 100;
    int y = century + yy;
    if (y > currentYear + 20)
        y -= 100;
    else if (y < currentYear - 79)
        y += 100;
    return y;
}

}  // namespace rt
