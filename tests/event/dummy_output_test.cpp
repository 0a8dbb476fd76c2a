/*
 * dummy_output_test.cpp - what the dummy rows rely on when they pair a
 * time ID with the group's observation (event/dummy_output.cpp): an
 * observation read at a time ID of the axis needs no alignment, because
 * every time ID the driver steps with a built-in interval and the begin,
 * middle or end alignment is its own aligned value.  Checked for every
 * built-in date and datetime interval, shifted and multiplied ones among
 * them, from start days spread over 1981 to 2036.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>

#include "interval/interval_names.h"
#include "interval/intnx.h"
#include "tests/event/dummy_series.h"
#include "tests/support/module_host.h"

namespace {

TEST(DummyRows, TimeIdsOfAnAxisAreTheirOwnAlignedValues)
{
    orvtest::moduleHost();
    const char *const intervals[] = {
        "DAY",     "DAY3.2",   "WEEKDAY", "WEEKDAY17W", "WEEKDAY3.2", "WEEK",      "WEEK.3",   "WEEK2.5",
        "WEEKV",   "TENDAY",   "SEMIMONTH", "MONTH",    "MONTH2.2",   "QTR",       "QTR.2",    "SEMIYEAR",
        "YEAR",    "YEAR.7",   "YEARV",   "R445MON",    "R454QTR",    "R544YR",    "DTDAY",    "DTWEEK.2",
        "DTMONTH", "DTQTR",    "HOUR",    "HOUR8.3",    "MINUTE15",   "SECOND",    "DTWEEKDAY", "OBS",
    };
    const char alignments[] = {'B', 'M', 'E'};
    for (const char *name : intervals) {
        ZINT_DESC interval{};
        ASSERT_EQ(zintstr(name, int(std::strlen(name)), &interval), 0) << name;
        const bool seconds = interval.kind == 's';
        for (char align : alignments) {
            for (int year = 1981; year <= 2036; year += 5) {
                double base = orvtest::day(year, 1 + year % 12, 1 + year % 28);
                if (seconds) base = base * 86400 + 3600 * (year % 24) + 61;
                for (int i = 0; i < 40; ++i) {
                    const double t = zintnx3(&interval, align, nullptr, base, double(i));
                    const double aligned = zintnx3(&interval, align, nullptr, t, 0);
                    ASSERT_EQ(std::bit_cast<uint64_t>(aligned), std::bit_cast<uint64_t>(t))
                        << name << " " << align << " base " << base << " step " << i << ": " << t << " aligns to "
                        << aligned;
                }
            }
        }
    }
    orvtest::takeLog();
}

}  // namespace
