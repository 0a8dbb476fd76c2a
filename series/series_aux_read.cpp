/*
 * series_aux_read.cpp - the auxiliary reader's reading steps: set-up, BY
 * groups and their synchronisation, the per-group read with the placing of
 * every auxiliary data set on the primary's axis, and the reset (see
 * series_aux.h).
 */
#include "series/series_aux.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/missing_values.h"
#include "host/numeric_utils.h"
#include "host/row_store.h"
#include "host/services.h"
#include "interval/intck.h"
#include "series/series_io.h"
#include "series/series_memory.h"
#include "series/series_timing.h"

namespace {

/* Message of a data set from which no variable is read. */
constexpr int kNoVariablesSet = 882;
constexpr int kNoVariablesNumber = 1050;

/* Read results that leave a usable group. */
bool usable(int status) { return status == 0 || status == ZTS_ONE_ID; }

int finished(ZTS_PROC *owner, int status)
{
    if (owner->timingOn == 1) ZTSStopTiming(&owner->timer, owner->ioTiming);
    return status;
}

/* An interval count that fits the 32-bit alignment fields. */
bool fits32(double count) { return !orvIsMissing(count) && std::fabs(count) <= double(INT32_MAX); }

/*
 * Where the auxiliary's accumulated series lies on the primary's axis:
 * its lead and trail in intervals, the values it has outside the axis
 * (skip, extra at the end) and the positions it does not cover.
 * Returns 0 (set aligned) or ZTS_AUX_MISFIT.
 */
int alignAccumulated(const ZTS_PROC &primary, ZTS_PROC &auxiliary)
{
    const ZTS_TIMEID &p = primary.timeIds, &a = auxiliary.timeIds;
    if (p.count < 1 || a.count < 1 || p.ids == nullptr || a.ids == nullptr) return ZTS_AUX_MISFIT;
    const double lead = zintck2(&p.interval, p.ids[0], a.ids[0]);
    const double trail = zintck2(&p.interval, p.ids[p.count - 1], a.ids[a.count - 1]);
    if (!fits32(lead) || !fits32(trail)) return ZTS_AUX_MISFIT;
    ZTS_AUXALIGN &set = auxiliary.auxInfo.accumulated;
    set.lead = int32_t(lead);
    set.trail = int32_t(trail);
    set.skip = std::max(0, -set.lead);
    set.extraEnd = std::max(0, set.trail);
    const int64_t totalExtra = int64_t(set.skip) + set.extraEnd;
    if (totalExtra >= auxiliary.accCache.length) return ZTS_AUX_MISFIT;
    set.totalExtra = int32_t(totalExtra);
    set.leadingMissing = std::max(0, set.lead);
    set.trailingMissing = std::max(0, -set.trail);
    set.aligned = 1;
    return 0;
}

/* The input series coincide observation by observation: the same count,
 * no duplicates, the same smallest time ID and the same time slots. */
bool inputCoincides(const ZTS_PROC &primary, const ZTS_PROC &auxiliary)
{
    const int64_t n = primary.obsCount;
    if (n != auxiliary.obsCount || n < 1 || primary.obsIndex == nullptr || auxiliary.obsIndex == nullptr)
        return false;
    if (primary.duplicates != 0 || auxiliary.duplicates != 0 || primary.minId != auxiliary.minId) return false;
    return std::equal(primary.obsIndex, primary.obsIndex + n, auxiliary.obsIndex);
}

/* The owner takes the primary's group: counts, extent, offsets and the
 * arrays (shared), and each variable's counts from its reader. */
void takePrimaryGroup(ZTS_PROC *owner, const ZTS_PROC &primary)
{
    owner->obsCount = primary.obsCount;
    owner->duplicates = primary.duplicates;
    owner->gaps = primary.gaps;
    owner->firstObsNumber = primary.firstObsNumber;
    owner->lastObsNumber = primary.lastObsNumber;
    owner->minId = primary.minId;
    owner->maxId = primary.maxId;
    owner->firstAligned = primary.firstAligned;
    owner->lastAligned = primary.lastAligned;
    owner->startOffset = primary.startOffset;
    owner->endOffset = primary.endOffset;
    owner->obsIndex = primary.obsIndex;
    owner->obsIndexCapacity = primary.obsIndexCapacity;
    owner->rawTime.current = primary.rawTime.current;
    owner->rawTime.ids = primary.rawTime.ids;
    owner->rawTime.count = primary.rawTime.count;
    owner->timeIds.ids = primary.timeIds.ids;
    owner->timeIds.count = primary.timeIds.count;
    owner->timeIds.capacity = primary.timeIds.capacity;
    owner->rawCache.firstIndex = owner->accCache.firstIndex = -1;
    owner->rawCache.length = primary.obsCount;
    owner->accCache.length = primary.timeIds.count;
    for (int32_t v = 0; v < owner->varCount && owner->vars != nullptr; ++v) {
        ZTS_VAR &var = owner->vars[v];
        const ZTS_VAR &copy = var.owner->vars[var.position];
        var.n = copy.n;
        var.nmiss = copy.nmiss;
        var.firstObs = copy.firstObs;
        var.lastObs = copy.lastObs;
        var.firstId = copy.firstId;
        var.lastId = copy.lastId;
    }
}

/* Reads (or fills) one auxiliary data set's group and places it on the
 * primary's axis; a failure is recorded in the owner.  Returns 0,
 * ZTS_ONE_ID or the failing status. */
int readAuxiliary(ZTS_PROC *owner, ZTS_PROC &primary, ZTS_PROC &auxiliary)
{
    int status = 0;
    if (auxiliary.bySync == 0) {
        status = auxiliary.ops->ioReadNext(&auxiliary);
        if (status == ZTS_NO_OBSERVATIONS) status = FixAUXMissing(&primary, &auxiliary);
    } else if (auxiliary.bySync != -1) {
        status = FixAUXMissing(&primary, &auxiliary);
    }
    const ORV_COUNTED_NAME *name = nullptr;
    if (usable(status) && primary.rawTime.interval.kind == 'o' && primary.obsCount != auxiliary.obsCount) {
        /* Observation numbers pair only when the counts agree. */
        auxiliary.auxInfo.failedName = auxiliary.rawTime.idName;
        name = &auxiliary.auxInfo.failedName;
        status = ZTS_AUX_MISFIT;
    }
    if (usable(status)) {
        auxiliary.auxInfo.input = ZTS_AUXALIGN{};
        auxiliary.auxInfo.accumulated = ZTS_AUXALIGN{};
        auxiliary.auxInfo.input.aligned = inputCoincides(primary, auxiliary) ? 1 : 0;
        const int placed = alignAccumulated(primary, auxiliary);
        if (placed != 0) status = placed;
    }
    if (!usable(status)) auxRecordFailure(owner, &auxiliary, name);
    return status;
}

}  // namespace

int auxInSetup(ZTS_PROC *owner)
{
    if (owner == nullptr) return ZTS_NO_CONTEXT;
    ZTS_AUX *aux = auxRecord(owner);
    if (aux == nullptr) return ZTS_MISSING_PART;
    for (int32_t i = 0; i < aux->dataSetCount; ++i) {
        ZTS_PROC *sub = &aux->subs[i];
        if (sub->varCount <= 0) continue;
        const int status = sub->ops->inSetup(sub);
        if (status != 0) {
            auxRecordFailure(owner, sub, nullptr);
            return status;
        }
    }
    return 0;
}

int auxIOComInit(ZTS_PROC *owner)
{
    ZTS_AUX *aux = auxRecord(owner);
    if (owner == nullptr || owner->varCount <= 0) return ZTS_BAD_ARGUMENT;
    if (aux == nullptr) return ZTS_MISSING_PART;
    ztsResetCommon(owner);
    int result = 0;
    for (int32_t i = 0; i < aux->dataSetCount; ++i) {
        ZTS_PROC *sub = &aux->subs[i];
        const int status = sub->ops->ioComInit(sub);
        if (status == 2) {
            /* LIB.MEMBER when the caller described it, else the member. */
            const ZTS_IOINFO &io = sub->ioInfo;
            const bool qualified = io.qualified.length > 0;
            xpmlog(kNoVariablesSet, kNoVariablesNumber, ORV_MSG_TEXT,
                   int(qualified ? io.qualified.length : io.member.length),
                   qualified ? io.qualified.text : io.member.text, ORV_MSG_END);
        }
        if (status != 0) auxRecordFailure(owner, sub, nullptr);
        result |= status;
    }
    return result;
}

int auxIOByNext(ZTS_PROC *owner)
{
    ZTS_AUX *aux = auxRecord(owner);
    if (aux == nullptr) return 0;
    ZTS_PROC *primary = &aux->subs[0];
    const int delivered = primary->ops->ioByNext(primary);
    if (delivered >= 1) {
        for (int32_t i = 1; i < aux->dataSetCount; ++i) {
            ZTS_PROC *sub = &aux->subs[i];
            if (sub->ops->ioBySync(sub, primary) != 0) {
                const ORV_COUNTED_NAME empty{};
                auxRecordFailure(owner, sub, &empty);
            }
            /* A data set that stays on a group it never completed reads it. */
            if (sub->bySync == -1 && sub->timeIds.count <= 0) sub->bySync = 0;
        }
    }
    owner->byStatus = delivered;
    return delivered;
}

int auxIOBySync(ZTS_PROC *owner, ZTS_PROC *other)
{
    if (owner == nullptr) return ZTS_NO_CONTEXT;
    ZTS_AUX *aux = auxRecord(owner);
    if (aux == nullptr) return ZTS_MISSING_PART;
    owner->bySyncPrev = owner->bySync;
    int lastFailure = 0;
    bool allStayed = true;
    for (int32_t i = 0; i < aux->dataSetCount; ++i) {
        ZTS_PROC *sub = &aux->subs[i];
        const int status = sub->ops->ioBySync(sub, other);
        if (status != 0) {
            auxRecordFailure(owner, sub, nullptr);
            lastFailure = status;
        }
        if (sub->bySync >= 0) allStayed = false;
    }
    owner->bySync = allStayed ? -1 : lastFailure;
    return owner->bySync;
}

int auxIOReadNext(ZTS_PROC *owner)
{
    if (owner == nullptr) return ZTS_NO_CONTEXT;
    ZTS_AUX *aux = auxRecord(owner);
    if (aux == nullptr) return ZTS_MISSING_PART;
    if (owner->timingOn == 1) ZTSStartTiming(&owner->timer, owner->ioTiming);
    resetForReadNext(owner);

    ZTS_PROC &primary = aux->subs[0];
    int result = primary.ops->ioReadNext(&primary);
    if (!usable(result)) {
        auxRecordFailure(owner, &primary, nullptr);
        return finished(owner, result);
    }
    for (int32_t i = 1; i < aux->dataSetCount; ++i) {
        ZTS_PROC &auxiliary = aux->subs[i];
        const int status = readAuxiliary(owner, primary, auxiliary);
        if (!usable(status)) return finished(owner, result | status);
    }
    takePrimaryGroup(owner, primary);
    return finished(owner, result);
}

int FixAUXMissing(ZTS_PROC *primary, ZTS_PROC *auxiliary)
{
    if (primary == nullptr || auxiliary == nullptr) return ZTS_NO_CONTEXT;
    ZT_FILE transposed = auxiliary->rawCache.files[0];
    if (ztrset(transposed) != 0 || ztrset(auxiliary->accCache.files[0]) != 0) return ZTS_IO_FAILURE;
    auxiliary->accRowsWritten = 0;
    for (int64_t i = 0; i < auxiliary->accRowCapacity && auxiliary->accRowOf != nullptr; ++i)
        auxiliary->accRowOf[i] = -1;

    const int64_t count = primary->obsCount;
    if (count < 1 || primary->obsIndex == nullptr || !ztsSizeFits(count, sizeof(double))) return ZTS_NO_MEMORY;
    if (auxiliary->obsIndex == nullptr || auxiliary->obsIndexCapacity < count) {
        ztsFree(auxiliary, auxiliary->obsIndex);
        auxiliary->obsIndexCapacity = 0;
        auxiliary->obsIndex = static_cast<int64_t *>(ztsAlloc(auxiliary, size_t(count) * sizeof(int64_t), ZTS_ALLOC_PLAIN));
        if (auxiliary->obsIndex == nullptr) return ZTS_NO_MEMORY;
        auxiliary->obsIndexCapacity = count;
    }
    std::copy(primary->obsIndex, primary->obsIndex + count, auxiliary->obsIndex);
    auxiliary->obsCount = count;
    auxiliary->duplicates = auxiliary->gaps = 0;
    auxiliary->minId = primary->minId;
    auxiliary->maxId = primary->maxId;
    auxiliary->firstAligned = primary->firstAligned;
    auxiliary->lastAligned = primary->lastAligned;
    auxiliary->startOffset = primary->startOffset;
    auxiliary->endOffset = primary->endOffset;
    auxiliary->rawCache.length = count;
    auxiliary->accCache.length = primary->timeIds.count;
    auxiliary->rawCache.firstIndex = auxiliary->accCache.firstIndex = -1;

    /* The final axis is the primary's, on the auxiliary's own time-ID block. */
    ZTS_TIMEID &ids = auxiliary->timeIds;
    double *array = ids.ids;
    const int64_t capacity = ids.capacity;
    ids = auxiliary->rawTime;
    ids.ids = array;
    ids.capacity = capacity;
    ids.count = primary->timeIds.count;
    const int status = allocate(auxiliary);
    if (status != 0) return status;
    std::copy(primary->timeIds.ids, primary->timeIds.ids + ids.count, ids.ids);

    auto *row = static_cast<double *>(ztsAlloc(auxiliary, size_t(count) * sizeof(double), ZTS_ALLOC_PLAIN));
    if (row == nullptr) return ZTS_NO_MEMORY;
    vzfdl(row, count, orvMissing());
    int result = 0;
    for (int32_t v = 0; v < auxiliary->varCount && result == 0; ++v) {
        if (ztput(transposed, count, row) != 0) result = ZTS_IO_FAILURE;
        ZTS_VAR &var = auxiliary->vars[v];
        var.n = 0;
        var.nmiss = count;
        var.firstObs = var.lastObs = 0;
        var.firstId = var.lastId = 0;
    }
    ztsFree(auxiliary, row);
    if (result != 0) return result;
    const int pointed = xcpoint(transposed, 0);
    if (pointed < 0) {
        xprrlog(nullptr, pointed);
        return ZTS_IO_FAILURE;
    }
    return 0;
}

int auxIOReset(ZTS_PROC *owner)
{
    if (owner == nullptr) return ZTS_NO_CONTEXT;
    if (owner->pool == nullptr) return ZTS_MISSING_PART;
    ZTS_AUX *aux = auxRecord(owner);
    if (aux == nullptr) return ZTS_MISSING_PART;
    ztsFree(owner, owner->rawCache.buffer);
    ztsFree(owner, owner->accBuffer);
    owner->rawCache.buffer = owner->accBuffer = nullptr;
    owner->rawCache.capacity = owner->accBufferSize = 0;
    owner->rawCache.firstIndex = owner->accCache.firstIndex = -1;
    int result = 0;
    for (int32_t i = 0; i < aux->dataSetCount; ++i) result |= aux->subs[i].ops->ioReset(&aux->subs[i]);
    return result;
}
