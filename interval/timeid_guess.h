/*
 * timeid_guess.h - guessing the interval of a series of time IDs from
 * sampled triples of its values (zinttig), with the input checks of
 * zinttiu.  Both exist as a plain form and a form with the suffix 2 (see
 * timeid_forms.h).  Neither procedure calls them.
 *
 * Exports: zinttiu, zinttiu2, zinttig, zinttig2 and their results.
 */
#ifndef ORV_INTERVAL_TIMEID_GUESS_H
#define ORV_INTERVAL_TIMEID_GUESS_H

#include <cstdint>

#include "interval/interval_desc.h"

/* Results of zinttig and zinttiu besides a candidate count. */
enum : int {
    ZINTTIG_NONE = 0,         /* no triple gave an interval */
    ZINTTIG_TOO_FEW = -1,     /* fewer than three values, or no memory */
    ZINTTIU_MISSING = -2,     /* a missing value */
    ZINTTIU_OUT_OF_RANGE = -3 /* a date outside the supported day range */
};

/*
 * Candidate intervals of values[0..n) (ascending).
 * k = min(n - 2, maxSamples) triples are sampled: the first at position 0,
 * then equally spaced, the last one the final three values.  Each triple
 * that zintget identifies gives a candidate, kept when it is not already
 * one (zintc 0 against a kept one).  The candidates are then ordered by
 * the number of consecutive steps that are not exactly one of their
 * intervals, fewest first (a step of 0, a duplicate, is not counted when
 * flag is non-zero); ties keep the order found.
 * REQUIRES: candidates holds maxSamples records.
 * Returns the number of candidates (candidates[0] the best);
 * ZINTTIG_NONE; ZINTTIG_TOO_FEW for n < 3, null arrays or no memory.
 */
int zinttig(const double *values, int64_t n, int flag, int maxSamples, ZINT_DESC *candidates);
int zinttig2(const double *values, int64_t n, int flag, int maxSamples, ZINT_DESC *candidates);

/*
 * zinttig with input checks: a missing value gives ZINTTIU_MISSING; when
 * the first candidate record holds a calendar interval (base code DAY or
 * above) a value outside [-138061, 6589335] gives ZINTTIU_OUT_OF_RANGE.
 * Values not in ascending order are handed on sorted (in a work array of
 * the form's memory; ZINTTIG_TOO_FEW when it cannot be had).
 */
int zinttiu(const double *values, int64_t n, int flag, int maxSamples, ZINT_DESC *candidates);
int zinttiu2(const double *values, int64_t n, int flag, int maxSamples, ZINT_DESC *candidates);

#endif
