/*
 * series_block.cpp - the series blocks of the step and of each BY group
 * (see series_block.h).
 */
#include "procdriver/series_block.h"

#include <cstring>

#include "host/missing_values.h"
#include "series/series_bind.h"

namespace {

/* The context from its first field up to auxInfo; the rest stays zero. */
void copyContext(const ZTS_PROC &from, ZTS_PROC *to)
{
    std::memset(static_cast<void *>(to), 0, sizeof *to);
    std::memcpy(static_cast<void *>(to), &from, offsetof(ZTS_PROC, auxInfo));
}

}  // namespace

void kivStepSeriesBlock(const PROC_STATE *state, ZTSEV_SERIES *block)
{
    std::memset(static_cast<void *>(block), 0, sizeof *block);
    block->firstTimeId = orvMissing();
    ZTSGetIntervalX(&block->interval, &state->series);
    block->formatCode = double(state->series.rawTime.fmtCode);
    copyContext(state->series, &block->context);
}

void kivGroupSeriesBlock(const PROC_STATE *state, const ZTSEV_SERIES *stepBlock, ZTSEV_SERIES *block)
{
    block->firstTimeId = state->groupTimeIds[0];
    block->interval = stepBlock->interval;
    block->interval.interval = state->series.rawTime.interval;
    block->interval.customRef = nullptr;
    block->formatCode = double(state->series.rawTime.fmtCode);
    block->timeIds = state->groupTimeIds;
    block->count = state->groupCount;
    copyContext(state->series, &block->context);
}
