/*
 * missing_values.cpp - the table of the host's missing values, the missing
 * value of a letter code and the missing/oversized checks.
 *
 * Exports: skmissv_struct, skMissVal, zmissr, zmissrn.
 */
#include "host/missing_values.h"

#include <cmath>
#include <iterator>

namespace {
constexpr double fromBits(uint64_t bits) { return std::bit_cast<double>(bits); }
}  // namespace

/* Built from the bit patterns, not from NAN: the letter of a missing value
 * lives in its payload, which arithmetic on NaNs would not preserve. */
const double skmissv_struct[29] = {
    0.0,
    fromBits(ORV_MISSING_UNDERSCORE_BITS),
    fromBits(ORV_MISSING_BITS),
    fromBits(orvLetterMissingBits(0)),  fromBits(orvLetterMissingBits(1)),
    fromBits(orvLetterMissingBits(2)),  fromBits(orvLetterMissingBits(3)),
    fromBits(orvLetterMissingBits(4)),  fromBits(orvLetterMissingBits(5)),
    fromBits(orvLetterMissingBits(6)),  fromBits(orvLetterMissingBits(7)),
    fromBits(orvLetterMissingBits(8)),  fromBits(orvLetterMissingBits(9)),
    fromBits(orvLetterMissingBits(10)), fromBits(orvLetterMissingBits(11)),
    fromBits(orvLetterMissingBits(12)), fromBits(orvLetterMissingBits(13)),
    fromBits(orvLetterMissingBits(14)), fromBits(orvLetterMissingBits(15)),
    fromBits(orvLetterMissingBits(16)), fromBits(orvLetterMissingBits(17)),
    fromBits(orvLetterMissingBits(18)), fromBits(orvLetterMissingBits(19)),
    fromBits(orvLetterMissingBits(20)), fromBits(orvLetterMissingBits(21)),
    fromBits(orvLetterMissingBits(22)), fromBits(orvLetterMissingBits(23)),
    fromBits(orvLetterMissingBits(24)), fromBits(orvLetterMissingBits(25)),
};
static_assert(std::size(skmissv_struct) == 3 + 26);

/*
 * The missing value for a character code.
 * Input: code, a character code (ASCII; other values are allowed).
 * Output: '.' the ordinary missing value; '_' and '-' the underscore one;
 * 'A'-'Z' and 'a'-'z' the lettered ones, case ignored; any other code the
 * ordinary one.  Letters are tested by ASCII range, not by the C locale, so
 * that a locale's extra letters never select a pattern outside .A to .Z.
 */
double skMissVal(int code)
{
    if (code == '_' || code == '-') return skmissv_struct[1];
    if (code >= 'A' && code <= 'Z') return skmissv_struct[3 + (code - 'A')];
    if (code >= 'a' && code <= 'z') return skmissv_struct[3 + (code - 'a')];
    return skmissv_struct[2];
}

/*
 * Classifies one value.
 * Inputs: counter (may be null), value, limit.
 * Returns 1 when value is missing (any NaN); -1 when |value| > limit, after
 * increasing *counter when given; otherwise 0.
 */
int zmissr(int64_t *counter, double value, double limit)
{
    if (orvIsMissing(value)) return 1;
    if (std::fabs(value) > limit) {
        if (counter != nullptr) ++*counter;
        return -1;
    }
    return 0;
}

/*
 * Classifies values[0..n) in order and stops at the first element that is
 * missing or oversized, so a caller learns of the first bad element only.
 * Inputs: values, n (0 or less: nothing to scan), counter (may be null), limit.
 * Returns 1 at the first missing element; -1 at the first element with
 * magnitude above limit (after increasing *counter when given); 0 when no
 * element is either.
 */
int zmissrn(const double *values, int64_t n, int64_t *counter, double limit)
{
    for (int64_t i = 0; i < n; ++i) {
        const int rc = zmissr(counter, values[i], limit);
        if (rc != 0) return rc;
    }
    return 0;
}
