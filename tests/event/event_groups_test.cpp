/*
 * event_groups_test.cpp - predefined group words expanded into member
 * events, group words resolved for a series, and the name lists that hold
 * members (unique whole names, the add modes, removal, copies, and the
 * names a statement lists).
 */
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "event/event_groups.h"
#include "event/event_list.h"
#include "event/event_names.h"
#include "host/missing_values.h"
#include "interval/interval_names.h"
#include "tests/support/module_host.h"

namespace {

std::string text(const ORV_COUNTED_NAME &name) { return std::string(name.text, size_t(name.length)); }

std::vector<std::string> members(const ZTSEVEventNamelist *names)
{
    std::vector<std::string> out;
    for (; names != nullptr; names = names->next) out.push_back(text(names->name));
    return out;
}

/* A series block over the interval `interval` ("" none). */
ZTSEV_SERIES series(const char *interval)
{
    ZTSEV_SERIES s{};
    s.firstTimeId = orvMissing();
    if (*interval != '\0') {
        EXPECT_EQ(zintstr(interval, -1, &s.interval.interval), 0) << interval;
    }
    return s;
}

std::vector<std::string> numbered(const std::string &stem, int n)
{
    std::vector<std::string> out;
    for (int i = 1; i <= n; ++i) out.push_back(stem + "_" + std::to_string(i));
    return out;
}

const std::vector<std::string> kMonths = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
                                          "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
const std::vector<std::string> kDays = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                        "THURSDAY", "FRIDAY", "SATURDAY"};

struct GroupCase {
    const char *id;
    const char *word;
    const char *interval; /* "" : no series block */
    int status;
    std::vector<std::string> members;
    std::vector<std::pair<std::string, int64_t>> after; /* effective durations after */
    double firstTimeId = orvMissing();                  /* of the series block */
};

TEST(EventGroups, WordsExpandIntoMembers)
{
    orvtest::moduleHost();
    const std::vector<GroupCase> cases = {
        {"cubictrend", "cubictrend", "", 0, {"LINEAR", "QUAD", "CUBIC"}, {{"CUBIC", 0}}},
        {"quadtrend", "QUADTREND", "", 0, {"LINEAR", "QUAD"}, {}},
        {"months", "MONTHS", "", 0, kMonths, {{"DECEMBER", 1}}},
        {"days", "DAYS", "", 0, kDays, {}},
        {"qtrs", "QTRS", "", 0, numbered("QTR", 4), {}},
        {"dtdays", "DTDAYS", "", 0, numbered("DTDAY", 7), {}},
        {"r445mons", "R445MONS", "", 0, numbered("R445MON", 12), {}},
        {"weekvs", "WEEKVS", "", 0, numbered("WEEKV", 53), {}},
        {"seasonal", "SEASONAL", "", 34, {"SEASONAL"}, {}},
        {"seasonal-on-series", "SEASONAL", "MONTH", 34, {"SEASONAL"}, {}},
        {"weekdays-later", "WEEKDAYS", "", 34, {"WEEKDAYS"}, {}},
        {"weekdays-month",
         "WEEKDAYS",
         "MONTH",
         0,
         {"MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY"},
         {{"THURSDAY", 1}, {"FRIDAY", 3}}},
        {"weekdays-thu-fri-off",
         "WEEKDAYS",
         "WEEKDAY56W",
         0,
         {"SUNDAY", "MONDAY", "TUESDAY", "WEDNESDAY", "SATURDAY"},
         {{"WEDNESDAY", 3}, {"SATURDAY", 1}}},
        {"weekdays-sat-off", "WEEKDAYS", "WEEKDAY7W", 0, {"SUNDAY", "MONDAY", "TUESDAY", "WEDNESDAY",
                                                           "THURSDAY", "FRIDAY"}, {{"FRIDAY", 2}, {"SUNDAY", 1}}},
        /* Saturday and Sunday off: Friday's two days after reach across the
         * end of the week to Sunday. */
        {"weekdays-sat-sun-off", "WEEKDAYS", "WEEKDAY17W", 0, {"MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY",
                                                               "FRIDAY"}, {{"FRIDAY", 3}, {"MONDAY", 1}}},
        /* 7 January 2019 (day 21556) lies in ISO year 2019, of 52 weeks:
         * WEEKV still has 53 seasons. */
        {"weekvs-in-52-week-year", "WEEKVS", "DAY", 0, numbered("WEEKV", 53), {}, 21556},
        {"years-later", "YEARS", "", 34, {"YEARS"}, {}},
        {"years-on-series", "YEARS", "MONTH", 23, {}, {}},
        {"not-a-group", "HOLIDAYS", "", 32, {}, {}},
        {"no-s", "MONTH", "", 32, {}, {}},
        {"day-word", "DAYSX", "", 35, {}, {}},
    };
    for (const GroupCase &c : cases) {
        ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
        ZTSEVEventNamelist *names = nullptr;
        ZTSEV_SERIES s = series(c.interval);
        s.firstTimeId = c.firstTimeId;
        EXPECT_EQ(ZTSEVFindGroup(list, *c.interval ? &s : nullptr, c.word, &names), c.status) << c.id;
        EXPECT_EQ(members(names), c.members) << c.id;
        for (const auto &[member, after] : c.after) {
            int k = 0, status = -1;
            const ZTSEV_EVENT *event = ZTSEVFindEventDup(list, member.c_str(), &k, &status);
            ASSERT_NE(event, nullptr) << c.id << " " << member;
            EXPECT_EQ(event->effective.after, after) << c.id << " " << member;
        }
    }
    ZTSEVEventNamelist *names = nullptr;
    EXPECT_EQ(ZTSEVFindGroup(nullptr, nullptr, "MONTHS", &names), ZTSEV_NO_LIST);
}

TEST(EventGroups, MembersTakeTheSeriesShift)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    ZTSEVEventNamelist *names = nullptr;
    ZTSEV_SERIES s = series("QTR.2");
    ASSERT_EQ(ZTSEVFindGroup(list, &s, "QTRS", &names), 0);
    int status = -1;
    const ZTSEV_EVENT *q1 = ZTSEVFindEvent(list, "QTR_1", &status);
    ASSERT_NE(q1, nullptr);
    EXPECT_EQ(q1->given.pulse.code, ZINT_QTR);
    EXPECT_EQ(q1->given.pulse.shift, s.interval.interval.shift);
    EXPECT_NE(s.interval.interval.shift, 0);
    EXPECT_EQ(q1->effective.pulse.shift, s.interval.interval.shift);
}

struct PredefCase {
    const char *id;
    const char *word;
    const char *interval; /* "" : no series block */
    int status;
    const char *resolved;
};

TEST(EventGroups, WordsResolvedForASeries)
{
    orvtest::moduleHost();
    const std::vector<PredefCase> cases = {
        {"seasonal-month", "SEASONAL", "MONTH", 0, "MONTHS"},
        {"seasonal-dtmonth", "seasonal", "DTMONTH", 0, "DTMONTHS"},
        {"seasonal-qtr", "SEASONAL", "QTR", 0, "QTRS"},
        {"seasonal-hour", "SEASONAL", "HOUR", 0, "HOURS"},
        {"seasonal-year", "SEASONAL", "YEAR", 23, nullptr},
        {"weekdays", "WEEKDAYS", "MONTH", 0, "WEEKDAYS"},
        {"qtrs", "QTRS", "MONTH", 0, "QTRS"},
        {"not-interval", "HOLIDAYS", "MONTH", 32, nullptr},
        {"no-series", "SEASONAL", "", 12, nullptr},
    };
    for (const PredefCase &c : cases) {
        ZTSEV_SERIES s = series(c.interval);
        char out[33];
        std::memset(out, 'x', sizeof out);
        EXPECT_EQ(ZTSEVFindGroupPredef(c.word, out, *c.interval ? &s : nullptr), c.status) << c.id;
        if (c.resolved == nullptr) continue;
        EXPECT_STREQ(out, c.resolved) << c.id;
        size_t n = std::strlen(c.resolved);
        EXPECT_EQ(std::string(out + n + 1, 32 - n - 1), std::string(32 - n - 1, ' ')) << c.id;
    }
}

struct AddCase {
    const char *id;
    const char *name;
    int mode;
    int status;
};

TEST(EventNames, AddModesAndWholeNames)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    ZTSEVInitSimpleEvent(list, nullptr, "SALES", 0, nullptr, 8, nullptr);
    ZTSEVInitSimpleEvent(list, nullptr, "SALE", 0, nullptr, 8, nullptr);
    ZTSEVEventNamelist *names = nullptr;
    std::vector<AddCase> cases = {
        {"first", "SALES", 6, 0},
        {"prefix-is-another-name", "SALE", 6, 0},
        {"twice", "sales", 6, 4},
        {"unknown-6", "NOSUCH1", 6, 3},
        {"unknown-11", "NOSUCH2", 11, 3},
        {"unknown-14", "NOSUCH3", 14, 0},
        {"unknown-20", "NOSUCH4", 20, 0},
        {"unknown-25", "NOSUCH5", 25, 0},
        {"unknown-other", "NOSUCH6", 7, 3},
        {"keyword-made", "christmas", 6, 0},
        {"seasonal-no-record", "SEASONAL", 6, 0},
        {"weaster-as-key", "WEASTER", 11, 0},
    };
    /* A long list: its names are found again far from where they were
     * added, in any case and with trailing blanks. */
    std::vector<std::string> many;
    for (int i = 1; i <= 300; ++i) many.push_back("M" + std::to_string(i));
    for (const std::string &m : many) cases.push_back({"many", m.c_str(), 14, 0});
    const std::vector<AddCase> repeats = {
        {"first-of-many-again", "M1", 14, 4},
        {"repeat-other-case", "m150", 14, 4},
        {"repeat-trailing-blanks", "M299  ", 14, 4},
        {"early-name-after-many", "Sale", 6, 4},
        {"new-after-many", "M301", 14, 0},
        {"longer-than-listed", "M3000", 14, 0},
    };
    cases.insert(cases.end(), repeats.begin(), repeats.end());
    for (const AddCase &c : cases) EXPECT_EQ(ZTSEVAddEventName(list, &names, c.name, c.mode), c.status) << c.id;
    std::vector<std::string> listed = {"SALES", "SALE", "NOSUCH3", "NOSUCH4", "NOSUCH5", "christmas", "SEASONAL",
                                       "WEASTER"};
    listed.insert(listed.end(), many.begin(), many.end());
    listed.insert(listed.end(), {"M301", "M3000"});
    EXPECT_EQ(members(names), listed);
    int status = -1;
    EXPECT_NE(ZTSEVFindEvent(list, "CHRISTMAS", &status), nullptr);
    EXPECT_EQ(ZTSEVFindEvent(list, "WEASTER", &status), nullptr);
    EXPECT_EQ(ZTSEVAddEventName(nullptr, &names, "SALE", 6), ZTSEV_NO_LIST);

    /* Removal compares whole names too. */
    EXPECT_EQ(ZTSEVDelEventName(&names, "NOSUCH"), 3);
    EXPECT_EQ(ZTSEVDelEventName(&names, "sale"), 0);
    EXPECT_EQ(members(names).size(), listed.size() - 1);
    EXPECT_EQ(members(names)[1], "NOSUCH3");
    /* A removed name may be added again, at the end; the others stay. */
    EXPECT_EQ(ZTSEVAddEventName(list, &names, "SALE", 6), 0);
    EXPECT_EQ(ZTSEVAddEventName(list, &names, "M200", 14), 4);
    EXPECT_EQ(members(names).back(), "SALE");
    EXPECT_EQ(ZTSEVDelEventName(&names, "SALES"), 0);
    EXPECT_EQ(ZTSEVAddEventName(list, &names, "m2", 14), 4);
    EXPECT_EQ(ZTSEVAddEventName(list, &names, "sales", 6), 0);
    EXPECT_EQ(members(names).front(), "NOSUCH3");
    EXPECT_EQ(ZTSEVDestroyEventNamelist(&names), 0);
    EXPECT_EQ(names, nullptr);
    EXPECT_EQ(ZTSEVDelEventName(&names, "SALE"), 5);
}

TEST(EventNames, QualifiedNamesAndCopies)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    ZTSEVInitSimpleEvent(list, nullptr, "A", 0, nullptr, 8, nullptr);
    ZTSEVInitSimpleEvent(list, nullptr, "B", 0, nullptr, 8, nullptr);
    ZTSEVEventNamelist *names = nullptr;
    EXPECT_EQ(ZTSEVAddEventNameR(list, &names, "A", 1, 6), 0);
    EXPECT_EQ(ZTSEVAddEventNameR(list, &names, "A", 0, 6), 4);
    EXPECT_EQ(names->required, 0);
    EXPECT_EQ(ZTSEVAddEventNameR(list, &names, "NOSUCH", 1, 25), 3);
    EXPECT_EQ(ZTSEVAddEventNameQ(list, &names, "B", 1, 1, 0, 2.5, 3.5, 7, 6), 0);
    EXPECT_EQ(ZTSEVAddEventNameQ(list, &names, "b", 0, 0, 0, 4.5, 5.5, 9, 6), 4);
    const ZTSEVEventNamelist *b = names->next;
    EXPECT_EQ(b->required, 0);
    EXPECT_EQ(b->firstValue, 4.5);
    EXPECT_EQ(b->secondValue, 5.5);
    EXPECT_EQ(b->code, 7);

    ZTSEVEventNamelist *copy = nullptr;
    ZTSEVAddEventName(list, &copy, "B", 6);
    EXPECT_EQ(ZTSEVCopyEventNames(list, &names, &copy), 0);
    EXPECT_EQ(members(copy), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(copy->next->firstValue, 4.5);
    EXPECT_EQ(copy->next->code, 7);
    EXPECT_NE(copy, names);
    EXPECT_EQ(ZTSEVCopyEventNames(list, &names, &names), 0);
    EXPECT_EQ(members(names), (std::vector<std::string>{"A", "B"}));
}

/* A name-list block of the statement parser holding `names`. */
std::vector<uint8_t> nameBlock(const std::vector<std::string> &names)
{
    std::vector<uint8_t> bytes(sizeof(NAME_LIST_BLOCK));
    for (const std::string &n : names) {
        bytes.push_back(uint8_t(n.size()));
        bytes.insert(bytes.end(), n.begin(), n.end());
    }
    bytes.resize(bytes.size() + 8, 0);
    auto *block = reinterpret_cast<NAME_LIST_BLOCK *>(bytes.data());
    block->next = nullptr;
    block->lastIndex = int64_t(names.size()) - 1;
    return bytes;
}

TEST(EventNames, NamesAStatementLists)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    ZTSEVInitSimpleEvent(list, nullptr, "A", 0, nullptr, 8, nullptr);
    ZTSEVInitCombEvent(list, nullptr, "COMB", 0, nullptr);
    ZTSEVInitCompEvent(list, nullptr, "GROUP", 0, nullptr);
    ZTSEVInitPredefEvent(list, nullptr, "P", 0, nullptr);

    std::vector<uint8_t> block = nameBlock({"A", "NOSUCH", "a", "THIS NAME IS LONGER THAN THIRTY-TWO"});
    OPTION_SLOT slots[7] = {};
    slots[ZTSEV_STMT_NAMES_SLOT].value.count = 4;
    slots[ZTSEV_STMT_NAMES_SLOT].items = block.data();
    slots[ZTSEV_STMT_REQUIRED_SLOT].given = 1;
    double values1[] = {10, 20, 30, 40}, codes[] = {5, 6, 7, 8};
    slots[ZTSEV_STMT_VALUES1_SLOT].value.count = 4;
    slots[ZTSEV_STMT_VALUES1_SLOT].items = values1;
    slots[ZTSEV_STMT_CODES_SLOT].value.count = 1;
    slots[ZTSEV_STMT_CODES_SLOT].items = codes;
    STATEMENT_NODE statement{};
    statement.options = slots;
    statement.slotCount = 7;

    orvtest::takeLog();
    ZTSEVEventNamelist *names = nullptr;
    EXPECT_EQ(ZTSEVGetEventQ(&statement, list, &names), 0);
    std::string log = orvtest::takeLog();
    EXPECT_NE(log.find("The event NOSUCH is not defined; it is left out."), std::string::npos) << log;
    EXPECT_NE(log.find("The event a is listed more than once; the repeat is ignored."), std::string::npos) << log;
    EXPECT_EQ(members(names), (std::vector<std::string>{"A"}));
    EXPECT_EQ(names->required, 1);
    EXPECT_EQ(names->secondFlag, 0);
    EXPECT_EQ(names->firstValue, 30); /* the repeat updates the values */
    EXPECT_EQ(names->code, 5);

    /* Without the value lists the first value is missing. */
    ZTSEVEventNamelist *plain = nullptr;
    EXPECT_EQ(ZTSEVGetEvent(&statement, list, &plain), 0);
    EXPECT_TRUE(orvIsMissing(plain->firstValue));
    EXPECT_EQ(plain->code, 0);

    /* ALL lists every event with a dummy column except combinations. */
    statement.optionBits[0] = ZTSEV_STMT_ALL_BIT;
    ZTSEVEventNamelist *all = nullptr;
    EXPECT_EQ(ZTSEVGetEventQ(&statement, list, &all), 0);
    EXPECT_EQ(members(all), (std::vector<std::string>{"A", "P"}));
    EXPECT_EQ(all->next->firstValue, 10);
    EXPECT_EQ(ZTSEVGetEvent(&statement, nullptr, &all), ZTSEV_NO_LIST);
}

}  // namespace
