/*
 * event_find.cpp - finding events by name, sorting a list by name, and the
 * length of a name (see event_list.h).
 */
#include "event/event_list.h"

#include "event/event_support.h"
#include "event/name_index.h"
#include "host/text_fields.h"

int ZTSEVlenORVname(const char *text)
{
    if (text == nullptr) return 0;
    int n = 0;
    while (n < ZTSEV_NAME_SIZE && text[n] != '\0' && text[n] != ' ') ++n;
    return n;
}

ZTSEV_EVENT *ZTSEVFindEvent(ZTSEV_LIST *list, const char *name, int *status)
{
    if (list == nullptr) {
        *status = ZTSEV_NO_LIST;
        return nullptr;
    }
    ZTSEV_EVENT *event = ztsevIndexFirst(list, name, ZTSEVlenORVname(name));
    *status = event != nullptr ? ZTSEV_OK : ZTSEV_NOT_FOUND;
    return event;
}

ZTSEV_EVENT *ZTSEVFindEventDup(ZTSEV_LIST *list, const char *name, int *k, int *status)
{
    if (list == nullptr) {
        *status = ZTSEV_NO_LIST;
        return nullptr;
    }
    ZTSEV_EVENT *chosen = nullptr;
    const int64_t matches = ztsevIndexCount(list, name, ZTSEVlenORVname(name), &chosen);
    const int wanted = *k;
    if (wanted > 0) {
        chosen = wanted <= matches ? ztsevIndexFirst(list, name, ZTSEVlenORVname(name)) : nullptr;
        for (int i = 1; chosen != nullptr && i < wanted; ++i) chosen = chosen->sameNameNext;
    }
    *k = int(matches);
    *status = matches > 0 ? ZTSEV_OK : ZTSEV_NOT_FOUND;
    return chosen;
}

/* True when a's name sorts after b's in the host's collating order. */
static bool sortsAfter(const ZTSEV_EVENT *a, const ZTSEV_EVENT *b)
{
    return wzstcmn(a->name.text, a->name.length, b->name.text, b->name.length) > 0;
}

int ZTSEVSortEvents(ZTSEV_LIST *list)
{
    if (list == nullptr) return ZTSEV_NO_LIST;
    /* Selection sort on the links: each pass moves every record that sorts
     * before the current one in front of it, so the pass ends with the
     * smallest remaining name in place; equal names are never moved. */
    for (ZTSEV_EVENT *current = list->first; current != nullptr && current->next != nullptr;
         current = current->next) {
        ZTSEV_EVENT *walk = current->next;
        while (walk != nullptr) {
            ZTSEV_EVENT *following = walk->next;
            if (sortsAfter(current, walk)) {
                ZTSEVDelItem(list, walk, ZTSEV_DEL_KEEP);
                ZTSEVInsItem(list, walk, current);
                current = walk;
            }
            walk = following;
        }
    }
    return list->eventCount;
}
