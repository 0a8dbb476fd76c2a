/*
 * series_summary.h - the summary of one series into a ZTS_SUMMARY: counts,
 * runs of missing values, extremes, mean, standard deviation and sum.
 *
 * Exports: ztssumm.
 */
#ifndef ORV_SERIES_SERIES_SUMMARY_H
#define ORV_SERIES_SERIES_SUMMARY_H

#include <cstdint>

#include "series/series_context.h"

/*
 * Summarises values[0..n) into *summary: n < 1 gives counts 0 and missing
 * statistics; runs are the shortest and longest runs of consecutive
 * missing values (leading and trailing runs included, 0 without any);
 * the standard deviation is the sample one (missing below two values),
 * computed from deviations about the mean.
 * Returns the number of non-missing values (0 for a null argument).
 */
int64_t ztssumm(const double *values, int64_t n, ZTS_SUMMARY *summary);

#endif
