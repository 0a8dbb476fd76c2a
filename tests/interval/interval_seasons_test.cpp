/*
 * interval_seasons_test.cpp - season cycles and counts (zintsea,
 * zintsea2, zintsea_calc_nseasons, zintsea_set), multiples of intervals
 * (zintmult), and the season-aware stepping and counting of weeks on the
 * 52-week year (zintnx_seas, zintck_seas), on values worked out by hand.
 *
 * Sunday-based week-years: week 1 holds 4 January, so week-year 2020
 * starts on Sunday 29 December 2019, 2021 on Sunday 3 January 2021, and
 * 2020 has 53 weeks (its 53rd runs from 27 December 2020 to 2 January
 * 2021).
 */
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/civil_days.h"
#include "host/missing_values.h"
#include "interval/interval_multiple.h"
#include "interval/interval_names.h"
#include "interval/interval_seasons.h"
#include "interval/intck.h"
#include "interval/intnx.h"
#include "tests/support/module_host.h"

namespace {

double day(int64_t year, int month, int dayOfMonth) { return double(orvDaysFromCivil(year, month, dayOfMonth)); }

ZINT_DESC parsed(const char *text)
{
    ZINT_DESC desc{};
    EXPECT_EQ(zintstr(text, -1, &desc), 0) << text;
    return desc;
}

ZINT_SEAS record(const char *text, ZINT_SEAS *cycle = nullptr, int32_t count = 0)
{
    ZINT_SEAS rec{};
    rec.interval = parsed(text);
    rec.seasonCycle = cycle;
    rec.seasonCount = count;
    return rec;
}

std::string nameOf(const ZINT_DESC &desc) { return std::string(desc.name, size_t(desc.nameLength)); }

TEST(IntervalSeasons, CycleAndCount)
{
    orvtest::moduleHost();
    struct Case {
        const char *interval;
        int rc;
        const char *cycle;
        unsigned count;
    };
    const Case cases[] = {
        {"MONTH", 0, "YEAR", 12},        {"MONTH2", 0, "YEAR", 6},       {"MONTH5", 1, "", 0},
        {"MONTH12", 0, "YEAR", 1},       {"QTR", 0, "YEAR", 4},          {"QTR.2", 0, "YEAR", 4},
        {"QTR2", 0, "YEAR", 2},          {"QTR3", 1, "", 0},             {"SEMIYEAR", 0, "YEAR", 2},
        {"YEAR", 0, "YEAR", 1},          {"YEAR2", 1, "", 0},            {"TENDAY9", 0, "YEAR", 4},
        {"SEMIMONTH", 0, "YEAR", 24},    {"DTHOUR", 0, "DTDAY", 24},     {"HOUR5", 1, "", 0},
        {"HOUR24", 0, "DTDAY", 1},       {"MINUTE", 0, "HOUR", 60},      {"SECOND7", 1, "", 0},
        {"DAY", 0, "WEEK", 7},           {"DTDAY", 0, "DTWEEK", 7},      {"DAY7", 1, "", 0},
        {"DAY7.3", 0, "WEEK", 1},        {"WEEK", 0, "YEAR", 52},        {"WEEK2", 0, "YEAR", 26},
        {"WEEK3", 1, "", 0},             {"WEEKV", 0, "YEARV", 52},      {"YEARV", 0, "YEARV", 1},
        {"R445MON", 0, "R445YR", 12},    {"R454QTR", 0, "R454YR", 4},    {"R544YR", 0, "R544YR", 1},
        {"DTR445MON", 0, "DTR445YR", 12},
        /* WEEKDAY: working days per week; a multiple only in whole blocks
         * that start on the week's first working day. */
        {"WEEKDAY17W", 0, "WEEK", 5},    {"WEEKDAY1W", 0, "WEEK", 6},    {"WEEKDAY3", 1, "", 0},
        {"WEEKDAY5.2", 0, "WEEK", 1},    {"WEEKDAY5", 1, "", 0},         {"WEEKDAY1W3.3", 0, "WEEK", 2},
        {"OBS", 1, "", 0},               {"NONE", 2, "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.interval);
        const ZINT_DESC desc = parsed(c.interval);
        ZINT_DESC cycle;
        std::memset(&cycle, 0x55, sizeof cycle);
        uint32_t count = 99;
        EXPECT_EQ(zintsea(&desc, &cycle, &count, day(1990, 5, 17)), c.rc);
        EXPECT_EQ(nameOf(cycle), c.cycle);
        EXPECT_EQ(count, c.count);
        if (c.rc != 0) {
            const ZINT_DESC zero{};
            EXPECT_EQ(std::memcmp(&cycle, &zero, sizeof cycle), 0);
        }
    }
    ZINT_DESC cycle;
    uint32_t count = 0;
    EXPECT_EQ(zintsea(nullptr, &cycle, &count, 0), 2);
}

TEST(IntervalSeasons, RecordDifferences)
{
    orvtest::moduleHost();
    struct Case {
        const char *interval;
        int32_t countIn;
        int rc;
        const char *cycle;
        int32_t count;
    };
    const Case cases[] = {
        {"OBS", 0, 0, "OBS1", 1},     {"OBS3", 0, 0, "OBS3", 1},    {"WEEK", 0, 0, "YEAR", 52},
        {"WEEK", 53, 0, "YEAR", 53},  {"WEEKV", 0, 0, "YEARV", 53}, {"WEEKV", 52, 0, "YEARV", 52},
        {"WEEK2", 53, 0, "YEAR", 26}, {"MONTH", 7, 0, "YEAR", 12},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.interval) + " " + std::to_string(c.countIn));
        ZINT_SEAS rec = record(c.interval);
        ZINT_DESC cycle;
        int32_t count = c.countIn;
        EXPECT_EQ(zintsea2(&rec, &cycle, &count, 0), c.rc);
        EXPECT_EQ(nameOf(cycle), c.cycle);
        EXPECT_EQ(count, c.count);
    }
    ZINT_SEAS rec = record("MONTH");
    ZINT_DESC cycle = parsed("YEAR");
    EXPECT_EQ(zintsea2(&rec, &cycle, nullptr, 0), 2);
    EXPECT_EQ(cycle.code, ZINT_NONE);
}

TEST(IntervalSeasons, SeasonsPerCycle)
{
    orvtest::moduleHost();
    struct Case {
        const char *interval;
        const char *cycle;
        double date;
        int rc;
        int32_t count;
    };
    const Case cases[] = {
        {"WEEK", "YEAR", day(2020, 6, 1), 0, 52},
        {"WEEKV", "YEARV", day(2020, 6, 1), 0, 53}, /* ISO 2020 has 53 weeks */
        {"WEEKV", "YEARV", day(2021, 6, 1), 0, 52},
        {"WEEKDAY", "WEEK", day(2020, 6, 3), 0, 5},
        {"WEEKDAY", "SEMIMONTH", day(2021, 2, 3), 0, 11}, /* 1 to 15 February 2021 */
        {"MONTH", "QTR", day(2020, 6, 1), 0, 3},
        {"DAY", "MONTH", day(2021, 2, 3), 0, 28},
        {"DAY", "MONTH", day(2020, 2, 3), 0, 29},
        {"MONTH5", "YEAR", day(2020, 6, 1), 1, -1},
        {"QTR", "MONTH", day(2020, 6, 1), 1, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.interval) + " in " + c.cycle);
        ZINT_SEAS rec = record(c.interval);
        const ZINT_DESC cycle = parsed(c.cycle);
        int32_t count = -1;
        EXPECT_EQ(zintsea_calc_nseasons(&rec, &cycle, &count, c.date), c.rc);
        EXPECT_EQ(count, c.count);
    }
}

TEST(IntervalSeasons, SettingTheSeasonPart)
{
    orvtest::moduleHost();
    struct Case {
        const char *id;
        const char *interval;
        const char *option; /* "" = none */
        int32_t requested;  /* 0 = none */
        int rc;
        const char *cycle;
        int32_t count;
    };
    const Case cases[] = {
        {"12 seasons of YEAR", "MONTH", "YEAR", 12, 0, "YEAR", 12},
        {"4 seasons are not YEAR's", "MONTH", "YEAR", 4, 2, "YEAR", 12},
        {"cycle name upper-cased", "MONTH", "year", 0, 0, "YEAR", 12},
        {"a count alone multiplies", "MONTH", "", 3, 0, "QTR", 3},
        {"a count of 1", "MONTH", "", 1, 0, "MONTH", 1},
        {"nothing asked", "MONTH", "", 0, 0, "YEAR", 12},
        {"OBS cycle: its multiplier", "DAY", "OBS7", 7, 0, "OBS7", 7},
        {"OBS cycle disagreeing", "DAY", "OBS7", 5, 2, "OBS7", 0},
        {"a cycle not whole", "MONTH5", "YEAR", 0, 1, "YEAR", 0},
        {"52 weeks", "WEEK", "YEAR", 0, 0, "YEAR", 52},
        {"days of a week", "DAY", "", 7, 0, "WEEK", 7},
        {"no interval", "NONE", "YEAR", 4, 0, "NONE", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZINT_SEAS cycleRec{};
        ZINT_SEAS rec = record(c.interval, &cycleRec);
        ZINT_DESC option{};
        if (c.option[0] != '\0') option = parsed(c.option);
        const int32_t requested = c.requested;
        EXPECT_EQ(zintsea_set(&rec, c.option[0] != '\0' ? &option : nullptr, c.requested != 0 ? &requested : nullptr,
                              day(1990, 5, 17)),
                  c.rc);
        EXPECT_EQ(nameOf(cycleRec.interval), c.cycle);
        EXPECT_EQ(rec.seasonCount, c.count);
    }
    EXPECT_EQ(zintsea_set(nullptr, nullptr, nullptr, 0), 2);
}

TEST(IntervalSeasons, Multiples)
{
    orvtest::moduleHost();
    struct Case {
        const char *interval;
        int k;
        int flags;
        int rc;
        const char *name;
        char kind;
    };
    const Case cases[] = {
        {"MONTH", 3, 0, 0, "QTR", 'd'},
        {"DTMONTH", 3, 0, 0, "DTQTR", 's'},
        {"MONTH", 3, ZINTMULT_NO_FIT, 0, "MONTH3", 'd'},
        {"MONTH", 12, 0, 0, "YEAR", 'd'},
        {"WEEK", 52, 0, 0, "YEAR", 'd'},
        {"WEEK", 104, 0, 0, "YEAR2", 'd'},
        {"WEEK", 52, ZINTMULT_KEEP_WEEKS | ZINTMULT_NO_FIT, 0, "WEEK52", 'd'},
        {"R445MON", 3, 0, 0, "R445QTR", 'd'},
        {"R445MON", 12, 0, 0, "R445YR", 'd'},
        {"R445YR", 2, 0, 0, "R445YR2", 'd'},
        {"WEEKV", 53, 0, 0, "YEARV", 'd'},
        {"WEEKV", 2, 0, 0, "WEEKV2", 'd'},
        {"DAY", 7, ZINTMULT_DAYS_TO_WEEK, 0, "WEEK", 'd'},
        {"DAY", 7, 0, 0, "WEEK.6", 'd'}, /* 7-day periods from Friday 1 January 1960 */
        {"DAY", 14, ZINTMULT_DAYS_TO_WEEK, 0, "WEEK2", 'd'},
        {"DAY", 30, ZINTMULT_DAYS_TO_WEEK, 0, "DAY30", 'd'},
        {"WEEKDAY1W", 2, 0, 0, "WEEKDAY1W2", 'd'},
        {"DTWEEKDAY67W", 3, ZINTMULT_NO_FIT, 0, "DTWEEKDAY67W3", 's'},
        {"HOUR", 4, 0, 0, "DTHOUR4", 's'},
        {"QTR.2", 2, 0, 0, "SEMIYEAR", 'd'},
        {"MONTH", 0, 0, 1, "", 0},
        {"MONTH2", 2000000000, 0, 1, "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.interval) + " x " + std::to_string(c.k));
        const ZINT_SEAS src = record(c.interval);
        ZINT_SEAS dst{};
        EXPECT_EQ(zintmult(&src, c.k, &dst, c.flags), c.rc);
        if (c.rc != 0) continue;
        EXPECT_EQ(nameOf(dst.interval), c.name);
        EXPECT_EQ(dst.interval.kind, c.kind);
        const ZINT_DESC expected = parsed(c.name);
        EXPECT_EQ(dst.interval.code, expected.code);
        EXPECT_EQ(dst.interval.multiplier, expected.multiplier);
        EXPECT_EQ(dst.interval.shift, expected.shift);
        EXPECT_EQ(std::memcmp(dst.interval.daysOff, expected.daysOff, 7), 0);
    }
    ZINT_SEAS dst{};
    EXPECT_EQ(zintmult(nullptr, 2, &dst, 0), 2);

    /* A fitted multiple takes the fitting's format. */
    const ZINT_SEAS month = record("MONTH");
    ASSERT_EQ(zintmult(&month, 3, &dst, 0), 0);
    EXPECT_EQ(std::string(dst.formatName, size_t(dst.formatNameLength)), "YYQC");
    EXPECT_EQ(dst.formatWidth, 6);
}

TEST(IntervalSeasons, SeasonPartOfAMultiple)
{
    orvtest::moduleHost();
    struct Case {
        int mode;
        const char *cycle;
        int32_t count;
    };
    const Case cases[] = {{0, "YEAR", 4}, {1, "YEAR", 4}, {2, "YEAR3", 12}, {3, "YEAR", 4}};
    for (const Case &c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode));
        ZINT_SEAS srcCycle = record("YEAR");
        const ZINT_SEAS src = record("MONTH", &srcCycle, 12);
        ZINT_SEAS dstCycle{};
        ZINT_SEAS dst{};
        dst.seasonCycle = &dstCycle;
        ASSERT_EQ(zintmult(&src, 3, &dst, c.mode), 0);
        EXPECT_EQ(nameOf(dst.interval), "QTR");
        EXPECT_EQ(dst.seasonCycle, &dstCycle);
        EXPECT_EQ(nameOf(dstCycle.interval), c.cycle);
        EXPECT_EQ(dst.seasonCount, c.count);
    }
}

TEST(IntervalSeasons, WeeksOnTheFiftyTwoWeekYear)
{
    orvtest::moduleHost();
    ZINT_SEAS yearCycle = record("YEAR");
    struct Case {
        const char *id;
        const char *interval;
        int32_t count; /* a stored count with a YEAR cycle record; 0 = none */
        double x, n, expected;
    };
    const Case cases[] = {
        {"week 53 starts the merged week", "WEEK", 0, day(2020, 12, 30), 0, day(2020, 12, 27)},
        {"week 1 of 2021 belongs to it too", "WEEK", 0, day(2021, 1, 5), 0, day(2020, 12, 27)},
        {"one on from week 1", "WEEK", 0, day(2021, 1, 5), 1, day(2021, 1, 10)},
        {"one on from week 52", "WEEK", 0, day(2020, 12, 20), 1, day(2020, 12, 27)},
        {"52 on from week 52", "WEEK", 0, day(2020, 12, 20), 52, day(2021, 12, 26)},
        {"back from week 2", "WEEK", 0, day(2021, 1, 12), -2, day(2020, 12, 20)},
        {"with 53 seasons week 1 is its own", "WEEK", 53, day(2021, 1, 5), 0, day(2021, 1, 3)},
        {"WEEK2: weeks 3 and 4 of 2021", "WEEK2", 0, day(2021, 1, 19), 0, day(2021, 1, 17)},
        {"WEEK2 one on", "WEEK2", 0, day(2021, 1, 19), 1, day(2021, 1, 31)},
        {"WEEK2 from week 52 of 2020", "WEEK2", 0, day(2020, 12, 23), 1, day(2020, 12, 27)},
        {"ISO weeks", "WEEKV", 0, day(2021, 1, 6), 1, day(2021, 1, 11)},
        {"ISO week 53 of 2020 to 2021", "WEEKV", 0, day(2020, 12, 30), 1, day(2021, 1, 4)},
        {"missing", "WEEK", 0, orvMissing(), 1, orvMissing()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZINT_SEAS rec = record(c.interval, c.count != 0 ? &yearCycle : nullptr, c.count);
        const double got = zintnx_seas(&rec, nullptr, c.x, c.n);
        if (orvIsMissing(c.expected))
            EXPECT_TRUE(orvIsMissing(got));
        else
            EXPECT_EQ(got, c.expected);
    }

    /* Counting merges week 53 into week 1 as well. */
    ZINT_SEAS week = record("WEEK");
    EXPECT_EQ(zintck_seas(&week, nullptr, day(2020, 12, 20), day(2021, 1, 5)), 1);
    EXPECT_EQ(zintck_seas(&week, nullptr, day(2020, 12, 20), day(2020, 12, 30)), 1);
    EXPECT_EQ(zintck_seas(&week, nullptr, day(2019, 6, 2), day(2021, 6, 6)), 104);
    ZINT_SEAS week53 = record("WEEK", &yearCycle, 53);
    EXPECT_EQ(zintck_seas(&week53, nullptr, day(2020, 12, 20), day(2021, 1, 5)), 2);
    ZINT_DESC plainWeek = parsed("WEEK");
    EXPECT_EQ(zintck2(&plainWeek, day(2020, 12, 20), day(2021, 1, 5)), 2);
}

TEST(IntervalSeasons, StepsAndCountsAgree)
{
    orvtest::moduleHost();
    /* For every day of 2019 to 2022 (2020 has 53 weeks) and steps of -60
     * to 60: the count from x to the step is the step. */
    int failures = 0;
    for (const char *interval : {"WEEK", "WEEK2", "WEEK4"}) {
        ZINT_SEAS rec = record(interval);
        for (double x = day(2019, 1, 1); x < day(2023, 1, 1); x += 3) {
            for (double n = -60; n <= 60; n += 7) {
                const double y = zintnx_seas(&rec, nullptr, x, n);
                const double back = zintck_seas(&rec, nullptr, x, y);
                if (back != n && ++failures <= 10)
                    ADD_FAILURE() << interval << " x=" << x << " n=" << n << " y=" << y << " count=" << back;
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(IntervalSeasons, YearsOfWeeksAndWorkingDays)
{
    orvtest::moduleHost();
    ZINT_SEAS year = record("YEAR");
    ZINT_SEAS semimonth = record("SEMIMONTH");
    ZINT_SEAS weekRec = record("WEEK");
    ZINT_SEAS yearCycle = record("YEAR");
    ZINT_SEAS week53 = record("WEEK", &yearCycle, 53);
    ZINT_SEAS weekday = record("WEEKDAY");
    ZINT_SEAS weekday1w = record("WEEKDAY1W");
    ZINT_SEAS weekday7w = record("WEEKDAY7W");
    ZINT_SEAS weekday12w = record("WEEKDAY12W");
    struct Case {
        const char *id;
        ZINT_SEAS *rec, *other;
        double x, n, expected;
    };
    const Case cases[] = {
        /* The 52-week year 2021 begins with the 53rd week of 2020. */
        {"week-year of June 2021", &year, &weekRec, day(2021, 6, 15), 0, day(2020, 12, 27)},
        {"with 53 weeks kept", &year, &week53, day(2021, 6, 15), 0, day(2021, 1, 3)},
        {"next week-year", &year, &weekRec, day(2019, 6, 15), 1, day(2019, 12, 29)},
        {"weeks from Monday", &weekRec, &weekday, day(2021, 6, 13), 0, day(2021, 6, 7)},
        {"Sunday off: Monday", &weekRec, &weekday1w, day(2021, 6, 13), 0, day(2021, 6, 7)},
        {"Saturday off: Sunday", &weekRec, &weekday7w, day(2021, 6, 13), 0, day(2021, 6, 13)},
        {"Sunday and Monday off: Tuesday", &weekRec, &weekday12w, day(2021, 6, 13), 0, day(2021, 6, 8)},
        {"first working day of 2022", &year, &weekday, day(2022, 5, 5), 0, day(2022, 1, 3)},
        {"of the semimonth from 16 January 2022", &semimonth, &weekday, day(2022, 1, 20), 0, day(2022, 1, 17)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(zintnx_seas(c.rec, c.other, c.x, c.n), c.expected);
    }
    EXPECT_EQ(zintck_seas(&year, &weekRec, day(2020, 6, 15), day(2021, 6, 15)), 1);
    EXPECT_EQ(zintck_seas(&year, &weekRec, day(2019, 6, 15), day(2022, 6, 15)), 3);
}

}  // namespace
