/*
 * parse_environment.h - what the statement parser takes from the rest of the
 * host: the statements of the step it parses, the data-set store, the
 * interval-name parser and interval stepping, the dump switch, and test
 * switches of the parser services.
 *
 * The job runner names the step's statements before it runs the step; the
 * default hooks reach the running host's data-set store and the modules'
 * interval-name parser and stepping (zintstr and zintnx2, linked into
 * orvhost).  Tests replace hooks
 * to drive the parser without files.
 *
 * Exports: ParseEnvironment, parseEnvironment, ParseEnvironmentScope,
 * kParseStatus... return codes.
 */
#ifndef ORV_PLATFORM_PARSER_PARSE_ENVIRONMENT_H
#define ORV_PLATFORM_PARSER_PARSE_ENVIRONMENT_H

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_records.h"
#include "platform/parser/source_text.h"

namespace orvhost {

/* Parse statuses (PARSE_CONTROL 0x18) and what each means. */
constexpr int kParseStatusStatementError = 1000; /* a fault of the statements */
constexpr int kParseStatusNoCallbacks = 1012;    /* grammar block without parser callbacks */
constexpr int kParseStatusOutOfMemory = 1016;
constexpr int kParseStatusBadGrammar = 9999;     /* grammar block or tables unusable */

/* Data-set open modes of action 17. */
constexpr int kOpenInput = 1;
constexpr int kOpenOutput = 2;

struct ParseEnvironment {
    /* The statements the next xsproc call parses (null: none). */
    const StepSource *step = nullptr;

    /* Write a readable dump of the parse result to the log after each parse
     * (orvhost --dump-parse). */
    bool dumpParseResult = false;

    /* Opens libref.member (libref "" = WORK) for input or output; null with
     * a message in error when it cannot be opened. */
    std::function<DATA_SET_HANDLE *(std::string_view libref, std::string_view member, int mode,
                                    std::string &error)>
        openDataSet;

    /* 1-based number of a variable of an open data set, 0 when it has none
     * of that name. */
    std::function<int(DATA_SET_HANDLE *handle, std::string_view name)> findVariable;

    /* Name of a variable by number, and the name libref.member of a data
     * set ("" when unknown), for the dump. */
    std::function<std::string(DATA_SET_HANDLE *handle, int number)> variableName;
    std::function<std::string(DATA_SET_HANDLE *handle)> dataSetName;

    /* Hands a resolved BY list to the data set: numbers 1-based, negative
     * for DESCENDING.  0 on success. */
    std::function<int(DATA_SET_HANDLE *handle, const std::vector<int> &numbers, bool notSorted)>
        setByList;

    /* Parses an interval name into a 56-byte descriptor: the status of the
     * modules' zintstr (0 = a valid interval). */
    std::function<int(const char *text, int length, void *descriptor)> parseInterval;

    /* The start of the interval n intervals after the one that holds x
     * (the modules' zintnx2); missing when it cannot be computed. */
    std::function<double(const void *descriptor, double x, double n)> stepInterval;

    /* Test switches of the parser services: make the next n callback
     * registrations (vir2g) fail, and have wztxdotr ask for the symbol-table
     * fix-up. */
    int failRegistrations = 0;
    bool symbolFixup = false;

    /* Calls of xsfixsym so far, and the arguments of the last. */
    struct FixupCall {
        int tableKind = 0;
        int symbolCount = 0;
        int symbolBytes = 0;
    };
    int fixupCalls = 0;
    FixupCall lastFixup;

    /* The log handle of the last callback registration (vir2g). */
    void *lastRegistrationLogHandle = nullptr;
};

/* The process's parse environment, with the default hooks. */
ParseEnvironment &parseEnvironment();

/* Restores the parse environment when it goes out of scope (tests). */
class ParseEnvironmentScope {
public:
    ParseEnvironmentScope() : saved_(parseEnvironment()) {}
    ~ParseEnvironmentScope() { parseEnvironment() = saved_; }
    ParseEnvironmentScope(const ParseEnvironmentScope &) = delete;
    ParseEnvironmentScope &operator=(const ParseEnvironmentScope &) = delete;

private:
    ParseEnvironment saved_;
};

}  // namespace orvhost

#endif
