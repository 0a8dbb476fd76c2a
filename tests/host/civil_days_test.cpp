/*
 * civil_days_test.cpp - the two ways of converting between day numbers and
 * civil dates (32-bit in the fast range, 400-year eras beyond) against each
 * other: every day of the interval library's range and far beyond it, the
 * ends of the fast range, and the choice between them at those ends.
 */
#include <gtest/gtest.h>

#include <cstdint>

#include "host/civil_days.h"

namespace {

void expectSameDate(int64_t day)
{
    const OrvCivilDate fast = orvCivilFromDaysFast(day);
    const OrvCivilDate eras = orvCivilFromDaysByEras(day);
    ASSERT_EQ(fast.year, eras.year) << day;
    ASSERT_EQ(fast.month, eras.month) << day;
    ASSERT_EQ(fast.day, eras.day) << day;
    ASSERT_EQ(orvDaysFromCivilFast(eras.year, eras.month, eras.day), day) << day;
}

TEST(CivilDays, FastFormsMatchTheEraForms)
{
    /* Every day from 1 January 1582 to 20000 and a stride over the rest of
     * the fast range. */
    for (int64_t day = -138061; day <= 6589335; ++day) expectSameDate(day);
    for (int64_t day = ORV_FAST_FIRST_DAY; day <= ORV_FAST_LAST_DAY; day += 997) expectSameDate(day);
    for (int64_t day = ORV_FAST_LAST_DAY - 2000; day <= ORV_FAST_LAST_DAY; ++day) expectSameDate(day);
    for (int64_t day = ORV_FAST_FIRST_DAY; day <= ORV_FAST_FIRST_DAY + 2000; ++day)
        expectSameDate(day);
}

TEST(CivilDays, EitherSideOfTheFastRange)
{
    struct Case {
        const char *id;
        int64_t year;
        int month, day;
    };
    const Case cases[] = {
        {"last day before the fast range", -30001, 12, 31},
        {"first day of the fast range", -30000, 1, 1},
        {"leap day in the fast range", -29996, 2, 29},
        {"last day of the fast range", 1900000, 12, 31},
        {"first day after it", 1900001, 1, 1},
        {"far beyond", 123456789, 2, 28},
        {"far before", -123456789, 3, 1},
    };
    for (const Case &c : cases) {
        const int64_t day = orvDaysFromCivil(c.year, c.month, c.day);
        EXPECT_EQ(day, orvDaysFromCivilByEras(c.year, c.month, c.day)) << c.id;
        const OrvCivilDate back = orvCivilFromDays(day);
        EXPECT_EQ(back.year, c.year) << c.id;
        EXPECT_EQ(back.month, c.month) << c.id;
        EXPECT_EQ(back.day, c.day) << c.id;
    }
}

}  // namespace
