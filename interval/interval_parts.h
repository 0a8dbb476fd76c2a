/*
 * interval_parts.h - the part index of month-based intervals (TENDAY,
 * SEMIMONTH, months, quarters, half-years and years, retail ones
 * included), shared by stepping and counting.
 *
 * A part is a third of a month (TENDAY), half a month (SEMIMONTH) or a
 * month; parts are numbered from January 1960 (part 0), retail months in
 * their retail calendar.  An interval is `length` consecutive parts.
 *
 * Exports: ZintParts, zintPartsOf, zintPartIndex, zintPartStart.
 */
#ifndef ORV_INTERVAL_INTERVAL_PARTS_H
#define ORV_INTERVAL_INTERVAL_PARTS_H

#include <cstdint>

struct ZintParts {
    int calendar;    /* 0, or the retail calendar 445, 454, 544 */
    int64_t perYear; /* parts per year: 36 TENDAY, 24 SEMIMONTH, 12 months */
    int64_t length;  /* parts per interval */
    int64_t guard;   /* most days in one part: 11, 16 or 31 */
};

/* The parts of base code `code` with multiplier m (at least 1); false for a
 * code that is not month-based. */
bool zintPartsOf(int code, int64_t m, ZintParts *parts);

/* Part index of a day; false when the day cannot be split into a date. */
bool zintPartIndex(const ZintParts &parts, int64_t day, int64_t *index);

/* First day of part `part`; false when its year lies outside 1581 to
 * 20001 (beyond every valid day). */
bool zintPartStart(const ZintParts &parts, int64_t part, int64_t *day);

#endif
