/*
 * datekey_user.cpp - the dates of one date key of an event by its kind
 * (ztsevDatekeyDates), of a user event used as a date key
 * (ZTSEVDatesFromUserDatekey) and of a season of a custom interval
 * (ZTSEVCustDatekey2Dates).  See datekey_dates.h.
 */
#include <algorithm>
#include <cmath>
#include <cstring>

#include "event/datekey_dates.h"
#include "event/event_chains.h"
#include "event/event_list.h"
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

/* Notes of the user date keys (set 883). */
constexpr int kMsgUserKeyUnknown = 602;
constexpr int kMsgUserKeyFailed = 603;
constexpr int kMsgUserKeyCycle = 604;
constexpr int kMsgUserKeyTooDeep = 621;
constexpr int kHostFailureRc = 9999;

void noteKey(int number, const char *name, int length)
{
    xpmrlog(ztsevLogHandle(), ZTSEV_MSG_SET, number, ORV_MSG_TEXT, length, name, ORV_MSG_END);
}

/* Appends n dates of kinds (or of the one kind `kind` when kinds is null)
 * to the growing output arrays, which have room for *capacity dates. */
void append(MEMORY_OBJECT *pool, double **dates, int32_t **kinds, int64_t *count, int64_t *capacity,
            const double *add, const int32_t *addKinds, int32_t kind, int64_t n)
{
    if (n <= 0) return;
    int64_t room = *capacity;
    *dates = static_cast<double *>(ztsevReserveArray(pool, *dates, *count, *count + n, &room, sizeof(double)));
    *kinds = static_cast<int32_t *>(ztsevReserveArray(pool, *kinds, *count, *count + n, capacity, sizeof(int32_t)));
    for (int64_t i = 0; i < n; ++i) {
        (*dates)[*count + i] = add[i];
        (*kinds)[*count + i] = addKinds != nullptr ? addKinds[i] : kind;
    }
    *count += n;
}

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

int userDates(const ZTSEV_EVENT *event, ZTSEV_LIST *datekeyList, const ZTSEV_SERIES *series, MEMORY_OBJECT *pool,
              double **dates, int64_t *count, int32_t **kinds, int depth)
{
    int32_t status = 0;
    int64_t capacity = 0;
    MEMORY_OBJECT *scratch = ztsevTemporaryPool();
    for (int64_t i = 0; i < event->timingCount; ++i) {
        const double value = event->timingValues[i];
        int32_t kind = int32_t(event->timingKinds[i]) / ZTSEV_KIND_SCALE;
        if (!event->given.periodGiven) {
            append(pool, dates, kinds, count, &capacity, &value, nullptr, kind, 1);
            continue;
        }
        int64_t n = 0;
        int32_t periodic = 0;
        double *run = ZTSEVMakePeriodicDates(series, &event->effective.period, &event->effective, &n, &kind, scratch,
                                             value, &periodic);
        if (periodic == ZTSEV_DK_NO_INTERVAL || periodic == ZTSEV_DK_CANNOT_PLACE ||
            periodic == ZTSEV_DK_NOT_FOR_INTERVAL || periodic == ZTSEV_DK_NO_PERIOD) {
            kind = int32_t(event->timingKinds[i]) / ZTSEV_KIND_SCALE;
            append(pool, dates, kinds, count, &capacity, &value, nullptr, kind, 1);
        } else {
            status = periodic;
            append(pool, dates, kinds, count, &capacity, run, nullptr, kind, n);
        }
    }
    for (int64_t k = 0; k < event->datekeyCount; ++k) {
        int64_t n = 0;
        int32_t *keyKinds = nullptr;
        double *keyDates = ztsevDatekeyDates(event, k, datekeyList, series, scratch, depth, &n, &keyKinds, nullptr,
                                             &status);
        append(pool, dates, kinds, count, &capacity, keyDates, keyKinds, 0, n);
    }
    xmpoold(scratch);
    return status;
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

double *ztsevDatekeyDates(const ZTSEV_EVENT *event, int64_t index, ZTSEV_LIST *datekeyList,
                          const ZTSEV_SERIES *series, MEMORY_OBJECT *pool, int depth, int64_t *count,
                          int32_t **kinds, const ZTSEV_EVENT **userEvent, int32_t *status)
{
    *count = 0;
    *kinds = nullptr;
    if (userEvent != nullptr) *userEvent = nullptr;
    const int64_t code = event->datekeyCodes[index];
    const ORV_COUNTED_NAME &name = event->datekeyNames[index];
    double *dates = nullptr;
    int32_t kind = 0;
    if (code == ZTSEV_USER_DATEKEY) {
        const ZTSEV_NAMETEXT key = ztsevNameText(name.text, ZTSEVlenORVname(name.text));
        int found = 0;
        const ZTSEV_EVENT *user = ZTSEVFindEvent(datekeyList, key.text, &found);
        if (user == nullptr) {
            noteKey(kMsgUserKeyUnknown, key.text, key.length);
            *status = ZTSEV_UNKNOWN_DATEKEY;
            return nullptr;
        }
        if (depth >= ZTSEV_USER_KEY_DEPTH) {
            noteKey(ztsevUserKeyLeadsBack(datekeyList, user) ? kMsgUserKeyCycle : kMsgUserKeyTooDeep, key.text,
                    key.length);
            *status = ZTSEV_UNKNOWN_DATEKEY;
            return nullptr;
        }
        if (userEvent != nullptr) *userEvent = user;
        *status = userDates(user, datekeyList, series, pool, &dates, count, kinds, depth + 1);
        if (*status == ZTSEV_UNKNOWN_DATEKEY) noteKey(kMsgUserKeyFailed, key.text, key.length);
        return dates;
    }
    if (code > ZTSEV_DK_CUSTOM_FIRST)
        dates = ZTSEVCustDatekey2Dates(code, &event->effective, series, count, &kind, pool, name, status);
    else
        dates = ZTSEVDatekey2Dates(code, &event->effective, series, count, &kind, pool, status);
    if (*status == ZTSEV_DK_NOT_FOR_INTERVAL) *status = 0;
    if (*count > 0) {
        *kinds = static_cast<int32_t *>(ztsevAllocArray(pool, *count, sizeof(int32_t)));
        std::fill(*kinds, *kinds + *count, kind);
    }
    return dates;
}

int ZTSEVDatesFromUserDatekey(const ZTSEV_EVENT *event, ZTSEV_LIST *datekeyList, const ZTSEV_SERIES *series,
                              MEMORY_OBJECT *pool, double **dates, int64_t *count, int32_t **kinds)
{
    *dates = nullptr;
    *kinds = nullptr;
    *count = 0;
    return userDates(event, datekeyList, series, pool, dates, count, kinds, 0);
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
