/*
 * custom_periods.cpp - the periods of a custom interval (see
 * custom_periods.h).
 */
#include "interval/custom_periods.h"

#include <bit>
#include <cmath>

#include "host/missing_values.h"
#include "host/services.h"
#include "interval/custom_options.h"
#include "interval/day_math.h"

namespace {

/* Index arithmetic stays within the exact integers of a double. */
constexpr double kIndexLimit = 9007199254740992.0; /* 2^53 */

struct Period {
    double begin;
    double end;
    double season;
};

const Period kNoPeriod{orvMissing(), orvMissing(), orvMissing()};

double M() { return zintCustomPosition('M'); }
double I() { return zintCustomPosition('I'); }

/* One unit before a present value, missing otherwise. */
double before(double value) { return orvIsMissing(value) ? orvMissing() : value - 1; }
double after(double value) { return orvIsMissing(value) ? orvMissing() : value + 1; }

bool hasEnd(const ZintCustomView &v) { return v.end != nullptr; }
double rawBegin(const ZintCustomView &v, int64_t i) { return v.begin[i - 1]; }

double rawEnd(const ZintCustomView &v, int64_t i)
{
    if (hasEnd(v)) return v.end[i - 1];
    return i < v.n ? before(v.begin[i]) : I();
}

double rawSeason(const ZintCustomView &v, int64_t i) { return v.season != nullptr ? v.season[i - 1] : orvMissing(); }

Period rawPeriod(const ZintCustomView &v, int64_t i) { return {rawBegin(v, i), rawEnd(v, i), rawSeason(v, i)}; }

/* The period of index k (REQUIRES: |k| within kIndexLimit). */
bool periodAt(const ZintCustomView &v, int64_t k, Period &p)
{
    const int64_t n = v.n;
    if (v.g == 1) {
        if (k >= 1 && k <= n) {
            p = rawPeriod(v, k);
            return true;
        }
        if (k == 0) {
            p = {M(), before(rawBegin(v, 1)), orvMissing()};
            return true;
        }
        if (hasEnd(v) && k == n + 1) {
            p = {after(v.end[n - 1]), I(), orvMissing()};
            return true;
        }
        return false;
    }
    if (k < 0 || k > n + 1) return false;
    const int64_t l = v.g * (k - 1) + v.f + 1;
    const int64_t m = v.g * k + v.f;
    if (l >= 1 && m <= n && (hasEnd(v) || m < n)) {
        p = {rawBegin(v, l), rawEnd(v, m), orvMissing()};
        return true;
    }
    if (l >= 1 && l <= n && n <= m) {
        p = {rawBegin(v, l), I(), orvMissing()};
        return true;
    }
    if (hasEnd(v) && l == n + 1) {
        p = {after(v.end[n - 1]), I(), orvMissing()};
        return true;
    }
    if (l < 1) {
        if (m >= 1) {
            p = {M(), rawEnd(v, m), orvMissing()};
            return true;
        }
        if (v.f == 0) {
            p = {M(), before(rawBegin(v, 1)), orvMissing()};
            return true;
        }
    }
    return false;
}

/* The index of the period that holds raw period r. */
int64_t indexOfRaw(const ZintCustomView &v, int64_t r) { return v.g == 1 ? r : zintFloorDiv(r - v.f + v.g - 1, v.g); }

/* The closed raw periods: every one but, without END, the open-ended
 * last. */
int64_t closedPeriods(const ZintCustomView &v) { return hasEnd(v) ? v.n : v.n - 1; }

/* Raw period r holds value (begin <= value < end + 1). */
bool holds(const ZintCustomView &v, int64_t r, double value)
{
    const Period p = rawPeriod(v, r);
    return !orvIsMissing(p.begin) && !orvIsMissing(p.end) && p.begin <= value && value < p.end + 1;
}

/*
 * The first raw period that holds value, or 0 when none does.
 * Invariant (a load refuses other calendars): every BEGIN is present and
 * rises from row to row; with END, every END is present, not before its
 * BEGIN and before the next BEGIN.  Begins and ends of the closed periods
 * then both rise, so the periods that end after value (end + 1 above it)
 * come last, and the first of them holds value when any period does: a
 * binary search finds the period that a scan from the first row finds,
 * in log N steps, where calendars of many thousand rows are looked up
 * once per period of a series.
 */
int64_t firstHolder(const ZintCustomView &v, double value)
{
    int64_t low = 1, high = closedPeriods(v) + 1; /* the answer lies in [low, high] */
    while (low < high) {
        const int64_t middle = low + (high - low) / 2;
        if (value < rawEnd(v, middle) + 1)
            high = middle;
        else
            low = middle + 1;
    }
    return low <= closedPeriods(v) && holds(v, low, value) ? low : 0;
}

/* Locates an ordinary value among the raw periods.  Outputs the raw index
 * (0 to N + 1) and its period. */
bool locateRaw(const ZintCustomView &v, double value, int64_t &raw, Period &p)
{
    const int64_t n = v.n;
    const int64_t holder = firstHolder(v, value);
    if (holder != 0) {
        raw = holder;
        p = rawPeriod(v, holder);
        return true;
    }
    /* After the data: the open period N + 1, or without END the open-ended
     * last period. */
    if (hasEnd(v)) {
        const double lastEnd = v.end[n - 1];
        if (value >= lastEnd + 1) {
            raw = n + 1;
            p = {lastEnd + 1, I(), orvMissing()};
            return true;
        }
    } else if (value >= v.begin[n - 1]) {
        raw = n;
        p = rawPeriod(v, n);
        return true;
    }
    /* Before the data, or in a gap between periods. */
    const double firstBegin = rawBegin(v, 1);
    if (firstBegin <= value) return false;
    raw = 0;
    p = {M(), firstBegin - 1, orvMissing()};
    return true;
}

/* findIndexC on a view. */
bool locate(const ZintCustomView &v, double value, double &index, Period &p)
{
    int64_t raw = 0;
    if (zintIsCustomPosition(value, 'F') || zintIsCustomPosition(value, 'M')) {
        const int64_t k = zintIsCustomPosition(value, 'F') ? 1 : 0;
        index = double(k);
        return periodAt(v, k, p);
    }
    if (zintIsCustomPosition(value, 'I')) {
        raw = hasEnd(v) ? v.n + 1 : v.n;
        const int64_t k = indexOfRaw(v, raw);
        index = double(k);
        return periodAt(v, k, p);
    }
    if (zintIsCustomPosition(value, 'L')) value = v.begin[v.n - 1];
    if (orvIsMissing(value) || !locateRaw(v, value, raw, p)) return false;
    const int64_t k = indexOfRaw(v, raw);
    index = double(k);
    return v.g == 1 || periodAt(v, k, p);
}

/* An index as an integer, when it is a whole number within the limit. */
bool wholeIndex(double index, int64_t &k)
{
    if (orvIsMissing(index) || std::fabs(index) > kIndexLimit || index != std::floor(index)) return false;
    k = int64_t(index);
    return true;
}

void put(const Period &p, double *begin, double *end, double *season)
{
    if (begin != nullptr) *begin = p.begin;
    if (end != nullptr) *end = p.end;
    if (season != nullptr) *season = p.season;
}

/* Both ends of the present values, with where they came from (missing
 * when there is none). */
void rangeOf(const ZintCustomView &v, ZINT_CUSTOM_END &first, ZINT_CUSTOM_END &last)
{
    first = {orvMissing(), 0, ' '};
    last = {orvMissing(), 0, ' '};
    for (int64_t i = 1; i <= v.n && orvIsMissing(first.value); ++i) {
        if (!orvIsMissing(v.begin[i - 1]))
            first = {v.begin[i - 1], i, 'B'};
        else if (hasEnd(v) && !orvIsMissing(v.end[i - 1]))
            first = {v.end[i - 1], i, 'E'};
    }
    for (int64_t i = v.n; i >= 1 && orvIsMissing(last.value); --i) {
        if (hasEnd(v) && !orvIsMissing(v.end[i - 1]))
            last = {v.end[i - 1], i, 'E'};
        else if (!orvIsMissing(v.begin[i - 1]))
            last = {v.begin[i - 1], i, 'B'};
    }
}

}  // namespace

double zintCustomPosition(char letter) { return std::bit_cast<double>(orvLetterMissingBits(letter - 'A')); }

bool zintIsCustomPosition(double value, char letter)
{
    return std::bit_cast<uint64_t>(value) == orvLetterMissingBits(letter - 'A');
}

bool zintCustomView(ZINT_SEAS *rec, bool readOnNullRef, ZintCustomView &view)
{
    if (rec == nullptr || rec->interval.code != ZINT_CUSTOM) return false;
    view.g = rec->interval.multiplier < 2 ? 1 : rec->interval.multiplier;
    view.f = rec->interval.shift;
    if (view.f < 0 || view.f >= view.g) return false;
    bool direct = false;
    if (rec->customRef == nullptr) {
        const int rc = zcustLoad(rec, &rec->customRef);
        if (rc < 0) xprrlog(nullptr, rc);
        direct = rc < 0 || (rec->customRef == nullptr && readOnNullRef);
        if (!direct && rec->customRef == nullptr) return false;
    }
    if (direct) {
        ZINT_CUSTOM_ENTRY entry;
        int32_t multiplier = 0, shift = 0;
        if (getCustomIntervalDSRef(&entry, &rec->interval, &multiplier, &shift) != 0 ||
            zintCustomReadDirect(entry, view.direct) != 0)
            return false;
        view.n = view.direct.count;
        view.begin = view.direct.begin.data();
        view.end = view.direct.hasEnd ? view.direct.end.data() : nullptr;
        view.season = view.direct.hasSeason ? view.direct.season.data() : nullptr;
    } else {
        const ZINT_CUSTREF *ref = rec->customRef;
        view.n = ref->count;
        view.begin = ref->begin;
        view.end = ref->end;
        view.season = ref->season;
    }
    return view.n >= 1 && view.begin != nullptr;
}

int findIndexC(ZINT_SEAS *rec, double *index, double *begin, double *end, double *season, double value)
{
    ZintCustomView view;
    double at = orvMissing();
    Period p = kNoPeriod;
    const bool found = zintCustomView(rec, true, view) && locate(view, value, at, p);
    if (!found) p = kNoPeriod;
    if (index != nullptr) *index = found ? at : orvMissing();
    put(p, begin, end, season);
    return found ? 0 : -1;
}

bool zintInOpenLastPeriod(ZINT_SEAS *rec, double value)
{
    ZintCustomView view;
    double index = 0;
    Period p = kNoPeriod;
    return !orvIsMissing(value) && zintCustomView(rec, true, view) && !hasEnd(view) && locate(view, value, index, p) &&
           zintIsCustomPosition(p.end, 'I');
}

int getIndexC(ZINT_SEAS *rec, double *begin, double *end, double *season, double index)
{
    ZintCustomView view;
    Period p = kNoPeriod;
    int64_t k = 0;
    bool found = zintCustomView(rec, true, view);
    if (found && zintIsCustomPosition(index, 'L'))
        k = indexOfRaw(view, view.n);
    else
        found = found && wholeIndex(index, k);
    found = found && periodAt(view, k, p);
    put(found ? p : kNoPeriod, begin, end, season);
    return found ? 0 : -1;
}

int customINTNXBES(ZINT_SEAS *rec, double *begin, double *end, double *season, double value)
{
    double index = 0;
    if (findIndexC(rec, &index, nullptr, nullptr, nullptr, value) == 0 &&
        getIndexC(rec, begin, end, season, index - 1) == 0)
        return 0;
    put(kNoPeriod, begin, end, season);
    return -1;
}

int customGetObsC(ZINT_SEAS *rec, double *begin, double *end, double *season, double raw)
{
    ZintCustomView view;
    int64_t r = 0;
    bool found = zintCustomView(rec, false, view);
    if (found && zintIsCustomPosition(raw, 'L'))
        r = view.n;
    else
        found = found && wholeIndex(raw, r);
    found = found && r >= 1 && r <= view.n;
    put(found ? rawPeriod(view, r) : kNoPeriod, begin, end, season);
    return found ? 0 : -1;
}

int customRangeD(ZINT_SEAS *rec, int mode, ZINT_CUSTOM_END *first, ZINT_CUSTOM_END *last)
{
    ZINT_CUSTOM_END a{orvMissing(), 0, ' '}, b{orvMissing(), 0, ' '};
    ZintCustomView view;
    if (zintCustomView(rec, false, view)) rangeOf(view, a, b);
    if (first != nullptr) *first = a;
    if (last != nullptr) *last = b;
    if (mode <= 0 && orvIsMissing(a.value)) return -1;
    if (mode >= 0 && orvIsMissing(b.value)) return -1;
    return 0;
}

int customRange(ZINT_SEAS *rec, int mode, double *first, double *last)
{
    ZINT_CUSTOM_END a, b;
    const int rc = customRangeD(rec, mode, &a, &b);
    if (first != nullptr) *first = a.value;
    if (last != nullptr) *last = b.value;
    return rc;
}

double customFindRawIndexC(ZINT_SEAS *rec, double *raw, double *begin, double *end, double value)
{
    double r = orvMissing(), b = orvMissing(), e = orvMissing(), result = orvMissing();
    ZintCustomView view;
    ZINT_CUSTOM_END first{}, last{};
    const bool loaded = zintCustomView(rec, false, view);
    if (loaded) rangeOf(view, first, last);
    if (loaded && !orvIsMissing(first.value) && !orvIsMissing(last.value)) {
        const bool isM = zintIsCustomPosition(value, 'M');
        const bool isI = zintIsCustomPosition(value, 'I');
        if (isM || (!orvIsMissing(value) && (value < first.value || (value == first.value && first.variable == 'E')))) {
            b = M();
            if (first.variable == 'B') {
                r = double(first.raw - 1);
                e = first.value - 1;
                result = zintCustomPosition('B');
            } else {
                r = double(first.raw);
                e = first.value;
                result = r;
            }
        } else if (isI || (!orvIsMissing(value) && (value > last.value || (value == last.value && last.variable == 'B')))) {
            e = I();
            if (last.variable == 'B') {
                r = double(last.raw);
                b = last.value;
                result = r;
            } else {
                r = double(last.raw + 1);
                b = last.value + 1;
                result = zintCustomPosition('A');
            }
        } else if (!orvIsMissing(value)) {
            for (int64_t i = first.raw; i <= last.raw; ++i) {
                if (holds(view, i, value)) {
                    r = result = double(i);
                    b = rawBegin(view, i);
                    e = rawEnd(view, i);
                    break;
                }
                if (hasEnd(view) && i < view.n) {
                    const double c = view.end[i - 1], next = view.begin[i];
                    if (!orvIsMissing(c) && !orvIsMissing(next) && c + 1 <= value && value < next) {
                        r = double(i);
                        b = c + 1;
                        e = next - 1;
                        result = zintCustomPosition('H');
                        break;
                    }
                }
            }
        }
    }
    if (raw != nullptr) *raw = r;
    if (begin != nullptr) *begin = b;
    if (end != nullptr) *end = e;
    return result;
}
