/*
 * parse_dump.h - a readable dump of a parse result, for orvhost's
 * --dump-parse option and the golden tests.
 *
 * The dump reads only the records the modules read (PARSE_CONTROL, the
 * statement chain, the option-values records and what their slots point
 * to), so it shows exactly what a module will find:
 *
 *   PARSE: status 0
 *   PARSE: statement 1 VORNAK at 1:6
 *   PARSE:   bits 2 19 20
 *   PARSE:   slot 1 DATA = data set WORK.SALES
 *   PARSE:   slot 6 SEASONALITY = 12
 *
 * Slots of the procedure statement and of the event statements carry
 * their option names; slots of other statements their numbers only.  Names of data sets and variables
 * come from the parse environment's hooks.
 *
 * Exports: describeParseResult.
 */
#ifndef ORV_PLATFORM_PARSER_PARSE_DUMP_H
#define ORV_PLATFORM_PARSER_PARSE_DUMP_H

#include <string>
#include <vector>

#include "host/host_records.h"
#include "platform/parser/parse_environment.h"

namespace orvhost {

std::vector<std::string> describeParseResult(const PARSE_CONTROL &control,
                                             const ParseEnvironment &environment);

}  // namespace orvhost

#endif
