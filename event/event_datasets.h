/*
 * event_datasets.h - the data-set records of the event statements and the
 * EVENTDS option (ZTSEV_DSREC), and the operations that add them to a
 * list's chains.
 *
 * A record is allocated zero-filled from a pool of its list and linked at
 * the end of one of the list's chains: input (EVENTDATA IN=, DATEKEYDATA
 * IN=, EVENTDS), secondary input, output (EVENTDATA OUT=), dummy output
 * (EVENTDUMMY OUT=) and periods output.  Running out of memory ends the
 * step (memory message, xexit with at least 1016).
 *
 * Exports: ZTSEV_DSREC, ZTSEV_SERVED_LISTS, ZTSEV_DEFAULT_SUMMARY,
 * ZTSEVGetInputDsn, ZTSEVGetInputDsnF, ZTSEVGetOutputDsn,
 * ZTSDKGetOutputDsn, ZTSEVdsindata, ZTSEVGetEVData.
 */
#ifndef ORV_EVENT_EVENT_DATASETS_H
#define ORV_EVENT_EVENT_DATASETS_H

#include <cstdint>

#include "event/event_data_columns.h"
#include "event/event_records.h"
#include "series/series_context.h"

/* Lists a date-key data set remembers having been read into. */
constexpr int ZTSEV_SERVED_LISTS = 5;

/* Name of the EVENTDUMMY summary column when SUMMARY names none. */
constexpr const char *ZTSEV_DEFAULT_SUMMARY = "_SUMMARY_";

struct ZTSEV_DSREC {
    ZTS_DSINFO info;              /* handle (null once an input set is dropped), libref,
                                     member, label (the data set's, or the default set
                                     here), "LIB.MEMBER" */
    void *rowBinding;             /* variable binding of the input row buffer */
    int32_t outputMode;           /* 2 for a record of the date-key output operation */
    int32_t dropDefaults;         /* EVENTDATA CONDENSE: leave out columns of defaults */
    int32_t flag4;
    int32_t namesOnly;
    int32_t summaryRequested;     /* EVENTDUMMY OUT= with a summary column */
    ORV_COUNTED_NAME summaryName;
    int32_t bound;                /* the input set has been bound */
    char *wideName;               /* input: _NAME_ as read, when its column is wider than
                                     the 32 characters of the row buffer */
    int32_t wideNameLength;       /* the width of that column */
    /* input: a numeric column where the event data set has a text (a column
     * whose values are all missing is numeric) is read here, by its number
     * in row-buffer order, with numericTexts[c] set */
    double numericTextValues[ZTSEV_COLUMN_COUNT];
    uint8_t numericTexts[ZTSEV_COLUMN_COUNT];
    ZTSEV_LIST *served[ZTSEV_SERVED_LISTS];
    ZTSEV_DSREC *next;
};

/*
 * Adds an input record for the data set of the statement's IN= slot
 * (options) or for handle: kind 1 at the end of the input chain, kind 2 at
 * the end of the secondary input chain, any other kind nothing.  The record
 * is filled by ZTSSetDataSetInfo, whose result ZTSEVGetInputDsn returns (0
 * for another kind).
 */
int ZTSEVGetInputDsn(ZTSEV_LIST *list, const OPTION_SLOT *options, int kind, MEMORY_OBJECT *pool);
void ZTSEVGetInputDsnF(ZTSEV_LIST *list, DATA_SET_HANDLE *handle, int kind, MEMORY_OBJECT *pool);

/*
 * Adds an output record for the data set of the statement's OUT= slot:
 * kind 1 to the output chain (EVENTDATA; flag bit 0x10 sets drop default
 * columns), kind 2 to the dummy output chain (EVENTDUMMY; a SUMMARY option
 * sets summary requested and the column name); any other kind nothing.  A
 * data set without a label gets the default label, message (883, 300) for
 * kind 1 and (883, 310) for kind 2, set on the data set too.  flags is the
 * statement's flag byte 1.  Returns the length of the data set's label
 * when it already had one (kind 1), else 0.
 */
int ZTSEVGetOutputDsn(ZTSEV_LIST *list, const OPTION_SLOT *options, uint8_t flags, int kind,
                      MEMORY_OBJECT *pool);

/*
 * The output operation of a date-key list (list kind 2): as
 * ZTSEVGetOutputDsn with output mode 2, kind 3 for the periods output
 * chain, and the date-key default labels (883, 313), (883, 312) and
 * (883, 311) for kinds 1, 2 and 3.  Returns 0.
 */
int ZTSDKGetOutputDsn(ZTSEV_LIST *list, const OPTION_SLOT *options, uint8_t flags, int kind,
                      MEMORY_OBJECT *pool);

/*
 * Binds every input data set of the list's input chain that has a handle
 * (ZTSEVinevds, event_data_read.h), and reads one input record into events
 * of the list in three passes (SIMPLE and PREDEF rows, COMB, COMPLEX); a
 * data set is read into a list once.  Return 0.
 */
int ZTSEVdsindata(ZTSEV_LIST *list);
int ZTSEVGetEVData(ZTSEV_LIST *list, ZTSEV_DSREC *record);

#endif
