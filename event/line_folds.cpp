/*
 * line_folds.cpp - long ramp lines folded under MAX, MIN, AND or OR (see
 * line_folds.h).
 */
#include "event/line_folds.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "event/event_rules.h"
#include "event/event_support.h"

namespace {

constexpr int64_t kNoLeast = std::numeric_limits<int64_t>::max();
constexpr int64_t kNoGreatest = std::numeric_limits<int64_t>::min();

bool extremeRule(int rule) { return rule == ZTSEV_RULE_MAX || rule == ZTSEV_RULE_MIN; }
bool countRule(int rule) { return rule == ZTSEV_RULE_AND || rule == ZTSEV_RULE_OR; }

double lineValue(double scale, double divisor, int64_t i, int64_t ref) { return scale * double(i - ref) / divisor; }

}  // namespace

ZTSEVLineFolds::ZTSEVLineFolds(int64_t n, int rule, double sign, MEMORY_OBJECT *scratch)
    : n_(n), rule_(rule), foldRule_(rule), scratch_(scratch)
{
    if (rule == ZTSEV_RULE_MINMAG) foldRule_ = sign > 0 ? ZTSEV_RULE_MIN : ZTSEV_RULE_MAX;
    if (rule == ZTSEV_RULE_MINNZ) foldRule_ = ZTSEV_RULE_MIN;
}

int64_t *ZTSEVLineFolds::array(int64_t fill)
{
    auto *values = static_cast<int64_t *>(ztsevAllocArray(scratch_, n_ + 1, sizeof(int64_t)));
    std::fill(values, values + n_ + 1, fill);
    return values;
}

/* The line of the least reference has the greatest value when the scale
 * is positive. */
bool ZTSEVLineFolds::wantsLeast(const Form &form) const { return (foldRule_ == ZTSEV_RULE_MAX) == (form.scale > 0); }

ZTSEVLineFolds::Form *ZTSEVLineFolds::formOf(const ZTSEVShapePiece &line)
{
    for (Form &form : forms_) {
        if (form.used && form.scale == line.scale && form.divisor == line.divisor) return &form;
        if (form.used) continue;
        form.used = true;
        form.scale = line.scale;
        form.divisor = line.divisor;
        const int64_t none = wantsLeast(form) ? kNoLeast : kNoGreatest;
        if (extremeRule(foldRule_)) {
            form.fromStart = array(none);
            form.toEnd = array(none);
        } else {
            form.counts = array(0);
            form.refSums = reinterpret_cast<uint64_t *>(array(0));
            form.zeros = array(0);
        }
        return &form;
    }
    return nullptr;
}

bool ZTSEVLineFolds::add(const ZTSEVShapePiece &line)
{
    if (line.lo > line.hi || line.lo < 0 || line.hi >= n_) return false;
    /* A line is 0 only at its reference while its smallest step is a
     * normal double. */
    const bool zeroAtRefOnly = std::fabs(line.scale) / line.divisor >= DBL_MIN;
    /* Lines without a 0 merge by MINNZ as by MIN. */
    if (rule_ == ZTSEV_RULE_MINNZ && !(zeroAtRefOnly && (line.ref < line.lo || line.ref > line.hi))) return false;
    if (extremeRule(foldRule_)) {
        if (line.hi != n_ - 1 && line.lo != 0) return false;
        Form *form = formOf(line);
        if (form == nullptr) return false;
        const bool least = wantsLeast(*form);
        int64_t &slot = line.hi == n_ - 1 ? form->fromStart[line.lo] : form->toEnd[line.hi];
        slot = least ? std::min(slot, line.ref) : std::max(slot, line.ref);
        form->pending = true;
        return true;
    }
    if (!countRule(foldRule_) || !zeroAtRefOnly) return false;
    Form *form = formOf(line);
    if (form == nullptr) return false;
    ++form->counts[line.lo];
    --form->counts[line.hi + 1];
    form->refSums[line.lo] += uint64_t(line.ref);
    form->refSums[line.hi + 1] -= uint64_t(line.ref);
    if (line.ref >= line.lo && line.ref <= line.hi) ++form->zeros[line.ref];
    form->pending = true;
    return true;
}

void ZTSEVLineFolds::applyExtremes(Form &form, double *values)
{
    const bool least = wantsLeast(form);
    const int64_t none = least ? kNoLeast : kNoGreatest;
    const auto extreme = [least](int64_t a, int64_t b) { return least ? std::min(a, b) : std::max(a, b); };
    for (int64_t i = n_ - 2; i >= 0; --i) form.toEnd[i] = extreme(form.toEnd[i], form.toEnd[i + 1]);
    int64_t fromStart = none;
    int status = 0;
    for (int64_t i = 0; i < n_; ++i) {
        fromStart = extreme(fromStart, form.fromStart[i]);
        const int64_t ref = extreme(fromStart, form.toEnd[i]);
        if (ref != none) values[i] = ZTSEVValueFromRule(rule_, &status, values[i], lineValue(form.scale, form.divisor, i, ref));
    }
    std::fill(form.fromStart, form.fromStart + n_ + 1, none);
    std::fill(form.toEnd, form.toEnd + n_ + 1, none);
}

void ZTSEVLineFolds::applyCounts(Form &form, double *values)
{
    int64_t lines = 0;
    uint64_t refs = 0;
    int status = 0;
    for (int64_t i = 0; i < n_; ++i) {
        lines += form.counts[i];
        refs += form.refSums[i];
        if (lines == 0) continue;
        double fold;
        if (lines == 1)
            fold = lineValue(form.scale, form.divisor, i, int64_t(refs));
        else if (foldRule_ == ZTSEV_RULE_OR)
            fold = form.zeros[i] == lines ? 0.0 : 1.0;
        else
            fold = form.zeros[i] > 0 ? 0.0 : 1.0;
        values[i] = ZTSEVValueFromRule(rule_, &status, values[i], fold);
    }
    std::fill(form.counts, form.counts + n_ + 1, int64_t(0));
    std::fill(form.refSums, form.refSums + n_ + 1, uint64_t(0));
    std::fill(form.zeros, form.zeros + n_ + 1, int64_t(0));
}

void ZTSEVLineFolds::apply(double *values)
{
    for (Form &form : forms_) {
        if (!form.pending) continue;
        if (extremeRule(foldRule_))
            applyExtremes(form, values);
        else
            applyCounts(form, values);
        form.pending = false;
    }
}
