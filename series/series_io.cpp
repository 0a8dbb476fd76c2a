/*
 * series_io.cpp - the BY-group reader of one data set (see series_io.h).
 */
#include "series/series_io.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/missing_values.h"
#include "host/services.h"
#include "interval/intck.h"
#include "interval/intnx.h"
#include "interval/timeid_index.h"
#include "series/series_memory.h"
#include "series/series_timing.h"

namespace {

constexpr double kTwo53 = 9007199254740992.0;
constexpr int64_t kEstimateCap = 16384;
constexpr int64_t kEstimateDefault = 4096;
constexpr int kObservationNumberRequest = 7;
constexpr int kReadStatusMode = 1;
/* zinttip's mode: built-in intervals are checked per observation by
 * checkid, so their order check is replaced by this flag. */
constexpr int kBuiltInFlag = 2;

/* In-setup failures: the flag 64 with what is missing. */
constexpr int kSetupNoPool = 66;
constexpr int kSetupNoHandle = 68;
constexpr int kSetupNeither = 70;

void trace(const ZTS_PROC *ctx, const char *text)
{
    if (ctx->trace != 0) xpsnlog(v_global_gcb_anchor->instance->logHandle, text);
}

bool isCustom(const ZINT_DESC &interval) { return interval.code == ZINT_CUSTOM; }

/* An interval count usable as an integer: present and within 2^53. */
bool countable(double count) { return !orvIsMissing(count) && std::fabs(count) <= kTwo53; }

/* Ends a read: stops the timing and hands the status back. */
int finished(ZTS_PROC *ctx, int status)
{
    if (ctx->timingOn == 1) ZTSStopTiming(&ctx->timer, ctx->ioTiming);
    return status;
}

void resetVariableCounts(ZTS_PROC *ctx)
{
    for (int32_t i = 0; i < ctx->varCount && ctx->vars != nullptr; ++i) {
        ZTS_VAR &var = ctx->vars[i];
        var.firstObs = var.lastObs = -1;
        var.firstId = var.lastId = orvMissing();
        var.n = var.nmiss = 0;
    }
}

/* Marks every variable as not accumulated in the group. */
void resetAccumulatedRows(ZTS_PROC *ctx)
{
    ctx->accRowsWritten = 0;
    for (int64_t i = 0; i < ctx->accRowCapacity && ctx->accRowOf != nullptr; ++i) ctx->accRowOf[i] = -1;
}

int statusOfIndexing(int r, const ZTS_PROC *ctx, int flag)
{
    switch (r) {
    case ZINTTIP_MISSING: return ZTS_MISSING_ID;
    case ZINTTIP_OUT_OF_RANGE: return ZTS_OUT_OF_RANGE;
    case ZINTTIP_OVERFLOW:
    case ZINTTIP_INEXACT: return ZTS_COUNT_TOO_LARGE;
    case ZINTTIP_CUSTOM_FAILURE: return ZTS_OFF_INTERVAL;
    default: break;
    }
    if (r < 0) return ZTS_COUNT_FAILURE;
    if (r == flag) return 0;
    if (r == ZINTTIP_UNSORTED && ctx->rawTime.unsortedOk == 0) return ZTS_NOT_SORTED;
    if (r == ZINTTIP_DUPLICATES && ctx->accumulateCode == 0) return ZTS_DUPLICATES;
    return 0;
}

}  // namespace

int ztsReadObservation(ZTS_PROC *ctx)
{
    ZTS_IOINFO &io = ctx->ioInfo;
    DATA_SET_HANDLE *handle = io.byXofid;
    void *ref = handle;
    int status = 0;
    if ((handle->flags & ORV_DS_READS_BY_GROUP) != 0 || handle->read == nullptr) {
        status = xybyget(&ref);
    } else {
        io.readRequest = ORV_DS_READ_NEXT;
        io.readFlags |= ORV_DS_COUNT;
        handle->readMode = ORV_DS_READ_NEXT;
        handle->readFlags |= ORV_DS_COUNT;
        status = handle->read(handle);
        handle->status = status;
        if ((status != 0 || (handle->flags & ORV_DS_STATUS_PENDING) != 0) &&
            (io.readFlags & ORV_DS_COUNT) != 0)
            status = xofprc(&ref, status, kReadStatusMode);
    }
    io.row = handle->row;
    /* A failed read leaves no row either, but it is not the group's end. */
    return status < 0 ? ZTS_IO_FAILURE : 0;
}

int64_t estimateNobs(ZTS_PROC *ctx)
{
    DATA_SET_HANDLE *handle = ctx->ioInfo.byXofid;
    int32_t sequential = 0, estimated = 0, hostNumbers = 0;
    if (xoinfo(handle, ORV_DS_INFO_SEQUENTIAL, &sequential) != 0 || sequential != 1) return -1;
    if (xoinfo(handle, ORV_DS_INFO_OBSERVATION_NUMBERS, &hostNumbers) != 0) return -1;
    ctx->hostObsNumbers = hostNumbers;
    if (xoinfo(handle, ORV_DS_INFO_COUNT_ESTIMATED, &estimated) != 0) return -1;
    int64_t count = 0;
    if (xoinfo(handle, ORV_DS_INFO_OBSERVATIONS, &count) != 0) return -1;
    if (count <= 0 && xoinfo(handle, ORV_DS_INFO_COUNTED_OBSERVATIONS, &count) != 0) return -1;
    return ztsPlanRows(count, ctx->byCount > 0 || estimated != 0);
}

int64_t ztsPlanRows(int64_t count, bool perGroup)
{
    if (count > ZTS_MAX_TIME_IDS) return kEstimateDefault;
    if (perGroup) {
        if (count < 0) return kEstimateCap;
        count = std::min(count, kEstimateCap);
    }
    return count <= 1 ? kEstimateDefault : count;
}

int ztsInSetup(ZTS_PROC *ctx)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    const bool noPool = ctx->pool == nullptr, noHandle = ctx->ioInfo.byXofid == nullptr;
    if (noPool || noHandle) return noPool && noHandle ? kSetupNeither : noPool ? kSetupNoPool : kSetupNoHandle;
    if (ctx->varCount <= 0 || ctx->vars == nullptr) return ZTS_BAD_ARGUMENT;
    trace(ctx, "Entering ZTSInSetup");

    auto *values = static_cast<double *>(ztsAlloc(ctx, size_t(ctx->varCount) * sizeof(double), ZTS_ALLOC_ZEROED));
    if (values == nullptr) return ZTS_NO_MEMORY;
    ctx->ioInfo.values = values;

    DATA_SET_HANDLE *handle = ctx->ioInfo.byXofid;
    ZTS_TIMEID &raw = ctx->rawTime;
    const bool withId = raw.idGiven == 1 && raw.idVarNo > 0;
    void *fetch = nullptr;
    auto failed = [&](int status) {
        xprrlog(nullptr, status);
        if (fetch != nullptr) xvgett(fetch);
        ctx->ioInfo.fetch = nullptr;
        trace(ctx, "Error exit ZTSInSetup");
        return ZTS_VAR_FAILURE;
    };
    int status = xvsele(handle);
    if (status < 0) return failed(status);
    status = xvgeti(handle, ctx->varCount + (withId ? 1 : 0), &fetch);
    if (status < 0) return failed(status);
    ctx->ioInfo.fetch = static_cast<FETCH_HANDLE *>(fetch);
    if (withId) {
        status = xvgetd(fetch, raw.idVarNo, ORV_VAR_NUMERIC, &raw.current, 8, 8, 0, 0);
        if (status < 0) return failed(status);
    }
    for (int32_t i = 0; i < ctx->varCount; ++i) {
        status = xvgetd(fetch, ctx->vars[i].varNo, ORV_VAR_NUMERIC, &values[i], 8, 8, 0, 0);
        if (status < 0) return failed(status);
    }
    status = xvgete(fetch);
    if (status < 0) return failed(status);

    const int64_t estimate = estimateNobs(ctx);
    if (estimate < 0) return ZTS_NO_IDS;
    ctx->rawCapacity = estimate;
    raw.count = estimate;
    raw.ids = static_cast<double *>(ztsAlloc(ctx, size_t(estimate) * sizeof(double), ZTS_ALLOC_PLAIN));
    if (raw.ids == nullptr) return ZTS_NO_MEMORY;
    trace(ctx, "Exiting ZTSInSetup");
    return 0;
}

void ztsResetCommon(ZTS_PROC *ctx)
{
    ctx->trace = 0;
    ctx->nonMissingObs = 0;
    ctx->accBufferSize = 0;
    for (ZTS_CACHE *cache : {&ctx->rawCache, &ctx->accCache}) {
        cache->firstIndex = -1;
        cache->perBlock = 1;
        cache->seriesCount = ctx->varCount;
        cache->buffer = nullptr;
        cache->capacity = 0;
    }
    resetAccumulatedRows(ctx);
}

int ztsIOComInit(ZTS_PROC *ctx)
{
    if (ctx == nullptr) return 1;
    if (ctx->varCount <= 0) return 2;
    ztsResetCommon(ctx);
    int status = ztinit(&ctx->rawCache.files[0], &ctx->rawCache.files[1]);
    if (status != 0) return 2 + status;
    status = ztinit(&ctx->accCache.files[0], &ctx->accCache.files[1]);
    if (status != 0) return 2 + status;
    return 0;
}

int ztsIOByNext(ZTS_PROC *ctx)
{
    if (ctx == nullptr) return 0;
    ctx->byStatus = xbynext(ctx->ioInfo.byXofid);
    return ctx->byStatus;
}

int ztsIOReset(ZTS_PROC *ctx)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (ctx->pool == nullptr) return ZTS_MISSING_PART;
    for (ZTS_CACHE *cache : {&ctx->rawCache, &ctx->accCache}) {
        ztsFree(ctx, cache->buffer);
        cache->buffer = nullptr;
        cache->capacity = 0;
        cache->firstIndex = -1;
    }
    return 0;
}

void resetForReadNext(ZTS_PROC *ctx)
{
    if (ctx == nullptr) return;
    ctx->obsCount = ctx->nonMissingObs = 0;
    ctx->firstObsNumber = ctx->lastObsNumber = 0;
    ctx->missingState = ctx->duplicates = ctx->gaps = 0;
    ctx->minId = ctx->maxId = 0;
    ctx->minMaxChanged = 0;
    ctx->rawTime.current = ctx->rawTime.previous = orvMissing();
    ctx->hostObsNumbers = 1;
    ctx->steppedIds = nullptr;
    ctx->steppedCount = 0;
    ctx->steppedAt = -1;
}

/* The entry of the stepped time IDs that equals value, or -1. */
int64_t steppedEntry(const ZTS_PROC *ctx, double value)
{
    const double *ids = ctx->steppedIds;
    if (ids == nullptr) return -1;
    const double *found = std::lower_bound(ids, ids + ctx->steppedCount, value);
    return found != ids + ctx->steppedCount && *found == value ? found - ids : -1;
}

int checkid(ZTS_PROC *ctx)
{
    ZTS_TIMEID &raw = ctx->rawTime;
    const double current = raw.current;
    if (orvIsMissing(current)) return ZTS_MISSING_ID;
    if (ctx->obsCount == 0) {
        ctx->steppedAt = steppedEntry(ctx, current);
        return 0;
    }
    if (raw.unsortedOk != 0) {
        const bool fromMinimum = current - ctx->minId > ctx->maxId - current;
        const double n = fromMinimum ? zintck2(&raw.interval, ctx->minId, current)
                                     : zintck2(&raw.interval, current, ctx->maxId);
        if (orvIsMissing(n)) return ZTS_OFF_INTERVAL;
        return std::fabs(n) >= kTwo53 ? ZTS_COUNT_TOO_LARGE : 0;
    }
    if (current < ctx->maxId) return ZTS_NOT_ASCENDING;
    if (isCustom(raw.interval)) return 0;
    /* The next stepped time ID after the previous one: one interval on. */
    const int64_t at = ctx->steppedAt;
    if (at >= 0 && at + 1 < ctx->steppedCount && ctx->steppedIds[at] == raw.previous &&
        ctx->steppedIds[at + 1] == current) {
        ctx->steppedAt = at + 1;
        return 0;
    }
    /* After a gap the IDs may follow the table again; IDs that were never
     * in it (off the stepped alignment) are not looked for row by row. */
    ctx->steppedAt = at >= 0 ? steppedEntry(ctx, current) : -1;
    const double n = zintck2(&raw.interval, raw.previous, current);
    if (orvIsMissing(n)) return ZTS_OFF_INTERVAL;
    if (n >= kTwo53) return ZTS_COUNT_TOO_LARGE;
    if (n == 0) ++ctx->duplicates;
    else if (n < 0) return ZTS_NOT_ASCENDING;
    else if (n > 1) ++ctx->gaps;
    return 0;
}

int getid(ZTS_PROC *ctx)
{
    ZTS_TIMEID &raw = ctx->rawTime;
    int64_t number = ctx->obsNumber + 1;
    if (ctx->hostObsNumbers != 0) {
        const int64_t noted = xonote(ctx->ioInfo.byXofid, kObservationNumberRequest);
        if (noted >= 0) number = noted;
    }
    ctx->obsNumber = number;
    if (ctx->obsCount == 0) ctx->firstObsNumber = number;
    ctx->lastObsNumber = number;

    if (raw.ids == nullptr || ctx->obsCount >= raw.count) {
        const int64_t capacity = std::max<int64_t>(ctx->rawCapacity, 0);
        const int64_t grown = capacity > 0 ? 2 * capacity : kEstimateDefault;
        if (!ztsSizeFits(grown, sizeof(double))) return ZTS_NO_MEMORY;
        auto *ids = static_cast<double *>(
            ztsGrow(ctx, raw.ids, size_t(capacity) * sizeof(double), size_t(grown) * sizeof(double)));
        if (ids == nullptr) return ZTS_NO_MEMORY;
        raw.ids = ids;
        ctx->rawCapacity = raw.count = grown;
    }

    if (raw.idVarNo <= 0) {
        raw.current = zintnx2(&raw.interval, 0, double(ctx->obsCount));
    } else {
        const int status = checkid(ctx);
        if (status != 0) return status;
    }
    const double current = raw.current;
    raw.previous = current;
    raw.ids[ctx->obsCount] = current;
    if (raw.unsortedOk == 0) {
        ctx->maxId = current;
        if (ctx->obsCount == 0) ctx->minId = current;
        return 0;
    }
    if (ctx->obsCount == 0) {
        ctx->minId = ctx->maxId = current;
    } else if (current == ctx->maxId) {
        ++ctx->duplicates;
    } else if (current > ctx->maxId) {
        ctx->maxId = current;
        ctx->minMaxChanged = 1;
    } else if (current < ctx->minId) {
        ctx->minId = current;
        ctx->minMaxChanged = 1;
    }
    return 0;
}

int64_t finalNobs(ZTS_PROC *ctx)
{
    if (ctx->obsCount == 0) return 0;
    const ZINT_DESC *interval = &ctx->rawTime.interval;
    if (interval->code == ZINT_NONE) {
        ctx->firstAligned = 1.0;
        return ctx->obsCount;
    }
    ctx->firstAligned = zintnx2(interval, ctx->minId, 0);
    ctx->lastAligned = zintnx2(interval, ctx->maxId, 0);
    ctx->startOffset = ctx->endOffset = 0;
    double s = ctx->firstAligned, e = ctx->lastAligned;
    if (orvIsMissing(s) || orvIsMissing(e)) return -1;
    if (ctx->startGiven != 0) {
        s = zintnx2(interval, ctx->start, 0);
        const double offset = zintck2(interval, s, ctx->firstAligned);
        if (!countable(offset)) return -1;
        ctx->startOffset = int64_t(offset);
    }
    if (ctx->endGiven != 0) {
        e = zintnx2(interval, ctx->end, 0);
        const double offset = zintck2(interval, ctx->lastAligned, e);
        if (!countable(offset)) return -1;
        ctx->endOffset = int64_t(offset);
    }
    if (ctx->horizonGiven != 0) {
        const double h = zintnx2(interval, ctx->horizon, 0);
        const double toHorizon = zintck2(interval, e, h);
        if (!countable(toHorizon)) return -1;
        ctx->endOffset = int64_t(toHorizon) - 1;
        if (e < h) {
            const double count = zintck2(interval, s, h);
            return countable(count) ? int64_t(count) : -1;
        }
    }
    const double count = zintck2(interval, s, e);
    return countable(count) ? int64_t(count) + 1 : -1;
}

int allocate(ZTS_PROC *ctx)
{
    ZTS_TIMEID &ids = ctx->timeIds;
    if (ids.count > ZTS_MAX_TIME_IDS) return ZTS_TOO_MANY_IDS;
    if (ctx->obsCount <= 0 || ids.count <= 0) return 0;
    if (ids.ids != nullptr && ids.capacity >= ids.count) return 0;
    ztsFree(ctx, ids.ids);
    ids.ids = static_cast<double *>(ztsAlloc(ctx, size_t(ids.count) * sizeof(double), ZTS_ALLOC_PLAIN));
    ids.capacity = ids.ids != nullptr ? ids.count : 0;
    return ids.ids != nullptr ? 0 : ZTS_NO_MEMORY;
}

int ztsIOReadNext(ZTS_PROC *ctx)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (ctx->pool == nullptr || ctx->ioInfo.byXofid == nullptr || ctx->ioInfo.fetch == nullptr ||
        ctx->varCount <= 0 || ctx->vars == nullptr || ctx->ioInfo.values == nullptr)
        return ZTS_MISSING_PART;
    if (ctx->timingOn == 1) ZTSStartTiming(&ctx->timer, ctx->ioTiming);

    for (ZTS_CACHE *cache : {&ctx->rawCache, &ctx->accCache}) {
        cache->firstIndex = -1;
        cache->perBlock = 1;
    }
    if (ztrset(ctx->rawCache.files[1]) != 0 || ztrset(ctx->accCache.files[1]) != 0 ||
        ztrset(ctx->accCache.files[0]) != 0)
        return finished(ctx, ZTS_IO_FAILURE);
    resetAccumulatedRows(ctx);
    resetVariableCounts(ctx);
    resetForReadNext(ctx);

    ZTS_TIMEID &raw = ctx->rawTime;
    double *values = ctx->ioInfo.values;
    while (ctx->ioInfo.byXofid != nullptr) {
        int status = ztsReadObservation(ctx);
        if (status != 0) return finished(ctx, status);
        if (ctx->ioInfo.row == nullptr) break;
        FETCH_HANDLE *fetch = ctx->ioInfo.fetch;
        status = fetch->move != nullptr ? fetch->move(fetch, ctx->ioInfo.row) : xyvget(fetch, 0, ctx->ioInfo.row);
        if (status != 0) {
            xprrlog(nullptr, status);
            return finished(ctx, ZTS_VAR_FAILURE);
        }
        status = getid(ctx);
        if (status != 0) return finished(ctx, status);

        /* The window comes first: an observation outside START/END counts
         * for nothing, neither row nor the variables' counts. */
        const double t = raw.current;
        if (raw.idGiven == 1 && !orvIsMissing(t) &&
            ((ctx->startGiven != 0 && ctx->start > t) || (ctx->endGiven != 0 && t > ctx->end)))
            continue;

        bool anyPresent = false;
        for (int32_t i = 0; i < ctx->varCount; ++i) {
            ZTS_VAR &var = ctx->vars[i];
            if (zmissr(&ctx->missingState, values[i], ZTS_VALUE_LIMIT) != 0) {
                values[i] = orvMissing();
                ++var.nmiss;
                continue;
            }
            if (var.n == 0) {
                var.firstObs = ctx->obsCount;
                var.firstId = t;
            }
            ++var.n;
            var.lastObs = ctx->obsCount;
            var.lastId = t;
            anyPresent = true;
        }
        if (ztput(ctx->rawCache.files[1], ctx->varCount, values) != 0) return finished(ctx, ZTS_IO_FAILURE);
        ++ctx->obsCount;
        if (anyPresent) ++ctx->nonMissingObs;
    }

    for (ZTS_CACHE *cache : {&ctx->rawCache, &ctx->accCache}) {
        cache->length = ctx->obsCount;
        /* A longer group than the buffer was made for: make it anew. */
        if (cache->buffer != nullptr && cache->capacity < cache->length * cache->perBlock) {
            ztsFree(ctx, cache->buffer);
            cache->buffer = nullptr;
            cache->capacity = 0;
        }
    }
    if (ctx->obsCount == 0) return finished(ctx, ZTS_NO_OBSERVATIONS);
    if (zttrans(ctx->rawCache.files[1], ctx->rawCache.files[0], ctx->obsCount, ctx->varCount) != 0)
        return finished(ctx, ZTS_IO_FAILURE);

    ZTS_TIMEID &finalIds = ctx->timeIds;
    ztsFree(ctx, finalIds.ids);
    finalIds = raw;
    finalIds.ids = nullptr;
    finalIds.count = finalIds.capacity = 0;

    const bool custom = isCustom(raw.interval);
    const double base = ctx->startGiven != 0 ? ctx->start : zintnx2(&raw.interval, ctx->minId, 0);
    if (ctx->obsIndex == nullptr || ctx->obsIndexCapacity < ctx->obsCount) {
        ztsFree(ctx, ctx->obsIndex);
        ctx->obsIndex = static_cast<int64_t *>(ztsAlloc(ctx, size_t(ctx->obsCount) * sizeof(int64_t), ZTS_ALLOC_PLAIN));
        ctx->obsIndexCapacity = ctx->obsIndex != nullptr ? ctx->obsCount : 0;
        if (ctx->obsIndex == nullptr) return finished(ctx, ZTS_NO_MEMORY);
    }
    const int flag = custom ? 0 : kBuiltInFlag;
    const int r = zinttip(&raw.interval, raw.alignment, raw.ids, ctx->obsCount, flag, ctx->obsIndex, base,
                          nullptr, nullptr, nullptr);
    int status = statusOfIndexing(r, ctx, flag);
    if (status != 0) return finished(ctx, status);

    const int64_t n = finalNobs(ctx);
    if (n < 0) return finished(ctx, ZTS_NEGATIVE_COUNT);
    finalIds.count = n;
    status = allocate(ctx);
    if (status != 0) return finished(ctx, status);
    ctx->accCache.length = n;
    if (ctx->accCache.buffer != nullptr && ctx->accCache.capacity < n) {
        ztsFree(ctx, ctx->accCache.buffer);
        ctx->accCache.buffer = nullptr;
        ctx->accCache.capacity = 0;
    }

    bool complete = true;
    for (int64_t i = 0; i < n; ++i) {
        if (raw.interval.code != ZINT_NONE) {
            finalIds.ids[i] = zintnx3(&raw.interval, raw.alignment, nullptr, base, double(i));
            if (orvIsMissing(finalIds.ids[i])) complete = false;
        } else {
            finalIds.ids[i] = double(i + 1);
        }
    }
    if (n <= 0) return finished(ctx, ZTS_NO_OBSERVATIONS);
    if (!complete) return finished(ctx, ZTS_COUNT_FAILURE);
    if (n == 1) return finished(ctx, ZTS_ONE_ID);
    if (n > ZTS_MAX_TIME_IDS) return finished(ctx, ZTS_COUNT_TOO_LARGE);
    return finished(ctx, 0);
}
