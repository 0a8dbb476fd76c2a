/*
 * series_aux_bind.cpp - binding an owner context to the auxiliary reader,
 * and the owner's record of a failing data set (see series_aux.h).
 */
#include "series/series_aux.h"

#include <cstring>

#include "series/series_bind.h"
#include "series/series_memory.h"

namespace {

/* The vector and the ZTS_AUX, allocated as one block of the owner's pool. */
struct AuxBlock {
    ZTS_OPS ops;
    ZTS_AUX aux;
};

void fillOperations(ZTS_OPS *ops, ZTS_AUX *aux)
{
    *ops = ZTS_OPS{};
    ops->aux = aux;
    ops->inSetup = auxInSetup;
    ops->ioComInit = auxIOComInit;
    ops->setDataInfo = auxSetDataInfo;
    ops->setIdInfo = auxSetIdInfo;
    ops->setMissing = auxSetMissing;
    ops->setStart = auxSetStart;
    ops->setEnd = auxSetEnd;
    ops->setHorizon = auxSetHorizon;
    ops->setIntervalInfo = auxSetIntervalInfo;
    ops->setIntervalAlignment = auxSetIntervalAlignment;
    ops->setAccumulate = auxSetAccumulate;
    ops->timeIdAddLead = auxTimeIDAddLead;
    ops->getVar = auxGetVar;
    ops->getVarPtr = auxGetVarPtr;
    ops->accumulate = auxAccumulate;
    ops->getAccVar = auxGetAccVar;
    ops->getAccVarPtr = auxGetAccVarPtr;
    ops->ioByNext = auxIOByNext;
    ops->ioReadNext = auxIOReadNext;
    ops->ioReset = auxIOReset;
    ops->checkIdVar = auxCheckIDVar;
    ops->checkSelVar = auxCheckSelVar;
    ops->setVarInfo = auxSetVarInfo;
    ops->checkByVar = auxCheckByVar;
    ops->finishVars = auxFinishVars;
    ops->setIdFormat = auxSetIDFormat;
    ops->setZeroMiss = auxSetZeroMiss;
    ops->setTrimMiss = auxSetTrimMiss;
    ops->importByList = auxImportByList;
    ops->ioBySync = auxIOBySync;
    ops->setSeasonality = auxSetSeasonality;
}

}  // namespace

int auxIOBind(ZTS_PROC *owner, const ZTS_IOINFO *primary, int nAux, const ZTS_IOINFO *const *aux)
{
    if (owner == nullptr) return ZTS_NO_CONTEXT;
    /* Every data set must be described: the sub-contexts copy the blocks. */
    if (primary == nullptr || aux == nullptr || nAux < 1) return ZTS_BAD_ARGUMENT;
    for (int i = 0; i < nAux; ++i)
        if (aux[i] == nullptr) return ZTS_BAD_ARGUMENT;

    auto *block = static_cast<AuxBlock *>(ztsAlloc(owner, sizeof(AuxBlock), ZTS_ALLOC_VECTOR));
    if (block == nullptr) return ZTS_NO_MEMORY;
    const int32_t count = nAux + 1;
    auto *subs = static_cast<ZTS_PROC *>(ztsAlloc(owner, size_t(count) * sizeof(ZTS_PROC), ZTS_ALLOC_ZEROED));
    if (subs == nullptr) {
        ztsFree(owner, block);
        return ZTS_NO_MEMORY;
    }
    for (int32_t i = 0; i < count; ++i) {
        std::memset(&subs[i], 0, sizeof subs[i]);
        ZTSSetMemPoolInfo(&subs[i], owner->pool);
        /* A sub-context without its vector would be called through null by
         * every forwarder: the binding fails as a whole. */
        if (ztsIOBind(&subs[i], i == 0 ? primary : aux[i - 1]) != 0) {
            for (int32_t k = 0; k < i; ++k) ztsFree(owner, subs[k].ops);
            ztsFree(owner, subs);
            ztsFree(owner, block);
            return ZTS_NO_MEMORY;
        }
    }
    block->aux = ZTS_AUX{owner, count, nAux, subs};
    fillOperations(&block->ops, &block->aux);
    owner->ops = &block->ops;
    owner->ioInfo = *primary;
    return 0;
}

ZTS_AUX *auxRecord(const ZTS_PROC *owner)
{
    if (owner == nullptr || owner->ops == nullptr) return nullptr;
    return static_cast<ZTS_AUX *>(owner->ops->aux);
}

void auxRecordFailure(ZTS_PROC *owner, ZTS_PROC *sub, const ORV_COUNTED_NAME *name)
{
    if (owner == nullptr || sub == nullptr) return;
    owner->auxInfo.failedHandle = &sub->ioInfo.byXofid;
    owner->auxInfo.failedName = name != nullptr ? *name : sub->ioInfo.member;
}
