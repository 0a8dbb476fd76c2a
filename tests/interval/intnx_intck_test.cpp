/*
 * intnx_intck_test.cpp - stepping and counting by intervals on values
 * worked out by hand: alignments, the valid range, the overflow guards,
 * observation intervals with a shift, WEEKDAY alignment, the shift-base
 * cache and the continuous count.
 *
 * Day numbers: day 0 is Friday 1 January 1960; 1960 is a leap year, so
 * 1 February is day 31, 1 March day 60, 1 April day 91, 1 May day 121.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "host/civil_days.h"
#include "host/missing_values.h"
#include "interval/intck.h"
#include "interval/interval_names.h"
#include "interval/intnx.h"
#include "tests/support/module_host.h"

namespace {

const double kMissing = orvMissing();
constexpr double kTwo53 = 9007199254740992.0;

ZINT_DESC parsed(const char *name)
{
    ZINT_DESC desc{};
    EXPECT_EQ(zintstr(name, -1, &desc), 0) << name;
    return desc;
}

/* Expected values compare by bit pattern for missing values: every
 * failure must be the ordinary missing value. */
void expectValue(double got, double expected)
{
    if (orvIsMissing(expected))
        EXPECT_EQ(std::bit_cast<uint64_t>(got), std::bit_cast<uint64_t>(expected)) << got;
    else
        EXPECT_EQ(got, expected);
}

double day(int64_t year, int month, int dayOfMonth)
{
    return double(orvDaysFromCivil(year, month, dayOfMonth));
}

struct StepCase {
    const char *id;
    const char *interval;
    char align;
    double x, n, expected;
};

void runSteps(const StepCase *cases, size_t count, bool grid)
{
    for (size_t i = 0; i < count; ++i) {
        const StepCase &c = cases[i];
        SCOPED_TRACE(std::string(c.id) + " " + c.interval + " " + c.align);
        const ZINT_DESC desc = parsed(c.interval);
        expectValue(grid ? zintnx4(&desc, c.align, c.x, c.n)
                         : zintnx3(&desc, c.align, nullptr, c.x, c.n),
                    c.expected);
    }
}

TEST(Intnx, BeginningAndAlignedSteps)
{
    orvtest::moduleHost();
    const StepCase cases[] = {
        {"month of 15 Feb 1960", "MONTH", 'B', 45, 0, 31},
        {"MONTH2 of February", "MONTH2", 'B', 40, 0, 0},
        {"QTR.2 of 15 Jan 1960", "QTR.2", 'B', 14, 0, day(1959, 11, 1)},
        {"week of day 0", "WEEK", 'B', 0, 0, -5},
        {"ISO week of day 0", "WEEKV", 'B', 0, 0, -4},
        {"WEEK.6 starts Friday", "WEEK.6", 'B', 0, 0, 0},
        {"WEEK2 of day 8", "WEEK2", 'B', 8, 0, -5},
        {"WEEK2 of day 9", "WEEK2", 'B', 9, 0, 9},
        {"Saturday weekday", "WEEKDAY", 'B', 1, 0, 0},
        {"Saturday next weekday", "WEEKDAY", 'B', 1, 1, 3},
        {"Friday next 17W", "WEEKDAY17W", 'B', 0, 1, 3},
        {"Saturday works under 1W", "WEEKDAY1W", 'B', 1, 1, 3},
        {"back over a weekend", "WEEKDAY", 'B', 3, -1, 0},
        {"DTDAY next midnight", "DTDAY", 'B', 5000, 1, 86400},
        {"TENDAY of 15 Jan", "TENDAY", 'B', 14, 0, 10},
        {"TENDAY of 21 Jan", "TENDAY", 'B', 20, 1, 31},
        {"SEMIMONTH of 16 Feb", "SEMIMONTH", 'B', 46, 0, 46},
        {"SEMIYEAR of 1 Jul", "SEMIYEAR", 'B', day(1960, 7, 1), -1, 0},
        {"YEAR.7 of 1 Jun 1960", "YEAR.7", 'B', day(1960, 6, 1), 0, day(1959, 7, 1)},
        {"YEARV of 1 Jan 2021", "YEARV", 'B', day(2021, 1, 1), 0, day(2019, 12, 30)},
        {"YEARV.2 of 4 Jan 2021", "YEARV.2", 'B', day(2021, 1, 4), 0, day(2020, 1, 6)},
        {"R445MON of 15 Feb 2021", "R445MON", 'B', day(2021, 2, 15), 0, day(2021, 2, 1)},
        {"R445QTR of 3 Jan 2021", "R445QTR", 'B', day(2021, 1, 3), 0, day(2020, 9, 28)},
        {"R544YR next", "R544YR", 'B', day(2021, 6, 1), 1, day(2022, 1, 3)},
        {"HOUR of 5000 s", "HOUR", 'B', 5000, 0, 3600},
        {"HOUR2.2 of 0", "HOUR2.2", 'B', 0, 0, -3600},
        {"MINUTE back", "MINUTE", 'B', 59, -1, -60},
        {"NONE", "NONE", 'B', 10.5, 2, 12},
        {"end of February", "MONTH", 'E', 45, 0, 59},
        {"middle of January", "MONTH", 'M', 45, -1, 15},
        {"middle of April", "MONTH", 'M', 91, 0, 105},
        {"end of DTMONTH", "DTMONTH", 'E', 0, 0, 31 * 86400.0 - 1},
        {"end of YEAR", "YEAR", 'E', 100, 0, 365},
        {"other letters begin", "MONTH", 'x', 45, 0, 31},
        {"31 Jan + 1 month", "MONTH", 'S', 30, 1, 59},
        {"31 Jan 1961 + 1 month", "MONTH", 'S', day(1961, 1, 31), 1, day(1961, 2, 28)},
        {"30 May + 1 quarter", "QTR", 'S', day(1960, 5, 30), 1, day(1960, 8, 30)},
        {"MONTH2 keeps the month in its pair", "MONTH2", 'S', 45, 1, day(1960, 4, 15)},
        {"31 Mar - 1 month", "MONTH", 'S', day(1960, 3, 31), -1, 59},
        {"S with n 0 is x", "YEAR", 'S', 200, 0, 200},
        {"S keeps the time of day", "DTMONTH", 'S', 30 * 86400.0 + 36000, 1, 59 * 86400.0 + 36000},
        {"S on HOUR2", "HOUR2", 'S', 3600 + 120, 1, 7200 + 3600 + 120},
        {"S on Saturday to Monday", "WEEKDAY", 'S', 1, 1, 3},
        {"S on a week", "WEEK", 'S', 0, 1, 7},
        {"S on YEARV from week 53", "YEARV", 'S', day(2021, 1, 3), 1, day(2022, 1, 2)},
        {"S on OBS3", "OBS3", 'S', 4, 1, 7},
    };
    runSteps(cases, std::size(cases), false);
}

TEST(Intnx, WeekdayAlignmentStaysOnWorkingDays)
{
    /* WEEKDAY3 blocks: working-day index 0 is Friday day 0, so blocks start
     * on days 0 (Fri), 5 (Wed), 10 (Mon); the block of day 5 is Wed 5,
     * Thu 6, Fri 7, and the next starts on Monday 10. */
    const StepCase cases[] = {
        {"Friday end", "WEEKDAY", 'E', 0, 0, 0},
        {"Friday middle", "WEEKDAY", 'M', 0, 0, 0},
        {"Saturday end", "WEEKDAY", 'E', 1, 0, 0},
        {"end before Sunday", "WEEKDAY1W", 'E', 0, 1, 1},
        {"block start", "WEEKDAY3", 'B', 6, 0, 5},
        {"block end is Friday", "WEEKDAY3", 'E', 6, 0, 7},
        {"block middle is Thursday", "WEEKDAY3", 'M', 6, 0, 6},
        {"next block end", "WEEKDAY3", 'E', 6, 1, 12},
        {"WEEKDAY5 middle working day", "WEEKDAY5", 'M', 3, 0, 4},
        {"DTWEEKDAY end", "DTWEEKDAY", 'E', 3600, 0, 86399},
        {"DTWEEKDAY middle", "DTWEEKDAY", 'M', 3600, 0, 43199},
        {"DTWEEKDAY3 middle second", "DTWEEKDAY3", 'M', 6 * 86400.0, 0, 6 * 86400.0 + 43199},
        {"Friday-Saturday off, end", "WEEKDAY67W", 'E', 0, 0, -1},
    };
    runSteps(cases, std::size(cases), false);
    runSteps(cases, std::size(cases), true);
}

TEST(Intnx, GridSamePosition)
{
    const StepCase cases[] = {
        {"31 Jan + 1 month", "MONTH", 'S', 30, 1, 59},
        {"MONTH2 from 15 Feb: the pair's start + 14", "MONTH2", 'S', 45, 1, day(1960, 3, 15)},
        {"DTMONTH keeps the time", "DTMONTH", 'S', 30 * 86400.0 + 36000, 1, 59 * 86400.0 + 36000},
        {"QTR moves 3 months", "QTR.2", 'S', day(1960, 5, 31), 1, day(1960, 8, 31)},
        {"QTR2 moves 6 months", "QTR2", 'S', day(1960, 8, 31), -1, day(1960, 2, 29)},
        {"YEAR from 29 Feb", "YEAR", 'S', 59, 1, day(1961, 2, 28)},
        {"DTYEAR keeps the time", "DTYEAR", 'S', 59 * 86400.0 + 7, 4, day(1964, 2, 29) * 86400 + 7},
        {"WEEK offset", "WEEK", 'S', 0, 1, 7},
        {"DAY3 offset", "DAY3", 'S', 4, 1, 7},
        {"TENDAY capped at its end", "TENDAY", 'S', day(1960, 1, 31), 1, day(1960, 2, 10)},
        {"retail like zintnx3", "R445MON", 'S', day(2021, 2, 15), 1, day(2021, 3, 15)},
        {"OBS", "OBS", 'S', 4, 2, 6},
    };
    runSteps(cases, std::size(cases), true);
}

TEST(Intnx, RangeMissingValuesAndOverflow)
{
    const double first = -138061;
    const double last = 6589335;
    const double dtLast = last * 86400;
    const double letterA = std::bit_cast<double>(orvLetterMissingBits(0));
    const StepCase cases[] = {
        {"first valid day", "MONTH", 'B', first, 0, first},
        {"day before", "MONTH", 'B', first - 1, 0, kMissing},
        {"last month", "MONTH", 'B', last, 0, last - 25},
        {"past the end", "MONTH", 'B', last, 1, kMissing},
        {"last day", "DAY", 'B', last, 0, last},
        {"day after", "DAY", 'B', last, 1, kMissing},
        {"DTDAY last", "DTDAY", 'B', dtLast + 86399, 0, dtLast},
        {"DTDAY after", "DTDAY", 'B', dtLast + 86400, 0, kMissing},
        {"YEARV at the start", "YEARV", 'B', first, 0, kMissing},
        {"weekday at the start", "WEEKDAY", 'B', first, 0, first},
        {"n 2^53 + 2", "DAY", 'B', 0, kTwo53 + 2, kMissing},
        {"n 2^53", "DAY", 'B', 0, kTwo53, kMissing},
        {"n missing", "DAY", 'B', 0, kMissing, kMissing},
        {"x missing", "DAY", 'B', kMissing, 1, kMissing},
        {"x .A", "MONTH", 'B', letterA, 1, kMissing},
        {"E of a missing x", "MONTH", 'E', kMissing, 0, kMissing},
        {"nudge", "DAY", 'B', 2.9999999999999, 0, 3},
        {"nudge on n", "DAY", 'B', 0, 0.9999999999999, 1},
        {"HOUR 2^53 steps", "HOUR", 'B', 0, kTwo53, kMissing},
        {"HOUR large but exact", "HOUR", 'B', 0, 2e12, 7.2e15},
        {"SECOND beyond 2^53", "SECOND", 'B', kTwo53 + 2, 0, kMissing},
        {"HOUR9999999 far", "HOUR9999999", 'B', 0, 1e9, kMissing},
        {"OBS7 2^50 steps", "OBS7", 'B', 0, 1125899906842624.0, 7881299347898368.0},
        {"OBS7 2^53 steps", "OBS7", 'B', 0, kTwo53, kMissing},
        {"YEAR 1e15 steps", "YEAR", 'B', 0, 1e15, kMissing},
        {"YEARV2147483647 steps", "YEARV2147483647", 'B', 0, 1e13, kMissing},
        {"WEEKDAY1234 steps", "WEEKDAY1234", 'B', 0, 7.3e12, kMissing},
        {"S past the range", "MONTH", 'S', last - 10, 1, kMissing},
    };
    runSteps(cases, std::size(cases), false);

    /* A kind that does not fit the code. */
    ZINT_DESC obs = parsed("OBS");
    obs.kind = 'd';
    expectValue(zintnx2(&obs, 4, 1), kMissing);
    ZINT_DESC hour = parsed("HOUR");
    hour.kind = 'd';
    expectValue(zintnx2(&hour, 4, 1), kMissing);
    ZINT_DESC month = parsed("MONTH");
    month.kind = 'o';
    expectValue(zintnx2(&month, 4, 1), kMissing);
    expectValue(zintnx2(nullptr, 4, 1), kMissing);
    expectValue(zintck2(nullptr, 4, 1), kMissing);
}

TEST(Intnx, NoWorkingDayGivesMissing)
{
    ZINT_DESC allOff = parsed("WEEKDAY");
    for (uint8_t &off : allOff.daysOff) off = 1;
    expectValue(zintnx2(&allOff, 10, 1), kMissing);
    expectValue(zintnx3(&allOff, 'E', nullptr, 10, 1), kMissing);
    expectValue(zintck2(&allOff, 10, 20), kMissing);
    expectValue(weekday(&allOff, 10, 1, 1, 0), kMissing);
}

TEST(Intnx, BadCodesWriteTheirDiagnostics)
{
    orvtest::takeLog();
    ZINT_DESC odd = parsed("HOUR");
    odd.code = 5;
    expectValue(zintnx2(&odd, 0, 1), kMissing);
    expectValue(zintck2(&odd, 0, 1), kMissing);
    ZINT_DESC longOdd = parsed("MONTH");
    longOdd.code = 33;
    expectValue(zintnx2(&longOdd, 0, 1), kMissing);
    expectValue(zintck2(&longOdd, 0, 1), kMissing);
    const std::string log = orvtest::takeLog();
    EXPECT_NE(log.find("zintnx2: bad intcode=5"), std::string::npos) << log;
    EXPECT_NE(log.find("zintck2: bad intcode=5"), std::string::npos) << log;
    EXPECT_NE(log.find("zintnx2: yearbase: bad intcode=33"), std::string::npos) << log;
    EXPECT_NE(log.find("zintck2: invalid intcode=33"), std::string::npos) << log;
}

TEST(Intnx, ObservationIntervalsWithAShiftAgree)
{
    /* OBS3.2 intervals start at 1, 4, 7, ... (values congruent to the
     * stored shift 1 modulo 3). */
    struct Case {
        const char *id;
        const char *interval;
        double x, n, start;
        double from, to, count;
    };
    const Case cases[] = {
        {"OBS3.2 at 3", "OBS3.2", 3, 0, 1, 3, 4, 1},
        {"OBS3.2 at 4", "OBS3.2", 4, 0, 4, 0, 1, 1},
        {"OBS3.2 back", "OBS3.2", 0, 0, -2, 1, 3, 0},
        {"OBS3.3 next", "OBS3.3", 5, 1, 8, 2, 8, 2},
        {"OBS3", "OBS3", 4, 1, 6, 2, 3, 1},
        {"OBS", "OBS", 4, 3, 7, 2, 9, 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const ZINT_DESC desc = parsed(c.interval);
        const double start = zintnx2(&desc, c.x, c.n);
        expectValue(start, c.start);
        expectValue(zintck2(&desc, c.from, c.to), c.count);
        EXPECT_EQ(zintck2(&desc, zintnx2(&desc, c.x, 0), c.x), 0);
        EXPECT_EQ(zintck2(&desc, c.x, start), c.n);
    }
}

TEST(Intck, CountsByHand)
{
    struct Case {
        const char *id;
        const char *interval;
        double from, to;
        double discrete, continuous;
    };
    const Case cases[] = {
        {"year boundary", "YEAR", 365, 366, 1, 0},
        {"a whole year", "YEAR", 365, day(1961, 12, 31), 1, 1},
        {"Saturday to Sunday WEEK", "WEEK", 1, 2, 1, 0},
        {"Saturday to Sunday WEEKV", "WEEKV", 1, 2, 0, 0},
        {"Sunday to Monday WEEKV", "WEEKV", 2, 3, 1, 0},
        {"weekdays over a weekend", "WEEKDAY", 0, 3, 1, 1},
        {"weekend days only", "WEEKDAY", 1, 2, 0, 0},
        {"31 Jan to 29 Feb", "MONTH", 30, 59, 1, 1},
        {"31 Jan to 28 Feb", "MONTH", 30, 58, 1, 0},
        {"backwards 15 Mar to 20 Jan", "MONTH", day(1960, 3, 15), 19, -2, -1},
        {"backwards across a year end", "YEAR", 366, 365, -1, 0},
        {"backwards a whole month", "MONTH", day(1960, 3, 15), day(1960, 2, 15), -1, -1},
        {"no nudge", "DAY", 0, 2.9999999999999, 2, 2},
        {"DTHOUR", "DTHOUR", 3599, 7200, 2, 1},
        {"YEARV week 53 counts as 52", "YEARV", day(2020, 12, 28), day(2021, 1, 4), 1, 0},
        {"YEARV2 inside", "YEARV2", day(2019, 12, 30), day(2021, 12, 29), 0, 0},
        {"YEARV2 next", "YEARV2", day(2019, 12, 30), day(2022, 1, 3), 1, 1},
        {"QTR.2", "QTR.2", day(1960, 1, 31), day(1960, 2, 1), 1, 0},
        {"R454QTR", "R454QTR", day(2021, 1, 3), day(2021, 1, 4), 1, 0},
        {"huge values", "DAY", 0, 1e200, kMissing, kMissing},
        {"huge seconds", "SECOND", 0, 1e100, 1e100, kMissing},
        {"out of range", "MONTH", 0, 6589336, kMissing, kMissing},
        {"missing", "MONTH", kMissing, 5, kMissing, kMissing},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const ZINT_DESC desc = parsed(c.interval);
        expectValue(zintck2(&desc, c.from, c.to), c.discrete);
        expectValue(zintck3(&desc, c.from, c.to), c.continuous);
    }
}

TEST(Intnx, ShiftBaseCacheFollowsTheInterval)
{
    /* One record serves intervals with different shift bases in turn, and
     * a record that holds another interval's shift base is rebuilt. */
    const char *names[] = {"QTR",   "WEEKDAY", "DTQTR",  "WEEKDAY67W",
                           "YEARV", "WEEK.3",  "QTR2.3", "WEEKDAY"};
    ZINT_DESC cache{};
    const double x = day(1960, 5, 30);
    for (int round = 0; round < 2; ++round) {
        for (const char *name : names) {
            SCOPED_TRACE(name);
            const ZINT_DESC desc = parsed(name);
            const double value = desc.kind == 's' ? x * 86400 + 5 : x;
            const double expected = zintnx3(&desc, 'S', nullptr, value, 1);
            EXPECT_EQ(zintnx3(&desc, 'S', &cache, value, 1), expected);
            ZINT_DESC base;
            ASSERT_EQ(zintshft(&desc, &base), 0);
            EXPECT_EQ(cache.code, base.code);
            EXPECT_EQ(cache.kind, base.kind);
        }
    }
    ZINT_DESC stale = parsed("DAY");
    const ZINT_DESC quarter = parsed("QTR");
    EXPECT_EQ(zintnx3(&quarter, 'S', &stale, x, 1), day(1960, 8, 30));
    EXPECT_EQ(stale.code, 45);
}

}  // namespace
