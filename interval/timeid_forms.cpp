/*
 * timeid_forms.cpp - work memory and median selection of the two forms of
 * the time-ID functions (see timeid_forms.h).
 */
#include "interval/timeid_forms.h"

#include "host/host_records.h"
#include "host/weighted_select.h"

extern "C" GCB *v_global_gcb_anchor;

namespace {

/* Above this many keys a double no longer counts ranks exactly. */
constexpr int64_t kExactRankLimit = int64_t(1) << 53;

MEMORY_OBJECT *memoryOf(ZintTiForm form)
{
    GCB *gcb = v_global_gcb_anchor;
    if (gcb == nullptr) return nullptr;
    return form == ZintTiForm::Plain ? gcb->globalMemory : gcb->secondMemory;
}

}  // namespace

void *zintTiAlloc(ZintTiForm form, size_t bytes)
{
    MEMORY_OBJECT *memory = memoryOf(form);
    if (memory == nullptr || bytes == 0) return nullptr;
    return memory->allocate(memory, bytes, ZINT_TI_WORK_FLAGS);
}

void zintTiFree(ZintTiForm form, void *block)
{
    MEMORY_OBJECT *memory = memoryOf(form);
    if (memory != nullptr && block != nullptr) memory->release(memory, block, 0, ORV_MEM_FREE_MODE);
}

int zintTiSelect(ZintTiForm form, int64_t n, double *keys, double rank, double *at, double *next)
{
    if (form == ZintTiForm::Two && n > kExactRankLimit)
        return zqpsort_orvnobs(n, keys, nullptr, 1, &rank, at, next, nullptr, 0, nullptr);
    return zqpsort(n, keys, nullptr, 1, &rank, at, next, nullptr, 0, nullptr);
}
