/*
 * holidays.h - the 25 named holidays (date-key codes 20 to 44) and the
 * n-th weekday of a month.
 *
 * Exports: ZholKeyword, datekeyname, datekeynamel, ZHOL_FIRST_CODE, ZHOL_LAST_CODE,
 * ZHOL_COUNT, zholnchk, zholidat, zholiday, znwdomon.
 */
#ifndef ORV_INTERVAL_HOLIDAYS_H
#define ORV_INTERVAL_HOLIDAYS_H

#include <array>

constexpr int ZHOL_FIRST_CODE = 20;
constexpr int ZHOL_LAST_CODE = 44;
constexpr int ZHOL_COUNT = ZHOL_LAST_CODE - ZHOL_FIRST_CODE + 1;

/* Holiday keywords, blank-padded to 32 characters, in code order (entry i
 * has code i + 20), and their lengths. */
using ZholKeyword = std::array<char, 32>;
extern const std::array<ZholKeyword, ZHOL_COUNT> datekeyname;
extern const std::array<int, ZHOL_COUNT> datekeynamel;

/* Holiday code (20 to 44) of a keyword, compared without regard to case
 * and on its exact length; 0 when the text is no holiday keyword. */
int zholnchk(const char *text, int length);

/* Date (day number) of holiday `code` in a year; a two-digit year is
 * expanded through the year cut-off.  Missing for a code outside 20 to 44
 * or a year that zyrcheck rejects. */
double zholidat(int code, double year);

/* zholidat of a keyword's code; missing for an unknown keyword or a
 * rejected year. */
double zholiday(const char *text, int length, double year);

/*
 * Date of the n-th weekday k (1 = Sunday ... 7 = Saturday) of a month; n 1
 * to 4, 5 (or more) = the last.  Missing for k outside 1 to 7, n below 1,
 * a month outside 1 to 12 or a date outside the valid day range.
 */
double znwdomon(int weekday, int n, int month, int year);

#endif
