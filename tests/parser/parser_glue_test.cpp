/*
 * parser_glue_test.cpp - procedure start-up (xinit), the parser glue
 * (xsparse, xsctok, xscsem, xsctrak), the grammar blocks of both modules
 * (datekg, kivevg) and their symbol tables against the published list.
 */
#include <algorithm>
#include <cstring>
#include <sstream>

#include "host/services.h"
#include "kivevents_grammar.h"
#include "platform/listing.h"
#include "tests/parser/parse_fixture.h"
#include "vornak_grammar.h"

namespace {

using orvtest::moduleHost;
using orvtest::ParseRun;

class ParserGlue : public orvtest::ParserTest {};

/* The trace level xsparse hands on shows in which trace lines appear. */
int traceLevelOf(const std::string &log)
{
    bool syntax = log.find("\nSYN ") != std::string::npos || log.rfind("SYN ", 0) == 0;
    bool semantics = log.find("\nSEM ") != std::string::npos || log.rfind("SEM ", 0) == 0;
    return (syntax ? 2 : 0) + (semantics ? 1 : 0);
}

TEST_F(ParserGlue, DebugWordsSetTheTraceFlags)
{
    std::string longWithSemAtTheEnd = std::string(230, 'x') + " sem";
    std::string longWithSynAtTheStart = "SYN" + std::string(230, '-');
    struct Case {
        const char *id;
        std::string debug;
        int syn, sem;
    };
    const Case cases[] = {
        {"both words in lower case", "sem syn", 1, 1},
        {"SYNTAX holds SYN", "SYNTAX", 1, 0},
        {"SEM alone, mixed case", "Sem", 0, 1},
        {"words inside other text", "xsynx,ysemy", 1, 1},
        {"empty", "", 0, 0},
        {"blanks only", "     ", 0, 0},
        {"neither word", "TRACE", 0, 0},
        {"longer than 200, SEM at the end", longWithSemAtTheEnd, 0, 1},
        {"longer than 200, SYN at the start", longWithSynAtTheStart, 1, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        /* as it stands: the glue must take texts the host would refuse */
        moduleHost().options().setText(orvhost::OptionId::Debug, c.debug);
        ParseRun run = vornak("VORNAK LEAD=1;");
        EXPECT_EQ(run.control->synTrace, c.syn);
        EXPECT_EQ(run.control->semTrace, c.sem);
        EXPECT_EQ(traceLevelOf(run.log), 2 * c.syn + c.sem) << run.log;
        EXPECT_EQ(run.status, 0);
        /* xinit keeps only the parse-control block: a DEBUG copy it had to
         * allocate is freed again */
        size_t before = moduleHost().memory().liveBlockCount();
        xinit();
        EXPECT_EQ(moduleHost().memory().liveBlockCount(), before + 1);
        TearDown();
    }
}

TEST_F(ParserGlue, LongDebugTextIsCopiedIntoAnAllocatedBlock)
{
    /* The second allocation of xinit is the copy of a long DEBUG text; when
     * it fails the flags stay 0 instead of the text being searched. */
    for (bool longText : {false, true}) {
        SCOPED_TRACE(longText ? "long" : "short");
        std::string debug = "SYN SEM" + std::string(longText ? 200 : 10, ' ') + "!";
        moduleHost().options().setText(orvhost::OptionId::Debug, debug);
        moduleHost().memory().failAllocation(2);
        xinit();
        moduleHost().memory().failAllocation(0);
        moduleHost().memory().takeFailureCount();
        PARSE_CONTROL *control = orvParseControl();
        EXPECT_EQ(control->synTrace, longText ? 0 : 1);
        EXPECT_EQ(control->semTrace, longText ? 0 : 1);
        TearDown();
    }
}

TEST_F(ParserGlue, XinitFillsTheParseControlBlock)
{
    xinit();
    PARSE_CONTROL *control = orvParseControl();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(moduleHost().controlBlock().parseControlSlot(), control);
    EXPECT_EQ(control->printLine, orvhost::kPrintPageLength);
    EXPECT_EQ(control->logLine, orvhost::kLogLineWidth);
    EXPECT_EQ(control->messageLine, orvhost::kMessageLineWidth);
    EXPECT_EQ(control->outputLine, uint64_t(orvhost::kLogLineWidth));
    EXPECT_EQ(control->status, 0);
    EXPECT_EQ(control->statement, nullptr);
    EXPECT_EQ(moduleHost().listing().destination(), 0);
    EXPECT_EQ(moduleHost().listing().selectOption(), -2);

    /* The output line area is one word: registering it leaves the message
     * line setting right behind it alone. */
    control->messageLine = 0x1122334455667788;
    EXPECT_EQ(xpoutl(moduleHost().controlBlock().instance()->logHandle, &control->outputLine), 0);
    EXPECT_EQ(control->messageLine, 0x1122334455667788);
}

TEST_F(ParserGlue, StartUpOutOfMemoryEndsTheStepWith1016)
{
    moduleHost().memory().failAllocation(1);
    try {
        xinit();
        ADD_FAILURE() << "xinit returned";
    } catch (const orvhost::StepExit &exit) {
        EXPECT_EQ(exit.returnCode, 1016);
    }
    moduleHost().memory().takeFailureCount();
    EXPECT_NE(orvtest::takeLog().find("Out of memory"), std::string::npos);

    xinit();
    for (auto build : {datekg, kivevg}) {
        orvtest::takeLog();
        moduleHost().memory().failAllocation(1);
        try {
            build();
            ADD_FAILURE() << "the grammar builder returned";
        } catch (const orvhost::StepExit &exit) {
            EXPECT_EQ(exit.returnCode, 1016);
        }
        /* the step does not end without saying why */
        EXPECT_EQ(orvtest::takeLog(), "ERROR: Out of memory: 1 memory allocation(s) failed.\n");
    }
    moduleHost().memory().takeFailureCount();
}

TEST_F(ParserGlue, RegisteredCallbacksArePassedOnUnchanged)
{
    xinit();
    GRAMMAR_BLOCK *block = datekg();
    auto token = reinterpret_cast<void (*)()>(&orvtest::takeLog);
    auto semantic = reinterpret_cast<void (*)()>(&xinit);
    int anchor = 0;
    block->tokenCallback = token;
    block->semanticCallback = semantic;
    block->trackingAnchor = &anchor;
    orvhost::parseEnvironment().failRegistrations = 3; /* any registration would fail */
    xsparse(block, 0);
    orvhost::parseEnvironment().failRegistrations = 0;
    EXPECT_EQ(block->tokenCallback, token);
    EXPECT_EQ(block->semanticCallback, semantic);
    EXPECT_EQ(block->trackingAnchor, &anchor);

    GRAMMAR_BLOCK *fresh = datekg();
    EXPECT_EQ(fresh->tokenCallback, nullptr);
    EXPECT_EQ(fresh->semanticCallback, nullptr);
    EXPECT_EQ(fresh->trackingAnchor, nullptr);
    xsparse(fresh, 0);
    EXPECT_EQ(fresh->tokenCallback, reinterpret_cast<orv_routine>(&xttk));
    EXPECT_EQ(fresh->semanticCallback, reinterpret_cast<orv_routine>(&xsem));
    EXPECT_EQ(fresh->trackingAnchor, xtanch());
}

TEST_F(ParserGlue, RegistrationUsesTheCurrentInstance)
{
    GCB *gcb = moduleHost().controlBlock().gcb();
    PROC_INSTANCE other{};
    other.logHandle = &other;
    uint64_t *slot = gcb->currentInstance;
    uint64_t saved = *slot;
    struct Case {
        const char *id;
        bool withSlot;
        uint64_t value;
        void *logHandle;
    };
    const Case cases[] = {
        {"1 names the procedure instance", true, 1, gcb->instance->logHandle},
        {"0 names the procedure instance too", true, 0, gcb->instance->logHandle},
        {"another value is the instance", true, reinterpret_cast<uint64_t>(&other), &other},
        {"no slot: the instance's first word (1)", false, 0, gcb->instance->logHandle},
    };
    xinit();
    GRAMMAR_BLOCK *block = datekg();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        *slot = c.value;
        gcb->currentInstance = c.withSlot ? slot : nullptr;
        orvhost::parseEnvironment().lastRegistrationLogHandle = nullptr;
        auto routine = reinterpret_cast<orv_routine>(&xttk);
        EXPECT_EQ(xsctok(block, routine), routine);
        EXPECT_EQ(block->tokenCallback, routine);
        EXPECT_EQ(orvhost::parseEnvironment().lastRegistrationLogHandle, c.logHandle);
        EXPECT_EQ(xscsem(block, routine), routine);
        EXPECT_EQ(block->semanticCallback, routine);
    }
    gcb->currentInstance = slot;
    *slot = saved;
    xsctrak(block, &other);
    EXPECT_EQ(block->trackingAnchor, &other);
}

TEST_F(ParserGlue, FailedRegistrationEndsTheStepWith1012)
{
    xinit();
    GRAMMAR_BLOCK *block = kivevg();
    orvhost::parseEnvironment().failRegistrations = 1;
    try {
        xsparse(block, 0);
        ADD_FAILURE() << "xsparse returned";
    } catch (const orvhost::StepExit &exit) {
        EXPECT_EQ(exit.returnCode, 1012);
    }
    orvhost::parseEnvironment().failRegistrations = 0;
    EXPECT_NE(orvtest::takeLog().find(
                  "ERROR: The procedure's parser callbacks could not be registered with the host."),
              std::string::npos);
}

/* The published symbol list: token classes, punctuation, the keywords in
 * the order given there (numbered families in text order), "$$$". */
std::vector<std::string> publishedSymbols(bool eventModule)
{
    const char *keywords =
        "ADD AFTER ALIGN ALL ALT AND APRIL AUGUST B$ BACK BEFORE BEG$ BEGIN BEGINNING$ BOTH "
        "BOXING BY CANADA CANADAOBSERVED CHAR CHARACTER CHRISTMAS COLUMBUS CONDENSE CUBIC DATA "
        "DATEKEYCALENDAR DATEKEYDATA DATEKEYDEF DATEKEYDSOPT DATEKEYKEY DATEKEYLIST DATEKEYPERIODS "
        "DEBUG$ DEBUGD$ DEBUGX$ DECAY DECEMBER DESCENDING DURATION E$ EASTER END ENDING$ "
        "EVENTCOMB EVENTDATA EVENTDEF EVENTDUMMY EVENTGROUP EVENTKEY FATHERS FEBRUARY FORMAT "
        "FRIDAY GROWTH HALLOWEEN HOUR_1:24 ID IN INTERNAL INTERVAL INV INVERSE JANUARY JULY JUNE "
        "LABEL LABOR LEAD LEFT LIN LINEAR LIST LOCALE LOG LOGARITHMIC LS M$ MARCH MAX MAXERROR "
        "MAY MEMORIAL MID$ MIDDLE MIN MINMAG MINNZ MINUTE_1:60 MISSING MLK MONDAY MOTHERS MULT "
        "NEWYEAR NODEFAULTS NONE NOOUTALL NOTSORTED NOVEMBER NUMERIC OCTOBER ONLY OR OUT "
        "PERFORMANCE PERIOD PLOT POINT PRINT PRINTDETAILS PULSE QTR_1:4 QUAD RAMP RIGHT RULE S$ "
        "SATURDAY SEASONALITY SECOND_1:60 SEMIMONTH_1:24 SEMIYEAR_1 SEMIYEAR_2 SEPTEMBER "
        "SETMISS$ SETMISSING SHIFT SKIP SLOPE SORTNAMES START STARTSUM SUM SUMMARY SUNDAY TC "
        "TCPARM TEMPRAMP TENDAY_1:36 THANKSGIVING THANKSGIVINGCANADA THURSDAY TO TR TUESDAY TYPE "
        "USINDEPENDENCE USPRESIDENTS VALENTINES VALUE VAR VARIABLES$ VETERANS VETERANSUSG "
        "VETERANSUSPS VICTORIA VORNAK$ WEDNESDAY WEEK_1:53 ZEROMISS$ _ALL_ _CHARACTER_ _CHAR_ "
        "_NUMERIC_";
    const std::vector<std::string> eventOnlyLacks = {
        "AND", "DATEKEYCALENDAR", "DATEKEYDEF", "DATEKEYDSOPT", "DATEKEYKEY", "DATEKEYLIST",
        "DATEKEYPERIODS", "INTERNAL", "NOOUTALL", "ONLY", "OR", "PERFORMANCE", "PLOT", "PRINT",
        "PRINTDETAILS", "STARTSUM", "SUM", "SUMMARY"};
    std::vector<std::string> symbols = {
        "ENDJB", "NAMEX", "QS", "INT", "NBR", "COMPOUND", "FMT", "DATE", "TIME", "DATETIME",
        "MISSING", "VLITERAL", "CATNAME", "ORVDS", "RESERVED1", "RESERVED2", "RESERVED3",
        "RESERVED4", "RESERVED5", "(", ")", ",", "-", "/", ":", "="};
    std::istringstream words(keywords);
    for (std::string word; words >> word;) {
        size_t colon = word.find(':');
        if (colon != std::string::npos) { /* a family, its members in text order */
            size_t underscore = word.find('_');
            std::string stem = word.substr(0, underscore + 1);
            int first = std::stoi(word.substr(underscore + 1, colon - underscore - 1));
            int last = std::stoi(word.substr(colon + 1));
            std::vector<std::string> family;
            for (int n = first; n <= last; ++n) family.push_back(stem + std::to_string(n));
            std::sort(family.begin(), family.end());
            symbols.insert(symbols.end(), family.begin(), family.end());
            continue;
        }
        if (eventModule && std::find(eventOnlyLacks.begin(), eventOnlyLacks.end(), word) !=
                               eventOnlyLacks.end())
            continue;
        symbols.push_back(eventModule && word == "VORNAK$" ? "KIVEVENTS$" : word);
    }
    /* KIVEVENTS$ takes the place of VORNAK$ in the ascending order of the
     * keywords */
    if (eventModule) std::sort(symbols.begin() + 26, symbols.end());
    symbols.push_back("$$$");
    return symbols;
}

TEST_F(ParserGlue, GrammarBlocksCarryThePublishedSymbolTables)
{
    struct Case {
        const char *id;
        GRAMMAR_BLOCK *(*build)();
        bool eventModule;
        size_t symbols;
        int parseListLength, insertTableLength, symbolBytes;
        const int16_t *prdlst;
    };
    const Case cases[] = {
        {"VORNAK", datekg, false, 446, vornak_grammar::kParseListLength,
         vornak_grammar::kInsertTableLength, vornak_grammar::kSymbolTableBytes,
         vornak_grammar::prdlst},
        {"KIVEVENTS", kivevg, true, 428, kivevents_grammar::kParseListLength,
         kivevents_grammar::kInsertTableLength, kivevents_grammar::kSymbolTableBytes,
         kivevents_grammar::prdlst},
    };
    xinit();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<std::string> expected = publishedSymbols(c.eventModule);
        ASSERT_EQ(expected.size(), c.symbols);
        ASSERT_TRUE(std::is_sorted(expected.begin() + 26, expected.end() - 1))
            << "the published keyword order is byte order";
        orvhost::parseEnvironment().symbolFixup = true;
        orvhost::parseEnvironment().fixupCalls = 0;
        GRAMMAR_BLOCK *block = c.build();
        orvhost::parseEnvironment().symbolFixup = false;
        const auto *raw = reinterpret_cast<const uint8_t *>(block);
        auto word16 = [&](size_t offset) { return int(raw[offset] | raw[offset + 1] << 8); };
        EXPECT_EQ(word16(0), 1);
        EXPECT_EQ(word16(2), int(c.symbols) + 1);
        EXPECT_EQ(word16(4), int(c.symbols));
        EXPECT_EQ(word16(6), c.parseListLength);
        EXPECT_EQ(word16(128), 127);
        EXPECT_EQ(word16(130), 63);
        EXPECT_EQ(word16(132), c.insertTableLength);
        EXPECT_EQ(word16(192), 19);
        EXPECT_EQ(block->prdlst, c.prdlst);
        for (size_t offset : {136, 144, 248})
            EXPECT_EQ(*reinterpret_cast<void *const *>(raw + offset), nullptr) << offset;

        std::vector<std::string> got;
        int bytes = 0;
        for (size_t s = 0; s < c.symbols; ++s) {
            const uint8_t *entry = block->symtbl + block->symndx[s];
            EXPECT_EQ(block->symndx[s], bytes);
            got.emplace_back(reinterpret_cast<const char *>(entry + 1), entry[0]);
            bytes += 1 + entry[0];
        }
        EXPECT_EQ(got, expected);
        EXPECT_EQ(bytes, c.symbolBytes);
        /* the fix-up the host asked for: (19, symbols, bytes of the table) */
        EXPECT_EQ(orvhost::parseEnvironment().fixupCalls, 1);
        EXPECT_EQ(orvhost::parseEnvironment().lastFixup.tableKind, 19);
        EXPECT_EQ(orvhost::parseEnvironment().lastFixup.symbolCount, int(c.symbols));
        EXPECT_EQ(orvhost::parseEnvironment().lastFixup.symbolBytes, bytes);
        void *ref = block;
        EXPECT_EQ(xsfixsym(19, int(c.symbols), bytes, &ref), 0);
        EXPECT_NE(xsfixsym(19, int(c.symbols), bytes + 1, &ref), 0);
    }
}

}  // namespace
