/*
 * orvkeydf.cpp - entry of the date-key procedure (the VORNAK statement).
 *
 * The host calls it without arguments once per step; it ends the step through
 * xexit with the step's return code.
 */
#include "procdriver/orvkeydf.h"

#include "host/services.h"

extern "C" void orvkeydf()
{
    int returnCode = 0;
    xexit(returnCode, 0);
}
