/*
 * journal_services.cpp - the host routine of wrjnlc: a new journal in which
 * the custom-interval extension records its failures
 * (platform/custom_intervals.h).
 */
#include "platform/host.h"
#include "platform/service_table.h"

namespace host_routines {

/* Callers pass (0, 0, 0); the arguments select nothing in this host.
 * Returns the journal, whose release operation (its third word) ends it, or
 * null when none can be made. */
void *wrjnlc(void *, int, void *)
{
    return orvhost::Host::current().controlBlock().kernel().customIntervals().createJournal();
}

}  // namespace host_routines
