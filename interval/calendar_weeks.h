/*
 * calendar_weeks.h - week numbering of dates: ISO 8601 week dates, the
 * Sunday-based (U) and Monday-based (W) week numbers of a calendar year,
 * the Sunday-based week-year (week 1 holds 4 January), and the
 * Actual/Actual day count.
 *
 * Dates are day numbers (day 0 = 1 January 1960).
 *
 * Exports: zidywdd, ziddywd, ziddywds, zintyrse, zidywdds, diff_actact, and
 * the integer helpers (ISO week dates themselves are host/iso_weeks.h's): the
 * table of ISO week-year starts (zidIsoYearStarts, zidTabledYearStart,
 * ZidIsoYear, zidTabledIsoYear, zidTabledIsoWeekDate), zidWholeWeeks,
 * zidSundayYearStart.
 */
#ifndef ORV_INTERVAL_CALENDAR_WEEKS_H
#define ORV_INTERVAL_CALENDAR_WEEKS_H

#include <array>
#include <cstddef>
#include <cstdint>

#include "host/civil_days.h"
#include "host/iso_weeks.h"
#include "interval/day_math.h"

/* The ISO week-years whose week 1 Monday is tabled: every one that holds
 * a day of the valid range, with a year to spare on each side. */
constexpr int64_t ZID_FIRST_TABLED_YEAR = 1579;
constexpr int64_t ZID_LAST_TABLED_YEAR = 20003;
constexpr size_t ZID_TABLED_YEARS = size_t(ZID_LAST_TABLED_YEAR - ZID_FIRST_TABLED_YEAR + 1);

/* orvIsoWeekStart(year, 1) of each tabled year, from the first. */
extern const std::array<int32_t, ZID_TABLED_YEARS> zidIsoYearStarts;

/* Monday of ISO week 1 of `year`, from the table.
 * REQUIRES: ZID_FIRST_TABLED_YEAR <= year <= ZID_LAST_TABLED_YEAR. */
inline int64_t zidTabledYearStart(int64_t year)
{
    return zidIsoYearStarts[size_t(year - ZID_FIRST_TABLED_YEAR)];
}

/* An ISO week-year, the Monday of its week 1 and that of the next
 * year's. */
struct ZidIsoYear {
    int64_t year;
    int64_t start;
    int64_t next;
};

/* The ISO week-year of a day of the valid range (or a week next to it),
 * from the table: the year that 400 / 146097 years per day reaches from
 * half a year before the first tabled start, or the one before it.  ISO
 * years start within a few days of 365.2425 days apart, so the estimate
 * is the year or the next (tests/interval/calendar_weeks_test.cpp checks
 * every day); both candidate starts and the one after are read at once.
 * REQUIRES: ZINT_FIRST_DAY - 7 <= day <= ZINT_LAST_DAY + 7. */
inline ZidIsoYear zidTabledIsoYear(int64_t day)
{
    const uint64_t sinceFirst = uint64_t(day - (zidIsoYearStarts[0] - 180)); /* < 2^23 */
    /* 11759337 / 2^32 is 400 / 146097 to 3.4e-8: under a day over the table. */
    const size_t estimate = size_t(sinceFirst * 11759337 >> 32); /* at least 2 here */
    const int64_t before = zidIsoYearStarts[estimate - 1];
    const int64_t start = zidIsoYearStarts[estimate];
    const int64_t after = zidIsoYearStarts[estimate + 1];
    /* Chosen by arithmetic: a branch would mispredict half the year. */
    const int64_t earlier = int64_t(day < start);
    return ZidIsoYear{int64_t(estimate) - earlier + ZID_FIRST_TABLED_YEAR,
                      start - earlier * (start - before), after - earlier * (after - start)};
}

/* Whole weeks in `days`, days / 7, by one multiplication (a division by
 * 7 of any 32-bit number takes several steps).  REQUIRES: days < 13110. */
constexpr uint32_t zidWholeWeeks(uint32_t days) { return days * 9363 >> 16; }
static_assert([] {
    for (uint32_t days = 0; days < 13110; ++days)
        if (zidWholeWeeks(days) != days / 7) return false;
    return true;
}());

/* orvIsoWeekDate from the table.  REQUIRES: as zidTabledIsoYear. */
inline OrvIsoWeekDate zidTabledIsoWeekDate(int64_t day)
{
    const ZidIsoYear iso = zidTabledIsoYear(day);
    return OrvIsoWeekDate{iso.year, int(zidWholeWeeks(uint32_t(day - iso.start))) + 1, orvIsoWeekday(day)};
}

/* Day number of the first day (a Sunday) of Sunday-based week-year `year`:
 * the Sunday on or before 4 January.  REQUIRES: |year| <= 2^40. */
int64_t zidSundayYearStart(int64_t year);

/*
 * Week number of a date under a scheme.
 * Inputs: scheme 'U' (weeks from Sunday: week 0 before the year's first
 * Sunday), 'W' (the same from Monday) or 'V' (ISO 8601), date.
 * Outputs: *year, *week, *day, all -1 first.
 *   'U': year = calendar year, week = (e - (g - 1) + 7) / 7 as a real
 *        number whose whole part is the week, day = g;
 *   'W': week = (e - (g + 5) mod 7 + 7) / 7 as a real, day = g - 1 with
 *        Sunday as 7;
 *   'V': year = ISO week-year, week = ISO week, day = ISO weekday;
 *   other letters: week stays -1, day = (e + 2) mod 7 + 1;
 * where e = days since 1 January and g = weekday (1 = Sunday).  A missing
 * date (or one beyond 2^40 days) leaves all three at -1.
 * Returns 0.
 */
int zidywdd(char scheme, double *year, double *week, double *day, double date);

/* Day number of ISO week date (year, week, ISO day 1 = Monday); week and
 * day are not range-checked. */
double ziddywd(int year, int week, int day);

/* Day number of (year, week 1 to 53, day 1 = Sunday to 7) in the
 * Sunday-based week calendar; missing for arguments out of range or a week
 * 53 in a week-year of 52 weeks. */
double ziddywds(int year, int week, int day);

/*
 * The Sunday-based week-year that holds a date.
 * Outputs: *year (the week-year), *next (start of the following week-year).
 * Returns the start of the week-year; missing for a missing date (then
 * *next is missing and *year is left as it was).
 */
double zintyrse(int *year, double *next, double date);

/*
 * Sunday-based week-year, week and day (1 = Sunday) of a date.
 * Mode 1: a 53rd week counts as week 1 of the following week-year; mode
 * 52: as week 52; other modes keep week 53.  A missing date sets all three
 * to -1.  Returns 0.
 */
int zidywdds(int mode, int *year, int *week, int *day, double date);

/*
 * Actual/Actual day count between two dates (the first counted, the second
 * not), split into days of leap years (L) and of common years (N).
 * Outputs: *days = L + N, *fraction = N / 365 + L / 366.
 * Returns L / 366.  When the first date lies after the second the dates
 * are taken in order and every result is negated; a month or day that
 * forms no date gives *days = 0 and missing results.
 */
double diff_actact(int month1, int day1, int year1, int month2, int day2, int year2, int64_t *days,
                   double *fraction);

#endif
