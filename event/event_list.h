/*
 * event_list.h - event lists and event records: creating a list and its
 * pools, appending, linking, unlinking, copying, finding, sorting and
 * freeing events, and adding date keys and timing values to them.
 *
 * Conventions: every operation returns an int status (ZTSEV_* of
 * event_records.h, 0 success) unless said otherwise; ZTSEV_NO_LIST (2)
 * always means that no list was given.  An event name is passed as a
 * character pointer and ends at its first blank or NUL, or after 32
 * characters (ZTSEVlenORVname), so both NUL-terminated texts and
 * blank-padded name fields can be passed.  Names are compared whole and
 * without regard to case.  Running out of memory ends the step: the host's
 * memory message is written and xexit is called with at least 1016.
 *
 * Exports: ZTSEVNewEventList, findpool, ZTSEVNewItem, ZTSEVInitSimpleEvent,
 * ZTSEVInitPredefEvent, ZTSEVInitCompEvent, ZTSEVInitCombEvent,
 * ZTSEVInsItem, ZTSEVDelItem, ZTSEVDeleteEventP, ZTSEVCopyItem,
 * ZTSEVAddDatekeyToEvent, ZTSEVAddDatesToEvent, ZTSEVFindEvent,
 * ZTSEVFindEventDup, ZTSEVSortEvents, ZTSEVlenORVname.
 */
#ifndef ORV_EVENT_EVENT_LIST_H
#define ORV_EVENT_EVENT_LIST_H

#include <cstdint>

#include "event/event_records.h"

/*
 * A new, empty event list from pool (without a pool one is created).  The
 * list is zero-filled; base pool, current pool and pool entry 0 are the
 * pool, pool count 1, note limit 25, and it owns a new date-key list
 * (ZTSDKNewDatekeyList) of kind 2.  When the list record cannot be
 * allocated, message (883, 301) and the memory message are written and the
 * step ends with 1016.
 */
ZTSEV_LIST *ZTSEVNewEventList(MEMORY_OBJECT *pool);

/*
 * The pool to allocate from for list: a non-null *pool is kept; otherwise
 * *pool becomes the list's current pool, which is created (and added to the
 * list's pools) when the list has none.
 * Returns 0, or ZTSEV_NO_LIST without a list (and a null *pool).
 */
int findpool(MEMORY_OBJECT **pool, ZTSEV_LIST *list);

/*
 * Appends a zero-filled record named `name` of class cls and returns it.
 * Without a list one is made (ZTSEVNewEventList(pool)) and its current pool
 * used; otherwise the pool comes from findpool.  Raises the event count
 * and, for classes with a dummy column, the dummy-column count.  *status
 * is 0, or findpool's status with a null result.
 */
ZTSEV_EVENT *ZTSEVNewItem(ZTSEV_LIST *list, MEMORY_OBJECT *pool, const char *name, int32_t cls,
                          int *status);

/*
 * Appends a SIMPLE event.  With n >= 1 the n values become its timing
 * values as one run, each of kind code kind x 256.  A present key name
 * (non-null, first character neither blank nor '.') becomes its one date
 * key, upper-cased, with the code of ZTSEVDatekey2Flag on the list itself
 * when its kind is 2, else on its date-key list.  Returns 0.
 */
int ZTSEVInitSimpleEvent(ZTSEV_LIST *list, MEMORY_OBJECT *pool, const char *name, int64_t n,
                         const double *values, int kind, const ORV_COUNTED_NAME *keyName);

/*
 * Append a PREDEF (class 4), COMPLEX (5) or COMB (3) event; a present key
 * name is added to its member names with ZTSEVAddEventName mode 11, 6 or 25
 * respectively.  `unused` is not read.  Return 0.
 */
int ZTSEVInitPredefEvent(ZTSEV_LIST *list, MEMORY_OBJECT *pool, const char *name, int64_t unused,
                         const ORV_COUNTED_NAME *keyName);
int ZTSEVInitCompEvent(ZTSEV_LIST *list, MEMORY_OBJECT *pool, const char *name, int64_t unused,
                       const ORV_COUNTED_NAME *keyName);
int ZTSEVInitCombEvent(ZTSEV_LIST *list, MEMORY_OBJECT *pool, const char *name, int64_t unused,
                       const ORV_COUNTED_NAME *keyName);

/*
 * Links the unlinked record item before `before` (item becomes first when
 * `before` was first), or as the last record when `before` is null; raises
 * the counts as ZTSEVNewItem does.  0; ZTSEV_NO_LIST; ZTSEV_NO_ITEM
 * without an item.
 */
int ZTSEVInsItem(ZTSEV_LIST *list, ZTSEV_EVENT *item, ZTSEV_EVENT *before);

/*
 * Unlinks item from list and lowers the counts.  Mode ZTSEV_DEL_FREE (7)
 * then frees it (ZTSEVDeleteEventP; ZTSEV_NO_OWNING_POOL when it has no
 * owning pool, the record then stays unlinked but not freed); any other
 * mode (ZTSEV_DEL_KEEP, 8) leaves it for re-insertion.
 * 0; ZTSEV_NO_LIST; ZTSEV_NO_ITEM without an item.
 */
int ZTSEVDelItem(ZTSEV_LIST *list, ZTSEV_EVENT *item, int mode);

/*
 * Frees an unlinked record: its timing arrays to the timing pool, its
 * date-key arrays to the date-key pool, its member names, and the record
 * to its owning pool.  A null event gives 0; a record without an owning
 * pool gives ZTSEV_NO_OWNING_POOL and is kept (its arrays are freed).
 */
int ZTSEVDeleteEventP(ZTSEV_EVENT *event);

/*
 * Makes target a deep copy of source except for its name, links and
 * effective qualifiers: class, timing values, kinds and runs, date keys,
 * member names (node by node, with their carried fields), the given
 * qualifiers, the label (a label held in the source's own default-label
 * field is copied into the target's), and the locale when given.
 * New arrays come from the list's pool.  0; ZTSEV_NO_LIST; ZTSEV_NO_ITEM
 * without a source or target.
 */
int ZTSEVCopyItem(ZTSEV_LIST *list, const ZTSEV_EVENT *source, ZTSEV_EVENT *target);

/*
 * Adds date key keyName (upper-cased) to the event named eventName (mode 2:
 * the last record of that name; otherwise the first) with the code of
 * ZTSEVDatekey2Flag.  ZTSEV_UNKNOWN_DATEKEY when the code is 0 (nothing
 * changes); the find status when there is no such event.
 */
int ZTSEVAddDatekeyToEvent(ZTSEV_LIST *list, const char *eventName, const ORV_COUNTED_NAME *keyName,
                           int mode);

/*
 * Appends n timing values of kind code kind x 256 as one run to the event
 * named eventName (chosen by mode as above).  Nothing for n <= 0 (0).
 * `unusedPool` is not read: the arrays grow in the event's timing pool.
 */
int ZTSEVAddDatesToEvent(ZTSEV_LIST *list, MEMORY_OBJECT *unusedPool, const char *eventName,
                         const double *values, int64_t n, int kind, int mode);

/*
 * The first record whose whole name equals `name` (without regard to
 * case).  *status: 0 found, ZTSEV_NOT_FOUND, ZTSEV_NO_LIST.
 */
ZTSEV_EVENT *ZTSEVFindEvent(ZTSEV_LIST *list, const char *name, int *status);

/*
 * Counts the records named `name` and returns the k-th of them (*k <= 0:
 * the last); *k becomes the number of matches.  *status 0 when there is at
 * least one match (the result is null when *k asked beyond them);
 * ZTSEV_NOT_FOUND with *k = 0 when there is none; ZTSEV_NO_LIST.
 */
ZTSEV_EVENT *ZTSEVFindEventDup(ZTSEV_LIST *list, const char *name, int *k, int *status);

/*
 * Sorts the chain by name in the host's collating order (without regard to
 * case); equal names keep their order.  Returns the number of records
 * (callers ignore it), or ZTSEV_NO_LIST.
 */
int ZTSEVSortEvents(ZTSEV_LIST *list);

/* Characters of a name: up to 32, stopping at the first NUL or blank; 0 for
 * a null text. */
int ZTSEVlenORVname(const char *text);

#endif
