/*
 * informats.cpp - a text read as a number with an informat: readValue
 * (platform/formats.h).
 *
 * Each informat reads the forms its format writes (the table at the head
 * of formats.cpp) that carry the whole value, in any case, with the
 * surrounding blanks ignored.  Dates must exist and lie in the host's
 * range; two-digit years are taken into the hundred years from the
 * cut-off.  Every number is range-checked before it is used.
 */
#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/civil_days.h"
#include "host/iso_weeks.h"
#include "host/missing_values.h"
#include "platform/calendar_text.h"
#include "platform/date_range.h"
#include "platform/formats.h"

namespace orvhost {
namespace {

/* Largest whole number up to which a double holds every integer: INT
 * reads no larger. */
constexpr int64_t kLargestExactInteger = int64_t{1} << 53;

/* Most digits read for the leading part of a duration (hours, minutes). */
constexpr int kMaxDurationDigits = 15;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return c >= 'A' && c <= 'Z'; }

/* A cursor over the upper-cased text. */
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }

    /* Consumes c when it comes next. */
    bool take(char c)
    {
        if (atEnd() || text_[pos_] != c) return false;
        ++pos_;
        return true;
    }

    /* Consumes one character of set when one comes next. */
    bool takeAny(std::string_view set)
    {
        if (atEnd() || set.find(peek()) == std::string_view::npos) return false;
        ++pos_;
        return true;
    }

    /* Reads at most maxCount digits into *value; returns how many. */
    int digits(int maxCount, int64_t *value)
    {
        int count = 0;
        int64_t result = 0;
        while (count < maxCount && isDigit(peek())) {
            result = result * 10 + (text_[pos_++] - '0');
            ++count;
        }
        *value = result;
        return count;
    }

    /* Reads a run of letters. */
    std::string_view letters()
    {
        const size_t start = pos_;
        while (isLetter(peek())) ++pos_;
        return text_.substr(start, pos_ - start);
    }

    /* Reads "digits[.digits]" as a double; false when there is no digit. */
    bool decimal(int maxWholeDigits, double *value)
    {
        const size_t start = pos_;
        int64_t ignored = 0;
        const int whole = digits(maxWholeDigits, &ignored);
        int fraction = 0;
        if (take('.')) fraction = digits(9, &ignored);
        if (whole + fraction == 0) return false;
        const auto result = std::from_chars(text_.data() + start, text_.data() + pos_, *value);
        return result.ec == std::errc() && result.ptr == text_.data() + pos_;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

/* The day number of a civil date that exists and lies in the host's range. */
bool dayOfCivil(int64_t year, int64_t month, int64_t day, int64_t *dayOut)
{
    if (year < 1 || year > 99999 || month < 1 || month > 12 || day < 1 || day > orvDaysInMonth(year, int(month)))
        return false;
    const int64_t days = orvDaysFromCivil(year, int(month), int(day));
    if (days < kFirstDay || days > kLastDay) return false;
    *dayOut = days;
    return true;
}

/* A year of 2 digits (taken from the cut-off), 4 or 5 digits. */
bool readYear(Scanner &s, int cutoff, int64_t *year)
{
    int64_t value = 0;
    const int count = s.digits(5, &value);
    if (count == 2) *year = expandTwoDigitYear(int(value), cutoff);
    else if (count == 4 || count == 5) *year = value;
    else return false;
    return true;
}

/* "06JAN2020", "6jan20", "06-JAN-2020", "06 JAN 2020". */
bool readDate(Scanner &s, int cutoff, int64_t *dayOut)
{
    int64_t day = 0, year = 0;
    if (s.digits(2, &day) == 0) return false;
    s.takeAny("- /");
    const std::string_view month = s.letters();
    if (month.size() != 3) return false;
    s.takeAny("- /");
    return readYear(s, cutoff, &year) && dayOfCivil(year, findMonth(month), day, dayOut);
}

/* "10", "10:30", "10:30:15", "10:30:15.25": a time of day. */
bool readClock(Scanner &s, double *secondsOut)
{
    int64_t hours = 0, minutes = 0;
    double seconds = 0;
    if (s.digits(2, &hours) == 0 || hours > 23) return false;
    if (s.take(':')) {
        if (s.digits(2, &minutes) != 2 || minutes > 59) return false;
        if (s.take(':') && (!s.decimal(2, &seconds) || seconds >= 60)) return false;
    }
    *secondsOut = double(hours * 3600 + minutes * 60) + seconds;
    return true;
}

/* A duration of up to three ':'-separated parts whose units are given
 * (seconds per unit, largest first); only the last part read may carry a
 * fraction, and every part after the first must be below 60. */
bool readDuration(Scanner &s, const std::vector<double> &units, double *valueOut)
{
    const bool negative = s.take('-');
    if (!negative) s.take('+');
    double total = 0;
    for (size_t i = 0; i < units.size(); ++i) {
        if (i > 0 && !s.take(':')) break;
        double part = 0;
        if (!s.decimal(i == 0 ? kMaxDurationDigits : 2, &part)) return false;
        if (i > 0 && part >= 60) return false;
        total += part * units[i];
        if (part != std::trunc(part)) break; /* a fraction ends the text */
    }
    *valueOut = negative ? -total : total;
    return true;
}

/* "Monday, 6 January 2020", "Mon, 6 Jan 2020", "6 January 2020": the
 * weekday, when given, must be the date's. */
bool readWeekdatx(std::string text, int cutoff, int64_t *dayOut)
{
    std::replace(text.begin(), text.end(), ',', ' ');
    std::vector<std::string> words;
    for (size_t pos = 0; pos < text.size();) {
        const size_t start = text.find_first_not_of(' ', pos);
        if (start == std::string::npos) break;
        const size_t end = std::min(text.find(' ', start), text.size());
        words.push_back(text.substr(start, end - start));
        pos = end;
    }
    if (words.size() != 3 && words.size() != 4) return false;
    int weekday = 0;
    if (words.size() == 4) {
        weekday = findWeekday(words[0]);
        if (weekday == 0) return false;
        words.erase(words.begin());
    }
    Scanner dayWord(words[0]), yearWord(words[2]);
    int64_t day = 0, year = 0;
    const int month = findMonth(words[1]);
    if (dayWord.digits(2, &day) == 0 || !dayWord.atEnd() || month == 0) return false;
    if (!readYear(yearWord, cutoff, &year) || !yearWord.atEnd()) return false;
    if (!dayOfCivil(year, month, day, dayOut)) return false;
    return weekday == 0 || weekday == orvIsoWeekday(*dayOut);
}

/* "2020-W02-01", "2020W0201", "2020W021", "2020W02", "20W02". */
bool readWeekv(Scanner &s, int cutoff, int64_t *dayOut)
{
    int64_t year = 0, week = 0, weekday = 1;
    if (!readYear(s, cutoff, &year)) return false;
    s.take('-');
    if (!s.take('W') || s.digits(2, &week) != 2) return false;
    const bool dash = s.take('-');
    if (dash || !s.atEnd()) {
        if (s.digits(2, &weekday) == 0 || weekday < 1 || weekday > 7) return false;
    }
    if (year < 1 || year > 99999 || week < 1 || week > orvIsoWeeksInYear(year)) return false;
    const int64_t day = orvIsoWeekStart(year, week) + (weekday - 1);
    if (day < kFirstDay || day > kLastDay) return false;
    *dayOut = day;
    return true;
}

/* "2020:1", "20:1", "2020Q1": the first day of the quarter. */
bool readYyqc(Scanner &s, int cutoff, int64_t *dayOut)
{
    int64_t year = 0, quarter = 0;
    if (!readYear(s, cutoff, &year) || !s.takeAny(":Q")) return false;
    if (s.digits(1, &quarter) != 1 || quarter < 1 || quarter > 4) return false;
    return dayOfCivil(year, quarter * 3 - 2, 1, dayOut);
}

/* "JAN2020", "JAN20": the first day of the month. */
bool readMonyy(Scanner &s, int cutoff, int64_t *dayOut)
{
    const std::string_view month = s.letters();
    int64_t year = 0;
    if (month.size() != 3 || !readYear(s, cutoff, &year)) return false;
    return dayOfCivil(year, findMonth(month), 1, dayOut);
}

/* "2020-01-06", "20-01-06", "2020/1/6", "200106", "20200106". */
bool readYymmdd(std::string_view text, int cutoff, int64_t *dayOut)
{
    Scanner s(text);
    int64_t year = 0, month = 0, day = 0;
    if (std::all_of(text.begin(), text.end(), isDigit)) {
        if (text.size() != 6 && text.size() != 8) return false;
        Scanner y(text.substr(0, text.size() - 4));
        if (!readYear(y, cutoff, &year)) return false;
        s = Scanner(text.substr(text.size() - 4));
        s.digits(2, &month);
        s.digits(2, &day);
        return dayOfCivil(year, month, day, dayOut);
    }
    if (!readYear(s, cutoff, &year)) return false;
    const char separator = s.peek();
    if (!s.takeAny("-/.: ") || s.digits(2, &month) == 0 || !s.take(separator) || s.digits(2, &day) == 0)
        return false;
    return s.atEnd() && dayOfCivil(year, month, day, dayOut);
}

/* An ordinary number: sign, digits, point, exponent. */
bool readNumber(std::string_view text, int decimals, double *valueOut)
{
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text[0] == '+' || text[0] == '-')) return false;
    }
    for (char c : text)
        if (!isDigit(c) && c != '.' && c != 'E' && c != '-' && c != '+') return false; /* no INF or NAN */
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
    if (decimals > 0 && text.find_first_of(".E") == std::string_view::npos) value /= std::pow(10.0, decimals);
    *valueOut = value;
    return true;
}

/* A whole number: sign and digits, no larger than 2^53. */
bool readInteger(std::string_view text, double *valueOut)
{
    Scanner s(text);
    const bool negative = s.take('-');
    if (!negative) s.take('+');
    int64_t magnitude = 0;
    /* 18 digits cannot overflow; a 19th digit is too many anyway. */
    if (s.digits(18, &magnitude) == 0 || !s.atEnd() || magnitude > kLargestExactInteger) return false;
    *valueOut = negative ? -double(magnitude) : double(magnitude);
    return true;
}

/* The missing value that a text names: "." , "._" and ".A" to ".Z". */
bool readMissing(std::string_view text, double *valueOut)
{
    if (text.empty() || text == ".") *valueOut = orvMissing();
    else if (text == "._") *valueOut = std::bit_cast<double>(ORV_MISSING_UNDERSCORE_BITS);
    else if (text.size() == 2 && text[0] == '.' && isLetter(text[1]))
        *valueOut = std::bit_cast<double>(orvLetterMissingBits(text[1] - 'A'));
    else return false;
    return true;
}

/* A calendar informat: reads a day and, for DATETIME, a time of day. */
bool readCalendar(int identifier, std::string_view text, int cutoff, int64_t *day, double *seconds)
{
    Scanner s(text);
    *seconds = 0;
    bool ok = false;
    switch (identifier) {
    case kFormatDate:
    case kFormatDtDate: ok = readDate(s, cutoff, day); break;
    case kFormatDatetime:
        ok = readDate(s, cutoff, day) && (s.atEnd() || (s.takeAny(": ") && readClock(s, seconds)));
        break;
    case kFormatWeekdatx:
    case kFormatDtWkdatx: return readWeekdatx(std::string(text), cutoff, day);
    case kFormatWeekv:
    case kFormatDtWeekv: ok = readWeekv(s, cutoff, day); break;
    case kFormatYyqc:
    case kFormatDtYyqc: ok = readYyqc(s, cutoff, day); break;
    case kFormatMonyy:
    case kFormatDtMonyy: ok = readMonyy(s, cutoff, day); break;
    case kFormatYear:
    case kFormatDtYear: {
        int64_t year = 0;
        ok = readYear(s, cutoff, &year) && dayOfCivil(year, 1, 1, day);
        break;
    }
    case kFormatYymmdd: return readYymmdd(text, cutoff, day);
    default: return false;
    }
    return ok && s.atEnd();
}

std::string upperTrimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    std::string result(text.substr(first, text.find_last_not_of(' ') - first + 1));
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return result;
}

}  // namespace

int readValue(int identifier, std::string_view text, int decimals, int yearCutoff, double *valueOut)
{
    *valueOut = orvMissing();
    const FormatSpec *spec = findFormat(identifier == kNoFormat ? int(kFormatF) : identifier);
    if (spec == nullptr) return kFormatStatusNotFound;
    if (spec->family == FormatFamily::Character) return kFormatStatusBadArgument;
    const std::string upper = upperTrimmed(text);
    if (readMissing(upper, valueOut)) return 0;

    double value = 0;
    bool ok = false;
    switch (spec->family) {
    case FormatFamily::Numeric:
        if (spec->identifier == kFormatInt) {
            ok = readInteger(upper, &value);
        } else {
            std::string digits = upper;
            if (spec->identifier == kFormatComma) std::erase(digits, ',');
            ok = readNumber(digits, std::clamp(decimals, 0, spec->maxDecimals), &value);
        }
        break;
    case FormatFamily::Time: {
        Scanner s(upper);
        switch (spec->identifier) {
        case kFormatTime: ok = readDuration(s, {3600, 60, 1}, &value); break;
        case kFormatHhmm: ok = readDuration(s, {3600, 60}, &value); break;
        case kFormatHour: ok = readDuration(s, {3600}, &value); break;
        case kFormatMmss: ok = readDuration(s, {60, 1}, &value); break;
        default: break;
        }
        ok = ok && s.atEnd();
        break;
    }
    case FormatFamily::Date:
    case FormatFamily::DateTime: {
        int64_t day = 0;
        double seconds = 0;
        ok = readCalendar(spec->identifier, upper, yearCutoff, &day, &seconds);
        value = spec->family == FormatFamily::Date ? double(day) : double(day) * kSecondsPerDay + seconds;
        break;
    }
    case FormatFamily::Character: break;
    }
    if (!ok) return kInformatStatusInvalid;
    *valueOut = value;
    return 0;
}

}  // namespace orvhost
