/*
 * output_memory_test.cpp - event definition data sets (EVENTDATA OUT=, and
 * in KIVEVENTS the DATEKEYDATA OUT= data sets of its date-key list) when
 * host memory runs out: every host allocation of a step is made to fail in
 * turn, and each run either gives the step's usual log or ends the step
 * with at least 1016; never a data set lost under return code 0.
 */
#include <gtest/gtest.h>

#include <string>

#include "tests/eventproc/job_runner.h"

namespace {

TEST(OutputMemory, EveryFailedAllocationEndsTheStepOrChangesNothing)
{
    struct Case {
        const char *id;
        const char *step;
    };
    const Case cases[] = {
        {"VORNAK", "PROC VORNAK DATA=t.months; ID date INTERVAL=MONTH;"
                   " EVENTDEF launch = '01MAR2020'd; EVENTDATA OUT=work.events; RUN;"},
        {"KIVEVENTS", "PROC KIVEVENTS DATA=t.months; ID date INTERVAL=MONTH; DATEKEYDATA OUT=work.keys;"
                      " EVENTDEF launch = '01MAR2020'd; EVENTDATA OUT=work.events; RUN;"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        const std::string job = orvtest::libnameT("e2e/cases/kivevents_datekeys/data") + c.step;
        const std::string usual = orvtest::runJobText(job);
        ASSERT_EQ(orvtest::stepReturnCodes(usual), std::vector<int>{0}) << usual;
        bool reachedUsual = false;
        for (int64_t n = 1; n < 1000 && !reachedUsual; ++n) {
            const std::string log = orvtest::runJobText(job, "", n);
            reachedUsual = log == usual;
            if (reachedUsual) break;
            const std::vector<int> codes = orvtest::stepReturnCodes(log);
            ASSERT_EQ(codes.size(), 1u) << log;
            EXPECT_GE(codes[0], 1016) << "allocation " << n << ":\n" << log;
        }
        EXPECT_TRUE(reachedUsual);
    }
}

}  // namespace
