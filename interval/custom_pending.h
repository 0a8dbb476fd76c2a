/*
 * custom_pending.h - the questions that the seasonality, format and
 * multiple routines ask about custom (data-set defined) intervals.
 *
 * This build has no custom-interval operations yet, so every question is
 * answered the way those operations answer when they cannot help: no
 * format, no season count, no INTERVALDS entry.  The operations replace
 * the bodies in custom_pending.cpp; the callers stay as they are.
 *
 * Exports: zintCustomFormat, zintCustomSeasonCount, zintCustomEntryName,
 * zintCustomRelease.
 */
#ifndef ORV_INTERVAL_CUSTOM_PENDING_H
#define ORV_INTERVAL_CUSTOM_PENDING_H

#include <cstdint>

#include "interval/season_record.h"

/*
 * The display format of a custom interval's BEGIN variable.
 * Inputs: rec (a custom interval; its customRef may be set on return).
 * Outputs: name (at most 16 bytes, not terminated), its length, width and
 * minimum width.
 * Returns 0, or -1 when the format cannot be had (always, for now; the
 * outputs are then untouched).
 */
int zintCustomFormat(ZINT_SEAS *rec, char *name, int16_t *nameLength, int16_t *width,
                     int16_t *minWidth);

/* The largest SEASON value of a custom interval's data set, or the
 * ordinary missing value when there is none (always, for now). */
double zintCustomSeasonCount(ZINT_SEAS *rec);

/*
 * The name of the INTERVALDS entry that defines a custom interval.
 * Outputs: name (NUL-terminated, at most ZINT_NAME_MAX characters) and its
 * length.  Returns 0, or 1 when no entry matches (always, for now).
 */
int zintCustomEntryName(const ZINT_DESC *desc, char *name, int *length);

/* Releases the custom-interval reference a record holds, if any, and
 * clears the slot. */
void zintCustomRelease(ZINT_SEAS *rec);

#endif
