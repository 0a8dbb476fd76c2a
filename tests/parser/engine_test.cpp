/*
 * engine_test.cpp - the lexer, the host list appends (zaddlst) and the
 * timing-value callback protocol of action 41, driven through a small
 * grammar built by the generator at test time.
 */
#include <bit>
#include <cmath>
#include <cstring>

#include "host/missing_values.h"
#include "host/services.h"
#include "platform/parser/lexer.h"
#include "platform/parser/parse_environment.h"
#include "tests/parser/parse_fixture.h"
#include "tests/parser/tiny_grammar.h"

namespace {

using orvhost::Token;
using orvhost::TokenKind;

struct Lexed {
    int tokenClass; /* 0 for punctuation */
    std::string text;
    double value;
};

std::vector<Lexed> lex(const std::string &text, std::vector<std::string> *errors = nullptr)
{
    orvhost::SourceText source("lex.job", text);
    orvhost::StepSource step{&source, 0, text.size()};
    orvhost::Lexer lexer(step, 1926, [&](size_t offset, const std::string &message) {
        if (errors != nullptr) errors->push_back(source.where(offset) + ": " + message);
    });
    std::vector<Lexed> tokens;
    for (Token t = lexer.next(); t.kind != TokenKind::End; t = lexer.next())
        tokens.push_back({t.kind == TokenKind::Punctuation ? 0 : t.tokenClass, t.text,
                          t.hasValue ? t.value : 0});
    return tokens;
}

TEST(Lexer, TokenClasses)
{
    double dotA = std::bit_cast<double>(orvLetterMissingBits(0));
    struct Case {
        const char *id;
        const char *text;
        int tokenClass;
        std::string tokenText;
        double value;
    };
    const Case cases[] = {
        {"name", "Sales_2", ORV_TOKEN_NAMEX, "Sales_2", 0},
        {"two-level name", "lib.member", ORV_TOKEN_COMPOUND, "lib.member", 0},
        {"three-level name", "a.b.c", ORV_TOKEN_CATNAME, "a.b.c", 0},
        {"format", "DATE9.", ORV_TOKEN_FMT, "DATE9.", 0},
        {"format with decimals", "BEST12.3", ORV_TOKEN_FMT, "BEST12.3", 0},
        {"interval with a shift", "QTR.2", ORV_TOKEN_FMT, "QTR.2", 0},
        {"character format", "$CHAR10.", ORV_TOKEN_FMT, "$CHAR10.", 0},
        {"integer", "042", ORV_TOKEN_INT, "042", 42},
        {"number with exponent", "1.5e3", ORV_TOKEN_NBR, "1.5e3", 1500},
        {"number from its point", ".25", ORV_TOKEN_NBR, ".25", 0.25},
        {"quoted string", "'it''s'", ORV_TOKEN_QS, "it's", 0},
        {"double-quoted string", "\"a;b\"", ORV_TOKEN_QS, "a;b", 0},
        {"date constant", "'01jan2020'D", ORV_TOKEN_DATE, "01jan2020", 21915},
        {"date before 1960", "'31DEC1959'd", ORV_TOKEN_DATE, "31DEC1959", -1},
        {"time constant", "'10:30't", ORV_TOKEN_TIME, "10:30", 37800},
        {"datetime constant", "'02JAN1960:00:00:01'dt", ORV_TOKEN_DATETIME,
         "02JAN1960:00:00:01", 86401},
        {"name literal", "'my var'n", ORV_TOKEN_VLITERAL, "my var", 0},
        {"statement end", ";", ORV_TOKEN_ENDJB, ";", 0},
        {"punctuation", "=", 0, "=", 0},
        {"letter missing value", ".A", ORV_TOKEN_MISSING, ".A", dotA},
        {"after a comment", "/* x */ y", ORV_TOKEN_NAMEX, "y", 0},
        {"after a comment statement", "* note; z", ORV_TOKEN_NAMEX, "z", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<std::string> errors;
        std::vector<Lexed> tokens = lex(c.text, &errors);
        EXPECT_TRUE(errors.empty()) << errors.front();
        ASSERT_EQ(tokens.size(), 1u);
        EXPECT_EQ(tokens[0].tokenClass, c.tokenClass);
        EXPECT_EQ(tokens[0].text, c.tokenText);
        if (c.tokenClass == ORV_TOKEN_MISSING)
            EXPECT_EQ(std::bit_cast<uint64_t>(tokens[0].value), std::bit_cast<uint64_t>(c.value));
        else
            EXPECT_EQ(tokens[0].value, c.value);
    }
    /* the ordinary missing value, and '*' in the middle of a statement */
    std::vector<Lexed> tokens = lex(".");
    ASSERT_EQ(tokens.size(), 1u);
    EXPECT_EQ(std::bit_cast<uint64_t>(tokens[0].value), ORV_MISSING_BITS);
    std::vector<std::string> errors;
    tokens = lex("x * y", &errors);
    EXPECT_EQ(tokens.size(), 2u);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "lex.job:1:3: The character '*' is not expected here: remove it.");
}

TEST(Lexer, UnterminatedStringEndsAtTheStatementEndOnItsLine)
{
    std::vector<std::string> errors;
    std::vector<Lexed> tokens = lex("a = 'open;\nb;", &errors);
    ASSERT_EQ(tokens.size(), 6u);
    EXPECT_EQ(tokens[2].tokenClass, ORV_TOKEN_QS);
    EXPECT_EQ(tokens[2].text, "open");
    EXPECT_EQ(tokens[3].tokenClass, ORV_TOKEN_ENDJB);
    EXPECT_EQ(tokens[4].text, "b");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "lex.job:1:5: The quoted string is not terminated: end it with its quote on the same line.");
}

/* Malformed literals: each gives one error naming its position, and no
 * number read is infinite or NaN. */
TEST(Lexer, MalformedLiteralsAreErrors)
{
    const std::string manyDigits(10000, '9');
    struct Case {
        const char *id;
        std::string text;
        std::string error; /* "" for none */
    };
    const std::string range = " is out of range: a number in a statement must lie within plus "
                              "or minus 9007199254740992 (2 to the power 53).";
    const Case cases[] = {
        {"largest exact integer", "9007199254740992", ""},
        {"integer above 2^53", "9007199254740994", "lex.job:1:1: The number 9007199254740994" + range},
        {"exponent too large for an option", "1e23", "lex.job:1:1: The number 1e23" + range},
        {"overflow", "1e999", "lex.job:1:1: The number 1e999" + range},
        {"underflow", "1e-999", "lex.job:1:1: The number 1e-999" + range},
        {"10,000 digits", manyDigits,
         "lex.job:1:1: The number " + std::string(64, '9') + "..." + range},
        {"empty date", "''d",
         "lex.job:1:1: The date constant ''d is not valid: write a date from 01JAN1582 to "
         "26DEC20000 such as '01JAN2020'd."},
        {"missing date", "'.'d",
         "lex.job:1:1: The date constant '.'d is not valid: write a date from 01JAN1582 to "
         "26DEC20000 such as '01JAN2020'd."},
        {"year 0", "'01JAN0000'd",
         "lex.job:1:1: The date constant '01JAN0000'd is not valid: write a date from 01JAN1582 "
         "to 26DEC20000 such as '01JAN2020'd."},
        {"time without a colon", "'10't",
         "lex.job:1:1: The time constant '10't is not valid: write a time of day from 00:00 to "
         "23:59:59 such as '10:30't."},
        {"hours beyond a day", "'999999:00't",
         "lex.job:1:1: The time constant '999999:00't is not valid: write a time of day from "
         "00:00 to 23:59:59 such as '10:30't."},
        {"last second of the day", "'23:59:59.5't", ""},
        {"blank datetime", "'  'dt",
         "lex.job:1:1: The datetime constant '  'dt is not valid: write a date and time such as "
         "'01JAN2020:10:30:00'dt."},
        {"control byte shown", std::string("a\x01"),
         "lex.job:1:2: The character '\\x01' is not expected here: remove it."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        std::vector<std::string> errors;
        std::vector<Lexed> tokens = lex(c.text, &errors);
        EXPECT_EQ(errors.empty() ? std::string() : errors.front(), c.error);
        EXPECT_LE(errors.size(), 1u);
        for (const Lexed &token : tokens) {
            if (token.tokenClass == ORV_TOKEN_INT || token.tokenClass == ORV_TOKEN_NBR) {
                EXPECT_TRUE(std::isfinite(token.value)) << token.value;
            }
        }
    }
}

/* Long runs of characters that start no token are skipped in a loop: a
 * million of them must not exhaust the stack. */
TEST(Lexer, LongRunsOfStrayCharactersAreSkipped)
{
    for (char stray : {'@', '$'}) {
        SCOPED_TRACE(stray);
        size_t errors = 0;
        std::string text = std::string(1000000, stray) + "x";
        orvhost::SourceText source("lex.job", text);
        orvhost::StepSource step{&source, 0, text.size()};
        orvhost::Lexer lexer(step, 1926, [&](size_t, const std::string &) { ++errors; });
        Token token = lexer.next();
        EXPECT_EQ(token.text, "x");
        EXPECT_EQ(lexer.next().kind, TokenKind::End);
        EXPECT_EQ(errors, 1000000u);
    }
}

TEST(HostLists, ZaddlstGrowsAListOfFixedSizeItems)
{
    orvtest::moduleHost();
    OPTION_SLOT slot{};
    for (int i = 0; i < 100; ++i) {
        double value = i * 1.5;
        ASSERT_EQ(zaddlst(&slot, &value, sizeof value), 0) << i;
    }
    ASSERT_EQ(slot.value.count, 100);
    EXPECT_EQ(slot.itemSize, 8);
    EXPECT_GE(slot.capacity, 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(static_cast<double *>(slot.items)[i], i * 1.5);

    int32_t small = 7;
    double value = 1;
    struct Case {
        const char *id;
        void *list;
        const void *item;
        int length;
        int rc;
    };
    const Case cases[] = {
        {"item of another length", &slot, &small, 4, 1},
        {"null list", nullptr, &value, 8, 1},
        {"null item", &slot, nullptr, 8, 1},
        {"length 0", &slot, &value, 0, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(zaddlst(c.list, c.item, c.length), c.rc);
    }
    EXPECT_EQ(slot.value.count, 100);

    OPTION_SLOT fresh{};
    orvtest::moduleHost().memory().failAllocation(1);
    EXPECT_EQ(zaddlst(&fresh, &value, 8), -1);
    orvtest::moduleHost().memory().takeFailureCount();
    EXPECT_EQ(fresh.value.count, 0);
    orvtest::moduleHost().memory().releaseStep();
}

/* The timing-value protocol as an event library uses it: at a group's
 * start the kind code and the values so far go to the kind list; at its end
 * the run length goes to the run list and the two entries become one kind
 * code per value. */
struct TimingCall {
    int subAction, tokenKind;
    int64_t listCount;
};
std::vector<TimingCall> timingCalls;

int recordTiming(void *, const PARSE_TOKEN *token, const PARSE_ACTION *action)
{
    int sub = action->arguments[0];
    timingCalls.push_back({sub, token->kind, action->listCount});
    OPTION_SLOT *kinds = &action->options[action->arguments[1]];
    OPTION_SLOT *runs = &action->options[action->arguments[2]];
    if (sub == ORV_TIMING_GROUP_START) {
        double entries[2] = {double(token->kind * 256 + token->subKind), double(action->listCount)};
        zaddlst(kinds, &entries[0], 8);
        zaddlst(kinds, &entries[1], 8);
        kinds->given = runs->given = 3;
        kinds->type = runs->type = 1;
    } else {
        double *k = static_cast<double *>(kinds->items);
        double code = k[kinds->value.count - 2];
        double n = double(action->listCount) - k[kinds->value.count - 1];
        zaddlst(runs, &n, 8);
        kinds->value.count -= 2;
        for (int i = 0; i < int(n); ++i) zaddlst(kinds, &code, 8);
    }
    return 0;
}

TEST(TimingAction, CallbackRunsAtTheStartAndEndOfEachGroup)
{
    std::string text = orvtest::tinyPreamble() +
                       "step : TINY$ {begin 4} groups <ENDJB> {end} ;\n"
                       "groups : group groups | ;\n"
                       "group : '(' first rest ')' {timing 2 1 2 0} ;\n"
                       "first : value {timing 1 1 2 0} {append 0} ;\n"
                       "rest : value {append 0} rest | ;\n"
                       "value : <INT> | <DATE> | <DATETIME> ;\n";
    grammargen::ModuleTables tables =
        grammargen::buildModuleTables(grammargen::readGrammar(text, "tiny.grammar"), "TINY");
    GRAMMAR_BLOCK block = orvtest::blockOf(tables);
    block.tokenCallback = reinterpret_cast<orv_routine>(&xttk);
    block.semanticCallback = reinterpret_cast<orv_routine>(&xsem);

    orvtest::moduleHost();
    orvtest::takeLog();
    orvhost::ParseEnvironmentScope scope;
    std::string statements = "TINY (1 2 3) ('01jan2020'd '02jan2020'd);";
    orvhost::SourceText source("timing.job", statements);
    orvhost::StepSource step{&source, 0, statements.size()};
    orvhost::parseEnvironment().step = &step;
    PARSE_CONTROL control{};
    control.actionCallback = recordTiming;
    timingCalls.clear();
    ASSERT_EQ(xsproc(&block, &control, 0, 0, nullptr, nullptr), 0) << orvtest::takeLog();

    struct Expected {
        int subAction, tokenKind;
        int64_t listCount;
    };
    /* at a group's start the token just read is its first value, at its
     * end the closing ')' (a punctuation token, kind 0) */
    const Expected expected[] = {{1, ORV_TOKEN_INT, 0}, {2, 0, 3}, {1, ORV_TOKEN_DATE, 3}, {2, 0, 5}};
    ASSERT_EQ(timingCalls.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(timingCalls[i].subAction, expected[i].subAction);
        EXPECT_EQ(timingCalls[i].tokenKind, expected[i].tokenKind);
        EXPECT_EQ(timingCalls[i].listCount, expected[i].listCount);
    }
    const OPTION_SLOT *options = control.statement->options;
    auto list = [&](int k) {
        const auto *items = static_cast<const double *>(options[k].items);
        return std::vector<double>(items, items + options[k].value.count);
    };
    EXPECT_EQ(list(0), (std::vector<double>{1, 2, 3, 21915, 21916}));
    EXPECT_EQ(list(1), (std::vector<double>{1024, 1024, 1024, 2048, 2048}));
    EXPECT_EQ(list(2), (std::vector<double>{3, 2}));
    EXPECT_EQ(options[1].given, 3);
    EXPECT_EQ(options[1].type, 1);
    orvtest::moduleHost().memory().releaseStep();
}

}  // namespace
