/*
 * week_year_steps.cpp - closed-form INTNX and INTCK of YEARV (see
 * week_year_steps.h).
 *
 * YEARV: week-years of m ISO years that start in ISO week w = (s mod 52) + 1
 * of the years congruent to 1960 + floor(s / 52) modulo m; the shift base
 * is WEEKV, so the same position counts whole ISO weeks.  The closed forms
 * take only week-years of 1583 to 19999, far from the ends of the range.
 */
#include "interval/week_year_steps.h"

#include <algorithm>
#include <cstdint>

#include "interval/calendar_weeks.h"
#include "interval/closed_values.h"
#include "interval/day_math.h"

namespace {

constexpr double kDay = double(ZINT_SECONDS_PER_DAY);

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
    w->seconds = desc.kind == 's';
    if (!zintClosedDay(x, w->seconds, nudged, &w->day)) return false;
    w->m = zintMultiplierOf(desc);
    w->startWeek = zintFloorMod(desc.shift, 52) + 1;
    w->yearShift = zintFloorDiv(desc.shift, 52);
    const ZidIsoWeekDate iso = zidTabledIsoWeekDate(w->day);
    const int64_t into = w->m == 1 ? 0 : zintFloorMod(iso.year - 1960, w->m);
    int64_t first = iso.year - into + w->yearShift;
    if (iso.year < first || (iso.year == first && iso.week < w->startWeek)) first -= w->m;
    w->firstYear = first;
    return w->m <= int64_t(ZINT_CLOSED_MOST_STEPS) && first >= kFirstWeekYear;
}

/* Start (a day) of the interval `count` intervals after x's; false when
 * it or the one after it leaves the week-years taken here. */
bool weekYearStart(const WeekYears &w, int64_t count, int64_t *day)
{
    const int64_t year = w.firstYear + w.m * count;
    if (year < kFirstWeekYear || year + w.m > kLastWeekYear) return false;
    *day = zidTabledYearStart(year) + 7 * (w.startWeek - 1);
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
    *result = w.seconds ? limit - kDay + zintTimeOfDay(x) : limit - 1;
    return true;
}

}  // namespace

bool zintWeekYearStep(const ZINT_DESC &desc, char align, double x, double n, double *result)
{
    WeekYears w;
    int64_t count = 0;
    if (!zintClosedSteps(n, &count) || !weekYearsOf(desc, x, true, &w)) return false;
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

namespace {

/* YEARV index of a day as zintck2 counts it: ISO weeks from 1960, a week
 * 53 counting as week 52. */
int64_t weekYearIndex(int64_t day)
{
    const ZidIsoWeekDate iso = zidTabledIsoWeekDate(day);
    return 52 * iso.year + (iso.week < 52 ? iso.week : 52) - 101921;
}

}  // namespace

bool zintWeekYearCount(const ZINT_DESC &desc, double from, double to, bool continuous, double *result)
{
    WeekYears w;
    int64_t toDay = 0;
    if (!weekYearsOf(desc, from, continuous, &w) || !zintClosedDay(to, w.seconds, false, &toDay))
        return false;
    const int64_t period = 52 * w.m;
    const int64_t lead = desc.shift != 0 ? period - desc.shift : 0;
    /* Plain YEARV (52 weeks) divides by a constant. */
    const auto intervalOf = [&](int64_t day) {
        const int64_t a = weekYearIndex(day) + lead;
        return period == 52 ? zintFloorDiv(a, 52) : zintFloorDiv(a, period);
    };
    int64_t count = intervalOf(toDay) - intervalOf(w.day);
    if (!continuous) {
        *result = double(count);
        return true;
    }
    double reached = 0;
    if (!weekYearSame(w, from, count, &reached)) return false;
    /* Whole intervals in the direction of from and to (as zintck3). */
    const bool countingBack = to < from;
    if (!countingBack && reached > to) {
        --count;
        if (!weekYearSame(w, from, count, &reached) || reached > to) return false;
    } else if (countingBack && reached < to) {
        ++count;
        if (!weekYearSame(w, from, count, &reached) || reached < to) return false;
    }
    *result = double(count);
    return true;
}

