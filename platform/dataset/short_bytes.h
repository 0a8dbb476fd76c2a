/*
 * short_bytes.h - comparing and copying the few bytes of a cell (a BY key,
 * a code, a short row) by word loads, without a call.
 *
 * Texts of up to 16 bytes are compared, and up to 32 copied, as two words
 * that may overlap in the middle and never reach outside the n bytes; a
 * byte loop over them costs several times as much for every row, and a
 * library call as much again.  Longer runs go to memcmp and memcpy.
 *
 * Exports: sameShortBytes, copyShortBytes.
 */
#ifndef ORV_PLATFORM_DATASET_SHORT_BYTES_H
#define ORV_PLATFORM_DATASET_SHORT_BYTES_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace orvhost {

namespace short_bytes_detail {

struct Bytes16 {
    uint64_t low, high;
};

template <typename Word>
inline Word load(const uint8_t *p)
{
    Word w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

template <typename Word>
inline void store(uint8_t *p, Word w)
{
    std::memcpy(p, &w, sizeof w);
}

}  // namespace short_bytes_detail

/* True when the n bytes at a and b are the same. */
inline bool sameShortBytes(const uint8_t *a, const uint8_t *b, size_t n)
{
    using short_bytes_detail::load;
    if (n > 16) return std::memcmp(a, b, n) == 0;
    if (n >= 8) return load<uint64_t>(a) == load<uint64_t>(b) && load<uint64_t>(a + n - 8) == load<uint64_t>(b + n - 8);
    if (n >= 4) return load<uint32_t>(a) == load<uint32_t>(b) && load<uint32_t>(a + n - 4) == load<uint32_t>(b + n - 4);
    uint8_t differ = 0;
    for (size_t i = 0; i < n; ++i) differ |= a[i] ^ b[i];
    return differ == 0;
}

/* Copies n bytes from `from` to `to`.  REQUIRES: the ranges do not
 * overlap. */
inline void copyShortBytes(uint8_t *to, const uint8_t *from, size_t n)
{
    using short_bytes_detail::Bytes16;
    using short_bytes_detail::load;
    using short_bytes_detail::store;
    if (n > 32) {
        std::memcpy(to, from, n);
    } else if (n > 16) {
        const Bytes16 first = load<Bytes16>(from), last = load<Bytes16>(from + n - 16);
        store(to, first);
        store(to + n - 16, last);
    } else if (n >= 8) {
        const uint64_t first = load<uint64_t>(from), last = load<uint64_t>(from + n - 8);
        store(to, first);
        store(to + n - 8, last);
    } else if (n >= 4) {
        const uint32_t first = load<uint32_t>(from), last = load<uint32_t>(from + n - 4);
        store(to, first);
        store(to + n - 4, last);
    } else {
        for (size_t i = 0; i < n; ++i) to[i] = from[i];
    }
}

}  // namespace orvhost

#endif
