/*
 * timeid_guess.cpp - the interval of a series from sampled triples (see
 * timeid_guess.h).
 */
#include "interval/timeid_guess.h"

#include <algorithm>
#include <cstring>

#include "host/missing_values.h"
#include "interval/day_math.h"
#include "interval/intck.h"
#include "interval/interval_fit.h"
#include "interval/interval_nesting.h"
#include "interval/intnx.h"
#include "interval/timeid_forms.h"

namespace {

/* True when `found` is none of candidates[0..count). */
bool isNew(const ZINT_DESC &found, const ZINT_DESC *candidates, int count)
{
    for (int i = 0; i < count; ++i)
        if (zintc(&found, &candidates[i]) == 0) return false;
    return true;
}

/* Steps of the series that are not exactly one interval of `candidate`. */
int64_t irregularSteps(const ZINT_DESC &candidate, const double *values, int64_t n, int flag)
{
    int64_t count = 0;
    for (int64_t i = 1; i < n; ++i) {
        const double steps = zintck2(&candidate, zintnx2(&candidate, values[i - 1], 0),
                                     zintnx2(&candidate, values[i], 0));
        if (steps == 1) continue;
        if (steps == 0 && flag != 0) continue;
        ++count;
    }
    return count;
}

int guess(ZintTiForm form, const double *values, int64_t n, int flag, int maxSamples, ZINT_DESC *candidates)
{
    if (values == nullptr || candidates == nullptr || n < 3) return ZINTTIG_TOO_FEW;
    const int64_t k = std::min<int64_t>(n - 2, maxSamples);
    if (k <= 0) return ZINTTIG_NONE;
    const int64_t step = k >= 3 ? (n - 3) / (k - 1) : 0;
    int count = 0;
    for (int64_t t = 0; t < k; ++t) {
        const int64_t at = t == k - 1 && k > 1 ? n - 3 : t * step;
        ZINT_DESC found;
        if (zintget(&found, nullptr, values[at], values[at + 1], values[at + 2]) != 0) continue;
        if (isNew(found, candidates, count)) candidates[count++] = found;
    }
    if (count <= 1) return count;

    auto *irregular = static_cast<int64_t *>(zintTiAlloc(form, size_t(count) * sizeof(int64_t)));
    if (irregular == nullptr) return ZINTTIG_TOO_FEW;
    for (int i = 0; i < count; ++i) irregular[i] = irregularSteps(candidates[i], values, n, flag);
    /* Insertion sort: few candidates, and ties keep the order found. */
    for (int i = 1; i < count; ++i) {
        const ZINT_DESC desc = candidates[i];
        const int64_t key = irregular[i];
        int j = i;
        for (; j > 0 && irregular[j - 1] > key; --j) {
            candidates[j] = candidates[j - 1];
            irregular[j] = irregular[j - 1];
        }
        candidates[j] = desc;
        irregular[j] = key;
    }
    zintTiFree(form, irregular);
    return count;
}

int checkedGuess(ZintTiForm form, const double *values, int64_t n, int flag, int maxSamples,
                 ZINT_DESC *candidates)
{
    if (values == nullptr || candidates == nullptr || n < 1) return ZINTTIG_TOO_FEW;
    const bool calendar = candidates[0].code >= ZINT_DAY;
    bool ascending = true;
    for (int64_t i = 0; i < n; ++i) {
        const double v = values[i];
        if (orvIsMissing(v)) return ZINTTIU_MISSING;
        if (calendar && (v < double(ZINT_FIRST_DAY) || v > double(ZINT_LAST_DAY))) return ZINTTIU_OUT_OF_RANGE;
        if (i > 0 && v < values[i - 1]) ascending = false;
    }
    if (ascending) return guess(form, values, n, flag, maxSamples, candidates);
    auto *sorted = static_cast<double *>(zintTiAlloc(form, size_t(n) * sizeof(double)));
    if (sorted == nullptr) return ZINTTIG_TOO_FEW;
    std::memcpy(sorted, values, size_t(n) * sizeof(double));
    std::sort(sorted, sorted + n);
    const int result = guess(form, sorted, n, flag, maxSamples, candidates);
    zintTiFree(form, sorted);
    return result;
}

}  // namespace

int zinttig(const double *values, int64_t n, int flag, int maxSamples, ZINT_DESC *candidates)
{
    return guess(ZintTiForm::Plain, values, n, flag, maxSamples, candidates);
}

int zinttig2(const double *values, int64_t n, int flag, int maxSamples, ZINT_DESC *candidates)
{
    return guess(ZintTiForm::Two, values, n, flag, maxSamples, candidates);
}

int zinttiu(const double *values, int64_t n, int flag, int maxSamples, ZINT_DESC *candidates)
{
    return checkedGuess(ZintTiForm::Plain, values, n, flag, maxSamples, candidates);
}

int zinttiu2(const double *values, int64_t n, int flag, int maxSamples, ZINT_DESC *candidates)
{
    return checkedGuess(ZintTiForm::Two, values, n, flag, maxSamples, candidates);
}
