/*
 * retail_calendar.cpp - the retail month tables and zidmdydf (see
 * retail_calendar.h).
 */
#include "interval/retail_calendar.h"

#include <cmath>
#include <cstdint>

#include "host/civil_days.h"
#include "host/missing_values.h"
#include "interval/calendar_weeks.h"
#include "interval/interval_desc.h"

namespace {
/* Years are returned as int: dates further out than this are refused. */
constexpr double kSplitLimit = 365.0 * 2000000000.0;
}  // namespace

const int *zintRetailTable(int calendar)
{
    switch (calendar) {
    case 445: return r445mon_index;
    case 454: return r454mon_index;
    case 544: return r544mon_index;
    default: return nullptr;
    }
}

int zintRetailCalendar(int code)
{
    switch (code) {
    case ZINT_R445MON: case ZINT_R445QTR: case ZINT_R445YR: return 445;
    case ZINT_R454MON: case ZINT_R454QTR: case ZINT_R454YR: return 454;
    case ZINT_R544MON: case ZINT_R544QTR: case ZINT_R544YR: return 544;
    default: return 0;
    }
}

int zidmdydf(int *month, int *day, int *year, int calendar, double date)
{
    const int *table = zintRetailTable(calendar);
    if (calendar != 0 && table == nullptr) return -2;
    if (orvIsMissing(date) || !(date >= -kSplitLimit && date <= kSplitLimit)) return 1;
    const int64_t d = int64_t(std::floor(date));
    if (table == nullptr) {
        const OrvCivilDate civil = orvCivilFromDays(d);
        *month = civil.month;
        *day = civil.day;
        *year = int(civil.year);
        return 0;
    }
    const OrvIsoWeekDate iso = orvIsoWeekDate(d);
    const int week0 = iso.week - 1;
    int m = 0;
    while (m < 12 && table[m] <= week0) ++m; /* [1, 12]: table[0] is 0 */
    *month = m;
    *day = iso.day + 7 * (week0 - table[m - 1]);
    *year = int(iso.year);
    return 0;
}
