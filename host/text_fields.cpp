/*
 * text_fields.cpp - moves, compares, searches, justification and
 * translation of blank-padded text fields (see text_fields.h).
 *
 * The collating table, the translate tables and the multi-byte switch are
 * the host's; they are read from the control block on each call because the
 * host may change them between steps.
 */
#include "host/text_fields.h"

#include "host/padded_compare.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "host/host_records.h"
#include "host/services.h"

/* Set by mcn_main when the host loads the module. */
namespace {

constexpr unsigned char kBlank = 0x20;
constexpr uint64_t kEightBlanks = 0x2020202020202020ull;

/* A length as the routines use it: negative counts as 0, and so does any
 * length of a null field. */
int usable(const void *field, int length) { return field == nullptr || length < 0 ? 0 : length; }

const uint8_t *collating() { return v_global_gcb_anchor->collating; }

bool multiByte()
{
    const LOCALE_RECORD *locale = v_global_gcb_anchor->locale;
    return locale != nullptr && locale->mbcs != nullptr && locale->mbcs->multiByte != 0;
}

/* Block copy that pays for the overlap-safe move only when it is needed. */
void copyBytes(char *destination, const char *source, int n)
{
    if (n <= 0 || destination == source) return;
    auto d = reinterpret_cast<uintptr_t>(destination);
    auto s = reinterpret_cast<uintptr_t>(source);
    bool overlap = d < s + uintptr_t(n) && s < d + uintptr_t(n);
    if (overlap)
        std::memmove(destination, source, size_t(n));
    else
        std::memcpy(destination, source, size_t(n));
}

void blankFill(char *destination, int n)
{
    if (n > 0) std::memset(destination, kBlank, size_t(n));
}

/* The three-way compare of wzstcom (weights == nullptr: the bytes
 * themselves) and wzstcmn (collating weights). */
int compareFields(const char *fieldA, int lengthA, const char *fieldB, int lengthB, const uint8_t *weights)
{
    lengthA = usable(fieldA, lengthA);
    lengthB = usable(fieldB, lengthB);
    return orvComparePadded(fieldA, lengthA, fieldB, lengthB, [weights](unsigned char c) {
        return weights != nullptr ? weights[c] : c;
    });
}

}  // namespace

void vzmp(const char *source, int sourceLength, char *destination, int destinationLength)
{
    destinationLength = usable(destination, destinationLength);
    sourceLength = usable(source, sourceLength);
    int n = sourceLength < destinationLength ? sourceLength : destinationLength;
    copyBytes(destination, source, n);
    blankFill(destination + n, destinationLength - n);
}

void vzmpc(const char *source, int sourceLength, int16_t *length, char *destination, int destinationLength)
{
    vzmp(source, sourceLength, destination, destinationLength);
    const int n = usable(source, sourceLength);
    *length = int16_t(n < destinationLength ? n : destinationLength);
}

int wzstmov(const char *source, int sourceLength, char *destination, int destinationLength)
{
    if (destination == nullptr) return 0;
    sourceLength = usable(source, sourceLength);
    if (destinationLength < 0) {
        int capacity = ~destinationLength; /* no overflow, even for INT_MIN */
        int n = sourceLength < capacity ? sourceLength : capacity;
        copyBytes(destination, source, n);
        destination[n] = '\0';
        return n;
    }
    int n = sourceLength < destinationLength ? sourceLength : destinationLength;
    copyBytes(destination, source, n);
    blankFill(destination + n, destinationLength - n);
    return n;
}

int vzatl(int byteValue, const char *field, int n)
{
    n = usable(field, n);
    auto value = static_cast<unsigned char>(byteValue);
    for (int i = 0; i < n; ++i)
        if (static_cast<unsigned char>(field[i]) != value) return 0;
    return 1;
}

int wzstlen(const char *text)
{
    if (text == nullptr) return 0;
    size_t length = std::strlen(text);
    return length > size_t(INT_MAX) ? INT_MAX : int(length);
}

int wzstrip(const char *field, int length)
{
    int n = usable(field, length);
    /* Long fields are mostly padding: step over it a word at a time. */
    if (n > 16) {
        while (n >= 8) {
            uint64_t word;
            std::memcpy(&word, field + n - 8, sizeof word);
            if (word != kEightBlanks) break;
            n -= 8;
        }
    }
    while (n > 0 && static_cast<unsigned char>(field[n - 1]) == kBlank) --n;
    return n;
}

int wzstpos(const char *field, int length, int byteValue)
{
    length = usable(field, length);
    if (length == 0) return -1;
    const void *found = std::memchr(field, static_cast<unsigned char>(byteValue), size_t(length));
    return found == nullptr ? -1 : int(static_cast<const char *>(found) - field);
}

int wzstndx(const char *field, int length, const char *pattern, int patternLength)
{
    if (pattern == nullptr || patternLength == 0) return 0;
    if (patternLength < 0) patternLength = wzstlen(pattern);
    if (patternLength == 0) return 0;
    length = usable(field, length);
    for (int start = 0; start <= length - patternLength; ++start)
        if (std::memcmp(field + start, pattern, size_t(patternLength)) == 0) return start;
    return -1;
}

int wzstcom(const char *fieldA, int lengthA, const char *fieldB, int lengthB)
{
    return compareFields(fieldA, lengthA, fieldB, lengthB, nullptr);
}

int wzstcmn(const char *fieldA, int lengthA, const char *fieldB, int lengthB)
{
    if (multiByte()) return wzsxcmn(fieldA, usable(fieldA, lengthA), fieldB, usable(fieldB, lengthB));
    return compareFields(fieldA, lengthA, fieldB, lengthB, collating());
}

int wzsteqn(const char *fieldA, int lengthA, const char *fieldB, int lengthB)
{
    lengthA = usable(fieldA, lengthA);
    lengthB = usable(fieldB, lengthB);
    if (lengthA != lengthB) return 0;
    if (multiByte()) return wzsxeqn(fieldA, lengthA, fieldB, lengthB);
    if (lengthA == 0) return 1;
    const uint8_t *weights = collating();
    const auto *a = reinterpret_cast<const unsigned char *>(fieldA);
    const auto *b = reinterpret_cast<const unsigned char *>(fieldB);
    for (int i = 0; i < lengthA; ++i)
        if (weights[a[i]] != weights[b[i]]) return 0;
    return 1;
}

int wzbcup(const char *fieldA, const char *fieldB, int n)
{
    if (fieldA == nullptr || fieldB == nullptr || n <= 0) return 0;
    const uint8_t *weights = collating();
    const auto *a = reinterpret_cast<const unsigned char *>(fieldA);
    const auto *b = reinterpret_cast<const unsigned char *>(fieldB);
    for (int i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;
        int difference = int(weights[a[i]]) - int(weights[b[i]]);
        if (difference != 0) return difference;
    }
    return 0;
}

int wztxxlt(int tableIndex, const char *source, char *destination, int length)
{
    if (tableIndex < 0 || tableIndex >= ORV_TRANSLATE_TABLE_COUNT) return WZTXXLT_BAD_TABLE;
    if (source == nullptr || destination == nullptr) return 0;
    length = usable(source, length);
    if (length == 0) return 0;

    if (multiByte() && tableIndex <= 3) {
        switch (tableIndex) {
        case 0: wzsxcch(source, length, destination, length, 1); break;
        case 1: wzsxrch(source, length, destination, length, 1); break;
        case 2: copyBytes(destination, source, length); wzstrup(destination, length); break;
        default: copyBytes(destination, source, length); wzstrlo(destination, length); break;
        }
        return 0;
    }

    /* Copy first, then translate in place: correct for any overlap of
     * source and destination, not only for the same field. */
    copyBytes(destination, source, length);
    const uint8_t *table = v_global_gcb_anchor->translate[tableIndex];
    auto *d = reinterpret_cast<unsigned char *>(destination);
    for (int i = 0; i < length; ++i) d[i] = table[d[i]];
    return 0;
}

void wzstjls(char *field, int length, int mode, int *textLengthOut, int *startOut)
{
    length = usable(field, length);
    int start = 0;
    while (start < length && static_cast<unsigned char>(field[start]) == kBlank) ++start;
    int textLength = 0;
    int newStart = 0;
    if (start < length) {
        int rest = length - start;                       /* from the first non-blank to the end */
        textLength = wzstrip(field + start, rest);       /* first to last non-blank, >= 1 */
        int shift = 0;
        switch (mode) {
        case 'L': case 'l': shift = -start; break;
        case 'R': case 'r': shift = rest - textLength; break;
        case 'C': case 'c': shift = rest - int((int64_t(length) + textLength + 1) / 2); break;
        default: break;
        }
        newStart = start + shift;
        if (shift != 0) {
            /* Outside the text the field holds only blanks, so blanking all
             * of it around the moved text is the same as blanking what the
             * text vacated. */
            copyBytes(field + newStart, field + start, textLength);
            blankFill(field, newStart);
            blankFill(field + newStart + textLength, length - newStart - textLength);
        }
    }
    if (textLengthOut != nullptr) *textLengthOut = textLength;
    if (startOut != nullptr) *startOut = newStart;
}

int wzstjus(char *field, int length, int mode)
{
    int textLength = 0;
    wzstjls(field, length, mode, &textLength, nullptr);
    return textLength;
}

int wzcichr(int value, char *buffer)
{
    if (buffer == nullptr) return 0;
    /* Work on the magnitude as unsigned so that INT_MIN needs no special
     * case. */
    unsigned magnitude = value < 0 ? 0u - unsigned(value) : unsigned(value);
    char digits[10];
    int count = 0;
    do {
        digits[count++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    int written = 0;
    if (value < 0) buffer[written++] = '-';
    while (count > 0) buffer[written++] = digits[--count];
    return written;
}
