/*
 * outlier_names.h - composing outlier names (AO01JAN2020D, LS25OBS,
 * TLS01JAN2020D4 ...) that the keyword registry reads back with zoutlnchk.
 *
 * Exports: ZTSEV_OUTLIER_NAME_TOO_LONG, ZTSEV_OUTLIER_BAD_REQUEST,
 * ZTSEV_OUTLIER_FIELD_SIZE, ZTSEVAddOutlier, ZTSEVCreateOutlierName.
 */
#ifndef ORV_EVENT_OUTLIER_NAMES_H
#define ORV_EVENT_OUTLIER_NAMES_H

#include <cstdint>

#include "event/event_records.h"
#include "interval/interval_desc.h"

/* Statuses of the outlier-name builders. */
constexpr int ZTSEV_OUTLIER_NAME_TOO_LONG = 15; /* longer than 32, or no time ID for the index */
constexpr int ZTSEV_OUTLIER_BAD_REQUEST = 21;   /* unknown type, kind or unit; duration misused */

/* Bytes of a composed name field: a 32-character name and its NUL. */
constexpr int ZTSEV_OUTLIER_FIELD_SIZE = ZTSEV_NAME_SIZE + 1;

/*
 * Composes the outlier name of type 1 (AO) or 2 (LS) at date, a value of
 * timing kind 8 (date: AO01JAN2020D), 10 (datetime: AO01JAN2020h12m30s45DT)
 * or 4 (observation: AO25OBS), NUL-terminated into nameField, and adds it
 * to *names with ZTSEVAddEventName mode 6, which creates its event in list.
 * REQUIRES: nameField holds ZTSEV_OUTLIER_FIELD_SIZE bytes.
 * Returns ZTSEVAddEventName's status; ZTSEV_OUTLIER_BAD_REQUEST for another
 * type or kind (nothing added).
 */
int ZTSEVAddOutlier(int type, int kind, char *nameField, ZTSEV_LIST *list, ZTSEVEventNamelist **names,
                    double date);

/*
 * Composes the outlier name for observation `index` (1-based) of a series
 * whose interval is `interval` (null or code 0: none) and whose first time
 * ID is `start`.  type: 1 AO, 2 LS, 11 TLS.  unit: 4 observation, 8 date,
 * 10 datetime, 0 = 8 on a date interval, 10 on a datetime interval, else 4;
 * units 8 and 10 on OBS or no interval fall back to 4.  The time ID of a
 * date or datetime name is start stepped index - 1 intervals (beginning
 * alignment), turned into days or seconds when the unit asks for the other
 * one.  duration (may be null): for TLS, appended as an integer, 0 or more.
 * Output: name, a 32-character field, NUL-terminated when shorter.
 * Returns 0; ZTSEV_OUTLIER_BAD_REQUEST for another type or unit, a
 * duration with a type other than TLS or below 0, or a non-zero `extra`
 * without a duration; ZTSEV_OUTLIER_NAME_TOO_LONG when the name would
 * exceed 32 characters or the time ID cannot be computed.
 */
int ZTSEVCreateOutlierName(int type, int64_t index, int unit, const ZINT_DESC *interval, double start,
                           const int64_t *duration, int extra, char *name);

#endif
