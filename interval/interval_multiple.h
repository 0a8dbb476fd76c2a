/*
 * interval_multiple.h - multiples of intervals and the season part a user
 * asks for, which may be a multiple of the interval.
 *
 * A multiple is simplified to the named interval that fits one of its
 * periods (interval_fit.h), so this file stands above both the fit and the
 * season cycles (interval_seasons.h), which never call back into it.
 *
 * Exports: zintmult, ZINTMULT_* flags, zintsea_set.
 */
#ifndef ORV_INTERVAL_INTERVAL_MULTIPLE_H
#define ORV_INTERVAL_INTERVAL_MULTIPLE_H

#include <cstdint>

#include "interval/interval_desc.h"
#include "interval/season_record.h"

/* Flags of zintmult. */
enum : int {
    ZINTMULT_SEASON_MODE = 0x3,   /* bits 0-1: what happens to the season part */
    ZINTMULT_KEEP_WEEKS = 0x4,    /* do not turn 52 or 53 weeks into years */
    ZINTMULT_NO_FIT = 0x8,        /* keep the multiple as built (also any bit above 0x10) */
    ZINTMULT_DAYS_TO_WEEK = 0x10, /* a multiple of days may become a week */
};

/*
 * The interval k times as long as src's, simplified where it equals a
 * named interval (MONTH x 3 = QTR, WEEK x 52 = YEAR, R445MON x 3 =
 * R445QTR, WEEKV x 53 = YEARV; DAY x 7 = WEEK with ZINTMULT_DAYS_TO_WEEK).
 * The shift is not carried over; kind 's' and WEEKDAY days off are.
 * Output: dst (all of src but its season-cycle pointer, then the new
 * interval; dst's season part when it has a season-cycle record, by the
 * season mode: 1 the multiple's own, 2 src's with a cycle k times as
 * long, 0 and 3 src's with the count divided by k).
 * Returns 0; 1 when the multiple cannot be built (k below 1, a multiplier
 * beyond 2147483647, a custom interval without its INTERVALDS entry, a
 * name that would not fit); 2 for a null record.
 */
int zintmult(const ZINT_SEAS *src, int k, ZINT_SEAS *dst, int flags);

/*
 * Sets rec's season part from what the user asked for: a cycle (option,
 * may be null or nameless) and a season count (requested, may be null;
 * not positive means none).  The cycle goes into rec's season-cycle
 * record (a scratch record when rec has none), the count into
 * rec->seasonCount.
 * Returns 0; 2 for a null rec, a cycle name that does not parse, or a
 * requested count that the cycle does not hold; otherwise the status of
 * zintsea_calc_nseasons or zintsea2.
 */
int zintsea_set(ZINT_SEAS *rec, const ZINT_DESC *option, const int32_t *requested, double date);

#endif
