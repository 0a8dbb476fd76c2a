/*
 * main.cpp - orvhost, the command-line runner of procedure jobs.
 *
 *   orvhost [--module-path DIR]... [--option NAME=VALUE]... [--lib NAME=DIR]...
 *           [--fail-alloc N] [--dump-parse] JOB-FILE
 *
 * Runs the job (platform/job.h) in order, printing the log to standard
 * output and each step's return code.  Exit status:
 *   0  every step ended with return code 0
 *   1  the highest step return code was 1 to 4 (notes and warnings)
 *   2  the highest step return code was above 4, or an OPTIONS or LIBNAME
 *      statement of the job failed
 *   3  the job could not be run (usage, job file, or a module that cannot
 *      be loaded)
 */
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/host.h"
#include "platform/job.h"
#include "platform/module_loader.h"
#include "platform/parser/parse_environment.h"

namespace {

constexpr int kExitNotRun = orvhost::kJobExitNotRun;

struct Options {
    std::vector<std::string> modulePath;
    std::vector<std::string> systemOptions; /* NAME=VALUE, in command-line order */
    std::vector<std::string> libraries;     /* NAME=DIR, in command-line order */
    int64_t failAllocation = 0;
    bool dumpParse = false;
    std::string jobFile;
};

void usage(std::ostream &out)
{
    out << "usage: orvhost [--module-path DIR]... [--option NAME=VALUE]...\n"
           "               [--lib NAME=DIR]... [--fail-alloc N] [--dump-parse] JOB-FILE\n"
           "  --module-path DIR  look for modules (NAME.so) in DIR before the\n"
           "                     directory of orvhost; may be repeated\n"
           "  --option NAME=VALUE\n"
           "                     set a system option (DEBUG, EVENTDS, INTERVALDS,\n"
           "                     YEARCUTOFF); may be repeated, the last one wins\n"
           "  --lib NAME=DIR     assign the library NAME (1 to 8 characters) to the\n"
           "                     directory DIR; WORK is a temporary directory unless\n"
           "                     assigned; may be repeated, the last one wins\n"
           "  --fail-alloc N     make the Nth memory allocation fail (for tests)\n"
           "  --dump-parse       write each step's parse result to the log\n";
}

bool parseOptions(int argc, char **argv, Options &options)
{
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--module-path" && i + 1 < argc) {
            options.modulePath.emplace_back(argv[++i]);
        } else if (arg == "--option" && i + 1 < argc) {
            options.systemOptions.emplace_back(argv[++i]);
        } else if (arg == "--lib" && i + 1 < argc) {
            options.libraries.emplace_back(argv[++i]);
        } else if (arg == "--dump-parse") {
            options.dumpParse = true;
        } else if (arg == "--fail-alloc" && i + 1 < argc) {
            std::string_view value = argv[++i];
            auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), options.failAllocation);
            if (error != std::errc{} || end != value.data() + value.size() ||
                options.failAllocation < 1)
                return false;
        } else if (!arg.empty() && arg[0] != '-' && options.jobFile.empty()) {
            options.jobFile = arg;
        } else {
            return false;
        }
    }
    return !options.jobFile.empty();
}

std::string ownDirectory()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string{"."} : self.parent_path().string();
}

}  // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) {
        usage(std::cerr);
        return kExitNotRun;
    }
    /* Checked before anything runs, so that a misspelt option stops the job
     * instead of leaving a setting silently unmade. */
    orvhost::SystemOptions checkedOptions;
    for (const std::string &assignment : options.systemOptions) {
        std::string fault = checkedOptions.setAssignment(assignment);
        if (!fault.empty()) {
            std::cerr << "orvhost: --option " << assignment << ": " << fault << "\n";
            return kExitNotRun;
        }
    }
    std::ifstream file(options.jobFile, std::ios::binary);
    if (!file) {
        std::cerr << "orvhost: cannot read the job file " << options.jobFile << "\n";
        return kExitNotRun;
    }
    std::stringstream text;
    text << file.rdbuf();

    orvhost::Host host(std::cout);
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
            std::cerr << "orvhost: --lib " << assignment << ": " << fault << "\n";
            return kExitNotRun;
        }
    }
    orvhost::Job job;
    std::string error;
    if (!orvhost::readJob(text.str(), options.jobFile, job, error)) {
        host.log().error(error);
        return kExitNotRun;
    }
    host.memory().failAllocation(options.failAllocation);
    orvhost::parseEnvironment().dumpParseResult = options.dumpParse;

    options.modulePath.push_back(ownDirectory());
    orvhost::ModuleLoader loader(options.modulePath, host.controlBlock().gcb(),
                                 host.processAnchor());
    return orvhost::runJob(job, host, loader);
}
