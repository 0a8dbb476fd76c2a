/*
 * kivevpar.cpp - the event procedure's option reader (see kivevpar.h).
 */
#include "eventproc/kivevpar.h"

void kivevpar(PROC_STATE *state) { kivReadOptions(state, kivEventOptions); }
