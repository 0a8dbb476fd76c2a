/*
 * event_data_rows.h - the rows of the event definition data set as the
 * writer builds them in a list's output row buffer: the initial row, the
 * qualifier columns of an event, the columns an output can leave out, the
 * runs of timing values compressed into start, end and interval, and the
 * walk over a list that hands every finished row to a row writer.
 *
 * The output record's flags that the writer reacts to: outputMode (2: the
 * date-key module's output operation), dropDefaults (leave out columns
 * that would hold only defaults), namesOnly (_LOCALE_, _NAME_ and _LABEL_
 * only) and flag4 (with namesOnly: the 25 holiday keys first).
 *
 * Exports: ztsev_row_writer, ZTSEVInitBuf, ZTSEVClearIOBUFDates,
 * ZTSEVType2Outbuf, ZTSEVDurSlope2Outbuf, ZTSEVCheckMissDataOut,
 * ZTSEV_RUN_ROW, ztsevRunRows, ztsevPutEventRows.
 */
#ifndef ORV_EVENT_EVENT_DATA_ROWS_H
#define ORV_EVENT_EVENT_DATA_ROWS_H

#include <cstdint>
#include <vector>

#include "event/event_data_columns.h"
#include "event/event_datasets.h"
#include "event/event_records.h"

/* Writes the list's output row buffer as one row; 0, or a host status. */
using ztsev_row_writer = int (*)(void *context);

/* The initial row: every text column but _NAME_ is "." (length 1), the
 * dates, datetimes, observation columns, _VALUE_, _SHIFT_ and _TCPARM_ are
 * missing, both durations 0; _NAME_ is not touched. */
void ZTSEVInitBuf(ZTSEV_ROWBUF *row);

/* The six date and datetime columns and the three observation columns
 * become missing; _DATEINTRVL_ and _DTINTRVL_ hold "." (lengths kept). */
void ZTSEVClearIOBUFDates(ZTSEV_ROWBUF *row);

/* The event's effective type keyword into the list's output row ("."
 * outside 1 to 10). */
void ZTSEVType2Outbuf(ZTSEV_LIST *list, const ZTSEV_EVENT *event);

/* The event's durations (stored value minus 1; ALL as the host's missing
 * value for ALL) and slope keywords into the list's output row. */
void ZTSEVDurSlope2Outbuf(ZTSEV_LIST *list, const ZTSEV_EVENT *event);

/*
 * The columns an output with drop-defaults leaves out: drop[c] = 1 for
 * every column c (ZTSEV_COL_*) that no event of the list needs; _NAME_ is
 * always kept.  A PREDEF event keeps _KEYNAME_, where its key is written.
 */
void ZTSEVCheckMissDataOut(const ZTSEV_LIST *list, const ZTSEV_DSREC *record, uint8_t drop[ZTSEV_COLUMN_COUNT]);

/* One row of a run of timing values: the values first .. first + count - 1
 * of the run, written as one value (count 1) or as start, end and the
 * interval named `interval` (its multiplier for observation numbers). */
struct ZTSEV_RUN_ROW {
    int64_t first;
    int64_t count;
    ORV_COUNTED_NAME interval; /* dates and datetimes, count > 1 */
    double multiplier;         /* observation numbers, count > 1 */
};

/*
 * Splits a run of n timing values of one kind (8 or 9 dates, 10 datetimes,
 * 4 observation numbers) into rows that read back as exactly these values:
 * the whole run as one row when the interval found for it (zintfit for
 * two values, zintdgv for more) steps from the first value to the last
 * through every value and nothing else; otherwise greedy sub-runs of at
 * least two values that do, and single values between them.
 */
std::vector<ZTSEV_RUN_ROW> ztsevRunRows(const double *values, int64_t n, int kind);

/*
 * Builds every row of the list in order, as the output record asks, and
 * hands each to write(context): with namesOnly and flag4 the holiday keys the list does not
 * define first, then every event by its class; events with nothing to
 * write get note (883, 479) or (883, 480).  A row whose write fails is
 * reported by the writer and the walk goes on.
 * Returns the number of rows handed to the writer.
 */
int64_t ztsevPutEventRows(ZTSEV_LIST *list, const ZTSEV_DSREC *record, ztsev_row_writer write, void *context);

#endif
