/*
 * lead_option.cpp - the LEAD= value (see lead_option.h).
 */
#include "procdriver/lead_option.h"

#include "host/services.h"
#include "procdriver/proc_state.h"

namespace {
constexpr int kLeadMessageSet = 773;
constexpr int kLeadReduced = 101;
constexpr int kLeadTooLarge = 102;
}  // namespace

int kivGetLEAD(const OPTION_SLOT *slot, int defaultLead, int flags, int32_t *lead)
{
    const double value = slot->given != ORV_SLOT_NOT_GIVEN ? slot->value.number : double(defaultLead);
    /* Written so that a NaN fails the test too. */
    if (!(value <= KIV_LEAD_MAX)) {
        /* The value is shown as given: it may be far beyond any integer. */
        if ((flags & KIV_LEAD_FATAL) != 0) {
            xpmlog(kLeadMessageSet, kLeadTooLarge, ORV_MSG_DBL, value, ORV_MSG_INT, long(KIV_LEAD_MAX), ORV_MSG_END);
            xexit(KIV_RC_NO_DATA, 0);
        }
        xpmlog(kLeadMessageSet, kLeadReduced, ORV_MSG_DBL, value, ORV_MSG_INT, long(KIV_LEAD_MAX), ORV_MSG_END);
        *lead = int32_t(KIV_LEAD_MAX);
        return -1;
    }
    *lead = int32_t(value);
    return 0;
}
