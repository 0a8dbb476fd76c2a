/*
 * orvocrdf.h - the event procedure's entry, run by the host once per
 * KIVEVENTS step.
 */
#ifndef ORV_ORVOCRDF_H
#define ORV_ORVOCRDF_H

/* Runs one step; ends it through xexit and never returns. */
extern "C" [[noreturn]] void orvocrdf();

#endif
