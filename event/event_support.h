/*
 * event_support.h - helpers shared by the event library's own files: pool
 * blocks that end the step when memory runs out, list set-up, and name
 * fields (setting, upper-casing and comparing whole names).
 *
 * Exports: ztsevOutOfMemory, ztsevEndIfOutOfMemory, ztsevAlloc, ztsevAllocArray, ztsevGrowArray,
 * ztsevReserveArray,
 * ztsevFree, ztsevNewPool, ztsevMakeList, ztsevInitList, ztsevLogHandle, ztsevSetName,
 * ztsevUpperName, ZTSEV_NAMETEXT, ztsevNameText, ztsevSameName,
 * ztsevKeyPresent, ztsevTargetKeyList, ztsevTruncated.
 */
#ifndef ORV_EVENT_EVENT_SUPPORT_H
#define ORV_EVENT_EVENT_SUPPORT_H

#include <cstddef>
#include <cstdint>

#include "event/event_records.h"

/* Writes the host's memory message for the failed allocations and ends the
 * step with the larger of status and 1016.  Never returns. */
[[noreturn]] void ztsevOutOfMemory(int status);

/* Asks the host whether an allocation failed since it was last asked
 * (xmemdef); when one did, writes the memory message and ends the step
 * with 1016.  For the steps before the BY groups, where a host service
 * that ran out of memory would otherwise leave an output or an input
 * behind under a return code that reads as success. */
void ztsevEndIfOutOfMemory();

/* A block of `bytes` from pool with flags; ends the step when the host has
 * none (or without a pool). */
void *ztsevAlloc(MEMORY_OBJECT *pool, size_t bytes, int flags);

/* count elements of `size` bytes from pool, zero-filled; a count whose
 * byte size cannot be represented ends the step as out of memory. */
void *ztsevAllocArray(MEMORY_OBJECT *pool, int64_t count, size_t size);

/* Grows block (oldCount elements, may be null) to newCount elements of
 * `size` bytes in pool, keeping its content; ends the step on failure. */
void *ztsevGrowArray(MEMORY_OBJECT *pool, void *block, int64_t oldCount, int64_t newCount, size_t size);

/* Makes room for `need` elements in block, which holds count elements and
 * has room for *capacity of them (a capacity below count means exactly
 * count): a block without that room is grown to twice its room, or to need
 * when that is more, and *capacity set.  Appending one element at a time
 * so copies each element a bounded number of times on average.  Ends the
 * step when the host has no memory. */
void *ztsevReserveArray(MEMORY_OBJECT *pool, void *block, int64_t count, int64_t need, int64_t *capacity,
                        size_t size);

/* Frees block to pool; a null block or pool does nothing. */
void ztsevFree(MEMORY_OBJECT *pool, void *block);

/* A new pool of the sizes every list pool has; ends the step when the host
 * has none. */
MEMORY_OBJECT *ztsevNewPool();

/* A new zero-filled list of kind from pool (a new pool when null): base and
 * current pool and pool entry 0 the pool, pool count 1, note limit 25.
 * When the record cannot be allocated, message (883, failMessage) and the
 * memory message are written and the step ends with 1016. */
ZTSEV_LIST *ztsevMakeList(MEMORY_OBJECT *pool, int32_t kind, int failMessage);

/* Sets up a zero-filled list made from pool (a list embedded in a caller's
 * record): kind, base and current pool, pool entry 0, pool count 1, note
 * limit 25. */
void ztsevInitList(ZTSEV_LIST *list, MEMORY_OBJECT *pool, int32_t kind);

/* The log handle of the running step, for the message-text services. */
void *ztsevLogHandle();

/* Stores name (ZTSEVlenORVname characters) blank-padded in field. */
void ztsevSetName(ORV_COUNTED_NAME *field, const char *name);

/* Copies text[0..length) (length clamped to 0..32, trailing blanks
 * dropped) upper-cased into field; returns the stored length. */
int ztsevUpperName(ORV_COUNTED_NAME *field, const char *text, int length);

/* A name as the name operations read it: blank-padded to 32 characters
 * and NUL-terminated, so that no reader runs past the field. */
struct ZTSEV_NAMETEXT {
    char text[ZTSEV_NAME_SIZE + 1];
    int length; /* characters taken, 0 to 32 */
};

/* source[0..n) cut to 0 to 32 characters (a null source gives an empty
 * name). */
ZTSEV_NAMETEXT ztsevNameText(const char *source, int n);

/* True when two names are equal as whole names without regard to case:
 * trailing blanks do not count, every other character does. */
bool ztsevSameName(const char *a, int lengthA, const char *b, int lengthB);

/* True when key is a key name at all: non-null, with a first character
 * that is neither a blank nor '.'. */
bool ztsevKeyPresent(const ORV_COUNTED_NAME *key);

/* The list whose events serve as date keys for list: list itself when it
 * is a date-key list, else its date-key list (may be null). */
ZTSEV_LIST *ztsevTargetKeyList(ZTSEV_LIST *list);

/* Truncates value toward zero into *out when it is a number whose integer
 * part lies in [low, high]; a missing value (any NaN), an infinity or an
 * integer part out of range gives false and leaves *out alone. */
bool ztsevTruncated(double value, int64_t low, int64_t high, int64_t *out);

#endif
