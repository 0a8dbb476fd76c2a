/*
 * series_reader_test.cpp - the read road over small data sets whose every
 * value is worked out by hand: START/END windows (a group wholly outside,
 * one observation), no ID variable with and without an interval, a horizon
 * before and after END, lead periods, the own read routine, the time-ID
 * checks in sorted and unsorted mode, and the faults mended in the reader
 * (read errors, longer groups, accumulation order, counts inside the
 * window).
 *
 * Monthly data: 1 January 2020 is day 21915.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "host/civil_days.h"
#include "host/missing_values.h"
#include "interval/timeslot_accumulate.h"
#include "series/series_bind.h"
#include "tests/series/read_road.h"
#include "platform/host.h"
#include "tests/support/module_host.h"

extern "C" void *Exported_QXHandle;

namespace {

const double M = orvMissing();

double day(int year, int month, int dayOfMonth) { return double(orvDaysFromCivil(year, month, dayOfMonth)); }

std::vector<double> months(int year, int first, int count)
{
    std::vector<double> out;
    for (int k = 0; k < count; ++k) out.push_back(day(year + (first - 1 + k) / 12, (first - 1 + k) % 12 + 1, 1));
    return out;
}

constexpr const char *kSidecar = R"({
  "variables": [
    {"name": "g", "type": "character", "length": 2},
    {"name": "date", "type": "numeric", "length": 8, "format": "DATE9."},
    {"name": "a", "type": "numeric", "length": 8},
    {"name": "b", "type": "numeric", "length": 8}
  ]
}
)";

/* G1: January to June 2020; G2: two months of 2019; G3: one mid-month day. */
constexpr const char *kMonthly =
    "g,date,a,b\n"
    "G1,2020-01-01,1,\n"
    "G1,2020-02-01,2,20\n"
    "G1,2020-03-01,,30\n"
    "G1,2020-04-01,4,40\n"
    "G1,2020-05-01,5,50\n"
    "G1,2020-06-01,6,60\n"
    "G2,2019-01-01,10,1\n"
    "G2,2019-02-01,11,1\n"
    "G3,2020-03-15,7,1\n";

void expectSeries(const std::vector<double> &got, const std::vector<double> &expected)
{
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        if (orvIsMissing(expected[i]))
            EXPECT_EQ(std::bit_cast<uint64_t>(got[i]), std::bit_cast<uint64_t>(expected[i])) << i;
        else
            EXPECT_EQ(got[i], expected[i]) << i;
    }
}

struct GroupExpect {
    int status;
    std::vector<double> timeIds;  /* checked when the status is 0 or 2048 */
    std::vector<double> accA;     /* checked when not empty */
    std::vector<double> accB;
    int64_t nA = -1, nmissA = -1; /* -1: not checked */
    int64_t firstA = -1, lastA = -1;
};

struct RoadCase {
    const char *id;
    std::function<void(orvtest::RoadSettings &)> set;
    std::vector<GroupExpect> groups;
};

orvtest::RoadSettings monthlySettings()
{
    orvtest::RoadSettings s;
    s.member = "monthly";
    s.by = {"g"};
    s.id = "date";
    s.vars = {"a", "b"};
    s.roles = {1, 0};
    s.interval = "MONTH";
    s.accumulate = ZTS_ACC_TOTAL;
    return s;
}

void runCases(const std::vector<RoadCase> &cases)
{
    orvtest::SeriesLibrary library;
    library.write("monthly", kMonthly, kSidecar);
    for (const RoadCase &c : cases) {
        SCOPED_TRACE(c.id);
        orvtest::RoadSettings s = monthlySettings();
        c.set(s);
        const orvtest::RoadResult result = orvtest::runReadRoad(s);
        ASSERT_EQ(result.setupStatus, 0);
        ASSERT_EQ(result.groups.size(), c.groups.size());
        for (size_t g = 0; g < c.groups.size(); ++g) {
            SCOPED_TRACE("group " + std::to_string(g + 1));
            const GroupExpect &e = c.groups[g];
            const orvtest::RoadGroup &got = result.groups[g];
            EXPECT_EQ(got.readStatus, e.status);
            if (e.status == 0 || e.status == ZTS_ONE_ID) {
                expectSeries(got.timeIds, e.timeIds);
                if (!e.accA.empty()) expectSeries(got.acc[0], e.accA);
                if (!e.accB.empty()) expectSeries(got.acc[1], e.accB);
            }
            if (e.nA >= 0) {
                EXPECT_EQ(got.vars[0].n, e.nA);
                EXPECT_EQ(got.vars[0].nmiss, e.nmissA);
                EXPECT_EQ(got.vars[0].firstObs, e.firstA);
                EXPECT_EQ(got.vars[0].lastObs, e.lastA);
            }
        }
    }
}

TEST(SeriesReader, WindowsAxesAndHorizons)
{
    const std::vector<double> jan = months(2020, 1, 1), mar15 = {day(2020, 3, 1)};
    runCases({
        {"no window", [](orvtest::RoadSettings &) {},
         {{0, months(2020, 1, 6), {1, 2, M, 4, 5, 6}, {M, 20, 30, 40, 50, 60}, 5, 1, 0, 5},
          {0, months(2019, 1, 2), {10, 11}, {}, 2, 0, 0, 1},
          {ZTS_ONE_ID, mar15, {7}, {}, 1, 0, 0, 0}}},
        {"own read routine", [](orvtest::RoadSettings &s) { s.ownRead = true; },
         {{0, months(2020, 1, 6), {1, 2, M, 4, 5, 6}, {}, 5, 1, 0, 5},
          {0, months(2019, 1, 2), {10, 11}, {}, 2, 0, 0, 1},
          {ZTS_ONE_ID, mar15, {7}, {}, 1, 0, 0, 0}}},
        /* Observations outside the window count for nothing: G1 keeps
         * February to April, G2 none, G3 gets the window's three months. */
        {"START/END window",
         [](orvtest::RoadSettings &s) {
             s.start = day(2020, 2, 1);
             s.end = day(2020, 4, 30);
         },
         {{0, months(2020, 2, 3), {2, M, 4}, {20, 30, 40}, 2, 1, 0, 2},
          {ZTS_NO_OBSERVATIONS, {}, {}, {}, 0, 0, -1, -1},
          {0, months(2020, 2, 3), {M, 7, M}, {}, 1, 0, 0, 0}}},
        /* The horizon lies one month before the aligned END: the last two
         * values of the role-1 variable a are dropped, b keeps them. */
        {"horizon before END",
         [](orvtest::RoadSettings &s) {
             s.end = day(2020, 6, 30);
             s.horizon = day(2020, 5, 1);
         },
         {{0, months(2020, 1, 6), {1, 2, M, 4, M, M}, {M, 20, 30, 40, 50, 60}},
          {0, months(2019, 1, 18), {}, {}},
          {0, months(2020, 3, 4), {7, M, M, M}, {}}}},
        /* A horizon after END: the axis runs to the month before it. */
        {"horizon after END",
         [](orvtest::RoadSettings &s) {
             s.end = day(2020, 4, 30);
             s.horizon = day(2020, 8, 1);
         },
         {{0, months(2020, 1, 7), {1, 2, M, 4, M, M, M}, {M, 20, 30, 40, M, M, M}},
          {0, months(2019, 1, 19), {}, {}},
          {0, months(2020, 3, 5), {7, M, M, M, M}, {}}}},
        {"lead periods", [](orvtest::RoadSettings &s) { s.lead = 3; },
         {{0, months(2020, 1, 9), {1, 2, M, 4, 5, 6}, {}},
          {0, months(2019, 1, 5), {10, 11}, {}},
          {ZTS_ONE_ID, months(2020, 3, 4), {7}, {}}}},
        /* Without an ID variable the raw IDs are month starts from day 0
         * and the axis is built from them. */
        {"no ID variable",
         [](orvtest::RoadSettings &s) { s.id.clear(); },
         {{0, months(1960, 1, 6), {1, 2, M, 4, 5, 6}, {}},
          {0, months(1960, 1, 2), {10, 11}, {}},
          {ZTS_ONE_ID, months(1960, 1, 1), {7}, {}}}},
        {"no ID variable, no interval",
         [](orvtest::RoadSettings &s) {
             s.id.clear();
             s.interval.clear();
             s.lead = 2;
         },
         {{0, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, M, 4, 5, 6}, {}},
          {0, {1, 2, 3, 4}, {10, 11}, {}},
          {ZTS_ONE_ID, {1, 2, 3}, {7}, {}}}},
    });
}

constexpr const char *kOneGroupSidecar = R"({
  "variables": [
    {"name": "date", "type": "numeric", "length": 8, "format": "DATE9."},
    {"name": "a", "type": "numeric", "length": 8}
  ]
}
)";

struct CheckCase {
    const char *id;
    const char *rows; /* "date,a" lines */
    int32_t unsortedOk;
    const char *interval;
    int accumulate;
    int status;
    int64_t duplicates, gaps;
    uint8_t minMaxChanged;
    std::vector<int64_t> obsIndex;
    std::vector<double> acc;
};

TEST(SeriesReader, TimeIdChecksSortedAndUnsorted)
{
    const double D = skMissVal('D');
    const std::vector<CheckCase> cases = {
        {"sorted, not ascending", "2020-01-01,1\n2020-03-01,2\n2020-02-01,3\n", 0, "MONTH", ZTS_ACC_TOTAL,
         ZTS_NOT_ASCENDING, 0, 1, 0, {}, {}},
        {"sorted, duplicates pass", "2020-01-01,1\n2020-01-01,2\n2020-02-01,3\n", 0, "MONTH", ZTS_ACC_NONE, 0, 1, 0,
         0, {0, 0, 1}, {D, 3}},
        {"sorted, same month counts as duplicate", "2020-01-01,1\n2020-01-20,2\n2020-02-01,3\n", 0, "MONTH",
         ZTS_ACC_AVERAGE, 0, 1, 0, 0, {0, 0, 1}, {1.5, 3}},
        {"sorted, gap", "2020-01-01,1\n2020-04-01,4\n", 0, "MONTH", ZTS_ACC_TOTAL, 0, 0, 1, 0, {0, 3},
         {1, M, M, 4}},
        {"unsorted, min and max move", "2020-03-01,1\n2020-01-01,2\n2020-02-01,3\n", 1, "MONTH", ZTS_ACC_TOTAL, 0,
         0, 0, 1, {2, 0, 1}, {2, 3, 1}},
        {"unsorted, repeated maximum", "2020-01-01,1\n2020-03-01,2\n2020-03-01,3\n", 1, "MONTH", ZTS_ACC_TOTAL, 0,
         1, 0, 1, {0, 2, 2}, {1, M, 5}},
        {"missing time ID", "2020-01-01,1\n,2\n2020-03-01,3\n", 0, "MONTH", ZTS_ACC_TOTAL, ZTS_MISSING_ID, 0, 0, 0,
         {}, {}},
        {"time ID off the interval", "2020-01-01,1\n7000000,2\n", 0, "DAY", ZTS_ACC_TOTAL, ZTS_OFF_INTERVAL, 0, 0, 0,
         {}, {}},
    };
    orvtest::SeriesLibrary library;
    for (const CheckCase &c : cases) {
        SCOPED_TRACE(c.id);
        library.write("ids", std::string("date,a\n") + c.rows, kOneGroupSidecar);
        orvtest::RoadSettings s;
        s.member = "ids";
        s.id = "date";
        s.vars = {"a"};
        s.interval = c.interval;
        s.accumulate = c.accumulate;
        s.unsortedOk = c.unsortedOk;
        const orvtest::RoadResult result = orvtest::runReadRoad(s);
        ASSERT_EQ(result.groups.size(), 1u);
        const orvtest::RoadGroup &g = result.groups[0];
        EXPECT_EQ(g.readStatus, c.status);
        EXPECT_EQ(g.duplicates, c.duplicates);
        EXPECT_EQ(g.gaps, c.gaps);
        EXPECT_EQ(g.minMaxChanged, c.minMaxChanged);
        if (c.status == 0) {
            EXPECT_EQ(g.obsIndex, c.obsIndex);
            expectSeries(g.acc[0], c.acc);
        }
    }
}

TEST(SeriesReader, ReadErrorIsReportedNotTakenForTheEnd)
{
    orvtest::SeriesLibrary library;
    library.write("broken", "date,a\n2020-01-01,1\n2020-02-01,2\n2020-03-01,abc\n2020-04-01,4\n", kOneGroupSidecar);
    orvtest::takeLog();
    orvtest::RoadSettings s;
    s.member = "broken";
    s.id = "date";
    s.vars = {"a"};
    s.interval = "MONTH";
    for (bool ownRead : {false, true}) {
        SCOPED_TRACE(ownRead ? "own read routine" : "BY-group service");
        s.ownRead = ownRead;
        const orvtest::RoadResult result = orvtest::runReadRoad(s);
        ASSERT_EQ(result.groups.size(), 1u);
        EXPECT_EQ(result.groups[0].readStatus, ZTS_IO_FAILURE);
        EXPECT_NE(orvtest::takeLog(), "");
    }
}

TEST(SeriesReader, LongerGroupsAccumulationOrderAndZeroMiss)
{
    orvtest::SeriesLibrary library;
    library.write("grow",
                  "g,date,a,b\n"
                  "G1,2020-01-01,1,100\n"
                  "G1,2020-02-01,2,200\n"
                  "G2,2020-01-01,0,1\n"
                  "G2,2020-02-01,0,2\n"
                  "G2,2020-03-01,5,3\n"
                  "G2,2020-04-01,0,4\n"
                  "G2,2020-05-01,,5\n",
                  kSidecar);
    orvtest::RoadSettings s;
    s.member = "grow";
    s.by = {"g"};
    s.id = "date";
    s.vars = {"a", "b"};
    s.interval = "MONTH";
    s.accumulate = ZTS_ACC_TOTAL;
    s.zeroMiss = 3;
    /* b is accumulated first: each variable still finds its own row. */
    s.accumulateOrder = {1, 0};
    const orvtest::RoadResult result = orvtest::runReadRoad(s);
    ASSERT_EQ(result.groups.size(), 2u);
    const orvtest::RoadGroup &g2 = result.groups[1];
    ASSERT_EQ(g2.readStatus, 0);
    expectSeries(g2.raw[0], {0, 0, 5, 0, M});
    expectSeries(g2.raw[1], {1, 2, 3, 4, 5});
    /* The trailing run of zeros ends at the last value that is missing or
     * not zero: here the missing May, so April's zero stays. */
    expectSeries(g2.acc[0], {M, M, 5, 0, M});
    expectSeries(g2.acc[1], {1, 2, 3, 4, 5});
    expectSeries(result.groups[0].acc[0], {1, 2});
    expectSeries(result.groups[0].acc[1], {100, 200});
}

TEST(SeriesReader, ObservationsSummariesAndTiming)
{
    orvtest::SeriesLibrary library;
    library.write("monthly", kMonthly, kSidecar);
    /* The kernel handle as a module's entry publishes it. */
    Exported_QXHandle = orvtest::moduleHost().controlBlock().gcb()->kernelHandle;
    orvtest::RoadSettings s = monthlySettings();
    s.timing = true;
    std::vector<std::vector<double>> observations;
    std::vector<ZTS_SUMMARY> summaries;
    std::vector<int64_t> positions;
    s.afterGroup = [&](ZTS_PROC &ctx) {
        std::vector<double> obs(2), acc(2);
        EXPECT_EQ(ZTSGetObs(&ctx, 3, obs.data()), ctx.obsCount >= 3 ? 0 : ZTS_BAD_ARGUMENT);
        EXPECT_EQ(ZTSGetAccObs(&ctx, 1, acc.data()), 0);
        EXPECT_EQ(ZTSGetObs(&ctx, 0, obs.data()), ZTS_BAD_ARGUMENT);
        observations.push_back({obs[0], obs[1], acc[0], acc[1]});
        double *accumulated = nullptr;
        EXPECT_EQ(ctx.ops->getAccVarPtr(&ctx, 0, &accumulated), 0);
        EXPECT_EQ(std::bit_cast<uint64_t>(accumulated[0]), std::bit_cast<uint64_t>(acc[0]));
        EXPECT_EQ(ctx.ops->getAccVarPtr(&ctx, 2, &accumulated), ZTS_BAD_ARGUMENT);
        ZTS_VAR &b = ctx.vars[1];
        EXPECT_EQ(ZTSSummaryStats(&ctx, &b), 0);
        summaries.push_back(b.summary);
        positions.push_back(b.firstObs);
        positions.push_back(b.lastObs);
    };
    const orvtest::RoadResult result = orvtest::runReadRoad(s);
    ASSERT_EQ(result.groups.size(), 3u);
    /* Observation 3 of G1: a missing, b 30; first accumulated: a 1, b missing. */
    expectSeries(observations[0], {M, 30, 1, M});
    /* b of G1 over its accumulated months: ., 20, 30, 40, 50, 60. */
    EXPECT_EQ(summaries[0].present, 5);
    EXPECT_EQ(summaries[0].missing, 1);
    EXPECT_EQ(summaries[0].mean, 40);
    EXPECT_EQ(summaries[0].sum, 200);
    EXPECT_DOUBLE_EQ(summaries[0].stdDev, std::sqrt(250.0));
    EXPECT_EQ(positions[0], 1);
    EXPECT_EQ(positions[1], 5);
    /* The deterministic timer: every timed operation adds one step. */
    EXPECT_GT(result.timingA, 0);
    EXPECT_EQ(result.timingA % ORV_PERF_TIMER_STEP_A, 0);
    EXPECT_EQ(result.timingA / ORV_PERF_TIMER_STEP_A, result.timingB / ORV_PERF_TIMER_STEP_B);
}

}  // namespace
