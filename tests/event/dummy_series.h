/*
 * dummy_series.h - series blocks and events for the tests of the dummy
 * series: a ZTSEV_SERIES built as the driver builds it (first time ID,
 * series interval with its season count, time IDs stepped with INTNX), and
 * SIMPLE events whose effective qualifiers the tests set directly.
 */
#ifndef ORV_TESTS_EVENT_DUMMY_SERIES_H
#define ORV_TESTS_EVENT_DUMMY_SERIES_H

#include <cstring>
#include <string>
#include <vector>

#include "event/event_records.h"
#include "host/civil_days.h"
#include "interval/interval_names.h"
#include "interval/interval_seasons.h"
#include "interval/intnx.h"

namespace orvtest {

/* A series block with its own time-ID storage. */
struct TestSeries {
    std::vector<double> ids;
    ZTSEV_SERIES block{};
};

/* Days from 1 January 1960 to a civil date (2020-01-01 is 21915). */
inline double day(int y, int m, int d) { return double(orvDaysFromCivil(y, m, d)); }

/* n time IDs of `interval` from `first` (aligned to the interval's start),
 * first time ID and season count set; OBS series count from 1. */
inline void makeSeries(TestSeries &s, const char *interval, double first, int64_t n)
{
    ZINT_DESC desc{};
    zintstr(interval, int(std::strlen(interval)), &desc);
    s.block = ZTSEV_SERIES{};
    s.block.interval.interval = desc;
    ZINT_DESC cycle{};
    uint32_t seasons = 0;
    if (zintsea(&desc, &cycle, &seasons, first) == 0) s.block.interval.seasonCount = int32_t(seasons);
    s.ids.clear();
    for (int64_t i = 0; i < n; ++i) s.ids.push_back(zintnx2(&desc, first, double(i)));
    s.block.firstTimeId = s.ids.empty() ? first : s.ids[0];
    s.block.timeIds = s.ids.data();
    s.block.count = n;
}

/* A SIMPLE event with POINT defaults: value 1, durations 0 (stored 1),
 * rule ADD, slopes GROWTH, TC parameter 0.5. */
inline ZTSEV_EVENT simpleEvent(int type = ZTSEV_TYPE_POINT)
{
    ZTSEV_EVENT e{};
    e.cls = ZTSEV_CLASS_SIMPLE;
    e.effective.type = type;
    e.effective.value = 1.0;
    e.effective.before = 1;
    e.effective.after = 1;
    e.effective.rule = ZTSEV_RULE_ADD;
    e.effective.slopeBefore = ZTSEV_SLOPE_GROWTH;
    e.effective.slopeAfter = ZTSEV_SLOPE_GROWTH;
    e.effective.tcParm = 0.5;
    return e;
}

/* A blank-padded counted name field holding text. */
inline ORV_COUNTED_NAME countedName(const char *text)
{
    ORV_COUNTED_NAME field{};
    std::memset(field.text, ' ', sizeof field.text);
    std::memcpy(field.text, text, std::strlen(text));
    field.length = int16_t(std::strlen(text));
    return field;
}

/* Joins values for failure messages. */
inline std::string show(const std::vector<double> &values)
{
    std::string text;
    for (double v : values) text += std::to_string(v) + " ";
    return text;
}

}  // namespace orvtest

#endif
