/*
 * event_data_columns.h - the 25 columns of the event definition data set:
 * their names, types, labels and places in the row buffer ZTSEV_ROWBUF,
 * the order in which an output defines them, and the keywords of the
 * _CLASS_, _TYPE_ and _SLOPE_ columns.
 *
 * Exports: ZTSEV_COLUMN, ZTSEV_COL_* (row-buffer order), ZTSEV_COLUMN_COUNT,
 * ztsevColumns, ztsevDefinitionOrder, ztsevClassKeyword, ztsevTypeKeyword,
 * ztsevSlopeKeyword.
 */
#ifndef ORV_EVENT_EVENT_DATA_COLUMNS_H
#define ORV_EVENT_EVENT_DATA_COLUMNS_H

#include <cstddef>
#include <cstdint>
#include <span>

#include "event/event_records.h"

/* Columns in row-buffer order. */
enum : int {
    ZTSEV_COL_NAME, ZTSEV_COL_LOCALE, ZTSEV_COL_LABEL, ZTSEV_COL_CLASS, ZTSEV_COL_KEYNAME,
    ZTSEV_COL_STARTDATE, ZTSEV_COL_ENDDATE, ZTSEV_COL_DATEINTRVL, ZTSEV_COL_STARTDT, ZTSEV_COL_ENDDT,
    ZTSEV_COL_DTINTRVL, ZTSEV_COL_STARTOBS, ZTSEV_COL_ENDOBS, ZTSEV_COL_OBSINTRVL, ZTSEV_COL_TYPE,
    ZTSEV_COL_VALUE, ZTSEV_COL_PULSE, ZTSEV_COL_SHIFT, ZTSEV_COL_DUR_BEFORE, ZTSEV_COL_DUR_AFTER,
    ZTSEV_COL_SLOPE_BEF, ZTSEV_COL_SLOPE_AFT, ZTSEV_COL_TCPARM, ZTSEV_COL_RULE, ZTSEV_COL_PERIOD,
    ZTSEV_COLUMN_COUNT,
};

/* How a column is stored: a counted text of 32 or 256 characters, or a
 * number with no format, DATE9. or DATETIME. */
enum class ZtsevColumnKind : uint8_t { Text, LongText, Number, Date, Datetime };

struct ZTSEV_COLUMN {
    const char *name;
    ZtsevColumnKind kind;
    size_t offset; /* in ZTSEV_ROWBUF: the counted text or the double */
    int label;     /* label text (883, label) */
};

/* The columns in row-buffer order (ZTSEV_COL_*). */
std::span<const ZTSEV_COLUMN> ztsevColumns();

/* Column numbers in the order an output defines them: _LOCALE_, _NAME_,
 * the 22 columns a names-only output leaves out, then _LABEL_. */
std::span<const int> ztsevDefinitionOrder();

/* Keyword of a class (SIMPLE, COMB, PREDEF, COMPLEX, PREDEFCOMP, DATEKEY),
 * a type (1 to 10) or a slope (1 DECAY, 2 GROWTH); "." for any other
 * code. */
const char *ztsevClassKeyword(int32_t cls);
const char *ztsevTypeKeyword(int32_t type);
const char *ztsevSlopeKeyword(int32_t slope);

#endif
