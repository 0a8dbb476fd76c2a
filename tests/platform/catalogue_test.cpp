/*
 * catalogue_test.cpp - the message catalogue: reading catalogue text, the
 * text of a message with its typed arguments (numbers, missing values,
 * %1..%9 and %%), messages the catalogue lacks, and the message services
 * (xpmlog, xpmrlog, xprrlog, xpmstr, xpmrstr, wkread) of a running host.
 */
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/service_args.h"
#include "platform/catalogue.h"
#include "platform/host.h"
#include "platform/message_text.h"
#include "platform/number_text.h"
#include "platform/service_table.h"

namespace {

using orvhost::Catalogue;
using orvhost::MessageArg;
using orvhost::MessageKind;

MessageArg intArg(long value) { return {MessageArg::Type::Integer, value, 0, {}}; }
MessageArg dblArg(double value) { return {MessageArg::Type::Double, 0, value, {}}; }
MessageArg textArg(std::string value) { return {MessageArg::Type::Text, 0, 0, std::move(value)}; }

/* A missing value: a NaN with the bit pattern 0xFFFF_cc00_0000_0000. */
double missing(unsigned code) { return std::bit_cast<double>(0xFFFF000000000000ull | uint64_t(code) << 40); }

/* Set used for the test's own catalogue entries, far from the real ones. */
constexpr int kTestSet = 4000;

/* ---- reading catalogue text ------------------------------------------- */

struct Probe {
    int set, number;
    MessageKind kind;
    const char *types;
    const char *text;
};

struct LoadCase {
    const char *id;
    const char *text;
    int faultLine;       /* 0: the text is sound */
    size_t entries;      /* entries kept */
    std::vector<Probe> probes;
};

TEST(Catalogue, LoadsEntriesAndReportsTheFirstFaultyLine)
{
    const LoadCase cases[] = {
        {"two entries", "1 1 ERROR i Out %1.\n2 5 NOTE - Hello there.\n", 0, 2,
         {{1, 1, MessageKind::Error, "i", "Out %1."}, {2, 5, MessageKind::Note, "", "Hello there."}}},
        {"comments and blank lines", "# head\n\n   \n  # indented\n\t\n3 4 WARNING t W %1\n", 0, 1,
         {{3, 4, MessageKind::Warning, "t", "W %1"}}},
        {"CRLF line ends", "1 1 NOTE - A b\r\n1 2 TEXT dd C %1 %2\r\n", 0, 2,
         {{1, 1, MessageKind::Note, "", "A b"}, {1, 2, MessageKind::Text, "dd", "C %1 %2"}}},
        {"no final newline", "7 8 NOTE - last", 0, 1, {{7, 8, MessageKind::Note, "", "last"}}},
        {"tabs and runs of blanks", "1\t1\t  ERROR \t -\t  inner  blanks kept", 0, 1,
         {{1, 1, MessageKind::Error, "", "inner  blanks kept"}}},
        {"nine argument letters", "5 5 NOTE iiidddttt %9", 0, 1,
         {{5, 5, MessageKind::Note, "iiidddttt", "%9"}}},
        {"empty text", "", 0, 0, {}},
        {"unknown kind on line 3", "#\n1 1 NOTE - a\n1 2 INFO - b\n1 3 NOTE - c\n", 3, 1,
         {{1, 1, MessageKind::Note, "", "a"}}},
        {"kind in lower case", "1 1 note - a\n", 1, 0, {}},
        {"no text", "1 1 NOTE -\n", 1, 0, {}},
        {"only blanks after arguments", "1 1 NOTE -   \t\n", 1, 0, {}},
        {"set not a number", "x 1 NOTE - a\n", 1, 0, {}},
        {"number with junk", "1 2x NOTE - a\n", 1, 0, {}},
        {"unknown argument letter", "1 1 NOTE iq a\n", 1, 0, {}},
        {"ten argument letters", "1 1 NOTE iiiiiiiiii a\n", 1, 0, {}},
        {"fault after CRLF lines", "1 1 NOTE - a\r\n\r\n1 2\r\n", 3, 1, {}},
    };
    for (const LoadCase &c : cases) {
        SCOPED_TRACE(c.id);
        Catalogue catalogue;
        std::string fault = catalogue.load(c.text);
        if (c.faultLine == 0) {
            EXPECT_EQ(fault, "");
        } else {
            EXPECT_NE(fault.find("line " + std::to_string(c.faultLine) + ":"), std::string::npos)
                << fault;
        }
        EXPECT_EQ(catalogue.size(), c.entries);
        for (const Probe &probe : c.probes) {
            const orvhost::CatalogueEntry *entry = catalogue.find(probe.set, probe.number);
            ASSERT_NE(entry, nullptr) << probe.set << "," << probe.number;
            EXPECT_EQ(entry->kind, probe.kind);
            EXPECT_EQ(entry->argumentTypes, probe.types);
            EXPECT_EQ(entry->text, probe.text);
        }
    }
}

TEST(Catalogue, FindMissesOtherSetsAndNumbers)
{
    Catalogue catalogue;
    ASSERT_EQ(catalogue.load("10 20 NOTE - x\n"), "");
    EXPECT_NE(catalogue.find(10, 20), nullptr);
    EXPECT_EQ(catalogue.find(20, 10), nullptr);
    EXPECT_EQ(catalogue.find(10, 21), nullptr);
    EXPECT_EQ(catalogue.find(11, 20), nullptr);
}

/* The built-in catalogue must load, must not name one message twice (a later
 * line would silently replace the earlier), and no text may use an argument
 * beyond those its entry declares. */
TEST(Catalogue, BuiltInCatalogueIsSound)
{
    Catalogue catalogue;
    ASSERT_EQ(catalogue.load(orvhost::builtInCatalogueText()), "");
    ASSERT_GT(catalogue.size(), 0u);

    const orvhost::CatalogueEntry *outOfMemory = catalogue.find(1, 1);
    ASSERT_NE(outOfMemory, nullptr);
    EXPECT_EQ(outOfMemory->kind, MessageKind::Error);
    EXPECT_EQ(outOfMemory->argumentTypes, "i");

    std::istringstream lines{std::string{orvhost::builtInCatalogueText()}};
    std::set<std::pair<int, int>> seen;
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        std::istringstream fields(line);
        int set = 0, number = 0;
        if (line.empty() || line[0] == '#' || !(fields >> set >> number)) continue;
        SCOPED_TRACE("built-in catalogue line " + std::to_string(lineNumber));
        EXPECT_TRUE(seen.insert({set, number}).second) << "duplicate " << set << " " << number;
        const orvhost::CatalogueEntry *entry = catalogue.find(set, number);
        ASSERT_NE(entry, nullptr);
        for (size_t i = 0; i + 1 < entry->text.size(); ++i) {
            if (entry->text[i] != '%') continue;
            char next = entry->text[i + 1];
            if (next >= '1' && next <= '9') {
                EXPECT_LE(size_t(next - '0'), entry->argumentTypes.size()) << entry->text;
            }
            ++i;
        }
    }
    EXPECT_EQ(seen.size(), catalogue.size());
}

/* ---- number text -------------------------------------------------------- */

TEST(NumberText, ShortestRoundTripAndMissingValues)
{
    const struct {
        const char *id;
        double value;
        const char *text;
    } cases[] = {
        {"0.1", 0.1, "0.1"},
        {"one third", 1.0 / 3.0, "0.3333333333333333"},
        {"1e300", 1e300, "1e+300"},
        {"integral", 100.0, "100"},
        {"negative", -2.5, "-2.5"},
        {"zero", 0.0, "0"},
        {"tiny", 5e-324, "5e-324"},
        {"0.1+0.2", 0.1 + 0.2, "0.30000000000000004"},
        {"ordinary missing .", missing(0xFE), "."},
        {"missing ._", missing(0xFF), "._"},
        {"missing .A", missing(0xFD), ".A"},
        {"missing .B", missing(0xFC), ".B"},
        {"missing .Z", missing(0xE4), ".Z"},
        {"code below .Z", missing(0xE3), "."},
        {"quiet NaN", std::numeric_limits<double>::quiet_NaN(), "."},
        {"missing with low bits set", std::bit_cast<double>(0xFFFFFD0000000001ull), "."},
        {"positive-sign NaN with .A code", std::bit_cast<double>(0x7FFFFD0000000000ull), "."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(orvhost::numberText(c.value), c.text);
    }
}

/* ---- message text --------------------------------------------------------- */

TEST(MessageText, FillsArguments)
{
    const struct {
        const char *id;
        const char *pattern;
        std::vector<MessageArg> args;
        const char *text;
    } cases[] = {
        {"no arguments", "Nothing to fill.", {}, "Nothing to fill."},
        {"integer", "Count %1.", {intArg(42)}, "Count 42."},
        {"large negative integer", "%1", {intArg(-9000000000L)}, "-9000000000"},
        {"text", "Name %1!", {textArg("abc")}, "Name abc!"},
        {"double", "v=%1", {dblArg(0.1)}, "v=0.1"},
        {"double 1e300", "v=%1", {dblArg(1e300)}, "v=1e+300"},
        {"missing value .", "v=%1", {dblArg(missing(0xFE))}, "v=."},
        {"missing value .A", "v=%1", {dblArg(missing(0xFD))}, "v=.A"},
        {"missing value ._", "v=%1", {dblArg(missing(0xFF))}, "v=._"},
        {"nine in reverse", "%9%8%7%6%5%4%3%2%1",
         {intArg(1), intArg(2), intArg(3), intArg(4), intArg(5), intArg(6), intArg(7), intArg(8),
          intArg(9)},
         "987654321"},
        {"argument used twice", "%1 and %1", {textArg("x")}, "x and x"},
        {"mixed types", "%2/%1/%3", {intArg(7), textArg("t"), dblArg(2.5)}, "t/7/2.5"},
        {"percent escape", "100%% of %1", {intArg(5)}, "100% of 5"},
        {"escaped percent before digit", "%%1", {intArg(5)}, "%1"},
        {"missing arguments", "%1 %2 %3", {intArg(1)}, "1 ? ?"},
        {"percent zero kept", "a%0b", {intArg(1)}, "a%0b"},
        {"percent letter kept", "%a", {}, "%a"},
        {"final percent kept", "ends with %", {}, "ends with %"},
        {"%10 is %1 then 0", "%10", {textArg("x")}, "x0"},
        {"empty text argument", "[%1]", {textArg("")}, "[]"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        Catalogue catalogue;
        ASSERT_EQ(catalogue.load("50 1 NOTE - " + std::string{c.pattern}), "");
        orvhost::MessageText message = orvhost::messageText(catalogue, 50, 1, c.args);
        EXPECT_EQ(message.kind, MessageKind::Note);
        EXPECT_EQ(message.text, c.text);
    }
}

TEST(MessageText, KindComesFromTheEntry)
{
    Catalogue catalogue;
    ASSERT_EQ(catalogue.load("1 1 NOTE - n\n1 2 WARNING - w\n1 3 ERROR - e\n1 4 TEXT - t\n"), "");
    const struct {
        int number;
        MessageKind kind;
        orvhost::LogKind logKind;
    } cases[] = {
        {1, MessageKind::Note, orvhost::LogKind::Note},
        {2, MessageKind::Warning, orvhost::LogKind::Warning},
        {3, MessageKind::Error, orvhost::LogKind::Error},
        {4, MessageKind::Text, orvhost::LogKind::Plain},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("message 1 " + std::to_string(c.number));
        orvhost::MessageText message = orvhost::messageText(catalogue, 1, c.number, {});
        EXPECT_EQ(message.kind, c.kind);
        EXPECT_EQ(orvhost::logKindOf(message.kind), c.logKind);
    }
}

TEST(MessageText, UnknownMessageWarnsWithSetNumberAndArguments)
{
    Catalogue catalogue;
    std::vector<MessageArg> args = {intArg(5), textArg("ab"), dblArg(0.5), dblArg(missing(0xFD))};
    orvhost::MessageText message = orvhost::messageText(catalogue, 777, 31, args);
    EXPECT_EQ(message.kind, MessageKind::Warning);
    EXPECT_NE(message.text.find("777"), std::string::npos) << message.text;
    EXPECT_NE(message.text.find("31"), std::string::npos) << message.text;
    EXPECT_NE(message.text.find("5, ab, 0.5, .A"), std::string::npos) << message.text;

    orvhost::MessageText bare = orvhost::messageText(catalogue, 777, 32, {});
    EXPECT_EQ(bare.kind, MessageKind::Warning);
    EXPECT_NE(bare.text.find("32"), std::string::npos) << bare.text;
    EXPECT_EQ(bare.text.find("Arguments"), std::string::npos) << bare.text;
}

/* ---- services of a running host ------------------------------------------- */

class MessageServices : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(host.catalogue().load("4000 1 ERROR it Bad %1 in %2.\n"
                                        "4000 2 NOTE d Value %1 read.\n"
                                        "4000 3 WARNING - Careful.\n"
                                        "4000 4 TEXT - LABEL TEXT\n"
                                        "4000 5 NOTE - Hello world\n"
                                        "4000 6 NOTE ttt <%1|%2|%3>\n"
                                        "2 1234567 WARNING - A known status.\n"),
                  "");
    }

    std::ostringstream out;
    orvhost::Host host{out};
};

TEST_F(MessageServices, HostWithBuiltInCatalogueLogsNothing)
{
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(&orvhost::Host::current(), &host);
}

TEST_F(MessageServices, LogServicesWriteKindAndFilledText)
{
    const char notTerminated[3] = {'a', 'b', 'c'};
    const struct {
        const char *id;
        std::function<void()> call;
        const char *line;
    } cases[] = {
        {"xpmlog error int+text",
         [&] { host_routines::xpmlog(kTestSet, 1, ORV_MSG_INT, 7L, ORV_MSG_TEXT, 3, notTerminated, ORV_MSG_END); },
         "ERROR: Bad 7 in abc.\n"},
        {"xpmlog note double", [] { host_routines::xpmlog(kTestSet, 2, ORV_MSG_DBL, 0.25, ORV_MSG_END); },
         "NOTE: Value 0.25 read.\n"},
        {"xpmlog note missing ._",
         [] { host_routines::xpmlog(kTestSet, 2, ORV_MSG_DBL, missing(0xFF), ORV_MSG_END); },
         "NOTE: Value ._ read.\n"},
        {"xpmlog warning", [] { host_routines::xpmlog(kTestSet, 3, ORV_MSG_END); }, "WARNING: Careful.\n"},
        {"xpmlog text kind has no prefix", [] { host_routines::xpmlog(kTestSet, 4, ORV_MSG_END); },
         "LABEL TEXT\n"},
        {"xpmrlog with a log handle",
         [&] { host_routines::xpmrlog(&host, kTestSet, 1, ORV_MSG_INT, -1L, ORV_MSG_TEXT, 2, "xyz", ORV_MSG_END); },
         "ERROR: Bad -1 in xy.\n"},
        {"text with null pointer and negative length",
         [] { host_routines::xpmlog(kTestSet, 6, ORV_MSG_TEXT, 5, static_cast<const char *>(nullptr),
                                    ORV_MSG_TEXT, -4, "abc", ORV_MSG_TEXT, 0, "abc", ORV_MSG_END); },
         "NOTE: <||>\n"},
        {"unknown type code ends the list",
         [] { host_routines::xpmlog(kTestSet, 1, ORV_MSG_INT, 3L, 99, ORV_MSG_INT, 4L, ORV_MSG_END); },
         "ERROR: Bad 3 in ?.\n"},
        {"xprrlog known status", [&] { host_routines::xprrlog(&host, 1234567); },
         "WARNING: A known status.\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        out.str("");
        c.call();
        EXPECT_EQ(out.str(), c.line);
    }
}

TEST_F(MessageServices, UnknownMessagesAndStatusesAreStillLogged)
{
    host_routines::xpmlog(kTestSet, 99, ORV_MSG_INT, 12L, ORV_MSG_TEXT, 2, "zz", ORV_MSG_END);
    std::string line = out.str();
    EXPECT_EQ(line.rfind("WARNING: ", 0), 0u) << line;
    EXPECT_NE(line.find("4000"), std::string::npos) << line;
    EXPECT_NE(line.find("99"), std::string::npos) << line;
    EXPECT_NE(line.find("12, zz"), std::string::npos) << line;

    out.str("");
    host_routines::xprrlog(&host, 0x7654ABCD);
    line = out.str();
    EXPECT_EQ(line.rfind("ERROR: ", 0), 0u) << line;
    EXPECT_NE(line.find("7654ABCD"), std::string::npos) << line;
}

/* At most ORV_MSG_MAX_ITEMS items are read, even without ORV_MSG_END. */
TEST_F(MessageServices, ItemListIsCutAtItsLimit)
{
    ASSERT_EQ(ORV_MSG_MAX_ITEMS, 16);
    host_routines::xpmlog(kTestSet, 98, ORV_MSG_INT, 1L, ORV_MSG_INT, 2L, ORV_MSG_INT, 3L,
                          ORV_MSG_INT, 4L, ORV_MSG_INT, 5L, ORV_MSG_INT, 6L, ORV_MSG_INT, 7L,
                          ORV_MSG_INT, 8L, ORV_MSG_INT, 9L, ORV_MSG_INT, 10L, ORV_MSG_INT, 11L,
                          ORV_MSG_INT, 12L, ORV_MSG_INT, 13L, ORV_MSG_INT, 14L, ORV_MSG_INT, 15L,
                          ORV_MSG_INT, 16L, ORV_MSG_INT, 17L, ORV_MSG_END);
    std::string line = out.str();
    EXPECT_NE(line.find("14, 15, 16\n"), std::string::npos) << line;
    EXPECT_EQ(line.find("17"), std::string::npos) << line;
}

TEST_F(MessageServices, XpmstrCopiesAtMostTheBufferLength)
{
    /* Message 4000 5 is "Hello world" (11 characters). */
    const struct {
        const char *id;
        int capacity;
        int length;
        const char *copied;
        bool terminated;
    } cases[] = {
        {"roomy buffer", 32, 11, "Hello world", true},
        {"room for the NUL exactly", 12, 11, "Hello world", true},
        {"no room for the NUL", 11, 11, "Hello world", false},
        {"truncated", 5, 5, "Hello", false},
        {"one byte", 1, 1, "H", false},
        {"zero length", 0, 0, "", false},
        {"negative length", -3, 0, "", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        char buffer[40];
        std::memset(buffer, '#', sizeof buffer);
        int length = host_routines::xpmstr(buffer, c.capacity, kTestSet, 5, ORV_MSG_END);
        EXPECT_EQ(length, c.length);
        EXPECT_EQ(std::string(buffer, size_t(c.length)), c.copied);
        EXPECT_EQ(buffer[c.length], c.terminated ? '\0' : '#');
    }
    EXPECT_EQ(host_routines::xpmstr(nullptr, 10, kTestSet, 5, ORV_MSG_END), 0);
    EXPECT_EQ(out.str(), "");
}

TEST_F(MessageServices, StringServicesFillArguments)
{
    char buffer[300];
    int length = host_routines::xpmstr(buffer, sizeof buffer, kTestSet, 1, ORV_MSG_INT, 12L,
                                       ORV_MSG_TEXT, 4, "fileXYZ", ORV_MSG_END);
    EXPECT_EQ(std::string(buffer, size_t(length)), "Bad 12 in file.");

    length = host_routines::xpmrstr(&host, buffer, kTestSet, 2, ORV_MSG_DBL, 1e300, ORV_MSG_END);
    EXPECT_EQ(std::string(buffer, size_t(length)), "Value 1e+300 read.");
    EXPECT_EQ(buffer[length], '\0');

    length = host_routines::xpmstr(buffer, sizeof buffer, kTestSet, 97, ORV_MSG_END);
    std::string unknown(buffer, size_t(length));
    EXPECT_NE(unknown.find("4000"), std::string::npos) << unknown;
    EXPECT_NE(unknown.find("97"), std::string::npos) << unknown;
    EXPECT_EQ(out.str(), ""); /* fetching a text logs nothing */
}

TEST_F(MessageServices, WkreadHandsOutTheStoredText)
{
    const char *text = nullptr;
    int length = -1;
    EXPECT_EQ(host_routines::wkread(kTestSet, 4, &text, &length), 0);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text, size_t(length)), "LABEL TEXT");

    text = "stale";
    length = 99;
    EXPECT_NE(host_routines::wkread(kTestSet, 96, &text, &length), 0);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(length, 0);

    EXPECT_EQ(host_routines::wkread(kTestSet, 4, nullptr, nullptr), 0);
    EXPECT_NE(host_routines::wkread(kTestSet, 96, nullptr, nullptr), 0);
}

}  // namespace
