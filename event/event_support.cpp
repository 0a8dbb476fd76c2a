/*
 * event_support.cpp - pool blocks, list set-up and name fields of the event
 * library (see event_support.h).
 */
#include "event/event_support.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "event/event_list.h"
#include "event/event_registry.h"
#include "host/parser_glue.h"
#include "host/services.h"
#include "host/text_fields.h"

void ztsevOutOfMemory(int status)
{
    xmemmsg(xmemdef());
    xexit(std::max(status, ORV_RC_OUT_OF_MEMORY), 0);
}

void ztsevEndIfOutOfMemory()
{
    const int failed = xmemdef();
    if (failed == 0) return;
    xmemmsg(failed);
    xexit(ORV_RC_OUT_OF_MEMORY, 0);
}

void *ztsevAlloc(MEMORY_OBJECT *pool, size_t bytes, int flags)
{
    void *block = vmalcp_handler(pool, bytes, flags);
    if (block == nullptr) ztsevOutOfMemory(0);
    return block;
}

/* Bytes of count elements of size; ends the step when they cannot be
 * represented (a count that large can never be allocated). */
static size_t arrayBytes(int64_t count, size_t size)
{
    if (count < 0 || size == 0 || uint64_t(count) > std::numeric_limits<int64_t>::max() / size)
        ztsevOutOfMemory(0);
    return size_t(count) * size;
}

void *ztsevAllocArray(MEMORY_OBJECT *pool, int64_t count, size_t size)
{
    return ztsevAlloc(pool, std::max<size_t>(arrayBytes(count, size), 1), ZTSEV_ALLOC_ZEROED);
}

void *ztsevGrowArray(MEMORY_OBJECT *pool, void *block, int64_t oldCount, int64_t newCount, size_t size)
{
    if (block == nullptr) return ztsevAllocArray(pool, newCount, size);
    void *grown = xmrealc(pool, block, int64_t(arrayBytes(oldCount, size)),
                          int64_t(arrayBytes(newCount, size)), ORV_MEM_FREE_MODE);
    if (grown == nullptr) ztsevOutOfMemory(0);
    return grown;
}

void *ztsevReserveArray(MEMORY_OBJECT *pool, void *block, int64_t count, int64_t need, int64_t *capacity,
                        size_t size)
{
    const int64_t room = std::max(*capacity, count);
    if (block != nullptr && need <= room) return block;
    /* Past half the representable count the doubling is left to need. */
    const int64_t grown = room > std::numeric_limits<int64_t>::max() / 2 ? need : std::max(need, 2 * room);
    void *reserved = ztsevGrowArray(pool, block, count, grown, size);
    *capacity = grown;
    return reserved;
}

void ztsevFree(MEMORY_OBJECT *pool, void *block)
{
    if (block != nullptr) vmfree_handler(pool, block, 0, ORV_MEM_FREE_MODE);
}

MEMORY_OBJECT *ztsevNewPool()
{
    auto *pool = static_cast<MEMORY_OBJECT *>(xmpoolc(ZTSEV_POOL_INITIAL, ZTSEV_POOL_BLOCK, ZTSEV_POOL_FLAGS));
    if (pool == nullptr) ztsevOutOfMemory(0);
    return pool;
}

ZTSEV_LIST *ztsevMakeList(MEMORY_OBJECT *pool, int32_t kind, int failMessage)
{
    if (pool == nullptr) pool = ztsevNewPool();
    auto *list = static_cast<ZTSEV_LIST *>(vmalcp_handler(pool, sizeof(ZTSEV_LIST), ZTSEV_ALLOC_ZEROED));
    if (list == nullptr) {
        xpmlog(ZTSEV_MSG_SET, failMessage, ORV_MSG_END);
        ztsevOutOfMemory(0);
    }
    ztsevInitList(list, pool, kind);
    return list;
}

void ztsevInitList(ZTSEV_LIST *list, MEMORY_OBJECT *pool, int32_t kind)
{
    list->kind = kind;
    list->basePool = pool;
    list->currentPool = pool;
    list->pools[0] = pool;
    list->poolCount = 1;
    list->noteLimit = ZTSEV_DEFAULT_NOTE_LIMIT;
}

void *ztsevLogHandle() { return v_global_gcb_anchor->instance->logHandle; }

void ztsevSetName(ORV_COUNTED_NAME *field, const char *name)
{
    int length = ZTSEVlenORVname(name);
    vzmp(name, length, field->text, ZTSEV_NAME_SIZE);
    field->length = int16_t(length);
}

int ztsevUpperName(ORV_COUNTED_NAME *field, const char *text, int length)
{
    length = text == nullptr ? 0 : std::clamp(length, 0, ZTSEV_NAME_SIZE);
    vzmp(text, length, field->text, ZTSEV_NAME_SIZE);
    length = wzstrip(field->text, length);
    wztxxlt(0, field->text, field->text, length);
    field->length = int16_t(length);
    return length;
}

ZTSEV_NAMETEXT ztsevNameText(const char *source, int n)
{
    ZTSEV_NAMETEXT name;
    name.length = source == nullptr ? 0 : std::clamp(n, 0, ZTSEV_NAME_SIZE);
    vzmp(source, name.length, name.text, ZTSEV_NAME_SIZE);
    name.text[ZTSEV_NAME_SIZE] = '\0';
    return name;
}

bool ztsevSameName(const char *a, int lengthA, const char *b, int lengthB)
{
    return wzsteqn(a, wzstrip(a, lengthA), b, wzstrip(b, lengthB)) == 1;
}

bool ztsevKeyPresent(const ORV_COUNTED_NAME *key)
{
    return key != nullptr && key->length > 0 && key->text[0] != ' ' && key->text[0] != '.';
}

ZTSEV_LIST *ztsevTargetKeyList(ZTSEV_LIST *list)
{
    if (list == nullptr) return nullptr;
    return list->kind == ZTSEV_LIST_DATEKEYS ? list : list->datekeyList;
}

bool ztsevTruncated(double value, int64_t low, int64_t high, int64_t *out)
{
    if (!std::isfinite(value)) return false;
    double whole = std::trunc(value);
    /* Compare as doubles first: converting an out-of-range double is
     * undefined. */
    if (whole < double(low) || whole >= std::ldexp(1.0, 63) || int64_t(whole) > high) return false;
    *out = int64_t(whole);
    return true;
}
