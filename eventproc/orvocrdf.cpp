/*
 * orvocrdf.cpp - entry of the event procedure (the KIVEVENTS statement).
 *
 * The host calls it without arguments once per step; it ends the step through
 * xexit with the step's return code.
 */
#include "eventproc/orvocrdf.h"

#include "eventproc/kivevg.h"
#include "event/event_statements.h"
#include "host/parser_glue.h"
#include "host/services.h"

extern "C" void orvocrdf()
{
    xinit();
    ZTSEVInit();
    xsparse(kivevg(), 0);
    /* A failed parse ends the step with the status the parser left. */
    int status = orvParseControl()->status;
    if (status != 0) xexit(status, 0);
    xexit(0, 0);
}
