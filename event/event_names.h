/*
 * event_names.h - event name lists (ZTSEVEventNamelist): the members of
 * combination and group events, the key of a predefined event, and the
 * names a statement lists.
 *
 * Names in one list are unique: two names are the same when their whole
 * texts are equal without regard to case.  Nodes come zero-filled from a
 * pool of the event list and are freed to their own pool.  Running out of
 * memory ends the step (memory message, xexit with at least 1016).
 *
 * Exports: the ZTSEV_NAMES_* modes, ZTSEVAddEventName, ZTSEVAddEventNameR,
 * ZTSEVAddEventNameQ, ZTSEVDelEventName, ZTSEVCopyEventNames,
 * ZTSEVDestroyEventNamelist, ZTSEVGetEvent, ZTSEVGetEventQ and the statement
 * slots they read.
 */
#ifndef ORV_EVENT_EVENT_NAMES_H
#define ORV_EVENT_EVENT_NAMES_H

#include "event/event_records.h"
#include "host/host_records.h"

/* Modes of ZTSEVAddEventName: whether the name is handed to the keyword
 * registry as the new event's name, and whether a name the registry does
 * not know is still added. */
enum : int {
    ZTSEV_NAMES_MEMBER = 6,      /* new name; unknown names refused (3) */
    ZTSEV_NAMES_KEY = 11,        /* no new name; unknown names refused */
    ZTSEV_NAMES_ANY = 14,        /* new name; unknown names added */
    ZTSEV_NAMES_ANY_ALSO = 20,   /* as 14 */
    ZTSEV_NAMES_KEY_ANY = 25,    /* no new name; unknown names added */
};

/*
 * Appends name (ZTSEVlenORVname characters) to *names.  When the name is no
 * event of list, the keyword registry creates the event it stands for
 * (ZTSEVFindKeyword against the list's date-key list), with the name as the
 * new name except in modes 11 and 25.  Returns 0 added; ZTSEV_NOT_FOUND
 * when the registry does not know the name and the mode refuses it;
 * ZTSEV_ALREADY_LISTED (nothing added); ZTSEV_NO_LIST.
 */
int ZTSEVAddEventName(ZTSEV_LIST *list, ZTSEVEventNamelist **names, const char *name, int mode);

/*
 * As ZTSEVAddEventName in mode 11 when mode is 11, else in mode 6; a new
 * node gets the required flag; for a name already listed the flag is
 * updated and ZTSEV_ALREADY_LISTED returned.
 */
int ZTSEVAddEventNameR(ZTSEV_LIST *list, ZTSEVEventNamelist **names, const char *name, int required,
                       int mode);

/*
 * As ZTSEVAddEventNameR, carrying all five fields (required, second flag,
 * first and second value, code); a name already listed has its required
 * flag, second flag and both values updated (ZTSEV_ALREADY_LISTED).
 * `unused` is not read.
 */
int ZTSEVAddEventNameQ(ZTSEV_LIST *list, ZTSEVEventNamelist **names, const char *name, int required,
                       int secondFlag, int unused, double firstValue, double secondValue, int code,
                       int mode);

/* Removes and frees the first node named `name`.  0; ZTSEV_EMPTY_NAMES for
 * an empty list; ZTSEV_NOT_FOUND. */
int ZTSEVDelEventName(ZTSEVEventNamelist **names, const char *name);

/*
 * Empties *to, then adds every node of *from with ZTSEVAddEventNameQ in
 * mode 6 carrying its fields.  Returns 0 or the first non-zero status,
 * which stops the copy.
 */
int ZTSEVCopyEventNames(ZTSEV_LIST *list, ZTSEVEventNamelist **from, ZTSEVEventNamelist **to);

/* Frees every node to its pool and empties *names; returns 0. */
int ZTSEVDestroyEventNamelist(ZTSEVEventNamelist **names);

/* Option slots of a statement that lists events (ZTSEVGetEvent): the name
 * list, the two flag options, the two value lists and the code list; the
 * ALL flag is bit ZTSEV_STMT_ALL_BIT of the first option byte. */
enum : int {
    ZTSEV_STMT_NAMES_SLOT = 1,    /* value.count names, items NAME_LIST_BLOCK chain */
    ZTSEV_STMT_REQUIRED_SLOT = 2, /* given byte */
    ZTSEV_STMT_SECOND_SLOT = 3,   /* given byte */
    ZTSEV_STMT_VALUES1_SLOT = 4,  /* value.count doubles at items */
    ZTSEV_STMT_VALUES2_SLOT = 5,
    ZTSEV_STMT_CODES_SLOT = 6,    /* value.count doubles at items, read as integers */
};
constexpr uint8_t ZTSEV_STMT_ALL_BIT = 0x40;

/*
 * Fills *names from a statement: under the ALL flag every event of list
 * except classes COMB, COMPLEX and PREDEFCOMP in list order, otherwise each
 * name of the statement's name list; each added with ZTSEVAddEventNameQ
 * mode 6 carrying the two flag options, first value missing, second value
 * 0 and code 0.  A name the registry does not know writes note (883, 304),
 * a repeated one (883, 305), and the walk goes on.  Returns 0 or the first
 * other non-zero status, which stops the walk; ZTSEV_NO_LIST.
 */
int ZTSEVGetEvent(const STATEMENT_NODE *statement, ZTSEV_LIST *list, ZTSEVEventNamelist **names);

/* As ZTSEVGetEvent, carrying for listed name i the i-th entries of the two
 * value lists and the code list (missing, 0 and 0 beyond their ends; the
 * first entries under ALL). */
int ZTSEVGetEventQ(const STATEMENT_NODE *statement, ZTSEV_LIST *list, ZTSEVEventNamelist **names);

#endif
