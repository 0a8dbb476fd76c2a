/*
 * series_memory.h - blocks of a time-series context's pool.
 *
 * Every array of a ZTS_PROC comes from its pool (ZTSSetMemPoolInfo): a host
 * memory object whose first word allocates and second word frees.  A failed
 * allocation gives null and is counted by the host for xmemdef.
 *
 * Exports: the allocation flags, ztsAlloc, ztsFree, ztsGrow.
 */
#ifndef ORV_SERIES_SERIES_MEMORY_H
#define ORV_SERIES_SERIES_MEMORY_H

#include <cstddef>
#include <cstdint>

#include "series/series_context.h"

/* Flags of pool blocks: plain, and zero-filled. */
constexpr int ZTS_ALLOC_PLAIN = 0x2002;
constexpr int ZTS_ALLOC_ZEROED = 0x2006;
/* Flags of the operations vector. */
constexpr int ZTS_ALLOC_VECTOR = 0x3002;

/* A block of `bytes` from the context's pool; null without a pool, for 0
 * bytes or when the host has none. */
void *ztsAlloc(ZTS_PROC *ctx, size_t bytes, int flags);

/* Frees a block of the context's pool; null does nothing. */
void ztsFree(ZTS_PROC *ctx, void *block);

/* Grows a block of oldBytes to newBytes keeping its content (xmrealc); null
 * on failure, the old block then stays valid. */
void *ztsGrow(ZTS_PROC *ctx, void *block, size_t oldBytes, size_t newBytes);

/* True when count elements of `size` bytes can be asked for. */
bool ztsSizeFits(int64_t count, size_t size);

#endif
