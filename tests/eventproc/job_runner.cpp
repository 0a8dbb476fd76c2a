/*
 * job_runner.cpp - a job text run on a fresh host (see job_runner.h).
 */
#include "tests/eventproc/job_runner.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/host.h"
#include "platform/job.h"
#include "platform/module_loader.h"

namespace orvtest {

std::string runJobText(const std::string &jobText, const std::string &catalogue, int64_t failAllocation)
{
    std::ostringstream log;
    orvhost::Host host(log);
    EXPECT_EQ(host.catalogue().load(catalogue), "");
    orvhost::Job job;
    std::string error;
    EXPECT_TRUE(orvhost::readJob(jobText, "test.job", job, error)) << error;
    host.memory().failAllocation(failAllocation);
    orvhost::ModuleLoader loader({ORV_MODULE_DIR}, host.controlBlock().gcb(), host.processAnchor());
    orvhost::runJob(job, host, loader);
    return log.str();
}

std::vector<int> stepReturnCodes(const std::string &log)
{
    static const std::string ended = ") ended with return code ";
    std::vector<int> codes;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find(ended);
        if (line.rfind("NOTE: PROC ", 0) == 0 && at != std::string::npos)
            codes.push_back(std::stoi(line.substr(at + ended.size())));
    }
    return codes;
}

std::string libnameT(const char *directory, const char *libref)
{
    return std::string("LIBNAME ") + libref + " '" + ORV_SOURCE_DIR + "/tests/" + directory + "';\n";
}

}  // namespace orvtest
