/*
 * kivevin.h - the BY-group reader and the run step of both procedure
 * modules: one BY group's time IDs read, checked, windowed and laid out as
 * the group's periods.
 *
 * Exports: kivevin, kivevrun.
 */
#ifndef ORV_PROCDRIVER_KIVEVIN_H
#define ORV_PROCDRIVER_KIVEVIN_H

#include "procdriver/proc_state.h"

/*
 * Reads the BY group that xbynext has positioned: every observation's time
 * ID through getid, the START/END window, then the group's period axis
 * (first aligned period, START and END offsets, n kept periods plus LEAD)
 * into state->groupTimeIds and state->groupCount.
 * On return either the group count (possibly 0: nothing to do) and the
 * array are set, or the stop flag is set and the group is to be skipped.
 * Return codes raised: 4 a missing time ID (the observation is dropped);
 * 108 / 1008 (with / without BY variables) time IDs that cannot be used;
 * 116 / 1016 out of memory.  A read that the host failed (data not sorted
 * by the BY variables) sets the stop flag and raises nothing: the host
 * logged it and fails the step itself.  Messages use msgs.main, and
 * msgs.noGroup for a group without observations.
 */
void kivevin(PROC_STATE *state, KIV_MESSAGES msgs);

/* The run step between reading and output; it changes nothing (the stop
 * flag stays as the reader left it). */
void kivevrun(PROC_STATE *state);

#endif
