/*
 * job_test.cpp - the job reader: splitting a job into PROC ... RUN; steps,
 * the module of each procedure, comments of both kinds, quoted text, line
 * numbers, and faults that name file:line.
 */
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "platform/job.h"

namespace {

/* The statements with every run of blanks made one blank, no blank before a
 * ';', and none at either end, so that the cases state the words and not the
 * exact spacing the reader keeps. */
std::string squeeze(const std::string &text)
{
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (std::isspace((unsigned char)c)) {
            blank = true;
            continue;
        }
        if (blank && !out.empty() && c != ';') out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

struct ExpectedStep {
    const char *procedure;
    const char *module;
    int line;
    const char *statements; /* squeezed */
};

struct GoodCase {
    const char *id;
    const char *text;
    std::vector<ExpectedStep> steps;
};

TEST(ReadJob, SplitsStepsOfSoundJobs)
{
    const GoodCase cases[] = {
        {"one step", "PROC VORNAK DATA=A;\n  KEY X;\nRUN;\n",
         {{"VORNAK", "orvkeydf", 1, "PROC VORNAK DATA=A; KEY X;"}}},
        {"lower-case keywords", "proc kivevents;\nrun;",
         {{"KIVEVENTS", "orvocrdf", 1, "proc kivevents;"}}},
        {"mixed-case keywords", "Proc VorNak;\n Key a;\nRun;\n",
         {{"VORNAK", "orvkeydf", 1, "Proc VorNak; Key a;"}}},
        {"two steps", "PROC VORNAK;\nRUN;\n\nPROC KIVEVENTS;\n  X;\nRUN;\n",
         {{"VORNAK", "orvkeydf", 1, "PROC VORNAK;"}, {"KIVEVENTS", "orvocrdf", 4, "PROC KIVEVENTS; X;"}}},
        {"several statements on a line", "PROC VORNAK; A; B;RUN;",
         {{"VORNAK", "orvkeydf", 1, "PROC VORNAK; A; B;"}}},
        {"block comments with ';'", "/* header; note */\nPROC VORNAK; /* a; b */ KEY A;\nRUN;",
         {{"VORNAK", "orvkeydf", 2, "PROC VORNAK; KEY A;"}}},
        {"block comment inside a statement", "PROC VORNAK;\nKEY /* x; */ A;\nRUN;",
         {{"VORNAK", "orvkeydf", 1, "PROC VORNAK; KEY A;"}}},
        {"multi-line block comment moves the line", "/* one\ntwo\nthree */ PROC VORNAK;\nRUN;",
         {{"VORNAK", "orvkeydf", 3, "PROC VORNAK;"}}},
        {"quote inside a block comment", "/* it's */ PROC VORNAK;\nRUN;",
         {{"VORNAK", "orvkeydf", 1, "PROC VORNAK;"}}},
        {"star comment statement", "PROC VORNAK;\n* a comment; KEY B;\nRUN;",
         {{"VORNAK", "orvkeydf", 1, "PROC VORNAK; KEY B;"}}},
        {"star comment ends at the first ';'", "PROC VORNAK;\n* it's fine;\nKEY C;\nRUN;",
         {{"VORNAK", "orvkeydf", 1, "PROC VORNAK; KEY C;"}}},
        {"star comment after a block comment", "PROC VORNAK;\n/* c */ * note;\nRUN;",
         {{"VORNAK", "orvkeydf", 1, "PROC VORNAK;"}}},
        {"star inside a statement is not a comment", "PROC VORNAK;\nX = A * B;\nRUN;",
         {{"VORNAK", "orvkeydf", 1, "PROC VORNAK; X = A * B;"}}},
        {"quoted ';'", "PROC VORNAK;\n  TITLE 'a;b';\nRUN;",
         {{"VORNAK", "orvkeydf", 1, "PROC VORNAK; TITLE 'a;b';"}}},
        {"double-quoted ';' and comment opener", "PROC VORNAK;\nLABEL \"x;/*y\";\nRUN;",
         {{"VORNAK", "orvkeydf", 1, "PROC VORNAK; LABEL \"x;/*y\";"}}},
        {"other quote inside quotes", "PROC VORNAK;\nT \"it's\";\nRUN;",
         {{"VORNAK", "orvkeydf", 1, "PROC VORNAK; T \"it's\";"}}},
        {"CRLF line ends", "PROC VORNAK;\r\nKEY A;\r\nRUN;\r\n\r\nPROC KIVEVENTS;\r\nRUN;\r\n",
         {{"VORNAK", "orvkeydf", 1, "PROC VORNAK; KEY A;"}, {"KIVEVENTS", "orvocrdf", 5, "PROC KIVEVENTS;"}}},
        {"RUN with options", "PROC VORNAK;\nRUN CANCEL;", {{"VORNAK", "orvkeydf", 1, "PROC VORNAK;"}}},
        {"empty job", "", {}},
        {"only comments", "/* only */\n* note;\n  \n", {}},
    };
    for (const GoodCase &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<orvhost::JobStep> steps;
        std::string error;
        ASSERT_TRUE(orvhost::readJob(c.text, "test.job", steps, error)) << error;
        EXPECT_EQ(error, "");
        ASSERT_EQ(steps.size(), c.steps.size());
        for (size_t i = 0; i < steps.size(); ++i) {
            SCOPED_TRACE("step " + std::to_string(i + 1));
            EXPECT_EQ(steps[i].procedure, c.steps[i].procedure);
            EXPECT_EQ(steps[i].module, c.steps[i].module);
            EXPECT_EQ(steps[i].line, c.steps[i].line);
            EXPECT_EQ(squeeze(steps[i].statements), c.steps[i].statements);
        }
    }
}

TEST(ReadJob, ReportsFaultsWithFileAndLine)
{
    const struct {
        const char *id;
        const char *text;
        const char *where; /* "file:line:" the error must start with */
        const char *what;  /* a word the error must contain */
    } cases[] = {
        {"unclosed comment", "PROC VORNAK;\n/* never closed\nRUN;", "jobs/a.job:2:", "comment"},
        {"unclosed quote", "PROC VORNAK;\nTITLE 'oops;\nRUN;", "jobs/a.job:2:", "quote"},
        {"unclosed double quote", "PROC VORNAK;\n\nTITLE \"oops;\nRUN;", "jobs/a.job:3:", "quote"},
        {"missing RUN", "\nPROC VORNAK;\nKEY A;\n", "jobs/a.job:2:", "RUN"},
        {"comment statement without ';'", "PROC VORNAK;\nRUN;\n\n* trailing note", "jobs/a.job:4:",
         "comment"},
        {"missing final ';'", "PROC VORNAK;\nRUN", "jobs/a.job:2:", ";"},
        {"missing ';' after blank lines", "PROC VORNAK;\nRUN;\n\n  PROC KIVEVENTS", "jobs/a.job:4:", ";"},
        {"unknown procedure", "\nPROC PRINT;\nRUN;", "jobs/a.job:2:", "PRINT"},
        {"procedure name with a suffix", "PROC VORNAKX;\nRUN;", "jobs/a.job:1:", "VORNAKX"},
        {"PROC without a name", "PROC ;\nRUN;", "jobs/a.job:1:", "procedure"},
        {"statement before any step", "KEY A;\nPROC VORNAK;\nRUN;", "jobs/a.job:1:", "KEY"},
        {"RUN without PROC", "\n\nRUN;", "jobs/a.job:3:", "RUN"},
        {"PROC inside a step", "PROC VORNAK;\nPROC KIVEVENTS;\nRUN;", "jobs/a.job:2:", "PROC"},
        {"statement after RUN", "PROC VORNAK;\nRUN;\nKEY A;", "jobs/a.job:3:", "KEY"},
        {"lines counted through a multi-line comment", "/*\n\n*/ PROC VORNAK;\nPROC VORNAK;",
         "jobs/a.job:4:", "PROC"},
        {"lines counted through a multi-line star comment",
         "PROC VORNAK;\n* multi\nline;\nPROC KIVEVENTS;", "jobs/a.job:4:", "PROC"},
        {"lines counted through multi-line quotes", "PROC VORNAK;\nTITLE 'a\nb';\nRUN;\nFOO;",
         "jobs/a.job:5:", "FOO"},
        {"statement starting with a quote", "'x';\nPROC VORNAK;\nRUN;", "jobs/a.job:1:", "PROC"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<orvhost::JobStep> steps;
        std::string error;
        EXPECT_FALSE(orvhost::readJob(c.text, "jobs/a.job", steps, error));
        EXPECT_EQ(error.rfind(c.where, 0), 0u) << error;
        EXPECT_NE(error.find(c.what, std::string(c.where).size()), std::string::npos) << error;
    }
}

}  // namespace
