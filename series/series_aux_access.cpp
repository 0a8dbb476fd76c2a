/*
 * series_aux_access.cpp - the auxiliary reader's series: accumulation in
 * the reading sub-context, and every series placed on the primary's axis
 * as a copy or a pointer (see series_aux.h).
 */
#include "series/series_aux.h"

#include <algorithm>

#include "host/missing_values.h"
#include "host/numeric_utils.h"
#include "series/series_access.h"
#include "series/series_memory.h"
#include "series/series_timing.h"

namespace {

enum class Series { Input, Accumulated };

/* A variable of the owner with its reader and the primary. */
struct Located {
    ZTS_VAR *var = nullptr;
    ZTS_PROC *reader = nullptr;
    ZTS_PROC *primary = nullptr;
};

int locate(ZTS_PROC *owner, int64_t index, Located *where)
{
    if (owner == nullptr) return ZTS_NO_CONTEXT;
    ZTS_AUX *aux = auxRecord(owner);
    if (owner->pool == nullptr || aux == nullptr) return ZTS_MISSING_PART;
    if (index < 0 || index >= owner->varCount || owner->vars == nullptr || owner->vars[index].owner == nullptr)
        return ZTS_BAD_ARGUMENT;
    where->var = &owner->vars[index];
    where->reader = where->var->owner;
    where->primary = &aux->subs[0];
    return 0;
}

/* Values of a context's series: what its copy slots deliver. */
int64_t axisLength(const ZTS_PROC &ctx, Series kind)
{
    return kind == Series::Input ? ctx.rawCache.length : ctx.accCache.length;
}

/* The reader's series lie on the primary's axis as they are: the same
 * extent and count (for input series also the same observations, so that
 * a copy never runs past the caller's buffer). */
bool sameAxis(const ZTS_PROC &primary, const ZTS_PROC &reader, Series kind)
{
    if (&primary == &reader) return true;
    if (reader.firstAligned != primary.firstAligned || reader.lastAligned != primary.lastAligned ||
        reader.timeIds.count != primary.timeIds.count)
        return false;
    return kind == Series::Accumulated || reader.obsCount == primary.obsCount;
}

/* Makes *buffer hold n doubles (capacity counted in doubles). */
double *ownerBuffer(ZTS_PROC *owner, double **buffer, int64_t *capacity, int64_t n)
{
    if (*buffer != nullptr && *capacity >= n) return *buffer;
    ztsFree(owner, *buffer);
    *capacity = 0;
    *buffer = ztsSizeFits(n, sizeof(double))
                  ? static_cast<double *>(ztsAlloc(owner, size_t(n) * sizeof(double), ZTS_ALLOC_PLAIN))
                  : nullptr;
    if (*buffer != nullptr) *capacity = n;
    return *buffer;
}

/*
 * The reader's series of `where` placed on the primary's axis through its
 * alignment set: the values before the axis skipped, those after it
 * dropped, the positions it does not cover missing; an accumulated series
 * then gets its accumulation's SETMISSING, zero-to-missing and horizon
 * trimming again.  out holds the axis length.
 * Returns 0; ZTS_AUX_MISFIT; ZTS_NO_MEMORY; the reader's status.
 */
int placeOnAxis(ZTS_PROC *owner, const Located &where, Series kind, double *out)
{
    ZTS_PROC &reader = *where.reader;
    const ZTS_AUXALIGN &set = kind == Series::Input ? reader.auxInfo.input : reader.auxInfo.accumulated;
    if (set.aligned == 0) return ZTS_AUX_MISFIT;
    const int64_t n = axisLength(*where.primary, kind);
    const int64_t length = axisLength(reader, kind);
    const int64_t take = std::min(length - set.totalExtra, n - set.leadingMissing);
    if (take < 1 || n < 1) return ZTS_AUX_MISFIT;
    auto *scratch = ztsSizeFits(length, sizeof(double))
                        ? static_cast<double *>(ztsAlloc(owner, size_t(length) * sizeof(double), ZTS_ALLOC_PLAIN))
                        : nullptr;
    if (scratch == nullptr) return ZTS_NO_MEMORY;
    const int position = where.var->position;
    int status = kind == Series::Input ? reader.ops->getVar(&reader, position, scratch)
                                       : reader.ops->getAccVar(&reader, position, scratch);
    if (status == 0) {
        vzfdl(out, n, orvMissing());
        std::copy(scratch + set.skip, scratch + set.skip + take, out + set.leadingMissing);
        if (kind == Series::Accumulated)
            status = ztsFinishAccumulated(owner, where.var->role, where.var->accSetMissing, where.var->accZeroMiss,
                                          where.var->accSetMissingValue, out, n);
    }
    ztsFree(owner, scratch);
    return status;
}

/* Copy or pointer of variable `index` on the primary's axis: out for a
 * copy, *series for a pointer. */
int access(ZTS_PROC *owner, int64_t index, Series kind, double *out, double **series)
{
    Located where;
    const int located = locate(owner, index, &where);
    if (located != 0) return located;
    if (out == nullptr && series == nullptr) return ZTS_BAD_ARGUMENT;
    if (owner->timingOn == 1) ZTSStartTiming(&owner->timer, owner->ioTiming);
    ZTS_PROC &reader = *where.reader;
    const int position = where.var->position;
    int status = 0;
    if (out == nullptr && kind == Series::Input && sameAxis(*where.primary, reader, kind)) {
        status = reader.ops->getVarPtr(&reader, position, series);
    } else {
        /* A pointer form fills a buffer of the owner: the accumulated one
         * also when the axes agree, as the single-data-set reader has no
         * accumulated pointer to hand on. */
        double *target = out;
        if (target == nullptr) {
            const int64_t n = axisLength(*where.primary, kind);
            if (kind == Series::Input) {
                target = ownerBuffer(owner, &owner->rawCache.buffer, &owner->rawCache.capacity, n);
            } else {
                int64_t capacity = owner->accBufferSize / int64_t(sizeof(double));
                target = ownerBuffer(owner, &owner->accBuffer, &capacity, n);
                owner->accBufferSize = capacity * int64_t(sizeof(double));
            }
            if (target == nullptr) status = ZTS_NO_MEMORY;
        }
        if (status == 0 && sameAxis(*where.primary, reader, kind))
            status = kind == Series::Input ? reader.ops->getVar(&reader, position, target)
                                           : reader.ops->getAccVar(&reader, position, target);
        else if (status == 0)
            status = placeOnAxis(owner, where, kind, target);
        if (status == 0 && series != nullptr) *series = target;
    }
    if (status != 0) auxRecordFailure(owner, &reader, nullptr);
    if (owner->timingOn == 1) ZTSStopTiming(&owner->timer, owner->ioTiming);
    return status;
}

}  // namespace

int auxAccumulate(ZTS_PROC *owner, int method, int setMissing, int zeroMiss, int64_t index, double value)
{
    Located where;
    const int located = locate(owner, index, &where);
    if (located != 0) return located;
    ZTS_VAR &var = *where.var;
    ZTS_PROC &reader = *where.reader;
    var.accSetMissing = setMissing;
    var.accSetMissingValue = value;
    var.accZeroMiss = zeroMiss;
    /* A data set that stayed on its group keeps the series it has. */
    if (reader.bySync < 0) return 0;
    const int status = reader.ops->accumulate(&reader, method, setMissing, zeroMiss, var.position, value);
    if (status != 0) auxRecordFailure(owner, &reader, nullptr);
    if (&reader == where.primary) owner->accCache.length = reader.accCache.length;
    return status;
}

int auxGetVar(ZTS_PROC *owner, int64_t index, double *out)
{
    if (owner != nullptr && out == nullptr) return ZTS_BAD_ARGUMENT;
    return access(owner, index, Series::Input, out, nullptr);
}

int auxGetVarPtr(ZTS_PROC *owner, int64_t index, double **series)
{
    if (owner != nullptr && series == nullptr) return ZTS_BAD_ARGUMENT;
    return access(owner, index, Series::Input, nullptr, series);
}

int auxGetAccVar(ZTS_PROC *owner, int64_t index, double *out)
{
    if (owner != nullptr && out == nullptr) return ZTS_BAD_ARGUMENT;
    return access(owner, index, Series::Accumulated, out, nullptr);
}

int auxGetAccVarPtr(ZTS_PROC *owner, int64_t index, double **series)
{
    if (owner != nullptr && series == nullptr) return ZTS_BAD_ARGUMENT;
    return access(owner, index, Series::Accumulated, nullptr, series);
}
