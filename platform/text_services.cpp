/*
 * text_services.cpp - host routines of the case services on text fields:
 * wzstrup and wzstrlo (in place), and the multi-byte variants wzsxcch,
 * wzsxrch (translate into a destination), wzsxcmn (three-way blank-padded
 * compare) and wzsxeqn (equality), all without regard to case; and wzrlchr,
 * which reads a decimal number from a text field.
 *
 * This host treats text as UTF-8 bytes: only the ASCII letters have a case,
 * every byte of a multi-byte character (0x80 and above) stays as it is, so a
 * character is never split or changed.  Case is folded onto upper case, the
 * way the collating table folds it, so that the multi-byte compare orders
 * ASCII text exactly as the single-byte one does.
 *
 * A negative length, or a null field, counts as a field of length 0.
 */
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "host/padded_compare.h"
#include "platform/service_table.h"

namespace host_routines {

namespace {

constexpr unsigned char kBlank = 0x20;

unsigned char upper(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c; }
unsigned char lower(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c; }

int usable(const void *field, int length) { return field == nullptr || length < 0 ? 0 : length; }

void mapInPlace(char *field, int length, unsigned char (*map)(unsigned char))
{
    auto *bytes = reinterpret_cast<unsigned char *>(field);
    for (int i = 0; i < usable(field, length); ++i) bytes[i] = map(bytes[i]);
}

/* Copies min(sourceLength, destinationLength) bytes (overlap-safe), maps
 * them and blank-fills the rest of the destination. */
void mapInto(const char *source, int sourceLength, char *destination, int destinationLength,
             unsigned char (*map)(unsigned char))
{
    sourceLength = usable(source, sourceLength);
    destinationLength = usable(destination, destinationLength);
    int n = sourceLength < destinationLength ? sourceLength : destinationLength;
    if (n > 0) std::memmove(destination, source, size_t(n));
    mapInPlace(destination, n, map);
    if (destinationLength > n) std::memset(destination + n, kBlank, size_t(destinationLength - n));
}

/* A plain decimal number: optional sign, digits with at most one point
 * (at least one digit in all), optional exponent E followed by an optional
 * sign and digits.  Rules out what from_chars would also take: "inf",
 * "nan" and hexadecimal digits. */
bool isDecimalNumber(std::string_view text)
{
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    int digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') ++digits;
        else if (text[i] == '.' && !point) point = true;
        else break;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        const size_t exponentStart = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        if (i == exponentStart) return false;
    }
    return i == text.size();
}

}  // namespace

/*
 * Reads a decimal number from a text field (textLength bytes; blanks around
 * it are ignored): "5", "+12", "-0.5", "1E3".
 * Output: *valueOut (when not null) the number; untouched on failure.
 * Returns 0; 1 for an empty or all-blank field, a text that is not wholly
 * one decimal number, or a number beyond the range of a finite double.
 */
int wzrlchr(const char *text, int textLength, double *valueOut)
{
    std::string_view field(text == nullptr ? "" : text, size_t(usable(text, textLength)));
    const size_t first = field.find_first_not_of(char(kBlank));
    if (first == std::string_view::npos) return 1;
    field = field.substr(first, field.find_last_not_of(char(kBlank)) - first + 1);
    if (!isDecimalNumber(field)) return 1;
    /* from_chars takes no leading '+'. */
    std::string_view digits = field.front() == '+' ? field.substr(1) : field;
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size() || !std::isfinite(value)) return 1;
    if (valueOut != nullptr) *valueOut = value;
    return 0;
}

void wzstrup(char *field, int length) { mapInPlace(field, length, upper); }

void wzstrlo(char *field, int length) { mapInPlace(field, length, lower); }

int wzsxcch(const char *source, int sourceLength, char *destination, int destinationLength, int)
{
    mapInto(source, sourceLength, destination, destinationLength, upper);
    return 0;
}

int wzsxrch(const char *source, int sourceLength, char *destination, int destinationLength, int)
{
    mapInto(source, sourceLength, destination, destinationLength, lower);
    return 0;
}

/* Returns 0 when equal; otherwise the sign gives the order (negative: a
 * first) and the magnitude the 1-based position of the first difference,
 * the shorter field counting as blank-padded. */
int wzsxcmn(const char *fieldA, int lengthA, const char *fieldB, int lengthB)
{
    lengthA = usable(fieldA, lengthA);
    lengthB = usable(fieldB, lengthB);
    return orvComparePadded(fieldA, lengthA, fieldB, lengthB, upper);
}

/* 1 when equal, 0 when different; fields of different lengths differ. */
int wzsxeqn(const char *fieldA, int lengthA, const char *fieldB, int lengthB)
{
    lengthA = usable(fieldA, lengthA);
    lengthB = usable(fieldB, lengthB);
    if (lengthA != lengthB) return 0;
    const auto *a = reinterpret_cast<const unsigned char *>(fieldA);
    const auto *b = reinterpret_cast<const unsigned char *>(fieldB);
    for (int i = 0; i < lengthA; ++i)
        if (upper(a[i]) != upper(b[i])) return 0;
    return 1;
}

}  // namespace host_routines
