/*
 * member_name_index.cpp - the name index of an event name list (see
 * member_name_index.h).
 */
#include "event/member_name_index.h"

#include "event/event_support.h"
#include "event/name_index.h"

struct ZTSEV_MEMBERINDEX {
    ZTSEVEventNamelist *head;  /* the node that owns the index */
    ZTSEVEventNamelist *tail;  /* the last node when the index was last kept */
    int64_t count;             /* names entered */
    int64_t slotCount;         /* a power of two, at least twice count */
    ZTSEVEventNamelist **slots;
    MEMORY_OBJECT *pool;
};

namespace {

constexpr int64_t kInitialSlots = 64;

uint64_t hashOf(const ZTSEVEventNamelist *node) { return ztsevNameHash(node->name.text, node->name.length); }

/* The slot that holds the node named name[0..length), else the empty slot
 * where it would go. */
ZTSEVEventNamelist **slotOf(const ZTSEV_MEMBERINDEX *index, const char *name, int length, uint64_t hash)
{
    const int64_t mask = index->slotCount - 1;
    for (int64_t i = int64_t(hash & uint64_t(mask));; i = (i + 1) & mask) {
        ZTSEVEventNamelist **slot = &index->slots[i];
        if (*slot == nullptr || ztsevSameName((*slot)->name.text, (*slot)->name.length, name, length)) return slot;
    }
}

/* Enters node unless its name is entered already. */
void enter(ZTSEV_MEMBERINDEX *index, ZTSEVEventNamelist *node);

void grow(ZTSEV_MEMBERINDEX *index)
{
    const int64_t oldCount = index->slotCount;
    ZTSEVEventNamelist **old = index->slots;
    index->slotCount = oldCount == 0 ? kInitialSlots : 2 * oldCount;
    index->slots = static_cast<ZTSEVEventNamelist **>(
        ztsevAllocArray(index->pool, index->slotCount, sizeof(ZTSEVEventNamelist *)));
    index->count = 0;
    for (int64_t i = 0; i < oldCount; ++i)
        if (old[i] != nullptr) enter(index, old[i]);
    if (old != nullptr) ztsevFree(index->pool, old);
}

void enter(ZTSEV_MEMBERINDEX *index, ZTSEVEventNamelist *node)
{
    if (2 * (index->count + 1) > index->slotCount) grow(index);
    ZTSEVEventNamelist **slot = slotOf(index, node->name.text, node->name.length, hashOf(node));
    if (*slot != nullptr) return;
    *slot = node;
    ++index->count;
}

/* The index of the list headed by head, built from the list when head has
 * none of its own or the list has grown past it; null for an empty list. */
ZTSEV_MEMBERINDEX *indexOf(ZTSEVEventNamelist *head)
{
    if (head == nullptr) return nullptr;
    ZTSEV_MEMBERINDEX *index = head->index;
    if (index != nullptr && index->head == head && index->tail->next == nullptr) return index;
    /* A copied head shares its source's index pointer: never free that. */
    if (index == nullptr || index->head != head) {
        index = static_cast<ZTSEV_MEMBERINDEX *>(ztsevAlloc(head->pool, sizeof(ZTSEV_MEMBERINDEX), ZTSEV_ALLOC_ZEROED));
        index->head = head;
        index->pool = head->pool;
        head->index = index;
    }
    for (ZTSEVEventNamelist *node = index->tail != nullptr ? index->tail : head; node != nullptr; node = node->next) {
        enter(index, node);
        index->tail = node;
    }
    return index;
}

}  // namespace

ZTSEVEventNamelist *ztsevMemberFirst(ZTSEVEventNamelist **names, const char *name, int length)
{
    ZTSEV_MEMBERINDEX *index = indexOf(*names);
    if (index == nullptr) return nullptr;
    return *slotOf(index, name, length, ztsevNameHash(name, length));
}

void ztsevMemberAppend(ZTSEVEventNamelist **names, ZTSEVEventNamelist *node)
{
    node->index = nullptr;
    ZTSEV_MEMBERINDEX *index = indexOf(*names);
    if (index == nullptr) {
        *names = node;
        return;
    }
    index->tail->next = node;
    index->tail = node;
    enter(index, node);
}

void ztsevMemberIndexDrop(ZTSEVEventNamelist *head)
{
    if (head == nullptr || head->index == nullptr) return;
    ZTSEV_MEMBERINDEX *index = head->index;
    head->index = nullptr;
    if (index->head != head) return;
    if (index->slots != nullptr) ztsevFree(index->pool, index->slots);
    ztsevFree(index->pool, index);
}
