/*
 * outlier_names.cpp - reading outlier names (zoutlnchk,
 * ZTSEVExtractDateInfo, ZTSEVExtractDurInfo; event_registry.h) and
 * composing them (ZTSEVAddOutlier, ZTSEVCreateOutlierName;
 * outlier_names.h).
 *
 * An outlier name is a prefix (AO, CBLS, LS, NLS, TLS, TC), a date part and,
 * for TLS, a duration:
 *   AO25OBS                 observation 25
 *   LS01JAN2020D            the date 1 January 2020
 *   AO01JAN2020h12m30s45DT  the datetime 1 January 2020 12:30:45
 *   TLS01JAN2020D4          with a duration of 4 intervals
 */
#include "event/outlier_names.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "event/date_text.h"
#include "event/event_names.h"
#include "event/event_registry.h"
#include "host/format_records.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/intnx.h"

namespace {

/* Length of the date part's field in which a datetime's H, M and S become
 * colons. */
constexpr int kDatetimeField = 32;
/* 0-based positions of H, M and S in a datetime part (01JAN2020h12m30s45):
 * behind the 9-character date, the hours and the minutes. */
constexpr int kTimeSeparators[3] = {9, 12, 15};
constexpr char kTimeLetters[3] = {'H', 'M', 'S'};
constexpr double kLargestDuration = INT32_MAX;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

/* Reads text with the host informat of that name.  Returns the format
 * services' status (0 read). */
int readWith(const char *informat, const char *text, int length, double *value)
{
    int64_t code = ORV_NO_FORMAT;
    const int status = xfrname(nullptr, informat, int(std::strlen(informat)), ORV_FORMAT_KIND_INFORMAT, nullptr, &code);
    if (status != 0) return status;
    return xfxin(code, text, length, value);
}

/* 0-based position of the last non-digit character, which must be a D;
 * -1 when there is none or it is another character. */
int lastDateLetter(const char *text, int length)
{
    int i = length - 1;
    while (i >= 0 && isDigit(text[i])) --i;
    return i >= 0 && upper(text[i]) == 'D' ? i : -1;
}

/* Outlier prefix of a type of the builders: 1 AO, 2 LS, 11 TLS (when
 * allowed); null for any other. */
const char *prefixOfType(int type, bool allowTls)
{
    if (type == 1) return "AO";
    if (type == 2) return "LS";
    if (type == 11 && allowTls) return "TLS";
    return nullptr;
}

/*
 * Writes prefix, the value as text of its kind and the kind's suffix into
 * out (NUL-terminated): D for a date, DT for a datetime (whose colons
 * become h, m and s), OBS for an observation.  REQUIRES: out holds
 * kOutlierTextSize bytes.  Returns the length, or -1 for another kind.
 */
constexpr int kOutlierTextSize = 4 + DATE2STR_SIZE + 3;
int composeOutlier(const char *prefix, int kind, double value, char *out)
{
    const int prefixLength = int(std::strlen(prefix));
    std::memcpy(out, prefix, size_t(prefixLength));
    const int textLength = date2str(kind, out + prefixLength, value);
    if (textLength < 0) return -1;
    char *text = out + prefixLength;
    const char *suffix = "OBS";
    if (kind == ZTSEV_KIND_DATE) {
        suffix = "D";
    } else if (kind == ZTSEV_KIND_DATETIME) {
        suffix = "DT";
        for (int i = 0; i < 3; ++i)
            if (kTimeSeparators[i] < textLength && text[kTimeSeparators[i]] == ':')
                text[kTimeSeparators[i]] = char(kTimeLetters[i] - 'A' + 'a');
    }
    std::strcpy(text + textLength, suffix);
    return prefixLength + textLength + int(std::strlen(suffix));
}

}  // namespace

int ZTSEVExtractDateInfo(const char *text, int length, double *value, int *kind)
{
    *value = orvMissing();
    *kind = 0;
    if (text == nullptr || length <= 0) return ZTSEV_STATUS_NOT_LOCATED;
    const int obs = wzstndx(text, length, "OBS", 3);
    if (obs >= 0) {
        *kind = ZTSEV_KIND_OBS;
        return readWith("INT", text, obs, value);
    }
    const int dt = wzstndx(text, length, "DT", 2);
    if (dt >= 0) {
        if (length > kDatetimeField) return ZTSEV_STATUS_NOT_LOCATED;
        *kind = ZTSEV_KIND_DATETIME;
        char field[kDatetimeField];
        std::memcpy(field, text, size_t(length));
        for (int i = 0; i < 3; ++i)
            if (kTimeSeparators[i] < length && upper(field[kTimeSeparators[i]]) == kTimeLetters[i])
                field[kTimeSeparators[i]] = ':';
        return readWith("DATETIME", field, dt, value);
    }
    const int d = lastDateLetter(text, length);
    if (d < 0) return ZTSEV_STATUS_NOT_LOCATED;
    *kind = ZTSEV_KIND_DATE;
    return readWith("DATE", text, d, value);
}

int ZTSEVExtractDurInfo(const char *text, int length, int kind, double *duration)
{
    *duration = orvMissing();
    if (text == nullptr || length <= 0) return ZTSEV_STATUS_NOT_LOCATED;
    int start = -1;
    if (kind == ZTSEV_KIND_OBS) {
        const int obs = wzstndx(text, length, "OBS", 3);
        if (obs >= 0) start = obs + 3;
    } else if (kind == ZTSEV_KIND_DATETIME) {
        const int dt = wzstndx(text, length, "DT", 2);
        if (dt >= 0) start = dt + 2;
    } else if (kind == ZTSEV_KIND_DATE) {
        const int d = lastDateLetter(text, length);
        if (d >= 0 && d + 1 < length) start = d + 1;
    }
    if (start < 0) return ZTSEV_STATUS_NOT_LOCATED;
    return readWith("INT", text + start, length - start, duration);
}

int64_t zoutlnchk(const char *name, int length, int alreadyUpper, double *date, int *kind, int64_t *duration,
                  int *status)
{
    int localStatus = 0;
    int *result = status != nullptr ? status : &localStatus;
    *result = ZTSEV_NOT_FOUND;
    if (name == nullptr || length < 4 || length > ZTSEV_NAME_SIZE) return 0;
    char field[ZTSEV_NAME_SIZE];
    std::memcpy(field, name, size_t(length));
    if (alreadyUpper == 0) wztxxlt(0, field, field, length);

    for (int i = 0; i < ZTSEV_OUTLIER_KINDS; ++i) {
        const int prefixLength = outl_namel[i];
        if (std::memcmp(field, outl_name[i], size_t(prefixLength)) != 0) continue;
        const char *part = field + prefixLength;
        const int partLength = length - prefixLength;
        double value = 0;
        int valueKind = 0;
        *result = ZTSEVExtractDateInfo(part, partLength, &value, &valueKind);
        if (*result != 0) return 0;
        if (orvIsMissing(value)) {
            *result = ZTSEV_STATUS_NOT_LOCATED;
            return 0;
        }
        int64_t wholeDuration = 0;
        if (outl_type[i] == ZTSEV_OUTLIER_TLS) {
            double d = 0;
            *result = ZTSEVExtractDurInfo(part, partLength, valueKind, &d);
            if (*result != 0) return 0;
            /* Cast only a whole number in range (false for a NaN). */
            if (!(d >= 0 && d <= kLargestDuration && d == std::floor(d))) {
                *result = ZTSEV_STATUS_NOT_LOCATED;
                return 0;
            }
            wholeDuration = int64_t(d);
        }
        if (date != nullptr) *date = value;
        if (kind != nullptr) *kind = valueKind;
        if (duration != nullptr) *duration = wholeDuration;
        return outl_type[i];
    }
    return 0;
}

int ZTSEVAddOutlier(int type, int kind, char *nameField, ZTSEV_LIST *list, ZTSEVEventNamelist **names, double date)
{
    const char *prefix = prefixOfType(type, false);
    if (prefix == nullptr) return ZTSEV_OUTLIER_BAD_REQUEST;
    char text[kOutlierTextSize];
    const int length = composeOutlier(prefix, kind, date, text);
    if (length < 0) return ZTSEV_OUTLIER_BAD_REQUEST;
    static_assert(2 + (DATE2STR_SIZE - 1) + 3 < ZTSEV_OUTLIER_FIELD_SIZE, "AO or LS names fit the field");
    std::memcpy(nameField, text, size_t(length) + 1);
    return ZTSEVAddEventName(list, names, nameField, ZTSEV_NAMES_MEMBER);
}

int ZTSEVCreateOutlierName(int type, int64_t index, int unit, const ZINT_DESC *interval, double start,
                           const int64_t *duration, int extra, char *name)
{
    const char *prefix = prefixOfType(type, true);
    if (prefix == nullptr) return ZTSEV_OUTLIER_BAD_REQUEST;
    if (duration != nullptr && (type != 11 || *duration < 0)) return ZTSEV_OUTLIER_BAD_REQUEST;
    if (duration == nullptr && extra != 0) return ZTSEV_OUTLIER_BAD_REQUEST;

    const bool dated = interval != nullptr && interval->code > ZINT_OBS;
    if (unit == 0) unit = !dated ? ZTSEV_KIND_OBS : interval->kind == 'd' ? ZTSEV_KIND_DATE
                          : interval->kind == 's' ? ZTSEV_KIND_DATETIME : ZTSEV_KIND_OBS;
    if (unit != ZTSEV_KIND_OBS && unit != ZTSEV_KIND_DATE && unit != ZTSEV_KIND_DATETIME)
        return ZTSEV_OUTLIER_BAD_REQUEST;
    if (!dated) unit = ZTSEV_KIND_OBS;

    double value = double(index);
    if (unit != ZTSEV_KIND_OBS) {
        value = zintnx3(interval, 'B', nullptr, start, double(index) - 1);
        if (orvIsMissing(value)) return ZTSEV_OUTLIER_NAME_TOO_LONG;
        if (interval->kind == 's' && unit == ZTSEV_KIND_DATE) value = std::floor(value / 86400);
        if (interval->kind == 'd' && unit == ZTSEV_KIND_DATETIME) value *= 86400;
    }

    char text[kOutlierTextSize + 20];
    int length = composeOutlier(prefix, unit, value, text);
    if (duration != nullptr) {
        const auto written = std::to_chars(text + length, text + sizeof text, *duration);
        length = int(written.ptr - text);
    }
    if (length > ZTSEV_NAME_SIZE) return ZTSEV_OUTLIER_NAME_TOO_LONG;
    std::memset(name, ' ', ZTSEV_NAME_SIZE);
    std::memcpy(name, text, size_t(length));
    if (length < ZTSEV_NAME_SIZE) name[length] = '\0';
    return 0;
}
