/*
 * job_test.cpp - the job reader: procedure steps and the text each step's
 * parser reads, OPTIONS and LIBNAME statements, comments of both kinds,
 * quoted text, and faults that name file:line:column.
 */
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "platform/job.h"

namespace {

using orvhost::JobItem;

/* Text with every run of blanks made one blank, no blank before a ';', and
 * none at either end, so that the cases state the words and not the exact
 * spacing. */
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

/* One item: "STEP name module line statements", "OPTIONS name=value ...",
 * "LIBNAME libref directory". */
std::string describe(const orvhost::Job &job, const JobItem &item)
{
    switch (item.kind) {
    case JobItem::Kind::Step: {
        const orvhost::StepSource &s = item.statements;
        return "STEP " + item.procedure + " " + item.module + " " + std::to_string(item.line) +
               " " + squeeze(job.source().text().substr(s.begin, s.end - s.begin));
    }
    case JobItem::Kind::Options: {
        std::string text = "OPTIONS";
        for (const auto &a : item.assignments) text += " " + a.name + "=" + a.value;
        return text;
    }
    case JobItem::Kind::Libname: return "LIBNAME " + item.libref + " " + item.directory;
    }
    return {};
}

TEST(ReadJob, SoundJobs)
{
    struct Case {
        const char *id;
        const char *text;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"one step", "PROC VORNAK DATA=A;\n  KEY X;\nRUN;\n",
         {"STEP VORNAK orvkeydf 1 VORNAK DATA=A; KEY X;"}},
        {"lower-case keywords", "proc kivevents;\nrun;", {"STEP KIVEVENTS orvocrdf 1 kivevents;"}},
        {"two steps", "PROC VORNAK;\nRUN;\n\nPROC KIVEVENTS;\n  X;\nRUN;\n",
         {"STEP VORNAK orvkeydf 1 VORNAK;", "STEP KIVEVENTS orvocrdf 4 KIVEVENTS; X;"}},
        {"several statements on a line", "PROC VORNAK; A; B;RUN;",
         {"STEP VORNAK orvkeydf 1 VORNAK; A; B;"}},
        {"block comments with ';' stay in the step's text",
         "/* header; note */\nPROC VORNAK; /* a; b */ KEY A;\nRUN;",
         {"STEP VORNAK orvkeydf 2 VORNAK; /* a; b */ KEY A;"}},
        {"multi-line block comment moves the line", "/* one\ntwo\nthree */ PROC VORNAK;\nRUN;",
         {"STEP VORNAK orvkeydf 3 VORNAK;"}},
        {"quote inside a block comment", "/* it's */ PROC VORNAK;\nRUN;",
         {"STEP VORNAK orvkeydf 1 VORNAK;"}},
        {"star comment statement", "PROC VORNAK;\n* a comment; KEY B;\nRUN;",
         {"STEP VORNAK orvkeydf 1 VORNAK; * a comment; KEY B;"}},
        {"star comment before the step", "* it's a note;\nPROC VORNAK;\nRUN;",
         {"STEP VORNAK orvkeydf 2 VORNAK;"}},
        {"quoted ';'", "PROC VORNAK;\n  TITLE 'a;b';\nRUN;",
         {"STEP VORNAK orvkeydf 1 VORNAK; TITLE 'a;b';"}},
        {"unterminated quote ends at the ';' of its line", "PROC VORNAK;\nTITLE 'oops;\nRUN;",
         {"STEP VORNAK orvkeydf 1 VORNAK; TITLE 'oops;"}},
        {"CRLF line ends", "PROC VORNAK;\r\nKEY A;\r\nRUN;\r\n\r\nPROC KIVEVENTS;\r\nRUN;\r\n",
         {"STEP VORNAK orvkeydf 1 VORNAK; KEY A;", "STEP KIVEVENTS orvocrdf 5 KIVEVENTS;"}},
        {"RUN with options", "PROC VORNAK;\nRUN CANCEL;", {"STEP VORNAK orvkeydf 1 VORNAK;"}},
        {"options", "options debug='SYN SEM' YearCutoff=1950 EVENTDS=(lib.keys NODEFAULTS);",
         {"OPTIONS DEBUG=SYN SEM YEARCUTOFF=1950 EVENTDS=(lib.keys NODEFAULTS)"}},
        {"libname", "LIBNAME mylib 'data/dir';", {"LIBNAME MYLIB data/dir"}},
        {"statements in order", "OPTIONS DEBUG=SYN;\nPROC VORNAK;\nRUN;\nLIBNAME x '.';",
         {"OPTIONS DEBUG=SYN", "STEP VORNAK orvkeydf 2 VORNAK;", "LIBNAME X ."}},
        {"faults of the text inside a step are its parser's",
         "PROC VORNAK LEAD=1 @ $;\n  TITLE 'open;\n@RUN;",
         {"STEP VORNAK orvkeydf 1 VORNAK LEAD=1 @ $; TITLE 'open; @"}},
        {"empty job", "", {}},
        {"only comments", "/* only */\n* note;\n  \n", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        orvhost::Job job;
        std::string error;
        ASSERT_TRUE(orvhost::readJob(c.text, "test.job", job, error)) << error;
        EXPECT_EQ(error, "");
        std::vector<std::string> items;
        for (const JobItem &item : job.items()) items.push_back(describe(job, item));
        EXPECT_EQ(items, c.items);
    }
}

TEST(ReadJob, FaultsNameFileLineAndColumn)
{
    const struct {
        const char *id;
        std::string text;
        std::string error;
    } cases[] = {
        {"unclosed comment", "PROC VORNAK;\n/* never closed\nRUN;",
         "jobs/a.job:2:1: the comment is not closed: end it with */."},
        {"missing RUN", "\nPROC VORNAK;\nKEY A;\n", "jobs/a.job:2:1: the step has no RUN statement: end it with RUN;."},
        {"missing final ';'", "PROC VORNAK;\n  RUN", "jobs/a.job:2:3: the statement does not end with ';'."},
        {"unknown procedure", "\nPROC PRINT;\nRUN;",
         "jobs/a.job:2:1: the procedure PRINT is not known to this host."},
        {"procedure name with a suffix", "PROC VORNAKX;\nRUN;",
         "jobs/a.job:1:1: the procedure VORNAKX is not known to this host."},
        {"PROC without a name", "PROC ;\nRUN;",
         "jobs/a.job:1:1: the procedure name is not known to this host."},
        {"statement before any step", "KEY A;\nPROC VORNAK;\nRUN;",
         "jobs/a.job:1:1: expected PROC, OPTIONS or LIBNAME, found KEY."},
        {"RUN without PROC", "\n\n  RUN;", "jobs/a.job:3:3: expected PROC, OPTIONS or LIBNAME, found RUN."},
        {"PROC inside a step", "PROC VORNAK;\nPROC KIVEVENTS;\nRUN;",
         "jobs/a.job:2:1: PROC before the RUN of the step."},
        {"lines counted through a multi-line comment", "/*\n\n*/ PROC VORNAK;\nPROC VORNAK;",
         "jobs/a.job:4:1: PROC before the RUN of the step."},
        {"option without '='", "OPTIONS DEBUG;", "jobs/a.job:1:9: expected '=' after the option DEBUG."},
        {"option without a value", "OPTIONS DEBUG=;", "jobs/a.job:1:14: the option DEBUG has no value."},
        {"parenthesis not closed", "OPTIONS EVENTDS=(a b;",
         "jobs/a.job:1:17: the '(' is not closed."},
        {"OPTIONS without options", "OPTIONS;", "jobs/a.job:1:1: OPTIONS names no option."},
        {"LIBNAME without a directory", "LIBNAME x;",
         "jobs/a.job:1:1: expected LIBNAME libref 'directory'."},
        {"stray character in OPTIONS", "OPTIONS DEBUG=SYN @;\nPROC VORNAK;\nRUN;",
         "jobs/a.job:1:19: the character '@' is not expected here: remove it."},
        {"stray '$' in OPTIONS", "OPTIONS $ DEBUG=SYN;",
         "jobs/a.job:1:9: the character '$' is not expected here: remove it."},
        {"unterminated string in LIBNAME", "LIBNAME x 'dir;\nPROC VORNAK;\nRUN;",
         "jobs/a.job:1:11: the quoted string is not terminated: end it with its quote on the "
         "same line."},
        {"stray character before PROC", "\n @PROC VORNAK;\nRUN;",
         "jobs/a.job:2:2: the character '@' is not expected here: remove it."},
        {"stray character in RUN", "PROC VORNAK;\nRUN @;",
         "jobs/a.job:2:5: the character '@' is not expected here: remove it."},
        {"stray character between statements", "OPTIONS DEBUG=SYN; \x01 ;",
         "jobs/a.job:1:20: the character '\\x01' is not expected here: remove it."},
        {"unterminated string at the end of the file", "PROC VORNAK;\n  TITLE 'open",
         "jobs/a.job:2:9: the quoted string that starts here is not closed: end it with the "
         "same quote on its line."},
        {"names are cut", "\n" + std::string(100, 'K') + " A;",
         "jobs/a.job:2:1: expected PROC, OPTIONS or LIBNAME, found " + std::string(64, 'K') +
             "...."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        orvhost::Job job;
        std::string error;
        EXPECT_FALSE(orvhost::readJob(c.text, "jobs/a.job", job, error));
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
