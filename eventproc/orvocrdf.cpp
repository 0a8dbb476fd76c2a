/*
 * orvocrdf.cpp - entry of the event procedure (the KIVEVENTS statement).
 *
 * The host calls it without arguments once per step; it ends the step through
 * xexit with the step's return code.
 */
#include "eventproc/orvocrdf.h"

#include "host/services.h"

extern "C" void orvocrdf()
{
    int returnCode = 0;
    xexit(returnCode, 0);
}
