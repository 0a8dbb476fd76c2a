/*
 * dummy_output.cpp - the event dummy data sets (see dummy_output.h).
 */
#include "event/dummy_output.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "event/dummy_block.h"
#include "event/event_dummy.h"
#include "event/event_list.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "event/output_columns.h"
#include "event/statement_options.h"
#include "host/missing_values.h"
#include "host/parser_glue.h"
#include "host/row_store.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/intnx.h"

namespace {

enum : int {
    kLabelSummary = 443,
};
constexpr int kSetMissingNumber = 100;
constexpr int kSetMissingSkip = 11;

/* The dummy writer's work areas of a list, kept in dummyBuffers[0]. */
struct DummyWork {
    double *values;    /* dummy columns + 1 doubles: the row being written */
    double *analysis;  /* one per analysis variable */
    int32_t analysisCount;
    ZTSEV_DUMMY_BLOCK block; /* the group's event columns and their sum */
};

DummyWork *workOf(ZTSEV_LIST *list) { return static_cast<DummyWork *>(list->dummyBuffers[0]); }

DummyWork *makeWork(ZTSEV_LIST *list, int32_t analysisCount)
{
    if (workOf(list) != nullptr) return workOf(list);
    MEMORY_OBJECT *pool = nullptr;
    findpool(&pool, list);
    auto *work = static_cast<DummyWork *>(ztsevAlloc(pool, sizeof(DummyWork), ZTSEV_ALLOC_ZEROED));
    work->values = static_cast<double *>(ztsevAllocArray(pool, int64_t(list->dummyCount) + 1, sizeof(double)));
    work->analysis = static_cast<double *>(ztsevAllocArray(pool, std::max(analysisCount, 1), sizeof(double)));
    work->analysisCount = analysisCount;
    list->dummyBuffers[0] = work;
    return work;
}

/* Creates the events that COMB members name without being events of the
 * list, before any column is defined. */
void createCombMembers(ZTSEV_LIST *list)
{
    for (ZTSEV_EVENT *event = list->first; event != nullptr; event = event->next) {
        if (event->cls != ZTSEV_CLASS_COMB) continue;
        for (const ZTSEVEventNamelist *node = event->members; node != nullptr; node = node->next) {
            char name[ZTSEV_NAME_SIZE + 1] = {};
            const int length = std::clamp<int>(node->name.length, 0, ZTSEV_NAME_SIZE);
            std::memcpy(name, node->name.text, size_t(length));
            int status = 0;
            if (ZTSEVFindEvent(list, name, &status) == nullptr)
                ZTSEVFindKeyword(list, list->datekeyList, name, length, name, length, &status);
        }
    }
}

/* The row callback's context. */
struct RowContext {
    const ZTS_PROC *live;    /* the step's context: interval, ID variable, SETMISSING */
    const double *timeIds;
    int64_t count;
    ZTSEV_OBSERVATIONS observations;
    int64_t taken;           /* observations taken so far */
    double current;          /* time ID of the observation taken last; missing past the end */
    const double *values;    /* its analysis values */
    double maxAligned;       /* aligned last time ID of the group */
    double aligned;          /* aligned current time ID */
    bool idsAligned;         /* aligning a time ID of the axis gives it back */
    bool started;
    double *analysis;
    int32_t analysisCount;
    double *timeIdSlot;
};

bool isMarkedM(double x) { return std::bit_cast<uint64_t>(x) == orvLetterMissingBits('M' - 'A'); }

double alignedOf(const ZTS_PROC *p, double x)
{
    const ZTS_TIMEID &raw = p->rawTime;
    if (raw.interval.code == ZINT_NONE || raw.idVarNo <= 0) return x;
    return zintnx3(&raw.interval, raw.alignment, nullptr, x, 0);
}

/* True when every time ID of the group's axis is its own aligned value,
 * so that an observation read at a time ID t needs no alignment: the axis
 * steps by a built-in interval to its begin, middle or end, and where that
 * lies depends on the interval alone.  (A custom interval marks positions
 * outside its table; the same alignment keeps a date's own position.) */
bool axisIdsAligned(const ZTS_PROC *p)
{
    const ZTS_TIMEID &raw = p->rawTime;
    if (raw.interval.code == ZINT_NONE || raw.idVarNo <= 0) return true;
    return raw.interval.code != ZINT_CUSTOM &&
           (raw.alignment == 'B' || raw.alignment == 'M' || raw.alignment == 'E');
}

/* Takes the group's next observation, read for the row of time ID t;
 * false at its end. */
bool readNext(RowContext *c, double t)
{
    if (c->taken >= c->observations.count) {
        c->current = orvMissing();
        return false;
    }
    const double *row = c->observations.rows + c->taken * c->observations.width;
    ++c->taken;
    c->current = row[0];
    c->values = row + 1;
    if (c->idsAligned && c->current == t)
        c->aligned = t;
    else if (!orvIsMissing(c->current))
        c->aligned = alignedOf(c->live, c->current);
    return true;
}

void fillMissing(RowContext *c)
{
    const ZTS_PROC *p = c->live;
    const double fill = p->setMissingCode == kSetMissingNumber ? p->setMissingValue : orvMissing();
    std::fill(c->analysis, c->analysis + c->analysisCount, fill);
}

void copyObservation(RowContext *c)
{
    const ZTS_PROC *p = c->live;
    for (int32_t i = 0; i < c->analysisCount; ++i) {
        const double v = c->values[i];
        c->analysis[i] = orvIsMissing(v) && p->setMissingCode == kSetMissingNumber ? p->setMissingValue : v;
    }
}

}  // namespace

void ZTSEVdsoutdummy(ZTSEV_LIST *list, ZTS_TIMEID *idInfo, ZTS_PROC *proc, ZTSEV_ANALYSIS analysis)
{
    createCombMembers(list);
    makeWork(list, analysis.count);
    for (ZTSEV_DSREC *record = list->dummyOutputs; record != nullptr; record = record->next)
        if (record->info.handle != nullptr) ZTSEVoutdumds(list, record, idInfo, proc, analysis);
}

int ZTSEVPutEVDum_init(ZTSEV_LIST *list, ZTSEV_DSREC *record, int32_t byCount, int32_t analysisCount)
{
    makeWork(list, analysisCount);
    const int columns = byCount + analysisCount + list->dummyCount + 1 + (record->summaryRequested != 0 ? 1 : 0);
    record->rowBinding = nullptr;
    void *binding = nullptr;
    const int status = xvputi(record->info.handle, columns, ORV_DS_VARIABLE_NAME_LENGTH, &binding);
    if (status == 0) record->rowBinding = binding;
    return status;
}

void ZTSEVoutdumds(ZTSEV_LIST *list, ZTSEV_DSREC *record, ZTS_TIMEID *idInfo, ZTS_PROC *proc,
                   ZTSEV_ANALYSIS analysis)
{
    if (ZTSEVPutEVDum_init(list, record, proc->byCount, analysis.count) != 0) {
        ztsevEndIfOutOfMemory();
        return;
    }
    void *binding = record->rowBinding;
    DummyWork *work = workOf(list);
    int status = ztsevDefineByColumns(binding, proc);
    if (status == 0) status = ztsevDefineTimeIdColumn(binding, idInfo, &list->outTimeId);
    DATA_SET_HANDLE *input = proc->ioInfo.byXofid;
    for (int32_t i = 0; status == 0 && i < analysis.count; ++i) {
        VARIABLE_DESCRIPTOR d{};
        xvname(input, analysis.numbers[i], &d);
        status = xvputd(binding, &d, 0, &work->analysis[i], sizeof(double), 0, 0);
    }
    int64_t slot = 0;
    for (ZTSEV_EVENT *event = list->first; status == 0 && event != nullptr; event = event->next) {
        if (!ztsevHasDummyColumn(event->cls)) continue;
        int labelLength = event->labelLength < 0 ? wzstlen(event->label) : event->labelLength;
        status = ztsevDefineNumber(binding, event->name.text, event->name.length, event->label,
                                   event->label != nullptr ? labelLength : 0, &work->values[slot++]);
    }
    if (status == 0 && record->summaryRequested != 0) {
        char label[ZTSEV_LABEL_SIZE];
        const int length = xpmrstr(ztsevLogHandle(), label, ZTSEV_MSG_SET, kLabelSummary, ORV_MSG_END);
        status = ztsevDefineNumber(binding, record->summaryName.text, record->summaryName.length, label,
                                   std::clamp(length, 0, ZTSEV_LABEL_SIZE), &work->values[slot]);
    }
    if (status == 0) status = xvpute(binding);
    ztsevEndIfOutOfMemory();
    if (status != 0) record->rowBinding = nullptr;
}

int ZTSEVPutEVDum(ZTSEV_LIST *list, const ZTS_PROC *live, ZTSEV_SERIES series, ZTSEV_OBSERVATIONS observations)
{
    DummyWork *work = workOf(list);
    if (work == nullptr || series.count < 1) return 0;
    for (ZTSEV_DSREC *record = list->dummyOutputs; record != nullptr; record = record->next) {
        if (record->info.handle == nullptr || record->rowBinding == nullptr) continue;
        /* Every data set of the group takes its rows from one block, which
         * the first reserves for the group: only that one can find no
         * memory, before any row of the group is written.  A spooled
         * block is made anew for each, and only a failing utility file
         * can stop a later one. */
        const bool summed = record->summaryRequested != 0;
        const int made = ztsevDummyBlockRows(list, &work->block, &series, summed);
        if (made != 0) return made;
        RowContext context{live,         series.timeIds, series.count, observations, 0, orvMissing(), nullptr,
                           alignedOf(live, live->maxId), orvMissing(), axisIdsAligned(live), false,
                           work->analysis, work->analysisCount, &list->outTimeId};
        ztsevDummyBlockWrite(&work->block, record->info.handle, static_cast<PUT_BINDING *>(record->rowBinding), summed,
                             &context, work->values, put_dates);
    }
    return 0;
}

int put_dates(void *context, int64_t row, int64_t, double *, int)
{
    auto *c = static_cast<RowContext *>(context);
    if (row >= c->count) return ZT_STOP;
    const double t = c->timeIds[row];
    *c->timeIdSlot = t;
    const ZTS_PROC *p = c->live;
    if (c->maxAligned < t) {
        std::fill(c->analysis, c->analysis + c->analysisCount, orvMissing());
        return ZT_TAKE;
    }
    if (p->rawTime.idVarNo <= 0) {
        if (readNext(c, t))
            copyObservation(c);
        else
            fillMissing(c);
        return ZT_TAKE;
    }
    /* Mostly the row's observation is the next one, read at t itself on an
     * aligned axis, after one aligned before t: taken as the loop below
     * would take it. */
    if (c->started && c->idsAligned && c->taken < c->observations.count && !orvIsMissing(c->current) &&
        !isMarkedM(c->aligned) && c->aligned < t) {
        const double *next = c->observations.rows + c->taken * c->observations.width;
        if (next[0] == t) {
            ++c->taken;
            c->current = next[0];
            c->values = next + 1;
            c->aligned = t;
            copyObservation(c);
            return ZT_TAKE;
        }
    }
    bool present = c->started ? !orvIsMissing(c->current) : readNext(c, t);
    c->started = true;
    while (present && (orvIsMissing(c->current) || isMarkedM(c->aligned) || c->aligned < t))
        present = readNext(c, t);
    if (present && !orvIsMissing(c->current) && c->aligned == t) {
        copyObservation(c);
        return ZT_TAKE;
    }
    if (p->setMissingCode == kSetMissingSkip) return ZT_SKIP;
    fillMissing(c);
    return ZT_TAKE;
}
