/*
 * level_merges.cpp - v merged many times, and held levels (see
 * level_merges.h).
 */
#include "event/level_merges.h"

#include <algorithm>

#include "event/event_rules.h"
#include "event/event_support.h"
#include "event/exact_sums.h"
#include "host/missing_values.h"

ZTSEVRepeatedMerge::ZTSEVRepeatedMerge(int rule, double v, MEMORY_OBJECT *scratch)
    : rule_(rule), v_(v), scratch_(scratch)
{
}

double ZTSEVRepeatedMerge::times(double x, int64_t k)
{
    int status = 0;
    if (orvIsMissing(x)) {
        if (k >= known_) {
            const int64_t count = std::max(k + 1, 2 * known_);
            fromMissing_ = static_cast<double *>(ztsevGrowArray(scratch_, fromMissing_, known_, count, sizeof(double)));
            if (known_ == 0) fromMissing_[known_++] = orvMissing();
            for (; known_ < count; ++known_)
                fromMissing_[known_] = ZTSEVValueFromRule(rule_, &status, fromMissing_[known_ - 1], v_);
        }
        return fromMissing_[k];
    }
    double sum = 0;
    if (rule_ == ZTSEV_RULE_ADD && k > 1 && ztsevExactRepeatedSum(x, v_, k, &sum)) return sum;
    return ztsevValueFromRuleTimes(rule_, x, v_, k);
}

void ZTSEVRepeatedMerge::release()
{
    ztsevFree(scratch_, fromMissing_);
    fromMissing_ = nullptr;
    known_ = 0;
}

ZTSEVPendingLevels::ZTSEVPendingLevels(int64_t n, ZTSEVRepeatedMerge *merge, MEMORY_OBJECT *scratch)
    : n_(n), merge_(merge), scratch_(scratch)
{
}

void ZTSEVPendingLevels::add(int64_t lo, int64_t hi)
{
    if (changes_ == nullptr) {
        changes_ = static_cast<int64_t *>(ztsevAllocArray(scratch_, n_ + 1, sizeof(int64_t)));
        tree_ = static_cast<int64_t *>(ztsevAllocArray(scratch_, n_ + 2, sizeof(int64_t)));
        settled_ = static_cast<int64_t *>(ztsevAllocArray(scratch_, n_, sizeof(int64_t)));
    }
    ++changes_[lo];
    --changes_[hi + 1];
    for (int64_t at = lo + 1; at <= n_ + 1; at += at & -at) ++tree_[at];
    for (int64_t at = hi + 2; at <= n_ + 1; at += at & -at) --tree_[at];
    held_ = true;
}

int64_t ZTSEVPendingLevels::heldAt(int64_t i) const
{
    int64_t count = 0;
    for (int64_t at = i + 1; at > 0; at -= at & -at) count += tree_[at];
    return count;
}

void ZTSEVPendingLevels::settle(double *values, int64_t lo, int64_t hi)
{
    if (!held_) return;
    lo = std::max<int64_t>(lo, 0);
    hi = std::min(hi, n_ - 1);
    if (lo > hi) return;
    /* The count at lo from the tree, and on from there by its changes:
     * a range costs its length plus a logarithm, wherever it lies. */
    int64_t covers = heldAt(lo);
    for (int64_t i = lo;; ) {
        const int64_t k = covers - settled_[i];
        if (k != 0) {
            values[i] = merge_->times(values[i], k);
            settled_[i] = covers;
        }
        if (++i > hi) break;
        covers += changes_[i];
    }
}

void ZTSEVPendingLevels::settleAll(double *values)
{
    if (!held_) return;
    settle(values, 0, n_ - 1);
    std::fill(changes_, changes_ + n_ + 1, int64_t(0));
    std::fill(tree_, tree_ + n_ + 2, int64_t(0));
    std::fill(settled_, settled_ + n_, int64_t(0));
    held_ = false;
}
