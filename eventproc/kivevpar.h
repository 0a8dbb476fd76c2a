/*
 * kivevpar.h - the option reader of the event procedure (KIVEVENTS): the
 * shared option reader under the event module's rules.
 *
 * Exports: kivEventOptions, kivevpar.
 */
#ifndef ORV_EVENTPROC_KIVEVPAR_H
#define ORV_EVENTPROC_KIVEVPAR_H

#include "procdriver/datekpar.h"

/* The event module reads neither option bit 4 nor an all-selections switch,
 * and keeps its date keys in a list of their own. */
constexpr KIV_OPTION_RULES kivEventOptions{false, false, true};

/* kivReadOptions (procdriver/datekpar.h) under kivEventOptions: the same
 * messages, return codes and exits. */
void kivevpar(PROC_STATE *state);

#endif
