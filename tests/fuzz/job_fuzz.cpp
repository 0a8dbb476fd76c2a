/*
 * job_fuzz.cpp - libFuzzer harness of the job reader and of both
 * procedures' statements: the input is a job text; every VORNAK and
 * KIVEVENTS step in it runs in process (statements parsed with the
 * module's grammar, events walked and finished, DATA= read, EVENTDATA OUT=
 * written) over the scratch library T.  OPTIONS and LIBNAME statements are
 * read but not carried out, so no input reaches a directory but T.
 */
#include <cstddef>
#include <cstdint>
#include <string>

#include "eventproc/orvocrdf.h"
#include "platform/job.h"
#include "procdriver/orvkeydf.h"
#include "tests/fuzz/fuzz_host.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    orvfuzz::resetLibrary();
    orvhost::Job job;
    std::string error;
    if (!orvhost::readJob(std::string(reinterpret_cast<const char *>(data), size), "fuzz.job", job,
                          error))
        return 0;
    for (const orvhost::JobItem &item : job.items()) {
        if (item.kind != orvhost::JobItem::Kind::Step) continue;
        if (item.procedure == "VORNAK")
            orvfuzz::runStep(item.statements, orvkeydf);
        else if (item.procedure == "KIVEVENTS")
            orvfuzz::runStep(item.statements, orvocrdf);
    }
    return 0;
}
