/*
 * exact_copies.cpp - many copies of occurrences merged at once by ADD or
 * MULT where every merge is exact (see exact_copies.h).
 */
#include "event/exact_copies.h"

#include <cmath>

#include "event/event_shapes.h"
#include "event/event_support.h"
#include "host/missing_values.h"
#include "host/numeric_utils.h"

namespace {

/* Whole numbers up to this magnitude are doubles, and so are their sums
 * and products that stay within it. */
constexpr __int128 kExactLimit = __int128(1) << 53;

bool wholeWithinLimit(double x) { return std::isfinite(x) && x == std::trunc(x) && std::fabs(x) <= 0x1p53; }

/* |x| of a whole number within the limit. */
__int128 magnitude(double x) { return __int128(std::fabs(x)); }

/* What the copies merged at one observation give, as exact integers. */
struct Merged {
    bool touched = false;
    bool zero = false;     /* MULT: a factor 0 */
    bool negative = false; /* MULT: the sign of the product */
    __int128 sum = 0;      /* ADD */
    __int128 size = 0;     /* ADD: the sum of magnitudes; MULT: the product's magnitude (from 1) */
};

/* Adds `copies` copies of the whole number s; false when not exact. */
bool merge(Merged &m, int rule, double s, int64_t copies)
{
    if (!wholeWithinLimit(s)) return false;
    const __int128 term = __int128(s);
    const __int128 size = magnitude(s);
    m.touched = true;
    if (rule == ZTSEV_RULE_ADD) {
        m.sum += term * copies;
        m.size += size * copies;
        return m.size <= kExactLimit;
    }
    if (term == 0) {
        m.zero = true;
        return true;
    }
    if (term < 0 && copies % 2 != 0) m.negative = !m.negative;
    for (int64_t k = 0; size != 1 && k < copies; ++k) {
        m.size *= size;
        if (m.size > kExactLimit) return false;
    }
    return true;
}

/* The value at one observation after the copies, from `before`; false
 * when not exact. */
bool result(const Merged &m, int rule, double before, double *out)
{
    if (!m.touched) {
        *out = before;
        return true;
    }
    __int128 exact = 0;
    if (rule == ZTSEV_RULE_ADD) {
        exact = m.sum;
        if (!orvIsMissing(before)) {
            if (!wholeWithinLimit(before) || magnitude(before) + m.size > kExactLimit) return false;
            exact += __int128(before);
        }
    } else if (!m.zero) {
        exact = m.negative ? -m.size : m.size;
        if (!orvIsMissing(before)) {
            if (!wholeWithinLimit(before) || magnitude(before) * m.size > kExactLimit) return false;
            exact *= __int128(before);
        }
    }
    /* A zero is written as +0, as every merge gives it. */
    *out = exact == 0 ? 0.0 : double(exact);
    return true;
}

}  // namespace

bool ztsevMergeCopiesExactly(const ZTSEV_EVENT *event, const ZTSEV_EVENT *key, const ZTSEV_SERIES *series,
                             const std::vector<ZTSEV_REPEATED> &occurrences, double *values, MEMORY_OBJECT *scratch)
{
    const int rule = event->effective.rule;
    if (rule != ZTSEV_RULE_ADD && rule != ZTSEV_RULE_MULT) return false;
    const int64_t n = series->count;
    auto *alone = static_cast<double *>(ztsevAllocArray(scratch, n, sizeof(double)));
    std::vector<Merged> merged(static_cast<size_t>(n), Merged{.size = rule == ZTSEV_RULE_MULT ? 1 : 0});
    bool exact = true;
    for (size_t o = 0; exact && o < occurrences.size(); ++o) {
        const ZTSEV_REPEATED &repeated = occurrences[o];
        vzfdl(alone, n, orvMissing());
        if (ZTSEVDate2Shape(repeated.occurrence.value, repeated.occurrence.kind, event, key, series, alone) != 0) {
            exact = false;
            break;
        }
        for (int64_t i = 0; exact && i < n; ++i)
            if (!orvIsMissing(alone[i])) exact = merge(merged[size_t(i)], rule, alone[i], repeated.copies);
    }
    /* The results go to `alone` first, so that values stay untouched
     * unless every one is exact. */
    for (int64_t i = 0; exact && i < n; ++i) exact = result(merged[size_t(i)], rule, values[i], &alone[i]);
    if (exact)
        for (int64_t i = 0; i < n; ++i) values[i] = alone[i];
    ztsevFree(scratch, alone);
    return exact;
}
