/*
 * list_finishing.h - making a parsed event list ready for the dummy
 * computations: repeated definitions dropped, date keys resolved,
 * effective qualifiers filled, and the predefined groups that depend on
 * the series interval built.
 *
 * Exports: ZTSEVCreateEvents, ZTSEVCreateGroupEvents.
 */
#ifndef ORV_EVENT_LIST_FINISHING_H
#define ORV_EVENT_LIST_FINISHING_H

#include "event/event_records.h"

/*
 * Finishes list (nothing without one), its date-key list first:
 *   1. of events with the same name only the last definition stays; each
 *      dropped one writes note (883, 500) with its name while the list's
 *      notes-issued counter does not exceed its note limit, and note
 *      (883, 3) once, with the note that first passes the limit;
 *   2. date keys are resolved against the list itself (date-key list) or
 *      its date-key list: a named key (code 19) that names no event there
 *      writes note (883, 602) and drops the event; a keyword's code is
 *      recomputed, and becomes 19 when an event of that list other than
 *      the event itself has the key's name;
 *   3. every event gets its effective qualifiers.
 * pool: the pool to use (null: the list's own).
 */
void ZTSEVCreateEvents(ZTSEV_LIST *list, MEMORY_OBJECT *pool);

/*
 * Builds the groups of the PREDEFCOMP events of list (in list order, each
 * once) for the series interval of series: the group word resolves
 * (ZTSEVFindGroupPredef) to a word W, and unless another event is named W
 * a COMPLEX event W with its members is appended (replacing the PREDEFCOMP
 * event when that is itself named W).  A series without seasons writes
 * note (883, 465), another unresolved word (883, 466), and ends the walk;
 * a PREDEFCOMP event without a group word writes (883, 466) and is
 * skipped.  Of the new group: expansion left for later makes it
 * PREDEFCOMP; a W that is no group writes (883, 303), no seasons (883,
 * 465), and it is dropped.  Returns 0.
 */
int ZTSEVCreateGroupEvents(ZTSEV_LIST *list, const ZTSEV_SERIES *series, MEMORY_OBJECT *pool);

#endif
