/*
 * date_range.h - the host's date range, shared by the date services and the
 * date formats and informats.
 *
 * Day numbers count days since 1 January 1960.  The host handles the days
 * kFirstDay to kLastDay, 1 January 1582 to 26 December 20000 of the
 * proleptic Gregorian calendar; a datetime (seconds since midnight of day
 * 0) is in range when its day, floor(seconds / 86400), is.
 *
 * Exports: kFirstDay, kLastDay, kSecondsPerDay, dayInRange.
 */
#ifndef ORV_PLATFORM_DATE_RANGE_H
#define ORV_PLATFORM_DATE_RANGE_H

#include <cmath>
#include <cstdint>

namespace orvhost {

constexpr int64_t kFirstDay = -138061; /* 1 January 1582 */
constexpr int64_t kLastDay = 6589335;  /* 26 December 20000 */
constexpr double kSecondsPerDay = 86400.0;

/* The day a date value falls in (floor, so -0.5 is day -1) into *dayOut.
 * False, and *dayOut untouched, for a missing or infinite value or a day
 * outside kFirstDay to kLastDay; the range is checked on the double before
 * any conversion. */
inline bool dayInRange(double date, int64_t *dayOut)
{
    const double day = std::floor(date);
    if (!(day >= double(kFirstDay) && day <= double(kLastDay))) return false;
    *dayOut = int64_t(day);
    return true;
}

}  // namespace orvhost

#endif
