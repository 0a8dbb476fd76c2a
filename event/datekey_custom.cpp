/*
 * datekey_custom.cpp - the dates of a season of a custom interval
 * (ZTSEVCustDatekey2Dates) and the temporary pool of one expansion
 * (ztsevTemporaryPool).  See datekey_dates.h.
 */
#include <algorithm>
#include <cmath>
#include <cstring>

#include "event/datekey_dates.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "host/missing_values.h"
#include "host/service_args.h"
#include "host/services.h"
#include "interval/custom_manager.h"
#include "interval/custom_ops.h"
#include "interval/custom_periods.h"
#include "interval/intck.h"
#include "interval/interval_formats.h"
#include "interval/interval_names.h"
#include "interval/intnx.h"

namespace {

constexpr int kHostFailureRc = 9999;

/* B and E of a series turned into the values of a custom calendar: days
 * or datetimes as the calendar counts. */
void toCalendarUnits(const ZINT_DESC &series, const ZINT_DESC &calendar, double *B, double *E)
{
    constexpr double day = 86400.0;
    if (series.kind == 's' && calendar.kind != 's') {
        *B = std::floor(*B / day);
        *E = std::floor(*E / day);
    } else if (series.kind != 's' && calendar.kind == 's') {
        *B *= day;
        *E = *E * day + (day - 1);
    }
}

/* A bound in a gap of a custom calendar moved to the period that side
 * names (IntnxNearestIndex); other bounds are left as they are. */
void offGap(const ZINT_DESC &calendar, char align, int32_t side, double *x)
{
    const double b = zintnx3(&calendar, 'B', nullptr, *x, 0);
    if (!orvIsMissing(b) || zintIsCustomPosition(b, 'M')) return;
    double moved = *x, steps = 0;
    int32_t mode = 0;
    if (IntnxNearestIndex(&calendar, align, &mode, side, &moved, &steps) == 0) *x = moved;
}

/* The value kind of a custom calendar's dates: the category of its
 * display format (4, 8 or 10), else by the interval's unit. */
int32_t valueKind(const ZINT_DESC &calendar)
{
    char format[ZINT_FORMAT_NAME_SIZE];
    int16_t length = 0;
    if (zintfmt(&calendar, format, &length, nullptr, nullptr) == 0) {
        const int type = zfmttype(format, length);
        if (type == ZTSEV_KIND_OBS || type == ZTSEV_KIND_DATE || type == ZTSEV_KIND_DATETIME) return type;
    }
    return calendar.kind == 's' ? ZTSEV_KIND_DATETIME : ZTSEV_KIND_DATE;
}

}  // namespace

MEMORY_OBJECT *ztsevTemporaryPool()
{
    void *pool = nullptr;
    int rc = wmrpc(&pool, ZTSEV_POOL_INITIAL, ZTSEV_POOL_BLOCK, 2, 0);
    if (rc < 0 || pool == nullptr) {
        /* A pool the host could not allocate is out of memory, not a
         * host failure. */
        ztsevEndIfOutOfMemory();
        xprrlog(ztsevLogHandle(), rc);
        xexit(kHostFailureRc, 0);
    }
    return static_cast<MEMORY_OBJECT *>(pool);
}

double *ZTSEVCustDatekey2Dates(int64_t code, const ZTSEV_EFFECTIVE *, const ZTSEV_SERIES *series, int64_t *count,
                               int32_t *kind, MEMORY_OBJECT *pool, ORV_COUNTED_NAME keyName, int32_t *status)
{
    *count = 0;
    *kind = 0;
    *status = 0;
    if (pool == nullptr) {
        *status = ZTSEV_DK_NO_POOL;
        return nullptr;
    }
    const ZINT_DESC &si = series->interval.interval;
    double B = zintnx3(&si, 'B', nullptr, series->firstTimeId, 0);
    double E = zintnx3(&si, 'E', nullptr, B, double(series->count - 1));
    if (orvIsMissing(B) || orvIsMissing(E)) {
        *status = ZTSEV_DK_NO_SPAN;
        return nullptr;
    }
    const int length = std::clamp<int>(keyName.length, 0, ZTSEV_NAME_SIZE);
    const char *underscore = static_cast<const char *>(std::memchr(keyName.text, '_', size_t(length)));
    ZINT_SEAS rec{};
    if (underscore == nullptr || zintstr(keyName.text, int(underscore - keyName.text), &rec.interval) != ZINTSTR_OK ||
        rec.interval.code != ZINT_CUSTOM) {
        *status = ZTSEV_UNKNOWN_DATEKEY;
        return nullptr;
    }
    /* Observation numbers are no values of a calendar. */
    if (si.kind == 'o') {
        *status = ZTSEV_DK_NOT_FOR_INTERVAL;
        return nullptr;
    }
    toCalendarUnits(si, rec.interval, &B, &E);
    double n = customINTCK(&rec, B, E);
    if (orvIsMissing(n)) {
        /* A span that starts or ends in a gap of the calendar keeps the
         * periods inside it. */
        offGap(rec.interval, 'B', 'P', &B);
        offGap(rec.interval, 'E', 'N', &E);
        n = customINTCK(&rec, B, E);
    }
    double *dates = nullptr;
    /* The span's periods are taken by index from B's: a calendar is
     * located once per key, not once per period. */
    double first = 0;
    if (orvIsMissing(n) || n < 0 || n >= double(ZTSEV_DATES_CAP) ||
        findIndexC(&rec, &first, nullptr, nullptr, nullptr, B) != 0) {
        *status = ZTSEV_DK_NOT_FOR_INTERVAL;
    } else {
        const int64_t periods = int64_t(n) + 1;
        auto *seasons = static_cast<double *>(ztsevAllocArray(pool, periods, sizeof(double)));
        auto isKeySeason = [&](int64_t i) {
            return !orvIsMissing(seasons[i]) && seasons[i] + double(ZTSEV_DK_CUSTOM_FIRST) == double(code);
        };
        int64_t matching = 0;
        for (int64_t i = 0; i < periods; ++i) {
            getIndexC(&rec, nullptr, nullptr, &seasons[i], first + double(i));
            if (isKeySeason(i)) ++matching;
        }
        if (matching > 0) {
            dates = static_cast<double *>(ztsevAllocArray(pool, matching, sizeof(double)));
            for (int64_t i = 0; i < periods; ++i)
                if (isKeySeason(i)) getIndexC(&rec, &dates[(*count)++], nullptr, nullptr, first + double(i));
            *kind = valueKind(rec.interval);
        }
        ztsevFree(pool, seasons);
    }
    zcintcReleaseRef(rec.customRef);
    return dates;
}
