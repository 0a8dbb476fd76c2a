/*
 * format_services.cpp - host routines of the format services: xfrname
 * (format name to format code), znamdiv (a format name or a data-set name
 * divided into its parts), xfrshow (format code to name), xpfs (a number
 * rendered with a format), xfxin (a text read with an informat) and xpsstr
 * (printf-style text into a bounded buffer).
 *
 * Exports (namespace host_routines): xfrname, znamdiv, xfrshow, xpfs,
 * xfxin, xpsstr.  Record layouts: host/format_records.h; the catalogue and
 * the renderings: platform/formats.h.
 *
 * A format code is the format's identifier, with the decimals of a name
 * that wrote them (platform/formats.h, kDecimalsCodeUnit); the width
 * travels beside it.  Names and texts arrive as pointer and length
 * and need no terminator; nothing is ever written past a given length.
 */
#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "host/format_records.h"
#include "host/missing_values.h"
#include "platform/formats.h"
#include "platform/listing.h"
#include "platform/options.h"
#include "platform/service_table.h"

namespace host_routines {

namespace {

using orvhost::FormatFamily;
using orvhost::FormatSpec;
using orvhost::kFormatStatusBadArgument;
using orvhost::kFormatStatusNotFound;

/* Result of znamdiv for a name that does not divide. */
constexpr int kNameDoesNotDivide = -1;

/* Widest field that xpfs fills. */
constexpr int kMaxFieldWidth = 32767;

/* A format code divided: the identifier (kNoFormat too) and the decimals
 * it renders with (-1: the format's own).  False for a code that names no
 * format of the catalogue, or more decimals than the format takes.
 * Checked as a 64-bit value before it is narrowed. */
bool splitCode(int64_t code, int *identifier, int *decimals)
{
    *identifier = orvhost::kNoFormat;
    *decimals = -1;
    if (code == orvhost::kNoFormat) return true;
    if (code <= 0) return false;
    const int64_t id = code % orvhost::kDecimalsCodeUnit, given = code / orvhost::kDecimalsCodeUnit;
    const FormatSpec *spec = id < orvhost::kNoFormat ? orvhost::findFormat(int(id)) : nullptr;
    if (spec == nullptr || given > spec->maxDecimals) return false;
    *identifier = int(id);
    if (given > 0) *decimals = int(given);
    return true;
}

std::string_view trimBlanks(std::string_view text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

uint8_t categoryOf(FormatFamily family)
{
    switch (family) {
    case FormatFamily::Numeric: return ORV_FORMAT_CATEGORY_NUMBER;
    case FormatFamily::Date: return ORV_FORMAT_CATEGORY_DATE;
    case FormatFamily::DateTime: return ORV_FORMAT_CATEGORY_DATETIME;
    case FormatFamily::Time: return ORV_FORMAT_CATEGORY_TIME;
    case FormatFamily::Character: return ORV_FORMAT_CATEGORY_CHARACTER;
    }
    return 0;
}

/* Copies text into a counted, blank-padded part of NAME_PARTS.
 * REQUIRES: text.size() <= ORV_NAME_PART_LENGTH. */
void setPart(int16_t *length, char *field, std::string_view text)
{
    std::memset(field, ' ', ORV_NAME_PART_LENGTH);
    if (!text.empty()) std::memcpy(field, text.data(), text.size());
    *length = int16_t(text.size());
}

/* A library reference or member name: a letter or '_', then letters,
 * digits and '_', at most ORV_NAME_PART_LENGTH characters. */
bool isDataSetName(std::string_view name)
{
    auto isStart = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; };
    if (name.empty() || name.size() > size_t(ORV_NAME_PART_LENGTH) || !isStart(name[0])) return false;
    return std::all_of(name.begin(), name.end(),
                       [&](char c) { return isStart(c) || std::isdigit(static_cast<unsigned char>(c)); });
}

/* The year cut-off of the running host (the default when the option
 * service is not part of this host). */
int yearCutoff()
{
    int cutoff = orvhost::kDefaultYearCutoff;
    if (xyrn6gf != nullptr && xyrn6gf(orvhost::kYearCutoffOptionId, &cutoff) != 0)
        cutoff = orvhost::kDefaultYearCutoff;
    return cutoff;
}

}  // namespace

/*
 * Resolves a format or informat name into its format code.
 * Inputs: name (nameLength bytes, surrounding blanks ignored, any case,
 * with or without width and decimals: "date", "DATE9.", "F8.2"); kind
 * ORV_FORMAT_KIND_FORMAT ('F') or ORV_FORMAT_KIND_INFORMAT ('I'); the log
 * handle is not used (callers report a failing status themselves).
 * Outputs: *formatCodeOut (when not null) the format code: the identifier,
 * with the decimals when the name wrote some (up to the format's most),
 * ORV_NO_FORMAT on failure; *formatInfoOut (a FORMAT_INFO, when not null)
 * the widths, decimals and category, and the width and decimals the name
 * carried.
 * Returns 0; kFormatStatusNotFound for a name the host does not know or
 * that is no format name; kFormatStatusBadArgument for a null name, a
 * negative length or another kind.
 */
int xfrname(void *, const char *name, int nameLength, int kind, void *formatInfoOut, int64_t *formatCodeOut)
{
    if (formatCodeOut != nullptr) *formatCodeOut = ORV_NO_FORMAT;
    if (name == nullptr || nameLength < 0 || (kind != ORV_FORMAT_KIND_FORMAT && kind != ORV_FORMAT_KIND_INFORMAT))
        return kFormatStatusBadArgument;
    orvhost::FormatName parts;
    if (!orvhost::splitFormatName(std::string_view(name, size_t(nameLength)), &parts)) return kFormatStatusNotFound;
    const FormatSpec *spec = orvhost::findFormat(parts.name);
    if (spec == nullptr) return kFormatStatusNotFound;
    if (formatInfoOut != nullptr) {
        FORMAT_INFO info{};
        info.defaultWidth = int16_t(spec->defaultWidth);
        info.minWidth = int16_t(spec->minWidth);
        info.maxWidth = int16_t(spec->maxWidth);
        info.defaultDecimals = int16_t(spec->defaultDecimals);
        info.maxDecimals = int16_t(spec->maxDecimals);
        info.givenWidth = int16_t(parts.width); /* at most 32767 */
        info.givenDecimals = int16_t(parts.decimals);
        info.category = categoryOf(spec->family);
        std::memcpy(formatInfoOut, &info, sizeof info);
    }
    if (formatCodeOut != nullptr)
        *formatCodeOut = spec->identifier + orvhost::kDecimalsCodeUnit * std::min(parts.decimals, spec->maxDecimals);
    return 0;
}

/*
 * Divides a name into its parts.
 * Inputs: name (nameLength bytes, surrounding blanks ignored); mode
 * ORV_NAMDIV_FORMAT for a format name ("DATE9.", "F8.2", "$CHAR10.") or
 * ORV_NAMDIV_DATA_SET for a data-set name ("libref.member", or "member",
 * which is WORK.member).  The name need not be known to the host.
 * Outputs: *partsOut (a NAME_PARTS, when not null), see format_records.h;
 * texts keep the case they were given in, except format names (upper case).
 * Returns the length of the first part (the format name or the library
 * reference), or -1 (kNameDoesNotDivide) for a null name, a negative
 * length, another mode, or a text that is no such name (empty parts, more
 * than one '.', a part longer than 32 characters or with characters other
 * than letters, digits and '_').
 */
int znamdiv(const char *name, int nameLength, int mode, void *partsOut)
{
    if (name == nullptr || nameLength < 0) return kNameDoesNotDivide;
    const std::string_view text = trimBlanks(std::string_view(name, size_t(nameLength)));
    NAME_PARTS parts{};
    if (mode == ORV_NAMDIV_FORMAT) {
        orvhost::FormatName format;
        if (!orvhost::splitFormatName(text, &format)) return kNameDoesNotDivide;
        setPart(&parts.firstLength, parts.first, format.name);
        setPart(&parts.secondLength, parts.second, {});
        parts.width = format.width;
        parts.decimals = format.decimals;
    } else if (mode == ORV_NAMDIV_DATA_SET) {
        const size_t dot = text.find('.');
        const std::string_view library = dot == std::string_view::npos ? std::string_view("WORK") : text.substr(0, dot);
        const std::string_view member = dot == std::string_view::npos ? text : text.substr(dot + 1);
        if (!isDataSetName(library) || !isDataSetName(member)) return kNameDoesNotDivide;
        setPart(&parts.firstLength, parts.first, library);
        setPart(&parts.secondLength, parts.second, member);
    } else {
        return kNameDoesNotDivide;
    }
    if (partsOut != nullptr) std::memcpy(partsOut, &parts, sizeof parts);
    return parts.firstLength;
}

/*
 * Renders a format code as its name, blank-padded into buffer
 * (bufferLength bytes; ORV_NO_FORMAT gives all blanks).
 * Returns 0; kFormatStatusNotFound for an unknown code (the buffer is
 * blank); kFormatStatusBadArgument for a null buffer, a length below 1, or
 * a buffer too short for the name (the buffer is then blank too).
 */
int xfrshow(int64_t formatCode, char *buffer, int bufferLength)
{
    if (buffer == nullptr || bufferLength < 1) return kFormatStatusBadArgument;
    std::memset(buffer, ' ', size_t(bufferLength));
    if (formatCode == ORV_NO_FORMAT) return 0;
    int identifier = 0, decimals = 0;
    if (!splitCode(formatCode, &identifier, &decimals)) return kFormatStatusNotFound;
    const std::string name = orvhost::formatNameOf(identifier);
    if (name.size() > size_t(bufferLength)) return kFormatStatusBadArgument;
    std::memcpy(buffer, name.data(), name.size());
    return 0;
}

/*
 * Renders a number with a format code into a text field of |width|
 * characters, with the code's decimals, else the format's default ones
 * (ORV_NO_FORMAT renders as BEST).  A positive width fills the whole
 * field, right-aligned with leading blanks; a negative width writes the
 * text left-justified and nothing after it (the rest of the field keeps
 * its bytes), so a caller that cleared the field finds the text's end.  A
 * value that does not fit gives |width| asterisks either way.
 * Returns 0; kFormatStatusNotFound for an unknown code;
 * kFormatStatusBadArgument for a null field, a width of 0 or above 32767
 * in magnitude, or a character format.  The field is untouched on failure.
 */
int xpfs(int64_t formatCode, double value, char *field, int width)
{
    if (field == nullptr || width == 0 || width < -kMaxFieldWidth || width > kMaxFieldWidth)
        return kFormatStatusBadArgument;
    int identifier = 0, decimals = 0;
    if (!splitCode(formatCode, &identifier, &decimals)) return kFormatStatusNotFound;
    std::string text;
    const int status = orvhost::formatValue(identifier, value, width < 0 ? -width : width, decimals, &text);
    if (status != 0) return status;
    if (width < 0) text.erase(0, text.find_first_not_of(' '));
    std::memcpy(field, text.data(), text.size());
    return 0;
}

/*
 * Reads a number from text (textLength bytes) with an informat code into
 * *valueOut (ORV_NO_FORMAT reads as F; the code's decimals are those a
 * number without a point has, as readValue takes them); two-digit years
 * follow the host's year cut-off.  An empty or all-blank text, or ".",
 * reads as the ordinary missing value.
 * Returns 0; kInformatStatusInvalid for a text the informat cannot read;
 * kFormatStatusNotFound for an unknown code; kFormatStatusBadArgument for
 * a null valueOut, a null text with a positive length, a negative length or
 * a character informat.  *valueOut is the ordinary missing value after
 * every failure but the first.
 */
int xfxin(int64_t informatCode, const char *text, int textLength, double *valueOut)
{
    if (valueOut == nullptr) return kFormatStatusBadArgument;
    *valueOut = orvMissing();
    if (textLength < 0 || (text == nullptr && textLength > 0)) return kFormatStatusBadArgument;
    int identifier = 0, decimals = 0;
    if (!splitCode(informatCode, &identifier, &decimals)) return kFormatStatusNotFound;
    const std::string_view input = text == nullptr ? std::string_view() : std::string_view(text, size_t(textLength));
    return orvhost::readValue(identifier, input, std::max(decimals, 0), yearCutoff(), valueOut);
}

/*
 * printf-style formatting into buffer (bufferLength bytes), with the
 * conversions of orvhost::formatHostText, in which "%*s" takes a counted
 * text: an int length, then a pointer.  The text is cut to bufferLength
 * bytes; a terminating NUL follows it only when there is room.
 * Returns the number of bytes stored (0 to bufferLength): never more than
 * the buffer holds, so that the result can serve as the text's length.
 * A null buffer or format, or a length below 1, stores nothing and gives 0.
 */
int xpsstr(char *buffer, int bufferLength, const char *format, ...)
{
    if (buffer == nullptr || bufferLength < 1 || format == nullptr) return 0;
    va_list args;
    va_start(args, format);
    std::string text = orvhost::formatHostText(format, args);
    va_end(args);
    /* formatHostText drops a final newline, as listing lines do not need
     * it; a buffer does. */
    const size_t formatLength = std::strlen(format);
    if (formatLength > 0 && format[formatLength - 1] == '\n' && (text.empty() || text.back() != '\n')) text += '\n';
    const size_t stored = std::min(text.size(), size_t(bufferLength));
    std::memcpy(buffer, text.data(), stored);
    if (stored < size_t(bufferLength)) buffer[stored] = '\0';
    return int(stored);
}

}  // namespace host_routines
