/*
 * intnx.cpp - stepping by intervals with beginning, middle, end and
 * same-position alignment (see intnx.h).
 *
 * Every step is closed-form: one floor division on a day, part, working-day
 * or second index.  Products of a step count and an interval length are
 * checked against ZINT_PRODUCT_LIMIT before they are formed, and the
 * seconds and observation steps are computed in 128 bits, so no integer
 * operation can overflow; results that leave the exact range of a double
 * are missing.
 */
#include "interval/intnx.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "host/civil_days.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "interval/calendar_weeks.h"
#include "interval/custom_manager.h"
#include "interval/custom_ops.h"
#include "interval/custom_periods.h"
#include "interval/day_math.h"
#include "interval/intck.h"
#include "interval/interval_names.h"
#include "interval/interval_parts.h"
#include "interval/interval_table.h"
#include "interval/unit_steps.h"
#include "interval/working_days.h"

namespace {

using Wide = __int128;

/* Added before flooring x and n, so that 2.9999999999999996 steps as 3. */
constexpr double kNudge = 1e-12;
constexpr double kDay = double(ZINT_SECONDS_PER_DAY);

/* A 128-bit result as a double, missing when it is not exact. */
double exactResult(Wide value)
{
    const Wide limit = Wide(int64_t(1) << 53);
    return value >= -limit && value <= limit ? double(int64_t(value)) : orvMissing();
}

/* True when n intervals of `length` units would pass the product limit. */
bool stepTooLarge(int64_t n, int64_t length)
{
    return n != 0 && ZINT_PRODUCT_LIMIT / (n < 0 ? -n : n) < length;
}

/* DAY, WEEK and WEEKV (and the unnamed codes 26, 28 and 29, which step as
 * DAY). */
double periodStep(int code, int64_t day, int64_t n, int64_t m, int64_t s)
{
    const bool week = code == ZINT_WEEK || code == ZINT_WEEKV;
    const int64_t period = week ? 7 * m : m;
    /* Day 0 is a Friday: WEEK.1 weeks start 5 days before a multiple of 7,
     * WEEKV.1 weeks 4 days before. */
    int64_t offset = code == ZINT_WEEK ? s - 5 : code == ZINT_WEEKV ? s - 4 : s;
    if (stepTooLarge(n, period)) return orvMissing();
    if (period == 1) return double(day + n);
    if (offset != 0) offset = period - offset;
    return double(period * (n + zintFloorDiv(day + offset, period)) - offset);
}

/* YEARV: week-years of m ISO years starting in ISO week (s mod 52) + 1. */
double yearvStep(int64_t day, int64_t n, int64_t m, int64_t s)
{
    if (stepTooLarge(n, 371 * m)) return orvMissing();
    const OrvIsoWeekDate iso = orvIsoWeekDate(day);
    const int64_t r = zintFloorMod(iso.year - 1960, m);
    int64_t first = iso.year - r + zintFloorDiv(s, 52);
    const int64_t week = zintFloorMod(s, 52) + 1;
    if (iso.year < first || (iso.year == first && iso.week < week)) first -= m;
    const int64_t target = first + m * n;
    if (target < 1581 || target > 20001) return orvMissing();
    return double(orvIsoWeekStart(target, week));
}

/* Time of day of a datetime, in seconds. */
double timeOfDay(double x) { return x - kDay * std::floor(x / kDay); }

/* The kind a plain base interval of this code parses to. */
char plainKind(int code)
{
    if (code == ZINT_NONE) return 'u';
    if (code == ZINT_OBS) return 'o';
    return code < ZINT_FIRST_CALENDAR_CODE ? 's' : 'd';
}

/* The shift-base interval of each code: its code and its kind for a
 * descriptor of kind 's' and of any other kind; known false for a code
 * without an entry. */
struct ShiftBaseOf {
    bool known;
    uint8_t code;
    char kindOfSeconds;
    char kindOfOthers;
};

/* Made once from the base-code table (constant-initialized, so ready
 * before this), so that the per-call check of the cache is a lookup. */
const std::array<ShiftBaseOf, 256> kShiftBases = [] {
    std::array<ShiftBaseOf, 256> bases{};
    for (int code = 0; code < 256; ++code) {
        const ZintBaseEntry *entry = zintBaseEntry(code);
        if (entry == nullptr) continue;
        const ZintBaseEntry *base = zintBaseEntry(entry->shiftBaseCode);
        const char plain = plainKind(base->code);
        bases[size_t(code)] = ShiftBaseOf{true, base->code, base->hasDtForm ? 's' : plain, plain};
    }
    return bases;
}();

/* True when `cached` is the shift-base interval of desc: it is keyed on
 * everything zintshft derives it from (code, kind and, for WEEKDAY, the
 * days off). */
bool cacheFits(const ZINT_DESC &desc, const ZINT_DESC &cached)
{
    const ShiftBaseOf &base = kShiftBases[desc.code];
    const char kind = desc.kind == 's' ? base.kindOfSeconds : base.kindOfOthers;
    if (!base.known || cached.code != base.code || cached.kind != kind || cached.multiplier != 1 ||
        cached.shift != 0)
        return false;
    return base.code != ZINT_WEEKDAY || std::memcmp(cached.daysOff, desc.daysOff, 7) == 0;
}

/* The shift-base interval of desc: the cached one when it fits, else built
 * (and stored into the cache when there is one).  Null when desc has
 * none. */
const ZINT_DESC *shiftBaseFor(const ZINT_DESC &desc, ZINT_DESC *cache, ZINT_DESC *local)
{
    if (cache != nullptr && cache->code != 0 && cacheFits(desc, *cache)) return cache;
    if (zintshft(&desc, local) != 0) return nullptr;
    if (cache == nullptr) return local;
    *cache = *local;
    return cache;
}

/* End alignment: the last unit of the target interval; for WEEKDAY its
 * last working day (kind 's': that day's last second). */
double endOf(const ZINT_DESC &desc, double x, double n)
{
    const double next = zintnx2General(&desc, x, n + 1);
    if (orvIsMissing(next)) return orvMissing();
    if (desc.code != ZINT_WEEKDAY) return next - 1;
    const ZintWorkWeek week = zintWorkWeek(desc);
    const bool seconds = desc.kind == 's';
    const int64_t nextDay = int64_t(seconds ? next / kDay : next);
    const int64_t last = zintBackToWorkingDay(week, nextDay - 1);
    return seconds ? double((last + 1) * ZINT_SECONDS_PER_DAY - 1) : double(last);
}

/* Middle alignment of the interval that starts at b: its middle unit,
 * rounded down; for WEEKDAY the middle unit of its working time. */
double middleOf(const ZINT_DESC &desc, double b)
{
    const double next = zintnx2General(&desc, b, 1);
    if (orvIsMissing(next)) return orvMissing();
    if (desc.code != ZINT_WEEKDAY) return std::floor((b - 1 + next) * 0.5);
    const ZintWorkWeek week = zintWorkWeek(desc);
    const bool seconds = desc.kind == 's';
    const int64_t first = int64_t(seconds ? b / kDay : b);
    const int64_t last = zintBackToWorkingDay(week, int64_t(seconds ? next / kDay : next) - 1);
    const int64_t workingCount =
        zintWorkingDayIndex(week, last) - zintWorkingDayIndex(week, first) + 1;
    if (!seconds) return double(zintStepWorkingDays(week, first, (workingCount - 1) / 2));
    const int64_t middle = (workingCount * ZINT_SECONDS_PER_DAY - 1) / 2;
    const int64_t day = zintStepWorkingDays(week, first, middle / ZINT_SECONDS_PER_DAY);
    return double(day * ZINT_SECONDS_PER_DAY + middle % ZINT_SECONDS_PER_DAY);
}

/* Same-position alignment: as many shift-base units into the target
 * interval (which starts at b) as x lies into its own, plus the same
 * remainder, clipped to the target interval. */
double samePosition(const ZINT_DESC &desc, ZINT_DESC *cache, double x, double n, double b)
{
    const double start = zintnx2General(&desc, x, 0);
    ZINT_DESC local;
    const ZINT_DESC *base = shiftBaseFor(desc, cache, &local);
    if (orvIsMissing(start) || base == nullptr) return orvMissing();
    const double units = zintck2General(base, start, x);
    const double unitStart = zintnx2General(base, start, units);
    const double target = zintnx2General(base, b, units);
    /* The result must stay before both the next interval and the shift-base
     * unit after the target one; when either limit is unknown so is the
     * result. */
    const double nextInterval = zintnx2General(&desc, x, n + 1);
    const double nextUnit = zintnx2General(base, b, units + 1);
    if (orvIsMissing(units) || orvIsMissing(unitStart) || orvIsMissing(target) ||
        orvIsMissing(nextInterval) || orvIsMissing(nextUnit))
        return orvMissing();
    const double limit = std::min(nextInterval, nextUnit);
    const double result = target + (x - unitStart);
    if (result < limit) return result;

    if (base->code < ZINT_FIRST_CALENDAR_CODE) return limit - 1;
    double lastDay = 0;
    if (base->code == ZINT_WEEKDAY)
        lastDay = zintnx2General(base, limit, -1);
    else
        lastDay = desc.kind == 's' ? limit - kDay : limit - 1;
    if (orvIsMissing(lastDay)) return orvMissing();
    return desc.kind == 's' ? lastDay + timeOfDay(x) : lastDay;
}

/* zintnx4's same position for MONTH, QTR, SEMIYEAR and YEAR: the day of
 * month (and time of day) of x in the month reached, clipped to that
 * month's last day.  For MONTH the month reached is the one that starts
 * at b; for the others x's month moved by whole intervals. */
double sameDayOfMonth(const ZINT_DESC &desc, double x, double n, double b)
{
    const bool seconds = desc.kind == 's';
    const double xDay = seconds ? std::floor(x / kDay) : std::floor(x + kNudge);
    if (!zintDayInRange(xDay)) return orvMissing();
    const OrvCivilDate from = orvCivilFromDays(int64_t(xDay));
    int64_t year = 0;
    int month = 0;
    if (desc.code == ZINT_MONTH) {
        const OrvCivilDate reached = orvCivilFromDays(int64_t(seconds ? b / kDay : b));
        year = reached.year;
        month = reached.month;
    } else {
        const int64_t monthsPer = desc.code == ZINT_QTR ? 3 : desc.code == ZINT_SEMIYEAR ? 6 : 12;
        const int64_t count = int64_t(std::floor(n + kNudge));
        const Wide index =
            Wide(from.year) * 12 + (from.month - 1) + Wide(count) * zintMultiplierOf(desc) * monthsPer;
        const Wide reachedYear = index >= 0 ? index / 12 : -((-index + 11) / 12);
        if (reachedYear < 1581 || reachedYear > 20001) return orvMissing();
        year = int64_t(reachedYear);
        month = int(int64_t(index - reachedYear * 12)) + 1;
    }
    const int dayOfMonth = std::min(from.day, orvDaysInMonth(year, month));
    const double day = double(orvDaysFromCivil(year, month, dayOfMonth));
    if (!zintDayInRange(day)) return orvMissing();
    return seconds ? day * kDay + timeOfDay(x) : day;
}

/* A value a custom interval steps from: a number (floored), or .M or .I,
 * which the custom operations take as positions. */
bool customValue(double &x)
{
    if (orvIsMissing(x)) return zintIsCustomPosition(x, 'M') || zintIsCustomPosition(x, 'I');
    x = std::floor(x + kNudge);
    return true;
}

/* INTNX of a custom interval on a working record of its own: the begin, or
 * with `end` the end of the target period; the record's reference is
 * released before returning. */
double customStep(const ZINT_DESC &desc, double x, double n, bool end)
{
    if (!customValue(x) || orvIsMissing(n) || std::fabs(n) > ZINT_MAX_COUNT) return orvMissing();
    ZINT_SEAS rec{};
    rec.interval = desc;
    n = std::floor(n + kNudge);
    const double result = end ? customINTNXE(&rec, x, n) : customINTNX(&rec, x, n);
    zcintcReleaseRef(rec.customRef);
    return result;
}

/* zintnx3 and zintnx4 for a custom interval: "E" the end of the target
 * period, "M" the middle of its begin and end (rounded down), any other
 * alignment its begin.  A begin of .M (the open period before the data)
 * stands for itself except in the middle. */
double customAligned(const ZINT_DESC &desc, char align, double x, double n)
{
    const double b = customStep(desc, x, n, false);
    if (orvIsMissing(b)) {
        if (!zintIsCustomPosition(b, 'M')) {
            if (align != 'E') return b;
        } else if (align == 'M') {
            return orvMissing();
        }
    }
    if (align != 'E' && align != 'M') return b;
    const double e = customStep(desc, x, n, true);
    if (align == 'E' || orvIsMissing(e)) return e;
    return std::floor((b + e) * 0.5);
}

}  // namespace

double weekday(const ZINT_DESC *desc, int64_t day, int64_t n, int64_t m, int64_t s)
{
    if (desc == nullptr) return orvMissing();
    const ZintWorkWeek week = zintWorkWeek(*desc);
    if (week.working == 0) return orvMissing();
    if (m < 1) m = 1;
    if (stepTooLarge(n, m)) return orvMissing();
    day = zintBackToWorkingDay(week, day);
    if (m > 1) {
        /* Back to the first working day of the block of m that holds day:
         * blocks start where the working-day index is s modulo m. */
        const int64_t lead = s != 0 ? m - s : 0;
        const int64_t into = zintFloorMod(zintWorkingDayIndex(week, day) + lead, m);
        day = zintStepWorkingDays(week, day, -into);
        n *= m;
    }
    return double(zintStepWorkingDays(week, day, n));
}

double yearbase(int code, int64_t n, int64_t m, int64_t s, int64_t day)
{
    ZintParts parts;
    if (!zintPartsOf(code, m < 1 ? 1 : m, &parts)) {
        xebug("zintnx2: yearbase: bad intcode=%i", code);
        return orvMissing();
    }
    int64_t index = 0;
    if (!zintPartIndex(parts, day, &index)) return orvMissing();
    const int64_t length = parts.length;
    if (stepTooLarge(n, parts.guard * length)) return orvMissing();
    int64_t part = 0;
    if (length == 1) {
        part = index + n;
    } else {
        const int64_t lead = s != 0 ? length - s : 0;
        part = length * (n + zintFloorDiv(index + lead, length)) - lead;
    }
    int64_t start = 0;
    if (!zintPartStart(parts, part, &start)) return orvMissing();
    return double(start);
}

double zintnx2(const ZINT_DESC *desc, double x, double n)
{
    double result = 0;
    if (desc != nullptr && zintClosedStep(*desc, 'B', x, n, &result)) return result;
    return zintnx2General(desc, x, n);
}

double zintnx2General(const ZINT_DESC *desc, double x, double n)
{
    if (desc == nullptr) return orvMissing();
    if (desc->code > ZINT_YEARV) return customStep(*desc, x, n, false);
    if (orvIsMissing(x)) return orvMissing();
    if (orvIsMissing(n) || std::fabs(n) > ZINT_MAX_COUNT) return orvMissing();
    x = std::floor(x + kNudge);
    n = std::floor(n + kNudge);
    const int code = desc->code;
    const int64_t count = int64_t(n);
    const int64_t m = zintMultiplierOf(*desc);
    const int64_t s = desc->shift;

    if (code == ZINT_NONE) return x + n;
    if (code == ZINT_OBS) {
        if (desc->kind != 'o' || !zintIsExactInteger(x)) return orvMissing();
        /* Intervals start at the values congruent to the shift modulo m,
         * as zintck2 counts them. */
        const Wide start = Wide(zintFloorDiv(int64_t(x) - s, m)) * m + s;
        return exactResult(start + Wide(m) * count);
    }
    if (code < ZINT_FIRST_CALENDAR_CODE) {
        const int64_t unit = zintSecondsPerUnit(code);
        if (unit == 0) {
            xebug("zintnx2: bad intcode=%i", code);
            return orvMissing();
        }
        if (desc->kind != 's' || !zintIsExactInteger(x)) return orvMissing();
        const int64_t length = m * unit;
        const int64_t offset = s != 0 ? length - s * unit : 0;
        const Wide start = Wide(zintFloorDiv(int64_t(x) + offset, length));
        return exactResult((start + count) * length - offset);
    }

    double dayValue = 0;
    if (desc->kind == 's')
        dayValue = std::floor(x / kDay);
    else if (desc->kind == 'd')
        dayValue = x;
    else
        return orvMissing();
    if (!zintDayInRange(dayValue)) return orvMissing();
    const int64_t day = int64_t(dayValue);

    double result = 0;
    if (code == ZINT_YEARV)
        result = yearvStep(day, count, m, s);
    else if (code == ZINT_WEEKDAY)
        result = weekday(desc, day, count, m, s);
    else if (code < 32)
        result = periodStep(code, day, count, m, s);
    else
        result = yearbase(code, count, m, s, day);
    if (!zintDayInRange(result)) return orvMissing();
    return desc->kind == 's' ? result * kDay : result;
}

double zintnx3(const ZINT_DESC *desc, char align, ZINT_DESC *shiftBase, double x, double n)
{
    const ZintClosedForms *forms = desc != nullptr ? zintClosedFormsFor(*desc) : nullptr;
    if (forms == nullptr) return zintnx3General(desc, align, shiftBase, x, n);
    return forms->aligned[zintAlignSlot(align)](*desc, shiftBase, x, n);
}

double zintKeepShiftBase(const ZINT_DESC &desc, ZINT_DESC *shiftBase, double result)
{
    ZINT_DESC local;
    shiftBaseFor(desc, shiftBase, &local);
    return result;
}

double zintnx3General(const ZINT_DESC *desc, char align, ZINT_DESC *shiftBase, double x, double n)
{
    if (desc == nullptr || orvIsMissing(n)) return orvMissing();
    if (desc->code > ZINT_YEARV) return customAligned(*desc, align, x, n);
    const double b = zintnx2General(desc, x, n);
    /* A target interval outside the valid range may still end inside it. */
    if (orvIsMissing(b) && align != 'E') return orvMissing();
    switch (align) {
    case 'E': return endOf(*desc, x, n);
    case 'M': return middleOf(*desc, b);
    case 'S': return samePosition(*desc, shiftBase, x, n, b);
    default: return b;
    }
}

double zintnx4(const ZINT_DESC *desc, char align, double x, double n)
{
    if (desc == nullptr || orvIsMissing(n)) return orvMissing();
    if (desc->code > ZINT_YEARV) return customAligned(*desc, align, x, n);
    /* Only the same position differs from zintnx3. */
    double result = 0;
    if (align != 'S' && zintClosedStep(*desc, align, x, n, &result)) return result;
    const double b = zintnx2General(desc, x, n);
    if (orvIsMissing(b) && align != 'E') return orvMissing();
    switch (align) {
    case 'E': return endOf(*desc, x, n);
    case 'M': return middleOf(*desc, b);
    case 'S': break;
    default: return b;
    }
    switch (desc->code) {
    case ZINT_MONTH:
    case ZINT_QTR:
    case ZINT_SEMIYEAR:
    case ZINT_YEAR:
        return sameDayOfMonth(*desc, x, n, b);
    case ZINT_NONE: case ZINT_OBS: case ZINT_SECOND: case ZINT_MINUTE: case ZINT_HOUR:
    case ZINT_DAY: case ZINT_WEEKDAY: case ZINT_WEEK: case ZINT_WEEKV: case ZINT_TENDAY:
    case ZINT_SEMIMONTH: {
        const double start = zintnx2General(desc, x, 0);
        const double end = endOf(*desc, x, n);
        if (orvIsMissing(start) || orvIsMissing(end)) return orvMissing();
        return std::min(b + (x - start), end);
    }
    default:
        return samePosition(*desc, nullptr, x, n, b);
    }
}
