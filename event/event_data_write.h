/*
 * event_data_write.h - the event definition data sets of an event list's
 * EVENTDATA OUT= records: their columns defined once before the BY groups
 * (the EVENTDATA branch of the output set-up) and every event written as
 * rows once after them.
 *
 * Exports: ZTSEVdsout, ZTSEVdsoutdata, ZTSEVoutevds, ZTSEVPutEVData.
 */
#ifndef ORV_EVENT_EVENT_DATA_WRITE_H
#define ORV_EVENT_EVENT_DATA_WRITE_H

#include "event/event_data_rows.h"
#include "event/event_datasets.h"
#include "event/dummy_output.h"
#include "event/event_records.h"

/* Output set-up of the list, once per step: the event definition data
 * sets (ZTSEVdsoutdata), then, given the series context proc (with its
 * time-ID part idInfo and the analysis variables), the date-key periods
 * data sets when DATEKEYPERIODS OUT= was given (ZTSDKdsoutperiods) and the
 * dummy data sets when a dummy OUT= was given (ZTSEVdsoutdummy). */
void ZTSEVdsout(ZTSEV_LIST *list, ZTS_TIMEID *idInfo = nullptr, ZTS_PROC *proc = nullptr,
                ZTSEV_ANALYSIS analysis = {});

/* ZTSEVoutevds for every EVENTDATA OUT= record of the list that has a
 * host handle. */
void ZTSEVdsoutdata(ZTSEV_LIST *list);

/*
 * Defines the columns of one EVENTDATA OUT= data set over the list's
 * output row buffer, in definition order, leaving out the dropped ones:
 * with drop-defaults those no event needs (ZTSEVCheckMissDataOut); with
 * output mode 2 also _TYPE_, _VALUE_, _SLOPE_BEF_, _SLOPE_AFT_ and
 * _TCPARM_; with names-only all but _LOCALE_, _NAME_ and _LABEL_.  Labels
 * are the texts (883, n).  A record without a data-set label gets the text
 * of (883, 300), on the data set too.  The binding goes to
 * record->rowBinding; it stays null after a failed definition, and the
 * record is then not written.  Running out of memory ends the step with
 * the memory message and 1016.
 */
void ZTSEVoutevds(ZTSEV_LIST *list, ZTSEV_DSREC *record);

/* Writes every row of the list (ztsevPutEventRows) into the record's data
 * set; nothing without a handle or a binding.  A failing write is passed to
 * xofprc. */
void ZTSEVPutEVData(ZTSEV_LIST *list, ZTSEV_DSREC *record);

#endif
