/*
 * interval_property_test.cpp - laws that INTNX and INTCK must keep for
 * every built-in interval, every multiplier of {1, 2, 3, 5, 7}, every
 * shift that multiplier allows and random values:
 *   INTNX(x, 0) <= x < INTNX(x, 1);
 *   INTCK(INTNX(x, 0), x) = 0 and INTCK(x, INTNX(x, n)) = n;
 *   the end and middle alignments lie inside x's interval, and the
 *   same-position step lands n intervals on, n whole intervals away.
 */
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "host/missing_values.h"
#include "interval/day_math.h"
#include "interval/intck.h"
#include "interval/interval_names.h"
#include "interval/interval_table.h"
#include "interval/intnx.h"
#include "tests/support/module_host.h"

namespace {

struct Violation {
    int count = 0;
    void report(const std::string &what)
    {
        if (++count <= 20) ADD_FAILURE() << what;
    }
};

std::string describe(const ZINT_DESC &desc, double x, double n)
{
    return std::string(desc.name) + " x=" + std::to_string(int64_t(x)) +
           " n=" + std::to_string(int64_t(n));
}

void checkLaws(const ZINT_DESC &desc, double x, double n, Violation &violations)
{
    const double start = zintnx2(&desc, x, 0);
    const double next = zintnx2(&desc, x, 1);
    const double target = zintnx2(&desc, x, n);
    if (orvIsMissing(start) || orvIsMissing(next) || orvIsMissing(target)) {
        violations.report("missing step " + describe(desc, x, n));
        return;
    }
    if (!(start <= x && x < next))
        violations.report("x outside its interval " + describe(desc, x, n));
    if (zintck2(&desc, start, x) != 0)
        violations.report("INTCK(start, x) != 0 " + describe(desc, x, n));
    if (zintck2(&desc, x, target) != n)
        violations.report("INTCK(x, INTNX(x, n)) != n " + describe(desc, x, n));
    if (zintck2(&desc, target, x) != -n)
        violations.report("INTCK back != -n " + describe(desc, x, n));

    const double end = zintnx3(&desc, 'E', nullptr, x, 0);
    const double middle = zintnx3(&desc, 'M', nullptr, x, 0);
    if (!(start <= middle && middle <= end && end < next))
        violations.report("E or M outside the interval " + describe(desc, x, n));
    const double same = zintnx3(&desc, 'S', nullptr, x, n);
    if (orvIsMissing(same) || zintck2(&desc, x, same) != n || zintnx2(&desc, same, 0) != target)
        violations.report("S not in the target interval " + describe(desc, x, n));
    /* Stepping to the same position covers n whole intervals, forwards and
     * backwards. */
    if (zintck3(&desc, x, same) != n)
        violations.report("continuous count != n " + describe(desc, x, n));
    /* Time IDs stepped from x with any alignment lie one interval apart:
     * the group reader's order check takes them so without counting. */
    for (char align : {'B', 'M', 'E', 'S'}) {
        const double here = zintnx3(&desc, align, nullptr, x, n);
        const double after = zintnx3(&desc, align, nullptr, x, n + 1);
        if (zintck2(&desc, here, after) != 1)
            violations.report(std::string("stepped IDs not one apart, ") + align + " " +
                              describe(desc, x, n));
    }
}

/* Every built-in code but NONE and custom, with its value domain. */
struct CodeDomain {
    int code;
    double low, high; /* values of its kind */
};

TEST(IntervalLaws, EveryCodeMultiplierAndShift)
{
    orvtest::moduleHost();
    /* Days from 1700 to 19800 keep 20 steps of 7 years inside the valid
     * range. */
    const double lowDay = -94963, highDay = 6515960;
    std::mt19937_64 random(20240605);
    Violation violations;
    int checked = 0;
    for (const ZintBaseEntry &entry : zintBaseEntries()) {
        if (entry.code == ZINT_NONE || entry.code == ZINT_CUSTOM) continue;
        const bool calendar = entry.code >= ZINT_FIRST_CALENDAR_CODE;
        for (int m : {1, 2, 3, 5, 7}) {
            for (int shift = 1; shift <= entry.shiftLimit * m; ++shift) {
                const std::string name =
                    std::string(entry.name) + std::to_string(m) + "." + std::to_string(shift);
                ZINT_DESC desc;
                ASSERT_EQ(zintstr(name.c_str(), -1, &desc), 0) << name;
                /* The DT form of calendar codes, on datetimes, for every
                 * other shift. */
                const int forms = calendar && shift % 2 == 1 ? 2 : 1;
                for (int form = 0; form < forms; ++form) {
                    if (form == 1) desc.kind = 's';
                    const double scale = form == 1 ? 86400 : 1;
                    for (int i = 0; i < 6; ++i) {
                        double x = 0;
                        if (calendar) {
                            std::uniform_real_distribution<double> days(lowDay, highDay);
                            x = std::floor(days(random) * scale);
                        } else {
                            std::uniform_int_distribution<int64_t> values(-10000000000,
                                                                          10000000000);
                            x = double(values(random));
                        }
                        const double n =
                            double(std::uniform_int_distribution<int>(-20, 20)(random));
                        checkLaws(desc, x, n, violations);
                        ++checked;
                    }
                }
            }
        }
    }
    EXPECT_EQ(violations.count, 0);
    EXPECT_GT(checked, 15000);
}

TEST(IntervalLaws, WeekdaysWithEveryDaysOffSet)
{
    /* Every set of one to six days off, multipliers 1 to 3 and their shifts,
     * from every day of a fortnight (so every weekday, day off or not). */
    Violation violations;
    for (int mask = 1; mask < 127; ++mask) {
        std::string name = "WEEKDAY";
        for (int day = 0; day < 7; ++day)
            if (mask & (1 << day)) name += char('1' + day);
        name += "W";
        for (int m = 1; m <= 3; ++m) {
            for (int shift = 1; shift <= m; ++shift) {
                const std::string full = name + std::to_string(m) + "." + std::to_string(shift);
                ZINT_DESC desc;
                ASSERT_EQ(zintstr(full.c_str(), -1, &desc), 0) << full;
                for (double x = 1000; x < 1014; ++x)
                    checkLaws(desc, x, double(int(x) % 9 - 4), violations);
            }
        }
    }
    EXPECT_EQ(violations.count, 0);
}

}  // namespace
