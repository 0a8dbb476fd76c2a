/*
 * command_line.h - orvhost's command line: its options, its usage text and
 * the run of one job from them.
 *
 * Exports: runOrvhost.
 */
#ifndef ORV_PLATFORM_COMMAND_LINE_H
#define ORV_PLATFORM_COMMAND_LINE_H

#include <ostream>

namespace orvhost {

/* Runs orvhost with its command line (argv[0] is the program): reads the
 * options and the job file, runs the job and writes the log to `out`;
 * messages about the command line, the job file and the log go to `err`,
 * each naming what is wrong and what to do.  --help writes the usage to
 * `out`.  Returns the exit status (job.h): kJobExitClean for --help,
 * kJobExitNotRun for a bad command line, an unreadable job file or memory
 * that runs out before the steps run, kJobExitLogLost when a log line could
 * not be written, otherwise the job's status. */
int runOrvhost(int argc, char **argv, std::ostream &out, std::ostream &err);

}  // namespace orvhost

#endif
