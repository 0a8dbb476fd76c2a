/*
 * year_check.h - expansion of two-digit years through the host's year
 * cut-off, and the range check of years.
 *
 * Exports: zyrcheck, ZYRCHECK_*.
 */
#ifndef ORV_INTERVAL_YEAR_CHECK_H
#define ORV_INTERVAL_YEAR_CHECK_H

enum : int {
    ZYRCHECK_OK = 0,
    ZYRCHECK_OUT_OF_RANGE = 1,
    ZYRCHECK_MISSING = 2,
};

/* Option id of the two-digit-year cut-off, and the cut-off used when the
 * host cannot report it. */
constexpr int ZYRCHECK_CUTOFF_OPTION = 4443;
constexpr int ZYRCHECK_DEFAULT_CUTOFF = 1926;

/*
 * Checks a year, truncated toward zero.  A year 0 to 99 is a two-digit
 * year: mode 0 rejects it; any other mode expands it into the hundred
 * years from the cut-off c (c to c + 99) and mode 1 writes the expanded
 * year back to *year.
 * Returns ZYRCHECK_OK for a year 1582 to 20000, ZYRCHECK_OUT_OF_RANGE for
 * any other (and for a two-digit year in mode 0), ZYRCHECK_MISSING for a
 * missing year or a null pointer.
 */
int zyrcheck(double *year, int mode);

#endif
