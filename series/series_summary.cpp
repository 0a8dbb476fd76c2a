/*
 * series_summary.cpp - the summary of one series (see series_summary.h).
 */
#include "series/series_summary.h"

#include <algorithm>
#include <cmath>

#include "host/missing_values.h"

int64_t ztssumm(const double *values, int64_t n, ZTS_SUMMARY *summary)
{
    if (summary == nullptr) return 0;
    const double missing = orvMissing();
    *summary = ZTS_SUMMARY{n < 0 ? 0 : n, 0, 0, 0, 0, missing, missing, missing, missing, missing};
    if (n < 1 || values == nullptr) {
        summary->shortestMissingRun = summary->longestMissingRun = n < 0 ? 0 : n;
        return 0;
    }
    int64_t present = 0, run = 0;
    int64_t shortest = 0, longest = 0;
    bool anyRun = false;
    double sum = 0, smallest = 0, largest = 0;
    auto endRun = [&] {
        if (run == 0) return;
        shortest = anyRun ? std::min(shortest, run) : run;
        longest = std::max(longest, run);
        anyRun = true;
        run = 0;
    };
    for (int64_t i = 0; i < n; ++i) {
        const double x = values[i];
        if (orvIsMissing(x)) {
            ++run;
            continue;
        }
        endRun();
        if (present == 0) smallest = largest = x;
        ++present;
        sum += x;
        smallest = std::min(smallest, x);
        largest = std::max(largest, x);
    }
    endRun();
    summary->present = present;
    summary->missing = n - present;
    summary->shortestMissingRun = shortest;
    summary->longestMissingRun = longest;
    if (present == 0) return 0;
    const double mean = sum / double(present);
    summary->minimum = smallest;
    summary->maximum = largest;
    summary->mean = mean;
    summary->sum = sum;
    if (present >= 2) {
        double css = 0;
        for (int64_t i = 0; i < n; ++i)
            if (!orvIsMissing(values[i])) css += (values[i] - mean) * (values[i] - mean);
        const double variance = css / double(present - 1);
        summary->stdDev = variance > 0 ? std::sqrt(variance) : 0.0;
    }
    return present;
}
