/*
 * interval_names_test.cpp - interval names: the parser's statuses and
 * fields, the writer's texts, the builders, the retail simplifier and the
 * shift-base intervals.
 */
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "interval/interval_desc.h"
#include "interval/interval_names.h"
#include "interval/interval_table.h"
#include "tests/support/module_host.h"

namespace {

std::string nameOf(const ZINT_DESC &desc)
{
    char text[64];
    int length = sizeof text;
    if (zinti2s(text, &length, &desc) != 0) return "<error>";
    return std::string(text, size_t(length));
}

TEST(IntervalTable, CodesAscendAndEveryBaseNameParsesToItsCode)
{
    int previous = -1;
    for (const ZintBaseEntry &entry : zintBaseEntries()) {
        SCOPED_TRACE(entry.code);
        EXPECT_LT(previous, entry.code);
        previous = entry.code;
        if (entry.code == ZINT_CUSTOM) continue;
        EXPECT_EQ(getname(entry.name, int(std::strlen(entry.name))), entry.code);
        /* The shift base of every code has a base entry itself. */
        EXPECT_NE(zintBaseEntry(entry.shiftBaseCode), nullptr);
    }
    EXPECT_EQ(getname("ZZZ", 3), -1);
    EXPECT_EQ(getname("MONTH", 4), -1);
}

TEST(IntervalNames, ParserStatusesAndFields)
{
    orvtest::moduleHost();
    struct Case {
        const char *text;
        int status;
        int code;     /* checked when status is 0 */
        char kind;
        int multiplier;
        int shift;
    };
    const Case cases[] = {
        {"month", 0, 45, 'd', 1, 0},
        {"Month", 0, 45, 'd', 1, 0},
        {"MONTH", 0, 45, 'd', 1, 0},
        {"MONTHLY", 0, 45, 'd', 1, 0},
        {"QTR.4", 2, 0, 0, 0, 0},
        {"QTR.3", 0, 50, 'd', 1, 2},
        {"QTR2.6", 0, 50, 'd', 2, 5},
        {"QTR2.7", 2, 0, 0, 0, 0},
        {"MONTH.2", 2, 0, 0, 0, 0},
        {"MONTH.1", 0, 45, 'd', 1, 0},
        {"WEEK.7", 0, 30, 'd', 1, 6},
        {"WEEK.8", 2, 0, 0, 0, 0},
        {"YEARV.53", 2, 0, 0, 0, 0},
        {"YEARV.52", 0, 64, 'd', 1, 51},
        {"MONTH0", 1, 0, 0, 0, 0},
        {"MONTH.0", 2, 0, 0, 0, 0},
        {"MONTH2.3.4", 102, 0, 0, 0, 0},
        {"DAY1W", 102, 0, 0, 0, 0},
        {"WEEKDAY1234567W", 102, 0, 0, 0, 0},
        {"WEEKDAY123456W", 0, 27, 'd', 1, 0},
        {"WEEKDAY8W", 102, 0, 0, 0, 0},
        {"WEEKDAYW", 103, 0, 0, 0, 0}, /* W is a letter: one stem */
        {"DTMONTH", 0, 45, 's', 1, 0},
        {"TENDAY", 0, 35, 'd', 1, 0},
        {"TENDAY2.2", 0, 35, 'd', 2, 1},
        {"TWEEK", 0, 30, 's', 1, 0},
        {"THOUR", 0, 20, 's', 1, 0},
        {"HOUR", 0, 20, 's', 1, 0},
        {"DTHOUR", 0, 20, 's', 1, 0},
        {"DAY", 0, 25, 'd', 1, 0},
        {"DTDAY", 0, 25, 's', 1, 0},
        {"R445QTR", 0, 51, 'd', 1, 0},
        {"DTR445MON", 0, 46, 's', 1, 0},
        {"r544yr2.24", 0, 63, 'd', 2, 23},
        {"R446QTR", 103, 0, 0, 0, 0},
        {"X445YR", 103, 0, 0, 0, 0},
        {"ABCDEFGHIJKLMNOPQRSTUV", 101, 0, 0, 0, 0},
        {"ABCDEFGHIJKLMNOPQRSTU", 103, 0, 0, 0, 0},
        {"12", 0, 1, 'o', 12, 0},
        {"5.", 0, 1, 'o', 5, 0},
        {"12.3", 2, 0, 0, 0, 0},
        {"0", 1, 0, 0, 0, 0},
        {"1W", 102, 0, 0, 0, 0},
        {"3-", 102, 0, 0, 0, 0},
        {"OBS", 0, 1, 'o', 1, 0},
        {"OBS3.2", 0, 1, 'o', 3, 1},
        {"NONE", 0, 0, 'u', 1, 0},
        {"NONE2", 103, 0, 0, 0, 0},
        {"DTOBS", 103, 0, 0, 0, 0},
        {"TOBS", 103, 0, 0, 0, 0},
        {"DTNONE", 103, 0, 0, 0, 0},
        {"SEC", 0, 10, 's', 1, 0},
        {"MIN", 0, 15, 's', 1, 0},
        {"HR", 0, 20, 's', 1, 0},
        {"SEMIMON", 0, 40, 'd', 1, 0},
        {"QTRLY", 0, 50, 'd', 1, 0},
        {"SEMIANN", 0, 55, 'd', 1, 0},
        {"ANNUALS", 0, 60, 'd', 1, 0},
        {"MONTHX", 103, 0, 0, 0, 0},
        {"MONTH.X", 102, 0, 0, 0, 0},
        {"MONTH2X", 103, 0, 0, 0, 0},
        {"T", 103, 0, 0, 0, 0},
        {"DT", 103, 0, 0, 0, 0},
        {"MONTH2147483647", 0, 45, 'd', 2147483647, 0},
        {"MONTH2147483648", 1, 0, 0, 0, 0},
        {"DAY.99999999999", 2, 0, 0, 0, 0},
        /* 52 x 50000000 passes 2^31: the limit needs 64 bits. */
        {"YEARV50000000.1", 0, 64, 'd', 50000000, 0},
        {"YEARV50000000.9", 0, 64, 'd', 50000000, 8},
        {"YR200000000.5", 0, 60, 'd', 200000000, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ZINT_DESC desc{};
        const int status = zintstr(c.text, -1, &desc);
        EXPECT_EQ(status, c.status);
        if (status == 101) continue;
        /* Every other status leaves the name as typed. */
        EXPECT_STREQ(desc.name, c.text);
        EXPECT_EQ(desc.nameLength, int(std::strlen(c.text)));
        if (status != 0 || c.status != 0) continue;
        EXPECT_EQ(desc.code, c.code);
        EXPECT_EQ(desc.kind, c.kind);
        EXPECT_EQ(desc.multiplier, c.multiplier);
        EXPECT_EQ(desc.shift, c.shift);
    }
}

TEST(IntervalNames, NullAndExplicitLengths)
{
    ZINT_DESC desc;
    EXPECT_EQ(zintstr(nullptr, 3, &desc), 1001);
    EXPECT_EQ(zintstr("DAY", 3, nullptr), 1001);
    EXPECT_EQ(zintstr("DAY", 0, &desc), 101);
    EXPECT_EQ(zintstr("DAY", -2, &desc), 101);
    /* Only the given length is read: "MONTHLY" cut to 5 is MONTH. */
    EXPECT_EQ(zintstr("MONTHLY", 5, &desc), 0);
    EXPECT_STREQ(desc.name, "MONTH");
    EXPECT_EQ(desc.nameLength, 5);
}

TEST(IntervalNames, WeekdayDaysOff)
{
    struct Case {
        const char *text;
        const char *daysOff; /* Sunday first */
        int workingDays;
    };
    const Case cases[] = {
        {"WEEKDAY", "1000001", 5},       {"WEEKDAY17W", "1000001", 5},
        {"weekday67w3.2", "0000011", 5}, {"WEEKDAY1W", "1000000", 6},
        {"WEEKDAY123456W", "1111110", 1}, {"WEEKDAY2211W", "1100000", 5},
        {"DTWEEKDAY35W", "0010100", 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ZINT_DESC desc;
        ASSERT_EQ(zintstr(c.text, -1, &desc), 0);
        EXPECT_EQ(desc.code, ZINT_WEEKDAY);
        for (int day = 0; day < 7; ++day) EXPECT_EQ(desc.daysOff[day], c.daysOff[day] - '0') << day;
        EXPECT_EQ(desc.workingDays, c.workingDays);
    }
}

TEST(IntervalNames, WriterTexts)
{
    struct Case {
        const char *text;
        const char *written;
    };
    const Case cases[] = {
        {"MONTH", "MONTH"},         {"month2", "MONTH2."},     {"QTR.2", "QTR.2"},
        {"WEEK", "WEEK1."},         {"WEEK.2", "WEEK1.2"},     {"DTDAY", "DTDAY"},
        {"WEEKDAY67W3", "WEEKDAY67W3."}, {"weekday17w", "WEEKDAY"}, {"WEEKDAY1W.1", "WEEKDAY1W"},
        {"THOUR", "HOUR"},          {"TWEEK", "DTWEEK"},       {"12", "OBS12."},
        {"R445YR2.13", "R445YR2.13"}, {"YEARV.52", "YEARV.52"}, {"NONE", "NONE"},
        {"SEMIANNUAL", "SEMIYEAR"}, {"DTWEEKDAY246W2.2", "DTWEEKDAY246W2.2"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ZINT_DESC desc;
        ASSERT_EQ(zintstr(c.text, -1, &desc), 0);
        EXPECT_EQ(nameOf(desc), c.written);
    }
}

TEST(IntervalNames, WriterBufferSizes)
{
    ZINT_DESC desc;
    ASSERT_EQ(zintstr("MONTH2", -1, &desc), 0);
    char text[8];
    std::memset(text, '#', sizeof text);
    int length = 7; /* "MONTH2." and its NUL need 8 */
    EXPECT_EQ(zinti2s(text, &length, &desc), 101);
    EXPECT_EQ(text[0], '#');
    EXPECT_EQ(length, 7);
    length = 8;
    EXPECT_EQ(zinti2s(text, &length, &desc), 0);
    EXPECT_STREQ(text, "MONTH2.");
    EXPECT_EQ(length, 7);
    EXPECT_EQ(zinti2s(nullptr, &length, &desc), 1001);
    EXPECT_EQ(zinti2s(text, nullptr, &desc), 1001);
    EXPECT_EQ(zinti2s(text, &length, nullptr), 1001);

    /* The longest text a descriptor can have: 37 characters, built in
     * full before the buffer size is looked at. */
    ZINT_DESC longest;
    ASSERT_EQ(zintstr("DTWEEKDAY123456W", -1, &longest), 0);
    longest.multiplier = 2147483647;
    longest.shift = 2147483646;
    char wide[64];
    length = sizeof wide;
    EXPECT_EQ(zinti2s(wide, &length, &longest), 0);
    EXPECT_STREQ(wide, "DTWEEKDAY123456W2147483647.2147483647");
    EXPECT_EQ(length, 37);
    char narrow[22];
    std::memset(narrow, '#', sizeof narrow);
    length = sizeof narrow;
    EXPECT_EQ(zinti2s(narrow, &length, &longest), 101);
    EXPECT_EQ(narrow[0], '#');
}

TEST(IntervalNames, BaseBuilders)
{
    struct Case {
        const char *id;
        int code, multiplier, shift;
        int status;
        const char *written; /* when status is 0 */
    };
    const Case cases[] = {
        {"DAY1.1", 25, 1, 1, 0, "DAY"},
        {"QTR2.6", 50, 2, 6, 0, "QTR2.6"},
        {"QTR.4", 50, 0, 4, 2, ""},
        {"plain MONTH", 45, 0, 0, 0, "MONTH"},
        {"WEEKDAY", 27, 0, 0, 0, "WEEKDAY"},
        {"negative multiplier", 45, -1, 0, 1, ""},
        {"negative shift", 45, 0, -1, 2, ""},
        {"R445YR has no zintic name", 61, 1, 0, 103, ""},
        {"custom", 65, 0, 0, 103, ""},
        {"too long", 31, 2147483647, 2147483647, 101, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZINT_DESC desc;
        EXPECT_EQ(zinticms(c.code, c.multiplier, c.shift, &desc), c.status);
        if (c.status == 0) {
            EXPECT_EQ(nameOf(desc), c.written);
        }
    }
    struct CodeCase {
        int code;
        int status;
    };
    const CodeCase codes[] = {{0, 0}, {1, 0}, {2, 1}, {10, 0}, {25, 0}, {26, 1}, {27, 0},
                              {49, 1}, {61, 1}, {62, 1}, {63, 1}, {64, 0}, {65, 1}, {255, 1}};
    for (const CodeCase &c : codes) {
        SCOPED_TRACE(c.code);
        ZINT_DESC desc;
        EXPECT_EQ(zintic(c.code, &desc), c.status);
        if (c.status == 0) {
            EXPECT_EQ(desc.code, c.code);
            EXPECT_EQ(desc.multiplier, 1);
            EXPECT_EQ(desc.shift, 0);
        }
    }
}

TEST(IntervalNames, RetailSimplification)
{
    struct Case {
        const char *text;
        int status;
        const char *name; /* the name field afterwards */
        int code, multiplier, shift;
        char kind;
    };
    const Case cases[] = {
        {"R445MON12", 0, "R445YR", 61, 1, 0, 'd'},
        {"R454MON6", 0, "R454QTR2.", 52, 2, 0, 'd'},
        {"R544QTR8.3", 0, "R544YR2.3", 63, 2, 2, 'd'},
        {"DTR445MON3", 0, "DTR445QTR", 51, 1, 0, 's'},
        {"WEEKV104", 0, "YEARV2.", 64, 2, 0, 'd'},
        {"WEEKV53", 0, "YEARV", 64, 1, 0, 'd'},
        {"WEEKV5", 0, "WEEKV5", 31, 5, 0, 'd'},
        {"R445MON5", 0, "R445MON5", 46, 5, 0, 'd'},
        {"R445YR", 0, "R445YR", 61, 1, 0, 'd'},
        {"YEARV3", 0, "YEARV3", 64, 3, 0, 'd'},
        {"MONTH12", 1, "MONTH12", 45, 12, 0, 'd'},
        /* The rewritten name, DTR445QTR333333333.999, has 22 characters:
         * the descriptor stays as it was. */
        {"TR445MON999999999.999", 0, "TR445MON999999999.999", 46, 999999999, 998, 's'},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ZINT_DESC desc;
        ASSERT_EQ(zintstr(c.text, -1, &desc), 0);
        EXPECT_EQ(zintrsimp(&desc), c.status);
        EXPECT_STREQ(desc.name, c.name);
        EXPECT_EQ(desc.nameLength, int(std::strlen(c.name)));
        EXPECT_EQ(desc.code, c.code);
        EXPECT_EQ(desc.multiplier, c.multiplier);
        EXPECT_EQ(desc.shift, c.shift);
        EXPECT_EQ(desc.kind, c.kind);
    }
    EXPECT_EQ(zintrsimp(nullptr), 2);
}

TEST(IntervalNames, ShiftBaseIntervals)
{
    struct Case {
        const char *text;
        const char *shiftBase; /* written name */
        char kind;
    };
    const Case cases[] = {
        {"QTR2.3", "MONTH", 'd'},      {"DTQTR", "DTMONTH", 's'},   {"WEEK.3", "DAY", 'd'},
        {"TWEEK", "DTDAY", 's'},       {"WEEKV2", "DAY", 'd'},      {"YEARV.9", "WEEKV", 'd'},
        {"YEAR.7", "MONTH", 'd'},      {"SEMIYEAR", "MONTH", 'd'},  {"R445YR", "R445MON", 'd'},
        {"R544QTR", "R544MON", 'd'},   {"R454MON3.2", "R454MON", 'd'}, {"TENDAY3", "TENDAY", 'd'},
        {"WEEKDAY", "WEEKDAY", 'd'},   {"WEEKDAY67W3.2", "WEEKDAY67W", 'd'},
        {"DTWEEKDAY1W", "DTWEEKDAY1W", 's'}, {"HOUR4.2", "HOUR", 's'}, {"OBS3", "OBS", 'o'},
        {"NONE", "NONE", 'u'},         {"DTMONTH2", "DTMONTH", 's'},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        ZINT_DESC desc, base;
        ASSERT_EQ(zintstr(c.text, -1, &desc), 0);
        ASSERT_EQ(zintshft(&desc, &base), 0);
        EXPECT_EQ(nameOf(base), c.shiftBase);
        EXPECT_EQ(base.kind, c.kind);
        EXPECT_EQ(base.multiplier, 1);
        EXPECT_EQ(base.shift, 0);
    }
    ZINT_DESC unknown{};
    unknown.code = 99;
    ZINT_DESC base;
    std::memset(&base, 0x5A, sizeof base);
    EXPECT_EQ(zintshft(&unknown, &base), 2);
    EXPECT_EQ(base.code, 0);
    EXPECT_EQ(base.name[0], '\0');
}

}  // namespace
