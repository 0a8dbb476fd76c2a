/*
 * intck.cpp - counting interval boundaries, discrete and continuous (see
 * intck.h).
 *
 * Every count is a difference of two floor divisions on the same index
 * that zintnx2 steps (seconds, observation numbers, days, working days,
 * month parts, ISO weeks), with the same offset for the shift.
 */
#include "interval/intck.h"

#include <cmath>
#include <cstdint>

#include "host/missing_values.h"
#include "host/services.h"
#include "interval/calendar_weeks.h"
#include "interval/custom_manager.h"
#include "interval/custom_ops.h"
#include "interval/custom_periods.h"
#include "interval/day_math.h"
#include "interval/interval_parts.h"
#include "interval/intnx.h"
#include "interval/unit_steps.h"
#include "interval/working_days.h"

namespace {

constexpr double kValueLimit = 1.3407807929942597E152;
constexpr double kDay = double(ZINT_SECONDS_PER_DAY);
/* Values up to this magnitude are counted exactly in 64-bit integers. */
constexpr double kIntegerLimit = 4611686018427387904.0; /* 2^62 */

bool usable(double value) { return !orvIsMissing(value) && std::fabs(value) <= kValueLimit; }

/* floor((to + offset) / length) - floor((from + offset) / length): exact
 * in integers where the values allow it, in doubles beyond. */
double boundariesBetween(double from, double to, int64_t length, int64_t offset)
{
    if (std::fabs(from) <= kIntegerLimit && std::fabs(to) <= kIntegerLimit) {
        const int64_t f = int64_t(from);
        const int64_t t = int64_t(to);
        if (length == 1) return double(t - f);
        return double(zintFloorDiv(t + offset, length) - zintFloorDiv(f + offset, length));
    }
    const double l = double(length);
    return std::floor((to + double(offset)) / l) - std::floor((from + double(offset)) / l);
}

/* Offset that turns "index congruent to the shift" into a floor division:
 * length - shift, or 0 without a shift. */
int64_t leadOf(int64_t length, int64_t shift) { return shift != 0 ? length - shift : 0; }

/* YEARV index of a day: ISO weeks counted from 1960, a week 53 counting as
 * week 52. */
int64_t yearvIndex(int64_t day)
{
    const OrvIsoWeekDate iso = orvIsoWeekDate(day);
    return 52 * iso.year + (iso.week < 52 ? iso.week : 52) - 101921;
}

/* The S-aligned value c intervals after from, missing when unknown. */
double stepSame(const ZINT_DESC *desc, double from, double c)
{
    return zintnx3General(desc, 'S', nullptr, from, c);
}

/* A value a custom interval counts from or to: a number within the limit
 * (floored), or .M or .I, which the custom operations take as
 * positions. */
bool customValue(double &value)
{
    if (orvIsMissing(value)) return zintIsCustomPosition(value, 'M') || zintIsCustomPosition(value, 'I');
    if (std::fabs(value) > kValueLimit) return false;
    value = std::floor(value);
    return true;
}

/* INTCK of a custom interval on a working record of its own, released
 * before returning. */
double customCount(const ZINT_DESC &desc, double from, double to)
{
    if (!customValue(from) || !customValue(to)) return orvMissing();
    ZINT_SEAS rec{};
    rec.interval = desc;
    const double count = customINTCK(&rec, from, to);
    zcintcReleaseRef(rec.customRef);
    return count;
}

}  // namespace

double zintck2(const ZINT_DESC *desc, double from, double to)
{
    const ZintClosedForms *forms = desc != nullptr ? zintClosedFormsFor(*desc) : nullptr;
    if (forms == nullptr) return zintck2General(desc, from, to);
    return forms->counted[0](*desc, from, to);
}

double zintck2General(const ZINT_DESC *desc, double from, double to)
{
    if (desc == nullptr) return orvMissing();
    if (desc->code > ZINT_YEARV) return customCount(*desc, from, to);
    if (!usable(from) || !usable(to)) return orvMissing();
    from = std::floor(from);
    to = std::floor(to);
    const int code = desc->code;
    const int64_t m = zintMultiplierOf(*desc);
    const int64_t s = desc->shift;

    if (code == ZINT_NONE) return to - from;
    if (code == ZINT_OBS) {
        if (desc->kind != 'o') return orvMissing();
        /* Boundaries at the values congruent to the shift, as in zintnx2. */
        return boundariesBetween(from, to, m, -s);
    }
    if (code < ZINT_FIRST_CALENDAR_CODE) {
        const int64_t unit = zintSecondsPerUnit(code);
        if (unit == 0) {
            xebug("zintck2: bad intcode=%i", code);
            return orvMissing();
        }
        if (desc->kind == 'd') {
            from *= kDay;
            to *= kDay;
        } else if (desc->kind != 's') {
            return orvMissing();
        }
        const int64_t length = m * unit;
        return boundariesBetween(from, to, length, leadOf(length, s * unit));
    }

    double fromDay = from;
    double toDay = to;
    if (desc->kind == 's') {
        fromDay = std::floor(from / kDay);
        toDay = std::floor(to / kDay);
    } else if (desc->kind != 'd') {
        return orvMissing();
    }
    if (!zintDayInRange(fromDay) || !zintDayInRange(toDay)) return orvMissing();
    const int64_t f = int64_t(fromDay);
    const int64_t t = int64_t(toDay);

    if (code == ZINT_WEEKDAY) {
        const ZintWorkWeek week = zintWorkWeek(*desc);
        if (week.working == 0) return orvMissing();
        const int64_t e = zintWorkingDayIndex(week, f);
        const int64_t h = zintWorkingDayIndex(week, t);
        if (m == 1) return double(h - e);
        const int64_t lead = leadOf(m, s);
        return double(zintFloorDiv(h + lead, m) - zintFloorDiv(e + lead, m));
    }
    if (code < 32) {
        const bool isWeek = code == ZINT_WEEK || code == ZINT_WEEKV;
        const int64_t period = isWeek ? 7 * m : m;
        const int64_t offset = code == ZINT_WEEK ? s - 5 : code == ZINT_WEEKV ? s - 4 : s;
        if (period == 1) return double(t - f);
        const int64_t lead = offset != 0 ? period - offset : 0;
        return double(zintFloorDiv(t + lead, period) - zintFloorDiv(f + lead, period));
    }
    if (code == ZINT_YEARV) {
        const int64_t period = 52 * m;
        const int64_t lead = leadOf(period, s);
        return double(zintFloorDiv(yearvIndex(t) + lead, period) -
                      zintFloorDiv(yearvIndex(f) + lead, period));
    }
    ZintParts parts;
    if (!zintPartsOf(code, m, &parts)) {
        xebug("zintck2: invalid intcode=%i", code);
        return orvMissing();
    }
    int64_t fromPart = 0;
    int64_t toPart = 0;
    if (!zintPartIndex(parts, f, &fromPart) || !zintPartIndex(parts, t, &toPart))
        return orvMissing();
    if (parts.length == 1) return double(toPart - fromPart);
    const int64_t lead = leadOf(parts.length, s);
    return double(zintFloorDiv(toPart + lead, parts.length) -
                  zintFloorDiv(fromPart + lead, parts.length));
}

double zintck3(const ZINT_DESC *desc, double from, double to)
{
    const ZintClosedForms *forms = desc != nullptr ? zintClosedFormsFor(*desc) : nullptr;
    if (forms == nullptr) return zintck3General(desc, from, to);
    return forms->counted[1](*desc, from, to);
}

double zintck3General(const ZINT_DESC *desc, double from, double to)
{
    double c = zintck2General(desc, from, to);
    if (orvIsMissing(c)) return orvMissing();
    const double reached = stepSame(desc, from, c);
    if (orvIsMissing(reached)) return orvMissing();
    /* A boundary crossed is a whole interval only when the same position in
     * the interval is reached too; counting backwards the same holds with
     * the comparison turned round.  The direction is that of from and to,
     * not the count's sign: a count of 0 or -1 backwards that has not yet
     * reached `to` is whole already. */
    const bool countingBack = to < from;
    if (!countingBack && reached > to) {
        c -= 1;
        const double back = stepSame(desc, from, c);
        if (orvIsMissing(back) || back > to) return orvMissing();
    } else if (countingBack && reached < to) {
        c += 1;
        const double forward = stepSame(desc, from, c);
        if (orvIsMissing(forward) || forward < to) return orvMissing();
    }
    return c;
}
