/*
 * event_chains.h - whether a chain of user events used as date keys of
 * user events, which passed the depth limit, leads back to itself.  The
 * date-key expansion stops at its limit; this tells a cycle from a chain
 * that is only deeper than the limit, so that the note says which it is.
 *
 * Exports: ztsevUserKeyLeadsBack.
 */
#ifndef ORV_EVENT_EVENT_CHAINS_H
#define ORV_EVENT_EVENT_CHAINS_H

#include "event/event_records.h"

/* True when a user event reachable from user through its user date keys
 * (code 19, found by name in datekeyList) leads back to itself. */
bool ztsevUserKeyLeadsBack(ZTSEV_LIST *datekeyList, const ZTSEV_EVENT *user);

#endif
