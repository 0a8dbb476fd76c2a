/*
 * dummy_block.cpp - the event columns of a BY group's dummy rows as a
 * block of rows in memory, kept across groups of one time axis (see
 * dummy_block.h).
 */
#include "event/dummy_block.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "event/dummy_output.h"
#include "event/event_dummy.h"
#include "event/event_list.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "event/event_window.h"
#include "event/statement_options.h"
#include "host/missing_values.h"
#include "host/parser_glue.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/holidays.h"

namespace {

/* The step ends with this code when the spool's files cannot be opened. */
constexpr int kSpoolOpenFailure = 1020;

int64_t budgetBytes = ZTSEV_DUMMY_BUDGET;

/* The block's arrays need no zero fill: every element is written before
 * it is read. */
constexpr int kBlockFlags = 0x2002;

/* Columns built before they are moved into the rows together: a row then
 * takes kTile values at a time instead of one value per pass over the
 * block. */
constexpr int64_t kTile = 8;

enum : int {
    kNoteAllZero = 462,
    kNoteConstant = 463,
    kNoteNotPlaced = 472,
    kNoteAllZeroInGroup = 490,
    kNoteConstantInGroup = 491,
};

bool customInterval(const ZINT_DESC &desc) { return desc.code == ZINT_CUSTOM; }

/* A date key whose dates come from the calendar alone, without a note. */
bool quietKey(int64_t code)
{
    return (code >= ZHOL_FIRST_CODE && code <= ZHOL_LAST_CODE) ||
           (code >= ZTSEV_DK_NWKDOM_FIRST && code <= ZTSEV_DK_NWKDOM_LAST);
}

/* True when the columns kept in block were built over the axis of series.
 * A series without a first time ID places its dates from its first time
 * ID in the array, which the block does not keep: never the same. */
bool sameAxis(const ZTSEV_DUMMY_BLOCK *block, const ZTSEV_SERIES *series)
{
    return block->axisValid != 0 && block->count == series->count && !orvIsMissing(series->firstTimeId) &&
           std::bit_cast<uint64_t>(block->first) == std::bit_cast<uint64_t>(series->firstTimeId) &&
           std::memcmp(&block->interval, &series->interval, sizeof block->interval) == 0;
}

/* True when count rows of `columns` values and the tile fit the budget. */
bool fitsBudget(int64_t count, int64_t columns)
{
    const int64_t perRow = (columns + kTile) * 8;
    return count <= budgetBytes / perRow;
}

void ensureFacts(ZTSEV_DUMMY_BLOCK *block, int64_t columns, MEMORY_OBJECT *pool)
{
    if (block->facts == nullptr)
        block->facts =
            static_cast<ZTSEV_COLUMN_FACTS *>(ztsevAllocArray(pool, columns, sizeof(ZTSEV_COLUMN_FACTS)));
    block->columns = columns;
}

void releaseRows(ZTSEV_DUMMY_BLOCK *block, MEMORY_OBJECT *pool)
{
    ztsevFree(pool, block->rows);
    ztsevFree(pool, block->tile);
    block->rows = block->tile = nullptr;
    block->capacity = 0;
    block->axisValid = 0;
}

/* Makes room for count rows; false (memory message written, block
 * emptied) when the host has no memory for them. */
bool reserve(ZTSEV_DUMMY_BLOCK *block, int64_t count, int64_t columns, MEMORY_OBJECT *pool)
{
    ensureFacts(block, columns, pool);
    if (count <= block->capacity) return true;
    releaseRows(block, pool);
    const bool fits = uint64_t(count) <= uint64_t(INT64_MAX) / 8 / uint64_t(std::max(columns, kTile));
    void *rows = fits ? vmalcp_handler(pool, size_t(count * columns) * 8, kBlockFlags) : nullptr;
    void *tile = rows != nullptr ? vmalcp_handler(pool, size_t(count * kTile) * 8, kBlockFlags) : nullptr;
    if (tile == nullptr) {
        ztsevFree(pool, rows);
        xmemmsg(xmemdef());
        return false;
    }
    block->rows = static_cast<double *>(rows);
    block->tile = static_cast<double *>(tile);
    block->capacity = count;
    return true;
}

/* Moves the count columns built in the tile into their columns of every
 * row: tile column k is block column at[k]. */
void moveTile(ZTSEV_DUMMY_BLOCK *block, const int64_t *at, int64_t count)
{
    if (count == 0) return;
    const int64_t n = block->count;
    for (int64_t r = 0; r < n; ++r) {
        double *row = block->rows + r * block->columns;
        for (int64_t k = 0; k < count; ++k) row[at[k]] = block->tile[k * n + r];
    }
}

/* The sum column: the columns that are not all zero, added in order. */
void sumColumns(ZTSEV_DUMMY_BLOCK *block)
{
    const int64_t last = block->columns - 1;
    for (int64_t r = 0; r < block->count; ++r) {
        double *row = block->rows + r * block->columns;
        double sum = 0.0;
        for (int64_t c = 0; c < last; ++c)
            if (block->facts[c].allZero == 0) sum += row[c];
        row[last] = sum;
    }
    block->sumValid = 1;
}

/* The notes of one column, while the list's count of notes issued is not
 * above its limit: (883, 472) with the event name for status 15 (not
 * counted); then for an all-zero series (883, 462), else for a constant
 * one (883, 463), with the event name, or (883, 3) in its place when the
 * count equals the limit; either counts.  With BY variables the two notes
 * are (883, 490) and (883, 491), which also name the group's BY values. */
void noteColumn(ZTSEV_LIST *list, const ZTSEV_EVENT *event, const ZTSEV_COLUMN_FACTS &facts)
{
    if (list->notesIssued > list->noteLimit) return;
    if (facts.status == ZTSEV_CANNOT_PLACE) ztsevNoteName(kNoteNotPlaced, event->name.text, event->name.length);
    const int note = facts.allZero != 0 ? kNoteAllZero : facts.constant != 0 ? kNoteConstant : 0;
    if (note == 0) return;
    if (list->notesIssued == list->noteLimit)
        xpmlog(ZTSEV_MSG_SET, ZTSEV_MSG_LIMIT_REACHED, ORV_MSG_END);
    else if (list->byTextLength > 0)
        xpmlog(ZTSEV_MSG_SET, note == kNoteAllZero ? kNoteAllZeroInGroup : kNoteConstantInGroup, ORV_MSG_TEXT,
               wzstrip(event->name.text, event->name.length), event->name.text, ORV_MSG_TEXT, list->byTextLength,
               list->byText, ORV_MSG_END);
    else
        ztsevNoteName(note, event->name.text, event->name.length);
    ++list->notesIssued;
}

/* Columns of a spooled block: one per dummy column, or one column of
 * zeros when the list has none, so that every row has a value to read. */
int64_t storedColumns(const ZTSEV_DUMMY_BLOCK *block) { return std::max<int64_t>(block->columns - 1, 1); }

/* The spooled form of ztsevDummyBlockRows: each column is built, noted
 * and appended to the first file, and the file is transposed into the
 * second.  Results as ztsevDummyBlockRows'. */
int spoolRows(ZTSEV_LIST *list, ZTSEV_DUMMY_BLOCK *block, const ZTSEV_SERIES *series, MEMORY_OBJECT *pool)
{
    releaseRows(block, pool);
    ensureFacts(block, int64_t(list->dummyCount) + 1, pool);
    if (block->files[1] == nullptr && ztinit(&block->files[0], &block->files[1]) != 0)
        xexit(kSpoolOpenFailure, 0);
    const int64_t n = series->count;
    block->spooled = 1;
    block->count = n;
    block->sumValid = 0;
    int rc = ztrset(block->files[0]) == 0 ? 0 : ZTSEV_ROWS_STORE_FAILED;
    double *values = nullptr;
    int64_t c = 0;
    for (ZTSEV_EVENT *event = list->first; event != nullptr; event = event->next) {
        if (!ztsevHasDummyColumn(event->cls)) continue;
        ZTSEV_COLUMN_FACTS &facts = block->facts[c++];
        facts.status = ZTSEVMakeDummy(list, event, series, &values, pool);
        ztsevDummyFlags(values, n, &facts.allZero, &facts.constant);
        facts.keep = 0;
        noteColumn(list, event, facts);
        if (rc == 0 && ztput(block->files[0], n, values) != 0) rc = ZTSEV_ROWS_STORE_FAILED;
    }
    if (c == 0) {
        values = static_cast<double *>(ztsevAllocArray(pool, n, sizeof(double)));
        if (rc == 0 && ztput(block->files[0], n, values) != 0) rc = ZTSEV_ROWS_STORE_FAILED;
    }
    ztsevFree(pool, values);
    if (rc != 0) return rc;
    const int t = zttransWithin(block->files[0], block->files[1], storedColumns(block), n, budgetBytes);
    return t == 0 ? 0 : t == 3 ? ZTSEV_ROWS_NO_MEMORY : ZTSEV_ROWS_STORE_FAILED;
}

/* What the row filter of a spooled block needs. */
struct SpoolReading {
    const ZTSEV_DUMMY_BLOCK *block;
    bool summed;
    void *context;
    ZT_OUTP_FILTER filter;
};

/* Puts the sum (or 0) into the row's last value, as the sum column of a
 * block in memory holds it, and hands the row to the caller's filter. */
int spooledRow(void *context, int64_t row, int64_t, double *values, int status)
{
    const auto *reading = static_cast<const SpoolReading *>(context);
    const ZTSEV_DUMMY_BLOCK *block = reading->block;
    const int64_t last = block->columns - 1;
    double sum = 0.0;
    if (reading->summed)
        for (int64_t c = 0; c < last; ++c)
            if (block->facts[c].allZero == 0) sum += values[c];
    values[last] = sum;
    return reading->filter(reading->context, row, block->columns, values, status);
}

}  // namespace

void ztsevSetDummyBudgetForTests(int64_t bytes) { budgetBytes = bytes > 0 ? bytes : ZTSEV_DUMMY_BUDGET; }

int ztsevDummyBlockWrite(ZTSEV_DUMMY_BLOCK *block, DATA_SET_HANDLE *output, PUT_BINDING *binding, bool summed,
                         void *context, double *values, ZT_OUTP_FILTER filter)
{
    if (block->spooled == 0)
        return ztoutm(output, binding, block->rows, block->count, context, block->columns, values, filter);
    SpoolReading reading{block, summed, context, filter};
    return ztoutp(output, binding, block->files[1], &reading, storedColumns(block), values, spooledRow);
}

bool ztsevQuietDummy(const ZTSEV_EVENT *event, const ZTSEV_SERIES *series)
{
    if (event->cls != ZTSEV_CLASS_SIMPLE && event->cls != ZTSEV_CLASS_DATEKEY) return false;
    if (customInterval(series->interval.interval) || customInterval(event->effective.pulse)) return false;
    if (event->given.periodGiven != 0) return false;
    for (int64_t k = 0; k < event->datekeyCount; ++k)
        if (!quietKey(event->datekeyCodes[k])) return false;
    return true;
}

int ztsevDummyBlockRows(ZTSEV_LIST *list, ZTSEV_DUMMY_BLOCK *block, const ZTSEV_SERIES *series, bool summed)
{
    MEMORY_OBJECT *pool = nullptr;
    findpool(&pool, list);
    const int64_t n = series->count;
    const int64_t columns = int64_t(list->dummyCount) + 1;
    if (!fitsBudget(n, columns)) return spoolRows(list, block, series, pool);
    block->spooled = 0;
    if (!reserve(block, n, columns, pool)) return ZTSEV_ROWS_NO_MEMORY;
    const bool keep = sameAxis(block, series);
    block->count = n;
    bool changed = !keep;
    int64_t c = 0, at[kTile], built = 0;
    for (ZTSEV_EVENT *event = list->first; event != nullptr; event = event->next) {
        if (!ztsevHasDummyColumn(event->cls)) continue;
        ZTSEV_COLUMN_FACTS &facts = block->facts[c];
        if (!keep || facts.keep == 0) {
            double *values = block->tile + built * n;
            facts.status = ZTSEVMakeDummy(list, event, series, &values, pool);
            ztsevDummyFlags(values, n, &facts.allZero, &facts.constant);
            facts.keep = facts.status == 0 && ztsevQuietDummy(event, series) ? 1 : 0;
            at[built++] = c;
            if (built == kTile) {
                moveTile(block, at, built);
                built = 0;
            }
            changed = true;
        }
        noteColumn(list, event, facts);
        ++c;
    }
    moveTile(block, at, built);
    block->axisValid = 1;
    block->first = series->firstTimeId;
    block->interval = series->interval;
    if (changed) block->sumValid = 0;
    if (summed && block->sumValid == 0) {
        sumColumns(block);
    } else if (changed && !summed) {
        for (int64_t r = 0; r < n; ++r) block->rows[r * columns + columns - 1] = 0.0;
    }
    return 0;
}
