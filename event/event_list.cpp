/*
 * event_list.cpp - event lists and their pools, and appending, linking,
 * unlinking and freeing event records (see event_list.h).
 */
#include "event/event_list.h"

#include "event/datekey_list.h"
#include "event/datekey_statements.h"
#include "event/event_datasets.h"
#include "event/event_names.h"
#include "event/event_support.h"
#include "event/list_finishing.h"
#include "event/name_index.h"

/* Message written when an event list record cannot be allocated. */
constexpr int ZTSEV_MSG_NO_LIST = 301;

ZTSEV_LIST *ZTSEVNewEventList(MEMORY_OBJECT *pool)
{
    ZTSEV_LIST *list = ztsevMakeList(pool, ZTSEV_LIST_EVENTS, ZTSEV_MSG_NO_LIST);
    list->datekeyList = ZTSDKNewDatekeyList(list->basePool);
    /* The date-key list, with the date keys of the EVENTDS data sets, is
     * ready before any event names its keys. */
    ZTSEVdsindata(list->datekeyList);
    for (ZTSEV_DSREC *record = list->datekeyList->inputs; record != nullptr; record = record->next)
        ZTSDKGetDKData(list->datekeyList, record);
    ZTSEVCreateEvents(list->datekeyList, nullptr);
    return list;
}

int findpool(MEMORY_OBJECT **pool, ZTSEV_LIST *list)
{
    if (*pool != nullptr) return ZTSEV_OK;
    if (list == nullptr) return ZTSEV_NO_LIST;
    if (list->currentPool == nullptr) {
        list->currentPool = ztsevNewPool();
        /* The pool array only records pools; one past its end is still used. */
        if (list->poolCount >= 0 && list->poolCount < ZTSEV_POOL_SLOTS)
            list->pools[list->poolCount++] = list->currentPool;
    }
    *pool = list->currentPool;
    return ZTSEV_OK;
}

/* Adds item to the counts of list. */
static void countIn(ZTSEV_LIST *list, const ZTSEV_EVENT *item)
{
    ++list->eventCount;
    if (ztsevHasDummyColumn(item->cls)) ++list->dummyCount;
}

/* True when item is linked into list. */
static bool isLinked(const ZTSEV_LIST *list, const ZTSEV_EVENT *item)
{
    return item->prev != nullptr || list->first == item;
}

ZTSEV_EVENT *ZTSEVNewItem(ZTSEV_LIST *list, MEMORY_OBJECT *pool, const char *name, int32_t cls,
                          int *status)
{
    *status = ZTSEV_OK;
    if (list == nullptr) {
        list = ZTSEVNewEventList(pool);
        pool = list->currentPool;
    } else if (int rc = findpool(&pool, list); rc != ZTSEV_OK) {
        *status = rc;
        return nullptr;
    }
    auto *item = static_cast<ZTSEV_EVENT *>(ztsevAlloc(pool, sizeof(ZTSEV_EVENT), ZTSEV_ALLOC_ZEROED));
    item->pool = pool;
    item->nameCapacity = ZTSEV_NAME_SIZE;
    ztsevSetName(&item->name, name);
    item->nameLength = item->name.length;
    item->namePointer = item->name.text;
    item->cls = cls;
    ZTSEVInsItem(list, item, nullptr);
    return item;
}

int ZTSEVInsItem(ZTSEV_LIST *list, ZTSEV_EVENT *item, ZTSEV_EVENT *before)
{
    if (list == nullptr) return ZTSEV_NO_LIST;
    /* A record already in the chain would be linked twice and counted twice. */
    if (item == nullptr || isLinked(list, item)) return ZTSEV_NO_ITEM;
    if (before == nullptr) {
        item->prev = list->last;
        item->next = nullptr;
        if (list->last != nullptr) list->last->next = item;
        else list->first = item;
        list->last = item;
    } else {
        item->prev = before->prev;
        item->next = before;
        if (before->prev != nullptr) before->prev->next = item;
        else list->first = item;
        before->prev = item;
    }
    ztsevIndexLinked(list, item);
    countIn(list, item);
    return ZTSEV_OK;
}

int ZTSEVDelItem(ZTSEV_LIST *list, ZTSEV_EVENT *item, int mode)
{
    if (list == nullptr) return ZTSEV_NO_LIST;
    /* Unlinking a record that is not in the chain would corrupt the ends
     * and the counts. */
    if (item == nullptr || !isLinked(list, item)) return ZTSEV_NO_ITEM;
    ztsevIndexUnlinked(list, item);
    if (item->prev != nullptr) item->prev->next = item->next;
    else list->first = item->next;
    if (item->next != nullptr) item->next->prev = item->prev;
    else list->last = item->prev;
    item->prev = item->next = nullptr;
    --list->eventCount;
    if (ztsevHasDummyColumn(item->cls)) --list->dummyCount;
    return mode == ZTSEV_DEL_FREE ? ZTSEVDeleteEventP(item) : ZTSEV_OK;
}

int ZTSEVDeleteEventP(ZTSEV_EVENT *event)
{
    if (event == nullptr) return ZTSEV_OK;
    if (event->pool == nullptr) return ZTSEV_NO_OWNING_POOL;
    if (int rc = ZTSEVDestroyEventNamelist(&event->members); rc != ZTSEV_OK) return rc;
    ztsevFree(event->timingPool, event->timingValues);
    ztsevFree(event->timingPool, event->timingKinds);
    ztsevFree(event->timingPool, event->runLengths);
    ztsevFree(event->datekeyPool, event->datekeyCodes);
    ztsevFree(event->datekeyPool, event->datekeyNames);
    ztsevFree(event->pool, event);
    return ZTSEV_OK;
}
