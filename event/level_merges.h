/*
 * level_merges.h - the event's value v merged many times into one
 * observation, and levels v held back until the observations they cover
 * are merged with other values.
 *
 * Merging v k times one by one gives a value that depends only on the
 * value before and on k; from a missing value it is looked up in a table
 * worked out once.  Under a rule whose merges do not commute (ADD with
 * sums that are not exact, MULT) a level v must reach an observation in
 * its turn: held levels are counted per observation, and the count an
 * observation has gathered is merged just before another value is merged
 * into it, or at the end.  Occurrences in time order, whose levels come
 * before the later occurrences' other values at every observation, then
 * cost pieces times a logarithm plus observations.
 *
 * Exports: ZTSEVRepeatedMerge, ZTSEVPendingLevels.
 */
#ifndef ORV_EVENT_LEVEL_MERGES_H
#define ORV_EVENT_LEVEL_MERGES_H

#include <cstdint>

#include "event/event_records.h"

class ZTSEVRepeatedMerge {
public:
    ZTSEVRepeatedMerge(int rule, double v, MEMORY_OBJECT *scratch);

    /* v merged k times (k >= 1) into x by the rule (a known one). */
    double times(double x, int64_t k);

    /* Frees the table; it is worked out again when needed. */
    void release();

private:
    int rule_;
    double v_;
    MEMORY_OBJECT *scratch_;
    double *fromMissing_ = nullptr; /* [k]: v merged k times into a missing value */
    int64_t known_ = 0;             /* entries of fromMissing_ */
};

class ZTSEVPendingLevels {
public:
    /* Levels over n observations, merged by merge; arrays from scratch. */
    ZTSEVPendingLevels(int64_t n, ZTSEVRepeatedMerge *merge, MEMORY_OBJECT *scratch);

    /* Holds a level over [lo, hi] (within the series). */
    void add(int64_t lo, int64_t hi);

    /* Merges the levels held at the observations of [lo, hi] (clipped to
     * the series) into values: call it before merging anything else
     * there.  Costs the range's length plus a logarithm of the series'. */
    void settle(double *values, int64_t lo, int64_t hi);

    /* Merges every held level into values; holds nothing after. */
    void settleAll(double *values);

private:
    int64_t heldAt(int64_t i) const;

    int64_t n_;
    ZTSEVRepeatedMerge *merge_;
    MEMORY_OBJECT *scratch_;
    int64_t *changes_ = nullptr; /* n + 1 changes of the count of held levels */
    int64_t *tree_ = nullptr;    /* the same changes as a binary indexed tree, for counts at one observation */
    int64_t *settled_ = nullptr; /* levels already merged, per observation */
    bool held_ = false;
};

#endif
