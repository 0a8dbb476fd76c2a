/*
 * outlier_names_test.cpp - outlier names composed for a series index or a
 * date, and read back by the registry: every name a builder writes must be
 * recognised as the outlier it was built for, at the same date.
 *
 * Values from Python's datetime (day 0 and second 0 = 1 January 1960):
 *   (date(2020, 1, 1) - date(1960, 1, 1)).days                          21915
 *   (datetime(2020, 1, 1, 12, 30, 45) - datetime(1960, 1, 1)).total_seconds()
 *                                                                   1893501045
 */
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "event/event_list.h"
#include "event/event_registry.h"
#include "event/outlier_names.h"
#include "interval/interval_names.h"
#include "tests/support/module_host.h"

namespace {

constexpr double kJan1st2020 = 21915;
constexpr double kJan1st2020At123045 = 1893501045;

/* The text of a 32-character name field: up to its NUL, else all 32. */
std::string nameText(const char *field) { return std::string(field, strnlen(field, ZTSEV_NAME_SIZE)); }

struct CreateCase {
    const char *id;
    int type;
    int64_t index;
    int unit;
    const char *interval; /* "" = none */
    double start;
    int64_t duration;     /* -99 = none */
    int extra;
    int status;
    const char *name;
    double readBack;      /* the date zoutlnchk reads from the name */
};

TEST(OutlierNames, CreatedForASeriesIndexAndReadBack)
{
    orvtest::moduleHost();
    const std::vector<CreateCase> cases = {
        {"observation", 1, 25, 4, "", 0, -99, 0, 0, "AO25OBS", 25},
        {"month, unit chosen", 1, 3, 0, "MONTH", kJan1st2020, -99, 0, 0, "AO01MAR2020D", kJan1st2020 + 31 + 29},
        {"hour, unit chosen", 2, 1, 0, "HOUR", kJan1st2020At123045, -99, 0, 0, "LS01JAN2020h12m00s00DT",
         kJan1st2020 * 86400 + 12 * 3600},
        {"hour written as a date", 2, 2, 8, "HOUR", kJan1st2020At123045, -99, 0, 0, "LS01JAN2020D", kJan1st2020},
        {"day written as a datetime", 1, 2, 10, "DAY", kJan1st2020, -99, 0, 0, "AO02JAN2020h00m00s00DT",
         (kJan1st2020 + 1) * 86400},
        {"date unit on OBS", 1, 5, 8, "OBS", 0, -99, 0, 0, "AO5OBS", 5},
        {"date unit without interval", 1, 5, 10, "", 0, -99, 0, 0, "AO5OBS", 5},
        {"TLS with duration", 11, 3, 4, "", 0, 4, 1, 0, "TLS3OBS4", 3},
        {"TLS on a month", 11, 1, 0, "MONTH", kJan1st2020, 12, 0, 0, "TLS01JAN2020D12", kJan1st2020},
        {"duration on AO", 1, 1, 4, "", 0, 4, 0, 21, "", 0},
        {"negative duration", 11, 1, 4, "", 0, -1, 0, 21, "", 0},
        {"extra without duration", 11, 1, 4, "", 0, -99, 1, 21, "", 0},
        {"unknown type", 3, 1, 4, "", 0, -99, 0, 21, "", 0},
        {"unknown unit", 1, 1, 7, "", 0, -99, 0, 21, "", 0},
        {"too long", 11, 100000000000000000, 4, "", 0, 123456789012, 0, 15, "", 0},
        {"no time ID", 1, 1, 0, "MONTH", 1e12, -99, 0, 15, "", 0},
    };
    for (const CreateCase &c : cases) {
        ZINT_DESC interval{};
        if (*c.interval != '\0') {
            ASSERT_EQ(zintstr(c.interval, -1, &interval), 0) << c.id;
        }
        char name[ZTSEV_NAME_SIZE];
        std::memset(name, '#', sizeof name);
        const int64_t duration = c.duration;
        const int status = ZTSEVCreateOutlierName(c.type, c.index, c.unit, *c.interval != '\0' ? &interval : nullptr,
                                                  c.start, c.duration == -99 ? nullptr : &duration, c.extra, name);
        EXPECT_EQ(status, c.status) << c.id;
        if (status != 0) continue;
        const std::string text = nameText(name);
        EXPECT_EQ(text, c.name) << c.id;
        double date = 0;
        int kind = 0, readStatus = -1;
        int64_t readDuration = -1;
        const int64_t code = zoutlnchk(text.data(), int(text.size()), 0, &date, &kind, &readDuration, &readStatus);
        EXPECT_EQ(code, c.type == 1 ? 101 : c.type == 2 ? 102 : 111) << c.id;
        EXPECT_EQ(date, c.readBack) << c.id;
        if (c.duration != -99) {
            EXPECT_EQ(readDuration, c.duration) << c.id;
        }
    }
}

TEST(OutlierNames, ThirtyTwoCharacterNameHasNoTerminator)
{
    orvtest::moduleHost();
    char name[ZTSEV_NAME_SIZE + 1];
    std::memset(name, '#', sizeof name);
    /* TLS + 19 digits + OBS + 7 digits = 32 characters; one digit more is
     * too long. */
    const int64_t index = 1000000000000000000;
    const int64_t eightDigits = 12345678, sevenDigits = 1234567;
    ASSERT_EQ(ZTSEVCreateOutlierName(11, index, 4, nullptr, 0, &eightDigits, 0, name), 15);
    ASSERT_EQ(ZTSEVCreateOutlierName(11, index, 4, nullptr, 0, &sevenDigits, 0, name), 0);
    EXPECT_EQ(std::string(name, sizeof name), "TLS1000000000000000000OBS1234567#");
}

struct AddCase {
    int type;
    int kind;
    double date;
    int status;
    const char *name;
};

TEST(OutlierNames, AddedNamesCreateTheirOutlierEvents)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    ASSERT_NE(list, nullptr);
    ZTSEVEventNamelist *names = nullptr;
    const std::vector<AddCase> cases = {
        {1, 8, kJan1st2020, 0, "AO01JAN2020D"},
        {2, 10, kJan1st2020At123045, 0, "LS01JAN2020h12m30s45DT"},
        {1, 4, 25, 0, "AO25OBS"},
        {1, 4, 25, 4, "AO25OBS"},  /* listed already */
        {11, 8, kJan1st2020, 21, ""},
        {1, 9, kJan1st2020, 21, ""},
    };
    for (const AddCase &c : cases) {
        char field[ZTSEV_OUTLIER_FIELD_SIZE] = {};
        EXPECT_EQ(ZTSEVAddOutlier(c.type, c.kind, field, list, &names, c.date), c.status) << c.name;
        if (*c.name == '\0') continue;
        EXPECT_STREQ(field, c.name);
        int status = -1;
        ZTSEV_EVENT *event = ZTSEVFindEvent(list, field, &status);
        ASSERT_NE(event, nullptr) << c.name;
        ASSERT_EQ(event->timingCount, 1) << c.name;
        EXPECT_EQ(event->timingValues[0], c.date) << c.name;
        EXPECT_EQ(event->timingKinds[0], c.kind * 256) << c.name;
        EXPECT_EQ(event->effective.type, c.type == 1 ? 1 : 2) << c.name;
    }
    std::vector<std::string> listed;
    for (const ZTSEVEventNamelist *node = names; node != nullptr; node = node->next)
        listed.emplace_back(node->name.text, size_t(node->name.length));
    EXPECT_EQ(listed, (std::vector<std::string>{"AO01JAN2020D", "LS01JAN2020h12m30s45DT", "AO25OBS"}));
}

}  // namespace
