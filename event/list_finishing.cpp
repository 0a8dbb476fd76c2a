/*
 * list_finishing.cpp - finishing parsed event lists (list_finishing.h).
 */
#include "event/list_finishing.h"

#include <cstring>
#include <vector>

#include "event/event_groups.h"
#include "event/event_list.h"
#include "event/event_names.h"
#include "event/event_qualifiers.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "event/statement_options.h"
#include "host/services.h"

namespace {

/* Unlinks and frees event (it has been walked past). */
void dropEvent(ZTSEV_LIST *list, ZTSEV_EVENT *event)
{
    ZTSEVDelItem(list, event, ZTSEV_DEL_KEEP);
    ZTSEVDeleteEventP(event);
}

/* One more repeated-name note, within the list's limit. */
void noteRepeated(ZTSEV_LIST *list, const ZTSEV_EVENT *event)
{
    if (list->notesIssued <= list->noteLimit)
        ztsevNoteName(ZTSEV_MSG_REPEATED_NAME, event->name.text, event->name.length);
    ++list->notesIssued;
    if (list->notesIssued == list->noteLimit + 1)
        xpmlog(ZTSEV_MSG_SET, ZTSEV_MSG_LIMIT_REACHED, ORV_MSG_END);
}

/* Drops every event that a later event of the same name replaces. */
void dropRepeated(ZTSEV_LIST *list)
{
    for (ZTSEV_EVENT *event = list->first; event != nullptr;) {
        ZTSEV_EVENT *next = event->next;
        if (event->sameNameNext != nullptr) {
            noteRepeated(list, event);
            dropEvent(list, event);
        }
        event = next;
    }
}

/* Resolves the date keys of event against keyList; false when one of its
 * named keys names no event there (each such key is noted). */
bool resolveDatekeys(ZTSEV_EVENT *event, ZTSEV_LIST *keyList)
{
    bool keep = true;
    for (int64_t i = 0; i < event->datekeyCount; ++i) {
        /* the key name ends at its first blank or NUL */
        const ORV_COUNTED_NAME &stored = event->datekeyNames[i];
        int cut = ZTSEVlenORVname(stored.text);
        ORV_COUNTED_NAME upper;
        int length = ztsevUpperName(&upper, stored.text, cut < stored.length ? cut : stored.length);
        char key[ZTSEV_NAME_SIZE + 1];
        std::memcpy(key, upper.text, size_t(length));
        key[length] = '\0';
        int status = 0;
        int64_t &code = event->datekeyCodes[i];
        if (code == ZTSEV_USER_DATEKEY) {
            if (ZTSEVFindEvent(keyList, key, &status) == nullptr) {
                ztsevNoteName(ZTSEV_MSG_DATEKEY_UNKNOWN, key, length);
                keep = false;
            }
            continue;
        }
        code = ZTSEVDatekey2Flag(keyList, key, length);
        if (code != ZTSEV_USER_DATEKEY) {
            ZTSEV_EVENT *named = ZTSEVFindEvent(keyList, key, &status);
            if (named != nullptr && named != event) code = ZTSEV_USER_DATEKEY;
        }
    }
    return keep;
}

}  // namespace

void ZTSEVCreateEvents(ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    if (list == nullptr || findpool(&pool, list) != ZTSEV_OK) return;
    ZTSEV_LIST *keys = list->datekeyList;
    if (keys != nullptr) {
        keys->noteLimit = list->noteLimit;
        keys->notesIssued = list->notesIssued;
        ZTSEVCreateEvents(keys, nullptr);
        keys->kind = ZTSEV_LIST_DATEKEYS;
        list->notesIssued = keys->notesIssued;
    }
    dropRepeated(list);
    ZTSEV_LIST *keyList = ztsevTargetKeyList(list);
    for (ZTSEV_EVENT *event = list->first; event != nullptr;) {
        ZTSEV_EVENT *next = event->next;
        bool keep = resolveDatekeys(event, keyList);
        ztsevResolveQualifiers(list, event);
        if (!keep) dropEvent(list, event);
        event = next;
    }
}

int ZTSEVCreateGroupEvents(ZTSEV_LIST *list, const ZTSEV_SERIES *series, MEMORY_OBJECT *pool)
{
    if (list == nullptr || findpool(&pool, list) != ZTSEV_OK) return 0;
    /* the events the walk may append are not walked again */
    std::vector<ZTSEV_EVENT *> predefined;
    for (ZTSEV_EVENT *event = list->first; event != nullptr; event = event->next)
        if (event->cls == ZTSEV_CLASS_PREDEFCOMP) predefined.push_back(event);
    for (ZTSEV_EVENT *group : predefined) {
        if (group->members == nullptr || group->members->name.length <= 0) {
            ztsevNoteName(ZTSEV_MSG_GROUP_UNRESOLVED, group->name.text, group->name.length);
            continue;
        }
        const ORV_COUNTED_NAME &word = group->members->name;
        char resolved[ZTSEV_NAME_SIZE + 1];
        int status = ZTSEVFindGroupPredef(word.text, resolved, series);
        if (status != ZTSEV_OK) {
            ztsevNoteName(status == ZTSEV_NO_SEASONS ? ZTSEV_MSG_NO_SEASONS : ZTSEV_MSG_GROUP_UNRESOLVED,
                          word.text, word.length);
            break;
        }
        ZTSEV_EVENT *named = ZTSEVFindEvent(list, resolved, &status);
        if (named != nullptr && named != group) continue;
        bool replaces = named == group;
        if (replaces) ZTSEVDelItem(list, group, ZTSEV_DEL_KEEP);
        ZTSEV_EVENT *made = ZTSEVNewItem(list, pool, resolved, ZTSEV_CLASS_COMPLEX, &status);
        if (made != nullptr) {
            status = ZTSEVFindGroup(list, series, resolved, &made->members);
            if (status == ZTSEV_GROUP_LATER) {
                made->cls = ZTSEV_CLASS_PREDEFCOMP;
            } else if (status != ZTSEV_OK) {
                if (status == ZTSEV_NOT_GROUP || status == ZTSEV_NO_SEASONS)
                    ztsevNoteName(status == ZTSEV_NOT_GROUP ? ZTSEV_MSG_NOT_GROUP : ZTSEV_MSG_NO_SEASONS,
                                  resolved, ZTSEVlenORVname(resolved));
                ZTSEVDelItem(list, made, ZTSEV_DEL_FREE);
            }
        }
        if (replaces) ZTSEVDeleteEventP(group);
    }
    return 0;
}
