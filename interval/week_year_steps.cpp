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

/* YEARV index of an ISO week date as zintck2 counts it: ISO weeks from
 * 1960, a week 53 counting as week 52. */
int64_t weekYearIndex(const OrvIsoWeekDate &iso)
{
    return 52 * iso.year + (iso.week < 52 ? iso.week : 52) - 101921;
}

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
    const OrvIsoWeekDate iso = zidTabledIsoWeekDate(w->day);
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

double weekYearValue(bool seconds, int64_t day) { return seconds ? double(day) * kDay : double(day); }

/* Same position of x (on day xDay) in the interval from day begin to day
 * next, x's own interval starting on day own: as many ISO weeks into the
 * target interval as x's week is into its own, clipped to the target's
 * end. */
double sameIn(bool seconds, double x, int64_t xDay, int64_t own, int64_t begin, int64_t next)
{
    /* x's ISO week starts on its Monday; weeks are whole from `own`. */
    const int64_t weekStart = xDay - (orvIsoWeekday(xDay) - 1);
    const int64_t target = begin + (weekStart - own);
    const double limit = weekYearValue(seconds, std::min(next, target + 7));
    const double value = weekYearValue(seconds, target) + (x - weekYearValue(seconds, weekStart));
    if (value < limit) return value;
    return seconds ? limit - kDay + zintTimeOfDay(x) : limit - 1;
}

/* Same position `count` week-years on; false when an interval start
 * leaves the week-years taken here. */
bool weekYearSame(const WeekYears &w, double x, int64_t count, double *result)
{
    int64_t own = 0, begin = 0, next = 0;
    if (!weekYearStart(w, 0, &own) || !weekYearStart(w, count, &begin) ||
        !weekYearStart(w, count + 1, &next))
        return false;
    *result = sameIn(w.seconds, x, w.day, own, begin, next);
    return true;
}

/* Whole intervals in the direction of from and to (as zintck3), given
 * the count of boundaries and the same position reached over them: the
 * same position one interval back (forward, counting back) lies in the
 * interval before (after) to's, so before (after) `to`, and is not
 * worked out; the caller checks that its week-years are ones taken here.
 * No branch on the comparison, which values in no order would
 * mispredict. */
struct WholeCount {
    int64_t count;
    bool back, forward;
};
WholeCount wholeCount(double from, double to, double reached, int64_t count)
{
    const bool countingBack = to < from;
    const bool back = !countingBack & (reached > to);
    const bool forward = countingBack & (reached < to);
    return WholeCount{count + int64_t(forward) - int64_t(back), back, forward};
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

/* zintWeekYearCount of plain YEARV (week-years from ISO week 1), with its
 * inputs and results: the interval of a day is its ISO week-year, so the
 * count is the difference of the week-years of from and to, and the
 * starts of from's and to's week-years and of the one after to's come
 * with the two table lookups of their days. */
bool plainWeekYearCount(bool seconds, double from, double to, bool continuous, double *result)
{
    int64_t fromDay = 0, toDay = 0;
    if (!zintClosedDay(from, seconds, continuous, &fromDay) || !zintClosedDay(to, seconds, false, &toDay))
        return false;
    const ZidIsoYear f = zidTabledIsoYear(fromDay);
    const ZidIsoYear t = zidTabledIsoYear(toDay);
    if (f.year < kFirstWeekYear) return false;
    const int64_t count = t.year - f.year;
    if (!continuous) {
        *result = double(count);
        return true;
    }
    /* The week-years weekYearSame takes: from's, to's and the one after. */
    if (f.year + 1 > kLastWeekYear || t.year < kFirstWeekYear || t.year + 2 > kLastWeekYear) return false;
    const double reached = sameIn(seconds, from, fromDay, f.start, t.start, t.next);
    const WholeCount whole = wholeCount(from, to, reached, count);
    if (int(whole.back & (t.year - 1 < kFirstWeekYear)) | int(whole.forward & (t.year + 3 > kLastWeekYear)))
        return false;
    *result = double(whole.count);
    return true;
}

}  // namespace

bool zintWeekYearCount(const ZINT_DESC &desc, double from, double to, bool continuous, double *result)
{
    if (desc.kind != 'd' && desc.kind != 's') return false;
    if (zintMultiplierOf(desc) == 1 && desc.shift == 0)
        return plainWeekYearCount(desc.kind == 's', from, to, continuous, result);
    WeekYears w;
    int64_t toDay = 0;
    if (!weekYearsOf(desc, from, continuous, &w) || !zintClosedDay(to, w.seconds, false, &toDay))
        return false;
    const int64_t period = 52 * w.m;
    const int64_t lead = desc.shift != 0 ? period - desc.shift : 0;
    const auto intervalOf = [&](int64_t index) { return zintFloorDiv(index + lead, period); };
    const int64_t count = intervalOf(weekYearIndex(zidTabledIsoWeekDate(toDay))) -
                          intervalOf(weekYearIndex(zidTabledIsoWeekDate(w.day)));
    if (!continuous) {
        *result = double(count);
        return true;
    }
    double reached = 0;
    if (!weekYearSame(w, from, count, &reached)) return false;
    const WholeCount whole = wholeCount(from, to, reached, count);
    const int64_t year = w.firstYear + w.m * count;
    if (int(whole.back & (year - w.m < kFirstWeekYear)) | int(whole.forward & (year + 3 * w.m > kLastWeekYear)))
        return false;
    *result = double(whole.count);
    return true;
}
