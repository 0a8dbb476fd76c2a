/*
 * timeid_index.cpp - interval indices of time IDs, their messages, the
 * occupancy marks of interval slots and format texts (see timeid_index.h).
 */
#include "interval/timeid_index.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "host/missing_values.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/custom_manager.h"
#include "interval/custom_timeid.h"
#include "interval/day_math.h"
#include "interval/intck.h"
#include "interval/intnx.h"
#include "interval/timeid_forms.h"

namespace {

constexpr double kSecondsPerDay = double(ZINT_SECONDS_PER_DAY);
/* The supported range of time IDs: days [kFirstDay, kEndDay). */
constexpr double kFirstDay = -138061.0;
constexpr double kEndDay = 6589336.0;
static_assert(kFirstDay == double(ZINT_FIRST_DAY));
/* Index limits: 2^63 (no int64_t holds it) and 2^53 (exact in a double). */
constexpr double kTwo63 = 9223372036854775808.0;
constexpr double kTwo53 = 9007199254740992.0;

/* The range of values of an interval of kind `kind`, for the range check
 * and the fallback alignment at its ends. */
struct ValueRange {
    bool checked; /* only dates and datetimes are range-checked */
    double low;   /* first supported value */
    double end;   /* first value after the range */
    double last;  /* last supported value */
};

ValueRange rangeOf(char kind)
{
    if (kind == 's')
        return {true, kFirstDay * kSecondsPerDay, kEndDay * kSecondsPerDay,
                kEndDay * kSecondsPerDay - 1.0};
    if (kind == 'd') return {true, kFirstDay, kEndDay, kEndDay - 1.0};
    /* Other kinds: the aligned fallback uses the day range. */
    return {false, kFirstDay, kEndDay, kEndDay - 1.0};
}

/*
 * The custom-interval branch of zinttip (n >= 1): the custom-interval time
 * index over a copy of the values (it aligns the values it is given in
 * place), relative to base.  Results as zinttip: -1 a missing value, -5 a
 * value or base not placed (or no work memory), -2 a value in an open period
 * before or after the defined ones, -3 and -4 passed on; else the order.
 */
int zinttipCustom(ZintTiForm form, const ZINT_DESC *interval, char alignment, const double *values, int64_t n,
                  int flag, int64_t *index, double base, int64_t *maxIndex, double *firstAligned,
                  double *lastAligned)
{
    auto *copy = static_cast<double *>(zintTiAlloc(form, size_t(n) * sizeof(double)));
    auto *indices = index != nullptr ? index : static_cast<int64_t *>(zintTiAlloc(form, size_t(n) * sizeof(int64_t)));
    int result = ZINTTIP_CUSTOM_FAILURE;
    if (copy != nullptr && indices != nullptr) {
        std::memcpy(copy, values, size_t(n) * sizeof(double));
        ZINT_CTID_WORK work{};
        work.start = base;
        work.interval.interval = *interval;
        work.allocator = form == ZintTiForm::Plain ? v_global_gcb_anchor->globalMemory
                                                   : v_global_gcb_anchor->secondMemory;
        work.values = copy;
        work.count = n;
        /* Same-position alignment of a custom period is its begin. */
        const char align[2] = {alignment == 'E' || alignment == 'M' ? alignment : 'B', '\0'};
        int32_t order = 0, outside = 0;
        const auto indexFunction = form == ZintTiForm::Plain ? &zintctidL : &zintctid;
        const int rc = indexFunction(&work, align, 0, nullptr, indices, &order, &outside, nullptr, nullptr, nullptr,
                                     firstAligned, lastAligned);
        zcintcReleaseRef(work.interval.customRef);
        if (rc == ZINT_CTID_MISSING || rc == ZINT_CTID_NO_VALUES)
            result = ZINTTIP_MISSING;
        else if (rc == ZINT_CTID_FAILED)
            result = ZINTTIP_CUSTOM_FAILURE;
        else if (rc == ZINT_CTID_OVERFLOW || rc == ZINT_CTID_INEXACT)
            result = rc;
        else if (rc != ZINT_CTID_OK)
            result = ZINTTIP_MISSING;
        else if (outside != 0)
            result = ZINTTIP_OUT_OF_RANGE;
        else {
            if (maxIndex != nullptr)
                for (int64_t j = 0; j < n; ++j) *maxIndex = std::max(*maxIndex, indices[j]);
            if (n == 1)
                result = ZINTTIP_ASCENDING;
            else if (flag != 0)
                result = flag;
            else if (order == ZINT_CTID_REPEATED)
                result = ZINTTIP_DUPLICATES;
            else
                result = order != 0 ? ZINTTIP_UNSORTED : ZINTTIP_ASCENDING;
        }
    }
    zintTiFree(form, copy);
    if (indices != index) zintTiFree(form, indices);
    return result;
}

int timeIndex(ZintTiForm form, const ZINT_DESC *interval, char alignment, const double *values,
              int64_t n, int flag, int64_t *index, double base, int64_t *maxIndex,
              double *firstAligned, double *lastAligned)
{
    if (firstAligned != nullptr) *firstAligned = orvMissing();
    if (lastAligned != nullptr) *lastAligned = orvMissing();
    if (maxIndex != nullptr) *maxIndex = 0;
    /* Nothing to index: no minimum or maximum exists to align. */
    if (n <= 0) return ZINTTIP_ASCENDING;
    if (interval == nullptr) return ZINTTIP_OUT_OF_RANGE;
    if (values == nullptr) return ZINTTIP_MISSING;
    if (interval->code == ZINT_CUSTOM)
        return zinttipCustom(form, interval, alignment, values, n, flag, index, base, maxIndex, firstAligned,
                             lastAligned);

    const ValueRange range = rangeOf(interval->kind);
    double minimum = values[0], maximum = values[0];
    for (int64_t j = 0; j < n; ++j) {
        const double v = values[j];
        if (orvIsMissing(v)) return ZINTTIP_MISSING;
        if (range.checked && !(v >= range.low && v < range.end)) return ZINTTIP_OUT_OF_RANGE;
        minimum = std::min(minimum, v);
        maximum = std::max(maximum, v);
    }

    /* At the ends of the range the aligned value may lie outside it; a
     * value in the first (last) interval then stands for its own aligned
     * value, for the ends as for every index. */
    double firstEnd = orvMissing(), lastStart = orvMissing();
    bool firstEndKnown = false, lastStartKnown = false;
    auto aligned = [&](double v, double *result) {
        *result = zintnx3(interval, alignment, nullptr, v, 0);
        if (!orvIsMissing(*result)) return true;
        if (!firstEndKnown) {
            firstEnd = zintnx3(interval, 'E', nullptr, range.low, 0);
            firstEndKnown = true;
        }
        if (!lastStartKnown) {
            lastStart = zintnx3(interval, 'B', nullptr, range.last, 0);
            lastStartKnown = true;
        }
        if (orvIsMissing(firstEnd) || orvIsMissing(lastStart)) return false;
        if (v <= firstEnd || lastStart <= v) *result = v;
        return true;
    };
    double first = 0, last = 0;
    if (!aligned(minimum, &first) || !aligned(maximum, &last)) return ZINTTIP_OUT_OF_RANGE;
    if (firstAligned != nullptr) *firstAligned = first;
    if (lastAligned != nullptr) *lastAligned = last;

    const double origin = orvIsMissing(base) ? first : base;
    int64_t largest = 0;
    int64_t previous = 0;
    bool descending = false, equal = false;
    for (int64_t j = 0; j < n; ++j) {
        double at = 0;
        if (!aligned(values[j], &at)) return ZINTTIP_OUT_OF_RANGE;
        const double d = zintck2(interval, origin, at);
        if (orvIsMissing(at) || orvIsMissing(d)) return ZINTTIP_OUT_OF_RANGE;
        /* Checked before the conversion: 2^63 itself has no int64_t. */
        if (std::fabs(d) >= kTwo63) return ZINTTIP_OVERFLOW;
        if (form == ZintTiForm::Plain && std::fabs(d) > kTwo53) return ZINTTIP_INEXACT;
        const int64_t k = int64_t(d);
        if (index != nullptr) index[j] = k;
        largest = std::max(largest, k);
        if (j > 0) {
            if (k < previous) descending = true;
            if (k == previous) equal = true;
        }
        previous = k;
    }
    if (maxIndex != nullptr) *maxIndex = largest;
    if (n == 1) return ZINTTIP_ASCENDING;
    if (flag != 0) return flag;
    if (descending) return ZINTTIP_UNSORTED;
    return equal ? ZINTTIP_DUPLICATES : ZINTTIP_ASCENDING;
}

int occupancy(ZintTiForm form, const int64_t *index, int64_t n, int64_t slots, uint8_t *marks,
              int64_t *duplicates, int64_t *gaps)
{
    if (duplicates != nullptr) *duplicates = 0;
    if (gaps != nullptr) *gaps = 0;
    /* Without indices there is no first slot to mark from. */
    if (n <= 0) return ZINTTIC_NONE;
    if (index == nullptr || marks == nullptr) return ZINTTIC_OUTSIDE;

    int64_t smallest = form == ZintTiForm::Plain ? int64_t(1) << 53
                                                 : std::numeric_limits<int64_t>::max();
    int64_t largest = -1;
    int64_t dupCount = 0;
    for (int64_t j = 0; j < n; ++j) {
        const int64_t k = index[j];
        if (k < 0 || k >= slots) return ZINTTIC_OUTSIDE;
        if (marks[k] == ZINTTIC_EMPTY) {
            marks[k] = ZINTTIC_ONCE;
        } else {
            marks[k] = ZINTTIC_SEVERAL;
            ++dupCount;
        }
        smallest = std::min(smallest, k);
        largest = std::max(largest, k);
    }
    int64_t gapCount = 0;
    for (int64_t s = 0; s < smallest; ++s) marks[s] = ZINTTIC_BEFORE;
    for (int64_t s = smallest + 1; s < slots; ++s) {
        if (s > largest)
            marks[s] = ZINTTIC_AFTER;
        else if (marks[s] == ZINTTIC_EMPTY)
            ++gapCount;
    }
    if (duplicates != nullptr) *duplicates = dupCount;
    if (gaps != nullptr) *gaps = gapCount;
    if (dupCount > 0) return ZINTTIC_DUPLICATES;
    return gapCount > 0 ? ZINTTIC_GAPS : ZINTTIC_NONE;
}

/* Message numbers of zinttipErr (set ZINTTIP_MESSAGE_SET). */
enum : int {
    kMsgOverflow = 1004,
    kMsgMissingNamed = 1012,
    kMsgCustomRangeNamed = 1015,
    kMsgRangeNamed = 1016,
    kMsgOtherNamed = 1017,
    kMsgIndexNamed = 1020,
    kMsgCustomIndexNamed = 1022,
    kMsgMissing = 1032,
    kMsgCustomRange = 1035,
    kMsgRange = 1036,
    kMsgOther = 1037,
    kMsgIndex = 1040,
    kMsgCustomIndex = 1042,
};

int clippedLength(int length, int size) { return std::clamp(length, 0, size); }

}  // namespace

int zinttip(const ZINT_DESC *interval, char alignment, const double *values, int64_t n, int flag,
            int64_t *index, double base, int64_t *maxIndex, double *firstAligned,
            double *lastAligned)
{
    return timeIndex(ZintTiForm::Plain, interval, alignment, values, n, flag, index, base,
                     maxIndex, firstAligned, lastAligned);
}

int zinttip2(const ZINT_DESC *interval, char alignment, const double *values, int64_t n, int flag,
             int64_t *index, double base, int64_t *maxIndex, double *firstAligned,
             double *lastAligned)
{
    return timeIndex(ZintTiForm::Two, interval, alignment, values, n, flag, index, base, maxIndex,
                     firstAligned, lastAligned);
}

int zinttipErr(const ORV_COUNTED_NAME *idName, const char *dsItem, const ORV_COUNTED_NAME *dsName,
               const ZINT_DESC *interval, int r)
{
    if (r >= 0) return 0;
    const bool custom = interval != nullptr && interval->code == ZINT_CUSTOM;
    const bool names = idName != nullptr && dsItem != nullptr && dsName != nullptr;
    const bool named = names && interval != nullptr;

    int number = 0;
    switch (r) {
    case ZINTTIP_MISSING: number = named ? kMsgMissingNamed : kMsgMissing; break;
    case ZINTTIP_OUT_OF_RANGE:
        if (named)
            number = custom ? kMsgCustomRangeNamed : kMsgRangeNamed;
        else
            number = !names && custom ? kMsgCustomRange : kMsgRange;
        break;
    case ZINTTIP_OVERFLOW:
    case ZINTTIP_INEXACT: number = kMsgOverflow; break;
    case ZINTTIP_CUSTOM_FAILURE:
        if (named)
            number = custom ? kMsgCustomIndexNamed : kMsgIndexNamed;
        else
            number = !names && custom ? kMsgCustomIndex : kMsgIndex;
        break;
    default: number = named ? kMsgOtherNamed : kMsgOther; break;
    }

    if (!named || number == kMsgOverflow) {
        xpmlog(ZINTTIP_MESSAGE_SET, number, ORV_MSG_END);
        return ZINTTIP_ERROR_RC;
    }
    const int idLength = clippedLength(idName->length, ORV_DS_VARIABLE_NAME_LENGTH);
    const int itemLength = wzstrip(dsItem, ORV_DS_LIBREF_LENGTH);
    const int dsLength = clippedLength(dsName->length, ORV_DS_MEMBER_LENGTH);
    int intervalLength = clippedLength(interval->nameLength, ZINT_NAME_MAX);
    if (intervalLength == 0) intervalLength = int(strnlen(interval->name, ZINT_NAME_MAX));
    xpmlog(ZINTTIP_MESSAGE_SET, number, ORV_MSG_TEXT, idLength, idName->text, ORV_MSG_TEXT,
           itemLength, dsItem, ORV_MSG_TEXT, dsLength, dsName->text, ORV_MSG_TEXT, intervalLength,
           interval->name, ORV_MSG_END);
    return ZINTTIP_ERROR_RC;
}

int zinttic(const int64_t *index, int64_t n, int64_t slots, uint8_t *marks, int64_t *duplicates,
            int64_t *gaps)
{
    return occupancy(ZintTiForm::Plain, index, n, slots, marks, duplicates, gaps);
}

int zinttic2(const int64_t *index, int64_t n, int64_t slots, uint8_t *marks, int64_t *duplicates,
             int64_t *gaps)
{
    return occupancy(ZintTiForm::Two, index, n, slots, marks, duplicates, gaps);
}

int zfmtstri(int64_t fmtCode, int width, int decimals, ZINT_FMTTEXT *out)
{
    if (out == nullptr) return 0;
    out->length = 0;
    std::memset(out->text, ' ', sizeof out->text);

    char name[ORV_DS_FORMAT_NAME_LENGTH];
    if (xfrshow(fmtCode, name, int(sizeof name)) != 0) std::memset(name, ' ', sizeof name);
    const int nameLength = wzstrip(name, int(sizeof name));

    /* The name is counted, not terminated: it is printed with a precision.
     * A format with decimals but no width is written NAME.d. */
    char printed[ZINT_FMTTEXT_SIZE + 1];
    int length = 0;
    if (width != 0 && decimals != 0)
        length = xpsstr(printed, int(sizeof printed), "%.*s%i.%i", nameLength, name, width, decimals);
    else if (width != 0)
        length = xpsstr(printed, int(sizeof printed), "%.*s%i.", nameLength, name, width);
    else if (decimals != 0)
        length = xpsstr(printed, int(sizeof printed), "%.*s.%i", nameLength, name, decimals);
    else
        length = xpsstr(printed, int(sizeof printed), "%.*s.", nameLength, name);
    length = std::clamp(length, 0, ZINT_FMTTEXT_SIZE);
    std::memcpy(out->text, printed, size_t(length));
    out->length = int16_t(length);
    return length;
}

int zfmtstr(const FORMAT_RECORD *fmt, ZINT_FMTTEXT *out)
{
    if (fmt == nullptr) {
        if (out != nullptr) {
            out->length = 0;
            std::memset(out->text, ' ', sizeof out->text);
        }
        return 0;
    }
    return zfmtstri(fmt->identifier, fmt->width, fmt->decimals, out);
}
