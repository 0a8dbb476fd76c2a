/*
 * event_dummy.h - an event's dummy (regressor) series over the time IDs of
 * one BY group: one double per time ID, 0 where the event has no effect.
 * SIMPLE and DATEKEY events come from their timing values and date keys,
 * COMB events fold their members' series with the combination rule,
 * PREDEF events come from their predefined key.  Also the statistics the
 * output steps test, and the interface that hands a dummy to a caller by
 * event name.
 *
 * A series under construction holds the missing value where nothing has
 * been written yet; every finished series has those entries set to 0.
 * `values` arguments are the address of the array pointer: a null pointer
 * is replaced by series->count doubles from the pool.
 *
 * Statuses: 0; 1 no pool; 2 no list; 3 unknown name; 10 no time IDs; 13 a
 * user date key unknown or without dates; 14 unknown rule; 15 an occurrence
 * cannot be placed; 16 no timing values and no date keys; 21 bad type; 31
 * wrong class; 33 the name is a group; 37 combinations nested deeper than
 * ZTSEV_COMB_DEPTH (a member cycle, or a chain only deeper).  Running out
 * of memory ends the step.
 *
 * Exports: ZTSEV_DUMMY, ZTSEV_COMB_DEPTH, ZTSEV_DUMMY_* statuses,
 * ZTSEVMakeDummy, ZTSEVMakeSimpleDummy, ZTSEVMakeDummyFromDates,
 * ZTSEVMakePredefDummy, ZTSEVDummyInfo, ztsevDummyFlags, ZTSEVGetDummy, ZTSEVGetOutlier,
 * ZTSEVDeleteDummy.
 */
#ifndef ORV_EVENT_EVENT_DUMMY_H
#define ORV_EVENT_EVENT_DUMMY_H

#include <cstddef>
#include <cstdint>

#include "event/event_records.h"

/* Deepest nesting of COMB events within COMB events; a deeper one is
 * noted as a cycle or as too deep. */
constexpr int ZTSEV_COMB_DEPTH = 32;

enum : int {
    ZTSEV_DUMMY_NO_POOL = 1,
    ZTSEV_DUMMY_NO_TIMEIDS = 10,
    ZTSEV_DUMMY_NO_TIMING = 16,
    ZTSEV_DUMMY_BAD_TYPE = 21,
    ZTSEV_DUMMY_WRONG_CLASS = 31,
    ZTSEV_DUMMY_GROUP = 33,
    ZTSEV_DUMMY_COMB_CYCLE = 37,
};

/* One dummy handed to a caller, with its statistics. */
struct ZTSEV_DUMMY {
    double *values;          /* nobs doubles, from pool */
    int64_t nobs;
    int32_t allZero;         /* 1 when every value is 0 */
    int32_t constant;        /* 1 when all values are equal */
    double largest;          /* max(|minimum|, |maximum|) */
    double smallestNonZero;  /* see ZTSEVDummyInfo */
    MEMORY_OBJECT *pool;     /* pool of values and of the record */
};
static_assert(offsetof(ZTSEV_DUMMY, values) == 0);
static_assert(offsetof(ZTSEV_DUMMY, nobs) == 8);
static_assert(offsetof(ZTSEV_DUMMY, allZero) == 16);
static_assert(offsetof(ZTSEV_DUMMY, constant) == 20);
static_assert(offsetof(ZTSEV_DUMMY, largest) == 24);
static_assert(offsetof(ZTSEV_DUMMY, smallestNonZero) == 32);
static_assert(offsetof(ZTSEV_DUMMY, pool) == 40);
static_assert(sizeof(ZTSEV_DUMMY) == 48);

/* The finished dummy of event (of list) by its class: SIMPLE, DATEKEY,
 * COMB, PREDEF; other classes leave the series missing and give 0.  A
 * SIMPLE, DATEKEY or COMB series whose status is not 0 is all 0.  A COMB
 * event builds each combination among its members once, whatever the
 * number of combinations naming it; status 37 writes the note (883, 605)
 * naming the combination found inside itself, or (883, 620) naming
 * event, whose series is then set to 0. */
int ZTSEVMakeDummy(ZTSEV_LIST *list, ZTSEV_EVENT *event, const ZTSEV_SERIES *series, double **values,
                   MEMORY_OBJECT *pool);

/* The series of a SIMPLE or DATEKEY event (31 for another class): a
 * DATEKEY event is a POINT indicator (every non-zero value becomes 1);
 * statuses 15 and 16 leave the series all 0. */
int ZTSEVMakeSimpleDummy(const ZTSEV_EVENT *event, ZTSEV_LIST *datekeyList, const ZTSEV_SERIES *series,
                         double **values, MEMORY_OBJECT *pool);

/* Writes the shapes of every timing value (repeated by the PERIOD=
 * interval) and every date key of event into values (series->count
 * doubles); with the AND rule each date key, and all timing values
 * together, are one operand.  Returns the current status; 15 at once when
 * an occurrence cannot be placed. */
int ZTSEVMakeDummyFromDates(const ZTSEV_EVENT *event, ZTSEV_LIST *datekeyList, const ZTSEV_SERIES *series,
                            double *values);

/* The series of a PREDEF event (WEASTER...: pulses at the dates of the key
 * named without its first letter); 3 for another key, 31 for another
 * class. */
int ZTSEVMakePredefDummy(const ZTSEV_EVENT *event, const ZTSEV_SERIES *series, double **values,
                         MEMORY_OBJECT *pool);

/* Fills the four statistics of dummy from its values and nobs; 10 when
 * nobs is below 1 (flags 1, magnitudes 0), else 0. */
int ZTSEVDummyInfo(ZTSEV_DUMMY *dummy);

/* The two flags of ZTSEVDummyInfo alone, for n values (n at least 1):
 * *allZero and *constant set to 1 or 0 exactly as ZTSEVDummyInfo sets
 * them.  Stops at the first value that differs from the first number met,
 * so a series that is neither constant nor all zero costs only its start. */
void ztsevDummyFlags(const double *values, int64_t n, int32_t *allZero, int32_t *constant);

/* A new dummy of the event named `name` (NUL-terminated), found in list or
 * made by the keyword registry, from the pool *pool (settled by findpool).
 * Null with *status 2 (no list), 3 (unknown), 33 (a group), 31 (another
 * class), or the status of ZTSEVMakeDummy. */
ZTSEV_DUMMY *ZTSEVGetDummy(const char *name, ZTSEV_LIST *list, const ZTSEV_SERIES *series, MEMORY_OBJECT **pool,
                           int *status);

/* The dummy of outlier type (1 AO, 2 LS) at date of kind (4, 8, 10); its
 * name (AO01JAN2020D, LS01JAN2020h12m30s45DT, AO25OBS) is written to
 * `name` (at least 32 bytes).  Null with *status 21 for another type, 15
 * for another kind, or that of ZTSEVGetDummy. */
ZTSEV_DUMMY *ZTSEVGetOutlier(int type, int kind, char *name, ZTSEV_LIST *list, const ZTSEV_SERIES *series,
                             MEMORY_OBJECT **pool, double date, int *status);

/* Frees the values and the record to the record's pool; 0 (also for null). */
int ZTSEVDeleteDummy(ZTSEV_DUMMY *dummy);

#endif
