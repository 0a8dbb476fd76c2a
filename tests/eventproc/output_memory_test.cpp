/*
 * output_memory_test.cpp - the outputs of a step when host memory runs
 * out: every host allocation of a step is made to fail in turn.  Each run
 * either gives the step's usual log, or writes the host's memory message
 * and ends the step with at least 1016 (116 when a BY group was skipped);
 * never an input or an output lost under return code 0, and never a data
 * set kept with a group half-written.
 *
 * Steps: event definition data sets (EVENTDATA OUT=, and in KIVEVENTS the
 * DATEKEYDATA OUT= data sets of its date-key list); a VORNAK step reading
 * a date-key data set (DATEKEYDATA IN=) and writing dummy and date-key
 * periods data sets, without and with BY groups.
 */
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/dataset/data_set_status.h"
#include "tests/eventproc/job_runner.h"

namespace {

namespace fs = std::filesystem;

/* The rows of a CSV output by their first column (the BY variable), in
 * file order; empty when the file is not there. */
std::map<std::string, std::vector<std::string>> rowsByGroup(const fs::path &file)
{
    std::map<std::string, std::vector<std::string>> groups;
    std::ifstream in(file);
    std::string line;
    std::getline(in, line); /* the header */
    while (std::getline(in, line)) groups[line.substr(0, line.find(','))].push_back(line);
    return groups;
}

TEST(OutputMemory, EveryFailedAllocationEndsTheStepOrChangesNothing)
{
    struct Case {
        const char *id;
        const char *step;
        int lowest;           /* return code of a run in which an allocation failed */
        bool byGroups;        /* OUT.DUMMY and OUT.PERIODS compared group by group when kept */
    };
    const Case cases[] = {
        {"VORNAK", "PROC VORNAK DATA=t.months; ID date INTERVAL=MONTH;"
                   " EVENTDEF launch = '01MAR2020'd; EVENTDATA OUT=work.events; RUN;", 1016, false},
        {"KIVEVENTS", "PROC KIVEVENTS DATA=t.months; ID date INTERVAL=MONTH; DATEKEYDATA OUT=work.keys;"
                      " EVENTDEF launch = '01MAR2020'd; EVENTDATA OUT=work.events; RUN;", 1016, false},
        {"VORNAK date keys", "PROC VORNAK DATA=t.months; ID date INTERVAL=MONTH; DATEKEYDATA IN=t.keys;"
                             " EVENTDEF both = launch sale; EVENTDUMMY OUT=out.dummy;"
                             " DATEKEYPERIODS OUT=out.periods; RUN;", 1016, false},
        {"VORNAK date keys BY", "PROC VORNAK DATA=g.groups; BY store; ID date INTERVAL=MONTH;"
                                " DATEKEYDATA IN=t.keys; EVENTDEF both = launch sale; EVENTDUMMY OUT=out.dummy;"
                                " DATEKEYPERIODS OUT=out.periods; RUN;", 116, true},
    };
    /* A directory of this run's own: builds of other checkouts may run the
     * same test at the same time. */
    char pattern[] = "/tmp/orv-output-memory-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path base = pattern;
    const fs::path out = base / "out";
    const fs::path usualOut = base / "usual";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const std::string job = orvtest::libnameT("e2e/cases/kivevents_datekeys/data") +
                                orvtest::libnameT("fixtures/memory_sweep", "g") + "LIBNAME out '" +
                                out.string() + "';\n" + c.step;
        fs::remove_all(out);
        fs::create_directories(out);
        const std::string usual = orvtest::runJobText(job);
        ASSERT_EQ(orvtest::stepReturnCodes(usual), std::vector<int>{0}) << usual;
        fs::remove_all(usualOut);
        fs::rename(out, usualOut);
        bool reachedUsual = false;
        for (int64_t n = 1; n < 1000 && !reachedUsual; ++n) {
            fs::create_directories(out);
            const std::string log = orvtest::runJobText(job, "", n);
            reachedUsual = log == usual;
            if (!reachedUsual) {
                const std::vector<int> codes = orvtest::stepReturnCodes(log);
                ASSERT_EQ(codes.size(), 1u) << log;
                EXPECT_GE(codes[0], c.lowest) << "allocation " << n << ":\n" << log;
                EXPECT_NE(log.find("ERROR: Out of memory: "), std::string::npos) << "allocation " << n << ":\n"
                                                                                 << log;
                /* A kept output holds every group it has as a whole. */
                if (c.byGroups && orvhost::stepKeepsOutputs(codes[0]))
                    for (const std::string name : {"dummy", "periods"}) {
                        const auto usualRows = rowsByGroup(usualOut / (name + ".csv"));
                        for (const auto &[group, rows] : rowsByGroup(out / (name + ".csv")))
                            EXPECT_EQ(rows, usualRows.at(group))
                                << "allocation " << n << ", " << name << " group " << group << ":\n" << log;
                    }
            }
            fs::remove_all(out);
        }
        EXPECT_TRUE(reachedUsual);
    }
    fs::remove_all(base);
}

}  // namespace
