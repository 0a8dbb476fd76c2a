/*
 * interval_detect.cpp - interval detection over whole series (see
 * interval_detect.h).
 *
 * The series is read through a value source, either a vector or the
 * observations of a BY group, one value at a time: the scan keeps only the
 * last two values and the closest-spaced triple, so a data set is never
 * held in memory, and every check is a fresh pass from the first value.
 */
#include "interval/interval_detect.h"

#include <cfloat>
#include <cstring>

#include "host/format_records.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "interval/interval_names.h"
#include "interval/intnx.h"
#include "interval/intck.h"

namespace {

/* Results shared with the header. */
constexpr int kDetermined = 0;
constexpr int kGaps = 1;
constexpr int kNotDetermined = 2;
constexpr int kMissingValue = 10;
constexpr int kNotAscending = 20;
constexpr int kDuplicate = 21;
constexpr int kTooFew = 30;
constexpr int kBadDataSetName = 102;
constexpr int kOpenFailed = 103;
constexpr int kNoVariable = 104;
constexpr int kNotNumeric = 105;
constexpr int kFetchFailed = 106;

/* A date WEEKDAY series with a value above this is really datetimes. */
constexpr double kDateWeekdayLimit = 86400;

/* Librefs are at most this long. */
constexpr int kLibrefMax = 8;

/* next(): 1 a value, 0 the end of the series, -1 a value that cannot be
 * fetched.  restart(): back to the first value; false when that fails. */
struct VectorSource {
    const double *values;
    int64_t n;
    int64_t at = 0;
    bool restart()
    {
        at = 0;
        return true;
    }
    int next(double *value)
    {
        if (at >= n) return 0;
        *value = values[at++];
        return 1;
    }
};

struct GroupSource {
    DATA_SET_HANDLE *handle;
    int varNo;
    bool restart() { return xbyrwnd(handle, ZINT_REWIND_GROUP) >= 0; }
    int next(double *value)
    {
        void *ref = handle;
        int status = 0;
        if ((handle->flags & ORV_DS_READS_BY_GROUP) != 0) {
            status = xybyget(&ref);
        } else {
            if (handle->read == nullptr) return -1;
            handle->readMode = ORV_DS_READ_NEXT;
            status = handle->read(handle);
            if (status != 0 || (handle->flags & ORV_DS_STATUS_PENDING) != 0) status = xofprc(&ref, status, 1);
        }
        /* A failed read is no end of the data. */
        if (status < 0) return -1;
        if (handle->row == nullptr) return 0;
        return xvget1f(handle, varNo, value) == 0 ? 1 : -1;
    }
};

void notDetermined(ZINT_DESC *desc, ZINT_INFO *info)
{
    if (zintstr("NONE", -1, desc) != 0) *desc = ZINT_DESC{};
    if (info != nullptr) *info = ZINT_INFO{};
}

/* A value off the working days of a WEEKDAY descriptor. */
bool offWorkingDays(const ZINT_DESC &desc, const ZINT_DESC &day, double value)
{
    if (desc.kind == 'd' && value > kDateWeekdayLimit) return true;
    return zintnx2(&desc, value, 0) != zintnx2(&day, value, 0);
}

/* The check of a whole series against desc. */
template <typename Source>
int check(Source &source, const ZINT_DESC &desc, double *firstLast)
{
    if (firstLast != nullptr) firstLast[0] = firstLast[1] = orvMissing();
    if (!source.restart()) return kFetchFailed;
    double previous = 0;
    double value = 0;
    int status = source.next(&previous);
    if (status <= 0) return status < 0 ? kFetchFailed : kDetermined;
    if (firstLast != nullptr) firstLast[0] = firstLast[1] = previous;
    status = source.next(&value);
    if (status <= 0) return status < 0 ? kFetchFailed : kDetermined;

    const bool weekday = desc.code == ZINT_WEEKDAY;
    ZINT_DESC day{};
    if (weekday && zintstr(desc.kind == 's' ? "DTDAY" : "DAY", -1, &day) != 0) return kNotDetermined;
    if (orvIsMissing(previous)) return kMissingValue;
    if (weekday && offWorkingDays(desc, day, previous)) return kNotDetermined;
    int result = kDetermined;
    for (;;) {
        if (firstLast != nullptr) firstLast[1] = value;
        if (orvIsMissing(value)) return kMissingValue;
        if (previous > value) return kNotAscending;
        if (previous == value) return kDuplicate;
        const double c = zintck2(&desc, previous, value);
        if (orvIsMissing(c)) return kMissingValue;
        if (c < 1) return kNotDetermined;
        if (c > 1) result = kGaps;
        if (weekday && offWorkingDays(desc, day, value)) return kNotDetermined;
        previous = value;
        status = source.next(&value);
        if (status < 0) return kFetchFailed;
        if (status == 0) return result;
    }
}

/* The scan: order checks and the closest-spaced triple (the first of
 * equal spans).  Returns 0 or a detection result. */
template <typename Source>
int scan(Source &source, double triple[3])
{
    if (!source.restart()) return kFetchFailed;
    int firstError = 0;
    int64_t count = 0;
    double older = 0, previous = 0, value = 0;
    double smallest = DBL_MAX;
    for (;;) {
        const int status = source.next(&value);
        if (status < 0) return kFetchFailed;
        if (status == 0) break;
        if (firstError == 0) {
            if (orvIsMissing(value)) {
                firstError = kMissingValue;
            } else if (count >= 1 && previous > value) {
                firstError = kNotAscending;
            } else if (count >= 1 && previous == value) {
                firstError = kDuplicate;
            } else if (count >= 2 && value - older < smallest) {
                smallest = value - older;
                triple[0] = older;
                triple[1] = previous;
                triple[2] = value;
            }
        }
        older = previous;
        previous = value;
        ++count;
        /* Three values settle "too few"; the first error then decides. */
        if (firstError != 0 && count >= 3) break;
    }
    return count < 3 ? kTooFew : firstError;
}

template <typename Source>
int detect(Source &source, ZINT_DESC *desc, ZINT_INFO *info)
{
    double triple[3] = {0, 0, 0};
    const int scanned = scan(source, triple);
    if (scanned != 0) return scanned;
    if (zintget(desc, info, triple[0], triple[1], triple[2]) != 0) {
        notDetermined(desc, info);
        return kNotDetermined;
    }
    const int r = check(source, *desc, nullptr);
    if (r == kDetermined) return kDetermined;
    if (r != kGaps) {
        notDetermined(desc, info);
        return r == kFetchFailed ? kFetchFailed : kNotDetermined;
    }
    /* Daily values with gaps may be working days. */
    if ((desc->code == ZINT_OBS || desc->code == ZINT_DAY) && desc->multiplier == 1) {
        for (const char *name : desc->kind == 's' ? dtwdays : wdays) {
            ZINT_DESC weekday;
            if (zintstr(name, -1, &weekday) != 0) continue;
            const int rw = check(source, weekday, nullptr);
            if (rw == kFetchFailed) {
                notDetermined(desc, info);
                return kFetchFailed;
            }
            if (rw == kDetermined || rw == kGaps) {
                *desc = weekday;
                zintInfoFill(desc, info, triple[0]);
                return rw;
            }
        }
    }
    return kGaps;
}

/* Runs f on reader's group and rewinds the group afterwards. */
template <typename F>
int onGroup(DATA_SET_HANDLE *reader, int varNo, F f)
{
    if (reader == nullptr) return kFetchFailed;
    GroupSource source{reader, varNo};
    const int rc = f(source);
    source.restart();
    return rc;
}

/* Opens dataSet and finds its numeric variable; on success *handleOut is
 * open and the result 0.  Returns 102 to 105 otherwise (nothing open). */
int openVariable(const char *dataSet, int dataSetLength, const char *variable, int variableLength,
                 void **handleOut, int *varNoOut)
{
    *handleOut = nullptr;
    if (dataSet == nullptr || dataSetLength <= 0) return kBadDataSetName;
    NAME_PARTS parts;
    std::memset(&parts, 0, sizeof parts);
    if (znamdiv(dataSet, dataSetLength, ORV_NAMDIV_DATA_SET, &parts) <= 0 || parts.firstLength > kLibrefMax ||
        parts.secondLength <= 0 || parts.secondLength > ORV_DS_MEMBER_LENGTH)
        return kBadDataSetName;
    DATA_SET_OPEN_REQUEST request;
    std::memset(&request, 0, sizeof request);
    std::memset(request.libref, ' ', sizeof request.libref);
    std::memcpy(request.libref, parts.first, size_t(parts.firstLength));
    std::memset(request.member, ' ', sizeof request.member);
    std::memcpy(request.member, parts.second, size_t(parts.secondLength));
    request.memberLength = parts.secondLength;
    request.mode = ORV_DS_OPEN_INPUT;
    void *handle = nullptr;
    if (xoopen(&request, &handle) != 0 || handle == nullptr) return kOpenFailed;

    int rc = 0;
    int varNo = 0;
    VARIABLE_DESCRIPTOR described;
    if (variable == nullptr || variableLength <= 0 || xvfind(handle, variable, variableLength, &varNo) != 0 ||
        varNo <= 0 || xvname(handle, varNo, &described) < 0)
        rc = kNoVariable;
    else if (described.type != ORV_VAR_NUMERIC)
        rc = kNotNumeric;
    else if (xvsele(handle) != 0)
        rc = kNoVariable;
    if (rc != 0) {
        xoclose(handle);
        return rc;
    }
    *handleOut = handle;
    *varNoOut = varNo;
    return 0;
}

}  // namespace

int zintdgv(const double *values, int64_t n, ZINT_DESC *desc, ZINT_INFO *info)
{
    if (info != nullptr) *info = ZINT_INFO{};
    if (desc == nullptr) return kNotDetermined;
    *desc = ZINT_DESC{};
    if (values == nullptr || n < 3) return kTooFew;
    VectorSource source{values, n};
    return detect(source, desc, info);
}

int zintdcv(const double *values, int64_t n, const ZINT_DESC *desc)
{
    if (n < 2) return kDetermined;
    if (values == nullptr || desc == nullptr) return kNotDetermined;
    VectorSource source{values, n};
    return check(source, *desc, nullptr);
}

int zintdgp(DATA_SET_HANDLE *reader, int varNo, ZINT_DESC *desc, ZINT_INFO *info)
{
    if (info != nullptr) *info = ZINT_INFO{};
    if (desc == nullptr) return kNotDetermined;
    *desc = ZINT_DESC{};
    return onGroup(reader, varNo, [&](GroupSource &source) { return detect(source, desc, info); });
}

int zintdcp(DATA_SET_HANDLE *reader, int varNo, const ZINT_DESC *desc, double *firstLast)
{
    if (desc == nullptr) return kNotDetermined;
    return onGroup(reader, varNo, [&](GroupSource &source) { return check(source, *desc, firstLast); });
}

int zintdgd(const char *dataSet, int dataSetLength, const char *variable, int variableLength,
            ZINT_DESC *desc, ZINT_INFO *info)
{
    if (info != nullptr) *info = ZINT_INFO{};
    if (desc != nullptr) *desc = ZINT_DESC{};
    void *handle = nullptr;
    int varNo = 0;
    const int opened = openVariable(dataSet, dataSetLength, variable, variableLength, &handle, &varNo);
    if (opened != 0) return opened;
    const int rc = zintdgp(static_cast<DATA_SET_HANDLE *>(handle), varNo, desc, info);
    xoclose(handle);
    return rc;
}

int zintdcd(const char *dataSet, int dataSetLength, const char *variable, int variableLength,
            const ZINT_DESC *desc, double *firstLast)
{
    void *handle = nullptr;
    int varNo = 0;
    const int opened = openVariable(dataSet, dataSetLength, variable, variableLength, &handle, &varNo);
    if (opened != 0) return opened;
    const int rc = zintdcp(static_cast<DATA_SET_HANDLE *>(handle), varNo, desc, firstLast);
    xoclose(handle);
    return rc;
}
