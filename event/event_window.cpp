/*
 * event_window.cpp - observation indices and windows of event occurrences
 * (see event_window.h).
 */
#include "event/event_window.h"

#include <algorithm>
#include <cmath>

#include "host/missing_values.h"
#include "interval/intnx.h"
#include "interval/interval_multiple.h"
#include "interval/timeid_index.h"

namespace {

constexpr double kSecondsPerDay = 86400.0;

bool obsSeries(const ZTSEV_SERIES *series) { return series->interval.interval.code == ZINT_OBS; }

/* Code of a raw index by the range [0, n). */
int64_t rangeCode(int64_t raw, int64_t n)
{
    if (raw < 0) return ZTSEV_POS_BEFORE;
    if (raw >= n) return ZTSEV_POS_AFTER;
    return raw;
}

int64_t clampIndex(int64_t x) { return std::clamp(x, -ZTSEV_INDEX_LIMIT, ZTSEV_INDEX_LIMIT); }

bool failed(int64_t code) { return code == ZTSEV_POS_FAILED || code == ZTSEV_POS_NO_START; }

/* Timing kind of values of an interval's kind. */
int kindOfInterval(const ZINT_DESC &desc)
{
    return desc.kind == 's' ? ZTSEV_KIND_DATETIME : desc.kind == 'o' ? ZTSEV_KIND_OBS : ZTSEV_KIND_DATE;
}

/* Durations in intervals from the stored form (n + 1, 0 = ALL), clamped. */
int64_t durationOf(int64_t stored) { return stored <= 1 ? 0 : std::min(stored - 1, ZTSEV_INDEX_LIMIT); }

}  // namespace

bool ztsevIndexOf(double value, int64_t *out)
{
    if (orvIsMissing(value)) return false;
    const double limit = double(ZTSEV_INDEX_LIMIT);
    *out = int64_t(std::clamp(std::trunc(value), -limit, limit));
    return true;
}

bool ztsevOwnPulse(const ZTSEV_EFFECTIVE *q, const ZTSEV_SERIES *series)
{
    int code = q->pulse.code;
    if (code == ZINT_NONE) return false;
    return !(obsSeries(series) && code >= ZINT_SECOND && code <= ZINT_YEAR);
}

int64_t date2pos(double value, int kind, const ZTSEV_SERIES *series, int64_t *raw)
{
    *raw = 0;
    const int64_t n = series->count;
    if (kind == ZTSEV_KIND_OBS) {
        int64_t number;
        if (!ztsevIndexOf(value, &number)) return ZTSEV_POS_FAILED;
        *raw = number - 1;
        return rangeCode(*raw, n);
    }
    const ZINT_DESC &interval = series->interval.interval;
    if (kind == ZTSEV_KIND_DATE && interval.kind == 's') value *= kSecondsPerDay;
    if (kind == ZTSEV_KIND_DATETIME && interval.kind != 's') value = std::floor(value / kSecondsPerDay);
    double start = series->firstTimeId;
    if (orvIsMissing(start)) {
        if (series->timeIds == nullptr || n < 1 || orvIsMissing(series->timeIds[0])) return ZTSEV_POS_NO_START;
        start = series->timeIds[0];
    }
    int64_t index = 0;
    if (zinttip2(&interval, 'B', &value, 1, 0, &index, start, nullptr, nullptr, nullptr) < 0)
        return ZTSEV_POS_FAILED;
    *raw = clampIndex(index);
    return rangeCode(*raw, n);
}

int64_t shiftByObs(int64_t raw, int64_t n, int64_t *code, double shift)
{
    int64_t steps = 0;
    ztsevIndexOf(shift, &steps);
    int64_t shifted = clampIndex(clampIndex(raw) + steps);
    *code = rangeCode(shifted, n);
    return shifted;
}

/* The position after a shift of `shift` intervals of the qualifiers q:
 * by q's own pulse interval with "same" alignment, else in observations. */
static int64_t shiftedPosition(const ZTSEV_EFFECTIVE *q, double value, int kind, const ZTSEV_SERIES *series,
                               int64_t *code, double *shiftedDate)
{
    int64_t raw = 0;
    if (ztsevOwnPulse(q, series)) {
        double moved = zintnx3(&q->pulse, 'S', nullptr, value, double(q->shift));
        if (shiftedDate != nullptr) *shiftedDate = moved;
        *code = date2pos(moved, kind, series, &raw);
        return raw;
    }
    *code = date2pos(value, kind, series, &raw);
    if (failed(*code)) return raw;
    raw = shiftByObs(raw, series->count, code, double(q->shift));
    if (shiftedDate != nullptr)
        *shiftedDate = zintnx2(&series->interval.interval, series->firstTimeId, double(raw));
    return raw;
}

int64_t ZTSEVCalcTimingObs(const ZTSEV_EVENT *event, const ZTSEV_EVENT *key, double value, int kind,
                           const ZTSEV_SERIES *series, int64_t *code, double *shiftedDate)
{
    if (shiftedDate != nullptr) *shiftedDate = value;
    if (event->effective.shift != 0) return shiftedPosition(&event->effective, value, kind, series, code, shiftedDate);
    if (key != nullptr && key->effective.shift != 0)
        return shiftedPosition(&key->effective, value, kind, series, code, shiftedDate);
    int64_t raw = 0;
    *code = date2pos(value, kind, series, &raw);
    return raw;
}

/* The interval a window of q is measured in: q's pulse interval, or the
 * series interval (times an OBS pulse's multiplier) when the pulse is OBS
 * or none on a dated series; datetime series measure in seconds.
 * Returns false when the multiple cannot be built. */
static bool windowInterval(const ZTSEV_EFFECTIVE *q, const ZTSEV_SERIES *series, ZINT_DESC *w)
{
    const ZINT_DESC &seriesInterval = series->interval.interval;
    if (obsSeries(series) || (q->pulse.code != ZINT_OBS && q->pulse.code != ZINT_NONE)) {
        *w = q->pulse.code == ZINT_NONE ? seriesInterval : q->pulse;
    } else if (zintMultiplierOf(q->pulse) < 2 || q->pulse.code == ZINT_NONE) {
        *w = seriesInterval;
    } else {
        ZINT_SEAS multiple{};
        if (zintmult(&series->interval, int(std::min<int64_t>(zintMultiplierOf(q->pulse), INT32_MAX)), &multiple,
                     ZINTMULT_NO_FIT) != 0)
            return false;
        *w = multiple.interval;
    }
    if (seriesInterval.kind == 's') w->kind = 's';
    return true;
}

int ZTSEVCalcBegEnd(const ZTSEV_EFFECTIVE *q, double value, int kind, const ZTSEV_SERIES *series, int64_t *begin,
                    int64_t *end, int64_t *rawBegin, int64_t *rawEnd, double *beginDate, double *endDate,
                    int *dateKind)
{
    ZINT_DESC w{};
    if (!windowInterval(q, series, &w)) return ZTSEV_CANNOT_PLACE;
    const ZINT_DESC &seriesInterval = series->interval.interval;
    double c = value;
    if (!obsSeries(series)) {
        if (kind == ZTSEV_KIND_OBS) {
            c = zintnx3(&seriesInterval, 'B', nullptr, series->firstTimeId, value - 1);
            if (w.kind == 's' && seriesInterval.kind != 's') c *= kSecondsPerDay;
        } else if (kind == ZTSEV_KIND_DATETIME) {
            w.kind = 's';
        } else if (w.kind == 's') {
            c *= kSecondsPerDay;
        }
    }
    if (q->shift != 0) c = zintnx3(&w, 'S', nullptr, c, double(q->shift));
    double first = zintnx3(&w, 'B', nullptr, c, q->before > 1 ? double(1 - q->before) : 0.0);
    double last = zintnx3(&w, 'E', nullptr, c, q->after > 1 ? double(q->after - 1) : 0.0);
    if (orvIsMissing(first) || orvIsMissing(last)) return ZTSEV_CANNOT_PLACE;
    const int wKind = kindOfInterval(w);
    const int64_t n = series->count;
    int64_t codeBegin = date2pos(first, wKind, series, rawBegin);
    int64_t codeEnd = date2pos(last, wKind, series, rawEnd);
    if (failed(codeBegin) || failed(codeEnd)) return ZTSEV_CANNOT_PLACE;
    const bool allBefore = q->before == 0, allAfter = q->after == 0;
    if (codeBegin == ZTSEV_POS_AFTER)
        *begin = allBefore ? 0 : *rawBegin;
    else
        *begin = (*rawBegin < 0 || allBefore) ? 0 : codeBegin;
    if (codeEnd == ZTSEV_POS_BEFORE)
        *end = allAfter ? n - 1 : *rawEnd;
    else
        *end = (*rawEnd >= n || allAfter) ? n - 1 : codeEnd;
    if (beginDate != nullptr) *beginDate = first;
    if (endDate != nullptr) *endDate = last;
    if (dateKind != nullptr) *dateKind = wKind;
    return 0;
}

int ZTSEVCalcBegEndObs(const ZTSEV_EFFECTIVE *q, double value, int kind, const ZTSEV_SERIES *series,
                       int64_t *begin, int64_t *end, int64_t *rawBegin, int64_t *rawEnd)
{
    int64_t raw = 0;
    if (failed(date2pos(value, kind, series, &raw))) return ZTSEV_CANNOT_PLACE;
    int64_t code = 0;
    const int64_t n = series->count;
    int64_t x = shiftByObs(raw, n, &code, double(q->shift));
    *rawBegin = x;
    *rawEnd = x;
    *begin = (q->before == 0 || x < 0) ? 0 : x;
    *end = (q->after == 0 || x >= n) ? n - 1 : x;
    return 0;
}

int ztsevShapeWindow(const ZTSEV_EVENT *event, const ZTSEV_EVENT *key, bool keyWindow, double value, int kind,
                     const ZTSEV_SERIES *series, ZTSEV_WINDOW *w)
{
    const ZTSEV_EFFECTIVE *q = &event->effective;
    const int64_t n = series->count;
    *w = ZTSEV_WINDOW{};
    w->allBefore = q->before == 0;
    w->allAfter = q->after == 0;
    w->before = durationOf(q->before);
    w->after = durationOf(q->after);
    w->lo = 0;
    w->hi = -1;
    const bool own = ztsevOwnPulse(q, series);
    if (keyWindow && key != nullptr) {
        w->form = ZTSEV_WINDOW_KEY;
        w->keyOwnPulse = own;
        int64_t code = 0;
        w->t = ZTSEVCalcTimingObs(event, key, value, kind, series, &code, nullptr);
        if (failed(code)) return ZTSEV_CANNOT_PLACE;
        int64_t kb, ke, krb, kre, unused1, unused2;
        double keyBegin = 0, keyEnd = 0;
        int keyKind = kind;
        if (ZTSEVCalcBegEnd(&key->effective, value, kind, series, &kb, &ke, &krb, &kre, &keyBegin, &keyEnd,
                            &keyKind) != 0)
            return 0;
        int64_t lo, hi;
        int rc = own ? ZTSEVCalcBegEnd(q, keyBegin, keyKind, series, &lo, &unused1, &w->rawBegin, &unused2, nullptr,
                                       nullptr, nullptr)
                     : ZTSEVCalcBegEndObs(q, keyBegin, keyKind, series, &lo, &unused1, &w->rawBegin, &unused2);
        if (rc == 0)
            rc = own ? ZTSEVCalcBegEnd(q, keyEnd, keyKind, series, &unused1, &hi, &unused2, &w->rawEnd, nullptr,
                                       nullptr, nullptr)
                     : ZTSEVCalcBegEndObs(q, keyEnd, keyKind, series, &unused1, &hi, &unused2, &w->rawEnd);
        if (rc != 0) return 0;
        w->lo = std::max<int64_t>(lo, 0);
        w->hi = std::min<int64_t>(hi, n - 1);
        return 0;
    }
    if (own) {
        w->form = ZTSEV_WINDOW_INTERVAL;
        int64_t code = 0;
        w->t = ZTSEVCalcTimingObs(event, nullptr, value, kind, series, &code, nullptr);
        if (failed(code)) return ZTSEV_CANNOT_PLACE;
        int64_t lo, hi;
        if (ZTSEVCalcBegEnd(q, value, kind, series, &lo, &hi, &w->rawBegin, &w->rawEnd, nullptr, nullptr, nullptr) != 0)
            return 0;
        w->lo = std::max<int64_t>(lo, 0);
        w->hi = std::min<int64_t>(hi, n - 1);
        return 0;
    }
    w->form = ZTSEV_WINDOW_PLAIN;
    int64_t raw = 0;
    if (failed(date2pos(value, kind, series, &raw))) return ZTSEV_CANNOT_PLACE;
    int64_t code = 0;
    w->t = shiftByObs(raw, n, &code, double(q->shift));
    w->rawBegin = w->allBefore ? w->t : w->t - w->before;
    w->rawEnd = w->allAfter ? w->t : w->t + w->after;
    w->lo = std::max<int64_t>(w->allBefore ? 0 : w->rawBegin, 0);
    w->hi = std::min<int64_t>(w->allAfter ? n - 1 : w->rawEnd, n - 1);
    return 0;
}
