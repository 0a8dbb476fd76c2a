/*
 * interval_nesting.h - how two intervals relate (zintc): the same
 * interval, one made of a whole number of the other with aligned
 * boundaries, or why not.
 *
 * Results, seen from A (zintc(A, B)):
 *   0      the same interval (same length, same boundaries);
 *   n > 1  every period of A is exactly n periods of B, boundaries aligned;
 *   -n     every period of B is exactly n periods of A, boundaries aligned;
 *   1      B nests in A with a varying count; -1 A nests in B so;
 *   .M     the lengths do not nest; .S they nest but the boundaries are
 *          out of line; .B families that are never compared (OBS against
 *          a time or calendar interval; TENDAY to YEAR against weeks,
 *          weekdays, the retail and ISO calendars; TENDAY against
 *          SEMIMONTH); .W two WEEKDAY intervals without a common working
 *          day; .E an internal consistency failure;
 *   .      not comparable (custom intervals other than one with itself, a
 *          DAY with a multiplier or shift against the month family, a time
 *          interval that does not divide a day against it, unknown codes).
 * Wherever both zintc(A, B) and zintc(B, A) are numbers, one is minus the
 * other.
 *
 * Comparison units: seconds for the time codes, days for DAY, WEEK and
 * WEEKV, working days between WEEKDAY intervals of the same days off,
 * tendays, semimonths or months for the month family, months of the
 * retail calendars and weeks between YEARV intervals.  Other pairs are
 * compared as sets of boundaries on the day line.
 *
 * Exports: zintc, compweek, compday, compweekday, compisowk, compretmon,
 * comp_weekday_day, comp_weekday_week, comp_weekday_weekv, wkdyS2wkS.
 */
#ifndef ORV_INTERVAL_INTERVAL_NESTING_H
#define ORV_INTERVAL_INTERVAL_NESTING_H

#include <cstdint>

#include "interval/interval_desc.h"

/* The relation of A to B, as above; "." for a null descriptor. */
double zintc(const ZINT_DESC *a, const ZINT_DESC *b);

/*
 * zintc with A of one family, A's length and stored shift already taken
 * out (multipliers below 1 count as 1): compweek for WEEK, compday for
 * DAY, compweekday for WEEKDAY, compisowk for WEEKV and YEARV, compretmon
 * for the retail codes.  lengthA and shiftA are the multiplier and the
 * stored shift; codeB, multB, shiftB the same of B.  Results as zintc.
 */
double compweek(const ZINT_DESC *a, const ZINT_DESC *b, int64_t lengthA, int64_t shiftA,
                int codeB, int64_t multB, int64_t shiftB);
double compday(const ZINT_DESC *a, const ZINT_DESC *b, int64_t lengthA, int64_t shiftA,
               int codeB, int64_t multB, int64_t shiftB);
double compweekday(const ZINT_DESC *a, const ZINT_DESC *b, int64_t lengthA, int64_t shiftA,
                   int codeB, int64_t multB, int64_t shiftB);
double compisowk(const ZINT_DESC *a, const ZINT_DESC *b, int64_t lengthA, int64_t shiftA,
                 int codeB, int64_t multB, int64_t shiftB);
double compretmon(const ZINT_DESC *a, const ZINT_DESC *b, int64_t lengthA, int64_t shiftA,
                  int codeB, int64_t multB, int64_t shiftB);

/* A WEEKDAY interval against a DAY, WEEK or WEEKV interval, seen from the
 * WEEKDAY side; .E when the codes are not these, "." when the WEEKDAY has
 * no working day. */
double comp_weekday_day(const ZINT_DESC *weekdayDesc, const ZINT_DESC *dayDesc);
double comp_weekday_week(const ZINT_DESC *weekdayDesc, const ZINT_DESC *weekDesc);
double comp_weekday_weekv(const ZINT_DESC *weekdayDesc, const ZINT_DESC *weekvDesc);

/* Days from Sunday 27 December 1959 (the WEEK origin) to the first start
 * of a WEEKDAY period on or after it; .E for another code (or a null
 * descriptor), "." when no day is a working day. */
double wkdyS2wkS(const ZINT_DESC *weekdayDesc);

#endif
