/*
 * unit_families_test.cpp - the unit arithmetic under the closed forms:
 * part spans of the ordinary and retail calendars against dates worked out
 * by hand (leap Februaries, a 53-week retail December), and the
 * multiplications that stand for divisions (interval numbers, working
 * days) against the plain floor division at the edges of their ranges.
 */
#include <gtest/gtest.h>

#include <cstdint>

#include "host/civil_days.h"
#include "interval/calendar_weeks.h"
#include "interval/day_math.h"
#include "interval/interval_parts.h"
#include "interval/retail_calendar.h"
#include "interval/unit_families.h"
#include "interval/working_days.h"

namespace {

int64_t day(int64_t y, int m, int d) { return orvDaysFromCivil(y, m, d); }

/* The part that holds a day: its first day and the next part's, in the
 * ordinary calendar (calendar 0: thirds, halves and months) and the retail
 * ones.  ISO 2020 has 53 weeks (1 January a leap-year Wednesday), so its
 * 4-4-5 December runs from the Monday of week 48 to the end of week 53. */
TEST(UnitFamilies, PartsByHand)
{
    struct Case {
        const char *id;
        int calendar;
        int64_t perYear;
        int64_t on, start, next;
    };
    const Case cases[] = {
        {"third of a leap February", 0, 36, day(2024, 2, 25), day(2024, 2, 21), day(2024, 3, 1)},
        {"third of a common February", 0, 36, day(2023, 2, 28), day(2023, 2, 21), day(2023, 3, 1)},
        {"second third", 0, 36, day(2023, 7, 11), day(2023, 7, 11), day(2023, 7, 21)},
        {"third of a 31-day month", 0, 36, day(2023, 12, 31), day(2023, 12, 21), day(2024, 1, 1)},
        {"first half", 0, 24, day(1999, 4, 15), day(1999, 4, 1), day(1999, 4, 16)},
        {"second half of a common February", 0, 24, day(2023, 2, 16), day(2023, 2, 16), day(2023, 3, 1)},
        {"February 2100, not leap", 0, 12, day(2100, 2, 28), day(2100, 2, 1), day(2100, 3, 1)},
        {"February 2000, leap", 0, 12, day(2000, 2, 29), day(2000, 2, 1), day(2000, 3, 1)},
        {"first valid day", 0, 12, ZINT_FIRST_DAY, day(1582, 1, 1), day(1582, 2, 1)},
        {"last valid day", 0, 12, ZINT_LAST_DAY, day(20000, 12, 1), day(20001, 1, 1)},
        {"445 December of a 53-week year", 445, 12, day(2020, 12, 31), day(2020, 11, 23), day(2021, 1, 4)},
        {"445 January starts in the year before", 445, 12, day(2019, 12, 30), day(2019, 12, 30),
         day(2020, 1, 27)},
        {"454 March, four weeks", 454, 12, day(2021, 3, 20), day(2021, 3, 8), day(2021, 4, 5)},
        {"544 January, five weeks", 544, 12, day(2021, 2, 7), day(2021, 1, 4), day(2021, 2, 8)},
    };
    for (const Case &c : cases) {
        if (c.calendar == 0) {
            const ZintPartAt at = zintCivilPartAt(c.perYear, c.on);
            const ZintPartSpan span = zintCivilPartSpan(c.perYear, at.index);
            EXPECT_EQ(at.start, c.start) << c.id;
            EXPECT_EQ(at.next, c.next) << c.id;
            EXPECT_EQ(span.start, c.start) << c.id;
            EXPECT_EQ(span.next, c.next) << c.id;
            continue;
        }
        /* Retail: by the ISO week date and by the table of week-years. */
        const ZintRetailWeeks &weeks = zintRetailWeeks[zintRetailIndex(c.calendar)];
        const ZintPartAt at = zintRetailPartAt(weeks, c.on);
        const ZidIsoYear iso = zidTabledIsoYear(c.on);
        const ZintPartSpan general = zintRetailPartSpan(weeks, at.index);
        const ZintPartSpan tabled = zintRetailPartSpanBy(weeks, at.index, zidTabledYearStart);
        const ZintPartAt tabledAt = zintRetailPartIn(weeks, iso.year, iso.start, iso.next, c.on);
        EXPECT_EQ(at.start, c.start) << c.id;
        EXPECT_EQ(at.next, c.next) << c.id;
        EXPECT_EQ(tabledAt.index, at.index) << c.id;
        EXPECT_EQ(tabledAt.start, c.start) << c.id;
        EXPECT_EQ(tabledAt.next, c.next) << c.id;
        EXPECT_EQ(general.start, c.start) << c.id;
        EXPECT_EQ(general.next, c.next) << c.id;
        EXPECT_EQ(tabled.start, c.start) << c.id;
        EXPECT_EQ(tabled.next, c.next) << c.id;
    }
}

/* Interval numbers by multiplication against the floor division, at the
 * ends of the range the multiplication takes and past them. */
TEST(UnitFamilies, IntervalNumbersMatchTheFloorDivision)
{
    constexpr int64_t kBias = int64_t(1) << 21;
    for (int64_t length = 1; length <= 66; ++length) {
        ZintUnits u{};
        u.length = length;
        u.lengthInverse = length <= 64 ? ((uint64_t(1) << 34) + uint64_t(length) - 1) / uint64_t(length) : 0;
        for (int64_t lead : {int64_t(0), int64_t(1), length - 1, length + 5}) {
            u.lead = lead;
            const int64_t edges[] = {-length * kBias - lead,     /* moved up: 0 */
                                     -length * kBias - lead - 1, /* below the range */
                                     (int64_t(1) << 28) - length * kBias - lead - 1,
                                     (int64_t(1) << 28) - length * kBias - lead,
                                     -138062, -1, 0, 1, 6589335, 40000000};
            for (int64_t edge : edges)
                for (int64_t k = edge - 3; k <= edge + 3; ++k)
                    ASSERT_EQ(zintIntervalOf(u, k), zintFloorDiv(k + lead, length))
                        << "length " << length << " lead " << lead << " k " << k;
        }
    }
}

/* The working day of an index by multiplication against the floor
 * division, at the ends of the range the multiplication takes. */
TEST(UnitFamilies, WorkingDaysMatchTheFloorDivision)
{
    constexpr int64_t kBias = int64_t(1) << 22;
    for (unsigned mask = 0; mask < 127; ++mask) {
        const ZintWorkWeek &week = zintWorkWeeks[mask];
        const int64_t w = week.working;
        const int64_t edges[] = {1 - w * kBias, (int64_t(1) << 28) - w * kBias, 0, 1, -138062, 6589335};
        for (int64_t edge : edges) {
            for (int64_t k = edge - 8; k <= edge + 8; ++k) {
                const int64_t q = zintFloorDiv(k - 1, w);
                ASSERT_EQ(zintWorkingDayAt(week, k), 7 * q + week.dayAt[k - 1 - q * w])
                    << "mask " << mask << " k " << k;
            }
        }
        /* The bounds kept with the week: the first working day from the
         * first valid day on, the last on or before the last. */
        EXPECT_GE(zintWorkingDayAt(week, week.firstIndex), ZINT_FIRST_DAY) << mask;
        EXPECT_LT(zintWorkingDayAt(week, week.firstIndex - 1), ZINT_FIRST_DAY) << mask;
        EXPECT_LE(zintWorkingDayAt(week, week.lastIndex), ZINT_LAST_DAY) << mask;
        EXPECT_GT(zintWorkingDayAt(week, week.lastIndex + 1), ZINT_LAST_DAY) << mask;
    }
}

}  // namespace
