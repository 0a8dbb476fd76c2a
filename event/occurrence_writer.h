/*
 * occurrence_writer.h - lays the occurrences (timing values) of one event
 * into its dummy series, with the values ZTSEVDate2Shape would give
 * writing them one after another.
 *
 * Shapes that run to an end of the series would cost occurrences times
 * observations written one by one.  The writer looks at the pieces of each
 * occurrence (shape_pieces.h) and holds a long piece back where the order
 * of the merges cannot change a bit of the result; every held piece is
 * merged in one pass over the series by finish():
 *  - the merges of 0 (the vanished tail of a temporary change) give the
 *    same whatever their place among the other merges, under every rule;
 *  - the level v of a pulse (POINT, LS) is the event's only value, and a
 *    ramp's level v commutes with its other values under MAX, MIN, MINNZ,
 *    AND and OR, and under MINMAG while they have one sign: under a
 *    known rule, an observation's value depends only on its value before
 *    and on how many such levels cover it;
 *  - a ramp's long lines are folded apart under MAX, MIN, MINNZ, AND, OR
 *    and MINMAG (line_folds.h);
 *  - under ADD, a ramp's lines and levels are held as exact sums
 *    (exact_sums.h) while every partial sum can be shown to be exact;
 *  - a ramp's other levels v are held per observation until another value
 *    reaches it (level_merges.h); so are its levels under MINMAG once a
 *    line with values of the other sign has come, after which its lines
 *    are merged in order.
 * Short pieces, and the pieces of other shapes and rules, are written at
 * once; so are the first occurrences of each batch, until they have
 * written a few times the series' length.
 *
 * Exports: ZTSEVOccurrenceWriter.
 */
#ifndef ORV_EVENT_OCCURRENCE_WRITER_H
#define ORV_EVENT_OCCURRENCE_WRITER_H

#include <cstdint>

#include "event/event_records.h"
#include "event/exact_sums.h"
#include "event/level_merges.h"
#include "event/line_folds.h"
#include "event/shape_pieces.h"

class ZTSEVOccurrenceWriter {
public:
    /* Occurrences of event into values (series->count doubles); work
     * arrays come from scratch.  The occurrences of each batch are written
     * at once until they have written directPasses times the series'
     * length. */
    ZTSEVOccurrenceWriter(const ZTSEV_EVENT *event, const ZTSEV_SERIES *series, double *values,
                          MEMORY_OBJECT *scratch, int64_t directPasses = kDirectPasses);

    /* Holding pieces takes work arrays of the series' length, worth their
     * memory only for many occurrences. */
    static constexpr int64_t kDirectPasses = 4;

    /* One occurrence, with the key event K or null (as ZTSEVDate2Shape).
     * Returns the status ZTSEVDate2Shape gives for it: 15 when it cannot
     * be placed.  A held piece is in values only after finish(). */
    int add(double value, int kind, const ZTSEV_EVENT *key);

    /* Merges the held pieces into values; the writer can go on. */
    void finish();

private:
    /* Per-observation counts of held pieces of one value. */
    struct Counts {
        int64_t *changes = nullptr; /* n + 1 changes of the count */
        bool pending = false;
    };

    int pieces(double value, int kind, const ZTSEV_EVENT *key, ZTSEVShapePieces *out) const;
    int place(const ZTSEVShapePiece &piece);
    int placeLevel(int64_t lo, int64_t hi, double level);
    int placePower(const ZTSEVShapePiece &piece);
    int placeInOrder(const ZTSEVShapePiece &piece);
    bool rampSigned(const ZTSEVShapePiece &line) const;
    int placeSplitLine(const ZTSEVShapePiece &line);
    double tcTerm(int64_t k);
    bool exactSums();
    void count(Counts &counts, int64_t lo, int64_t hi);
    void mergeHeld();
    void mergeLevels();
    void mergeZeros();

    const ZTSEV_EVENT *event_;
    const ZTSEV_SERIES *series_;
    double *values_;
    MEMORY_OBJECT *scratch_;
    int64_t directPasses_;
    bool byPieces_;        /* a known rule and a shape laid out as pieces */
    double rampSign_;      /* the sign of the ramp's values (see rampSign) */
    bool signedRamp_;      /* MINMAG on a ramp: values of that sign commute */
    bool levelsCommute_;   /* the level v commutes with the event's other values */
    bool inOrder_ = false; /* MINMAG met values of both signs: lines go in order until finish() */
    bool exactAdd_;        /* ADD on a ramp: lines and levels as exact sums */
    int64_t directLeft_;   /* observations occurrences may still write at once */
    int64_t vanishesFrom_; /* TC: exponent from which p^k is 0; -1 never */
    double *tcTerms_ = nullptr; /* TC: the terms of exponents 0 up to vanishesFrom_ or n */
    Counts levels_, zeros_;
    ZTSEVLineFolds folds_;  /* after rampSign_, which it takes */
    ZTSEVRepeatedMerge repeated_;
    ZTSEVPendingLevels pending_; /* levels v that do not commute */
    ZTSEVExactSums exact_;
    enum { kExactUnknown, kExactHeld, kExactOff } exactState_ = kExactUnknown;
};

#endif
