/*
 * event_shapes.cpp - the shape generators (see event_shapes.h): the
 * dispatcher, the pulses, the polynomial terms, INVERSE and LOG, and the
 * writers of the ramps and the temporary change, whose pieces are laid out
 * in shape_pieces.cpp and event_tc.cpp.
 */
#include "event/event_shapes.h"

#include <algorithm>
#include <cmath>

#include "event/event_window.h"
#include "event/shape_pieces.h"

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
    if (ztsevDatedOnObsSeries(kind, series)) return 0;
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
    if (ztsevDatedOnObsSeries(kind, series)) return 0;
    ZTSEV_WINDOW w;
    int rc = ztsevShapeWindow(event, key, ztsevKeyWindow(key, series), value, kind, series, &w);
    if (rc != 0) return rc;
    int status = 0;
    for (int64_t i = w.lo; i <= w.hi; ++i)
        ztsevPut(values, i, event->effective.rule, event->effective.value * std::pow(double(i - w.t), power), &status);
    return status;
}

int ZTSEVDate2ObsFunc(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                      const ZTSEV_SERIES *series, double *values)
{
    const int type = event->effective.type;
    if (type != ZTSEV_TYPE_INVERSE && type != ZTSEV_TYPE_LOG) return ZTSEV_BAD_TYPE;
    if (ztsevDatedOnObsSeries(kind, series)) return 0;
    ZTSEV_WINDOW w;
    int rc = ztsevShapeWindow(event, key, ztsevKeyWindow(key, series), value, kind, series, &w);
    if (rc != 0) return rc;
    const double v = event->effective.value;
    const int64_t start = w.allBefore ? 0 : w.rawBegin;
    int status = 0;
    for (int64_t i = w.lo; i <= w.hi; ++i) {
        double x = double(i - start + 1);
        ztsevPut(values, i, event->effective.rule, type == ZTSEV_TYPE_INVERSE ? v / x : v * std::log(x), &status);
    }
    return status;
}

int ZTSEVDate2Ramp(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                   const ZTSEV_SERIES *series, double *values)
{
    ZTSEVShapePieces pieces;
    const int rc = ztsevRampPieces(value, kind, event, key, series, &pieces);
    return rc != 0 ? rc : ztsevPutPieces(values, series->count, event->effective, pieces);
}

int ZTSEVDate2TC(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                 const ZTSEV_SERIES *series, double *values)
{
    ZTSEVShapePieces pieces;
    const int rc = ztsevTcPieces(value, kind, event, key, series, &pieces);
    return rc != 0 ? rc : ztsevPutPieces(values, series->count, event->effective, pieces);
}
