/*
 * option_flags_test.cpp - the option bits of the procedure statement in the
 * flag bytes, under the date-key module's rules and the event module's: the
 * event module reads neither bit 4 nor the all-selections switch (bit 30);
 * the bits both read come through in both.
 */
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "eventproc/kivevpar.h"
#include "procdriver/datekpar.h"

namespace {

/* The flag bytes that are set, as "f1 f2 ...", and "u" when the unsorted
 * flag is. */
std::string flagsAfter(std::initializer_list<int> bits, KIV_OPTION_RULES rules)
{
    STATEMENT_NODE statement{};
    for (int bit : bits) statement.optionBits[bit / 8] |= uint8_t(0x80 >> (bit % 8));
    PROC_STATE state;
    std::memset(static_cast<void *>(&state), 0, sizeof state);
    kivReadFlags(&state, &statement, rules);
    std::string set;
    for (int f = 0; f < KIV_FLAG_COUNT; ++f)
        if (state.flags[f] != 0) set += (set.empty() ? "" : " ") + std::to_string(f);
    if (state.unsortedOk != 0 && state.series.rawTime.unsortedOk != 0) set += " u";
    return set;
}

TEST(OptionFlags, EachModuleReadsItsOwnBits)
{
    struct Case {
        const char *id;
        std::initializer_list<int> bits;
        const char *dateKey;
        const char *event;
    };
    const Case cases[] = {
        {"SORTNAMES", {2}, "1", "1"},
        {"NOOUTALL and DEBUGX", {1, 19, 20, 21}, "0 3 4 5", "0 3 4 5"},
        {"bit 4", {4}, "2", ""},
        {"all selections", {30}, "15 16 17 18 19 20 21 22 23 24 25 26", ""},
        {"selection bits of their own", {31, 43, 52}, "15 23 26", "15 23 26"},
        {"unsorted", {3}, " u", " u"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(flagsAfter(c.bits, kivDateKeyOptions), c.dateKey);
        EXPECT_EQ(flagsAfter(c.bits, kivEventOptions), c.event);
    }
}

}  // namespace
