/*
 * event_list_dump.h - a readable dump of an event list for golden tests:
 * counts, every event with its class, timing values, kinds and runs, date
 * keys, members, given and effective qualifiers, and the list's data-set
 * records.
 */
#ifndef ORV_TESTS_EVENT_EVENT_LIST_DUMP_H
#define ORV_TESTS_EVENT_EVENT_LIST_DUMP_H

#include <string>

#include "event/event_records.h"

namespace orvtest {

std::string dumpEventList(const ZTSEV_LIST *list);

/* Compares text with the golden file tests/event/golden/<name>.txt; with
 * ORV_UPDATE_GOLDEN set in the environment the file is written instead. */
void expectGolden(const std::string &name, const std::string &text);

}  // namespace orvtest

#endif
