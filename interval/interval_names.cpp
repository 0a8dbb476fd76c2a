/*
 * interval_names.cpp - the interval-name parser, writer and builders (see
 * interval_names.h).
 *
 * Grammar of a name, on an upper-cased copy:
 *   [DT|T] stem [days-off digits W] [multiplier] [. [shift]]
 * where the stem is the leading run of letters, three retail digits
 * included (R445MON), and a text that starts with a digit or a dot is an
 * observation interval (12 = OBS with multiplier 12).  Anything else after
 * the stem makes the text a custom-interval name with an optional
 * multiplier and shift.
 */
#include "interval/interval_names.h"

#include <cstdint>
#include <cstring>

#include "host/host_records.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/custom_manager.h"
#include "interval/interval_formats.h"
#include "interval/interval_table.h"

/* Set by mcn_main when the host loads the module. */
namespace {

constexpr int kUpperCaseTable = 2;
constexpr int64_t kInt32Max = 2147483647;

bool isLetter(char c)
{
    return (v_global_gcb_anchor->charClass[uint8_t(c)] & ORV_CLASS_LETTER) != 0;
}
bool isDigit(char c) { return (v_global_gcb_anchor->charClass[uint8_t(c)] & ORV_CLASS_DIGIT) != 0; }

/* Value of a run of decimal digits; saturates far above kInt32Max so that
 * a long run still reads as "too large". */
int64_t digitValue(const char *digits, int count)
{
    int64_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = value * 10 + (digits[i] - '0');
        if (value > kInt32Max * 10) value = kInt32Max * 10;
    }
    return value;
}

bool allDigits(const char *text, int count)
{
    for (int i = 0; i < count; ++i)
        if (!isDigit(text[i])) return false;
    return true;
}

/* Appends text to a growing buffer. */
struct TextBuilder {
    char text[64];
    int length = 0;
    void add(const char *s, int n)
    {
        std::memcpy(text + length, s, size_t(n));
        length += n;
    }
    void add(const char *s) { add(s, int(std::strlen(s))); }
    void add(char c) { text[length++] = c; }
    void addNumber(int64_t value)
    {
        char digits[24];
        int n = 0;
        bool negative = value < 0;
        uint64_t magnitude = negative ? uint64_t(0) - uint64_t(value) : uint64_t(value);
        do {
            digits[n++] = char('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (negative) add('-');
        while (n > 0) add(digits[--n]);
    }
};

bool defaultWeekend(const ZINT_DESC &desc)
{
    return desc.daysOff[0] == 1 && desc.daysOff[6] == 1 && desc.daysOff[1] == 0 &&
           desc.daysOff[2] == 0 && desc.daysOff[3] == 0 && desc.daysOff[4] == 0 &&
           desc.daysOff[5] == 0;
}

/* The days-off digits and "W" of a WEEKDAY name (nothing for the default
 * weekend). */
void addDaysOff(TextBuilder &out, const ZINT_DESC &desc)
{
    if (defaultWeekend(desc)) return;
    for (int day = 0; day < 7; ++day)
        if (desc.daysOff[day] != 0) out.add(char('1' + day));
    out.add('W');
}

/* The definition of a custom interval, loaded once so that a name whose
 * data set cannot be used fails here.  The reference is released at once;
 * a name without an entry gives none, and none is released. */
int loadCustomInterval(const ZINT_DESC &desc)
{
    ZINT_SEAS rec{};
    rec.interval = desc;
    ZINT_CUSTREF *reference = nullptr;
    const int rc = zcustLoad(&rec, &reference);
    if (rc < 0) {
        xprrlog(nullptr, rc);
        return ZINTSTR_CUSTOM_LOAD;
    }
    if (reference != nullptr) zcintcReleaseRef(reference);
    return ZINTSTR_OK;
}

/*
 * Steps 11 to 13 of a parse: days off, multiplier, shift and kind, from
 * the tail that follows the stem.  wAt is the tail position of its "W" (-1
 * when none).  Fills desc; returns a zintstr status.
 */
int parseTail(ZINT_DESC *desc, const char *tail, int tailLength, int wAt, bool prefixKindS)
{
    const int code = desc->code;
    if (code == ZINT_WEEKDAY) {
        if (wAt >= 0) {
            if (wAt < 1 || wAt > 6) return ZINTSTR_SYNTAX;
            for (int i = 0; i < wAt; ++i) {
                if (tail[i] < '1' || tail[i] > '7') return ZINTSTR_SYNTAX;
                desc->daysOff[tail[i] - '1'] = 1;
            }
            int working = 0;
            for (uint8_t off : desc->daysOff) working += off == 0;
            if (working == 0) return ZINTSTR_SYNTAX;
            desc->workingDays = uint8_t(working);
            tail += wAt + 1;
            tailLength -= wAt + 1;
        } else {
            desc->workingDays = 5;
            desc->daysOff[0] = 1;
            desc->daysOff[6] = 1;
        }
    } else if (wAt >= 0) {
        return ZINTSTR_SYNTAX;
    }

    if (code == ZINT_NONE && tailLength > 0) return ZINTSTR_UNKNOWN;
    int dotAt = -1;
    for (int i = 0; i < tailLength; ++i)
        if (tail[i] == '.') dotAt = i;
    const int multiplierDigits = dotAt >= 0 ? dotAt : tailLength;
    if (!allDigits(tail, multiplierDigits)) return ZINTSTR_SYNTAX;
    if (multiplierDigits > 0) {
        const int64_t multiplier = digitValue(tail, multiplierDigits);
        if (multiplier == 0 || multiplier > kInt32Max) return ZINTSTR_BAD_MULTIPLIER;
        desc->multiplier = int32_t(multiplier);
    }
    if (dotAt >= 0 && dotAt + 1 < tailLength) {
        const char *shiftText = tail + dotAt + 1;
        const int shiftDigits = tailLength - dotAt - 1;
        if (!allDigits(shiftText, shiftDigits)) return ZINTSTR_SYNTAX;
        const int64_t shift = digitValue(shiftText, shiftDigits);
        const ZintBaseEntry *entry = zintBaseEntry(code);
        /* In 64 bits: a limit of 52 times a multiplier near 2^31 does not
         * fit 32. */
        const int64_t limit = int64_t(entry->shiftLimit) * desc->multiplier;
        if (shift == 0 || shift > kInt32Max || shift > limit) return ZINTSTR_BAD_SHIFT;
        desc->shift = int32_t(shift - 1);
    }

    /* A custom interval's kind is the unit of its display format; a format
     * without a unit falls through to the calendar rule below. */
    if (code == ZINT_CUSTOM) {
        /* Loaded before its format is asked for, so that a data set that
         * cannot be used is reported once. */
        const int loaded = loadCustomInterval(*desc);
        if (loaded != ZINTSTR_OK) return loaded;
        char format[ZINT_FORMAT_NAME_SIZE];
        int16_t formatLength = 0;
        zintfmt(desc, format, &formatLength, nullptr, nullptr);
        const int unit = zfmtunits(format, formatLength);
        if (unit != 0) {
            desc->kind = char(unit);
            return ZINTSTR_OK;
        }
    }
    if (prefixKindS && code != ZINT_CUSTOM) {
        desc->kind = 's';
    } else if (code == ZINT_NONE) {
        desc->kind = 'u';
    } else if (code == ZINT_OBS) {
        desc->kind = 'o';
    } else {
        desc->kind = code < ZINT_FIRST_CALENDAR_CODE ? 's' : 'd';
    }
    return ZINTSTR_OK;
}

/* A text that starts with a digit, a dot or a "W": an observation interval
 * with a multiplier and no shift. */
int parseBareNumber(ZINT_DESC *desc, const char *text, int length, bool sawW, bool sawOther)
{
    if (sawW || sawOther) return ZINTSTR_SYNTAX;
    int dotAt = -1;
    for (int i = 0; i < length; ++i)
        if (text[i] == '.') dotAt = i;
    const int multiplierDigits = dotAt >= 0 ? dotAt : length;
    if (multiplierDigits > 0) {
        const int64_t multiplier = digitValue(text, multiplierDigits);
        if (multiplier == 0 || multiplier > kInt32Max) return ZINTSTR_BAD_MULTIPLIER;
        desc->multiplier = int32_t(multiplier);
    }
    if (dotAt >= 0 && dotAt + 1 < length) return ZINTSTR_BAD_SHIFT;
    desc->kind = 'o';
    desc->code = ZINT_OBS;
    return ZINTSTR_OK;
}

bool knownCustom(const char *name, int length)
{
    /* A registry that cannot be created knows no name either. */
    return getcustomname(name, length) == ZINT_CUSTOM;
}

}  // namespace

int zintstr(const char *text, int length, ZINT_DESC *desc)
{
    if (text == nullptr || desc == nullptr) return ZINTSTR_NULL;
    if (length == -1) length = wzstlen(text);
    if (length < 1 || length > ZINT_NAME_MAX) return ZINTSTR_BAD_LENGTH;

    *desc = ZINT_DESC{};
    std::memcpy(desc->name, text, size_t(length));
    desc->name[length] = '\0';
    desc->nameLength = int16_t(length);
    desc->multiplier = 1;

    char upper[ZINT_NAME_MAX + 1];
    wztxxlt(kUpperCaseTable, text, upper, length);
    upper[length] = '\0';

    /* Retail digits: only the first pattern that occurs at all is tried. */
    int retailAt = -1;
    for (const char *pattern : {"445", "454", "544"}) {
        const char *found = std::strstr(upper, pattern);
        if (found == nullptr) continue;
        const int at = int(found - upper);
        const int after = length - (at + 3);
        const char *rest = upper + at + 3;
        if (at > 0 && upper[at - 1] == 'R' &&
            ((after >= 2 && std::strncmp(rest, "YR", 2) == 0) ||
             (after >= 3 &&
              (std::strncmp(rest, "QTR", 3) == 0 || std::strncmp(rest, "MON", 3) == 0))))
            retailAt = at;
        break;
    }

    int stemLength = 0;
    while (stemLength < length && isLetter(text[stemLength])) ++stemLength;
    if (retailAt >= 0 && retailAt == stemLength) {
        stemLength += 3;
        while (stemLength < length && isLetter(text[stemLength])) ++stemLength;
    }

    /* Tail scan: digits, one W before any dot, one dot. */
    int wAt = -1;
    int dotAt = -1;
    bool customSuffix = false;
    for (int i = stemLength; i < length && !customSuffix; ++i) {
        const char c = upper[i];
        if (isDigit(c)) continue;
        if (c == '.') {
            if (dotAt >= 0) return ZINTSTR_SYNTAX;
            dotAt = i;
        } else if (c == 'W' && wAt < 0 && dotAt < 0) {
            wAt = i;
        } else {
            customSuffix = true;
        }
    }

    if (stemLength == 0) return parseBareNumber(desc, upper, length, wAt >= 0, customSuffix);

    const char *tail = text + stemLength;
    int tailLength = length - stemLength;
    int tailW = wAt >= 0 ? wAt - stemLength : -1;
    bool prefixKindS = false;
    int code = -1;
    if (!customSuffix && stemLength >= 2) {
        int nameAt = 0;
        if (upper[0] == 'D' && upper[1] == 'T') {
            nameAt = 2;
        } else if (upper[0] == 'T' && upper[1] != 'E') {
            nameAt = 1; /* TENDAY is a name, not T + ENDAY */
        }
        prefixKindS = nameAt > 0;
        if (stemLength - nameAt >= 2) code = getname(upper + nameAt, stemLength - nameAt);
        /* NONE and OBS have no DT form: DTOBS, TOBS and DTNONE are not
         * built-in names. */
        if (code >= 0 && prefixKindS && !zintBaseEntry(code)->hasDtForm) code = -1;
    }

    if (code < 0) {
        /* The custom-interval registry: first the stem as typed (for a text
         * with a custom suffix, the text without its multiplier and shift),
         * then the whole text. */
        const char *ask = text;
        int askLength = stemLength;
        if (customSuffix) {
            int lastDot = -1;
            for (int i = 0; i < length; ++i)
                if (text[i] == '.') lastDot = i;
            int end = lastDot >= 0 ? lastDot : length;
            if (lastDot >= 0 && !allDigits(text + lastDot + 1, length - lastDot - 1))
                return ZINTSTR_SYNTAX;
            while (end > 0 && isDigit(text[end - 1])) --end;
            askLength = end;
            tail = text + end;
            tailLength = length - end;
            tailW = -1;
        }
        if (knownCustom(ask, askLength)) {
            code = ZINT_CUSTOM;
        } else if (knownCustom(text, length)) {
            code = ZINT_CUSTOM;
            tail = text + length;
            tailLength = 0;
            tailW = -1;
        } else {
            return ZINTSTR_UNKNOWN;
        }
        prefixKindS = false;
    }
    desc->code = uint8_t(code);
    return parseTail(desc, tail, tailLength, tailW, prefixKindS);
}

int zintbase(char *text, int *length, const ZINT_DESC *desc)
{
    const ZintBaseEntry *entry = zintBaseEntry(desc->code);
    TextBuilder out;
    if (entry == nullptr || entry->name[0] == '\0') {
        out.add("NONE");
    } else {
        /* Only calendar codes take the prefix: SECOND, MINUTE and HOUR are
         * of kind 's' by themselves. */
        if (desc->code > ZINT_HOUR && desc->kind == 's' && entry->hasDtForm) out.add("DT");
        out.add(entry->name);
    }
    std::memcpy(text, out.text, size_t(out.length));
    text[out.length] = '\0';
    *length = out.length;
    return 0;
}

int zinti2s(char *buffer, int *length, const ZINT_DESC *desc)
{
    if (buffer == nullptr || length == nullptr || desc == nullptr) return 1001;
    const int size = *length;
    if (desc->code == ZINT_CUSTOM) {
        const int n = desc->nameLength < 0 ? 0 : desc->nameLength > ZINT_NAME_MAX ? ZINT_NAME_MAX
                                                                                : desc->nameLength;
        if (n >= size) return 101;
        std::memcpy(buffer, desc->name, size_t(n));
        buffer[n] = '\0';
        *length = n;
        return 0;
    }

    /* Built in a buffer that holds the longest descriptor text
     * (DTWEEKDAY123456W2147483647.2147483647, 37 bytes) before the caller's
     * size is looked at. */
    TextBuilder out;
    char base[ZINT_BASE_TEXT_SIZE];
    int baseLength = 0;
    zintbase(base, &baseLength, desc);
    out.add(base, baseLength);
    if (desc->code == ZINT_WEEKDAY) addDaysOff(out, *desc);
    const bool writeMultiplier =
        desc->multiplier != 1 || (out.length == 4 && std::memcmp(out.text, "WEEK", 4) == 0);
    if (writeMultiplier) out.addNumber(desc->multiplier);
    if (writeMultiplier || desc->shift != 0) out.add('.');
    if (desc->shift != 0) out.addNumber(int64_t(desc->shift) + 1);

    if (out.length >= size) return 101;
    std::memcpy(buffer, out.text, size_t(out.length));
    buffer[out.length] = '\0';
    *length = out.length;
    return 0;
}

int zintic(int code, ZINT_DESC *desc)
{
    static constexpr int kNamedCodes[] = {0, 1, 10, 15, 20, 25, 27, 30, 31, 35, 40,
                                          45, 46, 47, 48, 50, 51, 52, 53, 55, 60, 64};
    bool named = false;
    for (int namedCode : kNamedCodes) named = named || namedCode == code;
    if (!named) return 1;
    return zintstr(zintBaseEntry(code)->name, -1, desc);
}

int zinticms(int code, int multiplier, int shift, ZINT_DESC *desc)
{
    if (multiplier < 0) return ZINTSTR_BAD_MULTIPLIER;
    if (shift < 0) return ZINTSTR_BAD_SHIFT;
    ZINT_DESC plain;
    if (zintic(code, &plain) != 0) return ZINTSTR_UNKNOWN;
    TextBuilder text;
    text.add(zintBaseEntry(code)->name);
    if (multiplier != 0) text.addNumber(multiplier);
    if (shift != 0) {
        text.add('.');
        text.addNumber(shift);
    }
    return zintstr(text.text, text.length, desc);
}

int zintrsimp(ZINT_DESC *desc)
{
    if (desc == nullptr) return 2;
    const int64_t m = desc->multiplier < 2 ? 1 : desc->multiplier;
    int newCode = desc->code;
    int64_t newMultiplier = m;
    switch (desc->code) {
    case ZINT_WEEKV:
        if (m % 52 == 0) {
            newCode = ZINT_YEARV;
            newMultiplier = m / 52;
        } else if (m % 53 == 0) {
            newCode = ZINT_YEARV;
            newMultiplier = m / 53;
        }
        break;
    case ZINT_R445MON:
    case ZINT_R454MON:
    case ZINT_R544MON:
        /* The calendar's YR and QTR codes lie 15 and 5 above its MON code. */
        if (m % 12 == 0) {
            newCode = desc->code + (ZINT_R445YR - ZINT_R445MON);
            newMultiplier = m / 12;
        } else if (m % 3 == 0) {
            newCode = desc->code + (ZINT_R445QTR - ZINT_R445MON);
            newMultiplier = m / 3;
        }
        break;
    case ZINT_R445QTR:
    case ZINT_R454QTR:
    case ZINT_R544QTR:
        if (m % 4 == 0) {
            newCode = desc->code + (ZINT_R445YR - ZINT_R445QTR);
            newMultiplier = m / 4;
        }
        break;
    case ZINT_R445YR:
    case ZINT_R454YR:
    case ZINT_R544YR:
    case ZINT_YEARV:
        break;
    default:
        return 1;
    }
    if (newCode == desc->code) return 0;

    ZINT_DESC simplified = *desc;
    simplified.code = uint8_t(newCode);
    simplified.multiplier = int32_t(newMultiplier);
    char name[ZINT_NAME_MAX + 1];
    int nameLength = ZINT_NAME_MAX + 1;
    /* A "T" prefix typed as one letter comes back as "DT": the rewritten
     * name can be one byte longer than the typed one.  A descriptor whose
     * name would not fit stays as it is rather than carry a wrong name. */
    if (zinti2s(name, &nameLength, &simplified) != 0) return 0;
    std::memcpy(simplified.name, name, size_t(nameLength) + 1);
    simplified.nameLength = int16_t(nameLength);
    *desc = simplified;
    return 0;
}

int zintshft(const ZINT_DESC *desc, ZINT_DESC *shiftBase)
{
    if (shiftBase != nullptr) *shiftBase = ZINT_DESC{};
    if (desc == nullptr || shiftBase == nullptr) return 2;
    const ZintBaseEntry *entry = zintBaseEntry(desc->code);
    if (entry == nullptr) return 2;

    if (desc->code == ZINT_CUSTOM) {
        ZINT_DESC parsed;
        if (zintstr(desc->name, desc->nameLength, &parsed) != 0) return 2;
        /* Without multiplier and shift a name may still end in "1" or "."
         * (MYCAL1.); otherwise every trailing digit and dot goes. */
        const bool plain = parsed.multiplier == 1 && parsed.shift == 0;
        int end = parsed.nameLength;
        while (end > 0) {
            const char c = parsed.name[end - 1];
            if (plain ? (c == '1' || c == '.') : (isDigit(c) || c == '.'))
                --end;
            else
                break;
        }
        ZINT_DESC stripped;
        if (end > 0 && end < parsed.nameLength && zintstr(parsed.name, end, &stripped) == 0)
            parsed = stripped;
        *shiftBase = parsed;
        return 0;
    }

    const ZintBaseEntry *base = zintBaseEntry(entry->shiftBaseCode);
    TextBuilder text;
    if (desc->kind == 's' && base->hasDtForm) text.add("DT");
    text.add(base->name);
    if (base->code == ZINT_WEEKDAY && !(desc->workingDays == 5 && defaultWeekend(*desc)))
        addDaysOff(text, *desc);
    if (zintstr(text.text, text.length, shiftBase) != 0) {
        *shiftBase = ZINT_DESC{};
        return 2;
    }
    return 0;
}
