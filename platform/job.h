/*
 * job.h - reads a job file into its procedure steps.
 *
 * A job holds procedure steps: "PROC name options; statements... RUN;".
 * Comments are "/" "* ... *" "/" anywhere and "* ... ;" as a statement.
 * Keywords are not case-sensitive.
 */
#ifndef ORV_PLATFORM_JOB_H
#define ORV_PLATFORM_JOB_H

#include <string>
#include <string_view>
#include <vector>

namespace orvhost {

struct JobStep {
    std::string procedure;  /* upper case, as named after PROC */
    std::string module;     /* the module that runs it */
    std::string statements; /* the step's text from PROC to RUN, comments removed */
    int line = 0;           /* line of the PROC statement */
};

/* Splits a job into its steps.  On a fault returns false with `error` naming
 * the file and line. */
bool readJob(std::string_view text, const std::string &fileName, std::vector<JobStep> &steps,
             std::string &error);

}  // namespace orvhost

#endif
