/*
 * options_test.cpp - the system options: settings by name (any case) and
 * their checks, and the option services xoptcgt, xyrcgef, xyrfree and
 * xyrn6gf as the modules call them, including the release of the texts a
 * step did not give back.
 */
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "platform/host.h"
#include "platform/options.h"
#include "platform/service_table.h"

namespace {

using orvhost::OptionId;
using orvhost::SystemOptions;

TEST(SystemOptions, SettingsAreCheckedAndNamesIgnoreCase)
{
    struct Case {
        const char *id;
        const char *assignment;
        bool accepted;
        OptionId option; /* read back when accepted */
        const char *text;
        int yearCutoff;
    };
    const Case cases[] = {
        {"debug upper", "DEBUG=SYN SEM", true, OptionId::Debug, "SYN SEM", 1926},
        {"debug lower name", "debug=sem", true, OptionId::Debug, "sem", 1926},
        {"mixed case name", "IntervalDs=(A=LIB.MEM)", true, OptionId::IntervalDs, "(A=LIB.MEM)", 1926},
        {"blanks around name", " eventds =NODEFAULTS", true, OptionId::EventDs, "NODEFAULTS", 1926},
        {"value keeps its =", "INTERVALDS=A=L.B", true, OptionId::IntervalDs, "A=L.B", 1926},
        {"empty value unsets", "DEBUG=", true, OptionId::Debug, "", 1926},
        {"cut-off", "YEARCUTOFF=1950", true, OptionId::YearCutoff, "1950", 1950},
        {"cut-off blanks", "yearcutoff= 2000 ", true, OptionId::YearCutoff, "2000", 2000},
        {"cut-off lowest", "YEARCUTOFF=1582", true, OptionId::YearCutoff, "1582", 1582},
        {"cut-off highest", "YEARCUTOFF=19900", true, OptionId::YearCutoff, "19900", 19900},
        {"cut-off too early", "YEARCUTOFF=1581", false, OptionId::YearCutoff, "1926", 1926},
        {"cut-off too late", "YEARCUTOFF=19901", false, OptionId::YearCutoff, "1926", 1926},
        {"cut-off not a number", "YEARCUTOFF=19x0", false, OptionId::YearCutoff, "1926", 1926},
        {"cut-off fraction", "YEARCUTOFF=1950.5", false, OptionId::YearCutoff, "1926", 1926},
        {"cut-off empty", "YEARCUTOFF=", false, OptionId::YearCutoff, "1926", 1926},
        {"cut-off overflow", "YEARCUTOFF=99999999999", false, OptionId::YearCutoff, "1926", 1926},
        {"event data sets in parentheses", "EVENTDS=(NODEFAULTS work.keys)", true,
         OptionId::EventDs, "(NODEFAULTS work.keys)", 1926},
        {"event data sets, blanks and tabs", "EVENTDS= defaults\tl.k ", true, OptionId::EventDs,
         " defaults\tl.k ", 1926},
        {"intervals, blanks around =", "INTERVALDS=(fiscal = lib.cal wk=l.w)", true,
         OptionId::IntervalDs, "(fiscal = lib.cal wk=l.w)", 1926},
        {"debug in parentheses", "DEBUG=(syn)", true, OptionId::Debug, "(syn)", 1926},
        {"event data sets not names", "EVENTDS=@@@ (((", false, OptionId::EventDs, "", 1926},
        {"event data set without library", "EVENTDS=KEYS", false, OptionId::EventDs, "", 1926},
        {"event library too long", "EVENTDS=LIBRARY10.K", false, OptionId::EventDs, "", 1926},
        {"parenthesis not closed", "EVENTDS=(NODEFAULTS", false, OptionId::EventDs, "", 1926},
        {"debug word unknown", "DEBUG=FROBNICATE", false, OptionId::Debug, "", 1926},
        /* INTERVALDS is read as the custom-interval manager reads it. */
        {"interval: no entry, only separators", "INTERVALDS=(=)", true, OptionId::IntervalDs, "(=)", 1926},
        {"interval and data set apart", "INTERVALDS=(FQ d.fq)", true, OptionId::IntervalDs, "(FQ d.fq)", 1926},
        {"intervals, commas", "INTERVALDS=FQ=d.fq,wk=w", true, OptionId::IntervalDs, "FQ=d.fq,wk=w", 1926},
        {"interval in two parentheses", "INTERVALDS=((FQ=(d.fq)))", true, OptionId::IntervalDs,
         "((FQ=(d.fq)))", 1926},
        {"interval name without data set", "INTERVALDS=(FQ d.fq wk)", false, OptionId::IntervalDs, "", 1926},
        {"interval name not a name", "INTERVALDS=(F-Q=d.fq)", false, OptionId::IntervalDs, "", 1926},
        {"interval library too long", "INTERVALDS=(FQ=library10.fq)", false, OptionId::IntervalDs, "", 1926},
        {"interval without data set", "INTERVALDS=fiscal=", false, OptionId::IntervalDs, "", 1926},
        {"interval in WORK", "INTERVALDS=fiscal=cal", true, OptionId::IntervalDs, "fiscal=cal", 1926},
        {"unknown name", "EVENTDSS=X", false, OptionId::EventDs, "", 1926},
        {"prefix of a name", "DEBU=X", false, OptionId::Debug, "", 1926},
        {"no equals sign", "DEBUG", false, OptionId::Debug, "", 1926},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        SystemOptions options;
        std::string fault = options.setAssignment(c.assignment);
        EXPECT_EQ(fault.empty(), c.accepted) << fault;
        EXPECT_EQ(options.text(c.option), c.text);
        EXPECT_EQ(options.yearCutoff(), c.yearCutoff);
    }
}

TEST(SystemOptions, FaultsNameTheProblem)
{
    struct Case {
        const char *id;
        const char *assignment;
        const char *expected;
    };
    const Case cases[] = {
        {"unknown", "NOPE=1",
         "unknown system option 'NOPE' (known options: DEBUG, EVENTDS, INTERVALDS, YEARCUTOFF)"},
        {"bad cut-off", "YEARCUTOFF=abc", "YEARCUTOFF must be a year from 1582 to 19900, not 'abc'"},
        {"no equals", "DEBUG", "a system option is set as NAME=VALUE, not 'DEBUG'"},
        {"debug word", "DEBUG=SYN FROBNICATE",
         "'FROBNICATE' is not valid in DEBUG; list SYN and SEM, separated by blanks, optionally "
         "in parentheses"},
        {"event data set", "EVENTDS=@@@ (((",
         "the value '@@@ (((' of EVENTDS has a parenthesis out of place; list NODEFAULTS, "
         "DEFAULTS and data sets libref.member, separated by blanks, optionally in parentheses"},
        {"interval", "INTERVALDS=(fq)",
         "the interval name 'fq' in INTERVALDS has no data set; list custom intervals name=libref.member or "
         "name=member, separated by blanks or commas, optionally in parentheses"},
        {"interval data set", "INTERVALDS=(fq=a.b.c)",
         "'a.b.c' is not a valid data set in INTERVALDS; list custom intervals name=libref.member or "
         "name=member, separated by blanks or commas, optionally in parentheses"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        SystemOptions options;
        EXPECT_EQ(options.setAssignment(c.assignment), c.expected);
    }
    SystemOptions options;
    EXPECT_FALSE(options.set("DEBUG", std::string(orvhost::kMaxOptionTextLength + 1, 'x')).empty());
    std::string longest;
    while (longest.size() + 4 < orvhost::kMaxOptionTextLength) longest += "SYN ";
    longest += std::string(orvhost::kMaxOptionTextLength - longest.size(), ' ');
    EXPECT_TRUE(options.set("DEBUG", longest).empty());
}

class OptionServices : public ::testing::Test {
protected:
    std::ostringstream log;
    orvhost::Host host{log};
    /* Sets the text as it stands: the services must take any text. */
    void set(const char *name, const char *value)
    {
        OptionId id;
        ASSERT_TRUE(SystemOptions::find(name, id));
        host.options().setText(id, value);
    }
};

TEST_F(OptionServices, CharacterOptionCopies)
{
    set("DEBUG", "syn sem");
    set("INTERVALDS", "(A=LIB.MEM, B=MEM2)");
    struct Case {
        const char *id;
        const char *name;
        const char *expected; /* null: no text */
    };
    const Case cases[] = {
        {"debug", "DEBUG", "syn sem"},
        {"name in lower case", "debug", "syn sem"},
        {"name with trailing blanks", "INTERVALDS  ", "(A=LIB.MEM, B=MEM2)"},
        {"unset option", "EVENTDS", ""},
        {"numeric option as text", "YEARCUTOFF", "1926"},
        {"unknown option", "NOPE", nullptr},
        {"null name", nullptr, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        int length = -5;
        char *text = host_routines::xoptcgt(c.name, &length);
        if (c.expected == nullptr) {
            EXPECT_EQ(text, nullptr);
            EXPECT_EQ(length, 0);
            continue;
        }
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(length, int(std::strlen(c.expected)));
        EXPECT_EQ(std::string(text), c.expected);
    }
}

TEST_F(OptionServices, CopiesMayBeChangedWithoutChangingTheOption)
{
    set("INTERVALDS", "(a=lib.mem)");
    int length = 0;
    char *first = host_routines::xoptcgt("INTERVALDS", &length);
    ASSERT_NE(first, nullptr);
    host_routines::wzstrup(first, length);
    EXPECT_EQ(std::string(first), "(A=LIB.MEM)");
    char *second = host_routines::xoptcgt("INTERVALDS", &length);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(std::string(second), "(a=lib.mem)");
    EXPECT_EQ(std::string(first), "(A=LIB.MEM)");
    EXPECT_EQ(host.options().text(OptionId::IntervalDs), "(a=lib.mem)");
}

TEST_F(OptionServices, EnclosedTextsForItemReaders)
{
    const std::string longList = "LIB.A " + std::string(300, 'B');
    struct Case {
        const char *id;
        std::string value;
        int bufferLength;
        std::string expected;
    };
    const Case cases[] = {
        {"already enclosed", "(NODEFAULTS LIB.KEYS)", 256, "(NODEFAULTS LIB.KEYS)"},
        {"enclosed by the host", "NODEFAULTS LIB.KEYS", 256, "(NODEFAULTS LIB.KEYS)"},
        {"outer blanks dropped", "  (DEFAULTS)  ", 256, "(DEFAULTS)"},
        {"one member", "KEYS", 256, "(KEYS)"},
        {"unset: no items", "", 256, "()"},
        {"blanks only: no items", "   ", 256, "()"},
        {"half enclosed", "(A B", 256, "((A B)"},
        {"single parenthesis", "(", 256, "(()"},
        {"longer than the buffer", longList, 256, "(" + longList + ")"},
        {"no buffer length", "A", 0, "(A)"},
        {"negative buffer length", "A", -4, "(A)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        set("EVENTDS", c.value.c_str());
        char *text = reinterpret_cast<char *>(0x1);
        int length = host_routines::xyrcgef("EVENTDS", &text, c.bufferLength);
        ASSERT_EQ(length, int(c.expected.size()));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::string(text, size_t(length)), c.expected);
        /* NUL-filled after the text, up to the buffer length asked for */
        size_t blockSize = std::max(size_t(std::max(c.bufferLength, 0)), c.expected.size() + 1);
        for (size_t i = c.expected.size(); i < blockSize; ++i) ASSERT_EQ(text[i], '\0') << i;
        host_routines::xyrfree(text);
    }
}

TEST_F(OptionServices, UnavailableOptionTexts)
{
    char *text = reinterpret_cast<char *>(0x1);
    EXPECT_EQ(host_routines::xyrcgef("NOPE", &text, 256), -1);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(host_routines::xyrcgef(nullptr, &text, 256), -1);
    EXPECT_EQ(host_routines::xyrcgef("EVENTDS", nullptr, 256), -1);
    EXPECT_EQ(host.options().liveTextCount(), 0u);
}

TEST_F(OptionServices, FreeingIsSafe)
{
    char *a = nullptr;
    char *b = nullptr;
    ASSERT_EQ(host_routines::xyrcgef("EVENTDS", &a, 256), 2);
    ASSERT_EQ(host_routines::xyrcgef("DEBUG", &b, 256), 2);
    EXPECT_EQ(host.options().liveTextCount(), 2u);
    host_routines::xyrfree(a);
    EXPECT_EQ(host.options().liveTextCount(), 1u);
    host_routines::xyrfree(a); /* freed twice */
    char stray[4];
    host_routines::xyrfree(stray); /* never handed out */
    host_routines::xyrfree(nullptr);
    host_routines::xyrfree(b + 1); /* inside a block, not its start */
    EXPECT_EQ(host.options().liveTextCount(), 1u);
    EXPECT_EQ(std::string(b), "()");
    host_routines::xyrfree(b);
    EXPECT_EQ(host.options().liveTextCount(), 0u);
}

TEST_F(OptionServices, YearCutoff)
{
    struct Case {
        const char *id;
        const char *setting; /* null: default */
        int optionId;
        bool nullOut;
        int expectedStatus; /* 0 or non-zero */
        int expectedValue;
    };
    const Case cases[] = {
        {"default", nullptr, 4443, false, 0, 1926},
        {"set", "1950", 4443, false, 0, 1950},
        {"other option id", nullptr, 4442, false, 1, -7},
        {"id zero", nullptr, 0, false, 1, -7},
        {"null out", nullptr, 4443, true, 1, -7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        SystemOptions &options = host.options();
        ASSERT_EQ(options.set("YEARCUTOFF", c.setting != nullptr ? c.setting : "1926"), "");
        int value = -7;
        int status = host_routines::xyrn6gf(c.optionId, c.nullOut ? nullptr : &value);
        EXPECT_EQ(status != 0, c.expectedStatus != 0);
        EXPECT_EQ(value, c.expectedValue);
    }
}

/* A step that takes option texts and gives none back. */
void stepKeepingTexts()
{
    int length = 0;
    host_routines::xoptcgt("DEBUG", &length);
    char *text = nullptr;
    host_routines::xyrcgef("EVENTDS", &text, 256);
    host_routines::xexit(0, 0);
}

TEST_F(OptionServices, StepEndReleasesTextsButKeepsSettings)
{
    set("DEBUG", "SYN");
    EXPECT_EQ(host.runStep(stepKeepingTexts), 0);
    EXPECT_EQ(host.options().liveTextCount(), 0u);
    EXPECT_EQ(host.options().text(OptionId::Debug), "SYN");
    int length = 0;
    EXPECT_EQ(std::string(host_routines::xoptcgt("DEBUG", &length)), "SYN");
}

}  // namespace
