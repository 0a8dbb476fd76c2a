/*
 * interval_formats.h - the recommended display format of an interval's
 * values, its time-of-day variants, and the category of a format name.
 *
 * A recommendation is a format name (at most ZINT_FORMAT_NAME_SIZE
 * characters, written without a terminator and followed by zero bytes up
 * to ZINT_FORMAT_NAME_SIZE), its length, a width and a minimum width.
 * Every name recommended for a built-in interval is a format the host
 * renders, and every width is at least what the host needs to show the
 * interval's values in it.
 *
 * Exports: ZINT_FORMAT_NAME_SIZE, zintfmt, zintfmm, zintfmp, zintfmd,
 * zfmttype, zfmtunits.
 */
#ifndef ORV_INTERVAL_INTERVAL_FORMATS_H
#define ORV_INTERVAL_INTERVAL_FORMATS_H

#include <cstdint>

#include "interval/interval_desc.h"

constexpr int ZINT_FORMAT_NAME_SIZE = 16;

/*
 * The recommended format of desc's values.
 * Outputs (each may be null): name (REQUIRES ZINT_FORMAT_NAME_SIZE bytes),
 * nameLength, width, minWidth:
 *   null descriptor or code 0: "D" 9/7;
 *   kind 'o' or 'u': "F" 6/4;
 *   SECOND "DATETIME" 16/16; MINUTE 13/13 (16 shifted); HOUR 10/10 (13
 *   shifted);
 *   DAY, WEEKDAY, TENDAY, SEMIMONTH "DATE" 9/7; WEEK "WEEKDATX" 17/15;
 *   WEEKV, YEARV and the retail codes "WEEKV" 9/7; QTR "YYQC" 6/4; MONTH,
 *   SEMIYEAR and a shifted QTR or YEAR "MONYY" 7/5; YEAR "YEAR" 4/2;
 *   any other code "DATE" 9/7;
 *   kind 's' takes the "DT" forms (DTDATE, DTWKDATX, DTWEEKV, DTYYQC,
 *   DTMONYY, DTYEAR; DATETIME 16/16 for any other code);
 *   custom: the format of its BEGIN variable, else "DATE" 9/7 ("DATETIME"
 *   16/16 for kind 's').
 * Returns 0; 1 for a null descriptor or code 0.
 */
int zintfmt(const ZINT_DESC *desc, char *name, int16_t *nameLength, int16_t *width,
            int16_t *minWidth);

/*
 * As zintfmt, except that SECOND, MINUTE and HOUR (kind 's') with a value
 * x in 0 to multiplier x 86400 + stored shift get "TIME" 10/8 (13/8 when
 * shifted, wider when x needs it): times of day rather than datetimes.
 * A missing x is answered by zintfmt.  Returns as zintfmt.
 */
int zintfmm(const ZINT_DESC *desc, char *name, int16_t *nameLength, int16_t *width,
            int16_t *minWidth, double x);

/*
 * As zintfmt, except that SECOND, MINUTE and HOUR (kind 's', names not
 * starting with "D") whose values run from a (0 to twice the multiplier
 * x 86400 + stored shift) to b get a duration format sized for the span:
 * HOUR "HHMM" (or "HOUR" beyond 1000 intervals), MINUTE "HHMM", SECOND
 * "MMSS" (or "TIME" beyond 1000 intervals or 99 hours).  Widths come from
 * the digits of the span's hours and minutes, are at least what the
 * larger of a and b needs, and at most 20.  Returns as zintfmt.
 */
int zintfmp(const ZINT_DESC *desc, char *name, int16_t *nameLength, int16_t *width,
            int16_t *minWidth, double a, double b);

/*
 * As zintfmt, except that SECOND, MINUTE and HOUR (kind 's', names not
 * starting with "D") get a duration format sized for the multiplier:
 * HOUR below 5 "HHMM" 10/8, up to 23 11/8; MINUTE below 16 "HHMM" 6/5, up
 * to 60 7/5, up to 1439 7/6; SECOND below 6 "MMSS" 5/5, below 16 6/5, up
 * to 86399 "TIME" 8/5.  Larger multipliers are answered by zintfmt.
 * Returns as zintfmt.
 */
int zintfmd(const ZINT_DESC *desc, char *name, int16_t *nameLength, int16_t *width,
            int16_t *minWidth);

/*
 * The category of a format name (length bytes; trailing blanks do not
 * count; upper and lower case differ).
 * Returns 4 num, 8 date, 9 time, 10 datetime, 0 any other category, -1
 * a name that is not in the catalogue (also a null name or a length below
 * 1).
 */
int zfmttype(const char *name, int length);

/* The unit letter of a format name: 'o' num, 'd' date, 's' time or
 * datetime, 0 otherwise. */
int zfmtunits(const char *name, int length);

#endif
