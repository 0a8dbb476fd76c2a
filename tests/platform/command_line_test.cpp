/*
 * command_line_test.cpp - orvhost as a process under bad input: files of the
 * wrong kind or size as the job, bad command lines, module and library
 * paths that cannot be looked at, a log that cannot be written, and a run
 * stopped by a signal.  Each case gives its exact messages and exit status.
 */
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/platform/dataset/dataset_test_support.h"

namespace {

const std::string kOrvhost = ORV_MODULE_DIR "/orvhost";

using orvtest::readFile;
using orvtest::writeFile;

/* Where the child's standard output goes. */
enum class Output { Captured, DevFull, Closed };

struct Finished {
    int status = -1; /* the exit status, or 128 + the signal */
    std::string out, err;
};

/* Starts orvhost with args (after the program name) in a scratch directory
 * and returns the child's pid; its output goes to dir/out and dir/err. */
pid_t start(const std::string &dir, const std::vector<std::string> &args, Output output,
            const std::string &tmpdir = "")
{
    pid_t child = ::fork();
    if (child != 0) return child;
    int err = ::open((dir + "/err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(err, STDERR_FILENO);
    if (output == Output::Closed) {
        ::close(STDOUT_FILENO);
    } else {
        std::string path = output == Output::DevFull ? "/dev/full" : dir + "/out";
        int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, STDOUT_FILENO);
    }
    if (!tmpdir.empty()) ::setenv("TMPDIR", tmpdir.c_str(), 1);
    std::vector<char *> argv{const_cast<char *>(kOrvhost.c_str())};
    for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(kOrvhost.c_str(), argv.data());
    ::_exit(127);
}

int waitFor(pid_t child)
{
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

/* Starts orvhost with args, its standard output into a pipe, and reads its
 * log up to the first line holding mark.  Returns the child; the pipe's read
 * end stays open in logEnd (the child blocks once the pipe is full) and the
 * log read is in log. */
pid_t startAndReadUntil(const std::vector<std::string> &args, const std::string &tmpdir,
                        const std::string &mark, int &logEnd, std::string &log)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return -1;
    pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(logEnd);
        if (!tmpdir.empty()) ::setenv("TMPDIR", tmpdir.c_str(), 1);
        std::vector<char *> argv{const_cast<char *>(kOrvhost.c_str())};
        for (const std::string &arg : args)
            argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(kOrvhost.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    logEnd = pipeEnds[0];
    char c;
    while (log.find(mark) == std::string::npos && ::read(logEnd, &c, 1) == 1)
        log += c;
    return child;
}

Finished run(const std::string &dir, const std::vector<std::string> &args, Output output)
{
    Finished result;
    result.status = waitFor(start(dir, args, output));
    result.out = readFile(dir + "/out");
    result.err = readFile(dir + "/err");
    return result;
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/orvhost-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::permissions(dir_ + "/closed", std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }

    /* text with {dir} replaced by the scratch directory */
    std::string withDir(std::string text) const
    {
        for (size_t at; (at = text.find("{dir}")) != std::string::npos;) text.replace(at, 5, dir_);
        return text;
    }

    std::string dir_;
};

TEST_F(CommandLine, BadInputGivesItsMessageAndStatus)
{
    const std::string longPath(5000, 'a'); /* relative: the message is the same in every run */
    struct Case {
        const char *id;
        std::function<void(const std::string &dir)> make; /* files in the scratch directory */
        std::vector<std::string> args;                    /* {dir} is replaced */
        Output output;
        int status;
        std::string out; /* standard output; one ending in "..." is a prefix */
        std::string err;
        bool needsNonRoot = false; /* root may search any directory */
    };
    auto job = [](const std::string &text) {
        return [text](const std::string &dir) {
            std::string withDir = text;
            for (size_t at; (at = withDir.find("{dir}")) != std::string::npos;)
                withDir.replace(at, 5, dir);
            writeFile(dir + "/job.job", withDir);
        };
    };
    auto fifo = [](const std::string &dir) { ::mkfifo((dir + "/job.job").c_str(), 0600); };
    auto loop = [](const std::string &dir) {
        std::filesystem::create_directory(dir + "/mods");
        std::filesystem::create_symlink(dir + "/mods/orvkeydf.so", dir + "/mods/orvkeydf.so");
        std::filesystem::create_symlink(dir + "/loop", dir + "/loop");
        writeFile(dir + "/job.job", "PROC VORNAK; RUN;");
    };
    /* A sound step: the shipped example data, assigned on the step's line. */
    const std::string vornak =
        "LIBNAME ex '" ORV_SOURCE_DIR "/examples/data'; PROC VORNAK DATA=ex.sales;\nRUN;\n";
    const std::string started = "NOTE: The VORNAK step reads its statements and its input data set.\n";
    const std::string ended = started + "NOTE: PROC VORNAK (line 1) ended with return code 0.\n"
                              "NOTE: The job ended; the highest step return code was 0.\n";
    const Case cases[] = {
        {"job file is a directory", nullptr, {"{dir}"}, Output::Captured, 3, "",
         "orvhost: The job file {dir} cannot be read: it is a directory, not a regular file; give "
         "the path of a file.\n"},
        {"job file is a FIFO", fifo, {"{dir}/job.job"}, Output::Captured, 3, "",
         "orvhost: The job file {dir}/job.job cannot be read: it is a FIFO, not a regular file; "
         "give the path of a file.\n"},
        {"job file is a character device", nullptr, {"/dev/zero"}, Output::Captured, 3, "",
         "orvhost: The job file /dev/zero cannot be read: it is a character device, not a regular "
         "file; give the path of a file.\n"},
        {"job file above its size limit",
         [](const std::string &dir) {
             writeFile(dir + "/job.job", "");
             std::filesystem::resize_file(dir + "/job.job", (16u << 20) + 1);
         },
         {"{dir}/job.job"}, Output::Captured, 3, "",
         "orvhost: The job file {dir}/job.job cannot be read: it has 16777217 bytes, more than the "
         "16777216 this host reads; make it smaller.\n"},
        {"job file missing", nullptr, {"{dir}/none.job"}, Output::Captured, 3, "",
         "orvhost: The job file {dir}/none.job cannot be read: No such file or directory: check "
         "the path.\n"},
        {"help", nullptr, {"--help"}, Output::Captured, 0, "usage: orvhost [--module-path DIR]...",
         ""},
        {"no job file", nullptr, {}, Output::Captured, 3, "",
         "orvhost: no job file is given; orvhost --help shows the usage.\n"},
        {"empty argument", nullptr, {""}, Output::Captured, 3, "",
         "orvhost: an empty argument; orvhost --help shows the usage.\n"},
        {"unknown option", nullptr, {"--frob", "x.job"}, Output::Captured, 3, "",
         "orvhost: unknown option --frob; orvhost --help shows the usage.\n"},
        {"fail-alloc not a number", nullptr, {"--fail-alloc", "abc", "x.job"}, Output::Captured, 3,
         "",
         "orvhost: --fail-alloc abc: the value must be a whole number from 1 to "
         "9223372036854775807.\n"},
        {"fail-alloc zero", nullptr, {"--fail-alloc", "0", "x.job"}, Output::Captured, 3, "",
         "orvhost: --fail-alloc 0: the value must be a whole number from 1 to "
         "9223372036854775807.\n"},
        {"fail-alloc without its value", nullptr, {"x.job", "--fail-alloc"}, Output::Captured, 3,
         "", "orvhost: --fail-alloc needs a value; orvhost --help shows the usage.\n"},
        {"bad EVENTDS option", job(vornak), {"--option", "EVENTDS=@@@ (((", "{dir}/job.job"},
         Output::Captured, 3, "",
         "orvhost: --option EVENTDS=@@@ (((: the value '@@@ (((' of EVENTDS has a parenthesis out "
         "of place; list NODEFAULTS, DEFAULTS and data sets libref.member, separated by blanks, "
         "optionally in parentheses\n"},
        {"module named by a symbolic link loop", loop,
         {"--module-path", "{dir}/mods", "{dir}/job.job"}, Output::Captured, 3,
         "ERROR: The module orvkeydf cannot be looked for at {dir}/mods/orvkeydf.so: Too many "
         "levels of symbolic links; check the --module-path directories and their permissions.\n",
         ""},
        {"module path longer than the system allows", job(vornak),
         {"--module-path", longPath, "{dir}/job.job"}, Output::Captured, 3,
         "ERROR: The module orvkeydf cannot be looked for at " + longPath.substr(0, 4096) +
             "...: File name too long; check the --module-path directories and their "
             "permissions.\n",
         ""},
        {"module path that may not be searched",
         [](const std::string &dir) {
             std::filesystem::create_directory(dir + "/closed");
             ::chmod((dir + "/closed").c_str(), 0);
             writeFile(dir + "/job.job", "PROC VORNAK; RUN;");
         },
         {"--module-path", "{dir}/closed", "{dir}/job.job"}, Output::Captured, 3,
         "ERROR: The module orvkeydf cannot be looked for at {dir}/closed/orvkeydf.so: Permission "
         "denied; check the --module-path directories and their permissions.\n",
         "", true},
        {"library that is a file", job("LIBNAME x '{dir}/job.job';\n" + vornak), {"{dir}/job.job"},
         Output::Captured, 2,
         "ERROR: {dir}/job.job:1:1: The library X cannot be assigned: {dir}/job.job is a file, not "
         "a directory; give the path of a directory.\n"
         + started + "NOTE: PROC VORNAK (line 2) ended with return code 0.\n"
         "NOTE: The job ended; the highest step return code was 0.\n",
         ""},
        {"library with an empty path", job("LIBNAME x '';"), {"{dir}/job.job"}, Output::Captured, 2,
         "ERROR: {dir}/job.job:1:1: The library X cannot be assigned: the directory name is empty; "
         "give the path of a directory.\n"
         "NOTE: The job ended; the highest step return code was 0.\n",
         ""},
        {"library in a symbolic link loop", loop, {"--lib", "x={dir}/loop", "{dir}/job.job"},
         Output::Captured, 3, "",
         "orvhost: --lib x={dir}/loop: The library X cannot be assigned: the directory {dir}/loop "
         "cannot be reached: Too many levels of symbolic links; check the path and its "
         "permissions.\n"},
        {"library that may not be searched",
         [](const std::string &dir) {
             std::filesystem::create_directory(dir + "/closed");
             ::chmod((dir + "/closed").c_str(), 0);
         },
         {"--lib", "x={dir}/closed", "{dir}/none.job"}, Output::Captured, 3, "",
         "orvhost: --lib x={dir}/closed: The library X cannot be assigned: the directory "
         "{dir}/closed cannot be searched: Permission denied; check its permissions.\n",
         true},
        {"stray character in OPTIONS", job("OPTIONS DEBUG=SYN @;\n" + vornak), {"{dir}/job.job"},
         Output::Captured, 3,
         "ERROR: {dir}/job.job:1:19: the character '@' is not expected here: remove it.\n", ""},
        {"unterminated string at the end", job("PROC VORNAK;\nTITLE 'open"), {"{dir}/job.job"},
         Output::Captured, 3,
         "ERROR: {dir}/job.job:2:7: the quoted string that starts here is not closed: end it "
         "with the same quote on its line.\n",
         ""},
        {"bad DEBUG value in the job", job("OPTIONS DEBUG=FROBNICATE;\n" + vornak),
         {"{dir}/job.job"}, Output::Captured, 2,
         "ERROR: {dir}/job.job:1:9: 'FROBNICATE' is not valid in DEBUG; list SYN and SEM, "
         "separated by blanks, optionally in parentheses\n"
         + started + "NOTE: PROC VORNAK (line 2) ended with return code 0.\n"
         "NOTE: The job ended; the highest step return code was 0.\n",
         ""},
        {"log to a full device", job(vornak), {"{dir}/job.job"}, Output::DevFull, 4, "",
         "orvhost: the log could not be written to standard output (is it full or closed?): the "
         "job's messages are lost; write the log to a file that can take it.\n"},
        {"unreadable job to a full device", job("PROC NOSUCH; RUN;"), {"{dir}/job.job"},
         Output::DevFull, 4, "",
         "orvhost: the log could not be written to standard output (is it full or closed?): the "
         "job's messages are lost; write the log to a file that can take it.\n"},
        {"standard output closed", job(vornak), {"{dir}/job.job"}, Output::Closed, 4, "",
         "orvhost: standard output is closed, so the log cannot be written: run orvhost with its "
         "output going to a terminal, a file or a pipe.\n"},
        {"a sound job for comparison", job(vornak), {"{dir}/job.job"}, Output::Captured, 0, ended,
         ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        if (c.needsNonRoot && ::geteuid() == 0) {
            /* root may search any directory, so the fault cannot be made */
            std::cout << "[ SKIPPED  ] " << c.id << ": running as root\n";
            continue;
        }
        TearDown();
        SetUp();
        if (c.make) c.make(dir_);
        std::vector<std::string> args;
        for (const std::string &arg : c.args) args.push_back(withDir(arg));
        Finished result = run(dir_, args, c.output);
        EXPECT_EQ(result.status, c.status);
        std::string out = withDir(c.out);
        if (out.size() > 3 && out.ends_with("..."))
            EXPECT_TRUE(result.out.starts_with(out.substr(0, out.size() - 3))) << result.out;
        else
            EXPECT_EQ(result.out, out);
        EXPECT_EQ(result.err, withDir(c.err));
    }
}

/* A run stopped by SIGTERM or SIGINT removes its WORK directory.  orvhost's
 * log goes to a pipe that is read only up to the end of the first step,
 * which made WORK; the job writes far more than a pipe holds, so orvhost
 * cannot end on its own before the signal: it is blocked writing, or still
 * running. */
TEST_F(CommandLine, SignalsRemoveTheWorkDirectory)
{
    std::string job;
    job += "PROC VORNAK DATA=nosuch;\nRUN;\n"; /* looks for WORK.NOSUCH: makes WORK */
    for (int i = 0; i < 5000; ++i) job += "PROC VORNAK;\nRUN;\n";
    writeFile(dir_ + "/job.job", job);
    std::filesystem::create_directory(dir_ + "/tmp");
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        int logEnd = -1;
        std::string log;
        pid_t child =
            startAndReadUntil({dir_ + "/job.job"}, dir_ + "/tmp", "(line 1) ended", logEnd, log);
        ASSERT_GT(child, 0);
        std::vector<std::string> made;
        for (const auto &entry : std::filesystem::directory_iterator(dir_ + "/tmp"))
            made.push_back(entry.path().string());
        ASSERT_EQ(made.size(), 1u) << log;
        std::string work = made[0];
        EXPECT_NE(work.find("/orvwork-"), std::string::npos) << work;
        writeFile(work + "/left.csv", "x\n1\n"); /* a file the run would leave */
        ::kill(child, signal);
        EXPECT_EQ(waitFor(child), 128 + signal);
        ::close(logEnd);
        EXPECT_FALSE(std::filesystem::exists(work)) << work;
    }
}

/* A run stopped by a signal while it writes an output to a library of the
 * user's removes the output's temporary file and leaves the earlier version
 * of the output as it was.  The step notes every one of 6,000 BY groups,
 * more than the log pipe holds, and the log is read only up to the first
 * group's page, so the step is still writing when the signal comes. */
TEST_F(CommandLine, SignalsRemoveTheTemporaryFileOfAnOutput)
{
    std::filesystem::create_directory(dir_ + "/in");
    std::filesystem::create_directory(dir_ + "/out");
    std::string rows = "g,date,value\n";
    for (int i = 0; i < 6000; ++i) rows += "G" + std::to_string(10000 + i) + ",2020-01-01,1\n";
    writeFile(dir_ + "/in/d.csv", rows);
    writeFile(dir_ + "/job.job", "PROC VORNAK DATA=in.d;\n  ID date INTERVAL=DAY;\n  BY g;\n"
                                 "  EVENTDEF e = christmas;\n  EVENTDUMMY OUT=out.d;\nRUN;\n");
    writeFile(dir_ + "/out/d.csv", "earlier\n");
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        int logEnd = -1;
        std::string log;
        pid_t child = startAndReadUntil(
            {"--lib", "in=" + dir_ + "/in", "--lib", "out=" + dir_ + "/out", dir_ + "/job.job"}, "",
            "---- Page 1 ----", logEnd, log);
        ASSERT_GT(child, 0);
        auto outFiles = [&] {
            std::vector<std::string> names;
            for (const auto &entry : std::filesystem::directory_iterator(dir_ + "/out"))
                names.push_back(entry.path().filename().string());
            std::sort(names.begin(), names.end());
            return names;
        };
        std::vector<std::string> during = outFiles();
        ASSERT_EQ(during.size(), 2u) << log;
        EXPECT_EQ(during[0].rfind(".d.csv.", 0), 0u) << during[0];
        ::kill(child, signal);
        EXPECT_EQ(waitFor(child), 128 + signal);
        ::close(logEnd);
        EXPECT_EQ(outFiles(), std::vector<std::string>{"d.csv"});
        EXPECT_EQ(readFile(dir_ + "/out/d.csv"), "earlier\n");
    }
}

}  // namespace
