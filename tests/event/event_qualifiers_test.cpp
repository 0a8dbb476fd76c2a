/*
 * event_qualifiers_test.cpp - given qualifiers and the effective ones they
 * resolve to: defaults by type and pulse, the rule by list kind, the
 * default label, and values that cannot be given (missing, infinite, out of
 * range).
 */
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "event/event_list.h"
#include "event/event_qualifiers.h"
#include "host/missing_values.h"
#include "tests/support/module_host.h"

namespace {

const double kMiss = orvMissing();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct DefaultCase {
    const char *id;
    double type, pulse, before, after, slopeBefore, slopeAfter;
    /* effective */
    int eType;
    int64_t eBefore, eAfter;
    int eSlopeBefore, eSlopeAfter;
};

TEST(EventQualifiers, DefaultsByTypeAndPulse)
{
    orvtest::moduleHost();
    const std::vector<DefaultCase> cases = {
        {"point", kMiss, kMiss, kMiss, kMiss, kMiss, kMiss, 1, 1, 1, 2, 2},
        {"ls", 2, kMiss, kMiss, kMiss, kMiss, kMiss, 2, 1, 0, 2, 2},
        {"linear", 6, kMiss, kMiss, kMiss, kMiss, kMiss, 6, 0, 0, 2, 2},
        {"quad", 7, kMiss, kMiss, kMiss, kMiss, kMiss, 7, 0, 0, 2, 2},
        {"cubic", 8, kMiss, kMiss, kMiss, kMiss, kMiss, 8, 0, 0, 2, 2},
        {"ls-with-pulse", 2, 45, kMiss, kMiss, kMiss, kMiss, 2, 1, 1, 2, 2},
        {"after-3-only", 2, kMiss, kMiss, 3, kMiss, kMiss, 2, 1, 4, 2, 2},
        {"before-2-only", 1, kMiss, 2, kMiss, kMiss, kMiss, 1, 3, 1, 2, 2},
        {"before-all", 2, kMiss, -1, 0, kMiss, kMiss, 2, 0, 1, 2, 2},
        {"tc", 5, kMiss, kMiss, kMiss, kMiss, kMiss, 5, 1, 0, 2, 1},
        {"tc-slopes-given", 5, kMiss, kMiss, kMiss, 1, 2, 5, 1, 0, 1, 2},
        {"type-truncated", 2.9, kMiss, kMiss, kMiss, kMiss, kMiss, 2, 1, 0, 2, 2},
    };
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    for (const DefaultCase &c : cases) {
        ZTSEVInitSimpleEvent(list, nullptr, c.id, 0, nullptr, 8, nullptr);
        ZTSEV_QUAL qual;
        ZTSEVInitQualList(&qual);
        qual.type = c.type;
        qual.pulse = c.pulse;
        qual.durationBefore = c.before;
        qual.durationAfter = c.after;
        qual.slopeBefore = c.slopeBefore;
        qual.slopeAfter = c.slopeAfter;
        ASSERT_EQ(ZTSEVSetQualifierList(list, c.id, qual), 0) << c.id;
        ASSERT_EQ(ZTSEVCreateEvent(list, c.id), 0) << c.id;
        int status = -1;
        const ZTSEV_EVENT *event = ZTSEVFindEvent(list, c.id, &status);
        const ZTSEV_EFFECTIVE &e = event->effective;
        EXPECT_EQ(e.type, c.eType) << c.id;
        EXPECT_EQ(e.before, c.eBefore) << c.id;
        EXPECT_EQ(e.after, c.eAfter) << c.id;
        EXPECT_EQ(e.slopeBefore, c.eSlopeBefore) << c.id;
        EXPECT_EQ(e.slopeAfter, c.eSlopeAfter) << c.id;
        EXPECT_EQ(e.value, 1.0) << c.id;
        EXPECT_EQ(e.tcParm, 0.5) << c.id;
        EXPECT_EQ(e.shift, 0) << c.id;
        EXPECT_EQ(e.rule, 1) << c.id;
        EXPECT_EQ(e.pulse.code, std::isnan(c.pulse) ? 0 : int(c.pulse)) << c.id;
        EXPECT_EQ(e.period.code, 0) << c.id;
    }
}

TEST(EventQualifiers, RuleByListKindAndDefaultLabel)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    ZTSEV_LIST *keys = list->datekeyList;
    ZTSEVInitSimpleEvent(list, nullptr, "Sale", 0, nullptr, 8, nullptr);
    ZTSEVInitSimpleEvent(keys, nullptr, "KeyDay", 0, nullptr, 8, nullptr);
    ASSERT_EQ(ZTSEVCreateEvent(list, "SALE"), 0);
    ASSERT_EQ(ZTSEVCreateEvent(keys, "keyday"), 0);
    EXPECT_EQ(list->first->effective.rule, 1);
    EXPECT_EQ(keys->first->effective.rule, 8);
    /* The default label is the text of (883, 441) with the name as given. */
    const ZTSEV_EVENT *sale = list->first;
    EXPECT_EQ(sale->labelSet, 1);
    EXPECT_EQ(std::string(sale->label, size_t(sale->labelLength)), "Event Sale");
    EXPECT_EQ(sale->label, sale->defaultLabel);

    /* A given label and rule win. */
    static const char kLabel[] = "Store sale";
    ZTSEV_EVENT *given = list->first;
    given->given.labelGiven = 1;
    given->given.labelLength = 10;
    given->given.label = kLabel;
    ASSERT_EQ(ZTSEVSetQualifier(list, "Sale", ZTSEV_QID_RULE, 6), 0);
    ASSERT_EQ(ZTSEVCreateEvent(list, "Sale"), 0);
    EXPECT_EQ(std::string(given->label, size_t(given->labelLength)), kLabel);
    EXPECT_EQ(given->effective.rule, 6);

    EXPECT_EQ(ZTSEVCreateEvent(list, "NOSUCH"), 3);
    EXPECT_EQ(ZTSEVCreateEvent(nullptr, "SALE"), 2);
    EXPECT_EQ(ZTSEVSetQualifier(list, "SALES", ZTSEV_QID_RULE, 6), 3);
}

struct SetCase {
    const char *id;
    int qid;
    double value;
    bool given;
};

/* Values that are no usable number are not given: nothing is set and the
 * default stays (a NaN or infinity cast to an integer would be undefined). */
TEST(EventQualifiers, UnusableValuesAreNotGiven)
{
    orvtest::moduleHost();
    const double bigger = 9.3e18;
    const std::vector<SetCase> cases = {
        {"type-nan", ZTSEV_QID_TYPE, std::nan(""), false},
        {"type-inf", ZTSEV_QID_TYPE, kInf, false},
        {"type-2^31", ZTSEV_QID_TYPE, 2147483648.0, false},
        {"type-ok", ZTSEV_QID_TYPE, 2, true},
        {"rule-neg-inf", ZTSEV_QID_RULE, -kInf, false},
        {"rule-special-missing", ZTSEV_QID_RULE, std::bit_cast<double>(orvLetterMissingBits(0)), false},
        {"before-huge", ZTSEV_QID_BEFORE, bigger, false},
        {"before-ok", ZTSEV_QID_BEFORE, 3.7, true},
        {"after-inf", ZTSEV_QID_AFTER, kInf, false},
        {"shift-huge", ZTSEV_QID_SHIFT, -bigger, false},
        {"shift-ok", ZTSEV_QID_SHIFT, -2, true},
        {"slope-2^40", ZTSEV_QID_SLOPE_BEFORE, 1099511627776.0, false},
        {"pulse-nan", ZTSEV_QID_PULSE, kMiss, false},
        {"pulse-unknown", ZTSEV_QID_PULSE, 44, false},
        {"pulse-2^40", ZTSEV_QID_PULSE, 1099511627776.0, false},
        {"pulse-month", ZTSEV_QID_PULSE, 45, true},
        {"period-inf", ZTSEV_QID_PERIOD, kInf, false},
        {"value-inf", ZTSEV_QID_VALUE, kInf, true},
        {"value-missing", ZTSEV_QID_VALUE, kMiss, false},
        {"label-id", ZTSEV_QID_LABEL, 1, false},
    };
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    for (const SetCase &c : cases) {
        ZTSEVInitSimpleEvent(list, nullptr, c.id, 0, nullptr, 8, nullptr);
        ASSERT_EQ(ZTSEVSetQualifier(list, c.id, c.qid, c.value), 0) << c.id;
        int status = -1;
        const ZTSEV_GIVEN &g = ZTSEVFindEvent(list, c.id, &status)->given;
        int flags = g.typeGiven + g.ruleGiven + g.beforeGiven + g.afterGiven + g.shiftGiven + g.slopeBeforeGiven +
                    g.pulseGiven + g.periodGiven + g.valueGiven + g.labelGiven + g.anyDurationGiven + g.anySlopeGiven;
        bool durationOrSlope = c.qid == ZTSEV_QID_BEFORE || c.qid == ZTSEV_QID_AFTER || c.qid == ZTSEV_QID_SLOPE_BEFORE;
        EXPECT_EQ(flags, c.given ? (durationOrSlope ? 2 : 1) : 0) << c.id;
    }
    int status = -1;
    EXPECT_EQ(ZTSEVFindEvent(list, "before-ok", &status)->given.before, 3);
    EXPECT_EQ(ZTSEVFindEvent(list, "shift-ok", &status)->given.shift, -2);
}

/* The setters act on the last record of a name, CreateEventDup on the k-th. */
TEST(EventQualifiers, RepeatedNames)
{
    orvtest::moduleHost();
    ZTSEV_LIST *list = ZTSEVNewEventList(nullptr);
    for (int i = 0; i < 3; ++i) ZTSEVInitSimpleEvent(list, nullptr, "TWICE", 0, nullptr, 8, nullptr);
    ASSERT_EQ(ZTSEVSetQualifier(list, "twice", ZTSEV_QID_VALUE, 5), 0);
    EXPECT_EQ(list->first->given.valueGiven, 0);
    EXPECT_EQ(list->last->given.valueGiven, 1);
    int k = 2;
    EXPECT_EQ(ZTSEVCreateEventDup(list, "TWICE", &k), 0);
    EXPECT_EQ(k, 3);
    EXPECT_EQ(list->first->next->labelSet, 1);
    EXPECT_EQ(list->last->labelSet, 0);
    k = 4;
    EXPECT_EQ(ZTSEVCreateEventDup(list, "TWICE", &k), 3);
    k = 0;
    EXPECT_EQ(ZTSEVCreateEventDup(list, "TWICE", &k), 0);
    EXPECT_EQ(list->last->labelSet, 1);
    EXPECT_EQ(list->last->effective.value, 5);
}

}  // namespace
