/*
 * exact_copies.h - occurrences that have many copies (date keys reached by
 * many paths) merged by ADD or MULT all at once, where merging every copy
 * one by one would be exact.
 *
 * Each distinct occurrence is laid out once, alone; at every observation
 * its copies merge the value it writes there as many times as they are.
 * When every value is a whole number and every sum (ADD) or product (MULT)
 * of them and of the value already there stays within 2^53 in magnitude,
 * each merge one by one is exact whatever its order, so the result is the
 * exact sum or product, worked out once per observation.  Otherwise
 * nothing is written and the copies are merged one by one.
 *
 * Exports: ztsevMergeCopiesExactly.
 */
#ifndef ORV_EVENT_EXACT_COPIES_H
#define ORV_EVENT_EXACT_COPIES_H

#include <vector>

#include "event/datekey_expansion.h"
#include "event/event_records.h"

/*
 * Merges occurrences (with the key event key, or null) into the finished
 * series values of event by its rule, ADD or MULT.
 * Returns true when merged; false, with values untouched, for another
 * rule, an occurrence that gives a non-zero status alone, or a merge that
 * would not be exact.  Work arrays come from scratch.
 */
bool ztsevMergeCopiesExactly(const ZTSEV_EVENT *event, const ZTSEV_EVENT *key, const ZTSEV_SERIES *series,
                             const std::vector<ZTSEV_REPEATED> &occurrences, double *values, MEMORY_OBJECT *scratch);

#endif
