/*
 * periods_output.h - the date-key periods data sets of DATEKEYPERIODS
 * OUT=: for every BY group one row per event and time ID at which the
 * event's dummy series is not 0, with the start of that time ID's period.
 * Groups (COMPLEX, PREDEFCOMP) and events that are zero throughout give
 * no rows.
 *
 * Exports: ZTSDKdsoutperiods, ZTSDKoutperds, ZTSDKPutDKPer_init,
 * ZTSDKPutDKPer.
 */
#ifndef ORV_EVENT_PERIODS_OUTPUT_H
#define ORV_EVENT_PERIODS_OUTPUT_H

#include <cstdint>

#include "event/event_datasets.h"
#include "event/event_records.h"
#include "series/series_context.h"

/* Defines the columns of every periods output record of the list that has
 * a handle (ZTSDKoutperds); returns the last result. */
int ZTSDKdsoutperiods(ZTSEV_LIST *list, ZTS_TIMEID *idInfo, ZTS_PROC *proc);

/*
 * Defines the columns of one periods data set: the BY variables, _LOCALE_,
 * the time ID, _NAME_ and the start column of the series interval's kind
 * (_STARTDATE_ DATE9. for dates, _STARTDT_ DATETIME. for datetimes,
 * _STARTOBS_ for observations; none for another kind), and closes the
 * definition.  Returns 0, or the host's status (binding left null).
 * Running out of memory ends the step with the memory message and 1016.
 */
int ZTSDKoutperds(ZTSEV_LIST *list, ZTSEV_DSREC *record, ZTS_TIMEID *idInfo, ZTS_PROC *proc);

/* Opens the record's row binding for byCount + 4 columns; 0 or the host's
 * status. */
int ZTSDKPutDKPer_init(ZTSEV_DSREC *record, int32_t byCount);

/* Writes one BY group's rows into every periods data set of the list. */
void ZTSDKPutDKPer(ZTSEV_LIST *list, ZTS_TIMEID *idInfo, ZTSEV_SERIES series);

#endif
