/*
 * custom_ops_test.cpp - stepping, counting, seasons, formats and the time
 * index of custom intervals, against the pandas fiscal quarters of
 * tests/oracle/custom_intervals.py (custom_steps.csv, custom_timeid.csv)
 * and against cases worked out by hand, some on calendars the tests write.
 *
 * Day numbers of the calendar (fqend): the first quarter is 2017-02-01
 * (20851) to 2017-04-30 (20939); the second 20940 to 21031; the last
 * quarter 2021-11-01 (22585) to 2022-01-31 (22676).
 */
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "interval/custom_ops.h"
#include "interval/custom_timeid.h"
#include "interval/interval_formats.h"
#include "interval/interval_seasons.h"
#include "interval/intck.h"
#include "interval/intnx.h"
#include "interval/timeid_index.h"
#include "tests/interval/custom_test_support.h"
#include "tests/interval/oracle_csv.h"

namespace {

using orvtest::sameValue;
using orvtest::shown;
using orvtest::valueOf;

constexpr double kFirstBegin = 20851, kFirstEnd = 20939, kSecondBegin = 20940, kLastBegin = 22585,
                 kLastEnd = 22676;

class CustomOps : public ::testing::Test {
protected:
    void SetUp() override { orvtest::useIntervalDs(orvtest::kFiscalIntervals); }
};

/* A calendar the test writes, CAL of the library TC in a directory of its
 * own. */
class WrittenCalendar {
public:
    explicit WrittenCalendar(const std::string &csv)
    {
        char pattern[] = "/tmp/orv-calendar-XXXXXX";
        EXPECT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::ofstream(dir_ + "/cal.csv", std::ios::binary) << csv;
        std::string error;
        EXPECT_TRUE(orvtest::moduleHost().dataSets().libraries().assign("TC", dir_, error)) << error;
    }
    ~WrittenCalendar() { std::filesystem::remove_all(dir_); }
    void remove() const { std::filesystem::remove(dir_ + "/cal.csv"); }

private:
    std::string dir_;
};

/* One working record per call, released after it. */
template <typename F>
double onRecord(const char *name, F f)
{
    ZINT_SEAS rec{};
    rec.interval = orvtest::customDesc(name);
    const double result = f(&rec);
    EXPECT_EQ(zcintcReleaseRef(rec.customRef), 0);
    return result;
}

TEST_F(CustomOps, StepsAndCountsAgainstPandas)
{
    const std::vector<orvtest::CsvRow> rows = orvtest::readOracleCsv("custom_steps.csv");
    ASSERT_GT(rows.size(), 1000u);
    for (const orvtest::CsvRow &row : rows) {
        const std::string &name = row.fields[1], &function = row.fields[2];
        const double x = valueOf(row.fields[3]), n = valueOf(row.fields[4]), expected = valueOf(row.fields[5]);
        const ZINT_DESC desc = orvtest::customDesc(name.c_str());
        double got = orvMissing();
        if (function.rfind("INTNX_", 0) == 0)
            got = zintnx3(&desc, function[6], nullptr, x, n);
        else if (function == "INTCK")
            got = zintck2(&desc, x, n);
        else if (function == "INTINDEX")
            got = onRecord(name.c_str(), [&](ZINT_SEAS *rec) { return customINTINDEX(rec, x, n); });
        else if (function == "POS_B")
            got = onRecord(name.c_str(), [&](ZINT_SEAS *rec) { return customINTNX(rec, x, n); });
        else if (function == "POS_E")
            got = onRecord(name.c_str(), [&](ZINT_SEAS *rec) { return customINTNXE(rec, x, n); });
        EXPECT_TRUE(sameValue(got, expected))
            << "line " << row.line << " (id " << row.fields[0] << "): " << name << " " << function << "("
            << row.fields[3] << ", " << row.fields[4] << ") = " << shown(got) << ", expected " << row.fields[5];
    }
    EXPECT_EQ(orvtest::takeLog(), "");
}

TEST_F(CustomOps, TimeIndexAgainstPandasIntervalIndex)
{
    const std::vector<orvtest::CsvRow> rows = orvtest::readOracleCsv("custom_timeid.csv");
    ASSERT_GT(rows.size(), 30u);
    for (const orvtest::CsvRow &row : rows) {
        const double value = row.number(2);
        for (const char *align : {"B", "E", "M"}) {
            ZINT_CTID_WORK work{};
            work.start = orvMissing();
            work.interval.interval = orvtest::customDesc(row.fields[1].c_str());
            double values[1] = {value};
            work.values = values;
            work.count = 1;
            int64_t absolute = 0;
            int32_t status = 0;
            const int rc = zintctid(&work, align, 0, &absolute, nullptr, nullptr, nullptr, &status, nullptr,
                                    nullptr, nullptr, nullptr);
            zcintcReleaseRef(work.interval.customRef);
            const int column = align[0] == 'B' ? 5 : align[0] == 'E' ? 6 : 7;
            const std::string where = "line " + std::to_string(row.line) + " " + row.fields[1] + " " +
                                      row.fields[2] + " align " + align;
            EXPECT_EQ(rc, row.integer(3) < 0 ? ZINT_CTID_FAILED : ZINT_CTID_OK) << where;
            EXPECT_EQ(absolute, row.integer(3)) << where;
            EXPECT_EQ(status, row.integer(4)) << where;
            if (row.integer(3) >= 0) {
                EXPECT_TRUE(sameValue(values[0], valueOf(row.fields[size_t(column)])))
                    << where << ": " << shown(values[0]);
            }
        }
    }
}

/* zintctid on whole series: order flags, the base, the periods before and
 * after, the aligned ends, the limit, and outputs set on early returns. */
TEST_F(CustomOps, TimeIndexOfSeries)
{
    struct Case {
        const char *id;
        const char *interval;
        std::vector<double> values;
        double start;
        int64_t limit;
        const char *align;
        int rc;
        std::vector<int64_t> absolute, relative;
        std::vector<int32_t> perValue;
        int32_t order, status;
        int64_t before, after;
        double first, last;
    };
    const double M = zintCustomPosition('M'), I = zintCustomPosition('I'), dot = orvMissing();
    const std::vector<Case> cases = {
        {"ascending from the first quarter", "FISCALQ", {kFirstBegin, kSecondBegin + 5, 21100}, dot, 0, "B", 0,
         {1, 2, 3}, {0, 1, 2}, {0, 0, 0}, 0, 0, 0, 17, kFirstBegin, 21032},
        {"a repeated quarter, then an earlier one", "FISCALQ", {21100, 21110, kSecondBegin}, dot, 0, nullptr, 0,
         {3, 3, 2}, {0, 0, -1}, {0, 0, 0}, ZINT_CTID_REPEATED | ZINT_CTID_DESCENDING, 0, 1, 17, kSecondBegin, 21032},
        {"start value given", "FISCALQ", {21100}, kFirstBegin + 3, 0, "E", 0, {3}, {2}, {0}, 0, 0, 2, 17, 21123,
         21123},
        {"missing start: the first present value, .M counts", "FISCALQ", {dot, M, 21100}, dot, 0, nullptr, 128,
         {-1, 0, 3}, {-1, 0, 3}, {10, 1, 0}, 0, 0xB, -1, 17, M, 21032},
        {"open period after: status 4, middle missing", "FISCALQ", {kLastEnd + 3}, dot, 0, "M", 0, {21}, {0}, {4},
         0, 4, 20, -1, dot, dot},
        {"without END the last quarter is open", "FISCALQN", {kLastBegin + 1}, dot, 0, "B", 0, {20}, {0}, {4}, 0, 4,
         19, -1, kLastBegin, kLastBegin},
        {"a value in the gap is not placed, nor the base it gives", "FISCALQG", {21350, 21400}, dot, 0, nullptr, -1,
         {-1, 6}, {-1, -1},
         {10, 0}, 0, 0xA, 5, 13, 21397, 21397},
        {"the limit stops the scan; the rest stay unplaced", "FISCALQG", {21350, 21360, 21400}, dot, 1, nullptr, -1,
         {-1, -1, -1}, {-1, -1, -1}, {10, 10, 10}, 0, 0xA, -1, -1, dot, dot},
        {"an index past the data", "FISCALQ", {I}, dot, 0, nullptr, 0, {21}, {0}, {4}, 0, 4, 20, -1, kLastEnd + 1,
         kLastEnd + 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZINT_CTID_WORK work{};
        work.start = c.start;
        work.interval.interval = orvtest::customDesc(c.interval);
        work.allocator = orvtest::moduleHost().controlBlock().gcb()->globalMemory;
        std::vector<double> values = c.values;
        work.values = values.data();
        work.count = int64_t(values.size());
        std::vector<int64_t> absolute(values.size(), 99), relative(values.size(), 99);
        std::vector<int32_t> perValue(values.size(), 99);
        int32_t order = 99, status = 99;
        int64_t before = 99, after = 99;
        double first = 99, last = 99;
        EXPECT_EQ(zintctid(&work, c.align, c.limit, absolute.data(), relative.data(), &order, &status,
                           perValue.data(), &after, &before, &first, &last),
                  c.rc);
        zcintcReleaseRef(work.interval.customRef);
        EXPECT_EQ(absolute, c.absolute);
        EXPECT_EQ(relative, c.relative);
        EXPECT_EQ(perValue, c.perValue);
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(before, c.before);
        EXPECT_EQ(after, c.after);
        EXPECT_TRUE(sameValue(first, c.first)) << shown(first);
        EXPECT_TRUE(sameValue(last, c.last)) << shown(last);
    }

    /* Early returns set every output. */
    ZINT_CTID_WORK notCustom{};
    notCustom.interval.interval = orvtest::customDesc("FISCALQ");
    notCustom.interval.interval.code = ZINT_MONTH;
    double value = 21100;
    notCustom.values = &value;
    notCustom.count = 1;
    int64_t absolute = 5, relative = 5, before = 5, after = 5;
    int32_t perValue = 5, order = 5, status = 5;
    double first = 5, last = 5;
    EXPECT_EQ(zintctid(&notCustom, "B", 0, &absolute, &relative, &order, &status, &perValue, &after, &before, &first,
                       &last),
              ZINT_CTID_FAILED);
    EXPECT_EQ(absolute, -1);
    EXPECT_EQ(relative, -1);
    EXPECT_EQ(perValue, 10);
    EXPECT_EQ(before, -1);
    EXPECT_EQ(after, -1);
    EXPECT_TRUE(sameValue(first, dot));
    EXPECT_TRUE(sameValue(last, dot));
    notCustom.count = 0;
    EXPECT_EQ(zintctid(&notCustom, "B", 0, nullptr, nullptr, &order, &status, nullptr, nullptr, nullptr, &first,
                       &last),
              ZINT_CTID_NO_VALUES);
    EXPECT_EQ(order, -1);
    EXPECT_EQ(status, -1);
}

/* zinttip over a custom interval: relative to the base, with its order
 * results and the failures it maps. */
TEST_F(CustomOps, TimeIdIndexingOfACustomInterval)
{
    struct Case {
        const char *id;
        const char *interval;
        std::vector<double> values;
        double base;
        int rc;
        std::vector<int64_t> index;
        int64_t maxIndex;
        double first, last;
    };
    const double dot = orvMissing();
    const std::vector<Case> cases = {
        {"ascending", "FISCALQ", {kFirstBegin, kSecondBegin, 21100}, dot, 1, {0, 1, 2}, 2, kFirstBegin, 21032},
        {"duplicates", "FISCALQ", {kFirstBegin, kFirstEnd, 21100}, dot, 2, {0, 0, 2}, 2, kFirstBegin, 21032},
        {"not sorted", "FISCALQ", {21100, kFirstBegin}, dot, 3, {0, -2}, 0, kFirstBegin, 21032},
        {"from a base", "FISCALQ", {21100}, kFirstBegin, 1, {2}, 2, 21032, 21032},
        {"missing", "FISCALQ", {21100, dot}, dot, -1, {0, -1}, 0, 21032, 21032},
        {"in the gap", "FISCALQG", {21350}, dot, -5, {-1}, 0, dot, dot},
        {"after the data", "FISCALQ", {kLastEnd + 1}, dot, -2, {0}, 0, kLastEnd + 1, kLastEnd + 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const ZINT_DESC desc = orvtest::customDesc(c.interval);
        for (auto tip : {&zinttip, &zinttip2}) {
            std::vector<int64_t> index(c.values.size(), 77);
            int64_t maxIndex = 77;
            double first = 77, last = 77;
            const std::vector<double> before = c.values;
            EXPECT_EQ(tip(&desc, 'B', c.values.data(), int64_t(c.values.size()), 0, index.data(), c.base, &maxIndex,
                          &first, &last),
                      c.rc);
            EXPECT_EQ(index, c.index);
            EXPECT_EQ(maxIndex, c.maxIndex);
            EXPECT_TRUE(sameValue(first, c.first)) << shown(first);
            EXPECT_TRUE(sameValue(last, c.last)) << shown(last);
            for (size_t j = 0; j < before.size(); ++j) EXPECT_TRUE(sameValue(c.values[j], before[j]));
        }
    }
}

TEST_F(CustomOps, SeasonsAndFormats)
{
    struct Case {
        const char *id;
        const char *interval;
        double seasons;
        const char *cycle;
        uint32_t count;
    };
    const Case cases[] = {
        {"quarters of a year", "FISCALQ", 4, "FISCALQ4", 4},
        {"without END", "FISCALQN", 4, "FISCALQN4", 4},
        {"multiplier 2: no seasons", "FISCALQ2", orvMissing(), "FISCALQ2", 1},
        {"shifted multiple", "FISCALQ2.2", orvMissing(), "FISCALQ2.2", 1},
        {"the largest season, in the first row", "SMAX", 2147473647, "SMAX2147473647", 2147473647u},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_TRUE(sameValue(onRecord(c.interval, [](ZINT_SEAS *rec) { return customINTSEAS(rec); }), c.seasons));
        const ZINT_DESC desc = orvtest::customDesc(c.interval);
        EXPECT_EQ(desc.kind, 'd');
        ZINT_DESC cycle{};
        uint32_t count = 0;
        EXPECT_EQ(zintsea(&desc, &cycle, &count, kFirstBegin), 0);
        EXPECT_STREQ(cycle.name, c.cycle);
        EXPECT_EQ(count, c.count);
        char name[ZINT_FORMAT_NAME_SIZE] = {};
        int16_t length = 0, width = 0, minWidth = 0;
        EXPECT_EQ(zintfmt(&desc, name, &length, &width, &minWidth), 0);
        EXPECT_EQ(std::string(name, size_t(length)), "DATE");
        EXPECT_EQ(width, 9);
    }
}

/* A definition of one period without END is one open-ended period; the
 * last period of a definition without END keeps its season. */
TEST_F(CustomOps, OpenEndedPeriods)
{
    orvtest::useIntervalDs("ONE=CI.ONE FISCALQN=CI.FQBEGIN");
    const ZINT_DESC one = orvtest::customDesc("ONE");
    EXPECT_TRUE(sameValue(zintnx3(&one, 'B', nullptr, 30000, 0), kFirstBegin));
    EXPECT_TRUE(sameValue(zintnx3(&one, 'E', nullptr, 30000, 0), zintCustomPosition('I')));
    EXPECT_TRUE(sameValue(zintnx3(&one, 'B', nullptr, 100, 0), zintCustomPosition('M')));
    EXPECT_TRUE(sameValue(zintnx3(&one, 'B', nullptr, 100, 1), kFirstBegin));
    EXPECT_TRUE(sameValue(zintck2(&one, 100, 30000), 1));
    EXPECT_TRUE(sameValue(onRecord("ONE", [](ZINT_SEAS *rec) { return customINTINDEX(rec, 30000, 0); }), 3));
    EXPECT_TRUE(sameValue(onRecord("FISCALQN", [](ZINT_SEAS *rec) { return customINTINDEX(rec, kLastBegin + 9, 0); }),
                          4));
}

/* A calendar of 20,000 one-day periods (END equal to BEGIN), located at
 * every day and within it: each value lies in its own period, with its
 * season, the first and the last included. */
TEST_F(CustomOps, LocatesEveryDayOfALargeCalendar)
{
    constexpr int kDays = 20000;
    std::string csv = "BEGIN,END,SEASON\n";
    for (int d = 0; d < kDays; ++d)
        csv += std::to_string(d) + "," + std::to_string(d) + "," + std::to_string(d % 7 + 1) + "\n";
    const WrittenCalendar calendar(csv);
    orvtest::useIntervalDs("TCAL=TC.CAL");
    ZINT_SEAS rec{};
    ASSERT_EQ(zintstr("TCAL", -1, &rec.interval), 0) << orvtest::takeLog();
    int wrong = 0;
    for (int d = 0; d < kDays; ++d)
        wrong += !sameValue(customINTCK(&rec, 0, d + 0.5), d) || !sameValue(customINTINDEX(&rec, d, 0), d % 7 + 1);
    zcintcReleaseRef(rec.customRef);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(orvtest::takeLog(), "");
}

/* A calendar is read once per step, its display format too: the format is
 * asked for whenever the interval's name is parsed (once per member of a
 * season group and per BY group), and the host reads a data set without a
 * description whole at each open.  The next step reads it afresh. */
TEST_F(CustomOps, FormatReadOncePerStep)
{
    const WrittenCalendar calendar("BEGIN\n20851\n20940\n");
    orvtest::useIntervalDs("TWO=TC.CAL");
    ZINT_SEAS rec{};
    rec.interval = orvtest::customDesc("TWO");
    calendar.remove();
    char name[ZINT_FORMAT_NAME_SIZE] = {};
    int16_t length = 0, width = 0, minWidth = 0;
    EXPECT_EQ(customINTFMT(&rec, name, &length, &width, &minWidth), 0);
    EXPECT_EQ(std::string(name, size_t(length)) + " " + std::to_string(width) + "/" + std::to_string(minWidth),
              "DATE 9/7");
    zcintcReleaseRef(rec.customRef);
    rec.customRef = nullptr;
    EXPECT_EQ(orvtest::takeLog(), "");
    orvtest::moduleHost().resources().removeAll(); /* the step ends */
    struct ZINT_CUSTOM *manager = nullptr;
    ASSERT_EQ(zcintcInit(&manager), 0); /* and the next one makes its manager */
    EXPECT_EQ(customINTFMT(&rec, name, &length, &width, &minWidth), -1);
    orvtest::takeLog();
}

/* A BEGIN format name longer than the 16 bytes a recommendation holds is
 * not copied: the interval gets the date format of its values. */
TEST_F(CustomOps, FormatNameTooLongForTheRecommendation)
{
    orvtest::useIntervalDs("LONGFMT=CI.LONGFMT");
    const ZINT_DESC desc = orvtest::customDesc("LONGFMT");
    char name[ZINT_FORMAT_NAME_SIZE + 8] = {};
    int16_t length = 0, width = 0, minWidth = 0;
    ZINT_SEAS rec{};
    rec.interval = desc;
    EXPECT_EQ(customINTFMT(&rec, name, &length, &width, &minWidth), -1);
    zcintcReleaseRef(rec.customRef);
    EXPECT_EQ(std::string(name + ZINT_FORMAT_NAME_SIZE, 8), std::string(8, '\0')) << "written past 16 bytes";
    EXPECT_EQ(zintfmt(&desc, name, &length, &width, &minWidth), 0);
    EXPECT_EQ(std::string(name, size_t(length)) + " " + std::to_string(width) + "/" + std::to_string(minWidth),
              "DATE 9/7");
}

/* The raw periods that the event windows read: customFindRawIndexC with
 * its position results, customRange and customGetObsC. */
TEST_F(CustomOps, RawPeriodsForEventWindows)
{
    const double M = zintCustomPosition('M'), I = zintCustomPosition('I'), dot = orvMissing();
    struct Case {
        const char *id;
        const char *interval;
        double value;
        double result, raw, begin, end;
    };
    const Case cases[] = {
        {"before a first BEGIN", "FISCALQ", 20000, zintCustomPosition('B'), 0, M, kFirstBegin - 1},
        {".M", "FISCALQ", M, zintCustomPosition('B'), 0, M, kFirstBegin - 1},
        {"after a last END", "FISCALQ", 22700, zintCustomPosition('A'), 21, kLastEnd + 1, I},
        {".I", "FISCALQ", I, zintCustomPosition('A'), 21, kLastEnd + 1, I},
        {"inside", "FISCALQ", 21100, 3, 3, 21032, 21123},
        {"a hole", "FISCALQG", 21350, zintCustomPosition('H'), 5, 21305, 21396},
        {"at a last BEGIN", "FISCALQN", kLastBegin, 20, 20, kLastBegin, I},
        {"after a last BEGIN", "FISCALQN", 22700, 20, 20, kLastBegin, I},
        {"an ordinary missing value", "FISCALQ", dot, dot, dot, dot, dot},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        double raw = 0, begin = 0, end = 0;
        const double result = onRecord(c.interval, [&](ZINT_SEAS *rec) {
            return customFindRawIndexC(rec, &raw, &begin, &end, c.value);
        });
        EXPECT_TRUE(sameValue(result, c.result)) << shown(result);
        EXPECT_TRUE(sameValue(raw, c.raw)) << shown(raw);
        EXPECT_TRUE(sameValue(begin, c.begin)) << shown(begin);
        EXPECT_TRUE(sameValue(end, c.end)) << shown(end);
    }
    double first = 0, last = 0;
    EXPECT_EQ(onRecord("FISCALQ", [&](ZINT_SEAS *rec) { return double(customRange(rec, 0, &first, &last)); }), 0);
    EXPECT_EQ(first, kFirstBegin);
    EXPECT_EQ(last, kLastEnd);
    double b = 0, e = 0, season = 0;
    EXPECT_EQ(onRecord("FISCALQN", [&](ZINT_SEAS *rec) { return double(customGetObsC(rec, &b, &e, &season, zintCustomPosition('L'))); }), 0);
    EXPECT_TRUE(sameValue(b, kLastBegin) && sameValue(e, I) && sameValue(season, 4));
    EXPECT_EQ(onRecord("FISCALQN", [&](ZINT_SEAS *rec) { return double(customGetObsC(rec, &b, &e, &season, 21)); }), -1);
}

/* A shift not below the multiplier fails every operation. */
TEST_F(CustomOps, ShiftNotBelowTheMultiplier)
{
    ZINT_DESC desc = orvtest::customDesc("FISCALQ2");
    desc.shift = 2;
    EXPECT_TRUE(sameValue(zintnx2(&desc, 21100, 0), orvMissing()));
    EXPECT_TRUE(sameValue(zintck2(&desc, 21100, 21200), orvMissing()));
    ZINT_SEAS rec{};
    rec.interval = desc;
    EXPECT_TRUE(sameValue(customINTSEAS(&rec), orvMissing()));
    EXPECT_EQ(rec.customRef, nullptr);
}

/* Steps and indices far outside the periods are refused before any
 * conversion to an integer (run under the sanitizers). */
TEST_F(CustomOps, HugeStepsAndIndices)
{
    const double dot = orvMissing();
    for (double n : {1e300, -1e300, 9007199254740993.0, -1e18}) {
        SCOPED_TRACE(n);
        EXPECT_TRUE(sameValue(onRecord("FISCALQ", [&](ZINT_SEAS *rec) { return customINTNX(rec, 21100, n); }), dot));
        EXPECT_TRUE(sameValue(onRecord("FISCALQ2", [&](ZINT_SEAS *rec) { return customINTNXE(rec, 21100, n); }), dot));
        double b = 0;
        EXPECT_EQ(onRecord("FISCALQ2.2", [&](ZINT_SEAS *rec) { return double(getIndexC(rec, &b, nullptr, nullptr, n)); }),
                  -1);
    }
}

}  // namespace
