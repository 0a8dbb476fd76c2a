/*
 * calendar_text.h - the calendar pieces that the date formats write and the
 * date informats read: month and weekday names, two-digit years, and the
 * split of a datetime into day and time of day.  ISO 8601 week dates are
 * host/iso_weeks.h's, shared with the modules.
 *
 * Exports: monthAbbreviation, monthName, weekdayName, findMonth,
 * findWeekday, expandTwoDigitYear, splitDatetime.
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
