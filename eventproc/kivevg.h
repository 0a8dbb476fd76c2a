/*
 * kivevg.h - the grammar control block of the event module (the KIVEVENTS
 * statement and its sub-statements).
 */
#ifndef ORV_EVENTPROC_KIVEVG_H
#define ORV_EVENTPROC_KIVEVG_H

#include "host/host_records.h"

/* A new grammar block over the module's tables (procdriver/grammar_block.h);
 * ends the step with 1016 when it cannot be allocated. */
GRAMMAR_BLOCK *kivevg();

#endif
