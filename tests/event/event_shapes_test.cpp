/*
 * event_shapes_test.cpp - the shape generators on a 10-observation OBS
 * series, worked out by hand: one occurrence into an untouched (missing)
 * series, every observation compared; the starting exponents and ramp
 * indices of occurrences outside the series (the table of
 * event_shapes.h); the TC overflow guard; many occurrences through the
 * occurrence writer, bit for bit as written one by one; held levels
 * settled over their range only.
 */
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <vector>

#include "event/datekey_dates.h"
#include "event/event_shapes.h"
#include "event/level_merges.h"
#include "event/occurrence_writer.h"
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

/* A SIMPLE event of type with the value, stored durations and slopes. */
ZTSEV_EVENT shapedEvent(int type, double value, int64_t before, int64_t after, int slopeBefore, int slopeAfter)
{
    ZTSEV_EVENT event = simpleEvent(type);
    event.effective.value = value;
    event.effective.before = before;
    event.effective.after = after;
    event.effective.slopeBefore = slopeBefore;
    event.effective.slopeAfter = slopeAfter;
    return event;
}

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
        {"ramp-peak-one-after", 3, 4, 3, 2, G, D, 0, 4, {M, 0, 2, 4, 0, M, M, M, M, M}},
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
        ZTSEV_EVENT event = shapedEvent(c.type, c.value, c.before, c.after, c.slopeBefore, c.slopeAfter);
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

/* The occurrence writer holds long pieces back and merges them in one
 * pass; every bit must be as the occurrences written one by one in their
 * order give it.  The occurrences are unsorted, repeated, outside the
 * series and dense (every third observation), in two batches. */
TEST(EventShapes, ManyOccurrencesAsWrittenOneByOne)
{
    orvtest::moduleHost();
    orvtest::TestSeries s;
    orvtest::makeSeries(s, "OBS", 1, 300);
    std::vector<double> occurrences = {40, 3, 40, 150, 299, -20, 310, 1, 77, 200, 200, 120, 5, 260};
    for (double obs = 10; obs <= 290; obs += 3) occurrences.push_back(obs);
    const size_t firstBatch = occurrences.size() / 2;
    struct Case {
        const char *id;
        int type, rule;
        double value;
        int64_t before, after; /* stored: n + 1, 0 = ALL */
        int slopeBefore, slopeAfter;
        double tcParm = 0.5;
        std::vector<double> own = {}; /* occurrences of the case's own */
    };
    const int ADD = ZTSEV_RULE_ADD, MAX = ZTSEV_RULE_MAX, MIN = ZTSEV_RULE_MIN, MINNZ = ZTSEV_RULE_MINNZ,
              MINMAG = ZTSEV_RULE_MINMAG, MULT = ZTSEV_RULE_MULT, AND = ZTSEV_RULE_AND, OR = ZTSEV_RULE_OR;
    const int RAMP = ZTSEV_TYPE_RAMP, TR = ZTSEV_TYPE_TR, TC = ZTSEV_TYPE_TC, LS = ZTSEV_TYPE_LS;
    const Case cases[] = {
        {"ramp-add-to-end", RAMP, ADD, 1, 1, 0, G, G},           /* exact sums of lines */
        {"ramp-add-third", RAMP, ADD, 1.0 / 3, 1, 0, G, G},      /* no grid: one by one */
        {"ramp-add-level", RAMP, ADD, 1.5, 3, 3, G, G},          /* lines by 4 and levels */
        {"ramp-add-by-seven", RAMP, ADD, 1, 4, 5, G, G},         /* divisor 7: levels held apart */
        {"ramp-add-decay-level", RAMP, ADD, 0.1, 3, 2, D, D},     /* levels before the start */
        {"ramp-add-from-start", RAMP, ADD, 2, 0, 2, D, D},       /* decaying lines from 0 */
        {"ramp-add-fine", RAMP, ADD, 1 + 0x1p-35, 1, 0, G, G},   /* past 2^53 units midway */
        {"ramp-add-coarse", RAMP, ADD, 1 + 0x1p-45, 33, 33, G, G}, /* past 2^53 units at the fifth term */
        {"tr-add-apart", TR, ADD, 1, 5, 5, G, G, 0.5, {40, 150, 260}}, /* exact sums, most observations missing */
        {"tr-or-to-end", TR, OR, 1, 1, 0, G, G},
        {"tr-or-alone", TR, OR, 1, 1, 0, G, G, 0.5, {150}},      /* one line: its own values */
        {"tr-or-twice", TR, OR, 1, 1, 0, G, G, 0.5, {40, 40}},   /* two lines, both 0 at 39 */
        {"ramp-or-level", RAMP, OR, 2, 3, 3, G, G},              /* levels counted, lines short */
        {"ramp-and-to-end", RAMP, AND, 1, 1, 0, G, G},
        {"ramp-max-both-all", RAMP, MAX, 1, 0, 0, D, G},         /* two forms from 0 and to the end */
        {"ramp-min-both-all", RAMP, MIN, -0.5, 0, 0, G, D},
        {"tr-min-from-start", TR, MIN, -1.5, 0, 1, D, D},
        {"tr-max-peak", TR, MAX, 1, 0, 0, G, D},
        {"ramp-minnz", RAMP, MINNZ, 1, 1, 0, G, G},              /* split at 0, folded as MIN */
        {"ramp-minnz-alone", RAMP, MINNZ, 1, 1, 0, G, G, 0.5, {150}},
        {"tr-minnz-both-all", TR, MINNZ, -1, 0, 0, G, D},
        {"ramp-minmag", RAMP, MINMAG, -1, 3, 3, G, G},
        {"tr-minmag-to-end", TR, MINMAG, 1, 1, 0, G, G},         /* folds as MIN */
        {"tr-minmag-negative", TR, MINMAG, -1, 1, 0, G, G},      /* folds as MAX */
        {"ramp-minmag-signs", RAMP, MINMAG, 2, 0, 0, G, D},      /* both signs: one by one */
        /* Lines before 33 (held) and after 29 (either sign: one by one)
         * give 4, then -4 at 31: the later of one magnitude stays. */
        {"ramp-minmag-tie", RAMP, MINMAG, 2, 0, 0, D, D, 0.5, {34, 30}},
        {"ramp-minmag-decay", RAMP, MINMAG, 2, 1, 0, D, D},
        {"ramp-minmag-all-before", RAMP, MINMAG, 2, 0, 3, G, G}, /* levels after lines of both signs */
        {"ramp-mult", RAMP, MULT, 1.25, 1, 0, G, G},
        {"ramp-mult-level", RAMP, MULT, 1.25, 3, 4, G, G},
        {"tc-add", TC, ADD, 1, 1, 0, G, D, 0.01},                /* vanishes from k = 154 */
        {"tc-or-negative", TC, OR, 3, 1, 0, G, D, -0.05},
        {"tc-max-zero", TC, MAX, -2, 1, 0, G, D, 0},
        {"tc-mult", TC, MULT, 0.75, 1, 0, G, D, 0.1},
        {"tc-minnz-decay", TC, MINNZ, 1, 3, 0, D, D, 0.1},
        {"tc-growth", TC, ADD, 1, 0, 1, G, G, 0.1},              /* growing runs: one by one */
        {"ls-add-tenth", LS, ADD, 0.1, 1, 0, G, G},
        {"ls-add-two", LS, ADD, 2, 1, 0, G, G},                  /* repeated sums on the grid */
        {"ls-mult", LS, MULT, -1, 1, 0, G, G},
    };
    for (const Case &c : cases) {
        ZTSEV_EVENT event = shapedEvent(c.type, c.value, c.before, c.after, c.slopeBefore, c.slopeAfter);
        event.effective.rule = c.rule;
        event.effective.tcParm = c.tcParm;
        const std::vector<double> &dates = c.own.empty() ? occurrences : c.own;
        std::vector<double> oneByOne(300, M);
        for (double obs : dates) ZTSEVDate2Shape(obs, ZTSEV_KIND_OBS, &event, nullptr, &s.block, oneByOne.data());
        /* Every occurrence held where it can be, and the first ones of each
         * batch written at once. */
        for (int64_t directPasses : {int64_t(0), ZTSEVOccurrenceWriter::kDirectPasses}) {
            std::vector<double> written(300, M);
            ZTSEVOccurrenceWriter writer(&event, &s.block, written.data(), ztsevTemporaryPool(), directPasses);
            for (size_t k = 0; k < dates.size(); ++k) {
                EXPECT_EQ(writer.add(dates[k], ZTSEV_KIND_OBS, nullptr), 0) << c.id;
                if (k + 1 == firstBatch) writer.finish();
            }
            writer.finish();
            for (size_t i = 0; i < 300; ++i)
                ASSERT_EQ(std::bit_cast<uint64_t>(written[i]), std::bit_cast<uint64_t>(oneByOne[i]))
                    << c.id << " (" << directPasses << ") at " << i << ": " << written[i] << " against "
                    << oneByOne[i];
        }
    }
}

/* Held levels are merged only where they are settled: settling a range,
 * short or long, leaves every other observation as it was, so that a
 * piece costs its own length rather than a pass over the series.  Two
 * levels of 0.5 held over all 300 observations of a series of 1s, under
 * ADD; worked out by hand. */
TEST(EventShapes, HeldLevelsSettleOnlyTheirRange)
{
    orvtest::moduleHost();
    const struct {
        const char *id;
        int64_t lo, hi; /* the range settled, 0-based */
    } cases[] = {{"short", 5, 9}, {"long", 100, 199}, {"clipped", 250, 400}, {"whole", -3, 299}};
    for (const auto &c : cases) {
        ZTSEVRepeatedMerge merge(ZTSEV_RULE_ADD, 0.5, ztsevTemporaryPool());
        ZTSEVPendingLevels levels(300, &merge, ztsevTemporaryPool());
        levels.add(0, 299);
        levels.add(0, 299);
        std::vector<double> values(300, 1.0);
        levels.settle(values.data(), c.lo, c.hi);
        for (int64_t i = 0; i < 300; ++i)
            ASSERT_EQ(values[size_t(i)], i >= c.lo && i <= c.hi ? 2.0 : 1.0) << c.id << " at " << i;
        levels.settleAll(values.data());
        for (int64_t i = 0; i < 300; ++i) ASSERT_EQ(values[size_t(i)], 2.0) << c.id << " after all, at " << i;
        merge.release();
    }
}

}  // namespace
