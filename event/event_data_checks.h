/*
 * event_data_checks.h - the checks a row of an event data set passes before
 * either reader (events, date keys) takes it: its name must be a variable
 * name of at most 32 bytes, which the dummy data set can hold, and each
 * qualifier column must hold a value that an event statement could give
 * (the ranges of statement_options.h).  A row that fails is left out with
 * a note naming the data set and the row.
 *
 * Exports: ZtsevNameVerdict, ztsevJudgeName, ztsevRefusedColumn,
 * ztsevNoteNameNotVariable, ztsevNoteRefusedValue.
 */
#ifndef ORV_EVENT_EVENT_DATA_CHECKS_H
#define ORV_EVENT_EVENT_DATA_CHECKS_H

#include <cstdint>

#include "event/event_datasets.h"
#include "event/event_records.h"

enum class ZtsevNameVerdict : uint8_t {
    Fits,        /* a variable name of at most 32 bytes, or blank */
    TooLong,     /* a variable name longer than 32 bytes */
    NotVariable, /* a byte that is no name character, or a leading digit */
};

/* The verdict on text[0 .. length), a name left-justified and without
 * trailing blanks (length 0: blank, which the readers note themselves). */
ZtsevNameVerdict ztsevJudgeName(const char *text, int length);

/* The first column (ZTSEV_COL_*) of the left-justified row whose value no
 * event statement could give, or -1 when every value can be used:
 * _DATEINTRVL_ and _DTINTRVL_ an interval name; _TYPE_, _RULE_,
 * _SLOPE_BEF_ and _SLOPE_AFT_ a keyword of TYPE=, RULE= or SLOPE=; _VALUE_
 * and _TCPARM_ a number within ZTSEV_NUMBER_LIMIT; _SHIFT_ a whole number
 * within ZTSEV_SHIFT_LIMIT; _DUR_BEFORE_ and _DUR_AFTER_ a whole number
 * from 0 to ZTSEV_DURATION_LIMIT.  A text column holding "." or blank and
 * a missing number stand for a value not given and pass. */
int ztsevRefusedColumn(const ZTSEV_ROWBUF *row);

/* Note (883, 682): row `number` (from 1) of the record's data set has a
 * _NAME_ that is no variable name, and is left out. */
void ztsevNoteNameNotVariable(const ZTSEV_DSREC *record, int64_t number);

/* Note (883, 681): row `number` of the record's data set is left out for
 * its value in `column` (ztsevRefusedColumn), with that value and the
 * values the column takes. */
void ztsevNoteRefusedValue(const ZTSEV_DSREC *record, int64_t number, const ZTSEV_ROWBUF *row, int column);

#endif
