/*
 * event_chains.h - whether a chain of events that passed a depth limit
 * leads back to itself: combinations nested in combinations, and user
 * events used as date keys of user events.  The dummy and date-key
 * expansions stop at their limits; these tell a cycle from a chain that
 * is only deeper than the limit, so that the note says which it is.
 *
 * Exports: ztsevCombLeadsBack, ztsevUserKeyLeadsBack.
 */
#ifndef ORV_EVENT_EVENT_CHAINS_H
#define ORV_EVENT_EVENT_CHAINS_H

#include "event/event_records.h"

/* True when a combination reachable from comb through the COMB members
 * of list (found by name) contains itself. */
bool ztsevCombLeadsBack(ZTSEV_LIST *list, const ZTSEV_EVENT *comb);

/* True when a user event reachable from user through its user date keys
 * (code 19, found by name in datekeyList) leads back to itself. */
bool ztsevUserKeyLeadsBack(ZTSEV_LIST *datekeyList, const ZTSEV_EVENT *user);

#endif
