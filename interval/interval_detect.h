/*
 * interval_detect.h - the interval of a whole sorted series of time
 * values: a vector, the current BY group of an open data set, or a
 * variable of a named data set.
 *
 * The closest-spaced three neighbouring values decide the interval
 * (zintget); the answer is checked against every value, and when a daily
 * (or observation) answer leaves gaps the WEEKDAY intervals of wdays are
 * tried in turn.
 *
 * Results of the detection routines (zintdg*):
 *   0 determined, every step one interval; 1 determined with gaps;
 *   2 not determined; 10 a missing value; 20 values not ascending;
 *   21 a duplicate value; 30 fewer than 3 values;
 *   106 a value that cannot be fetched (readers);
 *   102 a bad data-set name, 103 the data set does not open, 104 no such
 *   variable (or an empty name), 105 a variable that is not numeric
 *   (named data sets).
 * Results of the check routines (zintdc*): 0 every step is exactly one
 * interval; 1 some step spans more; 2 some step spans less, or a value
 * lies off a WEEKDAY's working days; 10, 20, 21, 106, 102 to 105 as above.
 *
 * On any result but 0 or 1 the descriptor is NONE (kind 'u', code 0,
 * multiplier 1) or all zero, and the information record all zero.
 *
 * Exports: zintdgv, zintdcv, zintdgp, zintdcp, zintdgd, zintdcd,
 * ZINT_REWIND_GROUP.
 */
#ifndef ORV_INTERVAL_INTERVAL_DETECT_H
#define ORV_INTERVAL_INTERVAL_DETECT_H

#include <cstdint>

#include "host/host_records.h"
#include "interval/interval_desc.h"
#include "interval/interval_fit.h"

/* xbyrwnd's request: back to the start of the current BY group. */
constexpr int ZINT_REWIND_GROUP = 66;

/* Detection over values[0 .. n).  Outputs: *desc; *info when not null. */
int zintdgv(const double *values, int64_t n, ZINT_DESC *desc, ZINT_INFO *info);

/* The check of values[0 .. n) against desc (fewer than 2 values: 0). */
int zintdcv(const double *values, int64_t n, const ZINT_DESC *desc);

/*
 * Detection over the observations of reader's current BY group, variable
 * number varNo (numeric).  The group is rewound before the scan and before
 * returning, so the reader's position does not move.
 */
int zintdgp(DATA_SET_HANDLE *reader, int varNo, ZINT_DESC *desc, ZINT_INFO *info);

/* The check over reader's current BY group; *firstLast (two doubles, may
 * be null) receives the first value and the last value read. */
int zintdcp(DATA_SET_HANDLE *reader, int varNo, const ZINT_DESC *desc, double *firstLast);

/* Detection over variable `variable` of data set `dataSet` ("member" or
 * "libref.member", librefs of at most 8 characters). */
int zintdgd(const char *dataSet, int dataSetLength, const char *variable, int variableLength,
            ZINT_DESC *desc, ZINT_INFO *info);

/* The check over a variable of a named data set; *firstLast as zintdcp. */
int zintdcd(const char *dataSet, int dataSetLength, const char *variable, int variableLength,
            const ZINT_DESC *desc, double *firstLast);

#endif
