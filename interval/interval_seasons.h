/*
 * interval_seasons.h - the season cycle of an interval and its number of
 * seasons, and stepping and counting that keep weekly data on a 52-week
 * year.
 *
 * Season cycles: minutes repeat within the hour, hours within the day,
 * days and working days within the week, tendays, semimonths, months,
 * quarters and half-years within the year, weeks within the (Sunday
 * based) week-year, ISO weeks within the ISO year, retail months and
 * quarters within their retail year.  A 52-week view of weekly data counts
 * a week-year's 53rd week as week 1 of the next week-year.
 *
 * Exports: zintsea, zintsea2, zintsea_calc_nseasons, zintBuildInterval,
 * zintnx_seas, zintck_seas.  Multiples of intervals, which simplify to the
 * interval that fits them, are built above this file and above
 * interval_fit.h, in interval_multiple.h.
 */
#ifndef ORV_INTERVAL_INTERVAL_SEASONS_H
#define ORV_INTERVAL_INTERVAL_SEASONS_H

#include <cstdint>

#include "interval/interval_desc.h"
#include "interval/season_record.h"

/*
 * The season cycle of an interval and the number of its periods in one
 * cycle (MONTH: YEAR and 12; DTHOUR: DTDAY and 24; WEEKDAY17W: WEEK and
 * 5).  A multiplier that does not divide the cycle evenly is measured on
 * the cycle that holds `date`; the cycle is written in its DT form for
 * kind 's'.
 * Outputs: *cycle (cleared first), *count.
 * Returns 0 seasonality found; 1 none (NONE, OBS, a multiple whose
 * periods do not line up with the cycle; the cycle is then cleared and the
 * count 0); 2 a null argument or an interval of code 0.
 */
int zintsea(const ZINT_DESC *desc, ZINT_DESC *cycle, uint32_t *count, double date);

/*
 * zintsea on a record, with these differences: OBS has the cycle OBS with
 * its multiplier and 1 season; WEEK gives 53 when *count comes in as 53;
 * WEEKV gives 53 unless *count comes in as 52.
 * In/out: *count.  Returns as zintsea; 2 also for a null count (the cycle
 * is then cleared).
 */
int zintsea2(ZINT_SEAS *rec, ZINT_DESC *cycle, int32_t *count, double date);

/*
 * The number of rec's periods in one period of cycle, measured on the
 * cycle period that holds date.
 * Output: *count (left as it was when the result is 1 for a cycle that
 * does not start on period boundaries; 0 for a count that is not
 * positive).
 * Returns 0, or 1 when the cycle is not a whole number of periods (or an
 * argument is null).
 */
int zintsea_calc_nseasons(ZINT_SEAS *rec, const ZINT_DESC *cycle, int32_t *count, double date);

/*
 * The interval of desc's base (with desc's kind and WEEKDAY days off, or a
 * custom interval's INTERVALDS entry name for code ZINT_CUSTOM) with
 * multiplier m and stored shift s.
 * Output: *out.  Returns false when it cannot be built or its name would
 * not fit a descriptor.
 */
bool zintBuildInterval(const ZINT_DESC &desc, int code, int64_t m, int64_t s, ZINT_DESC *out);

/*
 * Season-aware INTNX (beginning alignment) of rec, with other (may be
 * null) the interval the series is kept in: weeks that start on other's
 * first working day, a YEAR made of whole week-years of other's weeks, a
 * WEEK stepped on the 52-week year of its cycle, a WEEKV on the ISO year;
 * plain INTNX otherwise.  Returns the value or missing.
 */
double zintnx_seas(ZINT_SEAS *rec, ZINT_SEAS *other, double x, double n);

/* Season-aware INTCK of rec from `from` to `to`, counting weeks on the
 * 52-week year and years of week-years as zintnx_seas steps them.
 * Returns the count or missing. */
double zintck_seas(ZINT_SEAS *rec, ZINT_SEAS *other, double from, double to);

#endif
