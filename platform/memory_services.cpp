/*
 * memory_services.cpp - host routines of the memory pools and the
 * failed-allocation count.
 */
#include <climits>

#include "platform/host.h"
#include "platform/service_table.h"
#include "platform/step.h"

namespace host_routines {

namespace {
orvhost::HostMemory &memory() { return orvhost::Host::current().memory(); }

int createPoolInto(void **poolOut)
{
    MEMORY_OBJECT *pool = memory().createPool();
    if (poolOut != nullptr) *poolOut = pool;
    return pool == nullptr ? -1 : 0;
}
}  // namespace

void *xmpoolc(int64_t, int64_t, int) { return memory().createPool(); }

int wmtpc(void **poolOut, int64_t, int64_t, int, int64_t) { return createPoolInto(poolOut); }

int wmrpc(void **poolOut, int64_t, int64_t, int, int64_t) { return createPoolInto(poolOut); }

void *xmrealc(void *pool, void *block, int64_t, int64_t newSize, int flags)
{
    if (pool == nullptr || newSize < 0) return nullptr;
    return memory().reallocate(static_cast<MEMORY_OBJECT *>(pool), block, size_t(newSize), flags);
}

void xmpoold(void *pool) { memory().deletePool(static_cast<MEMORY_OBJECT *>(pool)); }

/* This host suggests blocks of 8 bytes per observation, between 1024 and
 * 32768 observations' worth. */
uint64_t xmpools(int64_t observationCount)
{
    constexpr int64_t kFewest = 1024, kMost = 32768;
    const int64_t rows = observationCount < kFewest ? kFewest : observationCount > kMost ? kMost : observationCount;
    return uint64_t(rows) * sizeof(double);
}

int xmemdef()
{
    int64_t failures = memory().takeFailureCount();
    return failures > INT_MAX ? INT_MAX : int(failures);
}

void xmemmsg(int failedCount)
{
    orvhost::MessageArg args[] = {{orvhost::MessageArg::Type::Integer, failedCount, 0, {}}};
    orvhost::Host::current().logMessage(orvhost::kHostMessageSet, orvhost::kOutOfMemoryMessage,
                                        args);
}

}  // namespace host_routines
