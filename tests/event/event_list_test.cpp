/*
 * event_list_test.cpp - event lists and records: finding by whole name,
 * sorting, linking and unlinking with their counts, the date-key list,
 * copies of events, date keys and timing values added to events, and the
 * out-of-memory ends of list creation.
 */
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "event/event_list.h"
#include "event/event_names.h"
#include "event/event_qualifiers.h"
#include "host/services.h"
#include "platform/step.h"
#include "tests/support/module_host.h"

namespace {

std::string text(const ORV_COUNTED_NAME &name) { return std::string(name.text, size_t(name.length)); }

ORV_COUNTED_NAME counted(const char *value)
{
    ORV_COUNTED_NAME name;
    std::memset(name.text, ' ', sizeof name.text);
    size_t n = std::min(std::strlen(value), sizeof name.text);
    std::memcpy(name.text, value, n);
    name.length = int16_t(n);
    return name;
}

/* The names of the chain, walked forward and checked backward. */
std::vector<std::string> names(const ZTSEV_LIST *list)
{
    std::vector<std::string> forward, backward;
    for (const ZTSEV_EVENT *e = list->first; e != nullptr; e = e->next) forward.push_back(text(e->name));
    for (const ZTSEV_EVENT *e = list->last; e != nullptr; e = e->prev) backward.insert(backward.begin(), text(e->name));
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(int(forward.size()), list->eventCount);
    return forward;
}

ZTSEV_EVENT *add(ZTSEV_LIST *list, const char *name, int cls = ZTSEV_CLASS_SIMPLE)
{
    int status = -1;
    ZTSEV_EVENT *event = ZTSEVNewItem(list, nullptr, name, cls, &status);
    EXPECT_EQ(status, 0);
    return event;
}

struct FindCase {
    const char *id;
    const char *name;
    int kIn;
    int record;   /* index in the list; -1 none */
    int status;
    int kOut;
};

TEST(EventLists, FindWholeNames)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    std::vector<ZTSEV_EVENT *> records = {add(list, "SALES"), add(list, "SALE"), add(list, "sale"),
                                          add(list, "TWO WORDS")};
    EXPECT_EQ(text(records[3]->name), "TWO");
    const std::vector<FindCase> cases = {
        {"dup-k2-one-match", "SALES", 2, -1, 0, 1},
        {"dup-k1", "SALES", 1, 0, 0, 1},
        {"dup-k2-of-two", "SALE", 2, 2, 0, 2},
        {"dup-k0-last", "Sale", 0, 2, 0, 2},
        {"dup-k-neg-last", "SALE", -3, 2, 0, 2},
        {"dup-prefix-no-match", "SAL", 0, -1, 3, 0},
        {"dup-longer-no-match", "SALESX", 1, -1, 3, 0},
        {"dup-blank-ends-name", "SALE DAY", 1, 1, 0, 2},
        {"dup-cut-name", "TWO", 1, 3, 0, 1},
    };
    for (const FindCase &c : cases) {
        int k = c.kIn, status = -1;
        ZTSEV_EVENT *got = ZTSEVFindEventDup(list, c.name, &k, &status);
        EXPECT_EQ(got, c.record < 0 ? nullptr : records[size_t(c.record)]) << c.id;
        EXPECT_EQ(status, c.status) << c.id;
        EXPECT_EQ(k, c.kOut) << c.id;
    }
    int status = -1;
    EXPECT_EQ(ZTSEVFindEvent(list, "SALE", &status), records[1]);
    EXPECT_EQ(ZTSEVFindEvent(list, "sales", &status), records[0]);
    EXPECT_EQ(ZTSEVFindEvent(list, "SAL", &status), nullptr);
    EXPECT_EQ(status, 3);
    EXPECT_EQ(ZTSEVFindEvent(nullptr, "SALE", &status), nullptr);
    EXPECT_EQ(status, 2);
    int k = 1;
    EXPECT_EQ(ZTSEVFindEventDup(nullptr, "SALE", &k, &status), nullptr);
    EXPECT_EQ(status, 2);

    /* After unlinking, relinking before another record of the name and
     * freeing, the finds follow the chain. */
    ZTSEVDelItem(list, records[0], ZTSEV_DEL_KEEP);
    ZTSEVDelItem(list, records[2], ZTSEV_DEL_KEEP);
    ZTSEVInsItem(list, records[2], records[1]);
    ZTSEVDelItem(list, records[3], ZTSEV_DEL_FREE);
    const std::vector<FindCase> changed = {
        {"unlinked", "SALES", 0, -1, 3, 0},
        {"relinked-first", "SALE", 1, 2, 0, 2},
        {"relinked-k2", "sale", 2, 1, 0, 2},
        {"relinked-last", "SALE", 0, 1, 0, 2},
        {"freed", "TWO", 0, -1, 3, 0},
    };
    for (const FindCase &c : changed) {
        k = c.kIn;
        ZTSEV_EVENT *got = ZTSEVFindEventDup(list, c.name, &k, &status);
        EXPECT_EQ(got, c.record < 0 ? nullptr : records[size_t(c.record)]) << c.id;
        EXPECT_EQ(status, c.status) << c.id;
        EXPECT_EQ(k, c.kOut) << c.id;
    }
    /* Many names, every other one then dropped: each is found, or not. */
    std::vector<ZTSEV_EVENT *> many;
    for (int i = 0; i < 300; ++i) many.push_back(add(list, ("E" + std::to_string(i)).c_str()));
    for (int i = 0; i < 300; i += 2) ZTSEVDelItem(list, many[size_t(i)], ZTSEV_DEL_FREE);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(ZTSEVFindEvent(list, ("e" + std::to_string(i)).c_str(), &status),
                  i % 2 == 0 ? nullptr : many[size_t(i)])
            << i;
}

TEST(EventLists, SortIsStableAndCaseBlindAndKeepsCounts)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    add(list, "b");
    add(list, "ZGROUP", ZTSEV_CLASS_PREDEFCOMP);
    ZTSEV_EVENT *upper = add(list, "A");
    add(list, "C", ZTSEV_CLASS_COMPLEX);
    ZTSEV_EVENT *lower = add(list, "a");
    add(list, "AB");
    EXPECT_EQ(list->dummyCount, 4);
    EXPECT_GT(ZTSEVSortEvents(list), 0);
    EXPECT_EQ(names(list), (std::vector<std::string>{"A", "a", "AB", "b", "C", "ZGROUP"}));
    EXPECT_EQ(list->first, upper);
    EXPECT_EQ(upper->next, lower);
    EXPECT_EQ(list->dummyCount, 4);
    /* A sorted list stays as it is. */
    ZTSEVSortEvents(list);
    EXPECT_EQ(names(list), (std::vector<std::string>{"A", "a", "AB", "b", "C", "ZGROUP"}));
    EXPECT_EQ(ZTSEVSortEvents(nullptr), 2);
}

TEST(EventLists, UnlinkAndRelinkKeepCounts)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    const int classes[] = {0, 1, 3, 4, 5, 6, 7};
    for (int cls : classes) add(list, ("C" + std::to_string(cls)).c_str(), cls);
    EXPECT_EQ(list->eventCount, 7);
    EXPECT_EQ(list->dummyCount, 5);
    for (size_t i = 0; i < std::size(classes); ++i) {
        ZTSEV_EVENT *e = list->first;
        ASSERT_EQ(ZTSEVDelItem(list, e, ZTSEV_DEL_KEEP), 0) << text(e->name);
        /* Unlinking twice must not count twice nor touch the chain. */
        EXPECT_EQ(ZTSEVDelItem(list, e, ZTSEV_DEL_KEEP), ZTSEV_NO_ITEM) << text(e->name);
        ASSERT_EQ(ZTSEVInsItem(list, e, nullptr), 0) << text(e->name);
        EXPECT_EQ(ZTSEVInsItem(list, e, nullptr), ZTSEV_NO_ITEM) << text(e->name);
        EXPECT_EQ(list->eventCount, 7) << text(e->name);
        EXPECT_EQ(list->dummyCount, 5) << text(e->name);
    }
    EXPECT_EQ(names(list), (std::vector<std::string>{"C0", "C1", "C3", "C4", "C5", "C6", "C7"}));
    /* Insertion before the first record makes a new first. */
    ZTSEV_EVENT *last = list->last;
    ZTSEVDelItem(list, last, ZTSEV_DEL_KEEP);
    ZTSEVInsItem(list, last, list->first);
    EXPECT_EQ(names(list).front(), "C7");

    size_t before = orvtest::moduleHost().memory().liveBlockCount();
    EXPECT_EQ(ZTSEVDelItem(list, list->first, ZTSEV_DEL_FREE), 0);
    EXPECT_EQ(orvtest::moduleHost().memory().liveBlockCount(), before - 1);
    ZTSEV_EVENT *orphan = list->first;
    orphan->pool = nullptr;
    EXPECT_EQ(ZTSEVDelItem(list, orphan, ZTSEV_DEL_FREE), ZTSEV_NO_OWNING_POOL);
    EXPECT_EQ(list->eventCount, 5);
    EXPECT_EQ(ZTSEVDelItem(list, nullptr, ZTSEV_DEL_FREE), ZTSEV_NO_ITEM);
    EXPECT_EQ(ZTSEVDelItem(nullptr, orphan, ZTSEV_DEL_FREE), ZTSEV_NO_LIST);
    EXPECT_EQ(ZTSEVDeleteEventP(nullptr), 0);
}

/* The date-key list is a list of kind 2 from its creation: its events merge
 * with OR and its user keys name its own events (code 19). */
TEST(EventLists, DateKeyListHasKindTwoFromCreation)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    ZTSEV_LIST *keys = list->datekeyList;
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(list->kind, 0);
    EXPECT_EQ(keys->kind, 2);
    EXPECT_EQ(keys->datekeyList, nullptr);
    EXPECT_EQ(keys->noteLimit, 25);
    EXPECT_EQ(keys->poolCount, 1);
    const double date = 21915;
    ZTSEVInitSimpleEvent(keys, nullptr, "PAYDAY", 1, &date, 8, nullptr);
    ORV_COUNTED_NAME payday = counted("payday");
    ZTSEVInitSimpleEvent(keys, nullptr, "BONUS", 0, nullptr, 8, &payday);
    int status = -1;
    const ZTSEV_EVENT *bonus = ZTSEVFindEvent(keys, "BONUS", &status);
    ASSERT_EQ(bonus->datekeyCount, 1);
    EXPECT_EQ(text(bonus->datekeyNames[0]), "PAYDAY");
    EXPECT_EQ(bonus->datekeyCodes[0], 19);
    ASSERT_EQ(ZTSEVCreateEvent(keys, "BONUS"), 0);
    EXPECT_EQ(bonus->effective.rule, ZTSEV_RULE_OR);
    /* From the event list the key resolves through the date-key list. */
    ZTSEVInitSimpleEvent(list, nullptr, "PROMO", 0, nullptr, 8, &payday);
    EXPECT_EQ(ZTSEVFindEvent(list, "PROMO", &status)->datekeyCodes[0], 19);
}

struct KeyCase {
    const char *id;
    ORV_COUNTED_NAME key;
    int64_t count;
    const char *name;
    int64_t code;
};

TEST(EventLists, SimpleEventsAndTheirKeys)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    ORV_COUNTED_NAME tooLong = counted("CHRISTMAS");
    tooLong.length = 400; /* a length beyond the field is cut to it */
    ORV_COUNTED_NAME negative = counted("CHRISTMAS");
    negative.length = -5;
    const std::vector<KeyCase> cases = {
        {"holiday", counted("christmas"), 1, "CHRISTMAS", 24},
        {"season", counted("january"), 1, "JANUARY", 1201},
        {"unknown", counted("NOKEY"), 1, "NOKEY", 0},
        {"dot", counted(".x"), 0, "", 0},
        {"blank", counted(" X"), 0, "", 0},
        {"too-long", tooLong, 1, "CHRISTMAS", 24},
        {"negative", negative, 0, "", 0},
    };
    for (const KeyCase &c : cases) {
        const double values[] = {10, 11};
        ASSERT_EQ(ZTSEVInitSimpleEvent(list, nullptr, c.id, 2, values, 8, &c.key), 0) << c.id;
        int status = -1;
        const ZTSEV_EVENT *e = ZTSEVFindEvent(list, c.id, &status);
        EXPECT_EQ(e->cls, 1) << c.id;
        ASSERT_EQ(e->timingCount, 2) << c.id;
        EXPECT_EQ(e->runCount, 1) << c.id;
        EXPECT_EQ(e->runLengths[0], 2) << c.id;
        EXPECT_EQ(e->timingKinds[1], 8 * 256) << c.id;
        ASSERT_EQ(e->datekeyCount, c.count) << c.id;
        if (c.count == 1) {
            EXPECT_EQ(text(e->datekeyNames[0]), c.name) << c.id;
            EXPECT_EQ(e->datekeyCodes[0], c.code) << c.id;
        }
    }
}

TEST(EventLists, DateKeysAndDatesAddedToEvents)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    ZTSEVInitSimpleEvent(list, nullptr, "E", 0, nullptr, 8, nullptr);
    ZTSEVInitSimpleEvent(list, nullptr, "E", 0, nullptr, 8, nullptr);
    ORV_COUNTED_NAME easter = counted("easter"), nokey = counted("NOKEY");
    EXPECT_EQ(ZTSEVAddDatekeyToEvent(list, "E", &nokey, 0), ZTSEV_UNKNOWN_DATEKEY);
    EXPECT_EQ(ZTSEVAddDatekeyToEvent(list, "F", &easter, 0), ZTSEV_NOT_FOUND);
    EXPECT_EQ(ZTSEVAddDatekeyToEvent(list, "E", &easter, 2), 0);
    EXPECT_EQ(ZTSEVAddDatekeyToEvent(list, "e", &easter, 2), 0);
    EXPECT_EQ(list->first->datekeyCount, 0);
    ASSERT_EQ(list->last->datekeyCount, 2);
    EXPECT_EQ(text(list->last->datekeyNames[1]), "EASTER");
    EXPECT_EQ(list->last->datekeyCodes[1], 20);

    const double a[] = {1, 2, 3}, b[] = {9};
    EXPECT_EQ(ZTSEVAddDatesToEvent(list, nullptr, "E", a, 3, 4, 0), 0);
    EXPECT_EQ(ZTSEVAddDatesToEvent(list, nullptr, "E", b, 1, 10, 0), 0);
    EXPECT_EQ(ZTSEVAddDatesToEvent(list, nullptr, "E", b, 0, 10, 0), 0);
    EXPECT_EQ(ZTSEVAddDatesToEvent(list, nullptr, "F", b, 1, 10, 0), ZTSEV_NOT_FOUND);
    const ZTSEV_EVENT *e = list->first;
    ASSERT_EQ(e->timingCount, 4);
    ASSERT_EQ(e->runCount, 2);
    EXPECT_EQ(e->runLengths[0], 3);
    EXPECT_EQ(e->runLengths[1], 1);
    EXPECT_EQ(e->timingValues[3], 9);
    EXPECT_EQ(e->timingKinds[2], 4 * 256);
    EXPECT_EQ(e->timingKinds[3], 10 * 256);
}

/* A copy owns its label text and member names: freeing the source leaves it
 * whole, and copying adds no events through the keyword registry. */
TEST(EventLists, CopiesOwnTheirLabelAndMembers)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    const double values[] = {100, 200};
    ORV_COUNTED_NAME key = counted("CHRISTMAS");
    ZTSEVInitSimpleEvent(list, nullptr, "SRC", 2, values, 8, &key);
    ZTSEV_EVENT *source = list->last;
    /* A data-set row's label lives in the record's own field. */
    std::memcpy(source->defaultLabel, "Row label", 9);
    source->given.labelGiven = 1;
    source->given.labelLength = 9;
    source->given.label = source->defaultLabel;
    source->given.localeGiven = 1;
    source->locale = counted("fr_FR");
    ZTSEVSetQualifier(list, "SRC", ZTSEV_QID_TYPE, 2);

    ZTSEV_EVENT *copy = add(list, "COPY", 0);
    ASSERT_EQ(ZTSEVCopyItem(list, source, copy), 0);
    ASSERT_EQ(ZTSEVDelItem(list, source, ZTSEV_DEL_FREE), 0);
    EXPECT_EQ(copy->cls, 1);
    EXPECT_EQ(copy->given.type, 2);
    EXPECT_EQ(std::string(copy->given.label, size_t(copy->given.labelLength)), "Row label");
    EXPECT_EQ(copy->given.label, copy->defaultLabel);
    EXPECT_EQ(text(copy->locale), "fr_FR");
    ASSERT_EQ(copy->timingCount, 2);
    EXPECT_EQ(copy->timingValues[1], 200);
    ASSERT_EQ(copy->datekeyCount, 1);
    EXPECT_EQ(copy->datekeyCodes[0], 24);
    EXPECT_EQ(text(copy->name), "COPY");
    ZTSEVCreateEvent(list, "COPY");
    EXPECT_EQ(std::string(copy->label, size_t(copy->labelLength)), "Row label");

    /* A predefined event keeps its key, a predefined group its word. */
    ORV_COUNTED_NAME weaster = counted("WEASTER"), seasonal = counted("SEASONAL");
    ZTSEVInitPredefEvent(list, nullptr, "WE", 0, &weaster);
    ZTSEV_EVENT *predef = list->last;
    ZTSEVInitCompEvent(list, nullptr, "SEAS", 0, &seasonal);
    ZTSEV_EVENT *group = list->last;
    group->cls = ZTSEV_CLASS_PREDEFCOMP;
    int countBefore = list->eventCount;
    for (ZTSEV_EVENT *from : {predef, group}) {
        ZTSEV_EVENT *to = add(list, "K", 0);
        ASSERT_EQ(ZTSEVCopyItem(list, from, to), 0);
        EXPECT_EQ(to->cls, from->cls);
        ASSERT_NE(to->members, nullptr);
        EXPECT_EQ(text(to->members->name), text(from->members->name));
        EXPECT_NE(to->members, from->members);
        EXPECT_EQ(to->members->next, nullptr);
    }
    EXPECT_EQ(list->eventCount, countBefore + 2);
    int status = -1;
    EXPECT_EQ(ZTSEVFindEvent(list, "WEASTER", &status), nullptr);
    EXPECT_EQ(ZTSEVCopyItem(nullptr, predef, group), ZTSEV_NO_LIST);
    EXPECT_EQ(ZTSEVCopyItem(list, nullptr, group), ZTSEV_NO_ITEM);
}

/* Running out of memory while a list is made ends the step with 1016 after
 * the list's message and the host's memory message. */
TEST(EventLists, OutOfMemoryEndsTheStep)
{
    orvtest::moduleHost();
    struct Case {
        const char *id;
        int64_t failAt;
        const char *message;
    };
    const std::vector<Case> cases = {
        {"event-list", 1, "The event list could not be created."},
        {"datekey-list", 2, "The date-key list could not be created."},
    };
    for (const Case &c : cases) {
        auto *pool = static_cast<MEMORY_OBJECT *>(xmpoolc(0, 1024, 6));
        orvtest::takeLog();
        orvtest::moduleHost().memory().failAllocation(c.failAt);
        int rc = 0;
        try {
            ZTSEVNewEventList(pool);
        } catch (const orvhost::StepExit &exit) {
            rc = exit.returnCode;
        }
        orvtest::moduleHost().memory().failAllocation(0);
        std::string log = orvtest::takeLog();
        EXPECT_EQ(rc, 1016) << c.id;
        size_t message = log.find(c.message), memory = log.find("Out of memory: 1 memory allocation(s) failed.");
        EXPECT_NE(message, std::string::npos) << c.id << "\n" << log;
        EXPECT_NE(memory, std::string::npos) << c.id << "\n" << log;
        EXPECT_LT(message, memory) << c.id;
    }
}

}  // namespace
