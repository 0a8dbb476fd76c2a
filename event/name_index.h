/*
 * name_index.h - the name index of an event list: its records by name,
 * kept beside the chain so that finding an event by name does not walk
 * the list.
 *
 * The index is an open-addressing hash table keyed by the upper-cased
 * name (trailing blanks dropped), allocated from the list's base pool and
 * freed with it; a zero-filled list has an empty index.  Each entry holds
 * the first and last record of its name, and the records of one name are
 * chained in list order through their sameNamePrev and sameNameNext
 * fields.  Names are matched as ztsevSameName matches them.
 *
 * The chain operations of event_list.cpp keep it in step: every record
 * linked into a list is entered (ztsevIndexLinked), every record unlinked
 * is removed (ztsevIndexUnlinked), and a linked record is renamed only
 * through ztsevRenameEvent.
 *
 * Exports: ztsevIndexLinked, ztsevIndexUnlinked, ztsevIndexFirst,
 * ztsevIndexCount, ztsevRenameEvent, ztsevNameHash.
 */
#ifndef ORV_EVENT_NAME_INDEX_H
#define ORV_EVENT_NAME_INDEX_H

#include <cstdint>

#include "event/event_records.h"

/* Enters item, just linked into list's chain, at its place among the
 * records of its name. */
void ztsevIndexLinked(ZTSEV_LIST *list, ZTSEV_EVENT *item);

/* Removes item, being unlinked from list's chain, from the index. */
void ztsevIndexUnlinked(ZTSEV_LIST *list, ZTSEV_EVENT *item);

/* The first record (in list order) named name[0..length), or null. */
ZTSEV_EVENT *ztsevIndexFirst(const ZTSEV_LIST *list, const char *name, int length);

/* Records named name[0..length); *last (may be null) becomes the last of
 * them (null when there is none). */
int64_t ztsevIndexCount(const ZTSEV_LIST *list, const char *name, int length, ZTSEV_EVENT **last);

/* Gives event, linked into list, the name `name` (ZTSEVlenORVname
 * characters), keeping the index in step. */
void ztsevRenameEvent(ZTSEV_LIST *list, ZTSEV_EVENT *event, const char *name);

/* FNV-1a of the upper-cased name[0..length) without its trailing blanks:
 * names that ztsevSameName matches hash alike. */
uint64_t ztsevNameHash(const char *name, int length);

#endif
