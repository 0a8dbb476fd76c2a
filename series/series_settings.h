/*
 * series_settings.h - the settings of a time-series context (BY and
 * analysis variables, ID variable and format, interval, alignment,
 * accumulation, SETMISSING, zero-to-missing, trim-missing, START, END,
 * horizon, seasonality), the variable records and the BY lists.
 *
 * These are the single-data-set operations of ZTS_OPS slots 3 to 11 and 21
 * to 31 (except 30's partner slots 18 and 19, series_io.h).  Setters with no
 * failure of their own return 0, or ZTS_NO_CONTEXT for a null context.
 *
 * Exports: ztsSetDataInfo, ztsSetIdInfo, ztsSetMissing, ztsSetStart,
 * ztsSetEnd, ztsSetHorizon, ztsSetIntervalInfo, ztsSetIntervalAlignment,
 * ztsSetAccumulate, ztsSetIDFormat, ztsSetZeroMiss, ztsSetTrimMiss,
 * ztsSetSeasonality, ztsCheckIDVar, ztsCheckSelVar, ztsSetVarInfo,
 * finalizeVar, ztsCheckByVar, ztsFinishVars, ztsImportByList, ztsIOBySync.
 */
#ifndef ORV_SERIES_SERIES_SETTINGS_H
#define ORV_SERIES_SERIES_SETTINGS_H

#include <cstdint>

#include "series/series_context.h"

/* Slot 3: the BY list (when byVars is given) and the variable records
 * (when vars is given). */
int ztsSetDataInfo(ZTS_PROC *ctx, int32_t byCount, int32_t *byVars, int32_t varCount, ZTS_VAR *vars);

/* Slot 4: the ID variable varNo of *handle (varNo < 0: no ID variable):
 * its name, label and format code; then rawTime is copied into timeIds.
 * Returns 0; ZTS_VAR_FAILURE when the variable cannot be described
 * (logged). */
int ztsSetIdInfo(ZTS_PROC *ctx, DATA_SET_HANDLE **handle, int32_t varNo);

int ztsSetMissing(ZTS_PROC *ctx, int32_t code, double value);   /* slot 5 */
int ztsSetStart(ZTS_PROC *ctx, int given, double value);        /* slot 6 */
int ztsSetEnd(ZTS_PROC *ctx, int given, double value);          /* slot 7 */
int ztsSetHorizon(ZTS_PROC *ctx, int given, double value);      /* slot 8 */

/* Slot 9: the series interval, its name and recommended display format
 * (zintfmt, resolved with xfrname); a datetime interval sets isDatetime.
 * Returns 0, ZTS_BAD_ARGUMENT for a null interval, or the format
 * services' status. */
int ztsSetIntervalInfo(ZTS_PROC *ctx, const ZINT_DESC *interval);

int ztsSetIntervalAlignment(ZTS_PROC *ctx, char alignment);     /* slot 10 */

/* Slot 11: the accumulation code with its name and label.  Returns 0, or
 * -1 for an unknown code (stored with the name UNKNOWN). */
int ztsSetAccumulate(ZTS_PROC *ctx, int code);

/* Slot 26: the ID display format.  Returns 0, or ZTS_BAD_ARGUMENT for a
 * character format or a null record (nothing stored). */
int ztsSetIDFormat(ZTS_PROC *ctx, const FORMAT_RECORD *fmt);

int ztsSetZeroMiss(ZTS_PROC *ctx, int32_t mode, int given);     /* slot 27 */
int ztsSetTrimMiss(ZTS_PROC *ctx, int32_t mode, int given);     /* slot 28 */
int ztsSetSeasonality(ZTS_PROC *ctx, int32_t seasons);          /* slot 31 */

/* Slot 21: 1 when varNo is the ID variable, else 0. */
int ztsCheckIDVar(ZTS_PROC *ctx, DATA_SET_HANDLE *handle, int32_t varNo);

/* Slot 22: 1-based position of the first of the first `count` variable
 * records (count < 0: all) whose number is varNo and, when role > 0, whose
 * role is role; 0 when none or handle is not the context's data set. */
int ztsCheckSelVar(ZTS_PROC *ctx, int32_t count, DATA_SET_HANDLE *handle, int32_t varNo, int32_t role);

/* Slot 23: fills variable record `index` (finalizeVar).  ZTS_BAD_ARGUMENT
 * when handle is not the context's data set or index is outside the
 * records. */
int ztsSetVarInfo(ZTS_PROC *ctx, int32_t index, int32_t role, DATA_SET_HANDLE *handle, int32_t varNo,
                  int32_t option1, int32_t option2);

/* Fills variable record `index` with its role, options, number, owner,
 * name and label.  Returns 0; ZTS_VAR_FAILURE when xvname fails (logged);
 * ZTS_BAD_ARGUMENT for an index outside the records. */
int finalizeVar(ZTS_PROC *ctx, int32_t index, int32_t role, DATA_SET_HANDLE *handle, int32_t varNo,
                int32_t option1, int32_t option2, ZTS_PROC *owner);

/* Slot 24: 1 when handle is the context's data set and varNo one of its BY
 * variables, else 0. */
int ztsCheckByVar(ZTS_PROC *ctx, DATA_SET_HANDLE *handle, int32_t varNo);

/* Slot 25: n > 0 sets varCount; each record's position becomes its index. */
int ztsFinishVars(ZTS_PROC *ctx, int32_t n);

/* Slot 29: takes other's BY variables, by name, as this data set's BY
 * list.  Returns 0; ZTS_BAD_ARGUMENT when the context has a BY list
 * already; ZTS_BY_MISSING when one is absent and allowMissing is 0 (its
 * name is recorded in auxInfo); ZTS_BY_LIST_FAILURE for a host failure. */
int ztsImportByList(ZTS_PROC *ctx, ZTS_PROC *other, int allowMissing);

/* Slot 30: synchronises this data set's BY group with other's; returns
 * the rewind's or xbysync's result. */
int ztsIOBySync(ZTS_PROC *ctx, ZTS_PROC *other);

#endif
