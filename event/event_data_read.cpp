/*
 * event_data_read.cpp - reading event definition data sets (see
 * event_data_read.h).
 */
#include "event/event_data_read.h"

#include <algorithm>
#include <cstring>

#include "event/datekey_dates.h"
#include "event/event_data_checks.h"
#include "event/event_data_columns.h"
#include "event/event_data_rows.h"
#include "event/event_list.h"
#include "event/event_names.h"
#include "event/event_qualifiers.h"
#include "event/event_registry.h"
#include "event/event_statements.h"
#include "event/event_support.h"
#include "event/statement_options.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/interval_names.h"

namespace {

/* Notes of the reader (set 883). */
enum : int {
    kNoteBlankName = 460,
    kNoteQualDiffers = 461,
    kNoteUnknownClass = 471,
    kNoteBadPulse = 473,
    kNoteBadPeriod = 474,
    kNoteDates = 467,
    kNoteDatetimes = 468,
    kNoteObservations = 469,
    kNoteOtherTiming = 470,
    kErrorColumnType = 675,
    kErrorNoNameColumn = 676,
    kNoteNameTooLong = 677,
    kNoteClassChanges = 678,
};
/* A data set whose columns cannot be read as event definitions ends the
 * step as a faulty statement does: events read without some of their
 * columns would give wrong dummies without a sign. */
constexpr int kUnusableInputRc = 1000;
/* xbyrwnd: back to the first observation. */
constexpr int kRewind = 66;
constexpr int kReadStatusMode = 1;

/* Keywords of _CLASS_ and _RULE_ and of _TYPE_, with their codes. */
struct Keyword {
    const char *word;
    int code;
};
constexpr Keyword kClasses[] = {{"SIMPLE", ZTSEV_CLASS_SIMPLE},   {"COMB", ZTSEV_CLASS_COMB},
                                {"PREDEF", ZTSEV_CLASS_PREDEF},   {"COMPLEX", ZTSEV_CLASS_COMPLEX},
                                {"PREDEFCOMP", ZTSEV_CLASS_PREDEFCOMP}, {"DATEKEY", ZTSEV_CLASS_DATEKEY}};
constexpr Keyword kRules[] = {{"ADD", ZTSEV_RULE_ADD},       {"MAX", ZTSEV_RULE_MAX},   {"MIN", ZTSEV_RULE_MIN},
                              {"MINNZ", ZTSEV_RULE_MINNZ},   {"MINMAG", ZTSEV_RULE_MINMAG},
                              {"MULT", ZTSEV_RULE_MULT},     {"AND", ZTSEV_RULE_AND},   {"OR", ZTSEV_RULE_OR}};
constexpr Keyword kTypes[] = {{"POINT", ZTSEV_TYPE_POINT},   {"LS", ZTSEV_TYPE_LS},         {"RAMP", ZTSEV_TYPE_RAMP},
                              {"TR", ZTSEV_TYPE_TR},         {"TEMPRAMP", ZTSEV_TYPE_TR},   {"TC", ZTSEV_TYPE_TC},
                              {"LINEAR", ZTSEV_TYPE_LINEAR}, {"QUAD", ZTSEV_TYPE_QUAD},     {"CUBIC", ZTSEV_TYPE_CUBIC},
                              {"LIN", ZTSEV_TYPE_LINEAR},    {"INVERSE", ZTSEV_TYPE_INVERSE},
                              {"INV", ZTSEV_TYPE_INVERSE},   {"LOG", ZTSEV_TYPE_LOG},
                              {"LOGARITHMIC", ZTSEV_TYPE_LOG}};
constexpr Keyword kSlopes[] = {{"DECAY", ZTSEV_SLOPE_DECAY}, {"GROWTH", ZTSEV_SLOPE_GROWTH}};

/* Code of the keyword the text is (blank-padded compare), else -1. */
template <size_t N>
int codeOf(const Keyword (&table)[N], const char *text, int length)
{
    length = wzstrip(text, length);
    for (const Keyword &k : table)
        if (wzstcom(text, length, k.word, int(std::strlen(k.word))) == 0) return k.code;
    return -1;
}

int lengthOf(const ORV_COUNTED_NAME &field) { return std::clamp<int>(field.length, 0, ZTSEV_NAME_SIZE); }

double codeOrMissing(int code) { return code > 0 ? double(code) : orvMissing(); }

/* A duration column: missing (ordinary or special) reads as -1, ALL.  The
 * checks have left out a row with any other value that is no duration. */
double durationOf(double value) { return orvIsMissing(value) ? -1 : value; }

/* Left-justifies a 32-character field and sets its length; upper-cases it
 * when asked. */
void justify(ORV_COUNTED_NAME *field, bool upper)
{
    field->length = int16_t(wzstjus(field->text, ZTSEV_NAME_SIZE, 'L'));
    if (upper) wztxxlt(0, field->text, field->text, ZTSEV_NAME_SIZE);
}

/* The name of the row as a NUL-terminated text (at most 32 characters). */
struct RowName {
    char text[ZTSEV_NAME_SIZE + 1];
    int length;
};
RowName rowName(const ZTSEV_ROWBUF &row)
{
    RowName name{};
    name.length = wzstrip(row.name.text, ZTSEV_NAME_SIZE);
    std::memcpy(name.text, row.name.text, size_t(name.length));
    name.text[name.length] = '\0';
    return name;
}

/* Reads the next observation of the data set into its row and moves it
 * into the list's input row buffer.  False at the end, or when a read or
 * a move failed (logged by the host). */
bool nextRow(DATA_SET_HANDLE *handle, void *binding)
{
    void *ref = handle;
    int status = 0;
    if ((handle->flags & ORV_DS_READS_BY_GROUP) != 0 || handle->read == nullptr) {
        status = xybyget(&ref);
        if (status < 0) return false;
    } else {
        handle->readMode = ORV_DS_READ_NEXT;
        status = handle->read(handle);
        if (status != 0) status = xofprc(&ref, status, kReadStatusMode);
    }
    if (handle->row == nullptr || status != 0) return false;
    auto *fetch = static_cast<FETCH_HANDLE *>(binding);
    const int moved = fetch->move != nullptr ? fetch->move(fetch, handle->row) : xyvget(fetch, 0, handle->row);
    if (moved != 0) {
        xprrlog(nullptr, moved);
        return false;
    }
    return true;
}

/* The previous row of a read: its name and locale decide continuation.
 * A row whose name was too long for the row buffer is a previous row that
 * no row continues. */
struct Previous {
    ZTSEV_ROWBUF row;
    bool any = false;

    bool continues(const ZTSEV_ROWBUF &r) const
    {
        return any && row.name.length == r.name.length && row.locale.length == r.locale.length &&
               std::memcmp(row.name.text, r.name.text, size_t(lengthOf(r.name))) == 0 &&
               std::memcmp(row.locale.text, r.locale.text, size_t(lengthOf(r.locale))) == 0;
    }
    void take(const ZTSEV_ROWBUF &r, bool continuable = true)
    {
        row = r;
        any = continuable;
    }
};

/* The name the host read into the record's wide _NAME_ field, if it has
 * one, left-justified there and its first 32 bytes moved into the row
 * buffer: the checks judge the whole name, and cutting a long one could
 * merge two events. */
void takeWideName(ZTSEV_DSREC *record, ZTSEV_ROWBUF *row)
{
    if (record->wideName == nullptr) return;
    const int length = wzstjus(record->wideName, record->wideNameLength, 'L');
    vzmp(record->wideName, std::min(length, ZTSEV_NAME_SIZE), row->name.text, ZTSEV_NAME_SIZE);
}

const char *typeWord(bool character) { return character ? "character" : "numeric"; }

/* Error (883, 675): the record's data set has column `name` of the other
 * type than the event definition data set gives it.  REQUIRES: the step
 * ends or the data set is left out after it. */
void errorColumnType(const ZTSEV_DSREC *record, const char *name, bool character)
{
    const ORV_COUNTED_DATA_SET_NAME &ds = record->info.qualified;
    const char *is = typeWord(character), *needs = typeWord(!character);
    xpmlog(ZTSEV_MSG_SET, kErrorColumnType, ORV_MSG_TEXT, std::clamp<int>(ds.length, 0, int(sizeof ds.text)),
           ds.text, ORV_MSG_TEXT, int(std::strlen(name)), name, ORV_MSG_TEXT, int(std::strlen(is)), is, ORV_MSG_TEXT,
           int(std::strlen(needs)), needs, ORV_MSG_END);
}

/* Ends the step with error (883, 675) when a numeric column read in place
 * of a text holds a value in the current row. */
void checkNumericTexts(const ZTSEV_DSREC *record)
{
    for (int c = 0; c < ZTSEV_COLUMN_COUNT; ++c)
        if (record->numericTexts[c] != 0 && !orvIsMissing(record->numericTextValues[c])) {
            errorColumnType(record, ztsevColumns()[size_t(c)].name, false);
            xexit(kUnusableInputRc, 0);
        }
}

/* The verdict on the row just read into the list's input row buffer.  A
 * row whose name fails is a previous row that no row continues; a row with
 * a refused value is left out as if it were not there. */
struct RowCheck {
    ZtsevNameVerdict name;
    int refusedColumn; /* ztsevRefusedColumn */
    int64_t number;    /* the row's place in the data set, from 1 */
};

/* Ends the step on a numeric value in a text column (checkNumericTexts),
 * moves a wide name in, left-justifies the row and judges it. */
RowCheck checkRow(ZTSEV_DSREC *record, ZTSEV_ROWBUF *row, int64_t number)
{
    checkNumericTexts(record);
    takeWideName(record, row);
    ZTSEVLeftJustBuf(row);
    const bool wide = record->wideName != nullptr;
    const char *name = wide ? record->wideName : row->name.text;
    const int length = wzstrip(name, wide ? record->wideNameLength : ZTSEV_NAME_SIZE);
    return {ztsevJudgeName(name, length), ztsevRefusedColumn(row), number};
}

/* The note of a row whose name fails: (883, 677) with a name longer than
 * 32 characters (all of them single bytes), else (883, 682). */
void noteNameRefused(const ZTSEV_DSREC *record, const RowCheck &check)
{
    if (check.name == ZtsevNameVerdict::TooLong)
        xpmlog(ZTSEV_MSG_SET, kNoteNameTooLong, ORV_MSG_TEXT, wzstrip(record->wideName, record->wideNameLength),
               record->wideName, ORV_MSG_END);
    else
        ztsevNoteNameNotVariable(record, check.number);
}

/* Rewinds the data set and readies the list's input row buffer. */
void startRead(ZTSEV_LIST *list, ZTSEV_DSREC *record)
{
    list->inRow.name.length = 0;
    std::memset(list->inRow.name.text, ' ', ZTSEV_NAME_SIZE);
    ZTSEVInitBuf(&list->inRow);
    xbyrwnd(record->info.handle, kRewind);
}

/* The timing values of a SIMPLE row; false (with its note) when they
 * cannot be used.  *values is null with *count 0 for a row of date keys
 * only (status -4). */
bool rowTiming(ZTSEV_LIST *list, const ZTSEV_ROWBUF &row, double **values, int64_t *count, int32_t *kind)
{
    MEMORY_OBJECT *pool = nullptr;
    findpool(&pool, list);
    *values = nullptr;
    const int status = ZTSEVGetEventdataDates(&row, count, values, kind, pool);
    if (status == 0 || status == ZTSEV_DK_NO_SPAN) {
        if (status != 0) *count = 0;
        return true;
    }
    ztsevTimingNote(*kind, row.name);
    ztsevFree(pool, *values);
    *values = nullptr;
    return false;
}

/* The row's _KEYNAME_ as a date key of a SIMPLE event: null when there is
 * none, or when it names no date key (note (883, 302) with the key). */
const ORV_COUNTED_NAME *simpleKey(ZTSEV_LIST *list, const ZTSEV_ROWBUF &row)
{
    if (!ztsevKeyPresent(&row.keyName)) return nullptr;
    const int length = wzstrip(row.keyName.text, ZTSEV_NAME_SIZE);
    if (ZTSEVDatekey2Flag(ztsevTargetKeyList(list), row.keyName.text, length) != ZTSEV_DK_NONE) return &row.keyName;
    ztsevNoteName(ZTSEV_MSG_KEY_UNKNOWN, row.keyName.text, length);
    return nullptr;
}

/* The row's _KEYNAME_ as a member of the combination event: left out
 * with a note, as in EVENTCOMB, when it names no event and no keyword. */
void addCombMember(ZTSEV_LIST *list, ZTSEV_EVENT *event, const ZTSEV_ROWBUF &row)
{
    if (!ztsevKeyPresent(&row.keyName)) return;
    const ZTSEV_NAMETEXT member = ztsevNameText(row.keyName.text, wzstrip(row.keyName.text, ZTSEV_NAME_SIZE));
    ztsevAddListedMember(list, event, member.text, ZTSEV_NAMES_KEY, ZTSEV_MSG_MEMBER_UNKNOWN);
}

/* The last event of the row's name. */
ZTSEV_EVENT *lastNamed(ZTSEV_LIST *list, const RowName &name)
{
    int k = 0, status = 0;
    return ZTSEVFindEventDup(list, name.text, &k, &status);
}

/* A SIMPLE (or ".") row that continues the last event of its name: a date
 * key, or one more run of timing values. */
void extendSimple(ZTSEV_LIST *list, const ZTSEV_ROWBUF &row, const RowName &name)
{
    double *values = nullptr;
    int64_t count = 0;
    int32_t kind = 0;
    if (!rowTiming(list, row, &values, &count, &kind)) return;
    if (values == nullptr) {
        if (simpleKey(list, row) != nullptr) ZTSEVAddDatekeyToEvent(list, name.text, &row.keyName, 2);
    } else
        ZTSEVAddDatesToEvent(list, nullptr, name.text, values, count, kind, 2);
    MEMORY_OBJECT *pool = nullptr;
    findpool(&pool, list);
    ztsevFree(pool, values);
}

/* The qualifiers and direct fields of the row on the last event of its
 * name. */
void applyRow(ZTSEV_LIST *list, const ZTSEV_ROWBUF &row, const RowName &name, int pulseNote, int periodNote)
{
    ZTSEVSetQualifierList(list, name.text, ztsevRowQualifiers(&row));
    ZTSEV_EVENT *event = lastNamed(list, name);
    if (event != nullptr) ztsevRowDirectFields(event, &row, pulseNote, periodNote);
}

/* The first row of an event: creates it by class.  False when the row
 * cannot be used (its timing values, with their note). */
bool createEvent(ZTSEV_LIST *list, const ZTSEV_ROWBUF &row, const RowName &name, int cls)
{
    int status = 0;
    switch (cls) {
    case ZTSEV_CLASS_PREDEF:
    case ZTSEV_CLASS_PREDEFCOMP: {
        status = ZTSEVInitPredefEvent(list, nullptr, name.text, 0, &row.keyName);
        /* A key the registry does not know leaves the event without one. */
        if (status == 0 && ztsevKeyPresent(&row.keyName) && list->last != nullptr && list->last->members == nullptr)
            ztsevNoteName(ZTSEV_MSG_KEY_UNKNOWN, row.keyName.text, ZTSEV_NAME_SIZE);
        if (status == 0 && cls == ZTSEV_CLASS_PREDEFCOMP && list->last != nullptr &&
            list->last->cls == ZTSEV_CLASS_PREDEF) {
            list->last->cls = ZTSEV_CLASS_PREDEFCOMP;
            --list->dummyCount;
        }
        break;
    }
    case ZTSEV_CLASS_COMB:
        status = ZTSEVInitCombEvent(list, nullptr, name.text, 0, nullptr);
        if (status == 0) addCombMember(list, list->last, row);
        break;
    case ZTSEV_CLASS_COMPLEX: status = ZTSEVInitCompEvent(list, nullptr, name.text, 0, &row.keyName); break;
    default: {
        double *values = nullptr;
        int64_t count = 0;
        int32_t kind = 0;
        if (!rowTiming(list, row, &values, &count, &kind)) return false;
        status = ZTSEVInitSimpleEvent(list, nullptr, name.text, count, values, kind, simpleKey(list, row));
        MEMORY_OBJECT *pool = nullptr;
        findpool(&pool, list);
        ztsevFree(pool, values);
    }
    }
    if (status != 0) return false;
    applyRow(list, row, name, kNoteBadPulse, kNoteBadPeriod);
    return true;
}

/* True when class cls is read in pass `pass` of ZTSEVGetEVData. */
bool inPass(int pass, int cls)
{
    switch (pass) {
    case 1:
        return cls == 0 || cls == ZTSEV_CLASS_SIMPLE || cls == ZTSEV_CLASS_PREDEF || cls == ZTSEV_CLASS_PREDEFCOMP;
    case 2: return cls == ZTSEV_CLASS_COMB;
    default: return cls == ZTSEV_CLASS_COMPLEX;
    }
}

/* The class of a row with "." read as SIMPLE. */
int effectiveClass(const ZTSEV_ROWBUF &row)
{
    const int cls = ZTSEVId_CLASS_(&row);
    return cls == 0 ? ZTSEV_CLASS_SIMPLE : cls;
}

/* Status of one row of pass `pass`: 0 (the row becomes the previous row)
 * or not.  A row that check refuses is left out with its note in the pass
 * that reads its class (a name that fails also under an unknown class). */
int readRow(ZTSEV_LIST *list, const ZTSEV_DSREC *record, int pass, const RowCheck &check, Previous &previous)
{
    const ZTSEV_ROWBUF &row = list->inRow;
    const int cls = ZTSEVId_CLASS_(&row);
    const RowName name = rowName(row);
    if (name.length == 0) {
        if (pass != 2) xpmlog(ZTSEV_MSG_SET, kNoteBlankName, ORV_MSG_END);
        return 0;
    }
    if (check.name != ZtsevNameVerdict::Fits) {
        if (inPass(pass, cls) || (pass == 1 && cls < 0)) noteNameRefused(record, check);
        return 0;
    }
    if (pass == 1 && cls < 0) ztsevNoteName(kNoteUnknownClass, name.text, name.length);
    if (check.refusedColumn >= 0) {
        if (inPass(pass, cls)) ztsevNoteRefusedValue(record, check.number, &row, check.refusedColumn);
        return ZTSEV_ROW_REFUSED;
    }
    if (!inPass(pass, cls)) return 0;
    if (!previous.continues(row)) return createEvent(list, row, name, cls) ? 0 : ZTSEV_NOT_FOUND;
    /* A row of another class cannot extend the event: it is left out. */
    if (effectiveClass(row) != effectiveClass(previous.row)) {
        const char *was = ztsevClassKeyword(effectiveClass(previous.row)), *now = ztsevClassKeyword(effectiveClass(row));
        xpmlog(ZTSEV_MSG_SET, kNoteClassChanges, ORV_MSG_TEXT, name.length, name.text, ORV_MSG_TEXT,
               int(std::strlen(was)), was, ORV_MSG_TEXT, int(std::strlen(now)), now, ORV_MSG_END);
        return ZTSEV_QUAL_DIFFERS;
    }
    const int status = ZTSEVCompQualBuf(&previous.row, &row);
    if (cls == 0 || cls == ZTSEV_CLASS_SIMPLE) {
        extendSimple(list, row, name);
    } else if (ZTSEV_EVENT *event = lastNamed(list, name); event != nullptr) {
        if (cls == ZTSEV_CLASS_COMB)
            addCombMember(list, event, row);
        else if (cls == ZTSEV_CLASS_COMPLEX)
            ZTSEVAddEventName(list, &event->members, row.keyName.text, ZTSEV_NAMES_MEMBER);
    }
    return status;
}

/* Binding of column c: the field of the input row buffer and its size;
 * a _NAME_ column wider than its field is read into the record's own
 * buffer of its width, a numeric column where a text belongs into the
 * record's numeric-text slot (checkNumericTexts).  False (with error (883,
 * 675)) when the column is a text where a number belongs, or a numeric
 * _NAME_. */
bool bindColumn(ZTSEV_LIST *list, ZTSEV_DSREC *record, void *fetch, int c)
{
    const ZTSEV_COLUMN &column = ztsevColumns()[size_t(c)];
    DATA_SET_HANDLE *handle = record->info.handle;
    int number = 0;
    if (xvfind(handle, column.name, int(std::strlen(column.name)), &number) < 0 || number <= 0) return true;
    VARIABLE_DESCRIPTOR d{};
    xvname(handle, number, &d);
    const bool text = column.kind == ZtsevColumnKind::Text || column.kind == ZtsevColumnKind::LongText;
    if (text && d.type != ORV_VAR_CHARACTER && c != ZTSEV_COL_NAME) {
        record->numericTexts[c] = 1;
        xvgetd(fetch, number, ORV_VAR_NUMERIC, &record->numericTextValues[c], sizeof(double), sizeof(double), 0, 0);
        return true;
    }
    if ((d.type == ORV_VAR_CHARACTER) != text) {
        errorColumnType(record, column.name, d.type == ORV_VAR_CHARACTER);
        return false;
    }
    auto *field = reinterpret_cast<uint8_t *>(&list->inRow) + column.offset;
    if (column.offset == offsetof(ZTSEV_ROWBUF, name) && d.length > ZTSEV_NAME_SIZE) {
        MEMORY_OBJECT *pool = nullptr;
        findpool(&pool, list);
        record->wideNameLength = d.length;
        record->wideName = static_cast<char *>(ztsevAlloc(pool, size_t(d.length), ZTSEV_ALLOC_ZEROED));
        xvgetd(fetch, number, ORV_VAR_CHARACTER, record->wideName, d.length, d.length, 0, 0);
        return true;
    }
    if (text) {
        const int size = column.kind == ZtsevColumnKind::Text ? ZTSEV_NAME_SIZE : ZTSEV_LABEL_SIZE;
        xvgetd(fetch, number, ORV_VAR_CHARACTER, field + sizeof(int16_t), size, size, 0, 0);
        /* The length is set from the text after each read. */
        *reinterpret_cast<int16_t *>(field) = int16_t(size);
    } else {
        xvgetd(fetch, number, ORV_VAR_NUMERIC, field, sizeof(double), sizeof(double), 0, 0);
    }
    return true;
}

}  // namespace

bool ztsevTextIsDot(const char *text, int length)
{
    length = wzstrip(text, length);
    return length == 0 || (length == 1 && text[0] == '.');
}

void ztsevMarkServed(ZTSEV_LIST *list, ZTSEV_DSREC *record)
{
    for (ZTSEV_LIST *&slot : record->served)
        if (slot == nullptr) {
            slot = list;
            return;
        }
}

bool ztsevServed(const ZTSEV_LIST *list, const ZTSEV_DSREC *record)
{
    return std::find(std::begin(record->served), std::end(record->served), list) != std::end(record->served);
}

void ztsevTimingNote(int kind, const ORV_COUNTED_NAME &name)
{
    const int note = kind == ZTSEV_KIND_DATE       ? kNoteDates
                     : kind == ZTSEV_KIND_DATETIME ? kNoteDatetimes
                     : kind == ZTSEV_KIND_OBS      ? kNoteObservations
                                                   : kNoteOtherTiming;
    ztsevNoteName(note, name.text, ZTSEV_NAME_SIZE);
}

int ZTSEVdsindata(ZTSEV_LIST *list)
{
    for (ZTSEV_DSREC *record = list->inputs; record != nullptr; record = record->next)
        if (record->info.handle != nullptr) ZTSEVinevds(list, record);
    return 0;
}

int ZTSEVdsin(ZTSEV_LIST *list) { return ZTSEVdsindata(list); }

int ZTSEVinevds(ZTSEV_LIST *list, ZTSEV_DSREC *record)
{
    DATA_SET_HANDLE *handle = record->info.handle;
    if (handle == nullptr) return ZTSEV_NO_HANDLE;
    if (record->bound != 0) return 0;
    void *fetch = nullptr;
    if (xvgeti(handle, ZTSEV_COLUMN_COUNT, &fetch) != 0 || fetch == nullptr) {
        ztsevEndIfOutOfMemory();
        return ZTSEV_BIND_FAILED;
    }
    int number = 0;
    const bool hasName = xvfind(handle, "_NAME_", 6, &number) >= 0 && number > 0;
    if (!hasName) {
        const ORV_COUNTED_DATA_SET_NAME &ds = record->info.qualified;
        xpmlog(ZTSEV_MSG_SET, kErrorNoNameColumn, ORV_MSG_TEXT, std::clamp<int>(ds.length, 0, int(sizeof ds.text)),
               ds.text, ORV_MSG_END);
    }
    /* Without a usable _NAME_ nothing of the data set is read. */
    if (!hasName || !bindColumn(list, record, fetch, ZTSEV_COL_NAME)) {
        xvgett(fetch);
        xoclose(handle);
        record->info.handle = nullptr;
        return ZTSEV_NO_NAME_COLUMN;
    }
    /* Every other column of the wrong type is named before the step ends. */
    bool usable = true;
    for (int c = ZTSEV_COL_NAME + 1; c < ZTSEV_COLUMN_COUNT; ++c) usable = bindColumn(list, record, fetch, c) && usable;
    if (!usable) xexit(kUnusableInputRc, 0);
    xvsele(handle);
    /* Asked after xvgete too: a column the host could not bind for want of
     * memory would read as absent on every row. */
    const int ended = xvgete(fetch);
    ztsevEndIfOutOfMemory();
    if (ended != 0) return ZTSEV_BIND_FAILED;
    record->rowBinding = fetch;
    record->bound = 1;
    return 0;
}

void ZTSEVLeftJustBuf(ZTSEV_ROWBUF *row)
{
    justify(&row->locale, false);
    justify(&row->name, false);
    for (ORV_COUNTED_NAME *field : {&row->cls, &row->keyName, &row->type, &row->slopeBefore, &row->slopeAfter,
                                    &row->rule, &row->dateInterval, &row->dtInterval, &row->pulse, &row->period})
        justify(field, true);
    row->label.length = int16_t(wzstrip(row->label.text, ZTSEV_LABEL_SIZE));
}

int ZTSEVId_CLASS_(const ZTSEV_ROWBUF *row)
{
    if (ztsevTextIsDot(row->cls.text, ZTSEV_NAME_SIZE)) return 0;
    return codeOf(kClasses, row->cls.text, ZTSEV_NAME_SIZE);
}

double ZTSEVId_RULE_(const ZTSEV_ROWBUF *row) { return codeOrMissing(codeOf(kRules, row->rule.text, ZTSEV_NAME_SIZE)); }

double ZTSEVTypeStr2Flag(const char *text, int length)
{
    return codeOrMissing(codeOf(kTypes, text, std::clamp(length, 0, ZTSEV_NAME_SIZE)));
}

int ZTSEVCompQualBuf(const ZTSEV_ROWBUF *previous, const ZTSEV_ROWBUF *row)
{
    auto sameNumber = [](double a, double b) { return (orvIsMissing(a) && orvIsMissing(b)) || a == b; };
    auto sameText = [](const auto &a, const auto &b) {
        return wzstcom(a.text, int(sizeof a.text), b.text, int(sizeof b.text)) == 0;
    };
    const bool same = sameNumber(previous->durationBefore, row->durationBefore) &&
                      sameNumber(previous->durationAfter, row->durationAfter) &&
                      sameNumber(previous->value, row->value) && sameNumber(previous->shift, row->shift) &&
                      sameNumber(previous->tcParm, row->tcParm) && sameText(previous->locale, row->locale) &&
                      sameText(previous->label, row->label) && sameText(previous->type, row->type) &&
                      sameText(previous->cls, row->cls) && sameText(previous->pulse, row->pulse) &&
                      sameText(previous->rule, row->rule) && sameText(previous->period, row->period) &&
                      sameText(previous->slopeBefore, row->slopeBefore) &&
                      sameText(previous->slopeAfter, row->slopeAfter);
    if (same) return 0;
    ztsevNoteName(kNoteQualDiffers, row->name.text, ZTSEV_NAME_SIZE);
    return ZTSEV_QUAL_DIFFERS;
}

ZTSEV_QUAL ztsevRowQualifiers(const ZTSEV_ROWBUF *row)
{
    ZTSEV_QUAL q;
    ZTSEVInitQualList(&q);
    q.type = ZTSEVTypeStr2Flag(row->type.text, ZTSEV_NAME_SIZE);
    q.value = row->value;
    q.durationBefore = durationOf(row->durationBefore);
    q.durationAfter = durationOf(row->durationAfter);
    q.shift = row->shift;
    q.tcParm = row->tcParm;
    q.slopeBefore = codeOrMissing(codeOf(kSlopes, row->slopeBefore.text, ZTSEV_NAME_SIZE));
    q.slopeAfter = codeOrMissing(codeOf(kSlopes, row->slopeAfter.text, ZTSEV_NAME_SIZE));
    q.rule = ZTSEVId_RULE_(row);
    return q;
}

void ztsevRowDirectFields(ZTSEV_EVENT *event, const ZTSEV_ROWBUF *row, int pulseNote, int periodNote)
{
    ZTSEV_GIVEN &g = event->given;
    if (!ztsevTextIsDot(row->locale.text, ZTSEV_NAME_SIZE)) {
        g.localeGiven = 1;
        g.locale.length = int16_t(wzstrip(row->locale.text, ZTSEV_NAME_SIZE));
        std::memcpy(g.locale.text, row->locale.text, ZTSEV_NAME_SIZE);
        event->locale = g.locale;
    }
    if (!ztsevTextIsDot(row->label.text, ZTSEV_LABEL_SIZE)) {
        std::memcpy(event->defaultLabel, row->label.text, ZTSEV_LABEL_SIZE);
        g.labelGiven = 1;
        g.labelLength = wzstrip(row->label.text, ZTSEV_LABEL_SIZE);
        g.label = event->defaultLabel;
        event->labelSet = 1;
        event->label = event->defaultLabel;
        event->labelLength = g.labelLength;
    }
    auto interval = [&](const ORV_COUNTED_NAME &field, int32_t *given, ZINT_DESC *desc, int note) {
        if (ztsevTextIsDot(field.text, ZTSEV_NAME_SIZE)) return;
        ZINT_DESC parsed{};
        if (zintstr(field.text, wzstrip(field.text, ZTSEV_NAME_SIZE), &parsed) == 0 && parsed.code != ZINT_NONE) {
            *desc = parsed;
            *given = 1;
            return;
        }
        *given = 0;
        *desc = ZINT_DESC{};
        ztsevNoteName(note, event->name.text, event->name.length);
    };
    interval(row->pulse, &g.pulseGiven, &g.pulse, pulseNote);
    interval(row->period, &g.periodGiven, &g.period, periodNote);
}

int ZTSEVGetEVData(ZTSEV_LIST *list, ZTSEV_DSREC *record)
{
    if (record->info.handle == nullptr || record->rowBinding == nullptr || ztsevServed(list, record)) return 0;
    for (int pass = 1; pass <= 3; ++pass) {
        /* A previous row carried into the next pass would make the first
         * row of a data set of one event a continuation of an event that
         * does not exist yet, and the event would be lost. */
        Previous previous;
        startRead(list, record);
        for (int64_t number = 1; nextRow(record->info.handle, record->rowBinding); ++number) {
            const RowCheck check = checkRow(record, &list->inRow, number);
            if (readRow(list, record, pass, check, previous) == 0)
                previous.take(list->inRow, check.name == ZtsevNameVerdict::Fits);
        }
    }
    ztsevMarkServed(list, record);
    return 0;
}

void ZTSEVGetDSFilter(ZTSEV_LIST *list, ZTSEV_DSREC *record, const int *classes, int count, int defaultClass,
                      ZTSEV_ROW_CONSUMER consume)
{
    if (record->info.handle == nullptr || record->rowBinding == nullptr) return;
    startRead(list, record);
    const int localeLength = std::clamp<int>(list->locale.length, 0, ZTSEV_NAME_SIZE);
    const bool localeTest = list->localeGiven != 0 && !ztsevTextIsDot(list->locale.text, localeLength);
    Previous previous;
    auto passes = [&](const ZTSEV_ROWBUF &row, int cls) {
        if (!std::count(classes, classes + count, cls)) return false;
        if (!localeTest) return true;
        const bool same = lengthOf(row.locale) == localeLength &&
                          std::memcmp(row.locale.text, list->locale.text, size_t(localeLength)) == 0;
        const bool none = ztsevTextIsDot(row.locale.text, ZTSEV_NAME_SIZE) && list->localeFlag == 0;
        return same || none;
    };
    for (int64_t number = 1; nextRow(record->info.handle, record->rowBinding); ++number) {
        ZTSEV_ROWBUF &row = list->inRow;
        const RowCheck check = checkRow(record, &row, number);
        const bool nameFits = check.name == ZtsevNameVerdict::Fits;
        int cls = ZTSEVId_CLASS_(&row);
        /* A row left out here (blank name, another class or locale, a name
         * that fails) is still the previous row: the row after it starts a
         * new event.  A row with a refused value is left out as if absent. */
        if (wzstrip(row.name.text, ZTSEV_NAME_SIZE) == 0) {
            xpmlog(ZTSEV_MSG_SET, kNoteBlankName, ORV_MSG_END);
            previous.take(row);
            continue;
        }
        if (!passes(row, cls) || !nameFits) {
            if (!nameFits && passes(row, cls)) noteNameRefused(record, check);
            previous.take(row, nameFits);
            continue;
        }
        if (check.refusedColumn >= 0) {
            ztsevNoteRefusedValue(record, check.number, &row, check.refusedColumn);
            continue;
        }
        const bool continuation = previous.continues(row);
        const int status = continuation ? ZTSEVCompQualBuf(&previous.row, &row) : 0;
        if (cls == 0) cls = defaultClass;
        if (cls == ZTSEV_CLASS_DATEKEY) consume(list, record, continuation ? 1 : 0);
        if (!(continuation && status != 0)) previous.take(row);
    }
}
