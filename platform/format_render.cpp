/*
 * format_render.cpp - a number rendered as text with a format: formatValue
 * (platform/formats.h).  What each format writes is tabled at the head of
 * formats.cpp.
 *
 * Each format builds its candidate texts, most precise first, and the first
 * that fits the width is shown right-aligned; when none fits the field is
 * asterisks.  Values are range-checked as doubles before any conversion to
 * an integer.
 */
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "host/civil_days.h"
#include "host/iso_weeks.h"
#include "host/missing_values.h"
#include "platform/calendar_text.h"
#include "platform/date_range.h"
#include "platform/formats.h"

namespace orvhost {
namespace {

using Forms = std::vector<std::string>;

/* Most significant digits BEST shows: more than a double holds reliably
 * would show noise ("0.1" as 0.10000000000000001). */
constexpr int kBestDigits = 15;

/* Largest magnitude whose whole part the integer-based renderers take:
 * beyond it a time has more hour digits than any field holds. */
constexpr double kLargestWhole = 1e15;

/* Widest field rendered; wider ones are refused rather than allocated. */
constexpr int kMaxRenderWidth = 32767;

/* Widths from which a format shows the full year (its "4-digit width"). */
constexpr int kDateFullYearWidth = 9;
constexpr int kDatetimeFullYearWidth = 18;
constexpr int kWeekvFullYearWidth = 7;
constexpr int kYyqcFullYearWidth = 6;
constexpr int kMonyyFullYearWidth = 7;
constexpr int kYearFullYearWidth = 4;
constexpr int kYymmddFullYearWidth = 10;

std::string twoDigits(int64_t value)
{
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

std::string yearText(int64_t year, bool full) { return full ? std::to_string(year) : twoDigits(year % 100); }

/* The text of a missing value: ".", "_" or the letter; any NaN that is not
 * one of the host's own shows as ".". */
std::string missingText(double value)
{
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    if (bits == ORV_MISSING_UNDERSCORE_BITS) return "_";
    for (int k = 0; k < 26; ++k)
        if (bits == orvLetterMissingBits(k)) return std::string(1, char('A' + k));
    return ".";
}

/* value as to_chars writes it in `format` with `precision` digits, except
 * that a value exactly halfway between two texts rounds away from zero, as
 * displays do (to_chars rounds such ties to even).  A tie shows in a text
 * 20 digits longer as a 5 followed by zeros only; a value that is not a
 * tie differs from it within 17 significant digits, so the test is exact.
 * The value is then moved one step away from zero, which cannot carry it
 * past the next tie: ties lie 10^-precision apart, far more than a step. */
std::string roundedChars(double value, std::chars_format format, int precision)
{
    char buffer[420]; /* 309 integer digits, 51 decimals, sign, point, exponent */
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision + 20);
    const std::string_view longer(buffer, size_t(result.ptr - buffer));
    const size_t point = longer.find('.');
    const size_t end = std::min(longer.find('e'), longer.size());
    if (point != std::string_view::npos && point + 1 + size_t(precision) < end) {
        const std::string_view tail = longer.substr(point + 1 + size_t(precision), end - point - 1 - size_t(precision));
        if (tail[0] == '5' && tail.find_first_not_of('0', 1) == std::string_view::npos)
            value = std::nextafter(value, value < 0 ? -HUGE_VAL : HUGE_VAL);
    }
    result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    return std::string(buffer, result.ptr);
}

/* Fixed-point text with `decimals` decimals, rounded half away from zero;
 * a negative zero loses its sign. */
std::string fixedText(double value, int decimals)
{
    std::string text = roundedChars(value, std::chars_format::fixed, decimals);
    if (text[0] == '-' && text.find_first_of("123456789") == std::string::npos) text.erase(0, 1);
    return text;
}

/* The first `digits` decimal digits of a fraction in [0, 1), cut (never
 * rounded up), zero-padded: 0.25 with 3 digits is "250". */
std::string fractionDigits(double fraction, int digits)
{
    const double scale = std::pow(10.0, digits);
    double cut = std::floor(fraction * scale);
    cut = std::clamp(cut, 0.0, scale - 1); /* fraction * scale may round up to scale */
    std::string text = std::to_string(int64_t(cut));
    return std::string(size_t(digits) - text.size(), '0') + text;
}

Forms fForms(double value, int decimals)
{
    Forms forms;
    for (int d = decimals; d >= 0; --d) forms.push_back(fixedText(value, d));
    return forms;
}

/* text (a fixedText) with a comma between each group of three digits of
 * its whole part: "-1234567.5" becomes "-1,234,567.5". */
std::string grouped(const std::string &text)
{
    const size_t first = text[0] == '-' ? 1 : 0;
    const size_t end = std::min(text.find('.'), text.size());
    std::string result = text.substr(0, first);
    for (size_t i = first; i < end; ++i) {
        if (i > first && (end - i) % 3 == 0) result += ',';
        result += text[i];
    }
    return result + text.substr(end);
}

/* COMMA: the grouped forms of F, then F's own. */
Forms commaForms(double value, int decimals)
{
    Forms forms = fForms(value, decimals);
    Forms result;
    for (const std::string &form : forms) result.push_back(grouped(form));
    result.insert(result.end(), forms.begin(), forms.end());
    return result;
}

Forms intForms(double value) { return {fixedText(std::round(value), 0)}; }

/* BEST: the whole number when the value is one, then for each count of
 * significant digits from 15 down, the fixed text (when it keeps every
 * digit of the whole part) and the scientific one ("1.5E-7", "1E20"). */
Forms bestForms(double value)
{
    Forms forms;
    if (value == 0) return {"0"};
    if (std::fabs(value) < kLargestWhole && value == std::trunc(value)) forms.push_back(fixedText(value, 0));
    for (int p = kBestDigits; p >= 1; --p) {
        const std::string text = roundedChars(value, std::chars_format::scientific, p - 1);
        const bool negative = text[0] == '-';
        const size_t ePos = text.find('e');
        std::string digits;
        for (size_t i = negative ? 1 : 0; i < ePos; ++i)
            if (text[i] != '.') digits += text[i];
        const int exponent = std::stoi(text.substr(ePos + 1));
        while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
        const std::string sign = negative ? "-" : "";

        if (exponent < p) { /* every digit of the whole part is among the p */
            std::string fixed;
            if (exponent >= 0) {
                const size_t wholeDigits = size_t(exponent) + 1;
                std::string padded = digits + std::string(wholeDigits > digits.size() ? wholeDigits - digits.size() : 0, '0');
                fixed = padded.substr(0, wholeDigits);
                if (padded.size() > wholeDigits) fixed += "." + padded.substr(wholeDigits);
            } else {
                fixed = "0." + std::string(size_t(-exponent - 1), '0') + digits;
            }
            forms.push_back(sign + fixed);
        }
        std::string scientific = digits.substr(0, 1);
        if (digits.size() > 1) scientific += "." + digits.substr(1);
        forms.push_back(sign + scientific + "E" + std::to_string(exponent));
    }
    return forms;
}

Forms dateForms(int64_t day, int width)
{
    const OrvCivilDate c = orvCivilFromDays(day);
    const std::string dd = twoDigits(c.day);
    const std::string mon(monthAbbreviation(c.month));
    if (width >= kDateFullYearWidth) {
        const std::string yyyy = yearText(c.year, true);
        return {dd + "-" + mon + "-" + yyyy, dd + mon + yyyy};
    }
    return {dd + mon + yearText(c.year, false), dd + mon};
}

Forms datetimeForms(int64_t day, double seconds, int width, int decimals)
{
    const OrvCivilDate c = orvCivilFromDays(day);
    const int64_t whole = int64_t(seconds); /* [0, 86399] */
    const std::string hh = twoDigits(whole / 3600);
    const std::string mm = twoDigits(whole / 60 % 60);
    const std::string ss = twoDigits(whole % 60);
    const std::string ddmon = twoDigits(c.day) + std::string(monthAbbreviation(c.month));
    if (width >= kDatetimeFullYearWidth) {
        const std::string time = ddmon + yearText(c.year, true) + ":" + hh + ":" + mm + ":" + ss;
        if (decimals > 0) return {time + "." + fractionDigits(seconds - double(whole), decimals), time};
        return {time};
    }
    const std::string date = ddmon + yearText(c.year, false);
    return {date + ":" + hh + ":" + mm + ":" + ss, date + ":" + hh + ":" + mm, date + ":" + hh, date};
}

Forms weekdatxForms(int64_t day)
{
    const OrvCivilDate c = orvCivilFromDays(day);
    const std::string weekday(weekdayName(orvIsoWeekday(day)));
    const std::string month(monthName(c.month));
    const std::string dayText = std::to_string(c.day);
    const std::string year = std::to_string(c.year);
    return {weekday + ", " + dayText + " " + month + " " + year,
            weekday.substr(0, 3) + ", " + dayText + " " + month + " " + year,
            weekday.substr(0, 3) + ", " + dayText + " " + month.substr(0, 3) + " " + year,
            weekday.substr(0, 3) + ", " + dayText + " " + month.substr(0, 3), weekday.substr(0, 3)};
}

Forms weekvForms(int64_t day, int width)
{
    const OrvIsoWeekDate w = orvIsoWeekDate(day);
    const std::string week = "W" + twoDigits(w.week);
    if (width >= kWeekvFullYearWidth) {
        const std::string year = yearText(w.year, true);
        return {year + "-" + week + "-" + twoDigits(w.day), year + week + twoDigits(w.day), year + week};
    }
    return {yearText(w.year, false) + week, week};
}

Forms yyqcForms(int64_t day, int width)
{
    const OrvCivilDate c = orvCivilFromDays(day);
    return {yearText(c.year, width >= kYyqcFullYearWidth) + ":" + std::to_string((c.month + 2) / 3)};
}

Forms monyyForms(int64_t day, int width)
{
    const OrvCivilDate c = orvCivilFromDays(day);
    return {std::string(monthAbbreviation(c.month)) + yearText(c.year, width >= kMonyyFullYearWidth)};
}

Forms yearForms(int64_t day, int width)
{
    return {yearText(orvCivilFromDays(day).year, width >= kYearFullYearWidth)};
}

Forms yymmddForms(int64_t day, int width)
{
    const OrvCivilDate c = orvCivilFromDays(day);
    const std::string mm = twoDigits(c.month), dd = twoDigits(c.day);
    if (width >= kYymmddFullYearWidth) return {yearText(c.year, true) + "-" + mm + "-" + dd};
    const std::string yy = yearText(c.year, false);
    return {yy + "-" + mm + "-" + dd, yy + mm + dd, yy + mm, yy};
}

/* A duration split for the time formats: sign, and the magnitude in units
 * of `unit` seconds as a whole part and a fraction in [0, 1). */
struct Duration {
    bool negative;
    int64_t whole;
    double fraction;
};

bool splitDuration(double seconds, double unit, Duration *out)
{
    const double magnitude = std::fabs(seconds) / unit;
    if (!(magnitude < kLargestWhole)) return false;
    const double whole = std::floor(magnitude);
    *out = Duration{seconds < 0, int64_t(whole), magnitude - whole};
    return true;
}

/* The sign of a time text: shown only when the text shows a non-zero
 * amount, so that -30 seconds in hours is "0", not "-0". */
std::string withSign(const Duration &d, bool shownNonZero, const std::string &text)
{
    return d.negative && shownNonZero ? "-" + text : text;
}

/* TIME, HHMM and MMSS share one shape: "a:bb:cc.f" down to "a". */
Forms timeForms(double seconds, int decimals)
{
    Duration d{};
    if (!splitDuration(seconds, 1, &d)) return {};
    const int64_t h = d.whole / 3600, m = d.whole / 60 % 60, s = d.whole % 60;
    const std::string hms = std::to_string(h) + ":" + twoDigits(m) + ":" + twoDigits(s);
    Forms forms;
    if (decimals > 0) {
        const std::string fraction = fractionDigits(d.fraction, decimals);
        forms.push_back(withSign(d, d.whole > 0 || fraction.find_first_not_of('0') != std::string::npos,
                                hms + "." + fraction));
    }
    forms.push_back(withSign(d, d.whole > 0, hms));
    forms.push_back(withSign(d, d.whole >= 60, std::to_string(h) + ":" + twoDigits(m)));
    forms.push_back(withSign(d, h > 0, std::to_string(h)));
    return forms;
}

Forms hhmmForms(double seconds, int decimals)
{
    Duration d{};
    if (!splitDuration(seconds, 60, &d)) return {};
    const int64_t h = d.whole / 60, m = d.whole % 60;
    const std::string hm = std::to_string(h) + ":" + twoDigits(m);
    Forms forms;
    if (decimals > 0) {
        const std::string fraction = fractionDigits(d.fraction, decimals);
        forms.push_back(withSign(d, d.whole > 0 || fraction.find_first_not_of('0') != std::string::npos,
                                hm + "." + fraction));
    }
    forms.push_back(withSign(d, d.whole > 0, hm));
    forms.push_back(withSign(d, h > 0, std::to_string(h)));
    return forms;
}

Forms hourForms(double seconds, int decimals)
{
    Duration d{};
    if (!splitDuration(seconds, 3600, &d)) return {};
    Forms forms;
    if (decimals > 0) {
        const std::string fraction = fractionDigits(d.fraction, decimals);
        forms.push_back(withSign(d, d.whole > 0 || fraction.find_first_not_of('0') != std::string::npos,
                                std::to_string(d.whole) + "." + fraction));
    }
    forms.push_back(withSign(d, d.whole > 0, std::to_string(d.whole)));
    return forms;
}

Forms mmssForms(double seconds, int decimals)
{
    Duration d{};
    if (!splitDuration(seconds, 1, &d)) return {};
    const int64_t m = d.whole / 60, s = d.whole % 60;
    const std::string ms = std::to_string(m) + ":" + twoDigits(s);
    Forms forms;
    if (decimals > 0) {
        const std::string fraction = fractionDigits(d.fraction, decimals);
        forms.push_back(withSign(d, d.whole > 0 || fraction.find_first_not_of('0') != std::string::npos,
                                ms + "." + fraction));
    }
    forms.push_back(withSign(d, d.whole > 0, ms));
    forms.push_back(withSign(d, m > 0, std::to_string(m)));
    return forms;
}

/* The day of a date format's value, or of a datetime format's value with
 * its time of day; false outside the host's range. */
bool dayOfValue(FormatFamily family, double value, int64_t *day, double *seconds)
{
    *seconds = 0;
    if (family == FormatFamily::DateTime) return splitDatetime(value, day, seconds);
    return dayInRange(value, day);
}

/* The candidate texts of a present value; empty when the value cannot be
 * shown at all (a date outside the range, a duration too long). */
Forms formsOf(const FormatSpec &spec, double value, int width, int decimals)
{
    int64_t day = 0;
    double seconds = 0;
    const bool calendar = spec.family == FormatFamily::Date || spec.family == FormatFamily::DateTime;
    if (calendar && !dayOfValue(spec.family, value, &day, &seconds)) return {};
    switch (spec.identifier) {
    case kFormatF: return fForms(value, decimals);
    case kFormatComma: return commaForms(value, decimals);
    case kFormatBest:
    case kFormatD: return bestForms(value);
    case kFormatInt: return intForms(value);
    case kFormatDate:
    case kFormatDtDate: return dateForms(day, width);
    case kFormatDatetime: return datetimeForms(day, seconds, width, decimals);
    case kFormatWeekdatx:
    case kFormatDtWkdatx: return weekdatxForms(day);
    case kFormatWeekv:
    case kFormatDtWeekv: return weekvForms(day, width);
    case kFormatYyqc:
    case kFormatDtYyqc: return yyqcForms(day, width);
    case kFormatMonyy:
    case kFormatDtMonyy: return monyyForms(day, width);
    case kFormatYear:
    case kFormatDtYear: return yearForms(day, width);
    case kFormatYymmdd: return yymmddForms(day, width);
    case kFormatTime: return timeForms(value, decimals);
    case kFormatHhmm: return hhmmForms(value, decimals);
    case kFormatHour: return hourForms(value, decimals);
    case kFormatMmss: return mmssForms(value, decimals);
    default: return {};
    }
}

std::string rightAligned(const std::string &text, int width)
{
    return std::string(size_t(width) - text.size(), ' ') + text;
}

}  // namespace

int formatValue(int identifier, double value, int width, int decimals, std::string *textOut)
{
    textOut->clear();
    const FormatSpec *spec = findFormat(identifier == kNoFormat ? kFormatBest : identifier);
    if (spec == nullptr) return kFormatStatusNotFound;
    if (spec->family == FormatFamily::Character || width < 0 || width > kMaxRenderWidth)
        return kFormatStatusBadArgument;
    if (width == 0) width = spec->defaultWidth;
    decimals = decimals < 0 ? spec->defaultDecimals : std::min(decimals, spec->maxDecimals);

    if (orvIsMissing(value)) {
        *textOut = rightAligned(missingText(value), width);
        return 0;
    }
    /* An infinity is no host value: it fits no field. */
    const Forms forms = std::isfinite(value) ? formsOf(*spec, value, width, decimals) : Forms();
    for (const std::string &form : forms) {
        if (form.size() <= size_t(width)) {
            *textOut = rightAligned(form, width);
            return 0;
        }
    }
    *textOut = std::string(size_t(width), '*');
    return 0;
}

}  // namespace orvhost
