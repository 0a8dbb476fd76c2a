/*
 * slot_services.cpp - host routines of the named slots (xytnsl, xytngl) and
 * the host resources (wtrscrt, wtrsset, wtrsdel).
 *
 * This host has one process-wide slot table: the table handle and the mode
 * that callers pass (1 to store, 2 to get) select nothing and are not
 * checked.  Statuses are those of platform/named_slots.h.
 */
#include "platform/host.h"
#include "platform/named_slots.h"
#include "platform/service_table.h"

namespace host_routines {

namespace {

orvhost::NamedSlots &slots() { return orvhost::Host::current().namedSlots(); }
orvhost::HostResources &resources() { return orvhost::Host::current().resources(); }

}  // namespace

/* Stores value under the key (keyLength bytes, 1 to 256, compared byte for
 * byte), replacing an earlier value.  Returns 0, or kSlotBadArgument. */
int xytnsl(void * /*slotTable*/, int /*mode*/, const char *key, int keyLength, int64_t value)
{
    return slots().store(key, keyLength, value);
}

/* Gets the value under the key into *valueOut; trailing arguments are not
 * read.  Returns 0, 0x80008026 (kNoSuchName) when the key holds nothing, or
 * kSlotBadArgument (also for a null valueOut). */
int xytngl(void * /*slotTable*/, int /*mode*/, const char *key, int keyLength, int64_t *valueOut,
           ...)
{
    if (valueOut == nullptr) return orvhost::kSlotBadArgument;
    return slots().get(key, keyLength, *valueOut);
}

/* Creates a resource holding content; cleanupRoutine (may be null) is
 * called as (resource table, id) when the resource is deleted.  Returns 0
 * with the id stored, kSlotBadArgument for a null resourceIdOut, or
 * kResourceTableFull. */
int wtrscrt(void *content, orv_routine cleanupRoutine, int32_t *resourceIdOut)
{
    if (resourceIdOut == nullptr) return orvhost::kSlotBadArgument;
    return resources().create(content, cleanupRoutine, *resourceIdOut);
}

/* Deletes a resource, running its clean-up routine.  Returns 0 or
 * kNoSuchResource. */
int wtrsdel(int32_t resourceId) { return resources().remove(resourceId); }

/* Replaces a resource's content.  Returns 0 or kNoSuchResource. */
int wtrsset(int32_t resourceId, void *content) { return resources().set(resourceId, content); }

}  // namespace host_routines
