/*
 * missing_values.h - the host's missing values and the checks for them.
 *
 * A value is missing when it is a NaN.  The host's own missing values are
 * the NaNs with bit pattern 0xFFFF_cc00_0000_0000: code byte 0xFE is the
 * ordinary missing value ".", 0xFF is "._", and 0xFD down to 0xE4 are ".A"
 * to ".Z".  Tell them apart by bit pattern, never by isnan alone.
 */
#ifndef ORV_HOST_MISSING_VALUES_H
#define ORV_HOST_MISSING_VALUES_H

#include <bit>
#include <cstdint>

constexpr uint64_t ORV_MISSING_BITS = 0xFFFFFE0000000000ull;
constexpr uint64_t ORV_MISSING_UNDERSCORE_BITS = 0xFFFFFF0000000000ull;

/* The missing value of letter k (0 = A ... 25 = Z). */
constexpr uint64_t orvLetterMissingBits(int k) { return 0xFFFFFD0000000000ull - (uint64_t(k) << 40); }

/* The ordinary missing value ".". */
inline double orvMissing() { return std::bit_cast<double>(ORV_MISSING_BITS); }

/* True for every NaN: the one test for "missing" in the system. */
constexpr bool orvIsMissing(double value) { return value != value; }

/* 0.0, then ._, ., and .A to .Z: 29 values. */
extern const double skmissv_struct[29];

/* The missing value for a character code: '.' the ordinary one; '_' and '-'
 * the underscore one; 'A'-'Z' and 'a'-'z' the letters; any other code the
 * ordinary one. */
double skMissVal(int code);

/* 1 when value is missing; -1 when |value| > limit (and *counter, when
 * given, is increased); else 0. */
int zmissr(int64_t *counter, double value, double limit);

/* Scans values[0..n) and stops at the first missing element (1) or the
 * first whose magnitude is above limit (-1, *counter increased); 0 when
 * none is either. */
int zmissrn(const double *values, int64_t n, int64_t *counter, double limit);

#endif
