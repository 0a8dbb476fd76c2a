/*
 * lead_option.h - the LEAD= value of a procedure statement (kivGetLEAD),
 * shared by both procedure modules.
 *
 * Exports: KIV_LEAD_MAX, KIV_LEAD_FATAL, kivGetLEAD.
 */
#ifndef ORV_PROCDRIVER_LEAD_OPTION_H
#define ORV_PROCDRIVER_LEAD_OPTION_H

#include <cstdint>

#include "host/host_records.h"

/* Largest number of lead periods. */
constexpr double KIV_LEAD_MAX = 100000000.0;
/* Flags bit 0: a LEAD above KIV_LEAD_MAX ends the step. */
constexpr int KIV_LEAD_FATAL = 1;

/*
 * Reads LEAD from `slot`: its value when given, else `defaultLead`.
 * A value above KIV_LEAD_MAX (or not a number): with KIV_LEAD_FATAL in
 * flags message (773, 102) and xexit(2000); otherwise message (773, 101),
 * *lead = KIV_LEAD_MAX and result -1.  Otherwise *lead is the value
 * truncated and the result 0.  The value is range-checked before it is
 * converted, so no value reaches an integer it does not fit.
 */
int kivGetLEAD(const OPTION_SLOT *slot, int defaultLead, int flags, int32_t *lead);

#endif
