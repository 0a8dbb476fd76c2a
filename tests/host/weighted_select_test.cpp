/*
 * weighted_select_test.cpp - zqpsort and zqpsort_orvnobs: answers worked out
 * by hand, the rejected requests (which must change nothing), and random
 * requests against a reference that sorts the whole array.
 */
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "host/weighted_select.h"

namespace {

using Entry = int (*)(int64_t, double *, double *, int32_t, const double *, double *, double *,
                      void *, int32_t, void *);
constexpr Entry kEntries[] = {zqpsort, zqpsort_orvnobs};
constexpr double kSlack = 1.0 + 0x1p-42;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(WeightedSelect, HandWorkedAnswers)
{
    /* keys0to99: the keys 0..99 in a scrambled order, so the key at position
     * p is p; 100 keys take the partition path. */
    std::vector<double> keys0to99(100);
    for (int i = 0; i < 100; ++i)
        keys0to99[i] = (i * 37) % 100;
    struct Case {
        const char *id;
        std::vector<double> keys, weights, ranks, out, next;
    };
    const std::vector<double> k10_20_30 = {30, 10, 20}, w112 = {2, 1, 1};
    const Case cases[] = {
        {"odd median", {5, 1, 4, 2, 3}, {}, {2}, {3}, {4}},
        {"even median", {4, 1, 3, 2}, {}, {1}, {2}, {3}},
        {"both ends", {7, 3, 9, 1, 5}, {}, {0, 4}, {1, 9}, {3, 9}},
        {"rank -1", {5, 1, 4}, {}, {-1}, {1}, {1}},
        {"rank -0.5", {5, 1, 4}, {}, {-0.5}, {1}, {4}},
        {"fraction rounds up", {5, 1, 4, 2, 3}, {}, {1.25}, {3}, {4}},
        {"last has no next", {5, 1, 4}, {}, {2}, {5}, {5}},
        {"infinite keys", {kInf, -kInf, 0, kInf}, {}, {0, 1.5, 3}, {-kInf, kInf, kInf}, {0, kInf, kInf}},
        {"40 equal keys", std::vector<double>(40, 2.5), {}, {-1, 0, 17.5, 39}, {2.5, 2.5, 2.5, 2.5},
         {2.5, 2.5, 2.5, 2.5}},
        {"tied ends", {1, 9, 1, 9, 5}, {}, {0, 1, 3, 4}, {1, 1, 9, 9}, {1, 5, 9, 9}},
        {"partition path", keys0to99, {}, {0, 10, 10, 49, 49.5, 98.2, 99},
         {0, 10, 10, 49, 50, 99, 99}, {1, 11, 11, 50, 51, 99, 99}},
        /* Normalised weights of 1, 1, 2 on 10, 20, 30: 0.75, 0.75, 1.5;
         * cumulative 0.75, 1.5, 3. */
        {"T on a boundary", k10_20_30, w112, {0.5}, {20}, {30}},
        {"T inside a key", k10_20_30, w112, {0.25}, {20}, {20}},
        {"T on first end", k10_20_30, w112, {-0.25}, {10}, {20}},
        {"weighted -1 and n-1", k10_20_30, w112, {-1, 2}, {10, 30}, {10, 30}},
        /* 1, 1, 0 normalise to 1.5, 1.5, 0: T = 3 ends key 2's weight. */
        {"zero weight on top", {3, 1, 2}, {0, 1, 1}, {2}, {2}, {3}},
        {"zero weight at bottom", {3, 1, 2}, {1, 0, 1}, {-1, 0}, {1, 2}, {2, 2}},
        /* Equal weights normalise to 1: T = 2 + 2^-44 is within 2^-42 of
         * the end of key 20, T = 2 + 2^-40 is not. */
        {"within slack", k10_20_30, {5, 5, 5}, {1 + 0x1p-44}, {20}, {30}},
        {"beyond slack", k10_20_30, {5, 5, 5}, {1 + 0x1p-40}, {30}, {30}},
        {"sum overflows", k10_20_30, {1e308, 1e308, 1e308}, {0.5}, {20}, {20}},
        /* Weights 2 normalise to 1: the key at cumulative 50 is 49. */
        {"weighted partition", keys0to99, std::vector<double>(100, 2), {49, 49.5}, {49, 50}, {50, 50}},
    };
    for (Entry entry : kEntries)
        for (const Case &c : cases) {
            SCOPED_TRACE(c.id);
            std::vector<double> keys = c.keys, weights = c.weights;
            size_t k = c.ranks.size();
            std::vector<double> out(k), next(k);
            ASSERT_EQ(entry(int64_t(keys.size()), keys.data(), weights.empty() ? nullptr : weights.data(),
                            int32_t(k), c.ranks.data(), out.data(), next.data(), nullptr, 0, nullptr),
                      ZQPSORT_OK);
            EXPECT_EQ(out, c.out);
            EXPECT_EQ(next, c.next);
        }
}

std::vector<uint64_t> bitsOf(const std::vector<double> &values)
{
    std::vector<uint64_t> bits;
    for (double value : values)
        bits.push_back(std::bit_cast<uint64_t>(value));
    return bits;
}

TEST(WeightedSelect, RejectedRequestsChangeNothing)
{
    struct Case {
        const char *id;
        int64_t n;
        std::vector<double> keys, weights, ranks;
        bool nullOut, records, nullWork;
        int width;
        int rc;
    };
    const std::vector<double> k3 = {3, 1, 2};
    const Case cases[] = {
        {"n 0", 0, k3, {}, {0}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"k 0", 3, k3, {}, {}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"out null", 3, k3, {}, {0}, true, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"rank below -1", 3, k3, {}, {-1.5}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"out of order", 3, k3, {}, {1, 0}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"rank n", 3, k3, {}, {0, 3}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"rank above n-1", 3, k3, {}, {2.25}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"weighted rank above n-1", 3, k3, {1, 1, 1}, {2.5}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"NaN first rank", 3, k3, {}, {kNaN, 1}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"NaN middle rank", 3, k3, {}, {0, kNaN, 1}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"NaN last rank", 3, k3, {1, 1, 1}, {0, kNaN}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"infinite rank", 3, k3, {}, {kInf}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"NaN key", 3, {3, kNaN, 2}, {}, {0}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"NaN weight", 3, k3, {1, kNaN, 1}, {0}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"infinite weight", 3, k3, {1, kInf, 1}, {0}, false, false, false, 0, ZQPSORT_BAD_REQUEST},
        {"record width 0", 3, k3, {}, {0}, false, true, false, 0, ZQPSORT_BAD_REQUEST},
        {"no work", 3, k3, {}, {0}, false, true, true, 8, ZQPSORT_BAD_REQUEST},
        {"weights all 0", 3, k3, {0, 0, 0}, {0, 1.5}, false, false, false, 0, ZQPSORT_NO_WEIGHT},
        {"weights sum 1e-12", 3, k3, {5e-13, 5e-13, 0}, {0}, false, false, false, 0, ZQPSORT_NO_WEIGHT},
        {"weights sum negative", 3, k3, {1, -2, 0}, {0}, false, false, false, 0, ZQPSORT_NO_WEIGHT},
    };
    for (Entry entry : kEntries)
        for (const Case &c : cases) {
            SCOPED_TRACE(c.id);
            std::vector<double> keys = c.keys, weights = c.weights;
            std::vector<double> out(c.ranks.size() + 1, -7.0), next(out);
            std::vector<unsigned char> records(keys.size() * 8, 0x5a), work(8);
            int rc = entry(c.n, keys.data(), weights.empty() ? nullptr : weights.data(),
                           int32_t(c.ranks.size()), c.ranks.data(), c.nullOut ? nullptr : out.data(),
                           next.data(), c.records ? records.data() : nullptr, c.width,
                           c.nullWork ? nullptr : work.data());
            EXPECT_EQ(rc, c.rc);
            EXPECT_EQ(bitsOf(keys), bitsOf(c.keys));
            EXPECT_EQ(bitsOf(weights), bitsOf(c.weights));
            EXPECT_EQ(records, std::vector<unsigned char>(keys.size() * 8, 0x5a));
            EXPECT_EQ(next, std::vector<double>(next.size(), -7.0));
            if (rc == ZQPSORT_NO_WEIGHT) /* out holds the targets */
                for (size_t j = 0; j < c.ranks.size(); ++j)
                    EXPECT_EQ(out[j], c.ranks[j] + 1);
            else
                EXPECT_EQ(out, std::vector<double>(out.size(), -7.0));
        }
}

/* The answers by definition, from a full sort.  With inexact weights,
 * ambiguous marks the ranks whose target lies within rounding of the end of
 * a key's weight. */
void referenceAnswers(std::vector<double> keys, const std::vector<double> &weights, bool inexact,
                      const std::vector<double> &ranks, std::vector<double> &out,
                      std::vector<double> &next, std::vector<bool> &ambiguous)
{
    size_t n = keys.size();
    out.assign(ranks.size(), 0);
    next.assign(ranks.size(), 0);
    ambiguous.assign(ranks.size(), false);
    if (weights.empty()) {
        std::sort(keys.begin(), keys.end());
        for (size_t j = 0; j < ranks.size(); ++j) {
            double q = std::ceil(ranks[j]);
            out[j] = keys[size_t(std::max(q, 0.0))];
            next[j] = keys[size_t(std::min(q + 1, double(n - 1)))];
        }
        return;
    }
    double sum = 0;
    for (double w : weights)
        sum += w;
    double scale = double(n) / sum;
    std::vector<std::pair<double, double>> pairs(n);
    for (size_t i = 0; i < n; ++i)
        pairs[i] = {keys[i], weights[i] * scale};
    std::sort(pairs.begin(), pairs.end());
    struct RunOf {
        double value, below, weight;
    };
    std::vector<RunOf> runs;
    double cumulative = 0;
    for (size_t i = 0; i < n; ++i) {
        if (runs.empty() || runs.back().value != pairs[i].first)
            runs.push_back({pairs[i].first, cumulative, 0});
        runs.back().weight += pairs[i].second;
        cumulative += pairs[i].second;
    }
    for (size_t j = 0; j < ranks.size(); ++j) {
        double t = ranks[j] + 1;
        size_t r = 0;
        while (r + 1 < runs.size() && !(t <= runs[r].below + runs[r].weight * kSlack))
            ++r;
        bool onEnd = runs[r].below + runs[r].weight <= t && r + 1 < runs.size();
        out[j] = runs[r].value;
        next[j] = onEnd ? runs[r + 1].value : runs[r].value;
        for (const RunOf &run : runs)
            if (inexact && std::fabs(t - (run.below + run.weight)) < 1e-9 * double(n))
                ambiguous[j] = true;
    }
}

TEST(WeightedSelect, RandomRequestsMatchFullSort)
{
    enum KeyKind { Distinct, FewValues, TiedEnds };
    enum WeightKind { None, Dyadic, Real };
    struct Case {
        const char *id;
        int64_t n;
        KeyKind keyKind;
        WeightKind weightKind;
        int trials;
    };
    const Case cases[] = {
        {"n 1", 1, Distinct, None, 5},           {"n 2", 2, FewValues, None, 20},
        {"n 2 weighted", 2, FewValues, Dyadic, 20}, {"n 10", 10, Distinct, None, 30},
        {"n 11", 11, FewValues, Dyadic, 30},     {"n 41", 41, Distinct, Dyadic, 30},
        {"n 100 ties", 100, FewValues, None, 30}, {"n 257", 257, Distinct, Real, 20},
        {"n 300 tied ends", 300, TiedEnds, None, 20}, {"n 300 tied ends w", 300, TiedEnds, Dyadic, 20},
        {"n 1000", 1000, Distinct, None, 10},    {"n 1000 ties w", 1000, FewValues, Dyadic, 10},
        {"n 5000", 5000, Distinct, Dyadic, 4},   {"n 5000 tied ends", 5000, TiedEnds, Real, 4},
        {"n 5000 ties", 5000, FewValues, None, 4},
    };
    std::mt19937_64 rng(20240611);
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
    auto pick = [&](int64_t hi) { return std::uniform_int_distribution<int64_t>(0, hi - 1)(rng); };
    for (const Case &c : cases)
        for (int trial = 0; trial < c.trials; ++trial) {
            SCOPED_TRACE(testing::Message() << c.id << " trial " << trial);
            size_t n = size_t(c.n);
            std::vector<double> keys(n), weights;
            for (double &key : keys)
                key = c.keyKind == Distinct ? uniform(-1e3, 1e3) : double(pick(5));
            if (c.keyKind == TiedEnds) /* more than 32 ties at each end */
                for (size_t i = 0; i < n; ++i)
                    keys[i] = i % 4 == 0 ? -1.0 : i % 4 == 1 ? 9.0 : uniform(0, 8);
            if (c.weightKind == Real)
                for (size_t i = 0; i < n; ++i)
                    weights.push_back(pick(5) == 0 ? 0.0 : uniform(0, 3));
            if (c.weightKind == Dyadic) {
                /* Quarters, topped up to a sum of n * 2^e so that every
                 * normalised weight and cumulative sum is exact. */
                double sum = 0;
                for (size_t i = 0; i < n; ++i)
                    sum += weights.emplace_back(double(pick(13)) / 4);
                double target = double(n) / 64;
                while (target < sum)
                    target *= 2;
                weights[size_t(pick(c.n))] += target - sum;
            }
            /* Ranks: the ends, random fractions, and in exact cases the ends
             * of single keys' weights. */
            std::vector<double> ranks = {-1, 0, double(n - 1)};
            for (int r = 0; r < 5; ++r)
                ranks.push_back(uniform(-1, double(n - 1)));
            ranks.push_back(double(pick(c.n)));
            if (c.weightKind == Dyadic) {
                double scale = double(n) / std::accumulate(weights.begin(), weights.end(), 0.0);
                std::vector<std::pair<double, double>> sorted;
                for (size_t i = 0; i < n; ++i)
                    sorted.push_back({keys[i], weights[i] * scale});
                std::sort(sorted.begin(), sorted.end());
                double cumulative = 0;
                for (size_t i = 0; i < n; ++i) {
                    cumulative += sorted[i].second;
                    if (pick(std::max<int64_t>(1, c.n / 4)) == 0 && cumulative <= double(n))
                        ranks.push_back(cumulative - 1);
                }
            }
            std::sort(ranks.begin(), ranks.end());
            ranks.resize(size_t(pick(int64_t(ranks.size())) + 1)); /* some calls keep only low ranks */
            if (pick(2))
                ranks.push_back(double(n - 1));

            std::vector<double> expectOut, expectNext;
            std::vector<bool> ambiguous;
            referenceAnswers(keys, weights, c.weightKind == Real, ranks, expectOut, expectNext, ambiguous);
            for (Entry entry : kEntries) {
                std::vector<double> k2 = keys, w2 = weights, out(ranks.size()), next(ranks.size());
                std::vector<int64_t> records(n), work(1);
                for (size_t i = 0; i < n; ++i)
                    records[i] = int64_t(i);
                ASSERT_EQ(entry(c.n, k2.data(), w2.empty() ? nullptr : w2.data(), int32_t(ranks.size()),
                                ranks.data(), out.data(), next.data(), records.data(), 8, work.data()),
                          ZQPSORT_OK);
                for (size_t j = 0; j < ranks.size(); ++j) {
                    if (ambiguous[j])
                        continue;
                    EXPECT_EQ(out[j], expectOut[j]) << "rank " << ranks[j];
                    EXPECT_EQ(next[j], expectNext[j]) << "rank " << ranks[j];
                    if (weights.empty()) { /* the answer stands at its place */
                        size_t p = size_t(std::max(std::ceil(ranks[j]), 0.0));
                        EXPECT_EQ(k2[p], out[j]);
                        EXPECT_LE(*std::max_element(k2.begin(), k2.begin() + p + 1), out[j]);
                    }
                }
                std::vector<bool> seen(n, false);
                for (size_t i = 0; i < n; ++i) {
                    ASSERT_TRUE(records[i] >= 0 && size_t(records[i]) < n && !seen[size_t(records[i])]);
                    seen[size_t(records[i])] = true;
                    EXPECT_EQ(k2[i], keys[size_t(records[i])]);
                    if (!weights.empty()) {
                        EXPECT_EQ(w2[i], weights[size_t(records[i])]);
                    }
                }
            }
        }
}

} // namespace

namespace {

/* Settling the ends costs a pass over the keys per round; ranks that many
 * distinct end keys keep unresolved go to partitioning after 8 rounds. */
TEST(WeightedSelect, EndSettlingStopsAfterEightRounds)
{
    struct Case {
        const char *id;
        std::vector<double> ranks;
        int rounds;
    };
    const Case cases[] = {
        {"smallest and largest", {0, 199}, 1},
        {"three at the bottom", {0, 1, 2}, 3},
        {"21 at the bottom", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}, 8},
        {"12 at each end", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
                            188, 189, 190, 191, 192, 193, 194, 195, 196, 197, 198, 199}, 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<double> keys(200);
        for (size_t i = 0; i < keys.size(); ++i) keys[i] = double(keys.size() - i); /* 200 .. 1 */
        std::vector<double> out(c.ranks.size());
        ASSERT_EQ(zqpsort(int64_t(keys.size()), keys.data(), nullptr, int32_t(c.ranks.size()),
                          c.ranks.data(), out.data(), nullptr, nullptr, 0, nullptr),
                  ZQPSORT_OK);
        for (size_t j = 0; j < c.ranks.size(); ++j) EXPECT_EQ(out[j], c.ranks[j] + 1) << j;
        EXPECT_EQ(zqpsortEndRounds(), c.rounds);
    }
}

}  // namespace
