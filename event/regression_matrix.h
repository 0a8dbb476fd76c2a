/*
 * regression_matrix.h - the regression matrix of a group event: one dummy
 * column per member event over the time IDs of a series, with flags that
 * tell an all-zero or a constant column.  A group event (COMPLEX, from
 * EVENTGROUP or a predefined group word) has no dummy column of its own;
 * its members form this matrix instead.
 *
 * Statuses: 0; 2 no list; 3 a member that is not an event of the list; 10
 * the series has no time IDs; 31 the name is an event of another class; 32
 * a word that is neither an event nor a group word, or a name longer than
 * 32 characters; 34 a predefined group word that does not resolve for the
 * series; the statuses of the group expansion (event_groups.h) and of
 * ZTSEVMakeDummy.  Running out of memory ends the step.
 *
 * Exports: ZTSEV_REGMATRIX, ZTSEVGetGroup, ZTSEVGetRegMatrix,
 * ZTSEVDeleteRegmatrix.
 */
#ifndef ORV_EVENT_REGRESSION_MATRIX_H
#define ORV_EVENT_REGRESSION_MATRIX_H

#include <cstdint>

#include "event/event_records.h"

/* A group's matrix.  The record and its arrays are zero-filled blocks of
 * `pool`; columns are filled in member order. */
struct ZTSEV_REGMATRIX {
    ORV_COUNTED_NAME groupName;  /* set by ZTSEVGetGroup, empty otherwise */
    double *data;                /* column-major: column j at j * nobs */
    int32_t *allZero;            /* per column: 1 when every value is 0 */
    int32_t *constant;           /* per column: 1 when all values are equal */
    int64_t nobs;                /* rows: the series' time IDs */
    int64_t columnCount;         /* columns filled */
    MEMORY_OBJECT *pool;
};

/*
 * The matrix of the members in *names, in list order, over series' time
 * IDs, from the pool *pool (settled by findpool).  A member of class
 * SIMPLE, COMB, PREDEF or DATEKEY gets its dummy; a nested group (or any
 * other class) gets a column of zeros.  An unknown member or a failing
 * dummy ends the build: the columns filled so far are returned (null when
 * none) with that status, so the caller tests the status and frees a
 * returned matrix either way.  Null with status 0 for an empty list.
 */
ZTSEV_REGMATRIX *ZTSEVGetRegMatrix(ZTSEVEventNamelist **names, ZTSEV_LIST *list, const ZTSEV_SERIES *series,
                                   MEMORY_OBJECT **pool, int *status);

/*
 * The matrix of the group event named `name` (NUL-terminated).  A name
 * that is no event yet is expanded as a group word into a new COMPLEX
 * event, which stays in the list for later calls (a word that is no group
 * leaves nothing behind); a predefined word resolved for the series
 * (SEASONAL, WEEKDAYS, an interval name followed by S) is followed once.
 * *members receives the group's member list when a matrix is returned.
 * Null with *status on failure (see the file comment).
 */
ZTSEV_REGMATRIX *ZTSEVGetGroup(const char *name, ZTSEV_LIST *list, const ZTSEV_SERIES *series,
                               MEMORY_OBJECT **pool, ZTSEVEventNamelist **members, int *status);

/* Frees the matrix's arrays and record to its pool.  Returns 0, also for
 * null. */
int ZTSEVDeleteRegmatrix(ZTSEV_REGMATRIX *matrix);

#endif
