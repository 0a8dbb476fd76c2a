/*
 * missing_values_test.cpp - the 28 missing-value bit patterns, the letter
 * codes that select them, and the missing/oversized checks.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <vector>

#include "host/missing_values.h"

namespace {

uint64_t bitsOf(double value) { return std::bit_cast<uint64_t>(value); }
double fromBits(uint64_t bits) { return std::bit_cast<double>(bits); }

TEST(MissingValues, LettersSelectTheirPatternInBothCases)
{
    /* Patterns written out by hand: code byte 0xFD for A down to 0xE4 for Z. */
    struct Case {
        char upper, lower;
        uint64_t bits;
    };
    const Case cases[] = {
        {'A', 'a', 0xFFFFFD0000000000}, {'B', 'b', 0xFFFFFC0000000000},
        {'C', 'c', 0xFFFFFB0000000000}, {'D', 'd', 0xFFFFFA0000000000},
        {'E', 'e', 0xFFFFF90000000000}, {'F', 'f', 0xFFFFF80000000000},
        {'G', 'g', 0xFFFFF70000000000}, {'H', 'h', 0xFFFFF60000000000},
        {'I', 'i', 0xFFFFF50000000000}, {'J', 'j', 0xFFFFF40000000000},
        {'K', 'k', 0xFFFFF30000000000}, {'L', 'l', 0xFFFFF20000000000},
        {'M', 'm', 0xFFFFF10000000000}, {'N', 'n', 0xFFFFF00000000000},
        {'O', 'o', 0xFFFFEF0000000000}, {'P', 'p', 0xFFFFEE0000000000},
        {'Q', 'q', 0xFFFFED0000000000}, {'R', 'r', 0xFFFFEC0000000000},
        {'S', 's', 0xFFFFEB0000000000}, {'T', 't', 0xFFFFEA0000000000},
        {'U', 'u', 0xFFFFE90000000000}, {'V', 'v', 0xFFFFE80000000000},
        {'W', 'w', 0xFFFFE70000000000}, {'X', 'x', 0xFFFFE60000000000},
        {'Y', 'y', 0xFFFFE50000000000}, {'Z', 'z', 0xFFFFE40000000000},
    };
    ASSERT_EQ(std::size(cases), 26u);
    for (size_t k = 0; k < std::size(cases); ++k) {
        const Case &c = cases[k];
        SCOPED_TRACE(testing::Message() << "letter " << c.upper);
        EXPECT_EQ(bitsOf(skMissVal(c.upper)), c.bits);
        EXPECT_EQ(bitsOf(skMissVal(c.lower)), c.bits);
        EXPECT_EQ(bitsOf(skmissv_struct[3 + k]), c.bits);
        EXPECT_TRUE(orvIsMissing(skMissVal(c.upper)));
    }
}

TEST(MissingValues, OtherCodes)
{
    struct Case {
        const char *id;
        int code;
        uint64_t bits;
    };
    const Case cases[] = {
        {"dot", '.', 0xFFFFFE0000000000},
        {"underscore", '_', 0xFFFFFF0000000000},
        {"minus", '-', 0xFFFFFF0000000000},
        {"digit 9", '9', 0xFFFFFE0000000000},
        {"blank", ' ', 0xFFFFFE0000000000},
        {"NUL", 0, 0xFFFFFE0000000000},
        {"before A", '@', 0xFFFFFE0000000000},
        {"after Z", '[', 0xFFFFFE0000000000},
        {"before a", '`', 0xFFFFFE0000000000},
        {"after z", '{', 0xFFFFFE0000000000},
        {"Latin-1 letter", 0xE9, 0xFFFFFE0000000000},
        {"negative", -1, 0xFFFFFE0000000000},
        {"A plus 256", 'A' + 256, 0xFFFFFE0000000000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(bitsOf(skMissVal(c.code)), c.bits);
    }
}

TEST(MissingValues, TableHoldsZeroThenTwentyEightDistinctMissingValues)
{
    EXPECT_EQ(bitsOf(skmissv_struct[0]), 0u); /* +0.0, not -0.0 */
    EXPECT_EQ(bitsOf(skmissv_struct[1]), 0xFFFFFF0000000000u);
    EXPECT_EQ(bitsOf(skmissv_struct[2]), 0xFFFFFE0000000000u);
    EXPECT_EQ(bitsOf(orvMissing()), 0xFFFFFE0000000000u);
    std::set<uint64_t> patterns;
    for (int k = 1; k < 29; ++k) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(orvIsMissing(skmissv_struct[k]));
        EXPECT_EQ(zmissr(nullptr, skmissv_struct[k], 1.0), 1);
        /* Code byte 0xFF - (k - 1) in bits 40 to 47, the rest fixed. */
        EXPECT_EQ(bitsOf(skmissv_struct[k]), 0xFFFF000000000000u | uint64_t(0x100 - k) << 40);
        patterns.insert(bitsOf(skmissv_struct[k]));
    }
    EXPECT_EQ(patterns.size(), 28u);
}

TEST(MissingValues, Zmissr)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char *id;
        double value, limit;
        int rc;
        int64_t counted;
    };
    const Case cases[] = {
        {"exactly the limit", 5.0, 5.0, 0, 0},
        {"minus the limit", -5.0, 5.0, 0, 0},
        {"minus one more than the limit", -6.0, 5.0, -1, 1},
        {"above the limit", 5.000000001, 5.0, -1, 1},
        {"zero limit, zero", 0.0, 0.0, 0, 0},
        {"zero limit, negative zero", -0.0, 0.0, 0, 0},
        {"ordinary missing", fromBits(0xFFFFFE0000000000), 1e300, 1, 0},
        {"missing .Z, zero limit", fromBits(0xFFFFE40000000000), 0.0, 1, 0},
        {"foreign quiet NaN", std::nan(""), 1.0, 1, 0},
        {"positive NaN", fromBits(0x7FF8000000000001), 1.0, 1, 0},
        {"infinity", inf, 1e308, -1, 1},
        {"minus infinity", -inf, 1e308, -1, 1},
        {"infinite limit", 1e308, inf, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        int64_t counter = 10;
        EXPECT_EQ(zmissr(&counter, c.value, c.limit), c.rc);
        EXPECT_EQ(counter, 10 + c.counted);
        EXPECT_EQ(zmissr(nullptr, c.value, c.limit), c.rc);
    }
}

TEST(MissingValues, ZmissrnStopsAtTheFirstBadElement)
{
    const double M = fromBits(0xFFFFFE0000000000);
    const double A = fromBits(0xFFFFFD0000000000);
    struct Case {
        const char *id;
        std::vector<double> values;
        int64_t n; /* elements scanned; may be less than values.size() */
        int rc;
        int64_t counted;
    };
    const Case cases[] = {
        {"oversized then missing", {100.0, M}, 2, -1, 1},
        {"missing then oversized", {M, 100.0}, 2, 1, 0},
        {"two oversized count once", {1.0, -100.0, 100.0}, 3, -1, 1},
        {"lettered missing last", {1.0, 2.0, A}, 3, 1, 0},
        {"all fine", {1.0, -10.0, 10.0}, 3, 0, 0},
        {"bad element beyond n", {1.0, M}, 1, 0, 0},
        {"count zero", {M}, 0, 0, 0},
        {"negative count", {M}, -5, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        int64_t counter = 0;
        EXPECT_EQ(zmissrn(c.values.data(), c.n, &counter, 10.0), c.rc);
        EXPECT_EQ(counter, c.counted);
        EXPECT_EQ(zmissrn(c.values.data(), c.n, nullptr, 10.0), c.rc);
    }
}

}  // namespace
