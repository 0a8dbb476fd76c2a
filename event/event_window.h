/*
 * event_window.h - where one occurrence of an event lies on a series: the
 * observation index of a timing value (date2pos), an index moved by a
 * shift in observations (shiftByObs), the event's reference position with
 * shifts (ZTSEVCalcTimingObs), the window measured in pulse intervals
 * (ZTSEVCalcBegEnd) and the one-observation window stretched to the
 * series' edges (ZTSEVCalcBegEndObs); and, built from them, the window a
 * shape is laid over (ztsevShapeWindow).
 *
 * Observation indices are 0-based signed 64-bit integers.  Routines that
 * return a position code return the index when it lies in [0, n), else:
 *   -1  the interval arithmetic failed (or the value is missing)
 *   -2  the value lies before the first observation
 *   -3  it lies at or after observation n
 *   -4  the series has no start
 * and store the raw index (possibly outside [0, n)) through an out
 * argument.  Raw indices and shifted indices are kept within
 * +-ZTSEV_INDEX_LIMIT, so an observation number of 1e30 is a position
 * after the series and adding durations can never overflow.
 *
 * Exports: ZTSEV_POS_*, ZTSEV_INDEX_LIMIT, ZTSEV_CANNOT_PLACE, ztsevIndexOf,
 * ztsevOwnPulse, date2pos, shiftByObs, ZTSEVCalcTimingObs, ZTSEVCalcBegEnd,
 * ZTSEVCalcBegEndObs, ZTSEV_WINDOW, ztsevShapeWindow.
 */
#ifndef ORV_EVENT_EVENT_WINDOW_H
#define ORV_EVENT_EVENT_WINDOW_H

#include <cstdint>

#include "event/event_records.h"

enum : int64_t {
    ZTSEV_POS_FAILED = -1,
    ZTSEV_POS_BEFORE = -2,
    ZTSEV_POS_AFTER = -3,
    ZTSEV_POS_NO_START = -4,
};

/* Raw indices, shifts and durations are clamped to this magnitude (2^61):
 * sums of three of them stay within int64. */
constexpr int64_t ZTSEV_INDEX_LIMIT = int64_t(1) << 61;

/* Status of an occurrence that cannot be placed on the time axis. */
constexpr int ZTSEV_CANNOT_PLACE = 15;

/* value truncated toward zero and clamped to +-ZTSEV_INDEX_LIMIT into
 * *out; false (and *out untouched) for a missing value. */
bool ztsevIndexOf(double value, int64_t *out);

/* True when the qualifiers carry a pulse interval of their own: one was
 * given, and it is not a date or datetime interval (base code 10 to 60)
 * on an observation-indexed series. */
bool ztsevOwnPulse(const ZTSEV_EFFECTIVE *q, const ZTSEV_SERIES *series);

/*
 * Position of a timing value on the series' time axis.
 * Inputs: value; kind 4 (1-based observation number), 8 (date) or 10
 * (datetime); series.  A date on a datetime series counts in seconds, a
 * datetime on a date series falls on its day.  Dated values are indexed
 * from the series' first time ID (or, when that is missing, its first
 * time ID value) with zinttip2 on the series interval.
 * Output: *raw (0 first), the raw index.
 * Returns the index or a position code.
 */
int64_t date2pos(double value, int kind, const ZTSEV_SERIES *series, int64_t *raw);

/* raw + shift (shift truncated, both clamped); *code the index or -2, -3 by
 * the range [0, n).  Returns the shifted raw index. */
int64_t shiftByObs(int64_t raw, int64_t n, int64_t *code, double shift);

/*
 * Reference position of an occurrence of event (shapes measure from it).
 * Inputs: event; key, the user event whose date key gave the occurrence,
 * or null; value, kind; series.  Without a key shift the position is
 * date2pos of the value; a key's shift moves it (by the key's own pulse
 * interval with "same" alignment, else in observations); a shift of the
 * event itself replaces either, computed the same way from the value.
 * Outputs: *code the position code; *shiftedDate (may be null) the value
 * after the shift that applied (the value itself when none did).
 * Returns the raw index.
 */
int64_t ZTSEVCalcTimingObs(const ZTSEV_EVENT *event, const ZTSEV_EVENT *key, double value, int kind,
                           const ZTSEV_SERIES *series, int64_t *code, double *shiftedDate);

/*
 * Window of an occurrence measured in the pulse interval of q (an OBS
 * pulse, or none, on a dated series means the series interval times its
 * multiplier): from the start of the interval `before - 1` intervals
 * before the (shifted) anchor to the end of the one `after - 1` intervals
 * after it; ALL opens a side to the series' edge.
 * Outputs: *begin, *end the window's indices (clipped as described in the
 * source; begin above end means empty), *rawBegin, *rawEnd, and, when not
 * null, *beginDate, *endDate (in the window interval's kind, *dateKind
 * 4, 8 or 10 when not null; none written on failure).
 * Returns 0, or 15 when a bound cannot be computed or placed.
 */
int ZTSEVCalcBegEnd(const ZTSEV_EFFECTIVE *q, double value, int kind, const ZTSEV_SERIES *series, int64_t *begin,
                    int64_t *end, int64_t *rawBegin, int64_t *rawEnd, double *beginDate, double *endDate,
                    int *dateKind);

/*
 * The one-observation window at date2pos(value) + q's shift: begin and end
 * are that position, stretched to 0 (before ALL, or a negative position)
 * and to n - 1 (after ALL, or a position at or after n); the magnitudes of
 * the durations do not count.
 * Returns 0, or 15 when the value cannot be placed (-1 or -4).
 */
int ZTSEVCalcBegEndObs(const ZTSEV_EFFECTIVE *q, double value, int kind, const ZTSEV_SERIES *series,
                       int64_t *begin, int64_t *end, int64_t *rawBegin, int64_t *rawEnd);

/* The window one occurrence of a shape covers. */
enum : int {
    ZTSEV_WINDOW_PLAIN = 0,    /* durations in observations around t */
    ZTSEV_WINDOW_INTERVAL = 1, /* the event's own pulse interval */
    ZTSEV_WINDOW_KEY = 2,      /* around the key event's window */
};
struct ZTSEV_WINDOW {
    int form;              /* ZTSEV_WINDOW_* */
    int64_t t;             /* reference position (raw) */
    int64_t rawBegin;      /* B: window start before clipping */
    int64_t rawEnd;        /* E': window end before clipping */
    int64_t lo, hi;        /* observations written: [lo, hi] within [0, n); empty when lo > hi */
    bool allBefore, allAfter;
    int64_t before, after; /* durations in intervals (0 when ALL) */
    bool keyOwnPulse;      /* key window: the event has its own pulse interval */
};

/*
 * The window of one occurrence of event for the shapes.  Plain window: t =
 * date2pos + the event's shift, B = t - before, E' = t + after (ALL: the
 * series' edge; then B or E' is t itself).  Interval window: t from
 * ZTSEVCalcTimingObs, B and E' from ZTSEVCalcBegEnd.  Key window (keyWindow
 * true, key given): the key's window by its qualifiers, the event's window
 * around the key's begin and end dates.
 * Returns 0 with *w filled (lo > hi when nothing is to be written, also when
 * a window bound cannot be computed); 15 when the position cannot be
 * computed.
 */
int ztsevShapeWindow(const ZTSEV_EVENT *event, const ZTSEV_EVENT *key, bool keyWindow, double value, int kind,
                     const ZTSEV_SERIES *series, ZTSEV_WINDOW *w);

#endif
