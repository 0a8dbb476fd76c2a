/*
 * numeric_utils.cpp - small numeric routines shared by every subsystem.
 *
 * Exports: max, min, lmax, lmin, zpower, vzfdl, zvmovj1.
 */
#include "host/numeric_utils.h"

#include <cmath>
#include <cstring>

#include "host/missing_values.h"

int max(int a, int b) { return a > b ? a : b; }
int min(int a, int b) { return a < b ? a : b; }
int64_t lmax(int64_t a, int64_t b) { return a > b ? a : b; }
int64_t lmin(int64_t a, int64_t b) { return a < b ? a : b; }

namespace {

/* Exponents at or above 2^53 are all even integers in a double, but are
 * treated as non-integral: a 64-bit integer k of them would be meaningless. */
constexpr double kTwoTo53 = 9007199254740992.0;
/* Beyond this exponent every base other than 1 overflows or vanishes. */
constexpr double kTwoTo512 = 1.3407807929942597e154;
/* 1 + 3 * 2^-52: widens the overflow test by the rounding error of y*ln(b),
 * so that results just at the edge are refused rather than returned as inf. */
constexpr double kLogSafety = 1.0000000000000007;
constexpr double kOverflowLog = 709.782712893384;   /* ln(largest double) */
constexpr double kUnderflowLog = -708.3964185;      /* ln(smallest normal double) */
constexpr double kExactPowerLog = 72.0873067782343; /* 104 ln 2 */

static_assert(kTwoTo53 == 0x1p53);
static_assert(kTwoTo512 == 0x1p512);
static_assert(kLogSafety == 1.0 + 3.0 * 0x1p-52);

struct PowerResult {
    int status;
    double value;
};

/* b^k by binary exponentiation, lowest bit first.  REQUIRES: k >= 0. */
double integralPower(double b, int64_t k)
{
    double r = 1.0;
    double square = b;
    while (k != 0) {
        if ((k & 1) != 0) r *= square;
        k >>= 1;
        if (k != 0) square *= square; /* skip the square that no bit uses */
    }
    return r;
}

/* ln b^y (b > 0), widened by its rounding error. */
double widenedLog(double b, double y) { return kLogSafety * y * std::log(b); }

/* True when b^y is taken to vanish: its logarithm is below the smallest
 * normal double's.  For a base below 1 this holds for every exponent from
 * some exponent on. */
bool vanishes(double b, double y) { return widenedLog(b, y) <= kUnderflowLog; }

PowerResult power(double x, double y)
{
    const double missing = orvMissing();
    if (y > 0 && x == 0) return {ZPOWER_OK, 0.0};
    if (y > 0 && y == 1) return {ZPOWER_OK, x};
    if (!(y > 0) && x == 0) return {ZPOWER_ZERO_BASE, missing};
    if (y == 0) return {ZPOWER_OK, 1.0};

    const double a = std::fabs(y);
    const double b = std::fabs(x);
    const bool negative = x < 0;
    /* The magnitude is checked before the conversion: a NaN or an exponent
     * of 2^63 or more has no 64-bit integer. */
    bool integral = false;
    int64_t k = 0;
    if (a < kTwoTo53) {
        k = int64_t(a);
        integral = double(k) == a;
    }
    const bool odd = integral && (k & 1) != 0;

    if (!integral) {
        if (negative) return {ZPOWER_NEGATIVE_BASE, missing};
        if (b == 1) return {ZPOWER_OK, 1.0};
    } else if (b == 1) {
        return {ZPOWER_OK, negative && odd ? -1.0 : 1.0};
    }

    if (a >= kTwoTo512) {
        if ((b > 1) == (y > 0)) return {ZPOWER_OVERFLOW, missing};
        return {ZPOWER_OK, 0.0};
    }

    const double t = widenedLog(b, y);
    if (t >= kOverflowLog) return {ZPOWER_OVERFLOW, missing};
    if (t <= kUnderflowLog) return {ZPOWER_OK, 0.0};
    double r;
    if (integral && std::fabs(t) < kExactPowerLog) {
        /* Small integral powers by repeated multiplication stay within a few
         * ulps, and give exact results where the true value is a double. */
        r = integralPower(b, k);
        if (y < 0) r = 1.0 / r;
    } else {
        r = std::pow(b, y);
    }
    return {ZPOWER_OK, negative && odd ? -r : r};
}

}  // namespace

/*
 * x to the power y, guarded.
 * Inputs: status (out, may be null), base x, exponent y; callers pass
 * non-missing values (a NaN gets no special treatment).
 * Output *status: ZPOWER_OK; ZPOWER_OVERFLOW when the result would exceed
 * the largest double; ZPOWER_NEGATIVE_BASE for a negative base with a
 * non-integral exponent (an exponent of 2^53 or more counts as non-integral);
 * ZPOWER_ZERO_BASE for a zero base with an exponent of 0 or less.
 * Returns the power, 0.0 where it would underflow, and the ordinary missing
 * value for every status other than ZPOWER_OK.
 */
double zpower(int *status, double x, double y)
{
    const PowerResult result = power(x, y);
    if (status != nullptr) *status = result.status;
    return result.value;
}

int64_t zpowerVanishesFrom(double x)
{
    const double b = std::fabs(x);
    if (b == 0) return 1;
    if (!(b < 1)) return -1;
    /* The test of vanishes() holds from some exponent on: search for the
     * first, of 2 or more (x^1 is x itself) and below 2^53, the largest
     * exponent power() takes as an integer. */
    int64_t lo = 2, hi = int64_t(1) << 53;
    if (!vanishes(b, double(hi))) return -1;
    while (lo < hi) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (vanishes(b, double(mid)))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

/*
 * Stores value into values[0..n); n of 0 or less changes nothing.
 * A plain loop: the compiler vectorises it, aligned or not.
 */
void vzfdl(double *values, int64_t n, double value)
{
    for (int64_t i = 0; i < n; ++i) values[i] = value;
}

/*
 * Scatters source[0..n) into every stride-th element of destination:
 * destination[i * stride] = source[i].  n of 0 or less copies nothing.
 * Items are copied as 8-byte words, not as doubles, so that no NaN payload
 * (the letter of a missing value) can be altered on the way.
 */
void zvmovj1(double *destination, int64_t stride, const double *source, int64_t n)
{
    for (int64_t i = 0; i < n; ++i) std::memcpy(&destination[i * stride], &source[i], 8);
}
