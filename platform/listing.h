/*
 * listing.h - the procedure listing of orvhost: page markers, listing and
 * debug lines, the line settings, and the host's printf-style formatter.
 *
 * Exports Listing (kept by the Host), the line settings, the statuses of the
 * listing services, and formatHostText.
 *
 * The listing shares the log's output stream; its lines carry no prefix.
 * A new page is a visible marker line "---- Page N ----", N counting the
 * pages begun in this process from 1.
 */
#ifndef ORV_PLATFORM_LISTING_H
#define ORV_PLATFORM_LISTING_H

#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/log.h"

namespace orvhost {

/* Line settings handed to the modules, which keep them in their
 * parse-control block.  The host writes every line whole: it neither wraps
 * nor paginates by these values. */
constexpr int64_t kLogLineWidth = 132;     /* columns of a log line (xplogl) */
constexpr int64_t kMessageLineWidth = 100; /* columns of a message line (xpmsgl) */
constexpr int64_t kPrintPageLength = 60;   /* lines of a listing page (xpprnl) */

/* Status of xpopen and xpoutl for a log handle that this host did not give
 * out, or a null line area. */
constexpr int kListingBadArgument = int(0x80008030u);

/* Bounds of formatHostText: a field is at most kMaxFieldWidth characters wide
 * (wider widths and precisions are cut to it), and a text at most
 * kMaxFormattedLength bytes. */
constexpr int kMaxFieldWidth = 512;
constexpr size_t kMaxFormattedLength = 8192;

class Listing {
public:
    explicit Listing(Log &log) : log_(log) {}

    /* Writes text as listing lines.  One trailing newline is dropped: the
     * text is a line of its own anyway. */
    void line(std::string_view text) { log_.listing(withoutFinalNewline(text)); }

    /* Writes an internal diagnostic line, "DEBUG: text". */
    void debugLine(std::string_view text)
    {
        log_.listing("DEBUG: " + std::string(withoutFinalNewline(text)));
    }

    /* Begins a new page: writes its marker and returns its number. */
    int newPage()
    {
        ++page_;
        log_.listing("---- Page " + std::to_string(page_) + " ----");
        return page_;
    }

    /* Number of the last page begun (0 before the first). */
    int page() const { return page_; }

    /* The output line area registered for the running step (null when none).
     * The host writes into it once, when it is registered. */
    void registerLineArea(void *area) { lineArea_ = area; }
    void *lineArea() const { return lineArea_; }

    /* The print destination last selected. */
    void select(int destination, int option)
    {
        destination_ = destination;
        selectOption_ = option;
    }
    int destination() const { return destination_; }
    int selectOption() const { return selectOption_; }

    /* Forgets the step's line area: it lives in the step's parse-control
     * block, which goes away with the step. */
    void releaseStep() { lineArea_ = nullptr; }

private:
    static std::string_view withoutFinalNewline(std::string_view text)
    {
        if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
        return text;
    }

    Log &log_;
    int page_ = 0;
    void *lineArea_ = nullptr;
    int destination_ = 0;
    int selectOption_ = 0;
};

/* Formats a text the way the host's printf-style services do.
 *
 * Conversions: %d %i %u %o %x %X %c %s %f %F %e %E %g %G %a %A %p and %%,
 * with the flags - + blank 0 #, a width, a precision ("*" reads either from
 * the arguments as an int), and the length letters hh h l ll j z t L.
 * Two rules differ from C's printf:
 *   - "%*s" takes a counted text: an int length, then a pointer to that
 *     many bytes (need not be NUL-terminated; a negative length reads up to
 *     a NUL).  "%.*s" keeps C's meaning: at most that many bytes.
 *   - A conversion this formatter does not know (%n among them) and all of
 *     the format after it are copied as they stand, and no further argument
 *     is read: a format never makes the host write through an argument or
 *     read arguments whose types it cannot know.
 * A null %s text gives "(null)".  The result is bounded as said above. */
std::string formatHostText(const char *format, va_list args);

}  // namespace orvhost

#endif
