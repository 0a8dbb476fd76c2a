/*
 * event_qualifiers.cpp - setting given qualifiers and resolving effective
 * ones (see event_qualifiers.h).
 */
#include "event/event_qualifiers.h"

#include <cstdint>
#include <cstring>
#include <limits>

#include "event/event_list.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "interval/interval_names.h"

namespace {

/* Message whose text is the default label, with the event name. */
constexpr int ZTSEV_MSG_DEFAULT_LABEL = 441;

/* Defaults of the effective qualifiers. */
constexpr double kDefaultValue = 1.0;
constexpr double kDefaultTcParm = 0.5;

constexpr int64_t kInt32Low = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32High = std::numeric_limits<int32_t>::max();
constexpr int64_t kInt64Low = std::numeric_limits<int64_t>::min();
/* The largest count of intervals that still has its n + 1 form. */
constexpr int64_t kInt64High = std::numeric_limits<int64_t>::max() - 1;

/* Sets a given int32 qualifier; false (nothing set) when value is not a
 * usable number. */
bool setInt32(double value, int32_t *given, int32_t *field)
{
    int64_t whole = 0;
    if (!ztsevTruncated(value, kInt32Low, kInt32High, &whole)) return false;
    *field = int32_t(whole);
    *given = 1;
    return true;
}

/* Sets a given int64 qualifier whose integer part lies in [low, high]. */
bool setInt64(double value, int32_t *given, int64_t *field, int64_t low = kInt64Low, int64_t high = kInt64High)
{
    int64_t whole = 0;
    if (!ztsevTruncated(value, low, high, &whole)) return false;
    *field = whole;
    *given = 1;
    return true;
}

bool setDouble(double value, int32_t *given, double *field)
{
    if (orvIsMissing(value)) return false;
    *field = value;
    *given = 1;
    return true;
}

/* Sets a given interval from its base code; an unusable or unknown code
 * sets nothing. */
bool setInterval(double value, int32_t *given, ZINT_DESC *field)
{
    int64_t code = 0;
    ZINT_DESC desc{};
    if (!ztsevTruncated(value, kInt32Low, kInt32High, &code) || zintic(int(code), &desc) != 0) return false;
    *field = desc;
    *given = 1;
    return true;
}

/* Sets qualifier id on the given block g. */
void setOne(ZTSEV_GIVEN &g, int id, double value)
{
    switch (id) {
    case ZTSEV_QID_VALUE: setDouble(value, &g.valueGiven, &g.value); break;
    case ZTSEV_QID_TCPARM: setDouble(value, &g.tcParmGiven, &g.tcParm); break;
    case ZTSEV_QID_PULSE: setInterval(value, &g.pulseGiven, &g.pulse); break;
    case ZTSEV_QID_PERIOD: setInterval(value, &g.periodGiven, &g.period); break;
    case ZTSEV_QID_BEFORE:
        if (setInt64(value, &g.beforeGiven, &g.before)) g.anyDurationGiven = 1;
        break;
    case ZTSEV_QID_AFTER:
        if (setInt64(value, &g.afterGiven, &g.after)) g.anyDurationGiven = 1;
        break;
    case ZTSEV_QID_TYPE: setInt32(value, &g.typeGiven, &g.type); break;
    case ZTSEV_QID_SLOPE_BEFORE:
        if (setInt64(value, &g.slopeBeforeGiven, &g.slopeBefore, kInt32Low, kInt32High)) g.anySlopeGiven = 1;
        break;
    case ZTSEV_QID_SLOPE_AFTER:
        if (setInt64(value, &g.slopeAfterGiven, &g.slopeAfter, kInt32Low, kInt32High)) g.anySlopeGiven = 1;
        break;
    case ZTSEV_QID_RULE: setInt32(value, &g.ruleGiven, &g.rule); break;
    case ZTSEV_QID_SHIFT: setInt64(value, &g.shiftGiven, &g.shift); break;
    default: break; /* ZTSEV_QID_LABEL and unknown ids: a label needs its text */
    }
}

/* The last record of that name, with the find status. */
ZTSEV_EVENT *lastNamed(ZTSEV_LIST *list, const char *name, int *status)
{
    int k = 0;
    return ZTSEVFindEventDup(list, name, &k, status);
}

/* Fills the default-label field of event with the text of (883, 441). */
void defaultLabel(ZTSEV_EVENT *event)
{
    std::memset(event->defaultLabel, ' ', ZTSEV_LABEL_SIZE);
    int length = xpmrstr(ztsevLogHandle(), event->defaultLabel, ZTSEV_MSG_SET, ZTSEV_MSG_DEFAULT_LABEL, ORV_MSG_TEXT,
                         int(event->name.length), event->name.text, ORV_MSG_END);
    event->labelLength = length < 0 ? 0 : length > ZTSEV_LABEL_SIZE ? ZTSEV_LABEL_SIZE : length;
    event->label = event->defaultLabel;
}

}  // namespace

double ZTSEVInitQualList(ZTSEV_QUAL *qual)
{
    double missing = orvMissing();
    *qual = ZTSEV_QUAL{missing, missing, missing, missing, missing, missing,
                       missing, missing, missing, missing, missing};
    return missing;
}

int ZTSEVSetQualifierList(ZTSEV_LIST *list, const char *name, ZTSEV_QUAL qual)
{
    int status = ZTSEV_OK;
    ZTSEV_EVENT *event = lastNamed(list, name, &status);
    if (event == nullptr) return status;
    ZTSEV_GIVEN &g = event->given;
    setOne(g, ZTSEV_QID_TYPE, qual.type);
    setOne(g, ZTSEV_QID_VALUE, qual.value);
    setOne(g, ZTSEV_QID_PULSE, qual.pulse);
    setOne(g, ZTSEV_QID_PERIOD, qual.period);
    setOne(g, ZTSEV_QID_BEFORE, qual.durationBefore);
    setOne(g, ZTSEV_QID_AFTER, qual.durationAfter);
    setOne(g, ZTSEV_QID_SHIFT, qual.shift);
    setOne(g, ZTSEV_QID_SLOPE_BEFORE, qual.slopeBefore);
    setOne(g, ZTSEV_QID_SLOPE_AFTER, qual.slopeAfter);
    setOne(g, ZTSEV_QID_TCPARM, qual.tcParm);
    setOne(g, ZTSEV_QID_RULE, qual.rule);
    return ZTSEV_OK;
}

int ZTSEVSetQualifier(ZTSEV_LIST *list, const char *name, int id, double value)
{
    int status = ZTSEV_OK;
    ZTSEV_EVENT *event = lastNamed(list, name, &status);
    if (event == nullptr) return status;
    setOne(event->given, id, value);
    return ZTSEV_OK;
}

int ZTSEVCreateEvent(ZTSEV_LIST *list, const char *name)
{
    int status = ZTSEV_OK;
    ZTSEV_EVENT *event = ZTSEVFindEvent(list, name, &status);
    if (event == nullptr) return status;
    return ztsevResolveQualifiers(list, event);
}

int ZTSEVCreateEventDup(ZTSEV_LIST *list, const char *name, int *k)
{
    int status = ZTSEV_OK;
    ZTSEV_EVENT *event = ZTSEVFindEventDup(list, name, k, &status);
    /* Asking beyond the matches finds records but none to resolve. */
    if (event == nullptr) return status != ZTSEV_OK ? status : ZTSEV_NOT_FOUND;
    return ztsevResolveQualifiers(list, event);
}

int ztsevResolveQualifiers(const ZTSEV_LIST *list, ZTSEV_EVENT *event)
{
    const ZTSEV_GIVEN &g = event->given;
    ZTSEV_EFFECTIVE &e = event->effective;
    e.type = g.typeGiven ? g.type : ZTSEV_TYPE_POINT;
    e.value = g.valueGiven ? g.value : kDefaultValue;
    e.tcParm = g.tcParmGiven ? g.tcParm : kDefaultTcParm;
    /* Effective durations count the occurrence itself: n intervals is n + 1,
     * and 0 is ALL. */
    if (g.anyDurationGiven) {
        e.before = g.beforeGiven ? g.before + 1 : 1;
        e.after = g.afterGiven ? g.after + 1 : 1;
    } else if (e.type == ZTSEV_TYPE_POINT || g.pulseGiven) {
        e.before = 1;
        e.after = 1;
    } else {
        bool trend = e.type == ZTSEV_TYPE_LINEAR || e.type == ZTSEV_TYPE_QUAD || e.type == ZTSEV_TYPE_CUBIC;
        e.before = trend ? 0 : 1;
        e.after = 0;
    }
    e.slopeBefore = g.slopeBeforeGiven ? int32_t(g.slopeBefore) : ZTSEV_SLOPE_GROWTH;
    e.slopeAfter = g.slopeAfterGiven ? int32_t(g.slopeAfter)
                   : e.type == ZTSEV_TYPE_TC ? ZTSEV_SLOPE_DECAY
                                             : ZTSEV_SLOPE_GROWTH;
    e.shift = g.shiftGiven ? g.shift : 0;
    bool datekeys = list != nullptr && list->kind == ZTSEV_LIST_DATEKEYS;
    e.rule = g.ruleGiven ? g.rule : datekeys ? ZTSEV_RULE_OR : ZTSEV_RULE_ADD;
    e.pulse = g.pulseGiven ? g.pulse : ZINT_DESC{};
    e.period = g.periodGiven ? g.period : ZINT_DESC{};
    if (g.labelGiven) {
        event->labelLength = g.labelLength;
        event->label = g.label;
    } else {
        defaultLabel(event);
    }
    event->labelSet = 1;
    return ZTSEV_OK;
}
