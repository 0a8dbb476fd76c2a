/*
 * date_services.cpp - host routines of the date services (vectors 164 and
 * 40): building a day number from month, day and year, and taking a day
 * number or a datetime apart.
 *
 * Exports (namespace host_routines): zmdy, zmonth, zyear, zwekday, ztimprt,
 * ziddmdy, zidmdyd.
 *
 * Every routine works on the proleptic Gregorian calendar of
 * host/civil_days.h over the host's date range, day numbers -138061 to
 * 6589335 (1 January 1582 to 26 December 20000); a datetime lies in range
 * when its day, floor(seconds / 86400), does.  Anything else (a missing or
 * NaN argument, an infinity, a value outside the range, an impossible date)
 * gives the ordinary missing value.  Doubles are range-checked before they
 * are converted to integers, so no NaN or huge value is ever cast.
 */
#include <cmath>
#include <cstdint>

#include "host/civil_days.h"
#include "host/missing_values.h"
#include "platform/calendar_text.h"
#include "platform/date_range.h"
#include "platform/service_table.h"

namespace host_routines {

namespace {

using orvhost::kFirstDay;
using orvhost::kLastDay;

/* Status of zidmdyd for a date it cannot split. */
constexpr int kDateNotSplit = 1;

/* The civil date of a date value; fractions of a day belong to the day
 * they fall in.  False for a missing date or one outside the range. */
bool civilOf(double date, OrvCivilDate *civilOut)
{
    int64_t day = 0;
    if (!orvhost::dayInRange(date, &day)) return false;
    *civilOut = orvCivilFromDays(day);
    return true;
}

/* Day number of year-month-day, or missing when they do not form a date
 * of the host's range.  REQUIRES: the three are whole numbers already
 * checked to fit the bounds tested here (year within +-2^31). */
double dayNumber(int64_t year, int64_t month, int64_t day)
{
    if (month < 1 || month > 12 || day < 1 || day > orvDaysInMonth(year, int(month))) return orvMissing();
    const int64_t days = orvDaysFromCivil(year, int(month), int(day));
    if (days < kFirstDay || days > kLastDay) return orvMissing();
    return double(days);
}

}  // namespace

/*
 * Day number (days since 1 January 1960) of a date.
 * Inputs: month, day, year as doubles, each truncated toward zero (the
 * year as given: no two-digit-year expansion).
 * Returns the day number, or the ordinary missing value when an argument is
 * missing or infinite, the three do not form a date (month outside 1 to 12,
 * day outside its month, 29 February of a common year), or the date lies
 * outside 1 January 1582 to 26 December 20000.
 */
double zmdy(double month, double day, double year)
{
    const double m = std::trunc(month);
    const double d = std::trunc(day);
    const double y = std::trunc(year);
    /* Loose bounds first, so that the integer conversions below are safe;
     * dayNumber applies the exact ones. */
    if (!(m >= 1 && m <= 12) || !(d >= 1 && d <= 31) || !(y >= -2147483648.0 && y <= 2147483647.0))
        return orvMissing();
    return dayNumber(int64_t(y), int64_t(m), int64_t(d));
}

/*
 * Month (1 to 12) of a date; the ordinary missing value for a missing date
 * or one outside the host's range.
 */
double zmonth(double date)
{
    OrvCivilDate civil{};
    if (!civilOf(date, &civil)) return orvMissing();
    return double(civil.month);
}

/*
 * Calendar year of a date; the ordinary missing value for a missing date
 * or one outside the host's range.
 */
double zyear(double date)
{
    OrvCivilDate civil{};
    if (!civilOf(date, &civil)) return orvMissing();
    return double(civil.year);
}

/*
 * Weekday of a date, 1 = Sunday to 7 = Saturday (day 0, 1 January 1960,
 * is a Friday: 6); the ordinary missing value for a missing date or one
 * outside the host's range.
 */
double zwekday(double date)
{
    int64_t day = 0;
    if (!orvhost::dayInRange(date, &day)) return orvMissing();
    /* Day 0 is weekday index 5 counting from Sunday = 0. */
    return double((day + 5 - orvFloorDiv(day + 5, 7) * 7) + 1);
}

/*
 * Time of day of a datetime (seconds since midnight of 1 January 1960), in
 * seconds since its midnight: always in [0, 86400), also for datetimes
 * before 1960, and keeping fractions of a second.
 * Returns the ordinary missing value for a missing datetime or one whose
 * day lies outside the host's range.
 */
double ztimprt(double datetime)
{
    int64_t day = 0;
    double seconds = 0;
    if (!orvhost::splitDatetime(datetime, &day, &seconds)) return orvMissing();
    return seconds;
}

/*
 * Day number from month, day and year given as integers (the year as
 * given).  Returns the day number, or the ordinary missing value when they
 * do not form a date or the date lies outside the host's range.
 */
double ziddmdy(int month, int day, int year)
{
    return dayNumber(year, month, day);
}

/*
 * Splits a date into month (1 to 12), day of month and year.
 * Returns 0 with the three stored, or 1 (kDateNotSplit) for a missing date
 * or one outside the host's range; the three outputs are then set to 0.
 * REQUIRES: the three output pointers are valid.
 */
int zidmdyd(int *monthOut, int *dayOut, int *yearOut, double date)
{
    OrvCivilDate civil{};
    if (!civilOf(date, &civil)) {
        *monthOut = 0;
        *dayOut = 0;
        *yearOut = 0;
        return kDateNotSplit;
    }
    *monthOut = civil.month;
    *dayOut = civil.day;
    *yearOut = int(civil.year); /* at most 20000 */
    return 0;
}

}  // namespace host_routines
