/*
 * datekpar.cpp - the option reader of both procedures (see datekpar.h).
 */
#include "procdriver/datekpar.h"

#include <cstring>

#include "event/datekey_statements.h"
#include "event/event_statements.h"
#include "event/event_support.h"
#include "host/format_records.h"
#include "host/missing_values.h"
#include "host/parser_glue.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/intck.h"
#include "interval/interval_names.h"
#include "interval/interval_seasons.h"
#include "procdriver/lead_option.h"
#include "procdriver/time_text.h"
#include "series/series_bind.h"
#include "series/series_names.h"

namespace {

/* Option slots of the procedure statement's option-values record. */
enum : int {
    kSlotBy = 0,
    kSlotData = 1,
    kSlotVar = 2,
    kSlotId = 3,
    kSlotInterval = 4,
    kSlotAlign = 5,
    kSlotSeasonality = 6,
    kSlotLead = 7,
    kSlotStartSum = 8,
    kSlotAccumulate = 9,
    kSlotSetMissingCode = 10,
    kSlotSetMissingValue = 15,
    kSlotStartDate = 18,     /* 19 time, 20 datetime */
    kSlotEndDate = 21,       /* 22 time, 23 datetime */
    kSlotMaxError = 25,
    kSlotFormat = 46,
};

/* Option bits copied into flag bytes; bit 4, the unsorted bit and the
 * all-selections switch are handled on their own. */
struct BitFlag {
    int bit;
    int flag;
};
constexpr BitFlag kBitFlags[] = {
    {1, KIV_FLAG_NOOUTALL}, {2, KIV_FLAG_SORT_NAMES},
    {19, 3}, {20, 4}, {21, 5},
    {31, 15}, {32, 16}, {33, 17}, {34, 18}, {35, 19},
    {40, 20}, {41, 21}, {42, 22}, {43, 23},
    {51, 24}, {50, 25}, {52, 26},
};
constexpr int kBitUnsorted = 3;
constexpr int kBit4 = 4;
constexpr int kBitAllSelections = 30;

constexpr int kPoolFlags = 6;
constexpr int64_t kPoolBlock = 1024;
constexpr int kDescriptorFlags = 0x2002;
/* A larger MAXERROR= limits nothing more than this one. */
constexpr double kNoteLimitMax = 2147483647.0;
/* xvdflst: a list of numeric variables. */
constexpr int kNumericList = 1;
/* xfrfile: does the variable carry a format the host knows? */
constexpr int kFormatQuery = 70;
/* The series context's SETMISSING code for a number. */
constexpr int kSetMissingNumber = 100;

/* Messages of the option reader. */
constexpr int kSet = 743;
enum : int {
    kMsgNoData = 2,
    kMsgStartSum = 3017,
    kMsgStartNotDate = 3020,
    kMsgStartNotTime = 3021,
    kMsgEndNotDate = 3022,
    kMsgEndNotTime = 3023,
    kMsgStartAfterEnd = 3024,
    kMsgPeriods = 3025,
    kMsgObsWindow = 3026,
    kMsgCharFormat = 3091,
};

bool bitSet(const STATEMENT_NODE *statement, int bit)
{
    return (statement->optionBits[bit / 8] & (0x80 >> (bit % 8))) != 0;
}

bool given(const OPTION_SLOT &slot) { return slot.given != ORV_SLOT_NOT_GIVEN; }

void *logHandle() { return v_global_gcb_anchor->instance->logHandle; }

/* Counts failed allocations, writes the memory message and ends the step
 * with at least 1016. */
[[noreturn]] void outOfMemory(PROC_STATE *state)
{
    state->failedAllocations += xmemdef();
    /* The caller saw a failure even when the host's count was taken
     * already. */
    if (state->failedAllocations == 0) state->failedAllocations = 1;
    xmemmsg(int(state->failedAllocations));
    kivRaise(state, KIV_RC_MEMORY);
    xexit(state->returnCode, 0);
}

/* The ID variable: number, name, label and format code. */
void readId(PROC_STATE *state, DATA_SET_HANDLE *data, const OPTION_SLOT &slot)
{
    if (!given(slot) || slot.items == nullptr) return;
    int32_t number = *static_cast<const int32_t *>(slot.items);
    ZTS_TIMEID &raw = state->series.rawTime;
    raw.idVarNo = number;
    state->idGiven = 1;
    raw.idGiven = 1;
    VARIABLE_DESCRIPTOR variable{};
    xvname(data, number, &variable);
    vzmpc(variable.name, variable.nameLength, &state->idName.length, state->idName.text, ORV_DS_VARIABLE_NAME_LENGTH);
    vzmpc(variable.label, variable.labelLength, &state->idLabel.length, state->idLabel.text, ORV_DS_LABEL_LENGTH);
    raw.idName = state->idName;
    raw.idLabel = state->idLabel;
    raw.fmtCode = ORV_NO_FORMAT;
    if ((variable.formatWidth > 0 || variable.formatNameLength > 0) &&
        xfrfile(logHandle(), data, kFormatQuery, &number, 1) == 0) {
        raw.fmtCode = variable.formatCode;
        state->timeFormat = {variable.formatCode, variable.formatWidth};
    }
}

/* START or END: the first given of the date, time and datetime slots. */
void readBound(const OPTION_SLOT *options, int firstSlot, double *value, char *kind)
{
    static constexpr char kKinds[] = {'d', 's', 's'};
    *value = orvMissing();
    *kind = 0;
    for (int i = 0; i < 3; ++i) {
        if (!given(options[firstSlot + i])) continue;
        *value = options[firstSlot + i].value.number;
        *kind = kKinds[i];
        return;
    }
}

/* FORMAT=: a numeric format becomes the time ID's display format, in the
 * outputs and in messages. */
void readFormat(PROC_STATE *state, const OPTION_SLOT &slot)
{
    if (!given(slot) || slot.items == nullptr) return;
    const auto *format = static_cast<const FORMAT_RECORD *>(slot.items);
    char text[ORV_DS_FORMAT_NAME_LENGTH + 1];
    std::memset(text, ' ', sizeof text);
    xfrshow(format->identifier, text, ORV_DS_FORMAT_NAME_LENGTH);
    const int length = wzstrip(text, ORV_DS_FORMAT_NAME_LENGTH);
    if (wzstpos(text, length, '$') >= 0) {
        xpmlog(kSet, kMsgCharFormat, ORV_MSG_TEXT, length, text, ORV_MSG_END);
        return;
    }
    ZTS_TIMEID &raw = state->series.rawTime;
    raw.fmtGiven = 1;
    raw.fmtCode = format->identifier;
    raw.fmtWidth = format->width;
    raw.fmtMinWidth = format->width;
    state->timeFormat = {format->identifier, format->width};
    vzmpc(text, length, &raw.fmtName.length, raw.fmtName.text, ORV_DS_FORMAT_NAME_LENGTH);
}

/* The analysis-variable descriptors, in VAR order, with their own copy of
 * the variable numbers. */
void readVariables(PROC_STATE *state, DATA_SET_HANDLE *data, const int32_t *numbers)
{
    const int32_t n = state->varCount;
    if (n <= 0) return;
    state->vars = static_cast<KIV_VARDESC *>(
        vmalcp_handler(state->optionPool, sizeof(KIV_VARDESC) * size_t(n), kDescriptorFlags));
    state->varNumbers = static_cast<int32_t *>(
        vmalcp_handler(state->optionPool, sizeof(int32_t) * size_t(n), kDescriptorFlags));
    state->failedAllocations += xmemdef();
    if (state->failedAllocations != 0 || state->vars == nullptr || state->varNumbers == nullptr) outOfMemory(state);
    for (int32_t i = 0; i < n; ++i) {
        KIV_VARDESC &desc = state->vars[i];
        desc.varNo = state->varNumbers[i] = numbers[i];
        VARIABLE_DESCRIPTOR variable{};
        xvname(data, numbers[i], &variable);
        vzmpc(variable.name, variable.nameLength, &desc.nameLength, desc.name, ORV_DS_VARIABLE_NAME_LENGTH);
        vzmpc(variable.label, variable.labelLength, &desc.labelLength, desc.label, ORV_DS_LABEL_LENGTH);
    }
    if (state->flags[KIV_FLAG_SORT_NAMES] != 0) kivSortDescriptors(state);
}

[[noreturn]] void startEndFailure(PROC_STATE *state, int number)
{
    xpmlog(kSet, number, ORV_MSG_END);
    kivRaise(state, KIV_RC_START_END);
    xexit(state->returnCode, 0);
}

/* START and END against the interval's kind (with an ID variable).  An
 * observation interval takes neither: that is said before any kind. */
void checkStartEnd(PROC_STATE *state)
{
    const ZINT_DESC &interval = state->series.rawTime.interval;
    const char c = interval.kind;
    if (c == 'o' && (state->startKind != 0 || state->endKind != 0)) startEndFailure(state, kMsgObsWindow);
    if (state->startKind != 0 && state->startKind != c)
        startEndFailure(state, state->startKind == 's' ? kMsgStartNotDate : kMsgStartNotTime);
    if (state->endKind != 0 && state->endKind != c)
        startEndFailure(state, state->endKind == 's' ? kMsgEndNotDate : kMsgEndNotTime);
    if (state->startKind == 0 || state->endKind == 0) return;
    const long format = long(state->timeFormat.code);
    char start[KIV_TIME_TEXT_SIZE];
    char end[KIV_TIME_TEXT_SIZE];
    const int startLength = kivTimeText(state, state->start, start);
    const int endLength = kivTimeText(state, state->end, end);
    if (state->start > state->end) {
        xpmlog(kSet, kMsgStartAfterEnd, ORV_MSG_INT, format, ORV_MSG_INT, format, ORV_MSG_TEXT, startLength, start,
               ORV_MSG_TEXT, endLength, end, ORV_MSG_END);
        kivRaise(state, KIV_RC_START_END);
        xexit(state->returnCode, 0);
    }
    const double periods = zintck2(&interval, state->start, state->end) + 1;
    xpmlog(kSet, kMsgPeriods, ORV_MSG_DBL, periods, ORV_MSG_INT, format, ORV_MSG_INT, format, ORV_MSG_TEXT,
           startLength, start, ORV_MSG_TEXT, endLength, end, ORV_MSG_END);
}

}  // namespace

void kivReadFlags(PROC_STATE *state, const STATEMENT_NODE *statement, KIV_OPTION_RULES rules)
{
    for (const BitFlag &entry : kBitFlags)
        if (bitSet(statement, entry.bit)) state->flags[entry.flag] = 1;
    if (rules.readBit4 && bitSet(statement, kBit4)) state->flags[KIV_FLAG_BIT4] = 1;
    if (rules.allSelections && bitSet(statement, kBitAllSelections))
        for (int f = KIV_FLAG_FIRST_SELECTION; f <= KIV_FLAG_LAST_SELECTION; ++f) state->flags[f] = 1;
    if (bitSet(statement, kBitUnsorted)) state->unsortedOk = 1;
    state->series.rawTime.unsortedOk = state->unsortedOk;
}

void kivSortDescriptors(PROC_STATE *state)
{
    KIV_VARDESC *vars = state->vars;
    for (int32_t i = 0; i < state->varCount; ++i)
        for (int32_t j = i + 1; j < state->varCount; ++j)
            if (wzstcmn(vars[i].name, ORV_DS_VARIABLE_NAME_LENGTH, vars[j].name, ORV_DS_VARIABLE_NAME_LENGTH) > 0) {
                const KIV_VARDESC swap = vars[i];
                vars[i] = vars[j];
                vars[j] = swap;
            }
    for (int32_t i = 0; i < state->varCount; ++i) state->varNumbers[i] = vars[i].varNo;
}

void datekpar(PROC_STATE *state) { kivReadOptions(state, kivDateKeyOptions); }

void kivReadOptions(PROC_STATE *state, KIV_OPTION_RULES rules)
{
    PARSE_CONTROL *control = orvParseControl();
    if (control->status != 0) xexit(control->status, 0);

    state->optionPool = static_cast<MEMORY_OBJECT *>(xmpoolc(0, kPoolBlock, kPoolFlags));
    state->seriesPool = static_cast<MEMORY_OBJECT *>(xmpoolc(0, kPoolBlock, kPoolFlags));
    if (state->optionPool == nullptr || state->seriesPool == nullptr) outOfMemory(state);
    ztsevInitList(&state->events, state->optionPool, rules.separateDateKeys ? ZTSEV_LIST_EVENTS : ZTSEV_LIST_DATEKEYS);
    ZTS_PROC *series = &state->series;
    ZTSSetMemPoolInfo(series, state->seriesPool);
    /* A context left without its operations cannot be used at all. */
    if (ZTSIOBind(series, nullptr, 0, nullptr) != 0 || series->ops == nullptr) outOfMemory(state);

    const STATEMENT_NODE *statement = control->statement;
    OPTION_SLOT *options = statement->options;
    kivReadFlags(state, statement, rules);

    /* Without DATA= nothing is asked of a data set: the step ends with
     * 2000 after the statements were read. */
    auto *data = given(options[kSlotData]) ? static_cast<DATA_SET_HANDLE *>(options[kSlotData].value.pointer)
                                           : nullptr;
    ZTS_IOINFO &io = series->ioInfo;
    io.byXofid = data;
    if (data == nullptr) {
        xpmlog(kSet, kMsgNoData, ORV_MSG_END);
        kivRaise(state, KIV_RC_NO_DATA);
    } else {
        ztsQueryDataSetItems(data, io.libref, &io.member, &io.label, &io.qualified);
        auto *varList = reinterpret_cast<ORV_VARIABLE_LIST_SLOT *>(&options[kSlotVar]);
        xvdflst(data, kNumericList, varList, kSlotVar, options, &options[kSlotId]);
        state->varCount = varList->count;
        readId(state, data, options[kSlotId]);
        if (state->varCount > 0) readVariables(state, data, varList->numbers);
    }

    ZINT_DESC interval{};
    if (given(options[kSlotInterval]) && options[kSlotInterval].value.pointer != nullptr)
        interval = *static_cast<const ZINT_DESC *>(options[kSlotInterval].value.pointer);
    else
        zintstr("OBS", 3, &interval);
    series->ops->setIntervalInfo(series, &interval);

    state->alignment = given(options[kSlotAlign]) ? options[kSlotAlign].value.character : 'B';
    series->ops->setIntervalAlignment(series, state->alignment);

    int32_t seasons = 0;
    if (given(options[kSlotSeasonality])) seasons = int32_t(options[kSlotSeasonality].value.number);
    if (seasons == 0) {
        ZINT_DESC cycle{};
        uint32_t count = 0;
        seasons = zintsea(&interval, &cycle, &count, 0.0) == 0 ? int32_t(count) : 0;
    }
    state->seasonality = seasons;
    series->ops->setSeasonality(series, seasons);

    kivGetLEAD(&options[kSlotLead], 0, KIV_LEAD_FATAL, &state->lead);

    const OPTION_SLOT &maxError = options[kSlotMaxError];
    state->noteLimit = ZTSEV_DEFAULT_NOTE_LIMIT;
    if (given(maxError))
        state->noteLimit = maxError.value.number < kNoteLimitMax ? int64_t(maxError.value.number)
                                                                 : int64_t(kNoteLimitMax);
    state->events.noteLimit = state->noteLimit;

    int32_t startSum = state->lead != 0 ? 1 : 0;
    if (given(options[kSlotStartSum])) startSum = int32_t(options[kSlotStartSum].value.number);
    if (startSum > state->lead) {
        xpmlog(kSet, kMsgStartSum, ORV_MSG_INT, long(startSum), ORV_MSG_INT, long(state->lead), ORV_MSG_END);
        kivRaise(state, KIV_RC_NOTE);
    }

    if (given(options[kSlotAccumulate])) {
        state->accumulateCode = int32_t(options[kSlotAccumulate].value.number);
        state->accumulateGiven = 1;
    }
    series->ops->setAccumulate(series, state->accumulateCode);

    series->setMissingCode = 0;
    series->setMissingValue = orvMissing();
    if (given(options[kSlotSetMissingCode])) {
        series->setMissingCode = int32_t(options[kSlotSetMissingCode].value.number);
        series->setMissingGiven = 1;
    } else if (given(options[kSlotSetMissingValue])) {
        series->setMissingCode = kSetMissingNumber;
        series->setMissingValue = options[kSlotSetMissingValue].value.number;
        series->setMissingGiven = 1;
    }

    readBound(options, kSlotStartDate, &state->start, &state->startKind);
    readBound(options, kSlotEndDate, &state->end, &state->endKind);
    readFormat(state, options[kSlotFormat]);
    kivChooseTimeFormat(state, interval.kind);

    if (data != nullptr && given(options[kSlotBy])) {
        series->byCount = options[kSlotBy].value.count;
        series->byVars = static_cast<int32_t *>(options[kSlotBy].items);
    }

    /* The date-key module reads its date-key and event statements into one
     * list, the date keys first (ZTSDKParse makes it a list of kind 2); the
     * event module keeps its date keys in a list of their own that its
     * event list, left at kind 0, resolves them through. */
    if (rules.separateDateKeys) {
        ztsevInitList(&state->dateKeys, state->optionPool, ZTSEV_LIST_DATEKEYS);
        ZTSDKParse(&state->dateKeys, nullptr);
        state->events.datekeyList = &state->dateKeys;
    } else {
        ZTSDKParse(&state->events, nullptr);
    }
    ZTSEVParse(&state->events, nullptr);

    if (state->idGiven != 0) checkStartEnd(state);
    if (state->returnCode > KIV_RC_NOTE) xexit(state->returnCode, 0);
}
