/*
 * interval_parts.cpp - part indices of month-based intervals (see
 * interval_parts.h).
 */
#include "interval/interval_parts.h"

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

bool zintSplitPartIndex(const ZintParts &parts, int64_t day, int64_t *index)
{
    if (parts.calendar != 0 && day >= ORV_FAST_FIRST_DAY + 7 && day <= ORV_FAST_LAST_DAY - 7) {
        *index = zintRetailPartAt(zintRetailWeeks[zintRetailIndex(parts.calendar)], day).index;
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
    /* A retail month starts on the Monday of its first ISO week. */
    *day = zintRetailPartSpan(zintRetailWeeks[zintRetailIndex(parts.calendar)], part).start;
    return true;
}
