/*
 * regression_matrix_test.cpp - group regression matrices: the predefined
 * groups MONTHS (and SEASONAL resolving to it) and DAYS against pandas
 * get_dummies (tests/oracle/event_group_matrix.py), member lists worked
 * out by hand (an event that never occurs, an unknown member, a DATEKEY
 * member, a nested group), and the failures of ZTSEVGetGroup.
 *
 * (date(2020, 1, 1) - date(1960, 1, 1)).days = 21915 (Python's datetime).
 */
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "event/event_list.h"
#include "event/event_names.h"
#include "event/regression_matrix.h"
#include "host/civil_days.h"
#include "tests/event/dummy_series.h"
#include "tests/interval/oracle_csv.h"
#include "tests/support/module_host.h"

namespace {

/* Days since 1 January 1960 of a civil date. */
double day(int year, int month, int dayOfMonth) { return double(orvDaysFromCivil(year, month, dayOfMonth)); }

std::vector<double> column(const ZTSEV_REGMATRIX *m, int64_t j)
{
    return std::vector<double>(m->data + j * m->nobs, m->data + (j + 1) * m->nobs);
}

std::string text(const ORV_COUNTED_NAME &name) { return std::string(name.text, size_t(name.length)); }

/* The oracle's matrix of a case: one vector per column. */
std::vector<std::vector<double>> oracleMatrix(const std::string &which, std::vector<double> *dates)
{
    std::map<int, std::vector<double>> columns;
    for (const orvtest::CsvRow &row : orvtest::readOracleCsv("event_group_matrix.csv")) {
        if (row.fields[0] != which) continue;
        const int j = int(row.integer(2));
        if (j == 0) {
            const std::string &d = row.fields[1];
            dates->push_back(day(std::stoi(d.substr(0, 4)), std::stoi(d.substr(5, 2)), std::stoi(d.substr(8, 2))));
        }
        columns[j].push_back(row.number(3));
    }
    std::vector<std::vector<double>> out;
    for (auto &[j, values] : columns) out.push_back(values);
    return out;
}

class RegressionMatrix : public ::testing::Test {
protected:
    void SetUp() override
    {
        orvtest::moduleHost();
        list_ = ZTSEVNewEventList(nullptr);
        ASSERT_NE(list_, nullptr);
    }

    /* A member-name list; every name is added, known or not. */
    ZTSEVEventNamelist *names(const std::vector<const char *> &members)
    {
        ZTSEVEventNamelist *out = nullptr;
        for (const char *name : members) EXPECT_EQ(ZTSEVAddEventName(list_, &out, name, ZTSEV_NAMES_ANY), 0) << name;
        return out;
    }

    ZTSEV_LIST *list_ = nullptr;
    MEMORY_OBJECT *pool_ = nullptr;
};

TEST_F(RegressionMatrix, PredefinedGroupsMatchPandasGetDummies)
{
    struct Case {
        const char *id;
        const char *group;
        const char *oracle;
        const char *interval;
    };
    const Case cases[] = {
        {"MONTHS", "MONTHS", "months", "MONTH"},
        {"SEASONAL on monthly data", "SEASONAL", "months", "MONTH"},
        {"DAYS", "DAYS", "days", "DAY"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<double> dates;
        const auto expected = oracleMatrix(c.oracle, &dates);
        ASSERT_FALSE(expected.empty());
        orvtest::TestSeries series;
        orvtest::makeSeries(series, c.interval, dates[0], int64_t(dates.size()));
        ASSERT_EQ(series.ids, dates);
        int status = -1;
        ZTSEVEventNamelist *members = nullptr;
        ZTSEV_REGMATRIX *m = ZTSEVGetGroup(c.group, list_, &series.block, &pool_, &members, &status);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(status, 0);
        EXPECT_NE(members, nullptr);
        ASSERT_EQ(m->columnCount, int64_t(expected.size()));
        EXPECT_EQ(m->nobs, int64_t(dates.size()));
        for (size_t j = 0; j < expected.size(); ++j) {
            EXPECT_EQ(column(m, int64_t(j)), expected[j]) << "column " << j << ": " << orvtest::show(column(m, int64_t(j)));
            EXPECT_EQ(m->allZero[j], 0) << j;
            EXPECT_EQ(m->constant[j], 0) << j;
        }
        EXPECT_EQ(ZTSEVDeleteRegmatrix(m), 0);
    }
}

TEST_F(RegressionMatrix, ASecondCallReusesTheGroupEvent)
{
    orvtest::TestSeries series;
    orvtest::makeSeries(series, "MONTH", day(2020, 1, 1), 12);
    int status = -1;
    ZTSEVEventNamelist *members = nullptr;
    ZTSEV_REGMATRIX *first = ZTSEVGetGroup("months", list_, &series.block, &pool_, &members, &status);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(text(first->groupName), "months");
    const int32_t events = list_->eventCount;
    ZTSEVEventNamelist *again = nullptr;
    ZTSEV_REGMATRIX *second = ZTSEVGetGroup("MONTHS", list_, &series.block, &pool_, &again, &status);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(list_->eventCount, events);
    EXPECT_EQ(again, members);
    int k = 0;
    ZTSEV_EVENT *group = ZTSEVFindEventDup(list_, "MONTHS", &k, &status);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(k, 1);
    EXPECT_EQ(group->cls, ZTSEV_CLASS_COMPLEX);
    for (int64_t j = 0; j < 12; ++j) EXPECT_EQ(column(first, j), column(second, j)) << j;
    ZTSEVDeleteRegmatrix(first);
    ZTSEVDeleteRegmatrix(second);
    EXPECT_EQ(ZTSEVDeleteRegmatrix(nullptr), 0);
}

/* Member lists over January to December 2020, one line per case: the
 * columns expected (1 = a pulse at that month, L = a level shift from it,
 * 0 = no column of its own) and the status. */
TEST_F(RegressionMatrix, MemberListsByHand)
{
    orvtest::TestSeries series;
    orvtest::makeSeries(series, "MONTH", day(2020, 1, 1), 12);
    /* A date key of a date-key data set (class DATEKEY) pulsing in April. */
    int status = -1;
    ZTSEVEventNamelist *probe = names({"AO01APR2020D"});
    ASSERT_NE(probe, nullptr);
    ZTSEV_EVENT *key = ZTSEVFindEvent(list_, "AO01APR2020D", &status);
    ASSERT_NE(key, nullptr);
    key->cls = ZTSEV_CLASS_DATEKEY;
    /* A nested group. */
    ZTSEV_REGMATRIX *nested = ZTSEVGetGroup("QTRS", list_, &series.block, &pool_, nullptr, &status);
    ASSERT_NE(nested, nullptr);
    ZTSEVDeleteRegmatrix(nested);

    std::vector<double> march(12, 0.0), april(12, 0.0), fromJune(12, 0.0), zeros(12, 0.0);
    march[2] = 1;
    april[3] = 1;
    for (int i = 5; i < 12; ++i) fromJune[i] = 1;
    struct Case {
        const char *id;
        std::vector<const char *> members;
        std::vector<std::vector<double>> columns;
        std::vector<int> allZero, constant;
        int status;
    };
    const std::vector<Case> cases = {
        {"three simple events, one never occurring", {"AO01MAR2020D", "AO01MAR2019D", "LS01JUN2020D"},
         {march, zeros, fromJune}, {0, 1, 0}, {0, 1, 0}, 0},
        {"unknown second member", {"AO01MAR2020D", "NOSUCHEVENT", "LS01JUN2020D"}, {march}, {0}, {0}, 3},
        {"unknown first member", {"NOSUCHEVENT"}, {}, {}, {}, 3},
        {"a DATEKEY member gets its own dummy", {"LS01JUN2020D", "AO01APR2020D"}, {fromJune, april}, {0, 0},
         {0, 0}, 0},
        {"a nested group is a zero column", {"LS01JUN2020D", "QTRS"}, {fromJune, zeros}, {0, 1}, {0, 1}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZTSEVEventNamelist *members = names(c.members);
        ZTSEV_REGMATRIX *m = ZTSEVGetRegMatrix(&members, list_, &series.block, &pool_, &status);
        EXPECT_EQ(status, c.status);
        if (c.columns.empty()) {
            EXPECT_EQ(m, nullptr);
            continue;
        }
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(text(m->groupName), "");
        ASSERT_EQ(m->columnCount, int64_t(c.columns.size()));
        for (size_t j = 0; j < c.columns.size(); ++j) {
            EXPECT_EQ(column(m, int64_t(j)), c.columns[j]) << "column " << j << ": " << orvtest::show(column(m, int64_t(j)));
            EXPECT_EQ(m->allZero[j], c.allZero[j]) << j;
            EXPECT_EQ(m->constant[j], c.constant[j]) << j;
        }
        ZTSEVDeleteRegmatrix(m);
    }
    ZTSEVEventNamelist *none = nullptr;
    EXPECT_EQ(ZTSEVGetRegMatrix(&none, list_, &series.block, &pool_, &status), nullptr);
    EXPECT_EQ(status, 0);
}

/* ZTSEVGetGroup's failures, one line per case; none may leave an event. */
TEST_F(RegressionMatrix, GroupFailures)
{
    orvtest::TestSeries monthly, plain;
    orvtest::makeSeries(monthly, "MONTH", day(2020, 1, 1), 12);
    /* A series without an interval: observation numbers 1 to 5. */
    plain.ids = {1, 2, 3, 4, 5};
    plain.block.firstTimeId = 1;
    plain.block.timeIds = plain.ids.data();
    plain.block.count = 5;
    orvtest::TestSeries empty;
    orvtest::makeSeries(empty, "MONTH", day(2020, 1, 1), 0);
    names({"AO01MAR2020D"});
    /* A group whose 32-character name a longer one would be cut to. */
    int made = -1;
    ZTSEV_EVENT *group = ZTSEVNewItem(list_, nullptr, "GROUPOFTHIRTYTWOCHARACTERSXXXXXX", ZTSEV_CLASS_COMPLEX, &made);
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(ZTSEVAddEventName(list_, &group->members, "AO01MAR2020D", ZTSEV_NAMES_ANY), 0);

    struct Case {
        const char *id;
        const char *name;
        const ZTSEV_SERIES *series;
        bool withList;
        int status;
        bool gone;  /* no event of that name may stay behind */
    };
    const Case cases[] = {
        {"a simple event", "AO01MAR2020D", &monthly.block, true, 31, false},
        {"neither event nor group word", "NOSUCHGROUP", &monthly.block, true, 32, true},
        {"name over 32 characters", "GROUPOFTHIRTYTWOCHARACTERSXXXXXXZ", &monthly.block, true, 32, false},
        {"WEEKDAYS without a series interval", "WEEKDAYS", &plain.block, true, 34, false},
        {"YEARS without a series interval", "YEARS", &plain.block, true, 34, false},
        {"no time IDs", "MONTHS", &empty.block, true, 10, false},
        {"no list", "MONTHS", &monthly.block, false, 2, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const int32_t before = list_->eventCount;
        int status = -1;
        ZTSEVEventNamelist *members = nullptr;
        ZTSEV_REGMATRIX *m = ZTSEVGetGroup(c.name, c.withList ? list_ : nullptr, c.series, &pool_, &members, &status);
        EXPECT_EQ(m, nullptr);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(members, nullptr);
        int found = -1;
        if (c.gone) {
            EXPECT_EQ(ZTSEVFindEvent(list_, c.name, &found), nullptr);
        }
        if (c.status == ZTSEV_NOT_GROUP) {
            EXPECT_EQ(list_->eventCount, before);
        }
    }
}

}  // namespace
