/*
 * event_shapes.h - the shape generators: one occurrence (one timing value)
 * of an event combined into a dummy series with the event's rule.
 *
 * Every generator takes the timing value and its kind (4 observation
 * number, 8 date, 10 datetime), the event E, the key event K (the user
 * event whose date key gave the occurrence) or null, the series block and
 * the value array of series->count doubles; at every observation i the
 * shape touches, values[i] = ZTSEVValueFromRule(rule, values[i], shape).
 * A dated value on an observation-indexed series contributes nothing.
 * Results: 0; 15 when the occurrence cannot be placed (the caller stops
 * the event's dummy); the rule's status (14) when it fails.  An
 * occurrence whose window bounds cannot be computed writes nothing and
 * gives 0.
 *
 * Windows (event_window.h): t is the reference position, B and E' the raw
 * window ends and [lo, hi] the observations written.  Positions outside
 * the series are kept as they are, so an occurrence before the first or
 * after the last observation writes the part of its window that reaches
 * into the series, with the values it would have there.  The starting
 * exponent k of a temporary change (value v * p^k) and the ramp index at
 * observation i therefore follow one table for every position of t, inside
 * or outside the series (b, a durations; plain window B = t - b, E' = t +
 * a, ALL before: run from 0, ALL after: run to n - 1):
 *
 *   slope before/after   TC exponent k                     ramp value
 *   DECAY/DECAY          i - B   (ALL before: i - t)         -v (i - E') / max(E' - B, 1)
 *   GROWTH/GROWTH        R - i   (R = E'; t when a is 0/ALL) v (i - B) / max(E' - B, 1)
 *   GROWTH/DECAY         t - i up to t, i - t after          peak v at t
 *   DECAY/GROWTH         i - t + L up to t, L - (i - t)      trough 0 at t
 *                        after, L = max(E' - t, t - B)
 *   both ALL             i - t (DECAY side), t - i (GROWTH)  +-v (i - t) by side
 *
 * An occurrence after the series' end with both slopes DECAY is measured
 * from B like every other: its first written observation n - 1 gets
 * k = n - 1 - B.
 *
 * The shapes are built on the pieces of shape_pieces.h (which also holds
 * the range and TC-run writers they share); the pieces never call back.
 *
 * Exports: ZTSEVDate2Shape, ZTSEVDate2Pulse, ZTSEVDate2PulseR,
 * ZTSEVDate2Ramp, ZTSEVDate2TC, ZTSEVDate2PolyTerm, ZTSEVDate2ObsFunc,
 * ztsevPulseRange.
 */
#ifndef ORV_EVENT_EVENT_SHAPES_H
#define ORV_EVENT_EVENT_SHAPES_H

#include <cstdint>

#include "event/event_records.h"
#include "event/shape_pieces.h"

/* Status of ZTSEVDate2ObsFunc called for a type other than INVERSE, LOG. */
constexpr int ZTSEV_BAD_TYPE = 21;

/* Dispatches by E's type: POINT, LS to the pulse writers, RAMP, TR, TC,
 * LINEAR, QUAD, CUBIC, INVERSE, LOG to theirs; any other type writes
 * nothing and gives 0. */
int ZTSEVDate2Shape(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                    const ZTSEV_SERIES *series, double *values);

/* The observations [*lo, *hi] (within the series; empty when *lo > *hi)
 * that one POINT or LS occurrence covers: without a key window (see
 * ztsevKeyWindow) the event's own window; with one, the event's own pulse
 * window around the key's window, else the key's raw window moved by the
 * event's shift and widened by its durations (ALL to the edges), then
 * clipped.  Returns 0, or 15 when the occurrence cannot be placed. */
int ztsevPulseRange(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                    const ZTSEV_SERIES *series, int64_t *lo, int64_t *hi);

/* The pulse: the event's value v over the observations of
 * ztsevPulseRange.  ZTSEVDate2PulseR is the same writer, under the name
 * of the pulse over a key window. */
int ZTSEVDate2Pulse(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                    const ZTSEV_SERIES *series, double *values);
int ZTSEVDate2PulseR(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                     const ZTSEV_SERIES *series, double *values);

/* RAMP and TR: a straight line by the slopes (table above); RAMP also holds
 * the level v beyond a finite GROWTH end and before a finite DECAY start. */
int ZTSEVDate2Ramp(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                   const ZTSEV_SERIES *series, double *values);

/* TC: v * p^k with k by the table above (p the TC parameter). */
int ZTSEVDate2TC(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                 const ZTSEV_SERIES *series, double *values);

/* LINEAR, QUAD, CUBIC: v * (i - t)^power over the window. */
int ZTSEVDate2PolyTerm(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                       const ZTSEV_SERIES *series, double *values, int power);

/* INVERSE v / x and LOG v ln x, with x = 1 at the window's start counting
 * up.  21 for another type. */
int ZTSEVDate2ObsFunc(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                      const ZTSEV_SERIES *series, double *values);

#endif
