/*
 * series_fit.cpp - goodness-of-fit statistics (see series_fit.h).
 */
#include "series/series_fit.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <iterator>

#include "host/missing_values.h"

namespace {

/* Stand-in magnitude of a quotient that cannot be had. */
constexpr double kHuge = 1.3407807929943e154;
/* A corrected sum of squares at or below this is taken as zero. */
constexpr double kTiny = 1.491668147e-154;

/* Selection indices of the R-square family and of the signed errors. */
constexpr int kFirstRsquare = 8, kLastRsquare = 11;
constexpr int kFirstSignedError = 15;

/* q / d, guarded: 0 for 0 / x when the quotient would overflow, else
 * +-kHuge with the sign of q * d (of q when d is 0). */
double protectedRatio(double q, double d)
{
    if (std::fabs(d) >= 1 || std::fabs(q) < std::fabs(d) * kHuge) return q / d;
    if (q == 0) return 0;
    const double sign = d != 0 ? q * d : q;
    return sign < 0 ? -kHuge : kHuge;
}

double root(double x) { return x > 0 ? std::sqrt(x) : 0.0; }

/* Sum of squared deviations about the mean of the values the predicate
 * takes, over [from, to); deviations keep the digits that
 * sum(x^2) - sum(x)^2 / c loses for large values. */
template <class Value>
double centredSquares(int64_t from, int64_t to, Value value, int64_t count, double sum)
{
    if (count < 1) return 0;
    const double mean = sum / double(count);
    double css = 0;
    for (int64_t i = from; i < to; ++i) {
        double x = 0;
        if (value(i, &x)) css += (x - mean) * (x - mean);
    }
    return css;
}

}  // namespace

int64_t ztssfit(const double *actual, const double *predicted, int64_t n, int64_t k, ZTS_FITREC *record,
                double previous)
{
    if (record == nullptr) return 0;
    const double missing = orvMissing();
    std::fill(std::begin(record->counts), std::end(record->counts), 0);
    std::fill(std::begin(record->stats), std::end(record->stats), missing);
    if (n <= 0 || actual == nullptr || predicted == nullptr) return 0;
    auto value = [record](int v) -> double & { return record->stats[v - ZTS_FIT_USS]; };

    int64_t first = 0, last = n;
    while (first < last && orvIsMissing(predicted[first])) ++first;
    while (last > first && orvIsMissing(predicted[last - 1])) --last;
    int64_t missingActual = 0;
    for (int64_t i = 0; i < n; ++i)
        if ((i < first || i >= last) && orvIsMissing(actual[i])) ++missingActual;
    /* The first one-step difference reaches back to the value just before
     * the trimmed range, not to one before a trimmed run. */
    if (first > 0) previous = actual[first - 1];

    int64_t present = 0, paired = 0, w = 0, m = 0, noPrediction = n - (last - first);
    double uss = 0, pairedSum = 0, diffSum = 0, errSum = 0, errSquares = 0, errAbs = 0;
    double maxErr = 0, minErr = 0, peAbs = 0, peSum = 0, maxPe = 0, minPe = 0;
    double prior = previous;
    for (int64_t i = first; i < last; ++i) {
        const double a = actual[i], p = predicted[i];
        if (orvIsMissing(p)) ++noPrediction;
        if (orvIsMissing(a)) {
            ++missingActual;
            prior = missing;
            continue;
        }
        ++present;
        uss += a * a;
        if (!orvIsMissing(prior)) {
            diffSum += a - prior;
            ++w;
        }
        prior = a;
        if (orvIsMissing(p)) continue;
        const double e = a - p;
        pairedSum += a;
        errSum += e;
        errSquares += e * e;
        errAbs += std::fabs(e);
        maxErr = paired == 0 ? e : std::max(maxErr, e);
        minErr = paired == 0 ? e : std::min(minErr, e);
        ++paired;
        const double pe = protectedRatio(e, a);
        if (std::fabs(pe) >= kHuge) continue;
        peAbs += std::fabs(pe);
        peSum += pe;
        maxPe = m == 0 ? pe : std::max(maxPe, pe);
        minPe = m == 0 ? pe : std::min(minPe, pe);
        ++m;
    }

    record->counts[ZTS_FIT_DF] = paired - k;
    record->counts[ZTS_FIT_TRIMMED] = last - first;
    record->counts[ZTS_FIT_GIVEN] = n;
    record->counts[ZTS_FIT_MISSING_ACTUAL] = missingActual;
    record->counts[ZTS_FIT_NO_PREDICTION] = noPrediction;
    record->counts[ZTS_FIT_PARAMETERS] = k;
    if (m >= 1) {
        value(ZTS_FIT_MAPE) = 100 * peAbs / double(m);
        value(ZTS_FIT_MPE) = 100 * peSum / double(m);
        value(ZTS_FIT_MAX_PCT_ERROR) = 100 * maxPe;
        value(ZTS_FIT_MIN_PCT_ERROR) = 100 * minPe;
    }
    if (paired < 1) return present;

    const double nn = double(paired), df = double(paired - k);
    /* The centred sums over the paired actual values and over the one-step
     * differences, in a second pass. */
    const double css = centredSquares(
        first, last,
        [&](int64_t i, double *x) {
            *x = actual[i];
            return !orvIsMissing(actual[i]) && !orvIsMissing(predicted[i]);
        },
        paired, pairedSum);
    const double diffCss = centredSquares(
        first, last,
        [&](int64_t i, double *x) {
            const double before = i > first ? actual[i - 1] : previous;
            if (orvIsMissing(actual[i]) || orvIsMissing(before)) return false;
            *x = actual[i] - before;
            return true;
        },
        w, diffSum);

    const double sse = errSquares, mse = sse / nn;
    value(ZTS_FIT_USS) = uss;
    value(ZTS_FIT_CSS) = css;
    value(ZTS_FIT_SSE) = sse;
    value(ZTS_FIT_MSE) = mse;
    value(ZTS_FIT_RMSE) = root(mse);
    value(ZTS_FIT_MAE) = errAbs / nn;
    value(ZTS_FIT_MAX_ERROR) = maxErr;
    value(ZTS_FIT_MIN_ERROR) = minErr;
    value(ZTS_FIT_ME) = errSum / nn;
    if (css > kTiny) {
        const double rsquare = 1 - sse / css;
        value(ZTS_FIT_RSQUARE) = rsquare;
        if (df >= 1) {
            value(ZTS_FIT_ADJ_RSQ) = 1 - (nn - 1) * (1 - rsquare) / df;
            value(ZTS_FIT_A_ADJ_RSQ) = 1 - (nn + double(k)) * (1 - rsquare) / df;
        }
    }
    if (df >= 1) {
        value(ZTS_FIT_UMSE) = sse / df;
        value(ZTS_FIT_URMSE) = root(sse / df);
        value(ZTS_FIT_APC) = sse * ((double(k) + nn) / df / nn);
    }
    if (w >= 2) value(ZTS_FIT_RW_RSQ) = 1 - protectedRatio(mse, diffCss / double(w));
    if (mse >= DBL_MIN) {
        value(ZTS_FIT_AIC) = 2 * double(k) + nn * std::log(mse);
        value(ZTS_FIT_SBC) = nn * std::log(mse) + double(k) * std::log(nn);
    }
    return present;
}

double ztssfs(const ZTS_FITREC *record, int index)
{
    if (record == nullptr || index < 1 || index > ZTS_FIT_STAT_COUNT) return orvMissing();
    return record->stats[ZTS_FIT_SSE - ZTS_FIT_USS + index - 1];
}

int ztssfc(int index, double a, double b)
{
    if (index < 1 || index > ZTS_FIT_STAT_COUNT) return -2;
    const bool aMissing = orvIsMissing(a), bMissing = orvIsMissing(b);
    if (aMissing && bMissing) return -1;
    if (aMissing) return 1;
    if (bMissing) return 0;
    if (index >= kFirstRsquare && index <= kLastRsquare) return a < b ? 1 : 0;
    /* Errors are good when small either way: an ME of -100 is worse than
     * one of 0.1. */
    if (index >= kFirstSignedError) return std::fabs(a) > std::fabs(b) ? 1 : 0;
    return a > b ? 1 : 0;
}
