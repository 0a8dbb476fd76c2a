/*
 * interval_multiple.cpp - multiples of intervals and the season part a user
 * asks for (see interval_multiple.h).
 */
#include "interval/interval_multiple.h"

#include <cstring>

#include "host/services.h"
#include "interval/custom_manager.h"
#include "interval/interval_fit.h"
#include "interval/interval_names.h"
#include "interval/interval_nesting.h"
#include "interval/interval_seasons.h"

namespace {

/* A copy of a season record to hand to the routines that take a writable
 * one. */
ZINT_SEAS workingCopy(const ZINT_SEAS &rec)
{
    ZINT_SEAS copy = rec;
    copy.customRef = nullptr;
    return copy;
}

}  // namespace

int zintsea_set(ZINT_SEAS *rec, const ZINT_DESC *option, const int32_t *requested, double date)
{
    if (rec == nullptr) return 2;
    ZINT_SEAS scratch{};
    ZINT_SEAS *cycleRec = rec->seasonCycle != nullptr ? rec->seasonCycle : &scratch;
    if (rec->interval.code == ZINT_NONE) {
        zintstr("NONE", -1, &cycleRec->interval);
        return 0;
    }

    /* What was asked for: a count, a cycle name, or both. */
    int32_t asked = requested != nullptr && *requested > 0 ? *requested : 0;
    char name[ZINT_NAME_MAX + 1] = "";
    int nameLength = 0;
    const bool optionName = option != nullptr && option->nameLength > 0 && option->nameLength <= ZINT_NAME_MAX;
    const ZINT_DESC *source = nullptr;
    if (optionName) {
        source = option;
    } else if (asked == 0 && rec->seasonCycle != nullptr && rec->seasonCycle->interval.nameLength > 0 &&
               rec->seasonCycle->interval.nameLength <= ZINT_NAME_MAX) {
        source = &rec->seasonCycle->interval;
        asked = rec->seasonCount > 0 ? rec->seasonCount : 0;
    } else if (asked == 0 && rec->seasonCount > 0) {
        asked = rec->seasonCount;
    }
    if (source != nullptr) {
        nameLength = source->nameLength;
        std::memcpy(name, source->name, size_t(nameLength));
        name[nameLength] = '\0';
    }
    if (nameLength == 0 && asked <= 0) return zintsea2(rec, &cycleRec->interval, &rec->seasonCount, date);

    if (nameLength > 0) {
        zcintcReleaseRef(cycleRec->customRef);
        ZINT_SEAS *keep = cycleRec->seasonCycle;
        *cycleRec = ZINT_SEAS{};
        cycleRec->seasonCycle = keep;
        if (zintstr(name, nameLength, &cycleRec->interval) != 0) return 2;
        if (cycleRec->interval.code != ZINT_OBS) {
            const int rc = zintsea_calc_nseasons(rec, &cycleRec->interval, &rec->seasonCount, date);
            if (rc != 0) return rc;
            if (asked > 0 && asked != rec->seasonCount) return 2;
        } else {
            /* An OBS cycle holds as many seasons as its multiplier. */
            const int32_t m = int32_t(zintMultiplierOf(cycleRec->interval));
            if (asked > 0 && asked != m) return 2;
            rec->seasonCount = m;
        }
        wzstrup(cycleRec->interval.name, cycleRec->interval.nameLength);
        return 0;
    }

    if (asked > 1) {
        const int rc = zintmult(rec, asked, cycleRec, ZINTMULT_DAYS_TO_WEEK | 1);
        if (rc != 0) return rc;
        rec->seasonCount = asked;
    } else {
        if (zintstr(rec->interval.name, rec->interval.nameLength, &cycleRec->interval) != 0) return 2;
        rec->seasonCount = 1;
    }
    wzstrup(cycleRec->interval.name, cycleRec->interval.nameLength);
    return 0;
}

int zintmult(const ZINT_SEAS *src, int k, ZINT_SEAS *dst, int flags)
{
    if (src == nullptr || dst == nullptr) return 2;
    if (k < 1) return 1;
    const ZINT_DESC &from = src->interval;
    int64_t m = zintMultiplierOf(from) * int64_t(k);
    int code = from.code;

    /* Weeks of whole (ISO) years become years. */
    if (m != 1 && (flags & ZINTMULT_KEEP_WEEKS) == 0) {
        if (code == ZINT_WEEK && (m % 52 == 0 || m % 53 == 0)) {
            m /= m % 52 == 0 ? 52 : 53;
            code = ZINT_YEAR;
        } else if (code == ZINT_WEEKV && (m % 53 == 0 || m % 52 == 0)) {
            m /= m % 53 == 0 ? 53 : 52;
            code = ZINT_YEARV;
        }
    }
    ZINT_SEAS out = *src;
    out.seasonCycle = dst->seasonCycle;
    out.customRef = nullptr;
    out.seasonCount = 0;
    if (!zintBuildInterval(from, code, m, 0, &out.interval)) return 1;

    const bool fitting = (flags & ZINTMULT_NO_FIT) == 0 && (flags & ~0x1F) == 0;
    if (fitting && out.interval.code != ZINT_WEEKV && zintrsimp(&out.interval) == 1) {
        ZINT_SEAS source = workingCopy(*src);
        const double s1 = zintnx_seas(&out, &source, 0, 0);
        const double s2 = zintnx_seas(&out, &source, s1, 1);
        const char kind[2] = {out.interval.kind, '\0'};
        ZINT_DESC fitted;
        ZINT_INFO info;
        if (zintfit(kind, &fitted, &info, s1, s2) == 0) {
            const double relation = zintc(&fitted, &out.interval);
            const bool daysToWeek = (flags & ZINTMULT_DAYS_TO_WEEK) != 0;
            bool replace = false;
            if (relation == 0) {
                replace = true;
                if (daysToWeek && (from.code == ZINT_DAY || from.code == ZINT_WEEKDAY) && from.shift == 0 &&
                    fitted.code == ZINT_WEEK) {
                    ZINT_DESC plain;
                    if (zintBuildInterval(fitted, ZINT_WEEK, zintMultiplierOf(fitted), 0, &plain)) fitted = plain;
                }
            } else if (daysToWeek && from.code == ZINT_DAY && fitted.code > ZINT_WEEK) {
                replace = true;
            }
            if (replace) {
                out.interval = fitted;
                const int copied = info.formatNameLength < ZINT_SEAS_FORMAT_COPY ? info.formatNameLength : ZINT_SEAS_FORMAT_COPY;
                std::memset(out.formatName, 0, sizeof out.formatName);
                std::memcpy(out.formatName, info.formatName, size_t(copied < 0 ? 0 : copied));
                out.formatNameLength = int16_t(copied < 0 ? 0 : copied);
                out.formatWidth = info.formatWidth;
            }
        }
    }

    if (out.seasonCycle != nullptr) {
        const int mode = flags & ZINTMULT_SEASON_MODE;
        ZINT_SEAS *cycleRec = out.seasonCycle;
        if (mode == 1) {
            zintsea2(&out, &cycleRec->interval, &out.seasonCount, 0);
        } else {
            if (src->seasonCycle != nullptr) {
                ZINT_SEAS *own = cycleRec->seasonCycle;
                *cycleRec = workingCopy(*src->seasonCycle);
                cycleRec->seasonCycle = own;
                out.seasonCount = src->seasonCount;
            } else {
                ZINT_SEAS source = workingCopy(*src);
                int32_t count = src->seasonCount;
                zintsea2(&source, &cycleRec->interval, &count, 0);
                out.seasonCount = count;
            }
            if (mode == 2) {
                const ZINT_DESC &cycle = cycleRec->interval;
                ZINT_DESC longer;
                if (cycle.code != ZINT_NONE &&
                    zintBuildInterval(cycle, cycle.code, zintMultiplierOf(cycle) * int64_t(k), cycle.shift, &longer))
                    cycleRec->interval = longer;
            } else {
                out.seasonCount /= k;
            }
        }
    }
    zcintcReleaseRef(dst->customRef);
    *dst = out;
    return 0;
}
