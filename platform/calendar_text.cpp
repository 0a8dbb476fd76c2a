/*
 * calendar_text.cpp - month and weekday names, two-digit years and the
 * split of a datetime, for the date formats and informats
 * (platform/calendar_text.h).
 */
#include "platform/calendar_text.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "platform/date_range.h"

namespace orvhost {
namespace {

constexpr std::string_view kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                            "July",    "August",   "September", "October", "November", "December"};
constexpr std::string_view kMonthAbbreviations[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                    "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
/* ORDER: ISO weekday, Monday = 1. */
constexpr std::string_view kWeekdayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                              "Friday", "Saturday", "Sunday"};
static_assert(std::size(kMonthNames) == 12 && std::size(kMonthAbbreviations) == 12);
static_assert(std::size(kWeekdayNames) == 7);

bool sameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

/* Position (1-based) of a name among names, matched whole or by its first
 * three letters, in any case; 0 when none matches. */
template <size_t N>
int findName(const std::string_view (&names)[N], std::string_view text)
{
    for (size_t i = 0; i < N; ++i)
        if (sameText(text, names[i]) || sameText(text, names[i].substr(0, 3))) return int(i) + 1;
    return 0;
}

}  // namespace

std::string_view monthAbbreviation(int month) { return kMonthAbbreviations[month - 1]; }
std::string_view monthName(int month) { return kMonthNames[month - 1]; }
std::string_view weekdayName(int isoWeekday) { return kWeekdayNames[isoWeekday - 1]; }

int findMonth(std::string_view name) { return findName(kMonthNames, name); }
int findWeekday(std::string_view name) { return findName(kWeekdayNames, name); }

int64_t expandTwoDigitYear(int twoDigitYear, int cutoff)
{
    const int centuryOffset = cutoff % 100;
    int64_t year = int64_t(twoDigitYear) + cutoff - centuryOffset;
    if (twoDigitYear < centuryOffset) year += 100;
    return year;
}

bool splitDatetime(double datetime, int64_t *dayOut, double *secondsOut)
{
    int64_t day = 0;
    if (!dayInRange(datetime / kSecondsPerDay, &day)) return false;
    double seconds = datetime - double(day) * kSecondsPerDay; /* exact: both below 2^53 */
    /* The rounded division can put a datetime a hair before midnight into
     * the next day, or one a hair after it into the day before; move it
     * back (the second test also catches -tiny + 86400 rounding to 86400). */
    if (seconds < 0) {
        seconds += kSecondsPerDay;
        --day;
    }
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        ++day;
    }
    if (day < kFirstDay || day > kLastDay) return false;
    *dayOut = day;
    *secondsOut = seconds;
    return true;
}

}  // namespace orvhost
