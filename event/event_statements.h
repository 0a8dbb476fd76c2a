/*
 * event_statements.h - the event statements EVENTDATA, EVENTDUMMY,
 * EVENTDEF, EVENTKEY, EVENTCOMB and EVENTGROUP: the parser's action
 * callback that collects EVENTDEF's timing values while the host parses,
 * and the walk that turns the parsed statements into data-set records and
 * event records of an event list.
 *
 * The statements' option slots and flag bits are those of
 * event/statement_options.h.  Running out of memory ends the step (memory
 * message, xexit with at least 1016); every other fault of a statement is
 * a note, and the statement or its member is left out.
 *
 * Exports: ZTSEVInit, ZTSEVCustom, ZTSEVParse, ZTSEVGetEventdata,
 * ZTSEVGetEventdummy, ZTSEVGetEventDef, ZTSEVGetEventKey,
 * ZTSEVGetEventComb, ZTSEVGetEventGroup, ztsevApplyKeyStatement,
 * ztsevTimedEvent, ztsevRunCheck, ztsevAddListedMember.
 */
#ifndef ORV_EVENT_EVENT_STATEMENTS_H
#define ORV_EVENT_EVENT_STATEMENTS_H

#include <cstdint>

#include "event/event_records.h"
#include "host/host_records.h"

/* Parse statuses the timing-value callback sets. */
constexpr int ZTSEV_PARSE_BAD_TIMING = 3000; /* a value of another kind, or a broken group */
constexpr int ZTSEV_PARSE_NO_MEMORY = 1016;

/* Installs ZTSEVCustom as the action callback of the step's parse-control
 * block (xinit made it); call before xsparse.  Returns the procedure
 * instance. */
void *ZTSEVInit();

/*
 * The parser's action callback (parseControl, token, action).  Acts only
 * on timing-value groups (action 41, arguments: sub-action, kind-list
 * slot, run-list slot, value-list slot) while the parse status is 0:
 *   group start: appends the token's kind code (kind x 256 + sub-kind) and
 *     the count of values so far to the kind list (a token of a kind other
 *     than 4, 8, 9, 10 sets parse status 3000);
 *   group end: appends the group's value count to the run list and puts
 *     that many copies of its kind code in place of the two entries.
 * A failed list append sets parse status 1016 when the host ran out of
 * memory, else 3000.  Returns 0.
 */
int ZTSEVCustom(void *parseControl, const PARSE_TOKEN *token, const PARSE_ACTION *action);

/*
 * Walks the parsed statements after the procedure statement into list (a
 * new list from pool when list is null) in four passes: EVENTDATA (then the
 * input data sets are bound and read), EVENTDEF, EVENTDUMMY and EVENTKEY,
 * EVENTCOMB, EVENTGROUP.  Returns the list.
 */
ZTSEV_LIST *ZTSEVParse(ZTSEV_LIST *list, MEMORY_OBJECT *pool);

/* The statement handlers: each reads one parsed statement into list.
 * EVENTCOMB and EVENTGROUP return ZTSEV_SELF_MEMBER (9) when a member
 * names the statement's own event (the record is freed); all return 0
 * otherwise. */
int ZTSEVGetEventdata(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool);
int ZTSEVGetEventdummy(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool);
int ZTSEVGetEventDef(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool);
int ZTSEVGetEventKey(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool);
int ZTSEVGetEventComb(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool);
int ZTSEVGetEventGroup(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool);

/*
 * An EVENTKEY or DATEKEYKEY statement: new-name [= key] / options.  The
 * key (the new name upper-cased when none is given) is looked up in list:
 * a known event other than COMB and COMPLEX takes the options itself when
 * its name is the new name (renamed to the new name's spelling), else a
 * copy named new-name does; otherwise the keyword registry makes the
 * record (ZTSEVFindKeyword with keyList).  A record made here gets class
 * cls unless cls is ZTSEV_CLASS_UNSET.  A key nobody knows writes note
 * (883, unknownNote) with the key.  Returns 0, or the failing status of a
 * record operation.
 */
int ztsevApplyKeyStatement(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool, int32_t cls,
                           ZTSEV_LIST *keyList, int unknownNote);

/*
 * Adds member (NUL-ended, at most 32 characters) to the member names of
 * event with ZTSEVAddEventName in mode; a member listed already writes
 * note (883, 305) and one that cannot be added (883, unknownNote), each
 * with the member, and is left out.  Returns ZTSEVAddEventName's status.
 */
int ztsevAddListedMember(ZTSEV_LIST *list, ZTSEV_EVENT *event, const char *member, int mode, int unknownNote);

/*
 * The record of an EVENTDEF or DATEKEYDEF statement: a new event of class
 * cls named by the statement, with its timing values (run-checked), date
 * keys and options.  Null when the statement names none, or with the
 * append's status in *status.
 */
ZTSEV_EVENT *ztsevTimedEvent(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool, int32_t cls,
                             int *status);

/*
 * The run check of an event's timing values: each run of three or more
 * values whose interval cannot be detected, but whose values after the
 * first follow one, loses its first value (value, kind and one from the run
 * length and the value count).  Runs of one or two values stay.
 */
void ztsevRunCheck(ZTSEV_EVENT *event);

#endif
