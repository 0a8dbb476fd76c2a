/*
 * member_name_index.h - the name index of an event name list
 * (ZTSEVEventNamelist): its nodes by name, so that adding a name to a long
 * list does not walk the list for a duplicate or for its end.
 *
 * The index is an open-addressing hash table of the list's nodes keyed by
 * the upper-cased name without trailing blanks (ztsevNameHash), held by the
 * list's first node and allocated from that node's pool.  It belongs to
 * the node it names as its head: a copied first node, or a list whose last
 * node has gained a successor behind the index's back, gets its index
 * built again from the list.  Each name is entered once, at its first node.
 *
 * Exports: ztsevMemberFirst, ztsevMemberAppend, ztsevMemberIndexDrop.
 */
#ifndef ORV_EVENT_MEMBER_NAME_INDEX_H
#define ORV_EVENT_MEMBER_NAME_INDEX_H

#include "event/event_records.h"

/* The first node of *names named name[0..length), or null. */
ZTSEVEventNamelist *ztsevMemberFirst(ZTSEVEventNamelist **names, const char *name, int length);

/* Links node, whose name the list does not hold, at the end of *names. */
void ztsevMemberAppend(ZTSEVEventNamelist **names, ZTSEVEventNamelist *node);

/* Frees the index held by head (may be null), if head owns one. */
void ztsevMemberIndexDrop(ZTSEVEventNamelist *head);

#endif
