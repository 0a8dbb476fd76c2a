/*
 * grammargen_test.cpp - the grammar generator: tables of a small grammar
 * worked out by hand, and the faults that must stop the build.
 */
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/parser/tiny_grammar.h"
#include "tools/grammargen/grammar.h"

namespace {

using grammargen::buildModuleTables;
using grammargen::GrammarError;
using grammargen::ModuleTables;
using grammargen::readGrammar;

/* step : TINY {begin 2} opts ; {end}   opts : opt opts | empty
 * opt : A = INT {store 0 NUMBER} | B
 * Symbols: 1-19 token classes, 20-26 ( ) , - / : =, 27 A, 28 B, 29 TINY$,
 * 30 $$$; nonterminals step 31, opts 32, opt 33. */
const char *kOptionsGrammar = "step : TINY$ {begin 2} opts <ENDJB> {end} ;\n"
                              "opts : opt opts | ;\n"
                              "opt : A '=' <INT> {store 0 NUMBER} | B ;\n";

TEST(GrammarGenerator, TablesOfASmallGrammarWorkedOutByHand)
{
    ModuleTables t = buildModuleTables(
        readGrammar(orvtest::tinyPreamble() + kOptionsGrammar, "tiny.grammar"), "TINY");
    using V16 = std::vector<int16_t>;
    using V8 = std::vector<uint8_t>;
    struct Case {
        const char *id;
        V16 got;
        V16 expected;
    };
    const Case cases[] = {
        /* count, then the right-hand side last element first; -k = action k */
        {"prdlst", t.prdlst, {5, -2, 1, 32, -1, 29, 2, 32, 33, 0, 4, -3, 4, 26, 27, 1, 28}},
        {"prdndx", t.prdndx, {0, 6, 9, 10, 15}},
        {"lhstbl", t.lhstbl, {0, 1, 1, 2, 2}},
        /* per nonterminal: n, then (terminal, production) pairs */
        {"prslst", t.prslst, {1, 29, 0, 3, 1, 2, 27, 1, 28, 1, 2, 27, 3, 28, 4}},
        {"prsndx", t.prsndx, {0, 3, 10}},
        {"actmap", t.actmap, {1, 3, 6}},
        {"argndx", t.argndx, {0, -1, 2}},
        {"argtbl", t.argtbl, {1, 2, 2, 0, 1}},
        /* cheapest strings: step = TINY ;  opts = empty  opt = B */
        {"insndx", t.insndx, {0, -1, 3}},
        {"instbl", t.instbl, {2, 29, 1, 1, 28}},
        {"symmap head", V16(t.symbolKinds.begin(), t.symbolKinds.begin() + 2), {1, 1}},
        {"symmap tail", V16(t.symbolKinds.end() - 5, t.symbolKinds.end()), {2, 3, 3, 3, 4}},
        {"symndx head", V16(t.symndx.begin(), t.symndx.begin() + 3), {0, 6, 12}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(c.got, c.expected);
    }
    EXPECT_EQ(t.symbols.size(), 30u);
    EXPECT_EQ(t.symbols[26], "A");
    EXPECT_EQ(t.symbols[28], "TINY$");
    EXPECT_EQ(t.symbols[29], "$$$");
    /* default costs 2, "$$$" 255; nonterminals step 4, opts 0, opt 2 */
    V8 deletion(29, 2);
    deletion.push_back(255);
    EXPECT_EQ(t.delcost, deletion);
    EXPECT_EQ(t.inscost.size(), 33u);
    EXPECT_EQ(V8(t.inscost.end() - 4, t.inscost.end()), (V8{255, 4, 0, 2}));
    /* "ENDJB" then "NAMEX": a length byte and the text each */
    EXPECT_EQ(V8(t.symtbl.begin(), t.symtbl.begin() + 7), (V8{5, 'E', 'N', 'D', 'J', 'B', 5}));
    EXPECT_EQ(t.symtbl.size(), size_t(t.symndx.back() + 1 + 3));
}

TEST(GrammarGenerator, FaultsStopTheBuild)
{
    struct Case {
        const char *id;
        const char *rules;
        const char *module;
        const char *message;
    };
    const Case cases[] = {
        {"two alternatives start alike", "step : TINY$ x ;\nx : A <INT>\n| A <NAMEX> ;\n", "TINY",
         "LL(1) conflict: x has two alternatives for A (lines"},
        {"empty alternative against what follows", "step : TINY$ x A ;\nx : A | ;\n", "TINY",
         "LL(1) conflict: x has two alternatives for A"},
        {"keyword outside the module's list", "step : TINY$ B ;\n", "SMALL",
         "module SMALL: keyword B is not in the module's symbol list"},
        {"nonterminal without a rule", "step : TINY$ y ;\n", "TINY",
         "nonterminal y is not defined"},
        {"nonterminal only another module has", "step : TINY$ y ;\ny : B @TINY ;\n", "SMALL",
         "nonterminal y has no alternative in this module"},
        {"no string of terminals", "step : TINY$ | x ;\nx : A x ;\n", "TINY",
         "nonterminal x derives no string of terminals"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        try {
            buildModuleTables(readGrammar(orvtest::tinyPreamble() + c.rules, "tiny.grammar"),
                              c.module);
            ADD_FAILURE() << "the grammar was accepted";
        } catch (const GrammarError &error) {
            EXPECT_NE(error.text().find(c.message), std::string::npos) << error.text();
            EXPECT_EQ(error.text().rfind("tiny.grammar", 0), 0u) << error.text();
        }
    }
}

TEST(GrammarGenerator, ReaderFaultsNameTheLine)
{
    /* The faulty text starts on the line after the preamble. */
    std::string preamble = orvtest::tinyPreamble();
    std::string line = std::to_string(std::count(preamble.begin(), preamble.end(), '\n') + 1);
    struct Case {
        const char *id;
        const char *text;
        const char *message;
    };
    const Case cases[] = {
        {"unknown token class", "step : TINY$ <FOO> ;\n", "tiny.grammar:@: unknown token class <FOO>"},
        {"unknown action name", "step : TINY$ {frobnicate 1} ;\n",
         "tiny.grammar:@: unknown action argument frobnicate"},
        {"argument beyond 16 bits", "step : TINY$ {store 0 70000} ;\n",
         "tiny.grammar:@: action argument 70000 is not a 16-bit integer"},
        {"unknown module tag", "step : TINY$ @HUGE ;\n", "tiny.grammar:@: unknown module HUGE"},
        {"keyword listed twice", "%keywords BIG X X %end\n", "keyword X is listed twice"},
        {"keywords written alike", "%keywords BIG X X$ %end\n", "keywords X$ and X would be written alike"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        try {
            readGrammar(preamble + c.text, "tiny.grammar");
            ADD_FAILURE() << "the grammar was accepted";
        } catch (const GrammarError &error) {
            std::string message = c.message;
            size_t at = message.find('@');
            if (at != std::string::npos) message.replace(at, 1, line);
            EXPECT_NE(error.text().find(message), std::string::npos) << error.text();
        }
    }
}

TEST(GrammarGenerator, ModuleTagsAndSectionsChooseAlternatives)
{
    std::string text = orvtest::tinyPreamble() +
                       "step : TINY$ x ;\n"
                       "x : B @TINY | ;\n"
                       "%section SMALL\nx : A ;\n%endsection\n";
    grammargen::GrammarSource grammar = readGrammar(text, "tiny.grammar");
    ModuleTables tiny = buildModuleTables(grammar, "TINY");
    ModuleTables small = buildModuleTables(grammar, "SMALL");
    /* TINY: x -> B | empty; SMALL (no B: 27 A, 28 TINY$, 29 $$$, x is 31):
     * x -> empty | A */
    EXPECT_EQ(tiny.prdndx.size(), 3u);
    EXPECT_EQ(small.prdndx.size(), 3u);
    EXPECT_EQ(tiny.symbols.size(), 30u);
    EXPECT_EQ(small.symbols.size(), 29u);
    EXPECT_EQ(small.prdlst, (std::vector<int16_t>{2, 31, 28, 0, 1, 27}));
}

}  // namespace
