/*
 * interval_formats_test.cpp - recommended formats of intervals (zintfmt
 * and its time-of-day variants) with widths worked out by hand, the
 * category of format names (zfmttype, zfmtunits) and the catalogue, and
 * every recommendation rendered by the host's formats: the value of the
 * interval's kind must show, in the recommended width and in the minimum
 * width, without asterisks.
 */
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "host/missing_values.h"
#include "interval/format_catalogue.h"
#include "interval/interval_formats.h"
#include "interval/interval_names.h"
#include "platform/formats.h"
#include "tests/support/module_host.h"

namespace {

/* Monday 6 January 2020, and 10:30:15 on that day. */
constexpr double kDate = 21920;
constexpr double kDatetime = 21920 * 86400.0 + 37815;
constexpr double kObservation = 123;

struct Recommendation {
    int rc;
    std::string name;
    int width;
    int minWidth;
};

Recommendation recommend(int (*routine)(const ZINT_DESC *, char *, int16_t *, int16_t *, int16_t *),
                         const ZINT_DESC *desc)
{
    char name[ZINT_FORMAT_NAME_SIZE];
    std::memset(name, 'x', sizeof name);
    int16_t length = -1, width = -1, minWidth = -1;
    const int rc = routine(desc, name, &length, &width, &minWidth);
    /* Past the name the field holds zero bytes. */
    for (int i = length; i < ZINT_FORMAT_NAME_SIZE; ++i) EXPECT_EQ(name[i], '\0');
    return {rc, std::string(name, size_t(length)), width, minWidth};
}

ZINT_DESC parsed(const char *text)
{
    ZINT_DESC desc{};
    EXPECT_EQ(zintstr(text, -1, &desc), 0) << text;
    return desc;
}

void expectRecommendation(const Recommendation &got, const Recommendation &expected)
{
    EXPECT_EQ(got.rc, expected.rc);
    EXPECT_EQ(got.name, expected.name);
    EXPECT_EQ(got.width, expected.width);
    EXPECT_EQ(got.minWidth, expected.minWidth);
}

TEST(IntervalFormats, RecommendedFormat)
{
    orvtest::moduleHost();
    struct Case {
        const char *interval;
        Recommendation expected;
    };
    const Case cases[] = {
        {"MONTH", {0, "MONYY", 7, 5}},          {"DTMONTH", {0, "DTMONYY", 7, 5}},
        {"QTR", {0, "YYQC", 6, 4}},             {"QTR.2", {0, "MONYY", 7, 5}},
        {"DTQTR", {0, "DTYYQC", 6, 4}},         {"YEAR", {0, "YEAR", 4, 2}},
        {"YEAR.7", {0, "MONYY", 7, 5}},         {"DTYEAR", {0, "DTYEAR", 4, 2}},
        {"SEMIYEAR", {0, "MONYY", 7, 5}},       {"DTHOUR", {0, "DATETIME", 10, 10}},
        {"DTHOUR2.2", {0, "DATETIME", 13, 13}},  {"HOUR2.2", {0, "DATETIME", 13, 13}},
        {"MINUTE", {0, "DATETIME", 13, 13}},    {"MINUTE15.3", {0, "DATETIME", 16, 16}},
        {"SECOND", {0, "DATETIME", 16, 16}},    {"DAY", {0, "DATE", 9, 7}},
        {"DTDAY", {0, "DTDATE", 9, 7}},         {"WEEKDAY17W", {0, "DATE", 9, 7}},
        {"TENDAY", {0, "DATE", 9, 7}},          {"SEMIMONTH", {0, "DATE", 9, 7}},
        {"WEEK", {0, "WEEKDATX", 17, 15}},      {"DTWEEK", {0, "DTWKDATX", 17, 15}},
        {"WEEKV", {0, "WEEKV", 9, 7}},          {"DTWEEKV", {0, "DTWEEKV", 9, 7}},
        {"R445MON", {0, "WEEKV", 9, 7}},        {"R454QTR", {0, "WEEKV", 9, 7}},
        {"R544YR", {0, "WEEKV", 9, 7}},         {"DTYEARV", {0, "DTWEEKV", 9, 7}},
        {"OBS", {0, "F", 6, 4}},                {"OBS5", {0, "F", 6, 4}},
        {"NONE", {1, "D", 9, 7}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.interval);
        const ZINT_DESC desc = parsed(c.interval);
        expectRecommendation(recommend(zintfmt, &desc), c.expected);
    }

    SCOPED_TRACE("odd descriptors");
    expectRecommendation(recommend(zintfmt, nullptr), {1, "D", 9, 7});
    ZINT_DESC unknown = parsed("MONTH");
    unknown.code = 99;
    expectRecommendation(recommend(zintfmt, &unknown), {0, "DATE", 9, 7});
    unknown.kind = 's';
    expectRecommendation(recommend(zintfmt, &unknown), {0, "DATETIME", 16, 16});
    /* A custom interval whose BEGIN format cannot be had: a date or a
     * datetime format, never outputs left unset. */
    ZINT_DESC custom{};
    custom.kind = 'd';
    custom.code = ZINT_CUSTOM;
    custom.multiplier = 2;
    std::memcpy(custom.name, "FISCAL2", 8);
    custom.nameLength = 7;
    expectRecommendation(recommend(zintfmt, &custom), {0, "DATE", 9, 7});
    custom.kind = 's';
    expectRecommendation(recommend(zintfmt, &custom), {0, "DATETIME", 16, 16});
}

TEST(IntervalFormats, TimeOfDayVariants)
{
    orvtest::moduleHost();
    struct Case {
        const char *id;
        const char *interval;
        char variant; /* 'm' zintfmm, 'p' zintfmp, 'd' zintfmd */
        double a, b;
        Recommendation expected;
    };
    const double missing = orvMissing();
    const Case cases[] = {
        /* zintfmm: times within multiplier x 86400 + shift. */
        {"an hour", "HOUR", 'm', 3600, 0, {0, "TIME", 10, 8}},
        {"shifted", "HOUR2.2", 'm', 3600, 0, {0, "TIME", 13, 8}},
        {"beyond a day", "HOUR", 'm', 2 * 86400.0, 0, {0, "DATETIME", 10, 10}},
        {"480 hours need 9", "HOUR24", 'm', 20 * 86400.0, 0, {0, "TIME", 10, 9}},
        {"23976 hours need 11", "HOUR1000", 'm', 999 * 86400.0, 0, {0, "TIME", 11, 11}},
        {"missing value", "HOUR", 'm', missing, 0, {0, "DATETIME", 10, 10}},
        /* zintfmp: spans.  10 hours: HHMM from one hour digit, raised to
         * the 5 that "10:00" takes. */
        {"10 hours", "HOUR", 'p', 0, 36000, {0, "HHMM", 5, 5}},
        {"10 hours backwards", "HOUR", 'p', 36000, 0, {0, "HHMM", 5, 5}},
        {"2000 hours", "HOUR", 'p', 0, 2000 * 3600.0, {0, "HOUR", 4, 4}},
        {"90 minutes", "MINUTE", 'p', 0, 5400, {0, "HHMM", 4, 4}},
        {"6000 minutes: 100:00", "MINUTE", 'p', 0, 6000 * 60.0, {0, "HHMM", 6, 6}},
        {"600 seconds", "SECOND", 'p', 0, 600, {0, "MMSS", 5, 5}},
        {"50 seconds", "SECOND", 'p', 0, 50, {0, "MMSS", 5, 5}},
        {"5000 seconds: 1:23:20", "SECOND", 'p', 0, 5000, {0, "TIME", 7, 7}},
        {"datetime names keep datetimes", "DTHOUR", 'p', 0, 36000, {0, "DATETIME", 10, 10}},
        {"a start beyond two days", "HOUR", 'p', 3 * 86400.0, 4 * 86400.0, {0, "DATETIME", 10, 10}},
        /* zintfmd: by the multiplier. */
        {"HOUR", "HOUR", 'd', 0, 0, {0, "HHMM", 10, 8}},
        {"HOUR12", "HOUR12", 'd', 0, 0, {0, "HHMM", 11, 8}},
        {"HOUR24", "HOUR24", 'd', 0, 0, {0, "DATETIME", 10, 10}},
        {"MINUTE15", "MINUTE15", 'd', 0, 0, {0, "HHMM", 6, 5}},
        {"MINUTE60", "MINUTE60", 'd', 0, 0, {0, "HHMM", 7, 5}},
        {"MINUTE1439", "MINUTE1439", 'd', 0, 0, {0, "HHMM", 7, 6}},
        {"MINUTE1440", "MINUTE1440", 'd', 0, 0, {0, "DATETIME", 13, 13}},
        {"SECOND5", "SECOND5", 'd', 0, 0, {0, "MMSS", 5, 5}},
        {"SECOND15", "SECOND15", 'd', 0, 0, {0, "MMSS", 6, 5}},
        {"SECOND16", "SECOND16", 'd', 0, 0, {0, "TIME", 8, 5}},
        {"SECOND86400", "SECOND86400", 'd', 0, 0, {0, "DATETIME", 16, 16}},
        {"DTHOUR", "DTHOUR", 'd', 0, 0, {0, "DATETIME", 10, 10}},
        {"a day", "DAY", 'd', 0, 0, {0, "DATE", 9, 7}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const ZINT_DESC desc = parsed(c.interval);
        char name[ZINT_FORMAT_NAME_SIZE];
        int16_t length = 0, width = 0, minWidth = 0;
        int rc = 0;
        if (c.variant == 'm')
            rc = zintfmm(&desc, name, &length, &width, &minWidth, c.a);
        else if (c.variant == 'p')
            rc = zintfmp(&desc, name, &length, &width, &minWidth, c.a, c.b);
        else
            rc = zintfmd(&desc, name, &length, &width, &minWidth);
        expectRecommendation({rc, std::string(name, size_t(length)), width, minWidth}, c.expected);

        /* The values the width was sized for show in it. */
        if (c.variant == 'd' || c.expected.name.rfind("DATE", 0) == 0) continue;
        const int id = orvhost::formatIdentifier(c.expected.name);
        for (double value : {c.a, c.b}) {
            if (orvIsMissing(value) || (c.variant == 'm' && value != c.a)) continue;
            std::string text;
            ASSERT_EQ(orvhost::formatValue(id, value, minWidth, -1, &text), 0);
            EXPECT_EQ(text.find('*'), std::string::npos) << text;
        }
    }
}

TEST(IntervalFormats, FormatCategories)
{
    orvtest::moduleHost();
    struct Case {
        const char *name;
        int type;
        int units;
    };
    const Case cases[] = {
        {"DATE", 8, 'd'},    {"TIME", 9, 's'},      {"DATETIME", 10, 's'}, {"BEST", 4, 'o'},
        {"DOLLAR", 0, 0},    {"NOSUCHFMT", -1, 0},  {"date", -1, 0},       {"DATE   ", 8, 'd'},
        {"YYMMDD", 8, 'd'},  {"TOD", 9, 's'},       {"COMMA", 4, 'o'},     {"$CHAR", 0, 0},
        {"$ORVNAME", 0, 0},  {"MATURITY", 0, 0},    {"D", 4, 'o'},         {"WEEKV", 8, 'd'},
        {"DTWKDATX", 10, 's'}, {"SMFSTAMP", 0, 0},  {"$N8601B", 8, 'd'},   {"", -1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const int length = int(std::strlen(c.name));
        EXPECT_EQ(zfmttype(c.name, length), c.type);
        EXPECT_EQ(zfmtunits(c.name, length), c.units);
    }
    EXPECT_EQ(zfmttype(nullptr, 4), -1);
}

TEST(IntervalFormats, CatalogueHoldsEachNameOnceWithItsCategory)
{
    orvtest::moduleHost();
    std::set<std::string> names;
    std::map<int, int> perCategory;
    for (const ZfmtCatalogueRow &row : fmtinfox()) {
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        ++perCategory[row.category];
    }
    EXPECT_EQ(names.size(), size_t(ZFMT_CATALOGUE_SIZE));
    const std::map<int, int> expected = {{ZFMT_NUM, 48},   {ZFMT_DATE, 315},   {ZFMT_TIME, 32},
                                         {ZFMT_DATETIME, 80}, {ZFMT_CURR, 138}, {ZFMT_BINARY, 49},
                                         {ZFMT_CHAR, 47},  {ZFMT_SMF, 8},      {ZFMT_STAT, 3}};
    EXPECT_EQ(perCategory, expected);
    /* Every name is found, whatever its place in the table. */
    for (const ZfmtCatalogueRow &row : fmtinfox()) {
        const int want = row.category <= ZFMT_DATETIME ? row.category : 0;
        ASSERT_EQ(zfmttype(row.name, int(std::strlen(row.name))), want) << row.name;
    }
}

TEST(IntervalFormats, EveryRecommendationRendersInTheHost)
{
    orvtest::moduleHost();
    const char *const intervals[] = {
        "NONE", "OBS", "OBS3", "SECOND", "SECOND5.2", "MINUTE", "MINUTE2.2", "HOUR", "HOUR2.2", "DAY",
        "DTDAY", "DAY3.2", "WEEKDAY", "DTWEEKDAY1W", "TENDAY", "DTTENDAY", "SEMIMONTH", "DTSEMIMONTH",
        "WEEK", "DTWEEK", "WEEK.4", "WEEKV", "DTWEEKV", "R445MON", "DTR445MON", "R454QTR", "R544YR",
        "DTR544YR", "YEARV", "DTYEARV", "MONTH", "DTMONTH", "QTR", "DTQTR", "QTR.2", "DTQTR.2",
        "SEMIYEAR", "DTSEMIYEAR", "YEAR", "DTYEAR", "YEAR.7", "DTYEAR.7",
    };
    for (const char *interval : intervals) {
        SCOPED_TRACE(interval);
        const ZINT_DESC desc = parsed(interval);
        const Recommendation r = recommend(zintfmt, &desc);
        const int id = orvhost::formatIdentifier(r.name);
        ASSERT_NE(id, orvhost::kNoFormat) << r.name;
        const double value = desc.kind == 's' ? kDatetime : desc.kind == 'o' ? kObservation : kDate;
        for (int width : {r.width, r.minWidth}) {
            std::string text;
            ASSERT_EQ(orvhost::formatValue(id, value, width, -1, &text), 0);
            EXPECT_EQ(text.size(), size_t(width));
            EXPECT_EQ(text.find('*'), std::string::npos) << r.name << width << ": " << text;
        }
    }
}

}  // namespace
