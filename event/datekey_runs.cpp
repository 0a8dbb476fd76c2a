/*
 * datekey_runs.cpp - runs of dates: time-ID grids (ZTSEVMakeTimeids), the
 * timing run of an event-data-set row (ZTSEVGetEventdataDates), an event's
 * occurrences repeated by its PERIOD= interval (ZTSEVMakePeriodicDates)
 * and the guarded interval steps they use (IntnxNearestIndex,
 * OpenNotAllowed).  See datekey_dates.h.
 */
#include <algorithm>
#include <cmath>

#include "event/datekey_dates.h"
#include "event/event_support.h"
#include "event/event_window.h"
#include "host/missing_values.h"
#include "host/text_fields.h"
#include "interval/intck.h"
#include "interval/interval_names.h"
#include "interval/intnx.h"

namespace {

constexpr double kSecondsPerDay = 86400.0;

/* True when a text column of the row is empty: blank or ".". */
bool emptyText(const ORV_COUNTED_NAME &field)
{
    int length = wzstrip(field.text, std::clamp<int>(field.length, 0, ZTSEV_NAME_SIZE));
    return length == 0 || (length == 1 && field.text[0] == '.');
}

bool given(double value) { return !orvIsMissing(value); }

/* The interval a run is written in; false when the text names none. */
bool runInterval(const ORV_COUNTED_NAME &field, ZINT_DESC *desc)
{
    int length = wzstrip(field.text, std::clamp<int>(field.length, 0, ZTSEV_NAME_SIZE));
    return zintstr(field.text, length, desc) == ZINTSTR_OK;
}

/* A run of one value. */
int single(double value, int64_t *count, double **values, MEMORY_OBJECT *pool)
{
    double *one = static_cast<double *>(pool->allocate(pool, sizeof(double), ZTSEV_ALLOC_PLAIN));
    if (one == nullptr) return ZTSEV_DK_NO_MEMORY;
    one[0] = value;
    *values = one;
    *count = 1;
    return 0;
}

/* A run from start to end by desc (or the single start). */
int run(double start, double end, bool intervalGiven, const ZINT_DESC &desc, int64_t *count, double **values,
        MEMORY_OBJECT *pool)
{
    if (!given(end)) return single(start, count, values, pool);
    if (end < start) return ZTSEV_DK_CANNOT_PLACE;
    if (!intervalGiven) return ZTSEV_DK_NO_INTERVAL;
    int32_t status = 0;
    *values = ZTSEVMakeTimeids(&desc, 'S', count, pool, &status, start, end);
    return status;
}

bool isCustom(const ZINT_DESC *desc) { return desc->code == ZINT_CUSTOM; }

}  // namespace

double *ZTSEVMakeTimeids(const ZINT_DESC *desc, char align, int64_t *count, MEMORY_OBJECT *pool, int32_t *status,
                         double start, double end)
{
    *count = 0;
    *status = 0;
    if (pool == nullptr) {
        *status = ZTSEV_DK_NO_POOL;
        return nullptr;
    }
    if (desc->code == ZINT_NONE) {
        *status = ZTSEV_DK_NO_INTERVAL;
        return nullptr;
    }
    const double steps = zintck2(desc, start, end);
    if (orvIsMissing(steps) || steps < 0 || steps >= double(ZTSEV_DATES_CAP)) {
        *status = ZTSEV_DK_CANNOT_PLACE;
        return nullptr;
    }
    const int64_t slots = int64_t(steps) + 1;
    double *grid = static_cast<double *>(pool->allocate(pool, size_t(slots) * sizeof(double), ZTSEV_ALLOC_PLAIN));
    if (grid == nullptr) {
        *status = ZTSEV_DK_NO_MEMORY;
        return nullptr;
    }
    /* A same-position step can land past the end (31 January by MONTH to
     * 15 March reaches 31 March): the grid stops at its end value. */
    for (int64_t i = 0; i < slots; ++i) {
        double value = zintnx4(desc, align, start, double(i));
        if (orvIsMissing(value) || value > end) break;
        grid[(*count)++] = value;
    }
    return grid;
}

int ZTSEVGetEventdataDates(const ZTSEV_ROWBUF *row, int64_t *count, double **values, int32_t *kind,
                           MEMORY_OBJECT *pool)
{
    *count = 0;
    *kind = 0;
    if (pool == nullptr) return ZTSEV_DK_NO_POOL;
    const bool noDateInterval = emptyText(row->dateInterval), noDtInterval = emptyText(row->dtInterval);
    ZINT_DESC desc{};
    if (given(row->startDate)) {
        if (given(row->startDatetime) || given(row->endDatetime) || given(row->startObs) || given(row->endObs) ||
            given(row->obsInterval) || !noDtInterval)
            return ZTSEV_DK_MIXED_ROW;
        *kind = ZTSEV_KIND_DATE;
        if (!noDateInterval && !runInterval(row->dateInterval, &desc)) zintic(ZINT_DAY, &desc);
        return run(row->startDate, row->endDate, !noDateInterval, desc, count, values, pool);
    }
    if (given(row->startDatetime)) {
        if (given(row->endDate) || given(row->startObs) || given(row->endObs) || given(row->obsInterval) ||
            !noDateInterval)
            return ZTSEV_DK_MIXED_ROW;
        *kind = ZTSEV_KIND_DATETIME;
        if (!noDtInterval && runInterval(row->dtInterval, &desc)) desc.kind = 's';
        return run(row->startDatetime, row->endDatetime, !noDtInterval, desc, count, values, pool);
    }
    if (given(row->startObs)) {
        if (given(row->endDate) || given(row->endDatetime) || !noDateInterval || !noDtInterval)
            return ZTSEV_DK_MIXED_ROW;
        *kind = ZTSEV_KIND_OBS;
        int64_t multiplier = 0;
        bool intervalGiven = given(row->obsInterval);
        if (intervalGiven && given(row->endObs) && row->endObs >= row->startObs &&
            (!ztsevTruncated(row->obsInterval, 1, INT32_MAX, &multiplier) ||
             double(multiplier) != row->obsInterval ||
             zinticms(ZINT_OBS, int(multiplier), 0, &desc) != ZINTSTR_OK))
            return ZTSEV_DK_NO_INTERVAL;
        return run(row->startObs, row->endObs, intervalGiven, desc, count, values, pool);
    }
    return ZTSEV_DK_NO_SPAN;
}

int IntnxNearestIndex(const ZINT_DESC *desc, char align, int32_t *mode, int32_t, double *value, double *steps)
{
    if (isCustom(desc)) return ZTSEV_DK_CANNOT_PLACE;
    const double before = *value;
    const double stepped = zintnx3(desc, align, nullptr, before, *steps);
    if (orvIsMissing(stepped)) return ZTSEV_DK_NO_SPAN;
    *value = stepped;
    if (*mode == 1) *steps = zintck2(desc, stepped, before);
    return 0;
}

int OpenNotAllowed(const ZINT_DESC *desc, char, int32_t *, int32_t, double *value, double *steps, double reference)
{
    const bool placed = !isCustom(desc) && !orvIsMissing(zintnx3(desc, 'B', nullptr, *value, 0)) &&
                        !orvIsMissing(zintnx3(desc, 'E', nullptr, *value, 0));
    if (!placed) {
        *steps = orvMissing();
        return ZTSEV_DK_CANNOT_PLACE;
    }
    *steps = zintck2(desc, reference, *value);
    return 0;
}

/* One widening step of a periodic window bound through IntnxNearestIndex;
 * false when it gives no value. */
static bool widen(const ZINT_DESC &w, char align, double *value, double steps, int32_t side)
{
    int32_t mode = 0;
    return IntnxNearestIndex(&w, align, &mode, side, value, &steps) == 0;
}

double *ZTSEVMakePeriodicDates(const ZTSEV_SERIES *series, const ZINT_DESC *period, const ZTSEV_EFFECTIVE *q,
                               int64_t *count, int32_t *kind, MEMORY_OBJECT *pool, double reference,
                               int32_t *status)
{
    *count = 0;
    *status = 0;
    const ZINT_DESC &si = series->interval.interval;
    const bool obs = si.code == ZINT_OBS;
    if (pool == nullptr) *status = ZTSEV_DK_NO_POOL;
    else if (si.code == ZINT_NONE) *status = ZTSEV_DK_NO_INTERVAL;
    else if (period->code == ZINT_NONE) *status = ZTSEV_DK_NO_PERIOD;
    else if (obs && period->code != ZINT_OBS) *status = ZTSEV_DK_NOT_FOR_INTERVAL;
    else if ((obs && *kind != ZTSEV_KIND_OBS) || orvIsMissing(reference) || isCustom(period))
        *status = ZTSEV_DK_CANNOT_PLACE;
    if (*status != 0) return nullptr;
    const int64_t before = q->before > 0 ? q->before - 1 : 0, after = q->after > 0 ? q->after - 1 : 0;
    double B = 0, E = 0;
    ZINT_DESC target = *period;
    if (obs) {
        B = 1.0 - double(after) - double(q->shift);
        E = double(series->count) + double(before) - double(q->shift);
    } else {
        B = zintnx3(&si, 'B', nullptr, series->firstTimeId, 0);
        E = zintnx3(&si, 'E', nullptr, B, double(series->count - 1));
        if (orvIsMissing(B) || orvIsMissing(E)) {
            *status = ZTSEV_DK_NO_SPAN;
            return nullptr;
        }
        ZINT_DESC w = q->pulse.code > ZINT_OBS ? q->pulse : si;
        const bool inSeconds = si.kind == 'd' && w.kind == 's';
        if (si.kind == 's') w.kind = 's';
        if (inSeconds) {
            B *= kSecondsPerDay;
            E *= kSecondsPerDay;
        }
        bool ok = (q->after == 0 || widen(w, 'B', &B, double(-after), 'N')) &&
                  (q->before == 0 || widen(w, 'E', &E, double(before), 'P')) &&
                  widen(w, 'B', &B, double(-q->shift), 'N') && widen(w, 'E', &E, double(-q->shift), 'P');
        if (!ok) {
            *status = ZTSEV_DK_NO_SPAN;
            return nullptr;
        }
        if (inSeconds) {
            B = std::floor(B / kSecondsPerDay);
            E = std::floor(E / kSecondsPerDay);
        }
        if (*kind == ZTSEV_KIND_OBS) {
            reference = zintnx3(&si, 'B', nullptr, series->firstTimeId, reference - 1);
            *kind = si.kind == 's' ? ZTSEV_KIND_DATETIME : ZTSEV_KIND_DATE;
        }
        if (period->code == ZINT_OBS) {
            int64_t rawB = 0, rawE = 0, rawR = 0;
            const int seriesKind = si.kind == 's' ? ZTSEV_KIND_DATETIME : ZTSEV_KIND_DATE;
            int64_t codes[3] = {date2pos(B, seriesKind, series, &rawB), date2pos(E, seriesKind, series, &rawE),
                                date2pos(reference, *kind, series, &rawR)};
            for (int64_t c : codes)
                if (c == ZTSEV_POS_FAILED || c == ZTSEV_POS_NO_START) {
                    *status = ZTSEV_DK_CANNOT_PLACE;
                    return nullptr;
                }
            B = double(rawB + 1);
            E = double(rawE + 1);
            reference = double(rawR + 1);
            *kind = ZTSEV_KIND_OBS;
        } else {
            if (period->kind == 's' && si.kind != 's') {
                B *= kSecondsPerDay;
                E *= kSecondsPerDay;
            } else if (period->kind != 's' && si.kind == 's') {
                B = std::floor(B / kSecondsPerDay);
                E = std::floor(E / kSecondsPerDay);
            }
            if (period->kind == 's' && *kind != ZTSEV_KIND_DATETIME) {
                reference *= kSecondsPerDay;
                *kind = ZTSEV_KIND_DATETIME;
            } else if (period->kind != 's' && *kind == ZTSEV_KIND_DATETIME) {
                reference = std::floor(reference / kSecondsPerDay);
                *kind = ZTSEV_KIND_DATE;
            }
        }
    }
    const double j0 = zintck2(&target, reference, B), j1 = zintck2(&target, reference, E);
    /* B <= E, so j0 <= j1; the counts size the array and must be sound. */
    if (orvIsMissing(j0) || orvIsMissing(j1) || j1 < j0 || j1 - j0 >= double(ZTSEV_DATES_CAP)) {
        *status = ZTSEV_DK_CANNOT_PLACE;
        return nullptr;
    }
    double *dates = static_cast<double *>(ztsevAllocArray(pool, int64_t(j1 - j0) + 1, sizeof(double)));
    for (double j = j0; j <= j1; ++j) {
        double d = zintnx3(&target, 'S', nullptr, reference, j);
        if (!orvIsMissing(d) && B <= d && d <= E) dates[(*count)++] = d;
    }
    return dates;
}
