/*
 * interval_parts.h - the part index of month-based intervals (TENDAY,
 * SEMIMONTH, months, quarters, half-years and years, retail ones
 * included), shared by stepping and counting.
 *
 * A part is a third of a month (TENDAY), half a month (SEMIMONTH) or a
 * month; parts are numbered from January 1960 (part 0), retail months in
 * their retail calendar.  An interval is `length` consecutive parts.
 *
 * Exports: ZintParts, zintPartsOf, zintPartIndex, zintPartStart (inline for
 * the ordinary calendar), zintSplitPartIndex, zintRetailPartStart, and the
 * parts with their first days, ZintPartAt, ZintPartSpan, zintCivilPartAt,
 * zintCivilPartInYears, zintCivilPartSpan, zintRetailPartIn,
 * zintRetailPartAt, zintRetailPartSpanBy, zintRetailPartSpan.
 */
#ifndef ORV_INTERVAL_INTERVAL_PARTS_H
#define ORV_INTERVAL_INTERVAL_PARTS_H

#include <cstdint>

#include "host/civil_days.h"
#include "interval/calendar_weeks.h"
#include "interval/retail_calendar.h"

struct ZintParts {
    int calendar;    /* 0, or the retail calendar 445, 454, 544 */
    int64_t perYear; /* parts per year: 36 TENDAY, 24 SEMIMONTH, 12 months */
    int64_t length;  /* parts per interval */
    int64_t guard;   /* most days in one part: 11, 16 or 31 */
};

/* The parts of base code `code` with multiplier m (at least 1); false for a
 * code that is not month-based. */
bool zintPartsOf(int code, int64_t m, ZintParts *parts);

/* A part that holds a day: its index and its first day (and, from
 * zintCivilPartAt, the first day of the next part). */
struct ZintPartAt {
    int64_t index;
    int64_t start;
    int64_t next;
};

/* The first days of a part and of the part after it. */
struct ZintPartSpan {
    int64_t start;
    int64_t next;
};

/* The part of an ordinary-calendar day, perYear 36, 24 or 12.
 * REQUIRES: ORV_FAST_FIRST_DAY <= day <= ORV_FAST_LAST_DAY. */
constexpr ZintPartAt zintCivilPartAt(int64_t perYear, int64_t day)
{
    const OrvCivilDate date = orvCivilFromDaysFast(day);
    const int64_t monthIndex = 12 * (date.year - 1960) + (date.month - 1);
    /* Parts chosen by arithmetic, not branches, which days in no order
     * would mispredict. */
    const int64_t monthStart = day - (date.day - 1);
    const int64_t monthLength = orvDaysInMonth(date.year, date.month);
    if (perYear == 36) {
        const int into = (date.day > 20) + (date.day > 10); /* [0, 2]: days 1, 11, 21 */
        return ZintPartAt{3 * monthIndex + into, monthStart + 10 * into,
                          monthStart + 10 * (into + 1) + (into == 2) * (monthLength - 30)};
    }
    if (perYear == 24) {
        const int into = date.day > 15; /* days 1, 16 */
        return ZintPartAt{2 * monthIndex + into, monthStart + 15 * into,
                          monthStart + 15 + into * (monthLength - 15)};
    }
    return ZintPartAt{monthIndex, monthStart, monthStart + monthLength};
}

/* True when an ordinary-calendar part lies in the years 1581 to 20001
 * (beyond every valid day), the parts zintCivilPartSpan takes. */
constexpr bool zintCivilPartInYears(int64_t perYear, int64_t part)
{
    return part >= (1581 - 1960) * perYear && part < (20002 - 1960) * perYear;
}

/* First days of an ordinary-calendar part and of the next one.
 * REQUIRES: zintCivilPartInYears(perYear, part). */
[[gnu::always_inline]] constexpr ZintPartSpan zintCivilPartSpan(int64_t perYear, int64_t part)
{
    /* Parts counted from 1561, so that the divisions by the parts per year
     * work on small unsigned numbers. */
    const uint32_t fromBase = uint32_t(part + (1960 - 1561) * perYear);
    if (perYear == 36) {
        const uint32_t year = orvDivideByMultiply(fromBase, 0x38E38E39, 35); /* / 36 */
        const uint32_t inYear = fromBase - 36 * year;                        /* [0, 35] */
        const uint32_t month = orvDivideByMultiply(inYear, 0xAAAAAAAB, 33);  /* / 3 */
        const uint32_t third = inYear - 3 * month;                           /* [0, 2] */
        const int64_t y = int64_t(year) + 1561;
        const int64_t start = orvDaysFromCivilFast(y, int(month) + 1, 1 + 10 * int(third));
        const int64_t length = 10 + (third == 2) * (orvDaysInMonth(y, int(month) + 1) - 30);
        return ZintPartSpan{start, start + length};
    }
    if (perYear == 24) {
        const uint32_t year = orvDivideByMultiply(fromBase, 0xAAAAAAAB, 36); /* / 24 */
        const uint32_t inYear = fromBase - 24 * year;                        /* [0, 23] */
        const int month = int(inYear / 2) + 1;
        const int64_t y = int64_t(year) + 1561;
        const int second = int(inYear % 2); /* the half from the 16th */
        const int64_t start = orvDaysFromCivilFast(y, month, 1 + 15 * second);
        const int64_t length = 15 + second * (orvDaysInMonth(y, month) - 30);
        return ZintPartSpan{start, start + length};
    }
    const uint32_t year = orvDivideByMultiply(fromBase, 0xAAAAAAAB, 35); /* / 12 */
    const int month = int(fromBase - 12 * year) + 1;
    const int64_t y = int64_t(year) + 1561;
    const int64_t start = orvDaysFromCivilFast(y, month, 1);
    return ZintPartSpan{start, start + orvDaysInMonth(y, month)};
}

/* The retail month of a day, given the ISO week-year that holds it and
 * the Mondays of that year's week 1 and of the next year's: a retail
 * month is a run of whole ISO weeks of its week-year, December running to
 * the next year. */
constexpr ZintPartAt zintRetailPartIn(const ZintRetailWeeks &weeks, int64_t isoYear,
                                      int64_t yearStart, int64_t nextYearStart, int64_t day)
{
    const uint32_t week0 = zidWholeWeeks(uint32_t(day - yearStart)); /* [0, 52] */
    const int month = weeks.monthOfWeek[week0];
    /* Chosen by a mask: a branch would mispredict one month in twelve. */
    const int64_t december = -int64_t(month == 12);
    const int64_t next = ((yearStart + 7 * weeks.nextMonthStartOfWeek[week0]) & ~december) |
                         (nextYearStart & december);
    return ZintPartAt{12 * (isoYear - 1960) + (month - 1), yearStart + 7 * weeks.monthStartOfWeek[week0],
                      next};
}

/* The retail month of a day.  REQUIRES: |day| <= 2^50. */
constexpr ZintPartAt zintRetailPartAt(const ZintRetailWeeks &weeks, int64_t day)
{
    const OrvIsoWeekDate iso = orvIsoWeekDate(day);
    return zintRetailPartIn(weeks, iso.year, day - (iso.day - 1) - 7 * (iso.week - 1),
                            orvIsoWeekStart(iso.year + 1, 1), day);
}

/* First days of retail month `part` (months from January 1960) and of
 * the next one, given yearStart(y), the Monday of ISO week 1 of year y. */
template <class YearStart>
constexpr ZintPartSpan zintRetailPartSpanBy(const ZintRetailWeeks &weeks, int64_t part,
                                            YearStart yearStart)
{
    const int64_t yearsOn = orvFloorDiv(part, 12);
    const int month = int(part - 12 * yearsOn); /* [0, 11] */
    const int64_t first = yearStart(1960 + yearsOn);
    const int64_t following = yearStart(1960 + yearsOn + 1); /* December ends its week-year */
    /* Chosen by a mask: a branch would mispredict one month in twelve. */
    const int64_t december = -int64_t(month == 11);
    const int64_t next = ((first + 7 * weeks.firstWeek[month + 1]) & ~december) | (following & december);
    return ZintPartSpan{first + 7 * weeks.firstWeek[month], next};
}

/* zintRetailPartSpanBy for any part.  REQUIRES: |part| <= 2^40. */
constexpr ZintPartSpan zintRetailPartSpan(const ZintRetailWeeks &weeks, int64_t part)
{
    return zintRetailPartSpanBy(weeks, part, [](int64_t year) { return orvIsoWeekStart(year, 1); });
}

/* The two functions below for a retail calendar (445, 454 or 544); the
 * index also for an ordinary-calendar day outside the fast range of
 * host/civil_days.h. */
bool zintSplitPartIndex(const ZintParts &parts, int64_t day, int64_t *index);
bool zintRetailPartStart(const ZintParts &parts, int64_t part, int64_t *day);

/* Part index of a day; false when the day cannot be split into a date. */
inline bool zintPartIndex(const ZintParts &parts, int64_t day, int64_t *index)
{
    if (parts.calendar != 0 || day < ORV_FAST_FIRST_DAY || day > ORV_FAST_LAST_DAY)
        return zintSplitPartIndex(parts, day, index);
    *index = zintCivilPartAt(parts.perYear, day).index;
    return true;
}

/* First day of part `part`; false when its year lies outside 1581 to
 * 20001 (beyond every valid day). */
inline bool zintPartStart(const ZintParts &parts, int64_t part, int64_t *day)
{
    if (parts.calendar != 0) return zintRetailPartStart(parts, part, day);
    if (!zintCivilPartInYears(parts.perYear, part)) return false;
    *day = zintCivilPartSpan(parts.perYear, part).start;
    return true;
}

#endif
