/*
 * week_numbers.cpp - week-of-year numbers with a chosen first weekday:
 * weekfrac and zweekyr (see datekey_dates.h).
 */
#include <cmath>

#include "event/datekey_dates.h"
#include "host/missing_values.h"
#include "host/services.h"

int weekfrac(int a, double *week, double *offset, double x)
{
    const double y = zyear(x);
    if (orvIsMissing(y)) return ZTSEV_DK_CANNOT_PLACE;
    *offset += y;
    const double j = zmdy(1, 1, *offset);
    const double w = zwekday(x);
    if (orvIsMissing(j) || orvIsMissing(w)) return ZTSEV_DK_CANNOT_PLACE;
    /* Days of the year before its first day of weekday a count as week 0. */
    const double lead = std::fmod(w - a + 7, 7);
    *week = (x - j + 7 - lead) / 7;
    return 0;
}

int zweekyr(int a, double *week, double *year, int allow53, double x)
{
    *year = 0;
    int status = weekfrac(a, week, year, x);
    if (status != 0) return status;
    const double w = std::floor(*week);
    if (w >= 53) {
        if (allow53) {
            *week = 53;
        } else {
            *week = 1;
            *year += 1;
        }
    } else if (w >= 1) {
        *week = w;
    } else {
        const double yearOfX = *year;
        *year = -1;
        status = weekfrac(a, week, year, x);
        if (status != 0) return status;
        *week = std::floor(*week);
        if (*week >= 53 && !allow53) {
            *week = 1;
            *year = yearOfX;
        }
    }
    return 0;
}
