/*
 * bench_inputs.h - the inputs every interval benchmark and bench/compare.py
 * share: 2^21 (about 2 million) day numbers spread over 1981 to 2036 by a
 * fixed linear congruential sequence, datetimes made from them, and small
 * step counts.
 *
 * Exports: orvbench::kInputCount, orvbench::inputDays, inputDateTimes,
 * inputSteps, orvbench::kFirstBenchDay, kLastBenchDay.
 */
#ifndef ORV_BENCH_BENCH_INPUTS_H
#define ORV_BENCH_BENCH_INPUTS_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/civil_days.h"

namespace orvbench {

constexpr size_t kInputCount = size_t{1} << 21;
constexpr int64_t kFirstBenchDay = orvDaysFromCivil(1981, 1, 1);
constexpr int64_t kLastBenchDay = orvDaysFromCivil(2036, 12, 31);

/* Day i: first day + (a_i mod span), a_{i+1} = a_i * 6364136223846793005 +
 * 1442695040888963407 (mod 2^64) from a_0 = 1, taking its top 32 bits
 * (bench/compare.py builds the same sequence). */
inline const std::vector<double> &inputDays()
{
    static const std::vector<double> days = [] {
        std::vector<double> out(kInputCount);
        uint64_t a = 1;
        const uint64_t span = uint64_t(kLastBenchDay - kFirstBenchDay + 1);
        for (double &day : out) {
            a = a * 6364136223846793005ull + 1442695040888963407ull;
            day = double(kFirstBenchDay + int64_t((a >> 32) % span));
        }
        return out;
    }();
    return days;
}

/* Datetime i: day i at second (i * 7919) mod 86400 of that day. */
inline const std::vector<double> &inputDateTimes()
{
    static const std::vector<double> seconds = [] {
        const std::vector<double> &days = inputDays();
        std::vector<double> out(kInputCount);
        for (size_t i = 0; i < kInputCount; ++i)
            out[i] = days[i] * 86400.0 + double((i * 7919) % 86400);
        return out;
    }();
    return seconds;
}

/* Step count i: (i mod 7) - 3, so -3 to 3. */
inline double inputStep(size_t i) { return double(int(i % 7) - 3); }

}  // namespace orvbench

#endif
