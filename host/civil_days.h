/*
 * civil_days.h - the one pair of conversions between day numbers and civil
 * dates, shared by the modules' interval library and the platform's date
 * services.
 *
 * A day number counts days since 1 January 1960 (day 0, a Friday); the
 * calendar is the proleptic Gregorian one, extended backwards before its
 * introduction and with no year 0 gap (year 0 is 1 BC, leap).
 *
 * Exports: OrvCivilDate, orvFloorDiv, orvIsLeapYear, orvDaysInMonth,
 * orvDaysFromCivil, orvCivilFromDays (all constexpr).
 *
 * Both conversions count in 400-year eras (146097 days each) of years that
 * start on 1 March, so that the leap day is the last day of its year and
 * month lengths follow a fixed 153-days-per-5-months pattern.
 */
#ifndef ORV_HOST_CIVIL_DAYS_H
#define ORV_HOST_CIVIL_DAYS_H

#include <cstdint>
#include <limits>

static_assert(std::numeric_limits<int64_t>::digits >= 63, "day arithmetic needs 64-bit integers");
static_assert(std::numeric_limits<int>::digits >= 31, "month and day fields need 32-bit int");

struct OrvCivilDate {
    int64_t year;
    int month; /* 1 to 12 */
    int day;   /* 1 to 31 */
};

/* Day number of 0000-03-01 counted back from 1960-01-01: the first day of
 * era 0 lies this many days before day 0. */
constexpr int64_t ORV_ERA0_TO_DAY0 = 715815;
constexpr int64_t ORV_DAYS_PER_ERA = 146097;

/* Floor of a / b for b > 0, also for negative a (where '/' would truncate
 * toward zero). */
constexpr int64_t orvFloorDiv(int64_t a, int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

constexpr bool orvIsLeapYear(int64_t year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

/* Days in month (1 to 12) of year; 0 for a month outside 1 to 12. */
constexpr int orvDaysInMonth(int64_t year, int month)
{
    constexpr int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && orvIsLeapYear(year) ? 29 : lengths[month - 1];
}

/*
 * Day number (days since 1 January 1960) of year-month-day.
 * REQUIRES: 1 <= month <= 12, 1 <= day <= orvDaysInMonth(year, month),
 * |year| <= 2^50 (so that no step overflows).
 */
constexpr int64_t orvDaysFromCivil(int64_t year, int month, int day)
{
    const int64_t y = year - (month <= 2 ? 1 : 0);           /* year starting 1 March */
    const int64_t era = orvFloorDiv(y, 400);                 /* [-2^42, 2^42] */
    const int64_t yoe = y - era * 400;                       /* [0, 399] */
    const int64_t mp = month > 2 ? month - 3 : month + 9;    /* [0, 11], March = 0 */
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;        /* [0, 365] */
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy; /* [0, 146096] */
    return era * ORV_DAYS_PER_ERA + doe - ORV_ERA0_TO_DAY0;
}

/*
 * Civil date of a day number (days since 1 January 1960).
 * REQUIRES: |days| <= 2^60.
 */
constexpr OrvCivilDate orvCivilFromDays(int64_t days)
{
    const int64_t z = days + ORV_ERA0_TO_DAY0;                 /* days since 0000-03-01 */
    const int64_t era = orvFloorDiv(z, ORV_DAYS_PER_ERA);      /* [-2^43, 2^43] */
    const int64_t doe = z - era * ORV_DAYS_PER_ERA;            /* [0, 146096] */
    /* The three corrections remove the leap days of the era so far: one per
     * 4 years, none per 100, one per 400 (the last day of the era). */
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365; /* [0, 399] */
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100); /* [0, 365] */
    const int64_t mp = (5 * doy + 2) / 153;                    /* [0, 11], March = 0 */
    const int day = int(doy - (153 * mp + 2) / 5 + 1);         /* [1, 31] */
    const int month = int(mp < 10 ? mp + 3 : mp - 9);          /* [1, 12] */
    const int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    return OrvCivilDate{year, month, day};
}

#endif
