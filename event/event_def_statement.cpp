/*
 * event_def_statement.cpp - the EVENTDEF statement: a SIMPLE event from
 * timing values and date keys, with the run check of its values
 * (ZTSEVGetEventDef and ztsevRunCheck of event_statements.h).
 */
#include "event/event_statements.h"

#include <cstring>

#include "event/event_list.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "event/statement_options.h"
#include "host/services.h"
#include "interval/interval_detect.h"
#include "interval/interval_fit.h"

namespace {

/* The doubles of list slot k of statement, and their count (0 when the
 * slot holds no such list). */
const double *doublesOf(const STATEMENT_NODE *statement, int k, int64_t *count)
{
    const OPTION_SLOT &slot = statement->options[k];
    *count = 0;
    if (slot.given != ORV_SLOT_LIST || slot.type != ORV_SLOT_DOUBLE || slot.items == nullptr) return nullptr;
    *count = slot.value.count < 0 ? 0 : slot.value.count;
    return static_cast<const double *>(slot.items);
}

/*
 * Copies the statement's timing values, their kinds and their runs into
 * event.  The parser's action callback made one kind per value and run
 * lengths that add up to the value count; a statement whose lists do not
 * agree gives no timing values.
 */
void copyTiming(const STATEMENT_NODE *statement, ZTSEV_EVENT *event, MEMORY_OBJECT *pool)
{
    int64_t n = 0, kindCount = 0, runCount = 0;
    const double *values = doublesOf(statement, ZTSEV_SLOT_VALUES, &n);
    const double *kinds = doublesOf(statement, ZTSEV_SLOT_KINDS, &kindCount);
    const double *runs = doublesOf(statement, ZTSEV_SLOT_RUNS, &runCount);
    if (n <= 0 || kindCount != n || runCount <= 0) return;
    int64_t total = 0;
    for (int64_t r = 0; r < runCount; ++r) {
        int64_t length = 0;
        if (!ztsevTruncated(runs[r], 1, n, &length)) return;
        total += length;
    }
    if (total != n) return;
    event->timingPool = pool;
    event->timingValues = static_cast<double *>(ztsevAllocArray(pool, n, sizeof(double)));
    event->timingKinds = static_cast<double *>(ztsevAllocArray(pool, n, sizeof(double)));
    event->runLengths = static_cast<int64_t *>(ztsevAllocArray(pool, runCount, sizeof(int64_t)));
    std::memcpy(event->timingValues, values, size_t(n) * sizeof(double));
    std::memcpy(event->timingKinds, kinds, size_t(n) * sizeof(double));
    for (int64_t r = 0; r < runCount; ++r) ztsevTruncated(runs[r], 1, n, &event->runLengths[r]);
    event->timingCount = n;
    event->runCount = runCount;
}

/* The detection kind of a timing kind code: times, like datetimes, are
 * seconds. */
const char *fitKind(double kindCode)
{
    int kind = int(kindCode) / ZTSEV_KIND_SCALE;
    if (kind == ZTSEV_KIND_OBS) return "o";
    return kind == ZTSEV_KIND_DATETIME || kind == ZTSEV_KIND_STATEMENT_DATE ? "s" : "d";
}

/* True when the w values (w >= 3) follow no interval but the values after
 * the first do. */
bool firstValueOffGrid(const double *values, int64_t w, double kindCode)
{
    ZINT_DESC desc{};
    if (zintdgv(values, w, &desc, nullptr) == 0) return false;
    if (w == 3) return zintfit(fitKind(kindCode), &desc, nullptr, values[1], values[2]) == 0;
    return zintdgv(values + 1, w - 1, &desc, nullptr) == 0;
}

/*
 * Copies the statement's date keys into event: a keyword's code with its
 * keyword text (883, code) as name, or a named key with the code its name
 * reads as (a season, holiday, weekday of a month or outlier), else 19.
 */
void copyDatekeys(const STATEMENT_NODE *statement, ZTSEV_EVENT *event, MEMORY_OBJECT *pool)
{
    int64_t count = 0;
    const double *codes = doublesOf(statement, ZTSEV_SLOT_KEYS, &count);
    if (count <= 0) return;
    event->datekeyPool = pool;
    event->datekeyCodes = static_cast<int64_t *>(ztsevAllocArray(pool, count, sizeof(int64_t)));
    event->datekeyNames = static_cast<ORV_COUNTED_NAME *>(ztsevAllocArray(pool, count, sizeof(ORV_COUNTED_NAME)));
    int64_t userKey = 0, stored = 0;
    for (int64_t i = 0; i < count; ++i) {
        int64_t code = 0;
        if (!ztsevTruncated(codes[i], 1, INT32_MAX, &code)) continue;
        ORV_COUNTED_NAME &key = event->datekeyNames[stored];
        if (code == ZTSEV_USER_DATEKEY) {
            char name[ZTSEV_NAME_SIZE + 1];
            int length = ztsevStatementName(statement, ZTSEV_SLOT_USER_KEYS, userKey++, name);
            if (length == 0) continue;
            ztsevUpperName(&key, name, length);
            int64_t keyword = ZTSEVDatekey2Flag(nullptr, key.text, key.length);
            if (keyword != ZTSEV_DK_NONE) code = keyword;
        } else {
            const char *text = nullptr;
            int length = 0;
            if (wkread(ZTSEV_MSG_SET, int(code), &text, &length) != 0 || length <= 0) continue;
            ztsevUpperName(&key, text, length);
        }
        event->datekeyCodes[stored++] = code;
    }
    event->datekeyCount = stored;
}

}  // namespace

void ztsevRunCheck(ZTSEV_EVENT *event)
{
    int64_t start = 0;
    for (int64_t r = 0; r < event->runCount; ++r) {
        int64_t w = event->runLengths[r];
        if (w >= 3 && start + w <= event->timingCount &&
            firstValueOffGrid(event->timingValues + start, w, event->timingKinds[start])) {
            size_t after = size_t(event->timingCount - start - 1);
            std::memmove(event->timingValues + start, event->timingValues + start + 1, after * sizeof(double));
            std::memmove(event->timingKinds + start, event->timingKinds + start + 1, after * sizeof(double));
            --event->timingCount;
            --event->runLengths[r];
            --w;
        }
        start += w;
    }
}

ZTSEV_EVENT *ztsevTimedEvent(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool, int32_t cls,
                             int *status)
{
    *status = 0;
    char name[ZTSEV_NAME_SIZE + 1];
    if (ztsevStatementName(statement, ZTSEV_SLOT_NAMES, 0, name) == 0) return nullptr;
    ZTSEV_EVENT *event = ZTSEVNewItem(list, pool, name, cls, status);
    if (event == nullptr) return nullptr;
    event->nameCapacity = 0;
    findpool(&pool, list);
    copyTiming(statement, event, pool);
    ztsevRunCheck(event);
    copyDatekeys(statement, event, pool);
    ztsevApplyQualifiers(statement, event);
    return event;
}

int ZTSEVGetEventDef(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    int status = 0;
    ZTSEV_EVENT *event = ztsevTimedEvent(statement, list, pool, ZTSEV_CLASS_SIMPLE, &status);
    if (event == nullptr) return status;
    if (event->timingCount == 0 && event->datekeyCount == 0)
        ztsevNoteName(ZTSEV_MSG_NO_TIMING, event->name.text, event->name.length);
    return 0;
}
