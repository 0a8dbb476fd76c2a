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
 * orvDaysFromCivil, orvCivilFromDays, and the two ways each is computed,
 * orvDaysFromCivilFast, orvCivilFromDaysFast (in the fast range) and
 * orvDaysFromCivilByEras, orvCivilFromDaysByEras, and orvDivideByMultiply
 * (all constexpr).
 *
 * Both conversions count in years that start on 1 March, so that the leap
 * day is the last day of its year.  Within ORV_FAST_FIRST_DAY to
 * ORV_FAST_LAST_DAY (years -30000 to about 1.9 million) they work in
 * unsigned 32-bit arithmetic on a calendar moved 82 eras forward, with
 * multiply-and-shift steps in place of divisions (Neri and Schneider's
 * Euclidean affine forms); outside it, in 400-year eras (146097 days each)
 * of signed 64-bit days.  Both ways give the same dates (tests/host/
 * civil_days_test.cpp compares them).
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

/* Written with & and | so that it compiles without branches, which dates
 * in no particular order would mispredict. */
constexpr bool orvIsLeapYear(int64_t year)
{
    return (year % 4 == 0) & ((year % 100 != 0) | (year % 400 == 0));
}

/* Days in month (1 to 12) of year; 0 for a month outside 1 to 12. */
constexpr int orvDaysInMonth(int64_t year, int month)
{
    constexpr int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return lengths[month - 1] + int((month == 2) & orvIsLeapYear(year));
}

/* The fast range: 82 eras (11979954 days, 32800 years) are added to every
 * day so that the 32-bit forms see no negative value. */
constexpr int64_t ORV_FAST_ERAS = 82;
constexpr int64_t ORV_FAST_FIRST_YEAR = -30000;
constexpr int64_t ORV_FAST_LAST_YEAR = 1900000;
constexpr int64_t ORV_FAST_FIRST_DAY = -11673150; /* 1 January -30000 */
constexpr int64_t ORV_FAST_LAST_DAY = 693245240;  /* 31 December 1900000 */

/*
 * Day number of year-month-day by 400-year eras, for any year.
 * REQUIRES: 1 <= month <= 12, 1 <= day <= orvDaysInMonth(year, month),
 * |year| <= 2^50 (so that no step overflows).
 */
constexpr int64_t orvDaysFromCivilByEras(int64_t year, int month, int day)
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
 * Civil date of a day number by 400-year eras, for any day.
 * REQUIRES: |days| <= 2^60.
 */
constexpr OrvCivilDate orvCivilFromDaysByEras(int64_t days)
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

/* floor(n / d) for every 32-bit n, given d's multiplier m = ceil(2^s / d)
 * and shift s (m d - 2^s <= 2^(s - 32)).  Written out so that no compiler
 * falls back to a division instruction, as some do when they merge
 * branches or optimize a block for size. */
constexpr uint32_t orvDivideByMultiply(uint32_t n, uint64_t m, int s) { return uint32_t(n * m >> s); }

/*
 * Day number of year-month-day in the fast range.
 * REQUIRES: ORV_FAST_FIRST_YEAR <= year <= ORV_FAST_LAST_YEAR, month and
 * day as for orvDaysFromCivilByEras.
 */
constexpr int64_t orvDaysFromCivilFast(int64_t year, int month, int day)
{
    const uint32_t j = month <= 2 ? 1 : 0;
    const uint32_t y = uint32_t(year + 400 * ORV_FAST_ERAS) - j; /* [2800, 1932800] */
    const uint32_t m = uint32_t(month) + 12 * j; /* [3, 14]; no branch on the month */
    const uint32_t c = orvDivideByMultiply(y, 0x51EB851F, 37); /* y / 100 */
    const uint32_t yearDays = (1461 * y >> 2) - c + (c >> 2); /* < 2^30 */
    const uint32_t monthDays = (979 * m - 2919) >> 5;    /* [0, 337], March = 0 */
    const uint32_t n = yearDays + monthDays + uint32_t(day - 1);
    return int64_t(n) - ORV_ERA0_TO_DAY0 - ORV_FAST_ERAS * ORV_DAYS_PER_ERA;
}

/*
 * Civil date of a day number in the fast range.
 * REQUIRES: ORV_FAST_FIRST_DAY <= days <= ORV_FAST_LAST_DAY.
 */
constexpr OrvCivilDate orvCivilFromDaysFast(int64_t days)
{
    const uint32_t n = uint32_t(days + ORV_ERA0_TO_DAY0 + ORV_FAST_ERAS * ORV_DAYS_PER_ERA);
    const uint32_t n1 = 4 * n + 3;                         /* < 2^32 */
    const uint32_t century = orvDivideByMultiply(n1, 0x396B06BD, 47); /* n1 / 146097 */
    const uint32_t n2 = (n1 - 146097 * century) | 3;       /* 4 x day of century + 3 */
    const uint64_t p2 = uint64_t(2939745) * n2;
    const uint32_t yearOfCentury = uint32_t(p2 >> 32);     /* [0, 99] */
    /* uint32_t(p2) / 2939745 / 4, March 1 = 0 */
    const uint32_t dayOfYear = orvDivideByMultiply(uint32_t(p2), 0x5B4FFFCB, 54); /* [0, 365] */
    const uint32_t n3 = 2141 * dayOfYear + 197913;
    const uint32_t monthFromMarch = n3 >> 16;              /* [3, 14] */
    const int day = int(orvDivideByMultiply(n3 & 0xFFFF, 0x3D38514F, 41)) + 1; /* [1, 31] */
    const bool janFeb = dayOfYear >= 306;
    const int64_t year = int64_t(100 * century + yearOfCentury) - 400 * ORV_FAST_ERAS + janFeb;
    return OrvCivilDate{year, int(monthFromMarch - 12 * uint32_t(janFeb)), day};
}

/*
 * Day number (days since 1 January 1960) of year-month-day.
 * REQUIRES: 1 <= month <= 12, 1 <= day <= orvDaysInMonth(year, month),
 * |year| <= 2^50 (so that no step overflows).
 */
constexpr int64_t orvDaysFromCivil(int64_t year, int month, int day)
{
    if (year >= ORV_FAST_FIRST_YEAR && year <= ORV_FAST_LAST_YEAR)
        return orvDaysFromCivilFast(year, month, day);
    return orvDaysFromCivilByEras(year, month, day);
}

/*
 * Civil date of a day number (days since 1 January 1960).
 * REQUIRES: |days| <= 2^60.
 */
constexpr OrvCivilDate orvCivilFromDays(int64_t days)
{
    if (days >= ORV_FAST_FIRST_DAY && days <= ORV_FAST_LAST_DAY) return orvCivilFromDaysFast(days);
    return orvCivilFromDaysByEras(days);
}

static_assert(orvDaysFromCivilByEras(ORV_FAST_FIRST_YEAR, 1, 1) == ORV_FAST_FIRST_DAY);
static_assert(orvDaysFromCivilByEras(ORV_FAST_LAST_YEAR, 12, 31) == ORV_FAST_LAST_DAY);
static_assert(orvDaysFromCivilFast(1960, 1, 1) == 0 && orvCivilFromDaysFast(0).year == 1960);

#endif
