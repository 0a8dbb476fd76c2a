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
 * Exports: r445mon_index, r454mon_index, r544mon_index, ZintRetailWeeks,
 * zintRetailWeeks, zintRetailIndex, zintRetailTable, zintRetailCalendar,
 * zidmdydf.
 */
#ifndef ORV_INTERVAL_RETAIL_CALENDAR_H
#define ORV_INTERVAL_RETAIL_CALENDAR_H

/* First ISO week (0-based) of each month, January first. */
inline constexpr int r445mon_index[12] = {0, 4, 8, 13, 17, 21, 26, 30, 34, 39, 43, 47};
inline constexpr int r454mon_index[12] = {0, 4, 9, 13, 17, 22, 26, 30, 35, 39, 43, 48};
inline constexpr int r544mon_index[12] = {0, 5, 9, 13, 18, 22, 26, 31, 35, 39, 44, 48};

/* A retail calendar's months by ISO week: the month (1 to 12) of each
 * 0-based ISO week 0 to 52, its first week and that of the month after,
 * and the first 0-based week of each month. */
struct ZintRetailWeeks {
    int monthOfWeek[53];
    int monthStartOfWeek[53]; /* firstWeek of the month of each week, so
                                 that all come from one index */
    int nextMonthStartOfWeek[53]; /* firstWeek of the month after */
    int firstWeek[13]; /* [12], 52, stands for the next year's first week */
};

constexpr ZintRetailWeeks zintRetailWeeksOf(const int (&firstWeeks)[12])
{
    ZintRetailWeeks weeks{};
    for (int week0 = 0; week0 < 53; ++week0) {
        int month = 0; /* months whose first week is at or before week0 */
        while (month < 12 && firstWeeks[month] <= week0) ++month;
        weeks.monthOfWeek[week0] = month;
    }
    for (int month = 0; month < 12; ++month) weeks.firstWeek[month] = firstWeeks[month];
    weeks.firstWeek[12] = 52;
    for (int week0 = 0; week0 < 53; ++week0) {
        weeks.monthStartOfWeek[week0] = weeks.firstWeek[weeks.monthOfWeek[week0] - 1];
        weeks.nextMonthStartOfWeek[week0] = weeks.firstWeek[weeks.monthOfWeek[week0]];
    }
    return weeks;
}

/* ORDER: calendars 445, 454, 544 (zintRetailIndex). */
inline constexpr ZintRetailWeeks zintRetailWeeks[3] = {
    zintRetailWeeksOf(r445mon_index), zintRetailWeeksOf(r454mon_index),
    zintRetailWeeksOf(r544mon_index)};

/* Position of retail calendar 445, 454 or 544 in zintRetailWeeks. */
constexpr int zintRetailIndex(int calendar) { return calendar == 445 ? 0 : calendar == 454 ? 1 : 2; }

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
