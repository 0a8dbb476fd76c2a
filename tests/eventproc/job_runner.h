/*
 * job_runner.h - runs a job text in the test process on a fresh host with
 * the built modules, for tests of whole procedure steps that need more
 * than orvhost's command line gives: extra catalogue entries, a failing
 * host allocation.
 *
 * Exports: runJobText, stepReturnCodes, libnameT.
 */
#ifndef ORV_TESTS_EVENTPROC_JOB_RUNNER_H
#define ORV_TESTS_EVENTPROC_JOB_RUNNER_H

#include <cstdint>
#include <string>
#include <vector>

namespace orvtest {

/*
 * Runs jobText (read as the job file "test.job") and returns its log.
 * catalogue: catalogue lines loaded over the built-in ones; failAllocation:
 * the host allocation that fails, as orvhost --fail-alloc (0: none).
 */
std::string runJobText(const std::string &jobText, const std::string &catalogue = "",
                       int64_t failAllocation = 0);

/* The return codes of the steps of a log ("PROC name (line n) ended with
 * return code N."), in order. */
std::vector<int> stepReturnCodes(const std::string &log);

/* A LIBNAME statement for library libref (T unless given) on a directory
 * under tests/. */
std::string libnameT(const char *directory, const char *libref = "t");

}  // namespace orvtest

#endif
