/*
 * parse_errors_test.cpp - malformed statements: each gives its message with
 * file, line and column and a non-zero parse status; recovery goes on to
 * the faults after it.  Columns are counted by hand from the texts below.
 */
#include "tests/parser/parse_fixture.h"

namespace {

using orvtest::ParseRun;

class ParseErrors : public orvtest::ParserTest {};

TEST_F(ParseErrors, EachFaultGivesItsMessageAndStatus)
{
    data.add("WORK.SALES", {"DATE", "AMOUNT"});
    struct Case {
        const char *id;
        bool kivevents;
        const char *text;
        const char *message;
    };
    const Case cases[] = {
        {"unknown option", false, "VORNAK DATA=sales FOO=3;",
         "test.job:1:19: Syntax error at FOO: expected one of ';', BACK, DATA, DEBUG, DEBUGD, "
         "DEBUGX, LEAD, MAXERROR, NODEFAULTS, NOOUTALL, PLOT, PRINT, PRINTDETAILS, SEASONALITY, "
         "SORTNAMES, STARTSUM."},
        {"missing =", false, "VORNAK LEAD 3;", "test.job:1:13: Syntax error at 3: expected '='."},
        {"value below the range", false, "VORNAK\n  SEASONALITY=0;",
         "test.job:2:15: The value 0 of SEASONALITY= is out of range: it must be from 1 to 10000."},
        {"value above the range", false, "VORNAK BACK=10001;",
         "test.job:1:13: The value 10001 of BACK= is out of range: it must be from 0 to 10000."},
        {"negative LEAD", false, "VORNAK LEAD=-1;",
         "test.job:1:14: The value -1 of LEAD= is out of range: it must be at least 0."},
        {"STARTSUM 0", false, "VORNAK STARTSUM=0;",
         "test.job:1:17: The value 0 of STARTSUM= is out of range: it must be from 1 to 10000."},
        {"not an integer", false, "VORNAK MAXERROR=2.5;",
         "test.job:1:17: Syntax error at 2.5: expected one of an integer, '-'."},
        {"unterminated string", false, "VORNAK;\nID d INTERVAL=MONTH START='01JAN2020;\nVAR x;",
         "test.job:2:27: The quoted string is not terminated: end it with its quote on the same line."},
        {"bad date constant", false, "VORNAK; ID d INTERVAL=MONTH START='32JAN2020'd;",
         "test.job:1:35: The date constant '32JAN2020'd is not valid: write a date from 01JAN1582 to 26DEC20000 such as '01JAN2020'd."},
        {"bad time constant", false, "VORNAK; ID d INTERVAL=MONTH START='25:61't;",
         "test.job:1:35: The time constant '25:61't is not valid: write a time of day from 00:00 to 23:59:59 such as '10:30't."},
        {"VORNAK-only option in a KIVEVENTS step", true, "KIVEVENTS STARTSUM=2;",
         "test.job:1:11: Syntax error at STARTSUM: expected one of ';', BACK, DATA, DEBUG, "
         "DEBUGD, DEBUGX, LEAD, MAXERROR, SEASONALITY, SORTNAMES."},
        {"PRINT= in a KIVEVENTS step", true, "KIVEVENTS PRINT=ALL;",
         "test.job:1:11: Syntax error at PRINT: expected one of"},
        {"unknown interval", false, "VORNAK; ID d INTERVAL=FORTNIGHT;",
         "test.job:1:23: INTERVAL=FORTNIGHT: FORTNIGHT is not a known interval."},
        {"interval shift too large", false, "VORNAK; ID d INTERVAL=MONTH.2;",
         "test.job:1:23: INTERVAL=MONTH.2: MONTH.2 has a shift out of range."},
        {"unknown format", false, "VORNAK; ID d INTERVAL=DAY FORMAT=NOSUCH9.;",
         "test.job:1:34: The format NOSUCH9. is not known."},
        {"INTERVAL= left out", false, "VORNAK; ID d;",
         "test.job:1:13: Syntax error at ';': expected INTERVAL."},
        {"unknown statement", false, "VORNAK;\nFROB x;",
         "test.job:2:1: Syntax error at FROB: expected one of ';', BY, DATEKEYCALENDAR, "
         "DATEKEYDATA, DATEKEYDEF, DATEKEYDSOPT, DATEKEYKEY, DATEKEYLIST, DATEKEYPERIODS, EVENTCOMB, EVENTDATA, "
         "EVENTDEF, EVENTDUMMY, EVENTGROUP, EVENTKEY, ID, VAR, VARIABLES, the "
         "end of the step."},
        {"procedure name wrong", false, "KIVEVENTS;",
         "test.job:1:1: Syntax error at KIVEVENTS: expected VORNAK."},
        {"data set that does not exist", false, "VORNAK DATA=nosuch;",
         "test.job:1:13: The data set WORK.NOSUCH does not exist."},
        {"ID variable not in DATA=", false, "VORNAK DATA=sales;\n ID when INTERVAL=DAY;",
         "test.job:2:2: The ID variable WHEN is not in the DATA= data set."},
        {"BY variable not in DATA=", false, "VORNAK DATA=sales; BY region;",
         "test.job:1:20: The BY variable REGION is not in the DATA= data set."},
        {"name too long", false, "VORNAK; VAR abcdefghijabcdefghijabcdefghijabcdefghij;",
         "test.job:1:13: The name abcdefghijabcdefghijabcdefghijabcdefghij is longer than 32 "
         "characters."},
        {"stray character", false, "VORNAK LEAD=2 #;",
         "test.job:1:15: The character '#' is not expected here: remove it."},
        {"comment not closed", false, "VORNAK; /* no end",
         "test.job:1:9: The comment is not closed: end it with */."},
        {"statement left open", false, "VORNAK LEAD=2",
         "test.job:1:14: Syntax error at the end of the step: expected one of ';', BACK,"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        ParseRun run = c.kivevents ? kivevents(c.text) : vornak(c.text);
        EXPECT_EQ(run.status, orvhost::kParseStatusStatementError);
        EXPECT_EQ(run.control->status, orvhost::kParseStatusStatementError);
        EXPECT_NE(run.log.find(std::string("ERROR: ") + c.message), std::string::npos) << run.log;
        TearDown();
    }
}

TEST_F(ParseErrors, RecoveryFindsTheFaultsThatFollow)
{
    ParseRun run = vornak("VORNAK FOO=1 LEAD=2;\n"
                          "ID d INTERVAL=MONTH ALIGN=SIDEWAYS;\n"
                          "VAR a b;\n"
                          "BY DESCENDING;\n");
    EXPECT_EQ(run.status, orvhost::kParseStatusStatementError);
    EXPECT_NE(run.log.find("test.job:1:8: Syntax error at FOO"), std::string::npos) << run.log;
    EXPECT_NE(run.log.find("test.job:2:27: Syntax error at SIDEWAYS: expected one of B, BEG, "
                           "BEGIN, BEGINNING, E, END, ENDING, M, MID, MIDDLE."),
              std::string::npos)
        << run.log;
    EXPECT_NE(run.log.find("test.job:4:14: Syntax error at ';': expected a name."),
              std::string::npos)
        << run.log;
    /* a repair must not reach the parse result */
    EXPECT_EQ(run.procedure()->options[7].given, 0);
}

TEST_F(ParseErrors, ManyFaultsStopTheParse)
{
    std::string text = "VORNAK;\n";
    for (int i = 0; i < 30; ++i) text += "VAR a b c;\nLEAD x;\n";
    ParseRun run = vornak(text);
    EXPECT_EQ(run.status, orvhost::kParseStatusStatementError);
    EXPECT_NE(run.log.find("ERROR: Too many errors; the rest of the step is not checked."),
              std::string::npos)
        << run.log;
}

}  // namespace
