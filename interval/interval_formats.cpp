/*
 * interval_formats.cpp - recommended formats of intervals and the category
 * of a format name (see interval_formats.h).
 */
#include "interval/interval_formats.h"

#include <cmath>
#include <cstring>

#include "host/missing_values.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/custom_manager.h"
#include "interval/custom_ops.h"
#include "interval/format_catalogue.h"
#include "interval/intck.h"

namespace {

constexpr double kDay = 86400.0;
/* Widest duration format recommended by zintfmp. */
constexpr int kWidestDuration = 20;
/* Counts of intervals beyond which zintfmp shows whole hours. */
constexpr double kManyIntervals = 1000;
/* Size of the field a catalogue name is transcoded into. */
constexpr int kCatalogueField = 32;

/* The four outputs of a recommendation. */
struct Outputs {
    char *name;
    int16_t *nameLength;
    int16_t *width;
    int16_t *minWidth;

    void put(const char *text, int w, int minimum) const
    {
        const int n = int(std::strlen(text));
        if (name != nullptr) {
            std::memset(name, 0, ZINT_FORMAT_NAME_SIZE);
            std::memcpy(name, text, size_t(n));
        }
        if (nameLength != nullptr) *nameLength = int16_t(n);
        if (width != nullptr) *width = int16_t(w);
        if (minWidth != nullptr) *minWidth = int16_t(minimum);
    }
};

bool isTimeCode(int code) { return code == ZINT_SECOND || code == ZINT_MINUTE || code == ZINT_HOUR; }

bool isRetailCode(int code)
{
    return (code >= ZINT_R445MON && code <= ZINT_R544MON) ||
           (code >= ZINT_R445QTR && code <= ZINT_R544QTR) ||
           (code >= ZINT_R445YR && code <= ZINT_R544YR);
}

/* Kinds of values that only a plain number shows. */
bool numberKind(char kind) { return kind == 'o' || kind == 'u'; }

/* The time variants apply to SECOND, MINUTE and HOUR over times of day. */
bool timeOfDayInterval(const ZINT_DESC &desc)
{
    return isTimeCode(desc.code) && !numberKind(desc.kind);
}

/* Names written with a "DT" prefix hold datetimes, not durations. */
bool datetimeName(const ZINT_DESC &desc)
{
    return desc.nameLength > 0 && (desc.name[0] == 'D' || desc.name[0] == 'd');
}

/* A custom interval: the format of its BEGIN variable, asked once with the
 * name as given and once with its multiplier and shift stripped. */
void customFormat(const ZINT_DESC &desc, const Outputs &out)
{
    ZINT_SEAS rec{};
    rec.interval = desc;
    char name[ZINT_FORMAT_NAME_SIZE];
    int16_t nameLength = 0;
    int16_t width = 0;
    int16_t minWidth = 0;
    int rc = customINTFMT(&rec, name, &nameLength, &width, &minWidth);
    if (rc != 0) {
        zcintcReleaseRef(rec.customRef);
        rec.customRef = nullptr;
        int end = rec.interval.nameLength;
        while (end > 0 && ((rec.interval.name[end - 1] >= '0' && rec.interval.name[end - 1] <= '9') ||
                           rec.interval.name[end - 1] == '.'))
            --end;
        rec.interval.name[end] = '\0';
        rec.interval.nameLength = int16_t(end);
        rc = customINTFMT(&rec, name, &nameLength, &width, &minWidth);
    }
    zcintcReleaseRef(rec.customRef);
    if (rc == 0 && nameLength > 0 && nameLength <= ZINT_FORMAT_NAME_SIZE) {
        char text[ZINT_FORMAT_NAME_SIZE + 1];
        std::memcpy(text, name, size_t(nameLength));
        text[nameLength] = '\0';
        out.put(text, width, minWidth);
        return;
    }
    /* No format to be had: a date or datetime format rather than outputs
     * left unset. */
    if (desc.kind == 's')
        out.put("DATETIME", 16, 16);
    else
        out.put("DATE", 9, 7);
}

/* Decimal digits of a whole number (1 for 0). */
int digitCount(double value)
{
    int digits = 1;
    for (double v = std::fabs(value); v >= 10; v = std::floor(v / 10)) ++digits;
    return digits;
}

/* Characters a duration format needs for a number of seconds. */
int durationWidth(const char *format, double seconds)
{
    const double magnitude = std::fabs(seconds);
    const int sign = seconds < 0 ? 1 : 0;
    const int hours = digitCount(std::floor(magnitude / 3600));
    if (std::strcmp(format, "HHMM") == 0) return sign + hours + 3;
    if (std::strcmp(format, "HOUR") == 0) return sign + hours;
    if (std::strcmp(format, "MMSS") == 0) return sign + digitCount(std::floor(magnitude / 60)) + 3;
    return sign + hours + 6; /* TIME: h:mm:ss */
}

int secondsPerUnit(int code) { return code == ZINT_HOUR ? 3600 : code == ZINT_MINUTE ? 60 : 1; }

}  // namespace

int zintfmt(const ZINT_DESC *desc, char *name, int16_t *nameLength, int16_t *width,
            int16_t *minWidth)
{
    const Outputs out{name, nameLength, width, minWidth};
    /* Code 0 first: a NONE descriptor is also of kind 'u'. */
    if (desc == nullptr || desc->code == ZINT_NONE) {
        out.put("D", 9, 7);
        return 1;
    }
    if (numberKind(desc->kind)) {
        out.put("F", 6, 4);
        return 0;
    }
    if (desc->code == ZINT_CUSTOM) {
        customFormat(*desc, out);
        return 0;
    }
    const bool dt = desc->kind == 's';
    const bool shifted = desc->shift != 0;
    const int code = desc->code;
    if (code == ZINT_SECOND) {
        out.put("DATETIME", 16, 16);
    } else if (code == ZINT_MINUTE) {
        out.put("DATETIME", shifted ? 16 : 13, shifted ? 16 : 13);
    } else if (code == ZINT_HOUR) {
        out.put("DATETIME", shifted ? 13 : 10, shifted ? 13 : 10);
    } else if (code == ZINT_DAY || code == ZINT_WEEKDAY || code == ZINT_TENDAY ||
               code == ZINT_SEMIMONTH) {
        out.put(dt ? "DTDATE" : "DATE", 9, 7);
    } else if (code == ZINT_WEEK) {
        out.put(dt ? "DTWKDATX" : "WEEKDATX", 17, 15);
    } else if (code == ZINT_WEEKV || code == ZINT_YEARV || isRetailCode(code)) {
        out.put(dt ? "DTWEEKV" : "WEEKV", 9, 7);
    } else if (code == ZINT_QTR && !shifted) {
        out.put(dt ? "DTYYQC" : "YYQC", 6, 4);
    } else if (code == ZINT_QTR || code == ZINT_MONTH || code == ZINT_SEMIYEAR ||
               (code == ZINT_YEAR && shifted)) {
        out.put(dt ? "DTMONYY" : "MONYY", 7, 5);
    } else if (code == ZINT_YEAR) {
        out.put(dt ? "DTYEAR" : "YEAR", 4, 2);
    } else if (dt) {
        out.put("DATETIME", 16, 16);
    } else {
        out.put("DATE", 9, 7);
    }
    return 0;
}

int zintfmm(const ZINT_DESC *desc, char *name, int16_t *nameLength, int16_t *width,
            int16_t *minWidth, double x)
{
    if (desc == nullptr || !timeOfDayInterval(*desc) || orvIsMissing(x))
        return zintfmt(desc, name, nameLength, width, minWidth);
    const double m = desc->multiplier < 1 ? 1 : desc->multiplier;
    if (!(x >= 0 && x <= m * kDay + desc->shift))
        return zintfmt(desc, name, nameLength, width, minWidth);
    const int w = desc->shift != 0 ? 13 : 10;
    const int needed = durationWidth("TIME", x);
    const Outputs out{name, nameLength, width, minWidth};
    out.put("TIME", w > needed ? w : needed, 8 > needed ? 8 : needed);
    return 0;
}

int zintfmp(const ZINT_DESC *desc, char *name, int16_t *nameLength, int16_t *width,
            int16_t *minWidth, double a, double b)
{
    if (desc == nullptr || !timeOfDayInterval(*desc) || datetimeName(*desc) || orvIsMissing(a) ||
        orvIsMissing(b))
        return zintfmt(desc, name, nameLength, width, minWidth);
    const double m = desc->multiplier < 1 ? 1 : desc->multiplier;
    if (!(a >= 0 && a <= 2 * (m * kDay + desc->shift)))
        return zintfmt(desc, name, nameLength, width, minWidth);
    const double n = zintck2(desc, a, b);
    if (orvIsMissing(n)) return zintfmt(desc, name, nameLength, width, minWidth);

    /* The span in minutes and hours; its digit counts size the field. */
    const double span = std::fabs(secondsPerUnit(desc->code) * n * m);
    const int dl = digitCount(std::floor(span / 60)) - 1;
    const int dh = digitCount(std::floor(span / 3600)) - 1;
    const bool many = std::fabs(n) > kManyIntervals;
    const char *format = "HHMM";
    int w = 0;
    int minimum = 0;
    if (desc->code == ZINT_HOUR) {
        format = many ? "HOUR" : "HHMM";
        w = many ? dh : dh + 3;
        minimum = dh;
    } else if (desc->code == ZINT_MINUTE) {
        w = minimum = many || dh > 1 ? dh + 3 : dl + 3;
    } else if (many || dh > 1) {
        format = "TIME";
        w = minimum = dh + 6;
    } else {
        format = "MMSS";
        w = minimum = dl > 1 ? dl + 3 : 5;
    }
    /* The digit counts above are one short of the digits shown; no field
     * may be narrower than the largest value of the range needs. */
    const double largest = std::fabs(a) > std::fabs(b) ? a : b;
    const int needed = durationWidth(format, largest);
    if (w < needed) w = needed;
    if (minimum < needed) minimum = needed;
    if (w > kWidestDuration) w = kWidestDuration;
    if (minimum > kWidestDuration) minimum = kWidestDuration;
    const Outputs out{name, nameLength, width, minWidth};
    out.put(format, w, minimum);
    return 0;
}

int zintfmd(const ZINT_DESC *desc, char *name, int16_t *nameLength, int16_t *width,
            int16_t *minWidth)
{
    if (desc == nullptr || !timeOfDayInterval(*desc) || datetimeName(*desc))
        return zintfmt(desc, name, nameLength, width, minWidth);
    const int64_t m = desc->multiplier < 1 ? 1 : desc->multiplier;
    const Outputs out{name, nameLength, width, minWidth};
    if (desc->code == ZINT_HOUR) {
        if (m < 5) {
            out.put("HHMM", 10, 8);
            return 0;
        }
        if (m <= 23) {
            out.put("HHMM", 11, 8);
            return 0;
        }
    } else if (desc->code == ZINT_MINUTE) {
        if (m < 16) {
            out.put("HHMM", 6, 5);
            return 0;
        }
        if (m <= 60) {
            out.put("HHMM", 7, 5);
            return 0;
        }
        if (m <= 1439) {
            out.put("HHMM", 7, 6);
            return 0;
        }
    } else {
        if (m < 6) {
            out.put("MMSS", 5, 5);
            return 0;
        }
        if (m < 16) {
            out.put("MMSS", 6, 5);
            return 0;
        }
        if (m <= 86399) {
            out.put("TIME", 8, 5);
            return 0;
        }
    }
    return zintfmt(desc, name, nameLength, width, minWidth);
}

int zfmttype(const char *name, int length)
{
    if (name == nullptr || length < 1) return -1;
    for (const ZfmtCatalogueRow &row : fmtinfox()) {
        /* The catalogue is in the module's encoding; the name comes in the
         * host's. */
        char field[kCatalogueField];
        std::memset(field, ' ', sizeof field);
        if (wztxcm2s(row.name, int(std::strlen(row.name)), field, kCatalogueField) < 0) continue;
        if (wzstcom(field, kCatalogueField, name, length) != 0) continue;
        switch (row.category) {
        case ZFMT_NUM:
        case ZFMT_DATE:
        case ZFMT_TIME:
        case ZFMT_DATETIME: return row.category;
        default: return 0;
        }
    }
    return -1;
}

int zfmtunits(const char *name, int length)
{
    switch (zfmttype(name, length)) {
    case ZFMT_NUM: return 'o';
    case ZFMT_DATE: return 'd';
    case ZFMT_TIME:
    case ZFMT_DATETIME: return 's';
    default: return 0;
    }
}
