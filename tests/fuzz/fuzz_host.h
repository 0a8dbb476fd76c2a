/*
 * fuzz_host.h - what the harnesses share: the in-process host of the module
 * tests with a scratch library T, and a step run over statement text the
 * way orvhost runs one (parse environment, entry, end of step).
 */
#ifndef ORV_TESTS_FUZZ_FUZZ_HOST_H
#define ORV_TESTS_FUZZ_FUZZ_HOST_H

#include <string>
#include <string_view>

#include "platform/parser/source_text.h"

namespace orvfuzz {

/* The scratch library T (made on first use, with the seed data sets
 * T.SALES and T.STORES of examples/data), emptied of everything else and the seeds written
 * again, so that every input starts from the same files. */
const std::string &resetLibrary();

/* Runs the step whose statements are step (procedure statement first) with
 * entry, as orvhost does; returns the step's return code. */
int runStep(const orvhost::StepSource &step, void (*entry)());

/* Writes the data set of T whose files are named file (the member in
 * lower case) from text of the form [sidecar LF %% LF] csv: without the
 * "%%" line the data set has no sidecar. */
void writeDataSet(const std::string &file, std::string_view text);

/* Opens T.member as input (with byFirst, BY its first variable) and reads
 * every row of every BY group; the first failing status, or 0 (also when
 * the data set cannot be opened). */
int readBack(const std::string &member, bool byFirst = false);

}  // namespace orvfuzz

#endif
