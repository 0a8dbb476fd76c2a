/*
 * main.cpp - orvhost, the command-line runner of procedure jobs.
 *
 *   orvhost [--module-path DIR]... [--fail-alloc N] JOB-FILE
 *
 * Runs the job's procedure steps in order, printing the log to standard
 * output and each step's return code.  Exit status:
 *   0  every step ended with return code 0
 *   1  the highest step return code was 1 to 4 (notes and warnings)
 *   2  the highest step return code was above 4
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

namespace {

constexpr int kExitWarnings = 1;
constexpr int kExitErrors = 2;
constexpr int kExitNotRun = 3;

struct Options {
    std::vector<std::string> modulePath;
    int64_t failAllocation = 0;
    std::string jobFile;
};

void usage(std::ostream &out)
{
    out << "usage: orvhost [--module-path DIR]... [--fail-alloc N] JOB-FILE\n"
           "  --module-path DIR  look for modules (NAME.so) in DIR before the\n"
           "                     directory of orvhost; may be repeated\n"
           "  --fail-alloc N     make the Nth memory allocation fail (for tests)\n";
}

bool parseOptions(int argc, char **argv, Options &options)
{
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--module-path" && i + 1 < argc) {
            options.modulePath.emplace_back(argv[++i]);
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

int exitStatusFor(int highestReturnCode)
{
    if (highestReturnCode == 0) return 0;
    return highestReturnCode <= 4 ? kExitWarnings : kExitErrors;
}

}  // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!parseOptions(argc, argv, options)) {
        usage(std::cerr);
        return kExitNotRun;
    }
    std::ifstream file(options.jobFile, std::ios::binary);
    if (!file) {
        std::cerr << "orvhost: cannot read the job file " << options.jobFile << "\n";
        return kExitNotRun;
    }
    std::stringstream text;
    text << file.rdbuf();

    orvhost::Host host(std::cout);
    std::vector<orvhost::JobStep> steps;
    std::string error;
    if (!orvhost::readJob(text.str(), options.jobFile, steps, error)) {
        host.log().error(error);
        return kExitNotRun;
    }
    host.memory().failAllocation(options.failAllocation);

    options.modulePath.push_back(ownDirectory());
    orvhost::ModuleLoader loader(options.modulePath, host.controlBlock().gcb(),
                                 host.processAnchor());
    int highest = 0;
    for (const orvhost::JobStep &step : steps) {
        const orvhost::LoadedModule *module = loader.load(step.module, error);
        if (module == nullptr) {
            host.log().error(error);
            return kExitNotRun;
        }
        int returnCode = host.runStep(module->procedure->entry);
        host.log().note("PROC " + step.procedure + " (line " + std::to_string(step.line) +
                        ") ended with return code " + std::to_string(returnCode) + ".");
        highest = std::max(highest, returnCode);
    }
    host.log().note("The job ended; the highest step return code was " + std::to_string(highest) +
                    ".");
    return exitStatusFor(highest);
}
