/*
 * intnx.h - stepping by intervals (INTNX): from a value x, the value n
 * intervals later, aligned to the beginning, middle, end or the same
 * position of its interval.
 *
 * Values are of the descriptor's kind: 'd' day numbers (day 0 =
 * 1 January 1960), 's' seconds (datetimes for calendar codes, times of day
 * otherwise), 'o' observation numbers.  Calendar intervals accept and give
 * days from 1 January 1582 to 26 December 20000 only.  Every failure gives
 * the ordinary missing value.
 *
 * Alignment on WEEKDAY intervals: "B" is the first working day of the
 * target interval, "E" its last working day and "M" its middle working
 * day (rounded down); for kind 's' "E" is the last second of the last
 * working day and "M" the middle second of the working time, so that no
 * alignment lands on a day off.
 *
 * The closed forms of unit_steps.h answer the ordinary calls of the
 * built-in calendar intervals; the general code answers the rest.
 *
 * Exports: zintnx2, zintnx3, zintnx4, weekday, yearbase, the general
 * code alone, zintnx2General, zintnx3General (for tests that compare it
 * with the closed forms, and for the closed forms to fall back on), and
 * zintKeepShiftBase.
 */
#ifndef ORV_INTERVAL_INTNX_H
#define ORV_INTERVAL_INTNX_H

#include <cstdint>

#include "interval/interval_desc.h"

/*
 * Start of the interval n intervals after the one that holds x (beginning
 * alignment).  x and n are floored after adding 1e-12, so that a value a
 * hair below an integer counts as that integer.
 * Returns the start, or missing: for a null descriptor, a missing x or n,
 * |n| > 2^53, a value or result outside the valid range (calendar codes)
 * or beyond 2^53 in magnitude (seconds and observations), a kind that does
 * not fit the code.  A custom interval (code 65) steps by its periods
 * (customINTNX, custom_ops.h): .M and .I are then values too, and the
 * result may be .M (the open period before the data).
 */
double zintnx2(const ZINT_DESC *desc, double x, double n);

/*
 * INTNX with alignment: 'B' (and any other character), 'M', 'E' or 'S'.
 * A custom interval aligns to its period's begin ('B', 'S'), end ('E', .I
 * for an open-ended period) or floor((begin + end) / 2) ('M').
 * 'S' keeps x's position in its interval, counted in shift-base units
 * (QTR: months and days) and clipped to the target interval.
 * shiftBase: null, or a record that caches the shift-base interval between
 * calls; it is rebuilt whenever it does not belong to desc, so one record
 * may serve several intervals.
 * Returns the aligned value or missing.
 */
double zintnx3(const ZINT_DESC *desc, char align, ZINT_DESC *shiftBase, double x, double n);

/* The caller's shift-base record of a same-position zintnx3 call that a
 * closed form answered with `result`, kept (built when it does not belong
 * to desc) as the general code keeps it.  Returns result, so that the
 * closed form ends in this call.  REQUIRES: shiftBase not null. */
double zintKeepShiftBase(const ZINT_DESC &desc, ZINT_DESC *shiftBase, double result);

/* zintnx2 and zintnx3 without the closed forms of unit_steps.h. */
double zintnx2General(const ZINT_DESC *desc, double x, double n);
double zintnx3General(const ZINT_DESC *desc, char align, ZINT_DESC *shiftBase, double x, double n);

/*
 * INTNX with alignment for grids of time IDs.  As zintnx3 except for 'S':
 * MONTH keeps the day of month and the time of day (clipped to the target
 * month's last day); QTR, SEMIYEAR and YEAR move x by whole months keeping
 * the day of month (clipped likewise); NONE, OBS, the time units, DAY,
 * WEEKDAY, WEEK, WEEKV, TENDAY and SEMIMONTH add x's offset from its
 * interval start to the target start, at most to the target's end; the
 * retail codes and YEARV align as zintnx3.
 */
double zintnx4(const ZINT_DESC *desc, char align, double x, double n);

/*
 * The WEEKDAY step of zintnx2: from day number `day`, n intervals of m
 * working days with stored shift s.  Returns the day number, or missing
 * when no day of desc's week is a working day or n x m would exceed the
 * product limit.  The result is not range-checked.
 */
double weekday(const ZINT_DESC *desc, int64_t day, int64_t n, int64_t m, int64_t s);

/*
 * The month-based step of zintnx2 (TENDAY, SEMIMONTH, months, quarters,
 * half-years and years, retail ones included): from day number `day`, n
 * intervals of multiplier m with stored shift s.  Returns the day number,
 * or missing (n too large, a year beyond 1581 to 20001, a code that is
 * not month-based: that also writes a debug line).
 */
double yearbase(int code, int64_t n, int64_t m, int64_t s, int64_t day);

#endif
