/*
 * named_slots.h - values kept for the life of the host process: the
 * named-slot table (xytnsl, xytngl) and the host resources (wtrscrt,
 * wtrsset, wtrsdel).
 *
 * Exports NamedSlots, HostResources, the layout of the resource table that a
 * resource's clean-up routine reads, and the statuses of these services.
 *
 * A named slot is a 64-bit value under a key of 1 to 256 bytes, compared
 * byte for byte.  A host resource holds one content pointer and a clean-up
 * routine that runs when the resource is deleted.  Both live in the Host, so
 * they outlive every step of the process.  A resource's content, though, is
 * memory of the step that made it, which the host releases when the step
 * ends: so at the end of every step, while the module code is still loaded,
 * the host deletes every live resource (running its clean-up routine).  A
 * named slot that still holds the id of a deleted resource names no live
 * resource, and the resource services say so (kNoSuchResource).
 */
#ifndef ORV_PLATFORM_NAMED_SLOTS_H
#define ORV_PLATFORM_NAMED_SLOTS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/host_records.h"
#include "host/service_args.h"

namespace orvhost {

/* Statuses of the slot and resource services. */
constexpr int kSlotBadArgument = int(0x80008020u);  /* null key, key length out of range,
                                                        null output pointer */
constexpr int kNoSuchResource = int(0x80008021u);   /* id that names no live resource */
constexpr int kResourceTableFull = int(0x80008022u); /* no id left, or no memory */
constexpr int kNoSuchName = int(0x80008026u);        /* no value under the key */

constexpr int kMaxSlotKeyLength = 256;

/* The resource table as a clean-up routine reads it (host/host_records.h,
 * shared with the modules). */
using ::HOST_RESOURCE_ENTRY;
using ::HOST_RESOURCE_TABLE;
constexpr uint64_t kResourceLive = 1;
constexpr uint64_t kResourceDeleting = 2; /* its clean-up routine is running */
constexpr uint32_t kResourceEntriesPerBlock = 256;
/* Block indexes stay below 0x8000 so that every id is a positive int32. */
constexpr uint32_t kResourceMaxBlocks = 0x7FFF;

/* How the host calls a resource's clean-up routine. */
using orv_resource_cleanup = void (*)(HOST_RESOURCE_TABLE *table, int32_t resourceId);

class NamedSlots {
public:
    /* Stores value under key (replacing an earlier value).  Returns 0, or
     * kSlotBadArgument for a null key or a length outside 1 to 256. */
    int store(const char *key, int keyLength, int64_t value);

    /* Reads the value under key.  Returns 0 with valueOut set,
     * kNoSuchName when the key holds nothing, or kSlotBadArgument as for
     * store. */
    int get(const char *key, int keyLength, int64_t &valueOut) const;

    size_t size() const { return values_.size(); }

private:
    std::unordered_map<std::string, int64_t> values_;
};

class HostResources {
public:
    HostResources();
    HostResources(const HostResources &) = delete;
    HostResources &operator=(const HostResources &) = delete;

    /* Creates a resource.  Returns 0 with the new id in idOut, or
     * kResourceTableFull. */
    int create(void *content, orv_routine cleanup, int32_t &idOut);

    /* Replaces a live resource's content.  Returns 0 or kNoSuchResource. */
    int set(int32_t id, void *content);

    /* Deletes a live resource: runs its clean-up routine as (table, id)
     * while the entry still holds the content, then clears the entry (also
     * when the routine ends the step).  A delete of the same id from inside
     * the clean-up routine finds no resource.  Returns 0 or
     * kNoSuchResource. */
    int remove(int32_t id);

    /* Deletes every live resource, as remove does, oldest first. */
    void removeAll();

    /* The entry of a live resource, or null. */
    const HOST_RESOURCE_ENTRY *find(int32_t id) const;

    HOST_RESOURCE_TABLE *table() { return &table_; }
    size_t liveCount() const { return live_; }

private:
    HOST_RESOURCE_ENTRY *entry(int32_t id) const;

    HOST_RESOURCE_TABLE table_{};
    std::vector<std::unique_ptr<HOST_RESOURCE_ENTRY[]>> blocks_;
    std::vector<HOST_RESOURCE_ENTRY *> blockPointers_;
    uint32_t nextIndex_ = 1; /* running entry number; 0 is never an id */
    size_t live_ = 0;
};

}  // namespace orvhost

#endif
