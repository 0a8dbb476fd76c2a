/*
 * timeslot_accumulate.cpp - accumulation into time slots, SETMISSING and
 * the median (see timeslot_accumulate.h).
 */
#include "interval/timeslot_accumulate.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "host/missing_values.h"
#include "host/services.h"
#include "interval/timeid_forms.h"

namespace {

const double kMissingD = skMissVal('D');

bool isD(double value) { return std::bit_cast<uint64_t>(value) == std::bit_cast<uint64_t>(kMissingD); }

bool countsValues(int method)
{
    return method == ZTS_ACC_AVERAGE || method == ZTS_ACC_STD || method == ZTS_ACC_CSS;
}
bool keepsSquares(int method) { return method == ZTS_ACC_STD || method == ZTS_ACC_CSS; }
bool isCount(int method)
{
    return method == ZTS_ACC_NOBS || method == ZTS_ACC_N || method == ZTS_ACC_NMISS;
}

/* Where value s of an observation row, and slot p of series s, lie. */
struct Layout {
    bool seriesAfterSeries;
    int64_t nobs, nseries, nslots;
    int64_t valueAt(int64_t s) const { return seriesAfterSeries ? s * nobs : s; }
    int64_t slotAt(int64_t p, int64_t s) const
    {
        return seriesAfterSeries ? s * nslots + p : p * nseries + s;
    }
    const double *row(const double *values, int64_t k) const
    {
        return seriesAfterSeries ? values + k : values + k * nseries;
    }
};

int addObservation(int64_t slot, const double *row, const Layout &layout, int64_t start,
                   int method, double *out, double *squares, int64_t *counts)
{
    if (slot < start || slot - start >= layout.nslots) return 0;
    const int64_t p = slot - start;
    int result = 0;
    for (int64_t s = 0; s < layout.nseries; ++s) {
        const double x = row[layout.valueAt(s)];
        const int64_t at = layout.slotAt(p, s);
        double &o = out[at];
        const bool missing = orvIsMissing(x);
        if (missing) result = ZINTTIA_MISSING_MET;
        if (isCount(method)) {
            if (method == ZTS_ACC_NOBS || (method == ZTS_ACC_N) != missing) o += 1;
            continue;
        }
        if (missing) continue;

        if (orvIsMissing(o)) { /* the slot's first value */
            if (method == ZTS_ACC_NONE && isD(o)) continue;
            if ((method == ZTS_ACC_USS || keepsSquares(method)) && std::fabs(x) > ZINT_SQUARE_LIMIT)
                return ZINTTIA_OVERFLOW;
            o = method == ZTS_ACC_USS ? x * x : x;
            if (counts != nullptr && countsValues(method)) counts[at] = 1;
            if (squares != nullptr && keepsSquares(method)) squares[at] = x * x;
            continue;
        }

        if (counts != nullptr && countsValues(method)) ++counts[at];
        switch (method) {
        case ZTS_ACC_NONE: o = kMissingD; break;
        case ZTS_ACC_LAST: o = x; break;
        case ZTS_ACC_TOTAL:
        case ZTS_ACC_AVERAGE:
            if (std::fabs(o) > ZINT_SUM_LIMIT || std::fabs(x) > ZINT_SUM_LIMIT) return ZINTTIA_OVERFLOW;
            o += x;
            break;
        case ZTS_ACC_FIRST: break;
        case ZTS_ACC_MINIMUM: if (x < o) o = x; break;
        case ZTS_ACC_MAXIMUM: if (x > o) o = x; break;
        case ZTS_ACC_STD:
        case ZTS_ACC_CSS: {
            const double square = x * x;
            const double sumOfSquares = squares != nullptr ? squares[at] : 0.0;
            if (std::fabs(o) > ZINT_SUM_LIMIT || std::fabs(x) > ZINT_SQUARE_LIMIT ||
                sumOfSquares > ZINT_SUM_LIMIT || square > ZINT_SUM_LIMIT)
                return ZINTTIA_OVERFLOW;
            o += x;
            if (squares != nullptr) squares[at] = sumOfSquares + square;
            break;
        }
        case ZTS_ACC_USS: {
            const double square = x * x;
            if (o > ZINT_SUM_LIMIT || std::fabs(x) > ZINT_SQUARE_LIMIT || square > ZINT_SUM_LIMIT)
                return ZINTTIA_OVERFLOW;
            o += square;
            break;
        }
        default: result = ZINTTIA_MISSING_MET; break;
        }
    }
    return result;
}

/* The MEDIAN method: the present values are bucketed by slot in one pass
 * (a counting sort) and each bucket's median selected in place. */
int accumulateMedian(ZintTiForm form, const int64_t *index, const double *values,
                     const Layout &layout, int64_t start, double *out)
{
    auto *bounds = static_cast<int64_t *>(zintTiAlloc(form, size_t(layout.nslots + 1) * sizeof(int64_t)));
    auto *bucketed = static_cast<double *>(zintTiAlloc(form, size_t(layout.nobs) * sizeof(double)));
    const int failed = xmemdef();
    if (bounds == nullptr || bucketed == nullptr || failed != 0) {
        zintTiFree(form, bounds);
        zintTiFree(form, bucketed);
        return ZINTTIM_NO_MEMORY;
    }
    for (int64_t s = 0; s < layout.nseries; ++s) {
        std::memset(bounds, 0, size_t(layout.nslots + 1) * sizeof(int64_t));
        auto valueOf = [&](int64_t k) { return layout.row(values, k)[layout.valueAt(s)]; };
        auto slotOf = [&](int64_t k) -> int64_t {
            const int64_t slot = index[k];
            return slot < start || slot - start >= layout.nslots ? -1 : slot - start;
        };
        for (int64_t k = 0; k < layout.nobs; ++k) {
            const int64_t p = slotOf(k);
            if (p >= 0 && !orvIsMissing(valueOf(k))) ++bounds[p + 1];
        }
        for (int64_t p = 0; p < layout.nslots; ++p) bounds[p + 1] += bounds[p];
        /* bounds[p] walks from the start of bucket p to its end, which is
         * the start of bucket p + 1. */
        for (int64_t k = 0; k < layout.nobs; ++k) {
            const int64_t p = slotOf(k);
            if (p >= 0 && !orvIsMissing(valueOf(k))) bucketed[bounds[p]++] = valueOf(k);
        }
        for (int64_t p = 0; p < layout.nslots; ++p) {
            const int64_t first = p == 0 ? 0 : bounds[p - 1];
            const int64_t count = bounds[p] - first;
            double median = orvMissing();
            if (count > 0) zintTiMedian(form, count, bucketed + first, nullptr, &median);
            out[layout.slotAt(p, s)] = median;
        }
    }
    zintTiFree(form, bounds);
    zintTiFree(form, bucketed);
    return ZINTTIM_OK;
}

/* True when a * b elements of `size` bytes fit in memory sizes. */
bool fits(int64_t a, int64_t b, size_t size)
{
    const int64_t limit = std::numeric_limits<int64_t>::max() / int64_t(size);
    return a <= limit / b;
}

int accumulate(ZintTiForm form, const int64_t *index, int64_t nobs, const double *values,
               int64_t nseries, int64_t start, int64_t nslots, int layout, int method, double *out)
{
    if (index == nullptr || values == nullptr || out == nullptr || nobs <= 0 || nseries <= 0 ||
        start < 0 || nslots <= 0 || !fits(nslots, nseries, sizeof(double)) ||
        !fits(nobs, nseries, sizeof(double)) || nslots == std::numeric_limits<int64_t>::max())
        return ZINTTIM_BAD_ARGUMENT;
    const Layout shape{layout != 0, nobs, nseries, nslots};
    const int64_t cells = nslots * nseries;

    if (method == ZTS_ACC_MEDIAN) return accumulateMedian(form, index, values, shape, start, out);

    for (int64_t i = 0; i < cells; ++i) out[i] = isCount(method) ? 0.0 : orvMissing();
    int64_t *counts = nullptr;
    double *squares = nullptr;
    if (countsValues(method)) counts = static_cast<int64_t *>(zintTiAlloc(form, size_t(cells) * sizeof(int64_t)));
    if (keepsSquares(method)) squares = static_cast<double *>(zintTiAlloc(form, size_t(cells) * sizeof(double)));
    const int failed = xmemdef();
    if (failed != 0 || (countsValues(method) && counts == nullptr) ||
        (keepsSquares(method) && squares == nullptr)) {
        zintTiFree(form, counts);
        zintTiFree(form, squares);
        return ZINTTIM_NO_MEMORY;
    }
    auto release = [&](int result) {
        zintTiFree(form, counts);
        zintTiFree(form, squares);
        return result;
    };

    for (int64_t k = 0; k < nobs; ++k)
        if (addObservation(index[k], shape.row(values, k), shape, start, method, out, squares, counts) < 0)
            return release(ZINTTIM_OVERFLOW);

    if (method == ZTS_ACC_AVERAGE)
        for (int64_t i = 0; i < cells; ++i)
            if (counts[i] > 1) out[i] /= double(counts[i]);

    if (keepsSquares(method)) {
        /* Second pass: squared deviations from each slot's mean.  The first
         * pass bounded the sums of squares, and these never exceed them. */
        for (int64_t i = 0; i < cells; ++i) {
            if (counts[i] > 0) out[i] /= double(counts[i]);
            squares[i] = 0.0;
        }
        for (int64_t k = 0; k < nobs; ++k) {
            const int64_t slot = index[k];
            if (slot < start || slot - start >= nslots) continue;
            const double *row = shape.row(values, k);
            for (int64_t s = 0; s < nseries; ++s) {
                const double x = row[shape.valueAt(s)];
                if (orvIsMissing(x)) continue;
                const int64_t at = shape.slotAt(slot - start, s);
                const double deviation = x - out[at];
                squares[at] += deviation * deviation;
            }
        }
        for (int64_t i = 0; i < cells; ++i) {
            const int64_t c = counts[i];
            if (method == ZTS_ACC_CSS) {
                out[i] = c > 0 ? squares[i] : orvMissing();
            } else if (c > 1) {
                const double variance = squares[i] / double(c - 1);
                out[i] = variance > 0 ? std::sqrt(variance) : 0.0;
            } else {
                out[i] = orvMissing();
            }
        }
    }
    return release(ZINTTIM_OK);
}

int setMissing(ZintTiForm form, const double *values, int64_t n, int method, double *out,
               double *replacement, int64_t *replaced, double given)
{
    if (replacement != nullptr) *replacement = orvMissing();
    if (replaced != nullptr) *replaced = -1;
    if (values == nullptr || out == nullptr || n < 1) return ZINTTIS_NO_VALUES;

    int64_t present = 0;
    double sum = 0, first = orvMissing(), last = orvMissing();
    double smallest = orvMissing(), largest = orvMissing();
    for (int64_t i = 0; i < n; ++i) {
        const double x = values[i];
        if (orvIsMissing(x)) continue;
        if (present == 0) first = smallest = largest = x;
        ++present;
        sum += x;
        last = x;
        if (x < smallest) smallest = x;
        if (x > largest) largest = x;
    }

    double value = given;
    int64_t missingCount = 0;
    if (method == ZINT_SETMISS_PREVIOUS || method == ZINT_SETMISS_NEXT) {
        const bool forward = method == ZINT_SETMISS_PREVIOUS;
        double current = orvMissing();
        for (int64_t j = 0; j < n; ++j) {
            const int64_t i = forward ? j : n - 1 - j;
            if (!orvIsMissing(values[i])) {
                current = values[i];
                out[i] = values[i];
            } else {
                out[i] = current;
                ++missingCount;
            }
        }
        value = current;
    } else {
        switch (method) {
        case ZINT_SETMISS_MEAN: value = present > 0 ? sum / double(present) : orvMissing(); break;
        case ZINT_SETMISS_FIRST: value = first; break;
        case ZINT_SETMISS_LAST: value = last; break;
        case ZINT_SETMISS_MINIMUM: value = smallest; break;
        case ZINT_SETMISS_MAXIMUM: value = largest; break;
        case ZINT_SETMISS_MEDIAN: {
            auto *work = static_cast<double *>(zintTiAlloc(form, size_t(n) * sizeof(double)));
            if (work == nullptr) return ZINTTIS_NO_MEMORY;
            /* With a work array the values are only read. */
            zintTiMedian(form, n, const_cast<double *>(values), work, &value);
            zintTiFree(form, work);
            break;
        }
        default: break;
        }
        for (int64_t i = 0; i < n; ++i) {
            if (orvIsMissing(values[i])) {
                /* A missing replacement leaves the value as it was. */
                out[i] = orvIsMissing(value) ? values[i] : value;
                ++missingCount;
            } else {
                out[i] = values[i];
            }
        }
    }
    if (replacement != nullptr) *replacement = value;
    if (replaced != nullptr) *replaced = missingCount;
    return present == 0 ? ZINTTIS_ALL_MISSING : 0;
}

}  // namespace

int zinttim(const int64_t *index, int64_t nobs, const double *values, int64_t nseries,
            int64_t start, int64_t nslots, int layout, int method, double *out)
{
    return accumulate(ZintTiForm::Plain, index, nobs, values, nseries, start, nslots, layout, method, out);
}

int zinttim2(const int64_t *index, int64_t nobs, const double *values, int64_t nseries,
             int64_t start, int64_t nslots, int layout, int method, double *out)
{
    return accumulate(ZintTiForm::Two, index, nobs, values, nseries, start, nslots, layout, method, out);
}

int zinttia(int64_t slot, int64_t nobs, const double *row, int64_t nseries, int64_t start,
            int64_t nslots, int layout, int method, double *out, double *squares, int64_t *counts)
{
    if (row == nullptr || out == nullptr || nseries <= 0 || nslots <= 0) return 0;
    return addObservation(slot, row, Layout{layout != 0, nobs, nseries, nslots}, start, method, out,
                          squares, counts);
}

/* The two forms of zinttia differ in nothing: no work memory, no median. */
int zinttia2(int64_t slot, int64_t nobs, const double *row, int64_t nseries, int64_t start,
             int64_t nslots, int layout, int method, double *out, double *squares, int64_t *counts)
{
    return zinttia(slot, nobs, row, nseries, start, nslots, layout, method, out, squares, counts);
}

int zinttis(const double *values, int64_t n, int method, double *out, double *replacement,
            int64_t *replaced, double given)
{
    return setMissing(ZintTiForm::Plain, values, n, method, out, replacement, replaced, given);
}

int zinttis2(const double *values, int64_t n, int method, double *out, double *replacement,
             int64_t *replaced, double given)
{
    return setMissing(ZintTiForm::Two, values, n, method, out, replacement, replaced, given);
}

int zinttms(int64_t n, double *values, double *work, double *median)
{
    return zintTiMedian(ZintTiForm::Plain, n, values, work, median);
}

int zinttms2(int64_t n, double *values, double *work, double *median)
{
    return zintTiMedian(ZintTiForm::Two, n, values, work, median);
}
