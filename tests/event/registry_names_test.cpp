/*
 * registry_names_test.cpp - recognition of date-key names without an event
 * list: season keywords and numbered seasons, n-th weekdays, holidays,
 * outlier names with their dates and durations, the host's number reader
 * behind numbered seasons, and the text form of timing values.
 *
 * Dates and datetimes count from 1 January 1960; the values were computed
 * with Python's datetime:
 *   (date(2020, 1, 1) - date(1960, 1, 1)).days                          21915
 *   (datetime(2020, 1, 1, 12, 30, 45) - datetime(1960, 1, 1)).total_seconds()
 *                                                                   1893501045
 *   (datetime(1959, 12, 31, 23, 59, 59) - datetime(1960, 1, 1)).total_seconds()
 *                                                                           -1
 */
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "event/date_text.h"
#include "event/event_registry.h"
#include "host/missing_values.h"
#include "host/services.h"
#include "interval/interval_names.h"
#include "tests/interval/custom_test_support.h"
#include "tests/support/module_host.h"

namespace {

constexpr double kJan1st2020 = 21915;
constexpr double kJan1st2020At123045 = 1893501045;

int len(const char *text) { return int(std::strlen(text)); }

struct SeasonCase {
    const char *name;
    int64_t code;
    int intervalCode; /* checked when code is not 0 */
};

/* Each name gives its code, and its interval code only when it is a
 * season. */
void expectSeasonCodes(const std::vector<SeasonCase> &cases)
{
    for (const SeasonCase &c : cases) {
        int intervalCode = -7;
        EXPECT_EQ(ZTSEVSeasNameChk(c.name, len(c.name), &intervalCode), c.code) << c.name;
        if (c.code != 0) {
            EXPECT_EQ(intervalCode, c.intervalCode) << c.name;
        } else {
            EXPECT_EQ(intervalCode, -7) << c.name << ": interval code written without a season";
        }
    }
}

TEST(EventRegistry, SeasonNamesGiveTheirCodes)
{
    orvtest::moduleHost();
    const std::vector<SeasonCase> cases = {
        {"JANUARY", 1201, 45},        {"december", 1212, 45},      {"SUNDAY", 701, 25},
        {"SATURDAY", 707, 25},        {"QTR_4", 404, 50},          {"WEEK_53", 5353, 30},
        {"WEEKV_53", 5253, 31},       {"R445MON_1", 1301, 46},     {"R454MON_12", 1362, 47},
        {"R544QTR_4", 394, 53},       {"HOUR_24", 2424, 20},       {"MINUTE_60", 6060, 15},
        {"SECOND_60", 3660, 10},      {"TENDAY_36", 1036, 35},     {"SEMIMONTH_24", 1524, 40},
        {"SEMIYEAR_2", 202, 55},      {"DTMONTH_3", 1203, 45},     {"dtmonth_12", 1212, 45},
        {"DTDAY_7", 707, 25},         {"DTWEEK_53", 5353, 30},     {"OBS_2", 102, 1},
        {"OBS_99", 199, 1},
        /* not seasons */
        {"MONTH_3", 0, 0},            {"WEEK_54", 0, 0},           {"DTMONTH_151", 0, 0},
        {"DTMONTH_13", 0, 0},         {"DTMONTH_0", 0, 0},         {"DTMONTH_-1", 0, 0},
        {"DTMONTH_2.5", 0, 0},        {"DTYEAR_2", 0, 0},          {"DTWEEKDAY_1", 0, 0},
        {"DTHOUR_3", 0, 0},           {"HOUR_3x", 0, 0},           {"OBS_601", 0, 0},
        {"OBS_100", 0, 0},            {"OBS_0", 0, 0},             {"OBS_NAN", 0, 0},
        {"OBS_INF", 0, 0},            {"OBS_1E400", 0, 0},         {"OBS_", 0, 0},
        {"_3", 0, 0},                 {"NOSUCH_3", 0, 0},          {"JANUARYX", 0, 0},
    };
    expectSeasonCodes(cases);
}

/* Numbered seasons of the custom intervals named by INTERVALDS
 * (tests/fixtures/custom_intervals). */
TEST(EventRegistry, CustomSeasonNamesGiveTheirCodes)
{
    orvtest::useIntervalDs(orvtest::kFiscalIntervals);
    const std::vector<SeasonCase> cases = {
        {"FISCALQ_5", 10005, 65},   {"fiscalq_2", 10002, 65},  {"FISCALQ2.2_1", 10001, 65},
        {"FISCALQN_4", 10004, 65},  {"FISCALQ_0", 0, 0},       {"FISCALQ_1.5", 0, 0},
        {"FISCALQ_", 0, 0},         {"FISCALQ_2147473648", 0, 0}, {"NOSUCHQ_5", 0, 0},
    };
    expectSeasonCodes(cases);
    orvtest::takeLog();
}

TEST(EventRegistry, SeasonTablesAgree)
{
    for (const ZTSEV_SEASON_ROW &row : ZTSEV_SEASON_TABLE) {
        EXPECT_EQ(datekeySeasOffset[size_t(row.intervalCode)], row.firstCode) << row.intervalCode;
        /* Every season keyword is in the host's catalogue. */
        for (int n = 1; n <= row.seasons; ++n) {
            const char *text = nullptr;
            int length = 0;
            EXPECT_EQ(wkread(ZTSEV_MSG_SET, row.firstCode + n, &text, &length), 0) << row.firstCode + n;
        }
    }
    EXPECT_EQ(datekeySeasOffset[1], 100);
    EXPECT_EQ(datekeySeasOffset[65], 10000);
    EXPECT_EQ(datekeySeasOffset[60], -1);
}

/* The date-key expansion builds its stepping intervals from the interval
 * words at (883, first code): word + season count + "." + season. */
TEST(EventRegistry, CatalogueIntervalWordsBuildSteppingIntervals)
{
    orvtest::moduleHost();
    const struct {
        int number;
        int code;
        int seasons;
    } words[] = {{1000, 35, 36}, {1500, 40, 24}, {2400, 20, 24}, {3600, 10, 60}, {6000, 15, 60}};
    for (const auto &word : words) {
        const char *text = nullptr;
        int length = 0;
        ASSERT_EQ(wkread(ZTSEV_MSG_SET, word.number, &text, &length), 0) << word.number;
        const std::string name = std::string(text, size_t(length)) + std::to_string(word.seasons) + ".3";
        ZINT_DESC desc{};
        EXPECT_EQ(zintstr(name.data(), int(name.size()), &desc), 0) << name;
        EXPECT_EQ(desc.code, word.code) << name;
        EXPECT_EQ(desc.multiplier, word.seasons) << name;
    }
}

struct FlagCase {
    const char *name;
    int keyLength; /* -1: the name's length */
    int64_t code;
};

TEST(EventRegistry, DateKeyNamesGiveTheirCodes)
{
    orvtest::moduleHost();
    const std::vector<FlagCase> cases = {
        {"X1W2JANYR", -1, 9005},       {"X5W7DECYR", -1, 9419},      {"a1w2janyr", -1, 9005},
        {"X3W1JUNYR", -1, 9000 + 35 * 5 + 0 + 2},
        {"X6W2JANYR", -1, 0},          {"X0W2JANYR", -1, 0},         {"X1W8JANYR", -1, 0},
        {"X1W0JANYR", -1, 0},          {"X1W2JANY", -1, 0},          {"X1W2XYZYR", -1, 0},
        {"X1V2JANYR", -1, 0},
        {"JUNETEENTH", -1, 42},        {"easter", -1, 20},           {"JUNETEENTHUSPS", -1, 44},
        {"CHRISTMAS     ", -1, 24},    {"CHRISTMASX", 9, 24},
        {"WEEK_53", -1, 5353},         {"SECOND_60", -1, 3660},      {"DTMONTH_3", -1, 1203},
        {"MONTH_3", -1, 0},            {"OBS_2", -1, 102},           {"DTMONTH_151", -1, 0},
        {"OBS_601", -1, 0},            {"DTYEAR_2", -1, 0},
        {"AO25OBS", -1, 101},          {"ls01jan2020d", -1, 102},    {"TC01JAN2020D", -1, 105},
        {"TLS01JAN2020D4", -1, 111},   {"CBLS01JAN2020D", -1, 112},  {"NLS01JAN2020D", -1, 113},
        {"TLS01JAN2020D", -1, 0},      {"SEASONAL", -1, 0},          {"", -1, 0},
        {"          ", -1, 0},
    };
    for (const FlagCase &c : cases)
        EXPECT_EQ(ZTSEVDatekey2Flag(nullptr, c.name, c.keyLength < 0 ? len(c.name) : c.keyLength), c.code)
            << c.name;
}

TEST(EventRegistry, WeekdayOfMonthParts)
{
    int n = 0, weekday = 0, month = 0;
    EXPECT_EQ(znwkdomnchk("X5W7DECYR", 9, &n, &weekday, &month), 9419);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(weekday, 7);
    EXPECT_EQ(month, 12);
    /* Only nine characters are looked at, whatever length is passed. */
    EXPECT_EQ(znwkdomnchk("X1W2JANYR and more text beyond a name's thirty-two", 52, nullptr, nullptr, nullptr), 9005);
    EXPECT_EQ(znwkdomnchk(nullptr, 9, nullptr, nullptr, nullptr), 0);
}

struct OutlierCase {
    const char *name;
    int64_t code;
    int status;     /* -1: any non-zero status */
    double date;
    int kind;
    int64_t duration;
};

TEST(EventRegistry, OutlierNamesGiveDatesKindsAndDurations)
{
    orvtest::moduleHost();
    const std::vector<OutlierCase> cases = {
        {"AO25OBS", 101, 0, 25, 4, 0},
        {"TLS01JAN2020D4", 111, 0, kJan1st2020, 8, 4},
        {"LS01JAN2020h12m30s45DT", 102, 0, kJan1st2020At123045, 10, 0},
        {"ls01jan2020h12m30s45dt", 102, 0, kJan1st2020At123045, 10, 0},
        {"TLS25OBS3", 111, 0, 25, 4, 3},
        {"TLS01JAN2020h00m00s00DT7", 111, 0, kJan1st2020 * 86400, 10, 7},
        {"TC01JAN2020D", 105, 0, kJan1st2020, 8, 0},
        {"CBLS01JAN2020D", 112, 0, kJan1st2020, 8, 0},
        {"NLS01JAN2020D", 113, 0, kJan1st2020, 8, 0},
        {"TLS01JAN2020D", 0, 11, 0, 0, 0},
        {"TLS25OBS", 0, 11, 0, 0, 0},
        {"TLS01JAN2020D99999999999", 0, 11, 0, 0, 0},
        {"AOOBS", 0, 11, 0, 0, 0},
        {"AO12345", 0, 11, 0, 0, 0},
        {"AO01XYZ2020D", 0, -1, 0, 0, 0},
        {"XX01JAN2020D", 0, 3, 0, 0, 0},
        {"AO1", 0, 3, 0, 0, 0},
        {"LS01JAN2020h12m30s45DT00000000000", 0, 3, 0, 0, 0},
    };
    for (const OutlierCase &c : cases) {
        double date = -99;
        int kind = -99, status = -99;
        int64_t duration = -99;
        EXPECT_EQ(zoutlnchk(c.name, len(c.name), 0, &date, &kind, &duration, &status), c.code) << c.name;
        if (c.status < 0) {
            EXPECT_NE(status, 0) << c.name;
        } else {
            EXPECT_EQ(status, c.status) << c.name;
        }
        if (c.code == 0) continue;
        EXPECT_EQ(date, c.date) << c.name;
        EXPECT_EQ(kind, c.kind) << c.name;
        EXPECT_EQ(duration, c.duration) << c.name;
    }
}

TEST(EventRegistry, DatePartsLongerThanTheirFieldAreRefused)
{
    orvtest::moduleHost();
    /* A datetime part is worked on in a 32-character field. */
    const std::string longPart = "01JAN2020h12m30s45" + std::string(40, '0') + "DT";
    double value = 0;
    int kind = 0;
    EXPECT_EQ(ZTSEVExtractDateInfo(longPart.data(), int(longPart.size()), &value, &kind), 11);
    EXPECT_EQ(ZTSEVExtractDateInfo("01JAN2020h12m30s45DT", 20, &value, &kind), 0);
    EXPECT_EQ(value, kJan1st2020At123045);
    double duration = 0;
    EXPECT_EQ(ZTSEVExtractDurInfo("01JAN2020D4", 11, 9, &duration), 11);
    EXPECT_EQ(ZTSEVExtractDurInfo("01JAN2020D", 10, 8, &duration), 11);
    EXPECT_EQ(ZTSEVExtractDurInfo("01JAN2020D12", 12, 8, &duration), 0);
    EXPECT_EQ(duration, 12);
}

struct NumberCase {
    const char *text;
    int status;
    double value;
};

TEST(EventRegistry, HostNumberReader)
{
    orvtest::moduleHost();
    const std::vector<NumberCase> cases = {
        {"5", 0, 5},      {" 12 ", 0, 12},  {"+3", 0, 3},    {"-0.5", 0, -0.5}, {"1E3", 0, 1000},
        {".5", 0, 0.5},   {"", 1, 0},       {"   ", 1, 0},   {"NAN", 1, 0},     {"INF", 1, 0},
        {"0x10", 1, 0},   {"1e400", 1, 0},  {"5a", 1, 0},    {".", 1, 0},       {"1.2.3", 1, 0},
        {"1e", 1, 0},     {"+-1", 1, 0},    {"1 2", 1, 0},
    };
    for (const NumberCase &c : cases) {
        double value = -99;
        EXPECT_EQ(wzrlchr(c.text, len(c.text), &value), c.status) << '"' << c.text << '"';
        EXPECT_EQ(value, c.status == 0 ? c.value : -99) << '"' << c.text << '"';
    }
    double value = -99;
    EXPECT_EQ(wzrlchr("12", -1, &value), 1);
    EXPECT_EQ(wzrlchr(nullptr, 3, &value), 1);
}

struct TextCase {
    int kind;
    double value;
    int length;
    const char *text;
};

TEST(EventRegistry, TimingValuesAsText)
{
    orvtest::moduleHost();
    const std::vector<TextCase> cases = {
        {8, kJan1st2020, 9, "01JAN2020"},
        {10, kJan1st2020At123045, 18, "01JAN2020:12:30:45"},
        {10, -1, 18, "31DEC1959:23:59:59"},
        {4, 25, 2, "25"},
        {4, -3, 2, "-3"},
        {4, 1e20, 21, "100000000000000000000"},
        {8, orvMissing(), 1, "."},
        {9, kJan1st2020, -1, "untouched"},
        {0, 1, -1, "untouched"},
    };
    for (const TextCase &c : cases) {
        char buffer[DATE2STR_SIZE + 8];
        std::memset(buffer, 'x', sizeof buffer);
        std::strcpy(buffer, "untouched");
        EXPECT_EQ(date2str(c.kind, buffer, c.value), c.length) << c.kind << ' ' << c.text;
        EXPECT_STREQ(buffer, c.text) << c.kind;
    }
    EXPECT_EQ(date2str(8, nullptr, 1), -1);
}

}  // namespace
