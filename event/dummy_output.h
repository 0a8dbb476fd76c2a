/*
 * dummy_output.h - the event dummy data sets of EVENTDUMMY OUT= (and the
 * date-key statements' dummy outputs): their columns defined once before
 * the BY groups, and for every BY group one row per time ID with the BY
 * values, the time ID, the analysis variables, one column per event
 * (groups left out) and optionally their sum.
 *
 * The event columns of a group are built into a block of rows in memory
 * (dummy_block.h: kept for the next group on the same time axis where
 * that writes the same log) and written row by row from it; the row
 * callback pairs each time ID with the group's observation at that time
 * ID, taken from the observations the driver kept when it read the group.
 *
 * Exports: ZTSEV_ANALYSIS, ZTSEV_OBSERVATIONS, ZTSEVdsoutdummy, ZTSEVoutdumds,
 * ZTSEVPutEVDum_init, ZTSEVPutEVDum, put_dates.
 */
#ifndef ORV_EVENT_DUMMY_OUTPUT_H
#define ORV_EVENT_DUMMY_OUTPUT_H

#include <cstdint>

#include "event/event_datasets.h"
#include "event/event_records.h"
#include "series/series_context.h"

/* The analysis variables of DATA=: count and input variable numbers. */
struct ZTSEV_ANALYSIS {
    int32_t count;
    const int32_t *numbers;
};

/* A BY group's observations as the driver read them, in reading order:
 * `width` doubles each, the time ID as read and then the values of the
 * analysis variables. */
struct ZTSEV_OBSERVATIONS {
    const double *rows;
    int64_t count;
    int32_t width;
};

/*
 * Output set-up of the dummy data sets, once per step: creates the events
 * that COMB members name without being events of the list (keywords,
 * outlier names), so that their columns are defined with the others, and
 * defines the columns of every dummy output record (ZTSEVoutdumds).
 */
void ZTSEVdsoutdummy(ZTSEV_LIST *list, ZTS_TIMEID *idInfo, ZTS_PROC *proc, ZTSEV_ANALYSIS analysis);

/* Defines the columns of one dummy data set and closes the definition;
 * the record's binding stays null when the definition fails.  Running out
 * of memory ends the step with the memory message and 1016. */
void ZTSEVoutdumds(ZTSEV_LIST *list, ZTSEV_DSREC *record, ZTS_TIMEID *idInfo, ZTS_PROC *proc,
                   ZTSEV_ANALYSIS analysis);

/* Allocates the list's value buffers when not yet there (out of memory
 * ends the step with 1016) and opens the record's row binding for
 * byCount + analysisCount + dummy columns + 1 columns (+1 with a sum).
 * Returns 0, or the host's status (binding left null). */
int ZTSEVPutEVDum_init(ZTSEV_LIST *list, ZTSEV_DSREC *record, int32_t byCount, int32_t analysisCount);

/*
 * Writes one BY group's rows into every dummy data set of the list: the
 * dummies of every event except groups over the group's time IDs, with the
 * notes (883, 472), (883, 462) and (883, 463) while the list's note count
 * is within its limit and (883, 3) in place of the note that would pass
 * it.  live is the step's own series context (interval, alignment, ID
 * variable, SETMISSING, the group's largest time ID); observations are the
 * group's observations, whose analysis values the rows take.  A list
 * without event columns and without a sum still gets one row per time ID.
 * Returns 0, or ZTSEV_ROWS_NO_MEMORY when the block of the group's rows
 * could not grow to the group for want of memory (the memory message is
 * written), or ZTSEV_ROWS_STORE_FAILED when the spool of a large group
 * failed (logged): no row of the group has then reached any data set, so
 * that the caller can skip the group as a whole.
 */
enum : int { ZTSEV_ROWS_NO_MEMORY = 7, ZTSEV_ROWS_STORE_FAILED = 8 };
int ZTSEVPutEVDum(ZTSEV_LIST *list, const ZTS_PROC *live, ZTSEV_SERIES series, ZTSEV_OBSERVATIONS observations);

/* The row callback of ZTSEVPutEVDum (a ZT_OUTP_FILTER): fills the time ID
 * and the analysis values of row `row`; 0 write, 1 skip (SETMISSING=SKIP
 * at a time ID without an observation), 2 past the last time ID. */
int put_dates(void *context, int64_t row, int64_t nvar, double *buffer, int status);

#endif
