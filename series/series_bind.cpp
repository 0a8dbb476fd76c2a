/*
 * series_bind.cpp - binding, getters and setters, gathering observations,
 * the summary of one variable and the observation dates (see
 * series_bind.h).
 */
#include "series/series_bind.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "host/missing_values.h"
#include "host/services.h"
#include "interval/intnx.h"
#include "series/series_access.h"
#include "series/series_aux.h"
#include "series/series_io.h"
#include "series/series_memory.h"
#include "series/series_settings.h"
#include "series/series_summary.h"
#include "series/series_timing.h"

namespace {

/* The auxiliary blocks ZTSIOImport keeps on the stack. */
constexpr int kAuxOnStack = 32;

/* Gathers observation n of every series through a copy slot. */
int gatherObservation(ZTS_PROC *ctx, int64_t n, double *dst, const ZTS_CACHE &cache,
                      int (*ZTS_OPS::*slot)(ZTS_PROC *, int64_t, double *))
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (ctx->pool == nullptr || ctx->ops == nullptr) return ZTS_MISSING_PART;
    if (n < 1 || dst == nullptr || n > cache.length) return ZTS_BAD_ARGUMENT;
    if (ctx->timingOn == 1) ZTSStartTiming(&ctx->timer, ctx->ioTiming);
    auto *buffer = static_cast<double *>(ztsAlloc(ctx, size_t(cache.length) * sizeof(double), ZTS_ALLOC_ZEROED));
    if (buffer == nullptr) return ZTS_NO_MEMORY;
    int status = 0;
    for (int64_t i = 0; i < ctx->rawCache.seriesCount && status == 0; ++i) {
        status = (ctx->ops->*slot)(ctx, i, buffer);
        if (status == 0) dst[i] = buffer[n - 1];
    }
    ztsFree(ctx, buffer);
    if (ctx->timingOn == 1) ZTSStopTiming(&ctx->timer, ctx->ioTiming);
    return status;
}

}  // namespace

void ZTSSetMemPoolInfo(ZTS_PROC *ctx, MEMORY_OBJECT *pool)
{
    if (ctx != nullptr) ctx->pool = pool;
}

int ZTSIOBind(ZTS_PROC *ctx, const ZTS_IOINFO *ioinfo, int nAux, const ZTS_IOINFO *const *auxIoinfo)
{
    if (nAux <= 0) return ztsIOBind(ctx, ioinfo);
    return auxIOBind(ctx, ioinfo, nAux, auxIoinfo);
}

int ztsIOBind(ZTS_PROC *ctx, const ZTS_IOINFO *ioinfo)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    auto *ops = static_cast<ZTS_OPS *>(ztsAlloc(ctx, sizeof(ZTS_OPS), ZTS_ALLOC_VECTOR));
    if (ops == nullptr) {
        ctx->ops = nullptr;
        return ZTS_NO_MEMORY;
    }
    *ops = ZTS_OPS{};
    ops->inSetup = ztsInSetup;
    ops->ioComInit = ztsIOComInit;
    ops->setDataInfo = ztsSetDataInfo;
    ops->setIdInfo = ztsSetIdInfo;
    ops->setMissing = ztsSetMissing;
    ops->setStart = ztsSetStart;
    ops->setEnd = ztsSetEnd;
    ops->setHorizon = ztsSetHorizon;
    ops->setIntervalInfo = ztsSetIntervalInfo;
    ops->setIntervalAlignment = ztsSetIntervalAlignment;
    ops->setAccumulate = ztsSetAccumulate;
    ops->timeIdAddLead = ztsTimeIDAddLead;
    ops->getVar = ztsGetVar;
    ops->getVarPtr = ztsGetVarPtr;
    ops->accumulate = ztsAccumulate;
    ops->getAccVar = ztsGetAccVar;
    ops->getAccVarPtr = ztsGetAccVarPtr;
    ops->ioByNext = ztsIOByNext;
    ops->ioReadNext = ztsIOReadNext;
    ops->ioReset = ztsIOReset;
    ops->checkIdVar = ztsCheckIDVar;
    ops->checkSelVar = ztsCheckSelVar;
    ops->setVarInfo = ztsSetVarInfo;
    ops->checkByVar = ztsCheckByVar;
    ops->finishVars = ztsFinishVars;
    ops->setIdFormat = ztsSetIDFormat;
    ops->setZeroMiss = ztsSetZeroMiss;
    ops->setTrimMiss = ztsSetTrimMiss;
    ops->importByList = ztsImportByList;
    ops->ioBySync = ztsIOBySync;
    ops->setSeasonality = ztsSetSeasonality;
    ctx->ops = ops;
    if (ioinfo != nullptr) ctx->ioInfo = *ioinfo;
    return 0;
}

int ZTSIOImport(ZTS_PROC *ctx, ZTS_IONODE *list)
{
    if (ctx == nullptr || list == nullptr) {
        xebug("ZTSIOImport: No ZTS_PROC context established");
        xexit(9999, 0);
    }
    const ZTS_IOINFO *primary = nullptr;
    int64_t auxCount = 0;
    for (ZTS_IONODE *node = list->next; node != nullptr && node != list; node = node->next)
        if (node->kind == ZTS_IONODE_AUXILIARY && node->count > 0) ++auxCount;
    if (auxCount > INT_MAX) return ZTS_BAD_ARGUMENT;

    const ZTS_IOINFO *onStack[kAuxOnStack];
    const ZTS_IOINFO **aux = onStack;
    MEMORY_OBJECT *second = v_global_gcb_anchor->secondMemory;
    if (auxCount > kAuxOnStack) {
        aux = static_cast<const ZTS_IOINFO **>(
            second->allocate(second, size_t(auxCount) * sizeof(ZTS_IOINFO *), ZTS_ALLOC_VECTOR));
        if (aux == nullptr) return ZTS_NO_MEMORY;
    }
    int nAux = 0;
    for (ZTS_IONODE *node = list->next; node != nullptr && node != list; node = node->next) {
        if (node->kind == ZTS_IONODE_PRIMARY)
            primary = &node->io;
        else if (node->kind == ZTS_IONODE_AUXILIARY && node->count > 0)
            aux[nAux++] = &node->io;
    }
    const int status = primary == nullptr ? ZTS_MISSING_PART : ZTSIOBind(ctx, primary, nAux, aux);
    if (aux != onStack) second->release(second, aux, 0, ORV_MEM_FREE_MODE);
    return status;
}

void ZTSSetIOInfo(ZTS_PROC *ctx, const ZTS_IOINFO *ioinfo)
{
    if (ctx != nullptr && ioinfo != nullptr) ctx->ioInfo = *ioinfo;
}

int ZTSComputeTimeIDs() { return 0; }

void ZTSSetSortForecastVars(ZTS_PROC *ctx, int32_t value)
{
    if (ctx != nullptr) ctx->sortForecastVars = value;
}

int32_t ZTSGetSortForecastVars(const ZTS_PROC *ctx) { return ctx != nullptr ? ctx->sortForecastVars : 0; }

double ZTSGetFirstTimeID(const ZTS_PROC *ctx)
{
    if (ctx == nullptr || ctx->timeIds.ids == nullptr || ctx->timeIds.count < 1) return orvMissing();
    return ctx->timeIds.ids[0];
}

double ZTSGetLastTimeID(const ZTS_PROC *ctx)
{
    if (ctx == nullptr || ctx->timeIds.ids == nullptr || ctx->timeIds.count < 1) return orvMissing();
    return ctx->timeIds.ids[ctx->timeIds.count - 1];
}

int32_t ZTSIsTimeIdSpecified(const ZTS_PROC *ctx) { return ctx != nullptr ? ctx->rawTime.idGiven : 0; }

ZINT_DESC *ZTSGetInterval(ZINT_DESC *out, const ZTS_PROC *ctx)
{
    if (out != nullptr && ctx != nullptr) *out = ctx->rawTime.interval;
    return out;
}

ZINT_SEAS *ZTSGetIntervalX(ZINT_SEAS *out, const ZTS_PROC *ctx)
{
    if (out == nullptr) return out;
    std::memset(out, 0, sizeof *out);
    if (ctx != nullptr) {
        out->interval = ctx->rawTime.interval;
        out->seasonCount = ctx->rawTime.seasonality;
    }
    return out;
}

int32_t ZTSGetTimeIDVarNo(const ZTS_PROC *ctx) { return ctx != nullptr ? ctx->rawTime.idVarNo : 0; }

char *ZTSGetIntervalAlignment(ZTS_PROC *ctx) { return ctx != nullptr ? &ctx->rawTime.alignment : nullptr; }

int32_t ZTSIsAccumulateSpecified(const ZTS_PROC *ctx) { return ctx != nullptr ? ctx->accumulateSpecified : 0; }

int32_t ZTSGetAccumulateCode(const ZTS_PROC *ctx) { return ctx != nullptr ? ctx->accumulateCode : 0; }

int32_t ZTSGetNumTimeIDs(const ZTS_PROC *ctx)
{
    if (ctx == nullptr) return 0;
    return int32_t(std::clamp<int64_t>(ctx->timeIds.count, 0, INT32_MAX));
}

double *ZTSGetTimeID(const ZTS_PROC *ctx) { return ctx != nullptr ? ctx->timeIds.ids : nullptr; }

DATA_SET_HANDLE *ZTSGetByXOFID(const ZTS_PROC *ctx) { return ctx != nullptr ? ctx->ioInfo.byXofid : nullptr; }

int ZTSGetObs(ZTS_PROC *ctx, int64_t n, double *dst)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    return gatherObservation(ctx, n, dst, ctx->rawCache, &ZTS_OPS::getVar);
}

int ZTSGetAccObs(ZTS_PROC *ctx, int64_t n, double *dst)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    return gatherObservation(ctx, n, dst, ctx->accCache, &ZTS_OPS::getAccVar);
}

int ZTSSummaryStats(ZTS_PROC *ctx, ZTS_VAR *var)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (var == nullptr || ctx->pool == nullptr || ctx->ops == nullptr) return ZTS_BAD_ARGUMENT;
    if (var->index < 0 || var->index >= ctx->varCount) return ZTS_BAD_ARGUMENT;
    const int64_t count = ctx->timeIds.count;
    if (count < 1 || ctx->timeIds.ids == nullptr) return ZTS_NO_IDS;
    auto *series = static_cast<double *>(ztsAlloc(ctx, size_t(count) * sizeof(double), ZTS_ALLOC_ZEROED));
    if (series == nullptr) return ZTS_NO_MEMORY;
    const int status = ctx->ops->getAccVar(ctx, var->index, series);
    if (status > 0) {
        ztsFree(ctx, series);
        return status;
    }
    ztssumm(series, count, &var->summary);
    int64_t first = -1, last = 0;
    for (int64_t i = 0; i < count; ++i)
        if (!orvIsMissing(series[i])) {
            if (first < 0) first = i;
            last = i;
        }
    if (first < 0) first = count - 1;
    var->firstObs = first;
    var->lastObs = last;
    var->firstId = ctx->timeIds.ids[first];
    var->lastId = ctx->timeIds.ids[last];
    ztsFree(ctx, series);
    return 0;
}

int ZTSGetObsDates(ZTS_PROC *ctx, ZTS_OBSDATES *rec)
{
    if (rec == nullptr) return 1;
    rec->count = 0;
    rec->dates = nullptr;
    if (ctx == nullptr || ctx->timeIds.count < 1 || ctx->timeIds.ids == nullptr) return 1;
    const int64_t count = ctx->timeIds.count;
    auto *dates = static_cast<double *>(ztsAlloc(ctx, size_t(count) * sizeof(double), ZTS_ALLOC_PLAIN));
    if (dates == nullptr) {
        rec->pool = nullptr;
        return 1;
    }
    ZTSGetIntervalX(&rec->interval, ctx);
    rec->first = ctx->timeIds.ids[0];
    std::memcpy(dates, ctx->timeIds.ids, size_t(count) * sizeof(double));
    rec->dates = dates;
    rec->count = count;
    rec->pool = ctx->pool;
    return 0;
}

int ZTSInitObsDates(int64_t count, MEMORY_OBJECT *pool, ZTS_OBSDATES *rec, ZINT_DESC interval)
{
    if (rec == nullptr || orvIsMissing(rec->first) || count <= 0 || !ztsSizeFits(count, sizeof(double)))
        return 1;
    if (pool == nullptr) {
        void *made = nullptr;
        if (wmtpc(&made, 0, 1024, 6, 1) != 0 || made == nullptr) {
            rec->pool = nullptr;
            rec->count = 0;
            return 1;
        }
        pool = static_cast<MEMORY_OBJECT *>(made);
    }
    rec->pool = pool;
    std::memset(&rec->interval, 0, sizeof rec->interval);
    rec->interval.interval = interval;
    auto *dates = static_cast<double *>(pool->allocate(pool, size_t(count) * sizeof(double), ZTS_ALLOC_PLAIN));
    if (dates == nullptr) {
        rec->dates = nullptr;
        rec->count = 0;
        return 1;
    }
    for (int64_t i = 0; i < count; ++i) dates[i] = zintnx2(&interval, rec->first, double(i));
    rec->dates = dates;
    rec->count = count;
    return 0;
}
