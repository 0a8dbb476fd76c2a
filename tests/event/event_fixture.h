/*
 * event_fixture.h - an event list on the test host for the tests of the
 * dummy series: SIMPLE events of dates, keyword events, date keys added to
 * events, COMB events, and the dummy of an event over a series block.
 */
#ifndef ORV_TESTS_EVENT_EVENT_FIXTURE_H
#define ORV_TESTS_EVENT_EVENT_FIXTURE_H

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "event/event_dummy.h"
#include "event/event_list.h"
#include "event/event_names.h"
#include "event/event_qualifiers.h"
#include "event/event_registry.h"
#include "tests/event/dummy_series.h"
#include "tests/support/module_host.h"

namespace orvtest {

struct EventFixture {
    ZTSEV_LIST *list = nullptr;
    MEMORY_OBJECT *pool = nullptr;
    EventFixture()
    {
        orvtest::moduleHost();
        list = ZTSEVNewEventList(nullptr);
        pool = list->basePool;
    }

    /* A SIMPLE event of dates with resolved qualifiers. */
    ZTSEV_EVENT *dates(const char *name, std::vector<double> values, int kind = 8)
    {
        ZTSEVInitSimpleEvent(list, nullptr, name, int64_t(values.size()), values.data(), kind, nullptr);
        ZTSEVCreateEvent(list, name);
        int status = 0;
        return ZTSEVFindEvent(list, name, &status);
    }
    /* The event a keyword stands for. */
    ZTSEV_EVENT *keyword(const char *key)
    {
        int status = 0;
        return ZTSEVFindKeyword(list, list->datekeyList, nullptr, 0, key, int(std::strlen(key)), &status);
    }
    /* Adds date key `key` to event `name`. */
    void addKey(const char *name, const char *key)
    {
        const ORV_COUNTED_NAME field = orvtest::countedName(key);
        ASSERT_EQ(ZTSEVAddDatekeyToEvent(list, name, &field, 1), 0) << key;
    }
    /* A COMB event of the members with a rule. */
    ZTSEV_EVENT *comb(const char *name, std::vector<const char *> members, int rule)
    {
        ZTSEVInitCombEvent(list, nullptr, name, 0, nullptr);
        int status = 0;
        ZTSEV_EVENT *event = ZTSEVFindEvent(list, name, &status);
        for (const char *member : members) ZTSEVAddEventName(list, &event->members, member, ZTSEV_NAMES_KEY_ANY);
        ZTSEVCreateEvent(list, name);
        event->effective.rule = rule;
        return event;
    }
    std::vector<double> dummy(ZTSEV_EVENT *event, const ZTSEV_SERIES *series, int *status)
    {
        double *values = nullptr;
        *status = ZTSEVMakeDummy(list, event, series, &values, pool);
        return values == nullptr ? std::vector<double>{} : std::vector<double>(values, values + series->count);
    }
};

}  // namespace orvtest

#endif
