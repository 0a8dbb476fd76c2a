/*
 * unit_steps.cpp - closed-form INTNX and INTCK of the built-in calendar
 * intervals (see unit_steps.h).
 *
 * Unit index k of a day and unit start U(k) of an index: days (k = day),
 * working days (the working-day index), month parts (the part index) or,
 * for the time units, seconds, minutes or hours of a time or datetime.
 * Intervals are numbered q = floor((k + lead) / length), so interval q
 * holds the units length x q - lead to length x (q + 1) - lead - 1, as
 * zintnx2 and zintck2 number them.
 */
#include "interval/unit_steps.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "interval/calendar_weeks.h"
#include "interval/day_math.h"
#include "interval/interval_parts.h"
#include "interval/working_days.h"

namespace {

constexpr double kDay = double(ZINT_SECONDS_PER_DAY);
/* Added before flooring x in INTNX (as zintnx2 does). */
constexpr double kNudge = 1e-12;
/* Largest step count taken here: no product of it can come near the
 * limits the general code guards. */
constexpr double kMostSteps = 1048576.0; /* 2^20 */
constexpr double kSecondsLimit = 1125899906842624.0; /* 2^50 */

enum class Family { Days, WorkingDays, Parts, TimeUnits };

struct Units {
    Family family;
    bool seconds;                     /* calendar kind 's': values are seconds */
    int64_t unitSeconds;              /* TimeUnits: 1, 60 or 3600 */
    int64_t length;                   /* units per interval */
    int64_t lead;
    const ZintWorkWeek *week;         /* WorkingDays */
    ZintParts parts;                  /* Parts */
    int64_t firstUnit, lastUnit;      /* the units that start in the valid range */
};

int64_t leadOf(int64_t length, int64_t shift) { return shift != 0 ? length - shift : 0; }

/* Unit index of a day in the valid range or the day before it (of a
 * second, for the time units). */
[[gnu::always_inline]] inline int64_t unitIndex(const Units &u, int64_t day)
{
    switch (u.family) {
    case Family::Days: return day;
    case Family::WorkingDays: return zintWorkingDayIndex(*u.week, day);
    case Family::TimeUnits: /* `day` is a second here; constant divisors */
        return u.unitSeconds == 1 ? day : u.unitSeconds == 60 ? zintFloorDiv(day, 60)
                                                              : zintFloorDiv(day, 3600);
    default: {
        int64_t index = 0;
        zintPartIndex(u.parts, day, &index); /* cannot fail near the valid range */
        return index;
    }
    }
}

/* First day of unit k.  REQUIRES: u.firstUnit <= k <= u.lastUnit. */
[[gnu::always_inline]] inline int64_t unitStart(const Units &u, int64_t k)
{
    switch (u.family) {
    case Family::Days: return k;
    case Family::WorkingDays: return zintWorkingDayAt(*u.week, k);
    case Family::TimeUnits: return k * u.unitSeconds;
    default: {
        int64_t day = 0;
        zintPartStart(u.parts, k, &day); /* cannot fail for such k */
        return day;
    }
    }
}

/* Sets the units that start from the first to the last valid day: the one
 * after the unit of the day before the first, to the unit of the last. */
void setBounds(Units *u)
{
    u->firstUnit = unitIndex(*u, ZINT_FIRST_DAY - 1) + 1;
    u->lastUnit = unitIndex(*u, ZINT_LAST_DAY);
}

/* setBounds of month parts, worked out once per calendar and part size. */
void setPartBounds(Units *u)
{
    struct Bounds {
        int64_t first, last;
    };
    static const auto table = [] {
        std::array<Bounds, 12> out{};
        const int calendars[] = {0, 445, 454, 544};
        const int codes[] = {ZINT_TENDAY, ZINT_SEMIMONTH, ZINT_MONTH};
        for (int c = 0; c < 4; ++c)
            for (int p = 0; p < 3; ++p) {
                Units parts{};
                parts.family = Family::Parts;
                zintPartsOf(codes[p], 1, &parts.parts);
                parts.parts.calendar = calendars[c];
                setBounds(&parts);
                out[size_t(3 * c + p)] = Bounds{parts.firstUnit, parts.lastUnit};
            }
        return out;
    }();
    const int c = u->parts.calendar == 0 ? 0 : u->parts.calendar == 445 ? 1
                  : u->parts.calendar == 454 ? 2 : 3;
    const int p = u->parts.perYear == 36 ? 0 : u->parts.perYear == 24 ? 1 : 2;
    u->firstUnit = table[size_t(3 * c + p)].first;
    u->lastUnit = table[size_t(3 * c + p)].last;
}

/* The units of desc; false for the intervals left to the general code. */
[[gnu::always_inline]] inline bool unitsOf(const ZINT_DESC &desc, Units *units)
{
    if (desc.kind != 'd' && desc.kind != 's') return false;
    units->seconds = desc.kind == 's';
    const int64_t m = zintMultiplierOf(desc);
    const int64_t s = desc.shift;
    switch (desc.code) {
    case ZINT_DAY:
    case ZINT_WEEK:
    case ZINT_WEEKV: {
        units->family = Family::Days;
        units->length = desc.code == ZINT_DAY ? m : 7 * m;
        /* Day 0 is a Friday: WEEK.1 weeks start 5 days before a multiple of
         * 7, WEEKV.1 weeks 4 days before. */
        const int64_t offset = desc.code == ZINT_WEEK ? s - 5 : desc.code == ZINT_WEEKV ? s - 4 : s;
        units->lead = offset != 0 ? units->length - offset : 0;
        units->firstUnit = ZINT_FIRST_DAY;
        units->lastUnit = ZINT_LAST_DAY;
        return units->length <= int64_t(kMostSteps);
    }
    case ZINT_WEEKDAY: {
        units->family = Family::WorkingDays;
        units->week = &zintWorkWeek(desc);
        if (units->week->working == 0) return false;
        units->length = m;
        units->lead = leadOf(m, s);
        setBounds(units);
        return m <= int64_t(kMostSteps);
    }
    case ZINT_SECOND:
    case ZINT_MINUTE:
    case ZINT_HOUR:
        /* Times and datetimes in seconds; starts are seconds too. */
        if (desc.kind != 's') return false;
        units->family = Family::TimeUnits;
        units->seconds = false;
        units->unitSeconds = zintSecondsPerUnit(desc.code);
        units->length = m;
        units->lead = leadOf(m, s);
        units->lastUnit = int64_t(kSecondsLimit) / units->unitSeconds;
        units->firstUnit = -units->lastUnit;
        return m <= int64_t(kMostSteps);
    case ZINT_YEARV:
        return false;
    default:
        units->family = Family::Parts;
        if (!zintPartsOf(desc.code, m, &units->parts)) return false;
        units->length = units->parts.length;
        units->lead = leadOf(units->length, s);
        setPartBounds(units);
        return units->length <= int64_t(kMostSteps);
    }
}

bool startsInRange(const Units &u, int64_t k) { return k >= u.firstUnit && k <= u.lastUnit; }

/* floor(x) for |x| < 2^62, by truncation: std::floor is a library call
 * on the baseline x86-64 instruction set. */
int64_t floorOf(double x)
{
    const int64_t t = int64_t(x);
    return double(t) > x ? t - 1 : t;
}

/* The day of x (for the time units, its second); false for a missing x,
 * one outside the valid range, and (when nudged, for INTNX) one whose
 * floor the nudge would change. */
[[gnu::always_inline]] inline bool dayOf(const Units &u, double x, bool nudged, int64_t *day)
{
    if (!(std::fabs(x) <= kSecondsLimit)) return false; /* also false for NaN */
    const int64_t whole = floorOf(x);
    if (nudged && floorOf(x + kNudge) != whole) return false;
    if (u.family == Family::TimeUnits) { /* a second, not a day */
        *day = whole;
        return true;
    }
    /* Seconds of valid days lie far inside 2^50; there the integer floor
     * division gives floor(whole / 86400) exactly. */
    *day = u.seconds ? zintFloorDiv(whole, ZINT_SECONDS_PER_DAY) : whole;
    return *day >= ZINT_FIRST_DAY && *day <= ZINT_LAST_DAY;
}

/* The value of a unit start: in seconds for a calendar interval of kind
 * 's', else as it is (days, or the seconds of a time unit). */
double valueOfDay(const Units &u, int64_t day) { return u.seconds ? double(day) * kDay : double(day); }

/* Time of day of a datetime, in seconds. */
double timeOfDay(double x) { return x - kDay * std::floor(x / kDay); }

/* Where a value lies: its unit index and interval number. */
struct Position {
    int64_t unit;
    int64_t interval;
};

/* Interval number of unit k: floor((k + lead) / length).  For the unit
 * of a valid day (length and lead at most 2^20 + 7) the division fits 32
 * bits, where it is several times faster than in 64. */
[[gnu::always_inline]] inline int64_t intervalOf(const Units &u, int64_t k)
{
    if (u.length == 1) return k + u.lead;
    if (u.family == Family::TimeUnits) return zintFloorDiv(k + u.lead, u.length);
    const int32_t a = int32_t(k + u.lead);
    const int32_t b = int32_t(u.length);
    const int32_t q = a / b;
    return q - ((a % b != 0) & (a < 0));
}

[[gnu::always_inline]] inline Position positionOf(const Units &u, int64_t day)
{
    const int64_t k = unitIndex(u, day);
    return Position{k, intervalOf(u, k)};
}

/* Same-position alignment n intervals after x's, in value units: the
 * unit as far into the target interval as x's unit is into its own, plus
 * x's offset into its unit, clipped to the last day of that unit (keeping
 * the time of day).  False when a boundary leaves the valid range. */
bool samePosition(const Units &u, const Position &at, double x, int64_t n, double *result)
{
    const int64_t own = u.length * at.interval - u.lead;
    /* A count of seconds between two datetimes may be large: a product
     * that overflows is no valid unit either. */
    int64_t first = 0;
    if (__builtin_mul_overflow(u.length, at.interval + n, &first)) return false;
    first -= u.lead;
    const int64_t targetUnit = first + (at.unit - own);
    /* x's interval, the target interval and the one after it must start in
     * the valid range, as the general code asks; the units between them
     * then do too. */
    if (!startsInRange(u, own) || !startsInRange(u, first) || !startsInRange(u, first + u.length))
        return false;
    const double limit = valueOfDay(u, unitStart(u, targetUnit + 1));
    const double target = valueOfDay(u, unitStart(u, targetUnit));
    const double value = target + (x - valueOfDay(u, unitStart(u, at.unit)));
    if (value < limit) {
        *result = value;
        return true;
    }
    /* Past the target unit: its last day (a working-day unit is one day). */
    double lastDay = 0;
    if (u.family == Family::WorkingDays)
        lastDay = target;
    else
        lastDay = u.seconds ? limit - kDay : limit - 1;
    *result = u.seconds ? lastDay + timeOfDay(x) : lastDay;
    return true;
}

/*
 * YEARV: week-years of m ISO years that start in ISO week w = (s mod 52) + 1
 * of the years congruent to 1960 + floor(s / 52) modulo m; the shift base
 * is WEEKV, so the same position counts whole ISO weeks.  The closed forms
 * take only week-years of 1583 to 19999, far from the ends of the range.
 */
struct WeekYears {
    bool seconds;
    int64_t m;
    int64_t startWeek;  /* w */
    int64_t yearShift;  /* floor(s / 52), below m */
    int64_t day;        /* the day of the value */
    int64_t firstYear;  /* the week-year that starts its interval */
};

constexpr int64_t kFirstWeekYear = 1583;
constexpr int64_t kLastWeekYear = 19999;

/* The week-years of desc and the interval of x, as zintnx2 finds them;
 * false for a value or an interval the general code must take. */
bool weekYearsOf(const ZINT_DESC &desc, double x, bool nudged, WeekYears *w)
{
    if (desc.kind != 'd' && desc.kind != 's') return false;
    Units days{};
    days.family = Family::Days;
    days.seconds = desc.kind == 's';
    if (!dayOf(days, x, nudged, &w->day)) return false;
    w->seconds = days.seconds;
    w->m = zintMultiplierOf(desc);
    w->startWeek = zintFloorMod(desc.shift, 52) + 1;
    w->yearShift = zintFloorDiv(desc.shift, 52);
    const ZidIsoWeekDate iso = zidIsoWeekDate(w->day);
    int64_t first = iso.year - zintFloorMod(iso.year - 1960, w->m) + w->yearShift;
    if (iso.year < first || (iso.year == first && iso.week < w->startWeek)) first -= w->m;
    w->firstYear = first;
    return w->m <= int64_t(kMostSteps) && first >= kFirstWeekYear;
}

/* Start (a day) of the interval `count` intervals after x's; false when
 * it or the one after it leaves the week-years taken here. */
bool weekYearStart(const WeekYears &w, int64_t count, int64_t *day)
{
    const int64_t year = w.firstYear + w.m * count;
    if (year < kFirstWeekYear || year + w.m > kLastWeekYear) return false;
    *day = zidIsoWeekStart(year, w.startWeek);
    return true;
}

double weekYearValue(const WeekYears &w, int64_t day)
{
    return w.seconds ? double(day) * kDay : double(day);
}

/* Same position `count` week-years on: as many ISO weeks into the target
 * interval as x's week is into its own, clipped to the target's end. */
bool weekYearSame(const WeekYears &w, double x, int64_t count, double *result)
{
    int64_t own = 0, begin = 0, next = 0;
    if (!weekYearStart(w, 0, &own) || !weekYearStart(w, count, &begin) ||
        !weekYearStart(w, count + 1, &next))
        return false;
    /* x's ISO week starts on its Monday; weeks are whole from `own`. */
    const int64_t weekStart = w.day - (zintIsoDayOfWeek(w.day) - 1);
    const int64_t target = begin + (weekStart - own);
    const double limit = weekYearValue(w, std::min(next, target + 7));
    const double value = weekYearValue(w, target) + (x - weekYearValue(w, weekStart));
    if (value < limit) {
        *result = value;
        return true;
    }
    *result = w.seconds ? limit - kDay + timeOfDay(x) : limit - 1;
    return true;
}

bool weekYearStep(const ZINT_DESC &desc, char align, double x, double n, double *result)
{
    WeekYears w;
    if (!(std::fabs(n) <= kMostSteps) || double(int64_t(n)) != n) return false;
    if (!weekYearsOf(desc, x, true, &w)) return false;
    const int64_t count = int64_t(n);
    if (align == 'S') return weekYearSame(w, x, count, result);
    int64_t begin = 0, next = 0;
    if (!weekYearStart(w, count, &begin) || !weekYearStart(w, count + 1, &next)) return false;
    const int64_t scale = w.seconds ? ZINT_SECONDS_PER_DAY : 1;
    if (align == 'E')
        *result = double(scale * next - 1);
    else if (align == 'M')
        *result = double(zintFloorDiv(scale * begin - 1 + scale * next, 2));
    else
        *result = double(scale * begin);
    return true;
}

/* YEARV index of a day as zintck2 counts it: ISO weeks from 1960, a week
 * 53 counting as week 52. */
int64_t weekYearIndex(int64_t day)
{
    const ZidIsoWeekDate iso = zidIsoWeekDate(day);
    return 52 * iso.year + (iso.week < 52 ? iso.week : 52) - 101921;
}

bool weekYearCount(const ZINT_DESC &desc, double from, double to, bool continuous, double *result)
{
    WeekYears w;
    Units days{};
    days.family = Family::Days;
    days.seconds = desc.kind == 's';
    int64_t toDay = 0;
    if (!weekYearsOf(desc, from, continuous, &w) || !dayOf(days, to, false, &toDay)) return false;
    const int64_t period = 52 * w.m;
    const int64_t lead = leadOf(period, desc.shift);
    int64_t count = zintFloorDiv(weekYearIndex(toDay) + lead, period) -
                    zintFloorDiv(weekYearIndex(w.day) + lead, period);
    if (!continuous) {
        *result = double(count);
        return true;
    }
    double reached = 0;
    if (!weekYearSame(w, from, count, &reached)) return false;
    if (reached > to) {
        --count;
        if (!weekYearSame(w, from, count, &reached) || reached > to) return false;
    } else if (count < 0 && reached < to) {
        ++count;
        if (!weekYearSame(w, from, count, &reached) || reached < to) return false;
    }
    *result = double(count);
    return true;
}

}  // namespace

bool zintClosedStep(const ZINT_DESC &desc, char align, double x, double n, double *result)
{
    if (desc.code == ZINT_YEARV) return weekYearStep(desc, align, x, n, result);
    Units u;
    int64_t day = 0;
    if (!unitsOf(desc, &u) || !dayOf(u, x, true, &day)) return false;
    if (!(std::fabs(n) <= kMostSteps) || double(int64_t(n)) != n) return false;
    const Position at = positionOf(u, day);
    const int64_t count = int64_t(n);
    if (align == 'S') return samePosition(u, at, x, count, result);

    const int64_t first = u.length * (at.interval + count) - u.lead;
    const bool working = u.family == Family::WorkingDays;
    switch (align) {
    case 'E': {
        /* The general code asks only that the next interval start in range. */
        if (!startsInRange(u, first + u.length)) return false;
        if (!working) {
            *result = valueOfDay(u, unitStart(u, first + u.length)) - 1;
            return true;
        }
        /* The last working day; kind 's': its last second. */
        const int64_t last = unitStart(u, first + u.length - 1);
        *result = u.seconds ? double((last + 1) * ZINT_SECONDS_PER_DAY - 1) : double(last);
        return true;
    }
    case 'M': {
        if (!startsInRange(u, first) || !startsInRange(u, first + u.length)) return false;
        if (!working) {
            /* floor((begin - 1 + next) / 2) of whole values, in integers. */
            const int64_t scale = u.seconds ? ZINT_SECONDS_PER_DAY : 1;
            *result = double(zintFloorDiv(scale * unitStart(u, first) - 1 +
                                              scale * unitStart(u, first + u.length),
                                          2));
            return true;
        }
        /* The middle of the working time, rounded down. */
        if (!u.seconds) {
            *result = double(unitStart(u, first + (u.length - 1) / 2));
            return true;
        }
        const int64_t middle = (u.length * ZINT_SECONDS_PER_DAY - 1) / 2;
        const int64_t middleDay = unitStart(u, first + middle / ZINT_SECONDS_PER_DAY);
        *result = double(middleDay * ZINT_SECONDS_PER_DAY + middle % ZINT_SECONDS_PER_DAY);
        return true;
    }
    default:
        if (!startsInRange(u, first)) return false;
        *result = valueOfDay(u, unitStart(u, first));
        return true;
    }
}

bool zintClosedCount(const ZINT_DESC &desc, double from, double to, bool continuous,
                     double *result)
{
    if (desc.code == ZINT_YEARV) return weekYearCount(desc, from, to, continuous, result);
    Units u;
    int64_t fromDay = 0, toDay = 0;
    /* The continuous count steps from `from` as INTNX does, nudge and
     * all. */
    if (!unitsOf(desc, &u) || !dayOf(u, from, continuous, &fromDay) || !dayOf(u, to, false, &toDay))
        return false;
    const Position at = positionOf(u, fromDay);
    int64_t count = intervalOf(u, unitIndex(u, toDay)) - at.interval;
    if (!continuous) {
        *result = double(count);
        return true;
    }
    /* Whole intervals: the same position `count` intervals on must not pass
     * `to` (counting back, must not fall short of it). */
    double reached = 0;
    if (!samePosition(u, at, from, count, &reached))
        return false;
    if (reached > to) {
        --count;
        if (!samePosition(u, at, from, count, &reached) || reached > to) return false;
    } else if (count < 0 && reached < to) {
        ++count;
        if (!samePosition(u, at, from, count, &reached) || reached < to) return false;
    }
    *result = double(count);
    return true;
}
