/*
 * event_dummy.cpp - dummy series of events by class (see event_dummy.h).
 * The statistics and the by-name interface are in dummy_access.cpp.
 */
#include "event/event_dummy.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "event/datekey_dates.h"
#include "event/datekey_expansion.h"
#include "event/event_list.h"
#include "event/event_registry.h"
#include "event/event_rules.h"
#include "event/event_shapes.h"
#include "event/event_window.h"
#include "event/exact_copies.h"
#include "event/occurrence_writer.h"
#include "event/event_support.h"
#include "host/missing_values.h"
#include "host/numeric_utils.h"
#include "host/service_args.h"
#include "host/services.h"

namespace {

/* Notes of a combination nested beyond ZTSEV_COMB_DEPTH (set 883): one
 * that contains itself, and a chain that is only deeper. */
constexpr int kMsgCombCycle = 605;
constexpr int kMsgCombTooDeep = 620;

/* The array *values (allocated from pool when null), filled with missing. */
double *prepare(double **values, int64_t n, MEMORY_OBJECT *pool)
{
    if (*values == nullptr) *values = static_cast<double *>(ztsevAllocArray(pool, n, sizeof(double)));
    vzfdl(*values, n, orvMissing());
    return *values;
}

void missingToZero(double *values, int64_t n)
{
    for (int64_t i = 0; i < n; ++i) {
        const double v = values[i];
        values[i] = orvIsMissing(v) ? 0.0 : v;
    }
}

bool simpleClass(int32_t cls) { return cls == ZTSEV_CLASS_SIMPLE || cls == ZTSEV_CLASS_DATEKEY; }

/* A time-axis operand of the AND rule: folds values into the accumulator
 * and refills values with missing. */
struct AndFold {
    double *accumulator = nullptr;
    int64_t operands = 1;

    void fold(double *values, int64_t n, int rule, int *status)
    {
        ++operands;
        *status = ZTSEVCombDummyFromRule(values, accumulator, accumulator, n, rule);
        vzfdl(values, n, orvMissing());
    }
};

/* True when the occurrences of a key that shares user events (ADD, MULT)
 * are merged all at once into values (exact_copies.h). */
bool mergedAtOnce(const ZTSEV_EVENT *event, const ZTSEV_EVENT *user, const ZTSEV_SERIES *series,
                  ZTSEVKeyExpansion &expansion, const ZTSEVKeyExpansion::Node *occurrences, double *values,
                  MEMORY_OBJECT *scratch)
{
    std::vector<ZTSEV_REPEATED> copies;
    return !occurrences->inserts.empty() && expansion.copies(occurrences, &copies) &&
           ztsevMergeCopiesExactly(event, user, series, copies, values, scratch);
}

/* Shapes of the timing values of event through writer; 15 at once. */
int timingShapes(const ZTSEV_EVENT *event, const ZTSEV_SERIES *series, ZTSEVOccurrenceWriter &writer,
                 MEMORY_OBJECT *scratch)
{
    int status = 0;
    for (int64_t i = 0; i < event->timingCount; ++i) {
        const double value = event->timingValues[i];
        const int32_t kind = int32_t(event->timingKinds[i]) / ZTSEV_KIND_SCALE;
        int32_t periodicKind = kind, periodic = 0;
        int64_t n = 0;
        double *dates = nullptr;
        if (event->given.periodGiven)
            dates = ZTSEVMakePeriodicDates(series, &event->effective.period, &event->effective, &n, &periodicKind,
                                           scratch, value, &periodic);
        if (dates != nullptr && periodic == 0) {
            for (int64_t j = 0; j < n; ++j) {
                status = writer.add(dates[j], periodicKind, nullptr);
                if (status == ZTSEV_CANNOT_PLACE) return status;
            }
        } else {
            status = writer.add(value, kind, nullptr);
            if (status == ZTSEV_CANNOT_PLACE) return status;
        }
    }
    return status;
}

/*
 * The series of a COMB event and of the combinations among its members,
 * each built once for one dummy: combinations that name the same
 * combinations (levels that share their members) fold the kept series
 * again, so that the time grows with the member links, not with the paths
 * through them.  Every combination series met is kept (from scratch)
 * until the dummy is made.
 *
 * A member that fails makes every combination above it fail, up to the
 * dummy's own event, so only series built without failure are met again.
 * Such a series, met at nesting depth d (the dummy's own event at 0), is
 * the one built at any other depth while d plus its nesting stays within
 * ZTSEV_COMB_DEPTH; beyond, it gives status 37.  Its nesting counts
 * itself and the deepest combination among its members.  A combination
 * met again while it is being built contains itself: going round the
 * cycle would only reach the depth limit, so it gives 37 at once.
 */
class CombBuilder {
public:
    CombBuilder(ZTSEV_LIST *list, const ZTSEV_SERIES *series, MEMORY_OBJECT *scratch)
        : list_(list), series_(series), scratch_(scratch)
    {
    }

    /* What a combination gives at one depth. */
    struct Result {
        const double *values;     /* series->count doubles (null at the depth limit); unread with status 37 */
        int status;
        int nest;
        const ZTSEV_EVENT *cycle; /* status 37: the combination met inside itself, or null */
    };

    /* The series of COMB event at nesting depth `depth`. */
    Result build(const ZTSEV_EVENT *event, int depth)
    {
        /* Entries of an unordered map stay where they are while it grows. */
        Entry &entry = entries_[event];
        if (entry.building) return Result{nullptr, ZTSEV_DUMMY_COMB_CYCLE, 0, event};
        if (!entry.built) fold(event, entry, depth);
        if (depth + entry.result.nest > ZTSEV_COMB_DEPTH) return Result{nullptr, ZTSEV_DUMMY_COMB_CYCLE, 0, nullptr};
        return entry.result;
    }

private:
    struct Entry {
        Result result{};
        bool built = false;
        bool building = false;
    };

    /* Builds entry (of event) at depth: its members folded by its rule. */
    void fold(const ZTSEV_EVENT *event, Entry &entry, int depth)
    {
        entry.built = true;
        Result &result = entry.result;
        if (depth >= ZTSEV_COMB_DEPTH) {
            /* Not folded: it gives 37 here, the only place it is met. */
            result = Result{nullptr, ZTSEV_DUMMY_COMB_CYCLE, 1, nullptr};
            return;
        }
        const int64_t n = series_->count;
        const int rule = event->effective.rule;
        double *out = nullptr;
        prepare(&out, n, scratch_);
        result = Result{out, 0, 1, nullptr};
        entry.building = true;
        if (rule == ZTSEV_RULE_MULT || rule == ZTSEV_RULE_AND) vzfdl(out, n, 1.0);
        double *work = nullptr;
        prepare(&work, n, scratch_);
        int status = 0;
        for (const ZTSEVEventNamelist *node = event->members; node != nullptr; node = node->next) {
            const ZTSEV_NAMETEXT name = ztsevNameText(node->name.text, node->name.length);
            int found = 0;
            ZTSEV_EVENT *member = ZTSEVFindEvent(list_, name.text, &found);
            if (member == nullptr)
                member = ZTSEVFindKeyword(list_, list_->datekeyList, name.text, name.length, name.text, name.length,
                                          &found);
            if (member == nullptr) {
                /* SEASONAL is recognised without a record: it names no series. */
                status = found != 0 ? found : ZTSEV_NOT_FOUND;
                break;
            }
            const double *memberValues = work;
            if (member->cls == ZTSEV_CLASS_COMB) {
                const Result inner = build(member, depth + 1);
                status = inner.status;
                memberValues = inner.values;
                result.nest = std::max(result.nest, inner.nest + 1);
                result.cycle = inner.cycle;
            } else {
                status = member->cls == ZTSEV_CLASS_SIMPLE
                             ? ZTSEVMakeSimpleDummy(member, list_->datekeyList, series_, &work, scratch_)
                             : ZTSEVMakeDummy(list_, member, series_, &work, scratch_);
            }
            if (status != 0) {
                vzfdl(out, n, 0.0);
                break;
            }
            status = ZTSEVCombDummyFromRule(out, memberValues, out, n, rule);
        }
        ztsevFree(scratch_, work);
        if (status == 0 || status == ZTSEV_UNKNOWN_RULE) missingToZero(out, n);
        entry.building = false;
        result.status = status;
    }

    ZTSEV_LIST *list_;
    const ZTSEV_SERIES *series_;
    MEMORY_OBJECT *scratch_;
    std::unordered_map<const ZTSEV_EVENT *, Entry> entries_;
};

/* The series of COMB event into out, with the note of a combination
 * nested too deep: (883, 605) naming the combination that contains
 * itself, else (883, 620) naming event, whose series is set to 0. */
int combDummy(ZTSEV_LIST *list, const ZTSEV_EVENT *event, const ZTSEV_SERIES *series, double *out)
{
    MEMORY_OBJECT *scratch = ztsevTemporaryPool();
    CombBuilder builder(list, series, scratch);
    const CombBuilder::Result result = builder.build(event, 0);
    if (result.status == ZTSEV_DUMMY_COMB_CYCLE)
        vzfdl(out, series->count, 0.0);
    else
        std::copy(result.values, result.values + series->count, out);
    xmpoold(scratch);
    if (result.status == ZTSEV_DUMMY_COMB_CYCLE) {
        const ZTSEV_EVENT *named = result.cycle != nullptr ? result.cycle : event;
        xpmrlog(ztsevLogHandle(), ZTSEV_MSG_SET, result.cycle != nullptr ? kMsgCombCycle : kMsgCombTooDeep,
                ORV_MSG_TEXT, int(named->name.length), named->name.text, ORV_MSG_END);
    }
    return result.status;
}

}  // namespace

int ZTSEVMakeDummy(ZTSEV_LIST *list, ZTSEV_EVENT *event, const ZTSEV_SERIES *series, double **values,
                   MEMORY_OBJECT *pool)
{
    if (pool == nullptr) return ZTSEV_DUMMY_NO_POOL;
    const int64_t n = series->count;
    if (n < 1) return ZTSEV_DUMMY_NO_TIMEIDS;
    int status = 0;
    if (simpleClass(event->cls)) {
        /* The simple dummy makes the array ready itself and leaves no
         * missing value in it. */
        status = ZTSEVMakeSimpleDummy(event, ztsevTargetKeyList(list), series, values, pool);
        if (status != 0) vzfdl(*values, n, 0.0);
        return status;
    }
    double *out = prepare(values, n, pool);
    switch (event->cls) {
    case ZTSEV_CLASS_PREDEF:
        status = ZTSEVMakePredefDummy(event, series, values, pool);
        missingToZero(out, n);
        return status;
    case ZTSEV_CLASS_COMB: return combDummy(list, event, series, out);
    default: return 0;
    }
}

int ZTSEVMakeSimpleDummy(const ZTSEV_EVENT *event, ZTSEV_LIST *datekeyList, const ZTSEV_SERIES *series,
                         double **values, MEMORY_OBJECT *pool)
{
    if (!simpleClass(event->cls)) return ZTSEV_DUMMY_WRONG_CLASS;
    if (pool == nullptr) return ZTSEV_DUMMY_NO_POOL;
    const int64_t n = series->count;
    if (n < 1) return ZTSEV_DUMMY_NO_TIMEIDS;
    double *out = prepare(values, n, pool);
    /* A DATEKEY event is laid out as POINT occurrences; a copy keeps the
     * caller's record as it is. */
    ZTSEV_EVENT point = *event;
    const bool indicator = event->cls == ZTSEV_CLASS_DATEKEY;
    if (indicator) point.effective.type = ZTSEV_TYPE_POINT;
    int status = 0;
    if (point.effective.type >= ZTSEV_TYPE_POINT && point.effective.type <= ZTSEV_TYPE_LOG)
        status = ZTSEVMakeDummyFromDates(&point, datekeyList, series, out);
    if (status == ZTSEV_CANNOT_PLACE || status == ZTSEV_DUMMY_NO_TIMING) {
        vzfdl(out, n, 0.0);
        return status;
    }
    /* Branch-free loops, which the compiler vectorises: missing becomes 0,
     * and in an indicator every other non-zero value 1. */
    if (indicator) {
        for (int64_t i = 0; i < n; ++i) {
            const double v = out[i];
            out[i] = orvIsMissing(v) ? 0.0 : v != 0.0 ? 1.0 : v;
        }
    } else {
        missingToZero(out, n);
    }
    return status;
}

int ZTSEVMakeDummyFromDates(const ZTSEV_EVENT *event, ZTSEV_LIST *datekeyList, const ZTSEV_SERIES *series,
                            double *values)
{
    const int64_t n = series->count;
    if (event->effective.type < ZTSEV_TYPE_POINT || event->effective.type > ZTSEV_TYPE_LOG)
        return ZTSEV_DUMMY_BAD_TYPE;
    if (!simpleClass(event->cls)) return ZTSEV_DUMMY_WRONG_CLASS;
    if (event->timingCount <= 0 && event->datekeyCount <= 0) {
        vzfdl(values, n, orvMissing());
        return ZTSEV_DUMMY_NO_TIMING;
    }
    MEMORY_OBJECT *scratch = ztsevTemporaryPool();
    const int rule = event->effective.rule;
    AndFold fold;
    if (rule == ZTSEV_RULE_AND) {
        fold.accumulator = static_cast<double *>(ztsevAllocArray(scratch, n, sizeof(double)));
        vzfdl(fold.accumulator, n, 1.0);
    }
    ZTSEVOccurrenceWriter writer(event, series, values, scratch);
    int status = timingShapes(event, series, writer, scratch);
    writer.finish();
    if (status != ZTSEV_CANNOT_PLACE && rule == ZTSEV_RULE_AND && event->timingCount > 0)
        fold.fold(values, n, rule, &status);
    ZTSEVKeyExpansion expansion(datekeyList, series, rule);
    for (int64_t k = 0; k < event->datekeyCount && status != ZTSEV_CANNOT_PLACE; ++k) {
        const ZTSEV_EVENT *user = nullptr;
        int32_t keyStatus = 0;
        const ZTSEVKeyExpansion::Node *occurrences = expansion.key(event, k, 0, &user, &keyStatus);
        status = keyStatus;
        if (occurrences != nullptr && status != ZTSEV_CANNOT_PLACE &&
            !mergedAtOnce(event, user, series, expansion, occurrences, values, scratch))
            ZTSEVKeyExpansion::forEach(occurrences, [&](double value, int32_t kind) {
                const int rc = writer.add(value, kind, user);
                if (rc != 0) status = rc;
                return status != ZTSEV_CANNOT_PLACE;
            });
        writer.finish();
        if (status != ZTSEV_CANNOT_PLACE && rule == ZTSEV_RULE_AND) fold.fold(values, n, rule, &status);
    }
    if (status != ZTSEV_CANNOT_PLACE && rule == ZTSEV_RULE_AND && fold.operands > 1)
        std::copy(fold.accumulator, fold.accumulator + n, values);
    xmpoold(scratch);
    return status;
}

int ZTSEVMakePredefDummy(const ZTSEV_EVENT *event, const ZTSEV_SERIES *series, double **values,
                         MEMORY_OBJECT *pool)
{
    if (event->cls != ZTSEV_CLASS_PREDEF) return ZTSEV_DUMMY_WRONG_CLASS;
    if (pool == nullptr) return ZTSEV_DUMMY_NO_POOL;
    const int64_t n = series->count;
    if (n < 1) return ZTSEV_DUMMY_NO_TIMEIDS;
    double *out = prepare(values, n, pool);
    const ZTSEVEventNamelist *key = event->members;
    if (key == nullptr || key->name.length < 7 || std::memcmp(key->name.text, "WEASTER", 7) != 0)
        return ZTSEV_NOT_FOUND;
    char name[ZTSEV_NAME_SIZE];
    std::memset(name, ' ', sizeof name);
    std::memcpy(name, key->name.text + 1, size_t(std::min<int>(key->name.length, ZTSEV_NAME_SIZE) - 1));
    const int64_t code = ZTSEVDatekey2Flag(nullptr, name, ZTSEV_NAME_SIZE);
    MEMORY_OBJECT *scratch = ztsevTemporaryPool();
    int64_t count = 0;
    int32_t kind = 0, status = 0;
    ORV_COUNTED_NAME keyName{};
    keyName.length = int16_t(ZTSEV_NAME_SIZE);
    std::memcpy(keyName.text, name, sizeof name);
    double *dates = code > ZTSEV_DK_CUSTOM_FIRST
                        ? ZTSEVCustDatekey2Dates(code, &event->effective, series, &count, &kind, scratch, keyName,
                                                 &status)
                        : ZTSEVDatekey2Dates(code, &event->effective, series, &count, &kind, scratch, &status);
    if (status == ZTSEV_DK_NOT_FOR_INTERVAL) status = 0;
    for (int64_t j = 0; j < count; ++j) {
        int rc = ZTSEVDate2Pulse(dates[j], ZTSEV_KIND_DATE, event, nullptr, series, out);
        if (rc != 0) status = rc;
        if (rc == ZTSEV_CANNOT_PLACE) break;
    }
    missingToZero(out, n);
    xmpoold(scratch);
    return status;
}
