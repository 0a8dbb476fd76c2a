/*
 * datekey_list.h - date-key lists: event lists of kind 2 whose events are
 * date keys that other events name (date-key code 19).
 *
 * Exports: ZTSDKNewDatekeyList.
 */
#ifndef ORV_EVENT_DATEKEY_LIST_H
#define ORV_EVENT_DATEKEY_LIST_H

#include "event/event_records.h"

/*
 * A new, empty date-key list from pool (without a pool one is created): a
 * zero-filled list of kind 2 from its creation on, base pool, current pool
 * and pool entry 0 the pool, pool count 1, note limit 25, with the EVENTDS
 * data sets attached to its input chain.  When the pool or
 * the list record cannot be allocated the memory message is written (after
 * message (883, 601) for the record) and the step ends with 1016.
 */
ZTSEV_LIST *ZTSDKNewDatekeyList(MEMORY_OBJECT *pool);

#endif
