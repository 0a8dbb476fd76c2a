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
 * Exports: CellKind, readNumberCell, numberCellKind, appendNumberCell, appendIsoDate,
 * appendIsoDateTime.
 */
#ifndef ORV_PLATFORM_DATASET_VALUE_TEXT_H
#define ORV_PLATFORM_DATASET_VALUE_TEXT_H

#include <string>
#include <string_view>

#include "platform/formats.h"

namespace orvhost {

enum class CellKind { Missing, Number, Date, DateTime, Text };

/* Reads a numeric cell into *value.  Returns the kind of text it held; Text
 * (the cell is not numeric) leaves *value unchanged. */
CellKind readNumberCell(std::string_view cell, double *value);

/* The kind of a numeric cell, as readNumberCell gives it, without working
 * out the value of a plain decimal (which may need the general reader). */
CellKind numberCellKind(std::string_view cell);

/* Appends the cell text of value for a variable whose format is of family
 * `family` (Date and DateTime write ISO 8601 text). */
void appendNumberCell(std::string &out, double value, FormatFamily family);

/* Appends YYYY-MM-DD of a day number; false (nothing appended) outside the
 * years 1 to 9999. */
bool appendIsoDate(std::string &out, long long days);

/* Appends YYYY-MM-DDTHH:MM:SS of whole seconds since 1960; false (nothing
 * appended) outside the years 1 to 9999. */
bool appendIsoDateTime(std::string &out, long long seconds);

}  // namespace orvhost

#endif
