/*
 * interval_nesting.cpp - zintc and its comparison steps (see
 * interval_nesting.h).
 *
 * Pairs with a common unit are settled by the common rule on (length,
 * phase), the phase being where a boundary falls, counted from an origin
 * both share.  WEEKDAY intervals, whose periods vary in days, are compared
 * as periodic sets of boundary days (DayPattern): a WEEKDAY of m working
 * days out of k per week repeats after 7m / gcd(k, m) days with
 * k / gcd(k, m) boundaries in between, so every subset test and count
 * looks at no more than seven boundaries.
 *
 * Every pair of families is decided by one function; the reverse order
 * calls it and turns the sign (reversed), so the answer is antisymmetric
 * by construction.
 */
#include "interval/interval_nesting.h"

#include <numeric>

#include "host/missing_values.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/day_math.h"
#include "interval/retail_calendar.h"
#include "interval/working_days.h"

namespace {

/* Lettered answers. */
double lengthsDoNotNest() { return skMissVal('M'); }
double outOfLine() { return skMissVal('S'); }
double neverCompared() { return skMissVal('B'); }
double noCommonWorkingDay() { return skMissVal('W'); }
double inconsistent() { return skMissVal('E'); }
double notComparable() { return orvMissing(); }

/* A result seen from the other side: numbers change sign (0 stays 0),
 * missing values keep their bit pattern. */
double reversed(double r)
{
    if (orvIsMissing(r)) return r;
    return r == 0 ? 0.0 : -r;
}

enum class Family { Obs, Time, Day, Weekday, Week, Weekv, Yearv, Tenday, Semimonth, Months, Retail, Custom, Unknown };

Family familyOf(int code)
{
    switch (code) {
    case ZINT_OBS: return Family::Obs;
    case ZINT_SECOND:
    case ZINT_MINUTE:
    case ZINT_HOUR: return Family::Time;
    case ZINT_DAY: return Family::Day;
    case ZINT_WEEKDAY: return Family::Weekday;
    case ZINT_WEEK: return Family::Week;
    case ZINT_WEEKV: return Family::Weekv;
    case ZINT_YEARV: return Family::Yearv;
    case ZINT_TENDAY: return Family::Tenday;
    case ZINT_SEMIMONTH: return Family::Semimonth;
    case ZINT_MONTH:
    case ZINT_QTR:
    case ZINT_SEMIYEAR:
    case ZINT_YEAR: return Family::Months;
    case ZINT_CUSTOM: return Family::Custom;
    default: return zintRetailCalendar(code) != 0 ? Family::Retail : Family::Unknown;
    }
}

/* Seconds in one unit, and units in a day, of a time code (0 otherwise). */
int64_t unitSeconds(int code) { return code == ZINT_SECOND ? 1 : code == ZINT_MINUTE ? 60 : code == ZINT_HOUR ? 3600 : 0; }
int64_t unitsPerDay(int code)
{
    const int64_t unit = unitSeconds(code);
    return unit == 0 ? 0 : ZINT_SECONDS_PER_DAY / unit;
}

/* Months in one period of a month-family or retail code. */
int64_t monthsOf(int code)
{
    switch (code) {
    case ZINT_QTR:
    case ZINT_R445QTR:
    case ZINT_R454QTR:
    case ZINT_R544QTR: return 3;
    case ZINT_SEMIYEAR: return 6;
    case ZINT_YEAR:
    case ZINT_R445YR:
    case ZINT_R454YR:
    case ZINT_R544YR: return 12;
    default: return 1;
    }
}

/*
 * The common rule: A of length la with a boundary at phase pa, B likewise,
 * in one unit from one origin.
 */
double commonRule(int64_t la, int64_t pa, int64_t lb, int64_t pb)
{
    if (lb < la) {
        if (la % lb != 0) return lengthsDoNotNest();
        return zintFloorMod(pa, lb) == zintFloorMod(pb, lb) ? double(la / lb) : outOfLine();
    }
    if (la < lb) {
        if (lb % la != 0) return lengthsDoNotNest();
        return zintFloorMod(pa, la) == zintFloorMod(pb, la) ? -double(lb / la) : outOfLine();
    }
    return zintFloorMod(pa, la) == zintFloorMod(pb, la) ? 0.0 : outOfLine();
}

double forgotB(int code)
{
    xebug("zintc: forgot a B code: %i", code);
    return notComparable();
}

/* ---- Boundaries on the day line ---- */

/* The boundary days of a periodic interval: base + offsets[i] + j x period
 * for every whole j.  Invariant: offsets ascend from offsets[0] = 0 and
 * stay below period; 1 <= count <= 7. */
struct DayPattern {
    int64_t base = 0;
    int64_t period = 1;
    int count = 1;
    int64_t offsets[7] = {};
};

DayPattern fixedPattern(int64_t length, int64_t phase)
{
    DayPattern p;
    p.period = length;
    p.base = zintFloorMod(phase, length);
    return p;
}

/* The pattern of a WEEKDAY interval; false when no day is a working day. */
bool weekdayPattern(const ZINT_DESC &desc, DayPattern *out)
{
    const ZintWorkWeek week = zintWorkWeek(desc);
    if (week.working == 0) return false;
    const int64_t m = zintMultiplierOf(desc);
    const int64_t g = std::gcd(int64_t(week.working), m);
    const int64_t first = zintBackToWorkingDay(week, 0);
    const int64_t index = zintWorkingDayIndex(week, first);
    int64_t day = zintStepWorkingDays(week, first, zintFloorMod(desc.shift - index, m));
    DayPattern p;
    p.base = day;
    p.count = int(week.working / g);
    p.period = 7 * (m / g);
    for (int i = 0; i < p.count; ++i) {
        p.offsets[i] = day - p.base;
        day = zintStepWorkingDays(week, day, m);
    }
    *out = p;
    return true;
}

bool holds(const DayPattern &p, int64_t day)
{
    const int64_t r = zintFloorMod(day - p.base, p.period);
    for (int i = 0; i < p.count; ++i)
        if (p.offsets[i] == r) return true;
    return false;
}

/* Boundaries of p in [from, to). */
int64_t boundariesIn(const DayPattern &p, int64_t from, int64_t to)
{
    int64_t n = 0;
    for (int i = 0; i < p.count; ++i) {
        const int64_t at = p.base + p.offsets[i];
        n += zintFloorDiv(to - 1 - at, p.period) - zintFloorDiv(from - 1 - at, p.period);
    }
    return n;
}

/* True when every boundary of a is one of b.  A boundary of a comes back
 * to the same place in b's period after period_b / gcd steps of a's
 * period; more distinct places than b has boundaries cannot all be
 * boundaries. */
bool boundariesWithin(const DayPattern &a, const DayPattern &b)
{
    const int64_t steps = b.period / std::gcd(a.period, b.period);
    if (steps > b.count) return false;
    for (int i = 0; i < a.count; ++i)
        for (int64_t j = 0; j < steps; ++j)
            if (!holds(b, a.base + a.offsets[i] + j * a.period)) return false;
    return true;
}

/* The number of b's periods in each period of a (a's boundaries being
 * b's): that number, or 1 when it varies. */
double periodsPerPeriod(const DayPattern &a, const DayPattern &b)
{
    int64_t first = -1;
    for (int i = 0; i < a.count; ++i) {
        const int64_t from = a.base + a.offsets[i];
        const int64_t to = i + 1 < a.count ? a.base + a.offsets[i + 1] : a.base + a.period;
        const int64_t n = boundariesIn(b, from, to);
        if (first < 0) first = n;
        if (n != first) return 1;
    }
    return double(first);
}

double comparePatterns(const DayPattern &a, const DayPattern &b)
{
    const bool aInB = boundariesWithin(a, b);
    const bool bInA = boundariesWithin(b, a);
    if (aInB && bInA) return 0;
    if (aInB) return periodsPerPeriod(a, b);
    if (bInA) return reversed(periodsPerPeriod(b, a));
    /* No nesting as placed: the lengths nest when the mean period of one
     * is a whole number of the other's. */
    const int64_t x = a.period * b.count;
    const int64_t y = b.period * a.count;
    return x % y == 0 || y % x == 0 ? outOfLine() : lengthsDoNotNest();
}

/* ---- Time intervals brought onto the day line ---- */

/* A time interval (code, multiplier h, stored shift s) seen in whole
 * days: `days` days hold exactly `perDays` periods; its boundaries that
 * fall on a midnight are the days congruent to `phase` modulo `days`
 * (none when !midnight). */
struct TimeInDays {
    int64_t days;
    int64_t perDays;
    int64_t phase;
    bool midnight;
};

/* Inverse of a modulo n (gcd(a, n) = 1, n >= 1). */
int64_t inverseModulo(int64_t a, int64_t n)
{
    int64_t r0 = zintFloorMod(a, n), r1 = n, s0 = 1, s1 = 0;
    while (r1 != 0) {
        const int64_t q = r0 / r1;
        int64_t t = r0 - q * r1;
        r0 = r1;
        r1 = t;
        t = s0 - q * s1;
        s0 = s1;
        s1 = t;
    }
    return zintFloorMod(s0, n);
}

bool timeInDays(int code, int64_t h, int64_t s, TimeInDays *out)
{
    const int64_t u = unitsPerDay(code);
    if (u == 0) {
        xebug("zintc: forgot a time code: %i", code);
        return false;
    }
    /* Midnight of day d lies at d x u units; a boundary lies at s modulo h.
     * d x u = s (mod h) has solutions exactly when gcd(u, h) divides s,
     * and they repeat every h / gcd days. */
    const int64_t g = std::gcd(u, h);
    out->days = h / g;
    out->perDays = u / g;
    out->midnight = zintFloorMod(s, g) == 0;
    out->phase = 0;
    if (out->midnight && out->days > 1)
        out->phase = zintFloorMod((s / g % out->days) * inverseModulo(u / g, out->days), out->days);
    return true;
}

/*
 * From r, X's relation to the DAY interval that holds `perDays` periods of
 * a time interval T, X's relation to T.
 */
double timeResult(double r, int64_t perDays)
{
    if (orvIsMissing(r) || perDays == 1) return r;
    if (r == 0) return double(perDays);
    if (r > 1) return r * double(perDays);
    if (r == 1) return 1;
    /* X nests in the DAY interval while T has boundaries inside a day that
     * X lacks: they cannot nest. */
    return lengthsDoNotNest();
}

/* X's relation to a time interval, given the function that relates X to a
 * DAY interval of length and phase in days (seen from X). */
template <typename ToDays>
double againstTime(int codeT, int64_t h, int64_t s, ToDays toDays)
{
    TimeInDays t{};
    if (!timeInDays(codeT, h, s, &t)) return notComparable();
    if (t.midnight) return timeResult(toDays(t.days, t.phase), t.perDays);
    /* No boundary of T on a midnight: out of line, unless the lengths
     * would not nest even when placed at midnight. */
    const double placed = timeResult(toDays(t.days, 0), t.perDays);
    return orvIsMissing(placed) ? placed : outOfLine();
}

/* ---- Rules shared by both orders of a pair ---- */

/* A DAY interval (length and stored shift in days) against the retail
 * codes or YEARV, seen from the DAY side: these start on Mondays. */
double dayAgainstWeekYears(int codeDay, int codeB, int64_t length, int64_t shift)
{
    if (codeDay != ZINT_DAY || (codeB != ZINT_YEARV && zintRetailCalendar(codeB) == 0)) {
        xebug("zintc: compDayWkvMult() incorrect codes: %d, %d", codeDay, codeB);
        return inconsistent();
    }
    if (length == 1) return -1;
    /* Day 3 (4 January 1960) is a Monday. */
    if (length == 7) return zintFloorMod(shift, 7) == 3 ? -1 : outOfLine();
    return lengthsDoNotNest();
}

/* WEEK against the retail codes or YEARV, seen from the WEEK side. */
double weekAgainstWeekYears(int64_t m, int64_t shift)
{
    if (m > 1) return lengthsDoNotNest();
    return shift == 1 ? -1 : outOfLine(); /* WEEK.2 starts on Mondays */
}

/* WEEKV against the retail codes or YEARV, seen from the WEEKV side. */
double weekvAgainstWeekYears(int64_t m, int64_t shift)
{
    if (m > 1) return lengthsDoNotNest();
    return shift == 0 ? -1 : outOfLine();
}

/* A retail interval (months of its calendar) against YEARV, seen from the
 * retail side: the YEARV start week must open a month of the calendar. */
double retailAgainstYearv(int codeA, int codeB, int64_t la, int64_t pa, int64_t mb, int64_t sb)
{
    const int *table = zintRetailTable(zintRetailCalendar(codeA));
    if (table == nullptr || codeB != ZINT_YEARV) {
        xebug("zintc: comRetWkv() incorrect codes: %d, %d", codeA, codeB);
        return inconsistent();
    }
    const int64_t week = zintFloorMod(sb, 52);
    for (int month = 0; month < 12; ++month)
        if (table[month] == week)
            return commonRule(la, pa, 12 * mb, 12 * zintFloorDiv(sb, 52) + month);
    return outOfLine();
}

/* A WEEKDAY against the retail codes or YEARV (Monday starts), from the
 * WEEKDAY side. */
double weekdayAgainstWeekYears(const ZINT_DESC &a, int64_t m, int64_t s)
{
    const ZintWorkWeek week = zintWorkWeek(a);
    if (week.working == 0) return notComparable();
    if (week.off[1]) return neverCompared();
    if (week.working % m != 0) return lengthsDoNotNest();
    if (m == 1) return -1;
    /* Blocks start where the working-day index is congruent to the shift;
     * Monday 4 January 1960 is day 3. */
    if (zintFloorMod(zintWorkingDayIndex(week, 3) - s, m) != 0) return outOfLine();
    return -1;
}

/* A DAY-like descriptor for handing a length and phase to the steps that
 * want a descriptor. */
ZINT_DESC dayDesc(int64_t length, int64_t shift)
{
    ZINT_DESC d{};
    d.kind = 'd';
    d.code = ZINT_DAY;
    d.multiplier = int32_t(length);
    d.shift = int32_t(shift);
    return d;
}

/* ---- A of the time codes ---- */

double timeFirst(const ZINT_DESC &a, const ZINT_DESC &b)
{
    const int64_t ua = unitSeconds(a.code);
    const int64_t la = zintMultiplierOf(a) * ua;
    const int64_t pa = a.shift * ua;
    const int64_t mb = zintMultiplierOf(b);
    const int64_t sb = b.shift;
    switch (familyOf(b.code)) {
    case Family::Obs: return neverCompared();
    case Family::Time: return commonRule(la, pa, mb * unitSeconds(b.code), sb * unitSeconds(b.code));
    case Family::Day: return commonRule(la, pa, mb * ZINT_SECONDS_PER_DAY, sb * ZINT_SECONDS_PER_DAY);
    case Family::Week:
        return commonRule(la, pa, 7 * mb * ZINT_SECONDS_PER_DAY,
                          zintFloorMod(sb - 5, 7 * mb) * ZINT_SECONDS_PER_DAY);
    case Family::Tenday:
    case Family::Semimonth:
    case Family::Months:
        /* Tendays and months vary in length: only a divisor of a day
         * nests, and only from midnight. */
        if (ZINT_SECONDS_PER_DAY % la != 0) return notComparable();
        return a.shift != 0 ? outOfLine() : -1;
    case Family::Weekday: return reversed(compweekday(&b, &a, mb, sb, a.code, zintMultiplierOf(a), a.shift));
    case Family::Weekv:
    case Family::Yearv: return reversed(compisowk(&b, &a, mb, sb, a.code, zintMultiplierOf(a), a.shift));
    case Family::Retail: return reversed(compretmon(&b, &a, mb, sb, a.code, zintMultiplierOf(a), a.shift));
    case Family::Custom: return notComparable();
    case Family::Unknown: break;
    }
    return forgotB(b.code);
}

/* ---- A of TENDAY, SEMIMONTH and the month family ---- */

double monthFirst(const ZINT_DESC &a, const ZINT_DESC &b)
{
    const Family fa = familyOf(a.code);
    const Family fb = familyOf(b.code);
    const int64_t mb = zintMultiplierOf(b);
    switch (fb) {
    case Family::Obs:
    case Family::Weekday:
    case Family::Week:
    case Family::Weekv:
    case Family::Retail:
    case Family::Yearv: return neverCompared();
    case Family::Time: {
        const int64_t perDay = unitsPerDay(b.code);
        if (mb > perDay || perDay % mb != 0) return notComparable();
        return b.shift != 0 ? outOfLine() : 1;
    }
    case Family::Day: return mb == 1 && b.shift == 0 ? 1 : notComparable();
    case Family::Custom: return notComparable();
    case Family::Tenday:
    case Family::Semimonth:
    case Family::Months: {
        if ((fa == Family::Tenday && fb == Family::Semimonth) ||
            (fa == Family::Semimonth && fb == Family::Tenday))
            return neverCompared();
        /* The finer unit of the two: a month is 3 tendays or 2 semimonths. */
        const int64_t perMonth =
            fa == Family::Tenday || fb == Family::Tenday ? 3 : fa == Family::Semimonth || fb == Family::Semimonth ? 2 : 1;
        const auto length = [perMonth](const ZINT_DESC &d, Family f) {
            return f == Family::Months ? monthsOf(d.code) * zintMultiplierOf(d) * perMonth : zintMultiplierOf(d);
        };
        const auto phase = [perMonth](const ZINT_DESC &d, Family f) {
            return f == Family::Months ? int64_t(d.shift) * perMonth : int64_t(d.shift);
        };
        return commonRule(length(a, fa), phase(a, fa), length(b, fb), phase(b, fb));
    }
    case Family::Unknown: break;
    }
    return forgotB(b.code);
}

bool sameCustomName(const ZINT_DESC &a, const ZINT_DESC &b)
{
    return a.nameLength == b.nameLength && a.nameLength > 0 &&
           wzbcup(a.name, b.name, a.nameLength) == 0;
}

}  // namespace

double compday(const ZINT_DESC *a, const ZINT_DESC *b, int64_t lengthA, int64_t shiftA,
               int codeB, int64_t multB, int64_t shiftB)
{
    switch (familyOf(codeB)) {
    case Family::Obs: return neverCompared();
    case Family::Time: {
        const int64_t perDay = unitsPerDay(codeB);
        return commonRule(lengthA * perDay, shiftA * perDay, multB, shiftB);
    }
    case Family::Day: return commonRule(lengthA, shiftA, multB, shiftB);
    case Family::Week: return commonRule(lengthA, shiftA, 7 * multB, zintFloorMod(shiftB - 5, 7 * multB));
    case Family::Weekv: return commonRule(lengthA, shiftA, 7 * multB, zintFloorMod(shiftB - 4, 7 * multB));
    case Family::Retail:
    case Family::Yearv: return dayAgainstWeekYears(ZINT_DAY, codeB, lengthA, shiftA);
    case Family::Tenday:
    case Family::Semimonth:
    case Family::Months: return lengthA == 1 && shiftA == 0 ? -1 : notComparable();
    case Family::Weekday: {
        (void)a;
        const ZINT_DESC day = dayDesc(lengthA, shiftA);
        return reversed(comp_weekday_day(b, &day));
    }
    case Family::Custom: return notComparable();
    case Family::Unknown: break;
    }
    return forgotB(codeB);
}

double compweek(const ZINT_DESC *a, const ZINT_DESC *b, int64_t lengthA, int64_t shiftA,
                int codeB, int64_t multB, int64_t shiftB)
{
    const int64_t la = 7 * lengthA;
    switch (familyOf(codeB)) {
    case Family::Obs:
    case Family::Tenday:
    case Family::Semimonth:
    case Family::Months: return neverCompared();
    case Family::Time: {
        /* Seen from the day line: a WEEK starts on day (shift - 5). */
        const int64_t perDay = unitsPerDay(codeB);
        return commonRule(la * perDay, zintFloorMod(shiftA - 5, la) * perDay, multB, shiftB);
    }
    case Family::Day: return commonRule(la, zintFloorMod(shiftA - 5, la), multB, shiftB);
    case Family::Week: return commonRule(la, shiftA, 7 * multB, shiftB);
    case Family::Weekv: return commonRule(la, shiftA, 7 * multB, zintFloorMod(shiftB + 1, 7 * multB));
    case Family::Retail:
    case Family::Yearv: return weekAgainstWeekYears(lengthA, shiftA);
    case Family::Weekday: return reversed(comp_weekday_week(b, a));
    case Family::Custom: return notComparable();
    case Family::Unknown: break;
    }
    return forgotB(codeB);
}

double compweekday(const ZINT_DESC *a, const ZINT_DESC *b, int64_t lengthA, int64_t shiftA,
                   int codeB, int64_t multB, int64_t shiftB)
{
    if (a == nullptr || a->code != ZINT_WEEKDAY) return inconsistent();
    switch (familyOf(codeB)) {
    case Family::Obs:
    case Family::Tenday:
    case Family::Semimonth:
    case Family::Months: return neverCompared();
    case Family::Time: {
        DayPattern pa;
        if (!weekdayPattern(*a, &pa)) return notComparable();
        return againstTime(codeB, multB, shiftB, [&pa](int64_t days, int64_t phase) {
            return comparePatterns(pa, fixedPattern(days, phase));
        });
    }
    case Family::Day: return comp_weekday_day(a, b);
    case Family::Week: return comp_weekday_week(a, b);
    case Family::Weekv: return comp_weekday_weekv(a, b);
    case Family::Weekday: {
        if (b == nullptr) return inconsistent();
        const ZintWorkWeek wa = zintWorkWeek(*a);
        const ZintWorkWeek wb = zintWorkWeek(*b);
        bool common = false;
        bool sameDaysOff = true;
        for (int d = 0; d < 7; ++d) {
            common = common || (!wa.off[d] && !wb.off[d]);
            sameDaysOff = sameDaysOff && wa.off[d] == wb.off[d];
        }
        if (!common) return noCommonWorkingDay();
        /* The same working days share one working-day index. */
        if (sameDaysOff) return commonRule(lengthA, shiftA, multB, shiftB);
        DayPattern pa, pb;
        if (!weekdayPattern(*a, &pa) || !weekdayPattern(*b, &pb)) return notComparable();
        return comparePatterns(pa, pb);
    }
    case Family::Retail:
    case Family::Yearv: return weekdayAgainstWeekYears(*a, lengthA, shiftA);
    case Family::Custom: return notComparable();
    case Family::Unknown: break;
    }
    return forgotB(codeB);
}

double compisowk(const ZINT_DESC *a, const ZINT_DESC *b, int64_t lengthA, int64_t shiftA,
                 int codeB, int64_t multB, int64_t shiftB)
{
    if (a == nullptr || (a->code != ZINT_WEEKV && a->code != ZINT_YEARV)) return inconsistent();
    const bool weekv = a->code == ZINT_WEEKV;
    switch (familyOf(codeB)) {
    case Family::Obs:
    case Family::Tenday:
    case Family::Semimonth:
    case Family::Months: return neverCompared();
    case Family::Day: return reversed(compday(b, a, multB, shiftB, a->code, lengthA, shiftA));
    case Family::Time:
        return againstTime(codeB, multB, shiftB, [&](int64_t days, int64_t phase) {
            const ZINT_DESC day = dayDesc(days, phase);
            return reversed(compday(&day, a, days, phase, a->code, lengthA, shiftA));
        });
    case Family::Weekday:
        if (weekv) return reversed(comp_weekday_weekv(b, a));
        return b == nullptr ? inconsistent() : reversed(compweekday(b, a, multB, shiftB, a->code, lengthA, shiftA));
    case Family::Week:
        /* In the ISO origin a WEEK starts on day (shift - 1). */
        if (weekv) return commonRule(7 * lengthA, shiftA, 7 * multB, zintFloorMod(shiftB - 1, 7 * multB));
        return reversed(weekAgainstWeekYears(multB, shiftB));
    case Family::Weekv:
        if (weekv) return commonRule(7 * lengthA, shiftA, 7 * multB, shiftB);
        return reversed(weekvAgainstWeekYears(multB, shiftB));
    case Family::Yearv:
        if (weekv) return weekvAgainstWeekYears(lengthA, shiftA);
        return commonRule(52 * lengthA, shiftA, 52 * multB, shiftB);
    case Family::Retail:
        if (weekv) return weekvAgainstWeekYears(lengthA, shiftA);
        return reversed(retailAgainstYearv(codeB, a->code, monthsOf(codeB) * multB, shiftB, lengthA, shiftA));
    case Family::Custom: return notComparable();
    case Family::Unknown: break;
    }
    return forgotB(codeB);
}

double compretmon(const ZINT_DESC *a, const ZINT_DESC *b, int64_t lengthA, int64_t shiftA,
                  int codeB, int64_t multB, int64_t shiftB)
{
    if (a == nullptr || zintRetailCalendar(a->code) == 0) return inconsistent();
    const int64_t la = monthsOf(a->code) * lengthA;
    switch (familyOf(codeB)) {
    case Family::Obs:
    case Family::Tenday:
    case Family::Semimonth:
    case Family::Months: return neverCompared();
    case Family::Week: return reversed(weekAgainstWeekYears(multB, shiftB));
    case Family::Weekv: return reversed(weekvAgainstWeekYears(multB, shiftB));
    case Family::Retail: {
        const int64_t lb = monthsOf(codeB) * multB;
        if (zintRetailCalendar(codeB) == zintRetailCalendar(a->code)) return commonRule(la, shiftA, lb, shiftB);
        /* Two calendars share only their quarter boundaries. */
        if (la % 3 != 0 && lb % 3 != 0) return lengthsDoNotNest();
        if (shiftA % 3 != 0 || shiftB % 3 != 0) return outOfLine();
        return commonRule(la, shiftA, lb, shiftB);
    }
    case Family::Yearv: return retailAgainstYearv(a->code, codeB, la, shiftA, multB, shiftB);
    case Family::Day: return reversed(dayAgainstWeekYears(ZINT_DAY, a->code, multB, shiftB));
    case Family::Time:
        return againstTime(codeB, multB, shiftB, [&](int64_t days, int64_t phase) {
            return reversed(dayAgainstWeekYears(ZINT_DAY, a->code, days, phase));
        });
    case Family::Weekday:
        return b == nullptr ? inconsistent() : reversed(compweekday(b, a, multB, shiftB, a->code, lengthA, shiftA));
    case Family::Custom: return notComparable();
    case Family::Unknown: break;
    }
    return forgotB(codeB);
}

namespace {

/* A WEEKDAY interval against a fixed run of days: the other descriptor must
 * have `code`; its periods are `daysPerUnit` days times its multiplier long
 * and start `origin` days off the day-number origin plus its shift. */
double weekdayAgainstFixed(const ZINT_DESC *weekdayDesc, const ZINT_DESC *other, int code,
                           int64_t daysPerUnit, int64_t origin)
{
    if (weekdayDesc == nullptr || other == nullptr || weekdayDesc->code != ZINT_WEEKDAY ||
        other->code != code)
        return inconsistent();
    DayPattern w;
    if (!weekdayPattern(*weekdayDesc, &w)) return notComparable();
    return comparePatterns(w, fixedPattern(daysPerUnit * zintMultiplierOf(*other),
                                           other->shift + origin));
}

}  // namespace

double comp_weekday_day(const ZINT_DESC *weekdayDesc, const ZINT_DESC *dayDesc)
{
    return weekdayAgainstFixed(weekdayDesc, dayDesc, ZINT_DAY, 1, 0);
}

double comp_weekday_week(const ZINT_DESC *weekdayDesc, const ZINT_DESC *weekDesc)
{
    return weekdayAgainstFixed(weekdayDesc, weekDesc, ZINT_WEEK, 7, -5);
}

double comp_weekday_weekv(const ZINT_DESC *weekdayDesc, const ZINT_DESC *weekvDesc)
{
    return weekdayAgainstFixed(weekdayDesc, weekvDesc, ZINT_WEEKV, 7, -4);
}

double wkdyS2wkS(const ZINT_DESC *weekdayDesc)
{
    if (weekdayDesc == nullptr || weekdayDesc->code != ZINT_WEEKDAY) return inconsistent();
    DayPattern w;
    if (!weekdayPattern(*weekdayDesc, &w)) return notComparable();
    constexpr int64_t kWeekOrigin = -5; /* Sunday 27 December 1959 */
    int64_t first = 0;
    for (int i = 0; i < w.count; ++i) {
        const int64_t at = w.base + w.offsets[i];
        /* The first day at or after the origin congruent to `at`. */
        const int64_t candidate = kWeekOrigin + zintFloorMod(at - kWeekOrigin, w.period);
        if (i == 0 || candidate < first) first = candidate;
    }
    return double(first - kWeekOrigin);
}

double zintc(const ZINT_DESC *a, const ZINT_DESC *b)
{
    if (a == nullptr || b == nullptr) return notComparable();
    const int64_t ma = zintMultiplierOf(*a);
    const int64_t mb = zintMultiplierOf(*b);
    if (a->code == b->code && a->shift == b->shift && a->code != ZINT_WEEKDAY && a->code != ZINT_CUSTOM)
        return commonRule(ma, 0, mb, 0);
    switch (familyOf(a->code)) {
    case Family::Obs: return familyOf(b->code) == Family::Obs ? commonRule(ma, a->shift, mb, b->shift) : neverCompared();
    case Family::Time: return timeFirst(*a, *b);
    case Family::Day: return compday(a, b, ma, a->shift, b->code, mb, b->shift);
    case Family::Week: return compweek(a, b, ma, a->shift, b->code, mb, b->shift);
    case Family::Weekday: return compweekday(a, b, ma, a->shift, b->code, mb, b->shift);
    case Family::Weekv:
    case Family::Yearv: return compisowk(a, b, ma, a->shift, b->code, mb, b->shift);
    case Family::Tenday:
    case Family::Semimonth:
    case Family::Months: return monthFirst(*a, *b);
    case Family::Retail: return compretmon(a, b, ma, a->shift, b->code, mb, b->shift);
    case Family::Custom:
        return b->code == ZINT_CUSTOM && sameCustomName(*a, *b) ? 0.0 : notComparable();
    case Family::Unknown: break;
    }
    xebug("zintc: forgot A code: %i", int(a->code));
    return notComparable();
}
