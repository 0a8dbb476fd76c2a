/*
 * series_access.h - access to the stored series of a group (a copy or a
 * pointer of one input series, one accumulated series), the accumulation of
 * one variable to the group's time IDs with SETMISSING and zero-to-missing,
 * and the extension of the time IDs by lead periods.
 *
 * These are the single-data-set operations of ZTS_OPS slots 12 to 17.
 * Series indices are 0-based positions among the selected variables.
 *
 * Exports: ZTS_ZERO_LIMIT, ztsGetVar, ztsGetVarPtr, ztsGetAccVar,
 * ztsGetAccVarPtr, ztsAccumulate, ztsFinishAccumulated, ztsTimeIDAddLead,
 * applyzeromiss.
 */
#ifndef ORV_SERIES_SERIES_ACCESS_H
#define ORV_SERIES_SERIES_ACCESS_H

#include <cstdint>

#include "series/series_context.h"

/* A value of smaller magnitude counts as zero for zero-to-missing. */
constexpr double ZTS_ZERO_LIMIT = 1.491668147e-154;

/* SETMISSING code that replaces by the given value. */
constexpr int ZTS_SETMISS_VALUE = 100;

/*
 * Slot 13: a copy of input series `index` (obsCount values) into out.
 * Returns 0; ZTS_NO_CONTEXT; ZTS_MISSING_PART without a pool;
 * ZTS_BAD_ARGUMENT for an index outside the series or a null out;
 * ZTS_NO_IDS before a group was read; ZTS_NO_MEMORY; ZTS_IO_FAILURE.
 */
int ztsGetVar(ZTS_PROC *ctx, int64_t index, double *out);

/* Slot 14: a pointer into the cache instead of a copy (valid until the
 * next series is read); the same statuses. */
int ztsGetVarPtr(ZTS_PROC *ctx, int64_t index, double **series);

/* Slot 16: a copy of accumulated series `index` (one value per final time
 * ID).  ZTS_VAR_FAILURE when the variable was not accumulated in this
 * group; otherwise as ztsGetVar. */
int ztsGetAccVar(ZTS_PROC *ctx, int64_t index, double *out);

/* Slot 17: a pointer to accumulated series `index`; as ztsGetAccVar. */
int ztsGetAccVarPtr(ZTS_PROC *ctx, int64_t index, double **series);

/*
 * Slot 15: accumulates input series `index` to the final time IDs by
 * `method` (ZTS_ACCUM), applies SETMISSING (`setMissing`: 0 none, a
 * zinttis code, or ZTS_SETMISS_VALUE with `value`), zero-to-missing
 * (`zeroMiss`, applyzeromiss) and the horizon trimming of role-1
 * variables, and stores it as the variable's accumulated series.
 * Returns 0; ZTS_NO_CONTEXT; ZTS_MISSING_PART; ZTS_NO_IDS; ZTS_BAD_ARGUMENT
 * for an index outside the variables; ZTS_NO_MEMORY; ZTS_IO_FAILURE;
 * ZTS_ACCUMULATE_FAILURE (an overflow); a negative zinttis result.
 */
int ztsAccumulate(ZTS_PROC *ctx, int method, int setMissing, int zeroMiss, int64_t index, double value);

/*
 * The steps that follow the accumulation of one series out[0..count):
 * SETMISSING (`setMissing`, `value`), zero-to-missing (`zeroMiss`) and,
 * for a variable of role 1, the horizon trimming of ctx's axis.
 * Returns 0 or a negative zinttis result.
 */
int ztsFinishAccumulated(const ZTS_PROC *ctx, int32_t role, int setMissing, int zeroMiss, double value, double *out,
                         int64_t count);

/*
 * Slot 12: appends `lead` future time IDs after the group's (count itself
 * is not changed; the array's capacity becomes count + lead).
 * Returns 0; ZTS_NO_CONTEXT; ZTS_MISSING_PART; ZTS_BAD_ARGUMENT for a
 * negative lead; ZTS_NO_MEMORY; ZTS_NO_LEAD when a time ID cannot be
 * computed.
 */
int ztsTimeIDAddLead(ZTS_PROC *ctx, int64_t lead);

/* Zero-to-missing on values[0..n): mode 1 the leading zeros, 2 the
 * trailing zeros, 3 both; nothing when no value is present and non-zero.
 * Returns 0. */
int applyzeromiss(double *values, int64_t n, int mode);

#endif
