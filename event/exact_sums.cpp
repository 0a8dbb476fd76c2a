/*
 * exact_sums.cpp - ADD-rule terms held as exact sums (see exact_sums.h).
 */
#include "event/exact_sums.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "event/event_support.h"
#include "host/missing_values.h"

namespace {

/* Binary places kept below the event's value: ramps divide it by up to
 * 2^kDivisorBits. */
constexpr int kDivisorBits = 6;
/* Every partial sum stays at or below 2^53 units: then it is a double. */
constexpr int64_t kExactUnits = int64_t(1) << 53;
/* The work arrays' sums stay below this, far from overflowing. */
constexpr int64_t kWeightLimit = int64_t(1) << 61;

/* The exponent of the lowest set bit of x (finite, non-zero). */
int lowestBit(double x)
{
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(x), &exponent);
    const auto mantissa = uint64_t(std::ldexp(fraction, 53));
    return exponent - 53 + std::countr_zero(mantissa);
}

/* x as a whole number of units 2^exponent, at most 2^53 of them; false
 * when it is not one. */
bool unitsOf(double x, int exponent, int64_t *units)
{
    const double scaled = std::ldexp(x, -exponent);
    if (!(std::fabs(scaled) <= double(kExactUnits)) || std::trunc(scaled) != scaled) return false;
    *units = int64_t(scaled);
    return true;
}

/* a + b when it stays within limit in size; false otherwise. */
bool addWithin(int64_t *total, int64_t add, int64_t limit)
{
    if (add > limit - *total) return false;
    *total += add;
    return true;
}

/* |a| * b (b >= 0) when it stays within limit; false otherwise. */
bool timesWithin(int64_t a, int64_t b, int64_t limit, int64_t *product)
{
    const int64_t size = a < 0 ? -a : a;
    if (b != 0 && size > limit / b) return false;
    *product = size * b;
    return true;
}

}  // namespace

bool ZTSEVExactSums::toUnits(double x, int64_t *units) const { return unitsOf(x, exponent_, units); }

bool ZTSEVExactSums::start(const double *values, int64_t n, double v, MEMORY_OBJECT *scratch)
{
    held_ = false;
    if (v == 0 || !std::isfinite(v) || orvIsMissing(v)) return false;
    exponent_ = lowestBit(v) - kDivisorBits;
    /* The grid's smallest step must be a double, and the terms before
     * their division (up to 2^(53 + e + kDivisorBits)) finite. */
    if (exponent_ < -1074 || exponent_ + 53 + kDivisorBits > 1023) return false;
    int64_t largest = 0;
    for (int64_t i = 0; i < n; ++i) {
        if (orvIsMissing(values[i])) continue;
        int64_t units = 0;
        if (!toUnits(values[i], &units)) return false;
        largest = std::max(largest, units < 0 ? -units : units);
    }
    n_ = n;
    scratch_ = scratch;
    bound_ = largest;
    slopeWeight_ = 0;
    constantWeight_ = 0;
    held_ = true;
    return true;
}

bool ZTSEVExactSums::hold(int64_t lo, int64_t hi, int64_t slope, int64_t constant, int64_t largestTerm,
                          int64_t weight)
{
    int64_t bound = bound_, slopes = slopeWeight_, constants = constantWeight_, slopeSize = 0;
    if (!addWithin(&bound, largestTerm, kExactUnits) || !timesWithin(slope, n_, kWeightLimit, &slopeSize) ||
        !addWithin(&slopes, slopeSize, kWeightLimit) || !addWithin(&constants, weight, kWeightLimit))
        return false;
    bound_ = bound;
    slopeWeight_ = slopes;
    constantWeight_ = constants;
    if (covers_ == nullptr) {
        covers_ = static_cast<int64_t *>(ztsevAllocArray(scratch_, n_ + 1, sizeof(int64_t)));
        slopes_ = static_cast<int64_t *>(ztsevAllocArray(scratch_, n_ + 1, sizeof(int64_t)));
        constants_ = static_cast<int64_t *>(ztsevAllocArray(scratch_, n_ + 1, sizeof(int64_t)));
    }
    ++covers_[lo];
    --covers_[hi + 1];
    slopes_[lo] += slope;
    slopes_[hi + 1] -= slope;
    constants_[lo] += constant;
    constants_[hi + 1] -= constant;
    return true;
}

bool ZTSEVExactSums::addLevel(int64_t lo, int64_t hi, double c)
{
    int64_t units = 0;
    if (!held_ || !toUnits(c, &units)) return false;
    const int64_t size = units < 0 ? -units : units;
    return hold(lo, hi, 0, units, size, size);
}

bool ZTSEVExactSums::addLine(int64_t lo, int64_t hi, double scale, int64_t ref, double divisor)
{
    int places = 0;
    if (!held_ || std::frexp(divisor, &places) != 0.5 || places - 1 < 0 || places - 1 > kDivisorBits) return false;
    int64_t units = 0;
    if (!toUnits(scale, &units) || units % (int64_t(1) << (places - 1)) != 0) return false;
    const int64_t slope = units / (int64_t(1) << (places - 1));
    /* Distances to the reference and the reference itself stay far
     * below 2^63 for any series a step can hold. */
    if (std::max(std::abs(lo), std::abs(hi)) > kExactUnits || std::abs(ref) > kExactUnits) return false;
    const int64_t distance = std::max(std::abs(lo - ref), std::abs(hi - ref));
    int64_t largestTerm = 0, constantSize = 0;
    if (!timesWithin(slope, distance, kExactUnits, &largestTerm) ||
        !timesWithin(slope, std::abs(ref), kWeightLimit, &constantSize))
        return false;
    return hold(lo, hi, slope, -slope * ref, largestTerm, constantSize);
}

void ZTSEVExactSums::apply(double *values)
{
    if (!held_) return;
    held_ = false;
    if (covers_ == nullptr) return;
    int64_t covers = 0, slope = 0, constant = 0;
    for (int64_t i = 0; i < n_; ++i) {
        covers += covers_[i];
        slope += slopes_[i];
        constant += constants_[i];
        if (covers == 0) continue;
        int64_t units = 0;
        if (!orvIsMissing(values[i])) toUnits(values[i], &units);
        values[i] = std::ldexp(double(units + slope * i + constant), exponent_);
    }
    std::fill(covers_, covers_ + n_ + 1, int64_t(0));
    std::fill(slopes_, slopes_ + n_ + 1, int64_t(0));
    std::fill(constants_, constants_ + n_ + 1, int64_t(0));
}

bool ztsevExactRepeatedSum(double x, double v, int64_t k, double *sum)
{
    if (v == 0 || !std::isfinite(v) || !std::isfinite(x) || k < 0) return false;
    const int exponent = std::min(lowestBit(v), x == 0 ? lowestBit(v) : lowestBit(x));
    int64_t xUnits = 0, vUnits = 0;
    if (exponent < -1074 || exponent + 53 > 1023 || !unitsOf(x, exponent, &xUnits) || !unitsOf(v, exponent, &vUnits))
        return false;
    /* |x| + k |v| within 2^53 units: every partial sum is exact. */
    if (k != 0 && std::abs(vUnits) > (kExactUnits - std::abs(xUnits)) / k) return false;
    *sum = std::ldexp(double(xUnits + k * vUnits), exponent);
    return true;
}
