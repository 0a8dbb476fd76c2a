/*
 * interval_nesting_test.cpp - zintc: a case table worked out by hand, the
 * antisymmetry law over a grid of built-in intervals with multipliers and
 * shifts, and an independent check of every day-line pair against the
 * boundaries that INTNX steps to, enumerated hour by hour.
 *
 * Day numbers: day 0 is Friday 1 January 1960, day 3 Monday 4 January.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/missing_values.h"
#include "interval/interval_names.h"
#include "interval/interval_nesting.h"
#include "interval/intnx.h"
#include "tests/support/module_host.h"

namespace {

/* Expected answers: a number, or a missing value by its letter. */
struct Answer {
    double number;
    char letter; /* 0 for a number; '.' the ordinary missing value */
};
constexpr Answer n(double value) { return {value, 0}; }
constexpr Answer M{0, 'M'}, S{0, 'S'}, B{0, 'B'}, W{0, 'W'}, E{0, 'E'}, DOT{0, '.'};

std::string show(double r)
{
    if (!orvIsMissing(r)) return std::to_string(r);
    for (char c : {'.', 'M', 'S', 'B', 'W', 'E'})
        if (std::bit_cast<uint64_t>(r) == std::bit_cast<uint64_t>(skMissVal(c))) return std::string(".") + c;
    return "other NaN";
}

void expectAnswer(double got, Answer expected)
{
    if (expected.letter == 0) {
        EXPECT_EQ(show(got), show(expected.number));
    } else {
        EXPECT_EQ(show(got), show(skMissVal(expected.letter)));
    }
}

ZINT_DESC parsed(const char *name)
{
    ZINT_DESC desc{};
    EXPECT_EQ(zintstr(name, -1, &desc), 0) << name;
    return desc;
}

ZINT_DESC custom(const char *name)
{
    ZINT_DESC desc{};
    desc.kind = 'd';
    desc.code = ZINT_CUSTOM;
    desc.multiplier = 1;
    desc.nameLength = int16_t(std::strlen(name));
    std::memcpy(desc.name, name, size_t(desc.nameLength));
    return desc;
}

TEST(IntervalNesting, CaseTable)
{
    orvtest::moduleHost();
    struct Case {
        const char *a, *b;
        Answer expected;
    };
    const Case cases[] = {
        /* Month family. */
        {"QTR", "MONTH", n(3)}, {"MONTH", "QTR", n(-3)}, {"QTR", "MONTH2", M}, {"QTR.2", "MONTH", n(3)},
        {"QTR.2", "QTR", S}, {"YEAR", "QTR", n(4)}, {"YEAR", "TENDAY", n(36)}, {"SEMIMONTH", "YEAR", n(-24)},
        {"TENDAY3", "MONTH", n(0)}, {"TENDAY", "SEMIMONTH", B}, {"YEAR.7", "SEMIYEAR", n(2)},
        {"MONTH", "DAY", n(1)}, {"DAY", "MONTH", n(-1)}, {"DAY2", "MONTH", DOT}, {"MONTH", "DAY7.4", DOT},
        /* Days and weeks. */
        {"WEEK", "DAY", n(7)}, {"WEEK", "WEEKV", S}, {"WEEK.2", "WEEKV", n(0)}, {"WEEKV.7", "WEEK", n(0)},
        {"WEEK2.2", "WEEKV", n(2)}, {"DAY7.3", "WEEK", n(0)}, {"DAY14", "WEEKV", S}, {"DAY5", "WEEKV", M},
        /* Time units. */
        {"DAY", "HOUR", n(24)}, {"HOUR", "DAY", n(-24)}, {"HOUR5", "DAY", M}, {"MINUTE", "HOUR", n(-60)},
        {"HOUR2.2", "DAY", S}, {"HOUR48.25", "DAY2.2", n(0)}, {"DTDAY", "SECOND", n(86400)},
        /* Time units against WEEK: phases from the WEEK origin (Sundays). */
        {"HOUR", "WEEK", n(-168)}, {"HOUR168.49", "WEEK", n(0)}, {"WEEK", "HOUR168.49", n(0)},
        {"WEEK", "HOUR168", S}, {"HOUR48", "WEEK", M},
        /* Time units against tendays and the month family. */
        {"HOUR", "TENDAY", n(-1)}, {"TENDAY", "HOUR", n(1)}, {"HOUR5", "TENDAY", DOT},
        {"MINUTE", "SEMIMONTH", n(-1)}, {"HOUR2.2", "MONTH", S}, {"MONTH", "HOUR2.2", S}, {"YEAR", "HOUR48", DOT},
        /* Families never compared. */
        {"OBS", "DAY", B}, {"DAY", "OBS", B}, {"MONTH", "R445MON", B}, {"WEEK", "QTR", B}, {"MONTH", "WEEKDAY", B},
        /* Observations. */
        {"OBS2", "OBS", n(2)}, {"OBS2.2", "OBS2", S}, {"OBS3", "OBS2", M},
        /* Retail calendars and ISO years. */
        {"R445YR", "R445QTR", n(4)}, {"R445QTR", "R454QTR", n(0)}, {"R445MON", "R454MON", M},
        {"R445MON", "R454QTR", n(-3)}, {"R445MON3.2", "R454YR", S}, {"R445MON", "WEEK.2", n(1)},
        {"R445MON", "WEEK", S}, {"R445MON", "WEEK2", M}, {"R445MON", "WEEKV", n(1)}, {"WEEKV.2", "R445MON", S},
        {"R445MON", "YEARV", n(-12)}, {"R445YR", "YEARV", n(0)}, {"R445MON", "YEARV.14", n(-12)},
        {"R445QTR", "YEARV.5", S}, {"R445MON", "YEARV.3", S}, {"YEARV", "WEEKV", n(1)}, {"YEARV.2", "YEARV", S},
        {"DAY7.4", "R445MON", n(-1)}, {"DAY7", "R445MON", S}, {"DAY14", "R445YR", M}, {"DAY", "YEARV", n(-1)},
        {"HOUR", "R445MON", n(-1)}, {"HOUR168.73", "R445MON", n(-1)}, {"R445MON", "HOUR168.73", n(1)},
        {"HOUR5", "R445MON", M}, {"HOUR2.2", "YEARV", S},
        /* A time interval onto the day line: HOUR84.13 has boundaries at
         * Tuesday 00:00 and Friday 12:00, two per WEEKV.2 week. */
        {"HOUR84.13", "WEEKV.2", n(-2)}, {"WEEKV.2", "HOUR84.13", n(2)}, {"HOUR84", "WEEKV.2", S},
        /* WEEKDAY against the day line. */
        {"WEEKDAY", "DAY", n(1)}, {"WEEKDAY", "WEEK", S}, {"WEEKDAY", "WEEK.2", n(-5)},
        {"WEEKDAY5.2", "WEEK.2", n(0)}, {"WEEKDAY5.2", "DAY", n(7)}, {"WEEKDAY10.2", "WEEK.2", n(2)},
        {"WEEKDAY3", "WEEK.2", M}, {"WEEKDAY5", "WEEK.2", S}, {"WEEKDAY5.2", "HOUR", n(168)},
        {"HOUR", "WEEKDAY", n(-1)}, {"WEEKDAY1W", "WEEKV", n(-6)},
        /* WEEKDAY against WEEKDAY. */
        {"WEEKDAY17W", "WEEKDAY", n(0)}, {"WEEKDAY2", "WEEKDAY", n(2)}, {"WEEKDAY2.2", "WEEKDAY2", S},
        {"WEEKDAY", "WEEKDAY1W", n(1)}, {"WEEKDAY1W", "WEEKDAY", n(-1)}, {"WEEKDAY1234W", "WEEKDAY567W", W},
        /* WEEKDAY against weeks of years: blocks must start on Mondays. */
        {"YEARV", "WEEKDAY", n(1)}, {"WEEKDAY", "YEARV", n(-1)}, {"WEEKDAY5.2", "YEARV", n(-1)},
        {"WEEKDAY5", "YEARV", S}, {"WEEKDAY3", "R445MON", M}, {"WEEKDAY2W", "R445MON", B},
        {"R445QTR", "WEEKDAY5.2", n(1)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("zintc(") + c.a + ", " + c.b + ")");
        const ZINT_DESC a = parsed(c.a);
        const ZINT_DESC b = parsed(c.b);
        expectAnswer(zintc(&a, &b), c.expected);
    }
}

TEST(IntervalNesting, CustomAndOddInputs)
{
    orvtest::moduleHost();
    const ZINT_DESC fiscal = custom("FISCAL");
    const ZINT_DESC fiscalLower = custom("fiscal");
    const ZINT_DESC other = custom("SEASONS");
    const ZINT_DESC month = parsed("MONTH");
    ZINT_DESC unknown = parsed("MONTH");
    unknown.code = 99;
    struct Case {
        const char *id;
        const ZINT_DESC *a, *b;
        Answer expected;
    };
    const Case cases[] = {
        {"the same custom interval", &fiscal, &fiscal, n(0)},
        {"custom names compare without case", &fiscal, &fiscalLower, n(0)},
        {"two custom intervals", &fiscal, &other, DOT},
        {"custom against built-in", &fiscal, &month, DOT},
        {"built-in against custom", &month, &fiscal, DOT},
        {"unknown code first", &unknown, &month, DOT},
        {"unknown code second", &month, &unknown, DOT},
        {"null descriptor", nullptr, &month, DOT},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        expectAnswer(zintc(c.a, c.b), c.expected);
    }

    const ZINT_DESC day = parsed("DAY");
    const ZINT_DESC weekday = parsed("WEEKDAY");
    expectAnswer(comp_weekday_day(&day, &weekday), E);
    expectAnswer(comp_weekday_week(&weekday, &day), E);
    expectAnswer(comp_weekday_weekv(&weekday, &day), E);
}

TEST(IntervalNesting, WeekdayBlockStarts)
{
    orvtest::moduleHost();
    struct Case {
        const char *weekday;
        Answer offset; /* days from Sunday 27 December 1959 */
    };
    const Case cases[] = {
        {"WEEKDAY", n(1)},      /* Monday 28 December */
        {"WEEKDAY5.2", n(1)},   /* index 1 modulo 5: Mondays */
        {"WEEKDAY5", n(5)},     /* index 0 modulo 5: Fridays, day 0 */
        {"WEEKDAY3", n(2)},     /* Tuesday 29 December has index -3 */
        {"WEEKDAY1W", n(1)},    /* Sunday off */
        {"WEEKDAY2W", n(0)},    /* only Monday off: the Sunday itself */
        {"DAY", E},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.weekday);
        const ZINT_DESC desc = parsed(c.weekday);
        expectAnswer(wkdyS2wkS(&desc), c.offset);
    }
}

/* A grid of built-in intervals with multipliers and shifts. */
const char *const kGrid[] = {
    "OBS", "OBS2", "OBS2.2", "SECOND", "SECOND30", "SECOND7.3", "MINUTE", "MINUTE15.2", "MINUTE90",
    "HOUR", "HOUR2.2", "HOUR5", "HOUR6.4", "HOUR24", "HOUR48.25", "HOUR84.13", "HOUR168", "HOUR168.73",
    "DAY", "DAY2", "DAY3.2", "DAY7.4", "DAY14", "DTDAY", "WEEK", "WEEK.2", "WEEK2", "WEEK2.9", "WEEK4",
    "WEEKV", "WEEKV.2", "WEEKV2", "WEEKV3.8", "YEARV", "YEARV.2", "YEARV2", "YEARV.14",
    "WEEKDAY", "WEEKDAY2", "WEEKDAY5.2", "WEEKDAY10", "WEEKDAY17W3", "WEEKDAY1W", "WEEKDAY1W3",
    "WEEKDAY246W", "WEEKDAY67W2.2", "WEEKDAY2W", "TENDAY", "TENDAY2", "TENDAY3.3", "SEMIMONTH",
    "SEMIMONTH2.2", "MONTH", "MONTH2.2", "MONTH3", "MONTH6", "QTR", "QTR.2", "QTR2", "SEMIYEAR",
    "SEMIYEAR.4", "YEAR", "YEAR.7", "YEAR2", "DTMONTH", "R445MON", "R445MON3", "R445MON3.2", "R454MON",
    "R544MON2", "R445QTR", "R454QTR", "R454QTR.2", "R544QTR2", "R445YR", "R454YR", "R544YR2",
};

TEST(IntervalNesting, Antisymmetric)
{
    orvtest::moduleHost();
    std::vector<ZINT_DESC> grid;
    for (const char *name : kGrid) grid.push_back(parsed(name));
    int failures = 0;
    for (const ZINT_DESC &a : grid) {
        for (const ZINT_DESC &b : grid) {
            const double ab = zintc(&a, &b);
            const double ba = zintc(&b, &a);
            /* Numbers come in pairs: when one side nests, so does the other. */
            const bool ok = orvIsMissing(ab) ? orvIsMissing(ba) : !orvIsMissing(ba) && ab == -ba;
            if (!ok && ++failures <= 20)
                ADD_FAILURE() << "zintc(" << a.name << ", " << b.name << ") = " << show(ab) << " but zintc("
                              << b.name << ", " << a.name << ") = " << show(ba);
        }
    }
    EXPECT_EQ(failures, 0);
}

/* The hours of a window (420 days, twice the longest combined pattern
 * below) on which a period of an interval of kind 's' starts: those whose
 * first second INTNX(x, 0) gives back. */
std::vector<int64_t> boundaryHours(const ZINT_DESC &desc)
{
    constexpr int64_t kFirstHour = 24 * 7 * 10;
    constexpr int64_t kHours = 24 * 420;
    std::vector<int64_t> hours;
    for (int64_t h = kFirstHour; h < kFirstHour + kHours; ++h) {
        const double second = double(h) * 3600;
        if (zintnx2(&desc, second, 0) == second) hours.push_back(h);
    }
    return hours;
}

bool within(const std::vector<int64_t> &x, const std::vector<int64_t> &y)
{
    size_t j = 0;
    for (int64_t v : x) {
        while (j < y.size() && y[j] < v) ++j;
        if (j == y.size() || y[j] != v) return false;
    }
    return true;
}

/* Boundaries of `fine` in each whole period of `coarse`: their number
 * when it is the same for every period, else 1. */
double perPeriod(const std::vector<int64_t> &coarse, const std::vector<int64_t> &fine)
{
    int64_t first = -1;
    size_t j = 0;
    for (size_t i = 0; i + 1 < coarse.size(); ++i) {
        while (j < fine.size() && fine[j] < coarse[i]) ++j;
        int64_t count = 0;
        while (j < fine.size() && fine[j] < coarse[i + 1]) {
            ++count;
            ++j;
        }
        if (first < 0) first = count;
        if (count != first) return 1.0;
    }
    return double(first);
}

/* The relation of two intervals from their boundaries: a number when one
 * set of boundaries lies within the other, else missing. */
double relationByEnumeration(const std::vector<int64_t> &a, const std::vector<int64_t> &b)
{
    const bool aInB = within(a, b);
    const bool bInA = within(b, a);
    if (aInB && bInA) return 0;
    if (aInB) return perPeriod(a, b);
    if (bInA) return -perPeriod(b, a);
    return orvMissing();
}

TEST(IntervalNesting, DayLineAgreesWithEnumeratedBoundaries)
{
    orvtest::moduleHost();
    /* Every boundary of these lies on a whole hour. */
    const char *const names[] = {
        "HOUR", "HOUR2", "HOUR2.2", "HOUR5", "HOUR6.4", "HOUR12", "HOUR24", "HOUR48", "HOUR48.25",
        "HOUR84", "HOUR84.13", "HOUR168", "HOUR168.73", "MINUTE120.61", "DTDAY", "DTDAY2",
        "DTDAY3.2", "DTDAY7.4", "DTDAY14", "DTWEEK", "DTWEEK.2", "DTWEEK2", "DTWEEK2.10", "DTWEEKV",
        "DTWEEKV.2", "DTWEEKV2", "DTWEEKDAY", "DTWEEKDAY2", "DTWEEKDAY5", "DTWEEKDAY5.2", "DTWEEKDAY10.2",
        "DTWEEKDAY17W3", "DTWEEKDAY1W", "DTWEEKDAY1W3", "DTWEEKDAY246W", "DTWEEKDAY67W2.2", "DTWEEKDAY2W",
        "DTWEEKDAY1234W", "DTWEEKDAY567W",
    };
    std::vector<ZINT_DESC> set;
    std::vector<std::vector<int64_t>> boundaries;
    for (const char *name : names) {
        set.push_back(parsed(name));
        boundaries.push_back(boundaryHours(set.back()));
    }
    int failures = 0;
    int numbers = 0;
    for (size_t i = 0; i < set.size(); ++i) {
        for (size_t j = 0; j < set.size(); ++j) {
            const ZINT_DESC &a = set[i];
            const ZINT_DESC &b = set[j];
            const double expected = relationByEnumeration(boundaries[i], boundaries[j]);
            const double got = zintc(&a, &b);
            numbers += !orvIsMissing(got);
            const bool ok = orvIsMissing(expected) ? orvIsMissing(got) : got == expected;
            if (!ok && ++failures <= 20)
                ADD_FAILURE() << "zintc(" << a.name << ", " << b.name << ") = " << show(got)
                              << ", boundaries say " << show(expected);
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_GT(numbers, 400); /* the check is not vacuous */
}

}  // namespace
