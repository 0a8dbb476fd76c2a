/*
 * timeid_forms.cpp - work memory and median selection of the two forms of
 * the time-ID functions (see timeid_forms.h).
 */
#include "interval/timeid_forms.h"

#include "host/host_records.h"
#include "host/missing_values.h"
#include "host/weighted_select.h"

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

int zintTiMedian(ZintTiForm form, int64_t n, double *values, double *work, double *median)
{
    if (median != nullptr) *median = orvMissing();
    if (values == nullptr || n < 1) return -99;
    double *keys = values;
    int64_t m = n;
    if (work != nullptr) {
        m = 0;
        for (int64_t i = 0; i < n; ++i)
            if (!orvIsMissing(values[i])) work[m++] = values[i];
        if (m == 0) return -1;
        keys = work;
    }
    double at = 0, next = 0;
    const int status = zintTiSelect(form, m, keys, double(m % 2 == 1 ? m / 2 : m / 2 - 1), &at, &next);
    if (status != 0) return status;
    /* Halves first: the mean of two large keys must not overflow. */
    const double result = m % 2 == 1 ? at : 0.5 * at + 0.5 * next;
    if (median != nullptr) *median = result;
    return 0;
}
