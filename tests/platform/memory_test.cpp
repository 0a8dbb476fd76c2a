/*
 * memory_test.cpp - the host's memory objects and pools: the allocate and
 * free routines of a memory object, zero fill and debug fill, resizing,
 * made-to-fail allocations and their count (xmemdef), pool deletion, the
 * release of a step's memory, and the out-of-memory message.
 */
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "host/host_records.h"
#include "platform/host.h"
#include "platform/memory.h"
#include "platform/service_table.h"

namespace {

using orvhost::HostMemory;

constexpr int kZeroFilled = 0x2006;
constexpr int kNotZeroFilled = 0x2002;

void *allocateFrom(MEMORY_OBJECT *object, size_t size, int flags)
{
    return object->allocate(object, size, flags);
}

void freeTo(MEMORY_OBJECT *object, void *block) { object->release(object, block, 0, ORV_MEM_FREE_MODE); }

bool allBytesAre(const void *block, size_t size, unsigned char value)
{
    const auto *bytes = static_cast<const unsigned char *>(block);
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] != value) return false;
    return true;
}

void fillCounting(void *block, size_t size)
{
    auto *bytes = static_cast<unsigned char *>(block);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i + 1);
}

bool holdsCounting(const void *block, size_t size)
{
    const auto *bytes = static_cast<const unsigned char *>(block);
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] != static_cast<unsigned char>(i + 1)) return false;
    return true;
}

/* ---- memory objects without a host ---------------------------------------- */

TEST(HostMemory, FillOfNewBlocks)
{
    enum Which { Global, Second, Pool };
    const struct {
        const char *id;
        Which object;
        size_t size;
        int flags;
        unsigned char fill;
    } cases[] = {
        {"global zero-filled", Global, 64, kZeroFilled, 0x00},
        {"global not zero-filled", Global, 64, kNotZeroFilled, 0xA5},
        {"second zero-filled", Second, 33, kZeroFilled, 0x00},
        {"second not zero-filled", Second, 33, kNotZeroFilled, 0xA5},
        {"pool zero-filled", Pool, 4096, kZeroFilled, 0x00},
        {"pool not zero-filled", Pool, 4096, kNotZeroFilled, 0xA5},
        {"zero-fill bit alone", Pool, 7, ORV_MEM_ZERO_FILL, 0x00},
        {"no flags", Pool, 7, 0, 0xA5},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        HostMemory memory;
        MEMORY_OBJECT *object = c.object == Global   ? memory.globalObject()
                                : c.object == Second ? memory.secondObject()
                                                     : memory.createPool();
        ASSERT_NE(object, nullptr);
        void *block = allocateFrom(object, c.size, c.flags);
        ASSERT_NE(block, nullptr);
        EXPECT_TRUE(allBytesAre(block, c.size, c.fill));
        EXPECT_EQ(memory.liveBlockCount(), 1u);
        freeTo(object, block);
        EXPECT_EQ(memory.liveBlockCount(), 0u);
        EXPECT_EQ(memory.takeFailureCount(), 0);
    }
}

TEST(HostMemory, FreeRoutineIgnoresBlocksTheObjectDoesNotHold)
{
    HostMemory memory;
    MEMORY_OBJECT *global = memory.globalObject();
    MEMORY_OBJECT *pool = memory.createPool();
    void *globalBlock = allocateFrom(global, 16, kZeroFilled);
    void *poolBlock = allocateFrom(pool, 16, kZeroFilled);
    void *empty = allocateFrom(pool, 0, kNotZeroFilled);
    ASSERT_NE(globalBlock, nullptr);
    ASSERT_NE(poolBlock, nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_NE(empty, poolBlock);
    ASSERT_EQ(memory.liveBlockCount(), 3u);

    freeTo(pool, globalBlock); /* not the pool's */
    freeTo(pool, nullptr);
    EXPECT_EQ(memory.liveBlockCount(), 3u);

    freeTo(global, globalBlock);
    freeTo(pool, poolBlock);
    freeTo(pool, empty);
    EXPECT_EQ(memory.liveBlockCount(), 0u);
}

TEST(HostMemory, DeletePoolAcceptsOnlyLivePools)
{
    HostMemory memory;
    MEMORY_OBJECT *pool = memory.createPool();
    MEMORY_OBJECT *other = memory.createPool();
    ASSERT_NE(allocateFrom(memory.globalObject(), 8, kZeroFilled), nullptr);
    ASSERT_NE(allocateFrom(pool, 8, kZeroFilled), nullptr);
    ASSERT_NE(allocateFrom(pool, 8, kZeroFilled), nullptr);
    ASSERT_NE(allocateFrom(other, 8, kZeroFilled), nullptr);
    ASSERT_EQ(memory.liveBlockCount(), 4u);

    EXPECT_TRUE(memory.deletePool(pool));
    EXPECT_EQ(memory.liveBlockCount(), 2u);
    EXPECT_FALSE(memory.deletePool(pool));
    EXPECT_FALSE(memory.deletePool(memory.globalObject()));
    EXPECT_FALSE(memory.deletePool(memory.secondObject()));
    EXPECT_FALSE(memory.deletePool(nullptr));
    EXPECT_EQ(memory.liveBlockCount(), 2u);
    EXPECT_TRUE(memory.deletePool(other));
    EXPECT_EQ(memory.liveBlockCount(), 1u);
}

TEST(HostMemory, ReleaseStepFreesEverythingAndObjectsStayUsable)
{
    HostMemory memory;
    MEMORY_OBJECT *pool = memory.createPool();
    ASSERT_NE(pool, nullptr);
    ASSERT_NE(allocateFrom(memory.globalObject(), 10, kZeroFilled), nullptr);
    ASSERT_NE(allocateFrom(memory.globalObject(), 20, kNotZeroFilled), nullptr);
    ASSERT_NE(allocateFrom(memory.secondObject(), 30, kZeroFilled), nullptr);
    ASSERT_NE(allocateFrom(pool, 40, kZeroFilled), nullptr);
    ASSERT_NE(allocateFrom(pool, 50, kNotZeroFilled), nullptr);
    ASSERT_EQ(memory.liveBlockCount(), 5u);

    memory.releaseStep();
    EXPECT_EQ(memory.liveBlockCount(), 0u);
    EXPECT_FALSE(memory.deletePool(pool)); /* the step's pools are gone */

    void *next = allocateFrom(memory.globalObject(), 12, kNotZeroFilled);
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(allBytesAre(next, 12, 0xA5));
    EXPECT_NE(memory.createPool(), nullptr);
    EXPECT_EQ(memory.liveBlockCount(), 1u);
}

/* ---- the memory services of a running host ------------------------------- */

class MemoryServices : public ::testing::Test {
protected:
    HostMemory &memory() { return host.memory(); }

    std::ostringstream out;
    orvhost::Host host{out};
};

/* Allocation attempt N (counted from failAllocation) fails; every other
 * attempt succeeds, and xmemdef reports the one failure once. */
TEST_F(MemoryServices, NthAllocationFailsAndIsCountedOnce)
{
    const struct {
        const char *id;
        int failAt; /* 0: none */
    } cases[] = {{"none", 0}, {"first", 1}, {"third", 3}, {"fifth", 5}, {"beyond the attempts", 11}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        void *pool = host_routines::xmpoolc(0, 1024, 2);
        ASSERT_NE(pool, nullptr);
        memory().failAllocation(c.failAt);
        for (int attempt = 1; attempt <= 5; ++attempt) {
            SCOPED_TRACE("attempt " + std::to_string(attempt));
            void *block = host_routines::xmrealc(pool, nullptr, 0, 24, kZeroFilled);
            if (attempt == c.failAt)
                EXPECT_EQ(block, nullptr);
            else
                EXPECT_NE(block, nullptr);
        }
        int expected = c.failAt >= 1 && c.failAt <= 5 ? 1 : 0;
        EXPECT_EQ(host_routines::xmemdef(), expected);
        EXPECT_EQ(host_routines::xmemdef(), 0);
        /* Only one attempt fails: the next five (attempts 6 to 10) all succeed. */
        for (int attempt = 1; attempt <= 5; ++attempt)
            EXPECT_NE(host_routines::xmrealc(pool, nullptr, 0, 8, kNotZeroFilled), nullptr);
        EXPECT_EQ(host_routines::xmemdef(), 0);
        host_routines::xmpoold(pool);
        memory().failAllocation(0);
    }
    EXPECT_EQ(memory().liveBlockCount(), 0u);
    EXPECT_EQ(out.str(), "");
}

TEST_F(MemoryServices, FailuresAddUpUntilXmemdef)
{
    MEMORY_OBJECT *global = memory().globalObject();
    memory().failAllocation(1);
    EXPECT_EQ(allocateFrom(global, 8, kZeroFilled), nullptr);
    memory().failAllocation(2);
    EXPECT_NE(allocateFrom(global, 8, kZeroFilled), nullptr);
    EXPECT_EQ(allocateFrom(global, 8, kZeroFilled), nullptr);
    memory().failAllocation(1);
    EXPECT_EQ(host_routines::xmpoolc(0, 1024, 2), nullptr);
    EXPECT_EQ(host_routines::xmemdef(), 3);
    EXPECT_EQ(host_routines::xmemdef(), 0);
    EXPECT_EQ(memory().liveBlockCount(), 1u);
}

TEST_F(MemoryServices, PoolCreationFailsWhenItIsTheNthAttempt)
{
    const struct {
        const char *id;
        std::function<bool(void **)> create; /* true: a pool was made */
    } cases[] = {
        {"xmpoolc", [](void **pool) { return (*pool = host_routines::xmpoolc(0, 1024, 2)) != nullptr; }},
        {"wmtpc",
         [](void **pool) {
             int rc = host_routines::wmtpc(pool, 0, 1024, 2, 0);
             EXPECT_EQ(rc < 0, *pool == nullptr) << "rc " << rc;
             return rc >= 0;
         }},
        {"wmrpc",
         [](void **pool) {
             int rc = host_routines::wmrpc(pool, 0, 1024, 2, 0);
             EXPECT_EQ(rc < 0, *pool == nullptr) << "rc " << rc;
             return rc >= 0;
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        void *pool = reinterpret_cast<void *>(uintptr_t{0x1});
        memory().failAllocation(1);
        EXPECT_FALSE(c.create(&pool));
        EXPECT_EQ(pool, nullptr);
        EXPECT_EQ(host_routines::xmemdef(), 1);

        EXPECT_TRUE(c.create(&pool));
        ASSERT_NE(pool, nullptr);
        void *block = host_routines::xmrealc(pool, nullptr, 0, 16, kNotZeroFilled);
        ASSERT_NE(block, nullptr);
        EXPECT_TRUE(allBytesAre(block, 16, 0xA5));
        EXPECT_EQ(host_routines::xmemdef(), 0);
        host_routines::xmpoold(pool);
    }
    EXPECT_EQ(memory().liveBlockCount(), 0u);
}

TEST_F(MemoryServices, XmrealcKeepsContents)
{
    const struct {
        const char *id;
        int64_t oldSize, newSize;
        int flags;
        unsigned char tailFill; /* bytes past the old size */
    } cases[] = {
        {"grow, not zero-filled", 8, 32, kNotZeroFilled, 0xA5},
        {"grow, zero-filled", 8, 32, kZeroFilled, 0x00},
        {"shrink", 40, 5, kNotZeroFilled, 0},
        {"same size", 12, 12, kZeroFilled, 0},
        {"grow a large block", 5000, 70000, kZeroFilled, 0x00},
        {"shrink to nothing", 9, 0, kNotZeroFilled, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        void *pool = host_routines::xmpoolc(0, 1024, 2);
        ASSERT_NE(pool, nullptr);
        void *block = host_routines::xmrealc(pool, nullptr, 0, c.oldSize, kNotZeroFilled);
        ASSERT_NE(block, nullptr);
        fillCounting(block, size_t(c.oldSize));
        size_t before = memory().liveBlockCount();

        void *resized = host_routines::xmrealc(pool, block, c.oldSize, c.newSize, c.flags);
        ASSERT_NE(resized, nullptr);
        size_t kept = size_t(std::min(c.oldSize, c.newSize));
        EXPECT_TRUE(holdsCounting(resized, kept));
        if (c.newSize > c.oldSize) {
            EXPECT_TRUE(allBytesAre(static_cast<unsigned char *>(resized) + kept,
                                    size_t(c.newSize) - kept, c.tailFill));
        }
        EXPECT_EQ(memory().liveBlockCount(), before); /* the old block was freed */
        EXPECT_EQ(host_routines::xmemdef(), 0);
        host_routines::xmpoold(pool);
    }
    EXPECT_EQ(memory().liveBlockCount(), 0u);
}

TEST_F(MemoryServices, FailedXmrealcLeavesTheOldBlockIntact)
{
    void *pool = host_routines::xmpoolc(0, 1024, 2);
    ASSERT_NE(pool, nullptr);
    void *block = host_routines::xmrealc(pool, nullptr, 0, 100, kNotZeroFilled);
    ASSERT_NE(block, nullptr);
    fillCounting(block, 100);

    memory().failAllocation(1);
    EXPECT_EQ(host_routines::xmrealc(pool, block, 100, 400, kZeroFilled), nullptr);
    EXPECT_EQ(host_routines::xmemdef(), 1);
    EXPECT_TRUE(holdsCounting(block, 100));
    EXPECT_EQ(memory().liveBlockCount(), 1u);

    /* The old block is still the pool's: it can be resized and freed. */
    void *resized = host_routines::xmrealc(pool, block, 100, 50, kNotZeroFilled);
    ASSERT_NE(resized, nullptr);
    EXPECT_TRUE(holdsCounting(resized, 50));
    auto *object = static_cast<MEMORY_OBJECT *>(pool);
    freeTo(object, resized);
    EXPECT_EQ(memory().liveBlockCount(), 0u);
    host_routines::xmpoold(pool);
}

TEST_F(MemoryServices, XmrealcRefusesBadArguments)
{
    void *pool = host_routines::xmpoolc(0, 1024, 2);
    void *other = host_routines::xmpoolc(0, 1024, 2);
    ASSERT_NE(pool, nullptr);
    ASSERT_NE(other, nullptr);
    void *block = host_routines::xmrealc(pool, nullptr, 0, 8, kZeroFilled);
    ASSERT_NE(block, nullptr);

    const struct {
        const char *id;
        void *pool;
        void *block;
        int64_t newSize;
    } cases[] = {
        {"null pool", nullptr, nullptr, 8},
        {"negative size", pool, nullptr, -1},
        {"negative size of a block", pool, block, -8},
        {"block of another pool", other, block, 16},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        host_routines::xmemdef();
        EXPECT_EQ(host_routines::xmrealc(c.pool, c.block, 8, c.newSize, kZeroFilled), nullptr);
        EXPECT_EQ(memory().liveBlockCount(), 1u);
        if (c.block != nullptr && c.pool == other) {
            EXPECT_EQ(host_routines::xmemdef(), 1) << "the refused block counts as a failure";
        }
    }
    host_routines::xmpoold(other);
    host_routines::xmpoold(pool);
    EXPECT_EQ(memory().liveBlockCount(), 0u);
}

TEST_F(MemoryServices, XmpooldFreesTheBlocksOfALivePoolOnly)
{
    void *kept = host_routines::xmpoolc(0, 1024, 2);
    void *pool = host_routines::xmpoolc(0, 1024, 2);
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(pool, nullptr);
    ASSERT_NE(host_routines::xmrealc(kept, nullptr, 0, 8, kZeroFilled), nullptr);
    for (int i = 0; i < 3; ++i) ASSERT_NE(host_routines::xmrealc(pool, nullptr, 0, 8, kZeroFilled), nullptr);
    ASSERT_NE(allocateFrom(memory().globalObject(), 8, kZeroFilled), nullptr);
    ASSERT_EQ(memory().liveBlockCount(), 5u);

    host_routines::xmpoold(pool);
    EXPECT_EQ(memory().liveBlockCount(), 2u);
    host_routines::xmpoold(pool); /* no longer a pool: nothing happens */
    host_routines::xmpoold(memory().globalObject());
    host_routines::xmpoold(nullptr);
    EXPECT_EQ(memory().liveBlockCount(), 2u);
    EXPECT_EQ(out.str(), "");

    memory().releaseStep();
    EXPECT_EQ(memory().liveBlockCount(), 0u);
}

TEST_F(MemoryServices, XmemmsgLogsTheFailedCount)
{
    const struct {
        const char *id;
        int count;
        const char *number;
    } cases[] = {{"one", 1, " 1 "}, {"many", 12345, " 12345 "}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        out.str("");
        host_routines::xmemmsg(c.count);
        std::string line = out.str();
        EXPECT_EQ(line.rfind("ERROR: ", 0), 0u) << line;
        EXPECT_NE(line.find("memory"), std::string::npos) << line;
        EXPECT_NE(line.find(c.number), std::string::npos) << line;
        EXPECT_EQ(line.find('?'), std::string::npos) << line;
        EXPECT_EQ(line.back(), '\n');
        EXPECT_EQ(line.find('\n'), line.size() - 1);
    }
}

}  // namespace
