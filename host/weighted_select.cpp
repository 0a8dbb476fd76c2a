/*
 * weighted_select.cpp - weighted multi-rank selection: zqpsort and
 * zqpsort_orvnobs (declared in weighted_select.h).
 *
 * One partial quickselect answers every requested rank.  Phase 1 peels runs
 * of the smallest and largest keys off the ends of the array while requested
 * ranks lie there.  Phase 2 keeps a stack of segments, each with the ranks
 * that fall in it, partitions a segment three ways around a pivot and sorts
 * segments of ten keys or fewer by insertion.  Keys are only ever compared
 * by value, so all keys of one value always stay in one segment and the
 * answers can be taken run by run.
 *
 * Both entries share one template whose parameter is the type in which
 * counts and positions are held: double for zqpsort (exact up to 2^53
 * keys), int64_t for zqpsort_orvnobs.
 */
#include "host/weighted_select.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

namespace {

/* A target that overshoots the end of a run's weight by no more than 2^-42
 * of that weight still counts as reached, so that a target on the boundary
 * between two keys gives both neighbours despite the rounding of the
 * normalised weights. */
constexpr double kBoundarySlack = 1.0000000000002274;
static_assert(kBoundarySlack == 1.0 + 0x1p-42);

constexpr double kMinWeightSum = 1e-12;
constexpr int kTieSlots = 32;         /* ties recorded per end and scan */
constexpr int kInsertionMax = 10;     /* segments this short are sorted */
constexpr int kMedianOfThreeMax = 40; /* longer segments take a ninther */
/* Each phase 1 round costs a pass over the unsettled keys; ranks that are
 * still unresolved after this many rounds (many distinct keys at an end,
 * or many zero weights) are cheaper to find by partitioning. */
constexpr int kEndRoundsMax = 8;
/* Phase 1 rounds of the last selection (zqpsortEndRounds). */
int lastEndRounds = 0;
/* Phase 2 continues with the shorter part of a partition and stacks the
 * longer, so the stack never holds more than log2(n) < 63 segments. */
constexpr int kStackDepth = 64;
constexpr int64_t kExactCountMax = 9007199254740992; /* 2^53 */
/* Weights whose sum overflows are summed scaled by 2^-64: even DBL_MAX
 * weights then sum to at most 2^960 * 2^63. */
constexpr double kOverflowPrescale = 0x1p-64;
constexpr double kRankLimit = 0x1p63; /* ranks at or above cannot be positions */

/* A run of equal keys and the key after it. */
template <typename Pos>
struct Run {
    double value;
    double below;  /* with weights: normalised weight of all keys below the run */
    double weight; /* with weights: normalised weight of the run */
    Pos first;     /* without weights: the run holds positions [first, end) */
    Pos end;
    bool hasFollower; /* a greater key exists */
    double follower;  /* the smallest greater key */
};

/* A segment of phase 2.  Invariant: every key below lo is not greater than
 * any key in [lo, hi), every key from hi on is greater, and the ranks
 * [jlo, jhi) fall in the segment. */
template <typename Pos>
struct Segment {
    Pos lo, hi;
    int32_t jlo, jhi;
    double below;     /* with weights: normalised weight of the keys below lo */
    bool hasFollower; /* a key exists at hi or above */
    double follower;  /* the smallest such key */
};

/* What one phase 1 scan finds in the unsettled keys. */
template <typename Pos>
struct EndScan {
    double min, max, second; /* second: the smallest key above min */
    Pos minCount, maxCount;
    Pos minAt[kTieSlots]; /* positions of the first ties found */
    Pos maxAt[kTieSlots];
    int minRecorded, maxRecorded;
};

/* Floor of a / d for a non-negative count a. */
template <typename Pos>
Pos divideDown(Pos a, int d)
{
    if constexpr (std::is_floating_point_v<Pos>)
        return std::floor(a / d);
    else
        return a / d;
}

double median3(double a, double b, double c)
{
    double low = a < b ? a : b;
    double high = a < b ? b : a;
    double upper = high < c ? high : c;
    return low > upper ? low : upper;
}

template <typename Pos>
class Selection {
public:
    Selection(int64_t n, double *keys, double *weights, int32_t k, double *out, double *next,
              void *records, int32_t recordWidth, void *work)
        : n_(static_cast<Pos>(n)), keys_(keys), weights_(weights), k_(k), out_(out), next_(next),
          records_(static_cast<unsigned char *>(records)),
          width_(records ? static_cast<std::size_t>(recordWidth) : 0),
          work_(static_cast<unsigned char *>(work))
    {
    }

    /* Sets the factor that makes the weights sum to n.  Returns false when
     * they sum to 1e-12 or less. */
    bool normaliseWeights(int64_t n)
    {
        double sum = 0.0;
        for (int64_t i = 0; i < n; ++i)
            sum += weights_[i];
        if (!std::isfinite(sum)) {
            prescale_ = kOverflowPrescale;
            sum = 0.0;
            for (int64_t i = 0; i < n; ++i)
                sum += weights_[i] * prescale_;
        }
        if (!(sum > kMinWeightSum * prescale_))
            return false;
        scale_ = static_cast<double>(n) / sum;
        return true;
    }

    /* Answers every rank.  REQUIRES: out holds the targets (see select). */
    void run()
    {
        Segment<Pos> rest = settleEnds();
        if (rest.jlo < rest.jhi)
            selectSegments(rest);
    }

private:
    static int64_t at(Pos p) { return static_cast<int64_t>(p); }
    double key(Pos p) const { return keys_[at(p)]; }
    double weight(Pos p) const { return weights_[at(p)] * prescale_ * scale_; }

    double weightSum(Pos lo, Pos hi) const
    {
        double sum = 0.0;
        if (weights_)
            for (Pos p = lo; p < hi; ++p)
                sum += weight(p);
        return sum;
    }

    double minKey(Pos lo, Pos hi) const
    {
        double least = key(lo);
        for (Pos p = lo + 1; p < hi; ++p)
            if (key(p) < least)
                least = key(p);
        return least;
    }

    /* Exchanges two keys with their weights and records. */
    void swap(Pos a, Pos b)
    {
        int64_t i = at(a), m = at(b);
        std::swap(keys_[i], keys_[m]);
        if (weights_)
            std::swap(weights_[i], weights_[m]);
        if (records_) {
            unsigned char *x = records_ + static_cast<std::size_t>(i) * width_;
            unsigned char *y = records_ + static_cast<std::size_t>(m) * width_;
            std::memcpy(work_, x, width_);
            std::memcpy(x, y, width_);
            std::memcpy(y, work_, width_);
        }
    }

    /* Rank j without weights: out holds ceil(rank), in [-1, n - 1]. */
    Pos keyPos(int32_t j) const
    {
        Pos q = static_cast<Pos>(out_[j]);
        return q < 0 ? Pos(0) : q;
    }
    Pos nextPos(int32_t j) const
    {
        Pos q = static_cast<Pos>(out_[j]) + 1;
        return q < n_ - 1 ? q : n_ - 1;
    }

    /* Rank j, not taken by any run below r, is answered by r. */
    bool reaches(int32_t j, const Run<Pos> &r) const
    {
        return weights_ ? out_[j] <= r.below + r.weight * kBoundarySlack : keyPos(j) < r.end;
    }
    /* Rank j lies above every key below r. */
    bool reachedFromTop(int32_t j, const Run<Pos> &r) const
    {
        return weights_ ? out_[j] > r.below : keyPos(j) >= r.first;
    }
    /* Rank j, answered by r, lies on the end of r, so its next key is the
     * following one. */
    bool endsAt(int32_t j, const Run<Pos> &r) const
    {
        return weights_ ? r.below + r.weight <= out_[j] : nextPos(j) >= r.end;
    }

    void answer(int32_t j, double value, double following)
    {
        out_[j] = value;
        if (next_)
            next_[j] = following;
    }
    void answerFrom(int32_t j, const Run<Pos> &r)
    {
        double following = r.hasFollower && endsAt(j, r) ? r.follower : r.value;
        answer(j, r.value, following);
    }

    /* Answers ranks jlo, jlo + 1, ... that run r reaches (all of them below
     * jhi when takeAll).  Returns the first rank left. */
    int32_t takeFromBottom(const Run<Pos> &r, int32_t jlo, int32_t jhi, bool takeAll)
    {
        while (jlo < jhi && (takeAll || reaches(jlo, r)))
            answerFrom(jlo++, r);
        return jlo;
    }
    /* Answers ranks jhi - 1, jhi - 2, ... that lie in run r (all of them from
     * jlo on when takeAll).  Returns the end of the ranks left. */
    int32_t takeFromTop(const Run<Pos> &r, int32_t jlo, int32_t jhi, bool takeAll)
    {
        while (jhi > jlo && (takeAll || reachedFromTop(jhi - 1, r)))
            answerFrom(--jhi, r);
        return jhi;
    }

    /* ---- Phase 1: the ends ---- */

    bool atBottom(int32_t j, const Segment<Pos> &s) const
    {
        return weights_ ? out_[j] <= s.below + 1.0 : keyPos(j) <= s.lo;
    }
    bool atTop(int32_t j, const Segment<Pos> &s, double topBelow) const
    {
        return weights_ ? out_[j] >= topBelow : keyPos(j) >= s.hi - 1;
    }

    void scanEnds(Pos lo, Pos hi, EndScan<Pos> &s) const
    {
        s.min = s.max = key(lo);
        s.second = s.min;
        bool hasSecond = false;
        s.minCount = s.maxCount = 1;
        s.minAt[0] = s.maxAt[0] = lo;
        s.minRecorded = s.maxRecorded = 1;
        for (Pos p = lo + 1; p < hi; ++p) {
            double x = key(p);
            if (x < s.min) {
                s.second = s.min; /* every key so far is at least the old minimum */
                hasSecond = true;
                s.min = x;
                s.minCount = 1;
                s.minAt[0] = p;
                s.minRecorded = 1;
            } else if (x == s.min) {
                ++s.minCount;
                if (s.minRecorded < kTieSlots)
                    s.minAt[s.minRecorded++] = p;
            } else if (!hasSecond || x < s.second) {
                s.second = x;
                hasSecond = true;
            }
            if (x > s.max) {
                s.max = x;
                s.maxCount = 1;
                s.maxAt[0] = p;
                s.maxRecorded = 1;
            } else if (x == s.max) {
                ++s.maxCount;
                if (s.maxRecorded < kTieSlots)
                    s.maxAt[s.maxRecorded++] = p;
            }
        }
    }

    /* Swap that moves a smallest key down to 'to' while keeping the
     * recorded positions of the largest keys current. */
    void swapKeepingMax(Pos to, Pos from, EndScan<Pos> &s)
    {
        if (to == from)
            return;
        if (key(to) == s.max)
            for (int t = 0; t < s.maxRecorded; ++t)
                if (s.maxAt[t] == to) {
                    s.maxAt[t] = from;
                    break;
                }
        swap(to, from);
    }

    /* Moves the smallest keys to [lo, lo + minCount) and the largest to
     * [hi - maxCount, hi).  REQUIRES: s.min < s.max. */
    void gatherEnds(Pos lo, Pos hi, EndScan<Pos> &s)
    {
        Pos placed = 0;
        /* Recorded positions ascend and every one is at least lo + its slot,
         * so no swap disturbs a recorded smallest key still to come. */
        for (int t = 0; t < s.minRecorded; ++t, ++placed)
            swapKeepingMax(lo + placed, s.minAt[t], s);
        for (Pos p = lo + placed; placed < s.minCount && p < hi; ++p)
            if (key(p) == s.min) {
                swapKeepingMax(lo + placed, p, s);
                ++placed;
            }

        /* Descending order keeps every target hi - 1 - t at or above its
         * source and clear of the sources still to come. */
        for (int t = 1; t < s.maxRecorded; ++t)
            for (int u = t; u > 0 && s.maxAt[u - 1] < s.maxAt[u]; --u)
                std::swap(s.maxAt[u - 1], s.maxAt[u]);
        placed = 0;
        for (int t = 0; t < s.maxRecorded; ++t, ++placed)
            if (hi - 1 - placed != s.maxAt[t])
                swap(hi - 1 - placed, s.maxAt[t]);
        Pos minEnd = lo + s.minCount;
        for (Pos p = hi - 1 - placed; placed < s.maxCount && p >= minEnd; --p)
            if (key(p) == s.max) {
                if (p != hi - 1 - placed)
                    swap(hi - 1 - placed, p);
                ++placed;
            }
    }

    /* Phase 1: settles runs of the smallest and largest keys at the ends
     * while unresolved ranks lie there.  Returns the unsettled middle with
     * its unresolved ranks (none when jlo == jhi). */
    Segment<Pos> settleEnds()
    {
        Segment<Pos> s{0, n_, 0, k_, 0.0, false, 0.0};
        double topBelow = static_cast<double>(n_); /* weight below the settled top */
        lastEndRounds = 0;
        for (int round = 0; round < kEndRoundsMax && s.jlo < s.jhi && s.lo < s.hi; ++round) {
            if (!atBottom(s.jlo, s) && !atTop(s.jhi - 1, s, topBelow))
                break;
            ++lastEndRounds;
            EndScan<Pos> scan;
            scanEnds(s.lo, s.hi, scan);
            if (scan.min == scan.max) {
                Run<Pos> all{scan.min, s.below, weightSum(s.lo, s.hi), s.lo, s.hi, s.hasFollower, s.follower};
                s.jlo = takeFromBottom(all, s.jlo, s.jhi, true);
                break;
            }
            gatherEnds(s.lo, s.hi, scan);

            Pos bottomEnd = s.lo + scan.minCount;
            Run<Pos> bottom{scan.min, s.below, weightSum(s.lo, bottomEnd), s.lo, bottomEnd, true, scan.second};
            s.jlo = takeFromBottom(bottom, s.jlo, s.jhi, false);
            s.lo = bottomEnd;
            s.below += bottom.weight;

            Pos topFirst = s.hi - scan.maxCount;
            double topWeight = weightSum(topFirst, s.hi);
            Run<Pos> top{scan.max, topBelow - topWeight, topWeight, topFirst, s.hi, s.hasFollower, s.follower};
            s.hi = topFirst;
            /* With nothing left between the ends, a rank that rounding kept
             * from the bottom run belongs to the top one. */
            s.jhi = takeFromTop(top, s.jlo, s.jhi, s.lo == s.hi);
            topBelow = top.below;
            s.hasFollower = true;
            s.follower = scan.max;
        }
        return s;
    }

    /* ---- Phase 2: segments ---- */

    double choosePivot(Pos lo, Pos hi) const
    {
        Pos len = hi - lo;
        Pos last = hi - 1;
        Pos mid = lo + divideDown(len, 2);
        if (len <= kMedianOfThreeMax)
            return median3(key(lo), key(mid), key(last));
        Pos m = divideDown(len, 8);
        Pos q = divideDown(len, 4);
        return median3(median3(key(lo), key(lo + m), key(lo + q)),
                       median3(key(mid - m), key(mid), key(mid + m)),
                       median3(key(last - q), key(last - m), key(last)));
    }

    /* Sorts a short segment and answers its ranks run by run. */
    void sortAndAnswer(const Segment<Pos> &s)
    {
        for (Pos p = s.lo + 1; p < s.hi; ++p)
            for (Pos m = p; m > s.lo && key(m - 1) > key(m); --m)
                swap(m - 1, m);
        Pos first = s.lo;
        double below = s.below;
        for (int32_t j = s.jlo; j < s.jhi;) {
            Pos end = first + 1;
            while (end < s.hi && key(end) == key(first))
                ++end;
            bool last = end == s.hi;
            Run<Pos> r{key(first), below, weightSum(first, end), first, end,
                       last ? s.hasFollower : true, last ? s.follower : key(end)};
            /* The last run takes what rounding left over. */
            j = takeFromBottom(r, j, s.jhi, last);
            below += r.weight;
            first = end;
        }
    }

    /* Partitions s three ways, answers the ranks that fall on the pivot and
     * returns the parts below and above with their ranks. */
    void partition(const Segment<Pos> &s, Segment<Pos> &lower, Segment<Pos> &upper)
    {
        double pivot = choosePivot(s.lo, s.hi);
        Pos lt = s.lo, p = s.lo, gt = s.hi;
        while (p < gt) {
            double x = key(p);
            if (x < pivot) {
                if (lt != p)
                    swap(lt, p);
                ++lt;
                ++p;
            } else if (x > pivot) {
                --gt;
                swap(p, gt);
            } else {
                ++p;
            }
        }
        Run<Pos> equal{pivot, s.below + weightSum(s.lo, lt), weightSum(lt, gt), lt, gt, false, 0.0};

        int32_t j = s.jlo;
        if (lt > s.lo)
            while (j < s.jhi && (weights_ ? out_[j] <= equal.below : keyPos(j) < lt))
                ++j;
        lower = Segment<Pos>{s.lo, lt, s.jlo, j, s.below, true, pivot};

        /* The key after the pivot is needed only for ranks on the end of
         * the pivot's run; find it once, when first needed. */
        bool haveUpperMin = false;
        double upperMin = 0.0;
        for (; j < s.jhi && (gt == s.hi || reaches(j, equal)); ++j) {
            double following = pivot;
            if (endsAt(j, equal)) {
                if (gt < s.hi) {
                    if (!haveUpperMin) {
                        upperMin = minKey(gt, s.hi);
                        haveUpperMin = true;
                    }
                    following = upperMin;
                } else if (s.hasFollower) {
                    following = s.follower;
                }
            }
            answer(j, pivot, following);
        }
        upper = Segment<Pos>{gt, s.hi, j, s.jhi, equal.below + equal.weight, s.hasFollower, s.follower};
    }

    void selectSegments(Segment<Pos> s)
    {
        Segment<Pos> stack[kStackDepth];
        int depth = 0;
        for (;;) {
            if (s.hi - s.lo <= kInsertionMax) {
                sortAndAnswer(s);
            } else {
                Segment<Pos> lower, upper;
                partition(s, lower, upper);
                bool lowerRanks = lower.jlo < lower.jhi;
                bool upperRanks = upper.jlo < upper.jhi;
                if (lowerRanks && upperRanks) {
                    bool lowerShorter = lower.hi - lower.lo < upper.hi - upper.lo;
                    stack[depth++] = lowerShorter ? upper : lower;
                    s = lowerShorter ? lower : upper;
                    continue;
                }
                if (lowerRanks || upperRanks) {
                    s = lowerRanks ? lower : upper;
                    continue;
                }
            }
            if (depth == 0)
                return;
            s = stack[--depth];
        }
    }

    Pos n_;
    double *keys_;
    double *weights_;
    int32_t k_;
    double *out_;
    double *next_;
    unsigned char *records_;
    std::size_t width_;
    unsigned char *work_;
    double prescale_ = 1.0; /* normalised weight = weight * prescale_ * scale_ */
    double scale_ = 1.0;
};

/* Every check of a request, made before anything is written. */
bool validRequest(int64_t n, const double *keys, const double *weights, int32_t k,
                  const double *ranks, const double *out, const void *records,
                  int32_t recordWidth, const void *work)
{
    if (n < 1 || k < 1 || !keys || !ranks || !out)
        return false;
    if (records && (recordWidth < 1 || !work))
        return false;
    double previous = -1.0;
    for (int32_t j = 0; j < k; ++j) {
        if (!(ranks[j] >= previous)) /* also false for NaN */
            return false;
        previous = ranks[j];
    }
    /* Checked before any conversion: only then is the cast defined. */
    if (!(previous < kRankLimit) || static_cast<int64_t>(std::ceil(previous)) > n - 1)
        return false;
    for (int64_t i = 0; i < n; ++i)
        if (std::isnan(keys[i]))
            return false;
    if (weights)
        for (int64_t i = 0; i < n; ++i)
            if (!std::isfinite(weights[i]))
                return false;
    return true;
}

template <typename Pos>
int selectRanks(int64_t n, double *keys, double *weights, int32_t k, const double *ranks,
                double *out, double *next, void *records, int32_t recordWidth, void *work)
{
    if (!validRequest(n, keys, weights, k, ranks, out, records, recordWidth, work))
        return ZQPSORT_BAD_REQUEST;
    /* out becomes the working store of the targets: with weights the
     * cumulative weight to reach, without them the position ceil(rank),
     * which is exact for any rank. */
    for (int32_t j = 0; j < k; ++j)
        out[j] = weights ? ranks[j] + 1.0 : std::ceil(ranks[j]);
    Selection<Pos> selection(n, keys, weights, k, out, next, records, recordWidth, work);
    if (weights && !selection.normaliseWeights(n))
        return ZQPSORT_NO_WEIGHT;
    selection.run();
    return ZQPSORT_OK;
}

} // namespace

int zqpsort(int64_t n, double *keys, double *weights, int32_t k, const double *ranks,
            double *out, double *next, void *records, int32_t recordWidth, void *work)
{
    /* Positions held in doubles stop counting at 2^53. */
    if (n > kExactCountMax)
        return selectRanks<int64_t>(n, keys, weights, k, ranks, out, next, records, recordWidth, work);
    return selectRanks<double>(n, keys, weights, k, ranks, out, next, records, recordWidth, work);
}

int zqpsortEndRounds() { return lastEndRounds; }

int zqpsort_orvnobs(int64_t n, double *keys, double *weights, int32_t k, const double *ranks,
                    double *out, double *next, void *records, int32_t recordWidth, void *work)
{
    return selectRanks<int64_t>(n, keys, weights, k, ranks, out, next, records, recordWidth, work);
}
