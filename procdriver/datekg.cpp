/*
 * datekg.cpp - the date-key module's grammar header pc and its builder
 * datekg.  The tables are generated from procdriver/procedures.grammar
 * (module VORNAK) at build time.
 *
 * Exports: datekg.
 */
#include "procdriver/datekg.h"

#include "procdriver/grammar_block.h"
#include "vornak_grammar.h"

namespace {

using Grammar = vornak_grammar::Grammar;

/* The header: symbol counts, parse-list and insertion-table lengths. */
constexpr GRAMMAR_BLOCK pc = orvGrammarHeader<Grammar>();

static_assert(Grammar::symbolCount == 446, "the VORNAK symbol list has 446 symbols");

}  // namespace

GRAMMAR_BLOCK *datekg() { return orvMakeGrammarBlock<Grammar>(pc); }
