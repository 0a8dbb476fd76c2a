/*
 * series_timing.h - timing of the reader operations through the host's
 * timer extension "qxperf", loaded through the kernel handle
 * (Exported_QXHandle).  Each reading has two counters, A and B; totals keep
 * total A, total B and the two start readings.  Without the extension
 * (a host that lacks it, or a kernel handle not yet published) every
 * timing routine does nothing and the totals stay 0.
 *
 * Exports: ZTS_TIMEPAIR, ZTSSetIOTiming, ZTSInitTiming, ZTSStartTiming,
 * ZTSStopTiming, ZTSGetIOTiming, ZTSGetTiming, ZTSResetTiming.
 */
#ifndef ORV_SERIES_SERIES_TIMING_H
#define ORV_SERIES_SERIES_TIMING_H

#include <cstdint>

#include "series/series_context.h"

/* Two totals handed around by value. */
struct ZTS_TIMEPAIR {
    int64_t totalA;
    int64_t totalB;
};

/* Switches the context's reader timing on and initialises it. */
void ZTSSetIOTiming(ZTS_PROC *ctx);

/* Zeroes totals[0..1] and loads the timer extension into the timer. */
void ZTSInitTiming(ZTS_TIMER *timer, int64_t *totals);

/* Reads the timer into the start readings totals[2..3]. */
void ZTSStartTiming(ZTS_TIMER *timer, int64_t *totals);

/* Reads the timer and adds the time since the start to totals[0..1]. */
void ZTSStopTiming(ZTS_TIMER *timer, int64_t *totals);

/* The context's totals: *b = total B, *a = total A (0 for a null ctx). */
void ZTSGetIOTiming(const ZTS_PROC *ctx, int64_t *b, int64_t *a);

/* Splits a pair: *b = its total B, *a = its total A. */
void ZTSGetTiming(int64_t *b, int64_t *a, ZTS_TIMEPAIR pair);

/* Zeroes both totals of a pair. */
void ZTSResetTiming(ZTS_TIMEPAIR *pair);

#endif
