/*
 * event_data_read.h - reading event definition data sets into an event
 * list: binding an input data set's columns to the list's input row
 * buffer, the keyword columns of a row, the qualifiers a row gives an
 * event, the three passes of EVENTDATA IN= (SIMPLE and PREDEF rows, then
 * COMB, then COMPLEX) and the class and locale filter through which the
 * date-key reader takes DATEKEY rows.
 *
 * Rows are read in data-set order; a row of one name and locale right
 * after a row of the same name and locale continues that event.  Row
 * problems are notes (883, 460 to 474, 677, 681, 682) and the row or the
 * value is left out; reading goes on.
 *
 * Exports: ZTSEV_ROW_CONSUMER, ZTSEVdsindata (event_datasets.h),
 * ZTSEVdsin, ZTSEVinevds, ztsevTextIsDot, ZTSEVLeftJustBuf, ZTSEVId_CLASS_, ZTSEVId_RULE_,
 * ZTSEVTypeStr2Flag, ZTSEVCompQualBuf, ztsevRowQualifiers,
 * ztsevRowDirectFields, ztsevTimingNote, ztsevServed, ztsevMarkServed, ZTSEVGetEVData (event_datasets.h),
 * ZTSEVGetDSFilter.
 */
#ifndef ORV_EVENT_EVENT_DATA_READ_H
#define ORV_EVENT_EVENT_DATA_READ_H

#include <cstdint>

#include "event/event_datasets.h"
#include "event/event_records.h"

/* Statuses of the binding and of a row. */
enum : int {
    ZTSEV_NO_NAME_COLUMN = 6, /* the data set has no _NAME_ column; closed */
    ZTSEV_BIND_FAILED = 7,    /* the host refused the binding */
    ZTSEV_NO_HANDLE = 8,
    ZTSEV_QUAL_DIFFERS = 20,  /* a continuation row with other qualifiers */
    ZTSEV_ROW_REFUSED = 21,   /* a row with a value no statement could give */
};

/* True when record has been read into list; enters list in the first free
 * of record's five served-list slots (when one is free). */
bool ztsevServed(const ZTSEV_LIST *list, const ZTSEV_DSREC *record);
void ztsevMarkServed(ZTSEV_LIST *list, ZTSEV_DSREC *record);

/* Same as ZTSEVdsindata. */
int ZTSEVdsin(ZTSEV_LIST *list);

/*
 * Binds one input data set to the list's input row buffer: _NAME_ (which
 * must be there) and each further column that is present with the type of
 * its field; a column of the other type (a text where a number belongs or
 * the reverse) is not bound and keeps its initial value.
 * Returns 0 bound (or bound before), ZTSEV_NO_NAME_COLUMN (the data set is
 * closed and its handle cleared), ZTSEV_BIND_FAILED, ZTSEV_NO_HANDLE.
 * Running out of memory ends the step with the memory message and 1016:
 * an input whose rows were silently left out would change the events
 * without a sign.
 */
int ZTSEVinevds(ZTSEV_LIST *list, ZTSEV_DSREC *record);

/* True when a text column holds "." or nothing: a value not given. */
bool ztsevTextIsDot(const char *text, int length);

/* Left-justifies every text column of row and sets its length; the
 * keyword and interval columns are also upper-cased. */
void ZTSEVLeftJustBuf(ZTSEV_ROWBUF *row);

/* Class code of _CLASS_: 1, 3, 4, 5, 6, 7 by keyword; 0 for "." or blank;
 * -1 for anything else. */
int ZTSEVId_CLASS_(const ZTSEV_ROWBUF *row);

/* Rule code of _RULE_ (1 ADD ... 8 OR) as a double; missing otherwise. */
double ZTSEVId_RULE_(const ZTSEV_ROWBUF *row);

/* Type code of a type keyword (TEMPRAMP as TR) as a double; missing for
 * "." or an unknown word. */
double ZTSEVTypeStr2Flag(const char *text, int length);

/* 0 when the qualifier columns of both rows agree (numbers equal or both
 * missing, texts equal); otherwise note (883, 461) with the row's name and
 * ZTSEV_QUAL_DIFFERS. */
int ZTSEVCompQualBuf(const ZTSEV_ROWBUF *previous, const ZTSEV_ROWBUF *row);

/* The qualifiers a row gives: type, value, durations (missing: -1 = ALL),
 * shift, TC parameter, slopes and rule; pulse and period stay not given.
 * Numbers are taken as they are: the readers leave out a row with a value
 * no statement could give (ztsevRefusedColumn) first. */
ZTSEV_QUAL ztsevRowQualifiers(const ZTSEV_ROWBUF *row);

/* The row's _LOCALE_, _LABEL_, _PULSE_ and _PERIOD_ on event, each unless
 * it is "."; an interval name that does not parse writes note (883,
 * pulseNote) or (883, periodNote) with the event's name and leaves that
 * interval not given. */
void ztsevRowDirectFields(ZTSEV_EVENT *event, const ZTSEV_ROWBUF *row, int pulseNote, int periodNote);

/* Note (883, 467) for dates, 468 datetimes, 469 observation numbers, 470
 * otherwise, with name: the row's timing values cannot be used. */
void ztsevTimingNote(int kind, const ORV_COUNTED_NAME &name);

/* The consumer of a row that the filter accepts: the list, the record and
 * whether the row continues the previous event. */
using ZTSEV_ROW_CONSUMER = void (*)(ZTSEV_LIST *list, ZTSEV_DSREC *record, int continuation);

/*
 * Reads the rows of record whose class is in classes[0 .. count) (class 0,
 * "." or blank, counts as defaultClass) and, when the list has a locale
 * other than ".", whose _LOCALE_ is that locale, or "." while the list's
 * locale flag is clear.  A DATEKEY row goes to consume(list, record,
 * continuation); rows of classes 1 to 6 only advance the previous row.  A
 * blank name writes note (883, 460).
 */
void ZTSEVGetDSFilter(ZTSEV_LIST *list, ZTSEV_DSREC *record, const int *classes, int count, int defaultClass,
                      ZTSEV_ROW_CONSUMER consume);

#endif
