/*
 * proc_state.h - the procedure state PROC_STATE of one step of either
 * procedure module, its analysis-variable descriptor, the message sets of
 * the shared steps and the step return codes the driver raises.
 *
 * The entry keeps one PROC_STATE on its stack for the whole step and zeroes
 * it first; every driver step receives its address.  The return code only
 * grows (kivRaise); the stop flag ends the current stage.
 *
 * Exports: KIV_VARDESC, KIV_TIME_FORMAT, KIV_MESSAGES, kivDateKeyMessages, kivEventMessages,
 * PROC_STATE, the KIV_FLAG_* flag indexes, the KIV_RC_* return codes,
 * kivRaise, kivGroupFailureCode, kivMemoryFailureCode.
 */
#ifndef ORV_PROCDRIVER_PROC_STATE_H
#define ORV_PROCDRIVER_PROC_STATE_H

#include <cstddef>
#include <cstdint>

#include "event/event_records.h"
#include "host/host_records.h"
#include "series/series_context.h"

/* One analysis (VAR) variable as the outputs name it. */
struct KIV_VARDESC {
    int32_t varNo;
    int16_t nameLength;
    char name[ORV_DS_VARIABLE_NAME_LENGTH];
    int16_t labelLength;
    char label[ORV_DS_LABEL_LENGTH];
};
static_assert(offsetof(KIV_VARDESC, nameLength) == 4);
static_assert(offsetof(KIV_VARDESC, name) == 6);
static_assert(offsetof(KIV_VARDESC, labelLength) == 38);
static_assert(offsetof(KIV_VARDESC, label) == 40);
static_assert(sizeof(KIV_VARDESC) == 296);

/* The format that messages show time values with (time_text.h): a format
 * code and its width, 0 for the format's default.  Code 0: not chosen yet. */
struct KIV_TIME_FORMAT {
    int64_t code;
    int32_t width;
};

/* Message sets of the shared steps: `main` for the input set-up and the
 * group reader, `noGroup` for the no-observation message and the no-group
 * note.  The date-key module uses 1023 for both, the event module 743 and
 * 779. */
struct KIV_MESSAGES {
    int main;
    int noGroup;
};
constexpr KIV_MESSAGES kivDateKeyMessages{1023, 1023};
constexpr KIV_MESSAGES kivEventMessages{743, 779};

/* Flag bytes copied from the procedure statement's option bits. */
constexpr int KIV_FLAG_COUNT = 28;
enum : int {
    KIV_FLAG_NOOUTALL = 0,
    KIV_FLAG_SORT_NAMES = 1,
    KIV_FLAG_BIT4 = 2,
    KIV_FLAG_DEBUG = 3,          /* 3, 4, 5: DEBUG, DEBUGD, DEBUGX */
    KIV_FLAG_FIRST_SELECTION = 15,
    KIV_FLAG_LAST_SELECTION = 26,
};

/* Return codes of the driver. */
enum : int {
    KIV_RC_NOTE = 4,               /* a missing time ID, STARTSUM= above LEAD= */
    KIV_RC_GROUP_BY = 108,         /* unusable time IDs of a group, with BY variables */
    KIV_RC_MEMORY_BY = 116,        /* out of memory in a group, with BY variables */
    KIV_RC_GROUP = 1008,           /* the same without BY variables */
    KIV_RC_MEMORY = 1016,
    KIV_RC_NO_DATA = 2000,         /* DATA= missing, LEAD= too large */
    KIV_RC_START_END = 3000,       /* START or END inconsistent with the interval */
};

/* The state of one step.  Fields are read and written by the steps named
 * beside them. */
struct PROC_STATE {
    uint8_t idGiven;               /* option reader */
    char alignment;                /* 'B' unless ALIGN= */
    uint8_t unsortedOk;            /* option bit 3, also in the series context */
    int32_t seasonality;
    int32_t lead;
    double start;                  /* missing when not given */
    char startKind;                /* 'd' date, 's' time or datetime, 0 not given */
    double end;
    char endKind;
    KIV_TIME_FORMAT timeFormat;    /* option reader; START, END, time IDs in messages */
    int32_t accumulateCode;
    uint8_t accumulateGiven;
    ZTSEV_LIST events;             /* the step's event list */
    ZTSEV_LIST dateKeys;           /* the event module's date-key list */
    ZTS_PROC series;               /* the DATA= series context */
    uint8_t flags[KIV_FLAG_COUNT];
    int64_t failedAllocations;     /* cleared by the entry per BY group */
    MEMORY_OBJECT *optionPool;     /* descriptors, value vector */
    MEMORY_OBJECT *dataPool;       /* the group arrays */
    MEMORY_OBJECT *seriesPool;     /* first pool of the series context */
    ORV_COUNTED_NAME idName;
    ORV_COUNTED_LABEL idLabel;
    double *groupTimeIds;          /* time IDs of the current group */
    int64_t groupCount;            /* 0 = nothing to do for the group */
    /* The first idsStepped time IDs in groupTimeIds were stepped from
     * idsBase; a later group from the same base keeps them.  0 after the
     * array is made anew. */
    double idsBase;
    int64_t idsStepped;
    /* With dummy outputs, the group reader keeps every observation it read,
     * in reading order, as 1 + varCount doubles: the time ID as read, then
     * the analysis values; the dummy writer pairs them with the time IDs
     * without reading the group again.  Kept from group to group. */
    double *groupRows;
    int64_t groupRowCount;
    int64_t groupRowCapacity;      /* observations the array holds */
    int32_t varCount;              /* analysis variables */
    int32_t *varNumbers;           /* in descriptor order */
    KIV_VARDESC *vars;
    int64_t noteLimit;             /* repeated-note limit, 25 unless MAXERROR= */
    struct KIV_BY_TEXT *byText;    /* the BY values' text (by_text.h); null without BY variables */
    int32_t stop;
    int32_t returnCode;
};

/* Raises the step's return code to at least rc. */
inline void kivRaise(PROC_STATE *state, int rc)
{
    if (rc > state->returnCode) state->returnCode = rc;
}

/* Return code of a group whose time IDs cannot be used, and of a group that
 * ran out of memory: the BY form when the data set has BY variables. */
inline int kivGroupFailureCode(const PROC_STATE *state)
{
    return state->series.byCount != 0 ? KIV_RC_GROUP_BY : KIV_RC_GROUP;
}
inline int kivMemoryFailureCode(const PROC_STATE *state)
{
    return state->series.byCount != 0 ? KIV_RC_MEMORY_BY : KIV_RC_MEMORY;
}

#endif
