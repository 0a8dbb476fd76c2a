/*
 * working_days.h - the working-day arithmetic of WEEKDAY intervals: moving
 * to working days, stepping over them and numbering them.
 *
 * The working-day index numbers working days consecutively: the index of a
 * working day d is the count of working days in (origin, d] for a fixed
 * origin, so consecutive working days have consecutive indices.  A day off
 * takes the index of the working day before it.
 *
 * Exports: ZintWorkWeek, zintWorkWeeks, zintWorkWeek, zintIsDayOff,
 * zintBackToWorkingDay, zintStepWorkingDays, zintWorkingDayIndex, zintWorkingDayAt,
 * zintWorkingDaysOn.
 */
#ifndef ORV_INTERVAL_WORKING_DAYS_H
#define ORV_INTERVAL_WORKING_DAYS_H

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "interval/day_math.h"
#include "interval/interval_desc.h"

/* The working week of a WEEKDAY descriptor. */
struct ZintWorkWeek {
    bool off[7];    /* 0 = Sunday ... 6 = Saturday */
    int working;    /* days not off, 0 to 7 */
    int before[7];  /* before[f]: working days among the f days after a day
                       number divisible by 7 (the days 7q + 1 to 7q + f) */
    int dayAt[7];   /* dayAt[r], r < working: f (1 to 7) of the (r + 1)-th
                       working day among the days 7q + 1 to 7q + 7 */
    int64_t firstIndex; /* the working days that start in the valid range: */
    int64_t lastIndex;  /* the indices of ZINT_FIRST_DAY - 1, plus 1, and of
                           ZINT_LAST_DAY */
    uint64_t inverse; /* ceil(2^31 / working), 0 without working days: a
                         divides by working as a x inverse >> 31 for
                         0 <= a < 2^28 (the error inverse x working - 2^31
                         is below working <= 2^3 = 2^(31 - 28)) */
    int8_t stepFrom[7][8]; /* stepFrom[f][b], b < working: the working day
                              b working days after day 7q + f (a day off
                              counting as the working day before it), in
                              days from 7q + f: -12 to 14 */
};

/* Every working week, by days-off mask (bit d: day d of the week is
 * off). */
extern const std::array<ZintWorkWeek, 128> zintWorkWeeks;

/* The working week of desc, counted from its days-off flags (the stored
 * working-day count is not trusted).  working == 0 means that no day is a
 * working day: every routine below then has nothing to step over and the
 * callers give missing. */
inline const ZintWorkWeek &zintWorkWeek(const ZINT_DESC &desc)
{
    /* The high bit of each flag byte set when the byte is not 0, those
     * bits gathered into bits 0 to 6 by one multiplication: bit 8d moves
     * to bit 56 + d, and no two partial products meet.  The flags are read
     * in one 8-byte load with the working-day count before them. */
    static_assert(offsetof(ZINT_DESC, daysOff) == offsetof(ZINT_DESC, workingDays) + 1);
    static_assert(std::endian::native == std::endian::little);
    uint64_t flags = 0;
    std::memcpy(&flags, &desc.workingDays, sizeof flags);
    flags >>= 8; /* little-endian: the count was the low byte */
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
    const uint64_t nonZero = (((flags & kLow7) + kLow7) | flags) & 0x0080808080808080;
    return zintWorkWeeks[size_t((nonZero >> 7) * 0x0102040810204080 >> 56)];
}

bool zintIsDayOff(const ZintWorkWeek &week, int64_t day);

/* The latest working day on or before day.  REQUIRES: week.working > 0. */
int64_t zintBackToWorkingDay(const ZintWorkWeek &week, int64_t day);

/* The working day n working days after (n < 0: before) working day `day`,
 * in closed form: whole weeks first, then at most six single steps.
 * REQUIRES: week.working > 0, day a working day, |n| <= 2^53. */
int64_t zintStepWorkingDays(const ZintWorkWeek &week, int64_t day, int64_t n);

/* Working-day index of day (a day off counts as the working day before
 * it).  The working days among 7q + 1 to 7q + 7 have the indices
 * working x q + 1 to working x q + working, so no walk is needed.
 * REQUIRES: week.working > 0. */
constexpr int64_t zintWorkingDayIndex(const ZintWorkWeek &week, int64_t day)
{
    const int64_t q = zintFloorDiv(day, 7);
    return int64_t(week.working) * q + week.before[day - 7 * q];
}

/* The working day whose working-day index is k.  REQUIRES: week.working >
 * 0, |k| <= 2^53. */
inline int64_t zintWorkingDayAt(const ZintWorkWeek &week, int64_t k)
{
    /* k - 1 moved up by 2^22 weeks of working days is a small non-negative
     * number for every index near the valid range; there the division is a
     * multiplication. */
    constexpr int64_t kBiasWeeks = int64_t(1) << 22;
    const uint64_t a = uint64_t(k - 1 + week.working * kBiasWeeks);
    if (a < (uint64_t(1) << 28)) {
        const uint64_t q = a * week.inverse >> 31;
        return 7 * (int64_t(q) - kBiasWeeks) + week.dayAt[a - q * uint64_t(week.working)];
    }
    const int64_t q = zintFloorDiv(k - 1, week.working);
    return 7 * q + week.dayAt[k - 1 - q * week.working];
}

/* The working day n working days after day `day` (a day off counting as
 * the working day before it): zintWorkingDayAt(week,
 * zintWorkingDayIndex(week, day) + n) by whole weeks and one look-up.
 * REQUIRES: week.working > 0, |day| <= 2^26, |n| <= 2^24. */
inline int64_t zintWorkingDaysOn(const ZintWorkWeek &week, int64_t day, int64_t n)
{
    /* n = working x weeks + rest, 0 <= rest < working; the day moved up by
     * 2^24 weeks and n by 2^24 working weeks are non-negative and below
     * 2^28, where the divisions are multiplications. */
    constexpr int64_t kBias = int64_t(1) << 24;
    const uint64_t up = uint64_t(n + week.working * kBias);
    const uint64_t weeks = up * week.inverse >> 31;
    const uint64_t rest = up - weeks * uint64_t(week.working);
    constexpr uint64_t kSevenInverse = ((uint64_t(1) << 31) + 6) / 7; /* as ZintWorkWeek::inverse */
    const uint64_t dayUp = uint64_t(day + 7 * kBias);
    const uint64_t f = dayUp - 7 * (dayUp * kSevenInverse >> 31);
    return day + 7 * (int64_t(weeks) - kBias) + week.stepFrom[f][rest];
}

#endif
