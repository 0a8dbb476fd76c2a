/*
 * event_build.cpp - filling event records: the four kinds of new events,
 * date keys and timing values added to an event, and the copy of one event
 * into another (see event_list.h).
 */
#include "event/event_list.h"

#include <cstring>

#include "event/event_names.h"
#include "event/event_registry.h"
#include "event/event_support.h"

namespace {

/* Frees the timing arrays of event and empties them. */
void dropTiming(ZTSEV_EVENT *event)
{
    ztsevFree(event->timingPool, event->timingValues);
    ztsevFree(event->timingPool, event->timingKinds);
    ztsevFree(event->timingPool, event->runLengths);
    event->timingValues = event->timingKinds = nullptr;
    event->runLengths = nullptr;
    event->timingCount = event->runCount = 0;
    event->timingCapacity = event->runCapacity = 0;
}

/* Frees the date-key arrays of event and empties them. */
void dropDatekeys(ZTSEV_EVENT *event)
{
    ztsevFree(event->datekeyPool, event->datekeyCodes);
    ztsevFree(event->datekeyPool, event->datekeyNames);
    event->datekeyCodes = nullptr;
    event->datekeyNames = nullptr;
    event->datekeyCount = 0;
    event->datekeyCapacity = 0;
}

/* Appends n values of kind code kind x 256 as one run to event's timing
 * arrays in pool (the event's timing pool from now on). */
void appendRun(ZTSEV_EVENT *event, MEMORY_OBJECT *pool, const double *values, int64_t n, int kind)
{
    event->timingPool = pool;
    int64_t old = event->timingCount;
    /* Rows of an event data set add one run each: the arrays grow by
     * doubling, not by one run at a time. */
    int64_t room = event->timingCapacity;
    event->timingValues =
        static_cast<double *>(ztsevReserveArray(pool, event->timingValues, old, old + n, &room, sizeof(double)));
    event->timingKinds = static_cast<double *>(
        ztsevReserveArray(pool, event->timingKinds, old, old + n, &event->timingCapacity, sizeof(double)));
    event->runLengths = static_cast<int64_t *>(ztsevReserveArray(pool, event->runLengths, event->runCount,
                                                                 event->runCount + 1, &event->runCapacity,
                                                                 sizeof(int64_t)));
    for (int64_t i = 0; i < n; ++i) {
        event->timingValues[old + i] = values[i];
        event->timingKinds[old + i] = double(kind) * ZTSEV_KIND_SCALE;
    }
    event->runLengths[event->runCount++] = n;
    event->timingCount = old + n;
}

/* Appends date key `key` (already upper-cased) with code to event's
 * date-key arrays in pool (the event's date-key pool from now on). */
void appendDatekey(ZTSEV_EVENT *event, MEMORY_OBJECT *pool, const ORV_COUNTED_NAME &key, int64_t code)
{
    event->datekeyPool = pool;
    int64_t old = event->datekeyCount;
    int64_t room = event->datekeyCapacity;
    event->datekeyCodes =
        static_cast<int64_t *>(ztsevReserveArray(pool, event->datekeyCodes, old, old + 1, &room, sizeof(int64_t)));
    event->datekeyNames = static_cast<ORV_COUNTED_NAME *>(ztsevReserveArray(
        pool, event->datekeyNames, old, old + 1, &event->datekeyCapacity, sizeof(ORV_COUNTED_NAME)));
    event->datekeyCodes[old] = code;
    event->datekeyNames[old] = key;
    event->datekeyCount = old + 1;
}

/* Appends an event of class cls whose present key name becomes a member
 * name in mode `mode`.  Returns 0 or ZTSEVNewItem's status. */
int initKeyedEvent(ZTSEV_LIST *list, MEMORY_OBJECT *pool, const char *name, int32_t cls,
                   const ORV_COUNTED_NAME *keyName, int mode)
{
    int status = ZTSEV_OK;
    ZTSEV_EVENT *event = ZTSEVNewItem(list, pool, name, cls, &status);
    if (event == nullptr) return status;
    if (ztsevKeyPresent(keyName)) ZTSEVAddEventName(list, &event->members, ztsevNameText(keyName->text, keyName->length).text, mode);
    return ZTSEV_OK;
}

/* The event of that name chosen by mode (2: the last; otherwise the
 * first), with the find status. */
ZTSEV_EVENT *findByMode(ZTSEV_LIST *list, const char *name, int mode, int *status)
{
    if (mode != 2) return ZTSEVFindEvent(list, name, status);
    int k = 0;
    return ZTSEVFindEventDup(list, name, &k, status);
}

}  // namespace

int ZTSEVInitSimpleEvent(ZTSEV_LIST *list, MEMORY_OBJECT *pool, const char *name, int64_t n,
                         const double *values, int kind, const ORV_COUNTED_NAME *keyName)
{
    int status = ZTSEV_OK;
    ZTSEV_EVENT *event = ZTSEVNewItem(list, pool, name, ZTSEV_CLASS_SIMPLE, &status);
    if (event == nullptr) return status;
    if (n >= 1 && values != nullptr) appendRun(event, event->pool, values, n, kind);
    if (ztsevKeyPresent(keyName)) {
        ORV_COUNTED_NAME key;
        int length = ztsevUpperName(&key, keyName->text, keyName->length);
        appendDatekey(event, event->pool, key, ZTSEVDatekey2Flag(ztsevTargetKeyList(list), key.text, length));
    }
    return ZTSEV_OK;
}

int ZTSEVInitPredefEvent(ZTSEV_LIST *list, MEMORY_OBJECT *pool, const char *name, int64_t,
                         const ORV_COUNTED_NAME *keyName)
{
    return initKeyedEvent(list, pool, name, ZTSEV_CLASS_PREDEF, keyName, ZTSEV_NAMES_KEY);
}

int ZTSEVInitCompEvent(ZTSEV_LIST *list, MEMORY_OBJECT *pool, const char *name, int64_t,
                       const ORV_COUNTED_NAME *keyName)
{
    return initKeyedEvent(list, pool, name, ZTSEV_CLASS_COMPLEX, keyName, ZTSEV_NAMES_MEMBER);
}

int ZTSEVInitCombEvent(ZTSEV_LIST *list, MEMORY_OBJECT *pool, const char *name, int64_t,
                       const ORV_COUNTED_NAME *keyName)
{
    return initKeyedEvent(list, pool, name, ZTSEV_CLASS_COMB, keyName, ZTSEV_NAMES_KEY_ANY);
}

int ZTSEVAddDatekeyToEvent(ZTSEV_LIST *list, const char *eventName, const ORV_COUNTED_NAME *keyName,
                           int mode)
{
    if (list == nullptr) return ZTSEV_NO_LIST;
    if (keyName == nullptr) return ZTSEV_UNKNOWN_DATEKEY;
    ORV_COUNTED_NAME key;
    int length = ztsevUpperName(&key, keyName->text, keyName->length);
    int64_t code = ZTSEVDatekey2Flag(ztsevTargetKeyList(list), key.text, length);
    if (code == ZTSEV_DK_NONE) return ZTSEV_UNKNOWN_DATEKEY;
    int status = ZTSEV_OK;
    ZTSEV_EVENT *event = findByMode(list, eventName, mode, &status);
    if (event == nullptr) return status != ZTSEV_OK ? status : ZTSEV_NOT_FOUND;
    MEMORY_OBJECT *pool = event->datekeyPool;
    findpool(&pool, list);
    appendDatekey(event, pool, key, code);
    return ZTSEV_OK;
}

int ZTSEVAddDatesToEvent(ZTSEV_LIST *list, MEMORY_OBJECT *, const char *eventName, const double *values,
                         int64_t n, int kind, int mode)
{
    if (n <= 0 || values == nullptr) return ZTSEV_OK;
    if (list == nullptr) return ZTSEV_NO_LIST;
    int status = ZTSEV_OK;
    ZTSEV_EVENT *event = findByMode(list, eventName, mode, &status);
    if (event == nullptr) return status != ZTSEV_OK ? status : ZTSEV_NOT_FOUND;
    MEMORY_OBJECT *pool = event->timingPool;
    findpool(&pool, list);
    appendRun(event, pool, values, n, kind);
    return ZTSEV_OK;
}

/* Copies the member names of source into target node by node, with their
 * carried fields, into new nodes from pool: a copy keeps PREDEF keys and
 * group words exactly as the source holds them. */
static void copyMembers(const ZTSEV_EVENT *source, ZTSEV_EVENT *target, MEMORY_OBJECT *pool)
{
    ZTSEVDestroyEventNamelist(&target->members);
    ZTSEVEventNamelist **tail = &target->members;
    for (const ZTSEVEventNamelist *node = source->members; node != nullptr; node = node->next) {
        auto *copy = static_cast<ZTSEVEventNamelist *>(ztsevAlloc(pool, sizeof(ZTSEVEventNamelist), ZTSEV_ALLOC_ZEROED));
        *copy = *node;
        copy->next = nullptr;
        copy->index = nullptr;
        copy->pool = pool;
        *tail = copy;
        tail = &copy->next;
    }
}

/* True when text points into the default-label field of event. */
static bool inDefaultLabel(const ZTSEV_EVENT *event, const char *text)
{
    return text != nullptr && text >= event->defaultLabel && text < event->defaultLabel + ZTSEV_LABEL_SIZE;
}

int ZTSEVCopyItem(ZTSEV_LIST *list, const ZTSEV_EVENT *source, ZTSEV_EVENT *target)
{
    if (list == nullptr) return ZTSEV_NO_LIST;
    if (source == nullptr || target == nullptr) return ZTSEV_NO_ITEM;
    if (source == target) return ZTSEV_OK;
    MEMORY_OBJECT *pool = nullptr;
    findpool(&pool, list);
    target->cls = source->cls;

    dropTiming(target);
    if (source->timingCount > 0) {
        target->timingPool = pool;
        target->timingValues = static_cast<double *>(ztsevAllocArray(pool, source->timingCount, sizeof(double)));
        target->timingKinds = static_cast<double *>(ztsevAllocArray(pool, source->timingCount, sizeof(double)));
        target->runLengths = static_cast<int64_t *>(ztsevAllocArray(pool, source->runCount, sizeof(int64_t)));
        std::memcpy(target->timingValues, source->timingValues, size_t(source->timingCount) * sizeof(double));
        std::memcpy(target->timingKinds, source->timingKinds, size_t(source->timingCount) * sizeof(double));
        if (source->runCount > 0)
            std::memcpy(target->runLengths, source->runLengths, size_t(source->runCount) * sizeof(int64_t));
        target->timingCount = source->timingCount;
        target->runCount = source->runCount;
    }

    dropDatekeys(target);
    if (source->datekeyCount > 0) {
        target->datekeyPool = pool;
        target->datekeyCodes = static_cast<int64_t *>(ztsevAllocArray(pool, source->datekeyCount, sizeof(int64_t)));
        target->datekeyNames =
            static_cast<ORV_COUNTED_NAME *>(ztsevAllocArray(pool, source->datekeyCount, sizeof(ORV_COUNTED_NAME)));
        std::memcpy(target->datekeyCodes, source->datekeyCodes, size_t(source->datekeyCount) * sizeof(int64_t));
        std::memcpy(target->datekeyNames, source->datekeyNames,
                    size_t(source->datekeyCount) * sizeof(ORV_COUNTED_NAME));
        target->datekeyCount = source->datekeyCount;
    }

    copyMembers(source, target, pool);

    target->given = source->given;
    /* A label that a data-set row left in the source's own field would die
     * with the source (a repeated name frees it): the target keeps a copy. */
    if (inDefaultLabel(source, source->given.label)) {
        std::memcpy(target->defaultLabel, source->defaultLabel, ZTSEV_LABEL_SIZE);
        target->given.label = target->defaultLabel + (source->given.label - source->defaultLabel);
    }
    if (source->given.localeGiven) target->locale = source->locale;
    return ZTSEV_OK;
}
