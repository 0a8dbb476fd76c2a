/*
 * datekey_expansion.cpp - date keys expanded once per user event and chain
 * depth (see datekey_expansion.h), and the flat list of a user event's
 * dates built from it (ZTSEVDatesFromUserDatekey, datekey_dates.h).
 */
#include "event/datekey_expansion.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "event/datekey_dates.h"
#include "event/event_chains.h"
#include "event/event_list.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "host/service_args.h"
#include "host/services.h"

namespace {

/* Notes of the user date keys (set 883). */
constexpr int kMsgUserKeyUnknown = 602;
constexpr int kMsgUserKeyFailed = 603;
constexpr int kMsgUserKeyCycle = 604;
constexpr int kMsgUserKeyTooDeep = 621;

/* Copies of each occurrence that keep the result of rule (see the
 * header); 0 keeps every copy. */
int copiesKept(int rule)
{
    switch (rule) {
    case ZTSEV_RULE_MAX:
    case ZTSEV_RULE_MIN:
    case ZTSEV_RULE_MINNZ:
    case ZTSEV_RULE_MINMAG: return 1;
    case ZTSEV_RULE_AND:
    case ZTSEV_RULE_OR: return 2;
    default: return 0;
    }
}

/* An occurrence told apart by its value's bits and its kind. */
struct OccurrenceBits {
    uint64_t bits;
    int32_t kind;
    bool operator==(const OccurrenceBits &) const = default;
};

/* The key of occurrence o. */
OccurrenceBits bitsOf(const ZTSEV_OCCURRENCE &o)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &o.value, sizeof bits);
    return {bits, o.kind};
}

struct OccurrenceHash {
    size_t operator()(const OccurrenceBits &o) const
    {
        return size_t(o.bits * 0x9E3779B97F4A7C15ull) ^ size_t(uint32_t(o.kind));
    }
};

void appendRun(std::vector<ZTSEV_OCCURRENCE> &to, const double *values, int64_t n, int32_t kind)
{
    for (int64_t i = 0; i < n; ++i) to.push_back({values[i], kind});
}

}  // namespace

ZTSEVKeyExpansion::ZTSEVKeyExpansion(ZTSEV_LIST *datekeyList, const ZTSEV_SERIES *series, int rule)
    : datekeyList_(datekeyList), series_(series), copiesKept_(copiesKept(rule))
{
}

ZTSEVKeyExpansion::~ZTSEVKeyExpansion()
{
    if (scratch_ != nullptr) xmpoold(scratch_);
}

MEMORY_OBJECT *ZTSEVKeyExpansion::scratch()
{
    if (scratch_ == nullptr) scratch_ = ztsevTemporaryPool();
    return scratch_;
}

void ZTSEVKeyExpansion::note(int number, const char *name, int length)
{
    ++notes_;
    xpmrlog(ztsevLogHandle(), ZTSEV_MSG_SET, number, ORV_MSG_TEXT, length, name, ORV_MSG_END);
}

const ZTSEVKeyExpansion::Node *ZTSEVKeyExpansion::key(const ZTSEV_EVENT *event, int64_t index, int depth,
                                                      const ZTSEV_EVENT **user, int32_t *status)
{
    *user = nullptr;
    *status = 0;
    const int64_t code = event->datekeyCodes[index];
    const ORV_COUNTED_NAME &name = event->datekeyNames[index];
    if (code != ZTSEV_USER_DATEKEY) {
        Node &node = nodes_.emplace_back();
        builtinOccurrences(event, code, name, node);
        *status = node.status;
        return &node;
    }
    const ZTSEV_NAMETEXT keyName = ztsevNameText(name.text, ZTSEVlenORVname(name.text));
    int found = 0;
    const ZTSEV_EVENT *named = ZTSEVFindEvent(datekeyList_, keyName.text, &found);
    if (named == nullptr) {
        note(kMsgUserKeyUnknown, keyName.text, keyName.length);
        *status = ZTSEV_UNKNOWN_DATEKEY;
        return nullptr;
    }
    if (depth >= ZTSEV_USER_KEY_DEPTH) {
        note(ztsevUserKeyLeadsBack(datekeyList_, named) ? kMsgUserKeyCycle : kMsgUserKeyTooDeep, keyName.text,
             keyName.length);
        *status = ZTSEV_UNKNOWN_DATEKEY;
        return nullptr;
    }
    *user = named;
    const Node *node = this->user(named, depth + 1);
    *status = node->status;
    if (*status == ZTSEV_UNKNOWN_DATEKEY) note(kMsgUserKeyFailed, keyName.text, keyName.length);
    return node;
}

const ZTSEVKeyExpansion::Node *ZTSEVKeyExpansion::user(const ZTSEV_EVENT *event, int depth)
{
    const auto known = built_.find({event, depth});
    if (known != built_.end()) return known->second;
    const int64_t notesBefore = notes_;
    Node &node = nodes_.emplace_back();
    timingOccurrences(event, node);
    for (int64_t k = 0; k < event->datekeyCount; ++k) {
        if (event->datekeyCodes[k] != ZTSEV_USER_DATEKEY) {
            builtinOccurrences(event, event->datekeyCodes[k], event->datekeyNames[k], node);
            continue;
        }
        const ZTSEV_EVENT *named = nullptr;
        const Node *inner = key(event, k, depth, &named, &node.status);
        if (inner != nullptr) splice(node, inner);
    }
    dropRepeats(node);
    /* An expansion with notes is built again where it is met next. */
    if (notes_ == notesBefore) built_[{event, depth}] = &node;
    return &node;
}

void ZTSEVKeyExpansion::timingOccurrences(const ZTSEV_EVENT *event, Node &node)
{
    for (int64_t i = 0; i < event->timingCount; ++i) {
        const double value = event->timingValues[i];
        int32_t kind = int32_t(event->timingKinds[i]) / ZTSEV_KIND_SCALE;
        if (!event->given.periodGiven) {
            node.occurrences.push_back({value, kind});
            continue;
        }
        int64_t n = 0;
        int32_t periodic = 0;
        double *run = ZTSEVMakePeriodicDates(series_, &event->effective.period, &event->effective, &n, &kind,
                                             scratch(), value, &periodic);
        if (periodic == ZTSEV_DK_NO_INTERVAL || periodic == ZTSEV_DK_CANNOT_PLACE ||
            periodic == ZTSEV_DK_NOT_FOR_INTERVAL || periodic == ZTSEV_DK_NO_PERIOD) {
            /* A value that cannot be repeated is an occurrence as it is. */
            node.occurrences.push_back({value, int32_t(event->timingKinds[i]) / ZTSEV_KIND_SCALE});
        } else {
            node.status = periodic;
            appendRun(node.occurrences, run, n, kind);
        }
        ztsevFree(scratch_, run);
    }
}

void ZTSEVKeyExpansion::builtinOccurrences(const ZTSEV_EVENT *event, int64_t code, const ORV_COUNTED_NAME &name,
                                           Node &node)
{
    int64_t count = 0;
    int32_t kind = 0;
    double *dates = code > ZTSEV_DK_CUSTOM_FIRST
                        ? ZTSEVCustDatekey2Dates(code, &event->effective, series_, &count, &kind, scratch(), name,
                                                 &node.status)
                        : ZTSEVDatekey2Dates(code, &event->effective, series_, &count, &kind, scratch(), &node.status);
    if (node.status == ZTSEV_DK_NOT_FOR_INTERVAL) node.status = 0;
    appendRun(node.occurrences, dates, count, kind);
    ztsevFree(scratch_, dates);
}

void ZTSEVKeyExpansion::splice(Node &node, const Node *inner)
{
    if (copiesKept_ == 0) {
        node.inserts.emplace_back(node.occurrences.size(), inner);
        return;
    }
    /* Expansions that drop repeats are flat lists. */
    node.occurrences.insert(node.occurrences.end(), inner->occurrences.begin(), inner->occurrences.end());
}

void ZTSEVKeyExpansion::dropRepeats(Node &node) const
{
    if (copiesKept_ == 0) return;
    std::unordered_map<OccurrenceBits, int, OccurrenceHash> later;
    std::vector<ZTSEV_OCCURRENCE> kept;
    for (auto it = node.occurrences.rbegin(); it != node.occurrences.rend(); ++it) {
        if (++later[bitsOf(*it)] <= copiesKept_) kept.push_back(*it);
    }
    std::reverse(kept.begin(), kept.end());
    node.occurrences = std::move(kept);
}

bool ZTSEVKeyExpansion::copies(const Node *node, std::vector<ZTSEV_REPEATED> *out)
{
    const auto known = counted_.find(node);
    if (known != counted_.end()) {
        *out = known->second;
        return true;
    }
    std::vector<ZTSEV_REPEATED> list;
    std::unordered_map<OccurrenceBits, size_t, OccurrenceHash> where;
    bool counted = true;
    auto add = [&](const ZTSEV_OCCURRENCE &occurrence, int64_t n) {
        const auto [at, fresh] = where.try_emplace(bitsOf(occurrence), list.size());
        if (fresh) list.push_back({occurrence, 0});
        int64_t &total = list[at->second].copies;
        total = n > ZTSEV_COPIES_CAP - total ? ZTSEV_COPIES_CAP + 1 : total + n;
        if (total > ZTSEV_COPIES_CAP) counted = false;
    };
    size_t done = 0;
    std::vector<ZTSEV_REPEATED> inner;
    for (const auto &[position, part] : node->inserts) {
        for (; done < position; ++done) add(node->occurrences[done], 1);
        if (!copies(part, &inner)) return false;
        for (const ZTSEV_REPEATED &repeated : inner) add(repeated.occurrence, repeated.copies);
    }
    for (; done < node->occurrences.size(); ++done) add(node->occurrences[done], 1);
    if (!counted) return false;
    *out = counted_[node] = std::move(list);
    return true;
}

int ZTSEVDatesFromUserDatekey(const ZTSEV_EVENT *event, ZTSEV_LIST *datekeyList, const ZTSEV_SERIES *series,
                              MEMORY_OBJECT *pool, double **dates, int64_t *count, int32_t **kinds)
{
    *dates = nullptr;
    *kinds = nullptr;
    *count = 0;
    /* Every copy of every occurrence, as ADD merges them. */
    ZTSEVKeyExpansion expansion(datekeyList, series, ZTSEV_RULE_ADD);
    const ZTSEVKeyExpansion::Node *node = expansion.user(event, 0);
    int64_t total = 0;
    ZTSEVKeyExpansion::forEach(node, [&](double, int32_t) { return ++total, true; });
    if (total > 0) {
        *dates = static_cast<double *>(ztsevAllocArray(pool, total, sizeof(double)));
        *kinds = static_cast<int32_t *>(ztsevAllocArray(pool, total, sizeof(int32_t)));
    }
    ZTSEVKeyExpansion::forEach(node, [&](double value, int32_t kind) {
        (*dates)[*count] = value;
        (*kinds)[(*count)++] = kind;
        return true;
    });
    return node->status;
}
