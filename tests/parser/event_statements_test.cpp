/*
 * event_statements_test.cpp - the parse result of the event statements:
 * the date-key code every holiday and season keyword appends, in both
 * modules, and the timing-value groups the action callback sees for
 * single values and ranges.  Codes are those of the date-key numbering
 * (holidays from 20 in registry order, season n of an interval at its first
 * code + n), typed here from that numbering, not from the grammar.  The
 * grammar's ranges of SHIFT= and DURATION= are those the event data set
 * readers hold rows to (statement_options.h).
 */
#include <string>
#include <vector>

#include "event/statement_options.h"
#include "tests/parser/parse_fixture.h"

namespace {

/* Slots of an event statement (procedures.grammar). */
constexpr int kValues = 3;
constexpr int kKeys = 18;
constexpr int kUserKeys = 19;

std::vector<double> doublesOf(const OPTION_SLOT &slot)
{
    const auto *items = static_cast<const double *>(slot.items);
    return slot.given == ORV_SLOT_LIST ? std::vector<double>(items, items + slot.value.count)
                                       : std::vector<double>{};
}

class EventStatement : public orvtest::ParserTest {};

TEST_F(EventStatement, EveryDateKeyKeywordAppendsItsCode)
{
    struct Family {
        const char *id;
        std::vector<std::string> words; /* season or holiday order */
        int firstCode;                  /* code of the word before the first */
    };
    auto numbered = [](const std::string &stem, int count) {
        std::vector<std::string> words;
        for (int n = 1; n <= count; ++n) words.push_back(stem + "_" + std::to_string(n));
        return words;
    };
    const Family families[] = {
        {"holidays",
         {"EASTER", "THANKSGIVING", "BOXING", "CANADA", "CHRISTMAS", "FATHERS", "HALLOWEEN",
          "USINDEPENDENCE", "LABOR", "MEMORIAL", "MOTHERS", "NEWYEAR", "THANKSGIVINGCANADA",
          "VALENTINES", "VICTORIA", "CANADAOBSERVED", "MLK", "USPRESIDENTS", "VETERANS",
          "VETERANSUSG", "VETERANSUSPS", "COLUMBUS"},
         19},
        {"months",
         {"january", "February", "MARCH", "APRIL", "MAY", "JUNE", "JULY", "AUGUST", "SEPTEMBER",
          "OCTOBER", "NOVEMBER", "DECEMBER"},
         1200},
        {"days", {"SUNDAY", "MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY"}, 700},
        {"QTR", numbered("QTR", 4), 400},
        {"SEMIYEAR", numbered("SEMIYEAR", 2), 200},
        {"WEEK", numbered("WEEK", 53), 5300},
        {"TENDAY", numbered("TENDAY", 36), 1000},
        {"SEMIMONTH", numbered("SEMIMONTH", 24), 1500},
        {"HOUR", numbered("HOUR", 24), 2400},
        {"MINUTE", numbered("MINUTE", 60), 6000},
        {"SECOND", numbered("SECOND", 60), 3600},
    };
    for (const Family &family : families) {
        std::string values;
        std::vector<double> expected;
        for (size_t i = 0; i < family.words.size(); ++i) {
            values += " " + family.words[i];
            expected.push_back(family.firstCode + double(i) + 1);
        }
        for (bool kivevents : {false, true}) {
            SCOPED_TRACE(std::string(family.id) + (kivevents ? " KIVEVENTS" : " VORNAK"));
            std::string text = std::string(kivevents ? "KIVEVENTS" : "VORNAK") + "; EVENTDEF e =" +
                               values + ";";
            orvtest::ParseRun run = kivevents ? this->kivevents(text) : vornak(text);
            ASSERT_EQ(run.status, 0) << run.log;
            const STATEMENT_NODE *event = run.procedure()->next;
            ASSERT_NE(event, nullptr);
            EXPECT_EQ(doublesOf(event->options[kKeys]), expected);
            EXPECT_EQ(event->options[kUserKeys].given, ORV_SLOT_NOT_GIVEN);
        }
    }
}

/* What the timing callback saw: sub-action, token kind, values so far. */
struct TimingCall {
    int subAction, tokenKind;
    int64_t listCount;
    bool operator==(const TimingCall &) const = default;
};
std::vector<TimingCall> timingCalls;

int recordCall(void *, const PARSE_TOKEN *token, const PARSE_ACTION *action)
{
    timingCalls.push_back({action->arguments[0], token->kind, action->listCount});
    return 0;
}

TEST_F(EventStatement, EachValueAndEachRangeIsOneTimingGroup)
{
    struct Case {
        const char *id;
        const char *values;
        std::vector<double> stored;
        std::vector<TimingCall> calls;
    };
    const Case cases[] = {
        {"single values", "4 '01JAN2020'd", {4, 21915},
         {{1, ORV_TOKEN_INT, 0}, {2, ORV_TOKEN_INT, 1}, {1, ORV_TOKEN_DATE, 1}, {2, ORV_TOKEN_DATE, 2}}},
        {"observation range then a keyword and a value", "4 TO 6 CHRISTMAS 9",
         {4, 5, 6, 9},
         {{1, ORV_TOKEN_INT, 0}, {2, ORV_TOKEN_INT, 3}, {1, ORV_TOKEN_INT, 3}, {2, ORV_TOKEN_INT, 4}}},
        {"date range by month keeps the off-grid start", "'15JAN2020'd TO '01MAR2020'd BY MONTH",
         {21929, 21946, 21975}, {{1, ORV_TOKEN_DATE, 0}, {2, ORV_TOKEN_NAMEX, 3}}},
        {"one-value range", "'01JAN2020:00:00'dt TO '01JAN2020:00:00'dt", {1893456000},
         {{1, ORV_TOKEN_DATETIME, 0}, {2, ORV_TOKEN_DATETIME, 1}}},
        {"time range by the default hour", "'22:30't TO '23:59't", {81000, 82800},
         {{1, ORV_TOKEN_TIME, 0}, {2, ORV_TOKEN_TIME, 2}}},
    };
    actionCallback = recordCall;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        timingCalls.clear();
        orvtest::ParseRun run = vornak(std::string("VORNAK; EVENTDEF e = ") + c.values + ";");
        ASSERT_EQ(run.status, 0) << run.log;
        EXPECT_EQ(doublesOf(run.procedure()->next->options[kValues]), c.stored);
        EXPECT_EQ(timingCalls, c.calls);
    }
}

/* The grammar takes SHIFT= and DURATION= up to the limits the event data
 * set readers take, and refuses one past them: the two cannot drift apart. */
TEST_F(EventStatement, QualifierRangesAreTheDataSetReadersRanges)
{
    const std::string shift = std::to_string(ZTSEV_SHIFT_LIMIT), duration = std::to_string(ZTSEV_DURATION_LIMIT);
    const std::string shiftPast = std::to_string(ZTSEV_SHIFT_LIMIT + 1);
    const std::string durationPast = std::to_string(ZTSEV_DURATION_LIMIT + 1);
    struct Case {
        std::string id;
        std::string options;
        bool taken;
    };
    const Case cases[] = {
        {"q1 shift at the upper limit", "SHIFT=" + shift, true},
        {"q2 shift at the lower limit", "SHIFT=-" + shift, true},
        {"q3 shift past the upper limit", "SHIFT=" + shiftPast, false},
        {"q4 shift past the lower limit", "SHIFT=-" + shiftPast, false},
        {"q5 duration at its limit", "BEFORE=(DURATION=" + duration + ")", true},
        {"q6 duration past its limit", "AFTER=(DURATION=" + durationPast + ")", false},
        {"q7 negative duration", "BEFORE=(DURATION=-1)", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        orvtest::ParseRun run = vornak("VORNAK; EVENTDEF e = 1 / " + c.options + ";");
        EXPECT_EQ(run.status == 0, c.taken) << run.log;
        TearDown();
    }
}

}  // namespace
