/*
 * kernel_extensions.cpp - the kernel handle's load-by-name entry and the
 * deterministic timer extension (see kernel_extensions.h).
 */
#include "platform/kernel_extensions.h"

#include <cstddef>
#include <type_traits>

namespace orvhost {

KernelExtensions::KernelExtensions()
{
    state_.handle = KERNEL_HANDLE{};
    state_.handle.loadByName = &KernelExtensions::loadByName;
    state_.timer = ORV_PERF_TIMER{};
    state_.timer.read = &KernelExtensions::readTimer;
    state_.timer.release = &KernelExtensions::releaseTimer;
}

void *KernelExtensions::loadByName(KERNEL_HANDLE *kernel, const uint32_t *name, int32_t length,
                                   void *, const void *)
{
    static_assert(std::is_standard_layout_v<State>);
    if (kernel == nullptr || name == nullptr) return nullptr;
    State *state = reinterpret_cast<State *>(kernel);
    constexpr int32_t timerNameLength = int32_t(sizeof ORV_PERF_TIMER_NAME - 1);
    if (length != timerNameLength || !state->perfAvailable) return nullptr;
    for (int32_t i = 0; i < length; ++i)
        if (name[i] != uint32_t(uint8_t(ORV_PERF_TIMER_NAME[i]))) return nullptr;
    return &state->timer;
}

int KernelExtensions::readTimer(ORV_PERF_TIMER *timer, int64_t *readArea)
{
    if (timer == nullptr || readArea == nullptr) return -1;
    State *state = reinterpret_cast<State *>(reinterpret_cast<char *>(timer) - offsetof(State, timer));
    state->readingA += ORV_PERF_TIMER_STEP_A;
    state->readingB += ORV_PERF_TIMER_STEP_B;
    ++state->reads;
    readArea[0] = 0;
    readArea[ORV_PERF_READING_A] = state->readingA;
    readArea[2] = 0;
    readArea[ORV_PERF_READING_B] = state->readingB;
    return 0;
}

/* The timer lives as long as the host; releasing it ends nothing. */
void KernelExtensions::releaseTimer(ORV_PERF_TIMER *) {}

}  // namespace orvhost
