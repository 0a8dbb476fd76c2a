/*
 * series_fit_test.cpp - the fit and summary statistics against numpy,
 * scikit-learn and R's forecast package (tests/oracle/series_aux_fit.py:
 * series_fit_*.csv, series_summary.csv), and the choice of the better
 * statistic by hand.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/missing_values.h"
#include "series/series_fit.h"
#include "series/series_summary.h"
#include "tests/interval/oracle_csv.h"

namespace {

const double M = orvMissing();

std::string field(const orvtest::CsvRow &row, size_t i) { return i < row.fields.size() ? row.fields[i] : ""; }

double parsed(const std::string &text) { return text.empty() ? M : std::stod(text); }

void expectValue(double got, const std::string &expected, const std::string &what)
{
    if (expected.empty()) {
        EXPECT_EQ(std::bit_cast<uint64_t>(got), ORV_MISSING_BITS) << what << " got " << got;
        return;
    }
    const double want = std::stod(expected);
    EXPECT_NEAR(got, want, 1e-9 * std::max(1.0, std::fabs(want))) << what;
}

struct FitCase {
    int64_t k = 0;
    double previous = 0;
    std::vector<double> actual, predicted;
};

TEST(SeriesFit, StatisticsMatchNumpySklearnAndForecast)
{
    std::map<std::string, FitCase> cases;
    for (const orvtest::CsvRow &row : orvtest::readOracleCsv("series_fit_inputs.csv")) {
        FitCase &c = cases[row.fields[0]];
        c.k = row.integer(1);
        c.previous = parsed(field(row, 2));
        c.actual.push_back(parsed(field(row, 4)));
        c.predicted.push_back(parsed(field(row, 5)));
    }
    ASSERT_EQ(cases.size(), 6u);
    std::map<std::string, ZTS_FITREC> records;
    for (auto &[name, c] : cases) {
        ZTS_FITREC rec;
        ztssfit(c.actual.data(), c.predicted.data(), int64_t(c.actual.size()), c.k, &rec, c.previous);
        records[name] = rec;
    }
    const auto expected = orvtest::readOracleCsv("series_fit_expected.csv");
    ASSERT_EQ(expected.size(), 6u * 28u);
    for (const orvtest::CsvRow &row : expected) {
        const ZTS_FITREC &rec = records.at(row.fields[0]);
        const int value = int(row.integer(1));
        const std::string what = row.fields[0] + " value " + std::to_string(value) + " (line " +
                                 std::to_string(row.line) + ")";
        if (value < ZTS_FIT_USS)
            EXPECT_EQ(double(rec.counts[value]), row.number(2)) << what;
        else
            expectValue(rec.stats[value - ZTS_FIT_USS], field(row, 2), what);
    }
}

TEST(SeriesFit, ReturnsThePresentActualValuesAndGuardsItsArguments)
{
    const double actual[] = {1, M, 3, 4}, predicted[] = {M, 2, 3, M};
    ZTS_FITREC rec;
    /* The trimmed range is positions 1 and 2: one actual value there. */
    EXPECT_EQ(ztssfit(actual, predicted, 4, 0, &rec, M), 1);
    EXPECT_EQ(ztssfit(actual, predicted, 0, 0, &rec, M), 0);
    EXPECT_EQ(rec.counts[ZTS_FIT_GIVEN], 0);
    EXPECT_EQ(std::bit_cast<uint64_t>(rec.stats[0]), ORV_MISSING_BITS);
    EXPECT_EQ(ztssfit(nullptr, predicted, 4, 0, &rec, M), 0);
    EXPECT_EQ(ztssfit(actual, predicted, 4, 0, nullptr, M), 0);
}

TEST(SeriesFit, SelectionAndComparisonByHand)
{
    const double actual[] = {10, 12, 9, 14}, predicted[] = {11, 12, 10, 12};
    ZTS_FITREC rec;
    ztssfit(actual, predicted, 4, 1, &rec, M);
    EXPECT_EQ(ztssfs(&rec, 1), 6.0);   /* SSE: 1 + 0 + 1 + 4 */
    EXPECT_EQ(ztssfs(&rec, 2), 1.5);   /* MSE */
    EXPECT_EQ(ztssfs(&rec, 19), 0.0);  /* ME: (-1 + 0 - 1 + 2) / 4 */
    EXPECT_EQ(ztssfs(&rec, 15), 2.0);  /* largest error */
    EXPECT_EQ(ztssfs(&rec, 20), rec.stats[ZTS_FIT_MPE - ZTS_FIT_USS]);
    for (int index : {0, 21, -1})
        EXPECT_EQ(std::bit_cast<uint64_t>(ztssfs(&rec, index)), ORV_MISSING_BITS) << index;
    EXPECT_EQ(std::bit_cast<uint64_t>(ztssfs(nullptr, 1)), ORV_MISSING_BITS);

    struct Case {
        const char *id;
        int index;
        double a, b;
        int expected;
    };
    const Case cases[] = {
        {"rsquare larger wins", 8, 0.5, 0.9, 1},
        {"sse smaller wins", 1, 0.5, 0.9, 0},
        {"outside", 21, 1, 2, -2},
        {"zero index", 0, 1, 2, -2},
        {"both missing", 3, M, M, -1},
        {"a missing", 3, M, 2, 1},
        {"b missing", 11, 0.3, M, 0},
        {"rw_rsq", 11, 0.2, 0.3, 1},
        {"aic stays signed", 12, -10, -5, 0},
        {"sbc stays signed", 13, 5, -5, 1},
        {"me by magnitude", 19, -100, 0.1, 1},
        {"me by magnitude, b far", 19, 0.1, -100, 0},
        {"mpe by magnitude", 20, -3, 2, 1},
        {"largest error by magnitude", 15, 4, -5, 0},
        {"smallest pct error by magnitude", 18, -0.5, 0.25, 1},
        {"apc smaller", 14, 3, 2, 1},
        {"rsquare tie keeps a", 8, 0.7, 0.7, 0},
        {"sse tie keeps a", 1, 2, 2, 0},
        {"me tie of magnitude keeps a", 19, -3, 3, 0},
    };
    for (const Case &c : cases) EXPECT_EQ(ztssfc(c.index, c.a, c.b), c.expected) << c.id;
}

std::vector<double> cells(const std::string &text)
{
    std::vector<double> out;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ';')) out.push_back(parsed(item));
    if (!text.empty() && text.back() == ';') out.push_back(M);
    return out;
}

TEST(SeriesSummary, MatchesNumpy)
{
    const auto rows = orvtest::readOracleCsv("series_summary.csv");
    ASSERT_EQ(rows.size(), 6u);
    for (const orvtest::CsvRow &row : rows) {
        SCOPED_TRACE(row.fields[0]);
        const std::vector<double> values = cells(row.fields[1]);
        ASSERT_EQ(int64_t(values.size()), row.integer(2));
        ZTS_SUMMARY s;
        EXPECT_EQ(ztssumm(values.data(), int64_t(values.size()), &s), row.integer(3));
        EXPECT_EQ(s.count, row.integer(2));
        EXPECT_EQ(s.present, row.integer(3));
        EXPECT_EQ(s.missing, row.integer(4));
        EXPECT_EQ(s.shortestMissingRun, row.integer(5));
        EXPECT_EQ(s.longestMissingRun, row.integer(6));
        expectValue(s.minimum, field(row, 7), "minimum");
        expectValue(s.maximum, field(row, 8), "maximum");
        expectValue(s.mean, field(row, 9), "mean");
        expectValue(s.stdDev, field(row, 10), "standard deviation");
        expectValue(s.sum, field(row, 11), "sum");
    }
    ZTS_SUMMARY empty;
    EXPECT_EQ(ztssumm(nullptr, 0, &empty), 0);
    EXPECT_EQ(empty.count, 0);
    EXPECT_EQ(empty.longestMissingRun, 0);
    EXPECT_EQ(std::bit_cast<uint64_t>(empty.stdDev), ORV_MISSING_BITS);
}

}  // namespace
