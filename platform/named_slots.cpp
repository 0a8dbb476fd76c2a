/*
 * named_slots.cpp - the named-slot table and the host resources.
 */
#include "platform/named_slots.h"

#include <new>

namespace orvhost {

namespace {

bool keyIsUsable(const char *key, int keyLength)
{
    return key != nullptr && keyLength >= 1 && keyLength <= kMaxSlotKeyLength;
}

/* Clears a resource's entry when it goes out of scope, so that a clean-up
 * routine that ends the step (xexit unwinds through here) still leaves the
 * resource deleted. */
class EntryClearer {
public:
    EntryClearer(HOST_RESOURCE_ENTRY &entry, size_t &live) : entry_(entry), live_(live) {}
    ~EntryClearer()
    {
        entry_ = HOST_RESOURCE_ENTRY{};
        --live_;
    }
    EntryClearer(const EntryClearer &) = delete;
    EntryClearer &operator=(const EntryClearer &) = delete;

private:
    HOST_RESOURCE_ENTRY &entry_;
    size_t &live_;
};

}  // namespace

int NamedSlots::store(const char *key, int keyLength, int64_t value)
{
    if (!keyIsUsable(key, keyLength)) return kSlotBadArgument;
    values_[std::string(key, size_t(keyLength))] = value;
    return 0;
}

int NamedSlots::get(const char *key, int keyLength, int64_t &valueOut) const
{
    if (!keyIsUsable(key, keyLength)) return kSlotBadArgument;
    auto found = values_.find(std::string(key, size_t(keyLength)));
    if (found == values_.end()) return kNoSuchName;
    valueOut = found->second;
    return 0;
}

HostResources::HostResources() { table_.entriesPerBlock = kResourceEntriesPerBlock; }

HOST_RESOURCE_ENTRY *HostResources::entry(int32_t id) const
{
    if (id <= 0) return nullptr;
    uint32_t block = uint32_t(id) >> 16;
    uint32_t index = uint32_t(id) & 0xFFFFu;
    if (block >= blocks_.size() || index >= kResourceEntriesPerBlock) return nullptr;
    return &blocks_[block][index];
}

int HostResources::create(void *content, orv_routine cleanup, int32_t &idOut)
{
    uint32_t block = nextIndex_ / kResourceEntriesPerBlock;
    uint32_t index = nextIndex_ % kResourceEntriesPerBlock;
    if (block >= kResourceMaxBlocks) return kResourceTableFull;
    if (block == blocks_.size()) {
        std::unique_ptr<HOST_RESOURCE_ENTRY[]> entries(new (std::nothrow)
                                                           HOST_RESOURCE_ENTRY[kResourceEntriesPerBlock]());
        if (!entries) return kResourceTableFull;
        try {
            blockPointers_.push_back(entries.get());
            blocks_.push_back(std::move(entries));
        } catch (const std::bad_alloc &) {
            if (blockPointers_.size() > blocks_.size()) blockPointers_.pop_back();
            return kResourceTableFull;
        }
        table_.blocks = blockPointers_.data();
        table_.blockCount = uint32_t(blocks_.size());
    }
    blocks_[block][index] = HOST_RESOURCE_ENTRY{content, cleanup, kResourceLive};
    ++nextIndex_;
    ++live_;
    idOut = int32_t((block << 16) | index);
    return 0;
}

int HostResources::set(int32_t id, void *content)
{
    HOST_RESOURCE_ENTRY *found = entry(id);
    if (found == nullptr || found->state != kResourceLive) return kNoSuchResource;
    found->content = content;
    return 0;
}

int HostResources::remove(int32_t id)
{
    HOST_RESOURCE_ENTRY *found = entry(id);
    if (found == nullptr || found->state != kResourceLive) return kNoSuchResource;
    found->state = kResourceDeleting;
    EntryClearer clearer(*found, live_);
    if (found->cleanup != nullptr)
        reinterpret_cast<orv_resource_cleanup>(found->cleanup)(&table_, id);
    return 0;
}

void HostResources::removeAll()
{
    for (uint32_t index = 1; index < nextIndex_ && live_ > 0; ++index) {
        const int32_t id = int32_t(((index / kResourceEntriesPerBlock) << 16) | (index % kResourceEntriesPerBlock));
        remove(id);
    }
}

const HOST_RESOURCE_ENTRY *HostResources::find(int32_t id) const
{
    const HOST_RESOURCE_ENTRY *found = entry(id);
    return found != nullptr && found->state == kResourceLive ? found : nullptr;
}

}  // namespace orvhost
