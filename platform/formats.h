/*
 * formats.h - the host's formats and informats: the catalogue of names and
 * identifiers, the division of a name like DATE9. into its parts, and the
 * two conversions, a number rendered as text with a format and a text read
 * as a number with an informat.
 *
 * A format is named like DATE9. or F8.2 (name, width, '.', decimals); its
 * identifier is a small integer, kNoFormat (99) meaning no format.  Every
 * format of the catalogue is also an informat of the same name and
 * identifier, which reads the texts the format writes.
 *
 * Exports: kNoFormat, FormatFamily, FormatId, FormatSpec, the host statuses of the
 * format services, formatCatalogue, findFormat, formatFamily,
 * formatIdentifier, formatNameOf, FormatName, splitFormatName, formatValue,
 * readValue.  Renderings: the table at the head of formats.cpp.
 */
#ifndef ORV_PLATFORM_FORMATS_H
#define ORV_PLATFORM_FORMATS_H

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvhost {

constexpr int kNoFormat = 99;

/* A format code, as the format services hand them to the modules, is a
 * format's identifier; a name that writes decimals ("F8.2", "COMMA12.2")
 * gives its identifier plus the decimals times kDecimalsCodeUnit, and that
 * code renders with those decimals.  Identifiers stay below the unit. */
constexpr int64_t kDecimalsCodeUnit = 0x100;

enum class FormatFamily { Numeric, Date, DateTime, Time, Character };

/* Identifiers of the catalogue's formats.  They are stored in data-set
 * descriptions: append new ones, never renumber.  ORDER: the rows of the
 * catalogue in formats.cpp. */
enum FormatId : int {
    kFormatF = 1,
    kFormatBest,
    kFormatDate,
    kFormatDatetime,
    kFormatTime,
    kFormatInt,
    kFormatDtDate,
    kFormatWeekdatx,
    kFormatDtWkdatx,
    kFormatWeekv,
    kFormatDtWeekv,
    kFormatYyqc,
    kFormatDtYyqc,
    kFormatMonyy,
    kFormatDtMonyy,
    kFormatYear,
    kFormatDtYear,
    kFormatHhmm,
    kFormatHour,
    kFormatMmss,
    kFormatYymmdd,
    kFormatChar,
    kFormatDollar,
    kFormatD,
    kFormatComma,
};

/* Host statuses of the format services (0 is success).  Their texts are in
 * set 2 of messages.cat, keyed by the status as a signed int. */
constexpr int kFormatStatusNotFound = int(0x8004F001u);    /* no such format name or identifier */
constexpr int kFormatStatusBadArgument = int(0x8004F002u); /* null pointer, bad length, width or kind */
constexpr int kInformatStatusInvalid = int(0x8004F003u);   /* a text the informat cannot read */

/* One format of the catalogue.  Widths and decimals are the defaults and
 * the bounds the format accepts; a width above maxWidth is honoured by
 * padding. */
struct FormatSpec {
    const char *name; /* upper case, with '$' for character formats */
    int identifier;
    FormatFamily family;
    int defaultWidth;
    int minWidth;
    int maxWidth;
    int defaultDecimals;
    int maxDecimals;
};

/* Every format, ordered by identifier (1, 2, ...). */
std::span<const FormatSpec> formatCatalogue();

/* The format of a name (without width or '.'; any case; surrounding
 * blanks ignored), or null. */
const FormatSpec *findFormat(std::string_view name);

/* The format of an identifier, or null (also for kNoFormat). */
const FormatSpec *findFormat(int identifier);

/* The family of a format name (without width or '.'; any case). Unknown
 * names are Numeric, or Character when they start with '$'. */
FormatFamily formatFamily(std::string_view name);

/* The identifier of a format name (without width or '.'; any case), or
 * kNoFormat when the host does not know it. */
int formatIdentifier(std::string_view name);

/* The name of a format identifier ("" for kNoFormat and unknown ones). */
std::string formatNameOf(int identifier);

/* A format name divided: "DATE9." is {"DATE", 9, 0}, "F8.2" {"F", 8, 2},
 * "$CHAR10." {"$CHAR", 10, 0}, "BEST" {"BEST", 0, 0}.  The name is upper
 * case; width and decimals are 0 when not written. */
struct FormatName {
    std::string name;
    int width = 0;
    int decimals = 0;
};

/* Divides a format name (surrounding blanks ignored): an optional '$', a
 * letter or '_', letters, digits and '_' up to the trailing width digits,
 * then optionally '.' and decimal digits.  False, with *out untouched, for
 * a text that is no format name (empty, bad characters, a name longer than
 * 32 characters, a width above 32767 or decimals above 31). */
bool splitFormatName(std::string_view text, FormatName *out);

/* Renders value with format identifier (kNoFormat renders as BEST) in
 * width characters (0: the format's default width), right-aligned, into
 * *textOut; decimals below 0 take the format's default, above its maximum
 * its maximum.  A missing value is "." or its letter ("A" to "Z", "_");
 * a value that does not fit, an infinity, or a date outside the host's
 * range is width asterisks.
 * Returns 0, kFormatStatusNotFound for an unknown identifier, or
 * kFormatStatusBadArgument for a negative width or a character format
 * (*textOut is then empty). */
int formatValue(int identifier, double value, int width, int decimals, std::string *textOut);

/* Reads text with informat identifier (kNoFormat reads as F) into
 * *valueOut.  Surrounding blanks are ignored and letters may be of any
 * case; an empty text or "." reads as the ordinary missing value, and the
 * number informats also read ".A" to ".Z" and "._".  decimals > 0 makes
 * the number informats place a decimal point that the text does not write
 * (F with 2 reads "1234" as 12.34).  Two-digit years are taken into the
 * hundred years that begin with yearCutoff.
 * Returns 0, kFormatStatusNotFound for an unknown identifier,
 * kFormatStatusBadArgument for a character informat, or
 * kInformatStatusInvalid for a text the informat cannot read (a date that
 * does not exist or lies outside the host's range among them); on every
 * failure *valueOut is the ordinary missing value. */
int readValue(int identifier, std::string_view text, int decimals, int yearCutoff, double *valueOut);

}  // namespace orvhost

#endif
