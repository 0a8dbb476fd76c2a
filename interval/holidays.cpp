/*
 * holidays.cpp - the holiday table, holiday dates and the n-th weekday of
 * a month (see holidays.h).
 */
#include "interval/holidays.h"

#include <cmath>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "host/civil_days.h"
#include "host/easter.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/day_math.h"
#include "interval/interval_names.h"
#include "interval/intnx.h"
#include "interval/year_check.h"

namespace {

/* ORDER: holiday code, from 20. */
constexpr std::string_view kKeywords[] = {
    "EASTER",         "THANKSGIVING",  "BOXING",       "CANADA",      "CHRISTMAS",
    "FATHERS",        "HALLOWEEN",     "USINDEPENDENCE", "LABOR",     "MEMORIAL",
    "MOTHERS",        "NEWYEAR",       "THANKSGIVINGCANADA", "VALENTINES", "VICTORIA",
    "CANADAOBSERVED", "MLK",           "USPRESIDENTS", "VETERANS",    "VETERANSUSG",
    "VETERANSUSPS",   "COLUMBUS",      "JUNETEENTH",   "JUNETEENTHUSG", "JUNETEENTHUSPS",
};
static_assert(std::size(kKeywords) == ZHOL_COUNT);

constexpr std::array<ZholKeyword, ZHOL_COUNT> padKeywords()
{
    std::array<ZholKeyword, ZHOL_COUNT> table{};
    for (int i = 0; i < ZHOL_COUNT; ++i) {
        table[i].fill(' ');
        for (size_t j = 0; j < kKeywords[i].size(); ++j) table[i][j] = kKeywords[i][j];
    }
    return table;
}

constexpr std::array<int, ZHOL_COUNT> keywordLengths()
{
    std::array<int, ZHOL_COUNT> lengths{};
    for (int i = 0; i < ZHOL_COUNT; ++i) lengths[i] = int(kKeywords[i].size());
    return lengths;
}

enum Weekday { kSunday = 1, kMonday = 2, kThursday = 5, kSaturday = 7 };

/* A fixed date of the year, through the host's date service. */
double fixedDate(int month, int day, int64_t year) { return zmdy(month, day, double(year)); }

/* Weekday of a date, 1 = Sunday. */
int weekdayOf(double date) { return zintDayOfWeek(int64_t(date)) + 1; }

/* A fixed date moved to the next day when it falls on a Sunday, and (when
 * saturdayBack) to the day before when it falls on a Saturday: the two
 * observance rules of the US holidays. */
double observed(double date, bool saturdayBack)
{
    if (orvIsMissing(date)) return date;
    const int weekday = weekdayOf(date);
    if (weekday == kSunday) return date + 1;
    if (weekday == kSaturday && saturdayBack) return date - 1;
    return date;
}

double holidayDate(int code, int64_t y)
{
    const int year = int(y);
    switch (code) {
    case 20: return zeaster(double(y));
    case 21: return znwdomon(kThursday, 4, 11, year);
    case 22: return fixedDate(12, 26, y);
    case 23: return fixedDate(7, 1, y);
    case 24: return fixedDate(12, 25, y);
    case 25: return znwdomon(kSunday, 3, 6, year);
    case 26: return fixedDate(10, 31, y);
    case 27: return fixedDate(7, 4, y);
    case 28: return znwdomon(kMonday, 1, 9, year);
    case 29: return znwdomon(kMonday, 5, 5, year);
    case 30: return znwdomon(kSunday, 2, 5, year);
    case 31: return fixedDate(1, 1, y);
    case 32: return znwdomon(kMonday, 2, 10, year);
    case 33: return fixedDate(2, 14, y);
    case 34: {
        /* The start of the Monday week after the one that holds 17 May. */
        ZINT_DESC mondayWeeks;
        zintstr("WEEK.2", -1, &mondayWeeks);
        return zintnx2(&mondayWeeks, fixedDate(5, 17, y), 1);
    }
    case 35: {
        const double july1 = fixedDate(7, 1, y);
        return observed(july1, false);
    }
    case 36: return znwdomon(kMonday, 3, 1, year);
    case 37: return znwdomon(kMonday, 3, 2, year);
    case 38: return fixedDate(11, 11, y);
    case 39: return observed(fixedDate(11, 11, y), true);
    case 40: return observed(fixedDate(11, 11, y), false);
    case 41: return znwdomon(kMonday, 2, 10, year);
    case 42: return fixedDate(6, 19, y);
    case 43: return observed(fixedDate(6, 19, y), true);
    case 44: return observed(fixedDate(6, 19, y), false);
    default: return orvMissing();
    }
}

}  // namespace

const std::array<ZholKeyword, ZHOL_COUNT> datekeyname = padKeywords();
const std::array<int, ZHOL_COUNT> datekeynamel = keywordLengths();

int zholnchk(const char *text, int length)
{
    if (text == nullptr) return 0;
    for (int i = 0; i < ZHOL_COUNT; ++i)
        if (length == datekeynamel[i] && wzbcup(text, datekeyname[i].data(), length) == 0)
            return i + ZHOL_FIRST_CODE;
    return 0;
}

double zholidat(int code, double year)
{
    double y = year;
    if (zyrcheck(&y, 1) != ZYRCHECK_OK) return orvMissing();
    if (code < ZHOL_FIRST_CODE || code > ZHOL_LAST_CODE) return orvMissing();
    const double date = holidayDate(code, int64_t(std::trunc(y)));
    return orvIsMissing(date) ? orvMissing() : date;
}

double zholiday(const char *text, int length, double year)
{
    const int code = zholnchk(text, length);
    if (code == 0) return orvMissing();
    double y = year;
    if (zyrcheck(&y, 1) != ZYRCHECK_OK) return orvMissing();
    return zholidat(code, y);
}

double znwdomon(int weekday, int n, int month, int year)
{
    if (weekday < 1 || weekday > 7 || n < 1 || month < 1 || month > 12) return orvMissing();
    if (n > 5) n = 5;
    const double first = double(orvDaysFromCivil(year, month, 1));
    if (!zintDayInRange(first)) return orvMissing();
    /* Weeks that start on weekday k: the n-th k of the month starts the
     * n-th such week after the one that holds the 1st, or the (n-1)-th
     * when the 1st is itself a k. */
    char name[] = "WEEK.k";
    name[5] = char('0' + weekday);
    ZINT_DESC weeks;
    zintstr(name, -1, &weeks);
    const int nth = n == 5 ? 4 : n;
    const int step = weekdayOf(first) == weekday ? nth - 1 : nth;
    const double date = zintnx2(&weeks, first, step);
    if (orvIsMissing(date) || n != 5) return date;
    /* The last: the 5th when the month has one, else the 4th.  Looking one
     * week on from the 4th rather than back from a 6th week keeps the
     * last Mondays of December 20000 inside the valid range. */
    const double fifth = date + 7;
    if (orvCivilFromDays(int64_t(fifth)).month != month) return date;
    return zintDayInRange(fifth) ? fifth : orvMissing();
}
