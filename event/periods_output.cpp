/*
 * periods_output.cpp - the date-key periods data sets (see
 * periods_output.h).
 */
#include "event/periods_output.h"

#include <algorithm>
#include <cstring>

#include "event/event_data_rows.h"
#include "event/event_dummy.h"
#include "event/event_list.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "event/output_columns.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/intnx.h"

namespace {

enum : int {
    kLabelName = 410,
    kLabelStartDate = 411,
    kLabelStartDatetime = 414,
    kLabelStartObs = 417,
    kLabelLocale = 434,
};
constexpr int kDateWidth = 9;

/* The start column of the series interval's kind, bound in the list's
 * output row; null for a kind without one. */
double *startSlot(ZTSEV_LIST *list, char kind)
{
    switch (kind) {
    case 'd': return &list->outRow.startDate;
    case 's': return &list->outRow.startDatetime;
    case 'o': return &list->outRow.startObs;
    default: return nullptr;
    }
}

int defineStart(void *binding, ZTSEV_LIST *list, char kind)
{
    char label[ZTSEV_LABEL_SIZE];
    auto labelOf = [&](int message) {
        return std::clamp(xpmrstr(ztsevLogHandle(), label, ZTSEV_MSG_SET, message, ORV_MSG_END), 0,
                          ZTSEV_LABEL_SIZE);
    };
    switch (kind) {
    case 'd':
        return ztsevDefineNumber(binding, "_STARTDATE_", 11, label, labelOf(kLabelStartDate), startSlot(list, kind),
                                 "DATE", kDateWidth);
    case 's':
        return ztsevDefineNumber(binding, "_STARTDT_", 9, label, labelOf(kLabelStartDatetime),
                                 startSlot(list, kind), "DATETIME", 0);
    default:
        return ztsevDefineNumber(binding, "_STARTOBS_", 10, label, labelOf(kLabelStartObs), startSlot(list, kind));
    }
}

}  // namespace

int ZTSDKdsoutperiods(ZTSEV_LIST *list, ZTS_TIMEID *idInfo, ZTS_PROC *proc)
{
    int status = 0;
    for (ZTSEV_DSREC *record = list->periodsOutputs; record != nullptr; record = record->next)
        if (record->info.handle != nullptr) status = ZTSDKoutperds(list, record, idInfo, proc);
    return status;
}

int ZTSDKPutDKPer_init(ZTSEV_DSREC *record, int32_t byCount)
{
    record->rowBinding = nullptr;
    void *binding = nullptr;
    const int status = xvputi(record->info.handle, byCount + 4, ORV_DS_VARIABLE_NAME_LENGTH, &binding);
    if (status == 0) record->rowBinding = binding;
    return status;
}

int ZTSDKoutperds(ZTSEV_LIST *list, ZTSEV_DSREC *record, ZTS_TIMEID *idInfo, ZTS_PROC *proc)
{
    int status = ZTSDKPutDKPer_init(record, proc->byCount);
    void *binding = record->rowBinding;
    ZTSEV_ROWBUF &row = list->outRow;
    if (status == 0) status = ztsevDefineByColumns(binding, proc);
    if (status == 0) status = ztsevDefineText(binding, "_LOCALE_", kLabelLocale, row.locale.text, ZTSEV_NAME_SIZE);
    if (status == 0) status = ztsevDefineTimeIdColumn(binding, idInfo, &list->outTimeId);
    if (status == 0) status = ztsevDefineText(binding, "_NAME_", kLabelName, row.name.text, ZTSEV_NAME_SIZE);
    const char kind = idInfo->interval.kind;
    if (status == 0 && startSlot(list, kind) != nullptr) status = defineStart(binding, list, kind);
    if (status == 0) status = xvpute(binding);
    ztsevEndIfOutOfMemory();
    if (status != 0) record->rowBinding = nullptr;
    return status;
}

void ZTSDKPutDKPer(ZTSEV_LIST *list, ZTS_TIMEID *idInfo, ZTSEV_SERIES series)
{
    MEMORY_OBJECT *pool = nullptr;
    findpool(&pool, list);
    ZTSEV_ROWBUF &row = list->outRow;
    const ZINT_DESC &interval = idInfo->interval;
    double *start = startSlot(list, interval.kind);
    for (ZTSEV_DSREC *record = list->periodsOutputs; record != nullptr; record = record->next) {
        if (record->info.handle == nullptr || record->rowBinding == nullptr) continue;
        double *values = nullptr;
        for (ZTSEV_EVENT *event = list->first; event != nullptr; event = event->next) {
            if (!ztsevHasDummyColumn(event->cls)) continue;
            ZTSEVMakeDummy(list, event, &series, &values, pool);
            int32_t allZero = 0, constant = 0;
            ztsevDummyFlags(values, series.count, &allZero, &constant);
            if (allZero != 0) continue;
            if (event->given.localeGiven != 0 && event->locale.length > 0)
                vzmpc(event->locale.text, event->locale.length, &row.locale.length, row.locale.text, ZTSEV_NAME_SIZE);
            else
                vzmpc(".", 1, &row.locale.length, row.locale.text, ZTSEV_NAME_SIZE);
            vzmpc(event->name.text, event->name.length, &row.name.length, row.name.text, ZTSEV_NAME_SIZE);
            ZTSEVClearIOBUFDates(&row);
            for (int64_t i = 0; i < series.count; ++i) {
                if (values[i] == 0) continue;
                list->outTimeId = series.timeIds[i];
                if (start != nullptr) *start = zintnx2(&interval, series.timeIds[i], 0);
                ztsevPutRow(record->info.handle, record->rowBinding);
            }
        }
        ztsevFree(pool, values);
    }
}
