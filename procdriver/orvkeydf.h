/*
 * orvkeydf.h - the date-key procedure's entry, run by the host once per
 * VORNAK step.
 */
#ifndef ORV_ORVKEYDF_H
#define ORV_ORVKEYDF_H

/* Runs one step; ends it through xexit and never returns. */
extern "C" [[noreturn]] void orvkeydf();

#endif
