/*
 * event_rules.cpp - the merge rules of event values (see event_rules.h).
 */
#include "event/event_rules.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

#include "host/missing_values.h"

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();

/* Keywords of rules 1 to 8, in code order (ZTSEV_RULE_ADD ...). */
constexpr const char *kRuleWords[] = {"ADD", "MAX", "MIN", "MINNZ", "MINMAG", "MULT", "AND", "OR"};
static_assert(std::size(kRuleWords) == ZTSEV_RULE_COUNT);

/* True for a known rule code. */
bool knownRule(int rule) { return rule >= ZTSEV_RULE_ADD && rule <= ZTSEV_RULE_OR; }

/* old + new, held at the largest finite double of the sum's sign. */
double boundedSum(double a, double b)
{
    if (a > 0 && b > 0 && a > kLargest - b) return kLargest;
    if (a < 0 && b < 0 && a < -kLargest - b) return -kLargest;
    return a + b;
}

/* old x new, held at the largest finite double with the product's sign. */
double boundedProduct(double a, double b)
{
    double magA = std::fabs(a), magB = std::fabs(b);
    if (magA > 1 && magB > 1 && magA > kLargest / magB) return std::signbit(a) != std::signbit(b) ? -kLargest : kLargest;
    return a * b;
}

/* x, with a zero always +0: a shape's zero (-v * 0 for a positive v) or a
 * product with a negative factor would otherwise be written as "-0". */
double unsignedZero(double x) { return x == 0 ? 0.0 : x; }

/* The rule on two present values; `rule` is known. */
double mergePresent(int rule, double a, double b)
{
    switch (rule) {
    case ZTSEV_RULE_ADD: return boundedSum(a, b);
    case ZTSEV_RULE_MAX: return a > b ? a : b;
    case ZTSEV_RULE_MIN: return a < b ? a : b;
    case ZTSEV_RULE_MINNZ:
        if (b == 0) return a;
        if (a == 0) return b;
        return a < b ? a : b;
    case ZTSEV_RULE_MINMAG: return std::fabs(b) > std::fabs(a) ? a : b;
    case ZTSEV_RULE_MULT: return boundedProduct(a, b);
    case ZTSEV_RULE_AND: return (a == 0 || b == 0) ? 0.0 : 1.0;
    default: return (a == 0 && b == 0) ? 0.0 : 1.0; /* OR */
    }
}

/* y merged k more times into the present x by merge, stopping once a
 * merge leaves x as it is (it would do so every time after). */
template <class Merge> double mergeTimes(double x, double y, int64_t k, Merge merge)
{
    for (int64_t j = 0; j < k; ++j) {
        const double next = unsignedZero(merge(x, y));
        if (std::bit_cast<uint64_t>(next) == std::bit_cast<uint64_t>(x)) break;
        x = next;
    }
    return x;
}

}  // namespace

int ZTSEVRuleFlag2Char(int rule, char *field)
{
    const char *word = knownRule(rule) ? kRuleWords[rule - 1] : ".";
    int length = int(std::strlen(word));
    std::memset(field, ' ', ZTSEV_NAME_SIZE);
    std::memcpy(field, word, size_t(length));
    return length;
}

double ZTSEVValueFromRule(int rule, int *status, double oldValue, double newValue)
{
    *status = ZTSEV_OK;
    if (orvIsMissing(oldValue)) return unsignedZero(newValue);
    if (orvIsMissing(newValue)) return unsignedZero(oldValue);
    if (!knownRule(rule)) {
        *status = ZTSEV_UNKNOWN_RULE;
        return orvMissing();
    }
    return unsignedZero(mergePresent(rule, oldValue, newValue));
}

double ztsevValueFromRuleTimes(int rule, double oldValue, double newValue, int64_t k)
{
    if (k == 0) return oldValue;
    int status = 0;
    const double x = ZTSEVValueFromRule(rule, &status, oldValue, newValue);
    /* A missing new value leaves x as it is every time. */
    if (orvIsMissing(newValue)) return x;
    /* x is present from here: the rule alone, in a loop of its own for
     * the rules that cannot stop early. */
    switch (rule) {
    case ZTSEV_RULE_ADD: return mergeTimes(x, newValue, k - 1, [](double a, double b) { return boundedSum(a, b); });
    case ZTSEV_RULE_MULT:
        return mergeTimes(x, newValue, k - 1, [](double a, double b) { return boundedProduct(a, b); });
    default: return mergeTimes(x, newValue, k - 1, [rule](double a, double b) { return mergePresent(rule, a, b); });
    }
}

int ZTSEVCombDummyFromRule(const double *a, const double *b, double *out, int64_t n, int rule)
{
    if (!knownRule(rule)) return ZTSEV_UNKNOWN_RULE;
    bool strict = rule == ZTSEV_RULE_MULT || rule == ZTSEV_RULE_AND;
    for (int64_t i = 0; i < n; ++i) {
        double x = a[i], y = b[i], merged;
        if (orvIsMissing(x) || orvIsMissing(y))
            merged = strict ? orvMissing() : (orvIsMissing(x) ? y : x);
        else
            merged = mergePresent(rule, x, y);
        if (rule == ZTSEV_RULE_OR) merged = (orvIsMissing(merged) || merged == 0) ? 0.0 : 1.0;
        out[i] = unsignedZero(merged);
    }
    return ZTSEV_OK;
}
