/*
 * series_aux.h - the reader of a primary data set with auxiliary data sets:
 * the second implementation of the ZTS_OPS vector.
 *
 * One context, the owner, reads a primary data set together with any number
 * of auxiliary ones.  Every data set gets a sub-context of its own, bound
 * with the single-data-set operations (sub-context 0 reads the primary).
 * The owner forwards its settings to the sub-contexts, advances the
 * primary's BY groups and synchronises the auxiliary data sets to them,
 * reads every data set's group and places each auxiliary series on the
 * primary's time axis, with missing values where an auxiliary data set has
 * no data.  Slot 0 of the owner's vector points to the ZTS_AUX record.
 *
 * Failures of a sub-context are recorded in the owner's auxInfo (the
 * failing data set's handle field and its name) so that a caller can say
 * which data set failed.  Every operation answers ZTS_NO_CONTEXT for a null
 * owner and ZTS_MISSING_PART for an owner not bound by auxIOBind.
 *
 * Exports: ZTS_AUX, auxIOBind, auxRecord, auxRecordFailure, the aux
 * operations of every slot, FixAUXMissing.
 */
#ifndef ORV_SERIES_SERIES_AUX_H
#define ORV_SERIES_SERIES_AUX_H

#include <cstdint>

#include "series/series_context.h"

/* The auxiliary reader's record, reached through slot 0 of the owner's
 * vector and allocated in one block with it. */
struct ZTS_AUX {
    ZTS_PROC *owner;
    int32_t dataSetCount;   /* auxiliaries + 1 */
    int32_t auxCount;
    ZTS_PROC *subs;         /* dataSetCount contexts; 0 reads the primary */
};

/*
 * Binds the owner to the auxiliary reader: allocates the vector with its
 * ZTS_AUX, one sub-context per data set (the owner's pool, bound with
 * ztsIOBind: 0 to *primary, i to *aux[i - 1]) and, when every one is
 * bound, installs the vector and copies *primary into the owner's ioInfo.
 * Returns 0; ZTS_NO_CONTEXT; ZTS_BAD_ARGUMENT for a null primary block,
 * auxiliary array or entry, or nAux < 1; ZTS_NO_MEMORY when a block or a
 * sub-context's vector cannot be had (the owner's vector is then left as
 * it was).
 */
int auxIOBind(ZTS_PROC *owner, const ZTS_IOINFO *primary, int nAux, const ZTS_IOINFO *const *aux);

/* The owner's ZTS_AUX; null for a null owner or one not bound by auxIOBind. */
ZTS_AUX *auxRecord(const ZTS_PROC *owner);

/* Records in the owner's auxInfo that `sub` failed: the address of its
 * handle field and `name`, or its data-set name when name is null. */
void auxRecordFailure(ZTS_PROC *owner, ZTS_PROC *sub, const ORV_COUNTED_NAME *name);

/* Settings (slots 3 to 11, 26 to 29, 31): the owner runs the single-data-set
 * setter on itself, then the same slot runs on every sub-context.  The
 * result is the last sub-context's, or, for auxSetIDFormat and
 * auxImportByList, every result ORed. */
int auxSetDataInfo(ZTS_PROC *owner, int32_t byCount, int32_t *byVars, int32_t varCount, ZTS_VAR *vars);
int auxSetIdInfo(ZTS_PROC *owner, DATA_SET_HANDLE **handle, int32_t varNo);
int auxSetMissing(ZTS_PROC *owner, int32_t code, double value);
int auxSetStart(ZTS_PROC *owner, int given, double value);
int auxSetEnd(ZTS_PROC *owner, int given, double value);
int auxSetHorizon(ZTS_PROC *owner, int given, double value);
int auxSetIntervalInfo(ZTS_PROC *owner, const ZINT_DESC *interval);
int auxSetIntervalAlignment(ZTS_PROC *owner, char alignment);
int auxSetAccumulate(ZTS_PROC *owner, int code);
int auxSetIDFormat(ZTS_PROC *owner, const FORMAT_RECORD *fmt);
int auxSetZeroMiss(ZTS_PROC *owner, int32_t mode, int given);
int auxSetTrimMiss(ZTS_PROC *owner, int32_t mode, int given);
int auxSetSeasonality(ZTS_PROC *owner, int32_t seasons);
int auxImportByList(ZTS_PROC *owner, ZTS_PROC *other, int allowMissing);

/* Slot 12: lead time IDs in every sub-context (results ORed); the owner's
 * final time IDs become the primary's. */
int auxTimeIDAddLead(ZTS_PROC *owner, int64_t lead);

/* Slot 21: 1 when handle is the primary's data set and varNo its ID
 * variable, else 0. */
int auxCheckIDVar(ZTS_PROC *owner, DATA_SET_HANDLE *handle, int32_t varNo);

/* Slot 22: as ztsCheckSelVar, comparing handle with the data set of each
 * record's owning sub-context. */
int auxCheckSelVar(ZTS_PROC *owner, int32_t count, DATA_SET_HANDLE *handle, int32_t varNo, int32_t role);

/* Slot 24: 1 when some sub-context with BY variables reads handle and
 * lists varNo, else 0. */
int auxCheckByVar(ZTS_PROC *owner, DATA_SET_HANDLE *handle, int32_t varNo);

/* Slot 23: fills the owner's variable record `index`; its owner is the
 * sub-context that reads handle.  Returns finalizeVar's status;
 * ZTS_BAD_ARGUMENT when no sub-context reads handle. */
int auxSetVarInfo(ZTS_PROC *owner, int32_t index, int32_t role, DATA_SET_HANDLE *handle, int32_t varNo,
                  int32_t option1, int32_t option2);

/* Slot 25: n > 0 sets the owner's varCount; gives every sub-context a copy
 * of the records it reads (the copy's index is its position there, which
 * the owner's record keeps).  Returns 0; ZTS_BAD_ARGUMENT for a record
 * without an owning sub-context; ZTS_NO_MEMORY. */
int auxFinishVars(ZTS_PROC *owner, int32_t n);

/* Slot 1: slot 1 of every sub-context with variables (one without is
 * reported by slot 2); the first failure is recorded and returned. */
int auxInSetup(ZTS_PROC *owner);

/* Slot 2: resets the owner's counters and caches and runs slot 2 of every
 * sub-context; one without variables writes message (882, 1050) naming its
 * data set.  Returns the results ORed; ZTS_BAD_ARGUMENT for a null owner or
 * one without variables. */
int auxIOComInit(ZTS_PROC *owner);

/* Slot 18: the primary's next BY group; each auxiliary data set then
 * synchronises to it.  Returns the primary's xbynext result (0 = no more
 * groups). */
int auxIOByNext(ZTS_PROC *owner);

/* Slot 30: slot 30 of every sub-context; the owner's bySync is -1 when
 * every sub-context stayed on its group, else the last failure (0 none).
 * Returns the owner's bySync. */
int auxIOBySync(ZTS_PROC *owner, ZTS_PROC *other);

/* Slot 19: reads the primary's group and every auxiliary one (or fills
 * one without data with missing values), checks that each fits the
 * primary's axis and computes its alignment; the owner then takes the
 * primary's group state.  Returns 0, ZTS_ONE_ID, or the failing status
 * (ZTS_AUX_MISFIT for an auxiliary data set that cannot be placed). */
int auxIOReadNext(ZTS_PROC *owner);

/* Slot 20: frees the owner's buffers and runs slot 20 of every
 * sub-context; results ORed. */
int auxIOReset(ZTS_PROC *owner);

/*
 * The auxiliary data set has no data for the primary's group: it takes
 * the primary's observation count, axis and observation index, and every
 * one of its series becomes all missing.
 * Returns 0; ZTS_IO_FAILURE; ZTS_NO_MEMORY.
 */
int FixAUXMissing(ZTS_PROC *primary, ZTS_PROC *auxiliary);

/* Slot 15: accumulates variable `index` in its owning sub-context and
 * keeps the settings for the aligned copy.  ZTS_BAD_ARGUMENT for an index
 * outside the variables; otherwise the sub-context's status. */
int auxAccumulate(ZTS_PROC *owner, int method, int setMissing, int zeroMiss, int64_t index, double value);

/* Slots 13, 14, 16, 17: variable `index` on the primary's axis (input
 * series: obsCount values; accumulated: one per final time ID), as a copy
 * or as a pointer into a buffer of the owner or its sub-context.
 * Returns 0; ZTS_BAD_ARGUMENT for an index outside the variables;
 * ZTS_AUX_MISFIT when the series cannot be placed; ZTS_NO_MEMORY; the
 * sub-context's status. */
int auxGetVar(ZTS_PROC *owner, int64_t index, double *out);
int auxGetVarPtr(ZTS_PROC *owner, int64_t index, double **series);
int auxGetAccVar(ZTS_PROC *owner, int64_t index, double *out);
int auxGetAccVarPtr(ZTS_PROC *owner, int64_t index, double **series);

#endif
