/*
 * series_timing.cpp - the reader timing (see series_timing.h).
 */
#include "series/series_timing.h"

#include <iterator>

extern "C" void *Exported_QXHandle;

namespace {

/* "qxperf" as 32-bit characters. */
constexpr uint32_t kTimerName[] = {'q', 'x', 'p', 'e', 'r', 'f'};

/* Reads the timer; false (area untouched) without an extension. */
bool readTimer(ZTS_TIMER *timer)
{
    if (timer == nullptr || timer->extension == nullptr || timer->extension->read == nullptr)
        return false;
    return timer->extension->read(timer->extension, timer->readArea) == 0;
}

}  // namespace

void ZTSSetIOTiming(ZTS_PROC *ctx)
{
    if (ctx == nullptr) return;
    ctx->timingOn = 1;
    ZTSInitTiming(&ctx->timer, ctx->ioTiming);
}

void ZTSInitTiming(ZTS_TIMER *timer, int64_t *totals)
{
    if (totals != nullptr) totals[0] = totals[1] = 0;
    if (timer == nullptr) return;
    timer->extension = nullptr;
    auto *kernel = static_cast<KERNEL_HANDLE *>(Exported_QXHandle);
    if (kernel == nullptr || kernel->loadByName == nullptr) return;
    timer->extension = static_cast<ORV_PERF_TIMER *>(
        kernel->loadByName(kernel, kTimerName, int32_t(std::size(kTimerName)), nullptr, nullptr));
}

void ZTSStartTiming(ZTS_TIMER *timer, int64_t *totals)
{
    if (totals == nullptr || !readTimer(timer)) return;
    totals[2] = timer->readArea[ORV_PERF_READING_A];
    totals[3] = timer->readArea[ORV_PERF_READING_B];
}

void ZTSStopTiming(ZTS_TIMER *timer, int64_t *totals)
{
    if (totals == nullptr || !readTimer(timer)) return;
    totals[0] += timer->readArea[ORV_PERF_READING_A] - totals[2];
    totals[1] += timer->readArea[ORV_PERF_READING_B] - totals[3];
}

void ZTSGetIOTiming(const ZTS_PROC *ctx, int64_t *b, int64_t *a)
{
    if (b != nullptr) *b = ctx != nullptr ? ctx->ioTiming[1] : 0;
    if (a != nullptr) *a = ctx != nullptr ? ctx->ioTiming[0] : 0;
}

void ZTSGetTiming(int64_t *b, int64_t *a, ZTS_TIMEPAIR pair)
{
    if (b != nullptr) *b = pair.totalB;
    if (a != nullptr) *a = pair.totalA;
}

void ZTSResetTiming(ZTS_TIMEPAIR *pair)
{
    if (pair != nullptr) pair->totalA = pair->totalB = 0;
}
