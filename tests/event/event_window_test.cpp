/*
 * event_window_test.cpp - observation indices and windows of occurrences:
 * date2pos on observation, date and datetime series, the window in pulse
 * intervals, the one-observation window, and the pulse of an occurrence
 * just before the series.  Dates by hand (orvtest::day).
 */
#include <gtest/gtest.h>

#include <vector>

#include "event/event_shapes.h"
#include "event/event_window.h"
#include "host/missing_values.h"
#include "interval/interval_names.h"
#include "tests/event/dummy_series.h"
#include "tests/support/module_host.h"

namespace {

using orvtest::day;

TEST(EventWindow, Date2posCodesAndRawIndices)
{
    orvtest::moduleHost();
    ASSERT_EQ(day(2020, 1, 1), 21915); /* Python's datetime */
    orvtest::TestSeries obs, daily, seconds, monthly, nostart;
    orvtest::makeSeries(obs, "OBS", 1, 10);
    orvtest::makeSeries(daily, "DAY", day(2020, 1, 1), 31);
    orvtest::makeSeries(seconds, "DTHOUR", day(2020, 1, 1) * 86400, 48);
    orvtest::makeSeries(monthly, "MONTH", day(2020, 1, 1), 12);
    orvtest::makeSeries(nostart, "DAY", day(2020, 1, 1), 3);
    nostart.block.firstTimeId = orvMissing();
    nostart.ids[0] = orvMissing();
    struct Case {
        const char *id;
        const ZTSEV_SERIES *series;
        double value;
        int kind;
        int64_t code, raw;
    } cases[] = {
        {"obs-1", &obs.block, 1, 4, 0, 0},
        {"obs-10", &obs.block, 10.9, 4, 9, 9},
        {"obs-0", &obs.block, 0, 4, -2, -1},
        {"obs-11", &obs.block, 11, 4, -3, 10},
        {"obs-huge", &obs.block, 1e30, 4, -3, ZTSEV_INDEX_LIMIT - 1},
        {"obs-huge-negative", &obs.block, -1e30, 4, -2, -ZTSEV_INDEX_LIMIT - 1},
        {"obs-missing", &obs.block, orvMissing(), 4, -1, 0},
        {"date-first", &daily.block, day(2020, 1, 1), 8, 0, 0},
        {"date-before", &daily.block, day(2019, 12, 30), 8, -2, -2},
        {"date-after", &daily.block, day(2020, 2, 1), 8, -3, 31},
        {"datetime-on-days", &daily.block, day(2020, 1, 3) * 86400 + 86399, 10, 2, 2},
        {"date-on-seconds", &seconds.block, day(2020, 1, 2), 8, 24, 24},
        {"date-on-months", &monthly.block, day(2020, 3, 31), 8, 2, 2},
        {"no-start", &nostart.block, day(2020, 1, 2), 8, -4, 0},
    };
    for (const Case &c : cases) {
        int64_t raw = 99;
        EXPECT_EQ(date2pos(c.value, c.kind, c.series, &raw), c.code) << c.id;
        EXPECT_EQ(raw, c.raw) << c.id;
    }
    int64_t code = 0;
    EXPECT_EQ(shiftByObs(3, 10, &code, 1e300), ZTSEV_INDEX_LIMIT);
    EXPECT_EQ(code, -3);
    EXPECT_EQ(shiftByObs(3, 10, &code, -2.7), 1);
    EXPECT_EQ(code, 1);
}

/* Durations stored 3 before and 2 after on a monthly pulse: from the start
 * of the month two months before the anchor to the end of the month after. */
TEST(EventWindow, MonthlyPulseWindow)
{
    orvtest::moduleHost();
    orvtest::TestSeries daily;
    orvtest::makeSeries(daily, "DAY", day(2020, 1, 1), 366);
    ZTSEV_EVENT e = orvtest::simpleEvent();
    zintic(ZINT_MONTH, &e.effective.pulse);
    e.effective.before = 3;
    e.effective.after = 2;
    int64_t begin, end, rawBegin, rawEnd;
    double beginDate = 0, endDate = 0;
    int dateKind = 0;
    ASSERT_EQ(ZTSEVCalcBegEnd(&e.effective, day(2020, 6, 15), 8, &daily.block, &begin, &end, &rawBegin, &rawEnd,
                              &beginDate, &endDate, &dateKind),
              0);
    EXPECT_EQ(beginDate, day(2020, 4, 1));
    EXPECT_EQ(endDate, day(2020, 7, 31));
    EXPECT_EQ(dateKind, 8);
    EXPECT_EQ(begin, int64_t(day(2020, 4, 1) - day(2020, 1, 1)));
    EXPECT_EQ(end, int64_t(day(2020, 7, 31) - day(2020, 1, 1)));
    /* A window that begins after the series keeps its raw begin, so it is
     * empty; ALL before opens it to observation 0. */
    ASSERT_EQ(ZTSEVCalcBegEnd(&e.effective, day(2021, 3, 15), 8, &daily.block, &begin, &end, &rawBegin, &rawEnd,
                              nullptr, nullptr, nullptr),
              0);
    EXPECT_GE(begin, 366);
    e.effective.before = 0;
    ASSERT_EQ(ZTSEVCalcBegEnd(&e.effective, day(2021, 3, 15), 8, &daily.block, &begin, &end, &rawBegin, &rawEnd,
                              nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(begin, 0);
    EXPECT_EQ(end, 365);
    /* A bound beyond the calendar cannot be computed. */
    EXPECT_EQ(ZTSEVCalcBegEnd(&e.effective, 1e12, 8, &daily.block, &begin, &end, &rawBegin, &rawEnd, nullptr,
                              nullptr, nullptr),
              15);
}

TEST(EventWindow, OneObservationWindow)
{
    orvtest::moduleHost();
    orvtest::TestSeries obs;
    orvtest::makeSeries(obs, "OBS", 1, 10);
    ZTSEV_EVENT e = orvtest::simpleEvent();
    struct Case {
        const char *id;
        int64_t before, after, shift;
        double obs;
        int64_t begin, end;
    } cases[] = {
        {"inside", 5, 5, 0, 4, 3, 3},
        {"shifted", 1, 1, 2, 4, 5, 5},
        {"all-all-before", 0, 0, 0, -3, 0, 9},
        {"all-all-after", 0, 0, 0, 40, 0, 9},
        {"after-series", 1, 1, 0, 40, 39, 9},
        {"before-series", 1, 1, 0, -3, 0, -4},
        {"huge", 1, 1, 0, 1e30, ZTSEV_INDEX_LIMIT - 1, 9},
    };
    for (const Case &c : cases) {
        e.effective.before = c.before;
        e.effective.after = c.after;
        e.effective.shift = c.shift;
        int64_t begin, end, rawBegin, rawEnd;
        ASSERT_EQ(ZTSEVCalcBegEndObs(&e.effective, c.obs, 4, &obs.block, &begin, &end, &rawBegin, &rawEnd), 0)
            << c.id;
        EXPECT_EQ(begin, c.begin) << c.id;
        EXPECT_EQ(end, c.end) << c.id;
    }
}

/* An occurrence one interval before the first time ID: DUR_AFTER = 2 marks
 * positions 0 and 1, ALL the whole series; a series without a start cannot
 * place it (and writes nothing). */
TEST(EventWindow, PulseJustBeforeTheSeries)
{
    orvtest::moduleHost();
    orvtest::TestSeries monthly;
    orvtest::makeSeries(monthly, "MONTH", day(2020, 1, 1), 6);
    ZTSEV_EVENT e = orvtest::simpleEvent();
    struct Case {
        const char *id;
        int64_t after;
        std::vector<double> expected;
    } cases[] = {
        {"after-2", 3, {1, 1, 0, 0, 0, 0}},
        {"after-all", 0, {1, 1, 1, 1, 1, 1}},
        {"after-0", 1, {0, 0, 0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        e.effective.after = c.after;
        std::vector<double> values(6, 0.0);
        EXPECT_EQ(ZTSEVDate2Pulse(day(2019, 12, 1), 8, &e, nullptr, &monthly.block, values.data()), 0) << c.id;
        EXPECT_EQ(values, c.expected) << c.id;
    }
    monthly.block.firstTimeId = orvMissing();
    monthly.ids[0] = orvMissing();
    std::vector<double> values(6, 0.0);
    EXPECT_EQ(ZTSEVDate2Pulse(day(2020, 2, 1), 8, &e, nullptr, &monthly.block, values.data()), 15);
    EXPECT_EQ(values, std::vector<double>(6, 0.0));
}

}  // namespace
