/*
 * interval_parts.cpp - part indices of month-based intervals (see
 * interval_parts.h).
 */
#include "interval/interval_parts.h"

#include <array>

#include "host/civil_days.h"
#include "interval/calendar_weeks.h"
#include "interval/day_math.h"
#include "interval/interval_desc.h"
#include "interval/retail_calendar.h"

bool zintPartsOf(int code, int64_t m, ZintParts *parts)
{
    *parts = ZintParts{zintRetailCalendar(code), 12, m, 31};
    switch (code) {
    case ZINT_TENDAY:
        parts->perYear = 36;
        parts->guard = 11;
        return true;
    case ZINT_SEMIMONTH:
        parts->perYear = 24;
        parts->guard = 16;
        return true;
    case ZINT_MONTH: case ZINT_R445MON: case ZINT_R454MON: case ZINT_R544MON:
        return true;
    case ZINT_QTR: case ZINT_R445QTR: case ZINT_R454QTR: case ZINT_R544QTR:
        parts->length = 3 * m;
        return true;
    case ZINT_SEMIYEAR:
        parts->length = 6 * m;
        return true;
    case ZINT_YEAR: case ZINT_R445YR: case ZINT_R454YR: case ZINT_R544YR:
        parts->length = 12 * m;
        return true;
    default:
        return false;
    }
}

namespace {

/* Retail month (1 to 12) of each 0-based ISO week 0 to 52, per calendar
 * 445, 454, 544: the number of months whose first week is at or before
 * it. */
const int *retailMonthOfWeek(int calendar)
{
    static const auto months = [] {
        std::array<std::array<int, 53>, 3> out{};
        const int calendars[] = {445, 454, 544};
        for (size_t c = 0; c < 3; ++c) {
            const int *table = zintRetailTable(calendars[c]);
            for (int week0 = 0; week0 < 53; ++week0) {
                int m = 0;
                while (m < 12 && table[m] <= week0) ++m;
                out[c][size_t(week0)] = m;
            }
        }
        return out;
    }();
    return months[calendar == 445 ? 0 : calendar == 454 ? 1 : 2].data();
}

}  // namespace

bool zintSplitPartIndex(const ZintParts &parts, int64_t day, int64_t *index)
{
    if (parts.calendar != 0 && day >= ORV_FAST_FIRST_DAY + 7 && day <= ORV_FAST_LAST_DAY - 7) {
        /* The ISO week of the day (its Thursday's year) and the retail month
         * that holds it. */
        const int64_t thursday = day - zintIsoDayOfWeek(day) + 4;
        const int64_t year = orvCivilFromDaysFast(thursday).year;
        const int64_t week0 = (thursday - orvDaysFromCivilFast(year, 1, 1)) / 7; /* [0, 52] */
        const int month = retailMonthOfWeek(parts.calendar)[week0];
        *index = 12 * (year - 1960) + (month - 1);
        return true;
    }
    int month = 0, dayOfMonth = 0, year = 0;
    if (zidmdydf(&month, &dayOfMonth, &year, parts.calendar, double(day)) != 0) return false;
    const int64_t monthIndex = 12 * (int64_t(year) - 1960) + (month - 1);
    if (parts.perYear == 36)
        *index = 3 * monthIndex + (dayOfMonth > 20) + (dayOfMonth > 10);
    else if (parts.perYear == 24)
        *index = 2 * monthIndex + (dayOfMonth > 15);
    else
        *index = monthIndex;
    return true;
}

bool zintRetailPartStart(const ZintParts &parts, int64_t part, int64_t *day)
{
    const int64_t year = 1960 + zintFloorDiv(part, parts.perYear);
    if (year < 1581 || year > 20001) return false;
    const int month = int(zintFloorMod(part, parts.perYear)) + 1;
    /* A retail month starts on the Monday of its first ISO week. */
    *day = zidIsoWeekStart(year, zintRetailTable(parts.calendar)[month - 1] + 1);
    return true;
}
