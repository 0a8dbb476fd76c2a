/*
 * custom_timeid.cpp - the custom-interval time index (see custom_timeid.h).
 */
#include "interval/custom_timeid.h"

#include <algorithm>
#include <cmath>

#include "host/missing_values.h"
#include "interval/custom_ops.h"
#include "interval/custom_periods.h"

namespace {

constexpr double kTwo63 = 9223372036854775808.0;
constexpr double kTwo53 = 9007199254740992.0;
constexpr int kScratchFlags = int(0x80000000u);

/* Indices beyond these limits are not written. */
struct Limits {
    bool exactInDouble; /* zintctidL */
    bool tooLarge(double index, int64_t &over63, int64_t &over53) const
    {
        if (!(std::fabs(index) < kTwo63)) {
            ++over63;
            return true;
        }
        if (exactInDouble && std::fabs(index) > kTwo53) {
            ++over53;
            return true;
        }
        return false;
    }
};

bool positionValue(double value)
{
    return zintIsCustomPosition(value, 'M') || zintIsCustomPosition(value, 'I');
}

/* A value that counts as missing: missing, and neither .M nor .I. */
bool missingValue(double value) { return orvIsMissing(value) && !positionValue(value); }

int32_t periodStatus(double begin, double end)
{
    int32_t bits = 0;
    if (zintIsCustomPosition(begin, 'M'))
        bits |= ZINT_CTID_BEGIN_OPEN;
    else if (orvIsMissing(begin))
        bits |= ZINT_CTID_BEGIN_MISSING;
    if (zintIsCustomPosition(end, 'I'))
        bits |= ZINT_CTID_END_OPEN;
    else if (orvIsMissing(end))
        bits |= ZINT_CTID_END_MISSING;
    return bits;
}

/* The aligned value of a period: begin ("B" or none), end ("E") or middle
 * ("M", floor((begin + end) / 2), as INTNX aligns custom periods; "."
 * when either is missing). */
double aligned(const char *align, double begin, double end)
{
    const char a = align != nullptr ? align[0] : 'B';
    if (a == 'E') return end;
    if (a == 'M') return orvIsMissing(begin) || orvIsMissing(end) ? orvMissing() : std::floor((begin + end) * 0.5);
    return begin;
}

int timeIndex(const Limits &limits, ZINT_CTID_WORK *work, const char *align, int64_t limit, int64_t *absolute,
              int64_t *relative, int32_t *order, int32_t *status, int32_t *perValue, int64_t *after,
              int64_t *before, double *firstAligned, double *lastAligned)
{
    if (order != nullptr) *order = -1;
    if (status != nullptr) *status = -1;
    if (after != nullptr) *after = -1;
    if (before != nullptr) *before = -1;
    if (firstAligned != nullptr) *firstAligned = orvMissing();
    if (lastAligned != nullptr) *lastAligned = orvMissing();
    if (work == nullptr || work->count < 1) return ZINT_CTID_NO_VALUES;
    const int64_t count = work->count;
    for (int64_t j = 0; j < count; ++j) {
        if (absolute != nullptr) absolute[j] = -1;
        if (relative != nullptr) relative[j] = -1;
        if (perValue != nullptr) perValue[j] = ZINT_CTID_UNPLACED;
    }
    if (order != nullptr) *order = 0;
    if (status != nullptr) *status = 0;
    ZINT_SEAS *rec = &work->interval;
    double *values = work->values;
    if (values == nullptr || rec->interval.code != ZINT_CUSTOM) return ZINT_CTID_FAILED;

    MEMORY_OBJECT *memory = work->allocator;
    double *scratch = nullptr;
    if (relative != nullptr && memory != nullptr)
        scratch = static_cast<double *>(memory->allocate(memory, size_t(count) * sizeof(double), kScratchFlags));
    if (scratch != nullptr) std::fill(scratch, scratch + count, orvMissing());

    /* The base: the start value, or the first present value, taken before
     * the values are aligned (a middle alignment may make one missing). */
    double base = work->start;
    if (missingValue(base)) {
        base = orvMissing();
        for (int64_t j = 0; j < count; ++j) {
            if (!missingValue(values[j])) {
                base = values[j];
                break;
            }
        }
    }

    int32_t word = 0, flags = 0;
    int64_t missing = 0, unplaced = 0, bad = 0, over63 = 0, over53 = 0;
    bool placedAny = false;
    double previous = 0, smallest = 0, largest = 0;
    int64_t scanned = 0;
    for (int64_t j = 0; j < count && !(limit > 0 && bad >= limit); ++j, ++scanned) {
        const double v = values[j];
        double index = 0, begin = 0, end = 0;
        const bool isMissing = missingValue(v);
        if (isMissing || findIndexC(rec, &index, &begin, &end, nullptr, v) != 0 || orvIsMissing(index)) {
            word |= ZINT_CTID_UNPLACED;
            ++(isMissing ? missing : unplaced);
            ++bad;
            continue;
        }
        if (scratch != nullptr) scratch[j] = index;
        if (absolute != nullptr && !limits.tooLarge(index, over63, over53)) absolute[j] = int64_t(index);
        if (placedAny) {
            if (index == previous) flags |= ZINT_CTID_REPEATED;
            if (index < previous) flags |= ZINT_CTID_DESCENDING;
            smallest = std::min(smallest, index);
            largest = std::max(largest, index);
        } else {
            smallest = largest = index;
        }
        placedAny = true;
        previous = index;
        const int32_t bits = periodStatus(begin, end);
        if (perValue != nullptr) perValue[j] = bits;
        word |= bits;
        if (align != nullptr)
            values[j] = align[0] == 'M' && bits != 0 ? orvMissing() : aligned(align, begin, end);
    }

    double baseIndex = orvMissing();
    if (missingValue(base))
        ++missing;
    else if (findIndexC(rec, &baseIndex, nullptr, nullptr, nullptr, base) != 0 || orvIsMissing(baseIndex))
        ++unplaced;

    if (relative != nullptr && !orvIsMissing(baseIndex)) {
        const bool absoluteExact = absolute != nullptr && over63 == 0 && over53 == 0;
        for (int64_t j = 0; j < scanned; ++j) {
            /* Indices are never negative: -1 marks a value without one. */
            double d = orvMissing();
            if (scratch != nullptr)
                d = scratch[j] - baseIndex;
            else if (absoluteExact)
                d = absolute[j] >= 0 ? double(absolute[j]) - baseIndex : orvMissing();
            else if (!missingValue(values[j]))
                d = customINTCK(rec, base, values[j]);
            if (!orvIsMissing(d) && !limits.tooLarge(d, over63, over53)) relative[j] = int64_t(d);
        }
    }
    if (scratch != nullptr) memory->release(memory, scratch, 0, ORV_MEM_FREE_MODE);

    if (before != nullptr && placedAny) {
        double firstBegin = 0, firstIndex = 0;
        if (getIndexC(rec, &firstBegin, nullptr, nullptr, double(rec->interval.shift) + 1) == 0 &&
            findIndexC(rec, &firstIndex, nullptr, nullptr, nullptr, firstBegin) == 0 && !orvIsMissing(firstIndex))
            *before = int64_t(smallest - firstIndex);
    }
    if (after != nullptr && placedAny) {
        double lastBegin = 0, lastIndex = 0;
        if (customINTNXBES(rec, &lastBegin, nullptr, nullptr, zintCustomPosition('I')) == 0 &&
            findIndexC(rec, &lastIndex, nullptr, nullptr, nullptr, lastBegin) == 0 && !orvIsMissing(lastIndex))
            *after = int64_t(lastIndex - largest);
    }
    if (placedAny) {
        double begin = 0, end = 0;
        if (firstAligned != nullptr && getIndexC(rec, &begin, &end, nullptr, smallest) == 0)
            *firstAligned = aligned(align, begin, end);
        if (lastAligned != nullptr && getIndexC(rec, &begin, &end, nullptr, largest) == 0)
            *lastAligned = aligned(align, begin, end);
    }
    if (order != nullptr) *order = flags;
    if (status != nullptr) *status = word;
    if (unplaced > 0) return ZINT_CTID_FAILED;
    if (missing > 0) return ZINT_CTID_MISSING;
    if (over63 > 0) return ZINT_CTID_OVERFLOW;
    if (over53 > 0) return ZINT_CTID_INEXACT;
    return ZINT_CTID_OK;
}

}  // namespace

int zintctid(ZINT_CTID_WORK *work, const char *align, int64_t limit, int64_t *absolute, int64_t *relative,
             int32_t *order, int32_t *status, int32_t *perValue, int64_t *after, int64_t *before,
             double *firstAligned, double *lastAligned)
{
    return timeIndex(Limits{false}, work, align, limit, absolute, relative, order, status, perValue, after, before,
                     firstAligned, lastAligned);
}

int zintctidL(ZINT_CTID_WORK *work, const char *align, int64_t limit, int64_t *absolute, int64_t *relative,
              int32_t *order, int32_t *status, int32_t *perValue, int64_t *after, int64_t *before,
              double *firstAligned, double *lastAligned)
{
    return timeIndex(Limits{true}, work, align, limit, absolute, relative, order, status, perValue, after, before,
                     firstAligned, lastAligned);
}
