/*
 * listing_services.cpp - host routines of the procedure listing and the log
 * lines that bypass the message catalogue: xpopen, xpoutl, xpselec, the line
 * settings xplogl, xpmsgl and xpprnl, xppage, xpsprn, xpsnlog and xebug.
 *
 * Log handles: this host has one log, and a step's log handle is the word
 * that the procedure instance holds; 0 selects the same log.  The
 * printf-style services follow formatHostText (platform/listing.h).
 */
#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "platform/host.h"
#include "platform/listing.h"
#include "platform/service_table.h"

namespace host_routines {

namespace {

using orvhost::Host;

orvhost::Listing &listing() { return Host::current().listing(); }

bool isLogHandle(const void *logHandle)
{
    return logHandle == nullptr || logHandle == Host::current().controlBlock().logHandle();
}

/* A line setting for request 0 (the only request callers make), else -1. */
int64_t lineSetting(int request, int64_t setting) { return request == 0 ? setting : -1; }

}  // namespace

/* Opens the listing and log of a log handle.  Nothing needs opening: both
 * are the host's output.  Returns 0, or kListingBadArgument for a handle
 * this host did not give out. */
int xpopen(void *logHandle) { return isLogHandle(logHandle) ? 0 : orvhost::kListingBadArgument; }

/* Registers the step's output line area (8 bytes, inside the parse-control
 * block) and stores one word in it: the log line width.  The host writes
 * nothing else there, since the next word of that block belongs to the
 * module.  Returns 0, or kListingBadArgument for an unknown handle or a
 * null area (nothing is stored then). */
int xpoutl(void *logHandle, void *lineArea)
{
    if (!isLogHandle(logHandle) || lineArea == nullptr) return orvhost::kListingBadArgument;
    int64_t word = orvhost::kLogLineWidth;
    std::memcpy(lineArea, &word, sizeof word);
    listing().registerLineArea(lineArea);
    return 0;
}

/* Selects the print destination; start-up passes (0, -2).  Log and listing
 * share one output here, so the choice is recorded and changes nothing.
 * Returns 0. */
int xpselec(int destination, int option)
{
    listing().select(destination, option);
    return 0;
}

/* Line settings (platform/listing.h): for request 0 the log line width,
 * the message line width and the listing page length; -1 for any other
 * request. */
int64_t xplogl(int request) { return lineSetting(request, orvhost::kLogLineWidth); }
int64_t xpmsgl(int request) { return lineSetting(request, orvhost::kMessageLineWidth); }
int64_t xpprnl(int request) { return lineSetting(request, orvhost::kPrintPageLength); }

/* Begins a new listing page with its visible marker line; flags (callers
 * pass 0) are not read. */
void xppage(int /*flags*/) { listing().newPage(); }

/* Writes a formatted line to the listing. */
void xpsprn(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = orvhost::formatHostText(format, args);
    va_end(args);
    listing().line(text);
}

/* Writes a NUL-terminated text as a note line of the log; a null text
 * writes nothing.  Every handle leads to the one log. */
void xpsnlog(void * /*logHandle*/, const char *text)
{
    if (text == nullptr) return;
    Host::current().log().note(text);
}

/* Writes an internal diagnostic line, "DEBUG: " and the formatted text.
 * These lines report states the modules hold to be impossible, so they are
 * written whatever the DEBUG option says. */
void xebug(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = orvhost::formatHostText(format, args);
    va_end(args);
    listing().debugLine(text);
}

}  // namespace host_routines
