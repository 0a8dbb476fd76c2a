/*
 * timeid_index_test.cpp - time-ID indexing on values worked out by hand:
 * zinttip's order results, failures and aligned ends in both forms, the
 * messages of zinttipErr as the platform logs them, zinttic's occupancy
 * marks (n = 0 included, run under the sanitizers) and the format texts.
 *
 * Day numbers: day 0 is 1 January 1960; 1 February 1960 is day 31,
 * 15 February day 45, 1 March day 60, 1 April day 91; 1 December 1959 is
 * day -31.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "host/format_records.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "interval/day_math.h"
#include "interval/interval_names.h"
#include "interval/timeid_index.h"
#include "platform/host.h"
#include "platform/message_text.h"
#include "tests/support/module_host.h"

namespace {

const double kMissing = orvMissing();
constexpr double kDay = 86400.0;

ZINT_DESC parsed(const char *name)
{
    orvtest::moduleHost();
    ZINT_DESC desc{};
    EXPECT_EQ(zintstr(name, -1, &desc), 0) << name;
    return desc;
}

ZINT_DESC customInterval()
{
    ZINT_DESC desc{};
    desc.kind = 'd';
    desc.code = ZINT_CUSTOM;
    desc.multiplier = 1;
    std::strcpy(desc.name, "FISCAL");
    desc.nameLength = 6;
    return desc;
}

using TipFunction = int (*)(const ZINT_DESC *, char, const double *, int64_t, int, int64_t *, double,
                            int64_t *, double *, double *);

struct TipCase {
    const char *id;
    const char *interval;
    char alignment;
    std::vector<double> values;
    int flag;
    double base;
    int plainResult;
    int twoResult;
    std::vector<int64_t> index; /* checked when the result is positive */
    int64_t maxIndex;
    double first, last;         /* aligned ends; missing = not computed */
};

TEST(TimeIdIndex, ZinttipResultsIndicesAndAlignedEnds)
{
    const double two63 = 9223372036854775808.0;
    const std::vector<TipCase> cases = {
        {"ascending", "MONTH", 'B', {0, 31, 60}, 0, kMissing, 1, 1, {0, 1, 2}, 2, 0, 60},
        {"duplicates", "MONTH", 'B', {0, 31, 45}, 0, kMissing, 2, 2, {0, 1, 1}, 1, 0, 31},
        {"not sorted", "MONTH", 'B', {0, 60, 31}, 0, kMissing, 3, 3, {0, 2, 1}, 2, 0, 60},
        {"descending wins over equal", "MONTH", 'B', {31, 45, 0}, 0, kMissing, 3, 3, {1, 1, 0}, 1, 0, 31},
        {"flag replaces duplicates", "MONTH", 'B', {0, 31, 45}, 2, kMissing, 2, 2, {0, 1, 1}, 1, 0, 31},
        {"flag replaces disorder", "MONTH", 'B', {0, 60, 31}, 2, kMissing, 2, 2, {0, 2, 1}, 2, 0, 60},
        {"one value ignores the flag", "MONTH", 'B', {45}, 7, kMissing, 1, 1, {0}, 0, 31, 31},
        {"gap", "MONTH", 'B', {0, 91}, 0, kMissing, 1, 1, {0, 3}, 3, 0, 91},
        {"base before", "MONTH", 'B', {0, 31}, 0, -31, 1, 1, {1, 2}, 2, 0, 31},
        {"base after: negative index", "MONTH", 'B', {0, 31}, 0, 60, 1, 1, {-2, -1}, 0, 0, 31},
        {"end alignment", "MONTH", 'E', {0, 45}, 0, kMissing, 1, 1, {0, 1}, 1, 30, 59},
        {"quarters", "QTR", 'B', {0, 45, 91}, 0, kMissing, 2, 2, {0, 0, 1}, 1, 0, 91},
        {"datetimes by month", "DTMONTH", 'B', {0, 31 * kDay + 5}, 0, kMissing, 1, 1, {0, 1}, 1, 0, 31 * kDay},
        {"n = 0", "MONTH", 'B', {}, 0, kMissing, 1, 1, {}, 0, kMissing, kMissing},
        {"missing value", "MONTH", 'B', {0, kMissing, 7000000}, 0, kMissing, -1, -1, {}, 0, kMissing, kMissing},
        {"date beyond the range", "MONTH", 'B', {0, 7000000}, 0, kMissing, -2, -2, {}, 0, kMissing, kMissing},
        {"date before the range", "DAY", 'B', {-138062}, 0, kMissing, -2, -2, {}, 0, kMissing, kMissing},
        {"datetime beyond the range", "DTDAY", 'B', {6589336 * kDay}, 0, kMissing, -2, -2, {}, 0, kMissing, kMissing},
        /* 1 January 1582 is a Friday: its week starts before the range, so
         * the value stands for its aligned start (in seconds for
         * datetimes); the weeks of 3 and 10 January follow. */
        {"first datetime of the range", "DTWEEK", 'B', {-138061 * kDay, -138061 * kDay + 10 * kDay}, 0, kMissing,
         1, 1, {0, 2}, 2, -138061 * kDay, -138061 * kDay + 9 * kDay},
        {"first date of the range", "WEEK", 'B', {-138061, -138061 + 10}, 0, kMissing, 1, 1, {0, 2}, 2, -138061,
         -138061 + 9},
        /* Counts of the NONE interval are plain differences: above 2^53
         * the plain form stops, above 2^63 both do. */
        {"index above 2^53", "NONE", 'B', {0, 1e17}, 0, 0, -4, 1, {0, 100000000000000000}, 100000000000000000, 0, 1e17},
        {"index of 2^63", "NONE", 'B', {0, two63}, 0, 0, -3, -3, {}, 0, 0, two63},
    };
    for (const TipCase &c : cases) {
        for (TipFunction tip : {zinttip, zinttip2}) {
            const bool plain = tip == zinttip;
            SCOPED_TRACE(std::string(c.id) + (plain ? " (plain)" : " (form 2)"));
            const ZINT_DESC interval = parsed(c.interval);
            std::vector<int64_t> index(c.values.size() + 1, -77);
            int64_t maxIndex = -5;
            double first = 1234, last = 1234;
            const int r = tip(&interval, c.alignment, c.values.data(), int64_t(c.values.size()), c.flag,
                              index.data(), c.base, &maxIndex, &first, &last);
            const int expected = plain ? c.plainResult : c.twoResult;
            ASSERT_EQ(r, expected);
            if (r > 0) {
                for (size_t j = 0; j < c.index.size(); ++j) EXPECT_EQ(index[j], c.index[j]) << "index " << j;
                EXPECT_EQ(index[c.values.size()], -77) << "written past the values";
                EXPECT_EQ(maxIndex, c.maxIndex);
            }
            if (orvIsMissing(c.first)) {
                EXPECT_TRUE(orvIsMissing(first));
            } else if (r > 0 || r == -3 || r == -4) {
                EXPECT_EQ(first, c.first);
                EXPECT_EQ(last, c.last);
            }
        }
    }
}

TEST(TimeIdIndex, ZinttipOptionalOutputsAndCustomIntervals)
{
    const ZINT_DESC month = parsed("MONTH");
    const double values[] = {0, 31};
    EXPECT_EQ(zinttip(&month, 'B', values, 2, 0, nullptr, kMissing, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(zinttip(nullptr, 'B', values, 2, 0, nullptr, kMissing, nullptr, nullptr, nullptr), -2);

    /* Until the custom-interval time index exists every custom interval
     * fails with -5; with no values there is nothing to index. */
    const ZINT_DESC custom = customInterval();
    int64_t maxIndex = 9;
    double first = 0, last = 0;
    EXPECT_EQ(zinttip(&custom, 'B', values, 2, 0, nullptr, kMissing, &maxIndex, &first, &last), -5);
    EXPECT_EQ(maxIndex, 0);
    EXPECT_TRUE(orvIsMissing(first));
    EXPECT_TRUE(orvIsMissing(last));
    EXPECT_EQ(zinttip2(&custom, 'B', values, 2, 0, nullptr, kMissing, nullptr, nullptr, nullptr), -5);
    EXPECT_EQ(zinttip(&custom, 'B', values, 0, 0, nullptr, kMissing, nullptr, nullptr, nullptr), 1);
}

/* The log text of message (882, number) with text arguments. */
std::string messageText(int number, const std::vector<std::string> &texts)
{
    std::vector<orvhost::MessageArg> args;
    for (const std::string &text : texts) args.push_back({orvhost::MessageArg::Type::Text, 0, 0, text});
    return orvhost::messageText(orvtest::moduleHost().catalogue(), 882, number, args).text;
}

struct ErrCase {
    const char *id;
    int r;
    bool custom;
    int shape; /* 0 all names and the interval, 1 names without interval, 2 no data-set name */
    int number;
};

TEST(TimeIdIndex, ZinttipErrMessagesThroughTheLog)
{
    const std::vector<ErrCase> cases = {
        {"missing, named", -1, false, 0, 1012},          {"missing, no interval", -1, false, 1, 1032},
        {"missing, name missing", -1, true, 2, 1032},    {"range, named", -2, false, 0, 1016},
        {"range, named custom", -2, true, 0, 1015},      {"range, no interval", -2, false, 1, 1036},
        {"range, name missing custom", -2, true, 2, 1035}, {"range, name missing", -2, false, 2, 1036},
        {"overflow 63, named", -3, false, 0, 1004},      {"overflow 53, names missing", -4, true, 2, 1004},
        {"custom failure, named", -5, true, 0, 1022},    {"index failure, named", -5, false, 0, 1020},
        {"custom failure, no interval", -5, false, 1, 1040},
        {"custom failure, name missing custom", -5, true, 2, 1042},
        {"custom failure, name missing", -5, false, 2, 1040},
        {"other, named", -9, false, 0, 1017},            {"other, no interval", -9, true, 1, 1037},
    };
    orvtest::moduleHost();
    const ZINT_DESC month = parsed("MONTH");
    const ZINT_DESC custom = customInterval();
    ORV_COUNTED_NAME id{};
    id.length = 5;
    std::memcpy(id.text, "SALES                           ", 32);
    std::memcpy(id.text, "MDATE", 5);
    ORV_COUNTED_NAME member{};
    member.length = 6;
    std::memcpy(member.text, "RETAIL                          ", 32);
    const char libref[8] = {'W', 'O', 'R', 'K', ' ', ' ', ' ', ' '};
    orvtest::takeLog();
    for (const ErrCase &c : cases) {
        SCOPED_TRACE(c.id);
        const ZINT_DESC *interval = c.shape == 1 ? nullptr : c.custom ? &custom : &month;
        const ORV_COUNTED_NAME *dsName = c.shape == 2 ? nullptr : &member;
        EXPECT_EQ(zinttipErr(&id, libref, dsName, interval, c.r), 1020);
        const std::string log = orvtest::takeLog();
        ASSERT_NE(orvtest::moduleHost().catalogue().find(882, c.number), nullptr);
        const bool named = c.shape == 0 && c.number != 1004;
        const std::string expected =
            named ? messageText(c.number, {"MDATE", "WORK", "RETAIL", c.custom ? "FISCAL" : "MONTH"})
                  : messageText(c.number, {});
        EXPECT_NE(log.find(expected), std::string::npos) << log << "\nexpected: " << expected;
        if (named) {
            EXPECT_NE(log.find("MDATE"), std::string::npos);
        }
    }
    /* A non-negative result logs nothing. */
    for (int r : {0, 1, 3}) {
        EXPECT_EQ(zinttipErr(&id, libref, &member, &month, r), 0);
        EXPECT_EQ(orvtest::takeLog(), "");
    }
    /* A counted length beyond the field is clipped, never read past. */
    ORV_COUNTED_NAME bad = id;
    bad.length = 30000;
    EXPECT_EQ(zinttipErr(&bad, libref, &member, &month, -1), 1020);
    EXPECT_NE(orvtest::takeLog().find("MDATE"), std::string::npos);
}

struct TicCase {
    const char *id;
    std::vector<int64_t> index;
    int64_t slots;
    int result;
    int64_t duplicates, gaps;
    std::vector<uint8_t> marks;
};

TEST(TimeIdIndex, ZintticOccupancyMarks)
{
    const std::vector<TicCase> cases = {
        {"duplicate and gap", {1, 3, 3}, 6, -1, 1, 1, {3, 1, 0, 2, 4, 4}},
        {"full", {0, 1, 2}, 3, 0, 0, 0, {1, 1, 1}},
        {"gap only", {0, 2}, 3, 1, 0, 1, {1, 0, 1}},
        {"unordered with gaps", {4, 1}, 6, 1, 0, 2, {3, 1, 0, 0, 1, 4}},
        {"one in the middle", {2}, 5, 0, 0, 0, {3, 3, 1, 4, 4}},
        {"triple", {0, 0, 0}, 2, -1, 2, 0, {2, 4}},
        {"index = slots", {0, 6}, 6, -99, 0, 0, {1, 0, 0, 0, 0, 0}},
        {"negative index", {-1}, 4, -99, 0, 0, {0, 0, 0, 0}},
        {"no indices", {}, 4, 0, 0, 0, {0, 0, 0, 0}},
        {"no indices, no slots", {}, 0, 0, 0, 0, {}},
    };
    for (const TicCase &c : cases) {
        for (auto tic : {zinttic, zinttic2}) {
            SCOPED_TRACE(std::string(c.id) + (tic == zinttic ? " (plain)" : " (form 2)"));
            /* Exactly `slots` bytes: the sanitizers catch any write past. */
            std::vector<uint8_t> marks(size_t(c.slots), 0);
            int64_t duplicates = -1, gaps = -1;
            EXPECT_EQ(tic(c.index.data(), int64_t(c.index.size()), c.slots, marks.data(), &duplicates, &gaps),
                      c.result);
            EXPECT_EQ(marks, c.marks);
            if (c.result != -99) {
                EXPECT_EQ(duplicates, c.duplicates);
                EXPECT_EQ(gaps, c.gaps);
            }
        }
    }
    const int64_t index[] = {0, 0};
    uint8_t marks[2] = {};
    EXPECT_EQ(zinttic(index, 2, 2, marks, nullptr, nullptr), -1);
}

int64_t formatCode(const char *name)
{
    int64_t code = ORV_NO_FORMAT;
    EXPECT_EQ(xfrname(nullptr, name, int(std::strlen(name)), ORV_FORMAT_KIND_FORMAT, nullptr, &code), 0) << name;
    return code;
}

struct FmtCase {
    const char *id;
    const char *format;
    int width, decimals;
    const char *text;
};

TEST(TimeIdIndex, FormatTexts)
{
    orvtest::moduleHost();
    const std::vector<FmtCase> cases = {
        {"width only", "DATE", 9, 0, "DATE9."},
        {"width and decimals", "F", 8, 2, "F8.2"},
        {"decimals only", "F", 0, 2, "F.2"},
        {"neither", "BEST", 0, 0, "BEST."},
        {"long name", "DATETIME", 20, 0, "DATETIME20."},
        {"unknown code", nullptr, 5, 0, "5."},
    };
    for (const FmtCase &c : cases) {
        SCOPED_TRACE(c.id);
        const int64_t code = c.format != nullptr ? formatCode(c.format) : 987654;
        ZINT_FMTTEXT out;
        std::memset(&out, 'x', sizeof out);
        const int length = zfmtstri(code, c.width, c.decimals, &out);
        EXPECT_EQ(length, int(std::strlen(c.text)));
        EXPECT_EQ(out.length, length);
        EXPECT_EQ(std::string(out.text, size_t(length)), c.text);
        for (int i = length; i < ZINT_FMTTEXT_SIZE; ++i) EXPECT_EQ(out.text[i], ' ') << i;

        FORMAT_RECORD record{};
        record.width = int16_t(c.width);
        record.decimals = int16_t(c.decimals);
        record.identifier = code;
        ZINT_FMTTEXT viaRecord;
        EXPECT_EQ(zfmtstr(&record, &viaRecord), length);
        EXPECT_EQ(std::memcmp(viaRecord.text, out.text, sizeof out.text), 0);
    }
    ZINT_FMTTEXT out;
    EXPECT_EQ(zfmtstr(nullptr, &out), 0);
    EXPECT_EQ(out.length, 0);
    EXPECT_EQ(zfmtstri(formatCode("DATE"), 9, 0, nullptr), 0);
}

}  // namespace
