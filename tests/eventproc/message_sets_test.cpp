/*
 * message_sets_test.cpp - the shared steps write each module's own message
 * sets: the built modules run jobs on a host whose catalogue entries of the
 * input set-up, the group reader and the no-group note are replaced by
 * markers "[set number]", so that the log shows which set each message
 * came from (the texts of both modules are worded alike).
 */
#include <gtest/gtest.h>

#include <string>

#include "tests/eventproc/job_runner.h"

namespace {

/* The shared steps' messages: (number, argument types) under 1023 in the
 * date-key module, 743 (779 for 455 and 490) in the event module. */
struct SharedMessage {
    int number;
    const char *arguments;
    bool noGroupSet;
};
constexpr SharedMessage kShared[] = {
    {3, "-", false},  {5, "tit", false},  {8, "tiitd", false}, {9, "tit", false}, {25, "ii", false},
    {31, "ii", false}, {32, "tt", false}, {455, "-", true},    {490, "t", true},
};

/* Catalogue lines that turn every shared message of every set into its
 * marker. */
std::string markerCatalogue()
{
    std::string text;
    for (const SharedMessage &m : kShared)
        for (int set : {1023, 743, 779})
            if (set != 779 || m.noGroupSet)
                text += std::to_string(set) + " " + std::to_string(m.number) + " NOTE " + m.arguments + " [" +
                        std::to_string(set) + " " + std::to_string(m.number) + "]\n";
    return text;
}

/* The markers of the log of jobText run with the marker catalogue
 * (failAllocation as orvhost --fail-alloc), in order, blank-separated. */
std::string markersOf(const std::string &jobText, int64_t failAllocation = 0)
{
    const std::string text = orvtest::runJobText(jobText, markerCatalogue(), failAllocation);
    std::string markers;
    for (size_t open = text.find('['); open != std::string::npos; open = text.find('[', open + 1)) {
        const size_t close = text.find(']', open);
        if (close == std::string::npos) break;
        const std::string inside = text.substr(open + 1, close - open - 1);
        if (inside.find_first_not_of("0123456789 ") != std::string::npos || inside.find(' ') == std::string::npos)
            continue;
        markers += (markers.empty() ? "[" : " [") + inside + "]";
    }
    return markers;
}

constexpr const char *kShops = "e2e/cases/kivevents_groups/data";
constexpr const char *kEmpty = "e2e/cases/vornak_event_data/data";
constexpr const char *kFixtures = "fixtures/message_sets";

TEST(MessageSets, EachModuleWritesItsOwnSets)
{
    struct Case {
        const char *id;
        const char *data;  /* directory of library T */
        const char *step;  /* the step after PROC <procedure> */
        const char *vornak;
        const char *kivevents;
    };
    /* Shop A has one missing time ID, shop C only missing ones. */
    const Case cases[] = {
        {"missing time IDs, a group without observations", kShops,
         " DATA=t.shops; ID date INTERVAL=MONTH; BY store; RUN;",
         "[1023 5] [1023 5] [1023 5] [1023 490]", "[743 5] [743 5] [743 5] [779 490]"},
        {"no BY group with EVENTDUMMY OUT=", kEmpty,
         " DATA=t.empty; ID date INTERVAL=MONTH; EVENTDUMMY OUT=work.d; RUN;", "[1023 455]", "[779 455]"},
        {"a time ID off the interval", kFixtures,
         " DATA=t.beyond; ID date INTERVAL=MONTH; RUN;", "[1023 8]", "[743 8]"},
        {"time IDs too far apart to count", kFixtures,
         " DATA=t.far; ID n INTERVAL=OBS; RUN;", "[1023 9]", "[743 9]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(markersOf(orvtest::libnameT(c.data) + "PROC VORNAK" + c.step), c.vornak);
        EXPECT_EQ(markersOf(orvtest::libnameT(c.data) + "PROC KIVEVENTS" + c.step), c.kivevents);
    }
}

/* The input set-up's memory message: the first failing allocation that
 * makes one, for each module, and never the other module's. */
TEST(MessageSets, InputSetUpMemoryMessage)
{
    struct Case {
        const char *procedure;
        const char *own;
        const char *other;
    };
    for (const Case &c : {Case{"VORNAK", "[1023 3]", "[743 3]"}, Case{"KIVEVENTS", "[743 3]", "[1023 3]"}}) {
        SCOPED_TRACE(c.procedure);
        const std::string job = orvtest::libnameT(kShops) + "PROC " + c.procedure +
                                " DATA=t.shops; ID date INTERVAL=MONTH; VAR zeta alpha; BY store; RUN;";
        bool found = false;
        for (int64_t n = 1; n < 400 && !found; ++n) {
            const std::string markers = markersOf(job, n);
            EXPECT_EQ(markers.find(c.other), std::string::npos) << "allocation " << n;
            found = markers.find(c.own) != std::string::npos;
        }
        EXPECT_TRUE(found);
    }
}

}  // namespace
