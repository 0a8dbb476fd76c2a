/*
 * series_bind.h - binding a time-series context to its operations, its
 * public getters and setters, gathering observations across series, the
 * summary of one variable and the observation dates.
 *
 * Exports: ZTS_IONODE, ZTSSetMemPoolInfo, ZTSIOBind, ztsIOBind, ZTSIOImport,
 * ZTSSetIOInfo, ZTSComputeTimeIDs, the getters and setters, ZTSGetObs,
 * ZTSGetAccObs, ZTSSummaryStats, ZTSGetObsDates, ZTSInitObsDates.
 */
#ifndef ORV_SERIES_SERIES_BIND_H
#define ORV_SERIES_SERIES_BIND_H

#include <cstdint>

#include "series/series_context.h"

/* A node of the IO list that ZTSIOImport binds from: the nodes after the
 * head form a ring back to it.  Kind 1 holds the primary data set; kind 2
 * an auxiliary one, taken when its count is positive. */
struct ZTS_IONODE {
    ZTS_IONODE *next;
    int32_t kind;
    ZTS_IOINFO io;
    int64_t count;
};
constexpr int32_t ZTS_IONODE_PRIMARY = 1;
constexpr int32_t ZTS_IONODE_AUXILIARY = 2;

/* Stores the context's pool (no checks).  REQUIRES: before ZTSIOBind, which
 * takes the vector from the pool. */
void ZTSSetMemPoolInfo(ZTS_PROC *ctx, MEMORY_OBJECT *pool);

/*
 * Binds the context's operations: without auxiliary blocks the single
 * data-set implementation (ztsIOBind); with them the reader of a primary
 * data set with auxiliary data sets (auxIOBind, series_aux.h).
 * Returns the callee's status.
 */
int ZTSIOBind(ZTS_PROC *ctx, const ZTS_IOINFO *ioinfo, int nAux, const ZTS_IOINFO *const *auxIoinfo);

/*
 * Allocates the 32-slot vector from the pool and fills slots 1 to 31 with
 * the single-data-set operations (slot 0 stays null); copies *ioinfo whole
 * into the context when given.
 * Returns 0; ZTS_NO_CONTEXT for a null context; ZTS_NO_MEMORY (ops stays
 * null) when the pool cannot give the vector.
 */
int ztsIOBind(ZTS_PROC *ctx, const ZTS_IOINFO *ioinfo);

/*
 * Binds from an IO list: the primary node and every auxiliary node with a
 * positive count (room for 32 on the stack, more from the second memory
 * object).  A null context or list ends the step (debug line, xexit 9999).
 * Returns ZTSIOBind's status; ZTS_NO_MEMORY when the auxiliary array cannot
 * be had; ZTS_MISSING_PART when the list has no primary node.
 */
int ZTSIOImport(ZTS_PROC *ctx, ZTS_IONODE *list);

/* Copies *ioinfo whole into the context (nothing for null arguments). */
void ZTSSetIOInfo(ZTS_PROC *ctx, const ZTS_IOINFO *ioinfo);

/* Kept for callers: does nothing, returns 0. */
int ZTSComputeTimeIDs();

/* Getters and setters.  A null context gives 0 (or missing, or null). */
void ZTSSetSortForecastVars(ZTS_PROC *ctx, int32_t value);
int32_t ZTSGetSortForecastVars(const ZTS_PROC *ctx);
double ZTSGetFirstTimeID(const ZTS_PROC *ctx);  /* missing without time IDs */
double ZTSGetLastTimeID(const ZTS_PROC *ctx);   /* missing without time IDs */
int32_t ZTSIsTimeIdSpecified(const ZTS_PROC *ctx);
ZINT_DESC *ZTSGetInterval(ZINT_DESC *out, const ZTS_PROC *ctx);
/* The interval and season count; every other field zero (no custom
 * reference, format or season cycle). */
ZINT_SEAS *ZTSGetIntervalX(ZINT_SEAS *out, const ZTS_PROC *ctx);
int32_t ZTSGetTimeIDVarNo(const ZTS_PROC *ctx);
char *ZTSGetIntervalAlignment(ZTS_PROC *ctx);
int32_t ZTSIsAccumulateSpecified(const ZTS_PROC *ctx);
int32_t ZTSGetAccumulateCode(const ZTS_PROC *ctx);
int32_t ZTSGetNumTimeIDs(const ZTS_PROC *ctx);  /* capped at INT32_MAX */
double *ZTSGetTimeID(const ZTS_PROC *ctx);
DATA_SET_HANDLE *ZTSGetByXOFID(const ZTS_PROC *ctx);

/*
 * Observation n (1-based) of every input series (ZTSGetObs, through slot
 * 13) or every accumulated series (ZTSGetAccObs, slot 16) into dst (one
 * value per series).
 * Returns 0; ZTS_NO_CONTEXT; ZTS_MISSING_PART without a pool or vector;
 * ZTS_BAD_ARGUMENT for n < 1, n beyond the series length or a null dst;
 * ZTS_NO_MEMORY; a slot's status unchanged.
 */
int ZTSGetObs(ZTS_PROC *ctx, int64_t n, double *dst);
int ZTSGetAccObs(ZTS_PROC *ctx, int64_t n, double *dst);

/*
 * Summary of one variable's accumulated series into var->summary
 * (ztssumm), with its first and last non-missing positions (0-based; for
 * an all-missing series the last position and 0) and their time IDs.
 * Returns 0; ZTS_NO_CONTEXT; ZTS_BAD_ARGUMENT for a null record, no pool or
 * an index outside the variables; ZTS_NO_IDS without final time IDs;
 * ZTS_NO_MEMORY; slot 16's status.
 */
int ZTSSummaryStats(ZTS_PROC *ctx, ZTS_VAR *var);

/*
 * The group's final time IDs into rec (array from the context's pool).
 * Returns 0; 1 without time IDs or memory (rec's count 0, array null).
 */
int ZTSGetObsDates(ZTS_PROC *ctx, ZTS_OBSDATES *rec);

/*
 * Dates of `count` periods of interval from rec->first, into an array of
 * `pool` (or of a pool made here, stored in rec).
 * Returns 0; 1 for a missing first date, count <= 0 or no memory (array
 * and count cleared).
 */
int ZTSInitObsDates(int64_t count, MEMORY_OBJECT *pool, ZTS_OBSDATES *rec, ZINT_DESC interval);

#endif
