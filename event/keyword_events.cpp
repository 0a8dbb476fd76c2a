/*
 * keyword_events.cpp - ZTSEVFindKeyword (see event_registry.h): the event
 * that a recognised keyword stands for, with the qualifiers the keyword
 * implies.
 */
#include <cstring>

#include "event/event_list.h"
#include "event/event_qualifiers.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "event/parsed_stem.h"
#include "host/text_fields.h"
#include "interval/holidays.h"
#include "interval/interval_names.h"

namespace {

/* Shape keywords: a SIMPLE event of that type with one observation-number
 * timing value. */
struct TrendWord {
    const char *word;
    int32_t type;
    double observation;
};
constexpr TrendWord kTrendWords[] = {
    {"CUBIC", ZTSEV_TYPE_CUBIC, 0.0},     {"QUAD", ZTSEV_TYPE_QUAD, 0.0}, {"LINEAR", ZTSEV_TYPE_LINEAR, 0.0},
    {"INVERSE", ZTSEV_TYPE_INVERSE, 1.0}, {"LOG", ZTSEV_TYPE_LOG, 1.0},
};

constexpr double kPulseDay = ZINT_DAY;
/* WEASTER: the days before Easter that its predefined event spans. */
constexpr double kWeasterDaysBefore = 21;

/* True when the key (NUL-terminated, upper case) is exactly word. */
bool isWord(const char *key, const char *word) { return std::strcmp(key, word) == 0; }

/* A NUL-terminated copy of at most ZTSEV_NAME_SIZE characters. */
void copyName(const char *text, int length, char *out)
{
    const int n = length < ZTSEV_NAME_SIZE ? length : ZTSEV_NAME_SIZE;
    std::memcpy(out, text, size_t(n));
    out[n] = '\0';
}

/* The qualifiers of an outlier record named `name` by its code. */
void setOutlierQualifiers(ZTSEV_LIST *list, const char *name, int64_t code, int64_t duration)
{
    if (code == ZTSEV_OUTLIER_AO) return;
    if (code == ZTSEV_OUTLIER_TC) {
        ZTSEVSetQualifier(list, name, ZTSEV_QID_TYPE, ZTSEV_TYPE_TC);
        return;
    }
    ZTSEVSetQualifier(list, name, ZTSEV_QID_TYPE, ZTSEV_TYPE_LS);
    if (code == ZTSEV_OUTLIER_TLS) ZTSEVSetQualifier(list, name, ZTSEV_QID_AFTER, double(duration));
    if (code == ZTSEV_OUTLIER_CBLS || code == ZTSEV_OUTLIER_NLS) ZTSEVSetQualifier(list, name, ZTSEV_QID_VALUE, -1);
    if (code == ZTSEV_OUTLIER_CBLS) {
        /* A level shift in place from the start of the series up to the
         * date: ALL before, nothing after, shifted back one interval. */
        ZTSEVSetQualifier(list, name, ZTSEV_QID_SHIFT, -1);
        ZTSEVSetQualifier(list, name, ZTSEV_QID_BEFORE, -1);
        ZTSEVSetQualifier(list, name, ZTSEV_QID_AFTER, 0);
    }
}

/* The last record named `name`, or null. */
ZTSEV_EVENT *lastNamed(ZTSEV_LIST *list, const char *name)
{
    int k = 0;
    int status = 0;
    return ZTSEVFindEventDup(list, name, &k, &status);
}

/*
 * Creates the record for an upper-case key (in keyField, and NUL-terminated
 * in key), named `name`.  Returns 0 when a record was made,
 * ZTSEV_NOT_FOUND when the key is not recognised, -1 when it is recognised
 * but makes no record.
 */
int createForKey(ZTSEV_LIST *list, ZTSEV_LIST *keyList, const char *name, bool hasNewName,
                 const ORV_COUNTED_NAME &keyField, const char *key)
{
    const int keyLength = keyField.length;
    int status = 0;

    if (keyList != nullptr && ZTSEVFindEvent(keyList, key, &status) != nullptr) {
        ZTSEVCreateEvent(keyList, key);
        ZTSEVInitSimpleEvent(list, nullptr, name, 0, nullptr, 0, &keyField);
        ZTSEV_EVENT *event = lastNamed(list, name);
        if (event != nullptr && event->datekeyCount > 0) event->datekeyCodes[event->datekeyCount - 1] = ZTSEV_USER_DATEKEY;
        return 0;
    }
    if (zholnchk(key, keyLength) != 0 || znwkdomnchk(key, keyLength, nullptr, nullptr, nullptr) != 0) {
        ZTSEVInitSimpleEvent(list, nullptr, name, 0, nullptr, 0, &keyField);
        ZTSEVSetQualifier(list, name, ZTSEV_QID_PULSE, kPulseDay);
        return 0;
    }
    int intervalCode = 0;
    if (ZTSEVSeasNameChk(key, keyLength, &intervalCode) != 0) {
        ZTSEVInitSimpleEvent(list, nullptr, name, 0, nullptr, 0, &keyField);
        if (intervalCode != ZINT_CUSTOM) {
            ZTSEVSetQualifier(list, name, ZTSEV_QID_PULSE, intervalCode);
            return 0;
        }
        /* A custom interval has no code of its own: its pulse is the
         * interval named before the underscore. */
        ZTSEV_EVENT *event = lastNamed(list, name);
        if (event != nullptr && ztsevParseStem(key, wzstpos(key, keyLength, '_'), &event->given.pulse) == ZINTSTR_OK)
            event->given.pulseGiven = 1;
        return 0;
    }
    double date = 0;
    int kind = 0;
    int64_t duration = 0;
    const int64_t outlier = zoutlnchk(key, keyLength, 1, &date, &kind, &duration, &status);
    if (outlier != 0) {
        ZTSEVInitSimpleEvent(list, nullptr, name, 1, &date, kind, nullptr);
        setOutlierQualifiers(list, name, outlier, duration);
        return 0;
    }
    for (const TrendWord &trend : kTrendWords) {
        if (!isWord(key, trend.word)) continue;
        ZTSEVInitSimpleEvent(list, nullptr, name, 1, &trend.observation, ZTSEV_KIND_OBS, nullptr);
        ZTSEVSetQualifier(list, name, ZTSEV_QID_TYPE, trend.type);
        return 0;
    }
    if (isWord(key, "SEASONAL")) return -1;
    if (isWord(key, "WEASTER")) {
        if (!hasNewName) return -1;
        ZTSEVInitPredefEvent(list, nullptr, name, 0, &keyField);
        ZTSEVSetQualifier(list, name, ZTSEV_QID_BEFORE, kWeasterDaysBefore);
        ZTSEVSetQualifier(list, name, ZTSEV_QID_PULSE, kPulseDay);
        return 0;
    }
    return ZTSEV_NOT_FOUND;
}

}  // namespace

ZTSEV_EVENT *ZTSEVFindKeyword(ZTSEV_LIST *list, ZTSEV_LIST *keyList, const char *newName, int newNameLength,
                              const char *keyName, int keyNameLength, int *status)
{
    int localStatus = 0;
    int *result = status != nullptr ? status : &localStatus;
    if (list == nullptr) {
        *result = ZTSEV_NO_LIST;
        return nullptr;
    }
    const int keyLength = keyName == nullptr ? 0 : wzstrip(keyName, keyNameLength);
    if (keyLength == 0 || keyLength > ZTSEV_NAME_SIZE) {
        *result = ZTSEV_NOT_FOUND;
        return nullptr;
    }
    ORV_COUNTED_NAME keyField;
    ztsevUpperName(&keyField, keyName, keyLength);
    char key[ZTSEV_NAME_SIZE + 1];
    copyName(keyField.text, keyLength, key);

    const bool hasNewName = newName != nullptr && newNameLength > 0 && newName[0] != ' ' && newName[0] != '.';
    char name[ZTSEV_NAME_SIZE + 1];
    if (hasNewName) copyName(newName, newNameLength, name);
    else copyName(key, keyLength, name);

    const int made = createForKey(list, keyList, name, hasNewName, keyField, key);
    if (made != 0) {
        *result = made < 0 ? 0 : made;
        return nullptr;
    }
    int k = 0;
    ZTSEVCreateEventDup(list, name, &k);
    *result = 0;
    return lastNamed(list, name);
}
