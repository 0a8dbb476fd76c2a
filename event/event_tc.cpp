/*
 * event_tc.cpp - the temporary-change shape: runs of v * p^k with an
 * integer exponent k laid out by the slopes (see event_shapes.h for the
 * table of starting exponents, shape_pieces.h for what it exports).
 */
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "event/event_rules.h"
#include "event/event_window.h"
#include "event/shape_pieces.h"
#include "host/missing_values.h"
#include "host/numeric_utils.h"

double ztsevTcTerm(double v, double p, int64_t k)
{
    int status = 0;
    const double w = zpower(&status, p, double(k));
    const double sign = (p < 0 && k % 2 != 0) ? -1.0 : 1.0;
    switch (status) {
    case ZPOWER_OK:
        if (std::fabs(v) > 1 && std::fabs(w) > DBL_MAX / std::fabs(v)) return std::copysign(DBL_MAX, v * w);
        return w * v;
    case ZPOWER_OVERFLOW: return std::fabs(v) > 1 ? std::copysign(DBL_MAX, sign * v) : sign * DBL_MAX * v;
    case ZPOWER_ZERO_BASE: return 0.0;
    default: return orvMissing();
    }
}

int ZTSEVDummyTCValues(double *values, int64_t n, int64_t *begin, int64_t end, int64_t *counter, int rule,
                       double v, double p, int sign)
{
    if (*begin > end || *begin >= n) return ZTSEV_TC_OUTSIDE;
    if (*begin < 0) {
        *counter += -*begin;
        *begin = 0;
        if (end < 0 || n < 1) return ZTSEV_TC_OUTSIDE;
    }
    int status = 0;
    for (; *begin <= std::min(end, n - 1); ++*begin, ++*counter) {
        int rc = 0;
        values[*begin] = ZTSEVValueFromRule(rule, &rc, values[*begin], ztsevTcTerm(v, p, *counter * sign));
        status = rc;
    }
    return status;
}

namespace {

/* Lays out the runs of one occurrence as pieces. */
struct TcWriter {
    ZTSEVShapePieces *pieces;
    int64_t n;
    const ZTSEV_EFFECTIVE *q;

    /* Observations g to h with exponent (c, c + 1, ...) x sign. */
    void run(int64_t g, int64_t h, int64_t c, int slope) const
    {
        pieces->power(g, h, c, slope == ZTSEV_SLOPE_DECAY ? 1 : -1);
    }
};

/* Plain window: durations in observations around t. */
void plainRuns(const TcWriter &tc, const ZTSEV_WINDOW &w)
{
    const ZTSEV_EFFECTIVE *q = tc.q;
    const int64_t t = w.t, b = w.before, a = w.after;
    const int64_t S = w.allBefore ? 0 : t - b;
    const int64_t T = w.allAfter ? tc.n - 1 : t + a;
    const int sb = q->slopeBefore, sa = q->slopeAfter;
    const int64_t decayRef = w.allBefore ? t : t - b;
    if (sb == sa) {
        if (sa == ZTSEV_SLOPE_DECAY) {
            tc.run(S, T, S - decayRef, sa);
        } else {
            const int64_t R = (!w.allAfter && a >= 1) ? t + a : t;
            tc.run(S, T, S - R, sa);
        }
        return;
    }
    if (!w.allAfter && a == 0) {
        tc.run(S, t, sb == ZTSEV_SLOPE_GROWTH ? S - t : S - decayRef, sb);
        return;
    }
    if (!w.allBefore && b == 0) {
        if (sa == ZTSEV_SLOPE_GROWTH)
            tc.run(t, T, t - T, sa);
        else
            tc.run(t, T, 0, sa);
        return;
    }
    if (sb == ZTSEV_SLOPE_GROWTH) {
        tc.run(S, t, S - t, sb);
        tc.run(t + 1, T, 1, sa);
        return;
    }
    const int64_t L = (!w.allBefore && !w.allAfter) ? std::max(a, b) : (w.allBefore ? a : b);
    tc.run(S, t, S - t + L, sb);
    tc.run(t + 1, T, 1 - L, sa);
}

/* Interval or key window: raw begin B and end E' around the reference t. */
void windowRuns(const TcWriter &tc, const ZTSEV_WINDOW &w)
{
    const ZTSEV_EFFECTIVE *q = tc.q;
    const int64_t t = w.t, B = w.rawBegin, E = w.rawEnd;
    const int64_t g = w.allBefore ? 0 : B;
    const int64_t h = w.allAfter ? tc.n - 1 : E;
    const int sb = q->slopeBefore, sa = q->slopeAfter;
    if (sb == sa) {
        tc.run(g, h, sa == ZTSEV_SLOPE_DECAY ? g - B : g - E, sa);
    } else if (t <= B) {
        tc.run(g, h, sa == ZTSEV_SLOPE_DECAY ? g - t : g - E, sa);
    } else if (t >= E) {
        tc.run(g, h, sb == ZTSEV_SLOPE_GROWTH ? g - t : g - B, sb);
    } else if (sb == ZTSEV_SLOPE_GROWTH) {
        tc.run(g, t, g - t, sb);
        tc.run(t + 1, h, 1, sa);
    } else {
        const int64_t L = std::max(E - t, t - B);
        tc.run(g, t, g - t + L, sb);
        tc.run(t + 1, h, 1 - L, sa);
    }
}

}  // namespace

int ztsevTcPieces(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                  const ZTSEV_SERIES *series, ZTSEVShapePieces *pieces)
{
    pieces->count = 0;
    if (ztsevDatedOnObsSeries(kind, series)) return 0;
    ZTSEV_WINDOW w;
    int rc = ztsevShapeWindow(event, key, ztsevKeyWindow(key, series), value, kind, series, &w);
    if (rc != 0) return rc;
    if (w.lo > w.hi) return 0;
    const TcWriter tc{pieces, series->count, &event->effective};
    if (w.allBefore && w.allAfter) {
        tc.run(0, w.t, -w.t, tc.q->slopeBefore);
        tc.run(w.t + 1, tc.n - 1, 1, tc.q->slopeAfter);
    } else if (w.form == ZTSEV_WINDOW_PLAIN) {
        plainRuns(tc, w);
    } else {
        windowRuns(tc, w);
    }
    return 0;
}
