/*
 * custom_test_support.h - the custom-interval fixtures of the interval
 * tests: the library CI of tests/fixtures/custom_intervals (written by
 * tests/oracle/custom_intervals.py, and a few odd data sets by hand), the
 * INTERVALDS option, a fresh manager per case, and the value tokens of
 * the oracle files.
 */
#ifndef ORV_TESTS_INTERVAL_CUSTOM_TEST_SUPPORT_H
#define ORV_TESTS_INTERVAL_CUSTOM_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "host/missing_values.h"
#include "interval/custom_manager.h"
#include "interval/custom_periods.h"
#include "interval/interval_names.h"
#include "tests/support/module_host.h"

namespace orvtest {

/* The INTERVALDS text of the oracle's calendars, and of SMAX, two periods
 * whose first has the largest season, 2147473647. */
inline const char *const kFiscalIntervals =
    "(FISCALQ=CI.FQEND FISCALQN=CI.FQBEGIN FISCALQG=CI.FQGAP SMAX=CI.SEASONMAX)";

/* Sets INTERVALDS and deletes the manager (and every other host
 * resource), so that the next use creates one afresh; assigns CI. */
inline void useIntervalDs(const std::string &option)
{
    orvhost::Host &host = moduleHost();
    std::string error;
    ASSERT_TRUE(host.dataSets().libraries().assign(
        "CI", std::string(ORV_SOURCE_DIR) + "/tests/fixtures/custom_intervals", error))
        << error;
    /* Set as it stands: the module reads texts the host's own check refuses. */
    host.options().setText(orvhost::OptionId::IntervalDs, option);
    host.resources().removeAll();
    takeLog();
}

/* A value of the oracle files: a number, ".", or a position ".F", ".M",
 * ".L", ".I". */
inline double valueOf(const std::string &text)
{
    if (text == ".") return orvMissing();
    if (text.size() == 2 && text[0] == '.') return zintCustomPosition(text[1]);
    return std::stod(text);
}

/* Equal numbers, or the same missing value. */
inline bool sameValue(double a, double b)
{
    if (orvIsMissing(a) || orvIsMissing(b)) return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
    return a == b;
}

inline std::string shown(double v)
{
    if (!orvIsMissing(v)) return std::to_string(v);
    for (char c : {'A', 'B', 'F', 'H', 'I', 'L', 'M'})
        if (zintIsCustomPosition(v, c)) return std::string(".") + c;
    return ".";
}

/* The descriptor of a custom interval name (zintstr must accept it). */
inline ZINT_DESC customDesc(const char *name)
{
    ZINT_DESC desc{};
    EXPECT_EQ(zintstr(name, -1, &desc), 0) << name << "\n" << takeLog();
    return desc;
}

}  // namespace orvtest

#endif
