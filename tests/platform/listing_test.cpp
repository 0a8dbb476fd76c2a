/*
 * listing_test.cpp - the listing services: formatted listing and debug lines
 * (the printf subset, its counted texts and its bounds), page markers, plain
 * note lines, log handles and the output line area, the line settings and
 * the print destination.
 */
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>

#include "platform/host.h"
#include "platform/listing.h"
#include "platform/service_table.h"

namespace {

class ListingServices : public ::testing::Test {
protected:
    std::ostringstream log;
    orvhost::Host host{log};

    std::string takeLog()
    {
        std::string text = log.str();
        log.str("");
        return text;
    }
};

/* Expected texts are C printf's, worked out by hand, except where the host's
 * rules differ (counted texts, unknown conversions, bounds). */
TEST_F(ListingServices, FormattedListingLines)
{
    const char counted[] = {'a', 'b', 'c', 'd', 'e', 'f'}; /* no NUL */
    struct Case {
        const char *id;
        std::function<void()> call;
        std::string expected;
    };
    const Case cases[] = {
        {"week check line", [] { host_routines::xpsprn("error tstweek=%f week=%d", 2021.5, 53); },
         "error tstweek=2021.500000 week=53"},
        {"plain text", [] { host_routines::xpsprn("no conversions"); }, "no conversions"},
        {"percent", [] { host_routines::xpsprn("100%% done"); }, "100% done"},
        {"widths and flags", [] { host_routines::xpsprn("[%5d|%-5d|%05d|%+d|% d]", 42, 42, 42, 42, 42); },
         "[   42|42   |00042|+42| 42]"},
        {"negative", [] { host_routines::xpsprn("%i %d", -7, INT_MIN); }, "-7 -2147483648"},
        {"unsigned and bases", [] { host_routines::xpsprn("%u %o %x %X %#x", 4294967295u, 8u, 255u, 255u, 255u); },
         "4294967295 10 ff FF 0xff"},
        {"length letters",
         [] { host_routines::xpsprn("%ld %lld %zu %hd %hhu", -5L, LLONG_MIN, size_t(7), 70000, 300); },
         "-5 -9223372036854775808 7 4464 44"},
        {"floating", [] { host_routines::xpsprn("%.2f %e %g %G %.3E", 3.14159, 1234.5, 0.0001, 1e-10, -2.5); },
         "3.14 1.234500e+03 0.0001 1E-10 -2.500E+00"},
        {"largest double", [] { host_routines::xpsprn("%.0f", DBL_MAX); },
         "17976931348623157081452742373170435679807056752584499659891747680315726078002853876058955863"
         "27668781715404589535143824642343213268894641827684675467035375169860499105765512820762454900"
         "90389328944075868508455133942304583236903222948165808559332123348274797826204144723168738177"
         "180919299881250404026184124858368"},
        {"long double", [] { host_routines::xpsprn("%.1Lf", 2.25L); }, "2.2"},
        {"star width and precision", [] { host_routines::xpsprn("[%*d|%-*d|%.*f]", 4, 7, 3, 7, 1, 2.25); },
         "[   7|7  |2.2]"},
        {"negative star width left-justifies", [] { host_routines::xpsprn("[%*d]", -4, 7); }, "[7   ]"},
        {"characters", [] { host_routines::xpsprn("%c%c|%3c|", 'O', 'K', 'x'); }, "OK|  x|"},
        {"texts", [] { host_routines::xpsprn("%s|%6s|%-6s|%.2s|", "abc", "abc", "abc", "abc"); },
         "abc|   abc|abc   |ab|"},
        {"counted text", [&] { host_routines::xpsprn("[%*s]", 3, counted); }, "[abc]"},
        {"counted text of length 0", [&] { host_routines::xpsprn("[%*s]", 0, counted); }, "[]"},
        {"counted text, negative length reads to NUL", [] { host_routines::xpsprn("[%*s]", -1, "xyz"); },
         "[xyz]"},
        {"precision-bounded text", [&] { host_routines::xpsprn("[%.*s]", 4, counted); }, "[abcd]"},
        {"null text", [] { host_routines::xpsprn("[%s]", static_cast<const char *>(nullptr)); }, "[(null)]"},
        {"null counted text", [] { host_routines::xpsprn("[%*s]", 3, static_cast<const char *>(nullptr)); },
         "[(null)]"},
        {"%n is never written through", [] {
             int target = 99;
             host_routines::xpsprn("a%d%n b %d", 1, &target, 2);
             if (target != 99) host_routines::xpsprn("written!");
         },
         "a1%n b %d"},
        {"unknown conversion stops reading arguments", [] { host_routines::xpsprn("x=%d %q %s", 5, "never"); },
         "x=5 %q %s"},
        {"format ending in %", [] { host_routines::xpsprn("50%"); }, "50%"},
        {"huge width is cut", [] { host_routines::xpsprn("%99999d|", 1); }, std::string(511, ' ') + "1|"},
        {"huge star width is cut", [] { host_routines::xpsprn("%*d|", 100000, 1); },
         std::string(511, ' ') + "1|"},
        {"trailing newline dropped", [] { host_routines::xpsprn("line\n"); }, "line"},
        {"null format", [] { host_routines::xpsprn(nullptr); }, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        c.call();
        EXPECT_EQ(takeLog(), c.expected + "\n");
    }
}

TEST_F(ListingServices, LongTextsAreBounded)
{
    std::string long1(6000, 'a');
    std::string long2(6000, 'b');
    host_routines::xpsprn("%s%s", long1.c_str(), long2.c_str());
    std::string line = takeLog();
    ASSERT_EQ(line.size(), orvhost::kMaxFormattedLength + 1);
    EXPECT_EQ(line.substr(0, 6000), long1);
    EXPECT_EQ(line.substr(6000, orvhost::kMaxFormattedLength - 6000),
              std::string(orvhost::kMaxFormattedLength - 6000, 'b'));
}

TEST_F(ListingServices, LinesOfEachKind)
{
    struct Case {
        const char *id;
        std::function<void()> call;
        const char *expected;
    };
    const Case cases[] = {
        {"debug line", [] { host_routines::xebug("zintnx2: bad intcode=%i", 17); },
         "DEBUG: zintnx2: bad intcode=17\n"},
        {"debug line ending in a newline", [] { host_routines::xebug("x=%d\n", 1); }, "DEBUG: x=1\n"},
        {"debug line with counted text", [] { host_routines::xebug("bad name %*s!", 4, "WEEKDAY"); },
         "DEBUG: bad name WEEK!\n"},
        {"note line", [] { host_routines::xpsnlog(nullptr, "Entering ZTSInSetup"); },
         "NOTE: Entering ZTSInSetup\n"},
        {"note line by the step's handle",
         [this] { host_routines::xpsnlog(host.controlBlock().logHandle(), "x"); }, "NOTE: x\n"},
        {"null note text", [] { host_routines::xpsnlog(nullptr, nullptr); }, ""},
        {"first page", [] { host_routines::xppage(0); }, "---- Page 1 ----\n"},
        {"second page", [] { host_routines::xppage(0); }, "---- Page 2 ----\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        c.call();
        EXPECT_EQ(takeLog(), c.expected);
    }
    EXPECT_EQ(host.listing().page(), 2);
}

TEST_F(ListingServices, LogHandlesAndTheOutputLineArea)
{
    void *stepHandle = host.controlBlock().logHandle();
    int other = 0;
    struct Case {
        const char *id;
        void *handle;
        bool withArea;
        int expected;
    };
    const Case cases[] = {
        {"step's handle", stepHandle, true, 0},
        {"default handle", nullptr, true, 0},
        {"unknown handle", &other, true, orvhost::kListingBadArgument},
        {"null area", stepHandle, false, orvhost::kListingBadArgument},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(host_routines::xpopen(c.handle), c.withArea ? c.expected : 0);
        /* 8 bytes of area between guard bytes that must stay untouched */
        unsigned char bytes[24];
        std::memset(bytes, 0xEE, sizeof bytes);
        host.listing().registerLineArea(nullptr);
        int status = host_routines::xpoutl(c.handle, c.withArea ? bytes + 8 : nullptr);
        EXPECT_EQ(status, c.expected);
        int64_t word = 0;
        std::memcpy(&word, bytes + 8, sizeof word);
        if (c.expected == 0) {
            EXPECT_EQ(word, 132);
            EXPECT_EQ(host.listing().lineArea(), bytes + 8);
        } else {
            EXPECT_EQ(word, int64_t(0xEEEEEEEEEEEEEEEEull));
            EXPECT_EQ(host.listing().lineArea(), nullptr);
        }
        for (int i = 0; i < 8; ++i) EXPECT_EQ(bytes[i], 0xEE) << i;
        for (int i = 16; i < 24; ++i) EXPECT_EQ(bytes[i], 0xEE) << i;
    }
    EXPECT_EQ(takeLog(), "");
}

void stepRegisteringAnArea()
{
    static int64_t area = 0;
    host_routines::xpoutl(nullptr, &area);
    host_routines::xexit(0, 0);
}

TEST_F(ListingServices, StepEndForgetsTheLineArea)
{
    EXPECT_EQ(host.runStep(stepRegisteringAnArea), 0);
    EXPECT_EQ(host.listing().lineArea(), nullptr);
}

TEST_F(ListingServices, LineSettingsAndDestination)
{
    struct Case {
        const char *id;
        int64_t (*setting)(int);
        int request;
        int64_t expected;
    };
    const Case cases[] = {
        {"log line width", host_routines::xplogl, 0, 132},
        {"message line width", host_routines::xpmsgl, 0, 100},
        {"listing page length", host_routines::xpprnl, 0, 60},
        {"log: other request", host_routines::xplogl, 1, -1},
        {"message: other request", host_routines::xpmsgl, -1, -1},
        {"print: other request", host_routines::xpprnl, 2, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(c.setting(c.request), c.expected);
    }
    EXPECT_EQ(host_routines::xpselec(0, -2), 0);
    EXPECT_EQ(host.listing().destination(), 0);
    EXPECT_EQ(host.listing().selectOption(), -2);
    EXPECT_EQ(takeLog(), "");
}

}  // namespace
