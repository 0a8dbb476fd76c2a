/*
 * kivevds.cpp - input set-up of the DATA= data set (see kivevds.h).
 */
#include "procdriver/kivevds.h"

#include <algorithm>

#include "host/parser_glue.h"
#include "host/services.h"
#include "procdriver/by_text.h"
#include "series/series_bind.h"
#include "series/series_io.h"
#include "series/series_memory.h"

namespace {
constexpr int kMsgNoMemory = 3;
constexpr int kPoolFlags = 6;
constexpr int kValueFlags = 0x2002;
constexpr int64_t kBytesPerRow = 24;
constexpr int64_t kSmallestBlock = 1024;
constexpr int64_t kLargestBlock = 32767;
constexpr int64_t kDefaultRows = 4096;
}  // namespace

KIV_ROW_PLAN kivPlanRows(int64_t count, bool perGroup, uint64_t suggestedBytes)
{
    int64_t rows = ztsPlanRows(count, perGroup);
    const uint64_t q = suggestedBytes / sizeof(double);
    int64_t cap = kDefaultRows;
    if (uint64_t(rows) < q)
        cap = int64_t(q);
    else
        rows = kDefaultRows;
    return {rows, std::max(kSmallestBlock, std::min(rows, std::min(kLargestBlock, cap)))};
}

void kivevds(PROC_STATE *state, KIV_MESSAGES msgs)
{
    ZTS_PROC *series = &state->series;
    ZTS_TIMEID &raw = series->rawTime;
    DATA_SET_HANDLE *data = series->ioInfo.byXofid;
    if (state->varCount > 0)
        series->ioInfo.values = static_cast<double *>(
            vmalcp_handler(state->optionPool, sizeof(double) * size_t(state->varCount), kValueFlags));
    const bool withId = raw.idVarNo > 0;

    void *fetch = nullptr;
    xvsele(data);
    xvgeti(data, state->varCount + (withId ? 1 : 0), &fetch);
    series->ioInfo.fetch = static_cast<FETCH_HANDLE *>(fetch);
    state->failedAllocations += xmemdef();
    if (state->failedAllocations != 0 || fetch == nullptr ||
        (state->varCount > 0 && series->ioInfo.values == nullptr)) {
        kivRaise(state, KIV_RC_MEMORY);
        state->stop = 1;
    } else {
        if (withId) xvgetd(fetch, raw.idVarNo, ORV_VAR_NUMERIC, &raw.current, 8, 8, 0, 0);
        for (int32_t i = 0; i < state->varCount; ++i)
            xvgetd(fetch, state->varNumbers[i], ORV_VAR_NUMERIC, &series->ioInfo.values[i], 8, 8, 0, 0);
        xvgete(fetch);
        kivByTextSetUp(state);
    }

    int32_t hostNumbers = 0, estimated = 0;
    xoinfo(data, ORV_DS_INFO_OBSERVATION_NUMBERS, &hostNumbers);
    series->hostObsNumbers = hostNumbers;
    xoinfo(data, ORV_DS_INFO_COUNT_ESTIMATED, &estimated);
    int64_t count = 0;
    xoinfo(data, ORV_DS_INFO_OBSERVATIONS, &count);
    if (count <= 0) xoinfo(data, ORV_DS_INFO_COUNTED_OBSERVATIONS, &count);

    const KIV_ROW_PLAN plan = kivPlanRows(count, series->byCount > 0 || estimated != 0, xmpools(count));
    state->dataPool = static_cast<MEMORY_OBJECT *>(xmpoolc(plan.rows * kBytesPerRow, plan.block, kPoolFlags));
    if (state->dataPool == nullptr) {
        state->failedAllocations += xmemdef();
        xmemmsg(int(state->failedAllocations));
        kivRaise(state, KIV_RC_MEMORY);
        xexit(state->returnCode, 0);
    }
    ZTSSetMemPoolInfo(series, state->dataPool);
    series->rawCapacity = raw.count = plan.rows;
    raw.ids = static_cast<double *>(ztsAlloc(series, size_t(plan.rows) * sizeof(double), ZTS_ALLOC_PLAIN));
    state->failedAllocations += xmemdef();
    if (raw.ids == nullptr && state->failedAllocations == 0) state->failedAllocations = 1;
    if (state->failedAllocations != 0) {
        xpmlog(msgs.main, kMsgNoMemory, ORV_MSG_END);
        xmemmsg(int(state->failedAllocations));
        kivRaise(state, KIV_RC_MEMORY);
        state->stop = 1;
    }
    if (state->returnCode > KIV_RC_NOTE) xexit(state->returnCode, 0);
}
