/*
 * event_groups.cpp - predefined group words and their expansion into member
 * events (see event_groups.h).
 */
#include "event/event_groups.h"

#include <cstring>
#include <string_view>

#include "event/event_list.h"
#include "event/event_names.h"
#include "event/event_qualifiers.h"
#include "event/event_registry.h"
#include "event/event_support.h"
#include "event/parsed_stem.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "host/text_fields.h"
#include "interval/custom_manager.h"
#include "interval/interval_multiple.h"
#include "interval/interval_names.h"

namespace {

/* A group word blank-padded to a name field. */
constexpr std::array<char, ZTSEV_NAME_SIZE> padded(std::string_view word)
{
    std::array<char, ZTSEV_NAME_SIZE> field{};
    for (size_t i = 0; i < field.size(); ++i) field[i] = i < word.size() ? word[i] : ' ';
    return field;
}

}  // namespace

const std::array<std::array<char, ZTSEV_NAME_SIZE>, ZTSEV_GROUP_WORDS> group_name = {
    padded("."), padded("LINEAR"), padded("QUADTREND"), padded("CUBICTREND"), padded("SEASONAL"), padded("WEEKDAYS"),
};

namespace {

/* Indexes of group_name. */
enum { kQuadTrend = 2, kCubicTrend = 3, kSeasonal = 4, kWeekdays = 5 };

/* Keyword numbers of set 883: SUNDAY is 701 (+ 0 .. 6), JANUARY 1201. */
constexpr int kFirstDayKeyword = 701;
constexpr int kFirstMonthKeyword = 1201;
constexpr int kDaysPerWeek = 7;
constexpr int kMonths = 12;
/* Duration after of the last working day before a two-day weekend. */
constexpr double kFridayAfter = 2;
/* The most members a season group is built with: a seasonal cycle of more
 * seasons than SEASONALITY= accepts (10000) cannot be modelled by the
 * procedures, and each member is an event and a dummy column of its own.
 * A custom interval may have up to 2147473647 seasons. */
constexpr int32_t kMostGroupMembers = 10000;
constexpr int kMsgGroupTooLarge = 464;

using Name = ZTSEV_NAMETEXT;

/* The keyword text (883, number), cut to 32 characters; empty when the
 * catalogue has none. */
Name keyword(int number)
{
    const char *text = nullptr;
    int length = 0;
    if (wkread(ZTSEV_MSG_SET, number, &text, &length) != 0) text = nullptr;
    return ztsevNameText(text, wzstrip(text, length));
}

/* True when the upper-cased word equals group word `index`. */
bool isWord(const Name &word, int index)
{
    return std::memcmp(word.text, group_name[size_t(index)].data(), ZTSEV_NAME_SIZE) == 0;
}

/* The series interval, or null when there is none. */
const ZINT_DESC *seriesInterval(const ZTSEV_SERIES *series)
{
    if (series == nullptr || series->interval.interval.code == ZINT_NONE) return nullptr;
    return &series->interval.interval;
}

/* Gives a member created for the series the series interval's shift when
 * its pulse interval has the series interval's base code and multiplier. */
void takeSeriesShift(ZTSEV_LIST *list, const Name &member, const ZINT_DESC *interval)
{
    if (interval == nullptr) return;
    int status = ZTSEV_OK, k = 0;
    ZTSEV_EVENT *event = ZTSEVFindEventDup(list, member.text, &k, &status);
    if (event == nullptr || !event->given.pulseGiven) return;
    ZINT_DESC &pulse = event->given.pulse;
    if (pulse.code != interval->code || pulse.multiplier != interval->multiplier) return;
    pulse.shift = interval->shift;
    ztsevResolveQualifiers(list, event);
}

/* Adds a group word left for list finishing as the one member name.  The
 * word names no event: the keyword registry knows SEASONAL but not
 * WEEKDAYS or an interval name followed by S, and would refuse those in
 * the member mode, leaving finishing without the word to resolve. */
void addGroupWord(ZTSEV_LIST *list, ZTSEVEventNamelist **names, const Name &word)
{
    ZTSEVAddEventName(list, names, word.text, ZTSEV_NAMES_KEY_ANY);
}

/* Adds member names in order; returns the status of the first that could
 * not be added, or 0. */
int addMembers(ZTSEV_LIST *list, ZTSEVEventNamelist **names, const Name *members, int count,
               const ZINT_DESC *interval)
{
    for (int i = 0; i < count; ++i) {
        int status = ZTSEVAddEventName(list, names, members[i].text, ZTSEV_NAMES_MEMBER);
        if (status != ZTSEV_OK) return status;
        takeSeriesShift(list, members[i], interval);
    }
    return ZTSEV_OK;
}

/* Sets the duration after of the last record named `member` and resolves
 * its effective qualifiers again. */
void setDurationAfter(ZTSEV_LIST *list, const Name &member, double after)
{
    ZTSEVSetQualifier(list, member.text, ZTSEV_QID_AFTER, after);
    int k = 0;
    ZTSEVCreateEventDup(list, member.text, &k);
}

/* The working days of the series interval (WEEKDAY intervals), each with
 * the weekend days that follow it; others get Monday to Friday with a
 * two-day weekend after Friday. */
int expandWeekdays(ZTSEV_LIST *list, ZTSEVEventNamelist **names, const ZINT_DESC *interval)
{
    bool byDaysOff = interval->code == ZINT_WEEKDAY;
    for (int day = 0; day < kDaysPerWeek; ++day) {
        bool off = byDaysOff ? interval->daysOff[day] != 0 : (day == 0 || day == kDaysPerWeek - 1);
        if (off) continue;
        Name member = keyword(kFirstDayKeyword + day);
        int status = ZTSEVAddEventName(list, names, member.text, ZTSEV_NAMES_MEMBER);
        if (status != ZTSEV_OK) return status;
        takeSeriesShift(list, member, interval);
        int following = 0;
        if (byDaysOff) {
            while (following < kDaysPerWeek - 1 && interval->daysOff[(day + following + 1) % kDaysPerWeek] != 0)
                ++following;
        } else if (day == kDaysPerWeek - 2) {
            following = int(kFridayAfter);
        }
        if (following >= 1) setDurationAfter(list, member, following);
    }
    return ZTSEV_OK;
}

/* Seasons of interval stem (parsed into *desc) for the series; the status
 * of the seasonality service, with *count the season count. */
int stemSeasons(const ZINT_DESC &desc, const ZTSEV_SERIES *series, int32_t *count)
{
    ZINT_SEAS rec{};
    rec.interval = desc;
    double date = series != nullptr && !orvIsMissing(series->firstTimeId) ? series->firstTimeId : 0.0;
    int status = zintsea_set(&rec, nullptr, nullptr, date);
    zcintcReleaseRef(rec.customRef);
    *count = rec.seasonCount;
    if (status == 0 && desc.code == ZINT_WEEKV && *count == 52) *count = 53;
    return status;
}

/* Expands "stem S" into stem_1 ... stem_n. */
int expandSeasons(ZTSEV_LIST *list, ZTSEVEventNamelist **names, const Name &word, const ZTSEV_SERIES *series)
{
    int stemLength = word.length - 1;
    ZINT_DESC desc{};
    if (stemLength < 1 || word.text[stemLength] != 'S' || zintstr(word.text, stemLength, &desc) != 0)
        return ZTSEV_NOT_GROUP;
    int32_t count = 0;
    int status = stemSeasons(desc, series, &count);
    const ZINT_DESC *interval = seriesInterval(series);
    if (status != 0 || count < 2) {
        if (interval == nullptr) {
            addGroupWord(list, names, word);
            return ZTSEV_GROUP_LATER;
        }
        return status == 2 ? ZTSEV_NO_SERIES : ZTSEV_NO_SEASONS;
    }
    if (count > kMostGroupMembers) {
        xpmlog(ZTSEV_MSG_SET, kMsgGroupTooLarge, ORV_MSG_TEXT, word.length, word.text, ORV_MSG_INT, int(count),
               ORV_MSG_END);
        return ZTSEV_GROUP_MEMBER_FAILED;
    }
    const ZtsevParsedStem stem(word.text, stemLength, desc);
    for (int32_t n = 1; n <= count; ++n) {
        char text[ZTSEV_NAME_SIZE + 16];
        std::memcpy(text, word.text, size_t(stemLength));
        text[stemLength] = '_';
        int digits = wzcichr(n, text + stemLength + 1);
        if (stemLength + 1 + digits > ZTSEV_NAME_SIZE) return ZTSEV_GROUP_MEMBER_FAILED;
        Name member = ztsevNameText(text, stemLength + 1 + digits);
        if (ZTSEVAddEventName(list, names, member.text, ZTSEV_NAMES_MEMBER) != ZTSEV_OK)
            return ZTSEV_GROUP_MEMBER_FAILED;
        takeSeriesShift(list, member, interval);
    }
    return ZTSEV_OK;
}

/* The upper-cased word of a group name. */
Name upperWord(const char *name)
{
    ORV_COUNTED_NAME field;
    return ztsevNameText(field.text, ztsevUpperName(&field, name, ZTSEVlenORVname(name)));
}

/* Writes word blank-padded into out[0..32) with a NUL after its text. */
void writeWord(char *out, const char *text, int length)
{
    std::memset(out, ' ', ZTSEV_NAME_SIZE);
    std::memcpy(out, text, size_t(length));
    out[length] = '\0';
}

}  // namespace

int ZTSEVFindGroup(ZTSEV_LIST *list, const ZTSEV_SERIES *series, const char *name, ZTSEVEventNamelist **names)
{
    if (list == nullptr) return ZTSEV_NO_LIST;
    Name word = upperWord(name);
    const ZINT_DESC *interval = seriesInterval(series);
    if (isWord(word, kCubicTrend) || isWord(word, kQuadTrend)) {
        const Name trend[] = {ztsevNameText("LINEAR", 6), ztsevNameText("QUAD", 4), ztsevNameText("CUBIC", 5)};
        return addMembers(list, names, trend, isWord(word, kCubicTrend) ? 3 : 2, nullptr);
    }
    if (word.length == 4 && std::memcmp(word.text, "DAYS", 4) == 0) {
        Name days[kDaysPerWeek];
        for (int day = 0; day < kDaysPerWeek; ++day) days[day] = keyword(kFirstDayKeyword + day);
        return addMembers(list, names, days, kDaysPerWeek, interval);
    }
    if (word.length == 6 && std::memcmp(word.text, "MONTHS", 6) == 0) {
        Name months[kMonths];
        for (int month = 0; month < kMonths; ++month) months[month] = keyword(kFirstMonthKeyword + month);
        return addMembers(list, names, months, kMonths, interval);
    }
    if (isWord(word, kSeasonal) || (isWord(word, kWeekdays) && interval == nullptr)) {
        addGroupWord(list, names, word);
        return ZTSEV_GROUP_LATER;
    }
    if (isWord(word, kWeekdays)) return expandWeekdays(list, names, interval);
    if (word.length >= 3 && std::memcmp(word.text, "DAY", 3) == 0) return ZTSEV_GROUP_MEMBER_FAILED;
    return expandSeasons(list, names, word, series);
}

int ZTSEVFindGroupPredef(const char *name, char *out, const ZTSEV_SERIES *series)
{
    if (series == nullptr) return ZTSEV_NO_SERIES;
    Name word = upperWord(name);
    if (isWord(word, kWeekdays)) {
        writeWord(out, word.text, word.length);
        return ZTSEV_OK;
    }
    if (isWord(word, kSeasonal)) {
        const ZINT_DESC &desc = series->interval.interval;
        int32_t count = 0;
        int status = stemSeasons(desc, series, &count);
        if (status == 2) return ZTSEV_NO_SERIES;
        if (status != 0 || count < 2) return ZTSEV_NO_SEASONS;
        char text[ZINT_NAME_MAX + ZINT_BASE_TEXT_SIZE + 2];
        int length = int(sizeof text);
        if (desc.multiplier <= 1 && desc.code != ZINT_CUSTOM) zintbase(text, &length, &desc);
        else if (zinti2s(text, &length, &desc) != 0) return ZTSEV_NO_SEASONS;
        if (length + 1 > ZTSEV_NAME_SIZE) return ZTSEV_NO_SEASONS;
        text[length++] = 'S';
        writeWord(out, text, length);
        return ZTSEV_OK;
    }
    ZINT_DESC desc{};
    if (word.length < 2 || word.text[word.length - 1] != 'S' || zintstr(word.text, word.length - 1, &desc) != 0)
        return ZTSEV_NOT_GROUP;
    writeWord(out, word.text, word.length);
    return ZTSEV_OK;
}
