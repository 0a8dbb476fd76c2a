/*
 * fail_alloc_sweep_test.cpp - `orvhost --fail-alloc N` for every host
 * allocation of a VORNAK step with events, BY groups and its outputs: each
 * run that fails an allocation must end the step with the memory message
 * and return code 1016 and leave every output data set as it was before
 * the job, or (out of memory inside a BY group, 116) skip that group and
 * put complete outputs in place: the event definitions of the clean run,
 * and its BY-group rows without those of the skipped group, described by
 * sidecars that count them.  orvhost runs as its own process, and
 * its output must hold nothing but the job's log: in the sanitized build
 * a sanitizer report fails the test.
 */
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

/* The step's output statements, the members they write into OUT, and
 * whether they hold rows per BY group (the BY variable first).  A new
 * output of the step is one line here. */
struct Output {
    const char *statement;
    const char *member;
    bool byGroupRows;
};
constexpr Output kOutputs[] = {
    {"EVENTDATA OUT=out.evdef;", "evdef", false},
    {"EVENTDATA OUT=out.evcond CONDENSE;", "evcond", false},
    {"EVENTDUMMY OUT=out.dummy;", "dummy", true},
    {"DATEKEYPERIODS OUT=out.periods;", "periods", true},
    {"DATEKEYDATA OUT=out.keys;", "keys", false},
    {"DATEKEYCALENDAR OUT=out.calendar SUMMARY;", "calendar", true},
};
/* The BY groups of the input, by listing page. */
constexpr const char *kGroups[] = {"A", "B"};

std::string jobText()
{
    std::string text = "LIBNAME t '" ORV_SOURCE_DIR "/tests/e2e/cases/vornak_event_data/data';\n"
                       "PROC VORNAK DATA=t.stores LEAD=2;\n"
                       "  ID date INTERVAL=MONTH;\n"
                       "  VAR sales;\n"
                       "  BY store;\n"
                       "  EVENTDEF promo = '01JAN2020'd TO '15JAN2020'd BY WEEK / TYPE=LS;\n"
                       "  EVENTDEF holidays = christmas easter '01FEB2020'd;\n"
                       "  EVENTKEY xmas = CHRISTMAS / PULSE=WEEK;\n"
                       "  EVENTCOMB both = holidays promo;\n"
                       "  EVENTGROUP g = (xmas, both);\n"
                       "  DATEKEYKEY eas = EASTER;\n";
    for (const Output &output : kOutputs) text += std::string("  ") + output.statement + "\n";
    return text + "RUN;\n";
}

/* Every file of dir by name, with its text. */
std::map<std::string, std::string> filesOf(const std::string &dir)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry &entry : fs::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        files[entry.path().filename().string()] = text.str();
    }
    return files;
}

/* Empties dir and writes the outputs of an earlier job into it. */
void writeEarlierOutputs(const std::string &dir)
{
    for (const fs::directory_entry &entry : fs::directory_iterator(dir)) fs::remove_all(entry);
    for (const Output &output : kOutputs) {
        std::ofstream(dir + "/" + output.member + ".csv") << "_NAME_\nearlier\n";
        std::ofstream(dir + "/" + output.member + ".meta.json")
            << R"({"variables": [{"name": "_NAME_", "type": "character", "length": 7}]})";
    }
}

/* The outputs of the clean run without the rows of BY group `skipped`:
 * rows are dropped from the CSV files of the BY-group outputs, and their
 * sidecars count what is left. */
std::map<std::string, std::string> withoutGroup(std::map<std::string, std::string> files,
                                                const std::string &skipped)
{
    auto replaceNumber = [](std::string &text, const std::string &field, size_t value) {
        size_t at = text.find("\"" + field + "\": ");
        ASSERT_NE(at, std::string::npos) << field;
        at += field.size() + 4;
        text.replace(at, text.find(',', at) - at, std::to_string(value));
    };
    for (const Output &output : kOutputs) {
        if (!output.byGroupRows) continue;
        std::istringstream rows(files[std::string(output.member) + ".csv"]);
        std::string kept, row;
        size_t count = 0;
        for (bool header = true; std::getline(rows, row); header = false) {
            if (!header && row.starts_with(skipped + ",")) continue;
            kept += row + "\n";
            count += header ? 0 : 1;
        }
        files[std::string(output.member) + ".csv"] = kept;
        std::string &sidecar = files[std::string(output.member) + ".meta.json"];
        replaceNumber(sidecar, "observations", count);
        replaceNumber(sidecar, "csvBytes", kept.size());
    }
    return files;
}

/* The BY group whose listing page holds the first error line of log,
 * or "" when there is none. */
std::string groupOfError(const std::string &log)
{
    size_t error = log.find("ERROR:");
    size_t page = log.rfind("---- Page ", error);
    if (error == std::string::npos || page == std::string::npos) return "";
    size_t number = std::stoul(log.substr(page + 10));
    return number >= 1 && number <= std::size(kGroups) ? kGroups[number - 1] : "";
}

struct JobRun {
    int status;
    std::string log; /* standard output and error */
};

/* Runs orvhost on job as its own process, so that a sanitizer report
 * shows in its output. */
JobRun runJob(const std::string &job, const std::string &outDir, long failAt)
{
    std::string command = ORV_MODULE_DIR "/orvhost --lib out=" + outDir;
    if (failAt > 0) command += " --fail-alloc " + std::to_string(failAt);
    command += " " + job + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {-1, "popen failed"};
    std::string log;
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) log.append(buffer, got);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, log};
}

TEST(FailAllocSweep, EveryFailedAllocationFailsTheStepAndKeepsItsOutputs)
{
    char pattern[] = "/tmp/orv-fail-alloc-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern, outDir = dir + "/out", job = dir + "/job.job";
    fs::create_directory(outDir);
    std::ofstream(job) << jobText();

    writeEarlierOutputs(outDir);
    const auto earlier = filesOf(outDir);
    JobRun clean = runJob(job, outDir, 0);
    ASSERT_EQ(clean.status, 0) << clean.log;
    const auto complete = filesOf(outDir);
    ASSERT_NE(complete, earlier);

    int failedRuns = 0, groupsSkipped = 0;
    for (long n = 1;; ++n) {
        SCOPED_TRACE("--fail-alloc " + std::to_string(n));
        writeEarlierOutputs(outDir);
        JobRun run = runJob(job, outDir, n);
        if (run.log.find("Out of memory") == std::string::npos) {
            /* No allocation n: the job runs as without the switch. */
            EXPECT_EQ(run.status, 0) << run.log;
            EXPECT_EQ(run.log, clean.log);
            EXPECT_EQ(filesOf(outDir), complete);
            break;
        }
        ++failedRuns;
        EXPECT_EQ(run.status, 2) << run.log;
        EXPECT_EQ(run.log.find("Sanitizer"), std::string::npos) << run.log;
        EXPECT_EQ(run.log.find("runtime error"), std::string::npos) << run.log;
        EXPECT_NE(run.log.find("ERROR: Out of memory"), std::string::npos) << run.log;
        if (run.log.find("ended with return code 116.") != std::string::npos) {
            ++groupsSkipped;
            EXPECT_NE(run.log.find("NOTE: PROC VORNAK (line 2) ended with return code 116.\n"),
                      std::string::npos)
                << run.log;
            const std::string skipped = groupOfError(run.log);
            ASSERT_NE(skipped, "") << run.log;
            EXPECT_EQ(filesOf(outDir), withoutGroup(complete, skipped)) << run.log;
        } else {
            EXPECT_NE(run.log.find("NOTE: PROC VORNAK (line 2) ended with return code 1016.\n"),
                      std::string::npos)
                << run.log;
            EXPECT_EQ(filesOf(outDir), earlier) << run.log;
        }
        if (::testing::Test::HasFailure()) break;
    }
    EXPECT_GT(failedRuns, 150);
    EXPECT_GT(groupsSkipped, 2);
    fs::remove_all(dir);
}

}  // namespace
