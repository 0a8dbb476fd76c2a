/*
 * custom_ops.cpp - stepping, counting, seasons and formats of custom
 * intervals (see custom_ops.h).
 */
#include "interval/custom_ops.h"

#include <cmath>
#include <cstring>

#include "host/format_records.h"
#include "host/host_records.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "interval/custom_manager.h"
#include "interval/custom_options.h"
#include "interval/custom_periods.h"
#include "interval/interval_formats.h"

namespace {

/* Index arithmetic stays within the exact integers of a double. */
constexpr double kIndexLimit = 9007199254740992.0; /* 2^53 */
constexpr double kDaySeconds = 86400.0;

enum class Part { Begin, End, Season };

double pick(Part part, double begin, double end, double season)
{
    return part == Part::Begin ? begin : part == Part::End ? end : season;
}

bool ordinaryMissing(double value)
{
    return orvIsMissing(value) && !zintIsCustomPosition(value, 'F') && !zintIsCustomPosition(value, 'M') &&
           !zintIsCustomPosition(value, 'L') && !zintIsCustomPosition(value, 'I');
}

/* The stepping of customINTNX, customINTNXE and customINTINDEX. */
double step(ZINT_SEAS *rec, double x, double n, Part part)
{
    if (ordinaryMissing(x)) return orvMissing();
    double index = 0, begin = 0, end = 0, season = 0;
    if (findIndexC(rec, &index, &begin, &end, &season, x) != 0) return orvMissing();
    if (orvIsMissing(n)) {
        if (zintIsCustomPosition(x, 'F') || zintIsCustomPosition(x, 'M')) return orvMissing();
        return pick(part, begin, end, season);
    }
    n = std::floor(n);
    if (n == 0) return pick(part, begin, end, season);
    if (zintIsCustomPosition(x, 'I') && n > 0) return orvMissing();
    const double target = index + n;
    if (!(std::fabs(n) <= kIndexLimit) || !(std::fabs(target) <= kIndexLimit)) return orvMissing();
    if (getIndexC(rec, &begin, &end, &season, target) != 0) return orvMissing();
    return pick(part, begin, end, season);
}

}  // namespace

double customINTNX(ZINT_SEAS *rec, double x, double n) { return step(rec, x, n, Part::Begin); }
double customINTNXE(ZINT_SEAS *rec, double x, double n) { return step(rec, x, n, Part::End); }
double customINTINDEX(ZINT_SEAS *rec, double x, double n) { return step(rec, x, n, Part::Season); }

double customINTCK(ZINT_SEAS *rec, double from, double to)
{
    if (ordinaryMissing(from) || ordinaryMissing(to)) return orvMissing();
    double a = 0, b = 0;
    if (findIndexC(rec, &a, nullptr, nullptr, nullptr, from) != 0 ||
        findIndexC(rec, &b, nullptr, nullptr, nullptr, to) != 0 || orvIsMissing(a))
        return orvMissing();
    return b - a;
}

double customINTSEAS(ZINT_SEAS *rec)
{
    ZintCustomView view;
    if (!zintCustomView(rec, true, view) || view.g > 1 || view.season == nullptr) return orvMissing();
    double largest = orvMissing();
    for (int64_t i = 0; i < view.n; ++i) {
        const double s = view.season[i];
        if (!orvIsMissing(s) && (orvIsMissing(largest) || s > largest)) largest = s;
    }
    return largest;
}

namespace {

/* A display format worked out for a calendar data set (entry.libref and
 * entry.member) as a custom interval of a multiplier and a shift reads it. */
struct FormatMemo {
    uint64_t manager = 0; /* zintCustomManagerNumber() when it was made; 0: empty */
    ZINT_CUSTOM_ENTRY entry{};
    int32_t multiplier = 0;
    int32_t shift = 0;
    char name[ZINT_FORMAT_NAME_SIZE] = {};
    int16_t nameLength = 0;
    int16_t width = 0;
    int16_t minWidth = 0;
};

/* Formats worked out under the current manager, that is within one step,
 * when no data set changes: the format is asked for each time a custom
 * interval's name is parsed (once per member of a season group and per BY
 * group), and each answer opens the calendar's data set, which the host
 * reads whole when the data set has no description of its variables.  A
 * step uses a few calendars; the oldest memo makes room. */
constexpr int kFormatMemos = 8;
FormatMemo gFormatMemos[kFormatMemos];
int gNextFormatMemo = 0;

bool memoFits(const FormatMemo &memo, uint64_t manager, const ZINT_CUSTOM_ENTRY &entry, const ZINT_DESC &desc)
{
    return memo.manager == manager && memo.entry.librefLength == entry.librefLength &&
           memo.entry.memberLength == entry.memberLength &&
           std::memcmp(memo.entry.libref, entry.libref, sizeof entry.libref) == 0 &&
           std::memcmp(memo.entry.member, entry.member, sizeof entry.member) == 0 &&
           memo.multiplier == desc.multiplier && memo.shift == desc.shift;
}

/* The display format read from the entry's data set (customINTFMT's
 * contract). */
int readFormat(ZINT_SEAS *rec, const ZINT_CUSTOM_ENTRY &entry, char *name, int16_t *nameLength, int16_t *width,
               int16_t *minWidth)
{
    void *handle = nullptr;
    if (zintCustomOpen(entry, &handle) != 0) return -1;
    int number = 0;
    VARIABLE_DESCRIPTOR described;
    const bool describedOk = xvfind(handle, "BEGIN", 5, &number) == 0 && number > 0 &&
                              xvname(handle, number, &described) >= 0;
    xoclose(handle);
    if (!describedOk) return -1;

    const int length = described.formatNameLength;
    if (length > 0) {
        /* A format name is copied only when it fits the caller's field. */
        if (length > ZINT_FORMAT_NAME_SIZE) return -1;
        int16_t w = described.formatWidth, m = described.formatWidth;
        if (w == 0) {
            FORMAT_INFO info{};
            int64_t code = 0;
            if (xfrname(nullptr, described.formatName, length, ORV_FORMAT_KIND_FORMAT, &info, &code) != 0) return -1;
            w = info.defaultWidth;
            m = info.minWidth;
        }
        std::memcpy(name, described.formatName, size_t(length));
        *nameLength = int16_t(length);
        *width = w;
        *minWidth = m;
        return 0;
    }
    double first = 0, last = 0;
    if (customRange(rec, 0, &first, &last) != 0) return -1;
    const bool datetime = std::fabs(first) >= kDaySeconds || std::fabs(last) >= kDaySeconds;
    const char *text = datetime ? "DATETIME" : "DATE";
    *nameLength = int16_t(std::strlen(text));
    std::memcpy(name, text, size_t(*nameLength));
    *width = datetime ? 16 : 9;
    *minWidth = datetime ? 16 : 7;
    return 0;
}

}  // namespace

int customINTFMT(ZINT_SEAS *rec, char *name, int16_t *nameLength, int16_t *width, int16_t *minWidth)
{
    ZINT_CUSTOM_ENTRY entry;
    int32_t multiplier = 0, shift = 0;
    if (rec == nullptr || getCustomIntervalDSRef(&entry, &rec->interval, &multiplier, &shift) != 0) return -1;
    /* Without a manager no memo is kept or used. */
    const uint64_t manager = zintCustomManagerNumber();
    if (manager == 0) return readFormat(rec, entry, name, nameLength, width, minWidth);
    for (const FormatMemo &memo : gFormatMemos) {
        if (!memoFits(memo, manager, entry, rec->interval)) continue;
        std::memcpy(name, memo.name, size_t(memo.nameLength));
        *nameLength = memo.nameLength;
        *width = memo.width;
        *minWidth = memo.minWidth;
        return 0;
    }
    const int rc = readFormat(rec, entry, name, nameLength, width, minWidth);
    if (rc != 0) return rc;
    FormatMemo &memo = gFormatMemos[gNextFormatMemo];
    gNextFormatMemo = (gNextFormatMemo + 1) % kFormatMemos;
    memo.manager = manager;
    memo.entry = entry;
    memo.multiplier = rec->interval.multiplier;
    memo.shift = rec->interval.shift;
    std::memcpy(memo.name, name, size_t(*nameLength));
    memo.nameLength = *nameLength;
    memo.width = *width;
    memo.minWidth = *minWidth;
    return 0;
}
