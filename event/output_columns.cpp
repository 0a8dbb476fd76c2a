/*
 * output_columns.cpp - columns of the dummy and periods data sets (see
 * output_columns.h).
 */
#include "event/output_columns.h"

#include <algorithm>
#include <cstring>

#include "event/event_registry.h"
#include "event/event_support.h"
#include "host/services.h"
#include "host/text_fields.h"

namespace {

constexpr int kLabelTimeId = 440;
constexpr const char *kTimeIdName = "_TIMEID_";
/* xofprc: the status of a write. */
constexpr int kWriteStatusMode = 4;

/* A fresh descriptor named name, labelled with the text of (883, message). */
VARIABLE_DESCRIPTOR describe(const char *name, int labelMessage)
{
    VARIABLE_DESCRIPTOR d;
    xvnamei(&d);
    vzmpc(name, int(std::strlen(name)), &d.nameLength, d.name, ORV_DS_VARIABLE_NAME_LENGTH);
    char label[ORV_DS_LABEL_LENGTH];
    const int length = xpmrstr(ztsevLogHandle(), label, ZTSEV_MSG_SET, labelMessage, ORV_MSG_END);
    vzmpc(label, std::clamp(length, 0, ORV_DS_LABEL_LENGTH), &d.labelLength, d.label, ORV_DS_LABEL_LENGTH);
    return d;
}

}  // namespace

int ztsevDefineByColumns(void *binding, const ZTS_PROC *proc)
{
    if (proc->byCount <= 0) return 0;
    return xvputcv(binding, proc->ioInfo.byXofid, proc->byVars, proc->byCount, 0);
}

int ztsevDefineTimeIdColumn(void *binding, const ZTS_TIMEID *idInfo, double *slot)
{
    VARIABLE_DESCRIPTOR d = describe(kTimeIdName, kLabelTimeId);
    const int nameLength = std::clamp<int>(idInfo->idName.length, 0, ORV_DS_VARIABLE_NAME_LENGTH);
    if (idInfo->idVarNo > 0 && nameLength > 0) {
        vzmpc(idInfo->idName.text, nameLength, &d.nameLength, d.name, ORV_DS_VARIABLE_NAME_LENGTH);
        /* the ID variable's own label, also when it has none */
        const int labelLength = std::clamp<int>(idInfo->idLabel.length, 0, ORV_DS_LABEL_LENGTH);
        vzmpc(idInfo->idLabel.text, labelLength, &d.labelLength, d.label, ORV_DS_LABEL_LENGTH);
    }
    const int formatLength = std::clamp<int>(idInfo->fmtName.length, 0, ORV_DS_FORMAT_NAME_LENGTH);
    if (formatLength > 0) {
        vzmpc(idInfo->fmtName.text, formatLength, &d.formatNameLength, d.formatName, ORV_DS_FORMAT_NAME_LENGTH);
        d.formatWidth = idInfo->fmtWidth;
        d.formatDecimals = 0;
    }
    d.type = ORV_VAR_NUMERIC;
    d.length = sizeof(double);
    return xvputd(binding, &d, 0, slot, sizeof(double), 0, 0);
}

int ztsevDefineNumber(void *binding, const char *name, int nameLength, const char *label, int labelLength,
                      double *slot, const char *format, int formatWidth)
{
    VARIABLE_DESCRIPTOR d;
    xvnamei(&d);
    vzmpc(name, std::clamp(nameLength, 0, ORV_DS_VARIABLE_NAME_LENGTH), &d.nameLength, d.name,
          ORV_DS_VARIABLE_NAME_LENGTH);
    if (label != nullptr)
        vzmpc(label, std::clamp(labelLength, 0, ORV_DS_LABEL_LENGTH), &d.labelLength, d.label, ORV_DS_LABEL_LENGTH);
    if (format != nullptr) {
        vzmpc(format, int(std::strlen(format)), &d.formatNameLength, d.formatName, ORV_DS_FORMAT_NAME_LENGTH);
        d.formatWidth = int16_t(formatWidth);
    }
    d.type = ORV_VAR_NUMERIC;
    d.length = sizeof(double);
    return xvputd(binding, &d, 0, slot, sizeof(double), 0, 0);
}

int ztsevDefineText(void *binding, const char *name, int labelMessage, char *text, int size)
{
    VARIABLE_DESCRIPTOR d = describe(name, labelMessage);
    d.type = ORV_VAR_CHARACTER;
    d.length = size;
    return xvputd(binding, &d, 0, text, size, 0, 0);
}

int ztsevPutRow(DATA_SET_HANDLE *handle, void *binding)
{
    auto *put = static_cast<PUT_BINDING *>(binding);
    int status = put->move != nullptr ? put->move(put, handle->row) : xyvput(binding, 0, handle->row);
    if (status == 0) status = handle->write(handle);
    if (status != 0 || (handle->flags & ORV_DS_STATUS_PENDING) != 0) {
        void *ref = handle;
        status = xofprc(&ref, status, kWriteStatusMode);
    }
    return status;
}
