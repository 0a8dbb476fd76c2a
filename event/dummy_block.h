/*
 * dummy_block.h - the event columns of one BY group's dummy rows, held in
 * memory as a block of rows (one row per time ID: the event columns in
 * list order, groups left out, then their sum), with the notes of every
 * column.
 *
 * Building the columns is the dummy writer's main cost after writing, and
 * consecutive BY groups usually share one time axis.  A column is kept
 * from one group to the next when the axis is the same and its event's
 * dummy is known to depend on the axis alone and to write nothing to the
 * log while it is built (ztsevQuietDummy); its notes (883, 472, 462, 463
 * and 3) depend only on its status and statistics, which the block keeps,
 * so they are written for the next group exactly as a new build would
 * write them.  Every other column is built anew for each group.
 *
 * Exports: ZTSEV_COLUMN_FACTS, ZTSEV_DUMMY_BLOCK, ztsevQuietDummy,
 * ztsevDummyBlockRows.
 */
#ifndef ORV_EVENT_DUMMY_BLOCK_H
#define ORV_EVENT_DUMMY_BLOCK_H

#include <cstdint>

#include "event/event_records.h"

/* What the notes of one column need: the dummy's status and statistics,
 * and whether the column may be kept for a group with the same axis. */
struct ZTSEV_COLUMN_FACTS {
    int32_t status;
    int32_t allZero;
    int32_t constant;
    int32_t keep;
};

/* The block of a list, kept by the dummy writer for the whole step. */
struct ZTSEV_DUMMY_BLOCK {
    double *rows;                 /* capacity * columns doubles, row-major */
    int64_t capacity;             /* rows the block holds room for */
    int64_t count;                /* rows of the current axis */
    int64_t columns;              /* dummy columns + 1 (the sum) */
    ZTSEV_COLUMN_FACTS *facts;    /* one per dummy column */
    double *tile;                 /* 8 * capacity doubles: columns being built */
    int32_t sumValid;             /* the sum column holds the sum of the columns */
    int32_t axisValid;            /* the fields below describe the kept columns' axis */
    double first;                 /* first time ID */
    ZINT_SEAS interval;           /* series interval */
};

/*
 * True when the dummy of event over series is a function of the series'
 * length, first time ID and interval alone, and building it writes
 * nothing to the log whatever that axis is: a SIMPLE or DATEKEY event on a
 * series whose interval is not custom, without a custom pulse interval and
 * without a PERIOD= interval, whose date keys are all holidays (20 to 44)
 * or weekday-of-month keys (9000 to 9419).  User events used as date keys
 * (notes 602 to 604), seasons (week seasons may write a debug line),
 * custom intervals (the custom-interval manager logs its failures) and
 * combinations (note 605, members of any kind) are not.
 */
bool ztsevQuietDummy(const ZTSEV_EVENT *event, const ZTSEV_SERIES *series);

/*
 * Makes block hold the event columns of list over series, and in the last
 * column the sum of the columns that are not all zero (added in event
 * order, from 0) when summed is true; otherwise the last column holds no
 * meaning.  Columns are built with ZTSEVMakeDummy in list order, each
 * followed by its notes: while the list's count of notes issued is not
 * above its limit, (883, 472) with the event name for status 15 (not
 * counted), then for an all-zero series (883, 462), else for a constant
 * one (883, 463), or (883, 3) in its place when the count equals the
 * limit (either counts).  A column kept from the block's previous axis, as
 * described above, only has its notes written.
 * Returns 0; ZTSEV_ROWS_NO_MEMORY (dummy_output.h) when the block cannot
 * grow to the group (the host's memory message is written, no note is
 * written and the block is left empty).  Out of memory inside a dummy ends
 * the step (event_dummy.h).
 */
int ztsevDummyBlockRows(ZTSEV_LIST *list, ZTSEV_DUMMY_BLOCK *block, const ZTSEV_SERIES *series, bool summed);

#endif
