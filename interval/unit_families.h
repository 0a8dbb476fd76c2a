/*
 * unit_families.h - the units the closed forms of INTNX and INTCK count in
 * (unit_steps.h), one family per kind of unit, and the plan of an
 * interval in them.
 *
 * A family answers four questions about its units, inline, for days (for
 * the time units, seconds) in or next to the valid range:
 *   index(u, day)   the unit index k of the unit that holds the day;
 *   locate(u, day)  k and the first days of units k and k + 1 (unused
 *                   parts of it cost nothing: everything is inline);
 *   start(u, k)     the first day of unit k;
 *   span(u, k)      the first days of units k and k + 1.
 * The families: DayUnits (DAY, WEEK, WEEKV), WorkingDayUnits (WEEKDAY),
 * TimeUnits<seconds> (SECOND, MINUTE, HOUR of kind 's'), CivilParts<per
 * year> (TENDAY, SEMIMONTH, the months, quarters, half-years and years)
 * and RetailMonths (the retail ones).
 *
 * Exports: ZintUnits, zintIntervalOf, DayUnits, WorkingDayUnits,
 * TimeUnits, CivilParts, RetailMonths, ZintUnitAt, ZintUnitSpan.
 */
#ifndef ORV_INTERVAL_UNIT_FAMILIES_H
#define ORV_INTERVAL_UNIT_FAMILIES_H

#include <cstdint>

#include "interval/day_math.h"
#include "interval/interval_parts.h"
#include "interval/month_starts.h"
#include "interval/retail_calendar.h"
#include "interval/working_days.h"

/* An interval in its units: intervals are numbered q = floor((k + lead) /
 * length), so interval q holds the units length x q - lead to length x
 * (q + 1) - lead - 1, as zintnx2 and zintck2 number them. */
struct ZintUnits {
    bool seconds;            /* calendar kind 's': values are seconds */
    int64_t length;          /* units per interval, 1 to 2^20 */
    int64_t lead;
    uint64_t lengthInverse;  /* ceil(2^34 / length) for length <= 64, else 0 */
    int64_t firstUnit;       /* the units that start in the valid range */
    int64_t lastUnit;
    const ZintWorkWeek *week;         /* WorkingDayUnits */
    const ZintRetailWeeks *retail;    /* RetailMonths */
};

/* Interval number of unit k: floor((k + lead) / length).  Where k + lead
 * moved up by 2^21 intervals lies below 2^28 (every unit of a valid day
 * but the time units) and the length is at most 64, the division is a
 * multiplication: the error of the inverse is below length <= 2^6 =
 * 2^(34 - 28). */
[[gnu::always_inline]] inline int64_t zintIntervalOf(const ZintUnits &u, int64_t k)
{
    if (u.length == 1) return k + u.lead;
    constexpr int64_t kBias = int64_t(1) << 21;
    const uint64_t a = uint64_t(k + u.lead + u.length * kBias);
    if (u.lengthInverse != 0 && a < (uint64_t(1) << 28))
        return int64_t(a * u.lengthInverse >> 34) - kBias;
    return zintFloorDiv(k + u.lead, u.length);
}

/* A unit that holds a day: its index, its first day and the first day of
 * the unit after it. */
struct ZintUnitAt {
    int64_t index;
    int64_t start;
    int64_t next;
};

/* The first days of a unit and of the unit after it. */
struct ZintUnitSpan {
    int64_t start;
    int64_t next;
};

/* Days: unit k is day k. */
struct DayUnits {
    static constexpr bool kWorking = false;
    static constexpr int64_t index(const ZintUnits &, int64_t day) { return day; }
    static constexpr ZintUnitAt locate(const ZintUnits &, int64_t day) { return ZintUnitAt{day, day, day + 1}; }
    static int64_t start(const ZintUnits &, int64_t k) { return k; }
    static ZintUnitSpan span(const ZintUnits &, int64_t k) { return ZintUnitSpan{k, k + 1}; }
};

/* Working days: unit k is the working day of working-day index k, with
 * the days off after it. */
struct WorkingDayUnits {
    static constexpr bool kWorking = true;
    static int64_t index(const ZintUnits &u, int64_t day) { return zintWorkingDayIndex(*u.week, day); }
    static ZintUnitAt locate(const ZintUnits &u, int64_t day)
    {
        const int64_t k = index(u, day);
        return ZintUnitAt{k, zintWorkingDayAt(*u.week, k), zintWorkingDayAt(*u.week, k + 1)};
    }
    static int64_t start(const ZintUnits &u, int64_t k) { return zintWorkingDayAt(*u.week, k); }
    static ZintUnitSpan span(const ZintUnits &u, int64_t k)
    {
        return ZintUnitSpan{start(u, k), start(u, k + 1)};
    }
};

/* Seconds, minutes or hours of a time or datetime: the "days" of this
 * family are seconds. */
template <int64_t Seconds>
struct TimeUnits {
    static constexpr bool kWorking = false;
    static constexpr int64_t kSecondsPerUnit = Seconds;
    static constexpr int64_t index(const ZintUnits &, int64_t second) { return zintFloorDiv(second, Seconds); }
    static constexpr ZintUnitAt locate(const ZintUnits &u, int64_t second)
    {
        const int64_t k = index(u, second);
        return ZintUnitAt{k, k * Seconds, k * Seconds + Seconds};
    }
    static int64_t start(const ZintUnits &, int64_t k) { return k * Seconds; }
    static ZintUnitSpan span(const ZintUnits &, int64_t k)
    {
        return ZintUnitSpan{k * Seconds, k * Seconds + Seconds};
    }
};

/* Thirds of months (PerYear 36), half months (24) or months (12) of the
 * ordinary calendar, all from the month table of month_starts.h: a part
 * is its month's first day plus 10 (15) days per part before it, and the
 * last part of a month runs to the month's end.
 * REQUIRES (start, span): u.firstUnit <= k <= u.lastUnit. */
template <int64_t PerYear>
struct CivilParts {
    static constexpr bool kWorking = false;
    static constexpr int64_t kPerMonth = PerYear / 12; /* 3, 2 or 1 */
    static constexpr int64_t kPartDays = PerYear == 36 ? 10 : 15;
    static constexpr int64_t index(const ZintUnits &u, int64_t day) { return locate(u, day).index; }
    static constexpr ZintUnitAt locate(const ZintUnits &, int64_t day)
    {
        const ZintPartAt month = zintMonthAt(day);
        if constexpr (kPerMonth == 1) {
            return ZintUnitAt{month.index, month.start, month.next};
        } else {
            /* The part from the day of the month by comparisons, not
             * branches, which days in no order would mispredict. */
            const int64_t into = day - month.start; /* [0, 30] */
            const int64_t part = kPerMonth == 3 ? (into >= 20) + (into >= 10) : (into >= 15);
            return partIn(month, kPerMonth * month.index + part, part);
        }
    }
    static int64_t start(const ZintUnits &u, int64_t k) { return span(u, k).start; }
    static ZintUnitSpan span(const ZintUnits &, int64_t k)
    {
        if constexpr (kPerMonth == 1) {
            const ZintPartSpan s = zintMonthSpan(k);
            return ZintUnitSpan{s.start, s.next};
        } else {
            /* floor(k / kPerMonth): moved up by 2^24 months, k is positive
             * and the division by a constant a multiplication. */
            constexpr int64_t kBias = int64_t(1) << 24;
            const int64_t month = int64_t(uint64_t(k + kPerMonth * kBias) / uint64_t(kPerMonth)) - kBias;
            const ZintPartSpan s = zintMonthSpan(month);
            const ZintUnitAt at = partIn(ZintPartAt{month, s.start, s.next}, k, k - kPerMonth * month);
            return ZintUnitSpan{at.start, at.next};
        }
    }

private:
    /* Part `part` (0 to kPerMonth - 1) of `month`, numbered k. */
    static constexpr ZintUnitAt partIn(const ZintPartAt &month, int64_t k, int64_t part)
    {
        const int64_t start = month.start + kPartDays * part;
        /* The last part runs to the month's end: chosen by arithmetic, as
         * a branch on the part would mispredict. */
        const int64_t last = part == kPerMonth - 1;
        return ZintUnitAt{k, start, start + kPartDays + last * (month.next - start - kPartDays)};
    }
};

/* Retail months: runs of whole ISO weeks, their week-years from the
 * table of calendar_weeks.h. */
struct RetailMonths {
    static constexpr bool kWorking = false;
    static ZintUnitAt locate(const ZintUnits &u, int64_t day)
    {
        const ZidIsoYear iso = zidTabledIsoYear(day);
        const ZintPartAt at = zintRetailPartIn(*u.retail, iso.year, iso.start, iso.next, day);
        return ZintUnitAt{at.index, at.start, at.next};
    }
    static int64_t index(const ZintUnits &u, int64_t day) { return locate(u, day).index; }
    static int64_t start(const ZintUnits &u, int64_t k) { return span(u, k).start; }
    static ZintUnitSpan span(const ZintUnits &u, int64_t k)
    {
        const ZintPartSpan s = zintRetailPartSpanBy(*u.retail, k, zidTabledYearStart);
        return ZintUnitSpan{s.start, s.next};
    }
};

#endif
