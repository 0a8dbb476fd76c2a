/*
 * month_starts.h - the months of the ordinary calendar by a table of the
 * first days of the 4800 months of a 400-year cycle, which repeats every
 * 146097 days: the month of a day and the first days of a month take a
 * division by a constant and one or two look-ups instead of a civil-date
 * conversion.  The closed forms of MONTH, QTR, SEMIYEAR and YEAR count in
 * these months (unit_families.h).
 *
 * Months are numbered from January 1960 (month 0), as zintCivilPartAt and
 * zintCivilPartSpan (interval_parts.h) number them with 12 parts a year.
 *
 * Exports: zintMonthStarts, zintMonthAt, zintMonthSpan.
 */
#ifndef ORV_INTERVAL_MONTH_STARTS_H
#define ORV_INTERVAL_MONTH_STARTS_H

#include <array>
#include <cstdint>

#include "host/civil_days.h"
#include "interval/interval_parts.h"

namespace zint_month_cycle {

/* The cycles are counted from 1 January 1200, before every valid day. */
constexpr int64_t kFirstYear = 1200;
constexpr int64_t kFirstDay = orvDaysFromCivil(kFirstYear, 1, 1);
constexpr int64_t kFirstMonth = 12 * (kFirstYear - 1960);
constexpr int64_t kDays = ORV_DAYS_PER_ERA;
constexpr int64_t kMonths = 4800;
/* guess(r) = floor((r - 15) x kMonths / kDays), in 32-bit fixed point, is
 * the month of day r of a cycle or the month before it (the table test
 * checks every day), so one look-up settles it. */
constexpr int64_t kGuessScale = ((int64_t(1) << 32) * kMonths + kDays / 2) / kDays;
constexpr int64_t kGuessLead = 15;

}  // namespace zint_month_cycle

/* zintMonthStarts[m]: the first day of month m of a cycle, in days from
 * the cycle's first day; [4800] is the cycle's length. */
inline constexpr std::array<int32_t, 4801> zintMonthStarts = [] {
    using namespace zint_month_cycle;
    std::array<int32_t, 4801> starts{};
    for (int m = 0; m < kMonths; ++m)
        starts[size_t(m)] = int32_t(orvDaysFromCivil(kFirstYear + m / 12, m % 12 + 1, 1) - kFirstDay);
    starts[kMonths] = int32_t(kDays);
    return starts;
}();
static_assert(zintMonthStarts[4799] == zint_month_cycle::kDays - 31);

namespace zint_month_cycle {

/* First days of month m (0 to 4799) of cycle `cycle` and of the month
 * after it. */
constexpr ZintPartSpan spanIn(uint32_t cycle, int64_t m)
{
    const int64_t cycleStart = kFirstDay + kDays * cycle;
    return ZintPartSpan{cycleStart + zintMonthStarts[size_t(m)], cycleStart + zintMonthStarts[size_t(m + 1)]};
}

}  // namespace zint_month_cycle

/* The month of a day, as zintCivilPartAt(12, day).  REQUIRES: 1 January
 * 1200 <= day < 2^31 days after it. */
constexpr ZintPartAt zintMonthAt(int64_t day)
{
    using namespace zint_month_cycle;
    const uint32_t fromFirst = uint32_t(day - kFirstDay);
    const uint32_t cycle = fromFirst / uint32_t(kDays);
    const int64_t r = int64_t(fromFirst - cycle * uint32_t(kDays)); /* [0, 146096] */
    const int64_t guess = ((r - kGuessLead) * kGuessScale) >> 32;   /* [-1, 4799] */
    const int64_t m = guess + (zintMonthStarts[size_t(guess + 1)] <= r);
    const ZintPartSpan span = spanIn(cycle, m);
    return ZintPartAt{kFirstMonth + kMonths * cycle + m, span.start, span.next};
}

/* First days of month `month` and of the next one, as
 * zintCivilPartSpan(12, month).  REQUIRES: the month lies from January
 * 1200 to 2^31 months after it. */
constexpr ZintPartSpan zintMonthSpan(int64_t month)
{
    using namespace zint_month_cycle;
    const uint32_t fromFirst = uint32_t(month - kFirstMonth);
    const uint32_t cycle = fromFirst / uint32_t(kMonths);
    return spanIn(cycle, fromFirst - cycle * uint32_t(kMonths));
}

#endif
