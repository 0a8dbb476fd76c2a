/*
 * name_index.cpp - the name index of an event list (see name_index.h).
 */
#include "event/name_index.h"

#include <cstring>

#include "event/event_list.h"
#include "event/event_support.h"
#include "host/text_fields.h"

/* The records of one name: first and last in list order, their number,
 * and the hash of the name (an empty entry has no first record). */
struct ZTSEV_NAMESLOT {
    ZTSEV_EVENT *first;
    ZTSEV_EVENT *last;
    int64_t count;
    uint64_t hash;
};

namespace {

constexpr int64_t kInitialSlots = 64;

/* The pool of the table: the list's base pool, else its current pool. */
MEMORY_OBJECT *indexPool(ZTSEV_LIST *list)
{
    MEMORY_OBJECT *pool = list->basePool;
    findpool(&pool, list);
    return pool;
}

}  // namespace

uint64_t ztsevNameHash(const char *name, int length)
{
    char upper[ZTSEV_NAME_SIZE];
    length = wzstrip(name, length < ZTSEV_NAME_SIZE ? length : ZTSEV_NAME_SIZE);
    wztxxlt(0, name, upper, length);
    uint64_t hash = 14695981039346656037ull;
    for (int i = 0; i < length; ++i) {
        hash ^= static_cast<unsigned char>(upper[i]);
        hash *= 1099511628211ull;
    }
    return hash;
}

namespace {

uint64_t hashOf(const ZTSEV_EVENT *event) { return ztsevNameHash(event->name.text, event->name.length); }

bool named(const ZTSEV_EVENT *event, const char *name, int length)
{
    return ztsevSameName(event->name.text, event->name.length, name, length);
}

int64_t home(uint64_t hash, int64_t slots) { return int64_t(hash & uint64_t(slots - 1)); }

/* The entry of name: the one that holds it, else the empty entry where it
 * would go; null while the index has no table. */
ZTSEV_NAMESLOT *entryOf(const ZTSEV_LIST *list, const char *name, int length, uint64_t hash)
{
    if (list->nameSlots == nullptr) return nullptr;
    const int64_t mask = list->nameSlotCount - 1;
    for (int64_t i = home(hash, list->nameSlotCount);; i = (i + 1) & mask) {
        ZTSEV_NAMESLOT *slot = &list->nameSlots[i];
        if (slot->first == nullptr) return slot;
        if (slot->hash == hash && named(slot->first, name, length)) return slot;
    }
}

/* Doubles the table (or makes the first one) and enters the entries
 * again. */
void grow(ZTSEV_LIST *list)
{
    const int64_t oldCount = list->nameSlotCount;
    ZTSEV_NAMESLOT *old = list->nameSlots;
    const int64_t count = oldCount == 0 ? kInitialSlots : 2 * oldCount;
    MEMORY_OBJECT *pool = indexPool(list);
    list->nameSlots = static_cast<ZTSEV_NAMESLOT *>(ztsevAllocArray(pool, count, sizeof(ZTSEV_NAMESLOT)));
    list->nameSlotCount = count;
    for (int64_t i = 0; i < oldCount; ++i) {
        if (old[i].first == nullptr) continue;
        int64_t j = home(old[i].hash, count);
        while (list->nameSlots[j].first != nullptr) j = (j + 1) & (count - 1);
        list->nameSlots[j] = old[i];
    }
    ztsevFree(pool, old);
}

/* The record of item's name that precedes it in the chain, or null. */
ZTSEV_EVENT *earlierNamed(ZTSEV_EVENT *item)
{
    for (ZTSEV_EVENT *walk = item->prev; walk != nullptr; walk = walk->prev)
        if (named(walk, item->name.text, item->name.length)) return walk;
    return nullptr;
}

/* Empties slot, moving later entries of its probe run back so that every
 * entry stays reachable from its home. */
void vacate(ZTSEV_LIST *list, ZTSEV_NAMESLOT *slot)
{
    const int64_t mask = list->nameSlotCount - 1;
    int64_t hole = slot - list->nameSlots;
    for (int64_t i = (hole + 1) & mask; list->nameSlots[i].first != nullptr; i = (i + 1) & mask) {
        const int64_t want = home(list->nameSlots[i].hash, list->nameSlotCount);
        /* the entry may fill the hole when its home is not cyclically in
         * (hole, i] */
        const bool reachable = hole <= i ? (want > hole && want <= i) : (want > hole || want <= i);
        if (reachable) continue;
        list->nameSlots[hole] = list->nameSlots[i];
        hole = i;
    }
    list->nameSlots[hole] = ZTSEV_NAMESLOT{};
}

}  // namespace

void ztsevIndexLinked(ZTSEV_LIST *list, ZTSEV_EVENT *item)
{
    if (2 * (list->nameCount + 1) > list->nameSlotCount) grow(list);
    const uint64_t hash = hashOf(item);
    ZTSEV_NAMESLOT *slot = entryOf(list, item->name.text, item->name.length, hash);
    item->sameNamePrev = item->sameNameNext = nullptr;
    if (slot->first == nullptr) {
        *slot = ZTSEV_NAMESLOT{item, item, 1, hash};
        ++list->nameCount;
        return;
    }
    /* appended records (the usual case) follow the last of their name;
     * others are placed by the chain */
    ZTSEV_EVENT *after = item->next == nullptr ? slot->last : earlierNamed(item);
    ZTSEV_EVENT *before = after != nullptr ? after->sameNameNext : slot->first;
    item->sameNamePrev = after;
    item->sameNameNext = before;
    if (after != nullptr) after->sameNameNext = item;
    else slot->first = item;
    if (before != nullptr) before->sameNamePrev = item;
    else slot->last = item;
    ++slot->count;
}

void ztsevIndexUnlinked(ZTSEV_LIST *list, ZTSEV_EVENT *item)
{
    ZTSEV_NAMESLOT *slot = entryOf(list, item->name.text, item->name.length, hashOf(item));
    if (slot == nullptr || slot->first == nullptr) return;
    if (item->sameNamePrev != nullptr) item->sameNamePrev->sameNameNext = item->sameNameNext;
    else slot->first = item->sameNameNext;
    if (item->sameNameNext != nullptr) item->sameNameNext->sameNamePrev = item->sameNamePrev;
    else slot->last = item->sameNamePrev;
    item->sameNamePrev = item->sameNameNext = nullptr;
    if (--slot->count > 0) return;
    vacate(list, slot);
    --list->nameCount;
}

ZTSEV_EVENT *ztsevIndexFirst(const ZTSEV_LIST *list, const char *name, int length)
{
    const ZTSEV_NAMESLOT *slot = entryOf(list, name, length, ztsevNameHash(name, length));
    return slot != nullptr ? slot->first : nullptr;
}

int64_t ztsevIndexCount(const ZTSEV_LIST *list, const char *name, int length, ZTSEV_EVENT **last)
{
    const ZTSEV_NAMESLOT *slot = entryOf(list, name, length, ztsevNameHash(name, length));
    const bool found = slot != nullptr && slot->first != nullptr;
    if (last != nullptr) *last = found ? slot->last : nullptr;
    return found ? slot->count : 0;
}

void ztsevRenameEvent(ZTSEV_LIST *list, ZTSEV_EVENT *event, const char *name)
{
    ztsevIndexUnlinked(list, event);
    ztsevSetName(&event->name, name);
    ztsevIndexLinked(list, event);
}
