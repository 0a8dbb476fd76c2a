/*
 * listing.cpp - formatHostText, the bounded printf subset behind the host's
 * printf-style services (xpsprn, xebug).
 */
#include "platform/listing.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace orvhost {

namespace {

enum class Length { None, Char, Short, Long, LongLong, Max, Size, Diff, LongDouble };

struct Spec {
    std::string flags;
    int width = -1;     /* -1: none */
    int precision = -1; /* -1: none */
    Length length = Length::None;
    char conversion = 0;
};

bool isFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '0' || c == '#'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isKnownConversion(char c) { return c != 0 && std::strchr("diouxXcsfFeEgGaAp", c) != nullptr; }

/* Reads a decimal field, cut to kMaxFieldWidth so that no later
 * arithmetic can overflow. */
int readNumber(const char *&p)
{
    int value = 0;
    for (; isDigit(*p); ++p) value = std::min(value * 10 + (*p - '0'), kMaxFieldWidth);
    return value;
}

Length readLength(const char *&p)
{
    switch (*p) {
    case 'h':
        ++p;
        if (*p == 'h') return ++p, Length::Char;
        return Length::Short;
    case 'l':
        ++p;
        if (*p == 'l') return ++p, Length::LongLong;
        return Length::Long;
    case 'j': return ++p, Length::Max;
    case 'z': return ++p, Length::Size;
    case 't': return ++p, Length::Diff;
    case 'L': return ++p, Length::LongDouble;
    default: return Length::None;
    }
}

/* Pads text to the conversion's width (left-justified with the '-' flag). */
void appendPadded(std::string &out, std::string_view text, const Spec &spec)
{
    size_t width = spec.width > 0 ? size_t(spec.width) : 0;
    size_t fill = width > text.size() ? width - text.size() : 0;
    bool left = spec.flags.find('-') != std::string::npos;
    if (!left) out.append(fill, ' ');
    out.append(text);
    if (left) out.append(fill, ' ');
}

/* The C format of one numeric conversion, with the given length letters. */
std::string cFormat(const Spec &spec, const char *lengthLetters)
{
    std::string format = "%" + spec.flags;
    if (spec.width >= 0) format += std::to_string(spec.width);
    if (spec.precision >= 0) format += "." + std::to_string(spec.precision);
    format += lengthLetters;
    format += spec.conversion;
    return format;
}

/* Appends one numeric conversion formatted by the C library.  The buffer
 * holds any result: at most kMaxFieldWidth of width or of precision plus
 * the 309 integer digits of the largest double, a sign, a point and an
 * exponent. */
template <typename Value>
void appendNumber(std::string &out, const Spec &spec, const char *lengthLetters, Value value)
{
    char buffer[2 * kMaxFieldWidth + 5000];
    std::string format = cFormat(spec, lengthLetters);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int written = std::snprintf(buffer, sizeof buffer, format.c_str(), value);
#pragma GCC diagnostic pop
    if (written > 0) out.append(buffer, std::min(size_t(written), sizeof buffer - 1));
}

void appendSigned(std::string &out, const Spec &spec, va_list args)
{
    long long value;
    switch (spec.length) {
    case Length::Char: value = static_cast<signed char>(va_arg(args, int)); break;
    case Length::Short: value = static_cast<short>(va_arg(args, int)); break;
    case Length::Long: value = va_arg(args, long); break;
    case Length::LongLong: value = va_arg(args, long long); break;
    case Length::Max: value = va_arg(args, intmax_t); break;
    case Length::Size:
    case Length::Diff: value = va_arg(args, ptrdiff_t); break;
    default: value = va_arg(args, int); break;
    }
    appendNumber(out, spec, "ll", value);
}

void appendUnsigned(std::string &out, const Spec &spec, va_list args)
{
    unsigned long long value;
    switch (spec.length) {
    case Length::Char: value = static_cast<unsigned char>(va_arg(args, unsigned)); break;
    case Length::Short: value = static_cast<unsigned short>(va_arg(args, unsigned)); break;
    case Length::Long: value = va_arg(args, unsigned long); break;
    case Length::LongLong: value = va_arg(args, unsigned long long); break;
    case Length::Max: value = va_arg(args, uintmax_t); break;
    case Length::Size:
    case Length::Diff: value = va_arg(args, size_t); break;
    default: value = va_arg(args, unsigned); break;
    }
    appendNumber(out, spec, "ll", value);
}

/* strnlen over a text of unknown size: stops at the NUL or at `limit`. */
size_t lengthUpTo(const char *text, size_t limit)
{
    size_t n = 0;
    while (n < limit && text[n] != '\0') ++n;
    return n;
}

}  // namespace

std::string formatHostText(const char *format, va_list args)
{
    std::string out;
    if (format == nullptr) return out;
    const char *p = format;
    while (*p != '\0' && out.size() < kMaxFormattedLength) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        const char *start = p++;
        if (*p == '%') {
            out += '%';
            ++p;
            continue;
        }
        Spec spec;
        while (isFlag(*p)) spec.flags += *p++;
        bool widthFromArgument = *p == '*';
        if (widthFromArgument) ++p;
        else if (isDigit(*p)) spec.width = readNumber(p);
        bool precisionFromArgument = false;
        if (*p == '.') {
            ++p;
            precisionFromArgument = *p == '*';
            if (precisionFromArgument) ++p;
            else spec.precision = readNumber(p);
        }
        spec.length = readLength(p);
        spec.conversion = *p;
        if (!isKnownConversion(spec.conversion)) {
            out.append(start);
            break;
        }
        ++p;

        /* Arguments in C's order: width, precision, value. */
        bool countedText = widthFromArgument && spec.conversion == 's';
        int count = 0;
        if (widthFromArgument) {
            int width = va_arg(args, int);
            if (countedText) {
                count = width;
            } else {
                if (width < 0) {
                    spec.flags += '-';
                    width = width == INT_MIN ? kMaxFieldWidth : -width;
                }
                spec.width = std::min(width, kMaxFieldWidth);
            }
        }
        if (precisionFromArgument) {
            int precision = va_arg(args, int);
            spec.precision = precision < 0 ? -1 : std::min(precision, kMaxFieldWidth);
        }

        switch (spec.conversion) {
        case 'd':
        case 'i': appendSigned(out, spec, args); break;
        case 'u':
        case 'o':
        case 'x':
        case 'X': appendUnsigned(out, spec, args); break;
        case 'c': {
            char c = static_cast<char>(va_arg(args, int));
            appendPadded(out, std::string_view(&c, 1), spec);
            break;
        }
        case 's': {
            const char *text = va_arg(args, const char *);
            size_t limit = spec.precision >= 0 ? size_t(spec.precision) : kMaxFormattedLength;
            if (countedText) {
                std::string_view counted =
                    text == nullptr ? std::string_view("(null)")
                    : count >= 0    ? std::string_view(text, std::min(size_t(count), limit))
                                    : std::string_view(text, lengthUpTo(text, limit));
                out.append(counted);
            } else {
                appendPadded(out,
                             text == nullptr ? std::string_view("(null)")
                                             : std::string_view(text, lengthUpTo(text, limit)),
                             spec);
            }
            break;
        }
        case 'p': appendNumber(out, spec, "", va_arg(args, void *)); break;
        default: /* floating point */
            if (spec.length == Length::LongDouble)
                appendNumber(out, spec, "L", va_arg(args, long double));
            else
                appendNumber(out, spec, "", va_arg(args, double));
            break;
        }
    }
    if (out.size() > kMaxFormattedLength) out.resize(kMaxFormattedLength);
    return out;
}

}  // namespace orvhost
