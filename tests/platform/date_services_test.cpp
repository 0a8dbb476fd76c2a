/*
 * date_services_test.cpp - the host's date services (zmdy, ziddmdy,
 * zidmdyd, zmonth, zyear, zwekday, ztimprt) against Python's datetime over
 * a sweep of the host's date range (tests/oracle/date_parts.py writes the
 * expected values), and by hand at the edges: range ends, impossible dates,
 * missing and NaN arguments, fractions of a day, times before 1960.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "host/missing_values.h"
#include "platform/service_table.h"

namespace {

using namespace host_routines;

uint64_t bitsOf(double value) { return std::bit_cast<uint64_t>(value); }

bool isOrdinaryMissing(double value) { return bitsOf(value) == ORV_MISSING_BITS; }

std::vector<std::vector<std::string>> readCsv(const std::string &name)
{
    std::ifstream in(std::string(ORV_SOURCE_DIR) + "/tests/oracle/" + name);
    EXPECT_TRUE(in.good()) << name;
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(in, line); /* header */
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, ',')) fields.push_back(field);
        rows.push_back(fields);
    }
    return rows;
}

TEST(DateServices, AgreeWithPythonOverTheRange)
{
    const auto rows = readCsv("date_parts.csv");
    ASSERT_GT(rows.size(), 40000u);
    int failures = 0;
    for (const auto &row : rows) {
        ASSERT_EQ(row.size(), 5u);
        const double day = std::stod(row[0]);
        const int year = std::stoi(row[1]), month = std::stoi(row[2]), mday = std::stoi(row[3]);
        const int weekday = std::stoi(row[4]);
        int m = -1, d = -1, y = -1;
        const int status = zidmdyd(&m, &d, &y, day);
        const bool ok = zmdy(month, mday, year) == day && ziddmdy(month, mday, year) == day &&
                        status == 0 && m == month && d == mday && y == year && zmonth(day) == month &&
                        zyear(day) == year && zwekday(day) == weekday &&
                        /* A fraction of a day belongs to the day. */
                        zyear(day + 0.75) == year && zwekday(day + 0.75) == weekday;
        if (!ok && ++failures <= 10) ADD_FAILURE() << "day " << row[0];
    }
    EXPECT_EQ(failures, 0);
}

TEST(DateServices, TimeOfDayAgreesWithPython)
{
    const auto rows = readCsv("date_times.csv");
    ASSERT_GT(rows.size(), 3000u);
    int failures = 0;
    for (const auto &row : rows) {
        ASSERT_EQ(row.size(), 2u);
        const double datetime = std::stod(row[0]);
        const double expected = std::stod(row[1]);
        /* Fractions are multiples of 1/64 second: the values are exact. */
        if (ztimprt(datetime) != expected && ++failures <= 10)
            ADD_FAILURE() << "datetime " << row[0] << " gives " << ztimprt(datetime);
    }
    EXPECT_EQ(failures, 0);
}

TEST(DateServices, EdgesByHand)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double letterA = std::bit_cast<double>(orvLetterMissingBits(0));
    constexpr double kMissing = -999999; /* marks an expected ordinary missing value */
    struct Case {
        const char *id;
        double got;
        double expected;
    };
    const Case cases[] = {
        /* zmdy and ziddmdy: the range ends and one past them. */
        {"zmdy first day", zmdy(1, 1, 1582), -138061},
        {"zmdy last day", zmdy(12, 26, 20000), 6589335},
        {"zmdy day after the last", zmdy(12, 27, 20000), kMissing},
        {"zmdy 31 Dec 20000", zmdy(12, 31, 20000), kMissing},
        {"zmdy day before the first", zmdy(12, 31, 1581), kMissing},
        {"zmdy year 60 is not 1960", zmdy(1, 1, 60), kMissing},
        {"ziddmdy first day", ziddmdy(1, 1, 1582), -138061},
        {"ziddmdy day before the first", ziddmdy(12, 31, 1581), kMissing},
        {"ziddmdy day after the last", ziddmdy(12, 27, 20000), kMissing},
        /* Impossible dates. */
        {"zmdy 29 Feb 1900", zmdy(2, 29, 1900), kMissing},
        {"zmdy 29 Feb 2000", zmdy(2, 29, 2000), 14669},
        {"zmdy 29 Feb 2100", zmdy(2, 29, 2100), kMissing},
        {"zmdy 30 Feb 2024", zmdy(2, 30, 2024), kMissing},
        {"zmdy 31 Apr", zmdy(4, 31, 2024), kMissing},
        {"zmdy month 0", zmdy(0, 1, 2024), kMissing},
        {"zmdy month 13", zmdy(13, 1, 2024), kMissing},
        {"zmdy day 0", zmdy(1, 0, 2024), kMissing},
        {"zmdy arguments truncated", zmdy(1.9, 1.9, 1960.9), 0},
        {"ziddmdy 29 Feb 1900", ziddmdy(2, 29, 1900), kMissing},
        {"ziddmdy month 13", ziddmdy(13, 1, 2024), kMissing},
        {"ziddmdy day -1", ziddmdy(1, -1, 2024), kMissing},
        {"ziddmdy huge year", ziddmdy(1, 1, std::numeric_limits<int>::max()), kMissing},
        {"ziddmdy lowest year", ziddmdy(1, 1, std::numeric_limits<int>::min()), kMissing},
        /* Missing, NaN and infinite arguments. */
        {"zmdy missing month", zmdy(orvMissing(), 1, 2000), kMissing},
        {"zmdy NaN year", zmdy(1, 1, nan), kMissing},
        {"zmdy infinite year", zmdy(1, 1, inf), kMissing},
        {"zmdy huge year", zmdy(1, 1, 1e300), kMissing},
        {"zmonth .A", zmonth(letterA), kMissing},
        {"zmonth NaN", zmonth(nan), kMissing},
        {"zyear infinity", zyear(-inf), kMissing},
        {"zwekday huge", zwekday(1e300), kMissing},
        {"zyear day before the first", zyear(-138062), kMissing},
        {"zyear day after the last", zyear(6589336), kMissing},
        {"zyear last day", zyear(6589335), 20000},
        {"zmonth last day", zmonth(6589335.99), 12},
        /* Fractions of a day belong to the day they fall in. */
        {"zyear -0.5 is 1959", zyear(-0.5), 1959},
        {"zwekday -0.5 is Thursday", zwekday(-0.5), 5},
        {"zwekday day 0 is Friday", zwekday(0), 6},
        {"zwekday day 2 is Sunday", zwekday(2), 1},
        {"zwekday day 1 is Saturday", zwekday(1), 7},
        {"zwekday day -6 is Saturday", zwekday(-6), 7},
        /* ztimprt: in [0, 86400), also before 1960. */
        {"ztimprt 0", ztimprt(0), 0},
        {"ztimprt -1 is 23:59:59", ztimprt(-1), 86399},
        {"ztimprt -86400 is midnight", ztimprt(-86400), 0},
        {"ztimprt -0.25", ztimprt(-0.25), 86399.75},
        {"ztimprt 10:30 on 2 Jan 1960", ztimprt(86400 + 37800), 37800},
        {"ztimprt a hair before 1960", ztimprt(-1e-300), 0},
        {"ztimprt a hair below midnight", ztimprt(std::nextafter(86400.0, 0.0)), std::nextafter(86400.0, 0.0)},
        {"ztimprt first second", ztimprt(-138061.0 * 86400), 0},
        {"ztimprt last second", ztimprt(6589336.0 * 86400 - 1), 86399},
        {"ztimprt one day early", ztimprt(-138061.0 * 86400 - 1), kMissing},
        {"ztimprt one day late", ztimprt(6589336.0 * 86400), kMissing},
        {"ztimprt missing", ztimprt(orvMissing()), kMissing},
        {"ztimprt NaN", ztimprt(nan), kMissing},
        {"ztimprt infinity", ztimprt(inf), kMissing},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        if (c.expected == kMissing) EXPECT_TRUE(isOrdinaryMissing(c.got)) << c.got;
        else EXPECT_EQ(c.got, c.expected);
    }
}

TEST(DateServices, SplitFailsForDatesOutsideTheRange)
{
    struct Case {
        const char *id;
        double date;
    };
    const Case cases[] = {
        {"missing", orvMissing()},
        {"NaN", std::numeric_limits<double>::quiet_NaN()},
        {"before the first day", -138062},
        {"after the last day", 6589336},
        {"huge", -1e300},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        int m = 7, d = 7, y = 7;
        EXPECT_NE(zidmdyd(&m, &d, &y, c.date), 0);
        EXPECT_EQ(m, 0);
        EXPECT_EQ(d, 0);
        EXPECT_EQ(y, 0);
    }
}

TEST(DateServices, ReachableThroughTheVectorTable)
{
    /* The modules reach zmdy as (vector 164, slot 11) and zidmdyd as
     * (40, 303): the vector table must hold these routines there. */
    const orvhost::ServiceInfo *mdy = orvhost::findService(orvServiceId(164, 11));
    const orvhost::ServiceInfo *split = orvhost::findService(orvServiceId(40, 303));
    ASSERT_NE(mdy, nullptr);
    ASSERT_NE(split, nullptr);
    ASSERT_NE(mdy->routine, nullptr);
    ASSERT_NE(split->routine, nullptr);
    auto mdyRoutine = reinterpret_cast<double (*)(double, double, double)>(mdy->routine);
    auto splitRoutine = reinterpret_cast<int (*)(int *, int *, int *, double)>(split->routine);
    EXPECT_EQ(mdyRoutine(2, 29, 2024), 23435);
    int m = 0, d = 0, y = 0;
    EXPECT_EQ(splitRoutine(&m, &d, &y, 23435), 0);
    EXPECT_EQ(m, 2);
    EXPECT_EQ(d, 29);
    EXPECT_EQ(y, 2024);
}

}  // namespace
