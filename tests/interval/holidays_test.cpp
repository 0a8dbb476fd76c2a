/*
 * holidays_test.cpp - the 25 holidays against python-holidays and dateutil
 * (tests/oracle/holidays_dates.py), holiday keywords, the n-th weekday of
 * a month, and the year check with the host's cut-offs 1926 and 1969 (the
 * latter against Python's strptime('%y')).
 */
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>

#include "host/civil_days.h"
#include "host/easter.h"
#include "host/missing_values.h"
#include "interval/holidays.h"
#include "interval/year_check.h"
#include "tests/interval/oracle_csv.h"
#include "tests/support/module_host.h"

namespace {

const double kMissing = orvMissing();

double day(int64_t year, int month, int dayOfMonth)
{
    return double(orvDaysFromCivil(year, month, dayOfMonth));
}

void expectValue(double got, double expected)
{
    if (orvIsMissing(expected))
        EXPECT_EQ(std::bit_cast<uint64_t>(got), std::bit_cast<uint64_t>(expected)) << got;
    else
        EXPECT_EQ(got, expected);
}

/* Sets the host's two-digit-year cut-off for one test. */
class YearCutoff {
public:
  explicit YearCutoff(const char *year)
  {
      EXPECT_EQ(orvtest::moduleHost().options().set("YEARCUTOFF", year), "");
  }
    ~YearCutoff() { orvtest::moduleHost().options().set("YEARCUTOFF", "1926"); }
};

TEST(Holidays, DatesMatchIndependentCalendars)
{
    orvtest::moduleHost();
    const auto rows = orvtest::readOracleCsv("holidays_dates.csv");
    ASSERT_GT(rows.size(), 2700u);
    int perCode[ZHOL_COUNT] = {};
    for (const auto &row : rows) {
        SCOPED_TRACE("holidays_dates.csv line " + std::to_string(row.line));
        const int code = int(row.integer(0));
        ASSERT_GE(code, ZHOL_FIRST_CODE);
        ASSERT_LE(code, ZHOL_LAST_CODE);
        ++perCode[code - ZHOL_FIRST_CODE];
        const double year = row.number(1);
        EXPECT_EQ(zholidat(code, year), row.number(2))
            << datekeyname[code - ZHOL_FIRST_CODE].data();
        const int i = code - ZHOL_FIRST_CODE;
        EXPECT_EQ(zholiday(datekeyname[i].data(), datekeynamel[i], year), row.number(2));
    }
    for (int i = 0; i < ZHOL_COUNT; ++i)
        EXPECT_GT(perCode[i], 90) << "code " << i + ZHOL_FIRST_CODE;
}

TEST(Holidays, WorkedExamples)
{
    struct Case {
        const char *id;
        int code;
        double year;
        double expected;
    };
    const Case cases[] = {
        {"MEMORIAL 2021, a fifth Monday", 29, 2021, day(2021, 5, 31)},
        {"THANKSGIVING 2020", 21, 2020, day(2020, 11, 26)},
        {"VETERANSUSG 2023 on Friday", 39, 2023, day(2023, 11, 10)},
        {"VETERANSUSPS 2023 stays", 40, 2023, day(2023, 11, 11)},
        {"VETERANSUSPS 2018 to Monday", 40, 2018, day(2018, 11, 12)},
        {"VICTORIA when 17 May is a Monday", 34, 2021, day(2021, 5, 24)},
        {"VICTORIA 2022", 34, 2022, day(2022, 5, 23)},
        {"CANADAOBSERVED 2018", 35, 2018, day(2018, 7, 2)},
        {"CANADAOBSERVED 2017, a Saturday", 35, 2017, day(2017, 7, 1)},
        {"JUNETEENTHUSG 2021 on Friday", 43, 2021, day(2021, 6, 18)},
        {"JUNETEENTHUSPS 2022 to Monday", 44, 2022, day(2022, 6, 20)},
        {"two-digit year", 24, 21, day(2021, 12, 25)},
        {"two-digit year before the cut-off", 31, 26, day(1926, 1, 1)},
        {"EASTER 1582", 20, 1582, zeaster(1582)},
        {"EASTER 20000", 20, 20000, zeaster(20000)},
        {"year 1581", 24, 1581, kMissing},
        {"year 20001", 24, 20001, kMissing},
        {"missing year", 24, kMissing, kMissing},
        {"code 19", 19, 2020, kMissing},
        {"code 45", 45, 2020, kMissing},
        {"last Christmas", 24, 20000, day(20000, 12, 25)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        expectValue(zholidat(c.code, c.year), c.expected);
    }
    for (int year = 1582; year <= 20000; year += 7)
        EXPECT_EQ(zholidat(20, year), zeaster(year)) << year;
}

TEST(Holidays, Keywords)
{
    struct Case {
        const char *text;
        int code;
    };
    const Case cases[] = {
        {"EASTER", 20},      {"christmas", 24},          {"ChristMas", 24},
        {"CHRISTMA", 0},     {"CHRISTMASS", 0},          {"THANKSGIVING", 21},
        {"THANKSGIVINGCANADA", 32}, {"juneteenthusps", 44}, {"", 0},
        {"CHRISTMAS ", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(zholnchk(c.text, int(std::strlen(c.text))), c.code);
    }
    EXPECT_EQ(zholnchk(nullptr, 6), 0);
    expectValue(zholiday("Boxing", 6, 2021), day(2021, 12, 26));
    expectValue(zholiday("BOXINGDAY", 9, 2021), kMissing);
    /* The keyword table is blank-padded to 32 characters. */
    EXPECT_EQ(std::string(datekeyname[0].data(), 32), "EASTER                          ");
    EXPECT_EQ(datekeynamel[12], 18);
}

TEST(Holidays, NthWeekdayOfMonth)
{
    struct Case {
        const char *id;
        int weekday, n, month, year;
        double expected;
    };
    const Case cases[] = {
        {"last Monday of February 2021", 2, 5, 2, 2021, day(2021, 2, 22)},
        {"fifth Monday of May 2021", 2, 5, 5, 2021, day(2021, 5, 31)},
        {"n above 5 is the last", 2, 9, 5, 2021, day(2021, 5, 31)},
        {"1st Tuesday is the 1st", 3, 1, 6, 2021, day(2021, 6, 1)},
        {"last Tuesday of June 2021", 3, 5, 6, 2021, day(2021, 6, 29)},
        {"4th Thursday of November 2021", 5, 4, 11, 2021, day(2021, 11, 25)},
        {"1st Saturday of January 1960", 7, 1, 1, 1960, 1},
        {"1st Friday of January 1960", 6, 1, 1, 1960, 0},
        {"n 0", 2, 0, 5, 2021, kMissing},
        {"n negative", 2, -3, 5, 2021, kMissing},
        {"weekday 0", 0, 1, 5, 2021, kMissing},
        {"weekday 8", 8, 1, 5, 2021, kMissing},
        {"month 13", 2, 1, 13, 2021, kMissing},
        {"year 1581", 2, 1, 1, 1581, kMissing},
        {"last Monday of the range", 2, 5, 12, 20000, day(20000, 12, 25)},
        {"last Wednesday past the range", 4, 5, 12, 20000, kMissing},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        expectValue(znwdomon(c.weekday, c.n, c.month, c.year), c.expected);
    }
}

TEST(YearCheck, DefaultCutoff)
{
    orvtest::moduleHost();
    struct Case {
        const char *id;
        double year;
        int mode;
        int status;
        double after;
    };
    const Case cases[] = {
        {"60", 60, 1, 0, 1960},          {"25", 25, 1, 0, 2025},
        {"26", 26, 1, 0, 1926},          {"0", 0, 1, 0, 2000},
        {"99", 99, 1, 0, 1999},          {"60.7", 60.7, 1, 0, 1960},
        {"mode 0 rejects", 60, 0, 1, 60}, {"mode 2 leaves", 60, 2, 0, 60},
        {"1581", 1581, 1, 1, 1581},      {"1582", 1582, 1, 0, 1582},
        {"20000", 20000, 1, 0, 20000},   {"20001", 20001, 1, 1, 20001},
        {"1960.5", 1960.5, 1, 0, 1960.5}, {"-5", -5, 1, 1, -5},
        {"1e300", 1e300, 1, 1, 1e300},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        double year = c.year;
        EXPECT_EQ(zyrcheck(&year, c.mode), c.status);
        EXPECT_EQ(year, c.after);
    }
    double missing = kMissing;
    EXPECT_EQ(zyrcheck(&missing, 1), 2);
    EXPECT_EQ(zyrcheck(nullptr, 1), 2);
}

TEST(YearCheck, Cutoff1969MatchesStrptime)
{
    orvtest::moduleHost();
    const YearCutoff cutoff("1969");
    const auto rows = orvtest::readOracleCsv("interval_yearcut.csv");
    ASSERT_EQ(rows.size(), 100u);
    for (const auto &row : rows) {
        SCOPED_TRACE("two-digit year " + row.fields[0]);
        double year = row.number(0);
        EXPECT_EQ(zyrcheck(&year, 1), 0);
        EXPECT_EQ(year, row.number(1));
    }
    expectValue(zholidat(24, 68), day(2068, 12, 25));
    expectValue(zholidat(24, 69), day(1969, 12, 25));
}

}  // namespace
