/*
 * event_data_write_test.cpp - the rows and columns of the event definition
 * data set as the writer builds them, for events made through the event
 * list's own operations: runs compressed only where they read back
 * exactly, date keys and runs, combinations, ALL durations, columns left
 * out with drop-defaults, and one data set written through the host.
 *
 * Dates: 1 January 2020 (a Wednesday) is day 21915.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "event/event_data_rows.h"
#include "event/event_data_write.h"
#include "event/event_list.h"
#include "event/event_names.h"
#include "event/event_qualifiers.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "interval/intck.h"
#include "interval/interval_names.h"
#include "interval/intnx.h"
#include "tests/series/read_road.h"
#include "tests/support/module_host.h"

namespace {

constexpr double kJan1 = 21915;

std::string text(const ORV_COUNTED_NAME &field) { return std::string(field.text, size_t(field.length)); }

/* Rows handed to the writer, as copies of the output row buffer. */
struct Capture {
    ZTSEV_LIST *list;
    std::vector<ZTSEV_ROWBUF> rows;
};

int capture(void *context)
{
    auto *c = static_cast<Capture *>(context);
    c->rows.push_back(c->list->outRow);
    return 0;
}

/* What a test does inside a step, so that the list's pools and every
 * xexit are the step's. */
void (*body)() = nullptr;
void runBody() { body(); xexit(0, 0); }
int inStep(void (*f)())
{
    body = f;
    return orvtest::moduleHost().runStep(runBody);
}

ZTSEV_LIST *newList()
{
    auto *pool = static_cast<MEMORY_OBJECT *>(xmpoolc(0, 1024, 6));
    return ZTSEVNewEventList(pool);
}

void resolveAll(ZTSEV_LIST *list)
{
    for (ZTSEV_EVENT *e = list->first; e != nullptr; e = e->next) ztsevResolveQualifiers(list, e);
}

/* The values a row reads back as: the reader's grid from start to end by
 * the interval named in the row. */
std::vector<double> readBack(const ZTSEV_ROWBUF &row)
{
    if (orvIsMissing(row.endDate)) return {row.startDate};
    ZINT_DESC interval{};
    EXPECT_EQ(zintstr(row.dateInterval.text, row.dateInterval.length, &interval), 0);
    std::vector<double> values;
    const double count = zintck2(&interval, row.startDate, row.endDate) + 1;
    for (int i = 0; i < count; ++i) values.push_back(zintnx4(&interval, 'S', row.startDate, i));
    return values;
}

TEST(EventDataRows, RunsAreWrittenOnlyAsTheyReadBack)
{
    struct Case {
        const char *id;
        std::vector<double> days; /* after 1 January 2020 */
        std::vector<std::string> rows; /* start-end/interval, or start alone */
    };
    const Case cases[] = {
        {"1, 8, 15 January: one weekly row", {0, 7, 14}, {"21915-21929/WEEK1.4"}},
        {"1, 8, 22, 23 January: two exact sub-runs", {0, 7, 21, 22}, {"21915-21922/WEEK1.4", "21936-21937/DAY"}},
        {"two values a month apart", {0, 31}, {"21915-21946/MONTH"}},
        {"one value", {5}, {"21920"}},
        {"1, 2, 4 January: a run and a single value", {0, 1, 3}, {"21915-21916/DAY", "21918"}},
        {"not ascending: single values", {7, 0}, {"21922", "21915"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<double> values;
        for (double d : c.days) values.push_back(kJan1 + d);
        std::vector<std::string> got;
        for (const ZTSEV_RUN_ROW &row : ztsevRunRows(values.data(), int64_t(values.size()), ZTSEV_KIND_DATE)) {
            std::string s = std::to_string(long(values[size_t(row.first)]));
            if (row.count > 1)
                s += "-" + std::to_string(long(values[size_t(row.first + row.count - 1)])) + "/" + text(row.interval);
            got.push_back(s);
        }
        EXPECT_EQ(got, c.rows);
    }
}

TEST(EventDataRows, ObservationRunsCarryTheirStep)
{
    const double values[] = {3, 5, 7, 9};
    const auto rows = ztsevRunRows(values, 4, ZTSEV_KIND_OBS);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].count, 4);
    EXPECT_EQ(rows[0].multiplier, 2);
}

Capture *captured = nullptr;

TEST(EventDataRows, RowsOfEachClass)
{
    static Capture c;
    captured = &c;
    EXPECT_EQ(inStep([] {
                  ZTSEV_LIST *list = newList();
                  captured->list = list;
                  /* Two date keys and one run of 1, 8 and 15 January. */
                  ORV_COUNTED_NAME christmas{9, "CHRISTMAS"};
                  ORV_COUNTED_NAME easter{6, "EASTER"};
                  const double run[] = {kJan1, kJan1 + 7, kJan1 + 14};
                  ZTSEVInitSimpleEvent(list, nullptr, "holidays", 0, nullptr, 0, &christmas);
                  EXPECT_EQ(ZTSEVAddDatekeyToEvent(list, "holidays", &easter, 2), 0);
                  ZTSEVAddDatesToEvent(list, nullptr, "holidays", run, 3, ZTSEV_KIND_DATE, 2);
                  /* A level shift lasting for ever after one date. */
                  ZTSEVInitSimpleEvent(list, nullptr, "shift", 1, run, ZTSEV_KIND_DATE, nullptr);
                  ZTSEVSetQualifier(list, "shift", ZTSEV_QID_TYPE, ZTSEV_TYPE_LS);
                  ZTSEVSetQualifier(list, "shift", ZTSEV_QID_AFTER, -1);
                  /* A combination of the two, and one with no members. */
                  ORV_COUNTED_NAME holidays{8, "holidays"};
                  ORV_COUNTED_NAME shift{5, "shift"};
                  ZTSEVInitCombEvent(list, nullptr, "both", 0, &holidays);
                  ZTSEVAddEventName(list, &list->last->members, "shift", 25);
                  ZTSEVInitCombEvent(list, nullptr, "empty", 0, nullptr);
                  (void)shift;
                  resolveAll(list);
                  orvtest::takeLog();
                  const ZTSEV_DSREC record{};
                  ztsevPutEventRows(list, &record, capture, captured);
              }),
              0);
    const std::string log = orvtest::takeLog();
    EXPECT_EQ(log, "NOTE: The event empty has no members and is not written to the event definition data set.\n");
    ASSERT_EQ(c.rows.size(), 6u);
    /* holidays: two key rows with dates missing, then the run. */
    for (int i : {0, 1}) {
        EXPECT_EQ(text(c.rows[size_t(i)].name), "holidays");
        EXPECT_EQ(text(c.rows[size_t(i)].cls), "SIMPLE");
        EXPECT_TRUE(orvIsMissing(c.rows[size_t(i)].startDate));
    }
    EXPECT_EQ(text(c.rows[0].keyName), "CHRISTMAS");
    EXPECT_EQ(text(c.rows[1].keyName), "EASTER");
    EXPECT_EQ(text(c.rows[2].keyName), ".");
    EXPECT_EQ(readBack(c.rows[2]), (std::vector<double>{kJan1, kJan1 + 7, kJan1 + 14}));
    EXPECT_EQ(text(c.rows[2].type), "POINT");
    EXPECT_EQ(text(c.rows[2].rule), "ADD");
    /* shift: ALL after is the host's missing value for ALL. */
    EXPECT_EQ(text(c.rows[3].type), "LS");
    EXPECT_EQ(std::bit_cast<uint64_t>(c.rows[3].durationAfter), ORV_ALL_MISSING_BITS);
    EXPECT_EQ(c.rows[3].startDate, kJan1);
    EXPECT_TRUE(orvIsMissing(c.rows[3].endDate));
    /* both: one row per member, qualifiers missing. */
    for (int i : {4, 5}) {
        EXPECT_EQ(text(c.rows[size_t(i)].cls), "COMB");
        EXPECT_EQ(text(c.rows[size_t(i)].rule), "ADD");
        EXPECT_EQ(text(c.rows[size_t(i)].type), ".");
        EXPECT_TRUE(orvIsMissing(c.rows[size_t(i)].value));
    }
    EXPECT_EQ(text(c.rows[4].keyName), "holidays");
    EXPECT_EQ(text(c.rows[5].keyName), "shift");
}

TEST(EventDataRows, DropDefaultsKeepsWhatEventsNeed)
{
    struct Case {
        const char *id;
        void (*make)(ZTSEV_LIST *list);
        std::vector<int> kept;
    };
    static const Case cases[] = {
        {"one date, all defaults",
         [](ZTSEV_LIST *list) { ZTSEVInitSimpleEvent(list, nullptr, "d", 1, &kJan1, ZTSEV_KIND_DATE, nullptr); },
         {ZTSEV_COL_NAME, ZTSEV_COL_STARTDATE}},
        {"a run and a type",
         [](ZTSEV_LIST *list) {
             const double run[] = {kJan1, kJan1 + 1};
             ZTSEVInitSimpleEvent(list, nullptr, "r", 2, run, ZTSEV_KIND_DATE, nullptr);
             ZTSEVSetQualifier(list, "r", ZTSEV_QID_TYPE, ZTSEV_TYPE_RAMP);
         },
         /* A ramp's default duration after is not 0. */
         {ZTSEV_COL_NAME, ZTSEV_COL_STARTDATE, ZTSEV_COL_ENDDATE, ZTSEV_COL_DATEINTRVL, ZTSEV_COL_TYPE,
          ZTSEV_COL_DUR_AFTER}},
        {"a predefined event keeps its key",
         [](ZTSEV_LIST *list) {
             ORV_COUNTED_NAME key{9, "CHRISTMAS"};
             ZTSEVInitPredefEvent(list, nullptr, "xmas", 0, &key);
         },
         /* The holiday's pulse of one day comes from the registry. */
         {ZTSEV_COL_NAME, ZTSEV_COL_CLASS, ZTSEV_COL_KEYNAME, ZTSEV_COL_PULSE}},
    };
    static const Case *current = nullptr;
    static std::vector<int> kept;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        current = &c;
        kept.clear();
        EXPECT_EQ(inStep([] {
                      ZTSEV_LIST *list = newList();
                      current->make(list);
                      resolveAll(list);
                      uint8_t drop[ZTSEV_COLUMN_COUNT];
                      ZTSEV_DSREC record{};
                      record.dropDefaults = 1;
                      ZTSEVCheckMissDataOut(list, &record, drop);
                      for (int col = 0; col < ZTSEV_COLUMN_COUNT; ++col)
                          if (drop[col] == 0) kept.push_back(col);
                  }),
                  0);
        EXPECT_EQ(kept, c.kept);
    }
}

TEST(EventDataWrite, ADataSetThroughTheHost)
{
    static orvtest::SeriesLibrary library;
    EXPECT_EQ(inStep([] {
                  ZTSEV_LIST *list = newList();
                  const double run[] = {kJan1, kJan1 + 7, kJan1 + 14};
                  ZTSEVInitSimpleEvent(list, nullptr, "weekly", 3, run, ZTSEV_KIND_DATE, nullptr);
                  resolveAll(list);
                  DATA_SET_OPEN_REQUEST request;
                  std::memset(&request, 0, sizeof request);
                  std::memset(request.libref, ' ', sizeof request.libref);
                  request.libref[0] = 'T';
                  std::memset(request.member, ' ', sizeof request.member);
                  std::memcpy(request.member, "EVDEF", 5);
                  request.memberLength = 5;
                  request.mode = ORV_DS_OPEN_OUTPUT;
                  void *handle = nullptr;
                  ASSERT_EQ(xoopen(&request, &handle), 0);
                  ZTSEV_DSREC record{};
                  record.info.handle = static_cast<DATA_SET_HANDLE *>(handle);
                  record.info.label = {6, "Events"};
                  record.dropDefaults = 1;
                  list->outputs = &record;
                  ZTSEVdsout(list);
                  ASSERT_NE(record.rowBinding, nullptr);
                  ZTSEVPutEVData(list, &record);
                  EXPECT_EQ(xoclose(handle), 0);
              }),
              0);
    /* Drop-defaults keeps the name and the three date columns. */
    EXPECT_EQ(library.read("evdef.csv"), "_NAME_,_STARTDATE_,_ENDDATE_,_DATEINTRVL_\n"
                                         "weekly,2020-01-01,2020-01-15,WEEK1.4\n");
    EXPECT_NE(library.read("evdef.meta.json").find("Date of First Occurrence"), std::string::npos)
        << library.read("evdef.meta.json");
}

}  // namespace
