/*
 * calendar_text.h - the calendar pieces that the date formats write and the
 * date informats read: month and weekday names, ISO 8601 weeks, two-digit
 * years, and the split of a datetime into day and time of day.
 *
 * Exports: monthAbbreviation, monthName, weekdayName, findMonth,
 * findWeekday, isoWeekday, IsoWeek, isoWeekOf, isoWeekOneStart,
 * isoWeeksInYear, expandTwoDigitYear, splitDatetime.
 */
#ifndef ORV_PLATFORM_CALENDAR_TEXT_H
#define ORV_PLATFORM_CALENDAR_TEXT_H

#include <cstdint>
#include <string_view>

namespace orvhost {

/* "JAN" to "DEC" for month 1 to 12. REQUIRES: 1 <= month <= 12. */
std::string_view monthAbbreviation(int month);

/* "January" to "December". REQUIRES: 1 <= month <= 12. */
std::string_view monthName(int month);

/* "Monday" to "Sunday" for ISO weekday 1 to 7. REQUIRES: 1 <= weekday <= 7. */
std::string_view weekdayName(int isoWeekday);

/* The month (1 to 12) of a name, full or its first three letters, in any
 * case; 0 when it names no month. */
int findMonth(std::string_view name);

/* The ISO weekday (1 = Monday to 7 = Sunday) of a name, full or its first
 * three letters, in any case; 0 when it names no weekday. */
int findWeekday(std::string_view name);

/* ISO weekday of a day number: 1 = Monday to 7 = Sunday (day 0 is a Friday,
 * 5). */
int isoWeekday(int64_t day);

struct IsoWeek {
    int64_t year; /* the week-year, which can differ from the calendar year near 1 January */
    int week;     /* 1 to 53 */
    int weekday;  /* 1 = Monday to 7 = Sunday */
};

/* The ISO 8601 week date of a day number.  REQUIRES: |day| < 2^40. */
IsoWeek isoWeekOf(int64_t day);

/* The day number of the Monday that begins week 1 of an ISO week-year (the
 * week that holds 4 January).  REQUIRES: |year| < 2^30. */
int64_t isoWeekOneStart(int64_t year);

/* 52 or 53. REQUIRES: |year| < 2^30. */
int isoWeeksInYear(int64_t year);

/* A two-digit year (0 to 99) taken into the hundred years that begin with
 * cutoff: with cutoff 1926, 26 is 1926, 99 is 1999 and 25 is 2025. */
int64_t expandTwoDigitYear(int twoDigitYear, int cutoff);

/* A datetime's day and time of day into *dayOut and *secondsOut (seconds
 * in [0, 86400), fractions kept).  False for a missing datetime or one
 * whose day lies outside the host's range (the outputs are then
 * untouched). */
bool splitDatetime(double datetime, int64_t *dayOut, double *secondsOut);

}  // namespace orvhost

#endif
