/*
 * easter_test.cpp - the calendar under Easter: the day-number conversions of
 * civil_days.h over the whole supported range, the host's zmdy date service
 * (reached through the modules' stub) and zeaster against an independent
 * computation (tests/oracle/easter_dates.py).
 */
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "host/civil_days.h"
#include "host/easter.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "tests/support/module_host.h"

namespace {

uint64_t bitsOf(double value) { return std::bit_cast<uint64_t>(value); }

/* Usable in constant expressions. */
static_assert(orvDaysFromCivil(1960, 1, 1) == 0);
static_assert(orvCivilFromDays(-1).year == 1959 && orvCivilFromDays(-1).day == 31);

constexpr int64_t kFirstDay = -138061; /* 1 January 1582 */
constexpr int64_t kLastDay = 6589335;  /* 26 December 20000 */

TEST(CivilDays, KnownDates)
{
    /* Day numbers from Python's datetime.date arithmetic, except year 0, by
     * hand: 0000-03-01 lies 719468 - 3653 = 715815 days before day 0, and
     * 1 January 60 days (31 + 29) before that. */
    struct Case {
        const char *id;
        int64_t year;
        int month, day;
        int64_t days;
    };
    const Case cases[] = {
        {"day zero", 1960, 1, 1, 0},
        {"day before", 1959, 12, 31, -1},
        {"1970", 1970, 1, 1, 3653},
        {"first supported", 1582, 1, 1, -138061},
        {"Gregorian reform", 1582, 10, 15, -137774},
        {"1900-02-28", 1900, 2, 28, -21856},
        {"1900-03-01", 1900, 3, 1, -21855},
        {"2000-02-29", 2000, 2, 29, 14669},
        {"2024-02-29", 2024, 2, 29, 23435},
        {"year 1", 1, 1, 1, -715509},
        {"9999-12-31", 9999, 12, 31, 2936549},
        {"last supported", 20000, 12, 26, 6589335},
        {"year 0", 0, 1, 1, -715875},
        {"1 BC leap day", 0, 2, 29, -715816},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(orvDaysFromCivil(c.year, c.month, c.day), c.days);
        const OrvCivilDate date = orvCivilFromDays(c.days);
        EXPECT_EQ(date.year, c.year);
        EXPECT_EQ(date.month, c.month);
        EXPECT_EQ(date.day, c.day);
    }
}

TEST(CivilDays, HelpersByHand)
{
    struct Case {
        const char *id;
        int64_t a, b, quotient;
    };
    const Case divisions[] = {
        {"0/7", 0, 7, 0},    {"6/7", 6, 7, 0},     {"7/7", 7, 7, 1},
        {"-1/7", -1, 7, -1}, {"-7/7", -7, 7, -1}, {"-8/7", -8, 7, -2},
    };
    for (const Case &c : divisions) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(orvFloorDiv(c.a, c.b), c.quotient);
    }
    struct Leap {
        int64_t year;
        bool leap;
    };
    const Leap years[] = {{1582, false}, {1600, true}, {1900, false}, {2000, true},
                          {2023, false}, {2024, true}, {2100, false}, {0, true},
                          {-4, true},    {-100, false}, {-400, true}, {20000, true}};
    for (const Leap &c : years) {
        SCOPED_TRACE(c.year);
        EXPECT_EQ(orvIsLeapYear(c.year), c.leap);
        EXPECT_EQ(orvDaysInMonth(c.year, 2), c.leap ? 29 : 28);
    }
    EXPECT_EQ(orvDaysInMonth(2024, 0), 0);
    EXPECT_EQ(orvDaysInMonth(2024, 13), 0);
}

/* Every day of the supported range: valid fields, one calendar step from
 * its predecessor, and back to the same day number. */
TEST(CivilDays, WholeRangeRoundTrip)
{
    OrvCivilDate previous = orvCivilFromDays(kFirstDay);
    ASSERT_EQ(previous.year, 1582);
    ASSERT_EQ(previous.month, 1);
    ASSERT_EQ(previous.day, 1);
    int64_t easter2024 = 0;
    for (int64_t d = kFirstDay + 1; d <= kLastDay; ++d) {
        const OrvCivilDate c = orvCivilFromDays(d);
        const bool sameMonth = c.year == previous.year && c.month == previous.month &&
                               c.day == previous.day + 1;
        const bool nextMonth = c.year == previous.year && c.month == previous.month + 1 &&
                               c.day == 1 && previous.day >= 28;
        const bool nextYear = c.year == previous.year + 1 && c.month == 1 && c.day == 1 &&
                              previous.month == 12 && previous.day == 31;
        const bool valid = c.month >= 1 && c.month <= 12 && c.day >= 1 &&
                           c.day <= orvDaysInMonth(c.year, c.month);
        /* A month may only end on its last day; February's end says whether
         * the leap rule holds. */
        const bool endsRight = !nextMonth || previous.day == orvDaysInMonth(previous.year, previous.month);
        if (!(sameMonth || nextMonth || nextYear) || !valid || !endsRight ||
            orvDaysFromCivil(c.year, c.month, c.day) != d) {
            ADD_FAILURE() << "day " << d << " gives " << c.year << "-" << c.month << "-" << c.day
                          << " after " << previous.year << "-" << previous.month << "-"
                          << previous.day;
            break;
        }
        if (c.year == 2024 && c.month == 3 && c.day == 31) easter2024 = d;
        previous = c;
    }
    EXPECT_EQ(previous.year, 20000);
    EXPECT_EQ(previous.month, 12);
    EXPECT_EQ(previous.day, 26);
    /* 31 March 2024 was a Sunday; day 0 a Friday. */
    EXPECT_EQ(((easter2024 % 7) + 7) % 7, 2);
}

TEST(DateServices, Zmdy)
{
    (void)orvtest::moduleHost();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    constexpr double M = -1; /* marks an expected ordinary missing value */
    struct Case {
        const char *id;
        double month, day, year, expected;
    };
    const Case cases[] = {
        {"day zero", 1, 1, 1960, 0},
        {"leap day 2024", 2, 29, 2024, 23435},
        {"no leap day 2023", 2, 29, 2023, M},
        {"1900 not leap", 2, 29, 1900, M},
        {"1900-02-28", 2, 28, 1900, -21856},
        {"2000 leap", 2, 29, 2000, 14669},
        {"year truncated", 3, 31, 2024.9, 23466},
        {"month and day truncated", 3.99, 31.7, 2024, 23466},
        {"year -0.5 is year 0, before the range", 1, 1, -0.5, M},
        {"year 1, before the range", 1, 1, 1, M},
        {"first day of the range", 1, 1, 1582, -138061},
        {"day before the range", 12, 31, 1581, M},
        {"9999-12-31", 12, 31, 9999, 2936549},
        {"last day of the range", 12, 26, 20000, 6589335},
        {"day after the range", 12, 27, 20000, M},
        {"month 13", 13, 1, 2000, M},
        {"month 0", 0, 1, 2000, M},
        {"month 0.5", 0.5, 1, 2000, M},
        {"April 31", 4, 31, 2024, M},
        {"day 0", 1, 0, 2024, M},
        {"day 32", 1, 32, 2024, M},
        {"day -1", 1, -1, 2024, M},
        {"NaN month", nan, 1, 2000, M},
        {"NaN day", 1, nan, 2000, M},
        {"NaN year", 1, 1, nan, M},
        {"missing .A year", 1, 1, std::bit_cast<double>(orvLetterMissingBits(0)), M},
        {"infinite year", 1, 1, inf, M},
        {"huge year", 1, 1, 1e300, M},
        {"huge negative year", 1, 1, -1e300, M},
        {"huge day", 1, 1e19, 2000, M},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const double r = zmdy(c.month, c.day, c.year); /* through the stub */
        if (c.expected == M)
            EXPECT_EQ(bitsOf(r), ORV_MISSING_BITS) << r;
        else
            EXPECT_EQ(r, c.expected);
    }
}

TEST(Easter, EveryYearAgainstIndependentComputus)
{
    (void)orvtest::moduleHost();
    std::ifstream csv(ORV_SOURCE_DIR "/tests/oracle/easter_dates.csv");
    ASSERT_TRUE(csv.is_open());
    std::string line;
    ASSERT_TRUE(std::getline(csv, line));
    ASSERT_EQ(line, "year,day");
    int rows = 0;
    int expectedYear = 1583;
    while (std::getline(csv, line)) {
        std::istringstream fields(line);
        int year = 0;
        char comma = 0;
        int64_t day = 0;
        ASSERT_TRUE(fields >> year >> comma >> day) << line;
        ASSERT_EQ(year, expectedYear++);
        const double r = zeaster(year);
        if (r != double(day)) {
            ADD_FAILURE() << "year " << year << ": " << r << ", expected " << day;
            break;
        }
        ++rows;
    }
    EXPECT_EQ(rows, 9999 - 1583 + 1);
}

TEST(Easter, RangeEdgesAndMissingYears)
{
    (void)orvtest::moduleHost();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    constexpr double M = -1;
    struct Case {
        const char *id;
        double year, expected;
    };
    const Case cases[] = {
        {"1582: 18 April", 1582, -137954},
        {"2024: 31 March", 2024, 23466},
        {"2024.9 truncated", 2024.9, 23466},
        {"2025: 20 April", 2025, 23851},
        {"20000: 23 April", 20000, 6589088},
        {"20000.7 truncated", 20000.7, 6589088},
        {"1581", 1581, M},
        {"1581.99 truncated", 1581.99, M},
        {"20001", 20001, M},
        {"ordinary missing", std::bit_cast<double>(ORV_MISSING_BITS), M},
        {"missing .Z", std::bit_cast<double>(orvLetterMissingBits(25)), M},
        {"NaN", nan, M},
        {"infinity", inf, M},
        {"minus infinity", -inf, M},
        {"huge", 1e300, M},
        {"negative", -2024, M},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const double r = zeaster(c.year);
        if (c.expected == M)
            EXPECT_EQ(bitsOf(r), ORV_MISSING_BITS) << r;
        else
            EXPECT_EQ(r, c.expected);
    }
}

}  // namespace
