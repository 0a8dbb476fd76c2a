/*
 * unit_steps_test.cpp - the closed forms of INTNX and INTCK against the
 * general code, bit for bit, over sweeps of intervals (multipliers,
 * shifts, days off, date and datetime kinds), alignments, values near the
 * ends of the valid range and in between, and step counts; the
 * closed-form working-day functions against walking day by day; and the
 * month table against the civil-date conversions.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <climits>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "host/civil_days.h"
#include "host/missing_values.h"
#include "interval/day_math.h"
#include "interval/intck.h"
#include "interval/interval_names.h"
#include "interval/interval_parts.h"
#include "interval/intnx.h"
#include "interval/month_starts.h"
#include "interval/unit_families.h"
#include "interval/unit_steps.h"
#include "interval/working_days.h"
#include "tests/support/module_host.h"

namespace {

/* Each interval in both kinds but QTR2.5 (dates only) and the retail
 * quarters (datetimes only), to keep the sweep short. */
const char *const kIntervals[] = {
    "DAY",        "DAY3.2",     "WEEKDAY",    "WEEKDAY3.2", "WEEKDAY17W", "WEEKDAY1237W2.2",
    "WEEK",       "WEEK2.9",    "WEEKV",      "WEEKV3.5",   "TENDAY",     "TENDAY4.3",
    "SEMIMONTH",  "SEMIMONTH2.2", "MONTH",    "MONTH5.3",   "R445MON",    "R454MON2.2",
    "R544MON",    "QTR",        "QTR.2",      "SEMIYEAR.4", "YEAR",       "YEAR2.17",
    "R445YR.3",   "DTWEEKDAY",  "DTMONTH",    "DTQTR.3",    "DTR454QTR",  "DTR544QTR2.4",
    "DTWEEK.3",   "DTDAY",      "DTTENDAY",   "DTSEMIYEAR", "DTR445YR",   "DTYEAR",
    "QTR2.5",     "HOUR",       "MINUTE15.4", "SECOND",     "HOUR30.7",   "YEARV",
    "YEARV2.60",  "DTYEARV",    "DTYEARV3.3", "DAY70.3",    "YEAR5.7",    "R454YR5.40",
    "DTWEEKDAY3.2", "DTR445MON4.2", "SEMIMONTH48.7", "WEEKDAY67W",  "WEEKDAY123456W",
    "DTWEEKDAY246W", "DTSEMIMONTH", "DTR544MON",
};
const char kAlignments[] = {'B', 'M', 'E', 'S', 'X'};
const double kSteps[] = {-1048577, -1048576, -40000, -25, -3, -1, 0, 1, 2, 7, 53, 40000,
                         1048576, 1.5};

bool sameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

/* Days near both ends of the valid range and spread in between, and
 * every day around the ends of the 53-week ISO years 2020 and 2026 (the
 * week-years and retail Decembers of 53 weeks). */
std::vector<int64_t> sweepDays()
{
    std::vector<int64_t> days;
    for (int64_t d = orvDaysFromCivil(2020, 12, 21); d <= orvDaysFromCivil(2021, 1, 10); ++d) days.push_back(d);
    for (int64_t d = orvDaysFromCivil(2026, 12, 24); d <= orvDaysFromCivil(2027, 1, 8); ++d) days.push_back(d);
    for (int64_t d = ZINT_FIRST_DAY - 3; d < ZINT_FIRST_DAY + 800; d += 3) days.push_back(d);
    for (int64_t d = ZINT_LAST_DAY - 800; d <= ZINT_LAST_DAY + 3; d += 3) days.push_back(d);
    for (int64_t d = orvDaysFromCivil(1900, 1, 1); d < orvDaysFromCivil(2100, 1, 1); d += 41)
        days.push_back(d);
    return days;
}

/* Values of a kind on day d: whole days and fractions for dates, the
 * start, a fraction of a second, noon and the last second for datetimes;
 * values a hair below an integer too. */
std::vector<double> valuesOn(char kind, int64_t d)
{
    const double day = double(d);
    if (kind == 'd') return {day, day + 0.5, day - 1e-13};
    const double s = day * 86400.0;
    /* The last double before midnight: its quotient by 86400 may round up
     * to the next day, which the time of day must follow. */
    const double lastInstant = std::nextafter(s + 86400, -HUGE_VAL);
    return {s, s + 0.25, s + 43200, s + 86399, s + 86400 - 1e-7, lastInstant};
}

TEST(UnitSteps, ClosedFormsMatchTheGeneralCode)
{
    orvtest::moduleHost();
    const std::vector<int64_t> days = sweepDays();
    for (const char *name : kIntervals) {
        ZINT_DESC desc{};
        ASSERT_EQ(zintstr(name, -1, &desc), 0) << name;
        long closed = 0;
        for (size_t i = 0; i < days.size(); ++i) {
            for (double x : valuesOn(desc.kind, days[i])) {
                for (double n : kSteps) {
                    for (char align : kAlignments) {
                        SCOPED_TRACE(std::string(name) + " " + align + " x=" + std::to_string(x) +
                                     " n=" + std::to_string(n));
                        double result = 0;
                        closed += zintClosedStep(desc, align, x, n, &result);
                        const double general = zintnx3General(&desc, align, nullptr, x, n);
                        ASSERT_TRUE(sameBits(zintnx3(&desc, align, nullptr, x, n), general))
                            << zintnx3(&desc, align, nullptr, x, n) << " vs " << general;
                        if (align != 'S') {
                            ASSERT_TRUE(sameBits(zintnx4(&desc, align, x, n), general));
                        }
                    }
                    ASSERT_TRUE(sameBits(zintnx2(&desc, x, n), zintnx2General(&desc, x, n)));
                }
                /* Counted to values a little and a long way off. */
                for (size_t j : {i, i + 1, i + 7, i * 3 + 1}) {
                    const double to = valuesOn(desc.kind, days[j % days.size()])[j % 3];
                    SCOPED_TRACE(std::string(name) + " from " + std::to_string(x) + " to " +
                                 std::to_string(to));
                    ASSERT_TRUE(sameBits(zintck2(&desc, x, to), zintck2General(&desc, x, to)));
                    ASSERT_TRUE(sameBits(zintck3(&desc, x, to), zintck3General(&desc, x, to)));
                    ASSERT_TRUE(sameBits(zintck3(&desc, to, x), zintck3General(&desc, to, x)));
                }
            }
        }
        /* The sweep must exercise the closed forms, not only the fallback. */
        EXPECT_GT(closed, long(days.size()) * 2) << name;
    }
}

TEST(UnitSteps, DeclinesWhatTheGeneralCodeDecides)
{
    orvtest::moduleHost();
    struct Case {
        const char *id;
        const char *interval;
        char align;
        double x, n;
    };
    const double missing = orvMissing();
    const Case cases[] = {
        {"week-year near the start of the range", "YEARV", 'B', double(ZINT_FIRST_DAY) + 100, 0},
        {"time unit beyond 2^50 seconds", "HOUR", 'B', 1125899906842625.0, 1},
        {"interval of more than 2^20 units", "DAY2000000", 'B', 0, 1},
        {"observations", "OBS", 'B', 3, 1},
        {"missing x", "MONTH", 'B', missing, 1},
        {"fractional n", "MONTH", 'B', 0, 1.5},
        {"n beyond 2^20", "MONTH", 'B', 0, 1048577},
        {"nudged x", "DAY", 'B', 31 - 1e-13, 0},
        {"first day of the range, back a month", "MONTH", 'B', double(ZINT_FIRST_DAY), -1},
        {"last day, end of next month", "MONTH", 'E', double(ZINT_LAST_DAY), 1},
        /* The range runs from a Friday to a Tuesday. */
        {"working day after the last day", "WEEKDAY", 'B', double(ZINT_LAST_DAY), 1},
        {"working day before the first day", "WEEKDAY", 'B', double(ZINT_FIRST_DAY), -1},
        {"from the first Saturday back one", "WEEKDAY", 'B', double(ZINT_FIRST_DAY + 1), -1},
        {"WEEKDAY, n beyond 2^20", "WEEKDAY", 'B', 0, -1048577},
        {"WEEKDAY, fractional n", "WEEKDAY", 'B', 0, 0.5},
        {"WEEKDAY, nudged x", "WEEKDAY", 'B', 3 - 1e-13, 1},
        {"DTWEEKDAY, missing x", "DTWEEKDAY", 'B', missing, 1},
    };
    for (const Case &c : cases) {
        ZINT_DESC desc{};
        ASSERT_EQ(zintstr(c.interval, -1, &desc), 0) << c.id;
        double result = 0;
        EXPECT_FALSE(zintClosedStep(desc, c.align, c.x, c.n, &result)) << c.id;
    }
}

/* Continuous counts worked out by hand where the same position lands in
 * to's own unit (equal, past or short of `to`, clipped at a month's end),
 * in a unit before or after it, counting back, and in the last second of a
 * day (left to the general code).  Each also agrees with the general
 * code, and the closed form takes every case but the last-second ones. */
TEST(UnitSteps, ContinuousCountsByHand)
{
    orvtest::moduleHost();
    struct Case {
        const char *id;
        const char *interval;
        int fromYear, fromMonth, fromDay, fromSecond; /* second of the day, DT only */
        int toYear, toMonth, toDay, toSecond;
        double expected;
        bool closed;
    };
    const Case cases[] = {
        {"QTR: Jan 31 clipped to Apr 30, reached", "QTR", 2024, 1, 31, 0, 2024, 4, 30, 0, 1, true},
        {"QTR: Jan 31 clipped to Apr 30, short", "QTR", 2024, 1, 31, 0, 2024, 4, 29, 0, 0, true},
        {"QTR: May 15 past May 14", "QTR", 2024, 2, 15, 0, 2024, 5, 14, 0, 0, true},
        {"QTR: target May after to's April", "QTR", 2024, 2, 15, 0, 2024, 4, 20, 0, 0, true},
        {"QTR: target May before to's June", "QTR", 2024, 2, 15, 0, 2024, 6, 20, 0, 1, true},
        {"YEAR: Feb 29 clipped to Feb 28", "YEAR", 2024, 2, 29, 0, 2025, 2, 28, 0, 1, true},
        {"YEAR back: a year short by a day", "YEAR", 2024, 3, 10, 0, 2023, 3, 11, 0, 0, true},
        {"YEAR back: a whole year", "YEAR", 2024, 3, 10, 0, 2023, 3, 10, 0, -1, true},
        {"SEMIYEAR.3 across its shifted start", "SEMIYEAR.3", 2024, 2, 20, 0, 2024, 8, 19, 0, 0, true},
        {"SEMIYEAR.3 a whole half-year", "SEMIYEAR.3", 2024, 2, 20, 0, 2024, 8, 20, 0, 1, true},
        {"WEEKDAY3: Fri to the Wed after", "WEEKDAY3", 2024, 3, 1, 0, 2024, 3, 6, 0, 1, true},
        {"WEEKDAY3: Fri to the Tue after", "WEEKDAY3", 2024, 3, 1, 0, 2024, 3, 5, 0, 0, true},
        {"DTQTR: a second short", "DTQTR", 2024, 1, 31, 36000, 2024, 4, 30, 35999, 0, true},
        {"DTQTR: at the same time", "DTQTR", 2024, 1, 31, 36000, 2024, 4, 30, 36000, 1, true},
        {"DTYEAR back, a second short", "DTYEAR", 2024, 6, 1, 60, 2023, 6, 1, 61, 0, true},
        {"DTYEAR back, a whole year", "DTYEAR", 2024, 6, 1, 60, 2023, 6, 1, 60, -1, true},
        /* Counting back more than a whole interval but less than two, or
         * less than one: whole intervals are those of from and to's
         * direction (dateutil's relativedelta gives -1, 0, -2 and -1). */
        {"YEAR back: a year and two months", "YEAR", 2024, 3, 10, 0, 2023, 1, 5, 0, -1, true},
        {"YEAR back: two months", "YEAR", 2024, 3, 10, 0, 2024, 1, 5, 0, 0, true},
        {"MONTH back: two months and five days", "MONTH", 2024, 3, 10, 0, 2024, 1, 5, 0, -2, true},
        {"DTYEAR back, a year and a second", "DTYEAR", 2024, 6, 1, 60, 2023, 6, 1, 59, -1, true},
        /* 2024-W10-7 back to 2023-W01-4: the same position a week-year
         * back, 2023-W10-7 (12 March 2023), is not yet past it. */
        {"YEARV back: a week-year and nine weeks", "YEARV", 2024, 3, 10, 0, 2023, 1, 5, 0, -1, true},
        /* ISO 2020 has 53 weeks: 2021-01-01 is 2020-W53-5.  A week-year on,
         * its week 53 clips to the last day of ISO 2021, 2 January 2022. */
        {"YEARV: week 53 clipped, a day short", "YEARV", 2021, 1, 1, 0, 2021, 12, 31, 0, 0, true},
        {"YEARV: week 53 clipped, reached", "YEARV", 2021, 1, 1, 0, 2022, 1, 2, 0, 1, true},
        /* 2015-12-31 is 2015-W53-4; ISO 2020 has a week 53 too, and its
         * Thursday is 31 December 2020. */
        {"YEARV: week 53 to week 53, a day short", "YEARV", 2015, 12, 31, 0, 2020, 12, 30, 0, 4, true},
        {"YEARV: week 53 to week 53, reached", "YEARV", 2015, 12, 31, 0, 2020, 12, 31, 0, 5, true},
        /* 2026-01-01 (2026-W01-4) back to 2020-W53-4: six week-years back
         * is 2020-W01-4 (2 January 2020), past `to`; five is not. */
        {"YEARV back over a 53-week year", "YEARV", 2026, 1, 1, 0, 2020, 12, 31, 0, -5, true},
        {"DTYEARV: last second of week 53, a second short", "DTYEARV", 2021, 1, 3, 86399, 2022, 1, 2,
         86398, 0, true},
        {"DTYEARV: last second of week 53, reached", "DTYEARV", 2021, 1, 3, 86399, 2022, 1, 2, 86399, 1,
         true},
        /* R445 December 2020 runs six weeks, 23 November 2020 to 3 January
         * 2021 (ISO 2020 has 53 weeks); January 2021 four, 4 to 31 January.
         * 28 December is 35 days into December: clipped to 31 January. */
        {"R445MON: December's week 53 clipped, reached", "R445MON", 2020, 12, 28, 0, 2021, 1, 31, 0, 1, true},
        {"R445MON: December's week 53 clipped, short", "R445MON", 2020, 12, 28, 0, 2021, 1, 30, 0, 0, true},
        {"DTR445MON: clipped at the time of day, short", "DTR445MON", 2020, 12, 28, 36000, 2021, 1, 31,
         35999, 0, true},
        {"DTR445MON: clipped at the time of day, reached", "DTR445MON", 2020, 12, 28, 36000, 2021, 1, 31,
         36000, 1, true},
        /* 28 December 2015, 35 days into the six-week R445 December 2015
         * (from 23 November), to the same day of December 2020. */
        {"R445MON: week 53 to week 53, a day short", "R445MON", 2015, 12, 28, 0, 2020, 12, 27, 0, 59, true},
        {"R445MON: week 53 to week 53, reached", "R445MON", 2015, 12, 28, 0, 2020, 12, 28, 0, 60, true},
        /* 26 January 2020, 27 days into R445 January 2020 (from 30 December
         * 2019): 27 days into December 2020 is 20 December. */
        {"R445MON: January to the 53-week December, reached", "R445MON", 2020, 1, 26, 0, 2020, 12, 20, 0,
         11, true},
        {"R445MON: January to the 53-week December, short", "R445MON", 2020, 1, 26, 0, 2020, 12, 19, 0,
         10, true},
        /* 31 January 2021 back to December 2020: 27 days into it is 20
         * December. */
        {"R445MON back: a whole month", "R445MON", 2021, 1, 31, 0, 2020, 12, 20, 0, -1, true},
        {"R445MON back: a day short of a month", "R445MON", 2021, 1, 31, 0, 2020, 12, 21, 0, 0, true},
        /* 31 January 2024 is 10 days into its third tenday (21 to 31
         * January); three tendays on, the third of February (21 to 29)
         * clips it to 29 February at the same time of day. */
        {"DTTENDAY: clipped to Feb 29, a second short", "DTTENDAY", 2024, 1, 31, 36000, 2024, 2, 29, 35999, 2,
         true},
        {"DTTENDAY: clipped to Feb 29, reached", "DTTENDAY", 2024, 1, 31, 36000, 2024, 2, 29, 36000, 3, true},
        {"DTTENDAY back: three tendays", "DTTENDAY", 2024, 3, 5, 28800, 2024, 2, 5, 28800, -3, true},
        {"DTTENDAY back: a second short of three", "DTTENDAY", 2024, 3, 5, 28800, 2024, 2, 5, 28801, -2, true},
        /* 31 January is 15 days into the half from the 16th; February's
         * second half, 16 to 29 February, clips it to the 29th. */
        {"DTSEMIMONTH: clipped to Feb 29, short", "DTSEMIMONTH", 2024, 1, 31, 43200, 2024, 2, 29, 43199, 1,
         true},
        {"DTSEMIMONTH: clipped to Feb 29, reached", "DTSEMIMONTH", 2024, 1, 31, 43200, 2024, 2, 29, 43200, 2,
         true},
        /* Before 1960 the seconds are negative. */
        {"DTMONTH before 1960, a second short", "DTMONTH", 1959, 11, 30, 100, 1959, 12, 30, 99, 0, true},
        {"DTMONTH before 1960, reached", "DTMONTH", 1959, 11, 30, 100, 1959, 12, 30, 100, 1, true},
        {"DTMONTH from the last second", "DTMONTH", 2024, 1, 31, 86399, 2024, 2, 29, 86399, 1, false},
        {"DTQTR from the last second", "DTQTR", 2024, 1, 31, 86399, 2024, 4, 30, 86398, 0, false},
    };
    for (const Case &c : cases) {
        ZINT_DESC desc{};
        ASSERT_EQ(zintstr(c.interval, -1, &desc), 0) << c.id;
        const bool seconds = desc.kind == 's';
        const auto value = [&](int y, int m, int d, int second) {
            const double day = double(orvDaysFromCivil(y, m, d));
            return seconds ? day * 86400.0 + second : day;
        };
        const double from = value(c.fromYear, c.fromMonth, c.fromDay, c.fromSecond);
        const double to = value(c.toYear, c.toMonth, c.toDay, c.toSecond);
        double result = 0;
        EXPECT_EQ(zintClosedCount(desc, from, to, true, &result), c.closed) << c.id;
        EXPECT_EQ(zintck3(&desc, from, to), c.expected) << c.id;
        EXPECT_TRUE(sameBits(zintck3(&desc, from, to), zintck3General(&desc, from, to))) << c.id;
    }
}

/* Counts from and to every kind of value, both ways, discrete and
 * continuous, over intervals of one unit and of several, of dates and of
 * datetimes: missing values, infinities, values beyond the closed forms'
 * limits, the ends of the valid range and a second (or day) beyond them,
 * the last instant before midnight, negative times and fractions.  Each
 * count must be the general code's, bit for bit. */
TEST(UnitSteps, CountsOfEveryKindOfValueMatchTheGeneralCode)
{
    orvtest::moduleHost();
    const char *const intervals[] = {"DTTENDAY", "DTSEMIMONTH", "DTMONTH", "DTQTR",    "DTMONTH2.2",
                                     "DTWEEKDAY", "DTR445MON",  "DTDAY",   "DTWEEK",   "DTYEARV",
                                     "TENDAY",    "MONTH",      "QTR",     "WEEKDAY",  "R445QTR",
                                     "HOUR",      "MINUTE15.4"};
    const double inf = HUGE_VAL;
    const double first = double(ZINT_FIRST_DAY);
    const double last = double(ZINT_LAST_DAY);
    const double odd[] = {orvMissing(), std::bit_cast<double>(orvLetterMissingBits(1)), inf, -inf,
                          9007199254740992.0, -9007199254740992.0, 1125899906842625.0, 0.0, -0.0, -0.5};
    /* Seconds of datetimes: the first and last of the range and the ones
     * beyond, midnight and the instants around it before and after 1960,
     * a fraction of a second, the last second of a day. */
    const double midnight = double(orvDaysFromCivil(2024, 3, 1)) * 86400.0;
    const double times[] = {first * 86400.0,
                            first * 86400.0 - 1,
                            std::nextafter(first * 86400.0, -inf),
                            (last + 1) * 86400.0 - 1,
                            (last + 1) * 86400.0,
                            std::nextafter((last + 1) * 86400.0, -inf),
                            midnight,
                            midnight - 1,
                            std::nextafter(midnight, -inf),
                            midnight + 0.5,
                            -86400.0,
                            -86400.5,
                            -1.0,
                            std::nextafter(-86400.0 * 4000, -inf),
                            -86400.0 * 4000 + 86399,
                            midnight + 31 * 86400.0 + 45296};
    const double days[] = {first, first - 1, first - 1e-9, last, last + 1, last + 1 - 1e-9,
                           19783, 19782.75, -1, -0.25, -4000, 19813};
    for (const char *name : intervals) {
        ZINT_DESC desc{};
        ASSERT_EQ(zintstr(name, -1, &desc), 0) << name;
        std::vector<double> values(std::begin(odd), std::end(odd));
        if (desc.kind == 's')
            values.insert(values.end(), std::begin(times), std::end(times));
        else
            values.insert(values.end(), std::begin(days), std::end(days));
        for (double from : values) {
            for (double to : values) {
                SCOPED_TRACE(std::string(name) + " from " + std::to_string(from) + " to " + std::to_string(to));
                ASSERT_TRUE(sameBits(zintck2(&desc, from, to), zintck2General(&desc, from, to)));
                ASSERT_TRUE(sameBits(zintck3(&desc, from, to), zintck3General(&desc, from, to)));
            }
        }
    }
}

/* Descriptors built by hand may hold shifts no name gives; the interval
 * number k + lead then leaves 32 bits, and the closed forms must still
 * agree with the general code (or leave the value to it). */
TEST(UnitSteps, ExtremeShiftsOfHandBuiltDescriptors)
{
    orvtest::moduleHost();
    struct Case {
        const char *id;
        const char *interval;
        int32_t shift;
    };
    const Case cases[] = {
        {"QTR, most negative shift", "QTR", INT32_MIN},
        {"QTR, largest shift", "QTR", INT32_MAX},
        {"MONTH2, shift -2^30", "MONTH2", -(1 << 30)},
        {"WEEK3, most negative shift", "WEEK3", INT32_MIN},
        {"WEEKDAY2, most negative shift", "WEEKDAY2", INT32_MIN},
        {"R445QTR, most negative shift", "R445QTR", INT32_MIN},
    };
    for (const Case &c : cases) {
        ZINT_DESC desc{};
        ASSERT_EQ(zintstr(c.interval, -1, &desc), 0) << c.id;
        desc.shift = c.shift;
        for (double x : {0.0, 15000.5, -40000.0, 2000000.0}) {
            for (double n : {-2.0, 0.0, 3.0}) {
                for (char align : {'B', 'M', 'E', 'S'})
                    ASSERT_TRUE(sameBits(zintnx3(&desc, align, nullptr, x, n),
                                         zintnx3General(&desc, align, nullptr, x, n)))
                        << c.id << " " << align << " x=" << x << " n=" << n;
                ASSERT_TRUE(sameBits(zintck3(&desc, x, x + 400 * n), zintck3General(&desc, x, x + 400 * n)))
                    << c.id << " x=" << x << " n=" << n;
                ASSERT_TRUE(sameBits(zintck2(&desc, x, x + 400 * n), zintck2General(&desc, x, x + 400 * n)))
                    << c.id << " x=" << x << " n=" << n;
            }
        }
    }
}

/* Beginning alignment on one-day WEEKDAY intervals over every working
 * week, by hand-built days-off flags (the stored working-day count
 * wrong on purpose), in both kinds, with multipliers and shifts no name
 * gives, near both ends of the range and with the largest step counts:
 * the same bits as the general code, and the closed form taking the
 * values it should. */
TEST(UnitSteps, OneDayWorkingStepsOfEveryWorkingWeek)
{
    orvtest::moduleHost();
    struct Shape {
        const char *id;
        char kind;
        int32_t multiplier, shift;
    };
    const Shape shapes[] = {
        {"dates", 'd', 1, 0},
        {"datetimes", 's', 1, 0},
        {"dates, multiplier 0, shift 5", 'd', 0, 5},
        {"dates, most negative shift", 'd', 1, INT32_MIN},
        {"datetimes, multiplier -3, largest shift", 's', -3, INT32_MAX},
    };
    const double steps[] = {-1048577, -1048576, -1048575, -40001, -7, -6, -5, -1, 0,
                            1,        4,        5,        6,      13, 40001, 1048575, 1048576, 1048577};
    std::vector<int64_t> days;
    for (int64_t d = -9; d <= 9; ++d) days.push_back(d);
    for (int64_t d = 0; d < 9; ++d) days.push_back(ZINT_FIRST_DAY - 2 + d);
    for (int64_t d = 0; d < 9; ++d) days.push_back(ZINT_LAST_DAY - 6 + d);
    for (unsigned mask = 0; mask < 128; ++mask) {
        for (const Shape &shape : shapes) {
            ZINT_DESC desc{};
            desc.kind = shape.kind;
            desc.code = ZINT_WEEKDAY;
            desc.multiplier = shape.multiplier;
            desc.shift = shape.shift;
            desc.workingDays = 9;
            for (int d = 0; d < 7; ++d) desc.daysOff[d] = uint8_t(mask >> d & 1);
            long closed = 0;
            for (int64_t day : days) {
                for (double x : valuesOn(shape.kind, day)) {
                    for (double n : steps) {
                        SCOPED_TRACE(std::string(shape.id) + " mask " + std::to_string(mask) +
                                     " x=" + std::to_string(x) + " n=" + std::to_string(n));
                        double result = 0;
                        closed += zintClosedStep(desc, 'B', x, n, &result);
                        const double general = zintnx3General(&desc, 'B', nullptr, x, n);
                        ASSERT_TRUE(sameBits(zintnx3(&desc, 'B', nullptr, x, n), general));
                        ASSERT_TRUE(sameBits(zintnx3(&desc, 'X', nullptr, x, n), general));
                        ASSERT_TRUE(sameBits(zintnx2(&desc, x, n), zintnx2General(&desc, x, n)));
                    }
                }
            }
            /* Every week with a working day steps most values in closed
             * form; a week without one leaves them all to the general
             * code. */
            if (mask == 127)
                EXPECT_EQ(closed, 0) << shape.id;
            else
                EXPECT_GT(closed, long(days.size()) * 10) << shape.id << " mask " << mask;
        }
    }
}

/* The month table against the civil-date conversions, for every day of
 * the valid range and the day before it (which covers every month, its
 * first guess included, of a whole 400-year cycle many times over) and
 * for every month from 1581 to 20001. */
TEST(MonthStarts, EveryDayAndMonthAsTheCivilConversions)
{
    for (int64_t day = ZINT_FIRST_DAY - 1; day <= ZINT_LAST_DAY; ++day) {
        const ZintPartAt at = zintMonthAt(day);
        const ZintPartAt civil = zintCivilPartAt(12, day);
        if (at.index != civil.index || at.start != civil.start || at.next != civil.next)
            FAIL() << "day " << day << ": month " << at.index << " from " << at.start << " to "
                   << at.next << ", civil " << civil.index << " from " << civil.start << " to "
                   << civil.next;
    }
    for (int64_t month = 12 * (1581 - 1960); month < 12 * (20002 - 1960); ++month) {
        const ZintPartSpan span = zintMonthSpan(month);
        const ZintPartSpan civil = zintCivilPartSpan(12, month);
        ASSERT_EQ(span.start, civil.start) << "month " << month;
        ASSERT_EQ(span.next, civil.next) << "month " << month;
    }
}

/* Thirds and halves of months from the month table against the
 * civil-date conversions, for every day of the valid range and the day
 * before it and for every part that starts in the range. */
TEST(MonthStarts, EveryPartOfAMonthAsTheCivilConversions)
{
    const auto check = [](auto family, int64_t perYear) {
        using F = decltype(family);
        const ZintUnits u{};
        for (int64_t day = ZINT_FIRST_DAY - 1; day <= ZINT_LAST_DAY; ++day) {
            const ZintUnitAt at = F::locate(u, day);
            const ZintPartAt civil = zintCivilPartAt(perYear, day);
            if (at.index != civil.index || at.start != civil.start || at.next != civil.next)
                FAIL() << perYear << " parts, day " << day << ": part " << at.index << " from "
                       << at.start << " to " << at.next << ", civil " << civil.index << " from "
                       << civil.start << " to " << civil.next;
        }
        const int64_t first = zintCivilPartAt(perYear, ZINT_FIRST_DAY - 1).index + 1;
        const int64_t last = zintCivilPartAt(perYear, ZINT_LAST_DAY).index;
        for (int64_t part = first; part <= last; ++part) {
            const ZintUnitSpan span = F::span(u, part);
            const ZintPartSpan civil = zintCivilPartSpan(perYear, part);
            ASSERT_EQ(span.start, civil.start) << perYear << " parts, part " << part;
            ASSERT_EQ(span.next, civil.next) << perYear << " parts, part " << part;
        }
    };
    check(CivilParts<36>{}, 36);
    check(CivilParts<24>{}, 24);
}

/* The parts of a month through the entry points, every day of months of
 * 31, 28, 29 and 30 days (the 10th, 11th, 15th, 16th, 20th, 21st and the
 * month's end), at the last instant of a datetime's day too, stepping and
 * counting forward and back. */
TEST(UnitSteps, MonthPartsAtTheirEdges)
{
    orvtest::moduleHost();
    const char *const intervals[] = {"TENDAY",      "SEMIMONTH",   "TENDAY2.2", "SEMIMONTH3.3",
                                     "DTTENDAY",    "DTSEMIMONTH", "DTTENDAY4.3", "DTSEMIMONTH2.2"};
    const int months[][2] = {{2023, 1}, {2023, 2}, {2024, 2}, {2024, 4}, {1960, 1}, {1959, 12}};
    const double steps[] = {-37, -3, -2, -1, 0, 1, 2, 3, 37};
    for (const char *name : intervals) {
        ZINT_DESC desc{};
        ASSERT_EQ(zintstr(name, -1, &desc), 0) << name;
        for (const auto &month : months) {
            const int64_t first = orvDaysFromCivil(month[0], month[1], 1);
            const int64_t next = month[1] == 12 ? orvDaysFromCivil(month[0] + 1, 1, 1)
                                                : orvDaysFromCivil(month[0], month[1] + 1, 1);
            for (int64_t d = first; d < next; ++d) {
                for (double x : valuesOn(desc.kind, d)) {
                    for (double n : steps) {
                        for (char align : kAlignments) {
                            const double general = zintnx3General(&desc, align, nullptr, x, n);
                            ASSERT_TRUE(sameBits(zintnx3(&desc, align, nullptr, x, n), general))
                                << name << " " << align << " x=" << x << " n=" << n;
                        }
                    }
                    for (int64_t to = d - 40; to <= d + 40; to += 3) {
                        for (double toValue : valuesOn(desc.kind, to)) {
                            ASSERT_TRUE(sameBits(zintck2(&desc, x, toValue), zintck2General(&desc, x, toValue)))
                                << name << " from " << x << " to " << toValue;
                            ASSERT_TRUE(sameBits(zintck3(&desc, x, toValue), zintck3General(&desc, x, toValue)))
                                << name << " from " << x << " to " << toValue;
                        }
                    }
                }
            }
        }
    }
}

/* Any non-zero days-off flag marks a day off, as a 1 does. */
TEST(WorkingDays, EveryNonZeroFlagIsADayOff)
{
    struct Case {
        const char *id;
        uint8_t flags[7];
        int working;
    };
    const Case cases[] = {
        {"no day off", {0, 0, 0, 0, 0, 0, 0}, 7},
        {"weekend of ones", {1, 0, 0, 0, 0, 0, 1}, 5},
        {"weekend of 0x80 and 0xFF", {0x80, 0, 0, 0, 0, 0, 0xFF}, 5},
        {"Wednesday 2", {0, 0, 0, 2, 0, 0, 0}, 6},
        {"all but Monday, mixed", {7, 0, 0x40, 1, 0x10, 0xFE, 3}, 1},
        {"every day off", {1, 1, 1, 1, 1, 1, 1}, 0},
    };
    for (const Case &c : cases) {
        ZINT_DESC desc{};
        for (int d = 0; d < 7; ++d) desc.daysOff[d] = c.flags[d];
        desc.name[0] = 'X'; /* the byte after the flags must not count */
        const ZintWorkWeek &week = zintWorkWeek(desc);
        EXPECT_EQ(week.working, c.working) << c.id;
        for (int d = 0; d < 7; ++d) EXPECT_EQ(week.off[d], c.flags[d] != 0) << c.id << " day " << d;
    }
}

/* The working day with index k found by walking from a known one. */
TEST(WorkingDays, ClosedFormsMatchWalking)
{
    for (unsigned mask = 0; mask < 127; ++mask) {
        ZINT_DESC desc{};
        for (int d = 0; d < 7; ++d) desc.daysOff[d] = uint8_t(mask >> d & 1);
        const ZintWorkWeek &week = zintWorkWeek(desc);
        ASSERT_GT(week.working, 0) << mask;
        int64_t day = zintBackToWorkingDay(week, -400);
        int64_t k = zintWorkingDayIndex(week, day);
        for (int step = 0; step < 300; ++step) {
            ASSERT_EQ(zintWorkingDayAt(week, k), day) << "mask " << mask << " k " << k;
            for (int64_t d = day; d < day + 7 && (d == day || zintIsDayOff(week, d)); ++d)
                ASSERT_EQ(zintWorkingDayIndex(week, d), k) << "mask " << mask << " day " << d;
            day = zintStepWorkingDays(week, day, 1);
            ++k;
        }
        /* n working days on by whole weeks and the offset table, as by
         * the working-day index, from working days and days off, up to
         * the largest step count taken. */
        for (int64_t from = -10; from <= 10; ++from)
            for (int64_t n : {-(int64_t(1) << 24), int64_t(-1048576), int64_t(-50), int64_t(-8), int64_t(-7),
                              int64_t(-6), int64_t(-1), int64_t(0), int64_t(1), int64_t(5), int64_t(6),
                              int64_t(7), int64_t(13), int64_t(1048576), int64_t(1) << 24})
                ASSERT_EQ(zintWorkingDaysOn(week, from, n),
                          zintWorkingDayAt(week, zintWorkingDayIndex(week, from) + n))
                    << "mask " << mask << " from " << from << " n " << n;
        /* Far from day 0, past the 32-bit division. */
        const int64_t far = int64_t(1) << 40;
        const int64_t farDay = zintWorkingDayAt(week, far);
        EXPECT_EQ(zintWorkingDayIndex(week, farDay), far) << mask;
        EXPECT_FALSE(zintIsDayOff(week, farDay)) << mask;
    }
}

}  // namespace
