/*
 * job.h - the job language: reads a job file into its statements and runs
 * them.
 *
 * A job holds, in any order:
 *   OPTIONS name=value ...;   system options (platform/options.h); a value
 *                             is a name, a number, a quoted string or a
 *                             parenthesised text such as (lib.keys NODEFAULTS)
 *   LIBNAME libref 'directory';  a library of the data-set store
 *   PROC name statements... RUN;  a procedure step; its statements go to the
 *                             procedure module's parser
 * Comments are "/" "* ... *" "/" anywhere and "* ... ;" as a statement;
 * keywords are not case-sensitive; a quoted string ends on its line.  Faults
 * name file, line and column.  A fault of the text (a character that starts
 * no token, a string not closed) outside the steps, as in an OPTIONS or
 * LIBNAME statement, makes the job unreadable; inside a step it is the
 * step's statement error.
 *
 * Exports: JobItem, Job, readJob, runJob and the job's exit statuses.
 */
#ifndef ORV_PLATFORM_JOB_H
#define ORV_PLATFORM_JOB_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/parser/source_text.h"

namespace orvhost {

class Host;
class ModuleLoader;

struct JobItem {
    enum class Kind { Step, Options, Libname };
    Kind kind = Kind::Step;
    size_t offset = 0; /* the statement's first word */
    int line = 0;
    int column = 0;

    /* Step: the procedure (upper case), its module, and its statements from
     * the procedure name up to the RUN statement. */
    std::string procedure;
    std::string module;
    StepSource statements;

    /* OPTIONS: name=value pairs in order, each with the offset of its name. */
    struct Assignment {
        std::string name;
        std::string value;
        size_t offset = 0;
    };
    std::vector<Assignment> assignments;

    /* LIBNAME */
    std::string libref;
    std::string directory;
};

class Job {
public:
    const SourceText &source() const { return *source_; }
    const std::vector<JobItem> &items() const { return items_; }

private:
    friend bool readJob(std::string text, const std::string &fileName, Job &job,
                        std::string &error);
    std::unique_ptr<SourceText> source_;
    std::vector<JobItem> items_;
};

/* Reads a job from its text (held once, by the job).  On a fault returns
 * false with `error` naming file:line:column, what is wrong and, where it
 * helps, what to do; the first fault in the text is the one reported. */
bool readJob(std::string text, const std::string &fileName, Job &job, std::string &error);

/* Exit statuses of a job (orvhost's exit status). */
constexpr int kJobExitClean = 0;    /* every step ended with return code 0 */
constexpr int kJobExitWarnings = 1; /* the highest step return code was 1 to 4 */
constexpr int kJobExitErrors = 2;   /* above 4, or an OPTIONS or LIBNAME statement failed */
constexpr int kJobExitNotRun = 3;   /* usage, job file, memory, or a module that cannot be loaded */
constexpr int kJobExitLogLost = 4;  /* the log could not be written */

/* Runs the job's statements in order on host: OPTIONS and LIBNAME take
 * effect where they stand (a failing one is logged and the job goes on),
 * each step runs in its module with its statements and its return code is
 * noted.  A parse failure ends only its own step.  Returns the job's exit
 * status; a module that cannot be loaded stops the job with kJobExitNotRun. */
int runJob(const Job &job, Host &host, ModuleLoader &loader);

}  // namespace orvhost

#endif
