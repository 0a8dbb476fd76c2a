/*
 * orvkeydf.cpp - entry of the date-key procedure (the VORNAK statement).
 *
 * The host calls it without arguments once per step; it ends the step through
 * xexit with the step's return code.
 */
#include "procdriver/orvkeydf.h"

#include "event/event_statements.h"
#include "host/parser_glue.h"
#include "host/services.h"
#include "procdriver/datekg.h"

extern "C" void orvkeydf()
{
    xinit();
    ZTSEVInit();
    xsparse(datekg(), 0);
    /* A failed parse ends the step with the status the parser left. */
    int status = orvParseControl()->status;
    if (status != 0) xexit(status, 0);
    xexit(0, 0);
}
