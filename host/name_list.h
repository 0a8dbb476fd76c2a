/*
 * name_list.h - reading the names of a name list that the host's statement
 * parser produced (event names, member names, key names of a statement).
 */
#ifndef ORV_HOST_NAME_LIST_H
#define ORV_HOST_NAME_LIST_H

#include <cstdint>

#include "host/host_records.h"

/* The i-th name (numbered from 0 across the chain of blocks) of list:
 * stores a pointer to its text (not terminated) into *text and its length
 * (0 to 255) into *length and returns 0; returns 1, storing nothing, when
 * list is null or i is negative or beyond the last name. */
int zgetnmr(const NAME_LIST_BLOCK *list, int64_t i, const char **text, int *length);

#endif
