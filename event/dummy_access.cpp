/*
 * dummy_access.cpp - the statistics of a dummy and the interface that hands
 * a dummy to a caller by event name or outlier (see event_dummy.h).
 */
#include <cmath>
#include <cstring>

#include "event/date_text.h"
#include "event/event_dummy.h"
#include "event/event_list.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "event/event_window.h"

namespace {

/* The range of a dummy: lowest and highest value, and the smallest
 * magnitude other than 0 (0 when every value is 0). */
struct Range {
    double lowest, highest, smallest;
};

/* The range as fmin and fmax give it, which pass over a NaN. */
Range generalRange(const double *v, int64_t n)
{
    Range r{v[0], v[0], std::fabs(v[0])};
    for (int64_t i = 1; i < n; ++i) {
        r.lowest = std::fmin(r.lowest, v[i]);
        r.highest = std::fmax(r.highest, v[i]);
        const double magnitude = std::fabs(v[i]);
        if (magnitude != 0) r.smallest = r.smallest == 0 ? magnitude : std::fmin(r.smallest, magnitude);
    }
    return r;
}

/* The same range in kLanes independent lanes of plain comparisons, which
 * the compiler keeps in registers; false when a value is a NaN, for which
 * plain comparisons do not pass over it as fmin and fmax do.  (The sign of
 * an equal zero, where the two may differ, matters to no statistic.) */
bool rangeWithoutNaN(const double *v, int64_t n, Range *out)
{
    constexpr int64_t kLanes = 4;
    constexpr double kNone = HUGE_VAL;
    double lowest[kLanes], highest[kLanes], smallest[kLanes];
    bool nan = false, nonZero = false;
    for (int64_t l = 0; l < kLanes; ++l) {
        lowest[l] = highest[l] = v[0];
        smallest[l] = kNone;
    }
    auto take = [&](int64_t l, double x) {
        lowest[l] = x < lowest[l] ? x : lowest[l];
        highest[l] = x > highest[l] ? x : highest[l];
        const double magnitude = std::fabs(x);
        smallest[l] = magnitude != 0 && magnitude < smallest[l] ? magnitude : smallest[l];
        nonZero |= magnitude != 0;
        nan |= x != x;
    };
    int64_t i = 0;
    for (; i + kLanes <= n; i += kLanes)
        for (int64_t l = 0; l < kLanes; ++l) take(l, v[i + l]);
    for (; i < n; ++i) take(0, v[i]);
    if (nan) return false;
    Range r{lowest[0], highest[0], smallest[0]};
    for (int64_t l = 1; l < kLanes; ++l) {
        r.lowest = lowest[l] < r.lowest ? lowest[l] : r.lowest;
        r.highest = highest[l] > r.highest ? highest[l] : r.highest;
        r.smallest = smallest[l] < r.smallest ? smallest[l] : r.smallest;
    }
    /* Only infinite magnitudes besides zeros leave kNone as it is. */
    if (!nonZero) r.smallest = 0;
    *out = r;
    return true;
}

}  // namespace

int ZTSEVDummyInfo(ZTSEV_DUMMY *dummy)
{
    dummy->allZero = 1;
    dummy->constant = 1;
    dummy->largest = 0;
    dummy->smallestNonZero = 0;
    if (dummy->nobs < 1) return ZTSEV_DUMMY_NO_TIMEIDS;
    Range r{};
    if (!rangeWithoutNaN(dummy->values, dummy->nobs, &r)) r = generalRange(dummy->values, dummy->nobs);
    dummy->allZero = r.lowest == 0 && r.highest == 0;
    dummy->constant = r.lowest == r.highest;
    dummy->largest = std::fmax(std::fabs(r.lowest), std::fabs(r.highest));
    dummy->smallestNonZero = r.smallest;
    return 0;
}

void ztsevDummyFlags(const double *values, int64_t n, int32_t *allZero, int32_t *constant)
{
    /* The range passes over NaNs: the flags compare the numbers only, and
     * a series of NaNs alone is neither (its lowest and highest are NaN). */
    int64_t i = 0;
    while (i < n && std::isnan(values[i])) ++i;
    if (i == n) {
        *allZero = *constant = 0;
        return;
    }
    const double first = values[i];
    for (++i; i < n; ++i)
        if (values[i] != first && !std::isnan(values[i])) {
            *allZero = *constant = 0;
            return;
        }
    *constant = 1;
    *allZero = first == 0 ? 1 : 0;
}

ZTSEV_DUMMY *ZTSEVGetDummy(const char *name, ZTSEV_LIST *list, const ZTSEV_SERIES *series, MEMORY_OBJECT **pool,
                           int *status)
{
    if (list == nullptr) {
        *status = ZTSEV_NO_LIST;
        return nullptr;
    }
    *status = findpool(pool, list);
    if (*status != 0) return nullptr;
    ZTSEV_EVENT *event = ZTSEVFindEvent(list, name, status);
    if (event == nullptr) {
        const int length = int(strnlen(name, ZTSEV_NAME_SIZE));
        event = ZTSEVFindKeyword(list, list->datekeyList, name, length, name, length, status);
    }
    if (event == nullptr) {
        *status = ZTSEV_NOT_FOUND;
        return nullptr;
    }
    if (event->cls == ZTSEV_CLASS_COMPLEX || event->cls == ZTSEV_CLASS_PREDEFCOMP) {
        *status = ZTSEV_DUMMY_GROUP;
        return nullptr;
    }
    if (event->cls != ZTSEV_CLASS_SIMPLE && event->cls != ZTSEV_CLASS_COMB && event->cls != ZTSEV_CLASS_PREDEF) {
        *status = ZTSEV_DUMMY_WRONG_CLASS;
        return nullptr;
    }
    double *values = nullptr;
    *status = ZTSEVMakeDummy(list, event, series, &values, *pool);
    if (*status != 0) {
        ztsevFree(*pool, values);
        return nullptr;
    }
    auto *dummy = static_cast<ZTSEV_DUMMY *>(ztsevAlloc(*pool, sizeof(ZTSEV_DUMMY), ZTSEV_ALLOC_ZEROED));
    dummy->values = values;
    dummy->nobs = series->count;
    dummy->pool = *pool;
    ZTSEVDummyInfo(dummy);
    return dummy;
}

ZTSEV_DUMMY *ZTSEVGetOutlier(int type, int kind, char *name, ZTSEV_LIST *list, const ZTSEV_SERIES *series,
                             MEMORY_OBJECT **pool, double date, int *status)
{
    if (type != 1 && type != 2) {
        *status = ZTSEV_DUMMY_BAD_TYPE;
        return nullptr;
    }
    std::memcpy(name, type == 1 ? "AO" : "LS", 2);
    const int length = date2str(kind, name + 2, date);
    if (length < 0) {
        *status = ZTSEV_CANNOT_PLACE;
        return nullptr;
    }
    if (kind == ZTSEV_KIND_DATE) {
        std::strcpy(name + 11, "D");
    } else if (kind == ZTSEV_KIND_DATETIME) {
        name[11] = 'h';
        name[14] = 'm';
        name[17] = 's';
        std::strcpy(name + 20, "DT");
    } else {
        std::strcpy(name + 2 + length, "OBS");
    }
    return ZTSEVGetDummy(name, list, series, pool, status);
}

int ZTSEVDeleteDummy(ZTSEV_DUMMY *dummy)
{
    if (dummy == nullptr) return 0;
    ztsevFree(dummy->pool, dummy->values);
    ztsevFree(dummy->pool, dummy);
    return 0;
}
