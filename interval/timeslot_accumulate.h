/*
 * timeslot_accumulate.h - accumulation of observations into time slots, the
 * SETMISSING rules and the median of an array.
 *
 * Once every observation of a series has an interval index (its time slot,
 * timeid_index.h), zinttim combines the observations of one slot by an
 * accumulation method, observation by observation through zinttia; zinttis
 * replaces the missing values of a series; zinttms gives a median.
 *
 * Several series can be accumulated at once.  Layout 1 keeps series after
 * series: value k of series s is values[s * nobs + k], and slot p of series
 * s is out[s * nslots + p].  Layout 0 keeps one row per observation and per
 * slot: values[k * nseries + s] and out[p * nseries + s].  Slot p of the
 * output is time slot start + p.
 *
 * Every function exists as a plain form and a form with the suffix 2 (see
 * timeid_forms.h).  Nothing is logged.
 *
 * Exports: ZTS_ACCUM and its codes, the ZINT_SETMISS_* codes, the limits,
 * zinttim, zinttia, zinttis, zinttms and their "2" forms.
 */
#ifndef ORV_INTERVAL_TIMESLOT_ACCUMULATE_H
#define ORV_INTERVAL_TIMESLOT_ACCUMULATE_H

#include <cstdint>

/* Accumulation methods (ACCUMULATE=). */
enum ZTS_ACCUM : int {
    ZTS_ACC_NONE = 0,    /* one value per slot; a second one gives .D */
    ZTS_ACC_TOTAL = 1,
    ZTS_ACC_AVERAGE = 2,
    ZTS_ACC_FIRST = 3,
    ZTS_ACC_LAST = 4,
    ZTS_ACC_MINIMUM = 5,
    ZTS_ACC_MAXIMUM = 6,
    ZTS_ACC_MEDIAN = 7,
    ZTS_ACC_STD = 8,     /* sample standard deviation */
    ZTS_ACC_USS = 9,     /* uncorrected sum of squares */
    ZTS_ACC_CSS = 10,    /* corrected sum of squares */
    ZTS_ACC_NOBS = 11,   /* observations, missing ones included */
    ZTS_ACC_N = 12,      /* non-missing values */
    ZTS_ACC_NMISS = 13,  /* missing values */
};
constexpr int ZTS_ACC_COUNT = 14;

/* SETMISSING methods of zinttis; any other code replaces by the given
 * value. */
enum : int {
    ZINT_SETMISS_MEAN = 2,
    ZINT_SETMISS_FIRST = 3,
    ZINT_SETMISS_LAST = 4,
    ZINT_SETMISS_MINIMUM = 5,
    ZINT_SETMISS_MAXIMUM = 6,
    ZINT_SETMISS_MEDIAN = 7,
    ZINT_SETMISS_PREVIOUS = 9,
    ZINT_SETMISS_NEXT = 10,
};

/* Magnitude limits: half the largest double for sums; the square root of
 * the largest double for values that are squared. */
constexpr double ZINT_SUM_LIMIT = 8.988465674311578e307;
constexpr double ZINT_SQUARE_LIMIT = 1.3407807929943e154;

/* Results of zinttim, zinttia, zinttis, zinttms. */
enum : int {
    ZINTTIM_OK = 0,
    ZINTTIM_BAD_ARGUMENT = -99,
    ZINTTIM_NO_MEMORY = -1,
    ZINTTIM_OVERFLOW = -2,
    ZINTTIA_MISSING_MET = 1,
    ZINTTIA_OVERFLOW = -1,
    ZINTTIS_NO_VALUES = -1,
    ZINTTIS_NO_MEMORY = -2,
    ZINTTIS_ALL_MISSING = 1,
    ZINTTMS_NONE_PRESENT = -1,
};

/*
 * Accumulates nobs observations of nseries series into slots.
 * Inputs: index[k] the time slot of observation k (slots outside
 * [start, start + nslots) are ignored); values in the given layout;
 * method (ZTS_ACCUM).
 * Output: out, nslots values per series: missing for a slot without a
 * value (0 for NOBS, N and NMISS); .D under NONE for a slot with two or
 * more values.  STD is the sample standard deviation (missing below two
 * values), CSS the sum of squared deviations from the slot mean; both are
 * computed from the deviations, not from the sums of squares.
 * Returns ZINTTIM_OK; ZINTTIM_BAD_ARGUMENT for a null array, nobs, nseries
 * or nslots below 1, start below 0 or sizes beyond memory; ZINTTIM_NO_MEMORY
 * when a work array cannot be had (nothing else is done); ZINTTIM_OVERFLOW
 * when a sum or square passes its limit (out is then partly accumulated).
 */
int zinttim(const int64_t *index, int64_t nobs, const double *values, int64_t nseries,
            int64_t start, int64_t nslots, int layout, int method, double *out);
int zinttim2(const int64_t *index, int64_t nobs, const double *values, int64_t nseries,
             int64_t start, int64_t nslots, int layout, int method, double *out);

/*
 * Adds one observation to its slot.
 * Inputs: slot (the observation's time slot); nobs (the stride of layout
 * 1); row (the observation's first value: values + k in layout 1, values +
 * k * nseries in layout 0); nseries, start, nslots, layout, method as for
 * zinttim.  In/out: out; squares (sums of squares, STD and CSS only) and
 * counts (values per slot, AVERAGE, STD and CSS only), both shaped like out
 * and allowed to be null for the other methods.
 * Returns 0; ZINTTIA_MISSING_MET when a missing value was met or the method
 * is unknown; ZINTTIA_OVERFLOW when a sum or square passes its limit.
 */
int zinttia(int64_t slot, int64_t nobs, const double *row, int64_t nseries, int64_t start,
            int64_t nslots, int layout, int method, double *out, double *squares, int64_t *counts);
int zinttia2(int64_t slot, int64_t nobs, const double *row, int64_t nseries, int64_t start,
             int64_t nslots, int layout, int method, double *out, double *squares, int64_t *counts);

/*
 * SETMISSING on one series: values[0..n) into out (which may be values).
 * method: ZINT_SETMISS_MEAN .. _MEDIAN replace every missing value by that
 * statistic of the non-missing values; _PREVIOUS carries the last
 * non-missing value forward, _NEXT the next one backward (values before the
 * first, or after the last, stay missing); any other code replaces by
 * `given`.
 * Outputs (may be null): *replacement the value used (the carried value at
 * the end of the walk for _PREVIOUS and _NEXT), initially missing;
 * *replaced the number of missing values met, initially -1.
 * Returns 0; ZINTTIS_ALL_MISSING when no value is present (they stay
 * missing); ZINTTIS_NO_VALUES for a null array or n < 1; ZINTTIS_NO_MEMORY
 * when the median's work array cannot be had.
 */
int zinttis(const double *values, int64_t n, int method, double *out, double *replacement,
            int64_t *replaced, double given);
int zinttis2(const double *values, int64_t n, int method, double *out, double *replacement,
             int64_t *replaced, double given);

/*
 * Median of values[0..n).  With a work array (n doubles) the non-missing
 * values are copied there and selected; without one all n values are taken
 * as present and are reordered in place.
 * Output: *median (missing until found).
 * Returns 0; ZINTTIM_BAD_ARGUMENT for a null array or n < 1;
 * ZINTTMS_NONE_PRESENT when no value is present; otherwise the selection
 * routine's status (zqpsort).
 */
int zinttms(int64_t n, double *values, double *work, double *median);
int zinttms2(int64_t n, double *values, double *work, double *median);

#endif
