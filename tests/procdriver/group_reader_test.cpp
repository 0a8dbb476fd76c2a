/*
 * group_reader_test.cpp - the input set-up and the BY-group reader of the
 * procedure driver, run in process over small data sets whose periods are
 * worked out by hand: START = END with LEAD, no interval, groups without
 * usable time IDs, the time-ID array kept across groups, time IDs too far
 * apart, missing time IDs; the row plan of the input set-up; the sort of
 * the analysis variables by name.
 *
 * Monthly dates: 1 January 2020 is day 21915, 1 March 2020 day 21975.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/civil_days.h"
#include "host/missing_values.h"
#include "host/parser_glue.h"
#include "host/services.h"
#include "interval/interval_names.h"
#include "procdriver/datekpar.h"
#include "procdriver/kivevds.h"
#include "procdriver/kivevin.h"
#include "procdriver/series_block.h"
#include "series/series_bind.h"
#include "series/series_names.h"
#include "tests/series/read_road.h"
#include "tests/support/module_host.h"

namespace {

double day(int year, int month, int dayOfMonth) { return double(orvDaysFromCivil(year, month, dayOfMonth)); }

constexpr const char *kSidecar = R"({"variables": [
  {"name": "g", "type": "character", "length": 2},
  {"name": "t", "type": "numeric", "length": 8},
  {"name": "x", "type": "numeric", "length": 8}]})";

/* What the test driver sets before the input set-up. */
struct ReaderSetup {
    const char *member;
    bool by = true;
    bool id = true;
    const char *interval = "MONTH"; /* null: an interval of base code 0 */
    int32_t lead = 0;
    double start = orvMissing(), end = orvMissing();
};

/* What one BY group gave. */
struct Group {
    int stop = 0;
    int64_t count = 0;
    std::vector<double> ids;
    const double *array = nullptr; /* the group's time-ID array */
    double blockFirst = 0;         /* the series block's first time ID */
};

struct ReaderRun {
    int rc = 0;
    std::vector<Group> groups;
    std::string log;
};

const ReaderSetup *setup = nullptr;
ReaderRun *run = nullptr;

/* The step: the state filled as the option reader would, the input
 * set-up, then every BY group through the reader and the series block. */
void driverStep()
{
    auto state = std::make_unique<PROC_STATE>();
    std::memset(static_cast<void *>(state.get()), 0, sizeof *state);
    const ReaderSetup &s = *setup;
    state->optionPool = static_cast<MEMORY_OBJECT *>(xmpoolc(0, 1024, 6));
    state->seriesPool = static_cast<MEMORY_OBJECT *>(xmpoolc(0, 1024, 6));
    ZTS_PROC *series = &state->series;
    ZTSSetMemPoolInfo(series, state->seriesPool);
    ASSERT_EQ(ZTSIOBind(series, nullptr, 0, nullptr), 0);
    DATA_SET_HANDLE *data = orvtest::openInput(s.member);
    ASSERT_NE(data, nullptr);
    series->ioInfo.byXofid = data;
    ztsQueryDataSetItems(data, series->ioInfo.libref, &series->ioInfo.member, &series->ioInfo.label,
                         &series->ioInfo.qualified);
    static int32_t byNumber = 0;
    if (s.by) {
        byNumber = orvtest::variableNumber(data, "g");
        orvtest::moduleHost().dataSets().setByList(data, {byNumber}, false);
        series->byCount = 1;
        series->byVars = &byNumber;
    }
    if (s.id) {
        state->idGiven = 1;
        series->rawTime.idGiven = 1;
        series->rawTime.idVarNo = orvtest::variableNumber(data, "t");
        std::memcpy(series->rawTime.idName.text, "t", 1);
        series->rawTime.idName.length = 1;
    }
    ZINT_DESC interval{};
    if (s.interval != nullptr) {
        ASSERT_EQ(zintstr(s.interval, int(std::strlen(s.interval)), &interval), 0);
    }
    series->ops->setIntervalInfo(series, &interval);
    state->alignment = 'B';
    series->ops->setIntervalAlignment(series, 'B');
    state->lead = s.lead;
    state->start = s.start;
    state->startKind = orvIsMissing(s.start) ? 0 : 'd';
    state->end = s.end;
    state->endKind = orvIsMissing(s.end) ? 0 : 'd';

    kivevds(state.get(), kivDateKeyMessages);
    static ZTSEV_SERIES stepBlock, groupBlock;
    kivStepSeriesBlock(state.get(), &stepBlock);
    while (xbynext(data) != 0) {
        state->stop = 0;
        kivevin(state.get(), kivDateKeyMessages);
        Group g;
        g.stop = state->stop;
        g.count = state->groupCount;
        if (state->stop == 0 && state->groupCount > 0) {
            g.ids.assign(state->groupTimeIds, state->groupTimeIds + state->groupCount);
            g.array = state->groupTimeIds;
            kivGroupSeriesBlock(state.get(), &stepBlock, &groupBlock);
            g.blockFirst = groupBlock.firstTimeId;
            EXPECT_EQ(groupBlock.count, g.count);
            EXPECT_EQ(groupBlock.timeIds, state->groupTimeIds);
            EXPECT_EQ(groupBlock.interval.interval.code, interval.code);
        }
        run->groups.push_back(g);
    }
    xexit(state->returnCode, 0);
}

ReaderRun runDriver(const ReaderSetup &s)
{
    ReaderRun r;
    setup = &s;
    run = &r;
    orvtest::takeLog();
    r.rc = orvtest::moduleHost().runStep(driverStep);
    r.log = orvtest::takeLog();
    return r;
}

class GroupReader : public ::testing::Test {
protected:
    orvtest::SeriesLibrary library_;
};

TEST_F(GroupReader, PeriodsOfEachGroup)
{
    library_.write("m",
                   "g,t,x\n"
                   "A,21915,1\nA,21946,2\nA,21975,3\n" /* Jan, Feb, Mar 2020 */
                   "B,22006,4\nB,22036,5\n",            /* Apr, May 2020 */
                   kSidecar);
    library_.write("allmissing", "g,t,x\nA,,1\nA,,2\nB,21915,3\n", kSidecar);
    const double jan = day(2020, 1, 1), feb = day(2020, 2, 1), mar = day(2020, 3, 1), apr = day(2020, 4, 1),
                 may = day(2020, 5, 1), jun = day(2020, 6, 1), jul = day(2020, 7, 1);
    struct Case {
        const char *id;
        ReaderSetup setup;
        int rc;
        std::vector<std::vector<double>> ids; /* per group; empty: no periods */
    };
    const Case cases[] = {
        {"plain, LEAD=1", {"m", true, true, "MONTH", 1}, 0, {{jan, feb, mar, apr}, {apr, may, jun}}},
        {"START=END with LEAD=2: 3 periods whatever the data", {"m", true, true, "MONTH", 2, mar, mar}, 0,
         {{mar, apr, may}, {mar, apr, may}}},
        {"START only: from START to the last observation", {"m", true, true, "MONTH", 0, feb}, 0,
         {{feb, mar}, {feb, mar, apr, may}}},
        /* Group B lies wholly after END: (1023, 490), one period at END. */
        {"END before the first observation", {"m", true, true, "MONTH", 0, orvMissing(), feb}, 0,
         {{jan, feb}, {feb}}},
        {"interval base code 0: 0 to n + lead - 1", {"m", true, false, nullptr, 2}, 0,
         {{0, 1, 2, 3, 4}, {0, 1, 2, 3}}},
        {"no ID variable, OBS: observation numbers", {"m", false, false, "OBS", 1}, 0, {{1, 2, 3, 4, 5, 6}}},
        /* Missing time IDs are dropped (4); a group left with none has no
         * periods unless START and END both say where they lie. */
        {"all time IDs missing", {"allmissing", true, true, "MONTH", 0}, 4, {{}, {jan}}},
        {"all missing with START and END", {"allmissing", true, true, "MONTH", 0, jun, jul}, 4,
         {{jun, jul}, {jun, jul}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ReaderRun r = runDriver(c.setup);
        EXPECT_EQ(r.rc, c.rc) << r.log;
        ASSERT_EQ(r.groups.size(), c.ids.size()) << r.log;
        for (size_t g = 0; g < c.ids.size(); ++g) {
            SCOPED_TRACE(g);
            EXPECT_EQ(r.groups[g].stop, 0);
            EXPECT_EQ(r.groups[g].ids, c.ids[g]);
            EXPECT_EQ(r.groups[g].count, int64_t(c.ids[g].size()));
            if (!c.ids[g].empty()) {
                EXPECT_EQ(r.groups[g].blockFirst, c.ids[g][0]);
            }
        }
    }
}

TEST_F(GroupReader, GroupWithoutUsableTimeIdsHasNoPeriods)
{
    library_.write("allmissing", "g,t,x\nA,,1\nA,,2\nB,21915,3\n", kSidecar);
    ReaderRun r = runDriver({"allmissing", true, true, "MONTH", 0, orvMissing(), day(2020, 3, 1)});
    EXPECT_EQ(r.rc, 4);
    ASSERT_EQ(r.groups.size(), 2u);
    /* Not every month from 1960 up to END: nothing. */
    EXPECT_EQ(r.groups[0].count, 0);
    EXPECT_EQ(r.log,
              "WARNING: The time ID variable t is missing in observation 1 of ALLMISSING; the observation is skipped.\n"
              "WARNING: The time ID variable t is missing in observation 2 of ALLMISSING; the observation is skipped.\n"
              "WARNING: No observation of the BY group of ALLMISSING has a usable time ID within START= and END=.\n");
    EXPECT_EQ(r.groups[1].ids, (std::vector<double>{day(2020, 1, 1), day(2020, 2, 1), day(2020, 3, 1)}));
}

TEST_F(GroupReader, TimeIdArrayIsKeptAcrossGroups)
{
    library_.write("m", "g,t,x\nA,21915,1\nA,21946,2\nA,21975,3\nB,22006,4\nC,22036,5\nC,22067,6\n", kSidecar);
    ReaderRun r = runDriver({"m", true, true, "MONTH", 0});
    ASSERT_EQ(r.groups.size(), 3u);
    /* Smaller groups reuse the first group's array. */
    EXPECT_EQ(r.groups[1].array, r.groups[0].array);
    EXPECT_EQ(r.groups[2].array, r.groups[0].array);
    EXPECT_EQ(r.groups[2].ids, (std::vector<double>{day(2020, 5, 1), day(2020, 6, 1)}));
}

TEST_F(GroupReader, UnusableTimeIdsSkipTheGroup)
{
    library_.write("order", "g,t,x\nA,21946,1\nA,21915,2\nB,21915,3\n", kSidecar);
    /* Observation numbers 1 and 2^54 + 1 are 2^54 intervals apart. */
    library_.write("far", "g,t,x\nA,1,1\nA,18014398509481985,2\nB,1,3\n", kSidecar);
    library_.write("order2", "g,t,x\nA,21915,1\nB,21915,3\n", kSidecar);
    struct Case {
        const char *id;
        ReaderSetup setup;
        int rc;
        const char *log;
    };
    const Case cases[] = {
        {"not ascending", {"order", true, true, "MONTH"}, 108,
         "ERROR: The time ID variable t in the data set T.ORDER is not in ascending order; the BY group is skipped.\n"},
        {"not ascending, no BY variables", {"order", false, true, "MONTH"}, 1008,
         "ERROR: The time ID variable t in the data set T.ORDER is not in ascending order; the BY group is skipped.\n"},
        {"too far apart to count", {"far", true, true, "OBS"}, 108,
         "ERROR: The time ID variable t in observation 2 of FAR lies too many intervals from the one before to be "
         "counted exactly; the BY group is skipped.\n"},
        /* START before the supported range: its period cannot be had, so
         * neither can the count of periods. */
        {"periods cannot be counted", {"order2", true, true, "MONTH", 0, day(1500, 1, 1)}, 108,
         "ERROR: The periods of the BY group of ORDER2 cannot be counted with the interval MONTH; the BY group is "
         "skipped.\n"
         "ERROR: The periods of the BY group of ORDER2 cannot be counted with the interval MONTH; the BY group is "
         "skipped.\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ReaderRun r = runDriver(c.setup);
        EXPECT_EQ(r.rc, c.rc);
        EXPECT_EQ(r.log, c.log);
        ASSERT_GE(r.groups.size(), 1u);
        EXPECT_NE(r.groups[0].stop, 0);
        /* The other group is still read. */
        if (c.setup.by && std::string(c.setup.member) != "order2") {
            ASSERT_EQ(r.groups.size(), 2u);
            EXPECT_EQ(r.groups[1].stop, 0);
            EXPECT_EQ(r.groups[1].count, 1);
        }
    }
}

TEST_F(GroupReader, InputSetUpPlansFromTheCount)
{
    /* The host knows no count without reading (item 3) and counts 5 rows
     * (item 2); with BY variables at most 16384 are planned. */
    library_.write("m", "g,t,x\nA,21915,1\nA,21946,2\nA,21975,3\nB,22006,4\nB,22036,5\n", kSidecar);
    static int64_t planned = 0;
    ReaderSetup s{"m"};
    setup = &s;
    EXPECT_EQ(orvtest::moduleHost().runStep([] {
                  auto state = std::make_unique<PROC_STATE>();
                  std::memset(static_cast<void *>(state.get()), 0, sizeof *state);
                  state->optionPool = static_cast<MEMORY_OBJECT *>(xmpoolc(0, 1024, 6));
                  state->series.ioInfo.byXofid = orvtest::openInput(setup->member);
                  state->series.byCount = 1;
                  kivevds(state.get(), kivDateKeyMessages);
                  planned = state->series.rawCapacity;
                  xexit(state->returnCode, 0);
              }),
              0);
    EXPECT_EQ(planned, 5);
}

TEST(InputSetUp, RowPlan)
{
    struct Case {
        const char *id;
        int64_t count;
        bool perGroup;
        int64_t rows, block;
    };
    const Case cases[] = {
        {"10 observations, no BY", 10, false, 10, 1024},
        {"1 observation", 1, false, 4096, 4096},
        {"unknown count", 0, false, 4096, 4096},
        {"above 2^50", (int64_t(1) << 50) + 1, false, 4096, 4096},
        {"BY, 100000 observations", 100000, true, 16384, 16384},
        {"BY, count unknown: above the suggested 1024", -1, true, 4096, 4096},
        {"no BY, 100000 observations", 100000, false, 4096, 4096},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const KIV_ROW_PLAN plan = kivPlanRows(c.count, c.perGroup, xmpools(c.count));
        EXPECT_EQ(plan.rows, c.rows);
        EXPECT_EQ(plan.block, c.block);
    }
}

TEST(OptionReader, SortNamesKeepsNumbersWithTheirNames)
{
    PROC_STATE state;
    std::memset(static_cast<void *>(&state), 0, sizeof state);
    KIV_VARDESC vars[3] = {};
    int32_t numbers[3] = {7, 8, 9};
    const char *names[3] = {"Z", "a", "M"};
    for (int i = 0; i < 3; ++i) {
        vars[i].varNo = numbers[i];
        std::memset(vars[i].name, ' ', sizeof vars[i].name);
        vars[i].name[0] = names[i][0];
        vars[i].nameLength = 1;
    }
    state.vars = vars;
    state.varNumbers = numbers;
    state.varCount = 3;
    kivSortDescriptors(&state);
    EXPECT_EQ(std::string(1, vars[0].name[0]) + vars[1].name[0] + vars[2].name[0], "aMZ");
    EXPECT_EQ(std::vector<int32_t>(numbers, numbers + 3), (std::vector<int32_t>{8, 9, 7}));
}

}  // namespace
