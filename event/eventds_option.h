/*
 * eventds_option.h - the host system option EVENTDS: the date-key data
 * sets that every date-key list reads, and the words NODEFAULTS and
 * DEFAULTS.
 *
 * The option text as the host gives it has its items between its first
 * and last character (both skipped), separated by blanks; an item is
 * NODEFAULTS, DEFAULTS or libref.member (a member alone is a WORK data
 * set).  A reference whose library reference or member is longer than its
 * field (8 and 32 characters) is refused with message (883, 606); one that
 * does not open is skipped without a message.
 *
 * Exports: the ZTSDK_ITEM_* results, ZTSDKEventdsOpt,
 * ZTSDKEventdsOptParsNextItem, ZTSDKEventdsOptGetFileID,
 * ZTSDKEventdsOptParsFileref, ZTSDKEventdsNoDefaultOpt.
 */
#ifndef ORV_EVENT_EVENTDS_OPTION_H
#define ORV_EVENT_EVENTDS_OPTION_H

#include <cstdint>

#include "event/event_records.h"
#include "host/host_records.h"

/* Results of ZTSDKEventdsOptParsNextItem. */
enum : int {
    ZTSDK_ITEM_DEFAULTS = 0,
    ZTSDK_ITEM_NODEFAULTS = 1,
    ZTSDK_ITEM_DATA_SET = 2,
    ZTSDK_ITEM_NONE = -1,
    ZTSDK_ITEM_NO_OPTION = -2,
};

/*
 * Attaches every EVENTDS data set that opens to the end of the list's
 * input chain (a new event list from pool when list is null).  *status is
 * 0, or the host's negative result when the option is not available (the
 * list is then unchanged).  Returns the list.
 */
ZTSEV_LIST *ZTSDKEventdsOpt(ZTSEV_LIST *list, MEMORY_OBJECT *pool, int32_t *status);

/*
 * The next item of the option text *text (*length characters; a null
 * *text is fetched from the host here, for the caller to free with
 * xyrfree) from position `start` on (never before 1): *itemStart and
 * *itemEnd are its first and last character.
 * Returns ZTSDK_ITEM_NODEFAULTS, ZTSDK_ITEM_DEFAULTS, ZTSDK_ITEM_DATA_SET,
 * ZTSDK_ITEM_NONE (no more items) or ZTSDK_ITEM_NO_OPTION.
 */
int ZTSDKEventdsOptParsNextItem(char **text, int *length, int start, int *itemStart, int *itemEnd);

/* Opens the data set of the item text[itemStart .. itemEnd] for input
 * into *handle.  0 opened; -1 not (also for a refused reference). */
int ZTSDKEventdsOptGetFileID(const char *text, int itemStart, int itemEnd, DATA_SET_HANDLE **handle);

/* Splits the item at its first "." into libref and member, each blank-
 * padded to 32 with its length.  0; -1 when itemEnd is before itemStart or
 * a part is longer than 32 characters (message (883, 606)). */
int ZTSDKEventdsOptParsFileref(const char *text, int itemStart, int itemEnd, ORV_COUNTED_NAME *libref,
                               ORV_COUNTED_NAME *member);

/* 1 when the option text (null *text: fetched and freed here) holds the
 * item NODEFAULTS; 0 when not or empty; -1 when the option is not
 * available. */
int ZTSDKEventdsNoDefaultOpt(char **text, int *length);

#endif
