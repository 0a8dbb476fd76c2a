/*
 * series_io.h - the BY-group reader of one data set: the set-up of the
 * fetch and the observation estimate, the stores, the per-group read with
 * its time-ID checks, the START/END window, the spooling of rows and their
 * transposition into series, and the group's final time-ID axis.
 *
 * These are the single-data-set operations of ZTS_OPS slots 1, 2, 18, 19
 * and 20, and the pieces the procedures' own group reader calls directly
 * (resetForReadNext, getid, checkid).  Status words: series_context.h.
 *
 * Exports: ZTS_VALUE_LIMIT, ztsInSetup, estimateNobs, ztsPlanRows, ztsResetCommon,
 * ztsIOComInit, ztsIOByNext, ztsIOReadNext, ztsIOReset, ztsReadObservation,
 * resetForReadNext, getid, checkid, finalNobs, allocate.
 */
#ifndef ORV_SERIES_SERIES_IO_H
#define ORV_SERIES_SERIES_IO_H

#include <cstdint>

#include "series/series_context.h"

/* An analysis value of larger magnitude is taken as missing. */
constexpr double ZTS_VALUE_LIMIT = 1.3407807929942597e152;

/* Largest final time-ID count (2^50). */
constexpr int64_t ZTS_MAX_TIME_IDS = int64_t(1) << 50;

/*
 * Slot 1: the value vector, the fetch of the ID and analysis variables, the
 * observation estimate and the raw time-ID array.
 * Returns 0; ZTS_NO_CONTEXT; 66 no pool, 68 no data set, 70 neither;
 * ZTS_BAD_ARGUMENT no selected variables; ZTS_NO_MEMORY; ZTS_VAR_FAILURE
 * when a host variable service failed (logged; the fetch is released);
 * ZTS_NO_IDS without an observation estimate.
 */
int ztsInSetup(ZTS_PROC *ctx);

/* Raw time-ID entries to plan for from the data set's counts; -1 when the
 * data set is not read sequentially or a query fails; 4096 when the count
 * is above 2^50. */
int64_t estimateNobs(ZTS_PROC *ctx);

/* Raw time-ID entries to plan for a data set of `count` observations:
 * 4096 above 2^50 (no estimate); with perGroup (BY groups split the data,
 * or the count is an estimate) at most 16384, 16384 for a negative count;
 * 4096 when that leaves 1 or less. */
int64_t ztsPlanRows(int64_t count, bool perGroup);

/* The counters and caches of a context as the common initialisation
 * leaves them (trace off, caches empty, nothing accumulated). */
void ztsResetCommon(ZTS_PROC *ctx);

/* Slot 2: resets counters and caches (ztsResetCommon) and opens the two
 * store pairs.
 * Returns 0; 1 null context; 2 no selected variables; 2 + ztinit's status
 * when a pair cannot be opened. */
int ztsIOComInit(ZTS_PROC *ctx);

/* Slot 18: advances to the next BY group (xbynext) into byStatus.
 * Returns it: 0 = no more groups (also for a null context). */
int ztsIOByNext(ZTS_PROC *ctx);

/*
 * Slot 19: reads the current BY group: every observation's values and time
 * ID (observations outside START/END are dropped before they count), the
 * rows spooled to the input store and transposed into series, then the
 * time-slot index of every observation and the final time IDs.
 * Returns 0 or a status word; ZTS_IO_FAILURE also for a failed read.
 */
int ztsIOReadNext(ZTS_PROC *ctx);

/* Slot 20: frees both cache buffers and marks both caches empty.
 * Returns 0; ZTS_NO_CONTEXT; ZTS_MISSING_PART without a pool. */
int ztsIOReset(ZTS_PROC *ctx);

/* The next observation of the current BY group into ioInfo.row (the
 * host's BY read, or the handle's own read routine).  Returns 0 with a
 * row, 0 with a null row at the end of the group, ZTS_IO_FAILURE for a
 * read error (already reported by the host). */
int ztsReadObservation(ZTS_PROC *ctx);

/* Clears the group counters before a group; current and previous time ID
 * become missing and observation numbers come from the host. */
void resetForReadNext(ZTS_PROC *ctx);

/*
 * The time ID of the observation just fetched: its observation number, a
 * grown raw array when full, the check against the previous time ID (or,
 * without an ID variable, the interval start obsCount intervals after day
 * 0), and the running minimum and maximum.  The raw entry obsCount is
 * written; the caller advances obsCount when it keeps the observation.
 * Returns 0, ZTS_NO_MEMORY, or checkid's non-zero status (nothing stored).
 */
int getid(ZTS_PROC *ctx);

/*
 * Checks the current time ID against the previous one (sorted mode) or the
 * group's range (unsorted mode); counts duplicates and gaps in sorted mode.
 * Returns 0, ZTS_MISSING_ID, ZTS_COUNT_TOO_LARGE, ZTS_NOT_ASCENDING or
 * ZTS_OFF_INTERVAL.
 */
int checkid(ZTS_PROC *ctx);

/* Number of final time IDs of the group, from the aligned minimum and
 * maximum (or START, END and the horizon); sets firstAligned, lastAligned,
 * startOffset and endOffset.  -1 when an interval count cannot be had. */
int64_t finalNobs(ZTS_PROC *ctx);

/* Makes room for `count` final time IDs.  Returns 0; ZTS_NO_MEMORY;
 * ZTS_TOO_MANY_IDS above 2^50. */
int allocate(ZTS_PROC *ctx);

#endif
