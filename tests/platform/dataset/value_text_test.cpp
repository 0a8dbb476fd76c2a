/*
 * value_text_test.cpp - cell texts of numeric values: reading every form,
 * and writing texts that read back bit for bit.  Expected day and second
 * counts come from Python's datetime ((d - date(1960, 1, 1)).days).
 */
#include "platform/dataset/value_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "host/missing_values.h"

namespace {

using orvhost::CellKind;
using orvhost::FormatFamily;

/* Appends the cell text of value as the writer writes it for a variable
 * of family `family`. */
void appendNumberCell(std::string &out, double value, FormatFamily family)
{
    char text[orvhost::kLongestNumberCell];
    out.append(text, orvhost::numberCellWriter(family)(text, value));
}

uint64_t bits(double value) { return std::bit_cast<uint64_t>(value); }

TEST(ValueText, ReadsEveryFormOfCell)
{
    struct Case {
        const char *id;
        const char *cell;
        CellKind kind;
        double value; /* compared bit for bit unless kind is Text */
    };
    const double dot = orvMissing();
    const Case cases[] = {
        {"empty", "", CellKind::Missing, dot},
        {"blanks", "   ", CellKind::Missing, dot},
        {"dot", ".", CellKind::Missing, dot},
        {"NA", "NA", CellKind::Missing, dot},
        {"NaN", "NaN", CellKind::Missing, dot},
        {".A", ".A", CellKind::Missing, std::bit_cast<double>(0xFFFFFD0000000000ull)},
        {".z lower", ".z", CellKind::Missing, std::bit_cast<double>(0xFFFFE40000000000ull)},
        {"._", "._", CellKind::Missing, std::bit_cast<double>(0xFFFFFF0000000000ull)},
        {"integer", "42", CellKind::Number, 42},
        {"plus", "+2.5", CellKind::Number, 2.5},
        {"negative", "-0.125", CellKind::Number, -0.125},
        {"exponent", "1e-300", CellKind::Number, 1e-300},
        {"padded", " 7 ", CellKind::Number, 7},
        {"negative zero", "-0", CellKind::Number, -0.0},
        {"infinity", "inf", CellKind::Number, INFINITY},
        {"date 2020", "2020-01-01", CellKind::Date, 21915},
        {"date 1582", "1582-10-15", CellKind::Date, -137774},
        {"leap day", "2000-02-29", CellKind::Date, 14669},
        {"day before 1960", "1959-12-31", CellKind::Date, -1},
        {"last ISO day", "9999-12-31", CellKind::Date, 2936549},
        {"first ISO day", "0001-01-01", CellKind::Date, -715509},
        {"datetime T", "2020-01-01T10:30:00", CellKind::DateTime, 1893493800},
        {"datetime blank", "2020-01-01 10:30", CellKind::DateTime, 1893493800},
        {"datetime fraction", "2021-06-30T23:59:05.5", CellKind::DateTime, 1940716745.5},
        {"second before 1960", "1959-12-31T23:59:59", CellKind::DateTime, -1},
        {"not a leap day", "1900-02-29", CellKind::Text, 0},
        {"month 13", "2020-13-01", CellKind::Text, 0},
        {"hour 24", "2020-01-01T24:00:00", CellKind::Text, 0},
        {"seconds 60", "2020-01-01T10:00:60", CellKind::Text, 0},
        {"dangling point", "2020-01-01T10:00:05.", CellKind::Text, 0},
        {"text", "abc", CellKind::Text, 0},
        {"number then text", "12abc", CellKind::Text, 0},
        {"two signs", "+-3", CellKind::Text, 0},
        {"hex", "0x10", CellKind::Text, 0},
        {"dot letter word", ".AB", CellKind::Text, 0},
        /* Bare dates, read without trimming. */
        {"leap day 2020", "2020-02-29", CellKind::Date, 21974},
        {"leap day 1600", "1600-02-29", CellKind::Date, -131428},
        {"end of year", "2024-12-31", CellKind::Date, 23741},
        {"benchmark start", "2011-01-01", CellKind::Date, 18628},
        {"day 0", "1960-01-01", CellKind::Date, 0},
        {"year 1", "0001-12-31", CellKind::Date, -715145},
        {"year 9999", "9999-02-28", CellKind::Date, 2936243},
        {"30 April", "2020-04-30", CellKind::Date, 22035},
        {"31 April", "2020-04-31", CellKind::Text, 0},
        {"29 February 2021", "2021-02-29", CellKind::Text, 0},
        {"29 February 1900", "1900-02-29", CellKind::Text, 0},
        {"30 February", "2020-02-30", CellKind::Text, 0},
        {"32 January", "2020-01-32", CellKind::Text, 0},
        {"day 0 of a month", "2020-01-00", CellKind::Text, 0},
        {"month 0", "2020-00-10", CellKind::Text, 0},
        {"month 13", "2020-13-01", CellKind::Text, 0},
        {"month 19", "2020-19-01", CellKind::Text, 0},
        {"year 0", "0000-01-01", CellKind::Text, 0},
        {"slashes", "2020/01/01", CellKind::Text, 0},
        {"letter in the year", "2O20-01-01", CellKind::Text, 0},
        {"signed year", "+020-01-01", CellKind::Text, 0},
        {"short month", "2020-1-011", CellKind::Text, 0},
        {"colon in the day", "2020-01-1:", CellKind::Text, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        double value = 123.0;
        EXPECT_EQ(orvhost::readNumberCell(c.cell, &value), c.kind);
        EXPECT_EQ(orvhost::numberCellKind(c.cell), c.kind);
        if (c.kind != CellKind::Text) {
            EXPECT_EQ(bits(value), bits(c.value));
        } else {
            EXPECT_EQ(value, 123.0);
        }
    }
}

TEST(ValueText, WritesCellsThatReadBack)
{
    struct Case {
        const char *id;
        double value;
        FormatFamily family;
        const char *text;
    };
    const Case cases[] = {
        {"shortest 0.1", 0.1, FormatFamily::Numeric, "0.1"},
        {"shortest third", 1.0 / 3, FormatFamily::Numeric, "0.3333333333333333"},
        {"large", 1e21, FormatFamily::Numeric, "1e+21"},
        {"negative zero", -0.0, FormatFamily::Numeric, "-0"},
        {"ordinary missing", orvMissing(), FormatFamily::Numeric, ""},
        {"other NaN", std::bit_cast<double>(0x7FF8000000000001ull), FormatFamily::Numeric, ""},
        {".R", std::bit_cast<double>(orvLetterMissingBits(17)), FormatFamily::Date, ".R"},
        {"._", std::bit_cast<double>(ORV_MISSING_UNDERSCORE_BITS), FormatFamily::Numeric, "._"},
        {"date", 21915, FormatFamily::Date, "2020-01-01"},
        {"date before 1960", -137774, FormatFamily::Date, "1582-10-15"},
        {"part of a day", 21915.5, FormatFamily::Date, "21915.5"},
        {"beyond year 9999", 2936550, FormatFamily::Date, "2936550"},
        {"date of a number", 21915, FormatFamily::Numeric, "21915"},
        {"datetime", 1893493800, FormatFamily::DateTime, "2020-01-01T10:30:00"},
        {"datetime half second", 1940716745.5, FormatFamily::DateTime, "2021-06-30T23:59:05.5"},
        {"datetime before 1960", -1, FormatFamily::DateTime, "1959-12-31T23:59:59"},
        {"time stays a number", 37800, FormatFamily::Time, "37800"},
        /* The edges of the ISO years and of the fractions of seconds; day
         * and second counts from Python's datetime. */
        {"first ISO day", -715509, FormatFamily::Date, "0001-01-01"},
        {"day before it", -715510, FormatFamily::Date, "-715510"},
        {"last ISO day", 2936549, FormatFamily::Date, "9999-12-31"},
        {"leap day", 14669, FormatFamily::Date, "2000-02-29"},
        {"1900-03-01", -21855, FormatFamily::Date, "1900-03-01"},
        {"day -1", -1, FormatFamily::Date, "1959-12-31"},
        {"day 0", 0, FormatFamily::Date, "1960-01-01"},
        {"negative zero day", -0.0, FormatFamily::Date, "-0"},
        {"half of a leap day", 14669.5, FormatFamily::Date, "14669.5"},
        {"part of the first day", -715508.75, FormatFamily::Date, "-715508.75"},
        {"huge day", 1e300, FormatFamily::Date, "1e+300"},
        {"hugely negative day", -1e300, FormatFamily::Date, "-1e+300"},
        {"infinite day", std::numeric_limits<double>::infinity(), FormatFamily::Date, "inf"},
        {"last ISO second", 253717919999, FormatFamily::DateTime, "9999-12-31T23:59:59"},
        {"second after it", 253717920000, FormatFamily::DateTime, "253717920000"},
        {"first ISO second", -61819977600, FormatFamily::DateTime, "0001-01-01T00:00:00"},
        {"second before it", -61819977601, FormatFamily::DateTime, "-61819977601"},
        {"negative zero second", -0.0, FormatFamily::DateTime, "-0"},
        {"quarter second", 0.25, FormatFamily::DateTime, "1960-01-01T00:00:00.25"},
        {"nine fraction digits", 1e-9, FormatFamily::DateTime, "1960-01-01T00:00:00.000000001"},
        {"ten fraction digits", 1e-10, FormatFamily::DateTime, "1e-10"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::string text;
        appendNumberCell(text, c.value, c.family);
        EXPECT_EQ(text, c.text);
        EXPECT_LE(text.size(), orvhost::kLongestNumberCell);
        double back = 0;
        ASSERT_NE(orvhost::readNumberCell(text, &back), CellKind::Text);
        /* A NaN that is no missing value of the host reads back as ".". */
        uint64_t expected = std::string(c.text).empty() ? ORV_MISSING_BITS : bits(c.value);
        EXPECT_EQ(bits(back), expected);
    }
}

TEST(ValueText, AllMissingValuesRoundTripBitForBit)
{
    std::vector<uint64_t> patterns = {ORV_MISSING_BITS, ORV_MISSING_UNDERSCORE_BITS};
    for (int k = 0; k < 26; ++k) patterns.push_back(orvLetterMissingBits(k));
    for (uint64_t pattern : patterns) {
        SCOPED_TRACE(pattern);
        double value = std::bit_cast<double>(pattern);
        std::string text;
        appendNumberCell(text, value, FormatFamily::Numeric);
        double back = 0;
        EXPECT_EQ(orvhost::readNumberCell(text, &back), CellKind::Missing);
        EXPECT_EQ(bits(back), bits(value));
    }
}

}  // namespace

namespace {

/* The shortest round-trip text of a double, as the general writer makes it. */
std::string shortestText(double value)
{
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

TEST(ValueText, IntegerShortcutsMatchTheGeneralNumberCode)
{
    /* Writing: every whole number the integer shortcut takes and those just
     * beyond it, where the scientific form starts to win ("1e+05"). */
    std::vector<double> values = {-0.0, 0.0, 99999, -99999, 100000, -100000, 120000, 1e15};
    for (int v = -100001; v <= 100001; v += 7) values.push_back(v);
    /* The lone-digit shortcut and its edges: neighbours of 0 to 10, halves,
     * subnormals, extreme exponents and integers near 2^53. */
    for (int v = 0; v <= 10; ++v) {
        values.push_back(v);
        values.push_back(std::nextafter(double(v), -1.0));
        values.push_back(std::nextafter(double(v), 11.0));
        values.push_back(v + 0.5);
        values.push_back(-v - 0.5);
    }
    const double twoTo53 = 9007199254740992.0;
    for (double value : {std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(),
                         std::numeric_limits<double>::min(), std::numeric_limits<double>::max(),
                         std::numeric_limits<double>::lowest(), 1e-300, 1e300, 5e-324, 2.5e-308,
                         twoTo53 - 1, twoTo53, twoTo53 + 2, -twoTo53, 1e-7, 123456.789})
        values.push_back(value);
    for (double value : values) {
        std::string text;
        appendNumberCell(text, value, FormatFamily::Numeric);
        EXPECT_EQ(text, shortestText(value)) << value;
    }
    /* Reading: digit runs of every length the shortcut takes and one more,
     * with and without signs, against from_chars. */
    std::vector<std::string> cells = {"0", "-0", "007", "-007", "123456789012345",
                                      "-123456789012345", "1234567890123456", "9", "-",
                                      "--1", "1-", "+12"};
    for (int v = -3000; v <= 3000; v += 13) cells.push_back(std::to_string(v));
    for (const std::string &cell : cells) {
        double got = 1.5;
        const CellKind kind = orvhost::readNumberCell(cell, &got);
        std::string_view number = cell;
        if (!number.empty() && number[0] == '+') number.remove_prefix(1);
        double expected = 0;
        auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), expected);
        if (error != std::errc{} || end != number.data() + number.size() || cell == "-" ||
            cell.rfind("+-", 0) == 0) {
            EXPECT_EQ(kind, CellKind::Text) << cell;
            continue;
        }
        EXPECT_EQ(kind, CellKind::Number) << cell;
        EXPECT_EQ(bits(got), bits(expected)) << cell;
    }
}

}  // namespace

namespace {

/* A date column steps the text of its last day: every sequence of values
 * written through one LastIsoDay gives the texts of the lone date writer
 * (whose edges the table above checks against Python's datetime). */
TEST(ValueText, DatesSteppedFromTheLastDayMatchLoneDates)
{
    auto days = [](double first, double last, double step) {
        std::vector<double> values;
        for (double day = first; step > 0 ? day <= last : day >= last; day += step) values.push_back(day);
        return values;
    };
    const struct {
        const char *id;
        std::vector<double> values;
    } cases[] = {
        {"leap February of 2000", days(14640, 14700, 1)},
        {"February of 1900", days(-21870, -21840, 1)},
        {"new year 1960", days(-10, 5, 1)},
        {"last ISO days and beyond", days(2936530, 2936552, 1)},
        {"first ISO days and before", days(-715512, -715480, 1)},
        {"backwards", days(100, 60, -1)},
        {"every other day", days(14600, 14700, 2)},
        {"repeats, jumps and others",
         {5, 5, 6, 6, 40, 41, 41, -3, -2, orvMissing(), 7.5, 8, 9, -0.0, 0, 1, 27, 28, 29, 30, 31, 32}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        orvhost::LastIsoDay last;
        for (double value : c.values) {
            char text[orvhost::kLongestNumberCell];
            const std::string stepped(text, orvhost::putDateCell(text, value, last));
            std::string lone;
            appendNumberCell(lone, value, FormatFamily::Date);
            EXPECT_EQ(stepped, lone) << value;
        }
    }
}

/* The kind and value the general reader gives a cell of a number: from_chars
 * on the cell, Text when it does not take the whole cell. */
CellKind fromCharsCell(const std::string &cell, double *value)
{
    auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), *value);
    return error == std::errc{} && end == cell.data() + cell.size() ? CellKind::Number
                                                                    : CellKind::Text;
}

/* Plain decimals read on the short path give the very double from_chars
 * gives; cells beyond it (too many digits, exponents, odd points) read as
 * before; the kind alone is the same as the kind read with the value. */
TEST(ValueText, PlainDecimalsReadAsFromCharsReadsThem)
{
    const struct {
        const char *id;
        std::string cell;
    } cases[] = {
        {"tenth", "0.1"},
        {"negative tenth", "-0.1"},
        {"negative zero point", "-0.0"},
        {"zero point zeros", "0.000"},
        {"seventh, 17 digits", "0.14285714285714285"},
        {"third, 16 digits", "0.3333333333333333"},
        {"2^53 whole", "9007199254740992"},
        {"2^53 + 1, a tie to even", "9007199254740993"},
        {"2^53 + 3, a tie up", "9007199254740995"},
        {"2^52 + 1/2, a tie", "4503599627370496.5"},
        {"2^53 with a point", "900719925474099.2"},
        {"19 digits", "1234567890123456789"},
        {"20 digits", "12345678901234567890"},
        {"19 digits after the point", "0.1234567890123456789"},
        {"22 fraction digits", "1.0000000000000000000001"},
        {"22 fraction digits, small", "0.0000000000000000000001"},
        {"23 fraction digits", "0.00000000000000000000001"},
        {"half, exact", "2.5"},
        {"1/1024, exact", "0.0009765625"},
        {"nearest to 0.3", "0.30000000000000004"},
        {"1.1", "1.1"},
        {"largest 15 digits", "999999999999999"},
        {"leading zeros", "000000000000000000.5"},
        {"subnormal", "4.9406564584124654e-324"},
        {"smallest normal", "2.2250738585072014e-308"},
        {"below the subnormals", "1e-400"},
        {"largest double", "1.7976931348618157e308"},
        {"exponent", "1.5e3"},
        {"capital exponent", "-2E-2"},
        {"trailing point", "5."},
        {"leading point", ".5"},
        {"negative leading point", "-.5"},
        {"two points", "1.2.3"},
        {"lone minus", "-"},
        {"minus point", "-."},
        {"double minus", "--5"},
        {"minus inside", "5-3"},
        {"space inside", "1 .5"},
        {"40 digits written out", "0.000000000000000000000000000000000000001"},
        {"400 digits written out, below the subnormals", "0." + std::string(399, '0') + "1"},
        {"310 digits, above the largest double", "1" + std::string(309, '0')},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        double got = 1.5, expected = 1.5;
        const CellKind kind = orvhost::readNumberCell(c.cell, &got);
        EXPECT_EQ(orvhost::numberCellKind(c.cell), kind);
        if (fromCharsCell(c.cell, &expected) == CellKind::Text) {
            /* "-" and "-." are text for both; "1e-400" is out of range. */
            EXPECT_EQ(kind, CellKind::Text);
            continue;
        }
        EXPECT_EQ(kind, CellKind::Number);
        EXPECT_EQ(bits(got), bits(expected)) << got << " " << expected;
    }

    /* Digit strings of 1 to 20 digits, with the point at every place,
     * signed and not, against from_chars. */
    uint64_t a = 1;
    for (int round = 0; round < 20000; ++round) {
        a = a * 6364136223846793005ull + 1442695040888963407ull;
        const size_t length = 1 + size_t(a >> 59) % 20;
        std::string cell = round % 2 == 0 ? "" : "-";
        uint64_t digitsSource = a;
        for (size_t i = 0; i < length; ++i) {
            cell += char('0' + digitsSource % 10);
            digitsSource = digitsSource / 10 ^ (digitsSource << 7);
        }
        const size_t point = size_t(a >> 40) % (length + 1);
        if (point > 0 && point < length) cell.insert(cell.size() - length + point, ".");
        double got = 0, expected = 0;
        ASSERT_EQ(fromCharsCell(cell, &expected), CellKind::Number) << cell;
        ASSERT_EQ(orvhost::readNumberCell(cell, &got), CellKind::Number) << cell;
        ASSERT_EQ(orvhost::numberCellKind(cell), CellKind::Number) << cell;
        ASSERT_EQ(bits(got), bits(expected)) << cell;
    }
}

/* A date column read (or its cells' kinds taken) through its last month
 * gives what the plain reader gives, cell by cell, whatever came before:
 * month ends, leap days, days that do not exist, a changed month or year
 * and cells that are no dates. */
TEST(ValueText, DateCellsThroughTheLastMonthReadAsAlone)
{
    struct Case {
        const char *id;
        std::vector<std::string> cells;
    };
    const std::vector<Case> cases = {
        {"days of a month", {"2011-01-01", "2011-01-02", "2011-01-28", "2011-01-31", "2011-02-01"}},
        {"leap day and after", {"2020-02-28", "2020-02-29", "2020-02-30", "2020-03-01"}},
        {"no leap day", {"2021-02-28", "2021-02-29", "2021-02-01"}},
        {"30-day month", {"2021-04-29", "2021-04-30", "2021-04-31", "2021-04-30"}},
        {"day 00 and bad digits",
         {"2021-05-01", "2021-05-00", "2021-05-3x", "2021-05-x3", "2021-05-99"}},
        {"same month, other year", {"2021-05-01", "2022-05-01", "2021-05-31"}},
        {"not dates between",
         {"2021-06-01", "", "12", "2021-06-02T10:00", " 2021-06-03", "2021-06-04"}},
        {"numbers of ten bytes", {"2021-07-01", "1234567890", "2021-07-01"}},
        {"year 1 and 9999", {"0001-01-01", "0001-01-31", "9999-12-30", "9999-12-31", "0000-01-01"}},
    };
    for (const Case &c : cases) {
        orvhost::LastIsoMonth last, kindLast;
        for (const std::string &cell : c.cells) {
            SCOPED_TRACE(std::string(c.id) + ": " + cell);
            double alone = 1.5, through = 1.5;
            const CellKind kind = orvhost::readNumberCell(cell, &alone);
            EXPECT_EQ(orvhost::readNumberCell(cell, &through, last), kind);
            EXPECT_EQ(orvhost::numberCellKind(cell), kind);
            EXPECT_EQ(orvhost::numberCellKind(cell, kindLast), kind);
            EXPECT_EQ(bits(through), bits(alone));
        }
    }
}

}  // namespace
