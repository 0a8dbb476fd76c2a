/*
 * shape_pieces.h - one occurrence of a RAMP, TR or TC shape as a few
 * pieces, each a stretch of observations with one formula.  The shape
 * writers lay the pieces into the dummy series; the occurrence writer
 * (occurrence_writer.h) looks at them first, so that stretches which run
 * to an end of the series can be merged once for all occurrences.
 *
 * Exports: ZTSEVShapePiece, ZTSEVShapePieces, ztsevRampPieces,
 * ztsevTcPieces, ztsevPutPiece, ztsevPutPieces, ztsevPiecesLength,
 * ztsevPut, ztsevPutRange, ZTSEVDummyTCValues, ztsevTcTerm,
 * ztsevDatedOnObsSeries, ztsevKeyWindow.
 */
#ifndef ORV_EVENT_SHAPE_PIECES_H
#define ORV_EVENT_SHAPE_PIECES_H

#include <cstdint>

#include "event/event_records.h"

/* Status of ZTSEVDummyTCValues when its run lies outside the series. */
constexpr int ZTSEV_TC_OUTSIDE = 10;

/* True for a dated timing value on an observation-indexed series: it
 * contributes nothing. */
bool ztsevDatedOnObsSeries(int kind, const ZTSEV_SERIES *series);

/* True when a key event's own window shapes the occurrence: the key has a
 * pulse interval of its own, or its durations are not both 0. */
bool ztsevKeyWindow(const ZTSEV_EVENT *key, const ZTSEV_SERIES *series);

enum {
    ZTSEV_PIECE_LEVEL, /* scale at every observation */
    ZTSEV_PIECE_LINE,  /* scale * (i - ref) / divisor at observation i */
    ZTSEV_PIECE_POWER  /* v * p^(k * sign), k = counter, counter + 1, ... */
};

struct ZTSEVShapePiece {
    int form;       /* ZTSEV_PIECE_* */
    int64_t lo, hi; /* observations; LEVEL and LINE within the series, a
                       POWER run as ZTSEVDummyTCValues takes it */
    double scale;   /* LEVEL: the value; LINE: the factor */
    int64_t ref;    /* LINE: the reference observation; POWER: the counter at lo */
    double divisor; /* LINE */
    int sign;       /* POWER: 1 for a decaying run, -1 for a growing one */
};

/* The pieces of one occurrence, in the order the shape writes them. */
struct ZTSEVShapePieces {
    static constexpr int kMost = 4;
    int count = 0;
    ZTSEVShapePiece piece[kMost];

    /* Empty stretches are left out. */
    void level(int64_t lo, int64_t hi, double value);
    void line(int64_t lo, int64_t hi, double scale, int64_t ref, double divisor);
    void power(int64_t lo, int64_t hi, int64_t counter, int sign);
};

/* The pieces of one RAMP or TR occurrence (see ZTSEVDate2Ramp); returns 0,
 * or 15 when it cannot be placed. */
int ztsevRampPieces(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                    const ZTSEV_SERIES *series, ZTSEVShapePieces *pieces);

/* The runs of one TC occurrence (see ZTSEVDate2TC); returns 0, or 15 when
 * it cannot be placed. */
int ztsevTcPieces(double value, int kind, const ZTSEV_EVENT *event, const ZTSEV_EVENT *key,
                  const ZTSEV_SERIES *series, ZTSEVShapePieces *pieces);

/* Merges piece into values (n observations) by the rule of q.  Returns 0,
 * the rule's failing status, or 10 for a POWER run outside the series. */
int ztsevPutPiece(double *values, int64_t n, const ZTSEV_EFFECTIVE &q, const ZTSEVShapePiece &piece);

/* Merges every piece into values; keeps the last failing status (a POWER
 * run outside the series is not a failure). */
int ztsevPutPieces(double *values, int64_t n, const ZTSEV_EFFECTIVE &q, const ZTSEVShapePieces &pieces);

/* The observations of the series (n) the pieces write. */
int64_t ztsevPiecesLength(const ZTSEVShapePieces &pieces, int64_t n);

/* Merges v by rule into values[i]; a failing status of the rule is left
 * in *status, which is otherwise untouched. */
void ztsevPut(double *values, int64_t i, int rule, double v, int *status);

/* Merges v by rule into every observation of [lo, hi] (clipped to the n
 * observations of values).  Returns 0, or the last failing status of the
 * rule. */
int ztsevPutRange(double *values, int64_t n, int64_t lo, int64_t hi, int rule, double v);

/* One term v * p^k of a temporary change; an overflow is the largest
 * finite double with the sign the product would have (p negative with an
 * odd k flips it). */
double ztsevTcTerm(double v, double p, int64_t k);

/*
 * One run of a temporary change: for i from *begin to min(end, n - 1),
 * values[i] = rule(values[i], v * p^(c * sign)) with c counting up from
 * *counter.  A negative *begin advances the counter by -*begin and starts
 * at 0.  A term that overflows is the largest finite double with the sign
 * of v (never an infinity); a zero base with a non-positive power gives 0,
 * a negative base with a fractional power the missing value.
 * In/out: *begin, *counter (past the run on return).
 * Returns the status of the last rule combination (0 when nothing was
 * written), or 10 when the run lies outside the series.
 */
int ZTSEVDummyTCValues(double *values, int64_t n, int64_t *begin, int64_t end, int64_t *counter, int rule,
                       double v, double p, int sign);

#endif
