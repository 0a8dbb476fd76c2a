/*
 * formats.cpp - the host's format catalogue: names, identifiers, widths and
 * decimals of every format and informat, lookup by name and identifier, and
 * the division of a format name into name, width and decimals.
 *
 * Exports (platform/formats.h): formatCatalogue, findFormat, formatFamily,
 * formatIdentifier, formatNameOf, splitFormatName.  Rendering is in
 * format_render.cpp, reading in informats.cpp.
 *
 * What each format renders, for the date 6 January 2020 (day 21920, a
 * Monday, ISO week 2 of 2020), the datetime 10:30:15.25 on that day and
 * the time 10:30:15.25 (37815.25 seconds).  Each format tries the forms of
 * its row in order and shows the first that fits the width, right-aligned;
 * when none fits the field is filled with asterisks.  Forms with a
 * two-digit year are used only when the width is below that of the form
 * with the full year (the "4-digit width"), so a wide field never shows a
 * two-digit year, and a year of five digits that does not fit gives
 * asterisks.  Parts that are not shown are cut off, never rounded up: 10:30
 * shows the minute that 10:30:59 lies in.
 *
 *  id format    default min..max  decimals  forms, most precise first
 *   1 F            12   1..32     0..31    "1234.50" fixed with d decimals;
 *                                           fewer decimals when it does not fit
 *   2 BEST         12   1..32     -        the most significant digits that
 *                                           fit: "1234.5", "0.000123", "1.23E-7",
 *                                           "1.2346E8" (at most 15 digits)
 *   3 DATE          7   5..11     -        "06-JAN-2020" "06JAN2020" | "06JAN20" "06JAN"
 *                                           (4-digit width 9)
 *   4 DATETIME     16   7..40     0..6     "06JAN2020:10:30:15.25" (d = 2)
 *                                           "06JAN2020:10:30:15" | "06JAN20:10:30:15"
 *                                           "06JAN20:10:30" "06JAN20:10" "06JAN20"
 *                                           (4-digit width 18)
 *   5 TIME          8   2..20     0..6     "10:30:15.25" "10:30:15" "10:30" "10"
 *                                           (hours not limited to 24, not zero-padded,
 *                                           a leading '-' for negative durations)
 *   6 INT          12   1..32     -        "1235": rounded to a whole number
 *   7 DTDATE        7   5..11     -        as DATE, of a datetime's day
 *   8 WEEKDATX     29   3..37     -        "Monday, 6 January 2020"
 *                                           "Mon, 6 January 2020" "Mon, 6 Jan 2020"
 *                                           "Mon, 6 Jan" "Mon"
 *   9 DTWKDATX     29   3..37     -        as WEEKDATX, of a datetime's day
 *  10 WEEKV        11   3..32     -        "2020-W02-01" "2020W0201" "2020W02" |
 *                                           "20W02" "W02" (ISO 8601 week-year, week
 *                                           and weekday, Monday = 01; 4-digit width 7)
 *  11 DTWEEKV      11   3..32     -        as WEEKV, of a datetime's day
 *  12 YYQC          6   4..32     -        "2020:1" | "20:1" (4-digit width 6)
 *  13 DTYYQC        6   4..32     -        as YYQC, of a datetime's day
 *  14 MONYY         5   5..7      -        "JAN2020" | "JAN20" (4-digit width 7)
 *  15 DTMONYY       5   5..7      -        as MONYY, of a datetime's day
 *  16 YEAR          4   2..32     -        "2020" | "20" (4-digit width 4)
 *  17 DTYEAR        4   2..32     -        as YEAR, of a datetime's day
 *  18 HHMM          5   2..20     0..6     "10:30.25" (d = 2: decimal minutes)
 *                                           "10:30" "10"
 *  19 HOUR          2   2..20     0..6     "10.50" (d = 2: decimal hours) "10"
 *  20 MMSS          5   2..20     0..6     "630:15.25" (d = 2) "630:15" "630"
 *                                           (minutes not limited to 60)
 *  21 YYMMDD        8   2..10     -        "2020-01-06" | "20-01-06" "200106"
 *                                           "2001" "20" (4-digit width 10)
 *  22 $CHAR         8   1..32767  -        character values; no numbers
 *  23 $             8   1..32767  -        the same
 *  24 D            12   1..32     -        as BEST: the most significant
 *                                           digits that fit
 *  25 COMMA         6   1..32     0..31    "1,234.50": fixed with d decimals and a
 *                                           comma between groups of three digits;
 *                                           fewer decimals when it does not fit,
 *                                           then the forms of F
 *
 * Missing values show as "." or their letter ("A" to "Z", "_"),
 * right-aligned, with every numeric format.  kNoFormat (99) renders as
 * BEST.  The informat of each row reads every form of its row that carries
 * the whole value (DATE reads "06JAN2020", "6jan20", "06-JAN-2020"; not
 * "06JAN", which has no year), and the number informats F, BEST and INT
 * read ordinary numbers (INT only whole ones), COMMA also with commas
 * between the digits ("1,234.5").
 */
#include "platform/formats.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace orvhost {
namespace {

using F = FormatFamily;

/* ORDER: FormatId; a row's identifier is its position plus one. */
constexpr FormatSpec kFormats[] = {
    {"F", kFormatF, F::Numeric, 12, 1, 32, 0, 31},
    {"BEST", kFormatBest, F::Numeric, 12, 1, 32, 0, 0},
    {"DATE", kFormatDate, F::Date, 7, 5, 11, 0, 0},
    {"DATETIME", kFormatDatetime, F::DateTime, 16, 7, 40, 0, 6},
    {"TIME", kFormatTime, F::Time, 8, 2, 20, 0, 6},
    {"INT", kFormatInt, F::Numeric, 12, 1, 32, 0, 0},
    {"DTDATE", kFormatDtDate, F::DateTime, 7, 5, 11, 0, 0},
    {"WEEKDATX", kFormatWeekdatx, F::Date, 29, 3, 37, 0, 0},
    {"DTWKDATX", kFormatDtWkdatx, F::DateTime, 29, 3, 37, 0, 0},
    {"WEEKV", kFormatWeekv, F::Date, 11, 3, 32, 0, 0},
    {"DTWEEKV", kFormatDtWeekv, F::DateTime, 11, 3, 32, 0, 0},
    {"YYQC", kFormatYyqc, F::Date, 6, 4, 32, 0, 0},
    {"DTYYQC", kFormatDtYyqc, F::DateTime, 6, 4, 32, 0, 0},
    {"MONYY", kFormatMonyy, F::Date, 5, 5, 7, 0, 0},
    {"DTMONYY", kFormatDtMonyy, F::DateTime, 5, 5, 7, 0, 0},
    {"YEAR", kFormatYear, F::Date, 4, 2, 32, 0, 0},
    {"DTYEAR", kFormatDtYear, F::DateTime, 4, 2, 32, 0, 0},
    {"HHMM", kFormatHhmm, F::Time, 5, 2, 20, 0, 6},
    {"HOUR", kFormatHour, F::Time, 2, 2, 20, 0, 6},
    {"MMSS", kFormatMmss, F::Time, 5, 2, 20, 0, 6},
    {"YYMMDD", kFormatYymmdd, F::Date, 8, 2, 10, 0, 0},
    {"$CHAR", kFormatChar, F::Character, 8, 1, 32767, 0, 0},
    {"$", kFormatDollar, F::Character, 8, 1, 32767, 0, 0},
    {"D", kFormatD, F::Numeric, 12, 1, 32, 0, 0},
    {"COMMA", kFormatComma, F::Numeric, 6, 1, 32, 0, 31},
};
static_assert(std::size(kFormats) == kFormatComma, "one row per FormatId");
static_assert(std::size(kFormats) < kNoFormat, "identifiers must stay below kNoFormat");
static_assert(kNoFormat < kDecimalsCodeUnit, "a code's identifier lies below its decimals");

constexpr bool identifiersArePositions()
{
    for (size_t i = 0; i < std::size(kFormats); ++i)
        if (kFormats[i].identifier != int(i) + 1) return false;
    return true;
}
static_assert(identifiersArePositions(), "findFormat(int) indexes the table by identifier");

constexpr size_t kMaxNameLength = 32;
constexpr int kMaxWidth = 32767;
constexpr int kMaxDecimals = 31;

char upperChar(char c) { return char(std::toupper(static_cast<unsigned char>(c))); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isNameStart(char c) { return (c >= 'A' && c <= 'Z') || c == '_'; }

std::string_view trimBlanks(std::string_view text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string upper(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), upperChar);
    return result;
}

/* Reads a run of digits (an empty run reads as 0) as a number no larger
 * than limit; false for any other character or a number above limit. */
bool readDigits(std::string_view digits, int limit, int *valueOut)
{
    long value = 0;
    for (char c : digits) {
        if (!isDigit(c)) return false;
        value = value * 10 + (c - '0');
        if (value > limit) return false;
    }
    *valueOut = int(value);
    return true;
}

}  // namespace

std::span<const FormatSpec> formatCatalogue() { return kFormats; }

const FormatSpec *findFormat(std::string_view name)
{
    const std::string key = upper(trimBlanks(name));
    auto found = std::find_if(std::begin(kFormats), std::end(kFormats),
                              [&](const FormatSpec &entry) { return key == entry.name; });
    return found == std::end(kFormats) ? nullptr : found;
}

const FormatSpec *findFormat(int identifier)
{
    if (identifier < 1 || identifier > int(std::size(kFormats))) return nullptr;
    return &kFormats[identifier - 1];
}

FormatFamily formatFamily(std::string_view name)
{
    if (const FormatSpec *entry = findFormat(name)) return entry->family;
    name = trimBlanks(name);
    return !name.empty() && name[0] == '$' ? FormatFamily::Character : FormatFamily::Numeric;
}

int formatIdentifier(std::string_view name)
{
    const FormatSpec *entry = findFormat(name);
    return entry != nullptr ? entry->identifier : kNoFormat;
}

std::string formatNameOf(int identifier)
{
    const FormatSpec *entry = findFormat(identifier);
    return entry != nullptr ? entry->name : std::string();
}

bool splitFormatName(std::string_view text, FormatName *out)
{
    const std::string name = upper(trimBlanks(text));
    std::string_view core = name;
    int decimals = 0;
    if (const size_t dot = core.find('.'); dot != std::string_view::npos) {
        if (!readDigits(core.substr(dot + 1), kMaxDecimals, &decimals)) return false;
        core = core.substr(0, dot);
    }
    /* The width is the run of digits that ends the name: names never end in
     * a digit, though they may hold digits inside. */
    size_t nameEnd = core.size();
    while (nameEnd > 0 && isDigit(core[nameEnd - 1])) --nameEnd;
    int width = 0;
    if (!readDigits(core.substr(nameEnd), kMaxWidth, &width)) return false;
    std::string_view bare = core.substr(0, nameEnd);
    if (bare.empty() || bare.size() > kMaxNameLength) return false;
    const size_t start = bare[0] == '$' ? 1 : 0;
    if (bare.size() > start && !isNameStart(bare[start])) return false;
    for (size_t i = start; i < bare.size(); ++i)
        if (!isNameStart(bare[i]) && !isDigit(bare[i])) return false;
    out->name = std::string(bare);
    out->width = width;
    out->decimals = decimals;
    return true;
}

}  // namespace orvhost
