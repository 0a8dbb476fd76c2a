/*
 * working_days.cpp - working-day arithmetic of WEEKDAY intervals (see
 * working_days.h).
 */
#include "interval/working_days.h"

namespace {

/* The working week of a days-off mask (bit d: day d of the week is off). */
constexpr ZintWorkWeek workWeekOfMask(unsigned mask)
{
    ZintWorkWeek week{};
    for (int d = 0; d < 7; ++d) {
        week.off[d] = (mask >> d & 1) != 0;
        week.working += week.off[d] ? 0 : 1;
    }
    /* Day 7q is a Friday, so day 7q + f falls on weekday (f + 5) mod 7. */
    week.before[0] = 0;
    for (int f = 1; f < 7; ++f)
        week.before[f] = week.before[f - 1] + (week.off[(f + 5) % 7] ? 0 : 1);
    int r = 0;
    for (int f = 1; f <= 7; ++f)
        if (!week.off[(f + 5) % 7]) week.dayAt[r++] = f;
    if (week.working > 0) {
        week.inverse = ((uint64_t(1) << 31) + uint64_t(week.working) - 1) / uint64_t(week.working);
        /* Day f (week q = 0) has working-day index before[f]; the working
         * day of index k is 7 floor((k - 1) / working) + dayAt[(k - 1) mod
         * working]. */
        for (int f = 0; f < 7; ++f)
            for (int b = 0; b < week.working; ++b) {
                const int64_t k = week.before[f] + b;
                const int64_t q = zintFloorDiv(k - 1, week.working);
                week.stepFrom[f][b] = int8_t(7 * q + week.dayAt[k - 1 - q * week.working] - f);
            }
    }
    week.firstIndex = zintWorkingDayIndex(week, ZINT_FIRST_DAY - 1) + 1;
    week.lastIndex = zintWorkingDayIndex(week, ZINT_LAST_DAY);
    return week;
}

}  // namespace

constexpr std::array<ZintWorkWeek, 128> zintWorkWeeks = [] {
    std::array<ZintWorkWeek, 128> weeks{};
    for (unsigned mask = 0; mask < 128; ++mask) weeks[mask] = workWeekOfMask(mask);
    return weeks;
}();

bool zintIsDayOff(const ZintWorkWeek &week, int64_t day) { return week.off[zintDayOfWeek(day)]; }

int64_t zintBackToWorkingDay(const ZintWorkWeek &week, int64_t day)
{
    /* At most six days off in a row, since one day of the week works; the
     * bound keeps a week without a working day (which callers rule out)
     * from looping for ever. */
    for (int back = 0; back < 7 && zintIsDayOff(week, day); ++back) --day;
    return day;
}

int64_t zintStepWorkingDays(const ZintWorkWeek &week, int64_t day, int64_t n)
{
    /* Seven days later is the same weekday: exactly `working` working days
     * on. */
    day += 7 * zintFloorDiv(n, week.working);
    for (int64_t r = zintFloorMod(n, week.working); r > 0; --r) {
        ++day;
        while (zintIsDayOff(week, day)) ++day;
    }
    return day;
}

