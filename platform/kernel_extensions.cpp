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
    state_.custom = &custom_;
}

namespace {

/* True when the 32-bit characters name[0..length) spell text. */
template <size_t N>
bool sameName(const uint32_t *name, int32_t length, const char (&text)[N])
{
    if (length != int32_t(N - 1)) return false;
    for (int32_t i = 0; i < length; ++i)
        if (name[i] != uint32_t(uint8_t(text[i]))) return false;
    return true;
}

}  // namespace

/* The custom-interval extension takes the journal in which it records its
 * failures; the host objects are not needed by this host's extension. */
void *KernelExtensions::loadByName(KERNEL_HANDLE *kernel, const uint32_t *name, int32_t length,
                                   void *journal, const void *)
{
    static_assert(std::is_standard_layout_v<State>);
    if (kernel == nullptr || name == nullptr) return nullptr;
    State *state = reinterpret_cast<State *>(kernel);
    if (sameName(name, length, ZINT_CUSTOM_EXTENSION_NAME))
        return state->custom->loadExtension(static_cast<ORV_JOURNAL *>(journal));
    if (!sameName(name, length, ORV_PERF_TIMER_NAME) || !state->perfAvailable) return nullptr;
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
