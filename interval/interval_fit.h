/*
 * interval_fit.h - the interval that two or three time values follow:
 * ZINT_INFO, zintget (three values), zintfit (two values of a known kind)
 * and their steps.
 *
 * Identified descriptors are built from a parsed base name whose
 * multiplier and shift are set afterwards, the name growing by the
 * multiplier's digits and by "." and the written shift (YEAR with stored
 * shift 6 is YEAR.7); a name that would not fit the descriptor, or a
 * multiplier or shift the interval cannot hold, means "no fit".  A failed
 * identification leaves the descriptor NONE (kind 'u', code 0, multiplier
 * 1), or all zero for a missing value or values out of order.
 *
 * Exports: ZINT_INFO, wdays, dtwdays, zintget, zintfit, fitInterval,
 * date, test, zintInfoFill.
 */
#ifndef ORV_INTERVAL_INTERVAL_FIT_H
#define ORV_INTERVAL_INTERVAL_FIT_H

#include <cstddef>
#include <cstdint>

#include "interval/interval_desc.h"

/* What detection reports of an identified interval besides its
 * descriptor.  Producers clear it and fill it only on success. */
struct ZINT_INFO {
    ZINT_DESC seasonCycle;  /* as zintsea gives it; all zero without seasonality */
    uint32_t seasonCount;   /* intervals per season cycle */
    int16_t formatWidth;    /* recommended display width (zintfmt) */
    int16_t formatNameLength;
    char formatName[16];    /* not terminated */
};
static_assert(offsetof(ZINT_INFO, seasonCycle) == 0);
static_assert(offsetof(ZINT_INFO, seasonCount) == 56);
static_assert(offsetof(ZINT_INFO, formatWidth) == 60);
static_assert(offsetof(ZINT_INFO, formatNameLength) == 62);
static_assert(offsetof(ZINT_INFO, formatName) == 64);
static_assert(sizeof(ZINT_INFO) == 80);

/* The WEEKDAY intervals tried, in this order, when a daily answer leaves
 * gaps; dtwdays for values of kind 's'. */
extern const char wdays[4][16];
extern const char dtwdays[4][16];

/*
 * The interval of three increasing values x1 < x2 < x3.  They are taken as
 * datetimes when x3 >= 86400, x1 <= -86400, or their smaller gap is a
 * whole number of hours; otherwise as dates (dates from 1 to 999 with a
 * regular gap are observation numbers).
 * Outputs: *desc; *info when not null (season part from x1, format).
 * Returns 0 identified; 1 not identified (desc NONE); 2 a missing value
 * or a null descriptor; 3 a gap below 1 or a value outside 1582 to 20000.
 */
int zintget(ZINT_DESC *desc, ZINT_INFO *info, double x1, double x2, double x3);

/*
 * The interval that steps from x1 to x2, for values of kind kind[0]:
 * 'd' dates, 's' datetimes, 'o' observation numbers.
 * Outputs: *desc; *info when not null (season part from x1, format).
 * Returns 0 fitted; 1 not fitted, or another kind (desc NONE); 2 a missing
 * value or a null argument; 3 x2 not at least 1 above x1.
 */
int zintfit(const char *kind, ZINT_DESC *desc, ZINT_INFO *info, double x1, double x2);

/*
 * Sets the multiplier and shift of candidate (a parsed base interval) so
 * that it steps from x1 to x2, the shift counted in unit's intervals.
 * Returns 0 when it does (candidate updated), 1 when not (candidate may be
 * partly updated).
 */
int fitInterval(ZINT_DESC *candidate, const ZINT_DESC *unit, double x1, double x2);

/*
 * The calendar interval of three values: the month family, SEMIMONTH,
 * TENDAY, WEEK, DAY and the WEEKDAY intervals of wdays, in that order;
 * datetime forms when dt is 1.
 * Returns 0 identified (*desc set), 1 not.
 */
int date(int dt, ZINT_DESC *desc, double x1, double x2, double x3);

/*
 * Whether candidate (a parsed base interval) holds the three values: the
 * unit counts between them, divided by k, are whole with a whole ratio;
 * the multiplier is the smaller candidate count and the shift the common
 * offset in units from the candidate's starts.
 * Returns 1 when it fits (candidate updated), 0 when not.
 */
int test(ZINT_DESC *candidate, const ZINT_DESC *unit, int k, double x1, double x2, double x3);

/* Fills *info for an identified descriptor: zintsea from `from`, then the
 * recommended format.  The record is cleared first. */
void zintInfoFill(const ZINT_DESC *desc, ZINT_INFO *info, double from);

#endif
