/*
 * event_rules_test.cpp - the merge rules: one value (every rule, the
 * overflow bounds, missing inputs, an unknown rule), two series, and the
 * rule keywords.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <string>
#include <vector>

#include "event/event_rules.h"
#include "host/missing_values.h"

namespace {

const double kMiss = orvMissing();

struct ValueCase {
    const char *id;
    int rule;
    double oldValue, newValue;
    double expected; /* compared bit for bit */
    int status;
};

TEST(EventRules, OneValue)
{
    const std::vector<ValueCase> cases = {
        {"add", 1, 2, 3, 5, 0},
        {"add-max", 1, DBL_MAX, 1e308, DBL_MAX, 0},
        {"add-min", 1, -DBL_MAX, -1e308, -DBL_MAX, 0},
        {"add-mixed-signs", 1, DBL_MAX, -1e308, DBL_MAX - 1e308, 0},
        {"max", 2, -1, 4, 4, 0},
        {"min", 3, -1, 4, -1, 0},
        {"minnz-new-0", 4, 3, 0, 3, 0},
        {"minnz-old-0", 4, 0, -2, -2, 0},
        {"minnz-both", 4, 3, 2, 2, 0},
        {"minmag-new-bigger", 5, -2, 3, -2, 0},
        {"minmag-old-bigger", 5, -3, 2, 2, 0},
        {"minmag-tie-gives-new", 5, -2, 2, 2, 0},
        {"mult", 6, -2, 3, -6, 0},
        {"mult-neg-max", 6, -1e200, 1e200, -DBL_MAX, 0},
        {"mult-pos-max", 6, -1e200, -1e200, DBL_MAX, 0},
        {"mult-small", 6, 1e-200, 1e-200, 0, 0},
        {"and-0", 7, 5, 0, 0, 0},
        {"and-1", 7, 5, -2, 1, 0},
        {"or-0", 8, 0, 0, 0, 0},
        {"or-1", 8, 0, -3, 1, 0},
        {"missing-old", 6, kMiss, 7, 7, 0},
        {"missing-new", 7, 7, kMiss, 7, 0},
        {"missing-old-bad-rule", 99, kMiss, 7, 7, 0},
        {"rule-14", 99, 1, 2, kMiss, 14},
        {"rule-0", 0, 1, 2, kMiss, 14},
        /* A zero is +0 whatever the signs that made it. */
        {"missing-old-negative-zero", 1, kMiss, -0.0, 0, 0},
        {"missing-new-negative-zero", 1, -0.0, kMiss, 0, 0},
        {"add-negative-zeros", 1, -0.0, -0.0, 0, 0},
        {"mult-zero-by-negative", 6, 0, -3, 0, 0},
        {"min-negative-zero", 3, 0, -0.0, 0, 0},
    };
    for (const ValueCase &c : cases) {
        int status = -1;
        double got = ZTSEVValueFromRule(c.rule, &status, c.oldValue, c.newValue);
        EXPECT_EQ(std::bit_cast<uint64_t>(got), std::bit_cast<uint64_t>(c.expected)) << c.id << " got " << got;
        EXPECT_EQ(status, c.status) << c.id;
    }
}

struct SeriesCase {
    const char *id;
    int rule;
    std::vector<double> a, b, expected;
};

TEST(EventRules, TwoSeries)
{
    const std::vector<SeriesCase> cases = {
        {"mult", 6, {2, kMiss}, {3, 4}, {6, kMiss}},
        {"or", 8, {2, kMiss}, {3, 4}, {1, 1}},
        {"or-both-missing", 8, {kMiss, 0}, {kMiss, 0}, {0, 0}},
        {"and-missing", 7, {1, kMiss}, {1, 1}, {1, kMiss}},
        {"add-missing", 1, {kMiss, 2}, {3, kMiss}, {3, 2}},
        {"minnz", 4, {0, 5}, {2, 0}, {2, 5}},
        {"mult-negative-zero", 6, {0, -0.0}, {-2, kMiss}, {0, kMiss}},
        {"add-negative-zero", 1, {-0.0, kMiss}, {kMiss, -0.0}, {0, 0}},
    };
    for (const SeriesCase &c : cases) {
        std::vector<double> out(c.a.size(), -1);
        EXPECT_EQ(ZTSEVCombDummyFromRule(c.a.data(), c.b.data(), out.data(), int64_t(out.size()), c.rule), 0) << c.id;
        for (size_t i = 0; i < out.size(); ++i)
            EXPECT_EQ(std::bit_cast<uint64_t>(out[i]), std::bit_cast<uint64_t>(c.expected[i])) << c.id << " [" << i << "]";
    }
    /* out may be an input; an unknown rule leaves out untouched. */
    std::vector<double> a = {2, 3}, b = {4, 5};
    EXPECT_EQ(ZTSEVCombDummyFromRule(a.data(), b.data(), a.data(), 2, 1), 0);
    EXPECT_EQ(a, (std::vector<double>{6, 8}));
    EXPECT_EQ(ZTSEVCombDummyFromRule(a.data(), b.data(), a.data(), 2, 9), 14);
    EXPECT_EQ(a, (std::vector<double>{6, 8}));
}

TEST(EventRules, Keywords)
{
    const std::vector<std::pair<int, std::string>> cases = {
        {1, "ADD"}, {4, "MINNZ"}, {5, "MINMAG"}, {8, "OR"}, {0, "."}, {9, "."},
    };
    for (const auto &[rule, word] : cases) {
        char field[32];
        int length = ZTSEVRuleFlag2Char(rule, field);
        EXPECT_EQ(std::string(field, size_t(length)), word) << rule;
        EXPECT_EQ(std::string(field + length, size_t(32 - length)), std::string(size_t(32 - length), ' ')) << rule;
    }
}

}  // namespace
