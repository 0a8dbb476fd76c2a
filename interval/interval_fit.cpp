/*
 * interval_fit.cpp - identification of an interval from two or three
 * values (see interval_fit.h).
 *
 * Every comparison of a value with an interval start is exact equality of
 * doubles; a missing value compares unequal to everything.
 */
#include "interval/interval_fit.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "host/missing_values.h"
#include "host/services.h"
#include "interval/day_math.h"
#include "interval/intck.h"
#include "interval/interval_formats.h"
#include "interval/interval_names.h"
#include "interval/interval_seasons.h"
#include "interval/interval_table.h"
#include "interval/intnx.h"

const char wdays[4][16] = {"WEEKDAY", "WEEKDAY56W", "WEEKDAY1W", "WEEKDAY7W"};
const char dtwdays[4][16] = {"DTWEEKDAY", "DTWEEKDAY56W", "DTWEEKDAY1W", "DTWEEKDAY7W"};

namespace {

/* A number is whole when the fraction of x + kWholeNudge is at most
 * kWholeTolerance. */
constexpr double kWholeNudge = 1e-9;
constexpr double kWholeTolerance = 1e-6;
/* Values are datetimes from this magnitude on (or with whole-hour gaps). */
constexpr double kDatetimeFrom = 86400;
constexpr double kSecondsPerHour = 3600;
constexpr double kSecondsPerDay = 86400;
/* Dates from 1 to 999 with a gap below a million days are observation
 * numbers. */
constexpr double kObservationBelow = 1000;
constexpr double kObservationGapBelow = 1000000;
constexpr double kInt32Max = 2147483647;

bool isWhole(double x)
{
    if (orvIsMissing(x)) return false;
    const double nudged = x + kWholeNudge;
    return nudged - std::floor(nudged) <= kWholeTolerance;
}

/* max / min is whole; a minimum of 0 or less (or a missing count) is
 * never a whole ratio. */
bool ratioWhole(double a, double b)
{
    if (orvIsMissing(a) || orvIsMissing(b)) return false;
    const double low = a < b ? a : b;
    const double high = a < b ? b : a;
    return low > 0 && isWhole(high / low);
}

bool parse(const char *text, ZINT_DESC *desc) { return zintstr(text, -1, desc) == 0; }

/* prefix + name, parsed. */
bool parse(bool dt, const char *name, ZINT_DESC *desc)
{
    char text[ZINT_NAME_MAX + 1];
    const size_t n = std::strlen(name);
    if (n + 2 > size_t(ZINT_NAME_MAX)) return false;
    std::memcpy(text, "DT", 2);
    std::memcpy(text + 2, name, n + 1);
    return parse(dt ? text : text + 2, desc);
}

/* Appends text to desc's name; false (name untouched) when it would not
 * fit. */
bool appendToName(ZINT_DESC *desc, const char *text)
{
    const size_t n = std::strlen(text);
    if (desc->nameLength < 0 || size_t(desc->nameLength) + n > size_t(ZINT_NAME_MAX)) return false;
    std::memcpy(desc->name + desc->nameLength, text, n + 1);
    desc->nameLength = int16_t(desc->nameLength + int(n));
    return true;
}

bool appendNumber(ZINT_DESC *desc, const char *lead, int64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%s%lld", lead, static_cast<long long>(value));
    return appendToName(desc, text);
}

/* Sets the multiplier m (> 1) and appends its digits. */
bool setMultiplier(ZINT_DESC *desc, double m)
{
    if (!(m > 1) || m > kInt32Max || m != std::floor(m)) return false;
    if (!appendNumber(desc, "", int64_t(m))) return false;
    desc->multiplier = int32_t(m);
    return true;
}

/* Sets the stored shift s and appends "." and s + 1; nothing for s = 0.
 * A shift beyond the code's limit for the multiplier is no fit. */
bool setShift(ZINT_DESC *desc, double s)
{
    if (s == 0) return true;
    const ZintBaseEntry *entry = zintBaseEntry(desc->code);
    const double m = desc->multiplier < 1 ? 1 : desc->multiplier;
    if (entry == nullptr || !(s > 0) || s != std::floor(s) || s + 1 > double(entry->shiftLimit) * m)
        return false;
    if (!appendNumber(desc, ".", int64_t(s) + 1)) return false;
    desc->shift = int32_t(s);
    return true;
}

/* The descriptor of a failed identification: NONE. */
void notIdentified(ZINT_DESC *desc)
{
    if (zintstr("NONE", -1, desc) != 0) {
        *desc = ZINT_DESC{};
        desc->kind = 'u';
        desc->multiplier = 1;
    }
}

bool allEqual(double a, double b, double c) { return a == b && b == c; }
bool increasing(double a, double b, double c) { return a < b && b < c; }

/* Each value is a start of `interval`. */
bool allStarts(const ZINT_DESC &interval, const double x[3])
{
    for (int i = 0; i < 3; ++i)
        if (zintnx2(&interval, x[i], 0) != x[i]) return false;
    return true;
}

/* Each value is a start of `interval`, or the starts of the intervals
 * holding them increase and the values lie the same whole number (below
 * `below`) of `unit` intervals into them. */
bool placedIn(const ZINT_DESC &interval, const ZINT_DESC &unit, double below, const double x[3])
{
    if (allStarts(interval, x)) return true;
    double start[3], offset[3];
    for (int i = 0; i < 3; ++i) start[i] = zintnx2(&interval, x[i], 0);
    if (!increasing(start[0], start[1], start[2])) return false;
    for (int i = 0; i < 3; ++i) {
        offset[i] = zintck2(&unit, start[i], x[i]);
        if (!isWhole(offset[i]) || !(offset[i] < below)) return false;
    }
    return allEqual(offset[0], offset[1], offset[2]);
}

/* The offsets of the values from the starts of candidate's intervals, in
 * unit's intervals, when they are equal: the candidate's shift. */
bool commonShift(ZINT_DESC *candidate, const ZINT_DESC &unit, const double x[3])
{
    double s[3];
    for (int i = 0; i < 3; ++i) s[i] = zintck2(&unit, zintnx2(candidate, x[i], 0), x[i]);
    if (orvIsMissing(s[0]) || !allEqual(s[0], s[1], s[2])) return false;
    return setShift(candidate, s[0]);
}

/* HOUR, MINUTE and SECOND for datetimes whose day gap is not whole (or
 * whose calendar test failed). */
int clockCascade(ZINT_DESC *desc, const double x[3])
{
    static constexpr const char *kLevels[3][2] = {{"HOUR", "MINUTE"}, {"MINUTE", "SECOND"}, {"SECOND", nullptr}};
    for (const auto &level : kLevels) {
        ZINT_DESC interval, unit;
        if (!parse(level[0], &interval)) continue;
        const bool hasUnit = level[1] != nullptr && parse(level[1], &unit);
        if (!(hasUnit ? placedIn(interval, unit, 60, x) : allStarts(interval, x))) continue;
        ZINT_DESC candidate = interval;
        const double a1 = zintck2(&interval, x[0], x[1]);
        const double a2 = zintck2(&interval, x[1], x[2]);
        if (!isWhole(a1) || !isWhole(a2) || !ratioWhole(a1, a2)) continue;
        const double m = a1 < a2 ? a1 : a2;
        if (m > 1 && !setMultiplier(&candidate, m)) continue;
        if (zintnx2(&candidate, x[0], 0) != x[0] && !commonShift(&candidate, interval, x)) continue;
        *desc = candidate;
        return 0;
    }
    return 1;
}

/* Dates from 1 to 999 whose gaps are below a million days are
 * observation numbers: OBS with the smaller gap as its multiplier (1 when
 * the larger is not a multiple of it) and the DAY step's shift.  The
 * descriptor is parsed from its name, so every field agrees with it. */
void observationRule(ZINT_DESC *desc, const double x[3])
{
    if (!(x[0] > 0 && x[0] < kObservationBelow)) return;
    const double g1 = std::floor(x[1]) - std::floor(x[0]);
    const double g2 = std::floor(x[2]) - std::floor(x[1]);
    const double g = g1 < g2 ? g1 : g2;
    const double big = g1 < g2 ? g2 : g1;
    if (!(g > 0 && g < kObservationGapBelow)) return;
    const int64_t m = std::fmod(big, g) == 0 ? int64_t(g) : 1;
    const int64_t s = m > 1 ? desc->shift : 0;
    char text[48]; /* "OBS" and two 64-bit numbers */
    if (s == 0)
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(m));
    else
        std::snprintf(text, sizeof text, "OBS%lld.%lld", static_cast<long long>(m), static_cast<long long>(s + 1));
    ZINT_DESC obs;
    if (zintstr(text, -1, &obs) == 0) *desc = obs;
}

}  // namespace

void zintInfoFill(const ZINT_DESC *desc, ZINT_INFO *info, double from)
{
    if (info == nullptr) return;
    *info = ZINT_INFO{};
    if (desc == nullptr) return;
    uint32_t count = 0;
    zintsea(desc, &info->seasonCycle, &count, from);
    info->seasonCount = count;
    int16_t minWidth = 0;
    char name[ZINT_FORMAT_NAME_SIZE];
    zintfmt(desc, name, &info->formatNameLength, &info->formatWidth, &minWidth);
    std::memcpy(info->formatName, name, sizeof info->formatName);
}

int test(ZINT_DESC *candidate, const ZINT_DESC *unit, int k, double x1, double x2, double x3)
{
    if (candidate == nullptr || unit == nullptr || k < 1) return 0;
    const double x[3] = {x1, x2, x3};
    const double a = zintck2(unit, x1, x2) / k;
    const double b = zintck2(unit, x2, x3) / k;
    if (!isWhole(a) || !isWhole(b) || !ratioWhole(a, b)) return 0;
    const double c1 = zintck2(candidate, x1, x2);
    const double c2 = zintck2(candidate, x2, x3);
    if (orvIsMissing(c1) || orvIsMissing(c2)) return 0;
    const double m = c1 < c2 ? c1 : c2;
    if (m > 1 && !setMultiplier(candidate, m)) return 0;
    if (zintnx2(candidate, x1, 0) == x1) return 1;
    return commonShift(candidate, *unit, x) ? 1 : 0;
}

int date(int dt, ZINT_DESC *desc, double x1, double x2, double x3)
{
    if (desc == nullptr) return 1;
    const bool d = dt == 1;
    const double x[3] = {x1, x2, x3};
    ZINT_DESC month, day;
    if (!parse(d, "MONTH", &month) || !parse(d, "DAY", &day)) return 1;

    /* 1. The month family: month starts, or the same day of month, or the
     * last days of months, or the same distance to the next month. */
    bool monthly = allStarts(month, x);
    if (!monthly) {
        double start[3], offset[3], next[3];
        for (int i = 0; i < 3; ++i) start[i] = zintnx2(&month, x[i], 0);
        bool offsetsUsable = increasing(start[0], start[1], start[2]);
        for (int i = 0; offsetsUsable && i < 3; ++i) {
            offset[i] = zintck2(&day, start[i], x[i]);
            offsetsUsable = isWhole(offset[i]) && offset[i] < 31;
        }
        if (offsetsUsable) {
            bool lastDays = true;
            for (int i = 0; i < 3; ++i) {
                next[i] = zintnx2(&month, x[i], 1);
                lastDays = lastDays && next[i] == zintnx2(&day, x[i], 1);
            }
            monthly = allEqual(offset[0], offset[1], offset[2]) || lastDays;
            if (!monthly && increasing(next[0], next[1], next[2])) {
                double toNext[3];
                bool usable = true;
                for (int i = 0; usable && i < 3; ++i) {
                    toNext[i] = zintck2(&day, x[i], next[i]);
                    usable = isWhole(toNext[i]) && toNext[i] < 31;
                }
                monthly = usable && allEqual(toNext[0], toNext[1], toNext[2]);
            }
        }
    }
    if (monthly) {
        static constexpr struct {
            const char *name;
            int k;
        } kMonthly[] = {{"YEAR", 12}, {"SEMIYEAR", 6}, {"QTR", 3}, {"MONTH", 1}};
        for (const auto &candidate : kMonthly) {
            ZINT_DESC j;
            if (parse(d, candidate.name, &j) && test(&j, &month, candidate.k, x1, x2, x3) == 1) {
                *desc = j;
                return 0;
            }
        }
    }

    /* 2. and 3. SEMIMONTH and TENDAY, on or at a fixed day after their
     * starts. */
    static constexpr struct {
        const char *name;
        double below;
    } kParts[] = {{"SEMIMONTH", 15}, {"TENDAY", 10}};
    for (const auto &part : kParts) {
        ZINT_DESC unit;
        if (!parse(d, part.name, &unit) || !placedIn(unit, day, part.below, x)) continue;
        ZINT_DESC j = unit;
        if (test(&j, &unit, 1, x1, x2, x3) == 1) {
            *desc = j;
            return 0;
        }
    }

    /* 4. Weeks and days need values on day starts (datetimes: at one hour
     * of the day). */
    if (d) {
        ZINT_DESC hour;
        if (!parse("HOUR", &hour) || !placedIn(day, hour, 24, x)) return 1;
    } else if (!allStarts(day, x)) {
        return 1;
    }
    const double d1 = zintck2(&day, x1, x2);
    const double d2 = zintck2(&day, x2, x3);

    /* 5. WEEK. */
    ZINT_DESC week;
    if (parse(d, "WEEK", &week) && isWhole(d1 / 7) && isWhole(d2 / 7) && ratioWhole(d1 / 7, d2 / 7)) {
        const double m = d1 < d2 ? d1 / 7 : d2 / 7;
        if ((m <= 1 || setMultiplier(&week, m)) &&
            (zintnx2(&week, x1, 0) == x1 || commonShift(&week, day, x))) {
            *desc = week;
            return 0;
        }
    }

    /* 6. DAY, and observation numbers among the dates. */
    const bool daysRegular = isWhole(d1) && isWhole(d2) && ratioWhole(d1, d2);
    if (daysRegular) {
        ZINT_DESC days = day;
        const double m = d1 < d2 ? d1 : d2;
        if ((m <= 1 || setMultiplier(&days, m)) &&
            (zintnx2(&days, x1, 0) == x1 || commonShift(&days, day, x))) {
            *desc = days;
            /* Datetimes are never observation numbers: an OBS interval
             * would not hold them. */
            if (!d) observationRule(desc, x);
            return 0;
        }
    }

    /* 7. The WEEKDAY intervals, on the same day counts. */
    for (const char *name : d ? dtwdays : wdays) {
        ZINT_DESC weekday, base;
        if (!daysRegular || !parse(name, &weekday) || zintshft(&weekday, &base) != 0) continue;
        const double c1 = zintck2(&weekday, x1, x2);
        const double c2 = zintck2(&weekday, x2, x3);
        if (orvIsMissing(c1) || orvIsMissing(c2)) continue;
        const double m = c1 < c2 ? c1 : c2;
        if (m > 1 && !setMultiplier(&weekday, m)) continue;
        /* The shift of a WEEKDAY is counted in its working days. */
        if (zintnx2(&weekday, x1, 0) == x1 || commonShift(&weekday, base, x)) {
            *desc = weekday;
            return 0;
        }
    }
    return 1;
}

int zintget(ZINT_DESC *desc, ZINT_INFO *info, double x1, double x2, double x3)
{
    if (desc != nullptr) *desc = ZINT_DESC{};
    if (info != nullptr) *info = ZINT_INFO{};
    if (desc == nullptr || orvIsMissing(x1) || orvIsMissing(x2) || orvIsMissing(x3)) return 2;
    const double g1 = std::floor(x2) - std::floor(x1);
    const double g2 = std::floor(x3) - std::floor(x2);
    if (!(g1 >= 1) || !(g2 >= 1)) return 3;

    const double smaller = g1 < g2 ? g1 : g2;
    const double hours = smaller / kSecondsPerHour + kWholeNudge;
    const bool datetimes = x3 >= kDatetimeFrom || x1 <= -kDatetimeFrom ||
                           (smaller >= kSecondsPerHour && hours - std::floor(hours) < kWholeTolerance);
    const double unit = datetimes ? kSecondsPerDay : 1;
    if (x1 / unit < double(ZINT_FIRST_DAY) || x3 / unit > double(ZINT_LAST_DAY)) return 3;

    const double x[3] = {x1, x2, x3};
    int rc = 0;
    if (!datetimes)
        rc = date(0, desc, x1, x2, x3);
    else if (!(isWhole(g1 / kSecondsPerDay) && date(1, desc, x1, x2, x3) == 0))
        rc = clockCascade(desc, x);
    if (rc != 0) {
        notIdentified(desc);
        return 1;
    }
    zintInfoFill(desc, info, x1);
    return 0;
}

int fitInterval(ZINT_DESC *candidate, const ZINT_DESC *unit, double x1, double x2)
{
    if (candidate == nullptr || unit == nullptr) return 1;
    double n = 0;
    if (candidate->code == ZINT_YEAR && unit->code == ZINT_WEEK) {
        /* Years of whole Sunday-based week-years. */
        ZINT_SEAS year{};
        ZINT_SEAS week{};
        year.interval = *candidate;
        week.interval = *unit;
        n = zintck_seas(&year, &week, x1, x2);
    } else {
        n = zintck2(candidate, x1, x2);
    }
    if (orvIsMissing(n) || n <= 0) return 1;
    if (n > 1 && !setMultiplier(candidate, n)) return 1;
    const double start = zintnx2(candidate, x1, 0);
    if (!(start == x1 && zintnx2(candidate, x1, 1) == x2)) {
        const double s1 = zintck2(unit, start, x1);
        const double s2 = zintck2(unit, zintnx2(candidate, x2, 0), x2);
        if (orvIsMissing(s1) || s1 != s2 || !setShift(candidate, s1)) return 1;
    }
    return zintnx3(candidate, 'S', nullptr, x1, 1) == x2 ? 0 : 1;
}

namespace {

/* Fits `name` with `unitName` as its unit; on success desc receives it. */
bool fitNamed(const char *name, const char *unitName, ZINT_DESC *desc, double x1, double x2)
{
    ZINT_DESC candidate, unit;
    if (!parse(name, &candidate) || !parse(unitName, &unit)) return false;
    if (fitInterval(&candidate, &unit, x1, x2) != 0) return false;
    *desc = candidate;
    return true;
}

bool dayIn(int day, std::initializer_list<int> days)
{
    for (int d : days)
        if (d == day) return true;
    return false;
}

int fitDates(ZINT_DESC *desc, double x1, double x2, double d)
{
    int month1 = 0, day1 = 0, year1 = 0, month2 = 0, day2 = 0, year2 = 0;
    int monthAfter1 = 0, dayAfter1 = 0, yearAfter1 = 0, monthAfter2 = 0, dayAfter2 = 0, yearAfter2 = 0;
    if (zidmdyd(&month1, &day1, &year1, x1) != 0 || zidmdyd(&month2, &day2, &year2, x2) != 0 ||
        zidmdyd(&monthAfter1, &dayAfter1, &yearAfter1, x1 + 1) != 0 ||
        zidmdyd(&monthAfter2, &dayAfter2, &yearAfter2, x2 + 1) != 0)
        return 1;
    const bool monthEnd = dayAfter1 == 1 || dayAfter2 == 1;
    const bool thirds = dayIn(day1, {1, 11, 21}) && dayIn(day2, {1, 11, 21});
    const bool halves = dayIn(day1, {1, 16}) && dayIn(day2, {1, 16});

    if (d == 1) return parse("DAY", desc) ? 0 : 1;
    bool fitted = false;
    if (d == 3 && zwekday(x1) == 6) { /* Friday to Monday */
        fitted = fitNamed("WEEKDAY", "WEEKDAY", desc, x1, x2);
    } else if (d >= 2 && d <= 6) {
        fitted = fitNamed("DAY", "DAY", desc, x1, x2);
    } else if (d == 7) {
        fitted = fitNamed("WEEK", "DAY", desc, x1, x2);
    } else if (d >= 8 && d <= 11 && thirds) {
        fitted = fitNamed("TENDAY", "TENDAY", desc, x1, x2);
    } else if (d >= 13 && d <= 16 && halves) {
        fitted = fitNamed("SEMIMONTH", "SEMIMONTH", desc, x1, x2);
    } else if (d >= 28 && (day1 == day2 || monthEnd)) {
        ZINT_DESC month;
        const double months = parse("MONTH", &month) ? std::trunc(zintck2(&month, x1, x2)) : orvMissing();
        if (!orvIsMissing(months)) {
            const int64_t k = int64_t(months);
            const char *name = k % 12 == 0 ? "YEAR" : k % 6 == 0 ? "SEMIYEAR" : k % 3 == 0 ? "QTR" : "MONTH";
            fitted = fitNamed(name, "MONTH", desc, x1, x2);
        }
    } else if (d >= 28 && (d == 364 || d == 371)) {
        fitted = fitNamed("YEAR", "WEEK", desc, x1, x2);
    }
    if (fitted) return 0;

    if (halves)
        fitted = fitNamed("SEMIMONTH", "SEMIMONTH", desc, x1, x2);
    else if (thirds)
        fitted = fitNamed("TENDAY", "TENDAY", desc, x1, x2);
    else
        fitted = fitNamed("SEMIMONTH", "SEMIMONTH", desc, x1, x2) || fitNamed("TENDAY", "TENDAY", desc, x1, x2);
    if (fitted) return 0;
    const bool weeks = std::fmod(d, 7) == 0;
    return fitNamed(weeks ? "WEEK" : "DAY", "DAY", desc, x1, x2) ? 0 : 1;
}

int fitDatetimes(ZINT_DESC *desc, double x1, double x2, double d)
{
    if (ztimprt(x1) != ztimprt(x2)) {
        const int64_t seconds = int64_t(d);
        if (seconds % 3600 == 0 && fitNamed("DTHOUR", "DTHOUR", desc, x1, x2)) return 0;
        if (seconds % 3600 != 0 && seconds % 60 == 0 && fitNamed("DTMINUTE", "DTMINUTE", desc, x1, x2)) return 0;
        return fitNamed("DTSECOND", "DTSECOND", desc, x1, x2) ? 0 : 1;
    }
    /* The same time of day: a calendar interval of the days, in DT form. */
    ZINT_DESC days;
    if (zintfit("d", &days, nullptr, std::floor(x1 / kSecondsPerDay), std::floor(x2 / kSecondsPerDay)) != 0)
        return 1;
    char text[ZINT_NAME_MAX + 3];
    std::snprintf(text, sizeof text, "DT%s", days.name);
    /* A name too long for a descriptor is no fit, never a cut one. */
    if (int(std::strlen(text)) > ZINT_NAME_MAX) return 1;
    return zintstr(text, -1, desc) == 0 ? 0 : 1;
}

}  // namespace

int zintfit(const char *kind, ZINT_DESC *desc, ZINT_INFO *info, double x1, double x2)
{
    if (desc != nullptr) *desc = ZINT_DESC{};
    if (info != nullptr) *info = ZINT_INFO{};
    if (desc == nullptr || kind == nullptr || orvIsMissing(x1) || orvIsMissing(x2)) return 2;
    const double d = std::floor(x2) - std::floor(x1);
    if (!(d >= 1)) return 3;
    int rc = 1;
    switch (kind[0]) {
    case 'd': rc = fitDates(desc, x1, x2, d); break;
    case 's': rc = fitDatetimes(desc, x1, x2, d); break;
    case 'o': rc = fitNamed("OBS", "OBS", desc, x1, x2) ? 0 : 1; break;
    default: break;
    }
    if (rc != 0) {
        notIdentified(desc);
        return 1;
    }
    zintInfoFill(desc, info, x1);
    return 0;
}
