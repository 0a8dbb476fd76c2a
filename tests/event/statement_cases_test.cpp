/*
 * statement_cases_test.cpp - the event statements' faults and edge cases:
 * the notes each writes (exact log lines) and the events that stay, one
 * line per case; list finishing's repeated-name limit and date keys of the
 * date-key list; the group events built for a series interval.
 */
#include <cstring>
#include <string>
#include <vector>

#include "event/event_groups.h"
#include "event/event_names.h"
#include "interval/interval_names.h"
#include "tests/event/statement_fixture.h"

namespace {

std::string nameOf(const ZTSEV_EVENT *e) { return std::string(e->name.text, size_t(e->name.length)); }

/* Names and classes of the list's events: "a:1 c:3". */
std::string eventsOf(const ZTSEV_LIST *list)
{
    std::string text;
    for (const ZTSEV_EVENT *e = list->first; e != nullptr; e = e->next)
        text += (text.empty() ? "" : " ") + nameOf(e) + ":" + std::to_string(e->cls);
    return text;
}

std::string membersOf(const ZTSEV_EVENT *e)
{
    std::string text;
    for (const ZTSEVEventNamelist *m = e->members; m != nullptr; m = m->next)
        text += (text.empty() ? "" : " ") + std::string(m->name.text, size_t(m->name.length));
    return text;
}

const ZTSEV_EVENT *find(const ZTSEV_LIST *list, const std::string &name)
{
    for (const ZTSEV_EVENT *e = list->first; e != nullptr; e = e->next)
        if (nameOf(e) == name) return e;
    return nullptr;
}

class EventStatementCases : public orvtest::EventStatementTest {};

TEST_F(EventStatementCases, NotesAndTheEventsThatStay)
{
    const std::string longLabel(300, 'x');
    struct Case {
        const char *id;
        std::string statements;
        std::string log;    /* every line written */
        std::string events; /* name:class in list order */
        int dummies = -1;   /* the list's dummy-column count; -1 not checked */
    };
    const Case cases[] = {
        {"combination listing itself is dropped", "EVENTDEF a = 1; EVENTCOMB c = a c;",
         "NOTE: The combination c lists itself as a member; it is left out.\n", "a:1"},
        {"group listing itself is dropped", "EVENTDEF a = 1; EVENTGROUP g = (a G);",
         "NOTE: The group g lists itself as a member; it is left out.\n", "a:1"},
        {"EVENTKEY on a combination goes to the registry", "EVENTDEF a = 1; EVENTCOMB c = a; EVENTKEY k = c;",
         "NOTE: The event key c is not recognised; it is left out.\n", "a:1 c:3"},
        {"EVENTKEY on a combination read from a data set is no copy", "EVENTDATA IN=T.keyed; EVENTKEY k = c;",
         "NOTE: The event key c is not recognised; it is left out.\n", "a:1 s:6 c:3 g:5", 2},
        {"EVENTKEY on a group read from a data set is no copy", "EVENTDATA IN=T.keyed; EVENTKEY k = g;",
         "NOTE: The event key g is not recognised; it is left out.\n", "a:1 s:6 c:3 g:5", 2},
        {"EVENTKEY copies a predefined group without a dummy column", "EVENTDATA IN=T.keyed; EVENTKEY k = s;", "",
         "a:1 s:6 c:3 g:5 k:6", 2},
        {"EVENTKEY on SEASONAL makes nothing", "EVENTKEY s = SEASONAL / TYPE=LS;",
         "NOTE: The event key SEASONAL is not recognised; it is left out.\n", ""},
        {"EVENTKEY on a keyword", "EVENTKEY x = CHRISTMAS;", "", "x:1"},
        {"EVENTKEY on its own name changes that event", "EVENTDEF x = 1; EVENTKEY x / TYPE=LS;", "", "x:1"},
        {"EVENTKEY copies a known event", "EVENTDEF x = 1; EVENTKEY y = X;", "", "x:1 y:1"},
        {"undefined date key drops its event", "EVENTDEF e = nokey; EVENTDEF f = 1;",
         "NOTE: The date key NOKEY is not defined; it gives no dates.\n", "f:1"},
        {"two undefined date keys drop the event once", "EVENTDEF e = k1 k2 CHRISTMAS;",
         "NOTE: The date key K1 is not defined; it gives no dates.\n"
         "NOTE: The date key K2 is not defined; it gives no dates.\n",
         ""},
        {"event without values or keys stays", "EVENTDEF e;",
         "NOTE: The event e has neither timing values nor date keys.\n", "e:1"},
        {"group member named twice is left out", "EVENTDEF a = 1; EVENTGROUP g = (a, A);",
         "NOTE: The event A is listed more than once; the repeat is ignored.\n", "a:1 g:5"},
        {"unknown group member is left out", "EVENTGROUP g = (zz CHRISTMAS);",
         "NOTE: The event key zz is not recognised; it is left out.\n", "g:5 CHRISTMAS:1"},
        {"unknown combination member is left out", "EVENTCOMB c = zz;",
         "NOTE: The event zz is not defined; it is left out.\n", "c:3"},
        {"WEASTER as a combination member makes no event", "EVENTCOMB c = WEASTER;", "", "c:3"},
        {"group word that is no group keeps the group", "EVENTGROUP g = FOO;",
         "NOTE: FOO is not a predefined event group.\n", "g:5"},
        {"MONTHS is one group of twelve month events", "EVENTGROUP MONTHS;", "",
         "MONTHS:5 JANUARY:1 FEBRUARY:1 MARCH:1 APRIL:1 MAY:1 JUNE:1 JULY:1 AUGUST:1 SEPTEMBER:1 "
         "OCTOBER:1 NOVEMBER:1 DECEMBER:1"},
        {"SEASONAL waits for the series", "EVENTGROUP s = SEASONAL;", "", "s:6"},
        {"repeated name keeps the last definition", "EVENTDEF a = 1; EVENTDEF b = 2; EVENTDEF A = 3;",
         "NOTE: The event a is defined again; the later definition replaces it.\n", "b:1 A:1"},
        {"label of 300 characters is cut to 256", "EVENTDEF a = 1 / LABEL='" + longLabel + "';",
         "WARNING: The label is too long and is cut.\n", "a:1"},
        {"locale of 40 characters is cut to 32", "EVENTDEF a = 1 / LOCALE='" + std::string(40, 'l') + "';",
         "WARNING: The locale is too long and is cut.\n", "a:1"},
    };
    writeDataSet("keyed",
                 "_NAME_,_CLASS_,_KEYNAME_,_STARTOBS_\n"
                 "a,SIMPLE,.,1\nc,COMB,a,.\ng,COMPLEX,a,.\ns,PREDEFCOMP,SEASONAL,.\n",
                 "");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZTSEV_LIST *list = events(false, "VORNAK; " + c.statements);
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(eventsOf(list), c.events);
        if (c.dummies >= 0) {
            EXPECT_EQ(list->dummyCount, c.dummies);
        }
        if (std::string(c.id).find("label") != std::string::npos) {
            EXPECT_EQ(list->first->labelLength, 256);
        }
        if (std::string(c.id).find("locale") != std::string::npos) {
            EXPECT_EQ(list->first->locale.length, 32);
            EXPECT_EQ(list->first->given.locale.length, 32);
        }
        if (std::string(c.id) == "EVENTKEY on its own name changes that event") {
            EXPECT_EQ(list->first->effective.type, ZTSEV_TYPE_LS);
        }
        if (std::string(c.id) == "MONTHS is one group of twelve month events") {
            EXPECT_EQ(list->dummyCount, 12);
            EXPECT_EQ(membersOf(list->first),
                      "JANUARY FEBRUARY MARCH APRIL MAY JUNE JULY AUGUST SEPTEMBER OCTOBER NOVEMBER DECEMBER");
        }
    }
}

TEST_F(EventStatementCases, EventkeyWithTheOwnNameInOtherCaseRenamesTheEvent)
{
    ZTSEV_LIST *list = events(false, "VORNAK; EVENTDEF x = 1; EVENTKEY X = x / VALUE=3;");
    EXPECT_EQ(eventsOf(list), "X:1");
    EXPECT_EQ(list->first->effective.value, 3);
}

TEST_F(EventStatementCases, RepeatedNamesStopAtTheNoteLimit)
{
    /* limit 2, four repeats: three notes, the summary with the third, then
     * nothing */
    ZTSEV_LIST *list = events(false, "VORNAK; EVENTDEF a = 1; EVENTDEF a = 2; EVENTDEF a = 3; "
                                     "EVENTDEF a = 4; EVENTDEF a = 5;",
                              false);
    list->noteLimit = 2;
    ZTSEVCreateEvents(list, nullptr);
    const std::string note = "NOTE: The event a is defined again; the later definition replaces it.\n";
    EXPECT_EQ(orvtest::takeLog(), note + note + note +
                                      "NOTE: The limit of repeated notes is reached; further notes of "
                                      "this kind are not written.\n");
    EXPECT_EQ(list->notesIssued, 4);
    ASSERT_EQ(list->eventCount, 1);
    EXPECT_EQ(list->first->timingValues[0], 5);
}

TEST_F(EventStatementCases, DateKeysOfTheDatekeyListAreUserKeys)
{
    ZTSEV_LIST *list = events(false, "VORNAK; EVENTDEF a = mykey; EVENTDEF b = CHRISTMAS; EVENTDEF c = NEWYEAR;",
                              false);
    double day = 21915;
    ZTSEVInitSimpleEvent(list->datekeyList, nullptr, "MYKEY", 1, &day, ZTSEV_KIND_DATE, nullptr);
    ZTSEVInitSimpleEvent(list->datekeyList, nullptr, "CHRISTMAS", 1, &day, ZTSEV_KIND_DATE, nullptr);
    ZTSEVCreateEvents(list, nullptr);
    EXPECT_EQ(orvtest::takeLog(), "");
    ASSERT_EQ(eventsOf(list), "a:1 b:1 c:1");
    EXPECT_EQ(list->first->datekeyCodes[0], ZTSEV_USER_DATEKEY);
    EXPECT_EQ(list->first->next->datekeyCodes[0], ZTSEV_USER_DATEKEY);
    EXPECT_EQ(list->last->datekeyCodes[0], 31);
}

/* A series block of the interval named `interval` (none for ""). */
ZTSEV_SERIES seriesOf(const char *interval)
{
    ZTSEV_SERIES series{};
    series.firstTimeId = 21915;
    if (*interval != '\0') {
        EXPECT_EQ(zintstr(interval, int(std::strlen(interval)), &series.interval.interval), 0);
    }
    return series;
}

TEST_F(EventStatementCases, GroupEventsForTheSeriesInterval)
{
    struct Case {
        const char *id;
        const char *statements;
        const char *interval;
        const char *log;
        const char *events;
    };
    const Case cases[] = {
        {"SEASONAL on a monthly series adds MONTHS", "EVENTGROUP s = SEASONAL;", "MONTH", "",
         "s:6 MONTHS:5 JANUARY:1 FEBRUARY:1 MARCH:1 APRIL:1 MAY:1 JUNE:1 JULY:1 AUGUST:1 SEPTEMBER:1 "
         "OCTOBER:1 NOVEMBER:1 DECEMBER:1"},
        {"SEASONAL on a yearly series", "EVENTGROUP s = SEASONAL; EVENTGROUP t = SEASONAL;", "YEAR",
         "NOTE: The group SEASONAL is not built: the series interval has fewer than two seasons.\n", "s:6 t:6"},
        {"a group named by its own resolved word is replaced", "EVENTGROUP DTMONTHS = SEASONAL;", "DTMONTH",
         "", "DTMONTHS:5 DTMONTH_1:1 DTMONTH_2:1 DTMONTH_3:1 DTMONTH_4:1 DTMONTH_5:1 DTMONTH_6:1 "
         "DTMONTH_7:1 DTMONTH_8:1 DTMONTH_9:1 DTMONTH_10:1 DTMONTH_11:1 DTMONTH_12:1"},
        {"an event of the resolved name already there", "EVENTDEF QTRS = 1; EVENTGROUP s = SEASONAL;", "QTR",
         "", "QTRS:1 s:6"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ZTSEV_LIST *list = events(false, std::string("VORNAK; ") + c.statements);
        ZTSEV_SERIES series = seriesOf(c.interval);
        EXPECT_EQ(ZTSEVCreateGroupEvents(list, &series, nullptr), 0);
        EXPECT_EQ(orvtest::takeLog(), c.log);
        EXPECT_EQ(eventsOf(list), c.events);
        const ZTSEV_EVENT *months = find(list, "MONTHS");
        if (months != nullptr) {
            EXPECT_EQ(membersOf(months), "JANUARY FEBRUARY MARCH APRIL MAY JUNE JULY AUGUST SEPTEMBER "
                                         "OCTOBER NOVEMBER DECEMBER");
        }
    }
}

TEST_F(EventStatementCases, GroupWalkSkipsWordlessGroupsAndEndsWithoutASeriesInterval)
{
    ZTSEV_LIST *list = events(false, "VORNAK; EVENTDEF a = 1;");
    int status = 0;
    /* a predefined group read from a data set row without its word */
    ZTSEVNewItem(list, nullptr, "bare", ZTSEV_CLASS_PREDEFCOMP, &status);
    /* a group word whose expansion waits for a series interval: its group
     * replaces the event of that name once, and the walk ends */
    ZTSEV_EVENT *years = ZTSEVNewItem(list, nullptr, "years", ZTSEV_CLASS_PREDEFCOMP, &status);
    ZTSEVAddEventName(list, &years->members, "YEARS", ZTSEV_NAMES_ANY);
    ZTSEV_SERIES series = seriesOf("");
    EXPECT_EQ(ZTSEVCreateGroupEvents(list, &series, nullptr), 0);
    EXPECT_EQ(orvtest::takeLog(), "NOTE: The group bare cannot be resolved for the series interval.\n");
    EXPECT_EQ(eventsOf(list), "a:1 bare:6 YEARS:6");
    EXPECT_EQ(list->dummyCount, 1);
}

TEST_F(EventStatementCases, GroupThatCannotBeBuiltLeavesTheList)
{
    ZTSEV_LIST *list = events(false, "VORNAK; EVENTDEF a = 1;");
    int status = 0;
    ZTSEV_EVENT *years = ZTSEVNewItem(list, nullptr, "yr", ZTSEV_CLASS_PREDEFCOMP, &status);
    ZTSEVAddEventName(list, &years->members, "YEARS", ZTSEV_NAMES_ANY);
    ZTSEV_SERIES series = seriesOf("YEAR");
    EXPECT_EQ(ZTSEVCreateGroupEvents(list, &series, nullptr), 0);
    EXPECT_EQ(orvtest::takeLog(),
              "NOTE: The group YEARS is not built: the series interval has fewer than two seasons.\n");
    EXPECT_EQ(eventsOf(list), "a:1 yr:6");
    EXPECT_EQ(list->eventCount, 2);
    EXPECT_EQ(list->last, years);
}

}  // namespace
