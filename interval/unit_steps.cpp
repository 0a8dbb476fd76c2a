/*
 * unit_steps.cpp - closed-form INTNX and INTCK of the built-in calendar
 * intervals (see unit_steps.h).
 *
 * A descriptor is decoded by one table lookup per code into its family of
 * units (unit_families.h) and its interval length and lead; each alignment
 * and count is then written once over the families and compiled per
 * family, so the call after the decoding branches on nothing but the
 * values.  The same position takes x's unit and its first day from one
 * civil conversion and the target unit's first days from one more: a
 * month keeps x's day of month clipped to the target month's length.
 * YEARV has closed forms of its own (week_year_steps.h).
 */
#include "interval/unit_steps.h"

#include <array>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "interval/closed_values.h"
#include "interval/day_math.h"
#include "interval/intck.h"
#include "interval/intnx.h"
#include "interval/unit_families.h"
#include "interval/week_year_steps.h"

namespace {

constexpr double kDay = double(ZINT_SECONDS_PER_DAY);

enum class Family : uint8_t {
    None, /* left to the general code */
    Days,
    WorkingDays,
    Seconds,
    Minutes,
    Hours,
    Tendays,
    Semimonths,
    Months,
    RetailMonths,
};

/* What a base code counts in. */
struct CodeUnits {
    Family family;
    int8_t perBase;   /* units per base interval */
    int8_t dayOffset; /* DAY, WEEK, WEEKV: day 0 is a Friday, so WEEK.1 weeks
                         start 5 days before a multiple of 7, WEEKV.1 weeks 4 */
    int8_t retail;    /* RetailMonths: position in zintRetailWeeks */
};

constexpr CodeUnits codeUnitsOf(int code)
{
    switch (code) {
    case ZINT_DAY: return {Family::Days, 1, 0, 0};
    case ZINT_WEEK: return {Family::Days, 7, -5, 0};
    case ZINT_WEEKV: return {Family::Days, 7, -4, 0};
    case ZINT_WEEKDAY: return {Family::WorkingDays, 1, 0, 0};
    case ZINT_SECOND: return {Family::Seconds, 1, 0, 0};
    case ZINT_MINUTE: return {Family::Minutes, 1, 0, 0};
    case ZINT_HOUR: return {Family::Hours, 1, 0, 0};
    case ZINT_TENDAY: return {Family::Tendays, 1, 0, 0};
    case ZINT_SEMIMONTH: return {Family::Semimonths, 1, 0, 0};
    case ZINT_MONTH: return {Family::Months, 1, 0, 0};
    case ZINT_QTR: return {Family::Months, 3, 0, 0};
    case ZINT_SEMIYEAR: return {Family::Months, 6, 0, 0};
    case ZINT_YEAR: return {Family::Months, 12, 0, 0};
    case ZINT_R445MON: return {Family::RetailMonths, 1, 0, 0};
    case ZINT_R454MON: return {Family::RetailMonths, 1, 0, 1};
    case ZINT_R544MON: return {Family::RetailMonths, 1, 0, 2};
    case ZINT_R445QTR: return {Family::RetailMonths, 3, 0, 0};
    case ZINT_R454QTR: return {Family::RetailMonths, 3, 0, 1};
    case ZINT_R544QTR: return {Family::RetailMonths, 3, 0, 2};
    case ZINT_R445YR: return {Family::RetailMonths, 12, 0, 0};
    case ZINT_R454YR: return {Family::RetailMonths, 12, 0, 1};
    case ZINT_R544YR: return {Family::RetailMonths, 12, 0, 2};
    default: return {Family::None, 0, 0, 0}; /* YEARV, custom, unnamed codes */
    }
}

/* Every code a descriptor's byte can hold. */
constexpr auto kCodeUnits = [] {
    std::array<CodeUnits, 256> table{};
    for (int code = 0; code < 256; ++code) table[size_t(code)] = codeUnitsOf(code);
    return table;
}();

struct UnitBounds {
    int64_t first, last;
};

/* The units that start from the first to the last valid day: the one
 * after the unit of the day before the first, to the unit of the last. */
template <class F>
constexpr UnitBounds boundsOf(const ZintUnits &u)
{
    return UnitBounds{F::index(u, ZINT_FIRST_DAY - 1) + 1, F::index(u, ZINT_LAST_DAY)};
}

static_assert(boundsOf<CivilParts<12>>(ZintUnits{}).first == 12 * (1582 - 1960) &&
              boundsOf<CivilParts<12>>(ZintUnits{}).last == 12 * (20000 - 1960) + 11);

/* Retail months: the month of a day by the ISO week date. */
constexpr UnitBounds retailBounds(size_t calendar)
{
    const ZintRetailWeeks &weeks = zintRetailWeeks[calendar];
    return UnitBounds{zintRetailPartAt(weeks, ZINT_FIRST_DAY - 1).index + 1,
                      zintRetailPartAt(weeks, ZINT_LAST_DAY).index};
}
/* ORDER: zintRetailWeeks. */
constexpr UnitBounds kRetailBounds[3] = {retailBounds(0), retailBounds(1), retailBounds(2)};

/* ceil(2^34 / length) for the lengths zintIntervalOf divides by
 * multiplying. */
constexpr auto kLengthInverses = [] {
    std::array<uint64_t, 65> table{};
    for (uint64_t length = 1; length <= 64; ++length)
        table[length] = ((uint64_t(1) << 34) + length - 1) / length;
    return table;
}();

int64_t leadOf(int64_t length, int64_t shift) { return shift != 0 ? length - shift : 0; }

/* The units of desc, of family F; false for the intervals left to the
 * general code. */
template <class F>
[[gnu::always_inline]] inline bool unitsOf(const ZINT_DESC &desc, const CodeUnits &c, ZintUnits *u)
{
    const int64_t s = desc.shift;
    u->seconds = desc.kind == 's';
    u->length = c.perBase * zintMultiplierOf(desc);
    u->lead = leadOf(u->length, s);
    if constexpr (std::is_same_v<F, DayUnits>) {
        const int64_t offset = s + c.dayOffset;
        u->lead = offset != 0 ? u->length - offset : 0;
        u->firstUnit = ZINT_FIRST_DAY;
        u->lastUnit = ZINT_LAST_DAY;
    } else if constexpr (std::is_same_v<F, WorkingDayUnits>) {
        u->week = &zintWorkWeek(desc);
        if (u->week->working == 0) return false;
        u->firstUnit = u->week->firstIndex;
        u->lastUnit = u->week->lastIndex;
    } else if constexpr (requires { F::kSecondsPerUnit; }) {
        /* Times and datetimes in seconds; starts are seconds too. */
        if (desc.kind != 's') return false;
        u->seconds = false;
        u->lastUnit = int64_t(ZINT_CLOSED_SECONDS_LIMIT) / F::kSecondsPerUnit;
        u->firstUnit = -u->lastUnit;
    } else if constexpr (std::is_same_v<F, RetailMonths>) {
        u->retail = &zintRetailWeeks[size_t(c.retail)];
        u->firstUnit = kRetailBounds[size_t(c.retail)].first;
        u->lastUnit = kRetailBounds[size_t(c.retail)].last;
    } else {
        constexpr UnitBounds b = boundsOf<F>(ZintUnits{});
        u->firstUnit = b.first;
        u->lastUnit = b.last;
    }
    if (u->length > int64_t(ZINT_CLOSED_MOST_STEPS)) return false;
    u->lengthInverse = u->length <= 64 ? kLengthInverses[size_t(u->length)] : 0;
    return true;
}

bool startsInRange(const ZintUnits &u, int64_t k) { return k >= u.firstUnit && k <= u.lastUnit; }

/* The day of x (for the time units, its second); false for a value the
 * closed forms do not take. */
template <class F>
[[gnu::always_inline]] inline bool dayOf(const ZintUnits &u, double x, bool nudged, int64_t *day)
{
    if constexpr (requires { F::kSecondsPerUnit; })
        return zintClosedWhole(x, nudged, day); /* a second, not a day */
    else
        return zintClosedDay(x, u.seconds, nudged, day);
}

/* The value of a unit start: in seconds for a calendar interval of kind
 * 's', else as it is (days, or the seconds of a time unit). */
double valueOfDay(const ZintUnits &u, int64_t day) { return zintDayValue(u.seconds, day); }

/* zintTimeOfDay(x) of a datetime on valid day xDay, without the library
 * call of floor: x / 86400 rounds to xDay or, in the last instants of the
 * day, to xDay + 1 (both exact doubles), so its floor is one of them.
 * More than a second before midnight it cannot round up (its distance to
 * xDay + 1 is far above the rounding error, 2^-29 here), so the division
 * is left to the last second. */
double timeOfDay(double x, int64_t xDay)
{
    const double next = double(xDay + 1);
    const bool roundsUp = !(x < kDay * next - 1) && x / kDay >= next;
    return x - kDay * (roundsUp ? next : double(xDay));
}

/* value where it lies below limit, else other: chosen by a mask in the
 * floating-point registers, not a branch, which the compiler may take for
 * a plain choice and which clipped positions (a weekend on a Thursday, a
 * retail month's fifth week) would mispredict. */
inline double belowOr(double value, double limit, double other)
{
    using Pair = double __attribute__((vector_size(16)));
    using PairMask = int64_t __attribute__((vector_size(16)));
    const Pair values = {value, other};
    const PairMask keep = values < Pair{limit, limit};
    return Pair((PairMask(values) & keep) | (PairMask(Pair{other, other}) & ~keep))[0];
}

/* x (on day xDay, in unit `at`) moved to the unit `target`, in value
 * units: the target's start plus x's offset into its own unit, clipped
 * to the target's last day (keeping the time of day).  Masked: the clipped
 * value chosen by belowOr, for the continuous count, where the compiler
 * has been seen to branch on the choice. */
template <class F, bool Masked = false>
[[gnu::always_inline]] inline double positionIn(const ZintUnits &u, const ZintUnitAt &at,
                                                const ZintUnitSpan &target, double x, int64_t xDay)
{
    const double limit = valueOfDay(u, target.next);
    const double targetValue = valueOfDay(u, target.start);
    const double value = targetValue + (x - valueOfDay(u, at.start));
    /* Past the target unit: its last day (a working-day unit is one day),
     * for a datetime at x's time of day. */
    const double lastDay = F::kWorking ? targetValue : u.seconds ? limit - kDay : limit - 1;
    const double clipped = u.seconds ? lastDay + timeOfDay(x, xDay) : lastDay;
    if constexpr (Masked)
        return belowOr(value, limit, clipped);
    else
        return value < limit ? value : clipped;
}

/* Same-position alignment n intervals after x's (interval q, unit `at`),
 * in value units: the unit as far into the target interval as x's unit
 * is into its own, positioned as positionIn.  False when a boundary
 * leaves the valid range. */
template <class F>
[[gnu::always_inline]] inline bool samePosition(const ZintUnits &u, const ZintUnitAt &at, int64_t q,
                                                double x, int64_t xDay, int64_t n, double *result)
{
    const int64_t own = u.length * q - u.lead;
    /* A count of seconds between two datetimes may be large: a product
     * that overflows is no valid unit either. */
    int64_t first = 0;
    if (__builtin_mul_overflow(u.length, q + n, &first)) return false;
    first -= u.lead;
    const int64_t targetUnit = first + (at.index - own);
    /* x's interval, the target interval and the one after it must start in
     * the valid range, as the general code asks; the units between them
     * then do too. */
    if (!startsInRange(u, own) || !startsInRange(u, first) || !startsInRange(u, first + u.length))
        return false;
    *result = positionIn<F>(u, at, F::span(u, targetUnit), x, xDay);
    return true;
}

/* Beginning alignment on intervals of one working day: the working day
 * n on from x's, found from x's day of the week and n's whole weeks. */
[[gnu::always_inline]] inline bool workingDayStep(const ZINT_DESC &desc, double x, double n, double *result)
{
    const ZintWorkWeek &week = zintWorkWeek(desc);
    const bool seconds = desc.kind == 's';
    int64_t count = 0, day = 0;
    if (week.working == 0 || !zintClosedSteps(n, &count) || !zintClosedDay(x, seconds, true, &day))
        return false;
    /* Working days keep their order, so the target's index lies in the
     * valid range's when its day does. */
    const int64_t target = zintWorkingDaysOn(week, day, count);
    if (target < ZINT_FIRST_DAY || target > ZINT_LAST_DAY) return false;
    *result = zintDayValue(seconds, target);
    return true;
}

/* zintClosedStep in the units of family F with alignment Align ('B', 'M',
 * 'E' or 'S'), over intervals of any length. */
template <class F, char Align>
[[gnu::always_inline]] inline bool stepOver(const ZINT_DESC &desc, double x, double n, double *result)
{
    ZintUnits u;
    int64_t count = 0, day = 0;
    if (!unitsOf<F>(desc, kCodeUnits[desc.code], &u) || !zintClosedSteps(n, &count) ||
        !dayOf<F>(u, x, true, &day))
        return false;
    if constexpr (Align == 'S') {
        const ZintUnitAt at = F::locate(u, day);
        return samePosition<F>(u, at, zintIntervalOf(u, at.index), x, day, count, result);
    }
    const int64_t first = u.length * (zintIntervalOf(u, F::index(u, day)) + count) - u.lead;
    if constexpr (Align == 'E') {
        /* The general code asks only that the next interval start in range. */
        if (!startsInRange(u, first + u.length)) return false;
        if (!F::kWorking) {
            *result = valueOfDay(u, F::start(u, first + u.length)) - 1;
            return true;
        }
        /* The last working day; kind 's': its last second. */
        const int64_t last = F::start(u, first + u.length - 1);
        *result = u.seconds ? double((last + 1) * ZINT_SECONDS_PER_DAY - 1) : double(last);
        return true;
    } else if constexpr (Align == 'M') {
        if (!startsInRange(u, first) || !startsInRange(u, first + u.length)) return false;
        if (!F::kWorking) {
            /* floor((begin - 1 + next) / 2) of whole values, in integers. */
            const ZintUnitSpan bounds = u.length == 1 ? F::span(u, first)
                                                      : ZintUnitSpan{F::start(u, first),
                                                                     F::start(u, first + u.length)};
            const int64_t scale = u.seconds ? ZINT_SECONDS_PER_DAY : 1;
            *result = double(zintFloorDiv(scale * bounds.start - 1 + scale * bounds.next, 2));
            return true;
        }
        /* The middle of the working time, rounded down. */
        if (!u.seconds) {
            *result = double(F::start(u, first + (u.length - 1) / 2));
            return true;
        }
        const int64_t middle = (u.length * ZINT_SECONDS_PER_DAY - 1) / 2;
        const int64_t middleDay = F::start(u, first + middle / ZINT_SECONDS_PER_DAY);
        *result = double(middleDay * ZINT_SECONDS_PER_DAY + middle % ZINT_SECONDS_PER_DAY);
        return true;
    } else {
        if (!startsInRange(u, first)) return false;
        *result = valueOfDay(u, F::start(u, first));
        return true;
    }
}

/* zintClosedStep in the units of family F with alignment Align ('B', 'M',
 * 'E' or 'S'). */
template <class F, char Align>
[[gnu::always_inline]] inline bool stepIn(const ZINT_DESC &desc, double x, double n, double *result)
{
    /* A one-day interval numbers as its units do, whatever its shift. */
    if constexpr (F::kWorking && Align == 'B')
        return zintMultiplierOf(desc) == 1 ? workingDayStep(desc, x, n, result)
                                           : stepOver<F, Align>(desc, x, n, result);
    else
        return stepOver<F, Align>(desc, x, n, result);
}

/* The continuous count (zintClosedCount) in the units u of family F,
 * with their kind (Seconds: datetimes) and, for One, their one unit per
 * interval fixed at compile time: neither is tested again per value, and
 * a one-unit interval is its unit, so the count is the difference
 * of the unit indices and the same position always lands in to's unit. */
template <class F, bool Seconds, bool One>
[[gnu::always_inline]] inline bool continuousIn(ZintUnits u, double from, double to, double *result)
{
    u.seconds = Seconds;
    if constexpr (One) u.length = 1;
    int64_t fromDay = 0, toDay = 0;
    /* The continuous count steps from `from` as INTNX does, nudge and
     * all. */
    if (!dayOf<F>(u, from, true, &fromDay) || !dayOf<F>(u, to, false, &toDay)) [[unlikely]]
        return false;
    /* A datetime in the last second of its day: its time of day may round
     * to 0 or a whole day when clipped, and the same position then leaves
     * its unit; left to the general code. */
    if (u.seconds && !(from < zintDayValue(true, fromDay + 1) - 1)) [[unlikely]]
        return false;
    const ZintUnitAt toAt = F::locate(u, toDay);
    const ZintUnitAt at = F::locate(u, fromDay);
    const int64_t q = zintIntervalOf(u, at.index);
    const int64_t toInterval = zintIntervalOf(u, toAt.index);
    const int64_t count = toInterval - q;
    /* The intervals the general code steps to must start in the valid
     * range: from's, to's (the same position `count` intervals on), the
     * one after it, and the one before or the one after that (a step back
     * or forward below).  All are asked for at once, declining a little
     * more near the ends of the range.  Units of valid days start in the
     * range, so from's interval can leave it only below, the others only
     * as far as the outer two. */
    const int64_t own = u.length * q - u.lead;
    const int64_t first = u.length * toInterval - u.lead;
    if (!startsInRange(u, own) || !startsInRange(u, first - u.length) ||
        !startsInRange(u, first + 2 * u.length)) [[unlikely]]
        return false;
    /* Whole intervals: the same position `count` intervals on must not pass
     * `to` (counting back, must not fall short of it).  It lies in its
     * unit, the one `count` intervals after from's: a unit before (after)
     * to's puts it before (after) `to`, and only in to's own unit are the
     * values compared, so the span taken is always to's, which comes with
     * its index and does not wait for the count. */
    const int64_t reachedUnit = at.index + u.length * count;
    /* Days and time units all have one length, so that from's offset
     * always stays below it and a branch predicts well; units of several
     * lengths clip often enough that a branch would mispredict. */
    constexpr bool kMasked = !std::is_same_v<F, DayUnits> && !requires { F::kSecondsPerUnit; };
    const double reached =
        positionIn<F, kMasked>(u, at, ZintUnitSpan{toAt.start, toAt.next}, from, fromDay);
    const bool inToUnit = reachedUnit == toAt.index;
    /* One interval back (forward, counting back): the same position there
     * lies before (after) the interval of `to`, so before (after) `to`.
     * No branch on `back`, which unordered values would mispredict. */
    const bool countingBack = to < from;
    const bool countingForward = !countingBack;
    const bool back = countingForward & ((reachedUnit > toAt.index) | (inToUnit & (reached > to)));
    const bool forward = countingBack & ((reachedUnit < toAt.index) | (inToUnit & (reached < to)));
    *result = double(count + int64_t(forward) - int64_t(back));
    return true;
}

/* zintClosedCount in the units of family F. */
template <class F>
[[gnu::always_inline]] inline bool countIn(const ZINT_DESC &desc, double from, double to, bool continuous,
                                           double *result)
{
    ZintUnits u;
    if (continuous) {
        if (!unitsOf<F>(desc, kCodeUnits[desc.code], &u)) return false;
        /* The kind and the length hold for every call with the
         * descriptor, so the branches that pick the form predict well. */
        if (u.seconds)
            return u.length == 1 ? continuousIn<F, true, true>(u, from, to, result)
                                 : continuousIn<F, true, false>(u, from, to, result);
        return u.length == 1 ? continuousIn<F, false, true>(u, from, to, result)
                             : continuousIn<F, false, false>(u, from, to, result);
    }
    int64_t fromDay = 0, toDay = 0;
    if (!unitsOf<F>(desc, kCodeUnits[desc.code], &u) || !dayOf<F>(u, from, false, &fromDay) ||
        !dayOf<F>(u, to, false, &toDay))
        return false;
    *result = double(zintIntervalOf(u, F::index(u, toDay)) - zintIntervalOf(u, F::index(u, fromDay)));
    return true;
}

using StepFn = bool (*)(const ZINT_DESC &desc, double x, double n, double *result);
using CountFn = bool (*)(const ZINT_DESC &desc, double from, double to, bool continuous, double *result);

/* zintnx3 with alignment Align: the closed form Step, else the general
 * code; a same position that the closed form answers keeps the caller's
 * shift-base record as the general code would. */
template <StepFn Step, char Align>
double alignedBy(const ZINT_DESC &desc, ZINT_DESC *shiftBase, double x, double n)
{
    double result = 0;
    if (!Step(desc, x, n, &result)) return zintnx3General(&desc, Align, shiftBase, x, n);
    if constexpr (Align == 'S') {
        if (shiftBase != nullptr) return zintKeepShiftBase(desc, shiftBase, result);
    }
    return result;
}

/* zintck2 (Continuous false) or zintck3: the closed form Count, else the
 * general code. */
template <CountFn Count, bool Continuous>
double countedBy(const ZINT_DESC &desc, double from, double to)
{
    double result = 0;
    if (Count(desc, from, to, Continuous, &result)) return result;
    return Continuous ? zintck3General(&desc, from, to) : zintck2General(&desc, from, to);
}

/* The forms of the step functions B, M, E, S and the count function. */
template <StepFn B, StepFn M, StepFn E, StepFn S, CountFn Count>
constexpr ZintClosedForms formsBy()
{
    return ZintClosedForms{{B, M, E, S},
                           Count,
                           {alignedBy<B, 'B'>, alignedBy<M, 'M'>, alignedBy<E, 'E'>, alignedBy<S, 'S'>},
                           {countedBy<Count, false>, countedBy<Count, true>}};
}

/* zintnx3 with beginning alignment on intervals of several working days;
 * out of line, so that its registers do not weigh on the one-day
 * intervals of workingDayAligned. */
[[gnu::noinline]] double workingDaysAligned(const ZINT_DESC &desc, ZINT_DESC *shiftBase, double x, double n)
{
    return alignedBy<stepOver<WorkingDayUnits, 'B'>, 'B'>(desc, shiftBase, x, n);
}

/* zintnx3 with beginning alignment on WEEKDAY intervals. */
double workingDayAligned(const ZINT_DESC &desc, ZINT_DESC *shiftBase, double x, double n)
{
    if (zintMultiplierOf(desc) != 1) return workingDaysAligned(desc, shiftBase, x, n);
    double result = 0;
    if (workingDayStep(desc, x, n, &result)) return result;
    return zintnx3General(&desc, 'B', shiftBase, x, n);
}

template <class F>
constexpr ZintClosedForms formsOf()
{
    ZintClosedForms forms =
        formsBy<stepIn<F, 'B'>, stepIn<F, 'M'>, stepIn<F, 'E'>, stepIn<F, 'S'>, countIn<F>>();
    if constexpr (F::kWorking) forms.aligned[0] = workingDayAligned;
    return forms;
}

template <char Align>
bool weekYearStepAs(const ZINT_DESC &desc, double x, double n, double *result)
{
    return zintWeekYearStep(desc, Align, x, n, result);
}

/* ORDER: Family, from Days on. */
constexpr ZintClosedForms kForms[] = {
    formsOf<DayUnits>(),        formsOf<WorkingDayUnits>(), formsOf<TimeUnits<1>>(),
    formsOf<TimeUnits<60>>(),   formsOf<TimeUnits<3600>>(), formsOf<CivilParts<36>>(),
    formsOf<CivilParts<24>>(),  formsOf<CivilParts<12>>(),  formsOf<RetailMonths>(),
};
static_assert(std::size(kForms) == size_t(Family::RetailMonths));

constexpr ZintClosedForms kWeekYearForms =
    formsBy<weekYearStepAs<'B'>, weekYearStepAs<'M'>, weekYearStepAs<'E'>, weekYearStepAs<'S'>,
            zintWeekYearCount>();

}  // namespace

constexpr std::array<const ZintClosedForms *, 256> zintClosedFormsOf = [] {
    std::array<const ZintClosedForms *, 256> forms{};
    for (size_t code = 0; code < 256; ++code) {
        const Family family = kCodeUnits[code].family;
        if (code == ZINT_YEARV)
            forms[code] = &kWeekYearForms;
        else if (family != Family::None)
            forms[code] = &kForms[size_t(family) - 1];
    }
    return forms;
}();
