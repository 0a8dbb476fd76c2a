/*
 * custom_periods.h - the periods of a custom interval: locating a value,
 * a period by its index, raw periods and the first and last values.
 *
 * Raw periods 1 to N are the observations of the interval's data set:
 * begin BEGIN[i]; end END[i], or without END the next BEGIN - 1 (the last
 * period is then open-ended, end .I); season SEASON[i].  Index 0 is the open
 * period before the data (begin .M); with END, index N + 1 is the open
 * period after it (end .I).  Periods tile: a value lies in period i when
 * begin <= value < end + 1, so fractional values between one end and the
 * next begin belong to the earlier period.
 *
 * With multiplier g and shift f (0 <= f < g, else every operation fails),
 * period k covers raw periods g(k - 1) + f + 1 to g k + f and has no season.
 *
 * The position values .F (first period), .M (before the first), .L (last
 * period) and .I (after the last) are accepted where a value is.
 *
 * Every operation loads the definition into rec->customRef on first use
 * (zcustLoad); when that fails, the lookups read the data set itself.
 *
 * Exports: ZINT_CUSTOM_END, zintCustomPosition, zintIsCustomPosition,
 * findIndexC, getIndexC, customINTNXBES, customGetObsC, customRange,
 * customRangeD, customFindRawIndexC, zintInOpenLastPeriod, ZintCustomView,
 * zintCustomView.
 */
#ifndef ORV_INTERVAL_CUSTOM_PERIODS_H
#define ORV_INTERVAL_CUSTOM_PERIODS_H

#include <cstdint>

#include "interval/custom_manager.h"
#include "interval/season_record.h"

/* The missing value of a position letter ('F', 'M', 'L', 'I', and the
 * results 'A', 'B', 'H' of customFindRawIndexC). */
double zintCustomPosition(char letter);
bool zintIsCustomPosition(double value, char letter);

/*
 * Locates a value.
 * Outputs: *index (as a double), *begin, *end, *season of its period.
 * Returns 0, or -1 (a value in a gap, before no begin, a missing value
 * other than a position value; the outputs are then ".").
 */
int findIndexC(ZINT_SEAS *rec, double *index, double *begin, double *end, double *season, double value);

/* The period of an index (a whole number, or .L for the last period).
 * Returns 0, or -1 for an index outside the periods (outputs "."). */
int getIndexC(ZINT_SEAS *rec, double *begin, double *end, double *season, double index);

/* The period before the one that holds value; all "." and -1 on
 * failure. */
int customINTNXBES(ZINT_SEAS *rec, double *begin, double *end, double *season, double value);

/* Raw period `raw` (1 to N, or .L for N).  Returns 0 or -1. */
int customGetObsC(ZINT_SEAS *rec, double *begin, double *end, double *season, double raw);

/* The first value (the first present BEGIN, or END where BEGIN is missing)
 * and the last (the last present END, or BEGIN where END is missing).
 * mode below 0: first only; 0: both; above 0: last only.  Returns 0, or -1
 * when a wanted value is missing. */
int customRange(ZINT_SEAS *rec, int mode, double *first, double *last);

/* A first or last value with the raw period it came from and its
 * variable, 'B' or 'E' (a blank when there is none). */
struct ZINT_CUSTOM_END {
    double value;
    int64_t raw;
    char variable;
};
int customRangeD(ZINT_SEAS *rec, int mode, ZINT_CUSTOM_END *first, ZINT_CUSTOM_END *last);

/*
 * The raw period that holds a value, for event windows.
 * Outputs: *raw, *begin, *end.
 * Returns the raw number; .B for a value before a first value that is a
 * BEGIN (raw = its number - 1); .A for a value after a last value that is
 * an END (raw = its number + 1); .H for a value in a hole between two
 * periods (raw = the earlier one, begin and end the hole's); "." when the
 * definition cannot be loaded or the value lies nowhere.
 */
double customFindRawIndexC(ZINT_SEAS *rec, double *raw, double *begin, double *end, double value);

/* True when the interval's data set has no END and value lies in its last
 * period, which then has no end (.I).  Such a period holds no time IDs
 * (zintctid counts the periods after a value up to the one before it). */
bool zintInOpenLastPeriod(ZINT_SEAS *rec, double value);

/* A definition as the operations read it: from the loaded reference, or
 * read from the data set. */
struct ZintCustomView {
    int64_t n = 0;
    const double *begin = nullptr;
    const double *end = nullptr;    /* null without END */
    const double *season = nullptr; /* null without SEASON */
    int64_t g = 1;
    int64_t f = 0;
    ZintCustomData direct;
};

/* Fills view for rec (loading on first use).  readOnNullRef: read the
 * data set also when the registry has no entry for the name.  False when
 * no definition can be had or the shift is not below the multiplier. */
bool zintCustomView(ZINT_SEAS *rec, bool readOnNullRef, ZintCustomView &view);

#endif
