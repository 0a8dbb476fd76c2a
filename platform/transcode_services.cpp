/*
 * transcode_services.cpp - host routine wztxcm2s: a text of the modules'
 * encoding moved into a blank-padded field of the host's encoding, so
 * that it can be compared with host text (the interval library passes the
 * names of its format catalogue through it).
 *
 * This host and the modules both keep text as UTF-8, so the move copies
 * the bytes; a text longer than the field is cut before the character that
 * does not fit whole, never inside it.
 *
 * Exports (namespace host_routines): wztxcm2s.
 */
#include <cstring>

#include "platform/service_table.h"

namespace host_routines {

/*
 * Moves source (sourceLength bytes) into destination (destinationLength
 * bytes), blank-filling the rest of the field.  A null field or a negative
 * length counts as length 0.
 * Returns the number of bytes moved.
 */
int wztxcm2s(const char *source, int sourceLength, char *destination, int destinationLength)
{
    if (source == nullptr || sourceLength < 0) sourceLength = 0;
    if (destination == nullptr || destinationLength < 0) return 0;
    int n = sourceLength < destinationLength ? sourceLength : destinationLength;
    /* Continuation bytes of UTF-8 are 10xxxxxx: never cut before one. */
    if (n < sourceLength)
        while (n > 0 && (static_cast<unsigned char>(source[n]) & 0xC0) == 0x80) --n;
    if (n > 0) std::memmove(destination, source, size_t(n));
    if (destinationLength > n) std::memset(destination + n, ' ', size_t(destinationLength - n));
    return n;
}

}  // namespace host_routines
