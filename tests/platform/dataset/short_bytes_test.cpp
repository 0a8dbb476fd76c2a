/*
 * short_bytes_test.cpp - the word-load comparison and copy of short cells
 * against memcmp and memcpy: every length up to past the word sizes, a
 * difference at every position, and guard bytes around the copy that must
 * stay as they were (the overlapping word stores must not reach outside
 * the n bytes).
 */
#include "platform/dataset/short_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kLongest = 36; /* past the 16 bytes compared and 32 copied by words */
constexpr size_t kGuard = 8;
constexpr uint8_t kGuardByte = 0xA5;

std::vector<uint8_t> pattern(size_t n, uint8_t seed)
{
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = uint8_t(seed + 7 * i);
    return bytes;
}

TEST(ShortBytes, SameAsMemcmpForEveryLengthAndDifference)
{
    for (size_t n = 0; n <= kLongest; ++n) {
        const std::vector<uint8_t> a = pattern(n, 1);
        std::vector<uint8_t> b = a;
        SCOPED_TRACE("n=" + std::to_string(n) + " equal");
        EXPECT_TRUE(orvhost::sameShortBytes(a.data(), b.data(), n));
        for (size_t at = 0; at < n; ++at) {
            for (uint8_t flip : {uint8_t(0x01), uint8_t(0x80)}) {
                b = a;
                b[at] ^= flip;
                SCOPED_TRACE("n=" + std::to_string(n) + " differ at " + std::to_string(at) + " by " +
                             std::to_string(flip));
                EXPECT_EQ(orvhost::sameShortBytes(a.data(), b.data(), n), std::memcmp(a.data(), b.data(), n) == 0);
                EXPECT_FALSE(orvhost::sameShortBytes(a.data(), b.data(), n));
            }
        }
    }
}

TEST(ShortBytes, CopiesExactlyTheBytesAsked)
{
    for (size_t n = 0; n <= kLongest; ++n) {
        SCOPED_TRACE("n=" + std::to_string(n));
        const std::vector<uint8_t> from = pattern(kLongest, 3); /* the first n copied */
        std::vector<uint8_t> to(kGuard + n + kGuard, kGuardByte);
        orvhost::copyShortBytes(to.data() + kGuard, from.data(), n);
        for (size_t i = 0; i < kGuard; ++i) {
            EXPECT_EQ(to[i], kGuardByte) << "guard before, byte " << i;
            EXPECT_EQ(to[kGuard + n + i], kGuardByte) << "guard after, byte " << i;
        }
        EXPECT_EQ(std::memcmp(to.data() + kGuard, from.data(), n), 0);
    }
}

}  // namespace
