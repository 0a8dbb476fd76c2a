/*
 * occurrence_writer.cpp - occurrences of one event into its dummy series,
 * pulses counted and merged in one pass (see occurrence_writer.h).
 */
#include "event/occurrence_writer.h"

#include <algorithm>
#include <bit>

#include "event/event_rules.h"
#include "event/event_shapes.h"
#include "event/event_support.h"
#include "host/missing_values.h"

namespace {

/* Pulses shorter than this many observations are merged as they come. */
constexpr int64_t kShortPulse = 16;

}  // namespace

ZTSEVOccurrenceWriter::ZTSEVOccurrenceWriter(const ZTSEV_EVENT *event, const ZTSEV_SERIES *series, double *values,
                                             MEMORY_OBJECT *scratch)
    : event_(event), series_(series), values_(values), scratch_(scratch)
{
    const ZTSEV_EFFECTIVE &q = event->effective;
    counting_ = (q.type == ZTSEV_TYPE_POINT || q.type == ZTSEV_TYPE_LS) && q.rule >= ZTSEV_RULE_ADD &&
                q.rule <= ZTSEV_RULE_OR;
}

int ZTSEVOccurrenceWriter::add(double value, int kind, const ZTSEV_EVENT *key)
{
    if (!counting_) return ZTSEVDate2Shape(value, kind, event_, key, series_, values_);
    int64_t lo = 0, hi = -1;
    const int rc = ztsevPulseRange(value, kind, event_, key, series_, &lo, &hi);
    if (rc != 0 || lo > hi) return rc;
    /* A short pulse is merged at once: counting it would cost a pass over
     * the whole series.  Merging the one value v k times gives the same
     * bits whichever of the k merges come now and which in finish(). */
    if (hi - lo < kShortPulse)
        return ztsevPutRange(values_, series_->count, lo, hi, event_->effective.rule, event_->effective.value);
    if (changes_ == nullptr)
        changes_ = static_cast<int64_t *>(ztsevAllocArray(scratch_, series_->count + 1, sizeof(int64_t)));
    ++changes_[lo];
    --changes_[hi + 1];
    pending_ = true;
    return 0;
}

void ZTSEVOccurrenceWriter::finish()
{
    if (!pending_) return;
    const int64_t n = series_->count;
    const int rule = event_->effective.rule;
    const double v = event_->effective.value;
    int64_t covers = 0, most = 0;
    for (int64_t i = 0; i < n; ++i) most = std::max(most, covers += changes_[i]);
    /* merged[k]: v merged k times into a missing value, as k occurrences
     * written one by one leave an observation that none had written. */
    double *merged = static_cast<double *>(ztsevAllocArray(scratch_, most + 1, sizeof(double)));
    merged[0] = orvMissing();
    int status = 0;
    for (int64_t k = 1; k <= most; ++k) merged[k] = ZTSEVValueFromRule(rule, &status, merged[k - 1], v);
    covers = 0;
    for (int64_t i = 0; i < n; ++i) {
        covers += changes_[i];
        if (covers == 0) continue;
        double x = values_[i];
        if (orvIsMissing(x)) {
            values_[i] = merged[covers];
            continue;
        }
        /* A value written before: merge v covers times, stopping once the
         * rule leaves the value as it is (it would do so every time). */
        for (int64_t k = 0; k < covers; ++k) {
            const double next = ZTSEVValueFromRule(rule, &status, x, v);
            if (std::bit_cast<uint64_t>(next) == std::bit_cast<uint64_t>(x)) break;
            x = next;
        }
        values_[i] = x;
    }
    ztsevFree(scratch_, merged);
    std::fill(changes_, changes_ + n + 1, int64_t(0));
    pending_ = false;
}
