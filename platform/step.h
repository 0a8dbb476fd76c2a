/*
 * step.h - how a procedure step ends.
 *
 * xexit throws StepExit; the host catches it around the call of the
 * procedure entry.  Nothing in the modules catches it, so it unwinds every
 * module frame (also from inside parser callbacks) back to the host.
 */
#ifndef ORV_PLATFORM_STEP_H
#define ORV_PLATFORM_STEP_H

namespace orvhost {

struct StepExit {
    int returnCode;
};

/* Return code of a step that the host had to end: a service this host lacks,
 * a procedure entry that returned instead of ending the step, or a failure of
 * the host itself. */
constexpr int kHostFailureReturnCode = 9999;

/* Return code of a step that wrote an ERROR line but ended with 4 or less:
 * it went on without what it reported (a date-key data set that does not
 * exist, a custom interval that cannot be loaded) and wrote its outputs,
 * which are put in place, but it did not succeed. */
constexpr int kErrorWrittenReturnCode = 104;

/* The host's own messages in the catalogue. */
constexpr int kHostMessageSet = 1;
constexpr int kOutOfMemoryMessage = 1;
constexpr int kUnavailableServiceMessage = 2;
constexpr int kHostStatusMessageSet = 2;

}  // namespace orvhost

#endif
