/*
 * iso_weeks.h - ISO 8601 week dates of day numbers, shared by the modules'
 * interval library and the platform's date formats and informats.
 *
 * Weeks start on Monday; week 1 of a week-year is the week that holds
 * 4 January (equally: its first Thursday), so a week belongs to the
 * calendar year of its Thursday.  Day numbers are those of civil_days.h
 * (day 0 = 1 January 1960, a Friday).
 *
 * Exports: OrvIsoWeekDate, orvIsoWeekday, orvIsoWeekDate, orvIsoWeekStart,
 * orvIsoWeeksInYear (all constexpr).
 */
#ifndef ORV_HOST_ISO_WEEKS_H
#define ORV_HOST_ISO_WEEKS_H

#include <cstdint>

#include "host/civil_days.h"

/* An ISO 8601 week date. */
struct OrvIsoWeekDate {
    int64_t year; /* the week-year, which can differ from the calendar year near 1 January */
    int week;     /* 1 to 53 */
    int day;      /* 1 = Monday to 7 = Sunday */
};

/* ISO weekday of a day number: 1 = Monday to 7 = Sunday.
 * REQUIRES: |day| <= 2^62. */
constexpr int orvIsoWeekday(int64_t day)
{
    /* Day 0 is a Friday: index 4 counting from Monday = 0. */
    return int(day + 4 - 7 * orvFloorDiv(day + 4, 7)) + 1; /* [1, 7] */
}

/* ISO week date of a day number (inline: the closed forms of INTNX and
 * INTCK call it per value).  REQUIRES: |day| <= 2^50. */
constexpr OrvIsoWeekDate orvIsoWeekDate(int64_t day)
{
    const int weekday = orvIsoWeekday(day);
    const int64_t thursday = day - weekday + 4;
    const int64_t year = orvCivilFromDays(thursday).year;
    const int week = int((thursday - orvDaysFromCivil(year, 1, 1)) / 7) + 1; /* [1, 53] */
    return OrvIsoWeekDate{year, week, weekday};
}

/* Day number of the Monday of ISO week `week` of ISO week-year `year`;
 * weeks outside 1 to 53 count on from week 1.  REQUIRES: |year| <= 2^40. */
constexpr int64_t orvIsoWeekStart(int64_t year, int64_t week)
{
    const int64_t january4 = orvDaysFromCivil(year, 1, 4);
    return january4 + 1 - orvIsoWeekday(january4) + 7 * (week - 1);
}

/* Weeks in ISO week-year `year`: 52 or 53.  REQUIRES: |year| <= 2^40. */
constexpr int orvIsoWeeksInYear(int64_t year)
{
    return int((orvIsoWeekStart(year + 1, 1) - orvIsoWeekStart(year, 1)) / 7);
}

static_assert(orvIsoWeekday(0) == 5 && orvIsoWeekday(-4) == 1 && orvIsoWeekday(-5) == 7);

#endif
