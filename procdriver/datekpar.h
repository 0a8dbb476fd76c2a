/*
 * datekpar.h - the option reader of both procedures: the parse result into
 * the step's procedure state.  What the event module's reader (kivevpar)
 * does otherwise is a KIV_OPTION_RULES parameter of the one reader.
 *
 * Exports: KIV_OPTION_RULES, kivDateKeyOptions, kivReadOptions, kivReadFlags,
 * datekpar, kivSortDescriptors.
 */
#ifndef ORV_PROCDRIVER_DATEKPAR_H
#define ORV_PROCDRIVER_DATEKPAR_H

#include "host/host_records.h"
#include "procdriver/proc_state.h"

/* What sets the two modules' option readers apart. */
struct KIV_OPTION_RULES {
    bool readBit4;          /* option bit 4 sets flag 2 */
    bool allSelections;     /* option bit 30 sets the selection flags 15 to 26 */
    bool separateDateKeys;  /* the date keys go into state->dateKeys, linked
                               from the event list, which keeps kind 0;
                               otherwise both go into the event list, kind 2 */
};
/* The date-key module's reader (VORNAK). */
constexpr KIV_OPTION_RULES kivDateKeyOptions{true, true, false};

/*
 * Reads the procedure statement and its ID, VAR and BY statements into
 * *state: pools, the bound series context, flags, DATA=, the analysis and
 * time-ID variables, interval, alignment, seasonality, LEAD, MAXERROR,
 * STARTSUM, accumulation, SETMISSING, START, END and FORMAT; walks the
 * date-key and event statements into the event list (and the date-key list
 * when rules.separateDateKeys), and checks START and END against the
 * interval.
 * Either returns with the state filled (return code at most 4) or ends the
 * step through xexit: the parse status; 1016 without memory; 2000 without
 * DATA= or with LEAD above 100000000; 3000 for START or END that do not
 * suit the interval.
 */
void kivReadOptions(PROC_STATE *state, KIV_OPTION_RULES rules);

/* The date-key module's option reader: kivReadOptions under
 * kivDateKeyOptions. */
void datekpar(PROC_STATE *state);

/* Copies the procedure statement's option bits into the state's flag bytes
 * and its unsorted flag (also into the series context), as rules say. */
void kivReadFlags(PROC_STATE *state, const STATEMENT_NODE *statement, KIV_OPTION_RULES rules);

/* Sorts the analysis-variable descriptors by name (collating order of the
 * blank-padded names) and writes their variable numbers, in the new order,
 * into state->varNumbers, so that values fetched by number stay under
 * their own names. */
void kivSortDescriptors(PROC_STATE *state);

#endif
