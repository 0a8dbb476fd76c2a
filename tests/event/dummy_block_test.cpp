/*
 * dummy_block_test.cpp - the event columns of a group's dummy rows
 * (event/dummy_block.h): the block holds each event's dummy and their sum
 * by hand-worked values; a block kept from group to group gives every
 * group the same values and the same log as a block built anew for it,
 * over sequences of axes that change in length, start and interval; which
 * events count as quiet; and the flags with an early stop against the
 * statistics by hand.
 *
 * Dates: 20 December 2019 (a Friday) is the first time ID; Christmas is
 * then row 5 and New Year's Day row 12.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "event/dummy_block.h"
#include "event/event_dummy.h"
#include "event/event_registry.h"
#include "host/missing_values.h"
#include "interval/interval_names.h"
#include "platform/step.h"
#include "platform/utility_files.h"
#include "tests/event/dummy_series.h"
#include "tests/event/event_fixture.h"
#include "tests/support/module_host.h"

namespace {

using orvtest::day;

const double kDec20 = day(2019, 12, 20);

/* An event of one date key. */
ZTSEV_EVENT *keyed(orvtest::EventFixture &f, const char *name, const char *key)
{
    ZTSEV_EVENT *event = f.dates(name, {});
    f.addKey(name, key);
    return event;
}

/* Column c of the block's first n rows. */
std::vector<double> column(const ZTSEV_DUMMY_BLOCK &block, int64_t c)
{
    std::vector<double> values;
    for (int64_t r = 0; r < block.count; ++r) values.push_back(block.rows[r * block.columns + c]);
    return values;
}

/* n zeros with 1 at the given rows. */
std::vector<double> marks(int64_t n, std::vector<int64_t> ones)
{
    std::vector<double> values(size_t(n), 0.0);
    for (int64_t r : ones) values[size_t(r)] = 1.0;
    return values;
}

TEST(DummyBlock, ColumnsAreTheEventsDummiesAndTheirSum)
{
    /* Ten columns: more than one tile of columns built together, and a
     * part tile after it. */
    orvtest::EventFixture f;
    keyed(f, "XMAS", "CHRISTMAS");
    keyed(f, "NEWYEAR", "NEWYEAR");
    f.dates("TWICE", {kDec20 + 1, kDec20 + 3})->effective.value = 2.5;
    f.dates("OUTSIDE", {day(1990, 1, 1)});
    f.comb("BOTH", {"XMAS", "NEWYEAR"}, ZTSEV_RULE_ADD);
    keyed(f, "BOXING", "BOXING");
    f.dates("LAST", {kDec20 + 19});
    f.dates("NEGATIVE", {kDec20})->effective.value = -1;
    keyed(f, "MLK", "MLK");
    f.dates("FIRSTTWO", {kDec20, kDec20 + 1});
    f.list->dummyCount = 10;
    f.list->noteLimit = 25;
    orvtest::TestSeries days;
    orvtest::makeSeries(days, "DAY", kDec20, 20);
    ZTSEV_DUMMY_BLOCK block{};
    ASSERT_EQ(ztsevDummyBlockRows(f.list, &block, &days.block, true), 0);
    ASSERT_EQ(block.columns, 11);
    ASSERT_EQ(block.count, 20);

    std::vector<double> twice(20, 0.0), negative(20, 0.0);
    twice[1] = twice[3] = 2.5;
    negative[0] = -1;
    const std::vector<std::vector<double>> expected = {
        marks(20, {5}),  marks(20, {12}), twice,          std::vector<double>(20, 0.0), marks(20, {5, 12}),
        marks(20, {6}),  marks(20, {19}), negative,       std::vector<double>(20, 0.0), marks(20, {0, 1}),
    };
    std::vector<double> sum(20, 0.0);
    for (int64_t c = 0; c < 10; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(column(block, c), expected[size_t(c)]);
        for (int64_t r = 0; r < 20; ++r) sum[size_t(r)] += expected[size_t(c)][size_t(r)];
    }
    EXPECT_EQ(column(block, 10), sum);
    /* The two all-zero columns (OUTSIDE; MLK falls on 20 January) get
     * their note. */
    const std::string log = orvtest::takeLog();
    EXPECT_NE(log.find("event OUTSIDE is zero throughout"), std::string::npos) << log;
    EXPECT_NE(log.find("event MLK is zero throughout"), std::string::npos) << log;
    EXPECT_EQ(f.list->notesIssued, 2);
}

/* The events of the kept-versus-new comparison: quiet ones (a holiday, a
 * holiday marking everything before it, a date outside every axis, a date
 * inside them) and
 * ones built anew for every group (a user date key that is not defined,
 * with its note, and a combination). */
void sequenceEvents(orvtest::EventFixture &f)
{
    keyed(f, "XMAS", "CHRISTMAS");
    keyed(f, "BEFOREXMAS", "CHRISTMAS")->effective.before = 0;
    f.dates("OUTSIDE", {day(1990, 1, 1)});
    ZTSEV_EVENT *lost = keyed(f, "LOST", "CHRISTMAS");
    lost->datekeyCodes[0] = ZTSEV_USER_DATEKEY;
    lost->datekeyNames[0] = orvtest::countedName("NOSUCHKEY");
    f.comb("BOTH", {"XMAS", "OUTSIDE"}, ZTSEV_RULE_ADD);
    f.dates("DATED", {kDec20 + 4});
    f.list->dummyCount = 6;
    f.list->noteLimit = 7;
}

TEST(DummyBlock, AKeptBlockGivesTheValuesAndLogOfANewOne)
{
    struct Group {
        const char *interval;
        double first;
        int64_t count;
        bool summed;
        bool noFirst = false;  /* the block's first time ID missing: the array's first counts */
    };
    struct Case {
        const char *id;
        std::vector<Group> groups;
    };
    const Case cases[] = {
        {"one axis", {{"DAY", kDec20, 20, false}, {"DAY", kDec20, 20, false}, {"DAY", kDec20, 20, false}}},
        {"shorter: Christmas leaves the axis", {{"DAY", kDec20, 20, false}, {"DAY", kDec20, 3, false}}},
        {"longer", {{"DAY", kDec20, 3, false}, {"DAY", kDec20, 20, false}, {"DAY", kDec20, 20, false}}},
        {"later start", {{"DAY", kDec20, 20, false}, {"DAY", kDec20 + 1, 20, false}}},
        {"other interval", {{"DAY", kDec20, 20, false}, {"WEEKDAY", kDec20, 20, false}}},
        {"sum asked, then not, then asked",
         {{"DAY", kDec20, 20, true}, {"DAY", kDec20, 20, false}, {"DAY", kDec20, 20, true}}},
        {"sum first asked on a kept axis", {{"DAY", kDec20, 20, false}, {"DAY", kDec20, 20, true}}},
        {"back to an earlier axis", {{"DAY", kDec20, 20, true}, {"DAY", kDec20 + 7, 20, true}, {"DAY", kDec20, 20, true}}},
        {"no first time ID, the array's first moves",
         {{"DAY", kDec20, 20, false, true}, {"DAY", kDec20 + 2, 20, false, true}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        orvtest::EventFixture kept, fresh;
        sequenceEvents(kept);
        sequenceEvents(fresh);
        ZTSEV_DUMMY_BLOCK keptBlock{};
        orvtest::takeLog();
        for (size_t g = 0; g < c.groups.size(); ++g) {
            SCOPED_TRACE(g);
            const Group &group = c.groups[g];
            orvtest::TestSeries axis;
            orvtest::makeSeries(axis, group.interval, group.first, group.count);
            if (group.noFirst) axis.block.firstTimeId = orvMissing();
            ASSERT_EQ(ztsevDummyBlockRows(kept.list, &keptBlock, &axis.block, group.summed), 0);
            const std::string keptLog = orvtest::takeLog();
            ZTSEV_DUMMY_BLOCK newBlock{};
            ASSERT_EQ(ztsevDummyBlockRows(fresh.list, &newBlock, &axis.block, group.summed), 0);
            EXPECT_EQ(keptLog, orvtest::takeLog());
            EXPECT_EQ(kept.list->notesIssued, fresh.list->notesIssued);
            ASSERT_EQ(keptBlock.count, group.count);
            /* Without a summary request the sum column is not read. */
            const int64_t compared = group.summed ? 7 : 6;
            for (int64_t col = 0; col < compared; ++col) EXPECT_EQ(column(keptBlock, col), column(newBlock, col)) << col;
        }
    }
}

/* The rows a block writes, each as the dummy columns + 1 values the
 * writer's buffer holds when the data set's write routine is called. */
struct WrittenRows {
    std::vector<double> values;
    std::vector<double> rows;
    DATA_SET_HANDLE handle{};

    explicit WrittenRows(int64_t columns) : values(size_t(columns))
    {
        handle.host = this;
        handle.write = [](DATA_SET_HANDLE *h) {
            auto *self = static_cast<WrittenRows *>(h->host);
            self->rows.insert(self->rows.end(), self->values.begin(), self->values.end());
            return 0;
        };
    }
};

int takeEveryRow(void *, int64_t, int64_t, double *, int) { return 0; }

TEST(DummyBlock, ASpooledBlockWritesTheBytesOfOneInMemory)
{
    struct Case {
        const char *id;
        int64_t budget; /* bytes: every group here is spooled */
        bool noEvents;
    };
    const Case cases[] = {
        {"one column per pass", 1, false},
        {"three output rows of 7 columns per pass", 3 * 7 * 8, false},
        {"a list without event columns", 1, true},
    };
    const std::vector<std::pair<int64_t, bool>> groups = {{20, true}, {20, false}, {3, true}, {31, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        orvtest::EventFixture inMemory, spooled;
        if (!c.noEvents) {
            sequenceEvents(inMemory);
            sequenceEvents(spooled);
        }
        ZTSEV_DUMMY_BLOCK memoryBlock{}, spoolBlock{};
        orvtest::takeLog();
        for (const auto &[count, summed] : groups) {
            SCOPED_TRACE(count);
            orvtest::TestSeries axis;
            orvtest::makeSeries(axis, "DAY", kDec20, count);
            const int64_t columns = int64_t(inMemory.list->dummyCount) + 1;
            WrittenRows fromMemory(columns), fromSpool(columns);
            ASSERT_EQ(ztsevDummyBlockRows(inMemory.list, &memoryBlock, &axis.block, summed), 0);
            ASSERT_EQ(memoryBlock.spooled, 0);
            ASSERT_EQ(ztsevDummyBlockWrite(&memoryBlock, &fromMemory.handle, nullptr, summed, nullptr,
                                           fromMemory.values.data(), takeEveryRow),
                      0);
            const std::string memoryLog = orvtest::takeLog();
            ztsevSetDummyBudgetForTests(c.budget);
            const int made = ztsevDummyBlockRows(spooled.list, &spoolBlock, &axis.block, summed);
            ztsevSetDummyBudgetForTests(0);
            ASSERT_EQ(made, 0);
            ASSERT_EQ(spoolBlock.spooled, 1);
            ASSERT_EQ(ztsevDummyBlockWrite(&spoolBlock, &fromSpool.handle, nullptr, summed, nullptr,
                                           fromSpool.values.data(), takeEveryRow),
                      0);
            EXPECT_EQ(orvtest::takeLog(), memoryLog);
            EXPECT_EQ(spooled.list->notesIssued, inMemory.list->notesIssued);
            ASSERT_EQ(fromSpool.rows.size(), size_t(count * columns));
            EXPECT_EQ(std::memcmp(fromSpool.rows.data(), fromMemory.rows.data(), fromSpool.rows.size() * 8), 0);
        }
    }
}

TEST(DummyBlock, TheSpoolsFilesCannotBeOpened)
{
    orvtest::EventFixture f;
    sequenceEvents(f);
    orvtest::TestSeries axis;
    orvtest::makeSeries(axis, "DAY", kDec20, 20);
    ZTSEV_DUMMY_BLOCK block{};
    orvtest::moduleHost().utilityFiles().failOpenForTests(1);
    ztsevSetDummyBudgetForTests(1);
    int rc = 0;
    try {
        ztsevDummyBlockRows(f.list, &block, &axis.block, false);
    } catch (const orvhost::StepExit &exit) {
        rc = exit.returnCode;
    }
    ztsevSetDummyBudgetForTests(0);
    orvtest::moduleHost().utilityFiles().failOpenForTests(-1);
    EXPECT_EQ(rc, 1020);
    EXPECT_EQ(orvtest::takeLog(),
              "ERROR: A utility file could not be written or read: an open was made to fail for a test.\n");
}

TEST(DummyBlock, ANoteEveryGroupUpToTheLimit)
{
    /* OUTSIDE (zero throughout) and LOST (an undefined key, then zero
     * throughout) note every group: two notes a group under a limit of 7,
     * so the fourth group's LOST gets the limit note and later groups no
     * note of either kind; LOST's own note on its key is not limited. */
    orvtest::EventFixture f;
    sequenceEvents(f);
    orvtest::TestSeries axis;
    orvtest::makeSeries(axis, "DAY", kDec20, 20);
    ZTSEV_DUMMY_BLOCK block{};
    orvtest::takeLog();
    const char *const zeroOutside = "The dummy series of the event OUTSIDE is zero throughout.";
    const char *const zeroLost = "The dummy series of the event LOST is zero throughout.";
    const char *const limit = "The limit of repeated notes is reached";
    const char *const undefined = "The date key NOSUCHKEY is not defined";
    struct Expect {
        int outside, lost, limits, undefinedKeys;
    };
    const Expect expected[] = {{1, 1, 0, 1}, {1, 1, 0, 1}, {1, 1, 0, 1}, {1, 0, 1, 1}, {0, 0, 0, 1}};
    auto count = [](const std::string &log, const char *text) {
        int n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
        return n;
    };
    for (size_t g = 0; g < std::size(expected); ++g) {
        SCOPED_TRACE(g);
        ASSERT_EQ(ztsevDummyBlockRows(f.list, &block, &axis.block, false), 0);
        const std::string log = orvtest::takeLog();
        EXPECT_EQ(count(log, zeroOutside), expected[g].outside) << log;
        EXPECT_EQ(count(log, zeroLost), expected[g].lost) << log;
        EXPECT_EQ(count(log, limit), expected[g].limits) << log;
        EXPECT_EQ(count(log, undefined), expected[g].undefinedKeys) << log;
    }
}

TEST(DummyBlock, QuietEvents)
{
    orvtest::EventFixture f;
    orvtest::TestSeries days, obs;
    orvtest::makeSeries(days, "DAY", kDec20, 20);
    orvtest::makeSeries(obs, "OBS", 1, 20);
    struct Case {
        const char *id;
        ZTSEV_EVENT *event;
        const ZTSEV_SERIES *series;
        bool quiet;
    };
    ZTSEV_EVENT *user = keyed(f, "USER", "CHRISTMAS");
    user->datekeyCodes[0] = ZTSEV_USER_DATEKEY;
    ZTSEV_EVENT *periodic = f.dates("PERIODIC", {kDec20});
    periodic->given.periodGiven = 1;
    ZTSEV_EVENT *customPulse = f.dates("CUSTOMPULSE", {kDec20});
    customPulse->effective.pulse.code = ZINT_CUSTOM;
    ZTSEV_EVENT *lastKeyCustom = keyed(f, "SECONDKEY", "CHRISTMAS");
    f.addKey("SECONDKEY", "NEWYEAR");
    lastKeyCustom->datekeyCodes[1] = ZTSEV_DK_CUSTOM_FIRST + 1;
    int status = 0;
    ZTSEV_EVENT *weaster = ZTSEVFindKeyword(f.list, f.list->datekeyList, "WE", 2, "WEASTER", 7, &status);
    orvtest::TestSeries custom;
    orvtest::makeSeries(custom, "DAY", kDec20, 20);
    custom.block.interval.interval.code = ZINT_CUSTOM;
    const Case cases[] = {
        {"a holiday key", keyed(f, "XMAS", "CHRISTMAS"), &days.block, true},
        {"a holiday key on OBS", f.keyword("CHRISTMAS"), &obs.block, true},
        {"a weekday-of-month key", keyed(f, "FIRSTMONDAY", "N1W2JANYR"), &days.block, true},
        {"dates only", f.dates("DATES", {kDec20}), &days.block, true},
        {"a month season", keyed(f, "JANUARY", "JANUARY"), &days.block, false},
        {"a user key", user, &days.block, false},
        {"a custom key after a holiday", lastKeyCustom, &days.block, false},
        {"PERIOD=", periodic, &days.block, false},
        {"a custom pulse", customPulse, &days.block, false},
        {"a custom series interval", f.dates("ONCUSTOM", {kDec20}), &custom.block, false},
        {"a combination", f.comb("BOTH", {"XMAS", "DATES"}, ZTSEV_RULE_ADD), &days.block, false},
        {"a predefined WEASTER", weaster, &days.block, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_NE(c.event, nullptr);
        EXPECT_EQ(ztsevQuietDummy(c.event, c.series), c.quiet);
    }
    orvtest::takeLog();
}

TEST(DummyBlock, FlagsWithAnEarlyStop)
{
    const double nan = orvMissing();
    struct Case {
        const char *id;
        std::vector<double> values;
        int32_t allZero, constant;
    };
    const Case cases[] = {
        {"zeros", {0, 0, 0}, 1, 1},
        {"twos", {2, 2}, 0, 1},
        {"mixed", {0, -3, 1}, 0, 0},
        {"one value", {5}, 0, 1},
        {"one zero", {0}, 1, 1},
        {"a late change", {0, 0, 0, 0, 0, 0, 0, 1}, 0, 0},
        {"zero and minus zero", {0.0, -0.0, 0.0}, 1, 1},
        {"minus zero only", {-0.0}, 1, 1},
        {"missing first, then zeros", {nan, 0, 0}, 1, 1},
        {"missing between equal values", {3, nan, 3}, 0, 1},
        {"missing between zero and one", {0, nan, 1}, 0, 0},
        {"missing only", {nan, nan}, 0, 0},
        {"infinities", {HUGE_VAL, HUGE_VAL}, 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        int32_t allZero = -1, constant = -1;
        ztsevDummyFlags(c.values.data(), int64_t(c.values.size()), &allZero, &constant);
        EXPECT_EQ(allZero, c.allZero);
        EXPECT_EQ(constant, c.constant);
        /* The statistics set the same flags. */
        std::vector<double> copy = c.values;
        ZTSEV_DUMMY info{copy.data(), int64_t(copy.size()), 0, 0, 0, 0, nullptr};
        ZTSEVDummyInfo(&info);
        EXPECT_EQ(info.allZero, c.allZero);
        EXPECT_EQ(info.constant, c.constant);
    }
}

}  // namespace
