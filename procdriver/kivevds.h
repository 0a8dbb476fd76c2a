/*
 * kivevds.h - input set-up of the DATA= data set, shared by both procedure
 * modules: the fetch of the time-ID and analysis variables, the row plan
 * and the data pool with the raw time-ID array.
 *
 * Exports: KIV_ROW_PLAN, kivPlanRows, kivevds.
 */
#ifndef ORV_PROCDRIVER_KIVEVDS_H
#define ORV_PROCDRIVER_KIVEVDS_H

#include <cstdint>

#include "procdriver/proc_state.h"

/* Rows planned per group and the data pool's block size in rows. */
struct KIV_ROW_PLAN {
    int64_t rows;
    int64_t block;
};

/*
 * The row plan for a data set of `count` observations (count as the host
 * reports it, 0 or less when unknown): perGroup when BY groups split the
 * data or the count is an estimate, suggestedBytes the host's suggested
 * block size for count observations.
 */
KIV_ROW_PLAN kivPlanRows(int64_t count, bool perGroup, uint64_t suggestedBytes);

/*
 * Prepares the DATA= data set for reading by BY groups: the value vector
 * and fetch list (the time ID first, then the analysis variables in
 * descriptor order), the host observation-number flag, the data pool and
 * the raw time-ID array of the series context.  Messages use msgs.main.
 * Returns with the state filled; a failed allocation writes (main, 3) and
 * the host's memory message, raises the return code to 1016 and sets the
 * stop flag; a return code above 4 ends the step through xexit.
 */
void kivevds(PROC_STATE *state, KIV_MESSAGES msgs);

#endif
