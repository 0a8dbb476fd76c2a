/*
 * kivevin.cpp - the BY-group reader and the run step (see kivevin.h).
 */
#include "procdriver/kivevin.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "host/missing_values.h"
#include "host/parser_glue.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/custom_manager.h"
#include "interval/custom_options.h"
#include "interval/custom_periods.h"
#include "interval/custom_timeid.h"
#include "interval/intck.h"
#include "interval/intnx.h"
#include "interval/timeid_index.h"
#include "procdriver/by_text.h"
#include "procdriver/time_text.h"
#include "series/series_bind.h"
#include "series/series_io.h"
#include "series/series_memory.h"

namespace {

/* Messages of the reader's own set (1023 or 743). */
enum : int {
    kMsgMissingId = 5,
    kMsgOffInterval = 8,
    kMsgTooFarApart = 9,
    kMsgTooManyKept = 25,
    kMsgTooManyPeriods = 31,
    kMsgNoPeriods = 32,
    kMsgNoObservations = 490,
};
/* Messages of the time-ID set. */
enum : int {
    kMsgGaps = 1021,
    kMsgCustomNotAscending = 1023,
    kMsgNotAscending = 1024,
    kMsgCustomTooShort = 1026,
    kMsgCustomOpenEnd = 1027,
    kMsgUnsorted = 1028,
    kMsgCustomDuplicates = 1029,
};
constexpr int kIndexFlags = 0x2006;
/* Interval counts beyond this are not exact doubles. */
constexpr double kTwo53 = 9007199254740992.0;
/* zinttip's mode for built-in intervals, whose order getid checked. */
constexpr int kBuiltInMode = 2;
/* Observations the group's kept rows first make room for. */
constexpr int64_t kFirstKeptRows = 4096;

bool isLetterMissing(double x, char letter)
{
    return std::bit_cast<uint64_t>(x) == orvLetterMissingBits(letter - 'A');
}

/* An interval count usable as an integer. */
bool countable(double count) { return !orvIsMissing(count) && std::fabs(count) <= kTwo53; }

int idLength(const ZTS_PROC *series) { return wzstrip(series->rawTime.idName.text, series->rawTime.idName.length); }

int memberLength(const ZTS_PROC *series) { return wzstrip(series->ioInfo.member.text, series->ioInfo.member.length); }

/* A time-ID message naming the ID variable, the data set and, when
 * withInterval, the interval. */
void logNamed(const ZTS_PROC *series, int number, bool withInterval)
{
    const ZTS_TIMEID &raw = series->rawTime;
    const ZTS_IOINFO &io = series->ioInfo;
    const int libref = wzstrip(io.libref, ORV_DS_LIBREF_LENGTH);
    const int interval = wzstrip(raw.intervalName.text, raw.intervalName.length);
    if (withInterval)
        xpmlog(ZINTTIP_MESSAGE_SET, number, ORV_MSG_TEXT, idLength(series), raw.idName.text, ORV_MSG_TEXT, libref,
               io.libref, ORV_MSG_TEXT, memberLength(series), io.member.text, ORV_MSG_TEXT, interval,
               raw.intervalName.text, ORV_MSG_END);
    else
        xpmlog(ZINTTIP_MESSAGE_SET, number, ORV_MSG_TEXT, idLength(series), raw.idName.text, ORV_MSG_TEXT, libref,
               io.libref, ORV_MSG_TEXT, memberLength(series), io.member.text, ORV_MSG_END);
}

/* The group's time IDs cannot be used: skip it with 108 / 1008. */
void skipGroup(PROC_STATE *state)
{
    kivRaise(state, kivGroupFailureCode(state));
    state->stop = 1;
}

/* A failed allocation: the host's memory message, 116 / 1016. */
void outOfMemory(PROC_STATE *state)
{
    state->failedAllocations += xmemdef();
    xmemmsg(int(state->failedAllocations));
    state->failedAllocations = 0;
    kivRaise(state, kivMemoryFailureCode(state));
    state->stop = 1;
}

/* Acts on getid's status; true when the observation is to be looked at,
 * false when it is dropped.  Sets the stop flag when the group ends. */
bool acceptStatus(PROC_STATE *state, KIV_MESSAGES msgs, int status)
{
    ZTS_PROC *series = &state->series;
    const ZTS_TIMEID &raw = series->rawTime;
    switch (status) {
    case 0: return true;
    case ZTS_NO_MEMORY: outOfMemory(state); return false;
    case ZTS_MISSING_ID:
        xpmlog(msgs.main, kMsgMissingId, ORV_MSG_TEXT, idLength(series), raw.idName.text, ORV_MSG_INT,
               long(series->obsNumber), ORV_MSG_TEXT, memberLength(series), series->ioInfo.member.text, ORV_MSG_END);
        kivRaise(state, KIV_RC_NOTE);
        return false;
    case ZTS_NOT_ASCENDING:
        if (raw.interval.code == ZINT_CUSTOM)
            logNamed(series, kMsgCustomNotAscending, true);
        else
            logNamed(series, kMsgNotAscending, false);
        skipGroup(state);
        return false;
    case ZTS_OFF_INTERVAL: {
        char value[KIV_TIME_TEXT_SIZE];
        const int valueLength = kivTimeText(state, raw.current, value);
        xpmlog(msgs.main, kMsgOffInterval, ORV_MSG_TEXT, idLength(series), raw.idName.text, ORV_MSG_INT,
               long(state->timeFormat.code), ORV_MSG_INT, long(series->obsNumber), ORV_MSG_TEXT,
               memberLength(series), series->ioInfo.member.text, ORV_MSG_TEXT, valueLength, value, ORV_MSG_END);
        skipGroup(state);
        return false;
    }
    default:
        /* Time IDs too far apart to be counted exactly: the group's axis
         * cannot be laid out. */
        xpmlog(msgs.main, kMsgTooFarApart, ORV_MSG_TEXT, idLength(series), raw.idName.text, ORV_MSG_INT,
               long(series->obsNumber), ORV_MSG_TEXT, memberLength(series), series->ioInfo.member.text, ORV_MSG_END);
        skipGroup(state);
        return false;
    }
}

/* The observation passes the START/END window. */
bool insideWindow(const PROC_STATE *state)
{
    const ZTS_TIMEID &raw = state->series.rawTime;
    double t = raw.current;
    if (state->idGiven == 0 || orvIsMissing(t)) return true;
    if (raw.idVarNo <= 0) t += 1;
    if (state->startKind != 0 && state->start > t) return false;
    if (state->endKind != 0 && t > state->end) return false;
    return true;
}

/* Appends the observation just moved (its time ID as read and the
 * analysis values) to the group's rows.  False when memory ran out. */
bool keepRow(PROC_STATE *state)
{
    ZTS_PROC *series = &state->series;
    const int64_t width = 1 + int64_t(state->varCount);
    if (state->groupRowCount == state->groupRowCapacity) {
        const int64_t grown = std::max<int64_t>(2 * state->groupRowCapacity, kFirstKeptRows);
        if (!ztsSizeFits(grown * width, sizeof(double))) return false;
        auto *rows = static_cast<double *>(ztsGrow(series, state->groupRows,
                                                   size_t(state->groupRowCapacity * width) * sizeof(double),
                                                   size_t(grown * width) * sizeof(double)));
        if (rows == nullptr) return false;
        state->groupRows = rows;
        state->groupRowCapacity = grown;
    }
    double *row = state->groupRows + state->groupRowCount * width;
    row[0] = series->rawTime.current;
    if (state->varCount == 1) /* mostly one variable: no library call for it */
        row[1] = series->ioInfo.values[0];
    else
        std::copy(series->ioInfo.values, series->ioInfo.values + state->varCount, row + 1);
    ++state->groupRowCount;
    return true;
}

/* The reading stage; *usable counts the observations whose time ID getid
 * took (inside the window or not).  False when the group is to be
 * skipped. */
bool readGroup(PROC_STATE *state, KIV_MESSAGES msgs, int64_t *usable)
{
    ZTS_PROC *series = &state->series;
    resetForReadNext(series);
    /* The time IDs stepped for the group before lie one interval apart:
     * the order check takes a group's IDs that follow them without
     * counting.  (Not for the intervals whose IDs are not stepped dates.) */
    const uint8_t code = series->rawTime.interval.code;
    const bool stepped = code != ZINT_NONE && code != ZINT_OBS && code != ZINT_CUSTOM;
    series->steppedIds = stepped && state->idsStepped > 0 ? state->groupTimeIds : nullptr;
    series->steppedCount = series->steppedIds != nullptr ? state->idsStepped : 0;
    series->steppedAt = -1;
    state->groupRowCount = 0;
    const bool keepRows = state->events.dummyOutputs != nullptr;
    bool first = true;
    for (;;) {
        if (ztsReadObservation(series) != 0) {
            /* The host logged the failure (data not sorted by the BY
             * variables, a row it cannot read) and fails the step with 8,
             * keeping every output's earlier version.  This is no skipped
             * group: the group is cut short and no later one can be read,
             * so the step does not claim the code of a step that skipped a
             * group and wrote the rest. */
            state->stop = 1;
            return false;
        }
        if (series->ioInfo.row == nullptr) return true;
        FETCH_HANDLE *fetch = series->ioInfo.fetch;
        const int moved = fetch->move != nullptr ? fetch->move(fetch, series->ioInfo.row)
                                                 : xyvget(fetch, 0, series->ioInfo.row);
        if (moved != 0) {
            xprrlog(nullptr, moved);
            skipGroup(state);
            return false;
        }
        if (first) kivByTextRead(state, series->ioInfo.row);
        first = false;
        if (keepRows && !keepRow(state)) {
            outOfMemory(state);
            return false;
        }
        const int status = getid(series);
        if (!acceptStatus(state, msgs, status)) {
            if (state->stop != 0) return false;
            continue;
        }
        ++*usable;
        if (insideWindow(state)) ++series->obsCount;
    }
}

/* The periods of the group: first aligned period, offsets and n.  False
 * (group skipped) when the periods cannot be counted. */
bool layOutPeriods(PROC_STATE *state, KIV_MESSAGES msgs, int64_t *n)
{
    ZTS_PROC *series = &state->series;
    const ZINT_DESC *interval = &series->rawTime.interval;
    const int64_t kept = series->obsCount;
    if (interval->code == ZINT_NONE || (interval->code == ZINT_OBS && kept == 0)) {
        series->firstAligned = 1.0;
        *n = kept;
        return true;
    }
    series->firstAligned = zintnx2(interval, series->minId, 0);
    series->lastAligned = zintnx2(interval, series->maxId, 0);
    series->startOffset = series->endOffset = 0;
    double s = series->firstAligned, e = series->lastAligned;
    double startOffset = 0, endOffset = 0;
    const bool startGiven = state->idGiven != 0 && state->startKind != 0;
    const bool endGiven = state->idGiven != 0 && state->endKind != 0;
    if (startGiven) {
        s = zintnx2(interval, state->start, 0);
        startOffset = zintck2(interval, s, series->firstAligned);
    }
    if (endGiven) {
        e = zintnx2(interval, state->end, 0);
        endOffset = zintck2(interval, series->lastAligned, e);
    }
    const bool reversed = s > e || isLetterMissing(s, 'I') || isLetterMissing(e, 'M');
    if (endGiven && !startGiven && reversed) {
        startOffset = zintck2(interval, e, series->firstAligned);
        s = e;
    } else if (startGiven && !endGiven && reversed) {
        endOffset = zintck2(interval, series->lastAligned, s);
        e = s;
    }
    const double count = zintck2(interval, s, e);
    if (!countable(count) || !countable(startOffset) || !countable(endOffset)) {
        xpmlog(msgs.main, kMsgNoPeriods, ORV_MSG_TEXT, memberLength(series), series->ioInfo.member.text,
               ORV_MSG_TEXT, wzstrip(series->rawTime.intervalName.text, series->rawTime.intervalName.length),
               series->rawTime.intervalName.text, ORV_MSG_END);
        skipGroup(state);
        return false;
    }
    series->startOffset = int64_t(startOffset);
    series->endOffset = int64_t(endOffset);
    *n = (count > 0 ? int64_t(count) : 0) + 1;
    return true;
}

/* Room for the observation-to-period index and the group's time IDs;
 * both arrays are kept from group to group and grow when a group needs
 * more.  False when an allocation failed (stop flag set). */
bool makeRoom(PROC_STATE *state)
{
    ZTS_PROC *series = &state->series;
    const int64_t kept = series->obsCount;
    if (kept > series->obsIndexCapacity) {
        ztsFree(series, series->obsIndex);
        series->obsIndex = static_cast<int64_t *>(ztsAlloc(series, size_t(kept) * sizeof(int64_t), kIndexFlags));
        series->obsIndexCapacity = series->obsIndex != nullptr ? kept : 0;
        if (series->obsIndex == nullptr) {
            outOfMemory(state);
            return false;
        }
    }
    ZTS_TIMEID &ids = series->timeIds;
    if (state->groupCount > ids.capacity) {
        ztsFree(series, ids.ids);
        ids.ids = static_cast<double *>(ztsAlloc(series, size_t(state->groupCount) * sizeof(double), kIndexFlags));
        ids.capacity = ids.ids != nullptr ? state->groupCount : 0;
        state->idsStepped = 0;
        if (ids.ids == nullptr) {
            outOfMemory(state);
            return false;
        }
    }
    state->groupTimeIds = ids.ids;
    return true;
}

/* A calendar without END leaves its last period open-ended, and such a
 * period holds no time IDs.  When the group's periods reach it at value,
 * the group is skipped with (882, 1027), which names the calendar's data
 * set and says what to add, in place of the message of a value outside
 * the calendar; true then. */
bool skippedAtOpenEnd(PROC_STATE *state, double value)
{
    ZTS_PROC *series = &state->series;
    ZINT_SEAS rec{};
    rec.interval = series->rawTime.interval;
    const bool openEnd = zintInOpenLastPeriod(&rec, value);
    zcintcReleaseRef(rec.customRef);
    if (!openEnd) return false;
    ZINT_CUSTOM_ENTRY entry;
    int32_t multiplier = 0, shift = 0;
    char calendar[ZINT_CUSTOM_SHOWN_NAME];
    int calendarLength = 0;
    if (getCustomIntervalDSRef(&entry, &rec.interval, &multiplier, &shift) == 0)
        calendarLength = zintCustomDataSetName(entry, calendar);
    const ZTS_TIMEID &raw = series->rawTime;
    const ZTS_IOINFO &io = series->ioInfo;
    xpmlog(ZINTTIP_MESSAGE_SET, kMsgCustomOpenEnd, ORV_MSG_TEXT, idLength(series), raw.idName.text, ORV_MSG_TEXT,
           wzstrip(io.libref, ORV_DS_LIBREF_LENGTH), io.libref, ORV_MSG_TEXT, memberLength(series), io.member.text,
           ORV_MSG_TEXT, wzstrip(raw.intervalName.text, raw.intervalName.length), raw.intervalName.text,
           ORV_MSG_TEXT, calendarLength, calendar, ORV_MSG_END);
    skipGroup(state);
    return true;
}

/* The irregularity check of zinttip.  False when the group is skipped. */
bool checkIrregular(PROC_STATE *state, double base)
{
    ZTS_PROC *series = &state->series;
    const ZTS_TIMEID &raw = series->rawTime;
    const bool custom = raw.interval.code == ZINT_CUSTOM;
    if (!(series->minMaxChanged != 0 || series->gaps != 0 || series->duplicates != 0 || series->obsCount == 1 ||
          custom))
        return true;
    const int mode = custom ? 0 : kBuiltInMode;
    int64_t maxIndex = 0;
    double first = 0, last = 0;
    const int r = zinttip(&raw.interval, raw.alignment, raw.ids, series->obsCount, mode, series->obsIndex, base,
                          &maxIndex, &first, &last);
    if (custom && r == ZINTTIP_OUT_OF_RANGE && skippedAtOpenEnd(state, series->maxId)) return false;
    const int e = zinttipErr(&raw.idName, series->ioInfo.libref, &series->ioInfo.member, &raw.interval, r);
    if (e != 0) {
        kivRaise(state, kivGroupFailureCode(state));
        state->stop = e;
        return false;
    }
    if (r == ZINTTIP_UNSORTED) {
        logNamed(series, kMsgUnsorted, true);
        skipGroup(state);
        return false;
    }
    if (r == ZINTTIP_DUPLICATES && mode == 0) {
        logNamed(series, kMsgCustomDuplicates, true);
        if (ZTSGetAccumulateCode(series) == 0) {
            skipGroup(state);
            return false;
        }
    }
    return true;
}

/* A custom interval's calendar must hold the group's periods: base and
 * the count - 1 closed periods after it.  Otherwise the group is skipped
 * with (882, 1026), or (882, 1027) when only the open-ended last period is
 * missing, and 108 / 1008, as every other skipped group. */
bool calendarCovers(PROC_STATE *state, double base, int64_t count)
{
    ZTS_PROC *series = &state->series;
    ZINT_CTID_WORK work{};
    work.start = orvMissing();
    work.interval.interval = series->rawTime.interval;
    double value = base;
    work.values = &value;
    work.count = 1;
    int64_t after = -1;
    const int rc = zintctid(&work, nullptr, 1, nullptr, nullptr, nullptr, nullptr, nullptr, &after, nullptr, nullptr,
                            nullptr);
    zcintcReleaseRef(work.interval.customRef);
    if (rc == ZINT_CTID_OK && after >= count - 1) return true;
    const double last = zintnx3(&series->rawTime.interval, 'B', nullptr, base, double(count - 1));
    if (skippedAtOpenEnd(state, last)) return false;
    logNamed(series, kMsgCustomTooShort, true);
    skipGroup(state);
    return false;
}

}  // namespace

void kivevin(PROC_STATE *state, KIV_MESSAGES msgs)
{
    ZTS_PROC *series = &state->series;
    ZTS_TIMEID &raw = series->rawTime;
    state->groupCount = 0;
    int64_t usable = 0;
    const bool read = readGroup(state, msgs, &usable);
    series->steppedIds = nullptr; /* the table may move before the next group */
    if (!read) return;

    const int64_t kept = series->obsCount;
    if (raw.idVarNo <= 0) {
        for (int64_t i = 0; i < kept; ++i) raw.ids[i] += 1;
        series->minId += 1;
        series->maxId += 1;
    }
    if (kept == 0) {
        xpmlog(msgs.noGroup, kMsgNoObservations, ORV_MSG_TEXT, memberLength(series), series->ioInfo.member.text,
               ORV_MSG_END);
        /* Without a single usable time ID the minimum and maximum are not
         * dates: only a START and an END both given say where the periods
         * lie. */
        if (usable == 0 && !(state->idGiven != 0 && state->startKind != 0 && state->endKind != 0)) return;
    }
    if (kept > ZTS_MAX_TIME_IDS) {
        xpmlog(msgs.main, kMsgTooManyKept, ORV_MSG_INT, long(kept), ORV_MSG_INT, long(ZTS_MAX_TIME_IDS), ORV_MSG_END);
        skipGroup(state);
        return;
    }
    if (series->gaps != 0 && (series->minMaxChanged == 0 || series->accumulateCode != 0))
        logNamed(series, kMsgGaps, true);
    series->timeIds.count = 0;

    int64_t n = 0;
    if (!layOutPeriods(state, msgs, &n)) return;
    const int64_t count = n + state->lead;
    series->timeIds.count = count;
    if (count > ZTS_MAX_TIME_IDS) {
        xpmlog(msgs.main, kMsgTooManyPeriods, ORV_MSG_INT, long(count), ORV_MSG_INT, long(ZTS_MAX_TIME_IDS),
               ORV_MSG_END);
        series->timeIds.count = 0;
        skipGroup(state);
        return;
    }
    state->groupCount = count;
    if (!makeRoom(state)) {
        state->groupCount = 0;
        return;
    }

    double base = series->firstAligned;
    if (state->idGiven != 0 && state->startKind != 0)
        base = state->start;
    else if (state->idGiven != 0 && state->endKind != 0 &&
             (series->firstAligned > state->end || isLetterMissing(series->firstAligned, 'I')))
        base = state->end;
    if (kept > 0 && !checkIrregular(state, base)) {
        state->groupCount = 0;
        return;
    }

    if (raw.interval.code == ZINT_CUSTOM && !calendarCovers(state, base, count)) {
        state->groupCount = 0;
        return;
    }
    /* Consecutive groups mostly share their first period: the time IDs
     * stepped for an earlier group from the same base are still there. */
    double *ids = state->groupTimeIds;
    if (std::bit_cast<uint64_t>(base) != std::bit_cast<uint64_t>(state->idsBase)) state->idsStepped = 0;
    for (int64_t i = state->idsStepped; i < count; ++i)
        ids[i] = raw.interval.code == ZINT_NONE ? double(i) : zintnx3(&raw.interval, raw.alignment, nullptr, base, double(i));
    state->idsBase = base;
    state->idsStepped = std::max(state->idsStepped, count);
}

/* The step has no work of its own: a group that reached it has a clear
 * stop flag and goes on to the outputs. */
void kivevrun(PROC_STATE *) {}
