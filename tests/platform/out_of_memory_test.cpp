/*
 * out_of_memory_test.cpp - orvhost when the C++ heap runs out: every
 * allocation of a run is made to fail in turn, and each run must end with a
 * message and a failing status (or run as usual), never by an escaped
 * std::bad_alloc.
 *
 * The same counting operator new measures what the job reader holds beside
 * the job text.
 *
 * This test program replaces the global operator new and delete, aligned
 * forms included (with malloc, aligned_alloc and free), so it is a program
 * of its own.
 */
#include <gtest/gtest.h>
#include <unistd.h>

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>

#include "platform/command_line.h"
#include "platform/job.h"
#include "platform/memory.h"

namespace {

/* Allocation number failAt (counted by `made`) throws; 0: none does. */
long failAt = 0;
long made = 0;
/* Bytes allocated through operator new and not yet freed, and their most. */
size_t liveBytes = 0;
size_t peakBytes = 0;

/* A block of size bytes, aligned to `alignment` when it is not 0 (blocks
 * of data that threads share start on cache lines). */
void *allocate(std::size_t size, std::size_t alignment = 0)
{
    if (failAt > 0 && ++made == failAt) throw std::bad_alloc();
    size = size == 0 ? 1 : size;
    void *block = alignment == 0 ? std::malloc(size)
                                 : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    if (block == nullptr) throw std::bad_alloc();
    liveBytes += malloc_usable_size(block);
    peakBytes = std::max(peakBytes, liveBytes);
    return block;
}

void release(void *block)
{
    if (block != nullptr) liveBytes -= malloc_usable_size(block);
    std::free(block);
}

}  // namespace

void *operator new(std::size_t size) { return allocate(size); }
void *operator new[](std::size_t size) { return allocate(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
void *operator new[](std::size_t size, const std::nothrow_t &tag) noexcept
{
    return operator new(size, tag);
}
void *operator new(std::size_t size, std::align_val_t alignment) { return allocate(size, std::size_t(alignment)); }
void *operator new[](std::size_t size, std::align_val_t alignment) { return allocate(size, std::size_t(alignment)); }
void *operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t &) noexcept
{
    try {
        return allocate(size, std::size_t(alignment));
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
void *operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t &tag) noexcept
{
    return operator new(size, alignment, tag);
}
void operator delete(void *block) noexcept { release(block); }
void operator delete[](void *block) noexcept { release(block); }
void operator delete(void *block, std::size_t) noexcept { release(block); }
void operator delete[](void *block, std::size_t) noexcept { release(block); }
void operator delete(void *block, const std::nothrow_t &) noexcept { release(block); }
void operator delete[](void *block, const std::nothrow_t &) noexcept { release(block); }
void operator delete(void *block, std::align_val_t) noexcept { release(block); }
void operator delete[](void *block, std::align_val_t) noexcept { release(block); }
void operator delete(void *block, std::size_t, std::align_val_t) noexcept { release(block); }
void operator delete[](void *block, std::size_t, std::align_val_t) noexcept { release(block); }
void operator delete(void *block, std::align_val_t, const std::nothrow_t &) noexcept { release(block); }
void operator delete[](void *block, std::align_val_t, const std::nothrow_t &) noexcept { release(block); }

namespace {

TEST(OutOfMemory, EveryFailedAllocationEndsTheRunWithAMessage)
{
    /* The input data set without a sidecar, and with one and an output
     * data set: sidecars are read and written without a document tree,
     * whose destruction would allocate where a failure cannot be caught. */
    struct Case {
        const char *id;
        const char *statements; /* of the VORNAK step */
        const char *sidecar;    /* written as sales.meta.json; null: none */
    };
    const Case cases[] = {
        {"no sidecar", "", nullptr},
        {"sidecar and an output", "EVENTDEF e = 2;\nEVENTDUMMY OUT=x.dummy;\n", R"({"label": "Sales", "observations": 2,
  "variables": [{"name": "date", "type": "numeric", "format": "YYMMDD10."},
                {"name": "sales", "type": "numeric", "label": "Units", "length": 8}],
  "extra": {"nested": [1, 2.5, "x", null, true, {"deeper": []}]}})"},
    };
    int runsWithoutSidecar = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        char pattern[] = "/tmp/orvhost-oom-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        const std::string dir = pattern;
        const std::string job = dir + "/job.job";
        std::ofstream(dir + "/sales.csv") << "date,sales\n2020-01-01,1\n2020-02-01,2\n";
        if (c.sidecar != nullptr) std::ofstream(dir + "/sales.meta.json") << c.sidecar;
        std::ofstream(job) << "OPTIONS DEBUG=SYN;\nLIBNAME x '" << dir << "';\n"
                           << "PROC VORNAK DATA=x.sales LEAD=1;\n" << c.statements << "RUN;\n";
        std::string program = "orvhost", jobArg = job;
        char *argv[] = {program.data(), jobArg.data(), nullptr};

        int runsWithFailure = 0;
        for (long n = 1;; ++n) {
            SCOPED_TRACE(n);
            std::ostringstream out, err;
            made = 0;
            failAt = n;
            int status = orvhost::runOrvhost(2, argv, out, err);
            bool failed = made >= n;
            failAt = 0;
            if (!failed) {
                EXPECT_EQ(status, 0) << err.str();
                EXPECT_EQ(std::filesystem::exists(dir + "/dummy.meta.json"), c.sidecar != nullptr);
                break;
            }
            ++runsWithFailure;
            /* Before the steps: a message and exit 3; in a step: the step's
             * failure, exit 2; in the log stream: the lost log, exit 4. */
            const char *expected = status == 3   ? "orvhost: memory ran out while "
                                   : status == 4 ? "orvhost: the log could not be written"
                                                 : "";
            EXPECT_TRUE(status == 0 || status == 2 || status == 3 || status == 4) << status;
            EXPECT_NE(err.str().find(expected), std::string::npos) << out.str() << err.str();
        }
        EXPECT_GT(runsWithFailure, 10);
        /* Reading the sidecar allocates: its runs are swept too. */
        if (c.sidecar == nullptr) runsWithoutSidecar = runsWithFailure;
        else EXPECT_GT(runsWithFailure, runsWithoutSidecar + 20);
        std::filesystem::remove_all(dir);
    }
}

/* The host's memory objects tell the modules of a failure by a null block,
 * also when the heap fails under their own bookkeeping: no exception
 * through the modules' frames, no block lost. */
TEST(OutOfMemory, HostMemoryFailsWithANullBlock)
{
    orvhost::HostMemory memory;
    MEMORY_OBJECT *object = memory.globalObject();
    made = 0;
    failAt = 1; /* the record of the block */
    void *block = object->allocate(object, 64, 0);
    failAt = 0;
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(memory.takeFailureCount(), 1);
    EXPECT_EQ(memory.liveBlockCount(), 0u);
    made = 0;
    failAt = 1; /* the new pool */
    EXPECT_EQ(memory.createPool(), nullptr);
    failAt = 0;
    EXPECT_EQ(memory.takeFailureCount(), 1);
}

/* The job reader holds the text once and no more than the statement at
 * hand: reading a job of 2 MB in steps of ten statements takes less than
 * the text's size again (items and line starts). */
TEST(JobMemory, TheJobTextIsHeldOnce)
{
    std::string step = "PROC VORNAK DATA=lib.sales LEAD=12 BACK=2;\n";
    for (int i = 0; i < 8; ++i) step += "  ID date INTERVAL=MONTH START='01JAN2020'd;\n";
    step += "RUN;\n";
    std::string text;
    while (text.size() < (size_t{2} << 20)) text += step;
    const size_t size = text.size();
    size_t before = liveBytes;
    peakBytes = liveBytes;
    orvhost::Job job;
    std::string error;
    ASSERT_TRUE(orvhost::readJob(std::move(text), "big.job", job, error)) << error;
    EXPECT_EQ(job.items().size(), size / step.size());
    EXPECT_LT(peakBytes - before, 2 * size) << "peak " << peakBytes - before << " for " << size;
}

}  // namespace
