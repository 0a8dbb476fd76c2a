/*
 * datekey_dates.h - date-key expansion: the concrete dates of a date key
 * (holiday, n-th weekday of a month, season of an interval, season of a
 * custom interval, a user event used as a key) that can reach one BY group
 * of a series, the occurrences of an event with a PERIOD= interval, the
 * timing run of an event-data-set row, time-ID grids, and week-of-year
 * numbers.
 *
 * Results are double arrays from the caller's pool with their count and
 * one value kind for the whole array: 4 observation numbers, 8 dates, 10
 * datetimes.  Statuses (0 success):
 *    1  no pool
 *    7  a run's array cannot be allocated (event-data-set runs, grids)
 *   11  an event-data-set row mixes its timing groups
 *   12  the series interval is missing, or a run lacks its interval (or
 *       its OBS multiplier is not a positive whole number)
 *   13  unknown or malformed date key, user key not found, or a user key
 *       that leads back to itself deeper than ZTSEV_USER_KEY_DEPTH
 *   15  the value cannot be placed (kind mismatch, run end before start,
 *       a grid or period run that cannot be counted)
 *   22  the key is not defined for the series interval
 *   24  the period interval is missing
 *   -4  the group's time span or a required date cannot be computed, or
 *       the span holds more than ZTSEV_DATES_CAP candidate periods
 * Running out of memory for a result array ends the step (1016).
 *
 * Custom intervals (code 65) step and count by the periods of their data
 * sets (interval/custom_ops.h).  Their calendars end: a step past the
 * first period gives .M, past the last .I, and a value between two periods
 * (a gap) lies in none.  A series or window that reaches past a calendar's
 * end is cut at the calendar's end instead of failing.
 *
 * Exports: ZTSEV_DATES_CAP, ZTSEV_USER_KEY_DEPTH, ZTSEV_RETAIL_*_WEEKS,
 * ZTSEVDatekey2Dates, ZTSEVCustDatekey2Dates, ZTSEVMakePeriodicDates,
 * ztsevCustomBoundStep, IntnxNearestIndex, OpenNotAllowed,
 * ZTSEVDatesFromUserDatekey,
 * ztsevTemporaryPool, ZTSEVGetEventdataDates, ZTSEVMakeTimeids, zweekyr,
 * weekfrac.
 */
#ifndef ORV_EVENT_DATEKEY_DATES_H
#define ORV_EVENT_DATEKEY_DATES_H

#include <array>
#include <cstdint>

#include "event/event_records.h"
#include "event/event_window.h"

/* Most candidate periods (or grid points) one expansion may size an array
 * for: a span beyond it is refused instead of allocated. */
constexpr int64_t ZTSEV_DATES_CAP = int64_t(1) << 24;

/* Deepest chain of user events used as date keys (A keyed by B keyed by
 * C ...); a longer one is noted as a cycle or as too deep
 * (event_chains.h). */
constexpr int ZTSEV_USER_KEY_DEPTH = 16;

/* Expansion statuses besides those of the event list. */
enum : int32_t {
    ZTSEV_DK_NO_POOL = 1,
    ZTSEV_DK_NO_MEMORY = 7,
    ZTSEV_DK_MIXED_ROW = 11,
    ZTSEV_DK_NO_INTERVAL = 12,
    ZTSEV_DK_CANNOT_PLACE = ZTSEV_CANNOT_PLACE,
    ZTSEV_DK_NOT_FOR_INTERVAL = 22,
    ZTSEV_DK_NO_PERIOD = 24,
    ZTSEV_DK_NO_SPAN = -4,
};

/* First week (0-based) of each month in a retail year. */
extern const std::array<int, 12> ZTSEV_RETAIL_445_WEEKS;
extern const std::array<int, 12> ZTSEV_RETAIL_454_WEEKS;
extern const std::array<int, 12> ZTSEV_RETAIL_544_WEEKS;

/*
 * The dates of date key `code` that can reach the series' span, widened
 * by q's durations and shift (q may be null: no widening).
 * Outputs: *count, *kind, *status (all 0 first).
 * Returns the array (may hold 0 dates), or null with a non-zero status
 * (or with status 0 when the key has no candidate periods at all).
 */
double *ZTSEVDatekey2Dates(int64_t code, const ZTSEV_EFFECTIVE *q, const ZTSEV_SERIES *series, int64_t *count,
                           int32_t *kind, MEMORY_OBJECT *pool, int32_t *status);

/*
 * The dates of season code - 10000 of the custom interval named before the
 * first "_" of keyName: the begin of every period with that season from
 * the one holding the series' first interval to the one holding its last
 * (a span that starts or ends in a gap of the calendar keeps the periods
 * inside it).  q is not read.  *kind is that of the calendar's display
 * format.  Status 1 no pool; 13 when the name names no custom interval;
 * 22 on an observation series or when the periods cannot be counted over
 * the span; -4 when the span cannot be computed.  No period of the season:
 * null with status 0.
 */
double *ZTSEVCustDatekey2Dates(int64_t code, const ZTSEV_EFFECTIVE *q, const ZTSEV_SERIES *series, int64_t *count,
                               int32_t *kind, MEMORY_OBJECT *pool, ORV_COUNTED_NAME keyName, int32_t *status);

/*
 * The occurrences of reference value `reference` (of kind *kind) repeated
 * once per `period` within the series' span widened by q.
 * In/out: *kind (the result's kind on return).  Outputs: *count, *status.
 * Returns the array or null with the status.
 */
double *ZTSEVMakePeriodicDates(const ZTSEV_SERIES *series, const ZINT_DESC *period, const ZTSEV_EFFECTIVE *q,
                               int64_t *count, int32_t *kind, MEMORY_OBJECT *pool, double reference,
                               int32_t *status);

/*
 * zintnx3(w, align, x, n) for a custom interval w, telling a step that runs
 * off the calendar from a value in no period: the ordinary missing value
 * for a value the calendar places becomes .M (n < 0) or .I (n > 0).
 * seconds: x and the result are seconds while w counts days; the step is
 * taken on x's day and an 'E' result is the last second of its day.
 */
double ztsevCustomBoundStep(const ZINT_DESC &w, char align, double x, double n, bool seconds);

/*
 * *value stepped by *steps intervals of desc with alignment `align`.
 * Built-in intervals: mode 1 recomputes *steps as the count from the old
 * value to the new one.
 * Custom intervals: a result in an open period (before the first period,
 * after the last, or past the calendar's ends) moves one period inward and
 * a value in a gap first moves to the period that side names ('L', 'N' the
 * one before, 'P', 'R' the one after, 'C' the closer by alignment point);
 * the result is checked by OpenNotAllowed, whose side rules apply, and
 * *steps becomes the count from the old value to the new one.
 * Returns 0; -4 when the step gives no value; 15 as OpenNotAllowed.
 */
int IntnxNearestIndex(const ZINT_DESC *desc, char align, int32_t *mode, int32_t side, double *value, double *steps);

/*
 * Checks that *value lies in a period of desc with both its begin and end;
 * *steps becomes the count from reference to *value.  On a custom interval
 * a value in the open period before the first (after the last) period
 * moves one period forward (back), aligned by `align`; side 'N' refuses a
 * move that leaves the value after reference's period (a bound moving
 * back), 'P' one that leaves it before.
 * Returns 0, or 15 with *steps missing (also for a value in a gap, or a
 * calendar without a closed period).
 */
int OpenNotAllowed(const ZINT_DESC *desc, char align, int32_t *mode, int32_t side, double *value, double *steps,
                   double reference);

/*
 * The dates of a user event used as a date key, one per path through its
 * keys (datekey_expansion.h): its timing values (each repeated by its
 * PERIOD= interval when it has one) and the dates of its own date keys,
 * user keys expanded recursively.
 * Outputs: *dates, *kinds (one kind per date) grown in pool, *count.
 * Returns the last status; 13 when a key is unknown (note (883, 602)) or
 * the chain of user keys is deeper than ZTSEV_USER_KEY_DEPTH (note
 * (883, 604) for a cycle, (883, 621) for a chain that is only deeper).  A
 * failed temporary pool ends the step with 9999.
 */
int ZTSEVDatesFromUserDatekey(const ZTSEV_EVENT *event, ZTSEV_LIST *datekeyList, const ZTSEV_SERIES *series,
                              MEMORY_OBJECT *pool, double **dates, int64_t *count, int32_t **kinds);

/* A temporary host pool (blocks of 1024 bytes) for one expansion, deleted
 * by the caller with xmpoold.  When the host cannot create it for want of
 * memory the step ends with the memory message and 1016; for any other
 * reason its status is logged and the step ends with 9999. */
MEMORY_OBJECT *ztsevTemporaryPool();

/*
 * The timing run of one event-data-set row: a single start value, or the
 * grid from start to end by the row's interval.
 * Outputs: *count, *values (from pool), *kind.
 * Returns 0; 1 no pool; 7 no memory; 11 mixed groups; 12 no interval (or
 * a bad OBS multiplier); 15 end before start or a run that cannot be
 * counted; -4 no start at all.
 */
int ZTSEVGetEventdataDates(const ZTSEV_ROWBUF *row, int64_t *count, double **values, int32_t *kind,
                           MEMORY_OBJECT *pool);

/*
 * The grid start, start + 1 interval, ... (zintnx4 with `align`) up to and
 * including end, never past it.
 * Outputs: *count, *status: 0; 1 no pool; 7 no memory; 12 desc names no
 * interval; 15 the span cannot be counted or holds more than
 * ZTSEV_DATES_CAP points.
 * Returns the array (flags 0x2002) or null.
 */
double *ZTSEVMakeTimeids(const ZINT_DESC *desc, char align, int64_t *count, MEMORY_OBJECT *pool, int32_t *status,
                         double start, double end);

/*
 * Week of the year of date x with weeks starting on weekday a (1 = Sunday
 * ... 7): week 1 begins on the year's first day of weekday a; days before
 * it belong to the previous year's last week.  Week 53 is kept when allow53
 * is non-zero, else it is week 1 of the next year.
 * Outputs: *week, *year (the week's year).  Returns 0, or 15 for a date the
 * calendar cannot place.
 */
int zweekyr(int a, double *week, double *year, int allow53, double x);

/* The week of x as a real number counted from the first day of weekday a
 * in year zyear(x) + *offset (whole part 0 for days before it).
 * In/out: *offset (becomes that year).  Returns 0 or 15. */
int weekfrac(int a, double *week, double *offset, double x);

#endif
