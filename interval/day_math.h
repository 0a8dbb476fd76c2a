/*
 * day_math.h - constants and small integer helpers shared by the interval
 * library's stepping, counting and calendar code.
 *
 * Exports: the valid day range (ZINT_FIRST_DAY, ZINT_LAST_DAY), the step
 * count and product limits, zintFloorDiv, zintFloorMod, zintDayOfWeek,
 * zintDayInRange, zintIsExactInteger.
 */
#ifndef ORV_INTERVAL_DAY_MATH_H
#define ORV_INTERVAL_DAY_MATH_H

#include <cstdint>

#include "host/civil_days.h"

/* Calendar intervals work on day numbers from 1 January 1582 to
 * 26 December 20000, both included. */
constexpr int64_t ZINT_FIRST_DAY = -138061;
constexpr int64_t ZINT_LAST_DAY = 6589335;
static_assert(orvDaysFromCivil(1582, 1, 1) == ZINT_FIRST_DAY);
static_assert(orvDaysFromCivil(20000, 12, 26) == ZINT_LAST_DAY);

/* Largest step count INTNX accepts (2^53), and the largest product of a
 * step count and an interval length (2^53 - ZINT_LAST_DAY), which keeps
 * every day result an exact double. */
constexpr double ZINT_MAX_COUNT = 9007199254740992.0;
constexpr int64_t ZINT_PRODUCT_LIMIT = 9007199248151657;
static_assert(ZINT_PRODUCT_LIMIT == (int64_t(1) << 53) - ZINT_LAST_DAY);

/* Largest magnitude of an integer that a double holds exactly. */
constexpr double ZINT_EXACT_LIMIT = 9007199254740992.0;

constexpr int64_t ZINT_SECONDS_PER_DAY = 86400;

/* Floor of a / b and the matching non-negative remainder, for b > 0. */
constexpr int64_t zintFloorDiv(int64_t a, int64_t b) { return orvFloorDiv(a, b); }
constexpr int64_t zintFloorMod(int64_t a, int64_t b) { return a - b * orvFloorDiv(a, b); }

/* Day of week of a day number, 0 = Sunday to 6 = Saturday (day 0 is a
 * Friday). */
constexpr int zintDayOfWeek(int64_t day) { return int(zintFloorMod(day + 5, 7)); }

/* True when a (floored) day number lies in the valid range; false for a
 * missing value. */
constexpr bool zintDayInRange(double day)
{
    return day >= double(ZINT_FIRST_DAY) && day <= double(ZINT_LAST_DAY);
}

/* True when value (already an integer) converts to int64_t exactly: not
 * missing and at most 2^53 in magnitude. */
constexpr bool zintIsExactInteger(double value)
{
    return value >= -ZINT_EXACT_LIMIT && value <= ZINT_EXACT_LIMIT;
}

static_assert(zintDayOfWeek(0) == 5 && zintDayOfWeek(-5) == 0);

#endif
