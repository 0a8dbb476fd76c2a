/*
 * dummy_block.h - the event columns of one BY group's dummy rows, held in
 * memory as a block of rows (one row per time ID: the event columns in
 * list order, groups left out, then their sum), with the notes of every
 * column.
 *
 * A group whose block would take more than the budget
 * (ZTSEV_DUMMY_BUDGET bytes) goes through the list's pair of utility files
 * instead: its columns are written one after the other to the first file,
 * transposed into rows in the second, and read back row by row, so that a
 * step needs one column in memory whatever the group's length and the
 * number of events.  Both ways give the same rows.
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
 * Exports: ZTSEV_DUMMY_BUDGET, ZTSEV_COLUMN_FACTS, ZTSEV_DUMMY_BLOCK,
 * ztsevQuietDummy, ztsevDummyBlockRows, ztsevDummyBlockWrite,
 * ztsevSetDummyBudgetForTests.
 */
#ifndef ORV_EVENT_DUMMY_BLOCK_H
#define ORV_EVENT_DUMMY_BLOCK_H

#include <cstdint>

#include "event/event_records.h"
#include "host/row_store.h"

/* The most bytes a group's block of rows (and the columns built before
 * they are moved into it) may take; a larger group is spooled. */
constexpr int64_t ZTSEV_DUMMY_BUDGET = int64_t{64} << 20;

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
    int32_t spooled;              /* the current rows are in files[1], not in rows */
    ZT_FILE files[2];             /* the spool's utility files, opened when first needed */
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
 * Makes block hold the event columns of list over series (in memory, or
 * spooled when the group's rows would take more than the budget), and in the last
 * column the sum of the columns that are not all zero (added in event
 * order, from 0) when summed is true; otherwise the last column holds no
 * meaning.  Columns are built with ZTSEVMakeDummy in list order, each
 * followed by its notes: while the list's count of notes issued is not
 * above its limit, (883, 472) with the event name for status 15 (not
 * counted), then for an all-zero series (883, 462), else for a constant
 * one (883, 463), or (883, 3) in its place when the count equals the
 * limit (either counts).  A column kept from the block's previous axis, as
 * described above, only has its notes written.
 * A spooled block keeps no column from group to group; its sum column is
 * added as each row is read back (ztsevDummyBlockWrite), in the same
 * order.
 * Returns 0; ZTSEV_ROWS_NO_MEMORY (dummy_output.h) when the block cannot
 * grow to the group (the host's memory message is written, no note is
 * written and the block is left empty) or the transposition found no
 * memory; ZTSEV_ROWS_STORE_FAILED when writing or transposing the spool
 * failed (logged by the row store).  The utility files cannot be opened:
 * the step ends with 1020.  Out of memory inside a dummy ends the step
 * (event_dummy.h).
 */
int ztsevDummyBlockRows(ZTSEV_LIST *list, ZTSEV_DUMMY_BLOCK *block, const ZTSEV_SERIES *series, bool summed);

/*
 * Writes the block's rows to output as ztoutp does (dummy columns + 1
 * doubles each into values, then filter with context, then the binding's
 * move and the data set's write): from memory, or read back from the
 * spool with the sum column (summed) or 0 (otherwise) put into the row's
 * last value before the filter sees it.  Results as ztoutp's.
 * REQUIRES: ztsevDummyBlockRows made the block's rows and returned 0.
 */
int ztsevDummyBlockWrite(ZTSEV_DUMMY_BLOCK *block, DATA_SET_HANDLE *output, PUT_BINDING *binding, bool summed,
                         void *context, double *values, ZT_OUTP_FILTER filter);

/* For tests: the budget in place of ZTSEV_DUMMY_BUDGET (it also bounds the
 * transposition's passes); a value of 0 or below puts ZTSEV_DUMMY_BUDGET
 * back. */
void ztsevSetDummyBudgetForTests(int64_t bytes);

#endif
