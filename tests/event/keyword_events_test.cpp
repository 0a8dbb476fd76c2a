/*
 * keyword_events_test.cpp - the events the keyword registry creates for
 * recognised names: their class, timing values, date keys and the
 * qualifiers they resolve to; names it does not make a record for; and the
 * date-key list's events shadowing keywords.
 *
 * (date(2020, 1, 1) - date(1960, 1, 1)).days = 21915 (Python's datetime).
 */
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "event/event_list.h"
#include "event/event_registry.h"
#include "tests/support/module_host.h"

namespace {

constexpr double kJan1st2020 = 21915;
constexpr double kNone = -99; /* "no timing value" in the table */

int len(const char *text) { return int(std::strlen(text)); }

std::string text(const ORV_COUNTED_NAME &name) { return std::string(name.text, size_t(name.length)); }

struct KeywordCase {
    const char *key;
    const char *newName;   /* nullptr: none */
    const char *recordName;
    int cls;
    double timingValue;    /* kNone: no timing values */
    int timingKind;
    int64_t datekeyCode;   /* 0: no date key */
    int pulseCode;         /* given pulse interval; 0: none */
    /* effective qualifiers */
    int type;
    double value;
    int64_t before, after, shift;
};

TEST(KeywordEvents, RecognisedNamesCreateTheirEvents)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    ASSERT_NE(list, nullptr);
    const std::vector<KeywordCase> cases = {
        {"AO25OBS", nullptr, "AO25OBS", 1, 25, 4, 0, 0, 1, 1, 1, 1, 0},
        {"TLS01JAN2020D4", nullptr, "TLS01JAN2020D4", 1, kJan1st2020, 8, 0, 0, 2, 1, 1, 5, 0},
        {"CBLS01JAN2020D", nullptr, "CBLS01JAN2020D", 1, kJan1st2020, 8, 0, 0, 2, -1, 0, 1, -1},
        {"NLS01JAN2020D", nullptr, "NLS01JAN2020D", 1, kJan1st2020, 8, 0, 0, 2, -1, 1, 0, 0},
        {"LS01JAN2020D", nullptr, "LS01JAN2020D", 1, kJan1st2020, 8, 0, 0, 2, 1, 1, 0, 0},
        {"TC01JAN2020D", nullptr, "TC01JAN2020D", 1, kJan1st2020, 8, 0, 0, 5, 1, 1, 0, 0},
        {"christmas", nullptr, "CHRISTMAS", 1, kNone, 0, 24, 25, 1, 1, 1, 1, 0},
        {"DTMONTH_3", "SPRING", "SPRING", 1, kNone, 0, 1203, 45, 1, 1, 1, 1, 0},
        {"X1W2JANYR", nullptr, "X1W2JANYR", 1, kNone, 0, 9005, 25, 1, 1, 1, 1, 0},
        {"OBS_2", ".", "OBS_2", 1, kNone, 0, 102, 1, 1, 1, 1, 1, 0},
        {"CUBIC", nullptr, "CUBIC", 1, 0, 4, 0, 0, 8, 1, 0, 0, 0},
        {"LINEAR", " LATER", "LINEAR", 1, 0, 4, 0, 0, 6, 1, 0, 0, 0},
        {"LOG", nullptr, "LOG", 1, 1, 4, 0, 0, 10, 1, 1, 0, 0},
        {"WEASTER", "WE", "WE", 4, kNone, 0, 0, 25, 1, 1, 22, 1, 0},
    };
    for (const KeywordCase &c : cases) {
        int status = -1;
        ZTSEV_EVENT *event = ZTSEVFindKeyword(list, list->datekeyList, c.newName, c.newName ? len(c.newName) : 0,
                                              c.key, len(c.key), &status);
        EXPECT_EQ(status, 0) << c.key;
        ASSERT_NE(event, nullptr) << c.key;
        EXPECT_EQ(text(event->name), c.recordName) << c.key;
        EXPECT_EQ(event->cls, c.cls) << c.key;
        if (c.timingValue == kNone) {
            EXPECT_EQ(event->timingCount, 0) << c.key;
        } else {
            ASSERT_EQ(event->timingCount, 1) << c.key;
            EXPECT_EQ(event->timingValues[0], c.timingValue) << c.key;
            EXPECT_EQ(event->timingKinds[0], c.timingKind * 256) << c.key;
        }
        if (c.datekeyCode == 0) {
            EXPECT_EQ(event->datekeyCount, 0) << c.key;
        } else {
            ASSERT_EQ(event->datekeyCount, 1) << c.key;
            EXPECT_EQ(event->datekeyCodes[0], c.datekeyCode) << c.key;
        }
        EXPECT_EQ(event->given.pulseGiven, c.pulseCode != 0 ? 1 : 0) << c.key;
        if (c.pulseCode != 0) {
            EXPECT_EQ(event->given.pulse.code, c.pulseCode) << c.key;
        }
        EXPECT_EQ(event->effective.type, c.type) << c.key;
        EXPECT_EQ(event->effective.value, c.value) << c.key;
        EXPECT_EQ(event->effective.before, c.before) << c.key;
        EXPECT_EQ(event->effective.after, c.after) << c.key;
        EXPECT_EQ(event->effective.shift, c.shift) << c.key;
    }
    /* WEASTER's record is a predefined event keyed by the word. */
    int status = -1;
    const ZTSEV_EVENT *weaster = ZTSEVFindEvent(list, "WE", &status);
    ASSERT_NE(weaster, nullptr);
    ASSERT_NE(weaster->members, nullptr);
    EXPECT_EQ(text(weaster->members->name), "WEASTER");
}

struct NoRecordCase {
    const char *key;
    const char *newName;
    int status;
};

TEST(KeywordEvents, NamesWithoutARecord)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    const std::string tooLong(33, 'A');
    const std::vector<NoRecordCase> cases = {
        {"SEASONAL", nullptr, 0},
        {"SEASONAL", "MYSEASONS", 0},
        {"WEASTER", nullptr, 0},
        {"WEASTER", ".", 0},
        {"NOTAKEY", nullptr, 3},
        {"TLS01JAN2020D", nullptr, 3},
        {"CUBICS", nullptr, 3},
        {"", nullptr, 3},
        {tooLong.c_str(), nullptr, 3},
    };
    for (const NoRecordCase &c : cases) {
        int status = -1;
        EXPECT_EQ(ZTSEVFindKeyword(list, list->datekeyList, c.newName, c.newName ? len(c.newName) : 0, c.key,
                                   len(c.key), &status),
                  nullptr)
            << c.key;
        EXPECT_EQ(status, c.status) << c.key;
    }
    EXPECT_EQ(list->eventCount, 0);
    int status = -1;
    EXPECT_EQ(ZTSEVFindKeyword(nullptr, nullptr, nullptr, 0, "CHRISTMAS", 9, &status), nullptr);
    EXPECT_EQ(status, 2);
}

TEST(KeywordEvents, DateKeyListEventsShadowKeywords)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    ZTSEV_LIST *keys = list->datekeyList;
    ASSERT_NE(keys, nullptr);
    const double date = kJan1st2020;
    ZTSEVInitSimpleEvent(keys, nullptr, "SALEDAY", 1, &date, 8, nullptr);
    ZTSEVInitSimpleEvent(keys, nullptr, "CHRISTMAS", 1, &date, 8, nullptr);

    for (const char *key : {"saleday", "CHRISTMAS"}) {
        int status = -1;
        ZTSEV_EVENT *event = ZTSEVFindKeyword(list, keys, nullptr, 0, key, len(key), &status);
        ASSERT_NE(event, nullptr) << key;
        EXPECT_EQ(status, 0);
        ASSERT_EQ(event->datekeyCount, 1) << key;
        EXPECT_EQ(event->datekeyCodes[0], 19) << key;
        EXPECT_EQ(event->given.pulseGiven, 0) << key;
        /* The key's own event got its effective qualifiers first. */
        const ZTSEV_EVENT *keyEvent = ZTSEVFindEvent(keys, key, &status);
        ASSERT_NE(keyEvent, nullptr);
        EXPECT_EQ(keyEvent->labelSet, 1) << key;
    }
    /* Outside the registry's own lookup the keyword wins over the list. */
    EXPECT_EQ(ZTSEVDatekey2Flag(keys, "CHRISTMAS", 9), 24);
    EXPECT_EQ(ZTSEVDatekey2Flag(keys, "SALEDAY ", 8), 19);
    EXPECT_EQ(ZTSEVDatekey2Flag(keys, "SALE", 4), 0);
    EXPECT_EQ(ZTSEVDatekey2Flag(keys, "SALEDAYS", 8), 0);
}

}  // namespace
