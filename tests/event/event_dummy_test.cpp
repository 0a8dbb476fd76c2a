/*
 * event_dummy_test.cpp - dummy series of events in a list over series
 * blocks: date keys under ADD and OR (Mondays per month from pandas,
 * event_mondays.csv), the AND rule, combinations (MULT, a member cycle,
 * the work array given back), DATEKEY indicators, unplaceable
 * occurrences, WEASTER, the statistics, and dummies by name and outlier.
 */
#include <cmath>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "event/event_dummy.h"
#include "event/event_list.h"
#include "event/event_names.h"
#include "event/event_qualifiers.h"
#include "event/event_registry.h"
#include "host/missing_values.h"
#include "tests/event/dummy_series.h"
#include "tests/event/event_fixture.h"
#include "tests/interval/custom_test_support.h"
#include "tests/interval/oracle_csv.h"
#include "tests/support/module_host.h"

namespace {

using orvtest::day;

using Fixture = orvtest::EventFixture;

TEST(EventDummy, MondaysPerMonthUnderAddAndOr)
{
    Fixture f;
    orvtest::TestSeries months;
    orvtest::makeSeries(months, "MONTH", day(2020, 1, 1), 24);
    const auto rows = orvtest::readOracleCsv("event_mondays.csv");
    ASSERT_EQ(rows.size(), 24u);
    ZTSEV_EVENT *mondays = f.keyword("MONDAY");
    ASSERT_NE(mondays, nullptr);
    int status = -1;
    std::vector<double> added = f.dummy(mondays, &months.block, &status);
    EXPECT_EQ(status, 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(months.ids[i], rows[i].number(0)) << "line " << rows[i].line;
        EXPECT_EQ(added[i], rows[i].number(1)) << "line " << rows[i].line;
    }
    mondays->effective.rule = ZTSEV_RULE_OR;
    EXPECT_EQ(f.dummy(mondays, &months.block, &status), std::vector<double>(24, 1.0));
}

TEST(EventDummy, AndRuleNeedsEveryOperand)
{
    Fixture f;
    orvtest::TestSeries days;
    orvtest::makeSeries(days, "DAY", day(2020, 1, 1), 14);
    /* 6 January 2020 is a Monday, 7 January a Tuesday. */
    ZTSEV_EVENT *both = f.dates("BOTH", {day(2020, 1, 6), day(2020, 1, 7)});
    f.addKey("BOTH", "MONDAY");
    both->effective.rule = ZTSEV_RULE_AND;
    int status = -1;
    std::vector<double> expected(14, 0.0);
    expected[5] = 1;
    EXPECT_EQ(f.dummy(both, &days.block, &status), expected);
    EXPECT_EQ(status, 0);
    /* Under ADD the key's Monday adds to the date's. */
    both->effective.rule = ZTSEV_RULE_ADD;
    expected[5] = 2;
    expected[6] = expected[12] = 1;
    EXPECT_EQ(f.dummy(both, &days.block, &status), expected);
    ZTSEV_EVENT *never = f.dates("NEVER", {});
    f.addKey("NEVER", "MONDAY");
    f.addKey("NEVER", "TUESDAY");
    never->effective.rule = ZTSEV_RULE_AND;
    EXPECT_EQ(f.dummy(never, &days.block, &status), std::vector<double>(14, 0.0));
    never->effective.rule = ZTSEV_RULE_ADD;
    std::vector<double> either = f.dummy(never, &days.block, &status);
    EXPECT_EQ(either[5] + either[6] + either[12] + either[13], 4);
}

TEST(EventDummy, Combinations)
{
    Fixture f;
    orvtest::TestSeries days;
    orvtest::makeSeries(days, "DAY", day(2020, 1, 1), 5);
    f.dates("INSIDE", {day(2020, 1, 2), day(2020, 1, 3)});
    f.dates("OUTSIDE", {day(2021, 1, 2)});
    int status = -1;
    EXPECT_EQ(f.dummy(f.comb("TIMES", {"INSIDE", "OUTSIDE"}, ZTSEV_RULE_MULT), &days.block, &status),
              std::vector<double>(5, 0.0));
    EXPECT_EQ(status, 0);
    ZTSEV_EVENT *sum = f.comb("SUM", {"INSIDE", "OUTSIDE"}, ZTSEV_RULE_ADD);
    EXPECT_EQ(f.dummy(sum, &days.block, &status), (std::vector<double>{0, 1, 1, 0, 0}));
    /* The work array goes back to the pool: repeated dummies hold no more
     * blocks than the first. */
    double *values = nullptr;
    ASSERT_EQ(ZTSEVMakeDummy(f.list, sum, &days.block, &values, f.pool), 0);
    const size_t blocks = orvtest::moduleHost().memory().liveBlockCount();
    for (int i = 0; i < 5; ++i) ASSERT_EQ(ZTSEVMakeDummy(f.list, sum, &days.block, &values, f.pool), 0);
    EXPECT_EQ(orvtest::moduleHost().memory().liveBlockCount(), blocks);
    /* A member that cannot be found. */
    ZTSEV_EVENT *unknown = f.comb("UNKNOWN", {"INSIDE", "NOSUCHEVENT"}, ZTSEV_RULE_ADD);
    f.dummy(unknown, &days.block, &status);
    EXPECT_EQ(status, ZTSEV_NOT_FOUND);
    /* A cycle of combinations stops with status 37 and a note naming the
     * combination met inside itself, also from outside the cycle. */
    f.comb("LOOPA", {"LOOPB"}, ZTSEV_RULE_ADD);
    ZTSEV_EVENT *loop = f.comb("LOOPB", {"LOOPA"}, ZTSEV_RULE_ADD);
    ZTSEV_EVENT *outer = f.comb("OUTER", {"INSIDE", "LOOPA"}, ZTSEV_RULE_ADD);
    for (auto [event, named] : {std::pair{loop, "LOOPB"}, std::pair{outer, "LOOPA"}}) {
        orvtest::takeLog();
        EXPECT_EQ(f.dummy(event, &days.block, &status), std::vector<double>(5, 0.0)) << named;
        EXPECT_EQ(status, ZTSEV_DUMMY_COMB_CYCLE) << named;
        EXPECT_EQ(orvtest::takeLog(), "NOTE: The combined event " + std::string(named) +
                                          " contains itself through its members; its series is set to 0.\n");
    }
}

TEST(EventDummy, IndicatorsAndUnplaceableOccurrences)
{
    Fixture f;
    orvtest::TestSeries days;
    orvtest::makeSeries(days, "DAY", day(2020, 1, 1), 4);
    ZTSEV_EVENT *key = f.dates("KEY", {day(2020, 1, 2)});
    key->cls = ZTSEV_CLASS_DATEKEY;
    key->effective.type = ZTSEV_TYPE_QUAD;
    int status = -1;
    for (double value : {0.5, -2.0}) {
        key->effective.value = value;
        EXPECT_EQ(f.dummy(key, &days.block, &status), (std::vector<double>{0, 1, 0, 0})) << value;
        EXPECT_EQ(key->effective.type, ZTSEV_TYPE_QUAD);
    }
    /* A datetime that cannot be indexed makes the whole series 0. */
    ZTSEV_EVENT *bad = f.dates("BAD", {day(2020, 1, 2), 1e300});
    EXPECT_EQ(f.dummy(bad, &days.block, &status), std::vector<double>(4, 0.0));
    EXPECT_EQ(status, 15);
    ZTSEV_EVENT *none = f.dates("NONE", {});
    EXPECT_EQ(f.dummy(none, &days.block, &status), std::vector<double>(4, 0.0));
    EXPECT_EQ(status, ZTSEV_DUMMY_NO_TIMING);
    orvtest::TestSeries empty;
    orvtest::makeSeries(empty, "DAY", day(2020, 1, 1), 0);
    f.dummy(none, &empty.block, &status);
    EXPECT_EQ(status, ZTSEV_DUMMY_NO_TIMEIDS);
}

/* A user event of the date-key list as the key of another: its own
 * window (one day before) shapes the pulse, and with a key of durations 0
 * the plain window of the event applies. */
TEST(EventDummy, UserEventAsKeyWindow)
{
    Fixture f;
    orvtest::TestSeries days;
    orvtest::makeSeries(days, "DAY", day(2020, 1, 1), 14);
    ZTSEV_LIST *keys = f.list->datekeyList;
    const double tenth = day(2020, 1, 10);
    ZTSEVInitSimpleEvent(keys, nullptr, "K", 1, &tenth, 8, nullptr);
    ZTSEVCreateEvent(keys, "K");
    int status = 0;
    ZTSEV_EVENT *key = ZTSEVFindEvent(keys, "K", &status);
    key->effective.before = 2;
    ZTSEV_EVENT *event = f.dates("E", {});
    f.addKey("E", "K");
    ASSERT_EQ(event->datekeyCodes[0], ZTSEV_USER_DATEKEY);
    std::vector<double> expected(14, 0.0);
    expected[8] = expected[9] = 1;
    EXPECT_EQ(f.dummy(event, &days.block, &status), expected);
    EXPECT_EQ(status, 0);
    key->effective.before = 1;
    event->effective.after = 3;
    expected[8] = 0;
    expected[10] = expected[11] = 1;
    EXPECT_EQ(f.dummy(event, &days.block, &status), expected);
}

/* WEASTER: the three weeks up to Easter Sunday (12 April 2020). */
TEST(EventDummy, PredefinedWeaster)
{
    Fixture f;
    orvtest::TestSeries days;
    orvtest::makeSeries(days, "DAY", day(2020, 3, 1), 61);
    int status = -1;
    ZTSEV_EVENT *we = ZTSEVFindKeyword(f.list, f.list->datekeyList, "WE", 2, "WEASTER", 7, &status);
    ASSERT_NE(we, nullptr);
    std::vector<double> values = f.dummy(we, &days.block, &status);
    EXPECT_EQ(status, 0);
    for (int i = 0; i < 61; ++i) {
        const double d = day(2020, 3, 1) + i;
        EXPECT_EQ(values[size_t(i)], d >= day(2020, 3, 22) && d <= day(2020, 4, 12) ? 1 : 0) << i;
    }
}

TEST(EventDummy, Statistics)
{
    struct Case {
        const char *id;
        std::vector<double> values;
        int allZero, constant;
        double largest, smallestNonZero;
        int status;
    } cases[] = {
        {"zeros", {0, 0, 0}, 1, 1, 0, 0, 0},
        {"twos", {2, 2}, 0, 1, 2, 2, 0},
        {"mixed", {0, -3, 1}, 0, 0, 3, 1, 0},
        {"empty", {}, 1, 1, 0, 0, 10},
        {"longer than the lanes", {0, 0, 0, 0, 0, 0, 1, 0, 0}, 0, 0, 1, 1, 0},
        {"tail holds the extremes", {1, 1, 1, 1, 1, 1, 1, 1, -5, 0.5}, 0, 0, 5, 0.5, 0},
        {"a NaN is passed over", {0, 0, NAN, 0, 0, 2}, 0, 0, 2, 2, 0},
        {"a leading NaN", {NAN, 0, 0, 0, 0, 3}, 0, 0, 3, 3, 0},
        {"only infinite besides zeros", {0, HUGE_VAL, 0, 0, 0}, 0, 0, HUGE_VAL, HUGE_VAL, 0},
        {"negative zeros", {-0.0, 0, 0, -0.0, 0}, 1, 1, 0, 0, 0},
    };
    for (Case &c : cases) {
        ZTSEV_DUMMY dummy{};
        dummy.values = c.values.data();
        dummy.nobs = int64_t(c.values.size());
        EXPECT_EQ(ZTSEVDummyInfo(&dummy), c.status) << c.id;
        EXPECT_EQ(dummy.allZero, c.allZero) << c.id;
        EXPECT_EQ(dummy.constant, c.constant) << c.id;
        EXPECT_EQ(dummy.largest, c.largest) << c.id;
        EXPECT_EQ(dummy.smallestNonZero, c.smallestNonZero) << c.id;
    }
}

/* The statistics of dummies of every length up to a few lanes, with and
 * without a NaN, match a plain walk with fmin and fmax. */
TEST(EventDummy, StatisticsMatchFminAndFmax)
{
    const double pool[] = {0, 0, 0, 1, -1, 0.25, -0.0, 7, NAN, HUGE_VAL};
    uint32_t seed = 20;
    for (int round = 0; round < 2000; ++round) {
        std::vector<double> values(size_t(1 + round % 13));
        for (double &x : values) {
            seed = seed * 1103515245u + 12345u;
            x = pool[(seed >> 16) % (round % 3 == 0 ? 10 : 8)];
        }
        double lowest = values[0], highest = values[0], smallest = std::fabs(values[0]);
        for (size_t i = 1; i < values.size(); ++i) {
            lowest = std::fmin(lowest, values[i]);
            highest = std::fmax(highest, values[i]);
            const double m = std::fabs(values[i]);
            if (m != 0) smallest = smallest == 0 ? m : std::fmin(smallest, m);
        }
        ZTSEV_DUMMY dummy{};
        dummy.values = values.data();
        dummy.nobs = int64_t(values.size());
        ASSERT_EQ(ZTSEVDummyInfo(&dummy), 0);
        EXPECT_EQ(dummy.allZero, lowest == 0 && highest == 0) << round;
        EXPECT_EQ(dummy.constant, lowest == highest) << round;
        const double largest = std::fmax(std::fabs(lowest), std::fabs(highest));
        EXPECT_TRUE(dummy.largest == largest || (std::isnan(dummy.largest) && std::isnan(largest))) << round;
        EXPECT_TRUE(dummy.smallestNonZero == smallest || (std::isnan(dummy.smallestNonZero) && std::isnan(smallest)))
            << round;
    }
}

TEST(EventDummy, DummiesByNameAndOutliers)
{
    Fixture f;
    orvtest::TestSeries days, hours, obs;
    orvtest::makeSeries(days, "DAY", day(2020, 1, 1), 4);
    orvtest::makeSeries(hours, "DTHOUR", day(2020, 1, 1) * 86400, 24);
    orvtest::makeSeries(obs, "OBS", 1, 6);
    ZTSEVInitCompEvent(f.list, nullptr, "GROUP", 0, nullptr);
    MEMORY_OBJECT *pool = nullptr;
    int status = -1;
    EXPECT_EQ(ZTSEVGetDummy("GROUP", f.list, &days.block, &pool, &status), nullptr);
    EXPECT_EQ(status, ZTSEV_DUMMY_GROUP);
    EXPECT_EQ(ZTSEVGetDummy("NOSUCHNAME", f.list, &days.block, &pool, &status), nullptr);
    EXPECT_EQ(status, ZTSEV_NOT_FOUND);
    EXPECT_EQ(ZTSEVGetDummy("X", nullptr, &days.block, &pool, &status), nullptr);
    EXPECT_EQ(status, ZTSEV_NO_LIST);
    char name[32];
    EXPECT_EQ(ZTSEVGetOutlier(3, 8, name, f.list, &days.block, &pool, day(2020, 1, 2), &status), nullptr);
    EXPECT_EQ(status, ZTSEV_DUMMY_BAD_TYPE);
    struct Case {
        const char *id;
        int type, kind;
        const ZTSEV_SERIES *series;
        double date;
        const char *name;
        int64_t code;
        std::vector<double> values;
    } cases[] = {
        {"ao-date", 1, 8, &days.block, day(2020, 1, 2), "AO02JAN2020D", ZTSEV_OUTLIER_AO, {0, 1, 0, 0}},
        {"ls-date", 2, 8, &days.block, day(2020, 1, 3), "LS03JAN2020D", ZTSEV_OUTLIER_LS, {0, 0, 1, 1}},
        {"ao-datetime", 1, 10, &hours.block, day(2020, 1, 1) * 86400 + 3 * 3600, "AO01JAN2020h03m00s00DT",
         ZTSEV_OUTLIER_AO, {}},
        {"ls-obs", 2, 4, &obs.block, 5, "LS5OBS", ZTSEV_OUTLIER_LS, {0, 0, 0, 0, 1, 1}},
    };
    for (const Case &c : cases) {
        pool = nullptr;
        ZTSEV_DUMMY *dummy = ZTSEVGetOutlier(c.type, c.kind, name, f.list, c.series, &pool, c.date, &status);
        EXPECT_STREQ(name, c.name) << c.id;
        ASSERT_NE(dummy, nullptr) << c.id << " " << status;
        if (!c.values.empty()) {
            EXPECT_EQ(std::vector<double>(dummy->values, dummy->values + dummy->nobs), c.values) << c.id;
        }
        EXPECT_EQ(dummy->nobs, c.series->count) << c.id;
        EXPECT_EQ(dummy->largest, 1) << c.id;
        double date = 0;
        int kind = 0, outlierStatus = -1;
        int64_t duration = 0;
        EXPECT_EQ(zoutlnchk(name, int(std::strlen(name)), 1, &date, &kind, &duration, &outlierStatus), c.code)
            << c.id;
        EXPECT_EQ(date, c.date) << c.id;
        EXPECT_EQ(kind, c.kind) << c.id;
        EXPECT_EQ(ZTSEVDeleteDummy(dummy), 0);
    }
    EXPECT_EQ(ZTSEVDeleteDummy(nullptr), 0);
}

/* The season key FISCALQ_2 over a daily series: 1 on exactly the days of
 * the fiscal quarters with SEASON 2 in fqend.csv (pandas 'Q-JAN' quarter 2,
 * tests/oracle/custom_intervals.py), its pulse being the quarter. */
TEST(EventDummy, CustomSeasonKeyMarksItsQuarters)
{
    orvtest::useIntervalDs("(FISCALQ=CI.FQEND)");
    Fixture f;
    std::vector<std::pair<double, double>> second;
    std::ifstream calendar(std::string(ORV_SOURCE_DIR) + "/tests/fixtures/custom_intervals/fqend.csv");
    std::string line;
    std::getline(calendar, line);
    while (std::getline(calendar, line)) {
        int y1 = 0, m1 = 0, d1 = 0, y2 = 0, m2 = 0, d2 = 0, season = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d-%d-%d,%d-%d-%d,%d", &y1, &m1, &d1, &y2, &m2, &d2, &season), 7);
        if (season == 2) second.emplace_back(day(y1, m1, d1), day(y2, m2, d2));
    }
    ASSERT_EQ(second.size(), 5u);
    orvtest::TestSeries days;
    orvtest::makeSeries(days, "DAY", day(2018, 1, 1), 3 * 365);
    ZTSEV_EVENT *q2 = f.keyword("FISCALQ_2");
    ASSERT_NE(q2, nullptr);
    int status = -1;
    const std::vector<double> values = f.dummy(q2, &days.block, &status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(values.size(), days.ids.size());
    for (size_t i = 0; i < values.size(); ++i) {
        double expected = 0;
        for (const auto &[begin, end] : second)
            if (begin <= days.ids[i] && days.ids[i] <= end) expected = 1;
        EXPECT_EQ(values[i], expected) << "day " << days.ids[i];
    }
    EXPECT_EQ(orvtest::takeLog(), "");
}

}  // namespace
