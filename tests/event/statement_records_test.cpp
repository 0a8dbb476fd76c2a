/*
 * statement_records_test.cpp - the timing-value callback driven directly
 * (its parse statuses on faults), and the output records of EVENTDATA and
 * EVENTDUMMY against the host's data-set store (labels kept or given).
 */
#include <cstring>

#include "event/event_datasets.h"
#include "event/statement_options.h"
#include "host/services.h"
#include "platform/dataset/data_set_store.h"
#include "tests/event/statement_fixture.h"

namespace {

/* Calls the callback with a token of kind and a group action over slots
 * 0 (kinds) and 1 (runs); listCount values parsed so far. */
void callTiming(PARSE_CONTROL &control, OPTION_SLOT *slots, int sub, int kind, int64_t listCount)
{
    static const int16_t starts[] = {ORV_TIMING_GROUP_START, 0, 1, 2};
    static const int16_t ends[] = {ORV_TIMING_GROUP_END, 0, 1, 2};
    PARSE_TOKEN token{};
    token.kind = kind;
    PARSE_ACTION action{};
    action.code = ORV_ACTION_TIMING;
    action.argumentCount = 4;
    action.arguments = sub == ORV_TIMING_GROUP_START ? starts : ends;
    action.options = slots;
    action.listCount = listCount;
    EXPECT_EQ(ZTSEVCustom(&control, &token, &action), 0);
}

class TimingCallback : public orvtest::EventStatementTest {};

TEST_F(TimingCallback, StatusesOfFaultyGroups)
{
    struct Case {
        const char *id;
        int startKind;      /* 0: no group start */
        int16_t before;     /* parse status before the calls */
        int failAllocation; /* allocation attempt that fails, 0 none */
        int16_t status;     /* parse status after */
        int32_t runs;       /* run-list entries after */
    };
    const Case cases[] = {
        {"a date group", ORV_TOKEN_DATE, 0, 0, 0, 1},
        {"a number that is no timing value", ORV_TOKEN_NBR, 0, 0, ZTSEV_PARSE_BAD_TIMING, 0},
        {"a group end without its start", 0, 0, 0, ZTSEV_PARSE_BAD_TIMING, 0},
        {"a parse that failed already is left alone", ORV_TOKEN_DATE, 1000, 0, 1000, 0},
        {"the host runs out of memory", ORV_TOKEN_DATE, 0, 1, ZTSEV_PARSE_NO_MEMORY, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        PARSE_CONTROL control{};
        control.status = c.before;
        OPTION_SLOT slots[3] = {};
        orvtest::moduleHost().memory().failAllocation(c.failAllocation);
        if (c.startKind != 0) callTiming(control, slots, ORV_TIMING_GROUP_START, c.startKind, 4);
        callTiming(control, slots, ORV_TIMING_GROUP_END, 0, 7);
        orvtest::moduleHost().memory().failAllocation(0);
        orvtest::moduleHost().memory().takeFailureCount();
        EXPECT_EQ(control.status, c.status);
        EXPECT_EQ(slots[1].value.count, c.runs);
        if (c.status == 0) {
            /* three values of kind date (8 x 256) in one run */
            const auto *kinds = static_cast<const double *>(slots[0].items);
            ASSERT_EQ(slots[0].value.count, 3);
            EXPECT_EQ(kinds[0], 2048);
            EXPECT_EQ(kinds[2], 2048);
            EXPECT_EQ(static_cast<const double *>(slots[1].items)[0], 3);
        }
    }
}

class OutputRecords : public orvtest::EventStatementTest {};

TEST_F(OutputRecords, ALabelOfTheDataSetIsKeptOtherwiseTheDefaultIsSet)
{
    orvtest::moduleHost();
    std::string error;
    DATA_SET_HANDLE *labelled = orvhost::openDataSet("T", "LABELLED", orvhost::DataSetMode::Output, error);
    DATA_SET_HANDLE *bare = orvhost::openDataSet("T", "BARE", orvhost::DataSetMode::Output, error);
    ASSERT_NE(labelled, nullptr) << error;
    ASSERT_NE(bare, nullptr) << error;
    ORV_COUNTED_LABEL label{};
    std::memcpy(label.text, "Kept", 4);
    label.length = 4;
    ASSERT_EQ(xoinfo(labelled, ORV_DS_INFO_SET_LABEL, &label), 0);

    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    OPTION_SLOT options[ZTSEV_STATEMENT_SLOTS] = {};
    options[2].given = ORV_SLOT_VALUE;
    options[2].type = ORV_SLOT_DATA_SET;
    options[2].value.pointer = labelled;
    EXPECT_EQ(ZTSEVGetOutputDsn(list, options, 0x10, 1, nullptr), 4);
    options[2].value.pointer = bare;
    EXPECT_EQ(ZTSEVGetOutputDsn(list, options, 0, 1, nullptr), 0);

    ASSERT_NE(list->outputs, nullptr);
    EXPECT_EQ(std::string(list->outputs->info.label.text, 4), "Kept");
    EXPECT_EQ(list->outputs->dropDefaults, 1);
    ASSERT_NE(list->outputs->next, nullptr);
    EXPECT_EQ(list->outputs->next->dropDefaults, 0);
    ORV_COUNTED_LABEL read{};
    ASSERT_EQ(xoinfo(bare, ORV_DS_INFO_LABEL, &read), 0);
    EXPECT_EQ(std::string(read.text, size_t(read.length)), "Event definitions");
    ASSERT_EQ(xoinfo(labelled, ORV_DS_INFO_LABEL, &read), 0);
    EXPECT_EQ(std::string(read.text, size_t(read.length)), "Kept");
}

}  // namespace
