/*
 * custom_pending.cpp - the custom-interval answers of custom_pending.h for
 * a build without custom-interval operations: nothing can be loaded, so no
 * record ever holds a reference and every question has the answer "none".
 */
#include "interval/custom_pending.h"

#include "host/missing_values.h"

int zintCustomFormat(ZINT_SEAS *rec, char *name, int16_t *nameLength, int16_t *width,
                     int16_t *minWidth)
{
    (void)rec;
    (void)name;
    (void)nameLength;
    (void)width;
    (void)minWidth;
    return -1;
}

double zintCustomSeasonCount(ZINT_SEAS *rec)
{
    (void)rec;
    return orvMissing();
}

int zintCustomEntryName(const ZINT_DESC *desc, char *name, int *length)
{
    (void)desc;
    if (name != nullptr) name[0] = '\0';
    if (length != nullptr) *length = 0;
    return 1;
}

void zintCustomRelease(ZINT_SEAS *rec)
{
    /* No operation ever stores a reference yet; a stray one is dropped
     * rather than followed. */
    if (rec != nullptr) rec->customRef = nullptr;
}
