/*
 * datekg.h - the grammar control block of the date-key module (the VORNAK
 * statement and its sub-statements).
 */
#ifndef ORV_PROCDRIVER_DATEKG_H
#define ORV_PROCDRIVER_DATEKG_H

#include "host/host_records.h"

/* A new grammar block over the module's tables (procdriver/grammar_block.h);
 * ends the step with 1016 when it cannot be allocated. */
GRAMMAR_BLOCK *datekg();

#endif
