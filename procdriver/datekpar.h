/*
 * datekpar.h - the option reader of the date-key procedure (VORNAK): the
 * parse result into the step's procedure state.
 *
 * Exports: datekpar, kivSortDescriptors.
 */
#ifndef ORV_PROCDRIVER_DATEKPAR_H
#define ORV_PROCDRIVER_DATEKPAR_H

#include "procdriver/proc_state.h"

/*
 * Reads the procedure statement and its ID, VAR and BY statements into
 * *state: pools, the bound series context, flags, DATA=, the analysis and
 * time-ID variables, interval, alignment, seasonality, LEAD, MAXERROR,
 * STARTSUM, accumulation, SETMISSING, START, END and FORMAT, and checks
 * START and END against the interval.
 * Either returns with the state filled (return code at most 4) or ends the
 * step through xexit: the parse status; 1016 without memory; 2000 without
 * DATA= or with LEAD above 100000000; 3000 for START or END that do not
 * suit the interval.
 */
void datekpar(PROC_STATE *state);

/* Sorts the analysis-variable descriptors by name (collating order of the
 * blank-padded names) and writes their variable numbers, in the new order,
 * into state->varNumbers, so that values fetched by number stay under
 * their own names. */
void kivSortDescriptors(PROC_STATE *state);

#endif
