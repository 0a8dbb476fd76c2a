/*
 * numeric_utils_test.cpp - maximum and minimum, the guarded power with its
 * statuses and thresholds, filling and strided copying.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "host/missing_values.h"
#include "host/numeric_utils.h"

namespace {

uint64_t bitsOf(double value) { return std::bit_cast<uint64_t>(value); }

TEST(NumericUtils, MaxAndMin)
{
    constexpr int imin = std::numeric_limits<int>::min();
    constexpr int imax = std::numeric_limits<int>::max();
    constexpr int64_t lo = std::numeric_limits<int64_t>::min();
    constexpr int64_t hi = std::numeric_limits<int64_t>::max();
    struct Case {
        const char *id;
        int64_t a, b, larger, smaller;
        bool fitsInt;
    };
    const Case cases[] = {
        {"ordered", 1, 2, 2, 1, true},
        {"reversed", 2, 1, 2, 1, true},
        {"equal", -7, -7, -7, -7, true},
        {"signs", -3, 3, 3, -3, true},
        {"int extremes", imin, imax, imax, imin, true},
        {"int64 extremes", hi, lo, hi, lo, false},
        {"beyond int", int64_t(imax) + 1, imax, int64_t(imax) + 1, imax, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(lmax(c.a, c.b), c.larger);
        EXPECT_EQ(lmin(c.a, c.b), c.smaller);
        if (c.fitsInt) {
            EXPECT_EQ(max(int(c.a), int(c.b)), int(c.larger));
            EXPECT_EQ(min(int(c.a), int(c.b)), int(c.smaller));
        }
    }
}

TEST(NumericUtils, ZpowerRules)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::bit_cast<double>(ORV_MISSING_BITS);
    const double M = nan; /* expected: the ordinary missing value */
    struct Case {
        const char *id;
        double x, y;
        int status;
        double expected;
    };
    const Case cases[] = {
        {"0^2", 0, 2, ZPOWER_OK, 0.0},
        {"0^0", 0, 0, ZPOWER_ZERO_BASE, M},
        {"0^-1", 0, -1, ZPOWER_ZERO_BASE, M},
        {"-0^0", -0.0, 0, ZPOWER_ZERO_BASE, M},
        {"0^missing", 0, nan, ZPOWER_ZERO_BASE, M},
        {"5^0", 5, 0, ZPOWER_OK, 1.0},
        {"-7.5^1", -7.5, 1, ZPOWER_OK, -7.5},
        {"-8^(1/3)", -8, 1.0 / 3.0, ZPOWER_NEGATIVE_BASE, M},
        {"-1^0.5", -1, 0.5, ZPOWER_NEGATIVE_BASE, M},
        {"-2^missing", -2, nan, ZPOWER_NEGATIVE_BASE, M},
        {"-2^3", -2, 3, ZPOWER_OK, -8.0},
        {"-2^-3", -2, -3, ZPOWER_OK, -0.125},
        {"-3^3", -3, 3, ZPOWER_OK, -27.0},
        {"-3^2", -3, 2, ZPOWER_OK, 9.0},
        {"2^-3", 2, -3, ZPOWER_OK, 0.125},
        {"0.5^-2", 0.5, -2, ZPOWER_OK, 4.0},
        {"-1^7", -1, 7, ZPOWER_OK, -1.0},
        {"-1^-8", -1, -8, ZPOWER_OK, 1.0},
        {"1^missing", 1, nan, ZPOWER_OK, 1.0},
        {"1^2^600", 1, 0x1p600, ZPOWER_OK, 1.0},
        {"-3^2^53", -3, 0x1p53, ZPOWER_NEGATIVE_BASE, M},
        {"-1^2^53", -1, 0x1p53, ZPOWER_NEGATIVE_BASE, M},
        {"-3^(2^53-1)", -3, 0x1p53 - 1, ZPOWER_OVERFLOW, M},
        {"3^2^600", 3, 0x1p600, ZPOWER_OVERFLOW, M},
        {"3^-2^600", 3, -0x1p600, ZPOWER_OK, 0.0},
        {"0.5^2^600", 0.5, 0x1p600, ZPOWER_OK, 0.0},
        {"0.5^-2^600", 0.5, -0x1p600, ZPOWER_OVERFLOW, M},
        {"10^400", 10, 400, ZPOWER_OVERFLOW, M},
        {"10^-400", 10, -400, ZPOWER_OK, 0.0},
        {"10^308", 10, 308, ZPOWER_OK, 1e308},
        {"2^1023", 2, 1023, ZPOWER_OK, 0x1p1023},
        {"2^1024", 2, 1024, ZPOWER_OVERFLOW, M},
        {"2^-1021", 2, -1021, ZPOWER_OK, 0x1p-1021},
        {"2^-1030 (subnormal) gives 0", 2, -1030, ZPOWER_OK, 0.0},
        {"1e-310^-1", 1e-310, -1, ZPOWER_OVERFLOW, M},
        {"-inf^2", -inf, 2, ZPOWER_OVERFLOW, M},
        {"inf^-1", inf, -1, ZPOWER_OK, 0.0},
        /* Exactly representable results of the binary exponentiation. */
        {"10^22", 10, 22, ZPOWER_OK, 1e22},
        {"3^33", 3, 33, ZPOWER_OK, 5559060566555523.0},
        {"-3^33", -3, 33, ZPOWER_OK, -5559060566555523.0},
        {"2^-60", 2, -60, ZPOWER_OK, 0x1p-60},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        int status = -1;
        const double r = zpower(&status, c.x, c.y);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(bitsOf(r), bitsOf(c.expected)) << r << " expected " << c.expected;
    }
}

TEST(NumericUtils, ZpowerAgreesWithPow)
{
    struct Case {
        const char *id;
        double x, y;
        double relativeTolerance; /* 0: identical */
    };
    const Case cases[] = {
        {"non-integral", 1.5, 10.25, 0},
        {"cube root", 7, 1.0 / 3.0, 0},
        {"large integral", 0.9, 700, 0}, /* |t| above 104 ln 2: the library pow */
        {"small integral", 1.5, 20, 1e-15},
        {"negative exponent", 2.5, -3, 1e-15},
        {"odd power of a negative base", -1.1, 21, 1e-15},
        {"seventh of 7.3", 7.3, 11, 1e-15},
        {"many squarings", 1.0001, 5000, 1e-12},
        {"near 104 ln 2", 1.1, 756, 1e-13},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        int status = -1;
        const double r = zpower(&status, c.x, c.y);
        const double expected = std::pow(c.x, c.y);
        EXPECT_EQ(status, ZPOWER_OK);
        if (c.relativeTolerance == 0)
            EXPECT_EQ(r, expected);
        else
            EXPECT_NEAR(r, expected, std::fabs(expected) * c.relativeTolerance);
    }
}

/* From the exponent the search gives on, every power is 0; just before it
 * the power is a normal double.  Expected exponents: ln(2^-1022) / ln|x|,
 * rounded up (ln 2^-1022 = -708.3964). */
TEST(NumericUtils, PowersVanishFromOneExponentOn)
{
    const struct {
        double x;
        int64_t expected;
    } cases[] = {{0.5, 1022}, {-0.5, 1022}, {0.9, 6724}, {0.01, 154}, {0.999, 708043},
                 {1e-310, 2}, /* x^1 is x itself, though ln x is below ln 2^-1022 */
                 {0, 1},      {1, -1}, {-1, -1}, {1.5, -1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.x);
        const int64_t k = zpowerVanishesFrom(c.x);
        EXPECT_EQ(k, c.expected);
        if (k < 0) continue;
        int status = -1;
        for (int64_t after : {int64_t(0), int64_t(1), int64_t(999), int64_t(1) << 40})
            EXPECT_EQ(zpower(&status, c.x, double(k + after)), 0.0) << after;
        if (k > 1) {
            EXPECT_GE(std::fabs(zpower(&status, c.x, double(k - 1))), c.x == 1e-310 ? 1e-310 : DBL_MIN);
        }
    }
}

TEST(NumericUtils, FillAndScatter)
{
    const double A = std::bit_cast<double>(orvLetterMissingBits(0));
    const double Z = std::bit_cast<double>(orvLetterMissingBits(25));
    struct Case {
        const char *id;
        int64_t n;
        double value;
        std::vector<uint64_t> filled; /* the 4 elements after vzfdl, as bits */
    };
    const uint64_t seven = bitsOf(7.0);
    const Case cases[] = {
        {"count 0", 0, 1.0, {seven, seven, seven, seven}},
        {"negative count", -3, 1.0, {seven, seven, seven, seven}},
        {"three of four", 3, 0.0, {0, 0, 0, seven}},
        {"lettered missing", 4, A, {bitsOf(A), bitsOf(A), bitsOf(A), bitsOf(A)}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<double> values(4, 7.0);
        vzfdl(values.data(), c.n, c.value);
        for (size_t i = 0; i < 4; ++i) EXPECT_EQ(bitsOf(values[i]), c.filled[i]) << i;
    }

    struct ScatterCase {
        const char *id;
        int64_t stride, n;
        std::vector<double> expected; /* destination of 7 elements after zvmovj1 */
    };
    const ScatterCase scatters[] = {
        {"count 0", 3, 0, {7, 7, 7, 7, 7, 7, 7}},
        {"negative count", 3, -1, {7, 7, 7, 7, 7, 7, 7}},
        {"stride 3", 3, 3, {1, 7, 7, 2, 7, 7, 3}},
        {"stride 1", 1, 4, {1, 2, 3, -4, 7, 7, 7}},
        {"stride 2", 2, 2, {1, 7, 2, 7, 7, 7, 7}},
    };
    const double source[] = {1, 2, 3, -4};
    for (const ScatterCase &c : scatters) {
        SCOPED_TRACE(c.id);
        std::vector<double> destination(7, 7.0);
        zvmovj1(destination.data(), c.stride, source, c.n);
        EXPECT_EQ(destination, c.expected);
    }

    /* The letter of a missing value survives the copy. */
    const double missing[] = {Z, A};
    double row[4] = {0, 0, 0, 0};
    zvmovj1(row, 2, missing, 2);
    EXPECT_EQ(bitsOf(row[0]), orvLetterMissingBits(25));
    EXPECT_EQ(bitsOf(row[2]), orvLetterMissingBits(0));
}

}  // namespace
