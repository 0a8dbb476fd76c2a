/*
 * event_shapes_test.cpp - the shape generators on a 10-observation OBS
 * series, worked out by hand: one occurrence into an untouched (missing)
 * series, every observation compared; the starting exponents and ramp
 * indices of occurrences outside the series (the table of
 * event_shapes.h); the TC overflow guard.
 */
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

#include "event/event_shapes.h"
#include "host/missing_values.h"
#include "tests/event/dummy_series.h"
#include "tests/support/module_host.h"

namespace {

using orvtest::simpleEvent;

const double M = orvMissing(); /* untouched */
constexpr int G = ZTSEV_SLOPE_GROWTH, D = ZTSEV_SLOPE_DECAY;

struct ShapeCase {
    const char *id;
    int type;
    double value;
    int64_t before, after; /* stored: n + 1, 0 = ALL */
    int slopeBefore, slopeAfter;
    int64_t shift;
    double obs; /* 1-based observation number of the occurrence */
    std::vector<double> expected;
    int64_t keyAfter = -1; /* a key event at obs with this stored duration after; -1 none */
};

bool same(double a, double b) { return (orvIsMissing(a) && orvIsMissing(b)) || std::fabs(a - b) <= 1e-12; }

TEST(EventShapes, OneOccurrenceOnTenObservations)
{
    orvtest::moduleHost();
    orvtest::TestSeries s;
    orvtest::makeSeries(s, "OBS", 1, 10);
    const double q = 0.25, e = 0.125, x = 0.0625;
    const std::vector<ShapeCase> cases = {
        {"point", 1, 1, 1, 1, G, G, 0, 4, {M, M, M, 1, M, M, M, M, M, M}},
        {"point-window", 1, 2, 2, 3, G, G, 0, 4, {M, M, 2, 2, 2, 2, M, M, M, M}},
        {"ls-all-after", 2, 1, 1, 0, G, G, 0, 4, {M, M, M, 1, 1, 1, 1, 1, 1, 1}},
        {"cbls", 2, -1, 0, 1, G, G, -1, 4, {-1, -1, -1, M, M, M, M, M, M, M}},
        {"quad-2-2", 7, 1, 3, 3, G, G, 0, 4, {M, 4, 1, 0, 1, 4, M, M, M, M}},
        {"cubic-1-1", 8, 2, 2, 2, G, G, 0, 4, {M, M, -2, 0, 2, M, M, M, M, M}},
        {"linear-all", 6, 1, 0, 0, G, G, 0, 4, {-3, -2, -1, 0, 1, 2, 3, 4, 5, 6}},
        {"linear-keyword", 6, 1, 0, 0, G, G, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"inverse-0-3", 9, 1, 1, 4, G, G, 0, 4, {M, M, M, 1, 1.0 / 2, 1.0 / 3, 1.0 / 4, M, M, M}},
        {"inverse-1-1", 9, 6, 2, 2, G, G, 0, 4, {M, M, 6, 3, 2, M, M, M, M, M}},
        {"log-all", 10, 1, 0, 0, G, G, 0, 1,
         {0, std::log(2), std::log(3), std::log(4), std::log(5), std::log(6), std::log(7), std::log(8), std::log(9),
          std::log(10)}},
        {"ramp-growth-0-4", 3, 1, 1, 5, G, G, 0, 4, {M, M, M, 0, q, 0.5, 0.75, 1, 1, 1}},
        {"tr-growth-0-4", 4, 1, 1, 5, G, G, 0, 4, {M, M, M, 0, q, 0.5, 0.75, 1, M, M}},
        {"ramp-decay-2-2", 3, 1, 3, 3, D, D, 0, 4, {1, 1, 0.75, 0.5, q, 0, M, M, M, M}},
        {"tr-decay-2-2", 4, 1, 3, 3, D, D, 0, 4, {M, 1, 0.75, 0.5, q, 0, M, M, M, M}},
        {"ramp-peak", 3, 4, 3, 5, G, D, 0, 4, {M, 0, 2, 4, 3, 2, 1, 0, M, M}},
        {"ramp-trough", 3, 4, 3, 3, D, G, 0, 4, {4, 4, 2, 0, 2, 4, 4, 4, 4, 4}},
        {"ramp-zero", 3, 1, 1, 1, G, G, 0, 4, {M, M, M, 0, M, M, M, M, M, M}},
        {"ramp-all", 3, 1, 0, 0, D, G, 0, 4, {3, 2, 1, 0, 1, 2, 3, 4, 5, 6}},
        {"tc-default", 5, 1, 1, 0, G, D, 0, 4, {M, M, M, 1, 0.5, q, e, x, x / 2, x / 4}},
        {"tc-peak", 5, 1, 3, 3, G, D, 0, 4, {M, q, 0.5, 1, 0.5, q, M, M, M, M}},
        {"tc-decay-decay", 5, 1, 3, 2, D, D, 0, 4, {M, 1, 0.5, q, e, M, M, M, M, M}},
        {"tc-growth-growth", 5, 1, 2, 3, G, G, 0, 4, {M, M, e, q, 0.5, 1, M, M, M, M}},
        {"tc-trough", 5, 1, 2, 4, D, G, 0, 4, {M, M, q, e, q, 0.5, 1, M, M, M}},
        {"tc-all", 5, 1, 0, 0, G, D, 0, 4, {e, q, 0.5, 1, 0.5, q, e, x, x / 2, x / 4}},
        {"tc-before-only", 5, 1, 3, 1, G, D, 0, 4, {M, q, 0.5, 1, M, M, M, M, M, M}},
        {"type-outside", 11, 1, 1, 1, G, G, 0, 4, {M, M, M, M, M, M, M, M, M, M}},
        /* Occurrences outside the series: the part of the window inside. */
        {"out-tc-dd-before", 5, 1, 2, 4, D, D, 0, -1, {e, x, M, M, M, M, M, M, M, M}},
        {"out-tc-dd-after", 5, 1, 4, 4, D, D, 0, 12, {M, M, M, M, M, M, M, M, 1, 0.5}},
        {"out-tc-gg-before", 5, 1, 1, 4, G, G, 0, 0, {q, 0.5, 1, M, M, M, M, M, M, M}},
        {"out-tc-gd-after", 5, 1, 4, 1, G, D, 0, 12, {M, M, M, M, M, M, M, M, e, q}},
        {"out-tc-default-before", 5, 1, 1, 0, G, D, 0, -1, {q, e, x, x / 2, x / 4, x / 8, x / 16, x / 32, x / 64,
                                                            x / 128}},
        {"out-ramp-gg-before", 3, 1, 1, 5, G, G, 0, 0, {q, 0.5, 0.75, 1, 1, 1, 1, 1, 1, 1}},
        {"out-tr-gg-before", 4, 1, 1, 5, G, G, 0, 0, {q, 0.5, 0.75, 1, M, M, M, M, M, M}},
        {"out-ramp-dd-after", 3, 1, 5, 1, D, D, 0, 12, {1, 1, 1, 1, 1, 1, 1, 1, 0.75, 0.5}},
        {"out-ramp-peak-after", 3, 4, 5, 3, G, D, 0, 11, {M, M, M, M, M, M, 0, 1, 2, 3}},
        {"out-ramp-entirely-before", 3, 1, 1, 3, G, G, 0, -5, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"out-tr-entirely-before", 4, 1, 1, 3, G, G, 0, -5, {M, M, M, M, M, M, M, M, M, M}},
        {"out-ls-huge", 2, 1, 1, 0, G, G, 0, 1e30, {M, M, M, M, M, M, M, M, M, M}},
        {"out-ls-huge-all", 2, 1, 0, 1, G, G, 0, 1e30, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        /* A key window reaching past an end, shifted back into the series:
         * the key at 12 covers 11 to 13 (0-based), shifted by -3 to 8 to 10;
         * at -1 it covers -2 to 0, shifted by 3 to 1 to 3. */
        {"key-shift-back", 1, 1, 1, 1, G, G, -3, 12, {M, M, M, M, M, M, M, M, 1, 1}, 3},
        {"key-ls-after-1-shift-back", 2, 1, 1, 2, G, G, -3, 12, {M, M, M, M, M, M, M, M, 1, 1}, 3},
        {"key-shift-forward", 1, 1, 1, 1, G, G, 3, -1, {M, 1, 1, 1, M, M, M, M, M, M}, 3},
    };
    for (const ShapeCase &c : cases) {
        ZTSEV_EVENT event = simpleEvent(c.type);
        event.effective.value = c.value;
        event.effective.before = c.before;
        event.effective.after = c.after;
        event.effective.slopeBefore = c.slopeBefore;
        event.effective.slopeAfter = c.slopeAfter;
        event.effective.shift = c.shift;
        ZTSEV_EVENT key = simpleEvent();
        key.effective.after = c.keyAfter;
        std::vector<double> values(10, M);
        EXPECT_EQ(ZTSEVDate2Shape(c.obs, ZTSEV_KIND_OBS, &event, c.keyAfter < 0 ? nullptr : &key, &s.block,
                                  values.data()),
                  0)
            << c.id;
        for (size_t i = 0; i < 10; ++i)
            EXPECT_TRUE(same(values[i], c.expected[i]))
                << c.id << " at " << i << ": " << orvtest::show(values);
    }
}

TEST(EventShapes, DatedValueOnObsSeriesAndWrongTypes)
{
    orvtest::moduleHost();
    orvtest::TestSeries s;
    orvtest::makeSeries(s, "OBS", 1, 10);
    std::vector<double> values(10, M);
    for (int type = 1; type <= 10; ++type) {
        ZTSEV_EVENT event = simpleEvent(type);
        EXPECT_EQ(ZTSEVDate2Shape(21915, ZTSEV_KIND_DATE, &event, nullptr, &s.block, values.data()), 0) << type;
    }
    for (double v : values) EXPECT_TRUE(orvIsMissing(v));
    ZTSEV_EVENT point = simpleEvent(ZTSEV_TYPE_POINT);
    EXPECT_EQ(ZTSEVDate2ObsFunc(4, ZTSEV_KIND_OBS, &point, nullptr, &s.block, values.data()), ZTSEV_BAD_TYPE);
    /* A missing observation number cannot be placed. */
    EXPECT_EQ(ZTSEVDate2Shape(M, ZTSEV_KIND_OBS, &point, nullptr, &s.block, values.data()), 15);
}

/* The guard compares magnitudes: a negative parameter gives negative terms
 * whose product with v overflows; every term stays finite. */
TEST(EventShapes, TcTermsNeverOverflowToInfinity)
{
    orvtest::moduleHost();
    struct Case {
        const char *id;
        double v, p;
        std::vector<double> expected; /* k = 0, 1, 2 */
    } cases[] = {
        {"negative-p-odd", 10, -1e308, {10, -DBL_MAX, DBL_MAX}},
        {"positive-p", 10, 1e308, {10, DBL_MAX, DBL_MAX}},
        {"negative-v", -10, 1e308, {-10, -DBL_MAX, -DBL_MAX}},
        {"small-v", 0.5, 1e308, {0.5, 0.5e308, DBL_MAX * 0.5}},
        {"zero-p", 3, 0, {0, 0, 0}}, /* 0^0 is refused by zpower: 0 */
    };
    for (const Case &c : cases) {
        std::vector<double> values(3, M);
        int64_t begin = 0, counter = 0;
        EXPECT_EQ(ZTSEVDummyTCValues(values.data(), 3, &begin, 2, &counter, ZTSEV_RULE_ADD, c.v, c.p, 1), 0) << c.id;
        EXPECT_EQ(begin, 3) << c.id;
        EXPECT_EQ(counter, 3) << c.id;
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_TRUE(std::isfinite(values[i])) << c.id << " " << i;
            EXPECT_DOUBLE_EQ(values[i], c.expected[i]) << c.id << " " << i;
        }
    }
    /* Runs outside the series, and a negative begin advancing the counter. */
    std::vector<double> values(3, M);
    int64_t begin = 3, counter = 0;
    EXPECT_EQ(ZTSEVDummyTCValues(values.data(), 3, &begin, 5, &counter, 1, 1, 0.5, 1), ZTSEV_TC_OUTSIDE);
    begin = -4;
    EXPECT_EQ(ZTSEVDummyTCValues(values.data(), 3, &begin, -1, &counter, 1, 1, 0.5, 1), ZTSEV_TC_OUTSIDE);
    begin = -2;
    counter = 0;
    EXPECT_EQ(ZTSEVDummyTCValues(values.data(), 3, &begin, 0, &counter, 1, 1, 0.5, 1), 0);
    EXPECT_DOUBLE_EQ(values[0], 0.25);
}

}  // namespace
