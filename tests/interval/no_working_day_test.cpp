/*
 * no_working_day_test.cpp - a WEEKDAY descriptor whose every day is a day
 * off (made by hand: no name parses to one) through the seasonality and
 * nesting routines: each gives its "no seasons" or "not comparable"
 * answer, never a count, a day or a loop.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>

#include "host/missing_values.h"
#include "interval/interval_names.h"
#include "interval/interval_nesting.h"
#include "interval/interval_seasons.h"
#include "tests/support/module_host.h"

namespace {

ZINT_DESC parsed(const char *name)
{
    ZINT_DESC desc{};
    EXPECT_EQ(zintstr(name, -1, &desc), 0) << name;
    return desc;
}

/* name with every day of the week off. */
ZINT_DESC everyDayOff(const char *name)
{
    ZINT_DESC desc = parsed(name);
    for (uint8_t &off : desc.daysOff) off = 1;
    return desc;
}

uint64_t bits(double value) { return std::bit_cast<uint64_t>(value); }

TEST(NoWorkingDay, SeasonsAreNone)
{
    orvtest::moduleHost();
    for (const char *name : {"WEEKDAY", "WEEKDAY2", "WEEKDAY5.2"}) {
        SCOPED_TRACE(name);
        const ZINT_DESC off = everyDayOff(name);
        ZINT_DESC cycle;
        std::memset(&cycle, 0x55, sizeof cycle);
        uint32_t count = 99;
        EXPECT_EQ(zintsea(&off, &cycle, &count, 0), 1);
        EXPECT_EQ(count, 0u);
        const ZINT_DESC zero{};
        EXPECT_EQ(std::memcmp(&cycle, &zero, sizeof cycle), 0);
    }

    /* Years and weeks that start on the first working day have no start. */
    ZINT_SEAS off{};
    off.interval = everyDayOff("WEEKDAY");
    struct Case {
        const char *id;
        const char *interval;
    };
    const Case steps[] = {{"years", "YEAR"}, {"semimonths", "SEMIMONTH"}, {"weeks", "WEEK"}};
    for (const Case &c : steps) {
        SCOPED_TRACE(c.id);
        ZINT_SEAS rec{};
        rec.interval = parsed(c.interval);
        EXPECT_EQ(bits(zintnx_seas(&rec, &off, 100, 1)), bits(orvMissing()));
    }
}

TEST(NoWorkingDay, NestingIsNotComparable)
{
    orvtest::moduleHost();
    const ZINT_DESC off = everyDayOff("WEEKDAY");
    const ZINT_DESC off2 = everyDayOff("WEEKDAY2");
    const ZINT_DESC weekday = parsed("WEEKDAY");
    const ZINT_DESC day = parsed("DAY");
    const ZINT_DESC week = parsed("WEEK");
    const ZINT_DESC weekv = parsed("WEEKV");
    const ZINT_DESC hour = parsed("HOUR");
    const ZINT_DESC yearv = parsed("YEARV");
    const ZINT_DESC retail = parsed("R445MON");
    const double none = orvMissing();
    const double noCommonDay = skMissVal('W');
    struct Case {
        const char *id;
        double got;
        double expected;
    };
    const Case cases[] = {
        {"against hours", zintc(&off, &hour), none},
        {"hours against it", zintc(&hour, &off), none},
        {"against days", comp_weekday_day(&off, &day), none},
        {"against weeks", comp_weekday_week(&off, &week), none},
        {"against ISO weeks", comp_weekday_weekv(&off, &weekv), none},
        {"week start", wkdyS2wkS(&off), none},
        {"against week-years", zintc(&off, &yearv), none},
        {"a multiple against week-years", zintc(&off2, &yearv), none},
        {"against retail months", zintc(&off, &retail), none},
        {"against a WEEKDAY", zintc(&off, &weekday), noCommonDay},
        {"against itself", zintc(&off, &off2), noCommonDay},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(bits(c.got), bits(c.expected)) << c.got;
    }
}

}  // namespace
