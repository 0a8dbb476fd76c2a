/*
 * event_qualifiers.h - setting an event's given qualifiers and resolving
 * its effective ones (defaults and default label).
 *
 * A qualifier value counts as given only when it is a usable number: a
 * missing value (any NaN), an infinity, or a value out of the range of the
 * integer field it goes into counts as not given.
 *
 * Exports: the ZTSEV_QID_* qualifier identifiers, ZTSEVInitQualList,
 * ZTSEVSetQualifierList, ZTSEVSetQualifier, ZTSEVCreateEvent,
 * ZTSEVCreateEventDup, ztsevResolveQualifiers.
 */
#ifndef ORV_EVENT_EVENT_QUALIFIERS_H
#define ORV_EVENT_EVENT_QUALIFIERS_H

#include "event/event_records.h"

/* Qualifier identifiers of ZTSEVSetQualifier. */
enum : int {
    ZTSEV_QID_VALUE = 3,
    ZTSEV_QID_TCPARM = 4,
    ZTSEV_QID_PULSE = 5,         /* base interval code */
    ZTSEV_QID_BEFORE = 6,        /* duration before; also any-duration */
    ZTSEV_QID_AFTER = 7,         /* duration after; also any-duration */
    ZTSEV_QID_TYPE = 8,
    ZTSEV_QID_SLOPE_BEFORE = 9,  /* also any-slope */
    ZTSEV_QID_SLOPE_AFTER = 10,  /* also any-slope */
    ZTSEV_QID_LABEL = 11,        /* ignored: a label needs its text */
    ZTSEV_QID_PERIOD = 12,       /* base interval code */
    ZTSEV_QID_RULE = 14,
    ZTSEV_QID_SHIFT = 15,
};

/* Sets all eleven values of *qual to the ordinary missing value and
 * returns that value. */
double ZTSEVInitQualList(ZTSEV_QUAL *qual);

/*
 * Sets every given value of qual on the last record named `name`, each with
 * its given flag (durations also set any-duration, slopes any-slope).
 * Returns 0, or the find status (ZTSEV_NOT_FOUND, ZTSEV_NO_LIST).
 */
int ZTSEVSetQualifierList(ZTSEV_LIST *list, const char *name, ZTSEV_QUAL qual);

/*
 * Sets qualifier `id` (ZTSEV_QID_*) to value on the last record named
 * `name`; an unknown id, or a value that is not given (see above), changes
 * nothing.  Returns 0, or the find status.
 */
int ZTSEVSetQualifier(ZTSEV_LIST *list, const char *name, int id, double value);

/*
 * Resolve the effective qualifiers of the first record named `name`
 * (ZTSEVCreateEvent) or of the *k-th (*k <= 0: the last; *k becomes the
 * number of matches) (ZTSEVCreateEventDup).  Return 0, or the find status.
 */
int ZTSEVCreateEvent(ZTSEV_LIST *list, const char *name);
int ZTSEVCreateEventDup(ZTSEV_LIST *list, const char *name, int *k);

/*
 * Resolves the effective qualifiers of one record of list from its given
 * ones: type POINT, value 1, TC parameter 0.5, durations by type and pulse,
 * slopes GROWTH (DECAY after for TC), shift 0, rule OR in a date-key list
 * else ADD, and the default label (883, 441) with the event name when no
 * label was given.  A null list resolves as an ordinary list.  Returns 0.
 */
int ztsevResolveQualifiers(const ZTSEV_LIST *list, ZTSEV_EVENT *event);

#endif
