/*
 * datekey_statements.cpp - the date-key statements and the reader of
 * date-key data sets (see datekey_statements.h).
 */
#include "event/datekey_statements.h"

#include <algorithm>
#include <cstring>

#include "event/datekey_dates.h"
#include "event/datekey_list.h"
#include "event/event_data_read.h"
#include "event/event_list.h"
#include "event/event_qualifiers.h"
#include "event/event_registry.h"
#include "event/event_statements.h"
#include "event/event_support.h"
#include "event/eventds_option.h"
#include "event/statement_options.h"
#include "host/missing_values.h"
#include "host/parser_glue.h"
#include "host/services.h"
#include "host/text_fields.h"

namespace {

enum : int {
    kNoteNoDates = 608,
    kNoteBadPulse = 673,
    kNoteBadPeriod = 674,
};
/* ZTSEVGetLocaleFld results. */
enum : int { kLocaleNone = 0, kLocaleDot = 1, kLocaleOther = 2, kLocaleSame = 3 };

enum class Statement { None, Calendar, Data, Def, DsOpt, Key, List, Periods };

/* A date-key statement by the 8th and 9th characters of its name. */
Statement statementOf(const STATEMENT_NODE *node)
{
    if (node->nameLength < 8 || std::memcmp(node->name, "DATEKEY", 7) != 0 || node->options == nullptr ||
        node->slotCount < ZTSEV_STATEMENT_SLOTS)
        return Statement::None;
    const char eighth = node->name[7], ninth = node->nameLength > 8 ? node->name[8] : ' ';
    switch (eighth) {
    case 'C': return ninth == 'A' ? Statement::Calendar : Statement::None;
    case 'D': return ninth == 'A' ? Statement::Data : ninth == 'E' ? Statement::Def
                   : ninth == 'S' ? Statement::DsOpt : Statement::None;
    case 'K': return Statement::Key;
    case 'L': return ninth == 'I' ? Statement::List : Statement::None;
    case 'P': return Statement::Periods;
    default: return Statement::None;
    }
}

/* DATEKEYDSOPT: LOCALE= (kept in the label slot) and ONLY. */
void readDsOpt(const STATEMENT_NODE *statement, ZTSEV_LIST *list)
{
    const OPTION_SLOT &slot = statement->options[ZTSEV_SLOT_LABEL];
    if (slot.given != ORV_SLOT_NOT_GIVEN && slot.type == ORV_SLOT_TEXT && slot.value.count > 0) {
        const int length = std::min(slot.value.count, ZTSEV_LABEL_SIZE);
        list->localeGiven = 1;
        list->locale.length = int16_t(length);
        vzmp(static_cast<const char *>(slot.items), length, list->locale.text, ZTSEV_LABEL_SIZE);
    }
    list->localeFlag = (statement->optionBits[0] & ZTSDK_FLAG1_LOCALE_ONLY) != 0 ? 1 : 0;
}

/* False when the statement's LOCALE= names another locale than the
 * list's. */
bool localeFits(const STATEMENT_NODE *statement, const ZTSEV_LIST *list)
{
    ORV_COUNTED_NAME locale;
    return ZTSEVGetLocaleFld(statement->options[ZTSEV_SLOT_LOCALE], &locale, list) != kLocaleOther;
}

/* Consumer of the filter: the row as a date key. */
void consumeRow(ZTSEV_LIST *list, ZTSEV_DSREC *record, int continuation)
{
    ZTSDKGetDKRecord(list, record, continuation);
}

}  // namespace

int ZTSEVGetLocaleFld(const OPTION_SLOT &slot, ORV_COUNTED_NAME *out, const ZTSEV_LIST *list)
{
    if (slot.given == ORV_SLOT_NOT_GIVEN || slot.type != ORV_SLOT_TEXT) return kLocaleNone;
    int length = std::max(0, slot.value.count);
    if (length > ZTSEV_NAME_SIZE) {
        xpmlog(ZTSEV_MSG_SET_TEXT_CUT, ZTSEV_MSG_TEXT_CUT, ORV_MSG_TEXT, 6, "locale", ORV_MSG_END);
        length = ZTSEV_NAME_SIZE;
    }
    vzmp(static_cast<const char *>(slot.items), length, out->text, ZTSEV_NAME_SIZE);
    out->length = int16_t(length);
    if (length == 1 && wzbcup(out->text, ".", 1) == 0) return kLocaleDot;
    const int listLength = std::clamp<int>(list->locale.length, 0, ZTSEV_LABEL_SIZE);
    if (list->localeGiven == 0 || listLength == 0 || (listLength == 1 && list->locale.text[0] == '.'))
        return kLocaleSame;
    return listLength == length && wzbcup(out->text, list->locale.text, length) == 0 ? kLocaleSame : kLocaleOther;
}

int ZTSDKGetDatekeydata(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    int status = 0;
    if (statement->optionBits[0] & ZTSEV_FLAG1_OUT) {
        list->outGiven = 1;
        status = ZTSDKGetOutputDsn(list, statement->options, statement->optionBits[0], 1, pool);
    }
    if (statement->optionBits[0] & ZTSEV_FLAG1_IN) {
        list->inGiven = 1;
        status = ZTSEVGetInputDsn(list, statement->options, 1, pool);
    }
    return status;
}

int ZTSDKGetDatekeyPeriods(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    if (statement->optionBits[0] & ZTSEV_FLAG1_OUT) {
        list->periodsOutGiven = 1;
        ZTSDKGetOutputDsn(list, statement->options, statement->optionBits[0], 3, pool);
    }
    return 0;
}

int ZTSDKGetDatekeyDef(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    if (!localeFits(statement, list)) return 0;
    int status = 0;
    ZTSEV_EVENT *event = ztsevTimedEvent(statement, list, pool, ZTSEV_CLASS_DATEKEY, &status);
    if (event != nullptr && event->timingCount == 0 && event->datekeyCount == 0) {
        ztsevNoteName(kNoteNoDates, event->name.text, event->name.length);
        ZTSEVDelItem(list, event, ZTSEV_DEL_FREE);
    }
    return 0;
}

int ZTSDKGetDatekeyKey(const STATEMENT_NODE *statement, ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    if (!localeFits(statement, list)) return 0;
    const int status =
        ztsevApplyKeyStatement(statement, list, pool, ZTSEV_CLASS_DATEKEY, nullptr, ZTSEV_MSG_DATEKEY_UNKNOWN);
    if (status != 0) xexit(status, 0);
    return 0;
}

void ZTSDKGetDKData(ZTSEV_LIST *list, ZTSEV_DSREC *record)
{
    if (record->info.handle == nullptr || ztsevServed(list, record)) return;
    static constexpr int kClasses[] = {ZTSEV_CLASS_DATEKEY, 0};
    ZTSEVGetDSFilter(list, record, kClasses, 2, ZTSEV_CLASS_DATEKEY, consumeRow);
    ztsevMarkServed(list, record);
}

void ZTSDKGetDKRecord(ZTSEV_LIST *list, ZTSEV_DSREC *, int continuation)
{
    const ZTSEV_ROWBUF &row = list->inRow;
    char name[ZTSEV_NAME_SIZE + 1] = {};
    const int length = wzstrip(row.name.text, ZTSEV_NAME_SIZE);
    std::memcpy(name, row.name.text, size_t(length));
    MEMORY_OBJECT *pool = nullptr;
    findpool(&pool, list);
    double *values = nullptr;
    int64_t count = 0;
    int32_t kind = 0;
    const int status = ZTSEVGetEventdataDates(&row, &count, &values, &kind, pool);
    if (status != 0 && status != ZTSEV_DK_NO_SPAN) {
        ztsevTimingNote(kind, row.name);
        ztsevFree(pool, values);
        return;
    }
    if (status != 0) count = 0;
    if (continuation != 0) {
        if (count == 0)
            ZTSEVAddDatekeyToEvent(list, name, &row.keyName, 2);
        else
            ZTSEVAddDatesToEvent(list, nullptr, name, values, count, kind, 2);
        ztsevFree(pool, values);
        return;
    }
    const int made = ZTSEVInitSimpleEvent(list, nullptr, name, count, values, kind, &row.keyName);
    ztsevFree(pool, values);
    if (made != 0) return;
    int k = 0, found = 0;
    ZTSEV_EVENT *event = ZTSEVFindEventDup(list, name, &k, &found);
    if (event == nullptr) return;
    event->cls = ZTSEV_CLASS_DATEKEY;
    ZTSEVSetQualifierList(list, name, ztsevRowQualifiers(&row));
    ztsevRowDirectFields(event, &row, kNoteBadPulse, kNoteBadPeriod);
}

ZTSEV_LIST *ZTSDKParse(ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    if (list != nullptr) {
        findpool(&pool, list);
        int32_t status = 0;
        if (list->first == nullptr) ZTSDKEventdsOpt(list, pool, &status);
    } else {
        list = ZTSDKNewDatekeyList(pool);
        pool = list->currentPool;
    }
    list->kind = ZTSEV_LIST_DATEKEYS;
    const STATEMENT_NODE *procedure = orvParseControl()->statement;
    const STATEMENT_NODE *first = procedure != nullptr ? procedure->next : nullptr;
    for (const STATEMENT_NODE *s = first; s != nullptr; s = s->next)
        if (statementOf(s) == Statement::DsOpt) readDsOpt(s, list);
    for (const STATEMENT_NODE *s = first; s != nullptr; s = s->next)
        if (statementOf(s) == Statement::Data) {
            list->eventdataSeen = 1;
            ZTSDKGetDatekeydata(s, list, pool);
        }
    ZTSEVdsindata(list);
    for (ZTSEV_DSREC *record = list->inputs; record != nullptr; record = record->next) ZTSDKGetDKData(list, record);
    for (const STATEMENT_NODE *s = first; s != nullptr; s = s->next) {
        switch (statementOf(s)) {
        case Statement::Calendar:
        case Statement::List:
            list->dummySeen = 1;
            ZTSEVGetEventdummy(s, list, pool);
            break;
        case Statement::Def: ZTSDKGetDatekeyDef(s, list, pool); break;
        case Statement::Key: ZTSDKGetDatekeyKey(s, list, pool); break;
        case Statement::Periods:
            list->periodsSeen = 1;
            ZTSDKGetDatekeyPeriods(s, list, pool);
            break;
        default: break;
        }
    }
    return list;
}
