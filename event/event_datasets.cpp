/*
 * event_datasets.cpp - data-set records of the event statements
 * (event_datasets.h).
 */
#include "event/event_datasets.h"

#include <cstring>

#include "event/datekey_statements.h"
#include "event/event_list.h"
#include "event/eventds_option.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "event/statement_options.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "series/series_names.h"

namespace {

/* A summary column name longer than 32 characters. */
constexpr int kSummaryTooLong = 607;

/* Default labels of the date-key output operation, by kind 1, 2, 3. */
constexpr int kDatekeyLabels[] = {313, 312, 311};

/* Appends a zero-filled record to the chain at *chain and returns it. */
ZTSEV_DSREC *appendRecord(ZTSEV_DSREC **chain, MEMORY_OBJECT *pool)
{
    auto *record = static_cast<ZTSEV_DSREC *>(ztsevAlloc(pool, sizeof(ZTSEV_DSREC), ZTSEV_ALLOC_ZEROED));
    while (*chain != nullptr) chain = &(*chain)->next;
    *chain = record;
    return record;
}

/* The pool for list's records: pool itself, or the list's own. */
MEMORY_OBJECT *poolFor(ZTSEV_LIST *list, MEMORY_OBJECT *pool)
{
    findpool(&pool, list);
    return pool;
}

DATA_SET_HANDLE *handleIn(const OPTION_SLOT &slot)
{
    return slot.given != ORV_SLOT_NOT_GIVEN && slot.type == ORV_SLOT_DATA_SET
               ? static_cast<DATA_SET_HANDLE *>(slot.value.pointer)
               : nullptr;
}

int addInput(ZTSEV_LIST *list, DATA_SET_HANDLE *handle, int kind, MEMORY_OBJECT *pool)
{
    if (list == nullptr || (kind != 1 && kind != 2)) return 0;
    ZTSEV_DSREC *record = appendRecord(kind == 1 ? &list->inputs : &list->secondaryInputs,
                                       poolFor(list, pool));
    return ZTSSetDataSetInfo(&record->info, handle);
}

/* Gives the record's data set the text of (883, message) as its label. */
void setDefaultLabel(ZTSEV_DSREC *record, int message)
{
    char text[ZTSEV_LABEL_SIZE];
    int length = xpmrstr(ztsevLogHandle(), text, ZTSEV_MSG_SET, message, ORV_MSG_END);
    length = length < 0 ? 0 : length > ZTSEV_LABEL_SIZE ? ZTSEV_LABEL_SIZE : length;
    vzmp(text, length, record->info.label.text, ZTSEV_LABEL_SIZE);
    record->info.label.length = int16_t(length);
    if (record->info.handle != nullptr)
        xoinfo(record->info.handle, ORV_DS_INFO_SET_LABEL, &record->info.label);
}

/* SUMMARY of EVENTDUMMY: its column name, or the default one. */
void setSummary(ZTSEV_DSREC *record, const OPTION_SLOT &summary)
{
    if (summary.given == ORV_SLOT_NOT_GIVEN) return;
    record->summaryRequested = 1;
    const char *name = ZTSEV_DEFAULT_SUMMARY;
    int length = int(std::strlen(name));
    if (summary.type == ORV_SLOT_TEXT && summary.value.count > ZTSEV_NAME_SIZE) {
        /* A name longer than its field is refused, never cut. */
        xpmlog(ZTSEV_MSG_SET, kSummaryTooLong, ORV_MSG_TEXT, summary.value.count,
               static_cast<const char *>(summary.items), ORV_MSG_END);
    } else if (summary.type == ORV_SLOT_TEXT && summary.value.count > 0) {
        name = static_cast<const char *>(summary.items);
        length = summary.value.count;
    }
    vzmp(name, length, record->summaryName.text, ZTSEV_NAME_SIZE);
    record->summaryName.length = int16_t(length);
}

/*
 * The output record of ZTSEVGetOutputDsn and ZTSDKGetOutputDsn: appended
 * to chain, filled from the OUT= data set; labels[kind - 1] is the default
 * label.  Returns the label length of a kind-1 data set that has a label.
 */
int addOutput(ZTSEV_LIST *list, ZTSEV_DSREC **chain, const OPTION_SLOT *options, uint8_t flags,
              int kind, int label, int outputMode, MEMORY_OBJECT *pool)
{
    ZTSEV_DSREC *record = appendRecord(chain, poolFor(list, pool));
    record->outputMode = outputMode;
    ZTSSetDataSetInfo(&record->info, handleIn(options[ZTSEV_SLOT_OUT]));
    if (kind == 1) {
        if (flags & ZTSEV_FLAG1_CONDENSE) record->dropDefaults = 1;
        if (outputMode == 2 && (flags & ZTSDK_FLAG1_NAMES_ONLY) != 0) {
            record->namesOnly = 1;
            record->flag4 = (flags & ZTSDK_FLAG1_NO_HOLIDAYS) != 0 ? 0 : 1;
            if (ZTSDKEventdsNoDefaultOpt(nullptr, nullptr) == 1) record->flag4 = 0;
        }
        if (record->info.label.length > 0) return record->info.label.length;
    }
    if (record->info.label.length <= 0) setDefaultLabel(record, label);
    if (kind == 2) setSummary(record, options[ZTSEV_SLOT_SUMMARY]);
    return 0;
}

}  // namespace

int ZTSEVGetInputDsn(ZTSEV_LIST *list, const OPTION_SLOT *options, int kind, MEMORY_OBJECT *pool)
{
    return addInput(list, options == nullptr ? nullptr : handleIn(options[ZTSEV_SLOT_IN]), kind, pool);
}

void ZTSEVGetInputDsnF(ZTSEV_LIST *list, DATA_SET_HANDLE *handle, int kind, MEMORY_OBJECT *pool)
{
    addInput(list, handle, kind, pool);
}

int ZTSEVGetOutputDsn(ZTSEV_LIST *list, const OPTION_SLOT *options, uint8_t flags, int kind,
                      MEMORY_OBJECT *pool)
{
    if (list == nullptr || options == nullptr) return 0;
    if (kind == 1)
        return addOutput(list, &list->outputs, options, flags, 1, ZTSEV_MSG_DEFINITIONS_LABEL, 0, pool);
    if (kind == 2)
        return addOutput(list, &list->dummyOutputs, options, flags, 2, ZTSEV_MSG_DUMMIES_LABEL, 0, pool);
    return 0;
}

int ZTSDKGetOutputDsn(ZTSEV_LIST *list, const OPTION_SLOT *options, uint8_t flags, int kind,
                      MEMORY_OBJECT *pool)
{
    if (list == nullptr || options == nullptr || kind < 1 || kind > 3) return 0;
    ZTSEV_DSREC **chains[] = {&list->outputs, &list->dummyOutputs, &list->periodsOutputs};
    addOutput(list, chains[kind - 1], options, flags, kind, kDatekeyLabels[kind - 1], 2, pool);
    return 0;
}
