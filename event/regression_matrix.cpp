/*
 * regression_matrix.cpp - the regression matrix of a group event (see
 * regression_matrix.h).
 */
#include "event/regression_matrix.h"

#include <algorithm>
#include <cstring>

#include "event/event_dummy.h"
#include "event/event_groups.h"
#include "event/event_list.h"
#include "event/event_support.h"
#include "host/missing_values.h"

namespace {

/* Room of a resolved group word: 32 characters and a NUL. */
constexpr int kWordSize = ZTSEV_NAME_SIZE + 1;

/* Classes whose members have a dummy of their own. */
bool hasDummy(int32_t cls)
{
    return cls == ZTSEV_CLASS_SIMPLE || cls == ZTSEV_CLASS_COMB || cls == ZTSEV_CLASS_PREDEF ||
           cls == ZTSEV_CLASS_DATEKEY;
}

int64_t memberCount(const ZTSEVEventNamelist *names)
{
    int64_t count = 0;
    for (; names != nullptr; names = names->next) ++count;
    return count;
}

/* A NUL-terminated copy of a member name field. */
void memberName(const ZTSEVEventNamelist &node, char (&out)[kWordSize])
{
    const int length = std::clamp<int>(node.name.length, 0, ZTSEV_NAME_SIZE);
    std::memcpy(out, node.name.text, size_t(length));
    out[length] = '\0';
}

/* Appends the work column to the matrix (made at the first column) with
 * its all-zero and constant flags. */
ZTSEV_REGMATRIX *appendColumn(ZTSEV_REGMATRIX *matrix, const double *column, int64_t nobs, int64_t members,
                              MEMORY_OBJECT *pool)
{
    if (matrix == nullptr) {
        matrix = static_cast<ZTSEV_REGMATRIX *>(ztsevAllocArray(pool, 1, sizeof(ZTSEV_REGMATRIX)));
        if (members > INT64_MAX / nobs) ztsevOutOfMemory(0);
        matrix->data = static_cast<double *>(ztsevAllocArray(pool, members * nobs, sizeof(double)));
        matrix->allZero = static_cast<int32_t *>(ztsevAllocArray(pool, members, sizeof(int32_t)));
        matrix->constant = static_cast<int32_t *>(ztsevAllocArray(pool, members, sizeof(int32_t)));
        matrix->nobs = nobs;
        matrix->pool = pool;
    }
    const int64_t j = matrix->columnCount;
    double *target = matrix->data + j * nobs;
    std::copy(column, column + nobs, target);
    ZTSEV_DUMMY info{};
    info.values = target;
    info.nobs = nobs;
    ZTSEVDummyInfo(&info);
    matrix->allZero[j] = info.allZero;
    matrix->constant[j] = info.constant;
    matrix->columnCount = j + 1;
    return matrix;
}

/* Resolves a predefined group word for the series into `resolved`;
 * ZTSEV_GROUP_LATER when it resolves to itself (the series cannot expand
 * it: following it again would never end). */
int resolveWord(const char *name, const ZTSEV_SERIES *series, char (&resolved)[kWordSize])
{
    std::memset(resolved, 0, sizeof resolved);
    const int status = ZTSEVFindGroupPredef(name, resolved, series);
    if (status != ZTSEV_OK) return status;
    const int length = ZTSEVlenORVname(resolved);
    return ztsevSameName(name, ZTSEVlenORVname(name), resolved, length) ? ZTSEV_GROUP_LATER : ZTSEV_OK;
}

ZTSEV_REGMATRIX *getGroup(const char *name, ZTSEV_LIST *list, const ZTSEV_SERIES *series, MEMORY_OBJECT **pool,
                          ZTSEVEventNamelist **members, int *status, bool resolved);

/* Follows a predefined group word once: a word reached by resolving one
 * must expand for the series. */
ZTSEV_REGMATRIX *followWord(const char *name, ZTSEV_LIST *list, const ZTSEV_SERIES *series, MEMORY_OBJECT **pool,
                            ZTSEVEventNamelist **members, int *status, bool resolved)
{
    char word[kWordSize];
    *status = resolved ? ZTSEV_GROUP_LATER : resolveWord(name, series, word);
    if (*status != ZTSEV_OK) return nullptr;
    return getGroup(word, list, series, pool, members, status, true);
}

ZTSEV_REGMATRIX *getGroup(const char *name, ZTSEV_LIST *list, const ZTSEV_SERIES *series, MEMORY_OBJECT **pool,
                          ZTSEVEventNamelist **members, int *status, bool resolved)
{
    ZTSEV_EVENT *event = ZTSEVFindEvent(list, name, status);
    if (event == nullptr) {
        event = ZTSEVNewItem(list, *pool, name, ZTSEV_CLASS_COMPLEX, status);
        if (event == nullptr) return nullptr;
        *status = ZTSEVFindGroup(list, series, name, &event->members);
        if (*status == ZTSEV_GROUP_LATER) {
            event->cls = ZTSEV_CLASS_PREDEFCOMP;
            return followWord(name, list, series, pool, members, status, resolved);
        }
        if (*status != ZTSEV_OK) {
            const int expansion = *status;
            ZTSEVDelItem(list, event, ZTSEV_DEL_FREE);
            *status = expansion;
            return nullptr;
        }
    }
    if (event->cls == ZTSEV_CLASS_PREDEFCOMP) return followWord(name, list, series, pool, members, status, resolved);
    if (event->cls != ZTSEV_CLASS_COMPLEX) {
        *status = ZTSEV_DUMMY_WRONG_CLASS;
        return nullptr;
    }
    ZTSEV_REGMATRIX *matrix = ZTSEVGetRegMatrix(&event->members, list, series, pool, status);
    if (matrix != nullptr) {
        ztsevSetName(&matrix->groupName, name);
        if (members != nullptr) *members = event->members;
    }
    return matrix;
}

}  // namespace

ZTSEV_REGMATRIX *ZTSEVGetRegMatrix(ZTSEVEventNamelist **names, ZTSEV_LIST *list, const ZTSEV_SERIES *series,
                                   MEMORY_OBJECT **pool, int *status)
{
    const int64_t nobs = series != nullptr && series->timeIds != nullptr ? series->count : 0;
    if (nobs < 1) {
        *status = ZTSEV_DUMMY_NO_TIMEIDS;
        return nullptr;
    }
    if (list == nullptr) {
        *status = ZTSEV_NO_LIST;
        return nullptr;
    }
    *status = findpool(pool, list);
    if (*status != ZTSEV_OK) return nullptr;
    const ZTSEVEventNamelist *first = names != nullptr ? *names : nullptr;
    const int64_t members = memberCount(first);
    if (members == 0) return nullptr;

    auto *column = static_cast<double *>(ztsevAllocArray(*pool, nobs, sizeof(double)));
    ZTSEV_REGMATRIX *matrix = nullptr;
    for (const ZTSEVEventNamelist *node = first; node != nullptr; node = node->next) {
        char name[kWordSize];
        memberName(*node, name);
        ZTSEV_EVENT *member = ZTSEVFindEvent(list, name, status);
        if (member == nullptr) break;
        if (hasDummy(member->cls)) {
            std::fill(column, column + nobs, orvMissing());
            *status = ZTSEVMakeDummy(list, member, series, &column, *pool);
            if (*status != ZTSEV_OK) break;
        } else {
            /* A nested group has no column of its own: its members do. */
            std::fill(column, column + nobs, 0.0);
        }
        matrix = appendColumn(matrix, column, nobs, members, *pool);
    }
    ztsevFree(*pool, column);
    return matrix;
}

ZTSEV_REGMATRIX *ZTSEVGetGroup(const char *name, ZTSEV_LIST *list, const ZTSEV_SERIES *series,
                               MEMORY_OBJECT **pool, ZTSEVEventNamelist **members, int *status)
{
    /* The group name must fit the matrix's 32-character field. */
    if (name == nullptr || strnlen(name, ZTSEV_NAME_SIZE + 1) > size_t(ZTSEV_NAME_SIZE)) {
        *status = ZTSEV_NOT_GROUP;
        return nullptr;
    }
    if (list == nullptr) {
        *status = ZTSEV_NO_LIST;
        return nullptr;
    }
    *status = findpool(pool, list);
    if (*status != ZTSEV_OK) return nullptr;
    return getGroup(name, list, series, pool, members, status, false);
}

int ZTSEVDeleteRegmatrix(ZTSEV_REGMATRIX *matrix)
{
    if (matrix == nullptr) return 0;
    ztsevFree(matrix->pool, matrix->data);
    ztsevFree(matrix->pool, matrix->allZero);
    ztsevFree(matrix->pool, matrix->constant);
    ztsevFree(matrix->pool, matrix);
    return 0;
}
