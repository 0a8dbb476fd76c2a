/*
 * statement_golden_test.cpp - every event statement and option of both
 * procedures, parsed, walked into an event list and finished; the list
 * and the notes compared with golden files checked by hand
 * (tests/event/golden/).
 */
#include "tests/event/statement_fixture.h"

namespace {

/* The statements of both modules; AND, OR and SUMMARY are VORNAK's. */
const char *const kStatements = R"(
  EVENTDEF promo = 3 5 TO 8, '15JAN2020'd TO '01MAR2020'd BY MONTH '30DEC2019'd TO '02JAN2020'd
                   '10:00't TO '12:00't '01JAN2020:06:00'dt TO '03JAN2020:00:00'dt
                   christmas NewYear JANUARY sunday QTR_2 HOUR_3 JUNETEENTH DTMONTH_3
                   AO01JAN2020D X1W2JANYR
        / TYPE=LS VALUE=-2.5 TCPARM=0.3 PULSE=MONTH PERIOD=QTR.2 SHIFT=-2
          BEFORE=(DURATION=3 SLOPE=DECAY) AFTER=(SLOPE=GROWTH DURATION=ALL) RULE=MINNZ
          LABEL='Sales drop' LOCALE=en_US;
  EVENTDEF bare;
  EVENTDEF unknown = 5 SEASONAL mykey;
  EVENTDEF ramp = 1 TO 4 / TYPE=RAMP AFTER=(DURATION=2);
  EVENTKEY xmas = CHRISTMAS / TYPE=TC VALUE=2 PULSE=WEEK SHIFT=1 BEFORE=(SLOPE=GROWTH) RULE=MAX
           LABEL="Christmas" LOCALE='fr';
  EVENTKEY linear;
  EVENTKEY ao = AO01JAN2020D;
  EVENTKEY ramp / VALUE=5;
  EVENTKEY ramp2 = ramp / SHIFT=3;
  EVENTCOMB both = xmas, ramp ao / RULE=MULT LABEL='either' LOCALE=de;
  EVENTCOMB pair = xmas nosuch xmas;
  EVENTGROUP g = (xmas, both ao) / LABEL='group' LOCALE='it';
  EVENTGROUP s = SEASONAL;
  EVENTGROUP MONTHS;
  EVENTDATA OUT=t.events CONDENSE;
  EVENTDUMMY OUT=t.dummies IN;
)";

class StatementGolden : public orvtest::EventStatementTest {};

TEST_F(StatementGolden, Vornak)
{
    ZTSEV_LIST *list = events(false, std::string("VORNAK;") + kStatements +
                                         "EVENTDUMMY OUT=t.summed SUMMARY=total; EVENTDUMMY OUT=t.plain SUMMARY;"
                                         "EVENTCOMB any = xmas ramp / RULE=OR;");
    orvtest::expectGolden("vornak_statements", orvtest::dumpEventList(list) + "--- log\n" + log);
}

TEST_F(StatementGolden, Kivevents)
{
    ZTSEV_LIST *list = events(true, std::string("KIVEVENTS;") + kStatements);
    orvtest::expectGolden("kivevents_statements", orvtest::dumpEventList(list) + "--- log\n" + log);
}

}  // namespace
