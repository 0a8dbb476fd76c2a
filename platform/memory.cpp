/*
 * memory.cpp - memory objects and pools with failure counting and debug fill.
 */
#include "platform/memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <unordered_map>

namespace orvhost {

namespace {
/* Fill of blocks that were not asked to be zero-filled, so that reading
 * memory before writing it shows. */
constexpr unsigned char kUninitialisedFill = 0xA5;
}  // namespace

/* One memory object: the host record first, then its blocks. */
class Arena {
public:
    explicit Arena(HostMemory &owner) : owner_(owner)
    {
        record_.object.allocate = &Arena::allocateRoutine;
        record_.object.release = &Arena::freeRoutine;
        record_.arena = this;
    }
    ~Arena() { releaseAll(); }

    MEMORY_OBJECT *object() { return &record_.object; }

    static Arena *from(MEMORY_OBJECT *object)
    {
        return reinterpret_cast<Record *>(object)->arena;
    }

    void *allocate(size_t size, int flags)
    {
        if (owner_.attemptFails()) {
            owner_.countFailure();
            return nullptr;
        }
        void *block = std::malloc(size == 0 ? 1 : size);
        if (block == nullptr) {
            owner_.countFailure();
            return nullptr;
        }
        /* The modules learn of a failure by a null block: the bookkeeping
         * running out of memory must neither leak the block nor throw
         * through their frames. */
        try {
            blocks_.emplace(block, size);
        } catch (const std::bad_alloc &) {
            std::free(block);
            owner_.countFailure();
            return nullptr;
        }
        std::memset(block, (flags & ORV_MEM_ZERO_FILL) ? 0 : kUninitialisedFill, size);
        return block;
    }

    bool release(void *block)
    {
        auto found = blocks_.find(block);
        if (found == blocks_.end()) return false;
        std::free(block);
        blocks_.erase(found);
        return true;
    }

    bool owns(void *block) const { return blocks_.count(block) != 0; }
    size_t sizeOf(void *block) const { return blocks_.at(block); }
    size_t blockCount() const { return blocks_.size(); }

    void releaseAll()
    {
        for (auto &[block, size] : blocks_) std::free(block);
        blocks_.clear();
    }

private:
    struct Record {
        MEMORY_OBJECT object; /* first, so the record's address is the object's */
        Arena *arena;
    };
    static_assert(std::is_standard_layout_v<Record> && offsetof(Record, object) == 0);

    static void *allocateRoutine(MEMORY_OBJECT *object, size_t size, int flags)
    {
        return from(object)->allocate(size, flags);
    }
    /* Freeing a block the object does not hold is ignored. */
    static void freeRoutine(MEMORY_OBJECT *object, void *block, int, int)
    {
        if (block != nullptr) from(object)->release(block);
    }

    HostMemory &owner_;
    Record record_;
    std::unordered_map<void *, size_t> blocks_;
};

HostMemory::HostMemory()
    : global_(std::make_unique<Arena>(*this)), second_(std::make_unique<Arena>(*this))
{
}

HostMemory::~HostMemory() = default;

MEMORY_OBJECT *HostMemory::globalObject() { return global_->object(); }
MEMORY_OBJECT *HostMemory::secondObject() { return second_->object(); }

bool HostMemory::attemptFails()
{
    ++attempts_;
    return failAt_ != 0 && attempts_ == failAt_;
}

MEMORY_OBJECT *HostMemory::createPool()
{
    if (attemptFails()) {
        countFailure();
        return nullptr;
    }
    try {
        pools_.push_back(std::make_unique<Arena>(*this));
    } catch (const std::bad_alloc &) {
        countFailure();
        return nullptr;
    }
    return pools_.back()->object();
}

bool HostMemory::deletePool(MEMORY_OBJECT *pool)
{
    auto found = std::find_if(pools_.begin(), pools_.end(),
                              [pool](const auto &arena) { return arena->object() == pool; });
    if (found == pools_.end()) return false;
    pools_.erase(found);
    return true;
}

void *HostMemory::reallocate(MEMORY_OBJECT *object, void *block, size_t size, int flags)
{
    Arena *arena = Arena::from(object);
    if (block != nullptr && !arena->owns(block)) {
        countFailure();
        return nullptr;
    }
    void *moved = arena->allocate(size, flags);
    if (moved == nullptr || block == nullptr) return moved;
    std::memcpy(moved, block, std::min(size, arena->sizeOf(block)));
    arena->release(block);
    return moved;
}

int64_t HostMemory::takeFailureCount()
{
    int64_t count = failures_;
    failures_ = 0;
    return count;
}

void HostMemory::failAllocation(int64_t n)
{
    attempts_ = 0;
    failAt_ = n;
}

void HostMemory::releaseStep()
{
    failures_ = 0;
    pools_.clear();
    global_->releaseAll();
    second_->releaseAll();
}

size_t HostMemory::liveBlockCount() const
{
    size_t count = global_->blockCount() + second_->blockCount();
    for (const auto &pool : pools_) count += pool->blockCount();
    return count;
}

}  // namespace orvhost
