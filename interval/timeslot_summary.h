/*
 * timeslot_summary.h - summary records of the values that fall into each
 * time slot (zinttts), into each season (zinttss) and of a whole set of
 * records (zinttgs).
 *
 * Each function exists as a plain form and a form with the suffix 2 (see
 * timeid_forms.h); nothing is logged.
 *
 * Exports: ZINT_TSSUMM, zinttts, zinttss, zinttgs and their "2" forms.
 */
#ifndef ORV_INTERVAL_TIMESLOT_SUMMARY_H
#define ORV_INTERVAL_TIMESLOT_SUMMARY_H

#include <cstddef>
#include <cstdint>

/* Summary of one slot, one season or a whole set. */
struct ZINT_TSSUMM {
    int64_t count;        /* values in the group, missing ones included */
    int64_t present;      /* non-missing values */
    int64_t missing;      /* missing values */
    int64_t large;        /* values whose magnitude exceeds ZINT_SQUARE_LIMIT / count */
    double minimum;
    double maximum;
    double range;
    double sum;
    double mean;
    double uss;           /* uncorrected sum of squares */
    double css;           /* corrected sum of squares */
    double variance;
    double stdDev;
    double median;
    uint8_t sumOverflow;    /* a sum passed ZINT_SUM_LIMIT */
    uint8_t squareOverflow; /* a square or the USS passed its limit */
    uint8_t medianStatus;   /* low byte of the median's result */
};
static_assert(offsetof(ZINT_TSSUMM, minimum) == 32);
static_assert(offsetof(ZINT_TSSUMM, median) == 104);
static_assert(offsetof(ZINT_TSSUMM, sumOverflow) == 112);
static_assert(sizeof(ZINT_TSSUMM) == 120);

/* Result of the three functions for bad arguments. */
constexpr int ZINTTTS_BAD_ARGUMENT = -99;

/*
 * Per-slot summaries.  Inputs: values[0..n) with their time slots
 * index[0..n); the slots start .. start + nslots - 1; unordered (0: index is
 * ascending, so each slot's values are consecutive; non-zero: any order).
 * work holds 2 n doubles.
 * Output: records[slot] for every slot in range (REQUIRES: records holds
 * start + nslots records).
 * Returns the number of incomplete records (no present value, an overflow
 * or a failed median); ZINTTTS_BAD_ARGUMENT for a null array, n < 1,
 * start < 0 or nslots < 1.
 */
int64_t zinttts(const double *values, const int64_t *index, int64_t n, int64_t start,
                int64_t nslots, int unordered, double *work, ZINT_TSSUMM *records);
int64_t zinttts2(const double *values, const int64_t *index, int64_t n, int64_t start,
                 int64_t nslots, int unordered, double *work, ZINT_TSSUMM *records);

/*
 * Per-season summaries: record i of records[0..nseasons) summarises the
 * values whose slot lies in [first, first + nslots) and whose season
 * seasonOf[slot] is i.  work holds 2 n doubles.  REQUIRES: seasonOf holds
 * first + nslots entries.
 * Returns the number of incomplete season records; ZINTTTS_BAD_ARGUMENT as
 * zinttts, also for nseasons < 1 or a null seasonOf.
 */
int64_t zinttss(const double *values, const int64_t *index, int64_t n, int64_t first,
                int64_t nslots, int64_t nseasons, const int32_t *seasonOf, double *work,
                ZINT_TSSUMM *records);
int64_t zinttss2(const double *values, const int64_t *index, int64_t n, int64_t first,
                 int64_t nslots, int64_t nseasons, const int32_t *seasonOf, double *work,
                 ZINT_TSSUMM *records);

/*
 * Combines records[0..count) into *total; total->median takes `median`.
 * The corrected sum of squares is pooled from the records' own (their
 * deviations plus the spread of their means), so it is never negative.
 * Returns 0; -1 when no record has a present value (every statistic
 * missing), when a record's sum overflowed or the total sum passes
 * ZINT_SUM_LIMIT (sum and mean missing); -2 when |sum| exceeds
 * ZINT_SQUARE_LIMIT (CSS, variance and deviation missing); -99 for a null
 * argument or count < 0.
 */
int zinttgs(const ZINT_TSSUMM *records, int64_t count, ZINT_TSSUMM *total, double median);
int zinttgs2(const ZINT_TSSUMM *records, int64_t count, ZINT_TSSUMM *total, double median);

#endif
