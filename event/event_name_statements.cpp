/*
 * event_name_statements.cpp - the statements that make events from other
 * events' names: EVENTKEY (an event from a known event or a keyword),
 * EVENTCOMB (members combined by a rule) and EVENTGROUP (a group of
 * members, or a predefined group word) (event_statements.h).
 */
#include "event/event_statements.h"

#include <cstring>

#include "event/event_groups.h"
#include "event/event_list.h"
#include "event/event_names.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "event/name_index.h"
#include "event/statement_options.h"

namespace {

/* A name of the statement with its length. */
struct Name {
    char text[ZTSEV_NAME_SIZE + 1] = {};
    int length = 0;
};

Name nameOf(const STATEMENT_NODE *statement, int slot, int64_t i)
{
    Name name;
    name.length = ztsevStatementName(statement, slot, i, name.text);
    return name;
}

Name upperCased(const Name &name)
{
    ORV_COUNTED_NAME field;
    Name upper;
    upper.length = ztsevUpperName(&field, name.text, name.length);
    std::memcpy(upper.text, field.text, size_t(upper.length));
    return upper;
}

bool sameName(const Name &a, const Name &b) { return ztsevSameName(a.text, a.length, b.text, b.length); }

/* Appends the event the statement names, of class cls (EVENTCOMB's keeps
 * no name capacity); null with *status 0 when the statement names none,
 * or with the append's status. */
ZTSEV_EVENT *newEvent(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool, int32_t cls,
                      Name *name, int *status)
{
    *name = nameOf(statement, ZTSEV_SLOT_NAMES, 0);
    *status = 0;
    if (name->length == 0) return nullptr;
    ZTSEV_EVENT *event = ZTSEVNewItem(list, pool, name->text, cls, status);
    if (event != nullptr && cls == ZTSEV_CLASS_COMB) event->nameCapacity = 0;
    return event;
}

/*
 * Adds the statement's members to event's member names with mode.  A
 * member named like the event frees the event (note (883, selfNote) with
 * its name) and gives ZTSEV_SELF_MEMBER; a member named twice (883, 305)
 * and one that cannot be added (883, unknownNote) are left out.
 * Returns 0 or ZTSEV_SELF_MEMBER.
 */
int addMembers(const STATEMENT_NODE *statement, ZTSEV_LIST *list, ZTSEV_EVENT *event, const Name &name,
               int mode, int selfNote, int unknownNote)
{
    for (int64_t i = 0; i < ztsevNameCount(statement, ZTSEV_SLOT_SECOND); ++i) {
        Name member = nameOf(statement, ZTSEV_SLOT_SECOND, i);
        if (member.length == 0) continue;
        if (sameName(member, name)) {
            ztsevNoteName(selfNote, name.text, name.length);
            ZTSEVDelItem(list, event, ZTSEV_DEL_FREE);
            return ZTSEV_SELF_MEMBER;
        }
        ztsevAddListedMember(list, event, member.text, mode, unknownNote);
    }
    return ZTSEV_OK;
}

}  // namespace

int ztsevAddListedMember(ZTSEV_LIST *list, ZTSEV_EVENT *event, const char *member, int mode, int unknownNote)
{
    const int status = ZTSEVAddEventName(list, &event->members, member, mode);
    if (status == ZTSEV_ALREADY_LISTED)
        ztsevNoteName(ZTSEV_MSG_MEMBER_REPEATED, member, ZTSEVlenORVname(member));
    else if (status != ZTSEV_OK)
        ztsevNoteName(unknownNote, member, ZTSEVlenORVname(member));
    return status;
}

int ztsevApplyKeyStatement(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool, int32_t cls,
                           ZTSEV_LIST *keyList, int unknownNote)
{
    Name newName = nameOf(statement, ZTSEV_SLOT_NAMES, 0);
    if (newName.length == 0) return 0;
    bool separateKey = ztsevNameCount(statement, ZTSEV_SLOT_SECOND) > 0;
    Name key = separateKey ? nameOf(statement, ZTSEV_SLOT_SECOND, 0) : upperCased(newName);
    if (key.length == 0) return 0;
    int status = 0;
    ZTSEV_EVENT *known = ZTSEVFindEvent(list, key.text, &status);
    if (known != nullptr && known->cls != ZTSEV_CLASS_COMB && known->cls != ZTSEV_CLASS_COMPLEX) {
        ZTSEV_EVENT *target = known;
        if (sameName(newName, key)) {
            if (separateKey && std::memcmp(known->name.text, newName.text, size_t(newName.length)) != 0)
                ztsevRenameEvent(list, known, newName.text);
        } else {
            target = ZTSEVNewItem(list, pool, newName.text, ZTSEV_CLASS_UNSET, &status);
            if (target == nullptr) return status;
            ZTSEVCopyItem(list, known, target);
            if (cls != ZTSEV_CLASS_UNSET) target->cls = cls;
            /* counted as a dummy column when made; its class may have none */
            if (!ztsevHasDummyColumn(target->cls)) --list->dummyCount;
        }
        ztsevApplyQualifiers(statement, target);
        return 0;
    }
    /* A combination or group is no key: in a list that is its own date-key
     * list the registry would otherwise take it as one of its date keys. */
    if (known != nullptr && keyList == list) keyList = nullptr;
    ZTSEV_EVENT *made = ZTSEVFindKeyword(list, keyList, newName.text, newName.length, key.text, key.length, &status);
    if (status != ZTSEV_OK && status != ZTSEV_NOT_FOUND) return status;
    /* SEASONAL is recognised but makes no event: nothing to apply options to */
    if (made == nullptr) {
        ztsevNoteName(unknownNote, key.text, key.length);
        return 0;
    }
    if (cls != ZTSEV_CLASS_UNSET) made->cls = cls;
    ztsevApplyQualifiers(statement, made);
    return 0;
}

int ZTSEVGetEventKey(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    ztsevApplyKeyStatement(statement, list, pool, ZTSEV_CLASS_UNSET, ztsevTargetKeyList(list),
                           ZTSEV_MSG_KEY_UNKNOWN);
    return 0;
}

int ZTSEVGetEventComb(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    Name name;
    int status = 0;
    ZTSEV_EVENT *event = newEvent(statement, list, pool, ZTSEV_CLASS_COMB, &name, &status);
    if (event == nullptr) return status;
    if (addMembers(statement, list, event, name, ZTSEV_NAMES_KEY, ZTSEV_MSG_COMB_SELF,
                   ZTSEV_MSG_MEMBER_UNKNOWN) != ZTSEV_OK)
        return ZTSEV_SELF_MEMBER;
    ztsevApplyRule(statement, event);
    return 0;
}

int ZTSEVGetEventGroup(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    Name name;
    int status = 0;
    ZTSEV_EVENT *event = newEvent(statement, list, pool, ZTSEV_CLASS_COMPLEX, &name, &status);
    if (event == nullptr) return status;
    if (statement->optionBits[0] & ZTSEV_FLAG1_MEMBERS) {
        if (addMembers(statement, list, event, name, ZTSEV_NAMES_MEMBER, ZTSEV_MSG_GROUP_SELF,
                       ZTSEV_MSG_KEY_UNKNOWN) != ZTSEV_OK)
            return ZTSEV_SELF_MEMBER;
    } else {
        Name word = (statement->optionBits[0] & ZTSEV_FLAG1_GROUP_WORD)
                        ? nameOf(statement, ZTSEV_SLOT_SECOND, 0)
                        : upperCased(name);
        status = ZTSEVFindGroup(list, nullptr, word.text, &event->members);
        /* both classes have no dummy column: the counts stay */
        if (status == ZTSEV_GROUP_LATER)
            event->cls = ZTSEV_CLASS_PREDEFCOMP;
        else if (status != ZTSEV_OK)
            ztsevNoteName(ZTSEV_MSG_NOT_GROUP, word.text, word.length);
    }
    ztsevApplyLabelLocale(statement, event);
    return 0;
}
