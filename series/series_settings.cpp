/*
 * series_settings.cpp - settings of a context, its variable records and BY
 * lists (see series_settings.h).
 */
#include "series/series_settings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "host/format_records.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/interval_formats.h"
#include "series/series_names.h"

namespace {

constexpr int kFileRequest = 66;
constexpr int kRewindToGroupStart = 66;
constexpr int kByListRequest = 85;
constexpr int kNotFound = int(0x8001f82du);

/* Stores a setting and its given flag: the one shape of the simple setters.
 * Returns 0, or ZTS_NO_CONTEXT without a context. */
template <class T>
int setGiven(ZTS_PROC *ctx, T ZTS_PROC::*field, T value, uint8_t ZTS_PROC::*given, int isGiven)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    ctx->*field = value;
    ctx->*given = isGiven != 0 ? 1 : 0;
    return 0;
}

void *logHandle() { return v_global_gcb_anchor->instance->logHandle; }

/* A counted text from `length` bytes of text, cut to the field. */
template <class Counted>
void setCounted(Counted *field, const char *text, int length)
{
    const int size = int(sizeof field->text);
    length = std::clamp(length, 0, size);
    vzmp(text, length, field->text, size);
    field->length = int16_t(length);
}

/* Name and label of a variable of a data set; the host's status. */
int describe(DATA_SET_HANDLE *handle, int32_t varNo, ORV_COUNTED_NAME *name, ORV_COUNTED_LABEL *label)
{
    VARIABLE_DESCRIPTOR desc;
    std::memset(&desc, 0, sizeof desc);
    const int status = xvname(handle, varNo, &desc);
    if (status < 0) return status;
    if (name != nullptr) setCounted(name, desc.name, desc.nameLength);
    if (label != nullptr) setCounted(label, desc.label, desc.labelLength);
    return 0;
}

/* Copies rawTime into timeIds, keeping timeIds' own array: the two never
 * share one. */
void copyTimeIdBlock(ZTS_PROC *ctx)
{
    double *ids = ctx->timeIds.ids;
    const int64_t count = ctx->timeIds.count, capacity = ctx->timeIds.capacity;
    ctx->timeIds = ctx->rawTime;
    ctx->timeIds.ids = ids;
    ctx->timeIds.count = count;
    ctx->timeIds.capacity = capacity;
}

}  // namespace

int ztsSetDataInfo(ZTS_PROC *ctx, int32_t byCount, int32_t *byVars, int32_t varCount, ZTS_VAR *vars)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (byVars != nullptr) {
        ctx->byCount = byCount;
        ctx->byVars = byVars;
    }
    if (vars != nullptr) {
        ctx->varCount = varCount;
        ctx->vars = vars;
    }
    return 0;
}

int ztsSetIdInfo(ZTS_PROC *ctx, DATA_SET_HANDLE **handle, int32_t varNo)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    ZTS_TIMEID &raw = ctx->rawTime;
    int result = 0;
    if (varNo < 0) {
        raw.idGiven = 0;
    } else if (handle == nullptr || *handle == nullptr) {
        result = ZTS_BAD_ARGUMENT;
    } else {
        raw.idGiven = 1;
        raw.idVarNo = varNo;
        int number = varNo;
        xffile(*handle, kFileRequest, &number, 1);
        raw.fmtCode = ORV_NO_FORMAT;
        VARIABLE_DESCRIPTOR desc;
        std::memset(&desc, 0, sizeof desc);
        const int status = xvname(*handle, varNo, &desc);
        if (status < 0) {
            xprrlog(nullptr, status);
            result = ZTS_VAR_FAILURE;
        } else {
            setCounted(&raw.idName, desc.name, desc.nameLength);
            setCounted(&raw.idLabel, desc.label, desc.labelLength);
            if ((desc.formatNameLength > 0 || desc.informatNameLength > 0) &&
                xfrfile(logHandle(), *handle, ORV_FORMAT_KIND_FORMAT, &number, 1) == 0)
                raw.fmtCode = desc.formatCode;
        }
    }
    copyTimeIdBlock(ctx);
    return result;
}

int ztsSetMissing(ZTS_PROC *ctx, int32_t code, double value)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    ctx->setMissingCode = code;
    ctx->setMissingValue = value;
    return 0;
}

int ztsSetStart(ZTS_PROC *ctx, int given, double value)
{
    return setGiven<double>(ctx, &ZTS_PROC::start, value, &ZTS_PROC::startGiven, given);
}

int ztsSetEnd(ZTS_PROC *ctx, int given, double value)
{
    return setGiven<double>(ctx, &ZTS_PROC::end, value, &ZTS_PROC::endGiven, given);
}

int ztsSetHorizon(ZTS_PROC *ctx, int given, double value)
{
    return setGiven<double>(ctx, &ZTS_PROC::horizon, value, &ZTS_PROC::horizonGiven, given);
}

int ztsSetIntervalInfo(ZTS_PROC *ctx, const ZINT_DESC *interval)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (interval == nullptr) return ZTS_BAD_ARGUMENT;
    ZTS_TIMEID &raw = ctx->rawTime;
    raw.interval = *interval;
    const int nameLength = interval->nameLength > 0 ? interval->nameLength
                                                    : int(strnlen(interval->name, ZINT_NAME_MAX));
    setCounted(&raw.intervalName, interval->name, std::min(nameLength, ZINT_NAME_MAX));

    char name[ZINT_FORMAT_NAME_SIZE] = {};
    int16_t length = 0;
    int result = zintfmt(interval, name, &length, &raw.fmtWidth, &raw.fmtMinWidth);
    setCounted(&raw.fmtName, name, std::clamp<int>(length, 0, ZINT_FORMAT_NAME_SIZE));
    if (raw.fmtName.length > 0) {
        int64_t code = ORV_NO_FORMAT;
        result = xfrname(logHandle(), raw.fmtName.text, raw.fmtName.length, ORV_FORMAT_KIND_FORMAT, nullptr, &code);
        raw.fmtCode = code;
    }
    if (interval->kind == 's') raw.isDatetime = 1;
    return result;
}

int ztsSetIntervalAlignment(ZTS_PROC *ctx, char alignment)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    ctx->rawTime.alignment = alignment;
    return 0;
}

int ztsSetAccumulate(ZTS_PROC *ctx, int code)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    ctx->accumulateCode = code;
    return ZTSAccCodeName(code, &ctx->accumulateName, &ctx->accumulateLabel);
}

int ztsSetIDFormat(ZTS_PROC *ctx, const FORMAT_RECORD *fmt)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (fmt == nullptr) return ZTS_BAD_ARGUMENT;
    char name[ORV_DS_FORMAT_NAME_LENGTH];
    if (xfrshow(fmt->identifier, name, int(sizeof name)) != 0) std::memset(name, ' ', sizeof name);
    const int length = wzstrip(name, int(sizeof name));
    /* Time IDs are numbers: a character format cannot show them. */
    if (wzstpos(name, length, '$') >= 0) return ZTS_BAD_ARGUMENT;
    ZTS_TIMEID &raw = ctx->rawTime;
    raw.fmtGiven = 1;
    raw.fmtCode = fmt->identifier;
    raw.fmtWidth = raw.fmtMinWidth = fmt->width;
    setCounted(&raw.fmtName, name, length);
    zfmtstr(fmt, &raw.fmtText);
    return 0;
}

int ztsSetZeroMiss(ZTS_PROC *ctx, int32_t mode, int given)
{
    return setGiven<int32_t>(ctx, &ZTS_PROC::zeroMissMode, mode, &ZTS_PROC::zeroMissGiven, given);
}

int ztsSetTrimMiss(ZTS_PROC *ctx, int32_t mode, int given)
{
    return setGiven<int32_t>(ctx, &ZTS_PROC::trimMissMode, mode, &ZTS_PROC::trimMissGiven, given);
}

int ztsSetSeasonality(ZTS_PROC *ctx, int32_t seasons)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    ctx->rawTime.seasonality = seasons;
    return 0;
}

int ztsCheckIDVar(ZTS_PROC *ctx, DATA_SET_HANDLE *, int32_t varNo)
{
    return ctx != nullptr && varNo == ctx->rawTime.idVarNo ? 1 : 0;
}

int ztsCheckSelVar(ZTS_PROC *ctx, int32_t count, DATA_SET_HANDLE *handle, int32_t varNo, int32_t role)
{
    if (ctx == nullptr || ctx->vars == nullptr || handle != ctx->ioInfo.byXofid) return 0;
    const int32_t limit = count < 0 ? ctx->varCount : std::min(count, ctx->varCount);
    for (int32_t i = 0; i < limit; ++i) {
        const ZTS_VAR &var = ctx->vars[i];
        if (var.varNo == varNo && (role <= 0 || var.role == role)) return i + 1;
    }
    return 0;
}

int ztsSetVarInfo(ZTS_PROC *ctx, int32_t index, int32_t role, DATA_SET_HANDLE *handle, int32_t varNo,
                  int32_t option1, int32_t option2)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (handle != ctx->ioInfo.byXofid) return ZTS_BAD_ARGUMENT;
    return finalizeVar(ctx, index, role, handle, varNo, option1, option2, ctx);
}

int finalizeVar(ZTS_PROC *ctx, int32_t index, int32_t role, DATA_SET_HANDLE *handle, int32_t varNo,
                int32_t option1, int32_t option2, ZTS_PROC *owner)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (ctx->vars == nullptr || index < 0 || index >= ctx->varCount) return ZTS_BAD_ARGUMENT;
    ZTS_VAR &var = ctx->vars[index];
    var.role = role;
    var.index = index;
    var.owner = owner;
    var.option1 = option1;
    var.option2 = option2;
    var.varNo = varNo;
    const int status = describe(handle, varNo, &var.name, &var.label);
    if (status < 0) {
        xprrlog(nullptr, status);
        return ZTS_VAR_FAILURE;
    }
    return 0;
}

int ztsCheckByVar(ZTS_PROC *ctx, DATA_SET_HANDLE *handle, int32_t varNo)
{
    if (ctx == nullptr || ctx->byVars == nullptr || handle != ctx->ioInfo.byXofid) return 0;
    for (int32_t i = 0; i < ctx->byCount; ++i)
        if (std::abs(ctx->byVars[i]) == varNo) return 1;
    return 0;
}

int ztsFinishVars(ZTS_PROC *ctx, int32_t n)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (n > 0) ctx->varCount = n;
    for (int32_t i = 0; i < ctx->varCount && ctx->vars != nullptr; ++i) ctx->vars[i].position = ctx->vars[i].index;
    return 0;
}

int ztsImportByList(ZTS_PROC *ctx, ZTS_PROC *other, int allowMissing)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (ctx->byCount != 0 || ctx->byVars != nullptr) return ZTS_BAD_ARGUMENT;
    if (other == nullptr || other->byCount <= 0 || other->byVars == nullptr) {
        ctx->byCount = 0;
        ctx->byVars = nullptr;
        return 0;
    }
    DATA_SET_HANDLE *handle = ctx->ioInfo.byXofid;
    int32_t found = 0;
    for (int32_t i = 0; i < other->byCount; ++i) {
        ORV_COUNTED_NAME name;
        int status = describe(other->ioInfo.byXofid, std::abs(other->byVars[i]), &name, nullptr);
        if (status < 0) {
            xprrlog(nullptr, status);
            return ZTS_BY_LIST_FAILURE;
        }
        int number = 0;
        status = xvfind(handle, name.text, name.length, &number);
        if (status == kNotFound) {
            ctx->auxInfo.failedHandle = &ctx->ioInfo.byXofid;
            ctx->auxInfo.failedName = name;
            break;
        }
        if (status < 0) {
            xprrlog(nullptr, status);
            return ZTS_BY_LIST_FAILURE;
        }
        ++found;
    }
    if (found < other->byCount && allowMissing == 0) return ZTS_BY_MISSING;
    if (found > 0) {
        if (xbyslst(other->ioInfo.byXofid, handle, found) != 0) return ZTS_BY_LIST_FAILURE;
        const int status = xbyvinf(handle, &ctx->byCount, &ctx->byVars, nullptr, nullptr, nullptr, nullptr,
                                   kByListRequest);
        if (status < 0) {
            xprrlog(nullptr, status);
            return ZTS_BY_LIST_FAILURE;
        }
    }
    return 0;
}

int ztsIOBySync(ZTS_PROC *ctx, ZTS_PROC *other)
{
    if (ctx == nullptr) return ZTS_NO_CONTEXT;
    if (other == nullptr) return ZTS_BAD_ARGUMENT;
    ctx->bySyncPrev = ctx->bySync;
    if (ctx->obsCount > 0 && other->byStatus > ctx->byCount) {
        ctx->bySync = -1;
        return xbyrwnd(ctx->ioInfo.byXofid, kRewindToGroupStart);
    }
    ctx->bySync = xbysync(other->ioInfo.byXofid, ctx->ioInfo.byXofid);
    return ctx->bySync;
}
