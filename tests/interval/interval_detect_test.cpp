/*
 * interval_detect_test.cpp - interval detection: zintget and zintfit on
 * values worked out by hand, zintdgv and zintdcv on short series, the
 * readers of an open BY group and of a named data set, and a differential
 * sweep against pandas.infer_freq over regular series built with
 * pandas.date_range (tests/oracle/interval_detect.py).
 *
 * Day numbers: day 0 is Friday 1 January 1960.
 */
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/civil_days.h"
#include "host/host_records.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "interval/interval_detect.h"
#include "interval/interval_fit.h"
#include "interval/interval_names.h"
#include "tests/interval/oracle_csv.h"
#include "tests/support/module_host.h"

namespace {

double day(int64_t year, int month, int dayOfMonth) { return double(orvDaysFromCivil(year, month, dayOfMonth)); }
double at(int64_t year, int month, int dayOfMonth, int hour = 0, int minute = 0, int second = 0)
{
    return day(year, month, dayOfMonth) * 86400 + hour * 3600 + minute * 60 + second;
}

std::string nameOf(const ZINT_DESC &desc) { return std::string(desc.name, size_t(desc.nameLength)); }
std::string formatOf(const ZINT_INFO &info)
{
    return std::string(info.formatName, size_t(info.formatNameLength));
}

/* The descriptor must be what its own name parses to, so that callers may
 * trust either. */
void expectConsistent(const ZINT_DESC &desc)
{
    ZINT_DESC parsed;
    ASSERT_EQ(zintstr(desc.name, desc.nameLength, &parsed), 0) << nameOf(desc);
    EXPECT_EQ(parsed.kind, desc.kind) << nameOf(desc);
    EXPECT_EQ(parsed.code, desc.code) << nameOf(desc);
    EXPECT_EQ(parsed.multiplier, desc.multiplier) << nameOf(desc);
    EXPECT_EQ(parsed.shift, desc.shift) << nameOf(desc);
}

TEST(IntervalDetect, ThreeValues)
{
    orvtest::moduleHost();
    struct Case {
        const char *id;
        double x1, x2, x3;
        int rc;
        const char *name;  /* expected descriptor name ("" = not checked) */
        const char *cycle; /* expected season cycle name */
        unsigned seasons;
        const char *format;
    };
    const Case cases[] = {
        {"small day numbers are observations", 1, 2, 3, 0, "1", "", 0, "F"},
        {"observations every 2", 2, 4, 6, 0, "2", "", 0, "F"},
        {"odd observations every 2 keep the shift", 1, 3, 5, 0, "OBS2.2", "", 0, "F"},
        {"gaps 2 and 3", 2, 4, 7, 1, "NONE", "", 0, ""},
        {"quarter starts", day(1985, 1, 1), day(1985, 4, 1), day(1985, 7, 1), 0, "QTR", "YEAR", 4, "YYQC"},
        {"1 July of three years", day(1990, 7, 1), day(1991, 7, 1), day(1992, 7, 1), 0, "YEAR.7", "YEAR", 1, "MONYY"},
        {"15th of three months", day(1985, 1, 15), day(1985, 2, 15), day(1985, 3, 15), 0, "MONTH", "YEAR", 12, "MONYY"},
        {"last days of three months", day(1985, 1, 31), day(1985, 2, 28), day(1985, 3, 31), 0, "MONTH", "YEAR", 12, "MONYY"},
        {"hours of 1 January 1960", 0, 3600, 7200, 0, "HOUR", "DTDAY", 24, "DATETIME"},
        {"every other month", day(1985, 1, 1), day(1985, 3, 1), day(1985, 5, 1), 0, "MONTH2", "YEAR", 6, "MONYY"},
        {"semimonths", day(1985, 1, 1), day(1985, 1, 16), day(1985, 2, 1), 0, "SEMIMONTH", "YEAR", 24, "DATE"},
        {"tendays", day(1985, 1, 11), day(1985, 1, 21), day(1985, 2, 1), 0, "TENDAY", "YEAR", 36, "DATE"},
        {"Mondays", day(1985, 1, 7), day(1985, 1, 14), day(1985, 1, 28), 0, "WEEK.2", "YEAR", 52, "WEEKDATX"},
        {"datetimes at noon, daily", at(1985, 1, 1, 12), at(1985, 1, 2, 12), at(1985, 1, 3, 12), 0, "DTDAY", "DTWEEK", 7, "DTDATE"},
        {"datetime month starts", at(1985, 1, 1), at(1985, 2, 1), at(1985, 3, 1), 0, "DTMONTH", "DTYEAR", 12, "DTMONYY"},
        {"hours at odd hours", at(1985, 1, 1, 1), at(1985, 1, 1, 3), at(1985, 1, 1, 5), 0, "HOUR2.2", "DTDAY", 12, "DATETIME"},
        {"quarter hours at 5 past", at(1985, 1, 1, 1, 5), at(1985, 1, 1, 1, 20), at(1985, 1, 1, 1, 50), 0, "MINUTE15.6", "HOUR", 4, "DATETIME"},
        {"seconds", at(1985, 1, 1, 1, 5, 1), at(1985, 1, 1, 1, 5, 2), at(1985, 1, 1, 1, 5, 4), 0, "SECOND", "MINUTE", 60, "DATETIME"},
        {"missing value", 1, orvMissing(), 3, 2, "", "", 0, ""},
        {"equal values", 5, 5, 6, 3, "", "", 0, ""},
        /* Day numbers below -86400 are datetimes too, so only datetimes
         * can lie before 1582. */
        {"datetimes before 1582", at(1500, 1, 1), at(1500, 1, 2), at(1500, 1, 3), 3, "", "", 0, ""},
        {"datetimes after 20000", at(19999, 1, 1), at(20000, 1, 1), at(20001, 1, 1), 3, "", "", 0, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZINT_DESC desc;
        ZINT_INFO info;
        EXPECT_EQ(zintget(&desc, &info, c.x1, c.x2, c.x3), c.rc);
        if (c.rc == 0) {
            EXPECT_EQ(nameOf(desc), c.name);
            expectConsistent(desc);
            EXPECT_EQ(nameOf(info.seasonCycle), c.cycle);
            EXPECT_EQ(info.seasonCount, c.seasons);
            EXPECT_EQ(formatOf(info), c.format);
        } else if (c.rc == 1) {
            EXPECT_EQ(desc.kind, 'u');
            EXPECT_EQ(desc.code, ZINT_NONE);
            EXPECT_EQ(desc.multiplier, 1);
            EXPECT_EQ(info.formatNameLength, 0);
        } else {
            const ZINT_DESC zero{};
            EXPECT_EQ(std::memcmp(&desc, &zero, sizeof desc), 0);
        }
    }
}

TEST(IntervalDetect, TwoValuesOfAKind)
{
    orvtest::moduleHost();
    struct Case {
        const char *id;
        const char *kind;
        double x1, x2;
        int rc;
        const char *name;
    };
    const Case cases[] = {
        {"Friday to Monday", "d", day(1985, 1, 4), day(1985, 1, 7), 0, "WEEKDAY"},
        {"1st to 16th", "d", day(1985, 3, 1), day(1985, 3, 16), 0, "SEMIMONTH"},
        {"one day at once", "d", day(1985, 3, 5), day(1985, 3, 6), 0, "DAY"},
        {"three days from day 9132", "d", day(1985, 1, 1), day(1985, 1, 4), 0, "DAY3"},
        {"three days from day 9133", "d", day(1985, 1, 2), day(1985, 1, 5), 0, "DAY3.2"},
        {"a week from a Wednesday", "d", day(1985, 1, 2), day(1985, 1, 9), 0, "WEEK.4"},
        {"11th to 21st", "d", day(1985, 3, 11), day(1985, 3, 21), 0, "TENDAY"},
        {"a quarter", "d", day(1985, 2, 1), day(1985, 5, 1), 0, "QTR.2"},
        {"a half year", "d", day(1985, 1, 1), day(1985, 7, 1), 0, "SEMIYEAR"},
        {"a year from 1 March", "d", day(1985, 3, 1), day(1986, 3, 1), 0, "YEAR.3"},
        {"month ends", "d", day(1985, 1, 31), day(1985, 2, 28), 0, "MONTH"},
        /* WEEK52 periods start on days congruent to -5 modulo 364: 9095 holds
         * 6 January 1985 (day 9137), 42 days in. */
        {"364 days from a Sunday", "d", day(1985, 1, 6), day(1986, 1, 5), 0, "WEEK52.43"},
        /* SEMIMONTH fails (3rd to 18th), TENDAY2 (tendays 900 and 902) fits. */
        {"20 days", "d", day(1985, 1, 3), day(1985, 1, 23), 0, "TENDAY2"},
        {"two hours", "s", at(1985, 1, 1, 3), at(1985, 1, 1, 5), 0, "DTHOUR2.2"},
        {"90 seconds", "s", at(1985, 1, 1, 3, 0, 30), at(1985, 1, 1, 3, 2), 0, "DTSECOND90.31"},
        {"a month of datetimes", "s", at(1985, 1, 1, 6), at(1985, 2, 1, 6), 0, "DTMONTH"},
        {"observations", "o", 4, 7, 0, "OBS3.2"},
        {"unknown kind", "x", 4, 7, 1, "NONE"},
        {"missing", "d", orvMissing(), 7, 2, ""},
        {"not increasing", "d", 7, 7.5, 3, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZINT_DESC desc;
        ZINT_INFO info;
        EXPECT_EQ(zintfit(c.kind, &desc, &info, c.x1, c.x2), c.rc);
        if (c.rc <= 1) {
            EXPECT_EQ(nameOf(desc), c.name);
        }
        if (c.rc == 0) expectConsistent(desc);
    }

    /* The information record of a datetime fit is that of the datetime
     * interval, not of the days it was found on. */
    ZINT_DESC desc;
    ZINT_INFO info;
    ASSERT_EQ(zintfit("s", &desc, &info, at(1985, 1, 1, 6), at(1985, 2, 1, 6)), 0);
    EXPECT_EQ(formatOf(info), "DTMONYY");
    EXPECT_EQ(nameOf(info.seasonCycle), "DTYEAR");
    EXPECT_EQ(info.seasonCycle.kind, 's');
}

TEST(IntervalDetect, NamesThatWouldNotFit)
{
    orvtest::moduleHost();
    /* 16 January 2010 to 1 October 2106: SEMIMONTH2321.1202 (semimonth
     * 1201 of a 2321-semimonth period) fits the days, and its DT form
     * fits a descriptor. */
    ZINT_DESC desc;
    EXPECT_EQ(zintfit("s", &desc, nullptr, at(2010, 1, 16), at(2106, 10, 1)), 0);
    EXPECT_EQ(nameOf(desc), "DTSEMIMONTH2321.1202");
    /* To 1 October 7010 it is SEMIMONTH120017.1202: 22 characters in DT
     * form, so no fit rather than a cut name. */
    EXPECT_EQ(zintfit("d", &desc, nullptr, day(2010, 1, 16), day(7010, 10, 1)), 0);
    EXPECT_EQ(nameOf(desc), "SEMIMONTH120017.1202");
    EXPECT_EQ(zintfit("s", &desc, nullptr, at(2010, 1, 16), at(7010, 10, 1)), 1);
    EXPECT_EQ(desc.code, ZINT_NONE);
    /* A SECOND multiplier beyond 32 bits is no fit either. */
    EXPECT_EQ(zintfit("s", &desc, nullptr, at(1900, 1, 1, 0, 0, 1), at(2050, 1, 1, 0, 0, 3)), 1);
    EXPECT_EQ(desc.code, ZINT_NONE);
}

TEST(IntervalDetect, CandidateTest)
{
    orvtest::moduleHost();
    ZINT_DESC month;
    ASSERT_EQ(zintstr("MONTH", -1, &month), 0);
    struct Case {
        const char *id;
        const char *candidate;
        int k;
        double x1, x2, x3;
        int fits;
        const char *name;
    };
    const Case cases[] = {
        {"1 July of three years", "YEAR", 12, day(1990, 7, 1), day(1991, 7, 1), day(1992, 7, 1), 1, "YEAR.7"},
        {"every other month", "MONTH", 1, day(1990, 1, 1), day(1990, 3, 1), day(1990, 5, 1), 1, "MONTH2"},
        /* Counts of 0 or below never make a whole ratio: -2 and 4 would
         * divide to -2. */
        {"a count below 0", "MONTH", 1, day(1990, 3, 1), day(1990, 1, 1), day(1990, 5, 1), 0, "MONTH"},
        {"a count of 0", "MONTH", 1, day(1990, 1, 1), day(1990, 1, 15), day(1990, 2, 1), 0, "MONTH"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZINT_DESC candidate;
        ASSERT_EQ(zintstr(c.candidate, -1, &candidate), 0);
        EXPECT_EQ(test(&candidate, &month, c.k, c.x1, c.x2, c.x3), c.fits);
        EXPECT_EQ(nameOf(candidate), c.name);
    }
}

TEST(IntervalDetect, Series)
{
    orvtest::moduleHost();
    std::vector<double> weekdays;
    for (double d = day(1985, 1, 7); d < day(1985, 1, 26); ++d)
        if (int64_t(d + 5) % 7 != 0 && int64_t(d + 5) % 7 != 6) weekdays.push_back(d);
    std::vector<double> gappedDays = {day(1985, 1, 1), day(1985, 1, 2), day(1985, 1, 3), day(1985, 1, 7)};
    std::vector<double> months = {day(1985, 1, 1), day(1985, 2, 1), day(1985, 3, 1), day(1985, 5, 1)};
    std::vector<double> misplaced = {day(1985, 1, 1), day(1985, 2, 1), day(1985, 3, 1), day(1985, 3, 20)};
    struct Case {
        const char *id;
        std::vector<double> values;
        int rc;
        const char *name;
    };
    const Case cases[] = {
        {"working days of three weeks", weekdays, 0, "WEEKDAY"},
        /* Tuesday to Thursday, then Monday: two working days on. */
        {"days with a gap over a weekend", gappedDays, 1, "WEEKDAY"},
        {"months with a gap", months, 1, "MONTH"},
        {"a value inside a month", misplaced, 2, "NONE"},
        {"two values", {1, 2}, 30, ""},
        {"missing first value", {orvMissing(), 2, 3}, 10, ""},
        {"missing later value", {1, 2, orvMissing(), 4}, 10, ""},
        {"descending", {1, 3, 2}, 20, ""},
        {"two equal neighbours", {1, 2, 2, 3}, 21, ""},
        {"regular observations", {10, 20, 30, 40}, 0, "10"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZINT_DESC desc;
        ZINT_INFO info;
        EXPECT_EQ(zintdgv(c.values.data(), int64_t(c.values.size()), &desc, &info), c.rc);
        if (c.rc <= 2) {
            EXPECT_EQ(nameOf(desc), c.name);
        }
        if (c.rc <= 1) {
            EXPECT_GT(info.formatNameLength, 0);
        }
        if (c.rc > 1) {
            EXPECT_EQ(info.formatNameLength, 0);
        }
    }

    /* The WEEKDAY answer carries its own information record. */
    ZINT_DESC desc;
    ZINT_INFO info;
    ASSERT_EQ(zintdgv(weekdays.data(), int64_t(weekdays.size()), &desc, &info), 0);
    EXPECT_EQ(nameOf(info.seasonCycle), "WEEK");
    EXPECT_EQ(info.seasonCount, 5u);
    EXPECT_EQ(formatOf(info), "DATE");
}

TEST(IntervalDetect, CheckOfASeries)
{
    orvtest::moduleHost();
    ZINT_DESC weekday, month, day1;
    ASSERT_EQ(zintstr("WEEKDAY", -1, &weekday), 0);
    ASSERT_EQ(zintstr("MONTH", -1, &month), 0);
    ASSERT_EQ(zintstr("DAY", -1, &day1), 0);
    struct Case {
        const char *id;
        const ZINT_DESC *desc;
        std::vector<double> values;
        int rc;
    };
    const Case cases[] = {
        {"one value", &month, {5}, 0},
        {"working days", &weekday, {day(1985, 1, 4), day(1985, 1, 7), day(1985, 1, 8)}, 0},
        {"a Saturday among working days", &weekday, {day(1985, 1, 4), day(1985, 1, 5), day(1985, 1, 7)}, 2},
        {"a date WEEKDAY beyond day 86400", &weekday, {86401, 86402, 86403}, 2},
        {"a month skipped", &month, {day(1985, 1, 1), day(1985, 3, 1)}, 1},
        {"two values in one month", &month, {day(1985, 1, 1), day(1985, 1, 20)}, 2},
        {"out of the valid range", &day1, {day(1990, 1, 1), 1e9}, 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(zintdcv(c.values.data(), int64_t(c.values.size()), c.desc), c.rc);
    }
}

/* A host library with one data set whose BY groups are two series. */
class DetectDataSet : public ::testing::Test {
protected:
    void SetUp() override
    {
        orvtest::moduleHost();
        char pattern[] = "/tmp/orvdetect-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::string error;
        ASSERT_TRUE(orvtest::moduleHost().dataSets().libraries().assign("DET", dir_, error)) << error;
        std::ofstream csv(dir_ + "/series.csv");
        csv << "grp,t,label\n";
        for (int m = 1; m <= 6; ++m) csv << "A," << day(1990, m, 1) << ",x\n";
        for (double d = day(1990, 7, 1); d < day(1990, 7, 6); ++d) csv << "B," << d << ",y\n";
    }

    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string dir_;
};

TEST_F(DetectDataSet, NamedDataSetAndVariable)
{
    struct Case {
        const char *id;
        const char *dataSet;
        const char *variable;
        int rc;
        const char *name;
    };
    /* Without BY variables the whole data set is one series: the first of
     * January to June 1990, then 1 to 5 July.  The closest triple gives
     * DAY, which leaves gaps; of the WEEKDAY intervals only WEEKDAY7W has
     * every value on a working day (1 April and 1 July are Sundays, no
     * value is a Saturday). */
    const Case cases[] = {
        {"months then days", "DET.SERIES", "t", 1, "WEEKDAY7W"},
        {"no such data set", "DET.NOTHERE", "t", 103, ""},
        {"libref too long", "LONGLIBREF.SERIES", "t", 102, ""},
        {"not a name", "DET.A.B", "t", 102, ""},
        {"no such variable", "DET.SERIES", "u", 104, ""},
        {"empty variable name", "DET.SERIES", "", 104, ""},
        {"character variable", "DET.SERIES", "label", 105, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZINT_DESC desc;
        ZINT_INFO info;
        EXPECT_EQ(zintdgd(c.dataSet, int(std::strlen(c.dataSet)), c.variable, int(std::strlen(c.variable)), &desc, &info),
                  c.rc);
        if (c.rc <= 2) {
            EXPECT_EQ(nameOf(desc), c.name);
        }
    }
    orvtest::takeLog();

    ZINT_DESC month;
    ASSERT_EQ(zintstr("MONTH", -1, &month), 0);
    double firstLast[2] = {0, 0};
    /* Monthly up to 1 July; 2 July lies in the same month. */
    EXPECT_EQ(zintdcd("DET.SERIES", 10, "t", 1, &month, firstLast), 2);
    EXPECT_EQ(firstLast[0], day(1990, 1, 1));
    EXPECT_EQ(firstLast[1], day(1990, 7, 2));
}

TEST_F(DetectDataSet, ByGroupsOfAnOpenReader)
{
    DATA_SET_OPEN_REQUEST request;
    std::memset(&request, 0, sizeof request);
    std::memset(request.libref, ' ', sizeof request.libref);
    std::memcpy(request.libref, "DET", 3);
    std::memset(request.member, ' ', sizeof request.member);
    std::memcpy(request.member, "SERIES", 6);
    request.memberLength = 6;
    void *handle = nullptr;
    ASSERT_EQ(xoopen(&request, &handle), 0);
    auto *reader = static_cast<DATA_SET_HANDLE *>(handle);
    ASSERT_EQ(orvtest::moduleHost().dataSets().setByList(reader, {1}, false), 0);
    int varNo = 0;
    ASSERT_EQ(xvfind(handle, "t", 1, &varNo), 0);

    struct Group {
        const char *id;
        const char *name;
        double first, last;
    };
    const Group groups[] = {{"group A: months", "MONTH", day(1990, 1, 1), day(1990, 6, 1)},
                            {"group B: days", "DAY", day(1990, 7, 1), day(1990, 7, 5)}};
    for (const Group &g : groups) {
        SCOPED_TRACE(g.id);
        ASSERT_GT(xbynext(handle), 0);
        ZINT_DESC desc;
        EXPECT_EQ(zintdgp(reader, varNo, &desc, nullptr), 0);
        EXPECT_EQ(nameOf(desc), g.name);
        double firstLast[2] = {0, 0};
        EXPECT_EQ(zintdcp(reader, varNo, &desc, firstLast), 0);
        EXPECT_EQ(firstLast[0], g.first);
        EXPECT_EQ(firstLast[1], g.last);
        /* The group was rewound: its first observation comes next. */
        void *ref = handle;
        ASSERT_EQ(xybyget(&ref), 0);
        double value = 0;
        ASSERT_EQ(xvget1f(handle, varNo, &value), 0);
        EXPECT_EQ(value, g.first);
    }
    EXPECT_EQ(xoclose(handle), 0);
}

TEST(IntervalDetect, AgreesWithPandasInferFreq)
{
    orvtest::moduleHost();
    const std::vector<orvtest::CsvRow> rows = orvtest::readOracleCsv("interval_detect.csv");
    ASSERT_GT(rows.size(), 80u);
    for (const orvtest::CsvRow &row : rows) {
        SCOPED_TRACE("line " + std::to_string(row.line) + ": " + row.fields.at(2) + " -> " + row.fields.at(4));
        std::vector<double> values;
        std::stringstream text(row.fields.at(5));
        for (double v = 0; text >> v;) values.push_back(v);
        ZINT_DESC expected;
        ASSERT_EQ(zintstr(row.fields.at(4).c_str(), -1, &expected), 0);
        ZINT_DESC desc;
        ZINT_INFO info;
        ASSERT_EQ(zintdgv(values.data(), int64_t(values.size()), &desc, &info), 0) << nameOf(desc);
        EXPECT_EQ(desc.code, expected.code) << nameOf(desc);
        EXPECT_EQ(desc.kind, expected.kind) << nameOf(desc);
        EXPECT_EQ(desc.multiplier, expected.multiplier) << nameOf(desc);
        EXPECT_EQ(desc.shift, expected.shift) << nameOf(desc);
        EXPECT_EQ(std::memcmp(desc.daysOff, expected.daysOff, 7), 0) << nameOf(desc);
        expectConsistent(desc);
    }
}

}  // namespace
