/*
 * interval_seasons.cpp - season cycles and counts and the season-aware
 * INTNX and INTCK (see interval_seasons.h).
 *
 * Week-years here are the Sunday-based ones of calendar_weeks.h (week 1
 * holds 4 January) for WEEK, and ISO week-years for WEEKV.  Values of kind
 * 's' are datetimes; the week-year routines work on their days.
 */
#include "interval/interval_seasons.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/missing_values.h"
#include "host/services.h"
#include "interval/calendar_weeks.h"
#include "interval/custom_manager.h"
#include "interval/custom_ops.h"
#include "interval/custom_options.h"
#include "interval/day_math.h"
#include "interval/intck.h"
#include "interval/interval_names.h"
#include "interval/interval_nesting.h"
#include "interval/interval_table.h"
#include "interval/intnx.h"
#include "interval/working_days.h"

namespace {

constexpr int64_t kInt32Max = 2147483647;
constexpr double kDay = double(ZINT_SECONDS_PER_DAY);
/* Week-years that the week-year routines accept. */
constexpr int64_t kFirstWeekYear = 1581;
constexpr int64_t kLastWeekYear = 20001;

/* Day of a value of desc's kind, and back. */
double toDay(const ZINT_DESC &desc, double x) { return desc.kind == 's' ? std::floor(x / kDay) : x; }
double fromDay(const ZINT_DESC &desc, double day) { return desc.kind == 's' ? day * kDay : day; }

/* One season rule: the cycle of a base code and its periods per cycle.
 * A multiplier qualifies when it divides the count and is below it (or is
 * 1): exactly the multiplier lists of the season table. */
struct SeasonRule {
    uint8_t code;
    uint8_t cycleCode;
    int perCycle;
};

constexpr SeasonRule kSeasonRules[] = {
    {ZINT_SECOND, ZINT_MINUTE, 60},   {ZINT_MINUTE, ZINT_HOUR, 60},     {ZINT_HOUR, ZINT_DAY, 24},
    {ZINT_DAY, ZINT_WEEK, 7},         {ZINT_WEEK, ZINT_YEAR, 52},       {ZINT_WEEKV, ZINT_YEARV, 52},
    {ZINT_TENDAY, ZINT_YEAR, 36},     {ZINT_SEMIMONTH, ZINT_YEAR, 24},  {ZINT_MONTH, ZINT_YEAR, 12},
    {ZINT_R445MON, ZINT_R445YR, 12},  {ZINT_R454MON, ZINT_R454YR, 12},  {ZINT_R544MON, ZINT_R544YR, 12},
    {ZINT_QTR, ZINT_YEAR, 4},         {ZINT_R445QTR, ZINT_R445YR, 4},   {ZINT_R454QTR, ZINT_R454YR, 4},
    {ZINT_R544QTR, ZINT_R544YR, 4},   {ZINT_SEMIYEAR, ZINT_YEAR, 2},    {ZINT_YEAR, ZINT_YEAR, 1},
    {ZINT_R445YR, ZINT_R445YR, 1},    {ZINT_R454YR, ZINT_R454YR, 1},    {ZINT_R544YR, ZINT_R544YR, 1},
    {ZINT_YEARV, ZINT_YEARV, 1},
};

const SeasonRule *seasonRule(int code)
{
    for (const SeasonRule &rule : kSeasonRules)
        if (rule.code == code) return &rule;
    return nullptr;
}

/* Appends the decimal digits of value. */
void appendNumber(char *text, size_t size, int64_t value)
{
    const size_t used = std::strlen(text);
    std::snprintf(text + used, size - used, "%lld", static_cast<long long>(value));
}

/* The plain base interval of `code` (DT form for kind 's'). */
bool baseInterval(int code, char kind, ZINT_DESC *out)
{
    ZINT_DESC probe{};
    probe.code = uint8_t(code);
    probe.kind = kind;
    char text[ZINT_BASE_TEXT_SIZE];
    int length = 0;
    zintbase(text, &length, &probe);
    return zintstr(text, length, out) == 0;
}



/* A season cycle that no interval can have: cleared. */
int noSeasons(ZINT_DESC *cycle, int64_t *count)
{
    *cycle = ZINT_DESC{};
    *count = 0;
    return 1;
}

/* The season count of a WEEKDAY: its working days per week, or the
 * number of whole blocks of a multiple that lines up with the weeks that
 * start on its first working day. */
int weekdaySeasons(const ZINT_DESC &desc, ZINT_DESC *cycle, int64_t *count, double date)
{
    const ZintWorkWeek week = zintWorkWeek(desc);
    const int64_t m = zintMultiplierOf(desc);
    if (week.working == 0 || !baseInterval(ZINT_WEEK, desc.kind, cycle)) return noSeasons(cycle, count);
    if (m == 1) {
        *count = week.working;
        return 0;
    }
    if (week.working % m != 0) return noSeasons(cycle, count);
    ZINT_SEAS weekRec{};
    ZINT_SEAS dayRec{};
    weekRec.interval = *cycle;
    dayRec.interval = desc;
    const double from = orvIsMissing(date) ? 0 : date;
    const double b = zintnx_seas(&weekRec, &dayRec, from, 0);
    const double e = zintnx_seas(&weekRec, &dayRec, b, 1);
    if (orvIsMissing(b) || orvIsMissing(e) || zintnx2(&desc, b, 0) != b || zintnx2(&desc, e, 0) != e)
        return noSeasons(cycle, count);
    *count = week.working / m;
    return 0;
}

/* The season rule common to zintsea and zintsea2, for built-in codes
 * other than OBS.  Returns 0 or 1 as zintsea. */
int builtInSeasons(const ZINT_DESC &desc, ZINT_DESC *cycle, int64_t *count, double date)
{
    *cycle = ZINT_DESC{};
    *count = 0;
    if (desc.code == ZINT_WEEKDAY) return weekdaySeasons(desc, cycle, count, date);
    const SeasonRule *rule = seasonRule(desc.code);
    if (rule == nullptr || !baseInterval(rule->cycleCode, desc.kind, cycle)) return noSeasons(cycle, count);
    const int64_t m = zintMultiplierOf(desc);
    if (m == 1 || (rule->perCycle % m == 0 && m < rule->perCycle)) {
        *count = rule->perCycle / m;
        return 0;
    }
    /* Measured: the cycle must start on period boundaries. */
    double c0 = zintnx2(cycle, date, 0);
    if (orvIsMissing(c0)) c0 = 0;
    const double c1 = zintnx2(cycle, c0, 1);
    if (zintnx2(&desc, c0, 0) == c0 && zintnx2(&desc, c1, 0) == c1) {
        const double n = zintck2(&desc, c0, c1);
        if (n > 0) {
            *count = int64_t(n);
            return 0;
        }
    }
    return noSeasons(cycle, count);
}

/* Custom intervals in zintsea: the cycle is the interval itself, or its
 * multiple by the largest SEASON value. */
int customSeasons(const ZINT_DESC &desc, ZINT_DESC *cycle, int64_t *count)
{
    ZINT_SEAS rec{};
    rec.interval = desc;
    const double seasons = customINTSEAS(&rec);
    zcintcReleaseRef(rec.customRef);
    ZINT_DESC base;
    if (zintshft(&desc, &base) != 0) return noSeasons(cycle, count);
    if (!orvIsMissing(seasons) && seasons > 1 && seasons <= double(kInt32Max)) {
        char text[64];
        std::snprintf(text, sizeof text, "%s", base.name);
        appendNumber(text, sizeof text, zintMultiplierOf(desc) * int64_t(seasons));
        if (int(std::strlen(text)) > ZINT_NAME_MAX || zintstr(text, -1, cycle) != 0) return noSeasons(cycle, count);
        *count = int64_t(seasons);
        return 0;
    }
    if (zintstr(desc.name, desc.nameLength, cycle) != 0) return noSeasons(cycle, count);
    *count = 1;
    return 0;
}

/* Custom intervals in zintsea2: the cycle is named from the INTERVALDS
 * entry. */
int customSeasons2(ZINT_SEAS *rec, ZINT_DESC *cycle, int64_t *count)
{
    const double seasons = customINTSEAS(rec);
    const int64_t c = !orvIsMissing(seasons) && seasons > 1 && seasons <= double(kInt32Max) ? int64_t(seasons) : 1;
    const int64_t m = zintMultiplierOf(rec->interval) * c;
    if (!zintBuildInterval(rec->interval, ZINT_CUSTOM, m, 0, cycle)) return noSeasons(cycle, count);
    *count = c;
    return 0;
}

/* The season cycle and count that rec steps in: its own, or the default
 * ones. */
struct SeasonView {
    ZINT_DESC cycle;
    int64_t count;
};

SeasonView seasonView(const ZINT_SEAS &rec, double x)
{
    SeasonView view{};
    view.count = rec.seasonCount;
    if (rec.seasonCycle != nullptr) view.cycle = rec.seasonCycle->interval;
    if (rec.seasonCycle == nullptr || view.count <= 0) {
        ZINT_SEAS copy = rec;
        copy.seasonCycle = nullptr;
        copy.customRef = nullptr;
        ZINT_DESC cycle{};
        int32_t count = rec.seasonCount;
        zintsea2(&copy, &cycle, &count, x);
        if (rec.seasonCycle == nullptr) view.cycle = cycle;
        if (view.count <= 0) view.count = count;
    }
    return view;
}

int64_t storedOrDefaultCount(const ZINT_SEAS &rec, double x)
{
    return rec.seasonCount > 0 ? rec.seasonCount : seasonView(rec, x).count;
}

bool weekYearInRange(int64_t year) { return year >= kFirstWeekYear && year <= kLastWeekYear; }

double plainWeekCount(double from, double to)
{
    ZINT_DESC week;
    if (zintstr("WEEK", -1, &week) != 0) return orvMissing();
    return zintck2(&week, from, to);
}

/* YEAR made of whole Sunday-based week-years of other's weeks. */
double weekYearStep(const ZINT_SEAS &rec, const ZINT_SEAS &other, double x, double n)
{
    const ZINT_DESC &year = rec.interval;
    const int64_t c = storedOrDefaultCount(other, x);
    const double day = toDay(year, x);
    if (orvIsMissing(day) || orvIsMissing(n) || std::fabs(n) > double(kLastWeekYear)) return orvMissing();
    int y = 0;
    double next = 0;
    const double start = zintyrse(&y, &next, day);
    if (orvIsMissing(start)) return orvMissing();
    int64_t target = y;
    bool moved = false;
    if (c <= 52 && plainWeekCount(start, day) >= 52) {
        ++target;
        moved = true;
    }
    double result = start;
    if (n != 0 || moved) {
        target += int64_t(n) * zintMultiplierOf(year);
        if (!weekYearInRange(target)) return orvMissing();
        result = ziddywds(int(target), 1, 1);
    }
    if (c < 53) {
        /* A 53rd week of the year before belongs to this 52-week year. */
        if (!weekYearInRange(target - 1)) return orvMissing();
        if (plainWeekCount(ziddywds(int(target - 1), 1, 1), result) > 52) result -= 7;
    }
    return orvIsMissing(result) ? result : fromDay(year, result);
}

/* WEEK on the 52-week year of c seasons: season positions from the
 * week-year start, a 53rd week counting as the next year's first. */
double weekStep52(ZINT_SEAS *rec, int64_t c, double x, double n)
{
    const ZINT_DESC &week = rec->interval;
    const double day = toDay(week, x);
    if (orvIsMissing(day) || orvIsMissing(n) || std::fabs(n) > ZINT_MAX_COUNT) return orvMissing();
    int y = 0, w = 0, d = 0;
    zidywdds(1, &y, &w, &d, day);
    if (y < 0) return orvMissing();
    /* Positions count whole intervals of the multiple, not weeks. */
    const int64_t g = zintFloorDiv(w - 1, zintMultiplierOf(week)) + int64_t(std::floor(n));
    const int64_t h = zintFloorDiv(g, c);
    const int64_t r = g - c * h;
    if (!weekYearInRange(int64_t(y) + h) || !weekYearInRange(int64_t(y) + h - 1)) return orvMissing();
    double start = ziddywds(int(y + h), 1, 1);
    if (orvIsMissing(start)) return start;
    if (r != 0) return zintnx3(&week, 'S', nullptr, fromDay(week, start), double(r));
    if (plainWeekCount(ziddywds(int(y + h - 1), 1, 1), start) > 52) start -= 7;
    return fromDay(week, start);
}

/* WEEKV on the ISO year of `count` seasons. */
double isoStep(ZINT_SEAS *rec, const SeasonView &view, double x, double n)
{
    const ZINT_DESC &weekv = rec->interval;
    double start = zintnx2(&view.cycle, x, 0);
    double c = zintck3(&weekv, start, x);
    if (orvIsMissing(c) || orvIsMissing(n) || std::fabs(n) > ZINT_MAX_COUNT) return orvMissing();
    if (c >= double(view.count)) c -= 1;
    const int64_t position = int64_t(c) + int64_t(std::floor(n));
    const int64_t h = zintFloorDiv(position, view.count);
    const int64_t r = position - view.count * h;
    if (h != 0) start = zintnx2(&view.cycle, x, double(h));
    if (orvIsMissing(start)) return start;
    return zintnx3(&weekv, 'S', nullptr, start, double(r));
}

/* The first working day of a WEEKDAY at or after value c (of kind
 * `kind`). */
double firstWorkingDayFrom(const ZINT_DESC &weekdayDesc, char kind, double c)
{
    if (orvIsMissing(c)) return c;
    const ZintWorkWeek week = zintWorkWeek(weekdayDesc);
    if (week.working == 0) return orvMissing();
    ZINT_DESC k{};
    k.kind = kind;
    int64_t day = int64_t(toDay(k, c));
    for (int on = 0; on < 7 && zintIsDayOff(week, day); ++on) ++day;
    return fromDay(k, double(day));
}

}  // namespace

bool zintBuildInterval(const ZINT_DESC &desc, int code, int64_t m, int64_t s, ZINT_DESC *out)
{
    if (m < 1 || m > kInt32Max) return false;
    char text[64] = "";
    if (code == ZINT_CUSTOM) {
        ZINT_CUSTOM_ENTRY entry;
        int32_t entryMultiplier = 0, entryShift = 0;
        if (getCustomIntervalDSRef(&entry, &desc, &entryMultiplier, &entryShift) != 0) return false;
        std::memcpy(text, entry.name, size_t(entry.nameLength));
        text[entry.nameLength] = '\0';
    } else if (code == ZINT_WEEKDAY) {
        /* The shift base of a WEEKDAY carries its days off and DT form. */
        ZINT_DESC base;
        if (zintshft(&desc, &base) != 0) return false;
        std::snprintf(text, sizeof text, "%s", base.name);
    } else {
        ZINT_DESC probe = desc;
        probe.code = uint8_t(code);
        int length = 0;
        char base[ZINT_BASE_TEXT_SIZE];
        zintbase(base, &length, &probe);
        std::snprintf(text, sizeof text, "%s", base);
    }
    if (m > 1) appendNumber(text, sizeof text, m);
    if (s != 0) {
        std::strncat(text, ".", sizeof text - std::strlen(text) - 1);
        appendNumber(text, sizeof text, s + 1);
    }
    if (int(std::strlen(text)) > ZINT_NAME_MAX) return false;
    return zintstr(text, -1, out) == 0;
}

int zintsea(const ZINT_DESC *desc, ZINT_DESC *cycle, uint32_t *count, double date)
{
    if (cycle != nullptr) *cycle = ZINT_DESC{};
    if (count != nullptr) *count = 0;
    if (desc == nullptr || cycle == nullptr || count == nullptr || desc->code == ZINT_NONE) return 2;
    int64_t n = 0;
    int rc = 1;
    if (desc->code == ZINT_CUSTOM)
        rc = customSeasons(*desc, cycle, &n);
    else if (desc->code != ZINT_OBS)
        rc = builtInSeasons(*desc, cycle, &n, date);
    *count = uint32_t(n);
    return rc;
}

int zintsea2(ZINT_SEAS *rec, ZINT_DESC *cycle, int32_t *count, double date)
{
    if (cycle != nullptr) *cycle = ZINT_DESC{};
    if (rec == nullptr || cycle == nullptr || count == nullptr || rec->interval.code == ZINT_NONE) return 2;
    const ZINT_DESC &desc = rec->interval;
    const int32_t given = *count;
    int64_t n = 0;
    int rc = 1;
    if (desc.code == ZINT_OBS) {
        /* The cycle is named OBS followed by the multiplier, OBS1 too. */
        char text[32] = "OBS";
        appendNumber(text, sizeof text, zintMultiplierOf(desc));
        rc = zintstr(text, -1, cycle) == 0 ? 0 : noSeasons(cycle, &n);
        n = rc == 0 ? 1 : 0;
    } else if (desc.code == ZINT_CUSTOM) {
        rc = customSeasons2(rec, cycle, &n);
    } else {
        rc = builtInSeasons(desc, cycle, &n, date);
        if (rc == 0 && zintMultiplierOf(desc) == 1) {
            if (desc.code == ZINT_WEEK && given == 53) n = 53;
            if (desc.code == ZINT_WEEKV) n = given == 52 ? 52 : 53;
        }
    }
    *count = int32_t(n);
    return rc;
}

int zintsea_calc_nseasons(ZINT_SEAS *rec, const ZINT_DESC *cycle, int32_t *count, double date)
{
    if (rec == nullptr || cycle == nullptr || count == nullptr) return 1;
    const ZINT_DESC &interval = rec->interval;
    const int code = interval.code;
    const int cycleCode = cycle->code;
    const bool weekYears = (code == ZINT_WEEK && cycleCode == ZINT_YEAR) || (code == ZINT_WEEKV && cycleCode == ZINT_YEARV);
    const bool weekdayCycle = code == ZINT_WEEKDAY && (cycleCode == ZINT_YEAR || cycleCode == ZINT_WEEK || cycleCode == ZINT_SEMIMONTH);

    double b = 0, e = 0;
    if (weekYears || weekdayCycle) {
        ZINT_SEAS scratch{};
        scratch.interval = *cycle;
        ZINT_SEAS *cycleRec = rec->seasonCycle != nullptr ? rec->seasonCycle : &scratch;
        b = zintnx_seas(cycleRec, rec, date, 0);
        e = zintnx_seas(cycleRec, rec, b, 1);
    } else {
        b = zintnx2(cycle, date, 0);
        if (orvIsMissing(b)) b = 0;
        e = zintnx2(cycle, b, 1);
    }
    double startB = 0, startE = 0;
    if (weekYears) {
        startB = zintnx_seas(rec, nullptr, b, 0);
        startE = zintnx_seas(rec, nullptr, e, 0);
    } else {
        startB = zintnx2(&interval, b, 0);
        startE = zintnx2(&interval, e, 0);
    }
    if (orvIsMissing(b) || orvIsMissing(e) || startB != b || startE != e) return 1;

    double n = 0;
    if (code == ZINT_WEEK && cycleCode == ZINT_YEAR) {
        const int mode = rec->seasonCount == 53 ? 53 : 1;
        int yb = 0, wb = 0, db = 0, ye = 0, we = 0, de = 0;
        zidywdds(mode, &yb, &wb, &db, toDay(interval, b));
        zidywdds(mode, &ye, &we, &de, toDay(interval, e));
        n = double(52 * (int64_t(ye) - yb) + we - wb);
        if (zintMultiplierOf(interval) > 1) n = std::floor(n / double(zintMultiplierOf(interval)));
    } else {
        n = zintck2(&interval, b, e);
    }
    if (orvIsMissing(n) || !(n > 0) || n > double(kInt32Max)) {
        *count = 0;
        return 1;
    }
    *count = int32_t(n);
    return 0;
}

double zintnx_seas(ZINT_SEAS *rec, ZINT_SEAS *other, double x, double n)
{
    if (rec == nullptr) return orvMissing();
    const ZINT_DESC &r = rec->interval;
    if (other != nullptr) {
        const ZINT_DESC &o = other->interval;
        if (r.code == ZINT_WEEK && o.code == ZINT_WEEKDAY) {
            /* Weeks that start on the WEEKDAY's first working day. */
            const ZintWorkWeek week = zintWorkWeek(o);
            int first = 0;
            while (first < 7 && week.off[first]) ++first;
            ZINT_DESC shifted;
            if (first == 7 || !zintBuildInterval(r, ZINT_WEEK, zintMultiplierOf(r), first, &shifted)) return orvMissing();
            return zintnx2(&shifted, x, n);
        }
        if (r.code == ZINT_YEAR && o.code == ZINT_WEEK) return weekYearStep(*rec, *other, x, n);
        if ((r.code == ZINT_YEAR || r.code == ZINT_SEMIMONTH) && o.code == ZINT_WEEKDAY)
            return firstWorkingDayFrom(o, r.kind, zintnx2(&r, x, n));
    } else if (r.code == ZINT_WEEK || r.code == ZINT_WEEKV) {
        const SeasonView view = seasonView(*rec, x);
        if (r.code == ZINT_WEEK && view.cycle.code == ZINT_YEAR && view.count >= 1 && view.count <= 52)
            return weekStep52(rec, view.count, x, n);
        if (r.code == ZINT_WEEKV && view.cycle.code == ZINT_YEARV && view.count >= 1)
            return isoStep(rec, view, x, n);
    }
    return zintnx2(&r, x, n);
}

double zintck_seas(ZINT_SEAS *rec, ZINT_SEAS *other, double from, double to)
{
    if (rec == nullptr) return orvMissing();
    const ZINT_DESC &r = rec->interval;
    if (r.code == ZINT_WEEK || r.code == ZINT_WEEKV) {
        const SeasonView view = seasonView(*rec, from);
        const bool cycleFits = r.code == ZINT_WEEK ? view.cycle.code == ZINT_YEAR : view.cycle.code == ZINT_YEARV;
        if (cycleFits && view.count >= 1 && view.count <= 52) {
            const double a = toDay(r, from);
            const double b = toDay(r, to);
            if (orvIsMissing(a) || orvIsMissing(b)) return orvMissing();
            int64_t position[2] = {0, 0};
            const double days[2] = {a, b};
            for (int i = 0; i < 2; ++i) {
                int64_t y = 0, w = 0;
                if (r.code == ZINT_WEEK) {
                    int yy = 0, ww = 0, dd = 0;
                    zidywdds(1, &yy, &ww, &dd, days[i]);
                    y = yy;
                    w = ww;
                } else {
                    double yy = -1, ww = -1, dd = -1;
                    zidywdd('V', &yy, &ww, &dd, days[i]);
                    y = int64_t(yy);
                    w = int64_t(ww);
                }
                if (y < 0 || w < 1) return orvMissing();
                position[i] = 52 * y + w - 1;
            }
            const int64_t m = zintMultiplierOf(r);
            return double(zintFloorDiv(position[1], m) - zintFloorDiv(position[0], m));
        }
        if (view.count > 52) {
            const double n = zintck2(&r, from, to);
            return orvIsMissing(n) ? n : std::trunc(n);
        }
    }
    if (r.code == ZINT_YEAR && other != nullptr && other->interval.code == ZINT_WEEK) {
        const double a = zintnx_seas(rec, other, from, 0);
        const double b = zintnx_seas(rec, other, to, 0);
        if (orvIsMissing(a) || orvIsMissing(b)) return orvMissing();
        const int64_t c = storedOrDefaultCount(*other, from);
        const int mode = c < 53 ? 1 : int(c);
        int ya = 0, wa = 0, da = 0, yb = 0, wb = 0, db = 0;
        zidywdds(mode, &ya, &wa, &da, toDay(r, a));
        zidywdds(mode, &yb, &wb, &db, toDay(r, b));
        if (ya < 0 || yb < 0) return orvMissing();
        return std::trunc(double(int64_t(yb) - ya) / double(zintMultiplierOf(r)));
    }
    return zintck2(&r, from, to);
}
