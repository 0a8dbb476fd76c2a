/*
 * series_aux_settings.cpp - the auxiliary reader's settings, forwarded
 * from the owner to every sub-context, and its variable records and BY
 * lists (see series_aux.h).
 */
#include "series/series_aux.h"

#include <algorithm>
#include <type_traits>

#include "host/services.h"
#include "series/series_memory.h"
#include "series/series_settings.h"

namespace {

enum class Combine { Last, Ored };

/* Runs `slot` on every sub-context in order, recording each failure; the
 * last result or all results ORed. */
template <class... Params>
int forwardToSubs(ZTS_PROC *owner, int (*ZTS_OPS::*slot)(ZTS_PROC *, Params...), Combine how,
                  std::type_identity_t<Params>... args)
{
    ZTS_AUX *aux = auxRecord(owner);
    if (aux == nullptr) return ZTS_MISSING_PART;
    int result = 0;
    for (int32_t i = 0; i < aux->dataSetCount; ++i) {
        ZTS_PROC *sub = &aux->subs[i];
        const int status = (sub->ops->*slot)(sub, args...);
        if (status != 0) auxRecordFailure(owner, sub, nullptr);
        result = how == Combine::Ored ? result | status : status;
    }
    return result;
}

/* The single-data-set setter on the owner, then the slot on every
 * sub-context. */
template <class... Params>
int forwarded(ZTS_PROC *owner, int (*own)(ZTS_PROC *, Params...), int (*ZTS_OPS::*slot)(ZTS_PROC *, Params...),
              Combine how, std::type_identity_t<Params>... args)
{
    if (owner == nullptr) return ZTS_NO_CONTEXT;
    own(owner, args...);
    return forwardToSubs(owner, slot, how, args...);
}

/* The sub-context that reads handle, or null. */
ZTS_PROC *readerOf(ZTS_AUX *aux, const DATA_SET_HANDLE *handle)
{
    for (int32_t i = 0; i < aux->dataSetCount && handle != nullptr; ++i)
        if (aux->subs[i].ioInfo.byXofid == handle) return &aux->subs[i];
    return nullptr;
}

}  // namespace

int auxSetDataInfo(ZTS_PROC *owner, int32_t byCount, int32_t *byVars, int32_t varCount, ZTS_VAR *vars)
{
    if (owner == nullptr) return ZTS_NO_CONTEXT;
    ZTS_AUX *aux = auxRecord(owner);
    if (aux == nullptr) return ZTS_MISSING_PART;
    ztsSetDataInfo(owner, byCount, byVars, varCount, vars);
    ZTS_PROC *primary = &aux->subs[0];
    int result = ztsSetDataInfo(primary, owner->byCount, owner->byVars, 0, nullptr);
    /* Each auxiliary data set is grouped by those of the primary's BY
     * variables it has, up to the first it lacks. */
    for (int32_t i = 1; i < aux->dataSetCount && byVars != nullptr; ++i) {
        ZTS_PROC *sub = &aux->subs[i];
        sub->byCount = 0;
        sub->byVars = nullptr;
        if (ztsImportByList(sub, primary, 1) != 0) {
            auxRecordFailure(owner, sub, nullptr);
            result = ZTS_IO_FAILURE;
        }
    }
    return result;
}

int auxSetIdInfo(ZTS_PROC *owner, DATA_SET_HANDLE **handle, int32_t varNo)
{
    if (owner == nullptr) return ZTS_NO_CONTEXT;
    ZTS_AUX *aux = auxRecord(owner);
    if (aux == nullptr) return ZTS_MISSING_PART;
    int result = ztsSetIdInfo(owner, handle, varNo);
    if (result != 0) return result;
    const ORV_COUNTED_NAME &name = owner->rawTime.idName;
    for (int32_t i = 0; i < aux->dataSetCount; ++i) {
        ZTS_PROC *sub = &aux->subs[i];
        int number = -1;
        if (owner->rawTime.idGiven != 0) {
            const int status = xvfind(sub->ioInfo.byXofid, name.text, name.length, &number);
            if (status < 0) {
                xprrlog(nullptr, status);
                auxRecordFailure(owner, sub, &name);
                result |= 0x80;
                continue;
            }
        }
        const int status = sub->ops->setIdInfo(sub, &sub->ioInfo.byXofid, number);
        if (status != 0) auxRecordFailure(owner, sub, nullptr);
        sub->rawTime.unsortedOk = owner->rawTime.unsortedOk;
        result |= status;
    }
    return result;
}

int auxSetMissing(ZTS_PROC *owner, int32_t code, double value)
{
    return forwarded(owner, ztsSetMissing, &ZTS_OPS::setMissing, Combine::Last, code, value);
}

int auxSetStart(ZTS_PROC *owner, int given, double value)
{
    return forwarded(owner, ztsSetStart, &ZTS_OPS::setStart, Combine::Last, given, value);
}

int auxSetEnd(ZTS_PROC *owner, int given, double value)
{
    return forwarded(owner, ztsSetEnd, &ZTS_OPS::setEnd, Combine::Last, given, value);
}

int auxSetHorizon(ZTS_PROC *owner, int given, double value)
{
    return forwarded(owner, ztsSetHorizon, &ZTS_OPS::setHorizon, Combine::Last, given, value);
}

int auxSetIntervalInfo(ZTS_PROC *owner, const ZINT_DESC *interval)
{
    return forwarded(owner, ztsSetIntervalInfo, &ZTS_OPS::setIntervalInfo, Combine::Last, interval);
}

int auxSetIntervalAlignment(ZTS_PROC *owner, char alignment)
{
    return forwarded(owner, ztsSetIntervalAlignment, &ZTS_OPS::setIntervalAlignment, Combine::Last, alignment);
}

int auxSetAccumulate(ZTS_PROC *owner, int code)
{
    return forwarded(owner, ztsSetAccumulate, &ZTS_OPS::setAccumulate, Combine::Last, code);
}

int auxSetIDFormat(ZTS_PROC *owner, const FORMAT_RECORD *fmt)
{
    return forwarded(owner, ztsSetIDFormat, &ZTS_OPS::setIdFormat, Combine::Ored, fmt);
}

int auxSetZeroMiss(ZTS_PROC *owner, int32_t mode, int given)
{
    return forwarded(owner, ztsSetZeroMiss, &ZTS_OPS::setZeroMiss, Combine::Last, mode, given);
}

int auxSetTrimMiss(ZTS_PROC *owner, int32_t mode, int given)
{
    return forwarded(owner, ztsSetTrimMiss, &ZTS_OPS::setTrimMiss, Combine::Last, mode, given);
}

int auxSetSeasonality(ZTS_PROC *owner, int32_t seasons)
{
    return forwarded(owner, ztsSetSeasonality, &ZTS_OPS::setSeasonality, Combine::Last, seasons);
}

int auxImportByList(ZTS_PROC *owner, ZTS_PROC *other, int allowMissing)
{
    if (owner == nullptr) return ZTS_NO_CONTEXT;
    return forwardToSubs(owner, &ZTS_OPS::importByList, Combine::Ored, other, allowMissing);
}

int auxTimeIDAddLead(ZTS_PROC *owner, int64_t lead)
{
    if (owner == nullptr) return ZTS_NO_CONTEXT;
    const int result = forwardToSubs(owner, &ZTS_OPS::timeIdAddLead, Combine::Ored, lead);
    if (ZTS_AUX *aux = auxRecord(owner)) {
        /* The owner shares the primary's final array, which may have moved. */
        owner->timeIds.ids = aux->subs[0].timeIds.ids;
        owner->timeIds.capacity = aux->subs[0].timeIds.capacity;
    }
    return result;
}

int auxCheckIDVar(ZTS_PROC *owner, DATA_SET_HANDLE *handle, int32_t varNo)
{
    ZTS_AUX *aux = auxRecord(owner);
    if (aux == nullptr) return 0;
    const ZTS_PROC &primary = aux->subs[0];
    return handle == primary.ioInfo.byXofid && varNo == primary.rawTime.idVarNo ? 1 : 0;
}

int auxCheckSelVar(ZTS_PROC *owner, int32_t count, DATA_SET_HANDLE *handle, int32_t varNo, int32_t role)
{
    if (owner == nullptr || owner->vars == nullptr) return 0;
    const int32_t limit = count < 0 ? owner->varCount : std::min(count, owner->varCount);
    for (int32_t i = 0; i < limit; ++i) {
        const ZTS_VAR &var = owner->vars[i];
        if (var.owner == nullptr || var.owner->ioInfo.byXofid != handle) continue;
        if (var.varNo == varNo && (role <= 0 || var.role == role)) return i + 1;
    }
    return 0;
}

int auxCheckByVar(ZTS_PROC *owner, DATA_SET_HANDLE *handle, int32_t varNo)
{
    ZTS_AUX *aux = auxRecord(owner);
    if (aux == nullptr) return 0;
    for (int32_t i = 0; i < aux->dataSetCount; ++i)
        if (aux->subs[i].byCount > 0 && ztsCheckByVar(&aux->subs[i], handle, varNo) != 0) return 1;
    return 0;
}

int auxSetVarInfo(ZTS_PROC *owner, int32_t index, int32_t role, DATA_SET_HANDLE *handle, int32_t varNo,
                  int32_t option1, int32_t option2)
{
    if (owner == nullptr) return ZTS_NO_CONTEXT;
    ZTS_AUX *aux = auxRecord(owner);
    if (aux == nullptr) return ZTS_MISSING_PART;
    /* A variable of a data set no sub-context reads would have no reader. */
    ZTS_PROC *reader = readerOf(aux, handle);
    if (reader == nullptr) return ZTS_BAD_ARGUMENT;
    return finalizeVar(owner, index, role, handle, varNo, option1, option2, reader);
}

int auxFinishVars(ZTS_PROC *owner, int32_t n)
{
    if (owner == nullptr) return ZTS_NO_CONTEXT;
    ZTS_AUX *aux = auxRecord(owner);
    if (aux == nullptr) return ZTS_MISSING_PART;
    if (n > 0) owner->varCount = n;
    for (int32_t v = 0; v < owner->varCount; ++v) {
        const ZTS_PROC *reader = owner->vars != nullptr ? owner->vars[v].owner : nullptr;
        if (reader < aux->subs || reader >= aux->subs + aux->dataSetCount) return ZTS_BAD_ARGUMENT;
    }
    for (int32_t i = 0; i < aux->dataSetCount; ++i) {
        ZTS_PROC *sub = &aux->subs[i];
        int32_t count = 0;
        for (int32_t v = 0; v < owner->varCount; ++v) count += owner->vars[v].owner == sub ? 1 : 0;
        ZTS_VAR *copies = nullptr;
        if (count > 0) {
            copies = static_cast<ZTS_VAR *>(ztsAlloc(owner, size_t(count) * sizeof(ZTS_VAR), ZTS_ALLOC_PLAIN));
            if (copies == nullptr) return ZTS_NO_MEMORY;
        }
        int32_t position = 0;
        for (int32_t v = 0; v < owner->varCount; ++v) {
            ZTS_VAR &var = owner->vars[v];
            if (var.owner != sub) continue;
            copies[position] = var;
            copies[position].index = copies[position].position = position;
            var.position = position++;
        }
        sub->varCount = count;
        sub->vars = copies;
        sub->rawCache.seriesCount = sub->accCache.seriesCount = count;
    }
    return 0;
}
