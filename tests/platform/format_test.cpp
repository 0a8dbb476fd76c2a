/*
 * format_test.cpp - the host's formats and informats: the catalogue and
 * the division of format names, renderings worked out by hand (widths,
 * defaults, minimums, asterisks, missing values, cut-off rather than
 * rounded times), informat readings by hand, renderings and readings
 * against Python's strftime over a sweep of dates
 * (tests/oracle/format_dates.py), and the services xfrname, znamdiv,
 * xfrshow, xpfs, xfxin and xpsstr as the modules call them.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "host/format_records.h"
#include "host/missing_values.h"
#include "platform/formats.h"
#include "platform/host.h"
#include "platform/service_table.h"

namespace {

using namespace orvhost;

uint64_t bitsOf(double value) { return std::bit_cast<uint64_t>(value); }
double letter(char c) { return std::bit_cast<double>(orvLetterMissingBits(c - 'A')); }
const double kUnderscore = std::bit_cast<double>(ORV_MISSING_UNDERSCORE_BITS);

constexpr double kMonday6Jan2020 = 21920;
/* 10:30:15.25 on 6 January 2020. */
constexpr double kDatetime = 21920 * 86400.0 + 37815.25;
constexpr double kTime = 37815.25;

TEST(FormatCatalogue, NamesAndIdentifiers)
{
    struct Case {
        const char *id;
        const char *name;
        int identifier;
        FormatFamily family;
    };
    const Case cases[] = {
        {"F keeps 1", "F", 1, FormatFamily::Numeric},
        {"BEST keeps 2", "best", 2, FormatFamily::Numeric},
        {"DATE keeps 3", "Date", 3, FormatFamily::Date},
        {"DATETIME keeps 4", "DATETIME", 4, FormatFamily::DateTime},
        {"TIME keeps 5", "time", 5, FormatFamily::Time},
        {"DTWKDATX", "dtwkdatx", kFormatDtWkdatx, FormatFamily::DateTime},
        {"DTWEEKV", "DTWEEKV", kFormatDtWeekv, FormatFamily::DateTime},
        {"D", "d", kFormatD, FormatFamily::Numeric},
        {"COMMA", "comma", kFormatComma, FormatFamily::Numeric},
        {"YYMMDD", "YYMMDD", kFormatYymmdd, FormatFamily::Date},
        {"blanks around", "  MONYY ", kFormatMonyy, FormatFamily::Date},
        {"$CHAR", "$char", kFormatChar, FormatFamily::Character},
        {"unknown", "DOLLAR", kNoFormat, FormatFamily::Numeric},
        {"unknown character", "$UPCASE", kNoFormat, FormatFamily::Character},
        {"with width is not a bare name", "DATE9.", kNoFormat, FormatFamily::Numeric},
        {"empty", "", kNoFormat, FormatFamily::Numeric},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(formatIdentifier(c.name), c.identifier);
        EXPECT_EQ(formatFamily(c.name), c.family);
        if (c.identifier != kNoFormat) {
            std::string expected = c.name;
            expected.erase(0, expected.find_first_not_of(' '));
            expected.erase(expected.find_last_not_of(' ') + 1);
            for (char &ch : expected) ch = char(std::toupper(static_cast<unsigned char>(ch)));
            EXPECT_EQ(formatNameOf(c.identifier), expected);
        }
    }
    EXPECT_EQ(formatNameOf(kNoFormat), "");
    EXPECT_EQ(formatNameOf(0), "");
    EXPECT_EQ(findFormat(int(formatCatalogue().size()) + 1), nullptr);
    /* Every row's default width lies within its bounds. */
    for (const FormatSpec &spec : formatCatalogue()) {
        SCOPED_TRACE(spec.name);
        EXPECT_LE(spec.minWidth, spec.defaultWidth);
        EXPECT_LE(spec.defaultWidth, spec.maxWidth);
    }
}

TEST(FormatCatalogue, SplitFormatName)
{
    struct Case {
        const char *id;
        const char *text;
        bool ok;
        const char *name;
        int width, decimals;
    };
    const Case cases[] = {
        {"date with width", "DATE9.", true, "DATE", 9, 0},
        {"lower case", "datetime18.", true, "DATETIME", 18, 0},
        {"decimals", "F8.2", true, "F", 8, 2},
        {"no width", "BEST.", true, "BEST", 0, 0},
        {"bare name", "YYQC", true, "YYQC", 0, 0},
        {"width without dot", "MONYY7", true, "MONYY", 7, 0},
        {"decimals only", "TIME.3", true, "TIME", 0, 3},
        {"character", "$CHAR10.", true, "$CHAR", 10, 0},
        {"dollar alone", "$12.", true, "$", 12, 0},
        {"digits inside a name", "B8601DA10.", true, "B8601DA", 10, 0},
        {"blanks around", "  DATE9.  ", true, "DATE", 9, 0},
        {"empty", "", false, "", 0, 0},
        {"only blanks", "   ", false, "", 0, 0},
        {"starts with a digit", "9DATE.", false, "", 0, 0},
        {"only width", "9.", false, "", 0, 0},
        {"two dots", "F8.2.1", false, "", 0, 0},
        {"letters after the dot", "F8.X", false, "", 0, 0},
        {"blank inside", "DA TE9.", false, "", 0, 0},
        {"width too large", "F99999.", false, "", 0, 0},
        {"decimals too large", "F8.32", false, "", 0, 0},
        {"name too long", "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFG9.", false, "", 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        FormatName parts{"untouched", -1, -1};
        EXPECT_EQ(splitFormatName(c.text, &parts), c.ok);
        if (c.ok) {
            EXPECT_EQ(parts.name, c.name);
            EXPECT_EQ(parts.width, c.width);
            EXPECT_EQ(parts.decimals, c.decimals);
        } else {
            EXPECT_EQ(parts.name, "untouched");
        }
    }
}

TEST(FormatRender, CaseTable)
{
    /* Expected texts worked out by hand from the renderings tabled in
     * formats.cpp; dates checked against Python (6 January 2020 is day
     * 21920, a Monday, ISO 2020-W02-1). */
    struct Case {
        const char *id;
        int format;
        double value;
        int width, decimals;
        const char *expected;
    };
    const Case cases[] = {
        /* F: fixed decimals, fewer when they do not fit, then asterisks. */
        {"F8.2", kFormatF, 1234.5, 8, 2, " 1234.50"},
        {"F6.2 drops a decimal", kFormatF, 1234.5, 6, 2, "1234.5"},
        {"F5.2 drops both", kFormatF, 1234.5, 5, 2, " 1235"},
        {"F3.2 does not fit", kFormatF, 1234.5, 3, 2, "***"},
        {"F rounds", kFormatF, 0.375, 5, 2, " 0.38"},
        {"F ties round away from zero", kFormatF, 0.125, 5, 2, " 0.13"},
        {"F negative ties too", kFormatF, -2.5, 3, 0, " -3"},
        {"F just below a tie", kFormatF, std::nextafter(0.125, 0.0), 5, 2, " 0.12"},
        {"F negative zero", kFormatF, -0.001, 5, 2, " 0.00"},
        {"F negative", kFormatF, -2.5, 6, 1, "  -2.5"},
        {"F default width 12", kFormatF, 7, 0, 0, "           7"},
        {"F huge", kFormatF, 1e20, 12, 0, "************"},
        /* COMMA: F's forms with a comma between groups of three digits,
         * then F's own (texts as Python's format(value, ",.2f")). */
        {"COMMA12.2", kFormatComma, 1234567.891, 12, 2, "1,234,567.89"},
        {"COMMA12.2 of a fraction", kFormatComma, -0.5, 12, 2, "       -0.50"},
        {"COMMA9.1 negative", kFormatComma, -1234.5, 9, 1, " -1,234.5"},
        {"COMMA10.2 drops the decimals", kFormatComma, 1234567.891, 10, 2, " 1,234,568"},
        {"COMMA8.2 without commas", kFormatComma, 1234567.891, 8, 2, " 1234568"},
        {"COMMA rounds into a new group", kFormatComma, 999.999, 8, 2, "1,000.00"},
        {"COMMA three digits have none", kFormatComma, 123, 6, 0, "   123"},
        {"COMMA default width 6", kFormatComma, 12345, 0, 0, "12,345"},
        {"COMMA6 of a million", kFormatComma, 1e6, 6, 0, "******"},
        {"F decimals above the maximum", kFormatF, 1, 36, 99, "   1.0000000000000000000000000000000"},
        /* BEST: most significant digits that fit. */
        {"BEST integer", kFormatBest, 1234, 6, 0, "  1234"},
        {"BEST fraction", kFormatBest, 1234.5, 12, 0, "      1234.5"},
        {"BEST noise-free sum", kFormatBest, 0.1 + 0.2, 5, 0, "  0.3"},
        {"BEST third", kFormatBest, 1.0 / 3, 12, 0, "0.3333333333"},
        {"BEST large integer", kFormatBest, 123456789, 8, 0, "1.2346E8"},
        {"BEST 15 digits", kFormatBest, 123456789012345, 15, 0, "123456789012345"},
        {"BEST 15 digits narrow", kFormatBest, 123456789012345, 12, 0, "1.2345679E14"},
        {"BEST 1E20", kFormatBest, 1e20, 12, 0, "        1E20"},
        {"BEST small fixed", kFormatBest, 1.5e-7, 12, 0, "  0.00000015"},
        {"BEST small scientific", kFormatBest, 1.5e-7, 8, 0, "  1.5E-7"},
        {"BEST negative", kFormatBest, -0.25, 5, 0, "-0.25"},
        {"BEST negative zero", kFormatBest, -0.0, 3, 0, "  0"},
        {"BEST3 of 1234", kFormatBest, 1234, 3, 0, "1E3"},
        {"BEST tie rounds away", kFormatBest, 1234.5, 4, 0, "1235"},
        {"BEST infinity", kFormatBest, std::numeric_limits<double>::infinity(), 5, 0, "*****"},
        {"F minus infinity", kFormatF, -std::numeric_limits<double>::infinity(), 5, 0, "*****"},
        {"TIME infinity", kFormatTime, std::numeric_limits<double>::infinity(), 5, 0, "*****"},
        {"BEST2 of 1234", kFormatBest, 1234, 2, 0, "**"},
        {"no format is BEST", kNoFormat, 2.5, 4, 0, " 2.5"},
        /* INT: rounded half away from zero. */
        {"INT rounds up", kFormatInt, 1234.5, 6, 0, "  1235"},
        {"INT rounds down negative", kFormatInt, -1234.5, 6, 0, " -1235"},
        {"INT 2.5", kFormatInt, 2.5, 1, 0, "3"},
        {"INT too wide", kFormatInt, 1234.5, 3, 0, "***"},
        /* Missing values, any format. */
        {"missing BEST", kFormatBest, orvMissing(), 4, 0, "   ."},
        {"missing .A DATE", kFormatDate, letter('A'), 9, 0, "        A"},
        {"missing .Z TIME", kFormatTime, letter('Z'), 3, 0, "  Z"},
        {"missing ._ F", kFormatF, kUnderscore, 2, 0, " _"},
        {"foreign NaN", kFormatF, std::numeric_limits<double>::quiet_NaN(), 2, 0, " ."},
        /* DATE by width. */
        {"DATE5", kFormatDate, kMonday6Jan2020, 5, 0, "06JAN"},
        {"DATE6", kFormatDate, kMonday6Jan2020, 6, 0, " 06JAN"},
        {"DATE7", kFormatDate, kMonday6Jan2020, 7, 0, "06JAN20"},
        {"DATE default is 7", kFormatDate, kMonday6Jan2020, 0, 0, "06JAN20"},
        {"DATE8", kFormatDate, kMonday6Jan2020, 8, 0, " 06JAN20"},
        {"DATE9", kFormatDate, kMonday6Jan2020, 9, 0, "06JAN2020"},
        {"DATE10", kFormatDate, kMonday6Jan2020, 10, 0, " 06JAN2020"},
        {"DATE11", kFormatDate, kMonday6Jan2020, 11, 0, "06-JAN-2020"},
        {"DATE4 below the minimum", kFormatDate, kMonday6Jan2020, 4, 0, "****"},
        {"DATE fraction of a day", kFormatDate, -0.5, 9, 0, "31DEC1959"},
        {"DATE first day", kFormatDate, -138061, 9, 0, "01JAN1582"},
        {"DATE before the range", kFormatDate, -138062, 9, 0, "*********"},
        {"DATE last day in 9", kFormatDate, 6589335, 9, 0, "*********"},
        {"DATE last day in 10", kFormatDate, 6589335, 10, 0, "26DEC20000"},
        {"DATE last day in 11", kFormatDate, 6589335, 11, 0, " 26DEC20000"},
        {"DATE after the range", kFormatDate, 6589336, 11, 0, "***********"},
        {"DATE infinite", kFormatDate, std::numeric_limits<double>::infinity(), 9, 0, "*********"},
        /* DATETIME by width: parts not shown are cut off. */
        {"DATETIME7", kFormatDatetime, kDatetime, 7, 0, "06JAN20"},
        {"DATETIME10", kFormatDatetime, kDatetime, 10, 0, "06JAN20:10"},
        {"DATETIME13", kFormatDatetime, kDatetime, 13, 0, "06JAN20:10:30"},
        {"DATETIME16", kFormatDatetime, kDatetime, 16, 0, "06JAN20:10:30:15"},
        {"DATETIME default is 16", kFormatDatetime, kDatetime, 0, 0, "06JAN20:10:30:15"},
        {"DATETIME17", kFormatDatetime, kDatetime, 17, 0, " 06JAN20:10:30:15"},
        {"DATETIME18", kFormatDatetime, kDatetime, 18, 0, "06JAN2020:10:30:15"},
        {"DATETIME19", kFormatDatetime, kDatetime, 19, 0, " 06JAN2020:10:30:15"},
        {"DATETIME21.2", kFormatDatetime, kDatetime, 21, 2, "06JAN2020:10:30:15.25"},
        {"DATETIME20.2 drops decimals", kFormatDatetime, kDatetime, 20, 2, "  06JAN2020:10:30:15"},
        {"DATETIME6", kFormatDatetime, kDatetime, 6, 0, "******"},
        {"DATETIME before 1960", kFormatDatetime, -1, 16, 0, "31DEC59:23:59:59"},
        {"DATETIME cuts seconds", kFormatDatetime, 59.99, 16, 0, "01JAN60:00:00:59"},
        {"DATETIME out of range", kFormatDatetime, 6589336.0 * 86400, 18, 0, "******************"},
        /* TIME, HHMM, HOUR, MMSS: durations, cut off, not rounded. */
        {"TIME8", kFormatTime, kTime, 8, 0, "10:30:15"},
        {"TIME11.2", kFormatTime, kTime, 11, 2, "10:30:15.25"},
        {"TIME7", kFormatTime, kTime, 7, 0, "  10:30"},
        {"TIME5", kFormatTime, kTime, 5, 0, "10:30"},
        {"TIME2", kFormatTime, kTime, 2, 0, "10"},
        {"TIME1", kFormatTime, kTime, 1, 0, "*"},
        {"TIME one hour", kFormatTime, 3600, 8, 0, " 1:00:00"},
        {"TIME cuts", kFormatTime, 3599.9, 8, 0, " 0:59:59"},
        {"TIME 100 hours", kFormatTime, 360000, 9, 0, "100:00:00"},
        {"TIME 100 hours in 8", kFormatTime, 360000, 8, 0, "  100:00"},
        {"TIME negative", kFormatTime, -90, 8, 0, "-0:01:30"},
        {"TIME negative shows no -0", kFormatTime, -90, 2, 0, " 0"},
        {"TIME huge", kFormatTime, 1e20, 8, 0, "********"},
        {"HHMM5", kFormatHhmm, kTime, 5, 0, "10:30"},
        {"HHMM8.2", kFormatHhmm, kTime, 8, 2, "10:30.25"},
        {"HHMM2", kFormatHhmm, kTime, 2, 0, "10"},
        {"HOUR2", kFormatHour, kTime, 2, 0, "10"},
        {"HOUR5.2", kFormatHour, kTime, 5, 2, "10.50"},
        {"HOUR4.2", kFormatHour, kTime, 4, 2, "  10"},
        {"MMSS6", kFormatMmss, kTime, 6, 0, "630:15"},
        {"MMSS5", kFormatMmss, kTime, 5, 0, "  630"},
        {"MMSS9.2", kFormatMmss, kTime, 9, 2, "630:15.25"},
        /* The week, quarter, month and year formats. */
        {"WEEKDATX29", kFormatWeekdatx, kMonday6Jan2020, 29, 0, "       Monday, 6 January 2020"},
        {"WEEKDATX22", kFormatWeekdatx, kMonday6Jan2020, 22, 0, "Monday, 6 January 2020"},
        {"WEEKDATX21", kFormatWeekdatx, kMonday6Jan2020, 21, 0, "  Mon, 6 January 2020"},
        {"WEEKDATX15", kFormatWeekdatx, kMonday6Jan2020, 15, 0, "Mon, 6 Jan 2020"},
        {"WEEKDATX14", kFormatWeekdatx, kMonday6Jan2020, 14, 0, "    Mon, 6 Jan"},
        {"WEEKDATX9", kFormatWeekdatx, kMonday6Jan2020, 9, 0, "      Mon"},
        {"WEEKDATX2", kFormatWeekdatx, kMonday6Jan2020, 2, 0, "**"},
        {"WEEKV11", kFormatWeekv, kMonday6Jan2020, 11, 0, "2020-W02-01"},
        {"WEEKV9", kFormatWeekv, kMonday6Jan2020, 9, 0, "2020W0201"},
        {"WEEKV8", kFormatWeekv, kMonday6Jan2020, 8, 0, " 2020W02"},
        {"WEEKV7", kFormatWeekv, kMonday6Jan2020, 7, 0, "2020W02"},
        {"WEEKV6", kFormatWeekv, kMonday6Jan2020, 6, 0, " 20W02"},
        {"WEEKV3", kFormatWeekv, kMonday6Jan2020, 3, 0, "W02"},
        {"WEEKV 1 Jan 2021 is in 2020", kFormatWeekv, 22281, 11, 0, "2020-W53-05"},
        {"WEEKV 30 Dec 2019 is in 2020", kFormatWeekv, 21913, 11, 0, "2020-W01-01"},
        {"YYQC6", kFormatYyqc, kMonday6Jan2020, 6, 0, "2020:1"},
        {"YYQC5", kFormatYyqc, kMonday6Jan2020, 5, 0, " 20:1"},
        {"YYQC4 August", kFormatYyqc, 22142, 4, 0, "20:3"},
        {"MONYY5", kFormatMonyy, kMonday6Jan2020, 5, 0, "JAN20"},
        {"MONYY6", kFormatMonyy, kMonday6Jan2020, 6, 0, " JAN20"},
        {"MONYY7", kFormatMonyy, kMonday6Jan2020, 7, 0, "JAN2020"},
        {"YEAR4", kFormatYear, kMonday6Jan2020, 4, 0, "2020"},
        {"YEAR3", kFormatYear, kMonday6Jan2020, 3, 0, " 20"},
        {"YEAR2", kFormatYear, kMonday6Jan2020, 2, 0, "20"},
        {"YEAR4 of 20000", kFormatYear, 6589335, 4, 0, "****"},
        {"YEAR5 of 20000", kFormatYear, 6589335, 5, 0, "20000"},
        {"YYMMDD10", kFormatYymmdd, kMonday6Jan2020, 10, 0, "2020-01-06"},
        {"YYMMDD9", kFormatYymmdd, kMonday6Jan2020, 9, 0, " 20-01-06"},
        {"YYMMDD8", kFormatYymmdd, kMonday6Jan2020, 8, 0, "20-01-06"},
        {"YYMMDD7", kFormatYymmdd, kMonday6Jan2020, 7, 0, " 200106"},
        {"YYMMDD6", kFormatYymmdd, kMonday6Jan2020, 6, 0, "200106"},
        {"YYMMDD4", kFormatYymmdd, kMonday6Jan2020, 4, 0, "2001"},
        {"YYMMDD2", kFormatYymmdd, kMonday6Jan2020, 2, 0, "20"},
        /* The datetime twins show the datetime's day. */
        {"DTDATE9", kFormatDtDate, kDatetime, 9, 0, "06JAN2020"},
        {"DTWKDATX", kFormatDtWkdatx, kDatetime, 15, 0, "Mon, 6 Jan 2020"},
        {"DTWEEKV", kFormatDtWeekv, kDatetime, 11, 0, "2020-W02-01"},
        {"DTYYQC", kFormatDtYyqc, kDatetime, 6, 0, "2020:1"},
        {"DTMONYY", kFormatDtMonyy, kDatetime, 7, 0, "JAN2020"},
        {"DTYEAR", kFormatDtYear, kDatetime, 4, 0, "2020"},
        {"DTDATE before 1960", kFormatDtDate, -0.5, 9, 0, "31DEC1959"},
        {"DTWEEKV9", kFormatDtWeekv, kDatetime, 9, 0, "2020W0201"},
        {"DTWEEKV7", kFormatDtWeekv, kDatetime, 7, 0, "2020W02"},
        /* D shows the most significant digits, as BEST. */
        {"D9 of a day number", kFormatD, kMonday6Jan2020, 9, 0, "    21920"},
        {"D7 of a fraction", kFormatD, 1.0 / 3, 7, 0, "0.33333"},
        {"D default width 12", kFormatD, -2.5, 0, 0, "        -2.5"},
        {"D missing", kFormatD, letter('D'), 3, 0, "  D"},
        /* Widths too small for any form: asterisks, never more text. */
        {"D2 of 21920", kFormatD, kMonday6Jan2020, 2, 0, "**"},
        {"DTWEEKV2", kFormatDtWeekv, kDatetime, 2, 0, "**"},
        {"DATETIME6", kFormatDatetime, kDatetime, 6, 0, "******"},
        {"HHMM3 of 100 hours: the hours alone", kFormatHhmm, 360000, 3, 0, "100"},
        {"HHMM2 of 100 hours", kFormatHhmm, 360000, 2, 0, "**"},
        {"TIME1", kFormatTime, kTime, 1, 0, "*"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::string text;
        EXPECT_EQ(formatValue(c.format, c.value, c.width, c.decimals, &text), 0);
        EXPECT_EQ(text, c.expected);
    }
}

TEST(FormatRender, RefusedRequests)
{
    struct Case {
        const char *id;
        int format;
        int width;
        int status;
    };
    const Case cases[] = {
        {"unknown identifier", 98, 8, kFormatStatusNotFound},
        {"identifier 0", 0, 8, kFormatStatusNotFound},
        {"character format", kFormatChar, 8, kFormatStatusBadArgument},
        {"negative width", kFormatF, -1, kFormatStatusBadArgument},
        {"width too large", kFormatF, 40000, kFormatStatusBadArgument},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::string text = "old";
        EXPECT_EQ(formatValue(c.format, 1.0, c.width, 0, &text), c.status);
        EXPECT_EQ(text, "");
    }
}

TEST(Informats, CaseTable)
{
    constexpr double kInvalid = -1e300; /* marks a text the informat refuses */
    constexpr double kDay1Jan2020 = 21915;
    struct Case {
        const char *id;
        int informat;
        const char *text;
        int decimals;
        double expected; /* a value, a missing value (bit pattern), or kInvalid */
    };
    const Case cases[] = {
        /* Numbers. */
        {"F plain", kFormatF, "1234.5", 0, 1234.5},
        {"F exponent", kFormatF, " -1.5e3 ", 0, -1500},
        {"F plus", kFormatF, "+2", 0, 2},
        {"F point first", kFormatF, ".5", 0, 0.5},
        {"F implied decimals", kFormatF, "1234", 2, 12.34},
        {"F written decimals win", kFormatF, "12.5", 2, 12.5},
        {"F comma", kFormatF, "1,000", 0, kInvalid},
        {"COMMA with commas", kFormatComma, "-1,234,567.89", 0, -1234567.89},
        {"COMMA implied decimals", kFormatComma, "1,234", 2, 12.34},
        {"COMMA word", kFormatComma, "1,2x", 0, kInvalid},
        {"F word", kFormatF, "abc", 0, kInvalid},
        {"F inf", kFormatF, "inf", 0, kInvalid},
        {"F nan", kFormatF, "NaN", 0, kInvalid},
        {"F two signs", kFormatF, "+-1", 0, kInvalid},
        {"F blank inside", kFormatF, "1 2", 0, kInvalid},
        {"F empty is missing", kFormatF, "", 0, orvMissing()},
        {"F blanks are missing", kFormatF, "   ", 0, orvMissing()},
        {"F dot is missing", kFormatF, ".", 0, orvMissing()},
        {"F .a", kFormatF, ".a", 0, letter('A')},
        {"F .Z", kFormatF, ".Z", 0, letter('Z')},
        {"F ._", kFormatF, "._", 0, kUnderscore},
        {"F .AB", kFormatF, ".AB", 0, kInvalid},
        {"no format reads as F", kNoFormat, "7.25", 0, 7.25},
        {"BEST", kFormatBest, "1.5E-7", 0, 1.5e-7},
        {"INT", kFormatInt, "42", 0, 42},
        {"INT negative", kFormatInt, " -7", 0, -7},
        {"INT plus", kFormatInt, "+7", 0, 7},
        {"INT 2^53", kFormatInt, "9007199254740992", 0, 9007199254740992.0},
        {"INT above 2^53", kFormatInt, "9007199254740993", 0, kInvalid},
        {"INT fraction", kFormatInt, "4.5", 0, kInvalid},
        {"INT exponent", kFormatInt, "1e3", 0, kInvalid},
        {"INT sign alone", kFormatInt, "-", 0, kInvalid},
        /* Dates. */
        {"DATE9", kFormatDate, "01JAN2020", 0, kDay1Jan2020},
        {"DATE lower case, one digit", kFormatDate, "1jan2020", 0, kDay1Jan2020},
        {"DATE two-digit year", kFormatDate, "01JAN20", 0, kDay1Jan2020},
        {"DATE cut-off 1926: 25 is 2025", kFormatDate, "01JAN25", 0, 23742},
        {"DATE cut-off 1926: 26 is 1926", kFormatDate, "01JAN26", 0, -12418},
        {"DATE11", kFormatDate, "01-JAN-2020", 0, kDay1Jan2020},
        {"DATE blanks", kFormatDate, " 01 JAN 2020 ", 0, kDay1Jan2020},
        {"DATE day 0", kFormatDate, "01JAN1960", 0, 0},
        {"DATE leap day", kFormatDate, "29FEB2020", 0, 21974},
        {"DATE no leap day", kFormatDate, "29FEB2021", 0, kInvalid},
        {"DATE 31 Apr", kFormatDate, "31APR2020", 0, kInvalid},
        {"DATE before the range", kFormatDate, "31DEC1581", 0, kInvalid},
        {"DATE last day", kFormatDate, "26DEC20000", 0, 6589335},
        {"DATE after the range", kFormatDate, "27DEC20000", 0, kInvalid},
        {"DATE no year", kFormatDate, "06JAN", 0, kInvalid},
        {"DATE three-digit year", kFormatDate, "06JAN202", 0, kInvalid},
        {"DATE full month name", kFormatDate, "06JANUARY2020", 0, kInvalid},
        {"DATE unknown month", kFormatDate, "01XYZ2020", 0, kInvalid},
        {"DATE trailing text", kFormatDate, "01JAN2020X", 0, kInvalid},
        {"DATE missing", kFormatDate, ".", 0, orvMissing()},
        /* Datetimes. */
        {"DATETIME", kFormatDatetime, "01JAN2020:10:30:00", 0, kDay1Jan2020 * 86400 + 37800},
        {"DATETIME fraction", kFormatDatetime, "01JAN2020:10:30:00.5", 0, kDay1Jan2020 * 86400 + 37800.5},
        {"DATETIME minutes", kFormatDatetime, "01jan2020:10:30", 0, kDay1Jan2020 * 86400 + 37800},
        {"DATETIME hours", kFormatDatetime, "01JAN2020:10", 0, kDay1Jan2020 * 86400 + 36000},
        {"DATETIME blank separator", kFormatDatetime, "01JAN2020 10:30:00", 0, kDay1Jan2020 * 86400 + 37800},
        {"DATETIME two-digit year", kFormatDatetime, "01JAN20:10:30:00", 0, kDay1Jan2020 * 86400 + 37800},
        {"DATETIME date only", kFormatDatetime, "01JAN2020", 0, kDay1Jan2020 * 86400},
        {"DATETIME hour 24", kFormatDatetime, "01JAN2020:24:00:00", 0, kInvalid},
        {"DATETIME minute 60", kFormatDatetime, "01JAN2020:10:60", 0, kInvalid},
        {"DATETIME second 60", kFormatDatetime, "01JAN2020:10:30:60", 0, kInvalid},
        {"DATETIME dangling colon", kFormatDatetime, "01JAN2020:", 0, kInvalid},
        {"DTDATE", kFormatDtDate, "06JAN2020", 0, kMonday6Jan2020 * 86400},
        /* Durations. */
        {"TIME", kFormatTime, "10:30:15.25", 0, kTime},
        {"TIME minutes", kFormatTime, "10:30", 0, 37800},
        {"TIME hours", kFormatTime, "10", 0, 36000},
        {"TIME decimal hours", kFormatTime, "10.5", 0, 37800},
        {"TIME decimal minutes", kFormatTime, "10:30.5", 0, 37830},
        {"TIME negative", kFormatTime, "-0:01:30", 0, -90},
        {"TIME long", kFormatTime, "100:00:00", 0, 360000},
        {"TIME minute 60", kFormatTime, "10:60", 0, kInvalid},
        {"TIME fraction then more", kFormatTime, "10.5:30", 0, kInvalid},
        {"TIME four parts", kFormatTime, "1:2:3:4", 0, kInvalid},
        {"HHMM", kFormatHhmm, "10:30", 0, 37800},
        {"HHMM decimal minutes", kFormatHhmm, "10:30.25", 0, 37815},
        {"HHMM seconds refused", kFormatHhmm, "10:30:15", 0, kInvalid},
        {"HOUR", kFormatHour, "10.5", 0, 37800},
        {"HOUR colon refused", kFormatHour, "10:30", 0, kInvalid},
        {"MMSS", kFormatMmss, "630:15.25", 0, kTime},
        {"MMSS minutes", kFormatMmss, "90", 0, 5400},
        /* Weeks, quarters, months, years. */
        {"WEEKDATX", kFormatWeekdatx, "Monday, 6 January 2020", 0, kMonday6Jan2020},
        {"WEEKDATX short", kFormatWeekdatx, "mon, 6 jan 2020", 0, kMonday6Jan2020},
        {"WEEKDATX no weekday", kFormatWeekdatx, "6 January 2020", 0, kMonday6Jan2020},
        {"WEEKDATX wrong weekday", kFormatWeekdatx, "Tuesday, 6 January 2020", 0, kInvalid},
        {"WEEKDATX no year", kFormatWeekdatx, "Mon, 6 Jan", 0, kInvalid},
        {"WEEKDATX not a weekday", kFormatWeekdatx, "Xyz, 6 Jan 2020", 0, kInvalid},
        {"DTWKDATX", kFormatDtWkdatx, "Mon, 6 Jan 2020", 0, kMonday6Jan2020 * 86400},
        {"WEEKV11", kFormatWeekv, "2020-W02-01", 0, kMonday6Jan2020},
        {"WEEKV9", kFormatWeekv, "2020W0201", 0, kMonday6Jan2020},
        {"WEEKV ISO basic", kFormatWeekv, "2020W021", 0, kMonday6Jan2020},
        {"WEEKV7 is Monday", kFormatWeekv, "2020w02", 0, kMonday6Jan2020},
        {"WEEKV5", kFormatWeekv, "20W02", 0, kMonday6Jan2020},
        {"WEEKV week 53", kFormatWeekv, "2020-W53-05", 0, 22281},
        {"WEEKV no week 53 in 2021", kFormatWeekv, "2021-W53", 0, kInvalid},
        {"WEEKV weekday 8", kFormatWeekv, "2020-W02-08", 0, kInvalid},
        {"WEEKV week 0", kFormatWeekv, "2020W00", 0, kInvalid},
        {"WEEKV dash without weekday", kFormatWeekv, "2020-W02-", 0, kInvalid},
        {"YYQC", kFormatYyqc, "2020:3", 0, 22097},
        {"YYQC two-digit", kFormatYyqc, "20:1", 0, kDay1Jan2020},
        {"YYQC Q", kFormatYyqc, "2020q1", 0, kDay1Jan2020},
        {"YYQC quarter 5", kFormatYyqc, "2020:5", 0, kInvalid},
        {"MONYY", kFormatMonyy, "JAN2020", 0, kDay1Jan2020},
        {"MONYY two-digit", kFormatMonyy, "feb20", 0, 21946},
        {"MONYY bad month", kFormatMonyy, "FOO2020", 0, kInvalid},
        {"YEAR", kFormatYear, "2020", 0, kDay1Jan2020},
        {"YEAR two-digit", kFormatYear, "20", 0, kDay1Jan2020},
        {"YEAR before the range", kFormatYear, "1581", 0, kInvalid},
        {"DTYEAR", kFormatDtYear, "2020", 0, kDay1Jan2020 * 86400},
        {"YYMMDD10", kFormatYymmdd, "2020-01-06", 0, kMonday6Jan2020},
        {"YYMMDD8", kFormatYymmdd, "20-01-06", 0, kMonday6Jan2020},
        {"YYMMDD6", kFormatYymmdd, "200106", 0, kMonday6Jan2020},
        {"YYMMDD digits 8", kFormatYymmdd, "20200106", 0, kMonday6Jan2020},
        {"YYMMDD slashes", kFormatYymmdd, "2020/1/6", 0, kMonday6Jan2020},
        {"YYMMDD mixed separators", kFormatYymmdd, "2020-01/06", 0, kInvalid},
        {"YYMMDD month 13", kFormatYymmdd, "2020-13-01", 0, kInvalid},
        {"YYMMDD no day", kFormatYymmdd, "2020-01", 0, kInvalid},
        {"YYMMDD 7 digits", kFormatYymmdd, "2020010", 0, kInvalid},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        double value = 0;
        const int status = readValue(c.informat, c.text, c.decimals, 1926, &value);
        if (c.expected == kInvalid) {
            EXPECT_EQ(status, kInformatStatusInvalid);
            EXPECT_EQ(bitsOf(value), ORV_MISSING_BITS);
        } else if (orvIsMissing(c.expected)) {
            EXPECT_EQ(status, 0);
            EXPECT_EQ(bitsOf(value), bitsOf(c.expected));
        } else {
            EXPECT_EQ(status, 0);
            EXPECT_DOUBLE_EQ(value, c.expected);
        }
    }
}

TEST(Informats, YearCutoffAndRefusals)
{
    double value = 0;
    /* Cut-off 1950: 30 is 2030 (day 25568), 50 is 1950; with 1926, 30 is
     * 1930 (day -10957). */
    EXPECT_EQ(readValue(kFormatYear, "30", 0, 1950, &value), 0);
    EXPECT_EQ(value, 25568);
    EXPECT_EQ(readValue(kFormatYear, "30", 0, 1926, &value), 0);
    EXPECT_EQ(value, -10957);
    EXPECT_EQ(readValue(kFormatYear, "50", 0, 1950, &value), 0);
    EXPECT_EQ(value, -3652);
    EXPECT_EQ(readValue(98, "1", 0, 1926, &value), kFormatStatusNotFound);
    EXPECT_EQ(bitsOf(value), ORV_MISSING_BITS);
    EXPECT_EQ(readValue(kFormatChar, "1", 0, 1926, &value), kFormatStatusBadArgument);
}

/* Splits one CSV line with RFC 4180 quoting (no newlines inside fields). */
std::vector<std::string> csvFields(const std::string &line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') fields.back() += line[++i];
        else if (c == '"') quoted = !quoted;
        else if (c == ',' && !quoted) fields.emplace_back();
        else fields.back() += c;
    }
    return fields;
}

TEST(FormatRender, AgreesWithPythonStrftime)
{
    std::ifstream in(std::string(ORV_SOURCE_DIR) + "/tests/oracle/format_dates.csv");
    ASSERT_TRUE(in.good());
    std::string line;
    std::getline(in, line);
    /* Columns after day and datetime, and the format of each; the value
     * read back is the day, except for the period formats (the first day
     * of the period) and DATETIME18 (the datetime). */
    const int formats[] = {kFormatDate,   kFormatDate,  kFormatWeekdatx, kFormatWeekv,   kFormatYymmdd,
                           kFormatMonyy,  kFormatYyqc,  kFormatYear,     kFormatDatetime};
    int rows = 0, failures = 0;
    while (std::getline(in, line)) {
        const std::vector<std::string> f = csvFields(line);
        ASSERT_EQ(f.size(), 11u) << line;
        const double day = std::stod(f[0]);
        const double datetime = std::stod(f[1]);
        ++rows;
        for (size_t k = 0; k < std::size(formats); ++k) {
            const std::string &expected = f[k + 2];
            const double value = formats[k] == kFormatDatetime ? datetime : day;
            std::string text;
            formatValue(formats[k], value, int(expected.size()), 0, &text);
            double back = 0;
            const int status = readValue(formats[k], expected, 0, 1926, &back);
            /* Periods read back to their first day: rendering that day
             * again gives the same text. */
            std::string again;
            formatValue(formats[k], back, int(expected.size()), 0, &again);
            const bool periodic = formats[k] == kFormatMonyy || formats[k] == kFormatYyqc || formats[k] == kFormatYear;
            const bool ok = text == expected && status == 0 && (periodic ? again == expected && back <= day : back == value);
            if (!ok && ++failures <= 10)
                ADD_FAILURE() << "day " << f[0] << " column " << k << ": wrote '" << text << "', expected '"
                              << expected << "', read back " << back;
        }
    }
    EXPECT_GT(rows, 1500);
    EXPECT_EQ(failures, 0);
}

TEST(FormatRender, EveryDayOfTheRangeRoundTrips)
{
    /* DATE10, YYMMDD12 and WEEKV12 carry every day of the range in full:
     * writing and reading back must give the day itself (every 97th day, so
     * that all weekdays and days of the month come round). */
    int failures = 0;
    for (int64_t day = -138061; day <= 6589335; day += 97) {
        for (int format : {int(kFormatDate), int(kFormatYymmdd), int(kFormatWeekv)}) {
            std::string text;
            double back = 0;
            formatValue(format, double(day), format == kFormatDate ? 10 : 12, 0, &text);
            if ((readValue(format, text, 0, 1926, &back) != 0 || back != double(day)) && ++failures <= 5)
                ADD_FAILURE() << "day " << day << " format " << format << " text '" << text << "'";
        }
    }
    EXPECT_EQ(failures, 0);
}

/* ---- The services, as the modules call them. ---- */

TEST(FormatServices, Xfrname)
{
    struct Case {
        const char *id;
        const char *name;
        int kind;
        int status;
        int64_t code;
        FORMAT_INFO info; /* checked when status is 0 */
    };
    const Case cases[] = {
        {"DATETIME", "DATETIME", 'F', 0, kFormatDatetime, {16, 7, 40, 0, 6, 0, 0, ORV_FORMAT_CATEGORY_DATETIME, 0}},
        {"DATE9. as informat", "date9.", 'I', 0, kFormatDate, {7, 5, 11, 0, 0, 9, 0, ORV_FORMAT_CATEGORY_DATE, 0}},
        {"F8.2: the code carries the decimals", " F8.2 ", 'F', 0, kFormatF + 2 * kDecimalsCodeUnit,
         {12, 1, 32, 0, 31, 8, 2, ORV_FORMAT_CATEGORY_NUMBER, 0}},
        {"COMMA12.2", "COMMA12.2", 'F', 0, kFormatComma + 2 * kDecimalsCodeUnit,
         {6, 1, 32, 0, 31, 12, 2, ORV_FORMAT_CATEGORY_NUMBER, 0}},
        {"decimals a format does not take", "DATE9.2", 'F', 0, kFormatDate,
         {7, 5, 11, 0, 0, 9, 2, ORV_FORMAT_CATEGORY_DATE, 0}},
        {"INT informat", "INT", 'I', 0, kFormatInt, {12, 1, 32, 0, 0, 0, 0, ORV_FORMAT_CATEGORY_NUMBER, 0}},
        {"HHMM", "HHMM", 'F', 0, kFormatHhmm, {5, 2, 20, 0, 6, 0, 0, ORV_FORMAT_CATEGORY_TIME, 0}},
        {"$CHAR", "$CHAR", 'F', 0, kFormatChar, {8, 1, 32767, 0, 0, 0, 0, ORV_FORMAT_CATEGORY_CHARACTER, 0}},
        {"unknown", "DOLLAR", 'F', kFormatStatusNotFound, ORV_NO_FORMAT, {}},
        {"no format name", "9X", 'F', kFormatStatusNotFound, ORV_NO_FORMAT, {}},
        {"empty", "", 'F', kFormatStatusNotFound, ORV_NO_FORMAT, {}},
        {"other kind", "DATE", 'X', kFormatStatusBadArgument, ORV_NO_FORMAT, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        FORMAT_INFO info;
        std::memset(&info, 0x5A, sizeof info);
        int64_t code = -5;
        EXPECT_EQ(host_routines::xfrname(nullptr, c.name, int(std::strlen(c.name)), c.kind, &info, &code), c.status);
        EXPECT_EQ(code, c.code);
        if (c.status == 0) {
            EXPECT_EQ(std::memcmp(&info, &c.info, sizeof info), 0);
        }
    }
    /* Null outputs are allowed; a null name is not. */
    EXPECT_EQ(host_routines::xfrname(nullptr, "DATE", 4, 'F', nullptr, nullptr), 0);
    int64_t code = 0;
    EXPECT_EQ(host_routines::xfrname(nullptr, nullptr, 4, 'F', nullptr, &code), kFormatStatusBadArgument);
    EXPECT_EQ(code, ORV_NO_FORMAT);
    /* The length bounds the name: "DATEXYZ" cut to 4 is DATE. */
    EXPECT_EQ(host_routines::xfrname(nullptr, "DATEXYZ", 4, 'F', nullptr, &code), 0);
    EXPECT_EQ(code, kFormatDate);
}

TEST(FormatServices, Znamdiv)
{
    struct Case {
        const char *id;
        const char *name;
        int mode;
        int result;
        const char *first;
        const char *second;
        int width, decimals;
    };
    const Case cases[] = {
        {"two-level name", "mylib.events", ORV_NAMDIV_DATA_SET, 5, "mylib", "events", 0, 0},
        {"one-level name is WORK", "EVENTS", ORV_NAMDIV_DATA_SET, 4, "WORK", "EVENTS", 0, 0},
        {"blanks around", "  lib.ds  ", ORV_NAMDIV_DATA_SET, 3, "lib", "ds", 0, 0},
        {"long library is divided", "averylonglib.x", ORV_NAMDIV_DATA_SET, 12, "averylonglib", "x", 0, 0},
        {"empty member", "lib.", ORV_NAMDIV_DATA_SET, -1, "", "", 0, 0},
        {"empty library", ".ds", ORV_NAMDIV_DATA_SET, -1, "", "", 0, 0},
        {"three levels", "a.b.c", ORV_NAMDIV_DATA_SET, -1, "", "", 0, 0},
        {"bad character", "lib.d-s", ORV_NAMDIV_DATA_SET, -1, "", "", 0, 0},
        {"digit first", "1lib.ds", ORV_NAMDIV_DATA_SET, -1, "", "", 0, 0},
        {"member too long", "lib.abcdefghijabcdefghijabcdefghijXYZ", ORV_NAMDIV_DATA_SET, -1, "", "", 0, 0},
        {"empty", "", ORV_NAMDIV_DATA_SET, -1, "", "", 0, 0},
        {"format", "DATE9.", ORV_NAMDIV_FORMAT, 4, "DATE", "", 9, 0},
        {"format with decimals", "f8.2", ORV_NAMDIV_FORMAT, 1, "F", "", 8, 2},
        {"unknown format divides", "COMMA10.2", ORV_NAMDIV_FORMAT, 5, "COMMA", "", 10, 2},
        {"no format name", "8.2", ORV_NAMDIV_FORMAT, -1, "", "", 0, 0},
        {"unknown mode", "lib.ds", 7, -1, "", "", 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        NAME_PARTS parts;
        std::memset(&parts, 0x5A, sizeof parts);
        EXPECT_EQ(host_routines::znamdiv(c.name, int(std::strlen(c.name)), c.mode, &parts), c.result);
        if (c.result <= 0) {
            EXPECT_EQ(parts.firstLength, 0x5A5A); /* untouched */
            continue;
        }
        EXPECT_EQ(std::string(parts.first, size_t(parts.firstLength)), c.first);
        EXPECT_EQ(std::string(parts.second, size_t(parts.secondLength)), c.second);
        EXPECT_EQ(std::string(parts.first + parts.firstLength, ORV_NAME_PART_LENGTH - size_t(parts.firstLength)),
                  std::string(ORV_NAME_PART_LENGTH - size_t(parts.firstLength), ' '));
        EXPECT_EQ(parts.width, c.width);
        EXPECT_EQ(parts.decimals, c.decimals);
    }
    EXPECT_EQ(host_routines::znamdiv("lib.ds", 6, ORV_NAMDIV_DATA_SET, nullptr), 3);
    EXPECT_EQ(host_routines::znamdiv(nullptr, 6, ORV_NAMDIV_DATA_SET, nullptr), -1);
    EXPECT_EQ(host_routines::znamdiv("lib.ds", -1, ORV_NAMDIV_DATA_SET, nullptr), -1);
}

TEST(FormatServices, Xfrshow)
{
    struct Case {
        const char *id;
        int64_t code;
        int length;
        int status;
        const char *expected;
    };
    const Case cases[] = {
        {"DATETIME", kFormatDatetime, 12, 0, "DATETIME    "},
        {"exact fit", kFormatDatetime, 8, 0, "DATETIME"},
        {"$CHAR", kFormatChar, 6, 0, "$CHAR "},
        {"no format is blank", ORV_NO_FORMAT, 4, 0, "    "},
        {"unknown", 98, 4, kFormatStatusNotFound, "    "},
        {"huge code", int64_t(1) << 40 | kFormatDate, 4, kFormatStatusNotFound, "    "},
        {"code with decimals", kFormatComma + 2 * kDecimalsCodeUnit, 5, 0, "COMMA"},
        {"decimals DATE does not take", kFormatDate + 2 * kDecimalsCodeUnit, 4, kFormatStatusNotFound, "    "},
        {"negative code", -3, 4, kFormatStatusNotFound, "    "},
        {"too short", kFormatDatetime, 7, kFormatStatusBadArgument, "       "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        char buffer[40];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(host_routines::xfrshow(c.code, buffer, c.length), c.status);
        EXPECT_EQ(std::string(buffer, size_t(c.length)), c.expected);
        EXPECT_EQ(buffer[c.length], '#'); /* nothing past the length */
    }
    EXPECT_EQ(host_routines::xfrshow(kFormatDate, nullptr, 8), kFormatStatusBadArgument);
}

TEST(FormatServices, Xpfs)
{
    struct Case {
        const char *id;
        int64_t code;
        double value;
        int width;
        int status;
        const char *field; /* the 24 bytes after the call, '#' = untouched */
    };
    const Case cases[] = {
        {"right-aligned", kFormatDate, kMonday6Jan2020, 10, 0, " 06JAN2020##############"},
        {"left-justified, no fill", kFormatDate, kMonday6Jan2020, -10, 0, "06JAN2020###############"},
        {"datetime left-justified", kFormatDatetime, 21915 * 86400.0 + 37800, -19, 0, "01JAN2020:10:30:00######"},
        {"INT left-justified", kFormatInt, -42, -21, 0, "-42#####################"},
        {"missing left-justified", kFormatInt, orvMissing(), -21, 0, ".#######################"},
        {"asterisks fill the width", kFormatDate, kMonday6Jan2020, -4, 0, "****####################"},
        {"no format is BEST", ORV_NO_FORMAT, 2.5, 5, 0, "  2.5###################"},
        {"the code's decimals", kFormatComma + 2 * kDecimalsCodeUnit, 1234567.891, -14, 0, "1,234,567.89############"},
        {"the format's own decimals", kFormatComma, 1234567.891, -14, 0, "1,234,568###############"},
        {"unknown code", 98, 1, 5, kFormatStatusNotFound, "########################"},
        {"character format", kFormatChar, 1, 5, kFormatStatusBadArgument, "########################"},
        {"width 0", kFormatF, 1, 0, kFormatStatusBadArgument, "########################"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        char field[24];
        std::memset(field, '#', sizeof field);
        EXPECT_EQ(host_routines::xpfs(c.code, c.value, field, c.width), c.status);
        EXPECT_EQ(std::string(field, sizeof field), c.field);
    }
    EXPECT_EQ(host_routines::xpfs(kFormatF, 1, nullptr, 5), kFormatStatusBadArgument);
}

TEST(FormatServices, Xfxin)
{
    std::ostringstream log;
    orvhost::Host host{log};
    int64_t date = 0, datetime = 0, integer = 0;
    ASSERT_EQ(host_routines::xfrname(nullptr, "DATE", 4, 'I', nullptr, &date), 0);
    ASSERT_EQ(host_routines::xfrname(nullptr, "DATETIME", 8, 'I', nullptr, &datetime), 0);
    ASSERT_EQ(host_routines::xfrname(nullptr, "INT", 3, 'I', nullptr, &integer), 0);
    int64_t fixed2 = 0;
    ASSERT_EQ(host_routines::xfrname(nullptr, "F8.2", 4, 'I', nullptr, &fixed2), 0);
    struct Case {
        const char *id;
        int64_t code;
        const char *text;
        int length;
        int status;
        double expected;
    };
    const Case cases[] = {
        {"date", date, "01JAN2020", 9, 0, 21915},
        {"length bounds the text", date, "01JAN2020D", 9, 0, 21915},
        {"datetime", datetime, "01JAN2020:10:30:00", 18, 0, 21915 * 86400.0 + 37800},
        {"integer", integer, "12", 2, 0, 12},
        {"F8.2 places the point", fixed2, "1234", 4, 0, 12.34},
        {"bad integer", integer, "12x", 3, kInformatStatusInvalid, -1},
        {"empty is missing", date, "", 0, 0, -1},
        {"unknown code", 98, "1", 1, kFormatStatusNotFound, -1},
        {"negative length", date, "1", -1, kFormatStatusBadArgument, -1},
        {"null text with a length", date, nullptr, 3, kFormatStatusBadArgument, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        double value = 123;
        EXPECT_EQ(host_routines::xfxin(c.code, c.text, c.length, &value), c.status);
        if (c.expected >= 0) {
            EXPECT_EQ(value, c.expected);
        } else {
            EXPECT_EQ(bitsOf(value), ORV_MISSING_BITS);
        }
    }
    EXPECT_EQ(host_routines::xfxin(date, "x", 1, nullptr), kFormatStatusBadArgument);
    /* Two-digit years follow the host's YEARCUTOFF option. */
    ASSERT_EQ(host.options().set("YEARCUTOFF", "1950"), "");
    double value = 0;
    EXPECT_EQ(host_routines::xfxin(date, "01JAN30", 7, &value), 0);
    EXPECT_EQ(value, 25568);
}

TEST(FormatServices, Xpsstr)
{
    const char name[] = {'D', 'A', 'T', 'E', 'T', 'I', 'M', 'E', 'x', 'x'}; /* not terminated */
    struct Case {
        const char *id;
        int length;
        std::string (*run)(char *buffer, int length, int *result);
        const char *expected; /* the bytes stored */
    };
    static const char *counted = name;
    const Case cases[] = {
        {"width and decimals", 40,
         [](char *b, int n, int *r) { *r = host_routines::xpsstr(b, n, "%*s%i.%i", 8, counted, 16, 2); return std::string(b, size_t(*r)); },
         "DATETIME16.2"},
        {"width only", 40,
         [](char *b, int n, int *r) { *r = host_routines::xpsstr(b, n, "%*s%i.", 4, counted, 9); return std::string(b, size_t(*r)); },
         "DATE9."},
        {"neither", 40,
         [](char *b, int n, int *r) { *r = host_routines::xpsstr(b, n, "%*s.", 4, counted); return std::string(b, size_t(*r)); },
         "DATE."},
        {"cut to the buffer", 6,
         [](char *b, int n, int *r) { *r = host_routines::xpsstr(b, n, "%*s%i.%i", 8, counted, 16, 2); return std::string(b, size_t(*r)); },
         "DATETI"},
        {"numbers and strings", 40,
         [](char *b, int n, int *r) { *r = host_routines::xpsstr(b, n, "%s=%5.2f|%-3d|%x", "v", 3.14159, 7, 255); return std::string(b, size_t(*r)); },
         "v= 3.14|7  |ff"},
        {"trailing newline kept", 40,
         [](char *b, int n, int *r) { *r = host_routines::xpsstr(b, n, "a\n"); return std::string(b, size_t(*r)); },
         "a\n"},
        {"unknown conversion copied", 40,
         [](char *b, int n, int *r) { *r = host_routines::xpsstr(b, n, "x%ny", 1); return std::string(b, size_t(*r)); },
         "x%ny"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        char buffer[48];
        std::memset(buffer, '#', sizeof buffer);
        int result = -1;
        const std::string text = c.run(buffer, c.length, &result);
        EXPECT_EQ(result, int(std::strlen(c.expected)));
        EXPECT_EQ(text, c.expected);
        /* A NUL follows the text when there is room; nothing is written
         * past the length. */
        if (result < c.length) {
            EXPECT_EQ(buffer[result], '\0');
        }
        EXPECT_EQ(buffer[c.length], '#');
    }
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(host_routines::xpsstr(buffer, 0, "abc"), 0);
    EXPECT_EQ(host_routines::xpsstr(nullptr, 4, "abc"), 0);
    EXPECT_EQ(host_routines::xpsstr(buffer, 4, nullptr), 0);
    EXPECT_EQ(buffer[0], '#');
}

}  // namespace

namespace {

TEST(FormatServices, Wztxcm2s)
{
    struct Case {
        const char *id;
        const char *source;
        int sourceLength;
        int fieldLength;
        int moved;
        const char *field;
    };
    const Case cases[] = {
        {"blank-padded", "DATE", 4, 8, 4, "DATE    "},
        {"cut to the field", "DATETIME", 8, 4, 4, "DATE"},
        {"empty source", "", 0, 3, 0, "   "},
        {"negative source length", "DATE", -2, 3, 0, "   "},
        /* "\xC3\xA9" is one character: never split. */
        {"not inside a character", "AB\xC3\xA9", 4, 3, 2, "AB "},
        {"whole character fits", "AB\xC3\xA9", 4, 4, 4, "AB\xC3\xA9"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        char field[16];
        std::memset(field, 'x', sizeof field);
        EXPECT_EQ(host_routines::wztxcm2s(c.source, c.sourceLength, field, c.fieldLength), c.moved);
        EXPECT_EQ(std::string(field, size_t(c.fieldLength)), c.field);
        EXPECT_EQ(field[c.fieldLength], 'x');
    }
    EXPECT_EQ(host_routines::wztxcm2s("DATE", 4, nullptr, 8), 0);
}

}  // namespace
