/*
 * timeslot_test.cpp - accumulation into time slots, SETMISSING, the median
 * and the slot, season and total summaries, in both forms, on values
 * worked out by hand.  The large-offset cases (1e8 + 1, 1e8 + 2, 1e8 + 3:
 * deviation 1 exactly) fail with sums of squares and pass with deviations.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "host/missing_values.h"
#include "interval/timeslot_accumulate.h"
#include "interval/timeslot_summary.h"
#include "tests/support/module_host.h"

namespace {

const double M = orvMissing();
const double D = skMissVal('D');

uint64_t bits(double v) { return std::bit_cast<uint64_t>(v); }

/* Missing values compare by bit pattern, the rest within 1e-9 relative. */
void expectSeries(const std::vector<double> &got, const std::vector<double> &expected)
{
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        if (orvIsMissing(expected[i]))
            EXPECT_EQ(bits(got[i]), bits(expected[i])) << "slot " << i << " got " << got[i];
        else
            EXPECT_NEAR(got[i], expected[i], 1e-9 * std::max(1.0, std::fabs(expected[i]))) << "slot " << i;
    }
}

using AccumulateFn = int (*)(const int64_t *, int64_t, const double *, int64_t, int64_t, int64_t, int, int,
                             double *);

struct TimCase {
    const char *id;
    int method;
    std::vector<int64_t> index;
    std::vector<double> values;
    int64_t start, nslots;
    int result;
    std::vector<double> out;
};

TEST(TimeSlots, ZinttimOneSeries)
{
    const std::vector<TimCase> cases = {
        {"NONE two in a slot", ZTS_ACC_NONE, {0, 0, 1}, {1, 2, 3}, 0, 3, 0, {D, 3, M}},
        {"NONE three in a slot", ZTS_ACC_NONE, {0, 0, 0}, {1, 2, 3}, 0, 1, 0, {D}},
        {"NONE skips missing", ZTS_ACC_NONE, {0, 0}, {M, 5}, 0, 1, 0, {5}},
        {"TOTAL", ZTS_ACC_TOTAL, {0, 0, 2}, {1.5, 2, M}, 0, 3, 0, {3.5, M, M}},
        {"AVERAGE", ZTS_ACC_AVERAGE, {0, 0, 1}, {2, 4, 7}, 0, 3, 0, {3, 7, M}},
        {"FIRST", ZTS_ACC_FIRST, {1, 1, 1}, {M, 8, 9}, 0, 2, 0, {M, 8}},
        {"LAST", ZTS_ACC_LAST, {1, 1, 1}, {8, 9, M}, 0, 2, 0, {M, 9}},
        {"MINIMUM", ZTS_ACC_MINIMUM, {0, 0, 0}, {4, -2, 3}, 0, 1, 0, {-2}},
        {"MAXIMUM", ZTS_ACC_MAXIMUM, {0, 0, 0}, {4, -2, 3}, 0, 1, 0, {4}},
        {"MEDIAN odd", ZTS_ACC_MEDIAN, {0, 0, 0, 1}, {4, 1, 3, M}, 0, 2, 0, {3, M}},
        {"MEDIAN even, interleaved", ZTS_ACC_MEDIAN, {0, 1, 0, 1, 0, 0}, {4, 10, 1, 20, 3, 2}, 0, 3, 0, {2.5, 15, M}},
        {"STD single", ZTS_ACC_STD, {0}, {5}, 0, 1, 0, {M}},
        {"STD equal", ZTS_ACC_STD, {0, 0}, {1, 1}, 0, 1, 0, {0}},
        {"STD 2 4 4 4 5 5 7 9", ZTS_ACC_STD, {0, 0, 0, 0, 0, 0, 0, 0}, {2, 4, 4, 4, 5, 5, 7, 9}, 0, 1, 0,
         {std::sqrt(32.0 / 7.0)}},
        {"STD large offset", ZTS_ACC_STD, {0, 0, 0}, {1e8 + 1, 1e8 + 2, 1e8 + 3}, 0, 1, 0, {1}},
        {"CSS large offset", ZTS_ACC_CSS, {0, 0, 0}, {1e8 + 1, 1e8 + 2, 1e8 + 3}, 0, 1, 0, {2}},
        {"CSS one value", ZTS_ACC_CSS, {0, 1}, {3, M}, 0, 2, 0, {0, M}},
        {"USS", ZTS_ACC_USS, {0, 0, 0}, {1, M, 3}, 0, 1, 0, {10}},
        {"NOBS", ZTS_ACC_NOBS, {0, 0, 0}, {1, M, 3}, 0, 2, 0, {3, 0}},
        {"N", ZTS_ACC_N, {0, 0, 0}, {1, M, 3}, 0, 2, 0, {2, 0}},
        {"NMISS", ZTS_ACC_NMISS, {0, 0, 0}, {1, M, 3}, 0, 2, 0, {1, 0}},
        {"slots outside are ignored", ZTS_ACC_TOTAL, {4, 5, 6, 9}, {1, 2, 3, 4}, 5, 2, 0, {2, 3}},
        {"TOTAL overflow", ZTS_ACC_TOTAL, {0, 0}, {1e308, 1e308}, 0, 1, -2, {}},
        {"USS first value too large", ZTS_ACC_USS, {0}, {1e155}, 0, 1, -2, {}},
        {"STD value too large", ZTS_ACC_STD, {0, 0}, {1, 1e155}, 0, 1, -2, {}},
        {"no observations", ZTS_ACC_TOTAL, {}, {}, 0, 1, -99, {}},
        {"no slots", ZTS_ACC_TOTAL, {0}, {1}, 0, 0, -99, {}},
        {"negative start", ZTS_ACC_TOTAL, {0}, {1}, -1, 1, -99, {}},
    };
    orvtest::moduleHost();
    for (const TimCase &c : cases) {
        for (AccumulateFn tim : {zinttim, zinttim2}) {
            SCOPED_TRACE(std::string(c.id) + (tim == zinttim ? " (plain)" : " (form 2)"));
            std::vector<double> out(size_t(std::max<int64_t>(c.nslots, 1)), 123.0);
            const int r = tim(c.index.empty() ? nullptr : c.index.data(), int64_t(c.index.size()),
                              c.values.empty() ? nullptr : c.values.data(), 1, c.start, c.nslots, 1, c.method,
                              out.data());
            EXPECT_EQ(r, c.result);
            if (r == 0) expectSeries(out, c.out);
        }
    }
}

TEST(TimeSlots, ZinttimSeveralSeriesInBothLayouts)
{
    /* Two series, three observations, slots 0 and 1. */
    const int64_t index[] = {0, 1, 1};
    const std::vector<double> seriesAfterSeries = {1, 2, 3, 10, M, 30};
    const std::vector<double> rowAfterRow = {1, 10, 2, M, 3, 30};
    std::vector<double> out(4);
    ASSERT_EQ(zinttim(index, 3, seriesAfterSeries.data(), 2, 0, 2, 1, ZTS_ACC_TOTAL, out.data()), 0);
    expectSeries(out, {1, 5, 10, 30});
    ASSERT_EQ(zinttim(index, 3, rowAfterRow.data(), 2, 0, 2, 0, ZTS_ACC_TOTAL, out.data()), 0);
    expectSeries(out, {1, 10, 5, 30});
    ASSERT_EQ(zinttim2(index, 3, rowAfterRow.data(), 2, 0, 2, 0, ZTS_ACC_MEDIAN, out.data()), 0);
    expectSeries(out, {1, 10, 2.5, 30});
    ASSERT_EQ(zinttim(index, 3, seriesAfterSeries.data(), 2, 0, 2, 1, ZTS_ACC_NMISS, out.data()), 0);
    expectSeries(out, {0, 0, 0, 1});
}

TEST(TimeSlots, ZinttiaReportsMissingValuesAndUnknownMethods)
{
    double out[1] = {M};
    const double x = 5, missing = M;
    EXPECT_EQ(zinttia(0, 1, &missing, 1, 0, 1, 1, ZTS_ACC_TOTAL, out, nullptr, nullptr), 1);
    EXPECT_EQ(zinttia(0, 1, &x, 1, 0, 1, 1, ZTS_ACC_TOTAL, out, nullptr, nullptr), 0);
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(zinttia2(0, 1, &x, 1, 0, 1, 1, 42, out, nullptr, nullptr), 1);
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(zinttia(3, 1, &x, 1, 0, 1, 1, ZTS_ACC_TOTAL, out, nullptr, nullptr), 0);
    EXPECT_EQ(out[0], 5);
}

struct TisCase {
    const char *id;
    int method;
    std::vector<double> values;
    double given;
    int result;
    std::vector<double> out;
    double replacement;
    int64_t replaced;
};

TEST(TimeSlots, ZinttisSetMissing)
{
    const std::vector<TisCase> cases = {
        {"previous", 9, {M, 1, M, 3}, 0, 0, {M, 1, 1, 3}, 3, 2},
        {"next", 10, {M, 1, M, 3, M}, 0, 0, {1, 1, 3, 3, M}, 1, 3},
        {"minimum", 5, {M, 4, 2}, 0, 0, {2, 4, 2}, 2, 1},
        {"maximum", 6, {M, 4, 2}, 0, 0, {4, 4, 2}, 4, 1},
        {"mean", 2, {1, M, 2, M}, 0, 0, {1, 1.5, 2, 1.5}, 1.5, 2},
        {"first", 3, {M, 7, 8}, 0, 0, {7, 7, 8}, 7, 1},
        {"last", 4, {M, 7, 8}, 0, 0, {8, 7, 8}, 8, 1},
        {"median", 7, {M, 9, 1, 4, M}, 0, 0, {4, 9, 1, 4, 4}, 4, 2},
        {"given value", 100, {M, 2}, -1, 0, {-1, 2}, -1, 1},
        {"all missing", 2, {M, M}, 0, 1, {M, M}, M, 2},
        {"nothing missing", 9, {1, 2}, 0, 0, {1, 2}, 2, 0},
        {"empty", 2, {}, 0, -1, {}, M, -1},
    };
    orvtest::moduleHost();
    for (const TisCase &c : cases) {
        for (auto tis : {zinttis, zinttis2}) {
            SCOPED_TRACE(std::string(c.id) + (tis == zinttis ? " (plain)" : " (form 2)"));
            std::vector<double> out(c.values.size() + 1, 55.0);
            double replacement = 0;
            int64_t replaced = 99;
            EXPECT_EQ(tis(c.values.empty() ? nullptr : c.values.data(), int64_t(c.values.size()), c.method,
                          out.data(), &replacement, &replaced, c.given),
                      c.result);
            if (c.result >= 0) {
                out.resize(c.values.size());
                expectSeries(out, c.out);
            }
            expectSeries({replacement}, {c.replacement});
            EXPECT_EQ(replaced, c.replaced);
        }
    }
    /* In place. */
    std::vector<double> values = {M, 1, M};
    EXPECT_EQ(zinttis(values.data(), 3, 9, values.data(), nullptr, nullptr, 0), 0);
    expectSeries(values, {M, 1, 1});
}

TEST(TimeSlots, ZinttmsMedian)
{
    struct Case {
        const char *id;
        std::vector<double> values;
        bool work;
        int result;
        double median;
    };
    const std::vector<Case> cases = {
        {"odd", {4, 1, 3}, false, 0, 3},
        {"even", {4, 1, 3, 2}, false, 0, 2.5},
        {"with missing, work", {M, 4, 1, M, 3}, true, 0, 3},
        {"only missing, work", {M, M}, true, -1, M},
        {"one", {7}, true, 0, 7},
        {"huge pair does not overflow", {1.7e308, 1.7e308}, false, 0, 1.7e308},
        {"empty", {}, false, -99, M},
    };
    for (const Case &c : cases) {
        for (auto tms : {zinttms, zinttms2}) {
            SCOPED_TRACE(std::string(c.id) + (tms == zinttms ? " (plain)" : " (form 2)"));
            std::vector<double> values = c.values, work(c.values.size() + 1);
            double median = 0;
            EXPECT_EQ(tms(int64_t(values.size()), values.empty() ? nullptr : values.data(),
                          c.work ? work.data() : nullptr, &median),
                      c.result);
            expectSeries({median}, {c.median});
        }
    }
}

TEST(TimeSlots, SlotAndSeasonSummaries)
{
    /* Slots 1 to 3: slot 1 {1e8+1, 1e8+2, 1e8+3}, slot 2 {M}, slot 3 {2, M, 6}. */
    const std::vector<double> values = {1e8 + 1, 1e8 + 2, 1e8 + 3, M, 2, M, 6};
    const std::vector<int64_t> index = {1, 1, 1, 2, 3, 3, 3};
    std::vector<double> work(2 * values.size());
    for (int unordered : {0, 1}) {
        for (auto tts : {zinttts, zinttts2}) {
            SCOPED_TRACE(std::string(unordered ? "unordered" : "ordered") + (tts == zinttts ? " (plain)" : " (form 2)"));
            std::vector<ZINT_TSSUMM> records(4);
            EXPECT_EQ(tts(values.data(), index.data(), 7, 1, 3, unordered, work.data(), records.data()), 1);
            const ZINT_TSSUMM &a = records[1];
            EXPECT_EQ(a.count, 3);
            EXPECT_EQ(a.present, 3);
            EXPECT_EQ(a.mean, 1e8 + 2);
            EXPECT_EQ(a.css, 2);
            EXPECT_EQ(a.variance, 1);
            EXPECT_EQ(a.stdDev, 1);
            EXPECT_EQ(a.range, 2);
            EXPECT_EQ(a.median, 1e8 + 2);
            const ZINT_TSSUMM &b = records[2];
            EXPECT_EQ(b.count, 1);
            EXPECT_EQ(b.present, 0);
            EXPECT_TRUE(orvIsMissing(b.mean));
            const ZINT_TSSUMM &c = records[3];
            EXPECT_EQ(c.missing, 1);
            EXPECT_EQ(c.sum, 8);
            EXPECT_EQ(c.uss, 40);
            EXPECT_EQ(c.css, 8);
            EXPECT_EQ(c.variance, 8);
            EXPECT_EQ(c.median, 4);
            EXPECT_EQ(c.medianStatus, 0);
        }
    }
    /* Seasons of slots 1..3: slot 1 season 0, slots 2 and 3 season 1. */
    const int32_t seasonOf[] = {9, 0, 1, 1};
    std::vector<ZINT_TSSUMM> seasons(2);
    EXPECT_EQ(zinttss(values.data(), index.data(), 7, 1, 3, 2, seasonOf, work.data(), seasons.data()), 0);
    EXPECT_EQ(seasons[0].present, 3);
    EXPECT_EQ(seasons[1].count, 4);
    EXPECT_EQ(seasons[1].present, 2);
    EXPECT_EQ(seasons[1].mean, 4);
    EXPECT_EQ(zinttss2(values.data(), index.data(), 7, 1, 3, 0, seasonOf, work.data(), seasons.data()), -99);
    EXPECT_EQ(zinttts(values.data(), index.data(), 0, 1, 3, 0, work.data(), seasons.data()), -99);

    /* The total of slots 1 and 3 pools their CSS: values 1e8+1..1e8+3, 2, 6. */
    std::vector<ZINT_TSSUMM> records(4);
    zinttts(values.data(), index.data(), 7, 1, 3, 0, work.data(), records.data());
    ZINT_TSSUMM total;
    EXPECT_EQ(zinttgs(records.data() + 1, 3, &total, 42), 0);
    EXPECT_EQ(total.count, 7);
    EXPECT_EQ(total.present, 5);
    EXPECT_EQ(total.missing, 2);
    EXPECT_EQ(total.minimum, 2);
    EXPECT_EQ(total.maximum, 1e8 + 3);
    const double mean = (3e8 + 6 + 8) / 5;
    EXPECT_DOUBLE_EQ(total.mean, mean);
    double css = 0;
    for (double x : {1e8 + 1, 1e8 + 2, 1e8 + 3, 2.0, 6.0}) css += (x - mean) * (x - mean);
    EXPECT_NEAR(total.css, css, css * 1e-12);
    EXPECT_NEAR(total.variance, css / 4, css * 1e-12);
    EXPECT_EQ(total.median, 42);
}

TEST(TimeSlots, TotalSummaryFailures)
{
    ZINT_TSSUMM none{};
    none.count = 2;
    none.missing = 2;
    ZINT_TSSUMM total;
    EXPECT_EQ(zinttgs(&none, 1, &total, 1), -1);
    EXPECT_EQ(total.count, 2);
    EXPECT_TRUE(orvIsMissing(total.mean));
    EXPECT_TRUE(orvIsMissing(total.minimum));
    EXPECT_TRUE(orvIsMissing(total.median));

    /* A record whose own sum overflowed has no sum: the total says so. */
    const std::vector<double> values = {1e308, 1e308, 1};
    const std::vector<int64_t> index = {0, 0, 1};
    std::vector<double> work(6);
    std::vector<ZINT_TSSUMM> records(2);
    EXPECT_EQ(zinttts(values.data(), index.data(), 3, 0, 2, 0, work.data(), records.data()), 1);
    EXPECT_EQ(records[0].sumOverflow, 1);
    EXPECT_EQ(zinttgs2(records.data(), 2, &total, 0), -1);
    EXPECT_TRUE(orvIsMissing(total.sum));
    EXPECT_TRUE(orvIsMissing(total.variance));

    /* A sum beyond the square limit leaves the CSS missing (-2). */
    const std::vector<double> big = {1e155, 1e155};
    const std::vector<int64_t> bigIndex = {0, 1};
    EXPECT_EQ(zinttts(big.data(), bigIndex.data(), 2, 0, 2, 0, work.data(), records.data()), 2);
    EXPECT_EQ(records[0].squareOverflow, 1);
    EXPECT_EQ(zinttgs(records.data(), 2, &total, 0), -1);
    EXPECT_EQ(zinttgs(nullptr, 1, &total, 0), -99);
    EXPECT_EQ(zinttgs(records.data(), -1, &total, 0), -99);
}

}  // namespace
