/*
 * kernel_extensions.h - the host kernel handle and the kernel extensions it
 * loads by name.
 *
 * The control block's kernel handle (GCB word 0x290) is a KERNEL_HANDLE
 * (host_records.h) whose load-by-name entry hands out extension objects.
 * This host has two extensions: the timer "qxperf", a deterministic timer
 * whose readings advance by fixed steps on every read, so that timings are
 * reproducible, and the custom-interval extension "qxecintc"
 * (custom_intervals.h), which also keeps the journals of wrjnlc.  For tests
 * the timer can be made unavailable; loading it then gives null, as on a
 * host without it.
 *
 * Exports: class KernelExtensions, ORV_PERF_TIMER_NAME.
 */
#ifndef ORV_PLATFORM_KERNEL_EXTENSIONS_H
#define ORV_PLATFORM_KERNEL_EXTENSIONS_H

#include <cstdint>

#include "host/host_records.h"
#include "platform/custom_intervals.h"

namespace orvhost {

/* The name of the timer extension. */
constexpr char ORV_PERF_TIMER_NAME[] = "qxperf";

class KernelExtensions {
public:
    KernelExtensions();
    KernelExtensions(const KernelExtensions &) = delete;
    KernelExtensions &operator=(const KernelExtensions &) = delete;

    /* The record GCB word 0x290 points to. */
    KERNEL_HANDLE *handle() { return &state_.handle; }

    /* Makes "qxperf" loadable (the default) or not. */
    void setPerfTimerAvailable(bool available) { state_.perfAvailable = available; }

    /* Readings of the timer so far (A, B), and the number of reads. */
    int64_t readingA() const { return state_.readingA; }
    int64_t readingB() const { return state_.readingB; }
    int64_t readCount() const { return state_.reads; }

    /* The custom-interval extension and the journals. */
    CustomIntervals &customIntervals() { return custom_; }

private:
    /* Standard layout with the handle first, so the load entry finds the
     * state from the handle it is given; the timer likewise. */
    struct State {
        KERNEL_HANDLE handle;
        ORV_PERF_TIMER timer;
        CustomIntervals *custom = nullptr;
        bool perfAvailable = true;
        int64_t readingA = 0;
        int64_t readingB = 0;
        int64_t reads = 0;
    };
    static void *loadByName(KERNEL_HANDLE *kernel, const uint32_t *name, int32_t length,
                            void *journal, const void *hostObjects);
    static int readTimer(ORV_PERF_TIMER *timer, int64_t *readArea);
    static void releaseTimer(ORV_PERF_TIMER *timer);

    State state_;
    CustomIntervals custom_;
};

}  // namespace orvhost

#endif
