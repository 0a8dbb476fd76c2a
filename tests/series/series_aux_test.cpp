/*
 * series_aux_test.cpp - the reader of a primary data set with auxiliary
 * data sets, through the read-road driver: auxiliary series placed on the
 * primary's months against pandas reindex (tests/oracle/series_aux_fit.py:
 * series_aux_*.csv), the same data set read twice, the failures of a data
 * set that cannot be placed or has no variables, and the faults mended in
 * the binding, the alignment and the variable records.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/civil_days.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "interval/timeslot_accumulate.h"
#include "series/series_access.h"
#include "series/series_aux.h"
#include "series/series_bind.h"
#include "tests/interval/oracle_csv.h"
#include "tests/series/read_road.h"
#include "tests/support/module_host.h"

namespace {

const double M = orvMissing();

constexpr const char *kMonthlySidecar = R"({
  "variables": [
    {"name": "g", "type": "character", "length": 1},
    {"name": "date", "type": "numeric", "length": 8, "format": "DATE9."},
    {"name": "v", "type": "numeric", "length": 8}
  ]
}
)";

constexpr const char *kPlainSidecar = R"({
  "variables": [
    {"name": "t", "type": "numeric", "length": 8},
    {"name": "v", "type": "numeric", "length": 8}
  ]
}
)";

double dayOf(const std::string &iso)
{
    return double(orvDaysFromCivil(std::stoi(iso.substr(0, 4)), std::stoi(iso.substr(5, 2)), std::stoi(iso.substr(8, 2))));
}

void expectSame(double got, double want, const std::string &what)
{
    if (orvIsMissing(want))
        EXPECT_EQ(std::bit_cast<uint64_t>(got), ORV_MISSING_BITS) << what << " got " << got;
    else
        EXPECT_EQ(got, want) << what;
}

class SeriesAux : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::map<std::string, std::string> members;
        for (const orvtest::CsvRow &row : orvtest::readOracleCsv("series_aux_data.csv"))
            members[row.fields[0]] += row.fields[1] + "," + row.fields[2] + "," + row.fields[3] + "\n";
        ASSERT_EQ(members.size(), 4u);
        for (const auto &[member, rows] : members) library_.write(member, "g,date,v\n" + rows, kMonthlySidecar);
    }

    static orvtest::RoadSettings monthly(const std::vector<orvtest::RoadAux> &aux)
    {
        orvtest::RoadSettings s;
        s.member = "PRIM";
        s.by = {"g"};
        s.id = "date";
        s.vars = {"v"};
        s.interval = "MONTH";
        s.aux = aux;
        return s;
    }

    orvtest::SeriesLibrary library_;
};

/* Expected auxiliary series by (case, group): day numbers and values. */
std::map<std::pair<std::string, std::string>, std::pair<std::vector<double>, std::vector<double>>> expectedAligned()
{
    std::map<std::pair<std::string, std::string>, std::pair<std::vector<double>, std::vector<double>>> out;
    for (const orvtest::CsvRow &row : orvtest::readOracleCsv("series_aux_expected.csv")) {
        auto &e = out[{row.fields[0], row.fields[1]}];
        e.first.push_back(dayOf(row.fields[2]));
        e.second.push_back(row.fields.size() > 3 && !row.fields[3].empty() ? row.number(3) : M);
    }
    return out;
}

TEST_F(SeriesAux, AuxiliarySeriesOnThePrimaryMonthsMatchPandasReindex)
{
    const auto expected = expectedAligned();
    struct Case {
        const char *id;
        const char *member;
        double end;
        std::vector<std::string> groups;  /* groups read, in order */
        double setMissingValue = M;       /* SETMISSING=value when present */
        int zeroMiss = 0;
    };
    const Case cases[] = {
        {"inner", "INNER", M, {"A", "B"}},
        {"outer", "OUTER", M, {"A", "B"}},
        {"late", "LATE", dayOf("2020-12-01"), {"A"}},
        {"inner_filled", "INNER", M, {"A", "B"}, -1},
        {"inner_zero_left", "INNER", M, {"A", "B"}, 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        orvtest::RoadSettings s = monthly({{c.member, {"v"}}});
        s.end = c.end;
        if (!orvIsMissing(c.setMissingValue)) {
            s.setMissing = ZTS_SETMISS_VALUE;
            s.setMissingValue = c.setMissingValue;
        }
        s.zeroMiss = c.zeroMiss;
        const orvtest::RoadResult result = orvtest::runReadRoad(s);
        ASSERT_EQ(result.bindStatus, 0);
        ASSERT_EQ(result.setupStatus, 0);
        ASSERT_EQ(result.comInitStatus, 0);
        ASSERT_GE(result.groups.size(), c.groups.size());
        for (size_t g = 0; g < c.groups.size(); ++g) {
            SCOPED_TRACE("group " + c.groups[g]);
            const orvtest::RoadGroup &group = result.groups[g];
            ASSERT_EQ(group.readStatus, 0);
            ASSERT_EQ(group.accumulateStatus, 0);
            const auto &e = expected.at({c.id, c.groups[g]});
            ASSERT_EQ(group.timeIds, e.first);
            ASSERT_EQ(group.acc.size(), 2u);
            for (size_t i = 0; i < e.second.size(); ++i) expectSame(group.acc[1][i], e.second[i], std::to_string(i));
            EXPECT_EQ(group.getAccVarStatus, (std::vector<int>{0, 0}));
        }
    }
}

TEST_F(SeriesAux, TheSameDataSetReadAsAuxiliaryGivesIdenticalSeriesThroughEverySlot)
{
    orvtest::RoadSettings s = monthly({{"PRIM", {"v"}}});
    int checked = 0;
    s.afterGroup = [&checked](ZTS_PROC &ctx) {
        const int64_t n = ctx.obsCount, count = ctx.timeIds.count;
        std::vector<std::vector<double>> seen;
        for (int64_t var : {0, 1}) {
            std::vector<double> raw(static_cast<size_t>(n)), acc(static_cast<size_t>(count));
            ASSERT_EQ(ctx.ops->getVar(&ctx, var, raw.data()), 0);
            ASSERT_EQ(ctx.ops->getAccVar(&ctx, var, acc.data()), 0);
            double *p = nullptr;
            ASSERT_EQ(ctx.ops->getVarPtr(&ctx, var, &p), 0);
            std::vector<double> rawPtr(p, p + n);
            ASSERT_EQ(ctx.ops->getAccVarPtr(&ctx, var, &p), 0);
            std::vector<double> accPtr(p, p + count);
            for (const std::vector<double> *series : {&raw, &acc, &rawPtr, &accPtr}) seen.push_back(*series);
        }
        const char *slots[] = {"slot 13", "slot 16", "slot 14", "slot 17"};
        for (size_t k = 0; k < 4; ++k) EXPECT_EQ(seen[k], seen[k + 4]) << slots[k];
        EXPECT_EQ(seen[0], seen[2]);
        ++checked;
    };
    const orvtest::RoadResult result = orvtest::runReadRoad(s);
    ASSERT_EQ(result.groups.size(), 2u);
    EXPECT_EQ(checked, 2);
    for (const orvtest::RoadGroup &g : result.groups) {
        EXPECT_EQ(g.readStatus, 0);
        EXPECT_EQ(g.raw[0], g.raw[1]);
        EXPECT_EQ(g.vars[1].n, g.vars[0].n);
    }
}

/* Failures of auxiliary data sets, one line per case: what the read gives
 * and which data set the owner names. */
TEST_F(SeriesAux, DataSetsThatCannotBePlaced)
{
    library_.write("OBSP", "t,v\n1,10\n2,11\n3,12\n4,13\n5,14\n", kPlainSidecar);
    library_.write("OBSA", "t,v\n1,20\n2,21\n3,22\n4,23\n", kPlainSidecar);
    /* Seconds 2^32 later: a lead that the 32-bit fields cannot hold (cut
     * to 32 bits it would read as 0 and the series would seem aligned). */
    library_.write("SECP", "t,v\n100,1\n101,2\n102,3\n", kPlainSidecar);
    library_.write("SECA", "t,v\n4294967396,7\n4294967397,8\n4294967398,9\n", kPlainSidecar);
    struct Case {
        const char *id;
        const char *primary, *auxiliary, *interval;
        int readStatus;
        const char *failedName;
    };
    const Case cases[] = {
        {"obs counts differ", "OBSP", "OBSA", "OBS", ZTS_AUX_MISFIT, "t"},
        {"lead beyond 32 bits", "SECP", "SECA", "SECOND", ZTS_AUX_MISFIT, "SECA"},
        {"obs counts agree", "OBSP", "OBSP", "OBS", 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        orvtest::RoadSettings s;
        s.member = c.primary;
        s.id = "t";
        s.vars = {"v"};
        s.interval = c.interval;
        s.aux = {{c.auxiliary, {"v"}}};
        const orvtest::RoadResult result = orvtest::runReadRoad(s);
        ASSERT_EQ(result.comInitStatus, 0);
        ASSERT_EQ(result.groups.size(), 1u);
        EXPECT_EQ(result.groups[0].readStatus, c.readStatus);
        EXPECT_EQ(result.groups[0].failedDataSet, c.readStatus != 0 ? 1 : -1);
        EXPECT_EQ(result.groups[0].failedName, c.failedName);
    }
}

TEST_F(SeriesAux, ADataSetWithoutVariablesIsNamed)
{
    orvtest::takeLog();
    const orvtest::RoadResult result = orvtest::runReadRoad(monthly({{"INNER", {}}}));
    EXPECT_EQ(result.setupStatus, 0);
    EXPECT_EQ(result.comInitStatus, 2);
    EXPECT_NE(orvtest::takeLog().find("No variables are read from the data set T.INNER."), std::string::npos);
}

/* An auxiliary data set with one month twice (accumulated by TOTAL) has
 * more observations than the primary: its input series cannot be copied
 * into a buffer of the primary's length, its accumulated series can. */
TEST_F(SeriesAux, InputSeriesOfAnotherObservationCountAreNotCopied)
{
    library_.write("DUPS",
                   "g,date,v\nA,2020-01-01,1\nA,2020-02-01,2\nA,2020-02-01,3\nA,2020-03-01,4\n"
                   "A,2020-04-01,5\nA,2020-05-01,6\nA,2020-06-01,7\nA,2020-07-01,8\nA,2020-08-01,9\n"
                   "A,2020-09-01,10\nA,2020-10-01,11\nA,2020-11-01,12\nA,2020-12-01,13\n",
                   kMonthlySidecar);
    orvtest::RoadSettings s = monthly({{"DUPS", {"v"}}});
    s.accumulate = ZTS_ACC_TOTAL;
    const orvtest::RoadResult result = orvtest::runReadRoad(s);
    ASSERT_GE(result.groups.size(), 1u);
    const orvtest::RoadGroup &a = result.groups[0];
    ASSERT_EQ(a.readStatus, 0);
    EXPECT_EQ(a.getVarStatus, (std::vector<int>{0, ZTS_AUX_MISFIT}));
    EXPECT_EQ(a.getAccVarStatus, (std::vector<int>{0, 0}));
    const std::vector<double> totals = {1, 5, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    EXPECT_EQ(a.acc[1], totals);
}

/* Binding and variable records on blocks that describe no real data set:
 * only the pointers are compared. */
TEST(SeriesAuxBinding, RefusesWhatItCannotBindAndLeavesTheOwnerAsItWas)
{
    orvtest::moduleHost();
    auto *pool = static_cast<MEMORY_OBJECT *>(xmpoolc(0, 1024, 6));
    ASSERT_NE(pool, nullptr);
    ZTS_IOINFO primary{}, second{};
    DATA_SET_HANDLE primaryHandle{}, secondHandle{}, stranger{};
    primary.byXofid = &primaryHandle;
    second.byXofid = &secondHandle;
    const ZTS_IOINFO *aux[] = {&second};
    const ZTS_IOINFO *holey[] = {&second, nullptr};

    ZTS_PROC owner{};
    ZTSSetMemPoolInfo(&owner, pool);
    struct Case {
        const char *id;
        const ZTS_IOINFO *primary;
        int nAux;
        const ZTS_IOINFO *const *aux;
        int failAllocation;
        int expected;
    };
    const Case cases[] = {
        {"null primary", nullptr, 1, aux, 0, ZTS_BAD_ARGUMENT},
        {"null auxiliary array", &primary, 1, nullptr, 0, ZTS_BAD_ARGUMENT},
        {"null auxiliary entry", &primary, 2, holey, 0, ZTS_BAD_ARGUMENT},
        {"no vector", &primary, 1, aux, 1, ZTS_NO_MEMORY},
        {"no sub-contexts", &primary, 1, aux, 2, ZTS_NO_MEMORY},
        {"no vector for the primary's sub-context", &primary, 1, aux, 3, ZTS_NO_MEMORY},
        {"no vector for the auxiliary's sub-context", &primary, 1, aux, 4, ZTS_NO_MEMORY},
    };
    for (const Case &c : cases) {
        if (c.failAllocation > 0) orvtest::moduleHost().memory().failAllocation(c.failAllocation);
        EXPECT_EQ(ZTSIOBind(&owner, c.primary, c.nAux, c.aux), c.expected) << c.id;
        EXPECT_EQ(owner.ops, nullptr) << c.id;
        orvtest::moduleHost().memory().failAllocation(0);
        xmemdef();
    }

    ASSERT_EQ(ZTSIOBind(&owner, &primary, 1, aux), 0);
    ZTS_AUX *record = auxRecord(&owner);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->owner, &owner);
    EXPECT_EQ(record->auxCount, 1);
    EXPECT_EQ(record->subs[1].ioInfo.byXofid, &secondHandle);
    EXPECT_NE(record->subs[1].ops, nullptr);
    EXPECT_EQ(owner.ioInfo.byXofid, &primaryHandle);

    ZTS_VAR vars[1]{};
    ASSERT_EQ(owner.ops->setDataInfo(&owner, 0, nullptr, 1, vars), 0);
    /* A variable of a data set that no sub-context reads. */
    EXPECT_EQ(owner.ops->setVarInfo(&owner, 0, 0, &stranger, 1, 0, 0), ZTS_BAD_ARGUMENT);
    EXPECT_EQ(vars[0].owner, nullptr);
    EXPECT_EQ(owner.ops->finishVars(&owner, 1), ZTS_BAD_ARGUMENT);
    /* Copies for each sub-context, positioned there. */
    vars[0].owner = &record->subs[1];
    EXPECT_EQ(owner.ops->finishVars(&owner, 1), 0);
    EXPECT_EQ(record->subs[1].varCount, 1);
    EXPECT_EQ(record->subs[0].varCount, 0);
    EXPECT_EQ(vars[0].position, 0);
    EXPECT_EQ(owner.ops->checkSelVar(&owner, -1, &secondHandle, vars[0].varNo, 0), 1);
    EXPECT_EQ(owner.ops->checkSelVar(&owner, -1, &primaryHandle, vars[0].varNo, 0), 0);
    double out[1];
    EXPECT_EQ(owner.ops->getVar(&owner, 1, out), ZTS_BAD_ARGUMENT);
    xmpoold(pool);
}

}  // namespace
