/*
 * series_block.h - the series block ZTSEV_SERIES that the driver hands to
 * the event library's outputs: the step's block before the first group and
 * the block of each BY group.
 *
 * Exports: kivStepSeriesBlock, kivGroupSeriesBlock.
 */
#ifndef ORV_PROCDRIVER_SERIES_BLOCK_H
#define ORV_PROCDRIVER_SERIES_BLOCK_H

#include "event/event_records.h"
#include "procdriver/proc_state.h"

/* The step's block: no first time ID (missing), the series interval as
 * ZTSGetIntervalX gives it, no time IDs, the series context copied. */
void kivStepSeriesBlock(const PROC_STATE *state, ZTSEV_SERIES *block);

/*
 * The block of the group just read: first time ID, the group's interval
 * descriptor over the rest of step's interval record (no custom
 * reference, its season count), the time-ID format code, the group's time
 * IDs and count, and the series context up to (not including) auxInfo.
 * REQUIRES: state->groupCount > 0.
 */
void kivGroupSeriesBlock(const PROC_STATE *state, const ZTSEV_SERIES *stepBlock, ZTSEV_SERIES *block);

#endif
