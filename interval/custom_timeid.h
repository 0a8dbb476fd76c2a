/*
 * custom_timeid.h - the period index of every time value of a series whose
 * time IDs follow a custom interval (zintctid, and zintctidL for callers
 * that need the indices exact in doubles).
 *
 * Exports: ZINT_CTID_WORK, the ZINT_CTID_* statuses and results, zintctid,
 * zintctidL.
 */
#ifndef ORV_INTERVAL_CUSTOM_TIMEID_H
#define ORV_INTERVAL_CUSTOM_TIMEID_H

#include <cstddef>
#include <cstdint>

#include "host/host_records.h"
#include "interval/season_record.h"

/* The work record, built by the caller. */
struct ZINT_CTID_WORK {
    double start;              /* 0: value of relative index 0; "." = the first present value */
    ZINT_SEAS interval;        /* 8: code 65; its reference is the caller's to release */
    MEMORY_OBJECT *allocator;  /* 112: for one scratch array, or null */
    double *values;            /* 120: aligned in place when an alignment is given */
    int64_t count;             /* 128 */
};
static_assert(offsetof(ZINT_CTID_WORK, interval) == 8);
static_assert(offsetof(ZINT_CTID_WORK, allocator) == 112);
static_assert(offsetof(ZINT_CTID_WORK, values) == 120);
static_assert(offsetof(ZINT_CTID_WORK, count) == 128);
static_assert(sizeof(ZINT_CTID_WORK) == 136);

/* Per-value status bits (also OR-ed into the status word). */
enum : int32_t {
    ZINT_CTID_BEGIN_OPEN = 1,    /* the period's begin is .M */
    ZINT_CTID_BEGIN_MISSING = 2, /* the begin is otherwise missing */
    ZINT_CTID_END_OPEN = 4,      /* the end is .I */
    ZINT_CTID_END_MISSING = 8,   /* the end is otherwise missing */
    ZINT_CTID_UNPLACED = 10,     /* missing or not placed */
};

/* Order flags. */
enum : int32_t {
    ZINT_CTID_REPEATED = 1,  /* an index equals the previous one */
    ZINT_CTID_DESCENDING = 2, /* an index is below the previous one */
};

/* Results. */
enum : int {
    ZINT_CTID_OK = 0,
    ZINT_CTID_FAILED = -1,      /* not custom, no values, or a value or the start not placed */
    ZINT_CTID_MISSING = 128,    /* some values missing (none unplaced) */
    ZINT_CTID_OVERFLOW = -3,    /* an index beyond 2^63 */
    ZINT_CTID_INEXACT = -4,     /* zintctidL: an index beyond 2^53 */
    ZINT_CTID_NO_VALUES = 0x8000, /* count below 1 */
};

/*
 * Indices of every value of work (each output may be null).
 * Inputs: work; align "B", "E", "M" or null (values are then left as they
 * are); limit (above 0: the scan stops when that many values are missing
 * or unplaced).
 * Outputs: absolute[count] and relative[count] indices (-1 for a value
 * without one; relative to the start value's period); *order flags;
 * *status the OR of the per-value statuses; perValue[count] (values the
 * scan did not reach get ZINT_CTID_UNPLACED); *after the whole periods
 * after the largest index's period up to the last closed period; *before
 * the periods from the first period to the smallest index's (both -1 when
 * not computed); *firstAligned and *lastAligned the aligned value of the
 * smallest and largest index ("." when not computed).
 * Every output is set on every path.
 * Returns a ZINT_CTID_* result, by priority FAILED, MISSING, OVERFLOW,
 * INEXACT.
 */
int zintctid(ZINT_CTID_WORK *work, const char *align, int64_t limit, int64_t *absolute, int64_t *relative,
             int32_t *order, int32_t *status, int32_t *perValue, int64_t *after, int64_t *before,
             double *firstAligned, double *lastAligned);
int zintctidL(ZINT_CTID_WORK *work, const char *align, int64_t limit, int64_t *absolute, int64_t *relative,
              int32_t *order, int32_t *status, int32_t *perValue, int64_t *after, int64_t *before,
              double *firstAligned, double *lastAligned);

#endif
