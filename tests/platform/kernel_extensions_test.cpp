/*
 * kernel_extensions_test.cpp - the kernel handle behind GCB word 0x290: the
 * load-by-name entry (names, lengths, the unavailable mode) and the
 * deterministic readings of the timer extension.
 */
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/custom_interval_records.h"
#include "host/host_records.h"
#include "platform/host.h"
#include "platform/kernel_extensions.h"

namespace {

std::vector<uint32_t> wide(const std::string &text) { return std::vector<uint32_t>(text.begin(), text.end()); }

TEST(KernelExtensions, LoadByName)
{
    std::ostringstream log;
    orvhost::Host host(log);
    auto *kernel = static_cast<KERNEL_HANDLE *>(host.controlBlock().gcb()->kernelHandle);
    ASSERT_NE(kernel, nullptr);
    ASSERT_NE(kernel->loadByName, nullptr);
    struct Case {
        const char *id;
        std::string name;
        int length; /* -1: the name's own */
        bool available;
        bool loads;
    };
    const std::vector<Case> cases = {
        {"the timer", "qxperf", -1, true, true},
        {"unavailable", "qxperf", -1, false, false},
        {"upper case is another name", "QXPERF", -1, true, false},
        {"a prefix", "qxperf", 5, true, false},
        {"the custom-interval extension", "qxecintc", -1, true, true},
        {"the custom-interval extension, timer unavailable", "qxecintc", -1, false, true},
        {"empty", "", 0, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        host.controlBlock().kernel().setPerfTimerAvailable(c.available);
        const std::vector<uint32_t> name = wide(c.name);
        void *object = kernel->loadByName(kernel, name.data(), c.length < 0 ? int32_t(name.size()) : c.length,
                                          nullptr, nullptr);
        EXPECT_EQ(object != nullptr, c.loads);
        if (object != nullptr && c.name == "qxecintc") static_cast<ORV_CUSTOM_EXTENSION *>(object)->release(
                                                           static_cast<ORV_CUSTOM_EXTENSION *>(object));
    }
    EXPECT_EQ(host.controlBlock().kernel().customIntervals().liveObjects(), 0u);
    EXPECT_EQ(kernel->loadByName(kernel, nullptr, 6, nullptr, nullptr), nullptr);
}

TEST(KernelExtensions, DeterministicTimer)
{
    std::ostringstream log;
    orvhost::Host host(log);
    auto *kernel = static_cast<KERNEL_HANDLE *>(host.controlBlock().gcb()->kernelHandle);
    const std::vector<uint32_t> name = wide(orvhost::ORV_PERF_TIMER_NAME);
    auto *timer = static_cast<ORV_PERF_TIMER *>(kernel->loadByName(kernel, name.data(), 6, nullptr, nullptr));
    ASSERT_NE(timer, nullptr);
    int64_t area[ORV_PERF_READ_WORDS] = {-1, -1, -1, -1};
    for (int64_t read = 1; read <= 3; ++read) {
        ASSERT_EQ(timer->read(timer, area), 0);
        EXPECT_EQ(area[ORV_PERF_READING_A], read * ORV_PERF_TIMER_STEP_A);
        EXPECT_EQ(area[ORV_PERF_READING_B], read * ORV_PERF_TIMER_STEP_B);
    }
    EXPECT_EQ(host.controlBlock().kernel().readCount(), 3);
    EXPECT_EQ(timer->read(timer, nullptr), -1);
    timer->release(timer);
    /* A second load hands out the same timer, whose readings go on. */
    auto *again = static_cast<ORV_PERF_TIMER *>(kernel->loadByName(kernel, name.data(), 6, nullptr, nullptr));
    ASSERT_EQ(again, timer);
    ASSERT_EQ(again->read(again, area), 0);
    EXPECT_EQ(area[ORV_PERF_READING_A], 4 * ORV_PERF_TIMER_STEP_A);
}

}  // namespace
