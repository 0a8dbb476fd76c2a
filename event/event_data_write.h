/*
 * event_data_write.h - writing an event definition data set through the
 * host: the columns of an EVENTDATA OUT= data set bound to the list's
 * output row buffer, and every row of the list written through them.
 *
 * Exports: ztsevDefineDataColumns, ztsevWriteDataRows.
 */
#ifndef ORV_EVENT_EVENT_DATA_WRITE_H
#define ORV_EVENT_EVENT_DATA_WRITE_H

#include <cstdint>

#include "event/event_data_rows.h"
#include "event/event_records.h"
#include "host/host_records.h"

/*
 * Defines the columns of the output data set `handle` over the list's
 * output row buffer, in definition order, leaving out the dropped ones:
 * with form.dropDefaults those no event needs (ztsevDropColumns); with
 * output mode 2 also _TYPE_, _VALUE_, _SLOPE_BEF_, _SLOPE_AFT_ and
 * _TCPARM_; with form.namesOnly all but _LOCALE_, _NAME_ and _LABEL_.
 * Labels are the texts (883, n).  When *dataSetLabel is empty it becomes
 * the text of (883, 300) and the data set's label.
 * Returns the row binding, or null after a failed definition (the host's
 * memory message written when memory failed).
 */
void *ztsevDefineDataColumns(ZTSEV_LIST *list, DATA_SET_HANDLE *handle, const ZTSEV_OUTFORM &form,
                             ORV_COUNTED_LABEL *dataSetLabel);

/*
 * Writes every row of the list (ztsevPutEventRows) through binding into
 * handle; a failing write is passed to xofprc.  Returns the rows written.
 */
int64_t ztsevWriteDataRows(ZTSEV_LIST *list, DATA_SET_HANDLE *handle, void *binding, const ZTSEV_OUTFORM &form);

#endif
