/*
 * value_text.h - numeric cells of the data-set files: the text of a value and
 * the value of a text.
 *
 * A numeric cell holds
 *   - nothing, ".", "NA", "NaN" or "nan": the ordinary missing value;
 *   - ".A" to ".Z" (any case) or "._": that special missing value, bit for
 *     bit;
 *   - a number as std::from_chars reads it (an optional leading '+' too);
 *   - an ISO 8601 date YYYY-MM-DD (a day number since 1 January 1960), or
 *     datetime YYYY-MM-DDTHH:MM[:SS[.fff]] ('T' or a blank between date and
 *     time; seconds since 1 January 1960 00:00).
 * Blanks around the text are ignored.
 *
 * Values are written as the shortest text that reads back to the same
 * double; the ordinary missing value (and any NaN that is not one of the 28
 * missing values of the host) as an empty cell; the special missing values
 * as ".A" to ".Z" and "._".  A value of a variable with a date or datetime
 * format is written as ISO 8601 text when that text reads back to the same
 * double (whole days of the years 1 to 9999; datetimes to the nanosecond),
 * otherwise as a number.
 *
 * Exports: CellKind, readNumberCell, LastIsoMonth, kLongestNumberCell, NumberCellWriter,
 * putGeneralNumberCell, numberCellWriter, putPlainNumberCell, LastIsoDay,
 * putDateCell, putAnyDateCell, putIsoDate, putIsoDateTime, numberCellKind.
 */
#ifndef ORV_PLATFORM_DATASET_VALUE_TEXT_H
#define ORV_PLATFORM_DATASET_VALUE_TEXT_H

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/formats.h"

namespace orvhost {

enum class CellKind { Missing, Number, Date, DateTime, Text };

/* Reads a numeric cell into *value.  Returns the kind of text it held; Text
 * (the cell is not numeric) leaves *value unchanged. */
CellKind readNumberCell(std::string_view cell, double *value);

/* The month of the bare date a column read last.  Most dates of a daily
 * series fall in the month of the one before: their day number is that
 * month's day 0 plus the day, without the civil conversion. */
struct LastIsoMonth {
    uint64_t prefix = 0; /* the bytes "YYYY-MM-", 0 before the first date */
    int64_t dayZero = 0; /* day number of the day before the month's first */
    unsigned days = 0;   /* days in the month */
};

/* readNumberCell through last (updated when the cell is a bare date). */
CellKind readNumberCell(std::string_view cell, double *value, LastIsoMonth &last);

/* The kind of a numeric cell, as readNumberCell gives it, without working
 * out the value of a plain decimal (which may need the general reader). */
CellKind numberCellKind(std::string_view cell);

/* numberCellKind through last (updated when the cell is a bare date), as
 * readNumberCell reads through it. */
CellKind numberCellKind(std::string_view cell, LastIsoMonth &last);
/* The most bytes the text of one numeric cell takes (a shortest double
 * has at most 24, a datetime with nine fraction digits 29). */
constexpr size_t kLongestNumberCell = 32;

/* Writes the cell text of a value at out, which has room for
 * kLongestNumberCell bytes, and returns the end of the text. */
using NumberCellWriter = char *(*)(char *out, double value);

/* Writes the cell text of any value of a variable without a date or
 * datetime format; as NumberCellWriter. */
char *putGeneralNumberCell(char *out, double value);

/* The cell writer of the variables whose format is of family `family`
 * (Date and DateTime write ISO 8601 text, the others numbers); chosen once
 * per variable, not per value. */
NumberCellWriter numberCellWriter(FormatFamily family);

/* Writes the cell text of a value of a variable without a date or
 * datetime format at out (room for kLongestNumberCell bytes) and returns
 * the end.  The lone digits that most cells of dummies and flags hold are
 * written inline, the rest by putGeneralNumberCell. */
inline char *putPlainNumberCell(char *out, double value)
{
    /* The bits of +0 to 9 are the lowest of all doubles: a negative value,
     * -0 and every NaN lie above those of 9. */
    constexpr uint64_t kNineBits = 0x4022000000000000ull;
    static_assert(std::bit_cast<uint64_t>(9.0) == kNineBits);
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    if (bits == 0) { /* +0, the most common cell of all, without converting */
        *out = '0';
        return out + 1;
    }
    if (bits <= kNineBits) {
        const int digit = int(value);
        if (double(digit) == value) {
            *out = char('0' + digit);
            return out + 1;
        }
    }
    return putGeneralNumberCell(out, value);
}

/* The ISO text of the day a date column wrote last.  Most dates of a daily
 * series follow the one before: their text is the last one with the day of
 * the month stepped, without the civil conversion. */
struct LastIsoDay {
    long long day = 0;
    int dayOfMonth = 0; /* 1 to 31; 0 before the first day */
    char text[10] = {};
};

/* putDateCell for any value (see there). */
char *putAnyDateCell(char *out, double value, LastIsoDay &last);

/* Writes the cell text of a value of a variable with a date format at out
 * (room for kLongestNumberCell bytes), as the Date family's cell writer
 * does, through last (updated); returns the end.  The day after the last
 * one within its month is written inline, the rest by putAnyDateCell. */
inline char *putDateCell(char *out, double value, LastIsoDay &last)
{
    /* Every month has 28 days, so the next day of one up to the 27th keeps
     * its year and month.  Compared bit for bit: -0 is no day 0. */
    if (last.dayOfMonth > 0 && last.dayOfMonth < 28 &&
        std::bit_cast<uint64_t>(value) == std::bit_cast<uint64_t>(double(last.day + 1))) {
        ++last.day;
        const int day = ++last.dayOfMonth; /* 2 to 28 */
        /* The day's digits go out from registers: a copy that read back
         * the byte just stepped in last.text would wait for that store. */
        const char tens = char('0' + day / 10), units = char('0' + day % 10);
        last.text[8] = tens;
        last.text[9] = units;
        std::memcpy(out, last.text, 8);
        out[8] = tens;
        out[9] = units;
        return out + sizeof last.text;
    }
    return putAnyDateCell(out, value, last);
}

/* Writes YYYY-MM-DD of a day number at out (10 bytes); returns the end, or
 * null (nothing written) outside the years 1 to 9999. */
char *putIsoDate(char *out, long long days);

/* Writes YYYY-MM-DDTHH:MM:SS of whole seconds since 1960 at out (19
 * bytes); returns the end, or null (nothing written) outside the years 1
 * to 9999. */
char *putIsoDateTime(char *out, long long seconds);

}  // namespace orvhost

#endif
