/*
 * year_check.cpp - zyrcheck (see year_check.h).
 */
#include "interval/year_check.h"

#include <cmath>
#include <cstdint>

#include "host/missing_values.h"
#include "host/services.h"
#include "interval/day_math.h"

int zyrcheck(double *year, int mode)
{
    if (year == nullptr || orvIsMissing(*year)) return ZYRCHECK_MISSING;
    const double truncated = std::trunc(*year);
    /* Checked as a double first: a year beyond int64 is out of range
     * whatever it is. */
    if (!(truncated >= -1e9 && truncated <= 1e9)) return ZYRCHECK_OUT_OF_RANGE;
    int64_t y = int64_t(truncated);
    if (y >= 0 && y <= 99) {
        if (mode == 0) return ZYRCHECK_OUT_OF_RANGE;
        int cutoff = 0;
        if (xyrn6gf(ZYRCHECK_CUTOFF_OPTION, &cutoff) != 0) cutoff = ZYRCHECK_DEFAULT_CUTOFF;
        const int64_t inCentury = zintFloorMod(cutoff, 100);
        const int64_t twoDigits = y;
        y = twoDigits + cutoff - inCentury + (twoDigits < inCentury ? 100 : 0);
        if (mode == 1) *year = double(y);
    }
    return y < 1582 || y > 20000 ? ZYRCHECK_OUT_OF_RANGE : ZYRCHECK_OK;
}
