/*
 * event_data_columns.cpp - the columns of the event definition data set
 * (see event_data_columns.h).
 */
#include "event/event_data_columns.h"

#include <array>
#include <iterator>

namespace {

using K = ZtsevColumnKind;

constexpr ZTSEV_COLUMN kColumns[] = {
    {"_NAME_", K::Text, offsetof(ZTSEV_ROWBUF, name), 410},
    {"_LOCALE_", K::Text, offsetof(ZTSEV_ROWBUF, locale), 434},
    {"_LABEL_", K::LongText, offsetof(ZTSEV_ROWBUF, label), 431},
    {"_CLASS_", K::Text, offsetof(ZTSEV_ROWBUF, cls), 427},
    {"_KEYNAME_", K::Text, offsetof(ZTSEV_ROWBUF, keyName), 428},
    {"_STARTDATE_", K::Date, offsetof(ZTSEV_ROWBUF, startDate), 411},
    {"_ENDDATE_", K::Date, offsetof(ZTSEV_ROWBUF, endDate), 412},
    {"_DATEINTRVL_", K::Text, offsetof(ZTSEV_ROWBUF, dateInterval), 413},
    {"_STARTDT_", K::Datetime, offsetof(ZTSEV_ROWBUF, startDatetime), 414},
    {"_ENDDT_", K::Datetime, offsetof(ZTSEV_ROWBUF, endDatetime), 415},
    {"_DTINTRVL_", K::Text, offsetof(ZTSEV_ROWBUF, dtInterval), 416},
    {"_STARTOBS_", K::Number, offsetof(ZTSEV_ROWBUF, startObs), 417},
    {"_ENDOBS_", K::Number, offsetof(ZTSEV_ROWBUF, endObs), 418},
    {"_OBSINTRVL_", K::Number, offsetof(ZTSEV_ROWBUF, obsInterval), 419},
    {"_TYPE_", K::Text, offsetof(ZTSEV_ROWBUF, type), 420},
    {"_VALUE_", K::Number, offsetof(ZTSEV_ROWBUF, value), 421},
    {"_PULSE_", K::Text, offsetof(ZTSEV_ROWBUF, pulse), 422},
    {"_SHIFT_", K::Number, offsetof(ZTSEV_ROWBUF, shift), 430},
    {"_DUR_BEFORE_", K::Number, offsetof(ZTSEV_ROWBUF, durationBefore), 423},
    {"_DUR_AFTER_", K::Number, offsetof(ZTSEV_ROWBUF, durationAfter), 424},
    {"_SLOPE_BEF_", K::Text, offsetof(ZTSEV_ROWBUF, slopeBefore), 432},
    {"_SLOPE_AFT_", K::Text, offsetof(ZTSEV_ROWBUF, slopeAfter), 433},
    {"_TCPARM_", K::Number, offsetof(ZTSEV_ROWBUF, tcParm), 425},
    {"_RULE_", K::Text, offsetof(ZTSEV_ROWBUF, rule), 426},
    {"_PERIOD_", K::Text, offsetof(ZTSEV_ROWBUF, period), 429},
};
static_assert(std::size(kColumns) == ZTSEV_COLUMN_COUNT);

constexpr int kDefinitionOrder[] = {
    ZTSEV_COL_LOCALE, ZTSEV_COL_NAME,
    ZTSEV_COL_CLASS, ZTSEV_COL_KEYNAME, ZTSEV_COL_STARTDATE, ZTSEV_COL_ENDDATE, ZTSEV_COL_DATEINTRVL,
    ZTSEV_COL_STARTDT, ZTSEV_COL_ENDDT, ZTSEV_COL_DTINTRVL, ZTSEV_COL_STARTOBS, ZTSEV_COL_ENDOBS,
    ZTSEV_COL_OBSINTRVL, ZTSEV_COL_TYPE, ZTSEV_COL_VALUE, ZTSEV_COL_PULSE, ZTSEV_COL_DUR_BEFORE,
    ZTSEV_COL_DUR_AFTER, ZTSEV_COL_SLOPE_BEF, ZTSEV_COL_SLOPE_AFT, ZTSEV_COL_SHIFT, ZTSEV_COL_TCPARM,
    ZTSEV_COL_RULE, ZTSEV_COL_PERIOD,
    ZTSEV_COL_LABEL,
};
static_assert(std::size(kDefinitionOrder) == ZTSEV_COLUMN_COUNT);

/* Keywords by code; index 0 and the gaps are ".". */
constexpr std::array<const char *, 8> kClassKeywords = {
    ".", "SIMPLE", ".", "COMB", "PREDEF", "COMPLEX", "PREDEFCOMP", "DATEKEY"};
constexpr std::array<const char *, 11> kTypeKeywords = {
    ".", "POINT", "LS", "RAMP", "TR", "TC", "LINEAR", "QUAD", "CUBIC", "INVERSE", "LOG"};
constexpr std::array<const char *, 3> kSlopeKeywords = {".", "DECAY", "GROWTH"};
static_assert(ZTSEV_CLASS_DATEKEY == 7 && ZTSEV_TYPE_LOG == 10 && ZTSEV_SLOPE_GROWTH == 2);

template <size_t N>
const char *keyword(const std::array<const char *, N> &table, int32_t code)
{
    return code > 0 && size_t(code) < N ? table[size_t(code)] : ".";
}

}  // namespace

std::span<const ZTSEV_COLUMN> ztsevColumns() { return kColumns; }
std::span<const int> ztsevDefinitionOrder() { return kDefinitionOrder; }
const char *ztsevClassKeyword(int32_t cls) { return keyword(kClassKeywords, cls); }
const char *ztsevTypeKeyword(int32_t type) { return keyword(kTypeKeywords, type); }
const char *ztsevSlopeKeyword(int32_t slope) { return keyword(kSlopeKeywords, slope); }
