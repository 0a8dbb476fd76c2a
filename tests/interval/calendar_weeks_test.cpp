/*
 * calendar_weeks_test.cpp - the calendar under the interval library: every
 * valid day through the civil, ISO and retail conversions; week numbers
 * (schemes U, W, V) against Python's calendar code; the Sunday-based
 * week-year against R's lubridate; Actual/Actual day counts by hand.
 */
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "host/civil_days.h"
#include "host/missing_values.h"
#include "interval/calendar_weeks.h"
#include "interval/day_math.h"
#include "interval/retail_calendar.h"
#include "tests/interval/oracle_csv.h"

namespace {

TEST(CalendarWalk, EveryValidDayRoundTrips)
{
    /* Each day follows the one before: the same month one day on, or the
     * 1st of the next month after the last day of one. */
    OrvCivilDate previous = orvCivilFromDays(ZINT_FIRST_DAY - 1);
    OrvIsoWeekDate previousIso = orvIsoWeekDate(ZINT_FIRST_DAY - 1);
    int failures = 0;
    for (int64_t day = ZINT_FIRST_DAY; day <= ZINT_LAST_DAY && failures < 10; ++day) {
        int month = 0, dayOfMonth = 0, year = 0;
        bool ok = zidmdydf(&month, &dayOfMonth, &year, 0, double(day)) == 0;
        ok = ok && orvDaysFromCivil(year, month, dayOfMonth) == day;
        const bool nextInMonth =
            year == previous.year && month == previous.month && dayOfMonth == previous.day + 1;
        const bool nextMonth = dayOfMonth == 1 &&
                               previous.day == orvDaysInMonth(previous.year, previous.month) &&
                               ((year == previous.year && month == previous.month + 1) ||
                                (year == previous.year + 1 && month == 1 && previous.month == 12));
        ok = ok && (nextInMonth || nextMonth);
        /* ISO: consecutive days, and back through ziddywd. */
        const OrvIsoWeekDate iso = orvIsoWeekDate(day);
        const bool isoNext =
            (iso.day == previousIso.day + 1 && iso.week == previousIso.week &&
             iso.year == previousIso.year) ||
            (iso.day == 1 && previousIso.day == 7 &&
             ((iso.week == previousIso.week + 1 && iso.year == previousIso.year) ||
              (iso.week == 1 && iso.year == previousIso.year + 1 && previousIso.week >= 52)));
        ok = ok && isoNext && ziddywd(int(iso.year), iso.week, iso.day) == double(day);
        if (!ok) {
            ++failures;
            ADD_FAILURE() << "day " << day << ": " << year << "-" << month << "-" << dayOfMonth
                          << " iso " << iso.year << "-W" << iso.week << "-" << iso.day;
        }
        previous = OrvCivilDate{year, month, dayOfMonth};
        previousIso = iso;
    }
    EXPECT_EQ(previous.year, 20000);
    EXPECT_EQ(previous.month, 12);
    EXPECT_EQ(previous.day, 26);
}

/* The table of ISO week-year starts against the ISO week dates, every day
 * of the valid range and a week on each side. */
TEST(CalendarWalk, TabledIsoYearsMatchTheWeekDates)
{
    int failures = 0;
    for (int64_t day = ZINT_FIRST_DAY - 7; day <= ZINT_LAST_DAY + 7 && failures < 10; ++day) {
        const OrvIsoWeekDate iso = orvIsoWeekDate(day);
        const ZidIsoYear tabled = zidTabledIsoYear(day);
        const int64_t weekOne = day - (iso.day - 1) - 7 * (iso.week - 1);
        if (tabled.year != iso.year || tabled.start != weekOne ||
            zidTabledYearStart(iso.year) != weekOne || tabled.next != orvIsoWeekStart(iso.year + 1, 1)) {
            ++failures;
            ADD_FAILURE() << "day " << day << ": tabled " << tabled.year << " from " << tabled.start
                          << ", iso " << iso.year << " from " << weekOne;
        }
    }
}

/* Mondays of ISO week 1 worked out from the weekday of 1 January. */
TEST(CalendarWeeks, TabledYearStartsByHand)
{
    struct Case {
        const char *id;
        int64_t year;
        int64_t month, day; /* the Monday of week 1 */
    };
    const Case cases[] = {
        {"2016: 1 Jan a Friday", 2016, 1, 4},   {"2020: 1 Jan a Wednesday", 2020, 12, 30},
        {"2021: 1 Jan a Friday", 2021, 1, 4},   {"2026: 1 Jan a Thursday", 2026, 12, 29},
        {"1960: 1 Jan a Friday", 1960, 1, 4},   {"2001: 1 Jan a Monday", 2001, 1, 1},
    };
    for (const Case &c : cases) {
        const int64_t year = c.month == 12 ? c.year - 1 : c.year;
        EXPECT_EQ(zidTabledYearStart(c.year), orvDaysFromCivil(year, int(c.month), int(c.day)))
            << c.id;
    }
}

TEST(CalendarWeeks, WeekNumbersMatchPython)
{
    const auto rows = orvtest::readOracleCsv("interval_weeks.csv");
    ASSERT_GT(rows.size(), 4000u);
    for (const auto &row : rows) {
        SCOPED_TRACE("interval_weeks.csv line " + std::to_string(row.line));
        const double day = row.number(0);
        double year = 0, week = 0, weekday = 0;
        ASSERT_EQ(zidywdd('V', &year, &week, &weekday, day), 0);
        EXPECT_EQ(year, row.number(1));
        EXPECT_EQ(week, row.number(2));
        EXPECT_EQ(weekday, row.number(3));
        EXPECT_EQ(ziddywd(int(row.integer(1)), int(row.integer(2)), int(row.integer(3))), day);

        const int sundayWeekday = int(row.integer(3)) % 7 + 1; /* 1 = Sunday */
        ASSERT_EQ(zidywdd('U', &year, &week, &weekday, day), 0);
        EXPECT_EQ(std::floor(week), row.number(4));
        EXPECT_EQ(weekday, sundayWeekday);
        EXPECT_EQ(zidywdd('W', &year, &week, &weekday, day), 0);
        EXPECT_EQ(std::floor(week), row.number(5));
        EXPECT_EQ(weekday, row.number(3));
        /* Any other scheme: no week, and (days since 1 January + 2) mod 7 + 1
         * as the day. */
        EXPECT_EQ(zidywdd('X', &year, &week, &weekday, day), 0);
        EXPECT_EQ(week, -1);
        EXPECT_EQ(weekday, double((row.integer(6) + 2) % 7 + 1));
    }
}

TEST(CalendarWeeks, SchemeExamples)
{
    struct Case {
        const char *id;
        char scheme;
        double date;
        double year, week, day;
    };
    const Case cases[] = {
        {"1 Jan 2021 ISO", 'V', 22281, 2020, 53, 5},
        {"4 Jan 2021 ISO", 'V', 22284, 2021, 1, 1},
        /* 1 January 2021 is a Friday: five days before the first Sunday,
         * (0 - 5 + 7) / 7 = 2/7 of week 0. */
        {"1 Jan 2021 U", 'U', 22281, 2021, 2.0 / 7.0, 6},
        {"3 Jan 2021 U", 'U', 22283, 2021, 9.0 / 7.0, 1},
        {"1 Jan 2021 W", 'W', 22281, 2021, 3.0 / 7.0, 5},
        {"missing date", 'V', orvMissing(), -1, -1, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        double year = 0, week = 0, day = 0;
        EXPECT_EQ(zidywdd(c.scheme, &year, &week, &day, c.date), 0);
        EXPECT_EQ(year, c.year);
        EXPECT_DOUBLE_EQ(week, c.week);
        EXPECT_EQ(day, c.day);
    }
    EXPECT_EQ(ziddywd(2021, 1, 1), 22284);
    EXPECT_EQ(ziddywd(2020, 53, 7), 22283);
}

TEST(CalendarWeeks, SundayWeekYearMatchesLubridate)
{
    const auto rows = orvtest::readOracleCsv("interval_epiweek.csv");
    ASSERT_GT(rows.size(), 3000u);
    for (const auto &row : rows) {
        SCOPED_TRACE("interval_epiweek.csv line " + std::to_string(row.line));
        const double day = row.number(0);
        const int epiYear = int(row.integer(1));
        const int epiWeek = int(row.integer(2));
        const int weekday = int(row.integer(3));
        int year = 0, week = 0, d = 0;
        ASSERT_EQ(zidywdds(0, &year, &week, &d, day), 0);
        EXPECT_EQ(year, epiYear);
        EXPECT_EQ(week, epiWeek);
        EXPECT_EQ(d, weekday);
        EXPECT_EQ(ziddywds(epiYear, epiWeek, weekday), day);

        double next = 0;
        const double start = zintyrse(&year, &next, day);
        EXPECT_EQ(year, epiYear);
        EXPECT_EQ(start, day - 7 * (epiWeek - 1) - (weekday - 1));
        EXPECT_EQ(next, ziddywds(epiYear + 1, 1, 1));

        zidywdds(1, &year, &week, &d, day);
        EXPECT_EQ(year, epiWeek == 53 ? epiYear + 1 : epiYear);
        EXPECT_EQ(week, epiWeek == 53 ? 1 : epiWeek);
        zidywdds(52, &year, &week, &d, day);
        EXPECT_EQ(year, epiYear);
        EXPECT_EQ(week, epiWeek == 53 ? 52 : epiWeek);
    }
}

TEST(CalendarWeeks, SundayWeekDatesOutOfRange)
{
    struct Case {
        const char *id;
        int year, week, day;
        double expected;
    };
    const double missing = orvMissing();
    const Case cases[] = {
        {"week 53 of 2014 exists", 2014, 53, 1, 20085},
        {"2015 has 52 weeks", 2015, 53, 1, missing},
        {"2015 week 53 Saturday", 2015, 53, 7, missing},
        {"week 0", 2015, 0, 1, missing},
        {"week 54", 2014, 54, 1, missing},
        {"day 0", 2014, 1, 0, missing},
        {"day 8", 2014, 1, 8, missing},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const double got = ziddywds(c.year, c.week, c.day);
        if (orvIsMissing(c.expected))
            EXPECT_TRUE(orvIsMissing(got)) << got;
        else
            EXPECT_EQ(got, c.expected);
    }
    int year = 7, week = 7, day = 7;
    EXPECT_EQ(zidywdds(1, &year, &week, &day, orvMissing()), 0);
    EXPECT_EQ(year, -1);
    double next = 0;
    EXPECT_TRUE(orvIsMissing(zintyrse(&year, &next, orvMissing())));
    EXPECT_TRUE(orvIsMissing(next));
}

TEST(CalendarWeeks, ActualActualByHand)
{
    struct Case {
        const char *id;
        int m1, d1, y1, m2, d2, y2;
        int64_t days;
        double fraction, leapPart;
    };
    const Case cases[] = {
        {"leap year", 1, 1, 2020, 1, 1, 2021, 366, 1.0, 1.0},
        {"common year", 1, 1, 2019, 1, 1, 2020, 365, 1.0, 0.0},
        {"1900 is common", 1, 1, 1900, 1, 1, 1901, 365, 1.0, 0.0},
        {"2000 is leap", 1, 1, 2000, 1, 1, 2001, 366, 1.0, 1.0},
        /* 184 days of 2019 (July to December), 182 of 2020. */
        {"across years", 7, 1, 2019, 7, 1, 2020, 366, 184.0 / 365 + 182.0 / 366, 182.0 / 366},
        {"one day", 12, 31, 1999, 1, 1, 2000, 1, 1.0 / 365, 0.0},
        {"same day", 3, 1, 2000, 3, 1, 2000, 0, 0.0, 0.0},
        {"reversed", 1, 1, 2021, 1, 1, 2020, -366, -1.0, -1.0},
        {"four centuries", 1, 1, 1600, 1, 1, 2000, 146097, 400.0, 97.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        int64_t days = 0;
        double fraction = 0;
        const double leapPart = diff_actact(c.m1, c.d1, c.y1, c.m2, c.d2, c.y2, &days, &fraction);
        EXPECT_EQ(days, c.days);
        EXPECT_NEAR(fraction, c.fraction, 1e-9);
        EXPECT_NEAR(leapPart, c.leapPart, 1e-9);
    }
    int64_t days = 5;
    double fraction = 0;
    EXPECT_TRUE(orvIsMissing(diff_actact(2, 30, 2020, 1, 1, 2021, &days, &fraction)));
    EXPECT_EQ(days, 0);
    EXPECT_TRUE(orvIsMissing(fraction));
}

TEST(RetailCalendar, MonthsDaysAndYears)
{
    struct Case {
        const char *id;
        int calendar;
        double date;
        int status, month, day, year;
    };
    const Case cases[] = {
        {"civil", 0, 22314, 0, 2, 3, 2021},
        {"445 ISO week 5 Wednesday", 445, ziddywd(2021, 5, 3), 0, 2, 3, 2021},
        {"445 ISO week 10 Monday", 445, ziddywd(2021, 10, 1), 0, 3, 8, 2021},
        {"454 ISO week 10 Monday", 454, ziddywd(2021, 10, 1), 0, 3, 1, 2021},
        {"544 ISO week 5 Monday", 544, ziddywd(2021, 5, 1), 0, 1, 29, 2021},
        {"445 week 53 Sunday", 445, ziddywd(2020, 53, 7), 0, 12, 42, 2020},
        {"454 1 Jan 2021 is retail 2020", 454, 22281, 0, 12, 33, 2020},
        {"bad calendar", 446, 0, -2, 0, 0, 0},
        {"missing date", 445, orvMissing(), 1, 0, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        int month = 0, day = 0, year = 0;
        EXPECT_EQ(zidmdydf(&month, &day, &year, c.calendar, c.date), c.status);
        if (c.status != 0) continue;
        EXPECT_EQ(month, c.month);
        EXPECT_EQ(day, c.day);
        EXPECT_EQ(year, c.year);
    }
}

}  // namespace
