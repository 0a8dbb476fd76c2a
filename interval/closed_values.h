/*
 * closed_values.h - the values and step counts the closed forms of INTNX
 * and INTCK (unit_steps.h, week_year_steps.h) accept, and the small
 * conversions between values and days they share.
 *
 * Exports: ZINT_CLOSED_NUDGE, ZINT_CLOSED_MOST_STEPS,
 * ZINT_CLOSED_SECONDS_LIMIT, zintFloorOf, zintClosedWhole, zintClosedDay,
 * zintClosedSteps, zintDayValue, zintTimeOfDay.
 */
#ifndef ORV_INTERVAL_CLOSED_VALUES_H
#define ORV_INTERVAL_CLOSED_VALUES_H

#include <cmath>
#include <cstdint>

#include "interval/day_math.h"

/* Added before flooring x in INTNX (as zintnx2 does). */
constexpr double ZINT_CLOSED_NUDGE = 1e-12;
/* Largest step count and interval length taken: no product of them can
 * come near the limits the general code guards. */
constexpr double ZINT_CLOSED_MOST_STEPS = 1048576.0; /* 2^20 */
/* Largest magnitude of a value taken (seconds of the time units). */
constexpr double ZINT_CLOSED_SECONDS_LIMIT = 1125899906842624.0; /* 2^50 */

/* floor(x) for |x| < 2^62, by truncation: std::floor is a library call
 * on the baseline x86-64 instruction set.  A value not below zero (every
 * date and datetime from 1960 on) takes the truncation as it is, by a
 * branch that values of one sign predict: the conversion back and the
 * comparison then stay off the way of the value. */
inline int64_t zintFloorOf(double x)
{
    const int64_t t = int64_t(x);
    if (__builtin_expect(x >= 0, 1)) return t;
    return double(t) > x ? t - 1 : t;
}

/* The floor of x; false for a missing x, one beyond 2^50 in magnitude
 * and (when nudged, for INTNX) one whose floor the nudge would change. */
[[gnu::always_inline]] inline bool zintClosedWhole(double x, bool nudged, int64_t *whole)
{
    if (!(std::fabs(x) <= ZINT_CLOSED_SECONDS_LIMIT)) return false; /* also false for NaN */
    *whole = zintFloorOf(x);
    /* x + nudge >= x >= whole, so its floor is whole when it stays below
     * whole + 1 (an exact double here). */
    return !nudged || x + ZINT_CLOSED_NUDGE < double(*whole + 1);
}

/* The day of a date (seconds false) or datetime value, as zintClosedWhole
 * takes it; false also for a day outside the valid range. */
[[gnu::always_inline]] inline bool zintClosedDay(double x, bool seconds, bool nudged, int64_t *day)
{
    int64_t whole = 0;
    if (!zintClosedWhole(x, nudged, &whole)) return false;
    /* Seconds of valid days lie far inside 2^50; there the integer floor
     * division gives floor(whole / 86400) exactly.  Moved up by 2^34 days
     * (under 2^51 seconds) every whole of at most 2^50 in magnitude is
     * positive, where the division by a constant is a multiplication. */
    constexpr int64_t kBiasDays = int64_t(1) << 34;
    *day = seconds ? int64_t(uint64_t(whole + kBiasDays * ZINT_SECONDS_PER_DAY) /
                             uint64_t(ZINT_SECONDS_PER_DAY)) -
                         kBiasDays
                   : whole;
    return *day >= ZINT_FIRST_DAY && *day <= ZINT_LAST_DAY;
}

/* The step count n as an integer; false unless n is a whole number of at
 * most 2^20 in magnitude. */
[[gnu::always_inline]] inline bool zintClosedSteps(double n, int64_t *count)
{
    if (!(std::fabs(n) <= ZINT_CLOSED_MOST_STEPS) || double(int64_t(n)) != n) return false;
    *count = int64_t(n);
    return true;
}

/* The value of a day: its first second for a datetime (seconds true),
 * else the day number. */
inline double zintDayValue(bool seconds, int64_t day)
{
    return seconds ? double(day) * double(ZINT_SECONDS_PER_DAY) : double(day);
}

/* Time of day of a datetime, in seconds. */
inline double zintTimeOfDay(double x)
{
    constexpr double kDay = double(ZINT_SECONDS_PER_DAY);
    return x - kDay * std::floor(x / kDay);
}

#endif
