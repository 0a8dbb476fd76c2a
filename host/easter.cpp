/*
 * easter.cpp - Easter Sunday by the anonymous Gregorian computus.
 *
 * Exports: zeaster.
 */
#include "host/easter.h"

#include <cmath>

#include "host/missing_values.h"
#include "host/services.h"

/*
 * Easter Sunday of a year.
 * Input: year as a double; it is truncated toward zero.
 * Returns the day number (days since 1 January 1960) that the host's date
 * service gives for the computed month and day of that year, or the ordinary
 * missing value when the year is missing or outside 1582 to 20000.  The
 * range is tested on the double, so a NaN or huge year is never converted
 * to an integer.
 */
double zeaster(double year)
{
    const double truncated = std::trunc(year);
    if (!(truncated >= ZEASTER_FIRST_YEAR && truncated <= ZEASTER_LAST_YEAR))
        return orvMissing();
    const int y = int(truncated);

    /* a: place in the 19-year lunar (Metonic) cycle; b, c: century and year
     * in it; f, g: the century's corrections of the lunar orbit; h: epact-
     * based days from 21 March to the paschal full moon; l: days from that
     * full moon to the next Sunday; m: the rare correction that keeps the
     * full moon from falling after 18 April. */
    const int a = y % 19;
    const int b = y / 100;
    const int c = y % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    /* The year is passed as given: the date service truncates it itself. */
    return zmdy(double(month), double(day), year);
}
