/*
 * calendar_weeks.cpp - ISO and Sunday-based week dates, week numbers under
 * schemes U, W and V, and the Actual/Actual day count (see
 * calendar_weeks.h).  Every conversion between day numbers and civil dates
 * goes through host/civil_days.h.
 */
#include "interval/calendar_weeks.h"

#include <cmath>
#include <utility>

#include "host/civil_days.h"
#include "host/missing_values.h"
#include "interval/day_math.h"

namespace {

/* Dates beyond this many days from day 0 are not split into civil dates
 * (far outside any calendar use, well inside the exact range of the
 * conversions). */
constexpr double kSplitLimit = 1099511627776.0; /* 2^40 */

bool splittable(double date) { return date >= -kSplitLimit && date <= kSplitLimit; }

int64_t firstOfYear(int64_t year) { return orvDaysFromCivil(year, 1, 1); }

/* Leap years among years 1 to y (y may be 0 or negative; the count then
 * runs backwards and is 0 or negative). */
int64_t leapYearsThrough(int64_t y)
{
    return zintFloorDiv(y, 4) - zintFloorDiv(y, 100) + zintFloorDiv(y, 400);
}

/* Days in leap years from 1 January of year 1 up to (not including) day,
 * relative: only differences of this function are meaningful. */
int64_t leapDaysBefore(int64_t day)
{
    const int64_t year = orvCivilFromDays(day).year;
    const int64_t inYear = orvIsLeapYear(year) ? day - firstOfYear(year) : 0;
    return 366 * leapYearsThrough(year - 1) + inYear;
}

bool validDate(int month, int day, int year)
{
    return month >= 1 && month <= 12 && day >= 1 && day <= orvDaysInMonth(year, month);
}

}  // namespace

constexpr std::array<int32_t, ZID_TABLED_YEARS> zidIsoYearStarts = [] {
    std::array<int32_t, ZID_TABLED_YEARS> starts{};
    for (size_t i = 0; i < ZID_TABLED_YEARS; ++i)
        starts[i] = int32_t(orvIsoWeekStart(ZID_FIRST_TABLED_YEAR + int64_t(i), 1));
    return starts;
}();

int64_t zidSundayYearStart(int64_t year)
{
    const int64_t january4 = orvDaysFromCivil(year, 1, 4);
    return january4 - zintDayOfWeek(january4);
}

int zidywdd(char scheme, double *year, double *week, double *day, double date)
{
    *year = -1;
    *week = -1;
    *day = -1;
    if (orvIsMissing(date) || !splittable(date)) return 0;
    const int64_t d = int64_t(std::floor(date));
    const int64_t calendarYear = orvCivilFromDays(d).year;
    const int64_t e = d - firstOfYear(calendarYear); /* 0 on 1 January */
    const int g = zintDayOfWeek(d) + 1;              /* 1 = Sunday */
    *year = double(calendarYear);
    switch (scheme) {
    case 'U':
        *week = double(e - (g - 1) + 7) / 7.0;
        *day = g;
        break;
    case 'W':
        *week = double(e - (g + 5) % 7 + 7) / 7.0;
        *day = g == 1 ? 7 : g - 1;
        break;
    case 'V': {
        const OrvIsoWeekDate iso = orvIsoWeekDate(d);
        *year = double(iso.year);
        *week = iso.week;
        *day = iso.day;
        break;
    }
    default:
        *day = double(zintFloorMod(e + 2, 7) + 1);
        break;
    }
    return 0;
}

double ziddywd(int year, int week, int day)
{
    return double(orvIsoWeekStart(year, week) + (int64_t(day) - 1));
}

double ziddywds(int year, int week, int day)
{
    if (week < 1 || week > 53 || day < 1 || day > 7) return orvMissing();
    const int64_t start = zidSundayYearStart(year);
    /* Week 53 exists only when the next week-year starts 53 weeks later. */
    if (week == 53 && zidSundayYearStart(int64_t(year) + 1) - start < 53 * 7) return orvMissing();
    return double(start + 7 * (week - 1) + (day - 1));
}

double zintyrse(int *year, double *next, double date)
{
    if (orvIsMissing(date) || !splittable(date)) {
        *next = orvMissing();
        return orvMissing();
    }
    const int64_t d = int64_t(std::floor(date));
    const int64_t y = orvCivilFromDays(d).year;
    const int64_t start = zidSundayYearStart(y);
    const int64_t following = zidSundayYearStart(y + 1);
    if (d < start) {
        *year = int(y - 1);
        *next = double(start);
        return double(zidSundayYearStart(y - 1));
    }
    if (d < following) {
        *year = int(y);
        *next = double(following);
        return double(start);
    }
    *year = int(y + 1);
    *next = double(zidSundayYearStart(y + 2));
    return double(following);
}

int zidywdds(int mode, int *year, int *week, int *day, double date)
{
    int y = -1;
    double next = 0;
    const double start = zintyrse(&y, &next, date);
    if (orvIsMissing(start)) {
        *year = *week = *day = -1;
        return 0;
    }
    const int64_t offset = int64_t(std::floor(date)) - int64_t(start); /* [0, 371) */
    int w = int(offset / 7) + 1;
    if (w > 52 && mode == 1) {
        ++y;
        w = 1;
    } else if (w > 52 && mode == 52) {
        w = 52;
    }
    *year = y;
    *week = w;
    *day = int(offset % 7) + 1;
    return 0;
}

double diff_actact(int month1, int day1, int year1, int month2, int day2, int year2, int64_t *days,
                   double *fraction)
{
    if (!validDate(month1, day1, year1) || !validDate(month2, day2, year2)) {
        *days = 0;
        *fraction = orvMissing();
        return orvMissing();
    }
    int64_t first = orvDaysFromCivil(year1, month1, day1);
    int64_t second = orvDaysFromCivil(year2, month2, day2);
    const double sign = first > second ? -1.0 : 1.0;
    if (first > second) std::swap(first, second);
    const int64_t leapDays = leapDaysBefore(second) - leapDaysBefore(first);
    const int64_t commonDays = (second - first) - leapDays;
    *days = int64_t(sign) * (leapDays + commonDays);
    *fraction = sign * (double(commonDays) / 365.0 + double(leapDays) / 366.0);
    return sign * double(leapDays) / 366.0;
}
