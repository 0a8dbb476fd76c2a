/*
 * series_oracle_test.cpp - the read road against pandas: daily data with
 * gaps, repeated days and missing values, in two BY groups, read through
 * the operations vector and accumulated into MONTH, QTR and WEEK slots by
 * every method, with the SETMISSING methods, and the time-slot index of
 * every observation against pandas Period ordinals.  Expected values come
 * from tests/oracle/series_accumulate.py (series_*.csv).
 */
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/missing_values.h"
#include "interval/timeslot_accumulate.h"
#include "tests/interval/oracle_csv.h"
#include "tests/series/read_road.h"

namespace {

constexpr const char *kDailySidecar = R"({
  "label": "Daily values",
  "variables": [
    {"name": "grp", "type": "character", "length": 1},
    {"name": "date", "type": "numeric", "length": 8, "format": "DATE9."},
    {"name": "x", "type": "numeric", "length": 8},
    {"name": "y", "type": "numeric", "length": 8}
  ]
}
)";

std::string oracleText(const std::string &name)
{
    std::ifstream in(std::string(ORV_SOURCE_DIR) + "/tests/oracle/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

/* Expected series by (group, variable): slot start days and cells. */
struct Expected {
    std::vector<double> slots;
    std::vector<std::string> cells;
};
using ExpectedSet = std::map<std::pair<std::string, std::string>, Expected>;

/* Rows interval, method, grp, var, slot, value (value may be absent). */
std::map<std::pair<std::string, std::string>, ExpectedSet> accumulatedRows()
{
    std::map<std::pair<std::string, std::string>, ExpectedSet> sets;
    for (const orvtest::CsvRow &row : orvtest::readOracleCsv("series_accumulated.csv")) {
        Expected &e = sets[{row.fields[0], row.fields[1]}][{row.fields[2], row.fields[3]}];
        e.slots.push_back(row.number(4));
        e.cells.push_back(row.fields.size() > 5 ? row.fields[5] : "");
    }
    return sets;
}

void expectCell(double got, const std::string &cell, size_t slot)
{
    if (cell.empty()) {
        EXPECT_EQ(std::bit_cast<uint64_t>(got), ORV_MISSING_BITS) << "slot " << slot << " got " << got;
    } else if (cell == "D") {
        EXPECT_EQ(std::bit_cast<uint64_t>(got), std::bit_cast<uint64_t>(skMissVal('D'))) << "slot " << slot;
    } else {
        const double expected = std::stod(cell);
        EXPECT_NEAR(got, expected, 1e-9 * std::max(1.0, std::fabs(expected))) << "slot " << slot;
    }
}

class SeriesOracle : public ::testing::Test {
protected:
    void SetUp() override { library_.write("daily", oracleText("series_daily.csv"), kDailySidecar); }

    orvtest::RoadSettings settings(const std::string &interval, int method) const
    {
        orvtest::RoadSettings s;
        s.member = "daily";
        s.by = {"grp"};
        s.id = "date";
        s.vars = {"x", "y"};
        s.interval = interval;
        s.accumulate = method;
        return s;
    }

    /* Compares each group's final time IDs and accumulated series. */
    void compare(const orvtest::RoadResult &result, const ExpectedSet &expected,
                 const std::vector<std::string> &vars)
    {
        ASSERT_EQ(result.setupStatus, 0);
        ASSERT_EQ(result.groups.size(), 2u);
        const char *groups[] = {"A", "B"};
        for (size_t g = 0; g < 2; ++g) {
            const orvtest::RoadGroup &group = result.groups[g];
            ASSERT_EQ(group.readStatus, 0);
            ASSERT_EQ(group.accumulateStatus, 0);
            for (const std::string &var : vars) {
                SCOPED_TRACE(std::string("group ") + groups[g] + " var " + var);
                const Expected &e = expected.at({groups[g], var});
                ASSERT_EQ(group.timeIds, e.slots);
                const size_t v = var == "x" ? 0 : 1;
                ASSERT_EQ(group.acc[v].size(), e.cells.size());
                for (size_t i = 0; i < e.cells.size(); ++i) expectCell(group.acc[v][i], e.cells[i], i);
            }
        }
    }

    orvtest::SeriesLibrary library_;
};

TEST_F(SeriesOracle, AccumulationMethodsMatchPandas)
{
    const std::map<std::string, int> methods = {
        {"NONE", ZTS_ACC_NONE},       {"TOTAL", ZTS_ACC_TOTAL},     {"AVERAGE", ZTS_ACC_AVERAGE},
        {"FIRST", ZTS_ACC_FIRST},     {"LAST", ZTS_ACC_LAST},       {"MINIMUM", ZTS_ACC_MINIMUM},
        {"MAXIMUM", ZTS_ACC_MAXIMUM}, {"MEDIAN", ZTS_ACC_MEDIAN},   {"STD", ZTS_ACC_STD},
        {"USS", ZTS_ACC_USS},         {"CSS", ZTS_ACC_CSS},         {"NOBS", ZTS_ACC_NOBS},
        {"N", ZTS_ACC_N},             {"NMISS", ZTS_ACC_NMISS},
    };
    const auto sets = accumulatedRows();
    size_t compared = 0;
    for (const char *interval : {"MONTH", "QTR", "WEEK"}) {
        for (const auto &[name, code] : methods) {
            SCOPED_TRACE(std::string(interval) + " " + name);
            compare(orvtest::runReadRoad(settings(interval, code)), sets.at({interval, name}), {"x", "y"});
            ++compared;
        }
    }
    EXPECT_EQ(compared, 42u);
}

TEST_F(SeriesOracle, SetMissingMethodsMatchPandas)
{
    const std::map<std::string, int> methods = {
        {"SM_PREVIOUS", ZINT_SETMISS_PREVIOUS}, {"SM_NEXT", ZINT_SETMISS_NEXT},
        {"SM_MEAN", ZINT_SETMISS_MEAN},         {"SM_MEDIAN", ZINT_SETMISS_MEDIAN},
        {"SM_FIRST", ZINT_SETMISS_FIRST},       {"SM_LAST", ZINT_SETMISS_LAST},
        {"SM_MINIMUM", ZINT_SETMISS_MINIMUM},   {"SM_MAXIMUM", ZINT_SETMISS_MAXIMUM},
    };
    const auto sets = accumulatedRows();
    for (const char *interval : {"MONTH", "QTR", "WEEK"}) {
        for (const auto &[name, code] : methods) {
            SCOPED_TRACE(std::string(interval) + " " + name);
            orvtest::RoadSettings s = settings(interval, ZTS_ACC_TOTAL);
            s.setMissing = code;
            compare(orvtest::runReadRoad(s), sets.at({interval, name}), {"x"});
        }
    }
}

TEST_F(SeriesOracle, TimeSlotIndicesMatchPeriodOrdinals)
{
    std::map<std::pair<std::string, std::string>, std::vector<int64_t>> expected;
    std::map<std::pair<std::string, std::string>, std::vector<double>> dates;
    for (const orvtest::CsvRow &row : orvtest::readOracleCsv("series_indices.csv")) {
        expected[{row.fields[0], row.fields[1]}].push_back(row.integer(3));
        dates[{row.fields[0], row.fields[1]}].push_back(row.number(2));
    }
    for (const char *interval : {"MONTH", "QTR.2", "YEAR.7", "WEEK"}) {
        const orvtest::RoadResult result = orvtest::runReadRoad(settings(interval, ZTS_ACC_TOTAL));
        ASSERT_EQ(result.groups.size(), 2u);
        const char *groups[] = {"A", "B"};
        for (size_t g = 0; g < 2; ++g) {
            SCOPED_TRACE(std::string(interval) + " group " + groups[g]);
            ASSERT_EQ(result.groups[g].readStatus, 0);
            EXPECT_EQ(result.groups[g].rawIds, (dates[{interval, groups[g]}]));
            EXPECT_EQ(result.groups[g].obsIndex, (expected[{interval, groups[g]}]));
        }
    }
}

}  // namespace
