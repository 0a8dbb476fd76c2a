/*
 * event_data_write.cpp - writing an event definition data set through the
 * host (see event_data_write.h).
 */
#include "event/event_data_write.h"

#include <cstring>

#include "event/event_support.h"
#include "event/periods_output.h"
#include "host/services.h"
#include "host/text_fields.h"

namespace {

constexpr int kTextSet = 883;
constexpr int kDefaultLabel = 300;
constexpr int kReadStatusMode = 1;

/* The row writer's context. */
struct Target {
    DATA_SET_HANDLE *handle;
    void *binding;
};

int writeRow(void *context)
{
    auto *target = static_cast<Target *>(context);
    DATA_SET_HANDLE *handle = target->handle;
    int status = xyvput(target->binding, 0, handle->row);
    if (status == 0) status = handle->write(handle);
    if (status != 0) {
        void *ref = handle;
        status = xofprc(&ref, status, kReadStatusMode);
    }
    return status;
}

/* Defines column c, bound to its field of the list's output row. */
int defineColumn(void *binding, ZTSEV_LIST *list, int c)
{
    const ZTSEV_COLUMN &column = ztsevColumns()[size_t(c)];
    VARIABLE_DESCRIPTOR d;
    xvnamei(&d);
    vzmpc(column.name, int(std::strlen(column.name)), &d.nameLength, d.name, ORV_DS_VARIABLE_NAME_LENGTH);
    const char *label = nullptr;
    int labelLength = 0;
    if (wkread(kTextSet, column.label, &label, &labelLength) == 0)
        vzmpc(label, labelLength, &d.labelLength, d.label, ORV_DS_LABEL_LENGTH);
    auto *field = reinterpret_cast<uint8_t *>(&list->outRow) + column.offset;
    switch (column.kind) {
    case ZtsevColumnKind::Text:
    case ZtsevColumnKind::LongText: {
        const int size = column.kind == ZtsevColumnKind::Text ? ZTSEV_NAME_SIZE : ZTSEV_LABEL_SIZE;
        d.type = ORV_VAR_CHARACTER;
        d.length = size;
        return xvputd(binding, &d, 0, field + sizeof(int16_t), size, 0, 0);
    }
    case ZtsevColumnKind::Date: vzmpc("DATE", 4, &d.formatNameLength, d.formatName, ORV_DS_FORMAT_NAME_LENGTH);
        d.formatWidth = 9;
        break;
    case ZtsevColumnKind::Datetime:
        vzmpc("DATETIME", 8, &d.formatNameLength, d.formatName, ORV_DS_FORMAT_NAME_LENGTH);
        break;
    case ZtsevColumnKind::Number: break;
    }
    d.type = ORV_VAR_NUMERIC;
    d.length = sizeof(double);
    return xvputd(binding, &d, 0, field, sizeof(double), 0, 0);
}

}  // namespace

void ZTSEVdsout(ZTSEV_LIST *list, ZTS_TIMEID *idInfo, ZTS_PROC *proc, ZTSEV_ANALYSIS analysis)
{
    ZTSEVdsoutdata(list);
    if (proc == nullptr || idInfo == nullptr) return;
    if (list->periodsOutGiven != 0) ZTSDKdsoutperiods(list, idInfo, proc);
    if (list->dummyOutGiven != 0) ZTSEVdsoutdummy(list, idInfo, proc, analysis);
}

void ZTSEVdsoutdata(ZTSEV_LIST *list)
{
    for (ZTSEV_DSREC *record = list->outputs; record != nullptr; record = record->next)
        if (record->info.handle != nullptr) ZTSEVoutevds(list, record);
}

void ZTSEVoutevds(ZTSEV_LIST *list, ZTSEV_DSREC *record)
{
    record->rowBinding = nullptr;
    uint8_t drop[ZTSEV_COLUMN_COUNT] = {};
    if (record->dropDefaults != 0) ZTSEVCheckMissDataOut(list, record, drop);
    if (record->outputMode == 2)
        for (int c : {ZTSEV_COL_TYPE, ZTSEV_COL_VALUE, ZTSEV_COL_SLOPE_BEF, ZTSEV_COL_SLOPE_AFT, ZTSEV_COL_TCPARM})
            drop[c] = 1;
    if (record->namesOnly != 0)
        for (int c = 0; c < ZTSEV_COLUMN_COUNT; ++c)
            if (c != ZTSEV_COL_LOCALE && c != ZTSEV_COL_NAME && c != ZTSEV_COL_LABEL) drop[c] = 1;
    int count = 0;
    for (int c = 0; c < ZTSEV_COLUMN_COUNT; ++c) count += drop[c] == 0 ? 1 : 0;

    DATA_SET_HANDLE *handle = record->info.handle;
    void *binding = nullptr;
    if (xvputi(handle, count, ORV_DS_VARIABLE_NAME_LENGTH, &binding) != 0 || binding == nullptr) {
        ztsevEndIfOutOfMemory();
        return;
    }
    for (int c : ztsevDefinitionOrder())
        if (drop[c] == 0 && defineColumn(binding, list, c) != 0) {
            ztsevEndIfOutOfMemory();
            return;
        }
    ORV_COUNTED_LABEL &label = record->info.label;
    if (label.length == 0) {
        label.length = int16_t(xpmrstr(ztsevLogHandle(), label.text, kTextSet, kDefaultLabel, ORV_MSG_END));
        xoinfo(handle, ORV_DS_INFO_SET_LABEL, &label);
    }
    const int ended = xvpute(binding);
    ztsevEndIfOutOfMemory();
    if (ended != 0) return;
    record->rowBinding = binding;
}

void ZTSEVPutEVData(ZTSEV_LIST *list, ZTSEV_DSREC *record)
{
    if (record->info.handle == nullptr || record->rowBinding == nullptr) return;
    Target target{record->info.handle, record->rowBinding};
    ztsevPutEventRows(list, record, writeRow, &target);
}
