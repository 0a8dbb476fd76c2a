/*
 * datekey_dates.cpp - ZTSEVDatekey2Dates: the dates of a holiday, an n-th
 * weekday of a month or a season of an interval over one BY group's span
 * (see datekey_dates.h).
 */
#include "event/datekey_dates.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "event/event_registry.h"
#include "event/event_support.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "interval/calendar_weeks.h"
#include "interval/custom_periods.h"
#include "interval/holidays.h"
#include "interval/intck.h"
#include "interval/interval_names.h"
#include "interval/interval_seasons.h"
#include "interval/intnx.h"

const std::array<int, 12> ZTSEV_RETAIL_445_WEEKS = {0, 4, 8, 13, 17, 21, 26, 30, 34, 39, 43, 47};
const std::array<int, 12> ZTSEV_RETAIL_454_WEEKS = {0, 4, 9, 13, 17, 22, 26, 30, 35, 39, 43, 48};
const std::array<int, 12> ZTSEV_RETAIL_544_WEEKS = {0, 5, 9, 13, 18, 22, 26, 31, 35, 39, 44, 48};

namespace {

constexpr double kSecondsPerDay = 86400.0;

/* The span of one expansion: working form (widening, time-of-day keys)
 * and day form (everything else). */
struct Span {
    double wB, wE; /* seconds on dated series, observation numbers on OBS */
    double dB, dE; /* days on dated series */
};

/* The result under construction: stores beyond the capacity are dropped. */
struct Dates {
    double *values = nullptr;
    int64_t capacity = 0;
    int64_t count = 0;
    bool full() const { return count >= capacity; }
    void keep(double d)
    {
        if (!full()) values[count++] = d;
    }
    void keepIn(double d, double lo, double hi)
    {
        if (!orvIsMissing(d) && lo <= d && d <= hi) keep(d);
    }
};

bool parseInterval(const char *text, ZINT_DESC *desc)
{
    return zintstr(text, int(std::strlen(text)), desc) == ZINTSTR_OK;
}

/* The catalogue word (883, number) of a stepping interval (TENDAY, HOUR...). */
bool catalogueWord(int number, char *word, size_t size)
{
    const char *text = nullptr;
    int length = 0;
    if (wkread(ZTSEV_MSG_SET, number, &text, &length) != 0 || text == nullptr || length <= 0 ||
        size_t(length) >= size)
        return false;
    std::memcpy(word, text, size_t(length));
    word[length] = '\0';
    return true;
}

/* Every start of `step` from lo to hi, kept when inside [lo, hi]. */
void stepping(const ZINT_DESC &step, double lo, double hi, Dates &out)
{
    double d0 = zintnx2(&step, lo, 0);
    if (orvIsMissing(d0) || d0 > hi) return;
    for (int64_t i = 0; !out.full(); ++i) {
        double d = zintnx2(&step, lo, double(i));
        if (orvIsMissing(d) || d > hi) break;
        out.keepIn(d, lo, hi);
    }
}

/* Aligns [lo, hi] to the periods of key; false when either is missing. */
bool align(const ZINT_DESC &key, double &lo, double &hi)
{
    lo = zintnx3(&key, 'B', nullptr, lo, 0);
    hi = zintnx3(&key, 'E', nullptr, hi, 0);
    return !orvIsMissing(lo) && !orvIsMissing(hi);
}

/* The widened span of the series; 0 or -4.
 * A custom series that starts before its calendar spans from its first
 * time ID, one that ends after it to the begin of the open period after
 * it; that side is not widened.  A custom widening interval that runs off
 * its calendar stops widening that side where it was. */
int32_t seriesSpan(const ZTSEV_EFFECTIVE *q, const ZTSEV_SERIES *series, Span *span)
{
    const ZINT_DESC &si = series->interval.interval;
    const double first = series->firstTimeId;
    if (orvIsMissing(first)) return ZTSEV_DK_NO_SPAN;
    const bool customSeries = si.code == ZINT_CUSTOM;
    bool widenB = true, widenE = true;
    double B = zintnx3(&si, 'B', nullptr, first, 0);
    double E = zintnx3(&si, 'E', nullptr, B, double(series->count - 1));
    if (customSeries && zintIsCustomPosition(B, 'M')) {
        B = first;
        widenB = false;
    }
    if (customSeries && zintIsCustomPosition(E, 'I')) {
        E = zintnx3(&si, 'B', nullptr, E, 0);
        widenE = false;
    }
    if (orvIsMissing(B) || orvIsMissing(E)) return ZTSEV_DK_NO_SPAN;
    const bool obs = si.kind == 'o';
    if (si.kind == 's') {
        *span = {B, E, std::floor(B / kSecondsPerDay), std::floor(E / kSecondsPerDay)};
    } else if (obs) {
        *span = {B, E, B, E};
    } else {
        /* E as the last second of its day. */
        ZINT_DESC seconds = si;
        seconds.kind = 's';
        double wE = E * kSecondsPerDay;
        if (widenE) wE = customSeries ? wE + (kSecondsPerDay - 1) : zintnx3(&seconds, 'E', nullptr, wE, 0);
        *span = {B * kSecondsPerDay, wE, B, E};
        if (orvIsMissing(span->wE)) return ZTSEV_DK_NO_SPAN;
    }
    if (q == nullptr) return 0;
    ZINT_DESC w = q->pulse.code > ZINT_OBS ? q->pulse : si;
    const bool customW = w.code == ZINT_CUSTOM;
    if (!customW) w.kind = obs ? 'o' : 's';
    /* One widening step of a bound that may still be widened. */
    auto widen = [&](double &x, bool &open, char align, double n) {
        if (!open) return true;
        double stepped = 0;
        if (customW) {
            stepped = ztsevCustomBoundStep(w, align, x, n, !obs);
            if (zintIsCustomPosition(stepped, align == 'E' ? 'I' : 'M')) {
                open = false;
                return true;
            }
        } else {
            stepped = zintnx3(&w, align, nullptr, x, n);
        }
        if (orvIsMissing(stepped)) return false;
        x = stepped;
        return true;
    };
    const bool ok = (q->after == 0 || widen(span->wB, widenB, 'B', double(1 - q->after))) &&
                    (q->before == 0 || widen(span->wE, widenE, 'E', double(q->before - 1))) &&
                    widen(span->wB, widenB, 'B', double(-q->shift)) && widen(span->wE, widenE, 'E', double(-q->shift));
    if (!ok) return ZTSEV_DK_NO_SPAN;
    if (obs) {
        span->dB = span->wB;
        span->dE = span->wE;
    } else {
        span->dB = std::floor(span->wB / kSecondsPerDay);
        span->dE = std::floor(span->wE / kSecondsPerDay);
    }
    return 0;
}

const ZTSEV_SEASON_ROW *seasonRow(int64_t code)
{
    for (const ZTSEV_SEASON_ROW &row : ZTSEV_SEASON_TABLE)
        if (code >= row.firstCode + 1 && code <= row.firstCode + row.seasons) return &row;
    return nullptr;
}

/* A count of periods turned into a capacity: missing, negative or beyond
 * the cap gives false. */
bool capacityOf(double periods, int64_t extra, int64_t *capacity)
{
    if (orvIsMissing(periods) || periods < 0 || periods > double(ZTSEV_DATES_CAP)) return false;
    *capacity = int64_t(periods) + extra;
    return true;
}

/* The key interval of a season row: q's pulse interval or the series
 * interval when of the row's code, else the default; copies are dates. */
ZINT_DESC keyInterval(const ZTSEV_SEASON_ROW &row, const ZTSEV_EFFECTIVE *q, const ZTSEV_SERIES *series,
                      const ZINT_DESC &fallback)
{
    ZINT_DESC key = fallback;
    if (q != nullptr && q->pulse.code == row.intervalCode) {
        key = q->pulse;
        key.kind = 'd';
    } else if (series->interval.interval.code == row.intervalCode) {
        key = series->interval.interval;
        key.kind = 'd';
    }
    return key;
}

/* WEEK (Sunday-based by the key's first weekday) or WEEKV (ISO) season s:
 * one candidate per year from lo to hi, stored when its week is s; WEEK
 * season 1 also stores the week 53 just before it.  A season 1 to 52
 * candidate of another week writes a debug line. */
void weekSeasons(int s, bool iso, const ZINT_DESC &key, int64_t lo, int64_t hi, Dates &out, int32_t *status)
{
    const int d0 = key.shift + 1;
    for (int64_t y = lo; y <= hi && !out.full(); ++y) {
        double d = 0, week = 0, year = 0, weekday = 0;
        if (!iso) {
            if (s == 53) {
                d = zintnx2(&key, zmdy(12, 31, double(y)), 0);
            } else {
                d = znwdomon(d0, 1, 1, int(y)) + 7.0 * (s - 1);
            }
            *status = zweekyr(d0, &week, &year, 1, d);
        } else {
            double monday = ziddywd(int(y), 1, d0);
            /* Week 53 of year y ends the ISO year y: the week before week 1 of y + 1. */
            d = s == 53 ? zintnx2(&key, ziddywd(int(y + 1), 1, d0) - 1, 0) : monday + 7.0 * (s - 1);
            *status = zidywdd('V', &year, &week, &weekday, d);
        }
        if (*status != 0) return;
        if (int(week) == s) {
            out.keep(d);
        } else if (s != 53) {
            xpsprn("error tstweek=%f week=%d", week, s);
        }
        if (!iso && s == 1 && int(week) == 1) {
            double before = d - 7;
            *status = zweekyr(d0, &week, &year, 1, before);
            if (*status != 0) return;
            if (int(week) == 53) out.keep(before);
        }
    }
}

/* The seasonal codes of a season row; kind and status set. */
void seasonDates(int64_t code, const ZTSEV_SEASON_ROW &row, const ZTSEV_EFFECTIVE *q, const ZTSEV_SERIES *series,
                 Span span, int64_t lo, int64_t hi, Dates &out, int32_t *kind, int32_t *status)
{
    const int s = int(code - row.firstCode);
    *kind = ZTSEV_KIND_DATE;
    ZINT_DESC fallback{};
    char name[48];
    auto yearly = [&](const ZINT_DESC &key, auto dateOfYear) {
        if (!align(key, span.dB, span.dE)) {
            *status = ZTSEV_DK_NO_SPAN;
            return;
        }
        for (int64_t y = lo; y <= hi && !out.full(); ++y) out.keepIn(dateOfYear(y), span.dB, span.dE);
    };
    switch (row.intervalCode) {
    case ZINT_SEMIYEAR:
    case ZINT_QTR: {
        const bool half = row.intervalCode == ZINT_SEMIYEAR;
        parseInterval(half ? "SEMIYEAR.1" : "QTR", &fallback);
        ZINT_DESC key = keyInterval(row, q, series, fallback);
        const int months = half ? 6 : 3;
        const int m = ((key.shift + months * s - months) % 12) + 1;
        yearly(key, [&](int64_t y) { return zintnx2(&key, zmdy(m, 1, double(y)), 0); });
        return;
    }
    case ZINT_MONTH: {
        zintic(ZINT_MONTH, &fallback);
        yearly(fallback, [&](int64_t y) { return zmdy(s, 1, double(y)); });
        return;
    }
    case ZINT_SEMIMONTH:
    case ZINT_TENDAY:
    case ZINT_HOUR:
    case ZINT_MINUTE:
    case ZINT_SECOND: {
        const bool timeOfDay = row.intervalCode <= ZINT_HOUR;
        char word[ZINT_NAME_MAX + 1];
        ZINT_DESC key{}, step{};
        if (!catalogueWord(row.firstCode, word, sizeof word) || !parseInterval(word, &key)) {
            *status = ZTSEV_UNKNOWN_DATEKEY;
            return;
        }
        std::snprintf(name, sizeof name, "%s%d.%d", word, row.seasons, s);
        if (!parseInterval(name, &step)) {
            *status = ZTSEV_UNKNOWN_DATEKEY;
            return;
        }
        double &from = timeOfDay ? span.wB : span.dB;
        double &to = timeOfDay ? span.wE : span.dE;
        if (timeOfDay) *kind = ZTSEV_KIND_DATETIME;
        if (!align(key, from, to)) {
            *status = ZTSEV_DK_NO_SPAN;
            return;
        }
        stepping(step, from, to, out);
        return;
    }
    case ZINT_DAY: {
        ZINT_DESC week{};
        std::snprintf(name, sizeof name, "WEEK.%d", s);
        parseInterval(name, &week);
        if (!align(week, span.dB, span.dE)) {
            *status = ZTSEV_DK_NO_SPAN;
            return;
        }
        stepping(week, span.dB, span.dE, out);
        return;
    }
    case ZINT_R445MON:
    case ZINT_R454MON:
    case ZINT_R544MON:
    case ZINT_R445QTR:
    case ZINT_R454QTR:
    case ZINT_R544QTR: {
        const bool quarters = row.intervalCode >= ZINT_R445QTR;
        const int scheme = quarters ? row.intervalCode - ZINT_R445QTR : row.intervalCode - ZINT_R445MON;
        const std::array<int, 12> &weeks =
            scheme == 0 ? ZTSEV_RETAIL_445_WEEKS : scheme == 1 ? ZTSEV_RETAIL_454_WEEKS : ZTSEV_RETAIL_544_WEEKS;
        zintic(row.intervalCode, &fallback);
        ZINT_DESC key = keyInterval(row, q, series, fallback);
        int month = s;
        if (quarters) {
            month = (key.shift + 3 * s - 2) % 12;
            if (month == 0) month = 12;
        }
        const int w = weeks[size_t(month - 1)] + 1;
        yearly(key, [&](int64_t y) { return zintnx2(&key, ziddywd(int(y), w, 1), 0); });
        return;
    }
    case ZINT_WEEK:
    case ZINT_WEEKV: {
        const bool iso = row.intervalCode == ZINT_WEEKV;
        parseInterval(iso ? "WEEKV.1" : "WEEK.1", &fallback);
        weekSeasons(s, iso, keyInterval(row, q, series, fallback), lo, hi, out, status);
        return;
    }
    default: *status = ZTSEV_UNKNOWN_DATEKEY; return;
    }
}

/* The OBS seasons 101 to 100 + k of an observation-indexed series. */
void obsSeasons(int64_t code, const ZTSEV_SERIES *series, Span span, Dates &out, int32_t *kind, int32_t *status)
{
    const int k = series->interval.seasonCount;
    const int64_t s = code - ZTSEV_DK_OBS_FIRST;
    if (k < 1 || s < 1 || s > k) {
        *status = ZTSEV_UNKNOWN_DATEKEY;
        return;
    }
    *kind = ZTSEV_KIND_OBS;
    char name[48];
    ZINT_DESC cycle{}, step{};
    std::snprintf(name, sizeof name, "OBS%d", k);
    parseInterval(name, &cycle);
    std::snprintf(name, sizeof name, "OBS%d.%d", k, int(s % k) + 1);
    if (!parseInterval(name, &step)) {
        *status = ZTSEV_UNKNOWN_DATEKEY;
        return;
    }
    double lo = zintnx3(&cycle, 'B', nullptr, span.wB, -1);
    double hi = zintnx3(&cycle, 'E', nullptr, span.wE, 1);
    if (orvIsMissing(lo) || orvIsMissing(hi)) {
        *status = ZTSEV_DK_NO_SPAN;
        return;
    }
    stepping(step, lo, hi, out);
}

/* Slots one expansion needs; false with *status when it cannot be sized. */
bool capacityFor(int64_t code, const ZTSEV_SERIES *series, const Span &span, int64_t lo, int64_t hi,
                 int64_t *capacity, int32_t *status)
{
    const ZINT_DESC &si = series->interval.interval;
    if (si.kind == 'o') {
        const int k = series->interval.seasonCount;
        double periods = span.wE - span.wB + 1;
        if (k > 0) periods = std::floor(periods / k);
        if (!capacityOf(periods, 3, capacity)) *status = ZTSEV_DK_NO_SPAN;
        return *status == 0;
    }
    if (code < ZTSEV_DK_OBS_FIRST || (code >= ZTSEV_DK_NWKDOM_FIRST && code <= ZTSEV_DK_NWKDOM_LAST)) {
        *capacity = hi - lo + 1;
        return true;
    }
    const ZTSEV_SEASON_ROW *row = seasonRow(code);
    if (row == nullptr) {
        *status = ZTSEV_UNKNOWN_DATEKEY;
        return false;
    }
    ZINT_DESC desc{}, cycle{};
    uint32_t seasons = 0;
    zintic(row->intervalCode, &desc);
    *status = zintsea(&desc, &cycle, &seasons, 0);
    if (*status != 0) return false;
    double periods = cycle.kind == 'd' ? zintck2(&cycle, span.dB, span.dE)
                     : cycle.kind == 's' ? zintck2(&cycle, span.wB, span.wE)
                                         : 0;
    if (!capacityOf(periods, 3, capacity)) {
        *status = ZTSEV_DK_NO_SPAN;
        return false;
    }
    if (row->intervalCode == ZINT_WEEK) *capacity *= 2;
    return true;
}

}  // namespace

double *ZTSEVDatekey2Dates(int64_t code, const ZTSEV_EFFECTIVE *q, const ZTSEV_SERIES *series, int64_t *count,
                           int32_t *kind, MEMORY_OBJECT *pool, int32_t *status)
{
    *count = 0;
    *kind = 0;
    *status = 0;
    if (pool == nullptr) {
        *status = ZTSEV_DK_NO_POOL;
        return nullptr;
    }
    const ZINT_DESC &si = series->interval.interval;
    const bool obs = si.code == ZINT_NONE || si.code == ZINT_OBS;
    if (obs && (code < ZTSEV_DK_OBS_FIRST || code > 2 * ZTSEV_DK_OBS_FIRST)) {
        *status = ZTSEV_DK_NOT_FOR_INTERVAL;
        return nullptr;
    }
    Span span{};
    *status = seriesSpan(q, series, &span);
    if (*status != 0) return nullptr;
    int64_t lo = 0, hi = 0;
    if (!obs) {
        double yB = zyear(span.dB), yE = zyear(span.dE);
        double isoB = 0, isoE = 0, week = 0, day = 0;
        if (orvIsMissing(yB) || orvIsMissing(yE)) {
            *status = ZTSEV_DK_NO_SPAN;
            return nullptr;
        }
        *status = zidywdd('V', &isoB, &week, &day, span.dB);
        if (*status == 0) *status = zidywdd('V', &isoE, &week, &day, span.dE);
        if (*status != 0) return nullptr;
        lo = int64_t(std::min(yB, isoB));
        hi = int64_t(std::max(yE, isoE));
    }
    Dates out;
    if (!capacityFor(code, series, span, lo, hi, &out.capacity, status) || out.capacity <= 0) return nullptr;
    out.values = static_cast<double *>(ztsevAllocArray(pool, out.capacity, sizeof(double)));
    if (obs) {
        obsSeasons(code, series, span, out, kind, status);
    } else if (code >= ZHOL_FIRST_CODE && code <= ZHOL_LAST_CODE) {
        *kind = ZTSEV_KIND_DATE;
        for (int64_t y = lo; y <= hi; ++y) out.keepIn(zholidat(int(code), double(y)), span.dB, span.dE);
    } else if (code < ZTSEV_DK_OBS_FIRST) {
        *status = ZTSEV_UNKNOWN_DATEKEY;
    } else if (code >= ZTSEV_DK_NWKDOM_FIRST && code <= ZTSEV_DK_NWKDOM_LAST) {
        const int r = int(code - ZTSEV_DK_NWKDOM_FIRST);
        *kind = ZTSEV_KIND_DATE;
        for (int64_t y = lo; y <= hi; ++y)
            out.keepIn(znwdomon((r % 35) / 5 + 1, r % 5 + 1, r / 35 + 1, int(y)), span.dB, span.dE);
    } else {
        seasonDates(code, *seasonRow(code), q, series, span, lo, hi, out, kind, status);
    }
    *count = out.count;
    if (*status != 0) {
        ztsevFree(pool, out.values);
        return nullptr;
    }
    return out.values;
}
