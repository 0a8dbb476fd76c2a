/*
 * event_names.cpp - event name lists (see event_names.h).
 */
#include "event/event_names.h"

#include <cstring>

#include "event/event_list.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "event/member_name_index.h"
#include "host/missing_values.h"
#include "host/name_list.h"
#include "host/services.h"

namespace {

/* Notes of a statement's listed name: unknown, listed twice. */
constexpr int ZTSEV_MSG_UNKNOWN_NAME = 304;
constexpr int ZTSEV_MSG_NAME_TWICE = 305;

/* True when mode hands the name to the registry as the new event's name. */
bool passesNewName(int mode) { return mode != ZTSEV_NAMES_KEY && mode != ZTSEV_NAMES_KEY_ANY; }

/* True when mode adds a name that the registry does not know. */
bool addsUnknown(int mode)
{
    return mode == ZTSEV_NAMES_ANY || mode == ZTSEV_NAMES_ANY_ALSO || mode == ZTSEV_NAMES_KEY_ANY;
}

/*
 * The registry step and the append of ZTSEVAddEventName.  Output: *node the
 * new node (status 0) or the node already listed (ZTSEV_ALREADY_LISTED).
 * Returns 0, ZTSEV_ALREADY_LISTED, or the registry's refusal.
 */
int addNode(ZTSEV_LIST *list, ZTSEVEventNamelist **names, const char *name, int mode, ZTSEVEventNamelist **node)
{
    *node = nullptr;
    if (list == nullptr) return ZTSEV_NO_LIST;
    int length = ZTSEVlenORVname(name);
    int status = ZTSEV_OK;
    ZTSEVFindEvent(list, name, &status);
    if (status == ZTSEV_NOT_FOUND) {
        /* The registry may recognise the name and make no record (SEASONAL,
         * WEASTER without a new name): the name is still listed. */
        bool asNew = passesNewName(mode);
        ZTSEVFindKeyword(list, list->datekeyList, asNew ? name : nullptr, asNew ? length : 0, name, length, &status);
        if (status != ZTSEV_OK && !(status == ZTSEV_NOT_FOUND && addsUnknown(mode))) return status;
    }
    if ((*node = ztsevMemberFirst(names, name, length)) != nullptr) return ZTSEV_ALREADY_LISTED;
    MEMORY_OBJECT *pool = nullptr;
    findpool(&pool, list);
    auto *added = static_cast<ZTSEVEventNamelist *>(ztsevAlloc(pool, sizeof(ZTSEVEventNamelist), ZTSEV_ALLOC_ZEROED));
    ztsevSetName(&added->name, name);
    added->pool = pool;
    ztsevMemberAppend(names, added);
    *node = added;
    return ZTSEV_OK;
}

/* The mode of the qualified adds: 11 stays, every other mode is 6. */
int qualifiedMode(int mode) { return mode == ZTSEV_NAMES_KEY ? ZTSEV_NAMES_KEY : ZTSEV_NAMES_MEMBER; }

/* Option slot `slot` of a statement, or null when the record has none. */
const OPTION_SLOT *slotOf(const STATEMENT_NODE *statement, int slot)
{
    if (statement->options == nullptr || slot >= statement->slotCount) return nullptr;
    return &statement->options[slot];
}

/* Entry i of a statement's list of doubles, or fallback beyond its end. */
double listEntry(const OPTION_SLOT *slot, int64_t i, double fallback)
{
    if (slot == nullptr || slot->items == nullptr || i < 0 || i >= slot->value.count) return fallback;
    return static_cast<const double *>(slot->items)[i];
}

/* What a statement carries for one listed name. */
struct Carried {
    int required = 0;
    int secondFlag = 0;
    double firstValue = 0;
    double secondValue = 0;
    int code = 0;
};

/* Adds one name of a statement (text of `length` bytes, cut to 32) and
 * writes its note.  Returns the status to stop the walk with, or 0. */
int addStatementName(ZTSEV_LIST *list, ZTSEVEventNamelist **names, const char *text, int length, const Carried &c)
{
    ZTSEV_NAMETEXT name = ztsevNameText(text, length);
    int status = ZTSEVAddEventNameQ(list, names, name.text, c.required, c.secondFlag, 0, c.firstValue, c.secondValue,
                                    c.code, ZTSEV_NAMES_MEMBER);
    if (status == ZTSEV_NOT_FOUND || status == ZTSEV_ALREADY_LISTED) {
        int number = status == ZTSEV_NOT_FOUND ? ZTSEV_MSG_UNKNOWN_NAME : ZTSEV_MSG_NAME_TWICE;
        xpmlog(ZTSEV_MSG_SET, number, ORV_MSG_TEXT, name.length, name.text, ORV_MSG_END);
        return ZTSEV_OK;
    }
    return status;
}

/* ZTSEVGetEvent and ZTSEVGetEventQ; `withLists` carries the value and code
 * lists. */
int getEvents(const STATEMENT_NODE *statement, ZTSEV_LIST *list, ZTSEVEventNamelist **names, bool withLists)
{
    if (list == nullptr) return ZTSEV_NO_LIST;
    if (statement == nullptr) return ZTSEV_NO_ITEM;
    const OPTION_SLOT *required = slotOf(statement, ZTSEV_STMT_REQUIRED_SLOT);
    const OPTION_SLOT *second = slotOf(statement, ZTSEV_STMT_SECOND_SLOT);
    const OPTION_SLOT *values1 = withLists ? slotOf(statement, ZTSEV_STMT_VALUES1_SLOT) : nullptr;
    const OPTION_SLOT *values2 = withLists ? slotOf(statement, ZTSEV_STMT_VALUES2_SLOT) : nullptr;
    const OPTION_SLOT *codes = withLists ? slotOf(statement, ZTSEV_STMT_CODES_SLOT) : nullptr;
    /* The carried fields of listed name i (the first entries under ALL). */
    auto carried = [&](int64_t i) {
        Carried c;
        c.required = required != nullptr && required->given ? 1 : 0;
        c.secondFlag = second != nullptr && second->given ? 1 : 0;
        c.firstValue = listEntry(values1, i, orvMissing());
        c.secondValue = listEntry(values2, i, 0.0);
        int64_t code = 0;
        if (ztsevTruncated(listEntry(codes, i, 0.0), INT32_MIN, INT32_MAX, &code)) c.code = int(code);
        return c;
    };
    if (statement->optionBits[0] & ZTSEV_STMT_ALL_BIT) {
        for (ZTSEV_EVENT *event = list->first; event != nullptr; event = event->next) {
            if (event->cls == ZTSEV_CLASS_COMB || !ztsevHasDummyColumn(event->cls)) continue;
            int status = addStatementName(list, names, event->name.text, event->name.length, carried(0));
            if (status != ZTSEV_OK) return status;
        }
        return ZTSEV_OK;
    }
    const OPTION_SLOT *listed = slotOf(statement, ZTSEV_STMT_NAMES_SLOT);
    if (listed == nullptr) return ZTSEV_OK;
    const auto *block = static_cast<const NAME_LIST_BLOCK *>(listed->items);
    const char *text = nullptr;
    int length = 0;
    for (int64_t i = 0; zgetnmr(block, i, &text, &length) == 0; ++i) {
        int status = addStatementName(list, names, text, length, carried(i));
        if (status != ZTSEV_OK) return status;
    }
    return ZTSEV_OK;
}

}  // namespace

int ZTSEVAddEventName(ZTSEV_LIST *list, ZTSEVEventNamelist **names, const char *name, int mode)
{
    ZTSEVEventNamelist *node = nullptr;
    return addNode(list, names, name, mode, &node);
}

int ZTSEVAddEventNameR(ZTSEV_LIST *list, ZTSEVEventNamelist **names, const char *name, int required, int mode)
{
    ZTSEVEventNamelist *node = nullptr;
    int status = addNode(list, names, name, qualifiedMode(mode), &node);
    if (node != nullptr) node->required = required;
    return status;
}

int ZTSEVAddEventNameQ(ZTSEV_LIST *list, ZTSEVEventNamelist **names, const char *name, int required,
                       int secondFlag, int, double firstValue, double secondValue, int code, int mode)
{
    ZTSEVEventNamelist *node = nullptr;
    int status = addNode(list, names, name, qualifiedMode(mode), &node);
    if (node == nullptr) return status;
    node->required = required;
    node->secondFlag = secondFlag;
    node->firstValue = firstValue;
    node->secondValue = secondValue;
    if (status == ZTSEV_OK) node->code = code;
    return status;
}

int ZTSEVDelEventName(ZTSEVEventNamelist **names, const char *name)
{
    if (*names == nullptr) return ZTSEV_EMPTY_NAMES;
    int length = ZTSEVlenORVname(name);
    ztsevMemberIndexDrop(*names);
    for (ZTSEVEventNamelist **link = names; *link != nullptr; link = &(*link)->next) {
        ZTSEVEventNamelist *node = *link;
        if (!ztsevSameName(node->name.text, node->name.length, name, length)) continue;
        *link = node->next;
        ztsevFree(node->pool, node);
        return ZTSEV_OK;
    }
    return ZTSEV_NOT_FOUND;
}

int ZTSEVCopyEventNames(ZTSEV_LIST *list, ZTSEVEventNamelist **from, ZTSEVEventNamelist **to)
{
    /* Emptying the target first would empty a source that is the target. */
    if (from == to || *from == *to) return ZTSEV_OK;
    ZTSEVDestroyEventNamelist(to);
    for (const ZTSEVEventNamelist *node = *from; node != nullptr; node = node->next) {
        int status = ZTSEVAddEventNameQ(list, to, node->name.text, node->required, node->secondFlag, 0,
                                        node->firstValue, node->secondValue, node->code, ZTSEV_NAMES_MEMBER);
        if (status != ZTSEV_OK) return status;
    }
    return ZTSEV_OK;
}

int ZTSEVDestroyEventNamelist(ZTSEVEventNamelist **names)
{
    ZTSEVEventNamelist *node = *names;
    ztsevMemberIndexDrop(node);
    while (node != nullptr) {
        ZTSEVEventNamelist *next = node->next;
        ztsevFree(node->pool, node);
        node = next;
    }
    *names = nullptr;
    return ZTSEV_OK;
}

int ZTSEVGetEvent(const STATEMENT_NODE *statement, ZTSEV_LIST *list, ZTSEVEventNamelist **names)
{
    return getEvents(statement, list, names, false);
}

int ZTSEVGetEventQ(const STATEMENT_NODE *statement, ZTSEV_LIST *list, ZTSEVEventNamelist **names)
{
    return getEvents(statement, list, names, true);
}
