/*
 * series_access.cpp - series of a group: cached reads, accumulation and
 * lead time IDs (see series_access.h).
 */
#include "series/series_access.h"

#include <algorithm>
#include <cmath>

#include "host/missing_values.h"
#include "host/numeric_utils.h"
#include "host/services.h"
#include "interval/intnx.h"
#include "interval/timeslot_accumulate.h"
#include "series/series_memory.h"
#include "series/series_timing.h"

namespace {

/* Where the cached series comes from: the input store (row = series
 * index) or the accumulated store (row looked up by variable). */
enum class Store { Input, Accumulated };

/* Makes `index` the cached series of `store` and returns a pointer to it
 * in *series. */
int cachedSeries(ZTS_PROC *ctx, Store store, int64_t index, double **series)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (ctx->pool == nullptr) return ZTS_MISSING_PART;
    ZTS_CACHE &cache = store == Store::Input ? ctx->rawCache : ctx->accCache;
    if (index < 0 || index >= cache.seriesCount || series == nullptr) return ZTS_BAD_ARGUMENT;
    const int64_t length = cache.length;
    if (length <= 0 || (store == Store::Accumulated && ctx->timeIds.count <= 0)) return ZTS_NO_IDS;
    int64_t row = index;
    if (store == Store::Accumulated) {
        row = ctx->accRowOf != nullptr && index < ctx->accRowCapacity ? ctx->accRowOf[index] : -1;
        if (row < 0) return ZTS_VAR_FAILURE;
    }
    if (!ztsSizeFits(length, sizeof(double))) return ZTS_NO_MEMORY;
    if (ctx->timingOn == 1) ZTSStartTiming(&ctx->timer, ctx->ioTiming);
    auto done = [ctx](int status) {
        if (ctx->timingOn == 1) ZTSStopTiming(&ctx->timer, ctx->ioTiming);
        return status;
    };

    if (cache.buffer == nullptr || cache.capacity < length * cache.perBlock) {
        ztsFree(ctx, cache.buffer);
        cache.capacity = 0;
        cache.firstIndex = -1;
        cache.buffer = static_cast<double *>(
            ztsAlloc(ctx, size_t(length * cache.perBlock) * sizeof(double), ZTS_ALLOC_ZEROED));
        if (cache.buffer == nullptr) return done(ZTS_NO_MEMORY);
        cache.capacity = length * cache.perBlock;
    }
    if (cache.firstIndex != index) {
        if (store == Store::Accumulated) vzfdl(cache.buffer, length, orvMissing());
        if (ztget(cache.files[0], row, length, cache.buffer) != 0) {
            cache.firstIndex = -1;
            return done(ZTS_IO_FAILURE);
        }
        cache.firstIndex = index;
    }
    *series = cache.buffer;
    return done(0);
}

int copiedSeries(ZTS_PROC *ctx, Store store, int64_t index, double *out)
{
    if (ctx != nullptr && out == nullptr) return ZTS_BAD_ARGUMENT;
    double *series = nullptr;
    const int status = cachedSeries(ctx, store, index, &series);
    if (status != 0) return status;
    const ZTS_CACHE &cache = store == Store::Input ? ctx->rawCache : ctx->accCache;
    std::copy(series, series + cache.length, out);
    return 0;
}

bool presentNonZero(double x) { return !orvIsMissing(x) && std::fabs(x) >= ZTS_ZERO_LIMIT; }

/* The accumulated store's row for the next series, and the variable map
 * that finds it. */
int storeAccumulated(ZTS_PROC *ctx, int64_t index, int64_t count)
{
    if (ctx->accRowOf == nullptr || ctx->accRowCapacity < ctx->varCount) {
        auto *rows = static_cast<int64_t *>(ztsAlloc(ctx, size_t(ctx->varCount) * sizeof(int64_t), ZTS_ALLOC_PLAIN));
        if (rows == nullptr) return ZTS_NO_MEMORY;
        for (int64_t i = 0; i < ctx->varCount; ++i)
            rows[i] = ctx->accRowOf != nullptr && i < ctx->accRowCapacity ? ctx->accRowOf[i] : -1;
        ztsFree(ctx, ctx->accRowOf);
        ctx->accRowOf = rows;
        ctx->accRowCapacity = ctx->varCount;
    }
    ZT_FILE file = ctx->accCache.files[0];
    /* Reads move the position: rows are appended at the end. */
    if (xcpoint(file, ctx->accRowsWritten * count * int64_t(sizeof(double))) != 0 ||
        ztput(file, count, ctx->accBuffer) != 0)
        return ZTS_IO_FAILURE;
    ctx->accRowOf[index] = ctx->accRowsWritten++;
    ctx->accCache.length = count;
    if (ctx->accCache.firstIndex == index) ctx->accCache.firstIndex = -1;
    return 0;
}

}  // namespace

int ztsGetVar(ZTS_PROC *ctx, int64_t index, double *out) { return copiedSeries(ctx, Store::Input, index, out); }

int ztsGetVarPtr(ZTS_PROC *ctx, int64_t index, double **series)
{
    return cachedSeries(ctx, Store::Input, index, series);
}

int ztsGetAccVar(ZTS_PROC *ctx, int64_t index, double *out)
{
    return copiedSeries(ctx, Store::Accumulated, index, out);
}

int ztsGetAccVarPtr(ZTS_PROC *ctx, int64_t index, double **series)
{
    return cachedSeries(ctx, Store::Accumulated, index, series);
}

int ztsAccumulate(ZTS_PROC *ctx, int method, int setMissing, int zeroMiss, int64_t index, double value)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (ctx->pool == nullptr || ctx->ops == nullptr) return ZTS_MISSING_PART;
    const int64_t count = ctx->timeIds.count;
    if (count <= 0 || ctx->obsCount <= 0 || ctx->obsIndex == nullptr) return ZTS_NO_IDS;
    if (index < 0 || index >= ctx->varCount) return ZTS_BAD_ARGUMENT;
    if (!ztsSizeFits(count, sizeof(double))) return ZTS_NO_MEMORY;

    const int64_t bytes = count * int64_t(sizeof(double));
    if (ctx->accBuffer == nullptr || ctx->accBufferSize < bytes) {
        ztsFree(ctx, ctx->accBuffer);
        ctx->accBufferSize = 0;
        ctx->accBuffer = static_cast<double *>(ztsAlloc(ctx, size_t(bytes), ZTS_ALLOC_PLAIN));
        if (ctx->accBuffer == nullptr) return ZTS_NO_MEMORY;
        ctx->accBufferSize = bytes;
    }
    double *out = ctx->accBuffer;
    vzfdl(out, count, orvMissing());

    double *series = nullptr;
    int status = ctx->ops->getVarPtr(ctx, index, &series);
    if (status > 0) return status;
    const int r = zinttim(ctx->obsIndex, ctx->obsCount, series, 1, 0, count, 1, method, out);
    if (r == ZINTTIM_NO_MEMORY) return ZTS_NO_MEMORY;
    if (r == ZINTTIM_BAD_ARGUMENT) return ZTS_BAD_ARGUMENT;
    if (r != 0) return ZTS_ACCUMULATE_FAILURE;

    const int32_t role = ctx->vars != nullptr ? ctx->vars[index].role : 0;
    const int finishedStatus = ztsFinishAccumulated(ctx, role, setMissing, zeroMiss, value, out, count);
    if (finishedStatus != 0) return finishedStatus;
    return storeAccumulated(ctx, index, count);
}

int ztsFinishAccumulated(const ZTS_PROC *ctx, int32_t role, int setMissing, int zeroMiss, double value, double *out,
                         int64_t count)
{
    if (setMissing != 0) {
        const int s = zinttis(out, count, setMissing, out, nullptr, nullptr, value);
        if (s < 0) return s;
    }
    if (zeroMiss != 0) applyzeromiss(out, count, zeroMiss);
    if (ctx->horizonGiven != 0 && role == 1 && ctx->endOffset < 0) {
        const int64_t trimmed = std::min(count, -ctx->endOffset);
        vzfdl(out + (count - trimmed), trimmed, orvMissing());
    }
    return 0;
}

int ztsTimeIDAddLead(ZTS_PROC *ctx, int64_t lead)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (ctx->pool == nullptr) return ZTS_MISSING_PART;
    if (lead < 0) return ZTS_BAD_ARGUMENT;
    ZTS_TIMEID &ids = ctx->timeIds;
    const int64_t count = std::max<int64_t>(ids.count, 0);
    const int64_t total = count + lead;
    if (total == 0) return 0;
    if (!ztsSizeFits(total, sizeof(double))) return ZTS_NO_MEMORY;
    if (ids.ids == nullptr || ids.capacity < total) {
        auto *grown = static_cast<double *>(ztsGrow(ctx, ids.ids, size_t(std::max<int64_t>(ids.capacity, 0)) * sizeof(double),
                                                    size_t(total) * sizeof(double)));
        if (grown == nullptr) return ZTS_NO_MEMORY;
        ids.ids = grown;
        ids.capacity = total;
    }
    int64_t p = count;
    if (ctx->horizonGiven != 0 && ctx->endOffset < 0) p = std::max<int64_t>(0, count + ctx->endOffset);

    const ZTS_TIMEID &raw = ctx->rawTime;
    if (raw.interval.code == ZINT_NONE) {
        for (int64_t k = p; k < total; ++k) ids.ids[k] = double(k + 1);
        return 0;
    }
    double base = 0;
    if (ctx->horizonGiven != 0)
        base = zintnx2(&raw.interval, ctx->horizon, -1);
    else if (ctx->endGiven != 0)
        base = zintnx2(&raw.interval, ctx->end, 0);
    else if (raw.idVarNo <= 0 || raw.interval.code == ZINT_CUSTOM)
        /* The axis was built from the base date: go on from its last entry
         * kept (a group without entries from the observations read). */
        base = p > 0 ? ids.ids[p - 1] : double(ctx->obsCount);
    else
        base = ctx->maxId;
    for (int64_t k = p, r = 1; k < total; ++k, ++r) {
        ids.ids[k] = zintnx3(&raw.interval, raw.alignment, nullptr, base, double(r));
        if (orvIsMissing(ids.ids[k])) return ZTS_NO_LEAD;
    }
    return 0;
}

int applyzeromiss(double *values, int64_t n, int mode)
{
    if (values == nullptr || n <= 0) return 0;
    if (std::none_of(values, values + n, presentNonZero)) return 0;
    /* The runs end at the first (last) value that is missing or not zero. */
    int64_t lead = 0;
    while (lead < n && !orvIsMissing(values[lead]) && !presentNonZero(values[lead])) ++lead;
    int64_t trail = n - 1;
    while (trail >= 0 && !orvIsMissing(values[trail]) && !presentNonZero(values[trail])) --trail;
    if (mode == 1 || mode == 3) vzfdl(values, lead, orvMissing());
    if (mode == 2 || mode == 3) vzfdl(values + trail + 1, n - 1 - trail, orvMissing());
    return 0;
}
