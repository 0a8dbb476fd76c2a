/*
 * timeslot_summary.cpp - per-slot, per-season and total summary records
 * (see timeslot_summary.h).
 */
#include "interval/timeslot_summary.h"

#include <algorithm>
#include <cmath>

#include "host/missing_values.h"
#include "interval/timeid_forms.h"
#include "interval/timeslot_accumulate.h"

namespace {

void resetRecord(ZINT_TSSUMM *record)
{
    record->count = record->present = record->missing = record->large = 0;
    record->minimum = record->maximum = record->range = record->sum = record->mean =
        record->uss = record->css = record->variance = record->stdDev = record->median = orvMissing();
    record->sumOverflow = record->squareOverflow = record->medianStatus = 0;
}

/*
 * Summarises values[0..m) into *record; medianWork holds m doubles.  The
 * values may be reordered.  Returns 1 when the record is incomplete (no
 * present value, an overflow, a failed median), else 0.
 */
int summarize(ZintTiForm form, double *values, int64_t m, double *medianWork, ZINT_TSSUMM *record)
{
    resetRecord(record);
    if (m == 0) return 1;
    record->count = m;
    const double largeLimit = ZINT_SQUARE_LIMIT / double(m);
    int64_t k = 0;
    double sum = 0, smallest = 0, largest = 0;
    bool sumOverflow = false;
    for (int64_t i = 0; i < m; ++i) {
        const double x = values[i];
        if (orvIsMissing(x)) {
            ++record->missing;
            continue;
        }
        if (k == 0) smallest = largest = x;
        ++k;
        if (std::fabs(x) > largeLimit) ++record->large;
        smallest = std::min(smallest, x);
        largest = std::max(largest, x);
        if (!sumOverflow) {
            if (std::fabs(x) > ZINT_SUM_LIMIT || std::fabs(sum) > ZINT_SUM_LIMIT)
                sumOverflow = true;
            else
                sum += x;
            if (std::fabs(sum) > ZINT_SUM_LIMIT) sumOverflow = true;
        }
    }
    record->present = k;
    if (k == 0) {
        record->medianStatus = uint8_t(ZINTTMS_NONE_PRESENT);
        return 1;
    }
    const double mean = sumOverflow ? orvMissing() : sum / double(k);

    double uss = 0, css = 0;
    bool squareOverflow = false;
    for (int64_t i = 0; i < m && !squareOverflow; ++i) {
        const double x = values[i];
        if (orvIsMissing(x)) continue;
        const double square = x * x;
        if (std::fabs(x) > ZINT_SQUARE_LIMIT || square > ZINT_SUM_LIMIT || uss > ZINT_SUM_LIMIT) {
            squareOverflow = true;
            break;
        }
        uss += square;
        if (!sumOverflow) css += (x - mean) * (x - mean);
    }
    if (uss > ZINT_SUM_LIMIT) squareOverflow = true;

    record->minimum = smallest;
    record->maximum = largest;
    record->range = largest - smallest;
    if (!sumOverflow) {
        record->sum = sum;
        record->mean = mean;
    }
    if (!squareOverflow) {
        record->uss = std::max(uss, 0.0);
        if (!sumOverflow) {
            /* The CSS comes from deviations about the mean, so it is exact
             * to rounding of its own size: a spread far below the level of
             * the values (1e8 + 1, 1e8 + 2, 1e8 + 3) is kept, not taken for
             * rounding noise of the sums of squares. */
            record->css = k < 2 || css <= 0 ? 0.0 : css;
            if (k > 1) {
                record->variance = record->css > 0 ? record->css / double(k - 1) : 0.0;
                record->stdDev = record->variance > 0 ? std::sqrt(record->variance) : 0.0;
            }
        }
    }
    const int medianStatus =
        zintTiMedian(form, m, values, record->missing > 0 ? medianWork : nullptr, &record->median);
    record->medianStatus = uint8_t(medianStatus);
    record->sumOverflow = sumOverflow ? 1 : 0;
    record->squareOverflow = squareOverflow ? 1 : 0;
    return sumOverflow || squareOverflow || medianStatus != 0 ? 1 : 0;
}

int64_t slotSummaries(ZintTiForm form, const double *values, const int64_t *index, int64_t n,
                      int64_t start, int64_t nslots, int unordered, double *work,
                      ZINT_TSSUMM *records)
{
    if (values == nullptr || index == nullptr || work == nullptr || records == nullptr || n <= 0 ||
        start < 0 || nslots <= 0)
        return ZINTTTS_BAD_ARGUMENT;
    int64_t incomplete = 0;
    int64_t position = 0;
    for (int64_t slot = start; slot - start < nslots; ++slot) {
        int64_t m = 0;
        if (unordered != 0) {
            for (int64_t i = 0; i < n; ++i)
                if (index[i] == slot) work[m++] = values[i];
        } else {
            /* Indices below the slot (before start, or repeated out of
             * order) are passed over rather than stopping the walk. */
            while (position < n && index[position] < slot) ++position;
            while (position < n && index[position] == slot) work[m++] = values[position++];
        }
        incomplete += summarize(form, work, m, work + n, &records[slot]);
    }
    return incomplete;
}

int64_t seasonSummaries(ZintTiForm form, const double *values, const int64_t *index, int64_t n,
                        int64_t first, int64_t nslots, int64_t nseasons, const int32_t *seasonOf,
                        double *work, ZINT_TSSUMM *records)
{
    if (values == nullptr || index == nullptr || work == nullptr || records == nullptr ||
        seasonOf == nullptr || n <= 0 || first < 0 || nslots <= 0 || nseasons <= 0)
        return ZINTTTS_BAD_ARGUMENT;
    int64_t incomplete = 0;
    for (int64_t season = 0; season < nseasons; ++season) {
        int64_t m = 0;
        for (int64_t i = 0; i < n; ++i) {
            const int64_t slot = index[i];
            if (slot >= first && slot - first < nslots && seasonOf[slot] == season)
                work[m++] = values[i];
        }
        incomplete += summarize(form, work, m, work + n, &records[season]);
    }
    return incomplete;
}

int totalSummary(const ZINT_TSSUMM *records, int64_t count, ZINT_TSSUMM *total, double median)
{
    if (records == nullptr || total == nullptr || count < 0) return ZINTTTS_BAD_ARGUMENT;
    resetRecord(total);
    int result = 0;
    bool sumBad = false, ussBad = false;
    double sum = 0, uss = 0, smallest = 0, largest = 0;
    for (int64_t i = 0; i < count; ++i) {
        const ZINT_TSSUMM &r = records[i];
        total->count += r.count;
        total->present += r.present;
        total->missing += r.missing;
        if (r.present <= 0) continue;
        if (total->present == r.present) {
            smallest = r.minimum;
            largest = r.maximum;
        }
        smallest = std::min(smallest, r.minimum);
        largest = std::max(largest, r.maximum);
        /* A record whose own sum overflowed has no sum to add. */
        if (r.sumOverflow != 0 || orvIsMissing(r.sum)) sumBad = true;
        if (!sumBad) {
            sum += r.sum;
            if (!(std::fabs(sum) <= ZINT_SUM_LIMIT)) sumBad = true;
        }
        if (r.squareOverflow != 0 || orvIsMissing(r.uss)) ussBad = true;
        if (!ussBad) {
            uss += r.uss;
            if (!(uss <= ZINT_SUM_LIMIT)) ussBad = true;
        }
    }
    if (sumBad || ussBad) result = -1;
    if (total->present == 0) {
        total->median = orvMissing();
        return -1;
    }
    total->minimum = smallest;
    total->maximum = largest;
    total->range = largest - smallest;
    if (!sumBad) {
        total->sum = sum;
        total->mean = sum / double(total->present);
    }
    if (!ussBad) total->uss = uss;
    if (!sumBad && !ussBad) {
        if (std::fabs(sum) > ZINT_SQUARE_LIMIT) {
            if (result == 0) result = -2;
        } else {
            /* Pooled: each record's own CSS plus its count times the
             * squared distance of its mean from the total mean. */
            double css = 0;
            bool known = true;
            for (int64_t i = 0; i < count && known; ++i) {
                const ZINT_TSSUMM &r = records[i];
                if (r.present <= 0) continue;
                if (orvIsMissing(r.css) || orvIsMissing(r.mean)) {
                    known = false;
                    break;
                }
                const double d = r.mean - total->mean;
                css += r.css + double(r.present) * d * d;
            }
            if (known && std::isfinite(css)) total->css = css;
        }
    }
    if (total->present > 1 && !orvIsMissing(total->css)) {
        total->variance = total->css / double(total->present - 1);
        total->stdDev = total->variance > 0 ? std::sqrt(total->variance) : 0.0;
    }
    total->median = median;
    return result;
}

}  // namespace

int64_t zinttts(const double *values, const int64_t *index, int64_t n, int64_t start,
                int64_t nslots, int unordered, double *work, ZINT_TSSUMM *records)
{
    return slotSummaries(ZintTiForm::Plain, values, index, n, start, nslots, unordered, work, records);
}

int64_t zinttts2(const double *values, const int64_t *index, int64_t n, int64_t start,
                 int64_t nslots, int unordered, double *work, ZINT_TSSUMM *records)
{
    return slotSummaries(ZintTiForm::Two, values, index, n, start, nslots, unordered, work, records);
}

int64_t zinttss(const double *values, const int64_t *index, int64_t n, int64_t first,
                int64_t nslots, int64_t nseasons, const int32_t *seasonOf, double *work,
                ZINT_TSSUMM *records)
{
    return seasonSummaries(ZintTiForm::Plain, values, index, n, first, nslots, nseasons, seasonOf,
                           work, records);
}

int64_t zinttss2(const double *values, const int64_t *index, int64_t n, int64_t first,
                 int64_t nslots, int64_t nseasons, const int32_t *seasonOf, double *work,
                 ZINT_TSSUMM *records)
{
    return seasonSummaries(ZintTiForm::Two, values, index, n, first, nslots, nseasons, seasonOf,
                           work, records);
}

int zinttgs(const ZINT_TSSUMM *records, int64_t count, ZINT_TSSUMM *total, double median)
{
    return totalSummary(records, count, total, median);
}

/* zinttgs needs no work memory and no selection: the forms are one. */
int zinttgs2(const ZINT_TSSUMM *records, int64_t count, ZINT_TSSUMM *total, double median)
{
    return totalSummary(records, count, total, median);
}
