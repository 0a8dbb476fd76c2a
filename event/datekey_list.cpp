/*
 * datekey_list.cpp - making a date-key list (see datekey_list.h).
 */
#include "event/datekey_list.h"

#include "event/event_support.h"
#include "event/eventds_option.h"

/* Message written when a date-key list record cannot be allocated. */
constexpr int ZTSDK_MSG_NO_LIST = 601;

ZTSEV_LIST *ZTSDKNewDatekeyList(MEMORY_OBJECT *pool)
{
    /* A date-key list resolves date keys against itself and merges with OR
     * from the start, before any of its events is made. */
    ZTSEV_LIST *list = ztsevMakeList(pool, ZTSEV_LIST_DATEKEYS, ZTSDK_MSG_NO_LIST);
    int32_t status = 0;
    ZTSDKEventdsOpt(list, list->basePool, &status);
    return list;
}
