/*
 * datekey_list.cpp - making a date-key list (see datekey_list.h).
 */
#include "event/datekey_list.h"

#include "event/event_registry.h"
#include "event/event_support.h"
#include "event/eventds_option.h"
#include "host/services.h"

/* Message written when a date-key list record cannot be allocated. */
constexpr int ZTSDK_MSG_NO_LIST = 601;

ZTSEV_LIST *ZTSDKNewDatekeyList(MEMORY_OBJECT *pool)
{
    if (pool == nullptr) {
        pool = static_cast<MEMORY_OBJECT *>(xmpoolc(ZTSEV_POOL_INITIAL, ZTSEV_POOL_BLOCK, ZTSEV_POOL_FLAGS));
        if (pool == nullptr) ztsevOutOfMemory(0);
    }
    auto *list = static_cast<ZTSEV_LIST *>(pool->allocate(pool, sizeof(ZTSEV_LIST), ZTSEV_ALLOC_ZEROED));
    if (list == nullptr) {
        xpmlog(ZTSEV_MSG_SET, ZTSDK_MSG_NO_LIST, ORV_MSG_END);
        ztsevOutOfMemory(0);
    }
    /* A date-key list resolves date keys against itself and merges with OR
     * from the start, before any of its events is made. */
    ztsevInitList(list, pool, ZTSEV_LIST_DATEKEYS);
    int32_t status = 0;
    ZTSDKEventdsOpt(list, pool, &status);
    return list;
}
