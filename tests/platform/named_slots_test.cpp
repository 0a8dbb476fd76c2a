/*
 * named_slots_test.cpp - the named slots (xytnsl, xytngl) and the host
 * resources (wtrscrt, wtrsset, wtrsdel): keys, absent names, values over
 * steps, resource ids and the resource table as a clean-up routine reads it,
 * clean-up on delete (once, also when it ends the step), and the
 * find-or-create sequence of a process-wide manager kept in a resource.
 */
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/named_slots.h"
#include "platform/service_table.h"

namespace {

using orvhost::HOST_RESOURCE_TABLE;

constexpr int kNoSuchName = int(0x80008026u);

class SlotServices : public ::testing::Test {
protected:
    std::ostringstream log;
    orvhost::Host host{log};
};

TEST_F(SlotServices, ValuesUnderNameKeys)
{
    ASSERT_EQ(host_routines::xytnsl(nullptr, 1, "_ZQXECINTC_", 11, 77), 0);
    ASSERT_EQ(host_routines::xytnsl(nullptr, 1, "ab", 2, INT64_MIN), 0);
    ASSERT_EQ(host_routines::xytnsl(nullptr, 1, "k\0y", 3, -1), 0);
    const std::string longKey(256, 'K');
    ASSERT_EQ(host_routines::xytnsl(nullptr, 1, longKey.data(), 256, 256), 0);

    struct Case {
        const char *id;
        const char *key;
        int keyLength;
        int expectedStatus;
        int64_t expectedValue; /* 5 (untouched) unless found */
    };
    const Case cases[] = {
        {"stored key", "_ZQXECINTC_", 11, 0, 77},
        {"other case is another key", "_zqxecintc_", 11, kNoSuchName, 5},
        {"only the given length counts", "abc", 2, 0, INT64_MIN},
        {"longer key", "abc", 3, kNoSuchName, 5},
        {"shorter key", "_ZQXECINTC_", 10, kNoSuchName, 5},
        {"key holding a NUL", "k\0y", 3, 0, -1},
        {"256-byte key", longKey.c_str(), 256, 0, 256},
        {"never stored", "NOPE", 4, kNoSuchName, 5},
        {"zero length", "ab", 0, orvhost::kSlotBadArgument, 5},
        {"negative length", "ab", -2, orvhost::kSlotBadArgument, 5},
        {"257 bytes", longKey.c_str(), 257, orvhost::kSlotBadArgument, 5},
        {"null key", nullptr, 3, orvhost::kSlotBadArgument, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        int64_t value = 5;
        EXPECT_EQ(host_routines::xytngl(nullptr, 2, c.key, c.keyLength, &value), c.expectedStatus);
        EXPECT_EQ(value, c.expectedValue);
    }
    EXPECT_EQ(host_routines::xytngl(nullptr, 2, "ab", 2, nullptr), orvhost::kSlotBadArgument);
    EXPECT_EQ(host_routines::xytnsl(nullptr, 1, nullptr, 2, 1), orvhost::kSlotBadArgument);
    EXPECT_EQ(host_routines::xytnsl(nullptr, 1, longKey.data(), 257, 1), orvhost::kSlotBadArgument);
    EXPECT_EQ(host.namedSlots().size(), 4u);
}

void stepStoringASlot()
{
    host_routines::xytnsl(nullptr, 1, "KEPT", 4, 41);
    host_routines::xytnsl(nullptr, 1, "KEPT", 4, 42); /* replaces */
    host_routines::xexit(0, 0);
}

TEST_F(SlotServices, SlotsOutliveTheirStep)
{
    ASSERT_EQ(host.runStep(stepStoringASlot), 0);
    int64_t value = 0;
    EXPECT_EQ(host_routines::xytngl(nullptr, 2, "KEPT", 4, &value), 0);
    EXPECT_EQ(value, 42);
    EXPECT_EQ(host.namedSlots().size(), 1u);
}

/* Clean-up routines record what they find through the table, as a module's
 * routine must: the resource's entry by the id's two halves. */
struct CleanupRecord {
    HOST_RESOURCE_TABLE *table;
    int32_t id;
    void *content;
    uint64_t state;
    int nestedDeleteStatus;
};
std::vector<CleanupRecord> cleanups;

void *contentThroughTable(HOST_RESOURCE_TABLE *table, int32_t id)
{
    uint32_t block = uint32_t(id) >> 16;
    uint32_t entry = uint32_t(id) & 0xFFFFu;
    if (block >= table->blockCount || entry >= table->entriesPerBlock) return nullptr;
    return table->blocks[block][entry].content;
}

void recordingCleanup(HOST_RESOURCE_TABLE *table, int32_t id)
{
    uint64_t state = table->blocks[uint32_t(id) >> 16][uint32_t(id) & 0xFFFFu].state;
    int nested = host_routines::wtrsdel(id);
    cleanups.push_back({table, id, contentThroughTable(table, id), state, nested});
}

void exitingCleanup(HOST_RESOURCE_TABLE *, int32_t) { host_routines::xexit(12, 0); }

orv_routine asRoutine(void (*cleanup)(HOST_RESOURCE_TABLE *, int32_t))
{
    return reinterpret_cast<orv_routine>(cleanup);
}

TEST_F(SlotServices, ResourcesAndTheirCleanUp)
{
    cleanups.clear();
    int a = 1, b = 2, c = 3;
    int32_t idA = 0, idB = 0;
    ASSERT_EQ(host_routines::wtrscrt(&a, asRoutine(recordingCleanup), &idA), 0);
    ASSERT_EQ(host_routines::wtrscrt(&b, nullptr, &idB), 0);
    EXPECT_GT(idA, 0);
    EXPECT_GT(idB, 0);
    EXPECT_NE(idA, idB);
    EXPECT_EQ(contentThroughTable(host.resources().table(), idA), &a);

    ASSERT_EQ(host_routines::wtrsset(idA, &c), 0);
    EXPECT_EQ(contentThroughTable(host.resources().table(), idA), &c);
    EXPECT_EQ(host.resources().liveCount(), 2u);

    ASSERT_EQ(host_routines::wtrsdel(idA), 0);
    ASSERT_EQ(cleanups.size(), 1u);
    EXPECT_EQ(cleanups[0].table, host.resources().table());
    EXPECT_EQ(cleanups[0].id, idA);
    EXPECT_EQ(cleanups[0].content, &c); /* the content set last, still there */
    EXPECT_EQ(cleanups[0].state, orvhost::kResourceDeleting);
    EXPECT_EQ(cleanups[0].nestedDeleteStatus, orvhost::kNoSuchResource);

    struct Case {
        const char *id;
        int status;
        int expected;
    };
    int32_t idC = 0;
    ASSERT_EQ(host_routines::wtrscrt(&a, nullptr, &idC), 0);
    const Case cases[] = {
        {"deleted id: set", host_routines::wtrsset(idA, &a), orvhost::kNoSuchResource},
        {"deleted id: delete again", host_routines::wtrsdel(idA), orvhost::kNoSuchResource},
        {"id 0", host_routines::wtrsdel(0), orvhost::kNoSuchResource},
        {"negative id", host_routines::wtrsset(-1, &a), orvhost::kNoSuchResource},
        {"id never given", host_routines::wtrsdel(0x00050003), orvhost::kNoSuchResource},
        {"entry past the block", host_routines::wtrsdel(int32_t(0x00000100)), orvhost::kNoSuchResource},
        {"null id out", host_routines::wtrscrt(&a, nullptr, nullptr), orvhost::kSlotBadArgument},
        {"ids are not reused", idC != idA && idC != idB ? 0 : 1, 0},
        {"no clean-up routine", host_routines::wtrsdel(idB), 0},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.id);
        EXPECT_EQ(k.status, k.expected);
    }
    EXPECT_EQ(cleanups.size(), 1u); /* ran once */
    EXPECT_EQ(host.resources().liveCount(), 1u);
}

TEST_F(SlotServices, IdsBeyondTheFirstBlock)
{
    cleanups.clear();
    std::vector<int> contents(600);
    std::set<int32_t> ids;
    int32_t last = 0;
    for (int &content : contents) {
        ASSERT_EQ(host_routines::wtrscrt(&content, asRoutine(recordingCleanup), &last), 0);
        ids.insert(last);
    }
    EXPECT_EQ(ids.size(), contents.size());
    /* The 600th resource: entry 600 counting from 1, in block 2 (256 a block). */
    EXPECT_EQ(last, int32_t((2 << 16) | (600 % 256)));
    ASSERT_EQ(host_routines::wtrsdel(last), 0);
    ASSERT_EQ(cleanups.size(), 1u);
    EXPECT_EQ(cleanups[0].content, &contents.back());
}

void stepWhoseCleanupEndsIt()
{
    int32_t id = 0;
    host_routines::wtrscrt(nullptr, asRoutine(exitingCleanup), &id);
    host_routines::xytnsl(nullptr, 1, "ID", 2, id);
    host_routines::wtrsdel(id);
    host_routines::xexit(0, 0);
}

TEST_F(SlotServices, CleanUpThatEndsTheStepStillDeletes)
{
    EXPECT_EQ(host.runStep(stepWhoseCleanupEndsIt), 12);
    int64_t id = 0;
    ASSERT_EQ(host_routines::xytngl(nullptr, 2, "ID", 2, &id), 0);
    EXPECT_EQ(host.resources().find(int32_t(id)), nullptr);
    EXPECT_EQ(host.resources().liveCount(), 0u);
}

/* The manager sequence of the custom intervals: find the slot, or create a
 * resource and name it in the slot; a step finds the same content; the end
 * of the step deletes the resource (its content is step memory) and runs
 * its clean-up; the slot then still names the deleted id, which no newer
 * resource takes. */
struct Manager {
    int created = 0;
};
Manager *cleanedManager = nullptr;
void cleanManager(HOST_RESOURCE_TABLE *table, int32_t id)
{
    cleanedManager = static_cast<Manager *>(contentThroughTable(table, id));
}

Manager *findOrCreate(Manager &fresh, int &status)
{
    int64_t id = 0;
    status = host_routines::xytngl(nullptr, 2, "_ZQXECINTC_", 11, &id);
    if (status == 0) {
        const orvhost::HOST_RESOURCE_ENTRY *entry =
            orvhost::Host::current().resources().find(int32_t(id));
        return entry != nullptr ? static_cast<Manager *>(entry->content) : nullptr;
    }
    if (status != kNoSuchName) return nullptr;
    int32_t newId = 0;
    status = host_routines::wtrscrt(&fresh, asRoutine(cleanManager), &newId);
    if (status == 0) status = host_routines::xytnsl(nullptr, 1, "_ZQXECINTC_", 11, newId);
    ++fresh.created;
    return status == 0 ? &fresh : nullptr;
}

Manager firstManager, secondManager;
Manager *foundInStep = nullptr;
void stepFindingTheManager()
{
    int status = 0;
    foundInStep = findOrCreate(secondManager, status);
    host_routines::xexit(status, 0);
}

TEST_F(SlotServices, ProcessWideManagerInAResource)
{
    cleanedManager = nullptr;
    int status = -1;
    EXPECT_EQ(findOrCreate(firstManager, status), &firstManager);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(firstManager.created, 1);

    EXPECT_EQ(host.runStep(stepFindingTheManager), 0);
    EXPECT_EQ(foundInStep, &firstManager);
    EXPECT_EQ(secondManager.created, 0);
    EXPECT_EQ(cleanedManager, &firstManager);
    EXPECT_EQ(host.resources().liveCount(), 0u);

    int64_t id = 0;
    ASSERT_EQ(host_routines::xytngl(nullptr, 2, "_ZQXECINTC_", 11, &id), 0);
    EXPECT_EQ(host_routines::wtrsdel(int32_t(id)), orvhost::kNoSuchResource);

    int32_t newer = 0;
    ASSERT_EQ(host_routines::wtrscrt(&secondManager, nullptr, &newer), 0);
    EXPECT_NE(newer, int32_t(id));
    EXPECT_EQ(findOrCreate(secondManager, status), nullptr); /* slot names a deleted resource */
    EXPECT_EQ(status, 0);
}

}  // namespace
