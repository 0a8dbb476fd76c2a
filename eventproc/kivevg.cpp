/*
 * kivevg.cpp - the event module's grammar header pc and its builder
 * kivevg.  The tables are generated from procdriver/procedures.grammar
 * (module KIVEVENTS) at build time.
 *
 * Exports: kivevg.
 */
#include "eventproc/kivevg.h"

#include "procdriver/grammar_block.h"
#include "kivevents_grammar.h"

namespace {

using Grammar = kivevents_grammar::Grammar;

/* The header: symbol counts, parse-list and insertion-table lengths. */
constexpr GRAMMAR_BLOCK pc = orvGrammarHeader<Grammar>();

static_assert(Grammar::symbolCount == 428, "the KIVEVENTS symbol list has 428 symbols");

}  // namespace

GRAMMAR_BLOCK *kivevg() { return orvMakeGrammarBlock<Grammar>(pc); }
