/*
 * main.cpp - orvhost, the command-line runner of procedure jobs.
 *
 *   orvhost [--module-path DIR]... [--option NAME=VALUE]... [--lib NAME=DIR]...
 *           [--fail-alloc N] [--dump-parse] JOB-FILE
 *   orvhost --help
 *
 * Runs the job (platform/job.h) in order, printing the log to standard
 * output and each step's return code (platform/command_line.h).  Exit
 * status:
 *   0  every step ended with return code 0 (or --help)
 *   1  the highest step return code was 1 to 4 (notes and warnings)
 *   2  the highest step return code was above 4, or an OPTIONS or LIBNAME
 *      statement of the job failed
 *   3  the job could not be run (usage, job file, memory, or a module that
 *      cannot be loaded)
 *   4  the log could not be written
 * A run stopped by SIGTERM or SIGINT removes its temporary WORK directory
 * and ends by the signal.
 */
#include <fcntl.h>
#include <unistd.h>

#include <iostream>

#include "platform/command_line.h"
#include "platform/dataset/libraries.h"
#include "platform/job.h"

int main(int argc, char **argv)
{
    /* A closed standard output would lose the log, and the first file
     * opened would take its descriptor and receive log lines. */
    if (::fcntl(STDOUT_FILENO, F_GETFD) == -1) {
        std::cerr << "orvhost: standard output is closed, so the log cannot be written: run "
                     "orvhost with its output going to a terminal, a file or a pipe.\n";
        return orvhost::kJobExitLogLost;
    }
    for (int fd : {STDIN_FILENO, STDERR_FILENO})
        if (::fcntl(fd, F_GETFD) == -1 && ::open("/dev/null", O_RDWR) != fd) return orvhost::kJobExitNotRun;
    orvhost::removeWorkOnSignals();
    return orvhost::runOrvhost(argc, argv, std::cout, std::cerr);
}
