/*
 * exact_sums.h - terms added into a dummy series under the ADD rule, held
 * as sums and added all at once.
 *
 * A double sum is exact when every term and every partial sum is an
 * integer multiple of one power of two 2^e below 2^(53 + e): then the sum
 * is the same whatever the order of its terms.  The event's value v fixes
 * e (a few binary places below v's lowest, so that a ramp's steps v / 2,
 * v / 4 ... are multiples too).  Terms are held while that bound can be
 * shown from the largest term of each piece; a piece that would break it
 * is refused, and the caller adds what is held and goes on term by term.
 * Held terms cost their pieces plus one pass over the series.
 *
 * Exports: ZTSEVExactSums, ztsevExactRepeatedSum.
 */
#ifndef ORV_EVENT_EXACT_SUMS_H
#define ORV_EVENT_EXACT_SUMS_H

#include <cstdint>

#include "event/event_records.h"

class ZTSEVExactSums {
public:
    /* Starts holding terms for values (n doubles) and the event's value v;
     * false, holding nothing, when v or a value present in values is not
     * on the grid or too large.  Work arrays come from scratch when a
     * term is first held. */
    bool start(const double *values, int64_t n, double v, MEMORY_OBJECT *scratch);

    /* The value c at every observation of [lo, hi] (within the series).
     * False, holding nothing of it, when c is off the grid or the bound
     * would break. */
    bool addLevel(int64_t lo, int64_t hi, double c);

    /* scale * (i - ref) / divisor at every observation i of [lo, hi], the
     * term as the ramp writes it; false as for addLevel, and for a divisor
     * that is not a small power of two. */
    bool addLine(int64_t lo, int64_t hi, double scale, int64_t ref, double divisor);

    /* Adds the held terms into values, as merging them one by one under
     * ADD would; holds nothing after it (start() again for more). */
    void apply(double *values);

private:
    bool toUnits(double x, int64_t *units) const;
    bool hold(int64_t lo, int64_t hi, int64_t slope, int64_t constant, int64_t largestTerm, int64_t weight);

    int64_t n_ = 0;
    MEMORY_OBJECT *scratch_ = nullptr;
    int exponent_ = 0;              /* e of the grid */
    int64_t *covers_ = nullptr;     /* changes of the count of held pieces */
    int64_t *slopes_ = nullptr;     /* changes of the factor of i, in units */
    int64_t *constants_ = nullptr;  /* changes of the constant part, in units */
    int64_t bound_ = 0;             /* largest sum of term sizes at any observation */
    int64_t slopeWeight_ = 0;       /* sum of |slope| */
    int64_t constantWeight_ = 0;    /* sum of |constant part| */
    bool held_ = false;
};

/* x + v merged k times under ADD, as k merges one by one would give it,
 * into *sum; false when that cannot be shown without doing them. */
bool ztsevExactRepeatedSum(double x, double v, int64_t k, double *sum);

#endif
