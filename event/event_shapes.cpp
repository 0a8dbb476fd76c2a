/*
 * event_shapes.cpp - the shape generators (see event_shapes.h): the
 * dispatcher, the pulses, the polynomial terms, INVERSE and LOG, and the
 * ramps.  The temporary change is in event_tc.cpp.
 */
#include "event/event_shapes.h"

#include <algorithm>
#include <cmath>

#include "event/event_rules.h"
#include "event/event_window.h"

namespace {

/* Combines shape into values[i] by rule; keeps the first failing status. */
void put(double *values, int64_t i, int rule, double shape, int *status)
{
    int rc = 0;
    values[i] = ZTSEVValueFromRule(rule, &rc, values[i], shape);
    if (rc != 0) *status = rc;
}

bool datedOnObsSeries(int kind, const ZTSEV_SERIES *series)
{
    return series->interval.interval.code == ZINT_OBS && kind != ZTSEV_KIND_OBS;
}

}  // namespace

int ztsevPutRange(double *values, int64_t n, int64_t lo, int64_t hi, int rule, double v)
{
    int status = 0;
    for (int64_t i = std::max<int64_t>(lo, 0); i <= std::min(hi, n - 1); ++i) put(values, i, rule, v, &status);
    return status;
}

bool ztsevKeyWindow(const ZTSEV_EVENT *key, const ZTSEV_SERIES *series)
{
    if (key == nullptr) return false;
    if (ztsevOwnPulse(&key->effective, series)) return true;
    return !(key->effective.before == 1 && key->effective.after == 1);
}

int ZTSEVDate2Shape(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                    const ZTSEV_SERIES *series, double *values)
{
    switch (event->effective.type) {
    case ZTSEV_TYPE_POINT:
    case ZTSEV_TYPE_LS: return ZTSEVDate2Pulse(value, kind, event, key, series, values);
    case ZTSEV_TYPE_RAMP:
    case ZTSEV_TYPE_TR: return ZTSEVDate2Ramp(value, kind, event, key, series, values);
    case ZTSEV_TYPE_TC: return ZTSEVDate2TC(value, kind, event, key, series, values);
    case ZTSEV_TYPE_LINEAR: return ZTSEVDate2PolyTerm(value, kind, event, key, series, values, 1);
    case ZTSEV_TYPE_QUAD: return ZTSEVDate2PolyTerm(value, kind, event, key, series, values, 2);
    case ZTSEV_TYPE_CUBIC: return ZTSEVDate2PolyTerm(value, kind, event, key, series, values, 3);
    case ZTSEV_TYPE_INVERSE:
    case ZTSEV_TYPE_LOG: return ZTSEVDate2ObsFunc(value, kind, event, key, series, values);
    default: return 0;
    }
}

int ztsevPulseRange(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                    const ZTSEV_SERIES *series, int64_t *lo, int64_t *hi)
{
    *lo = 0;
    *hi = -1;
    if (datedOnObsSeries(kind, series)) return 0;
    const bool keyWindow = ztsevKeyWindow(key, series);
    ZTSEV_WINDOW w;
    int rc = ztsevShapeWindow(event, keyWindow ? key : nullptr, keyWindow, value, kind, series, &w);
    if (rc != 0) return rc;
    if (!keyWindow || w.keyOwnPulse) {
        *lo = w.lo;
        *hi = w.hi;
        return 0;
    }
    const int64_t n = series->count;
    int64_t keyBegin, keyEnd, rawBegin, rawEnd;
    if (ZTSEVCalcBegEnd(&key->effective, value, kind, series, &keyBegin, &keyEnd, &rawBegin, &rawEnd, nullptr, nullptr,
                        nullptr) != 0)
        return 0;
    /* The key's raw window is moved, and only then clipped: a window that
     * reaches past an end of the series can be shifted back into it.  A
     * side of ALL stays at the series' edge. */
    if (key->effective.before != 0) keyBegin = rawBegin;
    if (key->effective.after != 0) keyEnd = rawEnd;
    int64_t unused = 0;
    const int64_t shift = shiftByObs(0, n, &unused, double(event->effective.shift));
    *lo = std::max<int64_t>(w.allBefore ? 0 : keyBegin + shift - w.before, 0);
    *hi = std::min<int64_t>(w.allAfter ? n - 1 : keyEnd + shift + w.after, n - 1);
    return 0;
}

int ZTSEVDate2Pulse(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                    const ZTSEV_SERIES *series, double *values)
{
    int64_t lo = 0, hi = -1;
    int rc = ztsevPulseRange(value, kind, event, key, series, &lo, &hi);
    if (rc != 0) return rc;
    return ztsevPutRange(values, series->count, lo, hi, event->effective.rule, event->effective.value);
}

int ZTSEVDate2PulseR(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                     const ZTSEV_SERIES *series, double *values)
{
    return ZTSEVDate2Pulse(value, kind, event, key, series, values);
}

int ZTSEVDate2PolyTerm(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                       const ZTSEV_SERIES *series, double *values, int power)
{
    if (datedOnObsSeries(kind, series)) return 0;
    ZTSEV_WINDOW w;
    int rc = ztsevShapeWindow(event, key, ztsevKeyWindow(key, series), value, kind, series, &w);
    if (rc != 0) return rc;
    int status = 0;
    for (int64_t i = w.lo; i <= w.hi; ++i)
        put(values, i, event->effective.rule, event->effective.value * std::pow(double(i - w.t), power), &status);
    return status;
}

int ZTSEVDate2ObsFunc(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                      const ZTSEV_SERIES *series, double *values)
{
    const int type = event->effective.type;
    if (type != ZTSEV_TYPE_INVERSE && type != ZTSEV_TYPE_LOG) return ZTSEV_BAD_TYPE;
    if (datedOnObsSeries(kind, series)) return 0;
    ZTSEV_WINDOW w;
    int rc = ztsevShapeWindow(event, key, ztsevKeyWindow(key, series), value, kind, series, &w);
    if (rc != 0) return rc;
    const double v = event->effective.value;
    const int64_t start = w.allBefore ? 0 : w.rawBegin;
    int status = 0;
    for (int64_t i = w.lo; i <= w.hi; ++i) {
        double x = double(i - start + 1);
        put(values, i, event->effective.rule, type == ZTSEV_TYPE_INVERSE ? v / x : v * std::log(x), &status);
    }
    return status;
}

int ZTSEVDate2Ramp(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                   const ZTSEV_SERIES *series, double *values)
{
    if (datedOnObsSeries(kind, series)) return 0;
    const ZTSEV_EFFECTIVE *q = &event->effective;
    const int64_t n = series->count;
    ZTSEV_WINDOW w;
    int rc = ztsevShapeWindow(event, key, ztsevKeyWindow(key, series), value, kind, series, &w);
    if (rc != 0) return rc;
    const double v = q->value;
    const int64_t t = w.t, B = w.rawBegin, E = w.rawEnd;
    const bool growthBefore = q->slopeBefore == ZTSEV_SLOPE_GROWTH;
    const bool growthAfter = q->slopeAfter == ZTSEV_SLOPE_GROWTH;
    int status = 0;
    if (w.allBefore && w.allAfter) {
        for (int64_t i = w.lo; i <= w.hi; ++i) {
            bool growth = i < t ? growthBefore : growthAfter;
            put(values, i, q->rule, (growth ? v : -v) * double(i - t), &status);
        }
        return status;
    }
    const bool zeroDurations = w.form == ZTSEV_WINDOW_PLAIN ? (q->before == 1 && q->after == 1)
                                                             : (B == E && E == t && !w.allBefore && !w.allAfter);
    if (zeroDurations) {
        if (t >= 0 && t < n) put(values, t, q->rule, 0.0, &status);
        return status;
    }
    if (q->slopeBefore == q->slopeAfter) {
        const double L = double(std::max<int64_t>(E - B, 1));
        for (int64_t i = w.lo; i <= w.hi; ++i)
            put(values, i, q->rule, growthAfter ? v * double(i - B) / L : -v * double(i - E) / L, &status);
    } else {
        const double before = double(std::max<int64_t>(t - B, 1));
        const double after = double(std::max<int64_t>(E - t, 1));
        for (int64_t i = w.lo; i <= w.hi; ++i) {
            double shape = i <= t ? (growthBefore ? v * double(i - B) / before : -v * double(i - t) / before)
                                  : (growthAfter ? v * double(i - t) / after : -v * double(i - E) / after);
            put(values, i, q->rule, shape, &status);
        }
    }
    if (q->type == ZTSEV_TYPE_RAMP) {
        if (growthAfter && !w.allAfter) {
            int rcLevel = ztsevPutRange(values, n, std::max(E + 1, w.hi + 1), n - 1, q->rule, v);
            if (rcLevel != 0) status = rcLevel;
        }
        if (!growthBefore && !w.allBefore && B >= 0 && B < n) {
            int rcLevel = ztsevPutRange(values, n, 0, std::min(B, w.lo) - 1, q->rule, v);
            if (rcLevel != 0) status = rcLevel;
        }
    }
    return status;
}
