/*
 * series_fit.h - goodness-of-fit statistics of actual against predicted
 * values: the fit record, one statistic picked by its selection index, and
 * which of two values of a statistic is the better.
 *
 * Exports: ZTS_FITREC and its value numbers, ZTS_FIT_STAT_COUNT, ztssfit,
 * ztssfs, ztssfc.
 */
#ifndef ORV_SERIES_SERIES_FIT_H
#define ORV_SERIES_SERIES_FIT_H

#include <cstddef>
#include <cstdint>

/* Value numbers of the fit record (0 to 5 counts, 6 to 27 statistics).
 * n: positions where the actual and the predicted value are present; k:
 * model parameters; e = actual - predicted; pe = e / actual. */
enum : int {
    ZTS_FIT_DF = 0,            /* n - k */
    ZTS_FIT_TRIMMED = 1,       /* positions after trimming */
    ZTS_FIT_GIVEN = 2,         /* positions given */
    ZTS_FIT_MISSING_ACTUAL = 3,
    ZTS_FIT_NO_PREDICTION = 4, /* trimmed ones included */
    ZTS_FIT_PARAMETERS = 5,    /* k */
    ZTS_FIT_USS = 6,           /* sum of squared actual values of the trimmed range */
    ZTS_FIT_CSS = 7,           /* corrected sum of squares of the paired actual values */
    ZTS_FIT_SSE = 8,
    ZTS_FIT_MSE = 9,
    ZTS_FIT_RMSE = 10,
    ZTS_FIT_UMSE = 11,
    ZTS_FIT_URMSE = 12,
    ZTS_FIT_MAPE = 13,
    ZTS_FIT_MAE = 14,
    ZTS_FIT_RSQUARE = 15,
    ZTS_FIT_ADJ_RSQ = 16,
    ZTS_FIT_A_ADJ_RSQ = 17,
    ZTS_FIT_RW_RSQ = 18,
    ZTS_FIT_AIC = 19,
    ZTS_FIT_SBC = 20,
    ZTS_FIT_APC = 21,
    ZTS_FIT_MAX_ERROR = 22,
    ZTS_FIT_MIN_ERROR = 23,
    ZTS_FIT_MAX_PCT_ERROR = 24,
    ZTS_FIT_MIN_PCT_ERROR = 25,
    ZTS_FIT_ME = 26,
    ZTS_FIT_MPE = 27,
    ZTS_FIT_VALUE_COUNT = 28,
};

/* Statistics selectable by ztssfs and ztssfc: 1 SSE ... 20 MPE, values
 * ZTS_FIT_SSE to ZTS_FIT_MPE in order. */
constexpr int ZTS_FIT_STAT_COUNT = 20;

/* The fit record: the six counts, then the statistics (missing when they
 * cannot be had). */
struct ZTS_FITREC {
    int64_t counts[ZTS_FIT_USS];
    double stats[ZTS_FIT_VALUE_COUNT - ZTS_FIT_USS];
};
static_assert(offsetof(ZTS_FITREC, stats) == 48);
static_assert(sizeof(ZTS_FITREC) == 28 * 8);

/*
 * Fit of predicted[0..n) to actual[0..n) with k parameters into *record.
 * Positions without a prediction at the start and the end are trimmed;
 * `previous` is the actual value before position 0 (missing when
 * unknown), used for the first one-step difference of RW_RSQ.
 * Returns the number of non-missing actual values of the trimmed range
 * (0 for n <= 0 or a null argument).
 */
int64_t ztssfit(const double *actual, const double *predicted, int64_t n, int64_t k, ZTS_FITREC *record,
                double previous);

/* Statistic `index` (1 SSE ... 20 MPE) of the record; missing for an index
 * outside 1 to 20 or a null record. */
double ztssfs(const ZTS_FITREC *record, int index);

/*
 * Which of two values of statistic `index` is the better: 1 when b is, 0
 * when a is, -1 when both are missing, -2 for an index outside 1 to 20.
 * A missing value loses.  The R-square family (8 to 11) is better larger;
 * errors and their extremes, ME and MPE (15 to 20) are better nearer 0;
 * the others, AIC and SBC included, are better smaller.
 */
int ztssfc(int index, double a, double b);

#endif
