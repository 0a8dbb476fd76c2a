/*
 * shape_pieces.cpp - the pieces of a RAMP, TR or TC occurrence and their
 * writer, the range writer and the window tests the shapes share (see
 * shape_pieces.h).  The TC runs are laid out in event_tc.cpp.
 */
#include "event/shape_pieces.h"

#include <algorithm>

#include "event/event_rules.h"
#include "event/event_window.h"

bool ztsevDatedOnObsSeries(int kind, const ZTSEV_SERIES *series)
{
    return series->interval.interval.code == ZINT_OBS && kind != ZTSEV_KIND_OBS;
}

bool ztsevKeyWindow(const ZTSEV_EVENT *key, const ZTSEV_SERIES *series)
{
    if (key == nullptr) return false;
    if (ztsevOwnPulse(&key->effective, series)) return true;
    return !(key->effective.before == 1 && key->effective.after == 1);
}

void ztsevPut(double *values, int64_t i, int rule, double v, int *status)
{
    int rc = 0;
    values[i] = ZTSEVValueFromRule(rule, &rc, values[i], v);
    if (rc != 0) *status = rc;
}

int ztsevPutRange(double *values, int64_t n, int64_t lo, int64_t hi, int rule, double v)
{
    int status = 0;
    for (int64_t i = std::max<int64_t>(lo, 0); i <= std::min(hi, n - 1); ++i) ztsevPut(values, i, rule, v, &status);
    return status;
}

void ZTSEVShapePieces::level(int64_t lo, int64_t hi, double value)
{
    if (lo <= hi && count < kMost) piece[count++] = {ZTSEV_PIECE_LEVEL, lo, hi, value, 0, 1.0, 0};
}

void ZTSEVShapePieces::line(int64_t lo, int64_t hi, double scale, int64_t ref, double divisor)
{
    if (lo <= hi && count < kMost) piece[count++] = {ZTSEV_PIECE_LINE, lo, hi, scale, ref, divisor, 0};
}

void ZTSEVShapePieces::power(int64_t lo, int64_t hi, int64_t counter, int sign)
{
    if (count < kMost) piece[count++] = {ZTSEV_PIECE_POWER, lo, hi, 0.0, counter, 1.0, sign};
}

int ztsevRampPieces(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                    const ZTSEV_SERIES *series, ZTSEVShapePieces *pieces)
{
    pieces->count = 0;
    if (ztsevDatedOnObsSeries(kind, series)) return 0;
    const ZTSEV_EFFECTIVE *q = &event->effective;
    const int64_t n = series->count;
    ZTSEV_WINDOW w;
    int rc = ztsevShapeWindow(event, key, ztsevKeyWindow(key, series), value, kind, series, &w);
    if (rc != 0) return rc;
    const double v = q->value;
    const int64_t t = w.t, B = w.rawBegin, E = w.rawEnd;
    const bool growthBefore = q->slopeBefore == ZTSEV_SLOPE_GROWTH;
    const bool growthAfter = q->slopeAfter == ZTSEV_SLOPE_GROWTH;
    if (w.allBefore && w.allAfter) {
        pieces->line(w.lo, std::min(w.hi, t - 1), growthBefore ? v : -v, t, 1.0);
        pieces->line(std::max(w.lo, t), w.hi, growthAfter ? v : -v, t, 1.0);
        return 0;
    }
    const bool zeroDurations = w.form == ZTSEV_WINDOW_PLAIN ? (q->before == 1 && q->after == 1)
                                                             : (B == E && E == t && !w.allBefore && !w.allAfter);
    if (zeroDurations) {
        if (t >= 0 && t < n) pieces->level(t, t, 0.0);
        return 0;
    }
    if (q->slopeBefore == q->slopeAfter) {
        const double L = double(std::max<int64_t>(E - B, 1));
        pieces->line(w.lo, w.hi, growthAfter ? v : -v, growthAfter ? B : E, L);
    } else {
        const double before = double(std::max<int64_t>(t - B, 1));
        const double after = double(std::max<int64_t>(E - t, 1));
        pieces->line(w.lo, std::min(w.hi, t), growthBefore ? v : -v, growthBefore ? B : t, before);
        pieces->line(std::max(w.lo, t + 1), w.hi, growthAfter ? v : -v, growthAfter ? t : E, after);
    }
    /* RAMP holds the level v past a finite growing end and before a
     * finite decaying start. */
    if (q->type == ZTSEV_TYPE_RAMP) {
        if (growthAfter && !w.allAfter) pieces->level(std::max({E + 1, w.hi + 1, int64_t(0)}), n - 1, v);
        if (!growthBefore && !w.allBefore && B >= 0 && B < n) pieces->level(0, std::min(B, w.lo) - 1, v);
    }
    return 0;
}

int ztsevPutPiece(double *values, int64_t n, const ZTSEV_EFFECTIVE &q, const ZTSEVShapePiece &piece)
{
    switch (piece.form) {
    case ZTSEV_PIECE_LEVEL: return ztsevPutRange(values, n, piece.lo, piece.hi, q.rule, piece.scale);
    case ZTSEV_PIECE_LINE: {
        int status = 0;
        for (int64_t i = std::max<int64_t>(piece.lo, 0); i <= std::min(piece.hi, n - 1); ++i)
            ztsevPut(values, i, q.rule, piece.scale * double(i - piece.ref) / piece.divisor, &status);
        return status;
    }
    default: {
        int64_t begin = piece.lo, counter = piece.ref;
        return ZTSEVDummyTCValues(values, n, &begin, piece.hi, &counter, q.rule, q.value, q.tcParm, piece.sign);
    }
    }
}

int ztsevPutPieces(double *values, int64_t n, const ZTSEV_EFFECTIVE &q, const ZTSEVShapePieces &pieces)
{
    int status = 0;
    for (int k = 0; k < pieces.count; ++k) {
        const int rc = ztsevPutPiece(values, n, q, pieces.piece[k]);
        if (rc != 0 && rc != ZTSEV_TC_OUTSIDE) status = rc;
    }
    return status;
}

int64_t ztsevPiecesLength(const ZTSEVShapePieces &pieces, int64_t n)
{
    int64_t length = 0;
    for (int k = 0; k < pieces.count; ++k)
        length += std::max<int64_t>(std::min(pieces.piece[k].hi, n - 1) - std::max<int64_t>(pieces.piece[k].lo, 0) + 1, 0);
    return length;
}
