/*
 * overflow_guard_test.cpp - steps and counts whose 64-bit products would
 * wrap: each input is chosen so that the wrapped product lands on a day in
 * the valid range (1581 to 20000), so an unguarded product gives a
 * plausible date instead of a missing value, in a build without
 * sanitizers too (day -138061 is 1 January 1582, the first valid day;
 * -4536 months from January 1960 is January 1582).  The step counts solve
 * multiplier * n = t (mod 2^64)
 * for a small t (a few lines of Python: n = t * pow(m, -1, 2**64) % 2**64,
 * kept where n <= 2^53).
 */
#include <gtest/gtest.h>

#include "host/missing_values.h"
#include "interval/intck.h"
#include "interval/interval_names.h"
#include "interval/intnx.h"
#include "tests/support/module_host.h"

namespace {

TEST(OverflowGuards, WrappedProductsGiveMissing)
{
    orvtest::moduleHost();
    struct Case {
        const char *id;
        const char *interval;
        double n; /* steps from day 0, 1 January 1960 */
    };
    const Case cases[] = {
        /* DAY: 2147483647 * n wraps to -138060. */
        {"DAY multiple", "DAY2147483647", 296481592580940.0},
        /* WEEK: 7 * 2147483647 * n wraps to -138040. */
        {"WEEK multiple", "WEEK2147483647", 42348377558280.0},
        /* WEEKDAY: n * 2147483647 wraps to -98000 working days. */
        {"WEEKDAY multiple", "WEEKDAY2147483647", 210453397602000.0},
        /* MONTH: the month index 2147483647 * n wraps to -4536. */
        {"MONTH multiple", "MONTH2147483647", 9740985831864.0},
        /* YEARV: 2147483647 * (n - 1) wraps to -376, the week-year 1584. */
        {"YEARV multiple", "YEARV2147483647", 807453852025.0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZINT_DESC desc{};
        ASSERT_EQ(zintstr(c.interval, -1, &desc), 0);
        EXPECT_TRUE(orvIsMissing(zintnx2(&desc, 0, c.n))) << zintnx2(&desc, 0, c.n);
        EXPECT_TRUE(orvIsMissing(zintnx4(&desc, 'B', 0, c.n))) << zintnx4(&desc, 'B', 0, c.n);
    }
}

/* Counting between values beyond 2^62 goes through doubles: converted to
 * 64-bit integers both ends would be the same wrapped number, and the count
 * a plausible 0. */
TEST(OverflowGuards, CountsBeyondTheIntegerRange)
{
    orvtest::moduleHost();
    struct Case {
        const char *id;
        const char *interval;
        double from;
        double to;
        double count;
    };
    const Case cases[] = {
        {"SECOND", "SECOND", 1e19, 3e19, 2e19},
        {"OBS", "OBS", -1e19, 1e19, 2e19},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZINT_DESC desc{};
        ASSERT_EQ(zintstr(c.interval, -1, &desc), 0);
        EXPECT_EQ(zintck2(&desc, c.from, c.to), c.count);
    }
}

}  // namespace
