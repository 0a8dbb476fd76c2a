/*
 * season_record.h - ZINT_SEAS, an interval together with its season part:
 * the record that the seasonality routines, the series context, the event
 * records and the custom-interval operations pass around.
 *
 * A ZINT_SEAS is plain data, built on the stack (zeroed, then the
 * descriptor copied in) or embedded in a larger record.  Whoever builds one
 * releases its custom-interval reference before it goes out of scope
 * (zcintcReleaseRef, custom_manager.h) and owns the season-cycle record it
 * points to.
 *
 * Exports: ZINT_CUSTREF (opaque), ZINT_SEAS, ZINT_SEAS_FORMAT_NAME_SIZE,
 * ZINT_SEAS_FORMAT_COPY.
 */
#ifndef ORV_INTERVAL_SEASON_RECORD_H
#define ORV_INTERVAL_SEASON_RECORD_H

#include <cstddef>
#include <cstdint>

#include "interval/interval_desc.h"

/* A loaded custom-interval definition (host/custom_interval_records.h). */
struct ZINT_CUSTREF;

constexpr int ZINT_SEAS_FORMAT_NAME_SIZE = 12;
/* Characters of a recommended format name that are copied into a
 * ZINT_SEAS: every built-in recommendation is at most 8 long. */
constexpr int ZINT_SEAS_FORMAT_COPY = 9;

struct ZINT_SEAS {
    ZINT_DESC interval;          /* the interval itself */
    ZINT_CUSTREF *customRef;     /* loaded definition of a custom interval; null otherwise */
    uint8_t reserved[8];         /* copied along, never read */
    int16_t formatWidth;         /* recommended display width (zintmult) */
    int16_t formatNameLength;    /* 0 to ZINT_SEAS_FORMAT_COPY */
    char formatName[ZINT_SEAS_FORMAT_NAME_SIZE]; /* not terminated */
    int32_t seasonCount;         /* seasons per cycle; 0 = not yet known */
    ZINT_SEAS *seasonCycle;      /* the season-cycle record, or null */
};
static_assert(offsetof(ZINT_SEAS, interval) == 0);
static_assert(offsetof(ZINT_SEAS, customRef) == 56);
static_assert(offsetof(ZINT_SEAS, reserved) == 64);
static_assert(offsetof(ZINT_SEAS, formatWidth) == 72);
static_assert(offsetof(ZINT_SEAS, formatNameLength) == 74);
static_assert(offsetof(ZINT_SEAS, formatName) == 76);
static_assert(offsetof(ZINT_SEAS, seasonCount) == 88);
static_assert(offsetof(ZINT_SEAS, seasonCycle) == 96);
static_assert(sizeof(ZINT_SEAS) == 104);

#endif
