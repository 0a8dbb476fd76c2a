/*
 * retail_calendar.h - the three retail calendars (4-4-5, 4-5-4 and 5-4-4
 * weeks per quarter) and the month, day and year of a date in the ordinary
 * or a retail calendar.
 *
 * A retail year is an ISO 8601 week-year; its twelve months are runs of
 * whole ISO weeks, December taking the 53rd week of a long year.  A retail
 * month's day runs from 1 (the Monday of its first week) to 28 or 35 (42 in
 * a December of 53 weeks).
 *
 * Exports: r445mon_index, r454mon_index, r544mon_index, zintRetailTable,
 * zintRetailCalendar, zidmdydf.
 */
#ifndef ORV_INTERVAL_RETAIL_CALENDAR_H
#define ORV_INTERVAL_RETAIL_CALENDAR_H

/* First ISO week (0-based) of each month, January first. */
extern const int r445mon_index[12];
extern const int r454mon_index[12];
extern const int r544mon_index[12];

/* The month table of calendar 445, 454 or 544; null for any other. */
const int *zintRetailTable(int calendar);

/* The retail calendar (445, 454, 544) of a retail base code (R445MON,
 * R445QTR, R445YR ...), 0 for any other code. */
int zintRetailCalendar(int code);

/*
 * Month, day and year of a date.
 * Inputs: calendar 0 (ordinary Gregorian) or 445, 454, 544 (retail), date
 * (floored to a day).  Outputs: *month, *day, *year.
 * Returns 0; 1 for a missing date or one too far from day 0 to split
 * (outputs untouched); -2 for another calendar number.
 */
int zidmdydf(int *month, int *day, int *year, int calendar, double date);

#endif
