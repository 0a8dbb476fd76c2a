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

int ZTSEVDummyInfo(ZTSEV_DUMMY *dummy)
{
    dummy->allZero = 1;
    dummy->constant = 1;
    dummy->largest = 0;
    dummy->smallestNonZero = 0;
    if (dummy->nobs < 1) return ZTSEV_DUMMY_NO_TIMEIDS;
    const double *v = dummy->values;
    double lowest = v[0], highest = v[0], smallest = std::fabs(v[0]);
    for (int64_t i = 1; i < dummy->nobs; ++i) {
        lowest = std::fmin(lowest, v[i]);
        highest = std::fmax(highest, v[i]);
        const double magnitude = std::fabs(v[i]);
        if (magnitude != 0) smallest = smallest == 0 ? magnitude : std::fmin(smallest, magnitude);
    }
    dummy->allZero = lowest == 0 && highest == 0;
    dummy->constant = lowest == highest;
    dummy->largest = std::fmax(std::fabs(lowest), std::fabs(highest));
    dummy->smallestNonZero = smallest;
    return 0;
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
