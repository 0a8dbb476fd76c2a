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
 * the ordinary calendar), zintSplitPartIndex, zintRetailPartStart.
 */
#ifndef ORV_INTERVAL_INTERVAL_PARTS_H
#define ORV_INTERVAL_INTERVAL_PARTS_H

#include <cstdint>

#include "host/civil_days.h"

struct ZintParts {
    int calendar;    /* 0, or the retail calendar 445, 454, 544 */
    int64_t perYear; /* parts per year: 36 TENDAY, 24 SEMIMONTH, 12 months */
    int64_t length;  /* parts per interval */
    int64_t guard;   /* most days in one part: 11, 16 or 31 */
};

/* The parts of base code `code` with multiplier m (at least 1); false for a
 * code that is not month-based. */
bool zintPartsOf(int code, int64_t m, ZintParts *parts);

/* The two functions below for a retail calendar (445, 454 or 544); the
 * index also for an ordinary-calendar day outside the fast range of
 * host/civil_days.h. */
bool zintSplitPartIndex(const ZintParts &parts, int64_t day, int64_t *index);
bool zintRetailPartStart(const ZintParts &parts, int64_t part, int64_t *day);

/* Part index of a day; false when the day cannot be split into a date. */
inline bool zintPartIndex(const ZintParts &parts, int64_t day, int64_t *index)
{
    if (parts.calendar != 0) return zintSplitPartIndex(parts, day, index);
    if (day < ORV_FAST_FIRST_DAY || day > ORV_FAST_LAST_DAY)
        return zintSplitPartIndex(parts, day, index);
    const OrvCivilDate date = orvCivilFromDaysFast(day);
    const int64_t monthIndex = 12 * (date.year - 1960) + (date.month - 1);
    if (parts.perYear == 36)
        *index = 3 * monthIndex + (date.day > 20) + (date.day > 10);
    else if (parts.perYear == 24)
        *index = 2 * monthIndex + (date.day > 15);
    else
        *index = monthIndex;
    return true;
}

/* First day of part `part`; false when its year lies outside 1581 to
 * 20001 (beyond every valid day). */
inline bool zintPartStart(const ZintParts &parts, int64_t part, int64_t *day)
{
    if (parts.calendar != 0) return zintRetailPartStart(parts, part, day);
    /* Parts of the years 1581 to 20001, counted from 1561 so that the
     * divisions by the parts per year work on small unsigned numbers. */
    if (part < (1581 - 1960) * parts.perYear || part >= (20002 - 1960) * parts.perYear) return false;
    const uint32_t fromBase = uint32_t(part + (1960 - 1561) * parts.perYear);
    uint32_t year = 0, inYear = 0;
    int month = 0, dayOfMonth = 1;
    if (parts.perYear == 36) {
        year = orvDivideByMultiply(fromBase, 0x38E38E39, 35); /* / 36 */
        inYear = fromBase - 36 * year;
        month = int(inYear / 3) + 1;
        dayOfMonth = 1 + 10 * int(inYear % 3); /* 1, 11, 21 */
    } else if (parts.perYear == 24) {
        year = orvDivideByMultiply(fromBase, 0xAAAAAAAB, 36); /* / 24 */
        inYear = fromBase - 24 * year;
        month = int(inYear / 2) + 1;
        dayOfMonth = inYear % 2 == 0 ? 1 : 16;
    } else {
        year = orvDivideByMultiply(fromBase, 0xAAAAAAAB, 35); /* / 12 */
        month = int(fromBase - 12 * year) + 1;
    }
    *day = orvDaysFromCivilFast(int64_t(year) + 1561, month, dayOfMonth);
    return true;
}

#endif
