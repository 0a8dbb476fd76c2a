/*
 * series_utilfile.h - a pair of host utility files for a caller's own rows
 * (ZTS_UTILFILE, series_context.h).
 *
 * Exports: ZTSUtilFileInit, ZTSUtilFileReset.
 */
#ifndef ORV_SERIES_SERIES_UTILFILE_H
#define ORV_SERIES_SERIES_UTILFILE_H

#include <cstdint>

#include "series/series_context.h"

/* Opens the first, then the second utility file and stores value.
 * Returns 0; 1 for a null record; 2 when an open fails (logged). */
int ZTSUtilFileInit(ZTS_UTILFILE *rec, int64_t value);

/* Empties both files for rewriting from their start and zeroes the row
 * counter.  Returns 0; 1 for a null record or a record without files; 2
 * when positioning fails (logged). */
int ZTSUtilFileReset(ZTS_UTILFILE *rec);

#endif
