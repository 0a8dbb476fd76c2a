/*
 * memory.h - the host's memory objects and memory pools.
 *
 * A memory object is the record of host_records.h (allocate and free
 * routines) followed by the host's bookkeeping; the global object (GCB word
 * 0x28), the second object (word 0x98) and every pool are memory objects.
 * Everything allocated during a step is released when the step ends.
 *
 * Allocation failures are not reported at the call: the host counts them,
 * and xmemdef hands out the count since its last call.  For tests, the Nth
 * allocation attempt of the process can be made to fail.
 */
#ifndef ORV_PLATFORM_MEMORY_H
#define ORV_PLATFORM_MEMORY_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/host_records.h"

namespace orvhost {

class Arena;

class HostMemory {
public:
    HostMemory();
    ~HostMemory();
    HostMemory(const HostMemory &) = delete;
    HostMemory &operator=(const HostMemory &) = delete;

    MEMORY_OBJECT *globalObject();
    MEMORY_OBJECT *secondObject();

    /* A new pool, or null when the allocation fails (the failure is
     * counted). */
    MEMORY_OBJECT *createPool();

    /* Deletes a pool with all its blocks; false for an object that is not a
     * live pool (nothing happens then). */
    bool deletePool(MEMORY_OBJECT *pool);

    /* Resizes a block of a memory object, keeping its contents up to the
     * smaller size.  A null block allocates.  On failure (also for a block
     * the object does not hold) returns null, counts the failure and leaves
     * the old block valid. */
    void *reallocate(MEMORY_OBJECT *object, void *block, size_t size, int flags);

    /* Number of failed allocations since the last call. */
    int64_t takeFailureCount();

    /* Makes allocation attempt number n (counted from the call, 1 = the
     * next) fail; 0 turns the switch off. */
    void failAllocation(int64_t n);

    /* Frees every block of the step, deletes its pools and forgets its
     * failures. */
    void releaseStep();

    /* Blocks currently allocated from every memory object and pool. */
    size_t liveBlockCount() const;

    /* Called by the arenas: true when this attempt must fail. */
    bool attemptFails();
    void countFailure() { ++failures_; }

private:
    std::unique_ptr<Arena> global_;
    std::unique_ptr<Arena> second_;
    std::vector<std::unique_ptr<Arena>> pools_;
    int64_t failures_ = 0;
    int64_t attempts_ = 0;
    int64_t failAt_ = 0;
};

}  // namespace orvhost

#endif
