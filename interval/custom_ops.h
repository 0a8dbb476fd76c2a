/*
 * custom_ops.h - stepping, counting, seasons and the display format of
 * custom intervals (base code 65), the answers that the interval core
 * hands to them.
 *
 * Every operation takes the working record of the interval (a ZINT_SEAS
 * whose descriptor has code 65); the first that needs the definition
 * stores its reference in rec->customRef, which whoever built the record
 * releases (zcintcReleaseRef).  Values are as in custom_periods.h; the
 * position values .F, .M, .L and .I are accepted.  Every failure gives the
 * ordinary missing value (or -1 for customINTFMT).
 *
 * Exports: customINTNX, customINTNXE, customINTINDEX, customINTCK,
 * customINTSEAS, customINTFMT.
 */
#ifndef ORV_INTERVAL_CUSTOM_OPS_H
#define ORV_INTERVAL_CUSTOM_OPS_H

#include <cstdint>

#include "interval/season_record.h"

/*
 * The begin (customINTNX), end (customINTNXE) or season (customINTINDEX)
 * of the period n periods after the one holding x.  A missing n gives x's
 * own period (".", for .F and .M); from .I only n <= 0 steps.
 */
double customINTNX(ZINT_SEAS *rec, double x, double n);
double customINTNXE(ZINT_SEAS *rec, double x, double n);
double customINTINDEX(ZINT_SEAS *rec, double x, double n);

/* The index of to's period minus the index of from's, or ".". */
double customINTCK(ZINT_SEAS *rec, double from, double to);

/* The largest SEASON value, or "." (none; multiplier above 1; shift not
 * below the multiplier). */
double customINTSEAS(ZINT_SEAS *rec);

/*
 * The display format of the interval's values: the format of BEGIN, or
 * DATETIME 16/16 when the first or last value is at least 86400 in
 * magnitude, else DATE 9/7.
 * Outputs: name (REQUIRES 16 bytes; not terminated), *nameLength, *width,
 * *minWidth.
 * Returns 0, or -1 when the data set cannot be opened, has no BEGIN, its
 * format name is longer than 16 characters or its values cannot be had.
 */
int customINTFMT(ZINT_SEAS *rec, char *name, int16_t *nameLength, int16_t *width, int16_t *minWidth);

#endif
