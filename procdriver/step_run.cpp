/*
 * step_run.cpp - the run of one procedure step (see step_run.h).
 */
#include "procdriver/step_run.h"

#include <cstring>

#include "event/dummy_output.h"
#include "event/event_data_write.h"
#include "event/event_list.h"
#include "event/event_statements.h"
#include "event/list_finishing.h"
#include "event/periods_output.h"
#include "host/parser_glue.h"
#include "host/services.h"
#include "procdriver/kivevds.h"
#include "procdriver/kivevin.h"
#include "procdriver/series_block.h"

namespace {
constexpr int kStartNoteSet = 883;
constexpr int kStartNote = 600;
constexpr int kNoGroupNote = 455;
constexpr int kSpoolFailedMessage = 33;

/* A group whose dummy rows could not be kept in utility files is skipped
 * as the group reader skips one (108, 1008 without BY variables); with BY
 * variables an ERROR names the group, after the host's own line that says
 * why the files failed. */
void skipSpooledGroup(PROC_STATE *state, KIV_MESSAGES messages)
{
    const ZTSEV_LIST &events = state->events;
    if (state->series.byCount != 0 && events.byTextLength > 0)
        xpmlog(messages.main, kSpoolFailedMessage, ORV_MSG_TEXT, events.byTextLength, events.byText, ORV_MSG_END);
    kivRaise(state, kivGroupFailureCode(state));
}
}  // namespace

void kivRunStep(const KIV_MODULE &module)
{
    xinit();
    ZTSEVInit();
    PROC_STATE state;
    std::memset(static_cast<void *>(&state), 0, sizeof state);
    xsparse(module.grammar(), 0);

    module.readOptions(&state);
    if (state.stop != 0) xexit(state.returnCode, 0);
    void *log = v_global_gcb_anchor->instance->logHandle;
    if (module.startNote) xpmrlog(log, kStartNoteSet, kStartNote, ORV_MSG_END);
    kivevds(&state, module.messages);
    if (state.stop != 0) xexit(state.returnCode, 0);

    ZTSEV_LIST *events = &state.events;
    if (module.dateKeyList) events->kind = ZTSEV_LIST_DATEKEYS;
    ZTSEVCreateEvents(events, nullptr);
    if (state.flags[KIV_FLAG_SORT_NAMES] != 0) ZTSEVSortEvents(events);
    /* Both blocks are large: they live beside the state, not in it. */
    static ZTSEV_SERIES stepBlock, groupBlock;
    kivStepSeriesBlock(&state, &stepBlock);
    ZTSEVCreateGroupEvents(events, &stepBlock, nullptr);
    ZTSEVdsout(events, &state.series.rawTime, &state.series, {state.varCount, state.varNumbers});
    /* The event module's own date-key list (null in the date-key module,
     * whose date keys are in the event list) writes its DATEKEYDATA OUT=
     * data sets as the event list writes its EVENTDATA OUT= ones. */
    ZTSEV_LIST *keys = events->datekeyList;
    if (keys != nullptr) ZTSEVdsoutdata(keys);
    if (state.stop != 0) xexit(state.returnCode, 0);

    ZTS_PROC *series = &state.series;
    int64_t groupsRead = 0;
    for (;;) {
        state.stop = 0;
        state.failedAllocations = 0;
        if (xbynext(series->ioInfo.byXofid) == 0) break;
        ++groupsRead;
        if (series->byCount != 0) xppage(0);
        kivevin(&state, module.messages);
        if (state.stop != 0 || state.groupCount == 0) continue;
        kivevrun(&state);
        if (state.stop != 0) continue;
        kivGroupSeriesBlock(&state, &stepBlock, &groupBlock);
        /* A group whose dummy rows ran out of memory is skipped as the
         * group reader skips one: 116 (1016 without BY variables), and
         * no periods rows for it either; one whose spool failed as a group
         * whose rows cannot be made. */
        const int rows =
            ZTSEVPutEVDum(events, series, groupBlock, {state.groupRows, state.groupRowCount, 1 + state.varCount});
        if (rows != 0) {
            if (rows == ZTSEV_ROWS_NO_MEMORY)
                kivRaise(&state, kivMemoryFailureCode(&state));
            else
                skipSpooledGroup(&state, module.messages);
            state.stop = 1;
            continue;
        }
        if (module.periodsOutput) ZTSDKPutDKPer(events, &series->rawTime, groupBlock);
    }
    if (groupsRead == 0 && events->dummyOutGiven != 0)
        xpmrlog(log, module.messages.noGroup, kNoGroupNote, ORV_MSG_END);
    for (ZTSEV_LIST *list : {events, keys})
        for (ZTSEV_DSREC *record = list != nullptr ? list->outputs : nullptr; record != nullptr; record = record->next)
            ZTSEVPutEVData(list, record);
    xexit(state.returnCode, 0);
}
