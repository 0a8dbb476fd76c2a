/*
 * series_memory.cpp - blocks of a context's pool (see series_memory.h).
 */
#include "series/series_memory.h"

#include <limits>

#include "host/services.h"

void *ztsAlloc(ZTS_PROC *ctx, size_t bytes, int flags)
{
    if (ctx == nullptr || ctx->pool == nullptr || bytes == 0) return nullptr;
    return ctx->pool->allocate(ctx->pool, bytes, flags);
}

void ztsFree(ZTS_PROC *ctx, void *block)
{
    if (ctx == nullptr || ctx->pool == nullptr || block == nullptr) return;
    ctx->pool->release(ctx->pool, block, 0, ORV_MEM_FREE_MODE);
}

void *ztsGrow(ZTS_PROC *ctx, void *block, size_t oldBytes, size_t newBytes)
{
    if (ctx == nullptr || ctx->pool == nullptr) return nullptr;
    if (block == nullptr) return ztsAlloc(ctx, newBytes, ZTS_ALLOC_PLAIN);
    return xmrealc(ctx->pool, block, int64_t(oldBytes), int64_t(newBytes), ORV_MEM_FREE_MODE);
}

bool ztsSizeFits(int64_t count, size_t size)
{
    return count > 0 && uint64_t(count) <= uint64_t(std::numeric_limits<int64_t>::max()) / size;
}
