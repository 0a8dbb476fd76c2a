/*
 * datekey_dates_test.cpp - date-key expansion over series blocks: every
 * holiday key against python3-holidays and dateutil (holidays_dates.csv),
 * widening by durations and shift, seasons (QTR, WEEK, WEEKV against
 * Python's isocalendar in event_weekv53.csv), OBS series, periodic dates,
 * time-ID grids, event-data-set runs, week numbers (event_weeks.csv),
 * user events used as date keys, cycles included, and the custom
 * intervals of tests/fixtures/custom_intervals: season keys and periodic
 * dates against pandas fiscal quarters (custom_datekeys.csv, written by
 * tests/oracle/custom_intervals.py) and the season keys of the built-in
 * intervals in the same table (event_season_keys.csv), custom series and the gap handling of
 * the guarded steps by hand.
 *
 * Day numbers of the fiscal calendars (pandas 'Q-JAN' quarters): the first
 * quarter 2017-02-01 (20851) to 2017-04-30; fqgap lacks 2018-05-01 (21305)
 * to 2018-07-31 (21396), between 2018-02-01 (21216) to 2018-04-30 (21304)
 * and 2018-08-01 (21397) to 2018-10-31 (21488); the last quarter
 * 2021-11-01 (22585) to 2022-01-31 (22676).
 */
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "event/datekey_dates.h"
#include "event/event_list.h"
#include "event/event_registry.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "interval/custom_manager.h"
#include "interval/custom_periods.h"
#include "interval/holidays.h"
#include "interval/interval_names.h"
#include "tests/event/dummy_series.h"
#include "tests/interval/custom_test_support.h"
#include "tests/interval/oracle_csv.h"
#include "tests/support/module_host.h"

namespace {

using orvtest::day;

/* The dates of a key as a vector; status and kind through the outs. */
std::vector<double> expand(int64_t code, const ZTSEV_EFFECTIVE *q, const ZTSEV_SERIES *series, int32_t *status,
                           int32_t *kind = nullptr)
{
    MEMORY_OBJECT *pool = orvtest::moduleHost().memory().createPool();
    int64_t count = -1;
    int32_t k = -1;
    double *dates = ZTSEVDatekey2Dates(code, q, series, &count, &k, pool, status);
    std::vector<double> out;
    if (dates != nullptr) out.assign(dates, dates + count);
    if (kind != nullptr) *kind = k;
    orvtest::moduleHost().memory().deletePool(pool);
    return out;
}

ZTSEV_EFFECTIVE qualifiers(int64_t before, int64_t after, int64_t shift)
{
    ZTSEV_EFFECTIVE q{};
    q.before = before;
    q.after = after;
    q.shift = shift;
    return q;
}

TEST(DatekeyDates, EveryHolidayOnDailyData1990To2030)
{
    orvtest::moduleHost();
    orvtest::TestSeries daily;
    orvtest::makeSeries(daily, "DAY", day(1990, 1, 1), int64_t(day(2030, 12, 31) - day(1990, 1, 1)) + 1);
    std::map<std::pair<int, int>, double> oracle;
    for (const orvtest::CsvRow &row : orvtest::readOracleCsv("holidays_dates.csv"))
        if (row.integer(1) >= 1990 && row.integer(1) <= 2030)
            oracle[{int(row.integer(0)), int(row.integer(1))}] = row.number(2);
    ASSERT_GT(oracle.size(), 900u);
    /* Second 1 of every minute over 41 years would need 21 million slots:
     * refused before anything is allocated. */
    int32_t capped = -1;
    EXPECT_TRUE(expand(3601, nullptr, &daily.block, &capped).empty());
    EXPECT_EQ(capped, ZTSEV_DK_NO_SPAN);
    for (int code = ZHOL_FIRST_CODE; code <= ZHOL_LAST_CODE; ++code) {
        int32_t status = -1, kind = 0;
        std::vector<double> dates = expand(code, nullptr, &daily.block, &status, &kind);
        EXPECT_EQ(status, 0) << code;
        EXPECT_EQ(kind, 8) << code;
        size_t matched = 0;
        for (double d : dates) {
            const int year = int(zyear(d));
            auto it = oracle.find({code, year});
            /* Years the oracle leaves out (see holidays_dates.py) are not checked. */
            if (it == oracle.end()) continue;
            EXPECT_EQ(d, it->second) << "code " << code << " year " << year;
            ++matched;
        }
        size_t expected = 0;
        for (const auto &[key, value] : oracle) expected += key.first == code;
        EXPECT_EQ(matched, expected) << code;
    }
}

TEST(DatekeyDates, WindowWideningAndSeasons)
{
    orvtest::moduleHost();
    orvtest::TestSeries months, quarters, days2018, days2020;
    orvtest::makeSeries(months, "MONTH", day(2019, 11, 1), 16);
    orvtest::makeSeries(quarters, "QTR.3", day(2019, 3, 1), 8);
    orvtest::makeSeries(days2018, "DAY", day(2018, 1, 1), 365);
    orvtest::makeSeries(days2020, "DAY", day(2020, 1, 1), 366);
    const ZTSEV_EFFECTIVE after3 = qualifiers(1, 4, 0), afterAll = qualifiers(1, 0, 0);
    const ZTSEV_EFFECTIVE shift2 = qualifiers(1, 1, 2);
    struct Case {
        const char *id;
        int64_t code;
        const ZTSEV_EFFECTIVE *q;
        const ZTSEV_SERIES *series;
        std::vector<double> expected;
    } cases[] = {
        /* Thanksgiving of 2021 (25 November) lies after February 2021. */
        {"thanksgiving", 21, nullptr, &months.block, {day(2019, 11, 28), day(2020, 11, 26)}},
        /* Christmas 2018 is 11 months before: reached with 3 intervals
         * after?  No; Halloween 2019 (2 months before) is. */
        {"halloween", 26, nullptr, &months.block, {day(2020, 10, 31)}},
        {"halloween-after-3", 26, &after3, &months.block, {day(2019, 10, 31), day(2020, 10, 31)}},
        {"halloween-after-all", 26, &afterAll, &months.block, {day(2020, 10, 31)}},
        /* A shift of 2 moves the span to September 2019 - December 2020. */
        {"christmas-shift-2", 24, &shift2, &months.block, {day(2019, 12, 25), day(2020, 12, 25)}},
        {"newyear-shift-2", 31, &shift2, &months.block, {day(2020, 1, 1)}},
        {"qtr-3-season-4", 404, nullptr, &quarters.block, {day(2019, 12, 1), day(2020, 12, 1)}},
        {"march", 1203, nullptr, &quarters.block, {day(2019, 3, 1), day(2020, 3, 1)}},
        /* 2017 has 53 Sunday weeks: week 53 (31 Dec 2017) comes with week 1. */
        {"week-1", 5301, nullptr, &days2018.block, {day(2018, 1, 7), day(2017, 12, 31), day(2019, 1, 6)}},
        {"weekv-53", 5253, nullptr, &days2020.block, {day(2020, 12, 28)}},
        {"first-monday-jan", 9005, nullptr, &days2020.block, {day(2020, 1, 6)}},
        {"last-friday-nov", 9000 + 35 * 10 + 5 * 5 + 4, nullptr, &days2020.block, {day(2020, 11, 27)}},
    };
    for (const Case &c : cases) {
        int32_t status = -1;
        EXPECT_EQ(expand(c.code, c.q, c.series, &status), c.expected) << c.id;
        EXPECT_EQ(status, 0) << c.id;
    }
}

/* Week 53 of each ISO year on a daily series of that year (the last week
 * of the series' last year is produced). */
TEST(DatekeyDates, Weekv53AgainstIsocalendar)
{
    orvtest::moduleHost();
    const auto rows = orvtest::readOracleCsv("event_weekv53.csv");
    ASSERT_FALSE(rows.empty());
    for (const orvtest::CsvRow &row : rows) {
        const int y = int(row.integer(0));
        orvtest::TestSeries daily;
        orvtest::makeSeries(daily, "DAY", day(y, 1, 1), int64_t(day(y, 12, 31) - day(y, 1, 1)) + 1);
        int32_t status = -1;
        std::vector<double> dates = expand(5253, nullptr, &daily.block, &status);
        EXPECT_EQ(status, 0) << y;
        EXPECT_NE(std::find(dates.begin(), dates.end(), row.number(1)), dates.end()) << "line " << row.line;
    }
}

TEST(DatekeyDates, ObservationSeries)
{
    orvtest::moduleHost();
    orvtest::TestSeries obs;
    orvtest::makeSeries(obs, "OBS", 1, 12);
    obs.block.interval.seasonCount = 4;
    struct Case {
        const char *id;
        int64_t code;
        int32_t status;
    } cases[] = {
        {"holiday", 24, 22}, {"weekday-of-month", 9005, 22}, {"season-of-day", 702, 22},
        {"below", 99, 22},   {"above", 201, 22},            {"season-5-of-4", 105, 13},
        {"code-100", 100, 13},
    };
    for (const Case &c : cases) {
        int32_t status = -1;
        EXPECT_TRUE(expand(c.code, nullptr, &obs.block, &status).empty()) << c.id;
        EXPECT_EQ(status, c.status) << c.id;
    }
    int32_t status = -1, kind = 0;
    std::vector<double> seasons = expand(102, nullptr, &obs.block, &status, &kind);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(kind, 4);
    /* Season 2 of 4: observations 2, 6, 10, widened by one cycle of four
     * observations on each side of 1 to 12 (cycles start at 0, 4, 8 ...). */
    EXPECT_EQ(seasons, (std::vector<double>{-2, 2, 6, 10, 14, 18}));
}

TEST(DatekeyDates, GridsStopAtTheirEnd)
{
    MEMORY_OBJECT *pool = orvtest::moduleHost().memory().createPool();
    ZINT_DESC month{}, none{};
    zintic(ZINT_MONTH, &month);
    struct Case {
        const char *id;
        const ZINT_DESC *desc;
        double start, end;
        int32_t status;
        std::vector<double> expected;
    } cases[] = {
        {"month-31-jan", &month, day(2020, 1, 31), day(2020, 3, 15), 0, {day(2020, 1, 31), day(2020, 2, 29)}},
        {"month-exact", &month, day(2020, 1, 31), day(2020, 3, 31), 0,
         {day(2020, 1, 31), day(2020, 2, 29), day(2020, 3, 31)}},
        {"no-interval", &none, 0, 10, 12, {}},
        {"missing-end", &month, 0, orvMissing(), 15, {}},
    };
    for (const Case &c : cases) {
        int64_t count = -1;
        int32_t status = -1;
        double *grid = ZTSEVMakeTimeids(c.desc, 'S', &count, pool, &status, c.start, c.end);
        std::vector<double> got;
        if (grid != nullptr) got.assign(grid, grid + count);
        EXPECT_EQ(status, c.status) << c.id;
        EXPECT_EQ(got, c.expected) << c.id;
    }
    /* A span beyond the cap is refused before anything is allocated. */
    ZINT_DESC day1{};
    zintic(ZINT_DAY, &day1);
    day1.kind = 's';
    int64_t count = -1;
    int32_t status = -1;
    EXPECT_EQ(ZTSEVMakeTimeids(&day1, 'S', &count, pool, &status, 0, 1e15), nullptr);
    EXPECT_EQ(status, 15);
    orvtest::moduleHost().memory().deletePool(pool);
}

/* One event-data-set row's timing run. */
TEST(DatekeyDates, EventdataRuns)
{
    orvtest::moduleHost();
    MEMORY_OBJECT *pool = orvtest::moduleHost().memory().createPool();
    const double M = orvMissing();
    struct Case {
        const char *id;
        double startDate, endDate;
        const char *dateInterval;
        double startObs, endObs, obsInterval, startDt;
        int status, kind;
        std::vector<double> expected;
    } cases[] = {
        {"date-single", 21915, M, "", M, M, M, M, 0, 8, {21915}},
        {"date-run", 21915, 21917, "DAY", M, M, M, M, 0, 8, {21915, 21916, 21917}},
        {"date-unknown-interval", 21915, 21916, "FORTNIGHT", M, M, M, M, 0, 8, {21915, 21916}},
        {"date-backwards", 21915, 21900, "DAY", M, M, M, M, 15, 8, {}},
        {"date-no-interval", 21915, 21917, ".", M, M, M, M, 12, 8, {}},
        {"date-mixed", 21915, M, "", 3, M, M, M, 11, 0, {}},
        {"nothing", M, M, "", M, M, M, M, -4, 0, {}},
        {"obs-run", M, M, "", 1, 6, 2, M, 0, 4, {1, 3, 5}},
        {"obs-half", M, M, "", 1, 6, 0.5, M, 12, 4, {}},
        {"obs-negative", M, M, "", 1, 6, -1, M, 12, 4, {}},
        {"obs-huge-multiplier", M, M, "", 1, 6, 1e30, M, 12, 4, {}},
        {"obs-huge-run", M, M, "", 1, 1e30, 1, M, 15, 4, {}},
        {"obs-mixed", M, M, "DAY", 1, 2, 1, M, 11, 0, {}},
        {"datetime-single", M, M, "", M, M, M, 86400, 0, 10, {86400}},
    };
    for (const Case &c : cases) {
        ZTSEV_ROWBUF row{};
        row.startDate = c.startDate;
        row.endDate = c.endDate;
        row.dateInterval = orvtest::countedName(c.dateInterval);
        row.dtInterval = orvtest::countedName("");
        row.startDatetime = c.startDt;
        row.endDatetime = M;
        row.startObs = c.startObs;
        row.endObs = c.endObs;
        row.obsInterval = c.obsInterval;
        int64_t count = -1;
        double *values = nullptr;
        int32_t kind = -1;
        EXPECT_EQ(ZTSEVGetEventdataDates(&row, &count, &values, &kind, pool), c.status) << c.id;
        EXPECT_EQ(kind, c.kind) << c.id;
        std::vector<double> got;
        if (c.status == 0) got.assign(values, values + count);
        EXPECT_EQ(got, c.expected) << c.id;
    }
    orvtest::moduleHost().memory().deletePool(pool);
}

TEST(DatekeyDates, PeriodicDates)
{
    orvtest::moduleHost();
    MEMORY_OBJECT *pool = orvtest::moduleHost().memory().createPool();
    orvtest::TestSeries daily, obs;
    orvtest::makeSeries(daily, "DAY", day(2020, 1, 1), 31);
    orvtest::makeSeries(obs, "OBS", 1, 10);
    ZINT_DESC week{}, obs2{}, none{}, second{};
    zintic(ZINT_WEEK, &week);
    zintstr("DTSECOND", 8, &second);
    orvtest::TestSeries decades;
    orvtest::makeSeries(decades, "DAY", day(1990, 1, 1), 15000);
    zintstr("OBS2", 4, &obs2);
    const ZTSEV_EFFECTIVE q = qualifiers(1, 1, 0);
    struct Case {
        const char *id;
        const ZTSEV_SERIES *series;
        const ZINT_DESC *period;
        double reference;
        int32_t kind, status, resultKind;
        std::vector<double> expected;
    } cases[] = {
        {"weekly", &daily.block, &week, day(2020, 1, 3), 8, 0, 8,
         {day(2020, 1, 3), day(2020, 1, 10), day(2020, 1, 17), day(2020, 1, 24), day(2020, 1, 31)}},
        {"obs-2", &obs.block, &obs2, 2, 4, 0, 4, {2, 4, 6, 8, 10}},
        {"obs-period-on-days", &daily.block, &obs2, day(2020, 1, 2), 8, 0, 4,
         {2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30}},
        {"no-period", &daily.block, &none, 1, 8, 24, 8, {}},
        {"dated-period-on-obs", &obs.block, &week, 1, 4, 22, 4, {}},
        {"date-on-obs", &obs.block, &obs2, 1, 8, 15, 8, {}},
        {"missing-reference", &daily.block, &week, orvMissing(), 8, 15, 8, {}},
        /* 1.3 billion seconds are refused before anything is allocated. */
        {"too-many", &decades.block, &second, day(2000, 1, 1), 8, 15, 10, {}},
    };
    for (const Case &c : cases) {
        int64_t count = -1;
        int32_t kind = c.kind, status = -1;
        double *dates = ZTSEVMakePeriodicDates(c.series, c.period, &q, &count, &kind, pool, c.reference, &status);
        std::vector<double> got;
        if (dates != nullptr) got.assign(dates, dates + count);
        EXPECT_EQ(status, c.status) << c.id;
        EXPECT_EQ(kind, c.resultKind) << c.id;
        EXPECT_EQ(got, c.expected) << c.id;
    }
    orvtest::moduleHost().memory().deletePool(pool);
}

TEST(DatekeyDates, WeekNumbersAgainstPython)
{
    orvtest::moduleHost();
    const auto rows = orvtest::readOracleCsv("event_weeks.csv");
    ASSERT_GT(rows.size(), 3000u);
    for (const orvtest::CsvRow &row : rows) {
        double week = -1, year = -1;
        ASSERT_EQ(zweekyr(int(row.integer(0)), &week, &year, 1, row.number(1)), 0) << "line " << row.line;
        EXPECT_EQ(week, row.number(2)) << "line " << row.line;
        EXPECT_EQ(year, row.number(3)) << "line " << row.line;
    }
    double week = 0, year = 0;
    EXPECT_EQ(zweekyr(1, &week, &year, 1, orvMissing()), 15);
    /* Without week 53: 31 December 2017 (a Sunday) is week 1 of 2018. */
    EXPECT_EQ(zweekyr(1, &week, &year, 0, day(2017, 12, 31)), 0);
    EXPECT_EQ(week, 1);
    EXPECT_EQ(year, 2018);
}

/* User events used as date keys: their dates, an unknown key, and a cycle
 * (A keyed by B keyed by A), which stops at the depth limit with a note. */
TEST(DatekeyDates, UserDatekeys)
{
    orvtest::moduleHost();
    orvtest::takeLog();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    ZTSEV_LIST *keys = list->datekeyList;
    const double first = day(2020, 1, 5), second = day(2020, 1, 9);
    ZTSEVInitSimpleEvent(keys, nullptr, "A", 1, &first, 8, nullptr);
    ZTSEVInitSimpleEvent(keys, nullptr, "B", 1, &second, 8, nullptr);
    const ORV_COUNTED_NAME keyA = orvtest::countedName("A"), keyC = orvtest::countedName("C");
    ASSERT_EQ(ZTSEVAddDatekeyToEvent(keys, "B", &keyA, 1), 0);
    orvtest::TestSeries daily;
    orvtest::makeSeries(daily, "DAY", day(2020, 1, 1), 31);
    MEMORY_OBJECT *pool = orvtest::moduleHost().memory().createPool();
    double *dates = nullptr;
    int32_t *kinds = nullptr;
    int64_t count = 0;
    int found = 0;
    ZTSEV_EVENT *b = ZTSEVFindEvent(keys, "B", &found);
    EXPECT_EQ(ZTSEVDatesFromUserDatekey(b, keys, &daily.block, pool, &dates, &count, &kinds), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(dates[0], second);
    EXPECT_EQ(dates[1], first);
    EXPECT_EQ(kinds[0], 8);
    EXPECT_EQ(kinds[1], 8);
    /* C becomes a key of A and is then removed: an unknown key. */
    ZTSEVInitSimpleEvent(keys, nullptr, "C", 1, &first, 8, nullptr);
    ASSERT_EQ(ZTSEVAddDatekeyToEvent(keys, "A", &keyC, 1), 0);
    ZTSEVDelItem(keys, ZTSEVFindEvent(keys, "C", &found), ZTSEV_DEL_FREE);
    orvtest::takeLog();
    ZTSEV_EVENT *a = ZTSEVFindEvent(keys, "A", &found);
    EXPECT_EQ(ZTSEVDatesFromUserDatekey(a, keys, &daily.block, pool, &dates, &count, &kinds), 13);
    EXPECT_NE(orvtest::takeLog().find("The date key C is not defined; it gives no dates"), std::string::npos);
    /* The cycle: A keyed by B, B keyed by A. */
    ZTSEVInitSimpleEvent(keys, nullptr, "X", 1, &first, 8, nullptr);
    ZTSEVInitSimpleEvent(keys, nullptr, "Y", 1, &second, 8, nullptr);
    const ORV_COUNTED_NAME keyX = orvtest::countedName("X"), keyY = orvtest::countedName("Y");
    ASSERT_EQ(ZTSEVAddDatekeyToEvent(keys, "X", &keyY, 1), 0);
    ASSERT_EQ(ZTSEVAddDatekeyToEvent(keys, "Y", &keyX, 1), 0);
    ZTSEV_EVENT *x = ZTSEVFindEvent(keys, "X", &found);
    EXPECT_EQ(ZTSEVDatesFromUserDatekey(x, keys, &daily.block, pool, &dates, &count, &kinds), 13);
    const std::string log = orvtest::takeLog();
    EXPECT_NE(log.find("leads back to itself"), std::string::npos) << log;
    orvtest::moduleHost().memory().deletePool(pool);
}

/* Day numbers of an oracle field: blank-separated, empty for none. */
std::vector<double> daysOf(const std::string &text)
{
    std::vector<double> days;
    std::stringstream in(text);
    double d = 0;
    while (in >> d) days.push_back(d);
    return days;
}

class CustomDatekeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        orvtest::useIntervalDs("(FISCALQ=CI.FQEND FISCALQN=CI.FQBEGIN FISCALQG=CI.FQGAP ONE=CI.ONE)");
        pool = orvtest::moduleHost().memory().createPool();
    }
    void TearDown() override { orvtest::moduleHost().memory().deletePool(pool); }
    MEMORY_OBJECT *pool = nullptr;
};

/* Season keys <calendar>_<quarter> over monthly and daily series, and
 * events repeated by a custom PERIOD=, against pandas; then the season keys
 * of the built-in intervals (event_season_keys.csv, same rows). */
TEST_F(CustomDatekeys, SeasonsAndPeriodsAgainstPandas)
{
    std::vector<orvtest::CsvRow> rows = orvtest::readOracleCsv("custom_datekeys.csv");
    ASSERT_GT(rows.size(), 10u);
    const std::vector<orvtest::CsvRow> builtIn = orvtest::readOracleCsv("event_season_keys.csv");
    ASSERT_GT(builtIn.size(), 70u);
    rows.insert(rows.end(), builtIn.begin(), builtIn.end());
    const ZTSEV_EFFECTIVE q = qualifiers(1, 1, 0);
    for (const orvtest::CsvRow &row : rows) {
        const std::string where = "line " + std::to_string(row.line) + " (id " + row.fields[0] + ")";
        const std::string &interval = row.fields[2];
        orvtest::TestSeries series;
        orvtest::makeSeries(series, row.fields[3].c_str(), row.number(4), row.integer(5));
        const std::vector<double> expected = daysOf(row.fields.size() > 7 ? row.fields[7] : "");
        int64_t count = -1;
        int32_t kind = ZTSEV_KIND_DATE, status = -1;
        double *dates = nullptr;
        if (row.fields[1] == "SEASON") {
            const std::string key = interval + "_" + row.fields[6];
            int intervalCode = 0;
            const int64_t code = ZTSEVSeasNameChk(key.c_str(), int(key.size()), &intervalCode);
            if (intervalCode == ZINT_CUSTOM) {
                ASSERT_EQ(code, 10000 + row.integer(6)) << where;
                dates = ZTSEVCustDatekey2Dates(code, &q, &series.block, &count, &kind, pool,
                                               orvtest::countedName(key.c_str()), &status);
            } else {
                ASSERT_GT(code, 0) << where;
                dates = ZTSEVDatekey2Dates(code, &q, &series.block, &count, &kind, pool, &status);
            }
        } else {
            const ZINT_DESC period = orvtest::customDesc(interval.c_str());
            dates = ZTSEVMakePeriodicDates(&series.block, &period, &q, &count, &kind, pool, row.number(6), &status);
        }
        std::vector<double> got;
        if (dates != nullptr) got.assign(dates, dates + count);
        EXPECT_EQ(status, 0) << where;
        EXPECT_EQ(got, expected) << where << ": " << orvtest::show(got);
        if (!expected.empty()) {
            const bool timeOfDay = interval == "HOUR" || interval == "MINUTE" || interval == "SECOND";
            EXPECT_EQ(kind, timeOfDay ? ZTSEV_KIND_DATETIME : ZTSEV_KIND_DATE) << where;
        }
    }
    EXPECT_EQ(orvtest::takeLog(), "");
}

/* Custom keys and periods that give no dates. */
TEST_F(CustomDatekeys, RefusedKeysAndPeriods)
{
    orvtest::TestSeries daily, obs;
    orvtest::makeSeries(daily, "DAY", day(2018, 1, 1), 365);
    orvtest::makeSeries(obs, "OBS", 1, 10);
    const ZTSEV_EFFECTIVE q = qualifiers(1, 1, 0);
    struct Case {
        const char *id;
        const char *key;
        const ZTSEV_SERIES *series;
        int32_t status;
    } cases[] = {
        {"no underscore", "FISCALQ2", &daily.block, 13},
        {"a built-in interval", "MONTH_2", &daily.block, 13},
        {"not an interval", "NOSUCH_2", &daily.block, 13},
        {"an observation series", "FISCALQ_2", &obs.block, 22},
    };
    for (const Case &c : cases) {
        int64_t count = -1;
        int32_t kind = -1, status = -1;
        EXPECT_EQ(ZTSEVCustDatekey2Dates(10002, &q, c.series, &count, &kind, pool, orvtest::countedName(c.key),
                                         &status),
                  nullptr)
            << c.id;
        EXPECT_EQ(status, c.status) << c.id;
        EXPECT_EQ(count, 0) << c.id;
    }
    /* A reference in the gap of fqgap cannot be repeated. */
    const ZINT_DESC gapped = orvtest::customDesc("FISCALQG");
    int64_t count = -1;
    int32_t kind = ZTSEV_KIND_DATE, status = -1;
    EXPECT_EQ(ZTSEVMakePeriodicDates(&daily.block, &gapped, &q, &count, &kind, pool, 21350, &status), nullptr);
    EXPECT_EQ(status, 15);
    orvtest::takeLog();
}

/* CHRISTMAS over fiscal-quarter series: spans that start before the
 * calendar, end in its open period, and are widened by the series' own
 * custom interval, up to the calendar's first period. */
TEST_F(CustomDatekeys, HolidaysOverCustomSeries)
{
    const int christmas = zholnchk("CHRISTMAS", 9);
    ASSERT_GT(christmas, 0);
    const ZINT_DESC fiscal = orvtest::customDesc("FISCALQ");
    auto series = [&](double first, int64_t n) {
        orvtest::TestSeries s;
        orvtest::makeSeries(s, "FISCALQ", first, n);
        /* The driver's first time ID of a series that starts before the
         * calendar is the time ID itself. */
        s.block.firstTimeId = first;
        s.block.interval.interval = fiscal;
        return s;
    };
    const orvtest::TestSeries from2019 = series(21581, 4), fromFirst = series(20851, 4),
                              beforeCalendar = series(20789, 5), toOpenEnd = series(22401, 4);
    const ZTSEV_EFFECTIVE back2 = qualifiers(1, 3, 0), back4 = qualifiers(1, 5, 0);
    struct Case {
        const char *id;
        const ZTSEV_SERIES *series;
        const ZTSEV_EFFECTIVE *q;
        std::vector<double> expected;
    } cases[] = {
        {"one fiscal year", &from2019.block, nullptr, {21908}},
        {"after 2 quarters widens back into 2018", &from2019.block, &back2, {21543, 21908}},
        {"widening stops at the first quarter", &fromFirst.block, &back4, {21178}},
        {"a span from before the calendar starts at the first time ID", &beforeCalendar.block, &back4,
         {20813, 21178}},
        {"a span into the open period ends at its begin", &toOpenEnd.block, nullptr, {22639}},
    };
    for (const Case &c : cases) {
        int32_t status = -1, kind = 0;
        EXPECT_EQ(expand(christmas, c.q, c.series, &status, &kind), c.expected) << c.id;
        EXPECT_EQ(status, 0) << c.id;
    }
    EXPECT_EQ(orvtest::takeLog(), "");
}

/* A custom pulse over an hourly series widens in days: after 1 quarter
 * (stored 2) reaches back from June 2019 to the quarter from 2019-02-01
 * (21581); the custom PERIOD= then repeats from it and the quarter from
 * 2019-05-01 (21670). */
TEST_F(CustomDatekeys, CustomPulseOverHourlySeries)
{
    orvtest::TestSeries hours;
    orvtest::makeSeries(hours, "HOUR", day(2019, 6, 1) * 86400, 48);
    ZTSEV_EFFECTIVE q = qualifiers(1, 2, 0);
    q.pulse = orvtest::customDesc("FISCALQ");
    int64_t count = -1;
    int32_t kind = ZTSEV_KIND_DATE, status = -1;
    double *dates = ZTSEVMakePeriodicDates(&hours.block, &q.pulse, &q, &count, &kind, pool, 21715, &status);
    std::vector<double> got;
    if (dates != nullptr) got.assign(dates, dates + count);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(kind, ZTSEV_KIND_DATE);
    EXPECT_EQ(got, (std::vector<double>{21581, 21670}));
    /* A holiday key widened back 4 quarters, to 2018-05-01: Christmas 2018. */
    q.after = 5;
    EXPECT_EQ(expand(zholnchk("CHRISTMAS", 9), &q, &hours.block, &status), std::vector<double>{21543});
    EXPECT_EQ(status, 0);
}

/* The guarded steps over the calendars' ends and the gap of fqgap. */
TEST_F(CustomDatekeys, GuardedStepsAtEndsAndGaps)
{
    const double dot = orvMissing();
    struct Case {
        const char *id;
        const char *interval;
        char align;
        int32_t side;
        double value, steps;
        int rc;
        double result, count;
    } cases[] = {
        {"gap, side N: the quarter before", "FISCALQG", 'B', 'N', 21350, 0, 0, 21216, dot},
        {"gap, side L: the quarter before", "FISCALQG", 'B', 'L', 21350, -1, 0, 21124, dot},
        {"gap, side P: the quarter after", "FISCALQG", 'B', 'P', 21350, 0, 0, 21397, dot},
        {"gap, side R, one on", "FISCALQG", 'E', 'R', 21350, 1, 0, 21580, dot},
        {"gap, side C by begins: after is closer", "FISCALQG", 'B', 'C', 21350, 0, 0, 21397, dot},
        {"gap, side C by ends: before is closer", "FISCALQG", 'E', 'C', 21350, 0, 0, 21304, dot},
        {"gap, an unknown side", "FISCALQG", 'B', 'X', 21350, 0, -4, 21350, 0},
        {"past the last quarter: back to it", "FISCALQ", 'E', 'P', 22615, 3, 0, 22676, 0},
        {"before the first quarter: on to it", "FISCALQ", 'B', 'N', 20971, -3, 0, 20851, -1},
        {"from before the calendar, side N refuses", "FISCALQ", 'B', 'N', 20789, 0, 15, 20851, dot},
        {"from before the calendar, side P", "FISCALQ", 'B', 'P', 20789, 0, 0, 20851, 1},
        {"the open quarter after, side N", "FISCALQ", 'B', 'N', 22705, 0, 0, 22585, -1},
        {"the open quarter after, side P refuses", "FISCALQ", 'B', 'P', 22705, 0, 15, 22585, dot},
        {"a plain step", "FISCALQG", 'B', 'N', 21350 + 100, -1, 0, 21216, -1},
        {"no closed period at all", "ONE", 'B', 'P', 20900, 0, 15, 20900, dot},
    };
    for (const Case &c : cases) {
        const ZINT_DESC desc = orvtest::customDesc(c.interval);
        int32_t mode = 0;
        double value = c.value, steps = c.steps;
        EXPECT_EQ(IntnxNearestIndex(&desc, c.align, &mode, c.side, &value, &steps), c.rc) << c.id;
        if (c.rc == 0) {
            EXPECT_EQ(value, c.result) << c.id;
            EXPECT_TRUE(orvtest::sameValue(steps, c.count)) << c.id << ": " << orvtest::shown(steps);
        }
    }
    /* OpenNotAllowed alone: a value in a gap, one in a quarter. */
    const ZINT_DESC gapped = orvtest::customDesc("FISCALQG");
    int32_t mode = 0;
    double value = 21350, steps = 5;
    EXPECT_EQ(OpenNotAllowed(&gapped, 'B', &mode, 'N', &value, &steps, 21216), 15);
    EXPECT_TRUE(orvtest::sameValue(steps, dot));
    value = 21400;
    EXPECT_EQ(OpenNotAllowed(&gapped, 'B', &mode, 'N', &value, &steps, 21216), 0);
    EXPECT_EQ(steps, 1);
    /* Built-in intervals: mode 1 counts from the old value to the new. */
    ZINT_DESC month{};
    zintic(ZINT_MONTH, &month);
    mode = 1;
    value = day(2020, 1, 15);
    steps = 2;
    EXPECT_EQ(IntnxNearestIndex(&month, 'B', &mode, 'P', &value, &steps), 0);
    EXPECT_EQ(value, day(2020, 3, 1));
    EXPECT_EQ(steps, 2);
    orvtest::takeLog();
}

}  // namespace
