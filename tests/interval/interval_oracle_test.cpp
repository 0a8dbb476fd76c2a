/*
 * interval_oracle_test.cpp - INTNX and INTCK against independent software,
 * through the CSV files that the scripts in tests/oracle wrote once:
 * pandas Period arithmetic (MONTH, QTR.k, YEAR.k, WEEK.k, WEEKV.k), numpy's
 * business-day functions (WEEKDAY with four sets of days off), dateutil's
 * relativedelta (same-position alignment) and pandas' 52-53-week offsets
 * (retail years and quarters).
 */
#include <gtest/gtest.h>

#include <string>

#include "host/missing_values.h"
#include "interval/day_math.h"
#include "interval/intck.h"
#include "interval/interval_names.h"
#include "interval/intnx.h"
#include "tests/interval/oracle_csv.h"
#include "tests/support/module_host.h"

namespace {

ZINT_DESC parsed(const std::string &name)
{
    ZINT_DESC desc{};
    EXPECT_EQ(zintstr(name.c_str(), -1, &desc), 0) << name;
    return desc;
}

/* Rows of interval, x, n, start, y, count: INTNX and INTCK on dates, and
 * the same on datetimes through the interval's DT form. */
void checkStartsAndCounts(const char *file, size_t minimumRows)
{
    orvtest::moduleHost();
    const auto rows = orvtest::readOracleCsv(file);
    ASSERT_GE(rows.size(), minimumRows);
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(file) + " line " + std::to_string(row.line) + " " + row.fields[0]);
        const ZINT_DESC desc = parsed(row.fields[0]);
        const ZINT_DESC dt = parsed("DT" + row.fields[0]);
        const double x = row.number(1), n = row.number(2), start = row.number(3);
        const double y = row.number(4), count = row.number(5);
        /* Near the ends of the range pandas can step where the library
         * must not: a start before 1 January 1582 is missing. */
        if (zintDayInRange(start)) {
            EXPECT_EQ(zintnx2(&desc, x, n), start);
            EXPECT_EQ(zintnx2(&dt, x * 86400 + 4321, n), start * 86400);
        } else {
            EXPECT_TRUE(orvIsMissing(zintnx2(&desc, x, n)));
        }
        EXPECT_EQ(zintck2(&desc, x, y), count);
        EXPECT_EQ(zintck2(&dt, x * 86400 + 86399, y * 86400), count);
    }
}

TEST(IntervalOracle, PeriodsMatchPandas) { checkStartsAndCounts("interval_periods.csv", 4500); }

TEST(IntervalOracle, WeekdaysMatchNumpy) { checkStartsAndCounts("interval_weekday.csv", 2400); }

TEST(IntervalOracle, SamePositionMatchesRelativedelta)
{
    const auto rows = orvtest::readOracleCsv("interval_same.csv");
    ASSERT_GE(rows.size(), 2000u);
    for (const auto &row : rows) {
        SCOPED_TRACE("interval_same.csv line " + std::to_string(row.line) + " " + row.fields[0]);
        const ZINT_DESC desc = parsed(row.fields[0]);
        const double x = row.number(1), n = row.number(2), expected = row.number(3);
        EXPECT_EQ(zintnx3(&desc, 'S', nullptr, x, n), expected);
        EXPECT_EQ(zintnx4(&desc, 'S', x, n), expected);
    }
}

TEST(IntervalOracle, RetailYearsAndQuartersMatchPandas)
{
    const auto rows = orvtest::readOracleCsv("interval_retail.csv");
    ASSERT_GE(rows.size(), 800u);
    for (const auto &row : rows) {
        SCOPED_TRACE("interval_retail.csv line " + std::to_string(row.line));
        const double x = row.number(1), n = row.number(2), start = row.number(3);
        /* The three calendars share their years and quarters. */
        for (const char *calendar : {"R445", "R454", "R544"}) {
            const ZINT_DESC desc = parsed(calendar + row.fields[0]);
            EXPECT_EQ(zintnx2(&desc, x, n), start) << calendar;
            EXPECT_EQ(zintck2(&desc, x, start), n) << calendar;
        }
    }
}

}  // namespace
