/*
 * command_line.cpp - orvhost's options and the run of one job
 * (platform/command_line.h).
 */
#include "platform/command_line.h"

#include <charconv>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/job.h"
#include "platform/log.h"
#include "platform/module_loader.h"
#include "platform/parser/parse_environment.h"
#include "platform/regular_file.h"

namespace orvhost {
namespace {

struct Options {
    std::vector<std::string> modulePath;
    std::vector<std::string> systemOptions; /* NAME=VALUE, in command-line order */
    std::vector<std::string> libraries;     /* NAME=DIR, in command-line order */
    int64_t failAllocation = 0;
    bool dumpParse = false;
    bool help = false;
    std::string jobFile;
};

constexpr const char *kSeeHelp = "; orvhost --help shows the usage.";

void usage(std::ostream &out)
{
    out << "usage: orvhost [--module-path DIR]... [--option NAME=VALUE]...\n"
           "               [--lib NAME=DIR]... [--fail-alloc N] [--dump-parse] JOB-FILE\n"
           "       orvhost --help\n"
           "  --module-path DIR  look for modules (NAME.so) in DIR before the\n"
           "                     directory of orvhost; may be repeated\n"
           "  --option NAME=VALUE\n"
           "                     set a system option (DEBUG, EVENTDS, INTERVALDS,\n"
           "                     YEARCUTOFF); may be repeated, the last one wins\n"
           "  --lib NAME=DIR     assign the library NAME (1 to 8 characters) to the\n"
           "                     directory DIR; WORK is a temporary directory unless\n"
           "                     assigned; may be repeated, the last one wins\n"
           "  --fail-alloc N     make the Nth memory allocation fail (for tests)\n"
           "  --dump-parse       write each step's parse result to the log\n"
           "  --help             write this text and stop\n";
}

/* Reads argv into options.  Returns "" or what is wrong with the command
 * line. */
std::string parseOptions(int argc, char **argv, Options &options)
{
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        bool takesValue = arg == "--module-path" || arg == "--option" || arg == "--lib" ||
                          arg == "--fail-alloc";
        if (takesValue && i + 1 >= argc)
            return std::string(arg) + " needs a value" + kSeeHelp;
        if (arg == "--help") {
            options.help = true;
        } else if (arg == "--module-path") {
            std::string_view value = argv[++i];
            if (value.empty()) return "--module-path needs a directory name, not an empty text.";
            options.modulePath.emplace_back(value);
        } else if (arg == "--option") {
            options.systemOptions.emplace_back(argv[++i]);
        } else if (arg == "--lib") {
            options.libraries.emplace_back(argv[++i]);
        } else if (arg == "--dump-parse") {
            options.dumpParse = true;
        } else if (arg == "--fail-alloc") {
            std::string_view value = argv[++i];
            auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), options.failAllocation);
            if (error != std::errc{} || end != value.data() + value.size() ||
                options.failAllocation < 1)
                return "--fail-alloc " + shownText(value) +
                       ": the value must be a whole number from 1 to 9223372036854775807.";
        } else if (!arg.empty() && arg[0] != '-' && options.jobFile.empty()) {
            options.jobFile = arg;
        } else if (!arg.empty() && arg[0] != '-') {
            return "more than one job file is given (" + shownText(options.jobFile) + ", " +
                   shownText(arg) + "): give one.";
        } else {
            return (arg.empty() ? std::string("an empty argument") : "unknown option " + shownText(arg)) +
                   kSeeHelp;
        }
    }
    if (!options.help && options.jobFile.empty()) return std::string("no job file is given") + kSeeHelp;
    return {};
}

std::string ownDirectory()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string{"."} : self.parent_path().string();
}

/* status, or kJobExitLogLost (with a message on err) when a log line could
 * not be written. */
int checkedStatus(Host &host, int status, std::ostream &err)
{
    if (!host.log().writeFailed()) return status;
    err << "orvhost: the log could not be written to standard output (is it full or closed?): "
           "the job's messages are lost; write the log to a file that can take it.\n";
    return kJobExitLogLost;
}

/* The run after the command line is read.  phase names what is under way,
 * for the message when memory runs out. */
int runJobFile(Options &options, std::ostream &out, std::ostream &err, const char *&phase)
{
    /* Checked before anything runs, so that a misspelt option stops the job
     * instead of leaving a setting silently unmade. */
    phase = "checking the options";
    SystemOptions checkedOptions;
    for (const std::string &assignment : options.systemOptions) {
        std::string fault = checkedOptions.setAssignment(assignment);
        if (!fault.empty()) {
            err << "orvhost: --option " << shownText(assignment) << ": " << fault << "\n";
            return kJobExitNotRun;
        }
    }
    phase = "reading the job file";
    std::string text, error;
    if (!readRegularFile(options.jobFile, "job file", kMaxJobBytes, text, error)) {
        err << "orvhost: " << error << "\n";
        return kJobExitNotRun;
    }

    Host host(out);
    for (const std::string &assignment : options.systemOptions)
        host.options().setAssignment(assignment);
    for (const std::string &assignment : options.libraries) {
        size_t equals = assignment.find('=');
        std::string fault;
        if (equals == std::string::npos)
            fault = "it is not of the form NAME=DIR.";
        else
            host.dataSets().libraries().assign(assignment.substr(0, equals),
                                               assignment.substr(equals + 1), fault);
        if (!fault.empty()) {
            err << "orvhost: --lib " << shownText(assignment) << ": " << fault << "\n";
            return kJobExitNotRun;
        }
    }
    Job job;
    if (!readJob(std::move(text), options.jobFile, job, error)) {
        host.log().error(error);
        return checkedStatus(host, kJobExitNotRun, err);
    }
    host.memory().failAllocation(options.failAllocation);
    parseEnvironment().dumpParseResult = options.dumpParse;

    phase = "running the job";
    options.modulePath.push_back(ownDirectory());
    ModuleLoader loader(options.modulePath, host.controlBlock().gcb(), host.processAnchor());
    return checkedStatus(host, runJob(job, host, loader), err);
}

}  // namespace

int runOrvhost(int argc, char **argv, std::ostream &out, std::ostream &err)
{
    const char *phase = "reading the command line";
    try {
        Options options;
        std::string fault = parseOptions(argc, argv, options);
        if (!fault.empty()) {
            err << "orvhost: " << fault << "\n";
            return kJobExitNotRun;
        }
        if (options.help) {
            usage(out);
            return kJobExitClean;
        }
        return runJobFile(options, out, err, phase);
    } catch (const std::bad_alloc &) {
        err << "orvhost: memory ran out while " << phase
            << "; the job stops: free memory or run a smaller job.\n";
        return kJobExitNotRun;
    }
}

}  // namespace orvhost
