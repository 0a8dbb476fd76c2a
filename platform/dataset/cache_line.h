/*
 * cache_line.h - memory that one thread writes and another reads kept on
 * cache lines of its own.
 *
 * When the read-ahead thread writes a line that the main thread also uses
 * (a small heap block next to a row, a member next to the data set's),
 * each write takes the line away from the other processor: both slow down
 * many times.  Blocks of CacheLineAllocator start on a line and fill their
 * last one, so no other block shares them.
 *
 * Exports: kCacheLine, CacheLineAllocator.
 */
#ifndef ORV_PLATFORM_DATASET_CACHE_LINE_H
#define ORV_PLATFORM_DATASET_CACHE_LINE_H

#include <cstddef>
#include <new>

namespace orvhost {

constexpr size_t kCacheLine = 64;

/* An allocator of whole cache lines (see above). */
template <class T>
struct CacheLineAllocator {
    using value_type = T;

    CacheLineAllocator() = default;
    template <class U>
    CacheLineAllocator(const CacheLineAllocator<U> &)
    {
    }

    static size_t bytesFor(size_t n)
    {
        return (n * sizeof(T) + kCacheLine - 1) / kCacheLine * kCacheLine;
    }
    T *allocate(size_t n)
    {
        return static_cast<T *>(::operator new(bytesFor(n), std::align_val_t{kCacheLine}));
    }
    void deallocate(T *block, size_t)
    {
        /* Unsized: clang does not declare the sized form unless asked to. */
        ::operator delete(block, std::align_val_t{kCacheLine});
    }
    template <class U>
    bool operator==(const CacheLineAllocator<U> &) const
    {
        return true;
    }
};

}  // namespace orvhost

#endif
