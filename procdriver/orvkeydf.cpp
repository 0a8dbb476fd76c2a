/*
 * orvkeydf.cpp - entry of the date-key procedure (the VORNAK statement).
 *
 * The host calls it without arguments once per step; it reads the options,
 * prepares the input, reads every BY group and ends the step through xexit
 * with the step's return code.
 */
#include "procdriver/orvkeydf.h"

#include <cstring>

#include "host/parser_glue.h"
#include "host/services.h"
#include "procdriver/datekg.h"
#include "procdriver/datekpar.h"
#include "procdriver/kivevds.h"
#include "procdriver/kivevin.h"
#include "procdriver/proc_state.h"
#include "procdriver/series_block.h"

namespace {
constexpr int kStartNoteSet = 883;
constexpr int kStartNote = 600;
constexpr int kNoGroupNote = 455;
}  // namespace

extern "C" void orvkeydf()
{
    xinit();
    PROC_STATE state;
    std::memset(static_cast<void *>(&state), 0, sizeof state);
    xsparse(datekg(), 0);

    datekpar(&state);
    if (state.stop != 0) xexit(state.returnCode, 0);
    xpmrlog(v_global_gcb_anchor->instance->logHandle, kStartNoteSet, kStartNote, ORV_MSG_END);
    kivevds(&state, kivDateKeyMessages);
    if (state.stop != 0) xexit(state.returnCode, 0);

    state.events.kind = ZTSEV_LIST_DATEKEYS;
    /* Both blocks are large: they live beside the state, not in it. */
    static ZTSEV_SERIES stepBlock, groupBlock;
    kivStepSeriesBlock(&state, &stepBlock);

    ZTS_PROC *series = &state.series;
    int64_t groupsRead = 0;
    for (;;) {
        state.stop = 0;
        state.failedAllocations = 0;
        if (xbynext(series->ioInfo.byXofid) == 0) break;
        ++groupsRead;
        if (series->byCount != 0) xppage(0);
        kivevin(&state, kivDateKeyMessages);
        if (state.stop != 0 || state.groupCount == 0) continue;
        kivevrun(&state);
        if (state.stop != 0) continue;
        kivGroupSeriesBlock(&state, &stepBlock, &groupBlock);
    }
    if (groupsRead == 0 && state.events.dummyOutGiven != 0)
        xpmrlog(v_global_gcb_anchor->instance->logHandle, kivDateKeyMessages.noGroup, kNoGroupNote, ORV_MSG_END);
    xexit(state.returnCode, 0);
}
