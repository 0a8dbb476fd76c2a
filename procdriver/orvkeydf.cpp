/*
 * orvkeydf.cpp - entry of the date-key procedure (the VORNAK statement).
 *
 * The host calls it without arguments once per step; it reads the options,
 * prepares the input, reads every BY group and ends the step through xexit
 * with the step's return code.
 */
#include "procdriver/orvkeydf.h"

#include <cstring>

#include "event/event_data_write.h"
#include "event/event_list.h"
#include "event/periods_output.h"
#include "event/event_statements.h"
#include "event/list_finishing.h"
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
    ZTSEVInit();
    PROC_STATE state;
    std::memset(static_cast<void *>(&state), 0, sizeof state);
    xsparse(datekg(), 0);

    datekpar(&state);
    if (state.stop != 0) xexit(state.returnCode, 0);
    xpmrlog(v_global_gcb_anchor->instance->logHandle, kStartNoteSet, kStartNote, ORV_MSG_END);
    kivevds(&state, kivDateKeyMessages);
    if (state.stop != 0) xexit(state.returnCode, 0);

    ZTSEV_LIST *events = &state.events;
    events->kind = ZTSEV_LIST_DATEKEYS;
    ZTSEVCreateEvents(events, nullptr);
    if (state.flags[KIV_FLAG_SORT_NAMES] != 0) ZTSEVSortEvents(events);
    /* Both blocks are large: they live beside the state, not in it. */
    static ZTSEV_SERIES stepBlock, groupBlock;
    kivStepSeriesBlock(&state, &stepBlock);
    ZTSEVCreateGroupEvents(events, &stepBlock, nullptr);
    ZTSEVdsout(events, &state.series.rawTime, &state.series, {state.varCount, state.varNumbers});
    if (state.stop != 0) xexit(state.returnCode, 0);

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
        ZTSEVPutEVDum(events, series, groupBlock);
        ZTSDKPutDKPer(events, &series->rawTime, groupBlock);
    }
    if (groupsRead == 0 && events->dummyOutGiven != 0)
        xpmrlog(v_global_gcb_anchor->instance->logHandle, kivDateKeyMessages.noGroup, kNoGroupNote, ORV_MSG_END);
    for (ZTSEV_DSREC *record = events->outputs; record != nullptr; record = record->next)
        ZTSEVPutEVData(events, record);
    xexit(state.returnCode, 0);
}
