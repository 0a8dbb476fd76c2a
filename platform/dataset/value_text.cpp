/*
 * value_text.cpp - cell text of numeric values: missing values, shortest
 * round-trip numbers and ISO 8601 dates and datetimes.
 */
#include "platform/dataset/value_text.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "host/civil_days.h"
#include "host/missing_values.h"

namespace orvhost {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int kFirstIsoYear = 1;
constexpr int kLastIsoYear = 9999;
/* Day numbers of 0001-01-01 and 9999-12-31. */
constexpr int64_t kFirstIsoDay = orvDaysFromCivil(kFirstIsoYear, 1, 1);
constexpr int64_t kLastIsoDay = orvDaysFromCivil(kLastIsoYear, 12, 31);
/* Bytes of YYYY-MM-DD. */
constexpr size_t kIsoDateLength = 10;
/* Fraction digits tried for a datetime with a part of a second. */
constexpr int kMostFractionDigits = 9;

/* The host's missing values by code byte: 0xFF "._", 0xFE ".", 0xFD to 0xE4
 * ".A" to ".Z". */
constexpr uint64_t kMissingPrefix = 0xFFFF000000000000ull;
constexpr uint64_t kMissingCodeMask = 0x0000FF0000000000ull;
constexpr uint64_t kMissingRestMask = 0x000000FFFFFFFFFFull;
constexpr unsigned kUnderscoreCode = 0xFF;
constexpr unsigned kLetterACode = 0xFD;
constexpr unsigned kLetterZCode = 0xE4;

double fromBits(uint64_t bits) { return std::bit_cast<double>(bits); }

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

/* Reads exactly `count` digits at text[at]; -1 when they are not digits. */
int digits(std::string_view text, size_t at, size_t count)
{
    if (at + count > text.size()) return -1;
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

/* The year, month and day of a valid YYYY-MM-DD at the start of text. */
struct IsoDateParts {
    int year, month, day;
};

/* YYYY-MM-DD at the start of text into *parts, checked (years 1 to 9999,
 * a day of the month) but not converted. */
bool readIsoDateParts(std::string_view text, IsoDateParts *parts)
{
    if (text.size() < kIsoDateLength || text[4] != '-' || text[7] != '-') return false;
    /* Each byte less '0', as unsigned: above 9 unless a digit.  The eight
     * are tested together, without a branch each. */
    auto digitAt = [text](size_t at) { return unsigned(static_cast<unsigned char>(text[at])) - '0'; };
    const unsigned y0 = digitAt(0), y1 = digitAt(1), y2 = digitAt(2), y3 = digitAt(3);
    const unsigned m0 = digitAt(5), m1 = digitAt(6), d0 = digitAt(8), d1 = digitAt(9);
    if ((y0 > 9) | (y1 > 9) | (y2 > 9) | (y3 > 9) | (m0 > 9) | (m1 > 9) | (d0 > 9) | (d1 > 9))
        return false;
    const int year = int(y0 * 1000 + y1 * 100 + y2 * 10 + y3);
    const int month = int(m0 * 10 + m1), day = int(d0 * 10 + d1);
    if (year < kFirstIsoYear || month < 1 || month > 12 || day < 1) return false;
    /* Every month has 28 days: only later days need the month's length. */
    if (day > 28 && day > orvDaysInMonth(year, month)) return false;
    *parts = {year, month, day};
    return true;
}

/* YYYY-MM-DD at the start of text into a day number. */
bool readIsoDate(std::string_view text, int64_t *days)
{
    IsoDateParts parts{};
    if (!readIsoDateParts(text, &parts)) return false;
    *days = orvDaysFromCivil(parts.year, parts.month, parts.day);
    return true;
}

/* THH:MM[:SS[.fff]] (or with a blank for 'T') into seconds since midnight. */
bool readIsoTime(std::string_view text, double *seconds)
{
    if (text.size() < 6 || (text[0] != 'T' && text[0] != ' ') || text[3] != ':') return false;
    int hour = digits(text, 1, 2), minute = digits(text, 4, 2);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return false;
    double second = 0;
    if (text.size() > 6) {
        if (text[6] != ':' || digits(text, 7, 2) < 0) return false;
        std::string_view rest = text.substr(7);
        if (rest.size() > 2 && rest[2] != '.') return false;
        if (rest.size() == 3) return false; /* "SS." without digits */
        for (size_t i = 3; i < rest.size(); ++i)
            if (rest[i] < '0' || rest[i] > '9') return false;
        std::from_chars(rest.data(), rest.data() + rest.size(), second);
        if (!(second < 60)) return false;
    }
    *seconds = hour * 3600.0 + minute * 60.0 + second;
    return true;
}

CellKind readMissing(std::string_view cell, double *value)
{
    if (cell.empty() || cell == "." || cell == "NA" || cell == "NaN" || cell == "nan") {
        *value = fromBits(ORV_MISSING_BITS);
        return CellKind::Missing;
    }
    if (cell.size() == 2 && cell[0] == '.') {
        char c = cell[1];
        if (c == '_') {
            *value = fromBits(ORV_MISSING_UNDERSCORE_BITS);
            return CellKind::Missing;
        }
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (c >= 'A' && c <= 'Z') {
            *value = fromBits(orvLetterMissingBits(c - 'A'));
            return CellKind::Missing;
        }
    }
    return CellKind::Text;
}

/* Writes the cell text of a missing value at out: nothing for ".", or ".A"
 * to ".Z", "._".  Returns the end. */
char *putMissing(char *out, double value)
{
    uint64_t bits = std::bit_cast<uint64_t>(value);
    if ((bits & ~(kMissingCodeMask | kMissingRestMask)) != kMissingPrefix ||
        (bits & kMissingRestMask) != 0)
        return out; /* "." and every NaN that is no missing value of the host */
    unsigned code = unsigned((bits & kMissingCodeMask) >> 40);
    if (code == kUnderscoreCode) {
        out[0] = '.';
        out[1] = '_';
        return out + 2;
    }
    if (code <= kLetterACode && code >= kLetterZCode) {
        out[0] = '.';
        out[1] = char('A' + (kLetterACode - code));
        return out + 2;
    }
    return out;
}

/* Whole numbers below this magnitude have no shorter scientific form
 * ("1e+05" is shorter than "100000"), so their integer text is the
 * shortest one. */
constexpr double kPlainIntegerLimit = 100000;

/* "00" to "99". */
constexpr auto kTwoDigits = [] {
    std::array<char, 200> digits{};
    for (int i = 0; i < 100; ++i) {
        digits[size_t(2 * i)] = char('0' + i / 10);
        digits[size_t(2 * i + 1)] = char('0' + i % 10);
    }
    return digits;
}();

/* Writes two digits of value (0 to 99) at at. */
void putTwoDigits(char *at, int value) { std::memcpy(at, &kTwoDigits[size_t(2 * value)], 2); }

/* Writes the shortest text of a number that is no missing value at out;
 * returns the end. */
char *putNumber(char *out, double value)
{
    if (value > -kPlainIntegerLimit && value < kPlainIntegerLimit && value == double(int(value)) &&
        !(value == 0 && std::signbit(value)))
        return std::to_chars(out, out + kLongestNumberCell, int(value)).ptr;
    return std::to_chars(out, out + kLongestNumberCell, value).ptr;
}

bool bitsEqual(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

/* True when text reads back as the datetime value, bit for bit. */
bool readsBackAsDateTime(const char *text, const char *end, double value)
{
    double back = 0;
    return readNumberCell(std::string_view(text, size_t(end - text)), &back) == CellKind::DateTime &&
           bitsEqual(back, value);
}

/* Writes value at out as a datetime when some ISO text of it reads back
 * exactly; returns the end, or null when none does (the bytes at out are
 * then scratch). */
char *putDateTimeValue(char *out, double value)
{
    double whole = std::floor(value);
    if (!(whole >= double(kFirstIsoDay * kSecondsPerDay)) ||
        !(whole < double((kLastIsoDay + 1) * kSecondsPerDay)))
        return nullptr;
    char *end = putIsoDateTime(out, (long long)(whole));
    if (end == nullptr) return nullptr;
    if (whole != value) {
        /* Try ever more fraction digits after the seconds until the text
         * reads back. */
        char *const base = end;
        bool found = false;
        for (int places = 1; places <= kMostFractionDigits && !found; ++places) {
            char fraction[32];
            auto result = std::to_chars(fraction, fraction + sizeof fraction, value - whole,
                                        std::chars_format::fixed, places);
            std::string_view digitsText(fraction, size_t(result.ptr - fraction));
            if (digitsText.size() < 2 || digitsText[0] != '0') break; /* rounded up to 1 */
            std::memcpy(base, digitsText.data() + 1, digitsText.size() - 1);
            end = base + digitsText.size() - 1;
            found = readsBackAsDateTime(out, end, value);
        }
        if (!found) return nullptr;
    }
    return readsBackAsDateTime(out, end, value) ? end : nullptr;
}

/* The cell writers of the date and datetime families (see
 * numberCellWriter). */
char *putLoneDateCell(char *out, double value)
{
    LastIsoDay none;
    return putDateCell(out, value, none);
}

char *putDateTimeCell(char *out, double value)
{
    if (std::isnan(value)) return putMissing(out, value);
    if (!(value == 0 && std::signbit(value)))
        if (char *end = putDateTimeValue(out, value)) return end;
    return putNumber(out, value);
}

/* The most digits of a plain decimal read without the general reader:
 * they make an integer below 10^16, close to the 2^53 up to which every
 * integer is an exact double (17 digits never make one). */
constexpr size_t kMostShortDigits = 16;
/* Powers of ten that a double holds exactly, for the 0 to 15 digits after
 * the point of such a decimal (one digit stands before it). */
constexpr double kExactPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
static_assert(std::size(kExactPowersOfTen) == kMostShortDigits);
/* Integers up to this one are exact doubles. */
constexpr uint64_t kLargestExactInteger = uint64_t{1} << 53;
/* A plain decimal of at most this many bytes lies within 1e-40 and 1e40 (or
 * is zero): the general reader takes it as a number, never as out of
 * range. */
constexpr size_t kLongestInRangeDecimal = 40;

/* True when cell is a plain decimal: decimal digits with at most one point
 * between two digits, optionally after '-'.  *point gets the index of the
 * point, or the size of the cell when there is none. */
bool scanPlainDecimal(std::string_view cell, size_t *point)
{
    const size_t first = !cell.empty() && cell[0] == '-' ? 1 : 0;
    const size_t size = cell.size();
    if (first == size) return false;
    *point = size;
    for (size_t at = first; at < size; ++at) {
        if (unsigned(cell[at] - '0') <= 9) continue;
        if (cell[at] != '.' || *point != size || at == first || at + 1 == size) return false;
        *point = at;
    }
    return true;
}

/* A plain decimal cell (see scanPlainDecimal) of at most kMostShortDigits
 * digits: its value, read exactly as from_chars reads it, without the
 * general number reader.  That holds when its digits without the point
 * make an integer of at most 2^53: integer and power of ten are then exact
 * doubles, and one correctly rounded division gives the nearest double to
 * the decimal.  False for any other cell (the general reader takes it).
 * One pass checks the form and gathers the digits. */
bool readPlainDecimal(std::string_view cell, double *value)
{
    const size_t size = cell.size();
    /* A sign and a point besides the digits. */
    if (size == 0 || size > kMostShortDigits + 2) return false;
    const char *text = cell.data();
    const bool negative = text[0] == '-';
    const size_t first = negative ? 1 : 0;
    if (first == size) return false;
    size_t point = size;
    uint64_t whole = 0; /* at most 18 digits: below 10^18, no overflow */
    for (size_t at = first; at < size; ++at) {
        const unsigned digit = unsigned(static_cast<unsigned char>(text[at])) - '0';
        if (digit <= 9) {
            whole = whole * 10 + digit;
            continue;
        }
        if (text[at] != '.' || point != size || at == first || at + 1 == size) return false;
        point = at;
    }
    const size_t fractionDigits = point == size ? 0 : size - point - 1;
    if (size - first - (fractionDigits == 0 ? 0 : 1) > kMostShortDigits) return false;
    if (whole > kLargestExactInteger) return false;
    /* "-0" and "-0.0" read as negative zero, as from_chars reads them. */
    const double magnitude = fractionDigits == 0 ? double(whole)
                                                 : double(whole) / kExactPowersOfTen[fractionDigits];
    *value = negative ? -magnitude : magnitude;
    return true;
}

/* The day of the bare date cell when it falls in the month last holds
 * (its "YYYY-MM-" is last's and the day exists in that month), else 0.
 * REQUIRES: cell.size() == kIsoDateLength. */
unsigned dayOfLastMonth(std::string_view cell, const LastIsoMonth &last)
{
    if (last.prefix == 0 || std::memcmp(&last.prefix, cell.data(), sizeof last.prefix) != 0)
        return 0;
    const unsigned d0 = unsigned(static_cast<unsigned char>(cell[8])) - '0';
    const unsigned d1 = unsigned(static_cast<unsigned char>(cell[9])) - '0';
    const unsigned day = d0 * 10 + d1;
    return ((d0 <= 9) & (d1 <= 9) & (day >= 1) & (day <= last.days)) ? day : 0;
}

/* Takes the month of the bare date cell, whose parts are parts, into last;
 * returns the date's day number. */
int64_t noteMonth(std::string_view cell, const IsoDateParts &parts, LastIsoMonth &last)
{
    const int64_t days = orvDaysFromCivil(parts.year, parts.month, parts.day);
    std::memcpy(&last.prefix, cell.data(), sizeof last.prefix);
    last.dayZero = days - parts.day;
    last.days = unsigned(orvDaysInMonth(parts.year, parts.month));
    return days;
}

}  // namespace

CellKind readNumberCell(std::string_view cell, double *value)
{
    LastIsoMonth none;
    return readNumberCell(cell, value, none);
}

CellKind readNumberCell(std::string_view cell, double *value, LastIsoMonth &last)
{
    /* Bare dates and plain decimals, the common cells, need no trimming. */
    if (cell.size() == kIsoDateLength) {
        /* A day of the month read last: its number counts from that
         * month's day 0, without the civil conversion. */
        if (const unsigned day = dayOfLastMonth(cell, last); day != 0) {
            *value = double(last.dayZero + int64_t(day));
            return CellKind::Date;
        }
        IsoDateParts parts{};
        if (readIsoDateParts(cell, &parts)) {
            *value = double(noteMonth(cell, parts, last));
            return CellKind::Date;
        }
    }
    if (readPlainDecimal(cell, value)) return CellKind::Number;
    int64_t days = 0;
    cell = trimmed(cell);
    CellKind missing = readMissing(cell, value);
    if (missing != CellKind::Text) return missing;

    if (readIsoDate(cell, &days)) {
        if (cell.size() == kIsoDateLength) {
            *value = double(days);
            return CellKind::Date;
        }
        double seconds = 0;
        if (readIsoTime(cell.substr(kIsoDateLength), &seconds)) {
            *value = double(days * kSecondsPerDay) + seconds;
            return CellKind::DateTime;
        }
        return CellKind::Text;
    }

    std::string_view number = cell;
    if (!number.empty() && number[0] == '+') number.remove_prefix(1);
    if (number.empty() || (number[0] == '-' && cell[0] == '+')) return CellKind::Text;
    double parsed = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), parsed);
    if (error != std::errc{} || end != number.data() + number.size()) return CellKind::Text;
    if (std::isnan(parsed)) parsed = fromBits(ORV_MISSING_BITS); /* "nan(...)" spellings */
    *value = parsed;
    return std::isnan(parsed) ? CellKind::Missing : CellKind::Number;
}

CellKind numberCellKind(std::string_view cell)
{
    LastIsoMonth none;
    return numberCellKind(cell, none);
}

CellKind numberCellKind(std::string_view cell, LastIsoMonth &last)
{
    size_t point = 0;
    /* A cell of a bare date's length is read whole: it is most likely one. */
    if (cell.size() != kIsoDateLength && cell.size() <= kLongestInRangeDecimal &&
        scanPlainDecimal(cell, &point))
        return CellKind::Number;
    /* A bare date is checked without converting it; one in the month of
     * the date before needs only its day checked. */
    if (cell.size() == kIsoDateLength) {
        if (dayOfLastMonth(cell, last) != 0) return CellKind::Date;
        IsoDateParts parts{};
        if (readIsoDateParts(cell, &parts)) {
            noteMonth(cell, parts, last);
            return CellKind::Date;
        }
    }
    double value = 0;
    return readNumberCell(cell, &value);
}

char *putGeneralNumberCell(char *out, double value)
{
    if (std::isnan(value)) return putMissing(out, value);
    return putNumber(out, value);
}

char *putAnyDateCell(char *out, double value, LastIsoDay &last)
{
    /* Within the range (never for a NaN) the conversion is exact, so it
     * tells whole days from parts of a day without a call to floor. */
    if (value >= double(kFirstIsoDay) && value <= double(kLastIsoDay)) {
        const long long days = (long long)(value);
        if (double(days) == value && !(value == 0 && std::signbit(value))) {
            const bool known = last.dayOfMonth > 0;
            if (known && days == last.day + 1 && last.dayOfMonth < 28) {
                /* The next day of the same month: every month has 28. */
                putTwoDigits(last.text + 8, ++last.dayOfMonth);
            } else if (!known || days != last.day) {
                putIsoDate(last.text, days);
                last.dayOfMonth = (last.text[8] - '0') * 10 + (last.text[9] - '0');
            }
            last.day = days;
            std::memcpy(out, last.text, sizeof last.text);
            return out + sizeof last.text;
        }
    }
    if (std::isnan(value)) return putMissing(out, value);
    return putNumber(out, value);
}

NumberCellWriter numberCellWriter(FormatFamily family)
{
    switch (family) {
    case FormatFamily::Date: return putLoneDateCell;
    case FormatFamily::DateTime: return putDateTimeCell;
    default: return putPlainNumberCell;
    }
}

char *putIsoDate(char *out, long long days)
{
    if (days < kFirstIsoDay || days > kLastIsoDay) return nullptr;
    const OrvCivilDate date = orvCivilFromDays(days);
    const int year = int(date.year);
    putTwoDigits(out, year / 100);
    putTwoDigits(out + 2, year % 100);
    out[4] = '-';
    putTwoDigits(out + 5, date.month);
    out[7] = '-';
    putTwoDigits(out + 8, date.day);
    return out + 10;
}

char *putIsoDateTime(char *out, long long seconds)
{
    int64_t days = orvFloorDiv(seconds, kSecondsPerDay);
    int64_t ofDay = seconds - days * kSecondsPerDay; /* [0, 86399] */
    out = putIsoDate(out, days);
    if (out == nullptr) return nullptr;
    out[0] = 'T';
    putTwoDigits(out + 1, int(ofDay / 3600));
    out[3] = ':';
    putTwoDigits(out + 4, int(ofDay / 60 % 60));
    out[6] = ':';
    putTwoDigits(out + 7, int(ofDay % 60));
    return out + 9;
}

}  // namespace orvhost
