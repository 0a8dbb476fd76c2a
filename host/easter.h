/*
 * easter.h - the date of Easter Sunday, the basis of the EASTER holiday and
 * of the holidays defined relative to it.
 */
#ifndef ORV_HOST_EASTER_H
#define ORV_HOST_EASTER_H

/* Years zeaster accepts, after truncation toward zero. */
constexpr int ZEASTER_FIRST_YEAR = 1582;
constexpr int ZEASTER_LAST_YEAR = 20000;

/* Easter Sunday of year (truncated toward zero) as a day number (days since
 * 1 January 1960); the ordinary missing value for a missing year or one
 * outside ZEASTER_FIRST_YEAR to ZEASTER_LAST_YEAR. */
double zeaster(double year);

#endif
