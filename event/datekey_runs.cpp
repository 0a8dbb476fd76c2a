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
#include "interval/custom_manager.h"
#include "interval/custom_periods.h"
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

/* A missing value that is not a custom position (.M or .I). */
bool ordinaryMissing(double value)
{
    return orvIsMissing(value) && !zintIsCustomPosition(value, 'M') && !zintIsCustomPosition(value, 'I');
}

/* The raw period of a custom interval that holds value, or the hole it lies
 * in ('H'), or "." when the calendar cannot say. */
double rawPlace(const ZINT_DESC &desc, double value, double *holeBegin, double *holeEnd)
{
    ZINT_SEAS rec{};
    rec.interval = desc;
    double raw = 0;
    const double where = customFindRawIndexC(&rec, &raw, holeBegin, holeEnd, value);
    zcintcReleaseRef(rec.customRef);
    return where;
}

/* A reference value that a custom period can repeat: inside a period or
 * before or after the calendar, not in a gap. */
bool onCalendar(const ZINT_DESC &desc, double value)
{
    double holeBegin = 0, holeEnd = 0;
    const double where = rawPlace(desc, value, &holeBegin, &holeEnd);
    return !ordinaryMissing(where) && !zintIsCustomPosition(where, 'H');
}

/* For a value in a gap of a custom calendar, a value inside the period that
 * side names: 'L' or 'N' the period before the gap, 'P' or 'R' the one
 * after it, 'C' the one whose alignment point is closer (a tie takes the
 * one before).  False when value is in no gap. */
bool gapNeighbour(const ZINT_DESC &desc, char align, int32_t side, double value, double *inside)
{
    double holeBegin = 0, holeEnd = 0;
    if (!zintIsCustomPosition(rawPlace(desc, value, &holeBegin, &holeEnd), 'H')) return false;
    const double previous = holeBegin - 1, next = holeEnd + 1;
    switch (side) {
    case 'L':
    case 'N': *inside = previous; return true;
    case 'P':
    case 'R': *inside = next; return true;
    case 'C': {
        const double p = zintnx3(&desc, align, nullptr, previous, 0), q = zintnx3(&desc, align, nullptr, next, 0);
        if (orvIsMissing(p) || orvIsMissing(q)) return false;
        *inside = value - p <= q - value ? previous : next;
        return true;
    }
    default: return false;
    }
}

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

double ztsevCustomBoundStep(const ZINT_DESC &w, char align, double x, double n, bool seconds)
{
    const bool days = seconds && w.kind != 's' && !orvIsMissing(x);
    const double from = days ? std::floor(x / kSecondsPerDay) : x;
    double stepped = zintnx3(&w, align, nullptr, from, n);
    if (ordinaryMissing(stepped) && n != 0 && !ordinaryMissing(zintnx3(&w, 'B', nullptr, from, 0)))
        stepped = zintCustomPosition(n < 0 ? 'M' : 'I');
    if (!days || orvIsMissing(stepped)) return stepped;
    return align == 'E' ? stepped * kSecondsPerDay + (kSecondsPerDay - 1) : stepped * kSecondsPerDay;
}

int IntnxNearestIndex(const ZINT_DESC *desc, char align, int32_t *mode, int32_t side, double *value, double *steps)
{
    const double before = *value;
    if (!isCustom(desc)) {
        const double stepped = zintnx3(desc, align, nullptr, before, *steps);
        if (orvIsMissing(stepped)) return ZTSEV_DK_NO_SPAN;
        *value = stepped;
        if (*mode == 1) *steps = zintck2(desc, before, stepped);
        return 0;
    }
    double stepped = ztsevCustomBoundStep(*desc, align, before, *steps, false);
    if (ordinaryMissing(stepped)) {
        double inside = 0;
        if (!gapNeighbour(*desc, align, side, before, &inside)) return ZTSEV_DK_NO_SPAN;
        stepped = ztsevCustomBoundStep(*desc, align, inside, *steps, false);
    }
    *value = stepped;
    return OpenNotAllowed(desc, align, mode, side, value, steps, before);
}

int OpenNotAllowed(const ZINT_DESC *desc, char align, int32_t *, int32_t side, double *value, double *steps,
                   double reference)
{
    double v = *value;
    if (!isCustom(desc)) {
        if (orvIsMissing(zintnx3(desc, 'B', nullptr, v, 0)) || orvIsMissing(zintnx3(desc, 'E', nullptr, v, 0))) {
            *steps = orvMissing();
            return ZTSEV_DK_CANNOT_PLACE;
        }
        *steps = zintck2(desc, reference, v);
        return 0;
    }
    /* One move inward out of an open period; a value still without both
     * ends (a calendar without a closed period) cannot be placed. */
    for (bool moved = false;; moved = true) {
        const double begin = zintnx3(desc, 'B', nullptr, v, 0), end = zintnx3(desc, 'E', nullptr, v, 0);
        if (!orvIsMissing(begin) && !orvIsMissing(end)) break;
        const bool beforeData = zintIsCustomPosition(begin, 'M'), afterData = zintIsCustomPosition(end, 'I');
        if (moved || !(beforeData || afterData)) {
            *steps = orvMissing();
            return ZTSEV_DK_CANNOT_PLACE;
        }
        v = zintnx3(desc, align, nullptr, v, beforeData ? 1 : -1);
        const double count = zintck2(desc, reference, v);
        if ((side == 'N' && count > 0) || (side == 'P' && count < 0)) {
            *steps = orvMissing();
            return ZTSEV_DK_CANNOT_PLACE;
        }
    }
    *value = v;
    *steps = zintck2(desc, reference, v);
    return 0;
}

namespace {

/* One widening or aligning step of a periodic window bound.  On a custom
 * interval a step that runs off the calendar (.M, .I) stops at its first
 * begin or last closed end and ends the widening of that side (*open
 * false); a bound in a gap moves to the neighbour that side names
 * (IntnxNearestIndex).  False when the step gives no value. */
bool stepBound(const ZINT_DESC &w, char align, double *x, double n, int32_t side, bool *open)
{
    if (!*open) return true;
    double stepped = 0;
    if (!isCustom(&w)) {
        stepped = zintnx3(&w, align, nullptr, *x, n);
    } else {
        stepped = ztsevCustomBoundStep(w, align, *x, n, false);
        if (zintIsCustomPosition(stepped, 'M') || zintIsCustomPosition(stepped, 'I')) {
            stepped = zintnx3(&w, align, nullptr, stepped, zintIsCustomPosition(stepped, 'M') ? 1 : -1);
            *open = false;
        } else if (orvIsMissing(stepped)) {
            int32_t mode = 0;
            double steps = n;
            stepped = *x;
            if (IntnxNearestIndex(&w, align, &mode, side, &stepped, &steps) != 0) return false;
        }
    }
    if (orvIsMissing(stepped)) return false;
    *x = stepped;
    return true;
}

}  // namespace

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
    else if ((obs && *kind != ZTSEV_KIND_OBS) || orvIsMissing(reference) ||
             (isCustom(period) && !onCalendar(*period, reference)))
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
        /* A custom series that starts before its calendar or ends after
         * it spans from the first period or to the last closed one, and
         * that side is not widened. */
        bool widenB = true, widenE = true;
        if (isCustom(&si) && zintIsCustomPosition(B, 'M')) {
            B = zintnx3(&si, 'B', nullptr, B, 1);
            widenB = false;
        }
        if (isCustom(&si) && zintIsCustomPosition(E, 'I')) {
            E = zintnx3(&si, 'E', nullptr, E, -1);
            widenE = false;
        }
        if (orvIsMissing(B) || orvIsMissing(E)) {
            *status = ZTSEV_DK_NO_SPAN;
            return nullptr;
        }
        ZINT_DESC w = q->pulse.code > ZINT_OBS ? q->pulse : si;
        const bool inSeconds = si.kind == 'd' && w.kind == 's';
        /* A custom calendar of days widens a datetime series in days. */
        const bool inDays = si.kind == 's' && isCustom(&w) && w.kind != 's';
        if (si.kind == 's' && !isCustom(&w)) w.kind = 's';
        if (inSeconds) {
            B *= kSecondsPerDay;
            E *= kSecondsPerDay;
        } else if (inDays) {
            B = std::floor(B / kSecondsPerDay);
            E = std::floor(E / kSecondsPerDay);
        }
        const bool ok = (q->after == 0 || stepBound(w, 'B', &B, double(-after), 'N', &widenB)) &&
                        (q->before == 0 || stepBound(w, 'E', &E, double(before), 'P', &widenE)) &&
                        stepBound(w, 'B', &B, double(-q->shift), 'N', &widenB) &&
                        stepBound(w, 'E', &E, double(-q->shift), 'P', &widenE);
        if (!ok) {
            *status = ZTSEV_DK_NO_SPAN;
            return nullptr;
        }
        if (inSeconds) {
            B = std::floor(B / kSecondsPerDay);
            E = std::floor(E / kSecondsPerDay);
        } else if (inDays) {
            B *= kSecondsPerDay;
            E = E * kSecondsPerDay + (kSecondsPerDay - 1);
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
            bool alignB = true, alignE = true;
            if (isCustom(period) && (!stepBound(*period, 'B', &B, 0, 'N', &alignB) ||
                                     !stepBound(*period, 'E', &E, 0, 'P', &alignE))) {
                *status = ZTSEV_DK_CANNOT_PLACE;
                return nullptr;
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
